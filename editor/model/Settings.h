// Editor settings: TSM_Base (setting objects copied through their stream form) and TSM_Settings.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/StateSet.h"
#include "editor/model/StreamPrims.h"
#include "editor/model/EditorErrors.h"
#include "platform/core/Exception.h"
#include "platform/core/Fonts.h"
#include "platform/core/Graphics.h"

// What shows the text a settings object describes; an editor registers as one and is asked to repaint
// when a setting it paints with changes.
class TSettingsClient {
public:
    virtual ~TSettingsClient() = default;
    virtual void SettingsChanged() = 0;
};
class TKeyboardActionContoller;
class TAutoReplace;
class TCodeTemplates;
class TKeywords;

// The base of every persistent setting object. Copies go through the stream form, so a class only
// has to write and read itself to be copyable; the two objects of an Assign need not share a class,
// the stream simply has to fit the reader.
class TSM_Base {
public:
    TSM_Base() = default;
    virtual ~TSM_Base() = default;

    virtual const char* ClassName() const { return "TSM_Base"; }
    // A new object of the same class holding the same settings.
    std::unique_ptr<TSM_Base> Clone() const;
    virtual void Assign(const TSM_Base& source);
    virtual void SaveToStream(TStream& stream) const;
    virtual void LoadFromStream(TStream& stream);

protected:
    // Small value-like settings (character groups) may be copied; the others delete copying.
    TSM_Base(const TSM_Base&) = default;
    TSM_Base& operator=(const TSM_Base&) = default;
    // Each concrete class returns a new default object of its own class.
    virtual std::unique_ptr<TSM_Base> NewInstance() const;
};

// The editor's options, in the order of the option set. Each has its own bit in the option word.
enum TCodeMemoOption : uint8_t {
    smoSyntaxHighlight, smoPrintWrap, smoPrintLineNos, smoPrintFilename, smoPrintDate, smoPrintPageNos,
    smoWordWrap, smoAutoIndent, smoTabToColumn, smoWrapOverride, smoWordSelect, smoShowRMargin,
    smoShowGutter, smoShowWrapColumn, smoTitleAsFilename, smoProcessDroppedFiles, smoBlockOverwriteCursor,
    smoShowWrapGlyph, smoColumnTrack, smoUseTAB, smoSmartFill, smoOLEDragSource, smoCaretAfterEOL,
    smoLineNumbers, smoShowAllChars,
};
constexpr int kCodeMemoOptionCount = 25;
constexpr uint32_t kDefaultOptionWord = 0x3FFDBF0;

// The option-word bit of an option.
uint32_t OptionBit(TCodeMemoOption option);

// A set of options (bit i stands for option i, unrelated to the option word's layout).
class TCodeMemoOptions {
public:
    TCodeMemoOptions() = default;
    bool Contains(TCodeMemoOption o) const { return (FMembers >> o) & 1u; }
    void Include(TCodeMemoOption o) { FMembers |= 1u << o; }
    void Exclude(TCodeMemoOption o) { FMembers &= ~(1u << o); }
    friend bool operator==(const TCodeMemoOptions&, const TCodeMemoOptions&) = default;

private:
    uint32_t FMembers = 0;
};

// Bits of the word that belong to no option are dropped.
TCodeMemoOptions WordToOptions(uint32_t word);
uint32_t OptionsToWord(TCodeMemoOptions options);

// The look of one of the 256 styles.
struct TSM_TokenStyle {
    TFontStyles FontStyle = 0;
    TColor Foreground = clBlack;
    TColor Background = clWhite;
    uint8_t DefaultForeground = 0; // 1: paint with the editor's default foreground
    uint8_t DefaultBackground = 0;
    uint8_t Hotspot = 0;           // 1: a hyperlink
    int32_t Defined = 0;           // only defined styles are saved and get a font
    TFontHandle Font;              // the cached font; not persistent
};

// A style the options dialog lists by name.
struct TSM_EditableStyle {
    std::string Name; // at most 25 characters; empty = unused record
    uint8_t StyleIndex = 0;
};

struct TKeywordWord {
    std::string Word;
    int32_t Value = 0; // the token value the word yields
};
using TKeywordWords = std::vector<TKeywordWord>;

