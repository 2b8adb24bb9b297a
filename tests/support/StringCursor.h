// A character cursor over a string with the moves of the editor's text cursor, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string_view>

// It stops at both ends and reads 0 at the end of the text, as TEdStream does. The text is not copied.
class TStringCursor {
public:
    explicit TStringCursor(std::string_view text, int64_t position = 0) : FText(text) { SetPos(position); }
    char CurrentChar() const { return FPos < size() ? FText[static_cast<size_t>(FPos)] : '\0'; }
    int64_t GetPos() const { return FPos; }
    void SetPos(int64_t p) { FPos = p < 0 ? 0 : (p > size() ? size() : p); }
    bool AtEnd() const { return FPos >= size(); }
    void Next()
    {
        if (FPos < size())
            ++FPos;
    }
    void Prev()
    {
        if (FPos > 0)
            --FPos;
    }

private:
    int64_t size() const { return static_cast<int64_t>(FText.size()); }
    std::string_view FText;
    int64_t FPos = 0;
};
