// Test helper: the tokens a parser cuts an editor's text into, written out as "value:text" pairs.
#pragma once

#include <cstdint>
#include <string>

#include "editor/EditingCore.h"
#include "editor/LineStore.h"
#include "highlight/CodeMemoParser.h"

// Scans the whole text of `editor` from the scanner state that follows token 0. Each token is its
// value, ":" and its characters (a line break as the two characters \n), tokens separated by one
// blank, so that an expectation reads like the text it is about. A token whose length does not
// match the characters passed, or that passes none, is written as "!" and ends the scan.
inline std::string DumpTokens(TCodeMemoParser& parser, TCodeMemoCore& editor, TCustomCodeMemo* client = nullptr)
{
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    std::string dump;
    while (!cursor.AtEnd()) {
        const int64_t start = cursor.GetPos();
        int length = 0;
        const int token = parser.ScanToken(client, cursor, length);
        if (!dump.empty())
            dump += ' ';
        if (length <= 0 || cursor.GetPos() != start + length) {
            dump += '!';
            break;
        }
        dump += std::to_string(token);
        dump += ':';
        cursor.SetPos(start);
        for (int i = 0; i < length; ++i, cursor.Next()) {
            const char c = cursor.CurrentChar();
            if (c == '\r')
                dump += "\\n";
            else
                dump += c;
        }
    }
    return dump;
}
