// Opening large documents in the main window's editor: a page of 20 MB coloured whole, and up to the first paint pages of 20 and 100 MB, one of 20 MB with characters Windows-1252 lacks, and a 5.8 MB minified script.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"

namespace {

// A document of about `bytes` bytes (as BenchBytes scales them) in a file of the benchmark program's
// own folder, which lives as long as the program.
struct TLargeFile {
    TLargeFile(const std::string& name, const std::string& text) : path(BenchFolder() + "/" + name)
    {
        size = static_cast<int64_t>(text.size());
        WriteFileBytes(path, text);
    }
    std::string path;
    int64_t size = 0;
};

// The sample pages of varied shape up to 20 or 100 MB.
const TLargeFile& largePage(size_t megabytes = 20)
{
    static TLargeFile page20("large-20.html", VariedSamplePages(20u << 20));
    if (megabytes == 20)
        return page20;
    static TLargeFile page100("large-100.html", VariedSamplePages(100u << 20));
    return page100;
}

// A page of 20 MB with characters Windows-1252 lacks in every few kilobytes.
const TLargeFile& widePage()
{
    static const TLargeFile page("wide-20.html", PagesWithWideCharacters(20u << 20));
    return page;
}

// The minified script of 5.8 MB.
const TLargeFile& minifiedScript()
{
    static const TLargeFile script("bundle.min.js", MinifiedScript(5800u << 10));
    return script;
}

void BM_OpenLargeHtml(benchmark::State& state)
{
    ensureApplication();
    const TLargeFile& page = largePage(static_cast<size_t>(state.range(0)));
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
// waits for the event loop.
void openToFirstPaint(benchmark::State& state, const TLargeFile& file, int kind)
{
    ensureApplication();
    TformPrincipal form;
    form.resize(1000, 700);
    form.show();
    QApplication::processEvents();
    TCodeMemo& memo = *form.CodeMemo();
    // The memory the open needs at its peak beyond what the process held before, as for the open
    // coloured whole.
    malloc_trim(0);
    const double before = statusBytes("VmRSS");
    resetPeakResidentSize();
    for (auto _ : state) {
        state.PauseTiming();
        form.mCerrarTodoClick();
        QApplication::processEvents();
        const int64_t paints = memo.PaintsDone();
        state.ResumeTiming();
        form.AbreArchivo(file.path, false, kind);
        memo.Change();
        if (memo.PaintsDone() == paints)
            memo.Paint();
    }
    if (memo.TopLine() != 0 || !memo.FirstRecord() || !memo.FirstRecord()->Styles)
        state.SkipWithError("the first screen was not coloured");
    state.counters["coloured_at_once"] = memo.ColouringPending() ? 0 : 1;
    state.counters["open_peak"] = benchmark::Counter(statusBytes("VmHWM") - before, benchmark::Counter::kDefaults,
                                                     benchmark::Counter::kIs1024);
    state.SetBytesProcessed(state.iterations() * file.size);
}

// The page of 20 or 100 MB.
void BM_OpenLargeHtmlToFirstPaint(benchmark::State& state)
{
    openToFirstPaint(state, largePage(static_cast<size_t>(state.range(0))), ekHTML);
}
BENCHMARK(BM_OpenLargeHtmlToFirstPaint)->ArgName("MB")->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

// The page whose characters Windows-1252 lacks the editor holds as references.
void BM_OpenPageWithWideCharactersToFirstPaint(benchmark::State& state)
{
    openToFirstPaint(state, widePage(), ekHTML);
}
BENCHMARK(BM_OpenPageWithWideCharactersToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

// The minified script, as a script document.
void BM_OpenMinifiedScriptToFirstPaint(benchmark::State& state)
{
    openToFirstPaint(state, minifiedScript(), ekJavaScript);
}
BENCHMARK(BM_OpenMinifiedScriptToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
