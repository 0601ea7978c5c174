//===- InPlace.cpp - set and bump on the script as it stands ---------------===//

#include "InPlace.h"

#include "platform/System.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace qm {

namespace {

// A script's text (UTF-16 files as UTF-8) and its model, which points into
// the text: both live together.
struct LoadedScript {
    std::string Text;
    bool Utf16 = false;
    std::unique_ptr<VersionScript> Model;
};

// Nothing, quietly, when the script has no VERSIONINFO; nothing after a
// message when it has one a compiler would refuse.
std::optional<LoadedScript> ParseForEdit(const std::string& path, const std::string& bytes,
                                         const PreprocessOptions& preprocess, bool& noVersionInfo,
                                         CliStreams& io) {
    LoadedScript script;
    if (std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes)) {
        script.Text = std::move(*utf8);
        script.Utf16 = true;
    } else {
        script.Text = bytes;
    }
    Expected<VersionScript> model = ParseVersionScript(script.Text, preprocess);
    if (!model) {
        noVersionInfo = model.kind() == ErrorKind::NotFound;
        if (!noVersionInfo)
            io.Err << path << ": " << model.message() << "; nothing written\n";
        return std::nullopt;
    }
    script.Model = std::make_unique<VersionScript>(std::move(*model));
    return script;
}

// How a script holds its text, which decides how an argument goes in.
enum class ScriptText { Ascii, Utf8, EightBit, Utf16 };

ScriptText TextOf(const LoadedScript& script) {
    if (script.Utf16)
        return ScriptText::Utf16;
    const bool ascii = std::all_of(script.Text.begin(), script.Text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii                           ? ScriptText::Ascii
           : IsWellFormedUtf8(script.Text) ? ScriptText::Utf8
                                           : ScriptText::EightBit;
}

// UTF-8 `text` in Latin-1, the 8-bit encoding a script that is not UTF-8
// is shown and saved in; nothing when a character has no byte there.
std::optional<std::string> Latin1Of(std::string_view text, char32_t& missing) {
    std::string bytes;
    for (char32_t c : DecodeUtf8(text)) {
        if (c > 0xFF) {
            missing = c;
            return std::nullopt;
        }
        bytes += static_cast<char>(c);
    }
    return bytes;
}

// An argument's bytes as the script holds them: never a U+FFFD for what
// was given, and never a second encoding in one file.
//  - A UTF-16 script takes the argument's text (UTF-8 here, the ANSI code
//    page on Windows).
//  - An 8-bit script on Windows is in the ANSI code page, as arguments are.
//  - Elsewhere an ASCII script takes any bytes; a UTF-8 one, UTF-8 only; one
//    in another code page takes its bytes as they are, and UTF-8 text
//    converted to Latin-1 where every character has a byte there.
Expected<std::string> AsScriptHolds(const std::string& argument, const std::string& value,
                                    ScriptText kind) {
    auto refused = [&](const std::string& why) {
        return Status::Fail(argument + ": " + why + "; nothing written");
    };
    if (kind == ScriptText::Utf16) {
        std::string utf8 = platform::Utf8OfProgramText(value);
        if (!IsWellFormedUtf8(utf8))
            return refused("the value is not UTF-8 text, and a UTF-16 script holds characters, "
                           "not bytes");
        return utf8;
    }
    if (platform::RunsOnWindows() || kind == ScriptText::Ascii)
        return value;
    const bool utf8 = IsWellFormedUtf8(value);
    if (kind == ScriptText::Utf8) {
        if (!utf8)
            return refused("the value holds bytes that are not UTF-8, and the script is UTF-8");
        return value;
    }
    if (!utf8)
        return value;
    char32_t missing = 0;
    std::optional<std::string> latin1 = Latin1Of(value, missing);
    if (!latin1) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing));
        return refused(std::string("the script is in an 8-bit code page (its bytes are not "
                                   "UTF-8), which has no byte for ") +
                       code);
    }
    return *latin1;
}

// The string values and comment lines of the edit, as the script holds them.
Status InScriptEncoding(const LoadedScript& script, ScriptEdits& edits) {
    const ScriptText kind = TextOf(script);
    for (StringEdit& edit : edits.Strings) {
        Expected<std::string> held =
            AsScriptHolds("--string " + edit.Key + "=" + edit.Value, edit.Value, kind);
        if (!held)
            return Status::Fail(held.message());
        edit.Value = std::move(*held);
    }
    if (edits.ComIncLines)
        for (std::string& line : *edits.ComIncLines) {
            Expected<std::string> held = AsScriptHolds("--com-inc-line " + line, line, kind);
            if (!held)
                return Status::Fail(held.message());
            line = std::move(*held);
        }
    return Status::Ok();
}

