// Handing files and addresses to the desktop: nothing is run, a missing file or an opener that refuses says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "support/BoxAnswers.h"
#include "support/DesktopOpener.h"
#include "support/EnvironmentWhile.h"
#include "support/PumpUntil.h"
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

TEST(Shell, FilesAndAddressesGoToTheDesktopsOpenerAndNothingIsRun)
{
    TDesktopOpener opener;
    TempDir folder("shell");
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    // Files with the execute bit, as every file of a FAT drive has it, under names a page links to.
    const std::string mail = MarkingProgram(folder.path, "info@example.com");
    const std::string picture = MarkingProgram(folder.path, "foto.jpg");
    const std::string news = MarkingProgram(folder.path, "news:x");
    std::filesystem::create_directory(folder.path / "P\xC3\xBA" "blico \xC3\xB1");
    const std::string accented = folder.file("P\xC3\xBA" "blico \xC3\xB1/p\xC3\xA1gina.htm", "<p>");
    std::string why;
    EXPECT_TRUE(ShellOpen("info@example.com", &why)) << why;
    EXPECT_TRUE(ShellOpen("news:x"));
    EXPECT_TRUE(ShellOpen("foto.jpg"));
    EXPECT_TRUE(ShellOpen(picture));
    EXPECT_TRUE(ShellOpen("MAILTO:a@b.es"));
    EXPECT_TRUE(ShellOpen("www.ejemplo.es/a b"));
    EXPECT_TRUE(ShellOpen("https://ejemplo.es/?q=1#x"));
    EXPECT_TRUE(ShellOpen(accented));
    EXPECT_TRUE(ShellOpen(accented + "#parte"));
    EXPECT_TRUE(ShellOpen("foto.jpg", nullptr, folder.path.string() + "/"));
    std::filesystem::current_path(started);
    EXPECT_EQ(opener.Opened(), (std::vector<std::string>{"mailto:info@example.com", "news:x", picture, picture,
                                                         "mailto:a@b.es", "http://www.ejemplo.es/a%20b",
                                                         "https://ejemplo.es/?q=1#x", accented,
                                                         "file://" + folder.path.string() +
                                                             "/P%C3%BAblico%20%C3%B1/p%C3%A1gina.htm#parte",
                                                         picture}));
    for (const std::string& program : {mail, picture, news})
        EXPECT_FALSE(MarkingProgramRan(program)) << program;

    // What names nothing, or an address of another kind, is handed to nobody and says why.
    opener.Clear();
    for (const char* target : {"", "   ", "no-existe.htm", "javascript:alert(1)", "x-programa:abrir"}) {
        why.clear();
        EXPECT_FALSE(ShellOpen(target, &why)) << target;
        EXPECT_FALSE(why.empty()) << target;
    }
    EXPECT_FALSE(ShellOpen((folder.path / "no-existe.htm").string(), &why));
    EXPECT_EQ(why, "no hay ning\xFAn archivo ni direcci\xF3n con ese nombre");
    EXPECT_FALSE(ShellOpen("javascript:alert(1)", &why));
    EXPECT_EQ(why, "el escritorio no abre direcciones de ese tipo");
    EXPECT_TRUE(opener.Opened().empty());
}

TEST(Shell, ARefusalOrAMissingOpenerIsReportedNamingTheTarget)
{
    TempDir folder("shell");
    const std::string page = folder.file("p\xC3\xA1gina.htm", "<p>");
    {
        TDesktopOpener opener;
        opener.Answer(3);
        std::string why;
        EXPECT_FALSE(ShellOpen(page, &why));
        EXPECT_EQ(why, "el escritorio no ha podido abrirlo");
        TBoxAnswers boxes;
        EXPECT_FALSE(ShellOpenReported(nullptr, page));
        ASSERT_EQ(boxes.texts.size(), 1u);
        // The name shown in the program's own characters.
        EXPECT_EQ(boxes.texts[0], "No es posible abrir \"" + folder.path.string() +
                                      "/p\xE1gina.htm\": el escritorio no ha podido abrirlo.");
        EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONSTOP);
        opener.Answer(0);
        EXPECT_TRUE(ShellOpenReported(nullptr, page));
        EXPECT_EQ(boxes.texts.size(), 1u);
    }
    TempDir empty("nopath");
    TEnvironmentWhile path("PATH", empty.path.string());
    std::string why;
    EXPECT_EQ(DesktopOpener(), "");
    EXPECT_FALSE(ShellOpen(page, &why));
    EXPECT_EQ(why, "el escritorio no tiene ning\xFAn programa para abrirlo (falta xdg-open)");
}

TEST(Shell, AProgramTheUserChoseIsStartedAndAnythingElseOpened)
{
    TDesktopOpener opener;
    TempDir folder("shell");
    const std::string program = MarkingProgram(folder.path, "utilidad");
    ASSERT_TRUE(ShellStartProgram(program));
    EXPECT_TRUE(pumpUntil([&] { return std::filesystem::exists(program + ".ran"); })) << "never ran: " << program;
    EXPECT_TRUE(ShellStartProgram("http://ejemplo.es/"));
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{"http://ejemplo.es/"});
    EXPECT_FALSE(ShellStartProgram((folder.path / "no-existe").string()));
}

TEST(Shell, TheHookAnswersInsteadOfTheDesktopAndGivesBackTheOneItReplaced)
{
    TDesktopOpener opener;
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
    // Nothing was started while a hook answered: the desktop's opener, which the desktop's way waits
    // for, was never asked.
    EXPECT_TRUE(opener.Opened().empty());
    EXPECT_FALSE(std::filesystem::exists(mark));
}

TEST(Shell, NamesThatSpellNoTextReachTheOpenerAndAProgramAsTheirBytes)
{
    TDesktopOpener opener;
    TempDir folder("shell");
    // A Latin-1 page, "café.html" as another system wrote it, and a utility in a Latin-1 folder.
    const std::string page = folder.file("caf\xE9.html", "<p>");
    std::filesystem::create_directory(folder.path / "\xFAtil");
    const std::filesystem::path log = folder.path / "argumentos";
    const std::string program = (folder.path / "\xFAtil" / "utilidad\xE9").string();
    std::ofstream(program) << "#!/bin/sh\nprintf '%s|%s\\n' \"$0\" \"$(pwd -P)\" > '" << log.string() << "'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    EXPECT_TRUE(ShellOpen(page));
    EXPECT_TRUE(ShellOpen("caf\xE9.html#parte", nullptr, folder.path.string() + "/"));
    // A utility that is a document goes to the opener as well.
    EXPECT_TRUE(ShellStartProgram(page));
    EXPECT_EQ(opener.Opened(), (std::vector<std::string>{page, "file://" + folder.path.string() + "/caf%E9.html#parte",
                                                          page}));

    // The program is started by its own name, in its own folder.
    ASSERT_TRUE(ShellStartProgram(program));
    std::string ran;
    ASSERT_TRUE(pumpUntil([&] { return ReadFileBytes(log.string(), 4096, ran) && ran.ends_with("\n"); }))
        << "never ran";
    EXPECT_EQ(ran, program + "|" + (folder.path / "\xFAtil").string() + "\n");
}
