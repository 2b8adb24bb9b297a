// Tests of the shipped highlighting scripts: each lexes to its end, its names, words and styles are
// sound, and compiled into an editor it colours its sample text as the token numbering says.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "highlight/SYM_COMP.h"
#include "platform/core/SysUtils.h"
#include "support/EditorText.h"
#include "support/TokenDump.h"

namespace {

namespace fs = std::filesystem;

const char* const kScripts[] = {"html.syn", "javascript.syn", "text.syn"};

std::string scriptsDir()
{
    return (fs::path(KESTRIMA_TEST_DATA).parent_path().parent_path() / "resources" / "scripts").string();
}

struct Token {
    int32_t code;
    int32_t number;   // number tokens
    std::string raw;  // string tokens as written
    std::string text; // string tokens decoded
    int32_t line;     // 1-based, for messages
};

// Every token of a script up to the end of input, or the lexer's error message.
struct Lexed {
    std::vector<Token> tokens;
    std::string error;
};

Lexed lexScript(const std::string& name)
{
    Lexed result;
    try {
        TSYM_Compiler lexer((fs::path(scriptsDir()) / name).string(), scriptsDir());
        for (;;) {
            Token t{lexer.GetToken(), 0, {}, {}, lexer.Line() + 1};
            if (t.code == ScriptToken::Number)
                t.number = lexer.Number();
            if (t.code == ScriptToken::String) {
                t.raw = lexer.StringText();
                lexer.UnescapeString(t.text);
            }
            result.tokens.push_back(t);
            if (t.code == ScriptToken::EndOfInput)
                break;
        }
    } catch (const Exception& e) {
        result.error = e.Message();
    }
    return result;
}

// Section keywords end the entries of the section before them.
bool isSection(int32_t code)
{
    switch (code) {
    case ScriptToken::Language: case ScriptToken::Words: case ScriptToken::Handler:
    case ScriptToken::Tokens: case ScriptToken::Map: case ScriptToken::Effects:
    case ScriptToken::States: case ScriptToken::Containers: case ScriptToken::Keys:
    case ScriptToken::AutoReplace: case ScriptToken::Templates: case ScriptToken::KwTables:
    case ScriptToken::EndOfInput:
        return true;
    default:
        return false;
    }
}

// The tokens of every section opened by the keyword Code, sections of the same kind joined.
std::vector<Token> sectionTokens(const std::vector<Token>& tokens, int32_t code)
{
    std::vector<Token> result;
    bool inside = false;
    for (const Token& t : tokens) {
        if (isSection(t.code))
            inside = t.code == code;
        else if (inside)
            result.push_back(t);
    }
    return result;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = AsciiLower(c);
    return s;
}

// The value of "case = n" in %%language: words are stored in lower case when it is 0 (the default).
bool caseSensitive(const std::vector<Token>& tokens)
{
    const std::vector<Token> language = sectionTokens(tokens, ScriptToken::Language);
    for (size_t i = 0; i + 2 < language.size(); ++i)
        if (language[i].code == ScriptToken::Case && language[i + 2].code == ScriptToken::Number)
            return language[i + 2].number != 0;
    return false;
}

} // namespace

TEST(ShippedScripts, LexToTheEndAndOpenWithTheLanguageSection)
{
    for (const char* name : kScripts) {
        SCOPED_TRACE(name);
        Lexed lexed = lexScript(name);
        ASSERT_EQ(lexed.error, "");
        ASSERT_GE(lexed.tokens.size(), 2u);
        // The case rule is read in %%language and applies to words added after it.
        EXPECT_EQ(lexed.tokens.front().code, ScriptToken::Language);
        EXPECT_EQ(lexed.tokens.back().code, ScriptToken::EndOfInput);
        for (const Token& t : lexed.tokens) {
            // The value of every escape is taken from all the digits that follow it, so a
            // hexadecimal escape must not run into a letter that is meant as text (\xf3digo).
            for (size_t i = 0; i + 1 < t.raw.size(); ++i) {
                if (t.raw[i] == '\\' && (t.raw[i + 1] == 'x' || t.raw[i + 1] == 'X')) {
                    size_t digits = 0;
                    while (i + 2 + digits < t.raw.size() && std::isxdigit(static_cast<unsigned char>(t.raw[i + 2 + digits])))
                        ++digits;
                    EXPECT_EQ(digits, 2u) << "line " << t.line << ": " << t.raw;
                }
                if (t.raw[i] == '\\')
                    ++i;
            }
        }
    }
}

