// TExplorerButton: a flat button with a bitmap and a caption, bevelled only under the mouse, with a grey-shaded bitmap away from it, a drop-down menu and radio-like groups.
#include "components/explbtn.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <algorithm>

#include "platform/Controls.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Menus.h"
#include "platform/Win1252Qt.h"

namespace {

// Above A white, above B clBtnHighlight, above C clBtnShadow, else black.
struct TShadeLimits {
    int A, B, C;
};
constexpr TShadeLimits kLimits[] = {
    {205, 127, 68},  // stLight
    {553, 231, 57},  // stMedium
    {335, 274, 175}, // stDark
};

// The room the drop-down mark takes beside the bitmap or the caption.
constexpr int kMarkRoom = 10;
// The gap between bitmap and caption, and the margin kept from the sides.
constexpr int kGap = 2;
constexpr int kMargin = 3;

QRgb rgbOf(TColor color)
{
    const uint32_t c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The bitmap's shape (every pixel unlike pixel (0, 0)) in one colour on the transparent rest.
QImage shapeIn(const QImage& bitmap, TColor color)
{
    QImage shape(bitmap.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    const QRgb key = bitmap.pixel(0, 0) & 0xFFFFFF;
    const QRgb ink = rgbOf(color);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if ((bitmap.pixel(x, y) & 0xFFFFFF) != key)
                shape.setPixel(x, y, ink);
    return shape;
}

// The small triangle: 7, 5, 3 and 1 pixels, its top row starting at (x, y).
void drawArrow(QPainter& canvas, int x, int y, const QColor& color)
{
    for (int row = 0; row < 4; ++row)
        canvas.fillRect(x + row, y + row, 7 - 2 * row, 1, color);
}

int alignedLeft(TAlignment alignment, int room, int width)
{
    switch (alignment) {
    case taLeftJustify: return kMargin;
    case taRightJustify: return room - width - kMargin;
    default: return (room - width) / 2;
    }
}

} // namespace

TColor ShadeOfSum(int sum, TExplorerButtonShadingType shading)
{
    const TShadeLimits& limits = kLimits[std::clamp(static_cast<int>(shading), 0, 2)];
    if (sum > limits.A)
        return clWhite;
    if (sum > limits.B)
        return static_cast<TColor>(clBtnHighlight);
    if (sum > limits.C)
        return static_cast<TColor>(clBtnShadow);
    return clBlack;
}

QImage ShadedBitmap(const QImage& bitmap, TExplorerButtonShadingType shading)
{
    if (bitmap.isNull())
        return {};
    QImage shaded = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = shaded.pixel(0, 0);
    const QRgb shades[] = {rgbOf(clWhite), rgbOf(static_cast<TColor>(clBtnHighlight)),
                           rgbOf(static_cast<TColor>(clBtnShadow)), rgbOf(clBlack)};
    const TColor order[] = {clWhite, static_cast<TColor>(clBtnHighlight), static_cast<TColor>(clBtnShadow), clBlack};
    for (int y = 0; y < shaded.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shaded.scanLine(y));
        for (int x = 0; x < shaded.width(); ++x) {
            if (line[x] == key)
                continue;
            const TColor shade = ShadeOfSum(qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]), shading);
            line[x] = shades[std::find(std::begin(order), std::end(order), shade) - std::begin(order)];
        }
    }
    return shaded;
}

std::string CaptionWithoutAccelerator(const std::string& caption)
{
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == '&')
            continue;
        text += caption[i];
    }
    return text;
}

// ---------------------------------------------------------------- the button

