// The style rule model: its colour and number conversions, the reader table and the writer's line order.
#include "app/model/CssRule.h"

#include <unordered_map>

#include "app/model/libCSS.h"
#include "platform/core/SysUtils.h"

namespace {

// Positions in CSSPropertyNames of the properties that controls hold.
enum TPropertyIndex : int {
    piFontFamily = 0, piFontStyle = 1, piFontVariant = 2, piFontWeight = 3, piFontSize = 4,
    piColor = 7, piBackgroundColor = 8, piBackgroundImage = 9, piBackgroundRepeat = 10,
    piBackgroundAttachment = 11, piBackgroundPosition = 12, piLetterSpacing = 14,
    piTextDecoration = 15, piVerticalAlign = 16, piTextTransform = 17, piTextAlign = 18,
    piTextIndent = 19, piLineHeight = 20, piMarginTop = 22, piMarginLeft = 25, piPaddingTop = 27,
    piPaddingLeft = 30, piBorderTopWidth = 32, piBorderLeftWidth = 35, piBorderTopColor = 37,
    piBorderLeftColor = 40, piBorderTopStyle = 42, piBorderLeftStyle = 45, piFloat = 52,
    piClear = 53, piDisplay = 54, piListStyleType = 55, piListStyleImage = 56,
    piListStylePosition = 57, piClip = 59, piHeight = 60, piLeft = 61, piOverflow = 62,
    piPosition = 63, piTop = 64, piVisibility = 65, piWidth = 66, piZIndex = 67,
    piPageBreakBefore = 68, piPageBreakAfter = 69, piCursor = 71,
};

using TKeywords = std::span<const std::string_view>;

// Keywords by entry; entry 0 writes nothing, and an empty keyword marks an entry that holds a number.
constexpr std::string_view kFontSizes[] = {"", "larger", "smaller", "", "xx-large", "x-large",
                                           "large", "medium", "small", "x-small", "xx-small"};
constexpr int kFontSizeFixed = 3;
constexpr std::string_view kBgRepeats[] = {"", "repeat", "repeat-x", "repeat-y", "no-repeat"};
constexpr std::string_view kPositions1[] = {"", "top", "center", "bottom"};
constexpr std::string_view kPositions2[] = {"", "left", "center", "right"};
constexpr std::string_view kTextDecorations[] = {"", "underline", "overline", "line-through", "blink"};
constexpr std::string_view kVerticalAligns[] = {"", "sub", "super", "top", "text-top", "baseline",
                                                "middle", "bottom", "text-bottom"};
constexpr int kVerticalAlignPercent = 9;
constexpr std::string_view kTextTransforms[] = {"", "capitalize", "uppercase", "lowercase"};
constexpr std::string_view kTextAligns[] = {"", "left", "right", "center", "justify"};
constexpr std::string_view kBorderWidths[] = {"", "thin", "medium", "thick"};
constexpr int kBorderWidthFixed = 4;
constexpr std::string_view kBorderStyles[] = {"", "solid", "double", "groove", "ridge", "inset", "outset"};
constexpr std::string_view kFloats[] = {"", "left", "right"};
constexpr std::string_view kClears[] = {"", "left", "right", "both"};
constexpr std::string_view kDisplays[] = {"", "none", "block", "inline", "list-item"};
constexpr std::string_view kListStyleTypes[] = {"", "disc", "circle", "square", "decimal",
                                                "lower-roman", "upper-roman", "lower-alpha",
                                                "upper-alpha", "none"};
constexpr std::string_view kListStylePositions[] = {"", "inside", "outside"};
constexpr std::string_view kOverflows[] = {"", "visible", "hidden", "scroll", "auto"};
constexpr std::string_view kPositionKinds[] = {"", "absolute", "relative", "static", "fixed", "inherit"};
constexpr std::string_view kVisibilities[] = {"", "visible", "hidden", "inherit"};
constexpr std::string_view kPageBreaks[] = {"", "auto", "always", "avoid", "left", "right", "inherit"};
constexpr std::string_view kCursors[] = {"", "auto", "crosshair", "default", "hand", "move",
                                         "e-resize", "ne-resize", "nw-resize", "n-resize",
                                         "se-resize", "sw-resize", "s-resize", "w-resize", "text",
                                         "wait", "help"};

constexpr std::string_view kSideNames[4] = {"top", "right", "bottom", "left"};

// The entry whose keyword is `value` ignoring case; 0 when none is.
int keywordEntry(std::string_view value, TKeywords keywords)
{
    for (size_t i = 1; i < keywords.size(); ++i)
        if (!keywords[i].empty() && SameText(value, keywords[i]))
            return static_cast<int>(i);
    return 0;
}

// The keyword of `entry`, or an empty text for entry 0, a number entry or an entry past the list.
std::string_view keywordOf(int entry, TKeywords keywords)
{
    if (entry < 1 || entry >= static_cast<int>(keywords.size()))
        return {};
    return keywords[static_cast<size_t>(entry)];
}

// Selects the entry of `value` when it has one; a value outside the list leaves the control as it was.
bool setKeyword(int& entry, std::string_view value, TKeywords keywords)
{
    const int found = keywordEntry(value, keywords);
    if (found != 0)
        entry = found;
    return found != 0;
}

// Ticks or puts down the control that includes a value once the value has been read.
bool setWhen(bool read, bool& control)
{
    if (read)
        control = true;
    return read;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole run of digits no greater than the up-down's maximum, as the up-down's edit shows it.
bool readCount(std::string_view digits, std::string& text)
{
    if (digits.empty())
        return false;
    int value = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
        if (value > CSSUpDownMax)
            return false;
    }
    text = IntToStr(value);
    return true;
}

// A number and unit that an up-down and its unit list hold exactly: digits (after a "-" only where
// the up-down goes below 0), then nothing or a unit of the list. Anything else (a fraction, a
// sign, blanks, an unknown unit, a value past the up-down's range) is left to the memo, since the
// controls would write it back changed.
bool readLength(std::string_view value, TCSSUnitList units, bool signedRange, std::string& text, int& unit)
{
    const bool negative = signedRange && !value.empty() && value[0] == '-';
    if (negative)
        value.remove_prefix(1);
    size_t digits = 0;
    while (digits < value.size() && isDigit(value[digits]))
        ++digits;
    std::string number;
    if (!readCount(value.substr(0, digits), number))
        return false;
    const std::string_view unitText = value.substr(digits);
    int found = -1;
    for (size_t i = 0; i < units.size(); ++i)
        if (SameText(unitText, units[i])) {
            found = static_cast<int>(i);
            break;
        }
    if (found < 0 && !unitText.empty())
        return false;
    text = negative && number != "0" ? "-" + number : number;
    unit = found;
    return true;
}

// A colour written as the writer writes it: "#" and six hexadecimal digits (the "#" may be missing).
bool readColor(std::string_view value, TColor& color)
{
    if (!value.empty() && value[0] == '#')
        value.remove_prefix(1);
    if (value.size() != 6)
        return false;
    for (char c : value)
        if (HexDigitValue(c) < 0)
            return false;
    color = CSSToColor(value);
    return true;
}

// The parts of a value separated by runs of blanks.
std::vector<std::string_view> blankSeparated(std::string_view value)
{
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && value[i] == ' ')
            ++i;
        size_t end = i;
        while (end < value.size() && value[end] != ' ')
            ++end;
        if (end > i)
            parts.push_back(value.substr(i, end - i));
        i = end;
    }
    return parts;
}

