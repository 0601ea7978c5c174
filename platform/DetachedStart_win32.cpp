//===- DetachedStart_win32.cpp - Start a detached process on Windows ------===//

#include "platform/DetachedStart.h"

#include <QProcess>

#include <windows.h>

namespace qm::platform {

Expected<qint64> StartDetached(const DetachedCommand& command) {
    qint64 processId = 0;
    QProcess process;
    process.setWorkingDirectory(command.WorkingDir);
    process.setProgram(command.Program);
    // The modifier runs during startDetached(), while `line` is alive; the
    // command line buffer must be writable for CreateProcessW.
    std::wstring line = command.WindowsCommandLine.toStdWString();
    const bool minimized = command.Minimized;
    process.setCreateProcessArgumentsModifier(
        [&line, minimized](QProcess::CreateProcessArguments* args) {
            args->arguments = line.data();
            // A program without a console of its own (the window) makes Qt
            // start the child with CREATE_NO_WINDOW, which would hide the
            // compiler's console and make the show mode meaningless.
            args->flags &= ~static_cast<DWORD>(CREATE_NO_WINDOW);
            args->flags |= CREATE_NEW_CONSOLE;
            // Qt hands the child our standard handles; the compiler must
            // write to its own new console instead, as the options promise.
            args->startupInfo->dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
            args->startupInfo->hStdInput = nullptr;
            args->startupInfo->hStdOutput = nullptr;
            args->startupInfo->hStdError = nullptr;
            args->inheritHandles = false;
            args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            args->startupInfo->wShowWindow = minimized ? SW_MINIMIZE : SW_SHOW;
        });
    if (!process.startDetached(&processId))
        return Status::Io(process.errorString().toLocal8Bit().toStdString());
    return processId;
}

} // namespace qm::platform
