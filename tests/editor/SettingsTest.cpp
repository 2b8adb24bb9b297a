// Editor settings: defaults, option word, stream form and its checks, keyword tables, clients and fonts.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <random>

#include "editor/model/KeyBindings.h"
#include "editor/model/Keywords.h"
#include "editor/model/Settings.h"
#include "editor/model/Templates.h"

#include "StreamBytes.h"

namespace {

// Appends little-endian values and strings to build expected streams.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& byte(uint8_t b)
    {
        v.push_back(b);
        return *this;
    }
    Bytes& raw(std::initializer_list<uint8_t> bs)
    {
        v.insert(v.end(), bs);
        return *this;
    }
    Bytes& i32(uint32_t x)
    {
        return raw({uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
    }
    Bytes& text(std::string_view s)
    {
        v.insert(v.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& longStr(std::string_view s) { return i32(uint32_t(s.size())).text(s); }
    Bytes& shortStr(std::string_view s) { return byte(uint8_t(s.size())).text(s); }
};

// Stand-ins for editors: they record each request to repaint.
std::vector<TSettingsClient*> gInvalidated;
struct FakeEditor : TSettingsClient {
    void SettingsChanged() override { gInvalidated.push_back(this); }
};
FakeEditor gEditorA, gEditorB;
TSettingsClient* editorA() { return &gEditorA; }
TSettingsClient* editorB() { return &gEditorB; }

void loadKeys(TKeyboardActionContoller& keys)
{
    TMemoryStream stream;
    StreamWriteLong(stream, 2);
    StreamWriteLong(stream, 0);
    StreamWriteShortStr(stream, "Izquierda");
    StreamWriteLong(stream, 17);
    StreamWriteShortStr(stream, "Indentar bloque");
    StreamWriteLong(stream, 2);
    StreamWriteWord(stream, 0x25);
    StreamWriteWord(stream, 0);
    StreamWriteLong(stream, 0);
    StreamWriteWord(stream, scCtrl | 'K');
    StreamWriteWord(stream, 'I');
    StreamWriteLong(stream, 17);
    stream.SetPosition(0);
    keys.LoadFromStream(stream);
}

// Settings with a non-default value in every part of the stream.
void populate(TSM_Settings& s)
{
    s.ExampleText = "<p>ejemplo\r</p>";
    s.LanguageName = "HTML";
    s.WrapOverride = "#";
    s.Charset = 0;
    s.Options = kDefaultOptionWord | OptionBit(smoWordWrap);
    s.TabDefault = 8;
    s.Margin = 5;
    s.RightMargin = 72;
    s.WrapAtColumn = 100;
    s.Gutter = 40;
    s.IndentStep = 2;
    s.MarginColor = clSilver;
    s.GutterColor = clYellow;
    s.SelTextColor = clRed;
    s.SelTextBack = clNavy;
    s.FontName = "Lucida Console";
    s.FontSize = 12;
    s.UseDefaultColors = {1, 0, 1, 0};
    TSM_TokenStyle tag;
    tag.FontStyle = fsBold | fsUnderline;
    tag.Foreground = clBlue;
    tag.Background = clAqua;
    tag.DefaultBackground = 1;
    tag.Hotspot = 1;
    tag.Defined = 1;
    s.SetStyle(3, tag);
    tag.FontStyle = fsItalic;
    s.SetStyle(255, tag);
    s.SetStyleFlag(10, 3);
    s.SetStyleFlag(200, 255);
    s.SetEditableStyle(1, {"Etiquetas", 3});
    s.SetEditableStyle(2, {"Atributos", 255});
    s.SetTabColumn(0, 4);
    s.SetTabColumn(31, 120);
    s.AddKeywordTable(TStateSet{1, 2}, "[^a-z0-9_]", {{"Begin", 20}, {"end", 21}}, 0);
    s.AddKeywordTable(TStateSet{7}, "", {{"Var", 30}}, 1);
    s.AutoReplace().AddReplacement("teh", "the");
    s.CodeTemplates().Add("for", "bucle", 0, "for (|)");
    loadKeys(s.KeyController());
    s.GutterFont().SetName("Arial");
    s.GutterFont().SetSize(9);
    s.GutterFont().SetColor(clGreen);
    s.GutterFont().SetStyle(fsBold);
}


} // namespace

TEST(Settings, FreshObjectHoldsTheDefaults)
{
    TSM_Settings s;
    EXPECT_EQ(s.Options, 0x3FFDBF0u);
    EXPECT_EQ(s.TabDefault, 4);
    EXPECT_EQ(s.Margin, 2);
    EXPECT_EQ(s.RightMargin, 80);
    EXPECT_EQ(s.WrapAtColumn, 0);
    EXPECT_EQ(s.Gutter, 34);
    EXPECT_EQ(s.IndentStep, 1);
    EXPECT_EQ(s.LanguageName, "<Lenguaje personalizado>");
    EXPECT_EQ(s.WrapOverride, ">|:");
    EXPECT_EQ(s.ExampleText, "");
    EXPECT_EQ(s.FontName, "Courier New");
    EXPECT_EQ(s.FontSize, 10);
    EXPECT_EQ(s.Charset, DEFAULT_CHARSET);
    EXPECT_EQ(static_cast<uint32_t>(s.GutterColor), 0x8000000Fu);
    EXPECT_EQ(s.MarginColor, 0xFFFFFF);
    EXPECT_EQ(s.SelTextColor, static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlightText))));
    EXPECT_EQ(s.SelTextBack, static_cast<TColor>(ColorToRGB(static_cast<TColor>(clHighlight))));
    EXPECT_EQ(s.StreamVersion, 0x7FFFFFFF);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(s.GetTabColumn(i), -1);
    EXPECT_EQ(s.GetStyle(0).Defined, 1);
    EXPECT_EQ(s.GetStyle(0).Background, 0xFFFFFF);
    EXPECT_EQ(s.GetStyle(1).Defined, 0);
    EXPECT_EQ(s.GetStyleFlag(77), 0);
    EXPECT_EQ(s.GetEditableStyle(1).Name, "");
    EXPECT_EQ(s.KeywordTrie(), nullptr);
    EXPECT_EQ(s.AutoReplace().TriggerKeys(), ";,:.=()[]\\{Return}\\{Tab}\\{Space}");
    EXPECT_EQ(s.CodeTemplates().HotKey, scCtrl | 'J');
}