std::string_view unitOf(int entry, TCSSUnitList units)
{
    if (entry < 0 || entry >= static_cast<int>(units.size()))
        return {};
    return units[static_cast<size_t>(entry)];
}

// Builds the rule's lines, each ended by CR LF.
class TRuleWriter {
public:
    void line(std::string_view text)
    {
        FText.append(text);
        FText += "\r\n";
    }
    void declaration(std::string_view name, std::string_view value)
    {
        FText.append(name);
        FText += ": ";
        FText.append(value);
        FText += ";\r\n";
    }
    void keyword(std::string_view name, int entry, TKeywords keywords)
    {
        const std::string_view value = keywordOf(entry, keywords);
        if (!value.empty())
            declaration(name, value);
    }
    void length(std::string_view name, const std::string& edit, int unit, TCSSUnitList units)
    {
        declaration(name, edit + std::string(unitOf(unit, units)));
    }
    std::string take() { return std::move(FText); }

private:
    std::string FText;
};

std::string sideProperty(std::string_view prefix, int side, std::string_view suffix)
{
    return std::string(prefix) + std::string(kSideNames[side]) + std::string(suffix);
}

// Properties whose one radio group or combo box selects a keyword.
struct TKeywordControl {
    int property;
    int TCssRule::*entry;
    TKeywords keywords;
};
const TKeywordControl kKeywordControls[] = {
    {piBackgroundRepeat, &TCssRule::rgBgRepeat, kBgRepeats},
    {piTextDecoration, &TCssRule::rgTextDecoration, kTextDecorations},
    {piTextTransform, &TCssRule::rgTextTransform, kTextTransforms},
    {piTextAlign, &TCssRule::rgTextAlign, kTextAligns},
    {piFloat, &TCssRule::rgFloat, kFloats},
    {piClear, &TCssRule::rgClear, kClears},
    {piDisplay, &TCssRule::rgDisplay, kDisplays},
    {piListStyleType, &TCssRule::rgListStyleType, kListStyleTypes},
    {piListStylePosition, &TCssRule::rgListStylePosition, kListStylePositions},
    {piOverflow, &TCssRule::cbOverFlow, kOverflows},
    {piPosition, &TCssRule::cbPosition, kPositionKinds},
    {piVisibility, &TCssRule::cbVisibility, kVisibilities},
    {piPageBreakBefore, &TCssRule::rgPageBreakBefore, kPageBreaks},
    {piPageBreakAfter, &TCssRule::rgPageBreakAfter, kPageBreaks},
    {piCursor, &TCssRule::rgCursor, kCursors},
};

