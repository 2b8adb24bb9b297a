// Many replacements of ranges made in one pass: building them, their inverse, and how offsets move.
#include "editor/model/RangeEdits.h"

#include <algorithm>
#include <memory>

#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"

namespace {

// The places of `places` from offset `from` up to `to` of their texts, counted from `from`.
void slicePlaces(const std::vector<TCharacterReferences::TPlace>& places, size_t from, size_t to,
                 std::vector<TCharacterReferences::TPlace>& slice)
{
    const auto byOffset = [](const TCharacterReferences::TPlace& place, size_t at) { return place.At < at; };
    const auto first = std::lower_bound(places.begin(), places.end(), from, byOffset);
    const auto past = std::lower_bound(first, places.end(), to, byOffset);
    for (auto place = first; place != past; ++place)
        slice.push_back({static_cast<uint32_t>(place->At - from), place->Length});
}

} // namespace

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

void TRangeEdits::Add(int start, int length, std::string_view text, const std::vector<uint32_t>& places)
{
    const std::string normal = NormalisedInsertion(text);
    const size_t at = FNewTexts.size();
    AddNormalised(start, length, normal);
    if (places.empty())
        return;
    // Numbered, the references are found in the normalised text whatever line breaks went.
    TCharacterReferences placed;
    placed.Place(normal, at, places);
    FNewPlaces.insert(FNewPlaces.end(), placed.Places().begin(), placed.Places().end());
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
    inverse.FNewPlaces = FOldPlaces;
    inverse.FOldPlaces = FNewPlaces;
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
    const size_t oldFrom = oldAt;
    for (size_t i = from; i < to; ++i) {
        slice.AddNormalised(FStarts[i] + shift, FOldLengths[i], NewText(i));
        if (withOld) {
            slice.FOldTexts.append(FOldTexts, oldAt, static_cast<size_t>(FOldLengths[i]));
            oldAt += static_cast<size_t>(FOldLengths[i]);
        }
    }
    slicePlaces(FNewPlaces, FNewAt[from], FNewAt[to], slice.FNewPlaces);
    if (withOld)
        slicePlaces(FOldPlaces, oldFrom, oldAt, slice.FOldPlaces);
    return slice;
}

void TRangeEdits::KeepOldPlaces(const std::vector<TCharacterReferences::TPlace>& places)
{
    FOldPlaces.clear();
    if (Empty())
        return;
    auto place = std::lower_bound(places.begin(), places.end(), static_cast<uint32_t>(FStarts[0]),
                                  [](const TCharacterReferences::TPlace& p, uint32_t at) { return p.At < at; });
    size_t range = 0;
    uint32_t oldAt = 0;
    for (; place != places.end(); ++place) {
        // Both go up: a range that ends before the place does holds none of those after it.
        for (; range < Count() && End(range) < static_cast<int64_t>(place->At) + place->Length; ++range)
            oldAt += static_cast<uint32_t>(FOldLengths[range]);
        if (range == Count())
            break;
        if (static_cast<int64_t>(place->At) >= FStarts[range])
            FOldPlaces.push_back({oldAt + place->At - static_cast<uint32_t>(FStarts[range]), place->Length});
    }
}

void TRangeEdits::AppendOldTexts(TRangeEdits&& batch)
{
    const uint32_t at = static_cast<uint32_t>(FOldTexts.size());
    for (const TCharacterReferences::TPlace& place : batch.FOldPlaces)
        FOldPlaces.push_back({at + place.At, place.Length});
    if (FOldTexts.empty())
        FOldTexts = std::move(batch.FOldTexts);
    else
        FOldTexts += batch.FOldTexts;
}

std::vector<TCharacterReferences::TPlace> TRangeEdits::PlacesAfter() const
{
    std::vector<TCharacterReferences::TPlace> after;
    after.reserve(FNewPlaces.size());
    int64_t shift = 0;
    size_t range = 0;
    for (const TCharacterReferences::TPlace& place : FNewPlaces) {
        for (; FNewAt[range + 1] <= place.At; ++range)
            shift += FNewLengths[range] - FOldLengths[range];
        after.push_back({static_cast<uint32_t>(FStarts[range] + shift + (place.At - FNewAt[range])), place.Length});
    }
    return after;
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
           FNewAt.capacity() * sizeof(uint32_t) + FNewTexts.capacity() + FOldTexts.capacity() +
           (FNewPlaces.capacity() + FOldPlaces.capacity()) * sizeof(TCharacterReferences::TPlace);
}
