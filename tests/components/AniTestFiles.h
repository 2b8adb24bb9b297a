// Builders of animated cursor files (RIFF chunks, icons and cursors) shared by the component tests.
#pragma once

#include <QColor>
#include <cstdint>
#include <string>
#include <vector>

namespace anitest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

inline Bytes chunk(const std::string& tag, const Bytes& data)
{
    Bytes b(tag.begin(), tag.end());
    put32(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2)
        b.push_back(0);
    return b;
}

inline Bytes list(const std::string& type, const std::vector<Bytes>& chunks)
{
    Bytes data(type.begin(), type.end());
    for (const Bytes& c : chunks)
        data.insert(data.end(), c.begin(), c.end());
    return chunk("LIST", data);
}

inline Bytes riff(const std::vector<Bytes>& chunks)
{
    Bytes data{'A', 'C', 'O', 'N'};
    for (const Bytes& c : chunks)
        data.insert(data.end(), c.begin(), c.end());
    return chunk("RIFF", data);
}

inline Bytes anih(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags)
{
    Bytes b;
    for (uint32_t v : {36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags})
        put32(b, v);
    return chunk("anih", b);
}

inline Bytes value32(const std::string& tag, const std::vector<uint32_t>& values)
{
    Bytes b;
    for (uint32_t v : values)
        put32(b, v);
    return chunk(tag, b);
}

// An icon file of one 8-bit image of `size` pixels square, all of palette colour 1.
inline Bytes iconFile(QRgb color, int size = 16)
{
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 1);
    const uint32_t xorBytes = size * size, andBytes = ((size + 31) / 32 * 4) * size;
    const uint32_t imageSize = 40 + 1024 + xorBytes + andBytes;
    b.push_back(static_cast<uint8_t>(size));
    b.push_back(static_cast<uint8_t>(size));
    b.push_back(0);
    b.push_back(0);
    put16(b, 1);
    put16(b, 8);
    put32(b, imageSize);
    put32(b, 22);
    put32(b, 40);
    put32(b, size);
    put32(b, 2 * size);
    put16(b, 1);
    put16(b, 8);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    for (int i = 0; i < 256; ++i)
        put32(b, i == 1 ? (qBlue(color) | (qGreen(color) << 8) | (qRed(color) << 16)) : 0);
    b.insert(b.end(), xorBytes, 1);
    b.insert(b.end(), andBytes, 0);
    return b;
}

// The same image as a cursor with its hot spot.
inline Bytes cursorFile(QRgb color, int hotX, int hotY)
{
    Bytes b = iconFile(color);
    b[2] = 2;
    b[6 + 4] = static_cast<uint8_t>(hotX);
    b[6 + 5] = 0;
    b[6 + 6] = static_cast<uint8_t>(hotY);
    b[6 + 7] = 0;
    return b;
}

inline const QRgb kColors[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

inline Bytes threeFrameFile()
{
    return riff({anih(3, 3, 10, 1), value32("rate", {20, 30, 40}),
                 list("INFO", {chunk("INAM", Bytes{'S', 'p', 'i', 'n', 0}), chunk("IART", Bytes{'A', 'n', 'a'})}),
                 list("fram", {chunk("icon", iconFile(kColors[0])), chunk("icon", iconFile(kColors[1])),
                               chunk("icon", iconFile(kColors[2]))})});
}

} // namespace anitest
