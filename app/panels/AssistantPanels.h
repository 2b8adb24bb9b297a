// TAssistantPanels: the image, applet and form assistants on the side panel's pages, which build their tags from their controls and insert them.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/model/AssistantTags.h"
#include "app/model/ToolPageValues.h"
#include "platform/core/Messages.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class TBtnEdit;
class TChkEdit;
class TSidePanel;
class TStoredComboBox;
class TToolPressFilter;
class TToolbarButtonKt;
class TVSpeedBtnMenu;
class TWindowHost;

// What the assistants need of the window beyond its host.
struct TAssistantLinks {
    // The file name as the current document refers to it.
    std::function<std::string(const std::string&)> RutaRelativa;
    // Puts a combo's text on top of its history.
    std::function<void(THistoryCombo&)> GuardaHistorial;
    // The address picker of the window, by the sender's Tag.
    std::function<void(QObject*)> OpenURL;
};

class TAssistantPanels : public QObject {
public:
    // Fills the side panel's pages "Imágenes y objetos", "Applets" and "Formularios".
    TAssistantPanels(TWindowHost& host, TAssistantLinks links, TSidePanel& panel);
    ~TAssistantPanels() override;

    // The image panel.
    TVSpeedBtnMenu* sbImgMode = nullptr;
    QLabel* lImgURL = nullptr;
    TStoredComboBox* cbImgURL = nullptr;
    QCheckBox* chImgAlt = nullptr;
    TStoredComboBox* cbImgALT = nullptr;
    TToolbarButtonKt* sbImgWidth = nullptr;
    QLineEdit* eImgWidth = nullptr;
    TToolbarButtonKt* sbImgHeight = nullptr;
    QLineEdit* eImgHeight = nullptr;
    TToolbarButtonKt* sbImgBorder = nullptr;
    QLineEdit* eImgBorder = nullptr;
    TToolbarButtonKt* sbImgHSpace = nullptr;
    QLineEdit* eImgHSpace = nullptr;
    TToolbarButtonKt* sbImgVSpace = nullptr;
    QLineEdit* eImgVSpace = nullptr;
    TVSpeedBtnMenu* sbImgAlign = nullptr;
    QCheckBox* chImgIsmap = nullptr;
    QLabel* lImgURLAlt = nullptr;
    TStoredComboBox* cbImgMode = nullptr;
    QLineEdit* eImgLoop = nullptr;
    QLineEdit* eImgDelay = nullptr;
    QCheckBox* chMouseOver = nullptr;
    QCheckBox* chControls = nullptr;
    TToolbarButtonKt* sbImgIns = nullptr;

    // The applet panel.
    TStoredComboBox* cbAppletCode = nullptr;
    QCheckBox* chAppletCodebase = nullptr;
    TStoredComboBox* cbAppletCodebase = nullptr;
    QCheckBox* chAppletName = nullptr;
    TStoredComboBox* cbAppletName = nullptr;
    QCheckBox* chAppletAlt = nullptr;
    TStoredComboBox* cbAppletALT = nullptr;
    TToolbarButtonKt* sbAppletWidth = nullptr;
    QLineEdit* eAppletWidth = nullptr;
    TToolbarButtonKt* sbAppletHeight = nullptr;
    QLineEdit* eAppletHeight = nullptr;
    TToolbarButtonKt* sbAppletHSpace = nullptr;
    QLineEdit* eAppletHSpace = nullptr;
    TToolbarButtonKt* sbAppletVSpace = nullptr;
    QLineEdit* eAppletVSpace = nullptr;
    TVSpeedBtnMenu* sbAppletAlign = nullptr;
    TToolbarButtonKt* sbAppletIns = nullptr;

    // The form panel: the field buttons by Tag, the notebook of their pages and each page's fields.
    TToolbarButtonKt* SBForm[kFormFieldCount] = {};
    QStackedWidget* nbForm = nullptr;
    QComboBox* cbMethod = nullptr;
    QLineEdit* eAction = nullptr;
    TChkEdit* eTarget = nullptr;
    QComboBox* cbBtn = nullptr;
    TChkEdit* eBtnName = nullptr;
    TChkEdit* eBtnValue = nullptr;
    QLineEdit* eHiddenName = nullptr;
    QLineEdit* eHiddenValue = nullptr;
    QComboBox* cbEdit = nullptr;
    QLineEdit* eEditName = nullptr;
    TChkEdit* eEditValue = nullptr;
    TChkEdit* eEditSize = nullptr;
    TChkEdit* eEditMaxLength = nullptr;
    QLineEdit* eTextName = nullptr;
    TChkEdit* eTextRows = nullptr;
    TChkEdit* eTextCols = nullptr;
    QComboBox* cbTextWrap = nullptr;
    QLineEdit* eCheckName = nullptr;
    TChkEdit* eCheckValue = nullptr;
    QCheckBox* chCheckOn = nullptr;
    QLineEdit* eRadioName = nullptr;
    QLineEdit* eRadioValue = nullptr;
    QCheckBox* chRadioOn = nullptr;
    TChkEdit* eImageName = nullptr;
    TBtnEdit* eImageSRC = nullptr;
    QLineEdit* eListName = nullptr;
    TChkEdit* eListNumLines = nullptr;
    QCheckBox* chListMultiLine = nullptr;
    QLineEdit* eComboName = nullptr;
    TToolbarButtonKt* sbOkForm = nullptr;

    // A double click on cbImgURL or cbImgMode: picks a file by the sender's Tag; a picture's size
    // goes to the width and height edits.
    void cbImgURLDblClick(QComboBox* Sender);
    void sbImgModeSelect(TVSpeedBtnMenu* Sender);
    // sbImgAlign and sbAppletAlign.
    void sbImgAlignSelect(TVSpeedBtnMenu* Sender);
    void sbImgInsMouseDown(TShiftState Shift);
    void sbAppletInsMouseDown(TShiftState Shift);
    void SBFormClick(TToolbarButtonKt* Sender);
    void sbOkFormMouseDown(TShiftState Shift);
    void eImageSRCBtnClick();

    // What the panels' controls hold, as the tags are built from them.
    TImageTagValues ImageValues() const;
    TAppletTagValues AppletValues() const;
    TFormFieldValues FormValues() const;
    // The history kept for a combo of the panels (cbImgURL, cbImgALT, cbImgMode and the applet's).
    THistoryCombo& History(QComboBox* combo);

private:
    void buildImages(QWidget* page);
    void buildApplets(QWidget* page);
    void buildForms(QWidget* page);
    // The combos' texts on top of their histories, then back into the combos.
    void keepHistories(std::initializer_list<TStoredComboBox*> combos);

    TWindowHost& FHost;
    TAssistantLinks FLinks;
    TToolPressFilter* FPresses;
    // The captions of the animation's repetitions and pause, enabled with their edits.
    QLabel* FLoopLabels[2] = {};
    std::vector<std::pair<QComboBox*, THistoryCombo>> FHistories;
};
