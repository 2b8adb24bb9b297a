// Named bookmarks and text marks, and how they follow insertions and deletions.
#include "editor/model/Bookmarks.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>

#include "platform/core/ScopeGuard.h"

namespace {

// Where an offset ends up when [start, start + count) is deleted: offsets inside the deletion fall
// to its start.
int afterDeletion(int offset, int start, int count)
{
    if (offset <= start)
        return offset;
    return offset < start + count ? start : offset - count;
}

int clampedSum(int a, int b)
{
    long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, 0, std::numeric_limits<int>::max()));
}

} // namespace

// ---------------------------------------------------------------- named bookmarks

TCustomBookmarks::TCustomBookmarks()
{
    FNames.SetSorted(true);
}

TCustomBookmarks::~TCustomBookmarks()
{
    Clear();
}

TCustBookmark* TCustomBookmarks::Find(std::string_view name) const
{
    int index = 0;
    if (!FNames.Find(name, index))
        return nullptr;
    return static_cast<TCustBookmark*>(FNames.Objects(index));
}

void TCustomBookmarks::link(TCustBookmark* node)
{
    TCustBookmark* prev = nullptr;
    TCustBookmark* next = FFirst;
    while (next && next->FPosition <= node->FPosition) {
        prev = next;
        next = next->FNext;
    }
    node->FPrev = prev;
    node->FNext = next;
    (prev ? prev->FNext : FFirst) = node;
    if (next)
        next->FPrev = node;
}

void TCustomBookmarks::unlink(TCustBookmark* node)
{
    (node->FPrev ? node->FPrev->FNext : FFirst) = node->FNext;
    if (node->FNext)
        node->FNext->FPrev = node->FPrev;
    node->FNext = node->FPrev = nullptr;
}

TCustBookmark* TCustomBookmarks::Add(const std::string& name, int position)
{
    position = std::max(position, 0);
    TCustBookmark* node = Find(name);
    if (node) {
        unlink(node);
    } else {
        node = new TCustBookmark;
        node->FName = name;
        FNames.Add(name, node);
    }
    node->FPosition = position;
    link(node);
    return node;
}

void TCustomBookmarks::release(TCustBookmark* node)
{
    unlink(node);
    int index = 0;
    if (FNames.Find(node->FName, index))
        FNames.Delete(index);
    std::string name = std::move(node->FName);
    delete node;
    if (OnFree)
        OnFree(name);
}

bool TCustomBookmarks::Delete(std::string_view name)
{
    TCustBookmark* node = Find(name);
    if (!node)
        return false;
    release(node);
    return true;
}

void TCustomBookmarks::Clear()
{
    while (FFirst)
        release(FFirst);
    FNames.Clear();
}

void TCustomBookmarks::AdjustForInsert(int position, int count)
{
    if (count <= 0)
        return;
    for (TCustBookmark* node = FFirst; node; node = node->FNext)
        if (node->FPosition >= position)
            node->FPosition = clampedSum(node->FPosition, count);
}

void TCustomBookmarks::AdjustForDelete(int start, int count)
{
    if (count <= 0)
        return;
    int end = clampedSum(start, count);
    TCustBookmark* node = FFirst;
    while (node) {
        TCustBookmark* next = node->FNext;
        if (node->FPosition >= start && node->FPosition < end)
            release(node);
        else if (node->FPosition >= end)
            node->FPosition -= count;
        node = next;
    }
}

void TCustomBookmarks::AdjustForEdits(const TRangeEdits& edits)
{
    if (edits.Empty())
        return;
    const std::vector<int64_t> shifts = edits.Shifts();
    TCustBookmark* node = FFirst;
    while (node) {
        TCustBookmark* next = node->FNext;
        // Ranges that end by the bookmark move it by what they change; the next one holds it or
        // lies wholly after it.
        const size_t i = edits.FirstEndingAfter(node->FPosition);
        if (i < edits.Count() && edits.Start(i) <= node->FPosition)
            release(node);
        else
            node->FPosition = static_cast<int>(std::clamp<int64_t>(node->FPosition + shifts[i], 0, std::numeric_limits<int>::max()));
        node = next;
    }
}

// ---------------------------------------------------------------- text marks

TObjectList::~TObjectList()
{
    Clear();
}

size_t TObjectList::lookBack(int start) const
{
    long long from = static_cast<long long>(start) - FMaxSpan;
    auto it = std::lower_bound(FMarks.begin(), FMarks.end(), from,
                               [](const TTextMark* m, long long s) { return m->FStart < s; });
    return static_cast<size_t>(it - FMarks.begin());
}

