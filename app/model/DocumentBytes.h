// TDocumentBytes: a document's file bytes against the editor's text, so that what the user did not change is written back as it was read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DocumentText.h"

class TCodigosISO;
enum class TDeclaredCharset;

// The bytes a document was read from, and the way back from the editor's text to bytes. Reading
// passes the bytes through three steps (UTF-8 to Windows-1252, codes to characters for an HTML
// document, the line store's rewriting of line breaks and control characters), none of which can
// be undone byte for byte. So the bytes are kept: writing a text equal to the one read gives them
// back, and a changed text keeps the bytes, line break included, of every line that still reads as
// the editor's line where it now stands; only the lines the author changed are encoded anew.
class TDocumentBytes {
public:
    // Reads a document's bytes: `text` is the editor's form of it (each line break one CR), with
    // codes to characters through `entities` when given (an HTML document). A model for a new
    // document is read with `model`: its bytes are not kept, and the document is written as a new
    // one is (FormatByText).
    TDecodeResult Read(std::string bytes, const TCodigosISO* entities, std::string& text, bool model = false);
    // The bytes for the editor's `text`: the kept bytes where the text is as read, the rest with
    // characters to codes through `entities` when given, in the format FormatFor gives. A held
    // character (read from the file, or typed as the character) is written as the character, or as
    // its reference where the encoding lacks it; a reference typed as such stays as typed. `page`
    // for an HTML page, whose text may declare the character set it is written in.
    std::string Write(std::string_view text, const TCodigosISO* entities, bool page = false) const;
    // The format `text` is written in: the one read or last written, unless the document's bytes
    // leave the encoding open (EncodingOpen) or `page` is a page whose text now declares another
    // character set than its bytes did; then the one FormatByText chooses.
    TDocumentFormat FormatFor(std::string_view text, const TCodigosISO* entities, bool page) const;
    // Nothing in the bytes fixes the encoding: a new document (or one made from a model), or a file
    // whose bytes are plain ASCII without a byte-order mark, which read the same in any encoding a
    // page may be in.
    bool EncodingOpen() const;
    // The format of a document whose encoding is open (EncodingOpen), from `format` (its line
    // break): for a page, the character set its text declares (DeclaredCharset): Windows-1252, or
    // ASCII where those bytes would read as UTF-8 (which the file would then be taken for); UTF-8;
    // ASCII for another set, and for none while the character conversion is on (`entities`), so
    // that a reader who takes the page for any set reads its references right. Otherwise UTF-8, the
    // encoding of this platform's files. Every command that writes a page (the save, replace in
    // files) takes the format from here.
    static TDocumentFormat FormatByText(std::string_view text, const TCodigosISO* entities, bool page,
                                        TDocumentFormat format);
    // `text` as bytes in `format`, its characters to codes through `entities` when given.
    static std::string Encode(std::string_view text, const TCodigosISO* entities, const TDocumentFormat& format);
    // What a save writes: Write's bytes when they reopen (read with the same table) to the text, its
    // typed codes read as characters. When no way of writing the file's encoding gives the text back (a Windows-1252 file whose
    // bytes beyond ASCII, once the rest became codes, are valid UTF-8 and reopen as it), ReadsBack
    // is false and the save must ask before writing: Bytes are then the text in UTF-8 with Format
    // the format they are written in when those reopen to it (Utf8Instead), else Write's bytes.
    // The check reads again only the lines that changed since the bytes kept, so that a code typed
    // in a large page costs a save no more than another edit. A format
    // chosen by FormatByText is never traded for UTF-8: its page declares what it is read as.
    struct TSaveBytes {
        std::string Bytes;
        TDocumentFormat Format;
        bool ReadsBack = true;
        bool Utf8Instead = false;
        // Where the text differs from what the bytes reopen as (the codes the author typed): a
        // piece for each line that differs, in order, so that codes typed far apart keep no copy
        // of the text between them.
        struct TTypedPiece {
            size_t At = 0;         // where it stands in the reopened text
            std::string Piece;     // the text's characters there
            size_t ReadLength = 0; // how many characters the reopening has instead
        };
        using TTyped = std::vector<TTypedPiece>;
        TTyped Typed;
        // How the bytes read when reopened, when known: kept with them, so that the next save reads
        // them as a reopening would without looking through them first.
        std::optional<TDocumentReading> Reading;
    };
    TSaveBytes SaveBytes(std::string_view text, const TCodigosISO* entities, bool page = false) const;
    // After `bytes` (made by Write from the same table, reading back as the text) reached the file:
    // they are the ones kept.
    void Written(std::string bytes, const TCodigosISO* entities);
    // After the bytes of `save` reached the file.
    void Written(TSaveBytes save, const TCodigosISO* entities);
    // The bytes kept from the file as last read or written; nil for a document that has none yet.
    const std::string* KeptBytes() const { return FHasBytes ? &FBytes : nullptr; }

