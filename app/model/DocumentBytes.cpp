// TDocumentBytes: a document's file bytes against the editor's text, so that what the user did not change is written back as it was read.
#include "app/model/DocumentBytes.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <span>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/model/CodigosISO.h"
#include "app/model/LineDiff.h"
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

// A stretch of the kept text this long, found whole where it stood give or take a few hundred
// characters, is taken for the same lines.
constexpr size_t kLongStretch = 16 * 1024;

// How both markers of a protected region begin.
constexpr std::string_view kMarkerOpening = "<!--";

// Whether `text` holds the opening of a marker: looked for by its "!", which pages hold far more
// seldom than "<".
bool holdsMarkerOpening(std::string_view text)
{
    for (size_t at = text.find('!', 1); at != std::string_view::npos; at = text.find('!', at + 1))
        if (text.compare(at - 1, kMarkerOpening.size(), kMarkerOpening) == 0)
            return true;
    return false;
}

bool wideEncoding(TEncoding encoding)
{
    return encoding == TEncoding::Utf16LittleEndian || encoding == TEncoding::Utf16BigEndian;
}

// The character of the unit at `at` of bytes read as `encoding`: a byte, or a UTF-16 unit.
char32_t unitAt(std::string_view bytes, size_t at, TEncoding encoding)
{
    const auto first = static_cast<unsigned char>(bytes[at]);
    if (!wideEncoding(encoding))
        return first;
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return encoding == TEncoding::Utf16BigEndian ? (first << 8) | second : (second << 8) | first;
}

// The characters of the line breaks most files have, each by an index, so that a line's break is
// known without its bytes; kOtherBreak for any other (its bytes tell).
constexpr std::string_view kBreakCharacters[] = {"", "\r", "\n", "\r\n", "\n\r"};
constexpr uint8_t kOtherBreak = std::size(kBreakCharacters);

// The index of the break that starts with `first` (CR or LF), of one character or of two.
constexpr uint8_t breakKind(char32_t first, bool pair)
{
    return first == '\r' ? (pair ? 3 : 1) : (pair ? 4 : 2);
}

// A line break among a file's bytes: where it starts, how many bytes it takes, and its characters.
struct TBreak {
    size_t At = 0;
    size_t Length = 0;
    uint8_t Kind = kOtherBreak;
};

// The first CR or LF of data[at, to), or `to`: sixteen bytes looked at a time where SSE2 is there,
// as both kinds of break are looked for at once.
size_t nextBreakByte(const unsigned char* data, size_t at, size_t to)
{
#if defined(__SSE2__)
    const __m128i crs = _mm_set1_epi8('\r'), lfs = _mm_set1_epi8('\n');
    for (; at + 16 <= to; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        if (const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, crs), _mm_cmpeq_epi8(block, lfs))))
            return at + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(found)));
    }
#endif
    for (; at < to; ++at)
        if (data[at] == '\r' || data[at] == '\n')
            return at;
    return to;
}

// The line breaks of the bytes [from, to) of a file read as `encoding`, paired as the line store
// pairs them when it reads those bytes alone (CR LF one break, LF CR one unless the CR ends them).
void scanBreaks(std::string_view bytes, size_t from, size_t to, TEncoding encoding, std::vector<TBreak>& breaks)
{
    breaks.clear();
    if (!wideEncoding(encoding)) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        for (size_t at = from; at < to; ++at) {
            at = nextBreakByte(data, at, to);
            if (at >= to)
                break;
            const unsigned char c = data[at];
            size_t length = 1;
            if (at + 1 < to && ((c == '\r' && data[at + 1] == '\n') || (c == '\n' && data[at + 1] == '\r' && at + 2 < to)))
                length = 2;
            breaks.push_back({at, length, breakKind(c, length == 2)});
            at += length - 1;
        }
        return;
    }
    const size_t unit = 2;
    for (size_t at = from; at + unit <= to; at += unit) {
        const char32_t c = unitAt(bytes, at, encoding);
        if (c != '\r' && c != '\n')
            continue;
        size_t length = unit;
        if (at + 2 * unit <= to) {
            const char32_t next = unitAt(bytes, at + unit, encoding);
            if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r' && at + 3 * unit <= to))
                length = 2 * unit;
        }
        breaks.push_back({at, length, breakKind(c, length == 2 * unit)});
        at += length - unit;
    }
}

// The characters (CR and LF) of a line break's bytes; empty when they hold another (a code that a
// table reads as a line break).
std::string breakCharacters(std::string_view bytes, TEncoding encoding)
{
    const size_t unit = wideEncoding(encoding) ? 2 : 1;
    std::string characters;
    for (size_t at = 0; at + unit <= bytes.size(); at += unit) {
        const char32_t c = unitAt(bytes, at, encoding);
        if (c != '\r' && c != '\n')
            return {};
        characters += static_cast<char>(c);
    }
    return characters;
}

// `format` for a piece of the text that begins the file when `atStart`: a U+FEFF that begins any
// other piece is a character, written and read back as one.
TDocumentFormat pieceFormat(TDocumentFormat format, bool atStart)
{
    if (format.Utf8 && !atStart)
        format.ByteOrderMark = true;
    return format;
}

