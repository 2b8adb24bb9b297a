// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#include "platform/core/CharacterReferences.h"

#include <algorithm>
#include <cctype>

#include "platform/core/SysUtils.h"
#include "platform/core/Win1252.h"

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

} // namespace

std::string CharacterReference(char32_t cp)
{
    return "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
}

namespace {

// The length of the reference "<lead>#N;" at text[pos] (no leading zero, a code point up to
// U+10FFFF) with its code point in `cp`; 0 when none starts there.
size_t readReference(std::string_view text, size_t pos, char lead, char32_t& cp)
{
    if (pos + 1 >= text.size() || text[pos] != lead || text[pos + 1] != '#')
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

} // namespace

size_t ReadCharacterReference(std::string_view text, size_t pos, char32_t& cp)
{
    return readReference(text, pos, '&', cp);
}

std::string HeldCharacter(char32_t cp)
{
    std::string held = CharacterReference(cp);
    held[0] = kHeldCharacterMark;
    return held;
}

size_t ReadHeldCharacter(std::string_view text, size_t pos, char32_t& cp)
{
    // Only a character Windows-1252 lacks is held, and only one a Unicode file can hold: an edit of
    // the digits may leave another number after the mark, a control character's (U+001F's too) among
    // them, which the text holds as the reference typed so.
    char32_t read;
    const size_t length = readReference(text, pos, kHeldCharacterMark, read);
    char byte;
    if (!length || (read >= 0xD800 && read <= 0xDFFF) || CharToWin1252(read, byte))
        return 0;
    cp = read;
    return length;
}

size_t HeldCharacterAround(std::string_view text, size_t at)
{
    if (at >= text.size())
        return std::string_view::npos;
    // A held character holds no mark but its first byte, so only the nearest mark before `at` can
    // begin one around it.
    const size_t from = at > kLongestHeldCharacter ? at - kLongestHeldCharacter : 0;
    const size_t mark = text.substr(from, at - from).rfind(kHeldCharacterMark);
    if (mark == std::string_view::npos)
        return std::string_view::npos;
    char32_t cp;
    const size_t length = ReadHeldCharacter(text, from + mark, cp);
    return length && from + mark + length > at ? from + mark : std::string_view::npos;
}

size_t CutBesideHeldCharacter(std::string_view text, size_t from, size_t at)
{
    const size_t held = HeldCharacterAround(text, at);
    if (held == std::string_view::npos)
        return at;
    if (held > from)
        return held;
    char32_t cp;
    return held + ReadHeldCharacter(text, held, cp);
}

void ReplaceStrayMarks(std::string& text, char with)
{
    char32_t cp;
    for (size_t at = text.find(kHeldCharacterMark); at != std::string::npos; at = text.find(kHeldCharacterMark, at + 1))
        if (const size_t held = ReadHeldCharacter(text, at, cp))
            at += held - 1;
        else
            text[at] = with;
}

std::string HeldCharactersAsReferences(std::string_view text)
{
    // A mark that begins no held character is shown, and written, as "&" too.
    std::string out(text);
    std::replace(out.begin(), out.end(), kHeldCharacterMark, '&');
    return out;
}

namespace {

// UTF-8 as editor text, each character Windows-1252 lacks as `held` gives it (its code point), each
// byte that starts no character as `malformed` writes it, and U+001F, whose byte is the mark of a
// held character, as `control` writes it.
template <typename Held, typename Malformed, typename Control>
std::string utf8ToEditorText(std::string_view utf8, Held held, Malformed malformed, Control control)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            // U+001F is no byte of the editor's text: that byte is the mark of a held character.
            if (lead == kHeldCharacterMarkByte)
                control(out, lead);
            else
                out += static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t cp;
        const size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            malformed(out, lead);
            ++i;
            continue;
        }
        i += length;
        char byte;
        if (CharToWin1252(cp, byte)) {
            out += byte;
        } else {
            out += held(cp);
        }
    }
    return out;
}

} // namespace

std::string Utf8ToEditorText(std::string_view utf8)
{
    // U+001F is a control character like the others, which the line store takes as ".".
    return utf8ToEditorText(
        utf8, HeldCharacter, [](std::string& out, unsigned char) { out += '?'; },
        [](std::string& out, unsigned char) { out += '.'; });
}

std::string FilePathText(std::string_view path)
{
    const auto reference = [](std::string& out, unsigned char byte) { out += CharacterReference(byte); };
    return utf8ToEditorText(
        path, CharacterReference,
        [](std::string& out, unsigned char) { out += CharacterReference(kReplacementCharacter); }, reference);
}

namespace {

void appendAddressEscape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

} // namespace

