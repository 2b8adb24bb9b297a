// Tests of the main window's file, edit and view commands, driven headless: undo history menus, find next, word characters, data drops, toggles and printing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/dialogs/UFormMarcos.h"
#include "app/host/EditingFile.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/ResourceReport.h"
#include "app/model/libKestrima.h"
#include "app/window/AuxiliaryEditor.h"
#include "app/window/uFormPrincipal.h"
#include "components/EditBtns.h"
#include "components/KrCtrls.h"
#include "components/PrevForm.h"
#include "components/PrevPrinter.h"
#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "editor/model/Undo.h"
#include "editor/CodeMemoTestSupport.h"
#include "platform/FileDialogs.h"
#include "platform/FindDialog.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "support/BoxAnswers.h"
#include "support/BrowserAddress.h"
#include "support/MainWindowDocuments.h"
#include "support/Bytes.h"
#include "support/MouseEvents.h"
#include "support/PageElements.h"
#include "support/PdfWords.h"
#include "support/RecordingPrintTarget.h"
#include "support/ShellOpens.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/Win1252Text.h"

namespace {

// Types one character into the editor as the keyboard does.
void type(TCodeMemo& memo, char ch)
{
    const QString text = FromWin1252(std::string(1, ch));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&memo, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&memo, &up);
}

void typeText(TCodeMemo& memo, const std::string& text)
{
    for (char ch : text)
        type(memo, ch);
}

// Drags `data` over the editor and drops it as a copy at text offset `offset`; whether the editor
// accepted the drag.
bool dropOnto(TCodeMemo& memo, QMimeData& data, int offset)
{
    const TPoint at = memo.PointFromOffset(offset);
    const QPoint point = QPoint(at.X + 1, at.Y + 1) + memo.contentsRect().topLeft();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &drop);
    return true;
}

// A page in `dir` whose body takes dropped files, the codes going in as written, names relative to the page.
void openDropPage(TformPrincipal& form, const TempDir& dir)
{
    form.Config().InsertDirs = 2;
    form.Config().InsCaseMode = 4;
    form.AbreArchivo(dir.file("page.htm", ""), false, ekHTML);
    SetText(*form.CodeMemo(), "<BODY></BODY>");
}

QAction* item(TformPrincipal& form, const char* name)
{
    auto* action = form.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
}

// Runs the page setup, where the user types the margins in millimetres and confirms; true when the
// dialog showed the unit and the four margins.
bool pageSetup(TformPrincipal& form, double left, double top, double right, double bottom, bool landscape = false)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (landscape) {
            auto* apaisado = dialog->findChild<QRadioButton*>("landscape");
            if (!apaisado) {
                dialog->reject();
                return;
            }
            apaisado->click();
        }
        auto* unit = dialog->findChild<QComboBox*>("unitCombo");
        if (unit)
            unit->setCurrentIndex(unit->findData(QVariant::fromValue(QPageLayout::Millimeter)));
        const std::pair<const char*, double> margins[] = {
            {"leftMargin", left}, {"topMargin", top}, {"rightMargin", right}, {"bottomMargin", bottom}};
        int set = 0;
        for (const auto& [name, value] : margins)
            if (auto* box = dialog->findChild<QDoubleSpinBox*>(name)) {
                box->setValue(value);
                emit box->editingFinished();
                ++set;
            }
        shown = unit && set == 4;
        dialog->accept();
    });
    item(form, "mPrepararPagina")->trigger();
    return shown;
}

// The captions of a history menu as it shows when opened.
std::vector<std::string> captions(QMenu* menu)
{
    std::vector<std::string> result;
    for (QAction* action : menu->actions())
        result.push_back(ToWin1252(action->text()));
    return result;
}

std::vector<std::string> openedUndo(TformPrincipal& form)
{
    form.UndoPopupPopup();
    return captions(form.UndoPopup());
}

// The status bar's changed mark.
std::string modifiedText(TformPrincipal& form)
{
    return ToWin1252(form.Panel(2)->text());
}

std::vector<std::string> openedRedo(TformPrincipal& form)
{
    form.RedoPopupPopup();
    return captions(form.RedoPopup());
}

// A window with a new document open, in a registry of its own.
struct TDocumentWindow {
    TDocumentWindow() { form.mNuevoClick(); }
    TempRegistry registry{"commands"};
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
};

// A window shown (at `size` when given) and active, with the keyboard in its editor.
struct TShownForm {
    explicit TShownForm(QSize size = {})
    {
        if (size.isValid())
            form.resize(size);
        form.show();
        form.mNuevoClick();
        form.activateWindow();
        memo.setFocus();
        QApplication::processEvents();
    }
    TempRegistry registry{"commands"};
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
};

} // namespace

TEST(MainWindowCommands, TheItemsCarryTheirCaptionsAndKeys)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    const std::pair<const char*, const char*> keys[] = {
        {"mDeshacer", "Ctrl+Z"}, {"mRehacer", "Ctrl+Shift+Z"}, {"mCortar", "Ctrl+X"}, {"mCopiar", "Ctrl+C"},
        {"mPegar", "Ctrl+V"}, {"mSeleccionaTodo", "Ctrl+E"}, {"mBuscar", "Ctrl+B"}, {"mBuscaOtro", "F3"},
        {"mReemplazar", "Ctrl+R"}, {"mVerBarra", "F9"}, {"mVerLateral", "F10"}, {"BorrarAnterior", "Ctrl+Backspace"}};
    for (const auto& [name, sequence] : keys)
        EXPECT_EQ(item(form, name)->shortcut().toString().toStdString(), sequence) << name;
    EXPECT_EQ(ToWin1252(item(form, "mSoloLectura")->text()), "S\xF3lo &lectura");
    EXPECT_EQ(ToWin1252(item(form, "mAjustaTexto")->text()), "&Ajuste de l\xEDnea");
    EXPECT_EQ(ToWin1252(item(form, "mImprimirSel")->text()), "I&mprimir texto seleccionado");
    EXPECT_EQ(ToWin1252(item(form, "mPrepararPagina")->text()), "&Preparar p\xE1gina...");
    const char* tagged[] = {"mDeshacer", "mRehacer", "mCortar", "mCopiar", "mPegar", "mBorrar", "mSeleccionaTodo"};
    for (int tag = 1; tag <= 7; ++tag)
        EXPECT_EQ(item(form, tagged[tag - 1])->data().toInt(), tag);
    EXPECT_EQ(item(form, "mImprimir")->data().toInt(), 0);
    EXPECT_EQ(item(form, "mImprimirSel")->data().toInt(), 1);
    // The hidden menu's item still acts through its key: the window holds it.
    EXPECT_TRUE(form.actions().contains(item(form, "BorrarAnterior")));
}

TEST(MainWindowCommands, WordCharactersAreTheSpanishLettersDigitsHashAndUnderscore)
{
    int words = 0;
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        const bool ascii = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
        const std::string accented = "\xC1\xC9\xCD\xD1\xD3\xDA\xE1\xE9\xED\xF1\xF3\xFA";
        const bool expected = ascii || ch == '#' || ch == '_' || accented.find(ch) != std::string::npos;
        EXPECT_EQ(TformPrincipal::CharIsInWord(ch), expected) << code;
        words += expected;
    }
    EXPECT_EQ(words, 10 + 26 + 26 + 2 + 12);
    EXPECT_FALSE(TformPrincipal::CharIsInWord('\xFC')); // ü
    EXPECT_FALSE(TformPrincipal::CharIsInWord('\t'));
    EXPECT_FALSE(TformPrincipal::CharIsInWord('\0'));

    TShownForm w;
    ASSERT_TRUE(w.memo.fn_CharIsInWord && w.memo.fn_CharStartsWord);
    EXPECT_FALSE(w.memo.fn_CharStartsWord('-'));
    SetText(w.memo, "x = #a\xF1o_1-z");
    const TPoint at = w.memo.PointFromOffset(6);
    SendMouse(w.memo, QEvent::MouseButtonDblClick, QPoint(at.X + 1, at.Y + 1) + w.memo.contentsRect().topLeft());
    EXPECT_EQ(w.memo.GetSelText(), "#a\xF1o_1");
}

TEST(MainWindowCommands, TheUndoMenuNamesTheGroupsAndUndoesDownToTheChosenOne)
{
    TDocumentWindow w;
    EXPECT_EQ(openedUndo(w.form), std::vector<std::string>{"Nada que deshacer"});
    EXPECT_EQ(openedRedo(w.form), std::vector<std::string>{"Nada que rehacer"});
    // Choosing the empty menu's only item does nothing.
    w.form.UndoPopup()->actions().front()->trigger();

    typeText(w.memo, "abc");
    EXPECT_EQ(openedUndo(w.form), std::vector<std::string>{"Escritura"});

    Select(w.memo, 0, 0);
    w.memo.BeginUndoGroup(ugPaste);
    Insert(w.memo, "xy");
    w.memo.EndUndoGroup(ugPaste);
    ASSERT_EQ(w.memo.StoredText(), "xyabc");
    EXPECT_EQ(openedUndo(w.form), (std::vector<std::string>{"Pegar", "Escritura"}));

    w.form.UndoPopup()->actions().at(1)->trigger();
    EXPECT_EQ(w.memo.StoredText(), "");
    EXPECT_EQ(openedUndo(w.form), std::vector<std::string>{"Nada que deshacer"});
    EXPECT_EQ(openedRedo(w.form), (std::vector<std::string>{"Escritura", "Pegar"}));
    // Redoing the first item brings back the typing alone; the paste stays undone.
    w.form.RedoPopup()->actions().front()->trigger();
    EXPECT_EQ(w.memo.StoredText(), "abc");
    EXPECT_EQ(openedRedo(w.form), std::vector<std::string>{"Pegar"});
    w.form.RedoPopup()->actions().front()->trigger();
    EXPECT_EQ(w.memo.StoredText(), "xyabc");
}

