//===- LogHold_win32.cpp - Hold a log by keeping it open ------------------===//

#include "LogHold.h"

#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::test {

LogHold::LogHold(const std::string& path) {
    HANDLE file = CreateFileW(platform::WidenAnsi(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        Handle = reinterpret_cast<std::intptr_t>(file);
}

LogHold::~LogHold() {
    if (Held())
        CloseHandle(reinterpret_cast<HANDLE>(Handle));
}

void LogHold::Write(const std::string& bytes) {
    DWORD written = 0;
    if (Held())
        WriteFile(reinterpret_cast<HANDLE>(Handle), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &written, nullptr);
}

} // namespace qm::test
