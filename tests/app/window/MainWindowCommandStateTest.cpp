// Tests of the state of the main window's commands through a scripted session: the enabled, checked and visible state of every named item and status-bar button, step by step, against the states recorded when the window enabled its commands by searching for their names.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/window/uFormPrincipal.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"
#include "platform/Win1252Qt.h"
#include "support/MainWindowDocuments.h"
#include "support/Win1252Text.h"

namespace {

// One item's state: E or e enabled, C or c checked, V or v visible (of the item itself).
std::string stateOf(bool enabled, bool checked, bool visible)
{
    return std::string(enabled ? "E" : "e") + (checked ? "C" : "c") + (visible ? "V" : "v");
}

// Every named item of the window with its state, by name; a name given twice keeps its first item.
std::map<std::string, std::string> commandStates(TformPrincipal& form)
{
    std::map<std::string, std::string> states;
    // The status bar's buttons first: an action of the same name is only what they show.
    for (TKrSpeedButton* button : {form.sbBarra(), form.sbLateral(), form.sbAuxiliar()})
        states.try_emplace(button->objectName().toStdString(),
                           stateOf(button->isEnabled(), button->Down(), !button->isHidden()));
    for (QAction* action : form.findChildren<QAction*>()) {
        const std::string name = action->objectName().toStdString();
        if (name.empty())
            continue;
        states.try_emplace(name, stateOf(action->isEnabled(), action->isChecked(), action->isVisible()));
    }
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>()) {
        const std::string name = menu->objectName().toStdString();
        if (!name.empty())
            states.try_emplace(name, stateOf(menu->menuAction()->isEnabled(), false, menu->menuAction()->isVisible()));
    }
    return states;
}

std::string joined(const std::map<std::string, std::string>& states)
{
    std::string text;
    for (const auto& [name, state] : states)
        text += name + ":" + state + " ";
    return text;
}

// The captions and keys of the named items of the menu bar, in menu order.
std::string captionsAndKeys(TformPrincipal& form)
{
    std::string text;
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>())
        for (QAction* action : menu->actions())
            if (!action->objectName().isEmpty() && !action->isSeparator())
                text += action->objectName().toStdString() + "=" + ToWin1252(action->text()) + "|" +
                        action->shortcut().toString(QKeySequence::PortableText).toStdString() + " ";
    return text;
}

void opens(QMenu* menu)
{
    emit menu->aboutToShow();
}

QMenu* menuOf(TformPrincipal& form, const char* name)
{
    return form.menuBar()->findChild<QMenu*>(QLatin1String(name));
}

// The session: the window empty; a file and a new document opened; text typed and selected; the File,
// Edit and Selection menus opened; read-only made and undone; an undo; the tabs switched; all closed.
std::vector<std::string> session(TWindow& w, std::string* captions)
{
    std::vector<std::string> steps;
    auto record = [&] { steps.push_back(joined(commandStates(w.form))); };
    TformPrincipal& form = w.form;
    // Paste follows the clipboard, which the session starts empty.
    QApplication::clipboard()->clear();
    if (captions)
        *captions = captionsAndKeys(form);
    record();
    form.AbreArchivo(w.folder.file("a.htm", "<p>uno</p>\r\n"), false, ekHTML);
    record();
    form.mNuevoClick();
    type(w.memo, "hola mundo");
    record();
    TSelectionRange range{0, 4};
    w.memo.PerformSelection(SMM_SET, range);
    record();
    opens(menuOf(form, "mArchivo"));
    opens(menuOf(form, "mSeleccion"));
    w.memo.setFocus();
    opens(menuOf(form, "mEdicion"));
    opens(menuOf(form, "mVer"));
    record();
    form.findChild<QAction*>("mSoloLectura")->trigger();
    record();
    opens(menuOf(form, "mEdicion"));
    record();
    form.findChild<QAction*>("mSoloLectura")->trigger();
    form.proOpcionesEdicion(1);
    record();
    opens(menuOf(form, "mEdicion"));
    record();
    switchTo(form, 0);
    record();
    opens(menuOf(form, "mArchivo"));
    opens(menuOf(form, "mSeleccion"));
    record();
    switchTo(form, 1);
    record();
    w.memo.SetModified(false);
    form.EditingFile(1)->Guardado = true;
    form.mCerrarTodoClick();
    record();
    return steps;
}

