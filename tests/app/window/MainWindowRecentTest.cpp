// Tests of the main window's recent-files menu, the document strip's pop-up, the start-up documents and the preview file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dialogs/UFormOpciones.h"
#include "app/host/EditingFile.h"
#include "app/model/libKestrima.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/Menus.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Registry.h"
#include "support/AccessLists.h"
#include "support/DrawnTexts.h"
#include "support/EditorText.h"
#include "support/EnvironmentWhile.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/StringListItems.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/Win1252Text.h"
#include "toolbars/TabCtrls.h"

namespace {

// Opens the File menu as a click on it does and gives the captions of the visible recent-file items.
std::vector<std::string> recentItems(TformPrincipal& form)
{
    QMenu* archivo = form.menuBar()->findChild<QMenu*>("mArchivo");
    archivo->popup(form.mapToGlobal(QPoint(0, 0)));
    std::vector<std::string> shown;
    for (int i = 0; i < 9; ++i)
        if (form.MRUItem(i)->isVisible())
            shown.push_back(ToWin1252(form.MRUItem(i)->text()));
    archivo->hide();
    return shown;
}

// Moves the mouse over tab `index` and right-clicks there: the strip's pop-up opens for that tab.
TPopupMenu* rightClickTab(TformPrincipal& form, int index)
{
    TTabSetControl& tabs = *form.FileTabs();
    const QPoint at = TabCentre(tabs, index);
    MoveMouse(tabs, at);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, tabs.mapToGlobal(at));
    QCoreApplication::sendEvent(&tabs, &click);
    EXPECT_TRUE(form.pmTabs()->isVisible());
    return form.pmTabs();
}

// Runs a pop-up command and closes the pop-up, as a click on the item does.
void choose(TformPrincipal& form, int tag)
{
    form.mTabOption(tag)->trigger();
    form.pmTabs()->hide();
}

// A window made after the registry holds the start-up mode, the recent files and the last project,
// as a previous run left them.
struct TStartedWindow {
    TempRegistry registry{"app"};
    bool written;
    TformPrincipal form;
    TStartedWindow(int InitialFile, const std::vector<std::string>& MRU, const std::string& LastProyect = "",
                   std::vector<std::string> arguments = {})
        : written(store(InitialFile, MRU, LastProyect)), form(std::move(arguments))
    {
        form.show();
        QApplication::processEvents();
    }
    static bool store(int InitialFile, const std::vector<std::string>& MRU, const std::string& LastProyect)
    {
        TRegIniFile ini(TKestrimaConfig::kRegistryKey);
        ini.WriteInteger("Settings", "InitialFile", InitialFile);
        ini.WriteString("Settings", "LastProyect", LastProyect);
        for (size_t i = 0; i < MRU.size(); ++i)
            ini.WriteString("MRU", std::to_string(i), MRU[i]);
        return true;
    }
};

std::string project(const TempDir& folder, const std::string& name, const std::vector<std::string>& files,
                    const std::string& count = "")
{
    std::string text = "[Datos del proyecto]\nNombre=" + name + "\n[Archivos del proyecto]\nArchivos=" +
                       (count.empty() ? std::to_string(files.size()) : count) + "\n";
    for (size_t i = 0; i < files.size(); ++i)
        if (!files[i].empty())
            text.append("A").append(std::to_string(i)).append("=").append(files[i]).append("\n");
    return folder.file("sitio.kr", text);
}

// Three files in tabs, the second one changed, the first one current.
struct TThreeTabs : TWindow {
    std::string one = folder.file("one.htm", "first");
    std::string two = folder.file("two.htm", "second");
    std::string three = folder.file("three.htm", "third");
    TThreeTabs()
    {
        for (const std::string& name : {one, two, three})
            form.AbreArchivo(name, false, ekHTML);
        switchTo(form, 1);
        type(memo, "changed ");
        switchTo(form, 0);
    }
};

} // namespace

