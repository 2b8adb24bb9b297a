// Tests of the main window's file, edit and view commands, driven headless: undo history menus, find next, word characters, data drops, toggles and printing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/KestrimaConfig.h"
#include "app/uFormPrincipal.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "editor/model/Undo.h"
#include "editor/CodeMemoTestSupport.h"
#include "platform/Win1252Qt.h"
#include "support/BoxAnswers.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

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

QAction* item(TformPrincipal& form, const char* name)
{
    auto* action = form.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
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

std::vector<std::string> openedRedo(TformPrincipal& form)
{
    form.RedoPopupPopup();
    return captions(form.RedoPopup());
}

// A window with a new document open, in a registry of its own.
struct TDocumentWindow {
    TDocumentWindow() { Form.mNuevoClick(); }
    TempRegistry Registry{"commands"};
    TformPrincipal Form;
};

// A window shown and active, with the keyboard in its editor.
struct TShownForm {
    TShownForm()
    {
        Form.show();
        Form.mNuevoClick();
        Form.activateWindow();
        Form.CodeMemo()->setFocus();
        QApplication::processEvents();
    }
    TempRegistry Registry{"commands"};
    TformPrincipal Form;
};

TSelectionRange ordered(TCustomCodeMemo& memo)
{
    TSelectionRange range = Selection(memo);
    if (range.Start > range.End)
        std::swap(range.Start, range.End);
    return range;
}

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

    TShownForm shown;
    TCodeMemo& memo = *shown.Form.CodeMemo();
    ASSERT_TRUE(memo.fn_CharIsInWord && memo.fn_CharStartsWord);
    EXPECT_FALSE(memo.fn_CharStartsWord('-'));
    SetText(memo, "x = #a\xF1o_1-z");
    const TPoint at = memo.PointFromOffset(6);
    const QPointF point(at.X + 1, at.Y + 1);
    const QPointF widgetPoint = point + QPointF(memo.contentsRect().topLeft());
    QMouseEvent click(QEvent::MouseButtonDblClick, widgetPoint, memo.mapToGlobal(widgetPoint), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &click);
    EXPECT_EQ(memo.GetSelText(), "#a\xF1o_1");
}

TEST(MainWindowCommands, TheUndoMenuNamesTheGroupsAndUndoesDownToTheChosenOne)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    EXPECT_EQ(openedUndo(form), std::vector<std::string>{"Nada que deshacer"});
    EXPECT_EQ(openedRedo(form), std::vector<std::string>{"Nada que rehacer"});
    // Choosing the empty menu's only item does nothing.
    form.UndoPopup()->actions().front()->trigger();

    typeText(memo, "abc");
    EXPECT_EQ(openedUndo(form), std::vector<std::string>{"Escritura"});

    Select(memo, 0, 0);
    memo.BeginUndoGroup(ugPaste);
    Insert(memo, "xy");
    memo.EndUndoGroup(ugPaste);
    ASSERT_EQ(memo.StoredText(), "xyabc");
    EXPECT_EQ(openedUndo(form), (std::vector<std::string>{"Pegar", "Escritura"}));

    form.UndoPopup()->actions().at(1)->trigger();
    EXPECT_EQ(memo.StoredText(), "");
    EXPECT_EQ(openedUndo(form), std::vector<std::string>{"Nada que deshacer"});
    EXPECT_EQ(openedRedo(form), (std::vector<std::string>{"Escritura", "Pegar"}));
    // Redoing the first item brings back the typing alone; the paste stays undone.
    form.RedoPopup()->actions().front()->trigger();
    EXPECT_EQ(memo.StoredText(), "abc");
    EXPECT_EQ(openedRedo(form), std::vector<std::string>{"Pegar"});
    form.RedoPopup()->actions().front()->trigger();
    EXPECT_EQ(memo.StoredText(), "xyabc");
}

TEST(MainWindowCommands, TheHistoryMenusNameEveryKind)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    // One group of each kind, each at its own place so that no two merge.
    const int kinds[] = {ugMoveText, ugDelete, ugPaste, ugCut, ugTemplate, ugIndent, ugUnindent,
                         ugDeleteWord, ugReplaceAll, ugInsertText, 22};
    for (int kind : kinds) {
        Select(memo, memo.TextLength(), memo.TextLength());
        memo.BeginUndoGroup(kind);
        Insert(memo, "k");
        memo.EndUndoGroup(kind);
    }
    EXPECT_EQ(openedUndo(form), (std::vector<std::string>{"Operaci\xF3n", "Insertado", "Reemplazar todo", "Borrar",
                                                          "Reducir sangr\xED""a", "Sangrado", "Plantilla", "Cortar",
                                                          "Pegar", "Borrar", "Mover"}));
}

