// Texts the editor's tests share.
#pragma once

#include <string>

#include "platform/core/SysUtils.h"

// `count` lines "line N" (numbered from 0), each ending with a line break but the last; with a
// width, each line is padded with dots to that many characters.
inline std::string numberedLines(int count, int width = 0)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = Format("line %d", i);
        if (width > 0)
            line.resize(static_cast<size_t>(width), '.');
        text += line + (i + 1 < count ? "\r\n" : "");
    }
    return text;
}
