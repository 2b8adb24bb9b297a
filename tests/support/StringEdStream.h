// The editor's character-stream interface over a plain string, for tests, benchmarks and fuzz targets.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "editor/model/LineStore.h"
#include "tests/support/StringCursor.h"

// The string cursor's moves behind the stream interface the search engines read through. The text is
// not copied.
class TStringEdStream : public TCustomEdStream {
public:
    explicit TStringEdStream(std::string_view text, int64_t position = 0) : FText(text), FCursor(text, position) {}

    int64_t Read(void* buffer, int64_t count) override
    {
        const int64_t from = FCursor.GetPos();
        const int64_t n = std::clamp<int64_t>(static_cast<int64_t>(FText.size()) - from, 0, std::max<int64_t>(count, 0));
        if (n > 0)
            std::memcpy(buffer, FText.data() + from, static_cast<size_t>(n));
        FCursor.SetPos(from + n);
        return n;
    }
    int64_t Write(const void*, int64_t) override { throw EStreamError("read-only"); }
    int64_t Seek(int64_t offset, int origin) override
    {
        if (origin == soFromBeginning)
            FCursor.SetPos(offset);
        else if (origin == soFromCurrent)
            FCursor.SetPos(FCursor.GetPos() + offset);
        else if (origin == soFromEnd)
            FCursor.SetPos(static_cast<int64_t>(FText.size()) - offset);
        return FCursor.GetPos();
    }
    int64_t GetSize() override { return static_cast<int64_t>(FText.size()); }

    char CurrentChar() override { return FCursor.CurrentChar(); }
    int64_t GetPos() override { return FCursor.GetPos(); }
    void SetPos(int64_t newPos) override { FCursor.SetPos(newPos); }
    bool AtEnd() override { return FCursor.AtEnd(); }
    void Next() override { FCursor.Next(); }
    void Prev() override { FCursor.Prev(); }

private:
    std::string_view FText;
    TStringCursor FCursor;
};
