// The undo log: TStack, TUndoStack with its records, groups and queries, and TUndoRecorder, the
// editor's side that writes changes into an attached log and replays them through TUndoTarget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/model/EditorErrors.h"
#include "editor/model/EditorMessages.h"
#include "editor/model/RangeEdits.h"
#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"

// ---------------------------------------------------------------- TStack

struct TStackEntry {
    void* Data = nullptr;
    size_t Size = 0; // bytes that Data refers to, for the size accounting
    TStackEntry* Prev = nullptr; // older
    TStackEntry* Next = nullptr; // newer
};

// A doubly linked stack with a movable position. Entries at or below Current are "done"; the ones
// above it were stepped back over and are dropped by the next push. Position counts the entries from
// Bottom up to and including Current, so it is 0 exactly when Current is nil.
class TStack {
public:
    TStack() = default;
    virtual ~TStack();
    TStack(const TStack&) = delete;
    TStack& operator=(const TStack&) = delete;

    // Drops the entries above Current, then adds `data` as the new Top and Current.
    virtual void Push(void* data, size_t size);
    // Removes Top and hands its data to the caller. Raises "Stack underflow" when empty.
    virtual void* Pop();

    bool Empty() const { return FTop == nullptr; }
    bool AtTop() const { return FCurrent == FTop; }
    // The data of Current; Current moves to the entry below. Raises "Stack underflow" without Current.
    void* StepBack();
    // Current moves to the entry above (Bottom when nil) and its data is returned. Raises
    // "Stack underflow" when there is none.
    void* StepForward();
    // Makes Top the current entry again.
    void ResetToTop();
    // Pops every entry, handing each data to OnFreeData.
    void Clear();

    TStackEntry* Bottom() const { return FBottom; }
    TStackEntry* Current() const { return FCurrent; }
    TStackEntry* Top() const { return FTop; }
    size_t Count() const { return FCount; }
    // The sum of kEntryOverhead + Size over all entries.
    size_t TotalBytes() const { return FTotalBytes; }
    size_t Position() const { return FPosition; }

    // Called with the data of every entry the stack drops by itself (above Current on a push, and
    // everything on Clear and destruction). Not called for Pop, whose caller takes the data.
    std::function<void(void*)> OnFreeData;

    static constexpr size_t kEntryOverhead = sizeof(TStackEntry);

protected:
    // Told about every entry just before it is freed, so that derived classes can forget it.
    virtual void EntryReleased(TStackEntry* /*entry*/) {}
    // Unlinks Bottom and returns its data (the caller owns it). Current and Position follow.
    void* RemoveBottom();

private:
    void freeData(void* data);
    // Unlinked entries: accounted for, announced, freed; their data is returned.
    void* release(TStackEntry* entry);
    void* removeTop();
    void dropAboveCurrent();

    TStackEntry* FBottom = nullptr;
    TStackEntry* FCurrent = nullptr;
    TStackEntry* FTop = nullptr;
    size_t FCount = 0;
    size_t FTotalBytes = 0;
    size_t FPosition = 0;
};

// ---------------------------------------------------------------- records and codes

// Record kinds.
enum : int {
    urSelection = 0, // Data = start (anchor), Extra = end (caret)
    urText = 1,      // Text = the text, nil for none
    urStream = 4,    // Stream = the inserted contents
    urMark = 5,      // Data = operation or group kind, Aux = phase (0, 2 or 3)
    urRanges = 6,    // Ranges = many ranges replaced at once, with their old and new texts
};

// Operations of TUndoRecorder::LogChange, with what each carries:
//  uoReplaceText   phase 1: TUndoData::Text = the new text (nullopt: none) - before the selection
//                  is touched; phase 2: nothing - after the new text went in.
//  uoGroupBegin,   phase = the group kind; nothing else.
//  uoGroupEnd
//  uoReplaceStream phase 1: TUndoData::Stream = the stream whose rest replaces the selection;
//                  phase 2: nothing.
//  uoEnableLogging, uoDisableLogging, uoClear: nothing.
//  uoRemoveChars   phase = the offset; TUndoData::Text = the characters removed there (unindent).
//  uoInsertChars   phase = the offset; TUndoData::Text = the characters inserted there (indent).
//  uoReplaceRanges phase 1: nothing - before the text changes; phase 2: TUndoData::Ranges = the
//                  edits made, old texts filled in, which the log takes over (replace all).
enum : int {
    uoReplaceText = 1,
    uoGroupBegin = 2,
    uoGroupEnd = 3,
    uoReplaceStream = 4,
    uoReplaceRanges = 5,
    uoEnableLogging = 6,
    uoDisableLogging = 7,
    uoClear = 8,
    uoRemoveChars = 9,
    uoInsertChars = 10,
};

