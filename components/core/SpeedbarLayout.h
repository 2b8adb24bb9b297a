// SpeedbarLayout: the rules of the speed bar that need no window: its grid step and snapping, how an item's caption carries into its hint, and the button entries of a stored layout.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "components/core/AppUtils.h"

// The grid step along the rows for a button size: the largest divisor of `size` near size / 3 (at
// most 8) that is not the size itself; 24 gives 8, 22 gives 11, 23 gives 1.
int SpeedbarGridStep(int size);
// The grid cell of a coordinate, as offset + a x step: a is (value - offset) / step taken to the
// nearest integer (halves to the even one), or with its fraction cut off when `truncate`.
int SpeedbarSnap(int value, int offset, int step, bool truncate);
// The hint an item gets when its caption becomes `caption` (the old hint being `oldHint`): a caption
// with "|" and a long part is the whole hint; one with an empty long part keeps the old long part; a
// caption without "|" becomes the short part, keeping the old long part when the old hint had one.
std::string SpeedItemHint(const std::string& caption, const std::string& oldHint);

// One item of a stored layout: its name and the position it was left at; a number that does not
// read leaves the item's current coordinate.
struct TSpeedbarEntry {
    std::string Name;
    std::optional<int> Left;
    std::optional<int> Top;
};

// "Button1" to "ButtonN" as "name,left,top" and "Count" = N.
void WriteSpeedbarEntries(const TIniObject& ini, const std::string& section, const std::vector<TSpeedbarEntry>& entries);
// The entries "Button1" to "ButtonN", N being "Count" but no more than `itemCount` (a damaged count
// must not make the bar read millions of keys); empty entries are passed over. Words are split at
// commas and blanks.
std::vector<TSpeedbarEntry> ReadSpeedbarEntries(const TIniObject& ini, const std::string& section, int itemCount);
