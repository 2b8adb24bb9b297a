// Tests of the character set a page declares and of the bytes a page is written in by it, checked as a browser reads them.
#include <gtest/gtest.h>

#include <string>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "app/model/PageCharset.h"
#include "app/model/ReplaceInFiles.h"
#include "platform/core/CharacterReferences.h"
#include "support/BrowserPageText.h"

namespace {

const std::string kTyped = "5 \xE2\x82\xAC \xE2\x80\x94 \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6 \xC3\xB1 \xCE\xB1";

struct THead {
    const char* name;
    std::string head;
    // How a browser reads the page when it declares nothing (the bytes then say it).
    bool sniffedUtf8WithoutConversion = false;
};

const THead kHeads[] = {
    {"windows-1252", "<HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\"></HEAD>"},
    {"iso-8859-1", "<head><meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\"></head>"},
    {"utf-8", "<head><meta charset=\"utf-8\"></head>"},
    {"none", "<head><title>x</title></head>", true},
};

// The page as the editor holds it: the head, a line break, the body typed.
std::string pageText(const THead& head, const std::string& body = kTyped)
{
    return Utf8ToEditorText(head.head + "\r<p>" + body + "</p>");
}

// The page as a browser should show it (UTF-8), line breaks aside.
std::string shown(const THead& head, const std::string& body = kTyped)
{
    return head.head + "\n<p>" + body + "</p>";
}

std::string withoutCr(std::string text)
{
    std::erase(text, '\r');
    return text;
}

} // namespace

TEST(PageCharset, TheFirstMetaThatNamesASetDeclaresItAsABrowserReadsIt)
{
    using C = TDeclaredCharset;
    const std::pair<const char*, C> cases[] = {
        {"<meta charset=\"utf-8\">", C::Utf8},
        {"<META CHARSET='UTF-8'>", C::Utf8},
        {"<meta charset=utf8>", C::Utf8},
        // An unquoted value runs to a blank or ">".
        {"<meta charset=utf8/>", C::Other},
        {"<meta charset = \" Windows-1252 \">", C::Windows1252},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">", C::Windows1252},
        {"<META HTTP-EQUIV=CONTENT-TYPE CONTENT=\"text/html;charset=LATIN1\">", C::Windows1252},
        {"<meta content='text/html; charset=\"us-ascii\"' http-equiv='content-type'>", C::Windows1252},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-16\">", C::Utf8},
        {"<meta charset=\"iso-8859-15\">", C::Other},
        {"<meta charset=\"shift_jis\"><meta charset=\"utf-8\">", C::Other},
        // Not declarations: another element, a pragma of another kind, a Content-Type without a set,
        // a comment; the next one counts.
        {"<metadata charset=\"utf-8\"><meta charset=\"latin1\">", C::Windows1252},
        {"<meta http-equiv=\"refresh\" content=\"0; charset=utf-8\"><meta charset=\"latin1\">", C::Windows1252},
        {"<meta http-equiv=\"content-type\" content=\"text/html\"><meta charset=\"utf-8\">", C::Utf8},
        {"<!-- <meta charset=\"utf-8\"> --><meta charset=\"windows-1252\">", C::Windows1252},
        {"<!-- <meta charset=\"utf-8\">", C::None},
        {"<p>charset=utf-8</p><meta name=\"x\" content=\"charset=utf-8\">", C::None},
        {"<meta charset=\"utf-8\"", C::Utf8},
        {"<meta", C::None},
        {"", C::None},
    };
    for (const auto& [text, charset] : cases)
        EXPECT_EQ(DeclaredCharset(text), charset) << text;
}

