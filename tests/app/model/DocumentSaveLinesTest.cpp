// Tests of what a save writes, read as a line diff of the file before and after: every line the author did not change keeps its bytes, line break included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "support/FileLineDiff.h"

namespace {

// A line of a page as authors write them: raw letters beyond ASCII, a script string with "ñ", codes,
// a control byte 0x1F, a character Windows-1252 lacks (held in a UTF-8 page, a reference in a
// Windows-1252 one); its break CR LF, LF or a lone CR.
std::string pageLine(size_t number, bool utf8)
{
    const std::string enye = utf8 ? "\xC3\xB1" : "\xF1";
    const std::string n = std::to_string(number);
    std::string line;
    switch (number % 6) {
    case 0:
        line = "<p>linea " + n + " con " + enye + " y m\xC3\xA1s</p>";
        break;
    case 1:
        line = "<script>var s = \"" + enye + "\"; // " + n + "</script>";
        break;
    case 2:
        line = "<p>" + n + " &ntilde; &amp; c&oacute;digos</p>";
        break;
    case 3:
        line = "<p>" + n + " control \x1F byte</p>";
        break;
    case 4:
        line = utf8 ? "<p>" + n + " alfa \xCE\xB1 tenida</p>" : "<p>" + n + " alfa &#945; referencia</p>";
        break;
    default:
        line = "<div class=\"plain\">texto " + n + "</div>";
        break;
    }
    if (!utf8)
        for (size_t at; (at = line.find("\xC3\xA1")) != std::string::npos;) {
            line.erase(at, 1);
            line[at] = '\xE1';
        }
    static const char* const breaks[] = {"\r\n", "\r\n", "\n", "\r\n", "\r"};
    return line + breaks[number % 5];
}

// Bytes beyond ASCII in `text`.
bool beyondAscii(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
}

std::string makePage(size_t lines, bool utf8, size_t from = 0)
{
    std::string page;
    for (size_t line = from; line < from + lines; ++line)
        page += pageLine(line, utf8);
    return page;
}

// A document read from a file, its text edited line by line and saved as the window saves it (the
// bytes worked out, checked to reopen as the text, then kept as the file's).
struct TSavedPage {
    TCodigosISO table;
    const TCodigosISO* entities = &table;
    TDocumentBytes document;
    std::string file;
    std::vector<std::string> lines;
    bool page = true;

    explicit TSavedPage(std::string bytes, size_t stretch = 64 * 1024, bool conversion = true, bool isPage = true)
        : file(std::move(bytes)), page(isPage)
    {
        table.LoadDefaults();
        if (!conversion)
            entities = nullptr;
        document.StretchBytes = stretch;
        std::string text;
        document.Read(file, entities, text);
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find('\r', at), text.size() - 1) + 1;
            lines.push_back(text.substr(at, end - at));
            at = end;
        }
    }
    std::string text() const
    {
        std::string joined;
        for (const std::string& line : lines)
            joined += line;
        return joined;
    }
    // The last save would have asked first (save with `mayAsk`): nothing was written.
    bool asked = false;
    // Saves the text: what changed in the file's lines.
    TFileLineChanges save(bool mayAsk = false)
    {
        const std::string now = text();
        TDocumentBytes::TSaveBytes saved = document.SaveBytes(now, entities, page);
        asked = !saved.ReadsBack;
        if (asked && mayAsk)
            return {};
        EXPECT_TRUE(saved.ReadsBack);
        // The file reopens as the text, the codes typed read as characters.
        TDocumentBytes reopened;
        std::string back;
        reopened.Read(saved.Bytes, entities, back);
        const auto reads = [&](const TDocumentFormat& format) {
            const std::string meant = TDocumentBytes::ReadBackForm(now, format, entities);
            return back == (entities ? TDocumentBytes::StoredForm(entities->DecodeText(meant)) : meant);
        };
        // A file of ASCII alone reads the same in any format: its references as typed.
        TDocumentFormat ascii = saved.Format;
        ascii.Utf8 = false;
        ascii.Ascii = true;
        const bool asciiBytes = !beyondAscii(saved.Bytes);
        EXPECT_TRUE(reads(saved.Format) || (asciiBytes && reads(ascii))) << testing::PrintToString(back);
        const TFileLineChanges changes = FileLineChanges(file, saved.Bytes);
        file = saved.Bytes;
        document.Format = saved.Format;
        document.Written(std::move(saved), entities);
        return changes;
    }
};

