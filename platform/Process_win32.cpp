//===- Process_win32.cpp - Process-wide settings on Windows ---------------===//

#include "platform/Process.h"

#include <windows.h>

namespace qm::platform {

// Windows ends no process for writing past a size limit; a failed write is
// reported as an error already.
void IgnoreFileSizeSignal() {}

bool ProcessHasEnded(std::int64_t processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no such process any more
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

} // namespace qm::platform
