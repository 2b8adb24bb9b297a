// The options dialog's list pages driven through the dialog: key pairs per command and their commit,
// the auto-correction list, the code templates, and the two-column drawing of the lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "editor/CodeMemoTestSupport.h"
#include "editor/dialogs/SYM_KDlg.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "platform/ClipboardFormats.h"
#include "platform/Win1252Qt.h"
#include "platform/core/KeyNames.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "support/BoxAnswers.h"
#include "support/Win1252Text.h"
#include "support/WordParser.h"

namespace {

constexpr TShortCut kCtrl = scCtrl;

std::string streamOf(const TSM_Base& object)
{
    TMemoryStream stream;
    object.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

std::string shotPath(const std::string& name)
{
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    return QDir(out ? out : QDir::tempPath()).filePath(QString::fromStdString(name)).toStdString();
}

std::vector<std::string> linesOf(const QListWidget* list)
{
    std::vector<std::string> lines;
    for (int row = 0; row < list->count(); ++row)
        lines.push_back(ToWin1252(list->item(row)->text()));
    return lines;
}

std::string captionOf(const QPushButton* button)
{
    return button->isEnabled() ? ToWin1252(button->text()) : std::string("-");
}

// The keys of every sequence bound to `action`, as "key1/key2" words.
std::vector<std::string> pairsOf(TKeyboardActionContoller& controller, int32_t action)
{
    std::vector<std::string> pairs;
    uint16_t key1 = 0, key2 = 0;
    for (bool found = controller.FindFirstKeys(action, key1, key2); found;
         found = controller.FindNextKeys(action, key1, key2))
        pairs.push_back(Format("%X/%X", key1, key2));
    return pairs;
}

class OptionsListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSM_Settings& s = parser.Settings();
        s.LanguageName = "Prueba";
        s.ExampleText = "abc 123";
        s.AutoReplace().AddReplacement("teh", "the");
        s.CodeTemplates().SetTemplate("if", "si", "if () {\r}");
    }

    // Opens the dialog on `pages`, runs `steps` inside its modal loop and cancels unless they closed it.
    bool run(TSM_PropEdPages pages, const std::function<void(TOptionsDialog&)>& steps)
    {
        TOptionsDialog dialog;
        dialog.SetParser(&parser);
        QTimer::singleShot(0, &dialog, [&] {
            steps(dialog);
            if (dialog.isVisible())
                dialog.CancelButton->click();
        });
        return dialog.Execute(pages);
    }

    static int rowOfAction(TOptionsDialog& d, int32_t action)
    {
        for (int row = 0; row < d.CommandsBox->count(); ++row)
            if (d.CommandKeys(row) && d.CommandKeys(row)->Action == action)
                return row;
        return -1;
    }

    // Presses Add and answers the key assignment wizard with one or two strokes.
    static void addPair(TOptionsDialog& d, int vk1, TShiftState shift1, int vk2 = 0, TShiftState shift2 = 0)
    {
        bool answered = false;
        // Polls until the wizard is the modal window, so that the answer never goes to the wrong one.
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* wizard = qobject_cast<TKeyAssignDialog*>(QApplication::activeModalWidget());
            if (!wizard)
                return;
            poll.stop();
            EXPECT_EQ(ToWin1252(wizard->Step1InfoLabel()->text()), LoadResString(4333));
            press(*wizard->HotKey1(), vk1, shift1);
            wizard->NextButton()->click();
            if (vk2)
                press(*wizard->HotKey2(), vk2, shift2);
            wizard->NextButton()->click();
            answered = true;
            if (wizard->isVisible())
                wizard->CancelButton()->click();
        });
        poll.start();
        d.AddButton->click();
        EXPECT_TRUE(answered);
    }

    // An editor showing the parser's settings, as the program's editors do.
    static void attach(TCodeMemo& memo, TWordParser& parser)
    {
        memo.resize(400, 200);
        memo.show();
        parser.AttachEditor(&memo);
        memo.SetParserSlot(1, &parser);
        memo.SetActiveParser(1);
    }

    TWordParser parser;
};

} // namespace

