// Tests of the references "&#N;" that hold characters Windows-1252 lacks in the editor's text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Win1252.h"
#include "support/BrowserAddress.h"

TEST(CharacterReferences, OnlyTheCanonicalFormIsRead)
{
    struct TCase {
        const char* text;
        size_t length;
        char32_t cp;
    };
    const TCase cases[] = {
        {"&#8594;", 7, 0x2192}, {"&#1;", 4, 1},          {"&#1114111;", 10, 0x10FFFF}, {"&#8594;x", 7, 0x2192},
        {"&#1114112;", 0, 0},   {"&#08594;", 0, 0},      {"&#x2192;", 0, 0},           {"&#;", 0, 0},
        {"&#8594", 0, 0},       {"&8594;", 0, 0},        {"#8594;", 0, 0},             {"&#99999999999;", 0, 0},
    };
    for (const TCase& c : cases) {
        char32_t cp = 0;
        EXPECT_EQ(ReadCharacterReference(c.text, 0, cp), c.length) << c.text;
        if (c.length) {
            EXPECT_EQ(cp, c.cp) << c.text;
        }
    }
    char32_t cp = 0;
    EXPECT_EQ(ReadCharacterReference("ab&#945;", 2, cp), 6u);
    EXPECT_EQ(cp, 945u);
    EXPECT_EQ(CharacterReference(0x1F600), "&#128512;");
}

TEST(CharacterReferences, PlacesFollowTheTextAndGoWhenTheirReferenceIsTouched)
{
    // Any change to a text with places, made as one change and as the same change among many, keeps
    // the places of the references it did not reach, where their text went, and only those.
    std::mt19937 random(119);
    const std::string pieces[] = {"&#945;", "&#8594;", "a", "&", ";", "#9"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        TCharacterReferences set;
        for (size_t n = random() % 8; n > 0; --n) {
            const std::string& piece = pieces[random() % std::size(pieces)];
            char32_t cp;
            if (ReadCharacterReference(piece, 0, cp) && random() % 2)
                set.AddPlace(text.size(), piece.size());
            text += piece;
        }
        const size_t start = random() % (text.size() + 1);
        const size_t removed = random() % (text.size() - start + 1);
        const std::string inserted = random() % 2 ? "" : pieces[random() % std::size(pieces)];
        // What stays: each place wholly before the change, or wholly after it, moved.
        std::vector<TCharacterReferences::TPlace> wanted;
        for (const TCharacterReferences::TPlace& place : set.Places()) {
            if (place.At + place.Length <= start)
                wanted.push_back(place);
            else if (place.At >= start + removed && (removed > 0 || place.At >= start))
                wanted.push_back({static_cast<uint32_t>(place.At + inserted.size() - removed), place.Length});
        }
        SCOPED_TRACE(text + " " + std::to_string(start) + " " + std::to_string(removed) + " " + inserted);
        TCharacterReferences one = set, many = set;
        one.Replaced(start, removed, inserted.size());
        EXPECT_EQ(one.Places(), wanted);
        // Among others: one change before (at 0, when it is apart) and none after.
        std::vector<TCharacterReferences::TChange> changes;
        if (start > 0 && (set.Places().empty() || set.Places().front().At > 0))
            changes.push_back({0, 0, 2});
        changes.push_back({start, removed, inserted.size()});
        many.Replaced(changes);
        std::vector<TCharacterReferences::TPlace> shifted = wanted;
        if (changes.size() == 2)
            for (TCharacterReferences::TPlace& place : shifted)
                place.At += 2;
        EXPECT_EQ(many.Places(), shifted);
        // The places read back by their numbers give the same places.
        const std::string changed = text.substr(0, start) + inserted + text.substr(start + removed);
        // Each place left still holds its reference, the one it held.
        for (const TCharacterReferences::TPlace& place : one.Places()) {
            char32_t cp;
            EXPECT_EQ(ReadCharacterReference(changed, place.At, cp), place.Length);
        }
        TCharacterReferences again;
        const std::string_view rest = std::string_view(changed).substr(changed.empty() ? 0 : 1);
        again.Place(rest, 1, one.PlacesIn(rest, 1));
        std::vector<TCharacterReferences::TPlace> fromOne;
        for (const TCharacterReferences::TPlace& place : one.Places())
            if (place.At >= 1)
                fromOne.push_back(place);
        EXPECT_EQ(again.Places(), fromOne);
    }
    // The references pasted text makes are numbered among those it had.
    std::vector<uint32_t> made;
    EXPECT_EQ(Utf8ToEditorText("&#945;\xCE\xB1&#9\xE2\x86\x92;", nullptr, &made), "&#945;&#945;&#9&#8594;;");
    EXPECT_EQ(made, (std::vector<uint32_t>{1, 2}));
}

