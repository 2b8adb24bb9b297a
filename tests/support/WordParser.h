// A small highlighting language for the tests and benchmarks of the highlighting driver.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/model/LineStore.h"
#include "editor/model/ParserBase.h"
#include "platform/core/Exception.h"

// Letters give 1, digits 2, any other character a token of its own with 0, and "#" a token that
// takes nothing (9). With Comments, "/*" opens a comment (3) that may span lines; with Tags, "<"
// opens a container (5) up to ">", inside which letters give 6, "=" gives 7 and the rest 0.
// The remaining switches make it misbehave the ways a driver must cope with.
class TWordParser : public TCustomCodeMemoParser {
public:
    bool Comments = false;
    bool Tags = false;
    bool PlainBreaks = false; // a line break inside a comment is a token of value 0
    bool Busy = false;        // reported as a pending token
    bool CustomMatch = false; // the language needs a custom parse handler it does not have
    int64_t ThrowAt = -1;     // the scan, counted from 0, that raises an error
    int64_t Scans = 0;
    TStateSet Anchors{0};
    std::vector<int> Resets; // values ResetScanner was called with

    uint8_t ScanToken(TParserClient*, TEdStream& s, int& length) override
    {
        if (Scans++ == ThrowAt)
            throw Exception("scan failed");
        char c = s.CurrentChar();
        if (FInTag) {
            uint8_t value = c == '=' ? 7 : 0;
            if (isLetter(c)) {
                takeWhile(s, length, isLetter);
                value = 6;
            } else {
                take(s, length);
            }
            FInTag = s.GetPos() < FTagEnd;
            return value;
        }
        if (FInComment)
            return comment(s, length);
        if (isLetter(c)) {
            takeWhile(s, length, isLetter);
            return 1;
        }
        if (isDigit(c)) {
            takeWhile(s, length, isDigit);
            return 2;
        }
        if (c == '#')
            return 9;
        take(s, length);
        if (Comments && c == '/' && s.CurrentChar() == '*') {
            take(s, length);
            FInComment = true;
            return comment(s, length);
        }
        if (Tags && c == '<') {
            while (!s.AtEnd() && s.CurrentChar() != '>')
                take(s, length);
            if (!s.AtEnd())
                take(s, length);
            FInTag = true;
            FTagEnd = s.GetPos();
            return 5;
        }
        return 0;
    }
    void ResetScanner(uint8_t value) override
    {
        Resets.push_back(value);
        FInComment = Comments && value == 3;
        FInTag = false;
    }
    bool EditAll() override { return false; }
    bool GetTokenPending() const override { return Busy || FInTag; }
    bool InBoundState() const override { return FInComment; }
    TStateSet GetAnchorStates() const override { return Anchors; }
    bool InContainer() const override { return FInTag; }
    bool MatchUsed() const override { return CustomMatch; }

private:
    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static void take(TEdStream& s, int& length)
    {
        s.Next();
        ++length;
    }
    static void takeWhile(TEdStream& s, int& length, bool (*test)(char))
    {
        while (test(s.CurrentChar()))
            take(s, length);
    }

    // The comment up to its end or the line break, which it takes unless PlainBreaks.
    uint8_t comment(TEdStream& s, int& length)
    {
        while (!s.AtEnd()) {
            char c = s.CurrentChar();
            if (c == '\r' && PlainBreaks) {
                if (length > 0)
                    break;
                take(s, length);
                return 0;
            }
            take(s, length);
            if (c == '*' && s.CurrentChar() == '/') {
                take(s, length);
                FInComment = false;
                break;
            }
            if (c == '\r')
                break;
        }
        return 3;
    }

    bool FInComment = false;
    bool FInTag = false;
    int64_t FTagEnd = 0;
};
