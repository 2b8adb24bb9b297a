// The highlighting driver: re-scans the text with the active parser and keeps the records' style bytes in step.
//
// A run starts at a safe restart point shortly before the pending start record, asks the parser for
// one token at a time and stores each token value as the style byte of the token's characters. It
// stops at the first record after the start record whose bytes come out exactly as they were, while
// no construct that spans lines is open. New bytes are built in a work buffer and copied onto a record
// only when the record is complete (committed), so the comparison with the old bytes is one memcmp.
//
// A run over a long stretch of text never coloured (a document just opened) may pause at a record's
// end once its time is spent: the rest is coloured in slices from the event loop, each a run that
// restarts where the last one paused, as a run after an edit restarts. What needs bytes first (a
// paint, an edit further on, an export) colours up to where it needs them.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/CodeMemo.h"

// When a run may pause at the end of a record it has committed, past its start record.
struct TRunLimits {
    // The run pauses before it would fill this record (or at the first record end after it, when a
    // token runs on into it): the first one still to be coloured in slices.
    const TLineRecord* PauseBefore = nullptr;
    // The run may pause once the time is spent, while more than MinRemaining characters remain.
    bool MayPause = false;
    std::chrono::steady_clock::time_point Deadline;
    int64_t MinRemaining = 0;
};

// How a run ended: done (stopped or at the text's end), paused before Record, or put off because the
// parser was busy (Record is where a later run resumes).
struct TRunOutcome {
    enum { Done, Paused, PutOff } End = Done;
    TLineRecord* Record = nullptr;
};

namespace {

using TClock = std::chrono::steady_clock;

// Parsers that a run is using, innermost last. The scanner state lives in the parser, so a run
// started from inside another one (an OnTokenSeen handler that highlights a second editor sharing
// the parser) would reset the state under the outer run's feet; such a run is put off instead.
std::vector<const TCustomCodeMemoParser*>& parsersInUse()
{
    static std::vector<const TCustomCodeMemoParser*> parsers;
    return parsers;
}

bool parserInUse(const TCustomCodeMemoParser* parser)
{
    const auto& parsers = parsersInUse();
    return std::find(parsers.begin(), parsers.end(), parser) != parsers.end();
}

class TParserClaim {
public:
    explicit TParserClaim(const TCustomCodeMemoParser* parser) { parsersInUse().push_back(parser); }
    ~TParserClaim() { parsersInUse().pop_back(); }
    TParserClaim(const TParserClaim&) = delete;
    TParserClaim& operator=(const TParserClaim&) = delete;
};

bool hasStyles(const TLineRecord* record)
{
    return record->Styles && record->Len > 0;
}

uint8_t lastStyle(const TLineRecord* record)
{
    return record->Styles[record->Len - 1];
}

// Where a run begins: a record, an index in it, the token value the scanner is reset to, and the
// record's position relative to the start record (the line counter).
struct TRestartPoint {
    TLineRecord* Record = nullptr;
    int Index = 0;
    uint8_t Value = 0;
    int Line = 0;
};

// The restart point lies in the record before the start record or earlier: the first character of
// the nearest run of an anchor token value. Only there does the scanner's state follow from the
// token value alone, unless the parser can enter a run of that value anywhere: then the run's last
// character before the start record will do.
TRestartPoint findRestartPoint(TLineRecord* start, TCustomCodeMemoParser& parser)
{
    const TStateSet anchors = parser.GetAnchorStates();
    TRestartPoint point;
    point.Record = start->Prev ? start->Prev : start;
    point.Line = start->Prev ? -1 : 0;
    TLineRecord* record = point.Record;
    if (!hasStyles(record))
        return point;
    uint8_t fallback = anchors.Contains(255) && !anchors.Contains(0) ? 0 : lastStyle(record);
    if (anchors.Contains(0) && record->Styles[0] == 0)
        return point;

    // Back to the nearest character whose byte is an anchor value.
    int index = record->Len - 1;
    int line = point.Line;
    while (!anchors.Contains(record->Styles[index])) {
        if (index > 0) {
            --index;
            continue;
        }
        TLineRecord* prev = record->Prev;
        if (!prev)
            break;
        if (!hasStyles(prev))
            return {record, 0, fallback, line};
        record = prev;
        index = record->Len - 1;
        --line;
    }

    // Then to the first character of that run of equal bytes, unless any of its characters will do.
    uint8_t value = record->Styles[index];
    const bool anywhere = parser.IsSplittable(value);
    while (!anywhere) {
        if (index > 0) {
            if (record->Styles[index - 1] != value)
                break;
            --index;
            continue;
        }
        TLineRecord* prev = record->Prev;
        if (!prev || !hasStyles(prev) || lastStyle(prev) != value)
            break;
        record = prev;
        index = record->Len - 1;
        --line;
    }
    // Nothing precedes the first character of the text: the scanner starts there in its start state,
    // whatever value the character was given.
    if (!record->Prev && index == 0)
        value = 0;
    return {record, index, value, line};
}

// The start offset of `record`, found by walking from it towards the head of the chain and towards
// a record whose start is known at the same pace, so that the walk is as short as the nearer one.
int offsetOfRecord(const TLineRecord* record, const TLineRecord* known, int knownStart)
{
    const TLineRecord* back = record; // lengths of the records from `back` up to `record` in `before`
    int before = 0;
    const TLineRecord* ahead = record; // lengths of the records from `record` up to `ahead` in `after`
    int after = 0;
    for (;;) {
        if (ahead && ahead == known)
            return knownStart - after;
        if (back == known)
            return knownStart + before;
        if (!back->Prev)
            return before;
        back = back->Prev;
        before += back->Len;
        if (ahead) {
            after += ahead->Len;
            ahead = ahead->Next;
        }
    }
}

struct TToken {
    uint8_t Value = 0;
    TLineRecord* Record = nullptr; // where the token starts
    int Index = 0;
    int64_t Start = 0;
    int64_t Count = 0; // characters the cursor moved over
};

// One highlighting run over an editor's records. The work buffer is owned by the run, so a handler
// or parser that throws leaves no half-built bytes on a record.
class THighlightRun {
public:
    THighlightRun(TCustomCodeMemo& memo, TCustomCodeMemoParser& parser, TLineRecord* start, const TRunLimits& limits)
        : FMemo(memo), FParser(parser), FCursor(memo.HighlightCursor()), FStart(start), FLimits(limits)
    {
    }

