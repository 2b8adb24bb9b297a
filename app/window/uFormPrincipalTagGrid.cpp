// The main window's attribute grid and custom codes: the grid's page of the side panel, the tag selection commands, the custom codes dialog and the rebuilt menu of custom codes.
#include "app/panels/SidePanel.h"
#include "app/panels/TagGridPage.h"
#include "app/dialogs/uFormOtrosTags.h"
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/model/KestrimaConfig.h"
#include "editor/CodeMemo.h"
#include "platform/HandlerCall.h"
#include "toolbars/TabCtrls.h"

TTagGridPage& TformPrincipal::TagGrid()
{
    // The grid's page is in the side panel, hidden in a window without documents: the grid is made
    // when it is first needed, with the widths kept from the last run.
    if (!FTagGrid) {
        FTagGrid = new TTagGridPage(*this, SidePanel().tsTag);
        FTagGrid->SetColumnWidths(FConfig->ColTagsWidth, FConfig->ColValuWidth);
    }
    return *FTagGrid;
}

void TformPrincipal::CreaPaginaTag()
{
    const auto item = [this](QMenu* menu, const char* name, void (TformPrincipal::*handler)()) {
        QAction* action = FCommands->Action(name);
        connect(action, &QAction::triggered, this, [this, handler] { CallHandler(this, [&] { (this->*handler)(); }); });
        menu->addAction(action);
    };
    QMenu* mSeleccion = FMenus.mSeleccion;
    mSeleccion->addSeparator();
    item(mSeleccion, "mSeleccionaTag", &TformPrincipal::mSeleccionaTagClick);
    item(mSeleccion, "mSelectAllTag", &TformPrincipal::mSelectAllTagClick);
    item(mSeleccion, "mEditaTag", &TformPrincipal::mEditaTagClick);
    // Beside the custom codes' menu, which is the last item of Insertar.
    item(FMenus.mInsertar, "mEditaOtrosTags", &TformPrincipal::mEditaOtrosTagsClick);
}

void TformPrincipal::sbEditaTagClick()
{
    TagGrid().sbEditaTagClick();
}

void TformPrincipal::sbInsertaTagClick()
{
    TagGrid().sbInsertaTagClick();
}

void TformPrincipal::sgTagsDrawCell()
{
    TagGrid().sgTagsDrawCell();
}

void TformPrincipal::mSeleccionaTagClick()
{
    if (DocumentCount() > 0)
        SelectTagCommand(*FCodeMemo, PosicionTag);
}

void TformPrincipal::mSelectAllTagClick()
{
    if (DocumentCount() > 0)
        SelectElementCommand(*FCodeMemo, PosicionTag);
}

void TformPrincipal::mEditaTagClick()
{
    if (DocumentCount() == 0)
        return;
    // The page is of no use in a hidden panel.
    if (!FCommands->Action("mVerLateral")->isChecked())
        mVerLateralClick();
    SidePanel().pcLateral->SetActivePage(SidePanel().tsTag);
    SidePanel().pcLateralChange();
    TagGrid().sbEditaTagClick();
}

void TformPrincipal::mEditaOtrosTagsClick()
{
    {
        TformOtrosTags dialog(*this);
        if (dialog.Execute())
            rebuildSettingsMenus(FMenus.mOtrosTags);
    }
    if (FCodeMemo->isVisible())
        FCodeMemo->setFocus();
}

void TformPrincipal::keepTagGridWidths()
{
    // A grid never made leaves the stored widths as they were.
    if (!FTagGrid)
        return;
    FConfig->ColTagsWidth = FTagGrid->ColumnWidth(0);
    FConfig->ColValuWidth = FTagGrid->ColumnWidth(1);
}
