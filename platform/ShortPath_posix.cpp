//===- ShortPath_posix.cpp - Paths have no short form here ----------------===//

#include "platform/ShortPath.h"

#include <filesystem>
#include <system_error>

namespace qm::platform {

std::string ShortPath(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_directory(path, error))
        return std::string();
    return path;
}

} // namespace qm::platform
