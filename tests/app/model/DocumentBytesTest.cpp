// Tests of TDocumentBytes: the line store's form of a text with its offsets, and the bytes written for a text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "editor/model/LineStore.h"

namespace {

// What reading a document gives, each step in turn over the whole text: the bytes decoded, their
// control characters noted, codes to characters, then the line store's rewriting.
struct TSteps {
    TDecodeResult result;
    std::string text;
    TDocumentFormat format;
    size_t references = 0;
    bool controls = false;
};

TSteps readStepByStep(const std::string& bytes, const TCodigosISO* entities)
{
    TSteps steps;
    std::string decoded;
    steps.result = DecodeDocument(bytes, decoded, steps.format, nullptr, &steps.references);
    steps.controls = FileHoldsControlCharacters(bytes, steps.format);
    if (entities)
        decoded = entities->DecodeText(decoded);
    steps.text = TDocumentBytes::StoredForm(decoded);
    return steps;
}

} // namespace

TEST(DocumentBytes, TheStoredFormIsTheLineStoresAndKnowsWhereEachCharacterCameFrom)
{
    std::vector<uint32_t> offsets;
    EXPECT_EQ(TDocumentBytes::StoredForm("a\r\nb\n\rc\x01\t\x1A", &offsets), "a\rb\rc.\t\x1A");
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 1, 3, 4, 6, 7, 8, 9, 10}));
    // A pair at the very end: LF CR gives two breaks, CR LF one; a final NUL is a ".".
    EXPECT_EQ(TDocumentBytes::StoredForm("x\n\r"), "x\r\r");
    EXPECT_EQ(TDocumentBytes::StoredForm("x\r\n"), "x\r");
    EXPECT_EQ(TDocumentBytes::StoredForm(std::string("x\0", 2)), "x.");
    EXPECT_EQ(TDocumentBytes::StoredForm("", &offsets), "");
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0}));
    // The same as the line store's own rewriting, for every text of a few such characters.
    const char alphabet[] = {'a', '\r', '\n', '\0', '\x01', '\t'};
    for (int code = 0; code < 6 * 6 * 6 * 6; ++code) {
        std::string text;
        for (int n = code, i = 0; i < 4; ++i, n /= 6)
            text += alphabet[n % 6];
        char stored[8];
        const int length = NormaliseText(stored, text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(TDocumentBytes::StoredForm(text), std::string(stored, static_cast<size_t>(length))) << code;
    }
}

TEST(DocumentBytes, WritingKeepsWhatWasReadAndEncodesOnlyTheChange)
{
    TCodigosISO entities;
    entities.LoadDefaults();
    TDocumentBytes document;
    std::string text;
    EXPECT_EQ(document.Read("\xE1 &aacute;\r\n\xE9\n", &entities, text), TDecodeResult::Bytes);
    EXPECT_EQ(text, "\xE1 \xE1\r\xE9\r");
    EXPECT_EQ(document.Write(text, &entities), "\xE1 &aacute;\r\n\xE9\n");
    // The typed character gets its code; the rest keeps its bytes.
    EXPECT_EQ(document.Write("\xE1 \xE1\r\xF1\xE9\r", &entities), "\xE1 &aacute;\r\n&ntilde;\xE9\n");
    // A whole new text is written in the format read: Windows-1252, the most common break.
    EXPECT_EQ(document.Write("\xF1\rx", nullptr), "\xF1\r\nx");
    // A model is no file: nothing is kept and the document is UTF-8.
    TDocumentBytes fresh;
    fresh.Read("caf\xE9\n", nullptr, text, true);
    EXPECT_EQ(fresh.Write(text, nullptr), "caf\xC3\xA9\n");
    fresh.Written("caf\xC3\xA9\n", nullptr);
    EXPECT_EQ(fresh.Write("X" + text, nullptr), "Xcaf\xC3\xA9\n");
}

