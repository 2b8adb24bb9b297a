// Colours, transparent bitmap copies, frames, edges and text on Qt.
#include "platform/GraphicsQt.h"

#include <QFontMetrics>
#include <algorithm>

#include "platform/Win1252Qt.h"

QColor ToQColor(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

void StretchDrawTransparent(QPainter& canvas, const QRect& target, const QImage& bitmap, const QRect& source,
                            QRgb transparent)
{
    QRect part = source.intersected(bitmap.rect());
    if (bitmap.isNull() || part.isEmpty() || target.isEmpty())
        return;
    const QImage sprite = MaskedImage(bitmap.copy(part), transparent);
    TPainterSave state(canvas);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.drawImage(target, sprite);
}

void DrawTransparent(QPainter& canvas, int x, int y, const QImage& bitmap, QRgb transparent)
{
    StretchDrawTransparent(canvas, QRect(QPoint(x, y), bitmap.size()), bitmap, bitmap.rect(), transparent);
}

QImage MaskedImage(const QImage& bitmap, QRgb key)
{
    QImage sprite = bitmap.convertToFormat(QImage::Format_ARGB32);
    key &= 0xFFFFFF;
    for (int row = 0; row < sprite.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(sprite.scanLine(row));
        for (int col = 0; col < sprite.width(); ++col)
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
    }
    return sprite;
}

void Frame3D(QPainter& canvas, QRect& rect, TColor topLeft, TColor bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor light = ToQColor(topLeft);
    const QColor dark = ToQColor(bottomRight);
    canvas.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), light);
    canvas.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), light);
    canvas.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), dark);
    canvas.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), dark);
    rect.adjust(1, 1, -1, -1);
}

namespace {

struct TEdgeColours {
    TColor TopLeft;
    TColor BottomRight;
};

// The colours of one layer of an edge; false when the layer is not drawn.
bool layerColours(unsigned edge, bool outer, unsigned flags, TEdgeColours& colours)
{
    const unsigned raised = outer ? BDR_RAISEDOUTER : BDR_RAISEDINNER;
    const unsigned sunken = outer ? BDR_SUNKENOUTER : BDR_SUNKENINNER;
    if (!(edge & (raised | sunken)))
        return false;
    if (flags & BF_MONO) {
        const TColor c = static_cast<TColor>(outer ? clWindowFrame : clWindow);
        colours = {c, c};
    } else if (flags & BF_FLAT) {
        const TColor c = static_cast<TColor>(outer ? clBtnShadow : clBtnFace);
        colours = {c, c};
    } else if (edge & raised) {
        // A soft edge puts the brightest light outside, where a raised face catches it first.
        if (flags & BF_SOFT)
            colours = outer ? TEdgeColours{static_cast<TColor>(clBtnHighlight), static_cast<TColor>(cl3DDkShadow)}
                            : TEdgeColours{static_cast<TColor>(cl3DLight), static_cast<TColor>(clBtnShadow)};
        else
            colours = outer ? TEdgeColours{static_cast<TColor>(cl3DLight), static_cast<TColor>(cl3DDkShadow)}
                            : TEdgeColours{static_cast<TColor>(clBtnHighlight), static_cast<TColor>(clBtnShadow)};
    } else {
        colours = outer ? TEdgeColours{static_cast<TColor>(clBtnShadow), static_cast<TColor>(clBtnHighlight)}
                        : TEdgeColours{static_cast<TColor>(cl3DDkShadow), static_cast<TColor>(cl3DLight)};
    }
    return true;
}

} // namespace

bool DrawEdge(QPainter& canvas, QRect& rect, unsigned edge, unsigned flags)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return false;
    QRect inner = rect;
    for (bool outer : {true, false}) {
        TEdgeColours colours{};
        if (!layerColours(edge, outer, flags, colours) || inner.width() <= 0 || inner.height() <= 0)
            continue;
        const QColor light = ToQColor(colours.TopLeft);
        const QColor dark = ToQColor(colours.BottomRight);
        const int right = inner.left() + inner.width() - 1;
        const int bottom = inner.top() + inner.height() - 1;
        // Light sides first: the dark ones own the corners they share with them.
        if (flags & BF_TOP)
            canvas.fillRect(QRect(inner.left(), inner.top(), inner.width(), 1), light);
        if (flags & BF_LEFT)
            canvas.fillRect(QRect(inner.left(), inner.top(), 1, inner.height()), light);
        if (flags & BF_BOTTOM)
            canvas.fillRect(QRect(inner.left(), bottom, inner.width(), 1), dark);
        if (flags & BF_RIGHT)
            canvas.fillRect(QRect(right, inner.top(), 1, inner.height()), dark);
        inner.adjust(flags & BF_LEFT ? 1 : 0, flags & BF_TOP ? 1 : 0, flags & BF_RIGHT ? -1 : 0,
                     flags & BF_BOTTOM ? -1 : 0);
    }
    if ((flags & BF_MIDDLE) && inner.width() > 0 && inner.height() > 0)
        canvas.fillRect(inner, ToQColor(static_cast<TColor>(flags & BF_MONO ? clWindow : clBtnFace)));
    if (flags & BF_ADJUST)
        rect = inner;
    return true;
}

int DrawText(QPainter& canvas, const std::string& text, TRect& rect, unsigned format)
{
    std::string lines = text;
    // CR LF is one break; a lone CR is one too.
    for (size_t at = lines.find('\r'); at != std::string::npos; at = lines.find('\r', at)) {
        if (at + 1 < lines.size() && lines[at + 1] == '\n')
            lines.erase(at, 1);
        else
            lines[at++] = '\n';
    }
    if (format & DT_SINGLELINE)
        std::replace(lines.begin(), lines.end(), '\n', ' ');
    int flags = format & DT_CENTER ? Qt::AlignHCenter : format & DT_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
    flags |= format & DT_VCENTER ? Qt::AlignVCenter : format & DT_BOTTOM ? Qt::AlignBottom : Qt::AlignTop;
    if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    flags |= format & DT_NOPREFIX ? 0 : Qt::TextShowMnemonic;
    const QString shown = FromEditorText(lines);
    const QFontMetrics metrics(canvas.font());
    if (format & DT_CALCRECT) {
        // Without word breaks the width is the text's own; the height is never limited.
        const int width = format & DT_WORDBREAK ? std::max(rect.Width(), 0) : 1 << 20;
        const QRect bounds = shown.isEmpty() ? QRect(0, 0, 0, metrics.height())
                                             : metrics.boundingRect(QRect(0, 0, width, 1 << 20),
                                                                    (flags & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft | Qt::AlignTop,
                                                                    shown);
        rect.Right = rect.Left + bounds.width();
        rect.Bottom = rect.Top + bounds.height();
        return bounds.height();
    }
    const QRect target(rect.Left, rect.Top, rect.Width(), rect.Height());
    QRect drawn;
    if (format & DT_NOCLIP) {
        canvas.drawText(target, flags, shown, &drawn);
    } else {
        TPainterSave state(canvas);
        canvas.setClipRect(target, Qt::IntersectClip);
        canvas.drawText(target, flags, shown, &drawn);
    }
    return drawn.height();
}
