// Tests of the main window's help, Herramientas menu, colour panels, address combos, editor options and assistants, driven through its menus and controls.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/window/AuxiliaryEditor.h"
#include "app/host/EditingFile.h"
#include "app/panels/SidePanel.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "highlight/CodeMemoParser.h"
#include "platform/ColorDialog.h"
#include "platform/FindDialog.h"
#include "platform/Help.h"
#include "platform/Menus.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Registry.h"
#include "support/ProgramFolderWhile.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/ShellOpens.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/Win1252Text.h"
#include "toolbars/TabCtrls.h"

namespace {

const std::string kShipped = std::string(KESTRIMA_SOURCE_DIR) + "/resources/";

// A window whose program folder is the source tree's resources, so the shipped help is found.
struct THelpWindow {
    TProgramFolderWhile folder{kShipped};
    TWindow w;
    TformPrincipal& form = w.form;
    QMenu* menu(const char* name) { return form.menuBar()->findChild<QMenu*>(name); }
};

// Answers the colour dialogs with a colour, or cancels without one.
struct TColorAnswer {
    std::vector<TColor> shown;
    bool confirm = true;
    TColor answer = 0;
    TColorAnswer()
    {
        SetColorDialogHook([this](TColorDialog& dialog) {
            shown.push_back(dialog.Color);
            dialog.CustomColors[3] = 0x123456;
            if (confirm)
                dialog.Color = answer;
            return confirm;
        });
    }
    ~TColorAnswer() { SetColorDialogHook({}); }
};

} // namespace

TEST(MainWindowHelpTools, TheHelpMenuOpensTheShippedIndexTheTutorialAndTheInternetAddresses)
{
    THelpWindow h;
    QMenu* ayuda = h.menu("mAyuda");
    emit ayuda->aboutToShow();
    TShellOpens shell;
    h.form.Commands().Action("mTemas")->trigger();
    h.form.Commands().Action("mTutorial")->trigger();
    h.form.Commands().Action("sbAyuda")->trigger();
    const std::vector<std::string> expected = {kShipped + "Help/Kestrima/index.html",
                                               kShipped + "Help/krtutorial/index.html",
                                               kShipped + "Help/Kestrima/index.html"};
    EXPECT_EQ(shell.targets, expected);
    EXPECT_EQ(ApplicationHelpFile(), "Kestrima.hlp");
    for (const std::string& page : shell.targets)
        EXPECT_TRUE(std::filesystem::exists(page)) << page;

    QMenu* internet = ayuda->findChild<QMenu*>("mInternet");
    ASSERT_NE(internet, nullptr);
    EXPECT_EQ(ToWin1252(internet->title()), "Recursos en &Internet");
    shell.targets.clear();
    for (QAction* address : internet->actions())
        address->trigger();
    ASSERT_EQ(shell.targets.size(), 3u);
    EXPECT_EQ(shell.targets[0], "https://developer.mozilla.org/es/docs/Web/HTML");
}