TEST(MainWindowCommands, TheHistoryMenusNameEveryKind)
{
    TDocumentWindow w;
    // One group of each kind, each at its own place so that no two merge.
    const int kinds[] = {ugMoveText, ugDelete, ugPaste, ugCut, ugTemplate, ugIndent, ugUnindent,
                         ugDeleteWord, ugReplaceAll, ugInsertText, 22};
    for (int kind : kinds) {
        Select(w.memo, w.memo.TextLength(), w.memo.TextLength());
        w.memo.BeginUndoGroup(kind);
        Insert(w.memo, "k");
        w.memo.EndUndoGroup(kind);
    }
    EXPECT_EQ(openedUndo(w.form), (std::vector<std::string>{"Operaci\xF3n", "Insertado", "Reemplazar todo", "Borrar",
                                                            "Reducir sangr\xED""a", "Sangrado", "Plantilla", "Cortar",
                                                            "Pegar", "Borrar", "Mover"}));
}

TEST(MainWindowCommands, FindNextRepeatsTheEditorsSearchAndAsksToStartAgain)
{
    TDocumentWindow w;
    SetText(w.memo, "uno dos uno dos");
    Select(w.memo, 2, 2);
    {
        TBoxAnswers boxes({}, IDNO);
        w.form.mBuscaOtroClick();
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_EQ(OrderedSelection(w.memo).Start, 2);
        EXPECT_EQ(OrderedSelection(w.memo).End, 2);
        EXPECT_EQ(w.form.TextoBuscado, "");
    }

    // The editor searched "dos" once; Find Next goes on from there and takes its text.
    int at = -1;
    ASSERT_TRUE(w.memo.FindText("dos", at, smsDirect));
    ASSERT_EQ(at, 4);
    Select(w.memo, 4, 7);
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(w.form.TextoBuscado, "dos");
    EXPECT_EQ(OrderedSelection(w.memo).Start, 12);
    EXPECT_EQ(OrderedSelection(w.memo).End, 15);

    TBoxAnswers boxes({}, IDYES);
    w.form.mBuscaOtroClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              "No se puede encontrar \"dos\".\r\xBF"
              "Desea buscar de nuevo desde el principio del documento?");
    EXPECT_EQ(boxes.flags[0], 0x24u);
    // Yes only puts the caret at the start: the search is not repeated by itself.
    EXPECT_EQ(OrderedSelection(w.memo).Start, 0);
    EXPECT_EQ(OrderedSelection(w.memo).End, 0);
    w.form.mBuscaOtroClick();
    EXPECT_EQ(OrderedSelection(w.memo).Start, 4);
    EXPECT_EQ(OrderedSelection(w.memo).End, 7);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(MainWindowCommands, FindNextAndMarkAllRepeatTheEditorsFindDialogWithItsOptions)
{
    TShownForm w;
    // Matches of "casa" in whole words and this letter case: at 0 and at 22 only.
    SetText(w.memo, "casa CASA casas micasa casa");
    Select(w.memo, 0, 0);
    item(w.form, "mBuscar")->trigger();
    TFindDialog* dialog = w.memo.FindDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetOptions(frDown | frWholeWord | frMatchCase);
    dialog->SetFindText("casa");
    dialog->ClickFindNext();
    ASSERT_EQ(OrderedSelection(w.memo).Start, 0);
    ASSERT_EQ(OrderedSelection(w.memo).End, 4);
    EXPECT_EQ(w.form.TextoBuscado, "casa");
    dialog->hide();

    // Find next goes to the next whole word in this case, then finds no more.
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(OrderedSelection(w.memo).Start, 23);
    EXPECT_EQ(OrderedSelection(w.memo).End, 27);
    {
        TBoxAnswers boxes({}, IDNO);
        item(w.form, "mBuscaOtro")->trigger();
        EXPECT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(OrderedSelection(w.memo).Start, 23);
    }
    // The dialog and the editor keep the options they had.
    EXPECT_EQ(dialog->Options() & (frWholeWord | frMatchCase), frWholeWord | frMatchCase);
    EXPECT_EQ(w.memo.SearchFlags & (smsWholeWord | smsMatchCase), smsWholeWord | smsMatchCase);

    // Marking every match marks those two only, with the caret at the first; with the match that
    // the search left selected too.
    auto marked = [&w] {
        std::string ranges;
        if (const TObjectList* list = w.memo.TextMarks())
            for (int i = 0; i < list->Count(); ++i)
                ranges += std::to_string(list->Mark(i)->Start()) + "-" + std::to_string(list->Mark(i)->End()) + " ";
        return ranges;
    };
    Select(w.memo, 10, 10);
    item(w.form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marked(), "0-4 23-27 ");
    EXPECT_EQ(OrderedSelection(w.memo).Start, 0);
    w.memo.ClearMarks();
    Select(w.memo, 23, 27);
    item(w.form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marked(), "0-4 23-27 ");
    // Another selected text is searched as it stands, in any letter case and within words.
    w.memo.ClearMarks();
    Select(w.memo, 5, 9);
    item(w.form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marked(), "0-4 5-9 10-14 18-22 23-27 ");

    // A search of the window's replace dialog is the last search in its turn, with its options.
    item(w.form, "mReemplazar")->trigger();
    ASSERT_NE(w.form.ReplaceDialog(), nullptr);
    w.form.ReplaceDialog()->SetOptions(frDown | frMatchCase);
    w.form.ReplaceDialog()->SetFindText("CASA");
    Select(w.memo, 0, 0);
    w.form.ReplaceDialogFind();
    w.form.ReplaceDialog()->hide();
    EXPECT_EQ(w.form.TextoBuscado, "CASA");
    EXPECT_EQ(w.form.OpcionesBusqueda, smsMatchCase);
}

TEST(MainWindowCommands, FindNextSelectsARegularExpressionsWholeMatch)
{
    TDocumentWindow w;
    SetText(w.memo, "a1 bb22 ccc333");
    int at = -1;
    ASSERT_TRUE(w.memo.FindText("[a-z][0-9]+", at, smsDirect | smsRegExpr));
    ASSERT_EQ(w.memo.GetSelText(), "a1");
    w.form.OpcionesBusqueda = smsRegExpr;
    w.form.mBuscaOtroClick();
    EXPECT_EQ(w.memo.GetSelText(), "b22");
    w.form.mBuscaOtroClick();
    EXPECT_EQ(w.memo.GetSelText(), "c333");
}

TEST(MainWindowCommands, HtmlOfferedTakesTheTextOrTheFragmentBySetting)
{
    TShownForm w;
    auto dropHtml = [&w] {
        SetText(w.memo, "");
        QMimeData data;
        data.setHtml("junk<p><!--StartFragment--><b>frag</b><!--EndFragment--></p>");
        data.setText("plain");
        const QPoint at(w.memo.contentsRect().topLeft() + QPoint(2, 2));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.memo, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.memo, &drop);
        return w.memo.StoredText();
    };
    w.form.Config().InsHtmlData = false;
    EXPECT_EQ(dropHtml(), "plain");
    w.form.Config().InsHtmlData = true;
    EXPECT_EQ(dropHtml(), "<b>frag</b>");

    // The flags as a paste offers them.
    TSourceTypes offered = stHTML | stCFText | stAny;
    w.form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stHTML | stAny | stFragment);
    w.form.Config().InsHtmlData = false;
    offered = stHTML | stCFText | stAny;
    w.form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stCFText | stAny);
    // Files from a drop go to the window's handler instead of being inserted as names.
    offered = stFiles | stNoFilter | stProcessFiles;
    w.form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stFiles | stProcessFiles);
}

TEST(MainWindowCommands, ReadOnlyIsAToggledCheckMark)
{
    TDocumentWindow w;
    QAction* readOnly = item(w.form, "mSoloLectura");
    EXPECT_TRUE(readOnly->isCheckable());
    readOnly->trigger();
    EXPECT_TRUE(readOnly->isChecked());
    EXPECT_TRUE(w.memo.ReadOnly());
    EXPECT_EQ(ToWin1252(w.form.Panel(3)->text()), "S\xF3lo lectura");
    typeText(w.memo, "abc");
    EXPECT_EQ(w.memo.StoredText(), "");
    readOnly->trigger();
    EXPECT_FALSE(readOnly->isChecked());
    EXPECT_FALSE(w.memo.ReadOnly());
    EXPECT_EQ(ToWin1252(w.form.Panel(3)->text()), "Insertar");
    typeText(w.memo, "abc");
    EXPECT_EQ(w.memo.StoredText(), "abc");
}

TEST(MainWindowCommands, TheToolBarAndSidePanelTogglesShowHideAndRenameTheirButtons)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    // The panels the window places, both shown.
    QWidget* toolBar = form.FilledPanel(TformPrincipal::TViewPanel::ToolPages);
    QWidget* sidePanel = form.FilledPanel(TformPrincipal::TViewPanel::SidePanel);
    ASSERT_TRUE(toolBar && sidePanel);
    toolBar->show();
    sidePanel->show();
    form.mVerClick();
    EXPECT_TRUE(item(form, "mVerBarra")->isChecked());
    EXPECT_TRUE(item(form, "mVerLateral")->isChecked());

    item(form, "mVerBarra")->trigger();
    EXPECT_TRUE(toolBar->isHidden());
    EXPECT_FALSE(item(form, "mVerBarra")->isChecked());
    EXPECT_EQ(form.sbBarra()->Hint(), "Mostrar barra de herramientas");
    form.sbBarra()->Click();
    EXPECT_FALSE(toolBar->isHidden());
    EXPECT_TRUE(item(form, "mVerBarra")->isChecked());
    EXPECT_EQ(form.sbBarra()->Hint(), "Ocultar barra de herramientas");

    form.sbLateral()->Click();
    EXPECT_TRUE(sidePanel->isHidden());
    EXPECT_EQ(form.sbLateral()->Hint(), "Mostrar panel lateral");
    sidePanel->show();
    form.mVerClick();
    EXPECT_TRUE(item(form, "mVerLateral")->isChecked());
    item(form, "mVerLateral")->trigger();
    EXPECT_TRUE(sidePanel->isHidden());
    EXPECT_FALSE(item(form, "mVerLateral")->isChecked());
    EXPECT_EQ(form.sbLateral()->Hint(), "Mostrar panel lateral");
    item(form, "mVerLateral")->trigger();
    EXPECT_EQ(form.sbLateral()->Hint(), "Ocultar panel lateral");
}