TEST(Settings, ResetRestoresDefaultsButKeepsGutterFontVersionAndClients)
{
    TSM_Settings s;
    populate(s);
    s.PrintFonts = 1;
    s.StreamVersion = 50;
    s.AddClient(editorA());
    s.ResetDefaults();

    TSM_Settings fresh;
    fresh.StreamVersion = 50;
    EXPECT_EQ(streamOf(s), streamOf(fresh));
    EXPECT_EQ(s.KeywordTableCount(), 0);
    EXPECT_EQ(s.KeywordTrie(), nullptr);
    EXPECT_EQ(s.GutterFont().Name(), "Arial");
    EXPECT_EQ(s.PrintFonts, 1);
    EXPECT_EQ(s.StreamVersion, 50);
    EXPECT_EQ(s.ClientCount(), 1);
    EXPECT_EQ(s.GetStyle(0).Font, nullptr);
    s.RemoveClient(editorA());
}

TEST(Settings, OptionWordMapsToTheOptionSet)
{
    TCodeMemoOptions defaults = WordToOptions(kDefaultOptionWord);
    for (TCodeMemoOption off : {smoWordWrap, smoWrapOverride, smoCaretAfterEOL, smoLineNumbers, smoShowAllChars})
        EXPECT_FALSE(defaults.Contains(off)) << int(off);
    EXPECT_TRUE(defaults.Contains(smoSyntaxHighlight));
    EXPECT_TRUE(defaults.Contains(smoOLEDragSource));
    EXPECT_EQ(OptionsToWord(defaults), kDefaultOptionWord);

    EXPECT_EQ(OptionBit(smoLineNumbers), 0x1u);
    EXPECT_EQ(OptionBit(smoShowAllChars), 0x4000000u);
    EXPECT_EQ(OptionBit(smoCaretAfterEOL), 0x8000000u);
    // Bits that belong to no option are dropped on the way through the set.
    EXPECT_EQ(OptionsToWord(WordToOptions(0xFFFFFFFFu)), 0x0FFFFFF1u);

    TSM_Settings s;
    EXPECT_TRUE(s.HasOption(smoAutoIndent));
    EXPECT_FALSE(s.HasOption(smoWordWrap));
}

