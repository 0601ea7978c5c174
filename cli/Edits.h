//===- Edits.h - The EDITS options of `new` and `set` ---------------------===//
//
// Edits are parsed and checked before any file is touched, so an unknown
// name or key never leaves a half-done job. Only the FILESUBTYPE name waits
// until the record is known, because its list depends on the file type.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "ParsedOptions.h"
#include "versioninfo/Status.h"
#include "versioninfo/VersionRecord.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct Edits {
    std::optional<std::string> FileVersion;
    std::optional<std::string> ProductVersion;
    std::optional<bool> Debug;
    std::optional<bool> PreRelease;
    std::optional<bool> Patched;
    std::optional<std::string> FileOS;      ///< the table's spelling
    std::optional<std::string> FileType;    ///< the table's spelling
    std::optional<std::string> FileSubType; ///< as given; resolved by ApplyEdits
    std::optional<int> LanguageRow;
    std::optional<int> CodePageRow;
    std::vector<std::pair<int, std::string>> Strings; ///< key index, marker-form value
    std::optional<Lines> ComIncLines;
};

/// Registers the EDITS options on a command.
void AddEditOptions(CLI::App& command);

/// Reads and checks the EDITS options given to a command.
Expected<Edits> ParseEdits(const ParsedOptions& options);

/// Applies `edits` to `record`, in field order: a new file type rebuilds the
/// subtype list (first row selected) before a subtype is looked up in it.
/// On failure `record` may be partly edited; callers then write nothing.
Status ApplyEdits(const Edits& edits, VersionRecord& record);

} // namespace qm
