// Tests of the style rule model: conversions, the property table, clearing, reading and writing a rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/model/CssRule.h"
#include "app/model/libCSS.h"
#include "platform/core/SysUtils.h"

namespace {

TCssRule readRule(std::string_view body)
{
    TCssRule rule;
    rule.ReadStyle("x{" + std::string(body) + "}", "x");
    return rule;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    size_t i = 0;
    for (size_t end; (end = text.find("\r\n", i)) != std::string::npos; i = end + 2)
        result.push_back(text.substr(i, end - i));
    EXPECT_EQ(i, text.size()) << "every line ends in CR LF";
    return result;
}

// The property names of the declaration lines of a written rule, in order.
std::vector<std::string> writtenProperties(const TCssRule& rule)
{
    std::vector<std::string> names;
    for (const std::string& line : lines(rule.WriteStyle()))
        if (const size_t colon = line.find(':'); colon != std::string::npos)
            names.push_back(line.substr(0, colon));
    return names;
}

int pick(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::string pickNumber(std::mt19937& rng, int low = 0)
{
    return IntToStr(pick(rng, 0, 3) == 0 ? 0 : pick(rng, low, CSSUpDownMax));
}

// A rule whose controls hold only what the writer writes and the reader reads back: fields a
// control does not include keep their cleared values.
TCssRule randomRule(std::mt19937& rng)
{
    TCssRule r;
    const char* const texts[] = {"Arial", "\"Times New Roman\", serif", "url(fondo.gif)", "a:b"};
    auto chance = [&] { return pick(rng, 0, 2) == 0; };
    auto text = [&] { return std::string(texts[pick(rng, 0, 3)]); };
    r.eClass = pick(rng, 0, 1) ? "h1" : ".nota em";
    if ((r.chFontFamily = chance()))
        r.eFontFamily = text();
    r.chItalic = chance();
    r.chSmallCaps = chance();
    r.chBold = chance();
    if ((r.rgFontSize = pick(rng, 0, 10)) == 3) {
        r.eFontSize = pickNumber(rng);
        r.cbFontSize = pick(rng, -1, 3);
    }
    if ((r.sbColor = chance()))
        r.pColor = pick(rng, 0, 0xFFFFFF);
    if ((r.sbBGColor = chance()))
        r.pBGColor = pick(rng, 0, 0xFFFFFF);
    if ((r.chBgImage = chance()))
        r.eBgImage = text();
    r.chBgFixed = chance();
    r.rgBgRepeat = pick(rng, 0, 4);
    if ((r.chPosition = chance())) {
        if ((r.rgPosition1 = pick(rng, 0, 3)) == 0) {
            r.ePositionX = pickNumber(rng, -CSSUpDownMax);
            r.cbPositionX = pick(rng, -1, 8);
        }
        if ((r.rgPosition2 = pick(rng, 0, 3)) == 0) {
            r.ePositionY = pickNumber(rng, -CSSUpDownMax);
            r.cbPositionY = pick(rng, -1, 8);
        }
    }
    if ((r.chLetterSpacing = chance())) {
        r.eLetterSpacing = pickNumber(rng);
        r.cbLetterSpacing = pick(rng, -1, 7);
    }
    if ((r.chTextIndent = chance())) {
        r.eTextIndent = pickNumber(rng);
        r.cbTextIndent = pick(rng, -1, 8);
    }
    if ((r.chLineHeight = chance())) {
        // Its first entry is the empty unit, so "no entry" never comes back.
        r.eLineHeight = pickNumber(rng);
        r.cbLineHeight = pick(rng, 0, 9);
    }
    r.rgTextTransform = pick(rng, 0, 3);
    r.rgTextDecoration = pick(rng, 0, 4);
    r.rgTextAlign = pick(rng, 0, 4);
    if ((r.rgVerticalAlign = pick(rng, 0, 9)) == 9)
        r.eVerticalAlign = pickNumber(rng);
    r.rgFloat = pick(rng, 0, 2);
    r.rgClear = pick(rng, 0, 3);
    for (int side = bsTop; side <= bsLeft; ++side) {
        if ((r.sbMargin[side] = chance())) {
            r.eMargin[side] = pickNumber(rng);
            r.cbMargin[side] = pick(rng, -1, 8);
        }
        if ((r.sbPadding[side] = chance())) {
            r.ePadding[side] = pickNumber(rng);
            r.cbPadding[side] = pick(rng, -1, 8);
        }
        if ((r.cbBorderWidth2[side] = pick(rng, 0, 4)) == 4) {
            r.eBorderWidth[side] = pickNumber(rng);
            r.cbBorderWidth[side] = pick(rng, -1, 7);
        }
        r.cbBorderStyle[side] = pick(rng, 0, 6);
        if (!(r.sbBorderColor[side] = !chance()))
            r.BorderColor[side] = pick(rng, 0, 0xFFFFFF);
    }
    r.rgDisplay = pick(rng, 0, 4);
    r.rgListStyleType = pick(rng, 0, 9);
    if ((r.chListStyleImage = chance()))
        r.eListStyleImage = text();
    r.rgListStylePosition = pick(rng, 0, 2);
    for (auto [on, edit, unit, units] : {std::tuple{&r.sbWidth, &r.eWidth, &r.cbWidth, 8},
                                         {&r.sbHeight, &r.eHeight, &r.cbHeight, 7},
                                         {&r.sbLeft, &r.eLeft, &r.cbLeft, 8},
                                         {&r.sbTop, &r.eTop, &r.cbTop, 8}})
        if ((*on = chance())) {
            *edit = pickNumber(rng);
            *unit = pick(rng, -1, units);
        }
    if ((r.chClip = chance()))
        for (int side = bsTop; side <= bsLeft; ++side) {
            r.eClip[side] = pickNumber(rng);
            r.cbClip[side] = pick(rng, -1, 7);
        }
    r.cbOverFlow = pick(rng, 0, 4);
    r.cbPosition = pick(rng, 0, 5);
    r.cbVisibility = pick(rng, 0, 3);
    if ((r.chZIndex = chance()))
        r.eZIndex = pickNumber(rng);
    r.rgPageBreakBefore = pick(rng, 0, 6);
    r.rgPageBreakAfter = pick(rng, 0, 6);
    r.rgCursor = pick(rng, 0, 16);
    return r;
}

} // namespace

// Failures show the rule as it would be written.
void PrintTo(const TCssRule& rule, std::ostream* os)
{
    *os << '"' << rule.WriteStyle() << '"';
}

TEST(CssRule, ColoursAreWrittenAsRRGGBBAndReadBack)
{
    EXPECT_EQ(ColorToCSS(0x0000FF), "FF0000");
    EXPECT_EQ(ColorToCSS(0x123456), "563412");
    EXPECT_EQ(ColorToCSS(static_cast<TColor>(0x7F0A0B0C)), "0C0B0A");
    EXPECT_EQ(CSSToColor("# ff 00 00"), clRed);
    EXPECT_EQ(CSSToColor("#00ff00FFFF"), clLime);
    EXPECT_EQ(CSSToColor("#12"), clBlack);
    EXPECT_EQ(CSSToColor("zz0000"), clBlack);
    EXPECT_EQ(CSSToColor("0000zz"), clBlack);
    EXPECT_EQ(CSSToColor(""), clBlack);

    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        const TColor color = pick(rng, 0, 0xFFFFFF);
        ASSERT_EQ(CSSToColor(std::string("#").append(ColorToCSS(color))), color);
        ASSERT_EQ(CSSToColor(AsciiLowerCase(ColorToCSS(color))), color);
    }
}

