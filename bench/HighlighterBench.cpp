// Speed of the highlighting driver on a 10 MB text: a full highlighting run, the run after one keystroke,
// and a full run whose tokens push and pop the scanner's states.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchSupport.h"
#include "bench/NestingLanguage.h"
#include "editor/CodeMemo.h"
#include "platform/core/SysUtils.h"
#include "tests/support/WordParser.h"

namespace {

// About 10 MB of lines of HTML-like text with a comment now and then.
const std::string& largeText()
{
    static std::string text = [] {
        std::string t;
        t.reserve(BenchBytes(11 << 20));
        for (int i = 0; t.size() < BenchBytes(10u << 20); ++i) {
            t += Format("  <tr><td class=\"c%d\">celda %d</td><td>texto de prueba</td></tr>\r\n", i % 7, i);
            if (i % 50 == 0)
                t += "  /* nota de\r\n     varias lineas */\r\n";
        }
        return t;
    }();
    return text;
}

// The text in an editor with a language whose comments span lines. The application must exist before
// the control is made, so the benchmarks call ensureApplication first.
struct TLargeDocument {
    TLargeDocument()
    {
        parser.Comments = true;
        memo.SetParser1(&parser);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largeText().c_str()));
    }
    TWordParser parser;
    TCodeMemo memo;
};

void BM_HighlightWholeText(benchmark::State& state)
{
    ensureApplication();
    TLargeDocument document;
    TCodeMemo& memo = document.memo;
    for (auto _ : state) {
        memo.ResetHighlighting();
        memo.RehighlightAll();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * memo.TextLength());
}
BENCHMARK(BM_HighlightWholeText)->Unit(benchmark::kMillisecond);

// One keystroke in the middle of the text: typing a character and taking it away again, each an
// edit with its highlighting run.
void BM_KeystrokeInTheMiddle(benchmark::State& state)
{
    ensureApplication();
    TLargeDocument document;
    TCodeMemo& memo = document.memo;
    int middle = memo.TextLength() / 2;
    TypeAndTakeBack(state, memo, middle);
}
BENCHMARK(BM_KeystrokeInTheMiddle);

// A full highlighting run over 10 MB of script whose brackets push and pop the scanner's states.
void BM_HighlightNestedBrackets(benchmark::State& state)
{
    ensureApplication();
    static const std::string script = generatedScript(BenchBytes(10u << 20));
    TCodeMemoParser parser;
    buildNestingLanguage(parser);
    TCodeMemo memo;
    memo.SetParser1(&parser);
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script.c_str()));
    for (auto _ : state) {
        memo.ResetHighlighting();
        memo.RehighlightAll();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * memo.TextLength());
}
BENCHMARK(BM_HighlightNestedBrackets)->Unit(benchmark::kMillisecond);

} // namespace
