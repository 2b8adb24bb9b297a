// libFuzzer target: a document file's untrusted bytes decoded to editor text and written back, also as a file of the program's own.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DocumentText.h"
#include "platform/core/ProgramFileText.h"

#include "FuzzCheck.h"

namespace {

// The text as the editor stores it: each line break one CR.
std::string stored(std::string_view text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        result += text[i] == '\n' ? '\r' : text[i];
    }
    return result;
}

// The editor's text as a file of the program's own reads back once written: a mark that begins no
// held character as "&", and so a held U+001F, which is written as its reference.
std::string asWritten(std::string text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = 0;
        const size_t held = text[i] == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
        if (held && cp != 0x1F)
            i += held - 1;
        else if (text[i] == kHeldCharacterMark)
            text[i] = '&';
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string text;
    TDocumentFormat format;
    const TDecodeResult result = DecodeDocument(bytes, text, format);
    // Only plain ASCII read as it is is written as UTF-8 once it holds more.
    const bool ascii = std::none_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    const bool unicode = format.Utf8 || format.Utf16 != TDocumentFormat::TUtf16::None;
    // Read as they are, but for the byte that marks a held character, which reads as ".".
    std::string asTheyAre(bytes);
    std::replace(asTheyAre.begin(), asTheyAre.end(), kHeldCharacterMark, '.');
    check(result == TDecodeResult::Converted ? unicode : text == asTheyAre && format.Utf8 == ascii);
    // The reading the bytes choose, applied to their characters alone, gives the same text, from the
    // same offsets; in the line store's form, the text one pass reads.
    {
        const TDocumentReading reading = DocumentReadingOf(bytes);
        std::string body, whole, storedBody, storedWhole;
        std::vector<uint32_t> bodyOffsets, wholeOffsets;
        DecodeDocument(bytes, whole, format, &wholeOffsets);
        check(DecodeDocumentStretch(bytes.substr(reading.BodyStart), reading.Encoding, body, &bodyOffsets));
        check(body == whole && bodyOffsets.size() == wholeOffsets.size());
        for (size_t i = 0; i < bodyOffsets.size(); ++i)
            check(bodyOffsets[i] + reading.BodyStart == wholeOffsets[i]);
        check(DecodeStoredStretch(bytes.substr(reading.BodyStart), reading.Encoding, storedBody));
        TDocumentFormat storedFormat;
        DecodeStoredText(bytes, storedWhole, storedFormat);
        check(storedBody == storedWhole);
    }
    // A reference "&#N;" takes at most four characters for each byte of its character.
    check(text.size() <= 4 * size);
    const std::string written = EncodeDocument(stored(text), format);
    // Decoding what was written gives the same text and format: a second save changes nothing.
    std::string again;
    TDocumentFormat againFormat;
    const TDecodeResult second = DecodeDocument(written, again, againFormat);
    if (result == TDecodeResult::Converted)
        check(second == result);
    check(EncodeDocument(stored(again), againFormat) == written);

    // The same bytes as a file of the program's own: written back, it never holds the mark and reads
    // as the same text.
    bool utf8 = false;
    const std::string own = ProgramFileText(bytes, &utf8);
    const std::string ownBytes = ProgramFileBytes(own, utf8);
    check(ownBytes.find(kHeldCharacterMark) == std::string::npos);
    check(ProgramFileText(ownBytes) == asWritten(own));
    // Written in UTF-8 only after the byte-order mark; bytes read as UTF-8 have it, or are
    // well-formed (an earlier version's UTF-8).
    if (utf8)
        check(bytes.starts_with("\xEF\xBB\xBF") ? IsValidUtf8(bytes.substr(3)) : IsValidUtf8(bytes));
    bool ownUtf8 = false;
    ProgramFileText(ownBytes, &ownUtf8);
    check(ownUtf8 == ownBytes.starts_with("\xEF\xBB\xBF"));
    // Other bytes are an earlier version's Windows-1252, read byte for byte (its own 0x1F the "." of
    // a control character) and written back unchanged when they hold no 0x1F.
    if (!utf8) {
        std::string asBytes(bytes);
        std::replace(asBytes.begin(), asBytes.end(), kHeldCharacterMark, '.');
        check(own == asBytes);
        if (bytes.find(kHeldCharacterMark) == std::string_view::npos && !bytes.starts_with("\xEF\xBB\xBF"))
            check(ownBytes == bytes);
    }
    return 0;
}
