// Tests of the highlighting-script lexer: keywords, macros, directives, strings, positions and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/core/SysUtils.h"
#include "highlight/SYM_COMP.h"
#include "platform/core/Classes.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct Token {
    int32_t code;
    std::string text; // number value, raw string text or keyword code, as text
    int32_t line;
    int32_t column;
    bool operator==(const Token&) const = default;
};

// Every token of a script up to the end, or the message of the error that stopped it.
struct Lexed {
    std::vector<Token> tokens;
    std::string error;
};

Lexed lex(const std::string& script, const std::string& includeDir = "")
{
    Lexed result;
    try {
        TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
        TSYM_Compiler lexer(source, includeDir);
        for (int guard = 0; guard < 100000; ++guard) {
            int32_t code = lexer.GetToken();
            std::string text = code == ScriptToken::Number ? std::to_string(lexer.Number())
                               : code == ScriptToken::String ? lexer.StringText()
                                                             : std::string();
            result.tokens.push_back({code, text, lexer.Line(), lexer.Column()});
            if (code == ScriptToken::EndOfInput)
                break;
        }
    } catch (const ESYM_COMP_ERROR& e) {
        result.error = e.Message();
    }
    return result;
}

std::vector<int32_t> codes(const std::string& script, const std::string& includeDir = "")
{
    Lexed lexed = lex(script, includeDir);
    EXPECT_EQ(lexed.error, "") << script;
    std::vector<int32_t> result;
    for (const Token& t : lexed.tokens)
        result.push_back(t.code);
    return result;
}

std::vector<std::string> numbersAndStrings(const std::string& script, const std::string& includeDir = "")
{
    Lexed lexed = lex(script, includeDir);
    EXPECT_EQ(lexed.error, "") << script;
    std::vector<std::string> result;
    for (const Token& t : lexed.tokens)
        if (t.code == ScriptToken::Number || t.code == ScriptToken::String)
            result.push_back(t.text);
    return result;
}

std::string errorOf(const std::string& script, const std::string& includeDir = "")
{
    return lex(script, includeDir).error;
}

std::string decoded(const std::string& stringToken)
{
    TCustomMemoryStream source(stringToken.data(), static_cast<int64_t>(stringToken.size()));
    TSYM_Compiler lexer(source, "");
    EXPECT_EQ(lexer.GetToken(), ScriptToken::String);
    std::string value = "unchanged";
    lexer.UnescapeString(value);
    return value;
}

std::string toLfOnly(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

using V = std::vector<int32_t>;
using S = std::vector<std::string>;

} // namespace

TEST(WordStore, StoresWordsWithoutCaseAndReplacesMacroTexts)
{
    TWordStore store;
    store.AddMacro("Alpha", "1");
    store.AddMacro("alphabet", "2");
    store.AddMacro("", "ignored");
    ASSERT_NE(store.FindMacro("ALPHA"), nullptr);
    EXPECT_EQ(*store.FindMacro("ALPHA"), "1");
    EXPECT_EQ(*store.FindMacro("AlphaBet"), "2");
    EXPECT_EQ(store.FindMacro("alph"), nullptr); // a prefix is no word
    EXPECT_EQ(store.FindMacro("alphabets"), nullptr);
    EXPECT_EQ(store.FindMacro(""), nullptr);
    EXPECT_FALSE(store.HasMacro("beta"));
    store.AddMacro("ALPHA", "3");
    EXPECT_EQ(*store.FindMacro("alpha"), "3");
    store.AddMacro("alph", "");
    EXPECT_TRUE(store.HasMacro("alph"));
    EXPECT_EQ(*store.FindMacro("alph"), "");
    // Case folding touches A..Z only.
    store.AddMacro("\xC0x", "4");
    EXPECT_FALSE(store.HasMacro("\xE0x"));
    store.Clear();
    EXPECT_FALSE(store.HasMacro("alpha"));
}

