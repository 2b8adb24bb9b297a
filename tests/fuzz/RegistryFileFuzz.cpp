// Feeds arbitrary bytes to the settings store's file reader; whatever it reads must write back to a
// text that reads again to the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/core/RegistryTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace registry_detail;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Key roots[kRootCount];
    int badLine = 0;
    if (!readStoreText(text, roots, badLine))
        return 0;
    const std::string written = storeText(roots);
    Key again[kRootCount];
    if (!readStoreText(written, again, badLine) || storeText(again) != written)
        std::abort();
    // Names and texts hold a held character as the character: the file never holds the mark's byte
    // (a 0x1F that begins none is escaped).
    if (written.find('\x1F') != std::string::npos)
        std::abort();
    return 0;
}
