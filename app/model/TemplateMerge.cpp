// Template merge: a template's "{*name*}" fields filled from a data file of keys and values.
#include "app/model/TemplateMerge.h"

#include <algorithm>

#include "app/model/CodigosISO.h"
#include "app/model/PanelItems.h"
#include "platform/core/Classes.h"
#include "platform/core/DocumentText.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr std::string_view kOpen = "{*";
// A data key is followed by a line break of two characters before its value.
constexpr size_t kKeyBreak = 2;

} // namespace

void TTemplateData::Add(std::string key, std::string value)
{
    FFirst.try_emplace(AnsiLowerCase(key), Count());
    FKeys.push_back(std::move(key));
    FValues.push_back(std::move(value));
}

int TTemplateData::IndexOf(std::string_view key) const
{
    const auto found = FFirst.find(AnsiLowerCase(key));
    return found == FFirst.end() ? -1 : found->second;
}

std::string TemplateFileText(std::string_view bytes)
{
    std::string text;
    TDocumentFormat format;
    DecodeDocument(bytes, text, format);
    TStringList lines;
    lines.SetText(text);
    return lines.Text();
}

TTemplateData ParseTemplateData(std::string_view text)
{
    TTemplateData data;
    size_t start = text.find(kOpen);
    while (start != std::string_view::npos) {
        // A key is a field as the document's are, "{*}" included.
        const size_t end = WildcardFieldEnd(text, start);
        if (end == std::string_view::npos)
            break;
        std::string key(text.substr(start, end - start));
        const size_t valueStart = std::min(end + kKeyBreak, text.size());
        const size_t next = text.find(kOpen, valueStart);
        if (next == std::string_view::npos) {
            data.Add(std::move(key), std::string(text.substr(valueStart)));
            break;
        }
        // The line break before the next key is not part of the value; a value too short to hold
        // one is empty.
        const size_t length = next - valueStart;
        data.Add(std::move(key), length < 2 ? std::string() : std::string(text.substr(valueStart, length - 2)));
        start = next;
    }
    return data;
}

std::string MergeTemplate(std::string_view templateText, const TTemplateData& data)
{
    std::string result;
    result.reserve(templateText.size());
    size_t rest = 0;
    for (;;) {
        const size_t open = templateText.find(kOpen, rest);
        if (open == std::string_view::npos)
            break;
        result.append(templateText.substr(rest, open - rest));
        rest = open;
        const size_t end = WildcardFieldEnd(templateText, open);
        if (end == std::string_view::npos)
            break;
        const std::string_view key = templateText.substr(open, end - open);
        rest = end;
        const int index = data.IndexOf(key);
        if (index >= 0)
            result.append(data.Value(index));
        else
            result.append(key);
    }
    result.append(templateText.substr(rest));
    return result;
}

std::string MergeTemplateFiles(const std::string& templateFile, const std::string& dataFile,
                               const TCodigosISO& entities)
{
    const std::string dataText = TemplateFileText(ReadFileBytes(dataFile));
    const std::string templateText = TemplateFileText(ReadFileBytes(templateFile));
    return entities.DecodeText(MergeTemplate(templateText, ParseTemplateData(dataText)));
}
