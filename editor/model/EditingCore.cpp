// The editor's text model: replacing the selection, inserting, deleting, loading and block indentation.
#include "editor/model/EditingCore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Undo group kinds of the commands done here.
constexpr int kGroupInsertText = 21;
constexpr int kGroupIndent = 17;
constexpr int kGroupUnindent = 18;

// Change bits: the text changed; the text was replaced wholesale or by a block command.
constexpr uint32_t kChangedText = 1;
constexpr uint32_t kChangedBlock = 2;

// An indent is put into each line's record in place; keeping it below a byte's range keeps every
// record far from the 16-bit length limit until re-cutting shortens it.
constexpr int kMaxIndentStep = 255;
// No-break space, removed by unindent like blanks and TABs.
constexpr char kNoBreakSpace = static_cast<char>(160);

bool holdsTab(const char* text, int length)
{
    return std::memchr(text, '\t', static_cast<size_t>(length)) != nullptr;
}

// Drops a record's style bytes so that highlighting and painting take it up again.
void restyle(TLineRecord* record)
{
    record->Styles.reset();
    record->Flags |= lfStylesChanged | lfChanged;
}

} // namespace

TCodeMemoCore::TCodeMemoCore()
    : FNormalBuffer(new char[kChunkSize + 1])
{
    FStore.AddClient(this);
}

TCodeMemoCore::~TCodeMemoCore() = default;

// ---------------------------------------------------------------- bookkeeping

int TCodeMemoCore::GreatestRecordLength()
{
    while (FGreatestLen > 0 && countOfLength(FGreatestLen) == 0)
        --FGreatestLen;
    return FGreatestLen;
}

uint32_t& TCodeMemoCore::countOfLength(int length)
{
    // Grown to the greatest length met, so that an editor with short lines (or none) holds a short
    // table rather than one entry for every possible length.
    const auto index = static_cast<size_t>(length);
    if (index >= FLengthCounts.size())
        FLengthCounts.resize(std::max(index + 1, FLengthCounts.size() * 2), 0);
    return FLengthCounts[index];
}

void TCodeMemoCore::layoutChanged()
{
    ++FLayoutGeneration;
    FView.ForgetLocated();
}

void TCodeMemoCore::recordAdded(const TLineRecord* record)
{
    layoutChanged();
    ++FRecordCount;
    ++countOfLength(record->Len);
    FGreatestLen = std::max<int>(FGreatestLen, record->Len);
}

void TCodeMemoCore::recordRemoved(const TLineRecord* record)
{
    layoutChanged();
    --FRecordCount;
    --countOfLength(record->Len);
    if (FWholeBefore == record)
        FWholeBefore = nullptr;
}

void TCodeMemoCore::recordResized(int oldLength, int newLength)
{
    layoutChanged();
    --countOfLength(oldLength);
    ++countOfLength(newLength);
    FGreatestLen = std::max(FGreatestLen, newLength);
}

void TCodeMemoCore::recountRecords()
{
    layoutChanged();
    std::fill(FLengthCounts.begin(), FLengthCounts.end(), 0);
    FRecordCount = 0;
    FGreatestLen = 0;
    for (TLineRecord* r = FStore.First(); r; r = r->Next)
        recordAdded(r);
}

void TCodeMemoCore::noteRecordLength(TLineRecord* record)
{
    if (record->Len < kRewrapLength)
        return;
    FLongRecordMade = true;
    if (FLongRecords.size() < kMaxLongRecordsNoted)
        FLongRecords.push_back(record);
    else
        FLongRecordsOverflow = true;
}

void TCodeMemoCore::forgetLongRecord(const TLineRecord* record)
{
    if (!FLongRecords.empty())
        std::erase(FLongRecords, record);
}

void TCodeMemoCore::disposeRecord(TLineRecord* record)
{
    if (FHighlightStart == record)
        FHighlightStart = nullptr;
    if (FColourFrom == record)
        FColourFrom = nullptr;
    if (FView.TopRecord == record)
        FView.TopRecord = nullptr;
    if (FLookup.Record == record)
        FLookup = {};
    forgetLongRecord(record);
    recordRemoved(record);
    FreeLineRecord(record);
}

void TCodeMemoCore::moveTrack(TLineTrack* track, TLineRecord* to)
{
    to->Track = track;
    track->Record = to;
}

void TCodeMemoCore::releaseTrack(TLineTrack* track)
{
    track->Record = nullptr;
}

void TCodeMemoCore::carryLine(TLineRecord& from, TLineRecord& to)
{
    TLineData::Of(from).ApplyTo(to);
    if (TLineTrack* track = from.Track) {
        from.Track = nullptr;
        if (!to.Track)
            moveTrack(track, &to);
        else
            releaseTrack(track);
    }
}

bool TCodeMemoCore::replaceLineRecords(TLineRecord* first, TLineRecord* last, TLineRecord* head, TLineRecord* tail)
{
    TLineRecord* const prev = first->Prev;
    TLineRecord* const next = last->Next;

    // What the old records hold: line data and track (the first's, else a later piece's), bookmarks
    // of later pieces, restart requests, and where the cached references stood.
    bool heldHighlightStart = false;
    bool heldColourFrom = false;
    uint32_t restart = 0;
    uint16_t bookmarks = 0;
    int topIndex = -1, beforeTop = 0, beforeLookup = -1;
    const int lookupOffset = FLookup.Start;
    {
        int index = 0, offset = 0;
        for (TLineRecord* r = first;; r = r->Next, ++index) {
            heldHighlightStart = heldHighlightStart || r == FHighlightStart;
            heldColourFrom = heldColourFrom || r == FColourFrom;
            restart |= r->Flags & lfRestart;
            if (r == FView.TopRecord) {
                topIndex = index;
                beforeTop = offset;
            }
            if (r == FLookup.Record)
                beforeLookup = offset;
            if (r != first)
                bookmarks |= r->MarkBits & mbBookmarks;
            offset += r->Len;
            if (r == last)
                break;
        }
    }
    for (TLineRecord* r = first;; r = r->Next) {
        if (r == first)
            carryLine(*r, *head);
        else if (TLineTrack* track = r->Track) {
            r->Track = nullptr;
            if (!head->Track)
                moveTrack(track, head);
            else
                releaseTrack(track);
        }
        if (r == last)
            break;
    }
    // Replacing the later pieces of a line: the first new piece goes on from the pieces before it,
    // and bookmarks go to the line's first piece.
    if (first->MarkBits & mbContinuation) {
        TLineRecord* lineHead = prev;
        while ((lineHead->MarkBits & mbContinuation) && lineHead->Prev)
            lineHead = lineHead->Prev;
        lineHead->MarkBits = static_cast<uint16_t>(lineHead->MarkBits | bookmarks);
        head->MarkBits = static_cast<uint16_t>(head->MarkBits | mbContinuation);
    } else {
        head->MarkBits = static_cast<uint16_t>((head->MarkBits | bookmarks) & ~mbContinuation);
    }
    // A highlighting restart asked for anywhere in the replaced pieces is asked for at their start.
    head->Flags |= restart;

    head->Prev = prev;
    tail->Next = next;
    if (prev)
        prev->Next = head;
    else
        FStore.SetFirst(head);
    if (next)
        next->Prev = tail;
    for (TLineRecord* r = first;;) {
        TLineRecord* following = r->Next;
        const bool done = r == last;
        disposeRecord(r);
        if (done)
            break;
        r = following;
    }
    for (TLineRecord* r = head; r != next; r = r->Next)
        recordAdded(r);

    if (heldHighlightStart)
        FHighlightStart = head;
    // Re-cut pieces of the first line not yet coloured: colouring resumes at the line's start, and
    // the records before it all have their bytes still.
    if (heldColourFrom)
        FColourFrom = head;
    // A cached reference moves to the new record holding its offset; the top row then keeps showing
    // the text it showed.
    auto holding = [&](int offset, int lineStart, int& start, int& index) {
        TLineRecord* r = head;
        start = lineStart;
        index = 0;
        while (r->Next != next && offset >= start + r->Len) {
            start += r->Len;
            r = r->Next;
            ++index;
        }
        return r;
    };
    if (topIndex >= 0) {
        int start = 0, index = 0;
        FView.TopRecord = holding(FView.TopOffset, FView.TopOffset - beforeTop, start, index);
        FView.TopLine = FView.TopLine - topIndex + index;
        FView.TopOffset = start;
    }
    if (beforeLookup >= 0) {
        int start = 0, index = 0;
        TLineRecord* r = holding(lookupOffset, lookupOffset - beforeLookup, start, index);
        FLookup = {r, start};
    }
    return topIndex >= 0;
}