    // Runs from the restart point, whose record begins at `recordStart`.
    TRunOutcome Run(const TRestartPoint& point, int recordStart)
    {
        FCursor.Reset(point.Record, point.Index, recordStart);
        open(point.Record, point.Index, point.Line);
        FParser.ResetScanner(point.Value);
        if (FParser.MatchUsed() && !FParser.CanCustomParse()) {
            // The language cannot be scanned without its custom parse handler: the restart record
            // is taken as it stands.
            keepRest();
            commit(kNoScanState);
        } else {
            while (!FEnded && !FCursor.AtEnd()) {
                // Another scan is still returning a container's content; resuming later is safer than
                // waiting here, which would mean processing events while records are in use.
                if (FParser.GetTokenPending())
                    return {TRunOutcome::PutOff, putOff()};
                TToken token = scan(FParser.InContainer());
                if (FParser.InContainer() ? scanContainer(token) : store(token.Value, token.Count))
                    break;
            }
        }
        if (FOpen) {
            keepRest();
            if (stopHere())
                FOpen = false;
            else
                commit(FCursor.AtEnd() ? FParser.ScanStateDigest() : kNoScanState);
        }
        FParser.ResetScanner(point.Value);
        if (FPausedBefore)
            return {TRunOutcome::Paused, FPausedBefore};
        return {};
    }

    // Where the run stood when it paused: the offset of the record it paused before.
    int64_t PausedAt() const { return FCursor.GetPos(); }

private:
    // Makes `record` the one being filled from `index` on; the bytes before `index` stay as stored.
    void open(TLineRecord* record, int index, int line)
    {
        // A token that ran on into the record to pause before leaves the pause to the next chance.
        if (record == FLimits.PauseBefore && line > 0)
            FPastPause = true;
        FRecord = record;
        FIndex = index;
        FLine = line;
        FOpen = true;
        if (FCapacity < record->Len) {
            // Sized for the longest record at once, so a run allocates this buffer only once.
            FCapacity = std::max<int>(record->Len, FMemo.GreatestRecordLength());
            FWork.reset(new uint8_t[static_cast<size_t>(FCapacity)]);
        }
        copyOld(0, index);
    }

    void copyOld(int from, int to)
    {
        if (to <= from)
            return;
        if (FRecord->Styles)
            std::memcpy(FWork.get() + from, FRecord->Styles.get() + from, static_cast<size_t>(to - from));
        else
            std::memset(FWork.get() + from, 0, static_cast<size_t>(to - from));
    }

