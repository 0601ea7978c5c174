//===- FileRead_posix.cpp - Read a whole file on POSIX systems ------------===//

#include "platform/FileRead.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::platform {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : Fd(fd) {}
    ~FileDescriptor() {
        if (Fd >= 0)
            ::close(Fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return Fd; }
    void release() { Fd = -1; }

private:
    int Fd;
};

bool IsStream(mode_t mode) {
    return S_ISFIFO(mode) || S_ISCHR(mode);
}

} // namespace

Expected<std::string> ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                                    ReadSource source) {
    // O_NONBLOCK: opening a FIFO that has no writer returns at once instead
    // of waiting for one. O_NOCTTY: a terminal never becomes ours.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return Status::Io(std::strerror(errno));
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return Status::Io(std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return Status::Io("it is a folder");
    const bool regular = S_ISREG(info.st_mode);
    if (!regular && (source == ReadSource::RegularFile || !IsStream(info.st_mode)))
        return Status::Refused("it is not a regular file");
    if (regular && static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return Status::Limit("");

    // From here on a read waits for data, so a stream is read to its end.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return Status::Io(std::strerror(errno));

    std::string bytes;
    if (regular)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Status::Io(std::strerror(errno));
        }
        // A file that grew after the check, or a stream, stops at the cap.
        if (bytes.size() + static_cast<std::uint64_t>(got) > maxBytes)
            return Status::Limit("");
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::unique_ptr<PositionedFile> PositionedFile::OpenRegular(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    std::unique_ptr<PositionedFile> opened(
        new PositionedFile(file.get(), static_cast<std::uint64_t>(info.st_size)));
    file.release();
    return opened;
}

PositionedFile::~PositionedFile() {
    ::close(static_cast<int>(Native));
}

bool PositionedFile::ReadAt(std::uint64_t offset, std::size_t length, char* into) {
    while (length > 0) {
        const ssize_t got =
            ::pread(static_cast<int>(Native), into, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            Why = got < 0 ? std::strerror(errno) : "the file ended early; was it changed?";
            return false;
        }
        into += got;
        offset += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace qm::platform
