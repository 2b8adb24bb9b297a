// Tests of the character table: the defaults, library files, both conversions and the protected regions.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "support/RandomText.h"
#include "support/TempDir.h"

namespace {

std::string shippedLibrary()
{
    return std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb";
}

TCodigosISO defaults()
{
    TCodigosISO table;
    table.LoadDefaults();
    return table;
}

// The table's effect as written: each entry in turn replaces its character throughout the text.
std::string encodedEntryByEntry(const TCodigosISO& table, std::string text)
{
    for (int i = 0; i < table.Count(); ++i) {
        std::string next;
        for (char c : text)
            next += c == table.Character(i) ? table.Code(i) : std::string(1, c);
        text = next;
    }
    return text;
}

} // namespace

TEST(CodigosISO, TheDefaultsAreTheSpanishCharactersInTheirOrder)
{
    TCodigosISO table;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.EncodeText("\xE1&aacute;"), "\xE1&aacute;");
    table.LoadDefaults();
    const std::string characters = "\xE1\xE9\xED\xF3\xFA\xC1\xC9\xCD\xD3\xDA\xF1\xD1\xA1\xBF";
    const std::vector<std::string> codes = {"&aacute;", "&eacute;", "&iacute;", "&oacute;", "&uacute;",
                                            "&Aacute;", "&Eacute;", "&Iacute;", "&Oacute;", "&Uacute;",
                                            "&ntilde;", "&Ntilde;", "&iexcl;",  "&iquest;"};
    ASSERT_EQ(table.Count(), 14);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(table.Character(i), characters[static_cast<size_t>(i)]);
        EXPECT_EQ(table.Code(i), codes[static_cast<size_t>(i)]);
    }
}

TEST(CodigosISO, ConvertsWithTheDefaultsAndLeavesUnknownCodesAlone)
{
    const TCodigosISO table = defaults();
    EXPECT_EQ(table.EncodeText("\xBF" "A\xF1o?"), "&iquest;A&ntilde;o?");
    EXPECT_EQ(table.DecodeText("&iquest;A&ntilde;o?"), "\xBF" "A\xF1o?");
    EXPECT_EQ(table.DecodeText("&amp;"), "&amp;");
    EXPECT_EQ(table.DecodeText("&Aacute;"), "\xC1");
    EXPECT_EQ(table.DecodeText("&aacute;"), "\xE1");
    EXPECT_EQ(table.DecodeText("&AACUTE;"), "&AACUTE;");
    EXPECT_EQ(table.DecodeText("a & b"), "a & b");
    EXPECT_EQ(table.DecodeText("&noexiste;"), "&noexiste;");
    // An "&" that begins no code of the table is a character: the codes after it still count.
    EXPECT_EQ(table.DecodeText("a & b; &eacute;"), "a & b; \xE9");
    EXPECT_EQ(table.DecodeText("&&aacute;"), "&\xE1");
    EXPECT_EQ(table.DecodeText("x &aacute"), "x &aacute");
    EXPECT_EQ(table.EncodeText(""), "");
}

TEST(CodigosISO, ProtectedRegionsAndTheirMarkersStayAsTheyAre)
{
    const TCodigosISO table = defaults();
    EXPECT_EQ(table.EncodeText("x <!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR--> \xE1"),
              "x <!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR--> &aacute;");
    EXPECT_EQ(table.EncodeText("x <!--ini_omitechar-->\xE1<!--Fin_OmiteChar--> \xE1"),
              "x <!--ini_omitechar-->\xE1<!--Fin_OmiteChar--> &aacute;");
    EXPECT_EQ(table.DecodeText("&eacute;<!--INI_OMITECHAR-->&eacute;<!--FIN_OMITECHAR-->&eacute;"),
              "\xE9<!--INI_OMITECHAR-->&eacute;<!--FIN_OMITECHAR-->\xE9");
    // Without an end marker everything after the start marker is left alone.
    EXPECT_EQ(table.EncodeText("\xF1<!--INI_OMITECHAR-->\xF1 \xF1<!--FIN_OMITECHA-->\xF1"),
              "&ntilde;<!--INI_OMITECHAR-->\xF1 \xF1<!--FIN_OMITECHA-->\xF1");
    // An end marker before any start marker protects nothing.
    EXPECT_EQ(table.EncodeText("\xF1<!--FIN_OMITECHAR-->\xF1"), "&ntilde;<!--FIN_OMITECHAR-->&ntilde;");
    // Two regions in one text; the second start marker is looked for after the first region.
    EXPECT_EQ(table.EncodeText("\xE1<!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR-->\xE1"
                               "<!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR-->\xE1"),
              "&aacute;<!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR-->&aacute;"
              "<!--INI_OMITECHAR-->\xE1<!--FIN_OMITECHAR-->&aacute;");
    // Outside the regions the plain conversions apply; they ignore the markers.
    EXPECT_EQ(table.CharsToCodes("<!--INI_OMITECHAR-->\xE1"), "<!--INI_OMITECHAR-->&aacute;");
    EXPECT_EQ(table.CodesToChars("<!--INI_OMITECHAR-->&aacute;"), "<!--INI_OMITECHAR-->\xE1");
}

