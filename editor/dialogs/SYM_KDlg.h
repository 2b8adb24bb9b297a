// The key assignment dialog: TSM_HotKey, a box that shows the last key pressed in it, and
// TKeyAssignDialog, the two-step wizard that asks for the one or two strokes of a key pair.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <string>

#include "platform/core/Messages.h"

class QLabel;
class QPushButton;

// A read-only box that takes every key pressed in it, Tab, Enter, Esc and the arrows included, before
// the focus chain, the dialog and the shortcuts see it, and shows it as its shortcut text.
class TSM_HotKey : public QLineEdit {
    Q_OBJECT
public:
    explicit TSM_HotKey(QWidget* parent = nullptr);

    TShortCut HotKey() const { return FHotKey; }
    // The text becomes the shortcut's text, empty for 0 or a key without a name.
    void SetHotKey(TShortCut shortCut);
    // A key is shown: the text is not empty.
    bool ShowsKey() const { return !text().isEmpty(); }
    // When set, a key pressed with no modifier or with Shift alone gets this modifier (scCtrl, scAlt)
    // added, so that the box never holds a key that plain typing would trigger. 0 takes keys as pressed.
    void SetDefaultModifier(TShortCut modifier) { FDefaultModifier = modifier; }

protected:
    bool event(QEvent* event) override;

private:
    TShortCut FHotKey = 0;
    TShortCut FDefaultModifier = 0;
};

class TKeyAssignDialog : public QDialog {
    Q_OBJECT
public:
    enum : uint8_t { kmEdit = 0, kmAdd = 1 };

    explicit TKeyAssignDialog(QWidget* parent = nullptr);

    // Shows the wizard modally for the command `commandName`: in edit mode (0) with key1 and key2 in the
    // boxes, in any other mode with both empty; mode 0 captions "Edit ", mode 1 "Add new ", others
    // nothing before "key pair for: ". True when the user finished. Either way key1 and key2 become the
    // shortcuts the boxes show (0 where a box shows none). Texts are Windows-1252.
    bool Execute(TShortCut& key1, TShortCut& key2, const std::string& commandName, const std::string& step1Info,
                 const std::string& step2Info, uint8_t mode);

    int Step() const { return FStep; }
    TSM_HotKey* HotKey1() const { return FHotKey1; }
    TSM_HotKey* HotKey2() const { return FHotKey2; }
    QPushButton* BackButton() const { return FBackButton; }
    QPushButton* NextButton() const { return FNextButton; }
    QPushButton* CancelButton() const { return FCancelButton; }
    QPushButton* ClearKey1Button() const { return FClearKey1Button; }
    QPushButton* ClearKey2Button() const { return FClearKey2Button; }
    QWidget* Step1Panel() const { return FStep1Panel; }
    QWidget* Step2Panel() const { return FStep2Panel; }
    QLabel* Step1InfoLabel() const { return FStep1InfoLabel; }
    QLabel* Step2InfoLabel() const { return FStep2InfoLabel; }

    void NextStep();
    void PrevStep();
    void UpdateButtons();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createStep(int tag, QLabel*& stepLabel, QLabel*& infoLabel, TSM_HotKey*& box, QPushButton*& clear);
    void showStep(int step);
    void formShow();
    void nextClick();

    uint8_t FMode = kmAdd;
    TShortCut FKey1 = 0;
    TShortCut FKey2 = 0;
    TSM_HotKey* FHotKey1 = nullptr;
    TSM_HotKey* FHotKey2 = nullptr;
    int FStep = 1;

    QWidget* FWizardPanel;
    QWidget* FStep1Panel;
    QWidget* FStep2Panel;
    QLabel* FStep1Label = nullptr;
    QLabel* FStep2Label = nullptr;
    QLabel* FStep1InfoLabel = nullptr;
    QLabel* FStep2InfoLabel = nullptr;
    QPushButton* FClearKey1Button = nullptr;
    QPushButton* FClearKey2Button = nullptr;
    QWidget* FButtonPanel;
    QPushButton* FBackButton;
    QPushButton* FNextButton;
    QPushButton* FCancelButton;
};
