// How a browser reads a page's bytes: in the character set its first <meta> declares (Windows-1252 where it declares none), its character references resolved.
#pragma once

#include <regex>
#include <string>
#include <string_view>
#include <utility>

#include "platform/core/Win1252.h"

// The character set the page's first declaration names, in lower case ("" when none).
inline std::string BrowserDeclaredCharset(const std::string& bytes)
{
    static const std::regex declaration(R"(<meta[^>]*charset\s*=\s*["']?([-_.:A-Za-z0-9]+))", std::regex::icase);
    std::smatch found;
    if (!std::regex_search(bytes, found, declaration))
        return {};
    std::string name = found[1];
    for (char& c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

// True when the bytes hold a sequence of UTF-8 beyond ASCII: a lead byte followed by the
// continuation bytes it asks for.
inline bool HoldsUtf8Sequence(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t more = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
        if (!more || i + more >= bytes.size())
            continue;
        bool continued = true;
        for (size_t k = 1; k <= more; ++k)
            continued = continued && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (continued)
            return true;
    }
    return false;
}

// The page's characters (UTF-8) as a browser shows them: the bytes decoded as UTF-8 when the page
// declares "utf-8" (or `utf8` says so of a page that declares nothing), else as Windows-1252, which
// browsers read "iso-8859-1", "latin1" and "us-ascii" as; then "&#N;", "&#xH;" and the named
// references of the characters these tests type become their characters.
inline std::string BrowserPageText(const std::string& bytes, bool utf8 = false)
{
    const std::string charset = BrowserDeclaredCharset(bytes);
    if (charset == "utf-8")
        utf8 = true;
    else if (!charset.empty())
        utf8 = false;
    std::u32string characters;
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t length = utf8 ? DecodeUtf8(bytes, i, cp) : 1;
        if (!utf8 || (static_cast<unsigned char>(bytes[i]) < 0x80)) {
            cp = Win1252ToUnicode(static_cast<unsigned char>(bytes[i]));
            i += 1;
        } else {
            if (!length)
                return "(not UTF-8)";
            i += length;
        }
        characters += cp;
    }
    static const std::pair<std::u32string_view, char32_t> named[] = {
        {U"ntilde", U'ñ'}, {U"Ntilde", U'Ñ'}, {U"aacute", U'á'}, {U"eacute", U'é'}, {U"iacute", U'í'},
        {U"oacute", U'ó'}, {U"uacute", U'ú'}, {U"iexcl", U'¡'}, {U"iquest", U'¿'}, {U"euro", U'€'},
        {U"mdash", U'—'}, {U"hellip", U'…'}, {U"ldquo", U'“'}, {U"rdquo", U'”'}, {U"amp", U'&'},
        {U"lt", U'<'}, {U"gt", U'>'}, {U"quot", U'"'}};
    std::string out;
    for (size_t i = 0; i < characters.size(); ++i) {
        char32_t cp = characters[i];
        const size_t semicolon = characters.find(U';', i);
        if (cp == U'&' && semicolon != std::u32string::npos && semicolon - i <= 10) {
            const std::u32string_view body = std::u32string_view(characters).substr(i + 1, semicolon - i - 1);
            const bool hex = body.size() > 2 && body[0] == U'#' && (body[1] == U'x' || body[1] == U'X');
            const bool decimal = !hex && body.size() > 1 && body[0] == U'#';
            char32_t number = 0;
            bool digits = hex || decimal;
            for (size_t k = hex ? 2 : 1; digits && k < body.size(); ++k) {
                const char32_t c = body[k];
                const int digit = c >= U'0' && c <= U'9' ? static_cast<int>(c - U'0')
                                  : hex && c >= U'a' && c <= U'f' ? static_cast<int>(c - U'a' + 10)
                                  : hex && c >= U'A' && c <= U'F' ? static_cast<int>(c - U'A' + 10) : -1;
                digits = digit >= 0;
                number = number * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
            bool resolved = digits;
            if (digits)
                // References to 0x80-0x9F stand for Windows-1252's characters there.
                cp = number >= 0x80 && number <= 0x9F ? Win1252ToUnicode(static_cast<unsigned char>(number)) : number;
            for (const auto& [name, character] : named)
                if (body == name) {
                    cp = character;
                    resolved = true;
                }
            if (resolved)
                i = semicolon;
        }
        AppendUtf8(out, cp);
    }
    return out;
}
