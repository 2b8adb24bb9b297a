// The editor control's view geometry: offsets, lines and points, the view and the scroll bars, auto-scroll, the focus line and word characters.
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "editor/CodeMemo.h"

namespace {
// Horizontal scrolling that brings the caret into view moves by this many columns, so that typing
// at the edge does not scroll at every character.
constexpr int kHorizontalStep = 8;
// Vertical scroll-bar values are divided so that they stay within what a bar can hold.
constexpr int kScrollScaleLines = 32000;
// Auto-scroll steps this often while the pointer stays outside, in milliseconds.
constexpr int kAutoScrollInterval = 50;

bool afterFinalBreak(const TLineRecord* record, int start, int offset)
{
    return record && !record->Next && record->EndsWithCR() && offset - start >= record->Len;
}
} // namespace

// ---------------------------------------------------------------- offsets and lines

// Look-ups start from the cached top record, which stays near where the user works; an offset
// above it walks back from there when that is the shorter way, else forward from the first record.
TLineRecord* TCustomCodeMemo::LocateOffset(int offset, int& lineIndex, int& recordStart)
{
    lineIndex = 0;
    recordStart = 0;
    TLineRecord* record = FirstRecord();
    if (!record)
        return nullptr;
    offset = std::clamp(offset, 0, FTextLength);
    SyncTopRecord();
    int start = 0;
    int line = 0;
    if (FTopRecord && offset >= FTopOffset) {
        record = FTopRecord;
        start = FTopOffset;
        line = FTopLine;
    } else if (FTopRecord && FTopOffset - offset < FTopOffset / 2) {
        record = FTopRecord;
        start = FTopOffset;
        line = FTopLine;
        while (offset < start && record->Prev) {
            record = record->Prev;
            start -= record->Len;
            --line;
        }
    }
    while (offset >= start + record->Len && record->Next) {
        start += record->Len;
        record = record->Next;
        ++line;
    }
    // After a final line break the offset stands on the empty line below the last record.
    if (afterFinalBreak(record, start, offset))
        ++line;
    lineIndex = line;
    recordStart = start;
    return record;
}

TLineRecord* TCustomCodeMemo::RecordAtOffset(int offset, int& lineIndex)
{
    int start = 0;
    return LocateOffset(offset, lineIndex, start);
}

int TCustomCodeMemo::IndexInRecord(int offset)
{
    int line = 0, start = 0;
    TLineRecord* record = LocateOffset(offset, line, start);
    if (!record)
        return 0;
    offset = std::clamp(offset, 0, FTextLength);
    if (afterFinalBreak(record, start, offset))
        return 0;
    return std::min(offset - start, static_cast<int>(record->Len));
}

TLineRecord* TCustomCodeMemo::RecordAtLine(int line, int& recordStart, int& index)
{
    recordStart = 0;
    index = 0;
    TLineRecord* record = FirstRecord();
    if (!record)
        return nullptr;
    SyncTopRecord();
    line = std::max(0, line);
    int start = 0;
    int at = 0;
    // From the top of the view when the line is below it or nearer to it than to the start.
    if (FTopRecord && (line >= FTopLine || FTopLine - line < line)) {
        record = FTopRecord;
        start = FTopOffset;
        at = FTopLine;
        while (at > line && record->Prev) {
            record = record->Prev;
            start -= record->Len;
            --at;
        }
    }
    while (at < line && record->Next) {
        start += record->Len;
        record = record->Next;
        ++at;
    }
    recordStart = start;
    index = at;
    return record;
}

int TCustomCodeMemo::LineOfOffset(int offset)
{
    int line = 0, start = 0;
    LocateOffset(offset, line, start);
    return line;
}

void TCustomCodeMemo::placeTopAt(int line)
{
    int start = 0, index = 0;
    TLineRecord* record = RecordAtLine(std::clamp(line, 0, std::max(0, FRecordCount - 1)), start, index);
    FTopRecord = record;
    FTopOffset = start;
    FTopLine = index;
}

TPoint TCustomCodeMemo::PointFromOffset(int offset)
{
    SyncTopRecord();
    offset = std::clamp(offset, 0, FTextLength);
    if (!FTopRecord)
        return {PixelOfColumn(0, nullptr), 0};
    if (offset < FTopOffset)
        return {-1, -1};
    // Rows below the window are walked only as far as a full window would reach, so a point far
    // below costs no more than one on screen.
    int limit = std::max(FClientHeight, (FLinesPerWindow + 1) * FLineHeight);
    int y = 0;
    int start = FTopOffset;
    TLineRecord* record = FTopRecord;
    while (offset >= start + record->Len && record->Next) {
        if (y + FLineHeight >= limit)
            return {TextLeft(), y + FLineHeight};
        start += record->Len;
        record = record->Next;
        y += FLineHeight;
    }
    if (afterFinalBreak(record, start, offset))
        return {PixelOfColumn(0, nullptr), y + FLineHeight};
    return {PixelOfColumn(IndexToColumn(offset - start, record), record), y};
}

