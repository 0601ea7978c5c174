//===- DlgsPlusTest.cpp - Centring file dialogs and form placement --------===//
//
// The placement arithmetic, the choice of the window a dialog centres over,
// the scripted answers, and one real dialog shown over a real window.
//
//===----------------------------------------------------------------------===//
#include "controls/DlgsPlus.h"
#include "TestSuites.h"
#include "tests/controls/ScriptedModals.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace qm;

namespace {

// Shows a top-level window at a known place and makes it the active one.
bool ShowActive(QWidget& w, const QRect& geometry) {
    w.setGeometry(geometry);
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// Runs `check` once the modal run is under way, then closes the dialog
// whatever the check found, so a failure cannot leave the run hanging.
template <typename Check> void WhileShown(QDialog& dialog, Check check) {
    QMetaObject::invokeMethod(
        &dialog,
        [&dialog, check] {
            struct Closer {
                QDialog& D;
                ~Closer() {
                    if (D.isVisible())
                        D.reject();
                }
            } closer{dialog};
            check();
        },
        Qt::QueuedConnection);
}

} // namespace

class DlgsPlusTest : public QObject {
    Q_OBJECT

private slots:
    void centringArithmetic() {
        QCOMPARE(CentredOver(QRect(100, 100, 600, 400), QSize(400, 300)), QPoint(200, 133));
        // -125 / 2 truncates to -62, not -63.
        QCOMPARE(CentredOver(QRect(50, 0, 300, 300), QSize(425, 300)).x(), -12);
        // Larger than the form both ways: starts above and left of it.
        QCOMPARE(CentredOver(QRect(0, 0, 300, 200), QSize(500, 501)), QPoint(-100, -100));
    }

    void placementCodes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QPoint>("at");
        // Reference (100,100) 600 by 400, form 200 by 101: free 400 by 299.
        QTest::newRow("0 left middle") << 0 << QPoint(100, 249);
        QTest::newRow("1 centre top") << 1 << QPoint(300, 100);
        QTest::newRow("2 right middle") << 2 << QPoint(500, 249);
        QTest::newRow("3 centre bottom") << 3 << QPoint(300, 399);
        QTest::newRow("4 centre middle") << 4 << QPoint(300, 249);
        QTest::newRow("5 centre third") << 5 << QPoint(300, 199);
        QTest::newRow("6 left top") << 6 << QPoint(100, 100);
        QTest::newRow("7 right top") << 7 << QPoint(500, 100);
        QTest::newRow("8 left bottom") << 8 << QPoint(100, 399);
        QTest::newRow("9 right bottom") << 9 << QPoint(500, 399);
    }

    void placementCodes() {
        QFETCH(int, code);
        QFETCH(QPoint, at);
        const QRect reference(100, 100, 600, 400);
        QCOMPARE(PlacementPosition(reference, QSize(200, 101), code), std::optional<QPoint>(at));
        QCOMPARE(PlacementPosition(reference, QSize(200, 101), code, 7, -3),
                 std::optional<QPoint>(at + QPoint(7, -3)));
    }

    void placementEdges() {
        // The screen as reference: code 5 on 1024 by 768.
        QCOMPARE(PlacementPosition(QRect(0, 0, 1024, 768), QSize(464, 350), 5),
                 std::optional<QPoint>(QPoint(280, 139)));
        // A form larger than its reference: negative shares truncate toward 0.
        QCOMPARE(PlacementPosition(QRect(0, 0, 100, 100), QSize(105, 107), 5),
                 std::optional<QPoint>(QPoint(-2, -2)));
        QCOMPARE(PlacementPosition(QRect(0, 0, 100, 100), QSize(10, 10), 10), std::nullopt);
        QCOMPARE(PlacementPosition(QRect(0, 0, 100, 100), QSize(10, 10), -1), std::nullopt);
    }

    void placeFormMovesRealWindows() {
        QWidget reference;
        reference.setGeometry(100, 100, 600, 400);
        QWidget form;
        form.resize(200, 100);
        PlaceForm(&form, &reference, 4, 0, 0);
        QCOMPARE(form.pos(), QPoint(300, 250));
        PlaceForm(&form, &reference, 42, 0, 0); // outside the codes: left alone
        QCOMPARE(form.pos(), QPoint(300, 250));

        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        PlaceForm(&form, nullptr, 9, -5, -6);
        QCOMPARE(form.pos(), QPoint(screen.width() - 205, screen.height() - 106));
    }

