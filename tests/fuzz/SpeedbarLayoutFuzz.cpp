// libFuzzer target: the button entries of a stored speed bar layout read from an untrusted INI text, written back and read again; the docking and resizing geometry on any numbers.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "components/core/SpeedbarLayout.h"
#include "platform/core/IniFile.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte is the number of items on the bar; the rest is the file.
    const int items = data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    TIniFile ini = TIniFile::FromText(text);
    const auto entries = ReadSpeedbarEntries(TIniObject(&ini), "Bar", items);
    check(static_cast<int>(entries.size()) <= items);
    for (const TSpeedbarEntry& entry : entries)
        check(!entry.Name.empty() && entry.Name.find_first_of(", ") == std::string::npos);

    TIniFile out = TIniFile::FromText("");
    WriteSpeedbarEntries(TIniObject(&out), "Bar", entries);
    TIniFile back = TIniFile::FromText(out.Text());
    const auto again = ReadSpeedbarEntries(TIniObject(&back), "Bar", items);
    check(again.size() == entries.size());
    for (size_t i = 0; i < again.size(); ++i)
        check(again[i].Name == entries[i].Name && again[i].Left == entries[i].Left.value_or(0) &&
              again[i].Top == entries[i].Top.value_or(0));

    // The grid never divides by zero nor overflows, whatever the sizes.
    const int value = static_cast<int>(size * 7919) - 100000;
    for (int s = 0; s < 4 && static_cast<size_t>(s + 1) < size; ++s) {
        const int step = SpeedbarGridStep(data[s + 1]);
        check(step >= 1 && (data[s + 1] == 0 || data[s + 1] % step == 0));
        SpeedbarSnap(value, data[s + 1], step, s % 2);
    }

    // Docking and resizing take any pointer and sizes: an edge always comes out, and a thickness no
    // larger than the parent.
    int32_t v[9];
    if (size >= 1 + sizeof v) {
        std::memcpy(v, data + size - sizeof v, sizeof v);
        const auto edge = static_cast<TSpeedbarEdge>(1 + (v[0] & 3));
        const TSpeedbarEdge at = SpeedbarEdgeAt(v[1], v[2], v[3], v[4], edge);
        check(at >= seTop && at <= seRight);
        SpeedbarOnSizingEdge(edge, v[1], v[2], v[3], v[4]);
        const TSpeedbarMetrics metrics{v[5], v[6], v[7], v[8]};
        check(SpeedbarResizedThickness(edge, v[1], v[2], v[3], v[4], metrics, v[0]) <= v[0]);
    }
    return 0;
}
