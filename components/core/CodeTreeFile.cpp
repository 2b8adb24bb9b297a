// The indented text of a code tree: levels by leading TABs and blanks, checked line by line.
#include "components/core/CodeTreeFile.h"

#include <algorithm>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidLevel = 5650;
constexpr char kEndOfFile = 26;

[[noreturn]] void invalidLevel()
{
    throw Exception(LoadResString(kInvalidLevel));
}

} // namespace

void ReadCodeTree(const TStringList& lines, std::vector<TCodeTreeNode>& nodes)
{
    int previousLevel = 0;
    int previous = -1; // the node of the line before, -1 before the first
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (line.size() == 1 && line[0] == kEndOfFile)
            break;
        const size_t indent = line.find_first_not_of("\t ");
        const size_t levelChars = indent == std::string::npos ? line.size() : indent;
        // A deeper level than the line count could allow is bad however it is counted.
        const int level = static_cast<int>(std::min<size_t>(levelChars, static_cast<size_t>(lines.Count()) + 1));
        int parent = previous;
        if (level <= previousLevel && previous >= 0) {
            // Up to the node that the new one follows, then to that node's parent.
            for (int climb = previousLevel - level + 1; climb > 0; --climb) {
                if (parent < 0)
                    invalidLevel();
                parent = nodes[static_cast<size_t>(parent)].Parent;
            }
        } else if (level - previousLevel > 1) {
            invalidLevel();
        }
        nodes.push_back({parent, line.substr(levelChars)});
        previous = static_cast<int>(nodes.size()) - 1;
        previousLevel = level;
    }
}