#define EXPECT_LINES_CHANGED(changes, lost, added)                                                                          \
    do {                                                                                                               \
        const TFileLineChanges found = (changes);                                                                      \
        EXPECT_EQ(found.Lost, size_t(lost));                                                                           \
        EXPECT_EQ(found.Added, size_t(added));                                                                         \
    } while (false)

} // namespace

TEST(DocumentSaveLines, EditsOfAnySizeAndDistanceChangeOnlyTheirLines)
{
    // A page of 1 MB, UTF-8 or Windows-1252, matched with its kept bytes in stretches of 64 KB or
    // of a few lines: two words typed 78 KB apart, then three edits a few lines apart and a line
    // deleted, then a save with nothing changed.
    for (const bool utf8 : {true, false}) {
        for (const size_t stretch : {size_t(64 * 1024), size_t(300)}) {
            SCOPED_TRACE(std::string(utf8 ? "UTF-8" : "Windows-1252") + " in stretches of " + std::to_string(stretch));
            TSavedPage page(makePage(30000, utf8), stretch);
            ASSERT_EQ(page.lines.size(), 30000u);
            page.lines[100].insert(3, "nuevo ");
            page.lines[2300].insert(3, "otra ");
            EXPECT_LINES_CHANGED(page.save(), 2, 2);
            page.lines[2301].insert(3, "x");
            page.lines[2303].insert(3, "y");
            page.lines[2306].insert(3, "\xF1");
            page.lines.erase(page.lines.begin() + 5000);
            EXPECT_LINES_CHANGED(page.save(), 4, 3);
            const std::string before = page.file;
            EXPECT_LINES_CHANGED(page.save(), 0, 0);
            EXPECT_EQ(page.file, before);
        }
    }
}

TEST(DocumentSaveLines, APageThatRepeatsItselfKeepsEveryCopyNobodyTouched)
{
    // A block of about 2 KB (raw "ñ", a held α, CR LF, LF, a lone CR, a byte 0x1F) repeated 500
    // times. One edit; then a copy cut and an edit 200 copies further on; then another cut and an edit
    // 20 copies further; then lines pasted.
    const std::string block = makePage(60, true);
    std::string file;
    for (int copy = 0; copy < 500; ++copy)
        file += block;
    TSavedPage page(file);
    ASSERT_EQ(page.lines.size(), 30000u);
    page.lines[10 * 60 + 7].insert(3, "uno ");
    EXPECT_LINES_CHANGED(page.save(), 1, 1);
    page.lines.erase(page.lines.begin() + 100 * 60, page.lines.begin() + 101 * 60);
    page.lines[300 * 60 + 20].insert(3, "dos ");
    EXPECT_LINES_CHANGED(page.save(), 61, 1);
    // Another copy cut, and an edit 20 copies further on.
    page.lines.erase(page.lines.begin() + 150 * 60, page.lines.begin() + 151 * 60);
    page.lines[170 * 60 + 33].insert(3, "tres ");
    EXPECT_LINES_CHANGED(page.save(), 61, 1);
    // Ten lines of a copy pasted into another: the pasted lines are new, the rest keep their bytes.
    const std::vector<std::string> copied(page.lines.begin() + 50 * 60 + 3, page.lines.begin() + 50 * 60 + 13);
    page.lines.insert(page.lines.begin() + 400 * 60 + 30, copied.begin(), copied.end());
    const TFileLineChanges pasted = page.save();
    EXPECT_EQ(pasted.Lost, 0u);
    EXPECT_LE(pasted.Added, 10u);
    EXPECT_LINES_CHANGED(page.save(), 0, 0);
}