    // What `text` reads as once written in `format`: in a Windows-1252 file each held character
    // becomes the reference typed so, in an ASCII one every character beyond ASCII but those that
    // `entities` (when given) writes as its codes; a mark that begins none is "&". `within`: the text
    // starts inside a protected region, as EncodeText takes it.
    static std::string ReadBackForm(std::string_view text, const TDocumentFormat& format,
                                    const TCodigosISO* entities = nullptr, bool within = false);
    // The editor's form of a text: each line break one CR, other control characters but TAB "."
    // (the last character excepted), as the line store keeps it. With `offsets`, each character
    // gets the offset in `text` it came from, and one more entry, the length of `text`.
    static std::string StoredForm(std::string_view text, std::vector<uint32_t>* offsets = nullptr);
    // The editor's form of a file's text read as Read reads a document (its encoding recognised, each
    // character Windows-1252 lacks held), its codes left as they stand: text put into a document, as
    // a paste puts it, which the document's save then writes in its own format.
    static std::string InsertedText(std::string_view bytes);

    // How the file was written, so that new text is written the same way.
    TDocumentFormat Format;
    // How many characters Windows-1252 lacks the file's text holds (as held characters).
    size_t ReferenceCount = 0;
    // How many bytes of the kept file are read at a time when a changed text is matched with them;
    // tests make it small, so that their texts cross many stretches.
    size_t StretchBytes = 64 * 1024;
    // The bytes hold control characters that the editor shows as ".".
    bool ControlCharacters = false;

private:
    // The editor's text of `bytes` read with `entities`, and how they were written.
    static TDecodeResult decode(std::string_view bytes, const TCodigosISO* entities, std::string& text,
                                TDocumentFormat& format, size_t* references, bool* controls);
    // What Write gives, and whether the bytes are known to reopen as the text means.
    struct TWrite {
        std::string Bytes;
        TDocumentFormat Format;
        bool ReadsBack = false;
        TSaveBytes::TTyped Typed;
        TDocumentReading Reading;
        // FormatByText chose the format.
        bool ByText = false;
    };
    TWrite write(std::string_view text, const TCodigosISO* entities, bool page) const;
    // Write's bytes made of the kept ones with the changed lines encoded in their place: `result`
    // (its Format chosen) gets them, and whether they reopen as the text means. The kept bytes are
    // read a stretch at a time: those the text starts with as they are need no more; past them the
    // kept lines and the editor's are matched by a key of each line (MatchLines), and each run of
    // changed lines is read again as it stands, so that a save holds no second copy of the text.
    // Once the encoding (of 8 bits or UTF-8) or the table changed, every line is matched, and a kept
    // line keeps its bytes only where they read the same either way (ASCII alone; without a code).
    // False when no kept byte can stand beside new ones (to or from UTF-16).
    // `asKept`: a line keeps its bytes where they read as it in the format they were written in,
    // else in the format chosen.
    bool joined(std::string_view text, const TCodigosISO* entities, TWrite& result, bool asKept) const;
    // The kept bytes are ASCII alone, written in a format that writes references (Windows-1252 or
    // ASCII): each character beyond ASCII they hold is a reference or a code.
    bool keptReferences() const
    {
        return asciiBytes() && !Format.Utf8 && Format.Utf16 == TDocumentFormat::TUtf16::None;
    }
    // Keeps `bytes` as the file's, read as `reading`.
    void keep(std::string bytes, const TCodigosISO* entities, const TDocumentReading& reading);
    // FormatFor, and in `byText` whether FormatByText chose it. The text's declaration is read once.
    TDocumentFormat formatFor(std::string_view text, const TCodigosISO* entities, bool page, bool& byText) const;
    // FormatByText for a page whose text declares `declared`.
    static TDocumentFormat formatByDeclaration(std::string_view text, const TCodigosISO* entities,
                                               TDeclaredCharset declared, TDocumentFormat format);
    // True when `bytes` reopen (read with `entities`) as the characters `text` means: the editor's
    // text with its codes read as a reopening reads them, so that a code the author typed ("&nbsp;")
    // is the character the file will show, and no other text: line for line, each line the same or
    // its codes read so. `typed` gets where they differ, `reading` how the bytes were read.
    static bool reopensAs(std::string_view bytes, std::string_view text, const TCodigosISO* entities,
                          TSaveBytes::TTyped* typed = nullptr, TDocumentReading* reading = nullptr);

    bool FHasBytes = false;
    std::string FBytes;
    // How the kept bytes are read: as they are, ASCII alone, when they are all below 0x80.
    TDocumentReading FReading;
    bool asciiBytes() const { return FReading.Encoding == TDocumentReading::TEncoding::Bytes && FReading.Ascii; }
    // Where the kept bytes reopen as other characters than the text they were written from.
    TSaveBytes::TTyped FTyped;
    // The table the kept bytes were read with: the same bytes must give the same text again.
    std::shared_ptr<const TCodigosISO> FEntities;
};
