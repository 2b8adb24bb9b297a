// libFuzzer target: a file's untrusted bytes run through replace in files with a pattern taken from the input.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/model/CodigosISO.h"
#include "app/model/ReplaceInFiles.h"
#include "platform/core/DocumentText.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto control = static_cast<uint8_t>(input[0]);
    const size_t patternLength = std::min<size_t>(control & 0x07, size - 1);
    TReplaceRequest request;
    request.Find = std::string(input.substr(1, patternLength));
    // A typed reference, or the character held.
    request.Replacement = control & 0x10 ? (control & 0x20 ? "\x1F#8594;\xF1" : "&#8594;\xF1") : "";
    request.WholeWord = control & 0x08;
    // A page, with or without the character conversion.
    TCodigosISO entities;
    entities.LoadDefaults();
    request.Page = control & 0x40;
    request.Entities = request.Page && (control & 0x80) ? &entities : nullptr;
    const std::string_view bytes = input.substr(1 + patternLength);

    std::string out;
    int count = -1;
    const bool text = ReplaceInBytes(bytes, request, out, count);
    check(count >= 0);
    // Nothing replaced leaves every byte as it was.
    if (!text || count == 0)
        check(out == bytes);
    check(static_cast<size_t>(count) <= bytes.size());
    // A page of plain ASCII stays ASCII through the conversion; without it, it takes the replacement
    // as a Windows-1252 page does.
    const auto ascii = [](std::string_view text) {
        return std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    };
    if (request.Entities && ascii(bytes))
        check(ascii(out));
    // A well-formed UTF-8 file stays well-formed and keeps its byte-order mark (in a file read as
    // Windows-1252 those bytes are three characters like any others).
    if (IsValidUtf8(bytes) && !(request.Page && ascii(bytes))) {
        check(IsValidUtf8(out));
        if (bytes.starts_with("\xEF\xBB\xBF"))
            check(out.starts_with("\xEF\xBB\xBF"));
    }
    // Replacing by nothing only takes bytes away.
    if (request.Replacement.empty())
        check(out.size() <= bytes.size());
    return 0;
}
