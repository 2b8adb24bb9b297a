// The editor's view over its text without a window: the top of the view, what a window holds, the scroll bars and the look-ups between offsets, lines and points.
#pragma once

#include <cstdint>

#include "editor/model/LineStore.h"
#include "platform/core/Geometry.h"

class TCodeMemoCore;

// A scroll bar as the view last set it, in the units of the bar (vertical values divided by the
// scroll scale); Wanted when its style asks for it and the range exceeds the page.
struct TScrollRange {
    int Max = 0;
    int Page = 0;
    int Position = 0;
    bool Wanted = false;
};

// Columns and pixels of display records, as the control's text metrics measure them with its fonts,
// TAB stops and left column. The geometry asks through this so that it needs no fonts of its own.
class TViewMetrics {
public:
    virtual ~TViewMetrics() = default;
    // The x of the text area's left edge.
    virtual int TextLeft() = 0;
    // Every character advances by the same width (the caret's pixel then follows from its column).
    virtual bool FixedPitch() = 0;
    virtual int IndexToColumn(int index, const TLineRecord* record) = 0;
    virtual int ColumnToIndex(int column, const TLineRecord* record) = 0;
    // Client x of a display column; -1 left of the view.
    virtual int PixelOfColumn(int column, const TLineRecord* record) = 0;
    virtual int ColumnAtPixel(int x, const TLineRecord* record) = 0;
};

// Where one auto-scroll step takes the view, and the client point the caret follows to.
struct TAutoScrollTarget {
    int Line = 0;
    int Column = 0;
    TPoint CaretAt;
};

// The view of one editor: which display line is at the top (with its record cached, so that look-ups
// near the view do not walk from the start), how many lines and columns the client area holds, and
// how the scroll bars stand. The text core owns it and keeps the cached top record valid through
// every edit; the control sizes it from its window and fonts. Display lines are records: the
// control keeps one record per display line.
class TViewGeometry {
public:
    explicit TViewGeometry(const TCodeMemoCore& text) : FText(text) {}
    TViewGeometry(const TViewGeometry&) = delete;
    TViewGeometry& operator=(const TViewGeometry&) = delete;

    // Top of the view: its display line, and its record and offset (nil: not cached).
    int TopLine = 0;
    TLineRecord* TopRecord = nullptr;
    int TopOffset = 0;
    int LeftColumn = 0;
    // Full lines and columns the client area holds, the pixel size of a line and of an average
    // character, and the client area's size.
    int LinesPerWindow = 40;
    int ColumnsPerWindow = 80;
    int LineHeight = 17;
    int CharWidth = 7;
    int ClientWidth = 0;
    int ClientHeight = 0;
    // The bars the control's scroll-bar style gives it.
    bool HorizontalBar = true;
    bool VerticalBar = true;
    // The bars as UpdateRanges last set them; vertical values are divided by ScrollScale.
    TScrollRange HorzRange;
    TScrollRange VertRange;
    int ScrollScale = 1;

    // Caches the top record for TopLine (clamped to the records) when it is not cached.
    void SyncTop();
    // Caches the top record for display line `line` (clamped), walking from the nearest known record.
    void PlaceTopAt(int line);

    // The display record holding `offset`, its display-line index and start offset; nil in an empty
    // text. After a final line break the index is one past the last record's. The walk starts from
    // the nearest of the first record, the top of the view and the last record located.
    TLineRecord* Locate(int offset, int& lineIndex, int& recordStart);
    // Forgets the last record located; the text core calls it whenever records come, go or change
    // length, as the place then no longer holds.
    void ForgetLocated() { FLocated = {}; }
    // Records stepped over by look-ups since the view was made: what a look-up costs, for the tests
    // and benchmarks that watch it.
    int64_t RecordsWalked() const { return FRecordsWalked; }
    // Offset minus its record's start, at most the record's length; 0 after a final line break.
    int IndexInRecord(int offset);
    // The record of display line `line` (at most the last), its start offset and its index.
    TLineRecord* RecordAtLine(int line, int& recordStart, int& index);
    // The display line holding an offset; one past the last record after a final CR.
    int LineOfOffset(int offset);

    // Client point of an offset; (-1, -1) above the view.
    TPoint PointFromOffset(int offset, TViewMetrics& metrics);
    int OffsetFromPoint(TPoint point, TViewMetrics& metrics);
    // Full rows of the client area, at least one.
    int FullRows() const;

    // Counts the full lines and columns a text area of `width` by `height` pixels holds.
    void CountWindow(int width, int height);
    // Moves the view so that `offset` shows: its row becomes the top or the last full row, and the
    // left column moves in steps of 8 columns. True when the top or the left column changed.
    bool FollowOffset(int offset, bool wordWrap, TViewMetrics& metrics);
    // Puts `column` and `line` at the left and top, each clamped and only when its bar is wanted.
    void ScrollTo(int column, int line, bool wordWrap, int longestLine);
    // The view a scroll-bar action (SB_*) asks for, with the bar's thumb `position` in its units;
    // false for an action that does not scroll.
    bool ScrollBarTarget(bool vertical, int code, int position, int& column, int& line) const;
    // Where an auto-scroll step for a pointer outside `edges` goes.
    TAutoScrollTarget AutoScrollTarget(TPoint pointer, const TRect& edges, int textLeft, bool wordWrap,
                                       int longestLine);

    // The ranges the bars take for the view as it is now; sets the scroll scale. Whether a bar is
    // wanted follows from its range and page, never from a widget's visibility.
    void ScrollRanges(bool wordWrap, int longestLine, TScrollRange& horizontal, TScrollRange& vertical);
    // Sets HorzRange and VertRange; true when a bar became wanted (the text area then shrinks).
    bool UpdateRanges(bool wordWrap, int longestLine);

private:
    // A record with its start offset and display-line index.
    struct TPlace {
        TLineRecord* Record = nullptr;
        int Start = 0;
        int Line = 0;
    };
    // The nearest known place to an offset (or, with `byLine`, to a display line): the first record,
    // the top of the view or the last record located.
    TPlace nearestPlace(int target, bool byLine);
    // Walks from `place` to the record holding `offset` (or to display line `line`), counting the steps.
    void walkToOffset(TPlace& place, int offset);
    void walkToLine(TPlace& place, int line);

    const TCodeMemoCore& FText;
    // The last record a look-up found; look-ups in a row over the text (the matches of a search) then
    // cost the distance from one to the next, wherever the view stands.
    TPlace FLocated;
    int64_t FRecordsWalked = 0;
};
