// Tests of the frameset designer dialog, driven headless with clicks: splitting, merging, the switches, its three outputs and its closing, and its button on the document page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dialogs/UFormMarcos.h"
#include "app/model/EditorKind.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/EditBtns.h"
#include "platform/GraphicsQt.h"
#include "platform/Win1252Qt.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "editor/CodeMemo.h"
#include "platform/core/CharacterReferences.h"
#include "toolbars/TBarCtls.h"

namespace {

using TFramesAnswer = THookWhile<TFramesDialogHook, &SetFramesDialogHook>;

// A shown dialog over a window with one empty document.
struct TDesigner {
    TWindow w;
    bool opened = (w.form.AbreArchivo("", false, ekHTML), true);
    TformMarcos dialog{w.form, nullptr};
    TDesigner()
    {
        dialog.SetFormHeight(TformMarcos::kShortHeight);
        dialog.show();
    }
    TFrameNode& node(std::initializer_list<size_t> path)
    {
        TFrameNode* at = &dialog.Design().Root();
        for (size_t i : path)
            at = at->Children.at(i).get();
        return *at;
    }
    void click(std::initializer_list<size_t> path) { Click(*dialog.PanelOf(node(path))); }
    // Names a frame through the dialog: a click on its panel, then its name and source.
    void name(std::initializer_list<size_t> path, const char* src, const char* frameName)
    {
        click(path);
        dialog.eSrc->setText(src);
        dialog.eName->setText(frameName);
    }
    std::string shown()
    {
        TBoxAnswers boxes;
        dialog.btnVer->click();
        return boxes.texts.empty() ? "(no box)" : boxes.texts.back();
    }
};

bool red(const QWidget* control)
{
    return control->palette().color(control->foregroundRole()) == ToQColor(static_cast<TColor>(clRed));
}

} // namespace

TEST(FormMarcos, WithoutASplitOnlyTheSurfaceShowsAndNothingIsOutput)
{
    TDesigner d;
    EXPECT_EQ(d.dialog.windowTitle(), "Marcos");
    EXPECT_EQ(d.dialog.FormHeight(), 203);
    EXPECT_EQ(d.dialog.width(), 480);
    EXPECT_EQ(d.dialog.GrandPanel->size(), QSize(210, 160));
    for (QWidget* output : std::initializer_list<QWidget*>{d.dialog.btnVer, d.dialog.btnInserta, d.dialog.btnPapel,
                                                           d.dialog.btnBorrar})
        EXPECT_FALSE(output->isEnabled()) << output->objectName().toStdString();
    EXPECT_TRUE(d.dialog.btnNuevo->isHidden());
    EXPECT_TRUE(d.dialog.btnVertical->isEnabled() && d.dialog.btnHorizontal->isEnabled());
    EXPECT_EQ(d.dialog.eVertical->text(), "2");
    // The switches start red but for "Redimensionable".
    for (QWidget* control : std::initializer_list<QWidget*>{
             d.dialog.lblBorder, d.dialog.chParentFrameBorder, d.dialog.lblParentFrameSpacing, d.dialog.chFrameBorder,
             d.dialog.lblMarginHeight, d.dialog.lblMarginWidth, d.dialog.chScrolling, d.dialog.lblFrameSpacing})
        EXPECT_TRUE(red(control)) << control->objectName().toStdString();
    EXPECT_FALSE(red(d.dialog.chNoResize));
    EXPECT_TRUE(d.dialog.chNoResize->isChecked() && d.dialog.chScrolling->isChecked());
    EXPECT_EQ(d.dialog.eSrc->DialogTitle(), "Seleccionar c\xF3" "digo del marco");
    // A click on the surface itself changes nothing.
    Click(*d.dialog.GrandPanel, QPoint(1, 1));
    d.dialog.GrandPanelClick(d.dialog.GrandPanel);
    EXPECT_EQ(&d.dialog.Design().Current(), &d.dialog.Design().Root());
}

