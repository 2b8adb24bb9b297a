// The keyword trie matched against the editor text, and the keyword list that streams it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/model/CharGroups.h"
#include "editor/model/Settings.h"
#include "editor/model/StateSet.h"
#include "editor/model/StreamPrims.h"

class TCustomEdStream;
class TEdStream;

class EKeywords : public Exception { using Exception::Exception; };

// One way a word can end at a trie node: the states it is valid in, the group the character after
// the word must belong to, and the token value it yields.
struct TKeywordEnd {
    TStateSet States;
    int32_t GroupID = 0;
    int32_t Value = 0;
    TKeywordEnd* Next = nullptr;
};

struct TKeywordNode {
    uint8_t Ch = ' ';
    TKeywordNode* Next = nullptr;  // next sibling; siblings ascend by Ch
    TKeywordNode* Child = nullptr; // head of the level below
    TKeywordEnd* Ends = nullptr;   // the words that end here, in the order they were added
    TStateSet States;              // union of the states of every word through this node
};

// A character trie of words, each valid in a set of scanner states. Matching walks it directly over
// the editor text through a character cursor, one character per level, and prunes every branch that
// holds no word valid in CurrentStates.
class TKeywords : public TSM_Base {
public:
    TKeywords();
    ~TKeywords() override;
    TKeywords(const TKeywords&) = delete;
    TKeywords& operator=(const TKeywords&) = delete;

    const char* ClassName() const override { return "TKeywords"; }
    // Frees every word. The group manager is emptied down to the empty group, which keeps set ID 0.
    virtual void Clear();
    // Adds `word`, lower-cased when caseSensitive is 0 (the flag is kept in CaseSensitive). An empty
    // word adds nothing. Raises EKeywords "Duplicate keyword - '%s'" when the word already ends in a
    // state set that overlaps `states`; the nodes made on the way stay.
    virtual void Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                     const TSM_CharGroup& group);

    // Matches the longest word valid in CurrentStates at the cursor, reading forward (forward 1) or,
    // for reversed words, backward from the cursor (forward 0). A word counts only when one of its
    // entries valid in CurrentStates accepts the character after it, as it stands in the text (the
    // entry's group is empty or contains it); the first such entry gives the value. Before the text
    // start and at its end there is no character; the groups see it as 0.
    // On a match: the result is the word's value, the cursor stands after the word (before it when
    // backward), `start` is where the cursor was and `length` the word's length. Otherwise the result
    // is 0, the cursor stands one character after `start` and `length` is 1.
    int32_t Match(TCustomEdStream& cursor, uint8_t caseSensitive, uint8_t forward, int64_t& start,
                  int& length) const;
    // The same over the editor's cursor, giving also the cursor's offset inside its record at `start`.
    int32_t Match(TEdStream& cursor, uint8_t caseSensitive, uint8_t forward, int& startOffsetInRecord,
                  int64_t& start, int& length) const;
    // The same over any cursor with CurrentChar, GetPos, SetPos, AtEnd, Next and Prev as
    // TCustomEdStream has them, such as a cursor over a plain string.
    template <class TCursor>
    int32_t MatchCursor(TCursor& cursor, uint8_t caseSensitive, uint8_t forward, int64_t& start,
                        int& length) const;

    // The forward match over `text`, the characters from a cursor on that the caller can read
    // directly: the same value and length as MatchCursor there (a miss gives 0 and length 1). False,
    // with nothing decided, when the match needs the character after `text`; the caller then
    // leaves it to MatchCursor.
    bool MatchSpan(std::string_view text, uint8_t caseSensitive, int32_t& value, int& length) const;

    // False when no word valid in CurrentStates begins with `c` (folded when caseSensitive is 0): a
    // forward match at `c` then fails at once, and a scanner may skip it.
    bool MayBeginWith(char c, uint8_t caseSensitive) const
    {
        const TKeywordNode* node = FFirstChar[static_cast<uint8_t>(caseSensitive == 0 ? LoCaseChar(c) : c)];
        return node && node->States.Intersects(CurrentStates);
    }

    // The node at which `word` (lower-cased when caseSensitive is 0) ends, nullptr when the trie does
    // not hold the whole word as a path. Callers test its Ends.
    const TKeywordNode* FindWord(std::string_view word, uint8_t caseSensitive) const;

    int32_t AddGroup(const TSM_CharGroup& group) { return FGroups.AddGroup(group); }
    TSM_CharGroupManager& Groups() { return FGroups; }
    const TSM_CharGroupManager& Groups() const { return FGroups; }

    // True when some word valid in one of `states` yields token value `value`.
    bool YieldsValue(int32_t value, const TStateSet& states) const
    {
        for (const TKeywordEnd& end : FEnds)
            if (end.Value == value && end.States.Intersects(states))
                return true;
        return false;
    }
    // The head (smallest character) of the first level, and the first-level node of each character.
    const TKeywordNode* Root() const { return FRoot; }
    const TKeywordNode* FirstChar(uint8_t c) const { return FFirstChar[c]; }

    uint8_t CaseSensitive = 0; // the flag of the latest Add
    TStateSet CurrentStates;   // the scanner states in force; the scanner sets it before each match

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    // Exchanges the words, groups and case flag (not CurrentStates) with another trie.
    void swapTrie(TKeywords& other) noexcept;

