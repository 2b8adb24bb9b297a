// Runs a check as an ordinary user: permissions mean nothing to the superuser, who may write any file.
#pragma once

#include <functional>
#include <string>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// The user id of "nobody", which owns nothing.
inline constexpr uid_t kNobody = 65534;

// The result of running a check as an ordinary user.
struct TUnprivilegedRun {
    // The check could not run as an ordinary user (no way to drop the superuser's rights); `Failure`
    // says why.
    bool Skipped = false;
    // What the check found wrong; empty when it passed.
    std::string Failure;
};

// Runs `check` (which returns what it found wrong, "" when nothing) in a child process as the user
// `user` (of the group of that number alone) when this process is the superuser, else in a child as
// the user this is. The child writes its answer through a pipe; a child that dies is a failure with
// its status.
inline TUnprivilegedRun RunUnprivilegedAs(uid_t user, const std::function<std::string()>& check)
{
    TUnprivilegedRun run;
    int channel[2];
    if (pipe(channel) != 0) {
        run.Skipped = true;
        run.Failure = "no pipe to a child process";
        return run;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        run.Skipped = true;
        run.Failure = "no child process";
        return run;
    }
    if (child == 0) {
        close(channel[0]);
        std::string answer;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0))
            answer = "\x01" "cannot become the user " + std::to_string(user);
        else
            answer = check();
        const char* at = answer.data();
        size_t left = answer.size();
        while (left > 0) {
            const ssize_t n = write(channel[1], at, left);
            if (n <= 0)
                break;
            at += n;
            left -= static_cast<size_t>(n);
        }
        close(channel[1]);
        _exit(0);
    }
    close(channel[1]);
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        run.Failure.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.Failure += "the child process ended with status " + std::to_string(status);
    if (!run.Failure.empty() && run.Failure[0] == '\x01') {
        run.Skipped = true;
        run.Failure.erase(0, 1);
    }
    return run;
}

// RunUnprivilegedAs the user nobody.
inline TUnprivilegedRun RunUnprivileged(const std::function<std::string()>& check)
{
    return RunUnprivilegedAs(kNobody, check);
}
