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

Expected<std::FILE*> OpenExistingForUpdate(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "r+b"))
        return file;
    return Status::Io(std::strerror(errno));
}

Expected<std::FILE*> CreateExclusive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? Status::Refused(std::strerror(errno))
                               : Status::Io(std::strerror(errno));
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        return Status::Io(std::strerror(error));
    }
    return file;
}

Status RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return Status::Ok();
    return Status::Io(std::strerror(errno));
}

Status CheckWritable(const std::string& path) {
    // "r+" opens for writing without creating or truncating anything.
    Expected<std::FILE*> probe = OpenExistingForUpdate(path);
    if (!probe)
        return probe.status();
    std::fclose(*probe);
    return Status::Ok();
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace qm::platform