    void showModalPlacedReturnsTheResult() {
        QWidget reference;
        reference.setGeometry(100, 100, 600, 400);
        QDialog dialog;
        dialog.resize(300, 200);
        QPoint seen;
        QMetaObject::invokeMethod(
            &dialog,
            [&] {
                seen = dialog.pos();
                dialog.accept();
            },
            Qt::QueuedConnection);
        QCOMPARE(ShowModalPlaced(&dialog, &reference, 4), 1);
        QCOMPARE(seen, QPoint(250, 200));
    }

    void pickStr() {
        QCOMPARE(PickStr(true, QString(), "second"), QString());
        QCOMPARE(PickStr(false, "first", "second"), QString("second"));
    }

    void filters() {
        QCOMPARE(NameFiltersFromFilter("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*"),
                 QStringList({"Resource Files (*.rc)", "All Files (*.*)"}));
        QCOMPARE(NameFiltersFromFilter("Text|*.txt; *.log|Odd (*.a)|*.b"),
                 QStringList({"Text (*.txt *.log)", "Odd (*.a) (*.b)"}));
        QCOMPARE(NameFiltersFromFilter(""), QStringList());

        TOpenDlgPlus dialog;
        dialog.SetFilter("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*");
        QCOMPARE(dialog.nameFilters(), QStringList({"Resource Files (*.rc)", "All Files (*.*)"}));
    }

    void scriptedAnswers() {
        test::ScriptedModalsInstalled modals;
        TSaveDlgPlus save;
        save.setObjectName("dlgSave");
        save.SetDefaultExt("rc");
        save.SetFilter("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*");
        save.SetInitialDir("/tmp/work");
        save.SetFileName("*.rc");

        modals->Answers = {DialogAnswer::Choose("/tmp/work/version"), DialogAnswer::Cancel(),
                           DialogAnswer::Choose("/tmp/work/v.2.rc", true)};

        QVERIFY(save.Execute());
        QCOMPARE(save.FileName(), QString("/tmp/work/version.rc")); // the default extension
        QVERIFY(!save.Execute());
        QCOMPARE(save.FileName(), QString("/tmp/work/version.rc")); // a cancel keeps it
        QVERIFY(save.Execute());
        QCOMPARE(save.FileName(), QString("/tmp/work/v.2.rc"));
        QVERIFY(!save.ReadOnlyChecked()); // the save dialog has no such box
        QVERIFY(!save.Execute());         // script exhausted: a cancel
        const QList<FileDialogRun>& runs = modals->Runs;
        QCOMPARE(runs.size(), 4);
        const FileDialogRun& first = runs[0];
        QCOMPARE(first.DialogClass, QString("TSaveDlgPlus"));
        QCOMPARE(first.ObjectName, QString("dlgSave"));
        QCOMPARE(first.InitialDir, QString("/tmp/work"));
        QCOMPARE(first.FileName, QString("*.rc"));
        QCOMPARE(first.Filter, QString("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*"));
        QCOMPARE(first.DefaultExt, QString("rc"));
        QVERIFY(first.OverwritePrompt);
        QVERIFY(!first.ReadOnlyBoxShown);
        QCOMPARE(runs[1].FileName, QString("/tmp/work/version.rc"));

        TOpenDlgPlus open;
        open.SetReadOnlyChecked(true);
        modals->Answers = {DialogAnswer::Choose("/tmp/a.rc", true)};
        QVERIFY(open.Execute());
        QVERIFY(open.ReadOnlyChecked());
        QCOMPARE(modals->Runs.last().DialogClass, QString("TOpenDlgPlus"));
        QVERIFY(modals->Runs.last().ReadOnlyBoxShown);
        QVERIFY(modals->Runs.last().ReadOnlyChecked);
        QVERIFY(!modals->Runs.last().FileMustExist);
    }

    void centreFormChoice() {
        test::ScriptedModalsInstalled modals;
        QWidget owner;
        owner.setGeometry(50, 50, 300, 200);
        QWidget child(&owner);

        // Nothing active, owner not a window: no centring.
        TOpenDlgPlus orphan(&child);
        QVERIFY(!orphan.Execute());
        QVERIFY(modals->Runs.last().Centre.isNull());
        QCOMPARE(CenterForm(), nullptr);

        // Nothing active: the owner window.
        TOpenDlgPlus owned(&owner);
        owned.Execute();
        QCOMPARE(modals->Runs.last().Centre.data(), &owner);

        // The active window wins over the owner.
        QWidget active;
        QVERIFY(ShowActive(active, QRect(400, 300, 200, 150)));
        owned.Execute();
        QCOMPARE(CenterForm(), &active);
    }

