// Store access and the stored window placement, over an INI file and the registry.
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>

#include "components/core/AppUtils.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

std::string fileText(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const TPlacementScreen kScreen800{800, 600, 96};

} // namespace

TEST(AppUtils, DefaultStoreNamesComeFromTheProgramFile)
{
    EXPECT_EQ(GetDefaultIniRegKey("/usr/bin/kestrima"), "Software\\kestrima");
    EXPECT_EQ(GetDefaultIniRegKey("/opt/Programas/Kestrima.exe"), "Software\\Kestrima");
    EXPECT_EQ(GetDefaultIniName("/opt/Programas/Kestrima.exe"), "Kestrima.INI");
    EXPECT_EQ(GetDefaultIniName("/opt/k/kestrima"), "kestrima.INI");
}

TEST(AppUtils, IniValuesQuotedAtBothEndsReadBackUnchanged)
{
    TempDir folder("l70-ini");
    const std::string name = (folder.path / "form.ini").string();
    {
        TIniFile ini(name);
        const TIniObject store(&ini);
        IniWriteString(store, "Form", "Single", "'x'");
        IniWriteString(store, "Form", "Double", "\"y\"");
        IniWriteString(store, "Form", "Plain", "a b");
        IniWriteInteger(store, "Form", "Number", -12);
        EXPECT_EQ(IniReadString(store, "Form", "Single", ""), "'x'");
        ini.UpdateFile();
    }
    const std::string text = fileText(name);
    EXPECT_NE(text.find("Single=\"'x'\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Double=\"\"y\"\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Plain=a b\r\n"), std::string::npos) << text;
    TIniFile again(name);
    const TIniObject store(&again);
    EXPECT_EQ(IniReadString(store, "Form", "Single", ""), "'x'");
    EXPECT_EQ(IniReadString(store, "Form", "Double", ""), "\"y\"");
    EXPECT_EQ(IniReadInteger(store, "Form", "Number", 0), -12);
    EXPECT_EQ(IniReadInteger(store, "Form", "Missing", 7), 7);
    IniEraseSection(store, "Form");
    EXPECT_EQ(IniReadString(store, "Form", "Plain", "gone"), "gone");

    // Round trip of random texts through the file.
    std::mt19937 rng(70);
    const std::string alphabet = "ab '\"=;x";
    TIniFile many(name);
    std::vector<std::string> values;
    for (int i = 0; i < 300; ++i) {
        std::string v;
        for (int n = static_cast<int>(rng() % 6); n > 0; --n)
            v += alphabet[rng() % alphabet.size()];
        v = "k" + v + "k";
        if (i % 3 == 0)
            v = "'" + v + "'";
        values.push_back(v);
        IniWriteString(TIniObject(&many), "S", std::string(1, 'V').append(std::to_string(i)), v);
    }
    many.UpdateFile();
    TIniFile back(name);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(IniReadString(TIniObject(&back), "S", std::string(1, 'V').append(std::to_string(i)), "?"), values[i]) << i;
}

TEST(AppUtils, RegistryValuesAreStoredUnchangedAndNoStoreGivesDefaults)
{
    TempRegistry registry("l70-reg");
    {
        TRegIniFile reg("Software\\Dremal\\Kestrima");
        const TIniObject store(&reg);
        IniWriteString(store, "Form", "Single", "'x'");
        IniWriteInteger(store, "Form", "Number", 42);
    }
    TRegIniFile reg("Software\\Dremal\\Kestrima");
    EXPECT_EQ(reg.ReadString("Form", "Single", ""), "'x'");
    EXPECT_EQ(IniReadInteger(TIniObject(&reg), "Form", "Number", 0), 42);
    IniEraseSection(TIniObject(&reg), "Form");
    EXPECT_FALSE(reg.SectionExists("Form"));

    const TIniObject none;
    EXPECT_TRUE(none.IsNull());
    IniWriteString(none, "Form", "X", "y");
    EXPECT_EQ(IniReadString(none, "Form", "X", "d"), "d");
    EXPECT_EQ(IniReadInteger(none, "Form", "X", 5), 5);
}

