// The undo log: the linked stack, the log's records, trimming and group queries, recording and replay.
#include "editor/model/Undo.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

[[noreturn]] void stackUnderflow()
{
    throw Exception("Stack underflow");
}

[[noreturn]] void badStackState()
{
    throw ECodeMemo("Bad do/undo stack state");
}

bool isGroupMark(const TStackEntry* entry, intptr_t aux)
{
    const TUndoRecord* record = TUndoStack::RecordOf(entry);
    return record->Kind == urMark && record->Aux == aux;
}

TStackEntry* findGroupMarkBackward(TStackEntry* from, intptr_t aux)
{
    for (TStackEntry* e = from; e; e = e->Prev)
        if (isGroupMark(e, aux))
            return e;
    return nullptr;
}

TStackEntry* findGroupMarkForward(TStackEntry* from, intptr_t aux)
{
    for (TStackEntry* e = from; e; e = e->Next)
        if (isGroupMark(e, aux))
            return e;
    return nullptr;
}

// The selection record at `entry`, nil when there is none.
const TUndoRecord* selectionAt(const TStackEntry* entry)
{
    if (!entry)
        return nullptr;
    const TUndoRecord* record = TUndoStack::RecordOf(entry);
    return record->Kind == urSelection ? record : nullptr;
}

bool sameSelection(const TUndoRecord* a, const TUndoRecord* b)
{
    return a->Data == b->Data && a->Extra == b->Extra;
}

TSelectionRange selectionOf(const TUndoRecord& record)
{
    return {static_cast<int32_t>(record.Data), static_cast<int32_t>(record.Extra)};
}

std::unique_ptr<TUndoRecord> makeMark(int value, intptr_t aux)
{
    auto record = std::make_unique<TUndoRecord>();
    record->Kind = urMark;
    record->Data = value;
    record->Aux = aux;
    return record;
}

std::unique_ptr<TUndoRecord> makeSelection(TSelectionRange selection)
{
    auto record = std::make_unique<TUndoRecord>();
    record->Kind = urSelection;
    record->Data = selection.Start;
    record->Extra = selection.End;
    return record;
}

std::unique_ptr<TUndoRecord> makeText(std::unique_ptr<std::string> text)
{
    auto record = std::make_unique<TUndoRecord>();
    record->Kind = urText;
    record->Text = std::move(text);
    return record;
}

std::unique_ptr<std::string> copyText(std::optional<std::string_view> text)
{
    return text ? std::make_unique<std::string>(*text) : nullptr;
}

// The rest of `source` from its position, read until it gives no more rather than trusting its
// size; the source's position is put back.
std::unique_ptr<TMemoryStream> copyRest(TStream* source)
{
    auto copy = std::make_unique<TMemoryStream>();
    if (!source)
        return copy;
    const int64_t start = source->GetPosition();
    TScopeGuard rewind([source, start] { source->SetPosition(start); });
    char buffer[8192];
    int64_t n;
    while ((n = source->Read(buffer, sizeof buffer)) > 0)
        copy->WriteBuffer(buffer, n);
    return copy;
}

TScopeGuard linesUpdate(TUndoTarget& target)
{
    target.BeginUpdate();
    return TScopeGuard([&target] { target.EndUpdate(); });
}

TUndoRecord& stepBackTo(TUndoStack& stack, int kind)
{
    if (stack.Position() == 0)
        badStackState();
    auto* record = static_cast<TUndoRecord*>(stack.StepBack());
    if (record->Kind != kind)
        badStackState();
    return *record;
}

TUndoRecord& stepForwardTo(TUndoStack& stack, int kind)
{
    if (stack.AtTop())
        badStackState();
    auto* record = static_cast<TUndoRecord*>(stack.StepForward());
    if (record->Kind != kind)
        badStackState();
    return *record;
}

void expectMark(const TUndoRecord& mark, intptr_t value, intptr_t aux)
{
    if (mark.Data != value || mark.Aux != aux)
        badStackState();
}

