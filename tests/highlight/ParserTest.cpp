// TCodeMemoParser: the built-in recognisers, keywords, handlers, start records, states, containers.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/SynParse.h"
#include "support/ParserTables.h"

namespace {

using Token = std::pair<int, int>; // (token value, length)
using Tokens = std::vector<Token>;

// An editor text and a cursor standing on its first character. Line breaks are stored as CR.
struct Text {
    TCodeMemoCore editor;
    std::unique_ptr<TEdStream> cursor;

    explicit Text(const std::string& text)
    {
        if (!text.empty())
            editor.InsertText(text.c_str());
        cursor = std::make_unique<TEdStream>(&editor);
        cursor->Reset(editor.FirstRecord(), 0, 0);
    }

    Token next(TCodeMemoParser& parser)
    {
        const int64_t start = cursor->GetPos();
        int length = 0;
        const int token = parser.ScanToken(nullptr, *cursor, length);
        EXPECT_EQ(length, cursor->GetPos() - start) << "the length must count the characters passed";
        return {token, length};
    }
};

// Scans a whole text from the scanner state that follows `context`.
Tokens scan(TCodeMemoParser& parser, const std::string& text, uint8_t context = 0)
{
    Text t(text);
    parser.ResetScanner(context);
    Tokens tokens;
    while (!t.cursor->AtEnd()) {
        Token token = t.next(parser);
        if (token.second == 0) {
            ADD_FAILURE() << "a token of length 0 before the end";
            break;
        }
        tokens.push_back(token);
    }
    return tokens;
}

// Runs one recogniser at `position`; returns (matched, length after, cursor after). Length starts at
// `length`, as the caller's length variable would.
struct Recognised {
    bool matched;
    int length;
    int64_t position;
    friend bool operator==(const Recognised&, const Recognised&) = default;
};
std::ostream& operator<<(std::ostream& os, const Recognised& r)
{
    return os << (r.matched ? "match" : "no match") << ", length " << r.length << ", cursor at " << r.position;
}
Recognised recognise(int index, const std::string& text, int64_t position = 0, int length = 0)
{
    Text t(text);
    t.cursor->SetPos(position);
    const bool matched = RunRecogniser(index, *t.cursor, length);
    return {matched, length, t.cursor->GetPos()};
}

// A parser whose only table entry is built-in start `recogniser` giving `token`.
std::unique_ptr<TCodeMemoParser> oneRecogniser(int recogniser, uint8_t token)
{
    auto parser = std::make_unique<TCodeMemoParser>();
    builtinStart(*parser, parser->Tables().DefaultStartTable, recogniser, token);
    return parser;
}

const char* kNotWordChar = "[^A-Za-z0-9_]";

} // namespace