private:
    // The first end entry of `node` valid in CurrentStates whose group accepts `follow`.
    const TKeywordEnd* acceptedEnd(const TKeywordNode* node, uint8_t follow) const;

    // Nodes and ends live in deques: addresses stay put as the trie grows and Clear frees them at once.
    std::deque<TKeywordNode> FNodes;
    std::deque<TKeywordEnd> FEnds;
    TKeywordNode* FRoot = nullptr;
    std::array<TKeywordNode*, 256> FFirstChar{};
    // The characters that follow each first character in some word: most words read in a text
    // leave the trie at their second character, which this tells without walking the level.
    std::array<TStateSet, 256> FSecondChars{};
    TSM_CharGroupManager FGroups;
};

// What a listed word was added with.
struct TEndStyleObject {
    TSM_CharGroup Group;
    TStateSet States;
    int32_t Value = 0;
};

// A trie that also lists its words in the order they were added, so that it can be streamed.
class TSyntaxKeywords : public TKeywords {
public:
    const char* ClassName() const override { return "TSyntaxKeywords"; }
    void Clear() override;
    // The word is listed only when the trie took it, so a refused word is not written out later.
    void Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
             const TSM_CharGroup& group) override;
    // int32 case flag, int32 word count, per word its short string, group (37 bytes), 32 state bytes
    // and int32 value, then an empty short string.
    void SaveToStream(TStream& stream) const override;
    // Raises EReadError for a stream that ends early or whose count the remaining bytes cannot hold,
    // and EKeywords for a repeated word; the words stay as they were in both cases.
    void LoadFromStream(TStream& stream) override;

    int WordCount() const { return static_cast<int>(FWords.size()); }
    const std::string& Word(int index) const { return FWords.at(static_cast<size_t>(index)).first; }
    const TEndStyleObject& WordEnd(int index) const { return FWords.at(static_cast<size_t>(index)).second; }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    std::vector<std::pair<std::string, TEndStyleObject>> FWords;
};

// ---------------------------------------------------------------- matching

inline const TKeywordEnd* TKeywords::acceptedEnd(const TKeywordNode* node, uint8_t follow) const
{
    for (const TKeywordEnd* end = node->Ends; end; end = end->Next) {
        if (!end->States.Intersects(CurrentStates))
            continue;
        const TSM_CharGroup& group = FGroups.GetGroup(end->GroupID);
        if (group.IsEmpty() || group.Contains(follow))
            return end;
    }
    return nullptr;
}

inline bool TKeywords::MatchSpan(std::string_view text, uint8_t caseSensitive, int32_t& value, int& length) const
{
    const bool fold = caseSensitive == 0;
    auto key = [fold](char c) { return static_cast<uint8_t>(fold ? LoCaseChar(c) : c); };
    value = 0;
    length = 1;
    if (text.empty())
        return false;
    size_t position = 0;
    const uint8_t first = key(text[0]);
    uint8_t c = first;
    const TKeywordNode* node = FFirstChar[c];
    while (node && node->Ch == c && node->States.Intersects(CurrentStates)) {
        if (++position >= text.size())
            return false;
        const char follow = text[position];
        if (node->Ends) {
            if (const TKeywordEnd* end = acceptedEnd(node, static_cast<uint8_t>(follow))) {
                value = end->Value;
                length = static_cast<int>(position);
            }
        }
        c = key(follow);
        if (position == 1 && !FSecondChars[first].Contains(c))
            break;
        node = node->Child;
        while (node && node->Ch < c)
            node = node->Next;
    }
    if (value == 0)
        length = 1;
    return true;
}

template <class TCursor>
int32_t TKeywords::MatchCursor(TCursor& cursor, uint8_t caseSensitive, uint8_t forward, int64_t& start,
                               int& length) const
{
    const bool fold = caseSensitive == 0;
    auto key = [fold](char c) { return static_cast<uint8_t>(fold ? LoCaseChar(c) : c); };

    start = cursor.GetPos();
    // The logical position runs to -1 when a backward walk passes the first character, where the
    // cursor itself cannot go; the walk then stops rather than read that character twice.
    int64_t position = start;
    bool boundary = forward != 0 && cursor.AtEnd();
    bool found = false;
    int32_t value = 0;
    int64_t matchEnd = start;

    uint8_t c = key(cursor.CurrentChar());
    const TKeywordNode* node = boundary ? nullptr : FFirstChar[c];
    while (node && node->Ch == c && node->States.Intersects(CurrentStates)) {
        if (forward != 0) {
            cursor.Next();
            ++position;
            boundary = cursor.AtEnd();
        } else if (position == 0) {
            --position;
            boundary = true;
        } else {
            cursor.Prev();
            --position;
        }
        char follow = boundary ? '\0' : cursor.CurrentChar();
        if (node->Ends) {
            if (const TKeywordEnd* end = acceptedEnd(node, static_cast<uint8_t>(follow))) {
                found = true;
                value = end->Value;
                matchEnd = position;
            }
        }
        if (boundary)
            break;
        c = key(follow);
        node = node->Child;
        while (node && node->Ch < c)
            node = node->Next;
    }

    if (!found) {
        // Most misses fail on the first character, before the cursor has moved.
        if (position != start)
            cursor.SetPos(start);
        cursor.Next();
        length = 1;
        return 0;
    }
    if (forward != 0) {
        cursor.SetPos(matchEnd);
        length = static_cast<int>(matchEnd - start);
    } else {
        cursor.SetPos(matchEnd < 0 ? 0 : matchEnd);
        length = static_cast<int>(start - matchEnd);
    }
    return value;
}
