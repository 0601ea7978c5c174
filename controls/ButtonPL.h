//===- ButtonPL.h - The latching speed button -------------------*- C++ -*-===//
//
// TSpeedBtnPlus is a small self-painted push button that never takes the
// keyboard focus. A button with a non-zero GroupIndex latches: each click
// toggles Down, and latching one button of a group releases the others under
// the same parent. Beyond an ordinary speed button it offers seven face
// styles, keeps its sunken face while disabled and latched, shows the pressed
// face on a latched button that may be released, keeps the latched look when
// a release is refused, and embosses its caption when disabled.
//
// Colours come from the widget's QPalette, mapped once from the system
// colours a button face is drawn with:
//   frame  (window frame)       QPalette::Shadow
//   light  (button highlight)   QPalette::Light
//   dark   (button shadow)      QPalette::Dark
//   face   (button face)        QPalette::Button
//   caption text                QPalette::ButtonText
// All of them are read from the Active colour group: the system colours do
// not change with the button's own state.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>

class QShortcut;

namespace qm {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew, bsWin95, bsFrame, bsNoBorder, bsForSunken };

/// What a button looks like at its next paint.
enum class TButtonDrawState { Up, Disabled, Pressed, Latched };

/// Where glyph and caption go inside the paint rectangle, relative to its
/// top-left corner.
struct TGlyphCaptionLayout {
    QPoint GlyphPos;
    QRect CaptionRect;
};

/// The layout arithmetic of a button face, free of any widget so that it can
/// be checked on its own. `area` is the paint rectangle's size, `glyph` one
/// glyph image's size (0 by 0 without a glyph), `caption` the measured caption
/// (0 by 0 when empty). Every halving truncates toward zero, and the results
/// may be negative when the content does not fit.
TGlyphCaptionLayout LayoutGlyphAndCaption(QSize area, QSize glyph, QSize caption,
                                          TButtonLayout layout, int margin, int spacing);

/// The shared 8 by 8 latched-background pattern: the face colour with white
/// on every pixel whose row and column are both even or both odd. Made on the
/// first use by any button and freed with the last button.
QPixmap LatchedPattern(const QColor& face);

/// How many buttons are alive (they share the latched pattern).
int SpeedBtnInstanceCount();

class TSpeedBtnPlus : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QPixmap Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)

public:
    explicit TSpeedBtnPlus(QWidget* parent = nullptr);
    ~TSpeedBtnPlus() override;

    /// A latched button of the group may be released by a click. Changing it
    /// sends the group notice, so the whole group shares the value.
    bool AllowAllUp() const { return AllowAllUpValue; }
    void SetAllowAllUp(bool allow);

    /// 0: not in a group, and the button never stays down. Changing it sends
    /// the group notice.
    int GroupIndex() const { return GroupIndexValue; }
    void SetGroupIndex(int group);

    /// Latched. Setting it follows the toolkit's rules: with GroupIndex 0 the
    /// value becomes false; a latched button whose AllowAllUp is false refuses
    /// to be released and keeps the latched look; latching sends the group
    /// notice, which releases the other latched buttons of the group.
    bool Down() const { return DownValue; }
    void SetDown(bool down);

    /// "&" marks the accelerator letter ("&&" is a literal "&"). The letter,
    /// pressed with Alt in the button's window, clicks an enabled button.
    QString Caption() const { return CaptionText; }
    void SetCaption(const QString& caption);

    /// One to four images side by side: up, disabled, pressed, latched.
    /// Setting a bitmap whose width is a whole multiple of its height sets
    /// NumGlyphs to that ratio when it is 4 or less, and to 1 otherwise. A
    /// pixmap without alpha channel takes the colour of its bottom-left pixel
    /// as its transparent colour.
    QPixmap Glyph() const { return GlyphBitmap; }
    void SetGlyph(const QPixmap& glyph);
    /// The glyph's transparent colour: olive until a glyph is set.
    QColor TransparentColor() const { return Transparent; }

    TButtonLayout Layout() const { return LayoutValue; }
    void SetLayout(TButtonLayout layout);

    /// Pixels between the edge and the glyph; -1 centres glyph and caption
    /// together. Values below -1 are refused (the setter returns false and
    /// nothing changes).
    int Margin() const { return MarginValue; }
    bool SetMargin(int margin);

    /// Values are clamped to 1..4.
    int NumGlyphs() const { return NumGlyphsValue; }
    void SetNumGlyphs(int count);

    /// Pixels between glyph and caption; -1 spreads them evenly (with Margin
    /// -1) or centres the caption in the room beside the glyph.
    int Spacing() const { return SpacingValue; }
    void SetSpacing(int spacing);

    TButtonStyle Style() const { return StyleValue; }
    void SetStyle(TButtonStyle style);

    /// The caption font follows the parent's until a font is set; setting
    /// ParentFont back to true drops the button's own font.
    bool ParentFont() const;
    void SetParentFont(bool inherit);

    /// Hints are the widget's tool tip. With ParentShowHint (the default) they
    /// are shown; setting ShowHint clears ParentShowHint.
    bool ShowHint() const { return ShowHintValue; }
    void SetShowHint(bool show);
    bool ParentShowHint() const { return ParentShowHintValue; }
    void SetParentShowHint(bool inherit);

    /// The draw state the next paint starts from.
    TButtonDrawState DrawState() const { return State; }

    /// Raises OnClick, as a release inside or the accelerator does. It does
    /// not toggle Down.
    void Click();

    QSize sizeHint() const override { return QSize(25, 25); }

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void HandlePress(QMouseEvent* event);
    void SendGroupNotice();
    void ReceiveGroupNotice(int group, TSpeedBtnPlus* sender);
    void UpdateAccelerator();
    void DiscardGlyphImages();
    QPixmap GlyphImage(TButtonDrawState state);
    QSize GlyphSize() const;
    QSize CaptionSize() const;
    void PaintFace(QPainter& painter, bool down) const;
    void PaintCaption(QPainter& painter, const QRect& rect);

    bool AllowAllUpValue = false;
    int GroupIndexValue = 0;
    bool DownValue = false;
    QString CaptionText;
    QPixmap GlyphBitmap;
    QColor Transparent;
    TButtonLayout LayoutValue = blGlyphLeft;
    int MarginValue = -1;
    int NumGlyphsValue = 1;
    int SpacingValue = 4;
    TButtonStyle StyleValue = bsAutoDetect;
    bool ShowHintValue = true;
    bool ParentShowHintValue = true;

    TButtonDrawState State = TButtonDrawState::Up;
    bool Dragging = false;
    std::array<QPixmap, 4> GlyphImages; // one per draw state, made on demand
    QShortcut* Accelerator = nullptr;
};

} // namespace qm
