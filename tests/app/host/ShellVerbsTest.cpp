// The shell verbs turned on and off: the store and the desktop agree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTimer>

#include <filesystem>
#include <string>
#include <vector>

#include "app/host/ShellVerbs.h"
#include "app/model/u_ddemacro.h"
#include "platform/DesktopTypes.h"
#include "platform/SingleInstance.h"
#include "platform/core/Dde.h"
#include "platform/core/ScopeGuard.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"
#include "support/PumpUntil.h"
#include "support/RunningCopy.h"
#include "support/StartProgram.h"
#include "support/TempRegistry.h"
#include "support/TempXdg.h"
#include "support/Win1252Text.h"

namespace {

// The quoted arguments of a desktop entry's Exec line, with both levels of escapes undone.
std::vector<std::string> execArguments(const std::string& entry)
{
    const size_t start = entry.find("\nExec=");
    const std::string line = entry.substr(start + 6, entry.find('\n', start + 1) - start - 6);
    std::string once;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        once += line[i];
    }
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    for (size_t i = 0; i < once.size(); ++i) {
        const char c = once[i];
        if (quoted && c == '\\' && i + 1 < once.size())
            current += once[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ' ' && !quoted) {
            arguments.push_back(current);
            current.clear();
        } else
            current += c;
    }
    arguments.push_back(current);
    return arguments;
}

const TShellVerbKind kAll[] = {TShellVerbKind::EditPage, TShellVerbKind::NewPage, TShellVerbKind::OpenProject};

} // namespace

TEST(ShellVerbs, EveryDesktopEntryCallsAVerbWhoseMacrosTheStoreHolds)
{
    TempRegistry store("verbs");
    TempXdg xdg;
    TBoxAnswers boxes;
    const std::string program = ToWin1252(QCoreApplication::applicationFilePath());
    for (TShellVerbKind kind : kAll)
        EXPECT_TRUE(ChangeShellVerb(nullptr, kind, true));
    const char* const names[] = {"kestrima-htmfile-editar-en-kestrima.desktop", "kestrima-htmfile-nuevo.desktop",
        "kestrima-krfile-abrir.desktop"};
    const char* const macros[] = {"[edit(\"/w/a.htm\")]", "[new(\"/w/a.htm\")]", "[openproyect(\"/w/a.htm\")]"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ShellVerbRegistered(kAll[i]));
        const std::string entry = ReadFileBytes(xdg.Data + "/applications/" + names[i]);
        const std::vector<std::string> arguments = execArguments(entry);
        ASSERT_EQ(arguments.size(), 4u) << entry;
        EXPECT_EQ(arguments[0], program);
        EXPECT_EQ(arguments[1], "--shell-exec");
        EXPECT_EQ(arguments[3], "%f");
        TShellVerb verb;
        ASSERT_TRUE(ReadShellVerb(arguments[2], "/w/a.htm", verb)) << arguments[2];
        EXPECT_EQ(verb.DdeExec, macros[i]);
        // The store's command is the same program.
        Tregisterext reg;
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + arguments[2].substr(0, arguments[2].find('\\')) + "\\Shell\\"
            + ShellVerbInfo(kAll[i]).Verb + "\\command"));
        EXPECT_EQ(reg.ReadString(""), "\"" + program + "\"");
    }
    for (TShellVerbKind kind : kAll) {
        EXPECT_TRUE(ChangeShellVerb(nullptr, kind, false));
        EXPECT_FALSE(ShellVerbRegistered(kind));
    }
    for (const char* name : names)
        EXPECT_FALSE(FileExists(xdg.Data + "/applications/" + name));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(ShellVerbs, ADesktopThatRefusesIsReportedOnceAndTheStoreKeepsTheChange)
{
    TempRegistry store("verbs");
    TempXdg xdg;
    TBoxAnswers boxes;
    WriteFileBytes(xdg.Data, "not a folder");
    EXPECT_FALSE(ChangeShellVerb(nullptr, TShellVerbKind::EditPage, true, "/bin/k"));
    EXPECT_FALSE(ChangeShellVerb(nullptr, TShellVerbKind::NewPage, true, "/bin/k"));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("No se pudo actualizar el escritorio: ", 0), 0u) << boxes.texts[0];
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONWARNING);
    EXPECT_NE(boxes.texts[0].find("/applications/kestrima-htmfile-editar-en-kestrima.desktop: "), std::string::npos);
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::EditPage));
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::NewPage));

    // The next change tries again; once it went through, a new failure is reported again.
    std::filesystem::remove(xdg.Data);
    EXPECT_TRUE(ChangeShellVerb(nullptr, TShellVerbKind::NewPage, false, "/bin/k"));
    EXPECT_FALSE(FileExists(xdg.Data + "/applications/kestrima-htmfile-nuevo.desktop"));
    std::filesystem::remove_all(xdg.Data);
    WriteFileBytes(xdg.Data, "not a folder");
    EXPECT_FALSE(ChangeShellVerb(nullptr, TShellVerbKind::OpenProject, true, "/bin/k"));
    EXPECT_EQ(boxes.texts.size(), 2u);
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::OpenProject));
}

TEST(ShellVerbs, TheDesktopEntryOpensThePageInTheRunningProgramOrStartsOne)
{
    TWindow w;
    TempXdg xdg;
    TDdeServer::Instance().SetPost([](std::function<void()> work) { QTimer::singleShot(0, qApp, work); });
    TScopeGuard post([] { TDdeServer::Instance().SetPost({}); });
    ASSERT_TRUE(ChangeShellVerb(&w.form, TShellVerbKind::EditPage, true, KESTRIMA_PROGRAM));
    const std::vector<std::string> arguments =
        execArguments(ReadFileBytes(xdg.Data + "/applications/kestrima-htmfile-editar-en-kestrima.desktop"));
    ASSERT_EQ(arguments.size(), 4u);
    const std::string page = w.folder.file("p.htm", "<p>");
    auto run = [&] {
        return startProgram({QString::fromStdString(arguments[1]), QString::fromStdString(arguments[2]),
            QString::fromStdString(page)}, QString::fromStdString(arguments[0]));
    };
    {
        TSingleInstance first("Kestrima");
        ASSERT_TRUE(first.Listen());
        first.ServeDde();
        auto sender = run();
        ASSERT_TRUE(pumpUntil([&] { return sender->state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(sender->exitCode(), 0);
        EXPECT_EQ(captions(w.form), (std::vector<std::string>{"p.htm"}));
    }

    // With none running, the command starts the program, which stays up and answers.
    auto program = run();
    expectRunningCopyAnswers(*program);
}
