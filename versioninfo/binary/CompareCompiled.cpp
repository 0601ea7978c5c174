//===- CompareCompiled.cpp - A script's model against a compiled resource --===//

#include "versioninfo/binary/CompareCompiled.h"

#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/script/ScriptLexer.h"

namespace qm {

namespace {

std::string VersionOf(std::uint32_t ms, std::uint32_t ls) {
    return FixedVersionText(VersionPartsOf(ms, ls));
}

std::string TranslationsOf(const CompiledVersionInfo& info) {
    std::string text;
    for (const auto& [language, codePage] : info.Translations)
        text += (text.empty() ? "" : "; ") + Hex(language) + ", " + std::to_string(codePage);
    return text.empty() ? "missing" : text;
}

class Comparison {
public:
    Comparison(const ScriptCompiled& script, const CompiledVersionInfo& compiled, Findings& out)
        : Script(script), Compiled(compiled), Out(out) {}

    void Run() {
        const FixedFileInfo& a = Script.Info.Fixed;
        const FixedFileInfo& b = Compiled.Fixed;
        Field("FILEVERSION", VersionOf(a.FileVersionMS, a.FileVersionLS),
              VersionOf(b.FileVersionMS, b.FileVersionLS));
        Field("PRODUCTVERSION", VersionOf(a.ProductVersionMS, a.ProductVersionLS),
              VersionOf(b.ProductVersionMS, b.ProductVersionLS));
        Field("FILEFLAGSMASK", Hex(a.FileFlagsMask), Hex(b.FileFlagsMask));
        Field("FILEFLAGS", FlagNames(a.FileFlags), FlagNames(b.FileFlags));
        Field("FILEOS", Hex(a.FileOS), Hex(b.FileOS));
        Field("FILETYPE", Hex(a.FileType), Hex(b.FileType));
        Field("FILESUBTYPE", Hex(a.FileSubtype), Hex(b.FileSubtype));
        Tables();
        Field("Translation", TranslationsOf(Script.Info), TranslationsOf(Compiled));
    }

private:
    void Field(const std::string& field, const std::string& inScript, const std::string& compiled) {
        if (inScript != compiled && !Script.IsUndetermined(field))
            Out.push_back({field, field + " is " + inScript + " in the script but " + compiled +
                                      " in the compiled resource"});
    }

    static const CompiledStringTable* Named(const CompiledVersionInfo& info,
                                            const std::string& name) {
        for (const CompiledStringTable& table : info.Tables)
            if (EqualsIgnoringCase(table.Name, name))
                return &table;
        return nullptr;
    }

    void Tables() {
        if (Compiled.Tables.empty() && !Script.Info.Tables.empty()) {
            Out.push_back({"StringFileInfo", "The compiled resource holds no string table"});
            return;
        }
        for (const CompiledStringTable& table : Script.Info.Tables) {
            if (const CompiledStringTable* compiled = Named(Compiled, table.Name))
                Strings(table, *compiled);
            else
                Out.push_back({"StringFileInfo", "The string table " + table.Name +
                                                     " is in the script but not in the compiled "
                                                     "resource"});
        }
        for (const CompiledStringTable& table : Compiled.Tables)
            if (!Named(Script.Info, table.Name))
                Out.push_back({"StringFileInfo", "The compiled resource holds the string table " +
                                                     table.Name + ", which the script lacks"});
    }

    static const CompiledString* Find(const CompiledStringTable& table, const std::string& key) {
        const CompiledString* found = nullptr;
        for (const CompiledString& string : table.Strings)
            if (string.Key == key)
                found = &string;
        return found;
    }

    static std::string Shown(const CompiledString& string) {
        return string.IsText ? Quote(string.Value) : std::string("a binary value");
    }

