// Setting objects: copying through the stream form, the editor settings, their stream and font cache.
#include "editor/model/Settings.h"

#include <algorithm>

#include "editor/model/KeyBindings.h"
#include "editor/model/Keywords.h"
#include "editor/model/StringScanner.h"
#include "editor/model/Templates.h"
#include "platform/core/SysUtils.h"

namespace {

const int kLanguageNameId = 4128;
const int kTabColumnExpected = 4205;
const int kTabColumnsOrder = 4206;
const int kTabColumnTooSmall = 4207;
const int kTooManyTabStops = 4208;

// Option-word bits in the order of the options.
const uint32_t kOptionBits[kCodeMemoOptionCount] = {
    0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000, 0x4000, 0x8000, 0x10000,
    0x20000, 0x40000, 0x80000, 0x100000, 0x200000, 0x400000, 0x800000, 0x1000000, 0x2000000,
    0x8000000, 0x1, 0x4000000,
};

// The glyphs of invisible characters: a pilcrow from the variable-pitch text font, and two arrows
// of the symbol font.
const char* const kGlyphTextFace = "MS Sans Serif";
const char* const kGlyphSymbolFace = "Symbol";
const unsigned char kPilcrowChar = 182;
const unsigned char kTabArrowChar = 174;
const unsigned char kReturnArrowChar = 191;

// Smallest stream sizes of the counted items, checked before anything is read.
const int64_t kStyleRecordBytes = 1 + 17;
const int64_t kStyleMapPairBytes = 2;
const int64_t kEditableRecordBytes = 4 + 1;
const int64_t kKeywordTableBytes = 32 + 4 + 4 + 4;
const int64_t kKeywordWordBytes = 4 + 4;

bool isStoredStyle(const TSM_TokenStyle& style)
{
    const TSM_TokenStyle plain;
    return style.Defined != 0 || style.FontStyle != plain.FontStyle || style.Foreground != plain.Foreground ||
           style.Background != plain.Background || style.DefaultForeground != plain.DefaultForeground ||
           style.DefaultBackground != plain.DefaultBackground || style.Hotspot != plain.Hotspot;
}


} // namespace

// ---------------------------------------------------------------- TSM_Base

std::unique_ptr<TSM_Base> TSM_Base::NewInstance() const
{
    return std::make_unique<TSM_Base>();
}

std::unique_ptr<TSM_Base> TSM_Base::Clone() const
{
    std::unique_ptr<TSM_Base> copy = NewInstance();
    copy->Assign(*this);
    return copy;
}

void TSM_Base::Assign(const TSM_Base& source)
{
    TMemoryStream stream;
    source.SaveToStream(stream);
    stream.SetPosition(0);
    LoadFromStream(stream);
}

void TSM_Base::SaveToStream(TStream&) const {}

void TSM_Base::LoadFromStream(TStream&) {}

// ---------------------------------------------------------------- options

uint32_t OptionBit(TCodeMemoOption option)
{
    return kOptionBits[option];
}

TCodeMemoOptions WordToOptions(uint32_t word)
{
    TCodeMemoOptions options;
    for (int i = 0; i < kCodeMemoOptionCount; ++i)
        if (word & kOptionBits[i])
            options.Include(static_cast<TCodeMemoOption>(i));
    return options;
}

uint32_t OptionsToWord(TCodeMemoOptions options)
{
    uint32_t word = 0;
    for (int i = 0; i < kCodeMemoOptionCount; ++i)
        if (options.Contains(static_cast<TCodeMemoOption>(i)))
            word |= kOptionBits[i];
    return word;
}

// ---------------------------------------------------------------- TSM_Settings

TSM_Settings::TSM_Settings()
    : FAutoReplace(std::make_unique<TAutoReplace>()),
      FCodeTemplates(std::make_unique<TCodeTemplates>()),
      FKeyController(std::make_unique<TKeyboardActionContoller>())
{
    FGutterFont.OnChange = [this] { NotifyClients(); };
    ResetDefaults();
}

TSM_Settings::~TSM_Settings()
{
    FGutterFont.OnChange = nullptr;
}

std::unique_ptr<TSM_Base> TSM_Settings::NewInstance() const
{
    return std::make_unique<TSM_Settings>();
}

