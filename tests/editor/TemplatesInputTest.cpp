// The editor control's templates and auto-replace driven by key events: expansion, indentation, auto-correction, the pop-up list, shared lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <memory>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "platform/Keys.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"
#include "support/TypedKeys.h"

namespace {

// Notes the undo groups the control opens and closes, on their way to its undo log.
class TTemplateMemo : public TCodeMemo {
public:
    using TCodeMemo::TCodeMemo;
    std::string Groups;

protected:
    void openUndoGroup(int kind) override
    {
        Groups += Format("<%d", kind);
        TCodeMemo::openUndoGroup(kind);
    }
    void closeUndoGroup(int kind) override
    {
        Groups += Format(" %d>", kind);
        TCodeMemo::closeUndoGroup(kind);
    }
};

void pressHotKey(QWidget& target)
{
    press(target, 'J', ssCtrl);
}

// Types lower-case letters and blanks key by key.
void type(QWidget& target, const std::string& text)
{
    for (char c : text)
        press(target, c == ' ' ? int{VK_SPACE} : AsciiUpper(c));
}

// The control shown with `content` and the caret at its end, no undo groups noted yet.
void prepare(TTemplateMemo& memo, const std::string& content)
{
    memo.resize(400, 200);
    memo.show();
    SetText(memo, content);
    const int end = static_cast<int>(content.size());
    Select(memo, end, end);
    memo.Groups.clear();
}

// The selection as "anchor..caret".
std::string selectionOf(TCustomCodeMemo& memo)
{
    const TSelectionRange range = Selection(memo);
    return Format("%d..%d", range.Start, range.End);
}

QListWidget* popupOf(TCustomCodeMemo& memo)
{
    return memo.findChild<QListWidget*>();
}

// Presses the hot key at the end of `content`; the pop-up it opened, nil when none shows.
QListWidget* openPopup(TCustomCodeMemo& memo, const std::string& content)
{
    SetText(memo, content);
    const int end = static_cast<int>(content.size());
    Select(memo, end, end);
    pressHotKey(memo);
    QListWidget* popup = popupOf(memo);
    return popup && popup->isVisible() ? popup : nullptr;
}

// A shown window filled by an editor, room for the pop-up below its first lines.
struct TPopupWindow {
    QWidget window;
    TTemplateMemo* memo = new TTemplateMemo(&window);
    TPopupWindow()
    {
        window.resize(500, 300);
        memo->setGeometry(0, 0, 500, 300);
        window.show();
    }
};

void doubleClick(QListWidget& list, int row)
{
    const QPoint at = list.visualItemRect(list.item(row)).center();
    const QPoint global = list.viewport()->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &event);
    }
}

} // namespace

TEST(TemplatesInput, HotKeyExpandsTheTemplateBeforeTheCaretAsOneUndoStep)
{
    TTemplateMemo memo;
    memo.CodeTemplateList().SetTemplate("for", "bucle", "for (|)");
    std::vector<std::string> fired;
    memo.OnTemplateEvent = [&](TCustomCodeMemo* sender, const std::string& name, std::string&) {
        EXPECT_EQ(sender, &memo);
        fired.push_back(name);
    };

    prepare(memo, "");
    type(memo, "for");
    memo.Groups.clear();
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "for ()");
    EXPECT_EQ(selectionOf(memo), "5..5");
    // One template group around the whole replacement, and the hot key typed nothing.
    EXPECT_EQ(memo.Groups, "<16<21 21> 16>");
    EXPECT_EQ(fired, std::vector<std::string>{"for"});
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "for");
    memo.Redo();
    EXPECT_EQ(memo.StoredText(), "for ()");

    // A name typed in capitals expands the template; the event sees it as typed.
    prepare(memo, "x = FOR");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "x = for ()");
    EXPECT_EQ(selectionOf(memo), "9..9");
    EXPECT_EQ(fired.back(), "FOR");

    // The event may change the replacement.
    memo.OnTemplateEvent = [](TCustomCodeMemo*, const std::string&, std::string& replacement) {
        replacement = "for (;;) |";
    };
    prepare(memo, "for");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "for (;;) ");
    EXPECT_EQ(selectionOf(memo), "9..9");
    memo.OnTemplateEvent = nullptr;

    // Another hot key, and no expansion inside a read-only text.
    memo.CodeTemplateList().HotKey = scCtrl | scShift | 'T';
    prepare(memo, "for");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "for");
    press(memo, 'T', ssCtrl | ssShift);
    EXPECT_EQ(memo.StoredText(), "for ()");
    prepare(memo, "for");
    memo.SetReadOnly(true);
    press(memo, 'T', ssCtrl | ssShift);
    EXPECT_EQ(memo.StoredText(), "for");
    memo.SetReadOnly(false);

    // Without the pop-up, a hot key after no template name changes nothing.
    memo.CodeTemplateList().ShowPopup = 0;
    prepare(memo, "fo");
    press(memo, 'T', ssCtrl | ssShift);
    EXPECT_EQ(memo.StoredText(), "fo");
    EXPECT_EQ(memo.Groups, "");
    EXPECT_EQ(popupOf(memo), nullptr);
}

