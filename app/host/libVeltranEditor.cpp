// The routines of libVeltran that drive controls: the focused control's edit commands, find and replace in the editor, the tag around its caret, and the shell.
#include "app/model/libVeltran.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/model/RangeEdits.h"
#include "editor/model/Undo.h"
#include "platform/Controls.h"
#include "platform/FindDialog.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/core/ScopeGuard.h"

bool ReplaceAllActive = false;

namespace {

// ---- the focused control

void performOnFocused(UINT msg, WPARAM wParam, LPARAM lParam)
{
    QWidget* focused = QApplication::focusWidget();
    if (auto* memo = dynamic_cast<TCustomCodeMemo*>(focused))
        memo->Perform(msg, wParam, lParam);
    else
        PerformEditMessage(focused, msg, wParam, lParam);
}

// ---- the editor through its messages

TSelectionRange selectionOf(TCustomCodeMemo& editor)
{
    TSelectionRange range{0, 0};
    editor.PerformSelection(0, range);
    return range;
}

void select(TCustomCodeMemo& editor, int start, int end, WPARAM flags = SMM_SET)
{
    TSelectionRange range{start, end};
    editor.PerformSelection(flags, range);
}

TScopeGuard linesUpdate(TCustomCodeMemo& editor)
{
    editor.Lines().BeginUpdate();
    return TScopeGuard([&editor] { editor.Lines().EndUpdate(); });
}

// How one request searches and whether it replaces.
struct TRequest {
    bool down;
    bool matchCase;
    bool wholeWord;
    bool replacing;
};

TRequest requestOf(TCustomCodeMemo& editor, uint32_t options, const std::string& replacement)
{
    TRequest r{};
    r.down = (options & frDown) != 0;
    r.matchCase = (options & frMatchCase) != 0;
    r.wholeWord = (options & frWholeWord) != 0;
    // Find only searches, even with a match selected; an empty replacement with no request bit is a
    // search too, while Replace with an empty replacement deletes the match.
    if (options & (frReplace | frReplaceAll))
        r.replacing = true;
    else
        r.replacing = !(options & frFindNext) && !replacement.empty();
    // The editor takes a program's replacement even when the user may not change the text.
    if (editor.ReadOnly())
        r.replacing = false;
    return r;
}

TTextFinder finderFor(TCustomCodeMemo& editor, std::string_view text, const std::string& findText, const TRequest& r)
{
    return TTextFinder(text, findText, r.matchCase, r.wholeWord, [&editor](char c) { return editor.CharIsInWord(c); });
}

// The ordered selection, after putting the caret at the start of the text when nothing is selected.
TTextRange startingSelection(TCustomCodeMemo& editor)
{
    TSelectionRange selection = selectionOf(editor);
    if (selection.Start == selection.End) {
        select(editor, 0, 0);
        return {0, 0};
    }
    return {std::min(selection.Start, selection.End), std::max(selection.Start, selection.End)};
}

bool isMatchAt(const TTextFinder& finder, TTextRange range)
{
    return range.End - range.Start == finder.PatternLength() && finder.Forward(range.Start) == range.Start;
}

void searchFailed()
{
    MessageBeep(MB_ICONEXCLAMATION);
    ReplaceAllActive = false;
}

} // namespace

// ---------------------------------------------------------------- the focused control

void EditUndo()
{
    performOnFocused(EM_UNDO, 0, 0);
}

void EditCopy()
{
    performOnFocused(WM_COPY, 0, 0);
}

void EditCut()
{
    performOnFocused(WM_CUT, 0, 0);
}

void EditPaste()
{
    performOnFocused(WM_PASTE, 0, 0);
}

void EditSelectAll()
{
    performOnFocused(EM_SETSEL, 0, -1);
}

// ---------------------------------------------------------------- find and replace

