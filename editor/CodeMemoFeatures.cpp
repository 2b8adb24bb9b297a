// What the editor control does for the features its other units provide, until they provide them.
//
// Each member here is the whole of a feature's reach into the control: bookmarks, text marks,
// search, and drag and drop. A unit that provides one replaces its members here.
#include "editor/CodeMemo.h"

// ---------------------------------------------------------------- text marks

void TCustomCodeMemo::MarksInRange(int, int, std::vector<TMarkSpan>&) {}

// ---------------------------------------------------------------- bookmarks

void TCustomCodeMemo::SetBookmark(int, int, int) {}

void TCustomCodeMemo::GotoBookmark(int) {}

// ---------------------------------------------------------------- search

int TCustomCodeMemo::DoFind(int, const char*)
{
    return -1;
}

int TCustomCodeMemo::DoReplace(int)
{
    return 0;
}

// ---------------------------------------------------------------- drag and drop of text

bool TCustomCodeMemo::DropTargetEnter(QDragEnterEvent*)
{
    return false;
}

bool TCustomCodeMemo::DropTargetOver(QDragMoveEvent*)
{
    return false;
}

void TCustomCodeMemo::DropTargetLeave() {}

bool TCustomCodeMemo::DropTargetDrop(QDropEvent*)
{
    return false;
}

Qt::DropAction TCustomCodeMemo::DragSelection(Qt::DropActions)
{
    return Qt::IgnoreAction;
}
