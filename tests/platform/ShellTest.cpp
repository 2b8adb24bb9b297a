// Opening files through the shell: a program is started, a missing file opens nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Shell.h"
#include "support/TempDir.h"

TEST(Shell, StartsAProgramAndOpensNoMissingFile)
{
    TempDir folder("shell");
    const std::filesystem::path program = folder.path / "marca.sh";
    const std::filesystem::path mark = folder.path / "hecho";
    std::ofstream(program) << "#!/bin/sh\ntouch '" << mark.string() << "'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ASSERT_TRUE(ShellOpen(program.string()));
    for (int i = 0; i < 500 && !std::filesystem::exists(mark); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(mark));

    EXPECT_FALSE(ShellOpen((folder.path / "no-existe.htm").string()));
    EXPECT_FALSE(ShellOpen(""));
    EXPECT_FALSE(ShellOpen("   "));
}

TEST(Shell, TheHookAnswersInsteadOfTheDesktopAndGivesBackTheOneItReplaced)
{
    TempDir folder("shell");
    const std::filesystem::path mark = folder.path / "hecho";
    const std::filesystem::path program = folder.path / "marca.sh";
    std::ofstream(program) << "#!/bin/sh\ntouch '" << mark.string() << "'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::vector<std::string> first, second;
    SetShellOpenHook([&](const std::string& target) {
        first.push_back(target);
        return false;
    });
    EXPECT_FALSE(ShellOpen(program.string()));
    const TShellOpenHook replaced = SetShellOpenHook([&](const std::string& target) {
        second.push_back(target);
        return true;
    });
    // Even a missing file or an empty text reaches the hook as it was given.
    EXPECT_TRUE(ShellOpen("no-existe.htm"));
    EXPECT_TRUE(ShellOpen(""));
    EXPECT_EQ(first, std::vector<std::string>{program.string()});
    EXPECT_EQ(second, (std::vector<std::string>{"no-existe.htm", ""}));
    ASSERT_TRUE(replaced);
    EXPECT_FALSE(replaced("x"));
    EXPECT_EQ(first.size(), 2u);
    EXPECT_TRUE(SetShellOpenHook({}));
    EXPECT_FALSE(SetShellOpenHook({}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Nothing was started while a hook answered.
    EXPECT_FALSE(std::filesystem::exists(mark));
}
