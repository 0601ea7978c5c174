//===- OptionsTest.cpp - The options dialog from the main window ----------===//
//
// The dialog coming up by itself at the first start, and what the window
// does after it: the page font and the batch file's first line.
//
//===----------------------------------------------------------------------===//
#include "AppTestSupport.h"

#include "app/DesignFonts.h"

#include "controls/DlgsPlus.h"
#include "settings/AppSettings.h"
#include "settings/Options.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace qm;
using namespace qm::test;

namespace {

/// Runs `action` once `dialog` is up in its modal loop.
void WhenShown(QDialog* dialog, std::function<void()> action) {
    QTimer::singleShot(0, dialog, [dialog, action]() {
        if (dialog->isVisible())
            action();
        else
            WhenShown(dialog, action);
    });
}

/// Counts the showings of a window.
class ShowCounter : public QObject {
public:
    int Shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            ++Shows;
        return false;
    }
};

/// A compiler folder that exists, and a batch file whose first line names it.
QString MakeOldFolder(Sandbox& sandbox) {
    const QString folder = sandbox.Path(QStringLiteral("old"));
    QDir().mkpath(folder);
    sandbox.WriteSettings({{"CompilerPath", folder}, {"FontSize", "11"}});
    return folder;
}
std::string BatchFor(const QString& folder) {
    return "path=" + folder.toStdString() + "\necho compiling\n";
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutions(); }

    void firstStartOpensTheDialogBeforeTheWindowIsVisible() {
        Sandbox sandbox;
        QFile::remove(sandbox.Path(QStringLiteral("settings.ini"))); // nothing stored
        auto window = sandbox.MakeWindow();
        QCOMPARE(TheAppSettings().FontName, QStringLiteral("FixedSys"));
        TFormOpt* options = window->CreateFormOpt();
        QVERIFY(options && !options->isVisible());

        bool windowVisible = true;
        QPoint dialogAt;
        QString fontShown;
        WhenShown(options, [&] {
            windowVisible = window->isVisible();
            dialogAt = options->pos();
            fontShown = options->ccbFontName->currentText();
            options->cbtnCancel->click();
        });
        window->show();

        QVERIFY(!windowVisible);
        // The designed FixedSys is missing here: its stand-in is shown.
        QVERIFY(!fontShown.isEmpty());
        QCOMPARE(fontShown, QFontInfo(QFont(QStringLiteral("FixedSys"))).family());
        // Centred over the window's designed bounds, where it stood unshown.
        const QRect designed(QPoint(244, 103), window->size());
        QCOMPARE(dialogAt, *PlacementPosition(designed, options->size(), 4));
        QVERIFY(window->isVisible());
        const QRect screen = window->screen()->geometry();
        QCOMPARE(window->pos(), QPoint(screen.left() + (screen.width() - window->width()) / 2,
                                       screen.top() + (screen.height() - window->height()) / 2));
    }

    void fontNameInOtherLetterCaseDoesNotOpenIt() {
        Sandbox sandbox;
        sandbox.WriteSettings({{"FontName", "fixedsys"}});
        auto window = sandbox.MakeWindow();
        TFormOpt* options = window->CreateFormOpt();
        ShowCounter counter;
        options->installEventFilter(&counter);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(counter.Shows, 0);
    }

    void okAppliesTheFontAndSetsTheBatchFileOnlyWhenTheFolderChanged() {
        Sandbox sandbox;
        const std::string oldBatch = BatchFor(MakeOldFolder(sandbox));
        auto window = sandbox.MakeWindow();
        TFormOpt* options = window->CreateFormOpt();
        WriteBytes(window->BatchFile(), oldBatch);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QFont pagesBefore = Ui(*window).noteMain->font();

        // Cancel: neither the font nor the batch file changes.
        WhenShown(options, [&] {
            options->cedFontSize->setText(QStringLiteral("15"));
            options->cbtnCancel->click();
        });
        Ui(*window).cbtnOptions->click();
        QCOMPARE(Ui(*window).noteMain->font(), pagesBefore);
        QCOMPARE(ReadBytes(window->BatchFile()), oldBatch);

        // OK with the same folder: the new font, the batch file untouched.
        const QString font = options->ccbFontName->itemText(0);
        WhenShown(options, [&] {
            options->ccbFontName->setCurrentIndex(0);
            options->cedFontSize->setText(QStringLiteral("14"));
            options->cbtnOK->click();
        });
        Ui(*window).cbtnOptions->click();
        QCOMPARE(Ui(*window).noteMain->font().family(), font);
        QCOMPARE(Ui(*window).noteMain->font().pointSize(), 14);
        QCOMPARE(ReadBytes(window->BatchFile()), oldBatch);

        // OK with another folder: only the first line changes.
        const QString folder = sandbox.Path(QStringLiteral("rc"));
        QVERIFY(QDir().mkpath(folder));
        WhenShown(options, [&] {
            options->cedCompilerPath->setText(folder);
            options->cbtnOK->click();
        });
        Ui(*window).cbtnOptions->click();
        const std::string batch = ReadBytes(window->BatchFile());
        QCOMPARE(QString::fromStdString(batch.substr(0, batch.find('\n'))),
                 QStringLiteral("path=") + folder);
        QCOMPARE(batch.substr(batch.find('\n')), std::string("\necho compiling\n"));
        QVERIFY2(sandbox.Prompts->Messages.isEmpty(),
                 qPrintable(sandbox.Prompts->Messages.value(0).Text));
    }

    // A store that fails still closes the dialog with OK; the window then
    // goes on with the settings in force, and the box is the window's own.
    void aFailedStoreKeepsTheSettingsInForce() {
        Sandbox sandbox;
        const std::string oldBatch = BatchFor(MakeOldFolder(sandbox));
        auto window = sandbox.MakeWindow();
        TFormOpt* options = window->CreateFormOpt();
        WriteBytes(window->BatchFile(), oldBatch);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        WhenShown(options, [&] {
            options->cedFontSize->setText(QStringLiteral("big"));
            options->cedCompilerPath->setText(sandbox.Path(QStringLiteral("other")));
            options->cbtnOK->click();
        });
        Ui(*window).cbtnOptions->click();
        QCOMPARE(options->result(), int(QDialog::Accepted));
        QCOMPARE(Ui(*window).noteMain->font().pointSize(), 11);
        QCOMPARE(TheAppSettings().FontSize, 11);
        QCOMPARE(ReadBytes(window->BatchFile()), oldBatch);
        const QStringList boxes = sandbox.Prompts->TextsCaptioned(QStringLiteral("Quillmark"));
        QVERIFY(boxes.size() >= 2); // while typing, and at OK
        QVERIFY(boxes.last().contains(QStringLiteral("'big'")));
    }
};

QTEST_MAIN(OptionsTest)
#include "OptionsTest.moc"
