// The regular-expression compiler and matcher, and the plain Boyer-Moore search.
//
// The compiler is a recursive-descent parser run twice over the pattern: the first pass only counts
// the program's bytes, so the second can write into a buffer known to be large enough. Each node is an
// opcode and a 16-bit offset to the next node (subtracted for BACK, which closes loops); alternatives,
// loops and optional parts are chains of BRANCH nodes whose operand is the alternative.
//
// The matcher walks the program in a loop and keeps the places it can go back to (the next
// alternative of a branch, a repetition that can give back a character) on a stack of its own, so
// patterns and texts of any size never deepen the machine stack.
#include "editor/model/Search.h"

#include <algorithm>
#include <cstring>

#include "editor/model/LineStore.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr uint8_t kSignature = 0x9C;

// Opcodes of the node program.
constexpr uint8_t kEnd = 0;
constexpr uint8_t kBol = 1;
constexpr uint8_t kEol = 2;
constexpr uint8_t kAny = 3;
constexpr uint8_t kAnyOf = 4;
constexpr uint8_t kAnyBut = 5;
constexpr uint8_t kBranch = 6;
constexpr uint8_t kBack = 7;
constexpr uint8_t kExactly = 8;
constexpr uint8_t kNothing = 9;
constexpr uint8_t kStar = 10;
constexpr uint8_t kPlus = 11;
constexpr uint8_t kOpen = 20;  // + group number 1..9
constexpr uint8_t kClose = 30; // + group number 1..9
constexpr int kGroups = 9;
constexpr int kNodeSize = 3;

// What the parser learns about a piece: it always takes at least one character (a repetition of it
// cannot loop without progress), and it is one character wide (STAR and PLUS can repeat it in place).
constexpr int kHasWidth = 1;
constexpr int kSimple = 2;

bool isRepeat(char c)
{
    return c == '*' || c == '+' || c == '?';
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

} // namespace

TREParser::TREParser()
{
    // Matching before a successful compilation must fail, not run an empty program.
    FProgram[0] = kSignature + 1;
}

// ---------------------------------------------------------------- compiler

bool TREParser::Compile(const std::string& pattern)
{
    if (!pattern.empty() && pattern == FPattern)
        return true;
    FProgramSize = 0;
    FEmit = 0;
    FPattern = pattern;
    FErrorCode = reNoErrors;
    FErrorPos = 0;
    // A failed compilation leaves no program behind: a match would otherwise run the previous one.
    FProgram[0] = kSignature + 1;
    try {
        compile();
        return true;
    } catch (const ERegExprError&) {
        FPattern.clear();
        FProgramSize = 0;
        FProgram[0] = kSignature + 1;
        return false;
    }
}

void TREParser::compile()
{
    if (FPattern.empty())
        fail(reInvalidParameter);
    int flags = 0;
    for (bool sizing : {true, false}) {
        FSizing = sizing;
        FParse = 0;
        FNextGroup = 1;
        FEmit = 0;
        emitByte(kSignature);
        parseExpression(false, flags);
    }
}

void TREParser::fail(int code)
{
    FErrorCode = code;
    FErrorPos = FParse;
    throw ERegExprError(LoadResString(code));
}

char TREParser::peek() const
{
    const size_t at = static_cast<size_t>(FParse) + 1;
    return at < FPattern.size() ? FPattern[at] : '\0';
}

void TREParser::grow(int bytes)
{
    if (FSizing) {
        FProgramSize += bytes;
        if (FProgramSize > kMaxProgram)
            fail(reTooComplex);
    } else if (FEmit + bytes > FProgramSize) {
        fail(reInternalError); // the passes disagree
    }
}

int TREParser::emitNode(uint8_t opcode)
{
    grow(kNodeSize);
    if (FSizing)
        return 0;
    const int node = FEmit;
    FProgram[static_cast<size_t>(FEmit++)] = opcode;
    FProgram[static_cast<size_t>(FEmit++)] = 0;
    FProgram[static_cast<size_t>(FEmit++)] = 0;
    return node;
}

void TREParser::emitByte(uint8_t b)
{
    grow(1);
    if (!FSizing)
        FProgram[static_cast<size_t>(FEmit++)] = b;
}