// Properties held by a check box or toggle that includes an edit, its up-down and a unit list.
struct TLengthControl {
    int property;
    bool TCssRule::*included;
    std::string TCssRule::*edit;
    int TCssRule::*unit;
    TCSSUnitList units;
};
const TLengthControl kLengthControls[] = {
    {piLetterSpacing, &TCssRule::chLetterSpacing, &TCssRule::eLetterSpacing, &TCssRule::cbLetterSpacing,
     CSSLengthUnits},
    {piTextIndent, &TCssRule::chTextIndent, &TCssRule::eTextIndent, &TCssRule::cbTextIndent,
     CSSPositionUnits},
    {piLineHeight, &TCssRule::chLineHeight, &TCssRule::eLineHeight, &TCssRule::cbLineHeight,
     CSSLineHeightUnits},
    {piHeight, &TCssRule::sbHeight, &TCssRule::eHeight, &TCssRule::cbHeight, CSSLengthUnits},
    {piLeft, &TCssRule::sbLeft, &TCssRule::eLeft, &TCssRule::cbLeft, CSSBoxUnits},
    {piTop, &TCssRule::sbTop, &TCssRule::eTop, &TCssRule::cbTop, CSSBoxUnits},
    {piWidth, &TCssRule::sbWidth, &TCssRule::eWidth, &TCssRule::cbWidth, CSSBoxUnits},
};

bool readBackgroundPosition(TCssRule& r, std::string_view value)
{
    // A comma separates the layers of several backgrounds, which two parts cannot hold.
    if (value.find(',') != std::string_view::npos)
        return false;
    const size_t blank = value.find(' ');
    if (blank == std::string_view::npos)
        return false;
    const std::string_view first = TrimView(value.substr(0, blank));
    const std::string_view second = TrimView(value.substr(blank + 1));
    std::string textX, textY;
    int unitX = -1, unitY = -1;
    const int entry1 = keywordEntry(first, kPositions1);
    const int entry2 = keywordEntry(second, kPositions2);
    if ((entry1 == 0 && !readLength(first, CSSPositionUnits, true, textX, unitX)) ||
        (entry2 == 0 && !readLength(second, CSSPositionUnits, true, textY, unitY)))
        return false;
    r.chPosition = true;
    r.rgPosition1 = entry1;
    if (entry1 == 0) {
        r.ePositionX = textX;
        r.cbPositionX = unitX;
    }
    r.rgPosition2 = entry2;
    if (entry2 == 0) {
        r.ePositionY = textY;
        r.cbPositionY = unitY;
    }
    return true;
}

