// A language whose brackets nest through the parser's run-time stack, and a script that uses it.
#pragma once

#include <random>
#include <string>

#include "highlight/CodeMemoParser.h"
#include "tests/support/ParserTables.h"

// Lines of script whose calls and indexes nest up to four deep.
inline std::string generatedScript(size_t size)
{
    static const char* const words[] = {"precio", "cantidad", "oferta", "cliente", "total", "inicio"};
    std::mt19937 rng(11);
    std::string script;
    while (script.size() < size) {
        script += words[rng() % 6];
        script += " = ";
        int depth = 0;
        for (unsigned term = 0, n = 2 + rng() % 6; term < n; ++term) {
            if (depth < 4 && rng() % 2) {
                script += rng() % 3 ? "(" : "[";
                ++depth;
            }
            if (rng() % 3)
                script += words[rng() % 6];
            else
                script += std::to_string(rng() % 1000);
            if (depth > 0 && rng() % 3 == 0) {
                script += ")";
                --depth;
            }
            script += term + 1 < n ? ", " : "";
        }
        script.append(static_cast<size_t>(depth), ')');
        script += ";\r\n";
    }
    script.resize(size);
    return script;
}

// Brackets that nest through the run-time stack: "(" and "[" save the states and enter state 1,
// ")" restores what its opening bracket saved.
inline void buildNestingLanguage(TCodeMemoParser& parser)
{
    TParserTables& t = parser.Tables();
    const TStateSet anywhere{0, 1};
    builtinStart(parser, t.DefaultStartTable, riStdIdentifier, 10, anywhere);
    builtinStart(parser, t.DefaultStartTable, riStdNumberOrFP, 11, anywhere);
    for (const char* opening : {"(", "["})
        charStart(parser, t.DefaultStartTable, opening, 1, charElement(0, 1), bodyElement({}, 0), anywhere);
    charStart(parser, t.DefaultStartTable, ")", 2, charElement(0, 1), bodyElement({}, 0), anywhere);
    stateRecord(t, 1, anywhere, TStateSet{1}, TStateSet{0}, saPushBefore);
    stateRecord(t, 2, TStateSet{1}, {}, {}, saPopAfter);
}
