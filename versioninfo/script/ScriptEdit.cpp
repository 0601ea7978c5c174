//===- ScriptEdit.cpp - Changing fields of a script where they stand -------===//
//
// Edits are collected as byte-range replacements on the original text and
// applied at the end, so nothing between them is ever rewritten. Numbers
// are spelled as the field spelled them before (0x1L stays hexadecimal with
// its suffix, names stay names), so a script without winver.h still
// compiles after the edit.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptEdit.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace qm {

namespace {

struct Replacement {
    std::size_t Begin;
    std::size_t End;
    std::string Text;
    std::uint16_t File = 0; ///< the script, or the header it stands in
};

std::string HexDigits(std::uint32_t value, bool lower, int width = 0) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, lower ? "%0*x" : "%0*X", width,
                  static_cast<unsigned>(value));
    return buffer;
}

bool HasLowerHex(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'f'; });
}

// `value` in the notation of `old`, a number token: the same base, the same
// case of hexadecimal digits, the same suffix.
std::string SpellLike(std::string_view old, std::uint32_t value) {
    std::size_t suffix = old.size();
    while (suffix > 0 && std::string_view("lLuU").find(old[suffix - 1]) != std::string_view::npos)
        --suffix;
    const std::string tail(old.substr(suffix));
    std::string_view digits = old.substr(0, suffix);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        return std::string(digits.substr(0, 2)) + HexDigits(value, HasLowerHex(digits.substr(2))) +
               tail;
    return std::to_string(value) + tail;
}

// The script text of a marker-form value: a quoted literal (with "\0" when
// `terminated`), or a bare value as it stands.
std::string ValueText(std::string_view marker, bool terminated, bool& bare) {
    std::string_view text = TrimRight(marker);
    bare = text.substr(0, 2) == "\\#";
    if (bare)
        return std::string(text.substr(2));
    if (text.substr(0, 2) == "\\0")
        text.remove_prefix(2);
    else if (text.substr(0, 2) == "\\\\")
        text.remove_prefix(1);
    return "\"" + std::string(text) + (terminated ? "\\0\"" : "\"");
}

class Editor {
public:
    Editor(std::string_view text, const VersionScript& script, const ScriptEdits& edits)
        : MainText(text), Text(script.Tokens.FileText(script.File)), Script(script), Edits(edits) {}

    // The comment and include lines are the user's to change, and what they
    // define may change fields: they go in after the guard, which holds the
    // field edits to what was asked, and the result must still compile.
    Expected<EditedScript> Run() {
        if (Status made = MakeEdits(); !made)
            return Status::Fail(made.message());
        std::map<std::uint16_t, std::string> files = Apply();
        const PreprocessOptions options = EditedOptions(files);
        if (Status guarded = Guard(files[0], options); !guarded)
            return Status::Fail(guarded.message());
        EditedScript edited;
        edited.Notes = Notes;
        edited.Text = std::move(files[0]);
        for (auto& [file, text] : files)
            if (file != 0)
                edited.Headers.push_back({Script.Tokens.Files[file].Path, std::move(text)});
        if (!Head)
            return edited;
        edited.Text.replace(Head->Begin, Head->End - Head->Begin, Head->Text);
        if (Expected<VersionScript> after = ParseVersionScript(edited.Text, options, Script.Index);
            !after)
            return Status::Fail("The new comment and include lines would leave a script a "
                                "compiler refuses (" +
                                after.message() + "); nothing was written");
        return edited;
    }

private:
    // Offsets, lines and texts of the file the resource stands in.
    std::string Line(std::size_t offset) const { return Script.Tokens.Where(Script.File, offset); }
    std::size_t LineOf(std::size_t offset) const {
        return Script.Tokens.LineOf(Script.File, offset);
    }
    const std::vector<std::uint32_t>& Starts() const {
        return Script.Tokens.LineStartsOf(Script.File);
    }
    std::string_view SpanText(ScriptSpan span) const {
        return Script.Tokens.Text(Script.File, span);
    }

    Status MakeEdits() {
        for (auto [keyword, value] : {std::pair{"FILEVERSION", &Edits.FileVersion},
                                      std::pair{"PRODUCTVERSION", &Edits.ProductVersion}}) {
            if (*value)
                if (Status s = EditVersion(keyword, **value); !s)
                    return s;
        }
        if (Edits.Debug || Edits.PreRelease || Edits.Patched || BuildFlagsFollowStrings())
            if (Status s = EditFlags(); !s)
                return s;
        for (auto [keyword, name] :
             {std::pair{"FILEOS", &Edits.FileOS}, std::pair{"FILETYPE", &Edits.FileType}}) {
            if (!*name)
                continue;
            const std::optional<std::uint32_t> value = WinverValue(**name);
            if (!value)
                return Status::Fail(std::string(keyword) + " " + Quote(**name) +
                                    " is no name of its list");
            if (Status s = EditNamed(keyword, *value, **name); !s)
                return s;
        }
        if (Edits.FileSubType) {
            const std::string type = Edits.FileType.value_or(CurrentFileTypeName());
            std::optional<std::uint32_t> value = SubTypeValue(type, *Edits.FileSubType);
            // A VxD's subtype is its device number, any number.
            if (!value && type == "VFT_VXD")
                value = DeviceNumber(*Edits.FileSubType);
            if (!value)
                return Status::Fail("FILESUBTYPE " + *Edits.FileSubType + " is no subtype of " +
                                    type);
            if (Status s = EditNamed("FILESUBTYPE", *value, *Edits.FileSubType); !s)
                return s;
        } else if (Edits.FileType && CurrentSubTypeValue() != 0) {
            // A new type starts from its list's first subtype, VFT2_UNKNOWN.
            if (Status s = EditNamed("FILESUBTYPE", 0, "VFT2_UNKNOWN"); !s)
                return s;
        }
        if (Edits.Language || Edits.CodePage)
            if (Status s = EditTableName(); !s)
                return s;
        for (const StringEdit& edit : Edits.Strings)
            if (Status s = EditString(edit); !s)
                return s;
        if (Edits.ComIncLines)
            return EditComIncLines(*Edits.ComIncLines);
        return Status::Ok();
    }