bool readClip(TCssRule& r, std::string_view value)
{
    const size_t open = value.find('(');
    const size_t close = value.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
        !SameText(TrimView(value.substr(0, open)), "rect") || !TrimView(value.substr(close + 1)).empty())
        return false;
    const std::vector<std::string_view> parts = blankSeparated(value.substr(open + 1, close - open - 1));
    if (parts.size() != 4)
        return false;
    std::array<std::string, 4> texts;
    std::array<int, 4> units{};
    for (size_t side = 0; side < 4; ++side)
        if (!readLength(parts[side], CSSLengthUnits, false, texts[side], units[side]))
            return false;
    r.chClip = true;
    r.eClip = texts;
    r.cbClip = units;
    return true;
}

// The border and box properties, one per side.
bool readSideDeclaration(TCssRule& r, int index, std::string_view value)
{
    if (index >= piMarginTop && index <= piMarginLeft) {
        const int side = index - piMarginTop;
        return setWhen(readLength(value, CSSBoxUnits, false, r.eMargin[side], r.cbMargin[side]),
                       r.sbMargin[side]);
    }
    if (index >= piPaddingTop && index <= piPaddingLeft) {
        const int side = index - piPaddingTop;
        return setWhen(readLength(value, CSSBoxUnits, false, r.ePadding[side], r.cbPadding[side]),
                       r.sbPadding[side]);
    }
    if (index >= piBorderTopWidth && index <= piBorderLeftWidth) {
        const int side = index - piBorderTopWidth;
        if (const int entry = keywordEntry(value, kBorderWidths)) {
            r.cbBorderWidth2[side] = entry;
            return true;
        }
        if (!readLength(value, CSSLengthUnits, false, r.eBorderWidth[side], r.cbBorderWidth[side]))
            return false;
        r.cbBorderWidth2[side] = kBorderWidthFixed;
        return true;
    }
    if (index >= piBorderTopColor && index <= piBorderLeftColor) {
        const int side = index - piBorderTopColor;
        if (!readColor(value, r.BorderColor[side]))
            return false;
        r.sbBorderColor[side] = false;
        return true;
    }
    if (index >= piBorderTopStyle && index <= piBorderLeftStyle)
        return setKeyword(r.cbBorderStyle[index - piBorderTopStyle], value, kBorderStyles);
    return false;
}

// One declaration into the controls; false when no control holds it as it is written.
bool readDeclaration(TCssRule& r, int index, std::string_view value)
{
    for (const TKeywordControl& control : kKeywordControls)
        if (control.property == index)
            return setKeyword(r.*control.entry, value, control.keywords);
    for (const TLengthControl& control : kLengthControls)
        if (control.property == index)
            return setWhen(readLength(value, control.units, false, r.*control.edit, r.*control.unit),
                           r.*control.included);
    switch (index) {
    case piFontFamily:
        r.chFontFamily = true;
        r.eFontFamily = std::string(value);
        return true;
    case piFontStyle:
    case piFontVariant:
    case piFontWeight: {
        static constexpr std::string_view keywords[] = {"italic", "small-caps", "bold"};
        bool* const checks[] = {&r.chItalic, &r.chSmallCaps, &r.chBold};
        const int which = index - piFontStyle;
        return setWhen(SameText(value, keywords[which]), *checks[which]);
    }
    case piFontSize:
        if (const int entry = keywordEntry(value, kFontSizes)) {
            r.rgFontSize = entry;
            return true;
        }
        if (!readLength(value, CSSFontSizeUnits, false, r.eFontSize, r.cbFontSize))
            return false;
        r.rgFontSize = kFontSizeFixed;
        return true;
    case piColor:
        return setWhen(readColor(value, r.pColor), r.sbColor);
    case piBackgroundColor:
        return setWhen(readColor(value, r.pBGColor), r.sbBGColor);
    case piBackgroundImage:
        r.chBgImage = true;
        r.eBgImage = std::string(value);
        return true;
    case piBackgroundAttachment:
        // The check box can only write "fixed"; "scroll" ticked would come back as its opposite.
        return setWhen(SameText(value, "fixed"), r.chBgFixed);
    case piBackgroundPosition:
        return readBackgroundPosition(r, value);
    case piVerticalAlign:
        if (const int entry = keywordEntry(value, kVerticalAligns)) {
            r.rgVerticalAlign = entry;
            return true;
        }
        if (value.empty() || value.back() != '%' ||
            !readCount(value.substr(0, value.size() - 1), r.eVerticalAlign))
            return false;
        r.rgVerticalAlign = kVerticalAlignPercent;
        return true;
    case piListStyleImage:
        r.chListStyleImage = true;
        r.eListStyleImage = std::string(value);
        return true;
    case piClip:
        return readClip(r, value);
    case piZIndex:
        return setWhen(readCount(value, r.eZIndex), r.chZIndex);
    default:
        return readSideDeclaration(r, index, value);
    }
}

} // namespace

