// Code templates and auto-replace lists: entries and their trie, expansion shaping, trigger keys,
// the template file and the stream form.
#include "editor/model/Templates.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "editor/model/KeyBindings.h"
#include "editor/model/LineStore.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/KeyNames.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kOpenForReading = 65218;

constexpr int kBadKeySpecifier = 4257;

// Stored texts hold the editor's line ends, so that an expansion inserts exactly what the list
// shows: CR LF, LF CR and single LFs become CR, other control characters except TAB become ".".
std::string normaliseEntryText(const std::string& text)
{
    if (text.empty())
        return text;
    std::string out(text.size() + 1, '\0');
    const int length = NormaliseChunk(out.data(), text.data(), static_cast<int>(text.size()));
    out.resize(static_cast<size_t>(length));
    return out;
}

// The virtual key of the name between "\{" and "}": only its letters and digits count.
int parseKeyName(std::string_view spec)
{
    std::string name;
    for (char c : spec)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            name += c;
    return FindKeyName(name);
}

// Skips the line break at `pos` (CR LF, LF or CR); returns the position after it.
size_t skipLineBreak(const std::string& text, size_t pos)
{
    if (pos < text.size() && text[pos] == '\r')
        ++pos;
    else if (pos < text.size() && text[pos] == '\n')
        return pos + 1;
    else
        return pos;
    if (pos < text.size() && text[pos] == '\n')
        ++pos;
    return pos;
}

} // namespace

// ---------------------------------------------------------------- TMacroKeywords

TMacroKeywords::TMacroKeywords() : FTrie(std::make_unique<TKeywords>())
{
    FTrie->CurrentStates = TStateSet{0};
}

TMacroKeywords::~TMacroKeywords() = default;

std::unique_ptr<TSM_Base> TMacroKeywords::NewInstance() const
{
    return std::make_unique<TMacroKeywords>();
}

std::vector<int32_t>::const_iterator TMacroKeywords::lowerBound(const std::string& key) const
{
    return std::lower_bound(FOrder.begin(), FOrder.end(), key, [this](int32_t index, const std::string& k) {
        return CompareText(FEntries[static_cast<size_t>(index)].Key, k) < 0;
    });
}

bool TMacroKeywords::holdsKey(std::vector<int32_t>::const_iterator position, const std::string& key) const
{
    return position != FOrder.end() && CompareText(FEntries[static_cast<size_t>(*position)].Key, key) == 0;
}

void TMacroKeywords::addToTrie(int32_t index)
{
    const std::string& key = FEntries[static_cast<size_t>(index)].Key;
    FTrie->Add(std::string(key.rbegin(), key.rend()), 0, index + 1, TStateSet{0}, TSM_CharGroup());
}

int TMacroKeywords::IndexOf(const std::string& key) const
{
    const auto position = lowerBound(key);
    return holdsKey(position, key) ? static_cast<int>(position - FOrder.begin()) : -1;
}

void TMacroKeywords::Add(const std::string& key, const std::string& description, uint8_t caseSensitive,
                         const std::string& text)
{
    TTemplateEntry entry{caseSensitive == 0 ? AsciiLowerCase(key) : key, description, normaliseEntryText(text)};
    const auto position = lowerBound(entry.Key);
    if (holdsKey(position, entry.Key)) {
        // The trie folds case the way the list compares keys, so the old path leads to the new entry.
        FEntries[static_cast<size_t>(*position)] = std::move(entry);
        return;
    }
    const auto index = static_cast<int32_t>(FEntries.size());
    FEntries.push_back(std::move(entry));
    FOrder.insert(position, index);
    addToTrie(index);
}

void TMacroKeywords::Clear()
{
    FTrie->Clear();
    FEntries.clear();
    FOrder.clear();
}

void TMacroKeywords::RebuildTrie()
{
    FTrie->Clear();
    FTrie->CurrentStates = TStateSet{0};
    for (size_t i = 0; i < FEntries.size(); ++i)
        addToTrie(static_cast<int32_t>(i));
}

void TMacroKeywords::DeleteEntry(int index)
{
    const int32_t victim = FOrder.at(static_cast<size_t>(index));
    FEntries.erase(FEntries.begin() + victim);
    FOrder.erase(FOrder.begin() + index);
    // Entries after the deleted one move down, and their trie values with them.
    for (int32_t& i : FOrder)
        if (i > victim)
            --i;
    RebuildTrie();
}

void TMacroKeywords::swapEntries(TMacroKeywords& other) noexcept
{
    FEntries.swap(other.FEntries);
    FOrder.swap(other.FOrder);
    FTrie.swap(other.FTrie);
}

bool TMacroKeywords::IsHotKey(int key, TShiftState shift) const
{
    return HotKey != 0 && ShortCut(key, shift) == HotKey;
}

std::string TMacroKeywords::IndentFollowingLines(const std::string& text, int indent)
{
    const std::string blanks(static_cast<size_t>(std::max(indent, 0)), ' ');
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        // A handler may hand back texts with any line ends; the store holds single CRs.
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        out += '\r';
        out += blanks;
    }
    return out;
}

