// The scanner's fourteen built-in recognisers and the start sets of the tokens they begin.
#pragma once

#include <cstdint>

#include "editor/model/StateSet.h"
#include "platform/core/CharacterReferences.h"

class TCustomEdStream;
class TRecordCursor;

// The character the scanner reads for one of the text: a held character's mark as the "&" it shows
// as, so that the character is coloured as the reference the author sees.
inline uint8_t ScannedChar(char c)
{
    return static_cast<uint8_t>(c == kHeldCharacterMark ? '&' : c);
}

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

#include <cstdint>
#include <string_view>

// What the scanner learned from a failed recogniser during one highlighting run. The mail
// recogniser reads a whole run of mail characters before it fails for want of an "@"; any start
// inside that run reads the rest of it and fails too, so such starts fail at once. Without this a
// run of n letters, each of which may start an address, costs n * n reads. The text does not change
// during a run; the scanner clears the memo when it is reset for the next one, and when it is given
// another stream (Stream, which only the scanner reads).
struct TRecogniserMemo {
    const void* Stream = nullptr;
    int64_t FailedFrom = -1; // a failed start...
    int64_t FailedTo = -1;   // ...and the end of the run it read
    void Clear() { *this = {}; }
};

// Runs recogniser `index` at the cursor. What it consumes is added to `length`, one per character
// actually passed. On failure the cursor and `length` are as they were on entry, whatever the
// recogniser did on the way. An index outside 7..20 is a failed match. `memo`, when given, lets a
// start that must fail fail without reading. The cursor is a TCustomEdStream, read through its
// virtual operations, or a TRecordCursor, read directly.
template <class C>
bool RunRecogniser(int index, C& cursor, int& length, TRecogniserMemo* memo = nullptr);

// The run of characters the mail and address recogniser reads from the start of `text`: its length,
// and whether it holds an "@", without which the recogniser fails.
size_t MailRunLength(std::string_view text, bool& holdsAt);

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
