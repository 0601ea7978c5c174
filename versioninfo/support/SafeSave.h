//===- SafeSave.h - Replace a file's contents without losing it ---*- C++ -*-===//
//
// Every file the program writes goes through here. The new contents go to a
// temporary file in the same folder, which is flushed and checked, and only
// then renamed over the target. A failure at any step leaves the old file
// byte-identical and removes the temporary file.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

/// Replaces the contents of `path` by `bytes`. Refuses a target that exists
/// but is not writable (a read-only file is never replaced behind the user's
/// back). Keeps the permissions of an existing target. Error messages name
/// the file.
Status SaveFileSafely(const std::string& path, std::string_view bytes);

/// The largest script read: a script is a few kilobytes, and a bigger file
/// is taken for a mistake rather than read until memory runs out.
inline constexpr std::uint64_t MaxScriptBytes = std::uint64_t(64) << 20;

/// The largest executable stamped: it is rewritten in memory.
inline constexpr std::uint64_t MaxExecutableBytes = std::uint64_t(2) << 30;

/// What LoadFile takes.
enum class FileSource {
    RegularFile,  ///< a regular file only: never a FIFO, device or folder
    FileOrStream, ///< also a pipe or character device, e.g. the shell's <(...)
};

/// LoadFile's answer: the bytes, or a message naming the file and the
/// reason. Refused marks a file turned away for its kind or its size, as
/// opposed to one the system could not open or read.
struct LoadedFile : Expected<std::string> {
    using Expected<std::string>::Expected;
    bool Refused = false;
};

/// Reads a whole file of at most MaxScriptBytes. Never blocks on opening
/// (a FIFO without a writer included). Fails, naming the file, when it
/// cannot be opened or read, is a folder or (for RegularFile) anything else
/// that is not a regular file, or is larger than the cap.
LoadedFile LoadFile(const std::string& path, FileSource source = FileSource::RegularFile,
                    std::uint64_t maxBytes = MaxScriptBytes);

} // namespace qm
