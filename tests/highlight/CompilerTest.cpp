// Tests of the script compiler: the driver, the shared parsing helpers and the %%language section.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "highlight/SynParseCompile.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"

namespace {

using ::testing::HasSubstr;

// Compiles `script` into `language`; errors reach the caller.
void run(TCompiledLanguage& language, const std::string& script)
{
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    TSYM_Compiler lexer(source, "");
    TScriptCompilation(lexer, language).Run();
}

// The message of the error that stopped the compilation, or "".
std::string compileInto(TCompiledLanguage& language, const std::string& script)
{
    try {
        run(language, script);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

std::string errorOf(const std::string& script)
{
    TCompiledLanguage language;
    return compileInto(language, script);
}

// The value of the expression that makes up `text`, and the token that follows it.
struct Evaluated {
    int32_t value = 0;
    int32_t next = 0;
    std::string error;
};

Evaluated evaluate(const std::string& text)
{
    Evaluated result;
    TCompiledLanguage language;
    TCustomMemoryStream source(text.data(), static_cast<int64_t>(text.size()));
    TSYM_Compiler lexer(source, "");
    TScriptCompilation compilation(lexer, language);
    try {
        compilation.AdvanceToken();
        result.value = compilation.ReadExpression();
        result.next = compilation.Token();
    } catch (const Exception& e) {
        result.error = e.Message();
    }
    return result;
}

std::string nearError(int line, int column, const std::string& text)
{
    return "** ERROR near line " + std::to_string(line) + ", Column " + std::to_string(column) + ": " + text;
}

void compileParser(TCodeMemoParser& parser, const std::string& script)
{
    TCustomMemoryStream source(script.data(), static_cast<int64_t>(script.size()));
    parser.CompileScript(source);
}

// ---------------------------------------------------------------- driver

TEST(ScriptCompiler, ScriptWithoutSectionIsASyntaxError)
{
    EXPECT_EQ(errorOf(""), nearError(1, 1, "Script syntax error"));
    EXPECT_THAT(errorOf("// nothing but a comment\r\n/* and another */"), HasSubstr(": Script syntax error"));
    // A token at section level that opens no section.
    EXPECT_EQ(errorOf("%%language\r\nname = 'x'\r\n)"), nearError(3, 2, "Script syntax error"));
    EXPECT_EQ(errorOf("42"), nearError(1, 3, "Script syntax error"));
}

TEST(ScriptCompiler, TokensWithoutContextStatesRestartInTheStartStates)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language startstate = [2]"), "");
    EXPECT_EQ(language.Tables.ContextStates[0], (TStateSet{2}));
    EXPECT_EQ(language.Tables.ContextStates[255], (TStateSet{2}));
    EXPECT_EQ(language.Tables.NoInState, 1);
}

// ---------------------------------------------------------------- helpers

TEST(ScriptCompiler, ExpressionsRunLeftToRightWithoutPrecedence)
{
    EXPECT_EQ(evaluate("1 + 2 or 4").value, 7);
    EXPECT_EQ(evaluate("8 - 2 - 1").value, 5);
    EXPECT_EQ(evaluate("8 - (2 - 1) or clBlue").value, 0xFF0007);
    // Overflow wraps.
    EXPECT_EQ(evaluate("2147483647 + 1").value, INT32_MIN);
    // The token after the expression stays current.
    Evaluated e = evaluate("3 + 4 ]");
    EXPECT_EQ(e.value, 7);
    EXPECT_EQ(e.next, ScriptToken::RightBracket);

    // Every failure inside an expression is the same message, where it was noticed.
    EXPECT_EQ(evaluate("-1").error, nearError(1, 2, "Expression expected"));
    EXPECT_EQ(evaluate("(1 + 2").error, nearError(1, 7, "Expression expected"));
    EXPECT_EQ(evaluate("1 +").error, nearError(1, 4, "Expression expected"));
    EXPECT_EQ(evaluate("1 + nope").error, nearError(1, 9, "Expression expected"));

    // Nesting is bounded: 256 levels read, one more is an error where it opens, however deep the
    // script goes (a million would otherwise exhaust the stack).
    EXPECT_EQ(evaluate(std::string(256, '(') + "5" + std::string(256, ')')).value, 5);
    EXPECT_EQ(evaluate(std::string(257, '(') + "5" + std::string(257, ')')).error,
              nearError(1, 258, "Expression nested too deeply"));
    EXPECT_EQ(evaluate(std::string(1000000, '(')).error, nearError(1, 258, "Expression nested too deeply"));
}

TEST(ScriptCompiler, RangeChecksRaiseTheBareMessage)
{
    EXPECT_EQ(errorOf("%%language indentstep = 21"), "Range error, value outwith 0 .. 20");
    TCompiledLanguage language;
    EXPECT_THROW(run(language, "%%language indentstep = 21"), ECodeMemo);
    EXPECT_NO_THROW(run(language, "%%language indentstep = 20"));
    for (const char* entry : {"startstate", "anchor", "boundstates"}) {
        EXPECT_EQ(errorOf(std::string("%%language ") + entry + " = 256"), "Range error, value outwith 0 .. 255");
        EXPECT_EQ(errorOf(std::string("%%language ") + entry + " = [1 256]"), "Range error, value outwith 0 .. 255");
    }
    EXPECT_EQ(errorOf("%%language fontcharset = 256"), "Range error, value outwith 0 .. 255");
}

TEST(ScriptCompiler, StateSetsAndSingleStates)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language startstate = 3 boundstates = 3 anchor = []"), "");
    EXPECT_EQ(language.Tables.StartStates, (TStateSet{0, 3}));
    EXPECT_EQ(language.Tables.BoundStates, (TStateSet{3}));
    EXPECT_EQ(language.Tables.AnchorStates, (TStateSet{0}));

    TCompiledLanguage other;
    // Commas are optional, elements are whole expressions.
    ASSERT_EQ(compileInto(other, "%%language startstate = [3] anchor = [1 2, (3 + 1)] boundstates = []"), "");
    EXPECT_EQ(other.Tables.StartStates, (TStateSet{3}));
    EXPECT_EQ(other.Tables.AnchorStates, (TStateSet{1, 2, 4}));
    EXPECT_TRUE(other.Tables.BoundStates.IsEmpty());

    TCompiledLanguage single;
    ASSERT_EQ(compileInto(single, "%%language anchor = 7"), "");
    EXPECT_EQ(single.Tables.AnchorStates, (TStateSet{7}));

    EXPECT_EQ(errorOf("%%language startstate = [1 2"), nearError(1, 29, "']' expected"));
}

TEST(ScriptCompiler, DefaultColourFlags)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language seltextcolor = [*] clRed seltextback = [] 7\r\n"
                                    "guttercolor = [*] clGreen margincolor = clBlue"),
              "");
    const TSM_Settings& s = language.Settings;
    // Margin, selected text, selected background, gutter.
    EXPECT_EQ(s.UseDefaultColors, (std::array<uint8_t, 4>{0, 1, 0, 1}));
    EXPECT_EQ((std::array<TColor, 4>{s.MarginColor, s.SelTextColor, s.SelTextBack, s.GutterColor}),
              (std::array<TColor, 4>{16711680, 255, 7, 32768}));

    // Without the brackets the flag is cleared again.
    ASSERT_EQ(compileInto(language, "%%language seltextcolor = clRed"), "");
    EXPECT_EQ(language.Settings.UseDefaultColors[udcSelTextColor], 0);
    EXPECT_EQ(errorOf("%%language seltextcolor = [* 5"), nearError(1, 31, "']' expected"));
}

