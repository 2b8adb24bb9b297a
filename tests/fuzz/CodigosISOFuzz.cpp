// libFuzzer target: a character library read from untrusted bytes, then both conversions over a text.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CodigosISO.h"

#include "FuzzCheck.h"

namespace {

// The table's effect as its entries are written: each one in turn, over the whole text.
std::optional<std::string> entryByEntry(const TCodigosISO& table, std::string text)
{
    for (int i = 0; i < table.Count(); ++i) {
        std::string next;
        for (char c : text)
            next += c == table.Character(i) ? table.Code(i) : std::string(1, c);
        text = next;
        if (text.size() > (1u << 20))
            return std::nullopt;
    }
    return text;
}

} // namespace

// The input is a library, a NUL NUL pair, and a text to convert with it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find(std::string_view("\0\0", 2));
    const std::string_view library = input.substr(0, split);
    const std::string_view text = split == std::string_view::npos ? input : input.substr(split + 2);

    TCodigosISO table;
    table.LoadDefaults();
    if (!table.LoadFromText(library)) {
        check(table.Count() == 14);
        return 0;
    }
    for (int i = 0; i < table.Count(); ++i) {
        check(table.Character(i) != '\0' && !table.Code(i).empty());
        check(static_cast<unsigned char>(table.Code(i).front()) > ' ');
        check(static_cast<unsigned char>(table.Code(i).back()) > ' ');
        check(table.Code(i).find_first_of("\r\n") == std::string::npos);
    }

    const std::string encoded = table.CharsToCodes(text);
    check(encoded.size() <= text.size() * TCodigosISO::kMaxExpansion);
    if (text.size() < 256 && table.Count() < 64) {
        const std::optional<std::string> expected = entryByEntry(table, std::string(text));
        check(!expected || encoded == *expected);
    }
    const std::string decoded = table.CodesToChars(text);
    check(decoded.size() <= text.size());
    // Outside the protected regions the conversions are the plain ones, so the sizes bound alike.
    check(table.EncodeText(text).size() <= text.size() * TCodigosISO::kMaxExpansion);
    check(table.DecodeText(text).size() <= text.size());
    // With the defaults, decoding what encoding wrote gives the text back; codes the text already
    // held are read as their characters, as they are on reading a file.
    TCodigosISO defaults;
    defaults.LoadDefaults();
    std::vector<uint32_t> sources;
    const std::string plain = defaults.DecodeText(text, &sources);
    check(defaults.DecodeText(defaults.EncodeText(text)) == plain);
    check(sources.size() == plain.size() + 1 && sources.back() == text.size());
    for (size_t i = 0; i + 1 < sources.size(); ++i)
        check(sources[i] < sources[i + 1]);
    // Nothing to convert leaves every text as it was.
    TCodigosISO empty;
    check(empty.EncodeText(text) == text && empty.DecodeText(text) == text);
    return 0;
}
