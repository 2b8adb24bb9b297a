// The editor's view over its text: the top of the view, scrolling, the scroll bars and the look-ups between offsets, lines and points.
#include "editor/model/ViewGeometry.h"

#include <algorithm>
#include <cstdlib>

#include "editor/model/EditingCore.h"
#include "platform/core/Messages.h"

namespace {
// Horizontal scrolling that brings the caret into view moves by this many columns, so that typing
// at the edge does not scroll at every character.
constexpr int kHorizontalStep = 8;
// Vertical scroll-bar values are divided so that they stay within what a bar can hold.
constexpr int kScrollScaleLines = 32000;

bool afterFinalBreak(const TLineRecord* record, int start, int offset)
{
    return record && !record->Next && record->EndsWithCR() && offset - start >= record->Len;
}
} // namespace

// ---------------------------------------------------------------- the top of the view

void TViewGeometry::SyncTop()
{
    if (TopRecord)
        return;
    TopLine = std::clamp(TopLine, 0, std::max(0, FText.RecordCount() - 1));
    TLineRecord* record = FText.FirstRecord();
    int offset = 0;
    for (int line = 0; record && line < TopLine && record->Next; ++line) {
        offset += record->Len;
        record = record->Next;
    }
    TopRecord = record;
    TopOffset = offset;
}

void TViewGeometry::PlaceTopAt(int line)
{
    int start = 0, index = 0;
    TLineRecord* record = RecordAtLine(std::clamp(line, 0, std::max(0, FText.RecordCount() - 1)), start, index);
    TopRecord = record;
    TopOffset = start;
    TopLine = index;
}

// ---------------------------------------------------------------- offsets and lines

TViewGeometry::TPlace TViewGeometry::nearestPlace(int target, bool byLine)
{
    TPlace best{FText.FirstRecord(), 0, 0};
    auto consider = [&](TLineRecord* record, int start, int line) {
        if (!record)
            return;
        const int distance = byLine ? std::abs(target - line) : std::abs(target - start);
        const int bestDistance = byLine ? std::abs(target - best.Line) : std::abs(target - best.Start);
        if (distance < bestDistance)
            best = {record, start, line};
    };
    SyncTop();
    consider(TopRecord, TopOffset, TopLine);
    consider(FLocated.Record, FLocated.Start, FLocated.Line);
    return best;
}

void TViewGeometry::walkToOffset(TPlace& place, int offset)
{
    int64_t steps = 0;
    while (offset < place.Start && place.Record->Prev) {
        place.Record = place.Record->Prev;
        place.Start -= place.Record->Len;
        --place.Line;
        ++steps;
    }
    while (offset >= place.Start + place.Record->Len && place.Record->Next) {
        place.Start += place.Record->Len;
        place.Record = place.Record->Next;
        ++place.Line;
        ++steps;
    }
    FRecordsWalked += steps;
}

void TViewGeometry::walkToLine(TPlace& place, int line)
{
    int64_t steps = 0;
    while (place.Line > line && place.Record->Prev) {
        place.Record = place.Record->Prev;
        place.Start -= place.Record->Len;
        --place.Line;
        ++steps;
    }
    while (place.Line < line && place.Record->Next) {
        place.Start += place.Record->Len;
        place.Record = place.Record->Next;
        ++place.Line;
        ++steps;
    }
    FRecordsWalked += steps;
}

TLineRecord* TViewGeometry::Locate(int offset, int& lineIndex, int& recordStart)
{
    lineIndex = 0;
    recordStart = 0;
    if (!FText.FirstRecord())
        return nullptr;
    offset = std::clamp(offset, 0, FText.TextLength());
    TPlace place = nearestPlace(offset, false);
    walkToOffset(place, offset);
    FLocated = place;
    // After a final line break the offset stands on the empty line below the last record.
    lineIndex = place.Line + (afterFinalBreak(place.Record, place.Start, offset) ? 1 : 0);
    recordStart = place.Start;
    return place.Record;
}

int TViewGeometry::IndexInRecord(int offset)
{
    int line = 0, start = 0;
    TLineRecord* record = Locate(offset, line, start);
    if (!record)
        return 0;
    offset = std::clamp(offset, 0, FText.TextLength());
    if (afterFinalBreak(record, start, offset))
        return 0;
    return std::min(offset - start, static_cast<int>(record->Len));
}

TLineRecord* TViewGeometry::RecordAtLine(int line, int& recordStart, int& index)
{
    recordStart = 0;
    index = 0;
    if (!FText.FirstRecord())
        return nullptr;
    line = std::max(0, line);
    TPlace place = nearestPlace(line, true);
    walkToLine(place, line);
    FLocated = place;
    recordStart = place.Start;
    index = place.Line;
    return place.Record;
}

