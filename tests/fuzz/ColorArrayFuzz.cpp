// libFuzzer target: a colour grid reading arbitrary form-file properties, and custom-colour lines.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/model/ColorArray.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // As properties: either an error that leaves the grid as it was, or a grid that writes and reads
    // back equal.
    {
        TColorArrayClass grid(4, 5);
        grid.SetColor(4, 5, 0x123456);
        TCustomMemoryStream in(data, static_cast<int64_t>(size));
        try {
            grid.ReadProperties(in);
        } catch (const EReadError&) {
            if (grid.XSize() != 4 || grid.YSize() != 5 || grid.GetColor(4, 5) != 0x123456)
                std::abort();
        }
        if (static_cast<int64_t>(grid.XSize()) * grid.YSize() > TColorArrayClass::kMaxStreamedCells)
            std::abort();
        TMemoryStream out;
        grid.WriteProperties(out);
        TColorArrayClass again;
        out.SetPosition(0);
        again.ReadProperties(out);
        if (!again.Equals(&grid))
            std::abort();
    }
    // As custom-colour lines: every cell is read or left alone, never written out of the grid.
    {
        TStringList lines;
        lines.SetText(std::string(reinterpret_cast<const char*>(data), size));
        TColorArrayClass custom(8, 2);
        ReadCustomColorLines(custom, lines);
    }
    return 0;
}
