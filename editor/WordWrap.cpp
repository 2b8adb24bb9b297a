// Word wrap of the editor control: logical lines cut into display records at the wrap width, long lines cut without it, and the word-break rule.
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"

namespace {

// A wrap width below this makes most lines a stack of fragments.
constexpr int kMinWrapColumns = 20;
// With the window deciding, lines stop this many columns short of its right edge.
constexpr int kWindowWrapMargin = 4;
// Proportional text with TABs is measured in runs that end at the TABs and at every fifth
// character, so that the cut is found without measuring the line once per character.
constexpr int kMeasureRun = 5;

// The mark of a held character is drawn as the "&" of its reference: a letter of a word, no blank.
bool IsBreakChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u <= 32 && c != kHeldCharacterMark) || u == 160;
}

bool inSet(const std::array<uint8_t, 32>& set, char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (set[u >> 3] & (1u << (u & 7))) != 0;
}

} // namespace

// ---------------------------------------------------------------- one run of word wrap

class TCustomCodeMemo::LineWrapper {
public:
    LineWrapper(TCustomCodeMemo& memo, int wrapColumns);

    // Re-cuts the logical line starting at `first` and returns the record after it. `first` becomes
    // the line's first record. A line whose cut comes out as its records already are is left alone,
    // so records, their style bytes and every pointer to them survive a re-wrap that changes nothing.
    TLineRecord* wrapLine(TLineRecord*& first);

    // Set when the top record was among the records replaced; the top then moved to the new record
    // holding the old top offset.
    bool TopMoved = false;

private:
    // Cuts a line of `length` characters into FCuts.
    void cut(const char* text, int length);
    // Characters the piece starting at `text` takes before the word-break rule has its say.
    int pieceLength(const char* text, int remaining, bool holdsTab);
    int fitProportional(const char* text, int remaining, int first);
    int walkProportionalTabs(const char* text, int remaining);
    int measure(const char* text, int count) const;

    TCustomCodeMemo& M;
    const int FColumns;
    const bool FWrap;
    const bool FOverride;
    const std::array<uint8_t, 32> FOverrideSet;
    const bool FFixed;
    const int FCharWidth;
    const int FPixelWidth;
    std::optional<QFontMetrics> FMetrics;
    std::vector<int> FCuts;
    std::string FJoined;
    std::vector<uint8_t> FJoinedStyles;
};

TCustomCodeMemo::LineWrapper::LineWrapper(TCustomCodeMemo& memo, int wrapColumns)
    : M(memo),
      FColumns(wrapColumns),
      FWrap(memo.FSettings->HasOption(smoWordWrap)),
      FOverride(memo.FSettings->HasOption(smoWrapOverride)),
      FOverrideSet(CharSetOf(memo.FSettings->WrapOverride)),
      FFixed(memo.FFixedPitch),
      FCharWidth(std::max(1, memo.FView.CharWidth)),
      FPixelWidth(wrapColumns * std::max(1, memo.FView.CharWidth))
{
    // A copy: the painter's font cache may be trimmed while a break procedure runs.
    if (FWrap && !FFixed)
        FMetrics.emplace(memo.FPainterState->FontOf(memo.FSettings->GetStyle(0).Font, memo).Metrics);
}

int TCustomCodeMemo::LineWrapper::measure(const char* text, int count) const
{
    if (count <= 0)
        return 0;
    return FMetrics->horizontalAdvance(FromShownText(std::string_view(text, static_cast<size_t>(count))));
}

