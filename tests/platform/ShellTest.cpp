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

namespace {

// A program in `folder` that leaves the file "hecho" beside itself when it runs; its path.
std::filesystem::path markingProgram(const TempDir& folder)
{
    const std::filesystem::path program = folder.path / "marca.sh";
    std::ofstream(program) << "#!/bin/sh\ntouch '" << (folder.path / "hecho").string() << "'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    return program;
}

} // namespace

TEST(Shell, StartsAProgramAndOpensNoMissingFile)
{
    TempDir folder("shell");
    const std::filesystem::path program = markingProgram(folder);
    const std::filesystem::path mark = folder.path / "hecho";
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
    const std::filesystem::path program = markingProgram(folder);
    const std::filesystem::path mark = folder.path / "hecho";
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
