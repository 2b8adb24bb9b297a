// Tests of the single-instance socket: the second start's message reaches the first, leftovers of a killed copy are taken over, and only the user gets in.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSysInfo>
#include <QProcess>
#include <cstdint>
#include <filesystem>
#include <future>
#include <regex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <thread>
#include <vector>

#include "platform/SingleInstance.h"
#include "support/PumpUntil.h"
#include "support/EnvironmentWhile.h"
#include "support/StrangerSocket.h"
#include "support/TempDir.h"

namespace {

struct TReceived {
    uint32_t message, wParam, lParam;
    bool operator==(const TReceived&) const = default;
};


// A name no other test or program uses.
std::string uniqueName(const char* what)
{
    return "KestrimaTest-" + std::string(what) + "-" + std::to_string(getpid());
}

void send(const QString& server, const QByteArray& bytes)
{
    QLocalSocket client;
    client.connectToServer(server);
    ASSERT_TRUE(client.waitForConnected(1000));
    client.write(bytes);
    client.waitForBytesWritten(1000);
    client.disconnectFromServer();
}

} // namespace

TEST(SingleInstance, TheSecondStartDeliversItsMessageToTheFirstAndStepsAside)
{
    const std::string name = uniqueName("pair");
    TSingleInstance first(name);
    std::vector<TReceived> received;
    first.SetOnMessage([&](uint32_t m, uint32_t w, uint32_t l) { received.push_back({m, w, l}); });
    ASSERT_TRUE(first.Start(0x1400));
    EXPECT_TRUE(first.IsListening());

    for (int start = 0; start < 3; ++start) {
        TSingleInstance second(name);
        EXPECT_EQ(second.ServerName(), first.ServerName());
        EXPECT_FALSE(second.Start(0x1400));
        EXPECT_FALSE(second.IsListening());
    }
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 3; }));
    for (const TReceived& r : received)
        EXPECT_EQ(r, (TReceived{0x1400, 0, 0}));

    // What a stranger sends is read as far as one message and no further; a short packet is nothing.
    send(first.ServerName(), QByteArray("\x01\x02\x03", 3));
    send(first.ServerName(), QByteArray("\x00\x14\x00\x00\x07\x00\x00\x00\x09\x00\x00\x00garbage", 19));
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 4; }));
    EXPECT_EQ(received.back(), (TReceived{0x1400, 7, 9}));
    QCoreApplication::processEvents();
    EXPECT_EQ(received.size(), 4u);
}

TEST(SingleInstance, ASocketAndALockLeftByAKilledCopyDoNotStopTheNextStart)
{
    const std::string name = uniqueName("leftover");
    TSingleInstance probe(name);
    const QString socketPath = probe.ServerName();
    const QString lockPath = socketPath + ".lock";

    // A killed copy leaves its socket file bound to nobody ...
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(QFile::exists(socketPath));
    // ... and a lock naming a process that is gone.
    QProcess gone;
    gone.start("true");
    ASSERT_TRUE(gone.waitForStarted(5000));
    const qint64 gonePid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(5000));
    QByteArray lockText;
    {
        // The lock file as this system writes it, with the dead process in place of its owner.
        QLockFile real(lockPath);
        ASSERT_TRUE(real.tryLock(0));
        QFile written(lockPath);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        lockText = written.readAll();
    }
    lockText = QByteArray::number(gonePid) + lockText.mid(lockText.indexOf('\n'));
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(lockText);
    lock.close();

    TSingleInstance next(name);
    EXPECT_TRUE(next.Start(0x1400, 3000));
    EXPECT_TRUE(next.IsListening());
    // The dead owner's lock was taken over, not waited out: taken, it goes once the copy listens; one
    // given up on after the wait would still be there.
    EXPECT_FALSE(QFile::exists(lockPath));

    // Only the user who started it may connect: the socket file is closed to group and others.
    const QFileDevice::Permissions permissions = QFile::permissions(socketPath);
    EXPECT_FALSE(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                QFileDevice::WriteOther))
        << std::hex << permissions.toInt();
}

TEST(SingleInstance, SettingsStoresOfTheirOwnGiveSeparateInstances)
{
    const std::string name = uniqueName("stores");
    const std::string saved = getenv("KESTRIMA_CONFIG_DIR");
    TSingleInstance a(name);
    setenv("KESTRIMA_CONFIG_DIR", (saved + "/other").c_str(), 1);
    TSingleInstance b(name);
    setenv("KESTRIMA_CONFIG_DIR", saved.c_str(), 1);
    EXPECT_NE(a.ServerName(), b.ServerName());
    EXPECT_TRUE(a.Start(0x1400));
    EXPECT_TRUE(b.Start(0x1400));
}

