// THelpIndex: the keyword and context lists of a folder of help pages, and the page each help request leads to.
#include "platform/core/HelpIndex.h"

#include <string>

#include "platform/core/SysUtils.h"

std::vector<std::pair<std::string, std::string>> THelpIndex::parsed(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> entries;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = TrimView(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string key = Trim(line.substr(0, equals));
        std::string page = Trim(line.substr(equals + 1));
        if (!key.empty() && !page.empty())
            entries.emplace_back(std::move(key), std::move(page));
    }
    return entries;
}

std::string THelpIndex::PageFor(unsigned command, std::string_view key, int context) const
{
    switch (command) {
    case HELP_FINDER:
        return kIndexPage;
    case HELP_KEY:
    case HELP_PARTIALKEY: {
        const std::string_view wanted = TrimView(key);
        if (wanted.empty())
            return kIndexPage;
        for (const auto& [keyword, page] : FKeywords) {
            const bool found = command == HELP_KEY ? AnsiSameText(keyword, wanted)
                                                   : keyword.size() >= wanted.size() &&
                                                         AnsiSameText(std::string_view(keyword).substr(0, wanted.size()), wanted);
            if (found)
                return page;
        }
        return kIndexPage;
    }
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP:
        for (const auto& [number, page] : FContexts)
            if (number == std::to_string(context))
                return page;
        return kIndexPage;
    default:
        return {};
    }
}
