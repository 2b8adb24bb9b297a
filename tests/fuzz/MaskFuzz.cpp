// Fuzz target for mask lists typed by the user and for mount tables read from the system: the input
// is split into a mask text, a name and a table, each parsed and matched.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "components/core/MaskSearch.h"
#include "platform/core/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t first = input.find('\n');
    std::string_view masks = input.substr(0, first);
    std::string_view rest = first == std::string_view::npos ? std::string_view() : input.substr(first + 1);
    size_t second = rest.find('\n');
    std::string_view name = rest.substr(0, second);
    std::string_view table = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);

    for (int flags = 0; flags < 4; ++flags) {
        TPatternList list;
        ParseMaskList(masks, list, flags & 1, flags & 2);
        MatchesMaskList(name, list, flags & 1, flags & 2);
        for (int i = 0; i < list.Count(); ++i)
            MatchesMask(name, list[i], flags & 2);
    }
    MatchesMask(name, masks, false);
    MatchesMask(name, masks, true);
    auto mounts = ParseMountTable(table);
    DrivesFromMounts(mounts, std::string(name), {});
    return 0;
}
