//===- RcUnderTest.h - Which quillmark-rc the command tests run ---*- C++ -*-===//
//
// The tests run the quillmark-rc built beside them. With QM_RC_EXE naming a
// Windows build of it, they run that .exe under wine instead, so one suite
// holds both programs to the same behaviour. Tests of what only one system
// has (its settings store, an installed layout) skip the other.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm::test {

/// The Windows .exe under test, or "" for the native program.
inline QString WindowsRcExe() {
    return qEnvironmentVariable("QM_RC_EXE");
}

/// Starts `program` with `args`; the native quillmark-rc is replaced by the
/// Windows .exe when one is under test. Wine keeps quiet, so that the
/// program's standard error is all the tests see.
inline void StartRc(QProcess& process, const QString& program, const QStringList& args) {
    const QString exe = WindowsRcExe();
    if (exe.isEmpty() || program != QStringLiteral(QM_RC_PROGRAM)) {
        process.start(program, args);
        return;
    }
    QProcessEnvironment env = process.processEnvironment();
    if (env.isEmpty())
        env = QProcessEnvironment::systemEnvironment();
    env.insert("WINEDEBUG", "-all");
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("QM_WINE", "wine"), QStringList{exe} + args);
}

/// How the program under test says that a file is missing: the system's
/// own words.
inline QByteArray NoSuchFile() {
    return WindowsRcExe().isEmpty() ? "No such file or directory" : "File not found";
}

/// The code page scripts are compiled in: the program's bytes are UTF-8 on
/// Linux and the ANSI code page (1252 under wine) on Windows.
inline QString ScriptCodePage() {
    return WindowsRcExe().isEmpty() ? QStringLiteral("65001") : QStringLiteral("1252");
}

} // namespace qm::test

/// Skips a test of the native program only.
#define QM_SKIP_FOR_WINDOWS_EXE(why)                                                               \
    if (!qm::test::WindowsRcExe().isEmpty())                                                       \
    GTEST_SKIP() << why
