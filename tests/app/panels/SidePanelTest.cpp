// Tests of the side panel driven through the main window: its pages and width, the code tree and the code library.
#include "app/panels/SidePanel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QResizeEvent>
#include <QListWidget>
#include <QTableWidget>
#include <QStackedWidget>
#include <deque>
#include <filesystem>
#include <initializer_list>

#include "app/model/KestrimaConfig.h"
#include "app/panels/TagGridPage.h"
#include "app/window/uFormPrincipalTools.h"
#include "editor/CodeMemo.h"
#include "app/model/libKestrima.h"
#include "components/HETreeView.h"
#include "components/StrHlder.h"
#include "platform/Win1252Qt.h"
#include "support/MainWindowDocuments.h"
#include "support/RealFileDialog.h"
#include "support/MouseEvents.h"
#include "support/PumpUntil.h"
#include "support/QuestionAnswer.h"
#include "support/StringListItems.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// A window with one new document and the side panel shown.
struct TPanelWindow : TWindow {
    TSidePanel& panel = form.SidePanel();
    explicit TPanelWindow(int caseMode = 4)
    {
        form.resize(800, 600);
        form.Config().InsCaseMode = caseMode;
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        settle();
    }
    // Selects the first node of that text, searching the whole tree.
    QTreeWidgetItem* select(const std::string& text)
    {
        const QList<QTreeWidgetItem*> found =
            panel.tvCodigos->findItems(FromWin1252(text), Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty())
            return nullptr;
        panel.tvCodigos->setCurrentItem(found.front());
        return found.front();
    }
    void setText(const std::string& text, bool selectAll)
    {
        memo.SelectAll();
        type(memo, text);
        if (selectAll)
            memo.SelectAll();
    }
};

std::vector<std::string> listed(const QListWidget* list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(ToWin1252(list->item(i)->text()));
    return items;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(SidePanel, PagesInOrderAndTheirWidths)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    ASSERT_FALSE(p.pLateral->isHidden());
    EXPECT_TRUE(w.form.Commands().Action("mVerLateral")->isChecked());
    ASSERT_EQ(p.pcLateral->PageCount(), 6);
    const char* names[] = {"tsHerramientas", "tsAsistentes", "tsArchivos", "tsTag", "tsLibreria", "tsCodigos"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.pcLateral->Pages(i)->objectName(), names[i]);
    EXPECT_EQ(p.pcLateral->Pages(5)->TabHint(), "\xC1rbol de c\xF3""digos");
    // Each page with the splitter's kept width: the panel's width and whether the splitter moves.
    const auto show = [&](TTabSetSheet* page, int kept) {
        p.spLateral->SetTag(kept);
        if (page != p.pcLateral->ActivePage()) {
            p.pcLateral->SetActivePage(page);
            w.form.pcLateralChange();
            settle();
        }
        return std::pair{p.pLateral->width(), p.spLateral->handle(1)->isEnabled()};
    };
    // The first page has no buttons of its own: it is not offered, and the panel opens on the
    // assistants.
    EXPECT_FALSE(p.tsHerramientas->TabVisible());
    EXPECT_EQ(p.pcLateral->ActivePage(), p.tsAsistentes);
    EXPECT_EQ(show(p.tsHerramientas, 250), std::pair(168, false));
    EXPECT_EQ(show(p.tsLibreria, 250), std::pair(250, true));
    EXPECT_EQ(p.cbLibreria->maximumWidth(), p.tsLibreria->width() - 24);
    EXPECT_EQ(p.sbLibraryAdd->width(), p.tsLibreria->width());
    // The assistants lay out at any width: the panel keeps the width the user gave it.
    EXPECT_EQ(show(p.tsAsistentes, 250), std::pair(250, true));
    EXPECT_EQ(show(p.tsHerramientas, 250), std::pair(168, false));
    EXPECT_EQ(show(p.tsAsistentes, 90), std::pair(168, true));
    // A narrower width than 168 comes back to 168 on the other pages.
    EXPECT_EQ(show(p.tsCodigos, 90), std::pair(168, true));

    // The assistants' chooser: the notebook's pages, each with its help topic.
    ASSERT_EQ(p.cbAsistentes->count(), 6);
    EXPECT_EQ(ToWin1252(p.cbAsistentes->itemText(4)), "Im\xE1genes y objetos");
    const int help[] = {32, 33, 56, 34, 35, 36};
    for (int i = 0; i < 6; ++i) {
        p.cbAsistentes->setCurrentIndex(i);
        p.cbAsistentesChange();
        EXPECT_EQ(p.nbAsistentes->currentIndex(), i);
        EXPECT_EQ(p.nbAsistentes->property("HelpContext").toInt(), help[i]);
        EXPECT_EQ(p.cbAsistentes->property("HelpContext").toInt(), help[i]);
    }
}

