// The main window's change handler as it runs after each keystroke: caption, status panels and the state of every command.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"

namespace {

// `withBar`: the speed bar's edit and print buttons are bound too, so that the handler also asks the
// clipboard whether it can paste.
void changeHandlerPerKeystroke(benchmark::State& state, bool withBar)
{
    ensureApplication();
    TformPrincipal form;
    if (withBar)
        for (const char* name : {"sbCortar", "sbCopiar", "sbPegar", "sbImprimirSel", "sbDeshacer", "sbRehacer"})
            form.Commands().Bind(new TKrSpeedButton(&form), name);
    form.AbreArchivo("", false, ekHTML);
    form.AbreArchivo("", false, ekHTML);
    TCodeMemo& memo = *form.CodeMemo();
    memo.PerformText(EM_REPLACESEL, 1, "<p>texto de la p\xE1gina</p>");
    bool selected = false;
    for (auto _ : state) {
        // A keystroke moves the caret and every other one changes the selection, so that the commands
        // that follow it flip.
        selected = !selected;
        TSelectionRange range{3, selected ? 8 : 3};
        memo.PerformSelection(SMM_SET, range);
        form.EditorOnChange();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ChangeHandlerPerKeystroke(benchmark::State& state)
{
    changeHandlerPerKeystroke(state, false);
}
BENCHMARK(BM_ChangeHandlerPerKeystroke)->Unit(benchmark::kMicrosecond);

void BM_ChangeHandlerPerKeystrokeWithSpeedBarButtons(benchmark::State& state)
{
    changeHandlerPerKeystroke(state, true);
}
BENCHMARK(BM_ChangeHandlerPerKeystrokeWithSpeedBarButtons)->Unit(benchmark::kMicrosecond);

// The same after each keystroke in a large page (20 MB of varied HTML), the caret three quarters
// down it, without and with word wrap: the status bar's line of the file must not cost a walk over
// the text before the caret.
struct TLargePageWindow {
    explicit TLargePageWindow(bool wrap)
    {
        form.AbreArchivo("", false, ekHTML);
        TCodeMemo& memo = *form.CodeMemo();
        const std::string page = VariedSamplePages(20u << 20);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        memo.SetWordWrap(wrap);
        at = memo.GetTextLen() / 4 * 3;
        // The view shows the caret, as it does while the author types.
        memo.SetSelection(at, at);
        memo.Perform(EM_SCROLLCARET, 0, 0);
        form.EditorOnChange();
    }
    TformPrincipal form;
    int at = 0;
};

void BM_ChangeHandlerPerKeystrokeInLargePage(benchmark::State& state)
{
    ensureApplication();
    // Made once for all the runs, and never destroyed: at exit the program's own statics (the DDE
    // server's list of conversations) may already be gone when a static map would free the windows.
    static auto& windows = *new std::map<bool, std::unique_ptr<TLargePageWindow>>;
    const bool wrap = state.range(0) != 0;
    auto& window = windows[wrap];
    if (!window)
        window = std::make_unique<TLargePageWindow>(wrap);
    TCodeMemo& memo = *window->form.CodeMemo();
    bool typed = false;
    for (auto _ : state) {
        memo.SetSelection(window->at, typed ? window->at + 1 : window->at);
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(typed ? "" : "x"));
        typed = !typed;
        window->form.EditorOnChange();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChangeHandlerPerKeystrokeInLargePage)->ArgName("wrap")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
