// Registry storage of a language's user settings: the style value, the key value, and their loading.
#include <array>
#include <cstring>
#include <limits>

#include "editor/model/KeyBindings.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Registry.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidRegistryEntry = 4132;
constexpr int kInvalidStyleString = 4133;
constexpr int kRegistryDisabled = 4141;

constexpr const char* kSignature = "Trevok6:";
constexpr size_t kSignatureLength = 8;
// The style value's reading starts after "Trevok", the version digit and one separator.
constexpr size_t kFirstStyleField = 8;
// The old positional form kept the wrap-override list this short.
constexpr size_t kOldWrapOverrideLength = 20;
constexpr size_t kTagLength = 4;
constexpr int32_t kLastStyle = TSM_Settings::kStyleCount - 1;

enum TStyleTag : int {
    tagOPT, tagGWD, tagGCL, tagWRC, tagIDS, tagWRO, tagFON, tagFOS, tagSTC, tagSTB, tagTBC, tagTBD,
    tagEFF, tagGDF, tagMDF, tagSDF, tagBDF, tagFOC, tagRMG, tagLNN, tagLNS, tagLNC, tagLNT, tagLNE,
    kStyleTagCount
};

// In the order the writer puts them.
constexpr std::array<const char*, kStyleTagCount> kStyleTags{
    "OPT", "GWD", "GCL", "WRC", "IDS", "WRO", "FON", "FOS", "STC", "STB", "TBC", "TBD",
    "EFF", "GDF", "MDF", "SDF", "BDF", "FOC", "RMG", "LNN", "LNS", "LNC", "LNT", "LNE",
};

// The UseDefaultColors entry of each flag tag.
int flagIndex(int tag)
{
    switch (tag) {
    case tagGDF: return udcGutter;
    case tagMDF: return udcMargin;
    case tagSDF: return udcSelTextColor;
    default: return udcSelTextBack;
    }
}