    // Completes the record's bytes with what it held, for a record the scan did not reach the end of.
    void keepRest()
    {
        copyOld(FIndex, FRecord->Len);
        FIndex = FRecord->Len;
    }

    // Reads one token and shows it to OnTokenSeen, whose value is the one stored. Without a handler
    // to show tokens to, and outside a container (whose content the driver stores with the
    // container's value), the parser stores the tokens that end inside the record being filled
    // itself, and the one returned is the first that reaches the record's end or needs the driver.
    TToken scan(bool inContainer)
    {
        TToken token;
        if (!inContainer && !FMemo.OnTokenSeen && FCursor.Record() == FRecord) {
            const int64_t recordStart = FCursor.GetPos() - FIndex;
            TCustomCodeMemoParser::TTokenPlace place;
            token.Value = FParser.ScanTokensBefore(&FMemo, FCursor, recordStart + FRecord->Len, FWork.get(),
                                                   recordStart, place);
            FIndex = static_cast<int>(place.Start - recordStart);
            token.Record = place.Record;
            token.Index = place.Index;
            token.Start = place.Start;
        } else {
            token.Record = FCursor.Record();
            token.Index = FCursor.OffsetInRecord();
            token.Start = FCursor.GetPos();
            int length = 0;
            token.Value = FParser.ScanToken(&FMemo, FCursor, length);
        }
        int64_t end = FCursor.GetPos();
        // The stored extent is how far the cursor went, so bytes and text never drift apart. A token
        // that took nothing (or moved back) becomes the one character at its start: every pass advances.
        if (end <= token.Start) {
            FCursor.Reset(token.Record, token.Index, token.Start - token.Index);
            FCursor.Next();
            end = FCursor.GetPos();
        }
        end = std::min<int64_t>(end, FMemo.TextLength());
        token.Count = end - token.Start;
        if (FMemo.OnTokenSeen) {
            int value = token.Value;
            FMemo.OnTokenSeen(&FMemo, value, static_cast<int>(token.Start), static_cast<int>(end));
            token.Value = static_cast<uint8_t>(value);
        }
        return token;
    }

    // A container token: its content is scanned again token by token, with the container's states in
    // force, and content of value 0 takes the container's value. The container's own extent is not
    // stored first: every character of it is stored by the content pass, and the records keep their
    // old bytes for the stop comparison. True when the run ends.
    bool scanContainer(const TToken& container)
    {
        FCursor.Reset(container.Record, container.Index, container.Start - container.Index);
        while (FParser.InContainer() && !FCursor.AtEnd()) {
            TToken inner = scan(true);
            if (store(inner.Value ? inner.Value : container.Value, inner.Count))
                return true;
        }
        return false;
    }

    // Stores a token's value for `count` characters, committing each record it completes. True when
    // the run ends: a stop decided where the token ends exactly at a record's end, or the last record
    // committed.
    bool store(uint8_t value, int64_t count)
    {
        while (count > 0) {
            int n = static_cast<int>(std::min<int64_t>(count, FRecord->Len - FIndex));
            std::memset(FWork.get() + FIndex, value, static_cast<size_t>(n));
            FIndex += n;
            count -= n;
            if (FIndex < FRecord->Len)
                break;
            // A stop stands only when nothing of the token goes into the next record, or inside a
            // run the parser can enter anywhere; the record then keeps its bytes and flags.
            if ((count == 0 && stopHere()) || stopInsideRun(value)) {
                FOpen = false;
                return true;
            }
            // The scanner's state is known at the record's end only when a token ends there.
            commit(count == 0 ? FParser.ScanStateDigest() : kNoScanState);
            if (!FRecord->Next) {
                FEnded = true;
                return true;
            }
            if (count == 0 && pauseBefore(FRecord->Next)) {
                FPausedBefore = FRecord->Next;
                FEnded = true;
                return true;
            }
            open(FRecord->Next, 0, FLine + 1);
        }
        return false;
    }

