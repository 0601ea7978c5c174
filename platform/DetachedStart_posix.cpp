//===- DetachedStart_posix.cpp - Start a detached process on POSIX --------===//

#include "platform/DetachedStart.h"

#include <QProcess>

namespace qm::platform {

QString StartDetached(const DetachedCommand& command, qint64* processId) {
    QProcess process;
    process.setWorkingDirectory(command.WorkingDir);
    process.setProgram(command.Program);
    process.setArguments(command.Arguments);
    if (!process.startDetached(processId))
        return process.errorString();
    return QString();
}

} // namespace qm::platform
