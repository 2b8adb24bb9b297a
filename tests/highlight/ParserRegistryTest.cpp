// Tests of a language's user settings in the registry: the style value, the key value, their loading and saving.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "editor/CodeMemo.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/KeyBindings.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"
#include "support/TokenDump.h"

namespace {

namespace fs = std::filesystem;

const char* const kInvalidStyle = "Invalid data in style string";
const char* const kKey = "Software\\Dremal\\Kestrima\\ParserHTML";

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// One "tag", its value and where the value stands in the style string.
struct TField {
    std::string Tag;
    std::string Value;
    size_t ValueStart = 0;
};

// The fields of a style string the writer made.
std::vector<TField> fieldsOf(const std::string& text)
{
    std::vector<TField> fields;
    size_t pos = 8;
    while (text.compare(pos, 5, "#END#") != 0) {
        TField field;
        field.Tag = text.substr(pos, 3);
        const size_t hash = text.find('#', pos + 4);
        const size_t length = std::stoul(text.substr(pos + 4, hash - pos - 4));
        field.ValueStart = hash + 1;
        field.Value = text.substr(hash + 1, length);
        pos = hash + 1 + length;
        fields.push_back(field);
    }
    return fields;
}

std::string fieldOf(const std::string& text, const std::string& tag)
{
    for (const TField& field : fieldsOf(text))
        if (field.Tag == tag)
            return field.Value;
    return "<missing>";
}

std::string keyBytes(const TCodeMemoParser& parser)
{
    TMemoryStream stream;
    parser.Settings().KeyController().SaveToStream(stream);
    return stream.AsString();
}

std::string settingsBytes(const TCodeMemoParser& parser)
{
    TMemoryStream stream;
    parser.Settings().SaveToStream(stream);
    return stream.AsString();
}

// A parser whose settings differ from the defaults in every stored field.
void changeEverything(TCodeMemoParser& parser)
{
    TSM_Settings& s = parser.Settings();
    s.Options = 0x80000001u;
    s.Gutter = 51;
    s.GutterColor = static_cast<TColor>(clHighlight);
    s.WrapAtColumn = 72;
    s.IndentStep = 3;
    s.WrapOverride = "#;";
    s.FontName = "Lucida Console";
    s.FontSize = 13;
    s.SelTextColor = 0x123456;
    s.SelTextBack = static_cast<TColor>(clWindow);
    s.SetTabColumn(0, 8);
    s.SetTabColumn(1, 16);
    s.TabDefault = 6;
    s.UseDefaultColors = {1, 0, 1, 1};
    s.Charset = 238;
    s.RightMargin = 100;
    s.GutterFont().SetName("Arial");
    s.GutterFont().SetSize(7);
    s.GutterFont().SetColor(static_cast<TColor>(clGrayText));
    s.GutterFont().SetCharset(161);
    s.GutterFont().SetStyle(fsItalic | fsBold | fsUnderline | fsStrikeOut);
    TSM_TokenStyle a;
    a.Defined = 1;
    a.Foreground = static_cast<TColor>(clBtnFace);
    a.Background = 0x00FF00;
    a.DefaultBackground = 1;
    a.FontStyle = fsBold | fsUnderline;
    s.SetStyle(4, a);
    TSM_TokenStyle b;
    b.Defined = 1;
    b.Foreground = 0x0000FF;
    b.Background = static_cast<TColor>(clWindow);
    b.DefaultForeground = 1;
    b.FontStyle = fsItalic;
    s.SetStyle(200, b);
    s.KeyController().AddKeySequence(0x4000 | 'K', 0x4000 | 'B', 7);
}

// A style string of the one field `tag`.
std::string tagged(const std::string& tag, const std::string& value)
{
    return "Trevok6:" + tag + "#" + IntToStr(static_cast<int64_t>(value.size())) + "#" + value;
}

std::string tokensOf(TCodeMemoParser& parser, const std::string& text)
{
    TCodeMemoCore editor;
    editor.InsertText(text.c_str());
    return DumpTokens(parser, editor);
}

std::string scriptsDir()
{
    return (fs::path(KESTRIMA_TEST_DATA).parent_path().parent_path() / "resources" / "scripts").string();
}

// Every test gets a store folder of its own and starts as a new process would.
class ParserRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSavedDir = std::getenv("KESTRIMA_CONFIG_DIR");
        setenv("KESTRIMA_CONFIG_DIR", FFolder.path.c_str(), 1);
        RegistryStore::Reload();
        parser.Name = "HTMLParser";
        parser.RegistryKey = kKey;
        parser.UseRegistry = true;
    }
    void TearDown() override
    {
        TCodeMemoParser::SetSettingsDialog(nullptr);
        RegistryStore::Reload();
        setenv("KESTRIMA_CONFIG_DIR", FSavedDir.c_str(), 1);
    }

    void writeValue(const std::string& name, const std::string& value)
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kKey, true));
        registry.WriteString(name, value);
    }

    TempDir FFolder{"parserregistry"};
    std::string FSavedDir;
    TCodeMemoParser parser;
};

} // namespace

