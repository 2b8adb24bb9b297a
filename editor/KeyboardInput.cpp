// Keyboard input of the editor control: key-downs, typed characters with overwrite and auto-indent, Tab filling.
#include <algorithm>
#include <string>

#include "editor/CodeMemo.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Undo.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Index of the first character that is neither blank nor TAB; the record's length when there is none.
int firstNonBlank(const TLineRecord* record)
{
    int i = 0;
    while (i < record->Len && isBlank(record->Text[i]))
        ++i;
    return i;
}

// True when the record holds nothing but blanks, TABs and its line break.
bool blankRecord(const TLineRecord* record)
{
    int i = firstNonBlank(record);
    return i == record->Len || (i == record->Len - 1 && record->Text[i] == '\r');
}

} // namespace

// ---------------------------------------------------------------- key-downs

void TCustomCodeMemo::BuildCommandKeySet()
{
    FKeys.CommandKeys = ::BuildCommandKeySet(FSettings->KeyController());
}

void TCustomCodeMemo::CommandRecognised(int32_t& actionCode)
{
    // The bit that marks a change made by the user's hand: keys, commands, cut and paste.
    FChangeBits |= CHANGE_CLIPBOARD;
    int code = actionCode;
    if (OnCommandRecognised)
        OnCommandRecognised(this, code);
    actionCode = code;
    ExecuteCommand(code, 0, FKeys.ExtendSelection);
    FKeys.KeyHandled = true;
}

void TCustomCodeMemo::KeyDown(uint16_t& key, TShiftState shift)
{
    FKeys.KeyHandled = false;
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    FChangeBits |= CHANGE_CLIPBOARD;
    // A key the application's handler took is gone; as no stroke, it must not end a pending
    // two-stroke binding either.
    if (key == 0)
        return;
    if (TemplateKey(key, shift)) {
        FKeys.KeyHandled = true;
        key = 0;
        return;
    }
    AutoReplaceKey(key, shift);
    FKeys.ExtendSelection = (shift & ssShift) != 0;
    // For the keys of moves Shift means "extend", not a binding of its own.
    if (key < 256 && FKeys.CommandKeys.Contains(static_cast<uint8_t>(key)))
        shift &= ~ssShift;
    // The editors of one language share its key controller; the stroke's command is this one's.
    ClaimSettingsObjects();
    FSettings->KeyController().ProcessKey(key, shift, FKeys.KeyHandled);
    if (FKeys.KeyHandled)
        key = 0;
}

void TCustomCodeMemo::KeyUp(uint16_t& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

// ---------------------------------------------------------------- characters

void TCustomCodeMemo::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
    if (!isEnabled() || !(focusPolicy() & Qt::TabFocus)) {
        FKeys.KeyHandled = false;
        return;
    }
    if (!FKeys.KeyHandled) {
        FChangeBits |= CHANGE_CLIPBOARD;
        const auto code = static_cast<unsigned char>(key);
        const uint32_t options = FSettings->Options;
        if (code >= 32 && code != 127) {
            InsertTypedChar(key);
        } else if (code == '\r') {
            if (WantReturns) {
                InsertTypedChar('\r');
                key = 0;
            }
        } else if (code == '\n') {
            // Ctrl+Enter: the line break of a control whose Enter belongs to its dialog.
            if (!WantReturns)
                InsertTypedChar('\r');
        } else if (code == '\t') {
            if ((options & OptionBit(smoTabToColumn)) && !(options & OptionBit(smoWordWrap)))
                TabToColumn();
            else if (options & OptionBit(smoUseTAB))
                InsertTypedChar('\t');
            else
                TabToColumn();
        }
    }
    if (FKeys.KeyHandled)
        key = 0;
    FKeys.KeyHandled = false;
    MakeOffsetVisible(FCaret);
    UpdateScrollBars();
    Change();
    Paint();
}

