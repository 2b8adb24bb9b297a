// Tests of the main window's browser preview and external programs: the preview button, the Browsers and Utilities menus and the tab pop-up's browser item.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Registry.h"
#include "platform/core/ScopeGuard.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"
#include "support/RecordingDde.h"
#include "support/ShellOpens.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

constexpr const char* kItemTail = ",,0xFFFFFFFF,0x0,,,";

// Settings with two browsers, two utilities and a default browser, stored before the window starts.
bool storeSettings()
{
    TRegIniFile ini(TKestrimaConfig::kRegistryKey);
    ini.WriteInteger("Settings", "InitialFile", 0);
    ini.WriteInteger("Settings", "BrowserMode", 2);
    ini.WriteString("Browsers", "Explorador", "C:\\Archivos\\IEXPLORE.EXE");
    ini.WriteString("Browsers", "Opera", "/usr/bin/Opera");
    ini.WriteString("Utilities", "Inexistente", "/no/existe/programa");
    ini.WriteString("Utilities", "Web", "http://www.ejemplo.es/");
    ini.WriteString("Internet", "URLPrefix", "file://");
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    registry.OpenKey("htmlfile\\shell\\open\\command", true);
    registry.WriteString("", "\"/opt/web/Navegador\" \"%1\"");
    return true;
}

struct TBrowserWindow {
    TempRegistry registry{"browser"};
    bool stored = storeSettings();
    TempDir folder{"browser"};
    TformPrincipal form;
    TBrowserWindow()
    {
        form.show();
        QApplication::processEvents();
    }
    // A page saved on disk, opened in a new tab.
    std::string open(const std::string& name)
    {
        const std::string file = (folder.path / name).string();
        std::ofstream(file) << "<p>" << name << "</p>";
        form.AbreArchivo(file, false, ekHTML);
        return file;
    }
};

} // namespace

TEST(MainWindowBrowser, TheBrowsersMenuGivesTheKnownBrowserThePlainNameAndOthersThePrefixedOne)
{
    TBrowserWindow w;
    const std::string page = w.open("menu.htm");
    TRecordingDde dde;
    w.form.findChild<QAction*>("BrwMenu0")->trigger();
    ASSERT_FALSE(dde.calls.empty());
    EXPECT_EQ(dde.calls.front(), "link IEXPLORE|WWW_OpenURL");
    EXPECT_EQ(dde.requests().front(), page + kItemTail);
    EXPECT_EQ(dde.calls.back(), "app C:\\Archivos\\IEXPLORE.EXE");
    dde.calls.clear();
    w.form.findChild<QAction*>("BrwMenu1")->trigger();
    ASSERT_FALSE(dde.calls.empty());
    EXPECT_EQ(dde.calls.front(), "link OPERA|WWW_OpenURL");
    EXPECT_EQ(dde.requests().front(), "file://" + page + kItemTail);
    // Preview mode 0 has nothing to show.
    dde.calls.clear();
    w.form.Config().BrowserMode = 0;
    w.form.findChild<QAction*>("BrwMenu1")->trigger();
    EXPECT_TRUE(dde.calls.empty());
}

TEST(MainWindowBrowser, ThePreviewButtonShowsTheDocumentInTheDefaultBrowser)
{
    TBrowserWindow w;
    TRecordingDde dde;
    QAction* preview = w.form.Commands().Action("sbNavegador");
    // Without documents the command is off and does nothing.
    EXPECT_FALSE(preview->isEnabled());
    w.form.sbNavegadorClick();
    EXPECT_TRUE(dde.calls.empty());
    const std::string page = w.open("boton.htm");
    EXPECT_TRUE(preview->isEnabled());
    preview->trigger();
    EXPECT_EQ(dde.requests(), (std::vector<std::string>{page + kItemTail, page + kItemTail, "0xFFFFFFFF,0x0"}));
    // The conversation starts the browser's whole command line.
    EXPECT_EQ(dde.calls.back(), "app \"/opt/web/Navegador\" \"%1\"");
}