TEST(MainWindowRecent, TheReopenMenuShowsTheClosedFilesNewestFirst)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "A"), b = w.folder.file("b.htm", "B"),
                      c = w.folder.file("c.htm", "C");
    for (const std::string& name : {a, b, c})
        w.form.AbreArchivo(name, false, ekHTML);
    for (int i = 0; i < 3; ++i) {
        switchTo(w.form, 0);
        w.form.mCerrarClick();
    }
    EXPECT_EQ(recentItems(w.form), (std::vector<std::string>{"&1 " + c, "&2 " + b, "&3 " + a}));
    EXPECT_EQ(ToWin1252(w.form.mReabrirMRU()->title()), "&Reabrir");
    // The menu follows Open and stays usable without documents.
    QMenu* archivo = w.form.menuBar()->findChild<QMenu*>("mArchivo");
    const QList<QAction*> items = archivo->actions();
    EXPECT_EQ(items.indexOf(w.form.mReabrirMRU()->menuAction()), items.indexOf(w.form.FileCommands().mAbrir) + 1);
    EXPECT_TRUE(w.form.mReabrirMRU()->menuAction()->isEnabled());

    // Opening b takes it out of the list; the open dialog starts in its folder.
    w.form.OpenDialogInitialDir.clear();
    w.form.MRUItem(1)->trigger();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"b.htm"}));
    EXPECT_EQ(EditorText(w.memo), "B");
    EXPECT_EQ(w.form.OpenDialogInitialDir, w.folder.path.string() + "/");
    EXPECT_EQ(recentItems(w.form), (std::vector<std::string>{"&1 " + c, "&2 " + a}));

    // A vanished file is reported, leaves the list and the list keeps nine entries.
    std::filesystem::remove(c);
    TBoxAnswers boxes;
    w.form.MRUItem(0)->trigger();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No es posible encontrar el archivo \"" + c +
                                  "\" compruebe que la ruta de acceso y el nombre del archivo son correctos y que "
                                  "todas las bibliotecas requeridas est\xE9n disponibles.");
    EXPECT_EQ(boxes.flags[0], unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"b.htm"}));
    EXPECT_EQ(Items(w.form.Config().MRU), (std::vector<std::string>{a, "", "", "", "", "", "", "", ""}));
    EXPECT_FALSE(w.form.MRUItem(1)->isVisible());
    EXPECT_EQ(recentItems(w.form), (std::vector<std::string>{"&1 " + a}));
}

TEST(MainWindowRecent, AVanishedEntryInAFullListLeavesTheOthersInOrder)
{
    TWindow w;
    TStringList& mru = w.form.Config().MRU;
    mru.Clear();
    std::vector<std::string> names;
    for (int i = 0; i < 9; ++i) {
        names.push_back(w.folder.path.string() + "/p&" + std::to_string(i) + ".htm");
        mru.Add(names.back());
    }
    TBoxAnswers boxes;
    w.form.MRUDisplay();
    // An ampersand in a path is shown, not taken as the item's accelerator.
    EXPECT_EQ(ToWin1252(w.form.MRUItem(4)->text()), "&5 " + w.folder.path.string() + "/p&&4.htm");
    w.form.MRUItem(4)->trigger();
    names.erase(names.begin() + 4);
    names.push_back("");
    EXPECT_EQ(Items(mru), names);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_FALSE(w.form.MRUItem(8)->isVisible());
    EXPECT_TRUE(w.form.MRUItem(7)->isVisible());
    EXPECT_EQ(w.form.DocumentCount(), 0);
}

TEST(MainWindowRecent, TheFileMenuEnablesReloadAndTheProjectItemsAsItOpens)
{
    TWindow w;
    // The project commands are another part's; their items bind to the window's commands.
    auto* editar = new QAction("Editar", &w.form);
    editar->setObjectName("mEditarProyecto");
    w.form.Commands().Bind(editar, "mEditarProyecto");
    auto* cerrar = new QAction("Cerrar", &w.form);
    cerrar->setObjectName("mCerrarProyecto");
    w.form.Commands().Bind(cerrar, "mCerrarProyecto");
    const std::string page = w.folder.file("page.htm", "x");
    w.form.mNuevoClick();
    recentItems(w.form);
    EXPECT_FALSE(w.form.FileCommands().mActualizar->isEnabled());
    EXPECT_FALSE(editar->isEnabled());
    EXPECT_FALSE(cerrar->isEnabled());
    w.form.AbreArchivo(page, false, ekHTML);
    w.form.Config().LastProyect = "/some/project.kr";
    recentItems(w.form);
    EXPECT_TRUE(w.form.FileCommands().mActualizar->isEnabled());
    EXPECT_TRUE(editar->isEnabled());
    EXPECT_TRUE(cerrar->isEnabled());
}