TEST(ShippedScripts, LanguageNamesAndEditableStylesAreSpanish)
{
    struct Expected {
        const char* script;
        std::string name;
        std::vector<std::string> styles; // Windows-1252
    };
    const Expected expected[] = {
        {"html.syn", "HTML",
         {"Texto", "Etiqueta", "Atributo", "Valor", "N\xFAmero", "Entidad", "Comentario", "Enlace",
          "Correo electr\xF3nico", "Script", "Palabra reservada", "Objeto predefinido", "Cadena",
          "Expresi\xF3n regular", "Estilo"}},
        {"javascript.syn", "JavaScript",
         {"Texto", "Palabra reservada", "Objeto predefinido", "Cadena", "N\xFAmero",
          "Expresi\xF3n regular", "Operador", "Comentario"}},
        {"text.syn", "Texto", {"Texto", "Enlace", "Correo electr\xF3nico"}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.script);
        Lexed lexed = lexScript(e.script);
        ASSERT_EQ(lexed.error, "");
        const std::vector<Token> language = sectionTokens(lexed.tokens, ScriptToken::Language);
        std::string name;
        std::vector<std::string> styles;
        for (size_t i = 0; i + 2 < language.size(); ++i) {
            if (language[i].code == ScriptToken::Name && language[i + 2].code == ScriptToken::String)
                name = language[i + 2].text;
            if (language[i].code != ScriptToken::EditableStyles)
                continue;
            // ( 'name' , style ) { , ( 'name' , style ) }
            for (size_t j = i + 1; j + 4 < language.size() && language[j].code == ScriptToken::LeftParen; j += 6) {
                ASSERT_EQ(language[j + 1].code, ScriptToken::String);
                ASSERT_EQ(language[j + 2].code, ScriptToken::Comma);
                ASSERT_EQ(language[j + 3].code, ScriptToken::Number);
                ASSERT_EQ(language[j + 4].code, ScriptToken::RightParen);
                styles.push_back(language[j + 1].text);
                if (j + 5 >= language.size() || language[j + 5].code != ScriptToken::Comma)
                    break;
            }
        }
        EXPECT_EQ(name, e.name);
        EXPECT_EQ(styles, e.styles);
        for (const std::string& s : styles)
            EXPECT_LE(s.size(), 25u) << s; // the options dialog keeps 25 characters
    }
}