TEST(CssRule, SplitNumberUnitSeparatesDigitsFromTheRest)
{
    using Parts = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitNumberUnit("12 px"), Parts("12", "px"));
    EXPECT_EQ(SplitNumberUnit("-3em"), Parts("3", "-em"));
    EXPECT_EQ(SplitNumberUnit("1.5em"), Parts("1.5", "em"));
    EXPECT_EQ(SplitNumberUnit("12,5pt"), Parts("12,5", "pt"));
    EXPECT_EQ(SplitNumberUnit("px12"), Parts("12", "px"));
    EXPECT_EQ(SplitNumberUnit(" "), Parts("", ""));
}

TEST(CssRule, PropertyTableHasSeventyTwoNamesFoundWithoutCase)
{
    ASSERT_EQ(CSSPropertyNames.size(), 72u);
    for (size_t i = 0; i < CSSPropertyNames.size(); ++i) {
        EXPECT_EQ(CSSPropertyIndex(CSSPropertyNames[i]), static_cast<int>(i));
        EXPECT_EQ(CSSPropertyIndex(AsciiUpperCase(CSSPropertyNames[i])), static_cast<int>(i));
    }
    EXPECT_EQ(CSSPropertyIndex("font-family"), 0);
    EXPECT_EQ(CSSPropertyIndex("Padding-top"), 27);
    EXPECT_EQ(CSSPropertyIndex("cursor"), 71);
    EXPECT_EQ(CSSPropertyIndex("@FONT-FACE"), 6);
    EXPECT_EQ(CSSPropertyIndex(""), -1);
    EXPECT_EQ(CSSPropertyIndex("font-size "), -1);
    EXPECT_EQ(CSSPropertyIndex("word-wrap"), -1);

    std::vector<int> withoutControl;
    for (int i = -1; i <= 72; ++i)
        if (!CSSPropertyHasControl(i))
            withoutControl.push_back(i);
    EXPECT_EQ(withoutControl, (std::vector<int>{-1, 5, 6, 13, 21, 26, 31, 36, 41, 46, 47, 48, 49, 50, 51, 58, 70, 72}));
}