TEST(MainWindowHelpTools, F1OpensTheHelpAtTheFocusedControlsContextElseTheWindows)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    TempDir help("contexthelp");
    std::filesystem::create_directories(help.path / "K");
    std::ofstream((help.path / "K" / "index.html").string()) << "<html></html>";
    std::ofstream((help.path / "K" / "contexts.txt").string()) << "45=auxiliar.html\n34=formularios.html\n7=menu.html\n";
    const TScopeGuard helpFile = UseHelpFile((help.path / "K.hlp").string());
    const std::string pages = (help.path / "K").string() + "/";
    form.show();
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();

    QAction* f1 = form.findChild<QAction*>("contextHelp");
    ASSERT_NE(f1, nullptr);
    EXPECT_EQ(f1->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(f1->shortcutContext(), Qt::WindowShortcut);
    EXPECT_TRUE(form.actions().contains(f1));

    TShellOpens shell;
    // The auxiliary editor carries context 45.
    form.AbreArchivo(h.w.folder.file("a.htm", "<p>uno</p>\r\n"), false, ekHTML);
    form.Commands().Action("mAbrirEnAuxiliar")->trigger();
    ASSERT_TRUE(form.Auxiliar().IsOpen());
    form.Auxiliar().Editor()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(form.focusWidget(), form.Auxiliar().Editor());
    f1->trigger();
    // An assistant's combo: the context of the page it shows.
    form.Commands().Action("mVerLateral")->trigger();
    form.SidePanel().cbAsistentes->setProperty("HelpContext", 34);
    form.SidePanel().cbAsistentes->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(form.focusWidget(), form.SidePanel().cbAsistentes);
    f1->trigger();
    // The main editor has none, nor has the window: the help's contents.
    form.CodeMemo()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(form.focusWidget(), form.CodeMemo());
    f1->trigger();
    EXPECT_EQ(shell.targets, (std::vector<std::string>{pages + "auxiliar.html", pages + "formularios.html", pages + "index.html"}));

    // In an open menu F1 is the hovered item's.
    shell.targets.clear();
    QMenu* archivo = h.menu("mArchivo");
    ASSERT_NE(archivo, nullptr);
    QAction* first = archivo->actions().front();
    SetHelpContext(first, 7);
    archivo->popup(form.mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    archivo->setActiveAction(first);
    ASSERT_EQ(archivo->activeAction(), first);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(archivo, &press);
    // An item without a context: the window's, here none, so the contents.
    archivo->setActiveAction(archivo->actions().at(1));
    QApplication::sendEvent(archivo, &press);
    archivo->hide();
    EXPECT_EQ(shell.targets, (std::vector<std::string>{pages + "menu.html", pages + "index.html"}));
    SetHelpContext(first, 0);
}

TEST(MainWindowHelpTools, EveryShippedKeywordLeadsToAShippedPage)
{
    for (const char* help : {"Kestrima", "krtutorial"}) {
        const std::string folder = kShipped + "Help/" + help + "/";
        EXPECT_TRUE(std::filesystem::exists(folder + "index.html")) << folder;
        std::ifstream in(folder + "keywords.txt");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        THelpIndex index;
        index.LoadKeywords(text);
        for (const auto& [keyword, page] : index.Keywords())
            EXPECT_TRUE(std::filesystem::exists(folder + page.substr(0, page.find('#')))) << keyword << " " << page;
    }
}

TEST(MainWindowHelpTools, TopicHelpLooksUpTheSelectionOrTheWordAtTheCaretAndClosingQuitsOpeningNothing)
{
    THelpWindow h;
    TempDir topics("topics");
    std::filesystem::create_directories(topics.path / "Html");
    std::ofstream((topics.path / "Html" / "index.html").string()) << "<html></html>";
    std::ofstream((topics.path / "Html" / "keywords.txt").string()) << "tr=tr.html\ntable=table.html\n";
    h.form.Config().TopicHelp = (topics.path / "Html.hlp").string();
    h.form.AbreArchivo("", false, ekHTML);
    TCodeMemo& memo = *h.form.CodeMemo();
    memo.Lines().SetText("<tr> <table>");
    memo.SetSelStart(6);
    memo.SetSelLength(5);
    TShellOpens shell;
    h.form.Commands().Action("pmTopicHelp")->trigger();
    memo.SetSelLength(0);
    memo.SetSelStart(2);
    // Without a selection the word at the caret is looked up, wherever the pointer rests (here over
    // "table"), without the brackets of its tag's token.
    MoveMouse(memo, QPoint(memo.TextLeft() + 8 * memo.CharWidth() + 1, memo.LineHeight() / 2));
    h.form.pmTopicHelpClick();
    std::string token;
    memo.TokenAtCaret(token);
    EXPECT_EQ(token, "<tr");
    const std::string pages = (topics.path / "Html").string() + "/";
    EXPECT_EQ(shell.targets, (std::vector<std::string>{pages + "table.html", pages + "tr.html"}));
    EXPECT_EQ(ApplicationHelpFile(), "Kestrima.hlp");
    EXPECT_TRUE(memo.actions().contains(h.form.Commands().Action("pmTopicHelp")));
    EXPECT_TRUE(memo.actions().contains(h.form.Commands().Action("pmOpcionesEditor")));

    shell.targets.clear();
    TBoxAnswers boxes({IDNO});
    h.form.close();
    EXPECT_TRUE(shell.targets.empty());
}

TEST(MainWindowHelpTools, TheHerramientasSwitchesFollowTheSettingsAndTheEditor)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    form.AbreArchivo("", false, ekHTML);
    QMenu* herramientas = h.menu("mHerramientas");
    QAction* cierres = form.Commands().Action("mCierresRapidos");
    QAction* colorear = form.Commands().Action("mColorearCodigos");
    QAction* filtrar = form.Commands().Action("mFiltrarCaracteres");
    EXPECT_TRUE(herramientas->actions().contains(colorear));
    form.Config().QuickTag = false;
    form.Config().InsSpecChar = true;
    emit herramientas->aboutToShow();
    EXPECT_FALSE(cierres->isChecked());
    EXPECT_TRUE(filtrar->isChecked());
    EXPECT_TRUE(colorear->isChecked());
    EXPECT_EQ(form.CodeMemo()->ActiveParser(), 1);

    colorear->trigger();
    EXPECT_EQ(form.CodeMemo()->ActiveParser(), 6);
    emit herramientas->aboutToShow();
    EXPECT_FALSE(colorear->isChecked());
    colorear->trigger();
    EXPECT_EQ(form.CodeMemo()->ActiveParser(), 1);
    EXPECT_TRUE(colorear->isChecked());

    cierres->trigger();
    filtrar->trigger();
    EXPECT_TRUE(form.Config().QuickTag);
    EXPECT_FALSE(form.Config().InsSpecChar);
    emit herramientas->aboutToShow();
    EXPECT_TRUE(cierres->isChecked());
    EXPECT_FALSE(filtrar->isChecked());
}

