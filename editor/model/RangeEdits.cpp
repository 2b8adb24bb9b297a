// Many replacements of ranges made in one pass: building them, their inverse, and how offsets move.
#include "editor/model/RangeEdits.h"

#include <algorithm>
#include <memory>

#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"

std::string NormalisedInsertion(std::string_view text)
{
    // A text goes in up to its first NUL, as a C string does.
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    const int length = static_cast<int>(text.size());
    if (length == 0)
        return {};
    // One character goes in as it is, but for the line break and the NUL.
    if (length == 1)
        return std::string(1, text[0] == '\n' ? '\r' : text[0]);
    // Longer texts in chunks, as the editing core inserts them: a line-break pair is never parted.
    std::string normal;
    normal.reserve(text.size());
    std::unique_ptr<char[]> buffer(new char[TCodeMemoCore::kChunkSize + 1]);
    for (int pos = 0; pos < length;) {
        int n = std::min(length - pos, TCodeMemoCore::kChunkSize);
        const bool last = pos + n == length;
        if (pos + n < length && CutPartsLineBreak(text.data() + pos, n, text[static_cast<size_t>(pos + n)]))
            --n;
        const int written = last ? NormaliseText(buffer.get(), text.data() + pos, n)
                                 : NormaliseChunk(buffer.get(), text.data() + pos, n);
        normal.append(buffer.get(), static_cast<size_t>(written));
        pos += n;
    }
    return normal;
}

void TRangeEdits::Add(int start, int length, std::string_view text)
{
    AddNormalised(start, length, NormalisedInsertion(text));
}

void TRangeEdits::AddNormalised(int start, int length, std::string_view text)
{
    FStarts.push_back(start);
    FOldLengths.push_back(length);
    FNewLengths.push_back(static_cast<int32_t>(text.size()));
    FNewTexts.append(text);
    FNewAt.push_back(static_cast<uint32_t>(FNewTexts.size()));
}

std::string_view TRangeEdits::NewText(size_t i) const
{
    return std::string_view(FNewTexts).substr(FNewAt[i], FNewAt[i + 1] - FNewAt[i]);
}

int64_t TRangeEdits::Growth() const
{
    int64_t old = 0;
    for (int32_t length : FOldLengths)
        old += length;
    return static_cast<int64_t>(FNewTexts.size()) - old;
}

bool TRangeEdits::Valid(int length) const
{
    int64_t previousEnd = 0;
    for (size_t i = 0; i < Count(); ++i) {
        if (FStarts[i] < previousEnd || FOldLengths[i] < 0 || int64_t(FStarts[i]) + FOldLengths[i] > length)
            return false;
        previousEnd = int64_t(FStarts[i]) + FOldLengths[i];
    }
    return true;
}

TRangeEdits TRangeEdits::Inverse() const
{
    TRangeEdits inverse;
    inverse.FStarts.reserve(Count());
    inverse.FOldLengths = FNewLengths;
    inverse.FNewLengths = FOldLengths;
    inverse.FNewTexts = FOldTexts;
    inverse.FOldTexts = FNewTexts;
    inverse.FNewAt.reserve(Count() + 1);
    int64_t shift = 0;
    uint32_t at = 0;
    for (size_t i = 0; i < Count(); ++i) {
        inverse.FStarts.push_back(static_cast<int32_t>(FStarts[i] + shift));
        shift += FNewLengths[i] - FOldLengths[i];
        at += static_cast<uint32_t>(FOldLengths[i]);
        inverse.FNewAt.push_back(at);
    }
    return inverse;
}

TRangeEdits TRangeEdits::Slice(size_t from, size_t to, int shift) const
{
    TRangeEdits slice;
    // Sized at once: a slice is what the undo log keeps.
    slice.FStarts.reserve(to - from);
    slice.FOldLengths.reserve(to - from);
    slice.FNewLengths.reserve(to - from);
    slice.FNewAt.reserve(to - from + 1);
    slice.FNewTexts.reserve(FNewAt[to] - FNewAt[from]);
    const bool withOld = !FOldTexts.empty() || Count() == 0;
    size_t oldAt = 0;
    if (withOld)
        for (size_t i = 0; i < from; ++i)
            oldAt += static_cast<size_t>(FOldLengths[i]);
    for (size_t i = from; i < to; ++i) {
        slice.AddNormalised(FStarts[i] + shift, FOldLengths[i], NewText(i));
        if (withOld) {
            slice.FOldTexts.append(FOldTexts, oldAt, static_cast<size_t>(FOldLengths[i]));
            oldAt += static_cast<size_t>(FOldLengths[i]);
        }
    }
    return slice;
}

std::vector<int64_t> TRangeEdits::Shifts() const
{
    std::vector<int64_t> shifts(Count() + 1, 0);
    for (size_t i = 0; i < Count(); ++i)
        shifts[i + 1] = shifts[i] + FNewLengths[i] - FOldLengths[i];
    return shifts;
}

size_t TRangeEdits::FirstEndingAfter(int offset, size_t from) const
{
    // Apart and ascending, the ranges end in ascending order too.
    size_t low = std::min(from, Count()), high = Count();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (End(mid) > offset)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

size_t TRangeEdits::Bytes() const
{
    return sizeof(TRangeEdits) + (FStarts.capacity() + FOldLengths.capacity() + FNewLengths.capacity()) * sizeof(int32_t) +
           FNewAt.capacity() * sizeof(uint32_t) + FNewTexts.capacity() + FOldTexts.capacity();
}
