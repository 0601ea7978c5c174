//===- FileRead.h - Read a whole file without hanging or overflowing -*- C++ -*-===//
//
// Reading a file the user names must never freeze the program or exhaust its
// memory: a FIFO without a writer would block the open for ever, a device
// such as /dev/zero never ends, and a huge file is not a script. This reads
// a whole file with the open made non-blocking, an optional refusal of
// anything but a regular file, and a cap on the number of bytes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm::platform {

/// What ReadWholeFile may read.
enum class ReadSource {
    RegularFile,  ///< a regular file only (a link to one counts)
    FileOrStream, ///< also a pipe, FIFO or character device, read to its end
};

/// Reads the file at `path` whole, up to `maxBytes` bytes. Fails with the
/// system's words (Io: it can't be opened or read, or is a folder), as
/// Refused when it is not a regular file where one was asked for, and as
/// Limit, without a message, when it holds more than the cap: a regular
/// file is then not read, a stream stops as soon as the cap is passed.
/// The open never blocks: a FIFO is opened non-blocking and then read
/// normally, so a FIFO without a writer reads as empty. `path` is bytes as
/// the file system takes them (on Windows in the ANSI code page, as fopen
/// takes them).
Expected<std::string> ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                                    ReadSource source);

/// A regular file open for reads at given offsets, so that a large
/// executable is read where its headers point instead of whole.
class PositionedFile {
public:
    /// The file at `path` when it is a regular file (a link to one counts);
    /// null for anything else, or when it can't be opened. The open never
    /// blocks on a FIFO.
    static std::unique_ptr<PositionedFile> OpenRegular(const std::string& path);
    ~PositionedFile();
    PositionedFile(const PositionedFile&) = delete;
    PositionedFile& operator=(const PositionedFile&) = delete;

    /// The size the file had when it was opened.
    std::uint64_t Size() const { return Bytes; }
    /// Reads `length` bytes at `offset` into `into`. False, with Error()
    /// saying why, when the system fails or the file ends first (it shrank).
    bool ReadAt(std::uint64_t offset, std::size_t length, char* into);
    const std::string& Error() const { return Why; }

private:
    PositionedFile(std::intptr_t handle, std::uint64_t size) : Native(handle), Bytes(size) {}

    std::intptr_t Native; ///< a file descriptor, or a Windows HANDLE
    std::uint64_t Bytes;
    std::string Why;
};

} // namespace qm::platform
