//===- OptionsDialogTest.cpp - The options dialog, offscreen --------------===//
//
// Every test gets a store of its own in a temporary folder and starts from
// the default settings. Error boxes are recorded instead of shown.
//
//===----------------------------------------------------------------------===//
#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"
#include "settings/Options.h"
#include "settings/OptionsUpDown.h"
#include "tests/controls/ScriptedModals.h"

#include "controls/DlgsPlus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace qm;

namespace {

const QString DefaultCompilerPath = QStringLiteral("C:\\Program Files\\Borland\\Delphi 2.0\\Bin");

int IndexOfText(const QComboBox* list, const QString& text) {
    return list->findText(text, Qt::MatchExactly);
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    std::unique_ptr<TFormOpt> Form;
    std::shared_ptr<test::ScriptedModals> Answers;

    QString StorePath() const { return Dir.filePath(QStringLiteral("Quillmark.conf")); }

    /// What the store holds for `name`, or nothing when it was never written.
    QVariant Stored(const QString& name) const {
        QSettings ini(StorePath(), QSettings::IniFormat);
        return ini.value(QStringLiteral("Settings/") + name);
    }
    QStringList StoredNames() const {
        QSettings ini(StorePath(), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Settings"));
        return ini.childKeys();
    }

    /// Shows the dialog as the main window would, without a modal loop.
    /// Changes one of the settings the dialog is given.
    template <typename T, typename V> void GiveSetting(T AppSettings::*field, V value) {
        AppSettings given = Form->Settings();
        given.*field = value;
        Form->SetSettings(given);
    }
    void ShowForm() {
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    /// A font family of the screen other than the one shown, or "" if none.
    QString SomeOtherFont() const {
        for (int i = 0; i < Form->ccbFontName->count(); ++i)
            if (i != Form->ccbFontName->currentIndex())
                return Form->ccbFontName->itemText(i);
        return QString();
    }

private slots:
    void init() {
        QVERIFY(Dir.isValid());
        QFile::remove(StorePath());
        SetSettingsStoreFile(StorePath());
        SetCompilerProbe([] { return CompilerProbe{}; }); // the table's defaults
        TheAppSettings() = AppSettings();
        QVERIFY(LoadSettings().ok());
        Answers = std::make_shared<test::ScriptedModals>();
        Modals::SetAnswers(Answers);
        Form = std::make_unique<TFormOpt>();
        Form->SetSettings(TheAppSettings());
    }

    void cleanup() {
        Form.reset();
        Modals::SetAnswers(nullptr);
        SetSettingsStoreFile(QString());
    }

    void layoutFollowsTheDesign() {
        QCOMPARE(Form->objectName(), QStringLiteral("FormOpt"));
        QCOMPARE(Form->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(Form->size(), QSize(464, 324));
        QCOMPARE(Form->minimumSize(), Form->maximumSize());

        struct Placed {
            QWidget* Control;
            const char* Name;
            int Left, Top, Width;
        };
        const Placed placed[] = {
            {Form->ccbFontName, "ccbFontName", 8, 24, 373},
            {Form->cedFontSize, "cedFontSize", 400, 24, 33},
            {Form->cudFontSize, "cudFontSize", 433, 24, 12},
            {Form->cckUseIni, "cckUseIni", 352, 67, 97},
            {Form->ccbFileOS, "ccbFileOS", 8, 72, 175},
            {Form->ccbLanguageID, "ccbLanguageID", 8, 120, 448},
            {Form->ccbCodePage, "ccbCodePage", 8, 168, 448},
            {Form->cckMinWin, "cckMinWin", 216, 199, 121},
            {Form->cckUseBat, "cckUseBat", 352, 199, 105},
            {Form->cedCompilerPath, "cedCompilerPath", 40, 216, 373},
            {Form->cedCompiler32, "cedCompiler32", 40, 236, 189},
            {Form->cedCompiler16, "cedCompiler16", 268, 236, 189},
            {Form->cbtnOK, "cbtnOK", 296, 286, 75},
            {Form->cbtnCancel, "cbtnCancel", 380, 286, 75},
            {Form->cbtnFind, "cbtnFind", 416, 216, 41},
        };
        QList<QWidget*> expectedOrder;
        for (const Placed& p : placed) {
            QCOMPARE(p.Control->objectName(), QLatin1String(p.Name));
            QCOMPARE(p.Control->geometry().topLeft(), QPoint(p.Left, p.Top));
            QCOMPARE(p.Control->width(), p.Width);
            if (p.Control != Form->cbtnFind)
                expectedOrder << p.Control;
        }
        QCOMPARE(Form->cudFontSize->height(), Form->cedFontSize->height());

        // Tab order: the controls' relative order in the focus chain.
        QList<QWidget*> chain;
        QWidget* w = Form->ccbFontName;
        do {
            if (expectedOrder.contains(w) && !chain.contains(w))
                chain << w;
            w = w->nextInFocusChain();
        } while (w != Form->ccbFontName);
        QCOMPARE(chain, expectedOrder);
        QCOMPARE(Form->cbtnFind->focusPolicy(), Qt::NoFocus);
        QVERIFY(Form->cbtnFind->autoRaise());
        QCOMPARE(Form->cbtnFind->text(), QStringLiteral("Find..."));
        QVERIFY(Form->cbtnOK->isDefault());

        QStringList labels;
        for (const QLabel* label : Form->findChildren<QLabel*>())
            labels << label->text();
        for (const char* text : {"Font Name  (Fixed-Pitch recommended)", "Font Size",
                                 "Default FILEOS", "Default LanguageID", "Default CodePage",
                                 "Compiler Path & Command-line", "Path", "32", "16", "Quillmark"})
            QVERIFY2(labels.contains(QLatin1String(text)), text);
        QVERIFY(Form->findChild<QLabel*>(QStringLiteral("labVersion"))
                    ->text()
                    .startsWith(QStringLiteral("Version ")));
        QVERIFY(!Form->findChild<QLabel*>(QStringLiteral("imgIcon"))->pixmap().isNull());

        QCOMPARE(Form->ccbFileOS->count(), 14);
        QCOMPARE(Form->ccbLanguageID->count(), 46);
        QCOMPARE(Form->ccbCodePage->count(), 12);
        // The screen fonts, sorted by name and each listed once.
        QVERIFY(Form->ccbFontName->count() > 0);
        for (int i = 1; i < Form->ccbFontName->count(); ++i)
            QVERIFY(Form->ccbFontName->itemText(i - 1).compare(Form->ccbFontName->itemText(i),
                                                               Qt::CaseInsensitive) <= 0 &&
                    Form->ccbFontName->itemText(i - 1) != Form->ccbFontName->itemText(i));
    }

    void defaultSettingsAreShown() {
        ShowForm();
        const int fixedSys =
            Form->ccbFontName->findText(QStringLiteral("FixedSys"), Qt::MatchFixedString);
        QCOMPARE(Form->ccbFontName->currentIndex(), fixedSys); // -1 where there is none
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("9"));
        QCOMPARE(Form->ccbFileOS->currentText(), QStringLiteral("VOS_DOS_WINDOWS32"));
        QCOMPARE(Form->ccbLanguageID->currentText(), QStringLiteral(" 411  Japanese"));
        QCOMPARE(Form->ccbCodePage->currentText(), QStringLiteral("1200  Unicode"));
        QVERIFY(Form->cckUseBat->isChecked());
        QVERIFY(!Form->cckMinWin->isChecked());
        QVERIFY(!Form->cckUseIni->isChecked());
        QCOMPARE(Form->cedCompilerPath->text(), DefaultCompilerPath);
        QCOMPARE(Form->cedCompiler32->text(), QStringLiteral("Brcc32 -v -32"));
        QCOMPARE(Form->cedCompiler16->text(), QStringLiteral("Brcc32 -v -16"));
        QCOMPARE(Form->focusWidget(), Form->ccbFontName);
        QVERIFY(Answers->Messages.isEmpty());
    }

    void okStoresEveryEntryAndTakesItIntoTheSettings() {
        ShowForm();
        const QString font = SomeOtherFont();
        QVERIFY(!font.isEmpty());
        Form->ccbFontName->setCurrentIndex(IndexOfText(Form->ccbFontName, font));
        Form->cedFontSize->setText(QStringLiteral("12"));
        Form->cckUseIni->setChecked(true);
        Form->ccbFileOS->setCurrentIndex(IndexOfText(Form->ccbFileOS, "VOS_NT_WINDOWS32"));
        Form->ccbLanguageID->setCurrentIndex(
            IndexOfText(Form->ccbLanguageID, QStringLiteral("100C  Swiss French")));
        Form->ccbCodePage->setCurrentIndex(0); // "   0  7-bit ASCII"
        Form->cckMinWin->setChecked(true);
        Form->cckUseBat->setChecked(false);
        Form->cedCompilerPath->setText(QStringLiteral(" C:\\Tools "));
        Form->cedCompiler32->setText(QStringLiteral("rc -r"));
        Form->cedCompiler16->setText(QStringLiteral("rc16 -r"));

        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QCOMPARE(Form->result(), int(QDialog::Accepted));
        QVERIFY(!Form->isVisible());
        QVERIFY2(Answers->Messages.isEmpty(), qPrintable(Answers->Messages.join('\n')));

        const AppSettings& s = Form->Settings();
        QCOMPARE(s.FontName, font);
        QCOMPARE(s.FontSize, 12);
        QVERIFY(s.UseInitialRC);
        QCOMPARE(s.DefaultFILEOS, QStringLiteral("VOS_NT_WINDOWS32"));
        QCOMPARE(s.DefaultLanguageID, 0x100C);
        QCOMPARE(s.DefaultCodePage, 0);
        QVERIFY(s.MinimizeWindow);
        QVERIFY(!s.UseBatchFile);
        QCOMPARE(s.CompilerPath, QStringLiteral(" C:\\Tools "));
        QCOMPARE(s.CompilerCmdLine32, QStringLiteral("rc -r"));
        QCOMPARE(s.CompilerCmdLine16, QStringLiteral("rc16 -r"));

        QCOMPARE(StoredNames().size(), 11);
        QCOMPARE(Stored("DefaultLanguageID").toString(), QStringLiteral("4108"));

        // The next showing brings back the same rows.
        ShowForm();
        QCOMPARE(Form->ccbLanguageID->currentText(), QStringLiteral("100C  Swiss French"));
        QCOMPARE(Form->ccbCodePage->currentText(), QStringLiteral("   0  7-bit ASCII"));
        QCOMPARE(Form->ccbFontName->currentText(), font);
    }

    void missingFontLeavesNoSelectionAndStoresAnEmptyName() {
        GiveSetting(&AppSettings::FontName, QStringLiteral("No Such Font Family 4711"));
        ShowForm();
        QCOMPARE(Form->ccbFontName->currentIndex(), -1);

        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QCOMPARE(Form->result(), int(QDialog::Accepted));
        QVERIFY(Answers->Messages.isEmpty());
        QCOMPARE(Stored("FontName").toString(), QString());
        QVERIFY(Stored("FontName").isValid());
        QCOMPARE(Form->Settings().FontName, QString());
    }

    void unknownFontKeepsTheDesignedPreviewAndOnlyCaptionsAreBold() {
        // Filling the font list must not leak its first row into the preview.
        GiveSetting(&AppSettings::FontName, QStringLiteral("No Such Font Family 4711"));
        ShowForm();
        QList<QWidget*> boxes = Form->PreviewControls();
        boxes << Form->ccbFontName;
        for (QWidget* box : boxes) {
            QCOMPARE(box->font().family(), QStringLiteral("FixedSys"));
            QVERIFY2(!box->font().bold(), qPrintable(box->objectName()));
        }
        for (QWidget* caption :
             {static_cast<QWidget*>(Form->cckUseIni), static_cast<QWidget*>(Form->labFileOS),
              static_cast<QWidget*>(Form->cbtnOK)})
            QVERIFY2(caption->font().bold(), qPrintable(caption->objectName()));
    }

    void languageInNoRowFailsAfterFourRowsAndStillClosesWithOk() {
        GiveSetting(&AppSettings::DefaultLanguageID, 0x1234);
        const AppSettings inForce = Form->Settings();
        ShowForm();
        QCOMPARE(Form->ccbLanguageID->currentIndex(), -1);
        Form->ccbFileOS->setCurrentIndex(IndexOfText(Form->ccbFileOS, "VOS_NT_WINDOWS32"));
        Form->cedCompilerPath->setText(QStringLiteral("C:\\Elsewhere"));

        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QCOMPARE(Form->result(), int(QDialog::Accepted));
        QVERIFY(!Form->isVisible());
        QCOMPARE(Answers->Messages.size(), 1);
        QVERIFY2(Answers->Messages[0].contains(QStringLiteral("DefaultLanguageID")),
                 qPrintable(Answers->Messages[0]));
        QCOMPARE(Form->Settings(), inForce);
        QCOMPARE(StoredNames(),
                 (QStringList{"DefaultFILEOS", "FontName", "FontSize", "UseInitialRC"}));
        QCOMPARE(Stored("DefaultFILEOS").toString(), QStringLiteral("VOS_NT_WINDOWS32"));
    }

    void arrowsStayInRangeWhileTypedSizesPass() {
        ShowForm();
        QToolButton* up = Form->cudFontSize->UpArrow();
        QToolButton* down = Form->cudFontSize->DownArrow();
        Form->cedFontSize->setText(QStringLiteral("15"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("16"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("16"));
        Form->cedFontSize->setText(QStringLiteral("5"));
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("4"));
        QTest::keyClick(Form->cedFontSize, Qt::Key_Down);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("4"));
        QTest::keyClick(Form->cedFontSize, Qt::Key_Up);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("5"));

        // A size outside the arrows' range is taken as typed; the arrows
        // bring it back into range.
        Form->cedFontSize->setText(QStringLiteral("20"));
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("20"));
        QCOMPARE(Form->cedCompilerPath->font().pointSize(), 20);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("16"));
        // From a text that is no number, the arrows step from the last size.
        Form->cedFontSize->setText(QStringLiteral("x"));
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("15"));
        Answers->Messages.clear();

