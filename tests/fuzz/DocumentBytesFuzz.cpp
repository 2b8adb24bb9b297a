// libFuzzer target: any document bytes read as a document, then written back untouched, with one letter typed at the start, saved with letters and codes typed at both ends, and again untouched, and saved after a few edits with every other line's bytes kept, through its own table and another.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "app/model/PageCharset.h"

#include "FuzzCheck.h"
#include "tests/support/FileLineDiff.h"

// The first byte chooses the reading: bit 0 codes to characters (an HTML document with the
// conversion on), bit 1 a model for a new document, bits 2-3 a byte-order mark put before the rest
// (none, UTF-8, UTF-16 little-endian, UTF-16 big-endian), bits 4-5 the table of codes (the
// defaults, "&" itself then numeric codes, one with a control character, which is read step by
// step), bits 6-7 the size of the stretches the kept bytes are matched in. The rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    const std::string bytes = marks[(data[0] >> 2) & 3] + std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
    static const TCodigosISO tables[] = {
        [] {
            TCodigosISO table;
            table.LoadDefaults();
            return table;
        }(),
        [] {
            TCodigosISO table;
            table.LoadFromText("& &amp;\nx &#8594;\n\xE1 &#225;\n");
            return table;
        }(),
        [] {
            TCodigosISO table;
            table.LoadFromText("\x01 &soh;\n\xE1 &aacute;\n");
            return table;
        }(),
    };
    const TCodigosISO* table = (data[0] & 1) ? &tables[((data[0] >> 4) & 3) % 3] : nullptr;
    const bool model = (data[0] & 2) != 0;

    TDocumentBytes document;
    // Bits 6-7 the size of the stretches a changed text is matched with the kept bytes in.
    static const size_t stretches[] = {64 * 1024, 1, 5, 40};
    document.StretchBytes = stretches[(data[0] >> 6) & 3];
    std::string text;
    document.Read(bytes, table, text, model);
    // The editor's form is a fixed point of the line store's rewriting.
    check(TDocumentBytes::StoredForm(text) == text);
    // Reading in one pass gives what the steps give one after another over the whole text.
    {
        std::string decoded;
        TDocumentFormat format;
        size_t references = 0;
        DecodeDocument(bytes, decoded, format, nullptr, &references);
        check(FileHoldsControlCharacters(bytes, format) == document.ControlCharacters);
        check(references == document.ReferenceCount);
        if (table)
            decoded = table->DecodeText(decoded);
        check(TDocumentBytes::StoredForm(decoded) == text);
        check(model || format == document.Format);
    }
    // A file's text inserted into a document is the one it opens as, its codes as they stand.
    check(table || TDocumentBytes::InsertedText(bytes) == text);
    // Every character a reference was made for is held.
    check((document.ReferenceCount != 0) == (text.find(kHeldCharacterMark) != std::string::npos));
    // A table whose code for "x" is the reference of another character writes a whole text so that
    // it reads back otherwise once that character is remembered: only the bytes kept are checked.
    if (table == &tables[1]) {
        check(model || document.Write(text, table) == bytes);
        return 0;
    }
    if (model) {
        // A new document has no bytes to keep: what it writes reads back as its text (a character
        // its file cannot hold as itself there, as its reference).
        const std::string written = document.Write(text, table);
        TDocumentBytes again;
        std::string back;
        again.Read(written, table, back);
        check(back == TDocumentBytes::ReadBackForm(text, document.Format));
        // So does a new page, in the character set its text declares, or the one it gets without.
        const TDocumentFormat chosen = document.FormatFor(text, table, true);
        const TDocumentBytes::TSaveBytes page = document.SaveBytes(text, table, true);
        TDocumentBytes pageAgain;
        std::string pageBack;
        pageAgain.Read(page.Bytes, table, pageBack);
        check(!page.ReadsBack || pageBack == TDocumentBytes::ReadBackForm(text, chosen, table));
        return 0;
    }
    check(document.Write(text, table) == bytes);
    // As a page too, whatever character set its text declares.
    check(document.Write(text, table, true) == bytes);
    const std::string typed = document.Write("X" + text, table);
    using TUtf16 = TDocumentFormat::TUtf16;
    if (document.Format.Utf16 == TUtf16::LittleEndian)
        check(typed == bytes.substr(0, 2) + std::string("X\0", 2) + bytes.substr(2));
    else if (document.Format.Utf16 == TUtf16::BigEndian)
        check(typed == bytes.substr(0, 2) + std::string("\0X", 2) + bytes.substr(2));
    else if (document.Format.Utf8 && document.Format.ByteOrderMark)
        check(typed == "\xEF\xBB\xBFX" + bytes.substr(3));
    else
        check(typed == "X" + bytes);
    // A save reopens to the characters it saved, the codes the author typed (one of the table's, a
    // stray "&", "&amp;") read as a reopening reads them, or says it would not; what it offers instead
    // reopens to them. It asks only when the reopened characters differ.
    // Line for line, each reopened line is the text's, or its codes read through the table (a
    // protected region it starts in kept as it is).
    const std::string ends = "X" + text + " &aacute;&amp; & " + (table ? table->Code(0) : std::string()) + "Y";
    const auto asMeant = [&](const std::string& back) {
        if (back == ends)
            return true;
        if (!table)
            return false;
        size_t inBack = 0, inEnds = 0;
        bool region = false;
        while (inBack < back.size() || inEnds < ends.size()) {
            size_t backEnd = back.find('\r', inBack), endsEnd = ends.find('\r', inEnds);
            if ((backEnd == std::string::npos) != (endsEnd == std::string::npos))
                return false;
            backEnd = backEnd == std::string::npos ? back.size() : backEnd + 1;
            endsEnd = endsEnd == std::string::npos ? ends.size() : endsEnd + 1;
            const std::string line = ends.substr(inEnds, endsEnd - inEnds);
            const std::string read = back.substr(inBack, backEnd - inBack);
            if (line != read) {
                const std::string marker = region ? std::string(TCodigosISO::kStartMarker) : std::string();
                std::string decoded = TDocumentBytes::StoredForm(table->DecodeText(marker + line));
                decoded.erase(0, marker.size());
                if (decoded != read)
                    return false;
            }
            region = endsEnd < ends.size() && table->Protects(ends, endsEnd);
            inBack = backEnd;
            inEnds = endsEnd;
        }
        return true;
    };
    const TDocumentBytes::TSaveBytes save = document.SaveBytes(ends, table);
    TDocumentBytes reopened;
    std::string back;
    reopened.Read(save.Bytes, table, back);
    const bool readsAsMeant = asMeant(back);
    TDocumentBytes plain;
    std::string plainBack;
    plain.Read(document.Write(ends, table), table, plainBack);
    check(save.ReadsBack == asMeant(plainBack));
    check(!save.ReadsBack || (save.Bytes == document.Write(ends, table) && readsAsMeant));
    check(!save.Utf8Instead || (readsAsMeant && reopened.Format.Utf8 && !save.ReadsBack));
    // A page whose text now declares a set (ahead of any declaration of its own) is written in it
    // when its bytes leave the reading to the declaration: what it writes reopens to its characters,
    // or the save says it would not.
    if (!table) {
        const bool declarationDecides = !document.Format.ByteOrderMark && document.Format.Utf16 == TUtf16::None;
        for (const char* head : {"<meta charset=\"utf-8\">", "<meta charset=\"windows-1252\">", "<meta charset=\"koi8-r\">"}) {
            const std::string declared = head + text;
            const TDocumentBytes::TSaveBytes page = document.SaveBytes(declared, nullptr, true);
            TDocumentBytes pageAgain;
            std::string pageBack;
            pageAgain.Read(page.Bytes, nullptr, pageBack);
            check(!page.ReadsBack || pageBack == TDocumentBytes::ReadBackForm(declared, page.Format));
            const TDeclaredCharset was = DeclaredCharset(bytes);
            if (declarationDecides && was != TDeclaredCharset::Utf8 && was != TDeclaredCharset::None &&
                DeclaredCharset(declared) == TDeclaredCharset::Utf8)
                check(page.Format.Utf8 && !page.Utf8Instead);
        }
    }
    // Kept as the file's, the bytes of a save that reads back give its text back with the codes the
    // author typed, however far apart (at both ends of the text): saved again untouched, the same bytes.
    const std::string both = (table ? table->Code(0) : std::string("&")) + ends;
    const TDocumentBytes::TSaveBytes first = document.SaveBytes(both, table);
    if (first.ReadsBack) {
        TDocumentBytes saved = document;
        saved.Format = first.Format;
        saved.Written(first, table);
        check(saved.Write(both, table) == first.Bytes);
    }
    // A save after a few edits (a letter typed into one line, another line deleted, a letter replaced
    // in every line that holds it) writes anew only the lines they touched, each line break that would
    // join another's at an edit, and the lines a table that makes line breaks of codes joins: every other
    // line of the file keeps its bytes, and the file reopens as the text.
    if (document.Format.Utf16 == TUtf16::None && (!table || table->PrintableCharacters()) && size > 2) {
        std::vector<std::string> lines;
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find('\r', at), text.size() - 1) + 1;
            lines.push_back(text.substr(at, end - at));
            at = end;
        }
        size_t touched = 0;
        if (!lines.empty()) {
            const size_t line = data[size - 1] % lines.size();
            lines[line].insert(0, "Z");
            ++touched;
            if (lines.size() > 1) {
                const size_t gone = data[size - 2] % lines.size();
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(gone));
                ++touched;
            }
        }
        const char letter = static_cast<char>('a' + data[size - 1] % 26);
        for (std::string& line : lines)
            if (std::replace(line.begin(), line.end(), letter, '#'), line.find('#') != std::string::npos)
                ++touched;
        std::string edited;
        for (const std::string& line : lines)
            edited += line;
        // Whether a save's bytes reopen through `through` as the edited text (in the save's format, or
        // as ASCII with references), its codes read as characters.
        const auto reopensAsEdited = [&](const TDocumentBytes::TSaveBytes& saved, const TCodigosISO* through) {
            TDocumentBytes reopenedSave;
            std::string back;
            reopenedSave.Read(saved.Bytes, through, back);
            TDocumentFormat asAscii = saved.Format;
            asAscii.Utf8 = false;
            asAscii.Ascii = true;
            const auto reads = [&](const std::string& form) {
                return back == form || (through && back == TDocumentBytes::StoredForm(through->DecodeText(form)));
            };
            return reads(TDocumentBytes::ReadBackForm(edited, saved.Format, through)) ||
                   reads(TDocumentBytes::ReadBackForm(edited, asAscii, through));
        };
        TDocumentBytes saving = document;
        const TDocumentBytes::TSaveBytes save = saving.SaveBytes(edited, table);
        if (save.ReadsBack) {
            check(reopensAsEdited(save, table));
            const TFileLineChanges changes = FileLineChanges(bytes, save.Bytes);
            // Bytes the whole text was written anew in (another encoding chosen) are no test of this.
            if (saving.Format == save.Format || document.EncodingOpen())
                check(changes.Lost <= 2 * touched + 4);
        }
        // Saved through another table of codes (one that knows "ñ" alone, or one that makes a control
        // character of a code): what reads back reopens through it as the text, and only lines whose
        // bytes hold a code, beside those the edits touched, are written anew.
        if (table) {
            static const TCodigosISO enye = [] {
                TCodigosISO one;
                one.LoadFromText("\xF1 &ntilde;\n");
                return one;
            }();
            const TCodigosISO* other = data[size - 2] & 1 ? &tables[2] : &enye;
            TDocumentBytes retabling = document;
            const TDocumentBytes::TSaveBytes retabled = retabling.SaveBytes(edited, other);
            if (retabled.ReadsBack) {
                check(reopensAsEdited(retabled, other));
                size_t coded = 0;
                for (const std::string_view line : FileLines(bytes))
                    coded += line.find('&') != std::string_view::npos;
                if (retabling.Format == retabled.Format && other->PrintableCharacters())
                    check(FileLineChanges(bytes, retabled.Bytes).Lost <= 2 * touched + 4 + coded);
            }
        }
    }
    // After that save the new bytes are the ones kept.
    document.Written(typed, table);
    check(document.Write("X" + text, table) == typed);
    return 0;
}
