// Tests of the plain text routines of the HTML tools.
#include "app/model/libKestrima.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"
#include "support/Dates.h"
#include "support/StringListItems.h"

namespace {

using Strings = std::vector<std::string>;

} // namespace

TEST(LetterCase, OutsideQuotesKeepsQuotedTextAndEveryModeKeepsTheLength)
{
    EXPECT_EQ(UpperCaseOutsideQuotes("<a href=\"x.htm\">"), "<A HREF=\"x.htm\">");
    EXPECT_EQ(LowerCaseOutsideQuotes("<A HREF=\"X.HTM\" ALT='Q'>"), "<a href=\"X.HTM\" alt='q'>");
    EXPECT_EQ(UpperCaseOutsideQuotes("a\"b\"c\"d"), "A\"b\"C\"d");
    EXPECT_EQ(ApplyCaseMode(0, "<a \xF1\x61>"), "<A \xD1""A>");
    EXPECT_EQ(ApplyCaseMode(1, "<A \xD1>"), "<a \xF1>");
    EXPECT_EQ(ApplyCaseMode(2, "<a b=\"c\">"), "<A B=\"c\">");
    EXPECT_EQ(ApplyCaseMode(3, "<A B=\"C\">"), "<a b=\"C\">");
    EXPECT_EQ(ApplyCaseMode(4, "<a B>"), "<a B>");
    EXPECT_EQ(ApplyCaseMode(-1, "<a B>"), "<a B>");
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = random() % 40; i > 0; --i)
            text += static_cast<char>(random() % 256);
        for (int mode = 0; mode <= 4; ++mode)
            EXPECT_EQ(ApplyCaseMode(mode, text).size(), text.size());
        // Upper then lower outside quotes is plain lower case outside quotes.
        EXPECT_EQ(LowerCaseOutsideQuotes(UpperCaseOutsideQuotes(text)), LowerCaseOutsideQuotes(text));
    }
}

TEST(CapitalizeWords, UpperAfterBlanksAndControlsLowerElsewhereAsciiOnly)
{
    EXPECT_EQ(CapitalizeWords("hola MUNDO feliz"), "Hola Mundo Feliz");
    EXPECT_EQ(CapitalizeWords("uno\r\ndos\ttres-cuatro"), "Uno\r\nDos\tTres-cuatro");
    EXPECT_EQ(CapitalizeWords("  x"), "  X");
    // Accented letters are left as they are.
    EXPECT_EQ(CapitalizeWords("\xE1rbol \xC1RBOL"), "\xE1rbol \xC1rbol");
    EXPECT_EQ(CapitalizeWords(""), "");
}

TEST(RemoveLineBreaks, CrBecomesABlankTabAndLfGo)
{
    EXPECT_EQ(RemoveLineBreaks("a\r\nb\tc\rd\ne"), "a bc de");
    EXPECT_EQ(RemoveLineBreaks("<IMG\r\n\tSRC=x>"), "<IMG SRC=x>");
}

TEST(ParseTagAttributes, NamesAndValuesStayParallel)
{
    TStringList names, values;
    EXPECT_EQ(ParseTagAttributes("<IMG SRC=\"a.gif\" ISMAP>", names, values), "IMG");
    EXPECT_EQ(Items(names), (Strings{"SRC", "ISMAP"}));
    EXPECT_EQ(Items(values), (Strings{"a.gif", ""}));

    EXPECT_EQ(ParseTagAttributes("<a href='x y.htm' target=_top\r\n name = uno>", names, values), "a");
    EXPECT_EQ(Items(names), (Strings{"href", "target", "name"}));
    EXPECT_EQ(Items(values), (Strings{"x y.htm", "_top", "uno"}));

    EXPECT_EQ(ParseTagAttributes("<TD NOWRAP COLSPAN=2 ALIGN=\"center\">", names, values), "TD");
    EXPECT_EQ(Items(names), (Strings{"NOWRAP", "COLSPAN", "ALIGN"}));
    EXPECT_EQ(Items(values), (Strings{"", "2", "center"}));

    // A tag without attributes has no values; the lists of an earlier call are cleared.
    EXPECT_EQ(ParseTagAttributes("<BR>", names, values), "BR");
    EXPECT_TRUE(Items(names).empty());
    EXPECT_TRUE(Items(values).empty());

    // Nothing after the ">" counts; a tag cut short still closes its last attribute.
    EXPECT_EQ(ParseTagAttributes("<B CLASS=x>texto", names, values), "B");
    EXPECT_EQ(Items(names), (Strings{"CLASS"}));
    EXPECT_EQ(Items(values), (Strings{"x"}));
    EXPECT_EQ(ParseTagAttributes("<FONT COLOR=\"red", names, values), "FONT");
    EXPECT_EQ(Items(values), (Strings{"red"}));
}