TEST(CodigosISO, ReadsLibraryLinesAndSkipsThoseWithoutACode)
{
    TempDir dir("codigos");
    const std::string library = dir.file("lib.kyb", std::string("\xE9\r\n"
                                                                "\xE9   &eacute;  \r\n"
                                                                "\xE1   \r\n"
                                                                "\0 &nul;\r\n"
                                                                "\r\n"
                                                                "\xF1&ntilde;\n"
                                                                "<&lt;\n"
                                                                "\xE1&aacute; x",
                                                                64));
    TCodigosISO table;
    ASSERT_TRUE(table.LoadFromFile(library));
    ASSERT_EQ(table.Count(), 4);
    EXPECT_EQ(table.Character(0), '\xE9');
    EXPECT_EQ(table.Code(0), "&eacute;");
    EXPECT_EQ(table.Code(1), "&ntilde;");
    EXPECT_EQ(table.Code(2), "&lt;");
    EXPECT_EQ(table.Code(3), "&aacute; x");

    // CR LF and LF ends read alike.
    const std::string lf = dir.file("lf.kyb", "\xE9 &eacute;\n\xF1 &ntilde;\n");
    const std::string crlf = dir.file("crlf.kyb", "\xE9 &eacute;\r\n\xF1 &ntilde;\r\n");
    TCodigosISO fromLf, fromCrlf;
    ASSERT_TRUE(fromLf.LoadFromFile(lf));
    ASSERT_TRUE(fromCrlf.LoadFromFile(crlf));
    ASSERT_EQ(fromLf.Count(), 2);
    ASSERT_EQ(fromCrlf.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(fromLf.Character(i), fromCrlf.Character(i));
        EXPECT_EQ(fromLf.Code(i), fromCrlf.Code(i));
    }

    // A missing file, or a folder, leaves the table as it was.
    EXPECT_FALSE(fromLf.LoadFromFile(dir.path.string() + "/none.kyb"));
    EXPECT_FALSE(fromLf.LoadFromFile(dir.path.string()));
    EXPECT_EQ(fromLf.Count(), 2);
    EXPECT_EQ(fromLf.EncodeText("\xF1"), "&ntilde;");
    // An empty file is a library without entries.
    EXPECT_TRUE(fromLf.LoadFromFile(dir.file("empty.kyb", "")));
    EXPECT_EQ(fromLf.Count(), 0);
}

TEST(CodigosISO, LaterEntriesSeeTheCodesOfEarlierOnes)
{
    TCodigosISO table;
    ASSERT_TRUE(table.LoadFromText("\xE1 &aacute;\n& &amp;\na [a]\n\xE9 &eacute;\n"));
    EXPECT_EQ(table.CharsToCodes("\xE1&\xE9"), "&[a]mp;[a][a]cute;&[a]mp;&eacute;");
    // The first entry with a code wins when decoding.
    ASSERT_TRUE(table.LoadFromText("x &c;\ny &c;\n"));
    EXPECT_EQ(table.CodesToChars("&c;"), "x");

    // Seeded tables and texts: the table's effect is that of its entries applied one after another.
    std::mt19937 random(38);
    const std::string alphabet = "ab&;\xE1\xF1";
    for (int round = 0; round < 300; ++round) {
        std::string library;
        for (size_t entries = random() % 6; entries > 0; --entries)
            library += alphabet[random() % alphabet.size()] + std::string(" ") +
                       RandomText(random, alphabet, 1 + random() % 3) + "\n";
        TCodigosISO randomTable;
        if (!randomTable.LoadFromText(library))
            continue;
        const std::string text = RandomTextUpTo(random, alphabet, 19);
        EXPECT_EQ(randomTable.CharsToCodes(text), encodedEntryByEntry(randomTable, text)) << library;
    }
}

