// The script compiler driver: compiling a script into a parser, the section dispatch and the shared parsing helpers.
#include "highlight/SynParseCompile.h"
#include "platform/core/ScopeGuard.h"

#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

using namespace ScriptToken;

// ---------------------------------------------------------------- TScriptCompilation

TScriptCompilation::TScriptCompilation(TSYM_Compiler& lexer, TCompiledLanguage& target)
    : FLexer(lexer), FTarget(target), FErrorContext("Header")
{
}

void TScriptCompilation::Run()
{
    AdvanceToken();
    // The first token is dispatched even when it is the end: an empty script is an error.
    do {
        switch (FToken) {
        case Language: ReadLanguageSection(); break;
        case Words: ReadWordsSection(); break;
        case Handler: ReadHandlersSection(); break;
        case ScriptToken::Tokens: ReadTokensSection(); break;
        case States: ReadStatesSection(); break;
        case Containers: ReadContainersSection(); break;
        case Map: ReadMapSection(); break;
        case Effects: ReadEffectsSection(); break;
        case Keys: ReadKeysSection(); break;
        case AutoReplace: ReadAutoReplaceSection(); break;
        case Templates: ReadTemplatesSection(); break;
        case KwTables: ReadKwTablesSection(); break;
        default: ScriptError(CompileMessage::SyntaxError);
        }
    } while (FToken != EndOfInput);

    TParserTables& tables = Tables();
    for (TStateSet& context : tables.ContextStates)
        if (context.IsEmpty())
            context = tables.StartStates;
    tables.UpdateNoInState();
}

void TScriptCompilation::AdvanceToken()
{
    FToken = FLexer.GetToken();
}

void TScriptCompilation::ScriptError(int id) const
{
    FLexer.Error(LoadResString(id));
}

void TScriptCompilation::ExpectToken(int32_t code, int id)
{
    CheckToken(code, id);
    AdvanceToken();
}

void TScriptCompilation::AdvanceExpect(int32_t code, int id)
{
    AdvanceToken();
    ExpectToken(code, id);
}

void TScriptCompilation::CheckToken(int32_t code, int id) const
{
    if (FToken != code)
        ScriptError(id);
}

void TScriptCompilation::AdvanceCheck(int32_t code, int id)
{
    AdvanceToken();
    CheckToken(code, id);
}

void TScriptCompilation::SkipComma()
{
    if (FToken == Comma)
        AdvanceToken();
}

bool TScriptCompilation::AtExpression() const
{
    return FToken == LeftParen || FToken == Number;
}

void TScriptCompilation::CheckRange(int32_t value, int32_t lo, int32_t hi)
{
    if (value < lo || value > hi)
        throw ECodeMemo(FmtLoadStr(CompileMessage::RangeError, lo, hi));
}

int32_t TScriptCompilation::ReadExpression()
{
    try {
        return readSum();
    } catch (const Exception&) {
        // Nesting too deep is said as it is; whatever else went wrong inside, the script writer is
        // told where the expression broke off.
        if (FExpressionTooDeep)
            throw;
        ScriptError(CompileMessage::ExpressionExpected);
    }
}

int32_t TScriptCompilation::readSum()
{
    // Unsigned arithmetic: a script may overflow, and the result then wraps instead of being undefined.
    uint32_t value = static_cast<uint32_t>(readTerm());
    for (;;) {
        int32_t op = FToken;
        if (op != Plus && op != Minus && op != Or)
            return static_cast<int32_t>(value);
        AdvanceToken();
        uint32_t term = static_cast<uint32_t>(readTerm());
        if (op == Plus)
            value += term;
        else if (op == Minus)
            value -= term;
        else
            value |= term;
    }
}

int32_t TScriptCompilation::readTerm()
{
    if (FToken == Number) {
        int32_t value = FLexer.Number();
        AdvanceToken();
        return value;
    }
    if (FToken == LeftParen) {
        constexpr int kMaxExpressionDepth = 256;
        if (FExpressionDepth >= kMaxExpressionDepth) {
            FExpressionTooDeep = true;
            ScriptError(CompileMessage::ExpressionTooDeep);
        }
        AdvanceToken();
        ++FExpressionDepth;
        TScopeGuard nested([this] { --FExpressionDepth; });
        int32_t value = readSum();
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
        return value;
    }
    ScriptError(CompileMessage::SyntaxError);
}

