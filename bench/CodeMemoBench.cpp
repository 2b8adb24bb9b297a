// Speed of the editor control on a large page: typing one character at a time (with its repaint), key strokes, auto-replace, loading.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "platform/Keys.h"

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

// Shows the large page in a window-sized control with the caret in the middle.
void openInTheMiddle(TCodeMemo& memo)
{
    memo.resize(800, 600);
    memo.show();
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largePage().c_str()));
    int middle = memo.TextLength() / 2;
    memo.Perform(EM_SETSEL, middle, middle);
}

void BM_TypeInTheMiddleOfALargePage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openInTheMiddle(memo);
    for (auto _ : state)
        memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("x"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypeInTheMiddleOfALargePage);

// Key events as the keyboard sends them, each with its repaint: a typed character, Enter with its
// auto-indent, a line up and a word right.
void BM_KeyStrokesInALargePage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openInTheMiddle(memo);
    const std::unique_ptr<QKeyEvent> strokes[] = {MakeKeyEvent('X', 0), MakeKeyEvent(VK_RETURN, 0),
                                                  MakeKeyEvent(VK_UP, 0), MakeKeyEvent(VK_RIGHT, ssCtrl)};
    for (auto _ : state)
        for (const auto& stroke : strokes)
            QApplication::sendEvent(&memo, stroke.get());
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_KeyStrokesInALargePage);

// A word the auto-replace list corrects, typed key by key with its trigger: the list reads the
// text before the caret, deep in the page, on every blank.
void BM_AutoReplaceInALargePage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    openInTheMiddle(memo);
    memo.AutoReplaceList().AddReplacement("teh", "the");
    // Backspace takes the corrected word out again, so that the line and the view stay as they are.
    std::vector<std::unique_ptr<QKeyEvent>> strokes;
    for (int vk : {int{'T'}, int{'E'}, int{'H'}, int{VK_SPACE}, int{VK_BACK}, int{VK_BACK}, int{VK_BACK}, int{VK_BACK}})
        strokes.push_back(MakeKeyEvent(vk, 0));
    for (auto _ : state)
        for (const auto& stroke : strokes)
            QApplication::sendEvent(&memo, stroke.get());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(strokes.size()));
}
BENCHMARK(BM_AutoReplaceInALargePage);

void BM_LoadALargePage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    memo.show();
    for (auto _ : state)
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(largePage().c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * largePage().size()));
}
BENCHMARK(BM_LoadALargePage)->Unit(benchmark::kMillisecond);

} // namespace
