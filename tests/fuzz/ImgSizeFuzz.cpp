// libFuzzer target: the GIF, JPEG and PNG header readers over arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/host/ImgSize.h"
#include "platform/core/Classes.h"

// The picture reader is the platform's; the header readers never call it.
bool GetPictureSize(const std::string&, int&, int&)
{
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (auto reader : {GetGIFSize, GetJPEGSize, GetPNGSize}) {
        TCustomMemoryStream stream(data, static_cast<int64_t>(size));
        uint16_t width = 1, height = 1;
        const bool ok = reader(stream, width, height);
        // A read succeeds exactly when it found a height.
        if (ok != (height != 0))
            std::abort();
        if (stream.GetPosition() > static_cast<int64_t>(size))
            std::abort();
    }
    return 0;
}
