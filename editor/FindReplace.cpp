// Find and replace in the editor control: SMM_FIND, SMM_REPLACE, the dialogs' requests, replace all and the public search calls.
//
// Every search reads the text through one cursor, placed afresh before each search because it does
// not follow edits. Plain searches run BMSearch, regular expressions the control's TREParser.
// A search that goes on from a match starts past it: forward one character after its start,
// backward before its start, so that no run meets the same match twice and every run ends.
// Replace all collects its matches on the unchanged text first and replaces them at once
// (ReplaceMatches): the text is rewritten in one pass per batch of matches, from the first on, and
// the undo log gets one record for the whole run; the recorded positions thus stay right whichever
// way the search went.
#include <QApplication>
#include <algorithm>
#include <optional>

#include "editor/CodeMemo.h"
#include "editor/CodeMemoUndo.h"
#include "editor/model/RangeEdits.h"
#include "editor/model/Replacement.h"
#include "editor/model/Undo.h"
#include "platform/MessageBox.h"
#include "platform/core/SysUtils.h"

namespace {

// Search texts are cut to what the engines take: a pattern program and the skip tables' reach.
constexpr size_t kRegExprCut = 254;
constexpr size_t kPlainCut = 79;
// The selection offered as a dialog's find text.
constexpr size_t kDialogTextCut = 80;
constexpr size_t kMaxTokenLength = 4096;

// Matches found between two looks for Escape in a search for every match: a look costs a clock reading.
constexpr size_t kMatchesBetweenChecks = 64;

constexpr int kAskReplace = 4401;
constexpr int kNotFound = 4403;
constexpr int kSearchedString = 4404;

} // namespace

void TSearchState::TDialogDeleter::operator()(QDialog* dialog) const
{
    // The dialog may be the one whose event is running: it goes once that event is over.
    dialog->hide();
    dialog->deleteLater();
}

// One search request of the control, with the state it keeps between requests.
class TCustomCodeMemo::FindReplace {
public:
    explicit FindReplace(TCustomCodeMemo& memo) : FMemo(memo), FState(memo.FSearch), FRE(memo.FREParser)
    {
        FRE.SetStopCheck([watch = &FState.Watch] { return watch->StopRequested(); });
    }

    // Every search runs watched: one that runs long shows the busy cursor and stops on Escape.
    TScopeGuard watched()
    {
        FState.Watch.Begin();
        return TScopeGuard([this] { FState.Watch.End(); });
    }

    // ---- SMM_FIND and SMM_REPLACE

    int directSearch(int flags, const char* text)
    {
        TScopeGuard watch = watched();
        FMemo.SearchFlags = flags;
        FState.IsRegExpr = (flags & smsRegExpr) != 0;
        const int length = FMemo.TextLength();
        const bool repeatBefore = std::exchange(FState.RepeatBefore, false);
        if (length == 0)
            return -1;
        std::string pattern = text ? text : "";
        pattern.resize(std::min(pattern.size(), FState.IsRegExpr ? kRegExprCut : kPlainCut));
        FMemo.SearchText = pattern;
        // Nothing is looked for, so nothing is found.
        if (pattern.empty())
            return -1;
        const TTextRange selection = FMemo.OrderedSelection();
        const bool backward = (flags & smsBackward) != 0;
        if ((backward && selection.Start == 0) || (!backward && selection.End >= length))
            return -1;
        if (FState.IsRegExpr) {
            try {
                // A repeat going backward from a match starts before it.
                const int from = selection.End - (backward && repeatBefore ? 1 : 0);
                if (FRE.Compile(pattern) && FRE.Match(streamAt(from), !backward)) {
                    const int start = FRE.MatchEntry(0);
                    select(start, FRE.MatchEntry(FRE.ElementCount()), true);
                    FState.LastFoundPos = start;
                    rememberMatch(start, FRE.MatchEntry(FRE.ElementCount()));
                    return start;
                }
                if (FRE.ErrorCode() != 0)
                    FMemo.ShowRegExprError(pattern);
            } catch (const ERegExprError&) {
                FMemo.ShowRegExprError(pattern);
            }
            return -1;
        }
        const int at = plainSearch(selection.Start, (flags & smsWholeWord) != 0, (flags & smsMatchCase) != 0, backward,
                                   pattern);
        if (at >= length)
            return -1;
        rememberMatch(at, at + static_cast<int>(pattern.size()));
        return at;
    }