    // A pause needs the record just committed to lie at or after the start record and the scanner to
    // be outside a container, whose content the driver stores on its own; a pause for time also
    // outside any construct that spans lines, so that the next slice restarts close by.
    bool pauseBefore(const TLineRecord* next)
    {
        if (FLine < 0 || FParser.InContainer())
            return false;
        if (next == FLimits.PauseBefore || FPastPause)
            return true;
        if (!FLimits.MayPause || FParser.InBoundState())
            return false;
        // The clock is read every few records only: records are short and a slice lasts milliseconds.
        // A deadline at the clock's epoch pauses at the first chance (slices of one record).
        if ((++FCommits & 7) != 0 && FLimits.Deadline > TClock::time_point())
            return false;
        return TClock::now() >= FLimits.Deadline && FMemo.TextLength() - FCursor.GetPos() > FLimits.MinRemaining;
    }

    // The record came out as it was stored, lies after the start record, and the scanner leaves it in
    // the state the run that stored its bytes left it in, so the records after it scan as they did.
    bool stopHere() const
    {
        const TLineRecord* next = FRecord->Next;
        if (next && !next->Styles)
            return false;
        const uint32_t stored = FRecord->ScanState;
        return stored != kNoScanState && stopAllowed() && stored == FParser.ScanStateDigest() && sameBytes();
    }

    // The record came out as it was stored, lies after the start record, and ends inside a run of a
    // value the parser can enter anywhere, which the next record's old bytes go on with: the scan
    // that stored the records after it went on from here as a restart would, and so does this one.
    // (Edited text has no style bytes until a run stores them.)
    bool stopInsideRun(uint8_t value) const
    {
        const TLineRecord* next = FRecord->Next;
        if (!next || !next->Styles || next->Len == 0 || next->Styles[0] != value || (next->Flags & lfRestart))
            return false;
        return stopAllowed() && FParser.IsSplittable(value) && sameBytes();
    }

    // What either stop asks of the record being filled and of the scanner, its bytes aside.
    bool stopAllowed() const
    {
        return !FParser.InContainer() && FRecord->Styles && !(FRecord->Flags & lfRestart) && FLine > 0 &&
               !FParser.InBoundState();
    }
    bool sameBytes() const { return std::memcmp(FWork.get(), FRecord->Styles.get(), FRecord->Len) == 0; }

    void commit(uint32_t scanState)
    {
        FRecord->ScanState = scanState;
        if (!FRecord->Styles) {
            if (FRecord->SpareStyles && FRecord->SpareLen >= FRecord->Len)
                FRecord->Styles = std::move(FRecord->SpareStyles);
            else
                FRecord->Styles.reset(new uint8_t[FRecord->Len]);
            FRecord->SpareStyles.reset();
        }
        std::memcpy(FRecord->Styles.get(), FWork.get(), FRecord->Len);
        FRecord->Flags = (FRecord->Flags & ~(lfChanged | lfRestart)) | lfStylesChanged;
        FOpen = false;
    }

    // The record to resume at: where the run stands once it has passed the start record, else the
    // start record, which still carries its restart flag.
    TLineRecord* putOff()
    {
        FOpen = false;
        TLineRecord* resume = FLine > 0 ? FRecord : FStart;
        resume->Flags |= lfRestart;
        return resume;
    }

    TCustomCodeMemo& FMemo;
    TCustomCodeMemoParser& FParser;
    TEdStream& FCursor;
    TLineRecord* FStart;
    const TRunLimits FLimits;
    TLineRecord* FPausedBefore = nullptr;
    bool FPastPause = false;
    unsigned FCommits = 0;

    // The record being filled, the store index in it, its line counter, and its new bytes.
    TLineRecord* FRecord = nullptr;
    int FIndex = 0;
    int FLine = 0;
    bool FOpen = false;
    bool FEnded = false;
    std::unique_ptr<uint8_t[]> FWork;
    int FCapacity = -1;
};

} // namespace

// ---------------------------------------------------------------- runs

// One run from `start` (which the caller has flagged), with its OnTokenSeen calls around it.
// `known` is a record whose start offset `knownStart` is known, near the restart point.
TRunOutcome TCustomCodeMemo::runFrom(TCustomCodeMemoParser& parser, TLineRecord* start, const TRunLimits& limits,
                                     const TLineRecord* known, int knownStart)
{
    TParserClaim claim(&parser);
    TRestartPoint point = findRestartPoint(start, parser);
    tokenSeen(-1);
    const int recordStart = offsetOfRecord(point.Record, known, knownStart);
    TRunOutcome outcome;
    try {
        THighlightRun run(*this, parser, start, limits);
        outcome = run.Run(point, recordStart);
        if (outcome.End == TRunOutcome::Paused) {
            FColourFromOffset = static_cast<int>(run.PausedAt());
            FColourFromGeneration = FLayoutGeneration;
        }
    } catch (...) {
        // The run is abandoned: its work buffer is gone with it, and the request stays so that
        // the next run does the work again. The parser must not stay inside a container.
        start->Flags |= lfRestart;
        FHighlightStart = start;
        FHighlightDeferred = true;
        try {
            parser.ResetScanner(point.Value);
        } catch (...) {
            // The caller hears of the first error, which is the one that ended the run.
        }
        throw;
    }
    return outcome;
}

