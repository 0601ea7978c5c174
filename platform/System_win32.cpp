//===- System_win32.cpp - A Windows build ---------------------------------===//

#include "platform/System.h"
#include "platform/Win32Text.h"

#include <windows.h>

#include <algorithm>

namespace qm::platform {

bool RunsOnWindows() {
    return true;
}

std::optional<std::string> BatchFileText(const std::string& bytes) {
    return NarrowExactly(WidenAnsi(bytes), CP_OEMCP);
}

std::string BatchLogText(const std::string& bytes, bool& utf8) {
    utf8 = true;
    if (bytes.empty())
        return std::string();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, &wide[0], length);
    const int out = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(out > 0 ? out : 0), '\0');
    if (out > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], out,
                            nullptr, nullptr);
    return text;
}

std::string Utf8OfProgramText(const std::string& bytes) {
    return NarrowToUtf8(WidenAnsi(bytes));
}

std::vector<std::string> CompilerIncludeFolders() {
    std::vector<std::string> folders;
    const DWORD needed = GetEnvironmentVariableW(L"INCLUDE", nullptr, 0);
    if (needed == 0)
        return folders;
    std::wstring value(needed, L'\0');
    value.resize(GetEnvironmentVariableW(L"INCLUDE", &value[0], needed));
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t end = std::min(value.find(L';', start), value.size());
        if (end > start)
            folders.push_back(NarrowToAnsi(value.substr(start, end - start)));
        start = end + 1;
    }
    return folders;
}

} // namespace qm::platform