TEST_F(ParserRegistry, AFreshLanguageWritesItsDefaultsInTheTaggedForm)
{
    const std::string text = parser.BuildStyleString();
    EXPECT_TRUE(text.starts_with("Trevok6:OPT#8#67099632GWD#2#34GCL#11#-2147483633WRC#1#0IDS#1#1WRO#3#>|:"
                                 "FON#11#Courier NewFOS#2#10"))
        << text;
    EXPECT_TRUE(text.ends_with("#END#"));
    std::vector<std::string> tags;
    for (const TField& field : fieldsOf(text))
        tags.push_back(field.Tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"OPT", "GWD", "GCL", "WRC", "IDS", "WRO", "FON", "FOS", "STC",
                                              "STB", "TBC", "TBD", "EFF", "GDF", "MDF", "SDF", "BDF", "FOC",
                                              "RMG", "LNN", "LNS", "LNC", "LNT", "LNE"}));
    // Style 0 is the one defined style of a fresh language.
    EXPECT_EQ(fieldOf(text, "EFF"), "1,0,0,16777215,;");
    EXPECT_EQ(fieldOf(text, "TBC"), "");

    const std::string keys = parser.BuildKeyAssignments();
    EXPECT_EQ(keys.substr(0, 9), "\x08Trevok6:");
    EXPECT_EQ(keys.substr(9), keyBytes(parser));
}

