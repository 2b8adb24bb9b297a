// Places in the file's own lines (those its line breaks end) and their columns, remembered so that finding the caret's line and column costs a short walk whatever pieces and rows the line store cuts the lines into.
#pragma once

#include <vector>

// A place in the text: its offset, the file line it lies in (0-based: the line breaks before it) and
// where that line starts.
struct TFileLineMark {
    int Offset = 0;
    int Line = 0;
    int LineStart = 0;
};

// A place in the text with its display column (TABs expanded) counted from `LineStart`.
struct TFileColumnMark {
    int Offset = 0;
    int LineStart = 0;
    int Column = 0;
};

// Places counted before. A place holds while no edit reaches before it: the text before it, and so
// all that was counted up to it, is unchanged. A walk over the records then starts at the nearest
// place before its goal rather than at the text start.
template <class TMark>
class TKeptPlaces {
public:
    // The nearest place at or before `offset`; the text start when none is.
    TMark Before(int offset) const;
    // A place met on a walk (at most one per so many records), kept in offset order.
    void Add(const TMark& mark);
    // The last place looked up, kept apart from the others so that the next look-up near it walks
    // from it, without a place kept for every line the caret visits.
    void SetLast(const TMark& mark) { FLast = mark; }
    const TMark& Last() const { return FLast; }
    // The text changed at `offset`: places after it no longer hold.
    void EditAt(int offset);
    void Clear();

private:
    std::vector<TMark> FMarks;
    TMark FLast;
};

class TFileLineMarks : public TKeptPlaces<TFileLineMark> {
public:
    // Keep a place every this many records walked, so that a walk back to a place before an edit is
    // never longer than this. Stepping over a record costs the same whatever it holds.
    static constexpr int kRecordsBetween = 256;
};

class TFileColumnMarks : public TKeptPlaces<TFileColumnMark> {
public:
    // Counting columns reads a record's characters when it holds a TAB, so places are kept closer:
    // after an edit behind the caret the walk to it stays short on a line of millions of characters.
    static constexpr int kRecordsBetween = 16;
};

extern template class TKeptPlaces<TFileLineMark>;
extern template class TKeptPlaces<TFileColumnMark>;
