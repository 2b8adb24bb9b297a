// The editor control's numbered and named bookmarks and its text marks, kept in step with the text.
#include <algorithm>
#include <iterator>

#include "editor/CodeMemo.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kBookmarkIndexRangeError = 4197;
constexpr int kBookmarkCount = 10;
constexpr int kMaxColumn = 0xFFFF;

void checkBookmarkIndex(int index)
{
    if (index < 0 || index >= kBookmarkCount)
        throw ECodeMemo(LoadResString(kBookmarkIndexRangeError));
}

uint16_t bookmarkBit(int index)
{
    return static_cast<uint16_t>(1u << index);
}

// The record carrying bookmark `index` and its 1-based line; nil when no record does.
TLineRecord* carrierOf(TLineRecord* first, int index, int& line)
{
    line = 1;
    for (TLineRecord* r = first; r; r = r->Next, ++line)
        if (r->MarkBits & bookmarkBit(index))
            return r;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------- numbered bookmarks

void TCustomCodeMemo::SetBookmark(int index, int line, int column)
{
    checkBookmarkIndex(index);
    if (!FirstRecord())
        return;
    const uint16_t bit = bookmarkBit(index);
    TLineRecord* old = nullptr;
    int oldLine = 0;
    if (FBookmarkColumns[static_cast<size_t>(index)] != 0) {
        old = carrierOf(FirstRecord(), index, oldLine);
        if (old) {
            old->MarkBits &= static_cast<uint16_t>(~mbBookmarks);
            old->Flags |= lfChanged;
        }
    }

    TLineRecord* target = nullptr;
    int start = 0;
    if (line == -1) {
        int lineIndex = 0;
        target = LocateOffset(FCaret, lineIndex, start);
        line = lineIndex + 1;
        column = FCaret - start + 1;
        // After a final line break the caret stands below the last record: the bookmark goes there.
        if (lineIndex >= FRecordCount) {
            line = FRecordCount;
            column = 1;
        }
    } else {
        int at = 0;
        target = RecordAtLine(std::max(line, 1) - 1, start, at);
        line = at + 1;
    }
    column = std::clamp(column, 1, kMaxColumn);

    auto cleared = [this](int which) {
        if (OnBookmarkClear)
            OnBookmarkClear(this, which);
    };
    if (old && oldLine == line) {
        // Setting a bookmark again on its line takes it away.
        Invalidate();
        cleared(index);
        return;
    }
    // A bookmark belongs to the logical line: re-wrapping keeps it on the first piece.
    if (WordWrap())
        while ((target->MarkBits & mbContinuation) && target->Prev)
            target = target->Prev;
    if (target == old) {
        FBookmarkColumns[static_cast<size_t>(index)] = 0;
        Invalidate();
        cleared(index);
        return;
    }
    const uint16_t displaced = target->MarkBits & mbBookmarks & static_cast<uint16_t>(~bit);
    target->MarkBits = static_cast<uint16_t>((target->MarkBits & ~mbBookmarks) | bit);
    target->Flags |= lfChanged;
    FBookmarkColumns[static_cast<size_t>(index)] = static_cast<uint16_t>(column);
    for (int other = 0; other < kBookmarkCount; ++other)
        if (displaced & bookmarkBit(other))
            cleared(other);
    if (OnBookmarkSet)
        OnBookmarkSet(this, index);
    Invalidate();
}

bool TCustomCodeMemo::GetBookmark(int index, int& line, int& column)
{
    checkBookmarkIndex(index);
    const int stored = FBookmarkColumns[static_cast<size_t>(index)];
    if (stored == 0)
        return false;
    int at = 0;
    TLineRecord* record = carrierOf(FirstRecord(), index, at);
    if (!record)
        return false;
    line = at;
    column = std::max(1, std::min(stored, static_cast<int>(record->Len)));
    return true;
}

void TCustomCodeMemo::GotoBookmark(int index)
{
    checkBookmarkIndex(index);
    int line = 0;
    TLineRecord* record = carrierOf(FirstRecord(), index, line);
    if (!record)
        return;
    int start = 0, at = 0;
    RecordAtLine(line - 1, start, at);
    const int column = std::max(1, static_cast<int>(FBookmarkColumns[static_cast<size_t>(index)]));
    const int offset = start + std::max(0, std::min(column, static_cast<int>(record->Len)) - 1);
    TSelectionRange caret{offset, offset};
    Perform(SMM_SELECTION, SMM_SET | SMM_NOREDRAW, reinterpret_cast<LPARAM>(&caret));
    const int wholeLines = LineHeight() > 0 ? ClientHeight() / LineHeight() : 0;
    const int top = std::max(0, static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(offset), 0)) - wholeLines / 2);
    Perform(SMM_TOPLINE, SMM_SET, top);
}

// ---------------------------------------------------------------- named bookmarks

