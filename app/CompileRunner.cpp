//===- CompileRunner.cpp - Save & Compile and the pick-up of its log ------===//

#include "app/CompileRunner.h"

#include "controls/FilePaths.h"

#include "app/DocumentText.h"
#include "app/FileStamp.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "platform/DetachedStart.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "settings/AppSettings.h"

namespace qm {

namespace {

QString StampLine(const std::string& path) {
    return FileStampText(path) + QStringLiteral(" : ") + PathText(path);
}

class DetachedStarter : public ProcessStarter {
public:
    Status Start(const CompileCommand& command, bool minimized) override {
        LastProcessId = 0; // a failed start must not answer for an earlier one
        platform::DetachedCommand start;
        start.Program = PathText(command.Program);
        for (const std::string& argument : command.Arguments)
            start.Arguments << PathText(argument);
        start.WorkingDir = PathText(command.WorkingDir);
        start.Minimized = minimized;
        if (NativePathStyle() == PathStyle::Windows) {
            // cmd.exe runs a batch file from the whole command line, so on
            // Windows the line is formed here, quoted for it, rather than by Qt.
            Expected<std::string> line = StartedWindowsCommandLine(command);
            if (!line)
                return Status::Fail(line.message());
            start.WindowsCommandLine = PathText(*line);
        }
        const Expected<qint64> started = platform::StartDetached(start);
        if (!started)
            return started.status();
        LastProcessId = *started;
        return Status::Ok();
    }

    std::optional<bool> LastStartEnded() override {
        if (LastProcessId <= 0)
            return std::nullopt;
        return platform::ProcessHasEnded(LastProcessId);
    }

private:
    qint64 LastProcessId = 0;
};

} // namespace

std::shared_ptr<ProcessStarter> MakeDetachedStarter() {
    return std::make_shared<DetachedStarter>();
}

CompileRunner::CompileRunner(const QString& logPath, const QString& batchPath,
                             std::shared_ptr<ProcessStarter> starter, QObject* parent)
    : QObject(parent), Run({PathBytes(logPath), PathBytes(batchPath)},
                           starter ? std::move(starter) : MakeDetachedStarter()) {
    PendingCheck.setObjectName(QStringLiteral("PendingCheck"));
    PendingCheck.setParent(this);
    PendingCheck.setInterval(PendingCheckMs);
    connect(&PendingCheck, &QTimer::timeout, this, &CompileRunner::CheckDone);
}

QString CompileRunner::Busy() const {
    return MessageText(Run.Busy());
}

void CompileRunner::Start(const CompileJob& job, const AppSettings& settings) {
    if (Run.Pending())
        return;
    CompileSettings compile;
    compile.UseBatchFile = settings.UseBatchFile;
    compile.MinimizeWindow = settings.MinimizeWindow;
    compile.CompilerPath = PathBytes(settings.CompilerPath);
    compile.CommandText =
        PathBytes(PickStr(job.Use32, settings.CompilerCmdLine32, settings.CompilerCmdLine16));
    bool batchStarted = false;
    const Status started =
        Run.Start(PathBytes(job.ScriptPath), job.Document, compile, &batchStarted);
    if (!started) {
        emit failed(MessageText(started.message()));
        return;
    }
    if (batchStarted) {
        PendingCheck.start();
        emit this->started();
    }
}

void CompileRunner::CheckDone() {
    Expected<std::optional<FinishedRun>> checked = Run.CheckDone();
    if (!Run.Pending())
        PendingCheck.stop();
    if (!checked) {
        emit failed(MessageText(checked.message()));
        return;
    }
    if (*checked)
        emit finished(PageText(**checked));
}

QString CompileRunner::PageText(const FinishedRun& run) const {
    const TextEncoding encoding =
        run.LogUtf8 ? TextEncoding::Utf8 : EncodingForFile(JoinCrLf(run.LogLines));
    QStringList lines;
    for (const std::string& line : run.LogLines)
        lines << DecodeText(line, encoding);
    lines << QString();
    lines << StampLine(run.ScriptPath);
    lines << StampLine(run.ResPath);
    for (const std::string& line : run.Verdict)
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return lines.join('\n');
}

} // namespace qm
