// The main window's commands on an editor's text: marking every match of a search, and the word that context help looks up.
#pragma once

#include <cstdint>
#include <string>

class TCustomCodeMemo;

// Marks every match of the editor's selection (searched with options 0), or without one (or with the
// last search's text selected, its match) of the last search `lastText`/`lastOptions`, or without that
// of the editor's own last search, as text marks of
// kind 1. A regular expression's mark ends where its match ends. The caret then stands at the first
// match, and the search found becomes the last search; nothing found gives the selection back. A long
// run shows the busy cursor, and Escape stops it with the matches found so far marked. Returns the
// number of marks made.
int MarkAllMatches(TCustomCodeMemo& memo, std::string& lastText, int32_t& lastOptions);

// The word context help looks up: the trimmed selection, or without one the word at the caret (a
// tag's name from anywhere in "<name" or "</name"), which is then selected. Where the caret touches
// no word, the signs around it up to the blanks on its line; between blanks, nothing.
std::string HelpWord(TCustomCodeMemo& memo);