TEST(SidePanel, EveryPageComesBackWholeWhenThePanelIsShownAgain)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    TTagGridPage& grid = w.form.TagGrid();
    QAction* f10 = w.form.Commands().Action("mVerLateral");
    ASSERT_EQ(f10->shortcut(), QKeySequence(Qt::Key_F10));
    p.spLateral->SetTag(230);
    TTabSetSheet* pages[] = {p.tsHerramientas, p.tsAsistentes, p.tsArchivos, p.tsTag, p.tsLibreria, p.tsCodigos};
    for (TTabSetSheet* page : pages) {
        const std::string name = page->objectName().toStdString();
        p.pcLateral->SetActivePage(page);
        w.form.pcLateralChange();
        settle();
        const int width = p.pLateral->width();
        ASSERT_GE(width, TSidePanel::kPanelWidth) << name;
        // The page fills the page control's room, as it does before it is hidden.
        const auto whole = [&] {
            return !p.pLateral->isHidden() && p.pcLateral->ActivePage() == page && page->isVisible() &&
                   p.pLateral->width() == width && page->width() >= width - 8 && page->height() > 100;
        };
        ASSERT_TRUE(pumpUntil(whole, 2000)) << name;
        grid.SetColumnWidths(70, 80);
        grid.sgTagsDrawCell();
        const int names = grid.ColumnWidth(0);
        f10->trigger();
        settle();
        EXPECT_TRUE(p.pLateral->isHidden()) << name;
        // The splitter leaves a hidden panel no width. On a desktop the panel hears of it while it is
        // hidden and lays its page control out at that width; as the panel comes back the splitter
        // gives it its width again before it is shown, and no resize reaches it then.
        ASSERT_EQ(p.pLateral->width(), 0) << name;
        QResizeEvent narrowed(p.pLateral->size(), QSize(width, p.pLateral->height()));
        QCoreApplication::sendEvent(p.pLateral, &narrowed);
        p.pLateral->setAttribute(Qt::WA_PendingResizeEvent, false);
        p.pLateral->setGeometry(QRect(p.pLateral->pos(), QSize(width, p.pLateral->height())));
        p.pLateral->setAttribute(Qt::WA_PendingResizeEvent, false);
        f10->trigger();
        EXPECT_TRUE(pumpUntil(whole, 2000)) << name << ": " << p.pLateral->width() << " wide, its page "
                                            << page->width() << " x " << page->height();
        EXPECT_TRUE(pumpPosted());
        EXPECT_TRUE(whole()) << name;
        EXPECT_EQ(grid.ColumnWidth(0), names) << name;
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (control->isVisibleTo(page)) {
                EXPECT_GT(control->width(), 0) << name << " " << control->objectName().toStdString();
            }
        }
    }
    // On the grid's page its columns share its width as they did, also after the splitter was
    // dragged narrower than the page allows and the panel took its least width back.
    p.pcLateral->SetActivePage(p.tsTag);
    w.form.pcLateralChange();
    settle();
    EXPECT_EQ(grid.ColumnWidth(0), 70);
    const int whole = p.spLateral->sizes()[0] + p.spLateral->sizes()[1];
    p.spLateral->setSizes({40, whole - 40});
    EXPECT_TRUE(pumpUntil([&] { return p.pLateral->width() >= TSidePanel::kPanelWidth; }, 2000));
    EXPECT_TRUE(pumpPosted());
    EXPECT_EQ(grid.ColumnWidth(0), 70);
    EXPECT_EQ(grid.ColumnWidth(0) + grid.ColumnWidth(1) + 2, grid.sgTags->viewport()->width());
}

