// The %%language section: the language-wide values of the parser tables and of the settings object.
#include <algorithm>
#include <array>
#include <string>

#include "highlight/SynParseCompile.h"
#include "platform/core/SysUtils.h"

using namespace ScriptToken;

namespace {

// The language name and the wrap-override list are short texts; longer ones are cut.
constexpr size_t kShortTextLength = 35;

struct TLanguageEntry {
    int32_t Token;
    const char* Label; // the error context while the entry is read
};

constexpr std::array<TLanguageEntry, 28> kLanguageEntries{{
    {Name, "%%Language - Name"},
    {Case, "%%Language - Case"},
    {Options, "%%Language - Options"},
    {ExampleText, "%%Language - Example text"},
    {EditableStyles, "%%Language - Editable styles"},
    {WordWrapColumn, "%%Language - WordWrapColumn"},
    {Gutter, "%%Language - Gutter width"},
    {Anchor, "%%Language - Anchor"},
    {IndentStep, "%%Language - Indent step"},
    {WrapOverride, "%%Language - WrapOverride"},
    {StartState, "%%Language - Startstate"},
    {SelTextColor, "%%Language - SelTextColor"},
    {SelTextBack, "%%Language - SelTextBack"},
    {RightMargin, "%%Language - RightMargin"},
    {FontName, "%%Language - FontName"},
    {FontSize, "%%Language - FontSize"},
    {FontCharset, "%%Language - FontCharSet"},
    {TabColumns, "%%Language - TabColumns"},
    {TabDefault, "%%Language - TabDefault"},
    {ContextStates, "%%Language - ContextState"},
    {BoundStates, "%%Language - BoundStates"},
    {GutterColor, "%%Language - GutterColor"},
    {MarginColor, "%%Language - MarginColor"},
    {MarginWidth, "%%Language - MarginWidth"},
    {GutterFontName, "%%Language - GutterFontName"},
    {GutterFontSize, "%%Language - GutterFontSize"},
    {GutterFontColor, "%%Language - GutterFontColor"},
    {GutterFontStyle, "%%Effects - GutterFontStyle"},
}};

const TLanguageEntry* findEntry(int32_t token)
{
    for (const TLanguageEntry& entry : kLanguageEntries)
        if (entry.Token == token)
            return &entry;
    return nullptr;
}

} // namespace

void TScriptCompilation::ReadLanguageSection()
{
    SetErrorContext("%%Language");
    TSM_Settings& settings = Settings();
    TParserTables& tables = Tables();
    // A colour may be preceded by "[*]", which makes the painter use its default instead.
    auto readColour = [this](uint8_t& useDefault, TColor& colour) {
        useDefault = ReadDefaultFlag();
        colour = ReadExpression();
    };
    while (FToken != EndOfInput) {
        if (FToken == Language) {
            AdvanceToken();
            continue;
        }
        const TLanguageEntry* entry = findEntry(FToken);
        if (!entry)
            return;
        SetErrorContext(entry->Label);
        // These two have a syntax of their own after the keyword.
        if (entry->Token == EditableStyles) {
            readEditableStyles();
            continue;
        }
        if (entry->Token == GutterFontStyle) {
            readGutterFontStyle();
            continue;
        }
        AdvanceExpect(Equals, CompileMessage::EqualsExpected);

        switch (entry->Token) {
        case Name: settings.LanguageName = ReadString().substr(0, kShortTextLength); break;
        case Case: tables.CaseFlag = ReadExpression() != 0 ? 1 : 0; break;
        case Options: settings.Options = static_cast<uint32_t>(ReadExpression()); break;
        case ExampleText: settings.ExampleText = ReadString(); break;
        case WordWrapColumn: settings.WrapAtColumn = ReadExpression(); break;
        case Gutter: settings.Gutter = ReadExpression(); break;
        case Anchor:
            tables.AnchorStates = readStatesOrState(TStateSet());
            if (tables.AnchorStates.IsEmpty())
                tables.AnchorStates.Include(0);
            break;
        case IndentStep: {
            int32_t step = ReadExpression();
            CheckRange(step, 0, 20);
            settings.IndentStep = step;
            break;
        }
        case WrapOverride: settings.WrapOverride = ReadString().substr(0, kShortTextLength); break;
        case StartState: tables.StartStates = readStatesOrState(TStateSet{0}); break;
        case SelTextColor: readColour(settings.UseDefaultColors[udcSelTextColor], settings.SelTextColor); break;
        case SelTextBack: readColour(settings.UseDefaultColors[udcSelTextBack], settings.SelTextBack); break;
        case RightMargin: settings.RightMargin = ReadExpression(); break;
        case FontName: settings.FontName = ReadString(); break;
        case FontSize: settings.FontSize = ReadExpression(); break;
        case FontCharset: settings.Charset = ReadByteValue(); break;
        case TabColumns: {
            // The stops are read from the text as written: a tab list has no use for escapes.
            CheckToken(String, CompileMessage::StringExpected);
            const std::array<int32_t, TSM_Settings::kTabStopCount> stops = ParseTabColumns(FLexer.StringText());
            for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
                settings.SetTabColumn(i, stops[static_cast<size_t>(i)]);
            AdvanceToken();
            break;
        }
        case TabDefault: settings.TabDefault = ReadExpression(); break;
        case ContextStates: readContextStates(); break;
        case BoundStates: tables.BoundStates = readStatesOrState(TStateSet()); break;
        case GutterColor: readColour(settings.UseDefaultColors[udcGutter], settings.GutterColor); break;
        case MarginColor: readColour(settings.UseDefaultColors[udcMargin], settings.MarginColor); break;
        case MarginWidth: settings.Margin = ReadExpression(); break;
        case GutterFontName: settings.GutterFont().SetName(ReadString()); break;
        case GutterFontSize: settings.GutterFont().SetSize(ReadExpression()); break;
        case GutterFontColor: settings.GutterFont().SetColor(ReadExpression()); break;
        default: break;
        }
    }
}

