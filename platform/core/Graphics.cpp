// System colour palette: the classic desktop scheme, so that colours stay the same on every machine.
#include "platform/core/Graphics.h"

namespace {

const uint32_t kSystemColours[25] = {
    0xC8D0D4, // scroll bar
    0xA56E3A, // desktop
    0x6A240A, // active caption
    0x808080, // inactive caption
    0xC8D0D4, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC8D0D4, // active border
    0xC8D0D4, // inactive border
    0x808080, // application workspace
    0x6A240A, // highlight
    0xFFFFFF, // highlight text
    0xC8D0D4, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC8D0D4, // inactive caption text
    0xFFFFFF, // button highlight
    0x404040, // 3-D dark shadow
    0xC8D0D4, // 3-D light
    0x000000, // tooltip text
    0xE1FFFF, // tooltip background
};

} // namespace

uint32_t ColorToRGB(TColor color)
{
    uint32_t c = static_cast<uint32_t>(color);
    if (c & 0x80000000u) {
        uint32_t index = c & 0xFF;
        return index < 25 ? kSystemColours[index] : 0;
    }
    return c & 0x00FFFFFF;
}
