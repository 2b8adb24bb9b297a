// A parser that counts the characters its scanner moves over, however the driver asks for tokens.
#pragma once

#include <cstdint>

#include "highlight/CodeMemoParser.h"

class TCountingParser : public TCodeMemoParser {
public:
    uint8_t ScanToken(TParserClient* editor, TEdStream& stream, int& length) override
    {
        const int64_t before = stream.GetPos();
        const uint8_t value = TCodeMemoParser::ScanToken(editor, stream, length);
        Scanned += stream.GetPos() - before;
        return value;
    }
    uint8_t ScanTokensBefore(TParserClient* editor, TEdStream& stream, int64_t limit, uint8_t* styles,
                             int64_t stylesStart, TTokenPlace& place) override
    {
        const int64_t before = stream.GetPos();
        const uint8_t value = TCodeMemoParser::ScanTokensBefore(editor, stream, limit, styles, stylesStart, place);
        Scanned += stream.GetPos() - before;
        return value;
    }
    int64_t Scanned = 0;
};
