// Test helper: the tokens a parser cuts a text into, written out as "value:text" pairs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/CodeMemoParser.h"

// Adds one token to a dump: a blank after the previous one, the value, ":" and the characters, a
// line break (CR) written as the two characters \n. An expectation then reads like the text.
inline void AppendToken(std::string& dump, int value, std::string_view characters)
{
    if (!dump.empty())
        dump += ' ';
    dump += std::to_string(value);
    dump += ':';
    for (char c : characters) {
        if (c == '\r')
            dump += "\\n";
        else
            dump += c;
    }
}

// Scans the whole text of `editor` with `parser` from the scanner state that follows token 0. A
// token whose length does not match the characters passed, or that passes none, is written as "!"
// and ends the scan.
inline std::string DumpTokens(TCodeMemoParser& parser, TCodeMemoCore& editor)
{
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    std::string dump;
    while (!cursor.AtEnd()) {
        const int64_t start = cursor.GetPos();
        int length = 0;
        const int token = parser.ScanToken(nullptr, cursor, length);
        if (length <= 0 || cursor.GetPos() != start + length) {
            dump += " !";
            break;
        }
        std::string characters;
        cursor.SetPos(start);
        for (int i = 0; i < length; ++i, cursor.Next())
            characters += cursor.CurrentChar();
        AppendToken(dump, token, characters);
    }
    return dump;
}