TEST(MainWindowHelpTools, AClickOnAColourPanelTakesTheChosenColourAndCancelKeepsIt)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    TToolPageControls& pages = form.Herramientas();
    form.Config().UseCustomPalette = false;
    pages.pColor->SetColor(0x0000FF);
    TColorAnswer answer;
    answer.answer = 0x00FF00;
    Click(*pages.pColor);
    EXPECT_EQ(answer.shown, std::vector<TColor>{0x0000FF});
    EXPECT_EQ(pages.pColor->Color(), 0x00FF00);
    TToolPageValues values;
    pages.Link->FillValues(values);
    EXPECT_EQ(values.Color, 0x00FF00);

    answer.confirm = false;
    Click(*pages.pColor);
    EXPECT_EQ(pages.pColor->Color(), 0x00FF00);
    answer.confirm = true;
    answer.answer = 0x808080;
    Click(*pages.PColorFuente);
    EXPECT_EQ(pages.PColorFuente->Color(), 0x808080);
    EXPECT_EQ(form.ColorDialog().CustomColors[3], 0x123456);

    // The custom colours outlive the window.
    TBoxAnswers boxes({IDNO});
    form.close();
    TformPrincipal again;
    EXPECT_EQ(again.ColorDialog().CustomColors[3], 0x123456);
    EXPECT_EQ(again.ColorDialog().CustomColors[0], 0xFFFFFF);
}

