// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#include "platform/core/CharacterReferences.h"

#include "platform/core/Win1252.h"

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

} // namespace

std::string CharacterReference(char32_t cp)
{
    return "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
}

size_t ReadCharacterReference(std::string_view text, size_t pos, char32_t& cp)
{
    if (text.substr(pos, 2) != "&#")
        return 0;
    size_t at = pos + 2;
    if (at >= text.size() || text[at] < '1' || text[at] > '9')
        return 0;
    char32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<char32_t>(text[at] - '0');
        if (value > kLastCodePoint)
            return 0;
    }
    if (at >= text.size() || text[at] != ';')
        return 0;
    cp = value;
    return at + 1 - pos;
}

std::string Utf8ToEditorText(std::string_view utf8, TCharacterReferences* references)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t cp;
        const size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += length;
        char byte;
        if (CharToWin1252(cp, byte)) {
            out += byte;
        } else {
            if (references)
                references->Remember(cp);
            out += CharacterReference(cp);
        }
    }
    return out;
}

std::string EditorTextToUtf8(std::string_view text, const TCharacterReferences* references)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        const size_t length = references && text[i] == '&' ? ReadCharacterReference(text, i, cp) : 0;
        if (length && references->IsRemembered(cp)) {
            AppendUtf8(out, cp);
            i += length;
        } else {
            AppendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(text[i++])));
        }
    }
    return out;
}
