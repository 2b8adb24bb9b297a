// Speed of marking every match of a word in a 20 MB page, as the Edit menu's "mark all" does it: a frequent word, and 200 000 matches.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "BenchSupport.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "editor/model/Bookmarks.h"

namespace {

// Marks every match of `word` in `page` as the menu command does in a shown main window with the
// page as its HTML document, from a caret at the start, up to the window's paint.
void markAll(benchmark::State& state, const std::string& page, const std::string& word)
{
    ensureApplication();
    TformPrincipal form;
    form.resize(1000, 700);
    form.show();
    QApplication::processEvents();
    form.AbreArchivo("", false, ekHTML);
    TCodeMemo& memo = *form.CodeMemo();
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    memo.Change();
    int marks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        memo.ClearMarks();
        form.TextoBuscado = word;
        form.OpcionesBusqueda = 0;
        TSelectionRange start{0, 0};
        memo.PerformSelection(SMM_SET, start);
        memo.Paint();
        const int64_t paints = memo.PaintsDone();
        state.ResumeTiming();
        form.mMuestraTodasClick();
        if (memo.PaintsDone() == paints)
            memo.Paint();
    }
    marks = memo.TextMarks() ? memo.TextMarks()->Count() : 0;
    if (marks == 0)
        state.SkipWithError("the word was not marked");
    state.counters["marks"] = marks;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

// "suma" stands three times in each copy of the sample page: about 70 000 matches in 20 MB.
void BM_MarkAllMatchesOfAFrequentWord(benchmark::State& state)
{
    markAll(state, RepeatedSamplePage(20u << 20), "suma");
}
BENCHMARK(BM_MarkAllMatchesOfAFrequentWord)->Unit(benchmark::kMillisecond);

// "class" 200 000 times in 20 MB of generated HTML.
void BM_MarkAllMatchesManyMatches(benchmark::State& state)
{
    const std::string page = PageWithMatchesOfClass(BenchBytes(200000));
    markAll(state, page, "class");
    if (state.counters["marks"] != static_cast<double>(BenchBytes(200000)))
        state.SkipWithError("not every match was marked");
}
BENCHMARK(BM_MarkAllMatchesManyMatches)->Unit(benchmark::kMillisecond);

} // namespace
