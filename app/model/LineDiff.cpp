// MatchLines: which lines of an old text are the same lines of a new one, from a key (a hash) of each line.
#include "app/model/LineDiff.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

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

private:
    struct TSlot {
        uint64_t Key = 0;
        uint32_t Before = kNone, After = kNone;
    };
    TSlot& find(uint64_t key)
    {
        // The key is already a hash: its high bits choose the slot.
        size_t at = static_cast<size_t>((static_cast<unsigned __int128>(key * 0x9E3779B97F4A7C15ull) * FSlots.size()) >> 64);
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
            for (uint32_t line = range.A; line < range.AEnd; ++line)
                table.AddBefore(FBefore[line], line);
            for (uint32_t line = range.B; line < range.BEnd; ++line)
                table.AddAfter(FAfter[line], line);
            for (uint32_t line = range.A; line < range.AEnd; ++line)
                if (const uint32_t after = table.Pair(FBefore[line], line); after != TOnceTable::kNone)
                    pairs.emplace_back(line, after);
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