TEST(ColorToHTML, SixUpperCaseDigitsInRedGreenBlueOrder)
{
    EXPECT_EQ(ColorToHTML(clRed), "FF0000");
    EXPECT_EQ(ColorToHTML(clBlue), "0000FF");
    EXPECT_EQ(ColorToHTML(0x00123456), "563412");
    EXPECT_EQ(ColorToHTML(clWhite), "FFFFFF");
    // A system colour is written as the colour it stands for.
    EXPECT_EQ(ColorToHTML(static_cast<TColor>(clWindow)), ColorToHTML(static_cast<TColor>(ColorToRGB(static_cast<TColor>(clWindow)))));
}

TEST(StripTags, RemovesEachTagAndAnUnclosedRest)
{
    EXPECT_EQ(StripTags("a<b>c</b>d"), "acd");
    EXPECT_EQ(StripTags("uno <a href=\"x\">dos"), "uno dos");
    EXPECT_EQ(StripTags("a<b"), "a");
    EXPECT_EQ(StripTags("a>b<>c"), "a>bc");
    EXPECT_EQ(StripTags(""), "");
}

TEST(ExtractLinks, SortedOnceWithTheirCaseFromEveryKeyword)
{
    const std::string page = "<BODY BACKGROUND=\"Fondo.gif\">\r"
                             "<A HREF=\"Index.htm\">x</A> <a href=\" index.htm \">y</a>\r"
                             "<IMG SRC=\"img/Foto.GIF\"><img src=\"img/Foto.GIF\">\r"
                             "<A HREF=\"\">vac\xEDo</A><A HREF=\"Index.htm\">z</A>\r"
                             "<SCRIPT SRC=\"menu.js";
    TStringList list;
    list.Add("antes");
    ExtractLinks(page, list);
    // In the program's collation: letters first, case last.
    EXPECT_EQ(Items(list), (Strings{"Fondo.gif", "img/Foto.GIF", "index.htm", "Index.htm"}));
    EXPECT_TRUE(list.Sorted());
}

TEST(MakeRelativePath, ModesOverFolderSeparatedBySlashOnly)
{
    EXPECT_EQ(MakeRelativePath("/web/sub/a.htm", "/web/img/b.gif", 2), "../img/b.gif");
    EXPECT_EQ(MakeRelativePath("/web/sub/a.htm", "/web/img/b.gif", 1), "b.gif");
    EXPECT_EQ(MakeRelativePath("/web/sub/a.htm", "/web/img/b.gif", 0), "/web/img/b.gif");
    EXPECT_EQ(MakeRelativePath("/web/a.htm", "/web/b.gif", 2), "b.gif");
    EXPECT_EQ(MakeRelativePath("/web/a.htm", "/web/img/x/b.gif", 2), "img/x/b.gif");
    EXPECT_EQ(MakeRelativePath("/web/a/b/c/a.htm", "/web/b.gif", 2), "../../../b.gif");
    // A "\" is a character of a name, in the document's and in the target's.
    EXPECT_EQ(MakeRelativePath("/web/sub\\a.htm", "/web/sub\\b.gif", 2), "sub\\b.gif");
    EXPECT_EQ(MakeRelativePath("/web/sub/a.htm", "/web/sub\\b.gif", 2), "../sub\\b.gif");
    EXPECT_EQ(MakeRelativePath("/web/a.htm", "/web/img\\b.gif", 1), "img\\b.gif");
    EXPECT_EQ(MakeRelativePath("/web/a.htm", "C:\\img\\b.gif", 0), "C:\\img\\b.gif");
    // No folder in common: the target as it is.
    EXPECT_EQ(MakeRelativePath("C:\\web\\a.htm", "/img/b.gif", 2), "/img/b.gif");
    EXPECT_EQ(MakeRelativePath("Nuevo1", "/web/b.gif", 2), "/web/b.gif");
}

