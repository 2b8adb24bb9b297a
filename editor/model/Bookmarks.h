// Places in the text that follow its edits: named bookmarks at offsets and text marks over ranges.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "editor/model/LineStore.h"
#include "editor/model/RangeEdits.h"
#include "platform/core/Classes.h"

// One named bookmark: a name at a text offset, linked in position order.
class TCustBookmark {
public:
    const std::string& Name() const { return FName; }
    int Position() const { return FPosition; }
    TCustBookmark* Next() const { return FNext; }
    TCustBookmark* Prev() const { return FPrev; }

private:
    friend class TCustomBookmarks;
    std::string FName;
    int FPosition = 0;
    TCustBookmark* FNext = nullptr;
    TCustBookmark* FPrev = nullptr;
};

// The named bookmarks: a chain in position order and a sorted list of their names, whose objects are
// the nodes. Every node that goes is announced through OnFree with its name.
class TCustomBookmarks {
public:
    TCustomBookmarks();
    ~TCustomBookmarks();
    TCustomBookmarks(const TCustomBookmarks&) = delete;
    TCustomBookmarks& operator=(const TCustomBookmarks&) = delete;

    TCustBookmark* First() const { return FFirst; }
    const TStringList& Names() const { return FNames; }
    int Count() const { return FNames.Count(); }
    // The bookmark of a name; nil when there is none.
    TCustBookmark* Find(std::string_view name) const;

    // Puts bookmark `name` at `position` (below 0 counts as 0); a name already there moves.
    TCustBookmark* Add(const std::string& name, int position);
    // Frees one bookmark, announced; false when the name is unknown.
    bool Delete(std::string_view name);
    // Frees every bookmark, announced, and empties the names.
    void Clear();

    // `count` characters went in at `position`: bookmarks at or after it move on.
    void AdjustForInsert(int position, int count);
    // `count` characters went at `start`: bookmarks inside them go, those after move back.
    void AdjustForDelete(int start, int count);
    // Many ranges were replaced at once: a bookmark inside a range goes, the others move as the
    // replacements one by one, from the first to the last, would move them.
    void AdjustForEdits(const TRangeEdits& edits);

    std::function<void(const std::string& bmName)> OnFree;

private:
    void link(TCustBookmark* node);
    void unlink(TCustBookmark* node);
    // Unlinks the node, drops its name, announces it and frees it.
    void release(TCustBookmark* node);

    TCustBookmark* FFirst = nullptr;
    TStringList FNames;
};

// A text mark: the range [Start, End] of offsets (Start <= End), a kind and the caller's value. Its
// address is the handle the application holds.
class TTextMark {
public:
    int Start() const { return FStart; }
    int End() const { return FEnd; }
    TTextMark* Next() const { return FNext; }
    TTextMark* Prev() const { return FPrev; }
    uint8_t Kind = 0;
    uint32_t Data = 0;

private:
    friend class TObjectList;
    int FStart = 0;
    int FEnd = 0;
    TTextMark* FNext = nullptr;
    TTextMark* FPrev = nullptr;
};

// The text marks, in start order (marks may overlap). Besides the chain the list keeps the marks in
// an array sorted the same way, so that a range is found by binary search instead of a walk.
//
// OnChange hears of every mark whose range changed, after the change; OnFree of every mark that goes,
// once, before it is freed (the mark is out of the list by then).
class TObjectList {
public:
    TObjectList() = default;
    // Frees every mark from the last to the first, announced.
    ~TObjectList();
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;

    TTextMark* First() const { return FMarks.empty() ? nullptr : FMarks.front(); }
    int Count() const { return static_cast<int>(FMarks.size()); }
    TTextMark* Mark(int index) const { return FMarks[static_cast<size_t>(index)]; }
    // Whether a handle names a mark of this list (a freed mark's does not).
    bool Contains(const TTextMark* mark) const { return FOwned.count(mark) != 0; }

    // A mark over the ordered pair (start, start + length), entered after the marks that start where
    // it starts or before.
    TTextMark* Add(int start, int length, uint32_t data, uint8_t kind = 0);
    // A mark of `kind` (data 0) over each range, entered as Add one after another enters them, in
    // one pass over the list.
    void AddRanges(const std::vector<TTextRange>& ranges, uint8_t kind);
    // The first mark in order that overlaps or follows the range: true when `start` lies in
    // [mark start, mark end] or the mark starts in [start, start + length].
    bool FindMark(int start, int length, TTextMark*& mark) const;
    // The first mark in order that covers `start` or starts at or after it: the first that can
    // overlap any range beginning at `start`.
    TTextMark* FindMarkNode(int start) const;
    // The first mark after `after` (nil: from the head) that overlaps [start, end): `start` lies in
    // [mark start, mark end) or the mark starts in [start, end).
    TTextMark* FindOverlappingMark(int start, int end, const TTextMark* after) const;
    // Every mark overlapping [start, end) as FindOverlappingMark counts it, in order.
    void MarksInRange(int start, int end, std::vector<TTextMark*>& marks) const;

    // New range (pos, old end) when pos <= old end, else (old end, pos); the mark moves to its place.
    void SetMarkStart(TTextMark* mark, int pos);
    // New range (old start, pos) when pos >= old start, else (pos, old start); the mark moves.
    void SetMarkEnd(TTextMark* mark, int pos);
    // Frees one mark, announced.
    void Delete(TTextMark* mark);
    // Frees every mark from the last to the first, announced.
    void Clear();

    // `count` characters went in at `position`: marks starting at or after it move on, marks it lies
    // inside or at the end of grow.
    void AdjustForInsert(int position, int count);
    // `count` characters went at `start`: marks inside them go; every other mark loses the deleted
    // part of its range and moves back by what went before it.
    void AdjustForDelete(int start, int count);
    // Many ranges were replaced at once: each mark ends where the replacements one by one (a
    // deletion, then an insertion, from the first range to the last) would leave it, in one pass.
    void AdjustForEdits(const TRangeEdits& edits);

    std::function<void(TTextMark* mark)> OnFree;
    std::function<void(TTextMark* mark)> OnChange;

private:
    // Index of the first mark that may overlap a range starting at `start`.
    size_t lookBack(int start) const;
    // Puts a mark into the array and chain after every mark starting where it starts or before.
    void enter(TTextMark* mark);
    void remove(TTextMark* mark);
    void relinkAround(size_t index);
    void setRange(TTextMark* mark, int start, int end);
    void noteSpan(const TTextMark* mark);
    void recomputeSpan();
    // Ends an adjustment that kept `kept` marks at the front of the array: the chain is linked again
    // from relinkFrom to relinkLast, the longest span taken anew, and the freed marks go, announced.
    void keepFirst(size_t kept, size_t relinkFrom, size_t relinkLast, const std::vector<TTextMark*>& freed);
    // Gives a mark a range that keeps its place in the order; a changed mark is gathered for OnChange.
    void placeMark(TTextMark* mark, int start, int end, bool gather);
    // Tells OnChange of the marks gathered in FChanged that are still in the list.
    void announceChanged();
    void dispose(TTextMark* mark);

    std::vector<TTextMark*> FMarks;
    std::unordered_set<const TTextMark*> FOwned;
    // No mark is longer than this: a range search looks back this far from its start.
    int FMaxSpan = 0;
    std::vector<TTextMark*> FChanged;
};
