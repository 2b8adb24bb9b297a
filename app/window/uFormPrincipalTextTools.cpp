// The main window's text tools: sorting, letter case, codes and tags of the selected text, from the Selection menu.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <string>

#include "app/model/CodigosISO.h"
#include "app/model/libKestrima.h"
#include "editor/CodeMemo.h"
#include "platform/Cursors.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kOmiteTag = 8;

struct TTextToolItem {
    const char* name;
    int tag;
};

// In menu order; a zero Tag is a separator.
constexpr TTextToolItem kTextTools[] = {
    {"mOrdenaUp", 1},   {"mOrdenaDown", 2}, {nullptr, 0},
    {"mMayusculas", 3}, {"mMinusculas", 4}, {"mCapitaliza", 10},
    {"mOmite", kOmiteTag}, {nullptr, 0},
    {"mCodifica", 5},   {"mTraduce", 6},    {"mCodificaTag", 9},
    {"mQuitaTags", 7},  {"mEspacios", 11},
};

// The line breaks in `text`, a CR LF pair counting once.
int lineBreaks(const std::string& text)
{
    int count = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' ? i == 0 || text[i - 1] != '\r' : text[i] == '\r')
            ++count;
    return count;
}

// What a tool's result lacks of the line breaks that closed the selection. The tools drop them all;
// a sort keeps every line, so it lacks whatever breaks went missing, empty lines sorted to the end
// included; the other tools lack just the closing run.
std::string missingClosingBreaks(const std::string& selection, const std::string& result, bool sorted)
{
    if (sorted)
        return std::string(std::max(0, lineBreaks(selection) - lineBreaks(result)), '\r');
    size_t start = selection.size();
    while (start > 0 && (selection[start - 1] == '\r' || selection[start - 1] == '\n'))
        --start;
    return selection.substr(start);
}

} // namespace

void TformPrincipal::buildTextToolsMenu(QMenu* menu)
{
    for (const TTextToolItem& item : kTextTools) {
        if (item.tag == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = FCommands->Action(item.name);
        action->setData(item.tag);
        if (item.tag == kOmiteTag) {
            // The item's own click toggles its check mark; that is all it does.
            FmOmite = action;
        } else {
            connect(action, &QAction::triggered, this, [this, tag = item.tag] { proHerramientasTexto(tag); });
        }
        menu->addAction(action);
    }
}

void TformPrincipal::proHerramientasTexto(int Tag)
{
    if (Tag == kOmiteTag) {
        FmOmite->toggle();
        return;
    }
    if (DocumentCount() == 0 || FCodeMemo->GetSelLength() == 0 || FCodeMemo->ReadOnly())
        return;
    TBusyCursor busy;
    // Before the window is first shown there is no loaded table yet; the built-in one serves.
    TCodigosISO defaults;
    if (!FCodigosISO)
        defaults.LoadDefaults();
    const std::string selection = FCodeMemo->GetSelText();
    std::string result = ApplyTextTool(Tag, selection, FmOmite->isChecked(), FCodigosISO ? *FCodigosISO : defaults);
    // A selection of whole lines leaves the line after it where it was.
    result += missingClosingBreaks(selection, result, Tag == 1 || Tag == 2);
    FCodeMemo->PerformText(EM_REPLACESEL, 1, result.c_str());
}