void TCustomCodeMemo::tokenSeen(int marker)
{
    if (OnTokenSeen) {
        int value = marker;
        OnTokenSeen(this, value, marker, marker);
    }
}

// The first record still to be coloured: the one the last pause left, or, when an edit freed it, the
// first record without style bytes. Nil (and nothing pending) when every record has its bytes.
TLineRecord* TCustomCodeMemo::colourFrontier()
{
    if (!FColouringPending)
        return nullptr;
    if (!FColourFrom) {
        int offset = 0;
        for (TLineRecord* r = FirstRecord(); r; offset += r->Len, r = r->Next) {
            if (!r->Styles && r->Len > 0) {
                FColourFrom = r;
                FColourFromOffset = offset;
                FColourFromGeneration = FLayoutGeneration;
                break;
            }
        }
        if (!FColourFrom)
            FColouringPending = false;
    }
    return FColourFrom;
}

void TCustomCodeMemo::stopColouring()
{
    FColouringPending = false;
    FColourFrom = nullptr;
    FColourTimer.stop();
}

// Where a run pauses, every record before it has its bytes: the slices go on from there. That holds
// for a pause for time, and for a run that began before the slices' place and, with a token running
// on into that place, paused only after it. A run that began where the slices stood and ended has
// coloured the rest.
void TCustomCodeMemo::noteRunEnd(TLineRecord* start, const TRunOutcome& outcome, bool mayPause)
{
    if (outcome.End == TRunOutcome::Paused && (mayPause || FColouringPending)) {
        FColourFrom = outcome.Record;
        FColourFrom->Flags |= lfRestart;
        FColouringPending = true;
        if (!FColourTimer.isActive())
            FColourTimer.start();
    } else if (outcome.End == TRunOutcome::Done && FColouringPending && start == FColourFrom) {
        stopColouring();
    }
}

// A known place near the restart point of a run from `start`: the frontier when the run starts
// there and its offset still holds, else the caret's record, where edits happen.
const TLineRecord* TCustomCodeMemo::knownPlaceFor(const TLineRecord* start, int& knownStart)
{
    if (start == FColourFrom && FColourFromGeneration == FLayoutGeneration) {
        knownStart = FColourFromOffset;
        return FColourFrom;
    }
    return recordHolding(FCaret, knownStart);
}

TRunLimits TCustomCodeMemo::sliceLimits(bool firstRun) const
{
    TRunLimits limits;
    limits.MayPause = true;
    limits.Deadline = FColourSliceTime.count() > 0 ? TClock::now() + FColourSliceTime : TClock::time_point();
    limits.MinRemaining = firstRun ? FColourInSlicesAbove : 0;
    return limits;
}

bool TCustomCodeMemo::ColourNextSlice()
{
    TCustomCodeMemoParser* parser = ActiveParserObject();
    TLineRecord* from = colourFrontier();
    if (!from || !parser) {
        stopColouring();
        return false;
    }
    if (parserInUse(parser))
        return true;
    from->Flags |= lfRestart;
    int knownStart = 0;
    const TLineRecord* known = knownPlaceFor(from, knownStart);
    TRunOutcome outcome = runFrom(*parser, from, sliceLimits(false), known, knownStart);
    tokenSeen(-2);
    if (outcome.End != TRunOutcome::PutOff)
        noteRunEnd(from, outcome, true);
    return FColouringPending;
}

void TCustomCodeMemo::colourUntil(const TLineRecord* until)
{
    TCustomCodeMemoParser* parser = ActiveParserObject();
    TLineRecord* from = colourFrontier();
    if (!from || from == until || !parser || parserInUse(parser))
        return;
    from->Flags |= lfRestart;
    TRunLimits limits;
    limits.PauseBefore = until;
    int knownStart = 0;
    const TLineRecord* known = knownPlaceFor(from, knownStart);
    TRunOutcome outcome = runFrom(*parser, from, limits, known, knownStart);
    tokenSeen(-2);
    if (outcome.End == TRunOutcome::Paused) {
        FColourFrom = outcome.Record;
        FColourFrom->Flags |= lfRestart;
    } else if (outcome.End == TRunOutcome::Done) {
        stopColouring();
    }
}

