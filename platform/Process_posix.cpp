//===- Process_posix.cpp - Process-wide settings on POSIX systems ---------===//

#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

namespace qm::platform {

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool ProcessHasEnded(std::int64_t processId) {
    if (processId <= 0)
        return true;
    // EPERM: the process is there but belongs to someone else.
    if (::kill(static_cast<pid_t>(processId), 0) != 0)
        return errno == ESRCH;
#ifdef __linux__
    // An ended process that nobody has reaped yet still answers kill(); its
    // state, after the parenthesised name in /proc/PID/stat, is Z (or X).
    std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd != std::string::npos && nameEnd + 2 < text.size())
        return text[nameEnd + 2] == 'Z' || text[nameEnd + 2] == 'X';
#endif
    return false;
}

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

// Streams carry bytes here already.
void UseBinaryStandardStreams() {}

ProgramArgumentList ProgramArguments(int argc, char** argv) {
    return {std::vector<std::string>(argv + 1, argv + argc), {}};
}

} // namespace qm::platform
