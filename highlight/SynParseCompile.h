// The script compiler: one compilation of a highlighting script, the parsing helpers its section readers share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "editor/model/Keywords.h"
#include "editor/model/Settings.h"
#include "editor/model/StateSet.h"
#include "highlight/ParserTables.h"
#include "highlight/SYM_COMP.h"
#include "platform/core/Messages.h"

// String-table ids of the compile messages. All but RangeError and ContextRespecified are raised
// with the script position (TScriptCompilation::ScriptError).
namespace CompileMessage {
enum : int {
    EqualsExpected = 4096,
    LeftParenExpected = 4097,
    RightParenExpected = 4098,
    CommaExpected = 4099,
    LeftBracketExpected = 4100,
    RightBracketExpected = 4101,
    StringExpected = 4102,
    SyntaxError = 4103,
    ExpressionExpected = 4104,
    TooManyEditableStyles = 4105,
    ValueNotByte = 4106,             // "Value must be 0..255"
    DuplicateWord = 4108,
    SingleSpecifierExpected = 4109,
    TooManySpecifiers = 4110,
    DuplicateHandler = 4112,
    AmbiguousStartSet = 4113,
    DuplicateEffect = 4114,
    BadFontStyle = 4115,
    EndsWithExpected = 4116,
    BlankKeyName = 4118,
    KeySpecRequired = 4119,
    RangeError = 4130,               // ECodeMemo, formatted with the bounds
    ContextRespecified = 4131,       // ECodeMemo, formatted with the token value
    ExpressionTooDeep = 4142,
};
} // namespace CompileMessage

// Everything a compilation builds. It replaces the parser's language only when the whole script
// has compiled, so a failing script never leaves half-built tables in use.
struct TCompiledLanguage {
    TCompiledLanguage() : Keywords(std::make_unique<TSyntaxKeywords>()) {}

    TParserTables Tables;
    std::unique_ptr<TSyntaxKeywords> Keywords;
    TSM_Settings Settings;
};

// One compilation: the lexer, the current token, the error context, and the language being built.
// Run reads the sections one after the other; each section reader returns at the first token that
// does not belong to it, so sections may come in any order and any number of times.
//
// Section readers work only through the helpers below. They all look at the current token, which
// is the one the lexer returned last.
class TScriptCompilation {
public:
    TScriptCompilation(TSYM_Compiler& lexer, TCompiledLanguage& target);
    TScriptCompilation(const TScriptCompilation&) = delete;
    TScriptCompilation& operator=(const TScriptCompilation&) = delete;

    // Reads the whole script, then gives every token without context states the start states.
    void Run();

    // ---- what is being built

    TParserTables& Tables() { return FTarget.Tables; }
    TSyntaxKeywords& Keywords() { return *FTarget.Keywords; }
    TSM_Settings& Settings() { return FTarget.Settings; }
    TSYM_Compiler& Lexer() { return FLexer; }

    // Names the section and entry being read, for whoever reports a failed compilation.
    const std::string& ErrorContext() const { return FErrorContext; }
    void SetErrorContext(std::string context) { FErrorContext = std::move(context); }

    // ---- tokens

    int32_t Token() const { return FToken; }
    void AdvanceToken();
    // Raises the script error with the text of string `id` at the lexer's position.
    [[noreturn]] void ScriptError(int id) const;
    // When the current token is `code`, steps past it; otherwise ScriptError(id).
    void ExpectToken(int32_t code, int id);
    // Steps on, then ExpectToken.
    void AdvanceExpect(int32_t code, int id);
    // The current token must be `code` (ScriptError(id) otherwise); it stays current.
    void CheckToken(int32_t code, int id) const;
    // Steps on, then CheckToken.
    void AdvanceCheck(int32_t code, int id);
    // Steps past a ",", when there is one.
    void SkipComma();
    // True when the current token can begin an expression: "(" or a number.
    bool AtExpression() const;

    // ---- values