TEST(MainWindowCommands, EditCommandsOnTheEditor)
{
    TShownForm w;
    ASSERT_TRUE(w.memo.hasFocus());
    SetText(w.memo, "uno dos tres");
    Select(w.memo, 12, 12);
    item(w.form, "BorrarAnterior")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "uno dos ");
    Select(w.memo, 0, 4);
    item(w.form, "mBorrar")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dos ");
    w.memo.Undo();
    EXPECT_EQ(w.memo.StoredText(), "uno dos ");
    item(w.form, "mRehacer")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dos ");
    item(w.form, "mAjustaTexto")->trigger();
    EXPECT_TRUE(w.memo.WordWrap());
    item(w.form, "mAjustaTexto")->trigger();
    EXPECT_FALSE(w.memo.WordWrap());

    // The Edit menu follows the editor as it opens.
    Select(w.memo, 0, 0);
    w.form.mEdicionClick();
    EXPECT_FALSE(item(w.form, "mCortar")->isEnabled());
    EXPECT_FALSE(item(w.form, "mCopiar")->isEnabled());
    EXPECT_FALSE(item(w.form, "mBorrar")->isEnabled());
    EXPECT_TRUE(item(w.form, "mDeshacer")->isEnabled());
    EXPECT_TRUE(item(w.form, "mRehacer")->isEnabled() == (w.memo.Perform(SMM_CANREDO, 0, 0) != 0));
    Select(w.memo, 0, 3);
    w.memo.SetReadOnly(true);
    w.form.mEdicionClick();
    EXPECT_FALSE(item(w.form, "mCortar")->isEnabled());
    EXPECT_TRUE(item(w.form, "mCopiar")->isEnabled());
    EXPECT_FALSE(item(w.form, "mPegar")->isEnabled());
    w.memo.SetReadOnly(false);
    w.form.mEdicionClick();
    EXPECT_TRUE(item(w.form, "mCortar")->isEnabled());
    EXPECT_TRUE(item(w.form, "mBorrar")->isEnabled());

    // Away from the editor Ctrl+Backspace leaves the text alone.
    w.form.menuBar()->setFocus();
    w.memo.clearFocus();
    QApplication::processEvents();
    Select(w.memo, 4, 4);
    item(w.form, "BorrarAnterior")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dos ");

    // With no document open the document's commands do nothing.
    w.memo.hide();
    Select(w.memo, 0, 3);
    item(w.form, "mBorrar")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dos ");
}

TEST(MainWindowCommands, PageSetupKeepsItsMarginsInHundredthsOfAMillimetre)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    // The File menu's items act with a document open.
    form.AbreArchivo("", false, ekHTML);
    EXPECT_EQ(form.PageSetupMargins().Left, 2500);
    EXPECT_EQ(form.PageSetupMargins().Bottom, 2500);
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    printer.setFullPage(false);
    ASSERT_TRUE(printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    EXPECT_TRUE(pageSetup(form, 25.4, 12.7, 25.4, 50.8));
    printer.setPageLayout(saved);
    EXPECT_EQ(form.PageSetupMargins().Left, 2540);
    EXPECT_EQ(form.PageSetupMargins().Top, 1270);
    EXPECT_EQ(form.PageSetupMargins().Right, 2540);
    EXPECT_EQ(form.PageSetupMargins().Bottom, 5080);
    EXPECT_DOUBLE_EQ(TformPrincipal::TPageMargins::Inches(form.PageSetupMargins().Left), 1.0);
    EXPECT_DOUBLE_EQ(TformPrincipal::TPageMargins::Inches(form.PageSetupMargins().Bottom), 2.0);
}

TEST(MainWindowCommands, PrintSelectionPrintsOnlyTheSelectedLines)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    TDocumentWindow w;
    QTemporaryDir folder;
    TDialogAnswers dialogs;
    auto printedText = [&](const char* itemName, const QString& name) {
        const QString file = folder.filePath(name);
        QPrinter& printer = Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        // A printer writing PDF asks for its file, offering the one it has.
        dialogs.answers.push_back({file.toStdString()});
        item(w.form, itemName)->trigger();
        QProcess process;
        process.start(tool, {QStringLiteral("-layout"), file, QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.readAllStandardOutput().toStdString();
    };
    SetText(w.memo, "primera\r\nsegunda\r\ntercera\r\ncuarta");
    Select(w.memo, 10, 18);
    const std::string selection = printedText("mImprimirSel", "sel.pdf");
    EXPECT_EQ(selection.find("primera"), std::string::npos) << selection;
    EXPECT_NE(selection.find("segunda"), std::string::npos) << selection;
    EXPECT_NE(selection.find("tercera"), std::string::npos) << selection;
    EXPECT_EQ(selection.find("cuarta"), std::string::npos) << selection;
    const std::string whole = printedText("mImprimir", "all.pdf");
    for (const char* line : {"primera", "segunda", "tercera", "cuarta"})
        EXPECT_NE(whole.find(line), std::string::npos) << whole;
}

TEST(MainWindowCommands, WithoutAPrinterPrintingWritesTheWholeDocumentToThePdfFileTheUserNames)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    TDocumentWindow w;
    QPrinter& printer = Printer();
    printer.setOutputFileName({});
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += Format("l\xEDnea %d del documento\r\n", i);
    SetText(w.memo, text);
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("salida.pdf")).toStdString();

    TDialogAnswers dialogs;
    // Cancelled: nothing is printed.
    item(w.form, "mImprimir")->trigger();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const TFileDialogRequest& asked = dialogs.requests[0];
    EXPECT_TRUE(asked.Save);
    EXPECT_EQ(asked.Filter, "Documentos PDF (*.pdf)|*.pdf");
    EXPECT_EQ(asked.DefaultExt, "pdf");
    EXPECT_EQ(asked.FileName, "Nuevo1.pdf");
    EXPECT_TRUE(asked.Options & ofOverwritePrompt);
    EXPECT_FALSE(FileExists(file));

    dialogs.answers.push_back({file});
    TBoxAnswers boxes;
    item(w.form, "mImprimir")->trigger();
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_TRUE(FileExists(file));
    QProcess process;
    process.start(tool, {QStringLiteral("-enc"), QStringLiteral("Latin1"), QString::fromStdString(file), QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const std::string printed = process.readAllStandardOutput().toStdString();
    for (int i = 1; i <= 150; ++i)
        EXPECT_NE(printed.find(Format("l\xEDnea %d del documento", i)), std::string::npos) << i;
    // More than one page: a form feed ends each.
    EXPECT_GE(std::count(printed.begin(), printed.end(), '\f'), 2);
    // The next print offers the same file.
    item(w.form, "mImprimir")->trigger();
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[2].FileName, "salida.pdf");
    EXPECT_EQ(dialogs.requests[2].InitialDir, folder.path().toStdString() + "/");
    printer.setOutputFileName({});
}

TEST(MainWindowCommands, PageSetupStartsOnA4AndThenFromItsRecord)
{
    TDocumentWindow w;
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    auto opened = [&](bool accept) {
        QPageLayout shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown = printer.pageLayout();
            accept ? dialog->accept() : dialog->reject();
        });
        item(w.form, "mPrepararPagina")->trigger();
        return shown;
    };
    QPageLayout first = opened(false);
    EXPECT_EQ(first.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(first.margins(QPageLayout::Millimeter), QMarginsF(25, 25, 25, 25));
    // That is the record printing and the preview follow from the start; cancelled, it stays.
    EXPECT_EQ(w.form.PageSetupMargins(), (TPageMargins{2500, 2500, 2500, 2500}));
    EXPECT_EQ(w.memo.PageSetup().Paper.id(), QPageSize::A4);
    // The auxiliary editor prints on the same page, before and after a page setup.
    item(w.form, "mAbrirEnAuxiliar")->trigger();
    ASSERT_TRUE(w.form.Auxiliar().IsOpen());
    const TCodeMemo& aux = *w.form.Auxiliar().Editor();
    EXPECT_EQ(aux.PageSetup().Paper.id(), QPageSize::A4);
    EXPECT_EQ(aux.PageSetup().Margins, (TPageMargins{2500, 2500, 2500, 2500}));
    ASSERT_TRUE(pageSetup(w.form, 10, 12, 14, 16));
    EXPECT_EQ(w.form.PageSetupMargins().Left, 1000);
    EXPECT_EQ(w.form.PageSetupMargins().Bottom, 1600);
    EXPECT_EQ(aux.PageSetup().Margins, w.form.PageSetupMargins());
    // The editor prints on the chosen page, inside the chosen margins (it used to print from the
    // sheet's corner, margins lost).
    const int dpi = printer.logicalDpiX();
    ASSERT_EQ(printer.logicalDpiY(), dpi);
    auto pixels = [&](double mm) { return static_cast<int>(std::lround(dpi * mm / 25.4)); };
    const QRect sheet = printer.paperRect(QPrinter::DevicePixel).toRect();
    EXPECT_NEAR(sheet.width(), pixels(210), 1);
    EXPECT_EQ(w.memo.PrintRect(),
              (TRect{pixels(10), pixels(12), sheet.width() - pixels(14), sheet.height() - pixels(16)}));
    EXPECT_EQ(w.memo.PageSetup().Paper.id(), QPageSize::A4);
    EXPECT_FALSE(w.memo.PageSetup().Landscape);
    printer.setPageMargins(QMarginsF(1, 1, 1, 1), QPageLayout::Millimeter);
    QPageLayout again = opened(false);
    const QMarginsF margins = again.margins(QPageLayout::Millimeter);
    EXPECT_NEAR(margins.left(), 10, 0.01);
    EXPECT_NEAR(margins.top(), 12, 0.01);
    EXPECT_NEAR(margins.right(), 14, 0.01);
    EXPECT_NEAR(margins.bottom(), 16, 0.01);
    printer.setPageLayout(saved);
}