TStateSet TScriptCompilation::readStatesOrState(TStateSet single)
{
    if (FToken == LeftBracket)
        return ReadStateSet();
    single.Include(ReadByteValue());
    return single;
}

void TScriptCompilation::readEditableStyles()
{
    TSM_Settings& settings = Settings();
    // Records 1..25; a second entry goes on after the styles of the first.
    int record = 1;
    while (record <= TSM_Settings::kEditableStyleCount && !settings.GetEditableStyle(record).Name.empty())
        ++record;
    AdvanceToken();
    for (;;) {
        if (record > TSM_Settings::kEditableStyleCount)
            ScriptError(CompileMessage::TooManyEditableStyles);
        ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
        CheckToken(String, CompileMessage::StringExpected);
        TSM_EditableStyle style;
        FLexer.UnescapeString(style.Name);
        style.Name.resize(std::min(style.Name.size(), TSM_Settings::kEditableNameLength));
        AdvanceExpect(Comma, CompileMessage::CommaExpected);
        int32_t index = ReadExpression();
        if (index < 0 || index > 255)
            ScriptError(CompileMessage::ValueNotByte);
        style.StyleIndex = static_cast<uint8_t>(index);
        settings.SetEditableStyle(record++, style);
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
        if (FToken != Comma)
            return;
        AdvanceToken();
    }
}

void TScriptCompilation::readContextStates()
{
    TParserTables& tables = Tables();
    for (;;) {
        ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
        TStateSet tokens;
        do {
            tokens.Include(ReadByteValue());
            SkipComma();
        } while (AtExpression());
        TStateSet states;
        if (FToken == LeftBracket)
            states = ReadStateSet();
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
        for (int token = 0; token < 256; ++token) {
            if (!tokens.Contains(static_cast<uint8_t>(token)))
                continue;
            TStateSet& context = tables.ContextStates[static_cast<size_t>(token)];
            if (!context.IsEmpty())
                throw ECodeMemo(FmtLoadStr(CompileMessage::ContextRespecified, token));
            context = states;
        }
        if (FToken != Comma)
            break;
        AdvanceToken();
    }
    // Tokens left without context states restart in the start states as they stand now; a later
    // startstate entry does not move them.
    for (TStateSet& context : tables.ContextStates)
        if (context.IsEmpty())
            context = tables.StartStates;
}

void TScriptCompilation::readGutterFontStyle()
{
    // The other entries take "=" after their keyword; here it may be written or left out.
    AdvanceToken();
    if (FToken == Equals)
        AdvanceToken();
    Settings().GutterFont().SetStyle(ReadFontStyles());
}
