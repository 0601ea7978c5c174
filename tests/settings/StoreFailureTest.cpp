//===- StoreFailureTest.cpp - A failed store never damages the file ------===//
//
// A full disk is imitated by lowering RLIMIT_FSIZE in a forked child (with
// SIGXFSZ ignored, writes past the limit fail with EFBIG). The parent then
// checks that the settings file is byte for byte what it was.
//
//===----------------------------------------------------------------------===//
#include "SettingsTestSupport.h"

#include <QDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;
using qm::test::SampleEntries;
using qm::test::SettingsFileTest;

namespace {

/// Runs StoreSettings in a child whose files may not grow past `limit`
/// bytes; true when the child's store reported success.
bool StoreUnderFileSizeLimit(const OptionEntries& entries, rlim_t limit) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &r) != 0)
            _exit(2);
        _exit(StoreSettings(entries).ok() ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2);
    return WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(SettingsFileTest, FullDiskLeavesTheOldFileIntact) {
    OptionEntries old = SampleEntries();
    ASSERT_TRUE(StoreSettings(old).ok());
    const QByteArray oldBytes = ReadRaw();
    ASSERT_FALSE(oldBytes.isEmpty());

    OptionEntries longer = SampleEntries();
    longer.CompilerPath = QString(200, QLatin1Char('p'));
    const rlim_t size = static_cast<rlim_t>(oldBytes.size());
    for (rlim_t limit : {rlim_t(0), size / 2, size - 1, size, size + 1, size + 100}) {
        EXPECT_FALSE(StoreUnderFileSizeLimit(longer, limit)) << "limit " << limit;
        EXPECT_EQ(ReadRaw(), oldBytes) << "limit " << limit;
    }
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Quillmark.conf")});

    // The same child with room to write succeeds, so the failures above are
    // the limit's doing.
    EXPECT_TRUE(StoreUnderFileSizeLimit(longer, RLIM_INFINITY));
    AppSettings loaded;
    ASSERT_TRUE(LoadSettings(loaded).ok());
    EXPECT_EQ(loaded.CompilerPath, longer.CompilerPath);
}

TEST_F(SettingsFileTest, FolderThatCannotBeMadeIsReportedByName) {
    const QString plain = Dir.filePath(QStringLiteral("plain.txt"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const QString path = plain + QStringLiteral("/Quillmark.conf");
    SetSettingsStoreFile(path);
    const Status status = StoreSettings(SampleEntries());
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find(path.toStdString()), std::string::npos) << status.message();
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
}

TEST_F(SettingsFileTest, LinkedSettingsFileIsWrittenThroughTheLink) {
    const QString real = Dir.filePath(QStringLiteral("dotfiles/Quillmark.conf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(real).absolutePath()));
    ASSERT_TRUE(QFile::link(real, Path()));
    ASSERT_TRUE(StoreSettings(SampleEntries()).ok());
    EXPECT_TRUE(QFileInfo(Path()).isSymLink());
    ASSERT_TRUE(StoreSettings(SampleEntries()).ok());
    EXPECT_TRUE(QFileInfo(Path()).isSymLink());
    AppSettings loaded;
    ASSERT_TRUE(LoadSettings(loaded).ok());
    EXPECT_EQ(loaded.FontName, QStringLiteral("Courier New"));
}

TEST_F(SettingsFileTest, UnreadableFileIsReportedAsUnreadableNotReadOnly) {
    ASSERT_TRUE(StoreSettings(SampleEntries()).ok());
    const QByteArray stored = ReadRaw();
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::Permissions()));
    // Root reads any file: the child gives that up first, and the folder lets
    // it in.
    ASSERT_TRUE(QFile::setPermissions(Dir.path(), QFileDevice::Permissions(0x7755)));
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        AppSettings loaded = AppSettings{};
        const Status load = LoadSettings(loaded);
        const Status store = StoreSettings(SampleEntries());
        const bool named = !load.ok() && load.message().find("Cannot read the settings file '" +
                                                             Path().toStdString()) == 0;
        const bool defaults = loaded == BuiltInAppSettings();
        const bool cause = !store.ok() && store.message().find("Cannot read") == 0 &&
                           store.message().find("read-only") == std::string::npos;
        _exit(named && defaults && cause ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadRaw(), stored);
}
