//===- System_win32.cpp - A Windows build ---------------------------------===//

#include "platform/System.h"
#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::platform {

bool RunsOnWindows() {
    return true;
}

std::optional<std::string> BatchFileText(const std::string& bytes) {
    return NarrowExactly(WidenAnsi(bytes), CP_OEMCP);
}

} // namespace qm::platform
