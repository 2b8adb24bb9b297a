// The editor's search engines: the regular-expression compiler and matcher, and the plain Boyer-Moore search.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/EditorErrors.h"
#include "editor/model/LineStore.h"

class TCustomEdStream;

// A regular expression that does not compile, or a match that cannot go on; the message is the
// string-table text of TREParser::ErrorCode.
class ERegExprError : public ECodeMemo { using ECodeMemo::ECodeMemo; };

// String-table ids of the regular-expression errors.
enum TRegExprError : int {
    reNoErrors = 4246,
    reInvalidParameter = 4248,
    reTooComplex = 4249,
    reTooManyGroups = 4251,
    reUnmatchedParenthesis = 4252,
    reInvalidRepeat = 4253,
    reNestedRepeat = 4254,
    reInvalidRange = 4255,
    reUnmatchedBracket = 4256,
    reHexDigitExpected = 4258,
    reUnexpectedEnd = 4259,
    reQuoteExpected = 4260,
    reIndexRange = 4261,
    reInternalError = 4262,
};

// A regular expression compiled into a byte-coded node program, and the backtracking matcher that runs
// it over the editor text.
//
// Syntax: ^ and $ match a line break (and take it in), . any character but a line break, [...] and
// [^...] classes with ranges, "..." a literal taken as one element, ( ) groups 1..9, | alternatives,
// * + ? repetitions; \s \t \n (CR) \r (LF) \b \f, \x with one or two hex digits and \ with one to
// three octal digits are escapes, any other \c is c.
//
// A successful match numbers its elements: entry 0 is the match start, entry [ElementCount()] its end,
// and element k (1..count) is the text from entry k-1 to entry k. Every ordinary pattern character,
// class, dot, repetition of a single-character atom and group opening is one element; group 1 counts
// as one element however much it holds.
class TREParser {
public:
    TREParser();

    // Compiles `pattern` unless it is the pattern compiled last. False on an error, whose id and
    // parse index stay in ErrorCode and ErrorPos; the next call then compiles again.
    bool Compile(const std::string& pattern);
    // Searches from the stream's position, forward or backward, for the first place where the
    // program matches. Raises ERegExprError without a compiled program, and when a match records
    // more than 255 elements.
    bool Match(TCustomEdStream& stream, bool forward);
    // Entry n (0..255) of the match table; other n raise ERegExprError "Index range error".
    int MatchEntry(int n);
    int ElementCount() const { return FElementCount; }
    int ErrorCode() const { return FErrorCode; }
    int ErrorPos() const { return FErrorPos; }
    const std::string& Pattern() const { return FPattern; }
    // Bytes of the compiled program, signature included; 0 without one.
    int ProgramSize() const { return FProgramSize; }

    // Node executions and characters stepped over by the last Match: the measure of its work. A search
    // costs at most a small multiple of the program's length times the positions it reads.
    int64_t Steps() const { return FSteps; }
    // Asked every few thousand steps; true stops the search, which then reports no match with Stopped set.
    void SetStopCheck(std::function<bool()> check) { FStopCheck = std::move(check); }
    bool Stopped() const { return FStopped; }
    // Off, every start position is tried, as if the pattern told nothing about where a match can be;
    // the result is the same either way.
    void SetUseFilters(bool use) { FUseFilters = use; }

    static constexpr int kMaxProgram = 4096;
    static constexpr int kEntries = 257;
    static constexpr int kMaxElements = 255;

private:
    // ---- compiler
    void compile();
    int parseExpression(bool parenthesised, int& flags);
    int parseBranch(int& flags);
    int parsePiece(int& flags);
    int parseAtom(int& flags);
    int parseClass(int& flags);
    int parseQuoted(int& flags);
    uint8_t readEscaped();
    bool atEnd() const { return FParse >= static_cast<int>(FPattern.size()); }
    char current() const { return atEnd() ? '\0' : FPattern[static_cast<size_t>(FParse)]; }
    char peek() const;
    [[noreturn]] void fail(int code);

