// MatchLines: which lines of an old text are the same lines of a new one, from a key (a hash) of each line; ScanLine: a line's end and key in one pass.
#include "app/model/LineDiff.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/core/Win1252.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// How far ahead of the line being read its text is asked for.
constexpr size_t kReadAhead = 2048;

constexpr uint64_t kEveryByte = 0x0101010101010101ull, kHighBits = 0x8080808080808080ull;

// The high bit of each byte of `word` that is zero. Exact for the lowest such byte and for whether
// there is any, which is all that is asked of it (a borrow may mark a byte above a zero one).
constexpr uint64_t zeroBytes(uint64_t word)
{
    return (word - kEveryByte) & ~word & kHighBits;
}

constexpr uint64_t everyByte(unsigned char c)
{
    return kEveryByte * c;
}

// Eight bytes from `at`, the first in the lowest bits whatever the machine's byte order.
uint64_t loadWord(const char* at)
{
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// The `count` (< 8) bytes from `at`, the rest zero.
uint64_t loadPart(const char* at, size_t count)
{
    uint64_t word = 0;
    for (size_t k = 0; k < count; ++k)
        word |= static_cast<uint64_t>(static_cast<unsigned char>(at[k])) << (8 * k);
    return word;
}

// One step of the key: each step is one to one in the key so far, so two lines that differ in one
// word alone never share a key.
constexpr uint64_t mixWord(uint64_t key, uint64_t word)
{
    key = (key ^ word) * 0x9E3779B97F4A7C15ull;
    return key ^ (key >> 32);
}

// The key of a line of `length` bytes from its steps: the length in, and every bit spread over all.
constexpr uint64_t finishKey(uint64_t key, size_t length)
{
    key ^= static_cast<uint64_t>(length) * 0xC2B2AE3D27D4EB4Full;
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    key *= 0xC4CEB9FE1A85EC53ull;
    return key ^ (key >> 33);
}

// The line from `from` to its CR (when `toBreak`) or to the end of `text`. Its key mixes the
// line's words in two lanes (even words and odd ones), so that each word's step need not wait for
// the one before; where SSE2 is there, sixteen bytes are looked at a time.
template <bool toBreak>
TScannedLine scan(std::string_view text, size_t from)
{
    const char* const data = text.data();
    const size_t size = text.size();
    uint64_t even = 0, odd = 0, held = 0, beyond = 0, exclamation = 0;
    // Words whose bytes past the line's end are zero: none of those is a mark nor a "!".
    const auto lookAt = [&](uint64_t word) {
        held |= zeroBytes(word ^ everyByte(kHeldCharacterMarkByte));
        exclamation |= zeroBytes(word ^ everyByte('!'));
        beyond |= word & kHighBits;
    };
    const auto line = [&](size_t end) {
        return TScannedLine{end, finishKey(even ^ std::rotl(odd, 29), end - from), held != 0, beyond != 0, exclamation != 0};
    };
    size_t at = from;
#if defined(__SSE2__)
    static_assert(std::endian::native == std::endian::little);
    const __m128i breakBytes = _mm_set1_epi8('\r'), exclamationBytes = _mm_set1_epi8('!');
    const __m128i markBytes = _mm_set1_epi8(static_cast<char>(kHeldCharacterMarkByte));
    for (; at + 16 <= size; at += 16) {
        // Lines are read one after another from a text far larger than the caches: asking for the
        // bytes a few lines on before they are read more than halves the time.
        if (at + kReadAhead < size)
            __builtin_prefetch(data + at + kReadAhead);
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        uint64_t first = static_cast<uint64_t>(_mm_cvtsi128_si64(block));
        uint64_t second = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(block, block)));
        if (const unsigned breaks = toBreak ? static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, breakBytes))) : 0) {
            // The bytes before the CR: its block's words cut there, each still an even and an odd one.
            const auto taken = static_cast<unsigned>(std::countr_zero(breaks));
            first = taken >= 8 ? first : taken ? first & (~uint64_t(0) >> (64 - 8 * taken)) : 0;
            second = taken > 8 ? second & (~uint64_t(0) >> (64 - 8 * (taken - 8))) : 0;
            lookAt(first);
            lookAt(second);
            if (taken)
                even = mixWord(even, first);
            if (taken > 8)
                odd = mixWord(odd, second);
            return line(at + taken);
        }
        held |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, markBytes)));
        exclamation |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, exclamationBytes)));
        beyond |= static_cast<unsigned>(_mm_movemask_epi8(block));
        even = mixWord(even, first);
        odd = mixWord(odd, second);
    }
