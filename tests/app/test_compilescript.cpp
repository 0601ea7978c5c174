//===- test_compilescript.cpp - The shipped QuillmarkEX.sh keeps its contract -===//
//
// Runs the script that ships in the program folder the way Save & Compile
// starts it, with a compiler that waits for the test, and checks that the
// log can't be picked up before the compiler has ended. The window's tests
// cover what reaches the compiler.
//
//===----------------------------------------------------------------------===//

#include "app/FileStamp.h"
#include "desk/CompileCommand.h"
#include "settings/AppFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void WriteFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

} // namespace

class CompileScriptTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Temp;
    QString ProgramDir, CompilerDir, WorkDir;

    /// Starts the shipped script as Save & Compile would, for `commandText`
    /// on the script `scriptName` in WorkDir.
    void Start(QProcess& run, const QString& commandText, const QString& scriptName) {
        CompileInputs inputs;
        inputs.ProgramDir = Bytes(ProgramDir);
        inputs.BatchPath = Bytes(ProgramDir + BatchScriptName());
        inputs.CompilerPath = Bytes(CompilerDir);
        inputs.CommandText = Bytes(commandText);
        inputs.ScriptPath = Bytes(WorkDir + scriptName);
        auto command = FormBatchCommand(inputs, PathStyle::Posix);
        QVERIFY(command);
        QStringList arguments;
        for (const std::string& a : command->Arguments)
            arguments << QFile::decodeName(QByteArray::fromStdString(a));
        run.setWorkingDirectory(QString::fromStdString(command->WorkingDir));
        run.start(QString::fromStdString(command->Program), arguments);
        QVERIFY(run.waitForStarted());
    }

private slots:
    void init() {
        QVERIFY(Temp.isValid());
        for (const char* sub : {"/prog dir/", "/compiler; dir/", "/work dir/"})
            QVERIFY(QDir().mkpath(Temp.path() + sub));
        ProgramDir = Temp.path() + "/prog dir/";
        CompilerDir = Temp.path() + "/compiler; dir";
        WorkDir = Temp.path() + "/work dir/";
        const QString shipped = QStringLiteral(QM_BIN_DIR "/") + BatchScriptName();
        QVERIFY2(QFileInfo(shipped).isExecutable(), "the script does not ship executable");
        QFile::remove(ProgramDir + BatchScriptName());
        QVERIFY(QFile::copy(shipped, ProgramDir + BatchScriptName()));
        // The program sets the first line for the compiler folder, which is
        // not on the search path otherwise.
        Lines image;
        Status updated =
            UpdateBatchFile(Bytes(ProgramDir + BatchScriptName()), Bytes(CompilerDir), image);
        QVERIFY2(updated, updated.message().c_str());
    }

    void cleanup() { QVERIFY(Temp.remove()); }

    void theLogIsHeldUntilTheCompilerEnds() {
        // This compiler waits for a line on its input, which the test holds.
        WriteFile(CompilerDir + "/waitrc", "#!/bin/sh\necho started\nread x\necho \"got $x\"\n",
                  true);
        const QString log = ProgramDir + LogFileName;
        QProcess run;
        Start(run, "waitrc", "App.rc");
        QTRY_VERIFY(QFile::exists(log));
        QVERIFY(!LoadFinishedLog(Bytes(log)));

        run.write("go\n");
        run.closeWriteChannel();
        QVERIFY(run.waitForFinished());
        auto loaded = LoadFinishedLog(Bytes(log));
        QVERIFY(loaded);
        // The script's own last line gives the compiler's exit status.
        QCOMPARE(QByteArray::fromStdString(*loaded),
                 QByteArray("started\ngot go\n[quillmark exit status 0]\n"));
    }
};

QTEST_GUILESS_MAIN(CompileScriptTest)
#include "test_compilescript.moc"
