// Speed of keyword matching over a large script text, as the scanner does it at every token start.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <string_view>

#include "editor/Keywords.h"

namespace {

const char* const kWords[] = {
    "break", "case", "catch", "class", "const", "continue", "debugger", "default", "delete", "do", "else",
    "export", "extends", "false", "finally", "for", "function", "if", "import", "in", "instanceof", "let",
    "new", "null", "return", "super", "switch", "this", "throw", "true", "try", "typeof", "var", "void",
    "while", "with", "yield", "document", "window", "getElementById", "addEventListener", "innerHTML",
    "length", "push", "prototype", "undefined", "NaN", "Infinity", "Math", "parseInt", "parseFloat",
    "setTimeout", "setInterval", "console", "log", "alert", "confirm", "prompt", "location", "navigator"};

// A character cursor over a string with the moves of the editor's text cursor.
class TextCursor {
public:
    explicit TextCursor(std::string_view text) : FText(text) {}
    char CurrentChar() const { return FPos < size() ? FText[static_cast<size_t>(FPos)] : '\0'; }
    int64_t GetPos() const { return FPos; }
    void SetPos(int64_t p) { FPos = p < 0 ? 0 : (p > size() ? size() : p); }
    bool AtEnd() const { return FPos >= size(); }
    void Next()
    {
        if (FPos < size())
            ++FPos;
    }
    void Prev()
    {
        if (FPos > 0)
            --FPos;
    }

private:
    int64_t size() const { return static_cast<int64_t>(FText.size()); }
    std::string_view FText;
    int64_t FPos = 0;
};

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

void fillTrie(TKeywords& trie)
{
    TSM_CharGroup nonWord;
    int position = 1;
    nonWord.ParseSpec("[^a-zA-Z0-9_]", position);
    int32_t value = 1;
    for (const char* word : kWords)
        trie.Add(word, 1, value++, TStateSet{0, 1}, nonWord);
    trie.CurrentStates = TStateSet{1};
}

// One match at every token start: a hit skips the word, a miss one character.
void BM_MatchForwardOverScript(benchmark::State& state)
{
    const std::string& text = generatedScript(static_cast<size_t>(state.range(0)));
    TSyntaxKeywords trie;
    fillTrie(trie);
    int64_t hits = 0;
    for (auto _ : state) {
        TextCursor cursor(text);
        int64_t start = 0;
        int length = 0;
        while (!cursor.AtEnd())
            hits += trie.MatchCursor(cursor, 1, 1, start, length) != 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MatchForwardOverScript)->Arg(1 << 20);

// Case-insensitive matching folds every character it reads.
void BM_MatchForwardIgnoringCase(benchmark::State& state)
{
    const std::string& text = generatedScript(static_cast<size_t>(state.range(0)));
    TSyntaxKeywords trie;
    TSM_CharGroup nonWord;
    int position = 1;
    nonWord.ParseSpec("[^a-zA-Z0-9_]", position);
    int32_t value = 1;
    for (const char* word : kWords)
        trie.Add(word, 0, value++, TStateSet{0}, nonWord);
    trie.CurrentStates = TStateSet{0};
    int64_t hits = 0;
    for (auto _ : state) {
        TextCursor cursor(text);
        int64_t start = 0;
        int length = 0;
        while (!cursor.AtEnd())
            hits += trie.MatchCursor(cursor, 0, 1, start, length) != 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MatchForwardIgnoringCase)->Arg(1 << 20);

} // namespace
