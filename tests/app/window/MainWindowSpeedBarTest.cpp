// The main window's speed bar: its sections and items, their enabling by the documents and the editor, their commands and the arrangement kept between runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <set>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "support/MainWindowDocuments.h"
#include "toolbars/SpeedBar.h"
#include "toolbars/SpeedBarSetup.h"

namespace {

// The names of the bar's items that are enabled, walking sections and items as the window does.
std::set<std::string> enabledItems(const TSpeedBar& bar)
{
    std::set<std::string> names;
    for (int s = 0; s < bar.SectionCount(); ++s)
        for (int i = 0; i < bar.ItemsCount(s); ++i)
            if (TSpeedItem* item = bar.Items(s, i); item->Enabled()) {
                EXPECT_TRUE(item->Button()->isEnabledTo(item->Button()->window())) << item->Name();
                names.insert(item->Name());
            }
    return names;
}

} // namespace

TEST(MainWindowSpeedBar, TheBarHoldsFourSectionsOfItemsOnTheLeft)
{
    TWindow w;
    const TSpeedBar& bar = *w.form.SpeedBar();
    EXPECT_EQ(bar.objectName(), "pBotones");
    ASSERT_EQ(bar.SectionCount(), 4);
    const char* const captions[] = {"Archivos", "Proyectos", "Edici\xF3n", "Ayuda"};
    int items = 0;
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(bar.Sections(s)->Caption(), captions[s]);
        items += bar.ItemsCount(s);
    }
    EXPECT_EQ(items, 24);
    EXPECT_EQ(bar.Align(), alLeft);
    EXPECT_EQ(bar.Position(), bpCustom);
    EXPECT_EQ(bar.Orientation(), boVertical);
    EXPECT_EQ(bar.Options(), TSpeedbarOptions(sbFlatBtns));
    EXPECT_EQ(bar.BtnWidth(), 22);
    EXPECT_EQ(bar.BtnHeight(), 22);
    EXPECT_EQ(bar.BtnOffsetHorz(), 4);
    EXPECT_EQ(bar.BtnOffsetVert(), 4);
    EXPECT_EQ(bar.BevelOuter(), bvNone);
    EXPECT_EQ(bar.width(), 30);
    EXPECT_EQ(bar.IniStorage(), w.form.findChild<TFormStorage*>("FormStorage"));
    EXPECT_EQ(bar.LayoutSection(), "Form\\TformPrincipalpBotones");
    ASSERT_EQ(bar.actions().size(), 1);
    EXPECT_EQ(bar.actions()[0]->text(), "Personalizar");
    // The shown items lie on the grid, inside the bar.
    bar.ForEachItem([&](TSpeedItem* item) {
        if (!item->Visible())
            return;
        EXPECT_EQ(item->Left(), 4) << item->Name();
        EXPECT_EQ((item->Top() - 4) % bar.GridY(), 0) << item->Name();
        EXPECT_LE(item->Top() + 22, 400) << item->Name();
    });
    // Entering an item shows its long hint in the status bar.
    TSpeedItem* open = bar.SearchItem("sbAbrir");
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(open->Button(), &enter);
    EXPECT_EQ(w.form.Panel(4)->text(), "Abre un documento existente");
    EXPECT_EQ(open->Button()->toolTip(), "Abrir");
    EXPECT_EQ(open->Caption(), "Abrir");
    EXPECT_EQ(open->Hint(), "Abrir|Abre un documento existente");
}

TEST(MainWindowSpeedBar, EachItemShowsItsStandardIconsSmallPicture)
{
    TWindow w;
    const TSpeedBar& bar = *w.form.SpeedBar();
    const QStyle* look = w.form.style();
    const std::vector<std::pair<std::string, int>> pictures = SpeedBarStylePictures();
    ASSERT_EQ(pictures.size(), 24u);
    for (const auto& [name, picture] : pictures) {
        // Without an icon theme the items show the style's pictures, as its icons give them at 16 points.
        const QImage icon = look->standardIcon(static_cast<QStyle::StandardPixmap>(picture)).pixmap(16, 16).toImage();
        ASSERT_FALSE(icon.isNull()) << name;
        TSpeedItem* item = bar.SearchItem(name);
        ASSERT_NE(item, nullptr) << name;
        const QImage shown = item->Glyph();
        EXPECT_EQ(shown.size(), icon.size()) << name;
        EXPECT_TRUE(shown.convertToFormat(QImage::Format_ARGB32) == icon.convertToFormat(QImage::Format_ARGB32)) << name;
    }
}

