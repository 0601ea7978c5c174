//===- CompileRunner.h - Save & Compile and the pick-up of its log -*- C++ -*-===//
//
// The compile behind the window's Save & Compile: starts the compiler
// (through the batch file, or directly) without waiting for it, and once a
// batch run is over hands back the Compiler page's text: its log with the
// time stamps of the script and of the .res file, and what the .res holds.
//
// The runner knows nothing of the Main window: it owns the pending run, the
// window gives it a job and shows what its signals report. Of controls/ it
// uses only MessageText (a message as text) and PickStr. Starting a
// process goes through ProcessStarter, so tests can see, or replace, what
// would be started.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/CompileCommand.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace qm {

struct AppSettings;

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

/// One Save & Compile: the script just saved and the document saved in it.
struct CompileJob {
    QString ScriptPath;
    VersionRecord Document; ///< the .res is read back against this, not later edits
    bool Use32 = true;      ///< the "32" toggle: which of the two command lines
};

/// The batch file and the log its runs leave.
struct CompileFiles {
    QString LogPath;
    QString BatchPath;
};

class CompileRunner : public QObject {
    Q_OBJECT

public:
    /// How often a pending batch run is checked for its end. Nothing else
    /// wakes the event loop when the compiler finishes.
    static constexpr int PendingCheckMs = 100;

    CompileRunner(CompileFiles files, std::shared_ptr<ProcessStarter> starter,
                  QObject* parent = nullptr);

    /// True from the start of a batch run until its log is shown or it is
    /// found to have ended without one.
    bool Pending() const { return PendingRun; }
    /// Why no compile may start now (a batch run still pending), or "".
    QString Busy() const;

    /// Starts the command picked by `job` and the settings: through the
    /// batch file (a pending run, `started`), or directly. A command that
    /// can't be started, and a batch run whose previous log can't be
    /// removed (that log would be shown as this run's), give `failed`.
    /// Does nothing while a run is pending.
    void Start(const CompileJob& job, const AppSettings& settings);

    /// Checks a pending batch run; also called on a timer while one is
    /// pending. Once the run has released its log: `finished` with the
    /// Compiler page's text (the log, an empty line, the two time-stamp
    /// lines and what the .res holds compared with the job's document).
    /// A run that ended without writing its log gives `failed`.
    void CheckDone();

    ProcessStarter& Starter() { return *StarterImpl; }

signals:
    void started();
    void finished(const QString& pageText);
    /// Why the compile did not start or produced no log, for a box.
    void failed(const QString& message);

private:
    void StartCommand(const Expected<CompileCommand>& command, bool batchMode, bool minimized);
    void FailToStart(const QString& commandText, const QString& reason);
    bool RemoveOldLog();
    void EndPending();
    QString PageText(const std::string& logBytes) const;

    CompileFiles Files;
    std::shared_ptr<ProcessStarter> StarterImpl;
    QTimer PendingCheck;
    bool PendingRun = false;
    CompileJob Job;
};

} // namespace qm