TEST(PageCharset, ANewPageIsWrittenInTheSetItDeclaresAndReadsAsTyped)
{
    TCodigosISO defaults;
    defaults.LoadDefaults();
    for (const THead& head : kHeads)
        for (const TCodigosISO* entities : {static_cast<const TCodigosISO*>(&defaults), static_cast<const TCodigosISO*>(nullptr)}) {
            SCOPED_TRACE(std::string(head.name) + (entities ? " with the conversion" : " without it"));
            TDocumentBytes document;
            const std::string text = pageText(head);
            const TDocumentBytes::TSaveBytes save = document.SaveBytes(text, entities, true);
            // Nothing to ask: the page reopens as the references it was written with.
            EXPECT_TRUE(save.ReadsBack);
            EXPECT_FALSE(save.Utf8Instead);
            const bool utf8 = head.sniffedUtf8WithoutConversion && !entities;
            EXPECT_EQ(withoutCr(BrowserPageText(save.Bytes, utf8)), shown(head));
            if (std::string(head.name) != "utf-8" && !utf8) {
                EXPECT_FALSE(HoldsUtf8Sequence(save.Bytes));
            }
            EXPECT_EQ(save.Bytes, document.Write(text, entities, true));
            // Reopened, the text is what the question machinery said it would be.
            TDocumentBytes reopened;
            std::string back;
            reopened.Read(save.Bytes, entities, back);
            const std::string meant = TDocumentBytes::ReadBackForm(text, save.Format, entities);
            EXPECT_EQ(back, entities ? TDocumentBytes::StoredForm(entities->DecodeText(meant)) : meant);
            // Written, then saved untouched: the same bytes; a letter more keeps the set.
            document.Format = save.Format;
            document.Written(save, entities);
            EXPECT_EQ(document.SaveBytes(text, entities, true).Bytes, save.Bytes);
            const TDocumentBytes::TSaveBytes more = document.SaveBytes(text + "\x80", entities, true);
            EXPECT_TRUE(more.ReadsBack);
            EXPECT_EQ(withoutCr(BrowserPageText(more.Bytes, utf8)), shown(head) + "\xE2\x82\xAC");
        }
    TDocumentBytes document;
    EXPECT_EQ(document.Write(pageText(kHeads[0]), &defaults, true),
              kHeads[0].head + "\r\n<p>5 \x80 \x97 \x93x\x94 \x85 &ntilde; &#945;</p>");
    EXPECT_EQ(document.Write(pageText(kHeads[0]), nullptr, true),
              kHeads[0].head + "\r\n<p>5 \x80 \x97 \x93x\x94 \x85 \xF1 &#945;</p>");
    EXPECT_EQ(document.Write(pageText(kHeads[3]), &defaults, true),
              kHeads[3].head + "\r\n<p>5 &#8364; &#8212; &#8220;x&#8221; &#8230; &ntilde; &#945;</p>");
    // Not a page: a text, a script or a style sheet keeps UTF-8, whatever it holds.
    EXPECT_EQ(document.Write(pageText(kHeads[0]), nullptr, false), kHeads[0].head + "\r\n<p>" + kTyped + "</p>");
}

TEST(PageCharset, AModelsPageAndAPlainAsciiPageTakeTheSetTheirTextDeclaresWhenSaved)
{
    TCodigosISO defaults;
    defaults.LoadDefaults();
    const std::string declared = kHeads[0].head + "\r\n<p>x</p>\r\n";
    // A template carrying the declaration: a new page.
    TDocumentBytes model;
    std::string text;
    model.Read(declared, &defaults, text, true);
    const std::string typed = text + Utf8ToEditorText(kTyped);
    EXPECT_EQ(model.Write(typed, &defaults, true), declared + "5 \x80 \x97 \x93x\x94 \x85 &ntilde; &#945;");
    // A file of plain ASCII: its bytes stay, the typed characters go in the declared set; the
    // declaration is read as it stands at the save, so changing it changes the set.
    TDocumentBytes ascii;
    ascii.Read(declared, nullptr, text);
    EXPECT_EQ(ascii.Write(text, nullptr, true), declared);
    const std::string euro = text + Utf8ToEditorText("\xE2\x82\xAC");
    EXPECT_EQ(ascii.Write(euro, nullptr, true), declared + "\x80");
    std::string utf8 = euro, utf8Bytes = declared;
    utf8.replace(utf8.find("windows-1252"), 12, "utf-8");
    utf8Bytes.replace(utf8Bytes.find("windows-1252"), 12, "utf-8");
    EXPECT_EQ(ascii.Write(utf8, nullptr, true), utf8Bytes + "\xE2\x82\xAC");
    // Saved in Windows-1252, the page's bytes are beyond ASCII: they keep it while the declaration
    // stays, and follow a declaration the author changes.
    TDocumentBytes::TSaveBytes save = ascii.SaveBytes(euro, nullptr, true);
    ascii.Format = save.Format;
    ascii.Written(save, nullptr);
    EXPECT_FALSE(ascii.EncodingOpen());
    EXPECT_EQ(ascii.Write(euro + "\xF1", nullptr, true), declared + "\x80\xF1");
    EXPECT_EQ(ascii.Write(utf8 + "\xF1", nullptr, true), utf8Bytes + "\xE2\x82\xAC\xC3\xB1");
}