TEST(MainWindowBrowser, TheTabPopUpPreviewsTheTrackedTabAndKeepsTheCurrentOneSelected)
{
    TBrowserWindow w;
    const std::string first = w.open("primera.htm");
    w.open("segunda.htm");
    ASSERT_EQ(w.form.Documents().Current(), 1);
    w.form.FileTabsTabTrack(0);
    w.form.pmTabsPopup();
    QAction* navegar = w.form.mTabOption(0);
    EXPECT_TRUE(navegar->isEnabled());
    TRecordingDde dde;
    navegar->trigger();
    ASSERT_FALSE(dde.requests().empty());
    EXPECT_EQ(dde.requests().front(), first + kItemTail);
    EXPECT_EQ(w.form.Documents().Current(), 1);
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    // Over no tab the item has nothing to show.
    w.form.FileTabsTabTrack(-1);
    w.form.pmTabsPopup();
    EXPECT_FALSE(navegar->isEnabled());
}

TEST(MainWindowBrowser, AUtilityIsOpenedThroughTheShellAndAFailureIsReportedInTheseWords)
{
    TBrowserWindow w;
    {
        TShellOpens shell(true);
        TBoxAnswers boxes;
        w.form.findChild<QAction*>("UtlMenu1")->trigger();
        EXPECT_EQ(shell.targets, std::vector<std::string>{"http://www.ejemplo.es/"});
        EXPECT_TRUE(boxes.texts.empty());
    }
    TShellOpens shell(false);
    TBoxAnswers boxes;
    w.form.findChild<QAction*>("UtlMenu0")->trigger();
    EXPECT_EQ(shell.targets, std::vector<std::string>{"/no/existe/programa"});
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No es posible encontrar el archivo \"/no/existe/programa\" compruebe que la ruta de acceso y el "
                              "nombre del archivo son correctos y que todas las bibliotecas requeridas est\xE9n disponibles.");
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONSTOP);
}

TEST(MainWindowBrowser, ThePreviewFileReplacesALinkInItsPlaceAndFallsBackToThePrivateFolder)
{
    TBrowserWindow w;
    w.form.Config().BrowserMode = 1;
    std::filesystem::create_directory(w.folder.path / "site");
    const std::string outside = (w.folder.path / ".bashrc").string();
    std::ofstream(outside) << "alias ls='ls -F'";
    const std::string preview = (w.folder.path / "site/tempHTML.htm").string();
    std::filesystem::create_symlink("../.bashrc", preview);
    const std::string page = (w.folder.path / "site/index.htm").string();
    std::ofstream(page) << "<p>pagina</p>";
    w.form.AbreArchivo(page, false, ekHTML);
    TRecordingDde dde;
    TBoxAnswers boxes;
    w.form.sbNavegadorClick();
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_FALSE(dde.requests().empty());
    EXPECT_EQ(dde.requests().front(), preview + kItemTail);
    EXPECT_FALSE(std::filesystem::is_symlink(preview));
    EXPECT_EQ(ReadFileBytes(preview), "<p>pagina</p>");
    EXPECT_EQ(ReadFileBytes(outside), "alias ls='ls -F'");

    // An untitled page goes beside the working folder; where that folder takes no file (a folder
    // stands in its place here, as the folder of all homes refuses an ordinary user) the private
    // folder takes it.
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::create_directories(w.folder.path / "home/user");
    std::filesystem::create_directory(w.folder.path / "home/tempHTML.htm");
    std::filesystem::current_path(w.folder.path / "home/user");
    w.form.mNuevoClick();
    dde.calls.clear();
    w.form.sbNavegadorClick();
    std::filesystem::current_path(started);
    const std::string fallback = PrivateRuntimeFolder() + "tempHTML.htm";
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_FALSE(dde.requests().empty());
    EXPECT_EQ(dde.requests().front(), fallback + kItemTail);
    EXPECT_TRUE(FileExists(fallback));
    std::filesystem::remove(fallback);
}

