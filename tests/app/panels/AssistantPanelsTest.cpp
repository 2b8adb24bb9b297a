// Tests of the image, applet and form assistants driven through the main window's side panel.
#include "app/panels/AssistantPanels.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>

#include "app/panels/SidePanel.h"
#include "components/VSpeedBtnMenu.h"
#include "components/VeltranEdit.h"
#include "platform/Win1252Qt.h"
#include "support/Bytes.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"

namespace {

// A window with one new document, codes kept in the letter case they are built in.
struct TAssistantWindow : TWindow {
    TAssistantPanels& a = form.AssistantPanels();
    TAssistantWindow()
    {
        form.Config().InsCaseMode = 4;
        form.resize(800, 600);
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        QApplication::processEvents();
    }
    // Empties the document and leaves `selected` in it selected.
    void select(const std::string& selected)
    {
        memo.SelectAll();
        type(memo, selected);
        memo.SelectAll();
    }
    std::string press(QWidget* button, Qt::KeyboardModifiers keys = {})
    {
        SendMouse(*button, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, keys);
        SendMouse(*button, QEvent::MouseButtonRelease, {2, 2}, Qt::LeftButton, keys);
        return memo.GetTextStr();
    }
};

void choose(TVSpeedBtnMenu* button, int index)
{
    button->SetItemIndex(index);
    button->OnSelect(button);
}

void setText(QComboBox* combo, const char* text)
{
    combo->setEditText(QString::fromLatin1(text));
}

std::string text(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return ToWin1252(label->text());
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return ToWin1252(combo->currentText());
    return ToWin1252(static_cast<const QAbstractButton*>(control)->text());
}

} // namespace

TEST(AssistantPanels, AreMadeWhenTheSidePanelFirstShows)
{
    // A window without documents shows no side panel: its assistants' pages stay empty.
    TWindow w;
    TSidePanel& panel = w.form.SidePanel();
    const int pages[] = {TSidePanel::asImagenes, TSidePanel::asApplets, TSidePanel::asFormularios};
    const auto filled = [&panel](int page) { return !panel.Assistant(page)->findChildren<QWidget*>().isEmpty(); };
    ASSERT_TRUE(panel.pLateral->isHidden());
    for (int page : pages)
        EXPECT_FALSE(filled(page)) << page;
    // The panel shown with a document: the pages are filled before it shows, their controls shown with it.
    w.form.AbreArchivo("", false, ekHTML);
    if (panel.pLateral->isHidden())
        w.form.mVerLateralClick();
    ASSERT_FALSE(panel.pLateral->isHidden());
    for (int page : pages)
        EXPECT_TRUE(filled(page)) << page;
    panel.ShowAssistant(TSidePanel::asImagenes);
    QApplication::processEvents();
    EXPECT_TRUE(w.form.AssistantPanels().sbImgIns->isVisible());
    EXPECT_TRUE(panel.Assistant(TSidePanel::asImagenes)->isAncestorOf(w.form.AssistantPanels().sbImgIns));
}

TEST(AssistantPanels, AreMadeWhenFirstAskedFor)
{
    TWindow w;
    TSidePanel& panel = w.form.SidePanel();
    ASSERT_TRUE(panel.Assistant(TSidePanel::asApplets)->findChildren<QWidget*>().isEmpty());
    TAssistantPanels& a = w.form.AssistantPanels();
    EXPECT_EQ(&a, &w.form.AssistantPanels());
    EXPECT_TRUE(panel.Assistant(TSidePanel::asApplets)->isAncestorOf(a.sbAppletIns));
    EXPECT_TRUE(panel.Assistant(TSidePanel::asFormularios)->isAncestorOf(a.sbOkForm));
}

