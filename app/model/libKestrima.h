// Plain text routines of the HTML tools: letter case, tags and their attributes, links, colours, relative paths and the text tools on a selection.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "platform/core/DateText.h"
#include "platform/core/Graphics.h"

class TStringList;
class TCodigosISO;

// Letter case of the text outside double quotes; what stands between a pair of double quotes keeps
// its case (single quotes do not count). Every Windows-1252 letter maps to exactly one character, so
// lengths and positions hold.
std::string UpperCaseOutsideQuotes(std::string_view text);
std::string LowerCaseOutsideQuotes(std::string_view text);
// The letter case of the insertion settings: 0 upper case, 1 lower case, 2 upper case outside quotes,
// 3 lower case outside quotes; any other mode leaves the text as it is.
std::string ApplyCaseMode(int mode, std::string_view text);
// First character upper case; every later one upper case after a blank or control character, else
// lower case. Only A-Z and a-z change.
std::string CapitalizeWords(std::string_view text);
// The text on one line: CR becomes a blank, TAB and LF go.
std::string RemoveLineBreaks(std::string_view text);

// The parts of one tag ("<IMG SRC=\"a.gif\" ISMAP>"): returns the tag name and fills `names` and
// `values`, one value per attribute in the same order ("" for an attribute without value). Values may
// be double-quoted, single-quoted or bare.
std::string ParseTagAttributes(std::string_view tag, TStringList& names, TStringList& values);

// Six upper-case hexadecimal digits RRGGBB of a colour (0x00BBGGRR), without "#"; system colours
// resolve to the platform's palette.
std::string ColorToHTML(TColor color);
// The text without its tags: every run from "<" to the next ">" goes; an unclosed "<" takes the rest.
std::string StripTags(std::string_view text);
// Fills `list` (made sorted and case-sensitive, each value once) with the quoted values that follow
// the words "href", "src" and "background" in the text. The words are found without regard to case;
// the values keep theirs.
void ExtractLinks(std::string_view text, TStringList& list);

// The name by which a page refers to a file: mode 0 the target as it is, 1 its file name only, 2 the
// path relative to the document's folder. Both are the file system's names, whose folders "/" alone
// separates: a "\" stays a character of its name.
std::string MakeRelativePath(std::string_view document, std::string_view target, int mode);
// True for the extensions of the text files the editor opens itself (".htm", ".txt", ".css" ...).
bool IsTextFileExt(std::string_view fileName);

// A text as a menu caption that shows it as written: each "&" doubled, so none marks a key.
std::string MenuCaptionOf(std::string_view text);

// The date command inserts DateTimeText (platform/core/DateText.h) by the setting DateFormat.

// The text tools of the main window on a selected text, by the tool's number: 1 sort the trimmed
// lines ascending, 2 descending, 3 upper case, 4 lower case (both outside quotes when
// `omitQuoted`), 5 characters to codes, 6 codes to characters, 7 strip tags, 9 "<" and ">" to
// "&lt;" and "&gt;", 10 capitalise words, 11 runs of blanks to one. The result has no trailing line
// break; any other number gives the text back.
std::string ApplyTextTool(int tool, std::string_view text, bool omitQuoted, const TCodigosISO& codes);


// Code library files: entries under header lines "[*name*]", each entry's text the lines up to the
// next line whose trimmed text starts with "[*". Lines before the first header belong to no entry.
// Names are compared exactly against the whole header line. Lines end with CR LF, CR or LF on reading
// and with CR LF on writing. Names and texts are editor text; the file is Windows-1252 until it holds
// a character Windows-1252 lacks, then UTF-8 after its byte-order mark, and stays so (the program's
// own files' rule, ProgramFileText.h).
//
// The names of the headers that start in the first column (the text between "[*" and the first "*]"
// after it; empty names are left out); false, leaving `names` alone, when the file does not exist.
bool ReadLibrarySections(const std::string& fileName, TStringList& names);
// The entry's lines joined with CR; "" when the file or the entry does not exist.
std::string ReadLibraryEntry(const std::string& fileName, const std::string& name);
// The two writers replace the file whole through ReplaceFileContents, its previous contents copied
// to the ".bak" name beside it (replacing an older one); a write that fails leaves the file and the
// older backup as they were and raises EFCreateError. False when the library file does not exist;
// nothing is created then.
//
// Drops each entry of that name with its lines (a header right after a dropped entry ends it and
// stays); true when one was dropped.
bool DeleteLibraryEntry(const std::string& fileName, const std::string& name);
// Appends the entry; the text's line breaks (CR, LF or CR LF) are written as CR LF. False, writing
// nothing, for a name that LibraryNameFits refuses.
bool AddLibraryEntry(const std::string& fileName, const std::string& name, const std::string& text);
// Whether a name reads back from its header as itself: not empty, without "*]" (the readers end the
// name at the first one) and without a line break.
bool LibraryNameFits(std::string_view name);
// The lines of a library's text (a file read as ProgramFileText reads it, or an entry's text), split
// at CR LF, CR or LF, as the readers see them.
TStringList LibraryLines(std::string_view text);
