// Replace All in the main window's editor: 10 000 and 200 000 matches in 20 MB of HTML, with marks on them, its undo and its redo.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>
#include <vector>

#include "app/model/libVeltran.h"
#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
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

// The main window with its editor on the HTML language. A replace all ends with a beep, which the
// benchmarks do not want to hear.
struct TReplaceWindow {
    TReplaceWindow() { memo.SetActiveParser(ekHTML); }
    ~TReplaceWindow() { SetMessageBeepHook(std::move(old)); }
    TReplaceWindow(const TReplaceWindow&) = delete;
    TReplaceWindow& operator=(const TReplaceWindow&) = delete;

    // The application is made before the window.
    bool application = (ensureApplication(), true);
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    TMessageBeepHook old = SetMessageBeepHook([](unsigned) {});
};

void BM_ReplaceAllLargeHtml(benchmark::State& state)
{
    const std::string& page = largePage();
    TReplaceWindow window;
    TCodeMemo& memo = window.memo;
    for (auto _ : state) {
        state.PauseTiming();
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
        TSelectionRange start{0, 0};
        memo.PerformSelection(SMM_SET, start);
        state.ResumeTiming();
        ReplaceAllText(memo, frDown | frReplaceAll, "FOTO.GIF", "imagen.png");
        memo.Change();
    }
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

// ---- many matches: "class" in 20 MB of HTML

const std::string& pageWithMatches(size_t matches)
{
    static std::string few, many;
    std::string& page = matches < 100000 ? few : many;
    if (page.empty())
        page = PageWithMatchesOfClass(BenchBytes(matches));
    return page;
}

size_t occurrences(const std::string& text, const std::string& pattern)
{
    size_t n = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
        ++n;
    return n;
}

// The window with the page loaded and, with `marked`, every match marked as Mostrar todas las
// concordancias marks it.
void loadPage(TCodeMemo& memo, const std::string& page, bool marked)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
    memo.Change();
    if (marked) {
        memo.Lines().BeginUpdate();
        // Offsets of the text as stored, each line break one character.
        const std::string lower = AsciiLowerCase(memo.StoredText());
        for (size_t at = lower.find("class"); at != std::string::npos; at = lower.find("class", at + 5))
            memo.MarkRange(static_cast<int>(at), 5, 1);
        memo.Lines().EndUpdate();
    }
    TSelectionRange start{0, 0};
    memo.PerformSelection(SMM_SET, start);
}

void checkReplaced(benchmark::State& state, TCodeMemo& memo, size_t matches)
{
    const std::string text = memo.StoredText();
    if (occurrences(text, "klass") != matches || AsciiLowerCase(text).find("class") != std::string::npos)
        state.SkipWithError("not every match was replaced");
}

void replaceAllMany(benchmark::State& state, bool marked)
{
    const size_t matches = BenchBytes(static_cast<size_t>(state.range(0)));
    const std::string& page = pageWithMatches(static_cast<size_t>(state.range(0)));
    TReplaceWindow window;
    TCodeMemo& memo = window.memo;
    for (auto _ : state) {
        state.PauseTiming();
        loadPage(memo, page, marked);
        state.ResumeTiming();
        ReplaceAllText(memo, frDown | frReplaceAll, "class", "klass");
        memo.Change();
    }
    checkReplaced(state, memo, matches);
    if (marked && memo.TextMarks() && memo.TextMarks()->Count() != 0)
        state.SkipWithError("a mark on a replaced match stayed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.counters["matches"] = static_cast<double>(matches);
    // What the undo log holds for the run: the texts of the matches and a few bytes each.
    if (const TUndoStack* log = memo.UndoStack())
        state.counters["undo_bytes"] = static_cast<double>(log->TotalBytes());
}

// 200 000 matches, and the same page with 10 000: the cost should follow the page, not the matches.
void BM_ReplaceAllManyMatches(benchmark::State& state)
{
    replaceAllMany(state, false);
}
BENCHMARK(BM_ReplaceAllManyMatches)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every match marked first: each mark goes with its match, in the same pass.
void BM_ReplaceAllManyMatchesWithMarks(benchmark::State& state)
{
    replaceAllMany(state, true);
}
BENCHMARK(BM_ReplaceAllManyMatchesWithMarks)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The window's replace all, as its dialog runs it: in one update of the lines.
void replaceAllInWindow(TCodeMemo& memo, const std::string& pattern, const std::string& replacement)
{
    memo.Lines().BeginUpdate();
    ReplaceAllText(memo, frDown | frReplaceAll, pattern, replacement);
    memo.Lines().EndUpdate();
}

// Ends a step as the window ends it: with its paint.
void paintOnce(TCodeMemo& memo, int64_t paints)
{
    memo.Change();
    if (memo.PaintsDone() == paints)
        memo.Paint();
}

// Undoing or redoing the replace all of 200 000 matches in a shown window, up to its paint: one step,
// one pass either way.
void replayReplaceAll(benchmark::State& state, bool redo)
{
    const std::string& page = pageWithMatches(static_cast<size_t>(state.range(0)));
    TReplaceWindow window;
    window.form.resize(1000, 700);
    window.form.show();
    QApplication::processEvents();
    TCodeMemo& memo = window.memo;
    std::string loaded, replaced;
    for (auto _ : state) {
        state.PauseTiming();
        loadPage(memo, page, false);
        if (loaded.empty())
            loaded = memo.StoredText();
        replaceAllInWindow(memo, "class", "klass");
        paintOnce(memo, memo.PaintsDone());
        if (replaced.empty())
            replaced = memo.StoredText();
        if (redo) {
            memo.Undo();
            paintOnce(memo, memo.PaintsDone());
        }
        const int64_t paints = memo.PaintsDone();
        state.ResumeTiming();
        if (redo)
            memo.Redo();
        else
            memo.Undo();
        paintOnce(memo, paints);
    }
    if (memo.StoredText() != (redo ? replaced : loaded))
        state.SkipWithError(redo ? "the redo did not make the replacements again"
                                 : "the undo did not give the page back");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

void BM_UndoReplaceAllManyMatches(benchmark::State& state)
{
    replayReplaceAll(state, false);
}
BENCHMARK(BM_UndoReplaceAllManyMatches)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same page and matches: the redo should cost what the undo costs.
void BM_RedoReplaceAllManyMatches(benchmark::State& state)
{
    replayReplaceAll(state, true);
}
BENCHMARK(BM_RedoReplaceAllManyMatches)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
