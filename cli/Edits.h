//===- Edits.h - The EDITS options of `new`, `set` and `stamp` ------------===//
//
// Edits are parsed and checked before any file is touched, so an unknown
// name or key never leaves a half-done job. Only the FILESUBTYPE name waits
// until the script is known, because its list depends on the file type.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "ParsedOptions.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/support/Status.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

/// Registers the EDITS options on a command.
void AddEditOptions(CLI::App& command);

/// Reads and checks the EDITS options given to a command, as the one
/// edit shape of the editor (versioninfo/ScriptEdit.h); ApplyEdits there
/// makes them on a new document.
Expected<ScriptEdits> ParseEdits(const ParsedOptions& options);

} // namespace qm
