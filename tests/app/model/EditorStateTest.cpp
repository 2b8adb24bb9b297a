// Tests of the enabling rules over the editor's state: a table of states and what each rule answers.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/model/CommandRows.h"
#include "app/model/EditorState.h"

namespace {

struct TNamedState {
    const char* Name;
    TEditorState State;
};

TEditorState with(void (*change)(TEditorState&))
{
    TEditorState state;
    state.DocumentOpen = state.DocumentShown = true;
    change(state);
    return state;
}

} // namespace

TEST(EditorState, EachRuleAnswersForEveryStateOfTheTable)
{
    const TNamedState states[] = {
        {"no document", TEditorState{}},
        {"a document", with([](TEditorState&) {})},
        {"a selection", with([](TEditorState& s) { s.Selection = true; })},
        {"a read-only selection", with([](TEditorState& s) { s.Selection = s.ReadOnly = true; })},
        {"read-only with a paste", with([](TEditorState& s) { s.ReadOnly = s.CanPaste = true; })},
        {"a paste", with([](TEditorState& s) { s.CanPaste = true; })},
        {"a search", with([](TEditorState& s) { s.SearchText = true; })},
        {"undo and redo", with([](TEditorState& s) { s.CanUndo = s.CanRedo = true; })},
        {"the auxiliary editor", with([](TEditorState& s) { s.AuxiliaryFocused = true; s.Selection = true; })},
        {"the main editor", with([](TEditorState& s) { s.EditorFocused = true; })},
    };
    // One column per state above, in order: 1 the rule holds.
    const std::pair<TRule, std::string> table[] = {
        {TRule::None, "0000000000"},
        {TRule::Always, "1111111111"},
        {TRule::DocumentOpen, "0111111111"},
        {TRule::DocumentShown, "0111111111"},
        {TRule::EditorFocused, "0000000001"},
        {TRule::Selection, "0011000010"},
        {TRule::SelectionWritable, "0010000010"},
        {TRule::Pasteable, "0000010000"},
        {TRule::CanUndo, "0000000100"},
        {TRule::CanRedo, "0000000100"},
        {TRule::SelectionOrSearch, "0011001010"},
        {TRule::ReadOnly, "0001100000"},
    };
    for (const auto& [rule, expected] : table) {
        std::string answers;
        for (const TNamedState& s : states)
            answers += Enabled(rule, s.State) ? '1' : '0';
        EXPECT_EQ(answers, expected) << "rule " << static_cast<int>(rule);
    }
    TEditorState flags;
    flags.NamedDocument = flags.ProjectOpen = flags.WordWrap = flags.ToolBarShown = flags.SidePanelShown = true;
    for (TRule rule : {TRule::NamedDocument, TRule::ProjectOpen, TRule::WordWrap, TRule::ToolBarShown, TRule::SidePanelShown}) {
        EXPECT_TRUE(Enabled(rule, flags));
        EXPECT_FALSE(Enabled(rule, TEditorState{}));
    }
}

TEST(EditorState, TheRowsKeepTheChangeAndTheMenuRulesApart)
{
    std::set<std::string> names;
    for (const TCommandRow& row : CommandRows()) {
        EXPECT_TRUE(names.insert(row.Name).second) << "twice: " << row.Name;
        // A menu rule names the menu that applies it, and a menu names a rule.
        EXPECT_EQ(row.Menu != nullptr, row.MenuEnable != TRule::None || row.MenuCheck != TRule::None) << row.Name;
        if (row.Check != TRule::None || row.MenuCheck != TRule::None) {
            EXPECT_TRUE(row.Checkable) << row.Name;
        }
    }
    EXPECT_EQ(FindCommandRow("mCortar")->Enable, TRule::Selection);
    EXPECT_EQ(FindCommandRow("mCortar")->MenuEnable, TRule::SelectionWritable);
    EXPECT_EQ(FindCommandRow("mCortar")->MenuWhen, TRule::EditorFocused);
    EXPECT_EQ(FindCommandRow("sbCortar")->Enable, TRule::SelectionWritable);
    EXPECT_EQ(FindCommandRow("mPegar")->Enable, TRule::Always);
    EXPECT_EQ(FindCommandRow("mPegar")->MenuEnable, TRule::Pasteable);
    EXPECT_EQ(FindCommandRow("sbDeshacer")->Enable, TRule::CanUndo);
    EXPECT_EQ(FindCommandRow("mDeshacer")->Enable, TRule::Always);
    EXPECT_EQ(FindCommandRow("mActualizar")->MenuWhen, TRule::DocumentShown);
    EXPECT_EQ(FindCommandRow("mNuevo")->Open, TOpenRule::AlwaysEnabled);
    EXPECT_EQ(FindCommandRow("mGuardar")->Open, TOpenRule::Enable);
    EXPECT_EQ(FindCommandRow("mVer")->Open, TOpenRule::Show);
    EXPECT_EQ(FindCommandRow("mOpciones")->Open, TOpenRule::AlwaysShown);
    EXPECT_EQ(FindCommandRow("nada"), nullptr);
}