TEST(AssistantPanels, StartWithTheFirstChoicesOnTheirPages)
{
    TAssistantWindow w;
    TSidePanel& panel = w.form.SidePanel();
    EXPECT_TRUE(panel.Assistant(TSidePanel::asImagenes)->isAncestorOf(w.a.sbImgIns));
    EXPECT_TRUE(panel.Assistant(TSidePanel::asApplets)->isAncestorOf(w.a.sbAppletIns));
    EXPECT_TRUE(panel.Assistant(TSidePanel::asFormularios)->isAncestorOf(w.a.sbOkForm));
    const std::pair<QComboBox*, const char*> firsts[] = {
        {w.a.cbMethod, "POST"}, {w.a.cbBtn, "submit"}, {w.a.cbEdit, "text"}, {w.a.cbTextWrap, "Sin ajuste"}};
    for (const auto& [choice, first] : firsts) {
        EXPECT_EQ(choice->currentIndex(), 0) << first;
        EXPECT_EQ(text(choice), first);
    }
    EXPECT_EQ(w.a.sbImgAlign->property("Tag").toInt(), 0);
    EXPECT_EQ(text(w.a.sbImgAlign), "Ning\xFAn alineamiento");
    EXPECT_EQ(w.a.sbImgMode->property("Tag").toInt(), 1);
    EXPECT_EQ(w.a.cbImgMode->property("Tag").toInt(), 1);
    EXPECT_EQ(text(w.a.sbImgMode), "Imagen");
    // No alignment, then the nine the hints give, the same on both alignment buttons.
    for (TVSpeedBtnMenu* align : {w.a.sbImgAlign, w.a.sbAppletAlign}) {
        ASSERT_EQ(align->Items().Count(), 10);
        ASSERT_EQ(align->Hints().Count(), 10);
        EXPECT_EQ(align->Hints()[1].rfind("ALIGN=\"left\"|", 0), 0u);
        EXPECT_EQ(align->Hints()[9].rfind("ALIGN=\"absbottom\"|", 0), 0u);
    }
    EXPECT_EQ(w.a.nbForm->currentIndex(), 0);
    EXPECT_TRUE(w.a.SBForm[ffForm]->Down());
    for (int tag = 0; tag < kFormFieldCount; ++tag)
        EXPECT_EQ(w.a.SBForm[tag]->property("Tag").toInt(), tag);
}

TEST(AssistantPanels, ModeChangesEnableTheirOptionsWithTheirLabels)
{
    TAssistantWindow w;
    const char* urlLabels[] = {"URL de la imagen alternativa", "URL de la imagen", "URL de la imagen",
                               "URL de la imagen", "URL de la imagen alternativa", "URL del objeto incrustado"};
    const char* modeLabels[] = {"Animaci\xF3n", "No aplicable", "Imagen alternativa", "Mapa de hipertexto", "Mundo virtual",
                                "No aplicable"};
    for (int mode = 5; mode >= 0; --mode) {
        choose(w.a.sbImgMode, mode);
        EXPECT_EQ(text(w.a.sbImgMode), w.a.sbImgMode->Items()[mode]);
        EXPECT_EQ(w.a.sbImgMode->property("Tag").toInt(), mode);
        EXPECT_EQ(w.a.cbImgMode->property("Tag").toInt(), mode);
        EXPECT_EQ(w.a.chImgIsmap->isEnabled(), mode >= 1 && mode <= 3) << mode;
        EXPECT_EQ(w.a.cbImgMode->isEnabled(), mode != 1 && mode != 5) << mode;
        EXPECT_EQ(w.a.lImgURLAlt->isEnabled(), mode != 1 && mode != 5) << mode;
        for (QWidget* option : std::initializer_list<QWidget*>{w.a.eImgLoop, w.a.eImgDelay, w.a.chMouseOver, w.a.chControls})
            EXPECT_EQ(option->isEnabled(), mode == 0) << mode;
        EXPECT_EQ(text(w.a.lImgURL), urlLabels[mode]);
        EXPECT_EQ(text(w.a.lImgURLAlt), modeLabels[mode]);
    }
    choose(w.a.sbAppletAlign, 5);
    EXPECT_EQ(text(w.a.sbAppletAlign), "Centro");
    EXPECT_EQ(w.a.sbAppletAlign->property("Tag").toInt(), 5);
}