void TSM_Settings::ResetDefaults()
{
    if (FClientCount > 0)
        FreeFontCache();
    ExampleText.clear();
    LanguageName = LoadResString(kLanguageNameId);
    WrapOverride = ">|:";
    Charset = DEFAULT_CHARSET;
    FEditableStyles.fill(TSM_EditableStyle());
    Options = kDefaultOptionWord;
    TabDefault = 4;
    Margin = 2;
    RightMargin = 80;
    WrapAtColumn = 0;
    Gutter = 34;
    IndentStep = 1;
    MarginColor = clWhite;
    GutterColor = static_cast<TColor>(clBtnFace);
    // The selection colours are taken as RGB now, so a later change of the palette does not move them.
    SelTextColor = static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlightText)));
    SelTextBack = static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlight)));
    FTabColumns.fill(-1);
    FStyleMap.fill(0);
    FStyles.fill(TSM_TokenStyle());
    FStyles[0].Defined = 1;
    FontName = "Courier New";
    FontSize = 10;
    UseDefaultColors.fill(0);
    FStylesChanged = 1;
    FHotspotCache = 0;
    FHotspotCacheValid = false;
    disposeKeywordTables();
    FKeyController->Assign(DefaultKeyController());
    FAutoReplace->ResetDefaults();
    FCodeTemplates->Clear();
}

void TSM_Settings::SetStyle(uint8_t index, const TSM_TokenStyle& style)
{
    FStyles[index] = style;
    FStylesChanged = 1;
    FHotspotCacheValid = false;
}

bool TSM_Settings::HasHotspots()
{
    // StylesChanged stays set once styles were written, so a separate mark says whether the cache
    // already reflects the last write; the mouse asks on every move.
    if (!FStylesChanged || FHotspotCacheValid)
        return FHotspotCache != 0;
    FHotspotCacheValid = true;
    FHotspotCache = 0;
    for (const TSM_TokenStyle& style : FStyles) {
        if (style.Defined && style.Hotspot) {
            FHotspotCache = 1;
            break;
        }
    }
    return FHotspotCache != 0;
}

TSM_EditableStyle TSM_Settings::GetEditableStyle(int index) const
{
    if (index < 1 || index > kEditableStyleCount)
        return {};
    return FEditableStyles[static_cast<size_t>(index - 1)];
}

void TSM_Settings::SetEditableStyle(int index, const TSM_EditableStyle& style)
{
    if (index < 1 || index > kEditableStyleCount)
        return;
    TSM_EditableStyle& record = FEditableStyles[static_cast<size_t>(index - 1)];
    record.Name = style.Name.substr(0, kEditableNameLength);
    record.StyleIndex = style.StyleIndex;
}

int32_t TSM_Settings::GetTabColumn(int index) const
{
    if (index < 0 || index >= kTabStopCount)
        return -1;
    return FTabColumns[static_cast<size_t>(index)];
}

void TSM_Settings::SetTabColumn(int index, int32_t column)
{
    if (index >= 0 && index < kTabStopCount)
        FTabColumns[static_cast<size_t>(index)] = column;
}

std::array<int32_t, TSM_Settings::kTabStopCount> ParseTabColumns(const std::string& text)
{
    std::array<int32_t, TSM_Settings::kTabStopCount> stops;
    stops.fill(-1);
    TStringScanner scanner(text);
    int count = 0;
    int previous = 0;
    for (;;) {
        while (!scanner.AtEnd() && (scanner.CurChar() == ' ' || scanner.CurChar() == ';'))
            scanner.Next();
        if (scanner.AtEnd())
            break;
        if (count == TSM_Settings::kTabStopCount)
            throw ECodeMemo(LoadResString(kTooManyTabStops) + IntToStr(TSM_Settings::kTabStopCount));
        if (scanner.CurChar() < '0' || scanner.CurChar() > '9')
            throw ECodeMemo(LoadResString(kTabColumnExpected));
        // Columns beyond any line's reach are kept from overflowing rather than refused.
        int64_t number = 0;
        while (!scanner.AtEnd() && scanner.CurChar() >= '0' && scanner.CurChar() <= '9') {
            number = std::min<int64_t>(number * 10 + (scanner.CurChar() - '0'), 0x7FFFFFFF);
            scanner.Next();
        }
        if (number <= previous)
            throw ECodeMemo(LoadResString(kTabColumnsOrder));
        if (number < 2)
            throw ECodeMemo(LoadResString(kTabColumnTooSmall));
        stops[static_cast<size_t>(count++)] = static_cast<int32_t>(number - 1);
        previous = static_cast<int>(number);
    }
    return stops;
}

