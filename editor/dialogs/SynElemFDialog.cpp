// The editor options dialog: its form, the commit protocol around the working copy, and the handlers of
// the options and highlighting pages.
#include "editor/dialogs/SynElemF.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <cstdlib>

#include "editor/CodeMemo.h"
#include "editor/dialogs/SYM_KDlg.h"
#include "editor/model/EditorMessages.h"
#include "platform/FontsQt.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

// String-table ids of the dialog's texts.
enum : int {
    kCaption = 4296, kOptionsText = 4297, kHighlightingText = 4298, kKeysText = 4299, kPrintText = 4300,
    kGeneralText = 4306, kIndentStepText = 4313, kWrapColumnText = 4314, kRightMarginSize = 4317,
    kGutterSize = 4318, kLanguageText = 4319, kElementText = 4320, kForegroundText = 4322,
    kBackgroundText = 4324, kAttributesText = 4328, kBoldText = 4329, kItalicText = 4330,
    kUnderlineText = 4331, kTabColumnsText = 4337, kTabStopText = 4338, kAutoCorrectText = 4339,
    kTemplatesText = 4340, kFontSizeText = 4341, kTemplateValueText = 4342, kDefaultInText = 4347,
    kCommandsText = 4348, kUsesKeysText = 4349, kAddText = 4350, kDeleteText = 4351, kReplaceText = 4352,
    kWithText = 4353, kActKeysText = 4354, kHotKeyText = 4355, kNameText = 4356, kDescText = 4357,
    kOkText = 4358, kCancelText = 4359, kSelTextText = 4360, kMarginText = 4361, kGutterText = 4362,
    kFontNameText = 4364, kEditText = 4368, kRangeError = 4370, kNotAnInteger = 4371,
};

// One option check box: its option bit and its caption's string-table id.
struct TOptionBoxSpec {
    uint32_t Bit;
    int Text;
};

// In the order of OptionBoxes().
constexpr std::array<TOptionBoxSpec, 22> kOptionBoxes{{
    {0x20, 4301}, {0x40, 4302}, {0x80, 4303}, {0x100, 4304}, {0x200, 4305}, {0x400, 4307}, {0x2000, 4308},
    {0x800, 4309}, {0x1000, 4310}, {0x1000000, 4311}, {0x800000, 4312}, {0x1, 4315}, {0x200000, 4316},
    {0x40000, 4335}, {0x100000, 4336}, {0x4000, 4343}, {0x10, 4344}, {0x8000000, 4345}, {0x4000000, 4346},
    {0x8000, 4365}, {0x10000, 4366}, {0x20000, 4369},
}};
constexpr uint32_t kWordWrapBit = 0x400;

struct TCharsetName {
    const char* Name;
    uint8_t Value;
};
constexpr std::array<TCharsetName, 18> kCharsets{{
    {"ANSI", 0}, {"Default", 1}, {"Symbol", 2}, {"MAC", 77}, {"SHIFTJIS", 128}, {"Hangeul", 129},
    {"Johab", 130}, {"GB2312", 134}, {"Chinese Big5", 136}, {"Greek", 161}, {"Turkish", 162},
    {"Hebrew", 177}, {"Arabic", 178}, {"Baltic", 186}, {"Russian", 204}, {"Thai", 222},
    {"East Europe", 238}, {"OEM", 255},
}};
constexpr std::array<int, 13> kFontSizes{8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 30};

constexpr int kMaxBorderWidth = 199;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 75;
// The buttons beside a list reach the page's right edge, so that "Reemplazar" fits them.
constexpr int kSideButtonLeft = 490;
constexpr int kSideButtonWidth = 82;
constexpr int kButtonHeight = 25;
constexpr int kColorButtonWidth = 124;
constexpr int kSpinWidth = 8;

std::string textOf(const QLineEdit* box)
{
    return ToEditorText(box->text());
}

// The whole number a box holds; anything else raises the number-conversion error.
int strToInt(const std::string& text)
{
    int64_t value = 0;
    if (!TryStrToInt(text, value) || value < INT32_MIN || value > INT32_MAX)
        throw EConvertError(FmtLoadStr(kNotAnInteger, text.c_str()));
    return static_cast<int>(value);
}

// The kinds of the dialog's controls, as its rows name them.
enum TDialogKind : int { dkLabel, dkEdit, dkButton, dkCheck, dkGroup, dkList, dkCombo, dkMemo, dkHotKey, dkPages };

constexpr TControlSpec row(const char* name, TDialogKind kind, int x, int y, int w, int h, int parent = -1)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Parent = parent};
}
constexpr TControlSpec label(const char* name, int x, int y, int w = 150, int parent = -1)
{
    return row(name, dkLabel, x, y, w, kLabelHeight, parent);
}
constexpr TControlSpec edit(const char* name, int x, int y, int w, int parent = -1)
{
    return row(name, dkEdit, x, y, w, kEditHeight, parent);
}
constexpr TControlSpec button(const char* name, int x, int y, int w = kButtonWidth)
{
    return row(name, dkButton, x, y, w, kButtonHeight);
}
constexpr TControlSpec check(const char* name, int x, int y, int w = 175, int parent = -1)
{
    return row(name, dkCheck, x, y, w, 18, parent);
}

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    switch (spec.Kind) {
    case dkLabel: return new QLabel(parent);
    case dkEdit: return new QLineEdit(parent);
    case dkButton: {
        auto* b = new QPushButton(parent);
        b->setAutoDefault(false);
        return b;
    }
    case dkCheck: return new QCheckBox(parent);
    case dkGroup: return new QGroupBox(parent);
    case dkList: return new QListWidget(parent);
    case dkCombo: return new QComboBox(parent);
    case dkMemo: return new TCodeMemo(parent);
    case dkHotKey: return new TSM_HotKey(parent);
    case dkPages: return new QTabWidget(parent);
    default: throw std::logic_error(std::string("options dialog control of no kind: ") + spec.Name);
    }
}

// The dialog's frame: the pages and the two buttons under them.
constexpr TControlSpec kFrame[] = {
    row("PageControl", dkPages, 8, 8, 584, 388),
    button("OKButton", 436, 404),
    button("CancelButton", 517, 404),
};

