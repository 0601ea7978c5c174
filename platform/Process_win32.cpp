//===- Process_win32.cpp - Process-wide settings on Windows ---------------===//

#include "platform/Process.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace qm::platform {

// Windows ends no process for writing past a size limit; a failed write is
// reported as an error already.
void IgnoreFileSizeSignal() {}

void UseBinaryStandardStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr})
        _setmode(_fileno(stream), _O_BINARY);
}

bool ProcessHasEnded(std::int64_t processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no such process any more
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(GetCurrentProcessId());
}

// The C runtime's argv is converted with best fit ("WorstFit"): a full-width
// quote arrives as '"' and a character the code page lacks as '?'. The wide
// command line is split as the runtime splits it, and each argument must
// convert exactly.
ProgramArgumentList ProgramArguments(int, char**) {
    ProgramArgumentList list;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        list.Error = "Can't read the command line: " + SystemErrorText(GetLastError());
        return list;
    }
    for (int i = 1; i < count && list.Error.empty(); ++i) {
        if (std::optional<std::string> bytes = NarrowToAnsiExactly(wide[i]))
            list.Arguments.push_back(std::move(*bytes));
        else
            list.Error = "The argument \"" + NarrowToAnsi(wide[i]) +
                         "\" holds characters the system's code page can't hold";
    }
    LocalFree(wide);
    return list;
}

} // namespace qm::platform
