// The keyword trie (adding and finding words) and the streamed keyword list.
#include "editor/model/Keywords.h"

#include "editor/model/LineStore.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kDuplicateKeywordMessage = 4201;

// The smallest stream form of one listed word: a one-character short string, its group, its states
// and its value.
constexpr int64_t kListedWordMinBytes = 1 + 1 + TSM_CharGroup::kStreamSize + 32 + 4;

std::string foldWord(std::string_view word, uint8_t caseSensitive)
{
    std::string key(word);
    if (caseSensitive == 0)
        for (char& c : key)
            c = LoCaseChar(c);
    return key;
}

} // namespace

// ---------------------------------------------------------------- TKeywords

TKeywords::TKeywords()
{
    FGroups.AddGroup(TSM_CharGroup());
}

TKeywords::~TKeywords() = default;

std::unique_ptr<TSM_Base> TKeywords::NewInstance() const
{
    return std::make_unique<TKeywords>();
}

void TKeywords::Clear()
{
    FNodes.clear();
    FEnds.clear();
    FRoot = nullptr;
    FFirstChar.fill(nullptr);
    FSecondChars.fill(TStateSet());
    // Set ID 0 stays the group that restricts nothing, so an ID kept from before the clear never
    // comes to name some other group.
    FGroups.Clear();
    FGroups.AddGroup(TSM_CharGroup());
    CaseSensitive = 0;
}

void TKeywords::swapTrie(TKeywords& other) noexcept
{
    // Swapping deques hands over their blocks, so every node and end pointer stays valid.
    FNodes.swap(other.FNodes);
    FEnds.swap(other.FEnds);
    std::swap(FRoot, other.FRoot);
    std::swap(FFirstChar, other.FFirstChar);
    std::swap(FSecondChars, other.FSecondChars);
    FGroups.Swap(other.FGroups);
    std::swap(CaseSensitive, other.CaseSensitive);
}

void TKeywords::Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                    const TSM_CharGroup& group)
{
    CaseSensitive = caseSensitive;
    if (word.empty())
        return;
    std::string key = foldWord(word, caseSensitive);

    TKeywordNode** head = &FRoot;
    TKeywordNode* node = nullptr;
    for (size_t i = 0; i < key.size(); ++i) {
        auto ch = static_cast<uint8_t>(key[i]);
        TKeywordNode* prev = nullptr;
        TKeywordNode* cur = *head;
        while (cur && cur->Ch < ch) {
            prev = cur;
            cur = cur->Next;
        }
        if (cur && cur->Ch == ch) {
            node = cur;
        } else {
            node = &FNodes.emplace_back();
            node->Ch = ch;
            node->Next = cur;
            if (prev)
                prev->Next = node;
            else
                *head = node;
        }
        node->States |= states;
        if (i == 0 && !FFirstChar[ch])
            FFirstChar[ch] = node;
        if (i == 1)
            FSecondChars[static_cast<uint8_t>(key[0])].Include(ch);
        head = &node->Child;
    }

    TKeywordEnd* last = nullptr;
    for (TKeywordEnd* end = node->Ends; end; end = end->Next) {
        if (end->States.Intersects(states))
            throw EKeywords(FmtLoadStr(kDuplicateKeywordMessage, key.c_str()));
        last = end;
    }
    int32_t groupId = AddGroup(group);
    TKeywordEnd* end = &FEnds.emplace_back();
    end->States = states;
    end->Value = value;
    end->GroupID = groupId;
    if (last)
        last->Next = end;
    else
        node->Ends = end;
}

int32_t TKeywords::Match(TCustomEdStream& cursor, uint8_t caseSensitive, uint8_t forward, int64_t& start,
                         int& length) const
{
    return MatchCursor(cursor, caseSensitive, forward, start, length);
}

int32_t TKeywords::Match(TEdStream& cursor, uint8_t caseSensitive, uint8_t forward, int& startOffsetInRecord,
                         int64_t& start, int& length) const
{
    startOffsetInRecord = cursor.OffsetInRecord();
    return MatchCursor(cursor, caseSensitive, forward, start, length);
}

const TKeywordNode* TKeywords::FindWord(std::string_view word, uint8_t caseSensitive) const
{
    if (word.empty())
        return nullptr;
    std::string key = foldWord(word, caseSensitive);
    const TKeywordNode* node = FFirstChar[static_cast<uint8_t>(key[0])];
    for (size_t i = 1; node && i < key.size(); ++i) {
        auto ch = static_cast<uint8_t>(key[i]);
        node = node->Child;
        while (node && node->Ch < ch)
            node = node->Next;
        // A prefix of the word is not the word: a look-up of "cab" must not find "ca".
        if (node && node->Ch != ch)
            node = nullptr;
    }
    return node;
}

// ---------------------------------------------------------------- TSyntaxKeywords

std::unique_ptr<TSM_Base> TSyntaxKeywords::NewInstance() const
{
    return std::make_unique<TSyntaxKeywords>();
}

void TSyntaxKeywords::Clear()
{
    TKeywords::Clear();
    FWords.clear();
}

void TSyntaxKeywords::Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                          const TSM_CharGroup& group)
{
    TKeywords::Add(word, caseSensitive, value, states, group);
    FWords.push_back({word, TEndStyleObject{group, states, value}});
}

void TSyntaxKeywords::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, CaseSensitive);
    StreamWriteLong(stream, static_cast<int32_t>(FWords.size()));
    for (const auto& [word, end] : FWords) {
        StreamWriteShortStr(stream, word);
        end.Group.SaveToStream(stream);
        StreamWriteSet(stream, end.States);
        StreamWriteLong(stream, end.Value);
    }
    StreamWriteShortStr(stream, "");
}

void TSyntaxKeywords::LoadFromStream(TStream& stream)
{
    TSyntaxKeywords loaded;
    auto caseSensitive = static_cast<uint8_t>(StreamReadLong(stream));
    // The count only tells whether words follow; the empty word ends the list. It is still held
    // against the bytes that remain, which must also leave room for that terminator.
    int32_t count = StreamReadLong(stream);
    if (count >= 1) {
        int64_t room = stream.Remaining() - 1;
        if (room < 0 || count > room / kListedWordMinBytes)
            throw EReadError(Format("Invalid stream: %d keywords cannot fit in the bytes that remain", count));
        TSM_CharGroup group;
        for (;;) {
            std::string word = StreamReadShortStr(stream);
            if (word.empty())
                break;
            group.LoadFromStream(stream);
            TStateSet states = StreamReadSet(stream);
            int32_t value = StreamReadLong(stream);
            loaded.Add(word, caseSensitive, value, states, group);
        }
    } else if (StreamReadByte(stream) != 0) {
        throw EReadError("Invalid stream: keyword list without its terminator");
    }
    loaded.CaseSensitive = caseSensitive;
    swapTrie(loaded);
    FWords.swap(loaded.FWords);
}