// The options page: one group box holding every control.
constexpr TControlSpec kOptionsPageControls[] = {
    row("GroupBox4", dkGroup, 8, 4, 564, 346),
    label("Label13", 12, 20, 150, 0), label("Label14", 190, 20, 150, 0),
    check("WrapLineBox", 12, 40, 175, 0), check("LineNosBox", 12, 60, 175, 0),
    check("FileNamBox", 12, 80, 175, 0), check("DateBox", 12, 100, 175, 0),
    check("PageNosBox", 12, 120, 175, 0), check("PrnSynHighlightBox", 12, 140, 175, 0),
    check("DispWrapBox", 190, 40, 175, 0), check("WrapOverrideBox", 190, 60, 175, 0),
    check("AutoIndentBox", 190, 80, 175, 0), check("TabColBox", 190, 100, 175, 0),
    check("SmartFillBox", 190, 120, 175, 0), check("UseTabBox", 190, 140, 175, 0),
    check("EdLineNosBox", 190, 160, 175, 0), check("MarkWrapBox", 190, 180, 175, 0),
    check("TitleAsFilenameBox", 380, 40, 175, 0), check("BlockCursorBox", 380, 60, 175, 0),
    check("WordSelectBox", 380, 80, 175, 0), check("CursorAfterEOLBox", 380, 100, 175, 0),
    check("ShowAllCharsBox", 380, 120, 175, 0), check("ShowWrapColumnBox", 380, 140, 175, 0),
    label("Label15", 12, 170, 150, 0), edit("IndentStepBox", 12, 186, 60, 0),
    label("Label16", 12, 214, 150, 0), edit("WrapColumnBox", 12, 230, 60, 0),
    check("VisRMarginBox", 190, 214, 175, 0), label("Label7", 190, 238, 48, 0),
    edit("RightMarginWidthBox", 240, 234, 50, 0), check("VisGutterBox", 380, 214, 175, 0),
    label("Label9", 380, 238, 48, 0), edit("LeftBorderWidthBox", 430, 234, 50, 0),
    label("Label11", 12, 270, 150, 0), edit("TabColumnsBox", 12, 286, 340, 0),
    label("DefTabStopLabel", 380, 270, 150, 0), edit("DeftabBox", 380, 286, 50, 0),
};

constexpr TControlSpec kHighlightingPageControls[] = {
    label("Label3", 8, 8), edit("LangNameBox", 8, 24, 170),
    label("ElementLabel", 8, 52), row("SynElementsBox", dkList, 8, 68, 170, 150),
    row("GroupBox1", dkGroup, 190, 4, 180, 84),
    check("UseBoldBox", 10, 20, 130, 4), check("UseItalicBox", 10, 40, 130, 4),
    check("UseUnderlineBox", 10, 60, 130, 4),
    row("DefCheckBox", dkGroup, 384, 4, 180, 64),
    check("UseDefForeBox", 10, 20, 140, 8), check("UseDefBackBox", 10, 40, 140, 8),
    label("FGLabel", 190, 96, 124), label("BGLabel", 384, 96, 124),
    row("FontFamilyBox", dkCombo, 190, 150, 180, 22),
    label("FontNameLabel", 190, 178), row("FontNameBox", dkCombo, 190, 194, 180, 22),
    label("FontSizeLabel", 384, 178, 60), row("FontSizeBox", dkCombo, 384, 194, 60, 22),
    row("SampleEditor", dkMemo, 8, 226, 564, 130),
};

constexpr TControlSpec kKeyMappingsPageControls[] = {
    label("CommandsLabel", 8, 8), row("CommandsBox", dkList, 8, 24, 260, 320),
    label("UsesKeysLabel", 280, 8), row("KeysBox", dkList, 280, 24, 284, 200),
    button("AddButton", 280, 234), button("DeleteButton", 362, 234), button("EditButton", 444, 234),
};

constexpr TControlSpec kAutoCorrectPageControls[] = {
    label("ReplaceLabel", 8, 8), edit("ReplaceBox", 8, 24, 150),
    label("WithLabel", 166, 8), edit("WithBox", 166, 24, 316),
    button("AutoReplButton1", kSideButtonLeft, 22, kSideButtonWidth),
    button("AutoReplButton2", kSideButtonLeft, 52, kSideButtonWidth),
    row("AutoReplBox", dkList, 8, 56, 474, 256),
    label("ActKeysLabel", 8, 322, 60), edit("AutoReplActBox", 70, 320, 412),
};

constexpr TControlSpec kTemplatesPageControls[] = {
    label("NameLabel", 8, 8, 120), edit("NameBox", 8, 24, 120),
    label("DescLabel", 136, 8, 346), edit("DescBox", 136, 24, 346),
    button("CodeTemplateButton1", kSideButtonLeft, 22, kSideButtonWidth),
    button("CodeTemplateButton2", kSideButtonLeft, 52, kSideButtonWidth),
    row("cteListBox", dkList, 8, 56, 474, 120),
    label("TemplateValueLabel", 8, 182), row("CodeMemo1", dkMemo, 8, 198, 564, 110),
    label("HotKeyLabel", 8, 320, 110), row("cteHotkey", dkHotKey, 120, 318, 150, kEditHeight),
};

// Makes and places a table's controls in `parent`.
void build(QWidget* parent, std::span<const TControlSpec> rows)
{
    BuildControls(parent, rows, TFormRow{}, makeControl);
}

// A flag set for a scope and put back to what it was on every path out.
TScopeGuard setFlag(bool& flag)
{
    const bool was = flag;
    flag = true;
    return TScopeGuard([&flag, was] { flag = was; });
}

// The row of the font box that names the face `faceName`: the face itself, or, when it is not
// installed, the family that paints in its place, so that the box shows the font the example uses.
// Showing it changes no setting: the face stays as configured until another is chosen.
int fontRow(const QComboBox& box, const std::string& faceName)
{
    const int row = box.findText(FromEditorText(faceName), Qt::MatchFixedString);
    return row >= 0 ? row : box.findText(FromEditorText(PaintedFontFamily(faceName)), Qt::MatchFixedString);
}

} // namespace

// ---------------------------------------------------------------- creation

