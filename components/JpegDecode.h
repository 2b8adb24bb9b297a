// JPEG pictures decoded through libjpeg into plain RGB pixels, with libjpeg's failures raised as exceptions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/core/KrGraph.h"

struct TJpegPicture {
    TRgbImage Image;
    // libjpeg warned (a file cut short, damaged data): the picture shows what it could decode.
    bool Corrupted = false;
};

// Raises EInvalidGraphic with libjpeg's message when the data cannot be decoded, and with the
// corrupt-data text when the bitmap would pass 256 MB.
TJpegPicture DecodeJpeg(const uint8_t* data, size_t size);
