//===- ButtonPL.cpp - The latching speed button ---------------------------===//
//
// State machine, group notice, accelerator and painting of TSpeedBtnPlus.
//
//===----------------------------------------------------------------------===//
#include "controls/ButtonPL.h"

#include <QFontMetrics>
#include <QImage>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

namespace qm {

namespace {

int LiveButtons = 0;
// Deliberately a bare pointer: freed with the last button, never left for
// static destruction after the application object is gone.
QPixmap* SharedPattern = nullptr;
QColor SharedPatternFace;

int Half(int n) {
    return n / 2;
} // truncates toward zero, also for negatives

int ImageIndex(TButtonDrawState state) {
    switch (state) {
    case TButtonDrawState::Up:
        return 0;
    case TButtonDrawState::Disabled:
        return 1;
    case TButtonDrawState::Pressed:
        return 2;
    case TButtonDrawState::Latched:
        return 3;
    }
    return 0;
}

// System colours of a button face, all from the Active group: the system
// colours do not change with the button's own state.
struct FaceColours {
    QColor Frame, Light, Dark, Face, Text;
    explicit FaceColours(const QPalette& p)
        : Frame(p.color(QPalette::Active, QPalette::Shadow)),
          Light(p.color(QPalette::Active, QPalette::Light)),
          Dark(p.color(QPalette::Active, QPalette::Dark)),
          Face(p.color(QPalette::Active, QPalette::Button)),
          Text(p.color(QPalette::Active, QPalette::ButtonText)) {}
};

// One-pixel outline: top and left edges in `topLeft`, bottom and right edges
// (corners included) in `bottomRight`; the rectangle shrinks for the next.
void DrawFramePair(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const int l = r.left(), t = r.top(), w = r.width(), h = r.height();
    p.fillRect(l, t, w - 1, 1, topLeft);
    p.fillRect(l, t, 1, h - 1, topLeft);
    p.fillRect(l, t + h - 1, w, 1, bottomRight);
    p.fillRect(l + w - 1, t, 1, h, bottomRight);
    r.adjust(1, 1, -1, -1);
}

int BevelWidth(TButtonStyle style) {
    return style == bsWin31 ? 2 : 1;
}

// The nearest displayable colour of a 24-bit colour is itself.
bool IsWhite(const QColor& c) {
    return (c.rgb() & 0xFFFFFF) == 0xFFFFFF;
}

QImage WithTransparency(const QPixmap& source, const QColor& transparent) {
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    if (source.hasAlphaChannel())
        return image;
    const QRgb key = transparent.rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return image;
}

// Two-colour relief of an image's shape: a light copy one pixel right and
// down under a copy in the shadow colour. Every visible pixel is part of the
// shape.
QImage Embossed(const QImage& image, const QColor& light, const QColor& shadow) {
    QImage out(image.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0 && x + 1 < out.width() && y + 1 < out.height())
                out.setPixel(x + 1, y + 1, light.rgba());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                out.setPixel(x, y, shadow.rgba());
    return out;
}

} // namespace

TGlyphCaptionLayout LayoutGlyphAndCaption(QSize area, QSize glyph, QSize caption,
                                          TButtonLayout layout, int margin, int spacing) {
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const int s = horizontal ? area.width() : area.height();
    const int g = horizontal ? glyph.width() : glyph.height();
    const int t = horizontal ? caption.width() : caption.height();

    QPoint glyphPos, captionPos;
    if (horizontal) {
        glyphPos.setY(Half(area.height()) - Half(glyph.height()));
        captionPos.setY(Half(area.height()) - Half(caption.height()));
    } else {
        glyphPos.setX(Half(area.width()) - Half(glyph.width()));
        captionPos.setX(Half(area.width()) - Half(caption.width()));
    }

    if (caption.width() == 0 || glyph.width() == 0)
        spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (s - g - t) / 3;
            spacing = margin;
        } else {
            margin = Half(s) - Half(g + spacing + t);
        }
    } else if (spacing == -1) {
        spacing = Half(s - margin - g) - Half(t);
    }

    int glyphAlong, captionAlong;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        glyphAlong = margin;
        captionAlong = margin + g + spacing;
    } else {
        glyphAlong = s - margin - g;
        captionAlong = glyphAlong - spacing - t;
    }
    if (horizontal) {
        glyphPos.setX(glyphAlong);
        captionPos.setX(captionAlong);
    } else {
        glyphPos.setY(glyphAlong);
        captionPos.setY(captionAlong);
    }
    return {glyphPos, QRect(captionPos, caption)};
}

