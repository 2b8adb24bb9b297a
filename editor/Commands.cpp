// The editor control's commands: caret moves, deletions, block indent, insert mode, and the hand-over of the others.
#include <algorithm>

#include "editor/CodeMemo.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Undo.h"

namespace {

// In caret-after-end-of-line mode the caret may stand at most this far right.
constexpr int kMaxCaretColumn = 2047;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads the text one character at a time around an offset, stepping along the record chain.
class TextWalker {
public:
    TextWalker(TCustomCodeMemo& memo, int offset)
    {
        int line = 0;
        FRecord = memo.LocateOffset(offset, line, FStart);
        FOffset = FRecord ? std::clamp(offset, FStart, FStart + static_cast<int>(FRecord->Len)) : 0;
    }

    int Offset() const { return FOffset; }
    // The character at the offset; NUL at the end of the text.
    char At() const
    {
        int index = FOffset - FStart;
        return FRecord && index < FRecord->Len ? FRecord->Text[index] : '\0';
    }
    // The character before the offset; NUL at the start of the text.
    char Before() const
    {
        if (!FRecord)
            return '\0';
        int index = FOffset - FStart;
        if (index > 0)
            return FRecord->Text[index - 1];
        return FRecord->Prev ? FRecord->Prev->Text[FRecord->Prev->Len - 1] : '\0';
    }
    void Back()
    {
        if (!FRecord || FOffset == 0)
            return;
        if (FOffset == FStart) {
            FRecord = FRecord->Prev;
            FStart -= FRecord->Len;
        }
        --FOffset;
    }
    void Forward()
    {
        if (!FRecord || FOffset - FStart >= FRecord->Len)
            return;
        ++FOffset;
        // Only the text's end stands at the end of a record.
        if (FOffset - FStart == FRecord->Len && FRecord->Next) {
            FStart = FOffset;
            FRecord = FRecord->Next;
        }
    }

private:
    TLineRecord* FRecord = nullptr;
    int FStart = 0;
    int FOffset = 0;
};

} // namespace

// One run of one command, with the caret's line found once.
class TCustomCodeMemo::CommandRunner {
public:
    CommandRunner(TCustomCodeMemo& memo, bool extend) : FMemo(memo), FExtend(extend) {}

    void Run(int command)
    {
        // Home presses count only while nothing else happens in between.
        if (command != ecLineStart)
            FMemo.FKeys.HomeCount = 0;
        switch (command) {
        case ecLeft: left(); break;
        case ecRight: right(); break;
        case ecLineStart: toLineStart(); break;
        case ecLineEnd: toLineEnd(); break;
        case ecLineUp:
        case ecLineDown:
        case ecPageUp:
        case ecPageDown: vertical(command); break;
        case ecWordLeft: horizontalTo(FMemo.WordLeft()); break;
        case ecWordRight: horizontalTo(FMemo.WordRight()); break;
        case ecDocumentStart: horizontalTo(0); break;
        case ecDocumentEnd:
            if (FMemo.FCaret != FMemo.FTextLength)
                horizontalTo(FMemo.FTextLength);
            break;
        case ecCut: cut(); break;
        case ecCopy: FMemo.Perform(WM_COPY, 0, 0); break;
        case ecPaste: paste(); break;
        case ecDeleteChar: deleteChar(); break;
        case ecDeleteLastChar: deleteLastChar(); break;
        case ecIndentBlock:
        case ecUnindentBlock: block(command == ecIndentBlock); break;
        case ecToggleInsertMode:
            FMemo.FKeys.InsertMode = !FMemo.FKeys.InsertMode;
            FMemo.FChangeBits |= CHANGE_INSERTMODE;
            FMemo.Change();
            FMemo.Paint();
            break;
        case ecDeleteLine: deleteLine(); break;
        case ecUndo:
            if (!FMemo.FReadOnly)
                FMemo.Perform(EM_UNDO, 0, 0);
            break;
        case ecRedo:
            if (!FMemo.FReadOnly)
                FMemo.Perform(SMM_REDO, 0, 0);
            break;
        case ecDeleteLastWord: deleteLastWord(); break;
        case ecPrintSelection: FMemo.PrintSelection(); break;
        default:
            if (command >= ecSetBookmark0 && command <= ecSetBookmark9)
                FMemo.SetBookmark(command - ecSetBookmark0, -1, 0);
            else if (command >= ecGotoBookmark0 && command <= ecGotoBookmark9)
                FMemo.GotoBookmark(command - ecGotoBookmark0);
            break;
        }
    }

private:
    // Where an offset stands in its display line.
    struct Place {
        TLineRecord* Record = nullptr; // nil only in an empty text
        int Start = 0;                 // offset of the record's first character
        // On the empty line that a final line break leaves below the last record (Record is that record).
        bool AfterFinalBreak = false;
    };

