// Building the print preview's pages of a large page (the argument is its size in bytes): time, time per page, pages made and the memory the pages need at their peak.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "editor/PrintPreviewPages.h"

namespace {

void BM_BuildPreviewPages(benchmark::State& state)
{
    ensureApplication();
    const std::string page = RepeatedSamplePage(static_cast<size_t>(state.range(0)));
    TCodeMemo memo;
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    TPreviewPrinter preview;
    malloc_trim(0);
    const double before = statusBytes("VmRSS");
    resetPeakResidentSize();
    for (auto _ : state)
        BuildPages(preview, memo);
    const double peak = statusBytes("VmHWM");
    if (preview.PageCount() < 2)
        state.SkipWithError("the page was not laid out on several pages");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.counters["pages"] = preview.PageCount();
    // Seconds per page built: flat when each page costs the same whatever its number.
    state.counters["per_page"] = benchmark::Counter(static_cast<double>(preview.PageCount()) * state.iterations(),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    double pictureBytes = 0;
    for (int i = 0; i < preview.PageCount(); ++i)
        pictureBytes += preview.GetPage(i).size();
    state.counters["picture_bytes"] =
        benchmark::Counter(pictureBytes, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["build_peak"] =
        benchmark::Counter(peak - before, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}
// 1 MB and 4 MB: the time per page stays the same, so the larger page takes about four times as long.
BENCHMARK(BM_BuildPreviewPages)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