TEST(MainWindowCommands, FindNextRepeatsTheEditorsSearchAndAsksToStartAgain)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    SetText(memo, "uno dos uno dos");
    Select(memo, 2, 2);
    {
        TBoxAnswers boxes({}, IDNO);
        form.mBuscaOtroClick();
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_EQ(ordered(memo).Start, 2);
        EXPECT_EQ(ordered(memo).End, 2);
        EXPECT_EQ(form.TextoBuscado, "");
    }

    // The editor searched "dos" once; Find Next goes on from there and takes its text.
    int at = -1;
    ASSERT_TRUE(memo.FindText("dos", at, smsDirect));
    ASSERT_EQ(at, 4);
    Select(memo, 4, 7);
    item(form, "mBuscaOtro")->trigger();
    EXPECT_EQ(form.TextoBuscado, "dos");
    EXPECT_EQ(ordered(memo).Start, 12);
    EXPECT_EQ(ordered(memo).End, 15);

    TBoxAnswers boxes({}, IDYES);
    form.mBuscaOtroClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              "No se puede encontrar \"dos\".\r\xBF"
              "Desea buscar de nuevo desde el principio del documento?");
    EXPECT_EQ(boxes.flags[0], 0x24u);
    // Yes only puts the caret at the start: the search is not repeated by itself.
    EXPECT_EQ(ordered(memo).Start, 0);
    EXPECT_EQ(ordered(memo).End, 0);
    form.mBuscaOtroClick();
    EXPECT_EQ(ordered(memo).Start, 4);
    EXPECT_EQ(ordered(memo).End, 7);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(MainWindowCommands, FindNextSelectsARegularExpressionsWholeMatch)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    SetText(memo, "a1 bb22 ccc333");
    int at = -1;
    ASSERT_TRUE(memo.FindText("[a-z][0-9]+", at, smsDirect | smsRegExpr));
    ASSERT_EQ(memo.GetSelText(), "a1");
    form.OpcionesBusqueda = smsRegExpr;
    form.mBuscaOtroClick();
    EXPECT_EQ(memo.GetSelText(), "b22");
    form.mBuscaOtroClick();
    EXPECT_EQ(memo.GetSelText(), "c333");
}

TEST(MainWindowCommands, HtmlOfferedTakesTheTextOrTheFragmentBySetting)
{
    TShownForm shown;
    TformPrincipal& form = shown.Form;
    TCodeMemo& memo = *form.CodeMemo();
    auto dropHtml = [&memo] {
        SetText(memo, "");
        QMimeData data;
        data.setHtml("junk<p><!--StartFragment--><b>frag</b><!--EndFragment--></p>");
        data.setText("plain");
        const QPoint at(memo.contentsRect().topLeft() + QPoint(2, 2));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&memo, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&memo, &drop);
        return memo.StoredText();
    };
    form.Config().InsHtmlData = false;
    EXPECT_EQ(dropHtml(), "plain");
    form.Config().InsHtmlData = true;
    EXPECT_EQ(dropHtml(), "<b>frag</b>");

    // The flags as a paste offers them.
    TSourceTypes offered = stHTML | stCFText | stAny;
    form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stHTML | stAny | stFragment);
    form.Config().InsHtmlData = false;
    offered = stHTML | stCFText | stAny;
    form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stCFText | stAny);
    // Files from a drop go to the window's handler instead of being inserted as names.
    offered = stFiles | stNoFilter | stProcessFiles;
    form.CodeMemoDataDrop(offered);
    EXPECT_EQ(offered, stFiles | stProcessFiles);
}

TEST(MainWindowCommands, ReadOnlyIsAToggledCheckMark)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    QAction* readOnly = item(form, "mSoloLectura");
    EXPECT_TRUE(readOnly->isCheckable());
    readOnly->trigger();
    EXPECT_TRUE(readOnly->isChecked());
    EXPECT_TRUE(memo.ReadOnly());
    EXPECT_EQ(ToWin1252(form.Panel(3)->text()), "S\xF3lo lectura");
    typeText(memo, "abc");
    EXPECT_EQ(memo.StoredText(), "");
    readOnly->trigger();
    EXPECT_FALSE(readOnly->isChecked());
    EXPECT_FALSE(memo.ReadOnly());
    EXPECT_EQ(ToWin1252(form.Panel(3)->text()), "Insertar");
    typeText(memo, "abc");
    EXPECT_EQ(memo.StoredText(), "abc");
}

