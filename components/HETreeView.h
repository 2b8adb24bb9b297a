// THETreeView: a tree view that fills itself from an indented text file and sorts every level by text.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>

// What a sort orders by: nothing, the compare handler, the texts, or both.
enum TSortType { stNone, stData, stText, stBoth };

class THETreeView : public QTreeWidget {
public:
    // The order of two nodes for a data sort: <0, 0, >0.
    using TCompareEvent = std::function<int(THETreeView* Sender, QTreeWidgetItem* Node1, QTreeWidgetItem* Node2)>;

    explicit THETreeView(QWidget* parent = nullptr);

    TSortType SortType() const { return FSortType; }
    // A change sorts the tree at once when it sorts by text, or by data with a compare handler.
    void SetSortType(TSortType value);
    // Replaces the whole tree with the nodes of an indented file (ReadCodeTree), its text read by the
    // program's own files' rule (ProgramFileText.h), in one update. A
    // file that cannot be read raises before the tree is touched; a bad level raises with the nodes
    // before it loaded and the sort type left at none.
    void LoadFromFile(const std::string& FileName);
    // Sorts the top level, then the children of every node, each by the compare handler when the sort
    // is by data and one is set, else by the texts (case counts, in the collation's order).
    bool AlphaSort();
    // A node's text in Windows-1252, and a new node with that text (under `parent`, or at the top).
    static std::string NodeText(const QTreeWidgetItem* node);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& text);

    TCompareEvent OnCompare;

private:
    int compare(QTreeWidgetItem* a, QTreeWidgetItem* b);
    void sortChildren(QTreeWidgetItem* parent);
    TSortType FSortType = stNone;
};