std::string TabColumnsText(const TSM_Settings& settings)
{
    std::string text;
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i) {
        const int32_t stop = settings.GetTabColumn(i);
        if (stop < 0)
            break;
        text += Format(i == 0 ? "%d" : " %d", stop + 1);
    }
    return text;
}

// ---------------------------------------------------------------- keyword tables

void TSM_Settings::disposeKeywordTables()
{
    FKeywordTrie.reset();
    for (auto& table : FKeywordTables)
        table.reset();
}

const TKeywordDefinitions* TSM_Settings::KeywordTable(int slot) const
{
    if (slot < 0 || slot >= kKeywordTableCount)
        return nullptr;
    return FKeywordTables[static_cast<size_t>(slot)].get();
}

int TSM_Settings::KeywordTableCount() const
{
    return static_cast<int>(std::count_if(FKeywordTables.begin(), FKeywordTables.end(),
                                          [](const auto& table) { return table != nullptr; }));
}

std::unique_ptr<TKeywords> TSM_Settings::buildKeywordTrie(
    const std::array<const TKeywordDefinitions*, kKeywordTableCount>& tables)
{
    std::unique_ptr<TKeywords> trie;
    TSM_CharGroup group;
    for (const TKeywordDefinitions* table : tables) {
        if (!table)
            continue;
        if (!trie)
            trie = std::make_unique<TKeywords>();
        if (table->Words.empty())
            continue;
        if (table->CharSpec.empty()) {
            group.Clear();
            group.AddSet(TStateSet::Full());
        } else {
            int position = 1;
            group.ParseSpec(table->CharSpec, position);
        }
        for (const TKeywordWord& word : table->Words)
            if (!word.Word.empty())
                trie->Add(word.Word, table->CaseSensitive, word.Value, table->States, group);
    }
    return trie;
}

void TSM_Settings::AddKeywordTable(const TStateSet& states, const std::string& charSpec,
                                   const TKeywordWords& words, uint8_t caseSensitive)
{
    TStateSet tableStates = states.IsEmpty() ? TStateSet{0} : states;

    // Tables fill the slots from 0 without gaps, so the first free slot ends the search.
    int slot = -1;
    for (int i = 0; i < kKeywordTableCount; ++i) {
        const TKeywordDefinitions* table = FKeywordTables[static_cast<size_t>(i)].get();
        if (!table) {
            slot = i;
            break;
        }
        if (table->States.Intersects(tableStates)) {
            if (table->States != tableStates)
                throw EKeywords("Ambigious key table state definition");
            slot = i;
            break;
        }
    }
    if (slot < 0)
        throw EKeywords("Too many keyword tables declared");

    auto table = std::make_unique<TKeywordDefinitions>();
    table->States = tableStates;
    table->CharSpec = charSpec;
    table->CaseSensitive = caseSensitive;
    table->Words = words;

    // The trie is built aside with the new table in place: a word or a spec it refuses
    // raises here, before anything of this object has changed.
    std::array<const TKeywordDefinitions*, kKeywordTableCount> candidate{};
    for (int i = 0; i < kKeywordTableCount; ++i)
        candidate[static_cast<size_t>(i)] = FKeywordTables[static_cast<size_t>(i)].get();
    candidate[static_cast<size_t>(slot)] = table.get();
    std::unique_ptr<TKeywords> trie = buildKeywordTrie(candidate);

    FKeywordTables[static_cast<size_t>(slot)] = std::move(table);
    FKeywordTrie = std::move(trie);
}

// ---------------------------------------------------------------- clients and fonts

void TSM_Settings::AddClient(TSettingsClient* editor)
{
    ++FClientCount;
    if (FClientCount == 1)
        RebuildFontCache();
    if (std::find(FClients.begin(), FClients.end(), editor) == FClients.end())
        FClients.push_back(editor);
}