QPixmap LatchedPattern(const QColor& face) {
    if (!SharedPattern || SharedPatternFace != face) {
        QImage image(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(x, y, (x % 2 == y % 2) ? qRgb(255, 255, 255) : face.rgb());
        delete SharedPattern;
        SharedPattern = new QPixmap(QPixmap::fromImage(image));
        SharedPatternFace = face;
    }
    return *SharedPattern;
}

int SpeedBtnInstanceCount() {
    return LiveButtons;
}

TSpeedBtnPlus::TSpeedBtnPlus(QWidget* parent) : QWidget(parent), Transparent(128, 128, 0) {
    ++LiveButtons;
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(25, 25);
}

TSpeedBtnPlus::~TSpeedBtnPlus() {
    if (--LiveButtons == 0) {
        delete SharedPattern;
        SharedPattern = nullptr;
    }
}

void TSpeedBtnPlus::SetAllowAllUp(bool allow) {
    if (allow == AllowAllUpValue)
        return;
    AllowAllUpValue = allow;
    SendGroupNotice();
}

void TSpeedBtnPlus::SetGroupIndex(int group) {
    if (group == GroupIndexValue)
        return;
    GroupIndexValue = group;
    SendGroupNotice();
}

void TSpeedBtnPlus::SetDown(bool down) {
    if (GroupIndexValue == 0)
        down = false;
    if (down == DownValue)
        return;
    State = TButtonDrawState::Latched;
    if (DownValue && !AllowAllUpValue) {
        // A refused release: the button stays down and looks latched.
        update();
        return;
    }
    DownValue = down;
    State = down ? TButtonDrawState::Latched : TButtonDrawState::Up;
    update();
    if (down)
        SendGroupNotice();
}

void TSpeedBtnPlus::SendGroupNotice() {
    if (GroupIndexValue == 0 || !parentWidget())
        return;
    const QObjectList siblings = parentWidget()->children();
    for (QObject* child : siblings)
        if (auto* button = qobject_cast<TSpeedBtnPlus*>(child))
            button->ReceiveGroupNotice(GroupIndexValue, this);
}

void TSpeedBtnPlus::ReceiveGroupNotice(int group, TSpeedBtnPlus* sender) {
    if (sender == this || group != GroupIndexValue)
        return;
    if (sender->Down() && DownValue) {
        DownValue = false;
        State = TButtonDrawState::Up;
        update();
    }
    AllowAllUpValue = sender->AllowAllUp();
}

void TSpeedBtnPlus::SetCaption(const QString& caption) {
    if (caption == CaptionText)
        return;
    CaptionText = caption;
    UpdateAccelerator();
    update();
}

void TSpeedBtnPlus::UpdateAccelerator() {
    delete Accelerator;
    Accelerator = nullptr;
    const QKeySequence key = QKeySequence::mnemonic(CaptionText);
    if (key.isEmpty())
        return;
    // A window shortcut: Qt leaves it to the default handling while the
    // button is disabled or hidden.
    Accelerator = new QShortcut(key, this);
    Accelerator->setContext(Qt::WindowShortcut);
    Accelerator->setAutoRepeat(false);
    connect(Accelerator, &QShortcut::activated, this, [this] {
        if (isEnabled())
            Click();
    });
}

void TSpeedBtnPlus::SetGlyph(const QPixmap& glyph) {
    GlyphBitmap = glyph;
    if (glyph.isNull()) {
        Transparent = QColor(128, 128, 0);
    } else {
        const QImage image = glyph.toImage();
        Transparent = QColor(image.pixel(0, image.height() - 1));
        if (glyph.height() > 0 && glyph.width() % glyph.height() == 0) {
            const int count = glyph.width() / glyph.height();
            if (count >= 1)
                NumGlyphsValue = count <= 4 ? count : 1;
        }
    }
    DiscardGlyphImages();
    update();
}

void TSpeedBtnPlus::SetLayout(TButtonLayout layout) {
    if (layout == LayoutValue)
        return;
    LayoutValue = layout;
    update();
}

bool TSpeedBtnPlus::SetMargin(int margin) {
    if (margin < -1)
        return false;
    if (margin != MarginValue) {
        MarginValue = margin;
        update();
    }
    return true;
}

void TSpeedBtnPlus::SetNumGlyphs(int count) {
    count = qBound(1, count, 4);
    if (count == NumGlyphsValue)
        return;
    NumGlyphsValue = count;
    DiscardGlyphImages();
    update();
}

void TSpeedBtnPlus::SetSpacing(int spacing) {
    if (spacing == SpacingValue)
        return;
    SpacingValue = spacing;
    update();
}

void TSpeedBtnPlus::SetStyle(TButtonStyle style) {
    if (style == StyleValue)
        return;
    StyleValue = style;
    update();
}

bool TSpeedBtnPlus::ParentFont() const {
    return !testAttribute(Qt::WA_SetFont);
}

void TSpeedBtnPlus::SetParentFont(bool inherit) {
    if (inherit) {
        setFont(QFont());
        return;
    }
    QFont own = font();
    own.setResolveMask(QFont::AllPropertiesResolved);
    setFont(own);
}

void TSpeedBtnPlus::SetShowHint(bool show) {
    ShowHintValue = show;
    ParentShowHintValue = false;
}

void TSpeedBtnPlus::SetParentShowHint(bool inherit) {
    ParentShowHintValue = inherit;
    if (inherit)
        ShowHintValue = true;
}

void TSpeedBtnPlus::Click() {
    emit OnClick();
}

// --- mouse -----------------------------------------------------------------

void TSpeedBtnPlus::HandlePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    if (!DownValue || AllowAllUpValue) {
        State = TButtonDrawState::Pressed;
        repaint();
    }
    Dragging = true;
}

