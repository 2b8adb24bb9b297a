// Test helper that stands in for a full disk: while it lives, no file of this process may grow past a size.
#pragma once

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

// Lowers the file-size limit (anyone may lower it) and ignores the signal that would end the
// process, so a write past the limit fails with EFBIG as a write onto a full disk fails.
struct TFileSizeLimit {
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
    bool set = false;
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = std::min(bytes, saved.rlim_max);
        set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
};
