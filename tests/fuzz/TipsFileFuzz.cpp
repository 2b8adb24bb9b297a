// libFuzzer target: an untrusted tips file read into its tips.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/model/TipsFile.h"
#include "platform/core/CharacterReferences.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> tips = ReadTipsText(bytes);
    size_t total = 0;
    for (const std::string& tip : tips) {
        // Each tip is one trimmed, non-empty line without control characters but the marks of its
        // held characters, each beginning one.
        check(!tip.empty() && tip.front() != ' ' && tip.back() != ' ');
        for (size_t i = 0; i < tip.size(); ++i) {
            char32_t cp;
            check(static_cast<unsigned char>(tip[i]) >= 32 ||
                  (tip[i] == kHeldCharacterMark && ReadHeldCharacter(tip, i, cp) != 0));
        }
        total += tip.size();
    }
    // A reference takes at most four characters for each byte of its character.
    check(total <= 4 * size);
    // Each tip but the last ends at a line break.
    check(tips.size() <= size / 2 + 1);
    return 0;
}
