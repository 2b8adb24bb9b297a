// The editor control's settings: parser slots and their lifetime, properties, tab stops and fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "CodeMemoTestSupport.h"
#include "editor/model/KeyBindings.h"
#include "platform/core/SysUtils.h"

namespace {

bool listsEditor(const std::vector<TSettingsClient*>& list, TCustomCodeMemo* editor)
{
    return std::find(list.begin(), list.end(), static_cast<TSettingsClient*>(editor)) != list.end();
}

template <typename F>
std::string errorText(F&& f)
{
    try {
        f();
    } catch (const ECodeMemo& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST(CodeMemoParsers, ALanguageReadOnFirstUseIsReadWhenItBecomesActive)
{
    TTestParser html;
    TTestParser text;
    int loads = 0;
    const TColor loadedColor = 0x0000FF;
    text.LoadOnFirstUse([&] {
        ++loads;
        text.Settings().GutterColor = loadedColor;
        text.RefreshEditors();
    });
    TCodeMemo memo;
    memo.SetParser1(&html);
    memo.SetParser2(&text);
    // Held in a slot that is not the active one: not read.
    EXPECT_EQ(loads, 0);
    memo.SetActiveParser(1);
    EXPECT_EQ(loads, 0);
    memo.SetActiveParser(2);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(&memo.ActiveSettings(), &text.Settings());
    EXPECT_EQ(memo.ActiveSettings().GutterColor, loadedColor);
    EXPECT_TRUE(text.IsAttached(&memo));
    // Read once: later switches and an explicit request find it read.
    memo.SetActiveParser(1);
    memo.SetActiveParser(2);
    text.EnsureLoaded();
    EXPECT_EQ(loads, 1);

    // A load that raises is not tried again.
    TTestParser broken;
    int tries = 0;
    broken.LoadOnFirstUse([&] {
        ++tries;
        throw std::runtime_error("no tables");
    });
    EXPECT_THROW(broken.EnsureLoaded(), std::runtime_error);
    broken.EnsureLoaded();
    EXPECT_EQ(tries, 1);
}

TEST(CodeMemoParsers, ActiveSlotDecidesTheSettings)
{
    TTestParser html;
    TTestParser text;
    TCodeMemo memo;
    EXPECT_EQ(&memo.ActiveSettings(), &memo.OwnSettings());

    memo.SetParser2(&text);
    EXPECT_EQ(&memo.ActiveSettings(), &memo.OwnSettings()); // slot 2 is not active
    EXPECT_TRUE(text.IsAttached(&memo));
    memo.SetParser1(&html);
    EXPECT_EQ(&memo.ActiveSettings(), &html.Settings());
    EXPECT_EQ(memo.ActiveParserObject(), &html);
    EXPECT_TRUE(listsEditor(html.Settings().Clients(), &memo));

    memo.SetActiveParser(2);
    EXPECT_EQ(&memo.ActiveSettings(), &text.Settings());
    EXPECT_EQ(memo.ActiveParser(), 2);

    EXPECT_EQ(errorText([&] { memo.SetActiveParser(7); }), "Parser index out of range");
    EXPECT_EQ(errorText([&] { memo.SetActiveParser(0); }), "Parser index out of range");
    EXPECT_EQ(memo.ActiveParser(), 2);
    EXPECT_EQ(&memo.ActiveSettings(), &text.Settings());

    // A parser replaced in its slot lets the editor go.
    TTestParser other;
    memo.SetParser1(&other);
    EXPECT_FALSE(html.IsAttached(&memo));
    EXPECT_TRUE(other.IsAttached(&memo));
    memo.SetParser1(nullptr);
    memo.SetParser2(nullptr);
    EXPECT_EQ(&memo.ActiveSettings(), &memo.OwnSettings());
}

TEST(CodeMemoParsers, FreeingTheActiveParserFallsBackToOwnSettings)
{
    TCodeMemo memo;
    memo.OwnSettings().TabDefault = 7;
    auto parser = std::make_unique<TTestParser>();
    parser->Settings().TabDefault = 3;
    memo.SetParser1(parser.get());
    memo.SetParser4(parser.get());
    EXPECT_EQ(memo.TabDefault(), 3);
    parser.reset();
    EXPECT_EQ(memo.Parser1(), nullptr);
    EXPECT_EQ(memo.Parser4(), nullptr);
    EXPECT_EQ(&memo.ActiveSettings(), &memo.OwnSettings());
    EXPECT_EQ(memo.TabDefault(), 7);
    EXPECT_TRUE(listsEditor(memo.OwnSettings().Clients(), &memo));
    // The control still works on its own settings.
    SetText(memo, "still here");
    EXPECT_EQ(memo.GetTextStr(), "still here");
}

TEST(CodeMemoParsers, FreeingAnEditorLeavesNothingBehind)
{
    TTestParser parser;
    auto first = std::make_unique<TCodeMemo>();
    auto second = std::make_unique<TCodeMemo>();
    first->SetParser1(&parser);
    second->SetParser1(&parser);
    second->SetParser3(&parser);
    ASSERT_EQ(parser.Editors().size(), 2u);
    // Focus makes the control the one the parser's key controller reports to.
    second->Perform(WM_SETFOCUS, 0, 0);
    TKeyboardActionContoller& keys = parser.Settings().KeyController();
    ASSERT_TRUE(keys.OnActionRecognised);
    int recognised = -1;
    second->OnCommandRecognised = [&](TCustomCodeMemo*, int& code) { recognised = code; };
    int32_t code = ecCopy;
    keys.OnActionRecognised(&keys, code);
    EXPECT_EQ(recognised, ecCopy);

    second.reset();
    EXPECT_FALSE(keys.OnActionRecognised);
    EXPECT_EQ(parser.Editors().size(), 1u);
    EXPECT_TRUE(parser.IsAttached(first.get()));
    EXPECT_EQ(parser.Settings().Clients(), std::vector<TSettingsClient*>{first.get()});

    // The parser's refresh reaches only the editor that is left.
    parser.Settings().TabDefault = 5;
    parser.RefreshEditors();
    EXPECT_EQ(parser.SettingsApplied, 1);
    EXPECT_EQ(first->TabDefault(), 5);

    first.reset();
    EXPECT_TRUE(parser.Editors().empty());
    EXPECT_TRUE(parser.Settings().Clients().empty());
    EXPECT_EQ(parser.Settings().ClientCount(), 0);
    // The parser goes last: were an editor still listed, its notice would reach freed memory.
}

TEST(CodeMemoParsers, AnEditorListedOutsideItsSlotsIsForgottenWhenItGoes)
{
    // A scan with a parser the editor holds in no slot lists the editor with the parser too.
    auto parser = std::make_unique<TTestParser>();
    auto held = std::make_unique<TTestParser>();
    {
        TCodeMemo memo;
        memo.SetParser2(held.get());
        parser->AttachEditor(&memo);
        parser->FreeNotification(&memo);
        ASSERT_TRUE(parser->IsAttached(&memo));
    }
    EXPECT_TRUE(parser->Editors().empty());
    EXPECT_TRUE(parser->Settings().Clients().empty());
    EXPECT_TRUE(held->Editors().empty());
    parser->RefreshEditors(); // would reach freed memory if the editor were still listed

    // A parser that goes first leaves the editor nothing to forget.
    auto memo = std::make_unique<TCodeMemo>();
    parser->AttachEditor(memo.get());
    held->AttachEditor(memo.get());
    parser.reset();
    memo.reset();
    EXPECT_TRUE(held->Editors().empty());
}

TEST(CodeMemoParsers, UpdateFromParserRunsItsSettingsEditor)
{
    TTestParser parser;
    TCodeMemo memo;
    memo.SetParser1(&parser);
    parser.EditResult = true;
    memo.UpdateFromParser();
    EXPECT_EQ(parser.Edits, 1);
    EXPECT_TRUE(parser.IsAttached(&memo));
    EXPECT_TRUE(listsEditor(parser.Settings().Clients(), &memo));
}

TEST(CodeMemoProperties, TabColumnsRoundTripAndErrors)
{
    TCodeMemo memo;
    memo.SetTabColumns("9 17 25");
    EXPECT_EQ(memo.TabColumns(), "9 17 25");
    EXPECT_EQ(memo.ActiveSettings().GetTabColumn(0), 8);
    EXPECT_EQ(memo.ActiveSettings().GetTabColumn(3), -1);
    memo.SetTabColumns("  9;17 ;; ");
    EXPECT_EQ(memo.TabColumns(), "9 17");

    auto unchanged = [&] { return memo.TabColumns() == "9 17"; };
    EXPECT_EQ(errorText([&] { memo.SetTabColumns("17 9"); }), "Tab columns must be in order and unique");
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(errorText([&] { memo.SetTabColumns("5 5"); }), "Tab columns must be in order and unique");
    EXPECT_EQ(errorText([&] { memo.SetTabColumns("1"); }), "Tab column must be > 1");
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(errorText([&] { memo.SetTabColumns("4 x"); }), "Tab stop column value expected");
    EXPECT_TRUE(unchanged());
    std::string many;
    for (int i = 2; i <= 34; ++i)
        many += IntToStr(i) + " ";
    EXPECT_EQ(errorText([&] { memo.SetTabColumns(many); }), "Too many tab stops - maximum of 32");
    EXPECT_TRUE(unchanged());

    memo.SetTabColumns("");
    EXPECT_EQ(memo.TabColumns(), "");

    EXPECT_EQ(errorText([&] { memo.SetTabDefault(0); }), "=Illegal default tab stop value, must be > 0");
    EXPECT_EQ(memo.TabDefault(), 4);
}

TEST(CodeMemoProperties, TabRuleUsesStopsThenTheDefault)
{
    TCodeMemo memo;
    EXPECT_EQ(memo.NextTabColumn(0), 4);
    EXPECT_EQ(memo.NextTabColumn(3), 4);
    EXPECT_EQ(memo.NextTabColumn(4), 8);
    memo.SetTabColumns("11 21");
    EXPECT_EQ(memo.NextTabColumn(12), 20);
    EXPECT_EQ(memo.NextTabColumn(25), 28);
    // TABs in the text follow the rule.
    SetText(memo, "a\tb");
    Select(memo, 2, 2);
    EXPECT_EQ(memo.CaretPos().X, 11);
}

TEST(CodeMemoProperties, OutOfRangeValuesAreIgnored)
{
    TCodeMemo memo;
    memo.Perform(WM_SIZE, 0, MakeLong(400, 300));
    memo.SetGutter(20);
    EXPECT_EQ(memo.Gutter(), 34);
    memo.SetGutter(84); // more than a fifth of 400 pixels
    EXPECT_EQ(memo.Gutter(), 34);
    memo.SetGutter(80);
    EXPECT_EQ(memo.Gutter(), 80);
    memo.SetGutter(0);
    EXPECT_EQ(memo.Gutter(), 0);
    memo.SetIndentStep(0);
    memo.SetIndentStep(20);
    EXPECT_EQ(memo.IndentStep(), 1);
    memo.SetIndentStep(19);
    EXPECT_EQ(memo.IndentStep(), 19);
    memo.SetMargin(memo.CharWidth() + 1);
    EXPECT_EQ(memo.Margin(), 2);
    memo.SetMargin(0);
    EXPECT_EQ(memo.Margin(), 0);
}

TEST(CodeMemoProperties, DefaultStyleColoursLiveInTheSettings)
{
    TCodeMemo memo;
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    memo.Setdef_TextColor(clNavy);
    EXPECT_EQ(memo.ActiveSettings().GetStyle(0).Foreground, clNavy);
    EXPECT_EQ(changes, 1); // the settings were applied and announced
    memo.Setdef_BackColor(clYellow);
    EXPECT_EQ(memo.def_BackColor(), clYellow);
    memo.Setdef_FontStyle(fsBold);
    EXPECT_EQ(memo.def_FontStyle(), fsBold);
}

TEST(CodeMemoProperties, FontsFlowBetweenControlAndSettingsWithoutLooping)
{
    TCodeMemo memo;
    EXPECT_EQ(memo.FontName(), "Courier New");
    EXPECT_EQ(memo.FontSize(), 10);

    // The control's font reaches the active settings and is measured again.
    memo.SetControlFont("Courier New", 20);
    EXPECT_EQ(memo.ActiveSettings().FontSize, 20);
    int tall = memo.LineHeight();
    memo.SetControlFont("Courier New", 8);
    EXPECT_LT(memo.LineHeight(), tall);

    // The settings' font reaches the control and is not copied back over the settings.
    memo.ActiveSettings().FontName = "Lucida Console";
    memo.ActiveSettings().FontSize = 14;
    memo.Perform(SMM_SETTINGSCHANGED, 0, 0);
    EXPECT_EQ(memo.FontName(), "Lucida Console");
    EXPECT_EQ(memo.FontSize(), 14);
    EXPECT_EQ(memo.ActiveSettings().FontName, "Lucida Console");
    EXPECT_EQ(memo.ActiveSettings().FontSize, 14);
}

TEST(CodeMemoProperties, AControlFontStaysTheControlsWithWriteBackOff)
{
    TCodeMemo memo;
    EXPECT_TRUE(memo.FontWriteBack());
    memo.SetFontWriteBack(false);
    memo.SetControlFont("Courier New", 20);
    EXPECT_EQ(memo.FontSize(), 20);
    EXPECT_EQ(memo.ActiveSettings().FontSize, 10);
    // The settings still reach the control.
    memo.ActiveSettings().FontSize = 12;
    memo.Perform(SMM_SETTINGSCHANGED, 0, 0);
    EXPECT_EQ(memo.FontSize(), 12);
    memo.SetFontWriteBack(true);
    memo.SetControlFont("Courier New", 16);
    EXPECT_EQ(memo.ActiveSettings().FontSize, 16);
}