TEST_F(ParserRegistry, EveryStoredFieldSurvivesAFreshProcess)
{
    changeEverything(parser);
    TSM_Settings& s = parser.Settings();
    for (int i = 0; i < TSM_Settings::kStyleCount; ++i) {
        TSM_TokenStyle style = s.GetStyle(static_cast<uint8_t>(i));
        style.Defined = 1;
        style.Foreground = i % 3 == 0 ? -i : i * 65793;
        style.FontStyle = static_cast<TFontStyles>(i % 8);
        style.DefaultForeground = i % 5 == 0;
        s.SetStyle(static_cast<uint8_t>(i), style);
    }
    const std::string written = parser.BuildStyleString();
    EXPECT_TRUE(fieldOf(written, "EFF").starts_with("255,0,0,"));
    EXPECT_EQ(fieldOf(written, "GCL"), "-2147483635");
    EXPECT_EQ(fieldOf(written, "TBC"), "9 17");
    EXPECT_EQ(fieldOf(written, "LNE"), "IBUS");
    EXPECT_EQ(fieldOf(written, "GDF") + fieldOf(written, "MDF") + fieldOf(written, "SDF") + fieldOf(written, "BDF"),
              "1101");
    parser.SaveToRegistry();
    const std::string keys = keyBytes(parser);

    RegistryStore::Reload();
    TCodeMemoParser loaded;
    loaded.Name = "HTMLParser";
    loaded.RegistryKey = kKey;
    loaded.UseRegistry = true;
    loaded.LoadFromRegistry(true, "");
    EXPECT_EQ(loaded.BuildStyleString(), written);
    EXPECT_EQ(keyBytes(loaded), keys);
    const TSM_Settings& l = loaded.Settings();
    EXPECT_EQ(l.Options, 0x80000001u);
    EXPECT_EQ(l.GutterColor, static_cast<TColor>(clHighlight));
    EXPECT_EQ(l.GetTabColumn(1), 16);
    EXPECT_EQ(l.GetTabColumn(2), -1);
    EXPECT_EQ(l.GutterFont().Style(), fsItalic | fsBold | fsUnderline | fsStrikeOut);
    EXPECT_EQ(l.GutterFont().Charset(), 161);
    EXPECT_EQ(l.UseDefaultColors, (std::array<uint8_t, 4>{1, 0, 1, 1}));
    // Bold, italic and underline are stored; strike-out has no letter in the style list.
    for (int i = 0; i < TSM_Settings::kStyleCount; ++i) {
        const TSM_TokenStyle& style = l.GetStyle(static_cast<uint8_t>(i));
        ASSERT_EQ(style.Defined, 1) << i;
        EXPECT_EQ(style.Foreground, i % 3 == 0 ? -i : i * 65793) << i;
        EXPECT_EQ(style.FontStyle, i % 8 & (fsBold | fsItalic | fsUnderline)) << i;
        EXPECT_EQ(style.DefaultForeground, i % 5 == 0) << i;
    }
}

TEST_F(ParserRegistry, WithTheRegistryOffOnlyAnExplicitKeyIsUsed)
{
    changeEverything(parser);
    parser.SaveToRegistry();
    TCodeMemoParser other;
    other.Name = "HTMLParser";
    other.RegistryKey = kKey;
    const std::string untouched = settingsBytes(other);
    const std::string disabled = "Registry interface disabled in: HTMLParser";
    EXPECT_EQ(errorOf([&] { other.SaveToRegistry(); }), disabled);
    EXPECT_EQ(errorOf([&] { other.LoadFromRegistry(true, kKey); }), disabled);
    other.UseRegistry = true;
    other.RegistryKey.clear();
    EXPECT_EQ(errorOf([&] { other.LoadFromRegistry(true, kKey); }), disabled);
    EXPECT_EQ(settingsBytes(other), untouched);

    other.LoadFromRegistry(false, "Software\\Dremal\\Kestrima\\NoSuchParser");
    EXPECT_EQ(settingsBytes(other), untouched);
    other.UseRegistry = false;
    other.LoadFromRegistry(false, kKey);
    EXPECT_EQ(other.BuildStyleString(), parser.BuildStyleString());
    EXPECT_EQ(keyBytes(other), keyBytes(parser));
}

TEST_F(ParserRegistry, AWrongSignatureIsRefusedAndChangesNothing)
{
    const std::string before = settingsBytes(parser);
    for (const char* bad : {"Trevok0:GWD#2#50#END#", "TrevokA:GWD#2#50#END#", "Trevek6:GWD#2#50", "Trevok", ""}) {
        EXPECT_EQ(errorOf([&] { parser.ParseStyleString(bad); }), kInvalidStyle) << bad;
        writeValue(parser.StyleValueName(), bad);
        EXPECT_EQ(errorOf([&] { parser.LoadFromRegistry(true, ""); }),
                  "Invalid data in registry entry \"Software\\Dremal\\Kestrima\\ParserHTML\\Highlighting - " +
                      parser.Settings().LanguageName + "\"")
            << bad;
        EXPECT_EQ(settingsBytes(parser), before) << bad;
    }
    // A key value is taken only with its signature in bytes 1 to 8.
    TCodeMemoParser source;
    source.Settings().KeyController().AddKeySequence(0x6000 | 0x7B, 0, 3);
    const std::string good = source.BuildKeyAssignments();
    parser.LoadKeyAssignments("xx" + good.substr(1));
    parser.LoadKeyAssignments("\x08Trevok5:" + good.substr(9));
    EXPECT_EQ(settingsBytes(parser), before);
    parser.LoadKeyAssignments(good);
    EXPECT_EQ(keyBytes(parser), keyBytes(source));
}

