// Many replacements of ranges of the text made in one pass: the ranges, their old and new texts, and how offsets move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Ranges of the text as it stands, in ascending order and apart from one another (a range may end
// where the next begins), each with the text that takes its place. New texts are held as they go
// into the store (line breaks as one CR); old texts are filled in by the edit that makes them, so
// that the same object undoes it. The texts of all ranges lie end to end in two strings: a record of
// a replace all costs a few bytes per range besides its texts.
class TRangeEdits {
public:
    // Adds the range [start, start + length) with `text`, normalised as an insertion of it would be.
    // Ranges must come in ascending order.
    void Add(int start, int length, std::string_view text);
    // The same with a text normalised already.
    void AddNormalised(int start, int length, std::string_view text);

    size_t Count() const { return FStarts.size(); }
    bool Empty() const { return FStarts.empty(); }
    int Start(size_t i) const { return FStarts[i]; }
    int OldLength(size_t i) const { return FOldLengths[i]; }
    int NewLength(size_t i) const { return FNewLengths[i]; }
    int End(size_t i) const { return FStarts[i] + FOldLengths[i]; }
    // The new text of range i.
    std::string_view NewText(size_t i) const;
    // What the text grows by (negative: shrinks).
    int64_t Growth() const;

    // The old texts, range after range, as the edit found them.
    std::string& OldTexts() { return FOldTexts; }
    const std::string& OldTexts() const { return FOldTexts; }

    // True when the ranges are in ascending order, apart and within a text of `length` characters.
    bool Valid(int length) const;
    // The edits that take the text back: each new text, where it stands after the edit, replaced
    // by its old text. The old texts must be filled in.
    TRangeEdits Inverse() const;
    // Ranges [from, to) alone, moved by `shift`; old texts go along when they are filled in.
    TRangeEdits Slice(size_t from, size_t to, int shift) const;

    // For each range i, what the ranges before it added to the text: where range i stands after
    // the edit is Start(i) + Shifts()[i]. One entry more holds the whole growth.
    std::vector<int64_t> Shifts() const;
    // The index of the first range that ends after `offset` (Count() when none does).
    size_t FirstEndingAfter(int offset, size_t from = 0) const;

    // The bytes the object holds.
    size_t Bytes() const;

private:
    std::vector<int32_t> FStarts;
    std::vector<int32_t> FOldLengths;
    std::vector<int32_t> FNewLengths;
    // Where each new text begins in FNewTexts; one entry more marks the end.
    std::vector<uint32_t> FNewAt{0};
    std::string FNewTexts;
    std::string FOldTexts;
};

// The characters that inserting `text` puts into the store, line breaks made single CRs as the
// editing core normalises an insertion.
std::string NormalisedInsertion(std::string_view text);
