// What the editor control does for the features its other units provide, until they provide them.
//
// Each member here is the whole of a feature's reach into the control: key commands, mouse
// handling, the undo log, search, export and clipboard, drag and drop, and the shared template and
// key objects. A unit that provides one replaces its members here.
#include <QPointer>

#include "editor/CodeMemo.h"
#include "editor/KeyBindings.h"

// ---------------------------------------------------------------- keys

void TCustomCodeMemo::BuildCommandKeySet()
{
    FCommandKeys = ::BuildCommandKeySet(FSettings->KeyController());
}

void TCustomCodeMemo::CommandRecognised(int32_t& actionCode)
{
    // The bit that marks a change made by the user's hand: keys, commands, cut and paste.
    FChangeBits |= CHANGE_CLIPBOARD;
    int code = actionCode;
    if (OnCommandRecognised)
        OnCommandRecognised(this, code);
    actionCode = code;
    ExecuteCommand(code, 0, false);
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

namespace {
// The key controller's handler while a control has claimed it. It holds a guarded pointer, so a
// controller that outlives its last claimer calls nobody.
struct TCommandForwarder {
    QPointer<TCustomCodeMemo> Editor;
    void operator()(TKeyboardActionContoller*, int32_t& actionCode) const
    {
        if (Editor && !Editor->Destroying())
            Editor->CommandRecognised(actionCode);
    }
};

void releaseController(TKeyboardActionContoller& controller, const TCustomCodeMemo* editor)
{
    const auto* forwarder = controller.OnActionRecognised.target<TCommandForwarder>();
    if (forwarder && forwarder->Editor == editor)
        controller.OnActionRecognised = nullptr;
}
} // namespace

void TCustomCodeMemo::ClaimSettingsObjects()
{
    if (FDestroying)
        return;
    FSettings->KeyController().OnActionRecognised = TCommandForwarder{this};
}

void TCustomCodeMemo::ReleaseSettingsObjects()
{
    releaseController(FSettings->KeyController(), this);
    releaseController(FOwnSettings->KeyController(), this);
    for (TCustomCodeMemoParser* parser : FParsers)
        if (parser)
            releaseController(parser->Settings().KeyController(), this);
}