void TREParser::insertNode(uint8_t opcode, int at)
{
    grow(kNodeSize);
    if (FSizing)
        return;
    uint8_t* p = FProgram.data();
    std::memmove(p + at + kNodeSize, p + at, static_cast<size_t>(FEmit - at));
    FEmit += kNodeSize;
    p[at] = opcode;
    p[at + 1] = 0;
    p[at + 2] = 0;
}

void TREParser::linkTail(int node, int target)
{
    if (FSizing)
        return;
    int last = node;
    for (int n = nextNode(last); n != 0; n = nextNode(last))
        last = n;
    const int offset = opcodeAt(last) == kBack ? last - target : target - last;
    FProgram[static_cast<size_t>(last) + 1] = static_cast<uint8_t>(offset >> 8);
    FProgram[static_cast<size_t>(last) + 2] = static_cast<uint8_t>(offset);
}

void TREParser::linkOperandTail(int node, int target)
{
    if (!FSizing && opcodeAt(node) == kBranch)
        linkTail(node + kNodeSize, target);
}

int TREParser::parseExpression(bool parenthesised, int& flags)
{
    flags = kHasWidth;
    int group = 0;
    int first = -1;
    if (parenthesised) {
        if (FNextGroup > kGroups)
            fail(reTooManyGroups);
        group = FNextGroup++;
        first = emitNode(static_cast<uint8_t>(kOpen + group));
    }
    int branchFlags = 0;
    int branch = parseBranch(branchFlags);
    if (parenthesised)
        linkTail(first, branch);
    else
        first = branch;
    if (!(branchFlags & kHasWidth))
        flags &= ~kHasWidth;
    while (current() == '|') {
        ++FParse;
        branch = parseBranch(branchFlags);
        linkTail(first, branch);
        if (!(branchFlags & kHasWidth))
            flags &= ~kHasWidth;
    }
    const int ender = emitNode(parenthesised ? static_cast<uint8_t>(kClose + group) : kEnd);
    linkTail(first, ender);
    if (!FSizing)
        for (int b = first; b != 0; b = nextNode(b))
            linkOperandTail(b, ender);
    if (parenthesised) {
        if (current() != ')')
            fail(reUnmatchedParenthesis);
        ++FParse;
    } else if (!atEnd()) {
        fail(current() == ')' ? reUnmatchedParenthesis : reInternalError);
    }
    return first;
}

int TREParser::parseBranch(int& flags)
{
    flags = 0;
    const int branch = emitNode(kBranch);
    int chain = -1;
    while (!atEnd() && current() != '|' && current() != ')') {
        int pieceFlags = 0;
        const int latest = parsePiece(pieceFlags);
        flags |= pieceFlags & kHasWidth;
        if (chain >= 0)
            linkTail(chain, latest);
        chain = latest;
    }
    if (chain < 0)
        emitNode(kNothing);
    return branch;
}

int TREParser::parsePiece(int& flags)
{
    int atomFlags = 0;
    const int atom = parseAtom(atomFlags);
    const char op = current();
    if (atEnd() || !isRepeat(op)) {
        flags = atomFlags;
        return atom;
    }
    // A repeated atom that can match nothing would loop without taking a character.
    if (!(atomFlags & kHasWidth) && op != '?')
        fail(reInvalidRepeat);
    flags = op == '+' ? kHasWidth : 0;
    const bool simple = (atomFlags & kSimple) != 0;
    if (op == '*' && simple) {
        insertNode(kStar, atom);
    } else if (op == '*') {
        // x* is (x, back to this branch | nothing).
        insertNode(kBranch, atom);
        linkOperandTail(atom, emitNode(kBack));
        linkOperandTail(atom, atom);
        linkTail(atom, emitNode(kBranch));
        linkTail(atom, emitNode(kNothing));
    } else if (op == '+' && simple) {
        insertNode(kPlus, atom);
    } else if (op == '+') {
        // x+ is x, then (back to x | nothing).
        const int loop = emitNode(kBranch);
        linkTail(atom, loop);
        linkTail(emitNode(kBack), atom);
        linkTail(loop, emitNode(kBranch));
        linkTail(atom, emitNode(kNothing));
    } else {
        // x? is (x | nothing).
        insertNode(kBranch, atom);
        linkTail(atom, emitNode(kBranch));
        const int nothing = emitNode(kNothing);
        linkTail(atom, nothing);
        linkOperandTail(atom, nothing);
    }
    ++FParse;
    if (!atEnd() && isRepeat(current()))
        fail(reNestedRepeat);
    return atom;
}

