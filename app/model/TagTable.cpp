// The tag table: the codes each command number inserts, and the item lists of the tool pages' drop-down buttons.
#include "app/model/TagTable.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "platform/core/SysUtils.h"

namespace {

// Captions shown to the user, one string-table entry per list with the items on lines of their own.
constexpr int kTagsCaptions = 4650;
constexpr int kBlockTagsCaptions = 4651;
constexpr int kDocTypeCaptions = 4652;
constexpr int kSoundCaptions = 4653;
constexpr int kColorCaptions = 4654;
constexpr int kLineBreakCaptions = 4655;
constexpr int kRuleCaptions = 4656;
constexpr int kSpecialCharacterCaptions = 4657;

// Sorted by Tag, so that a look-up is a binary search.
constexpr TTagCodes kFixedCodes[] = {
    {1, " ALIGN=\"Right\"", "", false},
    {2, " ALIGN=\"Center\"", "", false},
    {3, " ALIGN=\"Left\"", "", false},
    {4, " VALIGN=\"Top\"", "", false},
    {5, " VALIGN=\"Middle\"", "", false},
    {6, " VALIGN=\"Bottom\"", "", false},
    {7, " VALIGN=\"Baseline\"", "", false},
    {8, " SIZE=\"", "\"", false},
    {9, " WIDTH=\"", "\"", false},
    {10, "<P>", "", false},
    {11, " HEIGHT=\"", "\"", false},
    {12, "<NOBR>", "", false},
    {14, "<DIV>", "</DIV>", true},
    {16, "<BLOCKQUOTE>", "</BLOCKQUOTE>", true},
    {17, "<CENTER>", "</CENTER>", true},
    {19, "<DL>", "</DL>", true},
    {20, "<DT>", "", true},
    {21, "<DD>", "", true},
    {22, "<LI>", "", true},
    {23, "<MENU>", "</MENU>", true},
    {24, "<DIR>", "</DIR>", true},
    {25, "<!-- ", " -->", true},
    {28, "<HR>", "", false},
    {29, "<BR>", "", false},
    {36, " ID=", "", false},
    {38, "<P>", "</P>", true},
    {40, "<LI>", "", false},
    {54, "<I>", "</I>", true},
    {55, "<B>", "</B>", true},
    {56, "<U>", "</U>", true},
    {57, "<S>", "</S>", true},
    {58, "<SUP>", "</SUP>", true},
    {59, "<SUB>", "</SUB>", true},
    {60, "<MAP NAME=\"", "\"></MAP>", true},
    {61, "<AREA COORDS=\"", "\">", false},
    {62, " NOHREF", "", false},
    {65, " USEMAP=\"", "\"", false},
    {81, "<TR>", "</TR>", true},
    {82, " ROWSPAN=\"", "\"", false},
    {83, "<TD>", "</TD>", true},
    {84, " COLSPAN=\"", "\"", false},
    {85, "<TH>", "</TH>", true},
    {86, "<CAPTION>", "</CAPTION>", true},
    {102, "<NOFRAMES>", "</NOFRAMES>", true},
    {112, "<NOSCRIPT>", "</NOSCRIPT>", true},
    {260, "<!--INI_OMITECHAR-->", "<!--FIN_OMITECHAR-->", false},
    {500, " LEFT=\"", "\"", false},
    {501, " TOP=\"", "\"", false},
    {502, " HSPACE=\"", "\"", false},
    {503, " VSPACE=\"", "\"", false},
    {504, " NAME=\"", "\"", false},
    {505, " TITLE=\"", "\"", false},
    {506, " ALT=\"", "\"", false},
    {507, " LANG=\"", "\"", false},
    {508, " ACCESSKEY=\"", "\"", false},
    {509, " TARGET=\"", "\"", false},
    {510, " CLASS=\"", "\"", false},
};

TStringList listOf(std::initializer_list<const char*> items)
{
    TStringList list;
    for (const char* item : items)
        list.Add(item);
    return list;
}

TStringList captionsOf(int id)
{
    return LinesOf(LoadResString(id));
}

// The frame attributes that both frame buttons offer.
constexpr const char* kFrameItems[] = {
    "  SRC=\"...\"", "  NAME=\"...\"", "  SCROLLING=\"yes\"", "  SCROLLING=\"no\"", "  NORESIZE",
    "  MARGINWIDTH=\"...\"", "  MARGINHEIGHT=\"...\"", "  FRAMEBORDER=\"1\"", "  FRAMEBORDER=\"0\"",
    "  FRAMEBORDER=\"yes\"", "  FRAMEBORDER=\"no\"", "  FRAMESPACING=\"...\""};

TStringList frameItems(bool inlineFrame)
{
    TStringList list;
    list.Add(inlineFrame ? "<IFRAME...></IFRAME>" : "<FRAME...>");
    for (const char* item : kFrameItems) {
        std::string text = item;
        // The inline frame's scrolling choices are written without quotes.
        if (inlineFrame && text == "  SCROLLING=\"yes\"")
            text = "  SCROLLING=yes";
        else if (inlineFrame && text == "  SCROLLING=\"no\"")
            text = "  SCROLLING=no";
        list.Add(text);
    }
    if (inlineFrame)
        for (const char* item : {"  HEIGHT=\"...\"", "  WIDTH=\"...\"", "  HSPACE=\"...\"", "  VSPACE=\"...\""})
            list.Add(item);
    return list;
}

TDropDownList selectList(const char* name, TStringList items)
{
    TDropDownList list;
    list.Button = name;
    list.Items = std::move(items);
    return list;
}

TDropDownList tagList(const char* name, int tag, TStringList items, TStringList hints = {})
{
    TDropDownList list;
    list.Button = name;
    list.Handler = TDropDownHandler::Tag;
    list.Tag = tag;
    list.Items = std::move(items);
    list.Hints = std::move(hints);
    return list;
}

// The format filled in with each number from 1 to `last`.
TStringList numberedItems(const char* format, int last)
{
    TStringList list;
    for (int n = 1; n <= last; ++n)
        list.Add(Format(format, n));
    return list;
}

TStringList fontSizeItems()
{
    return numberedItems("SIZE=\"%d\"", 7);
}

TStringList docTypeHints()
{
    // The first two items (the bare declaration and the separator) carry no identifier.
    return listOf({"", "", "-//W3C//DTD HTML 4.0//EN", "-//W3C//DTD HTML 3.2//EN", "-//IETF//DTD HTML 2.0//EN",
                   "-//IETF//DTD HTML Level 1//EN", "-//IETF//DTD HTML Strict Level 2//EN",
                   "-//IETF//DTD HTML Strict Level 1//EN"});
}

TStringList colorHints()
{
    return listOf({"", "BGCOLOR", "BORDERCOLOR", "BORDERCOLORDARK", "BORDERCOLORLIGHT", "COLOR", "", "", ""});
}

} // namespace

