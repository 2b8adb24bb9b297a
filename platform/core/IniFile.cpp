// TIniFile: values of an INI file read the way the system's profile functions read them.
#include "platform/core/IniFile.h"

#include <algorithm>

#include "platform/core/Classes.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

// Takes off one pair of matching quotes, as the profile functions do; a lone quote stays.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The key two names share when AnsiSameText finds them equal.
std::string foldedName(std::string_view name)
{
    std::string key(name);
    for (char& c : key)
        c = AnsiUpper(c);
    return key;
}

// "No es posible guardar el archivo '%s': %s. ..."

// A value as a line of the file holds it, so that reading the line gives the value back.
std::string storedValue(std::string_view value)
{
    if (value.empty())
        return {};
    const bool trimmed = TrimView(value).size() != value.size();
    if (trimmed || unquote(value).size() != value.size())
        return '"' + std::string(value) + '"';
    return std::string(value);
}

// Names are trimmed when read, and a line break would split the line.
std::string singleLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

} // namespace

TIniFile::TIniFile(const std::string& fileName) : FFileName(fileName)
{
    std::string bytes;
    if (ReadFileBytes(fileName, kMaxFileSize, bytes))
        parse(bytes);
}

TIniFile TIniFile::FromText(std::string_view text)
{
    TIniFile file;
    file.parse(text);
    return file;
}

void TIniFile::parse(std::string_view text)
{
    // Values before the first section header belong to no section and cannot be asked for.
    TSection* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = TrimView(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string name = Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            const auto [at, added] = FSectionIndex.try_emplace(foldedName(name), FSections.size());
            if (added)
                FSections.push_back(TSection{name, {}, {}});
            current = &FSections[at->second];
            continue;
        }
        const size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string name = Trim(line.substr(0, equals));
        // The first of equal names counts.
        if (!current->Index.try_emplace(foldedName(name), current->Values.size()).second)
            continue;
        current->Values.push_back(TValue{std::move(name), std::string(unquote(TrimView(line.substr(equals + 1))))});
    }
}

const TIniFile::TSection* TIniFile::findSection(std::string_view section) const
{
    const auto at = FSectionIndex.find(foldedName(TrimView(section)));
    return at == FSectionIndex.end() ? nullptr : &FSections[at->second];
}

const TIniFile::TValue* TIniFile::findValue(std::string_view section, std::string_view ident) const
{
    const TSection* s = findSection(section);
    if (!s)
        return nullptr;
    const auto at = s->Index.find(foldedName(TrimView(ident)));
    return at == s->Index.end() ? nullptr : &s->Values[at->second];
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const
{
    const TValue* value = findValue(section, ident);
    return value ? value->Value : std::string(defaultValue);
}

std::string TIniFile::ReadText(std::string_view section, std::string_view ident, std::string_view defaultValue) const
{
    const TValue* value = findValue(section, ident);
    return value ? ProgramFileText(value->Value) : std::string(defaultValue);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue) const
{
    const TValue* value = findValue(section, ident);
    if (!value)
        return defaultValue;
    std::string_view text = value->Value;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    bool negative = false;
    if (base == 10 && !text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return defaultValue;
    int64_t result = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= base)
            return defaultValue;
        result = result * base + digit;
        if (result > 0xFFFFFFFFLL)
            return defaultValue;
    }
    if (base == 16)
        return static_cast<int32_t>(static_cast<uint32_t>(result));
    if (result > (negative ? 0x80000000LL : 0x7FFFFFFFLL))
        return defaultValue;
    return static_cast<int32_t>(negative ? -result : result);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return findSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    return findValue(section, ident) != nullptr;
}

void TIniFile::ReadSection(std::string_view section, TStringList& strings) const
{
    strings.Clear();
    if (const TSection* s = findSection(section))
        for (const TValue& v : s->Values)
            strings.Add(v.Name);
}

void TIniFile::ReadSections(TStringList& strings) const
{
    strings.Clear();
    for (const TSection& s : FSections)
        strings.Add(s.Name);
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& strings) const
{
    strings.Clear();
    if (const TSection* s = findSection(section))
        for (const TValue& v : s->Values)
            strings.Add(v.Name + '=' + v.Value);
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    const std::string sectionName = Trim(singleLine(section));
    const std::string name = Trim(singleLine(ident));
    const auto [sectionAt, newSection] = FSectionIndex.try_emplace(foldedName(sectionName), FSections.size());
    if (newSection)
        FSections.push_back(TSection{sectionName, {}, {}});
    TSection& s = FSections[sectionAt->second];
    const auto [valueAt, newValue] = s.Index.try_emplace(foldedName(name), s.Values.size());
    if (newValue)
        s.Values.push_back(TValue{name, {}});
    s.Values[valueAt->second].Value = singleLine(value);
}

void TIniFile::WriteText(std::string_view section, std::string_view ident, std::string_view text)
{
    WriteString(section, ident, ProgramFileBytes(text));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int32_t value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::EraseSection(std::string_view section)
{
    const auto at = FSectionIndex.find(foldedName(TrimView(section)));
    if (at == FSectionIndex.end())
        return;
    FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(at->second));
    reindex();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    const auto sectionAt = FSectionIndex.find(foldedName(TrimView(section)));
    if (sectionAt == FSectionIndex.end())
        return;
    TSection& s = FSections[sectionAt->second];
    const auto at = s.Index.find(foldedName(TrimView(ident)));
    if (at == s.Index.end())
        return;
    s.Values.erase(s.Values.begin() + static_cast<std::ptrdiff_t>(at->second));
    reindex();
}

void TIniFile::reindex()
{
    FSectionIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i) {
        FSectionIndex.emplace(foldedName(FSections[i].Name), i);
        TSection& s = FSections[i];
        s.Index.clear();
        for (size_t j = 0; j < s.Values.size(); ++j)
            s.Index.emplace(foldedName(s.Values[j].Name), j);
    }
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const TSection& s : FSections) {
        if (!text.empty())
            text += "\r\n";
        text += '[' + s.Name + "]\r\n";
        for (const TValue& v : s.Values)
            text += v.Name + '=' + storedValue(v.Value) + "\r\n";
    }
    return text;
}

void TIniFile::UpdateFile() const
{
    WriteFileBytes(FFileName, Text());
}