TEST(AssistantPanels, ImageButtonBuildsTheTagOfTheMode)
{
    TAssistantWindow w;
    setText(w.a.cbImgURL, "a.gif");
    w.select("");
    EXPECT_EQ(w.press(w.a.sbImgIns), "<IMG SRC=\"a.gif\">");
    EXPECT_TRUE(w.memo.hasFocus() || !w.form.isActiveWindow());
    // The options in their order.
    choose(w.a.sbImgAlign, 2);
    w.a.chImgAlt->setChecked(true);
    setText(w.a.cbImgALT, "Casa");
    const std::pair<TToolbarButtonKt*, QLineEdit*> sizes[] = {{w.a.sbImgWidth, w.a.eImgWidth}, {w.a.sbImgHeight, w.a.eImgHeight},
                                                              {w.a.sbImgBorder, w.a.eImgBorder}, {w.a.sbImgHSpace, w.a.eImgHSpace},
                                                              {w.a.sbImgVSpace, w.a.eImgVSpace}};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        sizes[i].first->SetDown(true);
        sizes[i].second->setText(QString::number(i + 1));
    }
    w.a.chImgIsmap->setChecked(true);
    w.select("");
    EXPECT_EQ(w.press(w.a.sbImgIns),
              "<IMG SRC=\"a.gif\" ALIGN=\"right\" ALT=\"Casa\" BORDER=\"3\" HSPACE=\"4\" VSPACE=\"5\" WIDTH=\"1\" HEIGHT=\"2\" ISMAP>");
    for (const auto& size : sizes)
        size.first->SetDown(false);
    w.a.chImgAlt->setChecked(false);
    choose(w.a.sbImgAlign, 0);
    // The secondary picture takes its attribute from the mode's hint.
    choose(w.a.sbImgMode, 2);
    setText(w.a.cbImgMode, "a-low.gif");
    w.select("");
    EXPECT_EQ(w.press(w.a.sbImgIns), "<IMG SRC=\"a.gif\" LOWSRC=\"a-low.gif\" ISMAP>");
    choose(w.a.sbImgMode, 0);
    setText(w.a.cbImgMode, "v.avi");
    w.a.eImgLoop->setText("2");
    w.a.eImgDelay->setText("100");
    w.a.chControls->setChecked(true);
    w.a.chMouseOver->setChecked(true);
    w.select("");
    EXPECT_EQ(w.press(w.a.sbImgIns),
              "<IMG SRC=\"a.gif\" DYNSRC=\"v.avi\" LOOP=\"2\" LOOPDELAY=\"100\" CONTROLS START=\"MouseOver\">");
    // An embedded object around the selection; Space inserts as a plain click does.
    choose(w.a.sbImgMode, 5);
    setText(w.a.cbImgURL, "x.mid");
    w.select("hola");
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(w.a.sbImgIns, &space);
    EXPECT_EQ(w.memo.GetTextStr(), "<EMBED SRC=\"x.mid\"><NOEMBED>hola</NOEMBED>");
    // The combos keep what was used, newest first.
    EXPECT_EQ(text(w.a.cbImgURL), "x.mid");
    ASSERT_EQ(w.a.cbImgURL->count(), 2);
    EXPECT_EQ(ToWin1252(w.a.cbImgURL->itemText(1)), "a.gif");
    EXPECT_EQ(ToWin1252(w.a.cbImgMode->itemText(0)), "v.avi");
}

TEST(AssistantPanels, TheAddressHistoryKeepsTwentyNewestFirst)
{
    TAssistantWindow w;
    for (int i = 0; i < 25; ++i) {
        setText(w.a.cbImgURL, std::string(1, 'p').append(std::to_string(i)).append(".gif").c_str());
        w.press(w.a.sbImgIns);
    }
    ASSERT_EQ(w.a.cbImgURL->count(), 20);
    EXPECT_EQ(ToWin1252(w.a.cbImgURL->itemText(0)), "p24.gif");
    EXPECT_EQ(ToWin1252(w.a.cbImgURL->itemText(19)), "p5.gif");
    EXPECT_EQ(w.a.History(w.a.cbImgURL).Items.Count(), 20);
}

TEST(AssistantPanels, ChosenFilesComeRelativeWithThePictureSize)
{
    TAssistantWindow w;
    TDialogAnswers dialogs;
    const std::string gif = w.folder.file("a.gif", "GIF89a" + Bytes({40, 0, 20, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 40, 0, 20, 0, 0}));
    const std::string avi = w.folder.file("v.avi", "RIFF");
    dialogs.answers = {{gif}, {avi}};
    SendMouse(*w.a.cbImgURL->lineEdit(), QEvent::MouseButtonDblClick, {3, 3});
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.requests[0].Picture);
    EXPECT_EQ(dialogs.requests[0].Filter.rfind("Im\xE1genes|*.gif;*.jpg;*.bmp;*.png|", 0), 0u);
    EXPECT_EQ(text(w.a.cbImgURL), w.form.RutaRelativa(gif));
    EXPECT_EQ(ToWin1252(w.a.eImgWidth->text()), "40");
    EXPECT_EQ(ToWin1252(w.a.eImgHeight->text()), "20");
    // The animation's file: its own dialog, and no size to take.
    choose(w.a.sbImgMode, 0);
    w.a.eImgWidth->clear();
    w.a.cbImgURLDblClick(w.a.cbImgMode);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_FALSE(dialogs.requests[1].Picture);
    EXPECT_EQ(dialogs.requests[1].Filter, "Animaciones (*.avi)|*.avi|Todos|*.*");
    EXPECT_EQ(text(w.a.cbImgMode), w.form.RutaRelativa(avi));
    EXPECT_TRUE(w.a.eImgWidth->text().isEmpty());
    // Cancelled: the text stays.
    w.a.cbImgURLDblClick(w.a.cbImgMode);
    EXPECT_EQ(text(w.a.cbImgMode), w.form.RutaRelativa(avi));
    // The form's image field picks through the window's picture dialog.
    dialogs.answers = {{gif}};
    w.a.eImageSRC->OnBtnClick(w.a.eImageSRC);
    EXPECT_EQ(ToWin1252(w.a.eImageSRC->text()), w.form.RutaRelativa(gif));
    EXPECT_TRUE(dialogs.requests.back().Picture);
}