TEST(CssRule, ClearControlsEmptiesEverythingButTheColours)
{
    const TCssRule fresh;
    EXPECT_EQ(fresh.eFontSize, "0");
    EXPECT_EQ(fresh.eZIndex, "0");
    EXPECT_EQ(fresh.eClip[bsLeft], "0");
    EXPECT_EQ(fresh.eMargin[bsBottom], "0");
    EXPECT_EQ(fresh.eFontFamily, "");
    EXPECT_EQ(fresh.cbLineHeight, 0);
    EXPECT_EQ(fresh.sbBorderColor, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(fresh.pColor, clBlack);

    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        TCssRule rule = randomRule(rng);
        rule.mRestos = {"a: b;"};
        rule.pColor = clRed;
        rule.pBGColor = clBlue;
        rule.BorderColor = {clLime, clNavy, clTeal, clWhite};
        rule.ClearControls();
        TCssRule expected;
        expected.pColor = clRed;
        expected.pBGColor = clBlue;
        expected.BorderColor = {clLime, clNavy, clTeal, clWhite};
        ASSERT_EQ(rule, expected);
    }
}

TEST(CssRule, ReadStyleSetsControlsByTheReaderTable)
{
    EXPECT_EQ(readRule("cursor: help;").rgCursor, 16);
    EXPECT_EQ(readRule("cursor: AUTO;").rgCursor, 1);
    EXPECT_EQ(readRule("display: list-item;").rgDisplay, 4);
    EXPECT_EQ(readRule("font-size: larger;").rgFontSize, 1);
    EXPECT_EQ(readRule("font-size: xx-small;").rgFontSize, 10);
    EXPECT_EQ(readRule("vertical-align: text-bottom;").rgVerticalAlign, 8);
    EXPECT_EQ(readRule("position: inherit;").cbPosition, 5);
    EXPECT_EQ(readRule("list-style-type: none;").rgListStyleType, 9);
    EXPECT_EQ(readRule("page-break-after: inherit;").rgPageBreakAfter, 6);

    TCssRule r = readRule("font-family: Verdana, sans-serif; font-weight: BOLD; font-size: 12pt;"
                          "color: #FF8000; background-color: 0000ff; background-attachment: fixed;"
                          "background-position: top 10%; line-height: 2; vertical-align: 50%;"
                          "Padding-left: 3em; border-top-width: thick; border-left-width: 2px;"
                          "border-right-color: #00FF00; border-bottom-style: outset;"
                          "clip: rect(1px 2EM 3 4pt); z-index: 10; left: 7px;");
    EXPECT_TRUE(r.chFontFamily);
    EXPECT_EQ(r.eFontFamily, "Verdana, sans-serif");
    EXPECT_TRUE(r.chBold);
    EXPECT_EQ(r.rgFontSize, 3);
    EXPECT_EQ(r.eFontSize, "12");
    EXPECT_EQ(r.cbFontSize, 3);
    EXPECT_TRUE(r.sbColor);
    EXPECT_EQ(r.pColor, static_cast<TColor>(0x0080FF));
    EXPECT_TRUE(r.sbBGColor);
    EXPECT_EQ(r.pBGColor, clBlue);
    EXPECT_TRUE(r.chBgFixed);
    EXPECT_TRUE(r.chPosition);
    EXPECT_EQ(r.rgPosition1, 1);
    EXPECT_EQ(r.rgPosition2, 0);
    EXPECT_EQ(r.ePositionY, "10");
    EXPECT_EQ(r.cbPositionY, 3);
    EXPECT_TRUE(r.chLineHeight);
    EXPECT_EQ(r.eLineHeight, "2");
    EXPECT_EQ(r.cbLineHeight, 0);
    EXPECT_EQ(r.rgVerticalAlign, 9);
    EXPECT_EQ(r.eVerticalAlign, "50");
    EXPECT_TRUE(r.sbPadding[bsLeft]);
    EXPECT_EQ(r.ePadding[bsLeft], "3");
    EXPECT_EQ(r.cbPadding[bsLeft], 0);
    EXPECT_EQ(r.cbBorderWidth2[bsTop], 3);
    EXPECT_EQ(r.cbBorderWidth2[bsLeft], 4);
    EXPECT_EQ(r.eBorderWidth[bsLeft], "2");
    EXPECT_EQ(r.cbBorderWidth[bsLeft], 2);
    EXPECT_EQ(r.sbBorderColor, (std::array<bool, 4>{true, false, true, true}));
    EXPECT_EQ(r.BorderColor[bsRight], clLime);
    EXPECT_EQ(r.cbBorderStyle[bsBottom], 6);
    EXPECT_TRUE(r.chClip);
    EXPECT_EQ(r.eClip, (std::array<std::string, 4>{"1", "2", "3", "4"}));
    EXPECT_EQ(r.cbClip, (std::array<int, 4>{2, 0, -1, 6}));
    EXPECT_TRUE(r.chZIndex);
    EXPECT_EQ(r.eZIndex, "10");
    EXPECT_TRUE(r.sbLeft);
    EXPECT_EQ(r.eLeft, "7");
    EXPECT_TRUE(r.mRestos.empty());

    TCssRule position = readRule("background-position: -5px center;");
    EXPECT_EQ(position.ePositionX, "-5");
    EXPECT_EQ(position.cbPositionX, 2);
    EXPECT_EQ(position.rgPosition2, 2);
}

