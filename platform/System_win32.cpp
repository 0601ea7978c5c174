//===- System_win32.cpp - A Windows build ---------------------------------===//

#include "platform/System.h"

namespace qm::platform {

bool RunsOnWindows() {
    return true;
}

} // namespace qm::platform