void TCodeMemoCore::fireTextChange(int start, int extent)
{
    ++FTextChanges;
    if (OnTextChange)
        OnTextChange(this, start, extent);
}

void TCodeMemoCore::notifyChange()
{
    FChangeBits = 0;
    FHighlightStart = nullptr;
}

// ---------------------------------------------------------------- selection and look-ups

void TCodeMemoCore::SetSelection(int anchor, int caret)
{
    FAnchor = std::clamp(anchor, 0, FTextLength);
    FCaret = std::clamp(caret, 0, FTextLength);
}

TTextRange TCodeMemoCore::OrderedSelection() const
{
    TTextRange ordered;
    OrderRange({FAnchor, FCaret}, ordered);
    return ordered;
}

TLineRecord* TCodeMemoCore::recordHolding(int offset, int& recordStart)
{
    TLineRecord* record = FStore.First();
    int start = 0;
    if (!record) {
        recordStart = 0;
        return nullptr;
    }
    // Walk from whichever known place is nearest: the first record, the last one found, the top of
    // the view. Edits cluster, so the walk is short while the user types.
    auto consider = [&](TLineRecord* candidate, int candidateStart) {
        if (candidate && std::abs(offset - candidateStart) < std::abs(offset - start)) {
            record = candidate;
            start = candidateStart;
        }
    };
    consider(FLookup.Record, FLookup.Start);
    consider(FView.TopRecord, FView.TopOffset);
    while (offset >= start + record->Len && record->Next) {
        start += record->Len;
        record = record->Next;
    }
    while (offset < start && record->Prev) {
        record = record->Prev;
        start -= record->Len;
    }
    FLookup = {record, start};
    recordStart = start;
    return record;
}

TLineRecord* TCodeMemoCore::lineStartHolding(int offset, int& start)
{
    TLineRecord* record = recordHolding(offset, start);
    while (record && (record->MarkBits & mbContinuation) && record->Prev) {
        record = record->Prev;
        start -= record->Len;
    }
    return record;
}

TFileLineMark TCodeMemoCore::FileLineOf(int offset)
{
    offset = std::clamp(offset, 0, FTextLength);
    TFileLineMark place = FFileLines.Before(offset);
    int start = 0;
    const int from = place.Offset;
    TLineRecord* record = recordHolding(from, start);
    // Only a record's last character can be a line break; one before the place is counted in it.
    for (int walked = 1; record && start + record->Len <= offset; ++walked) {
        if (record->EndsWithCR() && start + record->Len > from) {
            ++place.Line;
            place.LineStart = start + record->Len;
        }
        start += record->Len;
        record = record->Next;
        if (walked % TFileLineMarks::kRecordsBetween == 0)
            FFileLines.Add({start, place.Line, place.LineStart});
    }
    place.Offset = offset;
    FFileLines.SetLast(place);
    return place;
}

int TCodeMemoCore::FileColumnOf(int offset, int lineStart)
{
    offset = std::clamp(offset, 0, FTextLength);
    lineStart = std::clamp(lineStart, 0, offset);
    const TTabStops stops = tabStops();
    if (stops != FFileColumnStops) {
        FFileColumns.Clear();
        FFileColumnStops = stops;
    }
    // A place of another line (or counted from another start) says nothing of this one.
    TFileColumnMark from = FFileColumns.Before(offset);
    if (from.LineStart != lineStart || from.Offset < lineStart)
        from = {lineStart, lineStart, 0};
    // Back from the last place when that is the shorter walk and crosses no TAB: every character
    // behind it then took one column.
    const TFileColumnMark last = FFileColumns.Last();
    int column = 0;
    if (last.LineStart == lineStart && last.Offset > offset && last.Offset - offset <= offset - from.Offset &&
        !holdsTabBetween(offset, last.Offset))
        column = last.Column - (last.Offset - offset);
    else
        column = walkColumns(from, offset);
    FFileColumns.SetLast({offset, lineStart, column});
    return column;
}

int TCodeMemoCore::walkColumns(const TFileColumnMark& from, int offset)
{
    int start = 0;
    TLineRecord* record = recordHolding(from.Offset, start);
    int column = from.Column;
    int walked = 0;
    for (int at = from.Offset; record && at < offset; record = record->Next) {
        const int end = std::min(offset, start + static_cast<int>(record->Len));
        // A piece without TABs is as wide as it is long.
        column = (record->Flags & lfHasTab) ? columnInRecord(record, end - start, column, at - start) : column + end - at;
        at = end;
        start += record->Len;
        if (++walked % TFileColumnMarks::kRecordsBetween == 0 && at < offset)
            FFileColumns.Add({at, from.LineStart, column});
    }
    return column;
}

bool TCodeMemoCore::holdsTabBetween(int start, int end)
{
    int recordStart = 0;
    for (TLineRecord* record = recordHolding(start, recordStart); record && recordStart < end;
         recordStart += record->Len, record = record->Next) {
        if (!(record->Flags & lfHasTab))
            continue;
        const int from = std::max(start, recordStart) - recordStart;
        const int to = std::min(end, recordStart + static_cast<int>(record->Len)) - recordStart;
        if (to > from && std::memchr(record->Text.get() + from, '\t', static_cast<size_t>(to - from)))
            return true;
    }
    return false;
}

void TCodeMemoCore::SyncTopRecord()
{
    FView.SyncTop();
}