TEST(CharacterReferences, PlatformTextGoesInAsReferencesAndComesOutAsCharacters)
{
    TCharacterReferences set;
    // á and € have Windows-1252 bytes; → and 😀 do not; a cut sequence is "?".
    const std::string in = "\xC3\xA1\xE2\x82\xAC \xE2\x86\x92\xF0\x9F\x98\x80\xE2\x86\x92 \xE2\x86";
    EXPECT_EQ(Utf8ToEditorText(in, &set), "\xE1\x80 &#8594;&#128512;&#8594; ??");
    EXPECT_EQ(set.Count(), 2u);
    EXPECT_TRUE(set.IsRemembered(0x2192));
    EXPECT_TRUE(set.IsRemembered(0x1F600));
    // Without a set the references are made all the same and nothing is remembered.
    EXPECT_EQ(Utf8ToEditorText("\xE2\x9C\x93", nullptr), "&#10003;");

    // Only remembered references come out as characters; a typed one to another stays as typed.
    EXPECT_EQ(EditorTextToUtf8("\xE1 &#8594; &#10003; &#128512;", &set),
              "\xC3\xA1 \xE2\x86\x92 &#10003; \xF0\x9F\x98\x80");
    EXPECT_EQ(EditorTextToUtf8("&#8594;", nullptr), "&#8594;");
    EXPECT_EQ(ReplaceRememberedReferences("a&#8594;b&#10003;", &set, [](std::string& out, char32_t cp) {
                  out += '[';
                  out += std::to_string(static_cast<unsigned>(cp));
                  out += ']';
              }),
              "a[8594]b&#10003;");
}

TEST(CharacterReferences, AnyUtf8TextComesBackThroughTheEditorsForm)
{
    std::mt19937 random(62);
    const char* pieces[] = {"a", " ", "&", "#", ";", "&#65;", "\xC3\xB1", "\xE2\x82\xAC", "\xE2\x86\x92",
                            "\xCE\xB1", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xE2\x9C\x93", "\r\n"};
    for (int round = 0; round < 500; ++round) {
        std::string utf8;
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i)
            utf8 += pieces[random() % std::size(pieces)];
        TCharacterReferences set;
        const std::string text = Utf8ToEditorText(utf8, &set);
        EXPECT_EQ(EditorTextToUtf8(text, &set), utf8) << round;
    }
}

