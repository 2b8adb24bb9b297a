// Character groups (256-bit character sets written in a small bracket syntax) and their manager.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/model/Settings.h"
#include "editor/model/StateSet.h"

class TStringScanner;

// A set of characters, possibly negated. A group whose set is empty restricts nothing: the keyword
// match accepts any following character for it.
class TSM_CharGroup : public TSM_Base {
public:
    // 32 bytes of set, a 4-byte count of further ranges (always 0) and the negation byte.
    static constexpr int64_t kStreamSize = 32 + 4 + 1;

    TSM_CharGroup() = default;
    TSM_CharGroup(const TSM_CharGroup&) = default;
    TSM_CharGroup& operator=(const TSM_CharGroup&) = default;

    const char* ClassName() const override { return "TSM_CharGroup"; }
    void SaveToStream(TStream& stream) const override;
    // Raises EReadError for a stream that ends early or carries further ranges; the group is then
    // left as it was.
    void LoadFromStream(TStream& stream) override;

    void Clear();
    void AddRange(uint8_t lo, uint8_t hi);
    void AddChar(uint8_t c) { AddRange(c, c); }
    void AddSet(const TStateSet& set);
    bool Contains(uint8_t c) const { return Set.Contains(c) != (Negated != 0); }
    bool IsEmpty() const { return Set.IsEmpty(); }
    bool Equals(const TSM_CharGroup& other) const { return Set == other.Set && Negated == other.Negated; }

    // Reads one spec, such as "[a-z_]", "[^0-9]", "\t" or "x-z", from the 1-based `position`
    // of `spec` into this group (cleared first) and leaves `position` just past what it read, so that
    // several specs can be read from one text. A descending range raises Exception
    // "Characters not in correct order for range specifier"; the group keeps what it had by then.
    void ParseSpec(std::string_view spec, int& position);
    // Reads one spec character, resolving a backslash escape (`escaped` tells which). \n is
    // CR (13) and \r is LF (10), the editor's line break being CR. Octal and hexadecimal escapes take
    // digits only while the value fits in a byte, so "\x41B" is "A" followed by "B". A backslash that
    // ends the text stands for itself. The scanner must not be at its end.
    static uint8_t ReadSpecChar(TStringScanner& scanner, bool& escaped);

    TStateSet Set;
    uint8_t Negated = 0;
    // The lowest and highest character ever added (65535 and 0 when none); not streamed.
    uint16_t LowChar = 65535;
    uint16_t HighChar = 0;

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
};

// Keeps each distinct group once; a group's index is its set ID. Groups are held by pointer so that a
// reference from GetGroup stays valid while further groups are added.
class TSM_CharGroupManager : public TSM_Base {
public:
    TSM_CharGroupManager() = default;
    TSM_CharGroupManager(const TSM_CharGroupManager&) = delete;
    TSM_CharGroupManager& operator=(const TSM_CharGroupManager&) = delete;

    const char* ClassName() const override { return "TSM_CharGroupManager"; }
    // The count, then each group's stream in ID order.
    void SaveToStream(TStream& stream) const override;
    // Equal groups in the stream collapse into one ID. A stream that fails leaves the manager as it was.
    void LoadFromStream(TStream& stream) override;

    // The ID of a registered group equal to `group`, or of a new copy of it.
    int32_t AddGroup(const TSM_CharGroup& group);
    // Raises ECodeMemo "Invalid Set ID (%d)" for an ID that is not registered.
    // Inline: the keyword matcher asks for the group of every word end it meets.
    const TSM_CharGroup& GetGroup(int32_t id) const
    {
        if (id < 0 || id >= Count())
            invalidId(id);
        return *FGroups[static_cast<size_t>(id)];
    }
    int32_t Count() const { return static_cast<int32_t>(FGroups.size()); }
    void Clear();
    void Swap(TSM_CharGroupManager& other) noexcept;

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    [[noreturn]] static void invalidId(int32_t id);

    std::vector<std::unique_ptr<TSM_CharGroup>> FGroups;
    // The IDs of the groups by a key of their set and negation; equal keys may hold unequal groups.
    std::unordered_multimap<uint64_t, int32_t> FIndex;
};