int TREParser::parseAtom(int& flags)
{
    flags = 0;
    if (atEnd())
        fail(reInternalError);
    switch (current()) {
    case '^':
        ++FParse;
        return emitNode(kBol);
    case '$':
        ++FParse;
        return emitNode(kEol);
    case '.':
        ++FParse;
        flags = kHasWidth | kSimple;
        return emitNode(kAny);
    case '[':
        return parseClass(flags);
    case '"':
        return parseQuoted(flags);
    case '(': {
        ++FParse;
        int inner = 0;
        const int group = parseExpression(true, inner);
        flags = inner & kHasWidth;
        return group;
    }
    case '|':
    case ')':
        fail(reInternalError);
    case '?':
    case '*':
    case '+':
        fail(reInvalidRepeat);
    default: {
        const int node = emitNode(kExactly);
        // A NUL literal stays as the empty literal, which never matches: the text holds no NUL.
        emitByte(readEscaped());
        emitByte(0);
        ++FParse;
        flags = kHasWidth | kSimple;
        return node;
    }
    }
}

int TREParser::parseClass(int& flags)
{
    ++FParse;
    int node = 0;
    if (current() == '^') {
        node = emitNode(kAnyBut);
        ++FParse;
    } else {
        node = emitNode(kAnyOf);
    }
    if (atEnd() || current() == ']')
        fail(reUnmatchedBracket);
    // The list is NUL-terminated, and the text never holds a NUL: a NUL member is left out.
    auto addMember = [this](int c) {
        if (c != 0)
            emitByte(static_cast<uint8_t>(c));
    };
    while (!atEnd() && current() != ']') {
        const uint8_t low = readEscaped();
        if (peek() == '-') {
            FParse += 2;
            if (atEnd() || current() == ']')
                fail(reInvalidRange);
            const uint8_t high = readEscaped();
            if (high < low)
                fail(reInvalidRange);
            for (int c = low; c <= high; ++c)
                addMember(c);
        } else {
            addMember(low);
        }
        ++FParse;
    }
    if (atEnd())
        fail(reUnmatchedBracket);
    ++FParse;
    emitByte(0);
    flags = kHasWidth | kSimple;
    return node;
}

int TREParser::parseQuoted(int& flags)
{
    ++FParse;
    const int node = emitNode(kExactly);
    const int literal = FEmit;
    int length = 0;
    bool holdsNul = false;
    while (current() != '"') {
        if (atEnd())
            fail(reQuoteExpected);
        const uint8_t c = readEscaped();
        holdsNul |= c == 0;
        emitByte(c);
        ++length;
        ++FParse;
    }
    ++FParse;
    emitByte(0);
    // Cut at its NUL the literal would match a prefix of itself; as the empty literal it never matches.
    if (holdsNul && !FSizing)
        FProgram[static_cast<size_t>(literal)] = 0;
    flags = kHasWidth | (length == 1 ? kSimple : 0);
    return node;
}

uint8_t TREParser::readEscaped()
{
    if (atEnd())
        fail(reUnexpectedEnd);
    const char c = current();
    if (c != '\\')
        return static_cast<uint8_t>(c);
    ++FParse;
    if (atEnd())
        fail(reUnexpectedEnd);
    const char e = current();
    switch (AsciiLower(e)) {
    case 's':
        return ' ';
    case 't':
        return 9;
    case 'n':
        return 13;
    case 'r':
        return 10;
    case 'b':
        return 8;
    case 'f':
        return 12;
    case 'x': {
        int value = HexDigitValue(peek());
        ++FParse;
        if (value < 0)
            fail(reHexDigitExpected);
        const int second = HexDigitValue(peek());
        if (second >= 0) {
            ++FParse;
            value = value * 16 + second;
        }
        return static_cast<uint8_t>(value);
    }
    default:
        break;
    }
    if (!isOctal(e))
        return static_cast<uint8_t>(e);
    int value = e - '0';
    for (int i = 0; i < 2 && isOctal(peek()); ++i) {
        ++FParse;
        value = value * 8 + (current() - '0');
    }
    return static_cast<uint8_t>(value);
}

// ---------------------------------------------------------------- matcher

