// Tests of showing a page in a browser: the program and service of the browser's command line, and the DDE conversation's exact sequence.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/window/libKestrimaBrowser.h"
#include "platform/DdeClient.h"
#include "platform/MessageBox.h"
#include "platform/core/Registry.h"
#include "support/BoxAnswers.h"
#include "support/DesktopOpener.h"
#include "support/EnvironmentWhile.h"
#include "support/PumpUntil.h"
#include "support/RecordingDde.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

void setDefaultBrowser(const std::string& command)
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(registry.OpenKey("htmlfile\\shell\\open\\command", true));
    registry.WriteString("", command);
    registry.CloseKey();
}

std::string pageIn(const TempDir& folder)
{
    const std::string page = (folder.path / "pagina.htm").string();
    std::ofstream(page) << "<html></html>";
    return page;
}

std::string contentsOf(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A stand-in browser in `folder` that appends what the shell command `echoes` prints to the log
// "llamadas.txt" beside it; its path.
std::filesystem::path standInBrowser(const TempDir& folder, const std::string& echoes)
{
    const std::filesystem::path browser = folder.path / "Navegador";
    std::ofstream(browser) << "#!/bin/sh\n" << echoes << " >> '" << (folder.path / "llamadas.txt").string() << "'\n";
    std::filesystem::permissions(browser, std::filesystem::perms::owner_all);
    return browser;
}

// What the stand-in browser logged, once it has logged and every copy of it has ended: the browser is
// started detached, and a start has run the program before it returns, so that a second start would be
// running or done. The log is waited for first: while a copy passes from `env` to the shell its command
// line reads empty for a moment, and only once it has written is no exec left to come.
std::string standInLog(const TempDir& folder)
{
    const std::string browser = (folder.path / "Navegador").string();
    const std::filesystem::path log = folder.path / "llamadas.txt";
    EXPECT_TRUE(pumpUntil([&] { return !contentsOf(log).empty() && !SomeProcessRuns(browser); }, 30000))
        << browser << " logged nothing or still runs";
    return contentsOf(log);
}

} // namespace

TEST(Browser, TheProgramAndServiceOfACommandLine)
{
    EXPECT_EQ(BrowserProgram("\"C:\\Prog\\NETSCAPE.EXE\" \"%1\""), "C:\\Prog\\NETSCAPE.EXE");
    EXPECT_EQ(BrowserProgram("/usr/bin/web\"%1\""), "/usr/bin/web");
    EXPECT_EQ(BrowserProgram("/usr/bin/web %1"), "");
    EXPECT_EQ(BrowserProgram("\"/sin/cierre"), "/sin/cierre");
    EXPECT_EQ(BrowserService("C:\\Prog\\NETSCAPE.EXE"), "NETSCAPE");
    EXPECT_EQ(BrowserService("c:\\archivos\\iexplore.exe"), "IEXPLORE");
    EXPECT_EQ(BrowserService("/opt/web/Navegador"), "NAVEGADOR");
    EXPECT_EQ(BrowserService("/opt/web/mi.navegador.bin"), "MI.NAVEGADOR");
    EXPECT_EQ(BrowserService(""), "");
}

TEST(Browser, AKnownBrowserGetsThePageTwiceAndIsActivated)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::string page = pageIn(folder);
    setDefaultBrowser("\"C:\\Prog\\NETSCAPE.EXE\" \"%1\"");
    TRecordingDde dde;
    OpenInBrowser(page);
    const std::string item = page + ",,0xFFFFFFFF,0x0,,,";
    const std::vector<std::string> expected = {
        "link NETSCAPE|WWW_OpenURL", "open NETSCAPE|WWW_OpenURL", "request " + item, "close",
        "open NETSCAPE|WWW_OpenURL", "request " + item, "close",
        "link NETSCAPE|WWW_Activate", "open NETSCAPE|WWW_Activate", "request 0xFFFFFFFF,0x0", "close",
        "app \"C:\\Prog\\NETSCAPE.EXE\" \"%1\""};
    EXPECT_EQ(dde.calls, expected);
}

TEST(Browser, AnotherBrowserIsServedByItsNameAndStartedByItsPathAsItIsWritten)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::string page = pageIn(folder);
    setDefaultBrowser("\"/opt/web/Navegador\" \"%1\"");
    TRecordingDde dde;
    OpenInBrowser(page);
    ASSERT_FALSE(dde.calls.empty());
    EXPECT_EQ(dde.calls.front(), "link NAVEGADOR|WWW_OpenURL");
    // The conversation starts the whole command line, which puts the page in place of "%1".
    EXPECT_EQ(dde.calls.back(), "app \"/opt/web/Navegador\" \"%1\"");
    EXPECT_EQ(dde.requests(), (std::vector<std::string>{page + ",,0xFFFFFFFF,0x0,,,", page + ",,0xFFFFFFFF,0x0,,,",
                                                         "0xFFFFFFFF,0x0"}));
}

TEST(Browser, NoQuoteAMissingPageOrNoAnswerMakesNoRequest)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::string page = pageIn(folder);
    {
        setDefaultBrowser("/opt/web/Navegador %1");
        TRecordingDde dde;
        OpenInBrowser(page);
        EXPECT_TRUE(dde.requests().empty());
    }
    {
        setDefaultBrowser("\"/opt/web/Navegador\" \"%1\"");
        TRecordingDde dde;
        OpenInBrowser((folder.path / "no-existe.htm").string());
        EXPECT_TRUE(dde.calls.empty());
    }
    {
        TRecordingDde dde;
        dde.opens = false;
        EXPECT_FALSE(DdeOpenURL("NAVEGADOR", "/opt/web/Navegador", page));
        EXPECT_TRUE(dde.requests().empty());
        // Without a request, no activation is asked for.
        for (const std::string& call : dde.calls)
            EXPECT_EQ(call.find("WWW_Activate"), std::string::npos) << call;
    }
}

