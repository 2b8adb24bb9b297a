// Tests of the BODY dialog and the palette in the main window: the tag built on Aceptar, colour buttons, margins, the address history, and the palette read at the first show.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/dialogs/UFormBody.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/explbtn.h"
#include "platform/ColorDialog.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"

namespace {

using TBodyAnswer = THookWhile<TBodyDialogHook, SetBodyDialogHook>;
using TPaletteAnswer = THookWhile<TPaletteDialogHook, SetPaletteDialogHook>;
using TColorAnswer = THookWhile<TColorDialogHook, SetColorDialogHook>;

// A window with one document holding "texto", all of it selected, and codes in capitals outside quotes.
struct TBodyWindow {
    TBoxAnswers boxes{{}, IDNO};
    TWindow w;
    TBodyWindow()
    {
        w.form.Config().InsCaseMode = 2;
        w.form.AbreArchivo("", false, ekHTML);
        select();
    }
    void select()
    {
        w.memo.Lines().SetText("texto");
        w.memo.SetSelStart(0);
        w.memo.SetSelLength(5);
    }
    // Opens the dialog from its View item; `drive` works it while it is shown.
    std::string run(const std::function<void(TformBody&)>& drive)
    {
        select();
        TBodyAnswer hook(drive);
        w.form.Commands().Action("mVerFormCuerpo")->trigger();
        return EditorText(w.memo);
    }
};

void pressAceptar(TformBody& body, Qt::KeyboardModifiers keys = {})
{
    SendMouse(*body.bAceptar, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, keys);
}

} // namespace

TEST(BodyDialog, AceptarBuildsTheTagFromWhatIsEnabled)
{
    TBodyWindow b;
    QAction* item = b.w.form.Commands().Action("mVerFormCuerpo");
    bool checkedWhileOpen = false;
    EXPECT_EQ(b.run([&](TformBody& body) {
        checkedWhileOpen = item->isChecked() && b.w.form.Commands().Action("sbBody")->isChecked();
        EXPECT_EQ(ToWin1252(body.cbUrlBody->currentText()), "Ning\xFAn fondo");
        pressAceptar(body);
        EXPECT_FALSE(body.isVisible());
    }),
              "<BODY>texto");
    EXPECT_TRUE(checkedWhileOpen);
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(b.w.form.Commands().Action("sbBody2")->isChecked());

    // Background with watermark and the closing code, around the selection.
    EXPECT_EQ(b.run([&](TformBody& body) {
        body.chBackground->setChecked(true);
        body.cbUrlBody->setEditText("fondo.gif");
        body.chBGProperties->setChecked(true);
        body.chCloseBody->setChecked(true);
        pressAceptar(body);
    }),
              "<BODY BACKGROUND=\"fondo.gif\" BGPROPERTIES=\"Fixed\">texto</BODY>");
    // Ctrl puts the codes on lines of their own; the address is now in the history.
    EXPECT_EQ(b.run([&](TformBody& body) {
        EXPECT_EQ(body.cbUrlBody->findText("fondo.gif"), 0);
        body.chCloseBody->setChecked(true);
        pressAceptar(body, Qt::ControlModifier);
    }),
              "<BODY>\rtexto\r</BODY>");
    // Shift replaces the selection; from the keyboard Aceptar acts as a press without keys.
    EXPECT_EQ(b.run([&](TformBody& body) { pressAceptar(body, Qt::ShiftModifier); }), "<BODY>");
    EXPECT_EQ(b.run([&](TformBody& body) {
        body.chCloseBody->setChecked(true);
        body.bAceptar->click();
    }),
              "<BODY>texto</BODY>");
    // Cancelar inserts nothing.
    EXPECT_EQ(b.run([&](TformBody& body) { body.bCancelar->click(); }), "texto");
    EXPECT_FALSE(item->isChecked());
}

TEST(BodyDialog, ColoursAreTakenWhenDownAndMarginsOnlyWhileDown)
{
    TBodyWindow b;
    b.w.form.Config().UseCustomPalette = false;
    std::vector<TColor> asked;
    TColorAnswer colours([&](TColorDialog& dialog) {
        asked.push_back(dialog.Color);
        dialog.Color = 0x102030;
        return true;
    });
    EXPECT_EQ(b.run([&](TformBody& body) {
        body.chBgcolor->setChecked(true);
        SendMouse(*body.BGColor, QEvent::MouseButtonPress, {3, 3});
        Click(*body.Text);
        EXPECT_TRUE(body.Text->Down());
        Click(*body.Link);
        Click(*body.Link);
        EXPECT_FALSE(body.Link->Down());
        body.LeftMargin->SetDown(true);
        body.SELeftMargin->setText("10");
        body.SETopMargin->setText("20");
        pressAceptar(body);
    }),
              "<BODY BGCOLOR=\"#302010\" TEXT=\"#302010\" LEFTMARGIN=\"10\">texto");
    // The background started white, the text black, the link blue; the link went up on its second
    // click, asked for no colour then and is left out.
    EXPECT_EQ(asked, (std::vector<TColor>{clWhite, clBlack, clBlue}));

    // With the palette on, the colour buttons choose in the palette.
    b.w.form.Config().UseCustomPalette = true;
    std::vector<int> preselected;
    TPaletteAnswer palette([&](TFormColor& form) {
        preselected.push_back(form.ListBox1->currentRow());
        form.ListBox1->setCurrentRow(form.ListBox1->count() - 1);
        return 1;
    });
    EXPECT_EQ(b.run([&](TformBody& body) {
        Click(*body.VLink);
        body.RightMargin->SetDown(true);
        body.SERightMargin->setText("5");
        body.RightMargin->SetDown(false);
        pressAceptar(body);
    }),
              "<BODY VLINK=\"#FFFAF0\">texto");
    ASSERT_EQ(preselected.size(), 1u);
    EXPECT_EQ(b.w.form.FormColor().Names.at(preselected[0]), "P\xFArpura");
}

TEST(BodyDialog, ThePaletteIsReadAtTheFirstShowAndServesTheColourPanels)
{
    TBodyWindow b;
    EXPECT_TRUE(b.boxes.texts.empty());
    TFormColor& palette = b.w.form.FormColor();
    ASSERT_GT(palette.Names.size(), 16u);
    EXPECT_EQ(palette.Names[0], "Negro");
    EXPECT_EQ(palette.Codes[0], "000000");
    EXPECT_EQ(palette.windowTitle(), "Color");

    TToolPageControls& pages = b.w.form.Herramientas();
    ASSERT_TRUE(b.w.form.Config().UseCustomPalette);
    pages.pColor->SetColor(clRed);
    std::string preselected;
    TPaletteAnswer hook([&](TFormColor& form) {
        preselected = form.Names.at(form.ListBox1->currentRow());
        form.ListBox1->setCurrentRow(0);
        return 1;
    });
    Click(*pages.pColor);
    EXPECT_EQ(preselected, "Rojo");
    EXPECT_EQ(pages.pColor->Color(), clBlack);
}