std::string TCodeMemoCore::StoredText(int start, int end)
{
    start = std::clamp(start, 0, FTextLength);
    end = std::clamp(end, start, FTextLength);
    std::string text;
    text.reserve(static_cast<size_t>(end - start));
    int recordStart = 0;
    TLineRecord* record = recordHolding(start, recordStart);
    int from = start - recordStart;
    while (record && static_cast<int>(text.size()) < end - start) {
        int n = std::min<int>(record->Len - from, end - start - static_cast<int>(text.size()));
        text.append(record->Text.get() + from, static_cast<size_t>(n));
        record = record->Next;
        from = 0;
    }
    return text;
}

int TCodeMemoCore::columnInRecord(const TLineRecord* record, int index, int column, int from) const
{
    const char* text = record->Text.get();
    const int end = std::min(index, static_cast<int>(record->Len));
    // Between TABs every character takes one column: only the TABs are visited.
    for (int i = from; i < end;) {
        const void* tab = std::memchr(text + i, '\t', static_cast<size_t>(end - i));
        const int at = tab ? static_cast<int>(static_cast<const char*>(tab) - text) : end;
        column += at - i;
        if (at == end)
            break;
        column = nextTabColumn(column);
        i = at + 1;
    }
    return column;
}

void TCodeMemoCore::moveMarksForInsert(int offset, int count)
{
    FFileLines.EditAt(offset);
    FFileColumns.EditAt(offset);
    adjustMarksForInsert(offset, count);
}

void TCodeMemoCore::moveMarksForDelete(int start, int count)
{
    FFileLines.EditAt(start);
    FFileColumns.EditAt(start);
    adjustMarksForDelete(start, count);
}

void TCodeMemoCore::moveMarksForEdits(const TRangeEdits& edits)
{
    FFileLines.EditAt(static_cast<int>(edits.Start(0)));
    FFileColumns.EditAt(static_cast<int>(edits.Start(0)));
    adjustMarksForEdits(edits);
}

int TCodeMemoCore::displayColumnOf(int offset)
{
    int start = 0;
    TLineRecord* record = recordHolding(offset, start);
    if (!record)
        return 0;
    int index = std::clamp(offset - start, 0, static_cast<int>(record->Len));
    // After a final line break the caret stands on the empty line below.
    if (index == record->Len && record->EndsWithCR() && !record->Next)
        return 0;
    return columnInRecord(record, index);
}

std::string TCodeMemoCore::FillToColumn(int fromColumn, int toColumn)
{
    std::string fill;
    if (toColumn <= fromColumn)
        return fill;
    int column = fromColumn;
    uint32_t options = optionWord();
    if ((options & kOptionUseTab) && (options & kOptionSmartFill)) {
        for (;;) {
            int stop = nextTabColumn(column);
            if (stop > toColumn || stop <= column)
                break;
            fill += '\t';
            column = stop;
        }
    }
    fill.append(static_cast<size_t>(toColumn - column), ' ');
    return fill;
}

// ---------------------------------------------------------------- replacing records

TRecordChain TCodeMemoCore::replaceRecord(TLineRecord* old, TLineRecord* prev, TLineRecord* next,
                                          const char* text, int length)
{
    TRecordChain chain = CutIntoRecords(text, length);
    if (old)
        carryLine(*old, *chain.First);
    chain.First->Prev = prev;
    chain.Last->Next = next;
    if (prev)
        prev->Next = chain.First;
    else
        FStore.SetFirst(chain.First);
    if (next)
        next->Prev = chain.Last;
    for (TLineRecord* r = chain.First; r != next; r = r->Next)
        recordAdded(r);
    if (old) {
        // The line's first piece keeps its place, so references to the old record move to it.
        if (FHighlightStart == old)
            FHighlightStart = chain.First;
        if (FColourFrom == old)
            FColourFrom = chain.First;
        if (FView.TopRecord == old)
            FView.TopRecord = chain.First;
        if (FLookup.Record == old)
            FLookup.Record = chain.First;
        forgetLongRecord(old);
        recordRemoved(old);
        FreeLineRecord(old);
    }
    return chain;
}

void TCodeMemoCore::rewrapAll()
{
    int start = 0;
    TLineRecord* record = FStore.First();
    while (record) {
        TLineRecord* next = record->Next;
        int length = record->Len;
        if (length > kRecordCut) {
            if (FView.TopRecord && start <= FView.TopOffset && FView.TopRecord != record)
                FView.TopRecord = nullptr;
            std::string text(record->View());
            TRecordChain chain = replaceRecord(record, record->Prev, next, text.data(), length);
            if (!FHighlightStart)
                FHighlightStart = chain.First;
        }
        start += length;
        record = next;
    }
}

void TCodeMemoCore::settleLongRecords()
{
    if (!FLongRecordMade)
        return;
    FLongRecordMade = false;
    const bool whole = FLongRecordsOverflow;
    FLongRecordsOverflow = false;
    if (wordWrapOn()) {
        FLongRecords.clear();
        dropLookupCache();
        rewrapAll();
        return;
    }
    // Only the lines holding a record too long are cut again; the others keep their rows. Cutting a
    // line frees its records, which then leave the list.
    if (!whole) {
        while (!FLongRecords.empty()) {
            TLineRecord* record = FLongRecords.front();
            FLongRecords.erase(FLongRecords.begin());
            if (record->Len > kRecordCut)
                recutUnwrappedLine(record);
        }
        return;
    }
    FLongRecords.clear();
    for (TLineRecord* record = FStore.First(); record;) {
        TLineRecord* next = record->Next;
        if (record->Len > kRecordCut) {
            while (next && !record->EndsWithCR() && !next->EndsWithCR() && next->Next)
                next = next->Next;
            if (next && !record->EndsWithCR())
                next = next->Next;
            recutUnwrappedLine(record);
        }
        record = next;
    }
}

