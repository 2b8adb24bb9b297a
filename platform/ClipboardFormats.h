// Clipboard formats by the numbers the editor knows them by, carried in Qt's MIME data; the clipboard and drag and drop share this one mapping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;
class QString;

using TClipFormat = unsigned;

constexpr TClipFormat CF_TEXT = 1;
constexpr TClipFormat CF_UNICODETEXT = 13;
constexpr TClipFormat CF_HDROP = 15;

// The number of a named format, from 0xC000 on; a name gives the same number every time.
TClipFormat RegisterClipboardFormat(std::string_view name);
// The two named formats the editor exchanges.
TClipFormat RtfClipboardFormat();  // "Rich Text Format"
TClipFormat HtmlClipboardFormat(); // "HTML Format"

// The MIME type that carries a format: text as text/plain, "Rich Text Format" as text/rtf, "HTML
// Format" as text/html, file lists as text/uri-list, any other named format under a type of its own.
QString MimeTypeOfFormat(TClipFormat format);

bool IsFormatAvailable(const QMimeData* data, TClipFormat format);
// The format's bytes: text and HTML as editor text (a character Windows-1252 lacks held, HeldCharacter),
// the others as they are carried. Empty when the format is missing.
std::string GetFormatData(const QMimeData* data, TClipFormat format);
// Adds the format's bytes (text and HTML in Windows-1252) to `data` beside the formats it holds; a
// held character goes as the character, and in text and HTML every line break (CR LF, CR or LF) as
// LF, the platform's.
void SetFormatData(QMimeData& data, TClipFormat format, std::string_view bytes);