    // The comment and include lines are the lines before the VERSIONINFO
    // line: exactly those are replaced, ended like the file's lines. A
    // UTF-8 signature stays in front.
    Status EditComIncLines(const Lines& lines) {
        if (Script.File != 0)
            return Status::Fail("The VERSIONINFO is in an included file, not after the script's "
                                "comment and include lines");
        const std::size_t signature = MainText.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        const std::size_t header = Starts()[Script.HeaderLine - 1];
        const std::string end = LineEndNear(0);
        std::string head;
        for (const std::string& line : lines)
            head += line + end;
        if (signature && head.compare(0, 3, "\xEF\xBB\xBF") == 0)
            head.erase(0, 3);
        Head = Replacement{signature, std::max(signature, header), std::move(head)};
        return Status::Ok();
    }

    // VS_FF_PRIVATEBUILD and VS_FF_SPECIALBUILD say that their string is
    // there, so an edit that adds or removes one moves its flag too.
    std::optional<bool> BuildFlag(std::string_view key) const {
        for (const StringEdit& edit : Edits.Strings)
            if (edit.Key == key)
                return !TrimRight(edit.Value).empty();
        return std::nullopt;
    }
    bool BuildFlagsFollowStrings() const {
        const FixedStatement* flags = Script.FindFixed("FILEFLAGS");
        return (BuildFlag("PrivateBuild") || BuildFlag("SpecialBuild")) && flags &&
               CheckEditable(*flags).ok();
    }

    std::uint32_t CurrentSubTypeValue() const {
        const FixedStatement* subType = Script.FindFixed("FILESUBTYPE");
        return subType ? subType->Numbers.front().Value.value_or(1) : 0;
    }

    static std::optional<std::uint32_t> DeviceNumber(const std::string& text) {
        const std::optional<std::uint64_t> value = ParseNumber(text, NumberBase::Auto, 0xFFFFFFFFu);
        if (!value)
            return std::nullopt;
        return static_cast<std::uint32_t>(*value);
    }

    std::string CurrentFileTypeName() const {
        const FixedStatement* type = Script.FindFixed("FILETYPE");
        if (!type || !type->Numbers.front().Value)
            return "";
        return std::string(
            NameWithValue(FileTypeValues(), *type->Numbers.front().Value).value_or(""));
    }

    // How the caller forces a refused field, named after the refusal.
    std::string ForceHint(const char* what) const {
        return Edits.ForceOption.empty() ? std::string()
                                         : "; " + Edits.ForceOption + " replaces " + what;
    }

    // A field may be replaced when every number of it is known without the
    // script's own macros (a literal, or winver.h names), outside any
    // #if/#else, or when the user forces it.
    Status CheckEditable(const FixedStatement& statement) const {
        if (Edits.Force)
            return Status::Ok();
        if (!statement.Condition.empty())
            return Status::Fail(Line(statement.Span.Begin) + ": " + statement.Keyword +
                                " depends on the preprocessor (" + statement.Condition + ")" +
                                ForceHint("the compiled branch only"));
        for (const ScriptNumber& number : statement.Numbers) {
            if (!number.Value || !number.Macro.empty())
                return Status::Fail(Line(statement.Span.Begin) + ": " + statement.Keyword +
                                    " is written as \"" +
                                    std::string(SpanText(statement.ValueSpan)) +
                                    "\", a macro or an expression" + ForceHint("it"));
        }
        return Status::Ok();
    }

    // The statement of a field the edit may replace, or why not.
    Expected<const FixedStatement*> EditableField(const char* keyword) const {
        const FixedStatement* statement = Script.FindFixed(keyword);
        if (!statement)
            return Status::Fail(std::string(keyword) + " is not in the script's VERSIONINFO (" +
                                Line(Script.Span.Begin) + "); add it there first");
        if (Status editable = CheckEditable(*statement); !editable)
            return editable;
        return statement;
    }

    Status EditVersion(const char* keyword, const std::string& text) {
        Expected<VersionParts> parts = ParseFixedVersion(text, keyword);
        const FixedStatement* existing = Script.FindFixed(keyword);
        if (parts && existing && Followed(*existing))
            return FollowVersion(*existing, *parts);
        Expected<const FixedStatement*> field = EditableField(keyword);
        if (!field)
            return Status::Fail(field.message());
        const FixedStatement* statement = *field;
        if (!parts) {
            // Not four numbers (a macro, say): written as given, for the
            // compiler to read.
            Replace(statement->ValueSpan, text);
            Allowed.insert(keyword);
            return Status::Ok();
        }
        // Keep the separator the script uses between the parts.
        std::string separator = ", ";
        if (statement->Numbers.size() > 1)
            separator = std::string(
                SpanText({statement->Numbers[0].Span.End, statement->Numbers[1].Span.Begin}));
        if (separator.find(',') == std::string::npos ||
            separator.find_first_of("\r\n") != std::string::npos)
            separator = ", ";
        std::string spelled;
        for (std::size_t i = 0; i < 4; ++i)
            spelled += (i ? separator : "") + std::to_string((*parts)[i]);
        Replace(statement->ValueSpan, spelled);
        Allowed.insert(keyword);
        AskedVersions[keyword] = *parts;
        return Status::Ok();
    }

    //===-- Where the version lives ------------------------------------===//

    // A version spelled through macros is edited in the #defines that give
    // its parts, unless asked not to or forced to replace the field.
    bool Followed(const FixedStatement& statement) const {
        if (Edits.Force || Edits.NoFollow || !statement.Condition.empty())
            return false;
        return std::any_of(statement.Numbers.begin(), statement.Numbers.end(),
                           [](const ScriptNumber& number) { return !number.Macro.empty(); });
    }