TOptionsDialog::TOptionsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(600, 440);
    build(this, kFrame);
    PageControl = FormControl<QTabWidget>(this, "PageControl");
    OptionsPage = new QWidget;
    HighlightingPage = new QWidget;
    KeyMappingsPage = new QWidget;
    AutoCorrectPage = new QWidget;
    TemplatesPage = new QWidget;
    for (QWidget* page : {OptionsPage, HighlightingPage, KeyMappingsPage, AutoCorrectPage, TemplatesPage})
        PageControl->addTab(page, QString());
    OKButton = FormControl<QPushButton>(this, "OKButton");
    CancelButton = FormControl<QPushButton>(this, "CancelButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { CallHandler(this, [&] { OKButtonClick(); }); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    buildOptionsPage();
    buildHighlightingPage();
    buildListPages();
    formCreate();
}

TOptionsDialog::~TOptionsDialog() = default;

void TOptionsDialog::buildOptionsPage()
{
    build(OptionsPage, kOptionsPageControls);
    GroupBox4 = FormControl<QGroupBox>(OptionsPage, "GroupBox4");
    const QWidget* g = OptionsPage;
    Label13 = FormControl<QLabel>(g, "Label13");
    Label14 = FormControl<QLabel>(g, "Label14");
    WrapLineBox = FormControl<QCheckBox>(g, "WrapLineBox");
    LineNosBox = FormControl<QCheckBox>(g, "LineNosBox");
    FileNamBox = FormControl<QCheckBox>(g, "FileNamBox");
    DateBox = FormControl<QCheckBox>(g, "DateBox");
    PageNosBox = FormControl<QCheckBox>(g, "PageNosBox");
    PrnSynHighlightBox = FormControl<QCheckBox>(g, "PrnSynHighlightBox");
    DispWrapBox = FormControl<QCheckBox>(g, "DispWrapBox");
    WrapOverrideBox = FormControl<QCheckBox>(g, "WrapOverrideBox");
    AutoIndentBox = FormControl<QCheckBox>(g, "AutoIndentBox");
    TabColBox = FormControl<QCheckBox>(g, "TabColBox");
    SmartFillBox = FormControl<QCheckBox>(g, "SmartFillBox");
    UseTabBox = FormControl<QCheckBox>(g, "UseTabBox");
    EdLineNosBox = FormControl<QCheckBox>(g, "EdLineNosBox");
    MarkWrapBox = FormControl<QCheckBox>(g, "MarkWrapBox");
    TitleAsFilenameBox = FormControl<QCheckBox>(g, "TitleAsFilenameBox");
    BlockCursorBox = FormControl<QCheckBox>(g, "BlockCursorBox");
    WordSelectBox = FormControl<QCheckBox>(g, "WordSelectBox");
    CursorAfterEOLBox = FormControl<QCheckBox>(g, "CursorAfterEOLBox");
    ShowAllCharsBox = FormControl<QCheckBox>(g, "ShowAllCharsBox");
    ShowWrapColumnBox = FormControl<QCheckBox>(g, "ShowWrapColumnBox");
    Label15 = FormControl<QLabel>(g, "Label15");
    IndentStepBox = FormControl<QLineEdit>(g, "IndentStepBox");
    Label16 = FormControl<QLabel>(g, "Label16");
    WrapColumnBox = FormControl<QLineEdit>(g, "WrapColumnBox");
    VisRMarginBox = FormControl<QCheckBox>(g, "VisRMarginBox");
    Label7 = FormControl<QLabel>(g, "Label7");
    RightMarginWidthBox = FormControl<QLineEdit>(g, "RightMarginWidthBox");
    VisGutterBox = FormControl<QCheckBox>(g, "VisGutterBox");
    Label9 = FormControl<QLabel>(g, "Label9");
    LeftBorderWidthBox = FormControl<QLineEdit>(g, "LeftBorderWidthBox");
    Label11 = FormControl<QLabel>(g, "Label11");
    TabColumnsBox = FormControl<QLineEdit>(g, "TabColumnsBox");
    DefTabStopLabel = FormControl<QLabel>(g, "DefTabStopLabel");
    DeftabBox = FormControl<QLineEdit>(g, "DeftabBox");

    FOptionBoxes = {WrapLineBox, LineNosBox, FileNamBox, DateBox, PageNosBox, DispWrapBox, WrapOverrideBox,
                    AutoIndentBox, TabColBox, SmartFillBox, UseTabBox, EdLineNosBox, MarkWrapBox,
                    TitleAsFilenameBox, BlockCursorBox, WordSelectBox, PrnSynHighlightBox, CursorAfterEOLBox,
                    ShowAllCharsBox, VisRMarginBox, VisGutterBox, ShowWrapColumnBox};
    for (QCheckBox* box : FOptionBoxes)
        connect(box, &QCheckBox::clicked, this, [this, box] { CallHandler(this, [&] { OptionBoxClick(box); }); });

    LeftBorderWidthBox->setProperty("Tag", 1);
    RightMarginWidthBox->setProperty("Tag", 2);
    for (QLineEdit* box : {IndentStepBox, WrapColumnBox, LeftBorderWidthBox, RightMarginWidthBox, DeftabBox})
        box->installEventFilter(this);
    for (QLineEdit* box : {LeftBorderWidthBox, RightMarginWidthBox}) {
        box->setMaxLength(3);
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            try {
                BorderWidthChange(box);
            } catch (...) {
                // The box goes back to the value the settings kept.
                {
                    QSignalBlocker quiet(box);
                    box->setText(box == LeftBorderWidthBox ? FGutterText : FMarginText);
                }
                ShowException(this);
            }
        });
    }
    connect(IndentStepBox, &QLineEdit::editingFinished, this, [this] { CallHandler(this, [&] { IndentStepBoxExit(); }); });
    connect(WrapColumnBox, &QLineEdit::editingFinished, this, [this] { CallHandler(this, [&] { WrapColumnBoxExit(); }); });
    connect(TabColumnsBox, &QLineEdit::editingFinished, this, [this] { CallHandler(this, [&] { TabColumnsBoxExit(); }); });
    connect(DeftabBox, &QLineEdit::editingFinished, this, [this] { CallHandler(this, [&] { DeftabBoxExit(); }); });
}