TExplorerButton::TExplorerButton(QWidget* parent) : QWidget(parent)
{
    resize(50, 40);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

TExplorerButton::~TExplorerButton()
{
    QObject::disconnect(FMenuDestroyed);
}

template <class Visit>
void TExplorerButton::forGroup(Visit visit)
{
    if (FGroupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children())
        if (auto* other = dynamic_cast<TExplorerButton*>(child); other && other != this && other->FGroupIndex == FGroupIndex)
            visit(*other);
}

void TExplorerButton::SetAlignment(TAlignment value)
{
    FAlignment = value;
    update();
}

void TExplorerButton::SetAllowAllUp(bool value)
{
    FAllowAllUp = value;
    forGroup([value](TExplorerButton& other) { other.FAllowAllUp = value; });
}

void TExplorerButton::SetBevelStyle(TExplorerBevelStyle value)
{
    FBevelStyle = value;
    update();
}

void TExplorerButton::rebuildShade()
{
    FShadedBitmap = FNoFocusBitmap.isNull() ? ::ShadedBitmap(FBitmap, FShadingType) : QImage();
}

void TExplorerButton::Loaded()
{
    rebuildShade();
}

void TExplorerButton::SetBitmap(const QImage& value)
{
    FBitmap = value;
    rebuildShade();
    update();
}

void TExplorerButton::SetNoFocusBitmap(const QImage& value)
{
    FNoFocusBitmap = value;
    rebuildShade();
    update();
}

void TExplorerButton::SetDisabledBitmap(const QImage& value)
{
    FDisabledBitmap = value;
    if (!isEnabled())
        update();
}

void TExplorerButton::SetShadingType(TExplorerButtonShadingType value)
{
    FShadingType = value;
    rebuildShade();
    update();
}

void TExplorerButton::SetCaption(const std::string& value)
{
    FCaption = value;
    grabAccelerator();
    if (FOptions & boIconOnly)
        applyHint();
    else
        update();
}

void TExplorerButton::grabAccelerator()
{
    FShortcutId = GrabAccelerator(this, FShortcutId, FCaption);
}

void TExplorerButton::applyHint()
{
    SetHint(CaptionWithoutAccelerator(FCaption));
    SetShowHint(true);
}

void TExplorerButton::SetOptions(TExplorerButtonOptions value)
{
    const bool iconOnly = (value & boIconOnly) != 0;
    const bool wasIconOnly = (FOptions & boIconOnly) != 0;
    FOptions = value;
    if (iconOnly) {
        applyHint();
    } else if (wasIconOnly) {
        if (FHint == CaptionWithoutAccelerator(FCaption))
            SetHint("");
        SetShowHint(false);
    }
    update();
}

void TExplorerButton::SetGroupIndex(int value)
{
    FGroupIndex = value;
    if (value == 0 && FDown) {
        FDown = false;
        update();
    }
}

void TExplorerButton::SetDown(bool value)
{
    if (FGroupIndex == 0 || value == FDown)
        return;
    FDown = value;
    if (value)
        forGroup([](TExplorerButton& other) {
            if (other.FDown) {
                other.FDown = false;
                other.update();
            }
        });
    update();
}

void TExplorerButton::SetDropDownMenu(TPopupMenu* value)
{
    if (value == FDropDownMenu)
        return;
    QObject::disconnect(FMenuDestroyed);
    FDropDownMenu = value;
    if (value)
        FMenuDestroyed = QObject::connect(value, &QObject::destroyed, this, [this] { FDropDownMenu = nullptr; update(); });
    if (FOptions & boPopupMark)
        update();
}

void TExplorerButton::SetLayout(TExplorerButtonLayout value)
{
    FLayout = value;
    update();
}

void TExplorerButton::SetUnselectedFontColor(TColor value)
{
    FUnselectedFontColor = value;
    update();
}

void TExplorerButton::SetFontColor(TColor value)
{
    FFontColor = value;
    update();
}

void TExplorerButton::SetHint(const std::string& value)
{
    FHint = value;
    setToolTip(FShowHint ? FromEditorText(FHint) : QString());
}

void TExplorerButton::SetShowHint(bool value)
{
    FShowHint = value;
    setToolTip(FShowHint ? FromEditorText(FHint) : QString());
}

// ---------------------------------------------------------------- painting

void TExplorerButton::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    Paint(canvas);
}