    Status FollowVersion(const FixedStatement& statement, const VersionParts& parts) {
        const std::string& keyword = statement.Keyword;
        if (statement.Numbers.size() != 4)
            return Status::Fail(Line(statement.Span.Begin) + ": " + keyword +
                                " is not written as four parts");
        for (std::size_t i = 0; i < 4; ++i) {
            const ScriptNumber& number = statement.Numbers[i];
            if (number.Value == parts[i])
                continue;
            if (number.Literal) {
                Replace(number.Span, SpellLike(SpanText(number.Span), parts[i]));
                continue;
            }
            if (Status followed =
                    FollowLiteral(keyword + " part " + std::to_string(i + 1), number, parts[i]);
                !followed)
                return followed;
        }
        Allowed.insert(keyword);
        AskedVersions[keyword] = parts;
        return Status::Ok();
    }

    // The one number token of `number`, which must be a literal of a
    // #define of the project that nothing outside the resource uses.
    Status FollowLiteral(const std::string& what, const ScriptNumber& number, std::uint32_t value) {
        const ScriptToken& token = Script.Tokens.Tokens[number.FirstToken];
        const std::string spelled = std::string(SpanText(number.Span));
        if (number.TokenCount != 1 || token.Kind != TokenKind::Number || !token.Origin)
            return Status::Fail(Line(number.Span.Begin) + ": " + what + " is computed (\"" +
                                spelled + "\"), not one #define's number" + ForceHint("it"));
        const TokenOrigin& origin = *token.Origin;
        if (Status alone = UsedHereAlone(origin); !alone)
            return alone;
        const std::string_view old = Script.Tokens.Text(origin.File, origin.Span);
        const std::string now = SpellLike(old, value);
        ReplaceIn(origin.File, origin.Span, now);
        NoteChange(origin, old, now);
        Followed(origin.Macro);
        return Status::Ok();
    }

    // A define behind several parts of a version is named once.
    void Followed(const std::string& macro) {
        if (std::find(FollowedMacros.begin(), FollowedMacros.end(), macro) == FollowedMacros.end())
            FollowedMacros.push_back(macro);
    }

    // FILEVERSION and PRODUCTVERSION may edit one define alike: said once.
    void Note(std::string note) {
        if (std::find(Notes.begin(), Notes.end(), note) == Notes.end())
            Notes.push_back(std::move(note));
    }

    // Which file and line changed, and how; a define another copy already
    // brought to the new value is not a change.
    void NoteChange(const TokenOrigin& origin, std::string_view old, const std::string& now) {
        if (old != now)
            Note(Script.Tokens.Where(origin.File, origin.Span.Begin) + ": " + origin.Macro + " " +
                 std::string(old) + " -> " + now);
    }

    // A #define used outside the version resource (another resource, a
    // condition) would change there too.
    Status UsedHereAlone(const TokenOrigin& origin) const {
        // Every VERSIONINFO of the script counts as here: the guard holds
        // an edit of each copy to its own fields, and copies left alone to
        // none. A string spelled from the define (STRINGIFY) is here too.
        const auto uses = Script.Tokens.MacroUses.find(origin.Macro);
        const auto inSomeResource = [this](const MacroSite& site) {
            return std::any_of(
                Script.Places.begin(), Script.Places.end(), [&](const ResourcePlace& place) {
                    return place.File == site.File && place.Span.Begin <= site.Offset &&
                           site.Offset < place.Span.End;
                });
        };
        if (uses != Script.Tokens.MacroUses.end() && !uses->second.AllKept())
            return Status::Fail(Script.Tokens.Where(origin.File, origin.Span.Begin) + ": " +
                                origin.Macro + " is used " + std::to_string(uses->second.Count) +
                                " times, too often to tell that the edit changes nothing else" +
                                ForceHint("the field itself"));
        if (uses != Script.Tokens.MacroUses.end() &&
            !std::all_of(uses->second.First.begin(), uses->second.First.end(), inSomeResource))
            return Status::Fail(Script.Tokens.Where(origin.File, origin.Span.Begin) + ": " +
                                origin.Macro +
                                " is used outside the version resource too, which the edit "
                                "would change" +
                                ForceHint("the field itself"));
        return Status::Ok();
    }

    // A string value that is one string literal of a #define, maybe with
    // the script's "\0" after it (VER_STR "\0").
    const TokenOrigin* FollowedString(const ValueStatement& value) const {
        if (Edits.Force || Edits.NoFollow || !value.Condition.empty() || value.Items.size() != 1)
            return nullptr;
        const ValueItem& item = value.Items.front();
        if (item.StringTokens.empty() || item.TokenCount != item.StringTokens.size())
            return nullptr;
        for (std::size_t i = 1; i < item.StringTokens.size(); ++i) {
            const ScriptToken& after = Script.Tokens.Tokens[item.StringTokens[i]];
            if (!after.Macro.empty() || StringInner(after) != "\\0")
                return nullptr;
        }
        const ScriptToken& token = Script.Tokens.Tokens[item.StringTokens.front()];
        return token.Origin && token.Origin->WholeBody ? &*token.Origin : nullptr;
    }

    Status EditFlags() {
        Expected<const FixedStatement*> field = EditableField("FILEFLAGS");
        if (!field)
            return Status::Fail(field.message());
        const FixedStatement* statement = *field;
        std::uint32_t flags = statement->Numbers.front().Value.value_or(0);
        auto apply = [&flags](const std::optional<bool>& on, std::uint32_t bit) {
            if (on)
                flags = *on ? (flags | bit) : (flags & ~bit);
        };
        apply(Edits.Debug, 0x1);
        apply(Edits.PreRelease, 0x2);
        apply(Edits.Patched, 0x4);
        apply(BuildFlag("PrivateBuild"), 0x8);
        apply(BuildFlag("SpecialBuild"), 0x20);
        const ScriptNumber& number = statement->Numbers.front();
        Replace(number.Span,
                number.Literal ? SpellLike(SpanText(number.Span), flags) : FlagNames(flags));
        Allowed.insert("FILEFLAGS");
        return Status::Ok();
    }

