// How a browser reads a local file's address out of a tag of a Windows-1252 page: the attribute's value, its character references, then the address's own escapes.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/SysUtils.h"
#include "platform/core/Win1252.h"

// The value of attribute `name` (matched without case) of the first tag in `code` that has it, as
// written between its quotes, or up to a blank or ">" when unquoted; "" when no tag has it.
inline std::string AttributeValueIn(std::string_view code, std::string_view name)
{
    const std::string folded = AsciiLowerCase(code);
    const std::string wanted = std::string(1, ' ').append(AsciiLowerCase(name)).append(1, '=');
    size_t at = folded.find(wanted);
    if (at == std::string::npos)
        return {};
    at += wanted.size();
    if (at < code.size() && (code[at] == '"' || code[at] == '\'')) {
        const size_t end = code.find(code[at], at + 1);
        return std::string(code.substr(at + 1, end == std::string_view::npos ? end : end - at - 1));
    }
    const size_t end = code.find_first_of(" >", at);
    return std::string(code.substr(at, end == std::string_view::npos ? end : end - at));
}

// The file name (UTF-8) a browser reaches through an attribute's value on a Windows-1252 page: the
// value's characters first (each byte its Windows-1252 character, "&#N;", "&#xH;" and the named
// references every page may use as their characters), then the address those characters spell: it
// ends at "#" or "?", "\" is "/", and "%XX" is the byte XX of the name's UTF-8.
inline std::string BrowserAddressPath(std::string_view value)
{
    std::string characters;
    for (size_t i = 0; i < value.size();) {
        char32_t cp = Win1252ToUnicode(static_cast<unsigned char>(value[i]));
        size_t length = 1;
        const size_t semicolon = value.find(';', i);
        if (value[i] == '&' && semicolon != std::string_view::npos && semicolon - i <= 10) {
            const std::string_view body = value.substr(i + 1, semicolon - i - 1);
            char32_t number = 0;
            bool digits = body.size() > 1 && body[0] == '#';
            const bool hex = digits && (body[1] == 'x' || body[1] == 'X');
            for (size_t k = hex ? 2 : 1; digits && k < body.size(); ++k) {
                const int digit = hex ? HexDigitValue(body[k]) : body[k] >= '0' && body[k] <= '9' ? body[k] - '0' : -1;
                digits = digit >= 0;
                number = number * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
            if (digits && body.size() > (hex ? 2u : 1u)) {
                cp = number;
                length = semicolon + 1 - i;
            }
            for (const auto& [named, character] : {std::pair<std::string_view, char32_t>{"amp", '&'}, {"lt", '<'},
                                                   {"gt", '>'}, {"quot", '"'}, {"apos", '\''}})
                if (body == named) {
                    cp = character;
                    length = semicolon + 1 - i;
                }
        }
        AppendUtf8(characters, cp);
        i += length;
    }
    std::string bytes;
    for (size_t i = 0; i < characters.size(); ++i) {
        const char c = characters[i];
        if (c == '#' || c == '?')
            break;
        if (c == '%' && i + 2 < characters.size() && HexDigitValue(characters[i + 1]) >= 0 &&
            HexDigitValue(characters[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigitValue(characters[i + 1]) * 16 + HexDigitValue(characters[i + 2]));
            i += 2;
        } else {
            bytes += c == '\\' ? '/' : c;
        }
    }
    return bytes;
}
