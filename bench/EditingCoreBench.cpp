// Benchmarks of the editing core on a 10 MB text: loading, typing, deleting and pasting.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "bench/BenchSupport.h"
#include "editor/model/EditingCore.h"

namespace {

// About 10 MB of HTML-like lines of varying length with CR LF breaks.
const std::string& tenMegabytes()
{
    static const std::string text = [] {
        std::string t;
        t.reserve(BenchBytes(10u << 20));
        std::mt19937 random(7);
        const std::string words[] = {"<p>", "lorem", "ipsum", "dolor", "<a href=\"x.html\">", "sit", "</a>",
                                     "amet", "\t", "consectetur", "</p>"};
        while (t.size() < BenchBytes(10u << 20)) {
            int n = static_cast<int>(random() % 14);
            for (int i = 0; i < n; ++i) {
                t += words[random() % std::size(words)];
                t += ' ';
            }
            t += "\r\n";
        }
        return t;
    }();
    return text;
}

// One editor holding the text, shared by the benchmarks that edit it and put it back.
TCodeMemoCore& loadedEditor()
{
    static TCodeMemoCore editor;
    static const bool loaded = [] {
        editor.InsertAtCaret(tenMegabytes().data(), static_cast<int>(tenMegabytes().size()));
        return true;
    }();
    (void)loaded;
    return editor;
}

// Inserts `text` at `at` and deletes what went in, leaving the editor as it was.
void insertAndDelete(TCodeMemoCore& editor, int at, const char* text)
{
    editor.SetSelection(at, at);
    editor.InsertText(text);
    editor.SetSelection(at, editor.Caret());
    editor.DeleteSelection();
}

void BM_LoadTenMegabytes(benchmark::State& state)
{
    const std::string& text = tenMegabytes();
    for (auto _ : state) {
        TCodeMemoCore editor;
        editor.InsertAtCaret(text.data(), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(editor.RecordCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadTenMegabytes)->Unit(benchmark::kMillisecond);

// Typing a character in the middle of the text and deleting it again (typing, then Backspace); a
// line break splits a record and the deletion joins it again.
void BM_InsertAndDeleteInTheMiddle(benchmark::State& state, const char* text)
{
    TCodeMemoCore& editor = loadedEditor();
    int middle = editor.TextLength() / 2;
    for (auto _ : state)
        insertAndDelete(editor, middle, text);
}
BENCHMARK_CAPTURE(BM_InsertAndDeleteInTheMiddle, character, "x");
BENCHMARK_CAPTURE(BM_InsertAndDeleteInTheMiddle, line_break, "\r");

// Edits that jump between places far apart: each walks the record chain from the nearest known place.
void BM_TypeAtScatteredPlaces(benchmark::State& state)
{
    TCodeMemoCore& editor = loadedEditor();
    std::mt19937 random(11);
    for (auto _ : state)
        insertAndDelete(editor, static_cast<int>(random() % static_cast<unsigned>(editor.TextLength())), "x");
}
BENCHMARK(BM_TypeAtScatteredPlaces);

// Pasting 64 KB of lines in the middle and deleting them again.
void BM_PasteAndDeleteABlock(benchmark::State& state)
{
    TCodeMemoCore& editor = loadedEditor();
    const std::string block = tenMegabytes().substr(1000, 64 * 1024);
    int middle = editor.TextLength() / 2;
    for (auto _ : state)
        insertAndDelete(editor, middle, block.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_PasteAndDeleteABlock)->Unit(benchmark::kMicrosecond);

} // namespace