TMacroInsertion TMacroKeywords::PrepareExpansion(int selStart, int selEnd, const std::string& key,
                                                 const std::string& text,
                                                 const std::function<int(int)>& columnOf) const
{
    TMacroInsertion insertion;
    insertion.Start = selStart;
    insertion.End = selEnd;
    if (static_cast<int64_t>(key.size()) <= selStart)
        insertion.Start = selStart - static_cast<int>(key.size());
    int indent = 0;
    if (IndentLines != 0 && !text.empty() && columnOf)
        indent = columnOf(insertion.Start);
    insertion.Text = IndentFollowingLines(text, indent);
    if (CaretMarker != 0) {
        const size_t bar = insertion.Text.find('|');
        if (bar != std::string::npos) {
            insertion.Text.erase(bar, 1);
            insertion.CaretOffset = static_cast<int>(bar);
        }
    }
    return insertion;
}

std::string TMacroKeywords::PopupItemText(int index) const
{
    const TTemplateEntry& entry = Entry(index);
    return entry.Description.empty() ? entry.Key : entry.Description + '\t' + entry.Key;
}

int TMacroKeywords::PopupInitialItem(const std::string& typedWord) const
{
    if (Count() == 0)
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (PopupItemText(i).find(typedWord) != std::string::npos)
            return i;
    return 0;
}

int TMacroKeywords::PopupSearch(std::string& buffer, std::string_view typed) const
{
    auto firstStartingWith = [this](const std::string& prefix) {
        for (int i = 0; i < Count(); ++i) {
            const std::string& key = Entry(i).Key;
            if (key.size() >= prefix.size() && CompareText(key.substr(0, prefix.size()), prefix) == 0)
                return i;
        }
        return -1;
    };
    buffer += typed;
    int found = firstStartingWith(buffer);
    if (found >= 0)
        return found;
    if (buffer.size() == typed.size()) {
        buffer.clear();
        return -1;
    }
    buffer.assign(typed);
    found = firstStartingWith(buffer);
    if (found < 0)
        buffer.clear();
    return found;
}

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

void TCodeTemplates::SetTemplate(const std::string& name, const std::string& description, const std::string& text)
{
    Add(name, description, 0, text);
}

void TCodeTemplates::DeleteTemplate(const std::string& name)
{
    const int listIndex = IndexOf(AsciiLowerCase(name));
    if (listIndex < 0)
        return;
    DeleteEntry(listIndex);
}

bool TCodeTemplates::Lookup(const std::string& key, std::string& text) const
{
    const int index = IndexOf(key);
    if (index < 0)
        return false;
    text = Entry(index).Text;
    return true;
}

std::string TCodeTemplates::SaveToText() const
{
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        const TTemplateEntry& entry = Entry(i);
        out += '[' + entry.Key + " | " + entry.Description + "]\r\n";
        if (entry.Text.empty())
            continue;
        for (char c : entry.Text) {
            if (c == '\r')
                out += "\r\n";
            else
                out += c;
        }
        out += "\r\n";
    }
    return out;
}

void TCodeTemplates::SaveToFile(const std::string& fileName) const
{
    // An empty list is written too: otherwise a list the user emptied would come back from the old
    // file next time.
    // Replaced whole: a write that fails leaves the old file.
    WriteFileBytes(fileName, ProgramFileBytes(SaveToText()));
}

void TCodeTemplates::LoadFromText(const std::string& text)
{
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
        const size_t open = text.find('[', pos);
        if (open == std::string::npos)
            break;
        pos = open + 1;
        size_t end = std::min(text.find_first_of("\r\n]|", pos), n);
        std::string key = text.substr(pos, end - pos);
        pos = end;
        std::string description;
        if (pos < n && text[pos] == '|') {
            ++pos;
            end = std::min(text.find_first_of("\r\n]", pos), n);
            description = text.substr(pos, end - pos);
            pos = end;
        }
        if (pos < n && text[pos] == ']')
            ++pos;
        // One line break ends the header; a blank line after it belongs to the body.
        pos = skipLineBreak(text, pos);

        // The body runs to the next line that starts with "[" (or to the end), less the line break
        // before it.
        const size_t bodyStart = pos;
        size_t bodyEnd = pos;
        while (pos < n && text[pos] != '[') {
            bodyEnd = std::min(text.find_first_of("\r\n", pos), n);
            pos = skipLineBreak(text, bodyEnd);
        }
        Add(Trim(key), Trim(description), 0, text.substr(bodyStart, bodyEnd - bodyStart));
    }
}

void TCodeTemplates::LoadFromFile(const std::string& fileName)
{
    if (!FileExists(fileName))
        throw EFOpenError(FmtLoadStr(kOpenForReading, fileName.c_str()));
    const std::string text = ProgramFileText(ReadFileBytes(fileName));
    Clear();
    LoadFromText(text);
}

