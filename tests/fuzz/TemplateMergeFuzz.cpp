// libFuzzer target: a template data file and a template from untrusted bytes, parsed and merged.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/model/TemplateMerge.h"

#include "FuzzCheck.h"

namespace {

// The data file read by cutting the text down step by step, as the format is written.
std::vector<std::pair<std::string, std::string>> cuttingParse(std::string text)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t at = text.find("{*");
    if (at == std::string::npos)
        return pairs;
    text.erase(0, at);
    while (text.find("{*") != std::string::npos) {
        const size_t close = text.find("*}");
        if (close == std::string::npos)
            break;
        std::string key = text.substr(0, close + 2);
        text.erase(0, std::min(close + 4, text.size()));
        const size_t next = text.find("{*");
        if (next == std::string::npos) {
            pairs.emplace_back(key, text);
            break;
        }
        pairs.emplace_back(key, next < 2 ? std::string() : text.substr(0, next - 2));
        text.erase(0, next);
    }
    return pairs;
}

} // namespace

// The input is a data file, a NUL NUL pair, and a template.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find(std::string_view("\0\0", 2));
    const std::string_view dataBytes = input.substr(0, split);
    const std::string_view templateBytes = split == std::string_view::npos ? std::string_view() : input.substr(split + 2);

    for (const std::string_view bytes : {dataBytes, templateBytes}) {
        const std::string text = TemplateFileText(bytes);
        check(text.empty() || text.ends_with("\r\n"));
    }
    const std::string dataText = TemplateFileText(dataBytes);
    const TTemplateData fields = ParseTemplateData(dataText);
    const auto expected = cuttingParse(dataText);
    check(static_cast<size_t>(fields.Count()) == expected.size());
    for (int i = 0; i < fields.Count(); ++i) {
        check(fields.Key(i) == expected[static_cast<size_t>(i)].first);
        check(fields.Value(i) == expected[static_cast<size_t>(i)].second);
        check(fields.Key(i).starts_with("{*") && fields.Key(i).ends_with("*}"));
        check(fields.Value(i).find("{*") == std::string::npos);
        check(fields.IndexOf(fields.Key(i)) <= i);
    }
    // Without values a template comes back as it was; with the raw bytes as a template too.
    const std::string templ(templateBytes);
    check(MergeTemplate(templ, TTemplateData()) == templ);
    const std::string merged = MergeTemplate(templ, fields);
    if (fields.Count() == 0)
        check(merged == templ);
    return 0;
}