    // With one table the messages name the key alone; with more, the table too.
    void Strings(const CompiledStringTable& table, const CompiledStringTable& compiled) {
        const std::string where = Script.Info.Tables.size() > 1 ? " in table " + table.Name : "";
        for (const CompiledString& string : table.Strings) {
            if (Find(table, string.Key) != &string)
                continue; // a key given twice: the last one counts
            if (Script.IsUndetermined(StringFieldName(table.Name, string.Key)))
                continue;
            const CompiledString* other = Find(compiled, string.Key);
            if (!other)
                Out.push_back({string.Key, "The string " + string.Key + where +
                                               " is in the script but not in the compiled "
                                               "resource"});
            else if (other->IsText != string.IsText || other->Value != string.Value)
                Out.push_back({string.Key, "The string " + string.Key + where + " is " +
                                               Shown(string) + " in the script but " +
                                               Shown(*other) + " in the compiled resource"});
        }
        for (const CompiledString& string : compiled.Strings)
            if (!Find(table, string.Key))
                Out.push_back({string.Key, "The string " + string.Key + where + " is compiled as " +
                                               Shown(string) + " but the script leaves it out"});
    }

    const ScriptCompiled& Script;
    const CompiledVersionInfo& Compiled;
    Findings& Out;
};

} // namespace

Findings CompareScriptWithCompiled(const ScriptCompiled& script,
                                   const CompiledVersionInfo& compiled) {
    Findings findings;
    Comparison(script, compiled, findings).Run();
    return findings;
}

// --- A document against a compiled resource (the window's check) -------------

namespace {

std::uint32_t ExpectedFlags(const VersionRecord& record) {
    std::uint32_t flags = 0;
    flags |= record.FFDebug ? 0x1 : 0;
    flags |= record.FFPreRelease ? 0x2 : 0;
    flags |= record.FFPatched ? 0x4 : 0;
    flags |= !TrimRight(record.StringValues[Index(StringKey::PrivateBuild)]).empty() ? 0x8 : 0;
    flags |= !TrimRight(record.StringValues[Index(StringKey::SpecialBuild)]).empty() ? 0x20 : 0;
    return flags;
}

class DocumentComparison {
public:
    explicit DocumentComparison(Findings& findings) : Out(findings) {}