TEST(Recognisers, NumbersWithFractionsAndExponents)
{
    auto p = oneRecogniser(riStdNumberOrFP, 11);
    EXPECT_EQ(scan(*p, "1.x"), (Tokens{{11, 1}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*p, "12.5e+3 "), (Tokens{{11, 7}, {0, 1}}));
    EXPECT_EQ(scan(*p, "7e"), (Tokens{{11, 2}}));
    EXPECT_EQ(scan(*p, "3.25E7x"), (Tokens{{11, 6}, {0, 1}}));
    // A period starts no number: the recogniser refuses and the period is a plain character.
    EXPECT_EQ(scan(*p, ".5"), (Tokens{{0, 1}, {11, 1}}));

    auto n = oneRecogniser(riStdNumber, 16);
    EXPECT_EQ(scan(*n, "123.4"), (Tokens{{16, 3}, {0, 1}, {16, 1}}));
}

TEST(Recognisers, SignedNumbers)
{
    auto p = oneRecogniser(riStdCNumberOrFPSigned, 15);
    EXPECT_EQ(scan(*p, "-7. "), (Tokens{{15, 2}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*p, "+3.25E-2;"), (Tokens{{15, 8}, {0, 1}}));
    // A sign without a digit is given back.
    EXPECT_EQ(scan(*p, "-x"), (Tokens{{0, 1}, {0, 1}}));
    EXPECT_EQ(recognise(riStdCNumberOrFPSigned, "-x", 0, 5), (Recognised{false, 5, 0}));
}

TEST(Recognisers, Strings)
{
    auto pascal = oneRecogniser(riStdPascalString, 12);
    EXPECT_EQ(scan(*pascal, "'it''s' x"), (Tokens{{12, 7}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*pascal, "'ab\rc"), (Tokens{{12, 3}, {0, 1}, {0, 1}}));

    auto c = oneRecogniser(riStdCString, 13);
    EXPECT_EQ(scan(*c, "\"a\\\"b\" c"), (Tokens{{13, 6}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*c, "\"ab\rc"), (Tokens{{13, 3}, {0, 1}, {0, 1}}));
    // A backslash carries the string over the line end.
    EXPECT_EQ(scan(*c, "\"a\\\rb\""), (Tokens{{13, 6}}));

    auto cChar = oneRecogniser(riStdCChar, 14);
    EXPECT_EQ(scan(*cChar, "'\\''x"), (Tokens{{14, 4}, {0, 1}}));
    auto sq = oneRecogniser(riStdCStringSQ, 20);
    EXPECT_EQ(scan(*sq, "'a\\'b' "), (Tokens{{20, 6}, {0, 1}}));

    auto html = oneRecogniser(riStdHTMLString, 18);
    EXPECT_EQ(scan(*html, "\"a b\" c"), (Tokens{{18, 5}, {0, 1}, {0, 1}}));
    // An unclosed attribute value takes the line end with it.
    EXPECT_EQ(scan(*html, "\"ab\rc"), (Tokens{{18, 4}, {0, 1}}));
    EXPECT_EQ(scan(*html, "\"ab"), (Tokens{{18, 3}}));
}

TEST(Recognisers, JavaScriptLineCommentStopsBeforeTheCommentCloser)
{
    auto p = oneRecogniser(riStdJSLineComment, 19);
    EXPECT_EQ(scan(*p, "// a --->"), (Tokens{{19, 6}, {0, 1}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*p, "// a--b\rx"), (Tokens{{19, 7}, {0, 1}, {0, 1}}));
    EXPECT_EQ(scan(*p, "// -> x"), (Tokens{{19, 7}}));
}

TEST(Recognisers, MailAndWebAddresses)
{
    auto p = oneRecogniser(riStdMailURL, 17);
    EXPECT_EQ(scan(*p, "joe@x.com."), (Tokens{{17, 9}, {0, 1}}));
    EXPECT_EQ(scan(*p, "a.b"), (Tokens{{0, 1}, {0, 1}, {0, 1}}));
    EXPECT_EQ(recognise(riStdMailURL, "ab.cd x", 0, 2), (Recognised{false, 2, 0}));

    EXPECT_EQ(recognise(riWebChar, "www.x.org/a?b=1. rest"), (Recognised{true, 15, 15}));
    EXPECT_EQ(recognise(riWebChar, " x", 0, 3), (Recognised{false, 3, 0}));
}

TEST(Recognisers, AWebAddressRunsOverAllItHoldsAndLeavesTheSentencesPunctuation)
{
    // Each address, then what may follow it in running text or a quoted value.
    const std::vector<std::string> addresses = {
        "x.es/a;b?x=1",         "x.es/a%20b+c,d!e$f*g", "x.es/a\xF1o\xC9\x8A", "x.es/\x1F#955;",
        "x.es/\x1F#955;?q=\x1F#946;;r=1#s", "x.es/?a=1&amp;b=2&#233;", "x.es/a&#x3BB;", "x.es/a#;b",
    };
    const std::vector<std::string> followers = {"", " y", ".", ";", ",", "!", "?", ":", "; y", "\"", "'", ")",
                                                "\xBB", "<", ">", "\r"};
    for (const std::string& address : addresses) {
        for (const std::string& after : followers) {
            const int length = static_cast<int>(address.size());
            EXPECT_EQ(recognise(riWebChar, address + after), (Recognised{true, length, length}))
                << address << " then " << after;
        }
    }
    // A ";" that closes no reference is the sentence's; the period after an address is too.
    EXPECT_EQ(recognise(riWebChar, "x.es/a#;"), (Recognised{true, 7, 7}));
    EXPECT_EQ(recognise(riWebChar, "x.es/&;."), (Recognised{true, 6, 6}));
    EXPECT_EQ(recognise(riWebChar, "x.es/\x1F#955;;."), (Recognised{true, 11, 11}));
    // Punctuation alone gives everything back, the prefix taken before it staying.
    EXPECT_EQ(recognise(riWebChar, ".;", 0, 4), (Recognised{true, 4, 0}));
}

TEST(Recognisers, IdentifiersAndSingleCharacters)
{
    auto p = oneRecogniser(riStdIdentifier, 10);
    EXPECT_EQ(scan(*p, "_ab1 2x"), (Tokens{{10, 4}, {0, 1}, {0, 1}, {10, 1}}));

    // A Pascal character: a doubled quote, or any character but a single quote or a line end.
    EXPECT_EQ(recognise(riPascalChar, "''x"), (Recognised{true, 2, 2}));
    EXPECT_EQ(recognise(riPascalChar, "'x", 0, 4), (Recognised{false, 4, 0}));
    EXPECT_EQ(recognise(riPascalChar, "\rx"), (Recognised{false, 0, 0}));
    EXPECT_EQ(recognise(riPascalChar, "ab"), (Recognised{true, 1, 1}));
}

TEST(Recognisers, RestOfLineOnlyFromALineStart)
{
    // At the first character of the text there is no line before to test.
    EXPECT_EQ(recognise(riOriginalChar, "abc\rdef"), (Recognised{true, 3, 3}));
    EXPECT_EQ(recognise(riOriginalChar, "abc\rdef", 4), (Recognised{true, 3, 7}));
    // One character of the token already taken: the line start is tested before it.
    EXPECT_EQ(recognise(riOriginalChar, "abc\rdef", 5, 1), (Recognised{true, 3, 7}));
    EXPECT_EQ(recognise(riOriginalChar, "abc\rdef", 1), (Recognised{false, 0, 1}));
}

TEST(Recognisers, IndexesOutsideTheTableAndStartSets)
{
    for (int index : {-1, 0, 6, 21, 1000}) {
        EXPECT_EQ(recognise(index, "abc", 1, 1), (Recognised{false, 1, 1})) << index;
    }
    EXPECT_EQ(RecogniserOfProcedure(0), riPascalChar);
    EXPECT_EQ(RecogniserOfProcedure(13), riStdCStringSQ);
    EXPECT_EQ(RecogniserOfProcedure(14), 0);
    EXPECT_EQ(RecogniserOfProcedure(-1), 0);

    EXPECT_TRUE(RecogniserStartSet(riStdCNumberOrFPSigned).Contains('-'));
    EXPECT_TRUE(RecogniserStartSet(riStdCNumberOrFPSigned).Contains('.'));
    EXPECT_FALSE(RecogniserStartSet(riStdNumber).Contains('.'));
    EXPECT_TRUE(RecogniserStartSet(riStdIdentifier).Contains('_'));
    EXPECT_FALSE(RecogniserStartSet(riStdIdentifier).Contains('0'));
    EXPECT_TRUE(RecogniserStartSet(riWebChar).IsEmpty());
}

TEST(TCodeMemoParser, WordsEndOnlyBeforeTheirFollowGroup)
{
    TCodeMemoParser p;
    TSM_CharGroup follow;
    int position = 1;
    follow.ParseSpec(kNotWordChar, position);
    p.Keywords().Add("if", 0, 4, TStateSet{0}, follow);
    builtinStart(p, p.Tables().DefaultStartTable, riStdIdentifier, 10, TStateSet{0, 1});

    EXPECT_EQ(scan(p, "if("), (Tokens{{4, 2}, {0, 1}}));
    EXPECT_EQ(scan(p, "iffy"), (Tokens{{10, 4}}));
    EXPECT_EQ(scan(p, "IF x"), (Tokens{{4, 2}, {0, 1}, {10, 1}}));
    // At the end of the text the follow group sees no character, which a negated group accepts.
    EXPECT_EQ(scan(p, "x if"), (Tokens{{10, 1}, {0, 1}, {4, 2}}));
    // A word outside the current states is not a keyword.
    p.Tables().ContextStates[3] = TStateSet{1};
    EXPECT_EQ(scan(p, "if(", 3), (Tokens{{10, 2}, {0, 1}}));
}

TEST(TCodeMemoParser, HandlersExtendKeywordTokens)
{
    TCodeMemoParser p;
    TSM_CharGroup any;
    p.Keywords().Add("&", 0, 40, TStateSet{0}, any);
    p.Keywords().Add("#", 0, 41, TStateSet{0}, any);
    p.Keywords().Add("%", 0, 42, TStateSet{0}, any);
    p.Keywords().Add("$", 0, 43, TStateSet{0}, any);
    const uint16_t letters = group(p, "[a-z]");
    const uint16_t semicolon = group(p, ";");

    // Entity: one or more letters, then ";".
    p.Tables().EnsureHandler(40) = {charElement(letters), bodyElement({semicolon}, 1)};
    EXPECT_EQ(scan(p, "&amp; "), (Tokens{{40, 5}, {0, 1}}));
    EXPECT_EQ(scan(p, "&1"), (Tokens{{0, 1}, {0, 1}}));
    // The end of the text ends the token where it stands.
    EXPECT_EQ(scan(p, "&am"), (Tokens{{40, 3}}));
    // Neither body nor letter: the keyword is dropped.
    EXPECT_EQ(scan(p, "&a-"), (Tokens{{0, 1}, {0, 1}, {0, 1}}));

    // A built-in start takes over the rest of the token.
    p.Tables().EnsureHandler(41) = {procElement(riStdNumber), {}};
    EXPECT_EQ(scan(p, "#123x"), (Tokens{{41, 4}, {0, 1}}));
    EXPECT_EQ(scan(p, "#x"), (Tokens{{0, 1}, {0, 1}}));

    // Without a body exactly one start match.
    p.Tables().EnsureHandler(42) = {charElement(letters), {}};
    EXPECT_EQ(scan(p, "%ab"), (Tokens{{42, 2}, {0, 1}}));

    // An optional start: the body may come at once; a body with use flag 0 only looks.
    p.Tables().EnsureHandler(43) = {charElement(letters, 1), bodyElement({semicolon}, 0)};
    EXPECT_EQ(scan(p, "$;"), (Tokens{{43, 1}, {0, 1}}));
    EXPECT_EQ(scan(p, "$ab;"), (Tokens{{43, 3}, {0, 1}}));
}

TEST(TCodeMemoParser, StartRecordsRepeatUpToTheirTerminator)
{
    TCodeMemoParser p;
    TStartTable& table = p.Tables().DefaultStartTable;
    const uint16_t notClose = group(p, "[^}]");
    const uint16_t close = group(p, "}");
    charStart(p, table, "{", 6, charElement(notClose, 1), bodyElement({close}, 1));
    const uint16_t lower = group(p, "[a-z]");
    const uint16_t notLower = group(p, "[^a-z]");
    charStart(p, table, "<", 7, charElement(lower), bodyElement({notLower}, 0));
    charStart(p, table, "+", 8, charElement(0, 1), bodyElement({}, 0));
    const uint16_t plus = group(p, "+");
    const uint16_t equals = group(p, "=");
    charStart(p, table, "-", 9, charElement(0, 1), bodyElement({plus, equals}, 1));

    EXPECT_EQ(scan(p, "{a b}x"), (Tokens{{6, 5}, {0, 1}}));
    EXPECT_EQ(scan(p, "{}"), (Tokens{{6, 2}}));
    // Left open at the end of the text, the token keeps its value.
    EXPECT_EQ(scan(p, "{ab"), (Tokens{{6, 3}}));
    EXPECT_EQ(scan(p, "<abc>"), (Tokens{{7, 4}, {0, 1}}));
    // The repeat is required once and fails on ">": the head becomes a plain character.
    EXPECT_EQ(scan(p, "<>"), (Tokens{{0, 1}, {0, 1}}));
    // An optional repeat and an empty terminator: a one-character token.
    EXPECT_EQ(scan(p, "++"), (Tokens{{8, 1}, {8, 1}}));
    // A terminator of two characters.
    EXPECT_EQ(scan(p, "-+=-+"), (Tokens{{9, 3}, {0, 1}, {8, 1}}));

    // Not valid in the current states: no start record applies.
    p.Tables().ContextStates[1] = TStateSet{1};
    EXPECT_EQ(scan(p, "++", 1), (Tokens{{0, 1}, {0, 1}}));
}

TEST(TCodeMemoParser, ATokenThatConsumedNothingBecomesOneCharacter)
{
    TCodeMemoParser p;
    // A line comment started at a line end passes nothing and is refused.
    TStartRec& record = p.Tables().DefaultStartTable.Ensure('\r');
    record.Start = procElement(riStdJSLineComment);
    record.TokenValue = 19;
    EXPECT_EQ(scan(p, "\r\r"), (Tokens{{0, 1}, {0, 1}}));
}

// A repeat or handler start that matches without moving, while the terminator or body keeps
// failing, can never complete its token; the scan must give up instead of looping.
TEST(TCodeMemoParser, MatchesThatDoNotMoveCannotLoop)
{
    TCodeMemoParser p;
    const uint16_t z = group(p, "z");
    // Procedure id 2 is the rest of a line, which passes nothing at a line end.
    charStart(p, p.Tables().DefaultStartTable, "x", 6, procElement(2), bodyElement({z}, 1));
    p.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    p.Tables().EnsureHandler(40) = {procElement(2), bodyElement({z}, 1)};

    EXPECT_EQ(scan(p, "x\r"), (Tokens{{0, 1}, {0, 1}}));
    EXPECT_EQ(scan(p, "&\r"), (Tokens{{0, 1}, {0, 1}}));
    // A repeat that moves is taken: here up to the end of the text, which ends the token.
    EXPECT_EQ(scan(p, "xab"), (Tokens{{6, 3}}));
    EXPECT_EQ(scan(p, "xab\r"), (Tokens{{0, 1}, {0, 1}, {0, 1}, {0, 1}}));
}

TEST(TCodeMemoParser, ProcedureIdsOutsideTheTableFailToMatch)
{
    TCodeMemoParser p;
    TSM_CharGroup any;
    p.Keywords().Add("&", 0, 40, TStateSet{0}, any);
    p.Keywords().Add("#", 0, 41, TStateSet{0}, any);
    p.Tables().EnsureHandler(40) = {procElement(99), {}};
    p.Tables().EnsureHandler(41) = {charElement(group(p, "[a-z]")), procElement(-2147483647 - 1)};
    TStartTable& table = p.Tables().DefaultStartTable;
    charStart(p, table, "{", 6, procElement(14), bodyElement({}, 1));
    charStart(p, table, "<", 7, procElement(2147483647, 1), procElement(2147483647));
    table.Ensure('@') = TStartRec{procElement(25), TStateSet{0}, {}, {}, 5};

    for (const char* text : {"&ab ", "#ab ", "{ab ", "<ab ", "@ab "})
        EXPECT_EQ(scan(p, text), (Tokens{{0, 1}, {0, 1}, {0, 1}, {0, 1}})) << text;
}

TEST(TCodeMemoParser, StatesChangeAndNestThroughTheRunTimeStack)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    TSM_CharGroup any;
    p.Keywords().Add("x", 0, 3, TStateSet{1}, any);
    charStart(p, t.DefaultStartTable, "(", 1, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    charStart(p, t.DefaultStartTable, ")", 2, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    stateRecord(t, 1, TStateSet{0, 1}, TStateSet{1}, TStateSet{0}, saPushBefore);
    TTokenStateRec& close = stateRecord(t, 2, TStateSet{1}, {}, {}, saPopAfter);

    Text text("x((x))x");
    p.ResetScanner(0);
    EXPECT_EQ(text.next(p), (Token{0, 1}));
    EXPECT_EQ(text.next(p), (Token{1, 1}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{1});
    EXPECT_EQ(p.StackDepth(), 1u);
    EXPECT_EQ(text.next(p), (Token{1, 1}));
    EXPECT_EQ(p.StackDepth(), 2u);
    EXPECT_EQ(text.next(p), (Token{3, 1}));
    EXPECT_EQ(text.next(p), (Token{2, 1}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{1});
    EXPECT_EQ(p.StackDepth(), 1u);
    EXPECT_EQ(text.next(p), (Token{2, 1}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{0});
    EXPECT_EQ(p.StackDepth(), 0u);
    EXPECT_EQ(text.next(p), (Token{0, 1}));

    // Outside its valid-in states a token is refused and changes nothing.
    EXPECT_EQ(scan(p, ")x"), (Tokens{{0, 1}, {0, 1}}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{0});

    // A restart inside the parentheses meets the ")" with an empty stack: the states stay.
    t.ContextStates[3] = TStateSet{1};
    EXPECT_EQ(scan(p, "x)x", 3), (Tokens{{3, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{1});
    close.StackAction = saPopBefore;
    EXPECT_EQ(scan(p, "x)", 3), (Tokens{{3, 1}, {2, 1}}));
    EXPECT_EQ(p.StackDepth(), 0u);
}

TEST(TCodeMemoParser, SettingsKeywordsAreExemptFromTheValidInTest)
{
    TCodeMemoParser p;
    p.Settings().AddKeywordTable(TStateSet{0}, "", {{"foo", 60}}, 0);
    TSM_CharGroup any;
    p.Keywords().Add("bar", 0, 61, TStateSet{0}, any);
    for (uint8_t token : {60, 61})
        stateRecord(p.Tables(), token, TStateSet{5}, TStateSet{2});
    EXPECT_EQ(scan(p, "foo"), (Tokens{{60, 3}}));
    EXPECT_EQ(p.CurrentStates(), (TStateSet{0, 2}));
    ASSERT_NE(p.Settings().KeywordTrie(), nullptr);
    EXPECT_EQ(p.Settings().KeywordTrie()->CurrentStates, (TStateSet{0, 2}));
    EXPECT_EQ(scan(p, "bar"), (Tokens{{0, 1}, {0, 1}, {0, 1}}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{0});
}

TEST(TCodeMemoParser, InStateTablesAndContexts)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    const TElementRec none = charElement(0, 1);
    const TElementRec empty = bodyElement({}, 0);
    charStart(p, t.DefaultStartTable, "a", 71, none, empty);
    charStart(p, t.EnsureInStateTable(1), "a", 72, none, empty, TStateSet{1});
    charStart(p, t.EnsureInStateTable(2), "a", 73, none, empty, TStateSet{2});
    t.ContextStates[10] = TStateSet{1, 2};
    t.ContextStates[11] = TStateSet{0, 2};
    t.BoundStates = TStateSet{2};

    // Until the flag is brought up to date, InState tables are not consulted.
    EXPECT_EQ(scan(p, "a", 10), (Tokens{{0, 1}}));
    t.UpdateNoInState();
    EXPECT_EQ(t.NoInState, 0);
    EXPECT_EQ(scan(p, "a", 10), (Tokens{{72, 1}}));
    EXPECT_EQ(scan(p, "a", 11), (Tokens{{73, 1}}));
    EXPECT_TRUE(p.InBoundState());
    // An empty context means the start state set.
    EXPECT_EQ(scan(p, "a", 12), (Tokens{{71, 1}}));
    EXPECT_EQ(p.CurrentStates(), TStateSet{0});
    EXPECT_FALSE(p.InBoundState());
    t.StartStates = TStateSet{1};
    p.ResetScanner(12);
    EXPECT_EQ(p.CurrentStartTable(), t.InStateTables[1].get());
}

TEST(TCodeMemoParser, ContainersAreScannedAgainInsideTheirStates)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    charStart(p, t.DefaultStartTable, "<", 80, charElement(group(p, "[^>]"), 1), bodyElement({group(p, ">")}, 1));
    stateRecord(t, 80, TStateSet{0}, TStateSet{2}, TStateSet{0}).Container = 1;
    TSM_CharGroup any;
    p.Keywords().Add("b", 0, 81, TStateSet{2}, any);

    Text text("<b c>b");
    p.ResetScanner(0);
    EXPECT_FALSE(p.GetTokenPending());
    EXPECT_EQ(text.next(p), (Token{80, 5}));
    EXPECT_TRUE(p.GetTokenPending());
    EXPECT_TRUE(p.InContainer());
    EXPECT_EQ(p.ContainerEnd(), 5);
    EXPECT_EQ(p.ContainerToken(), 80);
    EXPECT_EQ(p.CurrentStates(), TStateSet{2});

    // The driver rewinds and returns the content token by token while the container is open.
    text.cursor->SetPos(0);
    Tokens inner;
    while (p.InContainer())
        inner.push_back(text.next(p));
    EXPECT_EQ(inner, (Tokens{{0, 1}, {81, 1}, {0, 1}, {0, 1}, {0, 1}}));
    EXPECT_FALSE(p.GetTokenPending());
    EXPECT_EQ(p.CurrentStates(), TStateSet{0});
    EXPECT_EQ(text.next(p), (Token{0, 1}));
}

TEST(TCodeMemoParser, PendingFlagFollowsTheContainerWhenAHandlerThrows)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    charStart(p, t.DefaultStartTable, "<", 80, charElement(group(p, "[^>]"), 1), bodyElement({group(p, ">")}, 1));
    t.EnsureTokenState(80).Container = 1;
    charStart(p, t.DefaultStartTable, "!", 5, procElement(7, 0, true), bodyElement({}, 0));
    p.OnCustomParse = [](TCodeMemoParser*, int, TEdStream&, int&, int&) -> bool { throw Exception("custom"); };

    Text outside("!x");
    p.ResetScanner(0);
    int length = 0;
    EXPECT_THROW(p.ScanToken(nullptr, *outside.cursor, length), Exception);
    EXPECT_FALSE(p.GetTokenPending());

    Text text("<!>");
    p.ResetScanner(0);
    EXPECT_EQ(text.next(p), (Token{80, 3}));
    text.cursor->SetPos(1);
    length = 0;
    EXPECT_THROW(p.ScanToken(nullptr, *text.cursor, length), Exception);
    EXPECT_TRUE(p.GetTokenPending());
    p.ResetScanner(0);
    EXPECT_FALSE(p.GetTokenPending());
}

TEST(TCodeMemoParser, CustomParseElements)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    // "!" then whatever the handler accepts; the handler names the token value.
    charStart(p, t.DefaultStartTable, "!", 5, procElement(7, 0, true), bodyElement({}, 0));
    TSM_CharGroup any;
    p.Keywords().Add("@", 0, 40, TStateSet{0}, any);
    t.EnsureHandler(40) = {procElement(8, 0, true), {}};
    int calls = 0;
    p.OnCustomParse = [&calls](TCodeMemoParser*, int id, TEdStream& s, int& length, int& value) {
        ++calls;
        int taken = 0;
        while (!s.AtEnd() && s.CurrentChar() >= '0' && s.CurrentChar() <= '9') {
            s.Next();
            ++taken;
        }
        length += taken;
        value = id == 7 ? 50 : 51;
        return taken > 0;
    };
    EXPECT_EQ(scan(p, "!12x"), (Tokens{{50, 3}, {0, 1}}));
    EXPECT_EQ(scan(p, "@12x"), (Tokens{{51, 3}, {0, 1}}));
    EXPECT_EQ(scan(p, "!x"), (Tokens{{0, 1}, {0, 1}}));
    EXPECT_EQ(calls, 3);
    p.OnCustomParse = nullptr;
    EXPECT_EQ(scan(p, "!12"), (Tokens{{0, 1}, {0, 1}, {0, 1}}));
}

TEST(TCodeMemoParser, ClearEmptiesTheLanguage)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    TSM_CharGroup any;
    p.Keywords().Add("if", 0, 4, TStateSet{0}, any);
    builtinStart(p, t.EnsureInStateTable(1), riStdIdentifier, 10, TStateSet{1});
    t.UpdateNoInState();
    t.EnsureTokenState(4).Container = 1;
    t.EnsureHandler(4);
    t.ContextStates[3] = TStateSet{1};
    t.AnchorStates = TStateSet{4};
    t.MatchUsed = 1;
    p.Settings().TabDefault = 8;
    p.ResetScanner(3);
    ASSERT_EQ(p.CurrentStartTable(), t.InStateTables[1].get());

    p.Clear();
    EXPECT_EQ(p.CurrentStartTable(), &t.DefaultStartTable);
    EXPECT_EQ(t.NoInState, 1);
    EXPECT_TRUE(t.InStateOwners.IsEmpty());
    EXPECT_EQ(t.InStateTables[1], nullptr);
    EXPECT_EQ(t.Handlers[4], nullptr);
    EXPECT_EQ(t.TokenStates[4], nullptr);
    EXPECT_TRUE(t.ContextStates[3].IsEmpty());
    EXPECT_EQ(p.GetAnchorStates(), TStateSet{0});
    EXPECT_FALSE(p.MatchUsed());
    EXPECT_EQ(p.Keywords().WordCount(), 0);
    EXPECT_EQ(p.Settings().TabDefault, 4);
    EXPECT_EQ(scan(p, "if", 3), (Tokens{{0, 1}, {0, 1}}));
}

// Random text through a language using every kind of table entry: the scanner must never fail and
// must always move on. The driver's container rewind is played as the editor plays it.
TEST(TCodeMemoParser, RandomTextAlwaysAdvances)
{
    TCodeMemoParser p;
    TParserTables& t = p.Tables();
    TSM_CharGroup follow;
    int position = 1;
    follow.ParseSpec(kNotWordChar, position);
    p.Keywords().Add("if", 0, 4, TStateSet{0, 1}, follow);
    p.Keywords().Add("&", 0, 40, TStateSet{0}, TSM_CharGroup{});
    t.EnsureHandler(40) = {charElement(group(p, "[a-z]"), 1), bodyElement({group(p, ";")}, 1)};
    p.Settings().AddKeywordTable(TStateSet{1}, "", {{"else", 5}}, 0);

    TStartTable& def = t.DefaultStartTable;
    builtinStart(p, def, riStdIdentifier, 10, TStateSet{0, 1});
    builtinStart(p, def, riStdCNumberOrFPSigned, 15, TStateSet{0, 1});
    builtinStart(p, def, riStdCString, 13, TStateSet{0, 1});
    builtinStart(p, def, riStdCChar, 14, TStateSet{0, 1});
    builtinStart(p, def, riStdJSLineComment, 19, TStateSet{0, 1});
    charStart(p, def, "{", 1, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    charStart(p, def, "}", 2, charElement(0, 1), bodyElement({}, 0), TStateSet{0, 1});
    charStart(p, def, "<", 80, charElement(group(p, "[^>]"), 1), bodyElement({group(p, ">")}, 1));
    charStart(p, def, "!", 6, procElement(1), procElement(2, 1));
    charStart(p, def, "=", 7, procElement(0, 1), bodyElement({group(p, "="), group(p, "=")}, 0));
    charStart(p, def, "#", 8, procElement(3, 1, true), bodyElement({group(p, "[^0-9]")}, 1));
    charStart(p, t.EnsureInStateTable(1), "[a-z]", 9, charElement(group(p, "[a-z]"), 1),
              bodyElement({group(p, "[^a-z]")}, 0), TStateSet{1});
    t.UpdateNoInState();

    stateRecord(t, 1, TStateSet{0, 1}, TStateSet{1}, TStateSet{0}, saPushBefore);
    stateRecord(t, 2, TStateSet{0, 1}, {}, {}, saPopAfter);
    stateRecord(t, 80, TStateSet{0}, TStateSet{1}).Container = 1;
    t.ContextStates[1] = TStateSet{1};
    p.OnCustomParse = [](TCodeMemoParser*, int, TEdStream& s, int& length, int&) {
        if (s.AtEnd() || s.CurrentChar() == '\r')
            return false;
        s.Next();
        ++length;
        return true;
    };

    const std::string alphabet = "abe if else {}()<>\"'\\/-+=.;&#!@0123456789\r";
    std::mt19937 rng(20240607);
    for (int round = 0; round < 400; ++round) {
        std::string source(rng() % 120, ' ');
        for (char& c : source)
            c = alphabet[rng() % alphabet.size()];
        Text text(source);
        const int64_t size = text.cursor->GetSize();
        text.cursor->SetPos(rng() % (size + 1));
        p.ResetScanner(static_cast<uint8_t>(rng() % 3));
        while (!text.cursor->AtEnd()) {
            const int64_t start = text.cursor->GetPos();
            const Token token = text.next(p);
            ASSERT_GE(token.second, 1) << source;
            if (!p.InContainer())
                continue;
            text.cursor->SetPos(start);
            while (p.InContainer() && !text.cursor->AtEnd())
                ASSERT_GE(text.next(p).second, 1) << source;
        }
    }
}

TEST(TCodeMemoParser, EditSettingsGoesToTheEventOrTheInstalledDialog)
{
    TCodeMemoParser p;
    EXPECT_FALSE(p.EditAll()); // no dialog installed

    std::vector<TSM_PropEdPages> shown;
    bool confirm = true;
    TCodeMemoParser::SetSettingsDialog([&](TCodeMemoParser& parser, TSM_PropEdPages pages) {
        EXPECT_EQ(&parser, &p);
        shown.push_back(pages);
        return confirm;
    });
    EXPECT_TRUE(p.EditAll());
    confirm = false;
    EXPECT_FALSE(p.EditSettings(1 << ppKEYS));
    EXPECT_FALSE(p.EditSettings(0));
    EXPECT_EQ(shown, (std::vector<TSM_PropEdPages>{kAllPropEdPages, 1 << ppKEYS}));

    TCustomCodeMemoParser* sender = nullptr;
    p.OnModifyProperties = [&sender](TCustomCodeMemoParser* s) { sender = s; };
    confirm = true;
    EXPECT_FALSE(p.EditAll());
    EXPECT_EQ(sender, &p);
    EXPECT_EQ(shown.size(), 2u);
    TCodeMemoParser::SetSettingsDialog(nullptr);
}

TEST(TCodeMemoParser, AnEditorThatScansIsAttachedOnce)
{
    TCodeMemo memo;
    memo.InsertText("ab");
    TCodeMemoParser p;
    TEdStream cursor(&memo);
    cursor.Reset(memo.FirstRecord(), 0, 0);
    p.ResetScanner(0);
    for (int i = 0; i < 2; ++i) {
        int length = 0;
        EXPECT_EQ(p.ScanToken(&memo, cursor, length), 0);
        EXPECT_EQ(length, 1);
    }
    EXPECT_EQ(p.Editors(), (std::vector<TParserClient*>{&memo}));
    EXPECT_EQ(p.Settings().ClientCount(), 1);
}
