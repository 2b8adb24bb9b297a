// Building the print preview's pages of a 1 MB page: time, pages made and the memory the pages need at their peak.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "bench/BenchSupport.h"
#include "components/PrevPrinter.h"
#include "editor/CodeMemo.h"

namespace {

void BM_BuildPreviewPages(benchmark::State& state)
{
    ensureApplication();
    const std::string page = RepeatedSamplePage(1u << 20);
    TCodeMemo memo;
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    TPreviewPrinter preview;
    malloc_trim(0);
    const double before = statusBytes("VmRSS");
    resetPeakResidentSize();
    for (auto _ : state)
        preview.BuildPages(memo);
    const double peak = statusBytes("VmHWM");
    if (preview.PageCount() < 2)
        state.SkipWithError("the page was not laid out on several pages");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.counters["pages"] = preview.PageCount();
    double pictureBytes = 0;
    for (int i = 0; i < preview.PageCount(); ++i)
        pictureBytes += preview.GetPage(i).size();
    state.counters["picture_bytes"] =
        benchmark::Counter(pictureBytes, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["build_peak"] =
        benchmark::Counter(peak - before, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}
BENCHMARK(BM_BuildPreviewPages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
