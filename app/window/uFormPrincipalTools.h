// The tool pages above the editor: the controls of each page, the press of their insert buttons and the layout that follows the pages' width.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/model/ToolPageValues.h"
#include "platform/core/Graphics.h"
#include "platform/core/Messages.h"
#include "app/widgets/SharedWidgets.h"
#include "toolbars/ComboBoxKt.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPaintEvent;
class TChkEdit;
class TEditKt;
class TPageSetControl;
class TSpinButton;
class TTabSetSheet;
class TToolbarButtonKt;
class TVSpeedBtnMenu;
class TlistComboKt;

class TToolPagesLink;

// The controls of the tool pages, owned by the widgets they sit in.
struct TToolPageControls {
    QWidget* PHerramientas = nullptr;
    QWidget* PTabs = nullptr;
    TPageSetControl* pcSuperior = nullptr;
    // In page order.
    std::vector<TTabSetSheet*> Sheets;
    TTabSetSheet* tsDocumento = nullptr;
    TTabSetSheet* tsTexto = nullptr;
    TTabSetSheet* tsParrafos = nullptr;
    TTabSetSheet* tsListas = nullptr;
    TTabSetSheet* tsTablas = nullptr;
    TTabSetSheet* tsEnlaces = nullptr;
    TTabSetSheet* tsScripts = nullptr;
    TTabSetSheet* tsSonido = nullptr;
    // The document page's button that opens the frameset designer.
    TToolbarButtonKt* sbMarcos = nullptr;

    // Fonts.
    TVSpeedBtnMenu* SbTamanoFuente = nullptr;
    TlistComboKt* CbFuente = nullptr;
    TToolbarButtonKt* SbFuente = nullptr;
    TToolbarButtonKt* SbColorFuente = nullptr;
    TColorPanel* PColorFuente = nullptr;
    QFrame* bevelAtributos1 = nullptr;
    TToolbarButtonKt* sbFont = nullptr;
    TToolbarButtonKt* sbTamanoBase = nullptr;
    QFrame* bevelAtributos2 = nullptr;
    TToolbarButtonKt* sbI = nullptr;
    TToolbarButtonKt* sbB = nullptr;
    TToolbarButtonKt* sbU = nullptr;
    TToolbarButtonKt* sbS = nullptr;
    TToolbarButtonKt* sbSUP = nullptr;
    TToolbarButtonKt* sbSUB = nullptr;
    QFrame* bevelAtributos3 = nullptr;
    TVSpeedBtnMenu* sbTags = nullptr;

    // Links.
    TToolbarButtonKt* sbEnlace = nullptr;
    TComboBoxKt* cbLinks = nullptr;
    TComboBoxKt* cbTargetLink = nullptr;
    QFrame* sepEnlaces1 = nullptr;
    TToolbarButtonKt* SBOkNameLink = nullptr;
    TComboBoxKt* cbNameLinks = nullptr;
    QFrame* sepEnlaces2 = nullptr;
    TVSpeedBtnMenu* sbLinkOptions = nullptr;

    // Applet parameters.
    TComboBoxKt* cbJavaParam = nullptr;
    QLabel* lblValor = nullptr;
    TComboBoxKt* cbJavaValue = nullptr;

    // Background sound.
    TVSpeedBtnMenu* sbSound = nullptr;
    TComboBoxKt* cbBGSound = nullptr;
    TToolbarButtonKt* sbSoundLoop = nullptr;
    TEditKt* ELoop = nullptr;
    TSpinButton* udLoop = nullptr;

    // Lists.
    TToolbarButtonKt* UL[3] = {};
    TToolbarButtonKt* OL[5] = {};
    TToolbarButtonKt* sbOLStart = nullptr;
    TEditKt* EStartOL = nullptr;
    TChkEdit* eListValue = nullptr;
    QCheckBox* chListOn = nullptr;
    TChkEdit* eComboValue = nullptr;
    QCheckBox* chComboOn = nullptr;

    // Tables.
    TEditKt* eRows = nullptr;
    TSpinButton* udRows = nullptr;
    TEditKt* eCols = nullptr;
    TSpinButton* udCols = nullptr;
    TToolbarButtonKt* sbTabla = nullptr;
    TColorPanel* pColor = nullptr;
    TVSpeedBtnMenu* sbColor = nullptr;

    // Line repeat.
    QLineEdit* eRepInicio = nullptr;
    QLineEdit* eRepFinal = nullptr;
    TToolbarButtonKt* sbRepiteTag = nullptr;

    // The heading button and the other drop-down buttons.
    TVSpeedBtnMenu* SbCabecera = nullptr;
    TVSpeedBtnMenu* sbBr = nullptr;
    TVSpeedBtnMenu* sbHr = nullptr;
    std::vector<TVSpeedBtnMenu*> MenuButtons; // every drop-down button of the pages built, in page order

    // The undo and redo buttons, with the editor's history in their menus, at the pages' left.
    QWidget* pDeshacer = nullptr;
    TToolbarButtonKt* sbDeshacer = nullptr;
    TToolbarButtonKt* sbRehacer = nullptr;

    // Every button that inserts on a press, with what it does.
    TToolPressFilter* Presses = nullptr;
    std::unique_ptr<TUpDownEdit> Rows, Cols, Loop;
    // What the tag commands read the pages through.
    std::unique_ptr<TToolPagesLink> Link;

    // Which pages have their controls, in page order: the page shown at start has them from the
    // start, another gets them when it is first made current or its controls are first asked for.
    std::vector<bool> Built;
    // Whether the layout for the pages' width has run: a page built later takes it at once.
    bool LaidOut = false;
    // Run after the controls of a page are made, with the page's index.
    std::vector<std::function<void(int page)>> PageBuilt;
};

// Copies the tool pages' controls into the record the tag commands read, and puts back the combo
// texts and histories a command changed. The side panel's style library is left to the side panel.
class TToolPagesLink : public TToolPageLink {
public:
    // `buildAll` makes the controls of every page not built yet before they are read.
    explicit TToolPagesLink(TToolPageControls& controls, std::function<void()> buildAll = {})
        : FControls(controls), FBuildAll(std::move(buildAll))
    {
    }
    void FillValues(TToolPageValues& values) override;
    // The values of the pages built so far; the others' stay as they are.
    void FillBuiltValues(TToolPageValues& values);
    void TakeBackCombos(const TToolPageValues& values) override;

private:
    TToolPageControls& FControls;
    std::function<void()> FBuildAll;
};

// The width the page control needs for every page to show whole at its base layout. A page not built
// yet is measured from its rows.
int ToolPagesWidth(const TToolPageControls& c);
// The width a page's controls take at the base layout, from its rows and the page's font, without
// making them.
int ToolPageRowsWidth(const TToolPageControls& c, int page);

// The tool pages' layout for the pages' width: the groups of fonts, links, applet parameters and
// background sound grow with the page control's width once the panel is wider than each group's
// threshold, and go back to their base places below it.
void LayOutToolPages(TToolPageControls& c);
