//===- ScriptEdit.h - Changing fields of a script where they stand -*- C++ -*-===//
//
// The editor of `quillmark-rc set` and `bump`: it replaces the tokens of the
// fields asked for and keeps every other byte of the file (other resources,
// comments, conditionals, line ends, the resource ID). A missing string
// VALUE is added to its table, on a line of its own shaped like its
// neighbours. Before the new text is handed back, both texts are compiled
// in the model and compared field by field: anything but the asked-for
// fields changing refuses the edit, naming what would change.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "ScriptModel.h"
#include "Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct StringEdit {
    std::string Key;
    std::string Value; ///< marker form, as in a VersionRecord ("" removes it)
    /// The tables to change, by name; empty: the first table, or for the
    /// FileVersion and ProductVersion keys every table whose value agreed
    /// with the old fixed version.
    std::vector<std::string> Tables;
};

struct ScriptEdits {
    std::optional<std::string> FileVersion; ///< comma form, e.g. "1, 2, 0, 0"
    std::optional<std::string> ProductVersion;
    std::optional<bool> Debug;
    std::optional<bool> PreRelease;
    std::optional<bool> Patched;
    std::optional<std::string> FileOS; ///< a table name
    std::optional<std::string> FileType;
    std::optional<std::string> FileSubType;
    std::optional<int> Language; ///< renames the first table (or Block) and its Translation
    std::optional<int> CodePage;
    std::vector<StringEdit> Strings;
    std::string Block; ///< aims language, code page and other string edits at this table
    /// Replace a field written with a macro, an expression or under a
    /// conditional instead of refusing it. Only that field's tokens change.
    bool Force = false;
};

/// The new text of `text` (whose model is `script`) with `edits` made.
/// Fails, naming the line and field, for a field spelled as a macro or an
/// expression (unless Force), a missing table, or a guard that finds any
/// other field changed.
Expected<std::string> EditScript(std::string_view text, const VersionScript& script,
                                 const ScriptEdits& edits);

/// The table names `edits` reach for a string key (see StringEdit::Tables).
std::vector<std::string> TablesForString(const VersionScript& script, const ScriptEdits& edits,
                                         const StringEdit& edit);

} // namespace qm