    Status EditNamed(const char* keyword, std::uint32_t value, const std::string& name) {
        Expected<const FixedStatement*> field = EditableField(keyword);
        if (!field)
            return Status::Fail(field.message());
        const FixedStatement* statement = *field;
        const ScriptNumber& number = statement->Numbers.front();
        Replace(number.Span, number.Literal ? SpellLike(SpanText(number.Span), value) : name);
        Allowed.insert(keyword);
        return Status::Ok();
    }

    const ScriptStringTable* TableNamed(const std::string& name) const {
        for (const ScriptStringTable& table : Script.Tables)
            if (EqualsIgnoringCase(table.Name, name))
                return &table;
        return nullptr;
    }

    Status TargetTable(const ScriptStringTable*& table) const {
        if (Script.Tables.empty())
            return Status::Fail("The script has no string table (" + Line(Script.Span.Begin) + ")");
        table = Edits.Block.empty() ? &Script.Tables.front() : TableNamed(Edits.Block);
        if (!table)
            return Status::Fail("The script has no string table named " + Edits.Block);
        return Status::Ok();
    }

    Status EditTableName() {
        const ScriptStringTable* table = nullptr;
        if (Status s = TargetTable(table); !s)
            return s;
        const std::string_view oldName = table->Name;
        const auto oldLanguage = ParseNumber(oldName.substr(0, 4), NumberBase::Hexadecimal);
        const auto oldCodePage = ParseNumber(oldName.substr(4), NumberBase::Hexadecimal);
        if (oldName.size() != 8 || !oldLanguage || !oldCodePage || !table->Condition.empty())
            return Status::Fail(Line(table->NameSpan.Begin) + ": the table name \"" + table->Name +
                                "\" is not eight hexadecimal digits");
        const unsigned language =
            Edits.Language ? static_cast<unsigned>(*Edits.Language) : unsigned(*oldLanguage);
        const unsigned codePage =
            Edits.CodePage ? static_cast<unsigned>(*Edits.CodePage) : unsigned(*oldCodePage);
        const bool lower = HasLowerHex(table->Name);
        const std::string name = HexDigits(language, lower, 4) + HexDigits(codePage, lower, 4);
        std::string_view old = SpanText(table->NameSpan);
        Replace(table->NameSpan, std::string(old.substr(0, old.find('"') + 1)) + name + "\"");
        RenamedTable = static_cast<std::size_t>(table - Script.Tables.data());
        // The Translation pair that named this table follows it.
        if (Script.Translation) {
            const std::vector<ScriptNumber>& numbers = Script.Translation->Numbers;
            for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
                if (numbers[i].Value == oldLanguage && numbers[i + 1].Value == oldCodePage &&
                    numbers[i].Literal && numbers[i + 1].Literal) {
                    Replace(numbers[i].Span, SpellLike(SpanText(numbers[i].Span), language));
                    Replace(numbers[i + 1].Span,
                            SpellLike(SpanText(numbers[i + 1].Span), codePage));
                    Allowed.insert("Translation");
                    break;
                }
            }
        }
        return Status::Ok();
    }

    Status EditString(const StringEdit& edit) {
        for (const std::string& name : TablesForString(Script, Edits, edit)) {
            const ScriptStringTable* table = TableNamed(name);
            if (!table)
                return Status::Fail("The script has no string table named " + name);
            if (Status s = EditStringIn(*table, edit); !s)
                return s;
        }
        return Status::Ok();
    }

    Status EditStringIn(const ScriptStringTable& table, const StringEdit& edit) {
        const ValueStatement* found = nullptr;
        for (const ValueStatement& value : table.Values)
            if (value.Key == edit.Key)
                found = &value;
        const std::string field = StringFieldName(table.Name, edit.Key);
        Allowed.insert(field);
        if (found && !found->Condition.empty() && !Edits.Force)
            return Status::Fail(Line(found->Span.Begin) + ": " + edit.Key + " stands under " +
                                found->Condition + ", whose branch a compiler may not take" +
                                ForceHint("it"));
        if (TrimRight(edit.Value).empty())
            return found ? CommentOut(*found) : Status::Ok();
        if (!found) {
            if (Status settled = SettledTable(table); !settled)
                return settled;
            return AddValue(table, edit);
        }
        if (const TokenOrigin* origin = FollowedString(*found))
            return FollowString(*origin, field, edit);
        if (!Edits.Force && !Edits.NoFollow && found->Condition.empty() && !found->Macro.empty()) {
            // Computed from macros, as STRINGIFY(VER_MAJOR) "." ...: the
            // defines this edit changes may make it what is asked; the guard
            // holds it to that.
            bool bare = false;
            const std::string text = ValueText(edit.Value, false, bare);
            if (!bare) {
                Derived[field] = {Line(found->Span.Begin), std::string(SpanText(found->ValueSpan))};
                AskedStrings[field] =
                    CompiledOfScriptText(std::string_view(text).substr(1, text.size() - 2));
                return Status::Ok();
            }
        }
        if (!Edits.Force && (!found->SingleLiteral || !found->Condition.empty()))
            return Status::Fail(Line(found->Span.Begin) + ": " + edit.Key + " is written as " +
                                std::string(SpanText(found->ValueSpan)) +
                                (found->Condition.empty() ? ", not one quoted string"
                                                          : " under " + found->Condition) +
                                ForceHint("it"));
        const std::string_view old = SpanText(found->ValueSpan);
        const bool terminated = old.size() >= 4 && old.substr(old.size() - 3) == "\\0\"";
        const bool wide = old.front() != '"'; // L"...": the new text stays wide
        bool bare = false;
        const std::string text = ValueText(edit.Value, terminated, bare);
        Replace(found->ValueSpan, (wide && !bare ? std::string(old.substr(0, 1)) : "") + text);
        if (!bare)
            AskedStrings[field] =
                CompiledOfScriptText(std::string_view(text).substr(1, text.size() - 2));
        return Status::Ok();
    }

    Status FollowString(const TokenOrigin& origin, const std::string& field,
                        const StringEdit& edit) {
        if (Status alone = UsedHereAlone(origin); !alone)
            return alone;
        const std::string_view old = Script.Tokens.Text(origin.File, origin.Span);
        const bool terminated = old.size() >= 4 && old.substr(old.size() - 3) == "\\0\"";
        bool bare = false;
        const std::string text = ValueText(edit.Value, terminated, bare);
        if (bare)
            return Status::Fail(Script.Tokens.Where(origin.File, origin.Span.Begin) + ": " +
                                origin.Macro + " holds a quoted string, not bare text");
        const std::string now = (old.front() != '"' ? std::string(old.substr(0, 1)) : "") + text;
        ReplaceIn(origin.File, origin.Span, now);
        NoteChange(origin, old, now);
        Followed(origin.Macro);
        AskedStrings[field] =
            CompiledOfScriptText(std::string_view(text).substr(1, text.size() - 2));
        return Status::Ok();
    }

    // A VALUE added to a table with an undetermined #if in it may land in
    // a branch the compiler does not take, and never reach the built file.
    Status SettledTable(const ScriptStringTable& table) const {
        for (const UndeterminedGroup& group : Script.Tokens.Undetermined)
            if (group.File == Script.File && group.Span.Begin < table.Span.End &&
                group.Span.End > table.Span.Begin)
                return Status::Fail(Line(table.Span.Begin) + ": the table " + table.Name +
                                    " holds " + group.Line +
                                    ", whose branch a compiler may take otherwise, so a VALUE "
                                    "added there may never be compiled; give -D or -U " +
                                    group.Name + " to settle it");
        return Status::Ok();
    }

    // "//" before a VALUE that stands alone on its line, as the writer
    // leaves an empty value.
    Status CommentOut(const ValueStatement& value) {
        const std::size_t lineStart = Starts()[LineOf(value.Span.Begin) - 1];
        const bool alone = Trim(Text.substr(lineStart, value.Span.Begin - lineStart)).empty() &&
                           LineOf(value.Span.Begin) == LineOf(value.Span.End);
        if (!alone)
            return Status::Fail(Line(value.Span.Begin) + ": the VALUE \"" + value.Key +
                                "\" shares its line; remove it by hand");
        Replace({value.Span.Begin, value.Span.Begin}, "// ");
        return Status::Ok();
    }

    // A new VALUE line after the table's last one, indented like it and
    // ended like the file's lines.
    Status AddValue(const ScriptStringTable& table, const StringEdit& edit) {
        std::size_t anchorLineStart;
        std::string indent;
        bool terminated = true;
        std::size_t insertAt;
        if (!table.Values.empty()) {
            const ValueStatement& last = table.Values.back();
            const std::size_t line = LineOf(last.Span.End);
            anchorLineStart = Starts()[LineOf(last.Span.Begin) - 1];
            insertAt = line < Starts().size() ? Starts()[line] : Text.size();
            const std::string_view old = SpanText(last.ValueSpan);
            terminated = old.size() >= 3 && old.substr(old.size() - 3) == "\\0\"";
        } else {
            const std::size_t line = LineOf(table.BodyEnd);
            anchorLineStart = Starts()[line - 1];
            insertAt = anchorLineStart;
        }
        for (std::size_t i = anchorLineStart;
             i < Text.size() && (Text[i] == ' ' || Text[i] == '\t'); ++i)
            indent += Text[i];
        if (table.Values.empty())
            indent += "    ";
        const std::string lineEnd = LineEndNear(anchorLineStart);
        bool bare = false;
        const std::string value = ValueText(edit.Value, terminated, bare);
        std::string line = indent + "VALUE \"" + edit.Key + "\", " + value + lineEnd;
        if (insertAt == Text.size() && !Text.empty() && Text.back() != '\n' && Text.back() != '\r')
            line = lineEnd + line;
        Replace({insertAt, insertAt}, line);
        if (!bare)
            AskedStrings[StringFieldName(table.Name, edit.Key)] =
                CompiledOfScriptText(std::string_view(value).substr(1, value.size() - 2));
        return Status::Ok();
    }

    // The line end of the line at `lineStart`, so that a line added among
    // others ends as they do in a file of mixed line ends; else the file's
    // first, else CR LF.
    std::string LineEndNear(std::size_t lineStart) const {
        std::size_t end = Text.find_first_of("\r\n", lineStart);
        if (end == std::string_view::npos)
            end = Text.find_first_of("\r\n");
        if (end == std::string_view::npos)
            return "\r\n";
        return Text.substr(end, 2) == "\r\n" ? "\r\n" : std::string(1, Text[end]);
    }

    void Replace(ScriptSpan span, std::string text) {
        Replacements.push_back({span.Begin, span.End, std::move(text), Script.File});
    }
    void ReplaceIn(std::uint16_t file, ScriptSpan span, std::string text) {
        Replacements.push_back({span.Begin, span.End, std::move(text), file});
    }

    // Each file the replacements reach, with its new text.
    std::map<std::uint16_t, std::string> Apply() {
        std::stable_sort(Replacements.begin(), Replacements.end(),
                         [](const Replacement& a, const Replacement& b) {
                             return a.File != b.File ? a.File < b.File : a.Begin < b.Begin;
                         });
        std::map<std::uint16_t, std::string> files;
        for (std::size_t first = 0; first < Replacements.size();) {
            const std::uint16_t file = Replacements[first].File;
            const std::string_view text = file == 0 ? MainText : Script.Tokens.FileText(file);
            std::string out;
            out.reserve(text.size() + 256);
            std::size_t at = 0, i = first;
            for (; i < Replacements.size() && Replacements[i].File == file; ++i) {
                const Replacement& r = Replacements[i];
                if (r.Begin < at)
                    continue; // the same tokens asked twice: the first edit stands
                out.append(text.substr(at, r.Begin - at));
                out.append(r.Text);
                at = r.End;
            }
            out.append(text.substr(at));
            files[file] = std::move(out);
            first = i;
        }
        if (!files.count(0))
            files[0] = std::string(MainText);
        return files;
    }

    // How the edited files read: the script from its new text, the headers
    // from theirs.
    PreprocessOptions EditedOptions(const std::map<std::uint16_t, std::string>& files) const {
        PreprocessOptions options = Script.Tokens.Options;
        for (const auto& [file, text] : files)
            if (file != 0)
                options.Overrides[Script.Tokens.Files[file].Path] = text;
        return options;
    }

    //===-- The guard ----------------------------------------------------===//

    Status Guard(const std::string& edited, const PreprocessOptions& options) const {
        Expected<VersionScript> after = ParseVersionScript(edited, options, Script.Index);
        if (!after)
            return Status::Fail("The edit would leave a script a compiler refuses (" +
                                after.message() + "); nothing was written");
        if (Status defined = AskedNamesDefined(*after); !defined)
            return defined;
        const ScriptCompiled before = CompileScriptModel(Script);
        const ScriptCompiled now = CompileScriptModel(*after);
        std::vector<std::string> changed;
        CompareFixed(before.Info.Fixed, now.Info.Fixed, changed);
        CompareTables(before.Info, now.Info, changed);
        if (before.Info.Translations != now.Info.Translations && !Allowed.count("Translation"))
            changed.push_back("Translation");
        if (Script.Unmodelled != after->Unmodelled)
            changed.push_back("the blocks outside the string tables");
        CheckAsked(now, changed);
        if (changed.empty())
            return Status::Ok();
        std::string list;
        for (const std::string& field : changed)
            list += (list.empty() ? "" : ", ") + field;
        std::string followed;
        for (const std::string& macro : FollowedMacros)
            followed += (followed.empty() ? "" : ", ") + macro;
        if (!followed.empty())
            list += ", which the edited #defines (" + followed + ") give too";
        return Status::Fail("The edit would change more than was asked (" + list +
                            "); nothing was written");
    }

    // A field set to a name (--file-version VER_X) that no file defines
    // stops the compiler, unless a header not found may define it.
    Status AskedNamesDefined(const VersionScript& after) const {
        const bool headerMissing =
            std::any_of(after.Tokens.Includes.begin(), after.Tokens.Includes.end(),
                        [](const ScriptInclude& include) {
                            return include.How == ScriptInclude::Outcome::Missing;
                        });
        if (headerMissing)
            return Status::Ok();
        for (const FixedStatement& statement : after.Fixed)
            for (const ScriptNumber& number : statement.Numbers)
                if (Allowed.count(statement.Keyword) && !number.Unknown.empty())
                    return Status::Fail("The edit would leave a script a compiler refuses (" +
                                        statement.Keyword + " needs " + number.Unknown +
                                        ", which no file defines); nothing was written");
        return Status::Ok();
    }

    void CompareFixed(const FixedFileInfo& a, const FixedFileInfo& b,
                      std::vector<std::string>& changed) const {
        auto check = [&](const char* field, bool same) {
            if (!same && !Allowed.count(field))
                changed.push_back(field);
        };
        check("FILEVERSION",
              a.FileVersionMS == b.FileVersionMS && a.FileVersionLS == b.FileVersionLS);
        check("PRODUCTVERSION",
              a.ProductVersionMS == b.ProductVersionMS && a.ProductVersionLS == b.ProductVersionLS);
        check("FILEFLAGSMASK", a.FileFlagsMask == b.FileFlagsMask);
        check("FILEFLAGS", a.FileFlags == b.FileFlags);
        check("FILEOS", a.FileOS == b.FileOS);
        check("FILETYPE", a.FileType == b.FileType);
        check("FILESUBTYPE", a.FileSubtype == b.FileSubtype);
    }

    void CompareTables(const CompiledVersionInfo& a, const CompiledVersionInfo& b,
                       std::vector<std::string>& changed) const {
        if (a.Tables.size() != b.Tables.size()) {
            changed.push_back("the number of string tables");
            return;
        }
        for (std::size_t t = 0; t < a.Tables.size(); ++t) {
            const CompiledStringTable& old = a.Tables[t];
            const CompiledStringTable& now = b.Tables[t];
            if (old.Name != now.Name && t != RenamedTable)
                changed.push_back("the name of table " + old.Name);
            // Keys the edit reached may come, go or change; every other
            // entry must stay, in its order.
            auto kept = [&](const CompiledStringTable& table) {
                std::vector<const CompiledString*> entries;
                for (const CompiledString& s : table.Strings)
                    if (!Allowed.count(StringFieldName(old.Name, s.Key)))
                        entries.push_back(&s);
                return entries;
            };
            const auto x = kept(old), y = kept(now);
            bool same = x.size() == y.size();
            for (std::size_t i = 0; same && i < x.size(); ++i)
                same = x[i]->Key == y[i]->Key && x[i]->Value == y[i]->Value &&
                       x[i]->IsText == y[i]->IsText;
            if (!same)
                changed.push_back("the strings of table " + old.Name);
        }
    }

    // The asked-for fields must compile to what was asked.
    void CheckAsked(const ScriptCompiled& now, std::vector<std::string>& changed) const {
        for (const auto& [keyword, parts] : AskedVersions) {
            const bool file = keyword == "FILEVERSION";
            const std::uint32_t ms =
                file ? now.Info.Fixed.FileVersionMS : now.Info.Fixed.ProductVersionMS;
            const std::uint32_t ls =
                file ? now.Info.Fixed.FileVersionLS : now.Info.Fixed.ProductVersionLS;
            if (ms != (static_cast<std::uint32_t>(parts[0]) << 16 | parts[1]) ||
                ls != (static_cast<std::uint32_t>(parts[2]) << 16 | parts[3]))
                changed.push_back(keyword + " (not compiled as asked)");
        }
        for (const auto& [field, value] : AskedStrings) {
            bool found = false;
            for (const CompiledStringTable& table : now.Info.Tables)
                for (const CompiledString& s : table.Strings)
                    if (StringFieldName(table.Name, s.Key) == field)
                        found = s.Value == value;
            if (found || RenamedTable != npos)
                continue;
            const auto derived = Derived.find(field);
            if (derived != Derived.end())
                changed.push_back(derived->second.first + ": " + field + " is written as " +
                                  derived->second.second + ", which this edit does not make " +
                                  Quote(value) + ForceHint("it"));
            else
                changed.push_back(field + " (not compiled as asked)");
        }
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::string_view MainText; ///< the script's
    std::string_view Text;     ///< the file the resource stands in, the script's or a header's
    const VersionScript& Script;
    const ScriptEdits& Edits;
    std::vector<Replacement> Replacements;
    std::optional<Replacement> Head; ///< the comment and include lines, made last
    std::vector<std::string> Notes;
    std::vector<std::string> FollowedMacros; ///< the #defines edited
    /// String fields computed from macros, left to the defines the edit
    /// changes: where they stand, and as what they are written.
    std::map<std::string, std::pair<std::string, std::string>> Derived;
    std::set<std::string> Allowed;
    std::map<std::string, VersionParts> AskedVersions;
    std::map<std::string, std::string> AskedStrings;
    std::size_t RenamedTable = npos;
};