void TCustomCodeMemo::FinishColouring()
{
    colourUntil(nullptr);
}

void TCustomCodeMemo::ColourVisibleRecords()
{
    if (!FColouringPending)
        return;
    SyncTopRecord();
    // A record not yet coloured shows as the frontier itself or as one without bytes.
    TLineRecord* r = FView.TopRecord;
    for (int i = 0; r && i <= FView.LinesPerWindow + 1; ++i, r = r->Next) {
        if (r == FColourFrom || !r->Styles) {
            TLineRecord* last = r;
            for (; i <= FView.LinesPerWindow + 1 && last->Next; ++i)
                last = last->Next;
            colourUntil(last->Next);
            return;
        }
    }
}

bool TCustomCodeMemo::CurrentTokenValues(int start, int end, std::string& values)
{
    values.clear();
    TCustomCodeMemoParser* parser = ActiveParserObject();
    if (!parser || start < 0 || end <= start || end > TextLength() || parserInUse(parser))
        return false;
    // The change notification that runs a pending run may be held off (no redraw, an update) or
    // have found the parser busy: the bytes of the edited records are old until it runs.
    if (FHighlightStart) {
        RehighlightFrom(FHighlightStart);
        if (FHighlightDeferred)
            return false;
    }
    for (int offset = start; offset < end;) {
        int recordStart = 0;
        TLineRecord* record = recordHolding(offset, recordStart);
        if (!record || offset - recordStart >= record->Len)
            return false;
        // As a paint does: a record at or past the slices' place has its bytes coloured first.
        const TLineRecord* frontier = colourFrontier();
        if (frontier && (record == frontier || !record->Styles))
            colourUntil(record->Next);
        if (!record->Styles) {
            values.clear();
            return false;
        }
        const int from = offset - recordStart;
        const int to = std::min<int>(record->Len, end - recordStart);
        values.append(reinterpret_cast<const char*>(record->Styles.get()) + from, static_cast<size_t>(to - from));
        offset = recordStart + to;
    }
    return true;
}

void TCustomCodeMemo::Rehighlight()
{
    TLineRecord* start = FHighlightStart;
    if (start && FHighlightDeferred)
        start->Flags |= lfRestart;
    FHighlightDeferred = false;
    TCustomCodeMemoParser* parser = ActiveParserObject();

    if (start && parser && (start->Flags & (lfChanged | lfRestart))) {
        if (parserInUse(parser)) {
            start->Flags |= lfRestart;
            FHighlightDeferred = true;
            tokenSeen(-2);
            return;
        }
        // With part of the text still waiting for its slices: a run that starts in that part first
        // has the text before it coloured, and then goes on as the slices would; a run before it
        // ends where it begins.
        TRunLimits limits;
        bool mayPause = true;
        if (TLineRecord* frontier = colourFrontier()) {
            if (start != frontier && start->Prev && !start->Prev->Styles) {
                colourUntil(start);
                start->Flags |= lfRestart;
            }
            // (The colouring may have paused past the start, or finished.)
            if (start == FColourFrom) {
                limits = sliceLimits(false);
            } else {
                limits.PauseBefore = FColourFrom;
                mayPause = false;
            }
        } else {
            limits = sliceLimits(true);
        }
        int knownStart = 0;
        const TLineRecord* known = knownPlaceFor(start, knownStart);
        TRunOutcome outcome = runFrom(*parser, start, limits, known, knownStart);
        if (outcome.End == TRunOutcome::PutOff) {
            FHighlightStart = outcome.Record;
            FHighlightDeferred = true;
            tokenSeen(-2);
            return;
        }
        noteRunEnd(start, outcome, mayPause);
    }
    // A handler may have asked for another run meanwhile; that request stays.
    if (FHighlightStart == start)
        FHighlightStart = nullptr;
    tokenSeen(-2);
}

void TCustomCodeMemo::RehighlightFrom(TLineRecord* line)
{
    FHighlightStart = line;
    if (!line)
        return;
    line->Flags |= lfRestart;
    Rehighlight();
}

void TCustomCodeMemo::RehighlightAll()
{
    RehighlightFrom(FirstRecord());
    FinishColouring();
}
