// The bytes of a document file against the editor's Windows-1252 text: UTF-8 detection and conversion, and line breaks.
#include "platform/core/DocumentText.h"

#include <algorithm>

#include "platform/core/Win1252.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

std::string lineBreakOf(std::string_view bytes)
{
    const size_t at = bytes.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (bytes[at] == '\n')
        return "\n";
    return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? "\r\n" : "\r";
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

TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format)
{
    format = TDocumentFormat{};
    format.LineBreak = lineBreakOf(bytes);
    const bool mark = bytes.starts_with(kByteOrderMark);
    const std::string_view body = mark ? bytes.substr(kByteOrderMark.size()) : bytes;
    const bool ascii = std::none_of(body.begin(), body.end(), [](char c) { return (c & 0x80) != 0; });
    // Plain ASCII reads the same either way; a mark alone still says how to write the file.
    if ((ascii && !mark) || !IsValidUtf8(body)) {
        text.assign(bytes);
        return TDecodeResult::Bytes;
    }
    std::string converted;
    converted.reserve(body.size());
    size_t pos = 0;
    char32_t cp;
    while (pos < body.size()) {
        nextCodePoint(body, pos, cp);
        char byte;
        if (!CharToWin1252(cp, byte)) {
            text.assign(bytes);
            return TDecodeResult::Unfitting;
        }
        converted += byte;
    }
    text = std::move(converted);
    format.Utf8 = true;
    format.ByteOrderMark = mark;
    return TDecodeResult::Converted;
}

std::string EncodeDocument(std::string_view text, const TDocumentFormat& format)
{
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
        } else if (format.Utf8) {
            AppendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(c)));
        } else {
            out += c;
        }
    }
    return out;
}