TEST(PageCharset, ADeclarationInAnAttributeValueACommentOrAScriptDeclaresNothing)
{
    using C = TDeclaredCharset;
    const std::pair<const char*, C> cases[] = {
        // Inside an earlier tag's attribute value, quoted either way: text, as a browser skips it.
        {"<div title=\"<meta charset=utf-8>\"><meta charset=\"windows-1252\">", C::Windows1252},
        {"<img alt='<meta charset=\"utf-8\">' src=x.gif>", C::None},
        {"<a href=\"x\" data-x=\"<META CHARSET=UTF-8>\"></a>", C::None},
        // In a script or a style sheet, up to its end tag in any letter case.
        {"<script>document.write('<meta charset=\"utf-8\">');</script><meta charset=latin1>", C::Windows1252},
        {"<SCRIPT type=\"text/javascript\">var s = \"<meta charset=utf-8>\";</ScRiPt >", C::None},
        {"<script>if (a </scripts> b) x = '<meta charset=utf-8>';", C::None},
        {"<style>p::before { content: '<meta charset=utf-8>' }</style>", C::None},
        {"<title><meta charset=utf-8></title><meta charset=utf-8>", C::Utf8},
        {"<textarea><meta charset=utf-8></textarea>", C::None},
        // Comments, "<!-->" closing at once; declarations and instructions run to their ">".
        {"<!--><meta charset=utf-8>", C::Utf8},
        {"<!---><meta charset=latin1>-->", C::Windows1252},
        {"<!-- -><meta charset=utf-8> --><meta charset=latin1>", C::Windows1252},
        {"<!DOCTYPE html><?xml version=\"1.0\" encoding=\"utf-8\"?><meta charset=latin1>", C::Windows1252},
        {"<!x <meta charset=utf-8>><meta charset=latin1>", C::Windows1252},
        // An end tag's attributes are skipped too; a "<" before no letter is text.
        {"</p title=\"<meta charset=utf-8>\"><meta charset=latin1>", C::Windows1252},
        {"a < b <meta charset=utf-8>", C::Utf8},
        {"<p class=x><meta charset=utf-8></p>", C::Utf8},
        {"<script src=\"a.js\"></script>\n<meta charset=\"utf-8\">", C::Utf8},
    };
    for (const auto& [text, charset] : cases)
        EXPECT_EQ(DeclaredCharset(text), charset) << text;
}