TEST_F(ParserRegistry, ABrokenStyleListTakesTheSettingsBackAndKeepsTheLanguage)
{
    parser.Script = (fs::path(scriptsDir()) / "text.syn").string();
    parser.LoadScriptFile();
    const std::string compiled = settingsBytes(parser);
    const std::string tokens = tokensOf(parser, "ver http://x.com ya");
    ASSERT_NE(tokens.find("http"), std::string::npos);

    // Tags before the list were applied, then the whole value goes back.
    EXPECT_EQ(errorOf([&] { parser.ParseStyleString("Trevok6:GWD#2#50" + tagged("EFF", "2,1,255,0,B;300,0,0,;").substr(8)); }),
              kInvalidStyle);
    EXPECT_EQ(settingsBytes(parser), compiled);
    EXPECT_EQ(tokensOf(parser, "ver http://x.com ya"), tokens);
    EXPECT_NE(parser.Settings().LanguageName, TSM_Settings().LanguageName);

    // A count beyond what the list holds, a negative count or index.
    for (const char* bad : {"Trevok6:EFF#3#9,;", "Trevok6:EFF#7#-1,0,0;", "Trevok6:EFF#8#1,-5,0,;"}) {
        EXPECT_EQ(errorOf([&] { parser.ParseStyleString(bad); }), kInvalidStyle) << bad;
        EXPECT_EQ(settingsBytes(parser), compiled) << bad;
    }
    // An error in an old positional value keeps nothing of it, and the language stays.
    EXPECT_EQ(errorOf([&] { parser.ParseStyleString("Trevok4:1,40,0,1,0,,5,Arial,12,1,2,3,9 x,4,0"); }),
              "Tab stop column value expected");
    EXPECT_EQ(errorOf([&] { parser.ParseStyleString("Trevok2:1,40,0,1,30,ab"); }), kInvalidStyle);
    EXPECT_EQ(settingsBytes(parser), compiled);
    EXPECT_EQ(tokensOf(parser, "ver http://x.com ya"), tokens);
}

TEST_F(ParserRegistry, TaggedReadingStopsAtAnUnknownTagOrABadFrameAndFailsOnBadValues)
{
    TSM_Settings& s = parser.Settings();
    parser.ParseStyleString("Trevok6:GWD#2#50XYZ#1#5FOS#2#20#END#");
    EXPECT_EQ(s.Gutter, 50);
    EXPECT_EQ(s.FontSize, 10);
    // Only the first four letters of a tag count.
    parser.ParseStyleString("Trevok6:GWDX#2#60FOS#2#21");
    EXPECT_EQ(s.Gutter, 50);
    parser.ParseStyleString("Trevok9,FOS#2#22GWD#2#61IDS,1#3");
    EXPECT_EQ(s.FontSize, 22);
    EXPECT_EQ(s.Gutter, 61);
    parser.ParseStyleString("Trevok6:RMG#2#90END#2#91RMG#2#92");
    EXPECT_EQ(s.RightMargin, 90);
    parser.ParseStyleString("Trevok6:MDF#1#1SDF#4#true");
    EXPECT_EQ(s.UseDefaultColors[udcMargin], 1);
    EXPECT_EQ(s.UseDefaultColors[udcSelTextColor], 0);
    parser.ParseStyleString("Trevok6:LNE#4#SxbIFOC#3#255");
    EXPECT_EQ(s.GutterFont().Style(), fsStrikeOut | fsItalic);
    EXPECT_EQ(s.Charset, 255);

    // A length past the end, numbers that are none, a byte out of range, a bad tab list: an error,
    // with the tags before applied.
    for (const char* bad : {"Trevok6:GWD#2#70FOS#9#1", "Trevok6:GWD#2#70FOS#-1#", "Trevok6:GWD#2#70FOS#2#1x",
                            "Trevok6:GWD#2#70FOC#3#256", "Trevok6:GWD#2#70OPT#10#4294967296",
                            "Trevok6:GWD#2#70TBC#3#9 5"}) {
        s.Gutter = 0;
        EXPECT_NE(errorOf([&] { parser.ParseStyleString(bad); }), "") << bad;
        EXPECT_EQ(s.Gutter, 70) << bad;
    }
}

