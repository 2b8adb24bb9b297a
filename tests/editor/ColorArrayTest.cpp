// The colour grid: bounds, sizes, comparison, its form-file properties and the custom-colour lines.
#include <gtest/gtest.h>

#include <random>

#include "editor/model/ColorArray.h"

namespace {

TColorArrayClass randomGrid(std::mt19937& random, int32_t xSize, int32_t ySize)
{
    TColorArrayClass grid(xSize, ySize);
    std::uniform_int_distribution<int64_t> colour(INT32_MIN, INT32_MAX);
    for (int32_t x = 1; x <= xSize; ++x)
        for (int32_t y = 1; y <= ySize; ++y)
            grid.SetColor(x, y, static_cast<TColor>(colour(random)));
    return grid;
}

std::vector<uint8_t> propertiesOf(const TColorArrayClass& grid)
{
    TMemoryStream stream;
    grid.WriteProperties(stream);
    return stream.Bytes();
}

std::vector<uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

void append(std::vector<uint8_t>& to, std::string_view shortString)
{
    to.push_back(static_cast<uint8_t>(shortString.size()));
    to.insert(to.end(), shortString.begin(), shortString.end());
}

} // namespace

TEST(ColorArray, CellsOutsideTheGridRaiseAndNewCellsAreBlack)
{
    TColorArrayClass grid(4, 5);
    for (auto [x, y] : {std::pair{0, 1}, std::pair{5, 1}, std::pair{1, 0}, std::pair{1, 6}, std::pair{-1, -1}}) {
        try {
            grid.GetColor(x, y);
            ADD_FAILURE() << "no error for (" << x << ", " << y << ")";
        } catch (const EColorArrayIndexError& e) {
            EXPECT_EQ(e.Message(), "Array index out of bounds");
        }
        EXPECT_THROW(grid.SetColor(x, y, clRed), EColorArrayIndexError);
    }
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            EXPECT_EQ(grid.GetColor(x, y), clBlack);
    // Cell (x, y) is its own: writing each one never disturbs another.
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            grid.SetColor(x, y, x * 10 + y);
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            EXPECT_EQ(grid.GetColor(x, y), x * 10 + y);
}

TEST(ColorArray, ANewSizeDiscardsTheCellsAndTheSameSizeKeepsThem)
{
    std::mt19937 random(31);
    TColorArrayClass grid = randomGrid(random, 4, 5);
    const TColorArrayClass before = grid;
    grid.SetXSize(4);
    grid.SetYSize(5);
    EXPECT_TRUE(grid.Equals(&before));

    grid.SetXSize(3);
    EXPECT_EQ(grid.XSize(), 3);
    EXPECT_EQ(grid.GetColor(3, 5), clBlack);
    EXPECT_EQ(grid.GetColor(1, 1), clBlack);
    EXPECT_THROW(grid.GetColor(4, 1), EColorArrayIndexError);

    grid = randomGrid(random, 3, 5);
    grid.SetYSize(2);
    EXPECT_EQ(grid.YSize(), 2);
    EXPECT_EQ(grid.GetColor(3, 2), clBlack);
    EXPECT_THROW(grid.GetColor(1, 3), EColorArrayIndexError);

    // Negative sizes are ignored.
    grid.SetXSize(-1);
    TColorArrayClass negative(-2, 3);
    EXPECT_EQ(grid.XSize(), 3);
    EXPECT_EQ(negative.XSize(), 0);
    EXPECT_EQ(negative.YSize(), 3);
}

TEST(ColorArray, EqualsAndAssign)
{
    std::mt19937 random(7);
    TColorArrayClass a = randomGrid(random, 4, 5);
    EXPECT_TRUE(a.Equals(&a));
    EXPECT_FALSE(a.Equals(nullptr));
    TColorArrayClass b;
    EXPECT_FALSE(a.Equals(&b));
    b.Assign(a);
    EXPECT_EQ(b.XSize(), 4);
    EXPECT_EQ(b.YSize(), 5);
    EXPECT_TRUE(a.Equals(&b));
    EXPECT_TRUE(b.Equals(&a));
    b.SetColor(4, 5, b.GetColor(4, 5) ^ 1);
    EXPECT_FALSE(a.Equals(&b));
    // Same cells in another shape are not equal.
    TColorArrayClass wide(5, 4), tall(4, 5);
    EXPECT_FALSE(wide.Equals(&tall));
    a.Assign(a);
    EXPECT_EQ(a.XSize(), 4);
}

