// ComposeTag: a tag written back from its name and attribute rows, as the attribute grid writes it; the quoting of one attribute value, for every tag built from typed text; and a text that must read as itself in a page.
#pragma once

#include <string>
#include <string_view>

class TStringList;

// An attribute value between quotes, so that any text reads back as typed: double quotes; single
// quotes for a value holding a double quote (and no single quote); double quotes with each double
// quote written "&quot;" for a value holding both.
std::string QuoteAttributeValue(std::string_view value);

// A text (a file's name) as a page's text or an attribute value shows it, character for character:
// "<", ">", "&" and '"' as their references, so that it can neither open a tag, start a reference
// nor end the attribute it is in. Every other byte stays as it is.
std::string EscapePageText(std::string_view text);

// "<" + tagName, then " name" for each row whose name is not empty, with ="value" when the value is
// not empty (QuoteAttributeValue), then ">", so the tag stays whole. With `onePerLine` every attribute starts a line of its own (CR LF), indented by `indent`
// blanks and then length(tagName) + 1 blanks, each run at most 80 long, so the attributes line up
// under the first one when the tag starts at column `indent`. No letter case changes.
std::string ComposeTag(std::string_view tagName, const TStringList& names, const TStringList& values,
                       bool onePerLine, int indent);
