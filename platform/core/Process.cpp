// Starting other programs through posix_spawn: the argument vector is handed on as bytes, with no text conversion on the way.
#include "platform/core/Process.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/core/ScopeGuard.h"

namespace {

// The end of a started program, told by the thread that collects it to whoever waits.
struct TProcessState {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Ended = false;
    int Status = 0;
};

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

// Collects the program when it ends, on a thread of its own so that nobody has to wait for it; the
// state tells its end to whoever waits.
std::shared_ptr<TProcessState> collect(pid_t pid)
{
    auto state = std::make_shared<TProcessState>();
    std::thread([pid, state] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const std::lock_guard<std::mutex> lock(state->Lock);
        state->Ended = true;
        state->Status = status;
        state->Changed.notify_all();
    }).detach();
    return state;
}

} // namespace

TProcessEnd RunProcess(const std::vector<std::string>& arguments, int waitMs)
{
    pid_t pid = 0;
    if (!spawn(arguments, {}, false, pid))
        return TProcessEnd::NotStarted;
    const std::shared_ptr<TProcessState> state = collect(pid);
    std::unique_lock<std::mutex> lock(state->Lock);
    if (!state->Changed.wait_for(lock, std::chrono::milliseconds(waitMs), [&state] { return state->Ended; }))
        return TProcessEnd::Running;
    return WIFEXITED(state->Status) && WEXITSTATUS(state->Status) == 0 ? TProcessEnd::Succeeded : TProcessEnd::Failed;
}

bool StartDetachedProcess(const std::vector<std::string>& arguments, const std::string& folder)
{
    pid_t pid = 0;
    if (!spawn(arguments, folder, true, pid))
        return false;
    collect(pid);
    return true;
}