// Group kinds: what one undo step undoes, named for the menus.
enum : int {
    ugMoveText = 11,   // moving text by drag and drop
    ugTyping = 12,
    ugDelete = 13,     // delete and backspace commands
    ugPaste = 14,
    ugCut = 15,
    ugTemplate = 16,   // template or auto-replace expansion
    ugIndent = 17,
    ugUnindent = 18,
    ugDeleteWord = 19,
    ugReplaceAll = 20,
    ugInsertText = 21, // text insertion through SMM_INSERTTEXT
    ugFirstKind = ugMoveText,
    ugLastKind = ugInsertText,
};

// Requests and results of TUndoStack::Query.
enum : int {
    uqStartWalk = 1,
    uqCanUndo = 4,
    uqCanRedo = 8,
    uqPreviousGroup = 16,
    uqNextGroup = 32,
    uqMerge = 0x1000000,
    uqDone = 8000,
    uqBadRequest = 8001,
    uqNothing = 8002,
};

// The data of every undo-log entry.
struct TUndoRecord {
    intptr_t Aux = 0;
    int Kind = urSelection;
    intptr_t Data = 0;
    intptr_t Extra = 0;
    std::unique_ptr<std::string> Text;     // urText; nil: no text
    std::unique_ptr<TMemoryStream> Stream; // urStream
    std::unique_ptr<TRangeEdits> Ranges;   // urRanges

    // The bytes this record accounts for in the log's size.
    size_t Size() const;
};

class TUndoRecorder;

// ---------------------------------------------------------------- TUndoStack

// One document's undo log. The application owns it and attaches it to the editor; the editor's
// TUndoRecorder writes and replays it.
class TUndoStack : public TStack {
public:
    TUndoStack();
    ~TUndoStack() override;

    static void FreeRecord(void* record);
    static const TUndoRecord* RecordOf(const TStackEntry* entry)
    {
        return static_cast<const TUndoRecord*>(entry->Data);
    }

    // Pushes a record the log then owns; the record is freed when the push fails.
    void PushRecord(std::unique_ptr<TUndoRecord> record);
    // Drops Bottom and returns its kind (-1 when empty).
    int DropOldest();
    // Drops the oldest transactions and group marks, whole, while the log is larger than SizeLimit.
    // Only entries below Current go: the newest change stays undoable and the redo part stays whole.
    void Trim();
    // Empties the log and forgets any open group.
    void ClearLog();

    // Walks the groups for the undo and redo menus; see the request codes above. `value` is a group
    // kind for uqCanUndo and uqCanRedo, and the group's end entry (for UndoRedoTo) for the steps.
    int Query(int request, intptr_t& value);
    // Undoes or redoes through `editor` until the group that ends at `target` (a value given by
    // Query) is undone or redone. Nothing happens unless `editor` has this log attached and
    // `target` is in it.
    void UndoRedoTo(intptr_t target, TUndoRecorder& editor);

    intptr_t SizeLimit() const { return FSizeLimit; }
    // Bytes, -1 for no limit; trims at once.
    void SetSizeLimit(intptr_t limit);
    bool InGroup() const { return FInGroup; }
    int GroupKind() const { return FGroupKind; }
    // True when Trim dropped history since the last ClearLog: the text then differs from the state
    // at the bottom of the log, whatever Position says.
    bool HistoryDropped() const { return FHistoryDropped; }

    // The place in the log whose text is the one on disk, so that undoing or redoing back to it
    // leaves nothing to save: the position now (a load or a save has just made the text and the
    // file alike). Forgotten when its entry goes, when history below it is trimmed away, when the
    // log is cleared and when a change is made that the log does not hold.
    void MarkClean();
    void ForgetClean();
    // The position is the marked place.
    bool AtMarkedClean() const { return FCleanKnown && Current() == FCleanEntry; }
    // Expires with the log: a run that lets events in, during which the application may free the log
    // of a document it closes, sees whether the log it began on is still there.
    std::weak_ptr<const void> Lifetime() const { return FLifetime; }

protected:
    void EntryReleased(TStackEntry* entry) override;

private:
    friend class TUndoRecorder;

    // One group step of Query; returns the kind or uqNothing.
    int stepToPreviousGroup(intptr_t& value, bool merge);
    int stepToNextGroup(intptr_t& value, bool merge);
    // The cursor's move over one group: from its closing end mark back before its begin marks, and
    // from its first begin mark forward onto its closing end mark. They also give the selection
    // logged at the group's begin and end (nil when the marks are missing).
    TStackEntry* skipGroupBackward(TStackEntry* endMark, const TUndoRecord*& beginSelection) const;
    TStackEntry* skipGroupForward(TStackEntry* beginMark, const TUndoRecord*& endSelection) const;

