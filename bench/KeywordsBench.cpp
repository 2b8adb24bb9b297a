// Speed of keyword matching over a large script text, as the scanner does it at every token start.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "editor/model/EditingCore.h"
#include "editor/model/Keywords.h"
#include "editor/model/LineStore.h"
#include "tests/support/StringCursor.h"

namespace {

const char* const kWords[] = {
    "break", "case", "catch", "class", "const", "continue", "debugger", "default", "delete", "do", "else",
    "export", "extends", "false", "finally", "for", "function", "if", "import", "in", "instanceof", "let",
    "new", "null", "return", "super", "switch", "this", "throw", "true", "try", "typeof", "var", "void",
    "while", "with", "yield", "document", "window", "getElementById", "addEventListener", "innerHTML",
    "length", "push", "prototype", "undefined", "NaN", "Infinity", "Math", "parseInt", "parseFloat",
    "setTimeout", "setInterval", "console", "log", "alert", "confirm", "prompt", "location", "navigator"};

// Script-like text: keywords, identifiers that share their prefixes, numbers and punctuation.
const std::string& generatedScript(size_t size)
{
    static std::string text;
    if (text.size() != size) {
        std::mt19937 rng(7);
        text.clear();
        const char* const punctuation[] = {"(", ");\r", " = ", ".", ", ", " {\r  ", "}\r", " + "};
        while (text.size() < size) {
            switch (rng() % 4) {
            case 0:
            case 1: text += kWords[rng() % std::size(kWords)]; break;
            case 2: text += std::string(kWords[rng() % std::size(kWords)]) + "Item" + std::to_string(rng() % 100); break;
            default: text += std::to_string(rng() % 100000); break;
            }
            text += punctuation[rng() % std::size(punctuation)];
        }
        text.resize(size);
    }
    return text;
}

// Every word valid in the scanner states {0, 1}, followed by a character that cannot continue it.
void fillTrie(TKeywords& trie, uint8_t caseSensitive)
{
    TSM_CharGroup nonWord;
    int position = 1;
    nonWord.ParseSpec("[^a-zA-Z0-9_]", position);
    int32_t value = 1;
    for (const char* word : kWords)
        trie.Add(word, caseSensitive, value++, TStateSet{0, 1}, nonWord);
    trie.CurrentStates = TStateSet{1};
}

// One match at every token start, as the scanner runs: a hit skips the word, a miss one character.
// Matching without case folds every character it reads.
void BM_MatchForwardOverScript(benchmark::State& state)
{
    const std::string& text = generatedScript(static_cast<size_t>(state.range(0)));
    const auto caseSensitive = static_cast<uint8_t>(state.range(1));
    TSyntaxKeywords trie;
    fillTrie(trie, caseSensitive);
    int64_t hits = 0;
    for (auto _ : state) {
        TStringCursor cursor(text);
        int64_t start = 0;
        int length = 0;
        while (!cursor.AtEnd())
            hits += trie.MatchCursor(cursor, caseSensitive, 1, start, length) != 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MatchForwardOverScript)->Args({1 << 20, 1})->Args({1 << 20, 0});

// The same scan through the editor's own cursor over its line records, as highlighting reads.
void BM_MatchThroughEditorCursor(benchmark::State& state)
{
    const std::string& text = generatedScript(static_cast<size_t>(state.range(0)));
    TCodeMemoCore editor;
    editor.InsertText(text.c_str());
    TSyntaxKeywords trie;
    fillTrie(trie, 1);
    TEdStream cursor(&editor);
    int64_t hits = 0;
    for (auto _ : state) {
        cursor.Reset(editor.FirstRecord(), 0, 0);
        int64_t start = 0;
        int length = 0;
        int offsetInRecord = 0;
        while (!cursor.AtEnd())
            hits += trie.Match(cursor, 1, 1, offsetInRecord, start, length) != 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(editor.TextLength()));
}
BENCHMARK(BM_MatchThroughEditorCursor)->Arg(1 << 20);

} // namespace
