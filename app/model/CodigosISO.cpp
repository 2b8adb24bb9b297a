// TCodigosISO: loading the character table and converting between characters and codes.
#include "app/model/CodigosISO.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr std::pair<char, const char*> kDefaults[] = {
    {'\xE1', "&aacute;"}, {'\xE9', "&eacute;"}, {'\xED', "&iacute;"}, {'\xF3', "&oacute;"},
    {'\xFA', "&uacute;"}, {'\xC1', "&Aacute;"}, {'\xC9', "&Eacute;"}, {'\xCD', "&Iacute;"},
    {'\xD3', "&Oacute;"}, {'\xDA', "&Uacute;"}, {'\xF1', "&ntilde;"}, {'\xD1', "&Ntilde;"},
    {'\xA1', "&iexcl;"},  {'\xBF', "&iquest;"},
};

unsigned char byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// What both markers begin with; it holds no letter, so it is found as it stands.
constexpr std::string_view kMarkerOpening = "<!--";
static_assert(TCodigosISO::kStartMarker.starts_with(kMarkerOpening) && TCodigosISO::kEndMarker.starts_with(kMarkerOpening));

// The first place from `from` where `marker` stands, A-Z in either case; npos when none.
size_t findMarker(std::string_view text, std::string_view marker, size_t from)
{
    if (text.size() < marker.size())
        return std::string_view::npos;
    const size_t last = text.size() - marker.size();
    // A page has a "<" every few characters but a "!" seldom, outside comments and the document
    // type: the places holding the markers' opening are found by their "!", and only they compared.
    for (size_t at = from; at <= last; ++at) {
        const size_t after = at + 1;
        const void* found = std::memchr(text.data() + after, '!', text.size() - after);
        if (!found)
            break;
        at = static_cast<size_t>(static_cast<const char*>(found) - text.data()) - 1;
        if (at > last)
            break;
        if (text.compare(at, kMarkerOpening.size(), kMarkerOpening) != 0)
            continue;
        size_t i = kMarkerOpening.size();
        while (i < marker.size() && asciiLower(text[at + i]) == asciiLower(marker[i]))
            ++i;
        if (i == marker.size())
            return at;
    }
    return std::string_view::npos;
}

// Walks `text` as the conversion sees it: `outside(from, to)` for each stretch outside the protected
// regions, `inside(from, to)` for each region with its markers (a region left open runs to the end),
// the text starting inside one when `within`. The markers themselves are never converted: a table
// that mapped one of their characters would otherwise undo the protection the next time the text is
// read.
template <typename Outside, typename Inside>
void walkRegions(std::string_view text, Outside outside, Inside inside, bool within = false)
{
    size_t at = 0;
    if (within) {
        const size_t end = findMarker(text, TCodigosISO::kEndMarker, 0);
        if (end == std::string_view::npos) {
            inside(0, text.size());
            return;
        }
        inside(0, end + TCodigosISO::kEndMarker.size());
        at = end + TCodigosISO::kEndMarker.size();
    }
    for (size_t start; (start = findMarker(text, TCodigosISO::kStartMarker, at)) != std::string_view::npos;) {
        outside(at, start);
        at = start + TCodigosISO::kStartMarker.size();
        const size_t end = findMarker(text, TCodigosISO::kEndMarker, at);
        if (end == std::string_view::npos) {
            inside(start, text.size());
            return;
        }
        inside(start, end + TCodigosISO::kEndMarker.size());
        at = end + TCodigosISO::kEndMarker.size();
    }
    outside(at, text.size());
}

} // namespace

TCodigosISO::TCodigosISO()
{
    assign({}, {});
}

void TCodigosISO::LoadDefaults()
{
    std::vector<char> characters;
    std::vector<std::string> codes;
    for (const auto& [character, code] : kDefaults) {
        characters.push_back(character);
        codes.emplace_back(code);
    }
    assign(std::move(characters), std::move(codes));
}

bool TCodigosISO::LoadFromFile(const std::string& fileName)
{
    if (!FileExists(fileName))
        return false;
    std::string bytes;
    try {
        bytes = ReadFileBytes(fileName);
    } catch (const EFOpenError&) {
        return false;
    }
    return LoadFromText(bytes);
}

