// TFramesetDesign: the frameset designer's tree of frames and framesets, their splitting, merging and places, and the frameset HTML written from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Graphics.h"

// How a node takes its place in its parent: where the parent lays it, or where it was put.
enum TNodeAlign { naNone, naLeft, naTop, naClient };

// The attributes of a node, at their start values.
struct TFrameAttributes {
    // The frameset's size list, written as its cols or rows.
    std::string ColsRows;
    std::string Border = "0";
    bool FrameBorder = false;
    std::string FrameSpacing = "0";
    std::string Src;
    std::string FrameName;
    bool Scrolling = true;
    bool NoResize = false;
    std::string MarginWidth = "0";
    std::string MarginHeight = "0";
};

// One node of the design: a frame while it has no children, else a frameset whose children are its
// members in order.
struct TFrameNode : TFrameAttributes {
    // A frameset's direction: 1 columns, 0 rows.
    int Tag = 0;

    // The panel that shows the node: caption, colour, the two bevels (inner raised, outer lowered)
    // and its bounds in the parent's area.
    std::string Caption;
    TColor Color = clBtnFace;
    bool Bevels = true;
    TNodeAlign Align = naNone;
    int Left = 0, Top = 0, Width = 0, Height = 0;

    // Unique within its design, never reused: what a view of the node keys on.
    int Id = 0;
    TFrameNode* Parent = nullptr;
    std::vector<std::unique_ptr<TFrameNode>> Children;

    bool IsFrame() const { return Children.empty(); }
    bool IsColumns() const { return Tag == 1; }
};

// Sets the attributes to their start values.
void InitPanel(TFrameNode& node);

// Which optional attributes the output writes: one switch for every frameset (or every frame).
struct TFrameSwitches {
    bool Border = false;
    bool ParentFrameBorder = false;
    bool ParentFrameSpacing = false;
    bool FrameBorder = false;
    bool MarginHeight = false;
    bool MarginWidth = false;
    bool Scrolling = false;
    bool FrameSpacing = false;
};

// The opening tag of a frameset node and the tag of a frame node, as the switches choose.
std::string FramesetTag(const TFrameNode& node, const TFrameSwitches& switches);
std::string FrameTag(const TFrameNode& node, const TFrameSwitches& switches);
// The frameset HTML of a node and everything under it, lines apart by CR LF, none indented, no break at the end.
std::string GenerateFrames(const TFrameNode& node, const TFrameSwitches& switches);

// The size list of n members: n - 1 times (100 div n)% and a star for the rest.
std::string EvenSizeList(int n);

// The design inside a surface of the given size: a root node filling it, the selected frame
// (Current), and splitting and merging.
class TFramesetDesign {
public:
    // The selection's colour and that of a frameset turned back into a frame.
    static constexpr TColor kSelectedColor = clAqua;
    static constexpr TColor kMergedColor = clBtnShadow;

    TFramesetDesign(int width, int height);

    TFrameNode& Root() { return *FRoot; }
    const TFrameNode& Root() const { return *FRoot; }
    TFrameNode& Current() const { return *FCurrent; }

    // Makes a frame the selected one: the old one takes the button face, the new one the selection
    // colour. False (nothing changed) for a frameset.
    bool Select(TFrameNode& node);
    // Splits the current node into n columns (or rows) of equal size, the last taking the rest, and
    // makes it their frameset; returns the new frames. The current node stays current: the caller
    // selects the first new frame once it has kept the values shown.
    std::vector<TFrameNode*> Split(bool columns, int n);
    // Frees every member of the current frame's frameset and makes that frameset the current frame,
    // with its values as they were; false at the root.
    bool Merge();

    // Every node, parents before their children.
    std::vector<TFrameNode*> Nodes();

private:
    TFrameNode& addChild(TFrameNode& parent);
    // Places the children of a node in its area as their alignment says, and theirs in turn.
    void realign(TFrameNode& node);

    std::unique_ptr<TFrameNode> FRoot;
    TFrameNode* FCurrent;
    int FNextId = 1;
};