int TCustomCodeMemo::OffsetFromPoint(TPoint point)
{
    SyncTopRecord();
    if (!FTopRecord)
        return 0;
    int rows = std::max(0, point.Y) / std::max(1, FLineHeight);
    TLineRecord* record = FTopRecord;
    int start = FTopOffset;
    for (int i = 0; i < rows; ++i) {
        if (!record->Next) {
            // Below the last record: the empty line after a final line break, or the text's end.
            if (record->EndsWithCR())
                return FTextLength;
            break;
        }
        start += record->Len;
        record = record->Next;
    }
    return std::min(FTextLength, start + ColumnToIndex(ColumnAtPixel(point.X, record), record));
}

// ---------------------------------------------------------------- the view

void TCustomCodeMemo::MakeOffsetVisible(int offset)
{
    if (FClientHeight <= 0 || TextLeft() >= FClientWidth)
        return;
    const int oldTop = FTopLine;
    const int oldLeft = FLeftColumn;
    if (!FirstRecord()) {
        FTopLine = 0;
        FTopOffset = 0;
        FLeftColumn = 0;
    } else {
        offset = std::clamp(offset, 0, FTextLength);
        int line = 0, start = 0;
        TLineRecord* record = LocateOffset(offset, line, start);
        const bool belowLast = afterFinalBreak(record, start, offset);

        // Vertically: the caret's row becomes the top row or the last full one.
        int rows = std::max(1, FClientHeight / std::max(1, FLineHeight));
        int top = FTopLine;
        if (line < top)
            top = line;
        else if (line >= top + rows)
            top = line - rows + 1;
        top = std::clamp(top, 0, std::max(0, FRecordCount - 1));
        if (top != FTopLine || !FTopRecord) {
            // The new top lies a window or less above the caret's record: walk back from there.
            TLineRecord* r = record;
            int rStart = start;
            int rLine = belowLast ? line - 1 : line;
            while (rLine > top && r->Prev) {
                r = r->Prev;
                rStart -= r->Len;
                --rLine;
            }
            FTopRecord = r;
            FTopOffset = rStart;
            FTopLine = rLine;
        }

        // Horizontally, in steps of 8 columns.
        int column = belowLast ? 0 : IndexToColumn(offset - start, record);
        int columns = std::max(1, FColumnsPerWindow);
        if (!FFixedPitch && !belowLast) {
            // Proportional text: the caret's pixel decides, as average widths may mislead.
            while (FLeftColumn < record->Len && column >= FLeftColumn &&
                   PixelOfColumn(column, record) >= FClientWidth)
                FLeftColumn += kHorizontalStep;
        }
        while (FLeftColumn > 0 && column < FLeftColumn)
            FLeftColumn = std::max(0, FLeftColumn - kHorizontalStep);
        while (column >= FLeftColumn + columns)
            FLeftColumn += kHorizontalStep;
        if (WordWrap() && column < columns)
            FLeftColumn = 0;
    }
    if (FTopLine == oldTop && FLeftColumn == oldLeft)
        return;
    FFullRepaint = true;
    UpdateScrollBars();
}

