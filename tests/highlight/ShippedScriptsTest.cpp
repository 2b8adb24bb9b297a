// Tests of the shipped highlighting scripts: each lexes to its end, and its names, words and styles are sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "highlight/SYM_COMP.h"
#include "platform/SysUtils.h"

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