TEST(Settings, FreshStreamHasTheExactByteForm)
{
    TSM_Settings s;
    Bytes expected;
    expected.longStr("").longStr("<Lenguaje personalizado>").longStr(">|:");
    expected.i32(0x3FFDBF0).i32(2).i32(80).i32(0).i32(34).i32(1);
    expected.i32(0xFFFFFF).i32(0x8000000F).i32(ColorToRGB(static_cast<TColor>(clHighlightText)))
        .i32(ColorToRGB(static_cast<TColor>(clHighlight))).i32(4);
    // One defined style (0) and its 17 bytes; no map entries; no editable styles.
    expected.i32(1).byte(0).byte(0).i32(0).i32(0xFFFFFF).raw({0, 0, 0}).i32(1);
    expected.i32(0).i32(0);
    for (int i = 0; i < 32; ++i)
        expected.i32(0xFFFFFFFF);
    expected.longStr("Courier New").i32(10).byte(1).raw({0, 0, 0, 0});
    expected.i32(0); // keyword tables
    expected.i32(0).longStr("Ctrl+J").i32(1).shortStr(";,:.=()[]\\{Return}\\{Tab}\\{Space}"); // auto-replace
    expected.i32(0).longStr("Ctrl+J").i32(1);                                                  // templates
    std::vector<uint8_t> keys = streamOf(DefaultKeyController());                               // keys
    ASSERT_EQ(keys.size(), 1339u);
    expected.v.insert(expected.v.end(), keys.begin(), keys.end());
    expected.longStr("MS Sans Serif").i32(8).byte(1).i32(0x80000008).byte(0);                  // gutter font
    EXPECT_EQ(streamOf(s), expected.v);
}

TEST(Settings, RoundTripAtVersion51GivesAnEqualObject)
{
    TSM_Settings source;
    populate(source);
    source.StreamVersion = 51;
    std::vector<uint8_t> bytes = streamOf(source);

    TSM_Settings copy;
    copy.StreamVersion = 51;
    loadBytes(copy, bytes, bytes.size());
    EXPECT_EQ(streamOf(copy), bytes);
    EXPECT_EQ(copy.ExampleText, "<p>ejemplo\r</p>");
    EXPECT_EQ(copy.Options, kDefaultOptionWord | 0x400u);
    EXPECT_EQ(copy.GetStyle(3).FontStyle, fsBold | fsUnderline);
    EXPECT_EQ(copy.GetStyle(3).Background, clAqua);
    EXPECT_EQ(copy.GetStyle(255).FontStyle, fsItalic);
    EXPECT_EQ(copy.GetStyleFlag(200), 255);
    EXPECT_EQ(copy.GetEditableStyle(2).Name, "Atributos");
    EXPECT_EQ(copy.GetTabColumn(31), 120);
    EXPECT_EQ(copy.UseDefaultColors, (std::array<uint8_t, 4>{1, 0, 1, 0}));
    EXPECT_EQ(copy.GutterFont(), source.GutterFont());
    ASSERT_EQ(copy.KeywordTableCount(), 2);
    EXPECT_EQ(copy.KeywordTable(1)->Words[0].Word, "Var");
    EXPECT_EQ(copy.AutoReplace().Count(), 1);
    EXPECT_EQ(copy.CodeTemplates().Entry(0).Text, "for (|)");
    EXPECT_EQ(copy.KeyController().GetActionName(17), "Indentar bloque");
    EXPECT_EQ(copy.KeyController().SequenceCount(), 2);
    // The trie is rebuilt from the loaded tables.
    ASSERT_NE(copy.KeywordTrie(), nullptr);
    const TKeywordNode* node = copy.KeywordTrie()->FindWord("BEGIN", 0);
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->Ends, nullptr);
    EXPECT_EQ(node->Ends->Value, 20);
}