bool AgreesWithFixed(const VersionScript& script, const ValueStatement& value,
                     const FixedStatement* fixed) {
    if (!fixed || !value.IsText)
        return false;
    VersionParts parts{};
    for (std::size_t i = 0; i < 4 && i < fixed->Numbers.size(); ++i) {
        if (!fixed->Numbers[i].Value)
            return false;
        parts[i] = static_cast<std::uint16_t>(*fixed->Numbers[i].Value);
    }
    const std::vector<std::uint64_t> shown = LeadingVersionNumbers(ValueText(script, value));
    return !shown.empty() && StringVersionAgrees(shown, parts);
}

} // namespace

std::vector<std::string> TablesForString(const VersionScript& script, const ScriptEdits& edits,
                                         const StringEdit& edit) {
    if (!edit.Tables.empty())
        return edit.Tables;
    if (!edits.Block.empty())
        return {edits.Block};
    if (script.Tables.empty())
        return {};
    const bool versionKey = edit.Key == "FileVersion" || edit.Key == "ProductVersion";
    if (versionKey && script.Tables.size() > 1) {
        const FixedStatement* fixed =
            script.FindFixed(edit.Key == "FileVersion" ? "FILEVERSION" : "PRODUCTVERSION");
        std::vector<std::string> agreeing;
        for (const ScriptStringTable& table : script.Tables)
            for (const ValueStatement& value : table.Values)
                if (value.Key == edit.Key && AgreesWithFixed(script, value, fixed)) {
                    agreeing.push_back(table.Name);
                    break;
                }
        if (!agreeing.empty())
            return agreeing;
    }
    return {script.Tables.front().Name};
}