TEST(MainWindowRecent, ThePopUpSavesTheTrackedTabWhileTheCurrentOneStaysShown)
{
    TThreeTabs w;
    const std::string &one = w.one, &two = w.two;

    TPopupMenu* popup = rightClickTab(w.form, 1);
    EXPECT_EQ(popup->property("Tag").toInt(), 1);
    EXPECT_EQ(ToWin1252(w.form.mTabInfo()->text()), "two.htm");
    EXPECT_EQ(ToWin1252(w.form.mTabInfo()->statusTip()), two);
    // Over a tab, showing its file in a browser is offered too.
    EXPECT_TRUE(w.form.mTabOption(0)->isEnabled());
    EXPECT_TRUE(w.form.mTabOption(1)->isEnabled());
    choose(w.form, 1);
    EXPECT_EQ(ReadFileBytes(two), "changed second");
    EXPECT_TRUE(w.form.EditingFile(1)->Guardado);
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
    EXPECT_EQ(EditorText(w.memo), "first");
    EXPECT_EQ(ReadFileBytes(one), "first");

    // Save As on the tracked untitled tab names it; the current document stays.
    w.form.mNuevoClick();
    switchTo(w.form, 2);
    TDialogAnswers dialogs;
    const std::string named = w.folder.path.string() + "/named.htm";
    dialogs.answers.push_back({named});
    rightClickTab(w.form, 3);
    choose(w.form, 2);
    EXPECT_TRUE(FileExists(named));
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"one.htm", "two.htm", "three.htm", "named.htm"}));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 2);
    EXPECT_EQ(EditorText(w.memo), "third");
    // Save As leaves the recent files alone; Save of an untitled tab puts its new name on top.
    EXPECT_EQ(w.form.Config().MRU.IndexOf(named), -1);
    w.form.mNuevoClick();
    switchTo(w.form, 0);
    const std::string later = w.folder.path.string() + "/later.htm";
    dialogs.answers.push_back({later});
    rightClickTab(w.form, 4);
    choose(w.form, 1);
    EXPECT_TRUE(FileExists(later));
    EXPECT_EQ(w.form.Config().MRU[0], later);
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
    EXPECT_EQ(EditorText(w.memo), "first");
}

TEST(MainWindowRecent, ThePopUpClosesTheTrackedTabAndKeepsTheCurrentDocument)
{
    TThreeTabs w;
    const std::string &two = w.two, &three = w.three;

    // Cancel leaves the tracked document open and shown.
    TBoxAnswers boxes;
    boxes.answers = {IDCANCEL};
    rightClickTab(w.form, 1);
    choose(w.form, 3);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "El texto en el archivo two.htm ha cambiado.\n\n\xBF""Desea guardar los cambios?");
    EXPECT_EQ(w.form.DocumentCount(), 3);
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    EXPECT_EQ(EditorText(w.memo), "changed second");

    // Yes saves it, closes it, and the first is current again with its text.
    switchTo(w.form, 0);
    boxes.answers = {IDYES};
    rightClickTab(w.form, 1);
    choose(w.form, 3);
    EXPECT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(ReadFileBytes(two), "changed second");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"one.htm", "three.htm"}));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
    EXPECT_EQ(EditorText(w.memo), "first");
    EXPECT_EQ(w.form.Config().MRU[0], two);

    // A tab before the current one: the current document stays shown under its lower index.
    switchTo(w.form, 1);
    type(w.memo, "kept ");
    rightClickTab(w.form, 0);
    choose(w.form, 3);
    EXPECT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"three.htm"}));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
    EXPECT_EQ(EditorText(w.memo), "kept third");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - three.htm");

    // The tracked tab being the current one closes it as Close does.
    rightClickTab(w.form, 0);
    boxes.answers = {IDNO};
    choose(w.form, 3);
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(ReadFileBytes(three), "third");

    // With no tab under the mouse the pop-up has nothing to act on.
    w.form.mNuevoClick();
    w.form.FileTabsTabTrack(-1);
    w.form.pmTabsPopup();
    EXPECT_EQ(ToWin1252(w.form.mTabInfo()->text()), "[Informaci\xF3n no disponible]");
    for (int tag = 0; tag < 4; ++tag)
        EXPECT_FALSE(w.form.mTabOption(tag)->isEnabled()) << tag;
    choose(w.form, 3);
    EXPECT_EQ(w.form.DocumentCount(), 1);
}

