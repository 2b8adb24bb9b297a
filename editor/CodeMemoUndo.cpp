// The editor control's undo log: its hooks into the editing core, the undo members and the replay through messages.
#include "editor/CodeMemoUndo.h"

#include <QApplication>
#include <algorithm>
#include <cstddef>

#include "editor/CodeMemo.h"

// ---------------------------------------------------------------- TCodeMemoUndo

TCodeMemoUndo::TCodeMemoUndo(TCustomCodeMemo& memo) : FMemo(memo), FOwnStack(std::make_unique<TUndoStack>()) {}

void TCodeMemoUndo::Attach(TUndoStack* stack)
{
    // Open core groups belong to the log they were opened in.
    FCoreGroups.clear();
    FRecorder.SetUndoStack(stack);
}

void TCodeMemoUndo::OpenCoreGroup(int kind)
{
    // With no group open, entries that an edit left behind when it failed half-way mean nothing.
    const TUndoStack* stack = FRecorder.UndoStack();
    if (!stack || !stack->InGroup())
        FCoreGroups.clear();
    // A replay edits through the core too; it must not open groups of its own in the log it reads.
    FCoreGroups.push_back({kind, !FRecorder.Replaying() && FRecorder.BeginUndoGroup(kind)});
}

void TCodeMemoUndo::CloseCoreGroup(int kind)
{
    // The newest entry of this kind is the call being closed; any above it are left over from an
    // edit inside it that failed. A close that matches no entry is ignored.
    auto entry = std::find_if(FCoreGroups.rbegin(), FCoreGroups.rend(),
                              [kind](const TCoreGroup& group) { return group.Kind == kind; });
    if (entry == FCoreGroups.rend())
        return;
    const size_t index = static_cast<size_t>(FCoreGroups.rend() - entry) - 1;
    // A replacement still open under a left-over entry is the failed edit's: see EditFailed.
    if (index + 1 < FCoreGroups.size() && FRecorder.InTransaction()) {
        FCoreGroups.resize(index);
        Clear();
        return;
    }
    dropCoreGroups(index, false);
}

void TCodeMemoUndo::dropCoreGroups(size_t index, bool quietly)
{
    index = std::min(index, FCoreGroups.size());
    const bool opened = std::any_of(FCoreGroups.begin() + static_cast<std::ptrdiff_t>(index), FCoreGroups.end(),
                                    [](const TCoreGroup& group) { return group.Opened; });
    FCoreGroups.resize(index);
    const TUndoStack* stack = FRecorder.UndoStack();
    if (!opened || !stack || !stack->InGroup())
        return;
    if (quietly)
        endGroupQuietly(stack->GroupKind());
    else
        FRecorder.EndUndoGroup(stack->GroupKind());
}

void TCodeMemoUndo::LogReplaceStart(std::string_view newText)
{
    if (newText.empty()) {
        FRecorder.LogReplaceStart(std::nullopt);
        return;
    }
    // A NUL goes into the text as "." and would end the text when it is replayed: log what goes in.
    if (newText.find('\0') != std::string_view::npos) {
        FLoggedText.assign(newText);
        std::replace(FLoggedText.begin(), FLoggedText.end(), '\0', '.');
        newText = FLoggedText;
    }
    FRecorder.LogReplaceStart(newText);
}

void TCodeMemoUndo::LogReplaceEnd()
{
    // Only a transaction that was opened is closed: logging may have been off, or no log attached,
    // when the replacement began.
    if (FRecorder.InTransaction())
        FRecorder.LogReplaceEnd();
}

void TCodeMemoUndo::InsertStream(TStream& stream)
{
    const TEditMark mark = Mark();
    const bool opened = !FRecorder.Replaying() && FRecorder.BeginUndoGroup(ugInsertText);
    try {
        FRecorder.LogStreamStart(stream);
        {
            // Each chunk's own replacement would be normalised apart from its neighbours on replay.
            TUndoLoggingPause chunksUnlogged(FRecorder);
            FMemo.InsertStream(stream);
        }
        if (FRecorder.InTransaction())
            FRecorder.LogStreamEnd();
    } catch (...) {
        EditFailed(mark);
        if (opened)
            endGroupQuietly(ugInsertText);
        throw;
    }
    if (opened)
        FRecorder.EndUndoGroup(ugInsertText);
}

void TCodeMemoUndo::Clear()
{
    FRecorder.AbandonTransaction();
    FRecorder.ClearLog();
}

void TCodeMemoUndo::EditFailed(TEditMark since)
{
    if (FRecorder.InTransaction() && !since.InTransaction) {
        FCoreGroups.resize(std::min(since.CoreDepth, FCoreGroups.size()));
        Clear();
        return;
    }
    dropCoreGroups(since.CoreDepth, true);
}

void TCodeMemoUndo::endGroupQuietly(int kind)
{
    try {
        FRecorder.EndUndoGroup(kind);
    } catch (...) {
        // The group is closed before its end marks are logged; only the marks are lost, and the
        // failure that is on its way out matters more.
    }
}

TSelectionRange TCodeMemoUndo::GetSelection()
{
    TSelectionRange range{0, 0};
    FMemo.PerformSelection(0, range);
    return range;
}

void TCodeMemoUndo::SetSelection(TSelectionRange selection)
{
    const TSelectionRange old = GetSelection();
    FMemo.DropCaretBeyondEOL();
    FMemo.PerformSelection(SMM_SET | SMM_NOREDRAW, selection);
    if (old.Start != selection.Start || old.End != selection.End)
        FMemo.SetChangeBits(CHANGE_SELECTION);
}

