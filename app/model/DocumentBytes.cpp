// TDocumentBytes: a document's file bytes against the editor's text, so that what the user did not change is written back as it was read.
#include "app/model/DocumentBytes.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/model/CodigosISO.h"
#include "app/model/PageCharset.h"

namespace {

bool beyondAscii(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
}

// Past this many bytes the offsets of every character would cost more memory than the document:
// such a file is still written back as read when untouched, and whole when changed.
constexpr size_t kMaxMappedSize = 64 * 1024 * 1024;

// Each entry of `inner` (an offset into a text) taken through `outer` (that text's offsets).
void compose(std::vector<uint32_t>& inner, const std::vector<uint32_t>& outer)
{
    for (uint32_t& offset : inner)
        offset = outer[offset];
}

} // namespace

std::string TDocumentBytes::StoredForm(std::string_view text, std::vector<uint32_t>* offsets)
{
    // The line store's rewriting, with the offset each character comes from.
    std::string out;
    out.reserve(text.size());
    if (offsets) {
        offsets->clear();
        offsets->reserve(text.size() + 1);
    }
    const size_t count = text.size();
    const auto put = [&](char c, size_t from) {
        out.push_back(c);
        if (offsets)
            offsets->push_back(static_cast<uint32_t>(from));
    };
    size_t i = 0;
    for (; i + 1 < count; ++i) {
        const char c = text[i];
        const size_t from = i;
        if (static_cast<unsigned char>(c) >= 32 || c == '\t' || c == kHeldCharacterMark) {
            put(c, from);
        } else if (c == '\r') {
            if (text[i + 1] == '\n')
                ++i;
            put('\r', from);
        } else if (c == '\n') {
            // A CR that ends the text stays a line break of its own.
            if (i + 2 < count && text[i + 1] == '\r')
                ++i;
            put('\r', from);
        } else {
            put('.', from);
        }
    }
    if (i + 1 == count) {
        const char c = text[i];
        put(c == '\n' ? '\r' : c == '\0' || c == kHeldCharacterMark ? '.' : c, i);
    }
    if (offsets)
        offsets->push_back(static_cast<uint32_t>(count));
    return out;
}

TDecodeResult TDocumentBytes::decode(std::string_view bytes, const TCodigosISO* entities, std::string& text,
                                     TDocumentFormat& format, size_t* references, bool* controls)
{
    // Codes hold no character below 32, so with a table whose characters are none either, decoding
    // codes after the line store's rewriting gives the same text: the bytes are read in one pass,
    // and the codes decoded in place.
    if (!entities || entities->PrintableCharacters()) {
        const TDecodeResult result = DecodeStoredText(bytes, text, format, references, controls);
        if (entities)
            entities->DecodeInPlace(text);
        return result;
    }
    std::string decoded;
    const TDecodeResult result = DecodeDocument(bytes, decoded, format, nullptr, references);
    if (controls)
        *controls = FileHoldsControlCharacters(bytes, format);
    text = StoredForm(entities->DecodeText(decoded));
    return result;
}

std::string TDocumentBytes::textOf(std::string_view bytes, const TCodigosISO* entities,
                                   std::vector<uint32_t>* offsets) const
{
    TDocumentFormat format;
    std::string text;
    if (!offsets) {
        decode(bytes, entities, text, format, nullptr, nullptr);
        return text;
    }
    // Step by step, each step's offsets taken through the one before.
    std::vector<uint32_t> decoded, converted;
    DecodeDocument(bytes, text, format, &decoded);
    // Each step's offsets go once the next are taken through them, and each text once the next is
    // made of it: a large page holds no more than two sets of offsets at once.
    if (entities) {
        text = entities->DecodeText(text, &converted);
        compose(converted, decoded);
        std::vector<uint32_t>().swap(decoded);
    } else {
        converted = std::move(decoded);
    }
    std::string stored = StoredForm(text, offsets);
    std::string().swap(text);
    compose(*offsets, converted);
    return stored;
}

TDecodeResult TDocumentBytes::Read(std::string bytes, const TCodigosISO* entities, std::string& text, bool model)
{
    const TDecodeResult result = decode(bytes, entities, text, Format, &ReferenceCount, &ControlCharacters);
    if (model) {
        // The model's bytes are no file of this document: it is a new one, written as UTF-8.
        FHasBytes = false;
        FBytes.clear();
        FEntities.reset();
        FTyped = {};
        Format.Utf8 = true;
        Format.ByteOrderMark = false;
        Format.Utf16 = TDocumentFormat::TUtf16::None;
        return result;
    }
    Written(std::move(bytes), entities);
    return result;
}

