// The speed bar: its grid, dropping items, sections, orientation and alignment, hints, painting and the stored layout.
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/GraphicsQt.h"
#include "platform/core/Registry.h"
#include "support/TempRegistry.h"
#include "toolbars/SpeedBar.h"

namespace {

const char* const kKey = "Software\\Dremal\\SpeedBarTest";

// A form with a bar of one section holding the items "sbUno", "sbDos", "sbTres", shown one after the
// other on the grid.
struct TBar {
    QWidget form;
    TSpeedBar* bar;
    std::vector<TSpeedItem*> items;
    TFormStorage* storage = nullptr;

    TBar()
    {
        form.resize(300, 200);
        bar = new TSpeedBar(&form);
        bar->setObjectName("pBar");
        bar->AddSection(new TSpeedbarSection);
        for (const char* name : {"sbUno", "sbDos", "sbTres"}) {
            auto* item = new TSpeedItem;
            item->SetName(name);
            bar->AddItem(0, item);
            item->SetLeft(bar->BtnOffsetHorz() + 24 * static_cast<int>(items.size()));
            item->SetVisible(true);
            items.push_back(item);
        }
    }
    void link()
    {
        storage = new TFormStorage(&form);
        storage->SetIniFileName(kKey);
        storage->SetIniSection("Form");
        storage->SetUseRegistry(true);
        storage->Loaded();
        bar->SetIniStorage(storage);
    }
    std::vector<bool> shown() const
    {
        std::vector<bool> result;
        for (const TSpeedItem* item : items)
            result.push_back(item->Visible());
        return result;
    }
};

void writeLayout(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values)
{
    TRegIniFile reg(kKey);
    for (const auto& [key, value] : values)
        reg.WriteString(section, key, value);
}

} // namespace

TEST(SpeedBar, TheGridStepFollowsTheButtonSize)
{
    const std::pair<int, int> steps[] = {{24, 8}, {22, 11}, {23, 1}, {1, 1}, {2, 1}, {3, 1}, {9, 3}, {30, 10}, {48, 8}, {7, 1}};
    for (auto [size, step] : steps)
        EXPECT_EQ(SpeedbarGridStep(size), step) << size;
    TBar b;
    ASSERT_EQ(b.bar->Orientation(), boHorizontal);
    for (auto [width, step] : {std::pair{22, 11}, std::pair{23, 1}, std::pair{24, 8}}) {
        b.bar->SetBtnWidth(width);
        EXPECT_EQ(b.bar->GridX(), step);
        EXPECT_EQ(b.bar->GridY(), b.bar->BtnHeight());
        EXPECT_EQ(b.items[1]->Button()->width(), width);
    }
    EXPECT_EQ(b.bar->BtnSize(0), 24);
    EXPECT_EQ(b.bar->BtnSize(1), 23);
    EXPECT_EQ(b.bar->BtnSize(2), 0);
}

TEST(SpeedBar, ADroppedItemSnapsToTheGridOrLeavesTheBar)
{
    TBar b;
    b.bar->SetBarSize(300, 60);
    b.bar->SetBtnOffsetHorz(4);
    b.bar->SetBtnOffsetVert(4);
    ASSERT_EQ(b.bar->GridX(), 8);
    TSpeedItem* item = b.items[0];
    EXPECT_TRUE(b.bar->AcceptDropItem(item, 24, 4)); // 2.5 cells: the even one
    EXPECT_EQ(item->Left(), 20);
    EXPECT_TRUE(b.bar->AcceptDropItem(item, 32, 4)); // 3.5 cells
    EXPECT_EQ(item->Left(), 36);
    EXPECT_TRUE(b.bar->AcceptDropItem(item, 33, 47)); // 1.87 rows: the fraction goes
    EXPECT_EQ(item->Left(), 36);
    EXPECT_EQ(item->Top(), 27);
    EXPECT_TRUE(item->Visible());
    EXPECT_FALSE(b.bar->AcceptDropItem(item, 500, 10));
    EXPECT_FALSE(item->Visible());
    EXPECT_TRUE(item->Button()->isHidden());
    TSpeedItem stranger;
    EXPECT_FALSE(b.bar->AcceptDropItem(&stranger, 10, 10));
    for (auto [value, truncated, rounded] : {std::tuple{-5, -4, -4}, std::tuple{16, 12, 20}, std::tuple{8, 4, 4}}) {
        EXPECT_EQ(SpeedbarSnap(value, 4, 8, true), truncated) << value;
        EXPECT_EQ(SpeedbarSnap(value, 4, 8, false), rounded) << value;
    }
}

