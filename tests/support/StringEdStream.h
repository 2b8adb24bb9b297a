// The editor's character-stream interface over a plain string, for tests, benchmarks and fuzz targets.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "editor/model/LineStore.h"

// Moves as TEdStream does: SetPos reports any position asked for, reading stops at the text's end
// and reads 0 there, Next and Prev stop at both ends. The text is not copied.
class TStringEdStream : public TCustomEdStream {
public:
    explicit TStringEdStream(std::string_view text, int64_t position = 0) : FText(text) { SetPos(position); }

    int64_t Read(void* buffer, int64_t count) override
    {
        const int64_t n = std::clamp<int64_t>(size() - FPos, 0, std::max<int64_t>(count, 0));
        if (n > 0)
            std::memcpy(buffer, FText.data() + FPos, static_cast<size_t>(n));
        FPos += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { throw EStreamError("read-only"); }
    int64_t Seek(int64_t offset, int origin) override
    {
        if (origin == soFromBeginning)
            SetPos(offset);
        else if (origin == soFromCurrent)
            SetPos(FPos + offset);
        else if (origin == soFromEnd)
            SetPos(size() - offset);
        return FPos;
    }
    int64_t GetSize() override { return size(); }

    char CurrentChar() override { return FPos >= 0 && FPos < size() ? FText[static_cast<size_t>(FPos)] : '\0'; }
    int64_t GetPos() override { return FPos; }
    void SetPos(int64_t newPos) override { FPos = newPos; }
    bool AtEnd() override { return FPos >= size(); }
    void Next() override
    {
        if (FPos < size())
            ++FPos;
    }
    void Prev() override
    {
        if (FPos > 0)
            --FPos;
    }

private:
    int64_t size() const { return static_cast<int64_t>(FText.size()); }
    std::string_view FText;
    int64_t FPos = 0;
};