TEST(MainWindowCommands, ALandscapePageSetupWithMarginsIsWhatThePreviewShowsAndWhatPrints)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    TDocumentWindow w;
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    TScopeGuard restore([&] {
        printer.setPageLayout(saved);
        printer.setOutputFileName({});
    });
    std::string text;
    for (int i = 1; i <= 90; ++i)
        text += Format("l\xEDnea %d del documento\r\n", i);
    SetText(w.memo, text);
    // Preparar p\xE1gina: Apaisado, 25 mm on every side, Aceptar.
    ASSERT_TRUE(pageSetup(w.form, 25, 25, 25, 25, true));
    EXPECT_TRUE(w.memo.PageSetup().Landscape);

    // Vista preliminar: landscape A4 pages with the margins.
    TPrinterOrientation orientation = poPortrait;
    TDeviceMetrics sheet;
    TRect area;
    int pages = 0;
    QTimer::singleShot(0, [&] {
        if (auto* form = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget())) {
            orientation = form->Printer().Orientation;
            sheet = form->Printer().Metrics();
            area = form->Printer().PageRect();
            pages = form->Printer().PageCount();
            form->close();
        }
    });
    item(w.form, "mVistaPreliminar")->trigger();
    EXPECT_EQ(orientation, poLandscape);
    EXPECT_NEAR(sheet.PageWidth * 25.4 / sheet.PixelsPerInchX, 297, 0.5);
    EXPECT_NEAR(sheet.PageHeight * 25.4 / sheet.PixelsPerInchY, 210, 0.5);
    const int margin = static_cast<int>(std::lround(sheet.PixelsPerInchX * 25 / 25.4));
    EXPECT_EQ(area, (TRect{margin, margin, sheet.PageWidth - margin, sheet.PageHeight - margin}));
    ASSERT_GT(pages, 1);

    // Archivo > Imprimir to a PDF: the same sheets, the text from the left margin on.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("apaisado.pdf"));
    TDialogAnswers dialogs;
    dialogs.answers.push_back({file.toStdString()});
    item(w.form, "mImprimir")->trigger();
    const std::optional<std::vector<TPdfPage>> pdf = PdfPages(file);
    if (!pdf)
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_EQ(pdf->size(), static_cast<size_t>(pages));
    const double marginPoints = 25 * 72 / 25.4;
    for (const TPdfPage& page : *pdf) {
        EXPECT_NEAR(page.Width, 841.89, 1);
        EXPECT_NEAR(page.Height, 595.28, 1);
        double left = page.Width, bottom = 0;
        for (const TPdfWord& word : page.Words) {
            left = std::min(left, word.XMin);
            bottom = std::max(bottom, word.YMax);
        }
        // The line numbers come first, their blanks leading; the margin was lost when they began at 0.
        EXPECT_GE(left, marginPoints - 1);
        EXPECT_LT(left, marginPoints + 30);
        EXPECT_LE(bottom, page.Height - marginPoints + 1);
    }
}

TEST(MainWindowCommands, OnAFreshStartThePreviewAndThePrintFollowThePageThatPreparePageShows)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    TDocumentWindow w;
    QPrinter& printer = Printer();
    TScopeGuard restore([&] { printer.setOutputFileName({}); });
    // Another page left on the shared printer by whatever ran before changes nothing.
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(1, 2, 3, 4)));
    std::string text;
    for (int i = 1; i <= 70; ++i)
        text += Format("l\xEDnea %d de un texto que llega lejos hacia la derecha del papel\r\n", i);
    SetText(w.memo, text);

    // Preparar p\xE1gina, shown and cancelled: its paper, orientation and margins.
    QPageLayout shown;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = printer.pageLayout();
            dialog->reject();
        }
    });
    item(w.form, "mPrepararPagina")->trigger();
    ASSERT_TRUE(shown.isValid());
    const QSizeF paper = shown.pageSize().size(QPageSize::Millimeter);
    const QMarginsF margins = shown.margins(QPageLayout::Millimeter);
    EXPECT_EQ(shown.orientation(), QPageLayout::Portrait);
    EXPECT_GT(margins.left(), 0);

    // Vista preliminar: that paper, the text area within those margins.
    TDeviceMetrics sheet;
    TRect area;
    TPrinterOrientation orientation = poLandscape;
    QTimer::singleShot(0, [&] {
        if (auto* form = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget())) {
            orientation = form->Printer().Orientation;
            sheet = form->Printer().Metrics();
            area = form->Printer().PageRect();
            form->close();
        }
    });
    item(w.form, "mVistaPreliminar")->trigger();
    ASSERT_GT(sheet.PixelsPerInchX, 0);
    EXPECT_EQ(orientation, poPortrait);
    const auto mm = [](int pixels, int perInch) { return pixels * 25.4 / perInch; };
    EXPECT_NEAR(mm(sheet.PageWidth, sheet.PixelsPerInchX), paper.width(), 0.5);
    EXPECT_NEAR(mm(sheet.PageHeight, sheet.PixelsPerInchY), paper.height(), 0.5);
    EXPECT_NEAR(mm(area.Left, sheet.PixelsPerInchX), margins.left(), 0.5);
    EXPECT_NEAR(mm(area.Top, sheet.PixelsPerInchY), margins.top(), 0.5);
    EXPECT_NEAR(mm(sheet.PageWidth - area.Right, sheet.PixelsPerInchX), margins.right(), 0.5);
    EXPECT_NEAR(mm(sheet.PageHeight - area.Bottom, sheet.PixelsPerInchY), margins.bottom(), 0.5);

    // Archivo > Imprimir to a PDF: the same paper, as pdfinfo reads it, and the text inside the margins.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("primera.pdf"));
    TDialogAnswers dialogs;
    dialogs.answers.push_back({file.toStdString()});
    item(w.form, "mImprimir")->trigger();
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const std::optional<std::vector<TPdfPage>> pdf = PdfPages(file);
    if (pdfinfo.isEmpty() || !pdf)
        GTEST_SKIP() << "poppler-utils are not installed";
    QProcess info;
    info.start(pdfinfo, {file});
    ASSERT_TRUE(info.waitForFinished(60000));
    const std::string infoText = info.readAllStandardOutput().toStdString();
    std::smatch size;
    ASSERT_TRUE(std::regex_search(infoText, size, std::regex(R"(Page size:\s+([0-9.]+) x ([0-9.]+) pts)"))) << infoText;
    const double points = 72 / 25.4;
    EXPECT_NEAR(std::stod(size[1]), paper.width() * points, 1);
    EXPECT_NEAR(std::stod(size[2]), paper.height() * points, 1);
    ASSERT_GT(pdf->size(), 1u);
    int words = 0;
    for (const TPdfPage& page : *pdf) {
        EXPECT_NEAR(page.Width, paper.width() * points, 1);
        for (const TPdfWord& word : page.Words) {
            ++words;
            EXPECT_GE(word.XMin, margins.left() * points - 1) << word.Text;
            EXPECT_LE(word.XMax, page.Width - margins.right() * points + 1) << word.Text;
            EXPECT_GE(word.YMin, margins.top() * points - 1) << word.Text;
            EXPECT_LE(word.YMax, page.Height - margins.bottom() * points + 1) << word.Text;
        }
    }
    EXPECT_GT(words, 70 * 10);
}

TEST(MainWindowCommands, ThePrinterSetupKeepsItsSettingsAndThePdfIsNamedAfterTheDocument)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    TempDir dir("pdfname");
    TDocumentWindow w;
    QPrinter& printer = Printer();
    TScopeGuard restore([&] { printer.setOutputFileName({}); });
    const std::string page = dir.file("pagina.html", "<p>hola</p>");
    w.form.AbreArchivo(page, false, ekHTML);
    const std::string proposed = (dir.path / "pagina.pdf").string();

    // Configurar impresi\xF3n: its button keeps the settings and says so; the file it offers is the
    // document's (it offered print.pdf in the home folder, under a button that said "Imprimir").
    auto setUp = [&](bool accept) {
        std::pair<QString, QString> seen;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
                if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
                    seen.first = ok->text();
            if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                seen.second = file->text();
            accept ? dialog->accept() : dialog->reject();
        });
        item(w.form, "mConfImpresion")->trigger();
        return seen;
    };
    const auto shown = setUp(false);
    EXPECT_EQ(shown.first, QStringLiteral("Aceptar"));
    EXPECT_EQ(shown.second.toStdString(), proposed);
    EXPECT_EQ(setUp(true).first, QStringLiteral("Aceptar"));
    EXPECT_FALSE(FileExists(proposed)); // accepted, it printed nothing

    // Printing offers the document's file in its folder, whatever file the printer was left with.
    printer.setOutputFileName(QDir::home().filePath(QStringLiteral("print.pdf")));
    TDialogAnswers dialogs;
    item(w.form, "mImprimir")->trigger();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].FileName, "pagina.pdf");
    EXPECT_EQ(dialogs.requests[0].InitialDir, dir.path.string() + "/");
    EXPECT_FALSE(FileExists(proposed));

    // The preview's own Imprimir offers the same file.
    printer.setOutputFileName(QDir::home().filePath(QStringLiteral("print.pdf")));
    QTimer::singleShot(0, [] {
        if (QWidget* preview = QApplication::activeModalWidget())
            preview->close();
    });
    item(w.form, "mVistaPreliminar")->trigger();
    EXPECT_EQ(printer.outputFileName().toStdString(), proposed);
}

