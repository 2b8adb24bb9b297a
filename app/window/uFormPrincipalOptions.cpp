// The main window's options command: the options dialog, and what follows its settings when accepted.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "app/dialogs/UFormOpciones.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "editor/CodeMemo.h"
#include "platform/core/SysUtils.h"

void TformPrincipal::loadCharacterLibrary()
{
    if (!FCodigosISO)
        FCodigosISO = std::make_unique<TCodigosISO>();
    // A library that cannot be read leaves the table as it was; the built-in characters take its place.
    if (!FCodigosISO->LoadFromFile(FConfig->CharacterLib))
        FCodigosISO->LoadDefaults();
}

void TformPrincipal::rebuildSettingsMenus(QMenu* only)
{
    const struct {
        QMenu* menu;
        const char* prefix;
        const TStringList& names;
        const TStringList& values;
        bool paths;
    } menus[] = {
        {FMenus.mNavegadores, "BrwMenu", FConfig->BrwNames, FConfig->BrwValues, true},
        {FMenus.mUtilidades, "UtlMenu", FConfig->UtilNames, FConfig->UtilValues, true},
        {FMenus.mOtrosTags, "TagMenu", FConfig->TagNames, FConfig->TagValues, false},
    };
    for (const auto& m : menus) {
        if (only && m.menu != only)
            continue;
        // Only the settings' own items go: other commands a menu may hold belong to the command table.
        QList<QAction*> items = m.menu->actions();
        std::reverse(items.begin(), items.end());
        for (QAction* item : items)
            if (item->objectName().startsWith(QLatin1String(m.prefix))) // Not editor text: a name prefix
                delete item;
        CreaMenu(m.menu, m.prefix, m.names, m.values, m.paths);
        EnableByItems(m.menu);
    }
}

void TformPrincipal::EnableByItems(QMenu* menu)
{
    // An empty menu would open nothing, and one first shown empty may never show what it gets later:
    // it is disabled until it has an item to offer.
    const QList<QAction*> items = menu->actions();
    const bool offers = std::any_of(items.begin(), items.end(),
                                    [](const QAction* item) { return item->isVisible() && !item->isSeparator(); });
    // The menu's own action follows its command's, named as the menu is.
    FCommands->Action(menu->objectName().toStdString())->setEnabled(offers); // Not editor text: a menu's name
}

void TformPrincipal::mOpcionesClick()
{
    const std::string palette = FConfig->CustomPalette;
    loadCharacterLibrary();
    {
        TformOpciones dialog(*this);
        if (dialog.Execute()) {
            if (!SameText(palette, FConfig->CustomPalette))
                FFormColor->LoadPalette(FConfig->CustomPalette);
            // The library chosen in the dialog serves the next file read or written.
            loadCharacterLibrary();
            rebuildSettingsMenus();
        }
    }
    if (FCodeMemo->isVisible())
        FCodeMemo->setFocus();
}
