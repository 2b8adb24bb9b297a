// The compiled tables of a highlighting language: element, handler, start and token-state records,
// start tables, and the run-time stack of state sets.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/model/StateSet.h"

// One matching step of a handler or start record. Which fields count depends on the element's role:
//  - a start or repeat element is a character element (GroupID) or a procedure element; its Flag is
//    the optional flag ("?" in the script);
//  - a body or terminator element is a procedure element or a character element matching Count
//    characters, the i-th against GroupIDs[i]; its Flag is the use flag (1: the matched characters
//    belong to the token, 0: they are only looked at).
// A procedure element names a built-in recogniser through ProcID, or, with CustomFlag 1, the
// n of "match(n)", which only the OnCustomParse handler recognises.
struct TElementRec {
    static constexpr int kMaxGroups = 4;

    uint8_t Flag = 0;
    uint16_t GroupID = 0;
    uint8_t ProcFlag = 0; // 0: character element, otherwise procedure element
    uint8_t Count = 0;
    std::array<uint16_t, kMaxGroups> GroupIDs{};
    uint8_t CustomFlag = 0;
    int32_t ProcID = 0;

    bool IsProcedure() const { return ProcFlag != 0; }
    bool IsCustom() const { return ProcFlag != 0 && CustomFlag != 0; }
    // An absent body or terminator matches at once without consuming anything.
    bool IsPresent() const { return ProcFlag != 0 || Count > 0; }
    // The groups a character body matches; a count beyond the four ids a record holds is cut.
    int GroupCount() const { return Count < kMaxGroups ? Count : kMaxGroups; }
};

// Extends a keyword token: one or more start matches then the body (zero or more when the start is
// optional); without a body exactly one start match.
struct THandlerRec {
    TElementRec Start;
    TElementRec Body;
};

// How a token begins with one character: the head, the states it may begin in, then repeats up to
// the terminator. A head that is a procedure element is a built-in start (recogniser 10..20) and
// makes Repeat and Terminator unused.
struct TStartRec {
    TElementRec Start;
    TStateSet ValidIn;
    TElementRec Repeat;
    TElementRec Terminator;
    uint8_t TokenValue = 0;
};

// A range of start characters with its own copy of the start record. The compiler keeps them for
// groups that carry ranges; the scanner indexes by character and never needs them.
struct TRangeNode {
    uint16_t Low = 0;
    uint16_t High = 0;
    TStartRec Record;
};

// Start records by first character, plus the range chain.
struct TStartTable {
    std::array<std::unique_ptr<TStartRec>, 256> Records;
    std::vector<TRangeNode> Ranges;

    // Slot `ch`, made empty-valued when it holds no record yet.
    TStartRec& Ensure(uint8_t ch);
    void Clear();
};

// Stack actions of a token-state record, applied around its enter and leave sets.
enum : uint8_t {
    saPushBefore = 1,
    saPopBefore = 2,
    saPushAfter = 4,
    saPopAfter = 8,
};

// How a token moves the scanner between states. Streamed as its 99 bytes in field order.
struct TTokenStateRec {
    TStateSet ValidIn{0};
    TStateSet Enter;
    TStateSet Leave;
    uint8_t Container = 0;     // 1: the token is a container whose content is scanned again
    uint8_t NoStateChange = 1; // 1: Enter and Leave are both empty
    uint8_t StackAction = 0;   // saPushBefore | saPopBefore | saPushAfter | saPopAfter
};

// A stack of state sets for "push" and "pop" tokens. Frames are held by value in one vector whose
// capacity survives Clear, so pushing on the highlighting path allocates only when the nesting goes
// deeper than it ever went before.
class TRTStack {
public:
    TRTStack() { FFrames.reserve(kInitialDepth); }

    void PushStates(const TStateSet& states) { FFrames.push_back(states); }
    // Copies the top frame into `states` and drops it. An empty stack leaves `states` alone and
    // returns false: the stack is emptied at every restart point, so a "pop" token may well come
    // before its "push" when highlighting restarts inside a construct.
    bool PopStates(TStateSet& states);
    size_t Count() const { return FFrames.size(); }
    bool Empty() const { return FFrames.empty(); }
    void Clear() { FFrames.clear(); }
    template <class Visit> void ForEachFrame(Visit&& visit) const
    {
        for (const TStateSet& frame : FFrames)
            visit(frame);
    }

private:
    // Deep enough for the nesting of ordinary pages, so most documents never grow the vector.
    static constexpr size_t kInitialDepth = 32;
    std::vector<TStateSet> FFrames;
};

// Everything a compiled language holds besides its keyword table and settings. The compiler and the
// tables stream fill it; the scanner only reads it.
struct TParserTables {
    TStartTable DefaultStartTable;
    std::array<std::unique_ptr<TStartTable>, 256> InStateTables;
    std::array<std::unique_ptr<THandlerRec>, 256> Handlers;
    std::array<std::unique_ptr<TTokenStateRec>, 256> TokenStates;
    // The states a scan restarted after a token of each value begins in; empty: StartStates.
    std::array<TStateSet, 256> ContextStates;
    TStateSet AnchorStates{0};  // token values at which highlighting may restart
    TStateSet BoundStates;      // states of constructs that may span lines
    TStateSet StartStates{0};
    TStateSet InStateOwners;    // states that own an InState table
    uint8_t NoInState = 1;      // 1: no InState table is consulted
    uint8_t MatchUsed = 0;      // 1: some element is "match(n)"
    uint8_t CaseFlag = 0;       // the language's case sensitivity for keywords

    // Back to an empty language: no records, start and anchor sets {0}, no InState table.
    void Clear();
    // The InState table of `state`, made (and its owner recorded) when missing. The no-InState flag
    // is left to the caller, which sets it once all tables are made (UpdateNoInState).
    TStartTable& EnsureInStateTable(uint8_t state);
    void UpdateNoInState() { NoInState = InStateOwners.IsEmpty() ? 1 : 0; }
    // The handler record of `token`, made empty when missing.
    THandlerRec& EnsureHandler(uint8_t token);
    // The token-state record of `token`, made with the defaults (valid in {0}, no state change)
    // when missing.
    TTokenStateRec& EnsureTokenState(uint8_t token);
};
