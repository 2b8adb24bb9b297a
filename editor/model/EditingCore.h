// The editor control's text model without a window: the store, the selection and every edit of the text.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/model/FileLines.h"
#include "editor/model/LineStore.h"
#include "editor/model/RangeEdits.h"
#include "editor/model/ViewGeometry.h"
#include "platform/core/ScopeGuard.h"

class TCodeMemoCore;

// Fired for every change of the text: Extent > 0 for characters inserted at Start, < 0 for characters
// removed at Start, (0, 0) when the text became empty.
using TTextEvent = std::function<void(TCodeMemoCore* Sender, int Start, int Extent)>;

// The part of the editor control that owns and edits the text. The control derives from it and fills
// the protected hooks with the services that need a window or settings (undo log, marks, wrapping,
// highlighting, painting); the defaults keep the text consistent on their own.
//
// Offsets are 0-based positions in the text in which a line break is one CR. The selection is
// {anchor, caret}, ordered only when used; the caret is where typing happens.
class TCodeMemoCore : public TTextSource {
public:
    TCodeMemoCore();
    virtual ~TCodeMemoCore();
    TCodeMemoCore(const TCodeMemoCore&) = delete;
    TCodeMemoCore& operator=(const TCodeMemoCore&) = delete;

    TTextStore& Store() { return FStore; }
    TViewGeometry& View() { return FView; }
    const TViewGeometry& View() const { return FView; }
    TLineRecord* FirstRecord() const { return FStore.First(); }
    int TextLength() const { return FTextLength; }
    int SourceLength() const override { return FTextLength; }
    int RecordCount() const { return FRecordCount; }
    int GreatestRecordLength();

    int Anchor() const { return FAnchor; }
    int Caret() const { return FCaret; }
    // Sets the selection, each end clamped to 0..TextLength.
    void SetSelection(int anchor, int caret);
    TTextRange OrderedSelection() const;

    // The record at which the next highlighting run starts (nil: none pending).
    TLineRecord* HighlightStart() const { return FHighlightStart; }
    // Set while the rest of the text from ColourFrom() on waits to be coloured in slices.
    bool ColouringPending() const { return FColouringPending; }
    // Bumped whenever records come, go or change length: a record's offset noted at one value of it
    // holds while the value stays.
    uint64_t LayoutGeneration() const { return FLayoutGeneration; }
    // Bumped with every change of the text that OnTextChange is told of: offsets found at one value of
    // it hold while the value stays.
    uint64_t TextChanges() const { return FTextChanges; }
    void SetHighlightStart(TLineRecord* record) { FHighlightStart = record; }
    uint32_t ChangeBits() const { return FChangeBits; }

    // The file line holding `offset` (clamped to the text) and its start, counting the line breaks
    // before it, whatever records and rows the lines are cut into; after a final line break, the
    // empty line below the last. Walks from the nearest place counted before.
    TFileLineMark FileLineOf(int offset);
    // The display column (TABs expanded) of `offset` counted from `lineStart`, the start of its
    // file line, across every piece of the line before it.
    int FileColumnOf(int offset, int lineStart);

    // The characters from `start` to `end` as stored (line breaks as CR), clamped to the text.
    std::string StoredText(int start, int end);
    std::string StoredText() { return StoredText(0, FTextLength); }

    // Replaces the selection with a NUL-terminated text; nil only deletes the selection. The text
    // must not lie in the editor's own records, which the deletion may free.
    void InsertText(const char* text);
    // The same with an explicit length: NUL bytes inside are kept (they become ".").
    void InsertText(const char* text, int length);
    // Inserts at the caret in normalised chunks; anchor and caret end after the insertion.
    // Length -1 means up to the NUL. Returns the number of characters that went into the store.
    int InsertAtCaret(const char* text, int length = -1);
    // Puts a normalised block of `count` characters into the store at the anchor.
    void InsertBlock(const char* block, int count);
    // Removes the ordered selection from the store; the selection collapses to its start.
    void DeleteSelection();
    // Replaces the selection with what remains of `stream` from its position, chunk by chunk.
    void InsertStream(TStream& stream);
    // Puts `step` (0: the indent step) blanks or, with flags bit 0 and TABs in use, TABs before every
    // selected line; the selection end follows.
    void IndentBlock(int step, int flags);
    // Takes up to `step` (0: the indent step) blanks, TABs or no-break spaces from the start of every
    // selected line.
    void UnindentBlock(int step);
    // Deletes the whole text and empties the undo log.
    void Clear();
    // Replaces many ranges of the text at once (ascending, apart, as TRangeEdits holds them), as one
    // replacement in the undo log: the text is rewritten line by line in one pass, and marks and
    // bookmarks are moved once. A mark or bookmark inside a replaced range goes; the others move with
    // their text, as they would if each range were replaced by itself, from the first to the last.
    // The caret ends after the last new text. Ranges that do not fit the text change nothing.
    void ReplaceRanges(TRangeEdits edits);
    // The same without the undo log; the old texts of the ranges are filled in.
    void ApplyRanges(TRangeEdits& edits);

