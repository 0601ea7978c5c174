//===- CompiledRecord.cpp - A compiled version resource as a document ----===//

#include "versioninfo/binary/CompiledRecord.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/support/Numbers.h"
#include "versioninfo/support/Text.h"

namespace qm {

namespace {

using Notes = std::vector<std::string>;

void TakeFlags(const FixedFileInfo& fixed, VersionRecord& record, Notes& notes) {
    record.FFDebug = fixed.FileFlags & 0x1;
    record.FFPreRelease = fixed.FileFlags & 0x2;
    record.FFPatched = fixed.FileFlags & 0x4;
    if (fixed.FileFlagsMask != FileFlagsMaskValue)
        notes.push_back("FILEFLAGSMASK is " + Hex(fixed.FileFlagsMask) +
                        "; the script always writes VS_FFI_FILEFLAGSMASK (0x3F)");
}

void TakeKinds(const FixedFileInfo& fixed, VersionRecord& record, Notes& notes) {
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
}

/// The language and code page come from the table's name, as a script's
/// reader takes them; the Translation stands in when there is no table.
void TakeLanguage(const CompiledVersionInfo& info, VersionRecord& record, Notes& notes) {
    long long language = -1, codePage = -1;
    if (!info.Tables.empty() && info.Tables[0].Name.size() == 8) {
        const std::string_view name = info.Tables[0].Name;
        bool hex = true;
        for (char c : name)
            hex = hex && IsAsciiHexDigit(c);
        if (hex) {
            language =
                static_cast<long long>(*ParseNumber(name.substr(0, 4), NumberBase::Hexadecimal));
            codePage =
                static_cast<long long>(*ParseNumber(name.substr(4, 4), NumberBase::Hexadecimal));
        }
    }
    if (language < 0 && !info.Translations.empty()) {
        language = info.Translations[0].first;
        codePage = info.Translations[0].second;
    }
    if (language < 0)
        return;
    record.LanguageID = LanguageRowOf(language);
    record.CodePage = CodePageRowOf(codePage);
    if (record.LanguageID == NoRow)
        notes.push_back("Unknown LanguageID " + LanguageIDText(language));
    if (record.CodePage == NoRow)
        notes.push_back("Unknown CodePage " + CodePageText(codePage));
}

void TakeStrings(const CompiledVersionInfo& info, VersionRecord& record, Notes& notes) {
    if (info.Tables.empty())
        return;
    for (const CompiledString& string : info.Tables[0].Strings) {
        const std::optional<StringKey> named = StringKeyNamed(string.Key);
        if (!named) {
            notes.push_back("The string " + Quote(string.Key) +
                            " has no field in the form and is left out");
            continue;
        }
        if (!string.IsText) {
            notes.push_back("The string " + string.Key + " holds a binary value and is left out");
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
    for (std::size_t t = 1; t < info.Tables.size(); ++t)
        notes.push_back("The string table " + info.Tables[t].Name +
                        " is left out: the form holds one table");
}

} // namespace

ImportedRecord RecordFromCompiled(const CompiledVersionInfo& info,
                                  const NewDocumentDefaults& defaults) {
    ImportedRecord imported{NewDocument(defaults), {}};
    VersionRecord& record = imported.Record;
    const FixedFileInfo& fixed = info.Fixed;
    record.HFileVersion =
        FixedVersionText(VersionPartsOf(fixed.FileVersionMS, fixed.FileVersionLS));
    record.HProductVersion =
        FixedVersionText(VersionPartsOf(fixed.ProductVersionMS, fixed.ProductVersionLS));
    TakeFlags(fixed, record, imported.Notes);
    TakeKinds(fixed, record, imported.Notes);
    TakeLanguage(info, record, imported.Notes);
    TakeStrings(info, record, imported.Notes);
    return imported;
}

} // namespace qm
