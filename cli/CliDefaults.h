//===- CliDefaults.h - Where quillmark-rc takes new-document defaults -----===//
//
// The three new-document defaults (FILEOS name, language ID, code page) come
// from here alone, for `new`, for the members `write` leaves out and for the
// reset before `show` and `set` read a script.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/VersionRecord.h"

namespace qm {

/// The defaults a new document starts from.
NewDocumentDefaults CliNewDocumentDefaults();

} // namespace qm
