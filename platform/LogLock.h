//===- LogLock.h - Read a log once the run writing it has let go -*- C++ -*-===//
//
// A batch run of the compiler holds its log from before the log appears
// under its name until the run ends: on POSIX an exclusive flock(2) on it,
// on Windows the open file itself, shared with no one (cmd.exe's
// redirection keeps it open so). The window polls with this until the log
// is released.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <optional>
#include <string>

namespace qm::platform {

/// The bytes of the regular file at `path` once no run holds it; nothing
/// while it is missing, held, not a regular file, or can't be read. Never
/// blocks (a FIFO put in the log's place included). `path` is bytes as the
/// file system takes them.
std::optional<std::string> ReadReleasedLog(const std::string& path);

} // namespace qm::platform
