// Colouring real pages with the shipped languages: a 20 MB page whole, and one keystroke inside a long line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "tests/support/CountingParser.h"
#include "tests/support/ShippedLanguages.h"

namespace {

std::string dataFile(const char* name)
{
    return std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/" + name;
}

const std::string& variedPage()
{
    static const std::string page = VariedSamplePages(20u << 20);
    return page;
}

struct TColouredText {
    explicit TColouredText(const char* script, const std::string& text)
    {
        CompileShipped(parser, script);
        memo.SetParser1(&parser);
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    TCountingParser parser;
    TCodeMemo memo;
};

void BM_ColourVariedPages(benchmark::State& state)
{
    ensureApplication();
    TColouredText document("html.syn", variedPage());
    TCodeMemo& memo = document.memo;
    for (auto _ : state) {
        memo.ResetHighlighting();
        memo.RehighlightAll();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * memo.TextLength());
    // How many tokens a colouring takes, counted once outside the timing.
    int64_t tokens = 0;
    memo.OnTokenSeen = [&tokens](TCustomCodeMemo*, int&, int start, int) { tokens += start >= 0; };
    memo.ResetHighlighting();
    memo.RehighlightAll();
    memo.OnTokenSeen = nullptr;
    state.counters["tokens"] = static_cast<double>(tokens);
}
BENCHMARK(BM_ColourVariedPages)->Unit(benchmark::kMillisecond);

// The offset of the middle of the line of `text` that holds `marker` (lines end with CR, as stored).
int middleOfLineWith(const std::string& text, const std::string& marker)
{
    const size_t at = text.find(marker);
    const size_t start = text.rfind('\r', at) == std::string::npos ? 0 : text.rfind('\r', at) + 1;
    const size_t end = std::min(text.find('\r', at), text.size());
    return static_cast<int>(start + (end - start) / 2);
}

// A character typed in the middle of a long line and taken away again, each an edit with its
// highlighting run. Reports the characters one keystroke re-scans.
void keystrokeInLongLine(benchmark::State& state, const char* script, const std::string& text, const std::string& marker)
{
    ensureApplication();
    TColouredText document(script, text);
    TCodeMemo& memo = document.memo;
    const int middle = middleOfLineWith(memo.StoredText(), marker);
    document.parser.Scanned = 0;
    TypeAndTakeBack(state, memo, middle);
    state.counters["rescanned_chars"] = benchmark::Counter(static_cast<double>(document.parser.Scanned) /
                                                           static_cast<double>(state.iterations()));
}

// The 5,000-character minified script line of the documentation page, in its <SCRIPT> block.
void BM_KeystrokeInAMinifiedScriptLine(benchmark::State& state)
{
    keystrokeInLongLine(state, "html.syn", ReadFileBytes(dataFile("pages/documentation.html")), "searchIndex=");
}
BENCHMARK(BM_KeystrokeInAMinifiedScriptLine)->Unit(benchmark::kMicrosecond);

// The same line alone, as a script file.
void BM_KeystrokeInAMinifiedScriptFile(benchmark::State& state)
{
    const std::string page = ReadFileBytes(dataFile("pages/documentation.html"));
    const size_t open = page.find("<script>") + 8;
    const std::string script = page.substr(open, page.find("</script>") - open);
    keystrokeInLongLine(state, "javascript.syn", "// a\r\n" + script + "\r\n// b\r\n", "searchIndex=");
}
BENCHMARK(BM_KeystrokeInAMinifiedScriptFile)->Unit(benchmark::kMicrosecond);

// The 2,000-character navigation line of the documentation page.
void BM_KeystrokeInALongHtmlLine(benchmark::State& state)
{
    keystrokeInLongLine(state, "html.syn", ReadFileBytes(dataFile("pages/documentation.html")), "<div class=\"nav\">");
}
BENCHMARK(BM_KeystrokeInALongHtmlLine)->Unit(benchmark::kMicrosecond);

// A minified script whose middle lies in a 4.7 MB one-line string, as a bundled search index: the
// literal holds escaped quotes and words, and nothing ends it for megabytes.
void BM_KeystrokeInALongStringLiteral(benchmark::State& state)
{
    const size_t bytes = BenchBytes(4700u << 10);
    std::string script = "// index\r\nvar searchIndex=\"";
    for (int i = 0; script.size() < bytes; ++i)
        script += "{\\\"name\\\":\\\"entry" + std::to_string(i) + "\\\",\\\"path\\\":\\\"docs/section/page" +
                  std::to_string(i % 97) + ".html\\\",\\\"desc\\\":\\\"Returns the value of the item\\\"},";
    script += "\";\r\nsearch(searchIndex);\r\n";
    keystrokeInLongLine(state, "javascript.syn", script, "searchIndex=");
}
BENCHMARK(BM_KeystrokeInALongStringLiteral)->Unit(benchmark::kMicrosecond);

} // namespace
