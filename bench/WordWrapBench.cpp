// Speed of word wrap on a large page: typing into wrapped lines, and re-wrapping the whole page at a new width.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/SysUtils.h"

namespace {

// About 3 MB in paragraphs of 600 characters, each wrapped into several display lines.
const std::string& largeProse()
{
    static std::string text = [] {
        std::string page;
        for (int i = 0; i < 5000; ++i) {
            for (int w = 0; w < 60; ++w)
                page += Format(w % 7 == 3 ? "palabra %d " : "texto %d ", w % 10);
            page += "\r\n";
        }
        return page;
    }();
    return text;
}

void openWrapped(TCodeMemo& memo, int column)
{
    memo.resize(800, 600);
    memo.show();
    memo.SetWrapAtColumn(column);
    memo.SetWordWrap(true);
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largeProse().c_str()));
    int middle = memo.TextLength() / 2;
    memo.Perform(EM_SETSEL, middle, middle);
}

// Each character re-cuts the paragraph it lands in, with its repaint.
void BM_TypeIntoAWrappedParagraph(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openWrapped(memo, 60);
    for (auto _ : state)
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("x "));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypeIntoAWrappedParagraph);

// The whole page cut again, alternating between two widths.
void BM_RewrapALargePage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openWrapped(memo, 60);
    int column = 60;
    for (auto _ : state) {
        column = column == 60 ? 72 : 60;
        memo.SetWrapAtColumn(column);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(largeProse().size()));
}
BENCHMARK(BM_RewrapALargePage)->Unit(benchmark::kMillisecond);

} // namespace
