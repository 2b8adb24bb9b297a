// The main window's change handler as it runs after each keystroke: caption, status panels and the state of every command.
#include <benchmark/benchmark.h>

#include "app/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"

namespace {

void BM_ChangeHandlerPerKeystroke(benchmark::State& state)
{
    ensureApplication();
    TformPrincipal form;
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
BENCHMARK(BM_ChangeHandlerPerKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