TEST(SingleInstance, AListenerOfAnotherUserIsHandedNothingAndThisCopyListensInItsPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play another user";
    const std::string name = uniqueName("stranger");
    TSingleInstance probe(name);
    // The socket lives in the runtime folder of this run, closed to everybody else.
    const std::string path = probe.ServerName().toStdString();
    EXPECT_EQ(path.rfind(std::string(getenv("XDG_RUNTIME_DIR")) + "/kestrima/", 0), 0u) << path;
    TStrangerListener stranger(path);
    ASSERT_TRUE(stranger.Ready);

    // Nothing is sent to it, neither a message nor a macro.
    EXPECT_FALSE(probe.Send(0x1400, 2000));
    EXPECT_EQ(probe.Execute({TDdeKind::Execute, "system", "[edit(\"/secreto.htm\")]"}, 2000), -1);
    // A start does not take it for a running copy: it listens itself.
    TSingleInstance first(name);
    std::vector<TReceived> received;
    first.SetOnMessage([&](uint32_t m, uint32_t w, uint32_t l) { received.push_back({m, w, l}); });
    EXPECT_TRUE(first.Start(0x1400, 2000));
    EXPECT_TRUE(first.IsListening());
    TSingleInstance second(name);
    EXPECT_FALSE(second.Start(0x1400));
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 1; }));

    // The stranger saw connections come and go, and not one byte: each accepted, then closed unheard.
    const std::string heard = stranger.Stop();
    EXPECT_TRUE(std::regex_match(heard, std::regex("(<A><C>)+"))) << heard;
}

TEST(SingleInstance, AClientOfAnotherUserIsCutOffUnheard)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play another user";
    const std::string name = uniqueName("intruder");
    TSingleInstance first(name);
    std::vector<TReceived> received;
    first.SetOnMessage([&](uint32_t m, uint32_t w, uint32_t l) { received.push_back({m, w, l}); });
    int frames = 0;
    first.SetOnFrame([&](const TDdeFrame&, TDdeServer::TReply reply) {
        ++frames;
        reply(true);
    });
    ASSERT_TRUE(first.Listen());
    const std::string path = first.ServerName().toStdString();
    const auto waitFor = [](pid_t child) {
        int status = -1;
        bool ended = false;
        EXPECT_TRUE(pumpUntil([&] { return ended || (ended = waitpid(child, &status, WNOHANG) == child); }, 10000));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const std::string& bytes : {std::string("\x00\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12),
                                     EncodeDdeFrame({TDdeKind::Execute, "system", "[edit(\"/x.htm\")]"})}) {
        const pid_t child = StartStrangerClient(path, bytes);
        ASSERT_GT(child, 0);
        EXPECT_EQ(waitFor(child), 0);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(frames, 0);
    // The user's own client still gets in.
    send(first.ServerName(), QByteArray("\x00\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12));
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(received[0], (TReceived{0x1400, 0, 0}));
}

TEST(SingleInstance, ACopyThatClosesUnansweredIsToldFromOneThatIsSilent)
{
    const std::string name = uniqueName("older");
    TSingleInstance client(name);
    const std::string path = client.ServerName().toStdString();
    // A copy that knows no such frame cuts the connection off; a busy one says nothing in time.
    for (const bool closes : {true, false}) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        unlink(path.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(fd, 1), 0);
        // The busy copy keeps the connection open until the client has given up on it.
        std::promise<void> clientGaveUp;
        std::thread copy([fd, closes, gaveUp = clientGaveUp.get_future()] {
            const int connection = accept(fd, nullptr, nullptr);
            char buffer[64];
            (void)!read(connection, buffer, sizeof buffer);
            if (!closes)
                gaveUp.wait();
            close(connection);
        });
        EXPECT_EQ(client.Execute({TDdeKind::Post, "system", "[edit(\"/a.htm\")]"}, 1000), closes ? -2 : -1);
        clientGaveUp.set_value();
        copy.join();
        close(fd);
    }
    unlink(path.c_str());
}

TEST(SingleInstance, WithoutAPrivateFolderACopyRunsAloneAndSendsNothing)
{
    // No usable runtime folder, and the fallback folder open to everybody, as another user could
    // have made it: no socket is made or looked for anywhere else.
    TempDir temporary("instance");
    const std::string open = temporary.path.string() + "/kestrima-" + std::to_string(geteuid());
    ASSERT_EQ(mkdir(open.c_str(), 0777), 0);
    chmod(open.c_str(), 0777);
    TEnvironmentWhile runtime("XDG_RUNTIME_DIR", std::nullopt);
    TEnvironmentWhile tmpdir("TMPDIR", temporary.path.string());
    TSingleInstance alone(uniqueName("alone"));
    EXPECT_TRUE(alone.ServerName().isEmpty());
    EXPECT_NE(alone.NoSocketReason().find(open), std::string::npos) << alone.NoSocketReason();
    EXPECT_TRUE(alone.Listen());
    EXPECT_FALSE(alone.IsListening());
    EXPECT_FALSE(alone.Send(0x1400, 500));
    EXPECT_EQ(alone.Execute({TDdeKind::Execute, "system", "[new()]"}, 500), -1);
    EXPECT_EQ(std::filesystem::directory_iterator(open), std::filesystem::directory_iterator());
}
