// The drawing and message routines of VCLUtils, on Qt: transparent and embossed bitmaps, cell text, the parent's image, frames on the screen, shortened captions.
#include "components/VCLUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPointer>
#include <QWidget>
#include <map>
#include <tuple>

#include "components/core/MaxMin.h"
#include "components/core/StrUtils.h"
#include "platform/core/Exception.h"
#include "platform/GraphicsQt.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kNotImplemented = 65300;

QRgb rgbOf(TColor color)
{
    return ToQColor(color).rgb();
}

QRect toQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, WidthOf(r), HeightOf(r));
}

// Paints the pixels for which `dark` holds in the shadow colour, first (when asked) in the highlight
// colour one pixel right and down, so that the shape looks pressed into the surface.
template <class IsDark>
void emboss(QImage& target, IsDark dark, QRgb highlight, QRgb shadow, bool drawHighlight)
{
    const int w = target.width(), h = target.height();
    if (drawHighlight)
        for (int y = 0; y + 1 < h; ++y)
            for (int x = 0; x + 1 < w; ++x)
                if (dark(x, y))
                    target.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dark(x, y))
                target.setPixel(x, y, shadow);
}

// The frames of DrawInvertFrame: a window above all others that shows only its dotted edges.
class TInvertFrame : public QWidget {
public:
    TInvertFrame(const QRect& screenRect, int width)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput),
          FWidth(width)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(screenRect);
        // Only the frames belong to the window, so the pointer and the eye pass through its inside.
        QRect inner = rect().adjusted(width, width, -width, -width);
        setMask(QRegion(rect()).subtracted(inner.isValid() ? QRegion(inner) : QRegion()));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        // Alternate black and white pixels, as a focus rectangle shows on any background.
        for (int i = 0; i < FWidth; ++i) {
            QRect r = rect().adjusted(i, i, -i - 1, -i - 1);
            if (r.width() < 0 || r.height() < 0)
                break;
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBackground(Qt::white);
            p.setBackgroundMode(Qt::OpaqueMode);
            p.drawRect(r);
        }
    }

private:
    int FWidth;
};

using TFrameKey = std::tuple<int, int, int, int, int>;

std::map<TFrameKey, QPointer<TInvertFrame>>& shownFrames()
{
    static std::map<TFrameKey, QPointer<TInvertFrame>> frames;
    return frames;
}

} // namespace

// ---------------------------------------------------------------- geometry, colours, messages and texts

bool PointInRect(const TPoint& p, const TRect& r)
{
    return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
}

TColor PaletteColor(TColor color)
{
    return static_cast<TColor>(ColorToRGB(color) | 0x02000000u);
}

std::string ResStr(const std::string& text)
{
    return text;
}

void DrawInvertFrame(const TRect& screenRect, int width)
{
    if (width <= 0)
        return;
    auto& frames = shownFrames();
    TFrameKey key{screenRect.Left, screenRect.Top, screenRect.Right, screenRect.Bottom, width};
    auto it = frames.find(key);
    if (it != frames.end()) {
        delete it->second.data();
        frames.erase(it);
        return;
    }
    auto* frame = new TInvertFrame(toQRect(screenRect), width);
    frames[key] = frame;
    frame->show();
}

void NotImplemented()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    MessageBox(nullptr, LoadResString(kNotImplemented), {}, MB_OK | MB_ICONINFORMATION);
    Abort();
}

bool IsForegroundTask() { return QApplication::activeWindow() != nullptr; }

std::string MinimizeText(const std::string& text, const QFont& font, int maxWidth)
{
    return ToEditorText(MinimizeQString(FromEditorText(text), font, maxWidth));
}

QString MinimizeQString(const QString& text, const QFont& font, int maxWidth)
{
    QFontMetrics metrics(font);
    auto fits = [&](const QString& s) { return metrics.horizontalAdvance(s) <= maxWidth; };
    if (fits(text))
        return text;
    for (qsizetype keep = text.size() > 2 ? text.size() - 2 : 0; keep > 0; --keep) {
        // A character outside the basic plane is kept or cut whole.
        if (text[keep - 1].isHighSurrogate())
            continue;
        QString candidate = text.left(keep) + QStringLiteral("...");
        if (fits(candidate))
            return candidate;
    }
    return QStringLiteral("...");
}

// ---------------------------------------------------------------- drawing

