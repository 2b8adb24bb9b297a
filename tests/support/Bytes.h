// Test helper: byte strings written as lists of numbers, and a small picture file made of them.
#pragma once

#include <initializer_list>
#include <string>

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

// The start of a 40 by 20 GIF, up to its first image's size: what a size reader needs.
inline std::string TinyGif()
{
    return "GIF89a" + Bytes({0x28, 0, 0x14, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0x28, 0, 0x14, 0, 0, 0});
}
