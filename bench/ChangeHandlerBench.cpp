// The main window's change handler as it runs after each keystroke: caption, status panels and the state of every command.
#include <benchmark/benchmark.h>

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

} // namespace