[[noreturn]] void invalidStyleString() { throw ECodeMemo(LoadResString(kInvalidStyleString)); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isTagChar(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int findTag(const std::string& tag)
{
    for (int i = 0; i < kStyleTagCount; ++i)
        if (tag == kStyleTags[static_cast<size_t>(i)])
            return i;
    return -1;
}

// A tag's value as a signed 32-bit decimal.
int32_t valueNumber(const std::string& value)
{
    int64_t number = 0;
    if (!TryStrToInt(value, number) || number < std::numeric_limits<int32_t>::min() ||
        number > std::numeric_limits<int32_t>::max())
        invalidStyleString();
    return static_cast<int32_t>(number);
}

uint8_t valueByte(const std::string& value)
{
    const int32_t number = valueNumber(value);
    if (number < 0 || number > 255)
        invalidStyleString();
    return static_cast<uint8_t>(number);
}

void addField(std::string& text, const char* tag, const std::string& value)
{
    text += tag;
    text += '#';
    text += IntToStr(static_cast<int64_t>(value.size()));
    text += '#';
    text += value;
}

std::string decimal(int32_t value) { return IntToStr(value); }
std::string flag(uint8_t value) { return value ? "1" : "0"; }

// Takes the settings back to a copy of themselves made earlier, unless dismissed first.
TScopeGuard restoreUnlessDismissed(TSM_Settings& settings, TMemoryStream& saved)
{
    return TScopeGuard([&settings, &saved] {
        saved.SetPosition(0);
        settings.LoadFromStream(saved);
    });
}

} // namespace

std::string TCodeMemoParser::StyleValueName() const { return "Highlighting - " + Settings().LanguageName; }

std::string TCodeMemoParser::KeysValueName() const { return "Key Assignments - " + Settings().LanguageName; }

// ---------------------------------------------------------------- writing

std::string TCodeMemoParser::BuildStyleString() const
{
    const TSM_Settings& settings = Settings();
    const TFont& gutterFont = settings.GutterFont();

    int defined = 0;
    std::string styles;
    for (int i = 0; i < TSM_Settings::kStyleCount; ++i) {
        const TSM_TokenStyle& style = settings.GetStyle(static_cast<uint8_t>(i));
        if (!style.Defined)
            continue;
        ++defined;
        styles += Format("%d,%d,%d,", i, style.Foreground, style.Background);
        if (style.DefaultBackground)
            styles += 'X';
        if (style.DefaultForeground)
            styles += 'Y';
        if (style.FontStyle & fsBold)
            styles += 'B';
        if (style.FontStyle & fsItalic)
            styles += 'I';
        if (style.FontStyle & fsUnderline)
            styles += 'U';
        styles += ';';
    }
    // The count is one byte wide for older readers; the reader takes a full list past it.
    std::string list = IntToStr(defined == TSM_Settings::kStyleCount ? kLastStyle : defined);
    if (defined > 0)
        list += ',' + styles;

    std::string gutterStyle;
    if (gutterFont.Style() & fsItalic)
        gutterStyle += 'I';
    if (gutterFont.Style() & fsBold)
        gutterStyle += 'B';
    if (gutterFont.Style() & fsUnderline)
        gutterStyle += 'U';
    if (gutterFont.Style() & fsStrikeOut)
        gutterStyle += 'S';

    std::string text = kSignature;
    addField(text, "OPT", decimal(static_cast<int32_t>(settings.Options)));
    addField(text, "GWD", decimal(settings.Gutter));
    addField(text, "GCL", decimal(settings.GutterColor));
    addField(text, "WRC", decimal(settings.WrapAtColumn));
    addField(text, "IDS", decimal(settings.IndentStep));
    addField(text, "WRO", settings.WrapOverride);
    addField(text, "FON", settings.FontName);
    addField(text, "FOS", decimal(settings.FontSize));
    addField(text, "STC", decimal(settings.SelTextColor));
    addField(text, "STB", decimal(settings.SelTextBack));
    addField(text, "TBC", TabColumnsText(settings));
    addField(text, "TBD", decimal(settings.TabDefault));
    addField(text, "EFF", list);
    addField(text, "GDF", flag(settings.UseDefaultColors[udcGutter]));
    addField(text, "MDF", flag(settings.UseDefaultColors[udcMargin]));
    addField(text, "SDF", flag(settings.UseDefaultColors[udcSelTextColor]));
    addField(text, "BDF", flag(settings.UseDefaultColors[udcSelTextBack]));
    addField(text, "FOC", decimal(settings.Charset));
    addField(text, "RMG", decimal(settings.RightMargin));
    addField(text, "LNN", gutterFont.Name());
    addField(text, "LNS", decimal(gutterFont.Size()));
    addField(text, "LNC", decimal(gutterFont.Color()));
    addField(text, "LNT", decimal(gutterFont.Charset()));
    addField(text, "LNE", gutterStyle);
    text += "#END#";
    return text;
}

std::string TCodeMemoParser::BuildKeyAssignments() const
{
    TMemoryStream stream;
    StreamWriteByte(stream, static_cast<uint8_t>(kSignatureLength));
    stream.WriteBuffer(kSignature, kSignatureLength);
    Settings().KeyController().SaveToStream(stream);
    return stream.AsString();
}

void TCodeMemoParser::SaveToRegistry()
{
    if (RegistryKey.empty() || !UseRegistry)
        throw ECodeMemo(LoadResString(kRegistryDisabled) + Name);
    const std::string styles = BuildStyleString();
    const std::string keys = BuildKeyAssignments();
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.CreateKey(RegistryKey);
    registry.OpenKey(RegistryKey, true);
    registry.WriteString(StyleValueName(), styles);
    registry.WriteBinaryData(KeysValueName(), keys.data(), static_cast<int>(keys.size()));
    registry.CloseKey();
    // The store reaches the disk at the close; a failed write must not pass for a saved setting.
    if (!RegistrySaveProblem().empty())
        throw ERegistryException(RegistrySaveProblem());
}

// ---------------------------------------------------------------- reading

int32_t TCodeMemoParser::ReadStyleNumber(TStyleCursor& cursor, int32_t Default)
{
    const char c = cursor.Current();
    // The writer puts signed values (system colours are negative), so a sign is taken too.
    const bool negative = c == '-' && cursor.Pos + 1 < cursor.End && isDigit(cursor.Text[cursor.Pos + 1]);
    if (cursor.AtEnd() || !(isDigit(c) || negative)) {
        if (!cursor.AtEnd() && c == ',')
            ++cursor.Pos;
        return Default;
    }
    if (negative)
        ++cursor.Pos;
    // Digits beyond 32 bits wrap, as the 32-bit value they stand for would.
    uint32_t number = 0;
    while (!cursor.AtEnd() && isDigit(cursor.Current())) {
        number = number * 10u + static_cast<uint32_t>(cursor.Current() - '0');
        ++cursor.Pos;
    }
    if (!cursor.AtEnd() && cursor.Current() == ',')
        ++cursor.Pos;
    return static_cast<int32_t>(negative ? 0u - number : number);
}

void TCodeMemoParser::ParseStyleEntry(TStyleCursor& cursor)
{
    const int32_t index = ReadStyleNumber(cursor, kLastStyle);
    if (index < 0 || index > kLastStyle)
        invalidStyleString();
    TSM_TokenStyle style = Settings().GetStyle(static_cast<uint8_t>(index));
    style.Foreground = ReadStyleNumber(cursor, clBlack);
    style.Background = ReadStyleNumber(cursor, clWhite);
    style.FontStyle = 0;
    style.Defined = 1;
    style.DefaultForeground = 0;
    style.DefaultBackground = 0;
    for (bool more = true; more && !cursor.AtEnd();) {
        switch (lowerAscii(cursor.Current())) {
        case 'x': style.DefaultBackground = 1; break;
        case 'y': style.DefaultForeground = 1; break;
        case 'b': style.FontStyle |= fsBold; break;
        case 'i': style.FontStyle |= fsItalic; break;
        case 'u': style.FontStyle |= fsUnderline; break;
        case ';': more = false; break;
        default: more = false; continue; // not ours: left for whatever follows
        }
        ++cursor.Pos;
    }
    Settings().SetStyle(static_cast<uint8_t>(index), style);
}

void TCodeMemoParser::parseStyleList(TStyleCursor& cursor)
{
    const int32_t count = ReadStyleNumber(cursor, 0);
    // Every entry takes at least one character, so a count beyond what remains is no list of ours.
    if (count < 0 || static_cast<size_t>(count) > cursor.End - cursor.Pos)
        invalidStyleString();
    for (int32_t i = 0; i < count; ++i)
        ParseStyleEntry(cursor);
    // All 256 styles are counted as 255: the last one follows the counted ones.
    if (count == kLastStyle) {
        while (!cursor.AtEnd()) {
            const size_t before = cursor.Pos;
            ParseStyleEntry(cursor);
            if (cursor.Pos == before)
                break;
        }
    }
}

void TCodeMemoParser::parsePositional(const std::string& S, int version)
{
    TStyleCursor cursor{S, std::min(kFirstStyleField, S.size()), S.size()};
    auto readChars = [&cursor](int32_t count) {
        if (count < 0 || static_cast<size_t>(count) > cursor.End - cursor.Pos)
            invalidStyleString();
        std::string chars = cursor.Text.substr(cursor.Pos, static_cast<size_t>(count));
        cursor.Pos += static_cast<size_t>(count);
        return chars;
    };
    auto skipSeparator = [&cursor] {
        if (!cursor.AtEnd())
            ++cursor.Pos;
    };

    const int32_t options = ReadStyleNumber(cursor, static_cast<int32_t>(kDefaultOptionWord));
    const int32_t gutter = ReadStyleNumber(cursor, 34);
    const int32_t wrapColumn = ReadStyleNumber(cursor, 0);
    const int32_t indentStep = ReadStyleNumber(cursor, 1);
    std::string wrapOverride = readChars(ReadStyleNumber(cursor, 0)).substr(0, kOldWrapOverrideLength);
    skipSeparator();

    std::string fontName = "Courier New";
    int32_t fontSize = 10;
    TColor selTextColor = static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlightText)));
    TColor selTextBack = static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlight)));
    std::array<int32_t, TSM_Settings::kTabStopCount> tabs;
    tabs.fill(-1);
    int32_t tabDefault = 4;
    if (version >= 2) {
        fontName = readChars(ReadStyleNumber(cursor, 0));
        skipSeparator();
        fontSize = ReadStyleNumber(cursor, 10);
    }
    if (version >= 3) {
        selTextColor = ReadStyleNumber(cursor, selTextColor);
        selTextBack = ReadStyleNumber(cursor, selTextBack);
    }
    if (version >= 4) {
        tabs = ParseTabColumns(readChars(ReadStyleNumber(cursor, 0)));
        skipSeparator();
        tabDefault = ReadStyleNumber(cursor, 4);
    }
    parseStyleList(cursor);

    TSM_Settings& settings = Settings();
    settings.Options = static_cast<uint32_t>(options);
    settings.WrapOverride = std::move(wrapOverride);
    settings.Gutter = gutter;
    settings.IndentStep = indentStep;
    settings.WrapAtColumn = wrapColumn;
    settings.FontName = std::move(fontName);
    settings.FontSize = fontSize;
    settings.SelTextColor = selTextColor;
    settings.SelTextBack = selTextBack;
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
        settings.SetTabColumn(i, tabs[static_cast<size_t>(i)]);
    settings.TabDefault = tabDefault;
}