TEST(ShippedScripts, KeywordsNeverRepeatInOverlappingStates)
{
    for (const char* name : kScripts) {
        SCOPED_TRACE(name);
        Lexed lexed = lexScript(name);
        ASSERT_EQ(lexed.error, "");
        const bool sensitive = caseSensitive(lexed.tokens);
        auto key = [sensitive](const std::string& word) { return sensitive ? word : lower(word); };

        // %%words entries: 'word' 'follow' token [states]; without a set the word is valid in 0.
        // The same word (under the script's case rule) in two entries whose state sets overlap
        // stops the compilation.
        std::map<std::string, std::vector<std::set<int32_t>>> words;
        const std::vector<Token> entries = sectionTokens(lexed.tokens, ScriptToken::Words);
        for (size_t i = 0; i < entries.size();) {
            ASSERT_EQ(entries[i].code, ScriptToken::String) << "line " << entries[i].line;
            ASSERT_LT(i + 2, entries.size());
            ASSERT_EQ(entries[i + 1].code, ScriptToken::String) << "line " << entries[i].line;
            ASSERT_EQ(entries[i + 2].code, ScriptToken::Number) << "line " << entries[i].line;
            std::string word = key(entries[i].text);
            std::set<int32_t> states;
            i += 3;
            if (i < entries.size() && entries[i].code == ScriptToken::LeftBracket) {
                for (++i; i < entries.size() && entries[i].code == ScriptToken::Number; ++i)
                    states.insert(entries[i].number);
                ASSERT_LT(i, entries.size());
                ASSERT_EQ(entries[i].code, ScriptToken::RightBracket);
                ++i;
            } else {
                states.insert(0);
            }
            for (const std::set<int32_t>& earlier : words[word])
                for (int32_t s : states)
                    EXPECT_EQ(earlier.count(s), 0u) << "'" << word << "' twice in state " << s;
            words[word].push_back(states);
        }

        // %%kwTables: the words of all groups of one table go into one trie.
        std::set<std::string> tableWords;
        const std::vector<Token> tables = sectionTokens(lexed.tokens, ScriptToken::KwTables);
        for (size_t i = 0; i < tables.size(); ++i) {
            if (tables[i].code == ScriptToken::ForState)
                tableWords.clear();
            bool isWord = tables[i].code == ScriptToken::String && i > 0 &&
                          (tables[i - 1].code == ScriptToken::Is || tables[i - 1].code == ScriptToken::Comma);
            if (isWord) {
                EXPECT_TRUE(tableWords.insert(key(tables[i].text)).second) << tables[i].text;
            }
        }
    }
}

TEST(ShippedScripts, EveryEditableStyleHasOneEffect)
{
    for (const char* name : kScripts) {
        SCOPED_TRACE(name);
        Lexed lexed = lexScript(name);
        ASSERT_EQ(lexed.error, "");

        // style [font styles] foreground [*] background [*] ['hotspot']
        std::set<int32_t> defined;
        const std::vector<Token> effects = sectionTokens(lexed.tokens, ScriptToken::Effects);
        for (size_t i = 0; i < effects.size();) {
            ASSERT_EQ(effects[i].code, ScriptToken::Number) << "line " << effects[i].line;
            EXPECT_TRUE(defined.insert(effects[i].number).second) << "style " << effects[i].number;
            ++i;
            ASSERT_LT(i, effects.size());
            ASSERT_EQ(effects[i].code, ScriptToken::LeftBracket);
            while (i < effects.size() && effects[i].code != ScriptToken::RightBracket)
                ++i;
            ++i;
            for (int colour = 0; colour < 2; ++colour) {
                ASSERT_LT(i, effects.size());
                ASSERT_EQ(effects[i].code, ScriptToken::Number) << "line " << effects[i].line;
                ++i;
                if (i < effects.size() && effects[i].code == ScriptToken::Star)
                    ++i;
            }
            if (i < effects.size() && effects[i].code == ScriptToken::String) {
                EXPECT_EQ(lower(effects[i].text), "hotspot");
                ++i;
            }
        }

        const std::vector<Token> language = sectionTokens(lexed.tokens, ScriptToken::Language);
        for (size_t i = 0; i + 3 < language.size(); ++i) {
            if (language[i].code == ScriptToken::LeftParen && language[i + 1].code == ScriptToken::String &&
                language[i + 2].code == ScriptToken::Comma && language[i + 3].code == ScriptToken::Number) {
                EXPECT_EQ(defined.count(language[i + 3].number), 1u) << language[i + 1].raw;
            }
        }
    }
}

// ---------------------------------------------------------------- compiled into an editor

namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

} // namespace