TEST(MainWindowCommands, TheToolBarAndSidePanelTogglesShowHideAndRenameTheirButtons)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    // Stand-ins for the panels the window places.
    auto* toolBar = new QWidget(&form);
    toolBar->setObjectName("PHerramientas");
    auto* sidePanel = new QWidget(&form);
    sidePanel->setObjectName("pLateral");
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
    TShownForm shown;
    TformPrincipal& form = shown.Form;
    TCodeMemo& memo = *form.CodeMemo();
    ASSERT_TRUE(memo.hasFocus());
    SetText(memo, "uno dos tres");
    Select(memo, 12, 12);
    item(form, "BorrarAnterior")->trigger();
    EXPECT_EQ(memo.StoredText(), "uno dos ");
    Select(memo, 0, 4);
    item(form, "mBorrar")->trigger();
    EXPECT_EQ(memo.StoredText(), "dos ");
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "uno dos ");
    item(form, "mRehacer")->trigger();
    EXPECT_EQ(memo.StoredText(), "dos ");
    item(form, "mAjustaTexto")->trigger();
    EXPECT_TRUE(memo.WordWrap());
    item(form, "mAjustaTexto")->trigger();
    EXPECT_FALSE(memo.WordWrap());

    // The Edit menu follows the editor as it opens.
    Select(memo, 0, 0);
    form.mEdicionClick();
    EXPECT_FALSE(item(form, "mCortar")->isEnabled());
    EXPECT_FALSE(item(form, "mCopiar")->isEnabled());
    EXPECT_FALSE(item(form, "mBorrar")->isEnabled());
    EXPECT_TRUE(item(form, "mDeshacer")->isEnabled());
    EXPECT_TRUE(item(form, "mRehacer")->isEnabled() == (memo.Perform(SMM_CANREDO, 0, 0) != 0));
    Select(memo, 0, 3);
    memo.SetReadOnly(true);
    form.mEdicionClick();
    EXPECT_FALSE(item(form, "mCortar")->isEnabled());
    EXPECT_TRUE(item(form, "mCopiar")->isEnabled());
    EXPECT_FALSE(item(form, "mPegar")->isEnabled());
    memo.SetReadOnly(false);
    form.mEdicionClick();
    EXPECT_TRUE(item(form, "mCortar")->isEnabled());
    EXPECT_TRUE(item(form, "mBorrar")->isEnabled());

    // Away from the editor Ctrl+Backspace leaves the text alone.
    form.menuBar()->setFocus();
    memo.clearFocus();
    QApplication::processEvents();
    Select(memo, 4, 4);
    item(form, "BorrarAnterior")->trigger();
    EXPECT_EQ(memo.StoredText(), "dos ");

    // With no document open the document's commands do nothing.
    memo.hide();
    Select(memo, 0, 3);
    item(form, "mBorrar")->trigger();
    EXPECT_EQ(memo.StoredText(), "dos ");
}