uint8_t TScriptCompilation::ReadByteValue()
{
    int32_t value = ReadExpression();
    CheckRange(value, 0, 255);
    return static_cast<uint8_t>(value);
}

TStateSet TScriptCompilation::ReadStateSet()
{
    TStateSet states;
    if (FToken == LeftBracket)
        AdvanceToken();
    while (AtExpression()) {
        states.Include(ReadByteValue());
        SkipComma();
    }
    ExpectToken(RightBracket, CompileMessage::RightBracketExpected);
    return states;
}

uint8_t TScriptCompilation::ReadDefaultFlag()
{
    if (FToken != LeftBracket)
        return 0;
    AdvanceToken();
    uint8_t flag = 0;
    if (FToken == Star) {
        flag = 1;
        AdvanceToken();
    }
    ExpectToken(RightBracket, CompileMessage::RightBracketExpected);
    return flag;
}

std::string TScriptCompilation::ReadString()
{
    CheckToken(String, CompileMessage::StringExpected);
    std::string value;
    FLexer.UnescapeString(value);
    AdvanceToken();
    return value;
}

TFontStyles TScriptCompilation::ReadFontStyles()
{
    ExpectToken(LeftBracket, CompileMessage::LeftBracketExpected);
    TFontStyles styles = 0;
    if (FToken != RightBracket) {
        try {
            for (;;) {
                uint32_t bit = static_cast<uint32_t>(ReadExpression()) & 0xFFu;
                if (bit <= 7)
                    styles = static_cast<TFontStyles>(styles | (1u << bit));
                if (FToken != Comma)
                    break;
                AdvanceToken();
            }
        } catch (const Exception&) {
            ScriptError(CompileMessage::BadFontStyle);
        }
    }
    ExpectToken(RightBracket, CompileMessage::RightBracketExpected);
    return styles;
}

// ---------------------------------------------------------------- TCodeMemoParser

namespace {

// The folder of the script, for the <...> form of #include.
std::string scriptDirectory(const std::string& script)
{
    size_t slash = script.find_last_of('/');
    return slash == std::string::npos ? std::string() : script.substr(0, slash + 1);
}

} // namespace

void TCodeMemoParser::CompileScript(TStream& Source)
{
    FCompileErrorContext = "Header";
    FLastCompileLine = 0;
    FLastCompileColumn = 0;
    try {
        auto language = std::make_unique<TCompiledLanguage>();
        // A reset keeps the gutter font, so a script that does not set it keeps the one in use.
        language->Settings.GutterFont().Assign(Settings().GutterFont());
        {
            TSYM_Compiler lexer(Source, scriptDirectory(Script));
            TScriptCompilation compilation(lexer, *language);
            auto noteEnd = [&] {
                FLastCompileLine = lexer.Line();
                FLastCompileColumn = lexer.Column();
                FCompileErrorContext = compilation.ErrorContext();
            };
            try {
                compilation.Run();
            } catch (...) {
                noteEnd();
                throw;
            }
            noteEnd();
        }
        installLanguage(*language);
    } catch (...) {
        Clear();
        // The reset dropped the style fonts the editors paint with.
        RefreshEditors();
        throw;
    }
    RefreshEditors();
}

void TCodeMemoParser::installLanguage(TCompiledLanguage& language)
{
    FTables = std::move(language.Tables);
    FKeywords = std::move(language.Keywords);
    FCurrentStartTable = &FTables.DefaultStartTable;
    FStack.Clear();
    FContainer = 0;
    FPending = 0;
    // Freshly compiled settings are of the current version, gutter font included.
    Settings().StreamVersion = TSM_Settings::kDefaultStreamVersion;
    Settings().Assign(language.Settings);
}

void TCodeMemoParser::LoadScriptFile()
{
    if (Script.empty() || !FileExists(Script))
        return;
    TMemoryStream stream;
    stream.LoadFromFile(Script);
    CompileScript(stream);
}
