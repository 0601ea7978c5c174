//===- AppFiles.cpp - Where the log, the batch script and the template live ===//

#include "settings/AppFiles.h"

#include "platform/System.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace qm {

namespace {

const QString LogFileName = QStringLiteral("Quillmark.log");
const QString UserFolderName = QStringLiteral("quillmark");

QString WithSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// %LOCALAPPDATA%\Quillmark\ on Windows (GenericDataLocation is the local
// application data folder there); $XDG_DATA_HOME/quillmark/ elsewhere.
QString UserDataDir() {
    const QString base =
        WithSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return base + (platform::RunsOnWindows() ? QStringLiteral("Quillmark") : UserFolderName) +
           QLatin1Char('/');
}

// The XDG state folder holds what a program leaves behind between runs that
// is neither configuration nor data worth keeping: logs among them.
QString UserStateDir() {
    if (platform::RunsOnWindows())
        return UserDataDir(); // Windows has no state folder: the log lives with the rest
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return WithSeparator(base) + UserFolderName + QLatin1Char('/');
}

/// Adds one line to the problems reported, keeping those before it.
void Report(QString* problem, const QString& line) {
    if (problem)
        *problem += (problem->isEmpty() ? QString() : QStringLiteral("\n")) + line;
}

/// Copies `from` to `to` unless something is at `to` already or there is
/// nothing to copy. The copy is the user's, so it is writable by them.
void CopyDefault(const QString& from, const QString& to, QString* problem) {
    if (QFileInfo::exists(to) || !QFileInfo(from).isFile())
        return;
    if (!QFile::copy(from, to)) {
        Report(problem, QStringLiteral("Can't copy %1 to %2").arg(from, to));
        return;
    }
    QFile::setPermissions(to, QFile::permissions(to) | QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

const char* BatchScriptName() {
    return platform::RunsOnWindows() ? "QuillmarkEX.bat" : "QuillmarkEX.sh";
}

AppFiles AppFilesIn(const QString& folder) {
    return {folder + LogFileName, folder + QLatin1String(BatchScriptName()),
            folder + QLatin1String(TemplateFileName)};
}

bool KeepsFilesBesideProgram(const QString& programDir) {
    return KeepsFilesBesideProgram(programDir, platform::RunsOnWindows());
}

// Windows installs the shipped files beside the program, so holding them
// says nothing there: only a folder the user may write in is a portable
// copy's. The test is a file made and removed again.
bool KeepsFilesBesideProgram(const QString& programDir, bool windows) {
    const AppFiles beside = AppFilesIn(WithSeparator(programDir));
    const bool holdsFiles =
        QFileInfo::exists(beside.TemplatePath) || QFileInfo::exists(beside.BatchPath);
    if (!windows || !holdsFiles)
        return holdsFiles;
    QTemporaryFile probe(WithSeparator(programDir) + QStringLiteral("quillmark-write-test-XXXXXX"));
    return probe.open();
}

QString InstalledDefaultsDir(const QString& programDir) {
    if (platform::RunsOnWindows())
        return WithSeparator(programDir);
    return QDir::cleanPath(programDir + QStringLiteral("/../share/quillmark")) + QLatin1Char('/');
}

AppFiles PrepareUserFiles(const QString& defaultsDir, QString* problem) {
    const QString dataDir = UserDataDir();
    AppFiles files = AppFilesIn(dataDir);
    files.LogPath = UserStateDir() + LogFileName;
    if (!QDir().mkpath(dataDir)) {
        Report(problem, QStringLiteral("Can't create the folder %1").arg(dataDir));
        return files;
    }
    const AppFiles defaults = AppFilesIn(WithSeparator(defaultsDir));
    CopyDefault(defaults.TemplatePath, files.TemplatePath, problem);
    CopyDefault(defaults.BatchPath, files.BatchPath, problem);
    return files;
}

AppFiles LocateAppFiles(const QString& programDir, QString* problem) {
    if (KeepsFilesBesideProgram(programDir))
        return AppFilesIn(WithSeparator(programDir));
    return PrepareUserFiles(InstalledDefaultsDir(programDir), problem);
}

} // namespace qm
