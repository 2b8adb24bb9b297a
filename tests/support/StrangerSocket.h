// Test helpers that play another user at a local socket: a listener on a path of ours, and a client of ours.
#pragma once

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
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
// connection writes "<A>" to a pipe and every byte a client sends follows it there; `Stop` ends the
// child and gives what it wrote.
class TStrangerListener {
public:
    explicit TStrangerListener(const std::string& path)
    {
        sockaddr_un address;
        if (geteuid() != 0 || !stranger::addressOf(path, address) || pipe(FReport) != 0)
            return;
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return;
        FChild = fork();
        if (FChild == 0) {
            close(FReport[0]);
            if (!stranger::becomeNobody() || listen(fd, 8) != 0)
                _exit(1);
            (void)!write(FReport[1], "L", 1);
            for (;;) {
                const int client = accept(fd, nullptr, nullptr);
                if (client < 0)
                    continue;
                (void)!write(FReport[1], "<A>", 3);
                char buffer[256];
                for (ssize_t n; (n = read(client, buffer, sizeof buffer)) > 0;)
                    (void)!write(FReport[1], buffer, static_cast<size_t>(n));
                close(client);
            }
        }
        close(fd);
        close(FReport[1]);
        FReport[1] = -1;
        char ready = 0;
        Ready = FChild > 0 && read(FReport[0], &ready, 1) == 1 && ready == 'L';
    }
    ~TStrangerListener() { Stop(); }
    TStrangerListener(const TStrangerListener&) = delete;
    TStrangerListener& operator=(const TStrangerListener&) = delete;

    std::string Stop()
    {
        if (FChild > 0) {
            kill(FChild, SIGKILL);
            waitpid(FChild, nullptr, 0);
            FChild = -1;
            char buffer[256];
            for (ssize_t n; (n = read(FReport[0], buffer, sizeof buffer)) > 0;)
                FHeard.append(buffer, static_cast<size_t>(n));
        }
        if (FReport[0] >= 0)
            close(FReport[0]);
        FReport[0] = -1;
        return FHeard;
    }

    bool Ready = false;

private:
    pid_t FChild = -1;
    int FReport[2] = {-1, -1};
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