Expected<EditedScript> EditScriptFiles(std::string_view text, const VersionScript& script,
                                       const ScriptEdits& edits) {
    return Editor(text, script, edits).Run();
}

Expected<std::string> EditScript(std::string_view text, const VersionScript& script,
                                 const ScriptEdits& edits) {
    Expected<EditedScript> edited = EditScriptFiles(text, script, edits);
    if (!edited)
        return Status::Fail(edited.message());
    if (!edited->Headers.empty())
        return Status::Fail("The edit would change " + edited->Headers.front().first +
                            ", a file the script includes");
    return std::move(edited->Text);
}

bool ScriptEdits::Empty() const {
    return !FileVersion && !ProductVersion && !Debug && !PreRelease && !Patched && !FileOS &&
           !FileType && !FileSubType && !Language && !CodePage && Strings.empty() && !ComIncLines;
}

Expected<EditedScript> EditScriptBytes(std::string_view bytes, const ScriptEdits& edits,
                                       const PreprocessOptions& options, std::size_t resource) {
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    const std::string_view text = utf8 ? std::string_view(*utf8) : bytes;
    Expected<VersionScript> model = ParseVersionScript(text, options, resource);
    if (!model)
        return Status::Fail(model.message());
    Expected<EditedScript> edited = EditScriptFiles(text, *model, edits);
    if (edited && utf8)
        edited->Text = Utf16ScriptOfUtf8(edited->Text);
    return edited;
}

