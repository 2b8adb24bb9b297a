// THETreeView: the indented file loader and the sort that reaches every level.
#include "components/HETreeView.h"

#include <algorithm>
#include <vector>

#include "components/core/CodeTreeFile.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/ScopeGuard.h"

THETreeView::THETreeView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
}

void THETreeView::SetSortType(TSortType value)
{
    if (value == FSortType)
        return;
    FSortType = value;
    const bool byText = value == stText || value == stBoth;
    const bool byData = (value == stData || value == stBoth) && OnCompare;
    if (byText || byData)
        AlphaSort();
}

std::string THETreeView::NodeText(const QTreeWidgetItem* node)
{
    return ToEditorText(node->text(0));
}

QTreeWidgetItem* THETreeView::AddNode(QTreeWidgetItem* parent, const std::string& text)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, FromEditorText(text));
    return node;
}

void THETreeView::LoadFromFile(const std::string& FileName)
{
    // A code tree is one of the program's own files: its rule tells UTF-8 from Windows-1252.
    TStringList lines;
    lines.SetText(ProgramFileText(ReadFileBytes(FileName)));
    // The update ends however the load ends, so a bad line leaves a tree that still paints.
    const bool enabled = updatesEnabled();
    setUpdatesEnabled(false);
    const TScopeGuard update([this, enabled] { setUpdatesEnabled(enabled); });
    clear();
    const TSortType saved = FSortType;
    FSortType = stNone;
    std::vector<TCodeTreeNode> nodes;
    {
        // The nodes read before a bad line go into the tree all the same.
        const TScopeGuard build([this, &nodes] {
            std::vector<QTreeWidgetItem*> made;
            made.reserve(nodes.size());
            for (const TCodeTreeNode& node : nodes)
                made.push_back(AddNode(node.Parent < 0 ? nullptr : made[static_cast<size_t>(node.Parent)], node.Text));
        });
        ReadCodeTree(lines, nodes);
    }
    SetSortType(saved);
}

int THETreeView::compare(QTreeWidgetItem* a, QTreeWidgetItem* b)
{
    if ((FSortType == stData || FSortType == stBoth) && OnCompare)
        return OnCompare(this, a, b);
    return AnsiCompareStr(NodeText(a), NodeText(b));
}

void THETreeView::sortChildren(QTreeWidgetItem* parent)
{
    QList<QTreeWidgetItem*> children = parent->takeChildren();
    std::stable_sort(children.begin(), children.end(),
                     [this](QTreeWidgetItem* a, QTreeWidgetItem* b) { return compare(a, b) < 0; });
    parent->addChildren(children);
}

bool THETreeView::AlphaSort()
{
    // The invisible root holds the top level, so one walk sorts every level, top first.
    QTreeWidgetItem* root = invisibleRootItem();
    std::vector<QTreeWidgetItem*> pending{root};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (node->childCount() == 0)
            continue;
        sortChildren(node);
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->child(i));
    }
    return true;
}