    int emitNode(uint8_t opcode);
    void emitByte(uint8_t b);
    void insertNode(uint8_t opcode, int at);
    void grow(int bytes);
    void linkTail(int node, int target);
    void linkOperandTail(int node, int target);

    // ---- what the program tells before matching
    void analyse();
    void firstCharacters(int node, std::array<bool, 256>& set, std::vector<bool>& seen, bool& anywhere) const;
    bool addOperandCharacters(int operand, std::array<bool, 256>& set) const;
    void requiredLiterals();
    void windowSets();
    int recordsPerCharacter(int node, std::vector<int>& best) const;
    void runBound(const std::vector<int>& takers);

    // ---- matcher
    int nextNode(int node) const;
    uint8_t opcodeAt(int node) const;
    bool attempt(TCustomEdStream& stream);
    bool backtrack(TCustomEdStream& stream, int& node);
    bool retryRepeat(TCustomEdStream& stream, int& node);
    int repeatSimple(TCustomEdStream& stream, int node, int64_t start);
    bool inList(int list, char c) const;
    void record(int64_t position);
    void step();
    bool enterState(int node, int64_t position);
    void pushFrame(int slot, int64_t position, int count, int resume, int depth, bool repeat);
    void closeFrames(int depth);
    void noteReach(int reach);
    int64_t nextStart(TCustomEdStream& stream, int64_t from, bool forward);
    int64_t nextCandidate(TCustomEdStream& stream, int64_t from, bool forward);
    bool windowFits(TCustomEdStream& stream, int64_t start);
    int64_t longRunStart(TCustomEdStream& stream, int64_t from, bool forward);

    int FParse = 0;
    std::string FPattern;
    bool FSizing = false;
    std::array<uint8_t, kMaxProgram> FProgram{};
    std::array<int32_t, kEntries> FEntries{};
    // Entries below this index may hold values of an earlier attempt.
    int FEntriesUsed = kEntries;
    int FGroup1Resume = 0;
    int FNextGroup = 1;
    int FProgramSize = 0;
    int FEmit = 0;
    int FElementCount = 0;
    int FErrorCode = 0;
    int FErrorPos = 0;

    // A place the matcher can go back to: the next alternative of a branch, or a repetition that can
    // give back a character.
    struct TChoice {
        int32_t Node;       // the alternative's BRANCH node, or the STAR/PLUS node
        int32_t Position;   // where the alternative starts; where the repetition started
        int32_t Count;      // element count to go back to
        int32_t Resume;     // group-1 resume count to go back to
        int32_t Run;        // repetitions the repetition is taking now; -1 for a branch
    };
    std::vector<TChoice> FChoices;

    // What a search may skip, learnt from the program after it compiles. A filter is used only where it
    // cannot change the outcome: a start it skips could neither match nor reach the element limit.
    struct TFacts {
        std::vector<int16_t> Slot;      // memo slot of each BRANCH, STAR and PLUS node; -1 elsewhere
        int Slots = 0;
        std::array<bool, 256> First{};  // characters a match can begin with
        bool StartsAnywhere = true;     // a match may be empty, so it may start anywhere
        bool FirstExact = false;        // a start outside First fails before the element limit
        std::string Prefix;             // every match begins with it
        std::vector<std::string> Required; // every match holds each of them
        bool RequiredExact = false;     // no path can reach the element limit
        // Window[i]: the characters the (i+1)th character of a match can be, for the first characters
        // of every match (none can end sooner); a start whose characters fall outside fails within
        // them, before the element limit.
        std::vector<std::array<bool, 256>> Window;
        // The characters any node takes; a try never reads past the first character outside them.
        std::array<bool, 256> Alphabet{};
        // A try that takes at most this many characters cannot reach the element limit: a start whose
        // run of Alphabet characters is no longer fails or succeeds without the error. -1 when unknown.
        int64_t RunBound = -1;
    };
    TFacts FFacts;