TEST(MainWindowCommands, ThePrintoutIsTitledWithTheDocumentShownAndItsDateEndsAtTheRightMargin)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    TempDir dir("titled");
    TDocumentWindow w; // "Nuevo1", untitled
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    TScopeGuard restore([&] {
        printer.setPageLayout(saved);
        printer.setOutputFileName({});
    });
    const std::string first = dir.file("primera.html", "<p>uno</p>");
    const std::string second = dir.file("segunda.html", "<p>dos</p>");
    w.form.AbreArchivo(first, false, ekHTML);
    w.form.AbreArchivo(second, false, ekHTML);
    ASSERT_TRUE(pageSetup(w.form, 40, 40, 40, 40));
    // Archivo > Imprimir with "Incluir t\xEDtulo" on, as it starts: the header line of the first page
    // (its words, left to right) and the PDF's title.
    struct TPrinted {
        std::vector<TPdfWord> header;
        TPdfPage page;
        std::optional<std::string> title;
    };
    int printed = 0;
    const auto print = [&]() -> std::optional<TPrinted> {
        const QString file = QString::fromStdString((dir.path / ("p" + std::to_string(++printed) + ".pdf")).string());
        TDialogAnswers dialogs;
        dialogs.answers.push_back({file.toStdString()});
        item(w.form, "mImprimir")->trigger();
        const std::optional<std::vector<TPdfPage>> pdf = PdfPages(file);
        if (!pdf || pdf->empty())
            return std::nullopt;
        TPrinted result{{}, pdf->front(), PdfTitle(file)};
        double top = result.page.Height;
        for (const TPdfWord& word : result.page.Words)
            top = std::min(top, word.YMin);
        for (const TPdfWord& word : result.page.Words)
            if (word.YMin < top + 2)
                result.header.push_back(word);
        std::sort(result.header.begin(), result.header.end(),
                  [](const TPdfWord& a, const TPdfWord& b) { return a.XMin < b.XMin; });
        return result;
    };
    const double margin = 40 * 72 / 25.4;
    const std::string ellipsis = "\xE2\x80\xA6";
    // The path, or as much of its end as the line leaves room for beside the date: its file's name whole.
    const auto namesFile = [&](const std::string& shown, const std::string& file) {
        const std::string name = file.substr(file.rfind('/'));
        if (shown == file)
            return true;
        // Whole folders left out.
        const std::string kept = shown.rfind(ellipsis, 0) == 0 ? shown.substr(ellipsis.size()) : std::string();
        return kept.size() >= name.size() && kept[0] == '/' &&
               file.compare(file.size() - kept.size(), std::string::npos, kept) == 0;
    };
    const auto words = [](const std::vector<TPdfWord>& line) {
        std::string all;
        for (const TPdfWord& word : line)
            all += "[" + word.Text + "]";
        return all;
    };
    // The second page shown, then the first: each printout names the file shown.
    for (const auto& [tab, file] : {std::pair{2, second}, std::pair{1, first}}) {
        switchTo(w.form, tab);
        const std::optional<TPrinted> shown = print();
        if (!shown)
            GTEST_SKIP() << "pdftotext is not installed";
        ASSERT_GE(shown->header.size(), 2u);
        EXPECT_TRUE(namesFile(shown->header.front().Text, file)) << words(shown->header);
        EXPECT_NEAR(shown->header.front().XMin, margin, 1);
        if (shown->title) {
            EXPECT_EQ(*shown->title, file);
        }
        // The whole date is on the page, its time last, ending at the right margin.
        const TPdfWord& time = shown->header.back();
        EXPECT_EQ(time.Text.size(), 8u) << time.Text;
        EXPECT_EQ(time.Text[2], ':');
        EXPECT_NEAR(time.XMax, shown->page.Width - margin, 1.5);
    }
    // Vista preliminar: the first page's header line ends at the right margin as well.
    int inkLeft = -1, inkRight = -1;
    TRect area;
    QTimer::singleShot(0, [&] {
        auto* preview = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        const TPreviewPrinter& pages = preview->Printer();
        area = pages.PageRect();
        const TPagePicture& page = pages.GetPage(0);
        // A quarter of an inch below the top margin holds the header's text line.
        QImage band(page.Metrics().PageWidth, page.Metrics().PixelsPerInchY / 4, QImage::Format_RGB32);
        band.fill(Qt::white);
        QPainter painter(&band);
        painter.translate(0, -area.Top);
        QPicture recorded(page);
        recorded.play(&painter);
        painter.end();
        for (int y = 0; y < band.height(); ++y)
            for (int x = 0; x < band.width(); ++x)
                if (band.pixel(x, y) != qRgb(255, 255, 255)) {
                    inkLeft = inkLeft < 0 ? x : std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        preview->close();
    });
    item(w.form, "mVistaPreliminar")->trigger();
    ASSERT_GE(inkRight, 0);
    EXPECT_GE(inkLeft, area.Left);
    EXPECT_LT(inkLeft, area.Left + area.Width() / 50);
    EXPECT_LT(inkRight, area.Right);
    EXPECT_GT(inkRight, area.Right - area.Width() / 50);
    // An untitled document prints its caption.
    switchTo(w.form, 0);
    const std::optional<TPrinted> untitled = print();
    ASSERT_TRUE(untitled);
    ASSERT_FALSE(untitled->header.empty());
    EXPECT_EQ(untitled->header.front().Text, "Nuevo1");
    if (untitled->title) {
        EXPECT_EQ(*untitled->title, "Nuevo1");
    }
    // A path too long for the line gives up its first folders, not its file's name, and stays clear of
    // the date.
    std::filesystem::path deep = dir.path;
    for (int i = 0; i < 8; ++i)
        deep /= "carpeta-de-un-sitio-" + std::to_string(i);
    std::filesystem::create_directories(deep);
    const std::string far = (deep / "lejos.html").string();
    WriteFileBytes(far, "<p>lejos</p>");
    w.form.AbreArchivo(far, false, ekHTML);
    const std::optional<TPrinted> elided = print();
    ASSERT_TRUE(elided);
    ASSERT_GE(elided->header.size(), 4u) << words(elided->header);
    const std::string& path = elided->header.front().Text;
    EXPECT_LT(path.size(), far.size());
    EXPECT_TRUE(namesFile(path, far)) << words(elided->header);
    EXPECT_LT(elided->header[0].XMax, elided->header[1].XMin);
    EXPECT_NEAR(elided->header.back().XMax, elided->page.Width - margin, 1.5);
    if (elided->title) {
        EXPECT_EQ(*elided->title, far);
    }
}

TEST(MainWindowCommands, ThePrinterSetupOffersPrintingToAFile)
{
    TDocumentWindow w;
    bool toFile = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        toFile = dialog->testOption(QPrintDialog::PrintToFile);
        dialog->reject();
    });
    item(w.form, "mConfImpresion")->trigger();
    EXPECT_TRUE(toFile);
}

TEST(MainWindowCommandsScreen, TheUndoMenuOpensUnderItsPointAfterAFewEdits)
{
    TShownForm w(QSize(640, 420));
    typeText(w.memo, "<p>Hola</p>");
    Select(w.memo, 3, 7);
    w.memo.CutToClipboard();
    Select(w.memo, 0, 0);
    w.memo.PasteFromClipboard();
    Select(w.memo, w.memo.TextLength(), w.memo.TextLength());
    type(w.memo, '\r');
    typeText(w.memo, "fin");

    const QPoint at = w.memo.mapToGlobal(QPoint(40, 40));
    w.form.UndoPopup()->popup(at);
    QApplication::processEvents();
    EXPECT_TRUE(w.form.UndoPopup()->isVisible());
    EXPECT_EQ(captions(w.form.UndoPopup()), (std::vector<std::string>{"Escritura", "Pegar", "Cortar", "Escritura"}));
    EXPECT_EQ(w.form.UndoPopup()->geometry().topLeft(), at);

    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    w.form.UndoPopup()->grab().save(QDir(out ? out : QDir::tempPath()).filePath("undo-menu.png"), "PNG");
    // Lets a screenshot of the whole screen be taken from outside while the menu is open.
    if (const char* hold = std::getenv("KESTRIMA_SHOT_HOLD_MS")) {
        QEventLoop loop;
        QTimer::singleShot(std::atoi(hold), &loop, &QEventLoop::quit);
        loop.exec();
    }
    w.form.UndoPopup()->hide();
}

