// The search engines: regular-expression compilation, errors, escapes, element numbering and matching
// (checked against a reference matcher), and the plain Boyer-Moore search (checked against a naive one).
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "editor/model/Search.h"
#include "platform/core/SysUtils.h"
#include "support/RandomText.h"
#include "support/StringEdStream.h"

namespace {

// The outcome of a match: the entries 0..count when it succeeded.
struct Found {
    bool Matched = false;
    std::vector<int> Entries;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* os)
{
    if (!f.Matched) {
        *os << "no match";
        return;
    }
    *os << "entries";
    for (int e : f.Entries)
        *os << ' ' << e;
}

Found matchOnce(TREParser& re, TCustomEdStream& stream, bool forward = true)
{
    Found found;
    found.Matched = re.Match(stream, forward);
    if (found.Matched)
        for (int k = 0; k <= re.ElementCount(); ++k)
            found.Entries.push_back(re.MatchEntry(k));
    return found;
}

Found find(const std::string& pattern, const std::string& text, int64_t from = 0, bool forward = true)
{
    TREParser re;
    EXPECT_TRUE(re.Compile(pattern)) << pattern << ": " << LoadResString(re.ErrorCode());
    TStringEdStream stream(text, from);
    return matchOnce(re, stream, forward);
}

Found hit(std::vector<int> entries)
{
    return {true, std::move(entries)};
}

// The text of element k of a match.
std::string element(const std::string& text, const Found& f, size_t k)
{
    return text.substr(static_cast<size_t>(f.Entries[k - 1]), static_cast<size_t>(f.Entries[k] - f.Entries[k - 1]));
}

const std::vector<int> kCompileErrors = {reInvalidParameter, reTooComplex,      reTooManyGroups, reUnmatchedParenthesis,
                                         reInvalidRepeat,    reNestedRepeat,    reInvalidRange,  reUnmatchedBracket,
                                         reHexDigitExpected, reUnexpectedEnd,   reQuoteExpected, reInternalError};

bool isCompileError(int code)
{
    return std::find(kCompileErrors.begin(), kCompileErrors.end(), code) != kCompileErrors.end();
}

// ---------------------------------------------------------------- reference matcher
//
// A direct reading of the same language over a std::string: an expression tree matched with
// continuations, every path carrying its own position, element count and entries.

namespace ref {

struct Node;
using Sequence = std::vector<const Node*>;
using Alternatives = std::vector<Sequence>;

struct Node {
    enum Kind { Literal, Any, Class, Bol, Eol, Group, Repeat } K = Literal;
    char Ch = 0;
    std::array<bool, 256> Members{};
    bool Negated = false;
    int Number = 0;
    Alternatives Alts;
    char Op = 0;
    bool Simple = false;
    const Node* Inner = nullptr;
};

struct Program {
    Alternatives Top;
    std::deque<Node> Pool;
};

struct CompileError {
    int Code;
};

class Parser {
public:
    explicit Parser(const std::string& pattern, Program& program) : P(pattern), Prog(program) {}

    void parse()
    {
        if (P.empty())
            throw CompileError{reInvalidParameter};
        bool width = false;
        Prog.Top = alternation(width);
        if (I < P.size())
            throw CompileError{P[I] == ')' ? reUnmatchedParenthesis : reInternalError};
    }

private:
    bool more() const { return I < P.size(); }
    static bool isRepeat(char c) { return c == '*' || c == '+' || c == '?'; }
    Node& make(Node::Kind k)
    {
        Prog.Pool.emplace_back();
        Prog.Pool.back().K = k;
        return Prog.Pool.back();
    }

    Alternatives alternation(bool& width)
    {
        Alternatives alts;
        width = true;
        for (;;) {
            bool w = false;
            alts.push_back(sequence(w));
            width = width && w;
            if (!more() || P[I] != '|')
                return alts;
            ++I;
        }
    }

    Sequence sequence(bool& width)
    {
        Sequence seq;
        width = false;
        while (more() && P[I] != '|' && P[I] != ')') {
            bool w = false;
            seq.push_back(piece(w));
            width = width || w;
        }
        return seq;
    }

    const Node* piece(bool& width)
    {
        bool w = false;
        bool simple = false;
        const Node* atom = this->atom(w, simple);
        if (!more() || !isRepeat(P[I])) {
            width = w;
            return atom;
        }
        const char op = P[I];
        if (!w && op != '?')
            throw CompileError{reInvalidRepeat};
        ++I;
        if (more() && isRepeat(P[I]))
            throw CompileError{reNestedRepeat};
        width = op == '+';
        Node& n = make(Node::Repeat);
        n.Op = op;
        n.Simple = simple;
        n.Inner = atom;
        return &n;
    }

    const Node* atom(bool& width, bool& simple)
    {
        width = false;
        simple = false;
        const char c = P[I];
        switch (c) {
        case '^': ++I; return &make(Node::Bol);
        case '$': ++I; return &make(Node::Eol);
        case '.':
            ++I;
            width = simple = true;
            return &make(Node::Any);
        case '[': return charClass(width, simple);
        case '(': {
            ++I;
            if (NextGroup > 9)
                throw CompileError{reTooManyGroups};
            Node& g = make(Node::Group);
            g.Number = NextGroup++;
            g.Alts = alternation(width);
            if (!more() || P[I] != ')')
                throw CompileError{reUnmatchedParenthesis};
            ++I;
            return &g;
        }
        case '|':
        case ')': throw CompileError{reInternalError};
        case '?':
        case '*':
        case '+': throw CompileError{reInvalidRepeat};
        default: {
            ++I;
            Node& n = make(Node::Literal);
            n.Ch = c;
            width = simple = true;
            return &n;
        }
        }
    }

    const Node* charClass(bool& width, bool& simple)
    {
        ++I;
        Node& n = make(Node::Class);
        if (more() && P[I] == '^') {
            n.Negated = true;
            ++I;
        }
        if (!more() || P[I] == ']')
            throw CompileError{reUnmatchedBracket};
        while (more() && P[I] != ']') {
            const auto low = static_cast<uint8_t>(P[I]);
            if (I + 1 < P.size() && P[I + 1] == '-') {
                I += 2;
                if (!more() || P[I] == ']' || static_cast<uint8_t>(P[I]) < low)
                    throw CompileError{reInvalidRange};
                for (int ch = low; ch <= static_cast<uint8_t>(P[I]); ++ch)
                    n.Members[static_cast<size_t>(ch)] = true;
            } else {
                n.Members[low] = true;
            }
            ++I;
        }
        if (!more())
            throw CompileError{reUnmatchedBracket};
        ++I;
        width = simple = true;
        return &n;
    }

    const std::string& P;
    Program& Prog;
    size_t I = 0;
    int NextGroup = 1;
};

struct State {
    int Pos = 0;
    int Resume = 0;
    std::vector<int> Entries; // one per element recorded so far: its size is the element count
};

struct TooManyElements {};

using Continuation = std::function<bool(const State&)>;

class Matcher {
public:
    Matcher(const Program& program, const std::string& text) : Prog(program), T(text) {}

    struct Result {
        int Count;
        std::vector<int> Entries; // 0..256
    };

