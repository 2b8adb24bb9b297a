// The editor control's painting: the back buffer, the plain painter of the default style, the caret.
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "editor/CodeMemo.h"
#include "platform/FontsQt.h"
#include "platform/Win1252.h"

namespace {

QColor toQColor(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// Width of the caret in insert mode, in pixels.
constexpr int kCaretWidth = 2;

} // namespace

void TCustomCodeMemo::Invalidate()
{
    FBufferStale = true;
    update();
}

void TCustomCodeMemo::Paint()
{
    if (!FWindowCreated || FPaintSuspended || !FRedraw || FPrinting || FLoading || FDestroying || !isVisible())
        return;
    QSize size(std::max(1, FClientWidth), std::max(1, FClientHeight));
    if (FBackBuffer.size() != size) {
        FBackBuffer = QImage(size, QImage::Format_RGB32);
        FFullRepaint = true;
    }
    if (FMetricsStale) {
        UpdateMetrics();
        FFullRepaint = true;
    }
    {
        QPainter canvas(&FBackBuffer);
        PaintClientArea(canvas, TRect{0, 0, size.width(), size.height()});
        if (FShowFocusLine)
            DrawFocusLine(canvas);
    }
    FBufferStale = false;

    if (!hasFocus()) {
        destroyCaret();
    } else {
        TPoint point = PointFromOffset(FCaret);
        if (CaretAfterEOLActive() && FCaretBeyondEOL)
            point.X = TextLeft() + (FWantedColumn - FLeftColumn) * FCharWidth;
        if (point.Y >= 0 && point.Y < FClientHeight && point.X >= TextLeft() && point.X <= FClientWidth) {
            int width = kCaretWidth;
            if (!FInsertMode && (FSettings->Options & OptionBit(smoBlockOverwriteCursor))) {
                width = FCharWidth;
                int line = 0, start = 0;
                TLineRecord* record = LocateOffset(FCaret, line, start);
                if (record && FCaret - start < record->Len && record->Text[FCaret - start] != '\r')
                    width = QFontMetrics(font()).horizontalAdvance(
                        FromWin1252(std::string_view(record->Text.get() + (FCaret - start), 1)));
            }
            createCaret(QRect(point.X, point.Y, std::max(1, width), FLineHeight));
        } else {
            destroyCaret();
        }
    }
    UpdateScrollBars();
    // Inside Qt's paint event the buffer is about to be shown anyway.
    if (!FInQtPaint)
        update(clientRect());
}

void TCustomCodeMemo::PaintClientArea(QPainter& canvas, const TRect& area)
{
    const TSM_TokenStyle& style = FSettings->GetStyle(0);
    QColor text = toQColor(style.Foreground);
    QColor back = toQColor(style.Background);
    if (!isEnabled() && DisabledColors.Enabled) {
        if (DisabledColors.UseTextColor)
            text = toQColor(DisabledColors.TextColor);
        if (DisabledColors.UseBackColor)
            back = toQColor(DisabledColors.BackColor);
    } else if (FReadOnly && ReadOnlyColors.Enabled) {
        if (ReadOnlyColors.UseTextColor)
            text = toQColor(ReadOnlyColors.TextColor);
        if (ReadOnlyColors.UseBackColor)
            back = toQColor(ReadOnlyColors.BackColor);
    }
    QFont face = style.Font ? ToQFont(*style.Font) : font();
    QFontMetrics metrics(face);
    canvas.setFont(face);

    int left = TextLeft();
    int gutter = (FSettings->Options & OptionBit(smoShowGutter)) ? FSettings->Gutter : 0;
    QColor gutterColor = toQColor(FSettings->GutterColor);
    QColor marginColor = toQColor(FSettings->MarginColor);
    auto paintEdges = [&](int top, int height) {
        if (gutter > 0)
            canvas.fillRect(area.Left, top, gutter, height, gutterColor);
        if (left > gutter)
            canvas.fillRect(area.Left + gutter, top, left - gutter, height, marginColor);
    };

    bool full = FFullRepaint;
    FFullRepaint = false;
    if (full) {
        canvas.fillRect(area.Left, area.Top, area.Width(), area.Height(), back);
        paintEdges(area.Top, area.Height());
    }
    SyncTopRecord();
    canvas.setClipRect(area.Left + left, area.Top, std::max(0, area.Width() - left), area.Height());
    int x = area.Left + left - FLeftColumn * FCharWidth;
    int y = area.Top;
    std::string expanded;
    for (TLineRecord* r = FTopRecord; r && y < area.Bottom; r = r->Next, y += FLineHeight) {
        if (!full && !(r->Flags & (lfStylesChanged | lfChanged)))
            continue;
        if (!full) {
            canvas.setClipping(false);
            paintEdges(y, FLineHeight);
            canvas.setClipRect(area.Left + left, area.Top, std::max(0, area.Width() - left), area.Height());
            canvas.fillRect(area.Left + left, y, area.Width() - left, FLineHeight, back);
        }
        int visible = r->Len - (r->EndsWithCR() ? 1 : 0);
        expanded.clear();
        for (int i = 0; i < visible; ++i) {
            char c = r->Text[i];
            if (c == '\t')
                expanded.append(static_cast<size_t>(NextTabColumn(static_cast<int>(expanded.size())) -
                                                    static_cast<int>(expanded.size())),
                                ' ');
            else
                expanded += c;
        }
        canvas.setPen(text);
        canvas.drawText(x, y + metrics.ascent(), FromWin1252(expanded));
        r->Flags &= ~(lfStylesChanged | lfChanged | lfRestart);
    }
    canvas.setClipping(false);
}

// ---------------------------------------------------------------- caret

void TCustomCodeMemo::createCaret(const QRect& rect)
{
    if (FCaretCreated && rect == FCaretRect)
        return;
    QRect old = FCaretRect;
    bool had = FCaretCreated;
    FCaretRect = rect;
    FCaretCreated = true;
    FCaretBlinkOn = true;
    FCaretTimer.start();
    QRect client = clientRect();
    if (had)
        update(old.translated(client.topLeft()));
    update(rect.translated(client.topLeft()));
}

void TCustomCodeMemo::destroyCaret()
{
    if (!FCaretCreated)
        return;
    FCaretCreated = false;
    FCaretTimer.stop();
    update(FCaretRect.translated(clientRect().topLeft()));
}

void TCustomCodeMemo::blinkCaret()
{
    if (!FCaretCreated)
        return;
    FCaretBlinkOn = !FCaretBlinkOn;
    update(FCaretRect.translated(clientRect().topLeft()));
}