void CopyParentImage(QWidget* control, QPainter& canvas)
{
    if (!control || !control->parentWidget())
        return;
    QWidget* parent = control->parentWidget();
    const QRect self = control->geometry();
    // What the parent paints of itself under the control, without its children.
    QRect under = self.intersected(parent->rect());
    if (!under.isEmpty())
        parent->render(&canvas, under.topLeft() - self.topLeft(), QRegion(under), QWidget::DrawWindowBackground);
    for (QObject* child : parent->children()) {
        if (child == control)
            break;
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling->isWindow() || !sibling->isVisibleTo(parent))
            continue;
        QRect overlap = sibling->geometry().intersected(self);
        if (overlap.isEmpty())
            continue;
        sibling->render(&canvas, overlap.topLeft() - self.topLeft(), QRegion(overlap.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
}

void StretchBltTransparent(QPainter& canvas, int x, int y, int width, int height, const QImage& source, int srcX,
                           int srcY, int srcWidth, int srcHeight, TColor transparent)
{
    StretchDrawTransparent(canvas, QRect(x, y, width, height), source, QRect(srcX, srcY, srcWidth, srcHeight),
                           rgbOf(transparent));
}

void StretchBitmapRectTransparent(QPainter& canvas, int x, int y, int width, int height, const TRect& source,
                                  const QImage& bitmap, TColor transparent)
{
    if (bitmap.isNull())
        return;
    if (width < 1)
        width = bitmap.width();
    if (height < 1)
        height = bitmap.height();
    QRect part = WidthOf(source) <= 0 || HeightOf(source) <= 0 ? bitmap.rect() : toQRect(source);
    QRect target(x, y, width, height);
    if (transparent == clNone) {
        // A plain copy in the canvas's own composition mode; stretching repeats whole pixels.
        TPainterSave state(canvas);
        canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
        canvas.drawImage(target, bitmap, part);
        return;
    }
    QRgb key;
    if (bitmap.depth() == 1)
        key = qRgb(255, 255, 255);
    else if (transparent == clDefault)
        key = bitmap.pixel(0, bitmap.height() - 1);
    else
        key = rgbOf(transparent);
    StretchDrawTransparent(canvas, target, bitmap, part, key);
}

void DrawBitmapRectTransparent(QPainter& canvas, int x, int y, const TRect& source, const QImage& bitmap,
                               TColor transparent)
{
    StretchBitmapRectTransparent(canvas, x, y, WidthOf(source), HeightOf(source), source, bitmap, transparent);
}

QImage CreateDisabledBitmapEx(const QImage& bitmap, TColor maskColor, TColor backColor, TColor highlightColor,
                              TColor shadowColor, bool drawHighlight)
{
    QImage result(bitmap.size(), QImage::Format_RGB32);
    if (result.isNull())
        return result;
    result.fill(ToQColor(backColor));
    const QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb mask = rgbOf(maskColor) & 0xFFFFFF;
    emboss(
        result, [&](int x, int y) { return (source.pixel(x, y) & 0xFFFFFF) != mask; }, rgbOf(highlightColor),
        rgbOf(shadowColor), drawHighlight);
    return result;
}

QImage CreateDisabledBitmap(const QImage& bitmap, TColor maskColor)
{
    return CreateDisabledBitmapEx(bitmap, maskColor, static_cast<TColor>(clBtnFace), static_cast<TColor>(clBtnHighlight),
                                  static_cast<TColor>(clBtnShadow), true);
}

void ImageListDrawDisabled(const QImage& image, QPainter& canvas, int x, int y, TColor highlightColor,
                           TColor shadowColor, bool drawHighlight)
{
    if (image.isNull())
        return;
    QImage embossed(image.size(), QImage::Format_ARGB32);
    embossed.fill(Qt::transparent);
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    emboss(
        embossed, [&](int px, int py) { return qAlpha(source.pixel(px, py)) != 0; }, rgbOf(highlightColor),
        rgbOf(shadowColor), drawHighlight);
    canvas.drawImage(x, y, embossed);
}

QImage CreateTwoColorsBrushPattern(TColor color1, TColor color2)
{
    QImage pattern(8, 8, QImage::Format_RGB32);
    const QRgb first = rgbOf(color1), second = rgbOf(color2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, (x + y) % 2 == 0 ? second : first);
    return pattern;
}

void DrawCellTextEx(QPainter& canvas, const TRect& rect, int leftOffset, bool wordWrap, TAlignment alignment,
                    const std::string& text, int topOffset)
{
    const QRect cell = toQRect(rect);
    TPainterSave state(canvas);
    canvas.setClipRect(cell, Qt::IntersectClip);
    canvas.fillRect(cell, canvas.brush());
    const QFontMetrics metrics = canvas.fontMetrics();
    if (!wordWrap && text.find('\r') == std::string::npos) {
        QString line = FromEditorText(text);
        int textWidth = metrics.horizontalAdvance(line);
        int x = rect.Left + leftOffset;
        if (alignment == taRightJustify)
            x = rect.Right - textWidth - 3;
        else if (alignment == taCenter)
            x = rect.Left + (rect.Right - rect.Left) / 2 - textWidth / 2;
        canvas.drawText(x, rect.Top + topOffset + metrics.ascent(), line);
        return;
    }
    // Laid out in the cell less one pixel at the right and bottom; a carriage return, with or without
    // its line feed, breaks the line.
    std::string lines = ReplaceStr(ReplaceStr(text, "\r\n", "\n"), "\r", "\n");
    int flags = Qt::TextExpandTabs | Qt::AlignTop |
                (alignment == taRightJustify ? Qt::AlignRight : alignment == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    if (wordWrap)
        flags |= Qt::TextWordWrap;
    QRect box(rect.Left + leftOffset, rect.Top + topOffset, WidthOf(rect) - 1 - leftOffset, HeightOf(rect) - 1 - topOffset);
    canvas.drawText(box, flags, FromEditorText(lines));
}

void DrawCellText(QPainter& canvas, const std::string& text, const TRect& rect, TAlignment alignment,
                  TVertAlignment vertAlignment)
{
    const int height = HeightOf(rect);
    const int letterHeight = canvas.fontMetrics().height();
    int topOffset = 2;
    if (vertAlignment == vaCenter)
        topOffset = Max(1, (height - letterHeight) / 2);
    else if (vertAlignment == vaBottomJustify)
        topOffset = Max(2, height - letterHeight);
    DrawCellTextEx(canvas, rect, 2, alignment == taCenter, alignment, text, topOffset);
}
