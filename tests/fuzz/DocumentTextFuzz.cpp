// libFuzzer target: a document file's untrusted bytes decoded to editor text and written back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/core/DocumentText.h"

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
    return 0;
}
