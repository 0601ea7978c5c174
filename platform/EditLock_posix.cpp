//===- EditLock_posix.cpp - One edit of a file at a time, by flock(2) -----===//
//
// A save replaces the file by renaming a new one over it, so a run that
// waited on the old file wakes up holding a file that no longer has the
// name. It then looks again and locks the file the name now shows.
//
//===----------------------------------------------------------------------===//
#include "platform/EditLock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform {

EditLock& EditLock::operator=(EditLock&& other) noexcept {
    if (this != &other) {
        Release();
        Handle = other.Handle;
        other.Handle = None;
    }
    return *this;
}

void EditLock::Release() {
    if (Handle != None)
        ::close(static_cast<int>(Handle));
    Handle = None;
}

Expected<EditLock> LockForEdit(const std::string& path) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return EditLock();
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd); // a FIFO or device: the read refuses it by kind
            return EditLock();
        }
        int locked;
        do
            locked = ::flock(fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            return Status::Io(std::strerror(error));
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            EditLock lock;
            lock.Handle = fd;
            return lock;
        }
        ::close(fd); // replaced while we waited: lock what the name shows now
    }
}

} // namespace qm::platform
