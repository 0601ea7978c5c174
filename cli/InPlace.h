//===- InPlace.h - set and bump on the script as it stands -----------------===//
//
// set and bump change only the tokens of the fields asked for (ScriptEdit);
// the whole-file rewrite is left to scripts with no VERSIONINFO a compiler
// would read, where --force writes a new document as before.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Commands.h"
#include "ScriptOptions.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/VersionBump.h"

#include <optional>
#include <string>

namespace qm {

/// The string values of `edits`, given as arguments, as UTF-8 text for a
/// resource that holds characters rather than bytes (an executable's);
/// fails, naming the argument, for bytes that stand for no text.
Status ValuesAsUnicode(ScriptEdits& edits);

/// Which VERSIONINFO copies of a script an edit makes, and where it goes.
struct CopyChoice {
    /// The llvm-rc default for a resource no LANGUAGE statement sets.
    static constexpr std::uint16_t DefaultLanguage = 0x409;
    std::optional<std::uint16_t> Language; ///< --resource-language; unset: every copy
    std::string OutPath;                   ///< -o; empty: FILE itself

    bool Takes(const VersionScript& model, const ScriptEdits& edits) const;
};

/// The copies --resource-language picks, writing to `outPath`; nothing,
/// with the reason on stderr, for a language that is no hexadecimal ID.
std::optional<CopyChoice> CopiesFor(const ScriptOptions& options, const std::string& outPath,
                                    CliStreams& io);

/// Edits the script `bytes` of `path` in place, in every copy `copies`
/// takes, and writes it in its own encoding. Nothing when the script has
/// no VERSIONINFO (the caller decides); otherwise the exit code, with
/// refusals on stderr.
/// With `followStrings`, the version strings follow (FollowVersionStrings).
std::optional<int> SetInPlace(const std::string& path, const std::string& bytes,
                              const ScriptEdits& edits, const CopyChoice& copies,
                              const PreprocessOptions& preprocess, bool followStrings,
                              CliStreams& io);

/// Adds to `edits` of the copy `model` the FileVersion and ProductVersion
/// strings that follow a new fixed version: each that agreed with the old
/// one, in every table, rewritten in its own form, as bump moves them. A
/// string the edits set stays as asked. `notes` says which followed.
void FollowVersionStrings(const VersionScript& model, ScriptEdits& edits,
                          std::vector<std::string>& notes);

/// bump in place: both fixed versions, and the FileVersion and
/// ProductVersion strings of every table that agreed with them, in every
/// copy `copies` takes. Nothing when the script has no VERSIONINFO.
std::optional<int> BumpInPlace(const std::string& path, const std::string& bytes, VersionPart part,
                               bool force, bool noFollow, const CopyChoice& copies,
                               const PreprocessOptions& preprocess, CliStreams& io);

} // namespace qm