int TREParser::nextNode(int node) const
{
    const int offset = (FProgram[static_cast<size_t>(node) + 1] << 8) | FProgram[static_cast<size_t>(node) + 2];
    if (offset == 0)
        return 0;
    return FProgram[static_cast<size_t>(node)] == kBack ? node - offset : node + offset;
}

uint8_t TREParser::opcodeAt(int node) const
{
    // Node 0 is the signature byte: "no node", and never a BRANCH.
    return FProgram[static_cast<size_t>(node)];
}

int TREParser::MatchEntry(int n)
{
    if (n < 0 || n >= kEntries - 1)
        fail(reIndexRange);
    return FEntries[static_cast<size_t>(n)];
}

bool TREParser::Match(TCustomEdStream& stream, bool forward)
{
    FErrorCode = 0;
    if (FProgramSize == 0 || FProgram[0] != kSignature)
        fail(reInvalidParameter);
    if (!forward && stream.AtEnd() && stream.GetPos() >= 1)
        stream.Prev();
    for (;;) {
        const int64_t start = stream.GetPos();
        if (attempt(stream))
            return true;
        stream.SetPos(start);
        if (forward) {
            if (stream.AtEnd())
                return false;
            stream.Next();
        } else {
            if (start <= 0)
                return false;
            stream.Prev();
        }
        // A cursor that cannot move (one never placed on the text) would try the same place forever.
        if (stream.GetPos() == start)
            return false;
    }
}

void TREParser::record(int64_t position)
{
    if (FElementCount >= kMaxElements)
        fail(reIndexRange);
    FEntries[static_cast<size_t>(FElementCount++)] = static_cast<int32_t>(position);
    FEntriesUsed = std::max(FEntriesUsed, FElementCount);
}

bool TREParser::inList(int list, char c) const
{
    for (const uint8_t* p = &FProgram[static_cast<size_t>(list)]; *p != 0; ++p)
        if (*p == static_cast<uint8_t>(c))
            return true;
    return false;
}

int TREParser::repeatSimple(TCustomEdStream& stream, int operand)
{
    const uint8_t op = opcodeAt(operand);
    const int list = operand + kNodeSize;
    const uint8_t literal = FProgram[static_cast<size_t>(list)];
    if (op != kAny && op != kAnyOf && op != kAnyBut && op != kExactly)
        fail(reInvalidParameter);
    const int64_t start = stream.GetPos();
    while (!stream.AtEnd()) {
        const char c = stream.CurrentChar();
        const bool takes = op == kAny       ? c != '\r'
                           : op == kAnyOf   ? inList(list, c)
                           : op == kAnyBut  ? !inList(list, c)
                                            : literal != 0 && static_cast<uint8_t>(c) == literal;
        if (!takes)
            break;
        const int64_t before = stream.GetPos();
        stream.Next();
        if (stream.GetPos() == before)
            break;
    }
    return static_cast<int>(stream.GetPos() - start);
}

bool TREParser::retryRepeat(TCustomEdStream& stream, int& node)
{
    TChoice& choice = FChoices.back();
    const int minimum = opcodeAt(choice.Node) == kPlus ? 1 : 0;
    const int rest = nextNode(choice.Node);
    // The first character of a literal that follows spares the rest of the program a hopeless try.
    const int guard = opcodeAt(rest) == kExactly ? FProgram[static_cast<size_t>(rest) + kNodeSize] : -1;
    for (int run = choice.Run - 1; run >= minimum; --run) {
        stream.SetPos(choice.Position + run);
        if (guard < 0 || static_cast<uint8_t>(stream.CurrentChar()) == guard) {
            choice.Run = run;
            FElementCount = choice.Count + 1;
            FGroup1Resume = choice.Resume;
            node = rest;
            return true;
        }
    }
    FChoices.pop_back();
    return false;
}

bool TREParser::backtrack(TCustomEdStream& stream, int& node)
{
    while (!FChoices.empty()) {
        if (FChoices.back().Run >= 0) {
            if (retryRepeat(stream, node))
                return true;
            continue;
        }
        const TChoice taken = FChoices.back();
        FChoices.pop_back();
        // Each alternative starts from the branch's own state: the elements of the one that wins
        // are numbered from there, as if the failed ones had never been tried.
        stream.SetPos(taken.Position);
        FElementCount = taken.Count;
        FGroup1Resume = taken.Resume;
        const int after = nextNode(taken.Node);
        if (opcodeAt(after) == kBranch)
            FChoices.push_back({after, taken.Position, taken.Count, taken.Resume, -1});
        node = taken.Node + kNodeSize;
        return true;
    }
    return false;
}

