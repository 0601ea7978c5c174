//===- System_posix.cpp - A POSIX build -----------------------------------===//

#include "platform/System.h"

namespace qm::platform {

bool RunsOnWindows() {
    return false;
}

} // namespace qm::platform
