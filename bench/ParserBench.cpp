// Speed of TCodeMemoParser cutting a large page with a script block into tokens.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "bench/NestingLanguage.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/SynParse.h"

namespace {

// Table rows with attributes, entities and numbers, and a script with strings and line comments.
std::string generatedPage(size_t size)
{
    static const char* const words[] = {"precio", "cantidad", "oferta", "cliente", "total", "inicio"};
    std::mt19937 rng(7);
    std::string page;
    while (page.size() < size) {
        page += "<tr><td class=\"c" + std::to_string(rng() % 9) + "\">";
        for (unsigned w = 0, n = 1 + rng() % 5; w < n; ++w) {
            page += words[rng() % 6];
            page += rng() % 4 ? " " : "&nbsp;";
        }
        page += std::to_string(rng() % 100000) + "</td></tr>\r\n";
        if (rng() % 8 == 0)
            page += "if (total > 12.5e3) { precio = \"caro\"; } // revisar -->\r\n";
    }
    page.resize(size);
    return page;
}

// Keywords with a follow group and a handler, built-in starts, and a character start with a
// repeat and a terminator: what a compiled web language exercises per token.
void buildLanguage(TCodeMemoParser& parser)
{
    TParserTables& t = parser.Tables();
    TSM_CharGroup follow;
    int position = 1;
    follow.ParseSpec("[^A-Za-z0-9_]", position);
    for (const char* word : {"if", "else", "for", "while", "return", "var", "function"})
        parser.Keywords().Add(word, 0, 4, TStateSet{0}, follow);
    parser.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    THandlerRec& entity = t.EnsureHandler(40);
    entity.Start.GroupID = group(parser, "[a-z]");
    entity.Body.Flag = 1;
    entity.Body.Count = 1;
    entity.Body.GroupIDs[0] = group(parser, ";");

    auto builtin = [&](int recogniser, uint8_t token) {
        for (int c = 0; c < 256; ++c) {
            if (!RecogniserStartSet(recogniser).Contains(static_cast<uint8_t>(c)))
                continue;
            TStartRec& record = t.DefaultStartTable.Ensure(static_cast<uint8_t>(c));
            record.Start.ProcFlag = 1;
            record.Start.ProcID = recogniser;
            record.ValidIn = TStateSet{0};
            record.TokenValue = token;
        }
    };
    builtin(riStdIdentifier, 10);
    builtin(riStdNumberOrFP, 11);
    builtin(riStdCString, 13);
    builtin(riStdJSLineComment, 19);

    TStartRec& tag = t.DefaultStartTable.Ensure('<');
    tag.Start.GroupID = group(parser, "<");
    tag.ValidIn = TStateSet{0};
    tag.Repeat.Flag = 1;
    tag.Repeat.GroupID = group(parser, "[a-z/]");
    tag.Terminator.Flag = 1;
    tag.Terminator.Count = 1;
    tag.Terminator.GroupIDs[0] = group(parser, ">");
    tag.TokenValue = 20;
}

// Cuts `text` into tokens of the language `build` makes, from the start, once per iteration.
void scanText(benchmark::State& state, const std::string& text, void (*build)(TCodeMemoParser&))
{
    TCodeMemoCore editor;
    editor.InsertText(text.c_str());
    TCodeMemoParser parser;
    build(parser);
    TEdStream cursor(&editor);
    size_t tokens = 0;
    for (auto _ : state) {
        cursor.Reset(editor.FirstRecord(), 0, 0);
        parser.ResetScanner(0);
        while (!cursor.AtEnd()) {
            int length = 0;
            benchmark::DoNotOptimize(parser.ScanToken(nullptr, cursor, length));
            ++tokens;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}

void scanPage(benchmark::State& state)
{
    scanText(state, generatedPage(static_cast<size_t>(state.range(0))), buildLanguage);
}

void scanNestedBrackets(benchmark::State& state)
{
    scanText(state, generatedScript(static_cast<size_t>(state.range(0))), buildNestingLanguage);
}

} // namespace

BENCHMARK(scanPage)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(scanNestedBrackets)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
