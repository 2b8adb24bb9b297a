// What the editor control does for the features its other units provide, until they provide them.
//
// Each member here is the whole of a feature's reach into the control: the highlighting driver,
// templates' share of the keys, bookmarks, text marks, search, export and clipboard, drag and drop,
// and the shared template and key objects. A unit that provides one replaces its members here.
#include <QPointer>

#include "editor/CodeMemo.h"
#include "editor/KeyBindings.h"

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

// ---------------------------------------------------------------- text marks

void TCustomCodeMemo::MarksInRange(int, int, std::vector<TMarkSpan>&) {}

// ---------------------------------------------------------------- templates' share of the keys

// Code templates and auto-replace take no keys until their unit provides them.
bool TCustomCodeMemo::TemplateKey(uint16_t, TShiftState)
{
    return false;
}

void TCustomCodeMemo::AutoReplaceKey(uint16_t, TShiftState) {}

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
