// Tests of the program's start: a second copy hands over to the running one and ends, and a killed copy leaves nothing in the way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocalSocket>
#include <QProcess>
#include <memory>
#include <regex>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/SingleInstance.h"
#include "support/PumpUntil.h"
#include "support/RunningCopy.h"
#include "support/StrangerSocket.h"
#include "support/StartProgram.h"
#include "platform/core/ScopeGuard.h"
#include <QTimer>
#include "support/TempRegistry.h"

namespace {


bool finished(const QProcess& program)
{
    return program.state() == QProcess::NotRunning;
}

// Whether a copy of the program listens for later starts.
bool someoneListens(const QString& serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(200);
}

} // namespace

TEST(Main, ASecondStartHandsItsFilesToTheFirstWindowRaisesItAndEnds)
{
    TempRegistry registry("app");
    const std::string file = registry.Folder.file("pagina.htm", "<b>hola</b>");
    TformPrincipal form;
    form.show();
    form.showMinimized();
    ASSERT_TRUE(form.isMinimized());
    TSingleInstance first("Kestrima");
    ASSERT_TRUE(first.Start(WM_ACTIVAINSTANCIA));
    first.ServeDde();
    TDdeServer::Instance().SetPost([](std::function<void()> work) { QTimer::singleShot(0, qApp, work); });
    TScopeGuard post([] { TDdeServer::Instance().SetPost({}); });
    int messages = 0;
    first.SetOnMessage([&](uint32_t message, uint32_t, uint32_t) {
        ++messages;
        if (message == WM_ACTIVAINSTANCIA)
            form.WMActivaInstancia();
    });

    auto second = startProgram({QString::fromStdString(file)});
    ASSERT_TRUE(pumpUntil([&] { return finished(*second); }));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(pumpUntil([&] { return messages == 1; }));
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.isVisible());
    // The second start's file opened in the first window before it came forward.
    EXPECT_EQ(form.CodeMemo()->GetTextStr(), "<b>hola</b>");
    // Beside the new document of the start-up.
    EXPECT_EQ(form.DocumentCount(), 2);

    // A window that is not minimised stays so and is shown again.
    auto third = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return finished(*third) && messages == 2; }));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.isVisible());
}

TEST(Main, AfterTheFirstCopyIsKilledANewStartRuns)
{
    TempRegistry registry("app");
    const QString server = TSingleInstance("Kestrima").ServerName();
    auto killed = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return someoneListens(server); }));
    killed->kill();
    ASSERT_TRUE(killed->waitForFinished(5000));
    EXPECT_FALSE(someoneListens(server));

    auto next = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return someoneListens(server); }));
    EXPECT_FALSE(finished(*next));
    // The new copy is the running one now: a later start hands over to it.
    auto later = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return finished(*later); }));
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_FALSE(finished(*next));
    next->kill();
    next->waitForFinished(5000);
}

TEST(Main, TwoQuickStartsGiveOneWindow)
{
    TempRegistry registry("app");
    const QString server = TSingleInstance("Kestrima").ServerName();
    auto a = startProgram();
    auto b = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return finished(*a) || finished(*b); }));
    // The other keeps running as the running copy: a later start hands over to it and ends.
    auto later = startProgram();
    ASSERT_TRUE(pumpUntil([&] { return finished(*later); }, 30000)) << "a later start found no running copy";
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_NE(finished(*a), finished(*b));
    QProcess& ended = finished(*a) ? *a : *b;
    EXPECT_EQ(ended.exitCode(), 0);
    EXPECT_TRUE(someoneListens(server));
    for (QProcess* program : {a.get(), b.get(), later.get()}) {
        program->kill();
        program->waitForFinished(5000);
    }
}

TEST(Main, AStartFindingAnotherUsersListenerHandsItNothingAndRunsItsOwnWindow)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play another user";
    TempRegistry registry("app");
    const std::string file = registry.Folder.file("privado.htm", "<p>secreto</p>");
    TStrangerListener stranger(TSingleInstance("Kestrima").ServerName().toStdString());
    ASSERT_TRUE(stranger.Ready);
    auto program = startProgram({QString::fromStdString(file)});
    // It stays up as the running copy (it answers a macro of this user's) instead of ending at once.
    expectRunningCopyAnswers(*program);
    const std::string heard = stranger.Stop();
    // Each connection it made was closed before a byte went, the file's name least of all.
    EXPECT_TRUE(std::regex_match(heard, std::regex("(<A><C>)+"))) << heard;
}
