//===- ScriptEdit.h - Changing fields of a script where they stand -*- C++ -*-===//
//
// The one editor of scripts: `quillmark-rc set`, `bump` and `stamp`, and
// the window's Save of a script it did not write, all describe what they
// change as ScriptEdits. It replaces the tokens of the fields asked for and
// keeps every other byte of the file (other resources, comments,
// conditionals, line ends, the encoding, the resource ID). A missing string
// VALUE is added to its table, on a line of its own shaped like its
// neighbours. Before the new text is handed back, both texts are compiled
// in the model and compared field by field: anything but the asked-for
// fields changing refuses the edit, naming what would change.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/support/Status.h"

#include <functional>
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
    /// The comment and include lines: they replace the lines before the
    /// VERSIONINFO line.
    std::optional<Lines> ComIncLines;
    std::string Block; ///< aims language, code page and other string edits at this table
    /// Replace a field written with a macro, an expression or under a
    /// conditional instead of refusing it. Only that field's tokens change.
    bool Force = false;
    /// How the caller asks for Force, named in refusals; empty where there
    /// is no way (the window).
    std::string ForceOption = "--force";
    /// Refuse a field spelled through #defines rather than edit the defines
    /// where the version lives.
    bool NoFollow = false;

    /// True when no field is asked to change.
    bool Empty() const;
};

/// The new text of `text` (whose model is `script`) with `edits` made.
/// Fails, naming the line and field, for a field spelled as a macro or an
/// expression (unless Force), a missing table, or a guard that finds any
/// other field changed; and for an edit that would reach a header.
Expected<std::string> EditScript(std::string_view text, const VersionScript& script,
                                 const ScriptEdits& edits);

/// What an edit writes: the script's new text, and that of each header
/// whose #define it edits where the version lives.
struct EditedScript {
    std::string Text;
    std::vector<std::pair<std::string, std::string>> Headers; ///< path, new bytes
    /// Each define edited, "version.h line 3: VER_PATCH 5 -> 6".
    std::vector<std::string> Notes;
};

/// EditScript, where the edit may reach the headers the script includes.
Expected<EditedScript> EditScriptFiles(std::string_view text, const VersionScript& script,
                                       const ScriptEdits& edits);

/// `bytes` of a script (8-bit, or UTF-16 with its mark) with `edits` made
/// on its VERSIONINFO number `resource`, in the same encoding: what a save
/// of a script writes in its place.
Expected<EditedScript> EditScriptBytes(std::string_view bytes, const ScriptEdits& edits,
                                       const PreprocessOptions& options = {},
                                       std::size_t resource = 0);

/// The edits `editsFor` gives each VERSIONINFO of the script `bytes` that
/// `which` picks, made one copy after the other, each under its guard; a
/// copy not picked must compile as it did. Fails when none is picked.
Expected<EditedScript>
EditCopies(std::string_view bytes, const PreprocessOptions& options,
           const std::function<bool(const VersionScript&)>& which,
           const std::function<Expected<ScriptEdits>(const VersionScript&)>& editsFor);

/// Writes an edit: each header, then the script at `path`, each safely; a
/// failure puts back the files already written, so it is all or nothing.
Status SaveEditedScript(const std::string& path, const EditedScript& edited);

/// What changed from `read`, the record a script was read into, to
/// `shown`: the edits that make the script say what `shown` says. The form
/// shows the first string table, so string edits aim at it.
ScriptEdits EditsBetween(const VersionRecord& read, const VersionRecord& shown);

/// The same edits made on a record, as a new document takes them: a new
/// file type selects its list's first subtype before a subtype is looked
/// up in the list. Fails, naming it, for a subtype the list lacks or a
/// language or code page no row holds; `record` may then be partly edited.
Status ApplyEdits(const ScriptEdits& edits, VersionRecord& record);

/// The table names `edits` reach for a string key (see StringEdit::Tables).
std::vector<std::string> TablesForString(const VersionScript& script, const ScriptEdits& edits,
                                         const StringEdit& edit);

} // namespace qm
