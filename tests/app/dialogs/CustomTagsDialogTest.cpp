// Tests of the custom codes dialog driven through the main window: deleting with its question, accepting into the settings, and the menu of custom codes made anew.
#include "app/dialogs/uFormOtrosTags.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTableWidget>

#include "app/widgets/CodeGrid.h"
#include "app/model/KestrimaConfig.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/GridClicks.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/StringListItems.h"
#include "support/TypedKeys.h"
#include "support/Win1252Text.h"
#include "toolbars/listComboKt.h"
#include "app/window/uFormPrincipalTools.h"

namespace {

using THook = THookWhile<TCustomTagsDialogHook, SetCustomTagsDialogHook>;
using Strings = std::vector<std::string>;

// The dialog's rows as "code|closing".
Strings gridRows(const QTableWidget* grid)
{
    Strings rows;
    for (int row = 1; row < GridRowCount(grid); ++row)
        rows.push_back(GridCells(grid, 1, row) + "|" + GridCells(grid, 2, row));
    return rows;
}

// The menu's items as "name:caption:hint".
Strings menuItems(const QMenu* menu)
{
    Strings items;
    for (const QAction* item : menu->actions())
        items.push_back(item->objectName().toStdString() + ":" + ToWin1252(item->text()) + ":" +
                        ToWin1252(item->statusTip()));
    return items;
}

// Runs the window's command with the dialog handed to `edit`, which answers for Aceptar or Cancelar.
void editCustomTags(TformPrincipal& form, std::function<bool(TformOtrosTags&)> edit)
{
    THook hook([&](TformOtrosTags& dialog) {
        if (!edit(dialog))
            return false;
        dialog.bAceptarClick();
        return true;
    });
    form.mEditaOtrosTagsClick();
}

} // namespace

TEST(CustomTagsDialog, DeletesOnlyOnYesAndAnEmptyListEmptiesTheMenu)
{
    TWindow w;
    w.form.Config().TagNames = Lines({"<KBD>"});
    w.form.Config().TagValues = Lines({"</KBD>"});
    editCustomTags(w.form, [](TformOtrosTags& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Edita códigos personalizados");
        EXPECT_EQ(GridCells(d.sgCustomTags, 1, 0) + GridCells(d.sgCustomTags, 2, 0), "C\xF3""digoCierre");
        EXPECT_EQ(gridRows(d.sgCustomTags), (Strings{"<KBD>|</KBD>"}));
        // Shown, the code column keeps its 120 pixels and the closing codes fill the rest.
        QApplication::processEvents();
        EXPECT_EQ(d.sgCustomTags->columnWidth(0), 10);
        EXPECT_EQ(d.sgCustomTags->columnWidth(1), 120);
        EXPECT_EQ(d.sgCustomTags->columnWidth(2) + 133, d.sgCustomTags->viewport()->width());
        d.sgCustomTags->setCurrentCell(0, 1);
        {
            TBoxAnswers no({IDNO});
            d.sbBorrarTagsClick();
            EXPECT_EQ(no.texts, (Strings{"\xBF""Esta seguro de querer borrar el c\xF3""digo \"<KBD>\" ?"}));
            EXPECT_EQ(no.flags, (std::vector<unsigned>{MB_YESNO | MB_ICONQUESTION}));
        }
        EXPECT_EQ(gridRows(d.sgCustomTags), (Strings{"<KBD>|</KBD>"}));
        TBoxAnswers yes({IDYES});
        d.sbBorrarTagsClick();
        EXPECT_EQ(gridRows(d.sgCustomTags), (Strings{"|"}));
        return true;
    });
    EXPECT_EQ(Items(w.form.Config().TagNames), Strings{});
    EXPECT_TRUE(w.form.mOtrosTags()->actions().isEmpty());
}

