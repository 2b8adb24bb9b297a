// Test helper: the table image inside a parser's stored tables, unpacked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "highlight/Compressor.h"
#include "platform/core/Classes.h"

// `property` holds the version word, the image length and the packed image; the result is the image.
inline std::vector<uint8_t> UnpackTablesImage(const void* property, size_t size)
{
    constexpr size_t kHeader = 6; // version word and image length
    TCustomMemoryStream input(static_cast<const uint8_t*>(property) + kHeader, static_cast<int64_t>(size - kHeader));
    TMemoryStream output;
    TCompressor compressor;
    compressor.UseStreams = true;
    compressor.InputStream = &input;
    compressor.OutputStream = &output;
    compressor.Decompress();
    return output.Bytes();
}