TEST(SpeedBar, SectionCaptionsStayUniqueAndItemsAreFoundByName)
{
    TSpeedBar bar;
    std::vector<TSpeedbarSection*> sections;
    for (int i = 0; i < 3; ++i) {
        sections.push_back(new TSpeedbarSection);
        sections.back()->SetCaption("Archivos");
        EXPECT_EQ(bar.AddSection(sections.back()), i);
    }
    EXPECT_EQ(sections[1]->Caption(), "Archivos (1)");
    EXPECT_EQ(sections[2]->Caption(), "Archivos (2)");
    EXPECT_EQ(bar.SearchSection("Archivos (2)"), 2);
    EXPECT_EQ(bar.SearchSection("archivos"), -1);
    try {
        sections[2]->SetCaption("Archivos");
        ADD_FAILURE() << "a taken caption was accepted";
    } catch (const ESpeedbarError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(sections[2]->Caption(), "Archivos (2)");
    sections[2]->SetIndex(-7);
    EXPECT_EQ(sections[2]->Index(), 0);

    auto* item = new TSpeedItem;
    item->SetName("sbAbrir");
    bar.AddItem(9, item); // clamped to the last section
    int section = -1, index = -1;
    EXPECT_TRUE(bar.FindItem(item, section, index));
    EXPECT_EQ(section, 2);
    EXPECT_EQ(bar.Items(2, 0), item);
    EXPECT_EQ(bar.Items(3, 0), nullptr);
    EXPECT_EQ(bar.ItemsCount(7), 0);
    EXPECT_EQ(bar.SearchItem("SBABRIR"), item);
    EXPECT_EQ(bar.SearchItem("sbCerrar"), nullptr);
    bar.AddItem(0, item); // moves it
    EXPECT_EQ(bar.ItemsCount(0), 1);
    EXPECT_EQ(bar.ItemsCount(2), 0);
    bar.RemoveItem(item);
    EXPECT_EQ(item->SpeedBar(), nullptr);
    delete item;
    bar.DeleteSection(0);
    EXPECT_EQ(bar.SectionCount(), 2);
}

TEST(SpeedBar, AnAutoBarTurnsWithItsEdgeAndRefusesNoEdge)
{
    TBar b;
    b.items[1]->SetTop(b.bar->BtnOffsetVert() + 2);
    const int width = b.bar->BtnWidth(), height = b.bar->BtnHeight();
    const int gridX = b.bar->GridX(), gridY = b.bar->GridY();
    std::vector<std::pair<int, int>> before;
    for (const TSpeedItem* item : b.items)
        before.emplace_back(item->Left(), item->Top());
    b.bar->SetAlign(alLeft);
    EXPECT_EQ(b.bar->Orientation(), boVertical);
    EXPECT_EQ(b.bar->BtnWidth(), height);
    EXPECT_EQ(b.bar->BtnHeight(), width);
    EXPECT_EQ(b.bar->GridX(), gridY);
    EXPECT_EQ(b.bar->GridY(), gridX);
    for (size_t i = 0; i < b.items.size(); ++i) {
        EXPECT_EQ(b.items[i]->Left(), before[i].second) << i;
        EXPECT_EQ(b.items[i]->Top(), before[i].first) << i;
    }
    // Along the form's left edge, as thick as it was across the top.
    EXPECT_EQ(b.bar->geometry(), QRect(0, 0, 2 * 3 + 23, 200));
    for (TAlign refused : {alNone, alClient}) {
        try {
            b.bar->SetAlign(refused);
            ADD_FAILURE() << "refused alignment accepted";
        } catch (const ESpeedbarError& e) {
            EXPECT_EQ(e.Message(), "Cannot set this property value while Position is bpAuto");
        }
        EXPECT_EQ(b.bar->Align(), alLeft);
    }
    // A custom bar keeps its orientation on any edge.
    b.bar->SetPosition(bpCustom);
    b.bar->SetAlign(alTop);
    EXPECT_EQ(b.bar->Orientation(), boVertical);
    b.bar->SetAlign(alNone);
    EXPECT_EQ(b.bar->Align(), alNone);
}

TEST(SpeedBar, OffsetsOptionsAndEditModeReachTheButtons)
{
    TBar b;
    EXPECT_EQ(b.bar->MinButtonsOffset(), 3); // raised buttons, a raised bevel
    EXPECT_EQ(b.bar->BtnOffsetHorz(), 3);
    EXPECT_EQ(b.bar->height(), 2 * 3 + 23);
    const int left = b.items[2]->Left();
    b.bar->SetBtnOffsetHorz(7);
    EXPECT_EQ(b.items[2]->Left(), left + 4);
    b.bar->SetBtnOffsetHorz(0); // raised to the least
    EXPECT_EQ(b.bar->BtnOffsetHorz(), 3);
    EXPECT_EQ(b.items[2]->Left(), left);
    b.items[0]->SetTop(0); // kept off the margin across the rows
    EXPECT_EQ(b.items[0]->Top(), 3);

    b.bar->SetOptions(sbFlatBtns | sbTransparentBtns);
    EXPECT_TRUE(b.items[0]->Button()->Flat());
    EXPECT_TRUE(b.items[0]->Button()->Transparent());
    EXPECT_FALSE(b.items[0]->Button()->GrayedInactive());
    b.items[0]->SetEnabled(false);
    EXPECT_FALSE(b.items[0]->Button()->isEnabled());
    QWidget setup;
    int customized = 0;
    b.bar->OnCustomize = [&](TSpeedBar*) { ++customized; };
    b.bar->SetEditing(&setup);
    EXPECT_TRUE(b.items[0]->Button()->isEnabled());
    EXPECT_FALSE(b.items[0]->Button()->Flat());
    b.items[0]->SetEnabled(false);
    EXPECT_TRUE(b.items[0]->Button()->isEnabled());
    b.bar->SetEditing(nullptr);
    EXPECT_FALSE(b.items[0]->Button()->isEnabled());
    EXPECT_TRUE(b.items[0]->Button()->Flat());
    EXPECT_EQ(customized, 1);
    b.items[1]->SetEnabled(true);
    b.bar->setEnabled(false);
    EXPECT_FALSE(b.items[1]->Button()->isEnabled());
    b.bar->setEnabled(true);
    EXPECT_TRUE(b.items[1]->Button()->isEnabled());
}

TEST(SpeedBar, ACaptionKeepsTheHintInStep)
{
    struct TCase {
        const char* oldHint;
        const char* caption;
        const char* hint;
    };
    const TCase cases[] = {
        {"Abrir|Abre un archivo", "Open|Opens a file", "Open|Opens a file"},
        {"Abrir|Abre un archivo", "Open|", "Open|Abre un archivo"},
        {"Abrir|Abre un archivo", "Open", "Open|Abre un archivo"},
        {"Abrir", "Open", "Open|"},
        {"", "Open", "Open|"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SpeedItemHint(c.caption, c.oldHint), c.hint) << c.caption << " over " << c.oldHint;

    QWidget owner;
    TSpeedItem item(&owner);
    item.SetCaption("Abrir");
    item.SetHint("Abrir|Abre un archivo");
    item.SetCaption("Open|");
    EXPECT_EQ(item.Hint(), "Open|Abre un archivo");
    EXPECT_EQ(item.Button()->toolTip(), "Open");
    EXPECT_EQ(item.Button()->statusTip(), "Abre un archivo");
    item.SetHint("Otra cosa|Larga");
    item.SetCaption("Nada"); // the hint no longer starts with the caption: it stays
    EXPECT_EQ(item.Hint(), "Otra cosa|Larga");
    TSpeedItem loose; // owned by no control: the hint always follows
    loose.SetHint("Otra cosa|Larga");
    loose.SetCaption("Nada");
    EXPECT_EQ(loose.Hint(), "Nada|Larga");
    item.SetName("sbViejo");
    item.SetCaption("sbViejo");
    item.SetName("sbNuevo");
    EXPECT_EQ(item.Caption(), "sbNuevo");
}

TEST(SpeedBar, TheWallpaperIsTiledAndBoundLinesAreEtched)
{
    QWidget form;
    form.resize(40, 100);
    auto* bar = new TSpeedBar(&form);
    bar->SetBevelOuter(bvNone);
    bar->SetBarSize(40, 20);
    QImage tile(8, 4, QImage::Format_RGB32);
    tile.fill(QColor(0, 0, 255));
    for (int y = 0; y < 4; ++y)
        tile.setPixelColor(0, y, QColor(255, 0, 0));
    bar->SetWallpaper(tile);
    bar->SetBoundLines({blTop});
    const QImage picture = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int x : {0, 8, 16, 24, 32})
        EXPECT_EQ(picture.pixelColor(x, 5), QColor(255, 0, 0)) << x;
    for (int x : {1, 7, 9, 39})
        EXPECT_EQ(picture.pixelColor(x, 5), QColor(0, 0, 255)) << x;
    EXPECT_EQ(picture.pixelColor(0, 9), QColor(255, 0, 0)); // the next row of tiles
    EXPECT_EQ(picture.pixelColor(5, 0), ToQColor(clBtnShadow));
    EXPECT_EQ(picture.pixelColor(5, 1), ToQColor(clBtnHighlight));
    EXPECT_EQ(picture.pixelColor(5, 2), QColor(0, 0, 255));

    bar->SetOptions(bar->Options() | sbStretchBitmap);
    bar->SetBoundLines({blBottom});
    const QImage stretched = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(stretched.pixelColor(4, 5), QColor(255, 0, 0)); // the red column, five times as wide
    EXPECT_EQ(stretched.pixelColor(8, 5), QColor(0, 0, 255));
    EXPECT_EQ(stretched.pixelColor(5, 18), ToQColor(clBtnShadow));
    EXPECT_EQ(stretched.pixelColor(5, 19), ToQColor(clBtnHighlight));
}

TEST(SpeedBar, TheLayoutIsSavedAsNamedPositions)
{
    TempRegistry registry("s71-save");
    TBar b;
    b.link();
    b.items[1]->SetStored(false);
    b.items[2]->SetTop(10);
    b.storage->Restore();
    b.storage->Save();
    const std::string section = b.bar->LayoutSection();
    EXPECT_EQ(section, "Form\\QWidgetpBar");
    TRegIniFile reg(kKey);
    EXPECT_EQ(reg.ReadInteger(section, "Count", -1), 2);
    EXPECT_EQ(reg.ReadString(section, "Button1", ""), "sbUno,3,3");
    EXPECT_EQ(reg.ReadString(section, "Button2", ""), "sbTres,51,10");
    EXPECT_EQ(reg.ReadString(section, "Button3", "none"), "none");
    EXPECT_EQ(reg.ReadInteger(section, "Position", -1), 1);
    EXPECT_EQ(reg.ReadInteger(section, "Width", -1), b.bar->height());
    EXPECT_EQ(reg.ReadInteger(section, "BtnWidth", -1), 24);
    EXPECT_EQ(reg.ReadInteger(section, "PixelsPerInch", -1), TSpeedBar::ScreenPixelsPerInch());
    b.bar->SetAlign(alRight);
    b.storage->Save();
    EXPECT_EQ(TRegIniFile(kKey).ReadInteger(section, "Position", -1), 4);
    EXPECT_EQ(TRegIniFile(kKey).ReadInteger(section, "Width", -1), b.bar->width());
    b.bar->SetPosition(bpCustom);
    b.bar->SetAlign(alNone);
    b.storage->Save();
    EXPECT_EQ(TRegIniFile(kKey).ReadInteger(section, "Width", -1), -1);
}

TEST(SpeedBar, AnItemsGlyphIsMadeOnceWhenTheItemFirstShowsOrItsGlyphIsAskedFor)
{
    TBar b;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    std::vector<int> made(3, 0);
    std::vector<TSpeedItem*> waiting;
    for (int i = 0; i < 3; ++i) {
        auto* item = new TSpeedItem;
        item->SetName("sbEspera" + std::to_string(i));
        b.bar->AddItem(0, item);
        item->SetGlyphSource([&made, &red, i] {
            ++made[static_cast<size_t>(i)];
            return red;
        });
        waiting.push_back(item);
    }
    b.form.show();
    b.form.grab();
    // Off the bar, nothing is made however the bar is shown and painted.
    EXPECT_EQ(made, (std::vector<int>{0, 0, 0}));
    // Shown, asked for, or given a glyph of its own first: each is made at most once.
    waiting[0]->SetVisible(true);
    b.form.grab();
    EXPECT_TRUE(waiting[1]->Glyph() == red);
    QImage blue(16, 16, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    waiting[2]->SetGlyph(blue);
    waiting[0]->SetVisible(false);
    waiting[0]->SetVisible(true);
    EXPECT_TRUE(waiting[1]->Glyph() == red);
    EXPECT_EQ(made, (std::vector<int>{1, 1, 0}));
    EXPECT_TRUE(waiting[0]->Button()->Glyph() == red);
    EXPECT_TRUE(waiting[2]->Glyph() == blue);
}

TEST(SpeedBar, RestoringALayoutPlacesTheNamedItems)
{
    const std::string ppi = std::to_string(TSpeedBar::ScreenPixelsPerInch());
    struct TCase {
        std::vector<std::pair<std::string, std::string>> values;
        int version;
        std::vector<bool> shown;
        int firstLeft;
        int posChanged;
    };
    const TCase cases[] = {
        // An older layout changes nothing.
        {{{"Version", "1"}, {"Count", "1"}, {"Button1", "sbDos,60,3"}}, 2, {true, true, true}, 3, 0},
        // No count: the items stay as the form put them.
        {{{"Count", "0"}, {"PixelsPerInch", ppi}}, 0, {true, true, true}, 3, 0},
        // Another resolution: only the new edge is told.
        {{{"PixelsPerInch", "1"}, {"Position", "3"}, {"Count", "1"}, {"Button1", "sbDos,60,3"}}, 0, {true, true, true}, 3, 1},
        // A vanished item is skipped, the others appear where they were left.
        {{{"PixelsPerInch", ppi}, {"Count", "2"}, {"Button1", "sbGone,9,9"}, {"Button2", "SBUNO 40 x"}}, 0, {true, false, false}, 40, 0},
        // A damaged count reads no more entries than the bar has items.
        {{{"PixelsPerInch", ppi}, {"Count", "1000000"}, {"Button1", "sbUno,0,0"}, {"Button3", "sbDos,30,3"}, {"Button4", "sbTres,60,3"}},
         0, {true, true, false}, 3, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        TempRegistry registry("s71-restore");
        TBar b;
        b.link();
        b.bar->SetVersion(c.version);
        int posChanged = 0;
        b.bar->OnPosChanged = [&](TSpeedBar*) { ++posChanged; };
        writeLayout(b.bar->LayoutSection(), c.values);
        b.storage->Restore();
        EXPECT_EQ(b.shown(), c.shown) << i;
        EXPECT_EQ(b.items[0]->Left(), c.firstLeft) << i;
        EXPECT_EQ(posChanged, c.posChanged) << i;
        EXPECT_EQ(b.bar->Align(), c.posChanged ? alLeft : alTop) << i;
    }
}
