//===- ScriptOptions.h - How commands follow a script's preprocessor ---------===//
//
// The commands that read a script take a resource compiler's options: -I
// DIR adds a folder to look for headers in, -D NAME[=VALUE] defines a
// macro and -U NAME removes one. The headers of the project that a script
// includes are read, from beside the including file and then from those
// folders (and, on Windows, the INCLUDE variable's), as the compiler reads
// them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/script/ScriptLexer.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace qm {

struct ScriptOptions {
    std::vector<std::string> IncludeFolders;
    std::vector<std::string> Defines;
    std::vector<std::string> Undefines;
    /// set and bump: refuse a version spelled through #defines rather than
    /// edit the defines where it lives.
    bool NoFollow = false;
    /// set and bump: the VERSIONINFO copy to edit (hexadecimal); empty: all.
    std::string ResourceLanguage;
    /// set and stamp: keep the FileVersion and ProductVersion strings as
    /// they are when the fixed versions change.
    bool NoStrings = false;
};

/// Registers -I, -D and -U on a command, and --no-follow on one that edits.
void AddScriptOptions(CLI::App& command, ScriptOptions& into, bool edits = false);

/// Registers --no-strings, on the commands that take --file-version.
void AddNoStringsOption(CLI::App& command, ScriptOptions& into);

/// How the script at `path` is read with `options`.
PreprocessOptions PreprocessFor(const ScriptOptions& options, const std::string& path);

} // namespace qm
