//===- test_compilewindow.cpp - Save & Compile in the offscreen window ----===//
//
// Drives the real window: the script is saved, the shipped shell script runs
// the compiler (the real llvm-rc, or a fake one that records what it got),
// and the Compiler page fills by itself once the run is over.
//
//===----------------------------------------------------------------------===//

#include "MainControls.h"
#include "app/FileStamp.h"
#include "app/CompileRunner.h"
#include "app/Main.h"
#include "controls/ButtonPL.h"
#include "controls/Modals.h"
#include "settings/AppFiles.h"
#include "settings/AppSettings.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptWriter.h"

#include <QAbstractEventDispatcher>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

using namespace qm;
using qm::test::Ui;

namespace {

struct ShownMessage {
    QString Caption, Text;
};

class RecordingPrompts : public ModalAnswers {
public:
    QList<ShownMessage> Shown;
    QList<ShownMessage> Asked;
    bool GoOn = true;
    void ShowMessage(QWidget*, const QString& caption, const QString& text, MessageIcon) override {
        Shown.append({caption, text});
    }
    bool AskToGoOn(QWidget*, const QString& caption, const QString& text) override {
        Asked.append({caption, text});
        return GoOn;
    }
    DialogAnswer RunFileDialog(const FileDialogRun&) override { return DialogAnswer::Cancel(); }
};

/// Records what would be started and starts nothing.
class RecordingStarter : public ProcessStarter {
public:
    QList<CompileCommand> Started;
    Status Start(const CompileCommand& command, bool) override {
        Started.append(command);
        return Status::Ok();
    }
};

const QByteArray Recorder =
    "#!/bin/sh\n"
    "here=$(dirname \"$0\")\n"
    "pwd > \"$here/cwd.txt\"\n"
    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$here/argv.part\"\n"
    "mv \"$here/argv.part\" \"$here/argv.bin\"\n"
    "echo fake compiler ran\n";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Nul(const char* text) {
    return QByteArray(text) + '\0';
}

/// Makes `dir` refuse new and removed entries, as a read-only program folder
/// does (root needs the immutable flag for that), or writable again. False
/// when the folder can't be made read-only here.
bool SetFolderReadOnly(const QString& dir, bool readOnly) {
    const QByteArray name = QFile::encodeName(dir);
    ::chmod(name.constData(), readOnly ? 0555 : 0755);
    if (::geteuid() == 0) {
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = readOnly ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }
    QFile probe(dir + "/probe");
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (writable)
        probe.remove();
    return readOnly != writable;
}

} // namespace

class CompileWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Temp;
    QString ProgramDir, CompilerDir, WorkDir;
    std::shared_ptr<RecordingPrompts> Boxes;
    std::unique_ptr<TFormMain> Window;

    void MakeWindow(std::shared_ptr<ProcessStarter> starter = nullptr,
                    std::optional<AppFiles> files = std::nullopt) {
        FormMainSetup setup;
        setup.ProgramDir = ProgramDir;
        setup.Files = std::move(files);
        Modals::SetAnswers(Boxes);
        setup.Starter = std::move(starter);
        Window = std::make_unique<TFormMain>(setup);
        AppSettings& settings = TheAppSettings();
        settings.UseBatchFile = true;
        settings.CompilerPath = "/usr/bin";
        settings.CompilerCmdLine32 = "llvm-rc /V /C 65001 /I /usr/share/mingw-w64/include --";
        settings.CompilerCmdLine16 = "llvm-rc /V /C 65001 --";
        settings.UseInitialRC = false;
    }

    /// A named document that compiles: it includes the header that defines
    /// the VS_ and VOS_ names.
    void NameDocument(const QString& name) {
        Window->SetFileName(WorkDir + name);
        Ui(*Window).cmmComInc->setPlainText("#include <winver.h>");
    }

    void UseFakeCompiler(const QString& commandText) {
        TheAppSettings().CompilerPath = CompilerDir;
        TheAppSettings().CompilerCmdLine32 = commandText + " -32";
        TheAppSettings().CompilerCmdLine16 = commandText + " -16";
        Window->UpdateBatchFile(); // as after the options dialog's OK
    }

    QStringList ResultLines() const { return Ui(*Window).cmmResult->toPlainText().split('\n'); }