    // Nothing, or the first match from the search's start.
    std::optional<Result> search(int start, bool forward)
    {
        const int length = static_cast<int>(T.size());
        int p = start;
        if (!forward && p >= length && p >= 1)
            --p;
        for (;;) {
            State s;
            s.Pos = p;
            std::optional<Result> result;
            if (alternatives(Prog.Top, s, [&](const State& end) {
                    result = Result{static_cast<int>(end.Entries.size()), end.Entries};
                    result->Entries.resize(TREParser::kEntries, end.Pos);
                    return true;
                }))
                return result;
            if (forward ? p >= length : p <= 0)
                return std::nullopt;
            p += forward ? 1 : -1;
        }
    }

private:
    static void record(State& s, int position)
    {
        if (s.Entries.size() >= static_cast<size_t>(TREParser::kMaxElements))
            throw TooManyElements{};
        s.Entries.push_back(position);
    }

    bool has(int pos) const { return pos < static_cast<int>(T.size()); }
    char at(int pos) const { return T[static_cast<size_t>(pos)]; }

    bool takesOne(const Node& n, int pos) const
    {
        if (!has(pos))
            return false;
        switch (n.K) {
        case Node::Literal: return at(pos) == n.Ch;
        case Node::Any: return at(pos) != '\r';
        case Node::Class: return n.Members[static_cast<uint8_t>(at(pos))] != n.Negated;
        default: return false;
        }
    }

    bool alternatives(const Alternatives& alts, const State& s, const Continuation& k)
    {
        for (const Sequence& seq : alts)
            if (sequence(seq, 0, s, k))
                return true;
        return false;
    }

    bool sequence(const Sequence& seq, size_t i, const State& s, const Continuation& k)
    {
        if (i == seq.size())
            return k(s);
        return node(*seq[i], s, [&](const State& next) { return sequence(seq, i + 1, next, k); });
    }

    bool star(const Node& inner, const State& s, const Continuation& k)
    {
        return node(inner, s, [&](const State& next) { return star(inner, next, k); }) || k(s);
    }

    bool node(const Node& n, const State& s, const Continuation& k)
    {
        switch (n.K) {
        case Node::Literal:
        case Node::Any:
        case Node::Class: {
            if (!takesOne(n, s.Pos))
                return false;
            State next = s;
            record(next, s.Pos);
            ++next.Pos;
            return k(next);
        }
        case Node::Bol:
        case Node::Eol: {
            if (!has(s.Pos) || at(s.Pos) != '\r')
                return false;
            State next = s;
            ++next.Pos;
            return k(next);
        }
        case Node::Group: {
            State inside = s;
            record(inside, s.Pos);
            if (n.Number == 1)
                inside.Resume = static_cast<int>(inside.Entries.size());
            return alternatives(n.Alts, inside, [&](const State& end) {
                if (n.Number != 1)
                    return k(end);
                State closed = end;
                closed.Entries.resize(static_cast<size_t>(closed.Resume));
                return k(closed);
            });
        }
        case Node::Repeat:
            if (n.Simple && n.Op != '?') {
                State run = s;
                record(run, s.Pos);
                int longest = 0;
                while (takesOne(*n.Inner, s.Pos + longest))
                    ++longest;
                for (int r = longest; r >= (n.Op == '+' ? 1 : 0); --r) {
                    State next = run;
                    next.Pos = s.Pos + r;
                    if (k(next))
                        return true;
                }
                return false;
            }
            if (n.Op == '?')
                return node(*n.Inner, s, k) || k(s);
            if (n.Op == '*')
                return star(*n.Inner, s, k);
            return node(*n.Inner, s, [&](const State& next) { return star(*n.Inner, next, k); });
        }
        return false;
    }