TEST(PageCharset, APageWhoseDeclarationWasChangedIsWrittenInTheNewSet)
{
    TCodigosISO defaults;
    defaults.LoadDefaults();
    // A Windows-1252 page declaring it, with characters of 0x80..0x9F; its declaration changed.
    const std::string windows = kHeads[0].head + "\r\n<p>5 \x80 \x97 \x93x\x94 \x85</p>\r\n";
    const std::string typed = "5 \xE2\x82\xAC \xE2\x80\x94 \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\xA6";
    const auto declaring = [](std::string text, const std::string& label) {
        text.replace(text.find("windows-1252"), 12, label);
        return text;
    };
    for (const TCodigosISO* entities : {static_cast<const TCodigosISO*>(&defaults), static_cast<const TCodigosISO*>(nullptr)}) {
        SCOPED_TRACE(entities ? "with the conversion" : "without it");
        TDocumentBytes document;
        std::string text;
        document.Read(windows, entities, text);
        // To UTF-8: every byte of the page in UTF-8, read as typed by a browser.
        const TDocumentBytes::TSaveBytes utf8 = document.SaveBytes(declaring(text, "utf-8"), entities, true);
        EXPECT_TRUE(utf8.ReadsBack);
        EXPECT_FALSE(utf8.Utf8Instead);
        EXPECT_TRUE(utf8.Format.Utf8);
        const std::string page = BrowserPageText(utf8.Bytes);
        EXPECT_EQ(withoutCr(page), declaring(kHeads[0].head, "utf-8") + "\n<p>" + typed + "</p>\n");
        // To a set the editor cannot write: ASCII with references, which every set reads alike.
        const std::string other = document.Write(declaring(text, "iso-8859-15"), entities, true);
        EXPECT_FALSE(HoldsUtf8Sequence(other));
        EXPECT_EQ(other.find_first_of("\x80\x85\x93\x94\x97"), std::string::npos) << other;
        std::string readAsUtf8 = other;
        readAsUtf8.replace(readAsUtf8.find("iso-8859-15"), 11, "utf-8");
        EXPECT_EQ(withoutCr(BrowserPageText(readAsUtf8)),
                  declaring(kHeads[0].head, "utf-8") + "\n<p>" + typed + "</p>\n");
        // Another name of the same set, or the declaration taken out: the file's bytes stay.
        EXPECT_EQ(document.Write(declaring(text, "latin1"), entities, true), declaring(windows, "latin1"));
        std::string bare = text;
        bare.erase(0, bare.find('\r'));
        EXPECT_EQ(document.Write(bare, entities, true), windows.substr(windows.find('\r')));
    }
    // A UTF-8 page declaring UTF-8, changed to Windows-1252: its characters in that set's bytes.
    const std::string unicode = "<meta charset=\"utf-8\">\n<p>caf\xC3\xA9 \xE2\x82\xAC</p>\n";
    TDocumentBytes document;
    std::string text;
    document.Read(unicode, nullptr, text);
    text.replace(text.find("utf-8"), 5, "windows-1252");
    EXPECT_EQ(document.Write(text, nullptr, true), "<meta charset=\"windows-1252\">\n<p>caf\xE9 \x80</p>\n");
    // A byte-order mark decides the reading whatever the page declares: the file keeps UTF-8.
    const std::string marked = "\xEF\xBB\xBF" + unicode;
    document.Read(marked, nullptr, text);
    text.replace(text.find("utf-8"), 5, "windows-1252");
    EXPECT_EQ(document.Write(text, nullptr, true), "\xEF\xBB\xBF<meta charset=\"windows-1252\">\n<p>caf\xC3\xA9 \xE2\x82\xAC</p>\n");
}

TEST(PageCharset, PagesBeyondAsciiKeepTheirEncodingAndTheirUntouchedBytes)
{
    TCodigosISO defaults;
    defaults.LoadDefaults();
    // Windows-1252 and UTF-8 pages that declare nothing, and a UTF-8 page that declares Windows-1252.
    const std::string windows = "<p>caf\xE9 \x80</p>\n<p>x</p>\n";
    const std::string unicode = "<p>caf\xC3\xA9 \xE2\x82\xAC</p>\n<p>x</p>\n";
    const std::string misdeclared = kHeads[0].head + "\n" + unicode;
    const std::string alpha = Utf8ToEditorText("\xCE\xB1 \xE2\x80\x94");
    for (const TCodigosISO* entities : {static_cast<const TCodigosISO*>(&defaults), static_cast<const TCodigosISO*>(nullptr)}) {
        TDocumentBytes document;
        std::string text;
        document.Read(windows, entities, text);
        EXPECT_EQ(document.Write(text, entities, true), windows);
        EXPECT_EQ(document.Write(text + alpha, entities, true), windows + "&#945; \x97");
        for (const std::string& bytes : {unicode, misdeclared}) {
            document.Read(bytes, entities, text);
            EXPECT_EQ(document.Write(text, entities, true), bytes);
            EXPECT_EQ(document.Write(text + alpha, entities, true), bytes + "\xCE\xB1 \xE2\x80\x94");
        }
    }
}

