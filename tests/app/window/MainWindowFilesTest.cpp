// Tests of the main window's documents: tabs, opening, models, switching, saving, reloading, closing and the recent files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipalTools.h"
#include "app/window/uFormPrincipal.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"
#include "editor/model/KeyBindings.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Messages.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/StringListItems.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/Win1252Text.h"
#include "toolbars/TabCtrls.h"

namespace {

std::string text(TCodeMemo& memo)
{
    return memo.StoredText();
}

std::string modifiedPanel(TformPrincipal& form)
{
    return ToWin1252(form.Panel(2)->text());
}

// While it lives, writes into `folder` fail: the folder is read-only, and since the superuser writes
// into read-only folders anyway, a file-size limit (its signal ignored) makes the write fail for anyone.
struct TFailingWrites {
    const std::string folder;
    const bool superuser = geteuid() == 0;
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
    explicit TFailingWrites(const std::string& where) : folder(where)
    {
        chmod(folder.c_str(), 0555);
        getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        if (superuser)
            setrlimit(RLIMIT_FSIZE, &small);
    }
    ~TFailingWrites()
    {
        if (superuser)
            setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        chmod(folder.c_str(), 0755);
    }
};

} // namespace

TEST(MainWindowFiles, NewDocumentsTakeTheFirstFreeNumberAndTheStripShowsOnlyWithDocuments)
{
    TWindow w;
    EXPECT_TRUE(w.form.FileTabs()->isHidden());
    EXPECT_TRUE(w.memo.isHidden());
    for (int i = 0; i < 3; ++i)
        w.form.mNuevoClick();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "Nuevo2", "Nuevo3"}));
    EXPECT_FALSE(w.form.FileTabs()->isHidden());
    EXPECT_FALSE(w.memo.isHidden());
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 2);
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - Nuevo3");

    switchTo(w.form, 1);
    w.form.mCerrarClick();
    // The tab after the closed one takes its place.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "Nuevo3"}));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    w.form.mNuevoClick();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "Nuevo3", "Nuevo2"}));

    // Closing the last tab selects the one before; closing all hides the strip and empties the window.
    w.form.mCerrarClick();
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    w.form.mCerrarTodoClick();
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_TRUE(w.form.FileTabs()->isHidden());
    EXPECT_EQ(w.form.windowTitle(), "Kestrima");
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(w.form.Panel(i)->text().isEmpty()) << i;
    EXPECT_TRUE(w.form.sbLateral()->isHidden());
    EXPECT_FALSE(w.form.FileCommands().mGuardar->isEnabled());
    EXPECT_TRUE(w.form.FileCommands().mNuevo->isEnabled());
}

TEST(MainWindowFiles, FilesOpenInTheKindOfTheirExtensionCaptionedWithTheirName)
{
    TWindow w;
    w.form.Config().DefaultParser = ekJavaScript;
    const std::string css = w.folder.file("estilo.CSS", "p { color: red }\r\n");
    const std::string htm = w.folder.file("pagina.Htm", "<p>hola</p>");
    const std::string other = w.folder.file("datos.xyz", "x");
    w.form.AbreArchivo(css, false, w.form.TipoDeArchivo(css));
    EXPECT_EQ(w.memo.ActiveParser(), ekText);
    w.form.AbreArchivo(htm, false, w.form.TipoDeArchivo(htm));
    EXPECT_EQ(w.memo.ActiveParser(), ekHTML);
    w.form.AbreArchivo(other, false, w.form.TipoDeArchivo(other));
    EXPECT_EQ(w.memo.ActiveParser(), ekJavaScript);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"estilo.CSS", "pagina.Htm", "datos.xyz"}));
    EXPECT_EQ(w.form.ArchivoActual(), other);
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - datos.xyz");
    // The kind travels with the document.
    switchTo(w.form, 0);
    EXPECT_EQ(w.memo.ActiveParser(), ekText);
    EXPECT_EQ(text(w.memo), "p { color: red }\r");
    // Opening took each file out of the recent files.
    w.form.Config().MRU.Insert(0, htm);
    w.form.AbreArchivo(htm, false, ekHTML);
    EXPECT_EQ(w.form.Config().MRU.IndexOf(htm), -1);
}

TEST(MainWindowFiles, TheEditorsDocumentNameIsTheDocumentShown)
{
    TWindow w;
    EXPECT_EQ(w.memo.DocumentName(), "");
    const std::string first = w.folder.file("primera.htm", "<p>1</p>");
    // A name the window shows as its characters: "\xC3\xB1" is "\xF1", a byte that spells no
    // character the replacement character's reference.
    const std::string second = w.folder.file("se\xC3\xB1" "al\xFF.htm", "<p>2</p>");
    const std::string secondShown = w.folder.path.string() + "/se\xF1" "al&#65533;.htm";
    w.form.AbreArchivo(first, false, ekHTML);
    EXPECT_EQ(w.memo.DocumentName(), first);
    w.form.AbreArchivo(second, false, ekHTML);
    EXPECT_EQ(w.memo.DocumentName(), secondShown);
    switchTo(w.form, 0);
    EXPECT_EQ(w.memo.DocumentName(), first);
    // The HTML the editor exports of it (the clipboard's "HTML Format") is titled so.
    {
        TMemoryStream html;
        w.memo.SelectAll();
        w.memo.Perform(SMM_SAVESTREAM, SMM_FORMAT_HTML, reinterpret_cast<LPARAM>(&html));
        EXPECT_NE(html.AsString().find("<TITLE>" + first + "</TITLE>"), std::string::npos) << html.AsString();
    }
    switchTo(w.form, 1);
    EXPECT_EQ(w.memo.DocumentName(), secondShown);
    // Opened again, the open tab comes forward with its name.
    w.form.AbreArchivo(first, false, ekHTML);
    EXPECT_EQ(w.memo.DocumentName(), first);

    // An untitled document is its caption, until Save As names it.
    w.form.mNuevoClick();
    EXPECT_EQ(w.memo.DocumentName(), "Nuevo1");
    w.form.mNuevoClick();
    EXPECT_EQ(w.memo.DocumentName(), "Nuevo2");
    switchTo(w.form, 2);
    EXPECT_EQ(w.memo.DocumentName(), "Nuevo1");
    const std::string named = w.folder.path.string() + "/nombrada.htm";
    {
        TDialogAnswers dialogs;
        dialogs.answers = {{named}};
        EXPECT_TRUE(w.form.mGuardarComoClick());
    }
    EXPECT_EQ(w.memo.DocumentName(), named);
    // Save As of a named document, and a reload, leave the name of the file shown.
    const std::string copy = w.folder.path.string() + "/copia.htm";
    switchTo(w.form, 0);
    {
        TDialogAnswers dialogs;
        dialogs.answers = {{copy}};
        EXPECT_TRUE(w.form.mGuardarComoClick());
    }
    EXPECT_EQ(w.memo.DocumentName(), copy);
    w.form.mActualizarClick();
    EXPECT_EQ(text(w.memo), "<p>1</p>");
    EXPECT_EQ(w.memo.DocumentName(), copy);
    // Another document read again from disk goes through the editor and leaves the name shown.
    w.form.ReloadDocument(1);
    EXPECT_EQ(w.memo.DocumentName(), copy);
    // Closing the one shown brings the next with its name; closing all leaves none.
    w.form.mCerrarClick();
    EXPECT_EQ(w.memo.DocumentName(), secondShown);
    w.form.mCerrarTodoClick();
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(w.memo.DocumentName(), "");
}