void TExplorerButton::Paint(QPainter& canvas)
{
    const int w = width();
    const int h = height();
    const bool enabled = isEnabled();
    const bool sunken = FDown || (enabled && FPushed && FMouseIn);
    const bool hot = enabled && FMouseIn && !sunken;
    const bool mark = (FOptions & boPopupMark) && FDropDownMenu;
    const TColor highlight = static_cast<TColor>(clBtnHighlight);
    const TColor shadow = static_cast<TColor>(clBtnShadow);

    QRect frame = rect();
    if (sunken)
        Frame3D(canvas, frame, shadow, highlight);
    else if (hot)
        Frame3D(canvas, frame, FBevelStyle == bsRaised ? highlight : shadow,
                FBevelStyle == bsRaised ? shadow : highlight);

    // The bitmap of the state.
    QImage bitmap = FBitmap;
    if (enabled && !sunken && !hot && (FOptions & boMonoDisplay))
        bitmap = FNoFocusBitmap.isNull() ? FShadedBitmap : FNoFocusBitmap;
    const bool embossed = !enabled && FDisabledBitmap.isNull() && !bitmap.isNull();
    if (!enabled && !FDisabledBitmap.isNull())
        bitmap = FDisabledBitmap;
    const bool hasBitmap = !bitmap.isNull();

    // Sizes: the caption limited to the room the layout leaves it.
    const std::string text = (FOptions & boIconOnly) ? std::string() : FCaption;
    const QFontMetrics metrics(font());
    const QString shown = FromEditorText(CaptionWithoutAccelerator(text));
    int textW = text.empty() ? 0 : metrics.horizontalAdvance(shown);
    const int textH = text.empty() ? 0 : metrics.height();
    const int gap = !text.empty() && hasBitmap ? kGap : 0;
    const int bmpW = hasBitmap ? bitmap.width() + (mark ? kMarkRoom : 0) : 0;
    const int bmpH = hasBitmap ? bitmap.height() : 0;
    int limit = w - 4;
    if (!hasBitmap && mark)
        limit = w - 4 - kMarkRoom;
    if (FLayout == blBitmapLeft || FLayout == blBitmapRight)
        limit = w - 4 - bmpW - gap;
    textW = std::max(0, std::min(textW, limit));
    const int textBlockW = textW + (!hasBitmap && mark ? kMarkRoom : 0);

    QPoint bmpAt, textAt;
    if (FLayout == blBitmapTop || FLayout == blBitmapBottom) {
        const int top = (h - (bmpH + gap + textH)) / 2;
        const bool bitmapFirst = FLayout == blBitmapTop;
        bmpAt = {alignedLeft(FAlignment, w, bmpW), bitmapFirst ? top : top + textH + gap};
        textAt = {alignedLeft(FAlignment, w, textBlockW), bitmapFirst ? top + bmpH + gap : top};
    } else {
        const int row = bmpW + gap + textBlockW;
        const int left = alignedLeft(FAlignment, w, row);
        const bool bitmapFirst = FLayout == blBitmapLeft;
        bmpAt = {bitmapFirst ? left : left + textBlockW + gap, (h - bmpH) / 2};
        textAt = {bitmapFirst ? left + bmpW + gap : left, (h - textH) / 2};
    }
    const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
    bmpAt += shift;
    textAt += shift;
    if (hot && FBevelStyle == bsLowered)
        textAt += QPoint(1, 1);

    if (hasBitmap) {
        if (embossed) {
            canvas.drawImage(bmpAt + QPoint(1, 1), shapeIn(bitmap, highlight));
            canvas.drawImage(bmpAt, shapeIn(bitmap, shadow));
        } else {
            DrawTransparent(canvas, bmpAt.x(), bmpAt.y(), bitmap, bitmap.pixel(0, 0));
        }
    }

    const TColor fontColor = (hot || sunken) ? FFontColor : FUnselectedFontColor;
    FCaptionRect = QRect();
    if (!text.empty()) {
        const TPainterSave saved(canvas);
        canvas.setFont(font());
        FCaptionRect = QRect(textAt, QSize(textW, textH));
        // A caption wider than its room ends in an ellipsis; the accelerator's mark goes with it.
        const bool fits = metrics.horizontalAdvance(shown) <= textW;
        const std::string drawn = fits ? text : ToEditorText(metrics.elidedText(shown, Qt::ElideRight, textW));
        const unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (fits ? 0u : DT_NOPREFIX);
        auto drawAt = [&](QPoint at, TColor color) {
            canvas.setPen(ToQColor(color));
            TRect r{at.x(), at.y(), at.x() + textW, at.y() + textH};
            DrawText(canvas, drawn, r, format);
        };
        if (!enabled) {
            drawAt(textAt + QPoint(1, 1), highlight);
            drawAt(textAt, shadow);
        } else {
            drawAt(textAt, fontColor);
        }
    }

    if (mark) {
        const QColor arrow = ToQColor(enabled ? fontColor : shadow);
        if (hasBitmap)
            drawArrow(canvas, bmpAt.x() + bitmap.width() + kMargin, bmpAt.y() + bmpH / 2 - 2, arrow);
        else
            drawArrow(canvas, textAt.x() + textW + kMargin, textAt.y() + textH / 2 - 2, arrow);
    }
}

