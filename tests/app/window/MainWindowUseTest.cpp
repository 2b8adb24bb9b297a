// Tests of the main window as a new user meets it: the editor's pop-up, data-made menu captions, the shipped model of new documents, the font list, the find dialog's match, the first size and inserted dates.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "app/model/libKestrima.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "editor/CodeMemo.h"
#include "editor/CodeMemoTestSupport.h"
#include "platform/FindDialog.h"
#include "platform/FontsQt.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Registry.h"
#include "support/ProgramFolderWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/Win1252Text.h"
#include "toolbars/TabCtrls.h"
#include "toolbars/listComboKt.h"

namespace {

// A window shown and active, a new document in its editor with the keyboard.
struct TActiveWindow {
    // Closing asks about changed documents: they are not saved.
    TBoxAnswers boxes{{}, IDNO};
    TWindow w;
    TActiveWindow()
    {
        w.form.mNuevoClick();
        w.form.activateWindow();
        w.memo.setFocus();
        QApplication::processEvents();
    }
};

std::vector<std::string> captionsOf(QMenu* menu)
{
    std::vector<std::string> texts;
    for (QAction* action : menu->actions())
        texts.push_back(action->isSeparator() ? "-" : ToWin1252(action->text()));
    return texts;
}

} // namespace

TEST(MainWindowUse, TheEditorsPopupHoldsTheEditItemsBoundToTheirCommands)
{
    TActiveWindow a;
    TformPrincipal& form = a.w.form;
    TCodeMemo& memo = a.w.memo;
    QMenu* popup = form.pmEditor();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(captionsOf(popup),
              (std::vector<std::string>{"&Deshacer", "-", "Cor&tar", "&Copiar", "&Pegar", "-", "< ... >",
                                        "&Buscar informaci\xF3n sobre..."}));
    EXPECT_EQ(memo.contextMenuPolicy(), Qt::CustomContextMenu);
    // The items the editor gets later (help on the word, the editor's options) are there when it opens.
    emit popup->aboutToShow();
    const std::vector<std::string> opened = captionsOf(popup);
    ASSERT_EQ(opened.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(opened.begin() + 8, opened.end()), (std::vector<std::string>{"A&yuda sobre el tema", "&Opciones del editor..."}));
    const auto action = [&](const char* name) { return form.Commands().Action(name); };
    const auto states = [&] {
        emit popup->aboutToShow();
        std::string s;
        for (const char* name : {"Deshacer1", "Cortar1", "Copiar1", "Pegar1"})
            s += action(name)->isEnabled() ? 'E' : 'e';
        return s;
    };
    QApplication::clipboard()->clear();
    SetText(memo, "hola mundo");
    Select(memo, 0, 0);
    EXPECT_EQ(states(), "eeee");
    // A selection can be cut and copied; the copy can be pasted; the cut can be undone.
    Select(memo, 5, 10);
    EXPECT_EQ(states(), "eEEe");
    action("Copiar1")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("mundo"));
    EXPECT_EQ(states(), "eEEE");
    action("Cortar1")->trigger();
    EXPECT_EQ(memo.StoredText(), "hola ");
    EXPECT_EQ(states(), "EeeE");
    action("Pegar1")->trigger();
    action("Pegar1")->trigger();
    EXPECT_EQ(memo.StoredText(), "hola mundomundo");
    action("Deshacer1")->trigger();
    EXPECT_EQ(memo.StoredText(), "hola mundo");
    // A read-only text is copied but not cut.
    Select(memo, 0, 4);
    memo.SetReadOnly(true);
    EXPECT_EQ(states().substr(1, 2), "eE");
    memo.SetReadOnly(false);
    // Without a document the items are disabled.
    form.mCerrarTodoClick();
    for (const char* name : {"Deshacer1", "Cortar1", "Copiar1", "Pegar1"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
}

TEST(MainWindowUse, DataMadeMenuCaptionsShowTheirAmpersandsAndInsertTheirCode)
{
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    TStringList names, values;
    names.Add("&nbsp;");
    values.Add("");
    names.Add("<B>&");
    values.Add("</B>");
    QMenu menu;
    w.form.CreaMenu(&menu, "TagMenu", names, values);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(ToWin1252(menu.actions()[0]->text()), "&&nbsp;");
    EXPECT_EQ(ToWin1252(menu.actions()[1]->text()), "<B>&&");
    w.form.mNuevoClick();
    w.form.InsertaMiTag(menu.actions()[0]);
    EXPECT_EQ(w.memo.StoredText(), "&nbsp;");
    w.form.Config().InsCaseMode = 4;
    SetText(w.memo, "x");
    Select(w.memo, 0, 1);
    w.form.InsertaMiTag(menu.actions()[1]);
    EXPECT_EQ(w.memo.StoredText(), "<B>&x</B>");
    EXPECT_EQ(w.memo.GetSelText(), "x");
}

TEST(MainWindowUse, NewDocumentsStartFromTheShippedModel)
{
    const std::string programFolder = QFileInfo(QStringLiteral(KESTRIMA_PROGRAM)).absolutePath().toStdString() + "/";
    const std::string shipped = programFolder + "normal.htm";
    ASSERT_TRUE(FileExists(shipped));
    TProgramFolderWhile folder(programFolder);
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    EXPECT_EQ(w.form.Config().NewFileModel, shipped);
    EXPECT_EQ(w.form.Config().NewFile, 1);
    w.form.mNuevoClick();
    const std::string text = w.memo.StoredText();
    EXPECT_EQ(text.rfind("<!DOCTYPE HTML", 0), 0u) << text;
    EXPECT_NE(text.find("<HTML LANG=\"es\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<BODY>\r\r</BODY>"), std::string::npos) << text;
    EXPECT_TRUE(w.form.CurrentFile() != nullptr);
    EXPECT_EQ(w.form.ArchivoActual(), "");
}

TEST(MainWindowUse, TheFontListHoldsFamilyNamesOnce)
{
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    TlistComboKt* fonts = w.form.Herramientas().CbFuente;
    ASSERT_GT(fonts->ItemCount(), 0);
    std::set<std::string> seen;
    for (int i = 0; i < fonts->ItemCount(); ++i) {
        const std::string name = ToWin1252(fonts->Item(i));
        EXPECT_EQ(name.find(" ["), std::string::npos) << name;
        EXPECT_TRUE(seen.insert(AnsiLowerCase(name)).second) << name;
        if (i > 0) {
            EXPECT_LT(AnsiCompareText(ToWin1252(fonts->Item(i - 1)), name), 0) << name;
        }
    }
    EXPECT_EQ(FontFamilyName("C059 [UKWN]"), "C059");
    EXPECT_EQ(FontFamilyName("D050000L [URW ]"), "D050000L");
    EXPECT_EQ(FontFamilyName("DejaVu Sans"), "DejaVu Sans");
    EXPECT_EQ(FontFamilyName("Rara [sin cerrar"), "Rara [sin cerrar");
    // The font button inserts the family chosen.
    w.form.mNuevoClick();
    fonts->SetItemIndex(0);
    QObject sender;
    sender.setProperty("Tag", 52);
    w.form.Config().InsCaseMode = 4;
    w.form.InsertaTag(&sender);
    EXPECT_EQ(w.memo.StoredText(), "<FONT FACE=\"" + ToWin1252(fonts->Item(0)) + "\"></FONT>");
}

TEST(MainWindowUse, TheFindDialogsMatchShowsWhileTheyAreOpen)
{
    TActiveWindow a;
    TCodeMemo& memo = a.w.memo;
    SetText(memo, "cielo nube sol nube");
    Select(memo, 0, 0);
    EXPECT_TRUE(memo.HideSelection);
    a.w.form.mBuscarClick();
    const QList<TFindDialog*> dialogs = memo.findChildren<TFindDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    TFindDialog* dialog = dialogs[0];
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(memo.HideSelection);
    dialog->SetFindText("nube");
    dialog->ClickFindNext();
    EXPECT_EQ(memo.GetSelText(), "nube");
    dialog->CloseDialog();
    QApplication::processEvents();
    EXPECT_TRUE(memo.HideSelection);
    // Shown again, it shows the match again; the replace dialog does the same.
    a.w.form.mBuscarClick();
    EXPECT_FALSE(memo.HideSelection);
    dialog->CloseDialog();
    a.w.form.mReemplazarClick();
    EXPECT_FALSE(memo.HideSelection);
    a.w.form.ReplaceDialog()->CloseDialog();
    QApplication::processEvents();
    EXPECT_TRUE(memo.HideSelection);
}

TEST(MainWindowUse, TheFirstWindowShowsEveryToolPageWhole)
{
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    TToolPageControls& pages = w.form.Herramientas();
    EXPECT_GE(w.form.width(), 800);
    EXPECT_EQ(w.form.height(), 600);
    EXPECT_GE(w.form.width(), ToolPagesWidth(pages));
    w.form.mNuevoClick();
    QApplication::processEvents();
    // Every control of every page lies inside the page control.
    for (TTabSetSheet* sheet : pages.Sheets) {
        pages.pcSuperior->SetActivePage(sheet);
        QApplication::processEvents();
        for (QWidget* control : sheet->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isHidden())
                continue;
            const QPoint right = control->mapTo(pages.pcSuperior, QPoint(control->width() - 1, 0));
            EXPECT_LT(right.x(), pages.pcSuperior->width()) << control->objectName().toStdString();
        }
    }
    pages.pcSuperior->SetActivePage(pages.tsDocumento);
    QApplication::processEvents();
    EXPECT_TRUE(pages.tsDocumento->findChild<QWidget*>("sbUltimo")->isVisible());
}

TEST(MainWindowUse, InsertedDatesAreSpanishWhateverTheLocale)
{
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    w.form.mNuevoClick();
    w.form.Config().DateFormat = 1;
    w.form.Config().InsCaseMode = 4;
    QObject sender;
    sender.setProperty("Tag", 20);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    w.form.InsertaTagC(&sender);
    EXPECT_EQ(w.memo.StoredText(), DateTimeText(1, local));
    const char* months[] = {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
                            "septiembre", "octubre", "noviembre", "diciembre"};
    EXPECT_NE(w.memo.StoredText().find(std::string(" de ") + months[local.tm_mon] + " de "), std::string::npos);
}
