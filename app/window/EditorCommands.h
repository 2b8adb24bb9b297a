// The main window's commands on an editor's text: marking every match of a search, and the word that context help looks up.
#pragma once

#include <cstdint>
#include <string>

class TCustomCodeMemo;

// Marks every match of the editor's selection (searched with options 0), or without one of the last
// search `lastText`/`lastOptions`, or without that of the editor's own last search, as text marks of
// kind 1. A regular expression's mark ends where its match ends. The caret then stands at the first
// match, and the search found becomes the last search; nothing found gives the selection back.
// Returns the number of marks made.
int MarkAllMatches(TCustomCodeMemo& memo, std::string& lastText, int32_t& lastOptions);

// The word context help looks up: the trimmed selection, or without one the run of equally
// coloured characters at the caret, its part on the caret's line without blanks, which is then
// selected.
std::string HelpWord(TCustomCodeMemo& memo);
