// What the editor control does for the features its other units provide, until they provide them.
//
// Each member here is the whole of a feature's reach into the control: search, export and
// clipboard, and drag and drop. A unit that provides one replaces its members here.
#include "editor/CodeMemo.h"

// ---------------------------------------------------------------- search

int TCustomCodeMemo::DoFind(int, const char*)
{
    return -1;
}

int TCustomCodeMemo::DoReplace(int)
{
    return 0;
}

// ---------------------------------------------------------------- export and clipboard

void TCustomCodeMemo::WriteRTF(TStream&) {}

void TCustomCodeMemo::WriteHTML(TStream&) {}

void TCustomCodeMemo::CutToClipboard() {}

void TCustomCodeMemo::CopyToClipboard() {}

void TCustomCodeMemo::PasteFromClipboard() {}

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
