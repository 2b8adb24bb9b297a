// InsertTag: wraps the editor's selection in an opening and a closing code, in the configured letter case.
#pragma once

#include <cstdint>
#include <string>

class TCustomCodeMemo;

// Puts `openCode` before and `closeCode` after the selection (or at the caret when nothing is
// selected) as one undoable replacement, after putting both codes, never the selected text, through
// ApplyCaseMode(caseMode). With `ignoreSelection` the selection is replaced by the bare codes; with
// `separateLines` each code goes on a line of its own. Afterwards the inner text is selected, or,
// with nothing inside, the caret stands where it would go (the start of the empty middle line with
// separate lines). False when the replacement raised; the caret is placed all the same. A read-only
// editor is left as it is, and the result is False.
bool InsertTag(TCustomCodeMemo& editor, uint8_t caseMode, bool ignoreSelection, bool separateLines,
               const std::string& openCode, const std::string& closeCode);

// The colour conversions of the colour button. An answer "R,G,B" of three decimal numbers 0-255
// (blanks anywhere) gives "RRGGBB"; "RR,GG,BB" of three hexadecimal numbers 00-FF gives "R,G,B" in
// decimal. False, leaving `result` alone, for any other answer.
bool DecimalColorToHex(const std::string& answer, std::string& result);
bool HexColorToDecimal(const std::string& answer, std::string& result);

// The codes of a drop-down item: the trimmed item, split at "..." into opening and closing code
// (without "..." all of it opens). An opening code without "<" is an attribute and gets a leading
// blank. A separator line ("-") gives two empty codes.
void SplitMenuItemCodes(const std::string& item, std::string& openCode, std::string& closeCode);

// What a special-character menu item inserts: its caption, except "<", ">", "Espacio" and "&&" (a
// caption showing one ampersand), which become "&lt;", "&gt;", "&nbsp;" and "&amp;".
std::string SpecialCharacterCode(const std::string& caption);
