// Tests of the main window's text tools on the selected lines: each tool, its menu item, and one undo per use.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "editor/CodeMemoTestSupport.h"

namespace {

const std::string kLines = "  pera \r\nAlbaricoque\r\n\tmanzana \"Roja\"  y\xF1";

void selectAll(TCodeMemo& memo) { Select(memo, -1, 0); }

} // namespace

TEST(TextTools, EachToolReplacesTheSelectedLinesAsOneUndoableInsertion)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    // With no document open the tools do nothing.
    SetText(memo, kLines);
    selectAll(memo);
    form.proHerramientasTexto(3);
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
    form.AbreArchivo("", false, ekHTML);
    ASSERT_EQ(form.DocumentCount(), 1);
    struct {
        int tag;
        bool omit;
        std::string text;
        std::string expected;
    } const cases[] = {
        {1, false, kLines, "Albaricoque\rmanzana \"Roja\"  y\xF1\rpera"},
        {2, false, kLines, "pera\rmanzana \"Roja\"  y\xF1\rAlbaricoque"},
        {3, false, kLines, "  PERA \rALBARICOQUE\r\tMANZANA \"ROJA\"  Y\xD1"},
        {3, true, kLines, "  PERA \rALBARICOQUE\r\tMANZANA \"Roja\"  Y\xD1"},
        {4, true, "UNO \"DOS\"\rTRES", "uno \"DOS\"\rtres"},
        {5, false, "ni\xF1o\r\xBFqu\xE9?\r", "ni&ntilde;o\r&iquest;qu&eacute;?\r"},
        {6, false, "ni&ntilde;o\r&iquest;qu&eacute;?", "ni\xF1o\r\xBFqu\xE9?"},
        {7, false, "a<b>c\r</b>d\rx", "ac\rd\rx"},
        {9, false, "<P>\ra < b\r</P>", "&lt;P&gt;\ra &lt; b\r&lt;/P&gt;"},
        {10, false, "hola MUNDO\radi\xF3s\rx", "Hola Mundo\rAdi\xF3s\rX"},
        {11, false, "a   b\r  c  d\re", "a b\r c d\re"},
    };
    for (const auto& c : cases) {
        SetText(memo, c.text);
        const std::string original = memo.StoredText();
        if (form.mOmite()->isChecked() != c.omit)
            form.proHerramientasTexto(8);
        selectAll(memo);
        form.proHerramientasTexto(c.tag);
        EXPECT_EQ(memo.StoredText(), c.expected) << c.tag;
        memo.Perform(EM_UNDO, 0, 0);
        EXPECT_EQ(memo.StoredText(), original) << c.tag;
    }
    // Without a selection nothing happens.
    SetText(memo, kLines);
    form.proHerramientasTexto(3);
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
}

TEST(TextTools, WholeSelectedLinesKeepTheLineAfterThemInPlace)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    form.AbreArchivo("", false, ekHTML);
    struct {
        int tag;
        std::string selected;
        std::string expected;
    } const cases[] = {
        {3, "uno\rdos\r", "UNO\rDOS\r"},
        {4, "UNO\r\r\r", "uno\r\r\r"},
        {7, "<b>a</b>\r", "a\r"},
        {11, "a  b\r", "a b\r"},
        {1, "b\ra\r", "a\rb\r"},
        {2, "a\rb\r\r", "b\ra\r\r"},
        {3, "\r", "\r"},
    };
    for (const auto& c : cases) {
        const std::string before = "<ul>\r";
        const std::string original = before + c.selected + "</ul>";
        SetText(memo, original);
        memo.SetSelStart(static_cast<int>(before.size()));
        memo.SetSelLength(static_cast<int>(c.selected.size()));
        form.proHerramientasTexto(c.tag);
        EXPECT_EQ(memo.StoredText(), before + c.expected + "</ul>") << c.tag << ' ' << c.selected;
        memo.Perform(EM_UNDO, 0, 0);
        EXPECT_EQ(memo.StoredText(), original) << c.tag;
    }
}

TEST(TextTools, MenuItemsCarryTheirTagsAndOmiteOnlyTogglesItself)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    form.AbreArchivo("", false, ekHTML);
    auto* menu = form.findChild<QMenu*>("mSeleccion");
    ASSERT_NE(menu, nullptr);
    const std::pair<const char*, int> items[] = {
        {"mOrdenaUp", 1}, {"mOrdenaDown", 2}, {"mMayusculas", 3},  {"mMinusculas", 4},
        {"mCodifica", 5}, {"mTraduce", 6},    {"mQuitaTags", 7},   {"mOmite", 8},
        {"mCodificaTag", 9}, {"mCapitaliza", 10}, {"mEspacios", 11},
    };
    for (const auto& [name, tag] : items) {
        auto* action = form.findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->data().toInt(), tag) << name;
        EXPECT_TRUE(menu->actions().contains(action)) << name;
    }
    QAction* omite = form.mOmite();
    EXPECT_EQ(omite->text(), "Omite texto tentre comillas");
    EXPECT_TRUE(omite->isCheckable());
    EXPECT_FALSE(omite->isChecked());

    SetText(memo, "uno \"dos\"");
    selectAll(memo);
    omite->trigger();
    EXPECT_TRUE(omite->isChecked());
    EXPECT_EQ(memo.StoredText(), "uno \"dos\"");
    form.findChild<QAction*>("mMayusculas")->trigger();
    EXPECT_EQ(memo.StoredText(), "UNO \"dos\"");
    form.proHerramientasTexto(8);
    EXPECT_FALSE(omite->isChecked());
}