TEST(MainWindowCommands, TheReplaceDialogFindsReplacesAndReplacesAll)
{
    TDocumentWindow w;
    SetText(w.memo, "casa y casa y casa");
    Select(w.memo, 0, 0);
    item(w.form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = w.form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    dialog->SetFindText("casa");
    dialog->SetReplaceText("CASA");
    dialog->SetOptions(frDown);

    // Find selects the first match and, pressed again with it selected, only moves on.
    dialog->ClickFindNext();
    EXPECT_EQ(OrderedSelection(w.memo).Start, 0);
    EXPECT_EQ(OrderedSelection(w.memo).End, 4);
    dialog->ClickFindNext();
    EXPECT_EQ(w.memo.StoredText(), "casa y casa y casa");
    EXPECT_EQ(OrderedSelection(w.memo).Start, 7);

    // Replace puts the replacement over the selected match and selects the next one.
    dialog->ClickReplace();
    EXPECT_EQ(w.memo.StoredText(), "casa y CASA y casa");
    EXPECT_EQ(OrderedSelection(w.memo).Start, 14);
    EXPECT_EQ(OrderedSelection(w.memo).End, 18);

    Select(w.memo, 0, 0);
    dialog->SetReplaceText("hogar");
    dialog->ClickReplaceAll();
    EXPECT_EQ(w.memo.StoredText(), "hogar y hogar y hogar");
    // One undo takes the whole Replace All back.
    w.memo.Undo();
    EXPECT_EQ(w.memo.StoredText(), "casa y CASA y casa");

    // An empty find text does nothing.
    dialog->SetFindText("");
    Select(w.memo, 0, 4);
    dialog->ClickReplace();
    EXPECT_EQ(w.memo.StoredText(), "casa y CASA y casa");
    item(w.form, "mReemplazar")->trigger();
    EXPECT_EQ(w.form.ReplaceDialog(), dialog);
}

TEST(MainWindowCommands, ReplaceAllUndoAndRedoAreOneStepEachAndTheRedoEndsAsTheReplaceAllDid)
{
    TShownForm w(QSize(800, 600));
    // Thousands of matches on lines wider than the view, so that the last one lies far from the view
    // both down and across.
    const std::string line = "<p class=\"a\">" + std::string(300, 'x') + " <b class=\"b\">fin</b></p>\r\n";
    SetText(w.memo, Repeated(line, 2000));
    const std::string original = w.memo.StoredText();
    std::string expected;
    for (size_t at = 0, next; at < original.size(); at = next + 5) {
        next = std::min(original.find("class", at), original.size());
        expected += original.substr(at, next - at) + (next < original.size() ? "klasse" : "");
    }
    item(w.form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = w.form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetFindText("class");
    dialog->SetReplaceText("klasse");
    for (const bool down : {true, false}) {
        SCOPED_TRACE(down);
        // Downward from the start, upward from the last character (the search starts at the start
        // of the selection, or of the text without one), with the view where the caret is.
        const int length = w.memo.TextLength();
        Select(w.memo, down ? 0 : length - 1, down ? 0 : length);
        const int top = w.memo.TopLine();
        const int left = w.memo.LeftColumn();
        dialog->SetOptions(down ? frDown : TFindOptions(0));
        dialog->ClickReplaceAll();
        ASSERT_TRUE(w.memo.StoredText() == expected);
        // The caret stands after the replacement made last one by one: the last in the text going
        // down, the first going up; the view stays where it was.
        const TTextRange caret{w.memo.Anchor(), w.memo.Caret()};
        const size_t last = down ? expected.rfind("klasse") : expected.find("klasse");
        EXPECT_EQ(caret, (TTextRange{static_cast<int>(last) + 6, static_cast<int>(last) + 6}));
        EXPECT_EQ(w.memo.TopLine(), top);
        EXPECT_EQ(w.memo.LeftColumn(), left);
        EXPECT_EQ(w.memo.TopLine() > 0, !down);

        item(w.form, "mDeshacer")->trigger();
        EXPECT_TRUE(w.memo.StoredText() == original);
        EXPECT_FALSE(w.memo.CanUndo());
        item(w.form, "mRehacer")->trigger();
        EXPECT_TRUE(w.memo.StoredText() == expected);
        EXPECT_FALSE(w.memo.CanRedo());
        EXPECT_EQ((TTextRange{w.memo.Anchor(), w.memo.Caret()}), caret);
        EXPECT_EQ(w.memo.TopLine(), top);
        EXPECT_EQ(w.memo.LeftColumn(), left);
        item(w.form, "mDeshacer")->trigger();
        EXPECT_TRUE(w.memo.StoredText() == original);
    }
    dialog->CloseDialog();
}

TEST(MainWindowCommands, TheReplaceDialogKeepsTheKeyboardAfterItsCommandsAndEscapeClosesIt)
{
    TShownForm w;
    SetText(w.memo, "casa y casa");
    item(w.form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = w.form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    QApplication::processEvents();
    dialog->SetFindText("casa");
    dialog->SetReplaceText("hogar");
    dialog->ClickFindNext();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), dialog);
    dialog->ClickReplaceAll();
    QApplication::processEvents();
    EXPECT_EQ(w.memo.StoredText(), "hogar y hogar");
    ASSERT_EQ(QApplication::activeWindow(), dialog);
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->window(), dialog);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(keys, &escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST(MainWindowCommands, TheFindQuestionGivesTheKeyboardBackToTheDialogThatAsked)
{
    TShownForm w;
    SetText(w.memo, "uno dos");
    // Alt with a letter no item takes types nothing into the page.
    Select(w.memo, 3, 3);
    for (auto [key, letter] : {std::pair{Qt::Key_Q, "q"}, {Qt::Key_W, "w"}, {Qt::Key_X, "x"}, {Qt::Key_B, "b"}}) {
        QKeyEvent alt(QEvent::KeyPress, key, Qt::AltModifier, QString::fromLatin1(letter));
        QApplication::sendEvent(&w.memo, &alt);
    }
    EXPECT_EQ(w.memo.StoredText(), "uno dos");
    Select(w.memo, 0, 0);
    item(w.form, "mBuscar")->trigger();
    TFindDialog* dialog = w.memo.FindDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), dialog);
    dialog->SetFindText("dos");
    dialog->ClickFindNext();
    ASSERT_EQ(w.memo.GetSelText(), "dos");
    // The user answers No in the box itself, as the system shows it.
    std::string asked;
    QWidget* over = nullptr;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked = ToWin1252(box->text());
        over = box->parentWidget();
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::NoRole)
                button->click();
    });
    dialog->ClickFindNext();
    QApplication::processEvents();
    EXPECT_EQ(asked, "No se puede encontrar \"dos\".\n\xBF"
                     "Desea buscar de nuevo desde el principio del documento?");
    EXPECT_EQ(over, dialog);
    EXPECT_EQ(QApplication::activeWindow(), dialog);
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->window(), dialog);
    // So a letter typed next goes to the dialog, and the match in the page stays as it was.
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(keys, &letter);
    EXPECT_EQ(w.memo.StoredText(), "uno dos");
}

TEST(MainWindowCommands, UndoCopyCutPasteAndSelectAllActOnTheFocusedControl)
{
    TShownForm w;
    ASSERT_TRUE(w.memo.hasFocus());
    SetText(w.memo, "");
    typeText(w.memo, "uno dos");
    item(w.form, "mSeleccionaTodo")->trigger();
    EXPECT_EQ(w.memo.GetSelText(), "uno dos");
    Select(w.memo, 0, 4);
    item(w.form, "mCortar")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dos");
    Select(w.memo, 3, 3);
    item(w.form, "mPegar")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dosuno ");
    Select(w.memo, 0, 3);
    item(w.form, "mCopiar")->trigger();
    Select(w.memo, 7, 7);
    item(w.form, "mPegar")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dosuno dos");
    item(w.form, "mDeshacer")->trigger();
    EXPECT_EQ(w.memo.StoredText(), "dosuno ");

    // A line edit of the window with the focus gets the same commands.
    auto* edit = new QLineEdit(&w.form);
    edit->show();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    edit->setText("abc");
    item(w.form, "mSeleccionaTodo")->trigger();
    EXPECT_EQ(edit->selectedText(), "abc");
    // The items follow the editor's selection; the command itself serves whatever has the focus.
    w.form.proOpcionesEdicion(3);
    EXPECT_EQ(edit->text(), "");
    w.form.proOpcionesEdicion(5);
    w.form.proOpcionesEdicion(5);
    EXPECT_EQ(edit->text(), "abcabc");
    item(w.form, "mDeshacer")->trigger();
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_EQ(w.memo.StoredText(), "dosuno ");
}

TEST(MainWindowCommands, QuickPairsWrapTheSelectionWhenSwitchedOn)
{
    TDocumentWindow w;
    w.form.Config().QuickTag = true;
    w.form.Config().InsCaseMode = 0;
    const std::pair<char, std::string> pairs[] = {{'(', "(word)"}, {'"', "\"word\""}, {'<', "<word>"},
                                                 {'[', "[word]"},  {'{', "{word}"},   {'\xA1', "\xA1word!"},
                                                 {'\xBF', "\xBFword?"}};
    for (const auto& [typed, wrapped] : pairs) {
        SetText(w.memo, "a word b");
        Select(w.memo, 2, 6);
        type(w.memo, typed);
        EXPECT_EQ(w.memo.StoredText(), "a " + wrapped + " b") << typed;
        EXPECT_EQ(w.memo.GetSelText(), "word") << typed;
        // One undo takes the pair away again.
        w.memo.Undo();
        EXPECT_EQ(w.memo.StoredText(), "a word b") << typed;
    }
    // Without a selection the pair goes in at the caret.
    SetText(w.memo, "ab");
    Select(w.memo, 1, 1);
    type(w.memo, '[');
    EXPECT_EQ(w.memo.StoredText(), "a[]b");
    // Other characters are typed as ever.
    type(w.memo, 'x');
    EXPECT_EQ(w.memo.StoredText(), "a[x]b");

    w.form.Config().QuickTag = false;
    SetText(w.memo, "a word b");
    Select(w.memo, 2, 6);
    type(w.memo, '(');
    EXPECT_EQ(w.memo.StoredText(), "a ( b");

    // A read-only text takes no pair either.
    w.form.Config().QuickTag = true;
    w.memo.SetReadOnly(true);
    Select(w.memo, 0, 1);
    type(w.memo, '(');
    EXPECT_EQ(w.memo.StoredText(), "a ( b");
}

TEST(MainWindowCommands, TypingTheCloserAQuickPairPutAfterTheCaretStepsOverIt)
{
    TDocumentWindow w;
    w.form.Config().QuickTag = true;
    w.form.Config().InsCaseMode = 0;
    SetText(w.memo, "");
    typeText(w.memo, "<u>Z</u> f(1) \"a\" g((2)) x");
    EXPECT_EQ(w.memo.StoredText(), "<u>Z</u> f(1) \"a\" g((2)) x");
    // Typed before the rest of a text.
    SetText(w.memo, "fin");
    Select(w.memo, 0, 0);
    typeText(w.memo, "[1]");
    EXPECT_EQ(w.memo.StoredText(), "[1]fin");
    EXPECT_EQ(w.memo.GetSelStart(), 3);

    // A closer the user did not just get is typed as ever: one already in the text, one whose pair
    // the caret left, and one typed with the pair's inside selected.
    SetText(w.memo, "a)");
    Select(w.memo, 1, 1);
    type(w.memo, ')');
    EXPECT_EQ(w.memo.StoredText(), "a))");
    SetText(w.memo, "");
    typeText(w.memo, "(x");
    press(w.memo, VK_END);
    type(w.memo, ')');
    EXPECT_EQ(w.memo.StoredText(), "(x))");
    SetText(w.memo, "a word");
    Select(w.memo, 2, 6);
    type(w.memo, '(');
    type(w.memo, ')');
    EXPECT_EQ(w.memo.StoredText(), "a ())");
    // Without quick pairs every closer is typed.
    w.form.Config().QuickTag = false;
    SetText(w.memo, "");
    typeText(w.memo, "f(1)");
    EXPECT_EQ(w.memo.StoredText(), "f(1)");
}

