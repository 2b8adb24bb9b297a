// The bytes of a document file against the editor's Windows-1252 text: UTF-8 detection and conversion, and line breaks.
#include "platform/core/DocumentText.h"

#include <algorithm>
#include <cstring>

#include "platform/core/ByteScan.h"
#include "platform/core/Win1252.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kZeroWidthNoBreakSpace = 0xFEFF;

using TUtf16 = TDocumentFormat::TUtf16;

// Walks the UTF-16 characters of `bytes` from `from`, giving `put` each with the offset of its first
// unit; false for an odd length or a surrogate without its pair.
template <typename Put>
bool walkUtf16(std::string_view bytes, bool bigEndian, size_t from, Put put)
{
    if ((bytes.size() - from) % 2)
        return false;
    const auto unitAt = [&](size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    for (size_t at = from; at < bytes.size();) {
        const size_t start = at;
        char32_t cp = unitAt(at);
        at += 2;
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            return false;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (at >= bytes.size())
                return false;
            const char32_t low = unitAt(at);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            at += 2;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        put(cp, start);
    }
    return true;
}

// The UTF-16 bytes from `from` (after the byte-order mark, unless told otherwise) as UTF-8, with the
// offset in `bytes` each UTF-8 byte came from and the end; false as walkUtf16.
bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& utf8, std::vector<uint32_t>& offsets,
                 size_t from = kUtf16LeMark.size())
{
    utf8.clear();
    offsets.clear();
    const bool whole = walkUtf16(bytes, bigEndian, from, [&](char32_t cp, size_t start) {
        const size_t before = utf8.size();
        AppendUtf8(utf8, cp);
        offsets.insert(offsets.end(), utf8.size() - before, static_cast<uint32_t>(start));
    });
    offsets.push_back(static_cast<uint32_t>(bytes.size()));
    return whole;
}

// Reads one code point at `pos` and moves past it; false for a malformed sequence.
bool nextCodePoint(std::string_view bytes, size_t& pos, char32_t& cp)
{
    const unsigned char lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) {
        cp = lead;
        ++pos;
        return true;
    }
    const size_t length = DecodeUtf8(bytes, pos, cp);
    pos += length;
    return length != 0;
}

// The kinds of line break met so far, pairing CR LF and LF CR as the editor does; the first kind to
// reach the highest count wins a tie. LF CR pairs are not a kind to write new lines with: one ending
// a text would read back as two breaks.
class TLineBreakCount {
public:
    enum TKind { CrLf, Lf, Cr };
    void Add(TKind kind)
    {
        ++FCounts[kind];
        if (FBest < 0 || FCounts[kind] > FCounts[FBest])
            FBest = kind;
    }
    // The kind most breaks are; CR LF for a text without any.
    std::string Kind() const
    {
        const char* kinds[] = {"\r\n", "\n", "\r"};
        return FBest < 0 ? "\r\n" : kinds[FBest];
    }

private:
    size_t FCounts[3] = {};
    int FBest = -1;
};

// The kind of line break most of the file's breaks are (see TLineBreakCount).
std::string lineBreakOf(std::string_view bytes)
{
    TLineBreakCount count;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        const bool pair = i + 1 < bytes.size() && (bytes[i + 1] == '\r' || bytes[i + 1] == '\n') && bytes[i + 1] != c;
        if (pair)
            ++i;
        if (pair && c == '\n')
            continue;
        count.Add(pair ? TLineBreakCount::CrLf : c == '\n' ? TLineBreakCount::Lf : TLineBreakCount::Cr);
    }
    return count.Kind();
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    size_t pos = 0;
    char32_t cp;
    while (pos < bytes.size())
        if (!nextCodePoint(bytes, pos, cp))
            return false;
    return true;
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian, bool mark)
{
    std::string out;
    out.reserve(utf8.size() * 2 + 2);
    if (mark)
        out.append(bigEndian ? kUtf16BeMark : kUtf16LeMark);
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = static_cast<unsigned char>(utf8[pos]);
        const size_t length = cp < 0x80 ? 1 : DecodeUtf8(utf8, pos, cp);
        if (!length)
            cp = static_cast<unsigned char>(utf8[pos]);
        pos += length ? length : 1;
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

bool HoldsControlCharacters(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\r' && c != '\n';
    });
}

bool FileHoldsControlCharacters(std::string_view bytes, const TDocumentFormat& format)
{
    if (format.Utf16 == TUtf16::None)
        return HoldsControlCharacters(bytes);
    std::string utf8;
    std::vector<uint32_t> offsets;
    utf16ToUtf8(bytes, format.Utf16 == TUtf16::BigEndian, utf8, offsets);
    return HoldsControlCharacters(utf8);
}