int TViewGeometry::LineOfOffset(int offset)
{
    int line = 0, start = 0;
    Locate(offset, line, start);
    return line;
}

// ---------------------------------------------------------------- points

TPoint TViewGeometry::PointFromOffset(int offset, TViewMetrics& metrics)
{
    SyncTop();
    offset = std::clamp(offset, 0, FText.TextLength());
    if (!TopRecord)
        return {metrics.PixelOfColumn(0, nullptr), 0};
    if (offset < TopOffset)
        return {-1, -1};
    // Rows below the window are walked only as far as a full window would reach, so a point far
    // below costs no more than one on screen.
    const int limit = std::max(ClientHeight, (LinesPerWindow + 1) * LineHeight);
    int y = 0;
    int start = TopOffset;
    TLineRecord* record = TopRecord;
    while (offset >= start + record->Len && record->Next) {
        if (y + LineHeight >= limit)
            return {metrics.TextLeft(), y + LineHeight};
        start += record->Len;
        record = record->Next;
        y += LineHeight;
    }
    if (afterFinalBreak(record, start, offset))
        return {metrics.PixelOfColumn(0, nullptr), y + LineHeight};
    return {metrics.PixelOfColumn(metrics.IndexToColumn(offset - start, record), record), y};
}

int TViewGeometry::OffsetFromPoint(TPoint point, TViewMetrics& metrics)
{
    SyncTop();
    if (!TopRecord)
        return 0;
    const int textLength = FText.TextLength();
    const int rows = std::max(0, point.Y) / std::max(1, LineHeight);
    TLineRecord* record = TopRecord;
    int start = TopOffset;
    for (int i = 0; i < rows; ++i) {
        if (!record->Next) {
            // Below the last record: the empty line after a final line break, or the text's end.
            if (record->EndsWithCR())
                return textLength;
            break;
        }
        start += record->Len;
        record = record->Next;
    }
    return std::min(textLength, start + metrics.ColumnToIndex(metrics.ColumnAtPixel(point.X, record), record));
}

int TViewGeometry::FullRows() const
{
    return std::max(1, ClientHeight / std::max(1, LineHeight));
}

// ---------------------------------------------------------------- scrolling

void TViewGeometry::CountWindow(int width, int height)
{
    ColumnsPerWindow = std::max(0, width / std::max(1, CharWidth));
    LinesPerWindow = std::max(0, height / std::max(1, LineHeight));
}

bool TViewGeometry::FollowOffset(int offset, bool wordWrap, TViewMetrics& metrics)
{
    if (ClientHeight <= 0 || metrics.TextLeft() >= ClientWidth)
        return false;
    const int oldTop = TopLine;
    const int oldLeft = LeftColumn;
    if (!FText.FirstRecord()) {
        TopLine = 0;
        TopOffset = 0;
        LeftColumn = 0;
        return TopLine != oldTop || LeftColumn != oldLeft;
    }
    offset = std::clamp(offset, 0, FText.TextLength());
    int line = 0, start = 0;
    TLineRecord* record = Locate(offset, line, start);
    const bool belowLast = afterFinalBreak(record, start, offset);

    // Vertically: the caret's row becomes the top row or the last full one.
    const int rows = FullRows();
    int top = TopLine;
    if (line < top)
        top = line;
    else if (line >= top + rows)
        top = line - rows + 1;
    top = std::clamp(top, 0, std::max(0, FText.RecordCount() - 1));
    if (top != TopLine || !TopRecord) {
        // The new top lies a window or less above the caret's record: walk back from there.
        TLineRecord* r = record;
        int rStart = start;
        int rLine = belowLast ? line - 1 : line;
        while (rLine > top && r->Prev) {
            r = r->Prev;
            rStart -= r->Len;
            --rLine;
        }
        TopRecord = r;
        TopOffset = rStart;
        TopLine = rLine;
    }

    // Horizontally, in steps of 8 columns.
    const int column = belowLast ? 0 : metrics.IndexToColumn(offset - start, record);
    const int columns = std::max(1, ColumnsPerWindow);
    if (!metrics.FixedPitch() && !belowLast) {
        // Proportional text: the caret's pixel decides, as average widths may mislead.
        while (LeftColumn < record->Len && column >= LeftColumn && metrics.PixelOfColumn(column, record) >= ClientWidth)
            LeftColumn += kHorizontalStep;
    }
    while (LeftColumn > 0 && column < LeftColumn)
        LeftColumn = std::max(0, LeftColumn - kHorizontalStep);
    while (column >= LeftColumn + columns)
        LeftColumn += kHorizontalStep;
    if (wordWrap && column < columns)
        LeftColumn = 0;
    return TopLine != oldTop || LeftColumn != oldLeft;
}

