// Tests of the keyword trie (adding, matching both ways, finding) and of the streamed keyword list.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/model/EditingCore.h"
#include "editor/model/Keywords.h"
#include "editor/model/LineStore.h"
#include "tests/support/RandomText.h"
#include "tests/support/StringCursor.h"

namespace {

struct MatchResult {
    int32_t value;
    int64_t start;
    int length;
    int64_t cursorAfter;
    bool operator==(const MatchResult&) const = default;
};

MatchResult match(const TKeywords& trie, const std::string& text, int64_t at, uint8_t caseSensitive = 0,
                  uint8_t forward = 1)
{
    TStringCursor cursor(text, at);
    MatchResult r{};
    r.value = trie.MatchCursor(cursor, caseSensitive, forward, r.start, r.length);
    r.cursorAfter = cursor.GetPos();
    return r;
}

TSM_CharGroup group(const std::string& spec)
{
    TSM_CharGroup g;
    int position = 1;
    g.ParseSpec(spec, position);
    return g;
}

std::string members(const TSM_CharGroup& g)
{
    std::string s;
    for (int c = 0; c < 256; ++c)
        if (g.Set.Contains(static_cast<uint8_t>(c)))
            s += static_cast<char>(c);
    return s;
}

const TStateSet kState0{0};
const TSM_CharGroup kAnything;

std::string streamOf(const TSM_Base& object)
{
    TMemoryStream stream;
    object.SaveToStream(stream);
    return stream.AsString();
}

} // namespace

TEST(Keywords, TrieKeepsSiblingsInOrder)
{
    TKeywords trie;
    trie.Add("do", 1, 1, kState0, kAnything);
    trie.Add("begin", 1, 2, TStateSet{3}, kAnything);
    trie.Add("dim", 1, 3, kState0, kAnything);
    trie.Add("a", 1, 4, kState0, kAnything);
    trie.Add("dz", 1, 5, kState0, kAnything);

    ASSERT_NE(trie.Root(), nullptr);
    std::string first;
    for (const TKeywordNode* n = trie.Root(); n; n = n->Next)
        first += static_cast<char>(n->Ch);
    EXPECT_EQ(first, "abd");
    const TKeywordNode* d = trie.FirstChar('d');
    ASSERT_NE(d, nullptr);
    std::string second;
    for (const TKeywordNode* n = d->Child; n; n = n->Next)
        second += static_cast<char>(n->Ch);
    EXPECT_EQ(second, "ioz");
    EXPECT_EQ(trie.FirstChar('c'), nullptr);
    // A node's states are the union of the words through it.
    EXPECT_TRUE(trie.FirstChar('b')->States == TStateSet{3});
    EXPECT_TRUE(d->States == kState0);
}

TEST(Keywords, CaseFoldingAndFind)
{
    TKeywords trie;
    trie.CurrentStates = kState0;
    trie.Add("Begin", 0, 7, kState0, kAnything);
    EXPECT_EQ(trie.CaseSensitive, 0);
    const TKeywordNode* node = trie.FindWord("begin", 1);
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->Ends, nullptr);
    EXPECT_EQ(node->Ends->Value, 7);
    EXPECT_EQ(trie.FindWord("Begin", 1), nullptr); // stored lower-cased
    EXPECT_EQ(trie.FindWord("BEGIN", 0), node);
    // A path that is no word, a longer text and an empty one.
    ASSERT_NE(trie.FindWord("beg", 0), nullptr);
    EXPECT_EQ(trie.FindWord("beg", 0)->Ends, nullptr);
    EXPECT_EQ(trie.FindWord("beginner", 0), nullptr);
    EXPECT_EQ(trie.FindWord("", 0), nullptr);

    EXPECT_EQ(match(trie, "BEGIN", 0), (MatchResult{7, 0, 5, 5}));
    EXPECT_EQ(match(trie, "x BeGiN y", 2), (MatchResult{7, 2, 5, 7}));
    // Matching with case looks for the text as it stands, which the lower-case trie does not hold.
    EXPECT_EQ(match(trie, "BEGIN", 0, 1), (MatchResult{0, 0, 1, 1}));
}

