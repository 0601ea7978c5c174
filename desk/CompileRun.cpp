//===- CompileRun.cpp - One Save & Compile, from its start to its log -----===//

#include "desk/CompileRun.h"

#include "desk/BatchFile.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/SafeSave.h"

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

Status FailedToStart(const std::string& commandText, const std::string& reason) {
    if (commandText.empty())
        return Status::Fail("The compiler can't be started.\n\n" + reason);
    return Status::Fail("Can't start the command\n\n" + commandText + "\n\n" + reason);
}

/// Makes a folder the current one for as long as it lives: the compiler
/// starts there, and a relative path from the command line must still mean
/// the same file afterwards.
class CurrentFolder {
public:
    Status Enter(const std::string& folder) {
        std::error_code error;
        Previous = std::filesystem::current_path(error);
        if (!folder.empty())
            std::filesystem::current_path(platform::NativePath(folder), error);
        if (error)
            return Status::Fail("Can't make " + folder + " the current folder: " + error.message());
        return Status::Ok();
    }
    ~CurrentFolder() {
        std::error_code ignored;
        if (!Previous.empty())
            std::filesystem::current_path(Previous, ignored);
    }

private:
    std::filesystem::path Previous;
};

} // namespace

CompileRun::CompileRun(CompileFiles files, std::shared_ptr<ProcessStarter> starter)
    : Files(std::move(files)), StarterImpl(std::move(starter)) {}

std::string CompileRun::Busy() const {
    // A second run would write the same log and .res file as the first,
    // and the first one's log would be shown as the second one's.
    if (!PendingRun)
        return {};
    return "The previous compile is still running: its log " + Files.LogPath +
           " is not complete yet. Nothing was saved or started; try again once the Compiler "
           "page shows its log.";
}

Status CompileRun::Start(const std::string& scriptPath, const VersionRecord& document,
                         const CompileSettings& settings, bool* batchStarted) {
    if (batchStarted)
        *batchStarted = false;
    if (PendingRun)
        return Status::Ok();
    ScriptPath = scriptPath;
    Document = document;
    const PathStyle style = NativePathStyle();
    CompileInputs inputs;
    // The batch script leaves its log in the folder it is given: the
    // program's own, or the user's log folder for an installed copy.
    inputs.ProgramDir = FolderPart(Files.LogPath, style);
    inputs.BatchPath = Files.BatchPath;
    inputs.CompilerPath = settings.CompilerPath;
    inputs.CommandText = settings.CommandText;
    inputs.ScriptPath = scriptPath;

    CurrentFolder folder;
    if (Status entered = folder.Enter(ContainingFolder(scriptPath, style)); !entered)
        return entered;
    if (!settings.UseBatchFile)
        return StartCommand(FormDirectCommand(inputs, style), false, settings.MinimizeWindow);
    if (Status removed = RemoveOldLog(); !removed)
        return removed;
    Status started = StartCommand(FormBatchCommand(inputs, style), true, settings.MinimizeWindow);
    if (started && batchStarted)
        *batchStarted = true;
    return started;
}

Status CompileRun::StartCommand(const Expected<CompileCommand>& command, bool batchMode,
                                bool minimized) {
    if (!command)
        return FailedToStart({}, command.message());
    std::error_code error;
    if (batchMode &&
        !std::filesystem::is_regular_file(platform::NativePath(Files.BatchPath), error))
        return FailedToStart(command->Text, "The batch file " + Files.BatchPath + " is missing.");
    // A start that fails leaves nothing pending: nothing will write the log.
    if (Status started = StarterImpl->Start(*command, minimized); !started)
        return FailedToStart(command->Text, started.message());
    PendingRun = batchMode;
    return Status::Ok();
}

// The run's log must be its own: a log left by an earlier run that can't be
// removed (a read-only program folder) would be taken for this one's.
Status CompileRun::RemoveOldLog() const {
    const std::filesystem::path log = platform::NativePath(Files.LogPath);
    std::error_code error;
    if (!std::filesystem::exists(log, error) || std::filesystem::remove(log, error))
        return Status::Ok();
    return Status::Fail("The log of the previous compile, " + Files.LogPath +
                        ", can't be removed: " + error.message() +
                        "\n\nThe compiler was not started, as this run could not write its own "
                        "log there.");
}