Expected<EditedScript>
EditCopies(std::string_view bytes, const PreprocessOptions& options,
           const std::function<bool(const VersionScript&)>& which,
           const std::function<Expected<ScriptEdits>(const VersionScript&)>& editsFor) {
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    const std::string original = utf8 ? *utf8 : std::string(bytes);
    Expected<VersionScript> first = ParseVersionScript(original, options);
    if (!first)
        return Status::Fail(first.message());
    EditedScript result;
    result.Text = original;
    PreprocessOptions current = options;
    std::vector<std::size_t> untouched;
    bool picked = false;
    for (std::size_t copy = 0; copy < first->Resources; ++copy) {
        // What a copy asks for is worked out from the script as it was: a
        // bump of two copies that share a #define must not count twice.
        Expected<VersionScript> asRead = ParseVersionScript(original, options, copy);
        if (!asRead)
            return Status::Fail(asRead.message());
        if (!which(*asRead)) {
            untouched.push_back(copy);
            continue;
        }
        picked = true;
        Expected<ScriptEdits> edits = editsFor(*asRead);
        if (!edits)
            return Status::Fail(edits.message());
        Expected<VersionScript> model = ParseVersionScript(result.Text, current, copy);
        if (!model)
            return Status::Fail(model.message());
        Expected<EditedScript> edited = EditScriptFiles(result.Text, *model, *edits);
        if (!edited)
            return Status::Fail(edited.message());
        result.Text = std::move(edited->Text);
        for (auto& [path, text] : edited->Headers)
            current.Overrides[path] = std::move(text);
        for (std::string& note : edited->Notes)
            if (std::find(result.Notes.begin(), result.Notes.end(), note) == result.Notes.end())
                result.Notes.push_back(std::move(note));
    }
    if (!picked)
        return Status::Fail("No VERSIONINFO of the script is in that language");
    // A copy not asked for must compile as it did (a #define it shares with
    // an edited copy would change it).
    for (std::size_t copy : untouched) {
        const Expected<VersionScript> before = ParseVersionScript(original, options, copy);
        const Expected<VersionScript> after = ParseVersionScript(result.Text, current, copy);
        if (!before || !after ||
            !(CompileScriptModel(*before).Info == CompileScriptModel(*after).Info))
            return Status::Fail("The edit would change the VERSIONINFO at " +
                                before->Tokens.Where(before->File, before->Span.Begin) +
                                " too, which shares its #defines; nothing was written");
    }
    for (const auto& [path, text] : current.Overrides)
        if (!options.Overrides.count(path))
            result.Headers.emplace_back(path, text);
    if (utf8)
        result.Text = Utf16ScriptOfUtf8(result.Text);
    return result;
}