void TCodeMemoParser::applyTag(int tag, const std::string& value)
{
    TSM_Settings& settings = Settings();
    TFont& gutterFont = settings.GutterFont();
    switch (tag) {
    case tagOPT: settings.Options = static_cast<uint32_t>(valueNumber(value)); break;
    case tagGWD: settings.Gutter = valueNumber(value); break;
    case tagGCL: settings.GutterColor = valueNumber(value); break;
    case tagWRC: settings.WrapAtColumn = valueNumber(value); break;
    case tagIDS: settings.IndentStep = valueNumber(value); break;
    case tagWRO: settings.WrapOverride = value; break;
    case tagFON: settings.FontName = value; break;
    case tagFOS: settings.FontSize = valueNumber(value); break;
    case tagSTC: settings.SelTextColor = valueNumber(value); break;
    case tagSTB: settings.SelTextBack = valueNumber(value); break;
    case tagTBC: {
        const std::array<int32_t, TSM_Settings::kTabStopCount> tabs = ParseTabColumns(value);
        for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
            settings.SetTabColumn(i, tabs[static_cast<size_t>(i)]);
        break;
    }
    case tagTBD: settings.TabDefault = valueNumber(value); break;
    case tagGDF:
    case tagMDF:
    case tagSDF:
    case tagBDF: settings.UseDefaultColors[static_cast<size_t>(flagIndex(tag))] = value == "1" ? 1 : 0; break;
    case tagFOC: settings.Charset = valueByte(value); break;
    case tagRMG: settings.RightMargin = valueNumber(value); break;
    case tagLNN: gutterFont.SetName(value); break;
    case tagLNS: gutterFont.SetSize(valueNumber(value)); break;
    case tagLNC: gutterFont.SetColor(valueNumber(value)); break;
    case tagLNT: gutterFont.SetCharset(valueByte(value)); break;
    case tagLNE: {
        TFontStyles style = 0;
        for (const char c : value) {
            switch (c) {
            case 'I': style |= fsItalic; break;
            case 'B': style |= fsBold; break;
            case 'U': style |= fsUnderline; break;
            case 'S': style |= fsStrikeOut; break;
            default: break;
            }
        }
        gutterFont.SetStyle(style);
        break;
    }
    default: break; // the style list is read by the caller
    }
}

