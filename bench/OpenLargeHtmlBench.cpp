// Opening a 20 MB page in the main window's editor with the HTML language and colouring it whole.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"

namespace {

// The sample pages of varied shape up to 20 MB, in a file that lives as long as the benchmark
// program.
struct TLargePage {
    TLargePage()
    {
        const std::string page = VariedSamplePages(20u << 20);
        size = static_cast<int64_t>(page.size());
        path = (std::filesystem::temp_directory_path() / "kestrima-bench-large.html").string();
        WriteFileBytes(path, page);
    }
    ~TLargePage() { std::remove(path.c_str()); }
    std::string path;
    int64_t size = 0;
};

const TLargePage& largePage()
{
    static TLargePage page;
    return page;
}

void BM_OpenLargeHtml(benchmark::State& state)
{
    ensureApplication();
    const TLargePage& page = largePage();
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    // What the open itself needs at its peak, beyond what the process held before it; memory that
    // earlier benchmarks freed goes back to the system first, so that it does not hide the growth.
    malloc_trim(0);
    const double before = statusBytes("VmRSS");
    resetPeakResidentSize();
    for (auto _ : state) {
        // Each opening adds a tab; the one before goes first, so that one copy of the page is held.
        state.PauseTiming();
        form.mCerrarTodoClick();
        state.ResumeTiming();
        form.AbreArchivo(page.path, false, ekHTML);
        memo.Change();
    }
    const double peak = statusBytes("VmHWM");
    // The page ends in "</html>" and a line break: its last tag was coloured, so the whole text
    // went through the parser.
    const std::string styles = memo.GetStyleBytes(nullptr);
    if (styles.size() < 8 || styles[styles.size() - 3] != 10)
        state.SkipWithError("the page was not coloured to its end");
    state.SetBytesProcessed(state.iterations() * page.size);
    state.counters["open_peak"] = benchmark::Counter(peak - before, benchmark::Counter::kDefaults,
                                                     benchmark::Counter::kIs1024);
}
BENCHMARK(BM_OpenLargeHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