    int dialogSearch(int flags, const char* text)
    {
        FMemo.SearchFlags = flags;
        FState.IsRegExpr = (flags & smsRegExpr) != 0;
        if (FMemo.TextLength() == 0)
            return -1;
        if (!FState.FindDialog) {
            FState.FindDialog.reset(new TFindDialog(&FMemo));
            FState.FindDialog->SetOptions(frDown | ((flags & smsMatchCase) ? frMatchCase : TFindOptions(0)));
            FState.FindDialog->OnFind = [memo = &FMemo](TFindDialog* dialog) { memo->FindDialogFind(dialog); };
        }
        FState.FindDialog->SetFindText(text ? std::string(text) : selectionForDialog());
        FState.LastFoundPos = -1;
        recordDialogSearch(*FState.FindDialog);
        FState.ReplaceDialog.reset();
        FState.FindDialog->Execute();
        return -1;
    }

    void openReplaceDialog(int flags)
    {
        FState.IsRegExpr = (flags & smsRegExpr) != 0;
        if (!FState.ReplaceDialog) {
            FState.ReplaceDialog.reset(new TReplaceDialog(&FMemo));
            FState.ReplaceDialog->SetOptions(frDown | ((flags & smsMatchCase) ? frMatchCase : TFindOptions(0)));
            FState.ReplaceDialog->OnFind = [memo = &FMemo](TFindDialog* dialog) { memo->FindDialogFind(dialog); };
            FState.ReplaceDialog->OnReplace = [memo = &FMemo](TReplaceDialog* dialog) {
                memo->ReplaceDialogReplace(dialog);
            };
        }
        FState.ReplaceDialog->SetFindText(selectionForDialog());
        recordDialogSearch(*FState.ReplaceDialog);
        FState.LastFoundPos = -1;
        FState.FindDialog.reset();
        FState.ReplaceDialog->Execute();
    }

    // ---- FindNext

    bool findNext(int& pos)
    {
        TScopeGuard watch = watched();
        const std::string& text = FMemo.SearchText;
        if (text.empty())
            return false;
        // A repeat searches at once, whatever the last request showed.
        const int flags = FMemo.SearchFlags | smsDirect;
        const bool backward = (flags & smsBackward) != 0;
        const bool regExpr = (flags & smsRegExpr) != 0;
        std::optional<TTextRange> past = matchToStepPast();
        TScopeGuard restore;
        if (past) {
            int from = 0;
            if (!backward) {
                from = past->Start + 1;
            } else if (regExpr) {
                if (past->Start == 0)
                    return reportFailure();
                // The search then starts one before the caret.
                from = past->Start;
                FState.RepeatBefore = true;
            } else {
                // A plain search backward takes matches that end by its start.
                from = past->End - 1;
            }
            restore = TScopeGuard([this, anchor = FMemo.Anchor(), caret = FMemo.Caret()] { select(anchor, caret, false); });
            select(from, from, false);
        }
        const int errors = FState.ErrorsShown;
        const LRESULT result = FMemo.Perform(SMM_FIND, static_cast<WPARAM>(flags), reinterpret_cast<LPARAM>(text.c_str()));
        if (result == -1) {
            restore.End();
            // An expression that did not compile has been shown already; it found nothing to report.
            if (FState.ErrorsShown != errors)
                return false;
            return reportFailure();
        }
        restore.Dismiss();
        const int start = regExpr ? FRE.MatchEntry(0) : static_cast<int>(result);
        const int end = regExpr ? FRE.MatchEntry(FRE.ElementCount()) : start + static_cast<int>(text.size());
        select(start, end, true);
        rememberMatch(start, end);
        pos = start;
        return true;
    }

    // ---- every match at once