TEST(WordStore, MatchLongestStopsAtWordBoundaries)
{
    TWordStore store;
    store.AddKeyword("name", 21);
    store.AddKeyword("names", 99);
    store.AddKeyword("=", 25);
    store.AddKeyword("%%handler", 26);
    store.AddKeyword("%%handlers", 26);
    store.AddKeyword("ab", 5);

    const char* text = "NAME=1";
    const char* p = text;
    EXPECT_EQ(store.MatchLongest(p), 21);
    EXPECT_EQ(p, text + 4);
    EXPECT_EQ(store.MatchLongest(p), 25);
    EXPECT_EQ(p, text + 5);
    EXPECT_EQ(store.MatchLongest(p), -1);
    EXPECT_EQ(p, text + 5);

    text = "names";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), 99);
    EXPECT_EQ(p, text + 5);

    text = "namesake";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), -1); // neither word may end inside a longer word
    EXPECT_EQ(p, text);

    text = "%%handlersX";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), -1);
    text = "%%Handlers(";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), 26);
    EXPECT_EQ(p, text + 10);

    text = "=abc"; // a keyword of punctuation matches whatever follows
    p = text;
    EXPECT_EQ(store.MatchLongest(p), 25);
    text = "abc";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), -1);
    text = "";
    p = text;
    EXPECT_EQ(store.MatchLongest(p), -1);
}

TEST(ScriptLexer, KeywordsAndMacrosIgnoreCase)
{
    EXPECT_EQ(codes("InSTATE left"), (V{63, 91, 93}));
    EXPECT_EQ(numbersAndStrings("InSTATE left LEFT Left"), (S{"37", "37", "37"}));
    EXPECT_EQ(codes("%%HANDLERS %%handler %%KwTables name=NAME ="), (V{26, 26, 75, 21, 25, 21, 25, 93}));
    EXPECT_EQ(codes("GutterFontStyle guttercolor or - +*|?"), (V{98, 65, 81, 39, 38, 72, 67, 42, 93}));
    EXPECT_EQ(numbersAndStrings("clRed __default_options caPRINTSEL None F12 fsStrikeout MAC_CHARSET"),
              (S{"255", "67099632", "44", "0", "123", "3", "77"}));
    // Digit runs are plain decimal and wrap at 32 bits.
    EXPECT_EQ(numbersAndStrings("007 4294967297"), (S{"7", "1"}));
}

TEST(ScriptLexer, UnknownWordsAndCharactersAreReported)
{
    EXPECT_EQ(errorOf("names"), "** ERROR near line 1, Column 6: Identifier \"names\" Unknown");
    EXPECT_EQ(errorOf("name names"), "** ERROR near line 1, Column 11: Identifier \"names\" Unknown");
    EXPECT_EQ(errorOf("12ab"), "** ERROR near line 1, Column 5: Identifier \"ab\" Unknown");
    EXPECT_EQ(errorOf("  \"x\""), "** ERROR near line 1, Column 4: Unknown character in input stream: #$22");
    EXPECT_EQ(errorOf("\xFF"), "** ERROR near line 1, Column 2: Unknown character in input stream: #$ff");
    // Directive words are lower case only.
    EXPECT_EQ(errorOf("#Define X 1"), "** ERROR near line 1, Column 2: Unknown character in input stream: #$23");
    EXPECT_EQ(errorOf("#"), "** ERROR near line 1, Column 2: Unknown character in input stream: #$23");
}

TEST(ScriptLexer, ErrorsCarryLineAndColumnCountedFromOne)
{
    std::string script = "1\r\n2\r\n12345 6";
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    TSYM_Compiler lexer(source, "");
    EXPECT_EQ(lexer.GetToken(), 91);
    EXPECT_EQ(lexer.GetToken(), 91);
    EXPECT_EQ(lexer.GetToken(), 91);
    EXPECT_EQ(lexer.Line(), 2);
    EXPECT_EQ(lexer.Column(), 5);
    try {
        lexer.Error("Script syntax error");
        FAIL() << "Error returned";
    } catch (const ESYM_COMP_ERROR& e) {
        EXPECT_EQ(e.Message(), "** ERROR near line 3, Column 6: Script syntax error");
        EXPECT_EQ(e.Line(), 2);
        EXPECT_EQ(e.Column(), 5);
    }
    // The character that starts no token has been read when it is reported.
    EXPECT_EQ(errorOf("\r\n/* a\r\n */\r\n1234 #"),
              "** ERROR near line 4, Column 7: Unknown character in input stream: #$23");
    // Tabs, non-breaking spaces and comments count one column per character.
    EXPECT_EQ(errorOf("\t\xA0/**/ ?x"), "** ERROR near line 1, Column 10: Identifier \"x\" Unknown");
    // An error raised while the lexer starts up is a script error too.
    EXPECT_EQ(errorOf("\r\n#define"), "** ERROR near line 2, Column 8: Macro name expected");
}