// ---------------------------------------------------------------- %%language entries

TEST(ScriptCompiler, LanguageValues)
{
    TCompiledLanguage language;
    std::string longName(40, 'n');
    // The section may be opened again.
    ASSERT_EQ(compileInto(language, "%%language %%language\r\n"
                                    "name = '" + longName + "' %%language\r\n"
                                    "exampletext = 'uno\\ndos " + longName + "'\r\n"
                                    "options = __OPT_WORDWRAP or __OPT_SHOW_GUTTER\r\n"
                                    "wordwrapcolumn = 72 gutter = 40 rightmargin = 100\r\n"
                                    "wrapoverride = '> " + longName + "'\r\n"
                                    "fontname = 'Fira Mono " + longName + "' fontsize = 13\r\n"
                                    "fontcharset = GREEK_CHARSET tabdefault = 3 marginwidth = 5\r\n"
                                    "tabcolumns = '9 17;25' indentstep = 0 case = 7\r\n"
                                    "GutterFontName = 'Arial' GutterFontSize = 7 GutterFontColor = clMaroon"),
              "");
    const TSM_Settings& s = language.Settings;
    EXPECT_EQ(s.LanguageName, std::string(35, 'n'));
    EXPECT_EQ(s.ExampleText, "uno\rdos " + longName);
    EXPECT_EQ(s.Options, 1024u | 65536u);
    EXPECT_EQ(s.WrapAtColumn, 72);
    EXPECT_EQ(s.Gutter, 40);
    EXPECT_EQ(s.RightMargin, 100);
    EXPECT_EQ(s.WrapOverride, ("> " + longName).substr(0, 35));
    EXPECT_EQ(s.FontName, "Fira Mono " + longName);
    EXPECT_EQ(s.FontSize, 13);
    EXPECT_EQ(s.Charset, 161);
    EXPECT_EQ(s.TabDefault, 3);
    EXPECT_EQ(s.Margin, 5);
    EXPECT_EQ((std::array<int32_t, 4>{s.GetTabColumn(0), s.GetTabColumn(1), s.GetTabColumn(2), s.GetTabColumn(3)}),
              (std::array<int32_t, 4>{8, 16, 24, -1}));
    EXPECT_EQ(s.IndentStep, 0);
    EXPECT_EQ(language.Tables.CaseFlag, 1);
    EXPECT_EQ(s.GutterFont().Name(), "Arial");
    EXPECT_EQ(s.GutterFont().Size(), 7);
    EXPECT_EQ(s.GutterFont().Color(), 128);
}