// ---------------------------------------------------------------- mouse

void TExplorerButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (!FMouseIn && isEnabled() && window()->isActiveWindow()) {
        FMouseIn = true;
        if (!FDown)
            update();
    }
}

void TExplorerButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (FMouseIn && !FPushed) {
        FMouseIn = false;
        update();
    }
}

void TExplorerButton::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool inside = at.x() >= 0 && at.x() <= width() && at.y() >= 0 && at.y() <= height();
    if (inside && !FMouseIn && isEnabled() && window()->isActiveWindow()) {
        FMouseIn = true;
        if (!FDown)
            update();
    } else if (!inside && FMouseIn) {
        FMouseIn = false;
        update();
    }
}

void TExplorerButton::press()
{
    if (!isEnabled() || !isVisible())
        return;
    FPushed = true;
    FMouseIn = true;
    repaint();
    if (FDropDownMenu) {
        const QPoint screen = mapToGlobal(QPoint(0, height()));
        FDropDownMenu->SetPopupComponent(this);
        FDropDownMenu->Popup(screen.x(), screen.y());
        FPushed = false;
        FMouseIn = false;
        update();
    }
}

void TExplorerButton::release()
{
    if (!FPushed)
        return;
    FPushed = false;
    if (FMouseIn && FGroupIndex != 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    if (FMouseIn) {
        FMouseIn = false;
        repaint();
        if (!FDropDownMenu && OnClick)
            OnClick(this);
    }
}

void TExplorerButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        CallHandler(this, [this] { press(); });
    event->accept();
}

void TExplorerButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    // A release away from the button is no click.
    const QPoint at = event->position().toPoint();
    if (at.x() < 0 || at.x() > width() || at.y() < 0 || at.y() > height())
        FMouseIn = false;
    CallHandler(this, [this] { release(); });
}

bool TExplorerButton::Accelerator()
{
    if (!isEnabled() || !isVisible())
        return false;
    press();
    QCoreApplication::processEvents();
    release();
    FMouseIn = rect().contains(mapFromGlobal(QCursor::pos()));
    update();
    return true;
}

void TExplorerButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (FGroupIndex == 0)
            FDown = false;
        FPushed = false;
        FMouseIn = false;
        update();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
}

bool TExplorerButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == FShortcutId &&
        FShortcutId != 0) {
        CallHandler(this, [this] { Accelerator(); });
        return true;
    }
    return QWidget::event(event);
}