TEST(MainWindowRecent, StartUpModesOpenNothingANewDocumentTheRecentFileOrTheProject)
{
    TempDir files("start");
    const std::string a = files.file("a.htm", "A"), b = files.file("b.htm", "B"), c = files.file("c.htm", "C");
    const std::string gone = files.path.string() + "/gone.htm";
    {
        TStartedWindow w(0, {a});
        EXPECT_EQ(w.form.DocumentCount(), 0);
        EXPECT_TRUE(w.form.FileTabs()->isHidden());
    }
    {
        TStartedWindow w(1, {a});
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1"}));
    }
    {
        TStartedWindow w(2, {a, b});
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"}));
        EXPECT_EQ(EditorText(*w.form.CodeMemo()), "A");
        // Opening took it out of the recent files.
        EXPECT_EQ(w.form.Config().MRU[0], b);
        // Nothing the start-up opened counts as a change.
        EXPECT_TRUE(w.form.CurrentFile()->Guardado);
    }
    for (const std::string& recent : {gone, std::string()}) {
        TStartedWindow w(2, {recent});
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1"})) << recent;
    }
    {
        const std::string kr = project(files, "Mi sitio", {"1," + a, "0," + b, "1," + c});
        TStartedWindow w(3, {b}, kr);
        // From the last entry to the first: c, then a.
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"c.htm", "a.htm"}));
        EXPECT_EQ(w.form.NombreProyecto, "Mi sitio");
        EXPECT_EQ(w.form.windowTitle(), "Kestrima - [ Mi sitio ] - a.htm");
    }
    {
        // Every entry marked "0": nothing opens and nothing falls back, but the name is taken.
        const std::string kr = project(files, "Vac\xEDo", {"0," + a, "0," + c});
        TStartedWindow w(3, {b}, kr);
        EXPECT_EQ(w.form.DocumentCount(), 0);
        EXPECT_EQ(w.form.NombreProyecto, "Vac\xEDo");
    }
    {
        // A missing project acts as mode 2.
        TStartedWindow w(3, {b}, files.path.string() + "/missing.kr");
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"b.htm"}));
        EXPECT_EQ(w.form.NombreProyecto, "");
    }
    for (int mode = 0; mode <= 3; ++mode) {
        // An argument naming an existing file wins over every mode; one naming no file does not count.
        const std::string kr = project(files, "P", {"1," + c});
        TStartedWindow w(mode, {b}, kr, {gone, a});
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"})) << mode;
        EXPECT_EQ(w.form.NombreProyecto, "") << mode;
    }
}