void TCodeTemplates::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, Count());
    for (int i = 0; i < Count(); ++i) {
        const TTemplateEntry& entry = Entry(i);
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
    const int32_t count = StreamReadCount(stream, 1 + 1 + 4);
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
    swapEntries(loaded);
    HotKey = loaded.HotKey;
    StreamFlag = loaded.StreamFlag;
}

void TCodeTemplates::LoadFromStream(TStream& stream)
{
    std::unique_ptr<TSM_Base> scratch = NewInstance();
    auto& loaded = static_cast<TCodeTemplates&>(*scratch);
    loaded.readFields(stream);
    takeLoaded(loaded);
}

// ---------------------------------------------------------------- TAutoReplace

TAutoReplace::TAutoReplace()
{
    ConsumeKey = 0;
    IndentLines = 0;
    CaretMarker = 0;
    ShowPopup = 0;
    SetTriggerKeys(kDefaultTriggerKeys);
}

std::unique_ptr<TSM_Base> TAutoReplace::NewInstance() const
{
    return std::make_unique<TAutoReplace>();
}

void TAutoReplace::ResetDefaults()
{
    Clear();
    SetTriggerKeys(kDefaultTriggerKeys);
}

uint16_t TAutoReplace::KeyCode(int key, TShiftState shift)
{
    if (key < 0 || key > 0xFF)
        return 0;
    auto code = static_cast<uint16_t>(key);
    if (shift & ssShift)
        code |= 0x100;
    if (shift & ssCtrl)
        code |= 0x200;
    if (shift & ssAlt)
        code |= 0x400;
    return code;
}

void TAutoReplace::SetTriggerKeys(const std::string& keys)
{
    FTriggerCodes.clear();
    // A character no key types, or an escape that names no key, must not become a code that some
    // other key could match.
    auto addCode = [this](int code) {
        if (code > 0 && code <= 0xFFFF &&
            std::find(FTriggerCodes.begin(), FTriggerCodes.end(), code) == FTriggerCodes.end())
            FTriggerCodes.push_back(static_cast<uint16_t>(code));
    };
    size_t i = 0;
    while (i < keys.size()) {
        const char c = keys[i++];
        if (c != '\\') {
            addCode(VkKeyScan(c));
            continue;
        }
        if (i >= keys.size())
            break;
        const char escaped = keys[i++];
        switch (LoCaseChar(escaped)) {
        case 'n':
        case 'r':
            addCode(VK_RETURN);
            break;
        case 's':
            addCode(VK_SPACE);
            break;
        case 't':
            addCode(VK_TAB);
            break;
        case '{': {
            const size_t close = keys.find('}', i);
            if (close == std::string::npos)
                throw ECodeMemo(LoadResString(kBadKeySpecifier));
            addCode(parseKeyName(std::string_view(keys).substr(i, close - i)));
            i = close + 1;
            break;
        }
        default: {
            // Only keys that type the character unshifted: a shifted one would need the escape.
            const int code = VkKeyScan(escaped);
            addCode(code > 0 && code < 0x100 ? code : 0);
            break;
        }
        }
    }
    FTriggerKeys = keys;
}

bool TAutoReplace::IsTriggerKey(int key, TShiftState shift) const
{
    if (FTriggerKeys.empty())
        return false;
    const uint16_t code = KeyCode(key, shift);
    return code != 0 && std::find(FTriggerCodes.begin(), FTriggerCodes.end(), code) != FTriggerCodes.end();
}

namespace {

bool isCapital(char c)
{
    return AnsiLower(c) != c;
}

bool isSmall(char c)
{
    return AnsiUpper(c) != c;
}

// The length of the character reference ("&name;", "&#N;", or a held character after its mark)
// that begins at text[at], or 0.
size_t referenceAt(const std::string& text, size_t at)
{
    if (text[at] != '&' && text[at] != kHeldCharacterMark)
        return 0;
    size_t end = at + 1;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '#'))
        ++end;
    return end > at + 1 && end < text.size() && text[end] == ';' ? end + 1 - at : 0;
}

} // namespace

std::string TAutoReplace::InCaseOf(const std::string& key, const std::string& text)
{
    const auto first = std::find_if(key.begin(), key.end(), [](char c) { return isCapital(c) || isSmall(c); });
    if (first == key.end() || !isCapital(*first))
        return text;
    const auto letters = std::count_if(key.begin(), key.end(), [](char c) { return isCapital(c) || isSmall(c); });
    const bool allCapitals = letters > 1 && std::none_of(key.begin(), key.end(), isSmall);
    std::string out = text;
    for (size_t at = 0; at < out.size(); ++at) {
        if (const size_t reference = referenceAt(out, at)) {
            at += reference - 1;
            continue;
        }
        if (isCapital(out[at]) || isSmall(out[at])) {
            out[at] = AnsiUpper(out[at]);
            if (!allCapitals)
                break;
        }
    }
    return out;
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
    auto& replace = static_cast<TAutoReplace&>(loaded);
    FTriggerKeys.swap(replace.FTriggerKeys);
    FTriggerCodes.swap(replace.FTriggerCodes);
}
