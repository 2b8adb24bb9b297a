// Where a tab control's tabs, scroll arrows and page area lie, from its style, its size and the tabs' lengths.
#include "platform/core/TabLayout.h"

#include <algorithm>

#include "platform/core/Messages.h"

namespace {

bool isVertical(uint32_t style) { return (style & TCS_VERTICAL) != 0; }
bool isButtons(uint32_t style) { return (style & TCS_BUTTONS) != 0; }
// Vertical tabs always take as many rows as they need.
bool isMultiLine(uint32_t style) { return (style & TCS_MULTILINE) != 0 || isVertical(style); }

} // namespace

void TTabLayout::Compute(const TTabLayoutInput& input)
{
    FStyle = input.Style;
    FWidth = std::max(0, input.Width);
    FHeight = std::max(0, input.Height);
    FThickness = std::max(1, input.Thickness);
    FAlongSize = isVertical(FStyle) ? FHeight : FWidth;
    FAcrossSize = isVertical(FStyle) ? FWidth : FHeight;

    FTabs.assign(input.Lengths.size(), Tab{});
    for (size_t i = 0; i < FTabs.size(); ++i)
        FTabs[i].Length = std::max(1, input.Lengths[i]);
    FSelected = valid(input.Selected) ? input.Selected : -1;

    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    const int32_t room = std::max(0, FAlongSize - 2 * margin);
    FArrowsShown = false;
    FArrowsStart = FAlongSize;
    FFirstVisible = 0;
    FMaxFirstVisible = 0;
    if (isMultiLine(FStyle)) {
        fillRows(room);
        stretchRows(room);
    } else {
        placeSingleLine(room, input.FirstVisible);
    }
    placeRows();
}

void TTabLayout::fillRows(int32_t room)
{
    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    const int32_t gap = isButtons(FStyle) ? kButtonGap : 0;
    int32_t row = 0;
    int32_t next = 0; // where the next tab of the row would start, before its gap
    bool rowEmpty = true;
    for (Tab& tab : FTabs) {
        // A row takes at least one tab, so a control narrower than a tab still ends.
        if (!rowEmpty && next + gap + tab.Length > room) {
            ++row;
            next = 0;
            rowEmpty = true;
        }
        const int32_t start = rowEmpty ? next : next + gap;
        tab.BaseStart = tab.Start = margin + start;
        tab.Row = row;
        next = start + tab.Length;
        rowEmpty = false;
    }
    FRowCount = row + 1;
}

void TTabLayout::stretchRows(int32_t room)
{
    if (FRowCount < 2 || (FStyle & (TCS_FIXEDWIDTH | TCS_RAGGEDRIGHT)))
        return;
    const int32_t gap = isButtons(FStyle) ? kButtonGap : 0;
    size_t first = 0;
    while (first < FTabs.size()) {
        size_t last = first;
        while (last + 1 < FTabs.size() && FTabs[last + 1].Row == FTabs[first].Row)
            ++last;
        const int32_t count = static_cast<int32_t>(last - first + 1);
        const int32_t used = FTabs[last].Start + FTabs[last].Length - FTabs[first].Start;
        const int32_t extra = room - used;
        if (extra > 0) {
            int32_t start = FTabs[first].Start;
            for (size_t i = first; i <= last; ++i) {
                const int32_t place = static_cast<int32_t>(i - first);
                FTabs[i].Length += extra / count + (place < extra % count ? 1 : 0);
                FTabs[i].BaseStart = FTabs[i].Start = start;
                start += FTabs[i].Length + gap;
            }
        }
        first = last + 1;
    }
}

void TTabLayout::placeSingleLine(int32_t room, int32_t firstVisible)
{
    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    const int32_t gap = isButtons(FStyle) ? kButtonGap : 0;
    int32_t next = margin;
    for (Tab& tab : FTabs) {
        tab.BaseStart = tab.Start = next;
        tab.Row = 0;
        next += tab.Length + gap;
    }
    FRowCount = 1;
    if (FTabs.empty())
        return;
    const Tab& last = FTabs.back();
    if (last.BaseStart + last.Length - margin <= room)
        return;

    FArrowsShown = true;
    FArrowsStart = std::max(0, FAlongSize - 2 * kArrowWidth);
    // The last scroll position is the first at which every remaining tab fits before the arrows.
    const int32_t fit = FArrowsStart - margin;
    const int32_t end = last.BaseStart + last.Length;
    int32_t maxFirst = Count() - 1;
    while (maxFirst > 0 && end - FTabs[maxFirst - 1].BaseStart <= fit)
        --maxFirst;
    FMaxFirstVisible = maxFirst;
    FFirstVisible = std::clamp(firstVisible, 0, maxFirst);
    const int32_t shift = FTabs[FFirstVisible].BaseStart - margin;
    for (Tab& tab : FTabs)
        tab.Start = tab.BaseStart - shift;
}