// Every loop of the program takes a character and records an element on each turn, and the element
// count is bounded, so one attempt holds at most 255 turns of any loop: the choice stack stays within
// the program's size times 256 entries.
bool TREParser::attempt(TCustomEdStream& stream)
{
    std::fill(FEntries.begin(), FEntries.begin() + FEntriesUsed, -1);
    FEntriesUsed = 0;
    FElementCount = 0;
    FGroup1Resume = 0;
    FChoices.clear();
    int node = 1;
    for (;;) {
        if (node <= 0 || node + kNodeSize > FProgramSize)
            fail(reInvalidParameter);
        const uint8_t op = opcodeAt(node);
        int next = nextNode(node);
        bool ok = true;
        switch (op) {
        case kEnd: {
            const auto end = static_cast<int32_t>(stream.GetPos());
            std::fill(FEntries.begin() + FElementCount, FEntries.end(), end);
            FEntriesUsed = kEntries;
            return true;
        }
        case kBol:
        case kEol:
            // An anchor takes the line break it matches in.
            ok = !stream.AtEnd() && stream.CurrentChar() == '\r';
            if (ok)
                stream.Next();
            break;
        case kAny:
            ok = !stream.AtEnd() && stream.CurrentChar() != '\r';
            if (ok) {
                record(stream.GetPos());
                stream.Next();
            }
            break;
        case kAnyOf:
        case kAnyBut:
            ok = !stream.AtEnd() && inList(node + kNodeSize, stream.CurrentChar()) == (op == kAnyOf);
            if (ok) {
                record(stream.GetPos());
                stream.Next();
            }
            break;
        case kExactly: {
            const uint8_t* literal = &FProgram[static_cast<size_t>(node) + kNodeSize];
            const int64_t start = stream.GetPos();
            ok = literal[0] != 0;
            for (const uint8_t* p = literal; ok && *p != 0; ++p) {
                ok = !stream.AtEnd() && static_cast<uint8_t>(stream.CurrentChar()) == *p;
                if (ok)
                    stream.Next();
            }
            if (ok)
                record(start);
            else
                stream.SetPos(start);
            break;
        }
        case kBranch:
            if (opcodeAt(next) == kBranch)
                FChoices.push_back({next, static_cast<int32_t>(stream.GetPos()), FElementCount, FGroup1Resume, -1});
            next = node + kNodeSize;
            break;
        case kBack:
        case kNothing:
            break;
        case kStar:
        case kPlus: {
            // The whole run is one element.
            const int64_t start = stream.GetPos();
            const int count = FElementCount;
            record(start);
            const int run = repeatSimple(stream, node + kNodeSize);
            FChoices.push_back({node, static_cast<int32_t>(start), count, FGroup1Resume, run + 1});
            ok = retryRepeat(stream, next);
            break;
        }
        default:
            if (op > kOpen && op <= kOpen + kGroups) {
                record(stream.GetPos());
                if (op == kOpen + 1)
                    FGroup1Resume = FElementCount;
            } else if (op > kClose && op <= kClose + kGroups) {
                // Whatever group 1 recorded is overwritten by what follows: the group is one element.
                if (op == kClose + 1)
                    FElementCount = FGroup1Resume;
            } else {
                fail(reInvalidParameter);
            }
            break;
        }
        if (!ok && !backtrack(stream, node))
            return false;
        if (ok)
            node = next;
    }
}

// ---------------------------------------------------------------- plain search

void BuildSkipTables(TSkipTable& table, const std::string& pattern)
{
    table.Pattern = pattern;
    table.UpperPattern = AsciiUpperCase(pattern);
    const int length = static_cast<int>(pattern.size());
    const auto whole = static_cast<uint8_t>(length);
    table.ForwardSkip.fill(whole);
    table.BackwardSkip.fill(whole);
    table.ForwardSkipNoCase.fill(whole);
    table.BackwardSkipNoCase.fill(whole);
    // Forward: distance from the last occurrence to the pattern's end; backward: index of the first.
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<uint8_t>(pattern[static_cast<size_t>(i)]);
        const auto upper = static_cast<uint8_t>(table.UpperPattern[static_cast<size_t>(i)]);
        table.ForwardSkip[c] = static_cast<uint8_t>(length - 1 - i);
        table.ForwardSkipNoCase[upper] = static_cast<uint8_t>(length - 1 - i);
    }
    for (int i = length - 1; i >= 0; --i) {
        const auto c = static_cast<uint8_t>(pattern[static_cast<size_t>(i)]);
        const auto upper = static_cast<uint8_t>(table.UpperPattern[static_cast<size_t>(i)]);
        table.BackwardSkip[c] = static_cast<uint8_t>(i);
        table.BackwardSkipNoCase[upper] = static_cast<uint8_t>(i);
    }
}

