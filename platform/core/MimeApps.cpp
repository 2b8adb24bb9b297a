// The user's MIME associations list (mimeapps.list), edited one entry at a time.
#include "platform/core/MimeApps.h"

#include <utility>
#include <vector>

#include "platform/core/SysUtils.h"

namespace {

// The pieces of `text` between separators; a separator at the end starts no further piece.
std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

} // namespace

std::string EditMimeApps(const std::string& text, const std::string& group, const std::string& mime,
    const std::string& entry, bool add)
{
    std::vector<std::string> lines = split(text, '\n');
    const std::string header = "[" + group + "]";
    // The group's lines for the type, each with whether it names the entry.
    std::vector<std::pair<size_t, bool>> matches;
    bool named = false;
    bool inGroup = false;
    size_t groupEnd = std::string::npos; // where a new line of the group goes
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (!line.empty() && line[0] == '[') {
            inGroup = line == header;
            if (inGroup)
                groupEnd = i + 1;
            continue;
        }
        if (!inGroup)
            continue;
        if (!line.empty())
            groupEnd = i + 1;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || Trim(line.substr(0, equals)) != mime)
            continue;
        bool holds = false;
        for (const std::string& e : split(line.substr(equals + 1), ';'))
            holds = holds || Trim(e) == entry;
        matches.emplace_back(i, holds);
        named = named || holds;
    }
    if (add == named)
        return text;
    if (add) {
        if (!matches.empty()) {
            // Appended to the first line for the type, which otherwise keeps its bytes.
            std::string& line = lines[matches.front().first];
            line.erase(line.find_last_not_of(" \t\r") + 1);
            if (line.back() != ';' && line.find('=') + 1 != line.size())
                line += ';';
            line += entry + ";";
        } else if (groupEnd == std::string::npos) {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.push_back("");
            lines.push_back(header);
            lines.push_back(mime + "=" + entry + ";");
        } else {
            lines.insert(lines.begin() + static_cast<long>(groupEnd), mime + "=" + entry + ";");
        }
    } else {
        // Every line naming the entry loses it, from the last so that the indexes hold; a line left
        // without entries goes.
        for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
            if (!match->second)
                continue;
            const std::string line = Trim(lines[match->first]);
            std::string joined;
            for (const std::string& e : split(line.substr(line.find('=') + 1), ';'))
                if (!Trim(e).empty() && Trim(e) != entry)
                    joined += e + ";";
            if (joined.empty())
                lines.erase(lines.begin() + static_cast<long>(match->first));
            else
                lines[match->first] = mime + "=" + joined;
        }
    }
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    return result;
}
