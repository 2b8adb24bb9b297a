// Code templates and auto-replace entries: their lists and reversed-key trie, hot key and trigger keys,
// the match before the caret, the shaping of an expansion, the template file and the stream form.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/model/Keywords.h"
#include "editor/model/Settings.h"
#include "platform/core/Messages.h"

// One entry: the key (lower case unless added case-sensitively), an optional description and the
// text, whose line breaks are single CRs.
struct TTemplateEntry {
    std::string Key;
    std::string Description;
    std::string Text;
};

// An entry key found right before the caret.
struct TMacroMatch {
    int Start = 0;    // text offset of the key's first character
    std::string Key;  // the matched characters as they stand in the text
    std::string Text; // the entry's text
};

// What a key press means to a list. Consumed: the key must not reach the editor. ShowPopup: the
// control opens the pop-up list of the entries, TypedWord (lower case) being the word before the
// caret that the list is searched for and that the accepted entry replaces.
struct TMacroKeyOutcome {
    bool Consumed = false;
    bool ShowPopup = false;
    std::string TypedWord;
};

// The edit an expansion makes: Text replaces Start..End, then the caret goes to Start + CaretOffset;
// CaretOffset -1 leaves the caret where the insertion puts it.
struct TMacroInsertion {
    int Start = 0;
    int End = 0;
    std::string Text;
    int CaretOffset = -1;
};

// A list of keyed texts that are expanded in the editor. Each key is also in a trie reversed, so the
// text before the caret can be matched backwards from the caret with the keyword trie's walk.
class TMacroKeywords : public TSM_Base {
public:
    // Performs an expansion: the editor replaces `key` (empty from the pop-up list) before the caret
    // by `text`, which the handler may change first.
    using TExpandEvent = std::function<void(TMacroKeywords& source, const std::string& key, std::string& text)>;

    TMacroKeywords();
    ~TMacroKeywords() override;
    TMacroKeywords(const TMacroKeywords&) = delete;
    TMacroKeywords& operator=(const TMacroKeywords&) = delete;

    const char* ClassName() const override { return "TMacroKeywords"; }

    // Adds an entry; the key is lower-cased when caseSensitive is 0, and the entry listed under the
    // same key (compared without case) is replaced. The text's line breaks become CRs and its other
    // control characters except TAB become ".".
    void Add(const std::string& key, const std::string& description, uint8_t caseSensitive,
             const std::string& text);
    // Removes the entry at list index `index`.
    void DeleteEntry(int index);
    void Clear();
    void RebuildTrie();

    int Count() const { return static_cast<int>(FOrder.size()); }
    // The entries in list order, sorted by key without case.
    const TTemplateEntry& Entry(int index) const
    {
        return FEntries.at(static_cast<size_t>(FOrder.at(static_cast<size_t>(index))));
    }
    // The list index of `key` (compared without case); -1 when it is not listed.
    int IndexOf(const std::string& key) const;

    // Whether the key starts this list's work: the hot key here, a trigger key for auto-replace.
    virtual bool IsHotKey(int key, TShiftState shift) const;

    // The longest key that ends right before `caret`, read backwards through `cursor` (anything may
    // stand before it). The cursor needs GetPos, SetPos, CurrentChar, AtEnd, Next and Prev as
    // TCustomEdStream has them; it is left somewhere in the text. With the caret at the text start
    // nothing is matched: there is nothing before it to read.
    template <class TCursor>
    bool MatchBeforeCaret(TCursor& cursor, int caret, TMacroMatch& match) const;

    // The word before `caret`, lower-cased: the characters for which isInWord holds, walking back,
    // less any leading ones that cannot start a word.
    template <class TCursor, class TInWord, class TStartsWord>
    static std::string TypedWordBeforeCaret(TCursor& cursor, int caret, TInWord isInWord, TStartsWord startsWord);

    // The model half of a key press, for the editor's key handler (which passes its caret and its
    // word tests): a key of this list with text in the editor matches the key before the caret and,
    // on a match, calls OnExpand and consumes the key when ConsumeKey is set. Without a match the
    // outcome asks for the pop-up list when ShowPopup is set and there are entries.
    template <class TCursor, class TInWord, class TStartsWord>
    TMacroKeyOutcome HandleKey(int key, TShiftState shift, TCursor& cursor, int caret, TInWord isInWord,
                               TStartsWord startsWord);

    // The steps of an expansion that do not touch the editor. The ordered selection selStart..selEnd
    // ends at the caret; when the key fits before selStart the range grows back over it. With
    // IndentLines, every line after the first is indented by columnOf(start), the display column of
    // the range start; with CaretMarker, the first "|" is taken out and marks the caret.
    TMacroInsertion PrepareExpansion(int selStart, int selEnd, const std::string& key, const std::string& text,
                                     const std::function<int(int)>& columnOf) const;
    // `text` with CR LF and LF as CR, and `indent` blanks after every line break.
    static std::string IndentFollowingLines(const std::string& text, int indent);