TEST(PageCharset, AWindows1252PageWhoseBytesWouldReadAsUtf8IsWrittenInReferences)
{
    // "Ã©" typed without the conversion: as Windows-1252 bytes C3 A9, which the editor would reopen
    // as UTF-8 "é", and a reader that does not look at the declaration too. Written as references the
    // page says what was typed, and the save need not ask.
    TDocumentBytes document;
    const std::string text = Utf8ToEditorText(kHeads[0].head + "\r\xC3\x83\xC2\xA9 x");
    const TDocumentBytes::TSaveBytes save = document.SaveBytes(text, nullptr, true);
    EXPECT_TRUE(save.ReadsBack);
    EXPECT_FALSE(save.Utf8Instead);
    EXPECT_EQ(save.Bytes, kHeads[0].head + "\r\n&#195;&#169; x");
    EXPECT_EQ(BrowserPageText(save.Bytes), kHeads[0].head + "\r\n\xC3\x83\xC2\xA9 x");
    // With a byte that is no UTF-8 beside them, the bytes.
    EXPECT_EQ(document.Write(Utf8ToEditorText(kHeads[0].head + "\r\xC3\x83 \xE2\x82\xAC"), nullptr, true),
              kHeads[0].head + "\r\n\xC3 \x80");
}

TEST(PageCharset, ReplaceInFilesWritesAPageAsTheSaveDoes)
{
    TCodigosISO defaults;
    defaults.LoadDefaults();
    for (const THead& head : kHeads)
        for (const TCodigosISO* entities : {static_cast<const TCodigosISO*>(&defaults), static_cast<const TCodigosISO*>(nullptr)}) {
            SCOPED_TRACE(std::string(head.name) + (entities ? " with the conversion" : " without it"));
            const std::string bytes = head.head + "\r\n<p>XYZ</p>\r\n<p>xyz</p>";
            TReplaceRequest request;
            request.Find = "xyz";
            request.Replacement = Utf8ToEditorText(kTyped);
            request.Page = true;
            request.Entities = entities;
            std::string replaced;
            int count = 0;
            ASSERT_TRUE(ReplaceInBytes(bytes, request, replaced, count));
            EXPECT_EQ(count, 2);
            // The editor's save of the same file with the same text typed.
            TDocumentBytes document;
            std::string text;
            document.Read(bytes, entities, text);
            for (size_t at; (at = text.find("XYZ")) != std::string::npos || (at = text.find("xyz")) != std::string::npos;)
                text.replace(at, 3, request.Replacement);
            EXPECT_EQ(replaced, document.Write(text, entities, true));
            EXPECT_EQ(withoutCr(BrowserPageText(replaced, head.sniffedUtf8WithoutConversion && !entities)),
                      shown(head) + "\n<p>" + kTyped + "</p>");
        }
    // The replacement that changes the declaration decides the set too; a file that is not a page
    // keeps UTF-8.
    TReplaceRequest request;
    request.Find = "charset=utf-8";
    request.Replacement = "charset=latin1";
    request.Page = true;
    std::string replaced;
    int count = 0;
    ASSERT_TRUE(ReplaceInBytes("<meta charset=utf-8>\n", request, replaced, count));
    EXPECT_EQ(replaced, "<meta charset=latin1>\n");
    request.Find = "x";
    request.Replacement = Utf8ToEditorText("\xC3\xB1\xE2\x82\xAC");
    ASSERT_TRUE(ReplaceInBytes("<meta charset=latin1>x\n", request, replaced, count));
    EXPECT_EQ(replaced, "<meta charset=latin1>\xF1\x80\n");
    request.Page = false;
    ASSERT_TRUE(ReplaceInBytes("<meta charset=latin1>x\n", request, replaced, count));
    EXPECT_EQ(replaced, "<meta charset=latin1>\xC3\xB1\xE2\x82\xAC\n");
}
