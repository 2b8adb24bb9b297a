// Character groups and their specification parser, the group manager, the keyword trie and its list.
#include "editor/Keywords.h"

#include <algorithm>

#include "editor/StringScanner.h"
#include "platform/SysUtils.h"

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// Reads one specification character, resolving backslash escapes.
uint8_t readSpecChar(TStringScanner& scanner, bool& escaped)
{
    escaped = false;
    char c = scanner.CurChar();
    scanner.Next();
    if (c != '\\')
        return static_cast<uint8_t>(c);
    escaped = true;
    if (scanner.AtEnd())
        return '\\';
    char e = scanner.CurChar();
    scanner.Next();
    // Values wider than a byte wrap, as they would in a character.
    if (isOctalDigit(e)) {
        unsigned value = static_cast<unsigned>(e - '0');
        while (!scanner.AtEnd() && isOctalDigit(scanner.CurChar())) {
            value = (value * 8 + static_cast<unsigned>(scanner.CurChar() - '0')) & 0xFF;
            scanner.Next();
        }
        return static_cast<uint8_t>(value);
    }
    switch (e) {
    case 'B': case 'b': return 8;
    case 'E': case 'e': return 27;
    case 'N': case 'n': return 13; // CR: a line break in the editor's text
    case 'R': case 'r': return 10;
    case 'S': case 's': return 32;
    case 'T': case 't': return 9;
    case 'X': case 'x': case 'U': case 'u': {
        unsigned value = 0;
        while (!scanner.AtEnd() && HexDigitValue(scanner.CurChar()) >= 0) {
            value = (value * 16 + static_cast<unsigned>(HexDigitValue(scanner.CurChar()))) & 0xFF;
            scanner.Next();
        }
        return static_cast<uint8_t>(value);
    }
    default: return static_cast<uint8_t>(e);
    }
}

// A character, or a range when a '-' follows it.
void addItem(TStringScanner& scanner, TSM_CharGroup& group, uint8_t c)
{
    if (scanner.AtEnd() || scanner.CurChar() != '-') {
        group.AddChar(c);
        return;
    }
    scanner.Next();
    if (scanner.AtEnd()) {
        // A dash that ends the text is a character of its own.
        group.AddChar(c);
        group.AddChar('-');
        return;
    }
    bool escaped;
    uint8_t d = readSpecChar(scanner, escaped);
    if (d < c)
        throw Exception("Characters not in correct order for range specifier");
    group.AddRange(c, d);
}

} // namespace

// ---------------------------------------------------------------- TSM_CharGroup

std::unique_ptr<TSM_Base> TSM_CharGroup::NewInstance() const
{
    return std::make_unique<TSM_CharGroup>();
}

void TSM_CharGroup::SaveToStream(TStream& stream) const
{
    StreamWriteSet(stream, Set);
    StreamWriteLong(stream, 0);
    StreamWriteByte(stream, Negated);
}

void TSM_CharGroup::LoadFromStream(TStream& stream)
{
    TStateSet set = StreamReadSet(stream);
    int32_t ranges = StreamReadLong(stream);
    // Groups never hold further ranges; another count means the stream is not one we wrote.
    if (ranges != 0)
        throw EReadError(Format("Invalid stream: character group with %d further ranges", ranges));
    uint8_t negated = StreamReadByte(stream);
    Clear();
    Set = set;
    Negated = negated;
}

void TSM_CharGroup::Clear()
{
    Set.Clear();
    Negated = 0;
    LowChar = 65535;
    HighChar = 0;
}

void TSM_CharGroup::AddRange(uint8_t lo, uint8_t hi)
{
    LowChar = std::min<uint16_t>(LowChar, lo);
    HighChar = std::max<uint16_t>(HighChar, hi);
    for (unsigned c = lo; c <= hi; ++c)
        Set.Include(static_cast<uint8_t>(c));
}

void TSM_CharGroup::AddSet(const TStateSet& set)
{
    Set |= set;
    LowChar = 0;
    HighChar = std::max<uint16_t>(HighChar, 255);
}

void TSM_CharGroup::ParseSpec(const std::string& spec, int& position)
{
    Clear();
    TStringScanner scanner(spec);
    scanner.SetPos(std::max(position, 1));
    bool inList = false;
    while (!scanner.AtEnd()) {
        bool escaped;
        uint8_t c = readSpecChar(scanner, escaped);
        if (!inList) {
            if (c == '[' && !escaped) {
                inList = true;
                if (!scanner.AtEnd() && scanner.CurChar() == '^') {
                    Negated = 1;
                    scanner.Next();
                }
                continue;
            }
            // Outside a list the specification is one character or one range; an escaped '['
            // stands for itself.
            addItem(scanner, *this, c);
            break;
        }
        if (c == ']' && !escaped)
            break;
        if (escaped && (c == '[' || c == ']'))
            AddChar(c);
        else
            addItem(scanner, *this, c);
    }
    position = scanner.Pos();
}

// ---------------------------------------------------------------- TSM_CharGroupManager

std::unique_ptr<TSM_Base> TSM_CharGroupManager::NewInstance() const
{
    return std::make_unique<TSM_CharGroupManager>();
}

