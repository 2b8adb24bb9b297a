// Drag and drop of text in the editor control: the drop target on Qt's drag events, the insertion of dropped text, the drop caret and the drag of the selection.
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <climits>

#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
#include "platform/ClipboardFormats.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"

namespace {

// Width in pixels of the caret that shows where a drop would land.
constexpr int kDropCaretWidth = 2;

// Local files among the dropped addresses, one name a line, in the file system's bytes: the handler
// of dropped files takes names as every other file name is taken, whichever program they came from.
// A name holding a line break would read back as two other names, so it is left out.
std::unique_ptr<TStringList> droppedFileList(const QMimeData* data)
{
    auto files = std::make_unique<TStringList>();
    for (const std::string& file : DroppedFilePaths(data))
        if (file.find_first_of("\r\n") == std::string::npos)
            files->Add(file);
    return files;
}

bool offersFiles(const QMimeData* data)
{
    return droppedFileList(data)->Count() > 0;
}

// Qt also reads an address list as text; only real text counts as text here.
bool offersText(const QMimeData* data)
{
    return data && data->hasFormat(MimeTypeOfFormat(CF_TEXT));
}

} // namespace

// ---------------------------------------------------------------- the drop target

Qt::DropAction TCustomCodeMemo::EffectFromKeys(Qt::KeyboardModifiers keys, Qt::DropActions allowed)
{
    const Qt::DropAction wanted = (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
    const Qt::DropAction other = wanted == Qt::CopyAction ? Qt::MoveAction : Qt::CopyAction;
    if (allowed & wanted)
        return wanted;
    return (allowed & other) ? other : Qt::IgnoreAction;
}

bool TCustomCodeMemo::DropTargetEnter(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    TSourceTypes offered = 0;
    if (offersText(data))
        offered |= stUnicodeText | stCFText;
    if (data && data->hasHtml())
        offered |= stHTML;
    if (FSettings->HasOption(smoProcessDroppedFiles) && offersFiles(data))
        offered |= stFiles;
    FDropOffered = offered;
    const Qt::DropAction effect = EffectFromKeys(event->modifiers(), event->possibleActions());
    if (!offered || effect == Qt::IgnoreAction)
        return false;
    FMouse.DropStart = -1;
    FMouse.DragMoving = true;
    UpdateDropCaret(TPoint{event->position().toPoint().x() - clientRect().left(),
                           event->position().toPoint().y() - clientRect().top()});
    event->setDropAction(effect);
    event->accept();
    return true;
}

bool TCustomCodeMemo::DropTargetOver(QDragMoveEvent* event)
{
    const QPoint at = event->position().toPoint() - clientRect().topLeft();
    const Qt::DropAction effect = EffectFromKeys(event->modifiers(), event->possibleActions());
    if (!FDropOffered || effect == Qt::IgnoreAction)
        return false;
    // Near an edge the view moves a step towards the pointer, so that the drop can reach any line.
    AutoScrollStep({at.x(), at.y()});
    UpdateDropCaret({at.x(), at.y()});
    event->setDropAction(effect);
    event->accept();
    return true;
}

void TCustomCodeMemo::DropTargetLeave()
{
    FMouse.DragMoving = false;
    FMouse.DropCaretShown = false;
    FMouse.DropStart = -1;
    update();
}

bool TCustomCodeMemo::DropTargetDrop(QDropEvent* event)
{
    // Refused until the drop is through: a failure on the way must not tell the source to delete.
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    const QMimeData* data = event->mimeData();
    const bool ownData = data && data == FDragData;
    const QPoint at = event->position().toPoint() - clientRect().topLeft();
    Qt::DropAction effect = EffectFromKeys(event->modifiers(), event->possibleActions());
    if (!data || !FDropOffered || effect == Qt::IgnoreAction) {
        DropTargetLeave();
        return false;
    }
    UpdateDropCaret({at.x(), at.y()});

    TSourceTypes sourceTypes = FDropOffered | stNoFilter | stProcessFiles;
    if (OnDataDrop)
        OnDataDrop(this, sourceTypes);
    const TSourceTypes actions = sourceTypes & stActions;
    sourceTypes &= static_cast<TSourceTypes>(~stActions);
    const TSourceTypes chosen = sourceTypes & FDropOffered;
    if (actions & stHandled) {
        // The application took the drop itself: the source hears what the keys asked for.
        DropTargetLeave();
        event->setDropAction(effect);
        event->accept();
        return true;
    }
    if (!chosen) {
        DropTargetLeave();
        return false;
    }

    TDropObj dropped;
    int kind = dkFiles;
    if (chosen & stHTML)
        kind = dkHTML;
    else if (chosen & stCFText)
        kind = dkText;
    else if (chosen & stUnicodeText)
        kind = dkUnicodeText;
    if (kind == dkFiles) {
        auto files = droppedFileList(data);
        const size_t length = files->Text().size();
        dropped.SetList(kind, std::move(files), length);
        // Files are only read, never moved: a move would tell a file manager to delete them.
        effect = EffectFromKeys(Qt::ControlModifier, event->possibleActions());
    } else {
        std::string text = GetFormatData(data, kind == dkHTML ? HtmlClipboardFormat() : CF_TEXT);
        const size_t nul = text.find('\0');
        if (nul != std::string::npos)
            text.resize(nul);
        auto list = std::make_unique<TStringList>();
        list->Add(text);
        dropped.SetList(kind, std::move(list), text.size());
    }
    std::string text = dropped.Text(kind);
    // Offsets are ints: a text that could not be held whole is refused before anything changes.
    if (text.size() > static_cast<size_t>(INT_MAX - FTextLength)) {
        DropTargetLeave();
        return false;
    }
    Qt::DropAction result = effect;
    DropText(std::move(text), effect, static_cast<TSourceTypes>(actions | (1u << kind)), result, ownData);
    if (result == Qt::IgnoreAction)
        return false;
    event->setDropAction(result);
    event->accept();
    return true;
}

// ---------------------------------------------------------------- the insertion

void TCustomCodeMemo::DropText(std::string text, Qt::DropAction effect, TSourceTypes sourceTypes,
                               Qt::DropAction& effectResult, bool ownData)
{
    auto endDrag = [this] {
        FMouse.DragMoving = false;
        FMouse.DropCaretShown = false;
        update();
    };
    FilterDroppedText(text, sourceTypes);
    if ((sourceTypes & stFiles) && (sourceTypes & stProcessFiles) && FSettings->HasOption(smoProcessDroppedFiles) &&
        OnFilesDropped) {
        TStringList files;
        files.SetText(text);
        OnFilesDropped(this, files, FMouse.DropPoint);
        text = files.Text();
        if (!(sourceTypes & stNoFilter)) {
            endDrag();
            Invalidate();
            return;
        }
    }
    // The names (the file system's bytes, as the handler left them) go in as the editor's text shows
    // a name; line ends are plain characters to the conversion and stay as they are.
    if (sourceTypes & stFiles)
        text = FilePathText(text);

    const TTextRange selection = OrderedSelection();
    const int dropStart = FMouse.DropStart;
    if (ownData && selection.Start != selection.End && dropStart >= selection.Start && dropStart <= selection.End) {
        // Dropped onto the dragged text itself: nothing moves, and the source must not delete it.
        endDrag();
        effectResult = Qt::IgnoreAction;
        return;
    }
    endDrag();
    // A drop that inserts nothing tells the source so: a move would otherwise lose the text. Names
    // grew as the editor's text, so the length is checked again.
    if (FReadOnly || dropStart < 0 || text.empty() || text.size() > static_cast<size_t>(INT_MAX - FTextLength) ||
        (effect != Qt::MoveAction && effect != Qt::CopyAction)) {
        effectResult = Qt::IgnoreAction;
        return;
    }

    TScopeGuard group = undoGroupScope(ugMoveText);
    TScopeGuard linesUpdate = linesUpdateScope();
    if (ownData) {
        // The drag start closes both after the drag loop, so that the removal of the moved text joins
        // the insertion as one undo step.
        group.Dismiss();
        linesUpdate.Dismiss();
        FMouse.DropGroupOpen = true;
    }
    int at = dropStart;
    if (effect == Qt::MoveAction && ownData) {
        if (at > selection.Start)
            at = at >= selection.End ? at - (selection.End - selection.Start) : selection.Start;
        Perform(SMM_INSERTTEXT, SMM_NOREDRAW, 0);
        Rehighlight();
    }
    FMouse.DropStart = at;
    Perform(EM_SETSEL, static_cast<WPARAM>(at), at);
    PerformText(SMM_INSERTTEXT, SMM_NOREDRAW, text.c_str());
    if (!ownData) {
        // Another program's text: re-highlighted and shown here, since no drag start of ours follows.
        Rehighlight();
        FChangeBits |= CHANGE_SELECTION | CHANGE_TEXT;
    }
    effectResult = effect;
    if (!ownData) {
        linesUpdate.End();
        group.End();
        Change();
        MakeOffsetVisible(FCaret);
        Invalidate();
    }
}

// ---------------------------------------------------------------- the drop caret

void TCustomCodeMemo::UpdateDropCaret(TPoint point)
{
    FMouse.DropPoint = point;
    FMouse.DropStart = OffsetFromPoint(point);
    FMouse.DropCaretShown = true;
    update();
}

QRect TCustomCodeMemo::DropCaretRect()
{
    if (!FMouse.DropCaretShown || !FMouse.DragMoving || FMouse.DropStart < 0)
        return {};
    const TPoint at = PointFromOffset(FMouse.DropStart);
    if (at.X < 0 || at.Y < 0)
        return {};
    return QRect(at.X, at.Y, kDropCaretWidth, std::max(1, FView.LineHeight));
}

// ---------------------------------------------------------------- the drag of the selection

std::unique_ptr<QMimeData> TCustomCodeMemo::SelectionDragData()
{
    auto data = std::make_unique<QMimeData>();
    SetFormatData(*data, CF_TEXT, GetSelText());
    return data;
}

Qt::DropAction TCustomCodeMemo::ExecDrag(QDrag& drag, Qt::DropActions allowed)
{
    return drag.exec(allowed, (allowed & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
}

// The whole of a drag of the selection, however it starts: the drag loop, then what its outcome asks
// for here. A drop into this control opened one undo group for the removal and the insertion; it is
// closed here, so that a move is one undo step.
Qt::DropAction TCustomCodeMemo::DragSelection(Qt::DropActions allowed)
{
    Qt::DropAction effect = Qt::IgnoreAction;
    {
        TScopeGuard dropOnFailure([this] { closeOwnDrop(); });
        // QDrag owns the data and deletes it with itself; the pointer only tells our own drops apart.
        QDrag drag(this);
        std::unique_ptr<QMimeData> data = SelectionDragData();
        FDragData = data.get();
        TScopeGuard forget([this] { FDragData = nullptr; });
        drag.setMimeData(data.release());
        effect = ExecDrag(drag, allowed);
        dropOnFailure.Dismiss();
    }
    TScopeGuard close([this] { closeOwnDrop(); });
    const bool ownDrop = FMouse.DropGroupOpen;
    const TTextRange selection = OrderedSelection();
    if (effect == Qt::MoveAction && selection.Start != selection.End) {
        // The text went elsewhere: it leaves this control as one undoable step.
        if (!FReadOnly) {
            if (ownDrop)
                Perform(SMM_INSERTTEXT, 0, 0);
            else
                inUndoGroup(ugMoveText, [&] { Perform(SMM_INSERTTEXT, 0, 0); });
        }
    } else if ((effect == Qt::MoveAction || effect == Qt::CopyAction) && ownDrop && FMouse.DropStart >= 0) {
        // Dropped into this control: the text that arrived is selected.
        TSelectionRange arrived{FMouse.DropStart, selection.End};
        PerformSelection(SMM_SET, arrived);
    }
    close.End();
    if (effect != Qt::IgnoreAction)
        Change();
    return effect;
}

// Only this control's own drop opened the undo group and the Lines update that a drag ends.
void TCustomCodeMemo::closeOwnDrop()
{
    if (!FMouse.DropGroupOpen)
        return;
    FMouse.DropGroupOpen = false;
    FLines->EndUpdate();
    closeUndoGroup(ugMoveText);
}