void TCodeMemoCore::recutUnwrappedLine(TLineRecord* piece)
{
    if (!piece || wordWrapOn())
        return;
    // Whole pieces at the line's start are cut as loading cuts them and stay as they are; the line is
    // cut anew from the first piece that is not whole on, so a long line costs only its rest. While a
    // stream loads, the pieces before the chunk's first record are known whole when that record lies
    // in this line before `piece` (no line break between them), and the search starts there.
    TLineRecord* from = nullptr;
    for (TLineRecord* r = FWholeBefore; r; r = r->Next) {
        if (r == piece) {
            from = FWholeBefore;
            break;
        }
        if (r->EndsWithCR())
            break;
    }
    if (!from) {
        from = piece;
        while (from->Prev && !from->Prev->EndsWithCR())
            from = from->Prev;
    }
    TLineRecord* last = piece;
    while (!last->EndsWithCR() && last->Next)
        last = last->Next;
    while (from != last && from->Len == kRecordCut)
        from = from->Next;
    if (from == last && from->Len >= 1 && from->Len <= kRecordCut)
        return;
    int total = 0;
    for (TLineRecord* r = from;; r = r->Next) {
        total += r->Len;
        if (r == last)
            break;
    }
    if (total == 0)
        return;
    // The text and style bytes of the pieces cut anew. A new piece holding text of a piece without
    // style bytes (an edit drops them) gets none either; the others hold what they held, cut
    // elsewhere, and their style bytes still tell how that text was scanned.
    // (The bytes of unstyled spans are left unset: nothing reads them.)
    std::string text;
    const std::unique_ptr<uint8_t[]> styles(new uint8_t[static_cast<size_t>(total)]);
    std::vector<std::pair<int, int>> unstyled;
    text.reserve(static_cast<size_t>(total));
    for (TLineRecord* r = from;; r = r->Next) {
        const int at = static_cast<int>(text.size());
        text.append(r->Text.get(), r->Len);
        if (r->Styles)
            std::memcpy(styles.get() + at, r->Styles.get(), r->Len);
        else
            unstyled.push_back({at, at + r->Len});
        if (r == last)
            break;
    }
    TRecordChain chain = CutIntoRecords(text.data(), total);
    bool allStyled = true;
    int pos = 0;
    for (TLineRecord* r = chain.First; r; r = r->Next) {
        const int end = pos + r->Len;
        const bool styled = std::none_of(unstyled.begin(), unstyled.end(), [&](const std::pair<int, int>& span) {
            return span.first < end && pos < span.second;
        });
        if (styled) {
            r->Styles.reset(new uint8_t[static_cast<size_t>(std::max<int>(1, r->Len))]);
            std::memcpy(r->Styles.get(), styles.get() + pos, r->Len);
        }
        allStyled = allStyled && styled;
        pos = end;
        noteRecordLength(r);
    }
    // The line still ends where it did, and the scanner's state there is still known.
    if (last->Styles && chain.Last->Styles)
        chain.Last->ScanState = last->ScanState;
    replaceLineRecords(from, last, chain.First, chain.Last);
    if (!allStyled && !FHighlightStart)
        FHighlightStart = chain.First;
    requestFullRepaint();
}

void TCodeMemoCore::recutUnwrappedLinesAt(int start, int end)
{
    if (wordWrapOn() || !FStore.First())
        return;
    int recordStart = 0;
    recutUnwrappedLine(recordHolding(std::clamp(start, 0, FTextLength), recordStart));
    if (end != start)
        recutUnwrappedLine(recordHolding(std::clamp(end, 0, FTextLength), recordStart));
}

void TCodeMemoCore::markFollowingChanged(TLineRecord* record, int count)
{
    for (int i = 0; record && i <= count; ++i, record = record->Next)
        record->Flags |= lfChanged;
}

// ---------------------------------------------------------------- inserting

void TCodeMemoCore::InsertBlock(const char* block, int count)
{
    if (!block || count <= 0)
        return;
    int offset = std::clamp(FAnchor, 0, FTextLength);
    int start = 0;
    TLineRecord* record = recordHolding(offset, start);
    FTextLength += count;
    moveMarksForInsert(offset, count);
    int inRecord = record ? std::clamp(offset - start, 0, static_cast<int>(record->Len)) : 0;

    // A typed character goes into its record in place: no re-cutting, no other record touched.
    if (count == 1 && block[0] != '\r' && record && inRecord < record->Len && record->Len < 0xFFFF) {
        int oldLength = record->Len;
        TRecordText text = NewRecordText(static_cast<size_t>(oldLength) + 1);
        std::memcpy(text.get(), record->Text.get(), static_cast<size_t>(inRecord));
        text[inRecord] = block[0];
        std::memcpy(text.get() + inRecord + 1, record->Text.get() + inRecord,
                    static_cast<size_t>(oldLength - inRecord) + 1);
        record->Text = std::move(text);
        record->Len = static_cast<uint16_t>(oldLength + 1);
        record->Styles.reset();
        record->Flags |= lfStylesChanged | lfChanged | (block[0] == '\t' ? lfHasTab : 0);
        recordResized(oldLength, oldLength + 1);
        noteRecordLength(record);
        if (!FHighlightStart)
            FHighlightStart = record;
        if (FView.TopRecord && offset < FView.TopOffset)
            FView.TopRecord = nullptr;
        if (wordWrapOn()) {
            rewrapLines(record, record);
        }
        settleLongRecords();
        return;
    }

    std::string text;
    text.reserve(static_cast<size_t>(count) + (record ? record->Len : 0));
    if (record)
        text.append(record->Text.get(), static_cast<size_t>(inRecord));
    text.append(block, static_cast<size_t>(count));
    if (record)
        text.append(record->Text.get() + inRecord, static_cast<size_t>(record->Len - inRecord));
    bool aboveTop = FView.TopRecord && FView.TopRecord != record && offset < FView.TopOffset;
    TRecordChain chain = replaceRecord(record, record ? record->Prev : nullptr, record ? record->Next : nullptr,
                                       text.data(), static_cast<int>(text.size()));
    // The new records took the place of one in a line cut as loading cuts it: those before them are whole.
    if (FCaretLineCut) {
        FCaretLineCut = false;
        FWholeBefore = chain.First;
    }
    if (aboveTop)
        FView.TopRecord = nullptr;
    if (!FHighlightStart)
        FHighlightStart = chain.First;
    // The next chunk of a long insertion goes in at the end of this one, in the last new record.
    FLookup = {chain.Last, start + static_cast<int>(text.size()) - chain.Last->Len};
    markFollowingChanged(chain.First, FView.LinesPerWindow + 2);
    if (wordWrapOn() && !FWrapDeferred) {
        rewrapLines(chain.First, chain.Last);
    }
}

int TCodeMemoCore::InsertAtCaret(const char* text, int length)
{
    if (!text)
        return 0;
    if (length < 0)
        length = static_cast<int>(std::strlen(text));
    return insertAtCaret(text, length, false);
}

int TCodeMemoCore::insertAtCaret(const char* text, int length, bool continues)
{
    if (length <= 0)
        return 0;
    FAnchor = FCaret;
    if (length == 1 && !continues) {
        char c = text[0] == '\n' ? '\r' : text[0] == '\0' ? '.' : text[0];
        InsertBlock(&c, 1);
        fireTextChange(FCaret, 1);
        FAnchor = FCaret = FCaret + 1;
        return 1;
    }
    int total = 0;
    int pos = 0;
    const int from = FAnchor;
    const bool wrapOnce = wordWrapOn() && length > kChunkSize && !FWrapDeferred;
    TScopeGuard deferred = wrapDeferredScope(wrapOnce);
    while (pos < length) {
        int n = std::min(length - pos, kChunkSize);
        bool last = pos + n == length && !continues;
        // A line-break pair must go through the normaliser in one piece, or it would count twice.
        if (pos + n < length && CutPartsLineBreak(text + pos, n, text[pos + n]))
            --n;
        int normal = last ? NormaliseText(FNormalBuffer.get(), text + pos, n)
                          : NormaliseChunk(FNormalBuffer.get(), text + pos, n);
        InsertBlock(FNormalBuffer.get(), normal);
        fireTextChange(FAnchor, normal);
        FAnchor += normal;
        FCaret = FAnchor;
        total += normal;
        pos += n;
    }
    if (wrapOnce) {
        deferred.End();
        rewrapInserted(from, FCaret);
    }
    settleLongRecords();
    return total;
}

