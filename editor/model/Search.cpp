// The regular-expression compiler and matcher, and the plain Boyer-Moore search.
//
// The compiler is a recursive-descent parser run twice over the pattern: the first pass only counts
// the program's bytes, so the second can write into a buffer known to be large enough. Each node is an
// opcode and a 16-bit offset to the next node (subtracted for BACK, which closes loops); alternatives,
// loops and optional parts are chains of BRANCH nodes whose operand is the alternative.
//
// The matcher walks the program in a loop and keeps the places it can go back to (the next
// alternative of a branch, a repetition that can give back a character) on a stack of its own, so
// patterns and texts of any size never deepen the machine stack. Whether the rest of the program
// matches from a node at a position does not depend on how it got there, so a search remembers the
// states (BRANCH node, position) and (after a repetition, positions) from which everything failed and
// does not try them again: its work grows with the program times the text, not exponentially. Only the
// element limit depends on the path; the memo keeps the counts under which a failure is known.
// Before trying a start, the search skips to where the pattern's literals and first characters allow,
// reading the editor's records directly; a skipped start could neither match nor reach the element
// limit.
#include "editor/model/Search.h"

#include <algorithm>
#include <cstring>
#include <limits>

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
    analyse();
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

// ---------------------------------------------------------------- nodes

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

// ---------------------------------------------------------------- what the program tells

namespace {

constexpr int kPollSteps = 4096;
constexpr int kElementLimit = TREParser::kMaxElements;

// Thrown through the matcher when the stop check asks for it; Match turns it into "no match".
struct TStopSearch {};

bool isOpen(uint8_t op)
{
    return op > kOpen && op <= kOpen + kGroups;
}

} // namespace

void TREParser::analyse()
{
    FFacts = TFacts{};
    FFacts.Slot.assign(static_cast<size_t>(FProgramSize), -1);
    std::vector<bool> seen(static_cast<size_t>(FProgramSize), false);
    std::vector<int> todo{1};
    int recorders = 0;
    int emptyRecorders = 0;
    bool loops = false;
    std::vector<int> takers; // the nodes that take characters
    while (!todo.empty()) {
        const int node = todo.back();
        todo.pop_back();
        if (node <= 0 || node + kNodeSize > FProgramSize || seen[static_cast<size_t>(node)])
            continue;
        seen[static_cast<size_t>(node)] = true;
        const uint8_t op = opcodeAt(node);
        if (op == kBranch || op == kStar || op == kPlus)
            FFacts.Slot[static_cast<size_t>(node)] = static_cast<int16_t>(FFacts.Slots++);
        if (op == kBranch)
            todo.push_back(node + kNodeSize);
        loops |= op == kBack;
        // Elements recorded before a character is taken, and elements recorded at all.
        if (op == kStar || op == kPlus || isOpen(op))
            ++emptyRecorders;
        else if (op == kAny || op == kAnyOf || op == kAnyBut || op == kExactly)
            ++recorders;
        if (op == kAny || op == kAnyOf || op == kAnyBut || op == kExactly || op == kBol || op == kEol ||
            op == kStar || op == kPlus)
            takers.push_back(node);
        if (const int next = nextNode(node))
            todo.push_back(next);
    }
    // A start whose character no match begins with fails at the first character it takes, having
    // recorded at most one element per group opening and repetition on the way: it cannot reach the
    // limit when there are not that many. Without loops each node records at most once per try.
    FFacts.FirstExact = emptyRecorders <= kElementLimit;
    FFacts.RequiredExact = !loops && recorders + emptyRecorders <= kElementLimit;
    std::vector<bool> visited(static_cast<size_t>(FProgramSize), false);
    FFacts.StartsAnywhere = false;
    firstCharacters(1, FFacts.First, visited, FFacts.StartsAnywhere);
    requiredLiterals();
    // A start outside the window fails within its characters, without a zero-width loop (the
    // compiler refuses them), so each node records at most once before each character taken.
    windowSets();
    if (static_cast<int>(FFacts.Window.size() + 1) * (recorders + emptyRecorders) > kElementLimit)
        FFacts.Window.clear();
    runBound(takers);
    // A start without the prefix fails within the prefix's nodes, each recording at most once.
    if (recorders + emptyRecorders > kElementLimit)
        FFacts.Prefix.clear();
}