TEST(TemplatesInput, LaterLinesOfATemplateTakeTheColumnOfItsName)
{
    TTemplateMemo memo;
    TCodeTemplates& templates = memo.CodeTemplateList();
    templates.SetTemplate("if", "", "if (|) {\r\n\tx;\r\n}");

    prepare(memo, "    if");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "    if () {\r    \tx;\r    }");
    EXPECT_EQ(selectionOf(memo), "8..8");

    // The column counts a TAB as far as it reaches; the later lines get blanks.
    memo.SetTabDefault(8);
    prepare(memo, "a\r\tif");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "a\r\tif () {\r        \tx;\r        }");
    EXPECT_EQ(selectionOf(memo), "7..7");

    // Without indenting and without the caret marker the text goes in as it stands.
    templates.IndentLines = 0;
    templates.CaretMarker = 0;
    prepare(memo, "  if");
    pressHotKey(memo);
    EXPECT_EQ(memo.StoredText(), "  if (|) {\r\tx;\r}");
    EXPECT_EQ(selectionOf(memo), "16..16");
}

TEST(TemplatesInput, AutoReplaceOnATriggerKeyOutsideWords)
{
    TTemplateMemo memo;
    memo.AutoReplaceList().AddReplacement("teh", "the");
    struct Seen {
        std::string item;
        bool canReplace;
        int streamAt;
    };
    std::vector<Seen> seen;
    bool force = false;
    memo.OnAutoReplace = [&](TCustomCodeMemo*, TEdStream& stream, const std::string& item, std::string& with,
                             bool& canReplace) {
        seen.push_back({item, canReplace, static_cast<int>(stream.GetPos())});
        EXPECT_EQ(with, "the");
        if (force)
            canReplace = true;
    };

    prepare(memo, "");
    type(memo, "teh");
    memo.Groups.clear();
    type(memo, " ");
    // The replacement is a step of its own; the space is typed after it.
    EXPECT_EQ(memo.StoredText(), "the ");
    EXPECT_EQ(memo.Groups, "<16<21 21> 16><12<21 21> 12>");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].item, "teh");
    EXPECT_TRUE(seen[0].canReplace);
    EXPECT_EQ(seen[0].streamAt, 0);
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "the");
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "teh");

    // Glued to a word before it, the entry stays: the event is told so and may overrule it.
    prepare(memo, "a xteh");
    type(memo, " ");
    EXPECT_EQ(memo.StoredText(), "a xteh ");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[1].canReplace);
    EXPECT_EQ(seen[1].streamAt, 3);
    force = true;
    prepare(memo, "a xteh");
    type(memo, " ");
    EXPECT_EQ(memo.StoredText(), "a xthe ");
    force = false;

    // Nor inside a word that goes on after the caret.
    prepare(memo, "tehx");
    Select(memo, 3, 3);
    type(memo, " ");
    EXPECT_EQ(memo.StoredText(), "teh x");

    // A trigger typed with Shift, and a key that is no trigger.
    prepare(memo, "teh");
    press(memo, '9', ssShift);
    EXPECT_EQ(memo.StoredText(), "the(");
    prepare(memo, "teh");
    press(memo, '1', ssShift);
    EXPECT_EQ(memo.StoredText(), "teh!");
}

