// Places in the file's own lines (those its line breaks end), remembered so that finding the caret's line costs a short walk whatever pieces and rows the line store cuts the lines into.
#pragma once

#include <vector>

// A place in the text: its offset, the file line it lies in (0-based: the line breaks before it) and
// where that line starts.
struct TFileLineMark {
    int Offset = 0;
    int Line = 0;
    int LineStart = 0;
};

// Places counted before. A place holds while no edit reaches before it: the text before it, and so
// its count of line breaks and its line's start, are unchanged. A walk over the records then starts
// at the nearest place before its goal rather than at the text start.
class TFileLineMarks {
public:
    // Keep a place every this many records walked, so that a walk back to a place before an edit is
    // never longer than this.
    static constexpr int kRecordsBetween = 256;

    // The nearest place at or before `offset`; the text start when none is.
    TFileLineMark Before(int offset) const;
    // A place met on a walk (at most one per kRecordsBetween records), kept in offset order.
    void Add(const TFileLineMark& mark);
    // The last place looked up, kept apart from the others so that the next look-up near it walks
    // from it, without a place kept for every line the caret visits.
    void SetLast(const TFileLineMark& mark) { FLast = mark; }
    // The text changed at `offset`: places after it no longer hold.
    void EditAt(int offset);
    void Clear();

private:
    std::vector<TFileLineMark> FMarks;
    TFileLineMark FLast;
};
