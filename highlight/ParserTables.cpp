// The compiled tables of a highlighting language and the run-time stack of state sets.
#include "highlight/ParserTables.h"

TStartRec& TStartTable::Ensure(uint8_t ch)
{
    if (!Records[ch])
        Records[ch] = std::make_unique<TStartRec>();
    return *Records[ch];
}

void TStartTable::Clear()
{
    for (auto& record : Records)
        record.reset();
    Ranges.clear();
}

bool TRTStack::PopStates(TStateSet& states)
{
    if (FFrames.empty())
        return false;
    states = FFrames.back();
    FFrames.pop_back();
    return true;
}

void TParserTables::Clear()
{
    DefaultStartTable.Clear();
    for (auto& table : InStateTables)
        table.reset();
    for (auto& handler : Handlers)
        handler.reset();
    for (auto& record : TokenStates)
        record.reset();
    for (auto& states : ContextStates)
        states.Clear();
    AnchorStates = TStateSet{0};
    BoundStates.Clear();
    StartStates = TStateSet{0};
    InStateOwners.Clear();
    NoInState = 1;
    MatchUsed = 0;
    CaseFlag = 0;
}

TStartTable& TParserTables::EnsureInStateTable(uint8_t state)
{
    if (!InStateTables[state])
        InStateTables[state] = std::make_unique<TStartTable>();
    InStateOwners.Include(state);
    return *InStateTables[state];
}

THandlerRec& TParserTables::EnsureHandler(uint8_t token)
{
    if (!Handlers[token])
        Handlers[token] = std::make_unique<THandlerRec>();
    return *Handlers[token];
}

TTokenStateRec& TParserTables::EnsureTokenState(uint8_t token)
{
    if (!TokenStates[token])
        TokenStates[token] = std::make_unique<TTokenStateRec>();
    return *TokenStates[token];
}