TEST(CharacterReferences, Utf8ReachesEveryPlane)
{
    std::string out;
    for (char32_t cp : {0x41u, 0xE9u, 0x2192u, 0xFFFDu, 0x1F600u, 0x10FFFFu})
        AppendUtf8(out, cp);
    EXPECT_EQ(out, "A\xC3\xA9\xE2\x86\x92\xEF\xBF\xBD\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
}

TEST(CharacterReferences, FileNamesShowAsTheirCharactersAndPagesFindThemAgain)
{
    // The window's texts: the characters a name spells, never its bytes read as Windows-1252.
    EXPECT_EQ(FilePathText("/P\xC3\xBA" "blico/\xC3\xAD" "ndice.html"), "/P\xFA" "blico/\xED" "ndice.html");
    EXPECT_EQ(FilePathText("\xCE\xB1\xE2\x82\xAC.htm"), "&#945;\x80.htm");
    // A byte that spells nothing shows as the replacement character, so a Latin-1 name and the UTF-8
    // one beside it read differently.
    EXPECT_EQ(FilePathText("caf\xE9.html"), "caf&#65533;.html");
    EXPECT_NE(FilePathText("caf\xE9.html"), FilePathText("caf\xC3\xA9.html"));
    EXPECT_EQ(FilePathText("\xC3"), "&#65533;");

    // Into a page: characters as typed text holds them, bytes that spell none as address escapes.
    TCharacterReferences references;
    EXPECT_EQ(FilePathPageText("im\xC3\xA1genes/foto \xC3\xB1.gif", &references), "im\xE1genes/foto \xF1.gif");
    EXPECT_TRUE(references.Empty());
    EXPECT_EQ(FilePathPageText("\xCE\xB1/caf\xE9.gif", &references), "&#945;/caf%E9.gif");
    EXPECT_TRUE(references.IsRemembered(0x3B1));

    // In an address a name's own "\" is escaped, since a browser reads a bare one as "/".
    EXPECT_EQ(FilePathPageAddress("sub\\caf\xE9 \xC3\xB1.gif", nullptr), "sub%5Ccaf%E9 \xF1.gif");
    EXPECT_EQ(FilePathPageText("sub\\a.gif", nullptr), "sub\\a.gif");

    // Out of a page, as a browser reads it: each name written above leads back to its bytes.
    for (const std::string name : {"im\xC3\xA1genes/foto \xC3\xB1.gif", "\xCE\xB1/caf\xE9.gif", "a%b.gif", "plain.gif",
                                   "sub\\p\xC3\xA1gina\\.gif"})
        EXPECT_EQ(PageReferencePath(FilePathPageAddress(name, nullptr)), name) << name;
    EXPECT_EQ(PageReferencePath("img\\a.gif"), "img/a.gif");
    EXPECT_EQ(PageReferencePath("foto%20%C3%B1.gif"), "foto \xC3\xB1.gif");
    EXPECT_EQ(PageReferencePath("&#241;&#xF1;&#XF1;.gif"), "\xC3\xB1\xC3\xB1\xC3\xB1.gif");
    // What is no escape or reference stays as written.
    EXPECT_EQ(PageReferencePath("100%.gif"), "100%.gif");
    EXPECT_EQ(PageReferencePath("%4"), "%4");
    EXPECT_EQ(PageReferencePath("a&amp;b&x;&#55296;"), "a&amp;b&x;&");

    // Named references by the table given: each whole name it knows, read once, before "%XX".
    std::vector<std::string> asked;
    const TNamedReferences table = [&asked](std::string_view code, char& character) {
        asked.emplace_back(code);
        const bool known = code == "&ntilde;" || code == "&amp;" || code == "&percnt;";
        character = code == "&ntilde;" ? '\xF1' : code == "&amp;" ? '&' : '%';
        return known;
    };
    EXPECT_EQ(PageReferencePath("foto &ntilde;&amp;ntilde;&percnt;41&nada;&;& x;.gif", table),
              "foto \xC3\xB1&ntilde;A&nada;&;& x;.gif");
    EXPECT_EQ(asked, (std::vector<std::string>{"&ntilde;", "&amp;", "&percnt;", "&nada;"}));
    EXPECT_EQ(PageReferencePath("foto &ntilde;.gif"), "foto &ntilde;.gif");
}

TEST(CharacterReferences, ANameWrittenAsAnAddressLeadsABrowserToThatName)
{
    // Names that read as something else in an address: an escape, a fragment, a query, a character
    // reference, a folder separator, the end of the attribute.
    const std::pair<const char*, const char*> cases[] = {
        {"Mi%20foto.gif", "Mi%2520foto.gif"},
        {"100%.gif", "100%25.gif"},
        {"C#/notas.html", "C%23/notas.html"},
        {"q?a.html", "q%3Fa.html"},
        {"caf&#233;.html", "caf%26%23233;.html"},
        {"R&D.html", "R%26D.html"},
        {"x&amp;y.gif", "x%26amp;y.gif"},
        {"a\\b.gif", "a%5Cb.gif"},
        {"a\"b.gif", "a%22b.gif"},
        // Letters, accented ones, blanks and "/" stay as an author reads them.
        {"sub/plain.gif", "sub/plain.gif"},
        {"im\xC3\xA1genes/mi foto.gif", "im\xE1genes/mi foto.gif"},
    };
    for (const auto& [name, written] : cases) {
        EXPECT_EQ(FilePathPageAddress(name, nullptr), written) << name;
        EXPECT_EQ(BrowserAddressPath(written), name) << written;
        EXPECT_EQ(PageReferencePath(written), name) << written;
    }
    // A character Windows-1252 lacks is the page's reference, and remembered; a byte that spells no
    // character its escape.
    TCharacterReferences references;
    EXPECT_EQ(FilePathPageAddress("\xCE\xB1&\xE9#.gif", &references), "&#945;%26%E9%23.gif");
    EXPECT_TRUE(references.IsRemembered(0x3B1));

    // References written by hand with a fragment or a query still name their file.
    EXPECT_EQ(PageReferencePath("p\xE1gina.html#parte"), "p\xC3\xA1gina.html");
    EXPECT_EQ(PageReferencePath("buscar.html?q=1&amp;r=2#x"), "buscar.html");
    EXPECT_EQ(PageReferencePath("a&#35;b.html"), "a");
    EXPECT_EQ(PageReferencePath("#arriba"), "");
    EXPECT_EQ(PageReferencePath("a%23b.html#c"), "a#b.html");
}

TEST(CharacterReferences, EveryNameOfAnyBytesComesBackFromItsAddress)
{
    std::mt19937 random(120);
    // Bytes that are escapes, references, separators and UTF-8 of every length, and any byte at all.
    const std::string_view pieces[] = {"%", "#", "?", "&", "\\", "/", ";", "&#", "&amp;", "%20", "%E9", "&#233;", " ",
                                       "a", "Z", "\xC3\xA1", "\xE2\x82\xAC", "\xCE\xB1", "\xF0\x9F\x98\x80",
                                       "\xEF\xBF\xBD", "\xC3", "\x80", "\xFF", "\x81", "\x9D"};
    for (int round = 0; round < 20000; ++round) {
        std::string name;
        const size_t length = random() % 12;
        for (size_t i = 0; i < length; ++i) {
            if (random() % 4 == 0)
                name += static_cast<char>(random() % 256);
            else
                name += pieces[random() % std::size(pieces)];
        }
        TCharacterReferences references;
        const std::string address = FilePathPageAddress(name, &references);
        ASSERT_EQ(PageReferencePath(address), name) << address;
        ASSERT_EQ(BrowserAddressPath(address), name) << address;
        // Nothing in it ends the address but the "#" of a reference to a character Windows-1252 lacks.
        ASSERT_EQ(address.find_first_of("?\\"), std::string::npos) << address;
        for (size_t at = address.find('#'); at != std::string::npos; at = address.find('#', at + 1))
            ASSERT_TRUE(at > 0 && address[at - 1] == '&') << address;
    }
    // The whole range of single bytes, and the empty name.
    for (int byte = 0; byte < 256; ++byte) {
        const std::string name(1, static_cast<char>(byte));
        EXPECT_EQ(PageReferencePath(FilePathPageAddress(name, nullptr)), name) << byte;
    }
    EXPECT_EQ(FilePathPageAddress("", nullptr), "");
}
