//===- ShortPath_win32.cpp - The 8.3 form of a path on Windows ------------===//

#include "platform/ShortPath.h"
#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::platform {

std::string ShortPath(const std::string& path) {
    const std::wstring wide = WidenAnsi(path);
    if (wide.empty())
        return std::string();
    wchar_t buffer[255];
    const DWORD length = GetShortPathNameW(wide.c_str(), buffer, 255);
    if (length == 0 || length >= 255)
        return std::string();
    return NarrowToAnsi(std::wstring(buffer, length));
}

} // namespace qm::platform