TEST(MainWindowFiles, EachTabKeepsItsTextSelectionTopLineBookmarksSearchAndUndo)
{
    TWindow w;
    std::string longText;
    for (int i = 1; i <= 200; ++i)
        longText += "linea " + std::to_string(i) + "\r\n";
    const std::string first = w.folder.file("uno.txt", longText);
    w.form.AbreArchivo(first, false, ekText);
    w.memo.SetSelStart(30);
    type(w.memo, "ESCRITO");
    w.memo.SetSelStart(10);
    w.memo.SetSelLength(5);
    w.memo.CaretControl().SetTopLine(50);
    ASSERT_EQ(w.memo.CaretControl().GetTopLine(), 50);
    w.memo.SetBookmark(2, 60, 1);
    w.memo.SetBookmark(7, 5, 3);
    w.memo.SearchText = "linea 9";
    w.memo.SearchFlags = 4;

    w.form.mNuevoClick();
    EXPECT_EQ(w.form.EditingFile(0)->TopLine, 50);
    // A new document takes the search of the one before it, and nothing else.
    EXPECT_EQ(w.memo.SearchText, "linea 9");
    EXPECT_EQ(text(w.memo), "");
    int line, column;
    EXPECT_FALSE(w.memo.GetBookmark(2, line, column));
    type(w.memo, "segundo");
    w.memo.SearchText = "otro";
    w.memo.SearchFlags = 0;
    EXPECT_EQ(w.memo.Perform(EM_CANUNDO, 0, 0), 1);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        switchTo(w.form, 0);
        EXPECT_EQ(text(w.memo).substr(30, 7), "ESCRITO");
        EXPECT_EQ(w.memo.GetSelStart(), 10);
        EXPECT_EQ(w.memo.GetSelLength(), 5);
        EXPECT_EQ(w.memo.CaretControl().GetTopLine(), 50);
        ASSERT_TRUE(w.memo.GetBookmark(2, line, column));
        EXPECT_EQ(line, 60);
        ASSERT_TRUE(w.memo.GetBookmark(7, line, column));
        EXPECT_EQ(std::make_pair(line, column), std::make_pair(5, 3));
        EXPECT_FALSE(w.memo.GetBookmark(0, line, column));
        EXPECT_EQ(w.memo.SearchText, "linea 9");
        EXPECT_EQ(w.memo.SearchFlags, 4);
        EXPECT_EQ(w.form.TextoBuscado, "linea 9");
        switchTo(w.form, 1);
        EXPECT_EQ(text(w.memo), "segundo");
        EXPECT_FALSE(w.memo.GetBookmark(2, line, column));
        EXPECT_EQ(w.memo.SearchText, "otro");
    }

    // A bookmark taken away stays away.
    switchTo(w.form, 0);
    w.memo.SetBookmark(2, 60, 1);
    EXPECT_FALSE(w.memo.GetBookmark(2, line, column));
    switchTo(w.form, 1);
    switchTo(w.form, 0);
    EXPECT_FALSE(w.memo.GetBookmark(2, line, column));
    EXPECT_TRUE(w.memo.GetBookmark(7, line, column));

    // Undo undoes each document's own edits.
    w.memo.Perform(EM_UNDO, 0, 0);
    std::string stored;
    for (char c : longText)
        if (c != '\n')
            stored += c;
    EXPECT_EQ(text(w.memo), stored);
    EXPECT_EQ(w.memo.Perform(EM_CANUNDO, 0, 0), 0);
    switchTo(w.form, 1);
    EXPECT_EQ(w.memo.Perform(EM_CANUNDO, 0, 0), 1);
    w.memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(text(w.memo), "");
}

TEST(MainWindowFiles, NewDocumentsStartFromTheModelOnlyWhenAsked)
{
    TWindow w;
    const std::string model = w.folder.file("modelo.htm", "<HTML>modelo del proyecto</HTML>");
    const std::string project = w.folder.file("sitio.kr",
        "[Datos del proyecto]\r\nNombre=Sitio\r\n  archivo MODELO = \"" + model + "\"\r\n");
    w.form.Config().LastProyect = project;
    w.form.Config().NewFileModel = w.folder.file("normal.htm", "<HTML>normal</HTML>");
    EXPECT_EQ(w.form.LeeDatoProyecto("Archivo modelo"), model);
    EXPECT_EQ(w.form.LeeDatoProyecto("Nombre"), "Sitio");

    w.form.Config().NewFile = 1;
    w.form.mNuevoClick();
    EXPECT_EQ(text(w.memo), "<HTML>modelo del proyecto</HTML>");
    EXPECT_EQ(w.form.ArchivoActual(), "");
    EXPECT_EQ(captions(w.form).back(), "Nuevo1");
    EXPECT_EQ(modifiedPanel(w.form), "");
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);

    // Without the project's model the setting's model is used.
    w.form.Config().LastProyect = w.folder.path.string() + "/no-existe.kr";
    EXPECT_EQ(w.form.LeeDatoProyecto("Archivo modelo"), "");
    w.form.mNuevoClick();
    EXPECT_EQ(text(w.memo), "<HTML>normal</HTML>");

    w.form.Config().NewFile = 0;
    w.form.mNuevoClick();
    EXPECT_EQ(text(w.memo), "");
    // A model given as such is always loaded, into an untitled document.
    w.form.AbreArchivo(model, true, ekHTML);
    EXPECT_EQ(text(w.memo), "<HTML>modelo del proyecto</HTML>");
    EXPECT_EQ(w.form.ArchivoActual(), "");
    EXPECT_EQ(captions(w.form).back(), "Nuevo4");
    EXPECT_EQ(w.form.Config().MRU.IndexOf(model), -1);
}