TEST(Keywords, LongestAcceptedWordWithFollowGroup)
{
    TKeywords trie;
    trie.CurrentStates = kState0;
    const TSM_CharGroup nonWord = group("[^a-zA-Z0-9_]");
    trie.Add("in", 0, 1, kState0, nonWord);
    trie.Add("int", 0, 2, kState0, nonWord);
    trie.Add("interface", 0, 3, kState0, nonWord);

    EXPECT_EQ(match(trie, "int(", 0), (MatchResult{2, 0, 3, 3}));
    EXPECT_EQ(match(trie, "in (", 0), (MatchResult{1, 0, 2, 2}));
    EXPECT_EQ(match(trie, "inx", 0), (MatchResult{0, 0, 1, 1}));
    // A longer path without an accepted end leaves the shorter word standing.
    EXPECT_EQ(match(trie, "inter;", 0), (MatchResult{0, 0, 1, 1}));
    EXPECT_EQ(match(trie, "int inter", 0), (MatchResult{2, 0, 3, 3}));
    // The end of the text is no character, which a negated group holds.
    EXPECT_EQ(match(trie, "a int", 2), (MatchResult{2, 2, 3, 5}));
    EXPECT_EQ(match(trie, "", 0), (MatchResult{0, 0, 1, 0}));

    // A group listing the allowed characters.
    TKeywords paren;
    paren.CurrentStates = kState0;
    paren.Add("if", 0, 9, kState0, group("["));
    paren.Add("for", 0, 8, kState0, group("[( ]"));
    EXPECT_EQ(match(paren, "for(", 0).value, 8);
    EXPECT_EQ(match(paren, "for", 0).value, 0);
    // "[" alone opens a list that stays empty, which restricts nothing.
    EXPECT_EQ(match(paren, "if[", 0).value, 9);
    EXPECT_EQ(match(paren, "ifx", 0).value, 9);
}

TEST(Keywords, StatesSelectWords)
{
    TKeywords trie;
    trie.Add("<b", 0, 1, TStateSet{1}, kAnything);
    trie.Add("<body", 0, 2, TStateSet{2}, kAnything);
    trie.Add("<", 0, 3, TStateSet{0, 1, 2}, group("\\s"));

    // Before the scanner sets states nothing matches.
    EXPECT_EQ(match(trie, "<body>", 0).value, 0);
    trie.CurrentStates = TStateSet{1};
    EXPECT_EQ(match(trie, "<body>", 0), (MatchResult{1, 0, 2, 2}));
    trie.CurrentStates = TStateSet{2};
    EXPECT_EQ(match(trie, "<body>", 0), (MatchResult{2, 0, 5, 5}));
    trie.CurrentStates = TStateSet{0};
    EXPECT_EQ(match(trie, "<body>", 0).value, 0);
    EXPECT_EQ(match(trie, "< body>", 0).value, 3);
    trie.CurrentStates = TStateSet{7};
    EXPECT_EQ(match(trie, "< body>", 0).value, 0);
}

TEST(Keywords, DuplicatesAndDisjointStates)
{
    TKeywords trie;
    trie.Add("begin", 0, 1, TStateSet{0, 1}, kAnything);
    try {
        trie.Add("BEGIN", 0, 2, TStateSet{1, 2}, kAnything);
        FAIL() << "no exception";
    } catch (const EKeywords& e) {
        EXPECT_EQ(e.Message(), "Duplicate keyword - 'begin'");
    }
    trie.Add("Begin", 0, 3, TStateSet{5}, group("[;]"));
    const TKeywordNode* node = trie.FindWord("begin", 0);
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->Ends, nullptr);
    ASSERT_NE(node->Ends->Next, nullptr);
    EXPECT_EQ(node->Ends->Next->Next, nullptr);
    EXPECT_EQ(node->Ends->Value, 1);
    EXPECT_EQ(node->Ends->GroupID, 0);
    EXPECT_EQ(node->Ends->Next->Value, 3);
    EXPECT_EQ(members(trie.Groups().GetGroup(node->Ends->Next->GroupID)), ";");

    trie.CurrentStates = TStateSet{1};
    EXPECT_EQ(match(trie, "begin;", 0).value, 1);
    trie.CurrentStates = TStateSet{5};
    EXPECT_EQ(match(trie, "begin;", 0).value, 3);
    EXPECT_EQ(match(trie, "begin ", 0).value, 0);
    trie.CurrentStates = TStateSet{2};
    EXPECT_EQ(match(trie, "begin;", 0).value, 0);
}

