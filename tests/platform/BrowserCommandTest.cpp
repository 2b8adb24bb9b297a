// Browser command lines: a desktop entry's Exec value read by the desktop entry rules, and the page's place in the registry store's form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/BrowserCommand.h"

TEST(BrowserCommand, ADesktopEntrysExecLineGivesTheBrowsersArgumentsWithThePageAsOne)
{
    const std::string page = "/home/u/P\xC3\xBA" "blico/mi p\xC3\xA1gina.htm";
    using Words = std::vector<std::string>;
    EXPECT_EQ(DesktopExecWords("env VAR=x navegador %u"), (Words{"env", "VAR=x", "navegador", "%u"}));
    EXPECT_EQ(DesktopExecWords("\"/opt/Mi Navegador/run\" --title=\"a \\\"b\\\" \\$c\" %U"),
              (Words{"/opt/Mi Navegador/run", "--title=a \"b\" $c", "%U"}));
    // The value's "\\s" is a blank like any other: quoted, it stays in its word.
    EXPECT_EQ(DesktopExecWords("a\\sb \\\\x \"c\\sd\""), (Words{"a", "b", "\\x", "c d"}));
    EXPECT_TRUE(DesktopExecWords("\"sin cierre %u").empty());

    const std::string envCommand = BrowserCommandFromExec("env VAR=x navegador %u");
    EXPECT_EQ(envCommand, "\"env\" \"VAR=x\" \"navegador\" \"%1\"");
    EXPECT_EQ(BrowserArguments(envCommand, page), (Words{"env", "VAR=x", "navegador", page}));
    EXPECT_EQ(CommandProgram(envCommand), "navegador");

    const std::string quoted =
        BrowserCommandFromExec("\"/opt/Mi Navegador/run\" --title=\"a \\\"b\\\"\" --icon %i --url=%f %%s %c %k");
    EXPECT_EQ(BrowserArguments(quoted, page),
              (Words{"/opt/Mi Navegador/run", "--title=a \"b\"", "--icon", "--url=" + page, "%s"}));
    EXPECT_EQ(CommandProgram(quoted), "/opt/Mi Navegador/run");
    // Without a field code the page goes last; env's options and settings are passed over.
    EXPECT_EQ(BrowserArguments(BrowserCommandFromExec("env -i -u HOME LANG=es navegador --nueva"), page),
              (Words{"env", "-i", "-u", "HOME", "LANG=es", "navegador", "--nueva", page}));
    EXPECT_EQ(CommandProgram("\"C:\\Prog\\NETSCAPE.EXE\" \"%1\""), "C:\\Prog\\NETSCAPE.EXE");
    // An empty word written as "" stays an argument, and is no program.
    EXPECT_EQ(BrowserArguments(BrowserCommandFromExec("navegador \"\" %u"), page), (Words{"navegador", "", page}));
    EXPECT_EQ(BrowserCommandFromExec("\"\" --tite\"=la \\\"b\\\"\" %U"), "");
    EXPECT_TRUE(BrowserArguments("\"\" \"x\" \"%1\"", page).empty());
    EXPECT_EQ(CommandProgram("\"\" \"x\""), "");
    // The page is never the program.
    for (const char* exec : {"%u", "env %u", "env VAR=x %U", "env -- %f", ""})
        EXPECT_EQ(BrowserCommandFromExec(exec), "") << exec;
    for (const char* command : {"\"/usr/bin/env\" \"%1\"", "%1", "\"env\" \"A=1\" \"x%1\"", ""})
        EXPECT_TRUE(BrowserArguments(command, page).empty()) << command;
}