std::string TCodeMemoUndo::GetSelText()
{
    // Format 0 gives the characters as they are stored (a line break as one CR), which the
    // normaliser puts back unchanged. Only a control character that went in raw (a single one, or
    // the last of a text) comes back as "." when it lies inside a longer text.
    const LRESULT size = FMemo.Perform(SMM_GETSELTEXT, 0, 0);
    if (size <= 0)
        return {};
    std::string text(static_cast<size_t>(size) + 1, '\0');
    const LRESULT written = FMemo.PerformBuffer(SMM_GETSELTEXT, 0, text.data());
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(written, 0, size)));
    return text;
}

void TCodeMemoUndo::InsertText(std::string_view text)
{
    const char* data = nullptr;
    if (!text.empty()) {
        FReplayText.assign(text);
        data = FReplayText.c_str();
    }
    FMemo.PerformText(SMM_INSERTTEXT, SMM_NOREDRAW, data);
    FMemo.SetChangeBits(CHANGE_SELECTION | CHANGE_TEXT);
}

void TCodeMemoUndo::LoadStream(TStream& stream)
{
    FMemo.PerformStream(SMM_LOADSTREAM, SMM_NOREDRAW, stream);
    FMemo.SetChangeBits(CHANGE_SELECTION | CHANGE_TEXT);
}

void TCodeMemoUndo::ReplaceRanges(TRangeEdits edits)
{
    FMemo.ReplaceRanges(std::move(edits));
    FMemo.SetChangeBits(CHANGE_SELECTION | CHANGE_TEXT);
}

void TCodeMemoUndo::ResetHighlightStart()
{
    FMemo.Perform(SMM_HIGHLIGHTSTART, SMM_SET, 0);
}

void TCodeMemoUndo::BeginUpdate()
{
    const bool begin = FMemo.RedrawOn();
    if (begin)
        FMemo.Lines().BeginUpdate();
    FUpdates.push_back(begin);
}

void TCodeMemoUndo::EndUpdate()
{
    if (FUpdates.empty())
        return;
    const bool begun = FUpdates.back();
    FUpdates.pop_back();
    if (begun)
        FMemo.Lines().EndUpdate();
}

void TCodeMemoUndo::UpdateView()
{
    // While Lines is updating the redraw is off and the end of the update repaints everything.
    if (!FMemo.RedrawOn())
        return;
    FMemo.UpdateScrollBars();
    FMemo.Paint();
}

void TCodeMemoUndo::ScrollCaret()
{
    FMemo.MakeOffsetVisible(FMemo.Caret());
}

void TCodeMemoUndo::Change()
{
    // The view is drawn by whoever ends the update of Lines, or by the next paint.
    FMemo.MarkVisibleForRepaint();
    FMemo.Change();
}

void TCodeMemoUndo::Beep()
{
    QApplication::beep();
}

// ---------------------------------------------------------------- the control's undo members

bool TCustomCodeMemo::CanUndo()
{
    return FUndo->Recorder().CanUndo();
}

bool TCustomCodeMemo::CanRedo()
{
    return FUndo->Recorder().CanRedo();
}

void TCustomCodeMemo::Undo()
{
    FUndo->Recorder().Undo();
}

void TCustomCodeMemo::Redo()
{
    FUndo->Recorder().Redo();
}

bool TCustomCodeMemo::GetModified()
{
    return FUndo->Recorder().Modified();
}

void TCustomCodeMemo::SetModified(bool value)
{
    // Only False means something: it empties the log, whose empty state is then the text as it
    // stands on disk. True cannot make a change up.
    if (value)
        return;
    clearUndoLog();
    FUndo->Recorder().SetModified(false);
}

void TCustomCodeMemo::SetUndoStack(TUndoStack* stack)
{
    FUndoStack = stack;
    FUndo->Attach(stack);
}

void TCustomCodeMemo::BeginUndoGroup(int kind)
{
    FUndo->Recorder().BeginUndoGroup(kind);
}

void TCustomCodeMemo::EndUndoGroup(int kind)
{
    FUndo->Recorder().EndUndoGroup(kind);
}

TUndoRecorder& TCustomCodeMemo::UndoRecorder()
{
    return FUndo->Recorder();
}

// ---------------------------------------------------------------- hooks of the editing core

void TCustomCodeMemo::openUndoGroup(int kind)
{
    FUndo->OpenCoreGroup(kind);
}

void TCustomCodeMemo::closeUndoGroup(int kind)
{
    FUndo->CloseCoreGroup(kind);
}

void TCustomCodeMemo::logReplaceStart(std::string_view newText)
{
    FUndo->LogReplaceStart(newText);
}

void TCustomCodeMemo::logReplaceEnd()
{
    FUndo->LogReplaceEnd();
}

void TCustomCodeMemo::logInsertion(int offset, std::string_view chars)
{
    FUndo->Recorder().LogInsertion(offset, chars);
}

void TCustomCodeMemo::logRemoval(int offset, std::string_view chars)
{
    FUndo->Recorder().LogRemoval(offset, chars);
}

void TCustomCodeMemo::logRangesStart()
{
    FUndo->Recorder().LogRangesStart();
}

void TCustomCodeMemo::logRangesEnd(TRangeEdits&& edits)
{
    // Only a replacement that was opened is closed, as for LogReplaceEnd.
    if (FUndo->Recorder().InTransaction())
        FUndo->Recorder().LogRangesEnd(edits);
}

void TCustomCodeMemo::clearUndoLog()
{
    FUndo->Clear();
}