// One keyword table: the words valid in a set of scanner states.
struct TKeywordDefinitions {
    TStateSet States;
    std::string CharSpec;      // characters that may follow a word; empty = any
    uint8_t CaseSensitive = 0; // 0: words are stored and matched in lower case
    TKeywordWords Words;
};

// Buffers the painter fills with per-character advances and caret positions while it places a run.
// They exist only while the glyph bitmaps do (invisible characters shown).
struct TPlacementResults {
    static constexpr int kMaxGlyphs = 2048; // the longest line record
    int GlyphCount = kMaxGlyphs;
    int MaxFit = 0;
    std::vector<int32_t> Advances;
    std::vector<int32_t> CaretPositions;
};

// Indexes into UseDefaultColors.
enum : int { udcMargin = 0, udcSelTextColor = 1, udcSelTextBack = 2, udcGutter = 3 };

// Everything that makes an editor look and behave as one language wants. Several editors may share
// one object: it keeps the list of its client editors and, while it has any, the fonts of its styles.
class TSM_Settings : public TSM_Base {
public:
    static constexpr int kStyleCount = 256;
    static constexpr int kEditableStyleCount = 25;
    static constexpr size_t kEditableNameLength = 25;
    static constexpr int kTabStopCount = 32;
    static constexpr int kKeywordTableCount = 21;
    static constexpr int32_t kDefaultStreamVersion = 0x7FFFFFFF;
    // The first stream version that carries the gutter font.
    static constexpr int32_t kGutterFontVersion = 51;

    TSM_Settings();
    ~TSM_Settings() override;
    TSM_Settings(const TSM_Settings&) = delete;
    TSM_Settings& operator=(const TSM_Settings&) = delete;

    const char* ClassName() const override { return "TSM_Settings"; }
    void SaveToStream(TStream& stream) const override;
    // Reads into a scratch object first: a stream that fails leaves this object as it was.
    void LoadFromStream(TStream& stream) override;
    // Restores the defaults; the gutter font, PrintFonts, StreamVersion and the clients stay.
    void ResetDefaults();

    std::string ExampleText;
    std::string LanguageName;
    std::string WrapOverride; // lines starting with one of these are not wrapped (smoWrapOverride)
    uint8_t Charset = DEFAULT_CHARSET;
    uint32_t Options = kDefaultOptionWord;
    int32_t TabDefault = 4;   // columns
    int32_t Margin = 2;       // pixels
    int32_t RightMargin = 80; // column
    int32_t WrapAtColumn = 0; // 0: the window width decides
    int32_t Gutter = 34;      // pixels
    int32_t IndentStep = 1;   // columns
    TColor MarginColor = clWhite;
    TColor GutterColor = static_cast<TColor>(clBtnFace);
    TColor SelTextColor = 0;
    TColor SelTextBack = 0;
    std::string FontName = "Courier New";
    int32_t FontSize = 10;
    std::array<uint8_t, 4> UseDefaultColors{}; // udcMargin .. udcGutter; 1: the painter's default
    // Set by the printing code while it prints, so that style fonts are made for the printer.
    uint8_t PrintFonts = 0;
    int PrinterPixelsPerInch = 600;
    // Set by a container that knows the version of the data around the settings stream.
    int32_t StreamVersion = kDefaultStreamVersion;

    bool HasOption(TCodeMemoOption option) const { return (Options & OptionBit(option)) != 0; }

    const TSM_TokenStyle& GetStyle(uint8_t index) const { return FStyles[index]; }
    void SetStyle(uint8_t index, const TSM_TokenStyle& style);
    uint8_t GetStyleFlag(uint8_t token) const { return FStyleMap[token]; }
    void SetStyleFlag(uint8_t token, uint8_t styleIndex) { FStyleMap[token] = styleIndex; }
    // The style of characters whose token value is `token`.
    const TSM_TokenStyle& TokenStyle(uint8_t token) const { return FStyles[FStyleMap[token]]; }
    bool StylesChanged() const { return FStylesChanged != 0; }
    // True when some defined style is a hotspot; cached until the styles change.
    bool HasHotspots();

    // Records 1..25; other indexes are ignored (an empty record is returned).
    TSM_EditableStyle GetEditableStyle(int index) const;
    void SetEditableStyle(int index, const TSM_EditableStyle& style);
    // Stops 0..31 (-1 = none); other indexes are ignored (-1 is returned).
    int32_t GetTabColumn(int index) const;
    void SetTabColumn(int index, int32_t column);