TEST(MainWindowSpeedBar, ItemsFollowTheDocumentsAndTheSelection)
{
    TWindow w;
    const TSpeedBar& bar = *w.form.SpeedBar();
    const std::set<std::string> always = {"sbNuevo",         "sbUsarPlantilla", "sbAbrir", "sbNuevoProyecto",
                                          "sbAbrirProyecto", "sbAyuda",         "sbAyudaAuxiliar", "sbTips"};
    EXPECT_EQ(enabledItems(bar), always);

    bar.SearchItem("sbNuevo")->ButtonClick();
    ASSERT_EQ(captions(w.form), std::vector<std::string>{"Nuevo1"});
    type(w.memo, "<p>uno</p>");
    w.memo.SetSelStart(0);
    w.memo.SetSelLength(0);
    w.form.EditorOnChange();
    std::set<std::string> open = enabledItems(bar);
    for (const char* name : {"sbGuardar", "sbCerrar", "sbBuscar", "sbImprimir", "sbNavegador", "sbSangrar"})
        EXPECT_TRUE(open.count(name)) << name;
    for (const char* name : {"sbCortar", "sbCopiar", "sbImprimirSel"})
        EXPECT_FALSE(open.count(name)) << name;
    w.memo.SetSelLength(3);
    w.form.EditorOnChange();
    open = enabledItems(bar);
    for (const char* name : {"sbCortar", "sbCopiar", "sbImprimirSel"})
        EXPECT_TRUE(open.count(name)) << name;

    // Closing the last document, its changes discarded, leaves the eight again.
    TBoxAnswers boxes({IDNO});
    bar.SearchItem("sbCerrarTodo")->ButtonClick();
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(enabledItems(bar), always);
}

TEST(MainWindowSpeedBar, AMovedItemIsWhereItWasLeftAfterARestart)
{
    TempRegistry registry("s71-main");
    startWithoutDocuments();
    int top = 0;
    {
        TformPrincipal first;
        first.show();
        QApplication::processEvents();
        TSpeedBar& bar = *first.SpeedBar();
        TSpeedItem* open = bar.SearchItem("sbAbrir");
        TSpeedItem* tips = bar.SearchItem("sbTips");
        ASSERT_FALSE(tips->Visible());
        ASSERT_TRUE(bar.AcceptDropItem(open, 9, 300));
        ASSERT_TRUE(bar.AcceptDropItem(tips, 9, 200));
        bar.SetWidth(40);
        top = open->Top();
        EXPECT_EQ(top, 4 + 27 * 11);
        EXPECT_TRUE(first.close());
    }
    RegistryStore::Reload();
    TformPrincipal second;
    TSpeedBar& bar = *second.SpeedBar();
    EXPECT_NE(bar.SearchItem("sbAbrir")->Top(), top);
    second.show();
    QApplication::processEvents();
    EXPECT_EQ(bar.SearchItem("sbAbrir")->Top(), top);
    EXPECT_EQ(bar.SearchItem("sbAbrir")->Left(), 4);
    EXPECT_EQ(bar.width(), 40);
    EXPECT_TRUE(bar.SearchItem("sbTips")->Visible());
    EXPECT_TRUE(bar.SearchItem("sbNuevo")->Visible());
    EXPECT_FALSE(bar.SearchItem("sbSangrar")->Visible());
}

TEST(MainWindowSpeedBar, PersonalizarOpensTheSetupWindowOfTheBar)
{
    TWindow w;
    TSpeedBar& bar = *w.form.SpeedBar();
    QAction* customize = bar.actions().at(0);
    EXPECT_TRUE(customize->isEnabled());
    customize->trigger();
    TSpeedbarSetupWindow* window = FindSpeedbarSetupWindow(&bar);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->parentWidget(), &w.form);
    EXPECT_TRUE(bar.Editing());
    EXPECT_TRUE(window->HelpBtn->isHidden());
    EXPECT_EQ(window->SectionList->RowCount(), 4);
    EXPECT_EQ(window->ButtonsList->RowCount(), 11);
    // Items are enabled and raised for dragging while the window is open, and back after.
    TSpeedItem* save = bar.SearchItem("sbGuardar");
    EXPECT_TRUE(save->Button()->isEnabled());
    customize->trigger();
    EXPECT_EQ(FindSpeedbarSetupWindow(&bar), window);
    window->CloseBtn->click();
    QApplication::processEvents();
    EXPECT_FALSE(bar.Editing());
    EXPECT_FALSE(save->Button()->isEnabled());
    EXPECT_TRUE(save->Button()->Flat());
}