void TCustomCodeMemo::LineWrapper::cut(const char* text, int length)
{
    FCuts.clear();
    if (length <= 0) {
        FCuts.push_back(0);
        return;
    }
    // Lines that are not wrapped: all of them without word wrap, and those starting with a
    // character of the override set. Past kRecordCut they are cut all the same, at that length.
    const bool wrapped = FWrap && !(FOverride && inSet(FOverrideSet, text[0]));
    if (!wrapped && length < kRewrapLength) {
        FCuts.push_back(length);
        return;
    }
    const bool holdsTab = wrapped && std::memchr(text, '\t', static_cast<size_t>(length)) != nullptr;
    int pos = 0;
    while (pos < length) {
        const int remaining = length - pos;
        // Unwrapped lines are cut as loading cuts them, so that loading and editing agree.
        const int most = wrapped ? kRewrapLength : kRecordCut;
        int n = most;
        if (wrapped) {
            n = pieceLength(text + pos, remaining, holdsTab);
            if (n < remaining)
                n = M.WordBreak(text + pos, n, remaining, 0);
        }
        // Whatever the settings or a break procedure say, every piece takes at least one character
        // and at most what a record holds; so the cutting always ends.
        n = std::clamp(n, 1, std::min(remaining, most));
        // A held character is one character on the screen, drawn as its whole reference: the row
        // ends before it, or takes it whole when it begins with it.
        if (wrapped && n < remaining)
            n = static_cast<int>(CutBesideHeldCharacter(std::string_view(text, static_cast<size_t>(length)),
                                                        static_cast<size_t>(pos), static_cast<size_t>(pos + n))) -
                pos;
        FCuts.push_back(n);
        pos += n;
    }
}

int TCustomCodeMemo::LineWrapper::pieceLength(const char* text, int remaining, bool holdsTab)
{
    const int n = std::min(remaining, FColumns);
    if (FFixed) {
        if (!holdsTab)
            return n;
        // TABs widen the piece: it ends a tab width short of the wrap width, so a TAB at its end
        // still fits.
        const int target = FColumns - M.FSettings->TabDefault;
        int column = 0;
        int i = 0;
        while (i < remaining && column < target) {
            column = text[i] == '\t' ? M.NextTabColumn(column) : column + 1;
            ++i;
        }
        return i;
    }
    return holdsTab ? walkProportionalTabs(text, remaining) : fitProportional(text, remaining, n);
}

// The most characters from `first` on whose width stays within the pixel width. Widths of longer
// prefixes never shrink, so the boundary is searched by halving instead of one character at a time.
int TCustomCodeMemo::LineWrapper::fitProportional(const char* text, int remaining, int first)
{
    const int width = measure(text, first);
    if (width == FPixelWidth)
        return first;
    const bool growing = width < FPixelWidth;
    const int limit = growing ? std::min(remaining, kRewrapLength) : first;
    const QString chars = FromShownText(std::string_view(text, static_cast<size_t>(limit)));
    int fits = growing ? first : 0;          // known to fit
    int mayFit = growing ? limit : first - 1; // the most that may
    while (fits < mayFit) {
        int mid = fits + (mayFit - fits + 1) / 2;
        if (FMetrics->horizontalAdvance(chars, mid) <= FPixelWidth)
            fits = mid;
        else
            mayFit = mid - 1;
    }
    // Everything left fits: the line's end is no place to cut, the word-break rule finds one. Not a
    // character fits: the piece keeps its width in columns.
    if ((growing && fits >= remaining) || fits == 0)
        return first;
    return fits;
}

// A TAB counts as the blanks from the column its x position falls in to the next tab stop; the run
// after it starts behind it, so the TAB's own glyph adds nothing.
int TCustomCodeMemo::LineWrapper::walkProportionalTabs(const char* text, int remaining)
{
    int x = 0;
    int r = 0;
    for (;;) {
        int i = r;
        while (i < remaining && text[i] != '\t') {
            ++i;
            if (i % kMeasureRun == 0)
                break;
        }
        if (i > r) {
            int width = measure(text + r, i - r);
            if (x + width > FPixelWidth) {
                int j = i;
                while (j > r && x + measure(text + r, j - r) > FPixelWidth)
                    --j;
                return j;
            }
            x += width;
        }
        if (i >= remaining || i >= kRewrapLength)
            return i;
        if (text[i] == '\t') {
            int column = x / FCharWidth;
            int tabWidth = (M.NextTabColumn(column) - column) * FCharWidth;
            if (x + tabWidth > FPixelWidth)
                return i;
            x += tabWidth;
            r = i + 1;
        } else {
            r = i;
        }
    }
}