    TTextEvent OnTextChange;

    // Work buffers and stream reads go in pieces of this many characters.
    static constexpr int kChunkSize = 8192;

protected:
    // ---- hooks filled by the control; the defaults are what an editor without them does

    // Undo log: groups bracket whole commands; a replacement is opened before the selection is
    // deleted (the selection and its text are still there to be read) and closed after the insertion.
    virtual void openUndoGroup(int /*kind*/) {}
    virtual void closeUndoGroup(int /*kind*/) {}
    virtual void logReplaceStart(std::string_view /*newText*/) {}
    virtual void logReplaceEnd() {}
    // Characters put in (indent) or taken out (unindent) at the start of a line.
    virtual void logInsertion(int /*offset*/, std::string_view /*chars*/) {}
    virtual void logRemoval(int /*offset*/, std::string_view /*chars*/) {}
    // A replacement of many ranges: opened before the text changes, closed with the edits made, whose
    // old texts are filled in.
    virtual void logRangesStart() {}
    virtual void logRangesEnd(TRangeEdits&& /*edits*/) {}
    virtual void clearUndoLog() {}

    // Named bookmarks and text marks follow the text.
    virtual void adjustMarksForInsert(int /*offset*/, int /*count*/) {}
    virtual void adjustMarksForDelete(int /*start*/, int /*count*/) {}
    virtual void adjustMarksForEdits(const TRangeEdits& /*edits*/) {}
    virtual void clearNamedBookmarks() {}

    // A tracking object whose line was deleted. Nothing here owns tracking objects: the default only
    // unhooks it from the freed record.
    virtual void releaseTrack(TLineTrack* track);

    // Re-cutting lines. rewrapAll runs when an edit left a record of kRewrapLength characters or more;
    // the default cuts such records into pieces of at most kRecordCut. rewrapLines runs only with word
    // wrap on, for the logical lines from `first` to `last` (nil: from the start, to the end). Both
    // may replace records; rewrapLines moves the look-up cache (lookupRecord) to the record that then
    // holds its offset, so that a long insertion goes on without walking from the start.
    virtual void rewrapAll();
    virtual void rewrapLines(TLineRecord* /*first*/, TLineRecord* /*last*/) {}

    // Runs the pending highlighting (after each replacement of the selection).
    virtual void highlightPending() {}
    // The change notification that ends an operation; the default only forgets the pending work.
    virtual void notifyChange();

    // View: redraw switch, batched updates, painting, scrolling.
    virtual void setRedraw(bool on) { FRedraw = on; }
    virtual void beginLinesUpdate() {}
    virtual void endLinesUpdate() {}
    virtual void requestFullRepaint() {}
    virtual void repaintText() {}
    virtual void revealOffset(int /*offset*/) {}
    virtual void refreshScrollBars() {}

    // The begin/end pairs of the hooks above, each ended by its guard however the scope is left.
    [[nodiscard]] TScopeGuard linesUpdateScope();
    [[nodiscard]] TScopeGuard undoGroupScope(int kind);
    // Switches redraw off for the scope when it is on; an empty guard when it is off already.
    [[nodiscard]] TScopeGuard redrawOffScope();

    // Settings.
    virtual uint32_t optionWord() const { return 0x3FFDBF0; }
    virtual int indentStep() const { return 1; }
    // The first tab stop after `column` (0-based display columns).
    virtual int nextTabColumn(int column) const { return (column / 4 + 1) * 4; }
    // All nextTabColumn answers by: the tab width, then the tab stops (ended by one below 1).
    using TTabStops = std::array<int32_t, 33>;
    virtual TTabStops tabStops() const { return {4}; }
    // The display column of an offset in its display record (TABs expanded).
    virtual int displayColumnOf(int offset);

    // ---- services for the control

    // The record holding `offset` and its start offset; at the end of a record that has a successor,
    // the successor. nil for an empty text.
    TLineRecord* recordHolding(int offset, int& recordStart);
    // Caches the top display record (clamping the top line) when it is not cached.
    void SyncTopRecord();
    // Blanks (with smart TAB filling, TABs up to the last tab stop not beyond `toColumn`) that fill
    // from `fromColumn` to `toColumn`.
    std::string FillToColumn(int fromColumn, int toColumn);
    bool wordWrapOn() const { return (optionWord() & kOptionWordWrap) != 0; }

