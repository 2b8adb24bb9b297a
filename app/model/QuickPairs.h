// TQuickPairs: the quick pairs the user is typing inside, whose closers the user types over.
#pragma once

#include <functional>
#include <vector>

// The closer a quick pair gives its opening character ('(' gives ')'); '\0' for any other character.
char QuickPartner(char opening);

// The pairs put in and not closed yet, innermost last. A pair is known by its opening character's
// offset and its closer's distance from the end of the text: typing inside the pair moves neither.
// A pair whose two characters are no longer there, or that the caret has left, is forgotten.
class TQuickPairs {
public:
    // The character at an offset of the text, '\0' outside it.
    using TCharAt = std::function<char(int offset)>;

    // A pair went in around offsets opening..closer of a text `length` long; nothing is kept unless
    // `charAt` shows its two characters there.
    void Added(int opening, int closer, int length, const TCharAt& charAt);
    // True when typing `typed` at `caret`, with nothing selected, only steps over the closer of the
    // innermost pair still open; that pair is then closed.
    bool TypesOver(char typed, int caret, int length, const TCharAt& charAt);
    void Clear() { FPairs.clear(); }
    bool Empty() const { return FPairs.empty(); }

private:
    struct TPair {
        int Opening;
        int CloserFromEnd;
        char Open;
        char Close;
    };
    std::vector<TPair> FPairs;
};