Expected<std::optional<FinishedRun>> CompileRun::CheckDone() {
    if (!PendingRun)
        return std::optional<FinishedRun>();
    std::optional<std::string> log = LoadFinishedLog(Files.LogPath);
    if (!log) {
        // The script puts its log in place before it runs the compiler, so
        // a run that has ended without one never wrote it.
        std::error_code error;
        if (StarterImpl->LastStartEnded().value_or(false) &&
            !std::filesystem::exists(platform::NativePath(Files.LogPath), error)) {
            PendingRun = false;
            return Status::Fail("The compile script ended without writing its log " +
                                Files.LogPath +
                                ", so there is no output to show. Can that folder be written "
                                "to?");
        }
        return std::optional<FinishedRun>();
    }
    PendingRun = false;
    return std::optional<FinishedRun>(Finish(*log));
}

FinishedRun CompileRun::Finish(const std::string& logBytes) const {
    FinishedRun run;
    const std::string log = platform::BatchLogText(logBytes, run.LogUtf8);
    run.LogLines = SplitLines(log);
    run.ExitStatus = TakeExitStatus(run.LogLines);
    run.ScriptPath = ScriptPath;
    run.ResPath = ReplaceExtension(ScriptPath, ".res", NativePathStyle());
    run.Verdict = CompiledResourceReport(Document, run.ScriptPath, run.ResPath);
    // Last, where the page opens on it: a failed compile may still have
    // left a .res behind, which the lines above would call good.
    if (run.ExitStatus && *run.ExitStatus != 0)
        run.Verdict.push_back("The compiler failed (exit status " +
                              std::to_string(*run.ExitStatus) + ").");
    return run;
}

Expected<std::string> StartedWindowsCommandLine(const CompileCommand& command) {
    std::vector<std::string> argv{command.Program};
    argv.insert(argv.end(), command.Arguments.begin(), command.Arguments.end());
    Expected<std::string> line = FormWindowsCommandLine(argv);
    if (!line)
        return Status::Fail(line.message());
    if (line->size() > StartedCommandLimit)
        return Status::Fail("The command line is " + std::to_string(line->size()) +
                            " characters long; at most " + std::to_string(StartedCommandLimit) +
                            " can be started.");
    return line;
}

std::vector<std::string> CompiledResourceReport(const VersionRecord& form,
                                                const std::string& scriptPath,
                                                const std::string& resPath) {
    namespace fs = std::filesystem;
    // Paths are the program's bytes, which only the platform layer may turn
    // into the system's own form.
    const fs::path res = platform::NativePath(resPath);
    std::error_code error;
    if (!fs::is_regular_file(res, error))
        return {};
    const auto resTime = fs::last_write_time(res, error);
    const auto scriptTime =
        error ? resTime : fs::last_write_time(platform::NativePath(scriptPath), error);
    std::vector<std::string> lines{std::string()};
    if (!error && resTime < scriptTime) {
        lines.push_back("The .res file is older than the script: this run did not write it.");
        return lines;
    }
    Expected<std::string> bytes = LoadFile(resPath);
    Expected<CompiledResource> compiled =
        bytes ? ReadCompiledVersion(*bytes)
              : Expected<CompiledResource>(Status::Fail(bytes.message()));
    if (!compiled) {
        lines.push_back("The .res file can't be read: " +
                        platform::Utf8OfProgramText(compiled.message()));
        return lines;
    }
    const Findings differences = CompareWithCompiled(form, compiled->Info);
    if (differences.empty()) {
        lines.push_back("The .res file holds exactly what the form holds.");
        return lines;
    }
    lines.push_back("The .res file differs from the form:");
    // The comparison speaks in compiled text, which is Unicode: UTF-8 here.
    for (const Finding& difference : differences)
        lines.push_back("  " + difference.Field + ": " + difference.Message);
    return lines;
}

} // namespace qm