    // The pop-up list: item `index` shows "description TAB key", or the key alone.
    std::string PopupItemText(int index) const;
    // The item first selected: the first whose text contains `typedWord`, else 0 (-1 for no items).
    int PopupInitialItem(const std::string& typedWord) const;
    // Adds `typed`, one character of the editor's text (a held one whole), to the search buffer and
    // returns the first item whose key starts with it (without case). When none does, a buffer of
    // one character is emptied and a longer one starts again with `typed` alone. -1: keep the
    // selection.
    int PopupSearch(std::string& buffer, std::string_view typed) const;

    TShortCut HotKey = scCtrl | 'J';
    uint8_t ConsumeKey = 1;  // the key that triggered an expansion is swallowed
    uint8_t IndentLines = 1; // lines after the first get the indentation of the key's column
    uint8_t CaretMarker = 1; // the first "|" of the text marks where the caret goes
    uint8_t ShowPopup = 1;   // the hot key without a key before the caret opens the pop-up list
    uint8_t StreamFlag = 1;  // a flag only the stream carries
    TExpandEvent OnExpand;

    const TKeywords& Trie() const { return *FTrie; }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    // Exchanges the entries and the trie with another list.
    void swapEntries(TMacroKeywords& other) noexcept;

private:
    // The first position in FOrder whose key is not below `key`, and whether it holds `key`.
    std::vector<int32_t>::const_iterator lowerBound(const std::string& key) const;
    bool holdsKey(std::vector<int32_t>::const_iterator position, const std::string& key) const;
    // Adds the key of FEntries[index] reversed, with any character allowed before it.
    void addToTrie(int32_t index);

    // Entries stay at their index until one is deleted: the trie's values are these indexes + 1
    // (0 stands for no match in the trie's walk).
    std::vector<TTemplateEntry> FEntries;
    std::vector<int32_t> FOrder; // indexes into FEntries, sorted by key
    std::unique_ptr<TKeywords> FTrie;
};

// Named templates with their file and stream forms.
class TCodeTemplates : public TMacroKeywords {
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

    // Adds or replaces the template of that name (compared without case); the name is stored in
    // lower case.
    void SetTemplate(const std::string& name, const std::string& description, const std::string& text);
    void DeleteTemplate(const std::string& name);
    // The text of the template named `key` (without case); false when there is none.
    bool Lookup(const std::string& key, std::string& text) const;

    // The template file: per entry a header line "[key | description]" and the text's lines, all
    // ending CR LF; Windows-1252, or UTF-8 after its byte-order mark once a text holds a character
    // Windows-1252 lacks (the program's own files' rule, ProgramFileText.h). Writing errors raise
    // EWriteError or EFCreateError.
    void SaveToFile(const std::string& fileName) const;
    // Replaces the entries by those of the file; EFOpenError "Cannot open file "%s" for reading"
    // when it is missing, and the entries stay.
    void LoadFromFile(const std::string& fileName);
    // Parses the text of a template file into the entries (which are not emptied first).
    void LoadFromText(const std::string& text);
    std::string SaveToText() const;

    // The script compiler calls this at the end of its template section; nothing is left to do.
    void EmptyHook() {}

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    // Reads the fields of this class from the stream; subclasses read theirs after.
    virtual void readFields(TStream& stream);
    // Takes over what `loaded`, an object of the same class, read.
    virtual void takeLoaded(TCodeTemplates& loaded);
};

// Auto-correct entries, replaced when one of the trigger keys is typed after them.
class TAutoReplace : public TCodeTemplates {
public:
    static constexpr const char* kDefaultTriggerKeys = ";,:.=()[]\\{Return}\\{Tab}\\{Space}";

    TAutoReplace();
    const char* ClassName() const override { return "TAutoReplace"; }
    // The template list's stream, then the trigger string as a short string.
    void SaveToStream(TStream& stream) const override;
    void ResetDefaults() override;

    void AddReplacement(const std::string& item, const std::string& replacement) { Add(item, "", 0, replacement); }

    const std::string& TriggerKeys() const { return FTriggerKeys; }
    const std::vector<uint16_t>& TriggerCodes() const { return FTriggerCodes; }
    // Reads the trigger codes from the string: a character stands for the key that types it;
    // "\n" and "\r" for Return, "\s" for Space, "\t" for Tab; "\{name}" for the named key ("Return",
    // "F1" ...); "\" and another character for that character's key when it needs no Shift. Each code
    // is kept once; a character or escape that gives no key adds nothing. A "\{" without "}" raises
    // ECodeMemo "Bad key specifier", keeping the codes read before it and the old string.
    void SetTriggerKeys(const std::string& keys);
    bool IsTriggerKey(int key, TShiftState shift) const;
    bool IsHotKey(int key, TShiftState shift) const override { return IsTriggerKey(key, shift); }