TEST(ScriptCompiler, LanguageEntrySyntaxErrors)
{
    EXPECT_EQ(errorOf("%%language name 'x'"), nearError(1, 20, "'=' expected"));
    EXPECT_EQ(errorOf("%%language fontname = 12"), nearError(1, 25, "String value expected"));
    EXPECT_EQ(errorOf("%%language tabcolumns = '9 5'"), "Tab columns must be in order and unique");
    EXPECT_EQ(errorOf("%%language tabcolumns = '1'"), "Tab column must be > 1");
    EXPECT_EQ(errorOf("%%language fontsize = 'big'"), nearError(1, 28, "Expression expected"));
}

TEST(ScriptCompiler, GutterFontStyleTakesAnOptionalEquals)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language GutterFontStyle = [fsBold, fsUnderline, 9]"), "");
    EXPECT_EQ(language.Settings.GutterFont().Style(), fsBold | fsUnderline);
    ASSERT_EQ(compileInto(language, "%%language GutterFontStyle [fsItalic] name = 'after'"), "");
    EXPECT_EQ(language.Settings.GutterFont().Style(), fsItalic);
    EXPECT_EQ(language.Settings.LanguageName, "after");
    ASSERT_EQ(compileInto(language, "%%language GutterFontStyle = []"), "");
    EXPECT_EQ(language.Settings.GutterFont().Style(), 0);

    EXPECT_EQ(errorOf("%%language GutterFontStyle fsBold"), nearError(1, 35, "'[' expected"));
    EXPECT_EQ(errorOf("%%language GutterFontStyle = [fsBold, ]"), nearError(1, 41, "Bad font style specifier"));
    EXPECT_EQ(errorOf("%%language GutterFontStyle = [fsBold fsItalic]"), nearError(1, 48, "']' expected"));
}

