// Tests of the download times dialog: its rows, total and times, the column layout and its window.
#include "app/dialogs/uFormDescarga.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "platform/Win1252Qt.h"
#include "support/TempDir.h"
#include "support/Win1252Text.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kWeighExt = ".gif;.jpg;.jpeg;.bmp;.png;.class;.js;.css;.wav;.mid";

TKestrimaConfig weighing(const std::string& extensions = kWeighExt)
{
    TKestrimaConfig config;
    config.FileWeighExt = extensions;
    return config;
}

Strings rowsOf(const TformDescarga& form)
{
    Strings rows;
    for (int row = 0; row < form.RowCount(); ++row)
        rows.push_back(form.Cells(0, row) + "|" + form.Cells(1, row) + "|" + form.Cells(2, row));
    return rows;
}

std::string text(const QLabel* label)
{
    return ToWin1252(label->text());
}

} // namespace

TEST(FormDescarga, TwentyEightThousandEightHundredBytesAtTheFourSpeeds)
{
    TempDir folder("descarga");
    const std::string page = "<img src=\"a.gif\">";
    const std::string fileName = folder.file("p.htm", page);
    folder.file("a.gif", std::string(28800 - page.size(), 'g'));
    TformDescarga form(fileName, page, weighing());
    EXPECT_EQ(text(form.labTotal), "28800 bytes");
    EXPECT_EQ(text(form.lab14), "20 segundos");
    EXPECT_EQ(text(form.lab28), "10 segundos");
    EXPECT_EQ(text(form.lab36), "7 segundos");
    EXPECT_EQ(text(form.lab56), "5 segundos");
    for (const char* caption : {"14.400 bps", "28.800 bps", "36.600 bps", "56.600 bps"}) {
        bool found = false;
        for (const QLabel* label : form.findChildren<QLabel*>())
            found = found || ToWin1252(label->text()) == caption;
        EXPECT_TRUE(found) << caption;
    }
    EXPECT_EQ(rowsOf(form), (Strings{"Archivo|Tama\xF1o|", "a.gif|28783 bytes|ok", "p.htm|17 bytes|ok"}));
    EXPECT_EQ(ToWin1252(form.windowTitle()), "Tiempos de descarga");
    EXPECT_EQ(ToWin1252(form.bAceptar->text()), "Aceptar");
}

TEST(FormDescarga, OneByteAndOneSecondAreSaidInTheSingular)
{
    TempDir folder("descarga");
    const std::string page = "<img src=\"a.gif\"><img src=\"b.gif\">";
    const std::string fileName = folder.file("p.htm", page);
    folder.file("a.gif", "g");
    // 1440 bytes in all: one second at the slowest speed, none at the others.
    folder.file("b.gif", std::string(1440 - 1 - page.size(), 'g'));
    TformDescarga form(fileName, page, weighing());
    EXPECT_EQ(rowsOf(form), (Strings{"Archivo|Tama\xF1o|", "a.gif|1 byte|ok",
                                     "b.gif|" + std::to_string(1439 - page.size()) + " bytes|ok",
                                     "p.htm|" + std::to_string(page.size()) + " bytes|ok"}));
    EXPECT_EQ(text(form.labTotal), "1440 bytes");
    EXPECT_EQ(text(form.lab14), "1 segundo");
    EXPECT_EQ(text(form.lab28), "0 segundos");

    // A page of one byte that refers to nothing.
    const std::string tiny = folder.file("t.htm", "x");
    TformDescarga one(tiny, "x", weighing());
    EXPECT_EQ(rowsOf(one), (Strings{"Archivo|Tama\xF1o|", "t.htm|1 byte|ok"}));
    EXPECT_EQ(text(one.labTotal), "1 byte");
}