bool TCodigosISO::LoadFromText(std::string_view text)
{
    std::vector<char> characters;
    std::vector<std::string> codes;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == '\r')
            ++at;
        if (at < text.size() && text[at] == '\n')
            ++at;
        // A blank code would make encoding delete the character from the document.
        if (line.empty() || line[0] == '\0')
            continue;
        const std::string_view code = TrimView(line.substr(1));
        if (code.empty())
            continue;
        characters.push_back(line[0]);
        codes.emplace_back(code);
    }
    return assign(std::move(characters), std::move(codes));
}

bool TCodigosISO::assign(std::vector<char> characters, std::vector<std::string> codes)
{
    // Replacing one character by a string commutes with joining texts, so the whole table's effect
    // on a byte can be worked out once, from the last entry back to the first.
    std::array<std::optional<std::string>, 256> expansion;
    for (int c = 0; c < 256; ++c)
        expansion[static_cast<size_t>(c)] = std::string(1, static_cast<char>(c));
    std::array<bool, 256> mapped{};
    for (size_t i = characters.size(); i-- > 0;) {
        std::optional<std::string> grown = std::string();
        for (char c : codes[i]) {
            const std::optional<std::string>& piece = expansion[byteOf(c)];
            if (!piece || grown->size() + piece->size() > kMaxExpansion) {
                grown.reset();
                break;
            }
            grown->append(*piece);
        }
        expansion[byteOf(characters[i])] = std::move(grown);
        mapped[byteOf(characters[i])] = true;
    }
    for (const std::optional<std::string>& piece : expansion)
        if (!piece)
            return false;

    std::unordered_map<std::string, char> charOfCode;
    for (size_t i = 0; i < codes.size(); ++i)
        charOfCode.emplace(codes[i], characters[i]);
    for (size_t c = 0; c < 256; ++c)
        FExpansion[c] = std::move(*expansion[c]);
    FMapped = mapped;
    FCharOfCode = std::move(charOfCode);
    FLongestCode = 0;
    for (const std::string& code : codes)
        FLongestCode = std::max(FLongestCode, code.size());
    FCharacters = std::move(characters);
    FCodes = std::move(codes);
    return true;
}

namespace {

bool isCodeCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

} // namespace

size_t TCodigosISO::codeAt(std::string_view text, size_t at, char& c) const
{
    // A code is looked up only where one can stand: letters, digits or "#" up to ";", no longer than
    // the table's longest. Anything else leaves the "&" as a character, so a stray one cannot
    // swallow the codes after it.
    size_t end = at + 1;
    const size_t limit = std::min(text.size(), at + FLongestCode);
    while (end < limit && isCodeCharacter(text[end]))
        ++end;
    if (end >= limit || text[end] != ';' || end == at + 1)
        return 0;
    char found;
    if (!CharacterOf(text.substr(at, end - at + 1), found))
        return 0;
    c = found;
    return end - at + 1;
}

void TCodigosISO::appendDecoded(std::string& out, std::string_view text, size_t base,
                                std::vector<uint32_t>* sources) const
{
    for (size_t at = 0; at < text.size();) {
        char c = text[at];
        const size_t code = c == '&' ? codeAt(text, at, c) : 0;
        out.push_back(c);
        if (sources)
            sources->push_back(static_cast<uint32_t>(base + at));
        at += code ? code : 1;
    }
}

size_t TCodigosISO::decodeInto(char* out, std::string_view text) const
{
    size_t written = 0;
    for (size_t at = 0; at < text.size();) {
        // The text between codes goes across whole.
        const void* amp = std::memchr(text.data() + at, '&', text.size() - at);
        const size_t next = amp ? static_cast<size_t>(static_cast<const char*>(amp) - text.data()) : text.size();
        if (out + written != text.data() + at)
            std::memmove(out + written, text.data() + at, next - at);
        written += next - at;
        at = next;
        if (at == text.size())
            break;
        char c = '&';
        const size_t code = codeAt(text, at, c);
        out[written++] = c;
        at += code ? code : 1;
    }
    return written;
}

std::string TCodigosISO::CodesToChars(std::string_view text) const
{
    std::string out;
    out.reserve(text.size());
    appendDecoded(out, text, 0, nullptr);
    return out;
}

bool TCodigosISO::CharacterOf(std::string_view code, char& character) const
{
    const auto found = FCharOfCode.find(std::string(code));
    if (found == FCharOfCode.end())
        return false;
    character = found->second;
    return true;
}

