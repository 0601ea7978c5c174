//===- VersionReview.h - Version check before, read-back after a compile -*- C++ -*-===//
//
// Save & Compile asks before compiling a document whose versions a compiler
// would refuse or change. (Once a batch run is over, desk's CompileRun reads
// the .res file back against the form.)
//
//===----------------------------------------------------------------------===//
#pragma once

#include "app/DocumentText.h"
#include "desk/VersionQuestion.h"
#include "versioninfo/document/VersionRecord.h"

#include <QStringList>

#include <optional>

class QWidget;

#include <string>

namespace qm {

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

} // namespace qm