TEST(FormDescarga, FragmentsCountTheirFileMissingFilesShowZeroAndExtensionsIgnoreCase)
{
    TempDir folder("descarga");
    std::filesystem::create_directory(folder.path / "fotos");
    folder.file("fotos/a.gif", std::string(1000, 'g'));
    folder.file("B.JPG", std::string(440, 'j'));
    const std::string page = "<img src=\"fotos/a.gif#x\"><img src=\"B.JPG\"><img src=\"falta.png\">"
                             "<a href=\"otra.htm\"><a href=\"#top\"><a href=\"http://x/y.gif\">";
    const std::string fileName = folder.file("p.htm", page);
    TformDescarga form(fileName, page, weighing(".gif;.jpg;.png"));
    EXPECT_EQ(rowsOf(form), (Strings{"Archivo|Tama\xF1o|", "B.JPG|440 bytes|ok", "falta.png|0 bytes|\xBF?",
                                     "fotos/a.gif|1000 bytes|ok", "http://x/y.gif|0 bytes|\xBF?",
                                     "p.htm|" + std::to_string(page.size()) + " bytes|ok"}));
    const int64_t total = 1000 + 440 + static_cast<int64_t>(page.size());
    EXPECT_EQ(text(form.labTotal), std::to_string(total) + " bytes");
    ASSERT_EQ(total / 1440, 1);
    EXPECT_EQ(text(form.lab14), "1 segundo");

    // An untitled page looks nowhere for its files, not in the working folder either.
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    TformDescarga untitled("", page, weighing(".gif;.jpg;.png"));
    EXPECT_EQ(std::filesystem::current_path(), folder.path);
    std::filesystem::current_path(started);
    EXPECT_EQ(rowsOf(untitled),
              (Strings{"Archivo|Tama\xF1o|", "B.JPG|0 bytes|\xBF?", "falta.png|0 bytes|\xBF?",
                       "fotos/a.gif|0 bytes|\xBF?", "http://x/y.gif|0 bytes|\xBF?"}));
    EXPECT_EQ(text(untitled.labTotal), "0 bytes");
    EXPECT_EQ(text(untitled.lab56), "0 segundos");
}

TEST(FormDescarga, TheFileColumnTakesTheWidthLessOneHundredAndTwoAndAScrollBarWhenRowsOverflow)
{
    TempDir folder("descarga");
    const std::string fileName = folder.file("p.htm", "");
    TformDescarga few(fileName, "<img src=\"a.gif\">", weighing());
    QTableWidget* grid = few.sgDatosArchivos;
    EXPECT_EQ(grid->columnWidth(0), grid->width() - 102);
    EXPECT_EQ(grid->columnWidth(1), 70);
    EXPECT_EQ(grid->columnWidth(2), 25);

    std::string page;
    for (int i = 0; i < 40; ++i)
        page += "<img src=\"f" + std::to_string(i) + ".gif\">";
    TformDescarga many(fileName, page, weighing());
    EXPECT_EQ(many.RowCount(), 42);
    const int scrollBar = many.sgDatosArchivos->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                                      many.sgDatosArchivos);
    EXPECT_EQ(many.sgDatosArchivos->columnWidth(0), many.sgDatosArchivos->width() - 102 - scrollBar);

    // The layout follows the grid's size: tall enough for every row, the scroll bar's room comes back.
    many.show();
    const int rowHeight = many.sgDatosArchivos->verticalHeader()->defaultSectionSize();
    many.sgDatosArchivos->resize(many.sgDatosArchivos->width(), rowHeight * 43);
    EXPECT_EQ(many.sgDatosArchivos->columnWidth(0), many.sgDatosArchivos->width() - 102);
    // Exactly as many rows as fit still counts as overflowing, as the grid's own rule has it.
    many.sgDatosArchivos->resize(many.sgDatosArchivos->width(), rowHeight * 42);
    EXPECT_EQ(many.sgDatosArchivos->columnWidth(0), many.sgDatosArchivos->width() - 102 - scrollBar);
}

TEST(FormDescarga, AToolWindowCentredOnTheScreenThatAcceptCloses)
{
    TempDir folder("descarga");
    TformDescarga form(folder.file("p.htm", "x"), "x", weighing());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_LE((form.frameGeometry().center() - screen->availableGeometry().center()).manhattanLength(), 2);
    for (QLabel* label : {form.lab14, form.lab28, form.lab36, form.lab56})
        EXPECT_TRUE(form.rect().contains(label->geometry())) << label->objectName().toStdString();
    EXPECT_TRUE(form.rect().contains(form.bAceptar->geometry()));
    EXPECT_TRUE(form.rect().contains(form.sgDatosArchivos->geometry()));

    bool accepted = false;
    QTimer::singleShot(0, &form, [&] {
        accepted = form.isVisible();
        form.bAceptar->click();
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(form.isVisible());
}