#endif
    // Every step before was of whole words: the word at `at` is the line's word (at - from) / 8.
    while (at < size) {
        const size_t count = std::min<size_t>(size - at, 8);
        uint64_t word = count == 8 ? loadWord(data + at) : loadPart(data + at, count);
        size_t taken = count;
        if constexpr (toBreak) {
            // Bytes past the text are zero, never a CR.
            if (const uint64_t breaks = zeroBytes(word ^ everyByte('\r'))) {
                taken = static_cast<size_t>(std::countr_zero(breaks)) / 8;
                word = taken ? word & (~uint64_t(0) >> (64 - 8 * taken)) : 0;
            }
        }
        lookAt(word);
        if (taken) {
            uint64_t& lane = ((at - from) / 8) % 2 ? odd : even;
            lane = mixWord(lane, word);
        }
        at += taken;
        if (taken < 8)
            break;
    }
    return line(at);
}

// A stretch of each text's lines still to be matched: [A, AEnd) of the old, [B, BEnd) of the new.
struct TRange {
    uint32_t A, AEnd, B, BEnd;
};

// Lines found once in the old stretch, with where the new one has them: a table open to probing,
// sized by the old stretch, so that a large text costs a few bytes a line.
class TOnceTable {
public:
    static constexpr uint32_t kNone = UINT32_MAX, kMany = UINT32_MAX - 1;

    explicit TOnceTable(size_t lines) : FSlots(lines + lines / 2 + 1) {}

    void AddBefore(uint64_t key, uint32_t line)
    {
        TSlot& slot = find(key);
        slot.Before = slot.Before == kNone ? line : kMany;
    }
    void AddAfter(uint64_t key, uint32_t line)
    {
        TSlot& slot = find(key);
        if (slot.Before != kNone)
            slot.After = slot.After == kNone ? line : kMany;
    }
    // The new line the old `line` is paired with when each text has its key once; kNone otherwise.
    uint32_t Pair(uint64_t key, uint32_t line)
    {
        const TSlot& slot = find(key);
        return slot.Before == line && slot.After < kMany ? slot.After : kNone;
    }
    // The slot of `key` is asked for ahead of its use: the table is far larger than the caches and
    // each key lands anywhere in it.
    void Expect(uint64_t key) const { __builtin_prefetch(&FSlots[slotOf(key)]); }

private:
    struct TSlot {
        uint64_t Key = 0;
        uint32_t Before = kNone, After = kNone;
    };
    size_t slotOf(uint64_t key) const
    {
        // The key is already a hash: its high bits choose the slot.
        return static_cast<size_t>((static_cast<unsigned __int128>(key * 0x9E3779B97F4A7C15ull) * FSlots.size()) >> 64);
    }
    TSlot& find(uint64_t key)
    {
        size_t at = slotOf(key);
        while (FSlots[at].Before != kNone && FSlots[at].Key != key)
            at = at + 1 == FSlots.size() ? 0 : at + 1;
        FSlots[at].Key = key;
        return FSlots[at];
    }
    std::vector<TSlot> FSlots;
};

class TMatcher {
public:
    TMatcher(std::span<const uint64_t> before, std::span<const uint64_t> after)
        : FBefore(before), FAfter(after), FMatch(after.size(), kUnmatchedLine),
          FBudget(64 * (before.size() + after.size()) + (1u << 22))
    {
    }

    std::vector<uint32_t> Run()
    {
        std::vector<TRange> ranges{{0, static_cast<uint32_t>(FBefore.size()), 0, static_cast<uint32_t>(FAfter.size())}};
        while (!ranges.empty()) {
            TRange range = ranges.back();
            ranges.pop_back();
            trim(range);
            if (range.A == range.AEnd || range.B == range.BEnd)
                continue;
            // Few changes are found cheaply, and exactly; many are first split at the lines found
            // once in each, so that no line that moved (found once, elsewhere) sets the rest apart.
            const size_t lines = range.AEnd - range.A + range.BEnd - range.B;
            if (fewestChanges(range, std::max<size_t>(16, (size_t(1) << 22) / lines)) || anchor(range, ranges) ||
                fewestChanges(range, 1000))
                continue;
            follow(range);
        }
        return std::move(FMatch);
    }

private:
    void match(uint32_t before, uint32_t after) { FMatch[after] = before; }

