// TformBody: the BODY dialog, which builds a <BODY> tag from a background picture, colours and page margins and inserts it.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "app/model/BodyTag.h"
#include "app/model/ToolPageValues.h"
#include "platform/core/Messages.h"
#include "platform/core/Graphics.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TColorPanel;
class TExplorerButton;
class TSpeedButton;
class TSpinButton;
class TToolbarButtonKt;
class TUpDownEdit;
class TWindowHost;

// What the dialog needs of the window beyond its host: the colour choice, the file picker of the
// address combos and the history the picture's address is kept in.
class TBodyHost {
public:
    // Lets the user pick a colour starting from `color` (palette or colour dialog, by the settings).
    virtual bool ElegirColor(TColor& color) = 0;
    // Fills the combo with a chosen file as the current document refers to it, by the combo's Tag.
    virtual void OpenURL(QObject* Sender) = 0;
    virtual void GuardaHistorial(THistoryCombo& Combo) = 0;
    // The addresses used before, kept for the run.
    virtual THistoryCombo& UrlHistory() = 0;

protected:
    ~TBodyHost() = default;
};

class TformBody : public QDialog {
public:
    TformBody(TWindowHost& host, TBodyHost& tools);
    ~TformBody() override;

    // Shows the dialog modally; the answer is its modal result.
    int Execute();
    // The values the controls hold, as the tag is built from them.
    TBodyTagValues Values() const;

    QCheckBox* chBackground;
    QComboBox* cbUrlBody;
    TSpeedButton* sbAbrir;
    QCheckBox* chBGProperties;
    QCheckBox* chBgcolor;
    TColorPanel* BGColor;
    TExplorerButton* Text;
    TExplorerButton* Link;
    TExplorerButton* VLink;
    TExplorerButton* ALink;
    TToolbarButtonKt* LeftMargin;
    TToolbarButtonKt* TopMargin;
    TToolbarButtonKt* RightMargin;
    TToolbarButtonKt* BottomMargin;
    QLineEdit* SELeftMargin;
    QLineEdit* SETopMargin;
    QLineEdit* SERightMargin;
    QLineEdit* SEBottomMargin;
    QCheckBox* chCloseBody;
    QPushButton* bAceptar;
    QPushButton* bCancelar;

    void BGColorMouseDown();
    // A colour button was clicked: a button that is down takes a new colour.
    void TextClick(TExplorerButton* Sender);
    void sbAbrirClick();
    // The press of Aceptar with its keys: builds the tag, inserts it, keeps the address and closes.
    void ValoresDeImagenMouseDownValoresDeImagenMouseDown(TShiftState Shift);
    void bCancelarClick();
    void FormShow();
    void FormCloseQuery(bool& CanClose);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The window's item and buttons of this dialog show whether it is open.
    void markOpen(bool open);

    TWindowHost& FHost;
    TBodyHost& FTools;
    std::array<std::unique_ptr<TUpDownEdit>, 4> FMarginSteps;
};

// While set, Execute hands the shown dialog to the hook instead of running it modally; the hook
// drives it and the dialog's result stands. Returns the hook it replaces.
using TBodyDialogHook = std::function<void(TformBody& dialog)>;
TBodyDialogHook SetBodyDialogHook(TBodyDialogHook hook);