TEST(DocumentSaveLines, TextTypedInOrAroundAProtectedRegionChangesOnlyItsLines)
{
    std::string file = makePage(2000, true);
    TSavedPage probe(file);
    // A protected region over lines 200 to 229 of the file.
    std::vector<std::string> fileLines;
    for (const std::string_view line : FileLines(file))
        fileLines.emplace_back(line);
    fileLines[200].insert(0, "<!--INI_OMITECHAR-->");
    fileLines[229].insert(0, "<!--FIN_OMITECHAR-->");
    file.clear();
    for (const std::string& line : fileLines)
        file += line;
    TSavedPage page(file);
    // A letter beyond ASCII typed inside the region goes as itself; outside, as its code.
    page.lines[210].insert(3, "\xE9");
    EXPECT_LINES_CHANGED(page.save(), 1, 1);
    EXPECT_NE(page.file.find("<p>\xC3\xA9"), std::string::npos);
    page.lines[500].insert(3, "\xE9");
    EXPECT_LINES_CHANGED(page.save(), 1, 1);
    EXPECT_NE(page.file.find("<p>&eacute;"), std::string::npos);
    // A new region around ten lines: those whose codes would read as typed there are written with
    // their characters; the others keep their bytes.
    size_t coded = 0;
    for (size_t line = 1000; line < 1010; ++line)
        coded += fileLines[line].find('&') != std::string::npos ? 1 : 0;
    ASSERT_GT(coded, 0u);
    page.lines.insert(page.lines.begin() + 1010, "<!--FIN_OMITECHAR-->\r");
    page.lines.insert(page.lines.begin() + 1000, "<!--INI_OMITECHAR-->\r");
    EXPECT_LINES_CHANGED(page.save(), coded, coded + 2);
    EXPECT_LINES_CHANGED(page.save(), 0, 0);
}

TEST(DocumentSaveLines, WhatASaveWroteIsWhatTheNextSaveComparesWith)
{
    // A character Windows-1252 lacks typed into a Windows-1252 page: written as its reference, which
    // the next save finds as written.
    TSavedPage page("<p>uno</p>\r\n<p>ni\xF1o</p>\n<p>tres</p>\r\n<p>cuatro</p>\r\n");
    page.lines[0].insert(3, HeldCharacter(0x3BB));
    EXPECT_LINES_CHANGED(page.save(), 1, 1);
    EXPECT_EQ(page.file, "<p>&#955;uno</p>\r\n<p>ni\xF1o</p>\n<p>tres</p>\r\n<p>cuatro</p>\r\n");
    page.lines[3].insert(3, "X");
    EXPECT_LINES_CHANGED(page.save(), 1, 1);
    EXPECT_EQ(page.file, "<p>&#955;uno</p>\r\n<p>ni\xF1o</p>\n<p>tres</p>\r\n<p>Xcuatro</p>\r\n");
    // A plain text file whose bytes became ASCII: a save with nothing changed writes them again.
    TSavedPage plain("caf\xE9 con leche\r\nfin\r\n", 64 * 1024, false, false);
    plain.lines[0] = "caf" + HeldCharacter(0x3BB) + " con leche\r";
    EXPECT_LINES_CHANGED(plain.save(), 1, 1);
    EXPECT_EQ(plain.file, "caf&#955; con leche\r\nfin\r\n");
    EXPECT_LINES_CHANGED(plain.save(), 0, 0);
    plain.lines[1] = "fin y algo\r";
    EXPECT_LINES_CHANGED(plain.save(), 1, 1);
    EXPECT_EQ(plain.file, "caf&#955; con leche\r\nfin y algo\r\n");
    // A page that declares no character set, written as ASCII with references ("ñ" as "&#241;", in a
    // protected region too), then declared Windows-1252 with an "é" typed: the lines whose references
    // stand for characters Windows-1252 holds are written with them, so that the page reopens as its
    // text; the reference of one it lacks stays.
    TSavedPage references("<p>uno</p>\r\n<p>dos</p>\r\n");
    references.lines.insert(references.lines.begin() + 1,
                            {"<!--INI_OMITECHAR--><script>var s = \"\xF1\";</script>\r", "<p>ni\xF1o " + HeldCharacter(0x3BB) + "</p>\r"});
    EXPECT_LINES_CHANGED(references.save(), 0, 2);
    EXPECT_EQ(references.file,
              "<p>uno</p>\r\n<!--INI_OMITECHAR--><script>var s = \"&#241;\";</script>\r\n<p>ni&#241;o &#955;</p>\r\n<p>dos</p>\r\n");
    references.lines.insert(references.lines.begin(), "<meta charset=\"windows-1252\">\r");
    references.lines.back().insert(3, "\xE9");
    EXPECT_LINES_CHANGED(references.save(), 3, 4);
    EXPECT_EQ(references.file, "<meta charset=\"windows-1252\">\r\n<p>uno</p>\r\n<!--INI_OMITECHAR--><script>var s = \"\xF1\";</script>\r\n"
                               "<p>ni\xF1o &#955;</p>\r\n<p>\xE9" "dos</p>\r\n");
}

