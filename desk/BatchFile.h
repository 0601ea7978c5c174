//===- BatchFile.h - The batch file's first line and its log -------*- C++ -*-===//
//
// The file side of a batch-mode compile: the first line of the shipped batch
// file (the only line the program owns) and the test that the run's log is
// complete. Window-free; paths are bytes as the file system takes them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/CompileCommand.h"
#include "settings/AppFiles.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm {

/// The short (8.3) form of `path` on Windows; elsewhere `path` itself when
/// that folder exists. Empty when the platform can't give it.
std::string ShortPath(const std::string& path);

/// The batch file's first line for the compiler folder `folder` (already in
/// short form): "path=" and the folder. It must never run anything, so a
/// folder holding CR, LF or NUL is refused; on POSIX a folder the shell
/// would not take literally is put in single quotes, and on Windows a
/// folder holding a character that cmd.exe treats specially is refused.
Expected<std::string> BatchFirstLine(std::string_view folder, PathStyle style);

/// Sets the first line of the batch file at `batchPath` for the compiler
/// folder `compilerPath`. The file's lines are read into `imageLines`. The
/// file is rewritten only when the line changes, and then only the text of
/// its first line as the shell (cmd.exe) reads it, line breaks inside
/// quotes (after a caret) included: the line's end and every byte after it, and the file's
/// permissions, stay as they were (the shell script keeps its LF ends and
/// its execute bit; the Windows batch file its CR LF ends). A missing, unreadable or empty batch
/// file is an error naming the file, and nothing is written.
Status UpdateBatchFile(const std::string& batchPath, const std::string& compilerPath,
                       Lines& imageLines);

/// The bytes of the log at `logPath` once the run that writes it is over;
/// nothing while the log is missing or still held by the run. The run holds
/// an exclusive lock on the log (on Windows: keeps it open without sharing)
/// from before the log appears under its name until the run ends.
std::optional<std::string> LoadFinishedLog(const std::string& logPath);

/// The time stamp shown for a file that isn't there (a folder counts as none).
inline constexpr const char* NotFoundStamp = "<<< Not Found >>>";

} // namespace qm