TEST(SidePanel, AfterARestartWithThePanelHiddenItComesBackWhole)
{
    TempRegistry registry("panel-restart");
    startWithoutDocuments();
    {
        TformPrincipal form;
        form.resize(800, 600);
        form.show();
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        settle();
        form.SidePanel().spLateral->SetTag(240);
        form.TagGrid().SetColumnWidths(75, 90);
        form.Commands().Action("mVerLateral")->trigger();
        settle();
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    TformPrincipal form;
    form.resize(800, 600);
    form.show();
    form.AbreArchivo("", false, ekHTML);
    settle();
    TSidePanel& p = form.SidePanel();
    EXPECT_TRUE(p.pLateral->isHidden());
    form.Commands().Action("mVerLateral")->trigger();
    // It opens on the assistants at the width the user gave it; the grid's page with its columns.
    const auto whole = [&](TTabSetSheet* page) {
        return [&p, page] {
            return !p.pLateral->isHidden() && p.pcLateral->ActivePage() == page && p.pLateral->width() == 240 &&
                   page->width() >= 240 - 8 && page->height() > 100;
        };
    };
    EXPECT_TRUE(pumpUntil(whole(p.tsAsistentes), 2000)) << p.pLateral->width();
    p.pcLateral->SetActivePage(p.tsTag);
    form.pcLateralChange();
    EXPECT_TRUE(pumpUntil(whole(p.tsTag), 2000)) << p.pLateral->width();
    EXPECT_TRUE(pumpPosted());
    EXPECT_EQ(form.TagGrid().ColumnWidth(0), 75);
}

TEST(SidePanel, EveryAssistantPageShowsItsControls)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    for (int page = 0; page < TSidePanel::kAssistantCount; ++page) {
        p.cbAsistentes->setCurrentIndex(page);
        p.cbAsistentesChange();
        settle();
        int shown = 0;
        for (QWidget* control : p.Assistant(page)->findChildren<QWidget*>())
            shown += control->isVisible() && control->width() > 0 && control->height() > 0;
        EXPECT_GT(shown, 2) << ToWin1252(p.cbAsistentes->itemText(page));
    }

    // "Repetir códigos": the two codes over the button, which puts them around each selected line.
    QWidget* repeat = p.Assistant(TSidePanel::asRepetir);
    TToolPageControls& c = w.form.Herramientas();
    for (QWidget* control : std::initializer_list<QWidget*>{c.eRepInicio, c.eRepFinal, c.sbRepiteTag}) {
        EXPECT_EQ(control->parentWidget(), repeat) << control->objectName().toStdString();
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
        EXPECT_GE(control->width(), repeat->width() - 4) << control->objectName().toStdString();
    }
    EXPECT_LT(c.eRepInicio->y(), c.eRepFinal->y());
    EXPECT_LT(c.eRepFinal->y(), c.sbRepiteTag->y());
    c.eRepInicio->setText("<LI>");
    c.eRepFinal->setText("</LI>");
    TCodeMemo& memo = *w.form.CodeMemo();
    memo.Lines().SetText("uno\r\ndos");
    memo.SelectAll();
    SendMouse(*c.sbRepiteTag, QEvent::MouseButtonPress, {3, 3});
    SendMouse(*c.sbRepiteTag, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_EQ(memo.GetTextStr(), "<LI>uno</LI>\r\n<LI>dos</LI>");
}

TEST(SidePanel, ViewItemAndButtonShowAndHideItOnlyWithADocument)
{
    TPanelWindow w;
    QWidget* panel = w.panel.pLateral;
    w.form.Commands().Action("sbLateral")->trigger();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(w.form.Commands().Action("mVerLateral")->isChecked());
    w.form.Commands().Action("mVerLateral")->trigger();
    EXPECT_FALSE(panel->isHidden());
    // With no document the panel stays hidden, and comes back with the next one.
    w.form.mCerrarTodoClick();
    EXPECT_TRUE(panel->isHidden());
    w.form.AbreArchivo("", false, ekHTML);
    EXPECT_FALSE(panel->isHidden());

    // The assistant commands show the panels and the page they ask for.
    w.form.mVerLateralClick();
    w.form.mVerBarraClick();
    ASSERT_TRUE(panel->isHidden());
    QObject sender;
    sender.setProperty("Tag", 4);
    w.form.LlamadasExpertos(&sender);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_FALSE(w.form.Herramientas().PHerramientas->isHidden());
    EXPECT_EQ(w.panel.pcLateral->ActivePage(), w.panel.tsAsistentes);
    EXPECT_EQ(w.panel.nbAsistentes->currentIndex(), TSidePanel::asFormularios);
    EXPECT_EQ(w.panel.cbAsistentes->currentIndex(), TSidePanel::asFormularios);
    TTabSetSheet* before = w.form.Herramientas().pcSuperior->ActivePage();
    EXPECT_NE(before, w.form.Herramientas().tsScripts);
    sender.setProperty("Tag", 1);
    w.form.LlamadasExpertos(&sender);
    EXPECT_EQ(w.panel.nbAsistentes->currentIndex(), TSidePanel::asApplets);
    EXPECT_EQ(w.form.Herramientas().pcSuperior->ActivePage(), w.form.Herramientas().tsScripts);
}

TEST(SidePanel, CodeTreeInsertsAndDragsItsLeaves)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    // The HTML tree is loaded at start, its button down.
    EXPECT_TRUE(p.sbCarga[0]->Down());
    ASSERT_GT(p.tvCodigos->topLevelItemCount(), 0);
    w.setText("hola", true);
    ASSERT_NE(w.select("<B>...</B>"), nullptr);
    p.lbCodigosDblClick();
    EXPECT_EQ(w.memo.GetTextStr(), "<B>hola</B>");
    w.setText("<P>", false);
    ASSERT_NE(w.select("ALIGN=center"), nullptr);
    p.lbCodigosDblClick();
    EXPECT_EQ(w.memo.GetTextStr(), "<P> ALIGN=center");
    // A branch inserts nothing.
    ASSERT_NE(w.select("Texto"), nullptr);
    p.lbCodigosDblClick();
    EXPECT_EQ(w.memo.GetTextStr(), "<P> ALIGN=center");

    w.select("<B>...</B>");
    EXPECT_EQ(p.DragText(p.tvCodigos), "<B></B>");
    w.form.Config().InsCaseMode = 3;
    EXPECT_EQ(p.DragText(p.tvCodigos), "<b></b>");
    // Other trees keep the case of their codes.
    TempDir docs("s78-docs");
    std::filesystem::create_directory(docs.path / "Docs");
    docs.file("Docs/personal.krc", "Mis c\xF3""digos\r\n\t<SPAN CLASS=\"x\">...</SPAN>\r\n");
    const std::string before = ProgramFolder();
    SetProgramFolder(docs.path.string());
    const TScopeGuard folder([&before] { SetProgramFolder(before); });
    p.sbCarga[5]->Click();
    EXPECT_TRUE(p.sbCarga[5]->Down());
    EXPECT_FALSE(p.sbCarga[0]->Down());
    ASSERT_NE(w.select("<SPAN CLASS=\"x\">...</SPAN>"), nullptr);
    EXPECT_EQ(p.DragText(p.tvCodigos), "<SPAN CLASS=\"x\"></SPAN>");
    w.setText("a", true);
    p.lbCodigosDblClick();
    EXPECT_EQ(w.memo.GetTextStr(), "<SPAN CLASS=\"x\">a</SPAN>");
    p.sbCodClick(2);
    EXPECT_TRUE(p.tvCodigos->topLevelItem(0)->isExpanded());
    p.sbCodClick(1);
    EXPECT_FALSE(p.tvCodigos->topLevelItem(0)->isExpanded());

    // A missing tree is reported and its button goes up again; the tree shown stays.
    TBoxAnswers boxes;
    p.sbCarga[2]->Click();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No se encuentra el archivo \"" + docs.path.string() +
                                  "/Docs/css.krc\".\nNo es posible cargar la lista de c\xF3""digos.");
    EXPECT_FALSE(p.sbCarga[2]->Down());
    EXPECT_EQ(p.tvCodigos->topLevelItemCount(), 1);
}

