// TImageMap: every coordinate is the picture's own, so scrolling the view changes nothing here; the
// widgets that show the areas only mirror them.
#include "app/model/ImageMap.h"

#include <algorithm>
#include <cstdlib>

#include "app/model/TagComposer.h"
#include "platform/core/SysUtils.h"

void TImageMap::SetPictureSize(int width, int height)
{
    FPictureWidth = std::max(width, 0);
    FPictureHeight = std::max(height, 0);
}

TMapArea* TImageMap::Find(int id)
{
    const auto found = std::find_if(FAreas.begin(), FAreas.end(), [id](const TMapArea& a) { return a.Id == id; });
    return found == FAreas.end() ? nullptr : &*found;
}

TMapArea* TImageMap::Selected()
{
    return FSelectedId ? Find(FSelectedId) : nullptr;
}

void TImageMap::Clear()
{
    FAreas.clear();
    FSelectedId = 0;
    FDrawing = false;
    FDragId = 0;
}

TPoint TImageMap::clamped(TPoint p) const
{
    return {std::clamp(p.X, 0, std::max(FPictureWidth - 1, 0)), std::clamp(p.Y, 0, std::max(FPictureHeight - 1, 0))};
}

void TImageMap::holdInside(TMapArea& area) const
{
    // The far edge first: an area wider than the picture then starts at its left edge, never before it.
    area.Left = std::max(std::min(area.Left, FPictureWidth - area.Width), 0);
    area.Top = std::max(std::min(area.Top, FPictureHeight - area.Height), 0);
}

void TImageMap::toTop(size_t index)
{
    std::rotate(FAreas.begin(), FAreas.begin() + static_cast<std::ptrdiff_t>(index),
                FAreas.begin() + static_cast<std::ptrdiff_t>(index) + 1);
}

// ---------------------------------------------------------------- drawing

void TImageMap::StartDraw(TPoint p)
{
    FDrawing = true;
    FStart = FCurrent = clamped(p);
}

void TImageMap::TrackDraw(TPoint p)
{
    if (FDrawing)
        FCurrent = clamped(p);
}

TMapArea* TImageMap::EndDraw(TPoint p)
{
    if (!FDrawing)
        return nullptr;
    FDrawing = false;
    FCurrent = clamped(p);
    if (FCurrent == FStart)
        return nullptr;
    TMapArea area;
    area.Id = FNextId++;
    area.Kind = FTool;
    area.Left = std::min(FStart.X, FCurrent.X);
    area.Top = std::min(FStart.Y, FCurrent.Y);
    area.Width = std::abs(FCurrent.X - FStart.X);
    area.Height = std::abs(FCurrent.Y - FStart.Y);
    if (area.Kind == akCircle)
        area.Width = area.Height = std::min(area.Width, area.Height);
    area.Width = std::max(area.Width, kMinDrawnSide);
    area.Height = std::max(area.Height, kMinDrawnSide);
    FAreas.insert(FAreas.begin(), area);
    FSelectedId = area.Id;
    return &FAreas.front();
}

// ---------------------------------------------------------------- selecting and dragging

void TImageMap::Select(int id)
{
    FSelectedId = 0;
    for (size_t i = 0; i < FAreas.size(); ++i)
        if (FAreas[i].Id == id) {
            toTop(i);
            FSelectedId = id;
            return;
        }
}

void TImageMap::StartDrag(int id, TPoint grab)
{
    FDragId = Find(id) ? id : 0;
    FGrab = grab;
}

void TImageMap::TrackDrag(TPoint p)
{
    TMapArea* area = FDragId ? Find(FDragId) : nullptr;
    if (!area)
        return;
    const TPoint at = clamped(p);
    area->Left = at.X - FGrab.X;
    area->Top = at.Y - FGrab.Y;
    holdInside(*area);
}

// ---------------------------------------------------------------- menu commands

bool TImageMap::Apply(TAreaCommand command)
{
    TMapArea* area = Selected();
    if (!area)
        return false;
    switch (command) {
    case acNarrower: --area->Width; break;
    case acLower: --area->Height; break;
    case acWider: ++area->Width; break;
    case acTaller: ++area->Height; break;
    case acMoveLeft: --area->Left; break;
    case acMoveUp: --area->Top; break;
    case acMoveRight: ++area->Left; break;
    case acMoveDown: ++area->Top; break;
    }
    // A circle stays round: the side just changed sets the other.
    if (area->Kind == akCircle) {
        if (command == acNarrower || command == acWider)
            area->Height = area->Width;
        else if (command == acLower || command == acTaller)
            area->Width = area->Height;
    }
    area->Width = std::max(area->Width, 1);
    area->Height = std::max(area->Height, 1);
    holdInside(*area);
    return true;
}

bool TImageMap::DeleteSelected()
{
    const TMapArea* area = Selected();
    if (!area)
        return false;
    const int id = area->Id;
    std::erase_if(FAreas, [id](const TMapArea& a) { return a.Id == id; });
    FSelectedId = 0;
    if (FDragId == id)
        FDragId = 0;
    return true;
}

// ---------------------------------------------------------------- output

std::string TImageMap::AreaTag(const TMapArea& area)
{
    std::string text;
    if (area.Kind == akCircle) {
        // The radius is half the width; a circle is as high as it is wide.
        const int radius = area.Width / 2;
        text = Format("<AREA SHAPE=\"CIRCLE\" COORDS=\"%d,%d,%d\"", area.Left + radius, area.Top + radius, radius);
    } else {
        text = Format("<AREA SHAPE=\"RECT\" COORDS=\"%d,%d,%d,%d\"", area.Left, area.Top, area.Left + area.Width,
                      area.Top + area.Height);
    }
    text += area.Link.empty() ? " NOHREF" : " HREF=" + QuoteAttributeValue(area.Link);
    text += area.Alt.empty() ? ">" : " ALT=" + QuoteAttributeValue(area.Alt) + ">";
    return text;
}

std::string TImageMap::BuildMap(const std::string& name) const
{
    std::string map = "<MAP NAME=" + QuoteAttributeValue(name) + ">\r\n";
    for (const TMapArea& area : FAreas)
        map += AreaTag(area) + "\r\n";
    return map + "</MAP>\r\n";
}
