// The highlighting-script lexer: preprocessor directives, macro and include expansion, tokens, errors.
#include "highlight/SYM_COMP.h"

#include "platform/core/SysUtils.h"

namespace {

// Condition flags.
constexpr uint8_t cfDirective = 1; // a directive reads its argument: no '#' directives, no expansion
constexpr uint8_t cfSkipping = 4;  // inside a false conditional section

constexpr unsigned char kNonBreakingSpace = 160;
const char* const kFilePrefix = "-file-: ";

// String-table ids of the lexer's messages.
enum : int {
    resRecursiveExpansion = 4121,
    resErrorNear = 4122,
    resIncludeUnterminated = 4123,
    resIncludeNotFound = 4124,
    resIdentifier = 4125,
    resUnknown = 4126,
    resUnknownCharacter = 4127,
    resIfdefNameExpected = 4134,
    resIncludeNotEnclosed = 4135,
    resMacroNameExpected = 4136,
    resElseWithoutIfdef = 4137,
    resEndifWithoutIfdef = 4138,
    resMacrosTooDeep = 4139,
    resIncludesTooDeep = 4140,
};

unsigned char uc(char c)
{
    return static_cast<unsigned char>(c);
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isIdentifierStart(char c)
{
    return isLetter(c) || c == '_';
}

bool isIdentifierChar(char c)
{
    return isIdentifierStart(c) || isDigit(c);
}

bool isInlineBlank(char c)
{
    return c == ' ' || c == '\t' || uc(c) == kNonBreakingSpace;
}

// Every text the lexer reads ends its lines with CR (optionally followed by LF): a lone LF becomes CR LF,
// so that LF-only files count lines, end comments and end #define texts like CR LF ones. The text is a
// C string to the lexer, so it stops at a NUL byte.
std::string prepareText(std::string_view raw)
{
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    text.reserve(raw.size() + raw.size() / 32);
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r'))
            text += '\r';
        text += raw[i];
    }
    return text;
}

std::string includePath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir.back() == '/')
        return dir + name;
    return dir + '/' + name;
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    char l = AsciiLower(c);
    if (l >= 'a' && l <= 'f')
        return l - 'a' + 10;
    return -1;
}

} // namespace

TSYM_Compiler::TSYM_Compiler(TStream& Source, std::string IncludeDir) : FIncludeDir(std::move(IncludeDir))
{
    int64_t size = Source.Remaining();
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size));
        int64_t got = Source.Read(text.data(), size);
        text.resize(static_cast<size_t>(got > 0 ? got : 0));
    }
    start(std::move(text));
}

TSYM_Compiler::TSYM_Compiler(const std::string& FileName, std::string IncludeDir)
    : FIncludeDir(std::move(IncludeDir))
{
    start(ReadFileBytes(FileName));
}

void TSYM_Compiler::start(std::string text)
{
    FScript = prepareText(text);
    FPos = FScript.c_str();
    registerPredefined();
    SkipBlanks();
}

void TSYM_Compiler::Error(std::string_view Msg) const
{
    throw ESYM_COMP_ERROR(FmtLoadStr(resErrorNear, FLine + 1, FColumn + 1, std::string(Msg).c_str()), FLine,
                          FColumn);
}

unsigned char TSYM_Compiler::CurrentChar()
{
    while (*FPos == '\0' && !FExpansions.empty()) {
        FPos = FExpansions.back().ReturnPos;
        FExpansions.pop_back();
    }
    return uc(*FPos);
}

void TSYM_Compiler::PushExpansion(std::string Name, std::shared_ptr<const std::string> Text, bool isFile)
{
    int macros = 0, files = 0;
    for (const TExpansion& e : FExpansions) {
        if (SameText(e.Name, Name))
            Error(FmtLoadStr(resRecursiveExpansion, Name.c_str()));
        ++(e.IsFile ? files : macros);
    }
    // Distinct names can still chain without end (a thousand macros each naming the next, files
    // reached by different paths); the bounds keep such scripts from exhausting memory.
    if (isFile && files >= MaxIncludeDepth)
        Error(FmtLoadStr(resIncludesTooDeep, Name.substr(std::string_view(kFilePrefix).size()).c_str()));
    if (!isFile && macros >= MaxMacroDepth)
        Error(FmtLoadStr(resMacrosTooDeep, Name.c_str()));
    const char* text = Text->c_str();
    FExpansions.push_back(TExpansion{std::move(Name), std::move(Text), FPos, isFile});
    FPos = text;
}

std::string_view TSYM_Compiler::readIdentifier()
{
    const char* start = FPos;
    while (isIdentifierChar(*FPos)) {
        ++FPos;
        ++FColumn;
    }
    return std::string_view(start, static_cast<size_t>(FPos - start));
}

void TSYM_Compiler::skipLineComment()
{
    FPos += 2;
    FColumn += 2;
    while (*FPos != '\0' && *FPos != '\r') {
        ++FPos;
        ++FColumn;
    }
}