TLineRecord* TCustomCodeMemo::LineWrapper::wrapLine(TLineRecord*& first)
{
    // The records of the line, up to the one ending with CR or the text.
    TLineRecord* last = first;
    int total = first->Len;
    int pieces = 1;
    while (!last->EndsWithCR() && last->Next) {
        last = last->Next;
        total += last->Len;
        ++pieces;
    }
    TLineRecord* const next = last->Next;

    const char* text = first->Text.get();
    if (pieces > 1) {
        FJoined.clear();
        FJoined.reserve(static_cast<size_t>(total));
        for (TLineRecord* r = first;; r = r->Next) {
            FJoined.append(r->Text.get(), r->Len);
            if (r == last)
                break;
        }
        text = FJoined.data();
    }
    cut(text, total);

    if (static_cast<int>(FCuts.size()) == pieces) {
        bool same = true;
        TLineRecord* r = first;
        for (int n : FCuts) {
            same = same && r->Len == n;
            r = r->Next;
        }
        if (same) {
            // Only the continuation marks are put right, should an edit have left them wrong.
            if (first->MarkBits & mbContinuation) {
                first->MarkBits &= ~mbContinuation;
                first->Flags |= lfChanged;
            }
            for (TLineRecord* c = first->Next; c && c != next; c = c->Next)
                if (!(c->MarkBits & mbContinuation)) {
                    c->MarkBits |= mbContinuation;
                    c->Flags |= lfChanged;
                }
            return next;
        }
    }

    // Style bytes carry over only when every piece has them.
    bool allStyled = true;
    bool anyStyled = false;
    for (TLineRecord* r = first;; r = r->Next) {
        allStyled = allStyled && r->Styles;
        anyStyled = anyStyled || r->Styles;
        if (r == last)
            break;
    }
    const uint8_t* styles = nullptr;
    if (allStyled) {
        if (pieces == 1) {
            styles = first->Styles.get();
        } else {
            FJoinedStyles.clear();
            FJoinedStyles.reserve(static_cast<size_t>(total));
            for (TLineRecord* r = first;; r = r->Next) {
                FJoinedStyles.insert(FJoinedStyles.end(), r->Styles.get(), r->Styles.get() + r->Len);
                if (r == last)
                    break;
            }
            styles = FJoinedStyles.data();
        }
    }

    // The new records are made before the old ones go, as the text may still be the first record's.
    TLineRecord* head = nullptr;
    TLineRecord* tail = nullptr;
    int pos = 0;
    for (int n : FCuts) {
        TLineRecord* piece = NewLineRecord(text + pos, n);
        piece->Flags = lfStylesChanged | lfChanged |
                       (std::memchr(text + pos, '\t', static_cast<size_t>(n)) ? lfHasTab : 0);
        if (styles) {
            piece->Styles.reset(new uint8_t[static_cast<size_t>(std::max(1, n))]);
            std::memcpy(piece->Styles.get(), styles + pos, static_cast<size_t>(n));
        }
        if (!head) {
            head = piece;
        } else {
            TLineData continuation;
            continuation.MarkBits = mbContinuation;
            continuation.ApplyTo(*piece);
            tail->Next = piece;
            piece->Prev = tail;
        }
        tail = piece;
        pos += n;
    }
    // The line still ends where it did, so the scanner's state there is still known; inside the
    // line the cuts moved and nothing is known.
    if (styles)
        tail->ScanState = last->ScanState;
    if (M.replaceLineRecords(first, last, head, tail))
        TopMoved = true;
    // Style bytes lost in the joining are made again by the next highlighting run.
    if (!M.FHighlightStart && anyStyled && !allStyled)
        M.FHighlightStart = head;
    first = head;
    return next;
}

// ---------------------------------------------------------------- the control's side

int TCustomCodeMemo::WrapColumns() const
{
    int columns = FSettings->WrapAtColumn != 0 ? FSettings->WrapAtColumn : FView.ColumnsPerWindow - kWindowWrapMargin;
    return std::max(kMinWrapColumns, columns);
}