int32_t TSM_CharGroupManager::AddGroup(const TSM_CharGroup& group)
{
    for (size_t i = 0; i < FGroups.size(); ++i)
        if (FGroups[i].Equals(group))
            return static_cast<int32_t>(i);
    FGroups.push_back(group);
    return static_cast<int32_t>(FGroups.size() - 1);
}

const TSM_CharGroup& TSM_CharGroupManager::GetGroup(int32_t id) const
{
    if (id < 0 || id >= Count())
        throw ECodeMemo(Format("Invalid Set ID (%d)", id));
    return FGroups[static_cast<size_t>(id)];
}

void TSM_CharGroupManager::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, Count());
    for (const TSM_CharGroup& group : FGroups)
        group.SaveToStream(stream);
}

void TSM_CharGroupManager::LoadFromStream(TStream& stream)
{
    const int64_t groupBytes = 32 + 4 + 1;
    int32_t count = StreamReadCount(stream, groupBytes);
    TSM_CharGroupManager loaded;
    TSM_CharGroup scratch;
    for (int32_t i = 0; i < count; ++i) {
        scratch.LoadFromStream(stream);
        loaded.AddGroup(scratch);
    }
    FGroups.swap(loaded.FGroups);
}

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
    FGroups.Clear();
    CaseSensitive = 0;
}

void TKeywords::swapTrie(TKeywords& other)
{
    // Swapping deques moves their blocks, so every node and end pointer stays valid.
    FNodes.swap(other.FNodes);
    FEnds.swap(other.FEnds);
    std::swap(FRoot, other.FRoot);
    std::swap(FFirstChar, other.FFirstChar);
    std::swap(FGroups, other.FGroups);
    std::swap(CaseSensitive, other.CaseSensitive);
}

void TKeywords::Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                    const TSM_CharGroup& group)
{
    CaseSensitive = caseSensitive;
    if (word.empty())
        return;
    std::string key = word;
    if (caseSensitive == 0)
        for (char& c : key)
            c = LoCaseChar(c);

    TKeywordNode** head = &FRoot;
    TKeywordNode* node = nullptr;
    for (size_t i = 0; i < key.size(); ++i) {
        uint8_t ch = static_cast<uint8_t>(key[i]);
        TKeywordNode* prev = nullptr;
        TKeywordNode* cur = *head;
        while (cur && static_cast<uint8_t>(cur->Ch) < ch) {
            prev = cur;
            cur = cur->Next;
        }
        if (cur && static_cast<uint8_t>(cur->Ch) == ch) {
            node = cur;
        } else {
            node = &FNodes.emplace_back();
            node->Ch = key[i];
            node->Next = cur;
            if (prev)
                prev->Next = node;
            else
                *head = node;
        }
        node->States |= states;
        if (i == 0 && !FFirstChar[ch])
            FFirstChar[ch] = node;
        head = &node->Child;
    }

    TKeywordEnd* last = nullptr;
    for (TKeywordEnd* end = node->Ends; end; end = end->Next) {
        if (end->States.Intersects(states))
            throw EKeywords(Format("Duplicate keyword - '%s'", key.c_str()));
        last = end;
    }
    TKeywordEnd* end = &FEnds.emplace_back();
    end->States = states;
    end->Value = value;
    end->GroupID = AddGroup(group);
    if (last)
        last->Next = end;
    else
        node->Ends = end;
}

TKeywordNode* TKeywords::FindWord(const std::string& word, uint8_t caseSensitive) const
{
    if (word.empty())
        return nullptr;
    auto fold = [caseSensitive](char c) { return caseSensitive == 0 ? LoCaseChar(c) : c; };
    TKeywordNode* node = FFirstChar[static_cast<uint8_t>(fold(word[0]))];
    for (size_t i = 1; node && i < word.size(); ++i) {
        uint8_t ch = static_cast<uint8_t>(fold(word[i]));
        TKeywordNode* child = node->Child;
        while (child && static_cast<uint8_t>(child->Ch) < ch)
            child = child->Next;
        if (!child || static_cast<uint8_t>(child->Ch) != ch)
            break;
        node = child;
    }
    return node;
}

// ---------------------------------------------------------------- TSyntaxKeywords

std::unique_ptr<TSM_Base> TSyntaxKeywords::NewInstance() const
{
    return std::make_unique<TSyntaxKeywords>();
}

void TSyntaxKeywords::Add(const std::string& word, uint8_t caseSensitive, int32_t value, const TStateSet& states,
                          const TSM_CharGroup& group)
{
    // The word is listed only once the trie took it, so a refused word leaves no trace in the list.
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
    loaded.Clear();
    uint8_t caseSensitive = static_cast<uint8_t>(StreamReadLong(stream));
    // The count only tells whether words follow; the empty terminator ends the list.
    int32_t count = StreamReadLong(stream);
    if (count >= 1) {
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
    } else if (!StreamReadShortStr(stream).empty()) {
        throw EReadError("Invalid stream: keyword list without its terminator");
    }
    loaded.CaseSensitive = caseSensitive;
    swapTrie(loaded);
    FWords.swap(loaded.FWords);
}
