// TDocumentBytes: a document's file bytes against the editor's text, so that what the user did not change is written back as it was read.
#include "app/model/DocumentBytes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>

#include "app/model/CodigosISO.h"
#include "app/model/PageCharset.h"

namespace {

using TEncoding = TDocumentReading::TEncoding;

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

// How bytes that decoded with `result` as `format` were read.
TDocumentReading readingOf(TDecodeResult result, const TDocumentFormat& format)
{
    TDocumentReading reading;
    if (result == TDecodeResult::Bytes) {
        reading.Ascii = format.Utf8;
    } else if (format.Utf16 != TDocumentFormat::TUtf16::None) {
        reading.Encoding = format.Utf16 == TDocumentFormat::TUtf16::BigEndian ? TEncoding::Utf16BigEndian
                                                                             : TEncoding::Utf16LittleEndian;
        reading.BodyStart = 2;
    } else {
        reading.Encoding = TEncoding::Utf8;
        reading.BodyStart = format.ByteOrderMark ? 3 : 0;
    }
    return reading;
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

std::string TDocumentBytes::InsertedText(std::string_view bytes)
{
    std::string text;
    TDocumentFormat format;
    decode(bytes, nullptr, text, format, nullptr, nullptr);
    return text;
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
    keep(std::move(bytes), entities, readingOf(result, Format));
    return result;
}

void TDocumentBytes::keep(std::string bytes, const TCodigosISO* entities, const TDocumentReading& reading)
{
    FHasBytes = true;
    FBytes = std::move(bytes);
    FReading = reading;
    // Bytes of ASCII alone read the same in any encoding but UTF-16: as they are.
    if (!beyondAscii(FBytes))
        FReading = TDocumentReading{.Encoding = TDocumentReading::TEncoding::Bytes, .BodyStart = 0, .Ascii = true};
    FTyped = {};
    FEntities = entities ? std::make_shared<const TCodigosISO>(*entities) : nullptr;
}

void TDocumentBytes::Written(std::string bytes, const TCodigosISO* entities)
{
    const TDocumentReading reading = DocumentReadingOf(bytes);
    keep(std::move(bytes), entities, reading);
}

void TDocumentBytes::Written(TSaveBytes save, const TCodigosISO* entities)
{
    const TDocumentReading reading = save.Reading ? *save.Reading : DocumentReadingOf(save.Bytes);
    keep(std::move(save.Bytes), entities, reading);
    FTyped = std::move(save.Typed);
}

std::string TDocumentBytes::Encode(std::string_view text, const TCodigosISO* entities, const TDocumentFormat& format)
{
    return EncodeDocument(entities ? entities->EncodeText(text) : std::string(text), format);
}

bool TDocumentBytes::EncodingOpen() const
{
    return !FHasBytes || (asciiBytes() && !Format.ByteOrderMark && Format.Utf16 == TDocumentFormat::TUtf16::None);
}

TDocumentFormat TDocumentBytes::FormatByText(std::string_view text, const TCodigosISO* entities, bool page,
                                             TDocumentFormat format)
{
    if (!page) {
        // What reopening such bytes gives: no mark, UTF-8 once they hold more than ASCII.
        format.Utf8 = true;
        format.Ascii = false;
        format.ByteOrderMark = false;
        format.Utf16 = TDocumentFormat::TUtf16::None;
        return format;
    }
    return formatByDeclaration(text, entities, DeclaredCharset(text), format);
}

TDocumentFormat TDocumentBytes::formatByDeclaration(std::string_view text, const TCodigosISO* entities,
                                                    TDeclaredCharset declared, TDocumentFormat format)
{
    format.Utf8 = true;
    format.Ascii = false;
    format.ByteOrderMark = false;
    format.Utf16 = TDocumentFormat::TUtf16::None;
    const auto ascii = [&] {
        format.Utf8 = false;
        format.Ascii = true;
        return format;
    };
    switch (declared) {
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

TDocumentFormat TDocumentBytes::formatFor(std::string_view text, const TCodigosISO* entities, bool page,
                                          bool& byText) const
{
    // A page whose text declares another character set than the kept bytes, which nothing else (a
    // byte-order mark, UTF-16) fixes the reading of, is written in the set it declares. The text's
    // declaration is looked for only when it may decide.
    const bool open = EncodingOpen();
    const bool fixed = Format.ByteOrderMark || Format.Utf16 != TDocumentFormat::TUtf16::None;
    const TDeclaredCharset declared = page && (open || (FHasBytes && !fixed)) ? DeclaredCharset(text) : TDeclaredCharset::None;
    const bool declarationChanged = page && FHasBytes && !fixed && declared != TDeclaredCharset::None &&
                                    declared != DeclaredCharset(FBytes);
    byText = open || declarationChanged;
    if (!byText)
        return Format;
    return page ? formatByDeclaration(text, entities, declared, Format) : FormatByText(text, entities, false, Format);
}

TDocumentFormat TDocumentBytes::FormatFor(std::string_view text, const TCodigosISO* entities, bool page) const
{
    bool byText;
    return formatFor(text, entities, page, byText);
}

std::string TDocumentBytes::ReadBackForm(std::string_view text, const TDocumentFormat& format,
                                         const TCodigosISO* entities, bool within)
{
    if (format.Ascii && !format.Utf8 && format.Utf16 == TDocumentFormat::TUtf16::None) {
        // Every character beyond ASCII is written as its reference, and reads back as one typed;
        // those the table writes as its codes first read back as themselves.
        std::vector<bool> coded;
        if (entities && beyondAscii(text)) {
            std::vector<uint32_t> sources;
            const std::string encoded = entities->EncodeText(text, &sources, within);
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

using TTyped = TDocumentBytes::TSaveBytes::TTyped;
using TTypedPiece = TDocumentBytes::TSaveBytes::TTypedPiece;
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

// `text` with the codes of `entities` read as characters, in the line store's form, as a text that
// starts in a protected region when `inRegion` reads it there.
std::string decodedAs(std::string_view text, const TCodigosISO& entities, bool inRegion)
{
    return TDocumentBytes::StoredForm(entities.DecodeText(text, nullptr, inRegion));
}

// True when `reopened` is what `meant` (a text as its file must read back, starting in a protected
// region when `inRegion`) reads as once its codes are read: line for line, each line either the
// same, or one whose codes (the author's, typed) read as the reopened line. `typed` gets a piece for
// each such line, where it stands in `reopened`.
bool linesReopenAs(std::string_view reopened, std::string_view meant, const TCodigosISO* entities, bool inRegion,
                   TTyped& typed)
{
    typed.clear();
    if (reopened == meant)
        return true;
    if (!entities)
        return false;
    // No code nor marker of a protected region spans a line break, so lines pair, and each is read
    // as a reopening reads it, the region it starts in known.
    for (size_t inMeant = 0, inReopened = 0; inMeant < meant.size() || inReopened < reopened.size();) {
        size_t meantEnd = meant.find('\r', inMeant);
        size_t reopenedEnd = reopened.find('\r', inReopened);
        if ((meantEnd == std::string_view::npos) != (reopenedEnd == std::string_view::npos))
            return false;
        meantEnd = meantEnd == std::string_view::npos ? meant.size() : meantEnd + 1;
        reopenedEnd = reopenedEnd == std::string_view::npos ? reopened.size() : reopenedEnd + 1;
        const std::string_view line = meant.substr(inMeant, meantEnd - inMeant);
        const std::string_view read = reopened.substr(inReopened, reopenedEnd - inReopened);
        if (line != read) {
            if (decodedAs(line, *entities, inRegion) != read)
                return false;
            const auto [prefix, suffix] = differingStretch(line, read);
            typed.push_back({inReopened + prefix, std::string(line.substr(prefix, line.size() - suffix - prefix)),
                             read.size() - suffix - prefix});
        }
        inRegion = entities->ProtectedAtEnd(line, inRegion);
        inMeant = meantEnd;
        inReopened = reopenedEnd;
    }
    return true;
}

// `read` (a text read from bytes, with the `offsets` of its characters when given) with `pieces`
// (typed pieces, in order, standing at their At less `base`) in place of what they read as: each
// piece's characters at the offset of its start, so that a stretch of the bytes takes the piece
// whole. False, with the text as it was, when a piece lies past its end.
bool putTypedPieces(std::string& read, std::vector<uint32_t>* offsets, std::span<const TTypedPiece> pieces,
                    size_t base)
{
    size_t from = base;
    bool growing = true;
    for (const TTypedPiece& piece : pieces) {
        if (piece.At < from || piece.ReadLength > read.size() - (piece.At - base))
            return false;
        from = piece.At + piece.ReadLength;
        growing = growing && piece.Piece.size() >= piece.ReadLength;
    }
    if (pieces.empty())
        return true;
    // A typed code is longer than the character it reads as: the text grows, and is moved up from
    // its end in place, so that no second copy of it (nor of its offsets) is held. Any other pieces
    // are put in a copy.
    if (!growing) {
        std::string text;
        std::vector<uint32_t> mapped;
        size_t at = 0;
        for (const TTypedPiece& piece : pieces) {
            const size_t pieceAt = piece.At - base;
            text.append(read, at, pieceAt - at);
            text += piece.Piece;
            if (offsets) {
                mapped.insert(mapped.end(), offsets->begin() + static_cast<std::ptrdiff_t>(at),
                              offsets->begin() + static_cast<std::ptrdiff_t>(pieceAt));
                mapped.insert(mapped.end(), piece.Piece.size(), (*offsets)[pieceAt]);
            }
            at = pieceAt + piece.ReadLength;
        }
        text.append(read, at);
        if (offsets) {
            mapped.insert(mapped.end(), offsets->begin() + static_cast<std::ptrdiff_t>(at), offsets->end());
            *offsets = std::move(mapped);
        }
        read = std::move(text);
        return true;
    }
    size_t growth = 0;
    for (const TTypedPiece& piece : pieces)
        growth += piece.Piece.size() - piece.ReadLength;
    size_t end = read.size();
    read.resize(end + growth);
    if (offsets)
        offsets->resize(offsets->size() + growth);
    // Offsets have one entry more than the text: its end, which moves with the last stretch.
    size_t to = end + growth;
    if (offsets)
        (*offsets)[to] = (*offsets)[end];
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        const size_t pieceAt = piece->At - base;
        const size_t after = pieceAt + piece->ReadLength;
        const size_t kept = end - after;
        const uint32_t start = offsets ? (*offsets)[pieceAt] : 0;
        to -= kept;
        std::memmove(read.data() + to, read.data() + after, kept);
        if (offsets)
            std::memmove(offsets->data() + to, offsets->data() + after, kept * sizeof(uint32_t));
        to -= piece->Piece.size();
        std::memcpy(read.data() + to, piece->Piece.data(), piece->Piece.size());
        if (offsets)
            std::fill_n(offsets->data() + to, piece->Piece.size(), start);
        end = pieceAt;
    }
    return true;
}

// The kept bytes in stretches of whole lines, each read on its own, so that a changed text is
// matched with them and mapped to them a stretch at a time: a save of a large page holds no copy of
// its text. A stretch ends after a line break that no byte after it can join (the next character is
// none), so that what it reads as is the same alone as in the whole file; no typed piece spans two.
class TKeptStretches {
public:
    struct TStretch {
        size_t Bytes = 0;       // where its bytes start
        size_t Read = 0;        // where what they read as starts in the reopened text
        size_t Kept = 0;        // ... and in the kept text, the typed pieces in place
        size_t FirstPiece = 0;  // its first typed piece
        bool InRegion = false;  // it starts in a protected region
    };

    TKeptStretches(std::string_view bytes, const TDocumentReading& reading, const TCodigosISO* entities,
                   const TTyped& typed, size_t size)
        : FBytes(bytes), FReading(reading), FEntities(entities), FTyped(typed), FSize(std::max<size_t>(size, 1))
    {
        FNext.Bytes = reading.BodyStart;
        // Pieces out of order belong to other bytes: the text is what the bytes read as.
        size_t from = 0;
        for (const TTypedPiece& piece : typed) {
            if (piece.At < from) {
                FTyped = {};
                break;
            }
            from = piece.At + piece.ReadLength;
        }
    }

    // Reads the next stretch, its kept text in `text`; false at the end of the bytes, or when they do
    // not read as their encoding or the typed pieces do not fit them (Failed).
    bool Next(std::string& text)
    {
        if (FFailed || FNext.Bytes >= FBytes.size())
            return false;
        TStretch stretch = FNext;
        size_t end = cutAfter(stretch.Bytes + FSize);
        size_t piece = stretch.FirstPiece;
        bool regionAfter = false;
        for (;;) {
            std::string read;
            if (!readBytes(stretch.Bytes, end, stretch.InRegion, read, regionAfter, nullptr)) {
                FFailed = true;
                return false;
            }
            const size_t readEnd = stretch.Read + read.size();
            const bool last = end == FBytes.size();
            piece = stretch.FirstPiece;
            while (piece < FTyped.size() && (FTyped[piece].At < readEnd || (last && FTyped[piece].At == readEnd)))
                ++piece;
            // A piece that runs on past the stretch takes the next one in.
            if (piece > stretch.FirstPiece && FTyped[piece - 1].At + FTyped[piece - 1].ReadLength > readEnd && !last) {
                end = cutAfter(end + 1);
                continue;
            }
            if (!putTypedPieces(read, nullptr, std::span(FTyped).subspan(stretch.FirstPiece, piece - stretch.FirstPiece),
                                stretch.Read)) {
                FFailed = true;
                return false;
            }
            FNext.Read = readEnd;
            FNext.Kept = stretch.Kept + read.size();
            text = std::move(read);
            break;
        }
        FNext.Bytes = end;
        FNext.FirstPiece = piece;
        FNext.InRegion = regionAfter;
        FStretches.push_back(stretch);
        if (end == FBytes.size() && piece != FTyped.size())
            FFailed = true;
        return !FFailed;
    }
    bool Failed() const { return FFailed; }
    // The typed pieces the stretches were read with.
    const TTyped& Typed() const { return FTyped; }
    // The stretches read so far, and the one that would follow (at the end: the bytes' end, and the
    // lengths of the texts).
    size_t Count() const { return FStretches.size(); }
    const TStretch& At(size_t index) const { return index < FStretches.size() ? FStretches[index] : FNext; }
    // The kept text of stretches [first, last), with the offset of each character's bytes and of the
    // end.
    bool Text(size_t first, size_t last, std::string& text, std::vector<uint32_t>* offsets) const
    {
        const TStretch& from = At(first);
        const TStretch& to = At(last);
        bool regionAfter;
        if (!readBytes(from.Bytes, to.Bytes, from.InRegion, text, regionAfter, offsets))
            return false;
        return putTypedPieces(text, offsets, std::span(FTyped).subspan(from.FirstPiece, to.FirstPiece - from.FirstPiece),
                              from.Read);
    }
    // What the bytes [from, to) of a file read as this one is read, which start in a protected region
    // when `inRegion`; `regionAfter` gets whether their end does. `offsets` as for Text.
    static bool Read(std::string_view bytes, TEncoding encoding, const TCodigosISO* entities, bool inRegion,
                     std::string& text, bool& regionAfter, std::vector<uint32_t>* offsets);

private:
    bool readBytes(size_t from, size_t to, bool inRegion, std::string& text, bool& regionAfter,
                   std::vector<uint32_t>* offsets) const
    {
        if (!Read(FBytes.substr(from, to - from), FReading.Encoding, FEntities, inRegion, text, regionAfter, offsets))
            return false;
        if (offsets)
            for (uint32_t& offset : *offsets)
                offset += static_cast<uint32_t>(from);
        return true;
    }
    // The first place at or after `from` where a stretch may end.
    size_t cutAfter(size_t from) const { return CutAfter(FBytes, FReading, from); }

public:
    // The first place at or after `from` in `bytes` (read as `reading`) where a stretch may end: after a
    // line break (LF, or a CR not after an LF) before a character that is none; the end of the bytes
    // when there is none.
    static size_t CutAfter(std::string_view bytes, const TDocumentReading& reading, size_t from)
    {
        const bool wide = reading.Encoding == TEncoding::Utf16LittleEndian || reading.Encoding == TEncoding::Utf16BigEndian;
        const size_t unit = wide ? 2 : 1;
        const auto at = [&](size_t place) -> char32_t {
            if (!wide)
                return static_cast<unsigned char>(bytes[place]);
            const auto first = static_cast<unsigned char>(bytes[place]), second = static_cast<unsigned char>(bytes[place + 1]);
            return reading.Encoding == TEncoding::Utf16BigEndian ? (first << 8) | second : (second << 8) | first;
        };
        size_t place = std::max(from, reading.BodyStart + 2 * unit);
        place += (place - reading.BodyStart) % unit;
        for (; place + unit <= bytes.size(); place += unit) {
            const char32_t c = at(place), before = at(place - unit);
            if (c == '\r' || c == '\n')
                continue;
            if (before == '\n' || (before == '\r' && at(place - 2 * unit) != '\n'))
                return place;
        }
        return bytes.size();
    }

private:
    std::string_view FBytes;
    TDocumentReading FReading;
    const TCodigosISO* FEntities;
    TTyped FTyped;
    size_t FSize;
    std::vector<TStretch> FStretches;
    TStretch FNext;
    bool FFailed = false;
};

bool TKeptStretches::Read(std::string_view bytes, TEncoding encoding, const TCodigosISO* entities, bool inRegion,
                          std::string& text, bool& regionAfter, std::vector<uint32_t>* offsets)
{
    // The steps of reading a file (characters, codes, the line store's form) one after another, each
    // step's offsets taken through the one before.
    regionAfter = false;
    if (!offsets && (!entities || entities->PrintableCharacters())) {
        // As a whole file is read: in one pass, the codes decoded after (see decode).
        if (!DecodeStoredStretch(bytes, encoding, text))
            return false;
        if (!entities)
            return true;
        regionAfter = entities->ProtectedAtEnd(text, inRegion);
        entities->DecodeInPlace(text, inRegion);
        return true;
    }
    std::string raw;
    std::vector<uint32_t> rawOffsets, sources;
    if (!DecodeDocumentStretch(bytes, encoding, raw, offsets ? &rawOffsets : nullptr))
        return false;
    if (entities) {
        regionAfter = entities->ProtectedAtEnd(raw, inRegion);
        raw = entities->DecodeText(raw, offsets ? &sources : nullptr, inRegion);
        if (offsets)
            compose(sources, rawOffsets);
    } else if (offsets) {
        sources = std::move(rawOffsets);
    }
    text = TDocumentBytes::StoredForm(raw, offsets);
    if (offsets)
        compose(*offsets, sources);
    return true;
}

// Where the text runs [TextStart, TextEnd) stand against the kept stretches [First, Last) that
// they take the place of.
struct TRun {
    size_t First = 0, Last = 0;
    size_t TextStart = 0, TextEnd = 0;
};

// Looks for `needle` (a stretch's text, whole lines) at a line's start in `text` from `from`, at
// most `budget` bytes of it looked through (less what it took).
size_t findLines(std::string_view text, std::string_view needle, size_t from, size_t& budget)
{
    while (from + needle.size() <= text.size() && budget > 0) {
        const size_t length = std::min(text.size() - from, budget + needle.size());
        const void* found = memmem(text.data() + from, length, needle.data(), needle.size());
        const size_t at = found ? static_cast<size_t>(static_cast<const char*>(found) - text.data()) : from + length;
        const size_t looked = at + std::min(needle.size(), text.size() - at) - from;
        budget -= std::min(budget, looked);
        if (!found)
            return std::string_view::npos;
        if (at == 0 || text[at - 1] == '\r')
            return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

// findLines, trying first the line starts within a few hundred characters of `near` (nearest first):
// where a small edit puts the stretch, even in a text that repeats itself.
size_t findLinesNear(std::string_view text, std::string_view needle, size_t from, ptrdiff_t near, size_t& budget)
{
    constexpr ptrdiff_t kNear = 256;
    for (ptrdiff_t distance = 0; distance <= kNear; ++distance) {
        for (const ptrdiff_t at : {near + distance, near - distance}) {
            if (at < static_cast<ptrdiff_t>(from) || static_cast<size_t>(at) + needle.size() > text.size() ||
                (at > 0 && text[static_cast<size_t>(at) - 1] != '\r'))
                continue;
            if (text.compare(static_cast<size_t>(at), needle.size(), needle) == 0)
                return static_cast<size_t>(at);
        }
    }
    return findLines(text, needle, from, budget);
}

} // namespace

bool TDocumentBytes::reopensAs(std::string_view bytes, std::string_view text, const TCodigosISO* entities,
                               TSaveBytes::TTyped* typed, TDocumentReading* reading)
{
    TDocumentFormat format;
    std::string reopened;
    const TDecodeResult result = decode(bytes, entities, reopened, format, nullptr, nullptr);
    if (reading)
        *reading = readingOf(result, format);
    TTyped pieces;
    const bool reads = linesReopenAs(reopened, text, entities, false, pieces);
    if (typed)
        *typed = reads ? std::move(pieces) : TTyped{};
    return reads;
}

TDocumentBytes::TWrite TDocumentBytes::write(std::string_view text, const TCodigosISO* entities, bool page) const
{
    const TCodigosISO* table = entities;
    TWrite result;
    result.Format = formatFor(text, entities, page, result.ByText);
    const TDocumentFormat& chosen = result.Format;
    if (FHasBytes && joined(text, table, result))
        return result;
    result.Bytes = Encode(text, table, chosen);
    result.ReadsBack = reopensAs(result.Bytes, ReadBackForm(text, chosen, table), table, &result.Typed, &result.Reading);
    return result;
}

bool TDocumentBytes::joined(std::string_view text, const TCodigosISO* table, TWrite& result) const
{
    const TDocumentFormat& chosen = result.Format;
    // A table whose codes read as control characters or line breaks can join lines: its file is
    // read as one stretch.
    const bool printable = !FEntities || FEntities->PrintableCharacters();
    TKeptStretches kept(FBytes, FReading, FEntities.get(), FTyped, printable ? StretchBytes : FBytes.size());
    // Each stretch is looked for where the text goes on from the last one found; where it is not
    // there, the next ones are looked for further on: first near where the last one found puts them,
    // then anywhere on, so that the text between is what the author changed them into. The search is
    // bounded: past it, the rest of the text is one change.
    std::vector<size_t> matchedAt;
    size_t budget = 2 * text.size() + (1u << 20);
    size_t expected = 0, lostFrom = std::string_view::npos;
    ptrdiff_t shift = 0;
    std::string stretch;
    for (size_t index = 0; kept.Next(stretch); ++index) {
        const size_t keptAt = kept.At(index).Kept;
        size_t found = std::string_view::npos;
        if (lostFrom == std::string_view::npos) {
            if (text.size() - expected >= stretch.size() && text.compare(expected, stretch.size(), stretch) == 0)
                found = expected;
            else
                lostFrom = expected;
        } else {
            found = findLinesNear(text, stretch, lostFrom, static_cast<ptrdiff_t>(keptAt) + shift, budget);
        }
        if (found != std::string_view::npos) {
            shift = static_cast<ptrdiff_t>(found) - static_cast<ptrdiff_t>(keptAt);
            expected = found + stretch.size();
            lostFrom = std::string_view::npos;
        }
        matchedAt.push_back(found);
    }
    if (kept.Failed())
        return false;
    const size_t count = kept.Count();
    const auto keptSize = [&](size_t index) { return kept.At(index + 1).Kept - kept.At(index).Kept; };
    // The stretches the text ends with, as it ends: a stretch found before them that reaches into
    // them was found in the wrong place, so that nothing after the last change is written anew.
    const ptrdiff_t endShift = static_cast<ptrdiff_t>(text.size()) - static_cast<ptrdiff_t>(kept.At(count).Kept);
    const auto atEnd = [&](size_t index) { return static_cast<ptrdiff_t>(kept.At(index).Kept) + endShift; };
    size_t tail = count;
    for (; tail > 0; --tail) {
        const ptrdiff_t at = atEnd(tail - 1);
        if (at < 0 || (at > 0 && text[static_cast<size_t>(at) - 1] != '\r'))
            break;
        if (matchedAt[tail - 1] != static_cast<size_t>(at)) {
            if (!kept.Text(tail - 1, tail, stretch, nullptr) || text.substr(static_cast<size_t>(at), stretch.size()) != stretch)
                break;
            matchedAt[tail - 1] = static_cast<size_t>(at);
        }
    }
    const size_t tailStart = tail < count ? static_cast<size_t>(atEnd(tail)) : text.size();
    for (size_t index = 0; index < tail; ++index)
        if (matchedAt[index] != std::string_view::npos && matchedAt[index] + keptSize(index) > tailStart)
            matchedAt[index] = std::string_view::npos;
    // The changes: the text between stretches found, against the stretches not found between them.
    // Changes fewer than two stretches apart are one: each change is then checked with the stretch
    // before it and the one after, which no other change touches.
    std::vector<TRun> changes;
    const auto add = [&](const TRun& next) {
        if (!changes.empty() && next.First < changes.back().Last + 2) {
            changes.back().Last = next.Last;
            changes.back().TextEnd = next.TextEnd;
        } else {
            changes.push_back(next);
        }
    };
    TRun run;
    bool open = false;
    expected = 0;
    for (size_t index = 0; index < count; ++index) {
        const size_t found = matchedAt[index];
        if (!open && found != expected)
            run = {index, index, expected, expected};
        if (found == std::string_view::npos) {
            open = true;
            continue;
        }
        if (open || found != expected) {
            run.Last = index;
            run.TextEnd = found;
            add(run);
        }
        open = false;
        expected = found + keptSize(index);
    }
    if (open || expected < text.size()) {
        if (!open)
            run = {count, count, expected, expected};
        run.Last = count;
        run.TextEnd = text.size();
        add(run);
    }
    // An untouched text, the usual case: the kept bytes. They are the file's, or were checked when
    // written.
    if (changes.empty()) {
        result.Bytes = FBytes;
        result.ReadsBack = true;
        result.Typed = kept.Typed();
        result.Reading = FReading;
        return true;
    }
    // Bytes kept from another encoding than the chosen one cannot stand beside the new ones, nor bytes
    // that another table of codes would read otherwise.
    const bool sameEncoding = chosen.Utf8 == Format.Utf8 && chosen.Ascii == Format.Ascii && chosen.Utf16 == Format.Utf16;
    const bool sameTable = FEntities ? table && *table == *FEntities : !table;
    if (!(sameEncoding || asciiBytes()) || !sameTable)
        return false;
    // How the new bytes read: as the kept ones, or, for kept bytes of ASCII alone written as UTF-8, as
    // UTF-8.
    TDocumentReading reading = FReading;
    if (asciiBytes() && chosen.Utf8 && chosen.Utf16 == TDocumentFormat::TUtf16::None) {
        reading.Encoding = TEncoding::Utf8;
        reading.Ascii = false;
    }
    struct TPiece {
        size_t Before = 0, After = 0; // the kept bytes it takes the place of
        std::string Bytes;
        size_t ReadFrom = 0, ReadTo = 0; // the reopened text its check read again, and its new length
        size_t ReadLength = 0;
        TTyped Typed;
    };
    std::vector<TPiece> pieces;
    bool asciiPieces = true;
    for (const TRun& change : changes) {
        const TKeptStretches::TStretch& first = kept.At(change.First);
        const TKeptStretches::TStretch& last = kept.At(change.Last);
        if (last.Bytes - first.Bytes > kMaxMappedSize)
            return false;
        std::string read;
        std::vector<uint32_t> offsets;
        if (!kept.Text(change.First, change.Last, read, &offsets))
            return false;
        const std::string_view changed = text.substr(change.TextStart, change.TextEnd - change.TextStart);
        // The changed stretch lies between the longest common start and end; only it is encoded.
        auto [prefix, suffix] = differingStretch(changed, read);
        // A character of the file is one, however many characters of the text it reads as, and so is
        // a held character of the text: the stretch takes either whole.
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
            if (const size_t held = HeldCharacterAround(changed, prefix); held != std::string_view::npos) {
                prefix = held;
                moved = true;
            }
            if (const size_t held = HeldCharacterAround(changed, changed.size() - suffix); held != std::string_view::npos) {
                char32_t cp;
                suffix = changed.size() - held - ReadHeldCharacter(changed, held, cp);
                moved = true;
            }
        }
        TPiece piece;
        piece.Before = offsets[prefix];
        piece.After = offsets[read.size() - suffix];
        const std::string_view middle = changed.substr(prefix, changed.size() - suffix - prefix);
        std::string().swap(read);
        std::vector<uint32_t>().swap(offsets);
        // The change is read again with the stretch before it and the one after, which start and end
        // where nothing new can join them: the text between reopens as meant when they do.
        const size_t windowFirst = change.First > 0 ? change.First - 1 : change.First;
        const size_t windowLast = std::min(change.Last + 1, count);
        const TKeptStretches::TStretch& from = kept.At(windowFirst);
        const TKeptStretches::TStretch& to = kept.At(windowLast);
        const size_t textFrom = change.TextStart - (first.Kept - from.Kept);
        const size_t textTo = change.TextEnd + (to.Kept - last.Kept);
        const bool textRegion = table && table->Protects(text, textFrom);
        const std::string meant = ReadBackForm(text.substr(textFrom, textTo - textFrom), chosen, table, textRegion);
        // Joined pieces can read differently (a new LF after a kept lone CR makes one line break of
        // two, a code can span the seam): only bytes that give the text back are written so. Another
        // kind of line break for the new text often avoids the join.
        bool reads = false;
        for (const char* lineBreak : {"", "\r\n", "\n", "\r"}) {
            TDocumentFormat format = chosen;
            format.ByteOrderMark = false;
            if (*lineBreak)
                format.LineBreak = lineBreak;
            piece.Bytes = Encode(middle, table, format);
            std::string window(std::string_view(FBytes).substr(from.Bytes, piece.Before - from.Bytes));
            window += piece.Bytes;
            window += std::string_view(FBytes).substr(piece.After, to.Bytes - piece.After);
            std::string reopened;
            bool regionAfter = false;
            if (!TKeptStretches::Read(window, reading.Encoding, FEntities.get(), from.InRegion, reopened, regionAfter, nullptr))
                continue;
            if (windowLast < count && regionAfter != to.InRegion)
                continue;
            if (linesReopenAs(reopened, meant, table, textRegion, piece.Typed)) {
                piece.ReadFrom = from.Read;
                piece.ReadTo = to.Read;
                piece.ReadLength = reopened.size();
                reads = true;
                break;
            }
        }
        if (!reads)
            return false;
        asciiPieces = asciiPieces && !beyondAscii(piece.Bytes);
        pieces.push_back(std::move(piece));
    }
    // The new bytes: the kept ones with the pieces in place.
    size_t size = FBytes.size();
    for (const TPiece& piece : pieces)
        size = size - (piece.After - piece.Before) + piece.Bytes.size();
    std::string bytes;
    bytes.reserve(size);
    size_t at = 0;
    for (const TPiece& piece : pieces) {
        bytes.append(FBytes, at, piece.Before - at);
        bytes += piece.Bytes;
        at = piece.After;
    }
    bytes.append(FBytes, at);
    // Bytes beyond ASCII in an 8-bit file may now be well-formed UTF-8 as a whole, and reopen so.
    if (reading.Encoding == TEncoding::Bytes && !(asciiBytes() && asciiPieces)) {
        const TDocumentReading now = DocumentReadingOf(bytes);
        if (now.Encoding != TEncoding::Bytes)
            return false;
        reading.Ascii = now.Ascii;
    }
    // The typed pieces: those of the kept text outside the pieces' checks, moved by what the text
    // before them grew, with those the checks found.
    TTyped typed;
    ptrdiff_t growth = 0;
    const TTyped& keptTyped = kept.Typed();
    auto old = keptTyped.begin();
    const auto moved = [&](TTypedPiece piece) {
        piece.At = static_cast<size_t>(static_cast<ptrdiff_t>(piece.At) + growth);
        return piece;
    };
    for (const TPiece& piece : pieces) {
        for (; old != keptTyped.end() && old->At < piece.ReadFrom; ++old)
            typed.push_back(moved(*old));
        while (old != keptTyped.end() && (old->At < piece.ReadTo || piece.ReadTo == kept.At(count).Read))
            ++old;
        for (TTypedPiece found : piece.Typed) {
            found.At += piece.ReadFrom;
            typed.push_back(moved(std::move(found)));
        }
        growth += static_cast<ptrdiff_t>(piece.ReadLength) - static_cast<ptrdiff_t>(piece.ReadTo - piece.ReadFrom);
    }
    for (; old != keptTyped.end(); ++old)
        typed.push_back(moved(*old));
    result.Bytes = std::move(bytes);
    result.ReadsBack = true;
    result.Typed = std::move(typed);
    result.Reading = reading;
    return true;
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
    save.Reading = written.Reading;
    if (written.ReadsBack)
        return save;
    save.ReadsBack = false;
    if (save.Format.Utf8 || save.Format.Utf16 != TDocumentFormat::TUtf16::None || (page && written.ByText))
        return save;
    TDocumentFormat utf8 = save.Format;
    utf8.Utf8 = true;
    utf8.Ascii = false;
    utf8.ByteOrderMark = false;
    std::string bytes = Encode(text, entities, utf8);
    TSaveBytes::TTyped typed;
    TDocumentReading reading;
    if (reopensAs(bytes, ReadBackForm(text, utf8), entities, &typed, &reading)) {
        save.Bytes = std::move(bytes);
        save.Format = utf8;
        save.Utf8Instead = true;
        save.Typed = std::move(typed);
        save.Reading = reading;
    }
    return save;
}