TScopeGuard TCodeMemoCore::wrapDeferredScope(bool defer)
{
    if (!defer || FWrapDeferred)
        return {};
    FWrapDeferred = true;
    return TScopeGuard([this] { FWrapDeferred = false; });
}

void TCodeMemoCore::rewrapInserted(int start, int end)
{
    int recordStart = 0;
    TLineRecord* first = recordHolding(std::clamp(start, 0, FTextLength), recordStart);
    TLineRecord* last = recordHolding(std::clamp(end, 0, FTextLength), recordStart);
    if (first && last)
        rewrapLines(first, last);
}

void TCodeMemoCore::InsertText(const char* text)
{
    replaceSelection(text, text ? static_cast<int>(std::strlen(text)) : 0, false);
}

void TCodeMemoCore::InsertText(const char* text, int length)
{
    if (text && length < 0)
        length = static_cast<int>(std::strlen(text));
    replaceSelection(text, text ? length : 0, false);
}

void TCodeMemoCore::replaceSelection(const char* text, int length, bool continues)
{
    TScopeGuard group = undoGroupScope(kGroupInsertText);
    TTextRange selection = OrderedSelection();
    selection.Start = std::clamp(selection.Start, 0, FTextLength);
    selection.End = std::clamp(selection.End, 0, FTextLength);
    bool acrossRecords = false;
    if (selection.Start != selection.End) {
        int start = 0;
        TLineRecord* first = recordHolding(selection.Start, start);
        acrossRecords = recordHolding(selection.End, start) != first;
    }
    FInInsertion = true;
    TScopeGuard inserting([this] { FInInsertion = false; });

    std::string filled;
    if (FCaretBeyondEOL && selection.Start == selection.End) {
        FCaretBeyondEOL = false;
        int start = 0;
        TLineRecord* record = recordHolding(FCaret, start);
        int lineEnd = record ? columnInRecord(record, record->Len - (record->EndsWithCR() ? 1 : 0)) : 0;
        filled = FillToColumn(lineEnd, FWantedColumn);
        if (!filled.empty()) {
            if (text)
                filled.append(text, static_cast<size_t>(length));
            text = filled.data();
            length = static_cast<int>(filled.size());
        }
    }

    logReplaceStart(text ? std::string_view(text, static_cast<size_t>(length)) : std::string_view());
    if (selection.Start != selection.End) {
        FAnchor = selection.Start;
        FCaret = selection.End;
        DeleteSelection();
        if (acrossRecords)
            requestFullRepaint();
    }
    SyncTopRecord();
    FAnchor = FCaret = selection.Start;
    if (text && length > 0)
        insertAtCaret(text, length, continues);
    FAnchor = FCaret;
    // Without word wrap the lines the edit touched are cut as loading cuts them.
    recutUnwrappedLinesAt(selection.Start, FCaret);

    inserting.End();
    FRememberedColumn = displayColumnOf(FCaret);
    FWantedColumn = FRememberedColumn;
    FCaretBeyondEOL = false;
    logReplaceEnd();
    highlightPending();
}

void TCodeMemoCore::InsertStream(TStream& stream)
{
    // Only what lies after the stream's position is inserted.
    int64_t remaining = stream.GetSize() - stream.GetPosition();
    if (remaining <= 0) {
        InsertText(nullptr);
    } else {
        // One byte more than a chunk, to see whether a line-break pair straddles the cut.
        std::unique_ptr<char[]> buffer(new char[kChunkSize + 1]);
        TScopeGuard marks([this] {
            FCaretLineCut = false;
            FWholeBefore = nullptr;
        });
        const int from = std::clamp(OrderedSelection().Start, 0, FTextLength);
        const bool wrapOnce = wordWrapOn() && remaining > kChunkSize && !FWrapDeferred;
        TScopeGuard deferred = wrapDeferredScope(wrapOnce);
        bool first = true;
        while (remaining > 0) {
            int64_t got = stream.Read(buffer.get(), std::min<int64_t>(remaining, kChunkSize + 1));
            if (got <= 0)
                break;
            int chunk = static_cast<int>(std::min<int64_t>(got, kChunkSize));
            if (got > kChunkSize && CutPartsLineBreak(buffer.get(), chunk, buffer[chunk]))
                --chunk;
            if (got > chunk)
                stream.Seek(chunk - got, soFromCurrent);
            remaining -= chunk;
            // With its length given, a NUL byte in the stream is normalised like any control
            // character instead of ending the chunk; only the stream's end is a block end.
            // After the first chunk the caret stands in a line the chunk before cut anew.
            FCaretLineCut = !first;
            replaceSelection(buffer.get(), chunk, remaining > 0);
            FCaretLineCut = false;
            FWholeBefore = nullptr;
            first = false;
            FAnchor = FCaret;
        }
        if (wrapOnce) {
            deferred.End();
            rewrapInserted(from, FCaret);
        }
    }
    FChangeBits |= kChangedText;
    notifyChange();
    refreshScrollBars();
}

// ---------------------------------------------------------------- deleting

void TCodeMemoCore::becameEmpty()
{
    FStore.SetFirst(nullptr);
    FLongRecords.clear();
    FWholeBefore = nullptr;
    FTextLength = 0;
    FView.TopLine = 0;
    FView.TopRecord = nullptr;
    FView.TopOffset = 0;
    layoutChanged();
    FHighlightStart = nullptr;
    FColourFrom = nullptr;
    FColouringPending = false;
    FLookup = {};
    FFileLines.Clear();
    FFileColumns.Clear();
    FAnchor = FCaret = 0;
    clearNamedBookmarks();
    fireTextChange(0, 0);
}

