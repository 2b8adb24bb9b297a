// What the editor control does for the features its other units provide, until they provide them.
//
// Each member here is the whole of a feature's reach into the control: the highlighting driver,
// key commands, mouse handling, the undo log, search, export and clipboard, drag and drop, and the
// shared template and key objects. A unit that provides one replaces its members here.
#include "editor/CodeMemo.h"

// ---------------------------------------------------------------- highlighting

void TCustomCodeMemo::Rehighlight()
{
    // Nothing scans the text, so nothing is pending afterwards.
    FHighlightStart = nullptr;
}

void TCustomCodeMemo::RehighlightFrom(TLineRecord* line)
{
    FHighlightStart = line;
    if (!line)
        return;
    line->Flags |= lfRestart;
    Rehighlight();
}

void TCustomCodeMemo::RehighlightAll()
{
    RehighlightFrom(FirstRecord());
}

// ---------------------------------------------------------------- keys

void TCustomCodeMemo::BuildCommandKeySet()
{
    FCommandKeys.reset();
}

void TCustomCodeMemo::ExecuteCommand(int, int, bool) {}

void TCustomCodeMemo::KeyDown(uint16_t& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TCustomCodeMemo::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TCustomCodeMemo::KeyUp(uint16_t& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

// ---------------------------------------------------------------- mouse

void TCustomCodeMemo::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TCustomCodeMemo::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TCustomCodeMemo::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TCustomCodeMemo::SelectWordAtCaret(TPoint) {}

// ---------------------------------------------------------------- undo log

bool TCustomCodeMemo::CanUndo()
{
    return false;
}

bool TCustomCodeMemo::CanRedo()
{
    return false;
}

void TCustomCodeMemo::Undo() {}

void TCustomCodeMemo::Redo() {}

bool TCustomCodeMemo::GetModified()
{
    return false;
}

void TCustomCodeMemo::SetModified(bool value)
{
    // Only False means something: it empties the log. True cannot make a change up.
    if (!value)
        clearUndoLog();
}

void TCustomCodeMemo::SetUndoStack(TUndoStack* stack)
{
    FUndoStack = stack;
    Change();
}

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

// ---------------------------------------------------------------- shared settings objects

void TCustomCodeMemo::ClaimSettingsObjects() {}

void TCustomCodeMemo::ReleaseSettingsObjects() {}
