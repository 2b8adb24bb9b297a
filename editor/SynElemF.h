// The editor options dialog TOptionsDialog and its small controls: TKrColorButton, the button that
// drops down the colour palette, and TSpinButton, a pair of up and down TTimerSpeedButtons that
// repeat their click while held.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "editor/SYM_CBut.h"
#include "editor/model/DroppedText.h"
#include "editor/model/ParserBase.h"
#include "platform/Buttons.h"
#include "platform/core/Geometry.h"
#include "platform/core/Messages.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTimer;
class TCodeMemo;
class TSM_HotKey;

// An owner-drawn button that shows its colour as a swatch beside a drop-down arrow. A click (mouse,
// Space or Enter) drops the palette down instead of clicking: the button's clicked signal stays
// silent. A colour picked there becomes Color.
class TKrColorButton : public QPushButton {
    Q_OBJECT
public:
    using TColorButtonEvent = std::function<void(TKrColorButton* Sender)>;

    explicit TKrColorButton(QWidget* parent = nullptr);
    ~TKrColorButton() override;

    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle value);
    TColor Color() const { return FColor; }
    // A new value repaints and fires OnColorChange; the current value does nothing.
    void SetColor(TColor value);
    // The caption of the palette's colour-dialog button (Windows-1252), "&Otro" by default.
    const std::string& OtherBtnCaption() const { return FOtherBtnCaption; }
    void SetOtherBtnCaption(const std::string& value) { FOtherBtnCaption = value; }
    TColor OtherColor() const { return FOtherColor; }
    void SetOtherColor(TColor value) { FOtherColor = value; }
    const TColorArrayClass& PaletteColors() const { return FPaletteColors; }
    void SetPaletteColors(const TColorArrayClass& value) { FPaletteColors.Assign(value); }
    const TColorArrayClass& CustomColors() const { return FCustomColors; }
    void SetCustomColors(const TColorArrayClass& value) { FCustomColors.Assign(value); }
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    // Kept for whoever stores the custom colours; the button itself does not use it.
    const std::string& CustomColorsKey() const { return FCustomColorsKey; }
    void SetCustomColorsKey(const std::string& value) { FCustomColorsKey = value; }

    // The default palette grid and 16 white custom colours.
    virtual void SetDefaultColors();
    // The parent's name, ".", the button's name; the button's name alone without a parent.
    virtual std::string QualifiedName() const;

    // Opens the palette under the button, or above it where the work area ends below.
    void DropDown();
    bool DroppedDown() const { return FDroppedDown; }
    TTSM_KrColorButtonPalette* Palette() const { return FPalette; }
    // The palette's screen position for a button at `button` (screen coordinates) in `workArea`.
    static QPoint PalettePosition(const QRect& button, const QSize& palette, const QRect& workArea);

    TColorButtonEvent OnColorChange;

protected:
    virtual void DoColorChange();
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void dropDownReporting();
    void paletteColorSelected(TColor color);
    void paletteClosed();

    TButtonStyle FStyle = bsAutoDetect;
    TColor FColor = clBlack;
    std::string FOtherBtnCaption;
    TColor FOtherColor;
    TColorArrayClass FPaletteColors{TTSM_KrColorButtonPalette::kColumns, TTSM_KrColorButtonPalette::kRows};
    TColorArrayClass FCustomColors{8, 2};
    bool FFlat = false;
    std::string FCustomColorsKey;
    QPointer<TTSM_KrColorButtonPalette> FPalette;
    bool FIsFocused = false;
    bool FDroppedDown = false;
    bool FMouseInControl = false;
};

// A speed button that clicks when pressed and, with tbAllowTimer, again after 400 ms and then every
// 100 ms while it is held down. The release clicks no more.
class TTimerSpeedButton : public TSpeedButton {
public:
    enum : uint8_t { tbFocusRect = 1, tbAllowTimer = 2 };
    using TMouseDownEvent = std::function<void(TTimerSpeedButton* Sender, Qt::MouseButton Button)>;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);
    ~TTimerSpeedButton() override;

    uint8_t TimeBtnState() const { return FTimeBtnState; }
    void SetTimeBtnState(uint8_t value);
    // The repeat timer; none before the first press.
    QTimer* RepeatTimer() const { return FRepeatTimer; }

    // Fires OnClick.
    void Click();
    // The repeat: from now on every 100 ms, and a click while the button is held down. A failing
    // click stops the repeat and passes its exception on.
    void TimerExpired();

    TMouseDownEvent OnMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void release();

    QTimer* FRepeatTimer = nullptr;
    uint8_t FTimeBtnState = 0;
    // The left button went down here and has not come up: the capture a held button keeps.
    bool FHeld = false;
};