    // A trigger code: the virtual key plus 256 for Shift, 512 for Ctrl and 1024 for Alt; 0 for a
    // virtual key above 255.
    static uint16_t KeyCode(int key, TShiftState shift);

    // Whether the text may replace `key`, which starts at keyStart and ends at the caret: a key
    // ending in a word character must not be followed by one, and a text that starts a word must
    // not be glued to a word character before the key.
    template <class TCursor, class TInWord, class TStartsWord>
    static bool CanReplace(TCursor& cursor, int keyStart, const std::string& key, const std::string& text,
                           TInWord isInWord, TStartsWord startsWord);
    // `text` in the case the author typed `key` in: a key whose letters are all capitals (two or
    // more of them) gives the text in capitals, a key that starts with a capital gives the text a
    // capital start; otherwise the text as listed. Letters are Windows-1252's; the names of
    // character references ("&eacute;") keep their case, which is part of the name.
    static std::string InCaseOf(const std::string& key, const std::string& text);

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;
    void readFields(TStream& stream) override;
    void takeLoaded(TCodeTemplates& loaded) override;

private:
    std::string FTriggerKeys;
    std::vector<uint16_t> FTriggerCodes;
};

// ---------------------------------------------------------------- cursor walks

template <class TCursor>
bool TMacroKeywords::MatchBeforeCaret(TCursor& cursor, int caret, TMacroMatch& match) const
{
    // From the text start the backward read would take the character after the caret.
    if (caret <= 0)
        return false;
    cursor.SetPos(caret - 1);
    int64_t start = 0;
    int length = 0;
    const int32_t value = FTrie->MatchCursor(cursor, 0, 0, start, length);
    if (value <= 0 || static_cast<size_t>(value) > FEntries.size())
        return false;
    match.Start = caret - length;
    match.Key.clear();
    cursor.SetPos(match.Start);
    for (int i = 0; i < length; ++i) {
        match.Key += cursor.CurrentChar();
        cursor.Next();
    }
    match.Text = FEntries[static_cast<size_t>(value - 1)].Text;
    return true;
}

template <class TCursor, class TInWord, class TStartsWord>
std::string TMacroKeywords::TypedWordBeforeCaret(TCursor& cursor, int caret, TInWord isInWord,
                                                 TStartsWord startsWord)
{
    std::string reversed;
    for (int position = caret - 1; position >= 0; --position) {
        cursor.SetPos(position);
        char c = cursor.CurrentChar();
        if (!isInWord(c))
            break;
        reversed += c;
    }
    while (!reversed.empty() && !startsWord(reversed.back()))
        reversed.pop_back();
    std::string word(reversed.rbegin(), reversed.rend());
    for (char& c : word)
        c = LoCaseChar(c);
    return word;
}

template <class TCursor, class TInWord, class TStartsWord>
TMacroKeyOutcome TMacroKeywords::HandleKey(int key, TShiftState shift, TCursor& cursor, int caret,
                                           TInWord isInWord, TStartsWord startsWord)
{
    TMacroKeyOutcome outcome;
    if (!IsHotKey(key, shift))
        return outcome;
    cursor.SetPos(0);
    if (cursor.AtEnd()) // no text
        return outcome;
    TMacroMatch match;
    if (MatchBeforeCaret(cursor, caret, match)) {
        if (OnExpand) {
            OnExpand(*this, match.Key, match.Text);
            outcome.Consumed = ConsumeKey != 0;
        }
        return outcome;
    }
    outcome.TypedWord = TypedWordBeforeCaret(cursor, caret, isInWord, startsWord);
    outcome.ShowPopup = ShowPopup != 0 && Count() > 0;
    return outcome;
}

template <class TCursor, class TInWord, class TStartsWord>
bool TAutoReplace::CanReplace(TCursor& cursor, int keyStart, const std::string& key, const std::string& text,
                              TInWord isInWord, TStartsWord startsWord)
{
    if (key.empty())
        return true;
    if (isInWord(key.back())) {
        cursor.SetPos(keyStart + static_cast<int>(key.size()));
        if (!cursor.AtEnd() && isInWord(cursor.CurrentChar()))
            return false;
    }
    if (keyStart > 0 && !text.empty()) {
        cursor.SetPos(keyStart - 1);
        if (isInWord(cursor.CurrentChar()) && startsWord(text.front()))
            return false;
    }
    return true;
}
