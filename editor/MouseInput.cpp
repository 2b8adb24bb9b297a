// Mouse input of the editor control: clicks and selecting, words and lines, gutter and margin, margin-line drags, hyperlinks, pointer shapes, the drag's part in auto-scroll.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <string>

#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"

namespace {

// A drag of the selection or of a margin line scrolls already this many lines or columns before the
// edge, so that the drop place can reach the edge rows without leaving the window.
constexpr int kEdgeBand = 2;
// In caret-after-end-of-line mode the caret may stand at most this far right.
constexpr int kMaxCaretColumn = 2047;
// The style byte reported where no character is.
constexpr uint8_t kNoStyle = 255;

int floorDiv(int a, int b)
{
    int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Characters of a record that are text: all but its line break.
int textLength(const TLineRecord* record)
{
    return record->Len - (record->EndsWithCR() ? 1 : 0);
}

} // namespace

int64_t TMouseState::Now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One mouse event's work on the control.
class TCustomCodeMemo::MouseInput {
public:
    explicit MouseInput(TCustomCodeMemo& memo) : FMemo(memo), FState(memo.FMouse) {}

    void Down(TMouseButton button, TShiftState shift, int x, int y)
    {
        FMemo.ClaimSettingsObjects();
        FMemo.setFocus(Qt::MouseFocusReason);
        if (button != mbLeft || x < 0 || x >= FMemo.FView.ClientWidth)
            return;
        const bool wrap = FMemo.WordWrap();
        countClick();
        FState.PressPoint = {x, y};
        const int textLeft = FMemo.TextLeft();
        if (textLeft > 0 && x < textLeft - FMemo.FSettings->Margin) {
            gutterClick(y, wrap);
            return;
        }
        if (x < textLeft) {
            // The selection margin takes the whole row; dragging on extends it by characters.
            Row row = rowAt(y);
            select(row.Start, row.Start + (row.Record ? row.Record->Len : 0));
            FMemo.FLastDoubleClick = TMouseState::Now();
            FState.Selecting = true;
            return;
        }
        if (int marginLine = marginLineAt(x, rowAt(y))) {
            startMarginDrag(x, marginLine == kRightMarginLine);
            return;
        }

        const int offset = FMemo.OffsetFromPoint({x, y});
        const int line = FMemo.LineOfOffset(offset);
        if (shift & ssShift) {
            // The end nearer the click follows it; the other stays as the anchor.
            TTextRange selection = FMemo.OrderedSelection();
            placeCaretColumn(x, offset);
            select(offset >= selection.Start ? selection.Start : selection.End, offset);
            FState.Selecting = true;
        } else if (FState.ClickState == 2) {
            collapseAt(x, offset);
        } else if (FState.ClickState == 3 && line == FState.LastClickLine) {
            selectLineOf(x, y, offset);
        } else {
            singleClick(x, y, offset);
        }
        FState.LastClickLine = line;
    }

    void Move(TShiftState shift, int x, int y)
    {
        FState.LastPoint = {x, y};
        // A release that never reached the control (a window that took the mouse meanwhile) ends
        // what the button held; a drag of the selection belongs to the drag loop, which knows.
        if (!(shift & ssLeft)) {
            FState.Selecting = false;
            FState.DragPending = false;
            if (FState.MarginDragging)
                cancelMarginDrag();
        }
        if (FState.DragPending && !FState.DragMoving) {
            // A pointer that trembles while clicking does not drag yet.
            TPoint from = FState.PressPoint;
            if (std::abs(x - from.X) + std::abs(y - from.Y) < QApplication::startDragDistance())
                return;
            FState.DragPending = false;
            dragSelection();
            return;
        }
        if (FMemo.mouseHoldsDrag()) {
            // A step of the view moves what is dragged along; the timer goes on stepping while the
            // pointer stays outside.
            if (FMemo.AutoScrollStep({x, y}))
                FMemo.BeginAutoScroll(!FState.DragMoving, true);
            else
                Follow(x, y);
        }
        updatePointer(x, y);
    }