void TDocumentBytes::Written(std::string bytes, const TCodigosISO* entities)
{
    FHasBytes = true;
    FBytes = std::move(bytes);
    FAsciiBytes = !beyondAscii(FBytes);
    FTyped = {};
    FEntities = entities ? std::make_shared<const TCodigosISO>(*entities) : nullptr;
}

void TDocumentBytes::Written(TSaveBytes save, const TCodigosISO* entities)
{
    Written(std::move(save.Bytes), entities);
    FTyped = std::move(save.Typed);
}

std::string TDocumentBytes::Encode(std::string_view text, const TCodigosISO* entities, const TDocumentFormat& format)
{
    return EncodeDocument(entities ? entities->EncodeText(text) : std::string(text), format);
}

bool TDocumentBytes::EncodingOpen() const
{
    return !FHasBytes || (FAsciiBytes && !Format.ByteOrderMark && Format.Utf16 == TDocumentFormat::TUtf16::None);
}

TDocumentFormat TDocumentBytes::FormatByText(std::string_view text, const TCodigosISO* entities, bool page,
                                             TDocumentFormat format)
{
    // What reopening such bytes gives: no mark, UTF-8 once they hold more than ASCII.
    format.Utf8 = true;
    format.Ascii = false;
    format.ByteOrderMark = false;
    format.Utf16 = TDocumentFormat::TUtf16::None;
    if (!page)
        return format;
    const auto ascii = [&] {
        format.Utf8 = false;
        format.Ascii = true;
        return format;
    };
    switch (DeclaredCharset(text)) {
    case TDeclaredCharset::Utf8:
        return format;
    case TDeclaredCharset::None:
        return entities ? ascii() : format;
    case TDeclaredCharset::Other:
        return ascii();
    case TDeclaredCharset::Windows1252:
        break;
    }
    format.Utf8 = false;
    // Bytes beyond ASCII that happen to be valid UTF-8 would reopen, and be sniffed, as UTF-8: the
    // references say the same in any set. Held characters and line breaks are ASCII in this format,
    // so the text's codes alone decide.
    if (beyondAscii(text)) {
        const std::string coded = entities ? entities->EncodeText(text) : std::string(text);
        if (beyondAscii(coded) && IsValidUtf8(coded))
            return ascii();
    }
    return format;
}

bool TDocumentBytes::declarationChanged(std::string_view text, bool page) const
{
    // A byte-order mark tells browsers the encoding whatever the page declares, and UTF-16 bytes
    // hold no declaration a browser reads.
    if (!page || !FHasBytes || Format.ByteOrderMark || Format.Utf16 != TDocumentFormat::TUtf16::None)
        return false;
    const TDeclaredCharset declared = DeclaredCharset(text);
    return declared != TDeclaredCharset::None && declared != DeclaredCharset(FBytes);
}

bool TDocumentBytes::formatByText(std::string_view text, bool page) const
{
    return EncodingOpen() || declarationChanged(text, page);
}

TDocumentFormat TDocumentBytes::FormatFor(std::string_view text, const TCodigosISO* entities, bool page) const
{
    return formatByText(text, page) ? FormatByText(text, entities, page, Format) : Format;
}

std::string TDocumentBytes::ReadBackForm(std::string_view text, const TDocumentFormat& format,
                                         const TCodigosISO* entities)
{
    if (format.Ascii && !format.Utf8 && format.Utf16 == TDocumentFormat::TUtf16::None) {
        // Every character beyond ASCII is written as its reference, and reads back as one typed;
        // those the table writes as its codes first read back as themselves.
        std::vector<bool> coded;
        if (entities && beyondAscii(text)) {
            std::vector<uint32_t> sources;
            const std::string encoded = entities->EncodeText(text, &sources);
            std::vector<uint8_t> copies(text.size() + 1, 0), outputs(text.size() + 1, 0);
            for (size_t k = 0; k < encoded.size(); ++k) {
                const uint32_t from = sources[k];
                outputs[from] = static_cast<uint8_t>(std::min(outputs[from] + 1, 2));
                if (encoded[k] == text[from])
                    copies[from] = 1;
            }
            coded.resize(text.size());
            for (size_t i = 0; i < text.size(); ++i)
                coded[i] = !(outputs[i] == 1 && copies[i]);
        }
        std::string out;
        out.reserve(text.size());
        char32_t cp;
        for (size_t at = 0; at < text.size(); ++at) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (const size_t held = byte == kHeldCharacterMarkByte ? ReadHeldCharacter(text, at, cp) : 0) {
                out += CharacterReference(cp);
                at += held - 1;
            } else if (byte == kHeldCharacterMarkByte) {
                out += '&';
            } else if (byte >= 0x80 && !(at < coded.size() && coded[at])) {
                out += CharacterReference(Win1252ToUnicode(byte));
            } else {
                out += static_cast<char>(byte);
            }
        }
        return out;
    }
    if (text.find(kHeldCharacterMark) == std::string_view::npos)
        return std::string(text);
    // A file of a Unicode encoding holds the characters; a Windows-1252 one their references, which
    // read back as references typed. A mark that begins no held character is written as "&".
    if (format.Utf8 || format.Utf16 != TDocumentFormat::TUtf16::None) {
        std::string out(text);
        char32_t cp;
        for (size_t at = out.find(kHeldCharacterMark); at != std::string::npos; at = out.find(kHeldCharacterMark, at + 1))
            if (!ReadHeldCharacter(out, at, cp))
                out[at] = '&';
        // A U+FEFF that begins a UTF-8 file without a byte-order mark would read as the mark: it is
        // written as its reference.
        if (format.Utf8 && !format.ByteOrderMark && ReadHeldCharacter(out, 0, cp) && cp == 0xFEFF)
            out[0] = '&';
        return out;
    }
    return HeldCharactersAsReferences(text);
}

