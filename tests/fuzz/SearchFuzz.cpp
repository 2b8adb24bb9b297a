// libFuzzer target: regular expressions compiled from arbitrary bytes and matched, and the plain search;
// both also over the text held in a chain of short records, as the editor's cursor reads it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/model/LineStore.h"
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
    auto fold = [&](char c) { return matchCase ? c : AnsiUpper(c); };
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

// A text held in a chain of short records, as the editor's cursor reads it.
class TChainText : public TTextSource {
public:
    // Records of 1 to 8 characters, their lengths taken in turn from `flags`.
    TChainText(const std::string& text, uint8_t flags) : FLength(static_cast<int>(text.size()))
    {
        TLineRecord* last = nullptr;
        unsigned seed = flags;
        for (size_t at = 0; at < text.size();) {
            seed = seed * 1103515245u + 12345u;
            const size_t n = std::min<size_t>(1 + (seed >> 16) % 8, text.size() - at);
            TLineRecord* record = NewLineRecord(text.data() + at, static_cast<int>(n));
            record->Prev = last;
            (last ? last->Next : FFirst) = record;
            last = record;
            at += n;
        }
    }
    ~TChainText() override { FreeLineChain(FFirst); }
    TChainText(const TChainText&) = delete;
    TChainText& operator=(const TChainText&) = delete;
    int SourceLength() const override { return FLength; }
    TLineRecord* First() const { return FFirst; }

private:
    int FLength;
    TLineRecord* FFirst = nullptr;
};

// The searches over the records read them directly: they find what they find over a string.
void checkRecords(const std::string& pattern, std::string text, uint8_t flags)
{
    // The editor's records never hold a NUL.
    for (char& c : text)
        if (c == '\0')
            c = '.';
    if (text.empty())
        return;
    TChainText chain(text, flags);
    TEdStream cursor(&chain);
    cursor.Reset(chain.First(), 0, 0);
    const auto n = static_cast<int64_t>(text.size());
    const int64_t start = (flags >> 3) % (n + 1);
    TREParser re;
    if (re.Compile(pattern)) {
        for (bool forward : {true, false}) {
            cursor.SetPos(start);
            TStringEdStream plain(text, start);
            int viaRecords = 0; // 0 no match, 1 a match, 2 the element limit
            int viaString = 0;
            std::vector<int> entries;
            try {
                viaRecords = re.Match(cursor, forward) ? 1 : 0;
                for (int k = 0; viaRecords == 1 && k < TREParser::kEntries - 1; ++k)
                    entries.push_back(re.MatchEntry(k));
            } catch (const ERegExprError&) {
                viaRecords = 2;
            }
            try {
                viaString = re.Match(plain, forward) ? 1 : 0;
                for (int k = 0; viaString == 1 && k < TREParser::kEntries - 1; ++k)
                    if (re.MatchEntry(k) != entries[static_cast<size_t>(k)])
                        std::abort();
            } catch (const ERegExprError&) {
                viaString = 2;
            }
            if (viaRecords != viaString)
                std::abort();
        }
    }
    if (pattern.empty())
        return;
    const int limit = static_cast<int>(n) - 1 - static_cast<int>((flags >> 5) % 3);
    for (bool matchCase : {true, false}) {
        TSkipTable table;
        TStringEdStream plain(text);
        cursor.SetPos(0);
        if (BMSearch(isWordChar, nullptr, cursor, limit, table, (flags & 4) != 0, matchCase, (flags & 1) != 0,
                     static_cast<int>(start), pattern) !=
            BMSearch(isWordChar, nullptr, plain, limit, table, (flags & 4) != 0, matchCase, (flags & 1) != 0,
                     static_cast<int>(start), pattern))
            std::abort();
    }
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
    checkRecords(pattern, text, flags);
    return 0;
}
