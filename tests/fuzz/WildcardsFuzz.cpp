// libFuzzer target: wildcard library text read into names (sorted, each once, written back and read again the same) and the fields extracted from a document.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/model/PanelItems.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TStringList names;
    WildcardNamesOf(text, names);
    for (int i = 0; i < names.Count(); ++i) {
        check(!names[i].empty());
        check(names[i].find_first_of("\r\n") == std::string::npos);
        check(i == 0 || AnsiCompareText(names[i - 1], names[i]) < 0);
    }
    // What is written reads back as the same list.
    TStringList again;
    WildcardNamesOf(names.Text(), again);
    check(again.Count() == names.Count());
    for (int i = 0; i < names.Count(); ++i)
        check(again[i] == names[i]);

    size_t at = 0;
    for (const std::string& field : ExtractWildcards(text)) {
        check(field.size() >= 4 && field.compare(0, 2, "{*") == 0);
        check(field.find("*}", 2) == field.size() - 2);
        at = text.find(field, at);
        check(at != std::string_view::npos);
        at += field.size();
    }
    const std::string name = WildcardName(text);
    check(name.find(' ') == std::string::npos);
    return 0;
}