namespace {

// The first position from which `a` and `b` differ, and how many characters they end alike with
// after it.
std::pair<size_t, size_t> differingStretch(std::string_view a, std::string_view b)
{
    const size_t shorter = std::min(a.size(), b.size());
    size_t prefix = std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(shorter), b.begin()).first - a.begin();
    size_t suffix = 0;
    while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    return {prefix, suffix};
}

} // namespace

namespace {

// The pieces in which the lines `text` differ from the same lines as `reopened` reads them, which
// stand at `at` in the reopened text. A code never reads as a line break, so line for line they
// pair; each pair that differs keeps only the stretch between its common start and end.
TDocumentBytes::TSaveBytes::TTyped typedPieces(std::string_view text, std::string_view reopened, size_t at)
{
    TDocumentBytes::TSaveBytes::TTyped pieces;
    size_t inText = 0, inReopened = 0;
    while (inText < text.size() || inReopened < reopened.size()) {
        size_t textEnd = text.find('\r', inText);
        size_t reopenedEnd = reopened.find('\r', inReopened);
        // Lines that do not pair after all are kept as one piece, to the end.
        if ((textEnd == std::string_view::npos) != (reopenedEnd == std::string_view::npos))
            textEnd = reopenedEnd = std::string_view::npos;
        textEnd = textEnd == std::string_view::npos ? text.size() : textEnd + 1;
        reopenedEnd = reopenedEnd == std::string_view::npos ? reopened.size() : reopenedEnd + 1;
        const std::string_view line = text.substr(inText, textEnd - inText);
        const std::string_view read = reopened.substr(inReopened, reopenedEnd - inReopened);
        if (line != read) {
            const auto [prefix, suffix] = differingStretch(line, read);
            pieces.push_back({at + inReopened + prefix, std::string(line.substr(prefix, line.size() - suffix - prefix)),
                              read.size() - suffix - prefix});
        }
        inText = textEnd;
        inReopened = reopenedEnd;
    }
    return pieces;
}

} // namespace

bool TDocumentBytes::reopensAs(std::string_view bytes, std::string_view text, const TCodigosISO* entities,
                               TSaveBytes::TTyped* typed)
{
    TDocumentFormat format;
    std::string reopened;
    decode(bytes, entities, reopened, format, nullptr, nullptr);
    if (typed)
        *typed = {};
    if (reopened == text)
        return true;
    if (!entities)
        return false;
    // Where they differ, in whole lines: no code nor marker of a protected region spans a line
    // break, so the text's codes there read as a reopening reads them, the region the stretch
    // starts in known.
    const auto [prefix, suffix] = differingStretch(text, reopened);
    const size_t lineStart = prefix == 0 ? 0 : text.find_last_of('\r', prefix - 1) + 1;
    size_t lineEnd = text.find('\r', text.size() - suffix);
    lineEnd = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
    const size_t tail = text.size() - lineEnd;
    std::string lines;
    const bool inRegion = entities->Protects(text, lineStart);
    if (inRegion)
        lines = TCodigosISO::kStartMarker;
    lines += text.substr(lineStart, lineEnd - lineStart);
    std::string meant = StoredForm(entities->DecodeText(lines));
    if (inRegion)
        meant.erase(0, TCodigosISO::kStartMarker.size());
    const std::string_view reopenedLines =
        std::string_view(reopened).substr(lineStart, reopened.size() - tail - lineStart);
    if (reopenedLines != meant)
        return false;
    if (typed)
        *typed = typedPieces(text.substr(lineStart, lineEnd - lineStart), reopenedLines, lineStart);
    return true;
}

