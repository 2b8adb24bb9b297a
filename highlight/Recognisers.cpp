// The scanner's fourteen built-in recognisers and the start sets of the tokens they begin.
#include "highlight/Recognisers.h"

#include <array>

#include "editor/model/LineStore.h"

namespace {

constexpr uint8_t kCR = 13;

uint8_t current(TCustomEdStream& c) { return static_cast<uint8_t>(c.CurrentChar()); }

// Passing the end of the text is not a character, so it is not counted.
void advance(TCustomEdStream& c, int& length)
{
    if (!c.AtEnd()) {
        c.Next();
        ++length;
    }
}

void stepBack(TCustomEdStream& c, int& length)
{
    c.Prev();
    --length;
}

bool isDigit(uint8_t ch) { return ch >= '0' && ch <= '9'; }
bool isLetter(uint8_t ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
bool isIdentChar(uint8_t ch) { return isLetter(ch) || isDigit(ch) || ch == '_'; }

bool isWebChar(uint8_t ch)
{
    switch (ch) {
    case '#': case '&': case '-': case '.': case '/': case ':': case '=': case '?': case '@':
    case '\\': case '_': case '|': case '~':
        return true;
    default:
        return isLetter(ch) || isDigit(ch);
    }
}

bool isMailChar(uint8_t ch) { return isLetter(ch) || isDigit(ch) || ch == '~' || ch == '.' || ch == '@' || ch == '-'; }

// Digits, an optional fraction and an optional exponent; the cursor stands on a digit. A period
// without a digit after it is given back: "1.x" is the number 1 and a period.
bool number(TCustomEdStream& c, int& length)
{
    while (isDigit(current(c)))
        advance(c, length);
    if (current(c) == '.') {
        advance(c, length);
        if (!isDigit(current(c))) {
            stepBack(c, length);
            return true;
        }
        while (isDigit(current(c)))
            advance(c, length);
    }
    if (current(c) == 'e' || current(c) == 'E') {
        advance(c, length);
        if (current(c) == '+' || current(c) == '-')
            advance(c, length);
        while (isDigit(current(c)))
            advance(c, length);
    }
    return true;
}

// Recognisers follow. Each may leave the cursor anywhere when it fails: RunRecogniser puts it back.

bool pascalChar(TCustomEdStream& c, int& length)
{
    const uint8_t ch = current(c);
    if (ch == '\'') {
        advance(c, length);
        if (current(c) != '\'')
            return false;
        advance(c, length);
        return true;
    }
    if (ch == kCR)
        return false;
    advance(c, length);
    return true;
}

// What a run over characters of a class passed.
struct TRun {
    bool any = false;
    bool at = false;            // it held an @
    bool endsWithPeriod = false;
};

template <class TClass>
TRun advanceOver(TCustomEdStream& c, int& length, TClass inClass)
{
    TRun run;
    while (!c.AtEnd() && inClass(current(c))) {
        run.any = true;
        run.at = run.at || current(c) == '@';
        run.endsWithPeriod = current(c) == '.';
        advance(c, length);
    }
    return run;
}

bool webChar(TCustomEdStream& c, int& length)
{
    const TRun run = advanceOver(c, length, isWebChar);
    // A trailing period ends the sentence around a path rather than belonging to it.
    if (run.endsWithPeriod)
        stepBack(c, length);
    return run.any;
}

// The rest of a line, only when the token began at the start of a line.
bool originalChar(TCustomEdStream& c, int& length)
{
    const int64_t pos = c.GetPos();
    if (pos > length) {
        c.SetPos(pos - length - 1);
        const uint8_t before = current(c);
        c.SetPos(pos);
        if (before != kCR)
            return false;
    }
    while (!c.AtEnd() && current(c) != kCR)
        advance(c, length);
    return true;
}

bool stdIdentifier(TCustomEdStream& c, int& length)
{
    const uint8_t ch = current(c);
    if (!isLetter(ch) && ch != '_')
        return false;
    while (!c.AtEnd() && isIdentChar(current(c)))
        advance(c, length);
    return true;
}

bool stdNumberOrFP(TCustomEdStream& c, int& length)
{
    if (!isDigit(current(c)))
        return false;
    return number(c, length);
}

bool stdPascalString(TCustomEdStream& c, int& length)
{
    advance(c, length);
    while (!c.AtEnd() && current(c) != kCR) {
        if (current(c) == '\'') {
            advance(c, length);
            if (current(c) != '\'')
                return true;
        }
        advance(c, length);
    }
    return true;
}

// A C string or character constant: backslash escapes anything, even a line end.
bool cQuoted(TCustomEdStream& c, int& length, uint8_t delimiter)
{
    advance(c, length);
    while (!c.AtEnd()) {
        const uint8_t ch = current(c);
        if (ch == delimiter) {
            advance(c, length);
            return true;
        }
        if (ch == kCR)
            return true;
        if (ch == '\\')
            advance(c, length);
        advance(c, length);
    }
    return true;
}

bool stdCString(TCustomEdStream& c, int& length) { return cQuoted(c, length, '"'); }
bool stdCChar(TCustomEdStream& c, int& length) { return cQuoted(c, length, '\''); }

bool stdCNumberOrFPSigned(TCustomEdStream& c, int& length)
{
    if (current(c) == '+' || current(c) == '-')
        advance(c, length);
    if (!isDigit(current(c)))
        return false;
    return number(c, length);
}

bool stdNumber(TCustomEdStream& c, int& length)
{
    if (!isDigit(current(c)))
        return false;
    while (isDigit(current(c)))
        advance(c, length);
    return true;
}

bool stdMailURL(TCustomEdStream& c, int& length)
{
    const TRun run = advanceOver(c, length, isMailChar);
    if (!run.at)
        return false;
    if (run.endsWithPeriod)
        stepBack(c, length);
    return true;
}

bool stdHTMLString(TCustomEdStream& c, int& length)
{
    advance(c, length);
    while (!c.AtEnd() && current(c) != '"' && current(c) != kCR)
        advance(c, length);
    advance(c, length);
    return true;
}

// Up to the line end, but not into "-->": a script inside an HTML comment ends its line comment
// before the comment closer so that the closer gets its own colour.
bool stdJSLineComment(TCustomEdStream& c, int& length)
{
    while (!c.AtEnd() && current(c) != kCR) {
        if (current(c) != '-') {
            advance(c, length);
            continue;
        }
        int hyphens = 0;
        while (current(c) == '-') {
            advance(c, length);
            ++hyphens;
        }
        if (hyphens >= 2 && current(c) == '>') {
            c.SetPos(c.GetPos() - 2);
            length -= 2;
            return true;
        }
    }
    return true;
}

using TRecogniser = bool (*)(TCustomEdStream&, int&);

constexpr std::array<TRecogniser, kLastRecogniser - kFirstRecogniser + 1> kRecognisers = {
    pascalChar,     webChar,         originalChar,         stdIdentifier, stdNumberOrFP,
    stdPascalString, stdCString,     stdCChar,             stdCNumberOrFPSigned, stdNumber,
    stdMailURL,     stdHTMLString,   stdJSLineComment,     stdCChar,
};

TStateSet rangeSet(std::initializer_list<std::pair<uint8_t, uint8_t>> ranges)
{
    TStateSet set;
    for (auto [lo, hi] : ranges)
        for (int ch = lo; ch <= hi; ++ch)
            set.Include(static_cast<uint8_t>(ch));
    return set;
}

} // namespace

bool RunRecogniser(int index, TCustomEdStream& cursor, int& length, TRecogniserMemo* memo)
{
    if (index < kFirstRecogniser || index > kLastRecogniser)
        return false;
    const int64_t pos = cursor.GetPos();
    const bool remembers = memo && index == riStdMailURL;
    if (remembers && memo->Stream == &cursor && pos > memo->FailedFrom && pos < memo->FailedTo)
        return false;
    const int savedLength = length;
    if (kRecognisers[static_cast<size_t>(index - kFirstRecogniser)](cursor, length))
        return true;
    if (remembers)
        *memo = {&cursor, pos, cursor.GetPos()};
    cursor.SetPos(pos);
    length = savedLength;
    return false;
}

TStateSet RecogniserStartSet(int index)
{
    switch (index) {
    case riStdIdentifier:
        return rangeSet({{'A', 'Z'}, {'_', '_'}, {'a', 'z'}});
    case riStdNumberOrFP:
        return rangeSet({{'.', '.'}, {'0', '9'}});
    case riStdPascalString:
    case riStdCChar:
    case riStdCStringSQ:
        return TStateSet{'\''};
    case riStdCString:
    case riStdHTMLString:
        return TStateSet{'"'};
    case riStdCNumberOrFPSigned:
        return rangeSet({{'+', '+'}, {'-', '-'}, {'.', '.'}, {'0', '9'}});
    case riStdNumber:
        return rangeSet({{'0', '9'}});
    case riStdMailURL:
        return rangeSet({{'0', '9'}, {'A', 'Z'}, {'a', 'z'}});
    case riStdJSLineComment:
        return TStateSet{'/'};
    default:
        return {};
    }
}
