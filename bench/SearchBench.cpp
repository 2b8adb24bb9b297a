// Speed of the plain and regular-expression searches over large texts held in the editor's records,
// against the physical limit: memchr and memmem over the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "editor/model/Search.h"
#include "platform/core/Classes.h"

namespace {

// The sample page (tags, attributes, style sheet, script) repeated to 20 MB, in an editor's text model.
TCodeMemoCore& largePage()
{
    static TCodeMemoCore* editor = [] {
        const std::string sample = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/sample.html");
        std::string page;
        page.reserve(BenchBytes(20u << 20) + sample.size());
        while (page.size() < BenchBytes(20u << 20))
            page += sample;
        auto* e = new TCodeMemoCore;
        e->InsertText(page.c_str(), static_cast<int>(page.size()));
        return e;
    }();
    return *editor;
}

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Finds every match from the start of the text to its end, as repeated find-next commands do.
void plainSearch(benchmark::State& state, const std::string& pattern, bool matchCase, bool wholeWord,
                 TCodeMemoCore& editor = largePage())
{
    TEdStream stream(&editor);
    stream.Reset(editor.FirstRecord(), 0, 0);
    TSkipTable table;
    const int limit = editor.TextLength() - 1;
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int at = 0;;) {
            const int found =
                BMSearch(isWordChar, nullptr, stream, limit, table, wholeWord, matchCase, false, at, pattern);
            if (found > limit)
                break;
            ++hits;
            at = found + 1;
        }
    }
    if (hits == 0)
        state.SkipWithError("the pattern was not found");
    state.counters["hits"] = hits;
    state.SetBytesProcessed(state.iterations() * editor.TextLength());
}

void BM_PlainSearch(benchmark::State& state)
{
    plainSearch(state, "HREF", true, false);
}
void BM_PlainSearchNoCase(benchmark::State& state)
{
    plainSearch(state, "href", false, false);
}
void BM_PlainSearchWholeWord(benchmark::State& state)
{
    plainSearch(state, "img", false, true);
}

// Every match of `pattern` from the start of the text to its end, as repeated find-next commands
// find them.
void regExprEveryMatch(benchmark::State& state, const char* pattern, TCodeMemoCore& editor)
{
    TEdStream stream(&editor);
    stream.Reset(editor.FirstRecord(), 0, 0);
    TREParser re;
    if (!re.Compile(pattern)) {
        state.SkipWithError("the expression does not compile");
        return;
    }
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        stream.Reset(editor.FirstRecord(), 0, 0); // without walking back from where the last search ended
        while (re.Match(stream, true)) {
            ++hits;
            stream.SetPos(re.MatchEntry(0) + 1);
        }
    }
    if (hits == 0)
        state.SkipWithError("the expression was not found");
    state.counters["hits"] = hits;
    state.SetBytesProcessed(state.iterations() * editor.TextLength());
}

void BM_RegExprSearch(benchmark::State& state)
{
    regExprEveryMatch(state, "<(A|IMG) ", largePage());
}

// ---- against the limit

// A text model per kind and size, built once: the sample page (0), a minified script on one line (1),
// lines of 64 letters "a" (2), the varied real-looking pages (3), or letters "a" alone (4).
TCodeMemoCore& textOf(int kind, size_t bytes)
{
    static std::map<std::pair<int, size_t>, std::unique_ptr<TCodeMemoCore>> made;
    auto& editor = made[{kind, bytes}];
    if (!editor) {
        std::string text;
        if (kind == 0) {
            text = RepeatedSamplePage(bytes);
        } else if (kind == 2) {
            const std::string line = std::string(64, 'a') + "\r";
            while (text.size() < bytes)
                text += line;
        } else if (kind == 3) {
            text = VariedSamplePages(bytes);
        } else if (kind == 4) {
            text.assign(bytes, 'a');
        } else {
            text.reserve(bytes + 100);
            while (text.size() < bytes)
                text += "function(e,t){return e.map(function(n){var r=t[n]||0;return r+1})};var q=";
        }
        editor = std::make_unique<TCodeMemoCore>();
        editor->InsertText(text.c_str(), static_cast<int>(text.size()));
    }
    return *editor;
}

size_t sizeArg(const benchmark::State& state)
{
    return BenchBytes(static_cast<size_t>(state.range(0)) << 20);
}

