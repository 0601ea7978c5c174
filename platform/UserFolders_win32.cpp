//===- UserFolders_win32.cpp - The program's and the user's folders -------===//

#include "platform/UserFolders.h"

#include "platform/Files.h"
#include "platform/Win32Text.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace qm::platform {

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = PathBytes(std::filesystem::path(path));
    CoTaskMemFree(path);
    return folder;
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

} // namespace

std::string ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return "";
        if (length < path.size())
            return PathBytes(
                std::filesystem::path(std::wstring(path.data(), length)).parent_path());
        path.resize(path.size() * 2);
    }
}

std::string UserConfigFolder() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

std::string UserDataFolder() {
    return KnownFolder(FOLDERID_LocalAppData);
}

std::string UserStateFolder() {
    return UserDataFolder();
}

// The names asked for are the program's own ASCII key and value names.
std::optional<RegistryValue> ReadUserRegistryValue(const std::string& subKey,
                                                   const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subKey).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring valueName = Wide(name);
    LONG status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS) {
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    value.IsText = type == REG_SZ || type == REG_EXPAND_SZ;
    if (value.IsText) {
        std::wstring text(data.data(), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        value.Text = NarrowToUtf8(text);
    }
    return value;
}

Status WriteUserRegistryText(const std::string& subKey, const std::string& name,
                             const std::string& utf8) {
    const auto fail = [&](LONG status) {
        return Status::Io("Can't store " + name + " in HKEY_CURRENT_USER\\" + subKey + ": " +
                          SystemErrorText(static_cast<unsigned long>(status)));
    };
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subKey).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return fail(status);
    std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(
                          CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                        static_cast<int>(text.size()));
    status = RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? Status::Ok() : fail(status);
}

} // namespace qm::platform
