// Speed of the plain and regular-expression searches over a 20 MB page held in the editor's records.
#include <benchmark/benchmark.h>

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
void plainSearch(benchmark::State& state, const std::string& pattern, bool matchCase, bool wholeWord)
{
    TCodeMemoCore& editor = largePage();
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

void BM_RegExprSearch(benchmark::State& state)
{
    TCodeMemoCore& editor = largePage();
    TEdStream stream(&editor);
    stream.Reset(editor.FirstRecord(), 0, 0);
    TREParser re;
    if (!re.Compile("<(A|IMG) ")) {
        state.SkipWithError("the expression does not compile");
        return;
    }
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        stream.SetPos(0);
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

} // namespace

BENCHMARK(BM_PlainSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchNoCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchWholeWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegExprSearch)->Unit(benchmark::kMillisecond);