TEST(FormMarcos, TwoColumnsGiveTheirFramesetAndTheBorderSwitchItsLeadingBlank)
{
    TDesigner d;
    d.dialog.btnVerticalClick();
    EXPECT_EQ(d.dialog.FormHeight(), 357);
    EXPECT_EQ(d.node({0}).Color, TFramesetDesign::kSelectedColor);
    EXPECT_EQ(d.dialog.lblColsRows->text(), "Columnas");
    EXPECT_EQ(d.dialog.eColsRows->text(), "50%,*");
    d.name({0}, "a.htm", "menu");
    d.name({1}, "b.htm", "main");
    // The panel shows the frame's name.
    EXPECT_EQ(d.node({1}).Caption, "main");
    const std::string twoFrames = "<frameset cols=\"50%,*\">\r\n<frame src=\"a.htm\" name=\"menu\">\r\n"
                                  "<frame src=\"b.htm\" name=\"main\">\r\n</frameset>";
    EXPECT_EQ(d.shown(), twoFrames);
    // A right click on a label turns its attribute on; a second one off again.
    Click(*d.dialog.lblBorder, QPoint(2, 2), Qt::RightButton);
    EXPECT_FALSE(red(d.dialog.lblBorder));
    EXPECT_EQ(d.shown().rfind(" <frameset cols=\"50%,*\" border=\"0\">\r\n", 0), 0u);
    Click(*d.dialog.lblBorder, QPoint(2, 2), Qt::RightButton);
    EXPECT_EQ(d.shown(), twoFrames);

    // Unticking "Redimensionable" writes noresize whatever its colour; its right click ticks nothing.
    Click(*d.dialog.chNoResize, QPoint(2, 2), Qt::RightButton);
    EXPECT_TRUE(red(d.dialog.chNoResize));
    EXPECT_TRUE(d.dialog.chNoResize->isChecked());
    d.dialog.chNoResize->setChecked(false);
    EXPECT_NE(d.shown().find("<frame src=\"b.htm\" name=\"main\" noresize>"), std::string::npos);
    // A source with a blank comes out of its edit without the quotes.
    d.dialog.eSrc->SetFileName("mi marco.htm");
    EXPECT_EQ(d.dialog.eSrc->text(), "\"mi marco.htm\"");
    EXPECT_NE(d.shown().find("<frame src=\"mi marco.htm\" name=\"main\" noresize>"), std::string::npos);
}

TEST(FormMarcos, ASourceNamedBeyondWindows1252GoesInAsTypedTextAndShowsAsItsCharacters)
{
    TDesigner d;
    d.dialog.btnVerticalClick();
    // "ŝí.htm", as the file dialog leaves a chosen name in the edit; ŝ is not in Windows-1252.
    d.name({0}, "", "menu");
    d.dialog.eSrc->setText(QString::fromUtf8("\xC5\x9D\xC3\xAD.htm"));
    d.name({1}, "b.htm", "main");
    // ŝ is held, so that the page is saved with the character.
    EXPECT_NE(d.shown().find("<frame src=\"\x1F#349;\xED.htm\" name=\"menu\">"), std::string::npos) << d.shown();
    // The frame's source shows as its characters again.
    d.click({0});
    EXPECT_EQ(d.dialog.eSrc->text(), QString::fromUtf8("\xC5\x9D\xC3\xAD.htm"));
}

TEST(FormMarcos, ATypedSourceIsWrittenAsTypedAndAPickedFileAsThePageRefersToIt)
{
    TWindow w;
    const std::string page = w.folder.file("index.htm", "");
    w.form.AbreArchivo(page, false, ekHTML);
    TformMarcos dialog{w.form, nullptr};
    dialog.show();
    dialog.btnVerticalClick();
    auto shown = [&dialog] {
        TBoxAnswers boxes;
        dialog.btnVer->click();
        return boxes.texts.empty() ? std::string("(no box)") : boxes.texts.back();
    };
    auto select = [&dialog](size_t frame) { Click(*dialog.PanelOf(*dialog.Design().Root().Children.at(frame))); };

    // Addresses as an author types them: a fragment, a query, another site.
    select(0);
    dialog.eSrc->setText("principal.html#arriba");
    select(1);
    dialog.eSrc->setText("http://www.ejemplo.es/a?b=c");
    select(0);
    EXPECT_EQ(dialog.eSrc->text(), "principal.html#arriba");
    const std::string typed = shown();
    EXPECT_NE(typed.find("<frame src=\"principal.html#arriba\" name=\"\">"), std::string::npos) << typed;
    EXPECT_NE(typed.find("<frame src=\"http://www.ejemplo.es/a?b=c\" name=\"\">"), std::string::npos) << typed;

    // Files picked with the field's button: beside the page, in a folder below it, and one whose name
    // holds a character an address reads otherwise.
    std::filesystem::create_directory(w.folder.path / "marcos");
    const std::string beside = w.folder.file("principal.html", "");
    const std::string below = w.folder.file("marcos/men\xC3\xBA.html", "");
    const std::string hash = w.folder.file("a#1.htm", "");
    TDialogAnswers dialogs;
    dialogs.answers = {{beside}, {below}, {hash}};
    select(0);
    Click(*dialog.eSrc->Button());
    EXPECT_EQ(dialog.eSrc->text(), "principal.html");
    select(1);
    Click(*dialog.eSrc->Button());
    EXPECT_EQ(dialog.eSrc->text(), QString::fromUtf8("marcos/men\xC3\xBA.html"));
    // The dialog starts in the folder of the file picked before.
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests.back().InitialDir, w.folder.path.string() + "/");
    const std::string picked = shown();
    EXPECT_NE(picked.find("<frame src=\"principal.html\" name=\"\">"), std::string::npos) << picked;
    EXPECT_NE(picked.find("<frame src=\"marcos/men\xFA.html\" name=\"\">"), std::string::npos) << picked;
    Click(*dialog.eSrc->Button());
    EXPECT_NE(shown().find("<frame src=\"a%231.htm\" name=\"\">"), std::string::npos) << shown();

    // The picker follows the setting as the others do: with "no folders", the file name alone.
    w.form.Config().InsertDirs = 1;
    dialogs.answers = {{below}};
    Click(*dialog.eSrc->Button());
    EXPECT_EQ(dialog.eSrc->text(), QString::fromUtf8("men\xC3\xBA.html"));
    EXPECT_EQ(dialog.eSrc->text(), FromEditorText(w.form.RutaRelativa(below)));
}