TEST(MainWindowFiles, SavingKeepsBackupsConvertsEntitiesAndReloadClearsTheChangedMark)
{
    TWindow w;
    w.form.Config().MakeBackups = true;
    const std::string page = w.folder.file("page.htm", "<p>viejo</p>\r\n");
    const std::string readme = w.folder.file("readme", "antes\r\n");
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "nuevo ");
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");
    w.form.mGuardarClick();
    EXPECT_EQ(modifiedPanel(w.form), "");
    EXPECT_EQ(ReadFileBytes(page), "nuevo <p>viejo</p>\r\n");
    EXPECT_EQ(ReadFileBytes(w.folder.path.string() + "/page.~tm"), "<p>viejo</p>\r\n");

    w.form.AbreArchivo(readme, false, ekText);
    type(w.memo, "x");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(readme), "xantes\r\n");
    EXPECT_EQ(ReadFileBytes(readme + ".bak"), "antes\r\n");

    // Entities become characters while editing and go back to entities on disk.
    w.form.Config().InsSpecChar = true;
    const std::string entities = w.folder.file("acento.htm", "<p>&aacute;rbol</p>\n");
    w.form.AbreArchivo(entities, false, ekHTML);
    EXPECT_EQ(text(w.memo), "<p>\xE1rbol</p>\r");
    w.memo.SetSelStart(static_cast<int>(text(w.memo).size()));
    type(w.memo, "\xF1");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(entities), "<p>&aacute;rbol</p>\n&ntilde;");

    // Reload brings the disk's text back, unchanged.
    type(w.memo, "borrador");
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");
    TBoxAnswers boxes;
    boxes.answers = {IDNO};
    w.form.mActualizarClick();
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");
    ASSERT_EQ(boxes.flags.size(), 1u);
    EXPECT_EQ(boxes.flags[0], 0x124u);
    boxes.answers = {IDYES};
    w.form.mActualizarClick();
    EXPECT_EQ(modifiedPanel(w.form), "");
    EXPECT_EQ(text(w.memo), "<p>\xE1rbol</p>\r\xF1");
    EXPECT_EQ(w.memo.Perform(EM_CANUNDO, 0, 0), 0);

    // A document as saved has nothing to lose: F5 reads it again without a question.
    WriteFileBytes(entities, "<p>otro</p>");
    w.form.Commands().Action("mActualizar")->trigger();
    EXPECT_EQ(boxes.flags.size(), 2u);
    EXPECT_EQ(text(w.memo), "<p>otro</p>");
    EXPECT_EQ(modifiedPanel(w.form), "");
}

TEST(MainWindowFiles, ANameAsLongAsTheSystemTakesSavesWithItsBackupAndLeavesNoOtherFile)
{
    TWindow w;
    w.form.Config().MakeBackups = true;
    // "ñ" 123 times and ".html": 251 bytes, and 255, the most a name may have.
    std::string ene;
    for (int i = 0; i < 123; ++i)
        ene += "\xC3\xB1";
    for (const std::string& name : {ene + ".html", ene + "abcd.html"}) {
        const std::string page = w.folder.file(name, "<p>viejo</p>");
        w.form.AbreArchivo(page, false, ekHTML);
        type(w.memo, "nuevo ");
        w.form.mGuardarClick();
        EXPECT_EQ(modifiedPanel(w.form), "") << name.size();
        EXPECT_EQ(ReadFileBytes(page), "nuevo <p>viejo</p>") << name.size();
        EXPECT_EQ(ReadFileBytes(page.substr(0, page.size() - 4) + "~tml"), "<p>viejo</p>") << name.size();
    }
    // Only the pages and their backups: no file was left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.folder.path), {}), 4);
}

TEST(MainWindowFiles, Utf8FilesComeBackAsTheyWereWhateverTheirCharacters)
{
    TWindow w;
    const std::string fits = "<p>\xC3\xA1\xE2\x82\xAC</p>\n<p>dos</p>\n";  // á and €
    const std::string utf8 = w.folder.file("utf8.htm", fits);
    w.form.Config().InsSpecChar = false;
    w.form.AbreArchivo(utf8, false, ekHTML);
    EXPECT_EQ(text(w.memo), "<p>\xE1\x80</p>\r<p>dos</p>\r");
    EXPECT_FALSE(w.memo.ReadOnly());
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(utf8), fits);
    w.memo.SetSelStart(3);
    type(w.memo, "\xE9");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(utf8), "<p>\xC3\xA9\xC3\xA1\xE2\x82\xAC</p>\n<p>dos</p>\n");

    const std::string arrow = "<p>\xC3\xA1 \xE2\x86\x92 fin \xE2\x86\x92</p>\r\n";  // á → →
    const std::string wide = w.folder.file("flecha.htm", arrow);
    TBoxAnswers boxes;
    w.form.AbreArchivo(wide, false, ekHTML);
    // No box: the document opens editable, the status bar says how many characters are references.
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_FALSE(w.memo.ReadOnly());
    EXPECT_EQ(text(w.memo), "<p>\xE1 \x1F#8594; fin \x1F#8594;</p>\r");
    EXPECT_EQ(ToWin1252(w.form.Panel(4)->text()).substr(0, 12), "2 caracteres");
    // The note follows the current tab: gone on a document without references, back on this one.
    const int withNote = w.form.Documents().Current();
    switchTo(w.form, withNote - 1);
    EXPECT_EQ(w.form.Panel(4)->text(), "");
    switchTo(w.form, withNote);
    EXPECT_EQ(ToWin1252(w.form.Panel(4)->text()).substr(0, 12), "2 caracteres");
    // One such character is told in the singular.
    w.form.AbreArchivo(w.folder.file("una.htm", "<p>\xE2\x86\x92</p>"), false, ekHTML);
    EXPECT_EQ(ToWin1252(w.form.Panel(4)->text()),
              "1 car\xE1""cter que Windows-1252 no tiene se muestra como referencia (&#N;); al guardar vuelve a "
              "escribirse como car\xE1""cter.");
    switchTo(w.form, withNote);
    EXPECT_EQ(ToWin1252(w.form.Panel(4)->text()),
              "2 caracteres que Windows-1252 no tiene se muestran como referencias (&#N;); al guardar vuelven a "
              "escribirse como caracteres.");
    // Even with entity conversion on, saving it untouched writes the very bytes it came from.
    w.form.Config().InsSpecChar = true;
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(wide), arrow);
    w.memo.SetSelStart(0);
    type(w.memo, "x");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(wide), "x" + arrow);
}

