// Tests of the image map's areas: drawing, stacking, the menu commands, holding areas on the picture and the HTML written.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/model/ImageMap.h"

namespace {

TImageMap picture(int width = 250, int height = 250)
{
    TImageMap map;
    map.SetPictureSize(width, height);
    return map;
}

const TMapArea* draw(TImageMap& map, TPoint from, TPoint to)
{
    map.StartDraw(from);
    map.TrackDraw(to);
    return map.EndDraw(to);
}

} // namespace

TEST(ImageMap, DrawnAreasAndTheirTags)
{
    struct Case {
        TAreaKind tool;
        TPoint from, to;
        const char* tag; // "" when no area is made
    };
    const Case cases[] = {
        {akRectangle, {50, 40}, {20, 10}, "<AREA SHAPE=\"RECT\" COORDS=\"20,10,50,40\" NOHREF>"},
        {akRectangle, {5, 6}, {8, 10}, "<AREA SHAPE=\"RECT\" COORDS=\"5,6,15,16\" NOHREF>"},
        {akRectangle, {7, 7}, {7, 7}, ""},
        {akCircle, {0, 0}, {30, 50}, "<AREA SHAPE=\"CIRCLE\" COORDS=\"15,15,15\" NOHREF>"},
        {akCircle, {100, 100}, {89, 130}, "<AREA SHAPE=\"CIRCLE\" COORDS=\"94,105,5\" NOHREF>"},
        // Points beyond the picture are held at its last pixel.
        {akRectangle, {240, 240}, {400, -20}, "<AREA SHAPE=\"RECT\" COORDS=\"240,0,250,240\" NOHREF>"},
    };
    for (const Case& c : cases) {
        TImageMap map = picture();
        map.SetTool(c.tool);
        const TMapArea* made = draw(map, c.from, c.to);
        ASSERT_EQ(made != nullptr, *c.tag != 0) << c.tag;
        EXPECT_FALSE(map.Drawing());
        if (!made) {
            EXPECT_TRUE(map.Areas().empty());
            continue;
        }
        EXPECT_EQ(TImageMap::AreaTag(*made), c.tag);
        EXPECT_EQ(map.Selected(), made);
    }
    TImageMap map = picture();
    EXPECT_EQ(map.EndDraw({3, 3}), nullptr) << "a release without a press draws nothing";
    TMapArea area{.Kind = akRectangle, .Left = 1, .Top = 2, .Width = 3, .Height = 4, .Link = "a.htm", .Alt = "Inicio"};
    EXPECT_EQ(TImageMap::AreaTag(area), "<AREA SHAPE=\"RECT\" COORDS=\"1,2,4,6\" HREF=\"a.htm\" ALT=\"Inicio\">");
    area.Link.clear();
    EXPECT_EQ(TImageMap::AreaTag(area), "<AREA SHAPE=\"RECT\" COORDS=\"1,2,4,6\" NOHREF ALT=\"Inicio\">");
}

TEST(ImageMap, MenuCommandsKeepCirclesRoundSidesPositiveAndAreasOnThePicture)
{
    TImageMap map = picture(100, 80);
    EXPECT_FALSE(map.Apply(acWider)) << "nothing selected";
    map.SetTool(akCircle);
    draw(map, {10, 10}, {30, 40});
    ASSERT_TRUE(map.Apply(acWider));
    EXPECT_EQ(map.Selected()->Width, 21);
    EXPECT_EQ(map.Selected()->Height, 21);
    map.Apply(acLower);
    EXPECT_EQ(map.Selected()->Width, 20);
    map.SetTool(akRectangle);
    draw(map, {0, 0}, {1, 1});
    for (int i = 0; i < 15; ++i)
        map.Apply(acNarrower);
    EXPECT_EQ(map.Selected()->Width, 1);
    EXPECT_EQ(map.Selected()->Height, 10);
    map.Apply(acMoveLeft);
    map.Apply(acMoveUp);
    EXPECT_EQ(map.Selected()->Left, 0);
    EXPECT_EQ(map.Selected()->Top, 0);
    for (int i = 0; i < 120; ++i)
        map.Apply(acWider);
    EXPECT_EQ(map.Selected()->Left, 0) << "an area wider than the picture starts at its left edge";
    ASSERT_TRUE(map.DeleteSelected());
    EXPECT_EQ(map.Areas().size(), 1u);
    EXPECT_FALSE(map.Apply(acMoveDown));
    EXPECT_FALSE(map.DeleteSelected());
}

TEST(ImageMap, DraggedAndNudgedAreasStayOnThePicture)
{
    std::mt19937 random(82);
    std::uniform_int_distribution<int> coordinate(-60, 300);
    std::uniform_int_distribution<int> command(acNarrower, acMoveDown);
    for (int run = 0; run < 200; ++run) {
        TImageMap map = picture(200, 150);
        map.SetTool(run % 2 ? akCircle : akRectangle);
        const TMapArea* area = draw(map, {coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)});
        if (!area)
            continue;
        const int id = area->Id;
        map.StartDrag(id, {area->Width / 2, area->Height / 2});
        for (int step = 0; step < 20; ++step) {
            if (step % 2)
                map.TrackDrag({coordinate(random), coordinate(random)});
            else
                map.Apply(static_cast<TAreaCommand>(command(random)));
            const TMapArea& a = *map.Find(id);
            ASSERT_GE(a.Left, 0);
            ASSERT_GE(a.Top, 0);
            ASSERT_GE(a.Width, 1);
            ASSERT_GE(a.Height, 1);
            if (a.Width <= 200) {
                ASSERT_LE(a.Left + a.Width, 200) << "run " << run;
            }
            if (a.Height <= 150) {
                ASSERT_LE(a.Top + a.Height, 150) << "run " << run;
            }
            if (a.Kind == akCircle) {
                ASSERT_EQ(a.Width, a.Height);
            }
        }
    }
}
