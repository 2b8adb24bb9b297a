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
        // Windows-1252 that begins with the byte-order mark would read as UTF-8.
        if (!bytes.starts_with(kByteOrderMark))
            return bytes;
    }
    std::string bytes(kByteOrderMark);
    bytes += EditorTextToUtf8(text);
    return bytes;
}