bool isTransactionMark(const TUndoRecord& mark)
{
    return mark.Aux == 0 && (mark.Data == uoReplaceText || mark.Data == uoReplaceStream || mark.Data == uoReplaceRanges);
}

bool isGroupKind(intptr_t value)
{
    return value >= ugFirstKind;
}

// The operations that stand for a change of the text (a replacement's start, a line-start edit).
bool changesText(int operation, intptr_t phase)
{
    switch (operation) {
    case uoReplaceText:
    case uoReplaceStream:
    case uoReplaceRanges: return phase == 1;
    case uoRemoveChars:
    case uoInsertChars: return true;
    default: return false;
    }
}

} // namespace

// ---------------------------------------------------------------- TStack

TStack::~TStack()
{
    Clear();
}

void TStack::freeData(void* data)
{
    if (OnFreeData)
        OnFreeData(data);
}

void* TStack::release(TStackEntry* entry)
{
    --FCount;
    FTotalBytes -= kEntryOverhead + entry->Size;
    EntryReleased(entry);
    void* data = entry->Data;
    delete entry;
    return data;
}

void* TStack::removeTop()
{
    TStackEntry* entry = FTop;
    if (FCurrent == entry) {
        FCurrent = entry->Prev;
        --FPosition;
    }
    FTop = entry->Prev;
    if (FTop)
        FTop->Next = nullptr;
    else
        FBottom = nullptr;
    return release(entry);
}

void TStack::dropAboveCurrent()
{
    while (FTop != FCurrent)
        freeData(removeTop());
}

void TStack::Push(void* data, size_t size)
{
    // Allocated before anything changes, so a failed push leaves the stack as it was.
    auto* entry = new TStackEntry{data, size, nullptr, nullptr};
    dropAboveCurrent();
    if (!FTop) {
        FBottom = entry;
    } else {
        entry->Prev = FTop;
        FTop->Next = entry;
    }
    FTop = entry;
    FCurrent = entry;
    ++FCount;
    FTotalBytes += kEntryOverhead + size;
    ++FPosition;
}

void* TStack::Pop()
{
    if (!FTop)
        stackUnderflow();
    return removeTop();
}

void* TStack::StepBack()
{
    if (!FCurrent)
        stackUnderflow();
    void* data = FCurrent->Data;
    FCurrent = FCurrent->Prev;
    --FPosition;
    return data;
}

void* TStack::StepForward()
{
    if (!FTop || FCurrent == FTop)
        stackUnderflow();
    FCurrent = FCurrent ? FCurrent->Next : FBottom;
    ++FPosition;
    return FCurrent->Data;
}

void TStack::ResetToTop()
{
    FCurrent = FTop;
    FPosition = FCount;
}

void TStack::Clear()
{
    ResetToTop();
    while (FTop)
        freeData(removeTop());
}

void* TStack::RemoveBottom()
{
    TStackEntry* entry = FBottom;
    if (!entry)
        return nullptr;
    // With no current entry the bottom lies above the position and Position does not count it.
    if (FCurrent) {
        --FPosition;
        if (FCurrent == entry)
            FCurrent = nullptr;
    }
    FBottom = entry->Next;
    if (FBottom)
        FBottom->Prev = nullptr;
    else
        FTop = nullptr;
    return release(entry);
}

// ---------------------------------------------------------------- TUndoStack

size_t TUndoRecord::Size() const
{
    size_t size = sizeof(TUndoRecord);
    if (Text)
        size += Text->size();
    if (Stream)
        size += sizeof(TMemoryStream) + Stream->Bytes().size();
    if (Ranges)
        size += Ranges->Bytes();
    return size;
}

TUndoStack::TUndoStack()
{
    OnFreeData = &TUndoStack::FreeRecord;
}

TUndoStack::~TUndoStack()
{
    // Emptied here, while EntryReleased is still this class's.
    Clear();
}

void TUndoStack::FreeRecord(void* record)
{
    delete static_cast<TUndoRecord*>(record);
}

