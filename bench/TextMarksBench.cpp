// Speed of the editor control with 10 000 text marks over a 20 MB page: typing in the middle, and a full-screen repaint.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"

namespace {

constexpr int kMarks = 10000;

// A window-sized control holding the page with marks spread evenly over it, some of them long, and
// the view and caret in the middle.
void openMarkedPage(TCodeMemo& memo)
{
    memo.resize(1280, 1024);
    memo.show();
    static const std::string page = RepeatedSamplePage(20u << 20);
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    const int length = memo.TextLength();
    const int step = length / kMarks;
    // Each mark added paints; the view is painted once at the end instead.
    memo.Perform(WM_SETREDRAW, 0, 0);
    for (int i = 0; i < kMarks; ++i)
        memo.AddMark(i * step, i % 10 == 0 ? 3 * step : 12, static_cast<uint32_t>(i));
    memo.Perform(WM_SETREDRAW, 1, 0);
    const int middle = length / 2;
    memo.Perform(SMM_TOPLINE, SMM_SET, static_cast<LPARAM>(memo.Perform(EM_LINEFROMCHAR, middle, 0)));
    memo.Perform(EM_SETSEL, middle, middle);
    memo.Paint();
}

void BM_TypeInTheMiddleOfAMarkedPage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openMarkedPage(memo);
    int changes = 0;
    memo.OnMarkChange = [&](TCustomCodeMemo*, TTextMark*) { ++changes; };
    for (auto _ : state)
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("x"));
    benchmark::DoNotOptimize(changes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypeInTheMiddleOfAMarkedPage);

void BM_RepaintAFullScreenOfAMarkedPage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openMarkedPage(memo);
    int drawn = 0;
    memo.OnDrawMark = [&](TCustomCodeMemo*, QPainter*, const TRect*, TTextMark*) { ++drawn; };
    for (auto _ : state) {
        memo.RequestFullRepaint();
        memo.Paint();
    }
    benchmark::DoNotOptimize(drawn);
    state.SetItemsProcessed(state.iterations() * memo.LinesPerWindow());
}
BENCHMARK(BM_RepaintAFullScreenOfAMarkedPage)->Unit(benchmark::kMillisecond);

} // namespace
