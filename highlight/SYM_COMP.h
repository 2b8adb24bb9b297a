// The highlighting-script lexer and preprocessor: token codes, the word trie and TSYM_Compiler.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

// Token codes returned by TSYM_Compiler::GetToken. Keywords have fixed codes below 90; the raw tokens
// (identifier, number, string, end, other character) are 90..94.
namespace ScriptToken {
enum : int32_t {
    Language = 20,       // %%language
    Name = 21,
    Case = 22,
    Options = 23,
    Words = 24,          // %%words
    Equals = 25,         // =
    Handler = 26,        // %%handler, %%handlers
    Tokens = 27,         // %%tokens
    Map = 28,            // %%map
    Effects = 29,        // %%effects
    ExampleText = 33,
    EditableStyles = 34,
    LeftParen = 35,      // (
    RightParen = 36,     // )
    Comma = 37,          // ,
    Plus = 38,           // +
    Minus = 39,          // -
    LeftBracket = 40,    // [
    RightBracket = 41,   // ]
    Question = 42,       // ?
    WordWrapColumn = 43,
    Gutter = 44,
    Anchor = 45,
    States = 46,         // %%states
    IndentStep = 47,
    WrapOverride = 48,
    Containers = 49,     // %%containers
    Keys = 50,           // %%keys
    Shift = 51,
    Ctrl = 52,
    Alt = 53,
    StartState = 54,
    SelTextColor = 55,
    SelTextBack = 56,
    RightMargin = 57,
    FontName = 58,
    FontSize = 59,
    TabColumns = 60,
    TabDefault = 61,
    ContextStates = 62,
    InState = 63,
    BoundStates = 64,
    GutterColor = 65,
    Match = 66,
    Bar = 67,            // |
    AutoReplace = 68,    // %%autoreplace
    Templates = 69,      // %%templates
    MarginColor = 70,
    MarginWidth = 71,
    Star = 72,           // *
    ActionKeys = 73,
    HotKey = 74,
    KwTables = 75,       // %%kwTables
    ForState = 76,
    EndsWith = 77,
    Is = 78,
    Push = 79,
    Pop = 80,
    Or = 81,
    FontCharset = 82,
    Identifier = 90,     // a word that is neither keyword nor macro (GetToken reports it)
    Number = 91,         // value in TSYM_Compiler::Number()
    String = 92,         // text in TSYM_Compiler::StringText(), decoded by UnescapeString
    EndOfInput = 93,
    OtherChar = 94,      // a character that starts no token (GetToken reports it)
    GutterFontName = 95,
    GutterFontSize = 96,
    GutterFontColor = 97,
    GutterFontStyle = 98,
};
} // namespace ScriptToken

// A script error: the message carries "** ERROR near line L, Column C: ..." (both counted from 1);
// Line() and Column() keep the lexer's 0-based position for callers that record it.
class ESYM_COMP_ERROR : public Exception {
public:
    ESYM_COMP_ERROR(std::string message, int32_t line, int32_t column)
        : Exception(std::move(message)), FLine(line), FColumn(column) {}
    int32_t Line() const { return FLine; }
    int32_t Column() const { return FColumn; }

private:
    int32_t FLine;
    int32_t FColumn;
};

// A character trie of words looked up without regard to the case of A..Z. One store holds macros
// (word -> replacement text), another keywords (word -> token code).
class TWordStore {
public:
    TWordStore();
    void Clear();

