// Tests of the tool pages: their sheets, controls and tags, the layout for the pages' width, page keys and hints, and the presses of their buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <set>
#include <string>
#include <vector>

#include "app/model/EditorKind.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/TagTable.h"
#include "app/model/ToolPageValues.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"
#include "components/VSpeedBtnMenu.h"
#include "components/VeltranEdit.h"
#include "editor/CodeMemo.h"
#include "editor/dialogs/SynElemF.h"
#include "platform/Buttons.h"
#include "platform/Menus.h"
#include "platform/TabControl.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/MouseEvents.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "toolbars/TabCtrls.h"
#include "toolbars/listComboKt.h"

namespace {

// A click near the top left corner of a button.
void press(QWidget& target, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Click(target, QPoint(3, 3), button, modifiers);
}

bool key(QWidget& target, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, qtKey, modifiers);
    QCoreApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

struct Form {
    TempRegistry registry{"app"};
    TformPrincipal form;
    TToolPageControls& c = form.Herramientas();

    Form()
    {
        form.resize(1024, 768);
        form.show();
    }

    void setPagesWidth(int width)
    {
        // The undo and redo buttons stand left of the pages.
        c.PTabs->resize(c.pDeshacer->width() + width, c.PTabs->height());
        EXPECT_EQ(c.pcSuperior->width(), width);
    }
};

} // namespace

TEST(ToolPages, EightButtonStyleSheetsWithTheirHintsAboveTheEditor)
{
    Form f;
    TPageSetControl& pages = *f.c.pcSuperior;
    EXPECT_TRUE(pages.ButtonStyle());
    EXPECT_TRUE(pages.HotTrack());
    EXPECT_EQ(pages.TabInactiveColor(), static_cast<TColor>(clBtnFace));
    EXPECT_EQ(pages.TabInactiveFont().Name(), "Arial");
    EXPECT_EQ(pages.TabHeight(), 16);
    ASSERT_EQ(pages.PageCount(), 8);
    std::vector<std::string> captions;
    for (int i = 0; i < pages.PageCount(); ++i) {
        captions.push_back(pages.Pages(i)->Caption());
        EXPECT_FALSE(pages.Pages(i)->TabHint().empty()) << i;
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"Documento", "Texto", "P\xE1rrafos", "Listas", "Tablas", "Enlaces",
                                                  "Scripts", "Sonido"}));
    EXPECT_EQ(pages.ActivePage(), f.c.tsDocumento);
    EXPECT_EQ(f.c.tsEnlaces->objectName(), "tsEnlaces");
    EXPECT_EQ(f.c.tsScripts->objectName(), "tsScripts");

    // The panel lies above the editor, across the window.
    EXPECT_TRUE(f.c.PHerramientas->isVisible());
    const QPoint panelBottom = f.c.PHerramientas->mapTo(&f.form, QPoint(0, f.c.PHerramientas->height()));
    const QPoint editorTop = f.form.CodeMemo()->mapTo(&f.form, QPoint(0, 0));
    EXPECT_LE(panelBottom.y(), editorTop.y());
    EXPECT_EQ(f.c.PTabs->width(), f.form.centralWidget()->width());

    // Hovering a tab shows its sheet's hint.
    for (int i = 0; i < pages.PageCount(); ++i) {
        MoveMouse(pages, TabCentre(pages, i));
        EXPECT_EQ(pages.Hint(), pages.Pages(i)->TabHint()) << i;
        EXPECT_EQ(ToWin1252(pages.toolTip()), pages.Pages(i)->TabHint()) << i;
    }
    MoveMouse(pages, TabCentre(pages, 1));
    EXPECT_EQ(pages.Hint(), "Fuente, tama\xF1o, color y estilos del texto");
}