TEST(MainWindowHelpTools, AnAddressComboPicksAFileRelativeToTheDocument)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    form.AbreArchivo("", false, ekHTML);
    form.CurrentFile()->FileName = "/w/index.htm";
    form.Config().InsertDirs = 2;
    QComboBox images;
    images.setEditable(true);
    images.setProperty("Tag", 3);
    TDialogAnswers dialogs;
    dialogs.answers.push_back({"/w/img/a.gif"});
    form.OpenURL(&images);
    EXPECT_EQ(ToWin1252(images.currentText()), "img/a.gif");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.requests[0].Picture);
    EXPECT_EQ(dialogs.requests[0].Filter, "Im\xE1genes|*.gif;*.jpg;*.bmp;*.png|Im\xE1genes GIF (*.gif)|*.gif|"
                                          "Im\xE1genes JPG (*.jpg)|*.jpg|Mapas de Bits (*.bmp)|*.bmp|"
                                          "Im\xE1genes PNG (*.png)|*.png|Todos|*.*");
    EXPECT_EQ(form.PictureDialogInitialDir, "/w/img/");

    // A double click on the sounds combo offers the sound files, starting where the last choice was.
    QComboBox* sound = form.Herramientas().cbBGSound;
    form.OpenDialogInitialDir = "/w/";
    dialogs.answers.push_back({"/w/snd/b.mid"});
    SendMouse(*(sound->lineEdit() ? static_cast<QWidget*>(sound->lineEdit()) : sound), QEvent::MouseButtonDblClick,
              QPoint(3, 3));
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_FALSE(dialogs.requests[1].Picture);
    EXPECT_EQ(dialogs.requests[1].InitialDir, "/w/");
    EXPECT_EQ(dialogs.requests[1].Filter.substr(0, 5), "Sonid");
    EXPECT_EQ(ToWin1252(sound->currentText()), "snd/b.mid");
    EXPECT_EQ(form.OpenDialogInitialDir, "/w/snd/");
    // Cancel changes nothing.
    form.OpenURL(&images);
    EXPECT_EQ(ToWin1252(images.currentText()), "img/a.gif");
}

TEST(MainWindowHelpTools, TheEditorOptionsSaveTheUsersCopiesThatANewWindowReads)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    int dialogs = 0;
    TCodeMemoParser::SetSettingsDialog([&dialogs](TCodeMemoParser&, TSM_PropEdPages) {
        ++dialogs;
        return true;
    });
    form.AbreArchivo("", false, ekHTML);
    form.CodeMemo()->AutoReplaceList().AddReplacement("qeu", "que");
    form.CodeMemo()->CodeTemplateList().SetTemplate("tb", "tabla", "<table></table>");
    form.Commands().Action("mOpcionesEditor")->trigger();
    TCodeMemoParser::SetSettingsDialog({});
    EXPECT_EQ(dialogs, 1);
    const std::string copies = UserDocsFolder();
    EXPECT_EQ(copies, h.w.registry.Folder.path.string() + "/Docs/");
    EXPECT_TRUE(std::filesystem::exists(copies + "krARep.krr"));
    EXPECT_TRUE(std::filesystem::exists(copies + "krCTem.krt"));

    TformPrincipal again;
    std::string text;
    EXPECT_TRUE(again.CodeMemo()->AutoReplaceList().Lookup("qeu", text));
    EXPECT_EQ(text, "que");
    EXPECT_TRUE(again.CodeMemo()->CodeTemplateList().Lookup("tb", text));
    EXPECT_EQ(text, "<table></table>");

    // A folder that cannot be made is reported.
    std::filesystem::remove_all(copies);
    std::ofstream(copies.substr(0, copies.size() - 1)) << "no es una carpeta";
    TBoxAnswers boxes;
    form.mOpcionesEditorClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("No es posible guardar la copia del usuario", 0), 0u) << boxes.texts[0];
}