    std::vector<TTextRange> matchesFrom(int from)
    {
        std::vector<TTextRange> matches;
        const std::string& pattern = FMemo.SearchText;
        const int flags = FMemo.SearchFlags;
        const int length = FMemo.TextLength();
        if (pattern.empty() || (flags & smsBackward))
            return matches;
        TScopeGuard watch = watched();
        const bool regExpr = (flags & smsRegExpr) != 0;
        try {
            if (regExpr && !FRE.Compile(pattern))
                return matches;
            // Each search starts one character past the start of the match before, as FindNext goes
            // on from a caret put there; the loop asks for Escape now and then, a regular
            // expression's match itself too.
            for (int pos = std::max(from, 0); pos < length;) {
                if (matches.size() % kMatchesBetweenChecks == 0 && FState.Watch.StopRequested())
                    break;
                TTextRange match;
                if (regExpr) {
                    if (!FRE.Match(streamAt(pos), true))
                        break;
                    match = {FRE.MatchEntry(0), FRE.MatchEntry(FRE.ElementCount())};
                } else {
                    const int at = plainSearch(pos, (flags & smsWholeWord) != 0, (flags & smsMatchCase) != 0, false,
                                               pattern);
                    if (at >= length)
                        break;
                    match = {at, at + static_cast<int>(pattern.size())};
                }
                matches.push_back(match);
                pos = match.Start + 1;
            }
        } catch (const ERegExprError&) {
            // It compiled for the first match; a failure now ends the search with what it found.
        }
        return matches;
    }

    // ---- the dialogs' requests

    // The dialog's text and options become the last search, which find next and marking every match
    // repeat: as the dialog shows them, so that a repeat finds what the dialog finds.
    void recordDialogSearch(const TFindDialog& dialog)
    {
        FMemo.SearchText = dialog.FindText();
        FMemo.SearchFlags = SearchFlagsOf(dialog.Options(), FState.IsRegExpr);
    }
    // The user searched through the dialog: the last search, and its watcher told.
    void dialogSearched(const TFindDialog& dialog)
    {
        recordDialogSearch(dialog);
        if (FMemo.OnDialogSearch)
            FMemo.OnDialogSearch(&FMemo);
    }

    void findFromDialog(TFindDialog& dialog)
    {
        TScopeGuard watch = watched();
        dialogSearched(dialog);
        const std::string pattern = FMemo.SearchText;
        const TFindOptions options = dialog.Options();
        const bool down = (options & frDown) != 0;
        const TTextRange selection = FMemo.OrderedSelection();
        const int length = FMemo.TextLength();
        if (pattern.empty() || (!down && selection.Start == 0) || (down && selection.End >= length)) {
            FMemo.SearchFailed(pattern);
            FMemo.Change();
            return;
        }
        // The selection still starting at the last match means the user goes on from that match; so
        // does a selection that is the plain text searched for (the dialog opened over it, as a rule).
        const bool fromLast = FState.LastFoundPos == selection.Start ||
                              (!FState.IsRegExpr && selectionIs(selection, pattern, (options & frMatchCase) != 0));
        if (FState.IsRegExpr) {
            // Backward, a match must end by the selection start; searching from just before it
            // keeps an empty match at the start from ending the search.
            int from = selection.Start - 1;
            if (down)
                from = fromLast ? std::max(selection.End, selection.Start + 1) : selection.End;
            std::optional<TTextRange> match;
            if (regExprSearch(pattern, from, down, down ? length : selection.Start, match)) {
                if (match) {
                    select(match->Start, match->End, true);
                    FState.LastFoundPos = match->Start;
                } else {
                    FMemo.SearchFailed(pattern);
                }
            }
        } else {
            int from = selection.Start;
            if (fromLast)
                from = down ? selection.Start + 1 : selection.End - 1;
            const int at = plainSearch(from, (options & frWholeWord) != 0, (options & frMatchCase) != 0, !down, pattern);
            if (at >= length) {
                FMemo.SearchFailed(pattern);
            } else {
                select(at, at + static_cast<int>(pattern.size()), true);
                FState.LastFoundPos = at;
            }
        }
        FMemo.Change();
    }

