//===- LogHold.h - Hold a log as a batch run of the compiler does -*- C++ -*-===//
#pragma once

#include <cstdint>
#include <string>

namespace qm::test {

/// Creates the log at `path` and holds it until destroyed, as a batch run
/// does: on POSIX with an exclusive flock(2), on Windows by keeping it open
/// for writing, shared for reading and writing as cmd.exe's redirection
/// shares it.
class LogHold {
public:
    explicit LogHold(const std::string& path);
    ~LogHold();
    LogHold(const LogHold&) = delete;
    LogHold& operator=(const LogHold&) = delete;

    bool Held() const { return Handle != Invalid; }
    /// Appends `bytes` to the log.
    void Write(const std::string& bytes);

private:
    static constexpr std::intptr_t Invalid = -1;
    std::intptr_t Handle = Invalid;
};

} // namespace qm::test