    TStackEntry* FQueryCursor = nullptr;
    int FGroupKind = 0;
    intptr_t FSizeLimit = -1;
    bool FQueryAtEnd = false;
    bool FInGroup = false;
    // A group's begin marks are written with its first change, so that a group in which nothing
    // changed leaves no trace: no entry, no lost redo part, Modified as it was.
    bool FGroupBeginPending = false;
    TSelectionRange FGroupBeginSelection;
    bool FHistoryDropped = false;
    // The marked place: the entry the position was at (nil: below every entry).
    TStackEntry* FCleanEntry = nullptr;
    bool FCleanKnown = true;
    std::shared_ptr<const void> FLifetime = std::make_shared<char>();
};

// ---------------------------------------------------------------- the editor side

// What the recorder reads from the editor and how it replays a record. Each call stands for the
// editor message named beside it; the view calls default to nothing so that a text model can be a
// target by itself.
class TUndoTarget {
public:
    virtual ~TUndoTarget() = default;

    // SMM_SELECTION get: {anchor, caret}.
    virtual TSelectionRange GetSelection() = 0;
    // SMM_SELECTION set without redraw (wParam 3).
    virtual void SetSelection(TSelectionRange selection) = 0;
    // SMM_GETSELTEXT: the selected text, in a form that InsertText puts back as the same characters.
    virtual std::string GetSelText() = 0;
    // SMM_INSERTTEXT without redraw (wParam 2): replaces the selection; an empty text only deletes it.
    virtual void InsertText(std::string_view text) = 0;
    // SMM_LOADSTREAM without redraw (wParam 2): replaces the selection with the stream's contents.
    virtual void LoadStream(TStream& stream) = 0;
    // Replaces many ranges at once (the replay of a replace all). By default each range is
    // replaced by itself, from the last to the first, through SetSelection and InsertText.
    virtual void ReplaceRanges(TRangeEdits edits);

    // SMM_HIGHLIGHTSTART set to nil: before each line of an indent or unindent is undone.
    virtual void ResetHighlightStart() {}
    // Lines.BeginUpdate / EndUpdate, while redraw is on; nested pairs must balance.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // Brings the view up to date after a replayed step.
    virtual void UpdateView() {}
    // Makes the caret visible.
    virtual void ScrollCaret() {}
    // Marks the view dirty and runs the change notification (Change).
    virtual void Change() {}
    // The platform's simple beep, for a bad log entry.
    virtual void Beep() {}
};

// What LogChange carries besides operation and phase (see the operation codes).
struct TUndoData {
    std::optional<std::string_view> Text;
    TStream* Stream = nullptr;
    TRangeEdits* Ranges = nullptr;
};

// The editor's state for its undo log: it records every change while logging is on and a log is
// attached, and replays the log through its target. The editor owns one and forwards to it; the log
// itself stays the application's.
class TUndoRecorder {
public:
    explicit TUndoRecorder(TUndoTarget& target) : FTarget(target) {}
    TUndoRecorder(const TUndoRecorder&) = delete;
    TUndoRecorder& operator=(const TUndoRecorder&) = delete;

    // SMM_UNDOSTACK set: attaches `stack` (or nil) and runs the change notification. The previous
    // log is not freed. An open transaction is dropped: it belongs to the previous log.
    void SetUndoStack(TUndoStack* stack);
    TUndoStack* UndoStack() const { return FStack; }

    // The single entry point for recording. Raises ECodeMemo "Bad transaction log entry" (after
    // clearing the log) for a transaction opened twice, or closed unopened or with another operation.
    void LogChange(int operation, intptr_t phase = 0, const TUndoData& data = {});
    void LogReplaceStart(std::optional<std::string_view> newText) { LogChange(uoReplaceText, 1, {newText}); }
    void LogReplaceEnd() { LogChange(uoReplaceText, 2); }
    void LogStreamStart(TStream& stream) { LogChange(uoReplaceStream, 1, {std::nullopt, &stream}); }
    void LogStreamEnd() { LogChange(uoReplaceStream, 2); }
    void LogRemoval(int offset, std::string_view chars) { LogChange(uoRemoveChars, offset, {chars}); }
    void LogInsertion(int offset, std::string_view chars) { LogChange(uoInsertChars, offset, {chars}); }
    void LogRangesStart() { LogChange(uoReplaceRanges, 1); }
    // Takes the edits over.
    void LogRangesEnd(TRangeEdits& edits) { LogChange(uoReplaceRanges, 2, {std::nullopt, nullptr, &edits}); }
    // The replacement of many ranges made to the text of `stack` while another log came to be
    // attached (another document came into the editor between the batches of a replace all): written
    // there as one transaction from the selection `before` to `after`, and the group of `groupKind`
    // open there is closed. Takes the edits over.
    void LogRangesInto(TUndoStack& stack, TSelectionRange before, TRangeEdits& edits, TSelectionRange after,
                       int groupKind);
    void EnableLogging() { LogChange(uoEnableLogging); }
    void DisableLogging() { LogChange(uoDisableLogging); }
    void ClearLog() { LogChange(uoClear); }

