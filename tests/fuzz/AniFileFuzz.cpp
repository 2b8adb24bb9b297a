// libFuzzer target: the animated cursor chunk walk over arbitrary bytes, icon images decoded by a stand-in.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "components/core/AniFile.h"
#include "platform/core/Classes.h"

namespace {

struct TStubIcon : TIconImage {
    int W = 0, H = 0;
    int Width() const override { return W; }
    int Height() const override { return H; }
    std::unique_ptr<TIconImage> Clone() const override { return std::make_unique<TStubIcon>(*this); }
};

// Takes the size from the first directory entry, and refuses some images so the failure path runs.
class TStubLoader : public TIconImageLoader {
public:
    std::unique_ptr<TIconImage> Load(const std::vector<uint8_t>& iconFile) const override
    {
        if (iconFile.size() < 8 || iconFile[6] == 0xFF)
            return nullptr;
        if (iconFile[7] == 0xFF)
            throw EInvalidGraphic("refused");
        auto icon = std::make_unique<TStubIcon>();
        icon->W = iconFile[6];
        icon->H = iconFile[7];
        return icon;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TAnimatedCursorData cursor;
    TCustomMemoryStream in(data, static_cast<int64_t>(size));
    try {
        cursor.ReadAnimatedCursor(in, TStubLoader());
    } catch (const EReadError&) {
        return 0;
    }
    // Every frame kept has its own icon; no chunk can make more frames than the bytes could describe.
    if (cursor.GetCount() == 0 || static_cast<size_t>(cursor.GetCount()) > size / 4 ||
        cursor.Header().StepCount != static_cast<uint32_t>(cursor.GetCount()) ||
        cursor.Title().size() > TAnimatedCursorData::kMaxText || cursor.Author().size() > TAnimatedCursorData::kMaxText)
        std::abort();
    for (int i = 0; i < cursor.GetCount(); ++i) {
        if (!cursor.GetFrame(i).Icon)
            std::abort();
        for (int j = 0; j < i; ++j)
            if (cursor.GetFrame(i).Icon == cursor.GetFrame(j).Icon)
                std::abort();
    }
    TAnimatedCursorData copy(cursor);
    if (copy.GetCount() != cursor.GetCount() || copy.Title() != cursor.Title())
        std::abort();
    return 0;
}