TEST(SidePanel, ANewCodeLibraryNamedInTheFileDialogIsCreatedAndListed)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    TempDir dir("newlib");
    for (const char* typed : {"milib", "otra.cod"}) {
        TRealFileDialogAnswer dialog(QString::fromStdString((dir.path / typed).string()));
        p.sbAbreLibreriaClick();
        EXPECT_TRUE(dialog.shown);
        EXPECT_EQ(dialog.mode, QFileDialog::AnyFile);
        EXPECT_TRUE(dialog.accepting) << typed;
    }
    const std::string first = (dir.path / "milib.cod").string();
    const std::string second = (dir.path / "otra.cod").string();
    EXPECT_EQ(ReadFileBytes(first), "");
    EXPECT_EQ(ReadFileBytes(second), "");
    EXPECT_EQ(Items(p.shLibreriaFiles->Strings()), (Strings{first, second}));
    ASSERT_EQ(p.cbLibreria->count(), 2);
    EXPECT_EQ(p.cbLibreria->itemText(0), "milib");
    EXPECT_EQ(p.cbLibreria->itemText(1), "otra");
    EXPECT_EQ(p.LibraryPath(), second);
}

TEST(SidePanel, CodeLibraryOpensAddsInsertsDeletesAndForgetsMissingFiles)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    w.form.Config().InsSpecChar = true;
    TempDir dir("s78-lib");
    const std::string first = dir.file("mia.cod", "[*pie*]\r\n<P>&aacute;</P>\r\n[*otro*]\r\nx\r\n");
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({first});
        p.sbAbreLibreriaClick();
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].Filter, "Librer\xED""as de c\xF3""digos (*.cod)|*.cod|Todos|*.*");
        EXPECT_EQ(dialogs.requests[0].Options & ofFileMustExist, 0u);
        // A new name gets ".cod" and an empty file.
        dialogs.answers.push_back({(dir.path / "nueva").string()});
        p.sbAbreLibreriaClick();
        EXPECT_EQ(dialogs.requests[1].FileName, "mia.cod");
    }
    const std::string second = (dir.path / "nueva.cod").string();
    EXPECT_EQ(ReadFileBytes(second), "");
    EXPECT_EQ(Items(p.shLibreriaFiles->Strings()), (Strings{first, second}));
    ASSERT_EQ(p.cbLibreria->count(), 2);
    EXPECT_EQ(p.cbLibreria->itemText(0), "mia");
    EXPECT_EQ(p.LibraryPath(), second);
    EXPECT_TRUE(listed(p.lbLibreria).empty());

    p.cbLibreria->setCurrentIndex(0);
    p.cbLibreriaChange();
    EXPECT_EQ(p.LibraryPath(), first);
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"pie", "otro"}));
    EXPECT_EQ(p.lbLibreria->currentRow(), 0);
    // Inserted with its entities as characters, the selection kept inside.
    w.setText("", false);
    p.lbFileListDblClick(p.lbLibreria);
    EXPECT_EQ(w.memo.GetTextStr(), "<P>\xE1</P>");
    EXPECT_EQ(p.DragText(p.lbLibreria), "<P>\xE1</P>");
    w.form.Config().InsSpecChar = false;
    EXPECT_EQ(p.DragText(p.lbLibreria), "<P>&aacute;</P>");

    // The selection becomes an entry under the name asked for; a taken or empty name is refused.
    std::vector<std::string> asked;
    std::deque<std::string> names{"otro", "", "nuevo bloque"};
    w.form.SidePanel().SetAsk([&](const std::string& prompt, const std::string&, std::string& name) {
        asked.push_back(prompt + "|" + name);
        name = names.front();
        names.pop_front();
        return true;
    });
    w.setText("uno\rdos", true);
    {
        TBoxAnswers boxes;
        p.sbLibraryClick();
        p.sbLibraryClick();
        EXPECT_EQ(boxes.texts, (Strings{"Nombre no v\xE1lido.", "Nombre no v\xE1lido."}));
        p.sbLibraryClick();
        EXPECT_EQ(boxes.texts.size(), 2u);
    }
    EXPECT_EQ(asked.at(0), "\xBFQu\xE9 nombre quiere darle al bloque de c\xF3""digo?|uno");
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"pie", "otro", "nuevo bloque"}));
    EXPECT_EQ(p.lbLibreria->currentRow(), 2);
    EXPECT_EQ(ReadLibraryEntry(first, "nuevo bloque"), "uno\rdos");

    // Delete asks; No keeps the entry, Yes removes it from the file and the list.
    {
        TBoxAnswers boxes({IDNO, IDYES});
        p.lbLibreriaKeyUp(46);
        EXPECT_EQ(listed(p.lbLibreria).size(), 3u);
        p.lbLibreriaKeyUp(46);
        EXPECT_EQ(boxes.texts.at(0), "\xBF""Esta seguro de querer borrar el c\xF3""digo \"nuevo bloque\" ?");
    }
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"pie", "otro"}));
    EXPECT_EQ(ReadLibraryEntry(first, "nuevo bloque"), "");

    // A library gone from the disk leaves the combo and the holder with a message.
    std::filesystem::remove(second);
    {
        TBoxAnswers boxes;
        p.cbLibreria->setCurrentIndex(1);
        p.cbLibreriaChange();
        EXPECT_EQ(boxes.texts, (Strings{"La librer\xED""a \"" + second + "\" no existe o contiene alg\xFAn error."}));
    }
    EXPECT_EQ(p.cbLibreria->count(), 1);
    EXPECT_EQ(Items(p.shLibreriaFiles->Strings()), (Strings{first}));
    EXPECT_EQ(p.LibraryPath(), "");
    EXPECT_TRUE(listed(p.lbLibreria).empty());
}