std::string FilePathPageText(std::string_view path)
{
    // A control character in a name is escaped too, so that the address still leads to it.
    return utf8ToEditorText(path, HeldCharacter, appendAddressEscape, appendAddressEscape);
}

std::string FilePathPageAddress(std::string_view path)
{
    // What a browser reads as something else in an address: "%" starts an escape, "#" a fragment, "?"
    // a query, "\" is "/", "&" starts a character reference of the page's text, '"' would end the
    // attribute that holds the address, and "<" and ">" make it no address at all to a checker, and
    // a tag of the page where a later edit splits the attribute. Each is ASCII, so the stretches
    // between them are whole UTF-8 characters and malformed bytes alike.
    static constexpr std::string_view kReadOtherwise = "%#?\\&\"<>";
    std::string address;
    address.reserve(path.size());
    size_t from = 0;
    for (size_t at = path.find_first_of(kReadOtherwise); at != std::string_view::npos;
         at = path.find_first_of(kReadOtherwise, from)) {
        address += FilePathPageText(path.substr(from, at - from));
        appendAddressEscape(address, static_cast<unsigned char>(path[at]));
        from = at + 1;
    }
    address += FilePathPageText(path.substr(from));
    return address;
}

namespace {

// Names of references are letters and digits; none the program knows is longer than this.
constexpr size_t kLongestReferenceName = 32;

// The length of the named reference at text[at] (an "&") that `named` knows, its character in `cp`;
// 0 when none stands there.
size_t namedReferenceAt(std::string_view text, size_t at, const TNamedReferences& named, char32_t& cp)
{
    size_t end = at + 1;
    while (end < text.size() && end - at <= kLongestReferenceName &&
           std::isalnum(static_cast<unsigned char>(text[end])))
        ++end;
    char character;
    if (end == at + 1 || end >= text.size() || text[end] != ';' || !named(text.substr(at, end + 1 - at), character))
        return 0;
    cp = Win1252ToUnicode(static_cast<unsigned char>(character));
    return end + 1 - at;
}

} // namespace

std::string PageReferencePath(std::string_view reference, const TNamedReferences& named)
{
    // Characters first, as a browser reads the attribute: each byte its Windows-1252 character, each
    // numeric reference ("&#N;", "&#xH;") the character it names, and so each named one the table knows.
    std::string characters;
    characters.reserve(reference.size());
    for (size_t i = 0; i < reference.size();) {
        char32_t cp = 0;
        size_t length = 0;
        const bool amp = reference[i] == '&' || reference[i] == kHeldCharacterMark;
        if (amp && i + 2 < reference.size() && reference[i + 1] == '#') {
            const bool hex = reference[i + 2] == 'x' || reference[i + 2] == 'X';
            size_t k = i + (hex ? 3 : 2);
            const size_t digitsStart = k;
            while (k < reference.size() && k - digitsStart < 8 &&
                   (hex ? HexDigitValue(reference[k]) >= 0 : reference[k] >= '0' && reference[k] <= '9')) {
                cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(HexDigitValue(reference[k]));
                ++k;
            }
            if (k > digitsStart && k < reference.size() && reference[k] == ';' && cp > 0 && cp <= 0x10FFFF &&
                !(cp >= 0xD800 && cp <= 0xDFFF))
                length = k + 1 - i;
        } else if (reference[i] == '&' && named) {
            length = namedReferenceAt(reference, i, named, cp);
        }
        if (length == 0) {
            cp = ShownCharacter(static_cast<unsigned char>(reference[i]));
            length = 1;
        }
        AppendUtf8(characters, cp);
        i += length;
    }
    // Then the address: it ends where a fragment ("#") or a query ("?") begins, "\" separates folders
    // as "/" does (only "%5C" is a name's own "\"), and "%XX" stands for the byte XX of the name's UTF-8.
    characters.resize(std::min(characters.find_first_of("#?"), characters.size()));
    std::replace(characters.begin(), characters.end(), '\\', '/');
    return DecodeAddressEscapes(characters);
}

std::string DecodeAddressEscapes(std::string_view address)
{
    std::string bytes;
    bytes.reserve(address.size());
    for (size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size() && HexDigitValue(address[i + 1]) >= 0 &&
            HexDigitValue(address[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigitValue(address[i + 1]) * 16 + HexDigitValue(address[i + 2]));
            i += 2;
        } else {
            bytes += address[i];
        }
    }
    return bytes;
}

std::string EditorTextToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        const size_t length = text[i] == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
        if (length) {
            AppendUtf8(out, cp);
            i += length;
        } else {
            AppendUtf8(out, ShownCharacter(static_cast<unsigned char>(text[i++])));
        }
    }
    return out;
}
