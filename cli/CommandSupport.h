//===- CommandSupport.h - Input, output and loss checks shared by commands -===//
//
// Every command of quillmark-rc loads its input, and those that rewrite a
// script check first what the rewrite would lose; they report the same way.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "versioninfo/ScriptReader.h"
#include "versioninfo/VersionRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm {

/// The file's bytes, or "Can't open PATH: REASON" on stderr (a missing
/// file, a folder, no permission, a kind or size turned away). A pipe such
/// as the shell's <(...) is read too, up to the same cap.
std::optional<std::string> LoadInput(const std::string& path, CliStreams& io);

/// LoadInput for a file that may be a script: a script is also refused
/// (CheckScriptLines) when reading it would take many times its size.
std::optional<std::string> LoadScriptInput(const std::string& path, CliStreams& io);
/// True, after naming on stderr what would be lost, when writing `read`'s
/// record in place of the script `bytes` would drop part of it.
bool RefuseLosses(const std::string& path, std::string_view bytes, const ReadResult& read,
                  CliStreams& io);

/// Writes `record` to `path` as a script; ExitFailure with the writer's
/// message on stderr when that fails.
int WriteDocument(const VersionRecord& record, const std::string& path, CliStreams& io);

} // namespace qm
