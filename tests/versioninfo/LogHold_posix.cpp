//===- LogHold_posix.cpp - Hold a log with flock(2) -----------------------===//

#include "LogHold.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm::test {

LogHold::LogHold(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0 && ::flock(fd, LOCK_EX) == 0)
        Handle = fd;
    else if (fd >= 0)
        ::close(fd);
}

LogHold::~LogHold() {
    if (Held())
        ::close(static_cast<int>(Handle));
}

void LogHold::Write(const std::string& bytes) {
    if (!Held())
        return;
    // A short write shows in the comparison of the log's contents.
    const ssize_t written = ::write(static_cast<int>(Handle), bytes.data(), bytes.size());
    (void)written;
}

} // namespace qm::test