    void Up(TMouseButton button, int x, int y)
    {
        if (button != mbLeft)
            return;
        FMemo.EndAutoScroll();
        if (FState.DragPending) {
            // A click in the selection that never dragged is a click like any other.
            FState.DragPending = false;
            placeCaretAtClick(x, y, FMemo.OffsetFromPoint({x, y}));
        }
        FState.Selecting = false;
        FState.DragMoving = false;
        if (FState.MarginDragging)
            finishMarginDrag(x);
    }

    // Past these edges the pointer of a drag counts as outside: the edge band of a dragged
    // selection all round, of a margin line to the left and, for the right margin, to the right;
    // selecting scrolls left only from left of the selection margin.
    TRect ScrollEdges() const
    {
        const int lineBand = FState.DragMoving ? kEdgeBand * FMemo.FView.LineHeight : 0;
        const int columnBand = kEdgeBand * FMemo.FView.CharWidth;
        const bool bandLeft = FState.DragMoving || FState.MarginDragging;
        const bool bandRight = FState.DragMoving || (FState.MarginDragging && FState.MarginIsRight);
        TRect edges;
        edges.Top = lineBand;
        edges.Bottom = FMemo.FView.ClientHeight - lineBand;
        edges.Left = bandLeft ? columnBand : FMemo.TextLeft() - FMemo.FSettings->Margin;
        edges.Right = FMemo.FView.ClientWidth - (bandRight ? columnBand : 0);
        return edges;
    }

    // What a held button does at (x, y) once the view is where it goes.
    void Follow(int x, int y)
    {
        if (FState.Selecting) {
            // The caret stays on what is in sight; the view comes to it step by step.
            int rows = std::max(1, FMemo.FView.ClientHeight / std::max(1, FMemo.FView.LineHeight));
            int cx = std::clamp(x, FMemo.TextLeft(), std::max(FMemo.TextLeft(), FMemo.FView.ClientWidth - 1));
            int cy = std::clamp(y, 0, rows * FMemo.FView.LineHeight - 1);
            int offset = FMemo.OffsetFromPoint({cx, cy});
            placeCaretColumn(cx, offset);
            select(FMemo.FAnchor, offset);
        } else if (FState.MarginDragging) {
            moveMarginLine(x);
        } else if (FState.DragMoving) {
            FMemo.Paint();
        }
    }

    void SelectWord(TPoint point)
    {
        const int offset = FMemo.OffsetFromPoint(point);
        int line = 0, start = 0;
        TLineRecord* record = FMemo.LocateOffset(offset, line, start);
        if (!record || (record->EndsWithCR() && offset - start >= record->Len)) {
            // No text here, or the empty line after a final line break.
            select(offset, offset);
            return;
        }
        auto isWord = [&](int i) {
            if (i < 0 || i >= record->Len)
                return false;
            char c = record->Text[i];
            return FMemo.CharIsInWord(c) || FMemo.CharStartsWord(c);
        };
        const int at = offset - start;
        int from = at;
        if (!isWord(at) || isWord(at - 1)) {
            // Back over what is not a word, then to the start of the word reached.
            int i = at;
            while (i >= 0 && !isWord(i))
                --i;
            if (i < 0) {
                from = 0;
                while (from < record->Len && !isWord(from))
                    ++from;
                if (from == record->Len)
                    from = 0;
            } else {
                while (i >= 0 && isWord(i))
                    --i;
                from = i + 1;
            }
        }
        int to = from;
        while (isWord(to))
            ++to;
        record->Flags |= lfChanged;
        FMemo.FCaretBeyondEOL = false;
        FMemo.FWantedColumn = FMemo.IndexToColumn(to, record);
        select(start + from, start + to);
    }

    uint8_t StyleUnderPointer()
    {
        Row row = rowAt(FState.LastPoint.Y);
        int index = characterAt(row.Record, FState.LastPoint.X);
        if (index < 0 || !row.Record->Styles)
            return kNoStyle;
        return row.Record->Styles[index];
    }

private:
    static constexpr int kRightMarginLine = 1;
    static constexpr int kWrapColumnLine = 2;