TEST(FormMarcos, SplitsFollowTheFramesetsDirectionAndMergesRestoreOneFrame)
{
    TDesigner d;
    d.dialog.eHorizontal->setText("3");
    d.dialog.btnHorizontal->click();
    EXPECT_EQ(d.dialog.Design().Root().ColsRows, "33%,33%,*");
    EXPECT_EQ(d.dialog.lblColsRows->text(), "Filas");
    // A frame of a rows frameset splits only into columns.
    EXPECT_TRUE(d.dialog.btnVertical->isEnabled());
    EXPECT_FALSE(d.dialog.btnHorizontal->isEnabled() || d.dialog.eHorizontal->isEnabled());
    d.click({2});
    d.dialog.eVertical->setText("7");
    d.dialog.btnVertical->click();
    EXPECT_EQ(d.node({2}).ColsRows, "14%,14%,14%,14%,14%,14%,*");
    EXPECT_EQ(d.node({2}).Children.size(), 7u);
    EXPECT_FALSE(d.dialog.btnVertical->isEnabled());
    EXPECT_TRUE(d.dialog.btnHorizontal->isEnabled());
    // The panels mirror the nodes: the seventh column fills the rest of its row.
    const QWidget* seventh = d.dialog.PanelOf(d.node({2, 6}));
    ASSERT_NE(seventh, nullptr);
    EXPECT_EQ(seventh->geometry(), QRect(180, 0, 30, 54));
    EXPECT_EQ(seventh->parentWidget(), d.dialog.PanelOf(d.node({2})));

    // A click on a frameset's own panel changes nothing.
    TFrameNode* current = &d.dialog.Design().Current();
    d.dialog.GrandPanelClick(d.dialog.PanelOf(d.node({2})));
    EXPECT_EQ(&d.dialog.Design().Current(), current);

    // Merging a frame of the nested frameset turns it back into one frame, grey, with its values.
    d.dialog.eBorder->setText("5");
    d.click({2, 3});
    const QPointer<QWidget> memberPanel = d.dialog.PanelOf(d.node({2, 3}));
    d.dialog.btnBorrar->click();
    EXPECT_EQ(&d.dialog.Design().Current(), &d.node({2}));
    EXPECT_TRUE(d.node({2}).IsFrame());
    EXPECT_EQ(d.node({2}).Color, TFramesetDesign::kMergedColor);
    EXPECT_EQ(d.node({2}).Border, "5");
    EXPECT_TRUE(memberPanel.isNull());
    EXPECT_EQ(d.dialog.GrandPanel->findChildren<QWidget*>().size(), 4);
    // Merging up to the root, and there nothing more.
    d.dialog.btnBorrar->click();
    EXPECT_TRUE(d.dialog.Design().Root().IsFrame());
    EXPECT_FALSE(d.dialog.btnBorrar->isEnabled());
    EXPECT_EQ(d.dialog.FormHeight(), 203);
    d.dialog.btnBorrarClick();
    EXPECT_TRUE(d.dialog.Design().Root().IsFrame());
    EXPECT_TRUE(d.dialog.btnVertical->isEnabled() && d.dialog.btnHorizontal->isEnabled());
}

