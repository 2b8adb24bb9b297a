// libFuzzer target: expansion of arbitrary replacement texts, whose escapes and numbers the user types.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/model/Replacement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string out = ExpandReplacement(text, [](int n) {
        if (n < 1 || n > 255)
            std::abort();
        return std::string("e");
    });
    // Every character of the result comes from one or more characters of the text.
    if (out.size() > text.size())
        std::abort();
    return 0;
}