TEST(DocumentSaveLines, ReplaceAllRewritesOnlyTheLinesItChangedEachWithItsBreak)
{
    // Five lines, one of them holding a lone CR: a word in one of them replaced.
    TSavedPage small("uno\rdos palabra\r\ntres\r\ncuatro\ncinco\r\n");
    for (std::string& line : small.lines)
        if (const size_t at = line.find("palabra"); at != std::string::npos)
            line.replace(at, 7, "vocablo");
    EXPECT_LINES_CHANGED(small.save(), 1, 1);
    EXPECT_EQ(small.file, "uno\rdos vocablo\r\ntres\r\ncuatro\ncinco\r\n");
    // Six thousand lines: every "plain" replaced, in every sixth line; each keeps its break.
    TSavedPage page(makePage(6000, true));
    const std::vector<std::string_view> before = FileLines(page.file);
    const std::string old = page.file;
    size_t replaced = 0;
    for (std::string& line : page.lines)
        if (const size_t at = line.find("plain"); at != std::string::npos) {
            line.replace(at, 5, "llano");
            ++replaced;
        }
    EXPECT_LINES_CHANGED(page.save(), replaced, replaced);
    const std::vector<std::string_view> after = FileLines(page.file);
    ASSERT_EQ(after.size(), before.size());
    for (size_t line = 0; line < after.size(); ++line) {
        const auto breakOf = [](std::string_view text) { return text.substr(text.find_last_not_of("\r\n") + 1); };
        EXPECT_EQ(breakOf(after[line]), breakOf(before[line])) << line;
    }
}

