// Tests of character groups: the bracket syntax, the stream form and the deduplicating manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/CharGroups.h"

namespace {

int memberCount(const TSM_CharGroup& group)
{
    int n = 0;
    for (int c = 0; c < 256; ++c)
        n += group.Set.Contains(static_cast<uint8_t>(c));
    return n;
}

std::string members(const TSM_CharGroup& group)
{
    std::string s;
    for (int c = 0; c < 256; ++c)
        if (group.Set.Contains(static_cast<uint8_t>(c)))
            s += static_cast<char>(c);
    return s;
}

TSM_CharGroup parse(const std::string& spec, int* end = nullptr)
{
    TSM_CharGroup group;
    int position = 1;
    group.ParseSpec(spec, position);
    if (end)
        *end = position;
    return group;
}

std::string streamOf(const TSM_CharGroup& group)
{
    TMemoryStream stream;
    group.SaveToStream(stream);
    return stream.AsString();
}

} // namespace

TEST(CharGroupSpec, BracketListsRangesAndNegation)
{
    int end = 0;
    TSM_CharGroup word = parse("[a-z_]", &end);
    EXPECT_EQ(memberCount(word), 27);
    EXPECT_TRUE(word.Contains('a'));
    EXPECT_TRUE(word.Contains('z'));
    EXPECT_TRUE(word.Contains('_'));
    EXPECT_FALSE(word.Contains('A'));
    EXPECT_EQ(word.Negated, 0);
    EXPECT_EQ(word.LowChar, '_');
    EXPECT_EQ(word.HighChar, 'z');
    EXPECT_EQ(end, 7);

    TSM_CharGroup other = parse("[^a-z]");
    EXPECT_EQ(other.Negated, 1);
    EXPECT_EQ(memberCount(other), 26);
    EXPECT_FALSE(other.Contains('m'));
    EXPECT_TRUE(other.Contains('M'));
    EXPECT_TRUE(other.Contains(0));

    EXPECT_EQ(members(parse("[\\]]")), "]");
    EXPECT_EQ(members(parse("[\\[x]")), "[x");
    EXPECT_EQ(members(parse("x-z")), "xyz");
    EXPECT_EQ(members(parse("]")), "]");
    // An unclosed list keeps what it read.
    EXPECT_EQ(members(parse("[ab")), "ab");
    // A dash with nothing after it is a character.
    EXPECT_EQ(members(parse("a-")), "-a");
}

TEST(CharGroupSpec, ReadsOneSpecFromThePosition)
{
    const std::string text = "[ab]x-zq";
    TSM_CharGroup group;
    int position = 1;
    group.ParseSpec(text, position);
    EXPECT_EQ(members(group), "ab");
    EXPECT_EQ(position, 5);
    group.ParseSpec(text, position);
    EXPECT_EQ(members(group), "xyz");
    EXPECT_EQ(position, 8);
    group.ParseSpec(text, position);
    EXPECT_EQ(members(group), "q");
    EXPECT_EQ(position, 9);
    // At the end there is nothing to read: the group is empty and the position stays.
    group.ParseSpec(text, position);
    EXPECT_TRUE(group.IsEmpty());
    EXPECT_EQ(position, 9);
}

TEST(CharGroupSpec, Escapes)
{
    EXPECT_EQ(members(parse("\\t")), "\t");
    EXPECT_EQ(members(parse("\\n")), "\r"); // \n is CR
    EXPECT_EQ(members(parse("\\R")), "\n"); // \r is LF
    EXPECT_EQ(members(parse("\\b")), "\b");
    EXPECT_EQ(members(parse("\\E")), "\x1B");
    EXPECT_EQ(members(parse("\\s")), " ");
    EXPECT_EQ(members(parse("\\101")), "A");
    EXPECT_EQ(members(parse("\\x41")), "A");
    EXPECT_EQ(members(parse("\\U7a")), "z");
    EXPECT_EQ(members(parse("\\-")), "-");
    EXPECT_EQ(members(parse("\\")), "\\");
    EXPECT_EQ(members(parse("[\\x30-\\x39]")), "0123456789");
    EXPECT_TRUE(parse("\\xFF").Contains(255));

    // Numbers stop before they leave the byte: the rest is text of its own.
    EXPECT_EQ(members(parse("[\\x414]")), "4A");
    EXPECT_EQ(members(parse("[\\4000]")), " 0");
    EXPECT_EQ(members(parse("[\\377]")), "\xFF");
    int end = 0;
    EXPECT_EQ(members(parse("\\x41B", &end)), "A");
    EXPECT_EQ(end, 5);
}

