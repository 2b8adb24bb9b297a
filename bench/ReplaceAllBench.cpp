// Replace All in the main window's editor: 10 000 matches in 20 MB of HTML, in one pass and one undo step.
#include <benchmark/benchmark.h>

#include <string>

#include "app/model/libVeltran.h"
#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/FindDialog.h"
#include "platform/MessageBox.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kMatches = 10000;

// The sample page repeated to 20 MB, where only the first kMatches copies name "foto.gif"; the rest
// name another picture.
const std::string& largePage()
{
    static const std::string page = [] {
        const std::string sample = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/sample.html");
        std::string other = sample;
        other.replace(other.find("foto.gif"), 8, "dibu.gif");
        std::string text;
        text.reserve(BenchBytes(20u << 20) + sample.size());
        for (int i = 0; i < kMatches; ++i)
            text += sample;
        while (text.size() < BenchBytes(20u << 20))
            text += other;
        return text;
    }();
    return page;
}

void BM_ReplaceAllLargeHtml(benchmark::State& state)
{
    ensureApplication();
    const std::string& page = largePage();
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    memo.SetActiveParser(ekHTML);
    // The run ends with a beep, which the benchmark does not want to hear.
    TMessageBeepHook old = SetMessageBeepHook([](unsigned) {});
    for (auto _ : state) {
        state.PauseTiming();
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        TSelectionRange start{0, 0};
        memo.PerformSelection(SMM_SET, start);
        state.ResumeTiming();
        ReplaceAllText(memo, frDown | frReplaceAll, "FOTO.GIF", "imagen.png");
        memo.Change();
    }
    SetMessageBeepHook(std::move(old));
    const std::string text = memo.StoredText();
    size_t replaced = 0;
    for (size_t at = text.find("imagen.png"); at != std::string::npos; at = text.find("imagen.png", at + 1))
        ++replaced;
    if (replaced != kMatches || text.find("foto.gif") != std::string::npos)
        state.SkipWithError("not every match was replaced");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.counters["matches"] = kMatches;
}
BENCHMARK(BM_ReplaceAllLargeHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
