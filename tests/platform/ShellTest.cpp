// Opening files through the shell: a program is started, a missing file opens nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

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
