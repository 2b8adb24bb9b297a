// libFuzzer target: a string holder's "StrData" list read from arbitrary bytes, then written and read again.
#include <cstdint>
#include <cstdlib>

#include "components/core/StrData.h"
#include "platform/core/Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCustomMemoryStream in(data, static_cast<int64_t>(size));
    TStrData read;
    try {
        read = ReadStrData(in);
    } catch (const EReadError&) {
        return 0;
    }
    // Each string takes at least two bytes, so no list can hold more lines than the bytes allow.
    if (read.Lines.size() > size / 2 || (!read.Key && !read.Lines.empty()))
        std::abort();
    if (!read.Key)
        return 0;
    TStringList lines;
    for (const std::string& line : read.Lines)
        lines.Add(line);
    TMemoryStream out;
    WriteStrData(out, *read.Key, lines);
    out.SetPosition(0);
    const TStrData again = ReadStrData(out);
    if (again.Key != read.Key || again.Lines != read.Lines || out.Remaining() != 0)
        std::abort();
    return 0;
}
