// Tests of the help engine: the keyword and context lists, the page of each request, and the shell calls over a folder of pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Help.h"
#include "platform/core/HelpIndex.h"
#include "support/BoxAnswers.h"
#include "support/DesktopOpener.h"
#include "support/ShellOpens.h"
#include "support/TempDir.h"

namespace {

// A folder of pages "Prueba" under a help folder of the test's own.
struct THelpFolder {
    TempDir folder{"help"};
    std::string pages = (folder.path / "Prueba").string() + "/";
    THelpFolder(const std::string& keywords, const std::string& contexts)
    {
        std::filesystem::create_directories(pages);
        std::ofstream(pages + "index.html") << "<html></html>";
        std::ofstream(pages + "keywords.txt") << keywords;
        std::ofstream(pages + "contexts.txt") << contexts;
        SetHelpFolder(folder.path.string());
    }
    ~THelpFolder() { SetHelpFolder(""); }
};

} // namespace

TEST(Help, TheListsSkipWhatIsNoEntry)
{
    THelpIndex index;
    index.LoadKeywords("; comentario\r\n\r\n  Tabla = tablas.html \r\nsin igual\n=sola.html\nvacia=\nlista=listas.html");
    const std::vector<std::pair<std::string, std::string>> expected = {{"Tabla", "tablas.html"}, {"lista", "listas.html"}};
    EXPECT_EQ(index.Keywords(), expected);
    index.LoadContexts("10=diez.html\n20=veinte.html#b\n");
    EXPECT_EQ(index.Contexts().size(), 2u);
}

TEST(Help, EachRequestLeadsToItsPage)
{
    THelpIndex index;
    index.LoadKeywords("tr=filas.html\nTable=tabla.html\ntabla=tablas.html\nTab=tab.html\n\xC1rbol=arbol.html\n");
    index.LoadContexts("10=diez.html\n20=veinte.html\n");
    struct TCase {
        unsigned command;
        const char* key;
        int context;
        const char* page;
    };
    const TCase cases[] = {
        {HELP_FINDER, "", 0, "index.html"},
        {HELP_PARTIALKEY, "tab", 0, "tabla.html"},
        {HELP_PARTIALKEY, "TABLA", 0, "tablas.html"},
        {HELP_PARTIALKEY, "  tr ", 0, "filas.html"},
        {HELP_PARTIALKEY, "\xE1rb", 0, "arbol.html"},
        {HELP_PARTIALKEY, "zzz", 0, "index.html"},
        {HELP_PARTIALKEY, "", 0, "index.html"},
        {HELP_KEY, "tab", 0, "tab.html"},
        {HELP_KEY, "ta", 0, "index.html"},
        {HELP_CONTEXT, "", 20, "veinte.html"},
        {HELP_CONTEXTPOPUP, "", 10, "diez.html"},
        {HELP_CONTEXT, "", 30, "index.html"},
        {HELP_QUIT, "", 0, ""},
        {0x9999, "", 0, ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(index.PageFor(c.command, c.key, c.context), c.page) << c.command << " " << c.key << " " << c.context;
}

TEST(Help, RequestsOpenTheirPagesThroughTheShellAndQuitOpensNothing)
{
    THelpFolder help("tr=filas.html\nTable=tabla.html#t\ntabla=tablas.html\n", "5=cinco.html\n");
    TShellOpens shell;
    EXPECT_TRUE(WinHelp(nullptr, "Prueba.hlp", HELP_PARTIALKEY, "tab"));
    EXPECT_TRUE(WinHelp(nullptr, "Prueba.hlp", HELP_PARTIALKEY, "desconocida"));
    EXPECT_TRUE(WinHelp(nullptr, "Prueba.hlp", HELP_CONTEXT, "", 5));
    EXPECT_TRUE(WinHelp(nullptr, "Prueba.hlp", HELP_QUIT));
    EXPECT_TRUE(WinHelp(nullptr, help.pages + "../Prueba.hlp", HELP_FINDER));
    const std::vector<std::string> expected = {help.pages + "tabla.html#t", help.pages + "index.html",
                                               help.pages + "cinco.html", help.pages + "../Prueba/index.html"};
    EXPECT_EQ(shell.targets, expected);
}

TEST(Help, AMissingFolderIsReportedAndTheHelpFileComesBackAfterOneCall)
{
    THelpFolder help("", "");
    TShellOpens shell;
    TBoxAnswers boxes;
    EXPECT_FALSE(WinHelp(nullptr, "Falta.hlp", HELP_FINDER));
    EXPECT_TRUE(shell.targets.empty());
    ASSERT_EQ(boxes.texts.size(), 1u);
    // The folder is named once, as the system finds it: no doubled separator, no "..".
    const std::string real = std::filesystem::canonical(help.folder.path).string() + "/Falta";
    EXPECT_EQ(boxes.texts[0], "No se encuentra la carpeta de las p\xE1ginas de ayuda \"" + real + "\".");
    EXPECT_FALSE(WinHelp(nullptr, help.pages + "/../Falta.hlp", HELP_KEY, "tabla"));
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], boxes.texts[0]);
    boxes.texts.pop_back();
    // Quitting has nothing to find.
    EXPECT_TRUE(WinHelp(nullptr, "Falta.hlp", HELP_QUIT));
    EXPECT_EQ(boxes.texts.size(), 1u);

    SetApplicationHelpFile("Prueba.hlp");
    {
        const TScopeGuard other = UseHelpFile("Falta.hlp");
        EXPECT_EQ(ApplicationHelpFile(), "Falta.hlp");
    }
    EXPECT_EQ(ApplicationHelpFile(), "Prueba.hlp");
    EXPECT_TRUE(HelpCommand(nullptr, HELP_FINDER));
    EXPECT_EQ(shell.targets, std::vector<std::string>{help.pages + "index.html"});
    SetApplicationHelpFile("");
}

TEST(Help, APageTheDesktopCannotOpenIsReportedByName)
{
    THelpFolder help("Table=tabla.html#t\n", "");
    std::ofstream(help.pages + "tabla.html") << "<p>";
    TDesktopOpener opener;
    opener.Answer(1);
    TBoxAnswers boxes;
    EXPECT_FALSE(WinHelp(nullptr, "Prueba.hlp", HELP_FINDER));
    EXPECT_FALSE(WinHelp(nullptr, "Prueba.hlp", HELP_PARTIALKEY, "tab"));
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                               "No es posible abrir \"" + help.pages + "index.html\": el escritorio no ha podido abrirlo.",
                               "No es posible abrir \"" + help.pages +
                                   "tabla.html#t\": el escritorio no ha podido abrirlo."}));
    EXPECT_EQ(opener.Opened(), (std::vector<std::string>{help.pages + "index.html",
                                                         "file://" + help.pages + "tabla.html#t"}));
}