TEST(DocumentSaveLines, AnotherCharacterSetOrTableRewritesOnlyTheLinesWhoseBytesItChanges)
{
    // A Windows-1252 page whose declaration becomes UTF-8, then ISO-8859-2 (references), then
    // Windows-1252 again, with character conversion on and off: each time the lines without letters
    // beyond ASCII (codes, references to characters Windows-1252 lacks, a byte 0x1F; each break CR
    // LF, LF or a lone CR) keep their bytes, and only the declaration and the lines with letters are
    // written anew, where their bytes no longer read as them: written as codes, they stay.
    const auto declaration = [](const std::string& set) { return "<head><meta charset=\"" + set + "\"></head>\r\n"; };
    const std::string original = declaration("windows-1252") + makePage(3000, false);
    for (const bool conversion : {true, false}) {
        SCOPED_TRACE(conversion ? "conversion" : "no conversion");
        TSavedPage page(original, 64 * 1024, conversion);
        for (const char* set : {"utf-8", "iso-8859-2", "windows-1252"}) {
            SCOPED_TRACE(set);
            std::vector<std::string> before;
            for (const std::string_view line : FileLines(page.file))
                before.emplace_back(line);
            page.lines[0] = declaration(set);
            page.lines[0].pop_back();
            page.lines[0].back() = '\r';
            const TFileLineChanges changes = page.save();
            const std::vector<std::string_view> after = FileLines(page.file);
            ASSERT_EQ(after.size(), before.size());
            size_t letters = 0;
            for (size_t line = 1; line < after.size(); ++line) {
                if (beyondAscii(page.lines[line])) {
                    ++letters;
                } else {
                    EXPECT_EQ(after[line], before[line]) << line;
                }
            }
            // With conversion, the lines of codes hold letters too; their bytes read as them in any set.
            EXPECT_EQ(letters, conversion ? 1500u : 1000u);
            const size_t written = conversion && std::string(set) != "utf-8" ? 1 : 1001;
            EXPECT_LINES_CHANGED(changes, written, written);
            EXPECT_LINES_CHANGED(page.save(), 0, 0);
        }
        // Without conversion the letters went to UTF-8, to references and back as they were.
        if (!conversion) {
            EXPECT_EQ(page.file, original);
        }
    }

    // A UTF-8 page saved with another table of codes (one that knows "ñ" alone) after one line was
    // typed into: the lines that hold no code keep their bytes.
    TSavedPage coded(makePage(3000, true));
    const std::string old = coded.file;
    const std::vector<std::string_view> lines = FileLines(old);
    ASSERT_TRUE(coded.table.LoadFromText("\xF1 &ntilde;\r\n"));
    coded.lines[10].insert(3, "nuevo ");
    const TFileLineChanges changes = coded.save();
    const std::vector<std::string_view> now = FileLines(coded.file);
    ASSERT_EQ(now.size(), lines.size());
    size_t withCodes = 0;
    for (size_t line = 0; line < lines.size(); ++line) {
        if (lines[line].find('&') != std::string_view::npos) {
            ++withCodes;
        } else if (line != 10) {
            EXPECT_EQ(now[line], lines[line]) << line;
        }
    }
    EXPECT_GE(withCodes, 500u);
    EXPECT_LE(changes.Lost, withCodes + 1);
    EXPECT_LINES_CHANGED(coded.save(), 0, 0);
}

TEST(DocumentSaveLines, LineBreaksThatWouldJoinChangeAloneInstead)
{
    // A line deleted so that a kept LF meets the lone CR of a kept empty line (which would read as
    // one break), and one so that a lone CR meets an LF: only the empty line's break changes (to a
    // pair that joins neither side); the raw "ñ" and the other breaks of the file keep their bytes.
    const std::string around = makePage(40, true);
    TSavedPage page(around + "uno\ndos\r\n\rtres\r\n" + around + "cuatro\rcinco\n\nseis\r\n" + around);
    const size_t first = 40 + 1, second = 40 + 4 + 40 + 1;
    ASSERT_EQ(page.lines[first], "dos\r");
    ASSERT_EQ(page.lines[second], "cinco\r");
    page.lines.erase(page.lines.begin() + static_cast<std::ptrdiff_t>(second));
    page.lines.erase(page.lines.begin() + static_cast<std::ptrdiff_t>(first));
    EXPECT_LINES_CHANGED(page.save(), 4, 2);
    EXPECT_NE(page.file.find("uno\n\n\rtres\r\n"), std::string::npos);
    EXPECT_NE(page.file.find("cuatro\r\r\nseis\r\n"), std::string::npos);
    // An empty line typed after a lone CR in a page whose main break is LF.
    TSavedPage lf("a\nb\rc\nd\n");
    lf.lines.insert(lf.lines.begin() + 2, "\r");
    const TFileLineChanges typed = lf.save();
    EXPECT_LE(typed.Lost, 1u);
    EXPECT_LE(typed.Added, 2u);
    EXPECT_LINES_CHANGED(lf.save(), 0, 0);
}

