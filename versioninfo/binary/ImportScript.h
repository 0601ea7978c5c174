//===- ImportScript.h - A compiled version resource as a script ---*- C++ -*-===//
//
// `import` writes what a .res file or an executable holds as a script in
// Quillmark's layout, every string table and Translation pair included,
// each table under its own name (a language the form lacks, such as
// neutral 0000, is kept, never replaced). Numbers without a winver.h name
// are written as numbers.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <string>
#include <vector>

namespace qm {

struct ImportedScript {
    std::string Text; ///< UTF-8, CR LF line ends
    /// What the script cannot hold (a binary string value), one line each.
    std::vector<std::string> Notes;
};

/// The script for `info`, after `comIncLines`. Fails, naming the fields,
/// when the script read back would compile to anything else.
Expected<ImportedScript> ScriptOfCompiled(const CompiledVersionInfo& info,
                                          const Lines& comIncLines);

} // namespace qm