TEST(CharGroupSpec, DescendingRangeRaises)
{
    try {
        parse("[z-a]");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Characters not in correct order for range specifier");
    }
    // The group keeps what came before the bad range.
    TSM_CharGroup group;
    int position = 1;
    EXPECT_THROW(group.ParseSpec("[ab9-0]", position), Exception);
    EXPECT_EQ(members(group), "ab");
}

TEST(CharGroup, SetOperationsAndBounds)
{
    TSM_CharGroup group;
    group.AddRange('c', 'e');
    group.AddChar('a');
    EXPECT_EQ(members(group), "acde");
    EXPECT_EQ(group.LowChar, 'a');
    EXPECT_EQ(group.HighChar, 'e');
    group.AddSet(TStateSet{200});
    EXPECT_EQ(group.LowChar, 0);
    EXPECT_EQ(group.HighChar, 255);
    EXPECT_TRUE(group.Equals(parse("[acde\\310]")));
    EXPECT_FALSE(group.Equals(parse("[^acde\\310]")));

    group.Clear();
    EXPECT_TRUE(group.IsEmpty());
    EXPECT_EQ(group.LowChar, 65535);
    EXPECT_EQ(group.HighChar, 0);
}

TEST(CharGroup, StreamForm)
{
    TSM_CharGroup group = parse("[^A\\x00-\\x07]");
    std::string bytes = streamOf(group);
    ASSERT_EQ(bytes.size(), 37u);
    EXPECT_EQ(bytes.substr(0, 9), std::string("\xFF\x00\x00\x00\x00\x00\x00\x00\x02", 9));
    EXPECT_EQ(bytes.substr(32), std::string("\0\0\0\0\x01", 5));

    TSM_CharGroup copy;
    copy.AddChar('z');
    TCustomMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
    copy.LoadFromStream(in);
    EXPECT_TRUE(copy.Equals(group));
    EXPECT_EQ(copy.LowChar, 65535); // bounds are not streamed

    // A stream with further ranges is not ours; a short one ends early. Neither touches the group.
    std::string ranged = bytes;
    ranged[32] = 1;
    TCustomMemoryStream rangedIn(ranged.data(), static_cast<int64_t>(ranged.size()));
    TSM_CharGroup target = parse("q");
    EXPECT_THROW(target.LoadFromStream(rangedIn), EReadError);
    EXPECT_EQ(members(target), "q");
    for (size_t n = 0; n < bytes.size(); ++n) {
        TCustomMemoryStream cut(bytes.data(), static_cast<int64_t>(n));
        EXPECT_THROW(target.LoadFromStream(cut), EReadError) << n;
        EXPECT_EQ(members(target), "q");
    }
}