TEST(ScriptLexer, MacroExpansion)
{
    EXPECT_EQ(numbersAndStrings("#define TWO 2\r\n#define SUM TWO + 1\r\n SUM sum"),
              (S{"2", "1", "2", "1"}));
    EXPECT_EQ(codes("#define TWO 2\r\n#define SUM TWO + 1\r\n SUM"), (V{91, 38, 91, 93}));
    // Trailing blanks are cut; a later #define replaces an earlier one; the name may follow on a later line.
    EXPECT_EQ(numbersAndStrings("#define X 1 \t \r\n X #define X 2\r\n X #define\r\n /*c*/ Y 3\r\nY"),
              (S{"1", "2", "3"}));
    // An empty text makes the name vanish; a text that is the name itself defines nothing.
    EXPECT_EQ(codes("#define GONE\r\nGONE 4 gone"), (V{91, 93}));
    EXPECT_EQ(errorOf("#define Foo FOO\r\nFoo"), "** ERROR near line 2, Column 4: Identifier \"Foo\" Unknown");
    // Predefined macros can be redefined.
    EXPECT_EQ(numbersAndStrings("#define clRed 7\r\nclRed"), (S{"7"}));
    // A macro may redefine itself while it is being read.
    EXPECT_EQ(numbersAndStrings("#define M 1 #define M 2\r\nM M"), (S{"1", "2"}));
    EXPECT_EQ(errorOf("#define 5"), "** ERROR near line 1, Column 9: Macro name expected");
}

TEST(ScriptLexer, RecursiveExpansionIsReported)
{
    EXPECT_EQ(errorOf("ver200"), "** ERROR near line 1, Column 13: Recursive expansion of macro 'ver200'");
    EXPECT_THAT(errorOf("#define A 1 B\r\n#define B 2 a\r\nA"), HasSubstr("Recursive expansion of macro 'a'"));
    // The same macro used twice in a row is no recursion.
    EXPECT_EQ(numbersAndStrings("#define A 1\r\n#define B A A\r\nB"), (S{"1", "1"}));
}

TEST(ScriptLexer, MacroNestingIsBounded)
{
    auto chain = [](int count) {
        std::string script;
        for (int i = 0; i + 1 < count; ++i)
            script += "#define m" + std::to_string(i) + " m" + std::to_string(i + 1) + "\r\n";
        script += "#define m" + std::to_string(count - 1) + " 1\r\nm0";
        return script;
    };
    EXPECT_EQ(numbersAndStrings(chain(TSYM_Compiler::MaxMacroDepth)), (S{"1"}));
    EXPECT_THAT(errorOf(chain(TSYM_Compiler::MaxMacroDepth + 1)),
                HasSubstr("Expansion of macro 'm256' nested too deeply"));
    EXPECT_THAT(errorOf(chain(5000)), HasSubstr("nested too deeply"));
}

TEST(ScriptLexer, ConditionalSections)
{
    EXPECT_EQ(numbersAndStrings("#ifdef ver200\r\n1\r\n#else\r\n2\r\n#endif\r\n3"), (S{"1", "3"}));
    EXPECT_EQ(numbersAndStrings("#ifdef nothing\r\n1\r\n#else\r\n2\r\n#endif\r\n3"), (S{"2", "3"}));
    EXPECT_EQ(numbersAndStrings("#ifndef nothing\r\n1\r\n#else\r\n2\r\n#endif"), (S{"1"}));
    EXPECT_EQ(numbersAndStrings("#ifndef CLRED\r\n1\r\n#else\r\n2\r\n#endif"), (S{"2"}));
    // Three levels with the outer one false: everything up to the outer #endif goes, and an inner
    // #else does not start taking text; unknown words and characters in skipped text are no errors.
    EXPECT_EQ(numbersAndStrings("#ifdef no\r\n 1 bad $\r\n #ifdef ver200\r\n 2\r\n  #ifndef no\r\n 3\r\n"
                                "  #else\r\n 4\r\n  #endif\r\n #else\r\n 5\r\n #endif\r\n 6\r\n#endif\r\n 7"),
              (S{"7"}));
    EXPECT_EQ(numbersAndStrings("#ifdef ver200\r\n #ifdef no\r\n 1\r\n #else\r\n 2\r\n #endif\r\n 3\r\n"
                                "#else\r\n 4\r\n#endif\r\n"),
              (S{"2", "3"}));
    // #define is carried out in a skipped section; #include is not.
    EXPECT_EQ(numbersAndStrings("#ifdef no\r\n#define Z 9\r\n#include \"nofile\"\r\n#endif\r\nZ"), (S{"9"}));
    // A missing #endif skips the rest of the script without complaint.
    EXPECT_EQ(codes("#ifdef no\r\n1 2 3"), (V{93}));
    EXPECT_EQ(errorOf("#ifdef 5"), "** ERROR near line 1, Column 8: Macro name expected after #ifdef");
    EXPECT_EQ(errorOf("#ifndef\r\n'x'"), "** ERROR near line 2, Column 1: Macro name expected after #ifdef");
}