namespace {

// An author at work on a page: lines typed into, cut, pasted (copies of lines already there), split,
// joined, a word replaced everywhere, codes and held characters typed, protected regions added, the
// declared character set changed. Each
// line remembers whether the author changed it since the last save, so that a save is checked to
// change no other.
class TAuthor {
public:
    // `everywhere`: replace all is among the edits.
    TAuthor(TSavedPage& page, std::mt19937& random, bool everywhere = true)
        : FPage(page), FRandom(random), FEverywhere(everywhere)
    {
        saved();
    }

    void Edit()
    {
        auto& lines = FPage.lines;
        const auto pick = [&](size_t count) { return count ? static_cast<size_t>(FRandom() % count) : 0; };
        const size_t edit = FRandom() % 10;
        switch (edit == 5 && !FEverywhere ? 0 : edit) {
        case 0:
        case 1: { // Typing into a line.
            if (lines.empty())
                break;
            static const std::vector<std::string> typed = {"x", " palabra ", "\xF1", "\xE9", "&nbsp;", "&ntilde;", "&",
                                                           HeldCharacter(0x3B1), HeldCharacter(0x2192), "texto", "\t"};
            const size_t line = pick(lines.size());
            std::string& text = lines[line];
            const size_t length = text.size() - (text.ends_with('\r') ? 1 : 0);
            // Never inside a held character.
            size_t at = pick(length + 1);
            while (at > 0 && at < length && text.rfind(kHeldCharacterMark, at) != std::string::npos &&
                   text.find(';', text.rfind(kHeldCharacterMark, at)) >= at)
                --at;
            text.insert(at, typed[pick(typed.size())]);
            FEdited[line] = true;
            break;
        }
        case 2: { // A few lines cut.
            const size_t from = pick(lines.size()), count = std::min<size_t>(1 + pick(6), lines.size() - from);
            erase(from, count);
            break;
        }
        case 3:
        case 4: { // Lines copied and pasted elsewhere: a repeated block.
            if (lines.empty())
                break;
            const size_t from = pick(lines.size()), count = std::min<size_t>(1 + pick(12), lines.size() - from);
            std::vector<std::string> block(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                           lines.begin() + static_cast<std::ptrdiff_t>(from + count));
            if (!block.back().ends_with('\r'))
                block.back() += '\r';
            insert(pick(lines.size() + 1), block);
            break;
        }
        case 5: { // Replace all: one word for another in every line that holds it.
            static const std::vector<std::pair<std::string, std::string>> words = {
                {"texto", "TEXTO"}, {"linea", "renglon"}, {"&ntilde;", "\xF1"}, {"control", "ctl"}, {"plain", "llano"}};
            const auto& [word, replacement] = words[pick(words.size())];
            for (size_t line = 0; line < lines.size(); ++line) {
                bool found = false;
                for (size_t at = 0; (at = lines[line].find(word, at)) != std::string::npos; at += replacement.size()) {
                    lines[line].replace(at, word.size(), replacement);
                    found = true;
                }
                FEdited[line] = FEdited[line] || found;
            }
            break;
        }
        case 6: { // A line split in two.
            if (lines.empty())
                break;
            const size_t line = pick(lines.size());
            const size_t at = pick(lines[line].size());
            if (lines[line].find(kHeldCharacterMark) != std::string::npos)
                break;
            const std::string rest = lines[line].substr(at);
            lines[line].erase(at);
            lines[line] += '\r';
            FEdited[line] = true;
            insert(line + 1, {rest});
            break;
        }
        case 7: { // Two lines joined.
            if (lines.size() < 2)
                break;
            const size_t line = pick(lines.size() - 1);
            lines[line].pop_back();
            lines[line] += lines[line + 1];
            FEdited[line] = true;
            erase(line + 1, 1);
            break;
        }
        case 8: { // The character set the page declares on its first line: another encoding.
            static const char* const sets[] = {"utf-8", "windows-1252"};
            const std::string declaration = std::string("<meta charset=\"") + sets[pick(2)] + "\">\r";
            if (!lines.empty() && lines[0].starts_with("<meta charset=")) {
                lines[0] = declaration;
                FEdited[0] = true;
            } else {
                insert(0, {declaration});
            }
            break;
        }
        default: { // A protected region around a few lines.
            const size_t from = pick(lines.size() + 1), to = std::min(lines.size(), from + pick(8));
            insert(to, {"<!--FIN_OMITECHAR-->\r"});
            insert(from, {"<!--INI_OMITECHAR-->\r"});
            break;
        }
        }
        ++FOperations;
    }