TEST(SidePanel, TheChosenLibraryComesBackAtTheNextStart)
{
    TempRegistry registry("s78-start");
    startWithoutDocuments();
    TempDir dir("s78-lib");
    const std::string a = dir.file("a.cod", "[*uno*]\r\n1\r\n");
    const std::string b = dir.file("b.cod", "[*dos*]\r\n2\r\n[*tres*]\r\n3\r\n");
    {
        TformPrincipal form;
        form.show();
        settle();
        openCodeLibraries(form, {a, b});
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    TformPrincipal form;
    form.show();
    settle();
    TSidePanel& p = form.SidePanel();
    EXPECT_EQ(p.cbLibreria->count(), 2);
    EXPECT_EQ(p.cbLibreria->currentIndex(), 1);
    EXPECT_EQ(p.LibraryPath(), b);
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"dos", "tres"}));
    EXPECT_EQ(p.lbLibreria->currentRow(), 0);
}

TEST(SidePanel, TheNameQuestionCancelledByEscapeOrCancelarLeavesTheLibraryAsItWas)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    TempDir dir("s78-cancel");
    const std::string bytes = "[*uno*]\r\n1\r\n";
    const std::string library = dir.file("mia.cod", bytes);
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({library});
        p.sbAbreLibreriaClick();
    }
    w.setText("<p>texto</p>\rdos", true);
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape);
        TQuestionAnswer cancelled([escape](TformPregunta& form) { RefuseQuestion(form, "nuevo", escape); });
        TBoxAnswers boxes;
        p.sbLibraryClick();
        EXPECT_TRUE(cancelled.shown);
        EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
        EXPECT_EQ(ReadFileBytes(library), bytes);
        EXPECT_EQ(listed(p.lbLibreria), (Strings{"uno"}));
    }
    // Aceptar keeps the selection under the name given, the question shown whole with its caption.
    TQuestionAnswer accepted([](TformPregunta& form) {
        form.eTexto->setText("nuevo");
        form.btnTexto->click();
    });
    p.sbLibraryClick();
    EXPECT_EQ(ToWin1252(accepted.prompt), "\xBFQu\xE9 nombre quiere darle al bloque de c\xF3""digo?");
    EXPECT_EQ(ToWin1252(accepted.caption), "Librer\xED""a de c\xF3""digos");
    EXPECT_EQ(ToWin1252(accepted.text), "<p>texto</p>");
    EXPECT_EQ(ReadFileBytes(library), bytes + "[*nuevo*]\r\n<p>texto</p>\r\ndos\r\n");
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"uno", "nuevo"}));
}