    const Program& Prog;
    const std::string& T;
};

} // namespace ref

// The control's default word tests: letters and "_" start a word, digits may follow.
bool startsWord(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
const TWordCharTest kInWord = [](char c) { return c >= '0' && c <= '9'; };
const TWordCharTest kStartsWord = startsWord;

int plainSearch(const std::string& text, const std::string& pattern, TSkipTable& table, int start, bool backward,
                bool matchCase = true, bool wholeWord = false, int limit = -2)
{
    if (limit == -2)
        limit = static_cast<int>(text.size()) - 1;
    TStringEdStream stream(text);
    return BMSearch(kInWord, kStartsWord, stream, limit, table, wholeWord, matchCase, backward, start, pattern);
}

// What BMSearch must find, by trying every place.
int naiveSearch(const std::string& text, const std::string& pattern, int start, bool backward, bool matchCase,
                bool wholeWord, int limit)
{
    const int n = static_cast<int>(text.size());
    const int len = static_cast<int>(pattern.size());
    auto fold = [&](char c) { return matchCase ? c : AnsiUpper(c); };
    auto isWord = [&](char c) { return kInWord(c) || kStartsWord(c); };
    auto matchesAt = [&](int r) {
        if (r < 0 || r + len > n)
            return false;
        for (int j = 0; j < len; ++j)
            if (fold(text[static_cast<size_t>(r + j)]) != fold(pattern[static_cast<size_t>(j)]))
                return false;
        if (wholeWord && ((r > 0 && isWord(text[static_cast<size_t>(r - 1)])) ||
                          (r + len < n && isWord(text[static_cast<size_t>(r + len)]))))
            return false;
        return true;
    };
    if (backward) {
        for (int r = start - len; r >= 0; --r)
            if (matchesAt(r))
                return r;
    } else {
        for (int r = start; r + len - 1 <= limit; ++r)
            if (matchesAt(r))
                return r;
    }
    return limit + 1;
}

} // namespace

// ---------------------------------------------------------------- compiling

TEST(TREParser, CompileErrorsCarryTheirTextsAndPositions)
{
    struct Case {
        std::string Pattern;
        const char* Text;
        int Pos;
    };
    const std::string tenGroups = std::string(10, '(') + "a" + std::string(10, ')');
    const std::vector<Case> cases = {
        {"a**", "Nested repeat", 2},        {"a*?", "Nested repeat", 2},
        {"()*", "Invalid repeat", 2},       {"*a", "Invalid repeat", 0},
        {"(a*)+", "Invalid repeat", 4},     {"^*", "Invalid repeat", 1},
        {"[]", "Unmatched bracket", 1},     {"[^]", "Unmatched bracket", 2},
        {"[ab", "Unmatched bracket", 3},    {"[z-a]", "Invalid range", 3},
        {"[a-]", "Invalid range", 3},       {"[a-", "Invalid range", 3},
        {tenGroups, "Too many sub-expressions", 10},
        {"(a", "Unmatched parenthesis", 2}, {"a)", "Unmatched parenthesis", 1},
        {"\\xg", "Hex digit expected", 2},  {"\\x", "Hex digit expected", 2},
        {"a\\", "Unexpected end of input", 2}, {"[a\\", "Unexpected end of input", 3},
        {"\"abc", "' expected", 4},         {"", "Invalid parameter", 0},
    };
    for (const Case& c : cases) {
        TREParser re;
        for (int time = 0; time < 2; ++time) { // an error is never cached
            EXPECT_FALSE(re.Compile(c.Pattern)) << c.Pattern;
            EXPECT_EQ(LoadResString(re.ErrorCode()), c.Text) << c.Pattern;
            EXPECT_EQ(re.ErrorPos(), c.Pos) << c.Pattern;
            EXPECT_EQ(re.Pattern(), "");
        }
    }
    // Nine groups are allowed.
    TREParser re;
    EXPECT_TRUE(re.Compile(std::string(9, '(') + "a" + std::string(9, ')')));
    EXPECT_EQ(re.ErrorCode(), reNoErrors);
    EXPECT_EQ(LoadResString(reNoErrors), "No errors detected");
}

TEST(TREParser, ProgramsAreLimitedTo4096Bytes)
{
    // A quoted literal of n characters: signature, BRANCH, EXACTLY with n + 1 bytes, END.
    TREParser re;
    ASSERT_TRUE(re.Compile('"' + std::string(4085, 'x') + '"'));
    EXPECT_EQ(re.ProgramSize(), TREParser::kMaxProgram);
    EXPECT_FALSE(re.Compile('"' + std::string(4086, 'x') + '"'));
    EXPECT_EQ(re.ErrorCode(), reTooComplex);
    EXPECT_EQ(LoadResString(re.ErrorCode()), "Expression too complex");
    // Each ordinary character is its own five-byte node: 817 fit, 818 do not.
    ASSERT_TRUE(re.Compile(std::string(817, 'x')));
    EXPECT_EQ(re.ProgramSize(), 4092);
    EXPECT_FALSE(re.Compile(std::string(818, 'x')));
    EXPECT_EQ(re.ErrorCode(), reTooComplex);
    EXPECT_EQ(re.ErrorPos(), 818);
    // Large classes fill the program too.
    std::string classes;
    for (int i = 0; i < 15; ++i)
        classes += "[\\x01-\\xff]"; // 259 bytes each
    EXPECT_TRUE(re.Compile(classes));
    EXPECT_FALSE(re.Compile(classes + "[\\x01-\\xff]"));
    EXPECT_EQ(re.ErrorCode(), reTooComplex);
}

TEST(TREParser, CompilesOnceAndLeavesNoProgramAfterAnError)
{
    TREParser re;
    // Before any compilation a match is refused.
    TStringEdStream text("abab");
    EXPECT_THROW(re.Match(text, true), ERegExprError);
    EXPECT_EQ(re.ErrorCode(), reInvalidParameter);

    ASSERT_TRUE(re.Compile("b"));
    EXPECT_EQ(re.ErrorCode(), reNoErrors);
    EXPECT_TRUE(re.Match(text, true));
    EXPECT_EQ(re.ErrorCode(), 0);
    // The same text again is taken from the cache: nothing is reset.
    EXPECT_TRUE(re.Compile("b"));
    EXPECT_EQ(re.ErrorCode(), 0);
    EXPECT_EQ(re.Pattern(), "b");
    EXPECT_TRUE(re.Compile("a"));
    EXPECT_EQ(re.ErrorCode(), reNoErrors);

    // A failed compilation drops the previous program instead of matching with it.
    EXPECT_FALSE(re.Compile("a("));
    text.SetPos(0);
    try {
        re.Match(text, true);
        ADD_FAILURE() << "matched without a program";
    } catch (const ERegExprError& e) {
        EXPECT_STREQ(e.what(), "Invalid parameter");
    }
    EXPECT_TRUE(re.Compile("a"));
    text.SetPos(1);
    EXPECT_TRUE(re.Match(text, true));
    EXPECT_EQ(re.MatchEntry(0), 2);
}

// ---------------------------------------------------------------- escapes and elements

TEST(TREParser, EscapesGiveTheirCharacters)
{
    EXPECT_EQ(find("\\101", "xA"), hit({1, 2}));
    EXPECT_EQ(find("\\x41", "xA"), hit({1, 2}));
    EXPECT_EQ(find("\\X41", "xA"), hit({1, 2}));
    // One or two hex digits, one to three octal ones; what follows is the next pattern character.
    EXPECT_EQ(find("\\x41B", "AAB"), hit({1, 2, 3}));
    EXPECT_EQ(find("\\x4g", std::string("a\x04g")), hit({1, 2, 3}));
    EXPECT_EQ(find("\\1011", "A1"), hit({0, 1, 2}));
    EXPECT_EQ(find("\\7", "\x07"), hit({0, 1}));
    EXPECT_EQ(find("\\n", "a\rb"), hit({1, 2}));
    EXPECT_EQ(find("\\N", "a\rb"), hit({1, 2}));
    EXPECT_EQ(find("\\r", "a\nb"), hit({1, 2}));
    EXPECT_EQ(find("\\s\\t\\b\\f", "x \t\b\f"), hit({1, 2, 3, 4, 5}));
    EXPECT_EQ(find("\\q\\.\\*", "q.*"), hit({0, 1, 2, 3}));
    EXPECT_EQ(find("[\\]a]+", "x]a]"), hit({1, 4}));
    EXPECT_EQ(find("\"a\\\"b\"", "a\"b"), hit({0, 3}));
    // The text never holds a NUL, so a NUL in a pattern matches nothing, not a shorter literal.
    EXPECT_FALSE(find("\"a\\0b\"", "ab a").Matched);
    EXPECT_FALSE(find("\\x00", "ab").Matched);
    EXPECT_EQ(find("[\\0-b]+", "ab"), hit({0, 2}));
}

TEST(TREParser, EveryOrdinaryCharacterIsAnElement)
{
    const std::string text = "xabcx";
    const Found plain = find("abc", text);
    EXPECT_EQ(plain, hit({1, 2, 3, 4}));
    EXPECT_EQ(element(text, plain, 2), "b");
    // A quoted literal is one element.
    const Found quoted = find("\"abc\"", text);
    EXPECT_EQ(quoted, hit({1, 4}));
    EXPECT_EQ(element(text, quoted, 1), "abc");

    // A failed alternative leaves no elements behind.
    const Found alt = find("ab|ac", "ac");
    EXPECT_EQ(alt, hit({0, 1, 2}));
    EXPECT_EQ(element("ac", alt, 1), "a");
    EXPECT_EQ(element("ac", alt, 2), "c");

    // A repetition of one character is one element; group 1 is one element; another group opens
    // with an empty element of its own.
    EXPECT_EQ(find("a*b", "aaab"), hit({0, 3, 4}));
    EXPECT_EQ(find("x[ab]+", "xbab."), hit({0, 1, 4}));
    EXPECT_EQ(find("(ab)c", "abc"), hit({0, 2, 3}));
    EXPECT_EQ(find("(a)(b)", "ab"), hit({0, 1, 1, 2}));
    EXPECT_EQ(find("(a*)x", "aax"), hit({0, 2, 3}));
    EXPECT_EQ(find("((a)b)c", "abc"), hit({0, 2, 3}));
    // Group 1 stays one element after an inner alternative was given up for another.
    EXPECT_EQ(find("(a|ab)*c", "abc"), hit({0, 2, 3}));
    // Group 1 in a loop opens once per turn: an element each.
    EXPECT_EQ(find("a(b|c)*d", "abcbd"), hit({0, 1, 2, 3, 4, 5}));
    // Non-simple repetitions and options.
    EXPECT_EQ(find("(ab)+", "ababa"), hit({0, 2, 4}));
    EXPECT_EQ(find("\"ab\"*c", "ababc"), hit({0, 2, 4, 5}));
    EXPECT_EQ(find("x\"ab\"?c", "xc"), hit({0, 1, 2}));
    EXPECT_EQ(find("a?b", "b"), hit({0, 1}));
}

TEST(TREParser, DotClassesAndAnchorsAtLineBreaksAndTheEnd)
{
    // ^ and $ take the line break in; ^ needs one before it.
    const Found start = find("^x", "xa\rxb");
    EXPECT_EQ(start, hit({3, 4}));
    EXPECT_FALSE(find("^x", "xa").Matched);
    EXPECT_EQ(find("x$", "ax\rb"), hit({1, 3}));
    EXPECT_FALSE(find("x$", "ax").Matched);
    EXPECT_EQ(find("a$^b", "a\r\rb"), hit({0, 3, 4}));
    // The dot stops at a line break and at the end of the text.
    EXPECT_FALSE(find("a.", "a\rb").Matched);
    EXPECT_FALSE(find("a.", "a").Matched);
    EXPECT_FALSE(find(".", "").Matched);
    EXPECT_EQ(find("a.*", "abc\rd"), hit({0, 1, 3}));
    EXPECT_EQ(find("[^a]", "a\r"), hit({1, 2}));
    EXPECT_FALSE(find("[^a]", "a").Matched);
    EXPECT_EQ(find("[a-c]+", "xbcaz"), hit({1, 4}));
    // A pattern that can match nothing matches at the start.
    EXPECT_EQ(find("a?", "bbb"), hit({0}));
}

TEST(TREParser, BackwardSearchFindsTheLastMatchBeforeThePosition)
{
    const std::string text = "ab\rab\rb";
    EXPECT_EQ(find("ab", text, static_cast<int64_t>(text.size()), false), hit({3, 4, 5}));
    EXPECT_EQ(find("ab", text, 3, false), hit({3, 4, 5}));
    EXPECT_EQ(find("ab", text, 2, false), hit({0, 1, 2}));
    EXPECT_FALSE(find("b\rb", text, 3, false).Matched);
    EXPECT_EQ(find("b\rb", text, 7, false), hit({4, 5, 6, 7}));
    // The end of the text itself is not tried backward: the search steps onto the last character.
    EXPECT_EQ(find("a?", "", 0, false), hit({0}));
    EXPECT_EQ(find("b?", "ab", 2, false), hit({1, 2}));
    EXPECT_EQ(find("b?", "ab", 2, true), hit({2}));
}

TEST(TREParser, ElementLimitAndDeepMatchesRaiseOrSucceedWithoutTheMachineStack)
{
    // Each turn of (a)* opens group 1 once more: 200 turns are 200 elements.
    const Found turns = find("(a)*", std::string(200, 'a'));
    ASSERT_TRUE(turns.Matched);
    ASSERT_EQ(turns.Entries.size(), 201u);
    for (int k = 0; k <= 200; ++k)
        EXPECT_EQ(turns.Entries[static_cast<size_t>(k)], k);

    TREParser re;
    ASSERT_TRUE(re.Compile("(a)*"));
    const std::string many(100000, 'a');
    TStringEdStream stream(many);
    try {
        re.Match(stream, true);
        ADD_FAILURE() << "more than 255 elements were recorded";
    } catch (const ERegExprError& e) {
        EXPECT_STREQ(e.what(), "Index range error");
        EXPECT_EQ(re.ErrorCode(), reIndexRange);
    }
    EXPECT_THROW(re.MatchEntry(256), ERegExprError);
    EXPECT_THROW(re.MatchEntry(-1), ERegExprError);

    // Long paths through many options, and long runs, on a long text.
    std::string options;
    for (int i = 0; i < 250; ++i)
        options += "x?";
    ASSERT_TRUE(re.Compile("(" + options + "a)+b"));
    const std::string run = std::string(120, 'a') + "b";
    TStringEdStream runStream(run);
    EXPECT_TRUE(re.Match(runStream, true));
    EXPECT_EQ(re.MatchEntry(re.ElementCount()), 121);
    ASSERT_TRUE(re.Compile("[ab]*c"));
    const std::string huge = std::string(300000, 'a') + "c";
    TStringEdStream hugeStream(huge);
    EXPECT_TRUE(re.Match(hugeStream, true));
    EXPECT_EQ(re.ElementCount(), 2);
    EXPECT_EQ(re.MatchEntry(1), 300000);
}

TEST(TREParser, MatchesAlikeOverTheEditorTextAndAString)
{
    std::mt19937 random(26);
    // Long lines are cut into several records; matches run across the cuts.
    std::string source;
    while (source.size() < 9000)
        source +=
            std::string(2040, 'a') + RandomTextUpTo(random, "aab", 400) + "\r" + RandomTextUpTo(random, "ab\rx", 40);
    TCodeMemoCore editor;
    editor.InsertText(source.c_str());
    const std::string text = editor.StoredText();
    ASSERT_GT(editor.RecordCount(), 5);
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    const char* patterns[] = {"b\ra", "(ab)+x", "x[^b]*a", "^x", "b$", "x.*b\r", "\"aab\"", "(a|b)b*\r"};
    for (const char* pattern : patterns) {
        TREParser re;
        ASSERT_TRUE(re.Compile(pattern));
        for (int i = 0; i < 16; ++i) {
            const int64_t at = static_cast<int64_t>(random() % (text.size() + 1));
            const bool forward = random() % 2;
            cursor.SetPos(at);
            TStringEdStream plain(text, at);
            Found viaEditor;
            Found viaString;
            try {
                viaEditor = matchOnce(re, cursor, forward);
                viaString = matchOnce(re, plain, forward);
            } catch (const ERegExprError&) {
                EXPECT_THROW(matchOnce(re, plain, forward), ERegExprError);
                continue;
            }
            EXPECT_EQ(viaEditor, viaString) << pattern << " at " << at;
        }
    }
}

TEST(TREParser, AgreesWithTheReferenceMatcherOnRandomPatterns)
{
    std::mt19937 random(117);
    int compiled = 0;
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string pattern = RandomTextUpTo(random, "ab.[]^*+?|()", 9);
        TREParser re;
        const bool ok = re.Compile(pattern);
        ref::Program program;
        int expectedCode = reNoErrors;
        try {
            ref::Parser(pattern, program).parse();
        } catch (const ref::CompileError& e) {
            expectedCode = e.Code;
        }
        ASSERT_EQ(re.ErrorCode(), expectedCode) << pattern;
        ASSERT_EQ(ok, expectedCode == reNoErrors) << pattern;
        if (!ok)
            continue;
        ++compiled;
        for (int t = 0; t < 6; ++t) {
            const std::string text = RandomTextUpTo(random, "aab\r", 14);
            const int start = static_cast<int>(random() % (text.size() + 1));
            const bool forward = random() % 3 != 0;
            ref::Matcher reference(program, text);
            std::optional<ref::Matcher::Result> expected;
            bool expectedError = false;
            try {
                expected = reference.search(start, forward);
            } catch (const ref::TooManyElements&) {
                expectedError = true;
            }
            TStringEdStream stream(text, start);
            try {
                const bool found = re.Match(stream, forward);
                ASSERT_FALSE(expectedError) << pattern;
                ASSERT_EQ(found, expected.has_value()) << pattern << " on " << text << " from " << start;
                if (!found)
                    continue;
                ++matched;
                ASSERT_EQ(re.ElementCount(), expected->Count) << pattern << " on " << text;
                for (int k = 0; k < TREParser::kEntries - 1; ++k)
                    ASSERT_EQ(re.MatchEntry(k), expected->Entries[static_cast<size_t>(k)])
                        << pattern << " on " << text << " from " << start << " entry " << k;
            } catch (const ERegExprError&) {
                ASSERT_TRUE(expectedError) << pattern;
            }
        }
    }
    // The alphabet makes enough valid patterns and matches for the comparison to mean something.
    EXPECT_GT(compiled, 500);
    EXPECT_GT(matched, 1500);
}