void TREParser::firstCharacters(int node, std::array<bool, 256>& set, std::vector<bool>& seen, bool& anywhere) const
{
    if (node <= 0 || node + kNodeSize > FProgramSize) {
        anywhere = true;
        return;
    }
    if (seen[static_cast<size_t>(node)])
        return;
    seen[static_cast<size_t>(node)] = true;
    const uint8_t op = opcodeAt(node);
    auto simple = [&](int at) {
        if (!addOperandCharacters(at, set))
            anywhere = true;
    };
    switch (op) {
    case kEnd:
        anywhere = true;
        break;
    case kBol:
    case kEol:
        set['\r'] = true;
        break;
    case kAny:
    case kAnyOf:
    case kAnyBut:
    case kExactly:
        simple(node);
        break;
    case kBranch:
        // An alternative's BRANCH is followed by the next alternative's, or by what ends them all.
        firstCharacters(node + kNodeSize, set, seen, anywhere);
        if (opcodeAt(nextNode(node)) == kBranch)
            firstCharacters(nextNode(node), set, seen, anywhere);
        break;
    case kStar:
        simple(node + kNodeSize);
        firstCharacters(nextNode(node), set, seen, anywhere);
        break;
    case kPlus:
        simple(node + kNodeSize);
        break;
    default:
        if (op == kBack || op == kNothing || isOpen(op) || (op > kClose && op <= kClose + kGroups))
            firstCharacters(nextNode(node), set, seen, anywhere);
        else
            anywhere = true;
        break;
    }
}

// Adds the characters the node at `operand` takes as its first: a dot, a class, a literal. False for
// another node.
bool TREParser::addOperandCharacters(int operand, std::array<bool, 256>& set) const
{
    const uint8_t kind = opcodeAt(operand);
    const uint8_t* list = &FProgram[static_cast<size_t>(operand) + kNodeSize];
    if (kind == kAny) {
        for (int c = 0; c < 256; ++c)
            set[static_cast<size_t>(c)] |= c != '\r';
    } else if (kind == kAnyOf || kind == kExactly) {
        for (const uint8_t* p = list; *p != 0; ++p) {
            set[*p] = true;
            if (kind == kExactly)
                break;
        }
    } else if (kind == kAnyBut) {
        std::array<bool, 256> members{};
        for (const uint8_t* p = list; *p != 0; ++p)
            members[*p] = true;
        for (int c = 0; c < 256; ++c)
            set[static_cast<size_t>(c)] |= !members[static_cast<size_t>(c)];
    } else {
        return false;
    }
    return true;
}

// The characters the first kWindow characters of a match can be, offset by offset: the program run
// over every character at once. A state is a node about to take a character (with the index of the
// character within a literal, or 1 for a PLUS that has taken its first); the window stops before the
// offset at which a match may end or a node the walk does not follow is reached.
void TREParser::windowSets()
{
    constexpr int kWindow = 4;
    using TState = std::pair<int, int>;
    std::vector<TState> current{{1, 0}};
    for (int offset = 0; offset < kWindow && !current.empty(); ++offset) {
        std::array<bool, 256> set{};
        std::vector<TState> next;
        std::vector<TState> seen;
        std::vector<TState> todo = current;
        auto go = [&](int node, int index) {
            if (std::find(next.begin(), next.end(), TState{node, index}) == next.end())
                next.push_back({node, index});
        };
        while (!todo.empty()) {
            const auto [node, index] = todo.back();
            todo.pop_back();
            if (std::find(seen.begin(), seen.end(), TState{node, index}) != seen.end())
                continue;
            seen.push_back({node, index});
            if (node <= 0 || node + kNodeSize > FProgramSize)
                return;
            const uint8_t op = opcodeAt(node);
            const int following = nextNode(node);
            if (op == kBranch) {
                todo.push_back({node + kNodeSize, 0});
                if (opcodeAt(following) == kBranch)
                    todo.push_back({following, 0});
            } else if (op == kBack || op == kNothing || isOpen(op) || (op > kClose && op <= kClose + kGroups)) {
                todo.push_back({following, 0});
            } else if (op == kBol || op == kEol) {
                set['\r'] = true;
                go(following, 0);
            } else if (op == kAny || op == kAnyOf || op == kAnyBut) {
                addOperandCharacters(node, set);
                go(following, 0);
            } else if (op == kExactly) {
                const uint8_t* literal = &FProgram[static_cast<size_t>(node) + kNodeSize];
                if (literal[index] == 0)
                    continue; // the empty literal never matches
                set[literal[index]] = true;
                if (literal[index + 1] == 0)
                    go(following, 0);
                else
                    go(node, index + 1);
            } else if (op == kStar || op == kPlus) {
                if (!addOperandCharacters(node + kNodeSize, set))
                    return;
                go(node, 1);
                if (op == kStar || index == 1)
                    todo.push_back({following, 0});
            } else {
                return; // the end, where a match may stop, or a node not known here
            }
        }
        FFacts.Window.push_back(set);
        current = std::move(next);
    }
}