TEST(SidePanel, ACodeLibraryEntryNameThatCouldNotBeReadBackIsRefused)
{
    TPanelWindow w;
    TSidePanel& p = w.panel;
    TempDir dir("s78-names");
    const std::string library = dir.file("mia.cod", "[*uno*]\r\n1\r\n");
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({library});
        p.sbAbreLibreriaClick();
    }
    std::deque<std::string> names{"a*]b", "dos*]", "bien*"};
    w.form.SidePanel().SetAsk([&](const std::string&, const std::string&, std::string& name) {
        name = names.front();
        names.pop_front();
        return true;
    });
    w.setText("<p>texto</p>", true);
    {
        TBoxAnswers boxes;
        p.sbLibraryClick();
        p.sbLibraryClick();
        EXPECT_EQ(boxes.texts, (Strings{"El nombre \"a*]b\" no vale para la librer\xED""a: no puede contener \"*]\" ni "
                                        "saltos de l\xED""nea.",
                                        "El nombre \"dos*]\" no vale para la librer\xED""a: no puede contener \"*]\" ni "
                                        "saltos de l\xED""nea."}));
        // A name that only holds a star reads back whole, and is read and deleted by it.
        p.sbLibraryClick();
        EXPECT_EQ(boxes.texts.size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(library), "[*uno*]\r\n1\r\n[*bien**]\r\n<p>texto</p>\r\n");
    TStringList listedNames;
    ASSERT_TRUE(ReadLibrarySections(library, listedNames));
    EXPECT_EQ(Items(listedNames), (Strings{"uno", "bien*"}));
    EXPECT_EQ(listed(p.lbLibreria), (Strings{"uno", "bien*"}));
    EXPECT_EQ(ReadLibraryEntry(library, "bien*"), "<p>texto</p>");
    {
        TBoxAnswers boxes({IDYES});
        p.lbLibreriaKeyUp(46);
    }
    EXPECT_EQ(ReadFileBytes(library), "[*uno*]\r\n1\r\n");
    // The writer refuses such a name by itself too.
    EXPECT_FALSE(AddLibraryEntry(library, "x*]y", "z"));
    EXPECT_FALSE(AddLibraryEntry(library, "dos\rlineas", "z"));
    EXPECT_EQ(ReadFileBytes(library), "[*uno*]\r\n1\r\n");
}