TEST(CustomTagsDialog, AcceptedCodesMakeTheMenuAnewAndInsert)
{
    TWindow w;
    w.form.AbreArchivo("", false, ekHTML);
    w.form.Config().TagNames = Lines({"<OLD>"});
    w.form.Config().TagValues = Lines({""});
    w.form.Config().InsCaseMode = 4;
    editCustomTags(w.form, [](TformOtrosTags& d) {
        QTableWidget* grid = d.sgCustomTags;
        SetGridCells(grid, 1, 1, "  <KBD> ");
        SetGridCells(grid, 2, 1, " </KBD> ");
        for (const auto& [code, closing] : {std::pair{"   ", "nada"}, std::pair{"&nbsp;", ""}, std::pair{"<Q>", "</Q>"}}) {
            d.sbNuevoTagsClick();
            EXPECT_EQ(grid->currentRow(), grid->rowCount() - 1);
            SetGridCells(grid, 1, grid->rowCount(), code);
            SetGridCells(grid, 2, grid->rowCount(), closing);
        }
        // The marker column carries the last row to the top.
        MoveCodeGridRow(grid, 3, 0);
        EXPECT_EQ(gridRows(grid), (Strings{"<Q>|</Q>", "  <KBD> | </KBD> ", "   |nada", "&nbsp;|"}));
        return true;
    });
    EXPECT_EQ(Items(w.form.Config().TagNames), (Strings{"<Q>", "<KBD>", "&nbsp;"}));
    EXPECT_EQ(Items(w.form.Config().TagValues), (Strings{"</Q>", " </KBD> ", ""}));
    EXPECT_EQ(menuItems(w.form.mOtrosTags()),
              (Strings{"TagMenu0:<Q>:</Q>", "TagMenu1:<KBD>: </KBD> ", "TagMenu2:&&nbsp;:"}));
    // A click puts the codes around the selection; the entity goes in as written.
    w.memo.Lines().SetText("dos");
    w.memo.SelectAll();
    w.form.mOtrosTags()->actions()[1]->trigger();
    EXPECT_EQ(EditorText(w.memo), "<KBD>dos </KBD> ");
    w.memo.Lines().SetText("");
    w.form.mOtrosTags()->actions()[2]->trigger();
    EXPECT_EQ(EditorText(w.memo), "&nbsp;");
    // Cancelar keeps the settings and the menu.
    editCustomTags(w.form, [](TformOtrosTags& d) {
        d.sbNuevoTagsClick();
        SetGridCells(d.sgCustomTags, 1, 4, "<NUEVO>");
        return false;
    });
    EXPECT_EQ(w.form.mOtrosTags()->actions().size(), 3);
    EXPECT_EQ(Items(w.form.Config().TagNames), (Strings{"<Q>", "<KBD>", "&nbsp;"}));
}

TEST(CustomTagsDialog, KeysTypedRightAfterAClickStayInTheCellAndADoubleClickEdits)
{
    TWindow w;
    editCustomTags(w.form, [](TformOtrosTags& d) {
        d.activateWindow();
        EXPECT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == &d; }));
        QTableWidget* grid = d.sgCustomTags;
        EXPECT_EQ(grid->currentRow(), 0);
        EXPECT_EQ(grid->currentColumn(), 1);
        EXPECT_TRUE(TypeRightAfterAClick(d, *grid, 0, 1, "<HR>"));
        EXPECT_EQ(gridRows(grid), (Strings{"<HR>|"}));
        // The closing column, not yet selected, is edited by a double click.
        DoubleClickCell(*grid, 0, 2);
        EXPECT_NE(grid->indexWidget(grid->currentIndex()), nullptr);
        TypeKeys([&] { return KeysOf(d); }, "</HR>");
        PressKey(*KeysOf(d), VK_RETURN);
        EXPECT_TRUE(pumpUntil([&] { return !grid->indexWidget(grid->currentIndex()); }));
        EXPECT_EQ(gridRows(grid), (Strings{"<HR>|</HR>"}));
        return true;
    });
    EXPECT_EQ(Items(w.form.Config().TagNames), (Strings{"<HR>"}));
    EXPECT_EQ(Items(w.form.Config().TagValues), (Strings{"</HR>"}));
}

TEST(CustomTagsDialog, FontListHintNamesTheFonts)
{
    TWindow w;
    TlistComboKt* fonts = w.form.Herramientas().CbFuente;
    EXPECT_EQ(ToWin1252(fonts->toolTip()), "Fuente a utilizar: " + ToWin1252(fonts->text()));
    fonts->setText("Arial,Courier");
    EXPECT_EQ(ToWin1252(fonts->toolTip()), "Fuente a utilizar: Arial,Courier");
    EXPECT_EQ(ToWin1252(fonts->statusTip()), "Fuente a utilizar: Arial,Courier");
}
