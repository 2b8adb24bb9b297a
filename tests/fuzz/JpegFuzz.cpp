// libFuzzer target: the JPEG decoder over arbitrary bytes; every failure must arrive as an exception.
#include <cstdint>
#include <cstdlib>

#include "components/JpegDecode.h"
#include "platform/core/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TJpegPicture picture = DecodeJpeg(data, size);
        const TRgbImage& image = picture.Image;
        if (image.Pixels.size() != static_cast<size_t>(image.Width) * image.Height * 3)
            std::abort();
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