// The most elements a try records from `node` up to and with the first node that takes a character
// (each later character of a literal or a run records nothing more); -1 for a loop that takes no
// character, which the compiler does not make. `best` holds -2 for a node not yet known, -3 for one
// being walked.
int TREParser::recordsPerCharacter(int node, std::vector<int>& best) const
{
    if (node <= 0 || node + kNodeSize > FProgramSize)
        return -1;
    int& known = best[static_cast<size_t>(node)];
    if (known == -3)
        return -1;
    if (known != -2)
        return known;
    known = -3;
    const uint8_t op = opcodeAt(node);
    const int following = nextNode(node);
    int result = 0;
    auto then = [&](int from, int recorded) {
        const int rest = recordsPerCharacter(from, best);
        result = rest < 0 || result < 0 ? -1 : std::max(result, recorded + rest);
    };
    if (op == kEnd || op == kBol || op == kEol) {
        result = 0;
    } else if (op == kAny || op == kAnyOf || op == kAnyBut || op == kExactly || op == kPlus) {
        result = 1;
    } else if (op == kStar) {
        result = 1; // a run of none goes on to what follows
        then(following, 1);
    } else if (op == kBranch) {
        then(node + kNodeSize, 0);
        if (opcodeAt(following) == kBranch)
            then(following, 0);
    } else if (isOpen(op)) {
        then(following, 1);
    } else if (op == kBack || op == kNothing || (op > kClose && op <= kClose + kGroups)) {
        then(following, 0);
    } else {
        result = -1;
    }
    known = result;
    return result;
}

// The longest try that cannot reach the element limit, in characters: before the first character
// taken and after each, a path records at most recordsPerCharacter elements. `takers` are the nodes
// that take characters: what they take is the alphabet, and a path goes on after each.
void TREParser::runBound(const std::vector<int>& takers)
{
    FFacts.RunBound = -1;
    FFacts.Alphabet.fill(false);
    std::vector<int> best(static_cast<size_t>(FProgramSize), -2);
    int most = recordsPerCharacter(1, best);
    for (size_t i = 0; i < takers.size() && most >= 0; ++i) {
        const int node = takers[i];
        const uint8_t op = opcodeAt(node);
        if (op == kBol || op == kEol)
            FFacts.Alphabet['\r'] = true;
        else if (op == kExactly)
            for (const uint8_t* p = &FProgram[static_cast<size_t>(node) + kNodeSize]; *p != 0; ++p)
                FFacts.Alphabet[*p] = true;
        else if (!addOperandCharacters(op == kStar || op == kPlus ? node + kNodeSize : node, FFacts.Alphabet))
            most = -1;
        const int after = recordsPerCharacter(nextNode(node), best);
        most = after < 0 || most < 0 ? -1 : std::max(most, after);
    }
    if (most < 0)
        return;
    FFacts.RunBound = most == 0 ? std::numeric_limits<int32_t>::max() : kElementLimit / most - 1;
}

// Walks the nodes every match passes through, in order, and gathers the runs of literal characters
// between them. A line break ends a run: the literal searcher looks within lines.
void TREParser::requiredLiterals()
{
    if (opcodeAt(1) != kBranch || opcodeAt(nextNode(1)) == kBranch)
        return;
    std::string run;
    bool prefix = true;
    auto endRun = [&] {
        if (prefix)
            FFacts.Prefix = run;
        if (!run.empty())
            FFacts.Required.push_back(run);
        run.clear();
        prefix = false;
    };
    int node = 1 + kNodeSize;
    for (int guard = 0; guard < FProgramSize && node > 0 && node + kNodeSize <= FProgramSize; ++guard) {
        const uint8_t op = opcodeAt(node);
        if (op == kEnd)
            break;
        if (op == kExactly) {
            const uint8_t* literal = &FProgram[static_cast<size_t>(node) + kNodeSize];
            if (*literal == 0)
                break;
            for (const uint8_t* p = literal; *p != 0; ++p) {
                if (*p == '\r') {
                    endRun();
                    continue;
                }
                run += static_cast<char>(*p);
            }
            node = nextNode(node);
        } else if (isOpen(op) || (op > kClose && op <= kClose + kGroups) || op == kNothing) {
            node = nextNode(node);
        } else if (op == kBranch && opcodeAt(nextNode(node)) != kBranch) {
            node += kNodeSize;
        } else if (op == kBranch) {
            // Alternatives join where the last of them goes on.
            endRun();
            int last = node;
            while (opcodeAt(nextNode(last)) == kBranch)
                last = nextNode(last);
            node = nextNode(last);
        } else {
            endRun();
            node = nextNode(node);
        }
    }
    endRun();
}

// ---------------------------------------------------------------- the memo of one search

void TREParser::TMemo::Reset(int slots, int64_t positions)
{
    constexpr size_t pageBytes = sizeof(TMemoEntry) << kPageBits;
    for (size_t page : FUsed) {
        std::memset(static_cast<void*>(FPages[page].get()), 0, pageBytes);
        FSpare.push_back(std::move(FPages[page]));
    }
    FUsed.clear();
    const int64_t perSlot = (positions >> kPageBits) + 1;
    const size_t total = static_cast<size_t>(slots) * static_cast<size_t>(perSlot);
    if (perSlot != FPagesPerSlot || FPages.size() != total) {
        FPages.clear();
        FPages.resize(total);
        FPagesPerSlot = perSlot;
    }
}

