// Opening a 20 MB page in the main window's editor with the HTML language: colouring it whole, and up to the first paint (20 and 100 MB).
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

// The sample pages of varied shape up to `megabytes` MB, in a file that lives as long as the
// benchmark program.
struct TLargePage {
    explicit TLargePage(size_t megabytes)
    {
        const std::string page = VariedSamplePages(megabytes << 20);
        size = static_cast<int64_t>(page.size());
        path = (std::filesystem::temp_directory_path() /
                ("kestrima-bench-large-" + std::to_string(megabytes) + ".html"))
                   .string();
        WriteFileBytes(path, page);
    }
    ~TLargePage() { std::remove(path.c_str()); }
    std::string path;
    int64_t size = 0;
};

const TLargePage& largePage(size_t megabytes = 20)
{
    static TLargePage page20(20);
    if (megabytes == 20)
        return page20;
    static TLargePage page100(100);
    return page100;
}

void BM_OpenLargeHtml(benchmark::State& state)
{
    ensureApplication();
    const TLargePage& page = largePage(static_cast<size_t>(state.range(0)));
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
        // The part left to the event loop's slices, so that the whole page is coloured.
        memo.FinishColouring();
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
BENCHMARK(BM_OpenLargeHtml)->ArgName("MB")->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

// From the open command to the first paint of the window: the first screen is coloured, the rest
// waits for the event loop. The page of 20 or 100 MB.
void BM_OpenLargeHtmlToFirstPaint(benchmark::State& state)
{
    ensureApplication();
    const TLargePage& page = largePage(static_cast<size_t>(state.range(0)));
    TformPrincipal form;
    form.resize(1000, 700);
    form.show();
    QApplication::processEvents();
    TCodeMemo& memo = *form.CodeMemo();
    for (auto _ : state) {
        state.PauseTiming();
        form.mCerrarTodoClick();
        QApplication::processEvents();
        const int64_t paints = memo.PaintsDone();
        state.ResumeTiming();
        form.AbreArchivo(page.path, false, ekHTML);
        memo.Change();
        if (memo.PaintsDone() == paints)
            memo.Paint();
    }
    if (memo.TopLine() != 0 || !memo.FirstRecord() || !memo.FirstRecord()->Styles)
        state.SkipWithError("the first screen was not coloured");
    state.counters["coloured_at_once"] = memo.ColouringPending() ? 0 : 1;
    state.SetBytesProcessed(state.iterations() * page.size);
}
BENCHMARK(BM_OpenLargeHtmlToFirstPaint)->ArgName("MB")->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