void TOptionsDialog::buildHighlightingPage()
{
    QWidget* p = HighlightingPage;
    build(p, kHighlightingPageControls);
    Label3 = FormControl<QLabel>(p, "Label3");
    LangNameBox = FormControl<QLineEdit>(p, "LangNameBox");
    ElementLabel = FormControl<QLabel>(p, "ElementLabel");
    SynElementsBox = FormControl<QListWidget>(p, "SynElementsBox");
    GroupBox1 = FormControl<QGroupBox>(p, "GroupBox1");
    UseBoldBox = FormControl<QCheckBox>(p, "UseBoldBox");
    UseItalicBox = FormControl<QCheckBox>(p, "UseItalicBox");
    UseUnderlineBox = FormControl<QCheckBox>(p, "UseUnderlineBox");
    DefCheckBox = FormControl<QGroupBox>(p, "DefCheckBox");
    UseDefForeBox = FormControl<QCheckBox>(p, "UseDefForeBox");
    UseDefBackBox = FormControl<QCheckBox>(p, "UseDefBackBox");
    FGLabel = FormControl<QLabel>(p, "FGLabel");
    BGLabel = FormControl<QLabel>(p, "BGLabel");
    FontFamilyBox = FormControl<QComboBox>(p, "FontFamilyBox");
    FontNameLabel = FormControl<QLabel>(p, "FontNameLabel");
    FontNameBox = FormControl<QComboBox>(p, "FontNameBox");
    FontSizeLabel = FormControl<QLabel>(p, "FontSizeLabel");
    FontSizeBox = FormControl<QComboBox>(p, "FontSizeBox");
    FEditor = FormControl<TCodeMemo>(p, "SampleEditor");
    LangNameBox->setReadOnly(true);
    FontSizeBox->setEditable(true);
    FontSizeBox->setInsertPolicy(QComboBox::NoInsert);
    for (int size : kFontSizes)
        FontSizeBox->addItem(QString::number(size));

    UseBoldBox->setProperty("Tag", 1);
    UseItalicBox->setProperty("Tag", 2);
    UseUnderlineBox->setProperty("Tag", 3);
    UseDefForeBox->setProperty("Tag", 1);
    UseDefBackBox->setProperty("Tag", 0);
    connect(SynElementsBox, &QListWidget::currentRowChanged, this,
            [this] { CallHandler(this, [&] { SynElementsBoxClick(); }); });
    for (QCheckBox* box : {UseBoldBox, UseItalicBox, UseUnderlineBox})
        connect(box, &QCheckBox::clicked, this, [this, box] { CallHandler(this, [&] { UseBoldBoxClick(box); }); });
    for (QCheckBox* box : {UseDefForeBox, UseDefBackBox})
        connect(box, &QCheckBox::clicked, this, [this, box] { CallHandler(this, [&] { UseDefForeBoxClick(box); }); });
    connect(FontNameBox, &QComboBox::currentIndexChanged, this,
            [this] { CallHandler(this, [&] { FontNameBoxChange(); }); });
    connect(FontSizeBox, &QComboBox::currentIndexChanged, this,
            [this] { CallHandler(this, [&] { FontSizeBoxChange(); }); });
    connect(FontFamilyBox, &QComboBox::currentIndexChanged, this,
            [this] { CallHandler(this, [&] { FontFamilyBoxChange(); }); });
    FEditor->OnMouseDown = [this](TCustomCodeMemo*, TMouseButton, TShiftState, int x, int y) {
        CallHandler(this, [&] { EditorMouseDown(x, y); });
    };
}

// The key assignment, auto-correction and code template pages carry their controls; what they do
// belongs to their own handlers.
void TOptionsDialog::buildListPages()
{
    build(KeyMappingsPage, kKeyMappingsPageControls);
    CommandsLabel = FormControl<QLabel>(KeyMappingsPage, "CommandsLabel");
    CommandsBox = FormControl<QListWidget>(KeyMappingsPage, "CommandsBox");
    UsesKeysLabel = FormControl<QLabel>(KeyMappingsPage, "UsesKeysLabel");
    KeysBox = FormControl<QListWidget>(KeyMappingsPage, "KeysBox");
    AddButton = FormControl<QPushButton>(KeyMappingsPage, "AddButton");
    DeleteButton = FormControl<QPushButton>(KeyMappingsPage, "DeleteButton");
    EditButton = FormControl<QPushButton>(KeyMappingsPage, "EditButton");
    build(AutoCorrectPage, kAutoCorrectPageControls);
    ReplaceLabel = FormControl<QLabel>(AutoCorrectPage, "ReplaceLabel");
    ReplaceBox = FormControl<QLineEdit>(AutoCorrectPage, "ReplaceBox");
    WithLabel = FormControl<QLabel>(AutoCorrectPage, "WithLabel");
    WithBox = FormControl<QLineEdit>(AutoCorrectPage, "WithBox");
    AutoReplButton1 = FormControl<QPushButton>(AutoCorrectPage, "AutoReplButton1");
    AutoReplButton2 = FormControl<QPushButton>(AutoCorrectPage, "AutoReplButton2");
    AutoReplBox = FormControl<QListWidget>(AutoCorrectPage, "AutoReplBox");
    ActKeysLabel = FormControl<QLabel>(AutoCorrectPage, "ActKeysLabel");
    AutoReplActBox = FormControl<QLineEdit>(AutoCorrectPage, "AutoReplActBox");
    build(TemplatesPage, kTemplatesPageControls);
    NameLabel = FormControl<QLabel>(TemplatesPage, "NameLabel");
    NameBox = FormControl<QLineEdit>(TemplatesPage, "NameBox");
    DescLabel = FormControl<QLabel>(TemplatesPage, "DescLabel");
    DescBox = FormControl<QLineEdit>(TemplatesPage, "DescBox");
    CodeTemplateButton1 = FormControl<QPushButton>(TemplatesPage, "CodeTemplateButton1");
    CodeTemplateButton2 = FormControl<QPushButton>(TemplatesPage, "CodeTemplateButton2");
    cteListBox = FormControl<QListWidget>(TemplatesPage, "cteListBox");
    TemplateValueLabel = FormControl<QLabel>(TemplatesPage, "TemplateValueLabel");
    CodeMemo1 = FormControl<TCodeMemo>(TemplatesPage, "CodeMemo1");
    HotKeyLabel = FormControl<QLabel>(TemplatesPage, "HotKeyLabel");
    cteHotkey = FormControl<TSM_HotKey>(TemplatesPage, "cteHotkey");
    connectListPages();
}