void TSpeedBtnPlus::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    HandlePress(event);
}

void TSpeedBtnPlus::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    HandlePress(event);
    if (event->button() == Qt::LeftButton && DownValue)
        emit OnDblClick();
}

void TSpeedBtnPlus::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
    if (!Dragging)
        return;
    const bool inside = rect().contains(at);
    TButtonDrawState next;
    if (inside)
        next =
            DownValue && !AllowAllUpValue ? TButtonDrawState::Latched : TButtonDrawState::Pressed;
    else
        next = DownValue ? TButtonDrawState::Latched : TButtonDrawState::Up;
    if (next != State) {
        State = next;
        repaint();
    }
}

void TSpeedBtnPlus::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (!Dragging || event->button() != Qt::LeftButton)
        return;
    Dragging = false;
    const bool inside = rect().contains(at);
    State = TButtonDrawState::Up;
    if (GroupIndexValue == 0) {
        repaint();
    } else if (inside) {
        SetDown(!DownValue);
    } else {
        if (DownValue)
            State = TButtonDrawState::Latched;
        repaint();
    }
    if (inside)
        Click();
}

// --- changes ---------------------------------------------------------------

void TSpeedBtnPlus::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::PaletteChange:
        DiscardGlyphImages();
        update();
        break;
    case QEvent::EnabledChange:
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

bool TSpeedBtnPlus::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !ParentShowHintValue && !ShowHintValue) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

// --- painting --------------------------------------------------------------

void TSpeedBtnPlus::DiscardGlyphImages() {
    for (QPixmap& image : GlyphImages)
        image = QPixmap();
}

QSize TSpeedBtnPlus::GlyphSize() const {
    if (GlyphBitmap.isNull())
        return QSize(0, 0);
    return QSize(GlyphBitmap.width() / NumGlyphsValue, GlyphBitmap.height());
}

QSize TSpeedBtnPlus::CaptionSize() const {
    if (CaptionText.isEmpty())
        return QSize(0, 0);
    const QFontMetrics metrics(font());
    const int width = metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, CaptionText).width();
    return QSize(width, metrics.height() + metrics.leading());
}

QPixmap TSpeedBtnPlus::GlyphImage(TButtonDrawState state) {
    const int index = ImageIndex(state);
    QPixmap& cached = GlyphImages[index];
    if (!cached.isNull() || GlyphBitmap.isNull())
        return cached;
    const QSize size = GlyphSize();
    if (size.isEmpty())
        return cached;
    const QImage all = WithTransparency(GlyphBitmap, Transparent);
    if (index < NumGlyphsValue) {
        cached = QPixmap::fromImage(all.copy(index * size.width(), 0, size.width(), size.height()));
    } else {
        const QImage up = all.copy(0, 0, size.width(), size.height());
        if (state == TButtonDrawState::Disabled && NumGlyphsValue == 1) {
            const FaceColours colours(palette());
            cached = QPixmap::fromImage(Embossed(up, colours.Light, colours.Dark));
        } else {
            cached = QPixmap::fromImage(up);
        }
    }
    return cached;
}

