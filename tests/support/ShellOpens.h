// Test helper that records what would be opened through the shell while it lives, starting nothing.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"

// Keeps each target handed to ShellOpen and answers `result`; the hook it replaced comes back when it
// goes.
struct TShellOpens {
    std::vector<std::string> targets;
    // Runs as each target arrives, to look at the program's state at that moment.
    std::function<void(const std::string& target)> onOpen;

    explicit TShellOpens(bool result = true)
    {
        FPrevious = SetShellOpenHook([this, result](const std::string& target) {
            targets.push_back(target);
            if (onOpen)
                onOpen(target);
            return result;
        });
    }
    ~TShellOpens() { SetShellOpenHook(std::move(FPrevious)); }
    TShellOpens(const TShellOpens&) = delete;
    TShellOpens& operator=(const TShellOpens&) = delete;

private:
    TShellOpenHook FPrevious;
};
