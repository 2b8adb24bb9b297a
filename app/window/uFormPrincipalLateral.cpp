// The main window's side panel: building it in the panel's place, its visibility with the documents, and the assistant commands that open its pages.
#include "app/panels/SidePanel.h"
#include "app/panels/AssistantPanels.h"
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QVBoxLayout>
#include <initializer_list>

#include "app/window/uFormPrincipalTools.h"
#include "platform/core/SysUtils.h"

#include "components/FormPlace.h"
#include "components/HETreeView.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TabCtrls.h"

namespace {

// The assistant commands that open the assistants' page, and the page each one shows.
constexpr std::pair<int, int> kAssistantCalls[] = {
    {1, TSidePanel::asApplets}, {4, TSidePanel::asFormularios}, {5, TSidePanel::asImagenes}};

} // namespace

void TformPrincipal::CreaPanelLateral()
{
    // The repeat tool is made with the first tool page and belongs to the panel: it leaves the page
    // at once and waits, hidden, in the panel's place.
    TToolPageControls& c = toolPagesAsBuilt();
    for (QWidget* control : std::initializer_list<QWidget*>{c.eRepInicio, c.eRepFinal, c.sbRepiteTag})
        control->setParent(FPlaces.pLateral);
    // The HTML tree is the one the panel shows first: a missing file is told at start, as the other
    // support files are, and not again when the panel is built.
    if (const std::string tree = TSidePanel::CodeTreeFile(1); !FileExists(tree))
        TSidePanel::TellMissingCodeTree(this, tree);
    for (const auto& [tag, page] : kAssistantCalls)
        SetExpertCall(tag, [this, tag, page](QObject*) {
            if (!FCommands->Action("mVerLateral")->isChecked())
                mVerLateralClick();
            if (Herramientas().PHerramientas->isHidden())
                mVerBarraClick();
            SidePanel().ShowAssistant(page);
            // The applets' assistant works with the scripts page of the tool pages.
            if (tag == 1)
                Herramientas().pcSuperior->SetActivePage(Herramientas().tsScripts);
        });
}

TSidePanel& TformPrincipal::SidePanel()
{
    if (!FSidePanel)
        buildSidePanel();
    return *FSidePanel;
}

TSidePanelTools& TformPrincipal::SideTools()
{
    SidePanel();
    return *FSideTools;
}

void TformPrincipal::buildSidePanel()
{
    TSidePanelLinks links;
    links.Keys = [this](int16_t& Ctrl, int16_t& Shift) {
        Ctrl = CtrlPulsado;
        Shift = ShiftPulsado;
    };
    links.Characters = [this] { return static_cast<const TCodigosISO*>(FCodigosISO.get()); };
    links.LockPainting = [this] { return lockPainting(); };
    FSidePanel = new TSidePanel(*this, std::move(links), FPlaces.pLateral,
                                static_cast<TLateralSplitter*>(FPlaces.spLateral));
    placeRepeatTool(FSidePanel->Assistant(TSidePanel::asRepetir));
    // The HTML tree is the one shown first; a missing file was told at start.
    FSidePanel->sbCargaClick(FSidePanel->sbCarga[0], false);
    CreaHerramientasLaterales();
    // While the auxiliary editor holds the focus both page sets are locked.
    FSidePanel->pcLateral->setEnabled(Herramientas().pcSuperior->isEnabled());
    if (FFormStorage) {
        // The stored settings of the panel's controls waited for them.
        FFormStorage->ComponentsMade();
        if (FFormStorage->Restored())
            FSidePanel->SelectStartLibrary();
    }
    startSideTools();
}

TAssistantPanels& TformPrincipal::AssistantPanels()
{
    // The assistants' pages are in the side panel, hidden in a window without documents: they are
    // made when they are first needed.
    if (!FAssistantPanels) {
        TAssistantLinks assistants;
        assistants.RutaRelativa = [this](const std::string& FileName) { return RutaRelativa(FileName); };
        assistants.GuardaHistorial = [this](THistoryCombo& Combo) { GuardaHistorial(Combo); };
        assistants.OpenURL = [this](QObject* Sender) { OpenURL(Sender); };
        FAssistantPanels = new TAssistantPanels(*this, std::move(assistants), SidePanel());
    }
    return *FAssistantPanels;
}

void TformPrincipal::setPanelVisible(QWidget* panel, bool shown)
{
    if (shown && panel == FPlaces.pLateral) {
        SidePanel();
        AssistantPanels();
        TagGrid();
    }
    panel->setVisible(shown);
}

void TformPrincipal::placeRepeatTool(QWidget* page)
{
    // The two codes over the button, each the page's width.
    TToolPageControls& c = toolPagesAsBuilt();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (QWidget* control : std::initializer_list<QWidget*>{c.eRepInicio, c.eRepFinal, c.sbRepiteTag}) {
        control->setParent(page);
        control->setMaximumWidth(QWIDGETSIZE_MAX);
        layout->addWidget(control);
        control->show();
    }
    layout->addStretch(1);
}

void TformPrincipal::pcLateralChange()
{
    SidePanel().pcLateralChange();
}

void TformPrincipal::pLateralResize()
{
    SidePanel().pLateralResize();
}

void TformPrincipal::showSidePanel(bool shown)
{
    if (!FilledPanel(TViewPanel::SidePanel) || shown == !FPlaces.pLateral->isHidden())
        return;
    setPanelVisible(FPlaces.pLateral, shown);
}
