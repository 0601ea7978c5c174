//===- CommandFixture.h - quillmark-rc run in a folder of its own --*- C++ -*-===//
//
// Each test gets a temporary folder, which is the program's working folder,
// home and configuration folder.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "RcUnderTest.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qm::test {

struct RunResult {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

/// A temporary folder, and quillmark-rc (or another program) run in it.
class RcCommandTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return Dir.filePath(name); }

    QByteArray readBytes(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void copyExample(const QString& name) {
        ASSERT_TRUE(QFile::copy(QString(QM_EXAMPLES_DIR "/") + name, path(name)));
    }

    // wine itself can drop a client ("wine client error"); such a run says
    // nothing of the program, and is made again once.
    RunResult run(const QString& program, const QStringList& args) {
        RunResult result = runOnce(program, args);
        if (!qm::test::WindowsRcExe().isEmpty() && result.Err.contains("wine client error"))
            result = runOnce(program, args);
        return result;
    }
    RunResult runOnce(const QString& program, const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Dir.path());
        env.insert("XDG_CONFIG_HOME", Dir.filePath(".config"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Dir.path());
        qm::test::StartRc(process, program, args);
        EXPECT_TRUE(process.waitForFinished(-1));
        RunResult result;
        result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.Out = process.readAllStandardOutput();
        result.Err = process.readAllStandardError();
        return result;
    }
    RunResult rc(const QStringList& args) { return run(QM_RC_PROGRAM, args); }

    /// A compilable script NAME.rc (Example 2 with winver.h and its macro)
    /// compiled to NAME.res by llvm-rc.
    void compile(const QString& name, const QStringList& edits = {}) {
        QStringList args{"write", name + ".rc", "--from", QM_EXAMPLES_DIR "/Example2.json"};
        ASSERT_EQ(rc(args).ExitCode, 0);
        args = QStringList{"set",
                           name + ".rc",
                           "--com-inc-line",
                           "#include <winver.h>",
                           "--com-inc-line",
                           "#define PRODUCT_VERSION_STR \"2.1\"",
                           "--string",
                           "SpecialBuild=special"} +
               edits;
        const RunResult set = rc(args);
        ASSERT_EQ(set.ExitCode, 0) << set.Err.toStdString();
        const RunResult compiled =
            run(QM_LLVM_RC, {"/C", qm::test::ScriptCodePage(), "/I", "/usr/share/mingw-w64/include",
                             "/FO", name + ".res", name + ".rc"});
        ASSERT_EQ(compiled.ExitCode, 0) << compiled.Out.toStdString() << compiled.Err.toStdString();
    }

    QTemporaryDir Dir;
};

} // namespace qm::test
