//===- AppFilesTest.cpp - Where the log, batch script and template live ---===//
//
// The user's folders are pointed into a temporary folder through the XDG
// variables, so the tests never reach the real user's files.
//
//===----------------------------------------------------------------------===//
#include "settings/AppFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qm;

namespace {

class AppFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SavedData = qgetenv("XDG_DATA_HOME");
        SavedState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path("data")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(Path("state")));
        ASSERT_TRUE(QDir().mkpath(Path("usr/bin")) && QDir().mkpath(Path("usr/share/quillmark")));
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", SavedData);
        qputenv("XDG_STATE_HOME", SavedState);
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir Dir;
    QByteArray SavedData, SavedState;
};

} // namespace

TEST_F(AppFilesTest, ABuildTreeKeepsItsFilesBesideTheProgram) {
    const QString bin = Path("usr/bin/");
    Write("usr/bin/QuillmarkEX.sh", "path=\n");
    EXPECT_TRUE(KeepsFilesBesideProgram(bin));
    // Windows' rule: a folder holding the files is a portable copy's only
    // when the user may write there (checked with a file that is removed).
    EXPECT_TRUE(KeepsFilesBesideProgram(bin, true));
    EXPECT_EQ(QDir(bin).entryList(QDir::Files), QStringList{"QuillmarkEX.sh"});
    EXPECT_FALSE(KeepsFilesBesideProgram(Path("usr/share"), true));
    const AppFiles files = LocateAppFiles(bin);
    EXPECT_EQ(files, AppFilesIn(bin));
    EXPECT_EQ(files.LogPath, bin + "Quillmark.log");
    EXPECT_EQ(files.TemplatePath, bin + "Initial.rc");
    EXPECT_FALSE(QFileInfo::exists(Path("data")));
}

TEST_F(AppFilesTest, AnInstalledCopyUsesTheUsersFoldersWithTheLogInTheStateFolder) {
    Write("usr/share/quillmark/Initial.rc", "// template\r\n");
    Write("usr/share/quillmark/QuillmarkEX.sh", "path=\n");
    const QString bin = Path("usr/bin");
    EXPECT_FALSE(KeepsFilesBesideProgram(bin));
    EXPECT_EQ(QDir(InstalledDefaultsDir(bin)), QDir(Path("usr/share/quillmark")));

    QString problem;
    const AppFiles files = LocateAppFiles(bin, &problem);
    EXPECT_EQ(problem, QString());
    EXPECT_EQ(files.TemplatePath, Path("data/quillmark/Initial.rc"));
    EXPECT_EQ(files.BatchPath, Path("data/quillmark/QuillmarkEX.sh"));
    EXPECT_EQ(files.LogPath, Path("state/quillmark/Quillmark.log"));
    EXPECT_TRUE(QFileInfo(files.TemplatePath).isFile());
    EXPECT_TRUE(QFileInfo(files.BatchPath).isFile());
    EXPECT_TRUE(QFileInfo(files.BatchPath).isWritable());
}

TEST_F(AppFilesTest, AFolderThatCannotBeMadeIsNamed) {
    Write("data", "a file where the data folder should be");
    QString problem;
    const AppFiles files = PrepareUserFiles(Path("usr/share/quillmark"), &problem);
    EXPECT_TRUE(problem.contains(Path("data/quillmark"))) << problem.toStdString();
    EXPECT_EQ(files.TemplatePath, Path("data/quillmark/Initial.rc"));
}

TEST_F(AppFilesTest, EveryCopyThatFailsIsNamed) {
    Write("usr/share/quillmark/Initial.rc", "// template\r\n");
    Write("usr/share/quillmark/QuillmarkEX.sh", "path=\n");
    // Dangling links where the copies go: neither copy can be made.
    ASSERT_TRUE(QDir().mkpath(Path("data/quillmark")));
    ASSERT_TRUE(QFile::link(Path("nowhere/a"), Path("data/quillmark/Initial.rc")));
    ASSERT_TRUE(QFile::link(Path("nowhere/b"), Path("data/quillmark/QuillmarkEX.sh")));
    QString problem;
    PrepareUserFiles(Path("usr/share/quillmark"), &problem);
    EXPECT_TRUE(problem.contains("Initial.rc")) << problem.toStdString();
    EXPECT_TRUE(problem.contains("QuillmarkEX.sh")) << problem.toStdString();
}