TEST(Settings, EveryStyleRecordTheReaderTakesIsWrittenBack)
{
    // Random style records, defined or not (a stream may carry values for an undefined style).
    std::mt19937 random(2207);
    for (int round = 0; round < 20; ++round) {
        TSM_Settings source;
        for (int n = 0; n < 30; ++n) {
            TSM_TokenStyle style;
            style.Defined = int32_t(random() % 2);
            style.FontStyle = TFontStyles(random() % 16);
            style.Foreground = TColor(random() % 0x1000000);
            style.Background = TColor(random() % 2 ? clWhite : TColor(random() % 0x1000000));
            style.Hotspot = uint8_t(random() % 2);
            source.SetStyle(uint8_t(random() % 256), style);
        }
        const std::vector<uint8_t> first = streamOf(source);
        TSM_Settings copy;
        loadBytes(copy, first, first.size());
        EXPECT_EQ(streamOf(copy), first);
        for (int i = 0; i < 256; ++i) {
            const TSM_TokenStyle& a = source.GetStyle(uint8_t(i));
            const TSM_TokenStyle& b = copy.GetStyle(uint8_t(i));
            EXPECT_TRUE(a.Defined == b.Defined && a.FontStyle == b.FontStyle && a.Foreground == b.Foreground &&
                        a.Background == b.Background && a.Hotspot == b.Hotspot)
                << "style " << i;
        }
    }
}

TEST(Settings, AStreamTheReaderTakesIsWrittenTheSameOnEverySave)
{
    // Found by fuzzing: a stream whose second save differed from its first. Its style 0 is undefined,
    // which a save that left style 0 out turned back into the reader's defined default.
    std::ifstream file(std::string(KESTRIMA_SOURCE_DIR) + "/tests/data/settings-second-save.bin", std::ios::binary);
    ASSERT_TRUE(file);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // The fuzzer's first byte chose how it drove the object; the stream follows.
    ASSERT_FALSE(bytes.empty());
    bytes.erase(bytes.begin());
    TSM_Settings first;
    loadBytes(first, bytes, bytes.size());
    EXPECT_EQ(first.GetStyle(0).Defined, 0);
    const std::vector<uint8_t> saved = streamOf(first);
    TSM_Settings second;
    loadBytes(second, saved, saved.size());
    EXPECT_EQ(streamOf(second), saved);
    for (int i = 0; i < 256; ++i) {
        const TSM_TokenStyle& a = first.GetStyle(uint8_t(i));
        const TSM_TokenStyle& b = second.GetStyle(uint8_t(i));
        EXPECT_TRUE(a.Defined == b.Defined && a.FontStyle == b.FontStyle && a.Foreground == b.Foreground &&
                    a.Background == b.Background && a.DefaultForeground == b.DefaultForeground &&
                    a.DefaultBackground == b.DefaultBackground && a.Hotspot == b.Hotspot)
            << "style " << i;
    }
    // The same for an undefined style 0 made through the object's own interface.
    TSM_Settings plain;
    plain.SetStyle(0, TSM_TokenStyle());
    const std::vector<uint8_t> plainBytes = streamOf(plain);
    TSM_Settings plainCopy;
    loadBytes(plainCopy, plainBytes, plainBytes.size());
    EXPECT_EQ(plainCopy.GetStyle(0).Defined, 0);
    EXPECT_EQ(streamOf(plainCopy), plainBytes);
}

