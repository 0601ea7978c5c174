//===- SettingsStore.cpp - Where the settings are kept --------------------===//
//
// A file store is never written in place. QSettings reports success and
// leaves a file cut short when the disk fills during its save, so a store
// goes through a staging file in the same folder:
//   1. the current file's values are read (a file that exists but cannot be
//      read is an error: replacing it would lose what it holds);
//   2. QSettings writes those values plus the new ones to a fresh staging
//      file;
//   3. the staging file is moved to a second name that QSettings has never
//      seen (it caches files by name) and read back; every value must come
//      back as written;
//   4. only then is it renamed over the settings file.
// Any failure removes the staging files and leaves the settings file alone.
//
//===----------------------------------------------------------------------===//
#include "settings/SettingsStore.h"
#include "settings/AppSettings.h"

#include "platform/Files.h"
#include "platform/System.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

namespace qm {
namespace {

const QString Organisation = QStringLiteral("Harrowgate");
const QString Application = QStringLiteral("Quillmark");
/// How long a store waits for another program's lock on the settings file.
constexpr int LockWaitMs = 2000;

QString& StoreFileOverride() {
    static QString path;
    return path;
}

/// On Windows the settings live in the registry, unless a file is named.
bool UsesRegistry() {
    return platform::RunsOnWindows() && StoreFileOverride().isEmpty();
}
const QString RegistryKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Harrowgate\\Quillmark\\Settings");

/// The current user's key. Fallbacks are off: a value missing there must
/// read as missing, never come from the machine's (HKEY_LOCAL_MACHINE) or
/// the organisation's defaults.
std::unique_ptr<QSettings> OpenRegistry() {
    auto registry = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                Organisation, Application);
    registry->setFallbacksEnabled(false);
    return registry;
}

// Where QSettings keeps the user's file, worked out without a QSettings:
// constructing one opens the file and the organisation's fallback file,
// and a FIFO there would block before any check could run.
QString SettingsFilePath() {
    if (!StoreFileOverride().isEmpty())
        return StoreFileOverride();
    if (platform::RunsOnWindows())
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, Organisation, Application)
            .fileName();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + Organisation + QLatin1Char('/') + Application +
           QStringLiteral(".conf");
}

Status Fail(const QString& message) {
    return Status::Fail(message.toLocal8Bit().toStdString());
}

Status WriteFailure(const QString& path, const QString& reason) {
    return Fail(QStringLiteral("Cannot write the settings file '%1': %2").arg(path, reason));
}

using ValueMap = QMap<QString, QVariant>;

ValueMap AllValues(QSettings& settings) {
    ValueMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

/// Moves `from` over `to`, replacing it in one step.
bool ReplaceFile(const QString& from, const QString& to) {
    return platform::RenameOver(QFileInfo(from).filesystemFilePath(),
                                QFileInfo(to).filesystemFilePath())
        .ok();
}

/// Removes the staging files of a store that did not finish.
struct StagingFiles {
    QString Written;
    QString Checked;
    ~StagingFiles() {
        if (!Written.isEmpty())
            QFile::remove(Written);
        if (!Checked.isEmpty())
            QFile::remove(Checked);
    }
};

/// A settings file that is missing is fine (it reads as empty); one that is
/// there but is no file, or can't be opened, is an error naming the cause.
/// Nothing but a regular file is opened, so a FIFO can't hang the program.
Status CheckReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Status::Ok();
    if (!info.isFile())
        return Fail(QStringLiteral("The settings file '%1' is not a file").arg(path));
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("Cannot read the settings file '%1': %2")
                        .arg(path, probe.errorString()));
    return Status::Ok();
}

Expected<ValueMap> ReadCurrentValues(const QString& path) {
    if (Status readable = CheckReadable(path); !readable)
        return readable;
    QSettings current(path, QSettings::IniFormat);
    return AllValues(current);
}

/// Writes `values` to a fresh staging file through QSettings and returns
/// everything that file should now hold.
Expected<ValueMap> WriteStaging(const QString& stagingPath, const ValueMap& previous,
                                const SettingTexts& values) {
    QSettings staging(stagingPath, QSettings::IniFormat);
    for (auto it = previous.begin(); it != previous.end(); ++it)
        staging.setValue(it.key(), it.value());
    staging.beginGroup(SettingsGroup);
    for (const auto& [name, text] : values)
        staging.setValue(name, text);
    staging.endGroup();
    staging.sync();
    if (staging.status() != QSettings::NoError)
        return Status::Fail("");
    return AllValues(staging);
}

