//===- Process_posix.cpp - Process-wide settings on POSIX systems ---------===//

#include "platform/Process.h"

#include <csignal>

namespace qm::platform {

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace qm::platform