TEST(ScriptCompiler, EditableStyles)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language editablestyles ('Comentario', 3), ('Una etiqueta muy, muy larga', 255)\r\n"
                                    "editablestyles ('Texto\\tplano', 0)"),
              "");
    const TSM_Settings& s = language.Settings;
    EXPECT_EQ(s.GetEditableStyle(1).Name, "Comentario");
    EXPECT_EQ(s.GetEditableStyle(1).StyleIndex, 3);
    EXPECT_EQ(s.GetEditableStyle(2).Name, "Una etiqueta muy, muy lar");
    EXPECT_EQ(s.GetEditableStyle(2).StyleIndex, 255);
    // A second entry goes on after the first.
    EXPECT_EQ(s.GetEditableStyle(3).Name, "Texto\tplano");
    EXPECT_EQ(s.GetEditableStyle(4).Name, "");

    std::string full = "%%language editablestyles ";
    for (int i = 1; i <= 25; ++i)
        full += (i > 1 ? ", ('s" : "('s") + std::to_string(i) + "', " + std::to_string(i) + ")";
    EXPECT_EQ(errorOf(full), "");
    EXPECT_THAT(errorOf(full + ", ('s26', 26)"), HasSubstr(": Too many editable styles"));
    EXPECT_THAT(errorOf(full + " editablestyles ('s26', 26)"), HasSubstr(": Too many editable styles"));

    EXPECT_THAT(errorOf("%%language editablestyles ('a', 256)"), HasSubstr(": Value must be 0..255"));
    EXPECT_THAT(errorOf("%%language editablestyles ('a', 0 - 1)"), HasSubstr(": Value must be 0..255"));
    EXPECT_EQ(errorOf("%%language editablestyles ('a' 1)"), nearError(1, 33, "',' expected"));
}

TEST(ScriptCompiler, ContextStates)
{
    TCompiledLanguage language;
    ASSERT_EQ(compileInto(language, "%%language startstate = [1]\r\n"
                                    "contextstates = (5 6), (7, 8 [2 3]), (9 [])\r\n"
                                    "startstate = [4]"),
              "");
    const TParserTables& t = language.Tables;
    EXPECT_EQ(t.ContextStates[5], (TStateSet{1}));
    EXPECT_EQ(t.ContextStates[6], (TStateSet{1}));
    EXPECT_EQ(t.ContextStates[7], (TStateSet{2, 3}));
    EXPECT_EQ(t.ContextStates[8], (TStateSet{2, 3}));
    EXPECT_EQ(t.ContextStates[9], (TStateSet{1}));
    // Filled when the entry ended: the later start states do not reach them.
    EXPECT_EQ(t.ContextStates[0], (TStateSet{1}));
    EXPECT_EQ(t.StartStates, (TStateSet{4}));

    EXPECT_EQ(errorOf("%%language contextstates = (5 [1]) contextstates = (6 [2])"),
              "Token value 6 re-specified in ContextState");
    EXPECT_EQ(errorOf("%%language contextstates = (5 [1]), (4 5 [2])"), "Token value 5 re-specified in ContextState");
    EXPECT_EQ(errorOf("%%language contextstates = (256)"), "Range error, value outwith 0 .. 255");
    EXPECT_EQ(errorOf("%%language contextstates = (5 [1]"), nearError(1, 34, "')' expected"));
}

// ---------------------------------------------------------------- the parser

