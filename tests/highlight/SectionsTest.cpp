// Tests of the section readers: words, handlers, tokens, states, containers, keyword tables, map,
// effects, keys, auto-replace and templates.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "highlight/CodeMemoParser.h"
#include "highlight/Recognisers.h"
#include "platform/core/Classes.h"
#include "support/TokenDump.h"

namespace {

using ::testing::EndsWith;
using ::testing::UnorderedElementsAre;

// Compiles `script` into `parser`: "" when it compiled, else the message of the error that stopped it.
std::string compile(TCodeMemoParser& parser, const std::string& script)
{
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    try {
        parser.CompileScript(source);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// The message after the position prefix of a script error (or the whole bare message).
std::string errorOf(const std::string& script)
{
    TCodeMemoParser parser;
    const std::string message = compile(parser, script);
    const size_t colon = message.find(": ");
    return message.rfind("** ERROR", 0) == 0 && colon != std::string::npos ? message.substr(colon + 2) : message;
}

std::string tokensOf(TCodeMemoParser& parser, const std::string& text)
{
    TCodeMemoCore editor;
    if (!text.empty())
        editor.InsertText(text.c_str());
    return DumpTokens(parser, editor);
}

const char* const kRangeError = "Range error, value outwith 0 .. 255";

} // namespace

// ---------------------------------------------------------------- words and handlers

TEST(WordsSection, WordsGoToTheKeywordTableAndWidenTheirTokensStates)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%words 'if' '[^a-z]' 5  'then' '' 5 [2]  'fi' '' 5 [3]  'else' '' 6"), "");
    EXPECT_EQ(parser.Keywords().WordCount(), 4);
    EXPECT_EQ(parser.Tables().TokenStates[5]->ValidIn, (TStateSet{0, 2, 3}));
    EXPECT_EQ(parser.Tables().TokenStates[6]->ValidIn, (TStateSet{0}));
    // The follow group: "if" ends only before a character that is not a letter.
    EXPECT_EQ(tokensOf(parser, "ifx if(else"), "0:i 0:f 0:x 0:  5:if 0:( 6:else");

    EXPECT_EQ(errorOf("%%words 'if' '' 5 [1 2]  'IF' '' 7 [2]"), "Duplicate entry in %%word table");
    EXPECT_EQ(errorOf("%%words 'if' '' 5 [1]  'if' '' 7 [2]"), "");
    EXPECT_EQ(errorOf("%%words 'if' 5"), "String value expected");
    EXPECT_EQ(errorOf("%%words 'if' 'ab' 5"), "Single character specifier expected");
    EXPECT_EQ(errorOf("%%words 'if' '' 256"), kRangeError);
    EXPECT_EQ(errorOf("%%words 'if' '[z-a]' 5"), "Characters not in correct order for range specifier");
}

TEST(HandlersSection, StartsBodiesAndTheirErrors)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%handler 5 match(3) 6 '[a-z]' ? '[0-9]x' _use_ %%handlers 7 _WEB_CHAR 8 10"), "");
    const TParserTables& tables = parser.Tables();
    // A match start reads no body: 6 begins the next entry.
    const THandlerRec& custom = *tables.Handlers[5];
    EXPECT_TRUE(custom.Start.IsCustom());
    EXPECT_EQ(custom.Start.ProcID, 3);
    EXPECT_FALSE(custom.Body.IsPresent());
    EXPECT_EQ(tables.MatchUsed, 1);

    const THandlerRec& chars = *tables.Handlers[6];
    EXPECT_EQ(chars.Start.ProcFlag, 0);
    EXPECT_EQ(chars.Start.Flag, 1);
    EXPECT_TRUE(parser.Keywords().Groups().GetGroup(chars.Start.GroupID).Contains('q'));
    EXPECT_EQ(chars.Body.Count, 2);
    EXPECT_EQ(chars.Body.Flag, 1);
    EXPECT_TRUE(parser.Keywords().Groups().GetGroup(chars.Body.GroupIDs[1]).Contains('x'));