    // Stores Name with a copy of Text, replacing the text of a Name already stored; "" does nothing.
    void AddMacro(std::string_view Name, std::string_view Text);
    // Stores Name with Code; "" does nothing.
    void AddKeyword(std::string_view Name, int32_t Code);
    // The text of macro Name, or nullptr when Name is not stored.
    const std::string* FindMacro(std::string_view Name) const;
    // The same text as a shared handle: a reader keeps it alive while a #define replaces the macro.
    std::shared_ptr<const std::string> FindMacroText(std::string_view Name) const;
    bool HasMacro(std::string_view Name) const;
    // The code of the longest keyword at P that ends on a word boundary, with P moved past it;
    // -1 with P unchanged when none matches. P points into a NUL-terminated text.
    int32_t MatchLongest(const char*& P) const;

private:
    struct TNode {
        char Ch;                 // lower-cased
        int32_t Next = -1;       // next sibling
        int32_t Child = -1;      // first child
        bool EndOfWord = false;
        int32_t Value = -1;
        std::shared_ptr<const std::string> Text;
    };
    // Nodes live in one array and link by index: no pointer chains to free recursively.
    std::vector<TNode> FNodes;
    std::array<int32_t, 256> FHeads;

    int32_t insertWord(std::string_view word);
    int32_t findWord(std::string_view word) const;
    int32_t findSibling(int32_t node, char ch) const;
};

// The lexical level of the script compiler: holds the whole script, runs the preprocessor (comments,
// #define, #ifdef/#ifndef/#else/#endif, #include) and hands out one token at a time.
class TSYM_Compiler {
public:
    // Nested expansions beyond these depths are reported as script errors.
    static constexpr int MaxMacroDepth = 256;
    static constexpr int MaxIncludeDepth = 32;

    // Reads the script from Source's position to its end. IncludeDir serves the <...> form of #include.
    TSYM_Compiler(TStream& Source, std::string IncludeDir);
    // Reads the script from a file (EFOpenError when it cannot be opened).
    TSYM_Compiler(const std::string& FileName, std::string IncludeDir);
    TSYM_Compiler(const TSYM_Compiler&) = delete;
    TSYM_Compiler& operator=(const TSYM_Compiler&) = delete;

    // The next token code (a keyword code or ScriptToken 90..94), also kept as Token().
    int32_t GetToken();
    // Value := the decoded text of the last string token.
    void UnescapeString(std::string& Value) const;
    // Raises ESYM_COMP_ERROR with Msg prefixed by the current line and column.
    [[noreturn]] void Error(std::string_view Msg) const;

    int32_t Token() const { return FToken; }
    const std::string& Identifier() const { return FIdentifier; }
    int32_t Number() const { return FNumber; }
    uint8_t Character() const { return FCharacter; }
    // The last string token as written (escapes not decoded).
    const std::string& StringText() const { return FStringText; }
    // Both counted from 0, over every character read, macro texts and included files included.
    int32_t Line() const { return FLine; }
    int32_t Column() const { return FColumn; }

private:
    struct TExpansion {
        std::string Name;                        // "-file-: path" for an included file
        std::shared_ptr<const std::string> Text; // kept alive while it is being read
        const char* ReturnPos;                   // just after the use in the enclosing text
        bool IsFile;
    };

    TWordStore FMacros;
    TWordStore FKeywords;
    std::vector<TExpansion> FExpansions;  // back() is the text being read
    std::vector<uint8_t> FConditions;     // condition flags saved by each open #ifdef/#ifndef
    int32_t FToken = 0;
    std::string FStringText;
    std::string FIdentifier;
    int32_t FNumber = 0;
    uint8_t FCharacter = 0;
    const char* FPos = nullptr;
    std::string FScript;
    int32_t FLine = 0;
    int32_t FColumn = 0;
    std::string FIncludeDir;
    uint8_t FFlags = 0;

    void start(std::string text);
    void registerPredefined();
    unsigned char CurrentChar();
    void SkipBlanks();
    void PushExpansion(std::string Name, std::shared_ptr<const std::string> Text, bool isFile);
    int32_t NextRawToken();

    std::string_view readIdentifier();
    void skipLineComment();
    void skipBlockComment();
    bool readDirective();
    void doDefine();
    void doIfdef(bool negate);
    void doElse();
    void doEndif();
    void doInclude();
    void readString();
    void readNumber();
};