// One shipped language compiled into the active slot of an editor that holds one of the samples.
class HighlightedSample : public ::testing::Test {
protected:
    // Compiles `script`, loads `sample` and highlights it all. The result lists the tokens as the
    // editor's highlighting run met them, as "value:text"; the style bytes it stored must agree.
    std::string highlight(const char* script, const char* sample)
    {
        if (!compile(script))
            return "";
        memo.LoadFromFile((fs::path(KESTRIMA_TEST_DATA) / sample).string());
        return dumpAll();
    }

    // The same for a text given here (line breaks written as CR LF).
    std::string highlightText(const char* script, const std::string& source)
    {
        if (!compile(script))
            return "";
        memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
        return dumpAll();
    }

    bool compile(const char* script)
    {
        parser.Script = (fs::path(scriptsDir()) / script).string();
        try {
            parser.LoadScriptFile();
        } catch (const Exception& e) {
            ADD_FAILURE() << e.Message() << " (" << parser.CompileErrorContext() << ")";
            return false;
        }
        memo.SetParser1(&parser);
        return true;
    }

    std::string dumpAll()
    {
        const std::string text = EditorText(memo);
        std::string dump;
        std::string styles;
        int end = 0;
        memo.OnTokenSeen = [&](TCustomCodeMemo*, int& value, int start, int stop) {
            if (start < 0)
                return; // the run's start and end marks
            EXPECT_EQ(start, end) << "tokens must follow each other";
            AppendToken(dump, value, std::string_view(text).substr(static_cast<size_t>(start),
                                                                   static_cast<size_t>(stop - start)));
            styles.append(static_cast<size_t>(stop - start), static_cast<char>(value));
            end = stop;
        };
        memo.ResetHighlighting();
        memo.RehighlightAll();
        memo.OnTokenSeen = nullptr; // it refers to this call's locals
        EXPECT_EQ(end, static_cast<int>(text.size()));
        EXPECT_EQ(memo.GetStyleBytes(nullptr), styles);
        return dump;
    }

    TCodeMemoParser parser;
    TCodeMemo memo;
};