TEST(MainWindowFiles, ClosingAsksForEachChangedDocumentAndCancelKeepsTheRestOpen)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "A");
    const std::string b = w.folder.file("b.htm", "B");
    w.form.AbreArchivo(a, false, ekHTML);
    type(w.memo, "1");
    w.form.AbreArchivo(b, false, ekHTML);
    type(w.memo, "2");
    TBoxAnswers boxes;
    boxes.answers = {IDNO, IDCANCEL};
    EXPECT_FALSE(w.form.close());
    EXPECT_TRUE(w.form.isVisible());
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0], "El texto en el archivo a.htm ha cambiado.\n\n\xBF" "Desea guardar los cambios?");
    EXPECT_EQ(boxes.flags[0], 0x33u);
    // Every question came before any document closed: both stay, each with its changes.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm", "b.htm"}));
    EXPECT_EQ(w.form.Config().MRU[0], "");
    EXPECT_EQ(ReadFileBytes(a), "A");
    // The asked document is shown, still changed.
    EXPECT_EQ(text(w.memo), "2B");
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - b.htm");
    switchTo(w.form, 0);
    EXPECT_EQ(text(w.memo), "1A");
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");

    // Asked again, No and Yes: the one is discarded, the other saved, and then the window closes,
    // the recent files taking them in the order of their tabs.
    boxes.answers = {IDNO, IDYES};
    EXPECT_TRUE(w.form.close());
    EXPECT_EQ(ReadFileBytes(a), "A");
    EXPECT_EQ(ReadFileBytes(b), "2B");
    EXPECT_EQ(w.form.Config().MRU[0], b);
    EXPECT_EQ(w.form.Config().MRU[1], a);
    EXPECT_EQ(w.form.Config().MRU.Count(), 9);
}

TEST(MainWindowFiles, ACancelledSalirLeavesEveryTabThatWasOpen)
{
    // Three tabs, the first two changed: Salir, Yes saves the first, Cancel at the second.
    TWindow w;
    TBoxAnswers boxes;
    const std::string a = w.folder.file("a.htm", "A");
    const std::string b = w.folder.file("b.htm", "B");
    const std::string c = w.folder.file("c.htm", "C");
    w.form.AbreArchivo(a, false, ekHTML);
    type(w.memo, "1");
    w.form.AbreArchivo(b, false, ekHTML);
    type(w.memo, "2");
    w.form.AbreArchivo(c, false, ekHTML);
    boxes.answers = {IDYES, IDCANCEL};
    w.form.mSalirClick();
    EXPECT_TRUE(w.form.isVisible());
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_NE(boxes.texts[1].find(" b.htm "), std::string::npos) << boxes.texts[1];
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm", "b.htm", "c.htm"}));
    EXPECT_EQ(ReadFileBytes(a), "1A");
    EXPECT_EQ(ReadFileBytes(b), "B");
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    EXPECT_EQ(text(w.memo), "2B");
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - b.htm");
    // Nothing closed, nothing went to the recent files; each tab keeps its text and state.
    EXPECT_EQ(w.form.Config().MRU[0], "");
    switchTo(w.form, 0);
    EXPECT_EQ(text(w.memo), "1A");
    EXPECT_EQ(modifiedPanel(w.form), "");
    switchTo(w.form, 2);
    EXPECT_EQ(text(w.memo), "C");
    // Cerrar todo asks the same way.
    boxes.answers = {IDCANCEL};
    w.form.mCerrarTodoClick();
    EXPECT_EQ(w.form.DocumentCount(), 3);
}

TEST(MainWindowFiles, GuardarTodoLeavesAnUntouchedPageAndItsBackupAlone)
{
    TWindow w;
    TDialogAnswers dialogs;
    w.form.Config().MakeBackups = true;
    const std::string page = w.folder.file("page.html", "<p>antes</p>");
    const std::string other = w.folder.file("otra.html", "<p>otra</p>");
    const std::string backup = w.folder.path.string() + "/page.~tml";
    w.form.AbreArchivo(other, false, ekHTML);
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "x");
    w.form.mGuardarClick();
    ASSERT_EQ(ReadFileBytes(backup), "<p>antes</p>");
    const auto written = std::filesystem::last_write_time(page);
    // Guardar todo: the saved page is untouched, the untitled one is named, the changed one saved.
    w.form.mNuevoClick();
    type(w.memo, "nuevo");
    switchTo(w.form, 0);
    type(w.memo, "y");
    const std::string named = w.folder.path.string() + "/nuevo.html";
    dialogs.answers = {{named}};
    w.form.mGuardarTodoClick();
    EXPECT_EQ(ReadFileBytes(backup), "<p>antes</p>");
    EXPECT_EQ(ReadFileBytes(page), "x<p>antes</p>");
    EXPECT_EQ(std::filesystem::last_write_time(page), written);
    EXPECT_EQ(ReadFileBytes(other), "y<p>otra</p>");
    EXPECT_EQ(ReadFileBytes(w.folder.path.string() + "/otra.~tml"), "<p>otra</p>");
    EXPECT_EQ(ReadFileBytes(named), "nuevo");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    // Nothing changed since: Guardar todo writes nothing and asks nothing.
    const size_t files = ReadFolder(w.folder.path.string()).size();
    w.form.mGuardarTodoClick();
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(ReadFolder(w.folder.path.string()).size(), files);
    EXPECT_EQ(ReadFileBytes(w.folder.path.string() + "/otra.~tml"), "<p>otra</p>");
    for (int i = 0; i < w.form.DocumentCount(); ++i)
        EXPECT_TRUE(w.form.EditingFile(i)->Guardado) << i;
}