    Place place(int offset)
    {
        Place p;
        int line = 0;
        p.Record = FMemo.LocateOffset(offset, line, p.Start);
        p.AfterFinalBreak =
            p.Record && !p.Record->Next && p.Record->EndsWithCR() && offset - p.Start >= p.Record->Len;
        return p;
    }

    // Characters of a record the caret can stand before: all but its line break, and all but the
    // last character of a wrapped piece (the next piece starts there).
    static int visibleLength(const TLineRecord* record)
    {
        return record->Len - (record->EndsWithCR() || record->Next ? 1 : 0);
    }
    // The offset of a line's end and its display column.
    int lineEnd(const Place& p) const
    {
        if (!p.Record || p.AfterFinalBreak)
            return FMemo.FTextLength;
        return p.Start + visibleLength(p.Record);
    }
    int endColumn(const Place& p) const
    {
        if (!p.Record || p.AfterFinalBreak)
            return 0;
        return FMemo.IndexToColumn(visibleLength(p.Record), p.Record);
    }
    // Lines the caret may stand beyond: those that end with a line break or the text. The empty
    // line after a final line break is not one, as typing there could not find its own line end.
    bool canGoBeyond(const Place& p) const
    {
        if (!p.Record)
            return FMemo.FTextLength == 0;
        return !p.AfterFinalBreak && (p.Record->EndsWithCR() || !p.Record->Next);
    }

    bool caretAfterEOL() const { return FMemo.CaretAfterEOLActive(); }
    int caretColumn()
    {
        return caretAfterEOL() && FMemo.FCaretBeyondEOL ? FMemo.FWantedColumn : FMemo.displayColumnOf(FMemo.FCaret);
    }

    // The end of every move: the anchor follows unless the selection is extended.
    void moveTo(int caret, bool reveal = true)
    {
        caret = std::clamp(caret, 0, FMemo.FTextLength);
        FMemo.FChangeBits |= CHANGE_SELECTION;
        if (reveal)
            FMemo.MakeOffsetVisible(caret);
        TSelectionRange range{FExtend ? FMemo.FAnchor : caret, caret};
        FMemo.PerformSelection(SMM_SET, range);
    }

    // A move to an offset; -1 leaves the caret where it is. The caret column follows the offset.
    void horizontalTo(int caret)
    {
        FMemo.FCaretBeyondEOL = false;
        moveTo(caret < 0 ? FMemo.FCaret : caret);
        FMemo.FWantedColumn = FMemo.displayColumnOf(FMemo.FCaret);
    }

    void left()
    {
        if (!caretAfterEOL()) {
            horizontalTo(std::max(0, FMemo.FCaret - 1));
            return;
        }
        if (FMemo.FCaretBeyondEOL) {
            // The caret keeps its offset at the line end; only its column comes back.
            --FMemo.FWantedColumn;
            FMemo.FCaretBeyondEOL = FMemo.FWantedColumn > endColumn(place(FMemo.FCaret));
            moveTo(FMemo.FCaret);
            return;
        }
        if (FMemo.displayColumnOf(FMemo.FCaret) == 0)
            return;
        horizontalTo(FMemo.FCaret - 1);
    }

    void right()
    {
        if (caretAfterEOL()) {
            if (FMemo.FCaretBeyondEOL) {
                FMemo.FWantedColumn = std::min(FMemo.FWantedColumn + 1, kMaxCaretColumn);
                moveTo(FMemo.FCaret);
                return;
            }
            Place p = place(FMemo.FCaret);
            if (FMemo.FCaret == lineEnd(p) && canGoBeyond(p)) {
                FMemo.FCaretBeyondEOL = true;
                FMemo.FWantedColumn = endColumn(p) + 1;
                moveTo(FMemo.FCaret);
                return;
            }
        }
        horizontalTo(std::min(FMemo.FTextLength, FMemo.FCaret + 1));
    }

    void toLineStart()
    {
        FMemo.FCaretBeyondEOL = false;
        FMemo.FWantedColumn = 0;
        ++FMemo.FKeys.HomeCount;
        Place p = place(FMemo.FCaret);
        if (!p.Record || p.AfterFinalBreak)
            return;
        moveTo(p.Start);
    }