const TREParser::TMemoEntry* TREParser::TMemo::Find(int slot, int64_t position) const
{
    if (position < 0 || (position >> kPageBits) >= FPagesPerSlot)
        return nullptr;
    const auto& page = FPages[static_cast<size_t>(slot * FPagesPerSlot + (position >> kPageBits))];
    return page ? &page[static_cast<size_t>(position & ((1 << kPageBits) - 1))] : nullptr;
}

TREParser::TMemoEntry* TREParser::TMemo::At(int slot, int64_t position)
{
    if (position < 0 || (position >> kPageBits) >= FPagesPerSlot)
        return nullptr;
    const auto index = static_cast<size_t>(slot * FPagesPerSlot + (position >> kPageBits));
    auto& page = FPages[index];
    if (!page) {
        if (FSpare.empty()) {
            page.reset(new TMemoEntry[size_t(1) << kPageBits]());
        } else {
            page = std::move(FSpare.back());
            FSpare.pop_back();
        }
        FUsed.push_back(index);
    }
    return &page[static_cast<size_t>(position & ((1 << kPageBits) - 1))];
}

// ---------------------------------------------------------------- matcher

int TREParser::MatchEntry(int n)
{
    if (n < 0 || n >= kEntries - 1)
        fail(reIndexRange);
    return FEntries[static_cast<size_t>(n)];
}

namespace {

// Hands the editor's records from `from` on to `look`, a span at a time with the position of its first
// character, until `look` returns a position (not -1); -1 at the end of the text.
template <typename Look>
int64_t scanRecords(const TEdStream& editor, int64_t from, Look look)
{
    TRecordCursor place = editor.Place();
    place.SetPos(from);
    while (!place.AtEnd()) {
        const std::string_view span = place.Span();
        if (span.empty())
            break;
        const int64_t found = look(span, place.GetPos());
        if (found >= 0)
            return found;
        place.Skip(static_cast<int>(span.size()) - 1);
        place.Next();
    }
    return -1;
}

// Whether `text` stands at `offset` of `record`, going on into the records after it.
bool standsInRecords(const TLineRecord* record, size_t offset, std::string_view text)
{
    for (; !text.empty(); record = record->Next, offset = 0) {
        if (!record)
            return false;
        const size_t length = record->Len;
        const size_t n = std::min(text.size(), length - std::min(offset, length));
        if (n > 0 && std::memcmp(record->Text.get() + offset, text.data(), n) != 0)
            return false;
        text.remove_prefix(n);
    }
    return true;
}

// Takes every place a key is found at.
struct TAnyPlace {
    bool operator()(const TLineRecord*, size_t) const { return true; }
};

// The first place at or after the place of `cursor` where `key` (not empty) stands, ends by `limit` and
// passes `accept` (given the record and the offset in it); -1 when there is none. Reads the records'
// bytes directly: a match within a record is found by memmem (memchr for one character), one that
// runs across a record's end by comparing from each of the record's last characters on. The cursor is
// left at the place found.
template <typename Accept = TAnyPlace>
int64_t findInRecords(TRecordCursor& cursor, int64_t limit, std::string_view key, Accept accept = {})
{
    const auto length = static_cast<int64_t>(key.size());
    const int64_t textLength = cursor.TextLength();
    TLineRecord* record = cursor.Record();
    auto offset = static_cast<size_t>(cursor.OffsetInRecord());
    int64_t position = cursor.GetPos(); // of the character at `offset`
    // 1: found at `at`; 0: not taken, look on; -1: beyond the bound, none.
    auto found = [&](size_t at) {
        const int64_t start = position + static_cast<int64_t>(at - offset);
        if (start + length - 1 > limit || start + length > textLength)
            return -1;
        if (!accept(record, at))
            return 0;
        cursor = TRecordCursor(record, static_cast<int>(at), start, textLength);
        return 1;
    };
    for (; record; record = record->Next, offset = 0) {
        if (position + length - 1 > limit)
            return -1;
        const size_t recordLength = record->Len;
        if (offset >= recordLength)
            continue;
        const char* text = record->Text.get();
        // Whole within the record: a match starts at most this far in.
        const size_t within = recordLength >= key.size() ? recordLength - key.size() + 1 : 0;
        for (size_t from = offset; from < within;) {
            const void* hit = key.size() == 1 ? std::memchr(text + from, key[0], within - from)
                                              : memmem(text + from, recordLength - from, key.data(), key.size());
            if (!hit)
                break;
            const auto at = static_cast<size_t>(static_cast<const char*>(hit) - text);
            if (const int outcome = found(at); outcome != 0)
                return outcome > 0 ? cursor.GetPos() : -1;
            from = at + 1;
        }
        for (size_t at = std::max(offset, within); at < recordLength; ++at)
            if (text[at] == key[0] && standsInRecords(record, at, key))
                if (const int outcome = found(at); outcome != 0)
                    return outcome > 0 ? cursor.GetPos() : -1;
        position += static_cast<int64_t>(recordLength - offset);
    }
    return -1;
}

// The first position from `from` on whose character passes `take`; -1 when none does. Reads the
// editor's records directly when the stream is the editor's cursor.
template <typename Take>
int64_t scanForward(TCustomEdStream& stream, int64_t from, Take take)
{
    if (auto* editor = dynamic_cast<TEdStream*>(&stream)) {
        return scanRecords(*editor, from, [&](std::string_view span, int64_t start) -> int64_t {
            for (size_t i = 0; i < span.size(); ++i)
                if (take(span.data() + i, start + static_cast<int64_t>(i)))
                    return start + static_cast<int64_t>(i);
            return -1;
        });
    }
    const int64_t back = stream.GetPos();
    stream.SetPos(from);
    int64_t found = -1;
    for (; !stream.AtEnd(); stream.Next()) {
        const char c = stream.CurrentChar();
        if (take(&c, stream.GetPos())) {
            found = stream.GetPos();
            break;
        }
    }
    stream.SetPos(back);
    return found;
}

// Whether `literal` stands at `at`.
bool literalAt(TCustomEdStream& stream, int64_t at, const std::string& literal)
{
    if (at < 0)
        return false;
    const int64_t back = stream.GetPos();
    stream.SetPos(at);
    bool same = true;
    for (char c : literal) {
        if (stream.AtEnd() || stream.CurrentChar() != c) {
            same = false;
            break;
        }
        stream.Next();
    }
    stream.SetPos(back);
    return same;
}

// The first place from `from` on where `literal` stands, or -1. Over the editor's records, only a
// place that `accept` takes (given the record and the offset in it).
template <typename Accept = TAnyPlace>
int64_t literalForward(TCustomEdStream& stream, int64_t from, const std::string& literal, Accept accept = {})
{
    const char first = literal[0];
    auto* editor = dynamic_cast<TEdStream*>(&stream);
    if (!editor)
        return scanForward(stream, from, [&](const char* c, int64_t at) { return *c == first && literalAt(stream, at, literal); });
    if (from < 0)
        from = 0;
    TRecordCursor place = editor->Place();
    place.SetPos(from);
    return findInRecords(place, place.TextLength() - 1, literal, accept);
}

// The last position at or before `from` whose character passes `take`; -1 when none does.
template <typename Take>
int64_t scanBackward(TCustomEdStream& stream, int64_t from, Take take)
{
    const int64_t back = stream.GetPos();
    int64_t found = -1;
    stream.SetPos(from);
    for (int64_t at = from; at >= 0; --at) {
        if (!stream.AtEnd() && take(stream.CurrentChar(), at)) {
            found = at;
            break;
        }
        if (at == 0)
            break;
        stream.Prev();
    }
    stream.SetPos(back);
    return found;
}

// The last place at or before `from` where `literal` stands, or -1.
int64_t literalBackward(TCustomEdStream& stream, int64_t from, const std::string& literal)
{
    return scanBackward(stream, from,
                        [&](char c, int64_t at) { return c == literal[0] && literalAt(stream, at, literal); });
}

} // namespace