TEST(Settings, Version50StreamsHaveNoGutterFontBlock)
{
    TSM_Settings source;
    populate(source);
    source.StreamVersion = 50;
    std::vector<uint8_t> v50 = streamOf(source);
    source.StreamVersion = 51;
    std::vector<uint8_t> v51 = streamOf(source);
    // Name "Arial", size, character set, colour, style.
    ASSERT_EQ(v51.size(), v50.size() + 4 + 5 + 4 + 1 + 4 + 1);
    EXPECT_TRUE(std::equal(v50.begin(), v50.end(), v51.begin()));

    TSM_Settings copy;
    copy.StreamVersion = 50;
    copy.GutterFont().SetName("Tahoma");
    loadBytes(copy, v50, v50.size());
    EXPECT_EQ(copy.GutterFont().Name(), "Tahoma");
    EXPECT_EQ(copy.FontName, "Lucida Console");
}

TEST(Settings, EveryTruncatedStreamIsRejectedAndChangesNothing)
{
    TSM_Settings source;
    populate(source);
    std::vector<uint8_t> bytes = streamOf(source);

    TSM_Settings target;
    target.LanguageName = "intacto";
    target.AddKeywordTable(TStateSet{4}, "", {{"x", 1}}, 0);
    target.AddClient(editorA());
    std::vector<uint8_t> before = streamOf(target);
    for (size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_THROW(loadBytes(target, bytes, length), EStreamError) << "prefix of " << length << " bytes";
        ASSERT_EQ(streamOf(target), before) << "prefix of " << length << " bytes";
    }
    EXPECT_NE(target.GetStyle(0).Font, nullptr); // the font cache survived the failures
    loadBytes(target, bytes, bytes.size());
    EXPECT_EQ(streamOf(target), bytes);
    target.RemoveClient(editorA());
}

TEST(Settings, CorruptCountsAreRejectedBeforeAnythingChanges)
{
    TSM_Settings source;
    std::vector<uint8_t> fresh = streamOf(source);
    // Offsets of the counts in a fresh stream.
    const size_t styleCount = 4 + 4 + 24 + 4 + 3 + 11 * 4;
    const size_t editableCount = styleCount + 4 + 18 + 4;
    const size_t keywordCount = editableCount + 4 + 128 + 4 + 11 + 4 + 1 + 4;
    auto withCount = [&](size_t offset, uint32_t count) {
        std::vector<uint8_t> bytes = fresh;
        for (int i = 0; i < 4; ++i)
            bytes[offset + size_t(i)] = uint8_t(count >> (8 * i));
        return bytes;
    };
    ASSERT_EQ(withCount(keywordCount, 0), fresh);

    TSM_Settings target;
    target.LanguageName = "intacto";
    std::vector<uint8_t> before = streamOf(target);
    for (auto [offset, count] : {std::pair{styleCount, 257u}, {editableCount, 26u}, {keywordCount, 22u},
                                 {styleCount, 0x7FFFFFFFu}, {editableCount, 0xFFFFFFFFu}}) {
        std::vector<uint8_t> bytes = withCount(offset, count);
        EXPECT_THROW(loadBytes(target, bytes, bytes.size()), EReadError) << offset << " " << count;
        EXPECT_EQ(streamOf(target), before);
    }
    // A language name claiming more bytes than the stream holds.
    std::vector<uint8_t> longName = withCount(4, 0x40000000u);
    EXPECT_THROW(loadBytes(target, longName, longName.size()), EReadError);
    EXPECT_EQ(target.LanguageName, "intacto");
}