    EXPECT_EQ(tables.Handlers[7]->Start.ProcID, 1);
    EXPECT_FALSE(tables.Handlers[7]->Body.IsPresent());
    EXPECT_EQ(tables.Handlers[8]->Start.ProcID, 10);

    EXPECT_EQ(errorOf("%%handlers 5 1 5 2"), "Duplicate entry in %%handler table");
    EXPECT_EQ(errorOf("%%handlers 5 'a' 'abcd' 1"), "");
    EXPECT_EQ(errorOf("%%handlers 5 'a' 'abcde' 1"), "Maximum of 4 character specifier allowed");
    EXPECT_EQ(errorOf("%%handlers 5 match 3"), "'(' expected");
    EXPECT_EQ(errorOf("%%handlers 5 match(3 ]"), "')' expected");
    EXPECT_EQ(errorOf("%%handlers 256 1"), kRangeError);
}

// ---------------------------------------------------------------- tokens

TEST(TokensSection, AStartCharacterBelongsToOneEntryPerTable)
{
    EXPECT_EQ(errorOf("%%tokens 5 '[a-c]' 'x' 'y' 1  6 'b' 'x' 'y' 1"), "Ambigious start set in %%token table");
    EXPECT_EQ(errorOf("%%tokens 5 __STD_IDENTIFIER  6 '_' 'x' 'y' 1"), "Ambigious start set in %%token table");
    EXPECT_EQ(errorOf("%%tokens InState 4 (5 '[a-c]' 'x' 'y' 1  6 'b' 'x' 'y' 1)"),
              "Ambigious start set in %%token table");

    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%tokens 5 '[a-c]' 'x' 'y' 1  InState 4 (6 'b' 'x' 'y' 1) %%tokens InState 4 (7 'a' 'x' 'y' 1)"),
              "");
    const TParserTables& tables = parser.Tables();
    // One record per character of the head.
    for (char c : {'a', 'b', 'c'})
        EXPECT_EQ(tables.DefaultStartTable.Records[static_cast<uint8_t>(c)]->TokenValue, 5) << c;
    EXPECT_FALSE(tables.DefaultStartTable.Records['d']);
    EXPECT_EQ(tables.InStateTables[4]->Records['b']->TokenValue, 6);
    EXPECT_EQ(tables.InStateTables[4]->Records['a']->TokenValue, 7);
    EXPECT_EQ(tables.InStateOwners, (TStateSet{4}));
    EXPECT_EQ(tables.NoInState, 0);
    // An InState entry is valid only in its state unless its set says more.
    EXPECT_EQ(tables.TokenStates[5]->ValidIn, (TStateSet{0}));
    EXPECT_EQ(tables.TokenStates[6]->ValidIn, (TStateSet{4}));
    ASSERT_EQ(compile(parser, "%%tokens InState 4 (6 'b' 'x' 'y' 1 [7])"), "");
    EXPECT_EQ(parser.Tables().TokenStates[6]->ValidIn, (TStateSet{4, 7}));
}