TEST_F(HighlightedSample, HtmlPage)
{
    const std::string tokens = highlight("html.syn", "sample.html");
    EXPECT_EQ(memo.ActiveSettings().LanguageName, "HTML");
    // Tags, attributes, the three kinds of value, entities and comments.
    EXPECT_THAT(tokens, StartsWith(R"(10:<!DOCTYPE 0:  18:HTML 0:  18:PUBLIC 0:  24:" 25:- 25:/)"));
    EXPECT_THAT(tokens, HasSubstr(R"(26:4.0 25:  25:Transitional 25:/ 25:/ 25:EN 27:" 13:> 0:\n 29:<!-- 30: P)"));
    EXPECT_THAT(tokens, HasSubstr(R"(neas  31:--> 0:\n 10:<HTML 13:> 0:\n 10:<HEAD 13:>)"));
    EXPECT_THAT(tokens, HasSubstr(R"(10:<TITLE 13:> 0:P)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:  28:&amp; 0:  0:e)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:o 10:</TITLE 13:> 0:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(10:<BODY 0:  18:BGCOLOR 19:= 24:" 25:# 25:FFFFFF 27:" 0:  18:TEXT 19:= 20:black )"
                                  R"(0:  18:onLoad 19:= 24:" 25:suma 25:( 26:1 25:, 25:  26:2 25:) 27:" 13:>)"));
    EXPECT_THAT(tokens, HasSubstr(R"(10:<H1 0:  18:ALIGN 19:= 20:center 13:> 0:T 28:&iacute; 0:t)"));
    EXPECT_THAT(tokens, HasSubstr(R"(28:&copy; 0:  0:2 0:0 0:0 0:1 0:  28:&#169; 10:</H1 13:>)"));
    EXPECT_THAT(tokens, HasSubstr(R"(18:WIDTH 19:= 21:100 0:  18:HEIGHT 19:= 24:" 26:50 27:" 0:  18:ALT 19:= 23:'Foto' 13:>)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:a 0:  0:< 0:  0:b 0:  0:& 0:a 0:m 0:p 0:  0:c 0:\n 10:<BR 0:  13:/> 0:\n)"));
    EXPECT_THAT(tokens, EndsWith(R"(10:</BODY 13:> 0:\n 10:</HTML 13:> 0:\n)"));
    // Links and mail addresses, inside quoted values and in running text.
    EXPECT_THAT(tokens, HasSubstr(R"(24:" 1:http://www.ejemplo.com/index.html 27:" 13:> 0:V)"));
    EXPECT_THAT(tokens, HasSubstr(R"(24:" 1:mailto:info@ejemplo.com 27:")"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:  1:www.ejemplo.org 0:  0:o)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:  2:admin@ejemplo.org 0:. 0:\n)"));
    // The style sheet block and its comment.
    EXPECT_THAT(tokens, HasSubstr(R"(12:<STYLE 0:  18:TYPE 19:= 22:"text/css" 15:> 32:\n 36:<!-- 32:\n  BODY { font )"
                                  R"(32:-family: Arial }  33:/* 34: letra  35:*/ 32:\n 36:--> 32:\n 17:</STYLE 13:>)"));
    // The script block: JavaScript inside, up to its closing tag.
    EXPECT_THAT(tokens, HasSubstr(R"(11:<SCRIPT 0:  18:LANGUAGE 19:= 22:"JavaScript" 0:  18:SRC 19:= 23:'menu.js' 14:> )"
                                  R"(51:\n 36:<!-- 51:\n 52:/* 53: Comentario\n   de bloque  54:*/ 51:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:var 0:  40:total 0:  43:= 0:  41:0 43:, 0:  40:patron 0:  43:= 0:  45:/ 60:a+b 63:/g 43:;)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:if 0:  43:( 40:a 0:  43:== 0:  47:null 44:) 0:  46:return 0:  55:" 42:vac)"));
    EXPECT_THAT(tokens, HasSubstr(R"(43:; 0:  49:// 50: nada 51:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(44:) 0:  43:/ 0:  41:2 43:; 51:\n 0:  0:  46:return 0:  56:' 66:ok 58:' 43:;)"));
    EXPECT_THAT(tokens, HasSubstr(R"(49:// 50:--> 51:\n 16:</SCRIPT 13:> 0:\n 10:</HEAD 13:>)"));

    // The editor paints each token in the style the script maps it to.
    const TSM_Settings& settings = memo.ActiveSettings();
    EXPECT_EQ(&settings, &parser.Settings());
    EXPECT_EQ(settings.TokenStyle(10).FontStyle, fsBold);
    EXPECT_EQ(settings.TokenStyle(10).Foreground, clNavy);
    EXPECT_EQ(settings.TokenStyle(1).Hotspot, 1);
    EXPECT_EQ(settings.TokenStyle(30).FontStyle, fsItalic);
    EXPECT_EQ(settings.TokenStyle(46).FontStyle, fsBold);
}

TEST_F(HighlightedSample, JavaScriptFile)
{
    const std::string tokens = highlight("javascript.syn", "sample.js");
    EXPECT_EQ(memo.ActiveSettings().LanguageName, "JavaScript");
    EXPECT_THAT(tokens, StartsWith(R"(49:// 50: Funciones de prueba 51:\n 52:/* 53: Bloque de\n   comentario  54:*/ 51:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:var 0:  40:nombres 0:  43:= 0:  43:[ 55:" 42:Ana 58:" 43:, 0:  56:' 66:Luis 58:' 44:] 43:,)"));
    // A slash after an operator starts a regular expression, after an operand it divides.
    EXPECT_THAT(tokens, HasSubstr(R"(43:= 0:  45:/ 60:^ 61:[ 60:a-z 62:] 60:+$ 63:/i 43:, 0:  40:mitad 0:  43:= 0:  40:total 0:  43:/ 0:  41:2 43:;)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:function 0:  40:cuenta 43:( 40:lista 44:) 0:  43:{ 51:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:for 0:  43:( 46:var 0:  40:i 0:  43:= 0:  41:0 43:; 0:  40:i 0:  43:< 0:  40:lista 64:. 65:length)"));
    EXPECT_THAT(tokens, HasSubstr(R"(40:i 44:] 44:) 44:) 0:  40:total 0:  43:+= 0:  41:1.5e3 43:;)"));
    EXPECT_THAT(tokens, HasSubstr(R"(46:return 0:  46:typeof 0:  40:lista 0:  43:== 0:  55:" 42:object 58:" 0:  43:? 0:  47:null 0:  43:: 0:  41:0xFF 43:;)"));
    EXPECT_THAT(tokens, HasSubstr(R"(48:document 64:. 65:write 43:( 40:cuenta)"));
    EXPECT_THAT(tokens, HasSubstr(R"(43:+ 0:  48:Math 64:. 65:round 43:( 40:mitad 44:) 44:) 43:; 51:\n 48:alert 43:( 56:' 66:)"));
    EXPECT_THAT(tokens, EndsWith(R"(40:x 0:  43:= 0:  40:a 0:  43:/ 0:  40:b 0:  43:/ 0:  40:c 43:; 51:\n)"));
    EXPECT_EQ(memo.ActiveSettings().TokenStyle(45).Foreground, 6291584); // the regular-expression colour
}

TEST_F(HighlightedSample, PlainText)
{
    const std::string tokens = highlight("text.syn", "sample.txt");
    EXPECT_EQ(memo.ActiveSettings().LanguageName, "Texto");
    EXPECT_THAT(tokens, StartsWith("0:T 0:e 0:x 0:t 0:o 0:  0:d"));
    // A closing period belongs to the sentence, not to the link or the address.
    EXPECT_THAT(tokens, HasSubstr(R"(0:  1:http://www.ejemplo.com/pagina.html 0:  0:o 0:  1:ftp://ftp.ejemplo.com/pub 0:. 0:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:  2:info@ejemplo.com 0:, 0:  0:o 0:  0:a 0:  2:soporte@ejemplo.com 0:. 0:\n)"));
    EXPECT_THAT(tokens, HasSubstr(R"(0:  1:www.ejemplo.org 0:\n)"));
    EXPECT_THAT(tokens, EndsWith(R"(0:: 0:  0:1 0:2 0:3 0:  0:4 0:5 0:6 0:. 0:\n)"));
    EXPECT_THAT(tokens, Not(HasSubstr(" 3:")));
    EXPECT_EQ(memo.ActiveSettings().TokenStyle(2).Hotspot, 1);
    EXPECT_EQ(memo.ActiveSettings().TokenStyle(2).FontStyle, fsUnderline);
}

// ---------------------------------------------------------------- faults found on real pages

TEST_F(HighlightedSample, TemplateLiteralsAreStringsOverSeveralLines)
{
    // A "//" inside a template is text, the template goes on past the line end, "${...}" stays
    // part of it, and an escaped backquote does not end it.
    const std::string source = "var s = `a // b\r\n${x} \\` c`;\r\nx = 1;\r\n";
    EXPECT_EQ(highlightText("javascript.syn", source),
              R"(46:var 0:  40:s 0:  43:= 0:  57:` 59:a // b\n${x}  67:\` 59: c 58:` 43:; 51:\n )"
              R"(40:x 0:  43:= 0:  41:1 43:; 51:\n)");
    // The same in a page, where a template is a string of the script block.
    EXPECT_THAT(highlightText("html.syn", "<script>\r\nt = `<p>\r\n// no`;\r\n</script>\r\n"),
                HasSubstr(R"(40:t 0:  43:= 0:  57:` 59:<p>\n// no 58:` 43:; 51:\n 16:</script 13:>)"));
    for (int value : {55, 56, 57, 42, 59, 58})
        EXPECT_EQ(memo.ActiveSettings().TokenStyle(value).Foreground, 24768) << value; // the string colour
}

TEST_F(HighlightedSample, NamesAfterAPeriodAreProperties)
{
    // Reserved words, values and objects after a period are property names; elsewhere they keep
    // their colours, and after a property a slash divides.
    EXPECT_EQ(highlightText("javascript.syn", "p.catch(e).default;\r\ndelete o.delete / 2;\r\na?.this\r\n.new;\r\n"),
              R"(40:p 64:. 65:catch 43:( 40:e 44:) 64:. 65:default 43:; 51:\n )"
              R"(46:delete 0:  40:o 64:. 65:delete 0:  43:/ 0:  41:2 43:; 51:\n )"
              R"(40:a 43:? 64:. 65:this 51:\n 64:. 65:new 43:; 51:\n)");
    // Script blocks read names without regard to case.
    EXPECT_THAT(highlightText("html.syn", "<script>x.Default = Catch.New;</script>"),
                HasSubstr(R"(40:x 64:. 65:Default 0:  43:= 0:  46:Catch 64:. 65:New 43:; 16:</script)"));
    EXPECT_EQ(memo.ActiveSettings().TokenStyle(65).FontStyle, memo.ActiveSettings().TokenStyle(40).FontStyle);
}

TEST_F(HighlightedSample, RegularExpressionsEndAtTheirOwnSlash)
{
    // A slash inside a class or after a backslash is part of the expression; the flags go with the
    // closing slash, after which a slash divides.
    EXPECT_EQ(highlightText("javascript.syn", "a = /[/\\]]/g; b = /a\\/b/.test(c) / 2;\r\n"),
              R"(40:a 0:  43:= 0:  45:/ 61:[ 60:/ 60:\] 62:] 63:/g 43:; 0:  )"
              R"(40:b 0:  43:= 0:  45:/ 60:a 60:\/ 60:b 63:/ 64:. 65:test 43:( 40:c 44:) 0:  43:/ 0:  41:2 43:; 51:\n)");
    // One left open ends with its line.
    EXPECT_EQ(highlightText("javascript.syn", "f(/[x/\r\ny = \"/\";\r\n"),
              R"(40:f 43:( 45:/ 61:[ 60:x/ 51:\n 40:y 0:  43:= 0:  55:" 42:/ 58:" 43:; 51:\n)");
}

TEST_F(HighlightedSample, QuotedValuesSpanLinesAndScriptsEndAtTheirClosingTag)
{
    // A quoted value goes on in the next line, and the tag after it is still a tag.
    EXPECT_EQ(highlightText("html.syn", "<a title=\"one\r\ntwo\" href=x>t</a>\r\n<p class='a\r\nb' id=y>\r\n"
                                        "<script type=\"text/\r\njavascript\">\r\n"),
              R"(10:<a 0:  18:title 19:= 24:" 25:one 25:\n 25:two 27:" 0:  18:href 19:= 20:x 13:> )"
              R"(0:t 10:</a 13:> 0:\n 10:<p 0:  18:class 19:= 23:'a\nb' 0:  18:id 19:= 20:y 13:> 0:\n )"
              R"(11:<script 0:  18:type 19:= 22:"text/\njavascript" 14:> 51:\n)");
    // "</script>" ends the block inside a string, a template, a regular expression and after an
    // escape, as browsers do; what follows is page text.
    for (const char* opener : {"\"", "'", "`", "/", "\"\\"}) {
        SCOPED_TRACE(opener);
        const std::string tokens = highlightText("html.syn", std::string("<script>x = ") + opener + "a</script>b;");
        EXPECT_THAT(tokens, HasSubstr(" 16:</script 13:> 0:b 0:;"));
        EXPECT_THAT(tokens, Not(HasSubstr(" 0:  43:= 0:  0:")));
    }
}
