// Tests of the palette files and the palette dialog: reading lines, items and colours, preselection, typing a letter, a missing file and an empty list.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QListWidget>
#include <QPushButton>
#include <random>
#include <string>
#include <vector>

#include "app/dialogs/UFormPaleta.h"
#include "app/model/Palette.h"
#include "platform/core/CharacterReferences.h"
#include "platform/MessageBox.h"
#include "support/HookWhile.h"
#include "support/RandomText.h"
#include "support/TempDir.h"

namespace {

using TPaletteAnswer = THookWhile<TPaletteDialogHook, SetPaletteDialogHook>;

std::vector<std::string> itemsOf(const TFormColor& form)
{
    std::vector<std::string> items;
    for (int i = 0; i < form.ListBox1->count(); ++i)
        items.push_back(form.ListBox1->item(i)->text().toStdString());
    return items;
}

} // namespace

TEST(Palette, LinesGiveNameCodeItemAndColour)
{
    struct {
        const char* line;
        bool read;
        const char* name = "";
        const char* code = "";
        const char* item = "";
        TColor colour = 0;
    } const cases[] = {
        {"FF0000-Rojo", true, "Rojo", "FF0000", "$000000FF", clRed},
        {"ff0000-rojo", true, "rojo", "ff0000", "$000000ff", clRed},
        {"0000FF-Azul-marino", true, "Azul-marino", "0000FF", "$00FF0000", clBlue},
        {"123456", true, "", "123456", "$00563412", 0x563412},
        {"ABCDEFsin guion", true, "", "ABCDEF", "$00EFCDAB", 0xEFCDAB},
        {"FF00-Corto", false},
        {"FF00G0-Mal", false},
        {"", false},
        {"-Rojo", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TPaletteColor colour;
        ASSERT_EQ(ReadPaletteLine(c.line, colour), c.read);
        if (!c.read)
            continue;
        EXPECT_EQ(colour.Name, c.name);
        EXPECT_EQ(colour.Code, c.code);
        EXPECT_EQ(colour.Item, c.item);
        EXPECT_EQ(PaletteItemColor(colour.Item), c.colour);
    }
    EXPECT_EQ(PaletteItem(clRed), "$000000FF");
    EXPECT_EQ(PaletteItemColor("000000FF"), clBlack);

    const std::vector<TPaletteColor> read = ReadPalette("FF0000-Rojo\r\n00FF00-Lima\nxx\r0000FF-Azul\r\n\r\n");
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].Name, "Lima");
    EXPECT_EQ(read[2].Name, "Azul");

    // Any colour's item reads back as the colour, and a code's item as the code's colour.
    std::mt19937 random(77);
    for (int i = 0; i < 500; ++i) {
        const TColor colour = static_cast<TColor>(random() & 0xFFFFFF);
        EXPECT_EQ(PaletteItemColor(PaletteItem(colour)), colour);
        const std::string code = RandomText(random, "0123456789ABCDEFabcdef", 6);
        TPaletteColor line;
        ASSERT_TRUE(ReadPaletteLine(code + "-x", line));
        EXPECT_EQ(SwapRedBlue(static_cast<uint32_t>(PaletteItemColor(line.Item))), std::stoul(code, nullptr, 16));
    }
    EXPECT_EQ(FindPaletteItem({"$000000ff", "$00FF0000"}, "$000000FF"), 0);
    EXPECT_EQ(FindPaletteItem({"$000000ff"}, "$00000000"), -1);
    EXPECT_EQ(FindPaletteName({"Azul", "rojo", "Rosa"}, "R"), 1);
    EXPECT_EQ(FindPaletteName({"Azul", "Rojo"}, "r"), 1);
    EXPECT_EQ(FindPaletteName({"Azul"}, "x"), -1);
    EXPECT_EQ(FindPaletteName({"Azul"}, ""), -1);
    // A held character is found whole, and its mark alone finds no other one.
    const std::string beta = HeldCharacter(U'\u03B2');
    EXPECT_EQ(FindPaletteName({HeldCharacter(U'\u03B1') + "lfa", beta + "eta"}, beta), 1);
    EXPECT_EQ(FindPaletteName({HeldCharacter(U'\u03B1') + "lfa"}, beta), -1);
}

