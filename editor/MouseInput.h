// The editor control's mouse state: click counting, selecting, the pending drag, margin-line dragging, hyperlinks.
#pragma once

#include <cstdint>

#include "platform/core/Geometry.h"

// Held by the control; the mouse handling (MouseInput.cpp) keeps it, the drag-and-drop code reads and
// sets the drag fields.
struct TMouseState {
    // Milliseconds of a steady clock: the time of clicks and of word and line selections.
    static int64_t Now();

    // Where the pointer was at the last move, in client coordinates.
    TPoint LastPoint{-1, -1};
    // 1 single, 2 double, 3 triple click, 4 the click after a triple one (counts as single); 0 before
    // the first click, so that a double-click message a program sends before any click still selects.
    int ClickState = 0;
    int64_t LastClickTick = 0;
    // The system's double-click time in milliseconds, read when the control is made.
    int DoubleClickTime = 400;
    // Display line of the last left click; -1 before the first.
    int LastClickLine = -1;
    // Where the left button went down, so that a pending drag waits for a real move.
    TPoint PressPoint{0, 0};

    bool Selecting = false;   // dragging extends the selection from its anchor
    bool DragPending = false; // a click inside the selection: a move drags it, a release places the caret
    bool DragMoving = false;  // a drag of the selection out of this control is under way

    // Right margin or wrap column under the pointer, and the drag of one of them.
    bool OverMarginLine = false;
    bool MarginDragging = false;
    bool MarginIsRight = false; // true: the right margin is dragged, false: the wrap column
    int MarginColumn = 0;
    int MarginLineX = -1; // x of the line the paint event draws; -1 none

    bool OverHyperlink = false;

    // Offset at which the last drop into this control put its text; -1 none.
    int DropStart = -1;
    // Client point of the pointer over the control during a drag, given to OnFilesDropped.
    TPoint DropPoint{-1, -1};
    // The drop caret shows at DropStart while a drag is over the control.
    bool DropCaretShown = false;
    // Set by a drop of this control's own drag, which leaves its undo group (ugMoveText, opened with
    // openUndoGroup) and its Lines update open so that the removal of the dragged text joins them;
    // the drag start closes both, and only then.
    bool DropGroupOpen = false;
};