std::string TCodigosISO::CharsToCodes(std::string_view text) const
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (FMapped[byteOf(c)])
            out.append(FExpansion[byteOf(c)]);
        else
            out.push_back(c);
    }
    return out;
}

template <typename Convert>
std::string TCodigosISO::outsideRegions(std::string_view text, Convert convert, bool within) const
{
    std::string out;
    out.reserve(text.size());
    walkRegions(
        text, [&](size_t from, size_t to) { out.append(convert(text.substr(from, to - from))); },
        [&](size_t from, size_t to) { out.append(text.substr(from, to - from)); }, within);
    return out;
}

std::string TCodigosISO::DecodeText(std::string_view text, std::vector<uint32_t>* sources, bool within) const
{
    // A decoded text is never longer than the text: its offsets are sized once.
    if (sources) {
        sources->clear();
        sources->reserve(text.size() + 1);
    }
    const auto asItIs = [&](std::string& out, size_t from, size_t to) {
        out.append(text.substr(from, to - from));
        if (sources)
            for (size_t i = from; i < to; ++i)
                sources->push_back(static_cast<uint32_t>(i));
    };
    std::string out;
    out.reserve(text.size());
    walkRegions(
        text, [&](size_t from, size_t to) { appendDecoded(out, text.substr(from, to - from), from, sources); },
        [&](size_t from, size_t to) { asItIs(out, from, to); }, within);
    if (sources)
        sources->push_back(static_cast<uint32_t>(text.size()));
    return out;
}

void TCodigosISO::DecodeInPlace(std::string& text, bool within) const
{
    // Without an "&" there is no code, whatever the regions.
    if (FCharOfCode.empty() || text.find('&') == std::string::npos)
        return;
    // Each character written stands for at least one read, so the writing never overtakes the
    // reading, and every search looks ahead of both.
    const std::string_view all(text);
    char* out = text.data();
    size_t written = 0;
    const auto keep = [&](size_t from, size_t to) {
        std::memmove(out + written, all.data() + from, to - from);
        written += to - from;
    };
    const auto decode = [&](size_t from, size_t to) { written += decodeInto(out + written, all.substr(from, to - from)); };
    walkRegions(all, decode, keep, within);
    text.resize(written);
}

bool TCodigosISO::PrintableCharacters() const
{
    return std::all_of(FCharacters.begin(), FCharacters.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 32 || c == '\t'; });
}

std::string TCodigosISO::EncodeText(std::string_view text, std::vector<uint32_t>* sources, bool within) const
{
    if (!sources)
        return outsideRegions(text, [this](std::string_view piece) { return CharsToCodes(piece); }, within);
    // The regions as outsideRegions finds them, each character's source noted.
    sources->clear();
    std::string out;
    out.reserve(text.size());
    const auto keep = [&](size_t from, size_t to) {
        out.append(text.substr(from, to - from));
        for (size_t i = from; i < to; ++i)
            sources->push_back(static_cast<uint32_t>(i));
    };
    const auto convert = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const size_t before = out.size();
            if (FMapped[byteOf(text[i])])
                out.append(FExpansion[byteOf(text[i])]);
            else
                out.push_back(text[i]);
            sources->insert(sources->end(), out.size() - before, static_cast<uint32_t>(i));
        }
    };
    walkRegions(text, convert, keep, within);
    sources->push_back(static_cast<uint32_t>(text.size()));
    return out;
}

bool TCodigosISO::ProtectedAtEnd(std::string_view text, bool within) const
{
    for (size_t at = 0;;) {
        const size_t found = findMarker(text, within ? kEndMarker : kStartMarker, at);
        if (found == std::string_view::npos)
            return within;
        at = found + (within ? kEndMarker : kStartMarker).size();
        within = !within;
    }
}

bool TCodigosISO::Protects(std::string_view text, size_t at) const
{
    // Only markers that start by `at` matter: the text after is not looked through.
    const std::string_view before = text.substr(0, std::min(text.size(), at + 1 + kStartMarker.size()));
    for (size_t from = 0;;) {
        const size_t start = findMarker(before, kStartMarker, from);
        if (start == std::string_view::npos || start > at)
            return false;
        const size_t end = findMarker(before, kEndMarker, start + kStartMarker.size());
        if (end == std::string_view::npos || at < end + kEndMarker.size())
            return true;
        from = end + kEndMarker.size();
    }
}
