//===- SpeedBtnTest.cpp - The latching speed button -----------------------===//
//
// The state machine driven by real mouse events, the group rules, the
// accelerator, the layout arithmetic and the painted pixels.
//
//===----------------------------------------------------------------------===//
#include "TestSuites.h"
#include "controls/ButtonPL.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace qm;
using DS = TButtonDrawState;

namespace {

const QColor Face(192, 192, 192);
const QColor Dark(128, 0, 0);
const QColor Frame(0, 0, 0);
const QColor Text(0, 0, 255);
const QColor White(255, 255, 255);
const QColor Yellow(255, 255, 0);

QPalette TestPalette(const QColor& light) {
    QPalette p;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Button, Face);
        p.setColor(group, QPalette::Light, light);
        p.setColor(group, QPalette::Dark, Dark);
        p.setColor(group, QPalette::Shadow, Frame);
        p.setColor(group, QPalette::ButtonText, Text);
    }
    return p;
}

QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor At(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

// Bounding box of the pixels of one colour inside `area`.
QRect Extent(const QImage& image, const QColor& colour, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                box |= QRect(x, y, 1, 1);
    return box;
}

// A window holding buttons side by side, 25 by 25 each.
struct Board {
    QWidget Window;
    std::vector<TSpeedBtnPlus*> Buttons;

    explicit Board(int count, const QColor& light = Yellow) {
        Window.setPalette(TestPalette(light));
        QFont font = Window.font();
        font.setStyleStrategy(QFont::NoAntialias);
        font.setPixelSize(11);
        Window.setFont(font);
        for (int i = 0; i < count; ++i) {
            auto* b = new TSpeedBtnPlus(&Window);
            b->move(10 + 40 * i, 10);
            Buttons.push_back(b);
        }
        Window.resize(60 + 40 * count, 60);
    }
    bool Show() {
        Window.show();
        return QTest::qWaitForWindowExposed(&Window);
    }
    TSpeedBtnPlus& operator[](int i) { return *Buttons[i]; }
};

const QPoint Inside(12, 12);
const QPoint Outside(12, 40); // inside the window, below the button

void Press(TSpeedBtnPlus& b) {
    QTest::mousePress(&b, Qt::LeftButton, {}, Inside);
}
void MoveTo(TSpeedBtnPlus& b, QPoint at) {
    QTest::mouseMove(&b, at);
}
void Release(TSpeedBtnPlus& b, QPoint at = Inside) {
    QTest::mouseRelease(&b, Qt::LeftButton, {}, at);
}
void Click(TSpeedBtnPlus& b) {
    QTest::mouseClick(&b, Qt::LeftButton, {}, Inside);
}
// What a double click delivers: press, release, double-click press, release.
void DoubleClick(TSpeedBtnPlus& b) {
    Click(b);
    QTest::mouseDClick(&b, Qt::LeftButton, {}, Inside);
    Release(b);
}

} // namespace

class SpeedBtnTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndPropertyRules() {
        TSpeedBtnPlus b;
        QCOMPARE(b.size(), QSize(25, 25));
        QCOMPARE(b.focusPolicy(), Qt::NoFocus);
        QCOMPARE(b.Spacing(), 4);
        QCOMPARE(b.Margin(), -1);
        QCOMPARE(b.Style(), bsAutoDetect);
        QCOMPARE(b.TransparentColor(), QColor(128, 128, 0));

        b.SetNumGlyphs(7);
        QCOMPARE(b.NumGlyphs(), 4);
        b.SetNumGlyphs(0);
        QCOMPARE(b.NumGlyphs(), 1);

        QVERIFY(b.SetMargin(3));
        QVERIFY(!b.SetMargin(-5));
        QCOMPARE(b.Margin(), 3);
        QVERIFY(b.SetMargin(-1));

