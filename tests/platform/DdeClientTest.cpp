// Tests of the real browser conversation's topics and of the default browser's command line kept in the registry store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DdeClient.h"
#include "platform/core/Registry.h"
#include "support/DesktopOpener.h"
#include "support/TempRegistry.h"

TEST(DdeClient, TheRealConversationKnowsTwoTopics)
{
    TBrowserDdeConv conv;
    std::string data;
    EXPECT_FALSE(conv.SetLink("", "WWW_OpenURL"));
    EXPECT_FALSE(conv.OpenLink());
    EXPECT_FALSE(conv.RequestData("x", data));
    EXPECT_TRUE(conv.SetLink("NAVEGADOR", "WWW_Activate"));
    EXPECT_TRUE(conv.OpenLink());
    EXPECT_TRUE(conv.RequestData("0xFFFFFFFF,0x0", data));
    EXPECT_FALSE(conv.Started());
    EXPECT_TRUE(conv.SetLink("NAVEGADOR", "WWW_Otro"));
    EXPECT_FALSE(conv.OpenLink());
    // Without a program to start, nobody serves the address topic.
    EXPECT_TRUE(conv.SetLink("NAVEGADOR", "WWW_OpenURL"));
    EXPECT_FALSE(conv.OpenLink());
}

TEST(DdeClient, AStoredDefaultBrowserIsKeptAndAMissingOneIsFilledIn)
{
    TempRegistry registry("ddeclient");
    {
        TRegistry key;
        key.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(key.OpenKey("htmlfile\\shell\\open\\command", true));
        key.WriteString("", "\"/opt/web/Navegador\" \"%1\"");
    }
    EXPECT_EQ(DefaultBrowserCommand(), "\"/opt/web/Navegador\" \"%1\"");
    {
        TRegistry key;
        key.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(key.DeleteKey("htmlfile"));
    }
    const std::string desktop = DesktopBrowserCommand();
    const std::string command = DefaultBrowserCommand();
    if (desktop.empty()) {
        EXPECT_EQ(command, "");
        return;
    }
    EXPECT_EQ(command, desktop);
    TRegistry key;
    key.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(key.OpenKeyReadOnly("htmlfile\\shell\\open\\command"));
    EXPECT_EQ(key.ReadString(""), command);
}

TEST(DdeClient, AStoredCommandThatWouldStartThePageIsFoundAgainOnTheDesktop)
{
    TempRegistry registry("ddeclient");
    // The desktop's opener stands in for the desktop's browser here.
    TDesktopOpener opener;
    for (const char* broken : {"\"/usr/bin/env\" \"%1\"", "\"%1\"", "env FOO=1 -i %1"}) {
        {
            TRegistry key;
            key.SetRootKey(HKEY_CLASSES_ROOT);
            ASSERT_TRUE(key.OpenKey("htmlfile\\shell\\open\\command", true));
            key.WriteString("", broken);
        }
        const std::string command = DefaultBrowserCommand();
        EXPECT_EQ(command, DesktopBrowserCommand()) << broken;
        EXPECT_FALSE(BrowserArguments(command, "/p.htm").empty()) << command;
    }
}
