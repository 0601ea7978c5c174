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
#include "versioninfo/VersionRecord.h"

#include <QStringList>

class QWidget;

#include <string>

namespace qm {

/// True when `record` has no findings, or when the user, shown them in a
/// box captioned "Check" over `parent`, chooses to compile anyway. The
/// findings quote the document's bytes, shown in `encoding`.
bool ConfirmVersionFindings(QWidget* parent, const VersionRecord& record, TextEncoding encoding);

/// The lines the Compiler page ends with after a run: nothing when there
/// is no .res; a note when it is older than the script (this run did not
/// write it); else whether it holds exactly `form`, or each difference, or
/// why it can't be read.
QStringList CompiledResourceReport(const VersionRecord& form, const std::string& scriptPath,
                                   const std::string& resPath);

} // namespace qm