TEST(OptionsListLines, KeyPairLinesReadBack)
{
    EXPECT_EQ(TOptionsDialog::KeyPairLine(kCtrl | 'K', scShift | 'I'), "[Ctrl+K]  [Shift+I]");
    EXPECT_EQ(TOptionsDialog::KeyPairLine(kCtrl | 'Z', 0), "[Ctrl+Z]  [<ninguna>]");
    EXPECT_EQ(TOptionsDialog::KeyPairLine(0xDD, 0), "[]]  [<ninguna>]");
    // Every pair of the default bindings and a few with "]" on either side come back as they went.
    std::vector<std::pair<TShortCut, TShortCut>> pairs = {
        {0xDD, 0}, {kCtrl | 0xDD, 0xDD}, {kCtrl | 'K', 0xDD}, {0xDB, 0xDD}, {kCtrl | 'K', scShift | 'I'}};
    for (const TKeySequence& s : DefaultKeyController().KeyStore().Sequences())
        pairs.emplace_back(s.Key1, s.Key2);
    for (const auto& [key1, key2] : pairs) {
        TShortCut back1 = 1, back2 = 1;
        TOptionsDialog::ParseKeyPairLine(TOptionsDialog::KeyPairLine(key1, key2), back1, back2);
        EXPECT_EQ(back1, key1) << TOptionsDialog::KeyPairLine(key1, key2);
        EXPECT_EQ(back2, key2) << TOptionsDialog::KeyPairLine(key1, key2);
    }
    // Lines too short to hold a pair give no keys rather than reading past their end.
    for (const char* broken : {"", "[", "[Ctrl+Z", "[Ctrl+Z]", "[Ctrl+Z]  "}) {
        TShortCut key1 = 1, key2 = 1;
        TOptionsDialog::ParseKeyPairLine(broken, key1, key2);
        EXPECT_EQ(key2, 0) << broken;
    }
}

TEST_F(OptionsListsTest, CommandListsTheirPairsAndOkKeepsUnopenedOnes)
{
    const bool ok = run(1 << TOptionsDialog::kKeysPage, [&](TOptionsDialog& d) {
        ASSERT_EQ(d.CommandsBox->count(), kEditorCommandCount);
        // Sorted by name, without case.
        const std::vector<std::string> names = linesOf(d.CommandsBox);
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }));
        EXPECT_EQ(d.CommandsBox->currentRow(), 0);

        d.CommandsBox->setCurrentRow(rowOfAction(d, ecIndentBlock));
        EXPECT_EQ(linesOf(d.KeysBox), std::vector<std::string>{"[Ctrl+K]  [I]"});
        addPair(d, 'K', ssCtrl, 'B', 0);
        EXPECT_EQ(linesOf(d.KeysBox), (std::vector<std::string>{"[Ctrl+K]  [I]", "[Ctrl+K]  [B]"}));

        d.CommandsBox->setCurrentRow(rowOfAction(d, ecUndo));
        EXPECT_EQ(linesOf(d.KeysBox), std::vector<std::string>{"[Ctrl+Z]  [<ninguna>]"});
        EXPECT_TRUE(d.DeleteButton->isEnabled());
        EXPECT_TRUE(d.EditButton->isEnabled());
        d.DeleteButton->click();
        EXPECT_TRUE(d.KeysBox->count() == 0);
        EXPECT_TRUE(d.CommandKeys(d.CommandsBox->currentRow())->Changed);
        EXPECT_FALSE(d.DeleteButton->isEnabled());

        // Opening another command and coming back does not load the deleted pair again.
        d.CommandsBox->setCurrentRow(0);
        d.CommandsBox->setCurrentRow(rowOfAction(d, ecUndo));
        EXPECT_TRUE(d.KeysBox->count() == 0);

        // Leaving the key list drops pairs without a first key.
        d.CommandsBox->setCurrentRow(rowOfAction(d, ecRedo));
        TCommandKeys* redo = d.CommandKeys(d.CommandsBox->currentRow());
        redo->Pairs.push_back(TKeyPair{0, 'Q'});
        d.KeysBoxExit();
        ASSERT_EQ(redo->Pairs.size(), 1u);
        EXPECT_EQ(redo->Pairs.front().Key1, kCtrl | scShift | 'Z');
        d.OKButton->click();
    });
    EXPECT_TRUE(ok);
    TKeyboardActionContoller& keys = parser.Settings().KeyController();
    EXPECT_TRUE(pairsOf(keys, ecUndo).empty());
    EXPECT_EQ(pairsOf(keys, ecIndentBlock), (std::vector<std::string>{"404B/49", "404B/42"}));
    // Never opened: as before.
    EXPECT_EQ(pairsOf(keys, ecCopy), std::vector<std::string>{"4043/0"});
    EXPECT_EQ(pairsOf(keys, ecRedo), std::vector<std::string>{"605A/0"});
    EXPECT_EQ(keys.KeyStore().CountSequences(), DefaultKeyController().KeyStore().CountSequences());
    EXPECT_EQ(keys.GetActionName(ecUndo), DefaultKeyController().GetActionName(ecUndo));
}