const TTagCodes* FixedTagCodes(int tag)
{
    const auto* end = std::end(kFixedCodes);
    const auto* found = std::lower_bound(std::begin(kFixedCodes), end, tag,
                                         [](const TTagCodes& row, int value) { return row.Tag < value; });
    return found != end && found->Tag == tag ? found : nullptr;
}

const std::vector<std::string>& DropDownButtonNames()
{
    static const std::vector<std::string> names = {
        "sbHTML", "VSpeedBtnMenu1", "sbLinkOptions", "sbShape", "sbFrameset", "sbFrame", "sbIFrame",
        "sbScripts", "sbTableOptions", "sbColGroup", "sbTableFrame", "sbTableRules", "sbTableHeads",
        "sbSpacer", "sbMulticol", "sbMarquee", "sbTags", "sbBlockTags", "sbDocType", "SbTamanoFuente",
        "sbSound", "sbColor"};
    return names;
}

TDropDownList DropDownList(std::string_view name)
{
    if (name == "sbHTML")
        return selectList("sbHTML", listOf({
            "<HTML>...</HTML>", "-", "<HEAD>...</HEAD>", "-", "<BASE HREF=\"...\">", "<BASE TARGET=\"...\">",
            "<ISINDEX...>", "  ACTION=\"...\"", "  PROMPT=\"...\"", "<LINK...>", "  HREF=\"...\"", "  REL=\"...\"",
            "  REV=\"...\"", "  TITLE=\"...\"", "  TYPE=\"...\"", "<META...>", "  HTTP-EQUIV=\"...\"",
            "  CONTENT=\"...\"", "  NAME=\"...\"", "  URL=\"...\"", "<STYLE>...</STYLE>", "  TITLE=\"...\"",
            "  TYPE=\"...\"", "<TITLE>...</TITLE>"}));
    if (name == "VSpeedBtnMenu1")
        return selectList("VSpeedBtnMenu1", listOf({
            "<BODY>...</BODY>", "<BODY...>", "-", " ALINK=\"...\"", " LINK=\"...\"", " TEXT=\"...\"",
            " VLINK=\"...\"", "-", " BACKGROUND=\"...\"", " BGCOLOR=\"...\"", " BGPROPERTIES=\"fixed\"", "-",
            " BOTTOMMARGIN=\"...\"", " LEFTMARGIN=\"...\"", " RIGHTMARGIN=\"...\"", " TOPMARGIN=\"...\""}));
    if (name == "sbLinkOptions")
        return selectList("sbLinkOptions", listOf({
            "METHODS=\"...\"", "REL=\"...\"", "REV=\"...\"", "TARGET=\"...\"", "TITLE=\"...\"", "URN=\"...\"", "-",
            "onmouseover=\"self.status='...';return true\""}));
    if (name == "sbShape")
        return selectList("sbShape", listOf({"SHAPE=\"rect\"", "SHAPE=\"circle\"", "SHAPE=\"poly\""}));
    if (name == "sbFrameset")
        return selectList("sbFrameset", listOf({
            "<FRAMESET>...</FRAMESET>", "  COLS=\"...\"", "  ROWS=\"...\"", "  BORDER=\"...\"",
            "  FRAMEBORDER=\"1\"", "  FRAMEBORDER=\"0\"", "  FRAMEBORDER=\"yes\"", "  FRAMEBORDER=\"no\"",
            "  FRAMESPACING=\"...\""}));
    if (name == "sbFrame")
        return selectList("sbFrame", frameItems(false));
    if (name == "sbIFrame")
        return selectList("sbIFrame", frameItems(true));
    if (name == "sbScripts")
        return selectList("sbScripts", listOf({
            "<SCRIPT>...</SCRIPT>", "<SCRIPT LANGUAGE=\"JavaScript\">...</SCRIPT>",
            "<SCRIPT LANGUAGE=\"VBScript\">...</SCRIPT>", "-", "EVENT=\"...\"", "FOR=\"...\""}));
    if (name == "sbTableOptions")
        return selectList("sbTableOptions", listOf({
            "<TABLE>...</TABLE>", "BORDER", "CELLPADDING=\"...\"", "CELLSPACING=\"...\""}));
    if (name == "sbColGroup")
        return selectList("sbColGroup", listOf({"<COLGROUP SPAN=\"...\">", "<COL...>"}));
    if (name == "sbTableFrame")
        return selectList("sbTableFrame", listOf({
            "FRAME=\"void\"", "FRAME=\"above\"", "FRAME=\"below\"", "FRAME=\"hsides\"", "FRAME=\"lhs\"",
            "FRAME=\"rhs\"", "FRAME=\"vsides\"", "FRAME=\"box\""}));
    if (name == "sbTableRules")
        return selectList("sbTableRules", listOf({
            "RULES=\"none\"", "RULES=\"basic\"", "RULES=\"rows\"", "RULES=\"cols\"", "RULES=\"all\""}));
    if (name == "sbTableHeads")
        return selectList("sbTableHeads", listOf({"<THEAD>...</THEAD>", "<TBODY>...</TBODY>", "<TFOOT>...</TFOOT>"}));
    if (name == "sbSpacer")
        return selectList("sbSpacer", listOf({
            "<SPACER TYPE=\"block\">", "<SPACER TYPE=\"horizontal\">", "<SPACER TYPE=\"vertical\">"}));
    if (name == "sbMulticol")
        return selectList("sbMulticol", listOf({
            "<MULTICOL>...</MULTICOL>", "  COLS=\"...\"", "  GUTTER=\"...\"", "  WIDTH=\"...\""}));
    if (name == "sbMarquee")
        return selectList("sbMarquee", listOf({
            "<MARQUEE>...</MARQUEE>", "  BEHAVIOR=\"Slide\"", "  BEHAVIOR=\"Alternate\"", "  DIRECTION=\"Right\"",
            "  HSPACE=\"...\"", "  LOOP=\"-1\"", "  SCROLLAMOUNT=\"...\"", "  SCROLLDELAY=\"...\"", "  VSPACE=\"...\""}));
    if (name == "sbTags")
        return tagList("sbTags", 3, captionsOf(kTagsCaptions), listOf({
            "ACRONYM", "TT", "SPAN", "BUTTON", "CITE", "CODE", "COMMENT", "DFN", "SAMP", "EM", "STRONG", "BIG",
            "SMALL", "Q", "STRIKE", "KBD", "DEL", "INS", "BLINK", "VAR"}));
    if (name == "sbBlockTags")
        return tagList("sbBlockTags", 3, captionsOf(kBlockTagsCaptions), listOf({
            "DIV", "ADDRESS", "LISTING", "XMP", "P", "PRE", "BLOCKQUOTE", "PLAINTEXT", "CENTER", "FIELDSET",
            "LEGEND"}));
    if (name == "sbDocType")
        return tagList("sbDocType", 4, captionsOf(kDocTypeCaptions), docTypeHints());
    if (name == "SbTamanoFuente")
        return tagList("SbTamanoFuente", 2, fontSizeItems());
    if (name == "sbSound")
        return tagList("sbSound", 5, captionsOf(kSoundCaptions));
    if (name == "sbColor")
        return tagList("sbColor", 30, captionsOf(kColorCaptions), colorHints());
    TDropDownList none;
    none.Button = std::string(name);
    return none;
}

TStringList LineBreakItems()
{
    return captionsOf(kLineBreakCaptions);
}

TStringList LinesOf(std::string_view text)
{
    TStringList lines;
    lines.SetText(text);
    return lines;
}

TStringList RuleItems()
{
    return captionsOf(kRuleCaptions);
}

TStringList HeadingItems()
{
    return numberedItems("H%d", 6);
}

TStringList SpecialCharacterCaptions()
{
    return captionsOf(kSpecialCharacterCaptions);
}

TStringList URLSchemes()
{
    return listOf({"http://", "https://", "ftp://", "mailto:", "news:", "file:///"});
}
