// Speed of the editor control on a large page: typing one character at a time (with its repaint) and loading.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"

namespace {

// About 2.5 MB of lines of HTML-like text.
const std::string& largePage()
{
    static std::string page = [] {
        std::string text;
        for (int i = 0; i < 50000; ++i)
            text += "  <tr><td class=\"c" + std::to_string(i % 7) + "\">celda " + std::to_string(i) +
                    "</td><td>texto de prueba</td></tr>\r\n";
        return text;
    }();
    return page;
}

void BM_TypeInTheMiddleOfALargePage(benchmark::State& state)
{
    EnsureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    memo.show();
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largePage().c_str()));
    int middle = memo.TextLength() / 2;
    memo.Perform(EM_SETSEL, middle, middle);
    for (auto _ : state)
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("x"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypeInTheMiddleOfALargePage);

void BM_LoadALargePage(benchmark::State& state)
{
    EnsureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    memo.show();
    for (auto _ : state)
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largePage().c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * largePage().size()));
}
BENCHMARK(BM_LoadALargePage)->Unit(benchmark::kMillisecond);

} // namespace
