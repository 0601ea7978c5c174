//===- DetachedStart_posix.cpp - Start a detached process on POSIX --------===//

#include "platform/DetachedStart.h"

#include <QProcess>

namespace qm::platform {

Expected<qint64> StartDetached(const DetachedCommand& command) {
    qint64 processId = 0;
    QProcess process;
    process.setWorkingDirectory(command.WorkingDir);
    process.setProgram(command.Program);
    process.setArguments(command.Arguments);
    if (!process.startDetached(&processId))
        return Status::Io(process.errorString().toLocal8Bit().toStdString());
    return processId;
}

} // namespace qm::platform