    void toLineEnd()
    {
        FMemo.FCaretBeyondEOL = false;
        Place p = place(FMemo.FCaret);
        int caret = lineEnd(p);
        if (p.Record && !p.AfterFinalBreak)
            while (caret > p.Start && isBlank(p.Record->Text[caret - p.Start - 1]))
                --caret;
        FMemo.FVerticalMoveRequest = false;
        moveTo(caret);
        FMemo.FWantedColumn = FMemo.displayColumnOf(FMemo.FCaret);
    }

    // The column a vertical move aims at in `to`: the same column with column tracking in a
    // fixed-pitch font, else the one under the same pixel.
    int columnBelow(int column, const TLineRecord* from, const TLineRecord* to)
    {
        if ((FMemo.FSettings->Options & OptionBit(smoColumnTrack)) && FMemo.FFixedPitch)
            return column;
        int x = FMemo.PixelOfColumn(column, from);
        return x < 0 ? column : FMemo.ColumnAtPixel(x, to);
    }

    void vertical(int command)
    {
        Place p = place(FMemo.FCaret);
        if (!p.Record) {
            moveTo(FMemo.FCaret);
            return;
        }
        const bool page = command == ecPageUp || command == ecPageDown;
        const bool up = command == ecLineUp || command == ecPageUp;
        const int steps = page ? std::max(1, FMemo.FView.LinesPerWindow) : 1;
        const int column = caretColumn();

        // The target record. From the empty line after a final break, the first step up reaches
        // the last record; a step down from the last record reaches that empty line when there is one.
        TLineRecord* target = p.Record;
        int targetStart = p.Start;
        int walked = 0;
        bool toFinalLine = false;
        if (up) {
            if (p.AfterFinalBreak)
                ++walked;
            for (; walked < steps && target->Prev; ++walked) {
                target = target->Prev;
                targetStart -= target->Len;
            }
        } else if (!p.AfterFinalBreak) {
            for (; walked < steps && target->Next; ++walked) {
                targetStart += target->Len;
                target = target->Next;
            }
            toFinalLine = !page && walked == 0 && target->EndsWithCR();
        }
        const bool moved = walked > 0 || toFinalLine;

        int caret = FMemo.FCaret;
        if (toFinalLine) {
            caret = FMemo.FTextLength;
            FMemo.FCaretBeyondEOL = false;
        } else if (moved && caretAfterEOL()) {
            // The column is kept: inside the line the caret goes there, else it waits beyond the end.
            Place to{target, targetStart, false};
            if (column <= endColumn(to)) {
                caret = targetStart + FMemo.ColumnToIndex(column, target);
                FMemo.FCaretBeyondEOL = false;
            } else {
                caret = lineEnd(to);
                FMemo.FCaretBeyondEOL = canGoBeyond(to);
            }
            FMemo.FWantedColumn = column;
        } else if (moved) {
            caret = page ? targetStart
                         : targetStart + FMemo.ColumnToIndex(columnBelow(column, p.Record, target), target);
        }

        if (caretAfterEOL())
            FMemo.FVerticalMoveRequest = false;
        else if (!FExtend)
            FMemo.RequestVerticalMove();
        if (page) {
            int top = FMemo.FView.TopLine + (up ? -steps : steps);
            FMemo.Perform(SMM_TOPLINE, SMM_SET | SMM_NOREDRAW, std::max(0, top));
            FMemo.FFullRepaint = true;
        }
        moveTo(caret, !page);
    }

    void cut()
    {
        if (FMemo.FReadOnly)
            return;
        FMemo.FChangeBits |= CHANGE_CLIPBOARD | CHANGE_TEXT | CHANGE_SELECTION;
        FMemo.FCaretBeyondEOL = false;
        FMemo.FWantedColumn = FMemo.displayColumnOf(FMemo.OrderedSelection().Start);
        FMemo.Perform(WM_CUT, 0, 0);
    }

    void paste()
    {
        if (FMemo.FReadOnly)
            return;
        FMemo.FChangeBits |= CHANGE_CLIPBOARD | CHANGE_TEXT | CHANGE_SELECTION;
        FMemo.Perform(WM_PASTE, 0, 0);
        FMemo.FCaretBeyondEOL = false;
        FMemo.FWantedColumn = FMemo.displayColumnOf(FMemo.FCaret);
    }