    // Raises ECodeMemo "Range error, value outwith lo .. hi" (no script position) when value is outside.
    static void CheckRange(int32_t value, int32_t lo, int32_t hi);
    // expression := term { ("+" | "-" | "or") term }, left to right without precedence;
    // term := number | "(" expression ")". Wraps on overflow. Every failure inside, the lexer's
    // included, is reported as "Expression expected" where it was noticed.
    int32_t ReadExpression();
    // An expression that must lie in 0..255 (the range error otherwise).
    uint8_t ReadByteValue();
    // "[" { element [","] } "]", each element an expression 0..255. Without the "[" the elements
    // are read all the same, up to the "]".
    TStateSet ReadStateSet();
    // "[*]" gives 1; "[]" or no bracket at all gives 0 (and reads nothing).
    uint8_t ReadDefaultFlag();
    // A string token, decoded; steps past it. "String value expected" when the token is none.
    std::string ReadString();
    // "[" [ expression { "," expression } ] "]": a value whose low byte is 0..7 sets that bit,
    // others are ignored. An error inside the list is "Bad font style specifier".
    TFontStyles ReadFontStyles();

    // ---- sections; each is called with its keyword as the current token

    void ReadLanguageSection();
    void ReadWordsSection();
    void ReadHandlersSection();
    void ReadTokensSection();
    void ReadStatesSection();
    void ReadContainersSection();
    void ReadMapSection();
    void ReadEffectsSection();
    void ReadKeysSection();
    void ReadAutoReplaceSection();
    void ReadTemplatesSection();
    void ReadKwTablesSection();

private:
    int32_t readSum();
    int32_t readTerm();
    // Parentheses open around the term being read; bounded so that a hostile script cannot exhaust
    // the stack.
    int FExpressionDepth = 0;
    bool FExpressionTooDeep = false;
    // The parts of the language section with a syntax of their own.
    void readEditableStyles();
    void readContextStates();
    // A bracketed state set, or a single state added to `single`.
    TStateSet readStatesOrState(TStateSet single);
    void readGutterFontStyle();

    // The entries of the sections (SynParseSections.cpp).
    void readWordEntry();
    void readHandlerEntry();
    void readInStateBlock();
    void readTokenEntry(TStartTable& table, const TStateSet& defaultStates);
    // The sign-and-states list of a %%states or %%containers entry, up to and past its ")".
    void readStateChanges(TTokenStateRec& record);
    void readStatesEntry();
    void readContainersEntry();
    void readKwTableEntry();
    void readEffectsEntry();
    void readKeysEntry();
    void readAutoReplaceEntry();
    void readTemplatesEntry();

    // A single state of a state-change item: a number or a parenthesised expression, so that the
    // sign of the next item is not taken as an operator.
    uint8_t readSingleState();
    // The current string token, as written, parsed as exactly one character spec.
    TSM_CharGroup readSingleSpec();
    // The current string token, as written, parsed as up to four specs: a body or
    // terminator element.
    TElementRec readSpecList();
    // Parses one spec of `spec`; a malformed one is reported at the script position.
    void parseSpecAt(TSM_CharGroup& group, const std::string& spec, int& position) const;
    // A character element whose group is the current string's one spec.
    TElementRec readCharElement();
    // "match" "(" n ")", with the current token on "match".
    TElementRec readMatchElement();
    // A procedure element whose id is the expression at the current token.
    TElementRec readProcedureElement();
    // A start or repeat element: one spec, "match(n)" or a procedure id.
    TElementRec readStepElement();
    // A body or terminator element: up to four specs, "match(n)" or a procedure id.
    TElementRec readBodyElement();
    // [ "[" { shift | ctrl | alt [","] } "]" ] key, the key an expression or a one-character string.
    TShortCut readKeySpec();

    TSYM_Compiler& FLexer;
    TCompiledLanguage& FTarget;
    int32_t FToken = 0;
    std::string FErrorContext;
};
