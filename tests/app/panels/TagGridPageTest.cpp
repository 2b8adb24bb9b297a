// Tests of the side panel's attribute grid driven through the main window: reading and writing the tag, the selection commands, undo, read-only documents and the kept column widths.
#include "app/panels/TagGridPage.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>

#include "app/panels/SidePanel.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/MainWindowDocuments.h"
#include "support/TempRegistry.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TabCtrls.h"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// A window with one new document whose text the tests set, the grid's page shown.
struct TGridWindow : TWindow {
    TTagGridPage& grid = form.TagGrid();
    TGridWindow()
    {
        form.resize(800, 600);
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        form.SidePanel().pcLateral->SetActivePage(form.SidePanel().tsTag);
        settle();
    }
    void set(const std::string& text, int caret)
    {
        memo.Lines().SetText(text);
        memo.SetSelStart(caret);
    }
    std::string text() { return EditorText(memo); }
    // The grid's rows that hold a name, as "name=value".
    std::vector<std::string> rows()
    {
        std::vector<std::string> result;
        for (int row = 1; row < grid.RowCount(); ++row)
            if (!grid.Cells(0, row).empty())
                result.push_back(grid.Cells(0, row) + "=" + grid.Cells(1, row));
        return result;
    }
    std::string selection() { return memo.GetSelText(); }
};

using Strings = std::vector<std::string>;

} // namespace

TEST(TagGridPage, ReadsTheTagAroundTheCaretAndWritesItBack)
{
    TGridWindow w;
    EXPECT_EQ(w.grid.Cells(0, 0), "Atributos");
    EXPECT_EQ(w.grid.Cells(1, 0), "Valores");
    // The caret in column 1 stands before "<": it moves inside first.
    for (const int caret : {0, 5, 20}) {
        w.set("<IMG SRC=\"a.gif\" BORDER=0> texto", caret);
        w.form.sbEditaTagClick();
        EXPECT_EQ(w.selection(), "<IMG SRC=\"a.gif\" BORDER=0>") << caret;
        EXPECT_EQ(ToWin1252(w.grid.eTag->text()), "IMG");
        EXPECT_EQ(w.rows(), (Strings{"SRC=a.gif", "BORDER=0"}));
        EXPECT_EQ(QApplication::focusWidget(), w.grid.eTag);
        w.form.sbInsertaTagClick();
        EXPECT_EQ(w.text(), "<IMG SRC=\"a.gif\" BORDER=\"0\"> texto");
        EXPECT_EQ(QApplication::focusWidget(), &w.memo);
    }
    // A new tag read empties the rows of the last one; a row without a name is skipped, a name
    // without a value has no "=".
    w.set("x <IMG SRC=\"a.gif\" ISMAP>", 4);
    w.form.sbEditaTagClick();
    EXPECT_EQ(w.rows(), (Strings{"SRC=a.gif", "ISMAP="}));
    w.grid.SetCells(1, 4, "sin nombre");
    w.form.sbInsertaTagClick();
    EXPECT_EQ(w.text(), "x <IMG SRC=\"a.gif\" ISMAP>");
    // Letter case stays as typed, a value with a double quote keeps single quotes and reads the same.
    w.set("<a href='say \"hi\"'>", 3);
    w.form.sbEditaTagClick();
    EXPECT_EQ(w.rows(), (Strings{"href=say \"hi\""}));
    w.form.sbInsertaTagClick();
    EXPECT_EQ(w.text(), "<a href='say \"hi\"'>");
    w.form.sbEditaTagClick();
    EXPECT_EQ(w.rows(), (Strings{"href=say \"hi\""}));
    // A tag with more attributes than the grid's rows gets them all, and a row to add one more.
    std::string many = "<P";
    for (int i = 0; i < 20; ++i)
        many += " A" + std::to_string(i) + "=" + std::to_string(i);
    w.set(many + ">", 2);
    w.form.sbEditaTagClick();
    EXPECT_EQ(w.rows().size(), 20u);
    EXPECT_EQ(w.grid.RowCount(), 22);
    w.form.sbInsertaTagClick();
    w.form.sbEditaTagClick();
    EXPECT_EQ(w.rows().back(), "A19=19");
    // Typing into the last row opens another below it.
    const int rows = w.grid.RowCount();
    w.grid.sgTags->item(rows - 2, 0) ? w.grid.sgTags->item(rows - 2, 0)->setText("ID")
                                     : w.grid.sgTags->setItem(rows - 2, 0, new QTableWidgetItem("ID"));
    EXPECT_EQ(w.grid.RowCount(), rows + 1);
}

