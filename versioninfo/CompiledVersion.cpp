//===- CompiledVersion.cpp - The version resource of a .res or PE file -----===//

#include "versioninfo/CompiledVersion.h"

#include "versioninfo/Lookups.h"
#include "versioninfo/PeResources.h"
#include "versioninfo/ResourceFile.h"
#include "versioninfo/Unicode.h"

#include <cstdio>

namespace qm {

namespace {

constexpr std::uint32_t FileFlagsMask = 0x3F; // VS_FFI_FILEFLAGSMASK

std::optional<std::uint32_t> ValueOf(const std::vector<NamedValue>& list, std::string_view name) {
    for (const NamedValue& row : list) {
        if (row.Name == name)
            return row.Value;
    }
    return std::nullopt;
}

VersionParts PartsOf(std::uint32_t ms, std::uint32_t ls) {
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint32_t ExpectedFlags(const VersionRecord& record) {
    std::uint32_t flags = 0;
    flags |= record.FFDebug ? 0x1 : 0;
    flags |= record.FFPreRelease ? 0x2 : 0;
    flags |= record.FFPatched ? 0x4 : 0;
    flags |= !TrimRight(record.StringValues[Index(StringKey::PrivateBuild)]).empty() ? 0x8 : 0;
    flags |= !TrimRight(record.StringValues[Index(StringKey::SpecialBuild)]).empty() ? 0x20 : 0;
    return flags;
}

class Comparison {
public:
    explicit Comparison(Findings& findings) : Out(findings) {}

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
    const VersionParts compiled = PartsOf(ms, ls);
    std::vector<std::uint64_t> expected = *numbers;
    expected.resize(4, 0); // a compiler fills the parts left out with 0
    for (std::size_t i = 0; i < 4; ++i) {
        if (expected[i] != compiled[i]) {
            Comparison(findings).Differ(field, std::string(Trim(text)), FixedVersionText(compiled));
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

bool LooksCompiled(std::string_view bytes) {
    return LooksLikeResFile(bytes) || LooksLikePeFile(bytes) || LooksLike16BitResFile(bytes);
}

Expected<std::vector<CompiledResource>> ReadCompiledVersions(std::string_view bytes) {
    CompiledFormat format = CompiledFormat::Res;
    Expected<std::vector<ResourceEntry>> entries = Status::Fail("");
    if (LooksLikeResFile(bytes)) {
        entries = ParseResFile(bytes);
    } else if (LooksLikePeFile(bytes)) {
        format = CompiledFormat::Pe;
        entries = ParsePeResources(bytes);
    } else if (LooksLike16BitResFile(bytes)) {
        return Status::Fail("A 16-bit resource file (the Windows 3.x format), which Quillmark "
                            "does not read; compile the script for 32 bits (rc /r, llvm-rc)");
    } else {
        return Status::Fail("Neither a .res file nor an executable");
    }
    if (!entries)
        return Status::Fail(entries.message());
    std::vector<CompiledResource> resources;
    for (const ResourceEntry& entry : *entries) {
        if (!entry.Type.IsNumber || entry.Type.Number != VersionResourceType)
            continue;
        Expected<CompiledVersionInfo> info = DecodeVersionInfo(entry.Data, entry.Offset);
        if (!info)
            return Status::Fail(info.message());
        resources.push_back({format, entry.Language, entry.Offset, std::move(*info)});
    }
    if (resources.empty())
        return Status::Fail("The file holds no version resource");
    return resources;
}

std::size_t PreferredVersion(const std::vector<CompiledResource>& resources) {
    for (std::uint16_t language : {std::uint16_t(0), std::uint16_t(0x0409)})
        for (std::size_t i = 0; i < resources.size(); ++i)
            if (resources[i].Language == language)
                return i;
    return 0;
}

Expected<CompiledResource> ReadCompiledVersion(std::string_view bytes) {
    Expected<std::vector<CompiledResource>> resources = ReadCompiledVersions(bytes);
    if (!resources)
        return Status::Fail(resources.message());
    return std::move((*resources)[PreferredVersion(*resources)]);
}

ImportedRecord RecordFromCompiled(const CompiledVersionInfo& info,
                                  const NewDocumentDefaults& defaults) {
    ImportedRecord imported{NewDocument(defaults), {}};
    VersionRecord& record = imported.Record;
    std::vector<std::string>& notes = imported.Notes;
    const FixedFileInfo& fixed = info.Fixed;
    record.HFileVersion = FixedVersionText(PartsOf(fixed.FileVersionMS, fixed.FileVersionLS));
    record.HProductVersion =
        FixedVersionText(PartsOf(fixed.ProductVersionMS, fixed.ProductVersionLS));
    record.FFDebug = fixed.FileFlags & 0x1;
    record.FFPreRelease = fixed.FileFlags & 0x2;
    record.FFPatched = fixed.FileFlags & 0x4;
    if (fixed.FileFlagsMask != FileFlagsMask)
        notes.push_back("FILEFLAGSMASK is " + Hex(fixed.FileFlagsMask) +
                        "; the script always writes VS_FFI_FILEFLAGSMASK (0x3F)");

    if (std::optional<std::string_view> os = NameWithValue(FileOSValues(), fixed.FileOS)) {
        record.FileOS = std::string(*os);
    } else {
        record.FileOS.clear();
        notes.push_back("FILEOS " + Hex(fixed.FileOS) + " has no name in the list");
    }
    if (std::optional<std::string_view> type = NameWithValue(FileTypeValues(), fixed.FileType)) {
        record.FileType = std::string(*type);
    } else {
        record.FileType = "VFT_UNKNOWN";
        notes.push_back("FILETYPE " + Hex(fixed.FileType) +
                        " has no name in the list; VFT_UNKNOWN is taken");
    }
    const TextList subTypes = SubTypeLists(record.FileType);
    if (record.FileType == "VFT_VXD" && fixed.FileSubtype != 0) {
        record.FileSubType = Hex(fixed.FileSubtype); // a device number
    } else if (fixed.FileSubtype < subTypes.size()) {
        record.FileSubType = subTypes[fixed.FileSubtype];
    } else {
        record.FileSubType = subTypes.front();
        notes.push_back("FILESUBTYPE " + Hex(fixed.FileSubtype) + " has no name for " +
                        record.FileType + "; " + subTypes.front() + " is taken");
    }

    // The language and code page come from the table's name, as a script's
    // reader takes them; the Translation stands in when there is no table.
    long long language = -1, codePage = -1;
    if (!info.Tables.empty() && info.Tables[0].Name.size() == 8) {
        const std::string& name = info.Tables[0].Name;
        bool hex = true;
        for (char c : name)
            hex = hex && IsHexDigit(c);
        if (hex) {
            language = std::stoll(name.substr(0, 4), nullptr, 16);
            codePage = std::stoll(name.substr(4, 4), nullptr, 16);
        }
    }
    if (language < 0 && !info.Translations.empty()) {
        language = info.Translations[0].first;
        codePage = info.Translations[0].second;
    }
    if (language >= 0) {
        record.LanguageID = LanguageRowOf(language);
        record.CodePage = CodePageRowOf(codePage);
        if (record.LanguageID == NoRow)
            notes.push_back("Unknown LanguageID " + LanguageIDText(language));
        if (record.CodePage == NoRow)
            notes.push_back("Unknown CodePage " + CodePageText(codePage));
    }

    if (!info.Tables.empty()) {
        for (const CompiledString& string : info.Tables[0].Strings) {
            const std::optional<StringKey> named = StringKeyNamed(string.Key);
            if (!named) {
                notes.push_back("The string " + Quote(string.Key) +
                                " has no field in the form and is left out");
                continue;
            }
            if (!string.IsText) {
                notes.push_back("The string " + string.Key +
                                " holds a binary value and is left out");
                continue;
            }
            std::string text = ScriptTextOfCompiled(string.Value);
            // A text that would read as a marker gets one of its own.
            if (text.empty())
                text = "\\0";
            else if (text[0] == '\\' && text.size() > 1 &&
                     (text[1] == '0' || text[1] == '#' || text[1] == '\\'))
                text.insert(0, "\\");
            record.StringValues[Index(*named)] = std::move(text);
        }
    }
    for (std::size_t t = 1; t < info.Tables.size(); ++t)
        notes.push_back("The string table " + info.Tables[t].Name +
                        " is left out: the form holds one table");
    return imported;
}

Findings CompareWithCompiled(const VersionRecord& record, const CompiledVersionInfo& info) {
    Findings findings;
    Comparison compare(findings);
    const FixedFileInfo& fixed = info.Fixed;
    CompareFixedVersion("FILEVERSION", record.HFileVersion, fixed.FileVersionMS,
                        fixed.FileVersionLS, findings);
    CompareFixedVersion("PRODUCTVERSION", record.HProductVersion, fixed.ProductVersionMS,
                        fixed.ProductVersionLS, findings);
    compare.Number("FILEFLAGSMASK", FileFlagsMask, fixed.FileFlagsMask, "0x3F");
    const std::uint32_t flags = ExpectedFlags(record);
    if (flags != fixed.FileFlags)
        compare.Differ("FILEFLAGS", FlagNames(flags), FlagNames(fixed.FileFlags));
    compare.Number("FILEOS", ValueOf(FileOSValues(), record.FileOS), fixed.FileOS, record.FileOS);
    compare.Number("FILETYPE", ValueOf(FileTypeValues(), record.FileType), fixed.FileType,
                   record.FileType);
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
