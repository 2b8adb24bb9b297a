// libFuzzer target: a help folder's keyword and context lists read from untrusted bytes, then every request asked for.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/HelpIndex.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    THelpIndex index;
    index.LoadKeywords(text);
    index.LoadContexts(text);
    for (const auto& [key, page] : index.Keywords()) {
        // An entry is a trimmed piece of one line.
        check(!key.empty() && !page.empty() && key.size() + page.size() < size);
        check(key.find('\n') == std::string::npos && page.find('\n') == std::string::npos);
        // Its own key finds a page, and the first keyword equal to it wins.
        check(!index.PageFor(HELP_KEY, key, 0).empty());
        check(!index.PageFor(HELP_PARTIALKEY, key.substr(0, 1), 0).empty());
    }
    const std::string key(text.substr(0, 16));
    check(!index.PageFor(HELP_PARTIALKEY, key, 0).empty());
    check(index.PageFor(HELP_QUIT, key, 0).empty());
    check(!index.PageFor(HELP_CONTEXT, "", static_cast<int>(size)).empty());
    return 0;
}
