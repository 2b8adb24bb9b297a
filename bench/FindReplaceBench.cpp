// Speed of the editor control's replace all (plain and regular expression, with and without letter case), of FindNext over 10 000 matches in a 20 MB page (with and without letter case), and of finding every match in a page never shown.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"

namespace {

constexpr int kMatches = 10000;

// The sample page repeated to 20 MB, with a marker comment in 10 000 evenly spread copies.
const std::string& markedPage()
{
    static const std::string page = [] {
        const std::string sample = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/sample.html");
        const size_t copies = BenchBytes(20u << 20) / sample.size() + 1;
        std::string text;
        text.reserve(BenchBytes(20u << 20) + sample.size() + kMatches * 16);
        for (size_t i = 0; i < copies; ++i) {
            text += sample;
            if (i * kMatches / copies != (i + 1) * kMatches / copies)
                text += "<!--MARCA-->\r\n";
        }
        return text;
    }();
    return page;
}

// The markers the page holds: kMatches, or one per copy when small inputs leave fewer copies.
int markerCount()
{
    static const int count = [] {
        int n = 0;
        for (size_t at = markedPage().find("MARCA"); at != std::string::npos; at = markedPage().find("MARCA", at + 1))
            ++n;
        return n;
    }();
    return count;
}

void load(TCodeMemo& memo)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(markedPage().c_str()));
    TSelectionRange start{0, 0};
    memo.Perform(SMM_SELECTION, SMM_SET, reinterpret_cast<LPARAM>(&start));
}

// Replace all of the markers through the control's replace dialog; without letter case the text
// searched for is in small letters.
void replaceAllInALargePage(benchmark::State& state, bool regExpr, bool matchCase)
{
    ensureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    for (auto _ : state) {
        state.PauseTiming();
        load(memo);
        memo.Perform(SMM_REPLACE, regExpr ? smsRegExpr : 0, 0);
        TReplaceDialog& dialog = *memo.ReplaceDialog();
        dialog.SetFindText(matchCase ? "MARCA" : "marca");
        dialog.SetReplaceText(regExpr ? "SE\xD1" "AL-%1" : "SE\xD1" "AL");
        dialog.SetOptions(frDown | (matchCase ? frMatchCase : TFindOptions(0)));
        state.ResumeTiming();
        dialog.ClickReplaceAll();
    }
    if (memo.StoredText().find("MARCA") != std::string::npos)
        state.SkipWithError("not every match was replaced");
    state.SetItemsProcessed(state.iterations() * markerCount());
}

void BM_ReplaceAllInALargePage(benchmark::State& state)
{
    replaceAllInALargePage(state, state.range(0) != 0, true);
}
BENCHMARK(BM_ReplaceAllInALargePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReplaceAllWithoutCaseInALargePage(benchmark::State& state)
{
    replaceAllInALargePage(state, false, false);
}
BENCHMARK(BM_ReplaceAllWithoutCaseInALargePage)->Unit(benchmark::kMillisecond)->Iterations(3);

// Finds every match of `text` with FindText and FindNext from the start of the text, handing each
// match's offset to `each`; the number of matches.
template <typename Each>
int findEvery(TCodeMemo& memo, const char* text, uint16_t flags, Each each)
{
    TSelectionRange start{0, 0};
    memo.Perform(SMM_SELECTION, SMM_SET, reinterpret_cast<LPARAM>(&start));
    int pos = 0;
    int found = 0;
    for (bool more = memo.FindText(text, pos, flags); more; more = memo.FindNext(pos)) {
        each(pos);
        ++found;
    }
    return found;
}

void findNextThroughALargePage(benchmark::State& state, bool regExpr, bool matchCase)
{
    ensureApplication();
    TCodeMemo memo;
    memo.resize(800, 600);
    memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
    load(memo);
    int found = 0;
    const auto flags =
        static_cast<uint16_t>(smsDirect | (matchCase ? smsMatchCase : 0) | (regExpr ? smsRegExpr : 0));
    for (auto _ : state)
        found = findEvery(memo, matchCase ? "MARCA" : "marca", flags, [](int) {});
    if (found != markerCount())
        state.SkipWithError("not every match was found");
    state.SetItemsProcessed(state.iterations() * markerCount());
}

void BM_FindNextThroughALargePage(benchmark::State& state)
{
    findNextThroughALargePage(state, state.range(0) != 0, true);
}
BENCHMARK(BM_FindNextThroughALargePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Without letter case, every letter of the text read is folded to its capital.
void BM_FindNextWithoutCaseThroughALargePage(benchmark::State& state)
{
    findNextThroughALargePage(state, false, false);
}
BENCHMARK(BM_FindNextWithoutCaseThroughALargePage)->Unit(benchmark::kMillisecond);

// Every match of "<link" in the varied pages up to 20 MB, found one after another with FindNext and
// its line asked as a list of matches shows it, in a document that was never shown (an editor never
// sized, whose view never follows the matches) and in a shown one: the look-up of each match costs
// the same in both.
void BM_FindAllLinksInALargePage(benchmark::State& state)
{
    ensureApplication();
    static const std::string pages = VariedSamplePages(20u << 20);
    TCodeMemo memo;
    if (state.range(0) != 0) {
        memo.resize(800, 600);
        memo.show();
    }
    memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pages.c_str()));
    int found = 0;
    for (auto _ : state) {
        int64_t lines = 0;
        found = findEvery(memo, "<link", static_cast<uint16_t>(smsDirect | smsMatchCase),
                          [&](int pos) { lines += memo.Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(pos), 0); });
        benchmark::DoNotOptimize(lines);
    }
    if (found == 0)
        state.SkipWithError("no match was found");
    state.counters["matches"] = found;
    state.SetItemsProcessed(state.iterations() * found);
}
BENCHMARK(BM_FindAllLinksInALargePage)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
