// DockRows: the rows of a dock, in which docked tool windows sit one after another, and the layout that places them.
#pragma once

#include <climits>
#include <vector>

#include "platform/core/Geometry.h"

// One docked window as the layout sees it. Lengths are along the dock (width in a top or bottom dock,
// height in a left or right one); RowSize is the client thickness the window asks of its row.
struct TDockRowBar {
    int Row = 0;  // DockRow
    int Pos = -1; // DockPos, pixels along the row
    int Length = 0;
    int RowSize = 0;
    bool FullSize = false;
    // Where Arrange puts the window, in the dock's client coordinates.
    TRect Bounds;
    // The caller's window, handed back untouched.
    void* Tag = nullptr;
};

// The thickness a dock takes after an arrangement: a client size, or the outer size of an empty dock.
struct TDockThickness {
    int Size = 0;
    bool ClientSize = false;
};

class TDockRows {
public:
    // A row is never thinner than this, so an empty-looking row can still be hit.
    static constexpr int kMinRowSize = 8;
    // The docked frame's two pixels on either side across the row.
    static constexpr int kRowFrame = 4;
    // A pointer this close to a row's start means "a new row before it".
    static constexpr int kRowEdge = 5;

    // The docked windows in list order; Arrange reorders them.
    std::vector<TDockRowBar> Bars;
    // Thickness of each row, 0 to the highest, as BuildRowInfo found them.
    std::vector<int> RowSizes;

    // Sorts, renumbers and places the windows for a dock whose client area is ClientLength long.
    TDockThickness Arrange(int ClientLength, bool LeftRight, bool LimitToOneRow, bool FixAlign, bool Designing);
    // Closes up the row numbers no window uses.
    void RemoveBlankRows();
    // Each row's thickness: the largest RowSize of its windows, at least kMinRowSize.
    void BuildRowInfo();

    int GetHighestRow() const;
    // The recorded thickness of Row, else DefaultSize (the row size of the window asking, 0 for none).
    int GetRowSize(int Row, int DefaultSize) const;
    // The row under Pos (across the dock); Before when Pos lies within kRowEdge of its start.
    int GetRowOf(int Pos, bool& Before) const;
    // The first row whose end lies beyond Pos, else the row after the highest.
    int GetDesignModeRowOf(int Pos) const;
    void InsertRowBefore(int Row);
    // Windows on Row other than the one at index NotIncluding (-1 for none).
    int GetNumberOfToolbarsOnRow(int Row, int NotIncluding) const;

private:
    // The offset across the dock where Row ends, rows from 0 stacked.
    int rowEnd(int Row) const;
};