TEST(AppUtils, PositionKeysPreferThePresentScreenSize)
{
    TempRegistry registry("l70-pos");
    TRegIniFile reg("Software\\Dremal\\Kestrima");
    const TIniObject store(&reg);
    EXPECT_EQ(GetScreenResolutionSuffix(kScreen800), "(800x600)");
    WritePosStr(store, "Form", "NormPos", "1,2,3,4", kScreen800);
    EXPECT_EQ(reg.ReadString("Form", "NormPos(800x600)", ""), "1,2,3,4");
    EXPECT_EQ(reg.ReadString("Form", "NormPos", ""), "1,2,3,4");

    reg.WriteString("Form", "NormPos(800x600)", "5,6,7,8");
    EXPECT_EQ(ReadPosStr(store, "Form", "NormPos", kScreen800), "5,6,7,8");
    reg.WriteString("Form", "NormPos(1024x768)", "9,9,9,9");
    reg.DeleteKey("Form", "NormPos(800x600)");
    EXPECT_EQ(ReadPosStr(store, "Form", "NormPos", kScreen800), "1,2,3,4");
    EXPECT_EQ(ReadPosStr(store, "Form", "NormPos", TPlacementScreen{1024, 768, 96}), "9,9,9,9");
}

TEST(AppUtils, PlacementWritesEveryKeyAndReadsItBack)
{
    TempRegistry registry("l70-place");
    TRegIniFile reg("Software\\Dremal\\Kestrima");
    const TIniObject store(&reg);
    TWindowPlacement placement;
    placement.Flags = 0;
    placement.ShowCmd = SW_SHOWMAXIMIZED;
    placement.MinPosition = {-1, -2};
    placement.MaxPosition = {-4, -4};
    placement.NormalPosition = {10, 20, 610, 470};
    WritePlacementValues(store, "Form", placement, kScreen800);
    EXPECT_EQ(reg.ReadInteger("Form", "Flags", -1), 0);
    EXPECT_EQ(reg.ReadInteger("Form", "ShowCmd", -1), 3);
    EXPECT_EQ(reg.ReadInteger("Form", "PixelsPerInch", -1), 96);
    EXPECT_EQ(reg.ReadString("Form", "MinMaxPos(800x600)", ""), "-1,-2,-4,-4");
    EXPECT_EQ(reg.ReadString("Form", "MinMaxPos", ""), "-1,-2,-4,-4");
    EXPECT_EQ(reg.ReadString("Form", "NormPos(800x600)", ""), "10,20,610,470");
    EXPECT_EQ(reg.ReadString("Form", "NormPos", ""), "10,20,610,470");

    TWindowPlacement read;
    read.NormalPosition = {0, 0, 100, 100};
    ASSERT_TRUE(ReadPlacementPosition(store, "Form", kScreen800, read));
    EXPECT_EQ(read.MinPosition, (TPoint{-1, -2}));
    EXPECT_EQ(read.MaxPosition, (TPoint{-4, -4}));
    EXPECT_EQ(read.NormalPosition, (TRect{10, 20, 610, 470}));

    // Another pixels per inch keeps the present geometry.
    TWindowPlacement designed;
    designed.NormalPosition = {0, 0, 100, 100};
    const TWindowPlacement before = designed;
    EXPECT_FALSE(ReadPlacementPosition(store, "Form", TPlacementScreen{800, 600, 120}, designed));
    EXPECT_EQ(designed, before);

    // Missing or non-numeric words fall back: 0 for the points, the present value for the rectangle.
    reg.WriteString("Form", "NormPos(800x600)", "15,x");
    reg.WriteString("Form", "MinMaxPos(800x600)", "3");
    TWindowPlacement partial;
    partial.NormalPosition = {1, 2, 300, 400};
    ASSERT_TRUE(ReadPlacementPosition(store, "Form", kScreen800, partial));
    EXPECT_EQ(partial.NormalPosition, (TRect{15, 2, 300, 400}));
    EXPECT_EQ(partial.MinPosition, (TPoint{3, 0}));
    EXPECT_EQ(partial.MaxPosition, (TPoint{0, 0}));

    // Nothing stored: nothing found, nothing changed.
    reg.EraseSection("Form");
    TWindowPlacement empty;
    empty.NormalPosition = {5, 5, 50, 50};
    EXPECT_FALSE(ReadPlacementPosition(store, "Form", kScreen800, empty));
    EXPECT_EQ(empty.NormalPosition, (TRect{5, 5, 50, 50}));
}

