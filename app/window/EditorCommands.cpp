// The main window's commands on an editor's text: marking every match of a search, and the word that context help looks up.
#include "app/window/EditorCommands.h"

#include <algorithm>
#include <vector>

#include "editor/CodeMemo.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

void select(TCustomCodeMemo& memo, int start, int end)
{
    TSelectionRange range{start, end};
    memo.PerformSelection(SMM_SET, range);
}

} // namespace

int MarkAllMatches(TCustomCodeMemo& memo, std::string& lastText, int32_t& lastOptions)
{
    std::string text = memo.GetSelText();
    int32_t options = 0;
    const std::string& last = lastText.empty() ? memo.SearchText : lastText;
    const int32_t lastFlags = (lastText.empty() ? memo.SearchFlags : lastOptions) & ~smsDirect;
    // A selection that is the last search's text is, as a rule, the match that search left selected:
    // every match is then that search's, with its options (whole words, letter case).
    const bool lastMatch = !text.empty() && !(lastFlags & smsRegExpr) &&
                           ((lastFlags & smsMatchCase) ? text == last : AnsiSameText(text, last));
    if (text.empty() || lastMatch) {
        text = last;
        options = lastFlags;
    }
    if (text.empty())
        return 0;
    TSelectionRange saved{0, 0};
    memo.PerformSelection(0, saved);
    // One update for every mark: the text is painted once, at the end.
    memo.Lines().BeginUpdate();
    TScopeGuard update([&memo] { memo.Lines().EndUpdate(); });
    select(memo, 0, 0);
    int pos = 0;
    // Every match is marked, whichever way the search went.
    if (!memo.FindText(text, pos, static_cast<uint16_t>((options & ~smsBackward) | smsDirect))) {
        memo.PerformSelection(SMM_SET, saved);
        return 0;
    }
    lastText = text;
    lastOptions = options;
    const int first = pos;
    // The editor searched its own cut of a long text: a plain match is as long as that cut.
    const int end = (options & smsRegExpr) ? memo.MatchPos(static_cast<uint8_t>(memo.MatchCount()))
                                           : pos + static_cast<int>(memo.SearchText.size());
    // Every further match as FindNext finds them, each search going on one character past the start
    // of the match before, in one watched run that Escape stops with the matches found so far.
    std::vector<TTextRange> matches = memo.MatchesFrom(first + 1);
    matches.insert(matches.begin(), TTextRange{first, std::max(first, end)});
    memo.MarkRanges(matches, 1);
    update.End();
    select(memo, first, first);
    return static_cast<int>(matches.size());
}

std::string HelpWord(TCustomCodeMemo& memo)
{
    if (memo.GetSelLength() > 0)
        return Trim(memo.GetSelText());
    // No keyword of the help is longer than this: only so much of the text around the caret is read.
    constexpr int kReach = 256;
    const int caret = memo.GetSelStart();
    const int from = std::max(0, caret - kReach);
    const std::string text = memo.StoredText(from, caret + kReach);
    // The word is looked for on the caret's line only, so the caret stays there once the selection goes.
    const size_t at = std::min(static_cast<size_t>(caret - from), text.size());
    const size_t lineEnd = std::min(text.find_first_of("\r\n", at), text.size());
    const size_t lineStart = at == 0 ? 0 : text.find_last_of("\r\n", at - 1) + 1;
    // The word the caret is in or touches; on the "<" or "</" of a tag, the tag's name.
    const auto inWord = [&memo, &text](size_t i) { return memo.CharIsInWord(text[i]); };
    size_t first = at;
    if (!(at < lineEnd && inWord(at)) && !(at > lineStart && inWord(at - 1)))
        while (first < lineEnd && (text[first] == '<' || text[first] == '/'))
            ++first;
    size_t last = first;
    while (first > lineStart && inWord(first - 1))
        --first;
    while (last < lineEnd && inWord(last))
        ++last;
    if (first == last) {
        // No word at the caret: the signs it stands in or touches ("&&", "<!--"), nothing between blanks.
        const auto isBlank = [&text](size_t i) { return text[i] == ' ' || text[i] == '\t'; };
        first = last = at;
        while (first > lineStart && !isBlank(first - 1))
            --first;
        while (last < lineEnd && !isBlank(last))
            ++last;
    }
    if (first < last)
        select(memo, from + static_cast<int>(first), from + static_cast<int>(last));
    return text.substr(first, last - first);
}