TEST(MainWindowHelpTools, TheAssistantsGoByTagAndTheLinksPageIsTheWindowsOwn)
{
    THelpWindow h;
    TformPrincipal& form = h.form;
    form.AbreArchivo("", false, ekHTML);
    TToolPageControls& pages = form.Herramientas();
    form.mVerBarraClick();
    ASSERT_TRUE(pages.PHerramientas->isHidden());
    QObject sender;
    sender.setProperty("Tag", 3);
    form.LlamadasExpertos(&sender);
    EXPECT_FALSE(pages.PHerramientas->isHidden());
    EXPECT_EQ(pages.pcSuperior->ActivePage(), pages.tsEnlaces);

    std::vector<int> calls;
    form.SetExpertCall(6, [&calls](QObject* s) { calls.push_back(s->property("Tag").toInt()); });
    sender.setProperty("Tag", 6);
    form.LlamadasExpertos(&sender);
    sender.setProperty("Tag", 7);
    form.LlamadasExpertos(&sender);
    EXPECT_EQ(calls, std::vector<int>{6});
}

TEST(MainWindowHelpTools, HelpOnTheWordWithTheDefaultSettingsUsesTheProgramsHelp)
{
    THelpWindow h;
    ASSERT_TRUE(h.form.Config().TopicHelp.empty());
    h.form.AbreArchivo("", false, ekText);
    TCodeMemo& memo = *h.form.CodeMemo();
    memo.Lines().SetText("tablas\rzzz");
    const std::string pages = kShipped + "Help/Kestrima/";
    TShellOpens shell;
    // A known word leads to its topic; the word is selected without the line end after it.
    memo.SetSelStart(2);
    h.form.Commands().Action("mInforma")->trigger();
    EXPECT_EQ(memo.GetSelText(), "tablas");
    EXPECT_EQ(h.form.UltimaApertura, "tablas");
    // An unknown one leads to the index.
    memo.SetSelStart(8);
    h.form.Commands().Action("mInforma")->trigger();
    EXPECT_EQ(memo.GetSelText(), "zzz");
    // The editor's pop-up looks up the selection the same way.
    memo.SetSelStart(0);
    memo.SetSelLength(6);
    h.form.Commands().Action("pmTopicHelp")->trigger();
    EXPECT_EQ(shell.targets, (std::vector<std::string>{pages + "herramientas.html#tablas",
                                                       pages + "index.html",
                                                       pages + "herramientas.html#tablas"}));
    EXPECT_EQ(ApplicationHelpFile(), "Kestrima.hlp");
}

TEST(MainWindowHelpTools, AMissingHelpFolderIsNamedOnceByItsRealPath)
{
    // The tests' program folder has no help.
    TWindow w;
    w.form.AbreArchivo("", false, ekText);
    w.memo.Lines().SetText("tablas");
    TShellOpens shell;
    TBoxAnswers boxes;
    w.form.Commands().Action("mInforma")->trigger();
    EXPECT_TRUE(shell.targets.empty());
    const std::string folder = std::filesystem::canonical(ProgramFolder()).string() + "/Help/Kestrima";
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"No se encuentra la carpeta de las p\xE1ginas de ayuda \"" +
                                                     folder + "\"."}));
}

TEST(MainWindowHelpTools, F1InTheFindAndReplaceDialogsShowsTheirHelp)
{
    THelpWindow h;
    h.form.AbreArchivo("", false, ekHTML);
    h.form.CodeMemo()->Lines().SetText("casa");
    h.form.Commands().Action("mBuscar")->trigger();
    h.form.Commands().Action("mReemplazar")->trigger();
    const QList<TFindDialog*> dialogs = h.form.findChildren<TFindDialog*>();
    ASSERT_EQ(dialogs.size(), 2);
    TShellOpens shell;
    for (TFindDialog* dialog : dialogs) {
        // The dialog is the window the keys go to, as after the command that showed it.
        QApplication::setActiveWindow(dialog);
        QApplication::processEvents();
        QWidget* focused = dialog->findChild<QLineEdit*>("eBuscar");
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(focused, &f1);
        dialog->CloseDialog();
    }
    const std::string edicion = kShipped + "Help/Kestrima/menus.html#edicion";
    EXPECT_EQ(shell.targets, (std::vector<std::string>{edicion, edicion}));
}