TEST(CssRule, ReadStyleKeepsTheFirstOfARepeatedPropertyAndTheRestInTheMemo)
{
    TCssRule r = readRule("cursor: wait; cursor: help; float: left; float: none;");
    EXPECT_EQ(r.rgCursor, 15);
    EXPECT_EQ(r.rgFloat, 1);
    EXPECT_EQ(r.mRestos, std::vector<std::string>{"float: none;"});
    // A value no control holds does not undo an earlier one that a control does hold.
    EXPECT_EQ(readRule("float: none; float: left;").rgFloat, 1);

    r = readRule("/* uno */ word-spacing: 2px; x-extra: a:b; font: 12px serif; foo: ; /* dos */");
    EXPECT_EQ(r.mRestos, (std::vector<std::string>{"foo: ;", "font: 12px serif;", "x-extra: a:b;",
                                                   "word-spacing: 2px;", "/* dos */", "/* uno */"}));
}

TEST(CssRule, ReadStyleLeavesWhatNoControlHoldsVerbatimAndReadsOn)
{
    TCssRule r = readRule("margin-top: -5px; font-size: 1.5em; color: red; cursor: help;");
    EXPECT_EQ(r.mRestos, (std::vector<std::string>{"color: red;", "font-size: 1.5em;", "margin-top: -5px;"}));
    EXPECT_EQ(r.rgCursor, 16);
    EXPECT_FALSE(r.sbMargin[bsTop]);
    EXPECT_EQ(r.rgFontSize, 0);
    EXPECT_FALSE(r.sbColor);

    for (const char* declaration :
         {"font-size: 12,5pt", "font-size: 12px", "font-size: 12 pt", "font-weight: normal",
          "background-position: top", "background-position: 0 0, 10px 10px", "background-position: left top",
          "background-attachment: scroll", "color: #FFF", "color: #FF000080", "color: ",
          "border-top-color: blue", "margin-left: auto", "margin-left: 40000px", "margin-left: +5px",
          "letter-spacing: 1e3px", "vertical-align: 10px", "vertical-align: -10%", "clip: auto",
          "clip: rect(1px, 2px, 3px, 4px)", "clip: rect(1px 2px 3px)", "clip: shape(1px 2px 3px 4px)",
          "z-index: auto", "z-index: -1", "height: 10%", "line-height: normal", "list-style-type: square inside",
          "border-top-style: dotted", "text-align: start", "width: 50PX!important"}) {
        const TCssRule rule = readRule(declaration + std::string(";"));
        TCssRule expected;
        expected.eClass = 'x';
        const std::string line = declaration + std::string(";");
        const size_t colon = line.find(':');
        expected.mRestos = {line.substr(0, colon) + ": " + Trim(line.substr(colon + 1, line.size() - colon - 2)) + ";"};
        EXPECT_EQ(rule, expected) << declaration;
    }
}