    // Opens a group; ignored (false) without a log or while a group is open.
    bool BeginUndoGroup(int kind);
    // Closes the open group when it is of `kind`; any other end is ignored.
    void EndUndoGroup(int kind);

    // One group (or one transaction outside groups) back or forward. Nothing while a transaction is
    // open or a replay is running.
    void Undo();
    void Redo();

    // EM_CANUNDO: something below the position. SMM_CANREDO: a group above it.
    bool CanUndo() const;
    bool CanRedo();
    // A log is attached and holds done changes (or lost some to its size limit).
    bool Modified() const;
    // A log is attached, no change is under way and the position is its marked clean place: the
    // text is again the one last loaded or saved.
    bool AtCleanPoint() const;
    // False clears the log and marks the empty log clean; true does nothing.
    void SetModified(bool value);

    bool LoggingEnabled() const { return FLogging; }
    bool Replaying() const { return FReplaying; }
    bool InTransaction() const { return FTransaction != 0; }
    // Forgets an open transaction without logging it (an edit that failed half-way).
    void AbandonTransaction();

private:
    friend class TUndoStack;
    class ReplayScope;

    [[noreturn]] void BadLogEntry();
    void pushTransaction(int operation, TSelectionRange before, std::unique_ptr<std::string> oldText,
                         std::unique_ptr<TUndoRecord> newRecord, TSelectionRange after);
    void logMark(int value, intptr_t aux);
    // A transaction pushed whole: its mark, the selection before, its records (`second` may be nil),
    // the selection after and its mark; a push that fails leaves the log empty.
    void pushWhole(int operation, TSelectionRange before, std::unique_ptr<TUndoRecord> first,
                   std::unique_ptr<TUndoRecord> second, TSelectionRange after);
    // The transaction of a replacement of many ranges.
    void pushRanges(TSelectionRange before, TRangeEdits& edits, TSelectionRange after);
    // Writes the begin marks of the open group if they are still waiting for its first change.
    void writePendingGroupBegin();
    // Undo (backward) or redo (forward) of one group, or of one transaction outside groups.
    void replay(bool forward);
    // `lineStartEdit`: a line of an indent or unindent, whose re-highlighting must start afresh.
    void undoTransaction(const TUndoRecord& before, const TUndoRecord& old, const TUndoRecord& after,
                         bool lineStartEdit);
    void redoTransaction(const TUndoRecord& before, TUndoRecord& inserted, const TUndoRecord& after);
    // Undo or redo of a replacement of many ranges, one pass either way.
    void replayRanges(const TUndoRecord& before, const TUndoRecord& ranges, const TUndoRecord& after, bool forward);
    void logSelection(TSelectionRange selection);

    TUndoTarget& FTarget;
    TUndoStack* FStack = nullptr;
    bool FLogging = true;
    bool FReplaying = false;
    bool FClearAfterReplay = false;
    // The open transaction: its operation (0: none), the selection and text it replaces, and what
    // replaces them.
    int FTransaction = 0;
    TSelectionRange FSavedSelection{0, 0};
    std::unique_ptr<std::string> FSavedOld;
    std::unique_ptr<std::string> FSavedNew;
    std::unique_ptr<TMemoryStream> FSavedStream;
};

// Opens a group for its lifetime. It closes only a group it opened itself, so a nested scope of
// the same kind leaves the outer group alone; when the scope is left by an exception it also drops
// a transaction the failed edit left open, so the log is never left in a group or transaction.
class TUndoGroupScope {
public:
    TUndoGroupScope(TUndoRecorder& recorder, int kind);
    ~TUndoGroupScope();
    TUndoGroupScope(const TUndoGroupScope&) = delete;
    TUndoGroupScope& operator=(const TUndoGroupScope&) = delete;

private:
    TUndoRecorder& FRecorder;
    int FKind;
    bool FOpened;
    int FExceptions;
};