void TCustomCodeMemo::createNamedBookmarks()
{
    FNamedBookmarks = std::make_unique<TCustomBookmarks>();
    FNamedBookmarks->OnFree = [this](const std::string& name) {
        if (OnCustomBookmarkFree)
            OnCustomBookmarkFree(this, name);
    };
}

TCustBookmark* TCustomCodeMemo::AddNamedBookmark(const std::string& name, int position)
{
    return FNamedBookmarks->Add(name, std::clamp(position, 0, FTextLength));
}

void TCustomCodeMemo::clearNamedBookmarks()
{
    if (FNamedBookmarks)
        FNamedBookmarks->Clear();
}

// ---------------------------------------------------------------- text marks

TObjectList& TCustomCodeMemo::textMarks()
{
    if (!FTextMarks) {
        FTextMarks = std::make_unique<TObjectList>();
        FTextMarks->OnFree = [this](TTextMark* mark) {
            if (OnMarkFree)
                OnMarkFree(this, mark);
        };
        FTextMarks->OnChange = [this](TTextMark* mark) {
            if (OnMarkChange)
                OnMarkChange(this, mark);
        };
    }
    return *FTextMarks;
}

TTextMark* TCustomCodeMemo::AddMark(int start, int length, uint32_t data)
{
    TTextMark* mark = textMarks().Add(start, length, data);
    FFullRepaint = true;
    Paint();
    return mark;
}

bool TCustomCodeMemo::FindMark(int start, int length, TTextMark*& mark)
{
    mark = nullptr;
    return FTextMarks && FTextMarks->FindMark(start, length, mark);
}

int TCustomCodeMemo::MarkStart(TTextMark* mark)
{
    return FTextMarks && FTextMarks->Contains(mark) ? mark->Start() : -1;
}

int TCustomCodeMemo::MarkEnd(TTextMark* mark)
{
    return FTextMarks && FTextMarks->Contains(mark) ? mark->End() : -1;
}

// Runs an operation of the list on a mark the control holds (handles of freed marks are ignored),
// then has the whole text area painted again.
template <class Operation>
static void onHeldMark(TCustomCodeMemo& memo, TObjectList* list, TTextMark* mark, Operation&& operation)
{
    if (!list || !list->Contains(mark))
        return;
    operation(*list);
    memo.RequestFullRepaint();
    memo.Invalidate();
}

void TCustomCodeMemo::SetMarkStart(TTextMark* mark, int pos)
{
    onHeldMark(*this, FTextMarks.get(), mark, [&](TObjectList& list) { list.SetMarkStart(mark, pos); });
}

void TCustomCodeMemo::SetMarkEnd(TTextMark* mark, int pos)
{
    onHeldMark(*this, FTextMarks.get(), mark, [&](TObjectList& list) { list.SetMarkEnd(mark, pos); });
}

void TCustomCodeMemo::DeleteMark(TTextMark* mark)
{
    onHeldMark(*this, FTextMarks.get(), mark, [&](TObjectList& list) { list.Delete(mark); });
}

TTextMark* TCustomCodeMemo::MarkRange(int start, int length, int flag)
{
    TTextMark* mark = AddMark(start, length, 0);
    mark->Kind = static_cast<uint8_t>(flag);
    return mark;
}

void TCustomCodeMemo::MarkRanges(const std::vector<TTextRange>& ranges, int flag)
{
    if (ranges.empty())
        return;
    textMarks().AddRanges(ranges, static_cast<uint8_t>(flag));
    FFullRepaint = true;
    Paint();
}

void TCustomCodeMemo::ClearMarks()
{
    if (!FTextMarks || FTextMarks->Count() == 0)
        return;
    FTextMarks->Clear();
    FFullRepaint = true;
    Invalidate();
}

void TCustomCodeMemo::MarksInRange(int start, int end, std::vector<TMarkSpan>& marks)
{
    marks.clear();
    if (!FTextMarks)
        return;
    FTextMarks->MarksInRange(start, end, FMarksFound);
    for (TTextMark* mark : FMarksFound)
        marks.push_back({mark->Start(), mark->End(), mark});
}

void TCustomCodeMemo::adjustMarksForInsert(int offset, int count)
{
    if (FNamedBookmarks)
        FNamedBookmarks->AdjustForInsert(offset, count);
    if (FTextMarks)
        FTextMarks->AdjustForInsert(offset, count);
}

void TCustomCodeMemo::adjustMarksForDelete(int start, int count)
{
    if (FNamedBookmarks)
        FNamedBookmarks->AdjustForDelete(start, count);
    if (FTextMarks)
        FTextMarks->AdjustForDelete(start, count);
}

void TCustomCodeMemo::adjustMarksForEdits(const TRangeEdits& edits)
{
    if (FNamedBookmarks)
        FNamedBookmarks->AdjustForEdits(edits);
    if (FTextMarks)
        FTextMarks->AdjustForEdits(edits);
}

void TCustomCodeMemo::releaseMarks()
{
    FTextMarks.reset();
    FNamedBookmarks.reset();
}
