// Wildcard masks: parsing a list of masks and matching names against one mask or a whole list.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/Classes.h"

// The parsed masks, in the order they were given, duplicates kept.
class TPatternList : public TStringList {};

// Fills `list` with the masks of `masks`, separated by ";" or ",", each trimmed and, unless
// `caseSensitive`, lower-cased. An empty string gives the single mask "*". With `widen`, a bare word
// becomes "*word*" and a wildcard mask without "." gets a trailing "*", so that typing part of a
// name finds it.
void ParseMaskList(std::string_view masks, TStringList& list, bool widen, bool caseSensitive);
// True when the name matches the mask; case counts. A mask without wildcards matches the identical
// name when `exact`, else any name that holds it; an empty mask matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask, bool exact);
// True when the name matches any mask of the list; an empty name matches, an empty list does not.
// Unless `caseSensitive` the name is lower-cased first, as ParseMaskList leaves the masks.
bool MatchesMaskList(std::string_view name, const TStringList& masks, bool exact, bool caseSensitive);