TEST(CharGroupManager, DeduplicatesAndChecksIds)
{
    TSM_CharGroupManager manager;
    EXPECT_EQ(manager.AddGroup(TSM_CharGroup()), 0);
    EXPECT_EQ(manager.AddGroup(parse("[a-c]")), 1);
    EXPECT_EQ(manager.AddGroup(parse("[^a-c]")), 2);
    EXPECT_EQ(manager.AddGroup(parse("[cba]")), 1);
    EXPECT_EQ(manager.Count(), 3);
    // Later additions leave earlier references valid.
    const TSM_CharGroup& first = manager.GetGroup(1);
    for (int c = 0; c < 40; ++c)
        manager.AddGroup(parse(std::string(1, static_cast<char>('A' + c))));
    EXPECT_EQ(members(first), "abc");

    try {
        manager.GetGroup(99);
        FAIL() << "no exception";
    } catch (const ECodeMemo& e) {
        EXPECT_EQ(e.Message(), "Invalid Set ID (99)");
    }
    EXPECT_THROW(manager.GetGroup(-1), ECodeMemo);
    EXPECT_THROW(manager.GetGroup(manager.Count()), ECodeMemo);
    manager.Clear();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_THROW(manager.GetGroup(0), ECodeMemo);
}

TEST(CharGroupManager, IdsAreThoseOfALinearSearchOverManyGroups)
{
    // Random sets drawn from a few bytes, so that equal groups come again and again; cleared and
    // swapped managers go on as new ones.
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    TSM_CharGroupManager manager;
    TSM_CharGroupManager other;
    std::vector<TSM_CharGroup> reference;
    for (int round = 0; round < 4000; ++round) {
        if (round == 1500) {
            manager.Clear();
            reference.clear();
        }
        if (round == 2500) {
            manager.Swap(other);
            EXPECT_EQ(other.Count(), static_cast<int32_t>(reference.size()));
            reference.clear();
        }
        TSM_CharGroup group;
        const uint32_t shape = next();
        for (int bit = 0; bit < 4; ++bit)
            if (shape & (1u << bit))
                group.AddChar(static_cast<uint8_t>(bit * 70 + (next() % 3)));
        group.Negated = static_cast<uint8_t>((shape >> 4) & 1);
        int32_t expected = -1;
        for (size_t i = 0; i < reference.size() && expected < 0; ++i)
            if (reference[i].Equals(group))
                expected = static_cast<int32_t>(i);
        if (expected < 0) {
            expected = static_cast<int32_t>(reference.size());
            reference.push_back(group);
        }
        ASSERT_EQ(manager.AddGroup(group), expected) << round;
        ASSERT_EQ(manager.Count(), static_cast<int32_t>(reference.size()));
        EXPECT_TRUE(manager.GetGroup(expected).Equals(group));
    }
    EXPECT_GT(reference.size(), 20u);
}

TEST(CharGroupManager, StreamCollapsesEqualGroupsAndRejectsBadCounts)
{
    TMemoryStream stream;
    StreamWriteLong(stream, 3);
    parse("[ab]").SaveToStream(stream);
    parse("x").SaveToStream(stream);
    parse("[ba]").SaveToStream(stream);
    stream.SetPosition(0);
    TSM_CharGroupManager manager;
    manager.LoadFromStream(stream);
    ASSERT_EQ(manager.Count(), 2);
    EXPECT_EQ(members(manager.GetGroup(0)), "ab");
    EXPECT_EQ(members(manager.GetGroup(1)), "x");

    TMemoryStream again;
    manager.SaveToStream(again);
    EXPECT_EQ(again.GetSize(), 4 + 2 * 37);

    // A count the bytes cannot hold, and every truncation, fail and keep the groups.
    TMemoryStream huge;
    StreamWriteLong(huge, 1000000);
    parse("z").SaveToStream(huge);
    huge.SetPosition(0);
    EXPECT_THROW(manager.LoadFromStream(huge), EReadError);
    EXPECT_EQ(manager.Count(), 2);
    const std::string bytes = again.AsString();
    for (size_t n = 0; n < bytes.size(); ++n) {
        TCustomMemoryStream cut(bytes.data(), static_cast<int64_t>(n));
        TSM_CharGroupManager target;
        target.AddGroup(parse("q"));
        EXPECT_THROW(target.LoadFromStream(cut), EReadError) << n;
        EXPECT_EQ(target.Count(), 1);
    }
}
