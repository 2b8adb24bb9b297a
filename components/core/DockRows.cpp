// Docked windows are kept in list order, sorted by row and position; each row is walked with a running
// position so that no window overlaps the one before it, then a row that overruns the dock is pushed
// back toward its start. Rows are stacked across the dock, each as thick as its thickest window plus
// the docked frame.
#include "components/core/DockRows.h"

#include <algorithm>

#include "components/core/ListSort.h"

namespace {

int compareRowThenPos(const TDockRowBar* a, const TDockRowBar* b, void*)
{
    if (a->Row != b->Row)
        return a->Row < b->Row ? -1 : 1;
    if (a->Pos != b->Pos)
        return a->Pos < b->Pos ? -1 : 1;
    return 0;
}

} // namespace

int TDockRows::GetHighestRow() const
{
    int highest = -1;
    for (const TDockRowBar& bar : Bars)
        highest = std::max(highest, bar.Row);
    return highest;
}

int TDockRows::GetNumberOfToolbarsOnRow(int Row, int NotIncluding) const
{
    int count = 0;
    for (int i = 0; i < static_cast<int>(Bars.size()); ++i)
        if (i != NotIncluding && Bars[static_cast<size_t>(i)].Row == Row)
            ++count;
    return count;
}

void TDockRows::InsertRowBefore(int Row)
{
    for (TDockRowBar& bar : Bars)
        if (bar.Row >= Row)
            ++bar.Row;
}

void TDockRows::RemoveBlankRows()
{
    int highest = GetHighestRow();
    int row = 0;
    while (row <= highest) {
        if (GetNumberOfToolbarsOnRow(row, -1) > 0) {
            ++row;
            continue;
        }
        // The same number is looked at again: the row that moved into it may be empty too.
        for (TDockRowBar& bar : Bars)
            if (bar.Row > row)
                --bar.Row;
        --highest;
    }
}

void TDockRows::BuildRowInfo()
{
    RowSizes.assign(static_cast<size_t>(GetHighestRow() + 1), kMinRowSize);
    for (const TDockRowBar& bar : Bars)
        if (bar.Row >= 0)
            RowSizes[static_cast<size_t>(bar.Row)] = std::max(RowSizes[static_cast<size_t>(bar.Row)], bar.RowSize);
}

int TDockRows::GetRowSize(int Row, int DefaultSize) const
{
    if (Row >= 0 && Row < static_cast<int>(RowSizes.size()))
        return RowSizes[static_cast<size_t>(Row)];
    return DefaultSize;
}

int TDockRows::rowEnd(int Row) const
{
    int end = 0;
    for (int r = 0; r <= Row && r < static_cast<int>(RowSizes.size()); ++r)
        end += RowSizes[static_cast<size_t>(r)] + kRowFrame;
    return end;
}

int TDockRows::GetRowOf(int Pos, bool& Before) const
{
    const int afterHighest = GetHighestRow() + 1;
    int start = 0;
    Before = false;
    for (int row = 0; row <= afterHighest; ++row) {
        // The row after the highest reaches to the end of the integers: everything below is in it.
        const int end = row < afterHighest ? start + GetRowSize(row, 0) + kRowFrame : INT_MAX;
        if (Pos <= start + kRowEdge) {
            Before = true;
            return row;
        }
        if (Pos < end - kRowEdge)
            return row;
        start = end;
    }
    return afterHighest;
}

int TDockRows::GetDesignModeRowOf(int Pos) const
{
    const int highest = GetHighestRow();
    for (int row = 0; row <= highest; ++row)
        if (rowEnd(row) > Pos)
            return row;
    return highest + 1;
}

TDockThickness TDockRows::Arrange(int ClientLength, bool LeftRight, bool LimitToOneRow, bool FixAlign, bool Designing)
{
    if (Bars.empty()) {
        RowSizes.clear();
        // A designed dock stays thick enough to be seen and dropped on.
        return TDockThickness{Designing ? 9 : FixAlign ? 1 : 0, false};
    }

    // Sorted by row, then position.
    {
        std::vector<TDockRowBar*> order;
        for (TDockRowBar& bar : Bars)
            order.push_back(&bar);
        ListSortEx(order, compareRowThenPos, nullptr);
        std::vector<TDockRowBar> sorted;
        sorted.reserve(Bars.size());
        for (TDockRowBar* bar : order)
            sorted.push_back(*bar);
        Bars = std::move(sorted);
    }
    if (LimitToOneRow)
        for (TDockRowBar& bar : Bars)
            bar.Row = 0;
    RemoveBlankRows();

    // No window starts before the end of the one before it; a full-size window gets its row alone.
    for (int row = 0; row <= GetHighestRow(); ++row) {
        int pos = 0;
        for (int i = 0; i < static_cast<int>(Bars.size()); ++i) {
            TDockRowBar& bar = Bars[static_cast<size_t>(i)];
            if (bar.Row != row)
                continue;
            if (bar.FullSize && GetNumberOfToolbarsOnRow(row, i) > 0)
                for (int j = 0; j < static_cast<int>(Bars.size()); ++j)
                    if (j != i && Bars[static_cast<size_t>(j)].Row >= row)
                        ++Bars[static_cast<size_t>(j)].Row;
            if (bar.Pos < pos)
                bar.Pos = pos;
            else
                pos = bar.Pos;
            pos += bar.Length;
        }
    }
    BuildRowInfo();

    // A row running past the dock's end moves back by the overrun of its last window, never before 0.
    for (int i = 0; i < static_cast<int>(Bars.size()); ++i) {
        TDockRowBar& bar = Bars[static_cast<size_t>(i)];
        if (bar.FullSize) {
            bar.Pos = 0;
            continue;
        }
        for (int j = static_cast<int>(Bars.size()) - 1; j >= i; --j) {
            const TDockRowBar& last = Bars[static_cast<size_t>(j)];
            if (last.Row != bar.Row)
                continue;
            const int overrun = last.Pos + last.Length - ClientLength;
            if (overrun > 0) {
                bar.Pos -= overrun;
                break;
            }
        }
        bar.Pos = std::max(bar.Pos, 0);
    }

    // Placement: rows stacked from 0; the walk of the rows again keeps the windows apart.
    int across = 0;
    for (int row = 0; row <= GetHighestRow(); ++row) {
        const int thickness = RowSizes[static_cast<size_t>(row)] + kRowFrame;
        int pos = 0;
        for (TDockRowBar& bar : Bars) {
            if (bar.Row != row)
                continue;
            if (bar.Pos < pos)
                bar.Pos = pos;
            else
                pos = bar.Pos;
            const int length = bar.FullSize ? ClientLength : bar.Length;
            pos += bar.Length;
            bar.Bounds = LeftRight ? TRect{across, bar.Pos, across + thickness, bar.Pos + length}
                                   : TRect{bar.Pos, across, bar.Pos + length, across + thickness};
        }
        across += thickness;
    }
    return TDockThickness{across, true};
}