TEST(CodigosISO, RefusesALibraryWhoseEntriesGrowACharacterWithoutBound)
{
    std::string library;
    for (int i = 0; i < 40; ++i)
        library += "a aa\n";
    TCodigosISO table;
    table.LoadDefaults();
    EXPECT_FALSE(table.LoadFromText(library));
    EXPECT_EQ(table.Count(), 14);
    // Growth that stays in bounds is the library's own business.
    library.resize(5 * 12);
    ASSERT_TRUE(table.LoadFromText(library));
    EXPECT_EQ(table.CharsToCodes("a"), std::string(4096, 'a'));
    // A character that no text can hold any more at that point does not count.
    std::string unreachable = "a b\n";
    for (int i = 0; i < 20; ++i)
        unreachable += "a aa\n";
    ASSERT_TRUE(table.LoadFromText(unreachable));
    EXPECT_EQ(table.CharsToCodes("a"), "b");
}

TEST(CodigosISO, TheShippedLibraryCoversLatin1AndLeavesMarkupAlone)
{
    TCodigosISO table;
    ASSERT_TRUE(table.LoadFromFile(shippedLibrary()));
    ASSERT_EQ(table.Count(), 96);
    EXPECT_EQ(table.Code(0), "&nbsp;");
    EXPECT_EQ(table.Code(95), "&yuml;");
    std::string every;
    for (int c = 160; c < 256; ++c) {
        EXPECT_EQ(table.Character(c - 160), static_cast<char>(c));
        every += static_cast<char>(c);
    }
    const std::string encoded = table.EncodeText(every);
    for (char c : encoded)
        EXPECT_LT(static_cast<unsigned char>(c), 128);
    EXPECT_EQ(table.DecodeText(encoded), every);

    // A page keeps its tags and its own codes; only the characters the library maps change.
    const std::string page = ReadFileBytes(std::string(KESTRIMA_TEST_DATA) + "/sample.html");
    const std::string again = table.EncodeText(table.DecodeText(page));
    EXPECT_EQ(again, table.EncodeText(page));
    EXPECT_NE(again, page);
    for (const char* kept : {"<TITLE>Prueba &amp; ejemplo</TITLE>", "T&iacute;tulo &copy; 2001 &#169;",
                             "P&aacute;gina de prueba", "\"vac&iacute;o\""})
        EXPECT_NE(again.find(kept), std::string::npos) << kept;
}

TEST(CodigosISO, DecodingUndoesEncodingOfTextsWithoutAmpersands)
{
    const TCodigosISO table = defaults();
    const std::vector<std::string> pieces = {"a", "B", "\xE1", "\xF1", "\xD1", ";", " ", "\r\n",
                                             "<!--INI_OMITECHAR-->", "<!--fin_omitechar-->",
                                             "<!--INI_OMITE", "CHAR-->", "<!--FIN_", "!", "<!", "<!-"};
    std::mt19937 random(109);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (size_t n = random() % 24; n > 0; --n)
            text += pieces[random() % pieces.size()];
        const std::string encoded = table.EncodeText(text);
        EXPECT_EQ(table.DecodeText(encoded), text) << text;
    }
}