TEST(TemplatesInput, AutoReplaceKeepsTheCaseTheWordWasTypedIn)
{
    TTemplateMemo memo;
    memo.AutoReplaceList().AddReplacement("despues", "despu\xE9s");
    std::string told;
    memo.OnAutoReplace = [&](TCustomCodeMemo*, TEdStream&, const std::string&, std::string& with, bool&) { told = with; };
    const std::pair<const char*, const char*> cases[] = {
        {"despues", "despu\xE9s "},
        {"Despues", "Despu\xE9s "},
        {"DESPUES", "DESPU\xC9S "},
    };
    for (const auto& [typed, expected] : cases) {
        // The word as typed before the caret (the helper types small letters only), then a space.
        prepare(memo, typed);
        type(memo, " ");
        EXPECT_EQ(memo.StoredText(), expected) << typed;
        // The event sees the text that goes in.
        EXPECT_EQ(told + " ", expected);
    }
}

TEST(TemplatesInput, PopUpListsTheTemplatesWhenNoNameStandsBeforeTheCaret)
{
    TPopupWindow shown;
    QWidget& window = shown.window;
    TTemplateMemo* memo = shown.memo;
    TCodeTemplates& templates = memo->CodeTemplateList();
    templates.SetTemplate("for", "Bucle for", "for (|)");
    templates.SetTemplate("if", "Condici\xF3n", "if (|)");
    templates.SetTemplate("while", "", "while (|)");

    QListWidget* popup = openPopup(*memo, "wh");
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->count(), 3);
    EXPECT_EQ(popup->item(0)->text(), QString("Bucle for\tfor"));
    EXPECT_EQ(popup->item(1)->text(), QString::fromUtf8("Condici\xC3\xB3n\tif"));
    EXPECT_EQ(popup->item(2)->text(), QString("while"));
    // The item of the typed word is chosen, and the word is shown selected for replacement.
    EXPECT_EQ(popup->currentRow(), 2);
    EXPECT_EQ(selectionOf(*memo), "0..2");
    EXPECT_FALSE(memo->HideSelection);
    // Below the caret line, inside the editor's parent.
    const QRect inParent(window.mapToGlobal(QPoint(0, 0)), window.size());
    EXPECT_TRUE(inParent.contains(popup->geometry())) << popup->geometry().x() << "," << popup->geometry().y();
    EXPECT_GE(popup->geometry().top(), memo->mapToGlobal(QPoint(0, memo->LineHeight())).y());

    press(*popup, VK_RETURN);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(memo->HideSelection);
    EXPECT_EQ(memo->StoredText(), "while ()");
    EXPECT_EQ(selectionOf(*memo), "7..7");

    // Typed characters search the keys and never reach the editor; Escape closes.
    ASSERT_EQ(openPopup(*memo, "x "), popup);
    EXPECT_EQ(popup->currentRow(), 0);
    press(*popup, 'I');
    EXPECT_EQ(popup->currentRow(), 1);
    press(*popup, 'W'); // "iw" starts no key: the search starts again at "w"
    EXPECT_EQ(popup->currentRow(), 2);
    press(*popup, VK_ESCAPE);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(memo->StoredText(), "x ");

    // A double click accepts.
    pressHotKey(*memo);
    ASSERT_TRUE(popup->isVisible());
    doubleClick(*popup, 0);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(memo->StoredText(), "x for ()");
    EXPECT_EQ(selectionOf(*memo), "7..7");

    // An item that does not hold the typed word goes after it.
    ASSERT_EQ(openPopup(*memo, "wh"), popup);
    popup->setCurrentRow(1);
    press(*popup, VK_RETURN);
    EXPECT_EQ(memo->StoredText(), "whif ()");
    EXPECT_EQ(selectionOf(*memo), "6..6");
}

