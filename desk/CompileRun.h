//===- CompileRun.h - One Save & Compile, from its start to its log -*- C++ -*-===//
//
// Save & Compile starts the compiler (through the batch file, or directly)
// and never waits for it. A batch run is pending until its log is released;
// then the Compiler page shows the log, the time stamps of the script and of
// the .res file, and whether the .res holds what the form held. This unit
// owns that run and says what to show; the window shows it, in its own
// toolkit's boxes and date forms.
//
// Starting a process goes through ProcessStarter, so tests can see, or
// replace, what would be started. Texts and paths are bytes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/CompileCommand.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

/// Starts a process and does not wait for it.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    /// Starts `command` in its working folder, detached from the program.
    /// `minimized` asks for the compiler's window to start minimised, where
    /// the platform has such a thing. The error names the command.
    virtual Status Start(const CompileCommand& command, bool minimized) = 0;
    /// Whether the process last started has ended; nothing when that can't
    /// be told. A batch run that ended without leaving its log is reported
    /// instead of being waited for.
    virtual std::optional<bool> LastStartEnded() { return std::nullopt; }
};

/// The batch file and the log its runs leave.
struct CompileFiles {
    std::string LogPath;
    std::string BatchPath;
};

/// What of the settings a compile uses.
struct CompileSettings {
    bool UseBatchFile = true;
    bool MinimizeWindow = false;
    std::string CompilerPath;
    std::string CommandText; ///< the command line the "32" toggle picked
};

/// The longest command line a compile may start, as WinExec took it.
constexpr std::size_t StartedCommandLimit = 255;

/// A batch run over, as the Compiler page shows it.
struct FinishedRun {
    Lines LogLines;       ///< the log without its exit-status line
    bool LogUtf8 = false; ///< true when the platform gave the log as UTF-8
    std::optional<int> ExitStatus;
    std::string ScriptPath;
    std::string ResPath;
    /// What the .res holds compared with the form (UTF-8), and last, when
    /// the compiler failed, a line saying so: the page opens on it.
    std::vector<std::string> Verdict;
};

class CompileRun {
public:
    CompileRun(CompileFiles files, std::shared_ptr<ProcessStarter> starter);

    /// True from the start of a batch run until its log is shown or it is
    /// found to have ended without one.
    bool Pending() const { return PendingRun; }
    /// Why no compile may start now (a batch run still pending), or "".
    std::string Busy() const;

    /// Starts the command for `scriptPath`, saved as `document`. A batch
    /// run becomes pending (`batchStarted`). The failure is the text of a
    /// box: a command that can't be formed or started, a script folder that
    /// can't be made current, a previous log that can't be removed (it
    /// would be shown as this run's). Does nothing while a run is pending.
    Status Start(const std::string& scriptPath, const VersionRecord& document,
                 const CompileSettings& settings, bool* batchStarted = nullptr);

    /// Checks a pending run. Nothing while it runs; the run once it has
    /// released its log; a failure when it ended without writing one.
    Expected<std::optional<FinishedRun>> CheckDone();

    ProcessStarter& Starter() { return *StarterImpl; }

private:
    Status StartCommand(const Expected<CompileCommand>& command, bool batchMode, bool minimized);
    Status RemoveOldLog() const;
    FinishedRun Finish(const std::string& logBytes) const;

    CompileFiles Files;
    std::shared_ptr<ProcessStarter> StarterImpl;
    bool PendingRun = false;
    std::string ScriptPath;
    VersionRecord Document; ///< the .res is read back against this, not later edits
};

/// The Windows command line of `command`, quoted for cmd.exe, within
/// StartedCommandLimit.
Expected<std::string> StartedWindowsCommandLine(const CompileCommand& command);

/// The lines the Compiler page ends with after a run, in UTF-8: nothing
/// when there is no .res; a note when it is older than the script (this run
/// did not write it); else whether it holds exactly `form`, or each
/// difference, or why it can't be read.
std::vector<std::string> CompiledResourceReport(const VersionRecord& form,
                                                const std::string& scriptPath,
                                                const std::string& resPath);

} // namespace qm