TEST(MainWindowFiles, TheSaveDialogOpensOnThePagesFilterAndGivesItsExtension)
{
    TWindow w;
    TDialogAnswers dialogs;
    const std::string filter = LoadResString(4504);
    // The Internet filters list both extensions.
    EXPECT_EQ(filter.rfind("Internet HTM|*.htm;*.html|Internet HTML|*.html;*.htm|", 0), 0u) << filter;
    struct TCase {
        const char* file;
        int kind;
        int index;
        const char* extension;
    };
    const TCase cases[] = {
        {"index.html", ekHTML, 2, "html"}, {"index.htm", ekHTML, 1, "htm"},  {"menu.shtml", ekHTML, 3, "shtml"},
        {"PAGE.HTML", ekHTML, 2, "HTML"},  {"estilo.css", ekText, 8, "css"}, {"app.js", ekJavaScript, 11, "js"},
        {"datos.xyz", ekText, 12, "xyz"},  {"", ekHTML, 1, "htm"},           {"", ekText, 7, "txt"},
        {"", ekJavaScript, 11, "js"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        if (*c.file)
            w.form.AbreArchivo(w.folder.file(c.file, "x"), false, c.kind);
        else
            w.form.AbreArchivo("", false, c.kind);
        dialogs.requests.clear();
        EXPECT_FALSE(w.form.mGuardarComoClick());
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].FilterIndex, c.index);
        EXPECT_EQ(dialogs.requests[0].DefaultExt, c.extension);
        w.form.mCerrarClick();
    }
    // Guardar como of index.html, a name typed without an extension: index2.html beside it.
    const std::string page = w.folder.file("index.html", "<p>");
    w.form.AbreArchivo(page, false, ekHTML);
    const std::string typed = w.folder.path.string() + "/index2";
    dialogs.answers = {{typed}};
    EXPECT_TRUE(w.form.mGuardarComoClick());
    EXPECT_EQ(ReadFileBytes(typed + ".html"), "<p>");
    EXPECT_FALSE(std::filesystem::exists(typed + ".htm"));
    EXPECT_EQ(captions(w.form), std::vector<std::string>{"index2.html"});
    // A filter of one extension chosen in the dialog gives its own.
    SetFileDialogHook([&](TFileDialogRequest& request) {
        request.FilterIndex = 7;
        request.FileName = w.folder.path.string() + "/notas";
        request.Files = {request.FileName};
        return true;
    });
    EXPECT_TRUE(w.form.mGuardarComoClick());
    EXPECT_EQ(ReadFileBytes(w.folder.path.string() + "/notas.txt"), "<p>");
    // So does an Internet filter: "Internet HTM" chosen for the page, "portada" typed, portada.htm.
    SetFileDialogHook([&](TFileDialogRequest& request) {
        request.FilterIndex = 1;
        request.FileName = w.folder.path.string() + "/portada";
        request.Files = {request.FileName};
        return true;
    });
    EXPECT_TRUE(w.form.mGuardarComoClick());
    SetFileDialogHook({});
    EXPECT_EQ(ReadFileBytes(w.folder.path.string() + "/portada.htm"), "<p>");
    EXPECT_FALSE(std::filesystem::exists(w.folder.path.string() + "/portada.html"));
}

TEST(MainWindowFiles, APageWhoseDeclarationWasChangedIsSavedInTheNewSet)
{
    // A Windows-1252 page declaring windows-1252 with the euro sign, a dash, quotes and an ellipsis;
    // its declaration changed to utf-8.
    TWindow w;
    TBoxAnswers boxes;
    const std::string head = "<meta charset=\"windows-1252\">";
    const std::string page = w.folder.file("pagina.htm", head + "\r\n<p>\x80 \x97 \x93x\x94 \x85</p>\r\n");
    w.form.AbreArchivo(page, false, ekHTML);
    const int at = static_cast<int>(text(w.memo).find("windows-1252"));
    w.memo.SetSelStart(at);
    w.memo.SetSelLength(12);
    type(w.memo, "utf-8");
    w.form.mGuardarClick();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(ReadFileBytes(page), "<meta charset=\"utf-8\">\r\n<p>\xE2\x82\xAC \xE2\x80\x94 \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6</p>\r\n");
    // Reopened, the same characters; a letter more keeps UTF-8 now.
    w.form.mCerrarClick();
    w.form.AbreArchivo(page, false, ekHTML);
    EXPECT_EQ(text(w.memo), "<meta charset=\"utf-8\">\r<p>\x80 \x97 \x93x\x94 \x85</p>\r");
    w.memo.SetSelStart(0);
    type(w.memo, "\x80");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(page).substr(0, 4), "\xE2\x82\xAC<");
}

TEST(MainWindowFiles, YesWithACancelledSaveAsKeepsTheUntitledDocument)
{
    TWindow w;
    TDialogAnswers dialogs;
    TBoxAnswers boxes;
    w.form.mNuevoClick();
    type(w.memo, "sin nombre");
    boxes.answers = {IDYES};
    w.form.mCerrarClick();
    EXPECT_EQ(w.form.DocumentCount(), 1);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].FileName, "Nuevo1");
    EXPECT_EQ(dialogs.requests[0].DefaultExt, "htm");
    EXPECT_TRUE(dialogs.requests[0].Save);

    // Named now: the tab follows the name, the document is closed and its file goes on top.
    const std::string named = w.folder.path.string() + "/nombrado.htm";
    dialogs.answers = {{named}};
    boxes.answers = {IDYES};
    w.form.mCerrarClick();
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(ReadFileBytes(named), "sin nombre");
    EXPECT_EQ(w.form.Config().MRU[0], named);
}

TEST(MainWindowFiles, SaveAsKeepsTheKindAndSaveAllNamesTheUntitledOnes)
{
    TWindow w;
    TDialogAnswers dialogs;
    const std::string page = w.folder.file("pagina.htm", "<p>");
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "x");
    const std::string copy = w.folder.path.string() + "/copia.txt";
    dialogs.answers = {{copy}};
    EXPECT_TRUE(w.form.mGuardarComoClick());
    EXPECT_EQ(dialogs.requests[0].FileName, "pagina.htm");
    EXPECT_EQ(dialogs.requests[0].InitialDir, w.folder.path.string());
    EXPECT_EQ(captions(w.form), std::vector<std::string>{"copia.txt"});
    EXPECT_EQ(w.memo.ActiveParser(), ekHTML);
    EXPECT_EQ(ReadFileBytes(copy), "x<p>");
    EXPECT_EQ(ReadFileBytes(page), "<p>");

    w.form.mNuevoClick();
    type(w.memo, "nuevo");
    switchTo(w.form, 0);
    type(w.memo, "y");
    const std::string named = w.folder.path.string() + "/nuevo.htm";
    dialogs.answers = {{named}};
    w.form.mGuardarTodoClick();
    EXPECT_EQ(ReadFileBytes(copy), "xy<p>");
    EXPECT_EQ(ReadFileBytes(named), "nuevo");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"copia.txt", "nuevo.htm"}));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
    EXPECT_EQ(text(w.memo), "xy<p>");
    EXPECT_EQ(w.form.Config().MRU[0], named);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(w.form.EditingFile(i)->Guardado);
}