namespace {

// The bytes as they are, each a character; a file's own 0x1F, a control character the editor shows
// as ".", never becomes the mark of a held character.
void bytesAsTheyAre(std::string_view bytes, std::string& text, std::vector<uint32_t>* offsets)
{
    text.assign(bytes);
    std::replace(text.begin(), text.end(), kHeldCharacterMark, '.');
    if (offsets) {
        offsets->resize(bytes.size() + 1);
        for (size_t i = 0; i <= bytes.size(); ++i)
            (*offsets)[i] = static_cast<uint32_t>(i);
    }
}

// Well-formed UTF-8 as editor text, each character Windows-1252 lacks held; offsets as for
// DecodeDocument, `base` added to each.
void convertUtf8(std::string_view body, std::string& text, std::vector<uint32_t>* offsets, size_t base,
                 size_t* references)
{
    std::string converted;
    converted.reserve(body.size());
    // Sized once, as the text is: grown step by step, the offsets of a large file would be held
    // twice over at each step.
    if (offsets) {
        offsets->clear();
        offsets->reserve(body.size() + 1);
    }
    size_t pos = 0;
    char32_t cp;
    while (pos < body.size()) {
        const size_t start = pos;
        nextCodePoint(body, pos, cp);
        const auto from = static_cast<uint32_t>(start + base);
        char byte;
        if (CharToWin1252(cp, byte) || cp == kHeldCharacterMarkByte) {
            converted += cp == kHeldCharacterMarkByte ? '.' : byte;
            if (offsets)
                offsets->push_back(from);
            continue;
        }
        const std::string reference = HeldCharacter(cp);
        converted += reference;
        if (references)
            ++*references;
        if (offsets)
            offsets->insert(offsets->end(), reference.size(), from);
    }
    if (offsets)
        offsets->push_back(static_cast<uint32_t>(body.size() + base));
    text = std::move(converted);
}

// A UTF-16 body as editor text (the characters from `from`); offsets as for DecodeDocument. False
// as walkUtf16.
bool convertUtf16(std::string_view bytes, bool bigEndian, size_t from, std::string& text,
                  std::vector<uint32_t>* offsets, size_t* references, std::string* lineBreak)
{
    // UTF-16 is read as the UTF-8 of the same characters, whose offsets are then taken back to the
    // UTF-16 bytes.
    std::string utf8;
    std::vector<uint32_t> utf8Offsets;
    if (!utf16ToUtf8(bytes, bigEndian, utf8, utf8Offsets, from))
        return false;
    convertUtf8(utf8, text, offsets, 0, references);
    if (offsets)
        for (uint32_t& offset : *offsets)
            offset = utf8Offsets[offset];
    if (lineBreak)
        *lineBreak = lineBreakOf(utf8);
    return true;
}

} // namespace

TDocumentReading DocumentReadingOf(std::string_view bytes)
{
    using TEncoding = TDocumentReading::TEncoding;
    TDocumentReading reading;
    const bool bigEndian = bytes.starts_with(kUtf16BeMark);
    if ((bigEndian || bytes.starts_with(kUtf16LeMark)) &&
        walkUtf16(bytes, bigEndian, kUtf16LeMark.size(), [](char32_t, size_t) {})) {
        reading.Encoding = bigEndian ? TEncoding::Utf16BigEndian : TEncoding::Utf16LittleEndian;
        reading.BodyStart = kUtf16LeMark.size();
        return reading;
    }
    const bool mark = bytes.starts_with(kByteOrderMark);
    const std::string_view body = mark ? bytes.substr(kByteOrderMark.size()) : bytes;
    reading.Ascii = std::none_of(body.begin(), body.end(), [](char c) { return (c & 0x80) != 0; });
    // Plain ASCII reads the same either way; a mark alone still says how to write the file.
    if ((reading.Ascii && !mark) || !IsValidUtf8(body))
        return reading;
    reading.Encoding = TEncoding::Utf8;
    reading.BodyStart = mark ? kByteOrderMark.size() : 0;
    return reading;
}

bool DecodeDocumentStretch(std::string_view bytes, TDocumentReading::TEncoding encoding, std::string& text,
                           std::vector<uint32_t>* offsets)
{
    using TEncoding = TDocumentReading::TEncoding;
    switch (encoding) {
    case TEncoding::Bytes:
        bytesAsTheyAre(bytes, text, offsets);
        return true;
    case TEncoding::Utf8:
        if (!IsValidUtf8(bytes))
            return false;
        convertUtf8(bytes, text, offsets, 0, nullptr);
        return true;
    case TEncoding::Utf16LittleEndian:
    case TEncoding::Utf16BigEndian:
        return convertUtf16(bytes, encoding == TEncoding::Utf16BigEndian, 0, text, offsets, nullptr, nullptr);
    }
    return false;
}

TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format,
                             std::vector<uint32_t>* offsets, size_t* references)
{
    using TEncoding = TDocumentReading::TEncoding;
    if (references)
        *references = 0;
    const TDocumentReading reading = DocumentReadingOf(bytes);
    format = TDocumentFormat{};
    switch (reading.Encoding) {
    case TEncoding::Utf16LittleEndian:
    case TEncoding::Utf16BigEndian:
        convertUtf16(bytes, reading.Encoding == TEncoding::Utf16BigEndian, reading.BodyStart, text, offsets,
                     references, &format.LineBreak);
        format.Utf8 = false;
        format.ByteOrderMark = true;
        format.Utf16 = reading.Encoding == TEncoding::Utf16BigEndian ? TUtf16::BigEndian : TUtf16::LittleEndian;
        return TDecodeResult::Converted;
    case TEncoding::Bytes:
        format.LineBreak = lineBreakOf(bytes);
        bytesAsTheyAre(bytes, text, offsets);
        format.Utf8 = reading.Ascii;
        return TDecodeResult::Bytes;
    case TEncoding::Utf8:
        break;
    }
    format.LineBreak = lineBreakOf(bytes);
    convertUtf8(bytes.substr(reading.BodyStart), text, offsets, reading.BodyStart, references);
    format.ByteOrderMark = reading.BodyStart != 0;
    return TDecodeResult::Converted;
}

namespace {

// The stored text of a UTF-8 or Windows-1252 body, written while it is read: the work of
// DecodeDocument and of the line store's rewriting in one pass.
class TStoredTextReader {
public:
    TStoredTextReader(std::string_view body, bool utf8) : FBody(body), FUtf8(utf8) {}

    // False when the body is meant as UTF-8 and is not well-formed: it is then read again as bytes.
    // Every open and every save runs through its loop: it starts on a cache line of its own, so that
    // its speed does not hang on where the linker happens to put it among the rest.
    __attribute__((aligned(64))) bool Read(std::string& text, TDocumentFormat& format, size_t& references, bool& controls)
    {
        const size_t size = FBody.size();
        text.clear();
        text.reserve(size);
        // The characters are written into a window that stays in the cache and go to the text a
        // window at a time: the text's memory is written once, not cleared first and filled after.
        char out[kWindow];
        size_t written = 0, at = 0;
        while (at < size) {
            if (kWindow - written < kSlack) {
                text.append(out, written);
                written = 0;
            }
            // Most of a page is printable ASCII: it goes across a word at a time.
            if (size - at >= 8 && EightBytesPrintableAscii(FBody.data() + at)) {
                std::memcpy(out + written, FBody.data() + at, 8);
                written += 8;
                at += 8;
                continue;
            }
            const auto byte = static_cast<unsigned char>(FBody[at]);
            if (byte >= 0x80) {
                FBeyondAscii = true;
                if (!FUtf8) {
                    out[written++] = static_cast<char>(byte);
                    ++at;
                    continue;
                }
                char32_t cp;
                const size_t length = DecodeUtf8(FBody, at, cp);
                if (!length)
                    return false;
                at += length;
                char converted;
                if (CharToWin1252(cp, converted)) {
                    out[written++] = converted;
                } else {
                    const std::string reference = HeldCharacter(cp);
                    std::memcpy(out + written, reference.data(), reference.size());
                    written += reference.size();
                    ++references;
                }
                continue;
            }
            const bool last = at + 1 == size;
            ++at;
            if (byte >= 32 || byte == '\t') {
                out[written++] = static_cast<char>(byte);
            } else if (byte == '\r') {
                out[written++] = '\r';
                const bool pair = at < size && FBody[at] == '\n';
                at += pair;
                FBreaks.Add(pair ? TLineBreakCount::CrLf : TLineBreakCount::Cr);
            } else if (byte == '\n') {
                out[written++] = '\r';
                if (at < size && FBody[at] == '\r') {
                    // An LF CR pair is one break, but not a kind; a CR that ends the text stays a
                    // line break of its own.
                    ++at;
                    if (at == size)
                        out[written++] = '\r';
                } else {
                    FBreaks.Add(TLineBreakCount::Lf);
                }
            } else {
                controls = true;
                // The text's last character keeps its code, NUL excepted (the records end with one)
                // and the mark of a held character, which no file may make.
                out[written++] = last && byte != 0 && byte != kHeldCharacterMarkByte ? static_cast<char>(byte) : '.';
            }
        }
        text.append(out, written);
        format.LineBreak = FBreaks.Kind();
        return true;
    }
    // The body held a byte above 127.
    bool BeyondAscii() const { return FBeyondAscii; }

private:
    // Room kept free before each step: a character becomes at most a reference of ten bytes.
    static constexpr size_t kSlack = 16;
    static constexpr size_t kWindow = 1 << 16;
    std::string_view FBody;
    bool FUtf8;
    TLineBreakCount FBreaks;
    bool FBeyondAscii = false;
};

} // namespace

