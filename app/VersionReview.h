//===- VersionReview.h - Version check before, read-back after a compile -*- C++ -*-===//
//
// Save & Compile asks before compiling a document whose versions a compiler
// would refuse or change, and once a batch run is over says on the Compiler
// page whether the .res file holds what the form held. A compiler can leave
// a partial .res behind when it fails, so reading it back is the real test
// of success.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "app/DocumentText.h"
#include "versioninfo/document/VersionRecord.h"

#include <QStringList>

#include <optional>

class QWidget;

#include <string>

namespace qm {

/// Which findings stop a save to ask.
enum class VersionFindings {
    Refused,       ///< what a resource compiler refuses or changes
    RefusedOrOdds, ///< those, and version strings at odds with the fixed versions
};

/// The record to write: `record` itself when it has no findings of
/// `asked`, or when the user, shown them in a box captioned "Check" over
/// `parent`, chooses to go on (the box ends with `question`, "Save
/// anyway?" say). A fixed version written with dots, which no compiler
/// reads as four parts, is offered in its comma form, and going on writes
/// that. Nothing when the user stops. The findings quote the document's
/// bytes, shown in `encoding`.
std::optional<VersionRecord> ConfirmVersionFindings(QWidget* parent, const VersionRecord& record,
                                                    TextEncoding encoding, VersionFindings asked,
                                                    const QString& question);

/// The lines the Compiler page ends with after a run: nothing when there
/// is no .res; a note when it is older than the script (this run did not
/// write it); else whether it holds exactly `form`, or each difference, or
/// why it can't be read.
QStringList CompiledResourceReport(const VersionRecord& form, const std::string& scriptPath,
                                   const std::string& resPath);

} // namespace qm
