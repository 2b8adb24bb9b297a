// TQuickPairs: the quick pairs the user is typing inside, whose closers the user types over.
#include "app/model/QuickPairs.h"

char QuickPartner(char opening)
{
    switch (static_cast<unsigned char>(opening)) {
    case '"': return '"';
    case '(': return ')';
    case '<': return '>';
    case '[': return ']';
    case '{': return '}';
    case 0xA1: return '!';
    case 0xBF: return '?';
    default: return '\0';
    }
}

void TQuickPairs::Added(int opening, int closer, int length, const TCharAt& charAt)
{
    if (opening < 0 || closer <= opening || closer >= length)
        return;
    const char open = charAt(opening);
    const char close = QuickPartner(open);
    if (close && charAt(closer) == close)
        FPairs.push_back({opening, length - closer, open, close});
}

bool TQuickPairs::TypesOver(char typed, int caret, int length, const TCharAt& charAt)
{
    while (!FPairs.empty()) {
        const TPair& pair = FPairs.back();
        const int closer = length - pair.CloserFromEnd;
        if (pair.Opening < caret && caret <= closer && closer < length && charAt(pair.Opening) == pair.Open &&
            charAt(closer) == pair.Close)
            break;
        FPairs.pop_back();
    }
    if (FPairs.empty() || typed != FPairs.back().Close || caret != length - FPairs.back().CloserFromEnd)
        return false;
    FPairs.pop_back();
    return true;
}
