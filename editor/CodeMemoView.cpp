// The editor control's side of its view geometry: look-ups with its metrics, the view following the caret, the scroll-bar widgets, auto-scroll, the focus line and word characters.
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "editor/CodeMemo.h"

namespace {
// Auto-scroll steps this often while the pointer stays outside, in milliseconds.
constexpr int kAutoScrollInterval = 50;

// The control's text metrics as the view geometry asks for them.
class ControlMetrics final : public TViewMetrics {
public:
    explicit ControlMetrics(TCustomCodeMemo& memo) : FMemo(memo) {}
    int TextLeft() override { return FMemo.TextLeft(); }
    bool FixedPitch() override { return FMemo.FixedPitch(); }
    int IndexToColumn(int index, const TLineRecord* record) override { return FMemo.IndexToColumn(index, record); }
    int ColumnToIndex(int column, const TLineRecord* record) override { return FMemo.ColumnToIndex(column, record); }
    int PixelOfColumn(int column, const TLineRecord* record) override { return FMemo.PixelOfColumn(column, record); }
    int ColumnAtPixel(int x, const TLineRecord* record) override { return FMemo.ColumnAtPixel(x, record); }

private:
    TCustomCodeMemo& FMemo;
};
} // namespace

// ---------------------------------------------------------------- offsets, lines and points

TLineRecord* TCustomCodeMemo::LocateOffset(int offset, int& lineIndex, int& recordStart)
{
    return FView.Locate(offset, lineIndex, recordStart);
}

TLineRecord* TCustomCodeMemo::RecordAtOffset(int offset, int& lineIndex)
{
    int start = 0;
    return LocateOffset(offset, lineIndex, start);
}

int TCustomCodeMemo::IndexInRecord(int offset)
{
    return FView.IndexInRecord(offset);
}

TLineRecord* TCustomCodeMemo::RecordAtLine(int line, int& recordStart, int& index)
{
    return FView.RecordAtLine(line, recordStart, index);
}

int TCustomCodeMemo::LineOfOffset(int offset)
{
    return FView.LineOfOffset(offset);
}

TPoint TCustomCodeMemo::PointFromOffset(int offset)
{
    ControlMetrics metrics(*this);
    return FView.PointFromOffset(offset, metrics);
}

int TCustomCodeMemo::OffsetFromPoint(TPoint point)
{
    ControlMetrics metrics(*this);
    return FView.OffsetFromPoint(point, metrics);
}

// ---------------------------------------------------------------- the view

void TCustomCodeMemo::MakeOffsetVisible(int offset)
{
    ControlMetrics metrics(*this);
    if (!FView.FollowOffset(offset, WordWrap(), metrics))
        return;
    FFullRepaint = true;
    UpdateScrollBars();
}

void TCustomCodeMemo::ScrollTo(int column, int line, bool autoScroll, bool repaint)
{
    FView.ScrollTo(column, line, WordWrap(), longestLineForScrolling());
    if (repaint) {
        MarkVisibleForRepaint();
        FFullRepaint = true;
        Change();
        Paint();
        UpdateScrollBars();
    }
    if (autoScroll)
        BeginAutoScroll(true, repaint);
}

void TCustomCodeMemo::UpdateScrollBars()
{
    if (FView.UpdateRanges(WordWrap(), longestLineForScrolling()))
        FFullRepaint = true;

    if (FPaintSuspended || !FRedraw || FPrinting || FLoading || FDestroying)
        return;
    // A bar runs from 0 to the last line or column; Qt's maximum is the last position the view's
    // first line or column can take.
    auto set = [](QScrollBar* bar, const TScrollRange& range) {
        QSignalBlocker block(bar);
        int maximum = std::max(0, range.Max - range.Page + 1);
        bar->setRange(0, maximum);
        bar->setPageStep(std::max(1, range.Page));
        bar->setSingleStep(1);
        bar->setValue(std::clamp(range.Position, 0, maximum));
        bar->setEnabled(range.Wanted && maximum > 0);
    };
    set(FHorzBar, FView.HorzRange);
    if (FView.VerticalBar)
        set(FVertBar, FView.VertRange);
}

