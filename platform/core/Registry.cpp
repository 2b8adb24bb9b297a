// The class-library TRegistry and TRegIniFile over the shared registry store.
#include "platform/core/Registry.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/CharacterReferences.h"
#include "platform/core/RegistryTree.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Win1252.h"

using registry_detail::isRelative;
using registry_detail::joinPath;
using registry_detail::Key;
using registry_detail::splitPath;
using registry_detail::store;
using registry_detail::Value;

namespace {

enum : int {
    kStrInvalidType = 65200,
    kStrGetDataFailed = 65201,
    kStrSetDataFailed = 65202,
    kStrCreateKeyFailed = 65203,
};

std::string valueAsText(const Value& value)
{
    return value.Kind == rdInteger ? IntToStr(value.Number) : registry_detail::dataToWin1252(value.Data);
}

// The 32-bit integer a value stands for: integers, and strings holding a decimal integer.
bool valueAsInteger(const Value& value, int32_t& number)
{
    if (value.Kind == rdInteger) {
        number = value.Number;
        return true;
    }
    int64_t parsed;
    if (value.Kind != rdString || !TryStrToInt(value.Data, parsed) || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    number = static_cast<int32_t>(parsed);
    return true;
}

bool isUndefinedByte(unsigned char c)
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// A file name as an earlier version stored it: its UTF-8 bytes each taken for a Windows-1252 character
// and written as UTF-8 again. The name is taken back only when every character of the data is one
// Windows-1252 has (or a lone byte, as those five bytes came), and the bytes they stand for spell
// UTF-8 with a character beyond ASCII: a name stored once, which spells no such thing, stays as it is.
bool undoDoubleEncoding(std::string_view data, std::string& name)
{
    std::string bytes;
    bool wide = false;
    for (size_t i = 0; i < data.size();) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        char32_t cp;
        const size_t length = c < 0x80 ? 0 : DecodeUtf8(data, i, cp);
        char byte = static_cast<char>(c);
        // Those versions wrote every byte as its character but the five Windows-1252 leaves undefined.
        if (length > 0 ? !CharToWin1252(cp, byte) : c >= 0x80 && !isUndefinedByte(c))
            return false;
        bytes += byte;
        i += length > 0 ? length : 1;
    }
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        const size_t length = static_cast<unsigned char>(bytes[i]) < 0x80 ? 1 : DecodeUtf8(bytes, i, cp);
        if (length == 0)
            return false;
        wide = wide || length > 1;
        i += length;
    }
    if (!wide)
        return false;
    name = std::move(bytes);
    return true;
}

} // namespace

// ---------------------------------------------------------------- TRegistry

TRegistry::TRegistry() = default;

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY value)
{
    CloseKey();
    FRootKey = value;
}

std::vector<std::string> TRegistry::pathOf(const std::string& key) const
{
    std::vector<std::string> parts = splitPath(key);
    if (!isRelative(key) || !FKeyOpen)
        return parts;
    std::vector<std::string> full = splitPath(FCurrentPath);
    full.insert(full.end(), parts.begin(), parts.end());
    return full;
}

Key* TRegistry::currentKey() const
{
    return FKeyOpen ? store().find(FRootKey, splitPath(FCurrentPath)) : nullptr;
}

Key* TRegistry::findKey(const std::string& key) const
{
    // A relative path through an open key that has since been deleted leads nowhere.
    if (isRelative(key) && FKeyOpen && !currentKey())
        return nullptr;
    return store().find(FRootKey, pathOf(key));
}

Key* TRegistry::makeKey(const std::string& key)
{
    if (isRelative(key) && FKeyOpen && (FReadOnly || !currentKey()))
        return nullptr;
    return store().create(FRootKey, pathOf(key));
}

Key* TRegistry::keyForWriting(const std::string& valueName) const
{
    Key* key = FReadOnly ? nullptr : currentKey();
    if (!key)
        throw ERegistryException(FmtLoadStr(kStrSetDataFailed, valueName.c_str()));
    return key;
}

