//===- DocumentsTest.cpp - Open, Save As and the bytes they keep ----------===//

#include "AppTestSupport.h"

#include "versioninfo/script/ScriptReader.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

using namespace qm;
using namespace qm::test;

namespace {

QString ImageText(TFormMain& window) {
    return Ui(window).cmmImage->toPlainText();
}

/// Everything a cancelled or failed command must leave as it was.
struct WindowSnapshot {
    explicit WindowSnapshot(TFormMain& window)
        : Caption(window.windowTitle()), CurrentFile(window.FileName()),
          TargetDir(window.TargetFolder()), TargetName(window.TargetFileName()),
          FileVersion(Ui(window).StringEdits[0]->text()), Image(ImageText(window)),
          Compile(Ui(window).cbtnCompile->isEnabled()) {}
    bool operator==(const WindowSnapshot& other) const {
        return Caption == other.Caption && CurrentFile == other.CurrentFile &&
               TargetDir == other.TargetDir && TargetName == other.TargetName &&
               FileVersion == other.FileVersion && Image == other.Image && Compile == other.Compile;
    }
    QString Caption, CurrentFile, TargetDir, TargetName, FileVersion, Image;
    bool Compile;
};

} // namespace

class DocumentsTest : public QObject {
    Q_OBJECT

private slots:
    void openReadsTheChosenFileUnderItsName() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("a.rc"));
        Ui(*window).cbtnOpen->click();

        const DialogSeen& run = sandbox.Prompts->Dialogs.first();
        QCOMPARE(run.ObjectName, QStringLiteral("dlgOpen"));
        QCOMPARE(run.FileName, QStringLiteral("*.rc"));
        QVERIFY(!run.ReadOnlyChecked);
        QCOMPARE(window->windowTitle(), "Quillmark - " + sandbox.Path("a.rc"));
        QCOMPARE(Ui(*window).StringEdits[0]->text(), QStringLiteral("5.0"));
        QVERIFY(Ui(*window).cbtnCompile->isEnabled());
        QVERIFY(ImageText(*window).contains(" 34: END"));
    }

    void aFailedOpenKeepsTheWindowAsItWas() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        const WindowSnapshot before(*window);

        sandbox.Prompts->Choose(sandbox.Path("missing.rc"));
        Ui(*window).cbtnOpen->click();
        QCOMPARE(sandbox.Prompts->TextsCaptioned("Open"),
                 QStringList{"Can't open " + sandbox.Path("missing.rc")});
        QVERIFY(WindowSnapshot(*window) == before);
    }

    void cancellingEitherDialogChangesNothing() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        Ui(*window).StringEdits[0]->setText("edited");
        const WindowSnapshot before(*window);
        const std::string fileBefore = ReadBytes(sandbox.Path("a.rc"));

        sandbox.Prompts->Cancel();
        Ui(*window).cbtnOpen->click();
        sandbox.Prompts->Cancel();
        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs.size(), 2);
        QVERIFY(WindowSnapshot(*window) == before);
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), fileBefore);
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
    }

    // Read-only: the file is a template for a new document that proposes
    // the file itself as its target.
    void aReadOnlyOpenMakesANewDocumentTargetingTheFile() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("a.rc"), true);
        Ui(*window).cbtnOpen->click();

        QCOMPARE(Ui(*window).StringEdits[0]->text(), QStringLiteral("5.0"));
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));
        QCOMPARE(window->windowTitle(), "Quillmark - <New> (" + sandbox.Path("a.rc") + ")");
        QVERIFY(!Ui(*window).cbtnCompile->isEnabled());

        Ui(*window).cbtnSaveAs->click();
        const DialogSeen& save = sandbox.Prompts->Dialogs.last();
        QCOMPARE(save.ObjectName, QStringLiteral("dlgSave"));
        QCOMPARE(save.InitialDir, sandbox.Path(QString()));
        QCOMPARE(save.FileName, QStringLiteral("a.rc"));
    }

    void aReadOnlyOpenThatFailsToConvertStaysNew() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("bad.rc"), ScriptBytes("5.0", "04Z904E4"));
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("bad.rc"), true);
        Ui(*window).cbtnOpen->click();

        QCOMPARE(sandbox.Prompts->TextsCaptioned("Quillmark").size(), 1);
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));
        QVERIFY(!Ui(*window).cbtnCompile->isEnabled());
        QVERIFY(ImageText(*window).isEmpty());
    }

    void saveAsStartsFromTheDocumentsOwnName() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs[0].FileName, QStringLiteral("*.rc"));
        QCOMPARE(sandbox.Prompts->Dialogs[0].InitialDir, QString());

        WriteBytes(sandbox.Path("a.rc"), ScriptBytes());
        sandbox.Prompts->Choose(sandbox.Path("a.rc"));
        Ui(*window).cbtnOpen->click();
        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs[2].FileName, sandbox.Path("a.rc"));
        QCOMPARE(sandbox.Prompts->Dialogs[2].InitialDir, sandbox.Path(QString()));
    }

    void openEditSaveAsAndReadBack() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("a.rc"));
        Ui(*window).cbtnOpen->click();

        Ui(*window).StringEdits[0]->setText("6.0");
        Ui(*window).cckFFPatched->setChecked(true);
        Ui(*window).ccbFileOS->setCurrentText("VOS_NT_WINDOWS32");
        Ui(*window).cmmComInc->setPlainText("// edited\n#include <winver.h>\n");
        sandbox.Prompts->Choose(sandbox.Path("b.rc"));
        Ui(*window).cbtnSaveAs->click();

        QCOMPARE(window->windowTitle(), "Quillmark - " + sandbox.Path("b.rc"));
        QVERIFY(Ui(*window).cbtnCompile->isEnabled());
        QVERIFY(ImageText(*window).startsWith("  1: // edited\n  2: #include <winver.h>\n"));
        QVERIFY(sandbox.Prompts->Messages.isEmpty());

        const ReadResult back = ReadScriptText(ReadBytes(sandbox.Path("b.rc")), {});
        QVERIFY(back.Reports.empty());
        QCOMPARE(back.Record.StringValues[0], std::string("6.0"));
        QVERIFY(back.Record.FFDebug && back.Record.FFPatched);
        QCOMPARE(back.Record.FileOS, std::string("VOS_NT_WINDOWS32"));
        QCOMPARE(back.Record.FileSubType, std::string("VFT2_DRV_SOUND"));
        QCOMPARE(back.Record.ComIncLines, (Lines{"// edited", "#include <winver.h>"}));
        // The file opened first is left alone.
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), ScriptBytes("5.0"));
    }

    // Opening and saving without an edit gives the file back byte for byte,
    // whether its text is UTF-8 or not.
    void openAndSaveKeepEveryByte_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("comment");
        QTest::newRow("utf-8") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC")
                               << QByteArray("\xEF\xBB\xBF// \xC3\xA9");
        QTest::newRow("latin-1") << QByteArray("caf\xE9\xA0\xFF") << QByteArray("// \xE9\t\xA0");
    }
    void openAndSaveKeepEveryByte() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, comment);
        Sandbox sandbox;
        // Empty lines, lines of blanks and a tab among the comment lines too.
        const std::string original = comment.toStdString() + "\r\n\r\n   \r\n\t\r\n" +
                                     ScriptBytes(value.toStdString()).substr(16);
        WriteBytes(sandbox.Path("a.rc"), original);
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("a.rc"));
        Ui(*window).cbtnOpen->click();
        sandbox.Prompts->Choose(sandbox.Path("b.rc"));
        Ui(*window).cbtnSaveAs->click();
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
        QCOMPARE(ReadBytes(sandbox.Path("b.rc")), original);
    }

    // A character Latin-1 cannot hold is not lost: the document is saved
    // as UTF-8 instead, all of it.
    void aLatin1DocumentTakesUtf8WhenItMust() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("caf\xE9"));
        auto window = sandbox.MakeWindow();
        sandbox.Prompts->Choose(sandbox.Path("a.rc"));
        Ui(*window).cbtnOpen->click();
        QCOMPARE(window->DocumentEncoding(), TextEncoding::Latin1);
        Ui(*window).StringEdits[1]->setText(QStringLiteral("\u20AC driver"));
        sandbox.Prompts->Choose(sandbox.Path("b.rc"));
        Ui(*window).cbtnSaveAs->click();

        const std::string saved = ReadBytes(sandbox.Path("b.rc"));
        QVERIFY(saved.find("\"caf\xC3\xA9\\0\"") != std::string::npos);
        QVERIFY(saved.find("\"\xE2\x82\xAC driver\\0\"") != std::string::npos);
    }

    // Without a code page row the script cannot be formed: the error box,
    // and neither the file nor the listing changes. The name is taken all
    // the same.
    void aSaveThatCannotFormTheScriptWritesNothing() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        Ui(*window).ccbCodePage->setCurrentIndex(-1);
        sandbox.Prompts->Choose(sandbox.Path("b.rc"));
        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->TextsCaptioned("Quillmark").size(), 1);
        QCOMPARE(sandbox.Prompts->Messages.first().Icon, MessageIcon::Critical);
        QVERIFY(!QFile::exists(sandbox.Path("b.rc")));
        QVERIFY(ImageText(*window).isEmpty());
        QCOMPARE(window->windowTitle(), "Quillmark - " + sandbox.Path("b.rc") + " *"); // unsaved
        QVERIFY(Ui(*window).cbtnCompile->isEnabled());
    }

    // A script that holds more than the form (other resources, a block
    // inside #if) is saved in place: only the edited value changes, with no
    // question. Where the edit in place is refused (a version computed from
    // a macro, changed in the form), the box says why and what the layout
    // would lose, and that it would not compile; No leaves the file.
    void aScriptWithMoreThanTheFormIsSavedInPlace() {
        Sandbox sandbox;
        const std::string body = ScriptBytes("5.0");
        const std::string script = "#include \"winres.h\"\r\n#if !defined(AFX_RESOURCE_DLL)\r\n" +
                                   body.substr(body.find("VS_VERSION_INFO")) +
                                   "STRINGTABLE\r\nBEGIN\r\n  1 \"kept\"\r\nEND\r\n#endif\r\n";
        WriteBytes(sandbox.Path("a.rc"), script);
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        Ui(*window).StringEdits[0]->setText("6.0");
        window->SaveClick();
        QVERIFY(sandbox.Prompts->TextsCaptioned("Save").isEmpty());
        std::string expected = script;
        expected.replace(expected.find("\"5.0\\0\""), 7, "\"6.0\\0\"");
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), expected);

        std::string macro = script;
        macro.replace(macro.find("2, 1, 0, 15"), 11, "MAJOR + 0, 1, 0, 15");
        macro.insert(0, "#define MAJOR 2\r\n");
        WriteBytes(sandbox.Path("m.rc"), macro);
        window = sandbox.MakeWindow({sandbox.Path("m.rc")});
        Ui(*window).cedHFileVersion->setText("3, 0, 0, 0");
        sandbox.Prompts->Replies = {false};
        window->SaveClick();
        const QStringList asked = sandbox.Prompts->TextsCaptioned("Save");
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains("can't be saved in place") && asked[0].contains("computed") &&
                     asked[0].contains("STRINGTABLE") && asked[0].contains("would not compile"),
                 qPrintable(asked[0]));
        QCOMPARE(ReadBytes(sandbox.Path("m.rc")), macro);
    }

    // Save asks about what a compiler refuses: a dotted version is offered
    // in its comma form, which Yes writes. A value no row names is written
    // back as it was; a neutral block opens with its language selected.
    void saveChecksVersionsAndKeepsWhatNoRowNames() {
        Sandbox sandbox;
        std::string script = ScriptBytes("2.3.0.7", "000004E4");
        script.replace(script.find("VFT2_DRV_SOUND"), 14, "77");
        script.replace(script.find("VOS__WINDOWS32"), 14, "0x12345");
        WriteBytes(sandbox.Path("a.rc"), script);
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        QCOMPARE(Ui(*window).ccbLanguageID->currentText(),
                 QStringLiteral("   0  Language Neutral"));
        QCOMPARE(sandbox.Prompts->TextsCaptioned("Parsing").size(), 2); // kept as written
        Ui(*window).cedHFileVersion->setText("2.3.0.7");
        sandbox.Prompts->Replies = {false};
        window->SaveClick();
        const QStringList checked = sandbox.Prompts->TextsCaptioned("Check");
        QCOMPARE(checked.size(), 1);
        QVERIFY2(checked[0].contains("FILEVERSION 2, 3, 0, 7"), qPrintable(checked[0]));
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), script);

        window->SaveClick(); // Yes this time
        QCOMPARE(Ui(*window).cedHFileVersion->text(), QStringLiteral("2, 3, 0, 7"));
        std::string expected = script;
        expected.replace(expected.find("2, 1, 0, 15"), 11, "2, 3, 0, 7");
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), expected);
    }

    // A script changed on disk by another program since it was opened is
    // not saved over: that change would be lost.
    void aScriptChangedByAnotherProgramIsNotSavedOver() {
        Sandbox sandbox;
        const std::string script =
            ScriptBytes("5.0") + "STRINGTABLE\r\nBEGIN\r\n 1 \"x\"\r\nEND\r\n";
        WriteBytes(sandbox.Path("a.rc"), script);
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        Ui(*window).StringEdits[0]->setText("6.0");
        WriteBytes(sandbox.Path("a.rc"), script + "// theirs\r\n");
        window->SaveClick();
        QVERIFY(sandbox.Prompts->TextsCaptioned("Quillmark")
                    .join(' ')
                    .contains("changed by another program"));
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), script + "// theirs\r\n");
    }

    // Edits not yet saved: marked in the caption, and asked about before
    // the document is set aside; an unchanged one goes without a word.
    void unsavedEditsAreMarkedAndAskedAbout() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        const QString caption = "Quillmark - " + sandbox.Path("a.rc");
        QCOMPARE(window->windowTitle(), caption);
        Ui(*window).StringEdits[0]->setText("5.1");
        QCOMPARE(window->windowTitle(), caption + " *");
        Ui(*window).StringEdits[0]->setText("5.0"); // back as it was: no change
        QCOMPARE(window->windowTitle(), caption);

        const bool debug = Ui(*window).cckFFDebug->isChecked();
        Ui(*window).cckFFDebug->click();
        sandbox.Prompts->SaveChoices = {SaveChoice::Cancel, SaveChoice::Save};
        Ui(*window).cbtnNew->click(); // Cancel: nothing happens
        QCOMPARE(window->FileName(), sandbox.Path("a.rc"));
        QCOMPARE(Ui(*window).cckFFDebug->isChecked(), !debug);
        Ui(*window).cbtnNew->click(); // Save: written, then a new document
        QCOMPARE(sandbox.Prompts->SaveQuestions,
                 QStringList(2, QStringLiteral("Save changes to a.rc?")));
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")).find("VS_FF_DEBUG") != std::string::npos, !debug);
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));

        Ui(*window).cbtnNew->click(); // unchanged: no question
        QCOMPARE(sandbox.Prompts->SaveQuestions.size(), 2);
        window->show();
        Ui(*window).cedHFileVersion->setText("9, 9, 9, 9");
        sandbox.Prompts->SaveChoices = {SaveChoice::Cancel};
        Ui(*window).cbtnExit->click();
        QVERIFY(window->isVisible());
        window->close(); // Discard
        QVERIFY(!window->isVisible());
    }

    // A dropped script opens; a dropped .res becomes a new document holding
    // its version resource, proposing the .res's name as a script.
    void droppedFilesOpenOrImport() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow();
        const auto drop = [&](const QString& file) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(window.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                               Qt::NoModifier);
            QApplication::sendEvent(window.get(), &dropped);
        };
        drop(sandbox.Path("a.rc"));
        QCOMPARE(window->FileName(), sandbox.Path("a.rc"));
        QCOMPARE(Ui(*window).StringEdits[0]->text(), QStringLiteral("5.0"));

        drop(QStringLiteral(QM_FUZZ_CORPUS_DIR "/compiled/example2.res"));
        QCOMPARE(window->FileName(), QStringLiteral("<New>"));
        QCOMPARE(Ui(*window).cedHFileVersion->text(), QStringLiteral("2, 1, 0, 15"));
        QVERIFY(window->windowTitle().contains("example2.rc"));
        QVERIFY(window->windowTitle().endsWith(" *")); // not saved yet
    }

    void exitClosesWithoutWritingAnything() {
        Sandbox sandbox;
        WriteBytes(sandbox.Path("a.rc"), ScriptBytes("5.0"));
        auto window = sandbox.MakeWindow({sandbox.Path("a.rc")});
        window->show();
        Ui(*window).StringEdits[0]->setText("edited");
        Ui(*window).cbtnExit->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(ReadBytes(sandbox.Path("a.rc")), ScriptBytes("5.0"));
        QVERIFY(sandbox.Prompts->Messages.isEmpty());
    }
};

QTEST_MAIN(DocumentsTest)
#include "DocumentsTest.moc"
