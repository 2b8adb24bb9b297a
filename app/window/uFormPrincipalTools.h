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

// What an insert button does when it is pressed: the button, the mouse button and the keys held. A
// button activated from the keyboard is pressed with the left button and no keys.
using TToolPress = std::function<void(QWidget* Sender, Qt::MouseButton Button, TShiftState Shift)>;

// A flat history combo whose items are kept between runs as its Items property.
class TStoredComboBox : public TComboBoxKt {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)

public:
    using TComboBoxKt::TComboBoxKt;
    QStringList Items() const;
    // The edit text stays as it is.
    void SetItems(const QStringList& value);
};

// A panel that shows a colour, such as the colour the colour buttons insert.
class TColorPanel : public QWidget {
public:
    explicit TColorPanel(QWidget* parent = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColor FColor = 0; // black
};

// An edit with a spin button beside it that steps the number in the edit within a range.
class TUpDownEdit {
public:
    TUpDownEdit(QLineEdit* edit, TSpinButton* spin, int min, int max);
    // The edit's number held within the range; the minimum when the text is no number.
    int Position() const;
    void SetPosition(int value);
    QLineEdit* Edit() const { return FEdit; }
    TSpinButton* Spin() const { return FSpin; }

private:
    QLineEdit* FEdit;
    TSpinButton* FSpin;
    int FMin;
    int FMax;
};

// A history combo's record from the widget, and the record's list, selection and text back into it.
void fillCombo(THistoryCombo& to, const QComboBox* from);
void takeBackCombo(QComboBox* to, const THistoryCombo& from);

// Presses of the insert buttons: a mouse button going down (with the keys held) or Space and Enter
// while a button has the focus. Every button the filter watches carries its own press handler.
class TToolPressFilter : public QObject {
public:
    explicit TToolPressFilter(QObject* parent) : QObject(parent) {}
    // The handler runs on each press of `button`, before the button's own handling of the press
    // (so a drop-down button's menu opens after the handler has seen the keys).
    void Watch(QWidget* button, TToolPress handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

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

// A control's caption and hint, as the packed strings of the pages give them.
struct TCaptionAndHint {
    std::string Caption;
    std::string Hint;
};
// The lines of a packed string, each split at its first "|" into caption and hint.
std::vector<TCaptionAndHint> captionsAndHints(int id);

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
