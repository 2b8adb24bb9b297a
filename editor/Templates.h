// Code templates and auto-replace entries: their lists, hot key, trigger keys and stream form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/Settings.h"
#include "platform/Messages.h"

// One entry: the key (lower case unless added case-sensitively), an optional description and the text.
struct TTemplateEntry {
    std::string Key;
    std::string Description;
    std::string Text;
};

// Named templates, kept sorted by key (compared without case).
class TCodeTemplates : public TSM_Base {
public:
    const char* ClassName() const override { return "TCodeTemplates"; }
    // Only template lists (auto-replace lists included) can be assigned.
    void Assign(const TSM_Base& source) override;
    // The entries (count, then per entry its key, description and text), the hot key as its
    // shortcut text, and the stream flag in the low 7 bits of a 4-byte integer.
    void SaveToStream(TStream& stream) const override;
    // Reads into a scratch list first: a stream that fails leaves this list as it was.
    void LoadFromStream(TStream& stream) override;
    virtual void ResetDefaults() { Clear(); }

    void Clear() { FEntries.clear(); }
    // Adds an entry, replacing the one listed under the same key.
    void Add(const std::string& key, const std::string& description, uint8_t caseSensitive,
             const std::string& text);
    int Count() const { return static_cast<int>(FEntries.size()); }
    const TTemplateEntry& Entry(int index) const { return FEntries.at(static_cast<size_t>(index)); }

    TShortCut HotKey = scCtrl | 'J';
    // A flag only the stream carries; 1 in every list.
    uint8_t StreamFlag = 1;

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    // Reads the fields of this class from the stream; subclasses read theirs after.
    virtual void readFields(TStream& stream);
    // Takes over what `loaded`, an object of the same class, read.
    virtual void takeLoaded(TCodeTemplates& loaded);

private:
    std::vector<TTemplateEntry> FEntries;
};

// Auto-correct entries, replaced when one of the trigger keys is typed after them.
class TAutoReplace : public TCodeTemplates {
public:
    static constexpr const char* kDefaultTriggerKeys = ";,:.=()[]\\{Return}\\{Tab}\\{Space}";

    const char* ClassName() const override { return "TAutoReplace"; }
    // The template list's stream, then the trigger string as a short string.
    void SaveToStream(TStream& stream) const override;
    void ResetDefaults() override;

    void AddReplacement(const std::string& item, const std::string& replacement) { Add(item, "", 0, replacement); }
    const std::string& TriggerKeys() const { return FTriggerKeys; }
    void SetTriggerKeys(const std::string& keys) { FTriggerKeys = keys; }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    void readFields(TStream& stream) override;
    void takeLoaded(TCodeTemplates& loaded) override;

private:
    std::string FTriggerKeys = kDefaultTriggerKeys;
};