TEST(MainWindowRecent, AStartUpProjectSkipsGoneFilesAndReadsOnlyTheKeysItHolds)
{
    TempDir files("start");
    const std::string a = files.file("a.htm", "A"), c = files.file("c.htm", "C");
    TBoxAnswers boxes;
    // An entry of a file that is gone is passed over without a word, as a short value is.
    const std::string kr = project(files, "P", {"1," + a, "1," + files.path.string() + "/gone.htm", "1,", "1," + c});
    {
        TStartedWindow w(3, {}, kr);
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"c.htm", "a.htm"}));
    }
    // A count far beyond the keys present: only the keys there are read, below the count.
    const std::string huge = project(files, "P", {"1," + a, "", "1," + c}, "2000000000");
    {
        TStartedWindow w(3, {}, huge);
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"c.htm", "a.htm"}));
    }
    const std::string short_ = project(files, "P", {"1," + a, "", "1," + c}, "2");
    {
        TStartedWindow w(3, {}, short_);
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"}));
    }
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(MainWindowRecent, ThePreviewFileFollowsTheBrowserMode)
{
    TWindow w;
    TKestrimaConfig& config = w.form.Config();
    const std::string page = w.folder.file("page.htm", "<p>caf\xE9</p>\r\n");
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "<b>\xF1</b>\r");
    std::string name = "before";

    config.BrowserMode = 0;
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, "");

    // Mode 1: the editor's text beside the document, the document itself untouched.
    config.BrowserMode = 1;
    config.InsSpecChar = false;
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, w.folder.path.string() + "/tempHTML.htm");
    EXPECT_EQ(ReadFileBytes(name), "<b>\xF1</b>\r\n<p>caf\xE9</p>\r\n");
    EXPECT_EQ(ReadFileBytes(page), "<p>caf\xE9</p>\r\n");
    // The typed text gets its codes; the text as the file held it keeps its bytes.
    config.InsSpecChar = true;
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(ReadFileBytes(name), "<b>&ntilde;</b>\r\n<p>caf\xE9</p>\r\n");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);

    // An untitled document: the save dialog's folder, else the working folder's parent.
    config.InsSpecChar = false;
    w.form.mNuevoClick();
    type(w.memo, "new");
    TempDir other("saved");
    w.form.SaveDialogFileName = other.path.string() + "/x.htm";
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, other.path.string() + "/tempHTML.htm");
    EXPECT_EQ(ReadFileBytes(name), "new");
    w.form.SaveDialogFileName.clear();
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::create_directories(other.path.string() + "/site");
    std::filesystem::current_path(other.path.string() + "/site");
    const bool written = w.form.ArchivoPrevio(name);
    std::filesystem::current_path(working);
    EXPECT_TRUE(written);
    EXPECT_EQ(name, other.path.string() + "/tempHTML.htm");

    // A folder that takes no preview file leaves the private folder to take it.
    TBoxAnswers boxes;
    w.form.SaveDialogFileName = "/no/such/folder/x.htm";
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, PrivateRuntimeFolder() + "tempHTML.htm");
    EXPECT_EQ(ReadFileBytes(name), "new");
    EXPECT_TRUE(boxes.texts.empty());
    {
        // Without a private folder either, it is reported and nothing is shown.
        TEnvironmentWhile noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        TEnvironmentWhile temporary("TMPDIR", other.path.string());
        WriteFileBytes(other.path.string() + "/kestrima-" + std::to_string(geteuid()), "not a folder");
        EXPECT_FALSE(w.form.ArchivoPrevio(name));
    }
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("/no/such/folder/tempHTML.htm"), std::string::npos);

    // Mode 2: the document is saved and shown; a cancelled Save As shows nothing.
    config.BrowserMode = 2;
    TDialogAnswers dialogs;
    EXPECT_FALSE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, "");
    EXPECT_EQ(dialogs.requests.size(), 1u);
    switchTo(w.form, 0);
    EXPECT_TRUE(w.form.ArchivoPrevio(name));
    EXPECT_EQ(name, page);
    EXPECT_EQ(ReadFileBytes(page), "<b>\xF1</b>\r\n<p>caf\xE9</p>\r\n");
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);
}

TEST(MainWindowRecent, APageClosedToOneUserStaysClosedToItSavedBackedUpAndPreviewed)
{
    TWindow w;
    TKestrimaConfig& config = w.form.Config();
    config.MakeBackups = true;
    config.BrowserMode = 1;
    chmod(w.folder.path.c_str(), 0755);
    const std::string page = w.folder.file("page.htm", "<p>n\xF3minas</p>\r\n");
    chmod(page.c_str(), 0644);
    constexpr uid_t kExcluded = 54321;
    const std::string list = ListExcluding(kExcluded);
    if (!SetAccessList(page, list))
        GTEST_SKIP() << "the file system keeps no access lists";
    w.form.AbreArchivo(page, false, ekHTML);
    type(w.memo, "<b>privado</b>\r");
    std::string preview;
    ASSERT_TRUE(w.form.ArchivoPrevio(preview));
    EXPECT_EQ(preview, w.folder.path.string() + "/tempHTML.htm");
    w.form.mGuardarClick();
    ASSERT_TRUE(w.form.CurrentFile()->Guardado);
    const std::string backup = w.folder.path.string() + "/page.~tm";
    EXPECT_EQ(ReadFileBytes(backup), "<p>n\xF3minas</p>\r\n");
    for (const std::string& file : {page, backup, preview}) {
        EXPECT_EQ(AccessListOf(file), list) << file;
        EXPECT_EQ(ReadableAs(kExcluded, kExcluded, file).value_or(false), false) << file;
    }
}