void TObjectList::relinkAround(size_t index)
{
    TTextMark* mark = FMarks[index];
    mark->FPrev = index > 0 ? FMarks[index - 1] : nullptr;
    mark->FNext = index + 1 < FMarks.size() ? FMarks[index + 1] : nullptr;
    if (mark->FPrev)
        mark->FPrev->FNext = mark;
    if (mark->FNext)
        mark->FNext->FPrev = mark;
}

void TObjectList::enter(TTextMark* mark)
{
    auto it = std::upper_bound(FMarks.begin(), FMarks.end(), mark->FStart,
                               [](int s, const TTextMark* m) { return s < m->FStart; });
    size_t index = static_cast<size_t>(it - FMarks.begin());
    FMarks.insert(it, mark);
    relinkAround(index);
    noteSpan(mark);
}

void TObjectList::remove(TTextMark* mark)
{
    auto it = std::lower_bound(FMarks.begin(), FMarks.end(), mark->FStart,
                               [](const TTextMark* m, int s) { return m->FStart < s; });
    while (it != FMarks.end() && *it != mark)
        ++it;
    if (it == FMarks.end())
        return;
    if (mark->FPrev)
        mark->FPrev->FNext = mark->FNext;
    if (mark->FNext)
        mark->FNext->FPrev = mark->FPrev;
    mark->FPrev = mark->FNext = nullptr;
    FMarks.erase(it);
}

void TObjectList::noteSpan(const TTextMark* mark)
{
    FMaxSpan = std::max(FMaxSpan, mark->FEnd - mark->FStart);
}

void TObjectList::recomputeSpan()
{
    FMaxSpan = 0;
    for (const TTextMark* mark : FMarks)
        noteSpan(mark);
}

void TObjectList::dispose(TTextMark* mark)
{
    FOwned.erase(mark);
    if (OnFree)
        OnFree(mark);
    delete mark;
}

TTextMark* TObjectList::Add(int start, int length, uint32_t data, uint8_t kind)
{
    auto* mark = new TTextMark;
    int other = clampedSum(start, length);
    mark->FStart = std::max(0, std::min(start, other));
    mark->FEnd = std::max(mark->FStart, std::max(start, other));
    mark->Kind = kind;
    mark->Data = data;
    FOwned.insert(mark);
    enter(mark);
    return mark;
}

void TObjectList::AddRanges(const std::vector<TTextRange>& ranges, uint8_t kind)
{
    // Made whole before the list takes any of them, so that running out of memory leaves it as it was.
    std::vector<std::unique_ptr<TTextMark>> made;
    made.reserve(ranges.size());
    for (const TTextRange& range : ranges) {
        auto mark = std::make_unique<TTextMark>();
        mark->FStart = std::max(0, std::min(range.Start, range.End));
        mark->FEnd = std::max(mark->FStart, std::max(range.Start, range.End));
        mark->Kind = kind;
        made.push_back(std::move(mark));
    }
    // One by one, each would go after every mark starting where it starts or before: a stable merge
    // by start, the list's marks first, keeps that order.
    const auto byStart = [](const TTextMark* a, const TTextMark* b) { return a->FStart < b->FStart; };
    std::vector<TTextMark*> added;
    added.reserve(made.size());
    for (const auto& mark : made)
        added.push_back(mark.get());
    if (!std::is_sorted(added.begin(), added.end(), byStart))
        std::stable_sort(added.begin(), added.end(), byStart);
    std::vector<TTextMark*> merged;
    merged.reserve(FMarks.size() + added.size());
    std::merge(FMarks.begin(), FMarks.end(), added.begin(), added.end(), std::back_inserter(merged), byStart);
    TScopeGuard unowned([this, &added] {
        for (const TTextMark* mark : added)
            FOwned.erase(mark);
    });
    FOwned.reserve(FOwned.size() + made.size());
    FOwned.insert(added.begin(), added.end());
    FMarks = std::move(merged);
    unowned.Dismiss();
    for (auto& mark : made) {
        noteSpan(mark.get());
        mark.release();
    }
    for (size_t i = 0; i < FMarks.size(); ++i) {
        FMarks[i]->FPrev = i > 0 ? FMarks[i - 1] : nullptr;
        FMarks[i]->FNext = i + 1 < FMarks.size() ? FMarks[i + 1] : nullptr;
    }
}