void TSM_Settings::RemoveClient(TSettingsClient* editor)
{
    if (FClientCount > 0) {
        --FClientCount;
        if (FClientCount == 0)
            FreeFontCache();
    }
    auto it = std::find(FClients.begin(), FClients.end(), editor);
    if (it != FClients.end())
        FClients.erase(it);
}

void TSM_Settings::RebuildFontCache()
{
    if (FClientCount < 1)
        return;
    FreeFontCache();
    buildFontCache();
}

void TSM_Settings::FreeFontCache()
{
    for (TSM_TokenStyle& style : FStyles)
        if (style.Defined)
            style.Font.reset();
}

void TSM_Settings::freeGlyphs()
{
    FPilcrowGlyph.reset();
    FReturnGlyph.reset();
    FTabGlyph.reset();
    FPlacementResults.Advances = {};
    FPlacementResults.CaretPositions = {};
}

void TSM_Settings::buildFontCache()
{
    bool forPrinter = PrintFonts != 0;
    for (TSM_TokenStyle& style : FStyles)
        if (style.Defined)
            style.Font = MakeEditorFont(FontName, FontSize, style.FontStyle, Charset, forPrinter, PrinterPixelsPerInch);

    freeGlyphs();
    if (!HasOption(smoShowAllChars))
        return;
    FPilcrowGlyph = MakeGlyphBitmap(kGlyphTextFace, FontSize, ANSI_CHARSET, kPilcrowChar, forPrinter,
                                    PrinterPixelsPerInch);
    FTabGlyph = MakeGlyphBitmap(kGlyphSymbolFace, FontSize, SYMBOL_CHARSET, kTabArrowChar, forPrinter,
                                PrinterPixelsPerInch);
    FReturnGlyph = MakeGlyphBitmap(kGlyphSymbolFace, FontSize, SYMBOL_CHARSET, kReturnArrowChar, forPrinter,
                                   PrinterPixelsPerInch);
    FPlacementResults.Advances.assign(TPlacementResults::kMaxGlyphs, 0);
    FPlacementResults.CaretPositions.assign(TPlacementResults::kMaxGlyphs, 0);
}

void TSM_Settings::NotifyClients()
{
    // A client may leave while it repaints; work on a copy.
    const std::vector<TSettingsClient*> clients = FClients;
    for (TSettingsClient* client : clients)
        client->SettingsChanged();
}

// ---------------------------------------------------------------- stream form

