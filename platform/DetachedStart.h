//===- DetachedStart.h - Start a process without waiting for it ---*- C++ -*-===//
#pragma once

#include "versioninfo/support/Status.h"

#include <QString>
#include <QStringList>

namespace qm::platform {

struct DetachedCommand {
    QString Program;
    /// The arguments, one by one, never through a shell (POSIX).
    QStringList Arguments;
    /// The whole command line, quoted by the caller (Windows, where cmd.exe
    /// reads a batch file's arguments from the line as it stands).
    QString WindowsCommandLine;
    QString WorkingDir;
    /// On Windows the program gets a console window of its own, shown or
    /// minimised; elsewhere there is no such window and this is ignored.
    bool Minimized = false;
};

/// Starts `command` detached from the program: the started process's id,
/// else (Io) the reason it could not be started, in the program's own
/// encoding as every message is.
Expected<qint64> StartDetached(const DetachedCommand& command);

} // namespace qm::platform