TEST(MainWindowFiles, AFailedWriteKeepsTheDocumentChangedAndTheOldFile)
{
    TWindow w;
    w.form.Config().MakeBackups = true;
    const std::string folder = w.folder.path.string() + "/web";
    std::filesystem::create_directory(folder);
    const std::string page = folder + "/page.htm";
    WriteFileBytes(page, "<p>viejo</p>");
    WriteFileBytes(folder + "/page.~tm", "copia anterior");
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, std::string(4096, 'n'));

    TBoxAnswers boxes;
    {
        TFailingWrites failing(folder);
        w.form.mGuardarClick();
    }

    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("No es posible guardar el archivo '" + page + "'", 0), 0u) << boxes.texts[0];
    // The system's cause is told in Spanish: the superuser's write fails for its size, anyone else's
    // for the folder's permission.
    const std::string cause = geteuid() == 0 ? "El archivo es demasiado grande" : "Permiso denegado";
    EXPECT_NE(boxes.texts[0].find("': " + cause + "."), std::string::npos) << boxes.texts[0];
    EXPECT_EQ(modifiedPanel(w.form), "Modificado");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);
    EXPECT_EQ(ReadFileBytes(page), "<p>viejo</p>");
    EXPECT_EQ(ReadFileBytes(folder + "/page.~tm"), "copia anterior");
    EXPECT_EQ(ReadFolder(folder).size(), 2u);

    // Closing asks again, and a failed save keeps the document open.
    boxes.answers = {IDYES};
    {
        TFailingWrites failing(folder);
        w.form.mCerrarClick();
    }
    EXPECT_EQ(w.form.DocumentCount(), 1);
}

TEST(MainWindowFiles, APageThatBecameAPipeAFolderOrALinkIsRefusedSayingWhatTheNameNowIs)
{
    TWindow w;
    const std::string page = w.folder.file("p.html", "<p>uno</p>");
    const std::string elsewhere = (w.folder.path / "otra").string();
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
    const std::string pipe = (w.folder.path / "tuberia").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "X");
    // The name becomes each of these while the page is open; no open of a pipe may wait for its
    // other end, which nobody opens here.
    const struct {
        const char* what;
        std::function<void()> make;
        std::string says;
    } cases[] = {
        {"a pipe", [&] { ASSERT_EQ(mkfifo(page.c_str(), 0666), 0); },
         "es una tuber\xED""a con nombre (FIFO), no un archivo normal"},
        {"a folder", [&] { ASSERT_EQ(mkdir(page.c_str(), 0755), 0); }, "es una carpeta, no un archivo normal"},
        {"a link to a pipe", [&] { std::filesystem::create_symlink(pipe, page); },
         "es un enlace simb\xF3lico a una tuber\xED""a con nombre (FIFO), no a un archivo normal"},
        {"a link to a folder", [&] { std::filesystem::create_symlink(elsewhere, page); },
         "es un enlace simb\xF3lico a una carpeta, no a un archivo normal"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.what);
        std::filesystem::remove(page);
        one.make();
        {
            TBoxAnswers boxes;
            w.form.mGuardarClick();
            EXPECT_EQ(boxes.texts, (std::vector<std::string>{"No es posible guardar el archivo '" + page + "': " +
                                                             one.says + ".\n\nEl archivo del disco no ha cambiado."}));
        }
        EXPECT_FALSE(w.form.CurrentFile()->Guardado);
        {
            // Read again, it is refused the same way and the editor keeps its text.
            TBoxAnswers boxes({IDYES});
            w.form.mActualizarClick();
            ASSERT_EQ(boxes.texts.size(), 2u);
            EXPECT_EQ(boxes.texts[1],
                      "El archivo '" + page + "' no puede ser abierto para su lectura: " + one.says + ".");
        }
        EXPECT_EQ(w.memo.StoredText(), "X<p>uno</p>");
    }
    // A pipe opened as a page is named the same way, and opens nothing.
    {
        TBoxAnswers boxes;
        w.form.AbreArchivo(pipe, false, ekHTML);
        EXPECT_EQ(boxes.texts, (std::vector<std::string>{"El archivo '" + pipe +
                                                         "' no puede ser abierto para su lectura: es una tuber\xED""a "
                                                         "con nombre (FIFO), no un archivo normal."}));
    }
    EXPECT_EQ(w.form.DocumentCount(), 1);
    // Once a file again, the page is saved.
    std::filesystem::remove(page);
    {
        TBoxAnswers boxes;
        w.form.mGuardarClick();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    }
    EXPECT_EQ(ReadFileBytes(page), "X<p>uno</p>");
}

TEST(MainWindowFiles, AFailedOpenLeavesTheDocumentsAsTheyWere)
{
    TWindow w;
    w.form.mNuevoClick();
    type(w.memo, "mio");
    TBoxAnswers boxes;
    w.form.AbreArchivo(w.folder.path.string(), false, ekHTML);
    w.form.AbreArchivo(w.folder.path.string() + "/no-existe.htm", false, ekHTML);
    ASSERT_EQ(boxes.texts.size(), 2u);
    // Each says why, in Spanish.
    EXPECT_EQ(boxes.texts[0], "El archivo '" + w.folder.path.string() +
                                  "' no puede ser abierto para su lectura: es una carpeta, no un archivo normal.");
    EXPECT_EQ(boxes.texts[1], "El archivo '" + w.folder.path.string() +
                                  "/no-existe.htm' no puede ser abierto para su lectura: No existe el archivo o la carpeta.");
    EXPECT_EQ(captions(w.form), std::vector<std::string>{"Nuevo1"});
    EXPECT_EQ(text(w.memo), "mio");
    EXPECT_FALSE(w.form.Ocupado);
    EXPECT_TRUE(w.form.updatesEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Still the user's edit: typing marks it changed.
    type(w.memo, "!");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);

    w.form.mCerrarTodoClick();
    boxes.answers.clear();
    w.form.AbreArchivo(w.folder.path.string() + "/no-existe.htm", false, ekHTML);
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_TRUE(w.memo.isHidden());
}

TEST(MainWindowFiles, TheCaptionAndStatusPanelsFollowTheEditor)
{
    TWindow w;
    const std::string page = w.folder.file("indice.htm", "uno\r\ndos tres\r\n");
    w.form.AbreArchivo(page, false, ekHTML);
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - indice.htm");
    w.memo.SetSelStart(9);
    w.form.EditorOnChange();
    EXPECT_EQ(w.form.Panel(1)->text(), "   6 :    2");
    EXPECT_EQ(w.form.Panel(3)->text(), "Insertar");
    w.form.Config().LastProyect = "/p/sitio.kr";
    w.form.NombreProyecto = "Sitio";
    w.form.EditorOnChange();
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - [ Sitio ] - indice.htm");
    w.memo.SetReadOnly(true);
    w.form.EditorOnChange();
    EXPECT_EQ(ToWin1252(w.form.Panel(3)->text()), "S\xF3lo lectura");
    // Closing all closes the project too.
    w.form.mCerrarTodoClick();
    EXPECT_EQ(w.form.Config().LastProyect, "");
    EXPECT_EQ(w.form.NombreProyecto, "");
}

