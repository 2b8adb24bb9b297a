// The bytes of a document file against the editor's Windows-1252 text: UTF-8 detection and conversion, and line breaks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"

// How a document's file was written, so that saving writes it the same way.
struct TDocumentFormat {
    // The file is UTF-8 (every character converted to one Windows-1252 byte when read). A new
    // document is written in UTF-8, the encoding of this platform's files, unless it is a page that
    // declares another character set.
    bool Utf8 = true;
    // The UTF-8 file began with a byte-order mark (a UTF-16 file always does).
    bool ByteOrderMark = false;
    // The file is UTF-16 in this byte order, with its byte-order mark (Utf8 is then false).
    enum class TUtf16 { None, LittleEndian, BigEndian } Utf16 = TUtf16::None;
    // The file is written in ASCII alone (Utf8 is then false): each character beyond it, of
    // Windows-1252 or held, as its numeric reference "&#N;", which reads as the character in a page
    // whatever character set the reader takes it to be in. Only writing chooses it: such a file reads
    // back as plain ASCII, the references as typed.
    bool Ascii = false;
    // The file's line break: the kind most of its breaks are (the first of equal counts); CR LF for a
    // file without any.
    std::string LineBreak = "\r\n";
    bool operator==(const TDocumentFormat&) const = default;
};

enum class TDecodeResult {
    // The text is the file's bytes as they are: Windows-1252, or nothing beyond ASCII (which is
    // written as UTF-8 once it holds more, or as the character set a page declares).
    Bytes,
    // The file was UTF-8 (or UTF-16 with its byte-order mark): the text is converted, each character
    // Windows-1252 lacks held (HeldCharacter).
    Converted,
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
// The file's bytes as editor text. The text keeps the file's line breaks; `format` says how to write
// the text back. With `offsets`, it receives for each character of the text the offset of the bytes
// it was read from (every character of a held character that of its character), and the bytes'
// length after the last. With `references`, the number of characters held.
TDecodeResult DecodeDocument(std::string_view bytes, std::string& text, TDocumentFormat& format,
                             std::vector<uint32_t>* offsets = nullptr, size_t* references = nullptr);
// The encoding DecodeDocument reads a file's bytes in, chosen from the bytes alone: UTF-16 after its
// byte-order mark when its characters are well-formed, UTF-8 when the bytes after any UTF-8
// byte-order mark are well-formed and hold a character beyond ASCII or follow the mark, otherwise
// the bytes as they are.
struct TDocumentReading {
    enum class TEncoding { Bytes, Utf8, Utf16LittleEndian, Utf16BigEndian };
    TEncoding Encoding = TEncoding::Bytes;
    // Where the characters start: after the byte-order mark that chose the encoding.
    size_t BodyStart = 0;
    // Nothing after any UTF-8 byte-order mark lies beyond ASCII (for a UTF-8 or 8-bit reading).
    bool Ascii = false;
    bool operator==(const TDocumentReading&) const = default;
};
TDocumentReading DocumentReadingOf(std::string_view bytes);
// DecodeDocument's text of `bytes`, a stretch of a file's characters anywhere after its byte-order
// mark, read in `encoding` without looking at them for another (a UTF-8 file's U+FEFF in the middle
// is a character). `offsets` as for DecodeDocument, from the stretch's start. False when the bytes
// are not well-formed in the encoding.
bool DecodeDocumentStretch(std::string_view bytes, TDocumentReading::TEncoding encoding, std::string& text,
                           std::vector<uint32_t>* offsets = nullptr);
// DecodeDocument, with the text in the form the editor's line store keeps it: each line break
// (CR, LF, CR LF or LF CR) one CR, every other character below 32 but TAB "." (the text's last
// character excepted, which keeps its code unless it is NUL or the mark of a held character). One
// pass over the bytes. `controls` receives whether the decoded text held control characters
// (HoldsControlCharacters).
TDecodeResult DecodeStoredText(std::string_view bytes, std::string& text, TDocumentFormat& format,
                               size_t* references = nullptr, bool* controls = nullptr);
// DecodeDocumentStretch in the line store's form, in one pass as DecodeStoredText reads.
bool DecodeStoredStretch(std::string_view bytes, TDocumentReading::TEncoding encoding, std::string& text);
// True when the bytes hold a character below 32 other than TAB, LF and CR (NUL, form feed, ESC...):
// the editor shows each as ".", so an edit across one would lose it.
bool HoldsControlCharacters(std::string_view bytes);
// HoldsControlCharacters of the characters of a file's bytes read in `format`: the bytes themselves in a
// UTF-8 or Windows-1252 file, whose control characters are their own bytes, those of a UTF-16 file's
// characters (its text cannot tell: a 0x1F reads as ".", and the marks of held characters are none).
bool FileHoldsControlCharacters(std::string_view bytes, const TDocumentFormat& format);
// UTF-8 as UTF-16 in the given byte order, after its byte-order mark when `mark` (a malformed byte
// stands for the character of its value).
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian, bool mark);
// The editor's text (line breaks CR, LF or CR LF) as the file's bytes in `format`; each line break
// becomes the format's one, and each held character the character in a UTF-8 or UTF-16 file, its
// reference "&#N;" in a Windows-1252 one. A reference typed as such stays as typed. In the ASCII
// format every character beyond ASCII is written as its reference.
std::string EncodeDocument(std::string_view text, const TDocumentFormat& format);