TDecodeResult DecodeStoredText(std::string_view bytes, std::string& text, TDocumentFormat& format,
                               size_t* references, bool* controls)
{
    size_t referenceCount = 0;
    bool controlCharacters = false;
    const bool bigEndian = bytes.starts_with(kUtf16BeMark);
    std::string utf8;
    bool utf16 = false;
    if (bigEndian || bytes.starts_with(kUtf16LeMark)) {
        // A UTF-16 file is read as the UTF-8 of the same characters, without a mark of its own.
        std::vector<uint32_t> unused;
        utf16 = utf16ToUtf8(bytes, bigEndian, utf8, unused);
    }
    const bool mark = !utf16 && bytes.starts_with(kByteOrderMark);
    const std::string_view body = utf16 ? std::string_view(utf8) : mark ? bytes.substr(kByteOrderMark.size()) : bytes;
    format = TDocumentFormat{};
    TDecodeResult result = TDecodeResult::Converted;
    TStoredTextReader reader(body, true);
    if (!reader.Read(text, format, referenceCount, controlCharacters)) {
        // Not UTF-8: the bytes are the text, the mark (when there is one) included.
        format = TDocumentFormat{};
        referenceCount = 0;
        controlCharacters = false;
        TStoredTextReader(bytes, false).Read(text, format, referenceCount, controlCharacters);
        format.Utf8 = false;
        result = TDecodeResult::Bytes;
    } else if (utf16) {
        format.Utf8 = false;
        format.ByteOrderMark = true;
        format.Utf16 = bigEndian ? TUtf16::BigEndian : TUtf16::LittleEndian;
    } else if (mark) {
        format.ByteOrderMark = true;
    } else if (!reader.BeyondAscii()) {
        // Plain ASCII reads the same either way.
        result = TDecodeResult::Bytes;
    }
    if (references)
        *references = referenceCount;
    if (controls)
        *controls = controlCharacters;
    return result;
}

bool DecodeStoredStretch(std::string_view bytes, TDocumentReading::TEncoding encoding, std::string& text)
{
    using TEncoding = TDocumentReading::TEncoding;
    TDocumentFormat format;
    size_t references = 0;
    bool controls = false;
    if (encoding == TEncoding::Utf16LittleEndian || encoding == TEncoding::Utf16BigEndian) {
        std::string utf8;
        std::vector<uint32_t> unused;
        return utf16ToUtf8(bytes, encoding == TEncoding::Utf16BigEndian, utf8, unused, 0) &&
               TStoredTextReader(utf8, true).Read(text, format, references, controls);
    }
    return TStoredTextReader(bytes, encoding == TEncoding::Utf8).Read(text, format, references, controls);
}

namespace {

// EncodeDocument; `atFileStart` when the bytes begin the file read as UTF-8.
std::string encodeDocument(std::string_view text, const TDocumentFormat& format, bool atFileStart)
{
    if (format.Utf16 != TUtf16::None) {
        TDocumentFormat utf8 = format;
        utf8.Utf8 = true;
        utf8.ByteOrderMark = false;
        utf8.Utf16 = TUtf16::None;
        return Utf8ToUtf16(encodeDocument(text, utf8, false), format.Utf16 == TUtf16::BigEndian, format.ByteOrderMark);
    }
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 3);
    if (format.Utf8 && format.ByteOrderMark)
        out += kByteOrderMark;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += format.LineBreak;
            continue;
        }
        char32_t cp = 0;
        const size_t held = c == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
        if (held) {
            // A Windows-1252 file cannot hold the character: it goes as the reference a page reads as
            // it. A leading U+FEFF without a mark before it would read back as the mark: it too.
            if (!format.Utf8 || (cp == kZeroWidthNoBreakSpace && out.empty() && atFileStart))
                out += CharacterReference(cp);
            else
                AppendUtf8(out, cp);
            i += held - 1;
        } else if (format.Utf8) {
            AppendUtf8(out, ShownCharacter(static_cast<unsigned char>(c)));
        } else if (format.Ascii && (c & 0x80)) {
            out += CharacterReference(Win1252ToUnicode(static_cast<unsigned char>(c)));
        } else {
            // A mark that begins no held character is shown as "&", and written so.
            out += c == kHeldCharacterMark ? '&' : c;
        }
    }
    return out;
}

} // namespace

std::string EncodeDocument(std::string_view text, const TDocumentFormat& format)
{
    return encodeDocument(text, format, true);
}
