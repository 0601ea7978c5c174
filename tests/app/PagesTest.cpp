//===- PagesTest.cpp - Layout, pages, focus, subtype list and error box ---===//

#include "AppTestSupport.h"

#include "controls/ButtonPL.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>

#include <stdexcept>

using namespace qm;
using namespace qm::test;

namespace {

QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

void PickFileType(TFormMain& window, const QString& type) {
    const int row = Ui(window).ccbFileType->findText(type);
    Ui(window).ccbFileType->setCurrentIndex(row);
    emit Ui(window).ccbFileType->activated(row);
}

/// Where `name` sits in window coordinates, with its size.
QRect PlaceOf(TFormMain& window, const char* name) {
    auto* control = window.findChild<QWidget*>(QString::fromLatin1(name));
    if (!control)
        return {};
    return QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT

private slots:
    void theSubtypeListFollowsThePickedFileType() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        QComboBox* subType = Ui(*window).ccbFileSubType;
        QCOMPARE(Items(subType), QStringList{"VFT2_UNKNOWN"});

        PickFileType(*window, "VFT_DRV");
        QVERIFY(Items(subType).size() > 5);
        QVERIFY(Items(subType).contains("VFT2_DRV_SOUND"));
        QCOMPARE(subType->currentText(), QStringLiteral("VFT2_UNKNOWN"));
        QVERIFY(!subType->isEditable());

        subType->setCurrentText("VFT2_DRV_SOUND");
        PickFileType(*window, "VFT_VXD");
        QCOMPARE(Items(subType), QStringList{"VFT2_UNKNOWN"});
        QVERIFY(subType->isEditable());
        subType->setEditText("0x1234");
        QCOMPARE(window->DocumentRecord().FileSubType, std::string("0x1234"));

        PickFileType(*window, "VFT_FONT");
        QVERIFY(!subType->isEditable());
        QVERIFY(Items(subType).contains("VFT2_FONT_TRUETYPE"));
        PickFileType(*window, "VFT_APP");
        QCOMPARE(Items(subType), QStringList{"VFT2_UNKNOWN"});
    }

    // Selecting a type from code does not rebuild the list; a new document
    // does, so a VxD's typed subtype never outlives its document.
    void onlyAPickOrANewDocumentRebuildsTheList() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        Ui(*window).ccbFileType->setCurrentText("VFT_DRV");
        QCOMPARE(Items(Ui(*window).ccbFileSubType), QStringList{"VFT2_UNKNOWN"});