TEST(Browser, TheMenuBrowsersGetThePlainNameOrThePrefixedOne)
{
    TRecordingDde dde;
    EXPECT_TRUE(OpenInMenuBrowser("C:\\Archivos\\Internet Explorer\\IEXPLORE.EXE", "/w/a.htm", "file://"));
    EXPECT_EQ(dde.calls.front(), "link IEXPLORE|WWW_OpenURL");
    EXPECT_EQ(dde.requests().front(), "/w/a.htm,,0xFFFFFFFF,0x0,,,");
    dde.calls.clear();
    EXPECT_TRUE(OpenInMenuBrowser("/usr/bin/Opera", "/w/a.htm", "file://"));
    EXPECT_EQ(dde.calls.front(), "link OPERA|WWW_OpenURL");
    EXPECT_EQ(dde.requests().front(), "file:///w/a.htm,,0xFFFFFFFF,0x0,,,");
    EXPECT_EQ(dde.calls.back(), "app /usr/bin/Opera");
}

TEST(Browser, TheRealConversationStartsAStandInBrowserOnceWithThePage)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::filesystem::path browser = standInBrowser(folder, "echo \"$@\"");
    const std::string page = pageIn(folder);
    setDefaultBrowser("\"" + browser.string() + "\" \"%1\"");
    OpenInBrowser(page);
    EXPECT_EQ(standInLog(folder), page + "\n");
}

TEST(Browser, ABrowserBehindEnvGetsThePageAsOneArgumentSpeltAsTheFileSystemSpellsIt)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::filesystem::path browser = standInBrowser(folder, "printf '%s|%s|%s\\n' \"$VAR\" \"$#\" \"$1\"");
    // A page with the execute bit in a folder named with accented letters.
    std::filesystem::create_directory(folder.path / "P\xC3\xBA" "blico a\xC3\xB1o");
    const std::string page = MarkingProgram(folder.path / "P\xC3\xBA" "blico a\xC3\xB1o", "p\xC3\xA1gina.htm");
    setDefaultBrowser(BrowserCommandFromExec("env VAR=x \"" + browser.string() + "\" %u"));
    EXPECT_TRUE(OpenInBrowser(page));
    EXPECT_EQ(standInLog(folder), "x|1|" + page + "\n");
    EXPECT_FALSE(MarkingProgramRan(page));
}

TEST(Browser, ABrowserAndAPageWhateverTheirNamesSpellGetTheirBytes)
{
    TempRegistry registry("browser");
    // A name in UTF-8, and Latin-1 names as another system wrote them (the browser's folder and the
    // page); the default browser's command with its own argument too.
    struct Case {
        const char* folder;
        const char* script;
        const char* page;
        std::string option;
    };
    const Case cases[] = {
        {"\xC5\x82ukasz", "echo \"$0|$@\"", nullptr, ""},
        {"navegador\xE9", "printf '%s|%s\\n' \"$0\" \"$*\"", "caf\xE9.html", "--nueva "},
    };
    for (const Case& c : cases) {
        TempDir folder(c.folder);
        const std::filesystem::path browser = standInBrowser(folder, c.script);
        const std::string page = c.page ? folder.file(c.page, "<p>") : pageIn(folder);
        // From the Browsers menu, its path as the settings hold it, and as the default browser's command.
        EXPECT_TRUE(OpenInMenuBrowser(browser.string(), page, ""));
        EXPECT_EQ(standInLog(folder), browser.string() + "|" + page + "\n");
        std::filesystem::remove(folder.path / "llamadas.txt");
        setDefaultBrowser("\"" + browser.string() + "\" " + c.option + "\"%1\"");
        EXPECT_TRUE(OpenInBrowser(page));
        EXPECT_EQ(standInLog(folder), browser.string() + "|" + c.option + page + "\n");
    }
}

TEST(Browser, ABrowserThatCannotStartOrNoBrowserIsReportedNamingThePage)
{
    TempRegistry registry("browser");
    TempDir folder("browser");
    const std::string page = folder.file("p\xC3\xA1gina.htm", "<p>");
    setDefaultBrowser("\"" + (folder.path / "no-existe").string() + "\" \"%1\"");
    TBoxAnswers boxes;
    EXPECT_FALSE(OpenInBrowser(page));
    EXPECT_FALSE(OpenInBrowserReported(nullptr, page));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No es posible mostrar \"" + folder.path.string() + "/p\xE1gina.htm\" en el navegador \"" +
                                  (folder.path / "no-existe").string() + "\": no se ha podido iniciar.");
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONSTOP);
    // Without any browser, nor an opener on the desktop to stand for one.
    TempDir empty("nopath");
    TEnvironmentWhile path("PATH", empty.path.string());
    {
        TRegistry key;
        key.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(key.DeleteKey("htmlfile"));
    }
    EXPECT_FALSE(OpenInBrowserReported(nullptr, page));
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], "No es posible mostrar \"" + folder.path.string() +
                                  "/p\xE1gina.htm\": no se encuentra ning\xFAn navegador (ni en el escritorio ni en las opciones).");
}
