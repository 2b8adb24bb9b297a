// The main window's commands on an editor's text: marking every match of a search, and the word that context help looks up.
#include "app/window/EditorCommands.h"

#include <algorithm>
#include <utility>

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
    if (text.empty()) {
        text = lastText.empty() ? memo.SearchText : lastText;
        options = lastText.empty() ? memo.SearchFlags : lastOptions;
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
    if (!memo.FindText(text, pos, static_cast<uint16_t>(options | smsDirect))) {
        memo.PerformSelection(SMM_SET, saved);
        return 0;
    }
    lastText = text;
    lastOptions = options;
    const int first = pos;
    const bool regExpr = (options & smsRegExpr) != 0;
    // Running out of matches ends the marking; it is no failed search to tell the user of.
    TSearchFailEvent report = std::exchange(memo.OnSearchFail, [](TCustomCodeMemo*, const std::string&) {});
    TScopeGuard quiet([&memo, &report] { memo.OnSearchFail = std::move(report); });
    int marks = 0;
    // Each search starts past the last match; one that came back to it or before (a search that
    // went round to the start) would mark the same matches for ever.
    for (int previous = -1; pos > previous;) {
        // The editor searched its own cut of a long text: the match is as long as that cut.
        const int end = regExpr ? memo.MatchPos(static_cast<uint8_t>(memo.MatchCount()))
                                : pos + static_cast<int>(memo.SearchText.size());
        memo.MarkRange(pos, std::max(0, end - pos), 1);
        ++marks;
        previous = pos;
        select(memo, pos + 1, pos + 1);
        if (!memo.FindNext(pos) || pos < 0)
            break;
    }
    quiet.End();
    update.End();
    select(memo, first, first);
    return marks;
}

std::string HelpWord(TCustomCodeMemo& memo)
{
    if (memo.GetSelLength() > 0)
        return Trim(memo.GetSelText());
    int start = 0;
    std::string token;
    const int caret = memo.GetSelStart();
    memo.GetTokenAt(caret, start, token);
    // A token may run on over line ends: the word is its part on the caret's line, without the
    // blanks around it, so the caret stays on that line once the selection goes.
    const size_t at = static_cast<size_t>(std::clamp(caret - start, 0, static_cast<int>(token.size())));
    const size_t lineEnd = std::min(token.find_first_of("\r\n", at), token.size());
    const size_t lineStart = at == 0 ? 0 : token.find_last_of("\r\n", at - 1) + 1;
    size_t first = token.find_first_not_of(" \t", lineStart);
    first = std::min(first, lineEnd);
    size_t last = lineEnd;
    while (last > first && (token[last - 1] == ' ' || token[last - 1] == '\t'))
        --last;
    token = token.substr(first, last - first);
    if (!token.empty())
        select(memo, start + static_cast<int>(first), start + static_cast<int>(last));
    return token;
}
