// ImgSize: the width and height of a picture file, read from its header without decoding it.
#include "app/host/ImgSize.h"

#include <algorithm>

#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

bool readByte(TStream& stream, uint8_t& value)
{
    return stream.Read(&value, 1) == 1;
}

uint16_t littleEndianWord(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Moves `count` bytes on; False when the stream ends before.
bool skipBytes(TStream& stream, int64_t count)
{
    if (count > stream.Remaining())
        return false;
    stream.Seek(count, soFromCurrent);
    return true;
}

bool found(uint16_t foundWidth, uint16_t foundHeight, uint16_t& width, uint16_t& height)
{
    width = foundWidth;
    height = foundHeight;
    return height != 0;
}

// Steps over the data sub-blocks of an extension, each a length byte and that many bytes, up to the
// empty one that ends them. False when the stream ends inside.
bool skipSubBlocks(TStream& stream)
{
    for (;;) {
        uint8_t length = 0;
        if (!readByte(stream, length))
            return false;
        if (length == 0)
            return true;
        if (!skipBytes(stream, length))
            return false;
    }
}

// The start-of-frame markers of every coding process: baseline, extended, progressive and lossless,
// with Huffman or arithmetic coding, single or differential. C4 (Huffman tables), C8 (reserved) and
// CC (arithmetic conditioning) share the range but carry no frame.
bool isFrameMarker(uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

constexpr uint8_t kGIFExtension = 0x21;
constexpr uint8_t kGIFImageSeparator = 0x2C;
constexpr uint8_t kGIFTrailer = 0x3B;

} // namespace

bool ReadWordBE(TStream& stream, uint16_t& value)
{
    uint8_t bytes[2];
    if (stream.Read(bytes, 2) != 2)
        return false;
    value = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
    return true;
}

bool GetGIFSize(TStream& stream, uint16_t& width, uint16_t& height)
{
    width = height = 0;
    uint8_t header[13];
    if (stream.Read(header, sizeof header) != sizeof header || header[0] != 'G' || header[1] != 'I' || header[2] != 'F')
        return false;
    const uint8_t packed = header[10];
    if ((packed & 0x80) != 0 && !skipBytes(stream, 3 * (int64_t{2} << (packed & 7))))
        return false;
    // Extensions are stepped over by their lengths: a comment or application block may hold any
    // byte, the separator's value included.
    for (;;) {
        uint8_t introducer = 0;
        if (!readByte(stream, introducer) || introducer == kGIFTrailer)
            return false;
        if (introducer == kGIFImageSeparator)
            break;
        if (introducer == kGIFExtension) {
            uint8_t label = 0;
            if (!readByte(stream, label) || !skipSubBlocks(stream))
                return false;
        }
        // Any other byte is stray padding and is passed over.
    }
    uint8_t descriptor[9];
    if (stream.Read(descriptor, sizeof descriptor) != sizeof descriptor)
        return false;
    return found(littleEndianWord(descriptor + 4), littleEndianWord(descriptor + 6), width, height);
}

bool GetJPEGSize(TStream& stream, uint16_t& width, uint16_t& height)
{
    width = height = 0;
    uint8_t start[2];
    if (stream.Read(start, 2) != 2 || start[0] != 0xFF || start[1] != 0xD8)
        return false;
    for (;;) {
        uint8_t marker = 0;
        if (!readByte(stream, marker) || marker != 0xFF)
            return false;
        while (marker == 0xFF)
            if (!readByte(stream, marker))
                return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        uint16_t length = 0;
        if (!ReadWordBE(stream, length))
            return false;
        if (isFrameMarker(marker)) {
            uint8_t precision = 0;
            uint16_t frameHeight = 0, frameWidth = 0;
            if (!readByte(stream, precision) || !ReadWordBE(stream, frameHeight) || !ReadWordBE(stream, frameWidth))
                return false;
            return found(frameWidth, frameHeight, width, height);
        }
        // The length counts its own two bytes; a smaller one would walk backwards.
        if (length < 2 || !skipBytes(stream, length - 2))
            return false;
    }
}

bool GetPNGSize(TStream& stream, uint16_t& width, uint16_t& height)
{
    width = height = 0;
    static constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    uint8_t header[24];
    if (stream.Read(header, sizeof header) != sizeof header || !std::equal(kSignature, kSignature + 8, header))
        return false;
    // The low halves of the 32-bit big-endian width and height.
    const auto word = [&](int at) { return static_cast<uint16_t>((header[at] << 8) | header[at + 1]); };
    return found(word(18), word(22), width, height);
}

bool GetImageSize(const std::string& fileName, uint16_t& width, uint16_t& height)
{
    width = height = 0;
    if (!FileExists(fileName))
        return false;
    const std::string extension = AnsiLowerCase(ExtractFileExt(fileName));
    using TReader = bool (*)(TStream&, uint16_t&, uint16_t&);
    TReader reader = nullptr;
    if (extension == ".gif")
        reader = GetGIFSize;
    else if (extension == ".jpg" || extension == ".jpeg")
        reader = GetJPEGSize;
    else if (extension == ".png")
        reader = GetPNGSize;
    if (reader) {
        try {
            TFileStream stream(fileName, fmOpenRead);
            return reader(stream, width, height);
        } catch (const Exception&) {
            return false;
        }
    }
    if (extension == ".bmp" || extension == ".ico" || extension == ".wmf" || extension == ".emf") {
        int pictureWidth = 0, pictureHeight = 0;
        if (!GetPictureSize(fileName, pictureWidth, pictureHeight))
            return false;
        // The sizes travel as 16-bit values; a larger picture is reported at the largest.
        return found(static_cast<uint16_t>(std::clamp(pictureWidth, 0, 0xFFFF)),
                     static_cast<uint16_t>(std::clamp(pictureHeight, 0, 0xFFFF)), width, height);
    }
    return false;
}