TEST(Keywords, WordsShareGroupsAndClearKeepsTheEmptyOne)
{
    TKeywords trie;
    trie.CurrentStates = kState0;
    trie.Add("a", 1, 1, kState0, group("[0-9]"));
    trie.Add("b", 1, 2, kState0, group("[9876543210]"));
    EXPECT_EQ(trie.Groups().Count(), 2);
    EXPECT_TRUE(trie.Groups().GetGroup(0).IsEmpty());

    trie.Clear();
    EXPECT_EQ(trie.Root(), nullptr);
    EXPECT_EQ(trie.FirstChar('a'), nullptr);
    EXPECT_EQ(match(trie, "a1", 0).value, 0);
    // Set ID 0 stays the empty group; the scanner's states stay too.
    EXPECT_EQ(trie.Groups().Count(), 1);
    EXPECT_TRUE(trie.Groups().GetGroup(0).IsEmpty());
    trie.Add("ab", 1, 5, kState0, kAnything);
    EXPECT_EQ(match(trie, "ab", 0).value, 5);
}

TEST(Keywords, BackwardMatchOfReversedWords)
{
    // Reversed words matched from the character before the caret, as the template look-up does.
    TKeywords trie;
    trie.CurrentStates = kState0;
    trie.Add("ba", 0, 1, kState0, kAnything);   // "ab"
    trie.Add("baa", 0, 2, kState0, kAnything);  // "aab"
    trie.Add("rof", 0, 3, kState0, group("[^a-z]")); // "for" after a non-letter

    EXPECT_EQ(match(trie, "x for", 4, 0, 0), (MatchResult{3, 4, 3, 1}));
    EXPECT_EQ(match(trie, "xfor", 3, 0, 0).value, 0);
    EXPECT_EQ(match(trie, "x aab", 4, 0, 0), (MatchResult{2, 4, 3, 1}));

    // At the text start the walk stops: "ab" must not read its "a" twice and turn into "aab".
    EXPECT_EQ(match(trie, "ab", 1, 0, 0), (MatchResult{1, 1, 2, 0}));
    EXPECT_EQ(match(trie, "aab", 2, 0, 0), (MatchResult{2, 2, 3, 0}));
    // Before the start there is no character, which a negated group holds.
    EXPECT_EQ(match(trie, "for", 2, 0, 0), (MatchResult{3, 2, 3, 0}));
    TKeywords spaced;
    spaced.CurrentStates = kState0;
    spaced.Add("rof", 0, 3, kState0, group("\\s"));
    EXPECT_EQ(match(spaced, " for", 3, 0, 0).value, 3);
    EXPECT_EQ(match(spaced, "for", 2, 0, 0).value, 0);

    // A miss moves one character forward whatever the direction.
    EXPECT_EQ(match(trie, "xyz", 1, 0, 0), (MatchResult{0, 1, 1, 2}));
}

TEST(SyntaxKeywords, StreamForm)
{
    TSyntaxKeywords empty;
    EXPECT_EQ(streamOf(empty), std::string(9, '\0'));

    TSyntaxKeywords one;
    one.Add("Go", 1, 0x01020304, TStateSet{0, 9}, group("[^a]"));
    std::string bytes = streamOf(one);
    std::string expected("\x01\0\0\0\x01\0\0\0\x02Go", 11);
    expected += streamOf(group("[^a]"));
    std::string states(32, '\0');
    states[0] = 0x01;
    states[1] = 0x02;
    expected += states;
    expected += std::string("\x04\x03\x02\x01\0", 5);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), 4u + 4u + 3u + 37u + 32u + 4u + 1u);

    // A word the trie refuses is not listed either, so the list keeps streaming cleanly.
    EXPECT_THROW(one.Add("Go", 1, 5, TStateSet{9}, kAnything), EKeywords);
    EXPECT_EQ(one.WordCount(), 1);
    EXPECT_EQ(streamOf(one), expected);

    one.Clear();
    EXPECT_EQ(one.WordCount(), 0);
    EXPECT_EQ(streamOf(one), std::string(9, '\0'));
}