bool TObjectList::FindMark(int start, int length, TTextMark*& mark) const
{
    mark = nullptr;
    int end = clampedSum(start, std::max(length, 0));
    for (size_t i = lookBack(start); i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if (m->FEnd < start)
            continue;
        // The first mark in order that reaches the range is the answer, whether or not it touches it.
        mark = m;
        return (start >= m->FStart && start <= m->FEnd) || (m->FStart >= start && m->FStart <= end);
    }
    return false;
}

TTextMark* TObjectList::FindMarkNode(int start) const
{
    for (size_t i = lookBack(start); i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if ((start >= m->FStart && start < m->FEnd) || m->FStart >= start)
            return m;
    }
    return nullptr;
}

TTextMark* TObjectList::FindOverlappingMark(int start, int end, const TTextMark* after) const
{
    size_t i = lookBack(start);
    if (after && Contains(after)) {
        // Continue behind `after`: its place is found among the marks sharing its start.
        auto it = std::lower_bound(FMarks.begin(), FMarks.end(), after->FStart,
                                   [](const TTextMark* m, int s) { return m->FStart < s; });
        while (it != FMarks.end() && *it != after)
            ++it;
        i = std::max(i, static_cast<size_t>(it - FMarks.begin()) + 1);
    }
    for (; i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if (m->FStart >= end && m->FStart > start)
            break;
        if ((start >= m->FStart && start < m->FEnd) || (m->FStart >= start && m->FStart < end))
            return m;
    }
    return nullptr;
}

void TObjectList::MarksInRange(int start, int end, std::vector<TTextMark*>& marks) const
{
    marks.clear();
    for (size_t i = lookBack(start); i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if (m->FStart >= end && m->FStart > start)
            break;
        if ((start >= m->FStart && start < m->FEnd) || (m->FStart >= start && m->FStart < end))
            marks.push_back(m);
    }
}

void TObjectList::setRange(TTextMark* mark, int start, int end)
{
    remove(mark);
    mark->FStart = std::max(start, 0);
    mark->FEnd = std::max(end, mark->FStart);
    enter(mark);
    if (OnChange)
        OnChange(mark);
}

void TObjectList::SetMarkStart(TTextMark* mark, int pos)
{
    if (!Contains(mark))
        return;
    int end = mark->FEnd;
    if (pos <= end)
        setRange(mark, pos, end);
    else
        setRange(mark, end, pos);
}

void TObjectList::SetMarkEnd(TTextMark* mark, int pos)
{
    if (!Contains(mark))
        return;
    int start = mark->FStart;
    if (pos >= start)
        setRange(mark, start, pos);
    else
        setRange(mark, pos, start);
}

void TObjectList::Delete(TTextMark* mark)
{
    if (!Contains(mark))
        return;
    remove(mark);
    dispose(mark);
}

void TObjectList::Clear()
{
    while (!FMarks.empty()) {
        TTextMark* last = FMarks.back();
        FMarks.pop_back();
        if (!FMarks.empty())
            FMarks.back()->FNext = nullptr;
        dispose(last);
    }
    FMaxSpan = 0;
}

void TObjectList::keepFirst(size_t kept, size_t relinkFrom, size_t relinkLast, const std::vector<TTextMark*>& freed)
{
    FMarks.resize(kept);
    for (size_t i = relinkFrom; i <= relinkLast && i < FMarks.size(); ++i)
        relinkAround(i);
    recomputeSpan();
    for (TTextMark* m : freed) {
        m->FPrev = m->FNext = nullptr;
        dispose(m);
    }
}

void TObjectList::placeMark(TTextMark* mark, int start, int end, bool gather)
{
    if (start == mark->FStart && end == mark->FEnd)
        return;
    mark->FStart = start;
    mark->FEnd = end;
    if (gather)
        FChanged.push_back(mark);
}

void TObjectList::announceChanged()
{
    if (!OnChange) {
        FChanged.clear();
        return;
    }
    // A handler may free marks; it gets a copy so that the next edit can gather again.
    std::vector<TTextMark*> changed;
    changed.swap(FChanged);
    for (TTextMark* mark : changed)
        if (Contains(mark))
            OnChange(mark);
}

