// The editor control's side of the undo log: replay through the control's messages, its own log, the core's groups.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/model/Undo.h"

class TCustomCodeMemo;

// What the control adds to the undo log: it replays records through the control's own messages,
// owns the recorder and the log the control starts with, and keeps the editing core's groups apart
// from the groups of the commands around them.
class TCodeMemoUndo : public TUndoTarget {
public:
    explicit TCodeMemoUndo(TCustomCodeMemo& memo);
    TCodeMemoUndo(const TCodeMemoUndo&) = delete;
    TCodeMemoUndo& operator=(const TCodeMemoUndo&) = delete;

    TUndoRecorder& Recorder() { return FRecorder; }
    // The log the control created for itself; the control frees it, attached or not.
    TUndoStack* OwnStack() const { return FOwnStack.get(); }
    // Attaches `stack` (nil detaches) and runs the change notification.
    void Attach(TUndoStack* stack);

    // The editing core's groups, and the commands' groups opened through the same hooks. A call
    // closes only a group it opened itself, so an edit made inside a command's group, even one of the
    // edit's own kind, leaves that group open for the rest of the command.
    void OpenCoreGroup(int kind);
    void CloseCoreGroup(int kind);
    // The core's replacement of the selection, opened before the selection is deleted.
    void LogReplaceStart(std::string_view newText);
    void LogReplaceEnd();
    // SMM_LOADSTREAM: the stream replaces the selection chunk by chunk, but is logged as one stream
    // replacement in one group, so that one undo takes it back and a redo cuts it into the same chunks.
    void InsertStream(TStream& stream);
    // Empties the attached log and forgets a transaction that an edit left open.
    void Clear();
    // Where the editing stands: the core groups open and whether a replacement is under way. A
    // message takes it on entry, to tell its own edits from the one it may be running inside.
    struct TEditMark {
        size_t CoreDepth = 0;
        bool InTransaction = false;
    };
    TEditMark Mark() const { return {FCoreGroups.size(), FRecorder.InTransaction()}; }
    // An exception left the edits begun since `since`. The core groups they opened are closed, so
    // that the next command gets a group of its own. When they had begun a replacement, the text may
    // have changed without its record: the history no longer fits the text and the log is emptied.
    void EditFailed(TEditMark since);

    // ---- TUndoTarget, each through the control's message named in Undo.h
    TSelectionRange GetSelection() override;
    void SetSelection(TSelectionRange selection) override;
    std::string GetSelText() override;
    void InsertText(std::string_view text) override;
    void LoadStream(TStream& stream) override;
    void ReplaceRanges(TRangeEdits edits) override;
    void ResetHighlightStart() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void UpdateView() override;
    void ScrollCaret() override;
    void Change() override;
    void Beep() override;

private:
    // Drops the core group entries from `index` up; ends the open group when one of them opened it.
    void dropCoreGroups(size_t index, bool quietly);
    // Ends a group on the way out of a failure, which a failure to log the end must not replace.
    void endGroupQuietly(int kind);

    TCustomCodeMemo& FMemo;
    std::unique_ptr<TUndoStack> FOwnStack;
    TUndoRecorder FRecorder{*this};
    // One entry per open core group call: its kind and whether it opened the group. Entries that an
    // edit left behind when an exception cut it short lie above the live ones.
    struct TCoreGroup {
        int Kind;
        bool Opened;
    };
    std::vector<TCoreGroup> FCoreGroups;
    // One entry per open BeginUpdate: whether it began an update of Lines (only with redraw on).
    std::vector<bool> FUpdates;
    // Work copies: a logged text without NUL bytes, a replayed text with its terminating NUL.
    std::string FLoggedText;
    std::string FReplayText;
};

// Keeps the control's changes out of the log for its lifetime: loading a whole text, whose log is
// emptied before and after, need not copy the old and the new text into it first.
class TUndoLoggingPause {
public:
    explicit TUndoLoggingPause(TUndoRecorder& recorder) : FRecorder(recorder), FWasLogging(recorder.LoggingEnabled())
    {
        FRecorder.DisableLogging();
    }
    ~TUndoLoggingPause()
    {
        if (FWasLogging)
            FRecorder.EnableLogging();
    }
    TUndoLoggingPause(const TUndoLoggingPause&) = delete;
    TUndoLoggingPause& operator=(const TUndoLoggingPause&) = delete;

private:
    TUndoRecorder& FRecorder;
    bool FWasLogging;
};