TEST_F(ParserRegistry, OldPositionalValuesAreReadAsTheyWereLaidOut)
{
    TSM_Settings& s = parser.Settings();
    parser.ParseStyleString("Trevok4:1234,40,72,3,2,<|,5,Arial,12,255,65280,4,9 17,8,2,1,255,0,B;7,-16777201,"
                            "16777215,XYI;");
    EXPECT_EQ(s.Options, 1234u);
    EXPECT_EQ(s.Gutter, 40);
    EXPECT_EQ(s.WrapAtColumn, 72);
    EXPECT_EQ(s.IndentStep, 3);
    EXPECT_EQ(s.WrapOverride, "<|");
    EXPECT_EQ(s.FontName, "Arial");
    EXPECT_EQ(s.FontSize, 12);
    EXPECT_EQ(s.SelTextColor, 255);
    EXPECT_EQ(s.SelTextBack, 65280);
    EXPECT_EQ(TabColumnsText(s), "9 17");
    EXPECT_EQ(s.TabDefault, 8);
    EXPECT_EQ(s.GetStyle(1).Foreground, 255);
    EXPECT_EQ(s.GetStyle(1).FontStyle, fsBold);
    EXPECT_EQ(s.GetStyle(7).Foreground, -16777201);
    EXPECT_EQ(s.GetStyle(7).DefaultBackground, 1);
    EXPECT_EQ(s.GetStyle(7).DefaultForeground, 1);
    EXPECT_EQ(s.GetStyle(7).FontStyle, fsItalic);

    // Version 1 has neither font nor tabs; missing numbers take their defaults; a long wrap-override
    // list is cut to 20 characters.
    parser.ParseStyleString("Trevok1:,,5,,25,abcdefghijklmnopqrstuvwxy,1,3,,,b");
    EXPECT_EQ(s.Options, kDefaultOptionWord);
    EXPECT_EQ(s.Gutter, 34);
    EXPECT_EQ(s.WrapAtColumn, 5);
    EXPECT_EQ(s.IndentStep, 1);
    EXPECT_EQ(s.WrapOverride, "abcdefghijklmnopqrst");
    EXPECT_EQ(s.FontName, "Courier New");
    EXPECT_EQ(TabColumnsText(s), "");
    EXPECT_EQ(s.TabDefault, 4);
    EXPECT_EQ(s.GetStyle(3).Foreground, clBlack);
    EXPECT_EQ(s.GetStyle(3).Background, clWhite);
    EXPECT_EQ(s.GetStyle(3).FontStyle, fsBold);
}