TLineRecord* TCustomCodeMemo::WrapLogicalLine(TLineRecord*& firstPiece, int wrapColumns)
{
    if (!firstPiece)
        return nullptr;
    LineWrapper wrapper(*this, std::max(1, wrapColumns));
    return wrapper.wrapLine(firstPiece);
}

void TCustomCodeMemo::Rewrap(TLineRecord* first, TLineRecord* last)
{
    TLineRecord* start = first ? first : FirstRecord();
    if (!start) {
        UpdateScrollBars();
        return;
    }
    // Style bytes go along with the text into the new records, so they are brought up to date first;
    // not in the middle of an insertion, which highlights once when it is done.
    if (FHighlightStart && !FInInsertion)
        Rehighlight();

    // Whole logical lines: back to the record after a line break, on to a record ending with one.
    while (start->Prev && !start->Prev->EndsWithCR())
        start = start->Prev;
    TLineRecord* stop = last;
    if (stop)
        while (stop->Next && !stop->EndsWithCR())
            stop = stop->Next;
    const bool wholeText = !start->Prev && !last;
    const bool hadTop = FView.TopRecord != nullptr;
    const int countBefore = FRecordCount;

    LineWrapper wrapper(*this, WrapColumns());
    TLineRecord* before = start->Prev;
    TLineRecord* line = start;
    TLineRecord* after = nullptr;
    for (;;) {
        // Whether the line ends with `stop` is known only before its records go.
        bool lastLine = false;
        if (stop) {
            for (TLineRecord* r = line; r; r = r->Next) {
                if (r == stop)
                    lastLine = true;
                if (r->EndsWithCR())
                    break;
            }
        }
        after = wrapper.wrapLine(line);
        if (lastLine || !after)
            break;
        line = after;
    }

    const int delta = FRecordCount - countBefore;
    if (delta != 0) {
        if (hadTop && !wrapper.TopMoved && FView.TopRecord) {
            // A top below the range would now stand at another line index. Edits above the top drop
            // it before they get here; whatever else changes lines out of sight is found again.
            TLineRecord* r = FView.TopRecord;
            TLineRecord* rangeStart = before ? before->Next : FirstRecord();
            bool above = false;
            for (int i = 0; r && i <= FView.LinesPerWindow + 2 && !above; ++i, r = r->Next)
                above = r == rangeStart;
            if (!above)
                FView.TopRecord = nullptr;
        }
        for (int i = 0; after && i <= FView.LinesPerWindow; ++i, after = after->Next)
            after->Flags |= lfChanged;
    }
    FLongestLine = wholeText ? LongestLineLength() : std::max(FLongestLine, LongestLineLength());
    SyncTopRecord();
    UpdateScrollBars();
}

// ---------------------------------------------------------------- the word-break rule

int TCustomCodeMemo::WordBreak(const char* lpch, int ichCurrent, int cch, int code)
{
    if (OnWordBreakProc)
        return OnWordBreakProc(lpch, ichCurrent, cch, code);
    if (!lpch || cch <= 0)
        return 0;
    switch (code) {
    case 0: {
        int i = std::clamp(ichCurrent, 0, cch);
        if (i == cch)
            return cch;
        // Blanks at a cut stay at the end of the upper piece.
        if (IsBreakChar(lpch[i])) {
            while (i < cch && IsBreakChar(lpch[i]))
                ++i;
            return i;
        }
        for (int j = i - 1; j >= 0; --j)
            if (IsBreakChar(lpch[j]))
                return j + 1;
        // A word longer than the piece is cut in its middle.
        return i;
    }
    case 1: {
        int i = std::clamp(ichCurrent, 0, cch);
        while (i < cch && !IsBreakChar(lpch[i]))
            ++i;
        while (i < cch && IsBreakChar(lpch[i]))
            ++i;
        return i;
    }
    case 2: return ichCurrent >= 0 && ichCurrent < cch && IsBreakChar(lpch[ichCurrent]) ? 1 : 0;
    default: return 0;
    }
}
