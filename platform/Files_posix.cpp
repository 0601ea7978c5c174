//===- Files_posix.cpp - Paths and file creation on POSIX systems ---------===//

#include "platform/Files.h"

#include <cerrno>
#include <cstring>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
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

std::string RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return std::string();
    return std::strerror(errno);
}

std::string CheckWritable(const std::string& path) {
    // "r+" opens for writing without creating or truncating anything.
    std::FILE* probe = OpenExistingForUpdate(path);
    if (!probe)
        return std::strerror(errno);
    std::fclose(probe);
    return std::string();
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace qm::platform
