// The style rule being edited, as plain data: one field per control of the style sheet dialog.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/Graphics.h"

// The property names the rule reader knows, in table order; looked up without case.
inline constexpr std::array<std::string_view, 72> CSSPropertyNames = {
    "font-family", "font-style", "font-variant", "font-weight", "font-size", "font", "@font-face",
    "color", "background-color", "background-image", "background-repeat", "background-attachment",
    "background-position", "background", "letter-spacing", "text-decoration", "vertical-align",
    "text-transform", "text-align", "text-indent", "line-height", "word-spacing", "margin-top",
    "margin-right", "margin-bottom", "margin-left", "margin", "padding-top", "padding-right",
    "padding-bottom", "padding-left", "padding", "border-top-width", "border-right-width",
    "border-bottom-width", "border-left-width", "border-width", "border-top-color",
    "border-right-color", "border-bottom-color", "border-left-color", "border-color",
    "border-top-style", "border-right-style", "border-bottom-style", "border-left-style",
    "border-style", "border-top", "border-right", "border-bottom", "border-left", "border", "float",
    "clear", "display", "list-style-type", "list-style-image", "list-style-position", "list-style",
    "clip", "height", "left", "overflow", "position", "top", "visibility", "width", "z-index",
    "page-break-before", "page-break-after", "page-break-inside", "cursor"};

// The position of `name` in CSSPropertyNames ignoring case, or -1.
int CSSPropertyIndex(std::string_view name);
// False for the shorthand and other positions that no control holds: their declarations stay text.
bool CSSPropertyHasControl(int index);

// The entries of the unit drop-down lists, by group; a unit field is an index into its group's list
// (-1: no entry selected, which writes no unit).
using TCSSUnitList = std::span<const std::string_view>;
// cbFontSize.
inline constexpr std::array<std::string_view, 4> CSSFontSizeUnits = {"%", "em", "ex", "pt"};
// cbPositionX, cbPositionY, cbTextIndent.
inline constexpr std::array<std::string_view, 9> CSSPositionUnits = {"em", "ex", "px", "%", "in",
                                                                     "cm", "mm", "pt", "pc"};
// cbLineHeight: an empty entry first, for a plain multiplier.
inline constexpr std::array<std::string_view, 10> CSSLineHeightUnits = {"",   "em", "ex", "px", "%",
                                                                        "in", "cm", "mm", "pt", "pc"};
// The margin and padding lists, cbWidth, cbTop, cbLeft.
inline constexpr std::array<std::string_view, 9> CSSBoxUnits = {"em", "ex", "px", "in", "cm",
                                                                "mm", "pt", "pc", "%"};
// cbLetterSpacing, the border width lists, the clip lists, cbHeight.
inline constexpr std::array<std::string_view, 8> CSSLengthUnits = {"em", "ex", "px", "in",
                                                                   "cm", "mm", "pt", "pc"};

// The highest value an up-down takes; background positions go as low as its negative.
inline constexpr int CSSUpDownMax = 32000;

// Six hexadecimal digits RRGGBB of a colour's low three bytes (0x00BBGGRR).
std::string ColorToCSS(TColor color);
// The colour of the first six characters left after dropping blanks and "#", read as RRGGBB;
// black when they are too few or not hexadecimal.
TColor CSSToColor(std::string_view text);
// Blanks dropped, then digits, "." and "," go in order to the number part and every other
// character to the unit part: "12 px" gives "12" and "px", "-3em" gives "3" and "-em".
std::pair<std::string, std::string> SplitNumberUnit(std::string_view value);

// Sides of the box, the order of the side arrays below.
enum TBoxSide : int { bsTop, bsRight, bsBottom, bsLeft };

// The edited rule. Radio and combo entries count from 0, where 0 ("Ninguno" and the like) writes
// nothing; an edit beside an up-down holds the up-down's text. A declaration the controls cannot
// hold as it is written goes verbatim to the memo instead, so reading and writing a rule loses nothing.
struct TCssRule {
    std::string eClass;

    // Fonts.
    bool chFontFamily = false;
    std::string eFontFamily;
    bool chItalic = false;
    bool chSmallCaps = false;
    bool chBold = false;
    int rgFontSize = 0; // 3: the size in eFontSize and cbFontSize
    std::string eFontSize = "0";
    int cbFontSize = 0;

