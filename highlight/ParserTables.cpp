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

void TRTStack::PushStates(const TStateSet& states)
{
    auto frame = std::make_unique<TStateSet>(states);
    Push(frame.get(), sizeof(TStateSet));
    frame.release();
}

bool TRTStack::PopStates(TStateSet& states)
{
    if (Empty())
        return false;
    std::unique_ptr<TStateSet> frame(static_cast<TStateSet*>(Pop()));
    states = *frame;
    return true;
}

void TRTStack::FreeFrame(void* frame) { delete static_cast<TStateSet*>(frame); }

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