TEST(TokensSection, CharacterAndBuiltInHeadsScan)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, R"(%%tokens 6 '"' '[^"]' ? '"' _use_  3 __STD_NUMBER)"), "");
    EXPECT_EQ(tokensOf(parser, "\"ab\" x"), R"(6:"ab" 0:  0:x)");
    EXPECT_EQ(tokensOf(parser, "\"\"12a"), R"(6:"" 3:12 0:a)");
    const TStartRec& number = *parser.Tables().DefaultStartTable.Records['7'];
    EXPECT_EQ(number.Start.ProcFlag, 1);
    EXPECT_EQ(number.Start.ProcID, riStdNumber);
    EXPECT_FALSE(parser.Tables().DefaultStartTable.Records['.']);

    // Specs reach the group parser as written, so an escaped "]" stays in its list.
    ASSERT_EQ(compile(parser, R"(%%tokens 5 '\[' '[^\]]' ? ']' _use_  7 '\n' '[^]' ? '[^]' _discard_)"), "");
    EXPECT_EQ(tokensOf(parser, "[a\\b]]\n"), R"(5:[a\b] 0:] 7:\n)");

    // A match repeat ends the entry's elements; a match anywhere marks the language.
    ASSERT_EQ(compile(parser, "%%tokens 5 'a' match(2) 6 'b' 'c' 'd' 1"), "");
    EXPECT_TRUE(parser.Tables().DefaultStartTable.Records['a']->Repeat.IsCustom());
    EXPECT_FALSE(parser.Tables().DefaultStartTable.Records['a']->Terminator.IsPresent());
    EXPECT_EQ(parser.Tables().DefaultStartTable.Records['b']->TokenValue, 6);
    EXPECT_EQ(parser.Tables().MatchUsed, 1);

    EXPECT_EQ(errorOf("%%tokens 5 9"), "Script syntax error");
    EXPECT_EQ(errorOf("%%tokens 5 21"), "Script syntax error");
    EXPECT_EQ(errorOf("%%tokens 5 'a' 'x' 'abcde' 1"), "Maximum of 4 character specifier allowed");
    EXPECT_EQ(errorOf("%%tokens 5 'ab' 'x' 'y' 1"), "Single character specifier expected");
    EXPECT_EQ(errorOf("%%tokens 256 'a' 'x' 'y' 1"), kRangeError);
    EXPECT_EQ(errorOf("%%tokens InState 256 ()"), kRangeError);
    EXPECT_EQ(errorOf("%%tokens InState 4 5 'a' 'x' 'y' 1"), "'(' expected");
    EXPECT_EQ(errorOf("%%tokens InState 4 (5 'a' 'x' 'y' 1"), "')' expected");
}

// ---------------------------------------------------------------- states and containers

TEST(StatesSection, EnterLeaveAndStackActions)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%words 'go' '' 7  'w' '' 9 [3]  %%states 7 (+3 -1)"), "");
    const TTokenStateRec& go = *parser.Tables().TokenStates[7];
    EXPECT_EQ(go.Enter, (TStateSet{3}));
    EXPECT_EQ(go.Leave, (TStateSet{1}));
    EXPECT_EQ(go.NoStateChange, 0);
    EXPECT_EQ(go.StackAction, 0);
    // The word valid in state 3 counts only once token 7 has entered it.
    EXPECT_EQ(tokensOf(parser, "w go w"), "0:w 0:  7:go 0:  9:w");

    ASSERT_EQ(compile(parser, "%%states 7 push (+[3 4] -(1 + 1)) 8 (+3) pop 9 (-2 +[]) push"), "");
    const TParserTables& tables = parser.Tables();
    EXPECT_EQ(tables.TokenStates[7]->StackAction, saPushBefore);
    EXPECT_EQ(tables.TokenStates[7]->Enter, (TStateSet{3, 4}));
    EXPECT_EQ(tables.TokenStates[7]->Leave, (TStateSet{2}));
    EXPECT_EQ(tables.TokenStates[8]->StackAction, saPopAfter);
    EXPECT_TRUE(tables.TokenStates[8]->Enter.IsEmpty());
    EXPECT_EQ(tables.TokenStates[8]->NoStateChange, 1);
    EXPECT_EQ(tables.TokenStates[9]->StackAction, saPushAfter);

    // A token without a record gets one with the defaults, so its stack action or container flag
    // is kept even when the list is empty.
    ASSERT_EQ(compile(parser, "%%states 9 push () %%containers 8 () 10 (+5)"), "");
    EXPECT_EQ(parser.Tables().TokenStates[9]->StackAction, saPushBefore);
    EXPECT_EQ(parser.Tables().TokenStates[9]->ValidIn, (TStateSet{0}));
    EXPECT_EQ(parser.Tables().TokenStates[9]->NoStateChange, 1);
    EXPECT_EQ(parser.Tables().TokenStates[8]->Container, 1);
    EXPECT_EQ(parser.Tables().TokenStates[10]->Container, 1);
    EXPECT_EQ(parser.Tables().TokenStates[10]->Enter, (TStateSet{5}));
    EXPECT_EQ(parser.Tables().TokenStates[10]->NoStateChange, 0);

    EXPECT_EQ(errorOf("%%states 7 +3)"), "'(' expected");
    EXPECT_EQ(errorOf("%%states 7 (+3 4)"), "')' expected");
    EXPECT_EQ(errorOf("%%states 7 (+256)"), kRangeError);
    EXPECT_EQ(errorOf("%%states 256 ()"), kRangeError);
    EXPECT_EQ(errorOf("%%containers 7 +3"), "'(' expected");
    EXPECT_EQ(errorOf("%%containers 256 ()"), kRangeError);
}