    void replaceFromDialog(TReplaceDialog& dialog)
    {
        TScopeGuard watch = watched();
        const TFindOptions options = dialog.Options();
        if (options & frFindNext)
            findFromDialog(dialog);
        else
            dialogSearched(dialog);
        if (!(options & (frReplace | frReplaceAll)))
            return;
        // The user may search a read-only text but not change it.
        if (FMemo.ReadOnly()) {
            QApplication::beep();
            return;
        }
        const std::string pattern = dialog.FindText();
        const std::string replacement = dialog.ReplaceText();
        const bool down = (options & frDown) != 0;
        const bool wholeWord = (options & frWholeWord) != 0;
        const bool matchCase = (options & frMatchCase) != 0;
        // The run takes in the selection, so that a match just found is replaced too.
        const TTextRange selection = FMemo.OrderedSelection();
        FState.LastFoundPos = down ? selection.Start : selection.End;
        if (pattern.empty()) {
            FMemo.SearchFailed(pattern);
            return;
        }
        if (options & frReplaceAll) {
            if (FState.IsRegExpr)
                replaceAllRegExpr(FState.LastFoundPos, down, pattern, replacement);
            else
                replaceAllText(FState.LastFoundPos, down, wholeWord, matchCase, pattern, replacement);
            return;
        }
        if (FState.IsRegExpr)
            confirmRegExpr(dialog, down, pattern, replacement);
        else
            confirmText(dialog, down, wholeWord, matchCase, pattern, replacement);
    }

    // ---- the rest of the interface

    void tokenAt(int pos, int& tokenStart, std::string& tokenText)
    {
        tokenStart = pos;
        tokenText.clear();
        if (pos < 0 || pos >= FMemo.TextLength())
            return;
        int recordStart = 0;
        const TLineRecord* record = FMemo.recordHolding(pos, recordStart);
        if (!record || !record->Styles || pos - recordStart >= record->Len)
            return;
        TStyledRun run = StyledRunAround(record, pos - recordStart, kMaxTokenLength);
        tokenStart = pos - run.Before;
        tokenText = std::move(run.Text);
    }

    std::string expand(const std::string& text)
    {
        return ::ExpandReplacement(text, [this](int n) -> std::string {
            // Entries past the last match's count are left over from earlier matches.
            if (n > FRE.ElementCount())
                return {};
            const int from = FRE.MatchEntry(n - 1);
            const int to = FRE.MatchEntry(n);
            return from < to ? FMemo.StoredText(from, to) : std::string();
        });
    }

private:
    // A replacement collected on the unchanged text.
    struct TReplacement {
        std::string Text;
        int Start;
        int Length;
    };

    TEdStream& streamAt(int pos)
    {
        if (!FState.Stream)
            FState.Stream = std::make_unique<TEdStream>(&FMemo);
        pos = std::clamp(pos, 0, FMemo.TextLength());
        int recordStart = 0;
        if (TLineRecord* record = FMemo.recordHolding(pos, recordStart))
            FState.Stream->Reset(record, pos - recordStart, recordStart);
        else
            FState.Stream->Reset(nullptr, 0, 0);
        return *FState.Stream;
    }

    void select(int anchor, int caret, bool redraw)
    {
        TSelectionRange range{anchor, caret};
        FMemo.Perform(SMM_SELECTION, SMM_SET | (redraw ? WPARAM(0) : SMM_NOREDRAW), reinterpret_cast<LPARAM>(&range));
    }

    void rememberMatch(int start, int end)
    {
        FState.LastMatch = {start, end};
        FState.SelectionAfterMatch = {FMemo.Anchor(), FMemo.Caret()};
    }

    // The match FindNext goes on from: the selection when it is the last match or the search text,
    // or the last match when a plain search left the selection where it was.
    std::optional<TTextRange> matchToStepPast()
    {
        const TTextRange selection = FMemo.OrderedSelection();
        if (selection.End > selection.Start) {
            if (selection == FState.LastMatch)
                return selection;
            if (selectionIs(selection, FMemo.SearchText, false))
                return selection;
        }
        if (FState.LastMatch.Start >= 0 && FState.LastMatch.End <= FMemo.TextLength() &&
            FState.SelectionAfterMatch == TTextRange{FMemo.Anchor(), FMemo.Caret()})
            return FState.LastMatch;
        return std::nullopt;
    }