TEST(AssistantPanels, AppletGoesOnLinesOfItsOwnUnlessCtrl)
{
    TAssistantWindow w;
    setText(w.a.cbAppletCode, "X.class");
    w.select("");
    EXPECT_EQ(w.press(w.a.sbAppletIns), "<APPLET CODE=\"X.class\">\r\n\r\n</APPLET>");
    w.select("");
    EXPECT_EQ(w.press(w.a.sbAppletIns, Qt::ControlModifier), "<APPLET CODE=\"X.class\"></APPLET>");
    w.a.chAppletName->setChecked(true);
    setText(w.a.cbAppletName, "reloj");
    w.a.sbAppletWidth->SetDown(true);
    w.a.eAppletWidth->setText("90");
    choose(w.a.sbAppletAlign, 1);
    w.select("");
    EXPECT_EQ(w.press(w.a.sbAppletIns, Qt::ControlModifier), "<APPLET CODE=\"X.class\" NAME=\"reloj\" WIDTH=\"90\" ALIGN=\"left\"></APPLET>");
    EXPECT_EQ(ToWin1252(w.a.cbAppletName->itemText(0)), "reloj");
    // A read-only document takes nothing.
    w.select("");
    w.memo.SetReadOnly(true);
    EXPECT_EQ(w.press(w.a.sbAppletIns), "");
    EXPECT_EQ(w.press(w.a.sbImgIns), "");
    EXPECT_EQ(w.a.cbAppletCode->count(), 1);
}

TEST(AssistantPanels, FieldButtonsChooseThePageTheInsertButtonBuilds)
{
    TAssistantWindow w;
    w.form.SidePanel().ShowAssistant(TSidePanel::asFormularios);
    QApplication::processEvents();
    const auto page = [&](int tag) {
        Click(*w.a.SBForm[tag], {5, 5});
        EXPECT_EQ(w.a.nbForm->currentIndex(), tag);
        EXPECT_EQ(w.a.sbOkForm->property("Tag").toInt(), tag);
        EXPECT_TRUE(w.a.SBForm[tag]->Down());
        w.select("");
        return w.press(w.a.sbOkForm);
    };
    w.a.eAction->setText("envia.cgi");
    EXPECT_EQ(page(ffForm), "<FORM METHOD=\"POST\" ACTION=\"envia.cgi\"></FORM>");
    w.a.eTarget->setText("_top");
    w.a.eTarget->SetChecked(true);
    EXPECT_EQ(page(ffForm), "<FORM METHOD=\"POST\" ACTION=\"envia.cgi\" TARGET=\"_top\"></FORM>");
    w.a.eBtnName->setText("b");
    EXPECT_EQ(page(ffButton), "<INPUT TYPE=\"submit\">");
    w.a.eHiddenName->setText("h");
    w.a.eHiddenValue->setText("1");
    EXPECT_EQ(page(ffHidden), "<INPUT TYPE=\"hidden\" NAME=\"h\" VALUE=\"1\">");
    w.a.eTextName->setText("t");
    w.a.eTextRows->setText("3");
    w.a.eTextRows->SetChecked(true);
    w.a.eTextCols->setText("40");
    w.a.eTextCols->SetChecked(true);
    EXPECT_EQ(page(ffTextArea), "<TEXTAREA NAME=\"t\" ROWS=\"3\" COLS=\"40\"></TEXTAREA>");
    w.a.cbTextWrap->setCurrentIndex(2);
    EXPECT_EQ(page(ffTextArea), "<TEXTAREA NAME=\"t\" ROWS=\"3\" COLS=\"40\" WRAP=\"virtual\"></TEXTAREA>");
    w.a.eCheckName->setText("c");
    w.a.chCheckOn->setChecked(true);
    EXPECT_EQ(page(ffCheck), "<INPUT TYPE=\"checkbox\" NAME=\"c\" CHECKED>");
    w.a.eImageSRC->setText("ok.gif");
    EXPECT_EQ(page(ffImage), "<INPUT TYPE=\"image\" SRC=\"ok.gif\">");
    w.a.eListName->setText("l");
    w.a.eListNumLines->setText("4");
    w.a.eListNumLines->SetChecked(true);
    w.a.chListMultiLine->setChecked(true);
    EXPECT_EQ(page(ffList), "<SELECT NAME=\"l\" SIZE=\"4\" MULTIPLE></SELECT>");
    w.a.eComboName->setText("k");
    EXPECT_EQ(page(ffCombo), "<SELECT NAME=\"k\"></SELECT>");
    // Ctrl puts the codes on lines of their own.
    Click(*w.a.SBForm[ffCombo], {5, 5});
    w.select("");
    EXPECT_EQ(w.press(w.a.sbOkForm, Qt::ControlModifier), "<SELECT NAME=\"k\">\r\n\r\n</SELECT>");
}
