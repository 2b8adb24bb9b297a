// The indented text of a code tree: one node per line, its level the TABs and blanks in front.
#pragma once

#include <string>
#include <vector>

class TStringList;

// A node of the tree: the index of its parent among the nodes before it (-1 at the top) and its text.
struct TCodeTreeNode {
    int Parent = -1;
    std::string Text;
};

// Appends the nodes of `lines` to `nodes` in order. A line's level is the count of TAB and blank
// characters it starts with, its text the rest; a line that is the lone character 26 ends the list.
// A line may go at most one level deeper than the line before it (the first line counts from level 0)
// and any number of levels up, as long as the levels above it exist. A line that breaks this raises
// Exception "Invalid TreeNode Level", the nodes before it staying in `nodes`.
void ReadCodeTree(const TStringList& lines, std::vector<TCodeTreeNode>& nodes);
