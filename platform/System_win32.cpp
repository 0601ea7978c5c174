//===- System_win32.cpp - A Windows build ---------------------------------===//

#include "platform/System.h"
#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::platform {

bool RunsOnWindows() {
    return true;
}

std::optional<std::string> BatchFileText(const std::string& bytes) {
    const std::wstring wide = WidenAnsi(bytes);
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string oem(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &oem[0], length, nullptr,
                        &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return oem;
}

} // namespace qm::platform