TEST(DocumentBytes, ReadingInOnePassGivesWhatTheStepsGive)
{
    // Pieces of files: ASCII runs long enough for word-wide copying, every kind of line break,
    // control characters, UTF-8 in and beyond Windows-1252, malformed UTF-8, Windows-1252 bytes,
    // codes, references and protected regions.
    const std::vector<std::string> valid = {
        "a", "<p class=\"x\">text of a page</p>", "\r", "\n", "\r\n", "\n\r", "\t", std::string(1, '\0'),
        "\x01", "\x1A", "\x7F", "\xC3\xA1", "\xC3\xB1", "\xE2\x82\xAC", "\xE2\x86\x92", "\xF0\x9F\x98\x80",
        "\xEF\xBB\xBF", "\xC2\x85", "&aacute;", "&ntilde;", "&amp;", "&#8594;", "&#225;", "&", "&#",
        "<!--INI_OMITECHAR-->", "<!--fin_omitechar-->", "12345678", ";"};
    const std::vector<std::string> invalid = {"\xE1", "\xC0\x80", "\xED\xA0\x80", "\x81", "\xE9", "\xE2\x82",
                                              "\xF5\x80\x80\x80", "\xBF"};
    TCodigosISO defaults, numeric, controlCharacter, tab;
    defaults.LoadDefaults();
    ASSERT_TRUE(numeric.LoadFromText("& &amp;\nx &#8594;\n\xE1 &#225;\n"));
    // A table with a control character is read step by step; one with TAB is not.
    ASSERT_TRUE(controlCharacter.LoadFromText("\x01 &soh;\n\xE1 &aacute;\n"));
    ASSERT_TRUE(tab.LoadFromText("\t &tab;\n"));
    const TCodigosISO* tables[] = {nullptr, &defaults, &numeric, &controlCharacter, &tab};
    std::mt19937 random(20109);
    for (int round = 0; round < 20000; ++round) {
        std::string body;
        const bool malformed = round % 4 == 1;
        for (size_t n = random() % 16; n > 0; --n)
            body += malformed && random() % 3 == 0 ? invalid[random() % invalid.size()] : valid[random() % valid.size()];
        // The encodings the program reads: plain, with a UTF-8 mark, UTF-16 either way with its mark,
        // and now and then a UTF-16 file cut short or with a lone surrogate.
        std::string bytes = body;
        const int encoding = static_cast<int>(random() % 6);
        if (encoding == 1)
            bytes = "\xEF\xBB\xBF" + body;
        else if ((encoding == 2 || encoding == 3) && !malformed)
            bytes = Utf8ToUtf16(body, encoding == 3, true);
        else if (encoding == 4)
            bytes = Utf8ToUtf16(body, false, true) + (random() % 2 ? std::string("\x01") : std::string("\x00\xD8", 2));
        const TCodigosISO* table = tables[random() % std::size(tables)];
        SCOPED_TRACE(testing::PrintToString(bytes));
        const TSteps steps = readStepByStep(bytes, table);
        TDocumentBytes document;
        std::string text;
        EXPECT_EQ(document.Read(bytes, table, text), steps.result);
        EXPECT_EQ(text, steps.text);
        EXPECT_EQ(document.Format, steps.format);
        EXPECT_EQ(document.ReferenceCount, steps.references);
        EXPECT_EQ(document.ControlCharacters, steps.controls);
        // The untouched text gives the bytes back; with one letter more the bytes read back as the
        // text (a control character kept at the end would become "." once it is not the last, and
        // a whole text written through the numeric table gives "x" the reference of a remembered
        // character).
        EXPECT_EQ(document.Write(text, table), bytes);
        if (steps.controls || table == &numeric)
            continue;
        TDocumentBytes again;
        std::string back;
        again.Read(document.Write(text + "y", table), table, back);
        EXPECT_EQ(back, text + "y");
    }
}

