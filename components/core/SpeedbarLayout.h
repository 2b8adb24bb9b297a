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

// The edges a bar docks to, numbered as its alignment: top 1, bottom 2, left 3, right 4.
enum TSpeedbarEdge { seTop = 1, seBottom = 2, seLeft = 3, seRight = 4 };

// The edge of a parent of `width` x `height` whose triangle between the diagonals holds the point:
// bottom below both, left below the falling one only, right below the rising one only, else top. A
// parent without area has no triangles, so the bar stays on `current`.
TSpeedbarEdge SpeedbarEdgeAt(int x, int y, int width, int height, TSpeedbarEdge current);

// The bar's sizes that resizing works with.
struct TSpeedbarMetrics {
    int BtnWidth = 24;
    int BtnHeight = 23;
    int OffsetHorz = 0;
    int OffsetVert = 0;
};

// Whether a point of the bar's client area (clientWidth x clientHeight) lies on the sizing edge of
// a bar docked to `edge`: a band of a few pixels around its inner edge.
bool SpeedbarOnSizingEdge(TSpeedbarEdge edge, int x, int y, int clientWidth, int clientHeight);
// The thickness (height on the top or bottom, width on a side) a bar takes when its inner edge is
// dragged to the client point (x, y): whole rows of buttons, at least one, and no more than the
// parent's client extent (`parentExtent`) across the edge.
int SpeedbarResizedThickness(TSpeedbarEdge edge, int x, int y, int clientWidth, int clientHeight,
                             const TSpeedbarMetrics& metrics, int parentExtent);