// The bytes of a line of the editor's text without its break, characters to codes through `table`
// outside the protected regions (the line starting in one when `within`), in `format`.
std::string encodeLine(std::string_view line, const TCodigosISO* table, bool within, const TDocumentFormat& format,
                       bool atStart)
{
    TDocumentFormat piece = format;
    const std::string coded = table ? table->EncodeText(line, nullptr, within) : std::string(line);
    if (piece.Utf16 != TDocumentFormat::TUtf16::None || !piece.Utf8 || (atStart && !piece.ByteOrderMark)) {
        piece.ByteOrderMark = false;
        return EncodeDocument(coded, piece);
    }
    // A line within the file: written after a byte-order mark, which is then left out.
    piece.ByteOrderMark = true;
    std::string bytes = EncodeDocument(coded, piece);
    bytes.erase(0, std::string_view("\xEF\xBB\xBF").size());
    return bytes;
}

// A line break of the characters `characters` in `format`.
std::string encodeBreak(std::string_view characters, const TDocumentFormat& format)
{
    TDocumentFormat piece = format;
    piece.LineBreak = std::string(characters);
    piece.ByteOrderMark = false;
    return EncodeDocument("\r", piece);
}

// The scanned line's characters differ from what `format` writes them as once read back (ReadBackForm).
bool readsBackOtherwise(const TScannedLine& line, const TDocumentFormat& format)
{
    return line.Held || (format.Ascii && !format.Utf8 && format.Utf16 == TDocumentFormat::TUtf16::None && line.BeyondAscii);
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
    if (FHasBytes && joined(text, table, result, true)) {
        // Bytes of ASCII alone that a format writing references wrote, written now in one that holds
        // the characters themselves (every one, or, after a format that wrote every character beyond
        // ASCII as its reference, those of Windows-1252): a plain document stays in the old format
        // while nothing beyond ASCII is written, so that its references are what its next save
        // compares with; otherwise its lines that hold references no longer read as the text, and
        // are written anew.
        const bool writesReferences = !chosen.Utf8 && chosen.Utf16 == TDocumentFormat::TUtf16::None && (chosen.Ascii || !Format.Ascii);
        if (keptReferences() && !writesReferences) {
            if (!page && result.ByText && result.ReadsBack && !beyondAscii(result.Bytes)) {
                result.Format = Format;
                return result;
            }
            TWrite again;
            again.Format = result.Format;
            again.ByText = result.ByText;
            if (joined(text, table, again, false))
                return again;
        }
        return result;
    }
    result.Bytes = Encode(text, table, chosen);
    result.ReadsBack = reopensAs(result.Bytes, ReadBackForm(text, chosen, table), table, &result.Typed, &result.Reading);
    return result;
}