namespace {

// One Boyer-Moore scan over the stream with the tables of one case mode.
struct TPlainScan {
    TCustomEdStream& Stream;
    const std::string& Key; // the pattern, upper-cased without case
    const std::array<uint8_t, 256>& Skip;
    bool MatchCase;
    int64_t Length;

    uint8_t charAtCursor() const
    {
        const char c = Stream.CurrentChar();
        return static_cast<uint8_t>(MatchCase ? c : AsciiUpper(c));
    }

    // The first match at or after `from` that ends by `limit`; -1 when there is none.
    int64_t forward(int64_t from, int64_t limit) const
    {
        for (;;) {
            const int64_t last = from + Length - 1;
            if (last > limit)
                return -1;
            Stream.SetPos(last);
            if (Stream.AtEnd())
                return -1;
            for (int64_t j = Length - 1;; --j) {
                const uint8_t c = charAtCursor();
                if (c != static_cast<uint8_t>(Key[static_cast<size_t>(j)])) {
                    // Shift so that the pattern's last c lies under the text's c, but never by less
                    // than one position.
                    from += j + std::max<int64_t>(Skip[c], Length - j) - Length + 1;
                    break;
                }
                if (j == 0)
                    return from;
                Stream.Prev();
            }
        }
    }

    // The last match that starts at or before `from`; -1 when there is none.
    int64_t backward(int64_t from) const
    {
        for (;;) {
            if (from < 0)
                return -1;
            Stream.SetPos(from);
            for (int64_t j = 0;; ++j) {
                const uint8_t c = charAtCursor();
                if (c != static_cast<uint8_t>(Key[static_cast<size_t>(j)])) {
                    from += j - std::max<int64_t>(Skip[c], j + 1);
                    break;
                }
                if (j == Length - 1)
                    return from;
                Stream.Next();
            }
        }
    }
};

} // namespace

int BMSearch(const TWordCharTest& charIsInWord, const TWordCharTest& charStartsWord, TCustomEdStream& stream,
             int limit, TSkipTable& table, bool wholeWord, bool matchCase, bool backward, int start,
             const std::string& pattern)
{
    const auto length = static_cast<int64_t>(pattern.size());
    if (length == 0)
        return limit + 1;
    // Without case the tables serve every pattern with the same upper-case form.
    if (matchCase ? pattern != table.Pattern : !SameText(pattern, table.UpperPattern))
        BuildSkipTables(table, pattern);
    const TPlainScan scan{stream,
                          matchCase ? table.Pattern : table.UpperPattern,
                          matchCase ? (backward ? table.BackwardSkip : table.ForwardSkip)
                                    : (backward ? table.BackwardSkipNoCase : table.ForwardSkipNoCase),
                          matchCase, length};
    auto wordChar = [&](char c) {
        return (charIsInWord && charIsInWord(c)) || (charStartsWord && charStartsWord(c));
    };
    // Word boundaries are a property of the text, so the character after a match is looked at
    // wherever the text has one, whatever bound the search runs to.
    auto standsAlone = [&](int64_t at) {
        if (at > 0) {
            stream.SetPos(at - 1);
            if (wordChar(stream.CurrentChar()))
                return false;
        }
        stream.SetPos(at + length);
        return stream.AtEnd() || !wordChar(stream.CurrentChar());
    };
    // A match rejected as part of a word moves the search on by one position only: a pattern that
    // holds non-word characters may still stand alone in an overlapping place.
    int64_t at = backward ? start - length : start;
    for (;;) {
        at = backward ? scan.backward(at) : scan.forward(at, limit);
        if (at < 0)
            return limit + 1;
        if (!wholeWord || standsAlone(at))
            return static_cast<int>(at);
        at += backward ? -1 : 1;
    }
}