void TOptionsDialog::formCreate()
{
    FEditor->SetFontWriteBack(false);

    FBackColorButton = new TKrColorButton(HighlightingPage);
    FForeColorButton = new TKrColorButton(HighlightingPage);
    for (auto [colorButton, colorLabel] : {std::pair{FBackColorButton, BGLabel}, std::pair{FForeColorButton, FGLabel}}) {
        colorButton->setGeometry(colorLabel->x(), colorLabel->y() + colorLabel->height() + 4, kColorButtonWidth,
                                 kButtonHeight);
        colorButton->OnColorChange = [this](TKrColorButton*) { CallHandler(this, [&] { ColorChanged(); }); };
    }

    for (size_t i = 0; i < FOptionBoxes.size(); ++i)
        FOptionBoxes[i]->setProperty("Tag", static_cast<qulonglong>(kOptionBoxes[i].Bit));

    FGutterSpin = new TSpinButton(OptionsPage);
    FMarginSpin = new TSpinButton(OptionsPage);
    for (auto [spin, box, tag] : {std::tuple{FGutterSpin, LeftBorderWidthBox, 1}, std::tuple{FMarginSpin, RightMarginWidthBox, 2}}) {
        spin->resize(kSpinWidth, box->height() - 4);
        spin->move(GroupBox4->x() + box->x() + box->width() - spin->width() - 2, GroupBox4->y() + box->y() + 2);
        spin->raise();
        spin->setProperty("Tag", tag);
        spin->OnUpClick = [this](TSpinButton* sender) { CallHandler(this, [&] { SpinUpClick(sender); }); };
        spin->OnDownClick = [this](TSpinButton* sender) { CallHandler(this, [&] { SpinDownClick(sender); }); };
    }
    FLastClick = {0, 0};

    setWindowTitle(LoadResQString(kCaption));
    PageControl->setTabText(kOptionsPage, LoadResQString(kOptionsText));
    GroupBox4->setTitle(LoadResQString(kOptionsText));
    PageControl->setTabText(kHighlightingPage, LoadResQString(kHighlightingText));
    PageControl->setTabText(kKeysPage, LoadResQString(kKeysText));
    PageControl->setTabText(kAutoCorrectPage, LoadResQString(kAutoCorrectText));
    PageControl->setTabText(kTemplatesPage, LoadResQString(kTemplatesText));
    const std::pair<QLabel*, int> labels[] = {
        {Label13, kPrintText}, {Label14, kGeneralText}, {Label15, kIndentStepText}, {Label16, kWrapColumnText},
        {Label7, kRightMarginSize}, {Label9, kGutterSize}, {Label11, kTabColumnsText},
        {DefTabStopLabel, kTabStopText}, {Label3, kLanguageText}, {ElementLabel, kElementText},
        {FontNameLabel, kFontNameText}, {FontSizeLabel, kFontSizeText}, {FGLabel, kForegroundText},
        {BGLabel, kBackgroundText}, {TemplateValueLabel, kTemplateValueText}, {CommandsLabel, kCommandsText},
        {UsesKeysLabel, kUsesKeysText}, {ReplaceLabel, kReplaceText}, {WithLabel, kWithText},
        {ActKeysLabel, kActKeysText}, {NameLabel, kNameText}, {DescLabel, kDescText}, {HotKeyLabel, kHotKeyText},
    };
    for (const auto& [l, id] : labels)
        l->setText(LoadResQString(id));
    GroupBox1->setTitle(LoadResQString(kAttributesText));
    UseBoldBox->setText(LoadResQString(kBoldText));
    UseItalicBox->setText(LoadResQString(kItalicText));
    UseUnderlineBox->setText(LoadResQString(kUnderlineText));
    UseDefForeBox->setText(LoadResQString(kForegroundText));
    UseDefBackBox->setText(LoadResQString(kBackgroundText));
    DefCheckBox->setTitle(LoadResQString(kDefaultInText));
    AddButton->setText(LoadResQString(kAddText) + QStringLiteral("..."));
    DeleteButton->setText(LoadResQString(kDeleteText));
    EditButton->setText(LoadResQString(kEditText) + QStringLiteral("..."));
    AutoReplButton1->setText(LoadResQString(kAddText));
    CodeTemplateButton1->setText(LoadResQString(kAddText));
    AutoReplButton2->setText(LoadResQString(kReplaceText));
    CodeTemplateButton2->setText(LoadResQString(kReplaceText));
    OKButton->setText(LoadResQString(kOkText));
    CancelButton->setText(LoadResQString(kCancelText));
    for (size_t i = 0; i < FOptionBoxes.size(); ++i)
        FOptionBoxes[i]->setText(LoadResQString(kOptionBoxes[i].Text));

    FKeyError = false;
    FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);
}

// ---------------------------------------------------------------- commit protocol

bool TOptionsDialog::Execute(TSM_PropEdPages pages)
{
    if ((pages & kAllPropEdPages) == 0 || !FParser)
        return false;
    FPages = pages;
    auto working = std::make_unique<TSM_Settings>();
    working->Assign(FParser->Settings());
    working->RebuildFontCache();
    // Runs after the loan has given the parser its own settings back.
    TScopeGuard rebuildFonts([parser = FParser] { parser->Settings().RebuildFontCache(); });
    TParserSettingsLoan loan(*FParser, std::move(working));
    FSettings = &loan.StandIn();
    TScopeGuard forget([this] {
        FReplaceNames.clear();
        FTemplateNames.clear();
        FFontNames.clear();
        FCommandKeys.clear();
        for (int row = 0; row < CommandsBox->count(); ++row)
            CommandsBox->item(row)->setData(Qt::UserRole, QVariant());
        FSettings = nullptr;
    });
    // The example editors leave the parser before the working copy goes.
    TScopeGuard releaseExamples([this] {
        FEditor->SetParserSlot(1, nullptr);
        CodeMemo1->SetParserSlot(1, nullptr);
    });
    for (TCodeMemo* example : {FEditor, CodeMemo1}) {
        FParser->AttachEditor(example);
        example->SetParserSlot(1, FParser);
        example->SetActiveParser(1);
    }
    FReplaceNames.clear();
    FTemplateNames.clear();
    FFontNames.clear();

    const bool confirmed = exec() == QDialog::Accepted;
    if (confirmed) {
        loan.Lent().FreeFontCache();
        loan.Lent().Assign(*FSettings);
    }
    return confirmed;
}

