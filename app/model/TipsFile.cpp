// The tips file "Docs/Tips.txt": one tip per line, read as documents are read.
#include "app/model/TipsFile.h"

#include "platform/core/DocumentText.h"
#include "platform/core/SysUtils.h"

std::vector<std::string> ReadTipsText(std::string_view bytes)
{
    std::string text;
    TDocumentFormat format;
    DecodeDocument(bytes, text, format);
    std::vector<std::string> tips;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 32 && c != kHeldCharacterMark)
                c = ' ';
        line = Trim(line);
        if (!line.empty())
            tips.push_back(std::move(line));
        start = end + 1;
    }
    return tips;
}
