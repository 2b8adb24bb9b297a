// A character cursor over a string, for the small readers of tab stops, templates and character groups.
#pragma once

#include <string>
#include <string_view>

// Positions are 1-based as the readers count them; an empty text sits at position 0.
class TStringScanner {
public:
    TStringScanner() = default;
    explicit TStringScanner(std::string_view text) { SetText(text); }

    void SetText(std::string_view text);
    void SetPos(int n) { FPosition = n; }
    int Pos() const { return FPosition; }
    int Length() const { return static_cast<int>(FText.size()); }
    const std::string& Text() const { return FText; }
    // True for an empty text or when the position has passed the last character.
    bool AtEnd() const { return FText.empty() || FPosition > Length() || FPosition < 1; }
    // The character at the position; 0 past the end or for an empty text.
    char CurChar() const { return AtEnd() ? '\0' : FText[static_cast<size_t>(FPosition - 1)]; }
    // Advances, stopping one past the last character.
    void Next()
    {
        if (FPosition <= Length())
            ++FPosition;
    }

private:
    std::string FText;
    int FPosition = 0;
};
