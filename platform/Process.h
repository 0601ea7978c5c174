//===- Process.h - Process-wide settings made at start-up ---------*- C++ -*-===//
#pragma once

namespace qm::platform {

/// Makes a write past the file-size limit (RLIMIT_FSIZE) fail with an error
/// (EFBIG) instead of ending the process with SIGXFSZ, so a save that does
/// not fit is reported and cleaned up like any other failed write. Call it
/// once at start-up. Does nothing on Windows, which has no such signal.
void IgnoreFileSizeSignal();

} // namespace qm::platform