TEST(Settings, KeywordTablesFollowTheOverlapRules)
{
    TSM_Settings s;
    s.AddKeywordTable(TStateSet{1, 2}, "", {{"if", 5}}, 0);
    s.AddKeywordTable(TStateSet(), "", {{"then", 6}}, 0);
    ASSERT_EQ(s.KeywordTableCount(), 2);
    EXPECT_EQ(s.KeywordTable(1)->States, TStateSet{0}); // an empty set stands for {0}

    // The same set replaces the table in its slot.
    s.AddKeywordTable(TStateSet{1, 2}, "", {{"else", 7}}, 0);
    ASSERT_EQ(s.KeywordTableCount(), 2);
    EXPECT_EQ(s.KeywordTable(0)->Words[0].Word, "else");
    EXPECT_EQ(s.KeywordTrie()->FindWord("if", 0), nullptr);

    std::vector<uint8_t> before = streamOf(s);
    try {
        s.AddKeywordTable(TStateSet{2, 3}, "", {{"x", 1}}, 0);
        FAIL() << "an overlapping state set was accepted";
    } catch (const EKeywords& e) {
        EXPECT_EQ(e.Message(), "Ambigious key table state definition");
    }
    EXPECT_EQ(streamOf(s), before);

    for (int state = 10; state < 29; ++state)
        s.AddKeywordTable(TStateSet{uint8_t(state)}, "", {}, 0);
    ASSERT_EQ(s.KeywordTableCount(), 21);
    before = streamOf(s);
    try {
        s.AddKeywordTable(TStateSet{99}, "", {}, 0);
        FAIL() << "a 22nd table was accepted";
    } catch (const EKeywords& e) {
        EXPECT_EQ(e.Message(), "Too many keyword tables declared");
    }
    EXPECT_EQ(streamOf(s), before);
}

TEST(Settings, RefusedWordsOrSpecsLeaveTheTablesAlone)
{
    TSM_Settings s;
    s.AddKeywordTable(TStateSet{1}, "", {{"begin", 1}}, 0);
    TKeywords* trie = s.KeywordTrie();
    std::vector<uint8_t> before = streamOf(s);

    // "Begin" and "BEGIN" fold to the same word in a case-insensitive table.
    try {
        s.AddKeywordTable(TStateSet{2}, "", {{"Begin", 1}, {"BEGIN", 2}}, 0);
        FAIL() << "a duplicate word was accepted";
    } catch (const EKeywords& e) {
        EXPECT_EQ(e.Message(), "Duplicate keyword - 'begin'");
    }
    // Replacing the existing table with a bad one must not lose it either.
    EXPECT_THROW(s.AddKeywordTable(TStateSet{1}, "[z-a]", {{"end", 3}}, 0), Exception);
    EXPECT_EQ(streamOf(s), before);
    EXPECT_EQ(s.KeywordTrie(), trie);
    EXPECT_NE(s.KeywordTrie()->FindWord("begin", 0)->Ends, nullptr);

    // Case-sensitive tables keep both spellings.
    s.AddKeywordTable(TStateSet{2}, "", {{"Begin", 1}, {"BEGIN", 2}}, 1);
    EXPECT_EQ(s.KeywordTrie()->FindWord("BEGIN", 1)->Ends->Value, 2);
}

TEST(Settings, HotspotsAreFoundAmongDefinedStyles)
{
    TSM_Settings s;
    EXPECT_FALSE(s.HasHotspots());
    TSM_TokenStyle link;
    link.Hotspot = 1; // not defined: does not count
    s.SetStyle(9, link);
    EXPECT_FALSE(s.HasHotspots());
    link.Defined = 1;
    s.SetStyle(9, link);
    EXPECT_TRUE(s.StylesChanged());
    EXPECT_TRUE(s.HasHotspots());
}

TEST(Settings, EditableStylesAndTabStopsIgnoreIndexesOutOfRange)
{
    TSM_Settings s;
    s.SetEditableStyle(25, {std::string(30, 'n'), 7});
    EXPECT_EQ(s.GetEditableStyle(25).Name, std::string(25, 'n'));
    EXPECT_EQ(s.GetEditableStyle(25).StyleIndex, 7);
    std::vector<uint8_t> before = streamOf(s);
    s.SetEditableStyle(0, {"x", 1});
    s.SetEditableStyle(26, {"x", 1});
    s.SetTabColumn(-1, 5);
    s.SetTabColumn(32, 5);
    EXPECT_EQ(streamOf(s), before);
    EXPECT_EQ(s.GetEditableStyle(26).Name, "");
    EXPECT_EQ(s.GetTabColumn(32), -1);
}