// The outcome of one search: the entries of the match, or none, or the element limit reached.
struct Outcome {
    bool Error = false;
    Found Match;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os)
{
    if (o.Error)
        *os << "element limit";
    else
        PrintTo(o.Match, os);
}

Outcome referenceOutcome(const ref::Program& program, const std::string& text, int start, bool forward)
{
    Outcome o;
    try {
        ref::Matcher reference(program, text);
        if (const auto r = reference.search(start, forward)) {
            o.Match.Matched = true;
            o.Match.Entries.assign(r->Entries.begin(), r->Entries.end() - 1);
        }
    } catch (const ref::TooManyElements&) {
        o.Error = true;
    }
    return o;
}

Outcome matcherOutcome(TREParser& re, TCustomEdStream& stream, bool forward)
{
    Outcome o;
    try {
        if (re.Match(stream, forward)) {
            o.Match.Matched = true;
            for (int k = 0; k < TREParser::kEntries - 1; ++k)
                o.Match.Entries.push_back(re.MatchEntry(k));
        }
    } catch (const ERegExprError&) {
        EXPECT_EQ(re.ErrorCode(), reIndexRange);
        o.Error = true;
    }
    return o;
}

TEST(TREParser, AgreesWithTheReferenceOnRunsLoopsAndTheElementLimit)
{
    // Runs of one letter and nested repetitions are where failed tries meet the same state again;
    // texts around 255 letters put the element limit on some paths and not on others.
    std::mt19937 random(61);
    int compared = 0;
    int matched = 0;
    int limited = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string pattern = RandomTextUpTo(random, "aab.()*+|?", 8);
        // A group under a repetition every third round: the loops whose turns count as elements.
        if (round % 3 == 0)
            pattern = "(" + RandomText(random, "ab.", 1) + (random() % 2 ? "|" + RandomText(random, "ab.", 1) : "") + ")" +
                      "*+"[random() % 2] + RandomTextUpTo(random, "ab", 2);
        TREParser re;
        ref::Program program;
        try {
            ref::Parser(pattern, program).parse();
        } catch (const ref::CompileError&) {
            EXPECT_FALSE(re.Compile(pattern)) << pattern;
            continue;
        }
        ASSERT_TRUE(re.Compile(pattern)) << pattern;
        for (int t = 0; t < 4; ++t) {
            std::string text = RandomTextUpTo(random, "aaab\r", 16);
            bool forward = random() % 3 != 0;
            int start = static_cast<int>(random() % (text.size() + 1));
            // A run longer than 255 letters from the start: the first path of a loop over it meets the
            // limit, which keeps the reference from trying every way through the run.
            if (round % 3 == 0 && random() % 2 == 0) {
                text = std::string(262 + random() % 40, 'a') + RandomTextUpTo(random, "ab", 3);
                forward = true;
                start = static_cast<int>(random() % 8);
            }
            const Outcome expected = referenceOutcome(program, text, start, forward);
            for (bool filters : {true, false}) {
                re.SetUseFilters(filters);
                TStringEdStream stream(text, start);
                ASSERT_EQ(matcherOutcome(re, stream, forward), expected)
                    << pattern << " on " << text.size() << " characters from " << start << (forward ? " on" : " back")
                    << (filters ? "" : " without filters");
            }
            ++compared;
            matched += expected.Match.Matched;
            limited += expected.Error;
        }
    }
    EXPECT_GT(compared, 2500);
    EXPECT_GT(matched, 1000);
    EXPECT_GT(limited, 500);
}