/// Reads the staging file back under a name QSettings has not cached.
bool ReadsBackAs(const QString& path, const ValueMap& expected) {
    QSettings check(path, QSettings::IniFormat);
    return check.status() == QSettings::NoError && AllValues(check) == expected;
}

/// A cached copy of the old file is trusted while size and modification time
/// are unchanged; make sure the new file differs from the old in one of them.
void DistinguishFromOld(const QString& stagingPath, const QFileInfo& old) {
    if (!old.exists())
        return;
    const QFileInfo fresh(stagingPath);
    if (fresh.size() != old.size() || fresh.lastModified() != old.lastModified())
        return;
    QFile file(stagingPath);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(old.lastModified().addMSecs(1), QFileDevice::FileModificationTime);
}

/// A settings file kept as a link (say, into a dotfiles folder) is written
/// where the link points, so the link survives the replacement.
QString ResolveLink(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

Status WriteSettingsFile(const QString& requestedPath, const SettingTexts& values) {
    const QString path = ResolveLink(requestedPath);
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder))
        return WriteFailure(path, QStringLiteral("cannot create the folder '%1'").arg(folder));
    // A file that can't be read is reported as such: it is not merely
    // read-only, and replacing it would lose what it holds.
    if (Status readable = CheckReadable(path); !readable)
        return readable;
    // Renaming would replace even a read-only file; QSettings refuses those too.
    if (target.isFile() && !target.isWritable())
        return WriteFailure(path, QStringLiteral("the file is read-only"));

    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            return WriteFailure(path, QStringLiteral("it is locked by another program"));
        return WriteFailure(path,
                            QStringLiteral("cannot create a lock in the folder '%1'").arg(folder));
    }

    const Expected<ValueMap> previous = ReadCurrentValues(path);
    if (!previous)
        return Status::Fail(previous.message());

    StagingFiles staging;
    {
        QTemporaryFile reserve(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
        reserve.setAutoRemove(false);
        if (!reserve.open())
            return WriteFailure(path, reserve.errorString());
        staging.Written = reserve.fileName();
    }
    QFile::setPermissions(staging.Written, target.exists()
                                               ? QFile::permissions(path)
                                               : QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ReadGroup | QFile::ReadOther);

    const Expected<ValueMap> expected = WriteStaging(staging.Written, *previous, values);
    if (!expected)
        return WriteFailure(path, QStringLiteral("the new contents could not be saved"));

    staging.Checked = staging.Written + QStringLiteral(".check");
    if (!ReplaceFile(staging.Written, staging.Checked))
        return WriteFailure(path, QStringLiteral("the new contents could not be checked"));
    staging.Written.clear();
    if (!ReadsBackAs(staging.Checked, *expected))
        return WriteFailure(path, QStringLiteral("the new contents came out incomplete "
                                                 "(is the disk full?)"));

    DistinguishFromOld(staging.Checked, target);
    if (!ReplaceFile(staging.Checked, path))
        return WriteFailure(path, QStringLiteral("cannot replace the file"));
    staging.Checked.clear();
    return Status::Ok();
}

Status WriteRegistry(const SettingTexts& values) {
    std::unique_ptr<QSettings> registry = OpenRegistry();
    registry->beginGroup(SettingsGroup);
    for (const auto& [name, text] : values)
        registry->setValue(name, text);
    registry->endGroup();
    registry->sync();
    if (registry->status() != QSettings::NoError)
        return Fail(QStringLiteral("Cannot write the registry key '%1'").arg(RegistryKey));
    return Status::Ok();
}

} // namespace

void SetSettingsStoreFile(const QString& path) {
    StoreFileOverride() = path;
}

QString SettingsStoreLocation() {
    if (UsesRegistry())
        return RegistryKey;
    return SettingsFilePath();
}

Status CheckSettingsReadable() {
    if (UsesRegistry())
        return Status::Ok();
    return CheckReadable(ResolveLink(SettingsFilePath()));
}

std::unique_ptr<QSettings> OpenSettingsForReading() {
    if (UsesRegistry())
        return OpenRegistry();
    return std::make_unique<QSettings>(SettingsFilePath(), QSettings::IniFormat);
}

Status WriteSettingTexts(const SettingTexts& values) {
    if (UsesRegistry())
        return WriteRegistry(values);
    return WriteSettingsFile(SettingsFilePath(), values);
}

} // namespace qm
