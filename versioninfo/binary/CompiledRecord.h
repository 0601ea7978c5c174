//===- CompiledRecord.h - A compiled version resource as a document -*- C++ -*-===//
//
// What `show` and the window's import make of a compiled version resource.
// Compiled strings are UTF-16; a document's string values are script text,
// which a compiler unescapes, so they go through the compiler's escape
// rules (ScriptEscapes.h).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptEscapes.h"

#include <string>
#include <vector>

namespace qm {

struct ImportedRecord {
    VersionRecord Record;
    /// What the document cannot hold (a number with no name in a list, a
    /// string outside the twelve keys, a second table), one line each.
    std::vector<std::string> Notes;
};

/// The document a compiled version resource stands for: the first string
/// table's twelve keys in marker form, the language and code page from the
/// table's name (else from the first Translation), names for the numbers.
ImportedRecord RecordFromCompiled(const CompiledVersionInfo& info,
                                  const NewDocumentDefaults& defaults);

} // namespace qm
