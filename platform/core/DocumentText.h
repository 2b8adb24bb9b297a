// The bytes of a document file against the editor's Windows-1252 text: UTF-8 detection and conversion, and line breaks.
#pragma once

#include <string>
#include <string_view>

// How a document's file was written, so that saving writes it the same way.
struct TDocumentFormat {
    // The file is UTF-8 (every character converted to one Windows-1252 byte when read).
    bool Utf8 = false;
    // The UTF-8 file began with a byte-order mark.
    bool ByteOrderMark = false;
    // The file's line break: the first one it holds; CR LF for a file without any.
    std::string LineBreak = "\r\n";
    bool operator==(const TDocumentFormat&) const = default;
};

enum class TDecodeResult {
    // The text is the file's bytes as they are (no UTF-8, or nothing beyond ASCII).
    Bytes,
    // The file was UTF-8 and every character has a Windows-1252 byte: the text is converted.
    Converted,
    // The file is UTF-8 with characters Windows-1252 lacks: the text is the file's bytes as they are,
    // which only read-only display keeps intact.
    Unfitting,
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
// The file's bytes as editor text. The text keeps the file's line breaks; `format` says how to write
// the text back.
TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format);
// The editor's text (line breaks CR, LF or CR LF) as the file's bytes in `format`; each line break
// becomes the format's one.
std::string EncodeDocument(std::string_view text, const TDocumentFormat& format);
