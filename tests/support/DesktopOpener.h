// Test helper: a stand-in desktop opener ("xdg-open" first on the path) that notes each argument it
// is given, one per line, and answers with the exit status the test sets; and whether a program runs.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/EnvironmentWhile.h"
#include "support/PumpUntil.h"
#include "support/TempDir.h"

// Whether a process runs with `program` as one of the words of its command line.
inline bool SomeProcessRuns(const std::string& program)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        for (std::string word; std::getline(in, word, '\0');)
            if (word == program)
                return true;
    }
    return false;
}

class TDesktopOpener {
public:
    TDesktopOpener() : FFolder("opener"), FPath("PATH", pathWithOurs())
    {
        const std::filesystem::path opener = FFolder.path / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << Log() << "'\nexit $(cat '" << statusFile()
                              << "' 2>/dev/null || echo 0)\n";
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    }
    // The exit status of the next calls: 0 opens, anything else refuses.
    void Answer(int status) const { std::ofstream(statusFile()) << status; }
    // What the opener was asked to open, in order, once no call of it runs: the program waits only a
    // while for the opener's answer, and one that answers late still writes its line.
    std::vector<std::string> Opened() const
    {
        EXPECT_TRUE(pumpUntil([&] { return !SomeProcessRuns(Program()); }, 30000)) << Program() << " still runs";
        std::vector<std::string> lines;
        std::ifstream in(Log());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    void Clear() const { std::filesystem::remove(Log()); }
    std::string Log() const { return (FFolder.path / "opened.log").string(); }
    std::string Program() const { return (FFolder.path / "bin" / "xdg-open").string(); }

private:
    std::string statusFile() const { return (FFolder.path / "status").string(); }
    std::string pathWithOurs()
    {
        std::filesystem::create_directory(FFolder.path / "bin");
        const char* path = std::getenv("PATH");
        return (FFolder.path / "bin").string() + ":" + (path ? path : "/usr/bin:/bin");
    }

    TempDir FFolder;
    TEnvironmentWhile FPath;
};

// A program in `folder` named `name` that leaves the file `name` + ".ran" beside itself when it runs:
// a file that must never be run. Its path.
inline std::string MarkingProgram(const std::filesystem::path& folder, const std::string& name)
{
    const std::filesystem::path program = folder / name;
    std::ofstream(program) << "#!/bin/sh\ntouch '" << program.string() << ".ran'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    return program.string();
}

// Whether a marking program ran, waiting a little for one started in the background.
inline bool MarkingProgramRan(const std::string& program)
{
    for (int i = 0; i < 20; ++i) {
        if (std::filesystem::exists(program + ".ran"))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