TEST(ScriptLexer, UnmatchedElseAndEndifAreReported)
{
    EXPECT_EQ(errorOf("1\r\n#else\r\n2"), "** ERROR near line 2, Column 6: #else without matching #ifdef or #ifndef");
    EXPECT_EQ(errorOf("#endif"), "** ERROR near line 1, Column 7: #endif without matching #ifdef or #ifndef");
    EXPECT_EQ(errorOf("#ifdef no\r\n#endif\r\n#endif"),
              "** ERROR near line 3, Column 7: #endif without matching #ifdef or #ifndef");
}

TEST(ScriptLexer, IncludeErrors)
{
    EXPECT_EQ(errorOf("#include \"nofile\""),
              "** ERROR near line 1, Column 18: Unable to open #include file \"nofile\"");
    EXPECT_EQ(errorOf("#include <nofile>", "/no/such/dir"),
              "** ERROR near line 1, Column 18: Unable to open #include file </no/such/dir/nofile>");
    EXPECT_EQ(errorOf("#include <nofile>", "/no/such/dir/"),
              "** ERROR near line 1, Column 18: Unable to open #include file </no/such/dir/nofile>");
    EXPECT_EQ(errorOf("#include \"nofile\r\n\""),
              "** ERROR near line 1, Column 17: #include filename missing terminating \"");
    EXPECT_EQ(errorOf("#include <nofile"), "** ERROR near line 1, Column 17: #include filename missing terminating >");
    EXPECT_EQ(errorOf("#include nofile"),
              "** ERROR near line 1, Column 10: #include filename not enclosed in \"...\" or <...>");
}

TEST(ScriptLexer, IncludeReadsARealFile)
{
    TempDir dir("kestrima-lexer");
    ASSERT_FALSE(dir.path.empty());
    // The included file ends with a macro use: reading returns after the #include line's directive.
    std::string inc = dir.file("inc.txt", "#define FIVE 5\r\n'in' FIVE");
    EXPECT_EQ(numbersAndStrings("1 #include \"" + inc + "\" 2 FIVE"), (S{"1", "in", "5", "2", "5"}));
    EXPECT_EQ(numbersAndStrings("#include <inc.txt>\r\n3", dir.path.string()), (S{"in", "5", "3"}));
    // Lines are counted on through the included text.
    EXPECT_EQ(errorOf("#include \"" + inc + "\"\r\n\r\n?x"),
              "** ERROR near line 4, Column 3: Identifier \"x\" Unknown");

    std::string self = (dir.path / "self.txt").string();
    dir.file("self.txt", "#include \"" + self + "\"");
    EXPECT_EQ(errorOf("#include \"" + self + "\""),
              "** ERROR near line 1, Column " + std::to_string(2 * (self.size() + 11) + 1) +
                  ": Recursive expansion of macro '-file-: " + self + "'");

    // A folder is not a file to include.
    EXPECT_THAT(errorOf("#include <.>", dir.path.string()), HasSubstr("Unable to open #include file <"));
}

TEST(ScriptLexer, IncludeNestingIsBounded)
{
    TempDir dir("kestrima-lexer");
    ASSERT_FALSE(dir.path.empty());
    const int files = TSYM_Compiler::MaxIncludeDepth + 8;
    for (int i = 0; i < files; ++i) {
        std::string next = i + 1 < files ? Format("#include <f%d>\r\n", i + 1) : std::string();
        dir.file(Format("f%d", i), Format("%d\r\n", i) + next);
    }
    std::string error = errorOf("#include <f0>", dir.path.string());
    EXPECT_THAT(error, HasSubstr("#include file " + (dir.path / "f32").string() + " nested too deeply"));
    EXPECT_EQ(numbersAndStrings("#include <f" + std::to_string(files - TSYM_Compiler::MaxIncludeDepth) + ">",
                                dir.path.string())
                  .size(),
              static_cast<size_t>(TSYM_Compiler::MaxIncludeDepth));
}

