// Code templates and auto-replace lists: entries, hot key text and stream form.
#include "editor/Templates.h"

#include <algorithm>

#include "platform/SysUtils.h"

namespace {

struct NamedKey {
    uint8_t Key;
    const char* Name;
};

// Key names of shortcut texts, as menus show them.
const NamedKey kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"}, {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"}, {VK_HOME, "Home"}, {VK_LEFT, "Left"},
    {VK_UP, "Up"}, {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string keyName(uint8_t key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F12)
        return "F" + IntToStr(key - VK_F1 + 1);
    for (const NamedKey& named : kKeyNames)
        if (named.Key == key)
            return named.Name;
    return {};
}

// "Shift+Ctrl+J" style text of a shortcut; empty for none or for a key without a name.
std::string shortCutToText(TShortCut shortCut)
{
    std::string name = keyName(static_cast<uint8_t>(shortCut & 0xFF));
    if (name.empty())
        return {};
    std::string text;
    if (shortCut & scShift)
        text += "Shift+";
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + name;
}

// The shortcut of a text made by shortCutToText (modifiers in any order and case); 0 when unknown.
TShortCut textToShortCut(std::string_view text)
{
    TShortCut modifiers = 0;
    const std::pair<std::string_view, TShortCut> prefixes[] = {
        {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : prefixes) {
            if (text.size() > prefix.size() && SameText(text.substr(0, prefix.size()), prefix)) {
                modifiers |= bit;
                text.remove_prefix(prefix.size());
                found = true;
            }
        }
    }
    for (int key = 1; key < 256; ++key) {
        std::string name = keyName(static_cast<uint8_t>(key));
        if (!name.empty() && SameText(name, text))
            return static_cast<TShortCut>(modifiers | key);
    }
    return 0;
}

} // namespace

// ---------------------------------------------------------------- TCodeTemplates

std::unique_ptr<TSM_Base> TCodeTemplates::NewInstance() const
{
    return std::make_unique<TCodeTemplates>();
}

void TCodeTemplates::Assign(const TSM_Base& source)
{
    if (!dynamic_cast<const TCodeTemplates*>(&source))
        throw Exception(Format("Cannot assign %s to %s", source.ClassName(), ClassName()));
    TSM_Base::Assign(source);
}

void TCodeTemplates::Add(const std::string& key, const std::string& description, uint8_t caseSensitive,
                         const std::string& text)
{
    std::string storedKey = caseSensitive == 0 ? AsciiLowerCase(key) : key;
    auto position = std::lower_bound(FEntries.begin(), FEntries.end(), storedKey,
                                     [](const TTemplateEntry& entry, const std::string& k) {
                                         return CompareText(entry.Key, k) < 0;
                                     });
    TTemplateEntry entry{storedKey, description, text};
    if (position != FEntries.end() && CompareText(position->Key, storedKey) == 0)
        *position = std::move(entry);
    else
        FEntries.insert(position, std::move(entry));
}

void TCodeTemplates::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, static_cast<int32_t>(FEntries.size()));
    for (const TTemplateEntry& entry : FEntries) {
        StreamWriteShortStr(stream, entry.Key);
        StreamWriteShortStr(stream, entry.Description);
        StreamWriteLongStr(stream, entry.Text);
    }
    StreamWriteLongStr(stream, shortCutToText(HotKey));
    StreamWriteLong7(stream, StreamFlag);
}

void TCodeTemplates::readFields(TStream& stream)
{
    // A key byte, a description byte and a 4-byte text length at the least.
    int32_t count = StreamReadCount(stream, 1 + 1 + 4);
    for (int32_t i = 0; i < count; ++i) {
        std::string key = StreamReadShortStr(stream);
        std::string description = StreamReadShortStr(stream);
        std::string text = StreamReadLongStr(stream);
        Add(key, description, 0, text);
    }
    HotKey = textToShortCut(StreamReadLongStr(stream));
    StreamFlag = static_cast<uint8_t>(StreamReadLong7(stream));
}

void TCodeTemplates::takeLoaded(TCodeTemplates& loaded)
{
    FEntries.swap(loaded.FEntries);
    HotKey = loaded.HotKey;
    StreamFlag = loaded.StreamFlag;
}

void TCodeTemplates::LoadFromStream(TStream& stream)
{
    std::unique_ptr<TSM_Base> scratch = NewInstance();
    auto& loaded = static_cast<TCodeTemplates&>(*scratch);
    loaded.Clear();
    loaded.readFields(stream);
    takeLoaded(loaded);
}

// ---------------------------------------------------------------- TAutoReplace

std::unique_ptr<TSM_Base> TAutoReplace::NewInstance() const
{
    return std::make_unique<TAutoReplace>();
}

void TAutoReplace::ResetDefaults()
{
    Clear();
    SetTriggerKeys(kDefaultTriggerKeys);
}

void TAutoReplace::SaveToStream(TStream& stream) const
{
    TCodeTemplates::SaveToStream(stream);
    StreamWriteShortStr(stream, FTriggerKeys);
}

void TAutoReplace::readFields(TStream& stream)
{
    TCodeTemplates::readFields(stream);
    SetTriggerKeys(StreamReadShortStr(stream));
}

void TAutoReplace::takeLoaded(TCodeTemplates& loaded)
{
    TCodeTemplates::takeLoaded(loaded);
    SetTriggerKeys(static_cast<TAutoReplace&>(loaded).FTriggerKeys);
}