TEST(MainWindowFiles, TheStatusBarShowsTheFilesLineWhateverThePiecesAndRows)
{
    // A page whose first line has 4,114 characters (three pieces in the editor), then 206 lines.
    TWindow w;
    std::string bytes = "<p>" + std::string(4107, 'a') + "</p>\r\n";
    for (int line = 2; line <= 207; ++line)
        bytes += "<p>l\xEDnea " + std::to_string(line) + " " + std::string(static_cast<size_t>(line % 150), 'b') + "</p>\r\n";
    const std::string page = w.folder.file("larga.htm", bytes);
    w.form.AbreArchivo(page, false, ekHTML);
    const auto caretAt = [&](int offset) {
        w.memo.SetSelStart(offset);
        w.form.EditorOnChange();
        return ToWin1252(w.form.Panel(1)->text());
    };
    const int line207 = static_cast<int>(text(w.memo).find("<p>l\xEDnea 207 "));
    EXPECT_EQ(caretAt(line207 + 2), "   3 :  207");
    EXPECT_GT(w.memo.CaretPos().Y, 207);
    // In the long line, the column counts from its start, past the pieces.
    EXPECT_EQ(caretAt(3000), "3001 :    1");
    EXPECT_EQ(caretAt(4114), "4115 :    1");
    EXPECT_EQ(caretAt(4115), "   1 :    2");
    // With word wrap on, the screen rows are not counted either.
    w.memo.SetWordWrap(true);
    EXPECT_EQ(caretAt(line207 + 2), "   3 :  207");
    EXPECT_GT(w.memo.CaretPos().Y, 220);
    EXPECT_EQ(caretAt(3000), "3001 :    1");
    // Typed on: the line and column follow the keystrokes, a new line included.
    w.memo.SetSelStart(line207);
    type(w.memo, "\tx\r");
    w.form.EditorOnChange();
    EXPECT_EQ(ToWin1252(w.form.Panel(1)->text()), "   1 :  208");
    // After the TAB, the column the screen shows for a line of one piece.
    w.memo.SetSelStart(line207 + 2);
    w.form.EditorOnChange();
    const int column = w.memo.CaretPos().X;
    EXPECT_GT(column, 3);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%4d :  207", column);
    EXPECT_EQ(ToWin1252(w.form.Panel(1)->text()), expected);
    // The end of the text, after the last line break: the empty line below.
    EXPECT_EQ(caretAt(static_cast<int>(text(w.memo).size())), "   1 :  209");
}

TEST(MainWindowFiles, TheStatusBarsColumnFollowsTheCaretAlongALongLineWithTabs)
{
    // One line of 60,000 characters with a TAB every 1,000 and held characters (a UTF-8 page), then
    // a short one.
    TWindow w;
    std::string line;
    while (line.size() < 60000)
        line += line.size() % 1000 < 40 ? "\t<b>negrita</b> \xCE\xB1 " : "<i>texto de la p\xC3\xA1gina</i> ";
    const std::string page = w.folder.file("tabulada.htm", line + "\r\nfin\r\n");
    w.form.AbreArchivo(page, false, ekHTML);
    // What the panel should read, counted over the whole line afresh.
    const auto counted = [&] {
        const std::string all = text(w.memo);
        const int caret = w.memo.GetSelStart();
        const size_t start = caret > 0 ? all.rfind('\r', static_cast<size_t>(caret - 1)) + 1 : 0;
        int column = 0;
        for (size_t i = start; i < static_cast<size_t>(caret); ++i)
            column = all[i] == '\t' ? w.memo.NextTabColumn(column) : column + 1;
        const int lines = static_cast<int>(std::count(all.begin(), all.begin() + caret, '\r'));
        char shown[32];
        std::snprintf(shown, sizeof shown, "%4d : %4d", column + 1, lines + 1);
        return std::string(shown);
    };
    std::mt19937 random(1101);
    int caret = static_cast<int>(line.size());
    for (int step = 0; step < 400; ++step) {
        w.memo.SetSelStart(caret);
        switch (random() % 6) {
        case 0: type(w.memo, "x"); break;
        case 1: type(w.memo, "\t"); break;
        case 2: w.memo.ExecuteCommand(ecDeleteLastChar, 0, false); break;
        case 3: w.memo.Undo(); break;
        default: // back along the line or on, a little or far
            caret = std::clamp(caret + static_cast<int>(random() % 2001) - 1000 - (random() % 20 == 0 ? 30000 : 0), 0,
                               w.memo.GetTextLen());
            w.memo.SetSelStart(caret);
        }
        w.form.EditorOnChange();
        ASSERT_EQ(ToWin1252(w.form.Panel(1)->text()), counted()) << "step " << step;
        caret = w.memo.GetSelStart();
    }
}

TEST(MainWindowFiles, TheRecentFilesKeepNineEntriesEachOnce)
{
    TWindow w;
    TStringList& mru = w.form.Config().MRU;
    mru.Clear();
    uint32_t seed = 7;
    for (int step = 0; step < 300; ++step) {
        seed = seed * 1103515245 + 12345;
        const std::string name = "/f" + std::to_string((seed >> 16) % 14);
        const bool top = (seed >> 8) & 1;
        w.form.MRUUpdate(top, name);
        ASSERT_EQ(mru.Count(), 9);
        for (int i = 0; i < mru.Count(); ++i) {
            if (!mru[i].empty()) {
                ASSERT_EQ(mru.IndexOf(mru[i]), i) << "twice: " << mru[i];
            }
        }
        ASSERT_EQ(mru.IndexOf(name), top ? 0 : -1);
    }
    // An empty name compacts the list: every empty entry goes to the end.
    mru.Clear();
    for (const char* e : {"", "/a", "", "/b", "", "", "/c", "", ""})
        mru.Add(e);
    w.form.MRUUpdate(false, "");
    EXPECT_EQ(Items(mru), (std::vector<std::string>{"/a", "/b", "/c", "", "", "", "", "", ""}));
}