std::string TDocumentBytes::keptText(std::vector<uint32_t>* offsets) const
{
    std::string read = textOf(FBytes, FEntities.get(), offsets);
    putTypedPieces(read, offsets);
    return read;
}

void TDocumentBytes::putTypedPieces(std::string& read, std::vector<uint32_t>* offsets) const
{
    // Pieces out of order or past the end belong to other bytes: the text is what they read as.
    size_t from = 0;
    bool growing = true;
    for (const TSaveBytes::TTypedPiece& piece : FTyped) {
        if (piece.At < from || piece.ReadLength > read.size() - piece.At)
            return;
        from = piece.At + piece.ReadLength;
        growing = growing && piece.Piece.size() >= piece.ReadLength;
    }
    if (FTyped.empty())
        return;
    // A typed code is longer than the character it reads as: the text grows, and is moved up from
    // its end in place, so that a save of a large page holds no second copy of it (nor of its
    // offsets). Any other pieces are put in a copy.
    if (!growing) {
        std::string text;
        std::vector<uint32_t> mapped;
        size_t at = 0;
        for (const TSaveBytes::TTypedPiece& piece : FTyped) {
            text.append(read, at, piece.At - at);
            text += piece.Piece;
            if (offsets) {
                mapped.insert(mapped.end(), offsets->begin() + static_cast<std::ptrdiff_t>(at),
                              offsets->begin() + static_cast<std::ptrdiff_t>(piece.At));
                mapped.insert(mapped.end(), piece.Piece.size(), (*offsets)[piece.At]);
            }
            at = piece.At + piece.ReadLength;
        }
        text.append(read, at);
        if (offsets) {
            mapped.insert(mapped.end(), offsets->begin() + static_cast<std::ptrdiff_t>(at), offsets->end());
            *offsets = std::move(mapped);
        }
        read = std::move(text);
        return;
    }
    size_t growth = 0;
    for (const TSaveBytes::TTypedPiece& piece : FTyped)
        growth += piece.Piece.size() - piece.ReadLength;
    size_t end = read.size();
    read.resize(end + growth);
    if (offsets)
        offsets->resize(offsets->size() + growth);
    // Offsets have one entry more than the text: its end, which moves with the last stretch.
    size_t to = end + growth;
    if (offsets)
        (*offsets)[to] = (*offsets)[end];
    for (auto piece = FTyped.rbegin(); piece != FTyped.rend(); ++piece) {
        const size_t after = piece->At + piece->ReadLength;
        const size_t kept = end - after;
        const uint32_t start = offsets ? (*offsets)[piece->At] : 0;
        to -= kept;
        std::memmove(read.data() + to, read.data() + after, kept);
        if (offsets)
            std::memmove(offsets->data() + to, offsets->data() + after, kept * sizeof(uint32_t));
        to -= piece->Piece.size();
        std::memcpy(read.data() + to, piece->Piece.data(), piece->Piece.size());
        if (offsets)
            std::fill_n(offsets->data() + to, piece->Piece.size(), start);
        end = piece->At;
    }
}

namespace {

// Where the held character that `at` lies inside of begins (a character after its mark), or npos.
size_t heldCharacterAround(std::string_view text, size_t at)
{
    // A held character is at most the mark, "#", seven digits and ";".
    constexpr size_t kLongestHeld = 10;
    const size_t from = at > kLongestHeld ? at - kLongestHeld : 0;
    const size_t mark = text.substr(from, at - from).rfind(kHeldCharacterMark);
    if (mark == std::string_view::npos)
        return std::string_view::npos;
    char32_t cp;
    const size_t length = ReadHeldCharacter(text, from + mark, cp);
    return length && from + mark + length > at ? from + mark : std::string_view::npos;
}

} // namespace

