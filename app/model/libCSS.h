// Text routines of the style library: normalise a style sheet, list its selectors, find, split and remove one rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One entry of a rule body: a declaration, or a comment (its whole text as the name, no value).
struct TCSSDeclaration {
    std::string Name;
    std::string Value;
    bool Comment = false;

    bool operator==(const TCSSDeclaration&) const = default;
};

// In the library's text (editor text) a character Windows-1252 lacks is held (HeldCharacter): each
// routine here steps over one whole, so the ";" that ends it splits nothing and its mark is kept; a
// mark that begins none becomes the "&" it shows as, so that no joining of lines makes it begin one.

// The first position from `from` on of a character of `chars` that is not part of a held character;
// npos when none is.
size_t CSSFindOutsideHeld(std::string_view text, std::string_view chars, size_t from = 0);

// The library's normal form: tabs, CR and LF dropped, ":" spaced as " : ", runs of blanks halved
// twice, then "{" on a line of its own and a line break after every ";" and "}". The selector of a
// rule is then the whole line before the line "{".
std::string CSSFormatRule(std::string_view text);

// The selector of every rule of a normalised text, in text order: the line before each line that
// begins with "{", blanks included.
std::vector<std::string> CSSListSelectors(std::string_view text);

// The declarations of the first rule whose selector is `selector` (both trimmed, compared without
// case; tabs, CR and LF do not count): the text between its "{" and the next "}", or up to the end
// of the text when no "}" follows. Empty when no rule has that selector.
std::string CSSGetRuleBody(std::string_view text, std::string_view selector);

// Comments first (each "/*" with the first "*/" after it, cut out of the body), then every
// "name : value ;" in order, both trimmed; text without a closing ";" is dropped.
std::vector<TCSSDeclaration> CSSSplitDeclarations(std::string_view body);

// The text without the first rule whose selector is `selector`, found as CSSGetRuleBody finds it;
// tabs, CR and LF are dropped from the result. A selector that no rule has returns the text as it is.
std::string CSSRemoveRule(std::string_view text, std::string_view selector);