    // Adds or replaces the table of a state set (an empty set stands for {0}) and rebuilds the trie.
    // Raises EKeywords for a set overlapping another table's, when all 21 slots are taken, or when
    // the words or the follow-character spec cannot be added; nothing changes then.
    void AddKeywordTable(const TStateSet& states, const std::string& charSpec, const TKeywordWords& words,
                         uint8_t caseSensitive);
    // The table of slot 0..20, or nullptr.
    const TKeywordDefinitions* KeywordTable(int slot) const;
    int KeywordTableCount() const;
    // The trie of all keyword tables; nullptr when there is none.
    TKeywords* KeywordTrie() const { return FKeywordTrie.get(); }

    TKeyboardActionContoller& KeyController() { return *FKeyController; }
    const TKeyboardActionContoller& KeyController() const { return *FKeyController; }
    TAutoReplace& AutoReplace() { return *FAutoReplace; }
    const TAutoReplace& AutoReplace() const { return *FAutoReplace; }
    TCodeTemplates& CodeTemplates() { return *FCodeTemplates; }
    const TCodeTemplates& CodeTemplates() const { return *FCodeTemplates; }
    // Every assignment to the gutter font invalidates the client editors.
    TFont& GutterFont() { return FGutterFont; }
    const TFont& GutterFont() const { return FGutterFont; }

    // An editor that uses these settings registers here. The first client builds the style fonts,
    // the last one to leave frees them. An editor is listed once however often it registers.
    void AddClient(TSettingsClient* editor);
    void RemoveClient(TSettingsClient* editor);
    int ClientCount() const { return FClientCount; }
    const std::vector<TSettingsClient*>& Clients() const { return FClients; }

    // Frees and rebuilds the style fonts and glyphs; nothing without clients.
    void RebuildFontCache();
    // Frees the style fonts; glyphs and placement buffers stay.
    void FreeFontCache();
    // Asks every client editor to repaint.
    void NotifyClients();

    // Glyphs for invisible characters; nullptr unless smoShowAllChars was on at the last rebuild.
    const TGlyphBitmap* PilcrowGlyph() const { return FPilcrowGlyph.get(); }
    const TGlyphBitmap* ReturnGlyph() const { return FReturnGlyph.get(); }
    const TGlyphBitmap* TabGlyph() const { return FTabGlyph.get(); }
    TPlacementResults& PlacementResults() { return FPlacementResults; }


protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    using TKeywordSlots = std::array<std::unique_ptr<TKeywordDefinitions>, kKeywordTableCount>;

    void readFrom(TStream& stream);
    void takeLoaded(TSM_Settings& loaded);
    void buildFontCache();
    void freeGlyphs();
    void disposeKeywordTables();
    static std::unique_ptr<TKeywords> buildKeywordTrie(const std::array<const TKeywordDefinitions*,
                                                                       kKeywordTableCount>& tables);

    std::array<TSM_EditableStyle, kEditableStyleCount> FEditableStyles;
    std::array<int32_t, kTabStopCount> FTabColumns;
    std::unique_ptr<TAutoReplace> FAutoReplace;
    std::unique_ptr<TCodeTemplates> FCodeTemplates;
    std::unique_ptr<TKeyboardActionContoller> FKeyController;
    std::array<uint8_t, kStyleCount> FStyleMap{};
    std::array<TSM_TokenStyle, kStyleCount> FStyles;
    int FClientCount = 0;
    uint8_t FStylesChanged = 1;
    uint8_t FHotspotCache = 0;
    bool FHotspotCacheValid = false;
    TKeywordSlots FKeywordTables;
    std::unique_ptr<TKeywords> FKeywordTrie;
    std::unique_ptr<TGlyphBitmap> FPilcrowGlyph, FReturnGlyph, FTabGlyph;
    TPlacementResults FPlacementResults;
    TFont FGutterFont;
    std::vector<TSettingsClient*> FClients;
};

// The 32 tab stops (0-based columns, -1 = none) of a text such as "9 17 25": ascending columns
// above 1, separated by blanks or ";". A bad text raises ECodeMemo.
std::array<int32_t, TSM_Settings::kTabStopCount> ParseTabColumns(const std::string& text);
// The settings' tab stops as ParseTabColumns reads them: 1-based columns separated by one blank, up
// to the first empty stop.
std::string TabColumnsText(const TSM_Settings& settings);