TDocumentBytes::TWrite TDocumentBytes::write(std::string_view text, const TCodigosISO* entities, bool page) const
{
    const TCodigosISO* table = entities;
    TWrite result;
    result.Format = FormatFor(text, entities, page);
    const TDocumentFormat& chosen = result.Format;
    // An untouched text, the usual case, is recognised without mapping offsets; they are worked out
    // only for a changed one. The kept bytes are the file's, or were checked when written.
    if (FHasBytes && text == keptText(nullptr)) {
        result.Bytes = FBytes;
        result.ReadsBack = true;
        result.Typed = FTyped;
        return result;
    }
    // What the bytes must reopen as: the text, with its held characters as the file's encoding
    // holds them. Worked out once the offsets are gone, so that a large page holds the two apart.
    std::optional<std::string> meant;
    const auto reopenedAs = [&] {
        if (!meant)
            meant = ReadBackForm(text, chosen, table);
        return std::string_view(*meant);
    };
    // Bytes kept from another encoding than the chosen one cannot stand beside the new ones.
    const bool sameEncoding = chosen.Utf8 == Format.Utf8 && chosen.Ascii == Format.Ascii && chosen.Utf16 == Format.Utf16;
    if (FHasBytes && (sameEncoding || FAsciiBytes)) {
        if (FBytes.size() <= kMaxMappedSize) {
            std::vector<uint32_t> offsets;
            std::string read = keptText(&offsets);
            // The changed stretch lies between the longest common start and end; only it is encoded.
            auto [prefix, suffix] = differingStretch(text, read);
            // A character of the file is one, however many characters of the text it reads as, and
            // so is a held character of the text: the stretch takes either whole.
            for (bool moved = true; moved;) {
                moved = false;
                while (prefix > 0 && offsets[prefix - 1] == offsets[prefix]) {
                    --prefix;
                    moved = true;
                }
                while (suffix > 0 && suffix < read.size() && offsets[read.size() - suffix] == offsets[read.size() - suffix - 1]) {
                    --suffix;
                    moved = true;
                }
                if (const size_t held = heldCharacterAround(text, prefix); held != std::string_view::npos) {
                    prefix = held;
                    moved = true;
                }
                if (const size_t held = heldCharacterAround(text, text.size() - suffix); held != std::string_view::npos) {
                    char32_t cp;
                    suffix = text.size() - held - ReadHeldCharacter(text, held, cp);
                    moved = true;
                }
            }
            const size_t end = text.size() - suffix;
            const std::string_view before = std::string_view(FBytes).substr(0, offsets[prefix]);
            const std::string_view after = std::string_view(FBytes).substr(offsets[read.size() - suffix]);
            const std::string_view changed = text.substr(prefix, end - prefix);
            // The read text and its offsets (five bytes a character) have done their part before
            // the bytes are made and read again.
            std::string().swap(read);
            std::vector<uint32_t>().swap(offsets);
            // Joined pieces can read differently (a new LF after a kept lone CR makes one line
            // break of two, a code can span the seam): only bytes that give the text back are
            // written so. Another kind of line break for the new text often avoids the join.
            for (const char* lineBreak : {"", "\r\n", "\n", "\r"}) {
                TDocumentFormat format = chosen;
                format.ByteOrderMark = false;
                if (*lineBreak)
                    format.LineBreak = lineBreak;
                std::string bytes(before);
                bytes += Encode(changed, table, format);
                bytes += after;
                if (reopensAs(bytes, reopenedAs(), table, &result.Typed)) {
                    result.Bytes = std::move(bytes);
                    result.ReadsBack = true;
                    return result;
                }
            }
        }
    }
    result.Bytes = Encode(text, table, chosen);
    result.ReadsBack = reopensAs(result.Bytes, reopenedAs(), table, &result.Typed);
    return result;
}

std::string TDocumentBytes::Write(std::string_view text, const TCodigosISO* entities, bool page) const
{
    return write(text, entities, page).Bytes;
}

TDocumentBytes::TSaveBytes TDocumentBytes::SaveBytes(std::string_view text, const TCodigosISO* entities, bool page) const
{
    TWrite written = write(text, entities, page);
    TSaveBytes save;
    save.Bytes = std::move(written.Bytes);
    save.Format = written.Format;
    save.Typed = std::move(written.Typed);
    if (written.ReadsBack)
        return save;
    save.ReadsBack = false;
    if (save.Format.Utf8 || save.Format.Utf16 != TDocumentFormat::TUtf16::None || (page && formatByText(text, page)))
        return save;
    TDocumentFormat utf8 = save.Format;
    utf8.Utf8 = true;
    utf8.Ascii = false;
    utf8.ByteOrderMark = false;
    std::string bytes = Encode(text, entities, utf8);
    TSaveBytes::TTyped typed;
    if (reopensAs(bytes, ReadBackForm(text, utf8), entities, &typed)) {
        save.Bytes = std::move(bytes);
        save.Format = utf8;
        save.Utf8Instead = true;
        save.Typed = std::move(typed);
    }
    return save;
}
