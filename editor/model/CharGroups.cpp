// Character groups: the set operations, the group-text parser, the stream form and the manager.
#include "editor/model/CharGroups.h"

#include <algorithm>

#include "editor/model/StreamPrims.h"
#include "editor/model/StringScanner.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidSetIdMessage = 4199;
constexpr int kRangeOrderMessage = 4200;

int octalDigitValue(char c)
{
    return (c >= '0' && c <= '7') ? c - '0' : -1;
}

// Reads digits of one base for as long as the value still fits in a byte; the first digit is read.
uint8_t readByteNumber(TStringScanner& scanner, int value, int base, int (*digitValue)(char))
{
    while (!scanner.AtEnd()) {
        int digit = digitValue(scanner.CurChar());
        if (digit < 0 || value * base + digit > 255)
            break;
        value = value * base + digit;
        scanner.Next();
    }
    return static_cast<uint8_t>(value);
}

// Adds `c`, or the range from `c` to the next spec character when a '-' follows.
void addCharOrRange(TStringScanner& scanner, TSM_CharGroup& group, uint8_t c)
{
    if (scanner.AtEnd() || scanner.CurChar() != '-') {
        group.AddChar(c);
        return;
    }
    scanner.Next();
    if (scanner.AtEnd()) {
        // Nothing to end the range with: the dash is a character of its own.
        group.AddChar(c);
        group.AddChar('-');
        return;
    }
    bool escaped;
    uint8_t d = TSM_CharGroup::ReadSpecChar(scanner, escaped);
    if (d < c)
        throw Exception(LoadResString(kRangeOrderMessage));
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
    // We never write further ranges; a count there means the stream is not one of ours.
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

uint8_t TSM_CharGroup::ReadSpecChar(TStringScanner& scanner, bool& escaped)
{
    char c = scanner.CurChar();
    scanner.Next();
    escaped = c == '\\';
    if (!escaped)
        return static_cast<uint8_t>(c);
    if (scanner.AtEnd())
        return '\\';
    char e = scanner.CurChar();
    scanner.Next();
    if (octalDigitValue(e) >= 0)
        return readByteNumber(scanner, octalDigitValue(e), 8, octalDigitValue);
    switch (e) {
    case 'B': case 'b': return 8;
    case 'E': case 'e': return 27;
    case 'N': case 'n': return 13; // the editor's line break is CR
    case 'R': case 'r': return 10;
    case 'S': case 's': return 32;
    case 'T': case 't': return 9;
    case 'X': case 'x': case 'U': case 'u': return readByteNumber(scanner, 0, 16, HexDigitValue);
    default: return static_cast<uint8_t>(e);
    }
}

void TSM_CharGroup::ParseSpec(std::string_view spec, int& position)
{
    Clear();
    TStringScanner scanner(spec);
    scanner.SetPos(std::max(position, 1));
    if (scanner.AtEnd())
        return;
    bool inList = false;
    while (!scanner.AtEnd()) {
        bool escaped;
        uint8_t c = ReadSpecChar(scanner, escaped);
        if (!inList) {
            if (c == '[' && !escaped) {
                inList = true;
                if (!scanner.AtEnd() && scanner.CurChar() == '^') {
                    Negated = 1;
                    scanner.Next();
                }
                continue;
            }
            // Outside a list the text is one character or one range; an escaped '[' is
            // the character itself, which is what the escape is written for.
            addCharOrRange(scanner, *this, c);
            break;
        }
        if (c == ']' && !escaped)
            break;
        if (escaped && (c == '[' || c == ']'))
            AddChar(c);
        else
            addCharOrRange(scanner, *this, c);
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
    // A language's tables name their groups thousands of times over: equal groups are found through
    // the index, not by comparing with every group held.
    const uint64_t key = group.Set.Hash() * 257 + group.Negated;
    const auto [first, last] = FIndex.equal_range(key);
    for (auto it = first; it != last; ++it)
        if (FGroups[static_cast<size_t>(it->second)]->Equals(group))
            return it->second;
    FGroups.push_back(std::make_unique<TSM_CharGroup>(group));
    const auto id = static_cast<int32_t>(FGroups.size() - 1);
    FIndex.emplace(key, id);
    return id;
}

void TSM_CharGroupManager::invalidId(int32_t id) { throw ECodeMemo(FmtLoadStr(kInvalidSetIdMessage, id)); }

void TSM_CharGroupManager::Clear()
{
    FGroups.clear();
    FIndex.clear();
}

void TSM_CharGroupManager::Swap(TSM_CharGroupManager& other) noexcept
{
    FGroups.swap(other.FGroups);
    FIndex.swap(other.FIndex);
}

void TSM_CharGroupManager::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, Count());
    for (const auto& group : FGroups)
        group->SaveToStream(stream);
}

void TSM_CharGroupManager::LoadFromStream(TStream& stream)
{
    int32_t count = StreamReadCount(stream, TSM_CharGroup::kStreamSize);
    TSM_CharGroupManager loaded;
    TSM_CharGroup scratch;
    for (int32_t i = 0; i < count; ++i) {
        scratch.LoadFromStream(stream);
        loaded.AddGroup(scratch);
    }
    Swap(loaded);
}