void TSpeedBtnPlus::PaintFace(QPainter& p, bool down) const {
    const FaceColours c(palette());
    QRect r = rect();
    if (StyleValue == bsWin31) {
        p.fillRect(r, c.Face);
        DrawFramePair(p, r, c.Frame, c.Frame);
        if (down) {
            p.fillRect(r.left(), r.top(), r.width(), 1, c.Dark);
            p.fillRect(r.left(), r.top(), 1, r.height(), c.Dark);
        } else {
            for (int i = 0; i < BevelWidth(bsWin31); ++i)
                DrawFramePair(p, r, c.Light, c.Dark);
        }
        return;
    }
    p.fillRect(r, c.Face);
    switch (StyleValue) {
    case bsAutoDetect: // every supported system has the new look
    case bsWin95:
        if (down) {
            DrawFramePair(p, r, c.Frame, c.Light);
            DrawFramePair(p, r, c.Dark, c.Face);
        } else {
            DrawFramePair(p, r, c.Light, c.Frame);
            DrawFramePair(p, r, c.Face, c.Dark);
        }
        break;
    case bsNew:
        if (down) {
            DrawFramePair(p, r, c.Dark, c.Light);
            DrawFramePair(p, r, c.Frame, c.Dark);
        } else {
            DrawFramePair(p, r, c.Dark, c.Frame);
            DrawFramePair(p, r, c.Light, c.Dark);
        }
        break;
    case bsFrame:
        DrawFramePair(p, r, c.Frame, c.Frame);
        if (down)
            DrawFramePair(p, r, c.Dark, c.Face);
        else
            DrawFramePair(p, r, c.Light, c.Dark);
        break;
    case bsNoBorder:
        if (down)
            DrawFramePair(p, r, c.Frame, c.Dark);
        else
            DrawFramePair(p, r, c.Light, c.Dark);
        break;
    case bsForSunken:
        if (down) {
            DrawFramePair(p, r, c.Frame, c.Dark);
            DrawFramePair(p, r, c.Face, c.Face);
        } else {
            DrawFramePair(p, r, c.Face, c.Frame);
            DrawFramePair(p, r, c.Light, c.Dark);
        }
        break;
    case bsWin31:
        break;
    }
}

void TSpeedBtnPlus::PaintCaption(QPainter& p, const QRect& rect) {
    if (CaptionText.isEmpty())
        return;
    const FaceColours c(palette());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    p.setFont(font());
    p.setBackgroundMode(Qt::TransparentMode);
    if (State == TButtonDrawState::Disabled) {
        p.setPen(c.Light);
        p.drawText(rect.translated(1, 1), flags, CaptionText);
        p.setPen(c.Dark);
        p.drawText(rect, flags, CaptionText);
    } else {
        p.setPen(c.Text);
        p.drawText(rect, flags, CaptionText);
    }
}

void TSpeedBtnPlus::paintEvent(QPaintEvent*) {
    const bool faceDown = State == TButtonDrawState::Pressed ||
                          State == TButtonDrawState::Latched ||
                          (State == TButtonDrawState::Disabled && DownValue);
    if (!isEnabled()) {
        State = TButtonDrawState::Disabled;
        Dragging = false;
    } else if (State == TButtonDrawState::Disabled) {
        State = faceDown ? TButtonDrawState::Latched : TButtonDrawState::Up;
    }

    QPainter p(this);
    PaintFace(p, faceDown);

    const int bevel = BevelWidth(StyleValue);
    QRect paintRect = rect().adjusted(bevel, bevel, -bevel, -bevel);
    if (faceDown)
        paintRect.translate(1, 1);

    if (State == TButtonDrawState::Latched) {
        const FaceColours c(palette());
        const QBrush brush = IsWhite(c.Light) ? QBrush(LatchedPattern(c.Face)) : QBrush(c.Light);
        const QRect fill(paintRect.left(), paintRect.top(), paintRect.width() - 2,
                         paintRect.height() - 2);
        if (fill.isValid())
            p.fillRect(fill, brush);
    }

    const TGlyphCaptionLayout placed = LayoutGlyphAndCaption(
        paintRect.size(), GlyphSize(), CaptionSize(), LayoutValue, MarginValue, SpacingValue);
    const QPixmap image = GlyphImage(State);
    if (!image.isNull())
        p.drawPixmap(paintRect.topLeft() + placed.GlyphPos, image);
    PaintCaption(p, placed.CaptionRect.translated(paintRect.topLeft()));
}

} // namespace qm