// ---------------------------------------------------------------- auto-scroll

void TCustomCodeMemo::BeginAutoScroll(bool moveCaret, bool repaint)
{
    FAutoScrollMovesCaret = moveCaret;
    FAutoScrollRepaint = repaint;
    if (FAutoScrollTimer.isActive())
        return;
    FAutoScrollTimer.setInterval(kAutoScrollInterval);
    connect(&FAutoScrollTimer, &QTimer::timeout, this, &TCustomCodeMemo::autoScrollTick, Qt::UniqueConnection);
    FAutoScrollTimer.start();
}

void TCustomCodeMemo::EndAutoScroll()
{
    FAutoScrollTimer.stop();
}

void TCustomCodeMemo::autoScrollTick()
{
    try {
        // A drag the mouse handling holds knows the pointer and the button from the control's own
        // events; anything else asks the system where they are.
        bool held = true;
        TPoint pointer = FMouse.LastPoint;
        if (!mouseHoldsDrag()) {
            held = QGuiApplication::mouseButtons() & Qt::LeftButton;
            QPoint at = mapFromGlobal(QCursor::pos()) - clientRect().topLeft();
            pointer = {at.x(), at.y()};
        }
        if (FDestroying || !hasFocus() || !held || !AutoScrollStep(pointer))
            EndAutoScroll();
    } catch (...) {
        EndAutoScroll();
        handleEventError();
    }
}

bool TCustomCodeMemo::AutoScrollStep(TPoint pointer)
{
    const bool mouseDrag = mouseHoldsDrag();
    const TRect edges = mouseDrag ? mouseScrollEdges() : TRect{TextLeft(), 0, FView.ClientWidth, FView.ClientHeight};
    const TAutoScrollTarget target =
        FView.AutoScrollTarget(pointer, edges, TextLeft(), WordWrap(), longestLineForScrolling());
    const int line = target.Line;
    const int column = target.Column;
    if (line == FView.TopLine && column == FView.LeftColumn)
        return false;
    const int oldLine = FView.TopLine;
    const int oldColumn = FView.LeftColumn;
    // A drag of the mouse always shows where it has got to.
    const bool repaint = mouseDrag || FAutoScrollRepaint;
    ScrollTo(column, line, false, repaint);
    if (FView.TopLine == oldLine && FView.LeftColumn == oldColumn)
        return false;
    if (mouseDrag) {
        mouseFollowDrag(pointer);
    } else if (FAutoScrollMovesCaret) {
        TSelectionRange range{FAnchor, OffsetFromPoint(target.CaretAt)};
        const WPARAM flags = repaint ? WPARAM{SMM_SET} : WPARAM{SMM_SET | SMM_NOREDRAW};
        PerformSelection(flags, range);
    }
    return true;
}

// ---------------------------------------------------------------- focus line and words

void TCustomCodeMemo::DrawFocusLine(QPainter& canvas)
{
    TPoint point = PointFromOffset(FCaret);
    if (point.Y < 0 || point.Y >= FView.ClientHeight)
        return;
    uint32_t rgb = ColorToRGB(FSettings->GetStyle(0).Background) ^ 0xFFFFFF;
    canvas.setPen(QPen(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)), 1));
    canvas.drawLine(TextLeft(), point.Y, FView.ClientWidth, point.Y);
    canvas.drawLine(TextLeft(), point.Y + FView.LineHeight - 1, FView.ClientWidth, point.Y + FView.LineHeight - 1);
}

bool TCustomCodeMemo::CharStartsWord(char ch)
{
    if (fn_CharStartsWord)
        return fn_CharStartsWord(ch);
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}

bool TCustomCodeMemo::CharIsInWord(char ch)
{
    if (fn_CharIsInWord)
        return fn_CharIsInWord(ch);
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_' || (ch >= '0' && ch <= '9') ||
           ch == '\'' || ch == '-';
}