TEST(DocumentBytes, ASaveReopensToItsTextOrSaysItWouldNot)
{
    TCodigosISO library, builtin;
    library.LoadFromText("\xAC &not;\n\xC3 &Atilde;\n\xA1 &iexcl;\n\xE1 &aacute;\n\xF1 &ntilde;\n");
    builtin.LoadDefaults();
    struct Case {
        const TCodigosISO* table;
        std::string bytes;
        bool readsBack;
    };
    const Case cases[] = {
        // Protected bytes that are valid UTF-8 once the rest became codes: the file would reopen as UTF-8.
        {&library, "\x05\xAC<!--INI_OMITECHAR-->\xC3\xA1", false},
        {&builtin, "\x05\xF1<!--INI_OMITECHAR-->\xC3\xA1", false},
        // The built-in table leaves most characters as they are: these happen to be valid UTF-8.
        {&builtin, "\xC3\xA9 \xF1", false},
        {&builtin, "\xC3 \xF1", true},
        // The fuzz input as its target reads it: after a UTF-8 byte-order mark that is then read as
        // three characters.
        {&library, "\xEF\xBB\xBF\x05\xAC<!--INI_OMITECHAR-->\xC3\xA1", false},
        {&library, "caf\xE9 \xBB x\r\n", true},
        {nullptr, "\xC3\xA1 \xE9", true},
    };
    for (const Case& c : cases) {
        TDocumentBytes document;
        std::string text;
        document.Read(c.bytes, c.table, text);
        const std::string typed = "X" + text + "Y";
        const TDocumentBytes::TSaveBytes save = document.SaveBytes(typed, c.table);
        EXPECT_EQ(save.ReadsBack, c.readsBack) << c.bytes;
        EXPECT_EQ(save.Utf8Instead, !c.readsBack) << c.bytes;
        // What the save would write (after asking, when it must) reopens to the saved text, and in the
        // format it says.
        TDocumentBytes reopened;
        std::string back;
        reopened.Read(save.Bytes, c.table, back);
        EXPECT_EQ(back, typed) << c.bytes;
        EXPECT_EQ(reopened.Format.Utf8, save.Format.Utf8) << c.bytes;
        if (c.readsBack) {
            EXPECT_EQ(save.Bytes, document.Write(typed, c.table)) << c.bytes;
        }
    }
    // A table whose code for "x" is the reference of the file's character: the file's character is
    // the character, the x its code, and each reopens as itself.
    TCodigosISO feeding;
    feeding.LoadFromText("x &#8594;\n");
    TDocumentBytes utf8;
    std::string text;
    utf8.Read("\xE2\x86\x92", &feeding, text);
    const TDocumentBytes::TSaveBytes save = utf8.SaveBytes(text + "x", &feeding);
    EXPECT_TRUE(save.ReadsBack);
    EXPECT_EQ(save.Bytes, "\xE2\x86\x92&#8594;");
}

