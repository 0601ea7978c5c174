//===- Process_win32.cpp - Process-wide settings on Windows ---------------===//

#include "platform/Process.h"

namespace qm::platform {

// Windows ends no process for writing past a size limit; a failed write is
// reported as an error already.
void IgnoreFileSizeSignal() {}

} // namespace qm::platform