TEST(TREParser, AgreesWithTheReferenceAtTheElementLimitOfALoop)
{
    // (a|b)* records one element per turn: 254 turns and the c fit, 255 do not.
    ref::Program program;
    ref::Parser("(a|b)*c", program).parse();
    TREParser re;
    ASSERT_TRUE(re.Compile("(a|b)*c"));
    for (int n = 253; n <= 256; ++n) {
        for (const std::string& tail : {std::string("c"), std::string("x")}) {
            const std::string text = std::string(size_t(n), 'a') + tail;
            for (bool forward : {true, false}) {
                const int start = forward ? 0 : static_cast<int>(text.size());
                TStringEdStream stream(text, start);
                const Outcome expected = referenceOutcome(program, text, start, forward);
                EXPECT_EQ(matcherOutcome(re, stream, forward), expected) << n << tail << forward;
            }
        }
    }
    const std::string fitting = std::string(253, 'b') + "c";
    TStringEdStream fits(fitting);
    EXPECT_TRUE(re.Match(fits, true));
    EXPECT_EQ(re.ElementCount(), 254);
}

// Steps of one search from the start of `text`, and whether it found a match; the element limit
// counts as an outcome of its own.
struct Work {
    int64_t Steps;
    Outcome Result;
};

Work workOf(const std::string& pattern, const std::string& text, bool filters, bool forward = true)
{
    TREParser re;
    EXPECT_TRUE(re.Compile(pattern));
    re.SetUseFilters(filters);
    TStringEdStream stream(text, forward ? 0 : static_cast<int64_t>(text.size()));
    Work w{};
    w.Result = matcherOutcome(re, stream, forward);
    w.Steps = re.Steps();
    return w;
}

