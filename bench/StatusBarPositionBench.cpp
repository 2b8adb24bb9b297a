// The status bar's line and column at the end of a page that is one line of 20 MB, with a TAB every 1,000 characters and without: a keystroke there must not cost a walk over the line.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"

namespace {

// One line of words and tags (as BenchBytes scales its 20 MB); with `tabs`, a TAB every 1,000
// characters, so that the column counts tab stops all along it.
std::string oneLinePage(bool tabs)
{
    const std::string words = "<span class=\"nota\">texto de la p\xE1gina con palabras</span> ";
    const size_t size = BenchBytes(20u << 20);
    std::string page;
    page.reserve(size + words.size());
    while (page.size() < size) {
        page += words;
        if (tabs && page.size() % 1000 < words.size())
            page += '\t';
    }
    return page;
}

// The window with the page open and the caret at its end, shown in the status bar once.
struct TOneLineWindow {
    explicit TOneLineWindow(bool tabs)
    {
        form.AbreArchivo("", false, ekHTML);
        TCodeMemo& memo = *form.CodeMemo();
        const std::string page = oneLinePage(tabs);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        at = memo.GetTextLen();
        memo.SetSelection(at, at);
        memo.Perform(EM_SCROLLCARET, 0, 0);
        form.EditorOnChange();
    }
    TformPrincipal form;
    int at = 0;
};

TOneLineWindow& windowFor(benchmark::State& state)
{
    ensureApplication();
    // Made once for all the runs, and never destroyed: at exit the program's own statics may already
    // be gone when a static map would free the windows.
    static auto& windows = *new std::map<bool, std::unique_ptr<TOneLineWindow>>;
    const bool tabs = state.range(0) != 0;
    auto& window = windows[tabs];
    if (!window)
        window = std::make_unique<TOneLineWindow>(tabs);
    return *window;
}

// A character typed at the end and taken back, by turns, as typing and Backspace go.
void typeOrTakeBack(TOneLineWindow& window, bool& typed)
{
    TCodeMemo& memo = *window.form.CodeMemo();
    memo.SetSelection(window.at, typed ? window.at + 1 : window.at);
    memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(typed ? "" : "x"));
    typed = !typed;
}

// The status bar's position alone, after each keystroke (the keystroke itself not timed).
void BM_StatusPositionAtEndOfOneLinePage(benchmark::State& state)
{
    TOneLineWindow& window = windowFor(state);
    bool typed = false;
    for (auto _ : state) {
        state.PauseTiming();
        typeOrTakeBack(window, typed);
        state.ResumeTiming();
        window.form.showCaretOf(*window.form.CodeMemo());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatusPositionAtEndOfOneLinePage)->ArgName("tabs")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The keystroke with the window's whole change handler, the status bar's position among the rest.
void BM_KeystrokeWithStatusAtEndOfOneLinePage(benchmark::State& state)
{
    TOneLineWindow& window = windowFor(state);
    bool typed = false;
    for (auto _ : state) {
        typeOrTakeBack(window, typed);
        window.form.EditorOnChange();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeWithStatusAtEndOfOneLinePage)->ArgName("tabs")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
