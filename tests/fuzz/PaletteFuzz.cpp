// libFuzzer target: a palette file read from untrusted bytes; every colour it gives turns back into its item.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/Palette.h"
#include "platform/core/CharacterReferences.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<TPaletteColor> colors = ReadPalette(text);
    check(colors.size() <= size / 6);
    std::vector<std::string> items;
    for (const TPaletteColor& color : colors) {
        check(color.Code.size() == 6 && color.Item.size() == 9 && color.Item.substr(0, 3) == "$00");
        check(color.Name.find_first_of("\r\n") == std::string::npos);
        const TColor value = PaletteItemColor(color.Item);
        check(value >= 0 && value <= 0xFFFFFF);
        // The item the colour writes is the line's item, up to the case of its digits.
        items.assign(1, color.Item);
        check(FindPaletteItem(items, PaletteItem(value)) == 0);
        // The name's first character, a held one whole.
        char32_t held;
        const size_t length = color.Name.empty() ? 0 : std::max<size_t>(1, ReadHeldCharacter(color.Name, 0, held));
        const std::string_view first = color.Name.empty() ? std::string_view("x") : std::string_view(color.Name).substr(0, length);
        check(FindPaletteName({color.Name}, first) == (color.Name.empty() ? -1 : 0));
    }
    return 0;
}