private slots:
    void initTestCase() {
        QVERIFY(Temp.isValid());
        SetSettingsStoreFile(Temp.path() + "/settings.ini");
    }

    void init() {
        const QString root = Temp.path() + "/" + QTest::currentTestFunction();
        ProgramDir = root + "/prog/";
        CompilerDir = root + "/rc bin";
        WorkDir = root + "/work; dir/";
        for (const QString& dir : {ProgramDir, CompilerDir, WorkDir})
            QVERIFY(QDir().mkpath(dir));
        QVERIFY(QFile::copy(QStringLiteral(QM_BIN_DIR "/") + BatchScriptName(),
                            ProgramDir + BatchScriptName()));
        QFile recorder(CompilerDir + "/fakerc");
        QVERIFY(recorder.open(QIODevice::WriteOnly));
        recorder.write(Recorder);
        recorder.close();
        recorder.setPermissions(recorder.permissions() | QFileDevice::ExeOwner);
        Boxes = std::make_shared<RecordingPrompts>();
    }

    void cleanup() {
        Window.reset();
        Modals::SetAnswers(nullptr);
        QDir::setCurrent(Temp.path());
    }

    // A new document on the shipped defaults compiles at once: it takes the
    // template's #include <winver.h>, which llvm-rc needs. A compiler that
    // fails says so in the page's last line, shown without scrolling.
    void aNewDocumentCompilesAndAFailedCompileSaysSo() {
        QVERIFY(QFile::copy(QStringLiteral(QM_BIN_DIR "/Initial.rc"), ProgramDir + "Initial.rc"));
        MakeWindow();
        TheAppSettings().CompilerCmdLine32 = "llvm-rc /C 65001 /I /usr/share/mingw-w64/include --";
        Window->NewClick();
        QVERIFY(Ui(*Window).cmmComInc->toPlainText().contains("#include <winver.h>"));
        Window->SetFileName(WorkDir + "New.rc");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 60000);
        QCOMPARE(ResultLines().last(), "The .res file holds exactly what the form holds.");

        QFile failing(CompilerDir + "/failrc");
        QVERIFY(failing.open(QIODevice::WriteOnly));
        failing.write("#!/bin/sh\nfor i in $(seq 200); do echo \"error $i\"; done\nexit 3\n");
        failing.close();
        failing.setPermissions(failing.permissions() | QFileDevice::ExeOwner);
        UseFakeCompiler("failrc");
        TheAppSettings().FontName = "DejaVu Sans Mono"; // not a first start: no options
        Window->show();
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        QCOMPARE(ResultLines().last(), "The compiler failed (exit status 3).");
        QVERIFY(!ResultLines().contains("[quillmark exit status 3]"));
        const QScrollBar* scroll = Ui(*Window).cmmResult->verticalScrollBar();
        QCOMPARE(scroll->value(), scroll->maximum());
    }

    // Where no compiler is installed the built-in one is the command; it
    // compiles a new document as it stands, without the template's includes.
    void theBuiltInCompilerCompilesANewDocument() {
        MakeWindow();
        TheAppSettings().CompilerPath = QM_BIN_DIR;
        TheAppSettings().CompilerCmdLine32 = "quillmark-rc compile --codepage 65001 --";
        Window->UpdateBatchFile();
        Window->NewClick();
        QVERIFY(Ui(*Window).cmmComInc->toPlainText().isEmpty());
        Window->SetFileName(WorkDir + "New.rc");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 60000);
        QCOMPARE(ResultLines().last(), "The .res file holds exactly what the form holds.");
    }

    void llvmRcThroughTheShippedScriptFillsTheCompilerPage() {
        MakeWindow();
        NameDocument("App.rc");
        QVERIFY(Ui(*Window).cbtnCompile->isEnabled());
        Ui(*Window).cbtnCompile->click();

        QCOMPARE(Ui(*Window).tabMain->currentIndex(), 3);
        QCOMPARE(Ui(*Window).noteMain->currentIndex(), 3);
        QVERIFY(Window->CompilePending());
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 60000);
        QVERIFY2(Boxes->Shown.isEmpty(), qPrintable(Boxes->Shown.value(0).Text));

        const QString script = WorkDir + "App.rc";
        const QString res = WorkDir + "App.res";
        QVERIFY(QFileInfo(res).isFile());
        const QStringList lines = ResultLines();
        QVERIFY2(lines.size() > 10, qPrintable(lines.join('\n')));
        // /V makes llvm-rc list what it read.
        QVERIFY(lines.contains("Identifier: VERSIONINFO"));
        QCOMPARE(lines.at(lines.size() - 5), QString());
        QCOMPARE(lines.at(lines.size() - 4),
                 FileStampText(QFile::encodeName(script).toStdString()) + " : " + script);
        QCOMPARE(lines.at(lines.size() - 3),
                 FileStampText(QFile::encodeName(res).toStdString()) + " : " + res);
        QVERIFY(!lines.at(lines.size() - 3).startsWith(NotFoundStamp));
        // The .res is read back and compared with the form.
        QCOMPARE(lines.mid(lines.size() - 2),
                 QStringList({"", "The .res file holds exactly what the form holds."}));
    }

    void versionFindingsAreShownFirstAndStoppingCompilesNothing() {
        auto starter = std::make_shared<RecordingStarter>();
        MakeWindow(starter);
        NameDocument("App.rc");
        Ui(*Window).cedHFileVersion->setText("1.2.3-beta");
        Ui(*Window).cedHProductVersion->setText("1, 0, 0, 1");
        Ui(*Window).StringEdits[Index(StringKey::ProductVersion)]->setText("9.9.9.9");
        Boxes->GoOn = false;
        Ui(*Window).cbtnCompile->click();
        QCOMPARE(Boxes->Asked.size(), 1);
        QCOMPARE(Boxes->Asked[0].Caption, QString("Check"));
        QVERIFY2(Boxes->Asked[0].Text.startsWith(
                     "A resource compiler may refuse or change these values:\n"
                     "  FILEVERSION \"1.2.3-beta\" is a dotted version; a resource compiler "
                     "needs 1, 2, 3, 0"),
                 qPrintable(Boxes->Asked[0].Text));
        // A string that disagrees with its fixed version is no compiler's
        // refusal, and its line names the field once.
        QVERIFY2(Boxes->Asked[0].Text.contains(
                     "These version strings do not match the fixed versions:\n  The string "
                     "ProductVersion"),
                 qPrintable(Boxes->Asked[0].Text));
        QVERIFY(starter->Started.isEmpty());
        QVERIFY(!QFile::exists(WorkDir + "App.rc"));
        QVERIFY(!Window->CompilePending());

        Boxes->GoOn = true;
        Ui(*Window).cbtnCompile->click();
        QCOMPARE(Boxes->Asked.size(), 2);
        QCOMPARE(starter->Started.size(), 1);
        QVERIFY(QFile::exists(WorkDir + "App.rc"));
    }

    void theCompilerPageNamesEachDifferenceOfTheResFromTheForm() {
        // A .res compiled from another document stands in for what a
        // compiler made; the fake compiler copies it beside the script.
        const QString other = CompilerDir + "/other.rc";
        VersionRecord record = NewDocument({});
        record.ComIncLines = {"#include <winver.h>"};
        record.HFileVersion = "1, 0, 0, 2";
        record.StringValues[4] = "Acme";
        QVERIFY(qm::WriteScript(record, QFile::encodeName(other).toStdString()));
        QProcess llvmRc;
        llvmRc.start("llvm-rc", {"/C", "65001", "/I", "/usr/share/mingw-w64/include", "/FO",
                                 CompilerDir + "/prepared.res", other});
        QVERIFY(llvmRc.waitForFinished(30000));
        QCOMPARE(llvmRc.exitCode(), 0);
        QFile copier(CompilerDir + "/copyres");
        QVERIFY(copier.open(QIODevice::WriteOnly));
        copier.write("#!/bin/sh\nfor a; do last=$a; done\n"
                     "cp \"$(dirname \"$0\")/$1\" \"${last%.rc}.res\"\n");
        copier.close();
        copier.setPermissions(copier.permissions() | QFileDevice::ExeOwner);

        MakeWindow();
        UseFakeCompiler("copyres prepared.res");
        NameDocument("App.rc");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        QStringList lines = ResultLines();
        QCOMPARE(lines.mid(lines.size() - 3),
                 QStringList({"The .res file differs from the form:",
                              "  FILEVERSION: FILEVERSION is 1, 0, 0, 1 in the script but "
                              "1, 0, 0, 2 in the compiled resource",
                              "  CompanyName: The string CompanyName is compiled as \"Acme\" but "
                              "the script leaves it out"}));

        // A partial .res, as a failing compiler can leave it.
        QFile prepared(CompilerDir + "/prepared.res");
        QVERIFY(prepared.resize(40));
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        lines = ResultLines();
        QVERIFY2(lines.last().startsWith("The .res file can't be read: "),
                 qPrintable(lines.join('\n')));

        // A compiler that writes nothing leaves the earlier .res behind.
        QFile stale(WorkDir + "App.res");
        QVERIFY(stale.open(QIODevice::ReadWrite));
        QVERIFY(stale.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                  QFileDevice::FileModificationTime));
        stale.close();
        UseFakeCompiler("fakerc -v");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        QCOMPARE(ResultLines().last(),
                 QString("The .res file is older than the script: this run did not write it."));
    }

    void aFakeCompilerGetsTheHostileNameWholeAndBothToggleStatesWork() {
        MakeWindow();
        UseFakeCompiler("fakerc -v");
        const QString name = "my script; rm -rf ~ & $(touch x).rc";
        NameDocument(name);
        const QString startFolder = QDir::currentPath();

        for (bool down : {true, false}) {
            QFile::remove(CompilerDir + "/argv.bin");
            Ui(*Window).cbtnCompile32->SetDown(down);
            Ui(*Window).cbtnCompile->click();
            QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
            QCOMPARE(ReadFile(CompilerDir + "/argv.bin"),
                     Nul("-v") + Nul(down ? "-32" : "-16") + QFile::encodeName(name) + '\0');
        }
        QCOMPARE(ReadFile(CompilerDir + "/cwd.txt").trimmed(),
                 QFile::encodeName(WorkDir.chopped(1)));
        // The compiler ran in the script's folder; the program is back in its own.
        QCOMPARE(QDir::currentPath(), startFolder);
        const QStringList lines = ResultLines();
        QCOMPARE(lines.first(), "fake compiler ran");
        const QString res = WorkDir + "my script; rm -rf ~ & $(touch x).res";
        QCOMPARE(lines.last(), QString(NotFoundStamp) + " : " + res);
        QVERIFY(!QFile::exists(WorkDir + "x"));
    }

    // A log folder that can't be made is said at start-up (and so fails
    // --self-check), not found out at the first compile.
    void aLogFolderThatCantBeMadeIsReported() {
        const QString root = Temp.path() + "/" + QTest::currentTestFunction();
        QVERIFY(QDir().mkpath(root));
        QFile blocker(root + "/state");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AppFiles files = AppFilesIn(ProgramDir.toStdString());
        files.LogPath = (root + "/state/quillmark/" + LogFileName).toStdString();
        MakeWindow(nullptr, files);
        QCOMPARE(Boxes->Shown.size(), 1);
        QVERIFY2(
            Boxes->Shown[0].Text.contains("Can't create the folder " + root + "/state/quillmark"),
            qPrintable(Boxes->Shown[0].Text));
    }

    void anInstalledCopysLogGoesToTheUsersLogFolder() {
        // The batch script in the user's data folder, the log in a state
        // folder that does not exist yet: start-up makes it, and the script
        // is told to write there rather than beside the program.
        const QString root = Temp.path() + "/" + QTest::currentTestFunction();
        AppFiles files = AppFilesIn((root + "/data/").toStdString());
        files.LogPath = (root + "/state/quillmark/" + LogFileName).toStdString();
        QVERIFY(QDir().mkpath(root + "/data"));
        QVERIFY(
            QFile::copy(ProgramDir + BatchScriptName(), QString::fromStdString(files.BatchPath)));
        MakeWindow(nullptr, files);
        QVERIFY(QFileInfo(root + "/state/quillmark").isDir());
        UseFakeCompiler("fakerc -v");
        NameDocument("App.rc");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        QCOMPARE(ResultLines().first(), "fake compiler ran");
        QVERIFY(QFileInfo(QString::fromStdString(files.LogPath)).isFile());
        QVERIFY(!QFile::exists(ProgramDir + LogFileName));
    }

    void directModeStartsTheCompilerAndLeavesThePageEmpty() {
        MakeWindow();
        UseFakeCompiler("fakerc -v");
        TheAppSettings().UseBatchFile = false;
        NameDocument("Direct App.rc");
        Ui(*Window).cmmResult->setPlainText("old output");
        Ui(*Window).cbtnCompile->click();

        QVERIFY(!Window->CompilePending());
        QTRY_VERIFY(QFile::exists(CompilerDir + "/argv.bin"));
        QCOMPARE(ReadFile(CompilerDir + "/argv.bin"),
                 Nul("-v") + Nul("-32") + QFile::encodeName(WorkDir + "Direct App.rc") + '\0');
        QCOMPARE(Ui(*Window).noteMain->currentIndex(), 3);
        QCOMPARE(Ui(*Window).cmmResult->toPlainText(), QString());
        QVERIFY(!QFile::exists(ProgramDir + LogFileName));
        QVERIFY(Boxes->Shown.isEmpty());
    }

    void aCommandThatCantStartIsReportedAndNothingIsPending() {
        MakeWindow();
        TheAppSettings().UseBatchFile = false;
        TheAppSettings().CompilerPath = WorkDir + "no such folder";
        NameDocument("App.rc");
        Ui(*Window).cbtnCompile->click();
        QVERIFY(!Window->CompilePending());
        QCOMPARE(Boxes->Shown.size(), 1);
        QVERIFY2(Boxes->Shown[0].Text.contains(WorkDir + "no such folder/llvm-rc /V"),
                 qPrintable(Boxes->Shown[0].Text));

        // Batch mode without the batch file.
        TheAppSettings().UseBatchFile = true;
        QVERIFY(QFile::remove(ProgramDir + BatchScriptName()));
        Ui(*Window).cbtnCompile->click();
        QVERIFY(!Window->CompilePending());
        QCOMPARE(Boxes->Shown.size(), 2);
        QVERIFY2(Boxes->Shown[1].Text.contains(ProgramDir + BatchScriptName()),
                 qPrintable(Boxes->Shown[1].Text));
    }

    void aHeldLogIsShownOnlyOnceReleasedWithoutIdleEvents() {
        auto starter = std::make_shared<RecordingStarter>();
        MakeWindow(starter);
        NameDocument("App.rc");
        // Only the runner's own wake-up may pick the log up: the loop's idle
        // signal, which in a real run waits for the next user input, is cut.
        QObject::disconnect(QAbstractEventDispatcher::instance(), nullptr, Window.get(), nullptr);
        Ui(*Window).cbtnCompile->click();
        QCOMPARE(starter->Started.size(), 1);
        QVERIFY(Window->CompilePending());

        const QByteArray log = QFile::encodeName(ProgramDir + LogFileName);
        int run = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(run >= 0);
        QCOMPARE(::flock(run, LOCK_EX), 0);
        QCOMPARE(::write(run, "still compiling\n", 16), 16);
        // Let the runner's check go by a few times while the log is held.
        auto* pendingCheck = Window->findChild<QTimer*>("PendingCheck");
        QVERIFY(pendingCheck && pendingCheck->isActive());
        QSignalSpy checks(pendingCheck, &QTimer::timeout);
        QTRY_VERIFY(checks.count() >= 3);
        QVERIFY(Window->CompilePending());
        QCOMPARE(Ui(*Window).cmmResult->toPlainText(), QString());

        QCOMPARE(::write(run, "done\n", 5), 5);
        ::close(run);
        QTRY_VERIFY(!Window->CompilePending());
        QCOMPARE(ResultLines().mid(0, 3), QStringList({"still compiling", "done", ""}));
    }

    // A second Save & Compile while the first is pending would start a
    // second compiler on the same files: it is refused, saving nothing.
    void aSecondCompileWhilePendingIsRefused() {
        auto starter = std::make_shared<RecordingStarter>();
        MakeWindow(starter);
        NameDocument("App.rc");
        Ui(*Window).cbtnCompile->click();
        QVERIFY(Window->CompilePending());
        const QByteArray saved = ReadFile(WorkDir + "App.rc");
        Ui(*Window).cedHFileVersion->setText("9, 9, 9, 9");
        Ui(*Window).cbtnCompile->click();
        QCOMPARE(starter->Started.size(), 1);
        QCOMPARE(Boxes->Shown.size(), 1);
        QVERIFY2(Boxes->Shown[0].Text.contains("still running"), qPrintable(Boxes->Shown[0].Text));
        QCOMPARE(ReadFile(WorkDir + "App.rc"), saved);
    }

    // In a read-only program folder the old log can't be removed and a new
    // one can't be made: neither may pass for this run's log, and the window
    // must not wait for ever.
    void aReadOnlyProgramFolderIsReportedNotShownAsAnOldLog() {
        MakeWindow();
        UseFakeCompiler("fakerc -v");
        NameDocument("App.rc");
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        const QString log = ProgramDir + LogFileName;
        QVERIFY(QFile::exists(log));

        struct Writable {
            QString Dir;
            ~Writable() { SetFolderReadOnly(Dir, false); }
        } restore{ProgramDir};
        if (!SetFolderReadOnly(ProgramDir, true))
            QSKIP("no way to make a folder read-only here");
        Ui(*Window).cbtnCompile->click();
        QVERIFY(!Window->CompilePending());
        QCOMPARE(Boxes->Shown.size(), 1);
        QVERIFY2(Boxes->Shown[0].Text.contains(log), qPrintable(Boxes->Shown[0].Text));
        QCOMPARE(Ui(*Window).cmmResult->toPlainText(), QString());

        QVERIFY(SetFolderReadOnly(ProgramDir, false));
        QVERIFY(QFile::remove(log));
        QVERIFY(SetFolderReadOnly(ProgramDir, true));
        Ui(*Window).cbtnCompile->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Window->CompilePending(), 30000);
        QCOMPARE(Boxes->Shown.size(), 2);
        QVERIFY2(Boxes->Shown[1].Text.contains("ended without writing its log " + log),
                 qPrintable(Boxes->Shown[1].Text));
        QCOMPARE(Ui(*Window).cmmResult->toPlainText(), QString());
    }
};

QTEST_MAIN(CompileWindowTest)
#include "test_compilewindow.moc"
