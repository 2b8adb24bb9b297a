// libFuzzer target: TCompressor expanding arbitrary bytes, and packing them back and forth.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "highlight/Compressor.h"

namespace {

TCompressor streamCompressor(TStream& in, TStream& out, uint8_t method)
{
    TCompressor c;
    c.UseStreams = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.Method = method;
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // As packed input: either an error or exactly the size its header announces.
    {
        TCustomMemoryStream in(data, static_cast<int64_t>(size));
        TMemoryStream out;
        TCompressor c = streamCompressor(in, out, TCompressor::MethodLZRW1KH);
        try {
            const int64_t written = c.Decompress();
            uint32_t declared = 0;
            for (int i = 0; i < 4; ++i)
                declared |= static_cast<uint32_t>(data[4 + i]) << (8 * i);
            if (written != out.GetSize() || written != static_cast<int64_t>(declared))
                std::abort();
        } catch (const ECompressorException&) {
        }
    }
    // As plain input: both methods give it back unchanged.
    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF}) {
        TCustomMemoryStream in(data, static_cast<int64_t>(size));
        TMemoryStream packed;
        streamCompressor(in, packed, method).Compress();
        packed.SetPosition(0);
        TMemoryStream restored;
        streamCompressor(packed, restored, method).Decompress();
        if (restored.GetSize() != static_cast<int64_t>(size) ||
            (size > 0 && std::memcmp(restored.Memory(), data, size) != 0))
            std::abort();
    }
    return 0;
}