bool TOptionsDialog::EditParserSettings(TCustomCodeMemoParser& parser, TSM_PropEdPages pages)
{
    TOptionsDialog dialog;
    dialog.SetParser(&parser);
    return dialog.Execute(pages);
}

// ---------------------------------------------------------------- filling

void TOptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && FSettings)
        CallHandler(this, [&] { formShow(); });
}

void TOptionsDialog::formShow()
{
    QSignalBlocker quietFamilies(FontFamilyBox), quietNames(FontNameBox), quietSizes(FontSizeBox),
        quietElements(SynElementsBox), quietGutter(LeftBorderWidthBox), quietMargin(RightMarginWidthBox);
    LangNameBox->setText(FromEditorText(FSettings->LanguageName));
    setBorderText(LeftBorderWidthBox, FSettings->Gutter);
    setBorderText(RightMarginWidthBox, FSettings->RightMargin);

    {
        FEditor->Lines().BeginUpdate();
        TScopeGuard endUpdate([this] { FEditor->Lines().EndUpdate(); });
        FEditor->Perform(SMM_OPTIONS, SMM_SET, static_cast<LPARAM>(FSettings->Options));
        FEditor->Lines().SetText(FSettings->ExampleText);
        FEditor->SetSelLength(0);
        FEditor->SetSelStart(0);

        SynElementsBox->clear();
        for (int i = 1; i <= TSM_Settings::kEditableStyleCount; ++i) {
            const TSM_EditableStyle style = FSettings->GetEditableStyle(i);
            if (style.Name.empty())
                break;
            auto* item = new QListWidgetItem(FromEditorText(style.Name), SynElementsBox);
            item->setData(Qt::UserRole, static_cast<int>(style.StyleIndex));
        }
        for (auto [text, code] : {std::pair{kSelTextText, int(kSelTextElement)}, std::pair{kMarginText, int(kMarginElement)},
                                  std::pair{kGutterText, int(kGutterElement)}}) {
            auto* item = new QListWidgetItem(LoadResQString(text), SynElementsBox);
            item->setData(Qt::UserRole, code);
        }

        const auto word = static_cast<uint32_t>(FEditor->Perform(SMM_OPTIONS, 0, 0));
        for (QCheckBox* box : FOptionBoxes)
            box->setChecked((word & box->property("Tag").toULongLong()) != 0);
        TabColBox->setEnabled((word & kWordWrapBit) == 0);
        CursorAfterEOLBox->setEnabled(FEditor->FixedPitch());
        IndentStepBox->setText(QString::number(FEditor->IndentStep()));
        WrapColumnBox->setText(QString::number(FEditor->WrapAtColumn()));

        auto updating = setFlag(FUpdating);
        SynElementsBox->setCurrentRow(0);
        SynElementsBoxClick();
    }
    FEditor->update();
    FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);

    EnumerateFonts(DEFAULT_CHARSET);
    FontFamilyBox->clear();
    std::vector<TCharsetName> charsets(kCharsets.begin(), kCharsets.end());
    std::sort(charsets.begin(), charsets.end(),
              [](const TCharsetName& a, const TCharsetName& b) { return CompareText(a.Name, b.Name) < 0; });
    for (const TCharsetName& charset : charsets)
        FontFamilyBox->addItem(QString::fromLatin1(charset.Name), static_cast<int>(charset.Value));
    const int charsetRow = FontFamilyBox->findData(static_cast<int>(FSettings->Charset));
    if (charsetRow >= 0) {
        FontFamilyBox->setCurrentIndex(charsetRow);
        FontFamilyBoxChange();
    }
    FontNameBox->clear();
    for (const std::string& name : FFontNames)
        FontNameBox->addItem(FromEditorText(name));
    FontNameBox->setCurrentIndex(fontRow(*FontNameBox, FEditor->FontName()));
    FontSizeBox->setCurrentIndex(FontSizeBox->findText(QString::number(FEditor->FontSize())));

    TabColumnsBox->setText(FromEditorText(FEditor->TabColumns()));
    DeftabBox->setText(QString::number(FEditor->TabDefault()));

    fillListPages();

    for (int page = kOptionsPage; page <= kTemplatesPage; ++page)
        PageControl->setTabVisible(page, (FPages >> page) & 1);
    for (int page : {kHighlightingPage, kOptionsPage, kKeysPage, kAutoCorrectPage, kTemplatesPage}) {
        if ((FPages >> page) & 1) {
            PageControl->setCurrentIndex(page);
            break;
        }
    }
}

void TOptionsDialog::setBorderText(QLineEdit* box, int value)
{
    QString& kept = box == LeftBorderWidthBox ? FGutterText : FMarginText;
    kept = QString::number(value);
    QSignalBlocker quiet(box);
    box->setText(kept);
}

bool TOptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && listPageExit(watched))
        return false;
    const bool numberBox = watched == IndentStepBox || watched == WrapColumnBox || watched == LeftBorderWidthBox ||
                           watched == RightMarginWidthBox || watched == DeftabBox;
    if (event->type() != QEvent::KeyPress || !numberBox)
        return QDialog::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return false;
    // The field's own editing commands type nothing of their own: selecting all, the clipboard and
    // undo work as in any field (what a paste brings is judged like a typed text when the box is read).
    for (const QKeySequence::StandardKey command : {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut,
                                                    QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo})
        if (keyEvent->matches(command))
            return false;
    static constexpr int kNumberKeys[] = {Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_End,
                                          Qt::Key_Home, Qt::Key_Left, Qt::Key_Right, Qt::Key_Delete};
    static constexpr int kBorderKeys[] = {Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Left,
                                          Qt::Key_Right, Qt::Key_Insert, Qt::Key_Delete};
    const bool border = watched == LeftBorderWidthBox || watched == RightMarginWidthBox;
    const bool passes = border ? std::find(std::begin(kBorderKeys), std::end(kBorderKeys), key) != std::end(kBorderKeys)
                               : std::find(std::begin(kNumberKeys), std::end(kNumberKeys), key) != std::end(kNumberKeys);
    // Enter and Esc still reach the dialog's buttons.
    if (passes || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        return false;
    return true;
}

// ---------------------------------------------------------------- options page

