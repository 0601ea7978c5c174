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

struct FileReadResult {
    enum Outcome {
        Read,           ///< Bytes holds the whole file
        CantOpen,       ///< Reason gives the system's words
        Folder,         ///< a folder, never read
        NotRegularFile, ///< a FIFO, device or socket where a regular file was asked for
        TooLarge,       ///< more than the cap
        CantRead,       ///< opened, but a read failed; Reason gives the system's words
    };
    Outcome Result = CantOpen;
    std::string Bytes;
    std::string Reason;
};

/// Reads the file at `path` whole, up to `maxBytes` bytes; a file holding
/// more is refused as TooLarge without being read (a regular file) or as soon
/// as the cap is passed (a stream). The open never blocks: a FIFO is opened
/// non-blocking and then read normally, so a FIFO without a writer reads as
/// empty. `path` is bytes as the file system takes them (on Windows in the
/// ANSI code page, as fopen takes them).
FileReadResult ReadWholeFile(const std::string& path, std::uint64_t maxBytes, ReadSource source);

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
