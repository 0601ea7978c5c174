//===- System_posix.cpp - A POSIX build -----------------------------------===//

#include "platform/System.h"

namespace qm::platform {

bool RunsOnWindows() {
    return false;
}

std::optional<std::string> BatchFileText(const std::string& bytes) {
    return bytes;
}

} // namespace qm::platform
