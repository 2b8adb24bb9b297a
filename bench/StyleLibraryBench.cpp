// Speed of normalising a 2 MB style library and listing its selectors, as loading one does.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "app/model/libCSS.h"

namespace {

constexpr size_t kLibrarySize = 2 * 1024 * 1024;

// Hand-written style sheet text: rules over several lines, tabs, comments and colons in values.
const std::string& generatedLibrary()
{
    static const std::string text = [] {
        std::mt19937 rng(43);
        const char* const selectors[] = {"h1", "p.nota", "a:hover", "#cabecera div", "ul li  em", ".menu > a"};
        const char* const declarations[] = {
            "color: #FF0000;", "font-family: Arial, \"Times New Roman\", serif;", "margin-top:  5px;",
            "background: url(http://servidor/fondo.gif) no-repeat;", "cursor: help;",
            "border-left-width:    thin;", "/* comentario */", "clip: rect(1px 2px 3px 4px);"};
        std::string s;
        while (s.size() < kLibrarySize) {
            s += selectors[rng() % std::size(selectors)];
            s += std::to_string(rng() % 1000) + " {\r\n";
            for (unsigned n = 1 + rng() % 6; n > 0; --n)
                s += std::string("\t") + declarations[rng() % std::size(declarations)] + "\r\n";
            s += "}\r\n\r\n";
        }
        return s;
    }();
    return text;
}

void BM_CSSFormatRule(benchmark::State& state)
{
    const std::string& text = generatedLibrary();
    for (auto _ : state)
        benchmark::DoNotOptimize(CSSFormatRule(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CSSFormatRule)->Unit(benchmark::kMillisecond);

void BM_CSSListSelectors(benchmark::State& state)
{
    const std::string library = CSSFormatRule(generatedLibrary());
    for (auto _ : state)
        benchmark::DoNotOptimize(CSSListSelectors(library));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * library.size()));
}
BENCHMARK(BM_CSSListSelectors)->Unit(benchmark::kMillisecond);

} // namespace