void TUndoStack::EntryReleased(TStackEntry* entry)
{
    if (entry == FQueryCursor)
        FQueryCursor = nullptr;
    if (entry == FCleanEntry)
        ForgetClean();
}

void TUndoStack::MarkClean()
{
    FCleanEntry = Current();
    FCleanKnown = true;
}

void TUndoStack::ForgetClean()
{
    FCleanEntry = nullptr;
    FCleanKnown = false;
}

void TUndoStack::PushRecord(std::unique_ptr<TUndoRecord> record)
{
    const size_t size = record->Size();
    Push(record.get(), size);
    record.release();
}

int TUndoStack::DropOldest()
{
    if (Empty())
        return -1;
    if (Current()) {
        FHistoryDropped = true;
        // The text below every entry cannot be reached again.
        if (!FCleanEntry)
            ForgetClean();
    }
    std::unique_ptr<TUndoRecord> record(static_cast<TUndoRecord*>(RemoveBottom()));
    return record->Kind;
}

void TUndoStack::Trim()
{
    if (FSizeLimit < 0)
        return;
    while (!Empty() && TotalBytes() > static_cast<size_t>(FSizeLimit)) {
        // The oldest unit is the bottom entry and everything up to the next mark: a whole
        // transaction or one bracket of group marks. It goes only when it lies wholly below the
        // position: what was undone stays redoable and the last change stays undoable.
        TStackEntry* current = Current();
        TStackEntry* end = Bottom();
        if (!current || end == current)
            return;
        size_t count = 1;
        for (;;) {
            end = end->Next;
            if (!end || end == current)
                return;
            ++count;
            if (RecordOf(end)->Kind == urMark)
                break;
        }
        while (count-- > 0)
            DropOldest();
    }
}

void TUndoStack::SetSizeLimit(intptr_t limit)
{
    FSizeLimit = limit < 0 ? -1 : limit;
    Trim();
}

void TUndoStack::ClearLog()
{
    Clear();
    // A group left open would otherwise swallow the next command's begin.
    FInGroup = false;
    FGroupKind = 0;
    FGroupBeginPending = false;
    FQueryCursor = nullptr;
    FQueryAtEnd = false;
    FHistoryDropped = false;
    // An emptied log no longer tells how the text stands against the file; SetModified(False) says.
    ForgetClean();
}

int TUndoStack::Query(int request, intptr_t& value)
{
    const bool merge = (request & uqMerge) != 0;
    switch (request & ~uqMerge) {
    case uqStartWalk:
        FQueryCursor = Current();
        FQueryAtEnd = Empty();
        return uqDone;
    case uqCanUndo:
        if (TStackEntry* end = findGroupMarkBackward(FQueryCursor, 3)) {
            value = RecordOf(end)->Data;
            return 1;
        }
        return 0;
    case uqCanRedo:
        if (FQueryAtEnd || Empty() || FQueryCursor == Top())
            return 0;
        if (TStackEntry* begin = findGroupMarkForward(FQueryCursor ? FQueryCursor->Next : Bottom(), 2)) {
            value = RecordOf(begin)->Data;
            return 1;
        }
        return 0;
    case uqPreviousGroup:
        return stepToPreviousGroup(value, merge);
    case uqNextGroup:
        return stepToNextGroup(value, merge);
    default:
        return uqBadRequest;
    }
}

TStackEntry* TUndoStack::skipGroupBackward(TStackEntry* endMark, const TUndoRecord*& beginSelection) const
{
    beginSelection = nullptr;
    TStackEntry* secondBegin = findGroupMarkBackward(endMark->Prev, 2);
    if (!secondBegin)
        return nullptr; // the begin marks were trimmed away: the group reaches the bottom
    beginSelection = selectionAt(secondBegin->Prev);
    TStackEntry* firstBegin = secondBegin->Prev ? findGroupMarkBackward(secondBegin->Prev, 2) : nullptr;
    return firstBegin ? firstBegin->Prev : nullptr;
}

