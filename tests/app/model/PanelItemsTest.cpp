// Tests of the side panel's text routines: wildcard fields and names, the wildcard library file, style class codes, library names and filter entries.
#include "app/model/PanelItems.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/core/Classes.h"
#include "support/StringListItems.h"
#include "support/TempDir.h"

using Strings = std::vector<std::string>;

TEST(PanelItems, WildcardFieldsAreExtractedInOrderWithDuplicates)
{
    const std::pair<const char*, Strings> cases[] = {
        {"x{*a*}y{*b*}{*a*}", {"{*a*}", "{*b*}", "{*a*}"}},
        {"{*a", {}},
        {"{*a*} y {*b", {"{*a*}"}},
        {"", {}},
        {"*}{*", {}},
        {"{**}{*{*c*}", {"{**}", "{*{*c*}"}},
        // The field's "*}" may share the "*" of its "{*".
        {"a{*}b", {"{*}"}},
        {"{*}*}{*}}", {"{*}", "{*}"}},
        {"<P>{*nombre del cliente*}</P>", {"{*nombre del cliente*}"}},
    };
    for (const auto& [text, fields] : cases)
        EXPECT_EQ(ExtractWildcards(text), fields) << text;

    // Any text: the fields joined are found again in the text in order, each "{*" ... "*}".
    std::mt19937 random(79);
    const char alphabet[] = "{*}ab ";
    for (int run = 0; run < 500; ++run) {
        std::string text;
        for (int i = static_cast<int>(random() % 30); i > 0; --i)
            text += alphabet[random() % 6];
        size_t at = 0;
        for (const std::string& field : ExtractWildcards(text)) {
            ASSERT_EQ(field.substr(0, 2), "{*") << text;
            ASSERT_EQ(field.substr(field.size() - 2), "*}") << text;
            ASSERT_GE(field.size(), 3u) << text;
            ASSERT_EQ(field.find("*}", 1), field.size() - 2) << text;
            at = text.find(field, at);
            ASSERT_NE(at, std::string::npos) << text;
            at += field.size();
        }
    }
}

TEST(PanelItems, NamesStyleCodesLibraryNamesAndFilters)
{
    EXPECT_EQ(WildcardName(" mi campo "), "mi_campo");
    EXPECT_EQ(WildcardName("  "), "");
    EXPECT_EQ(WildcardName("a  b"), "a__b");
    EXPECT_EQ(WildcardField("mi_campo"), "{*mi_campo*}");

    EXPECT_EQ(StyleClassCode("P.nota", false), "<P CLASS=\"nota\"></P>");
    EXPECT_EQ(StyleClassCode("P.nota", true), " CLASS=\"nota\"");
    EXPECT_EQ(StyleClassCode("nota", false), " CLASS=\"nota\"");
    EXPECT_EQ(StyleClassCode("nota", true), " CLASS=\"nota\"");
    EXPECT_EQ(StyleClassCode("TD.a.b", false), "<TD CLASS=\"a.b\"></TD>");
    // A class without a tag has no element to open.
    EXPECT_EQ(StyleClassCode(".aviso", false), " CLASS=\"aviso\"");

    EXPECT_EQ(StyleLibraryName("/tmp/x/estilos.v2.css"), "estilos");
    EXPECT_EQ(StyleLibraryName("sin_punto"), "sin_punto");

    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(FilterEntries("Todos|*.*|HTM|*.htm;*.html"), (Entries{{"Todos", "*.*"}, {"HTM", "*.htm;*.html"}}));
    EXPECT_EQ(FilterEntries("Solo"), Entries{});
    EXPECT_EQ(FilterEntries("A|"), (Entries{{"A", ""}}));
}

TEST(PanelItems, WildcardLibraryReadsSortedOnceAndWritesInOrder)
{
    TempDir dir("s79-krm");
    const std::string path = dir.file("lib.krm", "zeta\r\nAlfa\n\nbeta\rALFA\r\n");
    TStringList names;
    ReadWildcardLibrary(path, names);
    EXPECT_EQ(Items(names), (Strings{"Alfa", "beta", "zeta"}));
    names.SetSorted(false);
    names.Add("primero");
    WriteWildcardLibrary(path, names);
    EXPECT_EQ(ReadFileBytes(path), "Alfa\r\nbeta\r\nzeta\r\nprimero\r\n");
    WriteFileBytes(path, "");
    ReadWildcardLibrary(path, names);
    EXPECT_EQ(names.Count(), 0);
    // A name holding a character Windows-1252 lacks is written as the character, never the mark, in
    // UTF-8 after its byte-order mark.
    names.Add("\x1F#955;");
    names.Add("\xF1");
    WriteWildcardLibrary(path, names);
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF\xCE\xBB\r\n\xC3\xB1\r\n");
    ReadWildcardLibrary(path, names);
    EXPECT_EQ(Items(names), (Strings{"\x1F#955;", "\xF1"}));
}