    // The selected text is `text`, in its letter case or not.
    bool selectionIs(TTextRange selection, const std::string& text, bool matchCase)
    {
        if (static_cast<size_t>(selection.End - selection.Start) != text.size() || text.empty())
            return false;
        const std::string selected = FMemo.StoredText(selection.Start, selection.End);
        return matchCase ? selected == text : AnsiSameText(selected, text);
    }

    bool reportFailure()
    {
        FMemo.SearchFailed(FMemo.SearchText);
        return false;
    }

    std::string selectionForDialog()
    {
        const TTextRange selection = FMemo.OrderedSelection();
        if (selection.End == selection.Start || FState.IsRegExpr)
            return {};
        // Only the first characters are offered; the whole of a large selection is never built.
        std::string text = FMemo.StoredText(selection.Start, std::min(selection.End, selection.Start + int(kDialogTextCut)));
        std::string withLineEnds;
        for (char c : text) {
            if (c == '\r')
                withLineEnds += "\r\n";
            else
                withLineEnds += c;
        }
        withLineEnds.resize(std::min(withLineEnds.size(), kDialogTextCut));
        return withLineEnds;
    }

    int plainSearch(int start, bool wholeWord, bool matchCase, bool backward, const std::string& pattern)
    {
        // Limit: a match may cover the last character.
        return BMSearch([this](char c) { return FMemo.CharIsInWord(c); },
                        [this](char c) { return FMemo.CharStartsWord(c); }, streamAt(start), FMemo.TextLength() - 1,
                        FMemo.FSkipTable, wholeWord, matchCase, backward, start, pattern);
    }

    // Compiles `pattern` and looks for a match of at least one character from `from` in the
    // direction; backward only one that ends by `bound`. An empty match does not end the search: it
    // goes on from the next position, where a longer match may start. False after showing an error;
    // true with the match, or with none when there is none or the user stopped the search.
    bool regExprSearch(const std::string& pattern, int from, bool down, int bound, std::optional<TTextRange>& match)
    {
        match.reset();
        try {
            if (!FRE.Compile(pattern)) {
                FMemo.ShowRegExprError(pattern);
                return false;
            }
            for (;;) {
                if (from < 0 || !FRE.Match(streamAt(from), down))
                    return true;
                const int start = FRE.MatchEntry(0);
                const int end = FRE.MatchEntry(FRE.ElementCount());
                if (end - start < 1) {
                    if (down && start >= FMemo.TextLength())
                        return true;
                    from = down ? start + 1 : start - 1;
                    continue;
                }
                if (down || end <= bound) {
                    match = TTextRange{start, end};
                    return true;
                }
                // Reaching into what lies past the bound: look further back.
                from = start - 1;
            }
        } catch (const ERegExprError&) {
            FMemo.ShowRegExprError(pattern);
            return false;
        }
    }

    int askReplace(TFindDialog& dialog, const std::string& found, const std::string& replacement)
    {
        const TPoint at = dialog.Position();
        return MessageBox(&FMemo, FmtLoadStr(kAskReplace, found.c_str(), replacement.c_str()), {},
                          MB_YESNOCANCELALL | MB_ICONQUESTION, TPoint{at.X - 10, at.Y - 10});
    }