// The next start from `from` on in the search's direction that can lead to a match; -1 when none can.
int64_t TREParser::nextStart(TCustomEdStream& stream, int64_t from, bool forward)
{
    FFoundAt = -1;
    if (!FUseFilters)
        return from;
    const int64_t back = stream.GetPos();
    for (;;) {
        const int64_t start = nextCandidate(stream, from, forward);
        // The end of the text is left to the attempt.
        if (start >= 0 && (FFacts.Window.empty() || start == FFoundAt || start >= stream.GetSize() ||
                           windowFits(stream, start)))
            return start;
        from = forward ? start + 1 : start - 1;
        if (start < 0 || from < 0) {
            stream.SetPos(back);
            return -1;
        }
        // The stream goes along, so that the literal searches start near.
        stream.SetPos(from);
    }
}

// The first start from `from` on in the search's direction whose run of alphabet characters is longer
// than RunBound: the next start that may reach the element limit; -1 when there is none.
int64_t TREParser::longRunStart(TCustomEdStream& stream, int64_t from, bool forward)
{
    const int64_t longer = FFacts.RunBound + 1;
    const std::array<bool, 256>& alphabet = FFacts.Alphabet;
    int64_t run = 0;
    auto counts = [&](char c) { return alphabet[static_cast<uint8_t>(c)]; };
    if (forward) {
        const int64_t end = scanForward(stream, from, [&](const char* c, int64_t) {
            run = counts(*c) ? run + 1 : 0;
            return run >= longer;
        });
        return end < 0 ? -1 : end - longer + 1;
    }
    // Backward the run after `from` is counted first, up to what is needed.
    if (from < 0)
        return -1;
    scanForward(stream, from + 1, [&](const char* c, int64_t) {
        if (!counts(*c))
            return true;
        return ++run >= longer;
    });
    return scanBackward(stream, from, [&](char c, int64_t) {
        run = counts(c) ? run + 1 : 0;
        return run >= longer;
    });
}