    // Keep record count and greatest length in step when code outside this class adds, frees or
    // resizes records; recountRecords rebuilds both from the chain after wholesale changes. Each
    // also makes the view forget the last record it located.
    void recordAdded(const TLineRecord* record);
    void recordRemoved(const TLineRecord* record);
    void recordResized(int oldLength, int newLength);
    void recountRecords();
    // Notes that records came, went or changed length.
    void layoutChanged();
    // Frees a record already taken out of the chain (it unlinks nothing) and clears every reference
    // the core holds to it: top record, highlighting start, look-up cache.
    void disposeRecord(TLineRecord* record);
    // Gives `to` the line data of `from` and its tracking object (when `to` has none yet; a second
    // one is released). `from` keeps its text and goes on as it was.
    void carryLine(TLineRecord& from, TLineRecord& to);
    // Replaces the records first..last, one logical line, by the unlinked chain head..tail holding
    // the same text cut anew. The line's data and tracking object go to head (bookmarks of later
    // pieces too, and a highlighting restart asked for anywhere in the line); references to the old
    // records move to the new record holding the same offset: the top of the view (which keeps
    // showing the text it showed), the look-up cache and the pending highlight start. Every old
    // record is disposed of. Returns true when the top of the view was among them.
    bool replaceLineRecords(TLineRecord* first, TLineRecord* last, TLineRecord* head, TLineRecord* tail);
    // The records from the one holding `from` to the one holding `to` lose their style bytes, to be
    // coloured again from the first of them (a run would stop at a line it finds unchanged).
    void restyleSpan(int from, int to);
    // Forgets the look-up cache; call after replacing records outside this class, or move it.
    void dropLookupCache() { FLookup = {}; }
    TLineRecord* lookupRecord() const { return FLookup.Record; }
    int lookupStart() const { return FLookup.Start; }
    void moveLookupCache(TLineRecord* record, int start) { FLookup = {record, start}; }

    TTextStore FStore;
    int FTextLength = 0;
    int FRecordCount = 0;
    int FAnchor = 0;
    int FCaret = 0;
    TLineRecord* FHighlightStart = nullptr;
    // Colouring in slices: the first record not yet coloured (nil when an edit freed it: the first
    // record without style bytes is then taken), its offset as of FColourFromGeneration, and whether
    // any of the text waits. Every record before it has its style bytes.
    TLineRecord* FColourFrom = nullptr;
    int FColourFromOffset = 0;
    uint64_t FColourFromGeneration = 0;
    bool FColouringPending = false;
    uint64_t FLayoutGeneration = 0;
    uint64_t FTextChanges = 0;
    // The view over the text; the core keeps its cached top record valid through every edit.
    TViewGeometry FView{*this};
    // Places in the file's lines, forgotten past each edit.
    TFileLineMarks FFileLines;
    // Columns of places in the file's lines, forgotten past each edit, and the tab stops they were
    // counted by: under others each is counted again.
    TFileColumnMarks FFileColumns;
    TTabStops FFileColumnStops{};
    uint32_t FChangeBits = 0;
    bool FRedraw = true;
    bool FInInsertion = false;
    // Caret placed beyond the end of its line: the column it stands at, and the column kept for
    // vertical moves.
    bool FCaretBeyondEOL = false;
    int FWantedColumn = 0;
    int FRememberedColumn = 0;

private:
    static constexpr uint32_t kOptionWordWrap = 0x400;
    static constexpr uint32_t kOptionUseTab = 0x800000;
    static constexpr uint32_t kOptionSmartFill = 0x1000000;