void TSM_Settings::SaveToStream(TStream& stream) const
{
    StreamWriteLongStr(stream, ExampleText);
    StreamWriteLongStr(stream, LanguageName);
    StreamWriteLongStr(stream, WrapOverride);

    for (int32_t value : {static_cast<int32_t>(Options), Margin, RightMargin, WrapAtColumn, Gutter, IndentStep,
                          MarginColor, GutterColor, SelTextColor, SelTextBack, TabDefault})
        StreamWriteLong(stream, value);

    // Defined styles are written, and so is any other that a stream gave values of its own: what the
    // reader accepts comes back the same. Style 0 always is: the reader starts from a defined style 0,
    // so an undefined one left out would come back defined.
    auto stored = [this](int i) { return i == 0 || isStoredStyle(FStyles[static_cast<size_t>(i)]); };
    int32_t defined = 0;
    for (int i = 0; i < kStyleCount; ++i)
        defined += stored(i) ? 1 : 0;
    StreamWriteLong(stream, defined);
    for (int i = 0; i < kStyleCount; ++i) {
        const TSM_TokenStyle& style = FStyles[static_cast<size_t>(i)];
        if (!stored(i))
            continue;
        StreamWriteByte(stream, static_cast<uint8_t>(i));
        StreamWriteByte(stream, style.FontStyle);
        StreamWriteLong(stream, style.Foreground);
        StreamWriteLong(stream, style.Background);
        StreamWriteByte(stream, style.DefaultForeground);
        StreamWriteByte(stream, style.DefaultBackground);
        StreamWriteByte(stream, style.Hotspot);
        StreamWriteLong(stream, style.Defined);
    }

    StreamWriteLong(stream, static_cast<int32_t>(std::count_if(FStyleMap.begin(), FStyleMap.end(),
                                                               [](uint8_t s) { return s != 0; })));
    for (int token = 0; token < kStyleCount; ++token) {
        if (FStyleMap[static_cast<size_t>(token)] == 0)
            continue;
        StreamWriteByte(stream, static_cast<uint8_t>(token));
        StreamWriteByte(stream, FStyleMap[static_cast<size_t>(token)]);
    }

    StreamWriteLong(stream, static_cast<int32_t>(std::count_if(FEditableStyles.begin(), FEditableStyles.end(),
                                                               [](const auto& e) { return !e.Name.empty(); })));
    for (const TSM_EditableStyle& editable : FEditableStyles) {
        if (editable.Name.empty())
            continue;
        StreamWriteLongStr(stream, editable.Name);
        StreamWriteByte(stream, editable.StyleIndex);
    }

    for (int32_t column : FTabColumns)
        StreamWriteLong(stream, column);

    StreamWriteLongStr(stream, FontName);
    StreamWriteLong(stream, FontSize);
    StreamWriteByte(stream, Charset);
    for (uint8_t flag : UseDefaultColors)
        StreamWriteByte(stream, flag);

    StreamWriteLong(stream, KeywordTableCount());
    for (const auto& table : FKeywordTables) {
        if (!table)
            continue;
        StreamWriteSet(stream, table->States);
        StreamWriteLongStr(stream, table->CharSpec);
        StreamWriteLong(stream, table->CaseSensitive);
        StreamWriteLong(stream, static_cast<int32_t>(table->Words.size()));
        for (const TKeywordWord& word : table->Words) {
            StreamWriteLongStr(stream, word.Word);
            StreamWriteLong(stream, word.Value);
        }
    }

    FAutoReplace->SaveToStream(stream);
    FCodeTemplates->SaveToStream(stream);
    FKeyController->SaveToStream(stream);

    if (StreamVersion >= kGutterFontVersion) {
        StreamWriteLongStr(stream, FGutterFont.Name());
        StreamWriteLong(stream, FGutterFont.Size());
        StreamWriteByte(stream, FGutterFont.Charset());
        StreamWriteLong(stream, FGutterFont.Color());
        StreamWriteByte(stream, FGutterFont.Style());
    }
}

// Reads the stream into this object, which is a fresh one with defaults.
void TSM_Settings::readFrom(TStream& stream)
{
    ExampleText = StreamReadLongStr(stream);
    LanguageName = StreamReadLongStr(stream);
    WrapOverride = StreamReadLongStr(stream);

    Options = static_cast<uint32_t>(StreamReadLong(stream));
    for (int32_t* field : {&Margin, &RightMargin, &WrapAtColumn, &Gutter, &IndentStep, &MarginColor, &GutterColor,
                           &SelTextColor, &SelTextBack, &TabDefault})
        *field = StreamReadLong(stream);

    int32_t defined = StreamReadCount(stream, kStyleRecordBytes, kStyleCount);
    for (int32_t i = 0; i < defined; ++i) {
        TSM_TokenStyle& style = FStyles[StreamReadByte(stream)];
        style.FontStyle = StreamReadByte(stream);
        style.Foreground = StreamReadLong(stream);
        style.Background = StreamReadLong(stream);
        style.DefaultForeground = StreamReadByte(stream);
        style.DefaultBackground = StreamReadByte(stream);
        style.Hotspot = StreamReadByte(stream);
        style.Defined = StreamReadLong(stream);
    }
    for (TSM_TokenStyle& style : FStyles)
        style.Font.reset();
    FStylesChanged = 1;
    FHotspotCacheValid = false;

    int32_t mapped = StreamReadCount(stream, kStyleMapPairBytes, kStyleCount);
    for (int32_t i = 0; i < mapped; ++i) {
        uint8_t token = StreamReadByte(stream);
        FStyleMap[token] = StreamReadByte(stream);
    }

    int32_t editable = StreamReadCount(stream, kEditableRecordBytes, kEditableStyleCount);
    for (int32_t i = 0; i < editable; ++i) {
        TSM_EditableStyle& record = FEditableStyles[static_cast<size_t>(i)];
        record.Name = StreamReadLongStr(stream).substr(0, kEditableNameLength);
        record.StyleIndex = StreamReadByte(stream);
    }

    for (int32_t& column : FTabColumns)
        column = StreamReadLong(stream);
    FontName = StreamReadLongStr(stream);
    FontSize = StreamReadLong(stream);
    Charset = StreamReadByte(stream);
    for (uint8_t& flag : UseDefaultColors)
        flag = StreamReadByte(stream);

    // Tables go through AddKeywordTable, so a stream obeys the same overlap rules as a script.
    int32_t tables = StreamReadCount(stream, kKeywordTableBytes, kKeywordTableCount);
    for (int32_t t = 0; t < tables; ++t) {
        TStateSet states = StreamReadSet(stream);
        std::string charSpec = StreamReadLongStr(stream);
        uint8_t caseSensitive = static_cast<uint8_t>(StreamReadLong(stream));
        int32_t count = StreamReadCount(stream, kKeywordWordBytes);
        TKeywordWords words;
        for (int32_t w = 0; w < count; ++w) {
            TKeywordWord word;
            word.Word = StreamReadLongStr(stream);
            word.Value = StreamReadLong(stream);
            words.push_back(std::move(word));
        }
        AddKeywordTable(states, charSpec, words, caseSensitive);
    }

    FAutoReplace->LoadFromStream(stream);
    FCodeTemplates->LoadFromStream(stream);
    FKeyController->LoadFromStream(stream);

    if (StreamVersion >= kGutterFontVersion) {
        TFont font;
        font.SetName(StreamReadLongStr(stream));
        font.SetSize(StreamReadLong(stream));
        font.SetCharset(StreamReadByte(stream));
        font.SetColor(StreamReadLong(stream));
        font.SetStyle(StreamReadByte(stream));
        FGutterFont.Assign(font);
    }
}

