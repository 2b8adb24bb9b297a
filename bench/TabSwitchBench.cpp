// Switching the main window's editor between two tabs that each hold 5 MB of HTML.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"
#include "toolbars/TabCtrls.h"

namespace {

void BM_SwitchTabs(benchmark::State& state)
{
    ensureApplication();
    const std::string page = RepeatedSamplePage(5u << 20);
    // The benchmark program's own folder: nobody else can put a file or a link at those names.
    const std::string first = BenchFolder() + "/tab1.html";
    const std::string second = BenchFolder() + "/tab2.html";
    WriteFileBytes(first, page);
    WriteFileBytes(second, page);
    TformPrincipal form;
    form.AbreArchivo(first, false, ekHTML);
    form.AbreArchivo(second, false, ekHTML);
    std::remove(first.c_str());
    std::remove(second.c_str());
    TCodeMemo& memo = *form.CodeMemo();
    int tab = 1;
    for (auto _ : state) {
        // As a click on the other tab: the outgoing state is stored, the incoming one restored and
        // the pending colouring of the window's view done.
        tab = 1 - tab;
        bool allow = true;
        form.FileTabsChanging(allow);
        form.FileTabs()->SetTabIndex(tab);
        form.FileTabsChange();
        memo.Change();
    }
    if (memo.GetTextLen() < static_cast<int>(page.size()) - 1)
        state.SkipWithError("the document did not come back whole");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_SwitchTabs)->Unit(benchmark::kMillisecond);

} // namespace
