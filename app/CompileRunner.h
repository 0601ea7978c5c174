//===- CompileRunner.h - Save & Compile and the pick-up of its log -*- C++ -*-===//
//
// The window's Save & Compile: saves the script, starts the compiler (through
// the batch file, or directly) without waiting for it, and once a batch run
// is over shows its log with the time stamps of the script and of the .res
// file on the Compiler page. Also keeps the batch file's first line in step
// with the compiler folder.
//
// The runner belongs to TFormMain and works on the window's own state
// (CurrentFile, ProgramDir, LogPath, BatchPath, CompilePending). Starting a
// process goes through ProcessStarter, so tests can see, or replace, what
// would be started.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "app/CompileCommand.h"
#include "versioninfo/Status.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace qm {

class TFormMain;

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

/// The real starter: an argument vector, never a shell command line; on
/// Windows a command line quoted by FormWindowsCommandLine.
std::shared_ptr<ProcessStarter> MakeDetachedStarter();

class CompileRunner : public QObject {
    Q_OBJECT

public:
    /// How often a pending batch run is checked for its end. Nothing else
    /// wakes the event loop when the compiler finishes.
    static constexpr int PendingCheckMs = 100;

    CompileRunner(TFormMain& window, std::shared_ptr<ProcessStarter> starter);

    /// Save & Compile: write the script, empty and show the Compiler page,
    /// start the command picked by the "32" toggle and the UseBatchFile
    /// setting. A batch run sets CompilePending only once it has started;
    /// a command that can't be started is shown in a box. While a batch run
    /// is pending nothing is saved or started: a box says so. A batch run
    /// whose previous log can't be removed is not started (that log would
    /// be shown as this run's).
    void CompileClick();

    /// Once the batch run has released its log: the log, an empty line and
    /// the two time-stamp lines on the Compiler page, CompilePending cleared
    /// and the window brought to the front. When the run has ended without
    /// writing a log, a box says so and CompilePending is cleared. Until
    /// then it does nothing.
    void CheckCompileDone();

    /// The batch file's first line set for the compiler folder of the
    /// settings; a failure is shown in the error box.
    void UpdateBatchFile();

    ProcessStarter& Starter() { return *StarterImpl; }

private:
    void StartCommand(const Expected<CompileCommand>& command, bool batchMode);
    void ShowCannotStart(const QString& commandText, const QString& reason);
    void ShowCompileBox(const QString& message);
    bool RemoveOldLog();
    void EndPending();
    void ShowLog(const std::string& logBytes);

    TFormMain& Window;
    std::shared_ptr<ProcessStarter> StarterImpl;
    QTimer PendingCheck;
};

} // namespace qm