    void shownDialogStandsCentredOverTheActiveWindow() {
        QWidget window;
        QVERIFY(ShowActive(window, QRect(100, 80, 700, 500)));
        TOpenDlgPlus dialog(&window);
        dialog.resize(420, 300);
        QRect seen;
        bool visible = false;
        WhileShown(dialog, [&] {
            QTRY_VERIFY(dialog.isVisible());
            visible = true;
            seen = dialog.frameGeometry();
        });
        QVERIFY(!dialog.Execute());
        QVERIFY(visible);
        QCOMPARE(CenterForm(), &window);
        QCOMPARE(seen.topLeft(), CentredOver(window.frameGeometry(), seen.size()));
    }

    void shownOpenDialogReportsNameAndReadOnlyBox() {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TOpenDlgPlus dialog;
        dialog.SetDefaultExt("rc");
        dialog.SetFilter("Resource Files (*.rc)| *.rc|All Files (*.*)|*.*");
        dialog.SetInitialDir(dir.path());
        dialog.SetFileName("*.rc");
        bool boxShown = false;
        WhileShown(dialog, [&] {
            QTRY_VERIFY(dialog.isVisible());
            auto* box = dialog.findChild<QCheckBox*>("ReadOnlyBox");
            QVERIFY(box);
            boxShown = box->isVisible() && dialog.rect().contains(box->geometry());
            box->setChecked(true);
            // A name that does not exist yet is accepted: the file need not exist.
            dialog.selectFile(dir.filePath("fresh"));
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            QVERIFY(buttons && buttons->button(QDialogButtonBox::Open));
            buttons->button(QDialogButtonBox::Open)->click();
        });
        QVERIFY(dialog.Execute());
        QVERIFY(boxShown);
        QCOMPARE(dialog.FileName(), dir.filePath("fresh.rc"));
        QVERIFY(dialog.ReadOnlyChecked());
    }

    // The dialog object lives for the whole run of the program: a name chosen
    // in one run must not be proposed by the next one that names none.
    void shownDialogForgetsTheLastRunsName() {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TSaveDlgPlus dialog;
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.SetInitialDir(dir.path());
        dialog.SetFileName(dir.filePath("X.rc"));
        WhileShown(dialog, [&] {
            QTRY_VERIFY(dialog.isVisible());
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            QVERIFY(buttons && buttons->button(QDialogButtonBox::Save));
            buttons->button(QDialogButtonBox::Save)->click();
        });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.FileName(), dir.filePath("X.rc"));

        for (const QString& none : {QStringLiteral("*.rc"), QString()}) {
            dialog.SetFileName(none);
            QString proposed = QStringLiteral("<not shown>");
            WhileShown(dialog, [&] {
                QTRY_VERIFY(dialog.isVisible());
                auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
                QVERIFY(nameEdit);
                proposed = nameEdit->text();
            });
            QVERIFY(!dialog.Execute());
            QCOMPARE(proposed, QString());
        }
    }

    // Nor may the list keep the last run's file selected: accepting the
    // dialog as it comes up would open that file again.
    void shownOpenDialogForgetsTheLastRunsSelection() {
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("B.rc"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TOpenDlgPlus dialog;
        dialog.SetInitialDir(dir.path());
        dialog.SetFileName(dir.filePath("B.rc"));
        WhileShown(dialog, [&] {
            QTRY_VERIFY(dialog.isVisible());
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            QVERIFY(buttons && buttons->button(QDialogButtonBox::Open));
            buttons->button(QDialogButtonBox::Open)->click();
        });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.FileName(), dir.filePath("B.rc"));

        dialog.SetFileName(QStringLiteral("*.rc"));
        QStringList selected{QStringLiteral("<not shown>")};
        WhileShown(dialog, [&] {
            QTRY_VERIFY(dialog.isVisible());
            selected = dialog.selectedFiles();
        });
        QVERIFY(!dialog.Execute());
        QVERIFY2(!selected.contains(dir.filePath("B.rc")), qPrintable(selected.join(',')));
    }
};

std::unique_ptr<QObject> MakeDlgsPlusTest() {
    return std::make_unique<DlgsPlusTest>();
}

#include "DlgsPlusTest.moc"