TEST(TREParser, StepsStayWithinAMultipleOfProgramTimesText)
{
    // Patterns whose plain backtracking takes exponential or quadratic time. The bound: 8 steps per
    // program byte and text position, whichever way the search goes and with or without the filters.
    auto bound = [](const std::string& pattern, const std::string& text) {
        TREParser re;
        EXPECT_TRUE(re.Compile(pattern));
        return int64_t{8} * re.ProgramSize() * static_cast<int64_t>(text.size() + 1);
    };
    for (const char* pattern : {"(a|a)*b", "(a+)+b", "(.+)+x"}) {
        for (size_t n : {size_t(30), size_t(10000)}) {
            const std::string text(n, 'a');
            for (bool forward : {true, false}) {
                for (bool filters : {true, false}) {
                    const Work w = workOf(pattern, text, filters, forward);
                    EXPECT_LE(w.Steps, bound(pattern, text)) << pattern << ' ' << n << forward << filters;
                    EXPECT_FALSE(w.Result.Match.Matched) << pattern;
                    // A run beyond 255 letters takes a turn of the loop per letter on some path: the
                    // element limit, as without the memo; 30 letters stay under it.
                    EXPECT_EQ(w.Result.Error, n > 255) << pattern << ' ' << n << forward << filters;
                }
            }
        }
    }
    // 30 letters and a b: found at once, as before.
    EXPECT_EQ(workOf("(a+)+b", std::string(30, 'a') + "b", true).Result.Match.Entries[1], 30);

    // One line of a megabyte: the run is taken once, each way on from it tried once.
    const std::string line(1u << 20, 'a');
    const Work run = workOf("a*b", line, false);
    EXPECT_FALSE(run.Result.Match.Matched);
    EXPECT_LE(run.Steps, bound("a*b", line));
    EXPECT_GT(run.Steps, int64_t(line.size()));
    // With the filters the missing b is looked for first, and nothing is tried.
    EXPECT_LT(workOf("a*b", line, true).Steps, 10);
    const Work back = workOf("a*b", line, false, false);
    EXPECT_FALSE(back.Result.Match.Matched);
    EXPECT_LE(back.Steps, bound("a*b", line));

    // A minified script of 4.7 MB on one line, with many a "function" and no "qqqz".
    std::string script;
    while (script.size() < 4700000)
        script += "function(e,t){return e.map(function(n){var r=t[n]||0;return r+1})};var q=";
    for (bool filters : {true, false}) {
        const Work w = workOf("function.*qqqz", script, filters);
        EXPECT_FALSE(w.Result.Match.Matched);
        EXPECT_LE(w.Steps, bound("function.*qqqz", script)) << filters;
    }
    EXPECT_LT(workOf("function.*qqqz", script, true).Steps, 10);
    // Where the literal is there, the match is the one found without the filters.
    const std::string found = script + "function qqqz";
    EXPECT_EQ(workOf("function.*qqqz", found, true).Result, workOf("function.*qqqz", found, false).Result);
    EXPECT_EQ(workOf("function.*qqqz", found, true).Result.Match.Entries[0], 0);
}

TEST(TREParser, FiltersTakeEveryCharacterAnAtomTakes)
{
    // Found by fuzzing: a dot takes a NUL in a text that holds one, so a start at a NUL is tried.
    const std::string text("b\0aa", 4);
    for (bool filters : {true, false}) {
        TREParser re;
        ASSERT_TRUE(re.Compile("(.a*)aa"));
        re.SetUseFilters(filters);
        TStringEdStream stream(text);
        ASSERT_TRUE(re.Match(stream, true)) << filters;
        EXPECT_EQ(re.MatchEntry(0), 1) << filters;
    }
}

TEST(TREParser, AStopCheckEndsALongSearchAsNoMatch)
{
    TREParser re;
    ASSERT_TRUE(re.Compile("a*b"));
    re.SetUseFilters(false);
    const std::string line(1u << 20, 'a');
    int asked = 0;
    re.SetStopCheck([&asked] { return ++asked == 3; });
    TStringEdStream stream(line);
    EXPECT_FALSE(re.Match(stream, true));
    EXPECT_TRUE(re.Stopped());
    EXPECT_EQ(asked, 3);
    // The next search starts afresh and runs to its end.
    re.SetStopCheck([] { return false; });
    const std::string shorter = std::string(100, 'a') + "b";
    TStringEdStream again(shorter);
    EXPECT_TRUE(re.Match(again, true));
    EXPECT_FALSE(re.Stopped());
}

TEST(TREParser, TruncatedAndRandomPatternsCompileOrFailWithAListedError)
{
    const std::vector<std::string> valid = {
        "<(a|img) ",      "^\\s*<[a-zA-Z]+[^>]*>$", "\"</b>\"|(x[\\x30-\\x39]+)?y", "\\101\\x42\\n\\r\\t\\s",
        "((a|b)+c?)*d$", "[^\\]\\-]+\\\\"};
    std::vector<std::string> patterns;
    for (const std::string& p : valid) {
        TREParser re;
        ASSERT_TRUE(re.Compile(p)) << p << ": " << LoadResString(re.ErrorCode());
        for (size_t n = 0; n <= p.size(); ++n)
            patterns.push_back(p.substr(0, n));
    }
    std::mt19937 random(4262);
    for (int i = 0; i < 3000; ++i) {
        std::string p(1 + random() % 16, ' ');
        for (char& c : p)
            c = static_cast<char>(random() % 3 == 0 ? "\\[]()*+?|^$.\"-x0"[random() % 16] : random() % 256);
        patterns.push_back(p);
    }
    const std::string text = "<a href=\"x\">a<IMG src=y>\r\t 0x41 \\ ] - \"\r<b></b>\xF1\xD1";
    for (const std::string& p : patterns) {
        TREParser re;
        if (!re.Compile(p)) {
            EXPECT_TRUE(isCompileError(re.ErrorCode())) << re.ErrorCode();
            EXPECT_FALSE(LoadResString(re.ErrorCode()).empty());
            EXPECT_LE(re.ErrorPos(), static_cast<int>(p.size()));
            continue;
        }
        EXPECT_LE(re.ProgramSize(), TREParser::kMaxProgram);
        for (bool forward : {true, false}) {
            TStringEdStream stream(text, forward ? 0 : static_cast<int64_t>(text.size()));
            try {
                if (!re.Match(stream, forward))
                    continue;
            } catch (const ERegExprError&) {
                EXPECT_EQ(re.ErrorCode(), reIndexRange);
                continue;
            }
            // Every entry lies inside the match, whose start is where the attempt began.
            const int first = re.MatchEntry(0);
            const int last = re.MatchEntry(re.ElementCount());
            EXPECT_LE(first, last);
            EXPECT_LE(last, static_cast<int>(text.size()));
            for (int k = 0; k < TREParser::kEntries - 1; ++k) {
                EXPECT_GE(re.MatchEntry(k), first);
                EXPECT_LE(re.MatchEntry(k), last);
            }
        }
    }
}

// ---------------------------------------------------------------- plain search