    void Differ(const std::string& field, const std::string& inScript,
                const std::string& compiled) {
        Out.push_back({field, field + " is " + inScript + " in the script but " + compiled +
                                  " in the compiled resource"});
    }
    void Number(const std::string& field, std::optional<std::uint32_t> expected,
                std::uint32_t compiled, const std::string& formText) {
        if (expected && *expected != compiled)
            Differ(field, formText, Hex(compiled));
    }

private:
    Findings& Out;
};

void CompareFixedVersion(const std::string& field, std::string_view text, std::uint32_t ms,
                         std::uint32_t ls, Findings& findings) {
    Expected<std::vector<std::uint64_t>> numbers =
        ParseVersionNumbers(Trim(CodeBeforeComment(text)));
    if (!numbers)
        return; // a macro, or text only the compiler can read
    const VersionParts compiled = VersionPartsOf(ms, ls);
    std::vector<std::uint64_t> expected = *numbers;
    expected.resize(4, 0); // a compiler fills the parts left out with 0
    for (std::size_t i = 0; i < 4; ++i) {
        if (expected[i] != compiled[i]) {
            DocumentComparison(findings).Differ(field, std::string(Trim(text)),
                                                FixedVersionText(compiled));
            return;
        }
    }
}

const CompiledString* FindString(const CompiledStringTable& table, std::string_view key) {
    for (const CompiledString& string : table.Strings) {
        if (string.Key == key)
            return &string;
    }
    return nullptr;
}

void CompareStrings(const VersionRecord& record, const CompiledStringTable& table,
                    Findings& findings) {
    for (int key = 0; key < StringKeyCount; ++key) {
        const std::string name(StringKeys()[key]);
        const std::string& value = record.StringValues[key];
        const CompiledString* compiled = FindString(table, name);
        const bool live = !TrimRight(value).empty();
        if (!live) {
            if (compiled)
                findings.push_back({name, "The string " + name + " is compiled as " +
                                              Quote(compiled->Value) +
                                              " but the script leaves it out"});
            continue;
        }
        if (!compiled) {
            findings.push_back({name, "The string " + name +
                                          " is in the script but not in the compiled resource"});
            continue;
        }
        const std::optional<std::string> text = QuotedValueText(value);
        if (!text)
            continue; // a bare value: a macro or number only the compiler resolves
        const std::string expected = CompiledOfScriptText(*text);
        if (!compiled->IsText || expected != compiled->Value)
            findings.push_back(
                {name,
                 "The string " + name + " is " + Quote(expected) + " in the script but " +
                     (compiled->IsText ? Quote(compiled->Value) : std::string("a binary value")) +
                     " in the compiled resource"});
    }
    for (const CompiledString& string : table.Strings) {
        bool known = false;
        for (std::string_view key : StringKeys())
            known = known || string.Key == key;
        if (!known)
            findings.push_back({string.Key, "The compiled string table holds " + Quote(string.Key) +
                                                ", which the script lacks"});
    }
}

} // namespace

Findings CompareWithCompiled(const VersionRecord& record, const CompiledVersionInfo& info) {
    Findings findings;
    DocumentComparison compare(findings);
    const FixedFileInfo& fixed = info.Fixed;
    CompareFixedVersion("FILEVERSION", record.HFileVersion, fixed.FileVersionMS,
                        fixed.FileVersionLS, findings);
    CompareFixedVersion("PRODUCTVERSION", record.HProductVersion, fixed.ProductVersionMS,
                        fixed.ProductVersionLS, findings);
    compare.Number("FILEFLAGSMASK", FileFlagsMaskValue, fixed.FileFlagsMask, "0x3F");
    const std::uint32_t flags = ExpectedFlags(record);
    if (flags != fixed.FileFlags)
        compare.Differ("FILEFLAGS", FlagNames(flags), FlagNames(fixed.FileFlags));
    compare.Number("FILEOS", WinverValue(record.FileOS), fixed.FileOS, record.FileOS);
    compare.Number("FILETYPE", WinverValue(record.FileType), fixed.FileType, record.FileType);
    std::optional<std::uint32_t> subType = SubTypeValue(record.FileType, record.FileSubType);
    if (!subType) {
        Expected<std::vector<std::uint64_t>> number = ParseVersionNumbers(record.FileSubType);
        if (number && number->size() == 1 && number->front() <= 0xFFFFFFFFu)
            subType = static_cast<std::uint32_t>(number->front());
    }
    compare.Number("FILESUBTYPE", subType, fixed.FileSubtype, record.FileSubType);

    const bool rows = record.LanguageID >= 0 &&
                      static_cast<std::size_t>(record.LanguageID) < LanguageTable().size() &&
                      record.CodePage >= 0 &&
                      static_cast<std::size_t>(record.CodePage) < CodePageTable().size();
    const int language = rows ? LanguageValue(LanguageTable()[record.LanguageID]) : 0;
    const int codePage = rows ? CodePageValue(CodePageTable()[record.CodePage]) : 0;
    if (info.Tables.empty()) {
        findings.push_back({"StringFileInfo", "The compiled resource holds no string table"});
    } else {
        const std::string name =
            Hex4(static_cast<unsigned>(language)) + Hex4(static_cast<unsigned>(codePage));
        std::string compiledName = info.Tables[0].Name;
        for (char& c : compiledName)
            c = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
        if (rows && compiledName != name)
            compare.Differ("StringFileInfo", "the table " + name,
                           "the table " + info.Tables[0].Name);
        if (info.Tables.size() > 1)
            findings.push_back({"StringFileInfo", "The compiled resource holds " +
                                                      std::to_string(info.Tables.size()) +
                                                      " string tables; the script holds one"});
        CompareStrings(record, info.Tables[0], findings);
    }
    if (rows) {
        const std::string expected =
            "0x" + Hex4(static_cast<unsigned>(language)) + ", " + std::to_string(codePage);
        std::string compiled;
        for (const auto& [l, c] : info.Translations)
            compiled +=
                (compiled.empty() ? "" : "; ") + ("0x" + Hex4(l)) + ", " + std::to_string(c);
        if (compiled != expected)
            compare.Differ("Translation", expected, compiled.empty() ? "missing" : compiled);
    }
    return findings;
}

} // namespace qm