TStackEntry* TUndoStack::skipGroupForward(TStackEntry* beginMark, const TUndoRecord*& endSelection) const
{
    endSelection = nullptr;
    TStackEntry* secondBegin = findGroupMarkForward(beginMark->Next, 2);
    TStackEntry* firstEnd = secondBegin ? findGroupMarkForward(secondBegin->Next, 3) : nullptr;
    if (!firstEnd)
        return Top(); // a group still open runs to the top
    endSelection = selectionAt(firstEnd->Next);
    TStackEntry* secondEnd = findGroupMarkForward(firstEnd->Next, 3);
    return secondEnd ? secondEnd : Top();
}

int TUndoStack::stepToPreviousGroup(intptr_t& value, bool merge)
{
    if (!FQueryCursor)
        return uqNothing;
    TStackEntry* end = findGroupMarkBackward(FQueryCursor, 3);
    if (!end)
        return uqNothing;
    const intptr_t kind = RecordOf(end)->Data;
    const TUndoRecord* beginSelection;
    value = reinterpret_cast<intptr_t>(end);
    FQueryCursor = skipGroupBackward(end, beginSelection);
    // An older group of the same kind that ended where this one began is the same command
    // continued (typing on at the same caret): one menu item undoes both.
    while (merge && beginSelection && FQueryCursor) {
        TStackEntry* older = findGroupMarkBackward(FQueryCursor, 3);
        if (!older || RecordOf(older)->Data != kind)
            break;
        const TUndoRecord* endSelection = selectionAt(older->Prev);
        if (!endSelection || !sameSelection(endSelection, beginSelection))
            break;
        value = reinterpret_cast<intptr_t>(older);
        FQueryCursor = skipGroupBackward(older, beginSelection);
    }
    return static_cast<int>(kind);
}

int TUndoStack::stepToNextGroup(intptr_t& value, bool merge)
{
    if (Empty() || FQueryCursor == Top())
        return uqNothing;
    TStackEntry* begin = findGroupMarkForward(FQueryCursor ? FQueryCursor->Next : Bottom(), 2);
    if (!begin)
        return uqNothing;
    const intptr_t kind = RecordOf(begin)->Data;
    const TUndoRecord* endSelection;
    FQueryCursor = skipGroupForward(begin, endSelection);
    value = reinterpret_cast<intptr_t>(FQueryCursor);
    while (merge && endSelection && FQueryCursor != Top()) {
        TStackEntry* newer = findGroupMarkForward(FQueryCursor->Next, 2);
        if (!newer || RecordOf(newer)->Data != kind)
            break;
        const TUndoRecord* beginSelection = selectionAt(newer->Next);
        if (!beginSelection || !sameSelection(endSelection, beginSelection))
            break;
        FQueryCursor = skipGroupForward(newer, endSelection);
        value = reinterpret_cast<intptr_t>(FQueryCursor);
    }
    FQueryAtEnd = FQueryCursor->Next == nullptr;
    return static_cast<int>(kind);
}

void TUndoStack::UndoRedoTo(intptr_t target, TUndoRecorder& editor)
{
    if (editor.FStack != this || Empty())
        return;
    const auto* goal = reinterpret_cast<const TStackEntry*>(target);
    bool passedCurrent = false;
    bool found = false;
    for (TStackEntry* e = Bottom(); e; e = e->Next) {
        if (e == goal) {
            found = true;
            break;
        }
        if (e == Current())
            passedCurrent = true;
    }
    if (!found)
        return;
    const bool redo = passedCurrent || !Current();

    TScopeGuard update = linesUpdate(editor.FTarget);
    // Each step must move the position; one that does not (a replay refused) ends the walk.
    if (redo) {
        while (!AtTop() && Current() != goal) {
            const TStackEntry* before = Current();
            editor.Redo();
            if (Current() == before)
                break;
        }
    } else {
        while (Position() > 0 && Current() != goal) {
            const TStackEntry* before = Current();
            editor.Undo();
            if (Current() == before)
                break;
        }
        // The walk stops at the end of the target's group, which goes too.
        if (Current() == goal)
            editor.Undo();
    }
}