        // The image count follows a bitmap that is a whole number of squares.
        b.SetGlyph(QPixmap(64, 16));
        QCOMPARE(b.NumGlyphs(), 4);
        b.SetGlyph(QPixmap(80, 16));
        QCOMPARE(b.NumGlyphs(), 1);
        b.SetNumGlyphs(2);
        b.SetGlyph(QPixmap(40, 16));
        QCOMPARE(b.NumGlyphs(), 2);
    }

    void downNeedsAGroup() {
        TSpeedBtnPlus b;
        b.SetDown(true);
        QVERIFY(!b.Down());
        b.SetGroupIndex(3);
        b.SetDown(true);
        QVERIFY(b.Down());
        // Out of the group a latched button still refuses a release while
        // AllowAllUp is false; once allowed, any set lets it go.
        b.SetGroupIndex(0);
        b.SetDown(false);
        QVERIFY(b.Down());
        QCOMPARE(b.DrawState(), DS::Latched);
        b.SetAllowAllUp(true);
        b.SetDown(true);
        QVERIFY(!b.Down());
    }

    void pressDragAndRelease() {
        Board board(1);
        QVERIFY(board.Show());
        TSpeedBtnPlus& b = board[0];
        QSignalSpy clicks(&b, &TSpeedBtnPlus::OnClick);

        Press(b);
        QCOMPARE(b.DrawState(), DS::Pressed);
        MoveTo(b, Outside);
        QCOMPARE(b.DrawState(), DS::Up);
        MoveTo(b, Inside);
        QCOMPARE(b.DrawState(), DS::Pressed);
        Release(b);
        QCOMPARE(b.DrawState(), DS::Up);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!b.Down()); // no group: never stays down

        Press(b);
        MoveTo(b, Outside);
        Release(b, Outside);
        QCOMPARE(b.DrawState(), DS::Up);
        QCOMPARE(clicks.count(), 1);

        // Other buttons neither press nor click.
        QTest::mouseClick(&b, Qt::RightButton, {}, Inside);
        QCOMPARE(b.DrawState(), DS::Up);
        QCOMPARE(clicks.count(), 1);
    }

    void groupWithoutAllowAllUp() {
        Board board(3);
        QVERIFY(board.Show());
        TSpeedBtnPlus &a = board[0], &b = board[1], &other = board[2];
        a.SetGroupIndex(1);
        b.SetGroupIndex(1);
        other.SetGroupIndex(2);
        other.SetDown(true);
        QSignalSpy clicksB(&b, &TSpeedBtnPlus::OnClick);

        Click(a);
        QVERIFY(a.Down());
        QCOMPARE(a.DrawState(), DS::Latched);
        Click(b);
        QVERIFY(b.Down());
        QVERIFY(!a.Down());
        QCOMPARE(a.DrawState(), DS::Up);
        QVERIFY(other.Down()); // another group is left alone

        // Clicking the latched button is refused: no pressed face, still
        // down and latched, and the click is still raised.
        Press(b);
        QCOMPARE(b.DrawState(), DS::Latched);
        Release(b);
        QVERIFY(b.Down());
        QCOMPARE(b.DrawState(), DS::Latched);
        QCOMPARE(clicksB.count(), 2);
        b.SetDown(false);
        QVERIFY(b.Down());
    }

    void groupWithAllowAllUp() {
        Board board(2);
        QVERIFY(board.Show());
        TSpeedBtnPlus &a = board[0], &b = board[1];
        a.SetGroupIndex(1);
        b.SetGroupIndex(1);
        a.SetAllowAllUp(true);
        QVERIFY(b.AllowAllUp()); // the group shares it

        Click(a);
        QVERIFY(a.Down());
        // The latched button shows the pressed face while held, the latched
        // face when dragged off, and a release outside changes nothing.
        QSignalSpy clicks(&a, &TSpeedBtnPlus::OnClick);
        Press(a);
        QCOMPARE(a.DrawState(), DS::Pressed);
        MoveTo(a, Outside);
        QCOMPARE(a.DrawState(), DS::Latched);
        Release(a, Outside);
        QVERIFY(a.Down());
        QCOMPARE(a.DrawState(), DS::Latched);
        QCOMPARE(clicks.count(), 0);

        Click(a);
        QVERIFY(!a.Down());
        QVERIFY(!b.Down());
        QCOMPARE(a.DrawState(), DS::Up);
        QCOMPARE(clicks.count(), 1);

        // A change on any member passes to the others.
        b.SetAllowAllUp(false);
        QVERIFY(!a.AllowAllUp());
    }

    void doubleClick() {
        Board board(2);
        QVERIFY(board.Show());
        TSpeedBtnPlus &plain = board[0], &latching = board[1];
        latching.SetGroupIndex(1);
        latching.SetAllowAllUp(true);
        QSignalSpy plainDbl(&plain, &TSpeedBtnPlus::OnDblClick);
        QSignalSpy plainClicks(&plain, &TSpeedBtnPlus::OnClick);
        QSignalSpy dbl(&latching, &TSpeedBtnPlus::OnDblClick);
        QSignalSpy clicks(&latching, &TSpeedBtnPlus::OnClick);

        DoubleClick(plain);
        QCOMPARE(plainClicks.count(), 2);
        QCOMPARE(plainDbl.count(), 0); // never down

        // The first click latches it; the second press finds it down.
        DoubleClick(latching);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(dbl.count(), 1);
        QVERIFY(!latching.Down());
    }

    void compile32Toggle() {
        Board board(1);
        TSpeedBtnPlus& b = board[0];
        b.SetAllowAllUp(true);
        b.SetGroupIndex(1);
        b.SetDown(true);
        b.SetCaption("32");
        QVERIFY(board.Show());
        QTRY_COMPARE(b.DrawState(), DS::Latched);
        QVERIFY(b.Down());

        Click(b);
        QVERIFY(!b.Down());
        QCOMPARE(b.DrawState(), DS::Up);
        Click(b);
        QVERIFY(b.Down());
        QCOMPARE(b.DrawState(), DS::Latched);

        // Disabled, it keeps its Down state and returns to the latched look.
        b.setEnabled(false);
        (void)Shot(b);
        QCOMPARE(b.DrawState(), DS::Disabled);
        QVERIFY(b.Down());
        b.setEnabled(true);
        (void)Shot(b);
        QCOMPARE(b.DrawState(), DS::Latched);
    }

    void accelerator() {
        Board board(1);
        TSpeedBtnPlus& b = board[0];
        b.SetCaption("&Go");
        QSignalSpy clicks(&b, &TSpeedBtnPlus::OnClick);
        QVERIFY(board.Show());
        board.Window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&board.Window));

        QTest::keyClick(&board.Window, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!b.Down());
        QTest::keyClick(&board.Window, Qt::Key_X, Qt::AltModifier);
        QCOMPARE(clicks.count(), 1);
        b.setEnabled(false);
        QTest::keyClick(&board.Window, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(clicks.count(), 1);
    }

    void layoutArithmetic_data() {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("glyph");
        QTest::addColumn<QSize>("caption");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QPoint>("glyphAt");
        QTest::addColumn<QPoint>("captionAt");

        const QSize wide(60, 40), tall(40, 60), g(16, 16), t(13, 15);
        // Centred together: margin = 30 - (16 + 4 + 13) / 2 = 14.
        QTest::newRow("left -1/4")
            << wide << g << t << int(blGlyphLeft) << -1 << 4 << QPoint(14, 12) << QPoint(34, 13);
        QTest::newRow("right -1/4")
            << wide << g << t << int(blGlyphRight) << -1 << 4 << QPoint(30, 12) << QPoint(13, 13);
        // Evenly spread: (60 - 16 - 13) / 3 = 10 for margin and spacing.
        QTest::newRow("left -1/-1")
            << wide << g << t << int(blGlyphLeft) << -1 << -1 << QPoint(10, 12) << QPoint(36, 13);
        // Caption centred beside the glyph: 41 / 2 - 13 / 2 = 14.
        QTest::newRow("left 3/-1")
            << wide << g << t << int(blGlyphLeft) << 3 << -1 << QPoint(3, 12) << QPoint(33, 13);
        QTest::newRow("right 3/-1")
            << wide << g << t << int(blGlyphRight) << 3 << -1 << QPoint(41, 12) << QPoint(14, 13);
        QTest::newRow("left 2/6") << wide << g << t << int(blGlyphLeft) << 2 << 6 << QPoint(2, 12)
                                  << QPoint(24, 13);
        // Vertical: (60 - 16 - 15) / 3 = 9.
        QTest::newRow("top -1/-1")
            << tall << g << t << int(blGlyphTop) << -1 << -1 << QPoint(12, 9) << QPoint(14, 34);
        QTest::newRow("bottom -1/-1")
            << tall << g << t << int(blGlyphBottom) << -1 << -1 << QPoint(12, 35) << QPoint(14, 11);
        QTest::newRow("bottom -1/4")
            << tall << g << t << int(blGlyphBottom) << -1 << 4 << QPoint(12, 31) << QPoint(14, 12);
        QTest::newRow("top 5/-1") << tall << g << t << int(blGlyphTop) << 5 << -1 << QPoint(12, 5)
                                  << QPoint(14, 33);
        // Crowded: truncation toward zero, not downward. (20-16-14)/3 = -3;
        // 10 - 34/2 = -7; (20-5-16)/2 = 0, so spacing 0 - 7 = -7.
        const QSize small(20, 20), t14(14, 15);
        QTest::newRow("crowded -1/-1")
            << small << g << t14 << int(blGlyphLeft) << -1 << -1 << QPoint(-3, 2) << QPoint(10, 3);
        QTest::newRow("crowded -1/4")
            << small << g << t14 << int(blGlyphLeft) << -1 << 4 << QPoint(-7, 2) << QPoint(13, 3);
        QTest::newRow("crowded 5/-1")
            << small << g << t14 << int(blGlyphLeft) << 5 << -1 << QPoint(5, 2) << QPoint(14, 3);
        // Without glyph or caption the spacing is 0 whatever it was set to.
        QTest::newRow("caption only -1/-1") << wide << QSize() << t << int(blGlyphLeft) << -1 << -1
                                            << QPoint(24, 20) << QPoint(24, 13);
        QTest::newRow("glyph only -1/4") << wide << g << QSize(0, 0) << int(blGlyphLeft) << -1 << 4
                                         << QPoint(22, 12) << QPoint(38, 20);
    }

    void layoutArithmetic() {
        QFETCH(QSize, area);
        QFETCH(QSize, glyph);
        QFETCH(QSize, caption);
        QFETCH(int, layout);
        QFETCH(int, margin);
        QFETCH(int, spacing);
        QFETCH(QPoint, glyphAt);
        QFETCH(QPoint, captionAt);
        if (!glyph.isValid())
            glyph = QSize(0, 0);
        const TGlyphCaptionLayout placed =
            LayoutGlyphAndCaption(area, glyph, caption, TButtonLayout(layout), margin, spacing);
        QCOMPARE(placed.GlyphPos, glyphAt);
        QCOMPARE(placed.CaptionRect.topLeft(), captionAt);
        QCOMPARE(placed.CaptionRect.size(), caption);
    }

    void latchedFill_data() {
        QTest::addColumn<QColor>("light");
        QTest::newRow("white highlight") << White;
        QTest::newRow("yellow highlight") << Yellow;
    }

    void latchedFill() {
        QFETCH(QColor, light);
        Board board(1, light);
        TSpeedBtnPlus& b = board[0];
        b.SetGroupIndex(1);
        b.SetDown(true);
        const QImage img = Shot(b);
        // Sunken bsWin95 face: frame outside top-left, light outside
        // bottom-right, dark inside top-left.
        QCOMPARE(At(img, 0, 0), Frame);
        QCOMPARE(At(img, 24, 24), light);
        QCOMPARE(At(img, 1, 1), Dark);
        // The fill covers the paint rectangle (2,2)-(24,24) less two pixels
        // at the right and bottom.
        const bool checker = light == White;
        for (int y = 2; y <= 22; ++y)
            for (int x = 2; x <= 22; ++x) {
                const QColor want = !checker ? light : (x % 2 == y % 2 ? White : Face);
                if (At(img, x, y) != want)
                    QFAIL(qPrintable(QString("fill at %1,%2").arg(x).arg(y)));
            }
        QCOMPARE(At(img, 23, 12), Face);
        QCOMPARE(At(img, 12, 23), Face);
        QCOMPARE(SpeedBtnInstanceCount(), 1);
    }

    void disabledLatchedKeepsSunkenFaceAndEmbossesCaption() {
        Board board(1, Yellow);
        TSpeedBtnPlus& b = board[0];
        b.resize(40, 25);
        b.SetGroupIndex(1);
        b.SetDown(true);
        b.SetCaption("32");
        const QRect inner(2, 2, 36, 21);

        const QImage enabled = Shot(b);
        QVERIFY(!Extent(enabled, Text, inner).isEmpty());

        b.setEnabled(false);
        const QImage img = Shot(b);
        QCOMPARE(At(img, 0, 0), Frame); // still sunken
        QCOMPARE(At(img, 1, 1), Dark);
        QCOMPARE(At(img, 2, 2), Face); // no latched fill
        QVERIFY(Extent(img, Text, inner).isEmpty());
        const QRect shadow = Extent(img, Dark, inner);
        const QRect highlight = Extent(img, Yellow, inner);
        QVERIFY(!shadow.isEmpty());
        QCOMPARE(highlight.right(), shadow.right() + 1);
        QCOMPARE(highlight.bottom(), shadow.bottom() + 1);
        // Drawn where the enabled caption was: the sunken face moves both.
        QCOMPARE(shadow, Extent(enabled, Text, inner));
    }

    void win31Bevel() {
        Board board(2);
        TSpeedBtnPlus &old = board[0], &modern = board[1];
        old.SetStyle(bsWin31);
        const QImage up = Shot(old);
        QCOMPARE(At(up, 0, 0), Frame);
        QCOMPARE(At(up, 1, 1), Yellow);
        QCOMPARE(At(up, 2, 2), Yellow);
        QCOMPARE(At(up, 3, 3), Face);
        QCOMPARE(At(up, 24, 24), Frame);
        QCOMPARE(At(up, 23, 23), Dark);
        QCOMPARE(At(up, 22, 22), Dark);
        QCOMPARE(At(up, 21, 21), Face);

        const QImage modernUp = Shot(modern);
        QCOMPARE(At(modernUp, 0, 0), Yellow);
        QCOMPARE(At(modernUp, 1, 1), Face);
        QCOMPARE(At(modernUp, 24, 24), Frame);
        QCOMPARE(At(modernUp, 23, 23), Dark);
        QCOMPARE(At(modernUp, 22, 22), Face);

        // The paint rectangle starts two pixels in (plus one when down):
        // the latched fill begins at (3,3), against (2,2) for one pixel.
        old.SetGroupIndex(1);
        old.SetDown(true);
        const QImage down = Shot(old);
        QCOMPARE(At(down, 0, 0), Frame);
        QCOMPARE(At(down, 1, 1), Dark);
        QCOMPARE(At(down, 2, 2), Face);
        QCOMPARE(At(down, 3, 3), Yellow);
        QCOMPARE(At(down, 21, 21), Yellow);
        QCOMPARE(At(down, 22, 22), Face);
    }

    void glyphTransparencyAndEmbossing() {
        // Green background (taken from the bottom-left pixel) around a red
        // 4 by 4 block.
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(QColor(0, 255, 0));
        QPainter(&picture).fillRect(6, 6, 4, 4, QColor(255, 0, 0));
        Board board(1);
        TSpeedBtnPlus& b = board[0];
        b.SetGlyph(QPixmap::fromImage(picture));
        QCOMPARE(b.NumGlyphs(), 1);
        QCOMPARE(b.TransparentColor(), QColor(0, 255, 0));

        // Up face, paint rectangle (1,1) 23 by 23, glyph at 11 - 8 = 3 both
        // ways, so the block covers (10,10)-(13,13).
        const QImage up = Shot(b);
        QCOMPARE(At(up, 5, 5), Face);
        QCOMPARE(At(up, 10, 10), QColor(255, 0, 0));
        QCOMPARE(At(up, 13, 13), QColor(255, 0, 0));

        b.setEnabled(false);
        const QImage off = Shot(b);
        QCOMPARE(Extent(off, Dark, QRect(2, 2, 21, 21)), QRect(10, 10, 4, 4));
        QCOMPARE(At(off, 14, 14), Yellow);
        QCOMPARE(At(off, 14, 11), Yellow);
        QCOMPARE(At(off, 10, 14), Face);
    }

    void sharedPatternLivesWithTheButtons() {
        {
            Board board(2);
            QCOMPARE(SpeedBtnInstanceCount(), 2);
            const QImage pattern = LatchedPattern(Face).toImage();
            QCOMPARE(pattern.size(), QSize(8, 8));
            QCOMPARE(QColor(pattern.pixel(0, 0)), White);
            QCOMPARE(QColor(pattern.pixel(1, 1)), White);
            QCOMPARE(QColor(pattern.pixel(1, 0)), Face);
        }
        QCOMPARE(SpeedBtnInstanceCount(), 0);
    }
};

std::unique_ptr<QObject> MakeSpeedBtnTest() {
    return std::make_unique<SpeedBtnTest>();
}

#include "SpeedBtnTest.moc"
