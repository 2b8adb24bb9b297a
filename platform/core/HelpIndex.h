// THelpIndex: the keyword and context lists of a folder of help pages, and the page each help request leads to.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The requests of the help engine, numbered as the system's help numbers them.
constexpr unsigned HELP_CONTEXT = 0x0001;
constexpr unsigned HELP_QUIT = 0x0002;
constexpr unsigned HELP_CONTEXTPOPUP = 0x0008;
constexpr unsigned HELP_FINDER = 0x000B;
constexpr unsigned HELP_KEY = 0x0101;
constexpr unsigned HELP_PARTIALKEY = 0x0105;

// A list is one entry a line, "key=page" (Windows-1252 text); blank lines, lines starting with ";"
// and lines without "=" or without a key or page are passed over. Keys and pages are trimmed.
class THelpIndex {
public:
    static constexpr const char* kIndexPage = "index.html";

    void LoadKeywords(std::string_view text) { FKeywords = parsed(text); }
    void LoadContexts(std::string_view text) { FContexts = parsed(text); }
    const std::vector<std::pair<std::string, std::string>>& Keywords() const { return FKeywords; }
    const std::vector<std::pair<std::string, std::string>>& Contexts() const { return FContexts; }

    // The page a request shows: the finder the index; a key the page of the keyword equal to it (HELP_KEY)
    // or of the first keyword starting with it (HELP_PARTIALKEY), compared without case, else the index;
    // a context number its page, else the index. HELP_QUIT and unknown requests show nothing ("").
    std::string PageFor(unsigned command, std::string_view key, int context) const;

private:
    static std::vector<std::pair<std::string, std::string>> parsed(std::string_view text);
    std::vector<std::pair<std::string, std::string>> FKeywords;
    std::vector<std::pair<std::string, std::string>> FContexts;
};
