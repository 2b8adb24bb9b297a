// Test helper that sets one of the dialogs' test hooks while it lives and puts back the one it replaced.
#pragma once

#include <utility>

template <class THook, THook (*Set)(THook)>
class THookWhile {
public:
    explicit THookWhile(THook hook) : FPrevious(Set(std::move(hook))) {}
    ~THookWhile() { Set(std::move(FPrevious)); }
    THookWhile(const THookWhile&) = delete;
    THookWhile& operator=(const THookWhile&) = delete;

private:
    THook FPrevious;
};
