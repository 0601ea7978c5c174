//===- SettingEntries.cpp - The options dialog's entries as stored texts --===//

#include "settings/SettingEntries.h"

#include "platform/Files.h"
#include "platform/UserFolders.h"
#include "settings/SettingNumbers.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"

#include <filesystem>
#include <system_error>

namespace qm {

namespace {

const char* const RegistrySubKey = "Software\\Harrowgate\\Quillmark\\Settings";

Status ConversionError(const std::string& text, const char* rowName, const char* why = nullptr) {
    std::string message = "'" + text + "' is not a valid integer value (" + rowName;
    if (why)
        message += std::string(": ") + why;
    return Status::Fail(message + ")");
}

/// The row's display string, or nothing when `row` is outside the table.
const std::string* SelectedRow(const TextList& table, int row) {
    if (row < 0 || row >= static_cast<int>(table.size()))
        return nullptr;
    return &table[static_cast<std::size_t>(row)];
}

Expected<std::string> TableValue(const SettingRow& row, int selected) {
    const bool language = row.Control == SettingControl::LanguageList;
    const std::string* text = SelectedRow(language ? LanguageTable() : CodePageTable(), selected);
    if (!text)
        return ConversionError({}, row.Name,
                               language ? "no language row is selected"
                                        : "no code page row is selected");
    return std::to_string(language ? LanguageValue(*text) : CodePageValue(*text));
}

} // namespace

Expected<std::string> StoredTextOfEntry(const SettingRow& row, const EntryValue& entry) {
    switch (row.Control) {
    case SettingControl::FontList:
    case SettingControl::FileOSList:
    case SettingControl::Edit:
        return entry.Text;
    case SettingControl::NumberBox:
        if (const std::optional<std::int32_t> number = ReadWholeNumber(entry.Text))
            return std::to_string(*number);
        return ConversionError(entry.Text, row.Name);
    case SettingControl::Check:
        return std::string(entry.Checked ? "1" : "0");
    case SettingControl::LanguageList:
    case SettingControl::CodePageList:
        return TableValue(row, entry.Row);
    }
    return Status::Fail("unknown setting control");
}

std::int32_t SettingValues::Number(SettingId id) const {
    return ReadIntegerSetting(Text(id), SettingRowOf(id).NumberDefault);
}

bool SettingValues::Flag(SettingId id) const {
    return FlagFromNumber(Number(id));
}

NewDocumentDefaults SettingValues::NewDocument() const {
    NewDocumentDefaults defaults;
    defaults.FileOSName = Text(SettingId::DefaultFILEOS);
    defaults.LanguageID = Number(SettingId::DefaultLanguageID);
    defaults.CodePage = Number(SettingId::DefaultCodePage);
    return defaults;
}

SettingValues
SettingValuesFrom(const std::array<std::optional<std::string>, SettingRows.size()>& stored) {
    SettingValues texts;
    for (std::size_t i = 0; i < SettingRows.size(); ++i) {
        const SettingRow& row = SettingRows[i];
        if (row.Kind == SettingKind::Text) {
            texts.Texts[i] = stored[i] ? *stored[i] : row.TextDefault;
            continue;
        }
        const std::int32_t number =
            stored[i] ? ReadIntegerSetting(*stored[i], row.NumberDefault) : row.NumberDefault;
        texts.Texts[i] = row.Kind == SettingKind::Flag ? (FlagFromNumber(number) ? "1" : "0")
                                                       : std::to_string(number);
    }
    return texts;
}

EntryValue EntryOfText(const SettingRow& row, const SettingValues& texts) {
    EntryValue entry;
    switch (row.Control) {
    case SettingControl::Check:
        entry.Checked = texts.Flag(row.Id);
        break;
    case SettingControl::LanguageList:
        entry.Row = LanguageRowOf(texts.Number(row.Id));
        break;
    case SettingControl::CodePageList:
        entry.Row = CodePageRowOf(texts.Number(row.Id));
        break;
    default:
        entry.Text = texts.Text(row.Id);
        break;
    }
    return entry;
}

void UseBuiltInCompilerWhenNoneStored(
    SettingValues& values, const std::array<std::optional<std::string>, SettingRows.size()>& stored,
    const std::string& programDir) {
    const auto index = [](SettingId id) { return static_cast<std::size_t>(id); };
    if (stored[index(SettingId::CompilerPath)] || stored[index(SettingId::CompilerCmdLine32)])
        return;
    std::error_code error;
    const auto isFile = [&](const std::string& path) {
        return std::filesystem::is_regular_file(platform::NativePath(path), error);
    };
    const std::string& folder = values.Text(SettingId::CompilerPath);
    if (isFile(folder + "\\Brcc32.exe") || !isFile(programDir + "quillmark-rc.exe"))
        return;
    std::string programFolder = programDir;
    if (programFolder.size() > 1 && programFolder.back() == '\\' &&
        programFolder[programFolder.size() - 2] != ':')
        programFolder.pop_back();
    values.Texts[index(SettingId::CompilerPath)] = programFolder;
    // "--" ends the options, so that no script name is taken for one.
    values.Texts[index(SettingId::CompilerCmdLine32)] = "quillmark-rc compile --";
}

Status StoreSettingInRegistry(const SettingRow& row, const std::string& text) {
    return platform::WriteUserRegistryText(RegistrySubKey, row.Name, text);
}

} // namespace qm