// Whether the characters from `start` on lie in the window.
bool TREParser::windowFits(TCustomEdStream& stream, int64_t start)
{
    auto fits = [this](auto& cursor) {
        for (const std::array<bool, 256>& set : FFacts.Window) {
            if (cursor.AtEnd() || !set[static_cast<uint8_t>(cursor.CurrentChar())])
                return false;
            cursor.Next();
        }
        return true;
    };
    if (auto* editor = dynamic_cast<TEdStream*>(&stream)) {
        // Reached from the start checked last, which lies near.
        if (!FWindowPlaceSet) {
            FWindowPlace = editor->Place();
            FWindowPlaceSet = true;
        }
        FWindowPlace.SetPos(start);
        TRecordCursor cursor = FWindowPlace;
        return fits(cursor);
    }
    const int64_t back = stream.GetPos();
    stream.SetPos(start);
    const bool inside = fits(stream);
    stream.SetPos(back);
    return inside;
}

// The next start from `from` on in the search's direction that the pattern's literals and first
// characters allow; -1 when there is none.
int64_t TREParser::nextCandidate(TCustomEdStream& stream, int64_t from, bool forward)
{
    if (FFacts.RequiredExact || FFacts.RunBound >= 0) {
        // A match from `from` on holds each literal at or after its start. Where one is missing no
        // start can match, and only a start that may reach the element limit is tried, to raise it.
        const auto none = [&] { return FFacts.RequiredExact ? -1 : longRunStart(stream, from, forward); };
        for (size_t i = 0; i < FFacts.Required.size(); ++i) {
            int64_t& at = FLiteralAt[i];
            if (at == -2)
                return none();
            if (forward ? at < from : at < 0)
                at = forward ? literalForward(stream, from, FFacts.Required[i])
                             : literalBackward(stream, stream.GetSize(), FFacts.Required[i]);
            if (at < 0) {
                at = -2;
                return none();
            }
            if (!forward && FFacts.RequiredExact)
                from = std::min(from, at);
        }
    }
    auto* editor = dynamic_cast<TEdStream*>(&stream);
    if (!FFacts.Prefix.empty() && forward && !FFacts.Window.empty() && editor) {
        // The window is looked at where the prefix is found, in the records, and the place found is
        // kept for the stream to take up without a walk.
        TRecordCursor place = editor->Place();
        place.SetPos(std::max<int64_t>(from, 0));
        const int64_t found = findInRecords(place, place.TextLength() - 1, FFacts.Prefix, [this](const TLineRecord* record, size_t offset) {
            for (const std::array<bool, 256>& set : FFacts.Window) {
                while (record && offset >= record->Len) {
                    record = record->Next;
                    offset = 0;
                }
                if (!record || !set[static_cast<uint8_t>(record->Text[offset])])
                    return false;
                ++offset;
            }
            return true;
        });
        if (found >= 0) {
            FFoundPlace = place;
            FFoundAt = found;
        }
        return found;
    }
    if (!FFacts.Prefix.empty())
        return forward ? literalForward(stream, from, FFacts.Prefix) : literalBackward(stream, from, FFacts.Prefix);
    if (!FFacts.FirstExact || FFacts.StartsAnywhere)
        return from;
    if (forward)
        return scanForward(stream, from, [this](const char* c, int64_t) { return FFacts.First[static_cast<uint8_t>(*c)]; });
    return scanBackward(stream, from, [this](char c, int64_t) { return FFacts.First[static_cast<uint8_t>(c)]; });
}