TEST(MainWindowBrowser, APreviewAndAReportAreNoMoreReadableThanTheirPage)
{
    TBrowserWindow w;
    w.form.Config().BrowserMode = 1;
    const mode_t previous = umask(022);
    const TScopeGuard restore([previous] { umask(previous); });
    // A site folder others may enter.
    std::filesystem::create_directory(w.folder.path / "site");
    chmod((w.folder.path / "site").c_str(), 0755);
    const std::string preview = (w.folder.path / "site/tempHTML.htm").string();
    const std::string report = (w.folder.path / "site/tmpInforme.htm").string();
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    };
    const std::string private_ = w.open("site/nominas.html");
    chmod(private_.c_str(), 0600);
    type(*w.form.CodeMemo(), "<p>sin guardar</p>");
    TRecordingDde dde;
    TBoxAnswers boxes;
    TShellOpens shell;
    w.form.sbNavegadorClick();
    ASSERT_TRUE(FileExists(preview));
    EXPECT_EQ(ReadFileBytes(preview).rfind("<p>sin guardar</p>", 0), 0u);
    EXPECT_EQ(modeOf(preview), 0600u);
    w.form.mActualizaRecursosClick();
    EXPECT_EQ(shell.targets, std::vector<std::string>{report});
    EXPECT_EQ(modeOf(report), 0600u);

    // A page its readers may read previews into a copy they may read too.
    const std::string open = w.open("site/index.html");
    chmod(open.c_str(), 0644);
    w.form.sbNavegadorClick();
    EXPECT_EQ(ReadFileBytes(preview), "<p>site/index.html</p>");
    EXPECT_EQ(modeOf(preview), 0644u);
    w.form.mActualizaRecursosClick();
    EXPECT_EQ(modeOf(report), 0644u);
    // The private page again: its copy takes the place of the readable one, not its mode.
    switchTo(w.form, 0);
    w.form.sbNavegadorClick();
    EXPECT_EQ(ReadFileBytes(preview).rfind("<p>sin guardar</p>", 0), 0u);
    EXPECT_EQ(modeOf(preview), 0600u);
    w.form.mActualizaRecursosClick();
    EXPECT_EQ(modeOf(report), 0600u);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(MainWindowBrowser, APreviewNoBrowserShowsLeavesNoCopyBesideThePage)
{
    TBrowserWindow w;
    w.form.Config().BrowserMode = 1;
    std::filesystem::create_directory(w.folder.path / "site");
    const std::string preview = (w.folder.path / "site/tempHTML.htm").string();
    const std::string page = w.open("site/index.htm");
    type(*w.form.CodeMemo(), "<p>sin guardar</p>");
    // The failure is told while the copy is still there: it was written, and goes afterwards.
    std::vector<std::string> told;
    std::vector<bool> copyWhileTold;
    const TMessageBoxHook previous = SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
        told.push_back(text);
        copyWhileTold.push_back(FileExists(preview));
        return IDOK;
    });
    const TScopeGuard restore([&previous] { SetMessageBoxHook(previous); });
    TRecordingDde dde;
    dde.opens = false;
    QAction* menuBrowser = w.form.findChild<QAction*>("BrwMenu1");
    const std::function<void()> previews[] = {[&] { w.form.sbNavegadorClick(); }, [&] { menuBrowser->trigger(); }};
    for (const auto& previewNow : previews) {
        told.clear();
        copyWhileTold.clear();
        previewNow();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(copyWhileTold, std::vector<bool>{true});
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(preview))) << told[0];
        EXPECT_EQ(ReadFileBytes(page), "<p>site/index.htm</p>");
    }

    // No browser at all, as on a desktop without one: the same.
    {
        TRegistry registry;
        registry.SetRootKey(HKEY_CLASSES_ROOT);
        registry.OpenKey("htmlfile\\shell\\open\\command", true);
        registry.WriteString("", "");
    }
    told.clear();
    copyWhileTold.clear();
    w.form.sbNavegadorClick();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(copyWhileTold, std::vector<bool>{true});
    EXPECT_FALSE(FileExists(preview));

    // A copy a browser took stays for it to read.
    dde.opens = true;
    told.clear();
    menuBrowser->trigger();
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(ReadFileBytes(preview).rfind("<p>sin guardar</p>", 0), 0u);

    // The document itself is never taken for a copy: saved in mode 2, or named as the copy is.
    dde.opens = false;
    w.form.Config().BrowserMode = 2;
    told.clear();
    menuBrowser->trigger();
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(ReadFileBytes(page).rfind("<p>sin guardar</p>", 0), 0u);
    w.form.Config().BrowserMode = 1;
    w.form.AbreArchivo(preview, false, ekHTML);
    told.clear();
    menuBrowser->trigger();
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(ReadFileBytes(preview).rfind("<p>sin guardar</p>", 0), 0u);
}
