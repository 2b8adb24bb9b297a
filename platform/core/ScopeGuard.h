// A begin/end pair tied to a scope: the end runs when the scope closes, by return or by exception.
#pragma once

#include <exception>
#include <functional>
#include <utility>

// Holds the end of something begun (redraw off, an update, an undo group, a busy flag). The end runs
// once: at End(), or when the guard goes. While an exception is leaving the scope, an exception from
// the end is dropped, since the first one is what the caller must hear of; otherwise it propagates.
// An empty guard ends nothing; a guard may be given its end after it is made (a group opened only
// when the first change comes).
class TScopeGuard {
public:
    TScopeGuard() = default;
    explicit TScopeGuard(std::function<void()> end) : FEnd(std::move(end)) {}
    TScopeGuard(TScopeGuard&& other) noexcept : FEnd(std::exchange(other.FEnd, nullptr)), FExceptions(other.FExceptions) {}
    TScopeGuard& operator=(TScopeGuard&& other)
    {
        if (this != &other) {
            End();
            FEnd = std::exchange(other.FEnd, nullptr);
            FExceptions = other.FExceptions;
        }
        return *this;
    }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

    ~TScopeGuard() noexcept(false)
    {
        if (!FEnd)
            return;
        if (std::uncaught_exceptions() > FExceptions) {
            try {
                runEnd();
            } catch (...) {
            }
        } else {
            runEnd();
        }
    }

    bool Active() const { return static_cast<bool>(FEnd); }
    // Runs the end now; the guard is empty afterwards.
    void End()
    {
        if (FEnd)
            runEnd();
    }
    // Forgets the end without running it.
    void Dismiss() { FEnd = nullptr; }

private:
    void runEnd()
    {
        std::function<void()> end = std::exchange(FEnd, nullptr);
        end();
    }

    std::function<void()> FEnd;
    int FExceptions = std::uncaught_exceptions();
};