TEST(ColorArray, PropertiesAreWrittenColumnByColumn)
{
    TColorArrayClass grid(2, 2);
    grid.SetColor(1, 1, 1);
    grid.SetColor(2, 1, 0x1234);
    grid.SetColor(1, 2, -2);
    grid.SetColor(2, 2, clBlue);
    std::vector<uint8_t> expected;
    append(expected, "XSize");
    expected.insert(expected.end(), {2, 2});
    append(expected, "YSize");
    expected.insert(expected.end(), {2, 2});
    append(expected, "Colors");
    // List: (1, 1), (1, 2), (2, 1), (2, 2), each integer in the smallest form that holds it.
    const auto list = bytes({1, 2, 1, 2, 0xFE, 3, 0x34, 0x12, 4, 0x00, 0x00, 0xFF, 0x00, 0});
    expected.insert(expected.end(), list.begin(), list.end());
    expected.push_back(0);
    EXPECT_EQ(propertiesOf(grid), expected);
}

TEST(ColorArray, PropertiesReadBackEqual)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 50; ++round) {
        const TColorArrayClass grid = randomGrid(random, round % 7, (round / 7) % 6);
        const std::vector<uint8_t> written = propertiesOf(grid);
        TColorArrayClass read(1, 1);
        TCustomMemoryStream stream(written.data(), static_cast<int64_t>(written.size()));
        read.ReadProperties(stream);
        EXPECT_TRUE(read.Equals(&grid)) << "round " << round;
        EXPECT_EQ(stream.Remaining(), 0);

        // Every truncation fails and leaves the grid as it was.
        for (size_t length = 0; length < written.size(); ++length) {
            TColorArrayClass target = randomGrid(random, 2, 3);
            const TColorArrayClass before = target;
            TCustomMemoryStream cut(written.data(), static_cast<int64_t>(length));
            EXPECT_THROW(target.ReadProperties(cut), EReadError) << "length " << length;
            EXPECT_TRUE(target.Equals(&before));
        }
    }
}

TEST(ColorArray, ALongerColorListStopsAtTheGridsEnd)
{
    std::vector<uint8_t> data;
    append(data, "XSize");
    data.insert(data.end(), {2, 2});
    append(data, "YSize");
    data.insert(data.end(), {2, 1});
    append(data, "Colors");
    const auto list = bytes({1, 2, 10, 2, 20, 2, 30, 3, 0x00, 0x10, 0});
    data.insert(data.end(), list.begin(), list.end());
    // A property after the list is still read: the list was read to its end.
    append(data, "YSize");
    data.insert(data.end(), {2, 1});
    data.push_back(0);
    TColorArrayClass grid;
    TCustomMemoryStream stream(data.data(), static_cast<int64_t>(data.size()));
    grid.ReadProperties(stream);
    EXPECT_EQ(grid.XSize(), 2);
    EXPECT_EQ(grid.YSize(), 1);
    EXPECT_EQ(grid.GetColor(1, 1), 10);
    EXPECT_EQ(grid.GetColor(2, 1), 20);
    EXPECT_EQ(stream.Remaining(), 0);

    // A shorter list leaves the remaining cells black.
    TColorArrayClass big(3, 3);
    std::vector<uint8_t> shortList;
    append(shortList, "Colors");
    shortList.insert(shortList.end(), {1, 2, 5, 2, 6, 2, 7, 2, 8, 0, 0});
    TCustomMemoryStream shortStream(shortList.data(), static_cast<int64_t>(shortList.size()));
    big.ReadProperties(shortStream);
    EXPECT_EQ(big.GetColor(1, 3), 7);
    EXPECT_EQ(big.GetColor(2, 1), 8);
    EXPECT_EQ(big.GetColor(2, 2), clBlack);
    EXPECT_EQ(big.GetColor(3, 3), clBlack);
}

