//===- MainCompile.cpp - The Win32 window's Save & Compile and Options ----===//
//
// The window saves the document and hands the run to desk's CompileRun;
// the run's end is checked whenever the message queue runs empty, and on a
// timer while a batch run is pending, since nothing else wakes the window
// when the compiler finishes.
//
//===----------------------------------------------------------------------===//

#include "winapp/Main.h"

#include "desk/BatchFile.h"
#include "winapp/ControlIds.h"
#include "winapp/Options.h"
#include "winapp/SpeedButton.h"
#include "winapp/WinControls.h"

#include <commctrl.h>

namespace qm::win {

namespace {

constexpr int CompilerPage = 3;
constexpr UINT_PTR PendingTimer = 1;
constexpr UINT PendingCheckMs = 100;

class Win32Starter : public ProcessStarter {
public:
    ~Win32Starter() override { Forget(); }

    Status Start(const CompileCommand& command, bool minimized) override {
        Forget();
        Expected<std::string> line = StartedWindowsCommandLine(command);
        if (!line)
            return Status::Fail(line.message());
        // A batch file runs in cmd.exe; "/s /c" takes the rest as it stands.
        std::string started = *line;
        if (IsBatchFile(command.Program))
            started = "cmd.exe /s /c \"" + started + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(minimized ? SW_MINIMIZE : SW_SHOW);
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, started.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            command.WorkingDir.empty() ? nullptr : command.WorkingDir.c_str(),
                            &startup, &process))
            return Status::Io("Can't start " + command.Text + " (error " +
                              std::to_string(GetLastError()) + ")");
        CloseHandle(process.hThread);
        Process = process.hProcess;
        return Status::Ok();
    }

    std::optional<bool> LastStartEnded() override {
        if (!Process)
            return std::nullopt;
        return WaitForSingleObject(Process, 0) == WAIT_OBJECT_0;
    }

private:
    static bool IsBatchFile(const std::string& program) {
        const std::size_t dot = program.find_last_of('.');
        if (dot == std::string::npos)
            return false;
        const std::string extension = program.substr(dot);
        return lstrcmpiA(extension.c_str(), ".bat") == 0 ||
               lstrcmpiA(extension.c_str(), ".cmd") == 0;
    }

    void Forget() {
        if (Process)
            CloseHandle(Process);
        Process = nullptr;
    }

    HANDLE Process = nullptr;
};

/// The file's local modification time in two-second steps: the short date,
/// a blank and the long time, the time left out at exactly midnight; or
/// "<<< Not Found >>>" when there is no such file (a folder counts as none).
std::string FileStampText(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return NotFoundStamp;
    FILETIME local;
    SYSTEMTIME when;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &when);
    when.wSecond &= ~1;
    when.wMilliseconds = 0;
    char date[128] = {};
    char time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, sizeof date);
    std::string text = date;
    if (when.wHour || when.wMinute || when.wSecond) {
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, time, sizeof time);
        text += std::string(" ") + time;
    }
    return text;
}

} // namespace

std::shared_ptr<ProcessStarter> MakeWin32Starter() {
    return std::make_shared<Win32Starter>();
}

void TFormMain::CompileClick() {
    if (const std::string busy = Run->Busy(); !busy.empty()) {
        ShowBox("Compile", busy, BoxKind::Error);
        return;
    }
    // The button is disabled then; a click sent by another program must
    // not save a file literally named "<New>".
    if (!Commands->Document().Named() || !Commands->CheckVersions(true) || !Commands->WriteScript())
        return;
    ClearCompilerPage();
    SelectTab(CompilerPage);
    const bool batchMode = Settings.Flag(SettingId::UseBatchFile);
    // The batch file's first line puts the compiler folder on the search
    // path; a shipped batch file names none yet.
    if (batchMode)
        UpdateBatchFile();
    CompileSettings compile;
    compile.UseBatchFile = batchMode;
    compile.MinimizeWindow = Settings.Flag(SettingId::MinimizeWindow);
    compile.CompilerPath = AnsiOfUtf8(Settings.Text(SettingId::CompilerPath));
    compile.CommandText =
        AnsiOfUtf8(PickStr(cbtnCompile32->Down(), Settings.Text(SettingId::CompilerCmdLine32),
                           Settings.Text(SettingId::CompilerCmdLine16)));
    bool batchStarted = false;
    const Status started =
        Run->Start(Commands->Document().File(), FormRecord(), compile, &batchStarted);
    if (!started) {
        ShowBox("Compile", started.message(), BoxKind::Error);
        return;
    }
    if (batchStarted)
        SetTimer(Window, PendingTimer, PendingCheckMs, nullptr);
}

void TFormMain::IdleCheck() {
    if (!CompilePending()) {
        KillTimer(Window, PendingTimer);
        return;
    }
    if (ShownTab == CompilerPage && GetForegroundWindow() == Window)
        SetFocus(cmmResult);
    Expected<std::optional<FinishedRun>> checked = Run->CheckDone();
    if (!Run->Pending())
        KillTimer(Window, PendingTimer);
    if (!checked) {
        ShowBox("Compile", checked.message(), BoxKind::Error);
        return;
    }
    if (*checked)
        ShowRun(**checked);
}

void TFormMain::ShowRun(const FinishedRun& run) {
    Lines lines;
    for (const std::string& line : run.LogLines)
        lines.push_back(run.LogUtf8 ? AnsiOfUtf8(line) : line);
    lines.emplace_back();
    lines.push_back(FileStampText(run.ScriptPath) + " : " + run.ScriptPath);
    lines.push_back(FileStampText(run.ResPath) + " : " + run.ResPath);
    for (const std::string& line : run.Verdict)
        lines.push_back(AnsiOfUtf8(line));
    SetMemoLines(cmmResult, lines);
    // The verdict comes last: the page opens on it.
    const int length = GetWindowTextLengthA(cmmResult);
    SendMessageA(cmmResult, EM_SETSEL, length, length);
    SendMessageA(cmmResult, EM_SCROLLCARET, 0, 0);
    SetForegroundWindow(Window);
    BringWindowToTop(Window);
}

void TFormMain::UpdateBatchFile() {
    Lines lines;
    const Status updated = qm::UpdateBatchFile(
        Files.BatchPath, AnsiOfUtf8(Settings.Text(SettingId::CompilerPath)), lines);
    if (!updated)
        ShowBox("Quillmark", updated.message(), BoxKind::Error);
}

void TFormMain::OptionsClick() {
    if (FormOpt->ShowModal(Window, Settings) != IDOK)
        return;
    Settings = FormOpt->Settings();
    Commands->SetSettings({Settings.NewDocument(), Settings.Flag(SettingId::UseInitialRC)});
    // After OK, even when the store failed: the settings in force are then
    // the old ones, and applying them again changes nothing.
    ApplyPageFont();
    UpdateBatchFile();
}

} // namespace qm::win
