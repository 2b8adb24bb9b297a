// The editor control's view: offsets and lines, scrolling and scroll bars.
//
// These are the plain forms for a text without word wrap; the wrapping unit refines them.
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
} // namespace

// ---------------------------------------------------------------- offsets and lines

namespace {
// Walks down from `record` (whose start offset and line are given) until `done` or the last record.
template <class Done>
TLineRecord* walkDown(TLineRecord* record, int& start, int& line, Done done)
{
    while (record && !done(record, start, line) && record->Next) {
        start += record->Len;
        record = record->Next;
        ++line;
    }
    return record;
}
} // namespace

// Both look-ups start at the top of the view when their target lies at or below it, so that work
// near the screen walks only a few records.
TLineRecord* TCustomCodeMemo::RecordAtLine(int line, int& recordStart, int& index)
{
    SyncTopRecord();
    bool fromTop = FTopRecord && line >= FTopLine;
    recordStart = fromTop ? FTopOffset : 0;
    index = fromTop ? FTopLine : 0;
    return walkDown(fromTop ? FTopRecord : FirstRecord(), recordStart, index,
                    [line](TLineRecord*, int, int i) { return i >= line; });
}

TLineRecord* TCustomCodeMemo::LocateOffset(int offset, int& lineIndex, int& recordStart)
{
    SyncTopRecord();
    bool fromTop = FTopRecord && offset >= FTopOffset;
    recordStart = fromTop ? FTopOffset : 0;
    lineIndex = fromTop ? FTopLine : 0;
    TLineRecord* record = walkDown(fromTop ? FTopRecord : FirstRecord(), recordStart, lineIndex,
                                   [offset](TLineRecord* r, int start, int) { return offset < start + r->Len; });
    // After a final line break the offset stands on the empty line below the last record.
    if (record && !record->Next && offset >= recordStart + record->Len && record->EndsWithCR())
        ++lineIndex;
    return record;
}

int TCustomCodeMemo::LineOfOffset(int offset)
{
    int line = 0, start = 0;
    LocateOffset(offset, line, start);
    return line;
}

TPoint TCustomCodeMemo::PointFromOffset(int offset)
{
    SyncTopRecord();
    if (offset < FTopOffset || !FTopRecord)
        return {-1, -1};
    int y = 0;
    int start = FTopOffset;
    TLineRecord* record = FTopRecord;
    while (offset >= start + record->Len && record->Next && y < FClientHeight) {
        start += record->Len;
        record = record->Next;
        y += FLineHeight;
    }
    int index = offset - start;
    if (index >= record->Len && !record->Next && record->EndsWithCR())
        return {PixelOfColumn(0, record), y + FLineHeight};
    return {PixelOfColumn(IndexToColumn(index, record), record), y};
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

// ---------------------------------------------------------------- scrolling

void TCustomCodeMemo::Rewrap(TLineRecord*, TLineRecord*)
{
    if (GreatestRecordLength() >= kRewrapLength)
        cutLongRecords();
    UpdateScrollBars();
}

void TCustomCodeMemo::MakeOffsetVisible(int offset)
{
    if (FClientHeight <= 0 || TextLeft() >= FClientWidth)
        return;
    offset = std::clamp(offset, 0, FTextLength);
    int line = 0, start = 0;
    TLineRecord* record = LocateOffset(offset, line, start);
    int top = FTopLine;
    int left = FLeftColumn;
    int rows = std::max(1, FClientHeight / FLineHeight);
    if (line < top)
        top = line;
    else if (line >= top + rows)
        top = line - rows + 1;
    bool afterFinalBreak = record && !record->Next && offset - start >= record->Len && record->EndsWithCR();
    int column = record && !afterFinalBreak ? IndexToColumn(offset - start, record) : 0;
    int columns = std::max(1, FColumnsPerWindow);
    while (column < left && left > 0)
        left = std::max(0, left - kHorizontalStep);
    while (column >= left + columns)
        left += kHorizontalStep;
    if (WordWrap() && column < columns)
        left = 0;
    if (top == FTopLine && left == FLeftColumn)
        return;
    FLeftColumn = left;
    if (top != FTopLine) {
        FTopLine = top;
        FTopRecord = nullptr;
        SyncTopRecord();
    }
    FFullRepaint = true;
    UpdateScrollBars();
}

void TCustomCodeMemo::ScrollTo(int column, int line, bool, bool repaint)
{
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        FLeftColumn = std::clamp(column, 0, std::max(0, std::max(GreatestRecordLength(), FLongestLine) - 1));
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
        int top = std::clamp(line, 0, std::max(0, FRecordCount - 1));
        if (top != FTopLine || !FTopRecord) {
            FTopLine = top;
            FTopRecord = nullptr;
            SyncTopRecord();
        }
    }
    if (!repaint)
        return;
    MarkVisibleForRepaint();
    FFullRepaint = true;
    Change();
    Paint();
    UpdateScrollBars();
}

void TCustomCodeMemo::UpdateScrollBars()
{
    if (FPaintSuspended || !FRedraw || FPrinting || !FWindowCreated || !isVisible() || FLoading || FDestroying)
        return;
    // A bar runs from 0 to the last line or column; Qt's maximum is the last position the view's
    // first line or column can take.
    auto set = [](QScrollBar* bar, int last, int page, int position) {
        QSignalBlocker block(bar);
        int maximum = std::max(0, last - page + 1);
        bar->setRange(0, maximum);
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(1);
        bar->setValue(std::clamp(position, 0, maximum));
        bar->setEnabled(maximum > 0);
    };
    bool horizontal = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    bool vertical = FScrollBars == ssVertical || FScrollBars == ssBoth;
    set(FHorzBar, horizontal && !WordWrap() ? std::max(GreatestRecordLength(), FLongestLine) : 0, FColumnsPerWindow,
        FLeftColumn);
    if (vertical) {
        int count = FRecordCount;
        int page = FLinesPerWindow;
        if (FTopLine > 0 && count < page)
            page = count - FTopLine;
        FScrollScale = count / kScrollScaleLines + 1;
        set(FVertBar, count / FScrollScale, page / FScrollScale, FTopLine / FScrollScale);
    }
}

// ---------------------------------------------------------------- focus line and words

void TCustomCodeMemo::DrawFocusLine(QPainter& canvas)
{
    TPoint point = PointFromOffset(FCaret);
    if (point.Y < 0 || point.Y >= FClientHeight)
        return;
    uint32_t rgb = ColorToRGB(FSettings->GetStyle(0).Background) ^ 0xFFFFFF;
    canvas.setPen(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
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
