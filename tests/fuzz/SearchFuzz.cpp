// libFuzzer target: regular expressions compiled from arbitrary bytes and matched, and the plain search.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/model/Search.h"
#include "platform/core/SysUtils.h"
#include "tests/support/StringEdStream.h"

namespace {

// The matcher's work grows with the program times the text, so texts may be long; the step bound is
// generous, a fault shows as a far larger count.
constexpr size_t kMaxText = 4096;
constexpr int64_t kStepsPerByteAndPosition = 64;

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void checkExpression(const std::string& pattern, const std::string& text)
{
    TREParser re;
    if (!re.Compile(pattern)) {
        const int code = re.ErrorCode();
        if (code < reNoErrors || code > reInternalError || code == reIndexRange || LoadResString(code).empty() ||
            re.ErrorPos() < 0 || re.ErrorPos() > static_cast<int>(pattern.size()))
            std::abort();
        return;
    }
    if (re.ProgramSize() > TREParser::kMaxProgram || !re.Compile(pattern))
        std::abort();
    TREParser unfiltered;
    unfiltered.Compile(pattern);
    unfiltered.SetUseFilters(false);
    for (bool forward : {true, false}) {
        TStringEdStream stream(text, forward ? 0 : static_cast<int64_t>(text.size()));
        TStringEdStream again(text, forward ? 0 : static_cast<int64_t>(text.size()));
        bool found = false;
        bool limit = false;
        bool foundUnfiltered = false;
        bool limitUnfiltered = false;
        try {
            found = re.Match(stream, forward);
        } catch (const ERegExprError&) {
            if (re.ErrorCode() != reIndexRange)
                std::abort();
            limit = true;
        }
        try {
            foundUnfiltered = unfiltered.Match(again, forward);
        } catch (const ERegExprError&) {
            limitUnfiltered = true;
        }
        // Skipping starts that cannot match changes nothing, and the work stays bounded.
        const int64_t bound = kStepsPerByteAndPosition * re.ProgramSize() * static_cast<int64_t>(text.size() + 1);
        if (limit != limitUnfiltered || found != foundUnfiltered || re.Steps() > bound || unfiltered.Steps() > bound)
            std::abort();
        if (limit)
            continue;
        if (found)
            for (int k = 0; k < TREParser::kEntries - 1; ++k)
                if (re.MatchEntry(k) != unfiltered.MatchEntry(k))
                    std::abort();
        if (!found)
            continue;
        // Every entry lies inside the match, which lies inside the text.
        const int first = re.MatchEntry(0);
        const int last = re.MatchEntry(re.ElementCount());
        if (first < 0 || last > static_cast<int>(text.size()) || first > last)
            std::abort();
        for (int k = 0; k < TREParser::kEntries - 1; ++k)
            if (re.MatchEntry(k) < first || re.MatchEntry(k) > last)
                std::abort();
    }
}

// The plain search against trying every place.
void checkPlain(const std::string& pattern, const std::string& text, uint8_t flags)
{
    const bool backward = flags & 1;
    const bool matchCase = flags & 2;
    const bool wholeWord = flags & 4;
    const int n = static_cast<int>(text.size());
    const int len = static_cast<int>(pattern.size());
    const int limit = n - 1;
    const int start = n == 0 ? 0 : (flags >> 3) % (n + 1);
    auto fold = [&](char c) { return matchCase ? c : AsciiUpper(c); };
    auto at = [&](int r) {
        if (len == 0 || r < 0 || r + len > n)
            return false;
        for (int j = 0; j < len; ++j)
            if (fold(text[static_cast<size_t>(r + j)]) != fold(pattern[static_cast<size_t>(j)]))
                return false;
        return !wholeWord || ((r == 0 || !isWordChar(text[static_cast<size_t>(r - 1)])) &&
                              (r + len >= n || !isWordChar(text[static_cast<size_t>(r + len)])));
    };
    int expected = limit + 1;
    if (backward) {
        for (int r = start - len; r >= 0 && expected == limit + 1; --r)
            if (at(r))
                expected = r;
    } else {
        for (int r = start; r + len - 1 <= limit && expected == limit + 1; ++r)
            if (at(r))
                expected = r;
    }
    TSkipTable table;
    TStringEdStream stream(text);
    const int got = BMSearch(isWordChar, nullptr, stream, limit, table, wholeWord, matchCase, backward, start, pattern);
    if (got != expected)
        std::abort();
}

} // namespace

// Input: a flags byte, the pattern's length, the pattern, then the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const size_t patternLength = std::min<size_t>(data[1], size - 2);
    const std::string pattern(reinterpret_cast<const char*>(data + 2), patternLength);
    const size_t textStart = 2 + patternLength;
    const std::string text(reinterpret_cast<const char*>(data + textStart), std::min(size - textStart, kMaxText));
    checkExpression(pattern, text);
    checkPlain(pattern, text, flags);
    return 0;
}