// An upper and a lower TTimerSpeedButton, one pixel overlapping, at least 15 pixels wide.
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    using TSpinEvent = std::function<void(TSpinButton* Sender)>;
    static constexpr int kMinWidth = 15;

    explicit TSpinButton(QWidget* parent = nullptr);

    // A null glyph puts the default arrow back with a glyph count of 1.
    void SetUpGlyph(const QPixmap& glyph);
    const QPixmap& UpGlyph() const { return FUpButton->Glyph(); }
    void SetDownGlyph(const QPixmap& glyph);
    const QPixmap& DownGlyph() const { return FDownButton->Glyph(); }
    int UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
    void SetUpNumGlyphs(int value) { FUpButton->SetNumGlyphs(value); }
    int DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
    void SetDownNumGlyphs(int value) { FDownButton->SetNumGlyphs(value); }
    // The control a press on the buttons gives the focus to; cleared when it is destroyed.
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* control) { FFocusControl = control; }
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);

    TTimerSpeedButton* UpButton() const { return FUpButton; }
    TTimerSpeedButton* DownButton() const { return FDownButton; }
    TTimerSpeedButton* FocusedButton() const { return FFocusedButton; }

    TSpinEvent OnUpClick;
    TSpinEvent OnDownClick;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TTimerSpeedButton* createButton();
    void adjustButtons();
    void setFocusBtn(TTimerSpeedButton* button);
    void btnClick(TSpeedButton* button);
    void btnMouseDown(TTimerSpeedButton* button, Qt::MouseButton mouseButton);
    void setFocusFlag(bool on);

    TTimerSpeedButton* FUpButton;
    TTimerSpeedButton* FDownButton;
    TTimerSpeedButton* FFocusedButton;
    QPointer<QWidget> FFocusControl;
    bool FTabStop = false;
};

// One key pair of a command on the key assignments page; Key2 is 0 for a single stroke.
struct TKeyPair {
    TShortCut Key1 = 0;
    TShortCut Key2 = 0;
};

// What the key assignments page holds for one command while the dialog runs. The pairs are loaded
// from the working copy the first time the command is looked at; Changed says a pair was deleted, so
// that an emptied list is not loaded again.
struct TCommandKeys {
    bool Changed = false;
    int32_t Action = 0;
    std::list<TKeyPair> Pairs;
};