Status SaveEditedScript(const std::string& path, const EditedScript& edited) {
    // Headers first, the script last; a failure puts back what was written.
    std::vector<std::pair<std::string, std::string>> written;
    auto undo = [&written] {
        for (const auto& [file, old] : written)
            (void)SaveFileSafely(file, old);
    };
    for (const auto& [file, text] : edited.Headers) {
        const LoadedFile old = LoadFile(file);
        if (!old)
            return Status::Fail(old.message());
        if (Status saved = SaveFileSafely(file, text); !saved) {
            undo();
            return saved;
        }
        written.emplace_back(file, *old);
    }
    if (Status saved = SaveFileSafely(path, edited.Text); !saved) {
        undo();
        return saved;
    }
    return Status::Ok();
}

ScriptEdits EditsBetween(const VersionRecord& read, const VersionRecord& shown) {
    ScriptEdits edits;
    auto changed = [](const auto& before, const auto& after, auto& edit) {
        if (before != after)
            edit = after;
    };
    changed(read.ComIncLines, shown.ComIncLines, edits.ComIncLines);
    changed(read.HFileVersion, shown.HFileVersion, edits.FileVersion);
    changed(read.HProductVersion, shown.HProductVersion, edits.ProductVersion);
    changed(read.FFDebug, shown.FFDebug, edits.Debug);
    changed(read.FFPreRelease, shown.FFPreRelease, edits.PreRelease);
    changed(read.FFPatched, shown.FFPatched, edits.Patched);
    changed(read.FileOS, shown.FileOS, edits.FileOS);
    changed(read.FileType, shown.FileType, edits.FileType);
    if (read.FileSubType != shown.FileSubType || edits.FileType)
        edits.FileSubType = shown.FileSubType;
    if (read.LanguageID != shown.LanguageID && shown.LanguageID != NoRow)
        edits.Language = LanguageValue(LanguageTable()[shown.LanguageID]);
    if (read.CodePage != shown.CodePage && shown.CodePage != NoRow)
        edits.CodePage = CodePageValue(CodePageTable()[shown.CodePage]);
    for (int k = 0; k < StringKeyCount; ++k)
        if (read.StringValues[k] != shown.StringValues[k])
            edits.Strings.push_back({std::string(StringKeys()[k]), shown.StringValues[k], {}});
    return edits;
}

Status ApplyEdits(const ScriptEdits& edits, VersionRecord& record) {
    if (edits.ComIncLines)
        record.ComIncLines = *edits.ComIncLines;
    if (edits.FileVersion)
        record.HFileVersion = *edits.FileVersion;
    if (edits.ProductVersion)
        record.HProductVersion = *edits.ProductVersion;
    if (edits.Debug)
        record.FFDebug = *edits.Debug;
    if (edits.PreRelease)
        record.FFPreRelease = *edits.PreRelease;
    if (edits.Patched)
        record.FFPatched = *edits.Patched;
    if (edits.FileOS)
        record.FileOS = *edits.FileOS;
    if (edits.FileType) {
        record.FileType = *edits.FileType;
        record.FileSubType = SubTypeLists(record.FileType).front();
    }
    if (edits.FileSubType) {
        if (record.FileType == "VFT_VXD") {
            // A VXD's subtype is its device number, which no list names.
            record.FileSubType = *edits.FileSubType;
        } else {
            const TextList subTypes = SubTypeLists(record.FileType);
            const int row = SelectExact(subTypes, *edits.FileSubType, NoRow);
            if (row == NoRow)
                return Status::Fail("Unknown FILESUBTYPE name " + Quote(*edits.FileSubType) +
                                    " for FILETYPE " + Quote(record.FileType));
            record.FileSubType = RowText(subTypes, row);
        }
    }
    if (edits.Language && (record.LanguageID = LanguageRowOf(*edits.Language)) == NoRow)
        return Status::Fail("No row of the language table holds " +
                            LanguageIDText(*edits.Language));
    if (edits.CodePage && (record.CodePage = CodePageRowOf(*edits.CodePage)) == NoRow)
        return Status::Fail("No row of the code page table holds " + CodePageText(*edits.CodePage));
    for (const StringEdit& edit : edits.Strings)
        if (const std::optional<StringKey> key = StringKeyNamed(edit.Key))
            record.StringValues[Index(*key)] = edit.Value;
    return Status::Ok();
}

} // namespace qm