    // The memo of one search. A state is a BRANCH node at a position, or the text after a repetition at
    // a position; once every way on from it has failed it is not tried again. Whether a path reaches the
    // element limit depends on the element count and the group-1 resume count it arrives with, so an
    // entry keeps the highest count the failed tries reached (Reach) and the largest counts with which
    // the same tries stay under the limit (Count, Resume): a later arrival within those fails the same
    // way, one beyond them is tried again.
    struct TMemoEntry {
        uint8_t Known = 0;
        uint8_t Reach = 0;
        uint8_t Count = 0;
        uint8_t Resume = 0;
    };
    class TMemo {
    public:
        void Reset(int slots, int64_t positions);
        const TMemoEntry* Find(int slot, int64_t position) const;
        TMemoEntry* At(int slot, int64_t position);

    private:
        static constexpr int kPageBits = 8;
        std::vector<std::unique_ptr<TMemoEntry[]>> FPages; // slot * FPagesPerSlot + page
        std::vector<size_t> FUsed;
        std::vector<std::unique_ptr<TMemoEntry[]>> FSpare;
        int64_t FPagesPerSlot = 0;
    };
    TMemo FMemo;
    // A state being tried: its choices lie at Depth and above on the choice stack.
    struct TFrame {
        int64_t Position;
        int32_t Depth;
        int32_t Slot;
        int16_t Count;
        int16_t Resume;
        int16_t Reach;
        bool Repeat;     // the ways on after a repetition, one per run length
        int64_t Low;     // for a repetition: the positions the ways on started from
        int64_t High;
    };
    std::vector<TFrame> FFrames;
    // Where each required literal was last found, -1 before; -2 when it is not in the text.
    std::vector<int64_t> FLiteralAt;
    // Over the editor's records, where the last start was checked against the window: the next one
    // is reached from there.
    TRecordCursor FWindowPlace;
    bool FWindowPlaceSet = false;
    // The start the last literal search over the records found, with the window looked at, and its
    // place there.
    int64_t FFoundAt = -1;
    TRecordCursor FFoundPlace;
    // Per repetition node: where its last greedy run ended, and the positions after it from which every
    // way on has failed (Low..High, with the counts as in TMemoEntry).
    struct TRunMemo {
        int64_t RunFrom = -1;
        int64_t RunEnd = -1;
        int64_t Low = 1;
        int64_t High = 0;
        int Reach = 0;
        int Count = 0;
        int Resume = 0;
    };
    std::vector<TRunMemo> FRuns;
    int64_t FSteps = 0;
    int64_t FNextPoll = 0;
    std::function<bool()> FStopCheck;
    bool FStopped = false;
    bool FUseFilters = true;
};

// The tables of the plain search, kept by the editor control so that they are built only when the
// searched text changes. Entries hold skip distances modulo 256.
struct TSkipTable {
    std::string UpperPattern;
    std::string Pattern;
    std::array<uint8_t, 256> ForwardSkip{};
    std::array<uint8_t, 256> BackwardSkip{};
    std::array<uint8_t, 256> ForwardSkipNoCase{};
    std::array<uint8_t, 256> BackwardSkipNoCase{};
};

void BuildSkipTables(TSkipTable& table, const std::string& pattern);

// A word test of the editor control (CharIsInWord, CharStartsWord).
using TWordCharTest = std::function<bool(char)>;

// Boyer-Moore search for `pattern` from `start`: forward, the first match at or after start that
// ends by `limit` (the last position it may cover); backward, the last match that ends by start.
// Without case every Windows-1252 letter matches its capital as AnsiUpper gives it (the accented
// letters, the n with tilde, oe, s and z with caron, y with diaeresis as well as the ASCII ones);
// every other byte, those of a held character included, matches only itself. With wholeWord, a match
// counts only when the characters around it are neither word nor word-start characters. Returns the match position, or
// limit + 1 when there is none.
int BMSearch(const TWordCharTest& charIsInWord, const TWordCharTest& charStartsWord, TCustomEdStream& stream,
             int limit, TSkipTable& table, bool wholeWord, bool matchCase, bool backward, int start,
             const std::string& pattern);