TEST(SyntaxKeywords, ReadBackMatchesTheSame)
{
    std::mt19937 random(20240611);
    const std::vector<TSM_CharGroup> groups = {kAnything, group("[^a-zA-Z0-9_]"), group("[ (;]"), group("[a-f]")};
    const std::string letters = "abcdefABCDEF_(; <>";

    TSyntaxKeywords original;
    int refused = 0;
    for (int i = 0; i < 400; ++i) {
        TStateSet states{static_cast<uint8_t>(random() % 4)};
        if (random() % 3 == 0)
            states.Include(static_cast<uint8_t>(random() % 4));
        try {
            original.Add(RandomText(random, letters, 1 + random() % 6), 0, static_cast<int32_t>(1 + i), states,
                         groups[random() % groups.size()]);
        } catch (const EKeywords&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(original.WordCount() + refused, 400);

    TMemoryStream stream;
    original.SaveToStream(stream);
    stream.SetPosition(0);
    TSyntaxKeywords copy;
    copy.Add("stale", 1, 99, kState0, kAnything);
    copy.LoadFromStream(stream);
    EXPECT_EQ(stream.Remaining(), 0);
    EXPECT_EQ(copy.WordCount(), original.WordCount());
    EXPECT_EQ(copy.FindWord("stale", 1), nullptr);
    EXPECT_EQ(streamOf(copy), stream.AsString());

    const std::string text = RandomText(random, letters, 3000);
    int hits = 0;
    for (uint8_t state = 0; state < 5; ++state) {
        original.CurrentStates = TStateSet{state};
        copy.CurrentStates = TStateSet{state};
        for (int64_t at = 0; at < static_cast<int64_t>(text.size()); ++at) {
            for (uint8_t forward = 0; forward < 2; ++forward) {
                MatchResult a = match(original, text, at, 0, forward);
                ASSERT_EQ(a, match(copy, text, at, 0, forward)) << "at " << at << " state " << int(state);
                hits += a.value != 0;
            }
        }
    }
    EXPECT_GT(hits, 1000);
}

TEST(SyntaxKeywords, BadStreamsLeaveTheWords)
{
    TSyntaxKeywords source;
    source.Add("alpha", 0, 1, kState0, group("[^a-z]"));
    source.Add("beta", 0, 2, TStateSet{1}, kAnything);
    const std::string bytes = streamOf(source);

    auto expectUnchanged = [](TSyntaxKeywords& target) {
        EXPECT_EQ(target.WordCount(), 1);
        target.CurrentStates = kState0;
        EXPECT_EQ(match(target, "keep", 0).value, 42);
    };
    for (size_t n = 0; n < bytes.size(); ++n) {
        TSyntaxKeywords target;
        target.Add("keep", 0, 42, kState0, kAnything);
        TCustomMemoryStream cut(bytes.data(), static_cast<int64_t>(n));
        EXPECT_THROW(target.LoadFromStream(cut), EReadError) << n;
        expectUnchanged(target);
    }

    // A count that the remaining bytes cannot hold.
    std::string huge = bytes;
    huge[4] = '\x7F';
    huge[7] = '\x7F';
    TSyntaxKeywords target;
    target.Add("keep", 0, 42, kState0, kAnything);
    TCustomMemoryStream hugeIn(huge.data(), static_cast<int64_t>(huge.size()));
    EXPECT_THROW(target.LoadFromStream(hugeIn), EReadError);
    expectUnchanged(target);

    // No words, but something other than the terminator.
    const std::string noTerminator("\0\0\0\0\0\0\0\0\x03" "abc", 12);
    TCustomMemoryStream noTerminatorIn(noTerminator.data(), static_cast<int64_t>(noTerminator.size()));
    EXPECT_THROW(target.LoadFromStream(noTerminatorIn), EReadError);
    expectUnchanged(target);

    // The same word twice in overlapping states.
    TMemoryStream twice;
    StreamWriteLong(twice, 0);
    StreamWriteLong(twice, 2);
    for (int i = 0; i < 2; ++i) {
        StreamWriteShortStr(twice, "dup");
        kAnything.SaveToStream(twice);
        StreamWriteSet(twice, kState0);
        StreamWriteLong(twice, i);
    }
    StreamWriteShortStr(twice, "");
    twice.SetPosition(0);
    EXPECT_THROW(target.LoadFromStream(twice), EKeywords);
    expectUnchanged(target);

    // Assign goes through the stream and copies the words.
    TSyntaxKeywords copy;
    copy.Assign(source);
    EXPECT_EQ(copy.WordCount(), 2);
    EXPECT_EQ(streamOf(copy), bytes);
}

TEST(Keywords, SettingsTablesFeedTheTrie)
{
    TSM_Settings settings;
    settings.AddKeywordTable(TStateSet{1}, "[^a-z]", {{"Begin", 1}, {"end", 2}}, 0);
    settings.AddKeywordTable(TStateSet{2}, "", {{"End", 3}}, 1);
    TKeywords* trie = settings.KeywordTrie();
    ASSERT_NE(trie, nullptr);

    trie->CurrentStates = TStateSet{1};
    EXPECT_EQ(match(*trie, "BEGIN;", 0), (MatchResult{1, 0, 5, 5}));
    EXPECT_EQ(match(*trie, "beginx", 0).value, 0);
    EXPECT_EQ(match(*trie, "end", 0).value, 2);
    // An empty spec lets any character follow; the table's case flag is kept.
    trie->CurrentStates = TStateSet{2};
    EXPECT_EQ(match(*trie, "Endx", 0, 1), (MatchResult{3, 0, 3, 3}));
    EXPECT_EQ(match(*trie, "end", 0, 1).value, 0);

    // A table repeating a word in its own states is refused as a whole.
    EXPECT_THROW(settings.AddKeywordTable(TStateSet{3}, "", {{"if", 4}, {"IF", 5}}, 0), EKeywords);
    EXPECT_EQ(settings.KeywordTrie()->FindWord("if", 0), nullptr);
}

TEST(Keywords, MatchesThroughTheEditorCursor)
{
    TCodeMemoCore editor;
    editor.InsertText("end\r\nbegin x\r\nab"); // records "end\r", "begin x\r", "ab"
    TKeywords trie;
    trie.CurrentStates = kState0;
    trie.Add("begin", 0, 1, kState0, group("[^a-z]"));
    trie.Add("d\rb", 0, 2, kState0, kAnything);
    trie.Add("ba", 0, 3, kState0, kAnything);
    trie.Add("baa", 0, 4, kState0, kAnything);

    TEdStream cursor(&editor);
    int offsetInRecord = -1;
    int64_t start = -1;
    int length = -1;
    cursor.Reset(editor.FirstRecord()->Next, 0, 4);
    EXPECT_EQ(trie.Match(cursor, 0, 1, offsetInRecord, start, length), 1);
    EXPECT_EQ(offsetInRecord, 0);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(cursor.GetPos(), 9);
    EXPECT_EQ(cursor.CurrentChar(), ' ');

    // Words may run across records.
    cursor.Reset(editor.FirstRecord(), 2, 0);
    EXPECT_EQ(trie.Match(cursor, 0, 1, offsetInRecord, start, length), 2);
    EXPECT_EQ(offsetInRecord, 2);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(cursor.GetPos(), 5);
    EXPECT_EQ(cursor.OffsetInRecord(), 1);

    TCustomEdStream& plain = cursor;
    plain.SetPos(4);
    EXPECT_EQ(trie.Match(plain, 0, 1, start, length), 1);
    EXPECT_EQ(length, 5);
    // At the text start the cursor cannot step back; "ab" must not turn into "aab".
    TCodeMemoCore two;
    two.InsertText("ab");
    TEdStream atStart(&two);
    atStart.Reset(two.FirstRecord(), 1, 0);
    EXPECT_EQ(trie.Match(atStart, 0, 0, offsetInRecord, start, length), 3);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(atStart.GetPos(), 0);
}

TEST(Keywords, EditorCursorAndStringCursorMatchAlike)
{
    std::mt19937 random(99);
    const std::string letters = "abcAB (\r\n";
    std::string source;
    for (int i = 0; i < 1500; ++i)
        source += letters[random() % letters.size()];
    TCodeMemoCore editor;
    editor.InsertText(source.c_str());
    const std::string text = editor.StoredText();
    ASSERT_GT(editor.RecordCount(), 100);

    TKeywords trie;
    trie.CurrentStates = kState0;
    for (int i = 0; i < 150; ++i) {
        std::string word;
        for (int n = 1 + static_cast<int>(random() % 5); n > 0; --n)
            word += "abc\r("[random() % 5];
        try {
            trie.Add(word, 0, i + 1, kState0, random() % 2 ? kAnything : group("[^a-c]"));
        } catch (const EKeywords&) {
        }
    }

    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    for (int64_t at = 0; at <= static_cast<int64_t>(text.size()); ++at) {
        for (uint8_t forward = 0; forward < 2; ++forward) {
            cursor.SetPos(at);
            MatchResult viaEditor{};
            int offset = 0;
            viaEditor.value = trie.Match(cursor, 0, forward, offset, viaEditor.start, viaEditor.length);
            viaEditor.cursorAfter = cursor.GetPos();
            ASSERT_EQ(viaEditor, match(trie, text, at, 0, forward)) << "at " << at;
        }
    }

    // A match over a window of the characters decides as the cursor does, or leaves it undecided
    // because it needs the character after the window.
    int decided = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        const MatchResult expected = match(trie, text, static_cast<int64_t>(at));
        for (size_t size = 0; size <= 7 && at + size <= text.size(); ++size) {
            int32_t value = -1;
            int length = -1;
            if (!trie.MatchSpan(std::string_view(text).substr(at, size), 0, value, length))
                continue;
            ++decided;
            ASSERT_EQ(value, expected.value) << "at " << at << " size " << size;
            ASSERT_EQ(length, expected.length) << "at " << at << " size " << size;
        }
    }
    EXPECT_GT(decided, static_cast<int>(text.size()));
}
