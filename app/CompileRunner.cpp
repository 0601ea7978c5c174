//===- CompileRunner.cpp - Save & Compile and the pick-up of its log ------===//

#include "app/CompileRunner.h"

#include "controls/FilePaths.h"

#include "app/BatchFile.h"
#include "app/DocumentText.h"
#include "app/VersionReview.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "platform/DetachedStart.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "settings/AppSettings.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <filesystem>
#include <system_error>

namespace qm {

namespace {

/// The compiler's exit status from the batch run's last log line, which is
/// then dropped; nothing when the batch file records none (an older one).
std::optional<int> TakeExitStatus(Lines& logLines) {
    while (!logLines.empty() && logLines.back().empty())
        logLines.pop_back();
    if (logLines.empty())
        return std::nullopt;
    static constexpr std::string_view Marker = "[quillmark exit status ";
    std::string_view last = logLines.back();
    if (!last.empty() && last.back() == '\r')
        last.remove_suffix(1);
    if (last.substr(0, Marker.size()) != Marker || last.back() != ']')
        return std::nullopt;
    const std::string_view digits = last.substr(Marker.size(), last.size() - Marker.size() - 1);
    int status = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), status);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    logLines.pop_back();
    return status;
}

QString StampLine(const std::string& path) {
    return FileStampText(path) + QStringLiteral(" : ") + PathText(path);
}

