// Test helpers that build a parser's tables directly, entry by entry, as the script compiler would.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "highlight/CodeMemoParser.h"
#include "highlight/Recognisers.h"

// The id of the group that `spec` (such as "[a-z]") describes, registered with the parser.
inline uint16_t group(TCodeMemoParser& parser, const std::string& spec)
{
    TSM_CharGroup g;
    int position = 1;
    g.ParseSpec(spec, position);
    return static_cast<uint16_t>(parser.Keywords().AddGroup(g));
}

inline TElementRec charElement(uint16_t groupId, uint8_t flag = 0)
{
    TElementRec e;
    e.GroupID = groupId;
    e.Flag = flag;
    return e;
}

inline TElementRec bodyElement(std::initializer_list<uint16_t> groups, uint8_t use)
{
    TElementRec e;
    e.Flag = use;
    for (uint16_t id : groups)
        e.GroupIDs[e.Count++] = id;
    return e;
}

inline TElementRec procElement(int32_t id, uint8_t flag = 0, bool custom = false)
{
    TElementRec e;
    e.ProcFlag = 1;
    e.ProcID = id;
    e.Flag = flag;
    e.CustomFlag = custom ? 1 : 0;
    return e;
}

// A built-in start for every character of the recogniser's start set, as the compiler makes it.
inline void builtinStart(TCodeMemoParser& parser, TStartTable& table, int recogniser, uint8_t token,
                  TStateSet validIn = TStateSet{0})
{
    TSM_CharGroup g;
    g.AddSet(RecogniserStartSet(recogniser));
    const auto groupId = static_cast<uint16_t>(parser.Keywords().AddGroup(g));
    for (int c = 0; c < 256; ++c) {
        if (!RecogniserStartSet(recogniser).Contains(static_cast<uint8_t>(c)))
            continue;
        TStartRec& record = table.Ensure(static_cast<uint8_t>(c));
        record.Start = procElement(recogniser);
        record.Start.GroupID = groupId;
        record.ValidIn = validIn;
        record.TokenValue = token;
    }
}

// A start on the characters of `head` with a repeat and a terminator.
inline void charStart(TCodeMemoParser& parser, TStartTable& table, const std::string& head, uint8_t token,
               const TElementRec& repeat, const TElementRec& terminator, TStateSet validIn = TStateSet{0})
{
    const uint16_t headGroup = group(parser, head);
    const TSM_CharGroup& g = parser.Keywords().Groups().GetGroup(headGroup);
    for (int c = 0; c < 256; ++c) {
        if (!g.Contains(static_cast<uint8_t>(c)))
            continue;
        TStartRec& record = table.Ensure(static_cast<uint8_t>(c));
        record.Start = charElement(headGroup);
        record.ValidIn = validIn;
        record.Repeat = repeat;
        record.Terminator = terminator;
        record.TokenValue = token;
    }
}

// The token-state record of `token`, as the states and containers sections fill it.
inline TTokenStateRec& stateRecord(TParserTables& tables, uint8_t token, TStateSet validIn, TStateSet enter = {},
                            TStateSet leave = {}, uint8_t stackAction = 0)
{
    TTokenStateRec& record = tables.EnsureTokenState(token);
    record.ValidIn = validIn;
    record.Enter = enter;
    record.Leave = leave;
    record.NoStateChange = enter.IsEmpty() && leave.IsEmpty() ? 1 : 0;
    record.StackAction = stackAction;
    return record;
}