void TOptionsDialog::OptionBoxClick(QCheckBox* box)
{
    if (!FSettings)
        return;
    auto word = static_cast<uint32_t>(FEditor->Perform(SMM_OPTIONS, 0, 0));
    const auto bit = static_cast<uint32_t>(box->property("Tag").toULongLong());
    word = box->isChecked() ? (word | bit) : (word & ~bit);
    FSettings->Options = word;
    FEditor->Perform(SMM_OPTIONS, SMM_SET, static_cast<LPARAM>(word));
    TabColBox->setEnabled((word & kWordWrapBit) == 0);
}

namespace {

// The editor takes the number typed; the box shows the value the editor kept, cut to the width the
// setting is stored in, and the working copy takes that value.
template <class Stored>
void applyNumberBox(QLineEdit* box, TCodeMemo* editor, void (TCustomCodeMemo::*set)(int),
                    int (TCustomCodeMemo::*get)() const, int32_t& setting)
{
    (editor->*set)(strToInt(textOf(box)));
    const auto shown = static_cast<Stored>((editor->*get)());
    box->setText(QString::number(shown));
    setting = shown;
}

} // namespace

void TOptionsDialog::IndentStepBoxExit()
{
    if (FSettings)
        applyNumberBox<uint8_t>(IndentStepBox, FEditor, &TCustomCodeMemo::SetIndentStep, &TCustomCodeMemo::IndentStep,
                                FSettings->IndentStep);
}

void TOptionsDialog::WrapColumnBoxExit()
{
    if (FSettings)
        applyNumberBox<uint16_t>(WrapColumnBox, FEditor, &TCustomCodeMemo::SetWrapAtColumn,
                                 &TCustomCodeMemo::WrapAtColumn, FSettings->WrapAtColumn);
}

void TOptionsDialog::BorderWidthChange(QLineEdit* box)
{
    // An emptied box is being typed in; the settings keep their value until a number stands there.
    if (!FSettings || box->text().isEmpty())
        return;
    const int value = strToInt(textOf(box));
    if (value < 0 || value > kMaxBorderWidth)
        throw Exception(LoadResString(kRangeError));
    if (box->property("Tag").toInt() == 1) {
        FSettings->Gutter = value;
        FEditor->SetGutter(value);
        setBorderText(box, FEditor->Gutter());
    } else {
        FSettings->RightMargin = value;
        FEditor->SetRightMargin(value);
        setBorderText(box, FEditor->RightMargin());
    }
}

void TOptionsDialog::SpinUpClick(TSpinButton* spin)
{
    spinStep(spin, 1);
}

void TOptionsDialog::SpinDownClick(TSpinButton* spin)
{
    spinStep(spin, -1);
}

// One step within 0..199; an empty box becomes 1. The new text runs the box's change handler.
void TOptionsDialog::spinStep(TSpinButton* spin, int step)
{
    QLineEdit* box = spin->property("Tag").toInt() == 1 ? LeftBorderWidthBox : RightMarginWidthBox;
    if (box->text().isEmpty()) {
        box->setText(QStringLiteral("1"));
        return;
    }
    const int value = strToInt(textOf(box)) + step;
    if (value >= 0 && value <= kMaxBorderWidth)
        box->setText(QString::number(value));
}

void TOptionsDialog::TabColumnsBoxExit()
{
    if (!FSettings)
        return;
    const std::string old = FEditor->TabColumns();
    try {
        FEditor->SetTabColumns(textOf(TabColumnsBox));
    } catch (const ECodeMemo& e) {
        MessageBox(this, e.Message(), {}, MB_OK | MB_ICONERROR);
        FEditor->SetTabColumns(old);
        TabColumnsBox->setText(FromEditorText(old));
    }
}

void TOptionsDialog::DeftabBoxExit()
{
    if (!FSettings)
        return;
    const int old = FEditor->TabDefault();
    const int value = strToInt(textOf(DeftabBox));
    try {
        FEditor->SetTabDefault(value);
    } catch (const ECodeMemo& e) {
        MessageBox(this, e.Message(), {}, MB_OK | MB_ICONERROR);
        FEditor->SetTabDefault(old);
        DeftabBox->setText(QString::number(old));
    }
}

// ---------------------------------------------------------------- highlighting page

int TOptionsDialog::ElementCode(int row) const
{
    const QListWidgetItem* item = SynElementsBox->item(row);
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

int TOptionsDialog::selectedElement() const
{
    return ElementCode(SynElementsBox->currentRow());
}

void TOptionsDialog::redrawExample()
{
    FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);
    FEditor->SetSelStart(FEditor->GetSelStart());
    FEditor->update();
}

void TOptionsDialog::SynElementsBoxClick()
{
    const int code = selectedElement();
    if (code < 0 || !FSettings)
        return;
    auto updating = setFlag(FUpdating);
    const auto& useDefault = FSettings->UseDefaultColors;
    if (code == kSelTextElement) {
        UseDefForeBox->setEnabled(true);
        UseDefBackBox->setEnabled(true);
        FForeColorButton->setEnabled(useDefault[udcSelTextColor] == 0);
        FForeColorButton->SetColor(FSettings->SelTextColor);
        FBackColorButton->setEnabled(useDefault[udcSelTextBack] == 0);
        FBackColorButton->SetColor(FSettings->SelTextBack);
        UseDefForeBox->setChecked(useDefault[udcSelTextColor] != 0);
        UseDefBackBox->setChecked(useDefault[udcSelTextBack] != 0);
    } else if (code == kMarginElement || code == kGutterElement) {
        const uint8_t flag = useDefault[code == kMarginElement ? udcMargin : udcGutter];
        UseDefForeBox->setEnabled(false);
        FForeColorButton->setEnabled(false);
        UseDefBackBox->setEnabled(true);
        UseDefBackBox->setChecked(flag != 0);
        FBackColorButton->setEnabled(flag == 0);
        FBackColorButton->SetColor(code == kMarginElement ? FSettings->MarginColor : FSettings->GutterColor);
    } else {
        const TSM_TokenStyle& style = FSettings->GetStyle(static_cast<uint8_t>(code));
        UseBoldBox->setChecked((style.FontStyle & 1) != 0);
        UseItalicBox->setChecked((style.FontStyle & 2) != 0);
        UseUnderlineBox->setChecked((style.FontStyle & 4) != 0);
        UseDefForeBox->setEnabled(true);
        UseDefBackBox->setEnabled(true);
        FForeColorButton->setEnabled(style.DefaultForeground == 0);
        FForeColorButton->SetColor(style.Foreground);
        FBackColorButton->setEnabled(style.DefaultBackground == 0);
        FBackColorButton->SetColor(style.Background);
        UseDefForeBox->setChecked(style.DefaultForeground != 0);
        UseDefBackBox->setChecked(style.DefaultBackground != 0);
    }
    FForeColorButton->update();
    FBackColorButton->update();
}

