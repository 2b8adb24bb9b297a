// The program's own files: UTF-8 after its byte-order mark, Windows-1252 otherwise.
#include "platform/core/ProgramFileText.h"

#include <algorithm>

#include "platform/core/CharacterReferences.h"
#include "platform/core/DocumentText.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool holdsHeldCharacter(std::string_view text)
{
    for (size_t at = text.find(kHeldCharacterMark); at != std::string_view::npos;
         at = text.find(kHeldCharacterMark, at + 1)) {
        char32_t cp;
        if (ReadHeldCharacter(text, at, cp))
            return true;
    }
    return false;
}

// Bytes without the byte-order mark that an earlier version wrote in UTF-8: it turned to UTF-8 only for
// a text holding a character Windows-1252 lacks, and wrote no mark. Well-formed UTF-8 that spells such a
// character (but a U+FEFF, which a Windows-1252 "ï»¿" spells too) is taken for that; Windows-1252 text
// rarely is well-formed UTF-8, and then almost only as letters Windows-1252 has ("Ã©" spells "é").
bool earlierUtf8(std::string_view bytes, std::string* text = nullptr)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) ||
        !IsValidUtf8(bytes))
        return false;
    std::string read = Utf8ToEditorText(bytes);
    bool lacking = false;
    for (size_t at = read.find(kHeldCharacterMark); at != std::string::npos && !lacking;
         at = read.find(kHeldCharacterMark, at + 1)) {
        char32_t cp;
        lacking = ReadHeldCharacter(read, at, cp) && cp != 0xFEFF;
    }
    if (lacking && text)
        *text = std::move(read);
    return lacking;
}

} // namespace

std::string ProgramFileText(std::string_view bytes, bool* utf8)
{
    // Only the mark says UTF-8: bytes that merely happen to be well-formed UTF-8 are an earlier
    // version's Windows-1252. Marked bytes that are not well-formed were not written so: Windows-1252.
    const bool unicode = bytes.starts_with(kByteOrderMark) && IsValidUtf8(bytes.substr(kByteOrderMark.size()));
    if (utf8)
        *utf8 = unicode;
    if (unicode)
        return Utf8ToEditorText(bytes.substr(kByteOrderMark.size()));
    if (std::string text; earlierUtf8(bytes, &text)) {
        // Written again with the mark, so that it is never guessed at again.
        if (utf8)
            *utf8 = true;
        return text;
    }
    // The file's own 0x1F is a control character, never the mark of a held character: "." as the
    // editor shows it.
    std::string text(bytes);
    std::replace(text.begin(), text.end(), kHeldCharacterMark, '.');
    return text;
}

std::string ProgramFileBytes(std::string_view text, bool utf8)
{
    if (!utf8 && !holdsHeldCharacter(text)) {
        // A mark that begins no held character goes as the "&" it shows as.
        std::string bytes = HeldCharactersAsReferences(text);
        // Windows-1252 that begins with the byte-order mark, or that an earlier version's UTF-8
        // would be taken for, would read as UTF-8.
        if (!bytes.starts_with(kByteOrderMark) && !earlierUtf8(bytes))
            return bytes;
    }
    std::string bytes(kByteOrderMark);
    bytes += EditorTextToUtf8(text);
    return bytes;
}