TEST(CodigosISO, AnAmpersandThatBeginsNoCodeIsACharacter)
{
    const TCodigosISO table = defaults();
    const std::string texts[] = {"P\xE9rez & Hijos, se\xF1or", "?a=1&b=2 \xE1", "AT&T \xF1", "&\xE1;", "&&\xE1",
                                 "a&b;\xE9", "& \xE9 &", "&iexcl \xBF", "&#225; \xE1"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(table.DecodeText(table.EncodeText(text)), text);
    }
    EXPECT_EQ(table.EncodeText("P\xE9rez & Hijos, se\xF1or"), "P&eacute;rez & Hijos, se&ntilde;or");
    EXPECT_EQ(table.DecodeText("P&eacute;rez & Hijos, se&ntilde;or"), "P\xE9rez & Hijos, se\xF1or");
    // A code longer than the table's longest, or holding other characters, is no code.
    EXPECT_EQ(table.DecodeText("&aacute-x; &ntilde ;"), "&aacute-x; &ntilde ;");
    // Each character of the result knows where it came from.
    std::vector<uint32_t> sources;
    EXPECT_EQ(table.DecodeText("a&ntilde;<!--INI_OMITECHAR-->&aacute;", &sources),
              "a\xF1<!--INI_OMITECHAR-->&aacute;");
    ASSERT_EQ(sources.size(), 2u + 20 + 8 + 1);
    EXPECT_EQ(sources[0], 0u);
    EXPECT_EQ(sources[1], 1u);
    EXPECT_EQ(sources[2], 9u);
    EXPECT_EQ(sources.back(), 37u);
}

TEST(CodigosISO, DecodingWhatEncodingWroteGivesRandomTextsBack)
{
    const TCodigosISO table = defaults();
    std::mt19937 random(1109);
    const std::string alphabet = "a;&#1 \xE1\xF1\xBF\xC1ntilde";
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomTextUpTo(random, alphabet, 24);
        // Codes already in the text are read as characters; everything else comes back as it was.
        EXPECT_EQ(table.DecodeText(table.EncodeText(text)), table.DecodeText(text)) << text;
    }
}

TEST(CodigosISO, AHeldCharacterIsNeverDecoded)
{
    // A library that gives "x" the code "&#8594;" and "á" its numeric one.
    TCodigosISO table;
    ASSERT_TRUE(table.LoadFromText("x &#8594;\n\xE1 &#225;\n"));
    EXPECT_EQ(table.DecodeText("&#8594; &#225;"), "x \xE1");
    std::vector<uint32_t> sources;
    EXPECT_EQ(table.DecodeText("\x1F#8594; &#225;", &sources), "\x1F#8594; \xE1");
    EXPECT_EQ(sources, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 14}));
    std::string inPlace = "\x1F#8594; &#8594;";
    table.DecodeInPlace(inPlace);
    EXPECT_EQ(inPlace, "\x1F#8594; x");
    // Windows-1252 characters convert as ever, held ones stay.
    EXPECT_EQ(table.EncodeText("\xE1 \x1F#8594;"), "&#225; \x1F#8594;");
}

TEST(CodigosISO, DecodingInPlaceGivesWhatDecodingGives)
{
    // The defaults, a library whose codes are numeric references, and one that maps "&" itself.
    TCodigosISO numeric, ampersand;
    ASSERT_TRUE(numeric.LoadFromText("x &#8594;\n\xE1 &#225;\n"));
    ASSERT_TRUE(ampersand.LoadFromText("& &amp;\n\xF1 &ntilde;\n"));
    const TCodigosISO tables[] = {defaults(), numeric, ampersand, TCodigosISO()};
    const std::vector<std::string> pieces = {"a", "&", ";", "#", "&aacute;", "&ntilde;", "&amp;", "&#8594;", "&#225;",
                                             "&aacute", "\xE1", " plain text of a page ", "<!--INI_OMITECHAR-->",
                                             "<!--fin_omitechar-->", "<!--INI_OMITE", "\r", "\x01", "\x1F#8594;"};
    std::mt19937 random(3109);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        for (size_t n = random() % 20; n > 0; --n)
            text += pieces[random() % pieces.size()];
        const TCodigosISO& table = tables[round % std::size(tables)];
        std::string inPlace = text;
        table.DecodeInPlace(inPlace);
        EXPECT_EQ(inPlace, table.DecodeText(text)) << text;
    }
    // Only a character below 32 but TAB in the table stands in the way of decoding after the line
    // store's rewriting.
    EXPECT_TRUE(defaults().PrintableCharacters());
    TCodigosISO control;
    ASSERT_TRUE(control.LoadFromText("\t &tab;\n"));
    EXPECT_TRUE(control.PrintableCharacters());
    ASSERT_TRUE(control.LoadFromText("\x01 &soh;\n"));
    EXPECT_FALSE(control.PrintableCharacters());
}