void TSYM_Compiler::skipBlockComment()
{
    FPos += 2;
    FColumn += 2;
    // The opening star counts towards the closing run, so "/*/" is a whole comment.
    bool afterStar = true;
    while (*FPos != '\0') {
        char c = *FPos++;
        if (c == '/' && afterStar) {
            ++FColumn;
            return;
        }
        afterStar = c == '*';
        if (c == '\r') {
            ++FLine;
            FColumn = 0;
        } else if (c != '\n') {
            ++FColumn;
        }
    }
}

void TSYM_Compiler::SkipBlanks()
{
    for (;;) {
        unsigned char c = CurrentChar();
        if (isInlineBlank(static_cast<char>(c))) {
            ++FPos;
            ++FColumn;
        } else if (c == '\n') {
            ++FPos;
        } else if (c == '\r') {
            ++FPos;
            ++FLine;
            FColumn = 0;
        } else if (c == '/' && FPos[1] == '/') {
            skipLineComment();
        } else if (c == '/' && FPos[1] == '*') {
            skipBlockComment();
        } else if (c == '#') {
            if ((FFlags & cfDirective) || !readDirective())
                return;
        } else if (isIdentifierStart(static_cast<char>(c))) {
            if (FFlags & (cfDirective | cfSkipping))
                return;
            const char* start = FPos;
            int32_t column = FColumn;
            std::string_view name = readIdentifier();
            std::shared_ptr<const std::string> text = FMacros.FindMacroText(name);
            if (!text) {
                FPos = start;
                FColumn = column;
                return;
            }
            PushExpansion(std::string(name), std::move(text), false);
        } else {
            return;
        }
    }
}

bool TSYM_Compiler::readDirective()
{
    const char* hash = FPos;
    int32_t column = FColumn;
    ++FPos;
    ++FColumn;
    const char* start = FPos;
    while (isLetter(*FPos)) {
        ++FPos;
        ++FColumn;
    }
    std::string_view word(start, static_cast<size_t>(FPos - start));
    // Directive words are lower case: "#Define" stays a '#' character token.
    bool known = word == "define" || word == "ifdef" || word == "ifndef" || word == "else" ||
                 word == "endif" || word == "include";
    if (!known) {
        FPos = hash;
        FColumn = column;
        return false;
    }
    FFlags |= cfDirective;
    if (word == "define")
        doDefine();
    else if (word == "ifdef" || word == "ifndef")
        doIfdef(word == "ifndef");
    else if (word == "else")
        doElse();
    else if (word == "endif")
        doEndif();
    else
        doInclude();
    FFlags &= static_cast<uint8_t>(~cfDirective);
    return true;
}

void TSYM_Compiler::doDefine()
{
    SkipBlanks();
    if (!isIdentifierStart(static_cast<char>(CurrentChar())))
        Error(LoadResString(resMacroNameExpected));
    std::string name(readIdentifier());
    while (isInlineBlank(*FPos)) {
        ++FPos;
        ++FColumn;
    }
    const char* start = FPos;
    while (*FPos != '\0' && *FPos != '\r') {
        ++FPos;
        ++FColumn;
    }
    std::string_view text(start, static_cast<size_t>(FPos - start));
    while (!text.empty() && uc(text.back()) <= ' ')
        text.remove_suffix(1);
    // A macro standing for its own name would only ever report a recursive expansion.
    if (!SameText(name, text))
        FMacros.AddMacro(name, text);
}

void TSYM_Compiler::doIfdef(bool negate)
{
    FConditions.push_back(static_cast<uint8_t>(FFlags & ~cfDirective));
    // Inside a skipped section only the level counts, so that its #else and #endif pair up.
    if (FFlags & cfSkipping)
        return;
    SkipBlanks();
    if (!isIdentifierStart(static_cast<char>(CurrentChar())))
        Error(LoadResString(resIfdefNameExpected));
    bool defined = FMacros.HasMacro(readIdentifier());
    if (defined == negate)
        FFlags |= cfSkipping;
}

void TSYM_Compiler::doElse()
{
    if (FConditions.empty())
        Error(LoadResString(resElseWithoutIfdef));
    if (!(FConditions.back() & cfSkipping))
        FFlags ^= cfSkipping;
}

void TSYM_Compiler::doEndif()
{
    if (FConditions.empty())
        Error(LoadResString(resEndifWithoutIfdef));
    FFlags = static_cast<uint8_t>(FConditions.back() | (FFlags & cfDirective));
    FConditions.pop_back();
}

void TSYM_Compiler::doInclude()
{
    if (FFlags & cfSkipping)
        return;
    SkipBlanks();
    char open = static_cast<char>(CurrentChar());
    if (open != '"' && open != '<')
        Error(LoadResString(resIncludeNotEnclosed));
    char close = open == '"' ? '"' : '>';
    ++FPos;
    ++FColumn;
    const char* start = FPos;
    while (*FPos != '\0' && *FPos != close && *FPos != '\r') {
        ++FPos;
        ++FColumn;
    }
    std::string openText(1, open), closeText(1, close);
    if (*FPos != close)
        Error(FmtLoadStr(resIncludeUnterminated, closeText.c_str()));
    std::string name(start, static_cast<size_t>(FPos - start));
    ++FPos;
    ++FColumn;
    std::string path = open == '<' ? includePath(FIncludeDir, name) : name;
    bool readable = FileExists(path);
    std::string text;
    if (readable) {
        try {
            text = ReadFileBytes(path);
        } catch (const EStreamError&) {
            readable = false;
        }
    }
    if (!readable)
        Error(FmtLoadStr(resIncludeNotFound, openText.c_str(), path.c_str(), closeText.c_str()));
    PushExpansion(kFilePrefix + path, std::make_shared<const std::string>(prepareText(text)), true);
}