void TCodeMemoParser::parseTagged(const std::string& S, TMemoryStream& saved)
{
    const size_t size = S.size();
    size_t pos = std::min(kFirstStyleField, size);
    for (;;) {
        std::string tag;
        while (pos < size && isTagChar(S[pos])) {
            if (tag.size() < kTagLength)
                tag += S[pos];
            ++pos;
        }
        if (tag == "END" || pos >= size || S[pos] != '#')
            return;
        TStyleCursor cursor{S, pos + 1, size};
        const int32_t length = ReadStyleNumber(cursor, 0);
        pos = cursor.Pos;
        if (pos >= size || S[pos] != '#')
            return;
        ++pos;
        if (length < 0 || static_cast<size_t>(length) > size - pos)
            invalidStyleString();
        const int index = findTag(tag);
        if (index < 0)
            return;
        const std::string value = S.substr(pos, static_cast<size_t>(length));
        pos += static_cast<size_t>(length);
        if (index == tagEFF) {
            // A broken list leaves no half of it behind: the settings go back as they came.
            TScopeGuard restore = restoreUnlessDismissed(Settings(), saved);
            TStyleCursor list{value, 0, value.size()};
            parseStyleList(list);
            restore.Dismiss();
        } else {
            applyTag(index, value);
        }
    }
}

