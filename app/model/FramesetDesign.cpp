// The frameset designer's model. Nodes are laid out as panels: a node with its bevels keeps a two-pixel
// edge inside, children aligned left (or top) stand side by side in creation order and the last one,
// aligned to the client area, takes what is left. The HTML is written from the tree with the
// optional attributes the switches let through.
#include "app/model/FramesetDesign.h"

#include <algorithm>

#include "app/model/TagComposer.h"
#include "platform/core/SysUtils.h"

namespace {

// Each bevel is one pixel wide.
constexpr int kBevelsWidth = 2;
constexpr const char* kCrLf = "\r\n";

const char* frameBorderText(bool on)
{
    return on ? " frameborder=\"1\" frameborder=\"yes\"" : " frameborder=\"0\" frameborder=\"no\"";
}

} // namespace

void InitPanel(TFrameNode& node)
{
    static_cast<TFrameAttributes&>(node) = TFrameAttributes{};
}

// The formats with a blank before their first placeholder put that blank in front of the whole text
// so far; the generated HTML has always been written so.
std::string FramesetTag(const TFrameNode& node, const TFrameSwitches& switches)
{
    std::string text = Format(node.IsColumns() ? "<frameset cols=%s" : "<frameset rows=%s",
                              QuoteAttributeValue(node.ColsRows).c_str());
    if (switches.Border)
        text = Format(" %s border=%s", text.c_str(), QuoteAttributeValue(node.Border).c_str());
    if (switches.ParentFrameBorder)
        text += frameBorderText(node.FrameBorder);
    if (switches.ParentFrameSpacing)
        text = Format(" %s framespacing=%s", text.c_str(), QuoteAttributeValue(node.FrameSpacing).c_str());
    return text + ">";
}

std::string FrameTag(const TFrameNode& node, const TFrameSwitches& switches)
{
    std::string text = Format("<frame src=%s name=%s", QuoteAttributeValue(node.Src).c_str(),
                              QuoteAttributeValue(node.FrameName).c_str());
    if (switches.MarginWidth)
        text = Format(" %s marginwidth=%s", text.c_str(), QuoteAttributeValue(node.MarginWidth).c_str());
    if (switches.MarginHeight)
        text = Format(" %s marginheight=%s", text.c_str(), QuoteAttributeValue(node.MarginHeight).c_str());
    if (switches.FrameBorder)
        text += frameBorderText(node.FrameBorder);
    if (node.NoResize)
        text += " noresize";
    if (switches.Scrolling)
        text += node.Scrolling ? " scrolling=\"yes\"" : " scrolling=\"no\" ";
    if (switches.FrameSpacing)
        text = Format(" %s framespacing=%s", text.c_str(), QuoteAttributeValue(node.FrameSpacing).c_str());
    return text + ">";
}

std::string GenerateFrames(const TFrameNode& node, const TFrameSwitches& switches)
{
    if (node.IsFrame())
        return FrameTag(node, switches);
    std::string text = FramesetTag(node, switches);
    for (const auto& child : node.Children)
        text += kCrLf + GenerateFrames(*child, switches);
    return text + kCrLf + "</frameset>";
}

std::string EvenSizeList(int n)
{
    const int share = 100 / n;
    std::string list;
    for (int i = 0; i < n - 1; ++i)
        list = Format("%s%d%%,", list.c_str(), share);
    return Format("%s*", list.c_str());
}

// ---------------------------------------------------------------- the design

TFramesetDesign::TFramesetDesign(int width, int height) : FRoot(std::make_unique<TFrameNode>())
{
    FRoot->Id = FNextId++;
    InitPanel(*FRoot);
    FRoot->Align = naClient;
    FRoot->Width = width;
    FRoot->Height = height;
    FCurrent = FRoot.get();
}

bool TFramesetDesign::Select(TFrameNode& node)
{
    if (!node.IsFrame())
        return false;
    FCurrent->Color = clBtnFace;
    node.Color = kSelectedColor;
    FCurrent = &node;
    return true;
}

TFrameNode& TFramesetDesign::addChild(TFrameNode& parent)
{
    auto child = std::make_unique<TFrameNode>();
    child->Id = FNextId++;
    child->Parent = &parent;
    InitPanel(*child);
    parent.Children.push_back(std::move(child));
    return *parent.Children.back();
}

std::vector<TFrameNode*> TFramesetDesign::Split(bool columns, int n)
{
    TFrameNode& current = *FCurrent;
    if (n < 2 || !current.IsFrame())
        return {};
    const int width = current.Width;
    const int height = current.Height;
    const int step = (columns ? width : height) / n;
    current.Bevels = false;
    current.ColsRows = EvenSizeList(n);
    current.Tag = columns ? 1 : 0;
    std::vector<TFrameNode*> made;
    for (int i = 0; i < n; ++i) {
        TFrameNode& node = addChild(current);
        node.Caption.clear();
        node.Bevels = true;
        if (columns) {
            node.Top = 2;
            node.Left = i * step + 2;
            node.Height = height - 4;
            node.Width = step;
            node.Align = naLeft;
        } else {
            node.Top = i * step + 2;
            node.Left = 2;
            node.Height = step;
            node.Width = width - 4;
            node.Align = naTop;
        }
        made.push_back(&node);
    }
    // The last member takes the rest of the frameset; the alignment below decides its final size.
    TFrameNode& last = *made.back();
    const TFrameNode& before = *made[made.size() - 2];
    last.Align = naClient;
    if (columns)
        last.Width = std::max(0, current.Width - before.Left - step - 2);
    else
        last.Height = std::max(0, current.Height - before.Top - step - 2);
    realign(current);
    return made;
}

bool TFramesetDesign::Merge()
{
    TFrameNode* parent = FCurrent->Parent;
    if (!parent)
        return false;
    parent->Children.clear();
    parent->Color = kMergedColor;
    parent->Bevels = true;
    FCurrent = parent;
    return true;
}

void TFramesetDesign::realign(TFrameNode& node)
{
    const int edge = node.Bevels ? kBevelsWidth : 0;
    int left = edge;
    int top = edge;
    const int right = std::max(left, node.Width - edge);
    const int bottom = std::max(top, node.Height - edge);
    // Top-aligned members first, then left-aligned ones, then the one that fills the rest.
    for (TNodeAlign pass : {naTop, naLeft, naClient}) {
        for (const auto& child : node.Children) {
            if (child->Align != pass)
                continue;
            child->Left = left;
            child->Top = top;
            if (pass == naTop) {
                child->Width = right - left;
                top += child->Height;
            } else if (pass == naLeft) {
                child->Height = std::max(0, bottom - top);
                left += child->Width;
            } else {
                child->Width = std::max(0, right - left);
                child->Height = std::max(0, bottom - top);
            }
        }
    }
    for (const auto& child : node.Children)
        realign(*child);
}

std::vector<TFrameNode*> TFramesetDesign::Nodes()
{
    std::vector<TFrameNode*> nodes{FRoot.get()};
    for (size_t i = 0; i < nodes.size(); ++i)
        for (const auto& child : nodes[i]->Children)
            nodes.push_back(child.get());
    return nodes;
}