void TSYM_Compiler::readString()
{
    ++FPos;
    ++FColumn;
    FStringText.clear();
    for (;;) {
        char c = *FPos;
        if (c == '\0')
            return;
        if (c == '\'') {
            ++FPos;
            ++FColumn;
            if (*FPos == '\'') {
                ++FPos;
                ++FColumn;
            }
            return;
        }
        if (c == '\\' && FPos[1] == '\r') {
            // A continued line: drop the backslash, the line break and the next line's indent.
            ++FPos;
            ++FColumn;
            while ((uc(*FPos) >= 1 && uc(*FPos) <= ' ') || uc(*FPos) == kNonBreakingSpace) {
                if (*FPos == '\r') {
                    ++FLine;
                    FColumn = 0;
                } else if (*FPos != '\n') {
                    ++FColumn;
                }
                ++FPos;
            }
            if (*FPos == '\\') {
                ++FPos;
                ++FColumn;
            }
            continue;
        }
        if (c == '\\') {
            // Kept as written with the character it escapes, so that \' does not end the string.
            FStringText += c;
            ++FPos;
            ++FColumn;
            c = *FPos;
            if (c == '\0')
                return;
        }
        FStringText += c;
        ++FPos;
        if (c == '\r') {
            ++FLine;
            FColumn = 0;
            if (*FPos == '\n') {
                FStringText += '\n';
                ++FPos;
            }
        } else if (c != '\n') {
            ++FColumn;
        }
    }
}

void TSYM_Compiler::readNumber()
{
    uint32_t value = 0; // wraps like the 32-bit arithmetic of the expressions
    while (isDigit(*FPos)) {
        value = value * 10 + static_cast<uint32_t>(*FPos - '0');
        ++FPos;
        ++FColumn;
    }
    FNumber = static_cast<int32_t>(value);
}

int32_t TSYM_Compiler::NextRawToken()
{
    SkipBlanks();
    char c = static_cast<char>(CurrentChar());
    if (c == '\0')
        return ScriptToken::EndOfInput;
    const char* p = FPos;
    int32_t code = FKeywords.MatchLongest(p);
    if (code >= 0) {
        FColumn += static_cast<int32_t>(p - FPos);
        FPos = p;
        return code;
    }
    // In a skipped section nothing is collected: one character at a time is passed over.
    if (FFlags & cfSkipping) {
        ++FPos;
        ++FColumn;
        return -1;
    }
    if (c == '\'') {
        readString();
        return ScriptToken::String;
    }
    if (isDigit(c)) {
        readNumber();
        return ScriptToken::Number;
    }
    if (isIdentifierStart(c)) {
        FIdentifier = std::string(readIdentifier());
        return ScriptToken::Identifier;
    }
    FCharacter = uc(c);
    ++FPos;
    ++FColumn;
    return ScriptToken::OtherChar;
}

int32_t TSYM_Compiler::GetToken()
{
    int32_t code;
    do {
        code = NextRawToken();
        FToken = code;
        if (code == ScriptToken::Identifier)
            Error(LoadResString(resIdentifier) + " \"" + FIdentifier + "\" " + LoadResString(resUnknown));
        if (code == ScriptToken::OtherChar)
            Error(FmtLoadStr(resUnknownCharacter, static_cast<unsigned>(FCharacter)));
    } while (code != ScriptToken::EndOfInput && (FFlags & cfSkipping));
    return code;
}

void TSYM_Compiler::UnescapeString(std::string& Value) const
{
    const std::string& raw = FStringText;
    std::string out;
    out.reserve(raw.size());
    size_t i = 0;
    while (i < raw.size()) {
        char c = raw[i++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= raw.size())
            break;
        char e = raw[i];
        if (e >= '0' && e <= '7') {
            unsigned value = 0;
            while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7')
                value = (value * 8 + static_cast<unsigned>(raw[i++] - '0')) & 0xFF;
            out += static_cast<char>(value);
            continue;
        }
        ++i;
        switch (AsciiLower(e)) {
        case 'b': out += '\b'; break;
        case 'e': out += '\x1B'; break;
        case 'n': out += '\r'; break; // the script's \n is CR, the editor's line break
        case 'r': out += '\n'; break;
        case 's': out += ' '; break;
        case 't': out += '\t'; break;
        case 'x': {
            unsigned value = 0;
            while (i < raw.size() && hexValue(raw[i]) >= 0)
                value = (value * 16 + static_cast<unsigned>(hexValue(raw[i++]))) & 0xFF;
            out += static_cast<char>(value);
            break;
        }
        default: out += e; break;
        }
    }
    Value = out.substr(0, out.find('\0'));
}