void TViewGeometry::ScrollTo(int column, int line, bool wordWrap, int longestLine)
{
    TScrollRange horz, vert;
    ScrollRanges(wordWrap, longestLine, horz, vert);
    if (horz.Wanted)
        LeftColumn = std::clamp(column, 0, std::max(0, longestLine - 1));
    if (vert.Wanted) {
        const int top = std::clamp(line, 0, std::max(0, FText.RecordCount() - 1));
        if (top != TopLine || !TopRecord)
            PlaceTopAt(top);
    }
}

bool TViewGeometry::ScrollBarTarget(bool vertical, int code, int position, int& column, int& line) const
{
    column = LeftColumn;
    line = TopLine;
    int& target = vertical ? line : column;
    const int page = vertical ? LinesPerWindow : ColumnsPerWindow;
    switch (code) {
    case SB_LINEUP: --target; break;
    case SB_LINEDOWN: ++target; break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_THUMBTRACK:
    case SB_BOTTOM: target = position * (vertical ? ScrollScale : 1); break;
    default: return false;
    }
    return true;
}

TAutoScrollTarget TViewGeometry::AutoScrollTarget(TPoint pointer, const TRect& edges, int textLeft, bool wordWrap,
                                                  int longestLine)
{
    TScrollRange horz, vert;
    ScrollRanges(wordWrap, longestLine, horz, vert);
    // Wrapped text has no columns out of sight.
    const bool horizontal = horz.Wanted && !wordWrap;
    const bool vertical = vert.Wanted;
    TAutoScrollTarget target{TopLine, LeftColumn, {}};
    // Where the caret goes: the edge scrolled towards, at the pointer's other coordinate, and never
    // below the last full row, which would scroll the view a step further.
    const int lastRowY = std::max(0, std::min(ClientHeight, FullRows() * LineHeight) - 1);
    target.CaretAt = {std::clamp(pointer.X, textLeft, std::max(textLeft, ClientWidth - 1)),
                      std::clamp(pointer.Y, 0, lastRowY)};
    if (vertical && pointer.Y < edges.Top) {
        target.Line = std::max(0, target.Line - 1);
        target.CaretAt = {0, 0};
    } else if (vertical && pointer.Y >= edges.Bottom) {
        target.Line = std::min(std::max(0, FText.RecordCount() - 1), target.Line + 1);
        target.CaretAt = {0, lastRowY};
    }
    if (horizontal && pointer.X < edges.Left) {
        target.Column = std::max(0, target.Column - 1);
        target.CaretAt.X = textLeft;
    } else if (horizontal && pointer.X >= edges.Right) {
        target.Column = std::min(std::max(0, longestLine - 1), target.Column + 1);
        // Before the character under the right edge, not after it: a caret beyond the last whole
        // column would scroll the view a step further.
        target.CaretAt.X = std::max(textLeft, ClientWidth - 1 - CharWidth / 2);
    }
    return target;
}

// ---------------------------------------------------------------- scroll bars

void TViewGeometry::ScrollRanges(bool wordWrap, int longestLine, TScrollRange& horz, TScrollRange& vert)
{
    horz = {};
    horz.Max = HorizontalBar && !wordWrap ? longestLine : 0;
    horz.Page = ColumnsPerWindow;
    horz.Position = LeftColumn;
    horz.Wanted = HorizontalBar && horz.Max + 1 > horz.Page;

    const int count = FText.RecordCount();
    int page = LinesPerWindow;
    // Scrolled down a text shorter than the window: the bar stays so that the view can come back.
    if (TopLine > 0 && count < page)
        page = count - TopLine;
    ScrollScale = count / kScrollScaleLines + 1;
    vert = {};
    vert.Max = count / ScrollScale;
    vert.Page = page / ScrollScale;
    vert.Position = TopLine / ScrollScale;
    vert.Wanted = VerticalBar && vert.Max + 1 > vert.Page;
}

bool TViewGeometry::UpdateRanges(bool wordWrap, int longestLine)
{
    const bool hadHorizontal = HorzRange.Wanted;
    const bool hadVertical = VertRange.Wanted;
    ScrollRanges(wordWrap, longestLine, HorzRange, VertRange);
    return (HorzRange.Wanted && !hadHorizontal) || (VertRange.Wanted && !hadVertical);
}
