// libFuzzer target: an editor settings stream from arbitrary bytes; what loads saves the same way twice.
#include <cstdint>
#include <vector>

#include "editor/model/Settings.h"
#include "platform/core/Classes.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

std::vector<uint8_t> saved(const TSM_Settings& settings)
{
    TMemoryStream stream;
    settings.SaveToStream(stream);
    return stream.Bytes();
}

} // namespace

// Input: a byte whose low bit picks the stream version without the gutter font block, then the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t version = (data[0] & 1) ? TSM_Settings::kGutterFontVersion - 1 : TSM_Settings::kDefaultStreamVersion;
    TSM_Settings first;
    first.StreamVersion = version;
    try {
        TCustomMemoryStream stream(data + 1, static_cast<int64_t>(size - 1));
        first.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    const std::vector<uint8_t> once = saved(first);
    TSM_Settings second;
    second.StreamVersion = version;
    TCustomMemoryStream again(once.data(), static_cast<int64_t>(once.size()));
    second.LoadFromStream(again);
    check(saved(second) == once);
    return 0;
}
