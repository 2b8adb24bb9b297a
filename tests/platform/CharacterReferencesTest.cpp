// Tests of the references "&#N;" that hold characters Windows-1252 lacks in the editor's text.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(CharacterReferences, ACutNeverPartsAHeldCharacter)
{
    const std::string alpha = HeldCharacter(U'\u03B1'); // the mark, "#945;"
    const std::string text = "ab" + alpha + alpha + "&#946;c\x1F#65;";
    // Inside the first held character (2..7) and the second (8..13); not at their edges, nor in a
    // reference typed as such, nor after a mark that holds a Windows-1252 character.
    for (size_t at = 0; at <= text.size() + 2; ++at) {
        const size_t around = at > 2 && at < 8 ? 2 : at > 8 && at < 14 ? 8 : std::string::npos;
        EXPECT_EQ(HeldCharacterAround(text, at), around) << at;
    }
    // A cut inside moves back to the character's start, or past its end when the row begins with it.
    EXPECT_EQ(CutBesideHeldCharacter(text, 0, 5), 2u);
    EXPECT_EQ(CutBesideHeldCharacter(text, 0, 11), 8u);
    EXPECT_EQ(CutBesideHeldCharacter(text, 2, 5), 8u);
    EXPECT_EQ(CutBesideHeldCharacter(text, 8, 9), 14u);
    for (size_t at : {0u, 1u, 2u, 8u, 14u, 16u, 20u})
        EXPECT_EQ(CutBesideHeldCharacter(text, 0, at), at) << at;
}

TEST(CharacterReferences, PlatformTextGoesInHeldAndComesOutAsCharacters)
{
    // á and € have Windows-1252 bytes; → and 😀 do not; a cut sequence is "?"; U+001F, whose byte
    // is the mark, is the control character it is, which the editor takes as ".".
    const std::string in = "\xC3\xA1\xE2\x82\xAC \xE2\x86\x92\xF0\x9F\x98\x80\x1F \xE2\x86";
    EXPECT_EQ(Utf8ToEditorText(in), "\xE1\x80 \x1F#8594;\x1F#128512;. ??");
    // Held characters come out as the characters; a typed reference, also to one of them, as typed;
    // a mark that begins none (also before the number of a control character) as the "&" it shows as.
    EXPECT_EQ(EditorTextToUtf8("\xE1 \x1F#8594; &#8594; \x1F#128512;\x1F#31;\x1F#x"),
              "\xC3\xA1 \xE2\x86\x92 &#8594; \xF0\x9F\x98\x80&#31;&#x");
    EXPECT_EQ(HeldCharactersAsReferences("\x1F#8594;&#8594;\x1F"), "&#8594;&#8594;&");
    char32_t cp = 0;
    EXPECT_EQ(ReadHeldCharacter("a\x1F#945;", 1, cp), 6u);
    EXPECT_EQ(cp, 945u);
    EXPECT_EQ(ReadHeldCharacter("a&#945;", 1, cp), 0u);
    // A held character is never a control character, nor one Windows-1252 has: digits edited to
    // name one leave the reference typed so.
    for (const char* typed : {"\x1F#31;", "\x1F#1;", "\x1F#10;", "\x1F#127;", "\x1F#65;", "\x1F#233;", "\x1F#55296;"})
        EXPECT_EQ(ReadHeldCharacter(typed, 0, cp), 0u) << typed + 1;
    // Marks that begin no held character: "&" handed out, "." taken in.
    std::string stray = "\x1F#31;\x1F#945;\x1F\x1F#9;\x1F";
    ReplaceStrayMarks(stray, '&');
    EXPECT_EQ(stray, "&#31;\x1F#945;&&#9;&");
    stray = "a\x1F\x1F#8594;\x1F#8594";
    ReplaceStrayMarks(stray, '.');
    EXPECT_EQ(stray, "a.\x1F#8594;.#8594");
    EXPECT_EQ(ReadCharacterReference("\x1F#945;", 0, cp), 0u);
    EXPECT_EQ(HeldCharacter(0x1F600), "\x1F#128512;");
    // The mark shows as "&"; as a byte of other texts it is the control character.
    EXPECT_EQ(ShownCharacter(0x1F), U'&');
    EXPECT_EQ(ShownCharacter(0x80), U'\u20AC');
    EXPECT_EQ(Win1252ToUnicode(0x1F), U'\x1F');
}