TEST(ScriptLexer, StringsAreKeptAsWritten)
{
    EXPECT_EQ(numbersAndStrings("'a\\'b' '' 'x'"), (S{"a\\'b", "", "x"}));
    // A quote right after the closing one is passed over.
    EXPECT_EQ(numbersAndStrings("'it'' 5"), (S{"it", "5"}));
    EXPECT_EQ(errorOf("'it''s'"), "** ERROR near line 1, Column 7: Identifier \"s\" Unknown");
    // A line break belongs to the string; a backslash before it continues the line without the break.
    EXPECT_EQ(numbersAndStrings("'one\r\ntwo' 'ab\\\r\n   \\cd' 'x\\\r\n\r\n\t y'"),
              (S{"one\r\ntwo", "abcd", "xy"}));
    EXPECT_EQ(errorOf("'ab\\\r\n\r\n   cd' ?z"), "** ERROR near line 3, Column 10: Identifier \"z\" Unknown");
    // An unterminated string ends with the text.
    EXPECT_EQ(numbersAndStrings("'abc"), (S{"abc"}));
    EXPECT_EQ(numbersAndStrings("'abc\\"), (S{"abc\\"}));
    // A string from a macro ends with the macro's text.
    EXPECT_EQ(numbersAndStrings("#define Q 'abc\r\nQ 1"), (S{"abc", "1"}));
}

TEST(ScriptLexer, UnescapeStringDecodes)
{
    EXPECT_EQ(decoded("'\\x41\\101\\n\\r'"), "AA\r\n");
    EXPECT_EQ(decoded("'\\b\\E\\s\\T\\N\\R\\\\\\'\\q'"), std::string("\b\x1B \t\r\n\\'q"));
    EXPECT_EQ(decoded("'\\X4a\\x4G\\7\\777\\0101'"), std::string("J\x04G\x07\xFF\x41"));
    EXPECT_EQ(decoded("'\\x123'"), "#"); // 0x123 mod 256
    // Decoding stops at the first character 0.
    EXPECT_EQ(decoded("'ab\\x'"), "ab");
    EXPECT_EQ(decoded("'ab\\0cd'"), "ab");
    EXPECT_EQ(decoded("'ab\\"), "ab");
    EXPECT_EQ(decoded("''"), "");
    EXPECT_EQ(decoded("'caf\xE9'"), "caf\xE9");
}

TEST(ScriptLexer, Comments)
{
    EXPECT_EQ(numbersAndStrings("/*/ 1 /**/ 2 /*** x ***/ 3 // 4 */\r\n5 /* 6\r\n 7 */ 8"),
              (S{"1", "2", "3", "5", "8"}));
    EXPECT_EQ(codes("1 /* unterminated"), (V{91, 93}));
    EXPECT_EQ(codes("1 // unterminated"), (V{91, 93}));
    // A slash that starts no comment is a character.
    EXPECT_EQ(errorOf("/ 1"), "** ERROR near line 1, Column 2: Unknown character in input stream: #$2f");
    // A comment inside a macro ends with the macro's text.
    EXPECT_EQ(numbersAndStrings("#define C 1 // two\r\nC 3"), (S{"1", "3"}));
    EXPECT_EQ(numbersAndStrings("#define C 1 /* two\r\nC 3"), (S{"1", "3"}));
    EXPECT_EQ(errorOf("#define C 1 /* two\r\nC */"),
              "** ERROR near line 2, Column 13: Unknown character in input stream: #$2f");
}

