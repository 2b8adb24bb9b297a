// Colouring text with long runs of letters (a data blob, a long hex number): one keystroke in the
// middle of a 16,000-letter run, and opening a page holding a 40,000-letter run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "tests/support/ShippedLanguages.h"

namespace {

// Arg 0: HTML, 1: plain text.
void BM_KeystrokeInALongRunOfLetters(benchmark::State& state)
{
    ensureApplication();
    TCodeMemoParser parser;
    CompileShipped(parser, state.range(0) == 0 ? "html.syn" : "text.syn");
    TCodeMemo memo;
    memo.SetParser1(&parser);
    const std::string text = "<p>" + std::string(16000, 'w') + "</p>\r\nnext line";
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    memo.Change();
    const int middle = 3 + 8000;
    for (auto _ : state) {
        memo.Perform(EM_SETSEL, middle, middle);
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("w"));
        memo.Change();
        memo.Perform(EM_SETSEL, middle, middle + 1);
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(""));
        memo.Change();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_KeystrokeInALongRunOfLetters)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_OpenAPageWithALongRunOfLetters(benchmark::State& state)
{
    ensureApplication();
    TCodeMemoParser parser;
    CompileShipped(parser, "html.syn");
    const std::string text = "<html><body><p>" + std::string(40000, 'a') + "</p></body></html>\r\n";
    for (auto _ : state) {
        TCodeMemo memo;
        memo.SetParser1(&parser);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        memo.Change();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(text.size()));
}
BENCHMARK(BM_OpenAPageWithALongRunOfLetters)->Unit(benchmark::kMillisecond);

} // namespace