void TTabLayout::placeRows()
{
    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    const int32_t pitch = FThickness + (isButtons(FStyle) ? kButtonGap : 0);
    const int32_t selectedRow = FSelected >= 0 ? FTabs[FSelected].Row : 0;
    const bool opposite = isMultiLine(FStyle) && (FStyle & TCS_SCROLLOPPOSITE);
    FNearRows = opposite ? FRowCount - selectedRow : FRowCount;
    FFarRows = opposite ? selectedRow : 0;
    for (Tab& tab : FTabs) {
        tab.Far = opposite && tab.Row < selectedRow;
        if (tab.Far) {
            // Counted outward from the pages: the row just before the selected one stands nearest.
            const int32_t distance = selectedRow - 1 - tab.Row;
            tab.Across = FAcrossSize - margin - (FFarRows - 1 - distance) * pitch - FThickness;
        } else {
            const int32_t distance = (tab.Row - selectedRow + FRowCount) % FRowCount;
            tab.Across = margin + (FNearRows - 1 - distance) * pitch;
        }
    }
}

TRect TTabLayout::map(int32_t along0, int32_t along1, int32_t across0, int32_t across1) const
{
    const bool flipped = (FStyle & TCS_BOTTOM) != 0;
    if (isVertical(FStyle))
        return flipped ? TRect{FWidth - across1, along0, FWidth - across0, along1}
                       : TRect{across0, along0, across1, along1};
    return flipped ? TRect{along0, FHeight - across1, along1, FHeight - across0}
                   : TRect{along0, across0, along1, across1};
}

TRect TTabLayout::ItemRect(int32_t index) const
{
    if (!valid(index))
        return {};
    const Tab& tab = FTabs[index];
    return map(tab.Start, tab.Start + tab.Length, tab.Across, tab.Across + FThickness);
}

TRect TTabLayout::DrawRect(int32_t index) const
{
    if (!valid(index))
        return {};
    const Tab& tab = FTabs[index];
    if (index != FSelected || isButtons(FStyle) || tab.Far)
        return ItemRect(index);
    return map(tab.Start - kSelectedGrowth, tab.Start + tab.Length + kSelectedGrowth, tab.Across - kSelectedGrowth,
               tab.Across + FThickness + kFrameWidth);
}

TTabSide TTabLayout::OpenSide(int32_t index) const
{
    // The side facing away from the control's edge, or toward it for a row beyond the pages.
    const bool toEdge = valid(index) && FTabs[index].Far;
    const bool facesStart = ((FStyle & TCS_BOTTOM) != 0) != toEdge;
    if (isVertical(FStyle))
        return facesStart ? tsLeft : tsRight;
    return facesStart ? tsTop : tsBottom;
}

bool TTabLayout::Visible(int32_t index) const
{
    if (!valid(index))
        return false;
    return !FArrowsShown || (index >= FFirstVisible && FTabs[index].Start < FArrowsStart);
}

int32_t TTabLayout::Row(int32_t index) const
{
    return valid(index) ? FTabs[index].Row : -1;
}

TRect TTabLayout::ArrowsRect() const
{
    if (!FArrowsShown)
        return {};
    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    return map(FArrowsStart, std::min(FAlongSize, FArrowsStart + 2 * kArrowWidth), margin, margin + FThickness);
}

TRect TTabLayout::StripRect() const
{
    return map(0, FArrowsStart, 0, FAcrossSize);
}

int32_t TTabLayout::FirstVisibleShowing(int32_t index) const
{
    if (!FArrowsShown || !valid(index))
        return FFirstVisible;
    if (index <= FFirstVisible)
        return index;
    const int32_t margin = isButtons(FStyle) ? 0 : kTabMargin;
    const int32_t fit = FArrowsStart - margin;
    const int32_t end = FTabs[index].BaseStart + FTabs[index].Length;
    int32_t first = FFirstVisible;
    while (first < index && end - FTabs[first].BaseStart > fit)
        ++first;
    return std::min(first, FMaxFirstVisible);
}

TRect TTabLayout::PageInsets() const
{
    const bool buttons = isButtons(FStyle);
    const int32_t margin = buttons ? 0 : kTabMargin;
    const int32_t pitch = FThickness + (buttons ? kButtonGap : 0);
    const int32_t frame = buttons ? 0 : kFrameWidth;
    const int32_t tabSide = margin + FNearRows * pitch + frame;
    const int32_t otherSide = (FFarRows > 0 ? margin + FFarRows * pitch : 0) + frame;
    const bool flipped = (FStyle & TCS_BOTTOM) != 0;
    const int32_t before = flipped ? otherSide : tabSide; // toward the top or left edge
    const int32_t after = flipped ? tabSide : otherSide;
    if (isVertical(FStyle))
        return {before, frame, after, frame};
    return {frame, before, frame, after};
}

TRect TTabLayout::PageRect() const
{
    const TRect insets = PageInsets();
    return {insets.Left, insets.Top, FWidth - insets.Right, FHeight - insets.Bottom};
}

TRect TTabLayout::FrameRect() const
{
    const int32_t frame = isButtons(FStyle) ? 0 : kFrameWidth;
    const TRect page = PageRect();
    return {page.Left - frame, page.Top - frame, page.Right + frame, page.Bottom + frame};
}

int32_t TTabLayout::HitTest(TPoint point) const
{
    if (!StripRect().Contains(point) || ArrowsRect().Contains(point))
        return -1;
    if (Visible(FSelected) && DrawRect(FSelected).Contains(point))
        return FSelected;
    for (int32_t i = 0; i < Count(); ++i)
        if (Visible(i) && ItemRect(i).Contains(point))
            return i;
    return -1;
}
