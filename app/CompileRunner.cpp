//===- CompileRunner.cpp - Save & Compile and the pick-up of its log ------===//

#include "app/CompileRunner.h"

#include "app/BatchFile.h"
#include "app/Main.h"
#include "app/VersionReview.h"
#include "controls/ButtonPL.h"
#include "controls/DlgsPlus.h"
#include "controls/Modals.h"
#include "platform/DetachedStart.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "settings/AppSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>

#include <filesystem>
#include <system_error>

namespace qm {

namespace {

constexpr int CompilerPage = 3;

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QString StampLine(const std::string& path) {
    return FileStampText(path) + QStringLiteral(" : ") + FromBytes(path);
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
    return FromBytes(*line);
}

class DetachedStarter : public ProcessStarter {
public:
    Status Start(const CompileCommand& command, bool minimized) override {
        LastProcessId = 0; // a failed start must not answer for an earlier one
        platform::DetachedCommand start;
        start.Program = FromBytes(command.Program);
        for (const std::string& argument : command.Arguments)
            start.Arguments << FromBytes(argument);
        start.WorkingDir = FromBytes(command.WorkingDir);
        start.Minimized = minimized;
        if (NativePathStyle() == PathStyle::Windows) {
            Expected<QString> line = WindowsCommandLine(command);
            if (!line)
                return Status::Fail(line.message());
            start.WindowsCommandLine = *line;
        }
        qint64 processId = 0;
        const QString failure = platform::StartDetached(start, &processId);
        if (!failure.isEmpty())
            return Status::Fail(failure.toLocal8Bit().toStdString());
        LastProcessId = processId;
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

CompileRunner::CompileRunner(TFormMain& window, std::shared_ptr<ProcessStarter> starter)
    : QObject(&window), Window(window),
      StarterImpl(starter ? std::move(starter) : MakeDetachedStarter()) {
    PendingCheck.setObjectName(QStringLiteral("PendingCheck"));
    PendingCheck.setParent(this);
    PendingCheck.setInterval(PendingCheckMs);
    connect(&PendingCheck, &QTimer::timeout, this, [this] {
        if (Window.CompilePending)
            Window.IdleCheck();
        else
            PendingCheck.stop();
    });
}

void CompileRunner::CompileClick() {
    // A second run would write the same log and .res file as the first,
    // and the first one's log would be shown as the second one's.
    if (Window.CompilePending) {
        ShowCompileBox(QStringLiteral("The previous compile is still running: its log %1 is not "
                                      "complete yet. Nothing was saved or started; try again "
                                      "once the Compiler page shows its log.")
                           .arg(Window.LogPath));
        return;
    }
    // The button is disabled then; a call from code must not save a file
    // literally named "<New>".
    if (Window.CurrentFile == NewDocumentName)
        return;
    const VersionRecord record = Window.DocumentRecord();
    if (!ConfirmVersionFindings(Window, record) || !Window.WriteScript())
        return;
    Compiled = record;
    Window.cmmResult->clear();
    Window.tabMain->setCurrentIndex(CompilerPage);

    const AppSettings& settings = TheAppSettings();
    CompileInputs inputs;
    // The batch script leaves its log in the folder it is given: the
    // program's own, or the user's log folder for an installed copy.
    inputs.ProgramDir = FolderPart(Bytes(Window.LogPath), NativePathStyle());
    inputs.BatchPath = Bytes(Window.BatchPath);
    inputs.CompilerPath = Bytes(settings.CompilerPath);
    inputs.CommandText = Bytes(PickStr(Window.cbtnCompile32->Down(), settings.CompilerCmdLine32,
                                       settings.CompilerCmdLine16));
    inputs.ScriptPath = Bytes(Window.CurrentFile);

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
        Window.ShowErrorBox(QStringLiteral("Can't make %1 the current folder: %2")
                                .arg(FromBytes(folder), MessageText(error.message())));
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
            StartCommand(FormBatchCommand(inputs, style), true);
    } else {
        StartCommand(FormDirectCommand(inputs, style), false);
    }
}

void CompileRunner::StartCommand(const Expected<CompileCommand>& command, bool batchMode) {
    if (!command) {
        ShowCannotStart(QString(), MessageText(command.message()));
        Window.CompilePending = false;
        return;
    }
    const QString text = FromBytes(command->Text);
    if (batchMode && !QFileInfo(Window.BatchPath).isFile()) {
        Window.CompilePending = false;
        ShowCannotStart(text,
                        QStringLiteral("The batch file %1 is missing.").arg(Window.BatchPath));
        return;
    }
    Status started = StarterImpl->Start(*command, TheAppSettings().MinimizeWindow);
    if (!started) {
        // Nothing will ever write the log, so nothing is left pending.
        Window.CompilePending = false;
        ShowCannotStart(text, MessageText(started.message()));
        return;
    }
    if (batchMode) {
        Window.CompilePending = true;
        PendingCheck.start();
    }
}

// The run's log must be its own: a log left by an earlier run that can't be
// removed (a read-only program folder) would be taken for this one's.
bool CompileRunner::RemoveOldLog() {
    QFile oldLog(Window.LogPath);
    if (!oldLog.exists() || oldLog.remove())
        return true;
    ShowCompileBox(QStringLiteral("The log of the previous compile, %1, can't be removed: %2\n\n"
                                  "The compiler was not started, as this run could not write "
                                  "its own log there.")
                       .arg(Window.LogPath, oldLog.errorString()));
    return false;
}

void CompileRunner::ShowCompileBox(const QString& message) {
    Modals::ShowMessage(&Window, QStringLiteral("Compile"), message, MessageIcon::Critical);
}

void CompileRunner::EndPending() {
    Window.CompilePending = false;
    PendingCheck.stop();
}

void CompileRunner::ShowCannotStart(const QString& commandText, const QString& reason) {
    QString message =
        commandText.isEmpty()
            ? QStringLiteral("The compiler can't be started.\n\n%1").arg(reason)
            : QStringLiteral("Can't start the command\n\n%1\n\n%2").arg(commandText, reason);
    Modals::ShowMessage(&Window, QStringLiteral("Compile"), message, MessageIcon::Critical);
}

void CompileRunner::CheckCompileDone() {
    if (Window.noteMain->currentIndex() == CompilerPage)
        Window.cmmResult->setFocus();
    std::optional<std::string> log = LoadFinishedLog(Bytes(Window.LogPath));
    if (!log) {
        // The script puts its log in place before it runs the compiler, so
        // a run that has ended without one never wrote it.
        if (StarterImpl->LastStartEnded().value_or(false) && !QFileInfo::exists(Window.LogPath)) {
            EndPending();
            ShowCompileBox(QStringLiteral("The compile script ended without writing its log "
                                          "%1, so there is no output to show. Can that folder "
                                          "be written to?")
                               .arg(Window.LogPath));
        }
        return;
    }
    ShowLog(*log);
    EndPending();
    Window.raise();
    Window.activateWindow();
}

void CompileRunner::ShowLog(const std::string& logBytes) {
    bool utf8 = false;
    const std::string log = platform::BatchLogText(logBytes, utf8);
    const TextEncoding encoding = utf8 ? TextEncoding::Utf8 : EncodingForFile(log);
    QStringList lines;
    for (const std::string& line : SplitLines(log))
        lines << DecodeText(line, encoding);
    lines << QString();
    const std::string script = Bytes(Window.CurrentFile);
    lines << StampLine(script);
    const std::string res = ReplaceExtension(script, ".res", NativePathStyle());
    lines << StampLine(res);
    lines << CompiledResourceReport(Compiled, script, res);
    Window.cmmResult->setPlainText(lines.join('\n'));
}

void CompileRunner::UpdateBatchFile() {
    Status updated = qm::UpdateBatchFile(Bytes(Window.BatchPath),
                                         Bytes(TheAppSettings().CompilerPath), Window.ImageLines);
    if (!updated)
        Window.ShowErrorBox(MessageText(updated.message()));
}

} // namespace qm
