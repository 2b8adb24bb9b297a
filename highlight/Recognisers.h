// The scanner's fourteen built-in recognisers and the start sets of the tokens they begin.
#pragma once

#include "editor/model/StateSet.h"

class TCustomEdStream;

// Indexes of the built-in recognisers. A built-in start names its recogniser directly (10..20);
// a procedure id n of any other element names recogniser n + kProcedureIdOffset, so ids 0..13 reach
// 7..20.
enum TRecogniserIndex : int {
    riPascalChar = 7,
    riWebChar = 8,
    riOriginalChar = 9,
    riStdIdentifier = 10,
    riStdNumberOrFP = 11,
    riStdPascalString = 12,
    riStdCString = 13,
    riStdCChar = 14,
    riStdCNumberOrFPSigned = 15,
    riStdNumber = 16,
    riStdMailURL = 17,
    riStdHTMLString = 18,
    riStdJSLineComment = 19,
    riStdCStringSQ = 20,
};
constexpr int kFirstRecogniser = riPascalChar;
constexpr int kLastRecogniser = riStdCStringSQ;
constexpr int kFirstBuiltinStart = riStdIdentifier;
constexpr int kProcedureIdOffset = 7;

// Runs recogniser `index` at the cursor. What it consumes is added to `length`, one per character
// actually passed. On failure the cursor and `length` are as they were on entry, whatever the
// recogniser did on the way. An index outside 7..20 is a failed match.
bool RunRecogniser(int index, TCustomEdStream& cursor, int& length);

// The recogniser that a procedure id of a repeat, body, terminator or non-built-in handler start
// names, or 0 when the id names none.
inline int RecogniserOfProcedure(int32_t procedureId)
{
    return procedureId >= 0 && procedureId <= kLastRecogniser - kProcedureIdOffset
               ? procedureId + kProcedureIdOffset
               : 0;
}

// The characters that may begin a token whose head is built-in start `index` (10..20); the compiler
// registers it as the head's group. Empty for any other index.
TStateSet RecogniserStartSet(int index);