int CSSPropertyIndex(std::string_view name)
{
    static const std::unordered_map<std::string, int> indexes = [] {
        std::unordered_map<std::string, int> map;
        for (size_t i = 0; i < CSSPropertyNames.size(); ++i)
            map.emplace(std::string(CSSPropertyNames[i]), static_cast<int>(i));
        return map;
    }();
    const auto it = indexes.find(AsciiLowerCase(name));
    return it == indexes.end() ? -1 : it->second;
}

bool CSSPropertyHasControl(int index)
{
    switch (index) {
    case 5: case 6: case 13: case 21: case 26: case 31: case 36: case 41:
    case 46: case 47: case 48: case 49: case 50: case 51: case 58: case 70:
        return false;
    default:
        return index >= 0 && index < static_cast<int>(CSSPropertyNames.size());
    }
}

std::string ColorToCSS(TColor color)
{
    const uint32_t bgr = static_cast<uint32_t>(color);
    return Format("%.2X%.2X%.2X", GetRValue(bgr), GetGValue(bgr), GetBValue(bgr));
}

TColor CSSToColor(std::string_view text)
{
    int digits[6];
    int count = 0;
    for (char c : text) {
        if (c == ' ' || c == '#')
            continue;
        if (count == 6)
            break;
        digits[count] = HexDigitValue(c);
        if (digits[count] < 0)
            return clBlack;
        ++count;
    }
    if (count < 6)
        return clBlack;
    return static_cast<TColor>(RGBValue(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3],
                                        digits[4] * 16 + digits[5]));
}

std::pair<std::string, std::string> SplitNumberUnit(std::string_view value)
{
    std::pair<std::string, std::string> parts;
    for (char c : value) {
        if (c == ' ')
            continue;
        // Both separators count, whichever the locale makes decimal: a number written either way
        // stays whole in the number part instead of spilling into the unit.
        if (isDigit(c) || c == '.' || c == ',')
            parts.first += c;
        else
            parts.second += c;
    }
    return parts;
}

void TCssRule::ClearControls()
{
    TCssRule cleared;
    cleared.pColor = pColor;
    cleared.pBGColor = pBGColor;
    cleared.BorderColor = BorderColor;
    *this = std::move(cleared);
}

void TCssRule::ReadStyle(std::string_view libraryText, std::string_view selector)
{
    eClass = std::string(selector);
    const std::vector<TCSSDeclaration> entries = CSSSplitDeclarations(CSSGetRuleBody(libraryText, selector));
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->Comment) {
            mRestos.push_back(it->Name);
            continue;
        }
        const int index = CSSPropertyIndex(it->Name);
        if (CSSPropertyHasControl(index) && readDeclaration(*this, index, it->Value))
            continue;
        // Even with an empty value the line keeps its ":" and ";": a bare name would run into the
        // next declaration when the rule is read again.
        mRestos.push_back(it->Name + ": " + it->Value + ";");
    }
}

