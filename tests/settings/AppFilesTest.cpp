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
        qputenv("XDG_DATA_HOME", Path("data").c_str());
        qputenv("XDG_STATE_HOME", Path("state").c_str());
        ASSERT_TRUE(QDir(Dir.path()).mkpath("usr/bin") &&
                    QDir(Dir.path()).mkpath("usr/share/quillmark"));
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", SavedData);
        qputenv("XDG_STATE_HOME", SavedState);
    }

    std::string Path(const QString& name) const {
        return QFile::encodeName(Dir.filePath(name)).toStdString();
    }
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir Dir;
    QByteArray SavedData, SavedState;
};

} // namespace

TEST_F(AppFilesTest, ABuildTreeKeepsItsFilesBesideTheProgram) {
    const std::string bin = Path("usr/bin/");
    Write("usr/bin/QuillmarkEX.sh", "path=\n");
    EXPECT_TRUE(KeepsFilesBesideProgram(bin));
    // Windows' rule: a folder holding the files is a portable copy's only
    // when the user may write there (checked with a file that is removed).
    EXPECT_TRUE(KeepsFilesBesideProgram(bin, true));
    EXPECT_EQ(QDir(QString::fromStdString(bin)).entryList(QDir::Files),
              QStringList{"QuillmarkEX.sh"});
    EXPECT_FALSE(KeepsFilesBesideProgram(Path("usr/share"), true));
    const AppFiles files = LocateAppFiles(bin);
    EXPECT_EQ(files, AppFilesIn(bin));
    EXPECT_EQ(files.LogPath, bin + "Quillmark.log");
    EXPECT_EQ(files.TemplatePath, bin + "Initial.rc");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("data"))));
}

TEST_F(AppFilesTest, AnInstalledCopyUsesTheUsersFoldersWithTheLogInTheStateFolder) {
    Write("usr/share/quillmark/Initial.rc", "// template\r\n");
    Write("usr/share/quillmark/QuillmarkEX.sh", "path=\n");
    const std::string bin = Path("usr/bin");
    EXPECT_FALSE(KeepsFilesBesideProgram(bin));
    EXPECT_EQ(InstalledDefaultsDir(bin), Path("usr/share/quillmark/"));

    std::string problem;
    const AppFiles files = LocateAppFiles(bin, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(files.TemplatePath, Path("data/quillmark/Initial.rc"));
    EXPECT_EQ(files.BatchPath, Path("data/quillmark/QuillmarkEX.sh"));
    EXPECT_EQ(files.LogPath, Path("state/quillmark/Quillmark.log"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(files.TemplatePath)).isFile());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(files.BatchPath)).isWritable());
}

TEST_F(AppFilesTest, AFolderThatCannotBeMadeIsNamed) {
    Write("data", "a file where the data folder should be");
    std::string problem;
    const AppFiles files = PrepareUserFiles(Path("usr/share/quillmark"), &problem);
    EXPECT_NE(problem.find(Path("data/quillmark")), std::string::npos) << problem;
    EXPECT_EQ(files.TemplatePath, Path("data/quillmark/Initial.rc"));
}

TEST_F(AppFilesTest, EveryCopyThatFailsIsNamed) {
    Write("usr/share/quillmark/Initial.rc", "// template\r\n");
    Write("usr/share/quillmark/QuillmarkEX.sh", "path=\n");
    // Dangling links where the copies go: neither copy can be made.
    ASSERT_TRUE(QDir(Dir.path()).mkpath("data/quillmark"));
    ASSERT_TRUE(QFile::link(Dir.filePath("nowhere/a"), Dir.filePath("data/quillmark/Initial.rc")));
    ASSERT_TRUE(
        QFile::link(Dir.filePath("nowhere/b"), Dir.filePath("data/quillmark/QuillmarkEX.sh")));
    std::string problem;
    PrepareUserFiles(Path("usr/share/quillmark"), &problem);
    EXPECT_NE(problem.find("Initial.rc"), std::string::npos) << problem;
    EXPECT_NE(problem.find("QuillmarkEX.sh"), std::string::npos) << problem;
}