TEST(FormMarcos, InsertingIsOneUndoableEditAndCopyingFillsTheClipboard)
{
    TDesigner d;
    d.dialog.btnVertical->click();
    d.name({0}, "a.htm", "menu");
    EXPECT_EQ(d.dialog.Tag(), 0);
    d.dialog.btnInserta->click();
    const std::string html = "<frameset cols=\"50%,*\">\r\n<frame src=\"a.htm\" name=\"menu\">\r\n"
                             "<frame src=\"\" name=\"\">\r\n</frameset>";
    std::string inserted = d.w.memo.GetTextStr();
    // The editor keeps its own line breaks.
    std::erase(inserted, '\r');
    std::string expected = html;
    std::erase(expected, '\r');
    EXPECT_EQ(inserted.substr(0, expected.size()), expected);
    EXPECT_EQ(d.dialog.Tag(), 1);
    d.w.memo.Undo();
    EXPECT_EQ(d.w.memo.GetTextLen(), 0);
    d.dialog.btnPapel->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected);
}

TEST(FormMarcos, LeavingAsksUntilTheHtmlWasOutputAndReleasesTheButton)
{
    TDesigner d;
    d.dialog.btnVertical->click();
    {
        TBoxAnswers boxes({IDNO});
        d.dialog.btnSalir->click();
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0], "\xBF" "Est\xE1 seguro de querer abandonar los cambios?");
        EXPECT_EQ(boxes.flags[0], MB_YESNO | MB_ICONQUESTION);
        EXPECT_TRUE(d.dialog.isVisible());
    }
    TBoxAnswers boxes({IDYES});
    d.dialog.btnSalir->click();
    EXPECT_FALSE(d.dialog.isVisible());
    // Once the HTML went somewhere the dialog closes without asking.
    d.dialog.show();
    d.dialog.btnPapel->click();
    d.dialog.btnSalir->click();
    EXPECT_FALSE(d.dialog.isVisible());
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(FormMarcos, TheDocumentPagesButtonOpensTheDesignerAndComesUpWhenItCloses)
{
    TWindow w;
    w.form.AbreArchivo("", false, ekHTML);
    TToolbarButtonKt* button = w.form.Herramientas().sbMarcos;
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget(), w.form.Herramientas().tsDocumento);
    EXPECT_EQ(button->Caption(), "Marcos");
    int runs = 0;
    TFramesAnswer answer([&](TformMarcos& dialog) {
        ++runs;
        EXPECT_TRUE(button->Down());
        EXPECT_EQ(dialog.FormHeight(), 203);
        dialog.show();
        Click(*dialog.btnVertical);
        Click(*dialog.PanelOf(*dialog.Design().Root().Children[1]));
        Click(*dialog.btnHorizontal);
        EXPECT_EQ(dialog.Design().Root().Children[1]->Children.size(), 2u);
        Click(*dialog.btnBorrar);
        EXPECT_TRUE(dialog.Design().Root().Children[1]->IsFrame());
        Click(*dialog.btnInserta);
        Click(*dialog.btnSalir);
        EXPECT_FALSE(dialog.isVisible());
    });
    Click(*button);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(w.memo.GetTextStr().rfind("<frameset cols=\"50%,*\">", 0), 0u);
}

TEST(FormMarcos, NoLabelWithItsTextRunsIntoAnotherControl)
{
    TDesigner d;
    // The attribute groups show once a frame is split.
    d.dialog.btnVertical->click();
    ASSERT_EQ(d.dialog.FormHeight(), TformMarcos::kFullHeight);
    QApplication::processEvents();
    const auto inDialog = [&](const QWidget* control) {
        return QRect(control->mapTo(&d.dialog, QPoint(0, 0)), control->size());
    };
    std::vector<std::string> overlaps;
    int labels = 0;
    for (const QLabel* label : d.dialog.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        ++labels;
        // The label's place with its text's width, on the side its alignment puts the text, and a blank
        // on either side: text flush against a box reads as run into it.
        const QFontMetrics metrics = label->fontMetrics();
        const int text = metrics.horizontalAdvance(label->text()) + label->width() - label->contentsRect().width();
        QRect drawn = inDialog(label);
        if (label->alignment() & Qt::AlignRight)
            drawn.setLeft(drawn.right() + 1 - text);
        else
            drawn.setWidth(text);
        const int blank = metrics.horizontalAdvance(QLatin1Char(' '));
        drawn.adjust(-blank, 0, blank, 0);
        for (const QWidget* other : d.dialog.findChildren<QWidget*>()) {
            if (other == label || !other->isVisible() || other->isAncestorOf(label) || label->isAncestorOf(other))
                continue;
            if (drawn.intersects(inDialog(other)))
                overlaps.push_back(label->objectName().toStdString() + " \"" + label->text().toStdString() +
                                   "\" runs into " +
                                   (other->objectName().isEmpty() ? std::string(other->metaObject()->className())
                                                                  : other->objectName().toStdString()));
        }
    }
    // Both groups' labels were looked at: the columns' one, border, spacing, name, source and margins.
    EXPECT_EQ(labels, 8);
    EXPECT_TRUE(overlaps.empty()) << ::testing::PrintToString(overlaps);
}