TEST(CompileScript, SuccessReplacesTheLanguageAndFailureEmptiesIt)
{
    TCodeMemoParser parser;
    parser.Settings().GutterFont().SetName("Gutter Face");
    compileParser(parser, "%%language name = 'Uno' fontsize = 14 startstate = [2] anchor = [1]\r\n"
                          "contextstates = (3 [4]) tabcolumns = '5'");
    EXPECT_EQ(parser.Settings().LanguageName, "Uno");
    EXPECT_EQ(parser.Settings().FontSize, 14);
    EXPECT_EQ(parser.Settings().GetTabColumn(0), 4);
    EXPECT_EQ(parser.Tables().StartStates, (TStateSet{2}));
    EXPECT_EQ(parser.Tables().AnchorStates, (TStateSet{1}));
    EXPECT_EQ(parser.Tables().ContextStates[3], (TStateSet{4}));
    EXPECT_EQ(parser.Tables().ContextStates[0], (TStateSet{2}));
    // A script that does not name a gutter font keeps the one in use.
    EXPECT_EQ(parser.Settings().GutterFont().Name(), "Gutter Face");
    EXPECT_EQ(parser.LastCompileLine(), 1);
    EXPECT_EQ(parser.CompileErrorContext(), "%%Language - TabColumns");

    // The failing script sets values before its error; none of them stays, nor does the old language.
    const std::string failing = "%%language name = 'Dos' startstate = [5]\r\nfontsize = 20 indentstep = (";
    EXPECT_THROW(compileParser(parser, failing), ESYM_COMP_ERROR);
    EXPECT_EQ(parser.Settings().LanguageName, LoadResString(4128));
    EXPECT_EQ(parser.Settings().FontSize, 10);
    EXPECT_EQ(parser.Settings().GetTabColumn(0), -1);
    EXPECT_EQ(parser.Tables().StartStates, (TStateSet{0}));
    EXPECT_EQ(parser.Tables().AnchorStates, (TStateSet{0}));
    EXPECT_TRUE(parser.Tables().ContextStates[3].IsEmpty());
    EXPECT_EQ(parser.LastCompileLine(), 1);
    EXPECT_EQ(parser.LastCompileColumn(), 28);
    EXPECT_EQ(parser.CompileErrorContext(), "%%Language - Indent step");

    // A range error fails the same way.
    compileParser(parser, "%%language name = 'Tres'");
    EXPECT_THROW(compileParser(parser, "%%language name = 'Cuatro' indentstep = 99"), ECodeMemo);
    EXPECT_EQ(parser.Settings().LanguageName, LoadResString(4128));
}

TEST(CompileScript, LoadScriptFileUsesTheScriptFolderForIncludes)
{
    TempDir dir("kestrima-compiler");
    dir.file("common.inc", "#define BIG 30\r\n");
    std::string script = dir.file("lang.syn", "#include <common.inc>\r\n%%language fontsize = BIG");
    TCodeMemoParser parser;
    parser.Script = script;
    parser.LoadScriptFile();
    EXPECT_EQ(parser.Settings().FontSize, 30);

    // No script file: nothing happens, the language stays.
    parser.Script = (dir.path / "missing.syn").string();
    parser.LoadScriptFile();
    parser.Script.clear();
    parser.LoadScriptFile();
    EXPECT_EQ(parser.Settings().FontSize, 30);
}

TEST(CompileScript, AttachedEditorsApplyEachCompiledLanguage)
{
    TCodeMemoParser parser;
    TCodeMemo memo;
    memo.SetParser1(&parser);
    compileParser(parser, "%%language fontname = 'Lucida Console' fontsize = 14\r\n"
                          "tabcolumns = '9 17' tabdefault = 3");
    EXPECT_EQ(parser.SettingsApplied, 1);
    EXPECT_EQ(memo.FontName(), "Lucida Console");
    EXPECT_EQ(memo.FontSize(), 14);
    EXPECT_EQ(memo.TabColumns(), "9 17");
    EXPECT_EQ(memo.NextTabColumn(9), 16);
    EXPECT_EQ(memo.NextTabColumn(17), 18);
    const int lineHeight = memo.LineHeight();

    compileParser(parser, "%%language fontname = 'Lucida Console' fontsize = 24 tabcolumns = '5'");
    EXPECT_EQ(memo.FontSize(), 24);
    EXPECT_GT(memo.LineHeight(), lineHeight);
    EXPECT_EQ(memo.TabColumns(), "5");
    EXPECT_EQ(memo.NextTabColumn(5), 8);

    // A failed compile leaves the empty language, and the editor shows it.
    EXPECT_THROW(compileParser(parser, "%%language fontsize = 30 name"), ESYM_COMP_ERROR);
    EXPECT_EQ(memo.FontName(), "Courier New");
    EXPECT_EQ(memo.FontSize(), 10);
    EXPECT_EQ(memo.TabColumns(), "");
    memo.SetParser1(nullptr);
}

} // namespace
