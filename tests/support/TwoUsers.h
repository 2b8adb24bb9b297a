// Two local users on one machine, as on a shared office computer: the author, a colleague who may write the same shared folders and swaps names in them, and the system's protection of links in sticky folders.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/Classes.h"
#include "support/TempDir.h"

// Users that own nothing here but what a test gives them.
inline constexpr uid_t kAuthorUser = 54350;
inline constexpr uid_t kColleagueUser = 54351;

// A file's bytes, inode and time of change, to tell that nothing wrote it.
inline std::string FileState(const std::string& name)
{
    struct stat st {};
    stat(name.c_str(), &st);
    return ReadFileBytes(name) + "|" + std::to_string(st.st_ino) + "|" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

// Sets the system's protection of links in sticky folders (fs.protected_symlinks) while it lives and
// puts the old value back; `Set` is false where it cannot (not the superuser, or a read-only setting).
class TProtectedSymlinksWhile {
public:
    explicit TProtectedSymlinksWhile(int value) : FOld(current())
    {
        Set = FOld >= 0 && put(value) && current() == value;
    }
    ~TProtectedSymlinksWhile()
    {
        if (Set)
            put(FOld);
    }
    TProtectedSymlinksWhile(const TProtectedSymlinksWhile&) = delete;
    TProtectedSymlinksWhile& operator=(const TProtectedSymlinksWhile&) = delete;

    bool Set = false;

private:
    static constexpr const char* kSetting = "/proc/sys/fs/protected_symlinks";
    static int current()
    {
        std::string text;
        return ReadFileBytes(kSetting, 16, text) && !text.empty() ? text[0] - '0' : -1;
    }
    static bool put(int value)
    {
        FILE* out = std::fopen(kSetting, "w");
        if (!out)
            return false;
        const bool written = std::fprintf(out, "%d\n", value) > 0;
        return std::fclose(out) == 0 && written;
    }
    int FOld;
};

// A shared folder as on an office computer: the superuser's, with the mode `mode`; in it a page of
// `pageOwner`'s that everyone may write (0666); and the author's private folder holding the author's
// secret file, which no save of the page may touch.
struct TSharedPage {
    TempDir Dir{"shared"};
    std::string Secret, Folder, Page;
    TSharedPage(mode_t mode, uid_t pageOwner)
    {
        chmod(Dir.path.c_str(), 0755);
        const std::string home = (Dir.path / "autor").string();
        mkdir(home.c_str(), 0700);
        Secret = home + "/secreto.txt";
        WriteFileBytes(Secret, "clave=1234\n");
        chmod(Secret.c_str(), 0600);
        Ok = chown(home.c_str(), kAuthorUser, kAuthorUser) == 0 && chown(Secret.c_str(), kAuthorUser, kAuthorUser) == 0;
        Folder = (Dir.path / "comun").string();
        mkdir(Folder.c_str(), 0700);
        chmod(Folder.c_str(), mode);
        Page = Folder + "/p.html";
        WriteFileBytes(Page, "<p>uno</p>");
        Ok = Ok && chown(Page.c_str(), pageOwner, pageOwner) == 0 && chmod(Page.c_str(), 0666) == 0;
    }
    // A link of the colleague's at `name` to the author's secret file; its path.
    std::string colleaguesLink(const std::string& name) const
    {
        const std::string link = Folder + "/" + name;
        unlink(link.c_str());
        if (symlink(Secret.c_str(), link.c_str()) != 0 || lchown(link.c_str(), kColleagueUser, kColleagueUser) != 0)
            return {};
        return link;
    }
    // The secret file's state (FileState), to tell that nothing wrote it.
    std::string secretState() const { return FileState(Secret); }
    // Everything could be given to its user.
    bool Ok = false;
};

// Another user exchanging two names in one atomic step, again and again, from when it is made until
// it is stopped or `limit` has passed.
class TNameExchanger {
public:
    TNameExchanger(uid_t user, const std::string& first, const std::string& second, std::chrono::seconds limit)
    {
        int stop[2], report[2];
        if (pipe(stop) != 0)
            return;
        if (pipe(report) != 0) {
            close(stop[0]);
            close(stop[1]);
            return;
        }
        FChild = fork();
        if (FChild == 0) {
            close(stop[1]);
            close(report[0]);
            const auto say = [&](const std::string& text) { return write(report[1], text.data(), text.size()) >= 0; };
            if (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0) {
                say("f");
                _exit(0);
            }
            const auto end = std::chrono::steady_clock::now() + limit;
            long count = 0;
            for (;;) {
                if (renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0 && ++count == 1)
                    say("s");
                else if (count == 0)
                    break;
                pollfd stopped{stop[0], POLLIN, 0};
                if (poll(&stopped, 1, 0) != 0 || std::chrono::steady_clock::now() > end)
                    break;
            }
            say(count == 0 ? "f" : std::to_string(count));
            _exit(0);
        }
        close(stop[0]);
        close(report[1]);
        FStop = stop[1];
        FReport = report[0];
        if (FChild < 0)
            Stop();
    }
    ~TNameExchanger() { Stop(); }
    TNameExchanger(const TNameExchanger&) = delete;
    TNameExchanger& operator=(const TNameExchanger&) = delete;

    // Waits until the first exchange is made; false when none can be.
    bool Started()
    {
        char first = 0;
        return FReport >= 0 && read(FReport, &first, 1) == 1 && first == 's';
    }
    // Stops the exchanges; how many were made.
    long Stop()
    {
        if (FStop >= 0)
            close(FStop);
        FStop = -1;
        std::string rest;
        char buffer[64];
        for (ssize_t n; FReport >= 0 && (n = read(FReport, buffer, sizeof buffer)) > 0;)
            rest.append(buffer, static_cast<size_t>(n));
        if (FReport >= 0)
            close(FReport);
        FReport = -1;
        if (FChild > 0)
            waitpid(FChild, nullptr, 0);
        FChild = -1;
        if (!rest.empty() && rest[0] >= '0' && rest[0] <= '9')
            FCount = std::stol(rest);
        return FCount;
    }

private:
    pid_t FChild = -1;
    int FStop = -1;
    int FReport = -1;
    long FCount = 0;
};
