//===- CliDefaults.h - Where quillmark-rc takes new-document defaults -----===//
//
// The three new-document defaults (FILEOS name, language ID, code page) come
// from here alone, for `new`, for the members `write` leaves out and for the
// reset before `show` and `set` read a script. A new document's comment and
// include lines come from the template, as the window's New takes them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

namespace qm {

/// The defaults a new document starts from.
NewDocumentDefaults CliNewDocumentDefaults();

/// The comment and include lines of the template Initial.rc where the
/// running program finds it (settings/AppFiles.h); none without a template
/// or a program to locate it from. Fails, naming the file and why, when a
/// template is there but can't be read (a FIFO, a folder, no permission).
Expected<Lines> CliTemplateComIncLines();

} // namespace qm