TEST_F(ParserRegistry, EveryTruncationIsAnErrorOrAPartialReadOfTheWholeFields)
{
    TCodeMemoParser source;
    changeEverything(source);
    const std::string full = source.BuildStyleString();
    const std::vector<TField> fields = fieldsOf(full);
    const std::vector<TField> defaults = fieldsOf(TCodeMemoParser().BuildStyleString());
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        TCodeMemoParser target;
        const std::string error = errorOf([&] { target.ParseStyleString(full.substr(0, cut)); });
        bool insideValue = false;
        const std::string read = target.BuildStyleString();
        for (size_t i = 0; i < fields.size(); ++i) {
            const size_t end = fields[i].ValueStart + fields[i].Value.size();
            insideValue |= cut >= fields[i].ValueStart && cut < end;
            EXPECT_EQ(fieldOf(read, fields[i].Tag), (cut >= end ? fields : defaults)[i].Value)
                << fields[i].Tag << " cut at " << cut;
        }
        EXPECT_EQ(error, cut < 7 || insideValue ? kInvalidStyle : "") << "cut at " << cut;
    }

    // Inside a well-framed list: complete entries are read as written, or the list fails as a whole.
    const std::string list = fieldOf(full, "EFF");
    for (size_t cut = 0; cut <= list.size(); ++cut) {
        TCodeMemoParser target;
        const std::string before = settingsBytes(target);
        const std::string value = list.substr(0, cut);
        const std::string error =
            errorOf([&] { target.ParseStyleString(tagged("EFF", value)); });
        if (!error.empty()) {
            EXPECT_EQ(error, kInvalidStyle);
            EXPECT_EQ(settingsBytes(target), before);
            continue;
        }
        for (uint8_t index : {4, 200}) {
            const size_t entry = value.find(";" + IntToStr(index) + ",");
            if (entry != std::string::npos && value.find(';', entry + 1) != std::string::npos) {
                EXPECT_EQ(target.Settings().GetStyle(index).Foreground, source.Settings().GetStyle(index).Foreground);
                EXPECT_EQ(target.Settings().GetStyle(index).FontStyle, source.Settings().GetStyle(index).FontStyle);
            }
        }
    }

    // An old positional value: all of it, or an error and nothing.
    const std::string old = "Trevok4:1234,40,72,3,2,<|,5,Arial,12,255,65280,4,9 17,8,2,1,255,0,B;7,-1,1,XYI;";
    for (size_t cut = 0; cut <= old.size(); ++cut) {
        TCodeMemoParser target;
        const std::string before = settingsBytes(target);
        if (!errorOf([&] { target.ParseStyleString(old.substr(0, cut)); }).empty()) {
            EXPECT_EQ(settingsBytes(target), before) << "cut at " << cut;
        }
    }

    // A key value: ignored without its signature, refused with nothing changed when cut, taken whole.
    const std::string keys = source.BuildKeyAssignments();
    for (size_t cut = 0; cut <= keys.size(); ++cut) {
        TCodeMemoParser target;
        const std::string before = keyBytes(target);
        const std::string error = errorOf([&] { target.LoadKeyAssignments(keys.substr(0, cut)); });
        EXPECT_EQ(error.empty(), cut < 9 || cut == keys.size()) << "cut at " << cut;
        EXPECT_EQ(keyBytes(target), cut == keys.size() ? keyBytes(source) : before) << "cut at " << cut;
    }
}

TEST_F(ParserRegistry, RandomBytesAfterTheSignatureNeverReadOutside)
{
    std::mt19937 random(29);
    const std::string alphabet = "0123456789,;#-BIUXYbiuxyEFFGWDTBCLNEOPT \xFF";
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 ? std::string("Trevok6:") : "Trevok" + IntToStr(1 + round % 4) + ":";
        const size_t length = random() % 40;
        for (size_t i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        TCodeMemoParser target;
        const std::string error = errorOf([&] { target.ParseStyleString(text); });
        if (round % 2 == 0 && !error.empty()) {
            EXPECT_EQ(settingsBytes(target), settingsBytes(TCodeMemoParser())) << text;
        }
    }
}

TEST_F(ParserRegistry, AConfirmedDialogSavesWhenTheRegistryIsOnAndAKeyIsSet)
{
    bool confirm = false;
    TCodeMemoParser::SetSettingsDialog([&](TCodeMemoParser& edited, TSM_PropEdPages) {
        edited.Settings().Gutter = 77;
        return confirm;
    });
    auto stored = [] {
        TRegistry registry;
        return registry.OpenKeyReadOnly(kKey) ? registry.ReadString("Highlighting - " + TSM_Settings().LanguageName)
                                              : std::string("<none>");
    };
    EXPECT_FALSE(parser.EditAll());
    EXPECT_EQ(stored(), "<none>");
    confirm = true;
    parser.UseRegistry = false;
    EXPECT_TRUE(parser.EditAll());
    EXPECT_EQ(stored(), "<none>");
    parser.UseRegistry = true;
    parser.RegistryKey.clear();
    EXPECT_TRUE(parser.EditAll());
    EXPECT_EQ(stored(), "<none>");
    parser.RegistryKey = kKey;
    EXPECT_TRUE(parser.EditSettings(1 << ppKEYS));
    EXPECT_EQ(fieldOf(stored(), "GWD"), "77");
}