void TCodeMemoCore::DeleteSelection()
{
    TTextRange selection = OrderedSelection();
    int s = std::clamp(selection.Start, 0, FTextLength);
    int e = std::clamp(selection.End, 0, FTextLength);
    if (s >= e || !FStore.First())
        return;
    FTextLength -= e - s;
    moveMarksForDelete(s, e - s);
    // Nothing of the selection is left, and its end may now lie past the text.
    FAnchor = FCaret = s;

    int firstStart = 0;
    TLineRecord* first = recordHolding(s, firstStart);
    if (FView.TopRecord && s < FView.TopOffset)
        FView.TopRecord = nullptr;
    TLineRecord* last = first;
    int lastStart = firstStart;
    while (e >= lastStart + last->Len && last->Next) {
        lastStart += last->Len;
        last = last->Next;
    }
    int head = s - firstStart;
    int tailFrom = e - lastStart;
    std::string merged;
    merged.reserve(static_cast<size_t>(head + last->Len - tailFrom));
    merged.append(first->Text.get(), static_cast<size_t>(head));
    merged.append(last->Text.get() + tailFrom, static_cast<size_t>(last->Len - tailFrom));

    // The merged record stands in for the first one: it keeps that line's marks and tracking object.
    TLineRecord* prev = first->Prev;
    TLineRecord* next = last->Next;
    TLineData lineData = TLineData::Of(*first);
    // When whole lines before `last` go and `last` stays whole, the merged record is `last`'s line:
    // its bookmarks stay on it, and those of the deleted lines go with them.
    if (head == 0 && tailFrom == 0 && first != last && !(last->MarkBits & mbContinuation))
        lineData.MarkBits = static_cast<uint16_t>((lineData.MarkBits & ~mbBookmarks) | (last->MarkBits & mbBookmarks));
    TLineTrack* track = first->Track;
    first->Track = nullptr;
    for (TLineRecord* r = first;;) {
        TLineRecord* following = r->Next;
        bool done = r == last;
        if (r->Track) {
            TLineTrack* gone = r->Track;
            r->Track = nullptr;
            releaseTrack(gone);
        }
        disposeRecord(r);
        if (done)
            break;
        r = following;
    }
    if (prev)
        prev->Next = next;
    else
        FStore.SetFirst(next);
    if (next)
        next->Prev = prev;

    if (merged.empty()) {
        if (track)
            releaseTrack(track);
        if (!FStore.First()) {
            becameEmpty();
            return;
        }
        // Only the end of the text can leave nothing to merge; its last line goes whole instead of
        // leaving an empty record behind.
        if (prev)
            prev->Flags |= lfChanged;
        requestFullRepaint();
        fireTextChange(s, -(e - s));
        return;
    }

    TLineRecord* joined = NewLineRecord(merged.data(), static_cast<int>(merged.size()));
    joined->Flags = lfChanged | (holdsTab(merged.data(), static_cast<int>(merged.size())) ? lfHasTab : 0);
    lineData.ApplyTo(*joined);
    if (track)
        moveTrack(track, joined);
    joined->Prev = prev;
    joined->Next = next;
    if (prev)
        prev->Next = joined;
    else
        FStore.SetFirst(joined);
    if (next)
        next->Prev = joined;
    recordAdded(joined);
    noteRecordLength(joined);
    if (!FHighlightStart)
        FHighlightStart = joined;
    FLookup = {joined, firstStart};

    if (FLongRecordMade)
        settleLongRecords();
    else if (wordWrapOn()) {
        rewrapLines(joined, joined);
    }
    fireTextChange(s, -(e - s));
}

void TCodeMemoCore::Clear()
{
    {
        TScopeGuard redrawOff = redrawOffScope();
        // Clearing never leaves a fill of blanks behind.
        FCaretBeyondEOL = false;
        FAnchor = 0;
        FCaret = FTextLength;
        InsertText(nullptr);
    }
    clearUndoLog();
}

// ---------------------------------------------------------------- many ranges at once

void TCodeMemoCore::ReplaceRanges(TRangeEdits edits)
{
    if (edits.Empty() || !edits.Valid(FTextLength))
        return;
    logRangesStart();
    ApplyRanges(edits);
    logRangesEnd(std::move(edits));
}

void TCodeMemoCore::ApplyRanges(TRangeEdits& edits)
{
    if (edits.Empty() || !edits.Valid(FTextLength) || (!FStore.First() && edits.Growth() == 0))
        return;
    FInInsertion = true;
    TScopeGuard inserting([this] { FInInsertion = false; });
    rewriteRanges(edits);
    FTextLength = static_cast<int>(FTextLength + edits.Growth());
    moveMarksForEdits(edits);
    const std::vector<int64_t> shifts = edits.Shifts();
    const size_t last = edits.Count() - 1;
    FAnchor = FCaret = std::clamp(static_cast<int>(edits.Start(last) + shifts[last] + edits.NewLength(last)), 0, FTextLength);
    FChangeBits |= kChangedText;
    requestFullRepaint();
    if (!FStore.First()) {
        becameEmpty();
    } else {
        // Told as the replacements one by one would tell it, once the whole text stands.
        for (size_t i = 0; i < edits.Count(); ++i) {
            const int at = static_cast<int>(edits.Start(i) + shifts[i]);
            if (edits.OldLength(i) > 0)
                fireTextChange(at, -edits.OldLength(i));
            if (edits.NewLength(i) > 0)
                fireTextChange(at, edits.NewLength(i));
        }
    }
    inserting.End();
    FRememberedColumn = displayColumnOf(FCaret);
    FWantedColumn = FRememberedColumn;
    FCaretBeyondEOL = false;
}

void TCodeMemoCore::dropStyles(TLineRecord* record)
{
    if (record->Styles) {
        record->SpareStyles = std::move(record->Styles);
        record->SpareLen = record->Len;
    }
    record->ScanState = kNoScanState;
    record->Flags |= lfStylesChanged | lfChanged;
}

void TCodeMemoCore::noteRestyled(TLineRecord* first)
{
    if (!first)
        return;
    if (!FHighlightStart)
        FHighlightStart = first;
    // Colouring that waits for its slices starts again at the first record without bytes.
    if (FColouringPending)
        FColourFrom = nullptr;
}

void TCodeMemoCore::restyleSpan(int from, int to)
{
    int start = 0;
    TLineRecord* first = recordHolding(std::clamp(from, 0, FTextLength), start);
    for (TLineRecord* r = first; r && start <= to; start += r->Len, r = r->Next)
        dropStyles(r);
    noteRestyled(first);
}

std::pair<TLineRecord*, TLineRecord*> TCodeMemoCore::replaceLines(TLineRecord* first, TLineRecord* last,
                                                                  const std::string& text)
{
    const int length = static_cast<int>(text.size());
    // A one-record line that stays one record takes its new text in place: its record, bookmarks and
    // tracking object stay, and its style bytes are kept for the next run to fill.
    if (first == last && length > 0 && length <= kRecordCut &&
        std::memchr(text.data(), '\r', static_cast<size_t>(length - 1)) == nullptr)
    {
        const int oldLength = first->Len;
        // The spare style bytes are as long as the text they coloured: dropped before the length changes.
        dropStyles(first);
        TRecordText buffer = NewRecordText(static_cast<size_t>(length));
        std::memcpy(buffer.get(), text.data(), static_cast<size_t>(length));
        buffer[length] = '\0';
        first->Text = std::move(buffer);
        first->Len = static_cast<uint16_t>(length);
        first->Flags = (first->Flags & ~lfHasTab) | (holdsTab(text.data(), length) ? lfHasTab : 0);
        recordResized(oldLength, length);
        return {first, first};
    }
    // Lines that a replacement joins to the first one go with their bookmarks and tracking objects,
    // as deleting the text between them would take them.
    for (TLineRecord* r = first->Next; r && r != last->Next; r = r->Next) {
        if (r->MarkBits & mbContinuation)
            continue;
        r->MarkBits = static_cast<uint16_t>(r->MarkBits & ~mbBookmarks);
        if (TLineTrack* gone = std::exchange(r->Track, nullptr))
            releaseTrack(gone);
    }
    if (length == 0) {
        TLineRecord* prev = first->Prev;
        for (TLineRecord* r = first;;) {
            TLineRecord* following = r->Next;
            const bool done = r == last;
            if (TLineTrack* gone = std::exchange(r->Track, nullptr))
                releaseTrack(gone);
            disposeRecord(r);
            if (done)
                break;
            r = following;
        }
        if (prev) {
            prev->Next = nullptr;
            prev->Flags |= lfChanged;
        } else {
            FStore.SetFirst(nullptr);
        }
        return {nullptr, nullptr};
    }
    TRecordChain chain = CutIntoRecords(text.data(), length);
    replaceLineRecords(first, last, chain.First, chain.Last);
    return {chain.First, chain.Last};
}