    // Colour and background. The toggles include a colour while they are down.
    bool sbColor = false;
    TColor pColor = clBlack;
    bool sbBGColor = false;
    TColor pBGColor = clBlack;
    bool chBgImage = false;
    std::string eBgImage;
    bool chBgFixed = false;
    int rgBgRepeat = 0;
    bool chPosition = false;
    int rgPosition1 = 0; // 0: ePositionX and cbPositionX
    std::string ePositionX = "0";
    int cbPositionX = 0;
    int rgPosition2 = 0; // 0: ePositionY and cbPositionY
    std::string ePositionY = "0";
    int cbPositionY = 0;

    // Text.
    bool chLetterSpacing = false;
    std::string eLetterSpacing = "0";
    int cbLetterSpacing = 0;
    bool chTextIndent = false;
    std::string eTextIndent = "0";
    int cbTextIndent = 0;
    bool chLineHeight = false;
    std::string eLineHeight = "0";
    int cbLineHeight = 0;
    int rgTextTransform = 0;
    int rgTextDecoration = 0;
    int rgTextAlign = 0;
    int rgVerticalAlign = 0; // 9: the percentage in eVerticalAlign
    std::string eVerticalAlign = "0";

    // Box: float and clear, then per side (TBoxSide order) the margin and padding toggles with their
    // edits and units (sbMarginTop, eMarginTop, cbMarginTop...), the border width kind
    // (cbBorderTopWidth2; 4: the width in eBorderTopWidth and cbBorderTopWidth), the border style
    // and the border colour button (sbBorderTopColor: down means no colour) with its colour.
    int rgFloat = 0;
    int rgClear = 0;
    std::array<bool, 4> sbMargin{};
    std::array<std::string, 4> eMargin{"0", "0", "0", "0"};
    std::array<int, 4> cbMargin{};
    std::array<bool, 4> sbPadding{};
    std::array<std::string, 4> ePadding{"0", "0", "0", "0"};
    std::array<int, 4> cbPadding{};
    std::array<int, 4> cbBorderWidth2{};
    std::array<std::string, 4> eBorderWidth{"0", "0", "0", "0"};
    std::array<int, 4> cbBorderWidth{};
    std::array<int, 4> cbBorderStyle{};
    std::array<bool, 4> sbBorderColor{true, true, true, true};
    std::array<TColor, 4> BorderColor{clBlack, clBlack, clBlack, clBlack};

    // Classification.
    int rgDisplay = 0;
    int rgListStyleType = 0;
    bool chListStyleImage = false;
    std::string eListStyleImage;
    int rgListStylePosition = 0;

    // Positioning: the toggles include their size while they are down; the clip's edits and units
    // go in TBoxSide order (eClipTop, cbClipTop...).
    bool sbWidth = false;
    std::string eWidth = "0";
    int cbWidth = 0;
    bool sbHeight = false;
    std::string eHeight = "0";
    int cbHeight = 0;
    bool sbLeft = false;
    std::string eLeft = "0";
    int cbLeft = 0;
    bool sbTop = false;
    std::string eTop = "0";
    int cbTop = 0;
    bool chClip = false;
    std::array<std::string, 4> eClip{"0", "0", "0", "0"};
    std::array<int, 4> cbClip{};
    int cbOverFlow = 0;
    int cbPosition = 0;
    int cbVisibility = 0;
    bool chZIndex = false;
    std::string eZIndex = "0";

    // Printing and cursor.
    int rgPageBreakBefore = 0;
    int rgPageBreakAfter = 0;
    int rgCursor = 0;

    // Declarations and comments held as text, one per line.
    std::vector<std::string> mRestos;

    bool operator==(const TCssRule&) const = default;

    // Every control back to its empty state; the colours stay as they were, only their toggles move.
    void ClearControls();
    // Fills the controls from the rule `selector` of the library text, which eClass takes as it
    // stands. The declarations are read from the last to the first, so the first of a repeated
    // property wins; those no control holds add their text to the memo, which therefore runs in
    // reverse order.
    void ReadStyle(std::string_view libraryText, std::string_view selector);
    // The rule text: the selector, "{", one line per set control in a fixed order, the memo's
    // lines, "}"; every line ended by CR LF.
    std::string WriteStyle() const;
};