    // The lines the stretch starts and ends with alike.
    void trim(TRange& range)
    {
        while (range.A < range.AEnd && range.B < range.BEnd && FBefore[range.A] == FAfter[range.B])
            match(range.A++, range.B++);
        while (range.A < range.AEnd && range.B < range.BEnd && FBefore[range.AEnd - 1] == FAfter[range.BEnd - 1])
            match(--range.AEnd, --range.BEnd);
    }

    // The lines found once in each text's stretch, the longest run of them in the same order in both,
    // matched; the stretches between them left to match. False when there are none.
    bool anchor(const TRange& range, std::vector<TRange>& ranges)
    {
        const uint32_t beforeCount = range.AEnd - range.A, afterCount = range.BEnd - range.B;
        if (beforeCount + afterCount < 8)
            return false;
        std::vector<std::pair<uint32_t, uint32_t>> pairs;
        {
            TOnceTable table(beforeCount);
            constexpr uint32_t kAhead = 16;
            for (uint32_t line = range.A; line < range.AEnd; ++line) {
                if (line + kAhead < range.AEnd)
                    table.Expect(FBefore[line + kAhead]);
                table.AddBefore(FBefore[line], line);
            }
            for (uint32_t line = range.B; line < range.BEnd; ++line) {
                if (line + kAhead < range.BEnd)
                    table.Expect(FAfter[line + kAhead]);
                table.AddAfter(FAfter[line], line);
            }
            for (uint32_t line = range.A; line < range.AEnd; ++line) {
                if (line + kAhead < range.AEnd)
                    table.Expect(FBefore[line + kAhead]);
                if (const uint32_t after = table.Pair(FBefore[line], line); after != TOnceTable::kNone)
                    pairs.emplace_back(line, after);
            }
        }
        if (pairs.empty())
            return false;
        // The longest run of pairs whose new lines go up as the old ones do (patience sorting).
        std::vector<uint32_t> tails, previous(pairs.size(), TOnceTable::kNone);
        for (uint32_t index = 0; index < pairs.size(); ++index) {
            const auto place = std::lower_bound(tails.begin(), tails.end(), pairs[index].second,
                                                [&](uint32_t tail, uint32_t after) { return pairs[tail].second < after; });
            if (place != tails.begin())
                previous[index] = *(place - 1);
            if (place == tails.end())
                tails.push_back(index);
            else
                *place = index;
        }
        uint32_t a = range.AEnd, b = range.BEnd;
        for (uint32_t index = tails.back(); index != TOnceTable::kNone; index = previous[index]) {
            const auto [before, after] = pairs[index];
            match(before, after);
            ranges.push_back({before + 1, a, after + 1, b});
            a = before;
            b = after;
        }
        ranges.push_back({range.A, a, range.B, b});
        return true;
    }

    // The fewest lines that, taken out of one stretch and put in the other, make them alike (the
    // greedy walk along diagonals), when there are at most `changes` and the search stays within the
    // budget. False, with nothing matched, when there are more.
    bool fewestChanges(const TRange& range, size_t changes)
    {
        const auto n = static_cast<int64_t>(range.AEnd - range.A), m = static_cast<int64_t>(range.BEnd - range.B);
        // At most a quarter of what is left, so that the walk below can still match the rest.
        const int64_t most = std::min<int64_t>({static_cast<int64_t>(changes), n + m,
                                                static_cast<int64_t>(FBudget / 4 / static_cast<size_t>(n + m + 1))});
        // The furthest reach on each diagonal k (x - y) after each number of changes d, kept for each
        // d to walk back: d's values start at d * d.
        std::vector<int64_t> reach(static_cast<size_t>(2 * most + 3), 0);
        std::vector<uint32_t> steps;
        const auto at = [&](int64_t k) -> int64_t& { return reach[static_cast<size_t>(k + most + 1)]; };
        int64_t found = -1;
        for (int64_t d = 0; d <= most && found < 0; ++d) {
            for (int64_t k = -d; k <= d; k += 2) {
                int64_t x = k == -d || (k != d && at(k - 1) < at(k + 1)) ? at(k + 1) : at(k - 1) + 1;
                int64_t y = x - k;
                while (x < n && y < m && FBefore[range.A + static_cast<size_t>(x)] == FAfter[range.B + static_cast<size_t>(y)]) {
                    ++x;
                    ++y;
                }
                at(k) = x;
                if (x >= n && y >= m) {
                    found = d;
                    break;
                }
            }
            FBudget -= std::min(FBudget, static_cast<size_t>(n + m));
            for (int64_t k = -d; k <= d; ++k)
                steps.push_back(static_cast<uint32_t>(at(k)));
        }
        if (found < 0)
            return false;
        const auto stepAt = [&](int64_t d, int64_t k) { return static_cast<int64_t>(steps[static_cast<size_t>(d * d + k + d)]); };
        int64_t x = n, y = m;
        for (int64_t d = found; d >= 0; --d) {
            const int64_t k = x - y;
            int64_t startX = 0;
            if (d > 0) {
                const bool down = k == -d || (k != d && stepAt(d - 1, k - 1) < stepAt(d - 1, k + 1));
                const int64_t previousK = down ? k + 1 : k - 1;
                const int64_t previousX = stepAt(d - 1, previousK);
                startX = down ? previousX : previousX + 1;
                // The snake from the change to (x, y).
                for (int64_t sx = x; sx > startX; --sx)
                    match(range.A + static_cast<uint32_t>(sx - 1), range.B + static_cast<uint32_t>(sx - 1 - k));
                x = previousX;
                y = previousX - previousK;
            } else {
                for (int64_t sx = x; sx > 0; --sx)
                    match(range.A + static_cast<uint32_t>(sx - 1), range.B + static_cast<uint32_t>(sx - 1 - k));
            }
        }
        return true;
    }