// ---------------------------------------------------------------- TUndoRecorder

// Brackets a replay: logging off and the replay flag on, put back as they were however it ends; a
// clear asked for meanwhile happens at the end.
class TUndoRecorder::ReplayScope {
public:
    explicit ReplayScope(TUndoRecorder& recorder) : FRecorder(recorder), FSavedLogging(recorder.FLogging)
    {
        FRecorder.FLogging = false;
        FRecorder.FReplaying = true;
    }
    ~ReplayScope() { end(); }
    ReplayScope(const ReplayScope&) = delete;
    ReplayScope& operator=(const ReplayScope&) = delete;

    void end()
    {
        if (!FRecorder.FReplaying)
            return;
        FRecorder.FReplaying = false;
        FRecorder.FLogging = FSavedLogging;
        if (FRecorder.FClearAfterReplay) {
            FRecorder.FClearAfterReplay = false;
            if (FRecorder.FStack)
                FRecorder.FStack->ClearLog();
        }
    }

private:
    TUndoRecorder& FRecorder;
    bool FSavedLogging;
};

void TUndoRecorder::SetUndoStack(TUndoStack* stack)
{
    AbandonTransaction();
    FStack = stack;
    FTarget.Change();
}

void TUndoRecorder::AbandonTransaction()
{
    FTransaction = 0;
    FSavedOld.reset();
    FSavedNew.reset();
    FSavedStream.reset();
}

void TUndoRecorder::BadLogEntry()
{
    AbandonTransaction();
    if (FStack)
        FStack->ClearLog();
    FTarget.Beep();
    throw ECodeMemo("Bad transaction log entry");
}

void TUndoRecorder::logMark(int value, intptr_t aux)
{
    FStack->PushRecord(makeMark(value, aux));
}

void TUndoRecorder::writePendingGroupBegin()
{
    if (!FStack->FInGroup || !FStack->FGroupBeginPending)
        return;
    // Cleared first: should a push fail, the group goes on without its begin, as trimming can leave it.
    FStack->FGroupBeginPending = false;
    const intptr_t kind = FStack->FGroupKind;
    logMark(static_cast<int>(kind), uoGroupBegin);
    logSelection(FStack->FGroupBeginSelection);
    logMark(static_cast<int>(kind), uoGroupBegin);
}

void TUndoRecorder::logSelection(TSelectionRange selection)
{
    FStack->PushRecord(makeSelection(selection));
}

void TUndoRecorder::pushTransaction(int operation, TSelectionRange before,
                                    std::unique_ptr<std::string> oldText,
                                    std::unique_ptr<TUndoRecord> newRecord, TSelectionRange after)
{
    pushWhole(operation, before, makeText(std::move(oldText)), std::move(newRecord), after);
}

void TUndoRecorder::pushWhole(int operation, TSelectionRange before, std::unique_ptr<TUndoRecord> first,
                              std::unique_ptr<TUndoRecord> second, TSelectionRange after)
{
    try {
        logMark(operation, 0);
        logSelection(before);
        FStack->PushRecord(std::move(first));
        if (second)
            FStack->PushRecord(std::move(second));
        logSelection(after);
        logMark(operation, 0);
    } catch (...) {
        // Half a transaction cannot be replayed; an empty log can.
        FStack->ClearLog();
        throw;
    }
    FStack->Trim();
}