TEST(Palette, TheDialogLoadsPreselectsAndGivesTheChosenColour)
{
    TempDir dir("palette");
    TFormColor form;
    ASSERT_TRUE(form.LoadPalette(dir.file("a.pal", "00FF00-Lima\r\nFF0000-Rojo\r\nmal\r\n0000FF-Azul\r\nFFC0CB-rosa\r\n")));
    EXPECT_EQ(form.Names, (std::vector<std::string>{"Lima", "Rojo", "Azul", "rosa"}));
    EXPECT_EQ(form.Codes, (std::vector<std::string>{"00FF00", "FF0000", "0000FF", "FFC0CB"}));
    EXPECT_EQ(itemsOf(form), (std::vector<std::string>{"$0000FF00", "$000000FF", "$00FF0000", "$00CBC0FF"}));

    std::vector<int> shown;
    int answer = 1;
    TPaletteAnswer hook([&](TFormColor& f) {
        shown.push_back(f.ListBox1->currentRow());
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.Aceptar->isEnabled());
        return answer;
    });
    form.Color = clRed;
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.Color, clRed);
    // A colour the palette lacks preselects the first one, which Aceptar gives.
    form.Color = 0x123456;
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.Color, clLime);
    answer = 2;
    form.Color = clBlue;
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(form.Color, clBlue);
    EXPECT_EQ(shown, (std::vector<int>{1, 0, 2}));

    // Typing a letter selects the first name with it, without regard to case.
    QKeyEvent r(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, "r");
    QCoreApplication::sendEvent(form.ListBox1, &r);
    EXPECT_EQ(form.ListBox1->currentRow(), 1);
    form.ListBox1KeyPress("A");
    EXPECT_EQ(form.ListBox1->currentRow(), 2);
    form.ListBox1KeyPress("z");
    EXPECT_EQ(form.ListBox1->currentRow(), 2);

    // A palette in lower case still preselects.
    ASSERT_TRUE(form.LoadPalette(dir.file("b.pal", "00ff00-verde\nff0000-rojo\n")));
    answer = 1;
    form.Color = clRed;
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(shown.back(), 1);
    EXPECT_EQ(form.Color, clRed);

    // The items are drawn: a colour box over the first quarter, then the name.
    QImage canvas(200, TFormColor::kItemHeight, QImage::Format_RGB32);
    QPainter painter(&canvas);
    form.ListBox1DrawItem(painter, 1, TRect{0, 0, 200, TFormColor::kItemHeight}, false);
    painter.end();
    EXPECT_EQ(canvas.pixel(20, 8), qRgb(255, 0, 0));
    EXPECT_NE(canvas.pixel(60, 8), qRgb(255, 0, 0));
}

TEST(Palette, AMissingFileIsToldAndAnEmptyListCannotBeConfirmed)
{
    TempDir dir("palette");
    TFormColor form;
    ASSERT_TRUE(form.LoadPalette(dir.file("a.pal", "FF0000-Rojo\n")));
    struct TBox {
        std::string text, caption;
        unsigned flags;
    };
    std::vector<TBox> boxes;
    const std::string missing = dir.path.string() + "/no.pal";
    {
        THookWhile<TMessageBoxHook, SetMessageBoxHook> answer([&](const std::string& t, const std::string& c, unsigned f) {
            boxes.push_back({t, c, f});
            return IDOK;
        });
        EXPECT_FALSE(form.LoadPalette(missing));
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No es posible encontrar el archivo " + missing +
                                 " compruebe que la ruta de acceso y el nombre del archivo son correctos y que todas "
                                 "las bibliotecas requeridas est\xE9n disponibles.\nMientras este error contin\xFA"
                                 "e no ser\xE1 posible mostrar la paleta de colores.");
    EXPECT_EQ(boxes[0].caption, "Error...");
    EXPECT_EQ(boxes[0].flags, static_cast<unsigned>(MB_OK | MB_ICONSTOP));
    // A name is told as its characters, one Windows-1252 lacks as its reference ("paleta ŝí.pal").
    {
        THookWhile<TMessageBoxHook, SetMessageBoxHook> answer([&](const std::string& t, const std::string& c, unsigned f) {
            boxes.push_back({t, c, f});
            return IDOK;
        });
        EXPECT_FALSE(form.LoadPalette(dir.path.string() + "/paleta \xC5\x9D\xC3\xAD.pal"));
    }
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].text.find(dir.path.string() + "/paleta &#349;\xED.pal "), std::string::npos) << boxes[1].text;
    EXPECT_EQ(form.Names, std::vector<std::string>{"Rojo"});
    EXPECT_EQ(form.ListBox1->count(), 1);

    // A file without a colour leaves the list empty: Aceptar is off and a double click does nothing.
    ASSERT_TRUE(form.LoadPalette(dir.file("empty.pal", "sin colores\n")));
    bool enabled = true;
    TPaletteAnswer hook([&](TFormColor& f) {
        enabled = f.Aceptar->isEnabled();
        f.ListBox1DblClick();
        return f.result();
    });
    form.Color = clRed;
    EXPECT_FALSE(form.Execute());
    EXPECT_FALSE(enabled);
    EXPECT_EQ(form.Color, clRed);
}
