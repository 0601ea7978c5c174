//===- StoredDefaultsTest.cpp - quillmark-rc takes the user's defaults ----===//
//
// The program runs with a configuration folder of the test's own, holding a
// Harrowgate/Quillmark.conf written here byte for byte.
//
//===----------------------------------------------------------------------===//

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "RcUnderTest.h"

namespace {

class StoredDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QM_SKIP_FOR_WINDOWS_EXE("the settings file of Linux; Windows keeps them in the registry");
        ASSERT_TRUE(Dir.isValid());
    }

    void storeSettings(const QByteArray& bytes) {
        ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral(".config/Harrowgate")));
        QFile file(Dir.filePath(QStringLiteral(".config/Harrowgate/Quillmark.conf")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    /// Runs `quillmark-rc new out.rc`; returns its exit code.
    int runNew() {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), Dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir.filePath(QStringLiteral(".config")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Dir.path());
        qm::test::StartRc(process, QStringLiteral(QM_RC_PROGRAM), {QStringLiteral("new"), OutName});
        EXPECT_TRUE(process.waitForStarted());
        EXPECT_TRUE(process.waitForFinished(-1));
        Err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QByteArray written() const {
        QFile file(Dir.filePath(OutName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    const QString OutName = QStringLiteral("out.rc");
    QTemporaryDir Dir;
    QByteArray Err;
};

TEST_F(StoredDefaultsTest, NewHonoursTheThreeStoredDefaults) {
    storeSettings("[Settings]\nDefaultFILEOS=vos_nt\nDefaultLanguageID=0x409\n"
                  "DefaultCodePage=1252\n");
    ASSERT_EQ(runNew(), 0) << Err.constData();
    const QByteArray script = written();
    EXPECT_TRUE(script.contains("FILEOS            VOS_NT\r\n")) << script.constData();
    EXPECT_TRUE(script.contains("BLOCK \"040904E4\"")) << script.constData();
    EXPECT_TRUE(script.contains("VALUE \"Translation\", 0x0409, 1252")) << script.constData();
}

TEST_F(StoredDefaultsTest, CodePageMatchingNoRowMakesNewFailAndWriteNothing) {
    storeSettings("[Settings]\nDefaultCodePage=437\n");
    EXPECT_NE(runNew(), 0);
    EXPECT_FALSE(Err.isEmpty());
    EXPECT_FALSE(QFile::exists(Dir.filePath(OutName)));
}

TEST_F(StoredDefaultsTest, WrongTypedSettingIsReportedAndLaterRowsTakeBuiltInDefaults) {
    storeSettings("[Settings]\nFontSize=@Size(1 2)\nDefaultLanguageID=0x409\n");
    ASSERT_EQ(runNew(), 0) << Err.constData();
    EXPECT_TRUE(Err.contains("'FontSize'")) << Err.constData();
    EXPECT_TRUE(written().contains("BLOCK \"041104B0\""));
}

} // namespace
