// Speed of marking every match of a frequent word in a 20 MB page, as the Edit menu's "mark all" does it.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "app/window/EditorCommands.h"
#include "editor/CodeMemo.h"
#include "editor/model/Bookmarks.h"

namespace {

// "suma" stands three times in each copy of the sample page: about 70 000 matches in 20 MB.
void BM_MarkAllMatchesOfAFrequentWord(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    const std::string page = RepeatedSamplePage(20u << 20);
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    int marks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        memo.ClearMarks();
        std::string last = "suma";
        int32_t options = 0;
        TSelectionRange start{0, 0};
        memo.PerformSelection(SMM_SET, start);
        state.ResumeTiming();
        marks = MarkAllMatches(memo, last, options);
    }
    if (marks == 0 || !memo.TextMarks() || memo.TextMarks()->Count() != marks)
        state.SkipWithError("the word was not marked");
    state.counters["marks"] = marks;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_MarkAllMatchesOfAFrequentWord)->Unit(benchmark::kMillisecond);

} // namespace
