// Where a tab control's tabs, scroll arrows and page area lie, from its style, its size and the tabs' lengths.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/Geometry.h"

// The side of a tab that opens onto the pages.
enum TTabSide : uint8_t { tsLeft, tsTop, tsRight, tsBottom };

// What a layout is computed from. Lengths run along the edge the tabs stand on (across it for
// vertical tabs), Thickness across it; both are clamped to at least one pixel.
struct TTabLayoutInput {
    uint32_t Style = 0; // TCS_ bits
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Thickness = 0;
    std::vector<int32_t> Lengths;
    int32_t Selected = -1;
    int32_t FirstVisible = 0; // asked-for scroll position of a single line; clamped by the layout
};

// The geometry of one tab control. The layout works in "along" (the edge the tabs stand on) and
// "across" (away from that edge) coordinates and maps them to the control's side at the end, so
// top, bottom, left and right tabs share one algorithm.
//
// A single line that does not fit scrolls: the scroll arrows take the far end of the row and the
// tabs before the first visible one lie before the strip. Multiple lines fill rows in order; the
// row of the selected tab always stands next to the pages, the others following it outward
// (with scroll-opposite, the rows before it go to the other side of the pages instead).
class TTabLayout {
public:
    // Room at the ends of the strip and beyond the outer row, where the selected tab grows into.
    static constexpr int32_t kTabMargin = 2;
    // Width of the frame round the pages in tabs style.
    static constexpr int32_t kFrameWidth = 2;
    // Between buttons, and between the rows of buttons and the pages.
    static constexpr int32_t kButtonGap = 3;
    // How far the selected tab grows sideways and outward; inward it covers the frame.
    static constexpr int32_t kSelectedGrowth = 2;
    // Each of the two scroll arrows.
    static constexpr int32_t kArrowWidth = 16;

    void Compute(const TTabLayoutInput& input);

    int32_t Count() const { return static_cast<int32_t>(FTabs.size()); }
    // The tab's rectangle as the control reports it; a tab scrolled out lies before the strip.
    TRect ItemRect(int32_t index) const;
    // Where the tab is drawn: the selected one, in tabs style, stands out of its row.
    TRect DrawRect(int32_t index) const;
    TTabSide OpenSide(int32_t index) const;
    bool Visible(int32_t index) const;
    // The row the tab was filled into (0 first); the rows' places follow the selection.
    int32_t Row(int32_t index) const;
    int32_t RowCount() const { return FRowCount; }

    bool ArrowsShown() const { return FArrowsShown; }
    // Both arrows; the half nearer the strip's start scrolls back.
    TRect ArrowsRect() const;
    // Where tabs may show: the whole control, less the arrows when they show.
    TRect StripRect() const;
    int32_t FirstVisible() const { return FFirstVisible; }
    int32_t MaxFirstVisible() const { return FMaxFirstVisible; }
    // The scroll position, as near the present one as may be, at which the tab shows whole.
    int32_t FirstVisibleShowing(int32_t index) const;

    // Distances from the client edges (Left, Top, Right, Bottom) to the page area.
    TRect PageInsets() const;
    // The page area of a rectangle the size of the control, and the frame round it in tabs style.
    TRect PageRect() const;
    TRect FrameRect() const;

    // The visible tab under a point, the selected tab first since it is drawn over its neighbours; -1 for none.
    int32_t HitTest(TPoint point) const;

private:
    struct Tab {
        int32_t BaseStart = 0; // along, before any scrolling
        int32_t Start = 0;
        int32_t Length = 0;
        int32_t Row = 0;
        int32_t Across = 0; // the row's start across the edge
        bool Far = false;   // in a row on the far side of the pages
    };

    TRect map(int32_t along0, int32_t along1, int32_t across0, int32_t across1) const;
    bool valid(int32_t index) const { return index >= 0 && index < Count(); }
    void fillRows(int32_t room);
    void stretchRows(int32_t room);
    void placeSingleLine(int32_t room, int32_t firstVisible);
    void placeRows();

    std::vector<Tab> FTabs;
    uint32_t FStyle = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FThickness = 1;
    int32_t FSelected = -1;
    int32_t FAlongSize = 0;  // the edge's length
    int32_t FAcrossSize = 0; // the control's depth away from the edge
    int32_t FRowCount = 1;
    int32_t FNearRows = 1;
    int32_t FFarRows = 0;
    bool FArrowsShown = false;
    int32_t FArrowsStart = 0;
    int32_t FFirstVisible = 0;
    int32_t FMaxFirstVisible = 0;
};
