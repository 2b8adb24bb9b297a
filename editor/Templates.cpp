// Code templates and auto-replace lists: entries, hot key text and stream form.
#include "editor/Templates.h"

#include <algorithm>

#include "platform/Keys.h"
#include "platform/SysUtils.h"

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
    StreamWriteLongStr(stream, ShortCutToText(HotKey));
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
    HotKey = TextToShortCut(StreamReadLongStr(stream));
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