std::string TCssRule::WriteStyle() const
{
    TRuleWriter w;
    w.line(Trim(eClass));
    w.line("{");
    if (chFontFamily)
        w.declaration("font-family", Trim(eFontFamily));
    if (chItalic)
        w.declaration("font-style", "italic");
    if (chSmallCaps)
        w.declaration("font-variant", "small-caps");
    if (chBold)
        w.declaration("font-weight", "bold");
    if (rgFontSize == kFontSizeFixed)
        w.length("font-size", eFontSize, cbFontSize, CSSFontSizeUnits);
    else
        w.keyword("font-size", rgFontSize, kFontSizes);
    if (sbColor)
        w.declaration("color", std::string("#").append(ColorToCSS(pColor)));
    if (sbBGColor)
        w.declaration("background-color", std::string("#").append(ColorToCSS(pBGColor)));
    if (chBgImage)
        w.declaration("background-image", Trim(eBgImage));
    w.keyword("background-repeat", rgBgRepeat, kBgRepeats);
    if (chBgFixed)
        w.declaration("background-attachment", "fixed");
    if (chPosition) {
        std::string first(keywordOf(rgPosition1, kPositions1));
        if (first.empty())
            first = ePositionX + std::string(unitOf(cbPositionX, CSSPositionUnits));
        std::string second(keywordOf(rgPosition2, kPositions2));
        if (second.empty())
            second = ePositionY + std::string(unitOf(cbPositionY, CSSPositionUnits));
        w.declaration("background-position", first + " " + second);
    }
    if (chLetterSpacing)
        w.length("letter-spacing", eLetterSpacing, cbLetterSpacing, CSSLengthUnits);
    w.keyword("text-decoration", rgTextDecoration, kTextDecorations);
    if (rgVerticalAlign == kVerticalAlignPercent)
        w.declaration("vertical-align", eVerticalAlign + "%");
    else
        w.keyword("vertical-align", rgVerticalAlign, kVerticalAligns);
    w.keyword("text-transform", rgTextTransform, kTextTransforms);
    w.keyword("text-align", rgTextAlign, kTextAligns);
    if (chTextIndent)
        w.length("text-indent", eTextIndent, cbTextIndent, CSSPositionUnits);
    if (chLineHeight)
        w.length("line-height", eLineHeight, cbLineHeight, CSSLineHeightUnits);
    for (int side = bsTop; side <= bsLeft; ++side)
        if (sbMargin[side])
            w.length(sideProperty("margin-", side, ""), eMargin[side], cbMargin[side], CSSBoxUnits);
    // Capitalised as the rule files have always had it; the reader looks names up without case.
    for (int side = bsTop; side <= bsLeft; ++side)
        if (sbPadding[side])
            w.length(sideProperty("Padding-", side, ""), ePadding[side], cbPadding[side], CSSBoxUnits);
    for (int side = bsTop; side <= bsLeft; ++side) {
        const std::string name = sideProperty("border-", side, "-width");
        if (cbBorderWidth2[side] == kBorderWidthFixed)
            w.length(name, eBorderWidth[side], cbBorderWidth[side], CSSLengthUnits);
        else
            w.keyword(name, cbBorderWidth2[side], kBorderWidths);
    }
    for (int side = bsTop; side <= bsLeft; ++side)
        if (!sbBorderColor[side])
            w.declaration(sideProperty("border-", side, "-color"), std::string("#").append(ColorToCSS(BorderColor[side])));
    for (int side = bsTop; side <= bsLeft; ++side)
        w.keyword(sideProperty("border-", side, "-style"), cbBorderStyle[side], kBorderStyles);
    w.keyword("float", rgFloat, kFloats);
    w.keyword("clear", rgClear, kClears);
    w.keyword("display", rgDisplay, kDisplays);
    w.keyword("list-style-type", rgListStyleType, kListStyleTypes);
    if (chListStyleImage)
        w.declaration("list-style-image", Trim(eListStyleImage));
    w.keyword("list-style-position", rgListStylePosition, kListStylePositions);
    if (chClip) {
        std::string rect = "rect(";
        for (int side = bsTop; side <= bsLeft; ++side) {
            if (side != bsTop)
                rect += ' ';
            rect += eClip[side] + std::string(unitOf(cbClip[side], CSSLengthUnits));
        }
        w.declaration("clip", rect + ")");
    }
    if (sbHeight)
        w.length("height", eHeight, cbHeight, CSSLengthUnits);
    if (sbLeft)
        w.length("left", eLeft, cbLeft, CSSBoxUnits);
    w.keyword("overflow", cbOverFlow, kOverflows);
    w.keyword("position", cbPosition, kPositionKinds);
    if (sbTop)
        w.length("top", eTop, cbTop, CSSBoxUnits);
    w.keyword("visibility", cbVisibility, kVisibilities);
    if (sbWidth)
        w.length("width", eWidth, cbWidth, CSSBoxUnits);
    if (chZIndex)
        w.declaration("z-index", eZIndex);
    w.keyword("page-break-before", rgPageBreakBefore, kPageBreaks);
    w.keyword("page-break-after", rgPageBreakAfter, kPageBreaks);
    w.keyword("cursor", rgCursor, kCursors);
    for (const std::string& line : mRestos)
        w.line(line);
    w.line("}");
    return w.take();
}
