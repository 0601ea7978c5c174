//===- CompiledVersion.h - The version resource of a .res or PE file -*- C++ -*-===//
//
// Reads back what a resource compiler made: finds the version resource in a
// .res file or an executable, turns it into a document (for show and
// import) and compares it with a document (for verify). Compiled strings
// are UTF-16; a document's string values are script text, which a compiler
// unescapes ("" and backslash sequences), so both directions go through the
// compiler's escape rules.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "ScriptEscapes.h"
#include "Status.h"
#include "VersionCheck.h"
#include "VersionInfoBlock.h"
#include "VersionRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class CompiledFormat { Res, Pe };

struct CompiledResource {
    CompiledFormat Format = CompiledFormat::Res;
    std::uint16_t Language = 0; ///< the resource's language
    std::size_t Offset = 0;     ///< where its data begins in the file
    CompiledVersionInfo Info;
};

/// True when `bytes` look like a .res file or an executable rather than a
/// script (scripts are text and begin with neither signature).
bool LooksCompiled(std::string_view bytes);

/// Every version resource of a .res file or a PE file (one per language
/// copy), in file order. Fails when the file is neither, is malformed, or
/// holds no version resource.
Expected<std::vector<CompiledResource>> ReadCompiledVersions(std::string_view bytes);

/// The copy Windows' GetFileVersionInfo gives on an English system:
/// language neutral, else U.S. English (0x0409), else the first.
std::size_t PreferredVersion(const std::vector<CompiledResource>& resources);

/// The preferred version resource of a .res file or a PE file.
Expected<CompiledResource> ReadCompiledVersion(std::string_view bytes);

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

/// Every way `info` differs from what `record` compiles to, in the order
/// of the script; empty when they agree. Texts a compiler alone can
/// resolve (a version or value written as a macro) are not compared.
/// Messages quote string values as compiled, in UTF-8.
Findings CompareWithCompiled(const VersionRecord& record, const CompiledVersionInfo& info);

} // namespace qm