namespace {

// Every file of the store folder with its contents.
std::string folderState(const fs::path& folder)
{
    std::string state;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            state += entry.path().string() + "=" + ReadFileBytes(entry.path().string()) + ";";
    return state;
}

// Runs `steps` on the options dialog once it is up, and cancels it if the steps left it open.
void whenShown(std::function<void(TOptionsDialog&)> steps)
{
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<TOptionsDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no options dialog";
            return;
        }
        steps(*dialog);
        if (dialog->isVisible())
            dialog->CancelButton->click();
    });
}

} // namespace

TEST_F(ParserRegistry, TheOptionsDialogCommitsAndSavesOnlyOnOk)
{
    TCodeMemoParser::SetSettingsDialog(
        [](TCodeMemoParser& edited, TSM_PropEdPages pages) { return TOptionsDialog::EditParserSettings(edited, pages); });
    TCodeMemo memo;
    memo.SetParser1(&parser);
    TSM_Settings* own = &parser.Settings();
    own->Options &= ~0x40u;
    const std::string before = settingsBytes(parser);
    const std::string store = folderState(FFolder.path);
    auto edit = [](TOptionsDialog& d) {
        d.LineNosBox->click();
        d.LeftBorderWidthBox->setText("77");
        d.FontSizeBox->setCurrentIndex(d.FontSizeBox->findText("14"));
    };

    for (int close = 0; close < 2; ++close) {
        whenShown([&](TOptionsDialog& d) {
            edit(d);
            if (close)
                d.close();
        });
        EXPECT_FALSE(parser.EditAll());
        EXPECT_EQ(&parser.Settings(), own);
        EXPECT_EQ(settingsBytes(parser), before);
        EXPECT_EQ(parser.Editors(), std::vector<TParserClient*>{&memo});
        EXPECT_EQ(&memo.ActiveSettings(), own);
        EXPECT_EQ(folderState(FFolder.path), store);
    }

    // OK without a key: the settings change and the editors follow; nothing is stored.
    parser.RegistryKey.clear();
    whenShown([&](TOptionsDialog& d) {
        edit(d);
        d.OKButton->click();
    });
    EXPECT_TRUE(parser.EditAll());
    EXPECT_EQ(own->Options & 0x40u, 0x40u);
    EXPECT_EQ(own->Gutter, 77);
    EXPECT_EQ(memo.FontSize(), 14);
    EXPECT_EQ(parser.Editors(), std::vector<TParserClient*>{&memo});
    EXPECT_EQ(folderState(FFolder.path), store);

    // OK with a key stores the styles.
    parser.RegistryKey = kKey;
    whenShown([&](TOptionsDialog& d) {
        d.LeftBorderWidthBox->setText("88");
        d.OKButton->click();
    });
    EXPECT_TRUE(parser.EditSettings(1 << ppOPTIONS));
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kKey));
    EXPECT_EQ(fieldOf(registry.ReadString("Highlighting - " + own->LanguageName), "GWD"), "88");

    // With OnModifyProperties no dialog comes up.
    int calls = 0;
    parser.OnModifyProperties = [&calls](TCustomCodeMemoParser*) { ++calls; };
    bool dialogSeen = false;
    QTimer::singleShot(0, [&dialogSeen] { dialogSeen = QApplication::activeModalWidget() != nullptr; });
    EXPECT_FALSE(parser.EditAll());
    QApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(dialogSeen);
}
