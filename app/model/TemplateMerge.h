// Template merge: a template's "{*name*}" fields filled from a data file of keys and values.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TCodigosISO;

// The keys and values of a template data file, in file order. A key is a field's whole text,
// braces included; keys may repeat, and the first of them is the one found. Lookup ignores case.
class TTemplateData {
public:
    void Add(std::string key, std::string value);
    int Count() const { return static_cast<int>(FKeys.size()); }
    const std::string& Key(int index) const { return FKeys.at(static_cast<size_t>(index)); }
    const std::string& Value(int index) const { return FValues.at(static_cast<size_t>(index)); }
    // The index of the first key equal to `key` without regard to case, or -1.
    int IndexOf(std::string_view key) const;

private:
    std::vector<std::string> FKeys;
    std::vector<std::string> FValues;
    std::unordered_map<std::string, int> FFirst;
};

// A template or data file's bytes as the merge reads them: decoded as documents are (UTF-8 becomes
// its characters), split into lines and joined again, so every line ends with CR LF, the last one too.
std::string TemplateFileText(std::string_view bytes);

// The fields of a data file's text: each key "{*name*}" is followed by a line break, and its value
// runs to the line break that stands before the next "{*" (the last one to the end of the text).
// Text before the first "{*" is ignored; a key without a following "*}" ends the reading.
TTemplateData ParseTemplateData(std::string_view text);

// The template with every field "{*...*}" replaced by its value in `data`; a field without a value
// stays as written, and a "{*" that no "*}" follows is kept with the rest of the text.
std::string MergeTemplate(std::string_view templateText, const TTemplateData& data);

// The whole merge of two files: the data file and the template are read (EFOpenError when either
// cannot be), merged, and the named codes of `entities` outside the protected regions become their
// characters.
std::string MergeTemplateFiles(const std::string& templateFile, const std::string& dataFile,
                               const TCodigosISO& entities);