TEST(MainWindowRecent, AProjectNamedInUtf8AndItsRelativeFilesOpenAsWritten)
{
    TempDir files("start");
    files.file("a.htm", "A");
    // Its name in UTF-8 after the byte-order mark, as the program writes a text of its own files.
    const std::string kr = project(files, "\xEF\xBB\xBFSe\xC3\xB1or P\xC3\xA9rez", {"1,a.htm"});
    TStartedWindow w(3, {}, kr);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"}));
    EXPECT_EQ(w.form.ArchivoActual(), files.path.string() + "/a.htm");
    EXPECT_EQ(ToWin1252(w.form.windowTitle()), "Kestrima - [ Se\xF1or P\xE9rez ] - a.htm");
}

TEST(MainWindowRecent, AFileNamedFromTheWorkingFolderIsKeptByItsWholePath)
{
    TempDir files("start");
    std::filesystem::create_directory(files.path / "files");
    files.file("files/a.html", "A");
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::current_path(files.path);
    {
        TStartedWindow w(0, {}, "", {"files/a.html"});
        EXPECT_EQ(w.form.ArchivoActual(), files.path.string() + "/files/a.html");
        w.form.mCerrarClick();
        EXPECT_EQ(w.form.Config().MRU[0], files.path.string() + "/files/a.html");
        w.form.AbreArchivo("./files/a.html", false, ekHTML);
        // Opening it again takes the same entry out of the list.
        EXPECT_EQ(w.form.Config().MRU[0], "");
    }
    std::filesystem::current_path(working);
}

namespace {

// Whether `menu` drops down as a user opens it: a menu of the bar from the bar, a submenu from its
// menu with the arrow key. Every menu is closed again afterwards.
bool opensFromTheBar(TformPrincipal& form, QMenu* top, QMenu* submenu = nullptr)
{
    form.menuBar()->setActiveAction(top->menuAction());
    QApplication::processEvents();
    QMenu* shown = top;
    if (submenu && top->isVisible()) {
        top->setActiveAction(submenu->menuAction());
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(top, &right);
        QApplication::processEvents();
        shown = submenu;
    }
    const bool opened = shown->isVisible() && !shown->actions().isEmpty();
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    form.menuBar()->setActiveAction(nullptr);
    return opened;
}

} // namespace