        Form->cedFontSize->setText(QStringLiteral("2"));
        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QVERIFY(Answers->Messages.isEmpty());
        QCOMPARE(Stored("FontSize").toString(), QStringLiteral("2"));
        QCOMPARE(Form->Settings().FontSize, 2);
    }

    void sizeThatIsNoNumberIsReportedOnEveryChange() {
        ShowForm();
        Form->cedFontSize->setText(QStringLiteral("14"));
        QCOMPARE(Form->cedCompiler16->font().pointSize(), 14);

        Form->cedFontSize->selectAll();
        QTest::keyClicks(Form->cedFontSize, QStringLiteral("ab"));
        QCOMPARE(Answers->Messages, (QStringList{"'a' is not a valid integer value",
                                                 "'ab' is not a valid integer value"}));
        Form->cedFontSize->clear();
        QCOMPARE(Answers->Messages.size(), 3);
        QCOMPARE(Answers->Messages.last(), QStringLiteral("'' is not a valid integer value"));
        for (QWidget* w : Form->PreviewControls())
            QCOMPARE(w->font().pointSize(), 14);

        // OK stores the font name, then stops at the size; nothing else is
        // stored and the settings stay as they were.
        Form->cedFontSize->setText(QStringLiteral("abc"));
        Answers->Messages.clear();
        const AppSettings inForce = Form->Settings();
        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QCOMPARE(Form->result(), int(QDialog::Accepted));
        QCOMPARE(Answers->Messages.size(), 1);
        QVERIFY(Answers->Messages[0].contains(QStringLiteral("'abc'")));
        QCOMPARE(StoredNames(), QStringList{"FontName"});
        QCOMPARE(Form->Settings(), inForce);
    }

    void useInitialRcGreysTheDefaults() {
        ShowForm();
        const QList<QWidget*> defaults = {Form->ccbFileOS, Form->ccbLanguageID, Form->ccbCodePage,
                                          Form->labFileOS, Form->labLanguageID, Form->labCodePage};
        for (QWidget* w : defaults)
            QVERIFY(w->isEnabled());
        QTest::mouseClick(Form->cckUseIni, Qt::LeftButton);
        QVERIFY(Form->cckUseIni->isChecked());
        for (QWidget* w : defaults)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(Form->ccbLanguageID->currentText(), QStringLiteral(" 411  Japanese"));
        QTest::mouseClick(Form->cckUseIni, Qt::LeftButton);
        for (QWidget* w : defaults)
            QVERIFY(w->isEnabled());

        // Greyed defaults are stored all the same, and a later showing greys
        // them from the start.
        QTest::mouseClick(Form->cckUseIni, Qt::LeftButton);
        QTest::mouseClick(Form->cbtnOK, Qt::LeftButton);
        QVERIFY(Answers->Messages.isEmpty());
        QCOMPARE(Stored("UseInitialRC").toString(), QStringLiteral("1"));
        QCOMPARE(Stored("DefaultLanguageID").toString(), QStringLiteral("1041"));
        ShowForm();
        for (QWidget* w : defaults)
            QVERIFY(!w->isEnabled());
    }

    // Each family once, and long commands shown from their start, whole in
    // the tooltip.
    void theFirstShowingIsReadable() {
        const QStringList families = ScreenFontNames();
        QCOMPARE(QSet<QString>(families.begin(), families.end()).size(), families.size());
        for (const QString& family : families)
            QVERIFY2(!family.contains(QLatin1Char('[')), qPrintable(family));
        const QString command =
            QStringLiteral("llvm-rc /C 65001 /I /usr/share/mingw-w64/include --");
        GiveSetting(&AppSettings::CompilerCmdLine32, command);
        ShowForm();
        QCOMPARE(Form->cedCompiler32->cursorPosition(), 0);
        QCOMPARE(Form->cedCompiler32->toolTip(), command);
    }

    void findPutsTheChosenFilesFolderIntoThePathBox() {
        ShowForm();
        const QString commands32 = Form->cedCompiler32->text();
        Answers->Answers = {DialogAnswer::Choose(QStringLiteral("/tools/rc/BRCC32.EXE"))};
        QTest::mouseClick(Form->cbtnFind, Qt::LeftButton);
        QCOMPARE(Form->cedCompilerPath->text(), QDir::toNativeSeparators("/tools/rc"));
        QCOMPARE(Form->cedCompiler32->text(), commands32);

        QCOMPARE(Answers->Runs.size(), 1);
        const FileDialogRun& run = Answers->Runs.first();
        // Linux compilers have no extension: programs are offered, from the
        // configured folder, with the command's program proposed.
        QCOMPARE(run.Filter, QStringLiteral("Programs (*)|*"));
        QCOMPARE(run.DefaultExt, QString());
        QCOMPARE(run.InitialDir, QStringLiteral("C:\\Program Files\\Borland\\Delphi 2.0\\Bin"));
        QCOMPARE(run.FileName, QStringLiteral("Brcc32"));
        QVERIFY(!run.ReadOnlyBoxShown);
        QVERIFY(run.FileMustExist);

        Answers->Answers = {DialogAnswer::Choose(QStringLiteral("/brcc32.exe"))};
        QTest::mouseClick(Form->cbtnFind, Qt::LeftButton);
        QCOMPARE(Form->cedCompilerPath->text(), QDir::toNativeSeparators("/"));

        Answers->Answers = {DialogAnswer::Cancel()};
        QTest::mouseClick(Form->cbtnFind, Qt::LeftButton);
        QCOMPARE(Form->cedCompilerPath->text(), QDir::toNativeSeparators("/"));
    }

    void cancelStoresNothingAndTheNextShowingShowsTheSettingsInForce() {
        const AppSettings inForce = Form->Settings();
        ShowForm();
        Form->ccbFileOS->setCurrentIndex(IndexOfText(Form->ccbFileOS, "VOS_NT_WINDOWS32"));
        Form->cedCompilerPath->setText(QStringLiteral("C:\\Elsewhere"));
        Form->cedFontSize->setText(QStringLiteral("13"));
        QTest::mouseClick(Form->cckUseIni, Qt::LeftButton);
        QTest::mouseClick(Form->cbtnCancel, Qt::LeftButton);
        QCOMPARE(Form->result(), int(QDialog::Rejected));
        QVERIFY(!Form->isVisible());
        QVERIFY(!QFile::exists(StorePath()));
        QCOMPARE(Form->Settings(), inForce);

        ShowForm();
        QCOMPARE(Form->ccbFileOS->currentText(), QStringLiteral("VOS_DOS_WINDOWS32"));
        QCOMPARE(Form->cedCompilerPath->text(), DefaultCompilerPath);
        QCOMPARE(Form->cedFontSize->text(), QStringLiteral("9"));
        QCOMPARE(Form->cedCompiler16->font().pointSize(), 9);
        QVERIFY(!Form->cckUseIni->isChecked());
        QVERIFY(Form->ccbFileOS->isEnabled());

        // The window's close box and Esc cancel as well.
        Form->cedCompilerPath->setText(QStringLiteral("C:\\Other"));
        Form->close();
        QCOMPARE(Form->result(), int(QDialog::Rejected));
        ShowForm();
        QCOMPARE(Form->cedCompilerPath->text(), DefaultCompilerPath);
        QTest::keyClick(Form.get(), Qt::Key_Escape);
        QVERIFY(!Form->isVisible());
        QCOMPARE(Form->result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(StorePath()));
    }

    void previewFollowsFontNameAndSize() {
        ShowForm();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        QTRY_COMPARE(QApplication::focusWidget(), Form->ccbFontName);
        const QFont listFont = Form->ccbFontName->font();
        QCOMPARE(listFont.family(), QStringLiteral("FixedSys")); // while it has the focus

        const QString font = SomeOtherFont();
        QVERIFY(!font.isEmpty());
        Form->ccbFontName->setCurrentIndex(IndexOfText(Form->ccbFontName, font));
        for (QWidget* w : Form->PreviewControls())
            QCOMPARE(w->font().family(), font);
        QCOMPARE(Form->ccbFontName->font().family(), QStringLiteral("FixedSys"));

        Form->cedFontSize->setText(QStringLiteral("16"));
        for (QWidget* w : Form->PreviewControls())
            QCOMPARE(w->font().pointSize(), 16);
        QCOMPARE(Form->cedFontSize->height(), Form->cedFontSize->sizeHint().height());
        QCOMPARE(Form->cudFontSize->height(), Form->cedFontSize->height());

        // Leaving the list shows it in the chosen font, at its own size;
        // coming back shows it in FixedSys again.
        Form->cedCompiler32->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(Form->ccbFontName->font().family(), font);
        QCOMPARE(Form->ccbFontName->font().pixelSize(), listFont.pixelSize());
        Form->ccbFontName->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(Form->ccbFontName->font().family(), QStringLiteral("FixedSys"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