TEST(MainWindowCommands, PageSetupKeepsItsMarginsInHundredthsOfAMillimetre)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    EXPECT_EQ(form.PageSetupMargins().Left, 0);
    EXPECT_EQ(form.PageSetupMargins().Bottom, 0);
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    printer.setFullPage(false);
    ASSERT_TRUE(printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    bool shown = false;
    // The user types the margins in millimetres and confirms.
    QTimer::singleShot(0, [&shown] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* unit = dialog->findChild<QComboBox*>("unitCombo");
        if (unit)
            unit->setCurrentIndex(unit->findData(QVariant::fromValue(QPageLayout::Millimeter)));
        const std::pair<const char*, double> margins[] = {
            {"leftMargin", 25.4}, {"topMargin", 12.7}, {"rightMargin", 25.4}, {"bottomMargin", 50.8}};
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
    printer.setPageLayout(saved);
    EXPECT_TRUE(shown);
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
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    QTemporaryDir folder;
    auto printedText = [&](const char* itemName, const QString& name) {
        const QString file = folder.filePath(name);
        QPrinter& printer = Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        item(form, itemName)->trigger();
        QProcess process;
        process.start(tool, {QStringLiteral("-layout"), file, QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.readAllStandardOutput().toStdString();
    };
    SetText(memo, "primera\r\nsegunda\r\ntercera\r\ncuarta");
    Select(memo, 10, 18);
    const std::string selection = printedText("mImprimirSel", "sel.pdf");
    EXPECT_EQ(selection.find("primera"), std::string::npos) << selection;
    EXPECT_NE(selection.find("segunda"), std::string::npos) << selection;
    EXPECT_NE(selection.find("tercera"), std::string::npos) << selection;
    EXPECT_EQ(selection.find("cuarta"), std::string::npos) << selection;
    const std::string whole = printedText("mImprimir", "all.pdf");
    for (const char* line : {"primera", "segunda", "tercera", "cuarta"})
        EXPECT_NE(whole.find(line), std::string::npos) << whole;
}

TEST(MainWindowCommandsScreen, TheUndoMenuOpensUnderItsPointAfterAFewEdits)
{
    TempRegistry registry("commands");
    TformPrincipal form;
    form.resize(640, 420);
    form.show();
    form.mNuevoClick();
    form.activateWindow();
    TCodeMemo& memo = *form.CodeMemo();
    memo.setFocus();
    QApplication::processEvents();
    typeText(memo, "<p>Hola</p>");
    Select(memo, 3, 7);
    memo.CutToClipboard();
    Select(memo, 0, 0);
    memo.PasteFromClipboard();
    Select(memo, memo.TextLength(), memo.TextLength());
    type(memo, '\r');
    typeText(memo, "fin");

    const QPoint at = memo.mapToGlobal(QPoint(40, 40));
    form.UndoPopup()->popup(at);
    QApplication::processEvents();
    EXPECT_TRUE(form.UndoPopup()->isVisible());
    EXPECT_EQ(captions(form.UndoPopup()), (std::vector<std::string>{"Escritura", "Pegar", "Cortar", "Escritura"}));
    EXPECT_EQ(form.UndoPopup()->geometry().topLeft(), at);

    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    form.UndoPopup()->grab().save(QDir(out ? out : QDir::tempPath()).filePath("undo-menu.png"), "PNG");
    // Lets a screenshot of the whole screen be taken from outside while the menu is open.
    if (const char* hold = std::getenv("KESTRIMA_SHOT_HOLD_MS")) {
        QEventLoop loop;
        QTimer::singleShot(std::atoi(hold), &loop, &QEventLoop::quit);
        loop.exec();
    }
    form.UndoPopup()->hide();
}

TEST(MainWindowCommands, TheReplaceDialogFindsReplacesAndReplacesAll)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    SetText(memo, "casa y casa y casa");
    Select(memo, 0, 0);
    item(form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    dialog->SetFindText("casa");
    dialog->SetReplaceText("CASA");
    dialog->SetOptions(frDown);

    // Find selects the first match and, pressed again with it selected, only moves on.
    dialog->ClickFindNext();
    EXPECT_EQ(ordered(memo).Start, 0);
    EXPECT_EQ(ordered(memo).End, 4);
    dialog->ClickFindNext();
    EXPECT_EQ(memo.StoredText(), "casa y casa y casa");
    EXPECT_EQ(ordered(memo).Start, 7);

    // Replace puts the replacement over the selected match and selects the next one.
    dialog->ClickReplace();
    EXPECT_EQ(memo.StoredText(), "casa y CASA y casa");
    EXPECT_EQ(ordered(memo).Start, 14);
    EXPECT_EQ(ordered(memo).End, 18);

    Select(memo, 0, 0);
    dialog->SetReplaceText("hogar");
    dialog->ClickReplaceAll();
    EXPECT_EQ(memo.StoredText(), "hogar y hogar y hogar");
    // One undo takes the whole Replace All back.
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "casa y CASA y casa");

    // An empty find text does nothing.
    dialog->SetFindText("");
    Select(memo, 0, 4);
    dialog->ClickReplace();
    EXPECT_EQ(memo.StoredText(), "casa y CASA y casa");
    item(form, "mReemplazar")->trigger();
    EXPECT_EQ(form.ReplaceDialog(), dialog);
}

TEST(MainWindowCommands, UndoCopyCutPasteAndSelectAllActOnTheFocusedControl)
{
    TShownForm shown;
    TformPrincipal& form = shown.Form;
    TCodeMemo& memo = *form.CodeMemo();
    ASSERT_TRUE(memo.hasFocus());
    SetText(memo, "");
    typeText(memo, "uno dos");
    item(form, "mSeleccionaTodo")->trigger();
    EXPECT_EQ(memo.GetSelText(), "uno dos");
    Select(memo, 0, 4);
    item(form, "mCortar")->trigger();
    EXPECT_EQ(memo.StoredText(), "dos");
    Select(memo, 3, 3);
    item(form, "mPegar")->trigger();
    EXPECT_EQ(memo.StoredText(), "dosuno ");
    Select(memo, 0, 3);
    item(form, "mCopiar")->trigger();
    Select(memo, 7, 7);
    item(form, "mPegar")->trigger();
    EXPECT_EQ(memo.StoredText(), "dosuno dos");
    item(form, "mDeshacer")->trigger();
    EXPECT_EQ(memo.StoredText(), "dosuno ");

    // A line edit of the window with the focus gets the same commands.
    auto* edit = new QLineEdit(&form);
    edit->show();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    edit->setText("abc");
    item(form, "mSeleccionaTodo")->trigger();
    EXPECT_EQ(edit->selectedText(), "abc");
    // The items follow the editor's selection; the command itself serves whatever has the focus.
    form.proOpcionesEdicion(3);
    EXPECT_EQ(edit->text(), "");
    form.proOpcionesEdicion(5);
    form.proOpcionesEdicion(5);
    EXPECT_EQ(edit->text(), "abcabc");
    item(form, "mDeshacer")->trigger();
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_EQ(memo.StoredText(), "dosuno ");
}

TEST(MainWindowCommands, QuickPairsWrapTheSelectionWhenSwitchedOn)
{
    TDocumentWindow window;
    TformPrincipal& form = window.Form;
    TCodeMemo& memo = *form.CodeMemo();
    form.Config().QuickTag = true;
    form.Config().InsCaseMode = 0;
    const std::pair<char, std::string> pairs[] = {{'(', "(word)"}, {'"', "\"word\""}, {'<', "<word>"},
                                                 {'[', "[word]"},  {'{', "{word}"},   {'\xA1', "\xA1word!"},
                                                 {'\xBF', "\xBFword?"}};
    for (const auto& [typed, wrapped] : pairs) {
        SetText(memo, "a word b");
        Select(memo, 2, 6);
        type(memo, typed);
        EXPECT_EQ(memo.StoredText(), "a " + wrapped + " b") << typed;
        EXPECT_EQ(memo.GetSelText(), "word") << typed;
        // One undo takes the pair away again.
        memo.Undo();
        EXPECT_EQ(memo.StoredText(), "a word b") << typed;
    }
    // Without a selection the pair goes in at the caret.
    SetText(memo, "ab");
    Select(memo, 1, 1);
    type(memo, '[');
    EXPECT_EQ(memo.StoredText(), "a[]b");
    // Other characters are typed as ever.
    type(memo, 'x');
    EXPECT_EQ(memo.StoredText(), "a[x]b");

    form.Config().QuickTag = false;
    SetText(memo, "a word b");
    Select(memo, 2, 6);
    type(memo, '(');
    EXPECT_EQ(memo.StoredText(), "a ( b");

    // A read-only text takes no pair either.
    form.Config().QuickTag = true;
    memo.SetReadOnly(true);
    Select(memo, 0, 1);
    type(memo, '(');
    EXPECT_EQ(memo.StoredText(), "a ( b");
}

TEST(MainWindowCommands, DroppedFilesPutTheirCodesAtTheDropPoint)
{
    TempRegistry registry("commands");
    TempDir dir("dropped");
    TShownForm shown;
    TformPrincipal& form = shown.Form;
    form.Config().InsertDirs = 2;
    form.Config().InsCaseMode = 4;
    const std::string page = dir.file("page.htm", "");
    form.AbreArchivo(page, false, ekHTML);
    TCodeMemo& memo = *form.CodeMemo();
    ASSERT_TRUE(memo.ActiveSettings().HasOption(smoProcessDroppedFiles));
    SetText(memo, "<BODY></BODY>");
    const std::string picture = dir.file("a.gif", TinyGif());
    const std::string sheet = dir.file("estilo.css", "");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture)), QUrl::fromLocalFile(QString::fromStdString(sheet))});
    const TPoint at = memo.PointFromOffset(6);
    const QPoint point = QPoint(at.X + 1, at.Y + 1) + memo.contentsRect().topLeft();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &drop);
    EXPECT_EQ(memo.StoredText(), "<BODY>\r<IMG SRC=\"a.gif\" ALT=\"a\" WIDTH=\"40\" HEIGHT=\"20\">"
                                 "\r<LINK REL=StyleSheet HREF=\"estilo.css\" TYPE=\"text/css\"></BODY>");
    // One insertion: one undo takes both codes away.
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "<BODY></BODY>");
}