// The edited script goes to OUT (FILE itself without it); headers where the
// version lives are edited where they are, so they come only with FILE.
int Write(const EditedScript& edited, const std::string& path, const std::string& outPath,
          CliStreams& io) {
    if (!edited.Headers.empty() && !outPath.empty()) {
        io.Err << path << ": the version lives in " << edited.Headers.front().first
               << ", which is edited where it is; without -o the edit goes there. Nothing "
                  "written\n";
        return ExitFailure;
    }
    // A define in the script itself is named by its line alone.
    for (const std::string& note : edited.Notes)
        io.Err << (note.rfind("line ", 0) == 0 ? path + " " : "") << note << '\n';
    if (Status saved = SaveEditedScript(outPath.empty() ? path : outPath, edited); !saved) {
        io.Err << saved.message() << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

// The text a bump reads from a table: the form's marker value of a single
// literal, else the bare text.
std::string MarkerOf(const VersionScript& model, const ValueStatement& value, bool follow) {
    std::string_view text = model.Text(value.ValueSpan);
    // Spelled with macros that the edit may follow: the text they give.
    if (!value.SingleLiteral && follow && value.IsText && value.Resolved &&
        value.Condition.empty() && !value.Macro.empty()) {
        const std::string shown = ValueText(model, value);
        return (shown.rfind('\\', 0) == 0 ? "\\" : "") + shown;
    }
    if (!value.SingleLiteral)
        return "\\#" + std::string(text);
    text = text.substr(1, text.size() - 2);
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\\0" && text != "\\0")
        text.remove_suffix(2);
    return std::string(text);
}

// The numbers a compiler reads (hexadecimal, octal, expressions) when the
// script alone determines them; else the text, which bump then refuses.
std::string VersionTextOf(const VersionScript& model, const FixedStatement& version, bool follow) {
    VersionParts parts{};
    for (std::size_t i = 0; i < version.Numbers.size(); ++i) {
        const ScriptNumber& number = version.Numbers[i];
        if (!number.Value || (!number.Macro.empty() && !follow))
            return std::string(model.Text(version.ValueSpan));
        parts[i] = static_cast<std::uint16_t>(*number.Value);
    }
    return FixedVersionText(parts);
}

} // namespace

Status ValuesAsUnicode(ScriptEdits& edits) {
    for (StringEdit& edit : edits.Strings) {
        Expected<std::string> held =
            AsScriptHolds("--string " + edit.Key + "=" + edit.Value, edit.Value, ScriptText::Utf16);
        if (!held)
            return Status::Fail(held.message());
        edit.Value = std::move(*held);
    }
    return Status::Ok();
}

void FollowVersionStrings(const VersionScript& model, ScriptEdits& edits,
                          std::vector<std::string>& notes) {
    const bool follow = !edits.NoFollow && !edits.Force;
    const struct {
        const std::optional<std::string>& Fixed;
        const char* Keyword;
        StringKey Key;
    } versions[] = {{edits.FileVersion, "FILEVERSION", StringKey::FileVersion},
                    {edits.ProductVersion, "PRODUCTVERSION", StringKey::ProductVersion}};
    for (const auto& version : versions) {
        const std::string key(StringKeys()[Index(version.Key)]);
        const FixedStatement* fixed = model.FindFixed(version.Keyword);
        const bool asked = std::any_of(edits.Strings.begin(), edits.Strings.end(),
                                       [&](const StringEdit& edit) { return edit.Key == key; });
        if (!version.Fixed || !fixed || asked)
            continue;
        const Expected<VersionParts> before =
            ReadFixedVersion(VersionTextOf(model, *fixed, follow), version.Keyword);
        const Expected<VersionParts> after = ReadFixedVersion(*version.Fixed, version.Keyword);
        if (!before || !after)
            continue; // the edit itself says what is wrong
        for (const ScriptStringTable& table : model.Tables)
            for (const ValueStatement& value : table.Values) {
                if (value.Key != key)
                    continue;
                const std::string old = MarkerOf(model, value, follow);
                const std::optional<std::string> now = FollowedVersionString(old, *before, *after);
                if (!now || *now == old)
                    continue;
                edits.Strings.push_back({key, *now, {table.Name}});
                const std::string note = table.Name + "/" + key + " follows " + version.Keyword +
                                         ": \"" + *QuotedValueText(old) + "\" -> \"" +
                                         *QuotedValueText(*now) + "\"";
                if (std::find(notes.begin(), notes.end(), note) == notes.end())
                    notes.push_back(note);
            }
    }
}

std::optional<int> SetInPlace(const std::string& path, const std::string& bytes,
                              const ScriptEdits& edits, const CopyChoice& copies,
                              const PreprocessOptions& preprocess, bool followStrings,
                              CliStreams& io) {
    bool noVersionInfo = false;
    std::optional<LoadedScript> script = ParseForEdit(path, bytes, preprocess, noVersionInfo, io);
    if (!script)
        return noVersionInfo ? std::nullopt : std::optional<int>(ExitFailure);
    ScriptEdits held = edits;
    if (Status encoded = InScriptEncoding(*script, held); !encoded) {
        io.Err << path << ": " << encoded.message() << '\n';
        return ExitUsage;
    }
    // The comment lines are the file's, before its first copy.
    bool first = true;
    std::vector<std::string> followed;
    Expected<EditedScript> edited = EditCopies(
        bytes, preprocess, [&](const VersionScript& model) { return copies.Takes(model, held); },
        [&](const VersionScript& model) -> Expected<ScriptEdits> {
            ScriptEdits copy = held;
            if (!first)
                copy.ComIncLines.reset();
            first = false;
            if (followStrings)
                FollowVersionStrings(model, copy, followed);
            return copy;
        });
    if (!edited) {
        io.Err << path << ": " << edited.message() << '\n';
        return ExitFailure;
    }
    for (const std::string& note : followed)
        io.Err << path << ": " << note << '\n';
    return Write(*edited, path, copies.OutPath, io);
}

namespace {

// bump's edits of one copy: both fixed versions, and the FileVersion and
// ProductVersion strings of each table that agreed with them. Each table is
// bumped as a document of its own.
Expected<ScriptEdits> BumpEditsOf(const VersionScript& model, VersionPart part, bool force,
                                  bool noFollow, std::string& notes) {
    const FixedStatement* fileVersion = model.FindFixed("FILEVERSION");
    const FixedStatement* productVersion = model.FindFixed("PRODUCTVERSION");
    if (!fileVersion || !productVersion)
        return Status::Fail("bump needs both FILEVERSION and PRODUCTVERSION; nothing written");
    VersionRecord record;
    const bool follow = !noFollow && !force;
    record.HFileVersion = VersionTextOf(model, *fileVersion, follow);
    record.HProductVersion = VersionTextOf(model, *productVersion, follow);
    ScriptEdits edits;
    edits.Force = force;
    edits.NoFollow = noFollow;
    std::optional<BumpResult> first;
    const std::size_t tables = std::max<std::size_t>(model.Tables.size(), 1);
    for (std::size_t t = 0; t < tables; ++t) {
        VersionRecord table = record;
        if (t < model.Tables.size())
            for (const ValueStatement& value : model.Tables[t].Values)
                for (int k : {Index(StringKey::FileVersion), Index(StringKey::ProductVersion)})
                    if (value.Key == StringKeys()[k])
                        table.StringValues[k] = MarkerOf(model, value, follow);
        Expected<BumpResult> bumped = BumpVersion(table, part);
        if (!bumped)
            return Status::Fail(bumped.message());
        for (const std::string& note : bumped->Notes)
            notes += note + '\n';
        for (int k : {Index(StringKey::FileVersion), Index(StringKey::ProductVersion)})
            if (t < model.Tables.size() && bumped->Record.StringValues[k] != table.StringValues[k])
                edits.Strings.push_back({std::string(StringKeys()[k]),
                                         bumped->Record.StringValues[k],
                                         {model.Tables[t].Name}});
        if (!first)
            first = std::move(*bumped);
    }
    edits.FileVersion = first->Record.HFileVersion;
    edits.ProductVersion = first->Record.HProductVersion;
    return edits;
}

} // namespace

std::optional<CopyChoice> CopiesFor(const ScriptOptions& options, const std::string& outPath,
                                    CliStreams& io) {
    CopyChoice copies;
    copies.OutPath = outPath;
    if (options.ResourceLanguage.empty())
        return copies;
    const std::optional<std::uint64_t> language =
        ParseNumber(options.ResourceLanguage, NumberBase::HexadecimalPrefix, 0xFFFF);
    if (!language) {
        io.Err << "--resource-language takes a hexadecimal language ID, not "
               << options.ResourceLanguage << '\n';
        return std::nullopt;
    }
    copies.Language = static_cast<std::uint16_t>(*language);
    return copies;
}

bool CopyChoice::Takes(const VersionScript& model, const ScriptEdits& edits) const {
    if (Language && model.Language.value_or(DefaultLanguage) != *Language)
        return false;
    // Edits aimed at a table go to the copies that have it.
    return edits.Block.empty() ||
           std::any_of(model.Tables.begin(), model.Tables.end(), [&](const ScriptStringTable& t) {
               return EqualsIgnoringCase(t.Name, edits.Block);
           });
}

std::optional<int> BumpInPlace(const std::string& path, const std::string& bytes, VersionPart part,
                               bool force, bool noFollow, const CopyChoice& copies,
                               const PreprocessOptions& preprocess, CliStreams& io) {
    bool noVersionInfo = false;
    std::optional<LoadedScript> script = ParseForEdit(path, bytes, preprocess, noVersionInfo, io);
    if (!script)
        return noVersionInfo ? std::nullopt : std::optional<int>(ExitFailure);
    std::string notes;
    std::optional<std::string> versions;
    Expected<EditedScript> edited = EditCopies(
        bytes, preprocess, [&](const VersionScript& model) { return copies.Takes(model, {}); },
        [&](const VersionScript& model) {
            Expected<ScriptEdits> edits = BumpEditsOf(model, part, force, noFollow, notes);
            if (edits && !versions)
                versions = "FILEVERSION " + *edits->FileVersion + "\nPRODUCTVERSION " +
                           *edits->ProductVersion + "\n";
            return edits;
        });
    io.Err << notes;
    if (!edited) {
        io.Err << path << ": " << edited.message() << '\n';
        return ExitFailure;
    }
    const int written = Write(*edited, path, copies.OutPath, io);
    if (written == ExitSuccess)
        io.Out << *versions;
    return written;
}

} // namespace qm
