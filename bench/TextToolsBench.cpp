// The Selection menu's text tools over a whole 1 MB page in the main window, from the command to the window's next paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

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

// A shown window with one new document holding 1 MB of the varied sample pages.
struct TToolWindow {
    TToolWindow()
    {
        form.resize(1000, 700);
        form.show();
        QApplication::processEvents();
        form.AbreArchivo("", false, ekHTML);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        memo.Change();
        loaded = memo.StoredText();
    }

    bool application = (ensureApplication(), true);
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    const std::string page = withAccents(VariedSamplePages(1u << 20));
    std::string loaded;
};

// Each iteration selects the whole page, runs the tool and lets the window paint; the tool's undo,
// outside the timing, gives the page back for the next one.
void BM_TextToolOnAWholePage(benchmark::State& state)
{
    const int tool = static_cast<int>(state.range(0));
    TToolWindow window;
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

} // namespace
