// Test helpers for the grids of names and values: clicks and double clicks on a cell as the mouse makes them, and the wait past the double-click time.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>

#include "support/MouseEvents.h"
#include "support/PumpUntil.h"
#include "support/TypedKeys.h"

inline QPoint CellCentre(QTableWidget& grid, int row, int col)
{
    return grid.visualRect(grid.model()->index(row, col)).center();
}

// A click as the window system delivers it: a sent press does not take the focus by itself.
inline void ClickCell(QTableWidget& grid, int row, int col)
{
    grid.setFocus(Qt::MouseFocusReason);
    Click(*grid.viewport(), CellCentre(grid, row, col));
}

// The events of a double click: the second press comes as the double click itself.
inline void DoubleClickCell(QTableWidget& grid, int row, int col)
{
    const QPoint at = CellCentre(grid, row, col);
    ClickCell(grid, row, col);
    SendMouse(*grid.viewport(), QEvent::MouseButtonDblClick, at);
    SendMouse(*grid.viewport(), QEvent::MouseButtonRelease, at);
}

// Runs the events until `times` the double-click time has passed since the call: whatever a click
// was to start once no double click followed has started by then.
inline bool WaitOutDoubleClickTime(int times = 2)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 wait = qint64(times) * QApplication::doubleClickInterval();
    return pumpUntil([&] { return clock.elapsed() >= wait; }, int(wait) + 10000);
}

// As people type into a grid: a click on the cell, `text` typed at once, Return once the double-click
// time has passed twice. True when the cell's editor has closed, leaving the cell as the user sees it.
inline bool TypeRightAfterAClick(QWidget& window, QTableWidget& grid, int row, int col, const std::string& text)
{
    ClickCell(grid, row, col);
    TypeKeys([&] { return KeysOf(window); }, text);
    if (!WaitOutDoubleClickTime())
        return false;
    PressKey(*KeysOf(window), VK_RETURN);
    return pumpUntil([&] { return !grid.indexWidget(grid.currentIndex()); });
}