TEST(IsTextFileExt, KnownExtensionsWithoutCase)
{
    for (const char* name : {"a.htm", "A.HTML", "x.shtm", "x.asp", "x.txt", "x.doc", "x.js", "x.krp", "x.krd",
                             "x.cod", "x.krc", "x.kyb", "x.krm", "x.kre", "x.CSS", "x.wrl", "x.xaf", "x.inf",
                             "dir.d/x.ini"})
        EXPECT_TRUE(IsTextFileExt(name)) << name;
    for (const char* name : {"a.gif", "a", "a.htmx", "a.ht", "htm", "dir.htm/x"})
        EXPECT_FALSE(IsTextFileExt(name)) << name;
}

TEST(ApplyTextTool, EachToolOnThreeLines)
{
    TCodigosISO codes;
    codes.LoadDefaults();
    const std::string lines = "  pera \r\nAlbaricoque\r\n\tmanzana \"Roja\"  y\xF1";
    EXPECT_EQ(ApplyTextTool(1, lines, false, codes), "Albaricoque\r\nmanzana \"Roja\"  y\xF1\r\npera");
    EXPECT_EQ(ApplyTextTool(2, lines, false, codes), "pera\r\nmanzana \"Roja\"  y\xF1\r\nAlbaricoque");
    EXPECT_EQ(ApplyTextTool(3, lines, false, codes), "  PERA \r\nALBARICOQUE\r\n\tMANZANA \"ROJA\"  Y\xD1");
    EXPECT_EQ(ApplyTextTool(3, lines, true, codes), "  PERA \r\nALBARICOQUE\r\n\tMANZANA \"Roja\"  Y\xD1");
    EXPECT_EQ(ApplyTextTool(4, "A \"B\" C", true, codes), "a \"B\" c");
    EXPECT_EQ(ApplyTextTool(5, "ni\xF1o\r\n\xBFqu\xE9?\r\n", false, codes), "ni&ntilde;o\r\n&iquest;qu&eacute;?");
    EXPECT_EQ(ApplyTextTool(6, "ni&ntilde;o\r\n&iquest;", false, codes), "ni\xF1o\r\n\xBF");
    EXPECT_EQ(ApplyTextTool(7, "a<b>c\r\n</b>d", false, codes), "ac\r\nd");
    EXPECT_EQ(ApplyTextTool(9, "<P>a > b</P>", false, codes), "&lt;P&gt;a &gt; b&lt;/P&gt;");
    EXPECT_EQ(ApplyTextTool(10, "hola MUNDO\r\nadi\xF3s", false, codes), "Hola Mundo\r\nAdi\xF3s");
    EXPECT_EQ(ApplyTextTool(11, "a   b  \r\n  c", false, codes), "a b \r\n c");
    EXPECT_EQ(ApplyTextTool(8, "x\r\n", false, codes), "x\r\n");
}