// ---------------------------------------------------------------- settings sections

TEST(KwTablesSection, TablesBoundToStates)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%kwTables forstate [] endswith '[^a-z]' (5 is 'var', 'Let' 6 is 'null')"
                              "  forstate [2 3] endswith '' (7 is 'x')"),
              "");
    const TSM_Settings& settings = parser.Settings();
    ASSERT_EQ(settings.KeywordTableCount(), 2);
    const TKeywordDefinitions& first = *settings.KeywordTable(0);
    EXPECT_EQ(first.States, (TStateSet{0}));
    EXPECT_EQ(first.CharSpec, "[^a-z]");
    ASSERT_EQ(first.Words.size(), 3u);
    EXPECT_EQ(first.Words[1].Word, "Let");
    EXPECT_EQ(first.Words[1].Value, 5);
    EXPECT_EQ(first.Words[2].Value, 6);
    EXPECT_EQ(settings.KeywordTable(1)->States, (TStateSet{2, 3}));
    EXPECT_EQ(tokensOf(parser, "let null"), "5:let 0:  6:null");

    EXPECT_EQ(errorOf("%%kwTables forstate 0"), "'[' expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] (5 is 'a')"), "'endswith' expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] endswith 5"), "String value expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] endswith '' 5"), "'(' expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] endswith '' (5 'a')"), "String value expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] endswith '' (5 is 'a'"), "')' expected");
    EXPECT_EQ(errorOf("%%kwTables forstate [] endswith '' (256 is 'a')"), kRangeError);
    // The settings' own refusal passes through.
    EXPECT_EQ(errorOf("%%kwTables forstate [1 2] endswith '' (5 is 'a') forstate [2] endswith '' (5 is 'b')"),
              "Ambigious key table state definition");
}