TEST(DocumentBytes, TheQuestionLooksAtTheChangedLinesAndAsksAsTheWholeTextWould)
{
    // A table with a code for a no-break space and none for "&"; pages of lines holding codes,
    // UTF-8 or Windows-1252 characters and protected regions; codes and letters typed into them and
    // stretches deleted, one save after another. Each save asks exactly when its bytes reopen as
    // other characters than the text means (the text with its codes read as a reopening reads them),
    // and the bytes it writes unasked reopen as that.
    TCodigosISO table;
    ASSERT_TRUE(table.LoadFromText("\xA0 &nbsp;\n\xE1 &aacute;\n\xC3 &Atilde;\n\xAC &not;\n"));
    const std::vector<std::string> pieces = {"a", "&nbsp;", "&aacute;", "\r\n", "\n", "\xC3\xA1", "\xE1",
                                             "<!--INI_OMITECHAR-->", "<!--FIN_OMITECHAR-->", "&#945;", "\xCE\xB1", " "};
    const std::vector<std::string> typings = {"x", "&nbsp;", "&aacute;", "&not;", "\r", "&#945;", "&", "nbsp;"};
    std::mt19937 random(121);
    int asked = 0, unasked = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (size_t n = 1 + random() % 12; n > 0; --n)
            bytes += pieces[random() % pieces.size()];
        SCOPED_TRACE(testing::PrintToString(bytes));
        TDocumentBytes document;
        // Matched with the kept bytes a line at a time, a few characters at a time, or whole.
        document.StretchBytes = std::vector<size_t>{1, 4, 64 * 1024}[round % 3];
        std::string text;
        document.Read(bytes, &table, text);
        for (int save = 0; save < 3; ++save) {
            // The third save has nothing new to write.
            if (save < 2 && random() % 3 && !text.empty()) {
                // A stretch deleted: what is left of a Windows-1252 file may read as UTF-8.
                const size_t at = random() % text.size();
                text.erase(at, 1 + random() % 4);
            } else if (save < 2) {
                text.insert(random() % (text.size() + 1), typings[random() % typings.size()]);
            }
            text = TDocumentBytes::StoredForm(text);
            const TDocumentBytes::TSaveBytes written = document.SaveBytes(text, &table);
            const std::string plain = document.Write(text, &table);
            TDocumentBytes reopened;
            std::string back;
            reopened.Read(plain, &table, back);
            // A mark that begins no held character is shown as "&", and meant so.
            const std::string shown = TDocumentBytes::ReadBackForm(text, document.Format);
            const bool meant = back == shown || back == TDocumentBytes::StoredForm(table.DecodeText(shown));
            EXPECT_EQ(written.ReadsBack, meant) << testing::PrintToString(text);
            if (!written.ReadsBack) {
                ++asked;
                break;
            }
            ++unasked;
            EXPECT_EQ(written.Bytes, plain);
            document.Format = written.Format;
            document.Written(written, &table);
            // Unchanged since, the same bytes.
            EXPECT_EQ(document.Write(text, &table), plain);
        }
    }
    EXPECT_GT(asked, 10);
    EXPECT_GT(unasked, 2000);
}

TEST(DocumentBytes, CodesTypedFarApartAreKeptWithoutTheTextBetweenThem)
{
    // "&ntilde;" typed on the first and the last of many lines of a page, saved: the save keeps
    // the two codes, not the lines between; saved again untouched, then after a letter typed between
    // them, the bytes keep each code as typed and the rest as read.
    TCodigosISO table;
    table.LoadDefaults();
    std::string page;
    for (int line = 0; line < 2000; ++line)
        page += "<p>linea " + std::to_string(line) + " &ntilde;</p>\n";
    TDocumentBytes document;
    std::string text;
    document.Read(page, &table, text);
    text.insert(3, "&ntilde;");
    text.insert(text.size() - 5, "&ntilde;");
    TDocumentBytes::TSaveBytes save = document.SaveBytes(text, &table);
    ASSERT_TRUE(save.ReadsBack);
    ASSERT_EQ(save.Typed.size(), 2u);
    for (const auto& piece : save.Typed) {
        EXPECT_EQ(piece.Piece, "&ntilde;");
        EXPECT_EQ(piece.ReadLength, 1u);
    }
    std::string expected = page;
    expected.insert(3, "&ntilde;");
    expected.insert(expected.size() - 5, "&ntilde;");
    EXPECT_EQ(save.Bytes, expected);
    document.Format = save.Format;
    document.Written(std::move(save), &table);
    EXPECT_EQ(document.Write(text, &table), expected);
    const size_t middle = text.size() / 2;
    text.insert(middle, "x");
    const TDocumentBytes::TSaveBytes again = document.SaveBytes(text, &table);
    ASSERT_TRUE(again.ReadsBack);
    expected.insert(expected.find("</p>", expected.size() / 2), "x");
    EXPECT_EQ(again.Bytes.size(), expected.size());
    EXPECT_EQ(std::count(again.Bytes.begin(), again.Bytes.end(), 'x'), 1);
    TDocumentBytes reopened;
    std::string back;
    reopened.Read(again.Bytes, &table, back);
    EXPECT_EQ(back, TDocumentBytes::StoredForm(table.DecodeText(text)));
}