bool TREParser::Match(TCustomEdStream& stream, bool forward)
{
    FErrorCode = 0;
    FSteps = 0;
    FNextPoll = kPollSteps;
    FStopped = false;
    if (FProgramSize == 0 || FProgram[0] != kSignature)
        fail(reInvalidParameter);
    if (!forward && stream.AtEnd() && stream.GetPos() >= 1)
        stream.Prev();
    FMemo.Reset(FFacts.Slots, std::max(stream.GetSize(), stream.GetPos()) + 1);
    FRuns.assign(static_cast<size_t>(FFacts.Slots), TRunMemo{});
    FLiteralAt.assign(FFacts.Required.size(), -1);
    FWindowPlaceSet = false;
    try {
        for (;;) {
            int64_t start = stream.GetPos();
            const int64_t candidate = nextStart(stream, start, forward);
            if (candidate < 0)
                return false;
            if (candidate != start) {
                auto* editor = candidate == FFoundAt ? dynamic_cast<TEdStream*>(&stream) : nullptr;
                if (editor)
                    editor->SetPlace(FFoundPlace);
                else
                    stream.SetPos(candidate);
                start = candidate;
            }
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
    } catch (const TStopSearch&) {
        FStopped = true;
        return false;
    }
}

void TREParser::step()
{
    if (++FSteps < FNextPoll)
        return;
    FNextPoll = FSteps + kPollSteps;
    if (FStopCheck && FStopCheck())
        throw TStopSearch{};
}

void TREParser::record(int64_t position)
{
    if (FElementCount >= kMaxElements)
        fail(reIndexRange);
    FEntries[static_cast<size_t>(FElementCount++)] = static_cast<int32_t>(position);
    FEntriesUsed = std::max(FEntriesUsed, FElementCount);
    noteReach(FElementCount);
}

void TREParser::noteReach(int reach)
{
    if (!FFrames.empty() && reach > FFrames.back().Reach)
        FFrames.back().Reach = static_cast<int16_t>(reach);
}

void TREParser::pushFrame(int slot, int64_t position, int count, int resume, int depth, bool repeat)
{
    FFrames.push_back({position, depth, slot, static_cast<int16_t>(count), static_cast<int16_t>(resume), 0, repeat,
                       1, 0});
}

// A state whose ways on have all failed before, with counts that kept them under the element limit,
// fails again at once; any other is tried and becomes the state its choices belong to.
bool TREParser::enterState(int node, int64_t position)
{
    const int slot = FFacts.Slot[static_cast<size_t>(node)];
    if (slot < 0)
        return true;
    const TMemoEntry* known = FMemo.Find(slot, position);
    if (known && known->Known && FElementCount <= known->Count && FGroup1Resume <= known->Resume) {
        noteReach(std::max({int(known->Reach), FElementCount + kElementLimit - known->Count,
                            FGroup1Resume + kElementLimit - known->Resume}));
        return false;
    }
    pushFrame(slot, position, FElementCount, FGroup1Resume, static_cast<int>(FChoices.size()), false);
    return true;
}

// Ends the states whose choices all lie above `depth`: every way on from them has failed.
void TREParser::closeFrames(int depth)
{
    while (!FFrames.empty() && FFrames.back().Depth > depth) {
        const TFrame frame = FFrames.back();
        FFrames.pop_back();
        // The element counts with which the same tries would still stay under the limit.
        const int count = std::min(kElementLimit, frame.Count + kElementLimit - frame.Reach);
        const int resume = std::min(kElementLimit, frame.Resume + kElementLimit - frame.Reach);
        if (frame.Repeat) {
            TRunMemo& run = FRuns[static_cast<size_t>(frame.Slot)];
            if (frame.Low <= frame.High) {
                if (run.Low <= run.High && frame.Low <= run.High + 1 && run.Low <= frame.High + 1) {
                    run.Low = std::min(run.Low, frame.Low);
                    run.High = std::max(run.High, frame.High);
                    run.Reach = std::max<int>(run.Reach, frame.Reach);
                    run.Count = std::min(run.Count, count);
                    run.Resume = std::min(run.Resume, resume);
                } else {
                    run.Low = frame.Low;
                    run.High = frame.High;
                    run.Reach = frame.Reach;
                    run.Count = count;
                    run.Resume = resume;
                }
            }
        } else if (TMemoEntry* entry = FMemo.At(frame.Slot, frame.Position)) {
            *entry = {1, static_cast<uint8_t>(frame.Reach), static_cast<uint8_t>(count), static_cast<uint8_t>(resume)};
        }
        noteReach(frame.Reach);
    }
}

bool TREParser::inList(int list, char c) const
{
    for (const uint8_t* p = &FProgram[static_cast<size_t>(list)]; *p != 0; ++p)
        if (*p == static_cast<uint8_t>(c))
            return true;
    return false;
}

// The greedy run of a repetition's operand from `start`. A run's end depends only on the text, so a run
// from inside the last one ends where it did.
int TREParser::repeatSimple(TCustomEdStream& stream, int node, int64_t start)
{
    const int operand = node + kNodeSize;
    const uint8_t op = opcodeAt(operand);
    const int list = operand + kNodeSize;
    const uint8_t literal = FProgram[static_cast<size_t>(list)];
    if (op != kAny && op != kAnyOf && op != kAnyBut && op != kExactly)
        fail(reInvalidParameter);
    TRunMemo& memo = FRuns[static_cast<size_t>(FFacts.Slot[static_cast<size_t>(node)])];
    if (memo.RunFrom >= 0 && start >= memo.RunFrom && start <= memo.RunEnd) {
        stream.SetPos(memo.RunEnd);
        return static_cast<int>(memo.RunEnd - start);
    }
    while (!stream.AtEnd()) {
        step();
        if (stream.GetPos() == memo.RunFrom) {
            stream.SetPos(memo.RunEnd);
            break;
        }
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
    memo.RunFrom = start;
    memo.RunEnd = stream.GetPos();
    return static_cast<int>(memo.RunEnd - start);
}

bool TREParser::retryRepeat(TCustomEdStream& stream, int& node)
{
    TChoice& choice = FChoices.back();
    const int minimum = opcodeAt(choice.Node) == kPlus ? 1 : 0;
    const int rest = nextNode(choice.Node);
    // The first character of a literal that follows spares the rest of the program a hopeless try.
    const int guard = opcodeAt(rest) == kExactly ? FProgram[static_cast<size_t>(rest) + kNodeSize] : -1;
    const TRunMemo& failed = FRuns[static_cast<size_t>(FFacts.Slot[static_cast<size_t>(choice.Node)])];
    const bool covered = choice.Count + 1 <= failed.Count && choice.Resume <= failed.Resume;
    for (int run = choice.Run - 1; run >= minimum; --run) {
        step();
        const int64_t at = choice.Position + run;
        if (covered && at >= failed.Low && at <= failed.High) {
            // Every way on from these positions has failed already.
            noteReach(std::max({failed.Reach, choice.Count + 1 + kElementLimit - failed.Count,
                                choice.Resume + kElementLimit - failed.Resume}));
            run = static_cast<int>(failed.Low - choice.Position);
            continue;
        }
        stream.SetPos(at);
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
        closeFrames(static_cast<int>(FChoices.size()) - 1);
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
        // The alternative's own BRANCH takes it on, with the ones after it as its choices.
        node = taken.Node;
        return true;
    }
    closeFrames(-1);
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
    FFrames.clear();
    int node = 1;
    for (;;) {
        step();
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
            if (!enterState(node, stream.GetPos())) {
                ok = false;
                break;
            }
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
            const int run = repeatSimple(stream, node, start);
            const int depth = static_cast<int>(FChoices.size());
            FChoices.push_back({node, static_cast<int32_t>(start), count, FGroup1Resume, run + 1});
            pushFrame(FFacts.Slot[static_cast<size_t>(node)], start, count + 1, FGroup1Resume, depth, true);
            FFrames.back().Low = start + (op == kPlus ? 1 : 0);
            FFrames.back().High = start + run;
            ok = retryRepeat(stream, next);
            break;
        }
        default:
            if (isOpen(op)) {
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
    table.UpperPattern = AnsiUpperCase(pattern);
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

// Every byte as itself: the fold of a search with case, so that both modes read through one table.
constexpr std::array<unsigned char, 256> kSameByte = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    return table;
}();

// The editor's cursor read without a virtual call per character: the plain search's inner loop.
struct TDirectCursor {
    TRecordCursor Place;
    char CurrentChar() const { return Place.CurrentChar(); }
    bool AtEnd() const { return Place.AtEnd(); }
    void SetPos(int64_t position) { Place.SetPos(position); }
    void Prev() { Place.Prev(); }
    void Next() { Place.Next(); }
};

// One Boyer-Moore scan over a cursor (the stream, or the editor's records directly) with the tables of
// one case mode.
template <typename Cursor>
struct TPlainScan {
    Cursor& Stream;
    const std::string& Key; // the pattern, upper-cased without case
    const std::array<uint8_t, 256>& Skip;
    // Each byte as itself with case, else its Windows-1252 capital.
    const unsigned char* Fold;
    int64_t Length;

    uint8_t charAtCursor() const { return Fold[static_cast<uint8_t>(Stream.CurrentChar())]; }

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
    if (matchCase ? pattern != table.Pattern : !AnsiSameText(pattern, table.UpperPattern))
        BuildSkipTables(table, pattern);
    const std::string& key = matchCase ? table.Pattern : table.UpperPattern;
    const std::array<uint8_t, 256>& skip = matchCase ? (backward ? table.BackwardSkip : table.ForwardSkip)
                                                     : (backward ? table.BackwardSkipNoCase : table.ForwardSkipNoCase);
    // Over the editor's records the scan reads them directly; its place goes back to the stream after.
    auto* editor = dynamic_cast<TEdStream*>(&stream);
    TDirectCursor direct{editor ? editor->Place() : TRecordCursor()};
    const unsigned char* const fold = matchCase ? kSameByte.data() : AnsiUpperTable();
    const TPlainScan<TDirectCursor> directScan{direct, key, skip, fold, length};
    const TPlainScan<TCustomEdStream> streamScan{stream, key, skip, fold, length};
    auto find = [&](int64_t from) {
        if (!editor)
            return backward ? streamScan.backward(from) : streamScan.forward(from, limit);
        // With case the bytes are searched as they are, record by record.
        if (matchCase && !backward && from >= 0) {
            direct.Place.SetPos(from);
            const int64_t found = findInRecords(direct.Place, limit, key);
            editor->SetPlace(direct.Place);
            return found;
        }
        const int64_t found = backward ? directScan.backward(from) : directScan.forward(from, limit);
        editor->SetPlace(direct.Place);
        return found;
    };
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
        at = find(at);
        if (at < 0)
            return limit + 1;
        if (!wholeWord || standsAlone(at))
            return static_cast<int>(at);
        at += backward ? -1 : 1;
    }
}