TEST(TemplatesInput, SharedListsExpandInTheEditorThatTookTheKeyAndForgetAnEditorThatGoes)
{
    TTestParser parser;
    auto first = std::make_unique<TTemplateMemo>();
    auto second = std::make_unique<TTemplateMemo>();
    first->SetParser1(&parser);
    second->SetParser1(&parser);
    TCodeTemplates& templates = parser.Settings().CodeTemplates();
    TAutoReplace& corrections = parser.Settings().AutoReplace();
    templates.SetTemplate("for", "", "for (|)");
    prepare(*first, "for");
    prepare(*second, "for");

    pressHotKey(*second);
    EXPECT_EQ(second->StoredText(), "for ()");
    EXPECT_EQ(first->StoredText(), "for");
    pressHotKey(*first);
    EXPECT_EQ(first->StoredText(), "for ()");
    EXPECT_EQ(second->StoredText(), "for ()");

    // The editor that goes lets go of the lists it holds, and only of those.
    press(*second, VK_END);
    ASSERT_TRUE(templates.OnExpand);
    ASSERT_TRUE(corrections.OnExpand);
    second.reset();
    EXPECT_FALSE(templates.OnExpand);
    EXPECT_FALSE(corrections.OnExpand);
    auto third = std::make_unique<TTemplateMemo>();
    third->SetParser1(&parser);
    prepare(*first, "for");
    pressHotKey(*first);
    EXPECT_EQ(first->StoredText(), "for ()");
    third.reset();
    EXPECT_TRUE(templates.OnExpand);

    // An editor's own lists are claimed by focus too.
    TTemplateMemo own;
    own.Perform(WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(own.CodeTemplateList().OnExpand);
    EXPECT_TRUE(own.AutoReplaceList().OnExpand);
}

TEST(TemplatesInput, ACharacterTheCodePageLacksSearchesThePopUpAsItself)
{
    TPopupWindow shown;
    TTemplateMemo* memo = shown.memo;
    // The names are held as the editor holds a character Windows-1252 lacks.
    const std::string beta = HeldCharacter(U'\u03B2');
    const std::string lambda = HeldCharacter(U'\u03BB');
    TCodeTemplates& templates = memo->CodeTemplateList();
    templates.SetTemplate("alfa", "", "a");
    templates.SetTemplate(beta + "eta", "Beta", "b");
    templates.SetTemplate(lambda + "ambda", "", "l");
    templates.SetTemplate("gamma", "", "g");
    const auto row = [&](const std::string& key) {
        for (int i = 0; i < templates.Count(); ++i)
            if (templates.Entry(i).Key == key)
                return i;
        return -1;
    };

    QListWidget* popup = openPopup(*memo, "x ");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->currentRow(), 0);
    TypeCharacter(*popup, U'\u03B2');
    EXPECT_EQ(popup->currentRow(), row(beta + "eta"));
    // A held character that no name goes on with starts the search again, as any character does.
    TypeCharacter(*popup, U'\u03BB');
    EXPECT_EQ(popup->currentRow(), row(lambda + "ambda"));
    TypeCharacter(*popup, U'g');
    EXPECT_EQ(popup->currentRow(), row("gamma"));
    // A character no name begins with keeps the selection, and nothing reaches the editor.
    TypeCharacter(*popup, U'\u4E2D');
    EXPECT_EQ(popup->currentRow(), row("gamma"));
    TypeCharacter(*popup, U'\u03B2');
    EXPECT_EQ(popup->currentRow(), row(beta + "eta"));
    press(*popup, VK_RETURN);
    EXPECT_EQ(memo->StoredText(), "x b");
}
