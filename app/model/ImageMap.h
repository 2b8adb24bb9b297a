// TImageMap: the areas of a client-side image map over a picture (rectangles and circles with a link and an alternative text), how they are drawn, dragged and nudged, and the HTML they make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"

// The kinds are numbered as the shape types they are drawn with.
enum TAreaKind : uint8_t { akRectangle = 0, akCircle = 5 };

// One area. Bounds are in picture coordinates, whatever part of the picture is scrolled into view.
struct TMapArea {
    // Stays with the area for its life, so the widget that shows it can find it again.
    int Id = 0;
    TAreaKind Kind = akRectangle;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::string Link;
    std::string Alt;
};

// The commands of the area menu that change the selected area, by their Tag.
enum TAreaCommand : int {
    acNarrower = 1,
    acLower = 2,
    acWider = 3,
    acTaller = 4,
    acMoveLeft = 5,
    acMoveUp = 6,
    acMoveRight = 7,
    acMoveDown = 8,
};

class TImageMap {
public:
    // A drawn area is never smaller than this on either side.
    static constexpr int kMinDrawnSide = 10;

    // The picture the areas lie on; points are held inside it.
    void SetPictureSize(int width, int height);
    int PictureWidth() const { return FPictureWidth; }
    int PictureHeight() const { return FPictureHeight; }

    TAreaKind Tool() const { return FTool; }
    void SetTool(TAreaKind kind) { FTool = kind; }

    // The areas, the top one first: a new area goes on top, and so does one that is selected.
    const std::vector<TMapArea>& Areas() const { return FAreas; }
    TMapArea* Find(int id);
    // The selected area, or nil.
    TMapArea* Selected();
    // Drops every area, the selection and any drawing or dragging under way.
    void Clear();

    // Drawing a new area: the start and the current point (held inside the picture).
    void StartDraw(TPoint p);
    void TrackDraw(TPoint p);
    bool Drawing() const { return FDrawing; }
    TPoint DrawStart() const { return FStart; }
    TPoint DrawCurrent() const { return FCurrent; }
    // Ends the drawing at `p`. When the point differs from the start, the area between them (of the
    // current tool, squared for a circle, at least kMinDrawnSide each way) goes on top, selected, and
    // is answered; a click that did not move makes none.
    TMapArea* EndDraw(TPoint p);

    // Selects the area and puts it on top; an unknown id selects nothing.
    void Select(int id);
    // Starts dragging the area, held at `grab` (the point in the area where it was taken).
    void StartDrag(int id, TPoint grab);
    // Moves the dragged area so that its grab point lies at `p`, held inside the picture.
    void TrackDrag(TPoint p);
    void EndDrag() { FDragId = 0; }
    bool Dragging() const { return FDragId != 0; }

    // Resizes or moves the selected area by one pixel; false with no selection.
    bool Apply(TAreaCommand command);
    // Removes the selected area; false with no selection.
    bool DeleteSelected();

    // The AREA tag of an area, without line break.
    static std::string AreaTag(const TMapArea& area);
    // The MAP element named `name` with the areas from the top one down, each line ending in CR LF.
    std::string BuildMap(const std::string& name) const;

private:
    TPoint clamped(TPoint p) const;
    // Left and top moved so the area lies inside the picture (from its left and top edge when it is the
    // wider one).
    void holdInside(TMapArea& area) const;
    void toTop(size_t index);

    int FPictureWidth = 0;
    int FPictureHeight = 0;
    TAreaKind FTool = akRectangle;
    std::vector<TMapArea> FAreas;
    int FSelectedId = 0;
    int FNextId = 1;
    bool FDrawing = false;
    TPoint FStart;
    TPoint FCurrent;
    int FDragId = 0;
    TPoint FGrab;
};