TEST(MainWindowCommands, DroppedFilesPutTheirCodesAtTheDropPoint)
{
    TempDir dir("dropped");
    TShownForm w;
    openDropPage(w.form, dir);
    ASSERT_TRUE(w.memo.ActiveSettings().HasOption(smoProcessDroppedFiles));
    const std::string picture = dir.file("a.gif", TinyGif());
    const std::string sheet = dir.file("estilo.css", "");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture)), QUrl::fromLocalFile(QString::fromStdString(sheet))});
    ASSERT_TRUE(dropOnto(w.memo, data, 6));
    EXPECT_EQ(w.memo.StoredText(), "<BODY>\r<IMG SRC=\"a.gif\" ALT=\"a\" WIDTH=\"40\" HEIGHT=\"20\">"
                                 "\r<LINK REL=StyleSheet HREF=\"estilo.css\" TYPE=\"text/css\"></BODY>");
    // One insertion: one undo takes both codes away.
    w.memo.Undo();
    EXPECT_EQ(w.memo.StoredText(), "<BODY></BODY>");
}

TEST(MainWindowCommands, AFileDroppedFromAnyProgramGoesInAsTheSidePanelsExplorerPutsIt)
{
    TempDir dir("dropped-name");
    TShownForm w;
    openDropPage(w.form, dir);
    std::filesystem::create_directory(dir.path / "im\xC3\xA1genes");
    const std::string picture = dir.file("im\xC3\xA1genes/foto \xC3\xB1.gif", TinyGif());

    // A file manager hands the address with its characters escaped, as any program does.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromUtf8(picture.c_str()))});
    ASSERT_TRUE(data.data("text/uri-list").contains("foto%20%C3%B1.gif"));
    ASSERT_TRUE(dropOnto(w.memo, data, 6));
    // The name as its characters in the page's text, and the picture's size found.
    EXPECT_EQ(w.memo.StoredText(), "<BODY>\r<IMG SRC=\"im\xE1genes/foto \xF1.gif\" ALT=\"foto \xF1\" WIDTH=\"40\" HEIGHT=\"20\"></BODY>");
    // The same code the side panel's explorer inserts for the file.
    EXPECT_EQ(w.memo.StoredText(), "<BODY>\r" + w.form.CodigoDeArchivo(picture) + "</BODY>");

    // A Latin-1 name arrives escaped ("%E9"), which no Qt character spells: still the file itself.
    SetText(w.memo, "<BODY></BODY>");
    const std::string latin1 = dir.file("caf\xE9.gif", TinyGif());
    QMimeData escaped;
    escaped.setData("text/uri-list", QByteArray("file://") + QByteArray::fromStdString(latin1).toPercentEncoding("/") + "\r\n");
    ASSERT_TRUE(dropOnto(w.memo, escaped, 6));
    EXPECT_EQ(w.memo.StoredText(), "<BODY>\r" + w.form.CodigoDeArchivo(latin1) + "</BODY>");
    EXPECT_NE(w.memo.StoredText().find("WIDTH=\"40\" HEIGHT=\"20\""), std::string::npos) << w.memo.StoredText();
}

TEST(MainWindowCommands, NamesThatReadOtherwiseInAnAddressLeadABrowserAndTheReportToTheirFiles)
{
    TempDir dir("addresses");
    TShownForm w;
    openDropPage(w.form, dir);
    std::filesystem::create_directory(dir.path / "C#");
    std::filesystem::create_directory(dir.path / "sub");
    // An escape, a fragment, a query, character references and a backslash, each in a name; and a
    // plain one.
    const std::vector<std::string> names = {"Mi%20foto.gif", "100%.gif", "C#/notas.html", "q?a.html", "caf&#233;.html",
                                            "R&D.html", "x&amp;y.gif", "a\\b.gif", "sub/plain.gif"};
    std::vector<std::string> files;
    for (const std::string& name : names)
        files.push_back(dir.file(name, name.ends_with(".gif") ? TinyGif() : "<p>" + name + "</p>"));
    const auto picture = [](const std::string& name) { return name.ends_with(".gif"); };

    std::string page;
    for (size_t i = 0; i < names.size(); ++i) {
        // The address alone, relative to the page.
        EXPECT_EQ(BrowserAddressPath(w.form.RutaRelativa(files[i])), names[i]) << w.form.RutaRelativa(files[i]);
        // Dropped from a file manager: the picture's or the link's address.
        SetText(w.memo, "<BODY></BODY>");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromUtf8(files[i].c_str()))});
        ASSERT_TRUE(dropOnto(w.memo, data, 6)) << names[i];
        const std::string text = w.memo.StoredText();
        ASSERT_TRUE(text.starts_with("<BODY>\r") && text.ends_with("</BODY>")) << text;
        const std::string code = text.substr(7, text.size() - 7 - 7);
        EXPECT_EQ(BrowserAddressPath(AttributeValueIn(code, picture(names[i]) ? "SRC" : "HREF")), names[i]) << code;
        page += code + "\r";
    }

    // The frameset designer, one frame a file picked with its source's button, each named by its whole
    // path (the setting that writes names so).
    {
        w.form.Config().InsertDirs = 0;
        TformMarcos dialog(w.form, nullptr);
        dialog.show();
        dialog.eVertical->setText(QString::number(names.size()));
        dialog.btnVerticalClick();
        const TFrameNode& root = dialog.Design().Root();
        ASSERT_EQ(root.Children.size(), names.size());
        TDialogAnswers picked;
        for (size_t i = 0; i < names.size(); ++i) {
            Click(*dialog.PanelOf(*root.Children[i]));
            picked.answers.push_back({files[i]});
            Click(*dialog.eSrc->Button());
        }
        // The first frame's source shows as its address again, the name's "%" escaped.
        Click(*dialog.PanelOf(*root.Children[0]));
        EXPECT_EQ(dialog.eSrc->text(), QString::fromUtf8((dir.path.string() + "/Mi%2520foto.gif").c_str()));
        TBoxAnswers boxes;
        dialog.btnVer->click();
        ASSERT_EQ(boxes.texts.size(), 1u);
        TStringList lines;
        lines.SetText(boxes.texts[0]);
        std::vector<std::string> sources;
        for (int line = 0; line < lines.Count(); ++line)
            if (lines[line].starts_with("<frame "))
                sources.push_back(BrowserAddressPath(AttributeValueIn(lines[line], "src")));
        EXPECT_EQ(sources, files);
        page += boxes.texts[0];
    }

    // The report finds each file through each of its addresses, and sizes the pictures.
    SetText(w.memo, page);
    TStringList references;
    ExtractLinks(w.memo.StoredText(), references);
    EXPECT_EQ(references.Count(), static_cast<int>(names.size() * 2));
    std::multiset<std::string> found;
    for (int i = 0; i < references.Count(); ++i)
        found.insert(ReferencedFile(dir.path.string() + "/", references[i], w.form.FileEntities()));
    for (const std::string& file : files)
        EXPECT_EQ(found.count(file), 2u) << file;
    TShellOpens shell;
    w.form.mActualizaRecursosClick();
    ASSERT_EQ(shell.targets.size(), 1u);
    const std::string report = ReadFileBytes(shell.targets[0]);
    const std::string sized = "</a> (" + std::to_string(TinyGif().size()) + " bytes)<br>";
    size_t pictures = 0;
    for (size_t at = report.find(sized); at != std::string::npos; at = report.find(sized, at + 1))
        ++pictures;
    EXPECT_EQ(pictures, 2 * static_cast<size_t>(std::count_if(names.begin(), names.end(), picture))) << report;
}

TEST(MainWindowCommands, ADroppedFileWhoseNameIsMarkupGoesInAsOneElementNamedByIt)
{
    TempDir dir("markup-names");
    TShownForm w;
    openDropPage(w.form, dir);
    // Names that would be a live tag, swallow the rest of the page, end an attribute or start a
    // reference.
    const std::vector<std::string> names = {"<img src=x onerror=alert(3)>.html", "<script>.html", "a\"b.gif", "p&q.html"};
    for (const int caseMode : {4, 3}) {
        w.form.Config().InsCaseMode = caseMode;
        for (const std::string& name : names) {
            const std::string file = dir.file(name, name.ends_with(".gif") ? TinyGif() : "<p>p</p>");
            const std::string stem = name.substr(0, name.rfind('.'));
            SetText(w.memo, "<BODY></BODY>");
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(QString::fromUtf8(file.c_str()))});
            ASSERT_TRUE(dropOnto(w.memo, data, 6)) << name;
            const std::string text = w.memo.StoredText();
            ASSERT_TRUE(text.starts_with("<BODY>\r") && text.ends_with("</BODY>")) << text;
            const std::string code = text.substr(7, text.size() - 7 - 7);
            EXPECT_EQ(code, w.form.CodigoDeArchivo(file));
            const TParsedCode parsed = ParsePageCode(code);
            if (name.ends_with(".gif")) {
                EXPECT_EQ(parsed.Elements, (std::vector<TPageElement>{{"img", name, ""}})) << code;
                EXPECT_EQ(parsed.Text, "\xEF\xBF\xBC") << code;
                EXPECT_EQ(BrowserAddressPath(AttributeValueIn(code, "alt")), stem) << code;
            } else {
                EXPECT_EQ(parsed.Elements, (std::vector<TPageElement>{{"a", name, stem}})) << code;
                EXPECT_EQ(parsed.Text, stem) << code;
            }
        }
    }
    // A second drop that lands inside the first one's address ends that attribute early: what
    // follows of the address is read as the page's text, where a name's markup would be live.
    w.form.Config().InsCaseMode = 4;
    SetText(w.memo, "<BODY></BODY>");
    const std::pair<std::string, int> drops[] = {{"<img src=x onerror=alert(3)>.html", 6},
                                                 {"<script>.html", static_cast<int>(std::string_view("<BODY>\r<A HREF=\"").size())}};
    for (const auto& [name, offset] : drops) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromUtf8((dir.path / name).c_str()))});
        ASSERT_TRUE(dropOnto(w.memo, data, offset)) << name;
    }
    const std::string split = w.memo.StoredText();
    ASSERT_NE(split.find("<A HREF=\"\r<A HREF=\"%3Cscript%3E.html\">"), std::string::npos) << split;
    for (const TPageElement& element : ParsePageCode(split).Elements)
        EXPECT_EQ(element.Tag, "a") << split;
    EXPECT_NE(split.find("%3Cimg src=x onerror=alert(3)%3E.html\">&lt;img"), std::string::npos) << split;

    // As the code says it, exactly.
    EXPECT_EQ(w.form.CodigoDeArchivo((dir.path / "<script>.html").string()),
              "<A HREF=\"%3Cscript%3E.html\">&lt;script&gt;</A>");
    EXPECT_EQ(w.form.CodigoDeArchivo((dir.path / "p&q.html").string()), "<A HREF=\"p%26q.html\">p&amp;q</A>");
    EXPECT_EQ(w.form.CodigoDeArchivo((dir.path / "a\"b.gif").string()),
              "<IMG SRC=\"a%22b.gif\" ALT=\"a&quot;b\" WIDTH=\"40\" HEIGHT=\"20\">");
}