// The entries of the captions' line, "name=caption|keys" each; a caption has no blank but before its
// keys' separator, so an entry ends at the blank after its "|".
std::vector<std::string> entries(const std::string& line)
{
    std::vector<std::string> result;
    for (size_t at = 0; at < line.size();) {
        const size_t bar = line.find('|', at);
        const size_t end = line.find(' ', bar);
        result.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return result;
}

// A step's line back into states by name.
std::map<std::string, std::string> parsed(const std::string& line)
{
    std::map<std::string, std::string> states;
    for (size_t at = 0; at < line.size();) {
        const size_t colon = line.find(':', at);
        const size_t space = line.find(' ', colon);
        states[line.substr(at, colon - at)] = line.substr(colon + 1, space - colon - 1);
        at = space + 1;
    }
    return states;
}

// The states as the window showed them before its commands had a table; each line is one step of
// the session.
const char* const kCaptionsBefore =
#include "MainWindowCommandStateCaptions.inc"
    ;
const char* const kStatesBefore[] = {
#include "MainWindowCommandStateSteps.inc"
};

// Where the window now differs from the recorded states, by step and item, with the state it has now.
// The window built its Edit items and its printing and leaving items after it had first applied the
// switch to no document, so an empty window showed the Edit items and enabled printing until the first
// document opened; the command table applies the switch to every command.
const std::map<std::pair<size_t, std::string>, std::string> kMended = {
    {{0, "mDeshacer"}, "ecv"}, {{0, "mRehacer"}, "ecv"},    {{0, "mCortar"}, "ecv"},
    {{0, "mCopiar"}, "ecv"},   {{0, "mPegar"}, "ecv"},      {{0, "mBorrar"}, "ecv"},
    {{0, "mSeleccionaTodo"}, "ecv"}, {{0, "mBuscar"}, "ecv"}, {{0, "mBuscaOtro"}, "ecv"},
    {{0, "mReemplazar"}, "ecv"}, {{0, "mSoloLectura"}, "ecv"}, {{0, "mPrepararPagina"}, "ecV"},
    {{0, "mConfImpresion"}, "ecV"}, {{0, "mImprimir"}, "ecV"}, {{0, "mImprimirSel"}, "ecV"},
};
// Items whose state changed at every step since: the tab pop-up's browser item works now, and only
// the pop-up itself turns it off, over no tab, as it opens.
const std::map<std::string, std::string> kChangedSince = {{"mTabNavegar", "EcV"}};

// The menus that show a list are disabled while it is empty: this session stores no custom code,
// utility or browser, and lists a file in Reabrir, at once, only when the last step closes it.
std::string listMenuNow(size_t step, const std::string& item, const std::string& was)
{
    const size_t last = std::size(kStatesBefore) - 1;
    if (item == "mOtrosTags" || item == "mUtilidades" || item == "mNavegadores" || (item == "mReabrirMRU" && step < last))
        return "e" + was.substr(1);
    if (item == "MRU1" && step == last)
        return "EcV";
    return was;
}

} // namespace

TEST(MainWindowCommandState, EveryCommandKeepsItsStateCaptionAndKeysThroughASession)
{
    TWindow w;
    std::string captions;
    const std::vector<std::string> steps = session(w, &captions);
    // KESTRIMA_RECORD_COMMAND_STATES=<folder> writes the two data files of this test afresh.
    if (const char* folder = std::getenv("KESTRIMA_RECORD_COMMAND_STATES")) {
        if (FILE* file = std::fopen((std::string(folder) + "/MainWindowCommandStateCaptions.inc").c_str(), "w")) {
            std::fprintf(file, "R\"(%s)\"\n", captions.c_str());
            std::fclose(file);
        }
        if (FILE* file = std::fopen((std::string(folder) + "/MainWindowCommandStateSteps.inc").c_str(), "w")) {
            for (const std::string& step : steps)
                std::fprintf(file, "R\"(%s)\",\n", step.c_str());
            std::fclose(file);
        }
    }
    // Items added to the menus since keep out of the comparison; those recorded keep their texts,
    // keys and order.
    const std::vector<std::string> recorded = entries(kCaptionsBefore);
    std::vector<std::string> kept;
    for (const std::string& entry : entries(captions))
        if (std::find_if(recorded.begin(), recorded.end(), [&](const std::string& was) {
                return was.substr(0, was.find('=')) == entry.substr(0, entry.find('='));
            }) != recorded.end())
            kept.push_back(entry);
    EXPECT_EQ(kept, recorded);
    ASSERT_EQ(steps.size(), std::size(kStatesBefore));
    for (size_t i = 0; i < steps.size(); ++i) {
        // Items the window gained since are not compared: only those it had keep their states.
        std::map<std::string, std::string> before = parsed(kStatesBefore[i]);
        std::map<std::string, std::string> now = parsed(steps[i]);
        for (const auto& [item, was] : before) {
            const auto mended = kMended.find({i, item});
            const auto changed = kChangedSince.find(item);
            const std::string expected = mended != kMended.end()    ? mended->second
                                         : changed != kChangedSince.end() ? changed->second
                                                                         : listMenuNow(i, item, was);
            EXPECT_EQ(now.count(item) ? now[item] : "gone", expected) << "step " << i << ", item " << item;
        }
    }
}
