//===- StoredSettings.cpp - The user's stored settings, read without Qt ---===//

#include "settings/StoredSettings.h"

#include "platform/Files.h"
#include "platform/System.h"
#include "platform/UserFolders.h"
#include "settings/SettingNumbers.h"
#include "settings/SettingsIni.h"
#include "versioninfo/support/SafeSave.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace qm {

namespace {

const char* const RegistrySubKey = "Software\\Harrowgate\\Quillmark\\Settings";

std::string SettingsFilePath() {
    return platform::UserConfigFolder() + "/Harrowgate/Quillmark.conf";
}

Status WrongType(const SettingRow& row) {
    return Status::Fail(std::string("Invalid data type for '") + row.Name + "' in '" +
                        StoredSettingsLocation() + "'");
}

/// Fills the rows in order until a value that is not text.
template <typename Lookup> void TakeRows(StoredSettings& stored, Lookup valueOf) {
    for (std::size_t i = 0; i < SettingRows.size(); ++i) {
        const std::optional<StoredValue> value = valueOf(SettingRows[i].Name);
        if (!value)
            continue;
        if (!value->IsText) {
            stored.Problem = WrongType(SettingRows[i]);
            return;
        }
        stored.Texts[i] = value->Text;
    }
}

/// The file as QSettings reads it: a missing file is empty; one that is
/// no regular file or can't be read is an error, and nothing is taken.
StoredSettings ReadSettingsFile() {
    StoredSettings stored;
    const std::string path = SettingsFilePath();
    std::error_code error;
    if (!std::filesystem::exists(platform::NativePath(path), error))
        return stored;
    if (!std::filesystem::is_regular_file(platform::NativePath(path), error)) {
        stored.Problem = Status::Fail("The settings file '" + path +
                                      "' is not a file; the built-in settings are used.");
        return stored;
    }
    const LoadedFile bytes = LoadFile(path);
    if (!bytes) {
        stored.Problem =
            Status::Fail("Cannot read the settings file '" + path + "': " + bytes.message() +
                         "; the built-in settings are used.");
        return stored;
    }
    SettingsIni file(*bytes);
    TakeRows(stored, [&](const char* name) {
        return file.value(std::string(SettingsGroupName) + '/' + name);
    });
    return stored;
}

StoredSettings ReadRegistry() {
    StoredSettings stored;
    TakeRows(stored, [](const char* name) -> std::optional<StoredValue> {
        std::optional<platform::RegistryValue> value =
            platform::ReadUserRegistryValue(RegistrySubKey, name);
        if (!value)
            return std::nullopt;
        if (!value->IsText)
            return StoredValue{};
        return StoredValueOfString(std::move(value->Text));
    });
    return stored;
}

std::int32_t IntegerRow(const StoredSettings& stored, SettingId id) {
    const SettingRow& row = SettingRowOf(id);
    const std::optional<std::string>& text = stored.Texts[static_cast<std::size_t>(id)];
    return text ? ReadIntegerSetting(*text, row.NumberDefault) : row.NumberDefault;
}

} // namespace

StoredSettings ReadStoredSettings() {
    return platform::RunsOnWindows() ? ReadRegistry() : ReadSettingsFile();
}

std::string StoredSettingsLocation() {
    if (platform::RunsOnWindows())
        return std::string("HKEY_CURRENT_USER\\") + RegistrySubKey;
    return SettingsFilePath();
}

NewDocumentDefaults StoredNewDocumentDefaults(const StoredSettings& stored) {
    NewDocumentDefaults defaults;
    const std::optional<std::string>& fileOS =
        stored.Texts[static_cast<std::size_t>(SettingId::DefaultFILEOS)];
    defaults.FileOSName = fileOS ? *fileOS : SettingRowOf(SettingId::DefaultFILEOS).TextDefault;
    defaults.LanguageID = IntegerRow(stored, SettingId::DefaultLanguageID);
    defaults.CodePage = IntegerRow(stored, SettingId::DefaultCodePage);
    return defaults;
}

} // namespace qm