TEST(TagGridPage, OneAttributePerLineUndoAndReadOnly)
{
    TGridWindow w;
    w.set("    <IMG SRC=\"a.gif\" BORDER=0>", 8);
    w.form.sbEditaTagClick();
    w.grid.sbTagEscalon->SetDown(true);
    w.form.sbInsertaTagClick();
    // Each name at column 4 + length("IMG") + 2, under the first one.
    EXPECT_EQ(w.text(), "    <IMG\r         SRC=\"a.gif\"\r         BORDER=\"0\">");
    // One undo gives the tag back as it was.
    w.memo.Undo();
    EXPECT_EQ(w.text(), "    <IMG SRC=\"a.gif\" BORDER=0>");
    // A read-only document is left alone.
    w.grid.sbTagEscalon->SetDown(false);
    w.form.sbEditaTagClick();
    w.memo.SetReadOnly(true);
    w.form.sbInsertaTagClick();
    EXPECT_EQ(w.text(), "    <IMG SRC=\"a.gif\" BORDER=0>");
}

TEST(TagGridPage, SelectionCommandsKeepToTheSavedCaret)
{
    TGridWindow w;
    w.set("<P ALIGN=\"left\">uno <B>dos</B></P>", 22);
    EXPECT_EQ(w.form.PosicionTag, -1);
    w.form.mSeleccionaTagClick();
    EXPECT_EQ(w.selection(), "<B>");
    EXPECT_EQ(w.form.PosicionTag, 22);
    w.form.mSeleccionaTagClick();
    EXPECT_EQ(w.selection(), "<B>");
    // The element keeps the saved place while something is selected.
    w.form.mSelectAllTagClick();
    EXPECT_EQ(w.selection(), "<B>dos</B>");
    EXPECT_EQ(w.form.PosicionTag, 22);
    w.memo.SetSelStart(3);
    w.form.mSelectAllTagClick();
    EXPECT_EQ(w.selection(), "<P ALIGN=\"left\">uno <B>dos</B></P>");
    EXPECT_EQ(w.form.PosicionTag, 3);
    // The menu item shows the grid's page and reads the tag.
    TSidePanel& panel = w.form.SidePanel();
    panel.pcLateral->SetActivePage(panel.tsHerramientas);
    w.memo.SetSelStart(22);
    w.form.Commands().Action("mEditaTag")->trigger();
    EXPECT_EQ(panel.pcLateral->ActivePage(), panel.tsTag);
    EXPECT_EQ(ToWin1252(w.grid.eTag->text()), "B");
    EXPECT_EQ(w.selection(), "<B>");
}

TEST(TagGridPage, ColumnWidthsComeBackAfterARestart)
{
    TempRegistry registry("s85-widths");
    startWithoutDocuments();
    int names = 0, values = 0;
    {
        TformPrincipal form;
        form.show();
        settle();
        EXPECT_EQ(form.TagGrid().ColumnWidth(0), 64);
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        form.SidePanel().pcLateral->SetActivePage(form.SidePanel().tsTag);
        settle();
        // The user narrows the names; the values take the rest of the grid.
        form.TagGrid().sgTags->setColumnWidth(0, 41);
        settle();
        names = form.TagGrid().ColumnWidth(0);
        values = form.TagGrid().ColumnWidth(1);
        EXPECT_EQ(names, 41);
        EXPECT_EQ(values, form.TagGrid().sgTags->viewport()->width() - 41 - 2);
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    TformPrincipal form;
    EXPECT_EQ(form.TagGrid().ColumnWidth(0), names);
    EXPECT_EQ(form.TagGrid().ColumnWidth(1), values);
}

TEST(TagGridPage, AWindowThatNeverShowsTheGridKeepsItsWidthsAndMakesItWhenThePanelShows)
{
    TempRegistry registry("tg-unmade");
    startWithoutDocuments();
    for (const auto& [names, values] : {std::pair{64, 120}, std::pair{90, 47}, std::pair{31, 200}}) {
        {
            TRegIniFile reg("Software\\Dremal\\Kestrima");
            reg.WriteInteger("Form", "ColTagsWidth", names);
            reg.WriteInteger("Form", "ColValuWidth", values);
        }
        RegistryStore::Reload();
        {
            TformPrincipal form;
            form.show();
            settle();
            // The empty window leaves the side panel hidden, and the grid unmade.
            EXPECT_EQ(form.findChild<QTableWidget*>("sgTags"), nullptr);
            EXPECT_TRUE(form.close());
        }
        RegistryStore::Reload();
        TRegIniFile reg("Software\\Dremal\\Kestrima");
        EXPECT_EQ(reg.ReadInteger("Form", "ColTagsWidth", -1), names);
        EXPECT_EQ(reg.ReadInteger("Form", "ColValuWidth", -1), values);
    }
    TformPrincipal form;
    form.show();
    settle();
    form.AbreArchivo("", false, ekHTML);
    form.mVerLateralClick();
    settle();
    auto* grid = form.findChild<QTableWidget*>("sgTags");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid, form.TagGrid().sgTags);
    EXPECT_TRUE(form.close());
}