TEST(ScriptLexer, LfAndCrLfScriptsReadTheSame)
{
    const std::string crlf = "// comment\r\n%%language\r\n#define X 1 + \r\n name = 'a\r\nb' X // c\r\n"
                             "#ifdef X\r\n 'c\\\r\n   d'\r\n#endif\r\n/* a\r\n b */ 7\r\n? bad";
    const std::string lf = toLfOnly(crlf);
    Lexed a = lex(crlf), b = lex(lf);
    EXPECT_EQ(a.tokens, b.tokens);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.error, "** ERROR near line 12, Column 6: Identifier \"bad\" Unknown");
    EXPECT_EQ(a.tokens.size(), 9u);

    // An LF-only include file does not let a line comment swallow the rest of the file.
    TempDir dir("kestrima-lexer");
    ASSERT_FALSE(dir.path.empty());
    dir.file("lf.inc", "// first line\n1 // second\n2\n#define T 3\nT\n");
    dir.file("crlf.inc", "// first line\r\n1 // second\r\n2\r\n#define T 3\r\nT\r\n");
    Lexed fromLf = lex("#include <lf.inc>\n4", dir.path.string());
    Lexed fromCrLf = lex("#include <crlf.inc>\r\n4", dir.path.string());
    EXPECT_EQ(fromLf.error, "");
    EXPECT_EQ(fromLf.tokens, fromCrLf.tokens);
    EXPECT_EQ(numbersAndStrings("#include <lf.inc>\n4", dir.path.string()), (S{"1", "2", "3", "4"}));
}

TEST(ScriptLexer, ReadsFromAStreamPositionOrAFile)
{
    std::string script = "ignored 1 2";
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    source.SetPosition(8);
    TSYM_Compiler fromStream(source, "");
    EXPECT_EQ(fromStream.GetToken(), 91);
    EXPECT_EQ(fromStream.Number(), 1);

    TempDir dir("kestrima-lexer");
    ASSERT_FALSE(dir.path.empty());
    TSYM_Compiler fromFile(dir.file("script.txt", std::string("%%map 9\0 10", 11)), "");
    EXPECT_EQ(fromFile.GetToken(), 28);
    EXPECT_EQ(fromFile.GetToken(), 91);
    EXPECT_EQ(fromFile.GetToken(), 93);
    EXPECT_EQ(fromFile.GetToken(), 93);
    EXPECT_THROW(TSYM_Compiler((dir.path / "missing").string(), ""), EFOpenError);
}

TEST(ScriptLexer, RandomScriptsOnlyEverRaiseScriptErrors)
{
    TempDir dir("kestrima-lexer");
    ASSERT_FALSE(dir.path.empty());
    dir.file("self.inc", "1 #include <self.inc>\r\n");
    dir.file("lf.inc", "#define INC 'x\\\n y'\n// tail\nINC #ifdef INC\n");
    static const char* const fragments[] = {
        "%%language", "name", "=", "InState", "LEFT", "clRed", "ver200", "names", "%%handlers", "(", ")",
        "#define A B\r\n", "#define B 1 A\r\n", "#define ", "#define C", "#ifdef ", "#ifndef ", "#else",
        "#endif", "#include ", "#include <self.inc>", "#include <lf.inc>", "\"nofile\"", "<x>", "'",
        "'ab\\x41'", "\\", "\\\r\n", "/*", "*/", "//", "/*/", "\r\n", "\n", "\r", " ", "\t", "\xA0", "123",
        "4294967296", "A", "B", "C", "#", "$", "\\x", "\\101", "''", "_", "Z9",
    };
    std::mt19937 rng(20240611);
    int errors = 0, finished = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string script;
        int pieces = static_cast<int>(rng() % 40);
        for (int i = 0; i < pieces; ++i) {
            if (rng() % 8 == 0)
                script += static_cast<char>(rng() % 256);
            else
                script += fragments[rng() % std::size(fragments)];
        }
        try {
            TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
            TSYM_Compiler lexer(source, dir.path.string());
            int count = 0;
            for (;; ++count) {
                ASSERT_LT(count, 100000) << "no end of input for: " << script;
                int32_t code = lexer.GetToken();
                ASSERT_TRUE((code >= 20 && code <= 82) || (code >= 91 && code <= 93) || (code >= 95 && code <= 98))
                    << code;
                if (code == ScriptToken::String) {
                    std::string value;
                    lexer.UnescapeString(value);
                    EXPECT_LE(value.size(), lexer.StringText().size());
                }
                if (code == ScriptToken::EndOfInput)
                    break;
            }
            ++finished;
        } catch (const ESYM_COMP_ERROR& e) {
            EXPECT_EQ(e.Message().rfind("** ERROR near line ", 0), 0u) << e.Message();
            ++errors;
        }
    }
    // The fragments make both outcomes common; a fuzz that only ever fails early tests little.
    EXPECT_GT(errors, 300);
    EXPECT_GT(finished, 300);
}