    // A display row of the view: its record (nil below the text), the record's start offset and its
    // display-line index.
    struct Row {
        TLineRecord* Record = nullptr;
        int Start = 0;
        int Line = 0;
    };

    Row rowAt(int y)
    {
        FMemo.SyncTopRecord();
        Row row{FMemo.FView.TopRecord, FMemo.FView.TopOffset, FMemo.FView.TopLine};
        if (!row.Record)
            return row;
        int rows = std::max(0, y) / std::max(1, FMemo.FView.LineHeight);
        for (int i = 0; i < rows; ++i) {
            row.Start += row.Record->Len;
            ++row.Line;
            row.Record = row.Record->Next;
            if (!row.Record)
                break;
        }
        return row;
    }

    // Index of the character drawn under client x in a record; -1 left of the text area and past
    // the row's text.
    int characterAt(const TLineRecord* record, int x)
    {
        if (!record || x < FMemo.TextLeft())
            return -1;
        int index = FMemo.ColumnToIndex(FMemo.ColumnAtPixel(x, record), record);
        // The nearest boundary may lie right of x: the character is then the one before it.
        if (index > 0 && FMemo.PixelOfColumn(FMemo.IndexToColumn(index, record), record) > x)
            --index;
        return index < textLength(record) ? index : -1;
    }

    // The column whose left boundary is nearest to x, counted as if every column were as wide as
    // the average character (margin lines and the columns past a line's end are laid out so).
    int boundaryColumn(int x) const
    {
        int width = std::max(1, FMemo.FView.CharWidth);
        return FMemo.FView.LeftColumn + floorDiv(x - FMemo.TextLeft() + width - width / 2, width);
    }

    // Which margin line lies under x in a row: only where the row's text ends before it.
    int marginLineAt(int x, const Row& row)
    {
        if (x < FMemo.TextLeft())
            return 0;
        const TSM_Settings& settings = *FMemo.FSettings;
        int column = boundaryColumn(x);
        int line = 0;
        if (settings.HasOption(smoShowRMargin) && column == settings.RightMargin)
            line = kRightMarginLine;
        else if (settings.HasOption(smoWordWrap) && settings.HasOption(smoShowWrapColumn) &&
                 column == settings.WrapAtColumn)
            line = kWrapColumnLine;
        if (line && row.Record && FMemo.IndexToColumn(textLength(row.Record), row.Record) >= column)
            return 0;
        return line;
    }

    void select(int anchor, int caret)
    {
        TSelectionRange range{anchor, caret};
        FMemo.PerformSelection(SMM_SET, range);
    }

    void countClick()
    {
        int64_t now = TMouseState::Now();
        bool quick = now - FState.LastClickTick <= FState.DoubleClickTime;
        switch (FState.ClickState) {
        case 1: FState.ClickState = quick ? 2 : 1; break;
        case 2: FState.ClickState = quick ? 3 : 1; break;
        case 3: FState.ClickState = 4; break;
        default: FState.ClickState = 1; break;
        }
        FState.LastClickTick = now;
    }

    void gutterClick(int y, bool wrap)
    {
        if (!FMemo.OnGutterClick)
            return;
        Row row = rowAt(y);
        TLineRecord* record = row.Record;
        int line = row.Line;
        if (!record) {
            // Below the text: its last line, the empty one after a final line break included.
            int start = 0;
            record = FMemo.LocateOffset(FMemo.FTextLength, line, start);
            if (record && record->EndsWithCR())
                record = nullptr;
        }
        // A wrapped line is known by its first piece.
        while (wrap && record && (record->MarkBits & mbContinuation) && record->Prev) {
            record = record->Prev;
            --line;
        }
        FMemo.OnGutterClick(&FMemo, line + 1);
    }