TEST(MapAndEffectsSections, StylesAndTheirMap)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%map 10 5 %%effects 5 [fsBold, fsItalic] clRed clWhite *"
                              "  6 [9] 1 + 2 * 4 'HotSpot'  0 [] clBlue clBlack  0 [fsUnderline] clGreen clBlack"),
              "");
    const TSM_Settings& settings = parser.Settings();
    EXPECT_EQ(settings.GetStyleFlag(10), 5);
    const TSM_TokenStyle& style = settings.GetStyle(5);
    EXPECT_EQ(style.FontStyle, fsBold | fsItalic);
    EXPECT_EQ(style.Foreground, clRed);
    EXPECT_EQ(style.Background, clWhite);
    EXPECT_EQ(style.DefaultForeground, 0);
    EXPECT_EQ(style.DefaultBackground, 1);
    EXPECT_EQ(style.Hotspot, 0);
    EXPECT_EQ(style.Defined, 1);
    // Font style 9 sets no bit; the hotspot mark is compared without case.
    EXPECT_EQ(settings.GetStyle(6).FontStyle, 0);
    EXPECT_EQ(settings.GetStyle(6).Foreground, 3);
    EXPECT_EQ(settings.GetStyle(6).DefaultForeground, 1);
    EXPECT_EQ(settings.GetStyle(6).Background, 4);
    EXPECT_EQ(settings.GetStyle(6).Hotspot, 1);
    // Style 0 may be restated; the last entry wins.
    EXPECT_EQ(settings.GetStyle(0).FontStyle, fsUnderline);
    EXPECT_EQ(settings.GetStyle(0).Foreground, clGreen);

    EXPECT_EQ(errorOf("%%effects 5 [] 1 2  5 [] 1 2"), "Duplicate %%effect entry");
    // Another string ends the section, and the driver stops there.
    EXPECT_EQ(errorOf("%%effects 5 [] 1 2 'link'"), "Script syntax error");
    EXPECT_EQ(errorOf("%%effects 5 1 2"), "'[' expected");
    EXPECT_EQ(errorOf("%%effects 5 [fsBold 1 2"), "']' expected");
    EXPECT_EQ(errorOf("%%effects 5 [fsBold, ] 1 2"), "Bad font style specifier");
    EXPECT_EQ(errorOf("%%effects 256 [] 1 2"), kRangeError);
    EXPECT_EQ(errorOf("%%map 256 1"), kRangeError);
    EXPECT_EQ(errorOf("%%map 1 256"), kRangeError);
}

TEST(KeysSection, BindingsNamesAndModifiers)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, "%%keys caUNDO ([ctrl] 'z') 'Deshacer'"), "");
    TKeyboardActionContoller& keys = parser.Settings().KeyController();
    EXPECT_EQ(keys.SequenceCount(), 1);
    uint16_t key1 = 0, key2 = 0;
    ASSERT_TRUE(keys.FindFirstKeys(41, key1, key2));
    EXPECT_EQ(key1, 0x405A);
    EXPECT_EQ(key2, 0);
    EXPECT_EQ(keys.GetActionName(41), "Deshacer");

    // A second section starts from an empty controller; modifiers on a second key are dropped.
    ASSERT_EQ(compile(parser, "%%keys 41 ([ctrl] 'z') %%keys caREDO ([shift, alt] F2, [ctrl] 'r' | [ctrl shift] 89)"),
              "");
    EXPECT_THAT(keys.KeyStore().Sequences(),
                UnorderedElementsAre(TKeySequence{scShift | scAlt | 113, 'R', 42}, TKeySequence{scCtrl | scShift | 'Y', 0, 42}));
    EXPECT_EQ(keys.ActionNameCount(), 0);

    EXPECT_EQ(errorOf("%%keys 41 ('z') ''"), "Key function name cannot be blank");
    EXPECT_EQ(errorOf("%%keys 41 ('zz')"), "Single character specifier expected");
    EXPECT_EQ(errorOf("%%keys 41 ('')"), "Single character specifier expected");
    EXPECT_EQ(errorOf("%%keys 41 ([ctrl])"), "Key specification required");
    EXPECT_EQ(errorOf("%%keys 41 ([ctrl 'z')"), "']' expected");
    EXPECT_EQ(errorOf("%%keys 41 ('z' 'y')"), "')' expected");
    EXPECT_EQ(errorOf("%%keys 41 (256)"), kRangeError);
}

