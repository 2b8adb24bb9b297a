// Character groups and their bracket specifications, the keyword trie, and the streamable keyword list.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "editor/Settings.h"
#include "editor/StateSet.h"

class EKeywords : public ECodeMemo { using ECodeMemo::ECodeMemo; };

// A set of characters, possibly negated. A group whose set is empty restricts nothing.
class TSM_CharGroup : public TSM_Base {
public:
    TSM_CharGroup() = default;
    TSM_CharGroup(const TSM_CharGroup&) = default;
    TSM_CharGroup& operator=(const TSM_CharGroup&) = default;

    const char* ClassName() const override { return "TSM_CharGroup"; }
    // 32 bytes of set, a 4-byte count of further ranges (always 0) and the negation byte.
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    void Clear();
    void AddRange(uint8_t lo, uint8_t hi);
    void AddChar(uint8_t c) { AddRange(c, c); }
    void AddSet(const TStateSet& set);
    bool Contains(uint8_t c) const { return Set.Contains(c) != (Negated != 0); }
    bool IsEmpty() const { return Set.IsEmpty(); }
    bool Equals(const TSM_CharGroup& other) const { return Set == other.Set && Negated == other.Negated; }

    // Reads a specification such as "[a-z_]", "[^0-9]", "\t" or "x-z" starting at the 1-based
    // `position`, which is left just past what was read. The group is cleared first. A descending
    // range raises Exception "Characters not in correct order for range specifier".
    void ParseSpec(const std::string& spec, int& position);

    TStateSet Set;
    uint8_t Negated = 0;
    uint16_t LowChar = 65535; // lowest and highest character ever added
    uint16_t HighChar = 0;

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
};

// Keeps each distinct group once; a group's index is its set ID.
class TSM_CharGroupManager : public TSM_Base {
public:
    const char* ClassName() const override { return "TSM_CharGroupManager"; }
    void SaveToStream(TStream& stream) const override;
    // Equal groups in the stream collapse into one ID.
    void LoadFromStream(TStream& stream) override;

    // The ID of an equal registered group, or of a new copy of `group`.
    int32_t AddGroup(const TSM_CharGroup& group);
    // Raises ECodeMemo "Invalid Set ID (%d)" for an ID that is not registered. The reference is valid
    // until the next AddGroup.
    const TSM_CharGroup& GetGroup(int32_t id) const;
    int32_t Count() const { return static_cast<int32_t>(FGroups.size()); }
    void Clear() { FGroups.clear(); }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    std::vector<TSM_CharGroup> FGroups;
};

// One way a word can end at a trie node: the states it is valid in, the group the following
// character must belong to and the token value it yields.
struct TKeywordEnd {
    TStateSet States;
    int32_t GroupID = 0;
    int32_t Value = 0;
    TKeywordEnd* Next = nullptr;
};

struct TKeywordNode {
    char Ch = ' ';
    TKeywordNode* Next = nullptr;  // next sibling; siblings ascend by Ch
    TKeywordNode* Child = nullptr; // head of the level below
    TKeywordEnd* Ends = nullptr;
    TStateSet States; // union of the states of every word through this node
};

// A character trie of words, each valid in a set of scanner states.
class TKeywords : public TSM_Base {
public:
    TKeywords();
    ~TKeywords() override;
    TKeywords(const TKeywords&) = delete;
    TKeywords& operator=(const TKeywords&) = delete;

    const char* ClassName() const override { return "TKeywords"; }
    // Frees every node; the group manager is emptied without registering the empty group again.
    void Clear();
    // Adds `word` (lower-cased when caseSensitive is 0). Raises EKeywords "Duplicate keyword - '%s'"
    // when the word already ends in an overlapping state set; nodes made on the way stay.
    virtual void Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                     const TSM_CharGroup& group);
    // The deepest node reached along `word`; callers test its Ends. nullptr for an empty word or an
    // unknown first character.
    TKeywordNode* FindWord(const std::string& word, uint8_t caseSensitive) const;
    int32_t AddGroup(const TSM_CharGroup& group) { return FGroups.AddGroup(group); }
    const TSM_CharGroupManager& Groups() const { return FGroups; }

    TKeywordNode* Root() const { return FRoot; }
    TKeywordNode* FirstChar(uint8_t c) const { return FFirstChar[c]; }

    uint8_t CaseSensitive = 0; // the flag of the latest Add
    TStateSet CurrentStates;   // the scanner states in force

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    // Exchanges the words (not CurrentStates) with another trie.
    void swapTrie(TKeywords& other);

private:
    std::deque<TKeywordNode> FNodes; // a deque keeps node addresses stable as it grows
    std::deque<TKeywordEnd> FEnds;
    TKeywordNode* FRoot = nullptr;
    std::array<TKeywordNode*, 256> FFirstChar{};
    TSM_CharGroupManager FGroups;
};

// What a word of a TSyntaxKeywords list was added with.
struct TEndStyleObject {
    TSM_CharGroup Group;
    TStateSet States;
    int32_t Value = 0;
};

// A trie that also lists its words so that it can be written to a stream.
class TSyntaxKeywords : public TKeywords {
public:
    const char* ClassName() const override { return "TSyntaxKeywords"; }
    void Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
             const TSM_CharGroup& group) override;
    // The case flag, the word count, per word its short string, group, states and value, then an
    // empty short string.
    void SaveToStream(TStream& stream) const override;
    // Reads into a scratch list first: a stream that fails leaves the words as they were.
    void LoadFromStream(TStream& stream) override;

    int WordCount() const { return static_cast<int>(FWords.size()); }
    const std::string& Word(int index) const { return FWords.at(static_cast<size_t>(index)).first; }
    const TEndStyleObject& WordEnd(int index) const { return FWords.at(static_cast<size_t>(index)).second; }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    std::vector<std::pair<std::string, TEndStyleObject>> FWords;
};
