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

void TCharacterReferences::AddPlace(size_t at, size_t length)
{
    const TPlace place{static_cast<uint32_t>(at), static_cast<uint32_t>(length)};
    // Places mostly come in order: as a file is read, or typed one after the other.
    if (FPlaces.empty() || FPlaces.back().At < place.At) {
        FPlaces.push_back(place);
        return;
    }
    const auto where = std::lower_bound(FPlaces.begin(), FPlaces.end(), place,
                                        [](const TPlace& a, const TPlace& b) { return a.At < b.At; });
    if (where != FPlaces.end() && where->At == place.At)
        *where = place;
    else
        FPlaces.insert(where, place);
}

void TCharacterReferences::Replaced(size_t start, size_t removed, size_t inserted)
{
    if (FPlaces.empty())
        return;
    // The places that end by the change's start stay. Of the rest, those starting inside the
    // removed stretch (or before an insertion that falls inside them) go, and the others move.
    auto first = std::lower_bound(FPlaces.begin(), FPlaces.end(), start,
                                  [](const TPlace& place, size_t at) { return place.At + place.Length <= at; });
    const size_t limit = removed ? start + removed : start;
    auto past = first;
    while (past != FPlaces.end() && past->At < limit)
        ++past;
    first = FPlaces.erase(first, past);
    const int64_t shift = static_cast<int64_t>(inserted) - static_cast<int64_t>(removed);
    if (shift != 0)
        for (auto at = first; at != FPlaces.end(); ++at)
            at->At = static_cast<uint32_t>(at->At + shift);
}

void TCharacterReferences::Replaced(const std::vector<TChange>& changes)
{
    if (FPlaces.empty() || changes.empty())
        return;
    std::vector<TPlace> kept;
    kept.reserve(FPlaces.size());
    size_t next = 0;
    int64_t shift = 0;
    for (const TPlace& place : FPlaces) {
        // The changes wholly before the place only move it: a removal that ends by its start, an
        // insertion at its start or before.
        while (next < changes.size() &&
               (changes[next].Removed ? changes[next].Start + changes[next].Removed <= place.At
                                      : changes[next].Start <= place.At)) {
            shift += static_cast<int64_t>(changes[next].Inserted) - static_cast<int64_t>(changes[next].Removed);
            ++next;
        }
        // The next change, not before the place, reaches into it when it starts inside it.
        if (next < changes.size() && changes[next].Start < place.At + place.Length)
            continue;
        kept.push_back({static_cast<uint32_t>(place.At + shift), place.Length});
    }
    FPlaces = std::move(kept);
}

void TCharacterReferences::Follow(const std::vector<uint32_t>& sources, std::string_view text)
{
    std::vector<TPlace> moved;
    moved.reserve(FPlaces.size());
    size_t at = 0;
    for (const TPlace& place : FPlaces) {
        while (at < text.size() && sources[at] < place.At)
            ++at;
        char32_t cp;
        if (at < text.size() && sources[at] == place.At && ReadCharacterReference(text, at, cp) == place.Length &&
            sources[at + place.Length - 1] == place.At + place.Length - 1)
            moved.push_back({static_cast<uint32_t>(at), place.Length});
    }
    FPlaces = std::move(moved);
}

namespace {

// Calls `found` (offset, length) for each reference "&#N;" of the text, from the start.
template <typename Found>
void eachReference(std::string_view text, Found found)
{
    for (size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at)) {
        char32_t cp;
        const size_t length = ReadCharacterReference(text, at, cp);
        if (length) {
            found(at, length);
            at += length;
        } else {
            ++at;
        }
    }
}

} // namespace

std::vector<uint32_t> TCharacterReferences::PlacesIn(std::string_view text, size_t base) const
{
    std::vector<uint32_t> which;
    if (FPlaces.empty())
        return which;
    auto place = std::lower_bound(FPlaces.begin(), FPlaces.end(), base,
                                  [](const TPlace& p, size_t at) { return p.At < at; });
    if (place == FPlaces.end() || place->At >= base + text.size())
        return which;
    uint32_t number = 0;
    eachReference(text, [&](size_t at, size_t length) {
        while (place != FPlaces.end() && place->At < base + at)
            ++place;
        if (place != FPlaces.end() && place->At == base + at && place->Length == length)
            which.push_back(number);
        ++number;
    });
    return which;
}

void TCharacterReferences::Place(std::string_view text, size_t base, const std::vector<uint32_t>& which)
{
    if (which.empty())
        return;
    uint32_t number = 0;
    size_t next = 0;
    eachReference(text, [&](size_t at, size_t length) {
        if (next < which.size() && which[next] == number) {
            AddPlace(base + at, length);
            ++next;
        }
        ++number;
    });
}

namespace {

// UTF-8 as editor text, each byte that starts no character as `malformed` writes it.
template <typename Malformed>
std::string utf8ToEditorText(std::string_view utf8, TCharacterReferences* references, Malformed malformed,
                             std::vector<uint32_t>* made = nullptr)
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
            malformed(out, lead);
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
            if (made)
                made->push_back(static_cast<uint32_t>(out.size()));
            out += CharacterReference(cp);
        }
    }
    return out;
}

} // namespace

std::string Utf8ToEditorText(std::string_view utf8, TCharacterReferences* references, std::vector<uint32_t>* made)
{
    std::vector<uint32_t> offsets;
    std::string text = utf8ToEditorText(utf8, references, [](std::string& out, unsigned char) { out += '?'; },
                                        made ? &offsets : nullptr);
    if (made) {
        // The offsets of the references made, as their numbers among all the text's references.
        made->clear();
        size_t next = 0;
        uint32_t number = 0;
        eachReference(text, [&](size_t at, size_t) {
            if (next < offsets.size() && offsets[next] == at) {
                made->push_back(number);
                ++next;
            }
            ++number;
        });
    }
    return text;
}

std::string FilePathText(std::string_view path)
{
    return utf8ToEditorText(path, nullptr, [](std::string& out, unsigned char) {
        out += CharacterReference(kReplacementCharacter);
    });
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

std::string FilePathPageText(std::string_view path, TCharacterReferences* references)
{
    return utf8ToEditorText(path, references, appendAddressEscape);
}

std::string FilePathPageAddress(std::string_view path, TCharacterReferences* references)
{
    // What a browser reads as something else in an address: "%" starts an escape, "#" a fragment, "?"
    // a query, "\" is "/", "&" starts a character reference of the page's text, and '"' would end
    // the attribute that holds the address. Each is ASCII, so the stretches between them are whole
    // UTF-8 characters and malformed bytes alike.
    static constexpr std::string_view kReadOtherwise = "%#?\\&\"";
    std::string address;
    address.reserve(path.size());
    size_t from = 0;
    for (size_t at = path.find_first_of(kReadOtherwise); at != std::string_view::npos;
         at = path.find_first_of(kReadOtherwise, from)) {
        address += FilePathPageText(path.substr(from, at - from), references);
        appendAddressEscape(address, static_cast<unsigned char>(path[at]));
        from = at + 1;
    }
    address += FilePathPageText(path.substr(from), references);
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
        if (reference[i] == '&' && i + 2 < reference.size() && reference[i + 1] == '#') {
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
            cp = Win1252ToUnicode(static_cast<unsigned char>(reference[i]));
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