TEST(CharacterReferences, AnyUtf8TextComesBackThroughTheEditorsForm)
{
    std::mt19937 random(62);
    const char* pieces[] = {"a", " ", "&", "#", ";", "&#65;", "\xC3\xB1", "\xE2\x82\xAC", "\xE2\x86\x92", "\x1F",
                            "\xCE\xB1", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xE2\x9C\x93", "\r\n", "&#945;"};
    for (int round = 0; round < 500; ++round) {
        std::string utf8;
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i)
            utf8 += pieces[random() % std::size(pieces)];
        // Every character comes back but U+001F, a control character the editor shows as ".".
        std::string back = utf8;
        std::replace(back.begin(), back.end(), '\x1F', '.');
        const std::string text = Utf8ToEditorText(utf8);
        EXPECT_EQ(EditorTextToUtf8(text), back) << round;
        // Every mark in it begins a held character.
        std::string checked = text;
        ReplaceStrayMarks(checked, '.');
        EXPECT_EQ(checked, text) << round;
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
    EXPECT_EQ(FilePathPageText("im\xC3\xA1genes/foto \xC3\xB1.gif"), "im\xE1genes/foto \xF1.gif");
    EXPECT_EQ(FilePathPageText("\xCE\xB1/caf\xE9.gif"), "\x1F#945;/caf%E9.gif");
    // A name's own 0x1F is no mark: the window shows its reference, a page its address escape.
    EXPECT_EQ(FilePathText("a\x1F.gif"), "a&#31;.gif");
    EXPECT_EQ(FilePathPageText("a\x1F.gif"), "a%1F.gif");

    // In an address a name's own "\" is escaped, since a browser reads a bare one as "/".
    EXPECT_EQ(FilePathPageAddress("sub\\caf\xE9 \xC3\xB1.gif"), "sub%5Ccaf%E9 \xF1.gif");
    EXPECT_EQ(FilePathPageText("sub\\a.gif"), "sub\\a.gif");

    // Out of a page, as a browser reads it: each name written above leads back to its bytes.
    for (const std::string name : {"im\xC3\xA1genes/foto \xC3\xB1.gif", "\xCE\xB1/caf\xE9.gif", "a%b.gif", "plain.gif",
                                   "sub\\p\xC3\xA1gina\\.gif", "a\x1F.gif"})
        EXPECT_EQ(PageReferencePath(FilePathPageAddress(name)), name) << name;
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
        // Markup: no address holds "<" or ">" as they stand.
        {"<script>.html", "%3Cscript%3E.html"},
        {"<img src=x onerror=alert(3)>.html", "%3Cimg src=x onerror=alert(3)%3E.html"},
        {"a>b<c.gif", "a%3Eb%3Cc.gif"},
        // Letters, accented ones, blanks and "/" stay as an author reads them.
        {"sub/plain.gif", "sub/plain.gif"},
        {"im\xC3\xA1genes/mi foto.gif", "im\xE1genes/mi foto.gif"},
    };
    for (const auto& [name, written] : cases) {
        EXPECT_EQ(FilePathPageAddress(name), written) << name;
        EXPECT_EQ(BrowserAddressPath(written), name) << written;
        EXPECT_EQ(PageReferencePath(written), name) << written;
    }
    // A character Windows-1252 lacks is held, saved as the character; a byte that spells no
    // character its escape.
    EXPECT_EQ(FilePathPageAddress("\xCE\xB1&\xE9#.gif"), "\x1F#945;%26%E9%23.gif");

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
                                       "<", ">", "\"", "a", "Z", "\xC3\xA1", "\xE2\x82\xAC", "\xCE\xB1", "\xF0\x9F\x98\x80",
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
        const std::string address = FilePathPageAddress(name);
        ASSERT_EQ(PageReferencePath(address), name) << address;
        // A browser reads the page saved: held characters as the characters, or their references.
        ASSERT_EQ(BrowserAddressPath(HeldCharactersAsReferences(address)), name) << address;
        // Nothing in it ends the address but the "#" of a held character, nor ends its attribute or
        // makes a tag.
        ASSERT_EQ(address.find_first_of("?\\\"<>"), std::string::npos) << address;
        for (size_t at = address.find('#'); at != std::string::npos; at = address.find('#', at + 1))
            ASSERT_TRUE(at > 0 && address[at - 1] == kHeldCharacterMark) << address;
    }
    // The whole range of single bytes, and the empty name.
    for (int byte = 0; byte < 256; ++byte) {
        const std::string name(1, static_cast<char>(byte));
        EXPECT_EQ(PageReferencePath(FilePathPageAddress(name)), name) << byte;
    }
    EXPECT_EQ(FilePathPageAddress(""), "");
}
