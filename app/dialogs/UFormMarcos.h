// TformMarcos: the frameset designer dialog: a surface split into frames by clicks, each frame's and frameset's attributes, and the frameset HTML shown, inserted or copied.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

#include "app/model/FramesetDesign.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFilenameEdit;
class TFramePanel;
class TSpinButton;
class TToolbarButtonKt;
class TUpDownEdit;
class TWindowHost;

class TformMarcos : public QDialog {
public:
    // The dialog's height with its caption and borders: only the surface and the buttons show at the
    // first, the attribute groups too at the second.
    static constexpr int kShortHeight = 203;
    static constexpr int kFullHeight = 357;
    static constexpr int kClientWidth = 480;

    // `framesButton`, when given, is the window's button that opened the dialog: it goes up when the
    // dialog closes.
    TformMarcos(TWindowHost& host, TToolbarButtonKt* framesButton);
    ~TformMarcos() override;

    // Shows the dialog modally (or hands it to the test hook).
    void Execute();

    int FormHeight() const;
    void SetFormHeight(int value);
    // 0 until the HTML has gone into the document or onto the clipboard, then 1.
    int Tag() const { return FTag; }
    TFramesetDesign& Design() { return *FDesign; }
    // The panel that shows a node, or nil.
    QWidget* PanelOf(const TFrameNode& node) const;
    // The attributes the output writes: those whose label or check box is not red.
    TFrameSwitches Switches() const;

    QWidget* GrandPanel;
    QPushButton* btnVertical;
    QLineEdit* eVertical;
    TSpinButton* udVertical;
    QPushButton* btnHorizontal;
    QLineEdit* eHorizontal;
    TSpinButton* udHorizontal;
    QPushButton* btnBorrar;
    QPushButton* btnVer;
    QPushButton* btnInserta;
    QPushButton* btnPapel;
    QPushButton* btnNuevo;
    QPushButton* btnSalir;
    QGroupBox* gbFrameset;
    QLabel* lblColsRows;
    QLineEdit* eColsRows;
    QCheckBox* chParentFrameBorder;
    QLabel* lblBorder;
    QLineEdit* eBorder;
    QLabel* lblParentFrameSpacing;
    QLineEdit* eParentFrameSpacing;
    QGroupBox* gbFrame;
    QLineEdit* eName;
    TFilenameEdit* eSrc;
    QCheckBox* chFrameBorder;
    QLabel* lblMarginHeight;
    QLineEdit* eMarginHeight;
    QLabel* lblMarginWidth;
    QLineEdit* eMarginWidth;
    QCheckBox* chNoResize;
    QCheckBox* chScrolling;
    QLabel* lblFrameSpacing;
    QLineEdit* eFrameSpacing;

    void FormCreate();
    void FormDestroy();
    void FormCloseQuery(bool& CanClose);
    void GrandPanelClick(QObject* Sender);
    void btnVerticalClick();
    void btnHorizontalClick();
    void btnBorrarClick();
    // By the sender's Tag: 0 shows the HTML, 1 inserts it, 2 copies it, 3 nothing more.
    void btnVerClick(QObject* Sender);
    void chMouseDown(QObject* Sender, Qt::MouseButton Button);
    void lblMouseDown(QObject* Sender, Qt::MouseButton Button);
    void eNameChange();
    void btnSalirClick();

    // Closing asks first while nothing has been output.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void ShowPanel(TFrameNode& node);
    void StorePanel(TFrameNode& node);
    void split(bool columns);
    void enableSplits(bool columns, bool rows);
    // Makes, places and paints the panels as the design stands, and drops those of freed nodes.
    void syncPanels();
    TFrameNode* nodeOf(QObject* sender);

    TWindowHost& FHost;
    QPointer<TToolbarButtonKt> FFramesButton;
    std::unique_ptr<TFramesetDesign> FDesign;
    std::map<int, QPointer<TFramePanel>> FPanels;
    std::unique_ptr<TUpDownEdit> FVertical, FHorizontal, FBorder, FParentSpacing, FMarginHeight, FMarginWidth,
        FFrameSpacing;
    int FTag = 0;
};

// While set, Execute hands the dialog to the hook instead of running it modally. Returns the hook it
// replaces.
using TFramesDialogHook = std::function<void(TformMarcos& dialog)>;
TFramesDialogHook SetFramesDialogHook(TFramesDialogHook hook);
