// The scanner's fourteen built-in recognisers and the start sets of the tokens they begin.
#include "highlight/Recognisers.h"

#include <array>
#include <string_view>
#include <type_traits>

#include "editor/model/LineStore.h"

namespace {

constexpr uint8_t kCR = 13;

template <class C> uint8_t current(C& c) { return ScannedChar(c.CurrentChar()); }

// Passing the end of the text is not a character, so it is not counted.
template <class C>
void advance(C& c, int& length)
{
    if (!c.AtEnd()) {
        c.Next();
        ++length;
    }
}

template <class C>
void stepBack(C& c, int& length)
{
    c.Prev();
    --length;
}

bool isDigit(uint8_t ch) { return ch >= '0' && ch <= '9'; }
bool isLetter(uint8_t ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
bool isIdentChar(uint8_t ch) { return isLetter(ch) || isDigit(ch) || ch == '_'; }

// The letters of Windows-1252's upper half ("ñ" in "http://ejemplo.es/año"), without its signs and
// quotation marks, which stand around an address in running text.
bool isUpperHalfLetter(uint8_t ch)
{
    switch (ch) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
        return true;
    default:
        return ch >= 0xC0 && ch != 0xD7 && ch != 0xF7;
    }
}

// What an address holds as the author writes it: its path, query ("?", "&", "=", ";", "+", ",") and
// fragment ("#"), its escapes ("%"), and held characters, which the scanner reads as "&#955;".
// Quotes, brackets and parentheses are left out: they are what stands around an address.
bool isWebChar(uint8_t ch)
{
    switch (ch) {
    case '!': case '#': case '$': case '%': case '&': case '*': case '+': case ',': case '-': case '.':
    case '/': case ':': case ';': case '=': case '?': case '@': case '\\': case '_': case '|': case '~':
        return true;
    default:
        return isLetter(ch) || isDigit(ch) || isUpperHalfLetter(ch);
    }
}

// Punctuation that, closing a run of address characters, closes the sentence around the address.
bool endsSentence(uint8_t ch)
{
    return ch == '.' || ch == ',' || ch == ';' || ch == ':' || ch == '!' || ch == '?';
}

bool isMailChar(uint8_t ch) { return isLetter(ch) || isDigit(ch) || ch == '~' || ch == '.' || ch == '@' || ch == '-'; }

// Digits, an optional fraction and an optional exponent; the cursor stands on a digit. A period
// without a digit after it is given back: "1.x" is the number 1 and a period.
template <class C>
bool number(C& c, int& length)
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

template <class C>
bool pascalChar(C& c, int& length)
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

// The length of the run of characters of the class at the start of `text`, and whether it holds an @.
template <class TClass>
size_t classRun(std::string_view text, TClass inClass, bool& holdsAt)
{
    size_t n = 0;
    while (n < text.size() && inClass(static_cast<uint8_t>(text[n]))) {
        holdsAt = holdsAt || text[n] == '@';
        ++n;
    }
    return n;
}

template <class C, class TClass>
TRun advanceOver(C& c, int& length, TClass inClass)
{
    TRun run;
    if constexpr (std::is_same_v<C, TRecordCursor>) {
        // Inside the record the characters are read from its span; its last character, after
        // which the cursor changes record, is left to the loop below.
        const std::string_view span = c.Span();
        const size_t n = span.empty() ? 0 : classRun(span.substr(0, span.size() - 1), inClass, run.at);
        if (n > 0) {
            run.any = true;
            run.endsWithPeriod = span[n - 1] == '.';
            c.Skip(static_cast<int>(n));
            length += static_cast<int>(n);
        }
    }
    while (!c.AtEnd() && inClass(current(c))) {
        run.any = true;
        run.at = run.at || current(c) == '@';
        run.endsWithPeriod = current(c) == '.';
        advance(c, length);
    }
    return run;
}

// Whether the ";" under the cursor closes a character reference ("&#955;", "&#x3BB;", "&amp;") that
// lies within the `room` characters before it; the cursor is left on the ";".
template <class C>
bool closesReference(C& c, int room)
{
    int back = 0;
    auto previous = [&] {
        c.Prev();
        ++back;
        return current(c);
    };
    int name = 0;
    uint8_t ch = 0;
    while (back < room && (isLetter(ch = previous()) || isDigit(ch)))
        ++name;
    if (name > 0 && ch == '#' && back < room)
        ch = previous();
    const bool closes = name > 0 && ch == '&' && back <= room;
    for (; back > 0; --back)
        c.Next();
    return closes;
}

template <class C>
bool webChar(C& c, int& length)
{
    const int before = length;
    const TRun run = advanceOver(c, length, isWebChar);
    // Punctuation at the end of the run ends the sentence around the address rather than belonging to
    // it, but for the ";" of a reference the address holds (a held character's among them).
    const int runLength = length - before;
    int back = 0;
    while (back < runLength) {
        c.Prev();
        const uint8_t ch = current(c);
        if (!endsSentence(ch) || (ch == ';' && closesReference(c, runLength - back - 1))) {
            c.Next();
            break;
        }
        ++back;
    }
    length -= back;
    return run.any;
}

// The rest of a line, only when the token began at the start of a line.
template <class C>
bool originalChar(C& c, int& length)
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

template <class C>
bool stdIdentifier(C& c, int& length)
{
    const uint8_t ch = current(c);
    if (!isLetter(ch) && ch != '_')
        return false;
    while (!c.AtEnd() && isIdentChar(current(c)))
        advance(c, length);
    return true;
}

template <class C>
bool stdNumberOrFP(C& c, int& length)
{
    if (!isDigit(current(c)))
        return false;
    return number(c, length);
}

template <class C>
bool stdPascalString(C& c, int& length)
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
template <class C>
bool cQuoted(C& c, int& length, uint8_t delimiter)
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

template <class C> bool stdCString(C& c, int& length) { return cQuoted(c, length, '"'); }
template <class C> bool stdCChar(C& c, int& length) { return cQuoted(c, length, '\''); }

template <class C>
bool stdCNumberOrFPSigned(C& c, int& length)
{
    if (current(c) == '+' || current(c) == '-')
        advance(c, length);
    if (!isDigit(current(c)))
        return false;
    return number(c, length);
}

template <class C>
bool stdNumber(C& c, int& length)
{
    if (!isDigit(current(c)))
        return false;
    while (isDigit(current(c)))
        advance(c, length);
    return true;
}

template <class C>
bool stdMailURL(C& c, int& length)
{
    const TRun run = advanceOver(c, length, isMailChar);
    if (!run.at)
        return false;
    if (run.endsWithPeriod)
        stepBack(c, length);
    return true;
}

template <class C>
bool stdHTMLString(C& c, int& length)
{
    advance(c, length);
    while (!c.AtEnd() && current(c) != '"' && current(c) != kCR)
        advance(c, length);
    advance(c, length);
    return true;
}

// Up to the line end, but not into "-->": a script inside an HTML comment ends its line comment
// before the comment closer so that the closer gets its own colour.
template <class C>
bool stdJSLineComment(C& c, int& length)
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

template <class C> using TRecogniser = bool (*)(C&, int&);

template <class C>
constexpr std::array<TRecogniser<C>, kLastRecogniser - kFirstRecogniser + 1> kRecognisers = {
    pascalChar<C>,      webChar<C>,    originalChar<C>, stdIdentifier<C>,        stdNumberOrFP<C>,
    stdPascalString<C>, stdCString<C>, stdCChar<C>,     stdCNumberOrFPSigned<C>, stdNumber<C>,
    stdMailURL<C>,      stdHTMLString<C>, stdJSLineComment<C>, stdCChar<C>,
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

template <class C>
bool RunRecogniser(int index, C& cursor, int& length, TRecogniserMemo* memo)
{
    if (index < kFirstRecogniser || index > kLastRecogniser)
        return false;
    const int64_t pos = cursor.GetPos();
    const bool remembers = memo && index == riStdMailURL;
    if (remembers && pos > memo->FailedFrom && pos < memo->FailedTo)
        return false;
    const int savedLength = length;
    if (kRecognisers<C>[static_cast<size_t>(index - kFirstRecogniser)](cursor, length))
        return true;
    if (remembers) {
        memo->FailedFrom = pos;
        memo->FailedTo = cursor.GetPos();
    }
    cursor.SetPos(pos);
    length = savedLength;
    return false;
}

size_t MailRunLength(std::string_view text, bool& holdsAt)
{
    holdsAt = false;
    return classRun(text, isMailChar, holdsAt);
}

template bool RunRecogniser(int, TCustomEdStream&, int&, TRecogniserMemo*);
template bool RunRecogniser(int, TEdStream&, int&, TRecogniserMemo*);
template bool RunRecogniser(int, TRecordCursor&, int&, TRecogniserMemo*);

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
