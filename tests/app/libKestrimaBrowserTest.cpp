// Tests of showing a page in a browser: the program and service of the browser's command line, and the DDE conversation's exact sequence.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "app/libKestrimaBrowser.h"
#include "platform/core/Registry.h"
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
        "app C:\\Prog\\NETSCAPE.EXE"};
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
    EXPECT_EQ(dde.calls.back(), "app /opt/web/Navegador");
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
    const std::filesystem::path browser = folder.path / "Navegador";
    const std::filesystem::path log = folder.path / "llamadas.txt";
    std::ofstream(browser) << "#!/bin/sh\necho \"$@\" >> '" << log.string() << "'\n";
    std::filesystem::permissions(browser, std::filesystem::perms::owner_all);
    const std::string page = pageIn(folder);
    setDefaultBrowser("\"" + browser.string() + "\" \"%1\"");
    OpenInBrowser(page);
    for (int i = 0; i < 500 && !std::filesystem::exists(log); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // A second start would have written by now too.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(contentsOf(log), page + "\n");
}
