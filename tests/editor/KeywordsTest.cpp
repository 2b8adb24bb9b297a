// Character groups, their specifications, the group manager, the keyword trie and its streamed list.
#include <gtest/gtest.h>

#include "editor/Keywords.h"

namespace {

TSM_CharGroup parse(const std::string& spec, int* end = nullptr)
{
    TSM_CharGroup group;
    int position = 1;
    group.ParseSpec(spec, position);
    if (end)
        *end = position;
    return group;
}

std::string members(const TSM_CharGroup& group)
{
    std::string result;
    for (int c = 0; c < 256; ++c)
        if (group.Contains(static_cast<uint8_t>(c)))
            result += static_cast<char>(c);
    return result;
}

std::vector<uint8_t> streamOf(const TSM_Base& object)
{
    TMemoryStream stream;
    object.SaveToStream(stream);
    return stream.Bytes();
}

} // namespace

TEST(CharGroup, SpecificationsParseToTheirCharacters)
{
    EXPECT_EQ(members(parse("[a-z_]")), "_abcdefghijklmnopqrstuvwxyz");
    TSM_CharGroup notLower = parse("[^a-z]");
    EXPECT_EQ(notLower.Negated, 1);
    EXPECT_TRUE(notLower.Contains('A'));
    EXPECT_TRUE(notLower.Contains(0));
    EXPECT_FALSE(notLower.Contains('q'));
    EXPECT_EQ(members(parse("\\t")), "\t");
    EXPECT_EQ(members(parse("[\\]]")), "]");
    EXPECT_EQ(members(parse("x-z")), "xyz");
    EXPECT_EQ(members(parse("[\\n\\r\\s]")), "\n\r "); // \n is CR (13), \r is LF (10)
    EXPECT_TRUE(parse("\\n").Contains(13));
    EXPECT_EQ(members(parse("[\\101\\x42\\u43]")), "ABC");
    EXPECT_EQ(members(parse("\\[")), "[");
    EXPECT_EQ(members(parse("[ab")), "ab"); // an unclosed list keeps what it has

    int end = 0;
    TSM_CharGroup first = parse("ab", &end);
    EXPECT_EQ(members(first), "a");
    EXPECT_EQ(end, 2);
    parse("[0-9] rest", &end);
    EXPECT_EQ(end, 6);

    TSM_CharGroup range = parse("[c-e]");
    EXPECT_EQ(range.LowChar, 'c');
    EXPECT_EQ(range.HighChar, 'e');
    try {
        parse("[z-a]");
        FAIL() << "a backward range was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Characters not in correct order for range specifier");
    }
}

TEST(CharGroup, StreamFormAndManagerSharing)
{
    TSM_CharGroup group = parse("[^0-9]");
    std::vector<uint8_t> bytes = streamOf(group);
    ASSERT_EQ(bytes.size(), 37u);
    EXPECT_EQ(bytes[6], 0xFF); // '0'..'7' are bits 0..7 of byte 6
    EXPECT_EQ(bytes[7], 0x03);
    EXPECT_EQ(bytes[36], 1);

    TSM_CharGroup copy;
    TCustomMemoryStream in(bytes.data(), 37);
    copy.LoadFromStream(in);
    EXPECT_TRUE(copy.Equals(group));

    bytes[32] = 1; // a range count we never write
    TCustomMemoryStream bad(bytes.data(), 37);
    EXPECT_THROW(copy.LoadFromStream(bad), EReadError);

    TSM_CharGroupManager manager;
    EXPECT_EQ(manager.AddGroup(TSM_CharGroup()), 0);
    EXPECT_EQ(manager.AddGroup(group), 1);
    EXPECT_EQ(manager.AddGroup(parse("[^0-9]")), 1);
    EXPECT_EQ(manager.AddGroup(parse("[0-9]")), 2);
    try {
        manager.GetGroup(3);
        FAIL();
    } catch (const ECodeMemo& e) {
        EXPECT_EQ(e.Message(), "Invalid Set ID (3)");
    }
}

TEST(Keywords, TrieKeepsSiblingsInOrderAndFindsWords)
{
    TKeywords trie;
    TSM_CharGroup any;
    trie.Add("Begin", 0, 1, TStateSet{0}, any);
    trie.Add("be", 0, 2, TStateSet{0}, any);
    trie.Add("al", 0, 3, TStateSet{1}, any);
    trie.Add("bz", 0, 4, TStateSet{0}, any);
    ASSERT_NE(trie.Root(), nullptr);
    EXPECT_EQ(trie.Root()->Ch, 'a');
    EXPECT_EQ(trie.Root()->Next->Ch, 'b');
    EXPECT_EQ(trie.FirstChar('b'), trie.Root()->Next);
    EXPECT_EQ(trie.FirstChar('b')->States, (TStateSet{0}));
    EXPECT_EQ(trie.FirstChar('b')->Child->Ch, 'e');
    EXPECT_EQ(trie.FirstChar('b')->Child->Next->Ch, 'z');

    EXPECT_EQ(trie.FindWord("BEGIN", 0)->Ends->Value, 1);
    EXPECT_EQ(trie.FindWord("be", 0)->Ends->Value, 2);
    // The deepest node reached: "bex" stops at "be".
    EXPECT_EQ(trie.FindWord("bex", 0), trie.FindWord("be", 0));
    EXPECT_EQ(trie.FindWord("q", 0), nullptr);
    EXPECT_EQ(trie.FindWord("", 0), nullptr);

    // The same word in disjoint states gets a second end; in overlapping states it is refused.
    trie.Add("be", 0, 5, TStateSet{7}, any);
    EXPECT_EQ(trie.FindWord("be", 0)->Ends->Next->Value, 5);
    try {
        trie.Add("BE", 0, 6, TStateSet{0, 7}, any);
        FAIL();
    } catch (const EKeywords& e) {
        EXPECT_EQ(e.Message(), "Duplicate keyword - 'be'");
    }
    EXPECT_EQ(trie.Groups().Count(), 1); // every word used the empty group
}

TEST(Keywords, SyntaxKeywordsRoundTripThroughTheirStream)
{
    TSyntaxKeywords words;
    EXPECT_EQ(streamOf(words), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    words.Add("int", 0, 40, TStateSet{0}, parse("[^a-z]"));
    words.Add("in", 0, 41, TStateSet{0}, parse("[^a-z]"));
    std::vector<uint8_t> bytes = streamOf(words);
    ASSERT_EQ(bytes.size(), 4 + 4 + 2 * (1 + 3 + 37 + 32 + 4) - 1 + 1);

    TSyntaxKeywords copy;
    TCustomMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
    copy.LoadFromStream(in);
    EXPECT_EQ(streamOf(copy), bytes);
    EXPECT_EQ(copy.WordCount(), 2);
    EXPECT_EQ(copy.FindWord("int", 0)->Ends->Value, 40);
    EXPECT_TRUE(copy.Groups().GetGroup(copy.FindWord("in", 0)->Ends->GroupID).Equals(parse("[^a-z]")));

    TSyntaxKeywords target;
    target.Add("x", 1, 1, TStateSet{0}, TSM_CharGroup());
    std::vector<uint8_t> before = streamOf(target);
    for (size_t length = 0; length < bytes.size(); ++length) {
        TCustomMemoryStream part(bytes.data(), static_cast<int64_t>(length));
        EXPECT_THROW(target.LoadFromStream(part), EStreamError) << length;
        ASSERT_EQ(streamOf(target), before);
    }
}