TEST(MainWindowRecent, OnAFirstRunTheListMenusFollowTheirListsInTheSessionAndOpen)
{
    // Nothing stored yet: every list is empty, and its menu is shown disabled.
    TWindow w;
    TformPrincipal& form = w.form;
    for (QMenu* menu : {form.mReabrirMRU(), form.mOtrosTags(), form.mUtilidades(), form.mNavegadores()})
        EXPECT_FALSE(menu->menuAction()->isEnabled()) << menu->objectName().toStdString();
    QMenu* archivo = form.menuBar()->findChild<QMenu*>("mArchivo");
    QMenu* insertar = form.menuBar()->findChild<QMenu*>("mInsertar");
    EXPECT_FALSE(opensFromTheBar(form, archivo, form.mReabrirMRU()));

    // A file closed is listed at once, before the File menu opens again.
    const std::string page = w.folder.file("page.html", "<p>uno</p>");
    form.AbreArchivo(page, false, ekHTML);
    form.mCerrarClick();
    EXPECT_TRUE(form.mReabrirMRU()->menuAction()->isEnabled());
    EXPECT_TRUE(form.MRUItem(0)->isVisible());
    EXPECT_EQ(ToWin1252(form.MRUItem(0)->text()), "&1 " + page);
    EXPECT_TRUE(opensFromTheBar(form, archivo, form.mReabrirMRU()));

    // A browser, a utility and a custom code added in the options are in their menus at once.
    THookWhile<TOptionsDialogHook, &SetOptionsDialogHook> options([](TformOpciones& d) {
        TformOpciones::SetCells(d.sgNavegadores, 1, 1, "Firefox");
        TformOpciones::SetCells(d.sgNavegadores, 2, 1, "/usr/bin/firefox");
        TformOpciones::SetCells(d.sgUtilidades, 1, 1, "Tidy");
        TformOpciones::SetCells(d.sgUtilidades, 2, 1, "/usr/bin/tidy");
        TformOpciones::SetCells(d.sgCustomTags, 1, 1, "<KBD>");
        TformOpciones::SetCells(d.sgCustomTags, 2, 1, "</KBD>");
        return true;
    });
    form.Commands().Action("mOpciones")->trigger();
    const auto captions = [](QMenu* menu) {
        std::vector<std::string> shown;
        for (QAction* item : menu->actions())
            shown.push_back(ToWin1252(item->text()) + "=" + ToWin1252(item->statusTip()));
        return shown;
    };
    EXPECT_EQ(captions(form.mNavegadores()), std::vector<std::string>{"Firefox=/usr/bin/firefox"});
    EXPECT_EQ(captions(form.mUtilidades()), std::vector<std::string>{"Tidy=/usr/bin/tidy"});
    EXPECT_EQ(captions(form.mOtrosTags()), std::vector<std::string>{"<KBD>=</KBD>"});
    for (QMenu* menu : {form.mOtrosTags(), form.mUtilidades()})
        EXPECT_TRUE(menu->menuAction()->isEnabled()) << menu->objectName().toStdString();

    // Reopened, the file leaves the list; the browsers show with a document. Each menu drops down.
    form.MRUItem(0)->trigger();
    EXPECT_EQ(form.DocumentCount(), 1);
    EXPECT_FALSE(form.mReabrirMRU()->menuAction()->isEnabled());
    EXPECT_TRUE(form.mNavegadores()->menuAction()->isVisible());
    EXPECT_TRUE(form.mNavegadores()->menuAction()->isEnabled());
    EXPECT_TRUE(opensFromTheBar(form, form.mNavegadores()));
    EXPECT_TRUE(opensFromTheBar(form, form.mUtilidades()));
    EXPECT_TRUE(opensFromTheBar(form, insertar, form.mOtrosTags()));
    form.mOtrosTags()->actions().front()->trigger();
    const QString inserted = FromWin1252(w.memo.GetTextStr());
    EXPECT_TRUE(inserted.contains("<KBD></KBD>", Qt::CaseInsensitive)) << inserted.toStdString();

    // Emptied again, the menus are disabled again.
    THookWhile<TOptionsDialogHook, &SetOptionsDialogHook> emptied([](TformOpciones& d) {
        for (QTableWidget* grid : {d.sgNavegadores, d.sgUtilidades, d.sgCustomTags})
            TformOpciones::SetCells(grid, 1, 1, "");
        return true;
    });
    form.Commands().Action("mOpciones")->trigger();
    for (QMenu* menu : {form.mOtrosTags(), form.mUtilidades(), form.mNavegadores()})
        EXPECT_FALSE(menu->menuAction()->isEnabled()) << menu->objectName().toStdString();
}

TEST(MainWindowRecent, AccentedNamesShowAsTheirCharactersInTabsTitleAndRecentFiles)
{
    TWindow w;
    // The desktop writes names in UTF-8: "Público/índice.html".
    std::filesystem::create_directory(w.folder.path / "P\xC3\xBA" "blico");
    const std::string page = w.folder.file("P\xC3\xBA" "blico/\xC3\xAD" "ndice.html", "<p>hola</p>");
    const std::string shownPage = w.folder.path.string() + "/P\xFA" "blico/\xED" "ndice.html";
    w.form.AbreArchivo(page, false, w.form.TipoDeArchivo(page));
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"\xED" "ndice.html"}));
    EXPECT_EQ(w.form.windowTitle(), QString::fromUtf8("Kestrima - \xC3\xAD" "ndice.html"));
    w.form.mCerrarClick();
    EXPECT_EQ(w.form.Config().MRU[0], page);
    EXPECT_EQ(recentItems(w.form), (std::vector<std::string>{"&1 " + shownPage}));
    EXPECT_EQ(w.form.MRUItem(0)->text(), QString::fromUtf8("&1 ") + QString::fromStdString(w.folder.path.string()) +
                                             QString::fromUtf8("/P\xC3\xBA" "blico/\xC3\xAD" "ndice.html"));
    // The entry opens its own file again.
    w.form.MRUItem(0)->trigger();
    EXPECT_EQ(w.form.ArchivoActual(), page);
    EXPECT_EQ(EditorText(w.memo), "<p>hola</p>");

    // A Latin-1 name and the UTF-8 one beside it are two files, two tabs, two names; each saves into
    // its own file.
    const std::string latin1 = w.folder.file("caf\xE9.html", "latin");
    const std::string utf8 = w.folder.file("caf\xC3\xA9.html", "utf");
    w.form.AbreArchivo(latin1, false, ekHTML);
    w.form.AbreArchivo(utf8, false, ekHTML);
    EXPECT_EQ(captions(w.form),
              (std::vector<std::string>{"\xED" "ndice.html", "caf&&#65533;.html", "caf\xE9.html"}));
    EXPECT_EQ(w.form.windowTitle(), QString::fromUtf8("Kestrima - caf\xC3\xA9.html"));
    switchTo(w.form, 1);
    EXPECT_EQ(EditorText(w.memo), "latin");
    w.memo.SelectAll();
    type(w.memo, "nuevo");
    w.form.mGuardarClick();
    EXPECT_EQ(ReadFileBytes(latin1), "nuevo");
    EXPECT_EQ(ReadFileBytes(utf8), "utf");

    // Stored and read again by the next start, the names are the same files.
    w.form.mCerrarTodoClick();
    w.form.Config().Save();
    TKestrimaConfig next;
    next.Load();
    // Closed from the first tab on, the last closed on top.
    EXPECT_EQ(next.MRU[0], utf8);
    EXPECT_EQ(next.MRU[1], latin1);
    EXPECT_EQ(next.MRU[2], page);
}