    // Deletes the selection, or the character after the caret.
    void deleteChar()
    {
        if (FMemo.FReadOnly)
            return;
        FMemo.inUndoGroup(ugDelete, [this] {
            if (FMemo.FCaretBeyondEOL) {
                // The line is filled out to the caret first, so that the next line joins it there.
                if (FMemo.FAnchor == FMemo.FCaret && caretAfterEOL())
                    FMemo.PerformText(SMM_INSERTTEXT, 0, "");
                FMemo.FCaretBeyondEOL = false;
            }
            if (FMemo.FAnchor == FMemo.FCaret) {
                if (FMemo.FCaret >= FMemo.FTextLength)
                    return;
                FMemo.SetSelection(FMemo.FCaret, FMemo.FCaret + 1);
            }
            FMemo.PerformText(SMM_INSERTTEXT, 0, "");
        });
    }

    // Deletes the selection, or the character before the caret.
    void deleteLastChar()
    {
        if (FMemo.FReadOnly)
            return;
        if (caretAfterEOL() && FMemo.FCaretBeyondEOL) {
            left();
            return;
        }
        FMemo.inUndoGroup(ugDelete, [this] {
            if (FMemo.FAnchor == FMemo.FCaret) {
                if (FMemo.FCaret == 0)
                    return;
                FMemo.SetSelection(FMemo.FCaret - 1, FMemo.FCaret);
            }
            FMemo.PerformText(SMM_INSERTTEXT, 0, "");
        });
    }

    void block(bool indent)
    {
        if (FMemo.FReadOnly)
            return;
        FMemo.FChangeBits |= CHANGE_CLIPBOARD | CHANGE_TEXT | CHANGE_SELECTION;
        if (indent)
            FMemo.Perform(SMM_INDENT, 0, 1);
        else
            FMemo.Perform(SMM_UNINDENT, 0, 0);
        FMemo.FCaretBeyondEOL = false;
        FMemo.FWantedColumn = FMemo.displayColumnOf(FMemo.FCaret);
        FMemo.Change();
    }

    void deleteLine()
    {
        if (FMemo.FReadOnly || FMemo.FAnchor != FMemo.FCaret)
            return;
        Place p = place(FMemo.FCaret);
        // The empty line after a final line break has nothing of its own to delete.
        if (!p.Record || p.AfterFinalBreak)
            return;
        FMemo.FCaretBeyondEOL = false;
        FMemo.SetSelection(p.Start, p.Start + p.Record->Len);
        FMemo.PerformText(SMM_INSERTTEXT, 0, "");
    }

    void deleteLastWord()
    {
        if (FMemo.FReadOnly)
            return;
        // With no word before the caret there is nothing to delete; the command must not fall
        // through to deleting the character after it.
        int start = FMemo.WordLeft();
        if (start < 0 || start == FMemo.FCaret)
            return;
        FMemo.inUndoGroup(ugDeleteWord, [this] {
            TScopeGuard update = FMemo.linesUpdateScope();
            FMemo.FChangeBits |= CHANGE_CLIPBOARD | CHANGE_TEXT | CHANGE_SELECTION;
            FMemo.ExecuteCommand(ecWordLeft, 0, true);
            FMemo.ExecuteCommand(ecDeleteChar, 0, false);
        });
    }

    TCustomCodeMemo& FMemo;
    const bool FExtend;
};

void TCustomCodeMemo::ExecuteCommand(int command, int, bool extend)
{
    CommandRunner(*this, extend).Run(command);
}

// ---------------------------------------------------------------- word starts

int TCustomCodeMemo::WordLeft()
{
    if (FCaret <= 0)
        return -1;
    auto isWord = [this](char c) { return c != '\0' && (CharIsInWord(c) || CharStartsWord(c)); };
    TextWalker walker(*this, FCaret);
    // Over the gap between the caret and the word before it, then over that word.
    while (walker.Offset() > 0 && !isWord(walker.Before()))
        walker.Back();
    if (walker.Offset() == 0)
        return -1;
    while (walker.Offset() > 0 && isWord(walker.Before()))
        walker.Back();
    return walker.Offset();
}

int TCustomCodeMemo::WordRight()
{
    if (FCaret >= FTextLength)
        return -1;
    auto isWord = [this](char c) { return c != '\0' && (CharIsInWord(c) || CharStartsWord(c)); };
    TextWalker walker(*this, FCaret);
    if (walker.At() != '\0' && CharStartsWord(walker.At()))
        walker.Forward();
    while (walker.Offset() < FTextLength && isWord(walker.At()))
        walker.Forward();
    while (walker.Offset() < FTextLength && !isWord(walker.At()))
        walker.Forward();
    return walker.Offset();
}