void TCodeMemoParser::ParseStyleString(const std::string& S)
{
    if (S.size() < 7 || S.compare(0, 6, "Trevok") != 0 || S[6] < '1' || S[6] > '9')
        invalidStyleString();
    const int version = S[6] - '0';

    // Whatever was applied, also before an error, is what the editors must show.
    TScopeGuard refresh([this] {
        Settings().RebuildFontCache();
        RefreshEditors();
    });
    TMemoryStream saved;
    Settings().SaveToStream(saved);
    if (version <= 4) {
        // Nothing of an old value is kept unless all of it could be read.
        TScopeGuard restore = restoreUnlessDismissed(Settings(), saved);
        parsePositional(S, version);
        restore.Dismiss();
    } else {
        parseTagged(S, saved);
    }
}

void TCodeMemoParser::LoadKeyAssignments(const std::string& data)
{
    if (data.size() <= kSignatureLength || data.compare(1, kSignatureLength, kSignature) != 0)
        return;
    TCustomMemoryStream stream(data.data() + 1 + kSignatureLength,
                               static_cast<int64_t>(data.size() - 1 - kSignatureLength));
    Settings().KeyController().LoadFromStream(stream);
}

void TCodeMemoParser::LoadFromRegistry(bool UseOwnKey, const std::string& Key)
{
    if (UseOwnKey && (RegistryKey.empty() || !UseRegistry))
        throw ECodeMemo(LoadResString(kRegistryDisabled) + Name);
    const std::string key = UseOwnKey ? RegistryKey : Key;
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.KeyExists(key))
        return;
    // Named before anything is applied: a failed value may take the language name with it.
    const std::string entry = key + "\\" + StyleValueName();
    try {
        if (!registry.OpenKeyReadOnly(key))
            return;
        const std::string styles = StyleValueName();
        const std::string keys = KeysValueName();
        if (registry.ValueExists(styles))
            ParseStyleString(registry.ReadString(styles));
        if (registry.ValueExists(keys))
            LoadKeyAssignments(registry.ReadBinaryData(keys));
    } catch (const std::exception&) {
        throw ECodeMemo(LoadResString(kInvalidRegistryEntry) + " \"" + entry + "\"");
    }
}
