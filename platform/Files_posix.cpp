//===- Files_posix.cpp - Paths and file creation on POSIX systems ---------===//

#include "platform/Files.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace qm::platform {

std::filesystem::path NativePath(const std::string& bytes) {
    return std::filesystem::path(bytes);
}

std::string PathBytes(const std::filesystem::path& path) {
    return path.native();
}

std::FILE* OpenExistingForUpdate(const std::string& path) {
    return std::fopen(path.c_str(), "r+b");
}

std::FILE* CreateExclusive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace qm::platform
