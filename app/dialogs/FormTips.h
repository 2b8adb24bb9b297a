// TTipForm: the tip of the day's window: a picture, a bold heading, one tip chosen at random, the start-up check box and the Next and Close buttons.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <random>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"

class QCheckBox;
class QLabel;
class QPushButton;

class TTipForm : public QDialog {
public:
    explicit TTipForm(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* TipHelp;
    QLabel* TipText;
    QCheckBox* ShowAtStart;
    QPushButton* Next;
    QPushButton* CloseBtn;

    // The tips the window chooses from (Windows-1252 text); a held character is shown as itself.
    TStringList& Tips() { return FTips; }
    // The index in Tips of the tip shown; -1 before the first show.
    int TipIndex() const { return FTipIndex; }
    // Starts the random choice from a fixed seed instead of the clock (tests).
    void Seed(uint32_t seed) { FRandom.seed(seed); FSeeded = true; }

    // As the window shows: an empty list gets the placeholder tip, Next works only with more than one
    // tip, and a tip is chosen at random.
    void FormShow();
    // Shows another tip chosen at random; it may be the one shown.
    void NextClick();
    // Closes the window with OK.
    void CloseBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showRandomTip();
    TStringList FTips;
    std::mt19937 FRandom;
    bool FSeeded = false;
    int FTipIndex = -1;
};