void TCodeMemoCore::rewriteRanges(TRangeEdits& edits)
{
    const size_t count = edits.Count();
    std::string& oldTexts = edits.OldTexts();
    oldTexts.clear();
    int lineStart = 0;
    TLineRecord* line = lineStartHolding(edits.Start(0), lineStart);
    dropLookupCache();
    if (!line) {
        // An empty text has no line to rewrite: its ranges all stand at 0 and take nothing, and their
        // new texts, one after another, become the text (the undo of a replace all that emptied it).
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text.append(edits.NewText(i));
        if (text.empty())
            return;
        const TRecordChain chain = replaceRecord(nullptr, nullptr, nullptr, text.data(), static_cast<int>(text.size()));
        noteRestyled(chain.First);
        if (wordWrapOn())
            rewrapLines(chain.First, chain.Last);
        return;
    }
    // The top of the view keeps its record only when nothing before it changes.
    if (FView.TopRecord && edits.Start(0) < FView.TopOffset)
        FView.TopRecord = nullptr;
    TLineRecord* firstChanged = nullptr;
    TLineRecord* lastChanged = nullptr;
    std::string text;
    size_t i = 0;
    // What the ranges taken so far added, and the last line written with its offset in the new text:
    // the next look-up (the next batch of a replace all) starts there.
    int64_t grown = 0;
    TLineRecord* lastHead = nullptr;
    int64_t lastHeadStart = 0;
    // Offsets below are those of the text before the edit: the records not yet reached keep them.
    while (line && i < count) {
        TLineRecord* last = line;
        int end = lineStart + line->Len;
        auto toLineEnd = [&] {
            while (!last->EndsWithCR() && last->Next) {
                last = last->Next;
                end += last->Len;
            }
        };
        toLineEnd();
        if (edits.Start(i) >= end && last->Next) {
            // A line between two changed ones is coloured again too, or a run would stop at it.
            if (firstChanged)
                for (TLineRecord* r = line; r != last->Next; r = r->Next)
                    dropStyles(r);
            line = last->Next;
            lineStart = end;
            continue;
        }
        // The characters from `pos` to `to` of the lines being rewritten, read from their records in
        // order.
        TLineRecord* from = line;
        int fromStart = lineStart;
        auto copy = [&](int pos, int to, std::string& into) {
            while (pos >= fromStart + from->Len && from->Next) {
                fromStart += from->Len;
                from = from->Next;
            }
            while (pos < to) {
                const int inRecord = pos - fromStart;
                const int n = std::min(to - pos, from->Len - inRecord);
                into.append(from->Text.get() + inRecord, static_cast<size_t>(n));
                pos += n;
                if (pos < to) {
                    fromStart += from->Len;
                    from = from->Next;
                }
            }
        };
        auto takeNextLine = [&] {
            last = last->Next;
            end += last->Len;
            toLineEnd();
        };
        text.clear();
        const int64_t newLineStart = lineStart + grown;
        int pos = lineStart;
        for (;;) {
            while (i < count && (edits.Start(i) < end || !last->Next)) {
                const int start = edits.Start(i);
                const int stop = edits.End(i);
                // A range running past the line takes the lines it reaches.
                while (stop > end && last->Next)
                    takeNextLine();
                copy(pos, start, text);
                copy(start, stop, oldTexts);
                text.append(edits.NewText(i));
                grown += edits.NewLength(i) - edits.OldLength(i);
                pos = stop;
                ++i;
            }
            copy(pos, end, text);
            pos = end;
            // A line whose line break went joins the next line.
            if ((!text.empty() && text.back() == '\r') || !last->Next)
                break;
            takeNextLine();
        }
        TLineRecord* next = last->Next;
        const auto [head, tail] = replaceLines(line, last, text);
        if (head) {
            if (!firstChanged)
                firstChanged = head;
            lastChanged = tail;
            lastHead = head;
            lastHeadStart = newLineStart;
        }
        line = next;
        lineStart = end;
    }
    dropLookupCache();
    if (lastHead)
        moveLookupCache(lastHead, static_cast<int>(lastHeadStart));
    if (!FStore.First())
        return;
    // The last lines went whole: the line before them is where highlighting looks again.
    if (!firstChanged) {
        TLineRecord* r = FStore.First();
        while (r->Next)
            r = r->Next;
        firstChanged = lastChanged = r;
        dropStyles(r);
    }
    noteRestyled(firstChanged);
    if (wordWrapOn())
        rewrapLines(firstChanged, lastChanged);
}

// ---------------------------------------------------------------- block indentation

bool TCodeMemoCore::blockCommandRange(int step, int& n, TTextRange& selection)
{
    n = std::min(step != 0 ? step : indentStep(), kMaxIndentStep);
    OrderRange({std::clamp(FAnchor, 0, FTextLength), std::clamp(FCaret, 0, FTextLength)}, selection);
    return n > 0 && selection.Start != selection.End;
}

void TCodeMemoCore::IndentBlock(int step, int flags)
{
    int n = 0;
    TTextRange selection;
    if (!blockCommandRange(step, n, selection))
        return;
    bool tabs = (flags & 1) && (optionWord() & kOptionUseTab);
    const std::string indent(static_cast<size_t>(n), tabs ? '\t' : ' ');
    bool wrap = wordWrapOn();
    bool caretFirst = FCaret < FAnchor;

    // The group opens with the first change and closes after the update ends, as it was opened after
    // the update began.
    TScopeGuard group;
    TScopeGuard update = linesUpdateScope();
    int firstStart = 0;
    TLineRecord* first = lineStartHolding(selection.Start, firstStart);
    TLineRecord* record = first;
    TLineRecord* last = first;
    int oldStart = firstStart; // start of `record` in the text as it was before the indent
    int added = 0;
    // Lines from the one holding the selection start up to the one holding its end; a line that
    // the end reaches only at its very start is left alone.
    while (record && oldStart < selection.End) {
        int oldLength = record->Len;
        restyle(record);
        if (!(record->MarkBits & mbContinuation)) {
            if (!group.Active()) {
                group = undoGroupScope(kGroupIndent);
                FChangeBits |= kChangedText | kChangedBlock;
            }
            int lineStart = oldStart + added;
            moveMarksForInsert(lineStart, n);
            logInsertion(lineStart, indent);
            TRecordText text = NewRecordText(static_cast<size_t>(oldLength + n));
            std::memcpy(text.get(), indent.data(), static_cast<size_t>(n));
            std::memcpy(text.get() + n, record->Text.get(), static_cast<size_t>(oldLength) + 1);
            record->Text = std::move(text);
            record->Len = static_cast<uint16_t>(oldLength + n);
            if (tabs)
                record->Flags |= lfHasTab;
            recordResized(oldLength, record->Len);
            noteRecordLength(record);
            if (!FHighlightStart)
                FHighlightStart = record;
            if (FView.TopRecord && lineStart < FView.TopOffset)
                FView.TopRecord = nullptr;
            FTextLength += n;
            added += n;
            fireTextChange(lineStart + record->Len, n);
        }
        oldStart += oldLength;
        last = record;
        record = record->Next;
    }
    restyleRestOfLine(record, last, wrap);
    FLookup = {first, firstStart};
    finishBlockCommand(selection.Start, selection.End + added, caretFirst, first, last);
    update.End();
    group.End();
    repaintText();
}