// Edits the settings of one highlighting parser on up to five pages (options, highlighting, key
// assignments, auto-correction, code templates). The dialog works on a copy: while it runs, the copy
// stands in for the parser's settings and a private list for its editors, so that only the two
// example editors show the edits; OK copies the copy back, and whatever happens the parser gets its
// own settings object and editor list back.
class TOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Element codes of the three entries that follow the editable styles.
    enum : int { kSelTextElement = 0x4000, kMarginElement = 0x4001, kGutterElement = 0x4002 };
    // Page indexes; bit i of a page set shows page i.
    enum : int { kOptionsPage, kHighlightingPage, kKeysPage, kAutoCorrectPage, kTemplatesPage };

    explicit TOptionsDialog(QWidget* parent = nullptr);
    ~TOptionsDialog() override;

    // The parser whose settings are edited; set before Execute.
    TCustomCodeMemoParser* Parser() const { return FParser; }
    void SetParser(TCustomCodeMemoParser* parser) { FParser = parser; }
    // Shows the pages of `pages` modally; true when the user confirmed with OK. An empty page set
    // (or no parser) returns false at once.
    bool Execute(TSM_PropEdPages pages);
    // The routine a program installs as the parsers' settings dialog: a dialog for `parser`, run on
    // `pages` and freed.
    static bool EditParserSettings(TCustomCodeMemoParser& parser, TSM_PropEdPages pages);

    // The working copy while the dialog runs (nullptr outside Execute).
    TSM_Settings* WorkingSettings() const { return FSettings; }
    TSpinButton* GutterSpin() const { return FGutterSpin; }
    TSpinButton* MarginSpin() const { return FMarginSpin; }
    TKrColorButton* BackColorButton() const { return FBackColorButton; }
    TKrColorButton* ForeColorButton() const { return FForeColorButton; }
    const std::vector<std::string>& FontNames() const { return FFontNames; }
    TPoint LastClick() const { return FLastClick; }
    // The option check boxes in the order of their table, each with its option bit as "Tag".
    const std::vector<QCheckBox*>& OptionBoxes() const { return FOptionBoxes; }
    // The element code of list entry `row`, -1 without one.
    int ElementCode(int row) const;

    // ---- handlers, public so that they can be driven as the controls drive them
    void OptionBoxClick(QCheckBox* box);
    void IndentStepBoxExit();
    void WrapColumnBoxExit();
    // Tag 1 gutter width, Tag 2 right margin.
    void BorderWidthChange(QLineEdit* box);
    void SpinUpClick(TSpinButton* spin);
    void SpinDownClick(TSpinButton* spin);
    void TabColumnsBoxExit();
    void DeftabBoxExit();
    void SynElementsBoxClick();
    void UseBoldBoxClick(QCheckBox* box);
    void ColorChanged();
    void UseDefForeBoxClick(QCheckBox* box);
    // A mouse press at (x, y) in the example editor.
    void EditorMouseDown(int x, int y);
    void FontNameBoxChange();
    void FontSizeBoxChange();
    void FontFamilyBoxChange();
    // Fills FontNames with the families of a character set.
    void EnumerateFonts(uint8_t charset);

    // Key assignments page.
    void CommandClick();
    void KeyClick();
    // The focus leaves the key list.
    void KeysBoxExit();
    void AddKeyClick();
    void EditKeyClick();
    void DeleteKeyClick();
    // Builds the key assignments from the lists and closes with OK; a failure is shown and the dialog
    // stays open with nothing committed.
    void OKButtonClick();
    // The key record of command list entry `row`, nullptr without one.
    TCommandKeys* CommandKeys(int row);
    bool KeyError() const { return FKeyError; }
    // "[key1]  [key2]", "[<none>]" standing for a missing second key; and back.
    static std::string KeyPairLine(TShortCut key1, TShortCut key2);
    static void ParseKeyPairLine(const std::string& line, TShortCut& key1, TShortCut& key2);

    // Auto-correction page.
    void AutoReplBoxClick();
    void UpdateReplaceButtons();
    void AutoReplButton1Click();
    void AutoReplButton2Click();
    void AutoReplActBoxExit();
    // The working copy's auto-replace list made again from the list lines and the trigger keys box.
    void RebuildAutoReplace();

    // Code templates page.
    void cteListBoxClick();
    void UpdateTemplateButtons();
    void CodeTemplateButton1Click();
    void CodeTemplateButton2Click();
    void cteHotkeyExit();
    // The template editor's whole text, CR line breaks, the selection left as it was.
    std::string GetTemplateText();
    void CodeMemo1DataDrop(TSourceTypes& sourceTypes);

    // ---- the form's controls
    QTabWidget* PageControl;
    QWidget* OptionsPage;
    QWidget* HighlightingPage;
    QWidget* KeyMappingsPage;
    QWidget* AutoCorrectPage;
    QWidget* TemplatesPage;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    // Options page
    QGroupBox* GroupBox4;
    QLabel *Label13, *Label14, *Label15, *Label16, *Label7, *Label9, *Label11, *DefTabStopLabel;
    QCheckBox *WrapLineBox, *LineNosBox, *FileNamBox, *DateBox, *PageNosBox, *DispWrapBox, *WrapOverrideBox,
        *AutoIndentBox, *TabColBox, *SmartFillBox, *UseTabBox, *EdLineNosBox, *MarkWrapBox, *TitleAsFilenameBox,
        *BlockCursorBox, *WordSelectBox, *PrnSynHighlightBox, *CursorAfterEOLBox, *ShowAllCharsBox, *VisRMarginBox,
        *VisGutterBox, *ShowWrapColumnBox;
    QLineEdit *IndentStepBox, *WrapColumnBox, *LeftBorderWidthBox, *RightMarginWidthBox, *TabColumnsBox, *DeftabBox;
    // Highlighting page
    QLabel *Label3, *ElementLabel, *FGLabel, *BGLabel, *FontNameLabel, *FontSizeLabel;
    QLineEdit* LangNameBox;
    QListWidget* SynElementsBox;
    QGroupBox *GroupBox1, *DefCheckBox;
    QCheckBox *UseBoldBox, *UseItalicBox, *UseUnderlineBox, *UseDefForeBox, *UseDefBackBox;
    QComboBox *FontFamilyBox, *FontNameBox, *FontSizeBox;
    TCodeMemo* FEditor;
    // Key assignments page
    QLabel *CommandsLabel, *UsesKeysLabel;
    QListWidget *CommandsBox, *KeysBox;
    QPushButton *AddButton, *DeleteButton, *EditButton;
    // Auto-correction page
    QLabel *ReplaceLabel, *WithLabel, *ActKeysLabel;
    QLineEdit *ReplaceBox, *WithBox, *AutoReplActBox;
    QListWidget* AutoReplBox;
    QPushButton *AutoReplButton1, *AutoReplButton2;
    // Code templates page
    QLabel *NameLabel, *DescLabel, *TemplateValueLabel, *HotKeyLabel;
    QLineEdit *NameBox, *DescBox;
    QListWidget* cteListBox;
    TSM_HotKey* cteHotkey;
    TCodeMemo* CodeMemo1;
    QPushButton *CodeTemplateButton1, *CodeTemplateButton2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildOptionsPage();
    void buildHighlightingPage();
    void buildListPages();
    void formCreate();
    void formShow();
    // The selected element code, -1 without a selection.
    int selectedElement() const;
    void redrawExample();
    void setBorderText(QLineEdit* box, int value);
    void spinStep(TSpinButton* spin, int step);
    void connectListPages();
    void fillListPages();
    // Runs the exit handler of a list page control losing the focus; false for other controls.
    bool listPageExit(QObject* watched);
    void loadPairs(TCommandKeys& keys);
    TCommandKeys* selectedCommand();
    // The pair of the selected command equal to (FSelKey1, FSelKey2); end() of its list without one.
    std::list<TKeyPair>::iterator selectedPair(TCommandKeys& keys);
    bool runKeyAssign(TShortCut& key1, TShortCut& key2, uint8_t mode);
    // The row of the list line whose part before the TAB equals `name` without case; -1 without one.
    static int rowNamed(const QListWidget* list, const std::string& name);
    // The first button of the two name lists: `name` joins `names` and `line` ends the list, selected.
    static void addListed(QListWidget* list, std::vector<std::string>& names, const std::string& name,
                          const std::string& line);
    enum class TListEdit { None, Deleted, Replaced };
    // The second button of the two name lists, on the line of `name`: captioned "Borrar" it takes the
    // line and the name out and selects the line now at its place (the new last one, or none);
    // otherwise it writes `line` over the line. None when the button is off or the name has no line.
    static TListEdit secondButtonClick(QListWidget* list, const QPushButton* button, std::vector<std::string>& names,
                                       const std::string& name, const std::string& line);

    // The working copy; the parser's settings loan owns it while Execute runs.
    TSM_Settings* FSettings = nullptr;
    TCustomCodeMemoParser* FParser = nullptr;
    bool FUpdating = false;
    TSpinButton* FGutterSpin = nullptr;
    TSpinButton* FMarginSpin = nullptr;
    TShortCut FSelKey1 = 0;
    TShortCut FSelKey2 = 0;
    TPoint FLastClick{0, 0};
    bool FKeyError = false;
    TKrColorButton* FBackColorButton = nullptr;
    TKrColorButton* FForeColorButton = nullptr;
    std::vector<std::string> FReplaceNames;
    std::vector<std::string> FTemplateNames;
    std::string FReplaceItem;
    std::string FReplaceWith;
    TSM_PropEdPages FPages = 0;
    std::vector<std::string> FFontNames;
    std::vector<QCheckBox*> FOptionBoxes;
    // The records of the command list, in the order the entries were added (each entry's UserRole).
    std::vector<TCommandKeys> FCommandKeys;
    QListWidget* FLastList = nullptr;
    // The border boxes' last accepted texts, put back when a change is refused.
    QString FGutterText, FMarginText;
};