TEST(MainWindowCommands, ADroppedAddressGoesInOnlyWhenItNamesAFileOfThisMachine)
{
    TempDir dir("dropped-address");
    TShownForm w;
    openDropPage(w.form, dir);
    const std::string folder = dir.path.string();
    const std::string picture = dir.file("foto.gif", TinyGif());
    std::filesystem::create_directory(dir.path / "sub");
    dir.file("sub/a.gif", TinyGif());
    const std::string odd = dir.file("100%G1.gif", TinyGif());
    const std::string percent = dir.file("50%.gif", TinyGif());
    const std::string latin1 = dir.file("caf\xE9.gif", TinyGif());
    // The folder's first part taken for a machine: "file://tmp/..." names the machine "tmp".
    const size_t second = folder.find('/', 1);
    const std::string otherMachine =
        "file:/" + folder.substr(0, second) + "/" + folder.substr(second + 1) + "/foto.gif";
    // Each address as a file manager might hand it over, and the file it names here ("" for none).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"file://" + folder + "/foto.gif%00.css", ""},
        {otherMachine, ""},
        {"file://localhost" + folder + "/foto.gif", picture},
        {"file://" + folder + "/sub%2Fa.gif", ""},
        {"file://" + folder + "/100%G1.gif", odd},
        {"file://" + folder + "/50%.gif", percent},
        {"file://" + folder + "/caf%E9.gif", latin1},
    };
    for (const auto& [address, file] : cases) {
        SetText(w.memo, "<BODY></BODY>");
        QMimeData data;
        data.setData("text/uri-list", QByteArray::fromStdString(address) + "\r\n");
        // One naming no local file is not taken: nothing goes in for it.
        EXPECT_EQ(dropOnto(w.memo, data, 6), !file.empty()) << address;
        const std::string code = file.empty() ? std::string() : "\r" + w.form.CodigoDeArchivo(file);
        EXPECT_EQ(w.memo.StoredText(), "<BODY>" + code + "</BODY>") << address;
    }
    // The files are sized: the local file is the one read.
    EXPECT_NE(w.memo.StoredText().find("WIDTH=\"40\" HEIGHT=\"20\""), std::string::npos);
}

TEST(MainWindowCommands, PrintPreviewShowsTheDocumentWithThePageSetupsMargins)
{
    RecordingPrintTarget target; // a 300-dpi Letter printer
    TDocumentWindow w;
    QAction* preview = item(w.form, "mVistaPreliminar");
    EXPECT_EQ(ToWin1252(preview->text()), "&Vista preliminar...");
    auto* archivo = w.form.menuBar()->findChild<QMenu*>("mArchivo");
    const QList<QAction*> items = archivo->actions();
    EXPECT_EQ(items.indexOf(preview), items.indexOf(item(w.form, "mImprimirSel")) + 1);
    SetText(w.memo, "primera\r\nsegunda");

    struct Seen {
        bool Shown = false, Grid = true;
        int Entry = -1, Pages = 0;
        TRect Rect;
        std::string Font;
        int FontSize = 0;
        TPrinterOrientation Orientation = poLandscape;
    };
    auto previewed = [&] {
        Seen seen;
        QTimer::singleShot(0, [&seen] {
            auto* form = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget());
            if (!form)
                return;
            TPreviewPrinter& printer = form->Printer();
            seen = {true, form->GridBut->Down(), form->ZoomBox->currentIndex(), printer.PageCount(),
                    printer.PageRect(), printer.TextOptions().BodyFont().Name(),
                    printer.TextOptions().BodyFont().Size(), printer.Orientation};
            form->close();
        });
        preview->trigger();
        return seen;
    };
    // Before any page setup, the margins that Preparar p\xE1gina shows first: 25 mm, on the target's
    // Letter sheet.
    Seen first = previewed();
    ASSERT_TRUE(first.Shown);
    EXPECT_FALSE(first.Grid);
    EXPECT_EQ(first.Entry, 0);
    EXPECT_EQ(first.Pages, 1);
    EXPECT_EQ(first.Rect, (TRect{295, 295, 2550 - 295, 3300 - 295}));
    EXPECT_EQ(first.Font, w.memo.FontName());
    EXPECT_EQ(first.FontSize, w.memo.FontSize());
    EXPECT_EQ(first.Orientation, poPortrait);

    // 25.4 mm on every side is an inch.
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    printer.setFullPage(false);
    ASSERT_TRUE(pageSetup(w.form, 25.4, 25.4, 25.4, 25.4));
    printer.setPageLayout(saved);
    EXPECT_EQ(previewed().Rect, (TRect{300, 300, 2550 - 300, 3300 - 300}));

    // With no document the item is disabled, like the print items.
    w.form.mCerrarTodoClick();
    EXPECT_FALSE(preview->isEnabled());
    EXPECT_FALSE(item(w.form, "mImprimir")->isEnabled());
}

TEST(MainWindowCommands, PrintingFromThePreviewTitlesTheJobWithTheDocumentShown)
{
    RecordingPrintTarget target;
    TempDir dir("previewtitle");
    TDocumentWindow w; // "Nuevo1"
    const std::string page = dir.file("pagina.html", "<p>hola</p>");
    w.form.AbreArchivo(page, false, ekHTML);
    const auto printedFromPreview = [&] {
        QTimer::singleShot(0, [] {
            if (auto* preview = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget())) {
                Click(*preview->PrintBut);
                preview->close();
            }
        });
        item(w.form, "mVistaPreliminar")->trigger();
        return target.Jobs.empty() ? std::string("(no job)") : target.Jobs.back().Title;
    };
    EXPECT_EQ(printedFromPreview(), page);
    switchTo(w.form, 0);
    EXPECT_EQ(printedFromPreview(), "Nuevo1");
    EXPECT_EQ(target.Jobs.size(), 2u);
}

TEST(MainWindowCommands, OneUndoTakesBackAReplaceAllAndUndoingToTheOpenedTextClearsModified)
{
    TBoxAnswers boxes({}, IDNO);
    TWindow w;
    struct Case {
        std::string page, find, replacement;
        int flags; // 0: Edici\xF3n > Reemplazar; else the editor's own dialog with these search flags
        std::string replaced;
    };
    const Case cases[] = {
        {"<p>Hola</p>\r\n<img src=\"img/foto.jpg\">\r\n<img src=\"img/foto2.jpg\">\r\n", "foto", "Hoja", 0,
         "<p>Hola</p>\r<img src=\"img/Hoja.jpg\">\r<img src=\"img/Hoja2.jpg\">\r"},
        // Results that empty the page, matches at the start and the whole text as one match.
        {"abab", "ab", "", 0, ""},
        {"aaaa", "(b|a)a", "", smsRegExpr, ""},
        {"aaB", ".b*", "", smsRegExpr, ""},
        {"uno\r\ndos", "uno\\ndos", "", smsRegExpr, ""},
        {"uno\r\ndos\r\n", "[a-z]+", "x", smsRegExpr, "x\rx\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        w.form.mCerrarTodoClick();
        const std::string file = w.folder.file("index.html", c.page);
        w.form.AbreArchivo(file, false, w.form.TipoDeArchivo(file));
        const std::string opened = w.memo.StoredText();
        TReplaceDialog* dialog = nullptr;
        if (c.flags == 0) {
            item(w.form, "mReemplazar")->trigger();
            dialog = w.form.ReplaceDialog();
        } else {
            w.memo.Perform(SMM_REPLACE, static_cast<WPARAM>(c.flags), 0);
            dialog = w.memo.ReplaceDialog();
        }
        ASSERT_NE(dialog, nullptr);
        Select(w.memo, 0, 0);
        dialog->SetFindText(c.find);
        dialog->SetReplaceText(c.replacement);
        dialog->SetOptions(frDown);
        dialog->ClickReplaceAll();
        EXPECT_EQ(w.memo.StoredText(), c.replaced);
        EXPECT_EQ(modifiedText(w.form), "Modificado");
        dialog->CloseDialog();
        QApplication::processEvents();
        item(w.form, "mDeshacer")->trigger();
        // The text as opened, byte for byte, and nothing left to save.
        EXPECT_EQ(w.memo.StoredText(), opened);
        EXPECT_EQ(modifiedText(w.form), "");
        EXPECT_TRUE(w.form.CurrentFile()->Guardado);
        // Redone, it is changed again, and one more undo is the opened text again.
        item(w.form, "mRehacer")->trigger();
        EXPECT_EQ(w.memo.StoredText(), c.replaced);
        EXPECT_EQ(modifiedText(w.form), "Modificado");
        EXPECT_FALSE(w.form.CurrentFile()->Guardado);
        item(w.form, "mDeshacer")->trigger();
        EXPECT_EQ(w.memo.StoredText(), opened);
        EXPECT_EQ(modifiedText(w.form), "");
    }
    EXPECT_TRUE(boxes.texts.empty());
    const std::string opened = w.memo.StoredText();

    // After a save the saved text is the one without changes: undoing past it changes the document.
    item(w.form, "mRehacer")->trigger();
    w.form.mGuardarClick();
    EXPECT_EQ(modifiedText(w.form), "");
    item(w.form, "mDeshacer")->trigger();
    EXPECT_EQ(w.memo.StoredText(), opened);
    EXPECT_EQ(modifiedText(w.form), "Modificado");
    item(w.form, "mRehacer")->trigger();
    EXPECT_EQ(modifiedText(w.form), "");
}