TEST(BMSearch, WithoutCaseEveryWindows1252LetterMatchesItsCapital)
{
    TSkipTable table;
    const std::string text = "x HOLA y hola z Hola";
    EXPECT_EQ(plainSearch(text, "Hola", table, 0, false, false), 2);
    EXPECT_EQ(plainSearch(text, "Hola", table, 3, false, false), 9);
    EXPECT_EQ(plainSearch(text, "Hola", table, 0, false, true), 16);
    EXPECT_EQ(plainSearch(text, "hola", table, 0, false, true), 9);
    // Each small letter of the code page against its capital, both ways, forward and backward; with
    // case only the same byte.
    const std::pair<const char*, const char*> pairs[] = {
        {"canci\xF3n", "CANCI\xD3N"}, {"a\xF1o", "A\xD1O"},  {"ping\xFCino", "PING\xDCINO"},
        {"gar\xE7on", "GAR\xC7ON"},    {"\x9Cuvre", "\x8CUVRE"}, {"\x9A" "a\x9Eo", "\x8A" "A\x8EO"},
        {"\xFF", "\x9F"},              {"\xE0\xE9\xEE\xF5\xFE", "\xC0\xC9\xCE\xD5\xDE"}};
    for (const auto& [small, capital] : pairs) {
        const std::string page = std::string("<p>") + capital + " / " + small + "</p>";
        const int first = 3, second = 3 + static_cast<int>(std::string(capital).size()) + 3;
        const int none = static_cast<int>(page.size());
        EXPECT_EQ(plainSearch(page, small, table, 0, false, false), first) << small;
        EXPECT_EQ(plainSearch(page, capital, table, first + 1, false, false), second) << capital;
        EXPECT_EQ(plainSearch(page, capital, table, none, true, false), second) << capital;
        EXPECT_EQ(plainSearch(page, small, table, second, true, false), first) << small;
        EXPECT_EQ(plainSearch(page, small, table, 0, false, true), second) << small;
        EXPECT_EQ(plainSearch(page, capital, table, first + 1, false, true), none) << capital;
    }
    // Signs and letters without a partner are only themselves: sharp s, micro, the multiplication
    // and division signs, the ordinals.
    for (const char* alone : {"\xDF", "\xB5", "\xD7", "\xAA", "\xBA"}) {
        const std::string page = std::string("ss SS M \xF7 a o ") + alone;
        EXPECT_EQ(plainSearch(page, alone, table, 0, false, false), static_cast<int>(page.size()) - 1) << alone;
    }
    EXPECT_EQ(plainSearch("\xF7", "\xD7", table, 0, false, false), 1);
    // A held character is its text, the mark included: never a reference typed as such, nor the
    // reference of its capital.
    const std::string held = "&#955; &#923; \x1F#955;";
    EXPECT_EQ(plainSearch(held, "\x1F#955;", table, 0, false, false), 14);
    EXPECT_EQ(plainSearch(held, "\x1F#923;", table, 0, false, false), static_cast<int>(held.size()));
    EXPECT_EQ(plainSearch(held, "&#955;", table, 1, false, false), static_cast<int>(held.size()));
}

TEST(BMSearch, WholeWordsSkipPartsOfWords)
{
    TSkipTable table;
    const std::string text = "in inside begin in";
    EXPECT_EQ(plainSearch(text, "in", table, 0, false, true, true), 0);
    EXPECT_EQ(plainSearch(text, "in", table, 1, false, true, true), 16);
    EXPECT_EQ(plainSearch(text, "in", table, 18, true, true, true), 16);
    EXPECT_EQ(plainSearch(text, "in", table, 16, true, true, true), 0);
    EXPECT_EQ(plainSearch(text, "IN", table, 1, false, false, true), 16);
    // The character after a match counts even when it is the text's last one.
    EXPECT_EQ(plainSearch("inx", "in", table, 0, false, true, true), 3);
    EXPECT_EQ(plainSearch("in.", "in", table, 0, false, true, true), 0);
    // A rejected match moves on by one: a pattern with a blank can stand alone overlapping it.
    EXPECT_EQ(plainSearch("xa a a", "a a", table, 0, false, true, true), 3);
    EXPECT_EQ(plainSearch("a a ax", "a a", table, 6, true, true, true), 0);
}

TEST(BMSearch, BoundsBackwardSearchAndNoMatch)
{
    TSkipTable table;
    const std::string text = "abcabcab";
    EXPECT_EQ(plainSearch(text, "abc", table, 0, false), 0);
    EXPECT_EQ(plainSearch(text, "abc", table, 1, false), 3);
    EXPECT_EQ(plainSearch(text, "abc", table, 4, false), 8);            // limit + 1
    EXPECT_EQ(plainSearch(text, "abc", table, 0, false, true, false, 4), 0);
    EXPECT_EQ(plainSearch(text, "abc", table, 1, false, true, false, 4), 5); // 3..5 passes the limit
    EXPECT_EQ(plainSearch(text, "abc", table, 1, false, true, false, 5), 3);
    EXPECT_EQ(plainSearch(text, "abc", table, 8, true), 3);
    EXPECT_EQ(plainSearch(text, "abc", table, 5, true), 0);
    EXPECT_EQ(plainSearch(text, "abc", table, 2, true), 8); // start below the length
    EXPECT_EQ(plainSearch(text, "xyz", table, 0, false), 8);
    EXPECT_EQ(plainSearch(text, "xyz", table, 8, true), 8);
    EXPECT_EQ(plainSearch(text, "", table, 0, false), 8);
    EXPECT_EQ(plainSearch("", "a", table, 0, false), 0);
}

TEST(BMSearch, TablesHoldSkipsModulo256AndAreRebuiltOnlyForANewPattern)
{
    TSkipTable table;
    BuildSkipTables(table, "abcab");
    EXPECT_EQ(table.ForwardSkip['a'], 1);
    EXPECT_EQ(table.ForwardSkip['b'], 0);
    EXPECT_EQ(table.ForwardSkip['c'], 2);
    EXPECT_EQ(table.ForwardSkip['z'], 5);
    EXPECT_EQ(table.BackwardSkip['a'], 0);
    EXPECT_EQ(table.BackwardSkip['c'], 2);
    EXPECT_EQ(table.ForwardSkipNoCase['A'], 1);
    EXPECT_EQ(table.ForwardSkipNoCase['a'], 5);
    EXPECT_EQ(table.BackwardSkipNoCase['B'], 1);
    EXPECT_EQ(table.UpperPattern, "ABCAB");

    const std::string long300 = std::string(299, 'x') + "y";
    BuildSkipTables(table, long300);
    EXPECT_EQ(table.ForwardSkip['a'], 44);
    EXPECT_EQ(table.BackwardSkip['y'], 299 % 256);
    EXPECT_EQ(table.BackwardSkipNoCase['a'], 44);
    const std::string text = std::string(1000, 'x') + "y" + std::string(50, 'x');
    EXPECT_EQ(plainSearch(text, long300, table, 0, false), 701);
    EXPECT_EQ(plainSearch(text, long300, table, static_cast<int>(text.size()), true), 701);

    // Without case only the upper-cased pattern decides: "ABC" uses the tables built for "abc".
    TSkipTable kept;
    EXPECT_EQ(plainSearch("xxABC", "abc", kept, 0, false, false), 2);
    EXPECT_EQ(kept.Pattern, "abc");
    EXPECT_EQ(plainSearch("xxabc", "ABC", kept, 0, false, false), 2);
    EXPECT_EQ(kept.Pattern, "abc");
    EXPECT_EQ(plainSearch("xxABC", "ABC", kept, 0, false, true), 2);
    EXPECT_EQ(kept.Pattern, "ABC");
}

TEST(BMSearch, AgreesWithANaiveSearch)
{
    std::mt19937 random(300);
    for (int round = 0; round < 6000; ++round) {
        const std::string text = RandomTextUpTo(random, "aAbB \xF1\xD1\x9C\x8C\xFF\x9F\r", 40);
        std::string pattern = RandomTextUpTo(random, "aAbB \xF1\xD1\x8C\xFF", 4);
        if (pattern.empty())
            pattern = 'a';
        const int n = static_cast<int>(text.size());
        const int start = static_cast<int>(random() % (text.size() + 1));
        const bool backward = random() % 2;
        const bool matchCase = random() % 2;
        const bool wholeWord = random() % 3 == 0;
        const int limit = random() % 4 == 0 ? static_cast<int>(random() % (text.size() + 1)) - 1 : n - 1;
        TSkipTable table;
        ASSERT_EQ(plainSearch(text, pattern, table, start, backward, matchCase, wholeWord, limit),
                  naiveSearch(text, pattern, start, backward, matchCase, wholeWord, limit))
            << '"' << pattern << "\" in \"" << text << "\" from " << start << (backward ? " back" : "")
            << (matchCase ? " case" : "") << (wholeWord ? " word" : "") << " limit " << limit;
    }
}