void FindReplaceText(TCustomCodeMemo& editor, uint32_t options, const std::string& findText,
                     const std::string& replacement)
{
    if (findText.empty())
        return;
    const TRequest request = requestOf(editor, options, replacement);
    const TTextRange selection = startingSelection(editor);
    std::string text;
    std::optional<TTextFinder> finder;
    int from = 0;
    {
        TScopeGuard update = linesUpdate(editor);
        text = editor.StoredText();
        finder.emplace(finderFor(editor, text, findText, request));
        const bool onMatch = isMatchAt(*finder, selection);
        if (onMatch && request.replacing) {
            editor.PerformText(EM_REPLACESEL, 1, replacement.c_str());
            const TSelectionRange after = selectionOf(editor);
            // Upward, the search goes on before the new text, which may hold the find text itself.
            from = request.down ? after.End : selection.Start;
            text = editor.StoredText();
            finder.emplace(finderFor(editor, text, findText, request));
        } else {
            from = onMatch && request.down ? selection.End : selection.Start;
        }
    }
    const int at = request.down ? finder->Forward(from) : finder->Backward(from);
    if (at < 0) {
        searchFailed();
        return;
    }
    select(editor, at, at + finder->PatternLength());
    editor.Perform(EM_SCROLLCARET, 0, 0);
}

void ReplaceAllText(TCustomCodeMemo& editor, uint32_t options, const std::string& findText,
                    const std::string& replacement)
{
    ReplaceAllActive = true;
    if (findText.empty() || editor.ReadOnly()) {
        searchFailed();
        return;
    }
    const TRequest request = requestOf(editor, options, replacement);
    const TTextRange selection = startingSelection(editor);
    const std::string text = editor.StoredText();
    const TTextFinder finder = finderFor(editor, text, findText, request);
    const int length = finder.PatternLength();

    // Every match in one pass over the text, in the order the replacements would be made one by one.
    std::vector<int> matches;
    if (isMatchAt(finder, selection))
        matches.push_back(selection.Start);
    if (request.down) {
        int from = matches.empty() ? selection.Start : selection.End;
        for (int at; (at = finder.Forward(from)) >= 0; from = at + length)
            matches.push_back(at);
    } else {
        for (int at, to = selection.Start; (at = finder.Backward(to)) >= 0; to = at)
            matches.push_back(at);
    }

    if (!matches.empty()) {
        // Made at once, from the start of the text on, each range where the text before the run has it.
        std::vector<int> ascending = matches;
        if (!request.down)
            std::reverse(ascending.begin(), ascending.end());
        TRangeEdits edits;
        for (int start : ascending)
            edits.Add(start, length, replacement);
        // The step ends with the caret placed below, so that its redo puts the caret there too.
        TUndoGroupScope step(editor.UndoRecorder(), ugReplaceAll);
        const TUndoStack* const log = editor.UndoStack();
        const size_t made = static_cast<size_t>(editor.ReplaceMatches(edits));
        if (made == 0)
            return;
        // Another document that came into the editor meanwhile stopped the run and keeps its own caret.
        if (editor.UndoStack() != log) {
            ReplaceAllActive = false;
            return;
        }
        // The caret ends after the replacement made last when going one by one: downward the last
        // one, upward the first. Stopped half-way, after the last one made.
        const size_t last = request.down || made < edits.Count() ? made - 1 : 0;
        const int caret = static_cast<int>(edits.Start(last) + edits.Shifts()[last] + edits.NewLength(last));
        select(editor, caret, caret);
        // Stopped by the user: no search ran out of matches, so there is nothing to beep about.
        if (made < edits.Count()) {
            ReplaceAllActive = false;
            return;
        }
    }
    // As one by one, the run ends with the search that finds nothing more.
    searchFailed();
}

// ---------------------------------------------------------------- the tag around the caret

void SelectTagBlock(TCustomCodeMemo& editor, bool wholeElement)
{
    const int caret = selectionOf(editor).End;
    const int line = static_cast<int>(editor.Perform(EM_LINEFROMCHAR, caret, 0));
    auto lineStart = [&editor](int index) { return static_cast<int>(editor.Perform(EM_LINEINDEX, index, 0)); };
    TCodeMemoStrings& lines = editor.Lines();
    TTextPoint start, end;
    if (!FindTagBlock([&lines](int index) { return lines.Get(index); }, lines.Count(),
                      TTextPoint{line, caret - lineStart(line)}, wholeElement, start, end))
        return;
    select(editor, lineStart(start.Line) + start.Column, lineStart(end.Line) + end.Column);
    editor.Perform(EM_SCROLLCARET, 0, 0);
}

// ---------------------------------------------------------------- the shell
