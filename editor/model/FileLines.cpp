// Places in the file's own lines and their columns, remembered so that finding the caret's line and column costs a short walk.
#include "editor/model/FileLines.h"

#include <algorithm>

template <class TMark>
TMark TKeptPlaces<TMark>::Before(int offset) const
{
    TMark best = FLast.Offset <= offset ? FLast : TMark{};
    const auto after = std::upper_bound(FMarks.begin(), FMarks.end(), offset,
                                        [](int at, const TMark& mark) { return at < mark.Offset; });
    if (after != FMarks.begin() && std::prev(after)->Offset > best.Offset)
        best = *std::prev(after);
    return best;
}

template <class TMark>
void TKeptPlaces<TMark>::Add(const TMark& mark)
{
    const auto at = std::lower_bound(FMarks.begin(), FMarks.end(), mark.Offset,
                                     [](const TMark& kept, int offset) { return kept.Offset < offset; });
    if (at != FMarks.end() && at->Offset == mark.Offset)
        return;
    FMarks.insert(at, mark);
}

template <class TMark>
void TKeptPlaces<TMark>::EditAt(int offset)
{
    // An insertion or deletion at a place leaves the text before it as it was.
    const auto after = std::upper_bound(FMarks.begin(), FMarks.end(), offset,
                                        [](int at, const TMark& mark) { return at < mark.Offset; });
    FMarks.erase(after, FMarks.end());
    if (FLast.Offset > offset)
        FLast = {};
}

template <class TMark>
void TKeptPlaces<TMark>::Clear()
{
    FMarks.clear();
    FLast = {};
}

template class TKeptPlaces<TFileLineMark>;
template class TKeptPlaces<TFileColumnMark>;
