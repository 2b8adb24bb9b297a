// Routines shared by the main window and its dialogs: backups and shell opening of files, the edit commands of the focused control, find and replace in the editor, and the tag around the caret.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TCustomCodeMemo;

// ---- files

// Moves an existing file aside to its backup name ("page.htm" -> "page.~tm", "readme" -> "readme.bak"),
// replacing an older backup. True when the file existed.
bool MakeBackupFile(const std::string& fileName);
// The backup name MakeBackupFile moves a file to.
std::string BackupFileName(const std::string& fileName);

// ---- the focused control

// Undo, copy, cut, paste and select all in the control that has the focus: the editor, or a line or
// text edit of a dialog. Nothing when no control has the focus.
void EditUndo();
void EditCopy();
void EditCut();
void EditPaste();
void EditSelectAll();

// ---- find and replace

// Set by ReplaceAllText and cleared when a search of FindReplaceText finds nothing.
extern bool ReplaceAllActive;

// One request of the find or replace dialog (options are the dialogs' frDown, frMatchCase,
// frWholeWord and request bits) on the editor:
// - a selection that is a match is replaced first, unless the request only searches (frFindNext, or
//   no request bit and an empty replacement);
// - then the next match is selected from there, towards the end with frDown, else towards the start;
// - with no match there, a beep and ReplaceAllActive cleared.
// Without a selection the search starts at the start of the text. Whole words are bounded by
// characters that are not word characters of the editor, or by the ends of the text. A read-only
// editor is only searched: its matches are selected, never replaced.
void FindReplaceText(TCustomCodeMemo& editor, uint32_t options, const std::string& findText,
                     const std::string& replacement);
// Replaces every match from the selection on in the direction of the options, in one pass and as one
// undo step; ends, as FindReplaceText does, with a beep and ReplaceAllActive cleared. A long run shows
// the busy cursor and stops on Escape, keeping the matches replaced so far (from the first in the
// text) as the undo step, without the beep. A read-only editor is left as it is.
void ReplaceAllText(TCustomCodeMemo& editor, uint32_t options, const std::string& findText,
                    const std::string& replacement);

// The plain search under both: matches of a pattern in a text held in memory. Without match case,
// both are compared in Windows-1252 lower case; with whole words, a match counts only between
// characters that `isWordChar` rejects (or the ends of the text).
class TTextFinder {
public:
    using TWordTest = std::function<bool(char)>;
    TTextFinder(std::string_view text, std::string_view pattern, bool matchCase, bool wholeWord, TWordTest isWordChar);
    // The first match starting at or after `from`; -1 when there is none.
    int Forward(int from) const;
    // The last match ending at or before `to`; -1 when there is none.
    int Backward(int to) const;
    int PatternLength() const { return static_cast<int>(FPattern.size()); }

private:
    bool isWholeWord(size_t pos) const;

    // The text as searched: FText itself with match case, else its lower-cased copy. Worked out at
    // each use, so that a copied or moved finder never points into another one's copy.
    std::string_view haystack() const { return FMatchCase ? FText : std::string_view(FFolded); }

    std::string_view FText;
    std::string FFolded;
    std::string FPattern;
    bool FMatchCase;
    bool FWholeWord;
    TWordTest FIsWordChar;
};

// ---- the tag around the caret

// A place in the text by line (from 0) and column (from 0).
struct TTextPoint {
    int Line = 0;
    int Column = 0;
    auto operator<=>(const TTextPoint&) const = default;
};

// Finds the tag around `caret` (or, with `wholeElement`, the element from its opening tag to its
// "</name>"), enclosing elements outward, in the lines that `lineAt` gives; letter case does not
// count. True with [start, end) when one is found.
bool FindTagBlock(const std::function<std::string(int)>& lineAt, int lineCount, TTextPoint caret,
                  bool wholeElement, TTextPoint& start, TTextPoint& end);
// Selects in the editor what FindTagBlock finds around its caret; nothing changes when there is none.
void SelectTagBlock(TCustomCodeMemo& editor, bool wholeElement);