    // Where the stretches are too unlike for that: they are walked together, and where they part,
    // they go on from the nearest lines where they meet again (a few lines alike there preferred to
    // one); a stretch with no such place near is left unmatched.
    void follow(const TRange& range)
    {
        constexpr uint32_t kNear = 128, kAlike = 3, kFurther = 8;
        uint32_t a = range.A, b = range.B;
        const auto alike = [&](uint32_t i, uint32_t j) {
            uint32_t run = 0;
            while (i + run < range.AEnd && j + run < range.BEnd && run < kAlike && FBefore[i + run] == FAfter[j + run])
                ++run;
            FBudget -= std::min<size_t>(FBudget, run + 1);
            return run == kAlike || i + run == range.AEnd || j + run == range.BEnd ? kAlike : run;
        };
        while (a < range.AEnd && b < range.BEnd && FBudget > 0) {
            if (FBefore[a] == FAfter[b]) {
                match(a++, b++);
                continue;
            }
            // The nearest place (fewest lines skipped, as many of each side as may be) where the two
            // meet, and a nearer one where a few lines are alike.
            uint32_t bestA = 0, bestB = 0, bestRun = 0, firstDistance = 0;
            for (uint32_t distance = 1; distance <= 2 * kNear && FBudget > 0; ++distance) {
                if (bestRun > 0 && distance > firstDistance + kFurther)
                    break;
                for (uint32_t step = 0; step <= distance + 1; ++step) {
                    // From the middle out: as many lines of each side skipped as may be.
                    const uint32_t half = distance / 2;
                    const uint32_t skipA = step % 2 ? half - (step + 1) / 2 : half + step / 2;
                    if (skipA > distance)
                        continue;
                    const uint32_t skipB = distance - skipA;
                    if (skipA > kNear || skipB > kNear || a + skipA >= range.AEnd || b + skipB >= range.BEnd)
                        continue;
                    const uint32_t run = alike(a + skipA, b + skipB);
                    if (run > bestRun) {
                        if (bestRun == 0)
                            firstDistance = distance;
                        bestRun = run;
                        bestA = skipA;
                        bestB = skipB;
                        if (run == kAlike)
                            break;
                    }
                }
                if (bestRun == kAlike)
                    break;
            }
            if (bestRun == 0) {
                // Nothing alike near: those lines are new.
                a += std::min(kNear, range.AEnd - a);
                b += std::min(kNear, range.BEnd - b);
                continue;
            }
            a += bestA;
            b += bestB;
        }
    }

    std::span<const uint64_t> FBefore, FAfter;
    std::vector<uint32_t> FMatch;
    size_t FBudget;
};

} // namespace

std::vector<uint32_t> MatchLines(std::span<const uint64_t> before, std::span<const uint64_t> after)
{
    return TMatcher(before, after).Run();
}

TScannedLine ScanLine(std::string_view text, size_t from)
{
    return scan<true>(text, from);
}

uint64_t LineKey(std::string_view line)
{
    return scan<false>(line, 0).Key;
}