    // The caret goes to `offset`. In caret-after-end-of-line mode a click past the end of a line
    // leaves the caret there, drawn at the column under x.
    void placeCaretColumn(int x, int offset)
    {
        FMemo.FCaretBeyondEOL = false;
        int column = FMemo.displayColumnOf(offset);
        if (FMemo.CaretAfterEOLActive()) {
            int line = 0, start = 0;
            TLineRecord* record = FMemo.LocateOffset(offset, line, start);
            bool afterFinalBreak = record && !record->Next && record->EndsWithCR() && offset - start >= record->Len;
            // Only lines that end with a line break or the text have room beyond their end.
            bool roomBeyond = record ? !afterFinalBreak && (record->EndsWithCR() || !record->Next)
                                     : FMemo.FTextLength == 0;
            int end = record && roomBeyond ? FMemo.IndexToColumn(textLength(record), record) : 0;
            int clicked = boundaryColumn(x);
            if (roomBeyond && clicked > end) {
                FMemo.FCaretBeyondEOL = true;
                column = std::min(clicked, kMaxCaretColumn);
            }
        }
        FMemo.FWantedColumn = column;
        FMemo.FRememberedColumn = FMemo.displayColumnOf(offset);
    }

    void collapseAt(int x, int offset)
    {
        placeCaretColumn(x, offset);
        select(offset, offset);
        FState.Selecting = true;
    }

    // True when the character under (x, y) lies inside the selection.
    bool insideSelection(int x, int y)
    {
        TTextRange selection = FMemo.OrderedSelection();
        if (selection.Start == selection.End)
            return false;
        Row row = rowAt(y);
        int index = characterAt(row.Record, x);
        return index >= 0 && row.Start + index >= selection.Start && row.Start + index < selection.End;
    }

    void singleClick(int x, int y, int offset)
    {
        // Text under a click in the selection may be dragged away: whether it is shows at the first
        // move or at the release.
        if (FMemo.FSettings->HasOption(smoOLEDragSource) && insideSelection(x, y)) {
            FState.DragPending = true;
            return;
        }
        placeCaretAtClick(x, y, offset);
    }

    void placeCaretAtClick(int x, int y, int offset)
    {
        collapseAt(x, offset);
        if (!FMemo.FSettings->HasHotspots())
            return;
        Row row = rowAt(y);
        int index = characterAt(row.Record, x);
        if (index < 0 || !row.Record->Styles || !FMemo.FSettings->TokenStyle(row.Record->Styles[index]).Hotspot)
            return;
        FState.OverHyperlink = true;
        std::string link = StyledRunAround(row.Record, index, std::string::npos).Text;
        if (FMemo.OnHyperlinkClick)
            FMemo.OnHyperlinkClick(&FMemo, link, row.Record->Styles[index]);
    }

    // The third click of a triple click: its display line with the line break.
    void selectLineOf(int x, int y, int offset)
    {
        int line = 0, start = 0;
        TLineRecord* record = FMemo.LocateOffset(offset, line, start);
        FMemo.FLastDoubleClick = TMouseState::Now();
        if (FMemo.OnTripleClick) {
            FMemo.OnTripleClick(&FMemo, TPoint{x, y}, offset);
            return;
        }
        if (!record || offset - start >= record->Len) {
            select(offset, offset);
            return;
        }
        FMemo.FCaretBeyondEOL = false;
        select(start, start + record->Len);
    }

    // ---- dragging

    void dragSelection()
    {
        if (!FMemo.FSettings->HasOption(smoOLEDragSource))
            return;
        FState.DragMoving = true;
        Qt::DropActions allowed = FMemo.FReadOnly ? Qt::DropActions(Qt::CopyAction) : Qt::CopyAction | Qt::MoveAction;
        TScopeGuard dragging([this] { FState.DragMoving = false; });
        FMemo.DragSelection(allowed);
    }

    // ---- margin lines

    void showMarginLine(int x)
    {
        FState.MarginLineX = x;
        FMemo.update();
    }

    void hideMarginLine()
    {
        if (FState.MarginLineX < 0)
            return;
        FState.MarginLineX = -1;
        FMemo.update();
    }

    void startMarginDrag(int x, bool rightMargin)
    {
        FState.MarginDragging = true;
        FState.MarginIsRight = rightMargin;
        FState.MarginColumn = boundaryColumn(x);
        showMarginLine(FMemo.TextLeft() + (FState.MarginColumn - FMemo.FView.LeftColumn) * FMemo.FView.CharWidth);
    }

