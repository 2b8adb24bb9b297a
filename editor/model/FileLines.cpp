// Places in the file's own lines, remembered so that finding the caret's line costs a short walk.
#include "editor/model/FileLines.h"

#include <algorithm>

TFileLineMark TFileLineMarks::Before(int offset) const
{
    TFileLineMark best = FLast.Offset <= offset ? FLast : TFileLineMark{};
    const auto after = std::upper_bound(FMarks.begin(), FMarks.end(), offset,
                                        [](int at, const TFileLineMark& mark) { return at < mark.Offset; });
    if (after != FMarks.begin() && std::prev(after)->Offset > best.Offset)
        best = *std::prev(after);
    return best;
}

void TFileLineMarks::Add(const TFileLineMark& mark)
{
    const auto at = std::lower_bound(FMarks.begin(), FMarks.end(), mark.Offset,
                                     [](const TFileLineMark& kept, int offset) { return kept.Offset < offset; });
    if (at != FMarks.end() && at->Offset == mark.Offset)
        return;
    FMarks.insert(at, mark);
}

void TFileLineMarks::EditAt(int offset)
{
    // An insertion or deletion at a place leaves the text before it as it was.
    const auto after = std::upper_bound(FMarks.begin(), FMarks.end(), offset,
                                        [](int at, const TFileLineMark& mark) { return at < mark.Offset; });
    FMarks.erase(after, FMarks.end());
    if (FLast.Offset > offset)
        FLast = {};
}

void TFileLineMarks::Clear()
{
    FMarks.clear();
    FLast = {};
}