void TCodeMemoCore::removeEmptiedRecord(TLineRecord* record)
{
    TLineRecord* prev = record->Prev;
    TLineRecord* next = record->Next;
    if (prev)
        prev->Next = next;
    else
        FStore.SetFirst(next);
    if (next) {
        next->Prev = prev;
        // A continuation piece becomes its line's first piece and takes over the line's data.
        if (next->MarkBits & mbContinuation)
            carryLine(*record, *next);
    }
    if (record->Track) {
        TLineTrack* gone = record->Track;
        record->Track = nullptr;
        releaseTrack(gone);
    }
    if (prev)
        prev->Flags |= lfChanged;
    requestFullRepaint();
    disposeRecord(record);
}

void TCodeMemoCore::UnindentBlock(int step)
{
    int n = 0;
    TTextRange selection;
    if (!blockCommandRange(step, n, selection))
        return;
    bool wrap = wordWrapOn();
    bool caretFirst = FCaret < FAnchor;

    TScopeGuard group;
    TScopeGuard update = linesUpdateScope();
    int firstStart = 0;
    TLineRecord* first = lineStartHolding(selection.Start, firstStart);
    TLineRecord* record = first;
    TLineRecord* last = first;
    int oldStart = firstStart;
    int removed = 0;
    bool emptied = false;
    bool lineChanged = false; // the line being walked lost characters
    // When a line's first piece is taken whole, the line goes on in the next record with what is left
    // of the step.
    int carriedStep = -1;
    while (record && (oldStart < selection.End || carriedStep >= 0)) {
        int oldLength = record->Len;
        TLineRecord* next = record->Next;
        int limit = carriedStep >= 0 ? carriedStep : n;
        carriedStep = -1;
        int k = 0;
        const bool continuation = (record->MarkBits & mbContinuation) != 0;
        if (!continuation) {
            lineChanged = false;
            while (k < limit && k < oldLength &&
                   (record->Text[k] == ' ' || record->Text[k] == '\t' || record->Text[k] == kNoBreakSpace))
                ++k;
        }
        // A line with nothing to remove keeps its style bytes: nothing will colour it again.
        if (k > 0)
            lineChanged = true;
        if (lineChanged)
            restyle(record);
        if (k > 0) {
            if (!group.Active()) {
                group = undoGroupScope(kGroupUnindent);
                FChangeBits |= kChangedText | kChangedBlock;
            }
            int lineStart = oldStart - removed;
            moveMarksForDelete(lineStart, k);
            logRemoval(lineStart, std::string_view(record->Text.get(), static_cast<size_t>(k)));
            std::memmove(record->Text.get(), record->Text.get() + k, static_cast<size_t>(oldLength - k) + 1);
            record->Len = static_cast<uint16_t>(oldLength - k);
            if (!holdsTab(record->Text.get(), record->Len))
                record->Flags &= ~lfHasTab;
            recordResized(oldLength, record->Len);
            FTextLength -= k;
            removed += k;
            if (FView.TopRecord && lineStart < FView.TopOffset)
                FView.TopRecord = nullptr;
            if (record->Len == 0) {
                // A piece of nothing but blanks goes whole (the last line, or a line's first piece).
                if (record == first)
                    first = next;
                if (next && (next->MarkBits & mbContinuation))
                    carriedStep = limit - k;
                removeEmptiedRecord(record);
                emptied = true;
                if (!FStore.First()) {
                    becameEmpty();
                    update.End();
                    group.End();
                    repaintText();
                    return;
                }
                fireTextChange(lineStart, -k);
                oldStart += oldLength;
                record = next;
                continue;
            }
            if (!FHighlightStart)
                FHighlightStart = record;
            fireTextChange(lineStart + record->Len, -k);
        }
        oldStart += oldLength;
        last = record;
        record = next;
    }
    if (lineChanged)
        restyleRestOfLine(record, last, wrap);
    dropLookupCache();
    // When a line went whole the touched range is re-cut from the start.
    finishBlockCommand(selection.Start, selection.End - removed, caretFirst, emptied ? nullptr : first,
                       emptied ? nullptr : last);
    update.End();
    group.End();
    repaintText();
}

void TCodeMemoCore::restyleRestOfLine(TLineRecord* record, TLineRecord*& last, bool wrap)
{
    // The rest of the last line, and without wrapping the record after it, are restyled too.
    while (record && (record->MarkBits & mbContinuation)) {
        restyle(record);
        last = record;
        record = record->Next;
    }
    if (record && !wrap)
        restyle(record);
}

void TCodeMemoCore::finishBlockCommand(int start, int end, bool caretFirst, TLineRecord* first,
                                       TLineRecord* last)
{
    start = std::clamp(start, 0, FTextLength);
    end = std::clamp(end, 0, FTextLength);
    if (caretFirst) {
        FCaret = start;
        FAnchor = end;
    } else {
        FAnchor = start;
        FCaret = end;
    }
    revealOffset(caretFirst ? start : end);
    if (FLongRecordMade)
        settleLongRecords();
    else if (wordWrapOn()) {
        rewrapLines(first, last);
    } else {
        for (int line = start, stop = std::max(start, end);; ) {
            int recordStart = 0;
            TLineRecord* record = recordHolding(std::clamp(line, 0, FTextLength), recordStart);
            recutUnwrappedLine(record);
            record = recordHolding(std::clamp(line, 0, FTextLength), recordStart);
            while (record && !record->EndsWithCR() && record->Next) {
                recordStart += record->Len;
                record = record->Next;
            }
            if (!record || recordStart + record->Len > stop || !record->Next)
                break;
            line = recordStart + record->Len;
        }
    }
}

// ---------------------------------------------------------------- begin/end pairs

TScopeGuard TCodeMemoCore::linesUpdateScope()
{
    beginLinesUpdate();
    return TScopeGuard([this] { endLinesUpdate(); });
}

TScopeGuard TCodeMemoCore::undoGroupScope(int kind)
{
    openUndoGroup(kind);
    return TScopeGuard([this, kind] { closeUndoGroup(kind); });
}

TScopeGuard TCodeMemoCore::redrawOffScope()
{
    if (!FRedraw)
        return {};
    setRedraw(false);
    return TScopeGuard([this] { setRedraw(true); });
}