TEST(CssRule, ReadStyleFindsTheSelectedRuleOfANormalisedLibrary)
{
    const std::string library = CSSFormatRule("a {color: #0000FF}\nh1 {\n\tcolor: #ff0000;\n\tbackground-image: url(a:b);\n}");
    const std::vector<std::string> selectors = CSSListSelectors(library);
    ASSERT_EQ(selectors.size(), 2u);
    TCssRule r;
    r.ReadStyle(library, selectors[1]);
    EXPECT_EQ(r.eClass, "h1 ");
    EXPECT_TRUE(r.sbColor);
    EXPECT_EQ(r.pColor, clRed);
    EXPECT_EQ(r.eBgImage, "url(a : b)");
    TCssRule missing;
    missing.ReadStyle(library, "p");
    TCssRule expected;
    expected.eClass = "p";
    EXPECT_EQ(missing, expected);
}

TEST(CssRule, WriteStyleWritesItsLinesInTableOrder)
{
    TCssRule r;
    r.eClass = " h1 ";
    EXPECT_EQ(r.WriteStyle(), "h1\r\n{\r\n}\r\n");

    r.eClass = "p";
    r.rgCursor = 16;
    r.sbMargin[bsTop] = true;
    r.eMargin[bsTop] = "5";
    r.cbMargin[bsTop] = 2;
    r.sbColor = true;
    r.pColor = clRed;
    r.chBold = true;
    r.chFontFamily = true;
    r.eFontFamily = " Arial ";
    r.mRestos = {"x-extra: 1;", "/* c */"};
    EXPECT_EQ(r.WriteStyle(), "p\r\n{\r\nfont-family: Arial;\r\nfont-weight: bold;\r\ncolor: #FF0000;\r\n"
                              "margin-top: 5px;\r\ncursor: help;\r\nx-extra: 1;\r\n/* c */\r\n}\r\n");

    // Every control set: one line each, in the fixed order.
    TCssRule all;
    all.chFontFamily = all.chItalic = all.chSmallCaps = all.chBold = all.sbColor = all.sbBGColor = true;
    all.chBgImage = all.chBgFixed = all.chPosition = all.chLetterSpacing = all.chTextIndent = true;
    all.chLineHeight = all.chListStyleImage = all.chClip = all.chZIndex = true;
    all.sbWidth = all.sbHeight = all.sbLeft = all.sbTop = true;
    all.rgFontSize = 3;
    all.rgBgRepeat = all.rgTextTransform = all.rgTextDecoration = all.rgTextAlign = all.rgVerticalAlign = 1;
    all.rgFloat = all.rgClear = all.rgDisplay = all.rgListStyleType = all.rgListStylePosition = 1;
    all.cbOverFlow = all.cbPosition = all.cbVisibility = all.rgPageBreakBefore = all.rgPageBreakAfter = 1;
    all.rgCursor = 1;
    all.sbMargin = all.sbPadding = {true, true, true, true};
    all.sbBorderColor = {false, false, false, false};
    all.cbBorderWidth2 = {1, 2, 3, 4};
    all.cbBorderStyle = {1, 1, 1, 1};
    std::vector<std::string> expected = {
        "font-family", "font-style", "font-variant", "font-weight", "font-size", "color", "background-color",
        "background-image", "background-repeat", "background-attachment", "background-position",
        "letter-spacing", "text-decoration", "vertical-align", "text-transform", "text-align",
        "text-indent", "line-height", "margin-top", "margin-right", "margin-bottom", "margin-left",
        "Padding-top", "Padding-right", "Padding-bottom", "Padding-left", "border-top-width",
        "border-right-width", "border-bottom-width", "border-left-width", "border-top-color",
        "border-right-color", "border-bottom-color", "border-left-color", "border-top-style",
        "border-right-style", "border-bottom-style", "border-left-style", "float", "clear", "display",
        "list-style-type", "list-style-image", "list-style-position", "clip", "height", "left",
        "overflow", "position", "top", "visibility", "width", "z-index", "page-break-before",
        "page-break-after", "cursor"};
    EXPECT_EQ(writtenProperties(all), expected);
    const std::vector<std::string> written = lines(all.WriteStyle());
    EXPECT_EQ(written[1 + 5], "font-size: 0%;");
    EXPECT_EQ(written[1 + 11], "background-position: 0em 0em;");
    EXPECT_EQ(written[1 + 14], "vertical-align: sub;");
    EXPECT_EQ(written[1 + 18], "line-height: 0;");
    EXPECT_EQ(written[1 + 27], "border-top-width: thin;");
    EXPECT_EQ(written[1 + 30], "border-left-width: 0em;");
    EXPECT_EQ(written[1 + 45], "clip: rect(0em 0em 0em 0em);");

    // Entries past a list write nothing; a unit with no entry selected writes no unit.
    TCssRule odd;
    odd.rgCursor = 17;
    odd.cbOverFlow = -1;
    odd.sbWidth = true;
    odd.cbWidth = -1;
    odd.rgVerticalAlign = 9;
    odd.eVerticalAlign = "25";
    EXPECT_EQ(odd.WriteStyle(), "\r\n{\r\nvertical-align: 25%;\r\nwidth: 0;\r\n}\r\n");
}

TEST(CssRule, RepresentableRulesSurviveWritingAndReading)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 2000; ++round) {
        const TCssRule rule = randomRule(rng);
        TCssRule back;
        back.ReadStyle(rule.WriteStyle(), rule.eClass);
        ASSERT_EQ(back, rule) << rule.WriteStyle();
    }

    // Read, write, read: the controls come back the same, the memo's lines reversed.
    const std::string text = "h1{font-family: Georgia; font-style: italic; font-size: x-large; color: #102030;"
                             "text-indent: 4em; margin-bottom: 0; border-left-style: groove; clip: rect(0 1px 2px 3px);"
                             "cursor: move; word-spacing: 1px; unknown: value; top: 12pt;}";
    TCssRule first;
    first.ReadStyle(text, "h1");
    TCssRule second;
    second.ReadStyle(first.WriteStyle(), "h1");
    std::vector<std::string> memo = second.mRestos;
    std::reverse(memo.begin(), memo.end());
    EXPECT_EQ(memo, first.mRestos);
    second.mRestos = first.mRestos;
    EXPECT_EQ(second, first);
    EXPECT_EQ(first.mRestos, (std::vector<std::string>{"unknown: value;", "word-spacing: 1px;"}));
}