    void insert(const std::string& text, bool redraw)
    {
        FMemo.Perform(SMM_INSERTTEXT, redraw ? WPARAM(0) : SMM_NOREDRAW, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // Each match is shown and asked about; a replacement is an undo step of its own. All replaces
    // the rest at once.
    void confirmRegExpr(TFindDialog& dialog, bool down, const std::string& pattern, const std::string& replacement)
    {
        int bound = FState.LastFoundPos;
        int from = down ? bound : bound - 1;
        for (;;) {
            std::optional<TTextRange> match;
            if (!regExprSearch(pattern, from, down, bound, match))
                return;
            if (!match) {
                FMemo.SearchFailed(pattern);
                return;
            }
            select(match->Start, match->End, true);
            FState.LastFoundPos = match->End;
            const std::string expanded = expand(replacement);
            const int answer = askReplace(dialog, pattern, expanded);
            if (answer == IDCANCEL)
                return;
            if (answer == IDYES || answer == IDALL) {
                select(match->Start, match->End, false);
                insert(expanded, true);
            }
            FState.LastFoundPos = FMemo.Caret();
            from = down ? FMemo.Caret() : match->Start - 1;
            bound = match->Start;
            if (answer == IDALL) {
                replaceAllRegExpr(down ? from : bound, down, pattern, replacement);
                return;
            }
        }
    }

    void confirmText(TFindDialog& dialog, bool down, bool wholeWord, bool matchCase, const std::string& pattern,
                     const std::string& replacement)
    {
        int from = FState.LastFoundPos;
        for (;;) {
            const int at = plainSearch(from, wholeWord, matchCase, !down, pattern);
            if (at >= FMemo.TextLength()) {
                FMemo.SearchFailed(pattern);
                return;
            }
            const int end = at + static_cast<int>(pattern.size());
            select(at, end, true);
            FState.LastFoundPos = end;
            const int answer = askReplace(dialog, pattern, replacement);
            if (answer == IDCANCEL)
                return;
            if (answer == IDYES || answer == IDALL)
                insert(replacement, true);
            from = down ? FMemo.Caret() : at;
            FState.LastFoundPos = FMemo.Caret();
            if (answer == IDALL) {
                replaceAllText(from, down, wholeWord, matchCase, pattern, replacement);
                return;
            }
        }
    }

    void replaceAllRegExpr(int from, bool down, const std::string& pattern, const std::string& replacement)
    {
        TScopeGuard busy = hourglass();
        std::vector<TReplacement> list;
        const uint64_t searched = FMemo.TextChanges();
        // Backward, each match must end by the start of the one found before it.
        int bound = from;
        if (!down)
            --from;
        for (;;) {
            // Each match may be found in few steps: the loop asks too.
            if (FState.Watch.StopRequested())
                break;
            if (textChangedSince(searched))
                return;
            std::optional<TTextRange> match;
            if (!regExprSearch(pattern, from, down, bound, match))
                return;
            if (!match)
                break;
            list.push_back({expand(replacement), match->Start, match->End - match->Start});
            from = down ? match->End : match->Start - 1;
            bound = match->Start;
        }
        // Stopped while looking: nothing is replaced.
        if (FState.Watch.Stopped()) {
            FMemo.SearchFailed(pattern);
            return;
        }
        if (!down)
            std::reverse(list.begin(), list.end());
        apply(list, pattern);
    }

    void replaceAllText(int from, bool down, bool wholeWord, bool matchCase, const std::string& pattern,
                        const std::string& replacement)
    {
        TScopeGuard busy = hourglass();
        const int length = FMemo.TextLength();
        const int patternLength = static_cast<int>(pattern.size());
        std::vector<TReplacement> list;
        const uint64_t searched = FMemo.TextChanges();
        for (int pos = from;;) {
            if (FState.Watch.StopRequested()) {
                FMemo.SearchFailed(pattern);
                return;
            }
            if (textChangedSince(searched))
                return;
            const int at = plainSearch(pos, wholeWord, matchCase, !down, pattern);
            if (at >= length)
                break;
            list.push_back({replacement, at, patternLength});
            pos = down ? at + patternLength : at;
        }
        if (!down)
            std::reverse(list.begin(), list.end());
        apply(list, pattern);
    }

    // Replaces the collected ranges, in ascending order, as one undo group; the caret ends at the
    // start of the last replacement.
    void apply(const std::vector<TReplacement>& list, const std::string& pattern)
    {
        if (list.empty()) {
            FMemo.SearchFailed(pattern);
            return;
        }
        TRangeEdits edits;
        for (const TReplacement& r : list)
            edits.Add(r.Start, r.Length, r.Text);
        // Stopped half-way, the replacements made so far stay, as one undo step. When another document
        // came into the editor meanwhile, the caret there is that document's own. The step ends with
        // the caret placed below, so that its redo puts the caret there too.
        TScopeGuard step = FMemo.undoGroupScope(ugReplaceAll);
        const TUndoStack* const log = FMemo.UndoStack();
        const size_t made = static_cast<size_t>(FMemo.ReplaceMatches(edits));
        if (made == 0 || FMemo.UndoStack() != log)
            return;
        const std::vector<int64_t> shifts = edits.Shifts();
        FMemo.SetChangeBits(CHANGE_TEXT | CHANGE_SELECTION);
        FMemo.SetSelStart(static_cast<int>(edits.Start(made - 1) + shifts[made - 1]));
    }

    // Events handled while Escape was looked for changed the text, or put another document in the
    // editor (a program's request: user input waits): the matches found so far fit it no more, and
    // nothing is replaced.
    bool textChangedSince(uint64_t searched) const { return FMemo.TextChanges() != searched; }

    static TScopeGuard hourglass()
    {
        QApplication::setOverrideCursor(CursorOf(crHourGlass));
        return TScopeGuard([] { QApplication::restoreOverrideCursor(); });
    }

    TCustomCodeMemo& FMemo;
    TSearchState& FState;
    TREParser& FRE;
};

// ---------------------------------------------------------------- members of the control

namespace {

// Ranges per batch of a replace all: a batch is one pass over its part of the text, and Escape is
// looked for between batches.
size_t gReplaceBatch = 16384;

} // namespace

void TCustomCodeMemo::SetReplaceBatch(size_t ranges)
{
    gReplaceBatch = std::max<size_t>(1, ranges);
}

int TCustomCodeMemo::ReplaceMatches(const TRangeEdits& matches)
{
    if (matches.Empty() || !matches.Valid(FTextLength))
        return 0;
    TScopeGuard failed = editFailureScope();
    // A run still pending belongs to the edits before this one.
    highlightPending();
    FSearch.Watch.Begin();
    TScopeGuard watch([this] { FSearch.Watch.End(); });
    TScopeGuard group = undoGroupScope(ugReplaceAll);
    TScopeGuard update = linesUpdateScope();
    const size_t count = matches.Count();
    // One replacement in the log for the whole run, whatever the batches: its undo is one pass.
    logRangesStart();
    std::vector<std::string> oldTexts;
    size_t done = 0;
    int64_t growth = 0;
    const int64_t length = FTextLength;
    TUndoStack* const log = FUndoStack;
    const std::weak_ptr<const void> logAlive = log ? log->Lifetime() : std::weak_ptr<const void>();
    const TSelectionRange before{FAnchor, FCaret};
    while (done < count) {
        if (done > 0 && FSearch.Watch.StopRequested())
            break;
        // Events handled while Escape was looked for must not have changed the text or the document
        // under the run (user input waits, but a program's request may not); then it stops too.
        if (FTextLength != length + growth || FUndoStack != log)
            break;
        const size_t n = std::min(gReplaceBatch, count - done);
        TRangeEdits batch = matches.Slice(done, done + n, static_cast<int>(growth));
        ApplyRanges(batch);
        growth += batch.Growth();
        oldTexts.push_back(std::move(batch.OldTexts()));
        done += n;
    }
    TRangeEdits made = matches.Slice(0, done, 0);
    for (const std::string& text : oldTexts)
        made.OldTexts() += text;
    const std::vector<int64_t> shifts = made.Shifts();
    const size_t last = made.Count() - 1;
    const int lastEnd = static_cast<int>(made.Start(last) + shifts[last] + made.NewLength(last));
    // Another document came into the editor between batches (attaching its log dropped the run's
    // open record, also when this document came back): the batches made are this document's text,
    // and go into its log as one step, closing the group opened there. A log freed meanwhile went
    // with its document.
    const int firstStart = made.Start(0);
    if (log && !FUndo->Recorder().InTransaction() && !logAlive.expired())
        FUndo->Recorder().LogRangesInto(*log, before, made, {lastEnd, lastEnd}, ugReplaceAll);
    if (FUndoStack != log || FTextLength != length + growth) {
        // The text in the editor changed under the run: no record of the run fits it any more.
        if (FUndoStack == log)
            clearUndoLog();
        failed.Dismiss();
        return static_cast<int>(done);
    }
    // Colouring goes over the whole run from its first range: lines between batches, and lines the
    // slices coloured while Escape was looked for, would stop it half-way.
    if (oldTexts.size() > 1) {
        FHighlightStart = nullptr;
        restyleSpan(firstStart, lastEnd);
    }
    FAnchor = FCaret = lastEnd;
    logRangesEnd(std::move(made));
    FChangeBits |= CHANGE_TEXT | CHANGE_SELECTION;
    failed.Dismiss();
    return static_cast<int>(done);
}

int SearchFlagsOf(TFindOptions options, bool regExpr)
{
    return (regExpr ? smsRegExpr : 0) | ((options & frMatchCase) ? smsMatchCase : 0) |
           ((options & frWholeWord) ? smsWholeWord : 0) | ((options & frDown) ? 0 : smsBackward);
}

int TCustomCodeMemo::DoFind(int flags, const char* text)
{
    FindReplace search(*this);
    return (flags & smsDirect) ? search.directSearch(flags, text) : search.dialogSearch(flags, text);
}

int TCustomCodeMemo::DoReplace(int flags)
{
    FindReplace(*this).openReplaceDialog(flags);
    return 0;
}

bool TCustomCodeMemo::FindText(const std::string& text, int& pos, uint16_t flags)
{
    SearchText = text;
    const LRESULT result =
        Perform(SMM_FIND, flags, text.empty() ? 0 : reinterpret_cast<LPARAM>(SearchText.c_str()));
    if (result == -1)
        return false;
    pos = (flags & smsRegExpr) ? FREParser.MatchEntry(0) : static_cast<int>(result);
    return true;
}

bool TCustomCodeMemo::FindNext(int& pos)
{
    return FindReplace(*this).findNext(pos);
}

std::vector<TTextRange> TCustomCodeMemo::MatchesFrom(int from)
{
    return FindReplace(*this).matchesFrom(from);
}

int TCustomCodeMemo::MatchPos(uint8_t n)
{
    return FREParser.MatchEntry(std::min<int>(n, FREParser.ElementCount()));
}

int TCustomCodeMemo::MatchCount()
{
    return FREParser.ElementCount();
}

void TCustomCodeMemo::GetTokenAt(int pos, int& tokenStart, std::string& tokenText)
{
    // A token is found by its style bytes, which the whole text then needs.
    FinishColouring();
    FindReplace(*this).tokenAt(pos, tokenStart, tokenText);
}

void TCustomCodeMemo::TokenAtCaret(std::string& text)
{
    // At the end of a line or of the text no character follows the caret: the token is then the one
    // that ends there, the word just typed or stepped past.
    int pos = Caret();
    const char next = pos < TextLength() ? StoredText(pos, pos + 1)[0] : '\r';
    if (pos > 0 && (next == '\r' || next == '\n'))
        --pos;
    int start = 0;
    GetTokenAt(pos, start, text);
}

std::string TCustomCodeMemo::ExpandReplacement(const std::string& text)
{
    return FindReplace(*this).expand(text);
}

void TCustomCodeMemo::FindDialogFind(TFindDialog* dialog)
{
    if (dialog)
        FindReplace(*this).findFromDialog(*dialog);
}

void TCustomCodeMemo::ReplaceDialogReplace(TReplaceDialog* dialog)
{
    if (dialog)
        FindReplace(*this).replaceFromDialog(*dialog);
}

void TCustomCodeMemo::ShowRegExprError(const std::string& pattern)
{
    ++FSearch.ErrorsShown;
    const int blanks = std::max(0, FREParser.ErrorPos() - 1);
    const std::string text =
        LoadResString(FREParser.ErrorCode()) + "\r\n" + pattern + "\r\n" + std::string(size_t(blanks), ' ') + "^";
    MessageBox(this, text, {}, MB_OK | MB_ICONERROR);
}

void TCustomCodeMemo::SearchFailed(const std::string& text)
{
    if (OnSearchFail) {
        OnSearchFail(this, text);
        return;
    }
    MessageBox(this, LoadResString(kSearchedString) + " \"" + text + "\" " + LoadResString(kNotFound), {},
               MB_OK | MB_ICONINFORMATION);
}
