//===- LogLock_win32.cpp - Read a released log on Windows -----------------===//

#include "platform/Files.h"
#include "platform/LogLock.h"
#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::platform {

std::optional<std::string> ReadReleasedLog(const std::string& path) {
    const std::wstring wide = NativePath(path).native();
    if (wide.empty())
        return std::nullopt;
    // No sharing: the open fails as long as the run still has the log open.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::string> content;
    if (GetFileType(file) == FILE_TYPE_DISK) {
        std::string text;
        char buffer[65536];
        DWORD got = 0;
        BOOL ok;
        while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
            text.append(buffer, got);
        if (ok)
            content = std::move(text);
    }
    CloseHandle(file);
    return content;
}

} // namespace qm::platform
