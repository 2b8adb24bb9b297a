// The user's MIME associations list (mimeapps.list), edited one entry at a time.
#include "platform/core/MimeApps.h"

#include <algorithm>
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

// Takes every piece of the line's value that names `entry` out of `line`, with the ";" that ends it;
// everything else keeps its bytes, the spacing and the line's CR included. False when the line is
// left without any entry.
bool removeEntry(std::string& line, const std::string& entry)
{
    const size_t valueStart = line.find('=') + 1;
    size_t end = line.size();
    if (end > valueStart && line[end - 1] == '\r')
        --end;
    // Each piece with the ";" that ends it, if any.
    std::vector<std::pair<size_t, size_t>> pieces;
    for (size_t start = valueStart; start < end;) {
        const size_t separator = line.find(';', start);
        const size_t pieceEnd = separator == std::string::npos || separator >= end ? end : separator;
        if (Trim(line.substr(start, pieceEnd - start)) == entry)
            pieces.emplace_back(start, std::min(pieceEnd + 1, end));
        start = pieceEnd + 1;
    }
    // From the last so that the positions still to erase hold.
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        line.erase(piece->first, piece->second - piece->first);
        end -= piece->second - piece->first;
    }
    for (size_t i = valueStart; i < end; ++i)
        if (line[i] != ';' && static_cast<unsigned char>(line[i]) > ' ')
            return true;
    return false;
}

} // namespace

std::string EditMimeApps(const std::string& text, const std::string& group, const std::string& mime,
    const std::string& entry, bool add)
{
    std::vector<std::string> lines = split(text, '\n');
    const std::string header = "[" + group + "]";
    // Lines we write end as the file's do.
    const bool crLines = text.find("\r\n") != std::string::npos;
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
    // Whether the text must end with a line break though the user's did not: the last line is then ours,
    // or one the user ended.
    bool keepFinalBreak = false;
    if (add) {
        if (!matches.empty()) {
            // Appended to the first line for the type, which otherwise keeps its bytes.
            std::string& line = lines[matches.front().first];
            const bool crEnded = !line.empty() && line.back() == '\r';
            line.erase(line.find_last_not_of(" \t\r") + 1);
            if (line.back() != ';' && line.find('=') + 1 != line.size())
                line += ';';
            line += entry + ";";
            if (crEnded)
                line += '\r';
        } else {
            const std::string cr = crLines ? "\r" : "";
            // A user's last line without its line break gets the file's before ours follow it.
            const bool openEnd = !text.empty() && text.back() != '\n';
            if (openEnd && (groupEnd == std::string::npos || groupEnd == lines.size()))
                lines.back() += cr;
            if (groupEnd == std::string::npos) {
                if (!lines.empty() && !Trim(lines.back()).empty())
                    lines.push_back(cr);
                lines.push_back(header + cr);
                lines.push_back(mime + "=" + entry + ";" + cr);
                keepFinalBreak = true;
            } else {
                keepFinalBreak = groupEnd == lines.size();
                lines.insert(lines.begin() + static_cast<long>(groupEnd), mime + "=" + entry + ";" + cr);
            }
        }
    } else {
        // Every line naming the entry loses it, from the last so that the indexes hold; a line left
        // without entries goes.
        for (auto match = matches.rbegin(); match != matches.rend(); ++match)
            if (match->second && !removeEntry(lines[match->first], entry)) {
                // The line before the one that goes keeps its line break.
                keepFinalBreak = keepFinalBreak || match->first + 1 == lines.size();
                lines.erase(lines.begin() + static_cast<long>(match->first));
            }
    }
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    // The user's last line without a line break keeps it so; a line before it ends as it did.
    if (!text.empty() && text.back() != '\n' && !keepFinalBreak && !result.empty())
        result.pop_back();
    return result;
}