    // Saves, and checks by a line diff that only the lines changed since the last save were written
    // anew (and, at each place the author edited, one line break that would have joined another);
    // saved again untouched, the same bytes. False when the save would ask first.
    bool Save()
    {
        // A line that now starts in a protected region, or out of one, reads otherwise there when it
        // holds codes: it may be written anew.
        const std::vector<bool> regions = startsInRegion();
        // Written in another encoding, a line whose bytes are not ASCII alone is written anew, and so
        // may be one that holds a reference or code standing for what the author typed.
        const TDocumentFormat chosen = FPage.document.FormatFor(FPage.text(), FPage.entities, FPage.page);
        const TDocumentFormat& was = FPage.document.Format;
        const bool recoded = chosen.Utf8 != was.Utf8 || chosen.Ascii != was.Ascii || chosen.Utf16 != was.Utf16;
        size_t kept = 0, changed = 0;
        for (size_t line = 0; line < FPage.lines.size(); ++line) {
            if (FOrigin[line] != kNew && !FEdited[line] && FSavedRegions[FOrigin[line]] == regions[line] &&
                !(recoded && FSavedRecodable[FOrigin[line]]))
                ++kept;
            else
                ++changed;
        }
        const std::string before = FPage.file;
        const TFileLineChanges changes = FPage.save(true);
        if (FPage.asked)
            return false;
        EXPECT_LE(changes.Lost, FSavedLines - kept + FOperations);
        EXPECT_LE(changes.Added, changed + FOperations);
        const std::string written = FPage.file;
        EXPECT_LINES_CHANGED(FPage.save(), 0, 0);
        EXPECT_EQ(FPage.file, written);
        saved();
        return true;
    }

private:
    static constexpr size_t kNew = SIZE_MAX;
    std::vector<bool> startsInRegion() const
    {
        std::vector<bool> regions;
        bool region = false;
        for (const std::string& line : FPage.lines) {
            regions.push_back(region);
            region = FPage.table.ProtectedAtEnd(line, region);
        }
        return regions;
    }
    void saved()
    {
        FSavedRegions = startsInRegion();
        FSavedLines = FPage.lines.size();
        FOrigin.resize(FSavedLines);
        for (size_t line = 0; line < FSavedLines; ++line)
            FOrigin[line] = line;
        FEdited.assign(FSavedLines, false);
        FOperations = 0;
        // Each saved line's bytes hold more than ASCII, or an "&" (all of them when the file's lines are
        // not the text's).
        const std::vector<std::string_view> fileLines = FileLines(FPage.file);
        FSavedRecodable.assign(FSavedLines, true);
        if (fileLines.size() == FSavedLines)
            for (size_t line = 0; line < FSavedLines; ++line)
                FSavedRecodable[line] = std::any_of(fileLines[line].begin(), fileLines[line].end(),
                                                    [](char c) { return (c & 0x80) != 0 || c == '&'; });
    }
    void erase(size_t from, size_t count)
    {
        const auto at = static_cast<std::ptrdiff_t>(from), end = static_cast<std::ptrdiff_t>(from + count);
        FPage.lines.erase(FPage.lines.begin() + at, FPage.lines.begin() + end);
        FOrigin.erase(FOrigin.begin() + at, FOrigin.begin() + end);
        FEdited.erase(FEdited.begin() + at, FEdited.begin() + end);
        // The text's last line may now lack its break: the editor's text ends as it ends.
    }
    void insert(size_t at, const std::vector<std::string>& block)
    {
        // A line put after the last, which has no break, gives it one.
        if (at == FPage.lines.size() && at > 0 && !FPage.lines.back().ends_with('\r')) {
            FPage.lines.back() += '\r';
            FEdited.back() = true;
        }
        const auto place = static_cast<std::ptrdiff_t>(at);
        FPage.lines.insert(FPage.lines.begin() + place, block.begin(), block.end());
        FOrigin.insert(FOrigin.begin() + place, block.size(), kNew);
        FEdited.insert(FEdited.begin() + place, block.size(), true);
    }