TEST(ToolPages, CtrlTabMovesThroughTheEightSheetsFromAControlOnAPage)
{
    Form f;
    TPageSetControl& pages = *f.c.pcSuperior;
    std::vector<TTabSetSheet*> visited;
    for (int i = 0; i < 8; ++i) {
        // The key reaches the page control from a control of the page shown.
        QWidget* focus = pages.ActivePage();
        for (QWidget* child : pages.ActivePage()->findChildren<QWidget*>())
            if (child->focusPolicy() & Qt::TabFocus) {
                focus = child;
                break;
            }
        EXPECT_TRUE(key(*focus, Qt::Key_Tab, Qt::ControlModifier)) << i;
        visited.push_back(pages.ActivePage());
        EXPECT_TRUE(pages.ActivePage()->isVisible());
    }
    EXPECT_EQ(visited, (std::vector<TTabSetSheet*>{f.c.Sheets[1], f.c.Sheets[2], f.c.Sheets[3], f.c.Sheets[4],
                                                   f.c.Sheets[5], f.c.Sheets[6], f.c.Sheets[7], f.c.Sheets[0]}));
    EXPECT_TRUE(key(pages, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(pages.ActivePage(), f.c.Sheets[7]);
}

TEST(ToolPages, CtrlTabInTheEditorMovesThePagesAndTypesNothing)
{
    Form f;
    TPageSetControl& pages = *f.c.pcSuperior;
    TempDir folder("tools");
    f.form.AbreArchivo(folder.file("p.htm", "palabra"), false, ekHTML);
    TCodeMemo& memo = *f.form.CodeMemo();
    TSelectionRange caret{3, 3};
    memo.PerformSelection(SMM_SET, caret);
    ASSERT_EQ(ToWin1252(f.form.Panel(2)->text()), "");
    TTabSetSheet* first = pages.ActivePage();
    ASSERT_EQ(first, f.c.Sheets[0]);

    // Twice forward, once back: the pages move, the text and its state stay.
    EXPECT_TRUE(key(memo, Qt::Key_Tab, Qt::ControlModifier));
    EXPECT_EQ(pages.ActivePage(), f.c.Sheets[1]);
    EXPECT_TRUE(key(memo, Qt::Key_Tab, Qt::ControlModifier));
    EXPECT_EQ(pages.ActivePage(), f.c.Sheets[2]);
    EXPECT_TRUE(key(memo, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(pages.ActivePage(), f.c.Sheets[1]);
    QApplication::processEvents();
    EXPECT_EQ(EditorText(memo), "palabra");
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(ToWin1252(f.form.Panel(2)->text()), "");
    EXPECT_EQ(memo.GetSelStart(), 3);

    // A plain Tab still types.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(&memo, &tab);
    EXPECT_EQ(EditorText(memo), "pal\tabra");
    EXPECT_EQ(ToWin1252(f.form.Panel(2)->text()), "Modificado");
    EXPECT_EQ(pages.ActivePage(), f.c.Sheets[1]);

    // An editor without the window's pages never types Ctrl+Tab either.
    TCodeMemo alone;
    alone.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab"));
    alone.SetModified(false);
    key(alone, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(EditorText(alone), "ab");
    EXPECT_FALSE(alone.GetModified());
}

TEST(ToolPages, GroupsGrowWithThePagesWidthPastTheirThresholds)
{
    Form f;
    TToolPageControls& c = f.c;
    f.setPagesWidth(600);
    EXPECT_EQ(c.CbFuente->width(), 245);
    EXPECT_EQ(c.SbFuente->x(), 304);
    EXPECT_EQ(c.SbColorFuente->x(), 326);
    EXPECT_EQ(c.PColorFuente->x(), 329);
    EXPECT_EQ(c.bevelAtributos1->x(), 373);
    EXPECT_EQ(c.sbFont->x(), 378);
    EXPECT_EQ(c.sbB->x(), 452);
    EXPECT_EQ(c.sbSUB->x(), 540);
    EXPECT_EQ(c.sbTags->x(), 570);
    EXPECT_EQ(c.cbLinks->width(), 165);
    EXPECT_EQ(c.cbTargetLink->width(), 165);
    EXPECT_EQ(c.cbNameLinks->width(), 165);
    EXPECT_EQ(c.cbTargetLink->x(), 193);
    EXPECT_EQ(c.SBOkNameLink->x(), 368);
    EXPECT_EQ(c.cbNameLinks->x(), 393);
    EXPECT_EQ(c.sbLinkOptions->x(), 568);
    EXPECT_EQ(c.cbJavaParam->width(), 169);
    EXPECT_EQ(c.lblValor->x(), 365);
    EXPECT_EQ(c.cbJavaValue->x(), 398);
    EXPECT_EQ(c.cbBGSound->width(), 485);
    EXPECT_EQ(c.sbSoundLoop->x(), 514);
    EXPECT_EQ(c.ELoop->x(), 540);
    EXPECT_EQ(c.udLoop->x(), 577);

    // An odd extra is rounded toward zero.
    f.setPagesWidth(601);
    EXPECT_EQ(c.cbJavaValue->x(), 398);
    EXPECT_EQ(c.cbLinks->width(), 166);

    // Below their thresholds the font, link and applet groups go back to their places.
    f.setPagesWidth(400);
    EXPECT_EQ(c.CbFuente->width(), 100);
    EXPECT_EQ(c.SbFuente->x(), 159);
    EXPECT_EQ(c.sbTags->x(), 425);
    EXPECT_EQ(c.cbLinks->width(), 100);
    EXPECT_EQ(c.sbLinkOptions->x(), 373);
    EXPECT_EQ(c.cbJavaValue->x(), 329);
    EXPECT_EQ(c.cbJavaValue->width(), 100);
    EXPECT_EQ(c.cbBGSound->width(), 285);
    EXPECT_EQ(c.udLoop->x(), 377);
    // Each threshold on its own: just above and at it.
    f.setPagesWidth(502);
    EXPECT_EQ(c.CbFuente->width(), 147);
    f.setPagesWidth(501);
    EXPECT_EQ(c.CbFuente->width(), 100);
    EXPECT_EQ(c.cbLinks->width(), 132);
    f.setPagesWidth(449);
    EXPECT_EQ(c.cbLinks->width(), 100);
    f.setPagesWidth(509);
    EXPECT_EQ(c.cbJavaParam->width(), 123);
    f.setPagesWidth(508);
    EXPECT_EQ(c.cbJavaParam->width(), 100);
    f.setPagesWidth(262);
    EXPECT_EQ(c.cbBGSound->width(), 147);
    f.setPagesWidth(261);
    EXPECT_EQ(c.cbBGSound->width(), 100);
    EXPECT_EQ(c.udLoop->x(), 192);
}

TEST(ToolPages, ControlsCarryTheirNamesTagsAndStartingValues)
{
    Form f;
    TToolPageControls& c = f.c;
    auto tag = [](QWidget* w) { return w->property("Tag").toInt(); };
    EXPECT_EQ(tag(c.sbB), 55);
    EXPECT_EQ(tag(c.sbI), 54);
    EXPECT_EQ(tag(c.sbFont), 51);
    EXPECT_EQ(tag(c.sbTamanoBase), 50);
    EXPECT_EQ(tag(c.SbFuente), 52);
    EXPECT_EQ(tag(c.SbColorFuente), 53);
    EXPECT_EQ(tag(c.SbCabecera), 1);
    EXPECT_EQ(tag(c.SbTamanoFuente), 2);
    EXPECT_EQ(tag(c.sbTags), 3);
    EXPECT_EQ(tag(c.sbSound), 5);
    EXPECT_EQ(tag(c.sbBr), 13);
    EXPECT_EQ(tag(c.sbHr), 15);
    EXPECT_EQ(tag(c.sbColor), 30);
    EXPECT_EQ(tag(c.SBOkNameLink), 201);
    EXPECT_EQ(c.MenuButtons.size(), 25u);
    std::set<std::string> names;
    for (TVSpeedBtnMenu* button : c.MenuButtons)
        names.insert(button->objectName().toStdString());
    for (const char* name : {"sbHTML", "VSpeedBtnMenu1", "sbLinkOptions", "sbShape", "sbFrameset", "sbFrame", "sbIFrame",
                             "sbScripts", "sbTableOptions", "sbColGroup", "sbTableFrame", "sbTableRules",
                             "sbTableHeads", "sbSpacer", "sbMulticol", "sbMarquee", "SbCabecera", "SbTamanoFuente",
                             "sbTags", "sbBlockTags", "sbDocType", "sbSound", "sbBr", "sbHr", "sbColor"})
        EXPECT_EQ(names.count(name), 1u) << name;

    // Every named control sits on a page and the status bar gets its hint.
    for (QWidget* w : {static_cast<QWidget*>(c.CbFuente), static_cast<QWidget*>(c.cbLinks),
                       static_cast<QWidget*>(c.eListValue), static_cast<QWidget*>(c.udRows)}) {
        EXPECT_NE(dynamic_cast<TTabSetSheet*>(w->parentWidget()), nullptr) << w->objectName().toStdString();
        EXPECT_FALSE(w->statusTip().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_EQ(ToWin1252(c.sbB->statusTip()), "Negrita");

    // The font list holds the screen's fonts with the first one chosen; the edits are 22 high.
    EXPECT_GT(c.CbFuente->ItemCount(), 0);
    EXPECT_EQ(c.CbFuente->ItemIndex(), 0);
    EXPECT_EQ(c.CbFuente->text(), c.CbFuente->Item(0));
    for (QWidget* w : {static_cast<QWidget*>(c.CbFuente), static_cast<QWidget*>(c.EStartOL),
                       static_cast<QWidget*>(c.ELoop), static_cast<QWidget*>(c.eRows), static_cast<QWidget*>(c.eCols)})
        EXPECT_EQ(w->height(), 22) << w->objectName().toStdString();
    // The four numeric fields are flat edits, idle until focused.
    for (TEditKt* edit : {c.EStartOL, c.ELoop, c.eRows, c.eCols}) {
        EXPECT_EQ(edit->contentsMargins(), QMargins(3, 3, 3, 3)) << edit->objectName().toStdString();
        EXPECT_FALSE(edit->Hot()) << edit->objectName().toStdString();
    }
    // The address and value boxes are flat combos; the font list takes several fonts, its hint names them.
    for (TComboBoxKt* combo : {c.cbLinks, c.cbTargetLink, c.cbNameLinks, c.cbJavaParam, c.cbJavaValue, c.cbBGSound})
        EXPECT_TRUE(combo->Flat()) << combo->objectName().toStdString();
    EXPECT_EQ(c.CbFuente->font().family(), "Arial");
    EXPECT_EQ(c.CbFuente->font().pointSize(), 8);
    EXPECT_EQ(c.CbFuente->BoxWidth(), 17);
    EXPECT_FALSE(c.CbFuente->BoxGlyph().isNull());
    EXPECT_EQ(c.CbFuente->ListHeight(), 120);
    EXPECT_TRUE(c.CbFuente->Multiselect());
    c.CbFuente->setText("Arial,Verdana");
    EXPECT_EQ(ToWin1252(c.CbFuente->statusTip()), "Fuente a utilizar: Arial,Verdana");
    EXPECT_TRUE(c.UL[0]->Down());
    EXPECT_TRUE(c.OL[0]->Down());
    EXPECT_FALSE(c.sbOLStart->Down());
    EXPECT_EQ(c.SbTamanoFuente->ItemIndex(), 2);
    EXPECT_TRUE(c.eListValue->CheckVisible());

    // List kinds are exclusive within their group.
    press(*c.UL[2]);
    EXPECT_TRUE(c.UL[2]->Down());
    EXPECT_FALSE(c.UL[0]->Down());
    press(*c.OL[3]);
    EXPECT_TRUE(c.OL[3]->Down());
    EXPECT_TRUE(c.UL[2]->Down());
    // A down list kind stays down when pressed again; the start button latches on and off.
    press(*c.UL[2]);
    EXPECT_TRUE(c.UL[2]->Down());
    press(*c.sbOLStart);
    EXPECT_TRUE(c.sbOLStart->Down());
    EXPECT_EQ(c.sbOLStart->State(), bsExclusive);
    press(*c.sbOLStart);
    EXPECT_FALSE(c.sbOLStart->Down());

    // The spin buttons step their edits within range; the loop button asks for an endless loop.
    c.Rows->SetPosition(99);
    c.udRows->OnUpClick(c.udRows);
    EXPECT_EQ(c.eRows->text(), "99");
    c.Cols->SetPosition(0);
    c.udCols->OnDownClick(c.udCols);
    EXPECT_EQ(c.eCols->text(), "0");
    c.udCols->OnUpClick(c.udCols);
    EXPECT_EQ(c.Cols->Position(), 1);
    c.eCols->setText("x");
    EXPECT_EQ(c.Cols->Position(), 0);
    c.sbSoundLoop->Click();
    EXPECT_EQ(c.ELoop->text(), "-1");
}

TEST(ToolPages, TheValueRecordIsFilledFromTheControlsAndCombosTakeTheirHistoryBack)
{
    Form f;
    TToolPageControls& c = f.c;
    TToolPagesLink link(c);
    c.pColor->SetColor(0x00336699);
    c.PColorFuente->SetColor(0x000000FF);
    c.CbFuente->setText("Arial");
    c.SbTamanoFuente->SetItemIndex(4);
    c.cbBGSound->setEditText("fondo.mid");
    c.ELoop->setText("3");
    c.cbJavaParam->setEditText("velocidad");
    c.cbJavaValue->setEditText("10");
    c.cbLinks->addItems({"b.htm", "c.htm"});
    c.cbLinks->setEditText("a.htm");
    c.cbNameLinks->setEditText("x");
    c.cbTargetLink->setEditText("_top");
    c.UL[1]->SetDown(true);
    c.OL[4]->SetDown(true);
    c.sbOLStart->SetDown(true);
    c.EStartOL->setText("7");
    c.eListValue->setText("uno");
    c.eListValue->SetChecked(true);
    c.chComboOn->setChecked(true);
    c.eComboValue->setText("dos");
    c.eRepInicio->setText("<LI>");
    c.eRepFinal->setText("<BR>");
    c.Rows->SetPosition(3);
    c.Cols->SetPosition(4);

    TToolPageValues v;
    v.StyleEntry = "P.nota"; // the side panel's part stays as it was
    link.FillValues(v);
    EXPECT_EQ(v.Color, 0x00336699u);
    EXPECT_EQ(v.FontColor, 0x000000FFu);
    EXPECT_EQ(v.FontFace, "Arial");
    EXPECT_EQ(v.FontSizeIndex, 4);
    EXPECT_EQ(v.BGSound.Text, "fondo.mid");
    EXPECT_EQ(v.Loop, "3");
    EXPECT_EQ(v.JavaParam.Text, "velocidad");
    EXPECT_EQ(v.JavaValue.Text, "10");
    EXPECT_EQ(v.Links.Text, "a.htm");
    EXPECT_EQ(v.Links.Items.Text(), "b.htm\r\nc.htm\r\n");
    EXPECT_EQ(v.NameLinks.Text, "x");
    EXPECT_EQ(v.TargetLink.Text, "_top");
    EXPECT_EQ(v.ULKind, 1);
    EXPECT_EQ(v.OLKind, 4);
    EXPECT_TRUE(v.OLStartOn);
    EXPECT_EQ(v.OLStart, "7");
    EXPECT_EQ(v.ListValue, "uno");
    EXPECT_TRUE(v.ListValueOn);
    EXPECT_FALSE(v.ListSelected);
    EXPECT_EQ(v.ComboValue, "dos");
    EXPECT_FALSE(v.ComboValueOn);
    EXPECT_TRUE(v.ComboSelected);
    EXPECT_EQ(v.RepeatPrefix, "<LI>");
    EXPECT_EQ(v.RepeatSuffix, "<BR>");
    EXPECT_EQ(v.TableRows, 3);
    EXPECT_EQ(v.TableCols, 4);
    EXPECT_EQ(v.StyleEntry, "P.nota");

    // A command that kept the texts in the histories gives them back to the boxes.
    for (THistoryCombo* combo : {&v.Links, &v.NameLinks, &v.TargetLink})
        AddToHistory(*combo);
    v.Links.Text = "a.htm";
    link.TakeBackCombos(v);
    ASSERT_EQ(c.cbLinks->count(), 3);
    EXPECT_EQ(c.cbLinks->itemText(0), "a.htm");
    EXPECT_EQ(c.cbLinks->itemText(2), "c.htm");
    EXPECT_EQ(c.cbLinks->currentText(), "a.htm");
    EXPECT_EQ(c.cbNameLinks->itemText(0), "x");
    EXPECT_EQ(c.cbTargetLink->currentText(), "_top");
    EXPECT_EQ(c.cbBGSound->count(), 0);
    EXPECT_EQ(c.cbBGSound->currentText(), "fondo.mid");
}

TEST(ToolPages, DropDownButtonsHoldTheirListsFromTheTagTable)
{
    Form f;
    for (const std::string& name : DropDownButtonNames()) {
        auto* button = dynamic_cast<TVSpeedBtnMenu*>(f.c.pcSuperior->findChild<QWidget*>(QString::fromStdString(name)));
        ASSERT_NE(button, nullptr) << name;
        const TDropDownList list = DropDownList(name);
        EXPECT_GT(button->Items().Count(), 0) << name;
        EXPECT_EQ(button->Items().Text(), list.Items.Text()) << name;
        EXPECT_EQ(button->Hints().Text(), list.Hints.Text()) << name;
        if (list.Handler == TDropDownHandler::Tag) {
            EXPECT_EQ(button->property("Tag").toInt(), list.Tag) << name;
        }
    }
    // The heading, line-break and rule buttons fill their lists on a right press.
    EXPECT_EQ(f.c.SbCabecera->Items().Count(), 0);
    EXPECT_EQ(f.c.sbBr->Items().Count(), 0);
    EXPECT_EQ(f.c.sbHr->Items().Count(), 0);
}

namespace {

struct TPressRecord {
    QWidget* Sender = nullptr;
    Qt::MouseButton Button = Qt::NoButton;
    TShiftState Shift = 0;
};

// Chooses the item `index` of the menu that pops up next, once it shows.
void chooseFromNextMenu(int index)
{
    QTimer::singleShot(0, [index] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->actions().at(index)->trigger();
        menu->close();
    });
}

} // namespace

TEST(ToolPages, PressesReportTheirButtonAndKeysAndTheKeyboardPressesWithout)
{
    QWidget page;
    TToolPressFilter filter(&page);
    auto* plain = new TToolbarButtonKt(&page);
    auto* menu = new TVSpeedBtnMenu(&page);
    menu->move(40, 0);
    std::vector<TPressRecord> presses;
    const auto record = [&](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
        presses.push_back({sender, button, shift});
        // The press is seen before the button's own handling puts it down.
        if (sender == plain) {
            EXPECT_NE(plain->State(), bsDown);
        }
    };
    filter.Watch(plain, record);
    filter.Watch(menu, record);
    int clicks = 0;
    plain->OnClick = [&](TToolbarButtonKt*) { ++clicks; };
    page.show();

    press(*plain, Qt::LeftButton, Qt::ControlModifier);
    press(*plain, Qt::RightButton, Qt::ShiftModifier);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].Sender, plain);
    EXPECT_EQ(presses[0].Button, Qt::LeftButton);
    EXPECT_TRUE(presses[0].Shift & ssCtrl);
    EXPECT_FALSE(presses[0].Shift & ssShift);
    EXPECT_EQ(presses[1].Button, Qt::RightButton);
    EXPECT_TRUE(presses[1].Shift & ssShift);
    EXPECT_FALSE(presses[1].Shift & ssCtrl);

    // Space and Enter press the focused button once, as a left press without keys; the button's own
    // click does not follow, and a held key does not repeat the press.
    presses.clear();
    clicks = 0;
    for (int k : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(plain, &down);
        QKeyEvent held(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(plain, &held);
        QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier);
        QCoreApplication::sendEvent(plain, &up);
    }
    ASSERT_EQ(presses.size(), 3u);
    for (const TPressRecord& p : presses) {
        EXPECT_EQ(p.Sender, plain);
        EXPECT_EQ(p.Button, Qt::LeftButton);
        EXPECT_EQ(p.Shift & (ssShift | ssCtrl | ssAlt), 0u);
    }
    EXPECT_EQ(clicks, 0);
    // Other keys, and Space with a key held, are the button's own.
    EXPECT_FALSE(key(*plain, Qt::Key_A));
    key(*plain, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(presses.size(), 3u);

    // From the keyboard a drop-down button shows its menu, and the choice is reported.
    presses.clear();
    menu->Items().SetText("uno\ndos\ntres");
    int chosen = -1;
    menu->OnSelect = [&](TVSpeedBtnMenu* sender) { chosen = sender->ItemIndex(); };
    chooseFromNextMenu(1);
    key(*menu, Qt::Key_Space);
    EXPECT_EQ(chosen, 1);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].Sender, menu);
    EXPECT_EQ(presses[0].Button, Qt::LeftButton);

    // A disabled button takes no press.
    presses.clear();
    plain->setEnabled(false);
    press(*plain);
    key(*plain, Qt::Key_Space);
    EXPECT_TRUE(presses.empty());
}

namespace {

void selectAll(TCodeMemo& memo, const std::string& text)
{
    memo.Lines().SetText(text);
    memo.SelectAll();
}

} // namespace

TEST(ToolPagesInsert, ButtonsInsertWithCtrlShiftAndTheRightButton)
{
    Form f;
    TCodeMemo& memo = *f.form.CodeMemo();
    f.form.Config().InsCaseMode = 3;
    f.form.AbreArchivo("", false, ekHTML);

    selectAll(memo, "abc");
    press(*f.c.sbB);
    EXPECT_EQ(EditorText(memo), "<b>abc</b>");
    EXPECT_EQ(memo.GetSelText(), "abc");

    // With Ctrl the codes go on lines of their own around the selection, which stays selected.
    selectAll(memo, "abc");
    auto* div = dynamic_cast<TToolbarButtonKt*>(f.c.pcSuperior->findChild<QWidget*>("sbDiv"));
    ASSERT_NE(div, nullptr);
    press(*div, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(EditorText(memo), "<div>\rabc\r</div>");
    EXPECT_EQ(memo.GetSelText(), "abc");

    // With Shift the bare codes replace the selection.
    selectAll(memo, "abc");
    press(*f.c.sbB, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(EditorText(memo), "<b></b>");

    // From the keyboard a button inserts as a click without keys.
    selectAll(memo, "abc");
    f.c.sbI->setFocus();
    key(*f.c.sbI, Qt::Key_Space);
    EXPECT_EQ(EditorText(memo), "<i>abc</i>");

    // A right press on the line-break button offers the three breaks and inserts nothing; the
    // menu's choice inserts its break; a left press inserts a plain break and shows no menu.
    selectAll(memo, "abc");
    chooseFromNextMenu(2);
    press(*f.c.sbBr, Qt::RightButton);
    EXPECT_EQ(f.c.sbBr->Items().Text(), "Vuelve al margen izquierdo\r\nVuelve al margen derecho\r\nSalto completo\r\n");
    // A break has no closing code: it goes before the selection.
    EXPECT_EQ(EditorText(memo), "<br clear=\"All\">abc");
    memo.Lines().SetText("");
    press(*f.c.sbBr);
    EXPECT_EQ(EditorText(memo), "<br>");
    EXPECT_EQ(f.c.sbBr->Items().Count(), 0);
}

TEST(ToolPagesInsert, HeadingFontAndLinkButtonsReadTheirPages)
{
    Form f;
    TCodeMemo& memo = *f.form.CodeMemo();
    f.form.Config().InsCaseMode = 4;
    f.form.AbreArchivo("", false, ekHTML);

    // A right press on the heading button offers H1 to H6; the third gives H3 and becomes its caption.
    memo.Lines().SetText("");
    chooseFromNextMenu(2);
    press(*f.c.SbCabecera, Qt::RightButton);
    EXPECT_EQ(EditorText(memo), "<H3></H3>");
    EXPECT_EQ(f.c.SbCabecera->text(), "H3");
    // A left press inserts the heading of its caption at once.
    memo.Lines().SetText("");
    press(*f.c.SbCabecera);
    EXPECT_EQ(EditorText(memo), "<H3></H3>");

    memo.Lines().SetText("");
    f.c.CbFuente->setText("Arial");
    f.c.PColorFuente->SetColor(0x000000FF);
    f.c.SbTamanoFuente->SetItemIndex(2);
    press(*f.c.sbFont);
    EXPECT_EQ(EditorText(memo), "<FONT COLOR=\"#FF0000\" FACE=\"Arial\" SIZE=\"3\"></FONT>");
    // A right press on the face button gives the attribute alone.
    memo.Lines().SetText("");
    press(*f.c.SbFuente, Qt::RightButton);
    EXPECT_EQ(EditorText(memo), " FACE=\"Arial\"");
    EXPECT_EQ(f.c.SbFuente->State(), bsUp);

    memo.Lines().SetText("");
    f.c.cbLinks->setEditText(" a.htm ");
    f.c.cbNameLinks->setEditText("x");
    f.c.cbTargetLink->setEditText("_top");
    press(*f.c.sbEnlace);
    EXPECT_EQ(EditorText(memo), "<A HREF=\"a.htm#x\" TARGET=\"_top\"></A>");
    EXPECT_EQ(f.c.cbLinks->itemText(0), "a.htm");
    EXPECT_EQ(f.c.cbLinks->currentText(), "a.htm");
    EXPECT_EQ(f.c.cbNameLinks->itemText(0), "x");
    EXPECT_EQ(f.c.cbTargetLink->itemText(0), "_top");
}

TEST(ToolPagesInsert, EveryFlatButtonOfThePagesInsertsOnItsPressAndComesBackUp)
{
    Form f;
    TCodeMemo& memo = *f.form.CodeMemo();
    f.form.AbreArchivo("", false, ekHTML);
    // Buttons turn hot only while the application is active.
    f.form.activateWindow();
    QApplication::processEvents();
    f.c.eRepInicio->setText("<LI>");
    int inserting = 0;
    for (TTabSetSheet* sheet : f.c.Sheets) {
        f.c.pcSuperior->SetActivePage(sheet);
        for (QWidget* control : sheet->findChildren<QWidget*>()) {
            auto* button = dynamic_cast<TToolbarButtonKt*>(control);
            if (!button)
                continue;
            const std::string name = button->objectName().toStdString();
            EXPECT_TRUE(button->Flat()) << name;
            EXPECT_FALSE(button->Caption().empty()) << name;
            // The latching buttons and the loop button insert nothing.
            if (button->GroupIndex() != 0 || button == f.c.sbSoundLoop)
                continue;
            ++inserting;
            memo.Lines().SetText("x");
            memo.SelectAll();
            // Hot while the pointer is over it, down while held, up again after the click.
            SendMouse(*button, QEvent::MouseMove, {3, 3});
            EXPECT_EQ(button->State(), bsMouseIn) << name;
            EXPECT_EQ(HotButton(), button) << name;
            SendMouse(*button, QEvent::MouseButtonPress, {3, 3});
            EXPECT_NE(EditorText(memo), "x") << name;
            EXPECT_EQ(button->State(), bsDown) << name;
            SendMouse(*button, QEvent::MouseButtonRelease, {3, 3});
            EXPECT_NE(button->State(), bsDown) << name;
            button->MouseLeft();
            EXPECT_EQ(button->State(), bsUp) << name;
        }
    }
    // The repeat tool's button lies on the side panel.
    EXPECT_EQ(inserting, 51);
}

TEST(ToolPagesHistory, TheUndoButtonUndoesAStepAndItsArrowDownToTheChosenEntry)
{
    Form f;
    TToolPageControls& c = f.c;
    TCodeMemo& memo = *f.form.CodeMemo();
    // Combo buttons left of the pages, with the history menus and their hints.
    for (TToolbarButtonKt* button : {c.sbDeshacer, c.sbRehacer}) {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->DropdownCombo());
        EXPECT_EQ(button->width(), 23 + 11);
        EXPECT_FALSE(button->toolTip().isEmpty());
        EXPECT_FALSE(button->Glyph().isNull());
        EXPECT_LT(button->mapTo(c.PTabs, QPoint(button->width(), 0)).x(), c.pcSuperior->x() + 1);
    }
    EXPECT_EQ(c.sbDeshacer->objectName(), "sbDeshacer");
    EXPECT_EQ(c.sbRehacer->objectName(), "sbRehacer");
    EXPECT_EQ(static_cast<QMenu*>(c.sbDeshacer->DropdownMenu()), f.form.UndoPopup());
    EXPECT_EQ(static_cast<QMenu*>(c.sbRehacer->DropdownMenu()), f.form.RedoPopup());

    f.form.AbreArchivo("", false, ekHTML);
    // Undo goes to the focused editor.
    f.form.activateWindow();
    memo.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(c.sbDeshacer->isEnabled());
    EXPECT_FALSE(c.sbRehacer->isEnabled());
    for (TToolbarButtonKt* button : {c.sbB, c.sbI, c.sbU, c.sbS})
        press(*button);
    const std::string four = EditorText(memo);
    EXPECT_TRUE(c.sbDeshacer->isEnabled());
    EXPECT_FALSE(c.sbRehacer->isEnabled());

    // The plain part undoes one step, and the redo button's brings it back.
    press(*c.sbDeshacer);
    const std::string three = EditorText(memo);
    EXPECT_NE(three, four);
    EXPECT_TRUE(c.sbRehacer->isEnabled());
    press(*c.sbRehacer);
    EXPECT_EQ(EditorText(memo), four);
    press(*c.sbDeshacer);

    // The arrow opens the history without undoing; its third entry undoes three steps.
    std::vector<std::string> entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            entries.push_back(ToWin1252(action->text()));
        EXPECT_EQ(EditorText(memo), three);
        menu->actions().at(2)->trigger();
        menu->close();
    });
    SendMouse(*c.sbDeshacer, QEvent::MouseButtonPress, {c.sbDeshacer->width() - 5, 5});
    SendMouse(*c.sbDeshacer, QEvent::MouseButtonRelease, {c.sbDeshacer->width() - 5, 5});
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(EditorText(memo), "");
    EXPECT_FALSE(c.sbDeshacer->isEnabled());
    EXPECT_TRUE(c.sbRehacer->isEnabled());
}