// Every record's bytes through memchr (a character that is not there) or memmem: what reading the
// text costs at the least.
void scanRecords(benchmark::State& state, const char* needle, int kind = 0)
{
    TCodeMemoCore& editor = textOf(kind, sizeArg(state));
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (TLineRecord* r = editor.FirstRecord(); r; r = r->Next) {
            const char* text = r->Text.get();
            size_t length = static_cast<size_t>(r->Len);
            const size_t n = std::strlen(needle);
            if (n == 1) {
                hits += std::memchr(text, needle[0], length) != nullptr;
                continue;
            }
            for (const void* at; (at = memmem(text, length, needle, n)) != nullptr;) {
                ++hits;
                const size_t skip = static_cast<size_t>(static_cast<const char*>(at) - text) + 1;
                text += skip;
                length -= skip;
            }
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
    state.SetBytesProcessed(state.iterations() * editor.TextLength());
}

void BM_LimitMemchr(benchmark::State& state)
{
    scanRecords(state, "\x01");
}
void BM_LimitMemmem(benchmark::State& state)
{
    scanRecords(state, "HREF");
}

// The plain search over the same text, hit after hit: compare with BM_LimitMemmem.
void BM_PlainSearchVsMemmem(benchmark::State& state)
{
    plainSearch(state, "HREF", true, false, textOf(0, sizeArg(state)));
}

// The same over the varied pages, for "<link": compare with BM_LimitMemmemLink.
void BM_LimitMemmemLink(benchmark::State& state)
{
    scanRecords(state, "<link", 3);
}
void BM_PlainSearchLink(benchmark::State& state)
{
    plainSearch(state, "<link", true, false, textOf(3, sizeArg(state)));
}

// Every match of a regular expression over the varied pages: compare with BM_LimitMemchrVaried, the
// bytes read once.
void BM_LimitMemchrVaried(benchmark::State& state)
{
    scanRecords(state, "\x01", 3);
}
void regExprOverVariedPages(benchmark::State& state, const char* pattern)
{
    regExprEveryMatch(state, pattern, textOf(3, sizeArg(state)));
}

// One search from the start of the text for a pattern that plain backtracking takes exponential or
// quadratic time on, over a text where it is nowhere.
void regExprOnce(benchmark::State& state, const char* pattern, int kind)
{
    TCodeMemoCore& editor = textOf(kind, sizeArg(state));
    TEdStream stream(&editor);
    stream.Reset(editor.FirstRecord(), 0, 0);
    TREParser re;
    if (!re.Compile(pattern)) {
        state.SkipWithError("the expression does not compile");
        return;
    }
    bool found = false;
    for (auto _ : state) {
        stream.Reset(editor.FirstRecord(), 0, 0); // without walking back from where the last search ended
        try {
            found = re.Match(stream, true);
        } catch (const ERegExprError&) {
            found = false; // the element limit of a long loop
        }
    }
    state.counters["found"] = found;
    state.counters["steps"] = static_cast<double>(re.Steps());
    state.SetBytesProcessed(state.iterations() * editor.TextLength());
}

} // namespace

BENCHMARK(BM_LimitMemchr)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LimitMemmem)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchVsMemmem)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
// Texts of kind 2 are lines of "a", kind 1 a minified script; the last has a tag on every line of the
// page, so that every candidate start is tried.
BENCHMARK_CAPTURE(regExprOnce, alternatives_loop, "(a|a)*b", 2)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, nested_plus, "(a+)+b", 2)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, nested_dots, "(.+)+x", 2)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, star_then_literal, "a*b", 2)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, function_dot_star, "function.*qqqz", 1)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
// The same group loops over a text of "a" alone, without a line break.
BENCHMARK_CAPTURE(regExprOnce, alternatives_loop_one_line, "(a|a)*b", 4)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, nested_plus_one_line, "(a+)+b", 4)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, nested_dots_one_line, "(.+)+x", 4)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LimitMemmemLink)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchLink)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LimitMemchrVaried)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOverVariedPages, img_or_link, "<(img|link) ")->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(regExprOnce, tags_per_line, "<[a-z]+[^>]*>.*qz", 0)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchNoCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchWholeWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegExprSearch)->Unit(benchmark::kMillisecond);