    void moveMarginLine(int x)
    {
        FState.MarginColumn = boundaryColumn(x);
        int column = FState.MarginColumn;
        if (x < FMemo.TextLeft() || column < FMemo.FView.LeftColumn ||
            column >= FMemo.FView.LeftColumn + FMemo.FView.ColumnsPerWindow) {
            hideMarginLine();
            return;
        }
        showMarginLine(FMemo.TextLeft() + (column - FMemo.FView.LeftColumn) * FMemo.FView.CharWidth);
    }

    void cancelMarginDrag()
    {
        hideMarginLine();
        FState.MarginDragging = false;
    }

    void finishMarginDrag(int x)
    {
        cancelMarginDrag();
        // Left of the text there is no column to move to: the line stays where it was.
        if (x < FMemo.TextLeft())
            return;
        int column = boundaryColumn(x);
        if (FState.MarginIsRight)
            FMemo.SetRightMargin(column);
        else
            FMemo.SetWrapAtColumn(column);
    }

    // ---- pointer

    void updatePointer(int x, int y)
    {
        FState.OverMarginLine = false;
        FState.OverHyperlink = false;
        if (x < FMemo.TextLeft()) {
            setShape(crDefault);
            return;
        }
        Row row = rowAt(y);
        FState.OverMarginLine = marginLineAt(x, row) != 0;
        if (FMemo.FSettings->HasHotspots()) {
            int index = characterAt(row.Record, x);
            if (index >= 0 && row.Record->Styles && FMemo.FSettings->TokenStyle(row.Record->Styles[index]).Hotspot) {
                FState.OverHyperlink = true;
                setShape(FMemo.HyperCursor);
                if (FMemo.OnHyperlinkHover)
                    FMemo.OnHyperlinkHover(&FMemo);
                return;
            }
        }
        if (FState.OverMarginLine || FState.MarginDragging)
            setShape(crHSplit);
        else if (FMemo.FSettings->HasOption(smoOLEDragSource) && insideSelection(x, y))
            setShape(crDefault);
        else
            setShape(crIBeam);
    }

    // Changes the pointer only while it is one of the control's own: a shape the application set stays.
    void setShape(TCursor cursor)
    {
        Qt::CursorShape current = FMemo.cursor().shape();
        bool own = current == Qt::ArrowCursor || current == Qt::IBeamCursor || current == Qt::SplitHCursor ||
                   current == CursorShapeOf(FMemo.HyperCursor);
        Qt::CursorShape wanted = CursorShapeOf(cursor);
        if (own && current != wanted)
            FMemo.setCursor(wanted);
    }

    TCustomCodeMemo& FMemo;
    TMouseState& FState;
};

// ---------------------------------------------------------------- the control's members

void TCustomCodeMemo::initMouse()
{
    FMouse.DoubleClickTime = QApplication::doubleClickInterval();
}

TRect TCustomCodeMemo::mouseScrollEdges()
{
    return MouseInput(*this).ScrollEdges();
}

void TCustomCodeMemo::mouseFollowDrag(TPoint pointer)
{
    MouseInput(*this).Follow(pointer.X, pointer.Y);
}

void TCustomCodeMemo::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    if (isEnabled() && (focusPolicy() & Qt::TabFocus) && isVisible())
        MouseInput(*this).Down(button, shift, x, y);
}

void TCustomCodeMemo::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    if (isEnabled() && (focusPolicy() & Qt::TabFocus) && isVisible())
        MouseInput(*this).Move(shift, x, y);
}

void TCustomCodeMemo::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    if (isEnabled() && (focusPolicy() & Qt::TabFocus))
        MouseInput(*this).Up(button, x, y);
}

void TCustomCodeMemo::SelectWordAtCaret(TPoint point)
{
    MouseInput(*this).SelectWord(point);
}

uint8_t TCustomCodeMemo::StyleAtCaret()
{
    return MouseInput(*this).StyleUnderPointer();
}
