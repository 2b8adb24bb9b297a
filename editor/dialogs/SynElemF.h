// The editor options dialog TOptionsDialog, with the colour and spin buttons it places.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "editor/dialogs/KrColorButton.h"
#include "editor/dialogs/SYM_CBut.h"
#include "editor/dialogs/SpinButton.h"
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
