// The editor control's painting: the back buffer filled by the line painter, and the caret.
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "platform/Win1252Qt.h"

namespace {

// Width of the caret in insert mode, in pixels.
constexpr int kCaretWidth = 2;

} // namespace

void TCustomCodeMemo::Invalidate()
{
    FBufferStale = true;
    update();
}

TScopeGuard TCustomCodeMemo::paintBatchScope()
{
    ++FPaintBatches;
    return TScopeGuard([this] {
        if (--FPaintBatches > 0 || !FPaintWanted)
            return;
        FPaintWanted = false;
        Paint();
    });
}

void TCustomCodeMemo::Paint()
{
    // Qt's own paint event must show the text as it is now, batch or not.
    if (FPaintBatches > 0 && !FInQtPaint) {
        FPaintWanted = true;
        return;
    }
    if (!FWindowCreated || FPaintSuspended || !FRedraw || FPrinting || FLoading || FDestroying || !isVisible())
        return;
    QSize size(std::max(1, FView.ClientWidth), std::max(1, FView.ClientHeight));
    if (FBackBuffer.size() != size) {
        FBackBuffer = QImage(size, QImage::Format_RGB32);
        FFullRepaint = true;
    }
    if (FMetricsStale) {
        UpdateMetrics();
        FFullRepaint = true;
    }
    ColourVisibleRecords();
    ++FPaintsDone;
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
            point.X = TextLeft() + (FWantedColumn - FView.LeftColumn) * FView.CharWidth;
        if (point.Y >= 0 && point.Y < FView.ClientHeight && point.X >= TextLeft() && point.X <= FView.ClientWidth) {
            int width = kCaretWidth;
            if (!FKeys.InsertMode && (FSettings->Options & OptionBit(smoBlockOverwriteCursor))) {
                width = FView.CharWidth;
                int line = 0, start = 0;
                TLineRecord* record = LocateOffset(FCaret, line, start);
                if (record && FCaret - start < record->Len && record->Text[FCaret - start] != '\r')
                    width = QFontMetrics(font()).horizontalAdvance(
                        FromShownText(std::string_view(record->Text.get() + (FCaret - start), 1)));
            }
            createCaret(QRect(point.X, point.Y, std::max(1, width), FView.LineHeight));
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
    TPaintContext context;
    context.Area = area;
    context.Canvas = canvas.device();
    context.DC = &canvas;
    PaintLines(*this, context);
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