void TCustomCodeMemo::ScrollTo(int column, int line, bool autoScroll, bool repaint)
{
    TScrollRange horz, vert;
    scrollRanges(horz, vert);
    if (horz.Wanted)
        FLeftColumn = std::clamp(column, 0, std::max(0, std::max(LongestLineLength(), FLongestLine) - 1));
    if (vert.Wanted) {
        int top = std::clamp(line, 0, std::max(0, FRecordCount - 1));
        if (top != FTopLine || !FTopRecord)
            placeTopAt(top);
    }
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

void TCustomCodeMemo::scrollRanges(TScrollRange& horz, TScrollRange& vert)
{
    // Whether a bar is wanted follows from its range and page, as a window hides a bar whose page
    // covers its range; the widgets' visibility plays no part, so an unshown control scrolls alike.
    const bool horizontalStyle = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool verticalStyle = FScrollBars == ssVertical || FScrollBars == ssBoth;
    horz = {};
    horz.Max = horizontalStyle && !WordWrap() ? std::max(LongestLineLength(), FLongestLine) : 0;
    horz.Page = FColumnsPerWindow;
    horz.Position = FLeftColumn;
    horz.Wanted = horizontalStyle && horz.Max + 1 > horz.Page;

    const int count = FRecordCount;
    int page = FLinesPerWindow;
    // Scrolled down a text shorter than the window: the bar stays so that the view can come back.
    if (FTopLine > 0 && count < page)
        page = count - FTopLine;
    FScrollScale = count / kScrollScaleLines + 1;
    vert = {};
    vert.Max = count / FScrollScale;
    vert.Page = page / FScrollScale;
    vert.Position = FTopLine / FScrollScale;
    vert.Wanted = verticalStyle && vert.Max + 1 > vert.Page;
}

void TCustomCodeMemo::UpdateScrollBars()
{
    const bool hadHorizontal = FHorzRange.Wanted;
    const bool hadVertical = FVertRange.Wanted;
    scrollRanges(FHorzRange, FVertRange);
    if ((FHorzRange.Wanted && !hadHorizontal) || (FVertRange.Wanted && !hadVertical))
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
    set(FHorzBar, FHorzRange);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        set(FVertBar, FVertRange);
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
    const TRect edges = mouseDrag ? mouseScrollEdges() : TRect{TextLeft(), 0, FClientWidth, FClientHeight};
    TScrollRange horz, vert;
    scrollRanges(horz, vert);
    // Wrapped text has no columns out of sight.
    const bool horizontal = horz.Wanted && !WordWrap();
    const bool vertical = vert.Wanted;
    int line = FTopLine;
    int column = FLeftColumn;
    // Where the caret goes: the edge scrolled towards, at the pointer's other coordinate, and never
    // below the last full row, which would scroll the view a step further.
    const int rows = std::max(1, FClientHeight / std::max(1, FLineHeight));
    const int lastRowY = std::max(0, std::min(FClientHeight, rows * FLineHeight) - 1);
    TPoint caretAt{std::clamp(pointer.X, TextLeft(), std::max(TextLeft(), FClientWidth - 1)),
                   std::clamp(pointer.Y, 0, lastRowY)};
    if (vertical && pointer.Y < edges.Top) {
        line = std::max(0, line - 1);
        caretAt = {0, 0};
    } else if (vertical && pointer.Y >= edges.Bottom) {
        line = std::min(std::max(0, FRecordCount - 1), line + 1);
        caretAt = {0, lastRowY};
    }
    if (horizontal && pointer.X < edges.Left) {
        column = std::max(0, column - 1);
        caretAt.X = TextLeft();
    } else if (horizontal && pointer.X >= edges.Right) {
        column = std::min(std::max(0, std::max(LongestLineLength(), FLongestLine) - 1), column + 1);
        // Before the character under the right edge, not after it: a caret beyond the last whole
        // column would scroll the view a step further.
        caretAt.X = std::max(TextLeft(), FClientWidth - 1 - FCharWidth / 2);
    }
    if (line == FTopLine && column == FLeftColumn)
        return false;
    const int oldLine = FTopLine;
    const int oldColumn = FLeftColumn;
    // A drag of the mouse always shows where it has got to.
    const bool repaint = mouseDrag || FAutoScrollRepaint;
    ScrollTo(column, line, false, repaint);
    if (FTopLine == oldLine && FLeftColumn == oldColumn)
        return false;
    if (mouseDrag) {
        mouseFollowDrag(pointer);
    } else if (FAutoScrollMovesCaret) {
        TSelectionRange range{FAnchor, OffsetFromPoint(caretAt)};
        const WPARAM flags = repaint ? WPARAM{SMM_SET} : WPARAM{SMM_SET | SMM_NOREDRAW};
        Perform(SMM_SELECTION, flags, reinterpret_cast<LPARAM>(&range));
    }
    return true;
}

// ---------------------------------------------------------------- focus line and words

void TCustomCodeMemo::DrawFocusLine(QPainter& canvas)
{
    TPoint point = PointFromOffset(FCaret);
    if (point.Y < 0 || point.Y >= FClientHeight)
        return;
    uint32_t rgb = ColorToRGB(FSettings->GetStyle(0).Background) ^ 0xFFFFFF;
    canvas.setPen(QPen(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)), 1));
    canvas.drawLine(TextLeft(), point.Y, FClientWidth, point.Y);
    canvas.drawLine(TextLeft(), point.Y + FLineHeight - 1, FClientWidth, point.Y + FLineHeight - 1);
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