TEST(ApplyTextTool, SortingOrdersLinesByWhatTheAuthorSees)
{
    TCodigosISO codes;
    codes.LoadDefaults();
    // The held α shows as "&#945;": "&" sorts between "%" and "'", not before them as the mark's
    // byte would; lines that show alike keep their order, each keeping its kind.
    EXPECT_EQ(ApplyTextTool(1, "'q\r\n\x1F#945;\r\n%p\r\n&#945;\r\n&#945;", false, codes),
              "%p\r\n\x1F#945;\r\n&#945;\r\n&#945;\r\n'q");
    EXPECT_EQ(ApplyTextTool(2, "'q\r\n\x1F#945;\r\n%p", false, codes), "'q\r\n\x1F#945;\r\n%p");

    // Any lines: the result holds the same lines, trimmed, in the order of what they show.
    std::mt19937 random(131);
    const char* pieces[] = {"\x1F#945;", "&#945;", "&", "%", "'", "a", "B", "\x1F#8594;", "#", " ", "\xF1", "1"};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines(1 + random() % 8);
        std::string text;
        for (std::string& line : lines) {
            for (size_t n = random() % 5; n > 0; --n)
                line += pieces[random() % std::size(pieces)];
            text += line + "\r\n";
            line = Trim(line);
        }
        const bool down = random() % 2;
        TStringList sorted;
        sorted.SetText(ApplyTextTool(down ? 2 : 1, text, false, codes));
        // Empty lines go to an end, where the tool drops the breaks that close the selection.
        std::vector<std::string> out = Items(sorted);
        std::erase(out, std::string());
        std::erase(lines, std::string());
        std::vector<std::string> in = lines, got = out;
        std::sort(in.begin(), in.end());
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, in) << round;
        for (size_t i = 1; i < out.size(); ++i) {
            const int order = AnsiCompareText(HeldCharactersAsReferences(out[i - 1]), HeldCharactersAsReferences(out[i]));
            EXPECT_TRUE(down ? order >= 0 : order <= 0) << round << ": " << out[i - 1] << " / " << out[i];
        }
    }
}

TEST(MenuCaptionOf, CaptionsShowTheirAmpersandsAsWritten)
{
    EXPECT_EQ(MenuCaptionOf("&nbsp;"), "&&nbsp;");
    EXPECT_EQ(MenuCaptionOf("a&&b&"), "a&&&&b&&");
    EXPECT_EQ(MenuCaptionOf("sin marca"), "sin marca");
    EXPECT_EQ(MenuCaptionOf(""), "");
}

TEST(DateTimeText, SpanishNamesInEveryFormat)
{
    std::tm when = CalendarTime(2026, 12, 7, 1, 9, 5);
    EXPECT_EQ(DateTimeText(0, when), "lunes, 7 de diciembre de 2026, 09:05");
    EXPECT_EQ(DateTimeText(1, when), "lunes, 7 de diciembre de 2026");
    EXPECT_EQ(DateTimeText(2, when), "07/12/2026, 09:05");
    EXPECT_EQ(DateTimeText(3, when), "07/12/2026");
    EXPECT_EQ(DateTimeText(7, when), DateTimeText(0, when));
    const char* days[] = {"domingo", "lunes", "martes", "mi\xE9rcoles", "jueves", "viernes", "s\xE1" "bado"};
    const char* months[] = {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
                            "septiembre", "octubre", "noviembre", "diciembre"};
    for (int i = 0; i < 12; ++i) {
        when.tm_mon = i;
        when.tm_wday = i % 7;
        EXPECT_EQ(DateTimeText(1, when), std::string(days[i % 7]) + ", 7 de " + months[i] + " de 2026");
    }
}

TEST(ApplyTextTool, SortsSpanishWordsAsADictionary)
{
    const TCodigosISO codes;
    // Accents weigh only between words of the same letters, ñ follows n, and case is no difference.
    const Strings words = {"zorro", "el \xF1" "and\xFA", "nube", "\xE1rbol", "baco", "Zapato", "avi\xF3n",
                           "ca\xF1" "a", "cana", "canto", "arbol", "\xD1u", "nu", "Nudo", "10", "9", "-x"};
    std::string text;
    for (const std::string& w : words)
        text += w + "\r\n";
    const std::string sorted = ApplyTextTool(1, text, false, codes);
    const Strings expected = {"-x", "10", "9", "arbol", "\xE1rbol", "avi\xF3n", "baco", "cana", "canto",
                              "ca\xF1" "a", "el \xF1" "and\xFA", "nu", "nube", "Nudo", "\xD1u", "Zapato", "zorro"};
    std::string joined;
    for (const std::string& w : expected)
        joined += (joined.empty() ? "" : "\r\n") + w;
    EXPECT_EQ(sorted, joined);
    std::string reversed;
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        reversed += (reversed.empty() ? "" : "\r\n") + *it;
    EXPECT_EQ(ApplyTextTool(2, text, false, codes), reversed);
}