bool TDocumentBytes::joined(std::string_view text, const TCodigosISO* table, TWrite& result, bool asKept) const
{
    const TDocumentFormat& chosen = result.Format;
    // A table whose codes read as control characters or line breaks can join lines: its file is
    // read as one stretch, and the new bytes read again whole.
    const bool printable = !FEntities || FEntities->PrintableCharacters();
    TKeptStretches kept(FBytes, FReading, FEntities.get(), FTyped, printable ? StretchBytes : FBytes.size());
    // The stretches the text starts with as they are kept (whole lines) need no look at their lines:
    // an untouched text, the usual case, is compared a stretch at a time.
    std::string current, previous;
    size_t expected = 0, previousAt = 0;
    bool differs = false;
    for (bool more = kept.Next(current); more; more = kept.Next(current)) {
        const bool fileEnd = kept.At(kept.Count()).Bytes >= FBytes.size();
        const bool whole = (!current.empty() && current.back() == '\r') || (fileEnd && expected + current.size() == text.size());
        if (!whole || text.compare(expected, current.size(), current) != 0) {
            differs = true;
            break;
        }
        previousAt = expected;
        expected += current.size();
        previous.swap(current);
    }
    if (kept.Failed())
        return false;
    if (!differs && expected == text.size()) {
        // The kept bytes: they are the file's, or were checked when written.
        result.Bytes = FBytes;
        result.ReadsBack = true;
        result.Typed = kept.Typed();
        result.Reading = FReading;
        return true;
    }
    // Bytes kept from another encoding than the chosen one stand beside the new ones only where they
    // read the same in both (ASCII), and bytes another table of codes may read otherwise only where
    // they hold no code: with either change (`recode`), every line is looked at, and those lines alone
    // keep their bytes. A change to or from UTF-16 leaves no byte as it was.
    const bool sameEncoding = chosen.Utf8 == Format.Utf8 && chosen.Ascii == Format.Ascii && chosen.Utf16 == Format.Utf16;
    const bool sameTable = FEntities ? table && *table == *FEntities : !table;
    const bool encodingChanged = !(sameEncoding || asciiBytes());
    const bool recode = encodingChanged || !sameTable;
    if ((recode && (wideEncoding(FReading.Encoding) || chosen.Utf16 != TDocumentFormat::TUtf16::None)) ||
        FBytes.size() >= kUnmatchedLine || text.size() >= kUnmatchedLine)
        return false;
    if (recode) {
        // The stretches the text starts with are read again, to be taken line by line.
        kept = TKeptStretches(FBytes, FReading, FEntities.get(), FTyped, printable ? StretchBytes : FBytes.size());
        differs = kept.Next(current);
        if (kept.Failed())
            return false;
        expected = previousAt = 0;
    }
    // How the new bytes read: as the kept ones, or, for kept bytes of ASCII alone written as UTF-8, as
    // UTF-8, or in the chosen encoding once it changed.
    TDocumentReading reading = FReading;
    if (asciiBytes() && chosen.Utf8 && chosen.Utf16 == TDocumentFormat::TUtf16::None) {
        reading.Encoding = TEncoding::Utf8;
        reading.Ascii = false;
    }
    if (encodingChanged)
        reading = chosen.Utf8 ? TDocumentReading{.Encoding = TEncoding::Utf8, .BodyStart = chosen.ByteOrderMark ? 3u : 0u, .Ascii = false}
                              : TDocumentReading{.Encoding = TEncoding::Bytes, .BodyStart = 0, .Ascii = false};
    const TEncoding keptEncoding = FReading.Encoding;

    // The kept lines from the last stretch found as it was (so that the line before the first change
    // is one of them) to the end, each with its key, where its bytes and its break start, where it
    // starts in the reopened text, and whether it starts in a protected region.
    const size_t matchedStretches = differs ? kept.Count() - 1 : kept.Count();
    size_t textAt = expected;
    std::vector<uint64_t> keptKeys;
    std::vector<uint32_t> keptBytes, keptReads;
    std::vector<uint8_t> keptBreaks, keptBreakKinds;
    std::vector<uint8_t> keptRegions;
    bool region = false;
    std::vector<TBreak> breaks;
    const TTyped& keptTyped = kept.Typed();
    const auto addStretch = [&](size_t index, const std::string& stretch) {
        const TKeptStretches::TStretch& from = kept.At(index);
        const TKeptStretches::TStretch& to = kept.At(index + 1);
        if (keptKeys.empty())
            region = from.InRegion;
        else if (keptKeys.size() == keptKeys.capacity() && keptKeys.size() >= 4096) {
            // Many lines taken, and more to come: room for as many as the rest of the bytes may hold at
            // the lines' length so far, so that the lists are not copied again and again (room not
            // filled is never touched).
            const size_t taken = std::max<size_t>(1, from.Bytes - keptBytes[0]);
            const size_t estimate = keptKeys.size() + keptKeys.size() * (FBytes.size() - from.Bytes) / taken * 5 / 4;
            keptKeys.reserve(estimate);
            keptBytes.reserve(estimate + 1);
            keptReads.reserve(estimate + 1);
            keptBreaks.reserve(estimate);
            keptBreakKinds.reserve(estimate);
            keptRegions.reserve(estimate);
        }
        const bool endsLine = !stretch.empty() && stretch.back() == '\r';
        const size_t firstLine = keptKeys.size();
        const bool regionBefore = region;
        // The stretch's lines, each with where its bytes start by `breaks`; false when those are not
        // the lines' breaks, with nothing added.
        const auto addLines = [&] {
            size_t lineStart = from.Bytes, piece = from.FirstPiece, nextBreak = 0;
            // How much longer the kept text is than the reopened one before the line, by its typed pieces.
            ptrdiff_t growth = 0;
            bool fits = true;
            for (size_t at = 0; at < stretch.size() && fits;) {
                const TScannedLine scanned = ScanLine(stretch, at);
                const std::string_view line(stretch.data() + at, scanned.End - at);
                for (; piece < to.FirstPiece &&
                       static_cast<ptrdiff_t>(keptTyped[piece].At - from.Read) + growth < static_cast<ptrdiff_t>(at);
                     ++piece)
                    growth += static_cast<ptrdiff_t>(keptTyped[piece].Piece.size()) - static_cast<ptrdiff_t>(keptTyped[piece].ReadLength);
                keptKeys.push_back(scanned.Key);
                keptBytes.push_back(static_cast<uint32_t>(lineStart));
                keptReads.push_back(static_cast<uint32_t>(static_cast<ptrdiff_t>(from.Read + at) - growth));
                keptRegions.push_back(region);
                if (FEntities && scanned.Exclamation && holdsMarkerOpening(line))
                    region = FEntities->ProtectedAtEnd(line, region);
                if (scanned.End == stretch.size()) {
                    keptBreaks.push_back(0);
                    keptBreakKinds.push_back(0);
                    break;
                }
                fits = nextBreak < breaks.size() && breaks[nextBreak].Length <= UINT8_MAX;
                if (fits) {
                    const TBreak& lineBreak = breaks[nextBreak++];
                    keptBreaks.push_back(static_cast<uint8_t>(lineBreak.Length));
                    keptBreakKinds.push_back(lineBreak.Kind);
                    lineStart = lineBreak.At + lineBreak.Length;
                }
                at = scanned.End + 1;
            }
            if (fits && nextBreak == breaks.size() &&
                !(endsLine && (breaks.empty() || breaks.back().At + breaks.back().Length != to.Bytes)))
                return true;
            keptKeys.resize(firstLine);
            keptBytes.resize(firstLine);
            keptReads.resize(firstLine);
            keptRegions.resize(firstLine);
            keptBreaks.resize(firstLine);
            keptBreakKinds.resize(firstLine);
            region = regionBefore;
            return false;
        };
        if (printable) {
            scanBreaks(FBytes, from.Bytes, to.Bytes, keptEncoding, breaks);
            if (addLines())
                return true;
        }
        // Where each line break comes from, character by character.
        if (to.Bytes - from.Bytes > kMaxMappedSize)
            return false;
        std::string read;
        std::vector<uint32_t> offsets;
        if (!kept.Text(index, index + 1, read, &offsets) || read != stretch)
            return false;
        breaks.clear();
        for (size_t at = read.find('\r'); at != std::string::npos; at = read.find('\r', at + 1))
            breaks.push_back({offsets[at], offsets[at + 1] - size_t(offsets[at])});
        return addLines();
    };
    if (matchedStretches > 0) {
        textAt = previousAt;
        if (!addStretch(matchedStretches - 1, previous))
            return false;
    }
    std::string().swap(previous);
    // Past the changes, the stretches the text ends with as they are kept need no look at their
    // lines either: once a stretch is found whole in the text, starting a line within a few hundred
    // characters of where it stood, the ones after it are compared where they follow; if the text
    // goes on otherwise, the lines of those stretches are taken after all. `suffix` is the first of
    // them, `suffixAt` where it stands in the text.
    size_t suffix = std::string::npos, suffixAt = 0, suffixNext = 0;
    const auto resume = [&](size_t upTo) {
        // The stretches [suffix, upTo) taken line by line.
        std::string stretch;
        for (size_t index = suffix; index < upTo; ++index)
            if (!kept.Text(index, index + 1, stretch, nullptr) || !addStretch(index, stretch))
                return false;
        suffix = std::string::npos;
        return true;
    };
    // Stretches found whole in the text with changes after them: each is one line of the kept text
    // and one of the editor's ([first, second) of the text), matched by a key no text line has.
    std::vector<std::pair<size_t, size_t>> blocks;
    std::vector<size_t> blockStretches; // where each starts in the kept text
    const auto blockKey = [](size_t block) { return LineKey("\x01kept stretches") ^ (block * 0x9E3779B97F4A7C15ull + 1); };
    // The region the editor's text is in at `at`, read on from where it was last asked (mostly
    // further on).
    size_t regionScanned = 0;
    bool regionThere = false;
    const auto regionAt = [&](size_t at) {
        if (table) {
            if (at < regionScanned) {
                regionScanned = 0;
                regionThere = false;
            }
            regionThere = table->ProtectedAtEnd(text.substr(regionScanned, at - regionScanned), regionThere);
            regionScanned = at;
        }
        return regionThere;
    };
    const auto block = [&](size_t upTo) {
        const TKeptStretches::TStretch& from = kept.At(suffix);
        const TKeptStretches::TStretch& to = kept.At(upTo);
        // Lines that now stand in another region are looked at one by one.
        if (regionAt(suffixAt) != from.InRegion || regionAt(suffixNext) != to.InRegion)
            return resume(upTo);
        scanBreaks(FBytes, kept.At(upTo - 1).Bytes, to.Bytes, keptEncoding, breaks);
        if (breaks.empty() || breaks.back().At + breaks.back().Length != to.Bytes || breaks.back().Length > UINT8_MAX)
            return resume(upTo);
        keptKeys.push_back(blockKey(blocks.size()));
        keptBytes.push_back(static_cast<uint32_t>(from.Bytes));
        keptReads.push_back(static_cast<uint32_t>(from.Read));
        keptRegions.push_back(from.InRegion);
        keptBreaks.push_back(static_cast<uint8_t>(breaks.back().Length));
        keptBreakKinds.push_back(breaks.back().Kind);
        blocks.emplace_back(suffixAt, suffixNext);
        blockStretches.push_back(from.Kept);
        region = to.InRegion;
        suffix = std::string::npos;
        return true;
    };
    for (bool more = differs; more; more = kept.Next(current)) {
        const size_t index = kept.Count() - 1;
        if (suffix != std::string::npos) {
            if (text.compare(suffixNext, current.size(), current) == 0) {
                suffixNext += current.size();
                continue;
            }
            if (!block(index))
                return false;
        }
        const bool lineEnd = !current.empty() && current.back() == '\r';
        const size_t earliest = blocks.empty() ? textAt : blocks.back().second;
        // A stretch of a few lines may well stand in a page elsewhere too: only long ones are looked for.
        // The first that differs is not: the text is known to go on otherwise where it stood, and in a
        // page that repeats itself a copy of it a little further on would be taken for it, setting the
        // lines around the change apart from it.
        if (printable && !recode && index > matchedStretches && lineEnd && !keptKeys.empty() && current.size() >= kLongStretch) {
            // Where the stretch would stand were the text unchanged since the last stretch found.
            const ptrdiff_t shift = blocks.empty() ? static_cast<ptrdiff_t>(textAt) - static_cast<ptrdiff_t>(kept.At(matchedStretches > 0 ? matchedStretches - 1 : 0).Kept)
                                                   : static_cast<ptrdiff_t>(blocks.back().first) - static_cast<ptrdiff_t>(blockStretches.back());
            const ptrdiff_t near = static_cast<ptrdiff_t>(kept.At(index).Kept) + shift;
            // Nearest first, so that in a text that repeats itself the right copy is taken.
            constexpr ptrdiff_t kNear = 1024;
            for (ptrdiff_t distance = 0; distance <= kNear && suffix == std::string::npos; ++distance) {
                for (const ptrdiff_t place : {near + distance, near - distance}) {
                    if (place < static_cast<ptrdiff_t>(earliest) || static_cast<size_t>(place) + current.size() > text.size() ||
                        (place > 0 && text[static_cast<size_t>(place) - 1] != '\r') ||
                        text.compare(static_cast<size_t>(place), current.size(), current) != 0)
                        continue;
                    suffix = index;
                    suffixAt = static_cast<size_t>(place);
                    suffixNext = suffixAt + current.size();
                    break;
                }
            }
            if (suffix != std::string::npos)
                continue;
        }
        if (!addStretch(index, current))
            return false;
    }
    if (kept.Failed())
        return false;
    // The stretches the text ends with must end it, and start in the region the kept ones did.
    if (suffix != std::string::npos &&
        (suffixNext != text.size() ||
         (table && table->ProtectedAtEnd(text.substr(0, suffixAt), false) != kept.At(suffix).InRegion)) &&
        !resume(kept.Count()))
        return false;
    std::string().swap(current);
    const bool suffixKept = suffix != std::string::npos;
    const size_t tailBytes = suffixKept ? kept.At(suffix).Bytes : FBytes.size();
    const size_t tailRead = suffixKept ? kept.At(suffix).Read : kept.At(kept.Count()).Read;
    keptBytes.push_back(static_cast<uint32_t>(tailBytes));
    keptReads.push_back(static_cast<uint32_t>(tailRead));
    const size_t keptCount = keptKeys.size();

    // The editor's lines from the same place, each with its key (what the kept bytes of a line that
    // reads as it hold: a held character as its reference in a Windows-1252 file) and whether it
    // starts in a protected region.
    std::vector<uint64_t> textKeys;
    std::vector<uint32_t> textStarts;
    std::vector<uint8_t> textRegions;
    // Whether each line ends with a line break: a stretch found whole does, and a line does unless it ends the text.
    std::vector<uint8_t> textBreaks;
    // Kept bytes of ASCII alone that a format writing references wrote hold each character beyond
    // ASCII as a code or a reference.
    TDocumentFormat keyFormat = asKept && !encodingChanged ? Format : chosen;
    if (asKept && !encodingChanged && keptReferences()) {
        keyFormat.Utf8 = false;
        keyFormat.Ascii = true;
        keyFormat.Utf16 = TDocumentFormat::TUtf16::None;
    }
    region = table && table->ProtectedAtEnd(text.substr(0, textAt), false);
    const size_t textEnd = suffixKept ? suffixAt : text.size();
    size_t nextBlock = 0;
    for (size_t at = textAt; at < textEnd;) {
        if (nextBlock < blocks.size() && blocks[nextBlock].first == at) {
            const size_t end = blocks[nextBlock].second;
            textKeys.push_back(blockKey(nextBlock++));
            textStarts.push_back(static_cast<uint32_t>(at));
            textRegions.push_back(region);
            textBreaks.push_back(1);
            if (table && holdsMarkerOpening(text.substr(at, end - at)))
                region = table->ProtectedAtEnd(text.substr(at, end - at), region);
            at = end;
            continue;
        }
        const TScannedLine scanned = ScanLine(text, at);
        const std::string_view line = text.substr(at, scanned.End - at);
        textKeys.push_back(readsBackOtherwise(scanned, keyFormat)
                               ? LineKey(ReadBackForm(line, pieceFormat(keyFormat, at == 0), table, region))
                               : scanned.Key);
        textStarts.push_back(static_cast<uint32_t>(at));
        textRegions.push_back(region);
        textBreaks.push_back(scanned.End < text.size());
        if (table && scanned.Exclamation && holdsMarkerOpening(line))
            region = table->ProtectedAtEnd(line, region);
        at = scanned.End + 1;
    }
    textStarts.push_back(static_cast<uint32_t>(textEnd));
    textRegions.push_back(region);

    const size_t textCount = textKeys.size();
    std::vector<uint32_t> match = MatchLines(keptKeys, textKeys);
    std::vector<uint64_t>().swap(keptKeys);
    std::vector<uint64_t>().swap(textKeys);

    const auto hasBreak = [&](size_t line) { return textBreaks[line] != 0; };
    const auto textLine = [&](size_t line) { return text.substr(textStarts[line], textStarts[line + 1] - textStarts[line]); };
    const auto contentEnd = [&](size_t line) { return size_t(keptBytes[line + 1]) - keptBreaks[line]; };
    const size_t unit = wideEncoding(keptEncoding) ? 2 : 1;
    const std::string mainBreak = encodeBreak(chosen.LineBreak, chosen);
    // A character after the text read, so that a stretch read alone ends as it does in the file.
    const std::string after = encodeLine("x", nullptr, false, chosen, false);
    const auto keptBreak = [&](size_t line) {
        return std::string_view(FBytes).substr(contentEnd(line), keptBreaks[line]);
    };
    // The characters of the kept line's break, mostly without a look at its bytes.
    const auto keptBreakCharacters = [&](size_t line) {
        return keptBreakKinds[line] < kOtherBreak ? std::string(kBreakCharacters[keptBreakKinds[line]])
                                                  : breakCharacters(keptBreak(line), keptEncoding);
    };
    // What `bytes` standing for the editor's lines [from, end) reopen as there, in `reopened`: read
    // in the region the first starts in, with a character after them when more follows (so that they
    // end as within the file); false when they do not read or leave another region than the next
    // line starts in.
    const auto readAsStanding = [&](std::string bytes, size_t from, size_t end, std::string& reopened) {
        const bool more = end < textCount || suffixKept;
        if (more)
            bytes += after;
        bool regionAfter = false;
        if (!TKeptStretches::Read(bytes, reading.Encoding, table, textRegions[from], reopened, regionAfter, nullptr))
            return false;
        if (more) {
            if (reopened.empty() || reopened.back() != 'x' || regionAfter != textRegions[end])
                return false;
            reopened.pop_back();
        }
        return true;
    };
    // The kept bytes of `line` with the break `textLine` gets, as they read where `textLine` stands.
    const auto readAgain = [&](size_t line, size_t at, std::string& reopened) {
        std::string bytes(std::string_view(FBytes).substr(keptBytes[line], contentEnd(line) - keptBytes[line]));
        if (hasBreak(at))
            bytes += keptBreaks[line] ? keptBreak(line) : std::string_view(mainBreak);
        return readAsStanding(std::move(bytes), at, at + 1, reopened) &&
               reopened == ReadBackForm(textLine(at), pieceFormat(chosen, textStarts[at] == 0), table, textRegions[at]);
    };
    // A kept line is kept where it reads as the editor's line: in the protected region, or out of
    // it, where the line now stands, and with a control character at its end read as the line store
    // reads it there (as itself at the end of the text, "." before more).
    // The kept line has typed pieces: its text is not what its bytes read as.
    const auto typedIn = [&](size_t line) {
        const auto first = std::lower_bound(keptTyped.begin(), keptTyped.end(), keptReads[line],
                                            [](const TTypedPiece& typedPiece, uint32_t at) { return typedPiece.At < at; });
        return first != keptTyped.end() && first->At <= keptReads[line + 1];
    };
    // Once the encoding changed, a kept line reads the same only as bytes of ASCII; once the table
    // changed, only without a code; and with either, only without typed pieces (codes the table read).
    const auto readsAlikeEitherWay = [&](size_t line) {
        const std::string_view bytes = std::string_view(FBytes).substr(keptBytes[line], keptBytes[line + 1] - keptBytes[line]);
        return !(encodingChanged && beyondAscii(bytes)) && (sameTable || bytes.find('&') == std::string_view::npos) && !typedIn(line);
    };
    std::string reopened;
    for (size_t at = 0; at < textCount; ++at) {
        const uint32_t line = match[at];
        if (line == kUnmatchedLine)
            continue;
        bool keeps = !recode || readsAlikeEitherWay(line);
        if (keeps && (keptBreaks[line] > 0) != hasBreak(at) && contentEnd(line) > keptBytes[line]) {
            const char32_t last = unitAt(FBytes, contentEnd(line) - unit, keptEncoding);
            keeps = last >= 32 || last == '\t';
        }
        if (keeps && keptRegions[line] != textRegions[at])
            keeps = readAgain(line, at, reopened);
        if (!keeps)
            match[at] = kUnmatchedLine;
    }

    // The bytes: each kept line with its own break, and each run of changed lines encoded anew and
    // read again as it stands, each changed line taking the break of the kept line it replaces, if
    // any, else the file's; of a line that replaces one, what it still has of that line's start and
    // end keeps its bytes. An empty line whose break would join the lone one before it (an LF after a
    // CR, a CR after an LF) gets a pair that starts as that one does (CR LF, LF CR), which joins
    // nothing on either side, and an LF CR that would end the file an LF.
    std::string fresh;
    std::vector<uint32_t> runs;
    std::vector<std::pair<uint32_t, std::string>> rebroken;
    std::vector<std::string> runBreaks;
    TTyped typed;
    bool readsBack = true;
    // What comes before the first line: the kept bytes' (a byte-order mark), or the chosen encoding's.
    const std::string_view head = encodingChanged ? std::string_view(chosen.Utf8 && chosen.ByteOrderMark ? "\xEF\xBB\xBF" : "")
                                                  : std::string_view(FBytes).substr(0, keptBytes[0]);
    size_t piece = 0, newRead = keptReads[0], size = head.size();
    for (; piece < keptTyped.size() && keptTyped[piece].At < keptReads[0]; ++piece)
        typed.push_back(keptTyped[piece]);
    size_t runStart = std::string::npos, runBytes = 0, replaced = 0, replacedEnd = 0, keptNext = 0;
    // The bytes of the editor's line `at` in place of the kept `line` (none: kUnmatchedLine), without
    // its break.
    const auto changedLine = [&](size_t at, size_t line) {
        const size_t start = textStarts[at];
        const std::string_view content = text.substr(start, textStarts[at + 1] - (hasBreak(at) ? 1 : 0) - start);
        const std::string_view keptLine = std::string_view(FBytes).substr(keptBytes[line == kUnmatchedLine ? 0 : line],
                                                                         line == kUnmatchedLine ? 0 : contentEnd(line) - keptBytes[line]);
        if (line == kUnmatchedLine || recode || keptRegions[line] != textRegions[at] || typedIn(line))
            return encodeLine(content, table, textRegions[at], chosen, start == 0);
        // Bytes of plain ASCII (no code, no control character) before a break of CR and LF read as
        // themselves, each character from its own byte, as a line, at the end of the file or before
        // more: they need no reading, as most lines of a page do not.
        const bool plain = !wideEncoding(keptEncoding) &&
                           std::all_of(keptLine.begin(), keptLine.end(), [](char c) {
                               return (c >= ' ' && c != '&' && (c & 0x80) == 0) || c == '\t';
                           }) &&
                           keptBreakCharacters(line).size() == keptBreaks[line];
        std::string read;
        std::vector<uint32_t> offsets;
        if (!plain) {
            // Read with its break and a character after, as within the file: a control character at its
            // end is ".", an LF CR one break; the last line of both, as the end of the file.
            std::string withBreak(std::string_view(FBytes).substr(keptBytes[line], keptBytes[line + 1] - keptBytes[line]));
            const bool more = keptBreaks[line] || hasBreak(at);
            if (more)
                withBreak += keptEncoding == TEncoding::Utf16LittleEndian ? std::string("x\0", 2)
                             : keptEncoding == TEncoding::Utf16BigEndian  ? std::string("\0x", 2)
                                                                           : std::string("x");
            bool regionAfter = false;
            if (!TKeptStretches::Read(withBreak, keptEncoding, table, textRegions[at], read, regionAfter, &offsets) ||
                (more && (read.empty() || read.back() != 'x')))
                return encodeLine(content, table, textRegions[at], chosen, start == 0);
            if (more) {
                read.pop_back();
                offsets.pop_back();
            }
            if (keptBreaks[line]) {
                if (read.empty() || read.back() != '\r' || offsets[read.size() - 1] != keptLine.size())
                    return encodeLine(content, table, textRegions[at], chosen, start == 0);
                read.pop_back();
                offsets.pop_back();
            }
        }
        const std::string_view readText = plain ? keptLine : std::string_view(read);
        const auto offsetOf = [&](size_t at) -> size_t { return plain ? at : offsets[at]; };
        auto [prefix, suffix] = differingStretch(content, readText);
        // A character of the file is one, however many characters of the text it reads as, and so is
        // a held character of the text: the changed stretch takes either whole.
        for (bool moved = true; moved;) {
            moved = false;
            while (prefix > 0 && offsetOf(prefix - 1) == offsetOf(prefix)) {
                --prefix;
                moved = true;
            }
            while (suffix > 0 && suffix < readText.size() && offsetOf(readText.size() - suffix) == offsetOf(readText.size() - suffix - 1)) {
                --suffix;
                moved = true;
            }
            if (const size_t held = HeldCharacterAround(content, prefix); held != std::string_view::npos) {
                prefix = held;
                moved = true;
            }
            if (const size_t held = HeldCharacterAround(content, content.size() - suffix); held != std::string_view::npos) {
                char32_t cp;
                suffix = content.size() - held - ReadHeldCharacter(content, held, cp);
                moved = true;
            }
        }
        const bool within = table && table->ProtectedAtEnd(content.substr(0, prefix), textRegions[at]);
        std::string bytes(keptLine.substr(0, offsetOf(prefix)));
        bytes += encodeLine(content.substr(prefix, content.size() - suffix - prefix), table, within, chosen,
                            start == 0 && prefix == 0);
        bytes += keptLine.substr(offsetOf(readText.size() - suffix));
        return bytes;
    };
    // The last of the editor's lines after `at` (matched) that stand as the kept lines did after its
    // kept line, each with its break, in the same region, neither the last of the text nor of the
    // kept lines (whose break may read otherwise before another line); `at` when there is none.
    const auto followedAsKept = [&](size_t at) {
        size_t last = at;
        while (last + 2 < textCount && match[last + 1] == match[last] + 1 && match[last + 1] + 1 < keptCount &&
               keptRegions[match[last + 1]] == textRegions[last + 1])
            ++last;
        return last;
    };
    const auto closeRun = [&](size_t end) {
        const auto check = [&] {
            if (!readAsStanding(std::string(std::string_view(fresh).substr(runBytes)), runStart, end, reopened))
                return false;
            TTyped pieces;
            if (!linesReopenAs(reopened,
                               ReadBackForm(text.substr(textStarts[runStart], textStarts[end] - textStarts[runStart]),
                                            pieceFormat(chosen, textStarts[runStart] == 0), table, textRegions[runStart]),
                               table, textRegions[runStart], pieces))
                return false;
            for (TTypedPiece& found : pieces) {
                found.At += newRead;
                typed.push_back(std::move(found));
            }
            return true;
        };
        bool reads = check();
        if (!reads) {
            // What the changed lines kept of the lines they replace may read otherwise beside the new
            // characters (a code cut in two): the lines are encoded whole.
            fresh.resize(runBytes);
            for (size_t at = runStart; at < end; ++at) {
                fresh += changedLine(at, kUnmatchedLine);
                fresh += runBreaks[at - runStart].empty() ? std::string() : encodeBreak(runBreaks[at - runStart], chosen);
            }
            reads = check();
        }
        readsBack = readsBack && reads;
        newRead += reopened.size();
        runs.push_back(static_cast<uint32_t>(fresh.size() - runBytes));
        size += fresh.size() - runBytes;
        runBreaks.clear();
        runStart = std::string::npos;
    };
    // The editor's lines that take no kept line, in order. In a large text each lies far from the one
    // before, and so does the kept line it replaces: both are asked for a few changed lines ahead.
    std::vector<uint32_t> changed;
    for (size_t at = 0; at < textCount; ++at)
        if (match[at] == kUnmatchedLine)
            changed.push_back(static_cast<uint32_t>(at));
    size_t changedNext = 0;
    const auto readAhead = [&] {
        constexpr size_t kAhead = 4;
        if (++changedNext + kAhead >= changed.size())
            return;
        const uint32_t at = changed[changedNext + kAhead];
        __builtin_prefetch(text.data() + textStarts[at]);
        if (at > 0 && match[at - 1] != kUnmatchedLine && match[at - 1] + 1 < keptCount)
            __builtin_prefetch(FBytes.data() + keptBytes[match[at - 1] + 1]);
    };
    std::string previousBreak;
    for (size_t at = 0; at < textCount; ++at) {
        const uint32_t line = match[at];
        std::string lineBreak;
        bool empty;
        size_t replacing = kUnmatchedLine;
        if (line != kUnmatchedLine) {
            if (hasBreak(at))
                lineBreak = keptBreaks[line] ? keptBreakCharacters(line) : chosen.LineBreak;
            empty = contentEnd(line) == keptBytes[line];
        } else {
            if (runStart == std::string::npos) {
                // The kept lines the run takes the place of.
                runStart = at;
                runBytes = fresh.size();
                replaced = keptNext;
                size_t next = at;
                while (next < textCount && match[next] == kUnmatchedLine)
                    ++next;
                replacedEnd = next < textCount ? match[next] : keptCount;
            }
            if (replaced < replacedEnd)
                replacing = replaced++;
            if (hasBreak(at)) {
                if (replacing != kUnmatchedLine && keptBreaks[replacing])
                    lineBreak = keptBreakCharacters(replacing);
                if (lineBreak.empty())
                    lineBreak = chosen.LineBreak;
            }
            empty = textStarts[at] + (hasBreak(at) ? 1 : 0) == textStarts[at + 1];
        }
        // (An LF before the lone CR that ends the file stays alone.)
        bool otherBreak = empty && previousBreak.size() == 1 && !lineBreak.empty() && lineBreak[0] != previousBreak[0] &&
                          !(lineBreak == "\r" && at + 1 == textCount && !suffixKept);
        if (otherBreak)
            lineBreak = previousBreak + lineBreak[0];
        // LF CR that ends the file reads as two breaks.
        if (at + 1 == textCount && !suffixKept && lineBreak == "\n\r") {
            lineBreak = "\n";
            otherBreak = true;
        }
        if (line != kUnmatchedLine) {
            if (runStart != std::string::npos)
                closeRun(at);
            const size_t breakBytes = !hasBreak(at) ? 0 : otherBreak ? encodeBreak(lineBreak, chosen).size()
                                                            : keptBreaks[line] ? keptBreaks[line] : mainBreak.size();
            if (otherBreak)
                rebroken.emplace_back(static_cast<uint32_t>(at), encodeBreak(lineBreak, chosen));
            size += contentEnd(line) - keptBytes[line] + breakBytes;
            // Its typed pieces, where it now stands in the reopened text; read again in another region,
            // it has none.
            const bool lastKept = line + 1 == keptCount && !suffixKept;
            const bool sameRegion = keptRegions[line] == textRegions[at];
            for (; piece < keptTyped.size() && keptTyped[piece].At < keptReads[line]; ++piece) {
            }
            for (; piece < keptTyped.size() &&
                   (keptTyped[piece].At < keptReads[line + 1] || (lastKept && keptTyped[piece].At == keptReads[line + 1]));
                 ++piece) {
                if (!sameRegion)
                    continue;
                TTypedPiece moved = keptTyped[piece];
                moved.At = moved.At - keptReads[line] + newRead;
                typed.push_back(std::move(moved));
            }
            if (sameRegion) {
                newRead += keptReads[line + 1] - keptReads[line];
                newRead = newRead + (hasBreak(at) ? 1 : 0) - (keptBreaks[line] ? 1 : 0);
            } else {
                readAgain(line, at, reopened);
                newRead += reopened.size();
            }
            keptNext = line + 1;
            previousBreak = std::move(lineBreak);
            // The kept lines after it as they followed it in the file: in one piece.
            if (const size_t last = followedAsKept(at); last > at) {
                const size_t first = line + 1, end = match[last] + 1;
                size += keptBytes[end] - keptBytes[first];
                for (; piece < keptTyped.size() && keptTyped[piece].At < keptReads[end]; ++piece) {
                    TTypedPiece moved = keptTyped[piece];
                    moved.At = moved.At - keptReads[first] + newRead;
                    typed.push_back(std::move(moved));
                }
                newRead += keptReads[end] - keptReads[first];
                keptNext = end;
                previousBreak = keptBreakCharacters(end - 1);
                at = last;
            }
            continue;
        } else {
            readAhead();
            fresh += changedLine(at, replacing);
            if (!lineBreak.empty())
                fresh += encodeBreak(lineBreak, chosen);
            runBreaks.push_back(lineBreak);
        }
        previousBreak = std::move(lineBreak);
    }
    if (runStart != std::string::npos)
        closeRun(textCount);
    // The stretches the text ends with, and their typed pieces.
    for (; piece < keptTyped.size() && keptTyped[piece].At < tailRead; ++piece) {
    }
    for (; piece < keptTyped.size(); ++piece) {
        TTypedPiece moved = keptTyped[piece];
        moved.At = moved.At - tailRead + newRead;
        typed.push_back(std::move(moved));
    }
    size += FBytes.size() - tailBytes;

    // The new bytes, in one piece of the size they take.
    std::string bytes;
    bytes.reserve(size);
    bytes.append(head);
    size_t run = 0, freshAt = 0, rebreak = 0;
    for (size_t at = 0; at < textCount; ++at) {
        const uint32_t line = match[at];
        if (line == kUnmatchedLine) {
            bytes.append(fresh, freshAt, runs[run]);
            freshAt += runs[run++];
            while (at + 1 < textCount && match[at + 1] == kUnmatchedLine)
                ++at;
            continue;
        }
        bytes.append(FBytes, keptBytes[line], contentEnd(line) - keptBytes[line]);
        if (rebreak < rebroken.size() && rebroken[rebreak].first == at)
            bytes += rebroken[rebreak++].second;
        else if (hasBreak(at))
            bytes += keptBreaks[line] ? keptBreak(line) : std::string_view(mainBreak);
        if (const size_t last = followedAsKept(at); last > at) {
            bytes.append(FBytes, keptBytes[line + 1], keptBytes[match[last] + 1] - keptBytes[line + 1]);
            at = last;
        }
    }
    bytes.append(FBytes, tailBytes);
    const bool freshAscii = !beyondAscii(fresh);
    std::string().swap(fresh);
    // Bytes beyond ASCII in an 8-bit file may now be well-formed UTF-8 as a whole, and reopen so.
    if (reading.Encoding == TEncoding::Bytes && !(asciiBytes() && freshAscii)) {
        const TDocumentReading now = DocumentReadingOf(bytes);
        if (now.Encoding != TEncoding::Bytes)
            readsBack = false;
        reading.Ascii = now.Ascii;
    }
    // A table that joins lines: the whole file is read again.
    if (!printable || (table && !table->PrintableCharacters()))
        readsBack = readsBack && reopensAs(bytes, ReadBackForm(text, chosen, table), table, &typed, &reading);
    result.Bytes = std::move(bytes);
    result.ReadsBack = readsBack;
    result.Typed = readsBack ? std::move(typed) : TTyped{};
    result.Reading = readsBack ? reading : DocumentReadingOf(result.Bytes);
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