namespace {

// The lines of what `bytes` read as without codes read, each with its own line break as the file has it.
std::vector<std::string> fileLines(const std::string& bytes)
{
    std::string decoded;
    TDocumentFormat format;
    DecodeDocument(bytes, decoded, format);
    std::vector<std::string> lines;
    for (size_t at = 0; at < decoded.size();) {
        const size_t end = std::min(decoded.find('\n', at), decoded.size() - 1) + 1;
        lines.push_back(decoded.substr(at, end - at));
        at = end;
    }
    return lines;
}

} // namespace

TEST(DocumentBytes, ChangesFarApartKeepTheBytesOfEveryLineBetweenThem)
{
    // A page of 200 lines in each encoding a file can be in, whose bytes writing its text anew would
    // not give back (an "ñ" the conversion writes as its code, an LF among CR LF, a protected region
    // across 30 lines), matched with its kept bytes a line or a few lines at a time. Codes typed on
    // lines far apart, a letter in the protected region, a line deleted; then another letter. Every
    // other line keeps its bytes; each save reopens as the text means, without asking; saved again
    // untouched, the same bytes.
    TCodigosISO table;
    table.LoadDefaults();
    std::string source;
    for (int line = 0; line < 200; ++line) {
        source += line == 50 ? "<!--INI_OMITECHAR-->" : line == 80 ? "<!--FIN_OMITECHAR-->" : "";
        source += "<p>" + std::to_string(line) + " \xC3\xB1 &ntilde; \xCE\xB1</p>" + (line % 7 ? "\r\n" : "\n");
    }
    std::string latin = source;
    for (size_t at; (at = latin.find("\xC3\xB1")) != std::string::npos;)
        latin.replace(at, 2, "\xF1");
    for (size_t at; (at = latin.find("\xCE\xB1")) != std::string::npos;)
        latin.replace(at, 2, "&#945;");
    const std::vector<std::string> files = {source, "\xEF\xBB\xBF" + source, Utf8ToUtf16(source, false, true),
                                            Utf8ToUtf16(source, true, true), latin};
    for (const std::string& file : files) {
        for (const size_t stretch : {size_t(1), size_t(300)}) {
            SCOPED_TRACE(testing::PrintToString(file.substr(0, 4)) + " in stretches of " + std::to_string(stretch));
            TDocumentBytes document;
            document.StretchBytes = stretch;
            std::string text;
            document.Read(file, &table, text);
            std::vector<std::string> lines;
            for (size_t at = 0; at < text.size();) {
                const size_t end = std::min(text.find('\r', at), text.size() - 1) + 1;
                lines.push_back(text.substr(at, end - at));
                at = end;
            }
            ASSERT_EQ(lines.size(), 200u);
            std::vector<std::string> expected = fileLines(file);
            const auto save = [&](const std::vector<size_t>& changed) {
                std::string joined;
                for (const std::string& line : lines)
                    joined += line;
                text = joined;
                TDocumentBytes::TSaveBytes saved = document.SaveBytes(text, &table);
                EXPECT_TRUE(saved.ReadsBack);
                const std::vector<std::string> written = fileLines(saved.Bytes);
                EXPECT_EQ(written.size(), expected.size());
                for (size_t line = 0; line < std::min(written.size(), expected.size()); ++line) {
                    if (std::find(changed.begin(), changed.end(), line) == changed.end()) {
                        EXPECT_EQ(written[line], expected[line]) << "line " << line;
                    }
                }
                expected = written;
                TDocumentBytes reopened;
                std::string back;
                reopened.Read(saved.Bytes, &table, back);
                EXPECT_EQ(back, TDocumentBytes::StoredForm(table.DecodeText(text)));
                const std::string bytes = saved.Bytes;
                document.Format = saved.Format;
                document.Written(std::move(saved), &table);
                EXPECT_EQ(document.Write(text, &table), bytes);
            };
            lines[3].insert(0, "&ntilde;");
            lines[60].insert(3, "x");
            lines.erase(lines.begin() + 120);
            expected.erase(expected.begin() + 120);
            lines[189].insert(lines[189].find("</p>"), "&ntilde;");
            save({3, 60, 189});
            lines[100].insert(0, "y");
            save({100});
        }
    }
}