TEST_F(OptionsListsTest, ConflictingPairKeepsTheDialogOpenUntilResolved)
{
    const std::string before = streamOf(parser.Settings());
    TBoxAnswers boxes;
    const bool ok = run(1 << TOptionsDialog::kKeysPage, [&](TOptionsDialog& d) {
        d.CommandsBox->setCurrentRow(rowOfAction(d, ecDocumentEnd));
        addPair(d, 'Z', ssCtrl);
        EXPECT_EQ(linesOf(d.KeysBox), (std::vector<std::string>{"[Ctrl+End]  [<ninguna>]", "[Ctrl+Z]  [<ninguna>]"}));
        d.OKButton->click();
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0], FmtLoadStr(65480, DefaultKeyController().GetActionName(ecDocumentEnd).c_str(),
                                             DefaultKeyController().GetActionName(ecUndo).c_str()));
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.KeyError());
        // Nothing reached the working copy either.
        EXPECT_EQ(pairsOf(d.WorkingSettings()->KeyController(), ecDocumentEnd), std::vector<std::string>{"4023/0"});

        d.CommandsBox->setCurrentRow(rowOfAction(d, ecUndo));
        d.DeleteButton->click();
        d.OKButton->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(streamOf(parser.Settings()), before);

    TCodeMemo memo;
    attach(memo, parser);
    SetText(memo, "abc\r\ndef");
    Select(memo, 0, 0);
    press(memo, 'Z', ssCtrl);
    // Ctrl+Z now runs "end of document": the caret stands after "abc" CR "def".
    EXPECT_EQ(Selection(memo).End, 7);
    parser.DetachEditor(&memo);
}

