//===- CaptionFitTest.cpp - Every caption fits its designed room ----------===//
//
// The windows place every control by pixel, so a face wider than the one
// they were drawn in clips captions. With the stand-in fonts registered as
// start-up registers them, every caption of the main window and of the
// options dialog is measured with QFontMetrics against the room its control
// was given: the text area of a check box or button, the width of a tab, and
// for a label (which sizes itself) the space up to the next control on its
// row.
//
//===----------------------------------------------------------------------===//
#include "AppTestSupport.h"

#include "app/DesignFonts.h"
#include "controls/ButtonPL.h"
#include "settings/Options.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace qm;
using namespace qm::test;

namespace {

struct Misfit {
    QString Control;
    int Needed;
    int Room;
};

QString Plain(QString caption) {
    // "&&" shows one ampersand; a single "&" marks the access key.
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption;
}

int TextWidth(const QWidget* control, const QString& text) {
    return QFontMetrics(control->font()).horizontalAdvance(text);
}

/// The room of a self-sizing label: up to the nearest sibling that starts
/// to its right on the same row, or the parent's edge.
int LabelRoom(const QLabel* label) {
    const QRect row(label->x(), label->y(), label->parentWidget()->width(),
                    QFontMetrics(label->font()).height());
    int right = label->parentWidget()->width();
    for (const QObject* child : label->parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(child);
        if (!other || other == label || other->isWindow() || other->x() <= label->x())
            continue;
        if (other->geometry().intersects(row))
            right = std::min(right, other->x());
    }
    return right - label->x();
}

/// The width a button-like control draws its caption in.
int ButtonTextRoom(const QAbstractButton* button, QStyle::SubElement contents) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(contents, &option, button).width();
}

QList<Misfit> Misfits(const QWidget* window) {
    QList<Misfit> found;
    // Only the window's own controls: not those of its dialogs.
    const auto check = [&](const QWidget* w, const QString& name, int needed, int room) {
        if (w->window() == window && needed > room)
            found.append({name, needed, room});
    };
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            check(label, label->text(), TextWidth(label, label->text()), LabelRoom(label));
    }
    for (const QCheckBox* box : window->findChildren<QCheckBox*>())
        check(box, box->objectName(), TextWidth(box, Plain(box->text())),
              ButtonTextRoom(box, QStyle::SE_CheckBoxContents));
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        check(button, button->objectName(), TextWidth(button, Plain(button->text())),
              ButtonTextRoom(button, QStyle::SE_PushButtonContents));
    for (const QToolButton* button : window->findChildren<QToolButton*>()) {
        if (!button->text().isEmpty() && button->isVisibleTo(window) &&
            button->objectName().startsWith(QLatin1String("cbtn")))
            check(button, button->objectName(), TextWidth(button, Plain(button->text())),
                  button->width() - 4);
    }
    for (const TSpeedBtnPlus* button : window->findChildren<TSpeedBtnPlus*>())
        check(button, button->objectName(), TextWidth(button, button->Caption()),
              button->width() - 4);
    for (const QTabBar* tabs : window->findChildren<QTabBar*>()) {
        for (int i = 0; i < tabs->count(); ++i)
            check(tabs, tabs->tabText(i), TextWidth(tabs, Plain(tabs->tabText(i))),
                  tabs->tabRect(i).width());
        // A row wider than the strip would scroll its last tabs out of sight.
        const int last = tabs->count() - 1;
        check(tabs, QStringLiteral("tab row"), tabs->tabRect(last).right() + 1, tabs->width());
    }
    return found;
}

QString Describe(const QList<Misfit>& misfits) {
    QStringList lines;
    for (const Misfit& m : misfits)
        lines << QStringLiteral("%1 needs %2 px, has %3").arg(m.Control).arg(m.Needed).arg(m.Room);
    return lines.join(QStringLiteral("; "));
}

} // namespace

class CaptionFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutions(); }

    void designedFamiliesResolveToAnInstalledStandIn() {
        for (const FontStandIns& standIns : DesignFontStandIns()) {
            bool anyInstalled = false;
            for (const QString& candidate : standIns.Candidates)
                anyInstalled = anyInstalled || QFontDatabase::families().contains(candidate);
            if (!anyInstalled)
                continue;
            const QString shown = QFontInfo(QFont(standIns.Family)).family();
            QVERIFY2(standIns.Candidates.contains(shown),
                     qPrintable(standIns.Family + QStringLiteral(" shows as ") + shown));
        }
    }

    void everyCaptionOfBothWindowsFits() {
        Sandbox sandbox;
        auto window = sandbox.MakeWindow();
        TFormOpt* options = window->CreateFormOpt();
        QVERIFY(options);
        // Shown, and every page once, so that each page has its real size.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (int page = Ui(*window).tabMain->count() - 1; page >= 0; --page)
            Ui(*window).tabMain->setCurrentIndex(page);
        options->show();
        QVERIFY(QTest::qWaitForWindowExposed(options));
        const QList<Misfit> main = Misfits(window.get());
        QVERIFY2(main.isEmpty(), qPrintable(Describe(main)));
        const QList<Misfit> dialog = Misfits(options);
        QVERIFY2(dialog.isEmpty(), qPrintable(Describe(dialog)));
    }
};

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
