//===- CompileRunner.h - Save & Compile and the pick-up of its log -*- C++ -*-===//
//
// The Qt side of desk's CompileRun: a timer that checks a pending batch run,
// signals for the window, and the Compiler page's text in the locale's date
// forms. The runner knows nothing of the Main window: the window gives it a
// job and shows what its signals report. Starting a process goes through
// ProcessStarter, so tests can see, or replace, what would be started.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/CompileRun.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/Status.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace qm {

struct AppSettings;

/// The real starter: an argument vector, never a shell command line; on
/// Windows a command line quoted by FormWindowsCommandLine.
std::shared_ptr<ProcessStarter> MakeDetachedStarter();

/// One Save & Compile: the script just saved and the document saved in it.
struct CompileJob {
    QString ScriptPath;
    VersionRecord Document; ///< the .res is read back against this, not later edits
    bool Use32 = true;      ///< the "32" toggle: which of the two command lines
};

class CompileRunner : public QObject {
    Q_OBJECT

public:
    /// How often a pending batch run is checked for its end. Nothing else
    /// wakes the event loop when the compiler finishes.
    static constexpr int PendingCheckMs = 100;

    CompileRunner(const QString& logPath, const QString& batchPath,
                  std::shared_ptr<ProcessStarter> starter, QObject* parent = nullptr);

    /// True from the start of a batch run until its log is shown or it is
    /// found to have ended without one.
    bool Pending() const { return Run.Pending(); }
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

    ProcessStarter& Starter() { return Run.Starter(); }

signals:
    void started();
    void finished(const QString& pageText);
    /// Why the compile did not start or produced no log, for a box.
    void failed(const QString& message);

private:
    QString PageText(const FinishedRun& run) const;

    CompileRun Run;
    QTimer PendingCheck;
};

} // namespace qm
