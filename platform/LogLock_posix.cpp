//===- LogLock_posix.cpp - Read a released log on POSIX systems -----------===//

#include "platform/LogLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform {

std::optional<std::string> ReadReleasedLog(const std::string& path) {
    // A plain open succeeds while the run still writes, so completion is the
    // run's lock on the log being gone. O_NONBLOCK keeps a FIFO put there from
    // hanging the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    std::optional<std::string> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        std::string text;
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        if (got == 0)
            content = std::move(text);
    }
    ::close(fd);
    return content;
}

} // namespace qm::platform
