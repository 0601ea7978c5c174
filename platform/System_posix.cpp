//===- System_posix.cpp - A POSIX build -----------------------------------===//

#include "platform/System.h"

namespace qm::platform {

bool RunsOnWindows() {
    return false;
}

std::optional<std::string> BatchFileText(const std::string& bytes) {
    return bytes;
}

std::string BatchLogText(const std::string& bytes, bool& utf8) {
    utf8 = false;
    return bytes;
}

std::string Utf8OfProgramText(const std::string& bytes) {
    return bytes;
}

std::vector<std::string> CompilerIncludeFolders() {
    return {};
}

} // namespace qm::platform