/// cmd.exe runs a batch file from the whole command line, so on Windows the
/// line is formed here, quoted for it, rather than by Qt.
Expected<QString> WindowsCommandLine(const CompileCommand& command) {
    std::vector<std::string> argv{command.Program};
    argv.insert(argv.end(), command.Arguments.begin(), command.Arguments.end());
    Expected<std::string> line = FormWindowsCommandLine(argv);
    if (!line)
        return Status::Fail(line.message());
    constexpr std::size_t WinExecLimit = 255;
    if (line->size() > WinExecLimit)
        return Status::Fail("The command line is " + std::to_string(line->size()) +
                            " characters long; at most " + std::to_string(WinExecLimit) +
                            " can be started.");
    return PathText(*line);
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
            Expected<QString> line = WindowsCommandLine(command);
            if (!line)
                return Status::Fail(line.message());
            start.WindowsCommandLine = *line;
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

CompileRunner::CompileRunner(CompileFiles files, std::shared_ptr<ProcessStarter> starter,
                             QObject* parent)
    : QObject(parent), Files(std::move(files)),
      StarterImpl(starter ? std::move(starter) : MakeDetachedStarter()) {
    PendingCheck.setObjectName(QStringLiteral("PendingCheck"));
    PendingCheck.setParent(this);
    PendingCheck.setInterval(PendingCheckMs);
    connect(&PendingCheck, &QTimer::timeout, this, &CompileRunner::CheckDone);
}

QString CompileRunner::Busy() const {
    // A second run would write the same log and .res file as the first,
    // and the first one's log would be shown as the second one's.
    if (!PendingRun)
        return QString();
    return QStringLiteral("The previous compile is still running: its log %1 is not "
                          "complete yet. Nothing was saved or started; try again "
                          "once the Compiler page shows its log.")
        .arg(Files.LogPath);
}

void CompileRunner::Start(const CompileJob& job, const AppSettings& settings) {
    if (PendingRun)
        return;
    Job = job;
    CompileInputs inputs;
    // The batch script leaves its log in the folder it is given: the
    // program's own, or the user's log folder for an installed copy.
    inputs.ProgramDir = FolderPart(PathBytes(Files.LogPath), NativePathStyle());
    inputs.BatchPath = PathBytes(Files.BatchPath);
    inputs.CompilerPath = PathBytes(settings.CompilerPath);
    inputs.CommandText =
        PathBytes(PickStr(job.Use32, settings.CompilerCmdLine32, settings.CompilerCmdLine16));
    inputs.ScriptPath = PathBytes(job.ScriptPath);

    const PathStyle style = NativePathStyle();
    std::string folder = ContainingFolder(inputs.ScriptPath, style);
    // The script's folder is the current folder while the compiler starts
    // (it is also given to the start itself), and no longer: a relative
    // path from the command line must still mean the same file afterwards.
    std::error_code error;
    const std::filesystem::path previous = std::filesystem::current_path(error);
    if (!folder.empty())
        std::filesystem::current_path(platform::NativePath(folder), error);
    if (error) {
        emit failed(QStringLiteral("Can't make %1 the current folder: %2")
                        .arg(PathText(folder), MessageText(error.message())));
        return;
    }
    struct RestoreFolder {
        const std::filesystem::path& Previous;
        ~RestoreFolder() {
            std::error_code ignored;
            if (!Previous.empty())
                std::filesystem::current_path(Previous, ignored);
        }
    } restore{previous};

    if (settings.UseBatchFile) {
        if (RemoveOldLog())
            StartCommand(FormBatchCommand(inputs, style), true, settings.MinimizeWindow);
    } else {
        StartCommand(FormDirectCommand(inputs, style), false, settings.MinimizeWindow);
    }
}

void CompileRunner::StartCommand(const Expected<CompileCommand>& command, bool batchMode,
                                 bool minimized) {
    if (!command) {
        FailToStart(QString(), MessageText(command.message()));
        return;
    }
    const QString text = PathText(command->Text);
    if (batchMode && !QFileInfo(Files.BatchPath).isFile()) {
        FailToStart(text, QStringLiteral("The batch file %1 is missing.").arg(Files.BatchPath));
        return;
    }
    // A start that fails leaves nothing pending: nothing will write the log.
    Status started = StarterImpl->Start(*command, minimized);
    if (!started) {
        FailToStart(text, MessageText(started.message()));
        return;
    }
    if (batchMode) {
        PendingRun = true;
        PendingCheck.start();
        emit this->started();
    }
}

// The run's log must be its own: a log left by an earlier run that can't be
// removed (a read-only program folder) would be taken for this one's.
bool CompileRunner::RemoveOldLog() {
    QFile oldLog(Files.LogPath);
    if (!oldLog.exists() || oldLog.remove())
        return true;
    emit failed(QStringLiteral("The log of the previous compile, %1, can't be removed: %2\n\n"
                               "The compiler was not started, as this run could not write "
                               "its own log there.")
                    .arg(Files.LogPath, oldLog.errorString()));
    return false;
}

void CompileRunner::EndPending() {
    PendingRun = false;
    PendingCheck.stop();
}

void CompileRunner::FailToStart(const QString& commandText, const QString& reason) {
    emit failed(
        commandText.isEmpty()
            ? QStringLiteral("The compiler can't be started.\n\n%1").arg(reason)
            : QStringLiteral("Can't start the command\n\n%1\n\n%2").arg(commandText, reason));
}

void CompileRunner::CheckDone() {
    if (!PendingRun) {
        PendingCheck.stop();
        return;
    }
    std::optional<std::string> log = LoadFinishedLog(PathBytes(Files.LogPath));
    if (!log) {
        // The script puts its log in place before it runs the compiler, so
        // a run that has ended without one never wrote it.
        if (StarterImpl->LastStartEnded().value_or(false) && !QFileInfo::exists(Files.LogPath)) {
            EndPending();
            emit failed(QStringLiteral("The compile script ended without writing its log "
                                       "%1, so there is no output to show. Can that folder "
                                       "be written to?")
                            .arg(Files.LogPath));
        }
        return;
    }
    EndPending();
    emit finished(PageText(*log));
}

QString CompileRunner::PageText(const std::string& logBytes) const {
    bool utf8 = false;
    const std::string log = platform::BatchLogText(logBytes, utf8);
    const TextEncoding encoding = utf8 ? TextEncoding::Utf8 : EncodingForFile(log);
    Lines logLines = SplitLines(log);
    const std::optional<int> exitStatus = TakeExitStatus(logLines);
    QStringList lines;
    for (const std::string& line : logLines)
        lines << DecodeText(line, encoding);
    lines << QString();
    const std::string script = PathBytes(Job.ScriptPath);
    lines << StampLine(script);
    const std::string res = ReplaceExtension(script, ".res", NativePathStyle());
    lines << StampLine(res);
    lines << CompiledResourceReport(Job.Document, script, res);
    // Last, where the page opens on it: a failed compile may still have
    // left a .res behind, which the lines above would call good.
    if (exitStatus && *exitStatus != 0)
        lines << QStringLiteral("The compiler failed (exit status %1).").arg(*exitStatus);
    return lines.join('\n');
}

} // namespace qm
