// TToolPageValues: the values of the tool pages' controls that the tag commands read, and the link through which the pages fill it.
#pragma once

#include <string>

#include "platform/core/Classes.h"
#include "platform/core/Graphics.h"

// A combo box that keeps what was typed in it: its text and its list of earlier texts, newest first.
struct THistoryCombo {
    std::string Text;
    TStringList Items;
    // The selected item, -1 for none.
    int ItemIndex = -1;
};

// The most texts a history keeps.
constexpr int kHistoryLimit = 20;

// Puts the trimmed text at the top of the history unless the history holds it already (then it is
// only selected); the oldest entry goes when a 21st comes. An empty text changes nothing.
void AddToHistory(THistoryCombo& combo);

// What the tag commands read from the tool pages. Each field names the control it stands for; the
// pages copy their controls in before a command and take back the combos a command changed.
struct TToolPageValues {
    // Colours as the palette gives them (0x00BBGGRR).
    TColor Color = 0;      // the colour panel pColor
    TColor FontColor = 0;  // the font colour panel PColorFuente
    std::string FontFace;  // the font combo CbFuente
    int FontSizeIndex = 0; // the ItemIndex of the font size button SbTamanoFuente (0 is SIZE 1)

    THistoryCombo BGSound; // cbBGSound: the sound file
    std::string Loop;      // ELoop: the repetitions of the sound

    THistoryCombo JavaParam; // cbJavaParam: an applet parameter's name
    THistoryCombo JavaValue; // cbJavaValue: its value

    THistoryCombo Links;      // cbLinks: the address of a link
    THistoryCombo NameLinks;  // cbNameLinks: the anchor name
    THistoryCombo TargetLink; // cbTargetLink: the target frame

    // Lists: which of the unordered kinds UL1, UL2 (disc), UL3 (square) is down, 0 to 2; which of
    // the ordered kinds OL1 (plain), OL2 "A", OL3 "a", OL4 "I", OL5 "i" is down, 0 to 4.
    int ULKind = 0;
    int OLKind = 0;
    bool OLStartOn = false; // sbOLStart is down
    std::string OLStart;    // EStartOL

    // Options of a selection list and of a combo: eListValue with its check, chListOn; the same
    // for eComboValue and chComboOn.
    std::string ListValue;
    bool ListValueOn = false;
    bool ListSelected = false;
    std::string ComboValue;
    bool ComboValueOn = false;
    bool ComboSelected = false;

    // The style library of the side panel: its path (the hint of eLibreria), its name (the text of
    // eLibreria; both the file system's bytes), its normalised text (shEstilos) and the chosen entry
    // of lbEstilos ("" for none).
    std::string StyleLibraryPath;
    std::string StyleLibraryName;
    std::string StyleText;
    std::string StyleEntry;

    // The repeat tool: the texts put before and after every selected line (eRepInicio, eRepFinal).
    std::string RepeatPrefix;
    std::string RepeatSuffix;

    // The table tool: the counts of udRows and udCols.
    int TableRows = 0;
    int TableCols = 0;
};

// The tool pages' side of the record: the main window asks them to copy their controls in before a
// command reads the values, and to take back the combo texts and histories after a command changed
// them. Without a link the record is used as it stands.
class TToolPageLink {
public:
    virtual ~TToolPageLink() = default;
    virtual void FillValues(TToolPageValues& values) = 0;
    virtual void TakeBackCombos(const TToolPageValues& values) = 0;
};