        PickFileType(*window, "VFT_VXD");
        Ui(*window).cbtnNew->click();
        QCOMPARE(Ui(*window).ccbFileType->currentText(), QStringLiteral("VFT_APP"));
        QCOMPARE(Items(Ui(*window).ccbFileSubType), QStringList{"VFT2_UNKNOWN"});
        QVERIFY(!Ui(*window).ccbFileSubType->isEditable());
    }

    void eachInfoPageGivesTheFocusBackWhereItWas() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        Ui(*window).cedHProductVersion->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).cedHProductVersion);
        Ui(*window).tabMain->setCurrentIndex(2);
        QCOMPARE(Ui(*window).noteMain->currentIndex(), 2);
        Ui(*window).tabMain->setCurrentIndex(0);
        QCOMPARE(Ui(*window).noteMain->currentIndex(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).cedHProductVersion);

        // A bottom button holds the focus when the page is left: the page's
        // own first control takes it back.
        Ui(*window).cbtnNew->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).cbtnNew);
        Ui(*window).tabMain->setCurrentIndex(1);
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).StringEdits[0]);
        Ui(*window).StringEdits[4]->setFocus();
        Ui(*window).tabMain->setCurrentIndex(0);
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).cmmComInc);
        Ui(*window).tabMain->setCurrentIndex(1);
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).StringEdits[4]);
    }

    void theFocusInAnEditableSubtypeIsRememberedAsTheList() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        PickFileType(*window, "VFT_VXD");
        Ui(*window).ccbFileSubType->setFocus();
        Ui(*window).tabMain->setCurrentIndex(3);
        // The list loses its line edit; the remembered control is still there.
        PickFileType(*window, "VFT_APP");
        Ui(*window).tabMain->setCurrentIndex(0);
        QTRY_COMPARE(QApplication::focusWidget(), Ui(*window).ccbFileSubType);
    }

    void theWindowIsLaidOutAsDesigned() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QPixmap shot = window->grab();
        QCOMPARE(shot.size(), QSize(592, 373));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const QRect screen = window->screen()->geometry();
        QCOMPARE(window->pos(), QPoint(screen.left() + (screen.width() - window->width()) / 2,
                                       screen.top() + (screen.height() - window->height()) / 2));

        QCOMPARE(PlaceOf(*window, "panMain"), QRect(4, 4, 584, 325));
        QCOMPARE(PlaceOf(*window, "cmmComInc"), QRect(18, 30, 556, 169));
        QCOMPARE(PlaceOf(*window, "cedHFileVersion"), QRect(126, 210, 167, 20));
        QCOMPARE(PlaceOf(*window, "ccbFileSubType").topLeft(), QPoint(393, 250));
        QCOMPARE(PlaceOf(*window, "cckFFPatched").topLeft().x(), 6 + 120 + 300);
        QCOMPARE(PlaceOf(*window, "cbtnCompile"), QRect(257, 340, 147, 25));
        QCOMPARE(PlaceOf(*window, "cbtnCompile32"), QRect(405, 340, 25, 25));
        QCOMPARE(PlaceOf(*window, "cbtnExit"), QRect(542, 340, 45, 25));

        Ui(*window).tabMain->setCurrentIndex(1);
        QCOMPARE(PlaceOf(*window, "cedSpecialBuild"), QRect(126, 6 + 8 + 20 * 13, 448, 20));
        Ui(*window).tabMain->setCurrentIndex(2);
        QCOMPARE(PlaceOf(*window, "cmmImage"), QRect(18, 18, 556, 277));

        QCOMPARE(Ui(*window).tabMain->count(), 4);
        QCOMPARE(Ui(*window).tabMain->tabText(2), QStringLiteral("File Image"));
        QCOMPARE(Ui(*window).cbtnCompile->text(), QStringLiteral("Save && &Compile"));
        QVERIFY(Ui(*window).cbtnCompile32->Down());
        QCOMPARE(Ui(*window).cbtnCompile32->focusPolicy(), Qt::NoFocus);
        QCOMPARE(Ui(*window).cedFileFlagsMask->text(), QStringLiteral("VS_FFI_FILEFLAGSMASK"));
        QVERIFY(Ui(*window).cedFileFlagsMask->isReadOnly());
        QVERIFY(Ui(*window).cmmImage->isReadOnly() && Ui(*window).cmmResult->isReadOnly());
        auto* label = window->findChild<QLabel*>("labCommentsIncludes");
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Comments & Includes"));
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(Ui(*window).cedHFileVersion->font().family(), QStringLiteral("DejaVu Sans Mono"));
    }

    // The pages and the document commands from the keyboard, from any
    // control; every button says what it does.
    void keysStepThroughThePagesAndRunTheCommands() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        Ui(*window).cmmComInc->setFocus();
        const auto key = [&](int code, Qt::KeyboardModifiers modifiers) {
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(code), modifiers);
        };
        key(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(Ui(*window).tabMain->currentIndex(), 1);
        key(Qt::Key_PageDown, Qt::ControlModifier);
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(Ui(*window).tabMain->currentIndex(), 3);
        key(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(Ui(*window).tabMain->currentIndex(), 0);
        key(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(Ui(*window).tabMain->currentIndex(), 3);
        key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Ui(*window).tabMain->currentIndex(), 2);

        key(Qt::Key_S, Qt::ControlModifier); // a new document: Save As
        QCOMPARE(sandbox.Prompts->Dialogs.size(), 1);
        QCOMPARE(sandbox.Prompts->Dialogs[0].ObjectName, QStringLiteral("dlgSave"));
        key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(sandbox.Prompts->Dialogs.last().ObjectName, QStringLiteral("dlgOpen"));
        key(Qt::Key_F1, Qt::NoModifier);
        QCOMPARE(sandbox.Prompts->TextsCaptioned("About Quillmark").size(), 1);

        for (const QPushButton* button :
             window->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->objectName()));
        QVERIFY(!Ui(*window).cbtnCompile32->toolTip().isEmpty());
    }

    // The read-only mask box wears the button face of the palette in force,
    // a dark one included, with its text.
    void theMaskBoxLooksReadOnlyInADarkPalette() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::Base, QColor(20, 20, 20));
        dark.setColor(QPalette::Button, QColor(60, 60, 60));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        const QPalette shown = Ui(*window).cedFileFlagsMask->palette();
        QApplication::setPalette(light);
        QCOMPARE(shown.color(QPalette::Base), QColor(60, 60, 60));
        QCOMPARE(shown.color(QPalette::Text), QColor(230, 230, 230));
    }

    void anEscapingErrorIsShownAndTheWindowCarriesOn() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        window->RunGuarded([] { throw std::runtime_error("'$Z9' is not a valid integer value"); });
        QCOMPARE(sandbox.Prompts->Messages.size(), 1);
        QCOMPARE(sandbox.Prompts->Messages[0].Caption, QStringLiteral("Quillmark"));
        QCOMPARE(sandbox.Prompts->Messages[0].Text,
                 QStringLiteral("'$Z9' is not a valid integer value"));
        QCOMPARE(sandbox.Prompts->Messages[0].Icon, MessageIcon::Critical);
        Ui(*window).cbtnSaveAs->click();
        QCOMPARE(sandbox.Prompts->Dialogs.size(), 1);
    }
};

QTEST_MAIN(PagesTest)
#include "PagesTest.moc"