    TSavedPage& FPage;
    std::mt19937& FRandom;
    bool FEverywhere;
    size_t FSavedLines = 0, FOperations = 0;
    std::vector<size_t> FOrigin;
    std::vector<bool> FEdited, FSavedRegions, FSavedRecodable;
};

// A page of random lines of the kinds pageLine makes, with blocks of it repeated, empty lines and now
// and then a protected region, of about `bytes` bytes.
std::string randomPage(std::mt19937& random, size_t bytes, bool utf8)
{
    std::string page;
    while (page.size() < bytes) {
        switch (random() % 8) {
        case 0:
            if (!page.empty()) {
                // A block of what is there repeated.
                const size_t from = random() % page.size();
                const size_t start = page.find('\n', from);
                if (start != std::string::npos)
                    page += page.substr(start + 1, std::min<size_t>(2048, page.size() - start - 1));
            }
            break;
        case 1:
            page += "\r\n";
            break;
        case 2:
            page += random() % 2 ? "<!--INI_OMITECHAR-->" : "<!--FIN_OMITECHAR-->";
            [[fallthrough]];
        default:
            page += pageLine(random() % 100000, utf8);
            break;
        }
    }
    // A page ends with a whole line, as pages do.
    if (!page.ends_with('\n'))
        page += "\r\n";
    return page;
}

} // namespace

TEST(DocumentSaveLines, RandomEditsAndSavesChangeOnlyTheLinesTheAuthorChanged)
{
    // Pages of 1 KB to 64 KB, UTF-8 or Windows-1252, matched with their kept bytes in stretches of
    // 64 KB or of a few hundred bytes; several saves each after a few random edits.
    int saves = 0, asked = 0;
    for (unsigned seed = 1; seed <= 120; ++seed) {
        std::mt19937 random(seed);
        const bool utf8 = seed % 3 != 0;
        const size_t size = size_t(1024) << (seed % 7);
        TSavedPage page(randomPage(random, size, utf8), seed % 2 ? 64 * 1024 : 200 + seed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        TAuthor author(page, random);
        for (int save = 0; save < 4; ++save) {
            for (size_t edit = 1 + random() % 6; edit > 0; --edit)
                author.Edit();
            if (!author.Save()) {
                ++asked;
                break;
            }
            ++saves;
            if (testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_GT(saves, 350);
    EXPECT_LT(asked, 10);
}

TEST(DocumentSaveLines, ALargePageKeepsItsLinesThroughEditsAndReplaceAll)
{
    // 20 MB: a few edits far apart and close together, a block cut and pasted, a rare word replaced
    // everywhere; three saves (the second untouched).
    std::mt19937 random(2026);
    std::string file = makePage(600000, true);
    for (size_t at = 0; (at = file.find("texto 1234", at)) != std::string::npos; at += 5)
        file.replace(at, 5, "raro ");
    TSavedPage page(std::move(file));
    ASSERT_GT(page.file.size(), size_t(20) << 20);
    TAuthor author(page, random, false);
    for (int save = 0; save < 1; ++save) {
        for (int edit = 0; edit < 4; ++edit)
            author.Edit();
        ASSERT_TRUE(author.Save());
        size_t replaced = 0;
        for (std::string& line : page.lines)
            if (const size_t at = line.find(save % 2 ? "RARO" : "raro"); at != std::string::npos) {
                line.replace(at, 4, save % 2 ? "raro" : "RARO");
                ++replaced;
            }
        EXPECT_GT(replaced, 10u);
        EXPECT_LINES_CHANGED(page.save(), replaced, replaced);
    }
}