void TOptionsDialog::UseBoldBoxClick(QCheckBox* box)
{
    const int code = selectedElement();
    if (FUpdating || !box || code < 0 || code >= kSelTextElement || !FSettings)
        return;
    static constexpr TFontStyles kBits[] = {0, 1, 2, 4};
    const int tag = std::clamp(box->property("Tag").toInt(), 0, 3);
    const auto index = static_cast<uint8_t>(code);
    TSM_TokenStyle style = FSettings->GetStyle(index);
    style.Font = {};
    style.FontStyle = box->isChecked() ? (style.FontStyle | kBits[tag]) : (style.FontStyle & ~kBits[tag]);
    style.Defined = 1;
    FSettings->SetStyle(index, style);
    redrawExample();
}

void TOptionsDialog::ColorChanged()
{
    const int code = selectedElement();
    if (FUpdating || code < 0 || !FSettings)
        return;
    auto& useDefault = FSettings->UseDefaultColors;
    if (code == kSelTextElement) {
        if (!useDefault[udcSelTextBack])
            FSettings->SelTextBack = FBackColorButton->Color();
        if (!useDefault[udcSelTextColor])
            FSettings->SelTextColor = FForeColorButton->Color();
    } else if (code == kMarginElement) {
        if (!useDefault[udcMargin])
            FSettings->MarginColor = FBackColorButton->Color();
    } else if (code == kGutterElement) {
        if (!useDefault[udcGutter])
            FSettings->GutterColor = FBackColorButton->Color();
    } else {
        const auto index = static_cast<uint8_t>(code);
        TSM_TokenStyle style = FSettings->GetStyle(index);
        if (!style.DefaultForeground)
            style.Foreground = FForeColorButton->Color();
        if (!style.DefaultBackground)
            style.Background = FBackColorButton->Color();
        style.Defined = 1;
        FSettings->SetStyle(index, style);
    }
    redrawExample();
}

void TOptionsDialog::UseDefForeBoxClick(QCheckBox* box)
{
    const int code = selectedElement();
    if (FUpdating || !box || code < 0 || !FSettings)
        return;
    const bool fore = box->property("Tag").toInt() == 1;
    const uint8_t state = box->isChecked() ? 1 : 0;
    auto& useDefault = FSettings->UseDefaultColors;
    if (code == kSelTextElement) {
        useDefault[fore ? udcSelTextColor : udcSelTextBack] = state;
    } else if (code == kMarginElement || code == kGutterElement) {
        if (!fore)
            useDefault[code == kMarginElement ? udcMargin : udcGutter] = state;
    } else {
        const auto index = static_cast<uint8_t>(code);
        TSM_TokenStyle style = FSettings->GetStyle(index);
        (fore ? style.DefaultForeground : style.DefaultBackground) = state;
        style.Font = {};
        style.Defined = 1;
        FSettings->SetStyle(index, style);
    }
    redrawExample();
    SynElementsBoxClick();
}

void TOptionsDialog::EditorMouseDown(int x, int y)
{
    if (!FSettings || x < 1 || y < 1 || x >= FEditor->width() || y >= FEditor->height())
        return;
    if (std::abs(x - FLastClick.X) < 6 && std::abs(y - FLastClick.Y) < 6)
        return;
    FLastClick = {x, y};
    TPoint point{x, y};
    const LRESULT offset = FEditor->Perform(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point));
    if (offset < 0)
        return;
    FEditor->SetSelStart(static_cast<int>(offset));
    // The style byte of the character at the caret; the pointer the editor tracks has not moved yet.
    const std::string styles = FEditor->GetStyleBytes(nullptr);
    const auto caret = static_cast<size_t>(FEditor->GetSelStart());
    if (caret >= styles.size() || static_cast<uint8_t>(styles[caret]) == 255)
        return;
    const auto token = static_cast<uint8_t>(styles[caret]);
    const uint8_t styleNumber = FSettings->GetStyleFlag(token);
    // Only editable styles are chosen this way; the fixed entries share no style number.
    for (int row = 0; row < SynElementsBox->count(); ++row) {
        const int code = ElementCode(row);
        if (code < kSelTextElement && (code & 0xFF) == styleNumber) {
            SynElementsBox->setCurrentRow(row);
            SynElementsBoxClick();
            return;
        }
    }
}

void TOptionsDialog::FontNameBoxChange()
{
    if (!FSettings || FontNameBox->currentIndex() < 0)
        return;
    FSettings->FontName = ToEditorText(FontNameBox->currentText());
    FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);
    CursorAfterEOLBox->setEnabled(FEditor->FixedPitch());
}

void TOptionsDialog::FontSizeBoxChange()
{
    if (!FSettings || FontSizeBox->currentIndex() < 0)
        return;
    FSettings->FontSize = FontSizeBox->itemText(FontSizeBox->currentIndex()).toInt();
    FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);
}

void TOptionsDialog::FontFamilyBoxChange()
{
    if (!FSettings || FontFamilyBox->currentIndex() < 0)
        return;
    const auto charset = static_cast<uint8_t>(FontFamilyBox->currentData().toInt());
    EnumerateFonts(charset);
    QSignalBlocker quiet(FontNameBox);
    FontNameBox->clear();
    for (const std::string& name : FFontNames)
        FontNameBox->addItem(FromEditorText(name));
    const int row = fontRow(*FontNameBox, FEditor->FontName());
    FontNameBox->setCurrentIndex(row);
    if (row >= 0) {
        FSettings->Charset = charset;
        FEditor->Perform(SMM_SETTINGSCHANGED, 0, 0);
    }
}

void TOptionsDialog::EnumerateFonts(uint8_t charset)
{
    FFontNames = FontFamiliesOfCharset(charset);
}