TEST(Settings, FontsLiveWhileClientsAreAttached)
{
    TSM_Settings s;
    TSM_TokenStyle bold;
    bold.FontStyle = fsBold;
    bold.Defined = 1;
    s.SetStyle(4, bold);
    EXPECT_EQ(s.GetStyle(0).Font, nullptr);

    s.AddClient(editorA());
    s.AddClient(editorA());
    EXPECT_EQ(s.ClientCount(), 2);
    EXPECT_EQ(s.Clients(), std::vector<TSettingsClient*>{editorA()});
    ASSERT_NE(s.GetStyle(0).Font, nullptr);
    ASSERT_NE(s.GetStyle(4).Font, nullptr);
    EXPECT_EQ(s.GetStyle(4).Font->Weight(), 700);
    EXPECT_EQ(s.GetStyle(0).Font->Name(), "Courier New");
    EXPECT_EQ(s.GetStyle(1).Font, nullptr); // undefined styles get no font

    s.RemoveClient(editorA());
    EXPECT_EQ(s.ClientCount(), 1);
    EXPECT_NE(s.GetStyle(0).Font, nullptr);
    EXPECT_TRUE(s.Clients().empty());
    s.RemoveClient(editorA());
    EXPECT_EQ(s.ClientCount(), 0);
    EXPECT_EQ(s.GetStyle(0).Font, nullptr);
    EXPECT_EQ(s.GetStyle(4).Font, nullptr);
    s.RemoveClient(editorA()); // never below zero
    EXPECT_EQ(s.ClientCount(), 0);

    // Without clients a rebuild makes nothing.
    s.RebuildFontCache();
    EXPECT_EQ(s.GetStyle(0).Font, nullptr);
}

TEST(Settings, GlyphsExistOnlyWhenInvisibleCharactersAreShown)
{
    TSM_Settings s;
    s.AddClient(editorA());
    EXPECT_EQ(s.PilcrowGlyph(), nullptr);
    EXPECT_TRUE(s.PlacementResults().Advances.empty());

    s.Options |= OptionBit(smoShowAllChars);
    s.RebuildFontCache();
    ASSERT_NE(s.PilcrowGlyph(), nullptr);
    ASSERT_NE(s.TabGlyph(), nullptr);
    ASSERT_NE(s.ReturnGlyph(), nullptr);
    EXPECT_GT(s.PilcrowGlyph()->Width(), 0);
    EXPECT_EQ(s.PlacementResults().Advances.size(), 2048u);
    EXPECT_EQ(s.PlacementResults().CaretPositions.size(), 2048u);

    // Freeing the fonts keeps the glyphs; a rebuild without the option drops them.
    s.FreeFontCache();
    EXPECT_NE(s.PilcrowGlyph(), nullptr);
    s.Options &= ~OptionBit(smoShowAllChars);
    s.RebuildFontCache();
    EXPECT_EQ(s.PilcrowGlyph(), nullptr);
    EXPECT_TRUE(s.PlacementResults().CaretPositions.empty());
    s.RemoveClient(editorA());
}

TEST(Settings, GutterFontChangesInvalidateEveryClient)
{
    gInvalidated.clear();
    {
        TSM_Settings s;
        s.AddClient(editorA());
        s.AddClient(editorB());
        s.GutterFont().SetSize(11);
        EXPECT_EQ(gInvalidated, (std::vector<TSettingsClient*>{editorA(), editorB()}));

        // A load at version 51 assigns the five gutter-font values one by one.
        TSM_Settings source;
        std::vector<uint8_t> bytes = streamOf(source);
        gInvalidated.clear();
        loadBytes(s, bytes, bytes.size());
        EXPECT_EQ(gInvalidated.size(), 10u);
        EXPECT_EQ(s.GutterFont().Size(), 8);
        s.RemoveClient(editorA());
        s.RemoveClient(editorB());
    }
}