void TUndoRecorder::LogChange(int operation, intptr_t phase, const TUndoData& data)
{
    switch (operation) {
    case uoEnableLogging:
        FLogging = true;
        return;
    case uoDisableLogging:
        FLogging = false;
        return;
    case uoClear:
        // Clearing is not recording: Modified := False and EM_EMPTYUNDOBUFFER work during a replay
        // too, but only once it is over, since the replay is still reading the records.
        if (FReplaying)
            FClearAfterReplay = true;
        else if (FStack)
            FStack->ClearLog();
        return;
    default:
        break;
    }
    if (!FLogging && FStack && !FReplaying && !FTransaction && changesText(operation, phase))
        FStack->ForgetClean();
    if (!FLogging || !FStack)
        return;
    if (operation != uoGroupBegin && operation != uoGroupEnd)
        writePendingGroupBegin();

    switch (operation) {
    case uoReplaceText:
    case uoReplaceStream:
        if (phase == 1) {
            if (FTransaction)
                BadLogEntry();
            const TSelectionRange selection = FTarget.GetSelection();
            std::unique_ptr<std::string> oldText;
            if (selection.Start != selection.End)
                oldText = std::make_unique<std::string>(FTarget.GetSelText());
            if (operation == uoReplaceText)
                FSavedNew = copyText(data.Text);
            else
                FSavedStream = copyRest(data.Stream);
            FSavedSelection = selection;
            FSavedOld = std::move(oldText);
            FTransaction = operation;
        } else {
            if (!FTransaction || phase != 2 || operation != FTransaction)
                BadLogEntry();
            std::unique_ptr<TUndoRecord> newRecord;
            if (operation == uoReplaceText) {
                newRecord = makeText(std::move(FSavedNew));
            } else {
                newRecord = std::make_unique<TUndoRecord>();
                newRecord->Kind = urStream;
                newRecord->Stream = std::move(FSavedStream);
            }
            std::unique_ptr<std::string> oldText = std::move(FSavedOld);
            FTransaction = 0;
            pushTransaction(operation, FSavedSelection, std::move(oldText), std::move(newRecord),
                            FTarget.GetSelection());
        }
        return;
    case uoReplaceRanges:
        if (phase == 1) {
            if (FTransaction)
                BadLogEntry();
            FSavedSelection = FTarget.GetSelection();
            FTransaction = operation;
        } else {
            if (FTransaction != uoReplaceRanges || phase != 2 || !data.Ranges)
                BadLogEntry();
            FTransaction = 0;
            pushRanges(FSavedSelection, *data.Ranges, FTarget.GetSelection());
        }
        return;
    case uoGroupBegin:
    case uoGroupEnd:
        logMark(static_cast<int>(phase), operation);
        logSelection(FTarget.GetSelection());
        logMark(static_cast<int>(phase), operation);
        return;
    case uoRemoveChars:
    case uoInsertChars: {
        // Line-start edits of indent and unindent, logged as replacements so that one replay serves
        // all; the removed characters are kept as they were (blanks, TABs or no-break spaces).
        const std::string_view chars = data.Text.value_or(std::string_view());
        const auto offset = static_cast<int32_t>(phase);
        const auto past = static_cast<int32_t>(phase + static_cast<intptr_t>(chars.size()));
        auto text = std::make_unique<std::string>(chars);
        if (operation == uoRemoveChars)
            pushTransaction(uoReplaceText, {offset, past}, std::move(text), makeText(nullptr), {offset, offset});
        else
            pushTransaction(uoReplaceText, {offset, offset}, nullptr, makeText(std::move(text)), {past, past});
        return;
    }
    default:
        return; // 5 and group kinds are not operations
    }
}

void TUndoRecorder::pushRanges(TSelectionRange before, TRangeEdits& edits, TSelectionRange after)
{
    auto record = std::make_unique<TUndoRecord>();
    record->Kind = urRanges;
    record->Ranges = std::make_unique<TRangeEdits>(std::move(edits));
    pushWhole(uoReplaceRanges, before, std::move(record), nullptr, after);
}

void TUndoRecorder::LogRangesInto(TUndoStack& stack, TSelectionRange before, TRangeEdits& edits,
                                  TSelectionRange after, int groupKind)
{
    if (!FLogging || FReplaying)
        return;
    // The pushes go to `stack`; the attached log, and the transaction of its own, stay as they are.
    TUndoStack* const attached = std::exchange(FStack, &stack);
    TScopeGuard back([this, attached] { FStack = attached; });
    writePendingGroupBegin();
    pushRanges(before, edits, after);
    if (!stack.FInGroup || stack.FGroupKind != groupKind)
        return;
    stack.FInGroup = false;
    stack.FGroupKind = 0;
    logMark(groupKind, uoGroupEnd);
    logSelection(after);
    logMark(groupKind, uoGroupEnd);
}

