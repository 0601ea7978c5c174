//===- Process.h - Process-wide settings and other processes ------*- C++ -*-===//
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm::platform {

/// Makes a write past the file-size limit (RLIMIT_FSIZE) fail with an error
/// (EFBIG) instead of ending the process with SIGXFSZ, so a save that does
/// not fit is reported and cleaned up like any other failed write. Call it
/// once at start-up. Does nothing on Windows, which has no such signal.
void IgnoreFileSizeSignal();

/// Makes standard input, output and error carry bytes unchanged: on Windows
/// no CR is added before a line feed and a Ctrl+Z does not end the input.
/// Call it once at start-up, before anything is read or written.
void UseBinaryStandardStreams();

/// The program's arguments (without its name) as the program's bytes, or
/// an error naming the argument at fault. On Windows they come from the
/// wide command line and must each be exact in the ANSI code page.
struct ProgramArgumentList {
    std::vector<std::string> Arguments;
    std::string Error; ///< empty when every argument was taken
};
ProgramArgumentList ProgramArguments(int argc, char** argv);

/// True once the process `processId` (as a detached start reported it) has
/// ended, also while it waits to be reaped by whoever adopted it; false while
/// it runs. A process id that is reused after the end reads as running, so
/// ask while the answer matters, not long after.
bool ProcessHasEnded(std::int64_t processId);

/// This process's id, as ProcessHasEnded takes it.
std::int64_t CurrentProcessId();

} // namespace qm::platform