TEST_F(OptionsListsTest, AutoCorrectButtonsListAndCommit)
{
    const bool ok = run(1 << TOptionsDialog::kAutoCorrectPage, [&](TOptionsDialog& d) {
        EXPECT_EQ(linesOf(d.AutoReplBox), std::vector<std::string>{"teh\tthe"});
        EXPECT_EQ(d.AutoReplBox->currentRow(), -1);
        EXPECT_EQ(d.AutoReplActBox->text(), FromWin1252(TAutoReplace::kDefaultTriggerKeys));
        auto captions = [&] { return captionOf(d.AutoReplButton1) + "|" + captionOf(d.AutoReplButton2); };
        auto fill = [&](const char* item, const char* with) {
            d.ReplaceBox->setText(FromWin1252(item));
            d.WithBox->setText(FromWin1252(with));
        };
        fill("", "");
        EXPECT_EQ(captions(), "-|-");
        fill("adn", "");
        EXPECT_EQ(captions(), "A\xF1" "adir|-");
        d.AutoReplButton1->click();
        EXPECT_EQ(linesOf(d.AutoReplBox), (std::vector<std::string>{"teh\tthe", "adn\t"}));
        EXPECT_EQ(d.AutoReplBox->currentRow(), 1);
        fill("TEH", "the");
        EXPECT_EQ(captions(), "-|Borrar");
        fill("teh", "thx");
        EXPECT_EQ(captions(), "-|Reemplazar");
        fill("teh", "");
        EXPECT_EQ(captions(), "-|Reemplazar");
        EXPECT_EQ(d.AutoReplBox->currentRow(), 0);
        fill("adn", "");
        EXPECT_EQ(captions(), "-|Borrar");
        EXPECT_EQ(d.AutoReplBox->currentRow(), 1);

        // The trigger keys box outlives every rebuild of the list.
        d.AutoReplActBox->setText(QStringLiteral(";,\\s"));
        d.AutoReplActBoxExit();
        // Replacing acts on the typed item even while another line is selected.
        d.AutoReplBox->setCurrentRow(1);
        fill("teh", "thy");
        d.AutoReplButton2->click();
        EXPECT_EQ(linesOf(d.AutoReplBox), (std::vector<std::string>{"teh\tthy", "adn\t"}));
        EXPECT_EQ(d.WorkingSettings()->AutoReplace().TriggerKeys(), ";,\\s");
        std::string with;
        EXPECT_TRUE(d.WorkingSettings()->AutoReplace().Lookup("teh", with));
        EXPECT_EQ(with, "thy");
        EXPECT_TRUE(d.WorkingSettings()->AutoReplace().Lookup("adn", with));
        EXPECT_EQ(with, "");

        // Deleting the selected last line selects the new last one; the only line leaves nothing.
        d.AutoReplBox->setCurrentRow(1);
        EXPECT_EQ(captions(), "-|Borrar");
        d.AutoReplButton2->click();
        EXPECT_EQ(linesOf(d.AutoReplBox), std::vector<std::string>{"teh\tthy"});
        EXPECT_EQ(d.AutoReplBox->currentRow(), 0);
        EXPECT_EQ(d.ReplaceBox->text(), "teh");
        EXPECT_EQ(captions(), "-|Borrar");
        d.AutoReplButton2->click();
        EXPECT_TRUE(d.AutoReplBox->count() == 0);
        EXPECT_EQ(d.AutoReplBox->currentRow(), -1);
        EXPECT_TRUE(d.ReplaceBox->text().isEmpty());
        EXPECT_TRUE(d.WithBox->text().isEmpty());
        EXPECT_EQ(d.WorkingSettings()->AutoReplace().Count(), 0);
        EXPECT_EQ(d.WorkingSettings()->AutoReplace().TriggerKeys(), ";,\\s");

        fill("hte", "the");
        d.AutoReplButton1->click();
        d.OKButton->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(parser.Settings().AutoReplace().Count(), 1);

    TCodeMemo memo;
    attach(memo, parser);
    SetText(memo, "");
    for (int vk : {int{'H'}, int{'T'}, int{'E'}, int{VK_SPACE}})
        press(memo, vk);
    EXPECT_EQ(memo.GetTextStr(), "the ");
    parser.DetachEditor(&memo);
}

TEST_F(OptionsListsTest, TemplatesAddReplaceDeleteAndExpandAfterOk)
{
    parser.Settings().CodeTemplates().SetTemplate("while", "mientras", "while ()");
    parser.Settings().CodeTemplates().SetTemplate("a\xF1o", "", "A");
    const bool ok = run(1 << TOptionsDialog::kTemplatesPage, [&](TOptionsDialog& d) {
        TCodeTemplates& working = d.WorkingSettings()->CodeTemplates();
        auto captions = [&] { return captionOf(d.CodeTemplateButton1) + "|" + captionOf(d.CodeTemplateButton2); };
        auto textOf = [&](const char* name) {
            std::string text = "-";
            working.Lookup(name, text);
            return text;
        };
        EXPECT_EQ(linesOf(d.cteListBox), (std::vector<std::string>{"a\xF1o", "if\tsi", "while\tmientras"}));
        EXPECT_EQ(captions(), "-|-");

        d.NameBox->setText("fe");
        d.DescBox->setText("bucle");
        EXPECT_EQ(captions(), "A\xF1" "adir|-");
        SetText(*d.CodeMemo1, "for (;;)");
        d.CodeTemplateButton1->click();
        EXPECT_EQ(linesOf(d.cteListBox).back(), "fe\tbucle");
        EXPECT_EQ(d.cteListBox->currentRow(), 3);
        EXPECT_EQ(d.CodeMemo1->GetTextStr(), "for (;;)");
        EXPECT_EQ(captions(), "-|Borrar");
        EXPECT_EQ(textOf("fe"), "for (;;)");
        EXPECT_EQ(textOf("if"), "if () {\r}");

        // Only the text differs: replace; the same text again: delete.
        SetText(*d.CodeMemo1, "for (;;) {\r\n}");
        EXPECT_EQ(captions(), "-|Reemplazar");
        SetText(*d.CodeMemo1, "for (;;)");
        EXPECT_EQ(captions(), "-|Borrar");

        // Replacing acts on the typed name's line while another is selected, and keeps its place.
        d.NameBox->setText("While");
        EXPECT_EQ(captions(), "-|Reemplazar"); // the description differs
        d.DescBox->setText("bucle mientras");
        SetText(*d.CodeMemo1, "while (|)");
        d.CodeTemplateButton2->click();
        EXPECT_EQ(linesOf(d.cteListBox),
                  (std::vector<std::string>{"a\xF1o", "if\tsi", "While\tbucle mientras", "fe\tbucle"}));
        EXPECT_EQ(d.cteListBox->currentRow(), 2);
        EXPECT_EQ(captions(), "-|Borrar");
        EXPECT_EQ(textOf("while"), "while (|)");
        EXPECT_EQ(textOf("fe"), "for (;;)");

        // Letters other than the ASCII ones keep their case, as the template list compares names.
        d.DescBox->setText("");
        SetText(*d.CodeMemo1, "A");
        d.NameBox->setText(FromWin1252("A\xD1O"));
        EXPECT_EQ(captions(), "A\xF1" "adir|-");
        d.NameBox->setText(FromWin1252("A\xF1O"));
        EXPECT_EQ(captions(), "-|Borrar");

        // Deleting the selected line selects the one now in its place, or the new last one.
        d.cteListBox->setCurrentRow(1);
        EXPECT_EQ(d.NameBox->text(), "if");
        EXPECT_EQ(captions(), "-|Borrar");
        d.CodeTemplateButton2->click();
        EXPECT_EQ(linesOf(d.cteListBox),
                  (std::vector<std::string>{"a\xF1o", "While\tbucle mientras", "fe\tbucle"}));
        EXPECT_EQ(d.cteListBox->currentRow(), 1);
        EXPECT_EQ(d.NameBox->text(), "While");
        EXPECT_EQ(textOf("if"), "-");
        d.cteListBox->setCurrentRow(0);
        d.CodeTemplateButton2->click();
        d.cteListBox->setCurrentRow(1);
        d.CodeTemplateButton2->click();
        EXPECT_EQ(linesOf(d.cteListBox), std::vector<std::string>{"While\tbucle mientras"});
        EXPECT_EQ(d.cteListBox->currentRow(), 0);
        EXPECT_EQ(working.Count(), 1);

        d.NameBox->setText("fe");
        d.DescBox->setText("");
        SetText(*d.CodeMemo1, "for (;;)");
        d.CodeTemplateButton1->click();
        EXPECT_EQ(linesOf(d.cteListBox).back(), "fe\t");
        EXPECT_EQ(captions(), "-|Borrar");
        d.OKButton->click();
    });
    EXPECT_TRUE(ok);
    std::string text;
    EXPECT_TRUE(parser.Settings().CodeTemplates().Lookup("fe", text));
    EXPECT_EQ(text, "for (;;)");
    EXPECT_EQ(parser.Settings().CodeTemplates().Count(), 2);

    TCodeMemo memo;
    attach(memo, parser);
    SetText(memo, "if fe");
    Select(memo, 5, 5);
    press(memo, 'J', ssCtrl);
    EXPECT_EQ(memo.GetTextStr(), "if for (;;)");
    parser.DetachEditor(&memo);
}

TEST_F(OptionsListsTest, TemplateHotKeyNeedsAModifierAndCancelCommitsNothing)
{
    parser.Settings().CodeTemplates().HotKey = scCtrl | scShift | 'T';
    const std::string before = streamOf(parser.Settings());
    const bool ok = run(1 << TOptionsDialog::kTemplatesPage, [&](TOptionsDialog& d) {
        EXPECT_EQ(d.cteHotkey->HotKey(), scCtrl | scShift | 'T');
        EXPECT_EQ(ToWin1252(d.cteHotkey->text()), ShortCutToText(scCtrl | scShift | 'T'));
        // A key alone or with Shift alone would fire while typing: Alt joins it.
        press(*d.cteHotkey, 'K');
        EXPECT_EQ(d.cteHotkey->HotKey(), scAlt | 'K');
        press(*d.cteHotkey, 'K', ssShift);
        EXPECT_EQ(d.cteHotkey->HotKey(), scAlt | scShift | 'K');
        press(*d.cteHotkey, 'K', ssCtrl);
        EXPECT_EQ(d.cteHotkey->HotKey(), scCtrl | 'K');
        d.cteHotkeyExit();
        EXPECT_EQ(d.WorkingSettings()->CodeTemplates().HotKey, scCtrl | 'K');

        d.NameBox->setText("fe");
        SetText(*d.CodeMemo1, "for (;;)");
        d.CodeTemplateButton1->click();
        d.cteListBox->setCurrentRow(0);
        d.CodeTemplateButton2->click();
        EXPECT_EQ(linesOf(d.cteListBox), std::vector<std::string>{"fe\t"});
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(streamOf(parser.Settings()), before);
}

TEST_F(OptionsListsTest, HtmlIntoTheTemplateEditorKeepsTheFragment)
{
    run(1 << TOptionsDialog::kTemplatesPage, [&](TOptionsDialog& d) {
        TSourceTypes types = stHTML | stCFText | stNoFilter;
        d.CodeMemo1->OnDataDrop(d.CodeMemo1, types);
        EXPECT_EQ(types, stHTML | stCFText | stFragment);
        types = stFiles | stNoFilter;
        d.CodeMemo1->OnDataDrop(d.CodeMemo1, types);
        EXPECT_EQ(types, stFiles | stProcessFiles);

        auto* data = new QMimeData;
        SetFormatData(*data, HtmlClipboardFormat(),
                      "Version:0.9\r\n<html><body><!--StartFragment--><b>x</b><!--EndFragment--></body></html>");
        QApplication::clipboard()->setMimeData(data);
        SetText(*d.CodeMemo1, "");
        d.CodeMemo1->Perform(WM_PASTE, 0, 0);
        EXPECT_EQ(d.CodeMemo1->GetTextStr(), "<b>x</b>");
        QApplication::clipboard()->clear();
    });
}

TEST_F(OptionsListsTest, TwoColumnListsAreDrawnWithSilverRules)
{
    parser.Settings().AutoReplace().AddReplacement("adn", "and");
    run(kAllPropEdPages, [&](TOptionsDialog& d) {
        const char* names[] = {"keys", "autocorrect", "templates"};
        int page = TOptionsDialog::kKeysPage;
        for (const char* name : names) {
            d.PageControl->setCurrentIndex(page++);
            QApplication::processEvents();
            const QImage shot = d.grab().toImage();
            ASSERT_FALSE(shot.isNull());
            EXPECT_TRUE(shot.save(QString::fromStdString(shotPath(std::string("optionslists-") + name + ".png")), "PNG"));
        }
        d.PageControl->setCurrentIndex(TOptionsDialog::kAutoCorrectPage);
        QApplication::processEvents();
        QWidget* view = d.AutoReplBox->viewport();
        const QImage image = view->grab().toImage();
        const QRect first = d.AutoReplBox->visualItemRect(d.AutoReplBox->item(0));
        const int dpr = static_cast<int>(image.devicePixelRatio());
        const int rule = first.left() + first.width() / 3;
        const QRgb silver = 0xFFC0C0C0;
        EXPECT_EQ(image.pixel(rule * dpr, (first.top() + 2) * dpr), silver);
        EXPECT_EQ(image.pixel((first.left() + 1) * dpr, first.bottom() * dpr), silver);
        EXPECT_NE(image.pixel((rule - 1) * dpr, (first.top() + 2) * dpr), silver);
        EXPECT_EQ(first.height(), QFontMetrics(d.AutoReplBox->font()).boundingRect(QStringLiteral("Wy")).height() + 2);
    });
}
