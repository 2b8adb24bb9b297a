// The bytes of a document file against the editor's Windows-1252 text: UTF-8 detection and conversion, and line breaks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a document's file was written, so that saving writes it the same way.
struct TDocumentFormat {
    // The file is UTF-8 (every character converted to one Windows-1252 byte when read). A new
    // document is written in UTF-8, the encoding of this platform's files.
    bool Utf8 = true;
    // The UTF-8 file began with a byte-order mark.
    bool ByteOrderMark = false;
    // The file's line break: the kind most of its breaks are (the first of equal counts); CR LF for a
    // file without any.
    std::string LineBreak = "\r\n";
    bool operator==(const TDocumentFormat&) const = default;
};

enum class TDecodeResult {
    // The text is the file's bytes as they are: Windows-1252, or nothing beyond ASCII (which is
    // written as UTF-8 once it holds more).
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
// the text back. With `offsets`, it receives for each character of the text the offset of the bytes
// it was read from, and the bytes' length after the last.
TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format,
                             std::vector<uint32_t>* offsets = nullptr);
// True when the bytes hold a character below 32 other than TAB, LF and CR (NUL, form feed, ESC...):
// the editor shows each as ".", so an edit across one would lose it.
bool HoldsControlCharacters(std::string_view bytes);
// The editor's text (line breaks CR, LF or CR LF) as the file's bytes in `format`; each line break
// becomes the format's one.
std::string EncodeDocument(std::string_view text, const TDocumentFormat& format);