TEST(BMSearch, FindsAlikeOverTheEditorTextAndAString)
{
    std::mt19937 random(2047);
    const std::string source = RandomTextUpTo(random, "ab cab\r", 3000) + std::string(5000, 'a') + " cab " +
                               RandomTextUpTo(random, "abc \r", 3000);
    TCodeMemoCore editor;
    editor.InsertText(source.c_str());
    const std::string text = editor.StoredText();
    ASSERT_GT(editor.RecordCount(), 3);
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    TSkipTable table;
    for (int i = 0; i < 400; ++i) {
        const std::string pattern = i % 7 == 0 ? "cab" : RandomTextUpTo(random, "abc\r", 5) + "b";
        const int start = static_cast<int>(random() % (text.size() + 1));
        const bool backward = random() % 2;
        const bool wholeWord = random() % 2;
        const int limit = static_cast<int>(text.size()) - 1;
        EXPECT_EQ(BMSearch(kInWord, kStartsWord, cursor, limit, table, wholeWord, true, backward, start, pattern),
                  naiveSearch(text, pattern, start, backward, true, wholeWord, limit));
    }
}

// The search with case over the editor's records reads their bytes directly: matches inside a record,
// across one record's end or several (line breaks, the cuts of long lines), with any bound and from a
// cursor left anywhere, are the naive search's.
TEST(BMSearch, FindsMatchesAcrossRecordEndsAsTheNaiveSearch)
{
    std::mt19937 random(4099);
    std::string source;
    while (source.size() < 12000)
        source += random() % 60 == 0 ? std::string(2040 + random() % 20, 'a') + "ab\rb"
                                    : RandomTextUpTo(random, "ab\r", 8) + "\r";
    TCodeMemoCore editor;
    editor.InsertText(source.c_str());
    const std::string text = editor.StoredText();
    ASSERT_GT(editor.RecordCount(), 250);
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    TSkipTable table;
    int found = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string pattern = RandomTextUpTo(random, "ab\r", 6);
        if (pattern.empty())
            pattern.assign(1, '\r');
        const int start = static_cast<int>(random() % (text.size() + 1));
        const int limit = random() % 3 == 0 ? static_cast<int>(random() % (text.size() + 1)) - 1
                                            : static_cast<int>(text.size()) - 1;
        const bool wholeWord = random() % 4 == 0;
        cursor.SetPos(static_cast<int64_t>(random() % (text.size() + 1)));
        const int expected = naiveSearch(text, pattern, start, false, true, wholeWord, limit);
        found += expected <= limit;
        ASSERT_EQ(BMSearch(kInWord, kStartsWord, cursor, limit, table, wholeWord, true, false, start, pattern), expected)
            << '"' << pattern << "\" from " << start << " limit " << limit << (wholeWord ? " word" : "");
    }
    EXPECT_GT(found, 1500);
}

// The literals a pattern requires are looked for in the records directly: one that stands across the
// cut of a long line, at every place around the cut, is found as in a plain string.
TEST(TREParser, FindsRequiredLiteralsAcrossRecordCuts)
{
    const char* patterns[] = {"function.*qz", "<(img|link) ", "\"qz\"", "x(a|b)*qz", "ction"};
    for (int shift = 0; shift < 12; ++shift) {
        const std::string line = std::string(static_cast<size_t>(kRecordCut - 9 + shift), 'x') + "function" +
                                 std::string(3000, 'y') + "<link qz <img " + std::string(2041, 'z') + "qz";
        const std::string source = line + "\r" + line + "\r";
        TCodeMemoCore editor;
        editor.InsertText(source.c_str());
        const std::string text = editor.StoredText();
        ASSERT_GT(editor.RecordCount(), 6);
        TEdStream cursor(&editor);
        cursor.Reset(editor.FirstRecord(), 0, 0);
        for (const char* pattern : patterns) {
            TREParser re;
            ASSERT_TRUE(re.Compile(pattern));
            for (int64_t at : {int64_t(0), int64_t(kRecordCut - 20), int64_t(line.size() - 100), int64_t(line.size() + 5)}) {
                cursor.SetPos(at);
                TStringEdStream plain(text, at);
                const Found viaEditor = matchOnce(re, cursor);
                EXPECT_EQ(viaEditor, matchOnce(re, plain)) << pattern << " shift " << shift << " from " << at;
            }
        }
    }
}

// Where a literal every match needs is missing, a start can still end the search with the element
// limit when a try from it may record that many elements; only such starts are tried. Lines of letters
// around the length from which that becomes possible, and one long line among short ones, give the
// outcome the search without filters gives, over a string and over the editor's records.
TEST(TREParser, GroupLoopsWithoutTheirLiteralTryOnlyStartsThatMayReachTheElementLimit)
{
    int limited = 0;
    // The last records two elements a letter: its limit comes at half the length.
    for (const char* pattern : {"(a|a)*b", "(a+)+b", "(.+)+x", "(ab|a)*c", "x?(a|b)*(a|\r)*qz", "(z)?(a|a)*b"}) {
        TREParser re;
        ASSERT_TRUE(re.Compile(pattern));
        for (size_t length : {30, 64, 120, 126, 127, 128, 130, 200, 254, 255, 256, 300}) {
            for (bool oneLong : {false, true}) {
                std::string text;
                for (int line = 0; text.size() < 1600; ++line)
                    text += std::string(oneLong && line != 5 ? 20 : length, 'a') + "\r";
                TCodeMemoCore editor;
                editor.InsertText(text.c_str());
                TEdStream cursor(&editor);
                cursor.Reset(editor.FirstRecord(), 0, 0);
                for (int64_t start : {int64_t(0), int64_t(text.size() / 2), static_cast<int64_t>(text.size())}) {
                    for (bool forward : {true, false}) {
                        re.SetUseFilters(false);
                        TStringEdStream plain(text, start);
                        const Outcome expected = matcherOutcome(re, plain, forward);
                        limited += expected.Error;
                        re.SetUseFilters(true);
                        TStringEdStream filtered(text, start);
                        ASSERT_EQ(matcherOutcome(re, filtered, forward), expected)
                            << pattern << " lines of " << length << (oneLong ? " once" : "") << " from " << start
                            << (forward ? "" : " back");
                        cursor.SetPos(start);
                        ASSERT_EQ(matcherOutcome(re, cursor, forward), expected)
                            << pattern << " lines of " << length << (oneLong ? " once" : "") << " from " << start
                            << (forward ? "" : " back") << " in the editor";
                    }
                }
            }
        }
    }
    EXPECT_GT(limited, 20);

    // Lines of 64 letters: no start is tried at all with the filters, every one without.
    std::string lines;
    while (lines.size() < 20000)
        lines += std::string(64, 'a') + "\r";
    for (const char* pattern : {"(a|a)*b", "(a+)+b", "(.+)+x"}) {
        EXPECT_LT(workOf(pattern, lines, true).Steps, 10) << pattern;
        EXPECT_GT(workOf(pattern, lines, false).Steps, int64_t(lines.size())) << pattern;
    }
}