TEST(AppUtils, PlacementRoundTripsThroughAnIniFile)
{
    TempDir folder("l70-inip");
    const std::string name = (folder.path / "p.ini").string();
    std::mt19937 rng(7070);
    for (int round = 0; round < 40; ++round) {
        TWindowPlacement p;
        p.Flags = rng() % 3;
        p.ShowCmd = static_cast<int32_t>(rng() % 4);
        auto v = [&] { return static_cast<int32_t>(rng() % 4000) - 2000; };
        p.MinPosition = {v(), v()};
        p.MaxPosition = {v(), v()};
        p.NormalPosition = {v(), v(), v(), v()};
        {
            TIniFile ini(name);
            WritePlacementValues(TIniObject(&ini), "F", p, kScreen800);
            ini.UpdateFile();
        }
        TIniFile ini(name);
        TWindowPlacement back;
        back.ShowCmd = p.ShowCmd;
        ASSERT_TRUE(ReadPlacementPosition(TIniObject(&ini), "F", kScreen800, back));
        ASSERT_EQ(back, p) << round;
        ASSERT_EQ(IniReadInteger(TIniObject(&ini), "F", "ShowCmd", -1), p.ShowCmd);
    }
}

TEST(AppUtils, ShowCommandsGiveStates)
{
    for (int cmd : {1, 5, 9})
        EXPECT_EQ(StateOfShowCmd(cmd, TStoredState::Maximized), TStoredState::Normal) << cmd;
    for (int cmd : {2, 6, 7})
        EXPECT_EQ(StateOfShowCmd(cmd, TStoredState::Normal), TStoredState::Minimized) << cmd;
    EXPECT_EQ(StateOfShowCmd(3, TStoredState::Normal), TStoredState::Maximized);
    for (int cmd : {0, 4, 8, 10, -1}) {
        EXPECT_EQ(StateOfShowCmd(cmd, TStoredState::Normal), TStoredState::Normal) << cmd;
        EXPECT_EQ(StateOfShowCmd(cmd, TStoredState::Maximized), TStoredState::Maximized) << cmd;
    }
}

TEST(AppUtils, RectanglesOffEveryScreenComeBackOntoThePrimary)
{
    const TRect primary{0, 0, 800, 600};
    const std::vector<TRect> screens = {primary, {800, 0, 1824, 768}};
    EXPECT_EQ(KeepOnScreen({100, 100, 500, 400}, screens, primary), (TRect{100, 100, 500, 400}));
    EXPECT_EQ(KeepOnScreen({1700, 700, 2100, 900}, screens, primary), (TRect{1700, 700, 2100, 900}));
    EXPECT_EQ(KeepOnScreen({3000, 100, 3400, 400}, screens, primary), (TRect{200, 150, 600, 450}));
    EXPECT_EQ(KeepOnScreen({-900, -900, 100, -500}, screens, primary), (TRect{0, 100, 800, 500}));
    std::mt19937 rng(4107);
    for (int i = 0; i < 500; ++i) {
        const int32_t l = static_cast<int32_t>(rng() % 8000) - 4000, t = static_cast<int32_t>(rng() % 8000) - 4000;
        const TRect r{l, t, l + 1 + static_cast<int32_t>(rng() % 1200), t + 1 + static_cast<int32_t>(rng() % 900)};
        const TRect k = KeepOnScreen(r, screens, primary);
        const bool met = k.Left < primary.Right && k.Right > primary.Left && k.Top < primary.Bottom &&
                         k.Bottom > primary.Top;
        ASSERT_TRUE(k == r || met) << i;
        ASSERT_LE(k.Width(), r.Width());
    }
}
