//===- InPlace.h - set and bump on the script as it stands -----------------===//
//
// set and bump change only the tokens of the fields asked for (ScriptEdit);
// the whole-file rewrite is left to scripts with no VERSIONINFO a compiler
// would read, where --force writes a new document as before.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "versioninfo/ScriptEdit.h"
#include "versioninfo/VersionBump.h"

#include <optional>
#include <string>

namespace qm {

/// The string values of `edits`, given as arguments, as UTF-8 text for a
/// resource that holds characters rather than bytes (an executable's);
/// fails, naming the argument, for bytes that stand for no text.
Status ValuesAsUnicode(ScriptEdits& edits);

/// Edits the script `bytes` of `path` in place and writes it to `outPath`
/// in its own encoding. Nothing when the script has no VERSIONINFO (the
/// caller decides); otherwise the exit code, with refusals on stderr.
std::optional<int> SetInPlace(const std::string& path, const std::string& bytes,
                              const ScriptEdits& edits, const std::string& outPath,
                              const PreprocessOptions& preprocess, CliStreams& io);

/// bump in place: both fixed versions, and the FileVersion and
/// ProductVersion strings of every table that agreed with them. Nothing
/// when the script has no VERSIONINFO.
std::optional<int> BumpInPlace(const std::string& path, const std::string& bytes, VersionPart part,
                               const std::string& outPath, bool force,
                               const PreprocessOptions& preprocess, CliStreams& io);

} // namespace qm