TEST(MainWindowFiles, OpenTakesEveryChosenFileInOrderAndTheCommandsHaveTheirKeys)
{
    TWindow w;
    TDialogAnswers dialogs;
    const std::string a = w.folder.file("a.js", "var a;");
    const std::string b = w.folder.file("b.txt", "b");
    w.form.OpenDialogInitialDir = "/inicio";
    dialogs.answers = {{a, b}};
    w.form.mAbrirClick();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const TFileDialogRequest& asked = dialogs.requests[0];
    EXPECT_FALSE(asked.Save);
    EXPECT_EQ(asked.InitialDir, "/inicio");
    EXPECT_EQ(asked.FilterIndex, 1);
    EXPECT_EQ(asked.Options & ofAllowMultiSelect, unsigned(ofAllowMultiSelect));
    EXPECT_EQ(asked.Filter.rfind("Internet|*.htm;*.html;*.shtml|Active Server Pages|*.asp|", 0), 0u);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.js", "b.txt"}));
    EXPECT_EQ(w.memo.ActiveParser(), ekText);
    EXPECT_EQ(w.form.OpenDialogInitialDir, w.folder.path.string());
    // A cancelled dialog opens nothing.
    w.form.mAbrirClick();
    EXPECT_EQ(w.form.DocumentCount(), 2);

    const auto& commands = w.form.FileCommands();
    EXPECT_EQ(commands.mNuevo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(commands.mAbrir->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(commands.mActualizar->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(commands.mCerrar->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));
    commands.mNuevo->trigger();
    EXPECT_EQ(captions(w.form).back(), "Nuevo1");
    // Reload waits for a document with a file.
    QMenu* archivo = w.form.menuBar()->findChild<QMenu*>("mArchivo");
    ASSERT_NE(archivo, nullptr);
    emit archivo->aboutToShow();
    EXPECT_FALSE(commands.mActualizar->isEnabled());
    switchTo(w.form, 0);
    emit archivo->aboutToShow();
    EXPECT_TRUE(commands.mActualizar->isEnabled());
}

TEST(MainWindowFiles, TheToolPagesShowOnlyWithADocumentAndATabClickLeavesTheKeyboardWithTheEditor)
{
    TWindow w;
    QWidget& toolPages = *w.form.Herramientas().PTabs;
    // Without a document a tool button would write into a text the next document discards.
    EXPECT_TRUE(toolPages.isHidden());
    const std::string first = w.folder.file("uno.txt", "uno\r\n");
    w.form.AbreArchivo(first, false, ekText);
    EXPECT_FALSE(toolPages.isHidden());
    w.form.mNuevoClick();
    EXPECT_FALSE(toolPages.isHidden());

    w.form.activateWindow();
    w.memo.setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), &w.memo);
    TTabSetControl& tabs = *w.form.FileTabs();
    // A click gives the focus to a control that takes it by click; the strip must not.
    EXPECT_FALSE(tabs.focusPolicy() & Qt::ClickFocus);
    Click(tabs, TabCentre(tabs, 0));
    QApplication::processEvents();
    ASSERT_EQ(tabs.TabIndex(), 0);
    EXPECT_EQ(text(w.memo), "uno\r");
    EXPECT_EQ(QApplication::focusWidget(), &w.memo);
    // The edit commands act on the focused control: they reach the document just chosen.
    type(w.memo, "escrito ");
    w.form.proOpcionesEdicion(1);
    EXPECT_EQ(text(w.memo), "uno\r");

    TBoxAnswers boxes;
    boxes.answers = {IDNO, IDNO};
    w.form.mCerrarTodoClick();
    EXPECT_TRUE(toolPages.isHidden());
}

TEST(MainWindowFiles, AFileWithControlCharactersOpensReadOnlyAndKeepsThem)
{
    TWindow w;
    const std::string bytes = std::string("var t=\"\x01\";\x0C\n") + '\0' + "x";
    const std::string script = w.folder.file("min.js", bytes);
    TBoxAnswers boxes;
    w.form.AbreArchivo(script, false, ekJavaScript);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("caracteres de control"), std::string::npos);
    EXPECT_NE(boxes.texts[0].find("min.js"), std::string::npos);
    EXPECT_TRUE(w.memo.ReadOnly());
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(script), bytes);
    // Made editable and changed at its end, it keeps every control character.
    w.memo.SetReadOnly(false);
    w.memo.SetSelStart(static_cast<int>(text(w.memo).size()));
    type(w.memo, "y");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(script), bytes + "y");
    // Codes are for HTML: a script keeps its characters even with the conversion on.
    w.form.Config().InsSpecChar = true;
    const std::string js = w.folder.file("a.js", "var s = \"A\xC3\xB1o\";\n");
    w.form.AbreArchivo(js, false, ekJavaScript);
    w.memo.SetSelStart(0);
    type(w.memo, "\xF1");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(js), "\xC3\xB1var s = \"A\xC3\xB1o\";\n");
}

TEST(MainWindowFiles, CodesWrittenByTheProgramsOwnCommandsSaveWithoutAQuestion)
{
    TempRegistry registry{"app"};
    startWithoutDocuments();
    TempDir folder{"files"};
    TformPrincipal form;
    form.Config().CharacterLib = std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb";
    form.Config().InsSpecChar = true;
    form.show();
    QApplication::processEvents();
    TCodeMemo& memo = *form.CodeMemo();
    TBoxAnswers boxes({}, IDNO);
    const std::string page = folder.file("caf\xC3\xA9.htm", "<p>caf\xE9</p>\r\n<p>\xF1 uno dos</p>\r\n");
    form.AbreArchivo(page, false, ekHTML);
    // The "nbsp" button after "dos", and a replace all that writes the code.
    memo.SetSelStart(static_cast<int>(memo.StoredText().find("</p>\r", 12)));
    QObject nbsp;
    nbsp.setProperty("Tag", 37);
    form.InsertaTagM(&nbsp, mbLeft, 0);
    form.Commands().Action("mReemplazar")->trigger();
    TReplaceDialog* dialog = form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetFindText("uno dos");
    dialog->SetReplaceText("uno&nbsp;dos");
    dialog->ClickReplaceAll();
    dialog->CloseDialog();
    for (int save = 0; save < 2; ++save) {
        form.mGuardarClick();
        EXPECT_EQ(ReadFileBytes(page), "<p>caf\xE9</p>\r\n<p>\xF1 uno&nbsp;dos&nbsp;</p>\r\n");
        EXPECT_EQ(modifiedPanel(form), "");
    }
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts[0];
}