bool TUndoRecorder::BeginUndoGroup(int kind)
{
    if (!FStack || FStack->FInGroup)
        return false;
    FStack->FInGroup = true;
    FStack->FGroupKind = kind;
    FStack->FGroupBeginPending = true;
    FStack->FGroupBeginSelection = FTarget.GetSelection();
    return true;
}

void TUndoRecorder::EndUndoGroup(int kind)
{
    if (!FStack || !FStack->FInGroup || kind != FStack->FGroupKind)
        return;
    // Closed before logging, so a failure to log cannot keep the group open.
    const bool empty = FStack->FGroupBeginPending;
    FStack->FInGroup = false;
    FStack->FGroupKind = 0;
    FStack->FGroupBeginPending = false;
    if (!empty)
        LogChange(uoGroupEnd, kind);
}

void TUndoRecorder::Undo()
{
    if (FStack && FStack->Position() >= 1 && !FReplaying && !FTransaction)
        replay(false);
}

void TUndoRecorder::Redo()
{
    if (FStack && !FStack->AtTop() && !FReplaying && !FTransaction)
        replay(true);
}

void TUndoRecorder::replay(bool forward)
{
    TUndoStack& stack = *FStack;
    auto step = [&](int kind) -> TUndoRecord& {
        return forward ? stepForwardTo(stack, kind) : stepBackTo(stack, kind);
    };
    // Undo meets a group's end marks first, redo its begin marks.
    const intptr_t entering = forward ? uoGroupBegin : uoGroupEnd;
    {
        ReplayScope scope(*this);
        TScopeGuard update = linesUpdate(FTarget);
        bool inGroup = false;
        intptr_t seenKind = -1;
        // A group whose begin marks were trimmed away ends at the bottom of the log; one still open
        // ends at the top.
        while (forward ? !stack.AtTop() : stack.Position() > 0) {
            const TUndoRecord& mark = step(urMark);
            if (isTransactionMark(mark) && mark.Data == uoReplaceRanges) {
                TUndoRecord* before = nullptr;
                TUndoRecord* after = nullptr;
                TUndoRecord* ranges = nullptr;
                if (forward) {
                    before = &step(urSelection);
                    ranges = &step(urRanges);
                    after = &step(urSelection);
                } else {
                    after = &step(urSelection);
                    ranges = &step(urRanges);
                    before = &step(urSelection);
                }
                expectMark(step(urMark), mark.Data, 0);
                replayRanges(*before, *ranges, *after, forward);
            } else if (isTransactionMark(mark)) {
                const int insertedKind = mark.Data == uoReplaceStream ? urStream : urText;
                TUndoRecord *before, *old, *inserted, *after;
                if (forward) {
                    before = &step(urSelection);
                    old = &step(urText);
                    inserted = &step(insertedKind);
                    after = &step(urSelection);
                } else {
                    after = &step(urSelection);
                    inserted = &step(insertedKind);
                    old = &step(urText);
                    before = &step(urSelection);
                }
                expectMark(step(urMark), mark.Data, 0);
                if (forward)
                    redoTransaction(*before, *inserted, *after);
                else
                    undoTransaction(*before, *old, *after,
                                    mark.Data == uoReplaceText && (seenKind == ugIndent || seenKind == ugUnindent));
            } else if (isGroupKind(mark.Data) && (mark.Aux == uoGroupBegin || mark.Aux == uoGroupEnd)) {
                inGroup = mark.Aux == entering;
                if (inGroup)
                    seenKind = mark.Data;
                const TUndoRecord& selection = step(urSelection);
                expectMark(step(urMark), mark.Data, mark.Aux);
                // Leaving the group restores the selection its command started or ended with.
                if (!inGroup)
                    FTarget.SetSelection(selectionOf(selection));
            } else {
                badStackState();
            }
            if (!inGroup)
                break;
            FTarget.UpdateView();
        }
        scope.end();
        FTarget.UpdateView();
        // A replace all leaves the view where it was, however far from it its last replacement
        // lies, and so does its redo.
        if (!(forward && seenKind == ugReplaceAll))
            FTarget.ScrollCaret();
    }
    FTarget.Change();
}

