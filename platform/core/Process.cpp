// Starting other programs through posix_spawn: the argument vector is handed on as bytes, with no text conversion on the way.
#include "platform/core/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/core/ScopeGuard.h"

namespace {

// Starts the program; its process id in `pid`, false when nothing could be run. glibc's posix_spawn
// reports a program that cannot be executed as an error of its own, so no pipe is needed for that.
bool spawn(const std::vector<std::string>& arguments, const std::string& folder, bool ownSession, pid_t& pid)
{
    if (arguments.empty() || arguments[0].empty())
        return false;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const TScopeGuard freeActions([&actions] { posix_spawn_file_actions_destroy(&actions); });
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // This program's other descriptors (its socket, a file half written) are none of the other's.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    const TScopeGuard freeAttributes([&attributes] { posix_spawnattr_destroy(&attributes); });
    // Signals this program blocks or ignores for a while (a file growing past its limit) are the
    // other program's to handle as it starts.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (ownSession)
        flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&attributes, flags);

    return posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ) == 0;
}

// Programs started and not yet collected: each start collects those that ended since, so that none
// stays behind as a zombie for longer than until the next start, and no thread waits for them.
std::vector<pid_t>& uncollected()
{
    static std::vector<pid_t> pids;
    return pids;
}

void collectEnded()
{
    std::vector<pid_t>& pids = uncollected();
    std::erase_if(pids, [](pid_t pid) {
        int status = 0;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

} // namespace

TProcessEnd RunProcess(const std::vector<std::string>& arguments, int waitMs)
{
    collectEnded();
    pid_t pid = 0;
    if (!spawn(arguments, {}, false, pid))
        return TProcessEnd::NotStarted;
    // Looked at every few milliseconds: an opener answers at once, or is left to run.
    constexpr auto kStep = std::chrono::milliseconds(5);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TProcessEnd::Succeeded : TProcessEnd::Failed;
        if (ended < 0 && errno != EINTR)
            return TProcessEnd::Failed;
        if (std::chrono::steady_clock::now() >= until)
            break;
        std::this_thread::sleep_for(kStep);
    }
    uncollected().push_back(pid);
    return TProcessEnd::Running;
}

bool StartDetachedProcess(const std::vector<std::string>& arguments, const std::string& folder)
{
    collectEnded();
    pid_t pid = 0;
    if (!spawn(arguments, folder, true, pid))
        return false;
    uncollected().push_back(pid);
    return true;
}