TEST(MainWindowRecent, ATabAndItsPopUpDrawTheFileNameAsTheTitleShowsIt)
{
    TWindow w;
    // "R&D.html", a Latin-1 "café.html" and "日本.html".
    for (const char* name : {"R&D.html", "caf\xE9.html", "\xE6\x97\xA5\xE6\x9C\xAC.html"})
        w.form.AbreArchivo(w.folder.file(name, "x"), false, ekHTML);
    const QStringList drawn = DrawnTexts(*w.form.FileTabs());
    const QString titlePrefix = QStringLiteral("Kestrima - ");
    QStringList titled;
    for (int i = 0; i < 3; ++i) {
        switchTo(w.form, i);
        ASSERT_TRUE(w.form.windowTitle().startsWith(titlePrefix)) << w.form.windowTitle().toStdString();
        titled.append(w.form.windowTitle().mid(titlePrefix.size()));
    }
    EXPECT_EQ(titled.value(0), QStringLiteral("R&D.html"));
    EXPECT_EQ(drawn, titled) << drawn.join(QLatin1Char('|')).toStdString();
    // The "&" marks no key: D selects no tab.
    EXPECT_FALSE(w.form.FileTabs()->DialogChar('D'));
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 2);

    TPopupMenu* popUp = rightClickTab(w.form, 0);
    EXPECT_TRUE(DrawnTexts(*popUp).contains(QStringLiteral("R&D.html"))) << DrawnTexts(*popUp).join('|').toStdString();
    popUp->hide();
}

TEST(MainWindowRecent, ANameThatSpellsATwiceEncodedOneIsReopenedAfterARestartAndEarlierEntriesStillRead)
{
    TempRegistry registry{"app"};
    startWithoutDocuments();
    TempDir folder{"files"};
    // "Ã©.html", as an archive unpacked in the wrong character set names it, beside "é.html".
    const std::string odd = folder.file("\xC3\x83\xC2\xA9.html", "odd");
    const std::string plain = folder.file("\xC3\xA9.html", "plain");
    {
        TformPrincipal first;
        first.show();
        first.AbreArchivo(odd, false, ekHTML);
        first.mCerrarClick();
        EXPECT_TRUE(first.close());
    }
    // An entry as an earlier version wrote it: the name's bytes taken for Windows-1252 characters.
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteString("MRU", "1", plain);
    RegistryStore::Flush();
    RegistryStore::Reload();

    TformPrincipal form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.Config().MRU[0], odd);
    EXPECT_EQ(form.Config().MRU[1], plain);
    EXPECT_EQ(recentItems(form), (std::vector<std::string>{"&1 " + MenuCaptionOf(FilePathText(odd)),
                                                           "&2 " + MenuCaptionOf(FilePathText(plain))}));
    form.MRUItem(0)->trigger();
    EXPECT_EQ(form.ArchivoActual(), odd);
    EXPECT_EQ(EditorText(*form.CodeMemo()), "odd");
}