TEST(Settings, AssignAndCloneCopyEverythingThroughTheStream)
{
    TSM_Settings source;
    populate(source);
    TSM_Settings target;
    target.Assign(source);
    EXPECT_EQ(streamOf(target), streamOf(source));
    ASSERT_NE(target.KeywordTrie(), nullptr);
    EXPECT_NE(target.KeywordTrie(), source.KeywordTrie());
    EXPECT_EQ(target.KeywordTrie()->FindWord("Var", 1)->Ends->Value, 30);
    EXPECT_EQ(target.AutoReplace().Entry(0).Key, "teh");
    EXPECT_EQ(target.KeyController().KeyStore().Sequences()[1].Key2, 'I');

    std::unique_ptr<TSM_Base> clone = source.Clone();
    ASSERT_NE(dynamic_cast<TSM_Settings*>(clone.get()), nullptr);
    EXPECT_EQ(streamOf(*clone), streamOf(source));
}

TEST(Settings, SubObjectsWriteTheirEmptyForms)
{
    TKeyboardActionContoller keys;
    EXPECT_EQ(streamOf(keys), (Bytes().i32(0).i32(0).v));
    TCodeTemplates templates;
    EXPECT_EQ(streamOf(templates), (Bytes().i32(0).longStr("Ctrl+J").i32(1).v));
    TAutoReplace replace;
    replace.SetTriggerKeys(";");
    EXPECT_EQ(streamOf(replace), (Bytes().i32(0).longStr("Ctrl+J").i32(1).shortStr(";").v));
    TSyntaxKeywords words;
    EXPECT_EQ(streamOf(words), (Bytes().i32(0).i32(0).byte(0).v));
}

TEST(Settings, SubObjectsRoundTripAndRefuseForeignSources)
{
    TKeyboardActionContoller keys;
    loadKeys(keys);
    TKeyboardActionContoller keysCopy;
    keysCopy.Assign(keys);
    EXPECT_EQ(streamOf(keysCopy), streamOf(keys));
    EXPECT_EQ(keysCopy.GetActionName(0), "Izquierda");
    keysCopy.SetActionName(0, "Left");
    EXPECT_EQ(keysCopy.GetActionName(0), "Left");
    EXPECT_EQ(keysCopy.ActionNameCount(), 2);

    TCodeTemplates templates;
    templates.Add("While", "", 0, "while ()");
    templates.Add("for", "bucle", 0, "for (|)");
    templates.Add("WHILE", "otra", 0, "while (|)"); // replaces the entry of the same key
    templates.HotKey = scCtrl | scShift | VK_SPACE;
    ASSERT_EQ(templates.Count(), 2);
    EXPECT_EQ(templates.Entry(1).Key, "while");
    EXPECT_EQ(templates.Entry(1).Text, "while (|)");
    TCodeTemplates templatesCopy;
    templatesCopy.Assign(templates);
    EXPECT_EQ(streamOf(templatesCopy), streamOf(templates));
    EXPECT_EQ(templatesCopy.HotKey, scCtrl | scShift | VK_SPACE);

    TSM_Settings settings;
    try {
        keys.Assign(settings);
        FAIL() << "settings were assigned to a key controller";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TSM_Settings to a TKeyboardActionContoller");
    }
    try {
        templates.Assign(keys);
        FAIL() << "a key controller was assigned to templates";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot assign TKeyboardActionContoller to TCodeTemplates");
    }

    // Truncated sub-object streams fail without touching the object.
    TAutoReplace target;
    target.AddReplacement("x", "y");
    std::vector<uint8_t> before = streamOf(target);
    TAutoReplace replace;
    replace.AddReplacement("teh", "the");
    std::vector<uint8_t> replaceBytes = streamOf(replace);
    for (size_t length = 0; length < replaceBytes.size(); ++length) {
        EXPECT_THROW(loadBytes(target, replaceBytes, length), EStreamError);
        ASSERT_EQ(streamOf(target), before);
    }
}
