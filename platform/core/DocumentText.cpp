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

// The kind of line break most of the file's breaks are, pairing CR LF and LF CR as the editor does;
// the first kind to reach the highest count wins a tie. LF CR pairs are not a kind to write new lines
// with: one ending a text would read back as two breaks.
std::string lineBreakOf(std::string_view bytes)
{
    const char* kinds[] = {"\r\n", "\n", "\r"};
    size_t counts[3] = {};
    int best = -1;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        const bool pair = i + 1 < bytes.size() && (bytes[i + 1] == '\r' || bytes[i + 1] == '\n') && bytes[i + 1] != c;
        if (pair)
            ++i;
        if (pair && c == '\n')
            continue;
        const int kind = pair ? 0 : (c == '\n' ? 1 : 2);
        ++counts[kind];
        if (best < 0 || counts[kind] > counts[best])
            best = kind;
    }
    return best < 0 ? "\r\n" : kinds[best];
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

bool HoldsControlCharacters(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\r' && c != '\n';
    });
}

TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format,
                             std::vector<uint32_t>* offsets)
{
    format = TDocumentFormat{};
    format.LineBreak = lineBreakOf(bytes);
    const bool mark = bytes.starts_with(kByteOrderMark);
    const std::string_view body = mark ? bytes.substr(kByteOrderMark.size()) : bytes;
    const bool ascii = std::none_of(body.begin(), body.end(), [](char c) { return (c & 0x80) != 0; });
    const auto asTheyAre = [&] {
        text.assign(bytes);
        if (offsets) {
            offsets->resize(bytes.size() + 1);
            for (size_t i = 0; i <= bytes.size(); ++i)
                (*offsets)[i] = static_cast<uint32_t>(i);
        }
    };
    // Plain ASCII reads the same either way; a mark alone still says how to write the file.
    if (ascii && !mark) {
        asTheyAre();
        return TDecodeResult::Bytes;
    }
    if (!IsValidUtf8(body)) {
        asTheyAre();
        format.Utf8 = false;
        return TDecodeResult::Bytes;
    }
    std::string converted;
    converted.reserve(body.size());
    if (offsets)
        offsets->clear();
    size_t pos = 0;
    char32_t cp;
    while (pos < body.size()) {
        const size_t start = pos;
        nextCodePoint(body, pos, cp);
        char byte;
        if (!CharToWin1252(cp, byte)) {
            asTheyAre();
            format.Utf8 = false;
            return TDecodeResult::Unfitting;
        }
        converted += byte;
        if (offsets)
            offsets->push_back(static_cast<uint32_t>(start + (mark ? kByteOrderMark.size() : 0)));
    }
    if (offsets)
        offsets->push_back(static_cast<uint32_t>(bytes.size()));
    text = std::move(converted);
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