TEST(ColorArray, MalformedPropertiesAreRejected)
{
    const auto reject = [](std::vector<uint8_t> data) {
        TColorArrayClass grid(2, 2);
        grid.SetColor(2, 2, clRed);
        TCustomMemoryStream stream(data.data(), static_cast<int64_t>(data.size()));
        EXPECT_THROW(grid.ReadProperties(stream), EReadError);
        EXPECT_EQ(grid.XSize(), 2);
        EXPECT_EQ(grid.GetColor(2, 2), clRed);
    };
    std::vector<uint8_t> unknown;
    append(unknown, "Width");
    unknown.insert(unknown.end(), {2, 1, 0});
    reject(unknown);
    std::vector<uint8_t> listAsSize;
    append(listAsSize, "XSize");
    listAsSize.insert(listAsSize.end(), {1, 0, 0});
    reject(listAsSize);
    std::vector<uint8_t> negative;
    append(negative, "YSize");
    negative.insert(negative.end(), {2, 0xFF, 0});
    reject(negative);
    std::vector<uint8_t> sizeAsList;
    append(sizeAsList, "Colors");
    sizeAsList.insert(sizeAsList.end(), {2, 1, 0});
    reject(sizeAsList);
    std::vector<uint8_t> listOfLists;
    append(listOfLists, "Colors");
    listOfLists.insert(listOfLists.end(), {1, 1, 0, 0, 0});
    reject(listOfLists);
    // A huge grid is refused before anything is allocated.
    std::vector<uint8_t> huge;
    append(huge, "XSize");
    huge.insert(huge.end(), {4, 0x00, 0x00, 0x01, 0x00});
    append(huge, "YSize");
    huge.insert(huge.end(), {4, 0x00, 0x00, 0x01, 0x00});
    huge.push_back(0);
    reject(huge);
}

TEST(ColorArray, CustomColorLinesGoColumnByColumnAndReadBack)
{
    std::mt19937 random(16);
    TColorArrayClass custom = randomGrid(random, 8, 2);
    custom.SetColor(1, 1, 0x00FFFFFF);
    custom.SetColor(1, 2, 0x00ABCDEF);
    custom.SetColor(2, 1, -1);
    const TStringList lines = CustomColorLines(custom);
    ASSERT_EQ(lines.Count(), 16);
    EXPECT_EQ(lines[0], "ColorA=00FFFFFF");
    EXPECT_EQ(lines[1], "ColorI=00ABCDEF");
    EXPECT_EQ(lines[2], "ColorB=FFFFFFFF");
    EXPECT_EQ(lines[15].substr(0, 7), "ColorP=");

    TColorArrayClass read(8, 2);
    ReadCustomColorLines(read, lines);
    EXPECT_TRUE(read.Equals(&custom));
}

TEST(ColorArray, UnreadableCustomColorsAreWhite)
{
    EXPECT_EQ(CustomColorValue("zz"), clWhite);
    EXPECT_EQ(CustomColorValue(""), clWhite);
    EXPECT_EQ(CustomColorValue("$12"), clWhite);
    EXPECT_EQ(CustomColorValue("123456789"), clWhite);
    EXPECT_EQ(CustomColorValue("00ff00"), 0x00FF00);
    EXPECT_EQ(CustomColorValue("FFFFFFFF"), -1);

    TColorArrayClass custom(8, 2);
    TStringList lines;
    lines.Add("ColorC=zz");
    lines.Add("ColorJ=0000FF");
    lines.Add("ColorQ=123456"); // no such letter
    lines.Add("no equals sign");
    lines.Add("=12");
    ReadCustomColorLines(custom, lines);
    EXPECT_EQ(custom.GetColor(3, 1), clWhite);
    EXPECT_EQ(custom.GetColor(2, 2), 0xFF);
    int untouched = 0;
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            untouched += custom.GetColor(x, y) == clBlack;
    EXPECT_EQ(untouched, 14);
}