// Takes every persistent value of `loaded`. The sub-objects are copied rather than exchanged: the
// editor binds its handlers to them, and those bindings must survive a load.
void TSM_Settings::takeLoaded(TSM_Settings& loaded)
{
    FAutoReplace->Assign(*loaded.FAutoReplace);
    FCodeTemplates->Assign(*loaded.FCodeTemplates);
    FKeyController->Assign(*loaded.FKeyController);

    ExampleText.swap(loaded.ExampleText);
    LanguageName.swap(loaded.LanguageName);
    WrapOverride.swap(loaded.WrapOverride);
    Charset = loaded.Charset;
    FEditableStyles.swap(loaded.FEditableStyles);
    Options = loaded.Options;
    TabDefault = loaded.TabDefault;
    Margin = loaded.Margin;
    RightMargin = loaded.RightMargin;
    WrapAtColumn = loaded.WrapAtColumn;
    Gutter = loaded.Gutter;
    IndentStep = loaded.IndentStep;
    MarginColor = loaded.MarginColor;
    GutterColor = loaded.GutterColor;
    SelTextColor = loaded.SelTextColor;
    SelTextBack = loaded.SelTextBack;
    FTabColumns = loaded.FTabColumns;
    FStyleMap = loaded.FStyleMap;
    // The loaded styles carry no fonts, so the old ones go with this exchange.
    FStyles.swap(loaded.FStyles);
    FontName.swap(loaded.FontName);
    FontSize = loaded.FontSize;
    UseDefaultColors = loaded.UseDefaultColors;
    FStylesChanged = loaded.FStylesChanged;
    FHotspotCache = loaded.FHotspotCache;
    FHotspotCacheValid = loaded.FHotspotCacheValid;
    FKeywordTables.swap(loaded.FKeywordTables);
    FKeywordTrie.swap(loaded.FKeywordTrie);

    if (StreamVersion >= kGutterFontVersion) {
        // One assignment per value, each telling the clients, as a script setting them would.
        const TFont& font = loaded.FGutterFont;
        FGutterFont.SetName(font.Name());
        FGutterFont.SetSize(font.Size());
        FGutterFont.SetCharset(font.Charset());
        FGutterFont.SetColor(font.Color());
        FGutterFont.SetStyle(font.Style());
    }
}

void TSM_Settings::LoadFromStream(TStream& stream)
{
    TSM_Settings loaded;
    loaded.StreamVersion = StreamVersion;
    loaded.readFrom(stream);
    takeLoaded(loaded);
}
