// Test helpers that play another user at a local socket: a listener on a path of ours, and a client of ours.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/fsuid.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Unprivileged.h"

namespace stranger {

inline bool addressOf(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    return true;
}

// In a child: becomes the user nobody for everything but the file rights, which stay root's, so that
// it reaches the paths of this process's private folder while the socket calls it makes carry nobody's
// credentials. Only calls that are safe after fork.
inline bool becomeNobody()
{
    return setgroups(0, nullptr) == 0 && setresgid(kNobody, kNobody, 0) == 0 && setresuid(kNobody, kNobody, 0) == 0 &&
           (setfsuid(0), setfsuid(0) == 0);
}

} // namespace stranger

// A listener of the user nobody on `path` (the superuser only: `Ready` is false otherwise): this
// process binds the socket, a child that has become nobody listens on it and accepts. Every
// connection writes "<A>" to the report channel when accepted, every byte its client sends after it,
// and "<C>" once the client has closed it ("<T>" if it is still open after 5 s). `Stop` has the child
// take every connection still queued, hear each out and end, waits for that (30 s at most, after which
// the report ends in "<stuck>"), and gives what it wrote: what was heard is then all there was.
class TStrangerListener {
public:
    explicit TStrangerListener(const std::string& path)
    {
        sockaddr_un address;
        // One channel both ways: the child reports on it and reads the parent's word to stop; it stays
        // a child's to the end even when the parent starts programs of its own.
        if (geteuid() != 0 || !stranger::addressOf(path, address) ||
            socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, FChannel) != 0)
            return;
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return;
        FChild = fork();
        if (FChild == 0) {
            close(FChannel[0]);
            if (!stranger::becomeNobody() || listen(fd, 8) != 0)
                _exit(1);
            listenUntilStopped(fd, FChannel[1]);
        }
        close(fd);
        close(FChannel[1]);
        FChannel[1] = -1;
        char ready = 0;
        Ready = FChild > 0 && read(FChannel[0], &ready, 1) == 1 && ready == 'L';
    }
    ~TStrangerListener() { Stop(); }
    TStrangerListener(const TStrangerListener&) = delete;
    TStrangerListener& operator=(const TStrangerListener&) = delete;

    std::string Stop()
    {
        if (FChild > 0) {
            (void)!send(FChannel[0], "S", 1, MSG_NOSIGNAL);
            // The report ends when the child does.
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            char buffer[256];
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    limit - std::chrono::steady_clock::now());
                pollfd report{FChannel[0], POLLIN, 0};
                const int ready = left.count() > 0 ? poll(&report, 1, static_cast<int>(left.count())) : 0;
                if (ready < 0)
                    continue;
                if (ready == 0) {
                    FHeard += "<stuck>";
                    kill(FChild, SIGKILL);
                    break;
                }
                const ssize_t n = read(FChannel[0], buffer, sizeof buffer);
                if (n <= 0)
                    break;
                FHeard.append(buffer, static_cast<size_t>(n));
            }
            waitpid(FChild, nullptr, 0);
            FChild = -1;
        }
        if (FChannel[0] >= 0)
            close(FChannel[0]);
        FChannel[0] = -1;
        return FHeard;
    }

    bool Ready = false;

private:
    // In the child: accepts and hears out each connection until the parent says stop (or goes), then
    // takes what is still queued the same way and ends.
    [[noreturn]] static void listenUntilStopped(int fd, int channel)
    {
        (void)!write(channel, "L", 1);
        for (bool stopping = false;;) {
            pollfd waiting[2] = {{fd, POLLIN, 0}, {channel, POLLIN, 0}};
            if (!stopping && poll(waiting, 2, -1) < 0)
                continue;
            stopping = stopping || waiting[1].revents != 0;
            const int client = accept(fd, nullptr, nullptr);
            if (client >= 0)
                hearOut(client, channel);
            else if (stopping)
                _exit(0);
        }
    }
    static void hearOut(int client, int channel)
    {
        (void)!write(channel, "<A>", 3);
        timeval limit{5, 0};
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char buffer[256];
        ssize_t n;
        while ((n = read(client, buffer, sizeof buffer)) > 0)
            (void)!write(channel, buffer, static_cast<size_t>(n));
        (void)!write(channel, n == 0 || errno == ECONNRESET ? "<C>" : "<T>", 3);
        close(client);
    }

    pid_t FChild = -1;
    int FChannel[2] = {-1, -1};
    std::string FHeard;
};

// A client of the user nobody (the superuser only): a child that has become nobody connects to
// `path`, sends `bytes` and reads until the other end closes or 5 s pass. Returns the child's pid;
// its exit status is 0 when the connection was closed with no answer, 1 when an answer came, 2 when
// it could not connect, 3 when it could not become nobody. The caller runs its event loop until the
// child ends (waitpid with WNOHANG).
inline pid_t StartStrangerClient(const std::string& path, const std::string& bytes)
{
    sockaddr_un address;
    if (geteuid() != 0 || !stranger::addressOf(path, address))
        return -1;
    const pid_t child = fork();
    if (child != 0)
        return child;
    if (!stranger::becomeNobody())
        _exit(3);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        _exit(2);
    timeval limit {5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    // The copy may cut the connection off before the bytes go: that is an answer, not a signal that ends
    // this client.
    (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    char answer;
    const ssize_t n = read(fd, &answer, 1);
    _exit(n > 0 ? 1 : n == 0 || errno == ECONNRESET ? 0 : 4);
}
