// libFuzzer target: stored property texts read back from the registry (floats, sets, counts, references, list lines).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "components/core/PropText.h"
#include "platform/core/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    double value = 0;
    if (ParseStoredFloat(text, value)) {
        double back = 0;
        // A stored float of 17 digits reads back exactly, NaN aside.
        if (!ParseStoredFloat(StoredFloatText(value, 17), back) || (back != value && value == value))
            std::abort();
    }

    static const char* const names[] = {"a", "b", "c", "dd", "e"};
    auto bitOf = [](std::string_view word) {
        for (int i = 0; i < 5; ++i)
            if (SameText(word, names[i]))
                return i * 7; // reaches past bit 31, which must be ignored
        return -1;
    };
    const uint32_t members = ParseStoredSet(text, bitOf);
    if (members & ~((1u << 0) | (1u << 7) | (1u << 14) | (1u << 21) | (1u << 28)))
        std::abort();

    if (ParseStoredCount(text) < 0)
        std::abort();

    const TStoredReference reference = ParseStoredReference(text);
    if (reference.Null && (!reference.Owner.empty() || !reference.Name.empty()))
        std::abort();
    if (reference.Owner.size() + reference.Name.size() > size)
        std::abort();

    std::string component, property;
    if (SplitStoredItem(text, component, property)) {
        if (component.empty() || property.empty() || component.find('.') != std::string::npos)
            std::abort();
        std::string c2, p2;
        if (!SplitStoredItem(JoinStoredItem(component, property), c2, p2) || c2 != component || p2 != property)
            std::abort();
    }
    return 0;
}
