//===- StartupTest.cpp - Start-up: settings, New, template, command line --===//

#include "AppTestSupport.h"

#include "settings/AppSettings.h"
#include "versioninfo/document/Tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "controls/ButtonPL.h"

using namespace qm;
using namespace qm::test;

namespace {

QString Value(TFormMain& window, const char* name) {
    if (auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(name)))
        return edit->text();
    if (auto* list = window.findChild<QComboBox*>(QString::fromLatin1(name)))
        return list->currentText();
    return QStringLiteral("<no control %1>").arg(QString::fromLatin1(name));
}

bool CompileUsable(TFormMain& window) {
    const bool button = window.findChild<QPushButton*>(QStringLiteral("cbtnCompile"))->isEnabled();
    const bool toggle =
        window.findChild<TSpeedBtnPlus*>(QStringLiteral("cbtnCompile32"))->isEnabled();
    return button && toggle;
}

QString ImageText(TFormMain& window) {
    return window.findChild<QPlainTextEdit*>(QStringLiteral("cmmImage"))->toPlainText();
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void startsAsANewDocumentWithTheSettingsDefaults() {
        Sandbox sandbox;
        sandbox.WriteSettings({{"DefaultFILEOS", "vos_nt"},
                               {"DefaultLanguageID", "0x40C"},
                               {"DefaultCodePage", "1252"}});
        auto window = sandbox.MakeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillmark - <New>"));
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));
        QVERIFY(!CompileUsable(*window));
        QCOMPARE(Value(*window, "ccbFileOS"), QStringLiteral("VOS_NT"));
        QCOMPARE(Value(*window, "ccbLanguageID"), QStringLiteral(" 40C  French"));
        QCOMPARE(Value(*window, "ccbCodePage").left(4), QStringLiteral("1252"));
        QCOMPARE(Value(*window, "cedHFileVersion"), QStringLiteral("1, 0, 0, 1"));
        QCOMPARE(Value(*window, "ccbFileType"), QStringLiteral("VFT_APP"));
        QCOMPARE(Value(*window, "ccbFileSubType"), QStringLiteral("VFT2_UNKNOWN"));
        QCOMPARE(window->TemplateFile(), sandbox.ProgramDir() + "Initial.rc");
        QCOMPARE(window->LogFile(), sandbox.ProgramDir() + "Quillmark.log");
        QVERIFY(window->BatchFile().startsWith(sandbox.ProgramDir() + "QuillmarkEX."));
        QVERIFY(!window->CompilePending());
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
    }

    // A settings value of the wrong type stops the load; the error is shown
    // and the window still comes up complete.
    void aSettingsErrorIsShownAndStartUpGoesOn() {
        Sandbox sandbox;
        sandbox.WriteSettings(
            {{"FontSize", "12"}, {"UseInitialRC", "1"}, {"DefaultFILEOS", QStringList{"a", "b"}}});
        QFile::copy(ShippedTemplatePath(), sandbox.ProgramDir() + "Initial.rc");
        auto window = sandbox.MakeWindow({sandbox.Path("proj/Project1.dpr")});

        QCOMPARE(sandbox.Prompts->Messages.size(), 1);
        const ShownMessage& box = sandbox.Prompts->Messages.first();
        QCOMPARE(box.Caption, QStringLiteral("Quillmark"));
        QCOMPARE(box.Icon, MessageIcon::Critical);
        QVERIFY2(box.Text.contains("DefaultFILEOS"), qPrintable(box.Text));

        // Rows before the bad one were read: the template was used.
        QCOMPARE(TheAppSettings().FontSize, 12);
        QCOMPARE(Value(*window, "cedFileVersion"), QStringLiteral("1.0.0.1"));
        QCOMPARE(window->TemplateFile(), sandbox.ProgramDir() + "Initial.rc");
        QCOMPARE(window->windowTitle(),
                 "Quillmark - <New> (" + sandbox.Path("proj/Project1.rc") + ")");
    }

    void newReadsTheTemplateOnlyWhenAskedAndPresent() {
        Sandbox sandbox;
        WriteBytes(sandbox.ProgramDir() + "Initial.rc", ScriptBytes("9.9"));

        sandbox.WriteSettings({{"UseInitialRC", "0"}});
        auto plain = sandbox.MakeWindow();
        QCOMPARE(Value(*plain, "cedFileVersion"), QString());
        QCOMPARE(Value(*plain, "ccbFileType"), QStringLiteral("VFT_APP"));

        sandbox.WriteSettings({{"UseInitialRC", "1"}});
        auto templated = sandbox.MakeWindow();
        QCOMPARE(Value(*templated, "cedFileVersion"), QStringLiteral("9.9"));
        QCOMPARE(Value(*templated, "ccbFileType"), QStringLiteral("VFT_DRV"));
        QCOMPARE(Value(*templated, "ccbFileSubType"), QStringLiteral("VFT2_DRV_SOUND"));
        QCOMPARE(templated->windowTitle(), QStringLiteral("Quillmark - <New>"));
        QCOMPARE(templated->FileName(), QStringLiteral("<New>"));
        QVERIFY(ImageText(*templated).isEmpty());
        QVERIFY(!CompileUsable(*templated));

        // New after an edit starts over from the template.
        Ui(*templated).StringEdits[0]->setText("edited");
        Ui(*templated).cbtnNew->click();
        QCOMPARE(Value(*templated, "cedFileVersion"), QStringLiteral("9.9"));
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
    }

    void aTemplateThatIsAFolderIsIgnored() {
        Sandbox sandbox;
        QDir().mkpath(sandbox.ProgramDir() + "Initial.rc");
        sandbox.WriteSettings({{"UseInitialRC", "1"}});
        auto window = sandbox.MakeWindow();
        QCOMPARE(Value(*window, "cedHFileVersion"), QStringLiteral("1, 0, 0, 1"));
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
    }

    void aTemplateWhoseBlockNameFailsStillGivesANewDocument() {
        Sandbox sandbox;
        WriteBytes(sandbox.ProgramDir() + "Initial.rc", ScriptBytes("7.7", "04Z904E4"));
        sandbox.WriteSettings({{"UseInitialRC", "1"}});
        auto window = sandbox.MakeWindow();

        QCOMPARE(sandbox.Prompts->Messages.size(), 1);
        QCOMPARE(sandbox.Prompts->Messages.first().Caption, QStringLiteral("Quillmark"));
        QCOMPARE(sandbox.Prompts->Messages.first().Icon, MessageIcon::Critical);
        QVERIFY(sandbox.Prompts->Messages.first().Text.contains("Z9"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillmark - <New>"));
        QVERIFY(!CompileUsable(*window));
        QVERIFY(ImageText(*window).isEmpty());
        QVERIFY(window->TargetFolder().isEmpty() && window->TargetFileName().isEmpty());
        // What was read before the failure stays.
        QCOMPARE(Value(*window, "cedHFileVersion"), QStringLiteral("2, 1, 0, 15"));
    }

    // The shipped template compiles as it stands and reads without a report.
    void theShippedTemplateReadsCleanly() {
        Sandbox sandbox;
        QVERIFY(QFile::copy(ShippedTemplatePath(), sandbox.ProgramDir() + "Initial.rc"));
        sandbox.WriteSettings({{"UseInitialRC", "1"}});
        auto window = sandbox.MakeWindow();
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
        QVERIFY(window->findChild<QPlainTextEdit*>("cmmComInc")
                    ->toPlainText()
                    .contains("#include <winver.h>"));
    }

    void aCommandLineNamingAnExistingScriptReadsIt() {
        Sandbox sandbox;
        QDir().mkpath(sandbox.Path("proj"));
        WriteBytes(sandbox.Path("proj/Project1.rc"), ScriptBytes("3.1"));
        auto window = sandbox.MakeWindow({sandbox.Path("proj/Project1.dpr")});
        QCOMPARE(window->windowTitle(), "Quillmark - " + sandbox.Path("proj/Project1.rc"));
        QCOMPARE(window->FileName(), sandbox.Path("proj/Project1.rc"));
        QCOMPARE(Value(*window, "cedFileVersion"), QStringLiteral("3.1"));
        QVERIFY(CompileUsable(*window));
        QVERIFY(ImageText(*window).startsWith("  1: // test script"));
    }

    void aCommandLineTargetThatDoesNotExistIsProposed_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("target");
        QTest::newRow("project file") << QStringList{"proj/Project1.dpr"} << "proj/Project1.rc";
        QTest::newRow("second argument names it")
            << QStringList{"proj/Project1.dpr", "MyRes.txt"} << "proj/MyRes.rc";
        QTest::newRow("empty second argument")
            << QStringList{"proj/Project1.dpr", ""} << "proj/Project1.rc";
        QTest::newRow("several dots") << QStringList{"proj/a.b.c"} << "proj/a.b.rc";
    }
    void aCommandLineTargetThatDoesNotExistIsProposed() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, target);
        Sandbox sandbox;
        arguments[0] = sandbox.Path(arguments[0]);
        auto window = sandbox.MakeWindow(arguments);
        const QString targetPath = sandbox.Path(target);
        QCOMPARE(window->windowTitle(), "Quillmark - <New> (" + targetPath + ")");
        QVERIFY(!CompileUsable(*window));
        QVERIFY(sandbox.Prompts->Messages.isEmpty());

        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs.size(), 1);
        QCOMPARE(sandbox.Prompts->Dialogs[0].InitialDir, sandbox.Path("proj/"));
        QCOMPARE(sandbox.Prompts->Dialogs[0].FileName, target.mid(5));
    }

    // Paths from the command line are made absolute at start-up: a folder
    // given relative to the current one keeps naming it after the current
    // folder changes. An existing script opens whatever its extension's case.
    void aCommandLinePathIsTakenAbsoluteAndAnExistingScriptOpensAsNamed() {
        Sandbox sandbox;
        QVERIFY(QDir().mkpath(sandbox.Path("My Projects")));
        WriteBytes(sandbox.Path("My Projects/App.RC"), ScriptBytes("7.7.7.7"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(sandbox.Path(QString()));
        auto opened = sandbox.MakeWindow({"My Projects/App.RC"});
        auto proposed = sandbox.MakeWindow({"Project1.dpr"});
        QDir::setCurrent(previous);
        QCOMPARE(opened->FileName(), sandbox.Path("My Projects/App.RC"));
        QCOMPARE(Value(*opened, "cedFileVersion"), QStringLiteral("7.7.7.7"));
        Ui(*proposed).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs[0].FileName, QStringLiteral("Project1.rc"));
        QCOMPARE(sandbox.Prompts->Dialogs[0].InitialDir, sandbox.Path(QString()));
    }

    // --help, --version and --self-check answer without a window, and
    // without a display; a plain start there says why it can't show one
    // rather than aborting.
    void commandsNeedNoDisplayAndAStartWithoutOneSaysSo() {
        const struct {
            QStringList Arguments;
            int Exit;
            const char* Output;
        } runs[] = {{{"--help"}, 0, "Usage: quillmark"},
                    {{"--version"}, 0, "Quillmark 1."},
                    {{"--self-check"}, 0, "Quillmark 1."},
                    {{}, 1, ""}};
        for (const auto& run : runs) {
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
            env.remove("QT_QPA_PLATFORM");
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(QM_BIN_DIR "/quillmark"), run.Arguments);
            QVERIFY(program.waitForFinished());
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), run.Exit);
            QVERIFY(program.readAllStandardOutput().startsWith(run.Output));
            if (run.Exit)
                QVERIFY(program.readAllStandardError().contains("there is no display"));
        }
    }

    // An entry that exists but is no readable file: "Can't open", and the
    // window does not take its name.
    void aCommandLineNamingAFolderReportsItAndStaysNew() {
        Sandbox sandbox;
        QDir().mkpath(sandbox.Path("proj/Project1.rc"));
        auto window = sandbox.MakeWindow({sandbox.Path("proj/Project1.dpr")});
        QCOMPARE(sandbox.Prompts->TextsCaptioned("Open"),
                 QStringList{"Can't open " + sandbox.Path("proj/Project1.rc")});
        QCOMPARE(sandbox.Prompts->Messages.first().Icon, MessageIcon::Information);
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));
        QCOMPARE(window->windowTitle(),
                 "Quillmark - <New> (" + sandbox.Path("proj/Project1.rc") + ")");
        QVERIFY(!CompileUsable(*window));
    }

    void aCommandLineScriptWithReportsShowsEachInOrder() {
        Sandbox sandbox;
        std::string script = ScriptBytes("1", "04090352");
        script.replace(script.find("VS_FFI_FILEFLAGSMASK"), 20, "0x1fL");
        WriteBytes(sandbox.Path("x.rc"), script);
        auto window = sandbox.MakeWindow({sandbox.Path("x.rc")});
        QCOMPARE(
            sandbox.Prompts->TextsCaptioned("Parsing"),
            (QStringList{"FILEFLAGSMASK must be VS_FFI_FILEFLAGSMASK", "Unknown CodePage 850"}));
        QCOMPARE(Value(*window, "ccbLanguageID"), QStringLiteral(" 409  U.S. English"));
        QCOMPARE(Value(*window, "ccbCodePage"), QString());
        QVERIFY(!ImageText(*window).isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