const Value* TRegistry::findValue(const std::string& name) const
{
    Key* key = currentKey();
    return key ? key->findValue(name) : nullptr;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    Key* found = canCreate ? makeKey(key) : findKey(key);
    if (!found)
        return false;
    std::string path = joinPath(pathOf(key));
    CloseKey();
    FCurrentPath = std::move(path);
    FKeyOpen = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    if (!OpenKey(key, false))
        return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    if (FKeyOpen)
        store().flush();
    FKeyOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(const std::string& key)
{
    if (!makeKey(key))
        throw ERegistryException(FmtLoadStr(kStrCreateKeyFailed, key.c_str()));
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    std::vector<std::string> parts = pathOf(key);
    if (parts.empty() || (isRelative(key) && FKeyOpen && (FReadOnly || !currentKey())))
        return false;
    std::string last = parts.back();
    parts.pop_back();
    Key* parent = store().find(FRootKey, parts);
    return parent && store().removeKey(*parent, last);
}

bool TRegistry::KeyExists(const std::string& key) const
{
    return findKey(key) != nullptr;
}

bool TRegistry::HasSubKeys() const
{
    Key* key = currentKey();
    return key && !key->Keys.empty();
}

void TRegistry::GetKeyNames(TStringList& strings) const
{
    strings.Clear();
    if (Key* key = currentKey())
        for (const auto& sub : key->Keys)
            strings.Add(sub->Name);
}

void TRegistry::GetValueNames(TStringList& strings) const
{
    strings.Clear();
    if (Key* key = currentKey())
        for (const Value& value : key->Values)
            strings.Add(value.Name);
}

bool TRegistry::ValueExists(const std::string& name) const
{
    return findValue(name) != nullptr;
}

bool TRegistry::DeleteValue(const std::string& name)
{
    Key* key = FReadOnly ? nullptr : currentKey();
    return key && store().removeValue(*key, name);
}

void TRegistry::RenameValue(const std::string& oldName, const std::string& newName)
{
    Key* key = FReadOnly ? nullptr : currentKey();
    Value* value = key ? key->findValue(oldName) : nullptr;
    if (!value)
        return;
    // The same name in another case only changes the case.
    if (Value* other = key->findValue(newName); other && other != value)
        return;
    store().renameValue(*value, newName);
}

bool TRegistry::GetDataInfo(const std::string& valueName, TRegDataInfo& info) const
{
    info = TRegDataInfo();
    const Value* value = findValue(valueName);
    if (!value)
        return false;
    info.RegData = value->Kind;
    switch (value->Kind) {
    case rdInteger:
        info.DataSize = 4;
        break;
    case rdString:
        info.DataSize = static_cast<int>(std::min<size_t>(valueAsText(*value).size() + 1, INT32_MAX));
        break;
    default:
        info.DataSize = static_cast<int>(std::min<size_t>(value->Data.size(), INT32_MAX));
    }
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& valueName) const
{
    TRegDataInfo info;
    GetDataInfo(valueName, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const std::string& valueName) const
{
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.DataSize : -1;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        return {};
    if (value->Kind == rdBinary)
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return valueAsText(*value);
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    store().setValue(*keyForWriting(name), name, rdString, registry_detail::win1252ToData(value), 0);
}

int32_t TRegistry::ReadInteger(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        throw ERegistryException(FmtLoadStr(kStrGetDataFailed, name.c_str()));
    int32_t number;
    if (!valueAsInteger(*value, number))
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return number;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
    store().setValue(*keyForWriting(name), name, rdInteger, {}, value);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) const
{
    const Value* value = findValue(name);
    if (!value)
        return 0;
    if (value->Kind != rdBinary || bufSize < 0 || value->Data.size() > static_cast<size_t>(bufSize))
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    if (!value->Data.empty())
        std::memcpy(buffer, value->Data.data(), value->Data.size());
    return static_cast<int>(value->Data.size());
}

std::string TRegistry::ReadBinaryData(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        return {};
    if (value->Kind != rdBinary)
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return value->Data;
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize)
{
    Key* key = keyForWriting(name);
    if (bufSize < 0 || (bufSize > 0 && !buffer))
        throw ERegistryException(FmtLoadStr(kStrSetDataFailed, name.c_str()));
    std::string_view data(static_cast<const char*>(buffer), static_cast<size_t>(bufSize));
    store().setValue(*key, name, rdBinary, data, 0);
}

// ---------------------------------------------------------------- TRegIniFile

TRegIniFile::TRegIniFile(const std::string& fileName) : FFileName(fileName)
{
    OpenKey(fileName, true);
}

const Value* TRegIniFile::sectionValue(const std::string& section, const std::string& ident) const
{
    Key* key = findKey(section);
    return key ? key->findValue(ident) : nullptr;
}

Key* TRegIniFile::sectionForWriting(const std::string& section)
{
    Key* key = makeKey(section);
    if (!key)
        throw ERegistryException(FmtLoadStr(kStrCreateKeyFailed, section.c_str()));
    return key;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) const
{
    const Value* value = sectionValue(section, ident);
    return value && value->Kind != rdBinary ? valueAsText(*value) : defaultValue;
}

std::string TRegIniFile::ReadPath(const std::string& section, const std::string& ident,
                                  const std::string& defaultValue) const
{
    const Value* value = sectionValue(section, ident);
    if (!value || value->Kind != rdString)
        return defaultValue;
    std::string name;
    return !value->ExactPath && undoDoubleEncoding(value->Data, name) ? name : value->Data;
}

void TRegIniFile::WritePath(const std::string& section, const std::string& ident, const std::string& path)
{
    store().setValue(*sectionForWriting(section), ident, rdString, path, 0, true);
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    store().setValue(*sectionForWriting(section), ident, rdString, registry_detail::win1252ToData(value), 0);
}

std::string TRegIniFile::ReadText(const std::string& section, const std::string& ident,
                                  const std::string& defaultValue) const
{
    std::string text = ReadString(section, ident, defaultValue);
    ReplaceStrayMarks(text, '.');
    return text;
}

void TRegIniFile::WriteText(const std::string& section, const std::string& ident, const std::string& text)
{
    std::string name = ident, value = text;
    ReplaceStrayMarks(name, '&');
    ReplaceStrayMarks(value, '&');
    WriteString(section, name, value);
}

int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue) const
{
    const Value* value = sectionValue(section, ident);
    int32_t number;
    // A value edited into something that is no number must not stop the program reading its settings.
    return value && valueAsInteger(*value, number) ? number : defaultValue;
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value)
{
    store().setValue(*sectionForWriting(section), ident, rdInteger, {}, value);
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteInteger(section, ident, value ? 1 : 0);
}

void TRegIniFile::ReadSection(const std::string& section, TStringList& strings) const
{
    strings.Clear();
    if (Key* key = findKey(section))
        for (const Value& value : key->Values)
            strings.Add(value.Name);
}

void TRegIniFile::ReadSections(TStringList& strings) const
{
    GetKeyNames(strings);
}

void TRegIniFile::ReadSectionValues(const std::string& section, TStringList& strings) const
{
    strings.Clear();
    if (Key* key = findKey(section))
        for (const Value& value : key->Values)
            strings.Add(value.Name + "=" + (value.Kind == rdBinary ? std::string() : valueAsText(value)));
}

void TRegIniFile::EraseSection(const std::string& section)
{
    TRegistry::DeleteKey(section);
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    Key* key = findKey(section);
    if (key && !IsReadOnly())
        store().removeValue(*key, ident);
}

bool TRegIniFile::SectionExists(const std::string& section) const
{
    return findKey(section) != nullptr;
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    return sectionValue(section, ident) != nullptr;
}
