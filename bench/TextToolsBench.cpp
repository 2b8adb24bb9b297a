// The Selection menu's text tools over a whole 1 MB page in the main window, from the command to the window's next paint: a page of many lines, and one long line wrapped.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>
#include <utility>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"

namespace {

// The page with every tenth "a" written "\xE1", as a Spanish text has it, so that the codes tools
// find characters to turn into codes.
std::string withAccents(std::string page)
{
    size_t n = 0;
    for (char& c : page)
        if (c == 'a' && ++n % 10 == 0)
            c = '\xE1';
    return page;
}

// A shown window with one new document holding `text`, with word wrap on or off.
struct TToolWindow {
    TToolWindow(std::string text, bool wrapped) : page(std::move(text))
    {
        form.resize(1000, 700);
        form.show();
        QApplication::processEvents();
        form.AbreArchivo("", false, ekHTML);
        memo.SetWordWrap(wrapped);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        memo.Change();
        loaded = memo.StoredText();
    }

    bool application = (ensureApplication(), true);
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    const std::string page;
    std::string loaded;
};

// Each iteration selects the whole page, runs the tool and lets the window paint; the tool's undo,
// outside the timing, gives the page back for the next one.
void runTool(benchmark::State& state, TToolWindow& window, int tool)
{
    TCodeMemo& memo = window.memo;
    bool changed = true, undone = true;
    for (auto _ : state) {
        state.PauseTiming();
        memo.Perform(EM_SETSEL, 0, -1);
        const int64_t paints = memo.PaintsDone();
        state.ResumeTiming();
        window.form.proHerramientasTexto(tool);
        memo.Change();
        if (memo.PaintsDone() == paints)
            memo.Paint();
        state.PauseTiming();
        changed = changed && memo.StoredText() != window.loaded;
        memo.Undo();
        undone = undone && memo.StoredText() == window.loaded && !memo.CanUndo();
        state.ResumeTiming();
    }
    if (!changed)
        state.SkipWithError("the tool left the page as it was");
    if (!undone)
        state.SkipWithError("one undo did not give the page back");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(window.page.size()));
}

// 1 MB of the varied sample pages, without word wrap.
void BM_TextToolOnAWholePage(benchmark::State& state)
{
    TToolWindow window(withAccents(VariedSamplePages(1u << 20)), false);
    runTool(state, window, static_cast<int>(state.range(0)));
}
// Sort up and down, upper and lower case, characters to codes and back, strip tags, tags to codes,
// capitals, blanks.
BENCHMARK(BM_TextToolOnAWholePage)
    ->ArgName("tool")
    ->DenseRange(1, 7)
    ->Arg(9)
    ->Arg(10)
    ->Arg(11)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A minified script of 1 MB on one line, wrapped to the window: upper case, and the sort.
void BM_TextToolOnALongWrappedLine(benchmark::State& state)
{
    TToolWindow window(MinifiedScript(1u << 20), true);
    runTool(state, window, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_TextToolOnALongWrappedLine)->ArgName("tool")->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