TEST(AutoReplaceAndTemplatesSections, EntriesHotKeyAndTriggers)
{
    TCodeMemoParser parser;
    ASSERT_EQ(compile(parser, R"(%%autoreplace 'teh' = 'the' actionkeys = ';\{Return}'
                                 %%templates 'tb' ('Tabla') = '<TABLE>\n</TABLE>' 'Br' = '<BR>' hotkey = ([ctrl] 'k'))"),
              "");
    const TAutoReplace& replace = parser.Settings().AutoReplace();
    ASSERT_EQ(replace.Count(), 1);
    EXPECT_EQ(replace.Entry(0).Key, "teh");
    EXPECT_EQ(replace.Entry(0).Text, "the");
    // The trigger list keeps its own escapes.
    EXPECT_EQ(replace.TriggerKeys(), R"(;\{Return})");
    const TCodeTemplates& templates = parser.Settings().CodeTemplates();
    ASSERT_EQ(templates.Count(), 2);
    EXPECT_EQ(templates.Entry(0).Key, "br");
    EXPECT_EQ(templates.Entry(1).Key, "tb");
    EXPECT_EQ(templates.Entry(1).Description, "Tabla");
    EXPECT_EQ(templates.Entry(1).Text, "<TABLE>\r</TABLE>");
    EXPECT_EQ(templates.HotKey, scCtrl | 'K');

    // Each section empties what it fills; auto-replace gets its default triggers back.
    ASSERT_EQ(compile(parser, "%%autoreplace 'a' = 'b' actionkeys = ';' %%autoreplace 'c' = 'd'"
                              "%%templates 'x' = 'y' %%templates 'z' = 'w'"),
              "");
    ASSERT_EQ(replace.Count(), 1);
    EXPECT_EQ(replace.Entry(0).Key, "c");
    EXPECT_EQ(replace.TriggerKeys(), TAutoReplace::kDefaultTriggerKeys);
    ASSERT_EQ(templates.Count(), 1);
    EXPECT_EQ(templates.Entry(0).Key, "z");

    EXPECT_EQ(errorOf("%%autoreplace 'a' 'b'"), "'=' expected");
    EXPECT_EQ(errorOf("%%autoreplace 'a' = 5"), "String value expected");
    EXPECT_EQ(errorOf("%%autoreplace actionkeys ';'"), "'=' expected");
    EXPECT_EQ(errorOf("%%templates 'a' ('b' = 'c'"), "')' expected");
    EXPECT_EQ(errorOf("%%templates 'a' 'c'"), "'=' expected");
    EXPECT_EQ(errorOf("%%templates hotkey = 'k'"), "'(' expected");
    EXPECT_EQ(errorOf("%%templates hotkey = ('k'"), "')' expected");
}

TEST(SectionReaders, ErrorContextNamesSectionAndEntry)
{
    struct Case {
        const char* script;
        const char* context;
    };
    const Case cases[] = {
        {"%%words 'if' '[a-z]x' 5", "%%Words - [a-z]x"},
        {"%%handlers 5 'ab'", "%%Handlers - 5"},
        {"%%tokens 6 'a' 'b'", "%%Tokens - 6"},
        {"%%states 7 (", "%%States - 7"},
        {"%%containers 8 (", "%%Containers - 8"},
        {"%%map 9 300", "%%Map - 9"},
        {"%%effects 10 [", "%%Effects - 10"},
        {"%%keys 41 (", "%%Keys - 41"},
        {"%%kwTables forstate", "%%KwTables"},
        {"%%autoreplace 'a'", "%%AutoReplace"},
        {"%%templates 'a'", "%%Templates"},
    };
    for (const Case& c : cases) {
        TCodeMemoParser parser;
        EXPECT_NE(compile(parser, c.script), "") << c.script;
        EXPECT_EQ(parser.CompileErrorContext(), c.context) << c.script;
    }
    // A section keyword may come again, and sections follow each other in any order.
    TCodeMemoParser parser;
    EXPECT_EQ(compile(parser, "%%words 'a' '' 1 %%map 1 2 %%words 'b' '' 3 %%handler 1 2 %%handlers 3 4"), "");
    EXPECT_EQ(parser.Keywords().WordCount(), 2);
    EXPECT_THAT(compile(parser, "%%words 'a' '' 1 ]"), EndsWith(": Script syntax error"));
}