void TCustomCodeMemo::InsertTypedChar(char ch)
{
    if (FReadOnly)
        return;
    const bool enter = ch == '\r';
    const bool autoIndent = enter && (FSettings->Options & OptionBit(smoAutoIndent));
    inUndoGroup(ugTyping, [&] {
        TTextRange selection = OrderedSelection();
        FChangeBits |= CHANGE_SELECTION | CHANGE_CLIPBOARD | CHANGE_TEXT;

        // The indent of the new line, from the line the break goes into: its leading blanks up to
        // where the break goes; none when the break goes before a line's first non-blank character.
        int indent = -1;
        int line = 0, start = 0;
        if (autoIndent) {
            TLineRecord* record = LocateOffset(selection.Start, line, start);
            int index = record ? selection.Start - start : 0;
            if (!record || (index >= record->Len && record->EndsWithCR())) {
                // An empty text, or the empty line after a final line break.
                indent = 0;
            } else {
                int n = std::min(firstNonBlank(record), index);
                if (n == record->Len || n >= 1 || record->Text[n] == '\r')
                    indent = IndexToColumn(n, record);
            }
        }

        // Overwriting replaces the character under the caret, but never a line break.
        if (!FKeys.InsertMode && !enter && selection.Start == selection.End && FCaret < FTextLength) {
            TLineRecord* record = LocateOffset(FCaret, line, start);
            if (record && FCaret - start < record->Len && record->Text[FCaret - start] != '\r')
                SetSelection(FCaret, FCaret + 1);
        }

        // The break goes in quietly when the indent follows at once and nothing needs re-wrapping.
        const bool quiet = autoIndent && !WordWrap();
        const char text[2] = {ch, '\0'};
        PerformText(SMM_INSERTTEXT, quiet ? WPARAM{SMM_NOREDRAW} : WPARAM{0}, text);

        bool filled = false;
        if (autoIndent && indent >= 0) {
            TLineRecord* record = LocateOffset(FCaret, line, start);
            // The line the break ended: the last record when the new line is the empty one after it.
            TLineRecord* previous = !record ? nullptr : FCaret - start >= record->Len ? record : record->Prev;
            if (previous && indent == 0 && FKeys.HomeCount == 0) {
                // An empty line takes the indent of the nearest line above that holds text.
                TLineRecord* above = previous;
                while (above && blankRecord(above))
                    above = above->Prev;
                if (above)
                    indent = IndexToColumn(firstNonBlank(above), above);
            }
            if (previous && indent > 0) {
                std::string fill = FillToColumn(0, indent);
                PerformText(SMM_INSERTTEXT, 0, fill.c_str());
                filled = true;
            }
        }
        if (quiet && !filled) {
            TSelectionRange range{FAnchor, FCaret};
            PerformSelection(SMM_SET, range);
        }
    });
    // Home right before Enter keeps the new lines at column 0 until something else is typed.
    if (!enter)
        FKeys.HomeCount = 0;
}

void TCustomCodeMemo::TabToColumn()
{
    if (FReadOnly)
        return;
    inUndoGroup(ugTyping, [&] {
        int line = 0, start = 0;
        TLineRecord* record = LocateOffset(FCaret, line, start);
        const int column = CaretAfterEOLActive() && FCaretBeyondEOL ? FWantedColumn : displayColumnOf(FCaret);
        int target = NextTabColumn(column);
        TLineRecord* above = !record ? nullptr : FCaret - start >= record->Len ? record : record->Prev;
        if (above && (FSettings->Options & OptionBit(smoTabToColumn))) {
            // The nearest line above that reaches past the caret's column decides: the next word
            // that starts in it after that column, or its end.
            for (TLineRecord* r = above; r; r = r->Prev) {
                int visible = r->Len - (r->EndsWithCR() ? 1 : 0);
                if (IndexToColumn(visible, r) <= column)
                    continue;
                int i = ColumnToIndex(column, r);
                while (i < r->Len && !isBlank(r->Text[i]) && r->Text[i] != '\r')
                    ++i;
                while (i < r->Len && isBlank(r->Text[i]))
                    ++i;
                int decided = IndexToColumn(i < r->Len ? i : r->Len - 1, r);
                // A line ending right at the caret gives no column to go to: the tab stop stays.
                if (decided > column)
                    target = decided;
                break;
            }
        }
        std::string fill = FillToColumn(column, target);
        PerformText(SMM_INSERTTEXT, 0, fill.c_str());
    });
}
