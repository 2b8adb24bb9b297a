// One keystroke in the middle of a large page (20 and 100 MB of varied real-looking HTML), in the
// window's editor with the HTML language and in the bare text model: its cost must not grow with the
// size of the page. The keystroke goes into a piece of a long line that is a whole record already, so
// the piece grows past a record's length and is cut again.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditingCore.h"
#include "highlight/CodeMemoParser.h"
#include "tests/support/ShippedLanguages.h"

namespace {

// The varied pages up to `megabytes` MB (as BenchBytes scales them), built once per size.
const std::string& pageOf(size_t megabytes)
{
    static std::map<size_t, std::string> pages;
    std::string& page = pages[megabytes];
    if (page.empty())
        page = VariedSamplePages(megabytes << 20);
    return page;
}

// The offset of the middle of the first minified script line at or after the middle of the page: the
// middle of its second piece, a whole record (the first such line on a small page). Line breaks count as one character, as stored.
int keystrokePlace(const std::string& page)
{
    const char* marker = "<script>var DOC_VERSION";
    size_t line = page.find(marker, page.size() / 2);
    if (line == std::string::npos)
        line = page.find(marker); // a small page holds one such line, in its first half
    int offset = 0;
    for (size_t i = 0; i < line; ++i)
        offset += !(page[i] == '\n' && i > 0 && page[i - 1] == '\r');
    return offset + kRecordCut + kRecordCut / 2;
}

// The editor of the window with the HTML language, holding the page of `megabytes` MB; built once.
struct TLargeEditor {
    explicit TLargeEditor(size_t megabytes)
    {
        CompileShipped(parser, "html.syn");
        memo.SetParser1(&parser);
        const std::string& page = pageOf(megabytes);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        memo.Change();
        at = keystrokePlace(page);
    }
    TCodeMemoParser parser;
    TCodeMemo memo;
    int at = 0;
};

void BM_KeystrokeMidLargePage(benchmark::State& state)
{
    static std::map<size_t, std::unique_ptr<TLargeEditor>> editors;
    auto& editor = editors[static_cast<size_t>(state.range(0))];
    ensureApplication();
    if (!editor)
        editor = std::make_unique<TLargeEditor>(static_cast<size_t>(state.range(0)));
    TypeAndTakeBack(state, editor->memo, editor->at);
    editor->memo.Change();
}
BENCHMARK(BM_KeystrokeMidLargePage)->ArgName("MB")->Arg(20)->Arg(100)->Unit(benchmark::kMicrosecond);

// The same in the text model alone: the edit without highlighting or painting.
void BM_KeystrokeMidLargeText(benchmark::State& state)
{
    static std::map<size_t, std::unique_ptr<TCodeMemoCore>> cores;
    const std::string& page = pageOf(static_cast<size_t>(state.range(0)));
    auto& core = cores[static_cast<size_t>(state.range(0))];
    if (!core) {
        core = std::make_unique<TCodeMemoCore>();
        core->InsertText(page.c_str(), static_cast<int>(page.size()));
    }
    const int at = keystrokePlace(page);
    bool typed = false;
    for (auto _ : state) {
        core->SetSelection(at, typed ? at + 1 : at);
        core->InsertText(typed ? "" : "x");
        typed = !typed;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeMidLargeText)->ArgName("MB")->Arg(20)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace
