//===- VersionCommands.h - check, import, verify, bump and show of compiled files -===//
//
// The commands that look at versions rather than edit fields: the check
// before compiling, reading back a compiled .res or executable, comparing
// it with its script, and the CI bump. Each returns the exit code, and is
// defined in its file in cli/commands/.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/script/ScriptModel.h"

#include <string>

namespace qm {

/// Prints each finding of the version check as "FIELD: message" (a note
/// as "FIELD: note: message"); exit 1 when there is a finding other than a
/// note, or any with `strict`. FILE is a script, a .res file or an executable.
int CheckCommand(const std::string& path, bool strict, const ScriptOptions& options,
                 CliStreams& io);

/// `show` for the version resources of a .res file or an executable: the script's JSON for the
/// document it holds, with the raw resource under "compiled". Of several
/// language copies it shows `language` (hexadecimal), by default the one
/// Windows would, and lists the others.
int ShowCompiledCommand(const Expected<std::vector<CompiledResource>>& copies,
                        const std::string& language, CliStreams& io);
/// The "compiled" member of a script's JSON: what a compiler makes of it,
/// and which fields it leaves to the preprocessor or a header.
std::string ScriptCompiledMember(const ScriptCompiled& compiled);

/// Writes the version resource of a .res file or an executable as a script,
/// every string table and Translation pair included. Refuses an output that
/// is a compiled file (the input included) or named like one.
int ImportCommand(const std::string& path, const std::string& outPath, CliStreams& io);

/// Compares what a script compiles to with a compiled file; prints each
/// difference and exits 1 when there is any (or when the compiled file
/// can't be read). Fields the script leaves to the preprocessor or to a
/// header's macros are named on stderr and not compared.
int VerifyCommand(const std::string& scriptPath, const std::string& compiledPath,
                  const ScriptOptions& options, CliStreams& io);

/// Bumps one part ("major", "minor", "patch", "build") of both fixed
/// versions and the agreeing strings; writes to `outPath` (FILE when empty).
/// Like set, refuses what would lose part of FILE unless `force`.
int BumpCommand(const std::string& path, const std::string& part, const std::string& outPath,
                bool force, const ScriptOptions& options, CliStreams& io);

} // namespace qm