    // `continues`: the text goes on after this piece (a chunk of a stream), so its last character is
    // normalised like the others.
    void replaceSelection(const char* text, int length, bool continues);
    int insertAtCaret(const char* text, int length, bool continues);
    void fireTextChange(int start, int extent);
    // Puts the records cut from `text` in the place of `old` (nil for an empty store) between `prev`
    // and `next`; the first new record inherits the old one's line data.
    TRecordChain replaceRecord(TLineRecord* old, TLineRecord* prev, TLineRecord* next,
                               const char* text, int length);
    // Notes a record the edit made kRewrapLength characters long or longer, to be cut again by
    // settleLongRecords before the edit ends.
    void noteRecordLength(TLineRecord* record);
    void settleLongRecords();
    // Without word wrap a line is cut only where it is too long for one record, in pieces of
    // kRecordCut as loading cuts it; the line holding `piece` is cut anew when its records differ
    // from that (grown past a record, or shortened so that fewer records hold it). Style bytes go
    // along, except to pieces holding text that had none. Whole pieces at the line's start stay.
    // Nothing with word wrap on, where re-wrapping decides the cuts.
    void recutUnwrappedLine(TLineRecord* piece);
    void recutUnwrappedLinesAt(int start, int end);
    void markFollowingChanged(TLineRecord* record, int count);
    // The display column reached at `index` of a record, counting from `column` at index `from`.
    int columnInRecord(const TLineRecord* record, int index, int column = 0, int from = 0) const;
    // The column of `offset`, walking forward from a place whose column is known.
    int walkColumns(const TFileColumnMark& from, int offset);
    // Whether a TAB lies between the two offsets.
    bool holdsTabBetween(int start, int end);
    // Every edit moves the places counted in the file's lines and the marks in one step, so that no
    // road moves one and forgets the other.
    void moveMarksForInsert(int offset, int count);
    void moveMarksForDelete(int start, int count);
    void moveMarksForEdits(const TRangeEdits& edits);
    void moveTrack(TLineTrack* track, TLineRecord* to);
    // The first record of the logical line holding `offset`, and its start.
    TLineRecord* lineStartHolding(int offset, int& start);
    void removeEmptiedRecord(TLineRecord* record);
    // The step (0: the indent step) and the ordered selection of a block command; false when there
    // is nothing to do.
    bool blockCommandRange(int step, int& n, TTextRange& selection);
    void restyleRestOfLine(TLineRecord* record, TLineRecord*& last, bool wrap);
    // Sets the grown or shrunk selection of a block command and ends it (re-cutting, undo group,
    // painting); groupKind 0 when no undo group was opened.
    void finishBlockCommand(int start, int end, bool caretFirst, TLineRecord* first, TLineRecord* last);
    void becameEmpty();
    // ApplyRanges on the records: each group of whole lines holding ranges is written anew.
    void rewriteRanges(TRangeEdits& edits);
    // Puts `text` in the place of the whole lines first..last; the new first and last records (nil
    // when the text is empty, which only the text's last lines may become).
    std::pair<TLineRecord*, TLineRecord*> replaceLines(TLineRecord* first, TLineRecord* last, const std::string& text);
    // A record that keeps its text but is to be coloured again; its bytes are kept for reuse.
    void dropStyles(TLineRecord* record);
    // Records from `first` on lost their style bytes: highlighting and the colouring in slices start
    // there.
    void noteRestyled(TLineRecord* first);

    // How many records have each length: the greatest length stays exact without scanning the text.
    std::vector<uint32_t> FLengthCounts;
    uint32_t& countOfLength(int length);
    int FGreatestLen = 0;
    // Set when an edit made a record of kRewrapLength characters or more.
    bool FLongRecordMade = false;
    // The records made that long since the last settling, in the order the edit made them, so that
    // only their lines are cut again; a record freed meanwhile leaves the list. When an edit makes
    // more than the list holds, the whole chain is looked through instead (FLongRecordsOverflow).
    static constexpr size_t kMaxLongRecordsNoted = 256;
    std::vector<TLineRecord*> FLongRecords;
    bool FLongRecordsOverflow = false;
    void forgetLongRecord(const TLineRecord* record);
    // Set while the chunks of one long insertion go in: with word wrap on, its lines are wrapped
    // once when the whole of it stands (a line wrapped after each chunk would be wrapped whole again
    // for every chunk of it).
    bool FWrapDeferred = false;
    // Defers the wrapping for the scope when `defer` is set (an empty guard otherwise), and wraps the
    // lines of an insertion from `start` to `end` once it stands.
    [[nodiscard]] TScopeGuard wrapDeferredScope(bool defer);
    void rewrapInserted(int start, int end);
    // The last record found by offset, so that edits near each other do not walk from the start.
    struct LookupCache {
        TLineRecord* Record = nullptr;
        int Start = 0;
    };
    LookupCache FLookup;
    // While a stream loads: the line holding the caret was cut as loading cuts it by the chunk before
    // (FCaretLineCut), so the pieces of its line before the first record the next chunk's insertion
    // made are whole (FWholeBefore); recutting that line starts there instead of at the line's start,
    // and a long line costs each chunk only its own pieces. A record freed stops being the mark.
    bool FCaretLineCut = false;
    TLineRecord* FWholeBefore = nullptr;
    std::unique_ptr<char[]> FNormalBuffer;
};
