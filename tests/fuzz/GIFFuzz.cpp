// libFuzzer target: the GIF reader over arbitrary bytes, every frame decoded, and what was read written and read again.
#include <cstdint>
#include <cstdlib>

#include "components/core/KrGIF.h"
#include "platform/core/Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TGIFFile file;
    try {
        ReadGIF(data, size, file);
    } catch (const Exception&) {
        return 0;
    }
    std::vector<TGIFFrameRecord*> frames;
    for (TGIFFrameRecord& frame : file.Frames) {
        try {
            bool corrupted = false;
            std::vector<uint8_t> bmp = DecodeFrame(frame, corrupted);
            const TGIFItem& item = *frame.Image;
            if (!bmp.empty() && bmp.size() < 54 + static_cast<size_t>(item.Width) * item.Height / 8)
                std::abort();
        } catch (const EInvalidGraphicOperation&) {
        }
        if (!frame.Corrupted && !frame.Image->ImageData.empty())
            frames.push_back(&frame);
    }
    if (frames.empty())
        return 0;
    // Whatever was read writes out, and the written file reads back with as many frames.
    TMemoryStream out;
    try {
        WriteGIF(out, file, frames);
    } catch (const EInvalidGraphicOperation&) {
        return 0;
    }
    TGIFFile again;
    ReadGIF(out.Bytes().data(), out.Bytes().size(), again);
    if (again.Frames.size() != frames.size())
        std::abort();
    return 0;
}