void TUndoRecorder::undoTransaction(const TUndoRecord& before, const TUndoRecord& old,
                                    const TUndoRecord& after, bool lineStartEdit)
{
    const TSelectionRange b = selectionOf(before);
    const TSelectionRange a = selectionOf(after);
    // From the start of the old selection to the end of the new text.
    FTarget.SetSelection({std::min(b.Start, b.End), std::max(a.Start, a.End)});
    if (lineStartEdit)
        FTarget.ResetHighlightStart();
    FTarget.InsertText(old.Text ? std::string_view(*old.Text) : std::string_view());
    FTarget.SetSelection(b);
}

void TUndoRecorder::redoTransaction(const TUndoRecord& before, TUndoRecord& inserted, const TUndoRecord& after)
{
    FTarget.SetSelection(selectionOf(before));
    if (inserted.Stream) {
        inserted.Stream->SetPosition(0);
        FTarget.LoadStream(*inserted.Stream);
    } else {
        FTarget.InsertText(inserted.Text ? std::string_view(*inserted.Text) : std::string_view());
    }
    FTarget.SetSelection(selectionOf(after));
}

void TUndoRecorder::replayRanges(const TUndoRecord& before, const TUndoRecord& ranges, const TUndoRecord& after,
                                 bool forward)
{
    if (!ranges.Ranges)
        badStackState();
    FTarget.ReplaceRanges(forward ? *ranges.Ranges : ranges.Ranges->Inverse());
    FTarget.SetSelection(selectionOf(forward ? after : before));
}

void TUndoTarget::ReplaceRanges(TRangeEdits edits)
{
    // From the last range to the first, so that each stands where the list says.
    for (size_t i = edits.Count(); i-- > 0;) {
        SetSelection({edits.Start(i), edits.End(i)});
        InsertText(edits.NewText(i));
    }
}

bool TUndoRecorder::CanUndo() const
{
    return FStack && FStack->Position() >= 1;
}

bool TUndoRecorder::CanRedo()
{
    if (!FStack)
        return false;
    // Asked without disturbing a menu walk in progress.
    TStackEntry* cursor = FStack->FQueryCursor;
    const bool atEnd = FStack->FQueryAtEnd;
    intptr_t kind = 0;
    FStack->Query(uqStartWalk, kind);
    const bool result = FStack->Query(uqCanRedo, kind) == 1;
    FStack->FQueryCursor = cursor;
    FStack->FQueryAtEnd = atEnd;
    return result;
}

bool TUndoRecorder::Modified() const
{
    return FStack && (FStack->Position() >= 1 || FStack->HistoryDropped());
}

void TUndoRecorder::SetModified(bool value)
{
    if (value)
        return;
    ClearLog();
    // During a replay the log is emptied only once it is over, and the mark would not survive it.
    if (FStack && !FReplaying)
        FStack->MarkClean();
}

bool TUndoRecorder::AtCleanPoint() const
{
    return FStack && !FTransaction && !FReplaying && !FStack->InGroup() && FStack->AtMarkedClean();
}

// ---------------------------------------------------------------- TUndoGroupScope

TUndoGroupScope::TUndoGroupScope(TUndoRecorder& recorder, int kind)
    : FRecorder(recorder), FKind(kind), FOpened(recorder.BeginUndoGroup(kind)),
      FExceptions(std::uncaught_exceptions())
{
}

TUndoGroupScope::~TUndoGroupScope()
{
    if (!FOpened)
        return;
    if (std::uncaught_exceptions() > FExceptions)
        FRecorder.AbandonTransaction();
    try {
        FRecorder.EndUndoGroup(FKind);
    } catch (...) {
        // EndUndoGroup closes the group before it logs; only the end marks are lost.
    }
}