void TObjectList::AdjustForInsert(int position, int count)
{
    if (count <= 0 || FMarks.empty())
        return;
    const bool gather = static_cast<bool>(OnChange);
    for (size_t i = lookBack(position); i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if (m->FStart >= position) {
            m->FStart = clampedSum(m->FStart, count);
            m->FEnd = clampedSum(m->FEnd, count);
        } else if (position <= m->FEnd) {
            m->FEnd = clampedSum(m->FEnd, count);
            noteSpan(m);
        } else {
            continue;
        }
        if (gather)
            FChanged.push_back(m);
    }
    announceChanged();
}

namespace {

// One range replaced by itself, at `at` in the text as it stands: the deletion of `removed`
// characters, then the insertion of `added`, on the range [start, end] of a mark. False when the
// deletion covers the mark whole.
bool replaceOnMark(int64_t at, int removed, int added, int64_t& start, int64_t& end)
{
    if (removed > 0) {
        const int64_t stop = at + removed;
        if (start >= at && end <= stop && start < stop)
            return false;
        auto map = [&](int64_t p) { return p <= at ? p : (p < stop ? at : p - removed); };
        start = map(start);
        end = map(end);
    }
    if (added > 0) {
        if (start >= at) {
            start += added;
            end += added;
        } else if (at <= end) {
            end += added;
        }
    }
    return true;
}

} // namespace

void TObjectList::AdjustForEdits(const TRangeEdits& edits)
{
    if (edits.Empty() || FMarks.empty())
        return;
    const std::vector<int64_t> shifts = edits.Shifts();
    const size_t count = edits.Count();
    const bool gather = static_cast<bool>(OnChange);
    std::vector<TTextMark*> freed;
    size_t kept = 0;
    for (TTextMark* m : FMarks) {
        // The ranges that end by the mark's start only move it; from the first that does not, each
        // range is replaced on the mark in turn where it then stands. Ranges wholly inside the mark
        // (after its start, ending by its end) only move its end, and are taken together.
        size_t i = edits.FirstEndingAfter(m->FStart);
        int64_t start = m->FStart + shifts[i];
        int64_t end = m->FEnd + shifts[i];
        bool gone = false;
        while (i < count) {
            const int64_t at = edits.Start(i) + shifts[i];
            if (at > end)
                break;
            if (at > start) {
                // The end as an offset of the text before the edit.
                const int64_t oldEnd = end - shifts[i];
                const size_t past = edits.FirstEndingAfter(static_cast<int>(std::min<int64_t>(oldEnd, std::numeric_limits<int>::max())), i);
                if (past > i) {
                    end += shifts[past] - shifts[i];
                    i = past;
                    continue;
                }
            }
            if (!replaceOnMark(at, edits.OldLength(i), edits.NewLength(i), start, end)) {
                gone = true;
                break;
            }
            ++i;
        }
        if (gone) {
            freed.push_back(m);
            continue;
        }
        const int newStart = static_cast<int>(std::clamp<int64_t>(start, 0, std::numeric_limits<int>::max()));
        placeMark(m, newStart, static_cast<int>(std::clamp<int64_t>(end, newStart, std::numeric_limits<int>::max())), gather);
        // Every step keeps the order of starts, so the survivors stay in order.
        FMarks[kept++] = m;
    }
    // Ends may have grown as well as shrunk: the whole chain and the longest span are taken anew.
    keepFirst(kept, 0, kept, freed);
    announceChanged();
}

void TObjectList::AdjustForDelete(int start, int count)
{
    if (count <= 0 || FMarks.empty())
        return;
    const int end = clampedSum(start, count);
    const bool gather = static_cast<bool>(OnChange);
    std::vector<TTextMark*> freed;
    size_t from = lookBack(start);
    size_t kept = from;
    // Survivors whose neighbours changed lie between the first and the last gap a freed mark left.
    size_t firstGap = 0, lastGap = 0;
    for (size_t i = from; i < FMarks.size(); ++i) {
        TTextMark* m = FMarks[i];
        if (m->FStart >= start && m->FEnd <= end && m->FStart < end) {
            if (freed.empty())
                firstGap = kept;
            lastGap = kept;
            freed.push_back(m);
            continue;
        }
        placeMark(m, afterDeletion(m->FStart, start, count), afterDeletion(m->FEnd, start, count), gather);
        // Order holds: marks before the deletion keep their starts, and every other one lands at the
        // deletion's start or moves back by its whole length.
        FMarks[kept++] = m;
    }
    if (freed.empty())
        FMarks.resize(kept);
    else
        keepFirst(kept, firstGap > 0 ? firstGap - 1 : 0, lastGap, freed);
    announceChanged();
}
