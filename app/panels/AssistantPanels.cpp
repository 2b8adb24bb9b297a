// TAssistantPanels: the image, applet and form assistants: their controls on the side panel's pages, the choices that change them and the insertion of their tags.
#include "app/panels/AssistantPanels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/host/ImgSize.h"
#include "app/panels/SidePanel.h"
#include "app/host/WindowHost.h"
#include "app/model/TagTable.h"
#include "app/widgets/SharedWidgets.h"
#include "components/VSpeedBtnMenu.h"
#include "components/VeltranEdit.h"
#include "platform/FileDialogs.h"
#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"

namespace {

constexpr int kModeItems = 6100;
constexpr int kModeHints = 6101;
constexpr int kAlignItems = 6102;
constexpr int kAlignHints = 6103;
constexpr int kImageTexts = 6104;
constexpr int kURLLabels = 6105;
constexpr int kModeURLLabels = 6106;
constexpr int kImageFilters = 6107;
constexpr int kAppletTexts = 6108;
constexpr int kFormButtons = 6109;
constexpr int kFormTexts = 6110;
constexpr int kMethods = 6111;
constexpr int kButtonTypes = 6112;
constexpr int kEditTypes = 6113;
constexpr int kWraps = 6114;

constexpr int kValueEditWidth = 44;
constexpr int kButtonHeight = 22;
// The address picker's Tag for pictures.
constexpr int kPictureAddress = 3;

// The part of a hint before its "|".
std::string shortPart(const std::string& hint)
{
    return hint.substr(0, hint.find('|'));
}

std::string textOf(const QLineEdit* edit)
{
    return ToEditorText(edit->text());
}

std::string textOf(const QComboBox* combo)
{
    return ToEditorText(combo->currentText());
}

std::optional<std::string> checkedText(const TChkEdit* edit)
{
    return edit->Checked() ? std::optional(textOf(edit)) : std::nullopt;
}

std::optional<std::string> downText(const TToolbarButtonKt* button, const QLineEdit* edit)
{
    return button->Down() ? std::optional(textOf(edit)) : std::nullopt;
}

std::optional<std::string> tickedText(const QCheckBox* check, const QComboBox* combo)
{
    return check->isChecked() ? std::optional(textOf(combo)) : std::nullopt;
}

// The short hint of the item chosen in a drop-down button ("" for no alignment).
std::string chosenHint(const TVSpeedBtnMenu* button)
{
    const int index = button->property("Tag").toInt();
    return index >= 0 && index < button->Hints().Count() ? shortPart(button->Hints()[index]) : std::string();
}

// Runs a handler on every double click of a combo's box or its edit.
class TDoubleClickFilter : public QObject {
public:
    TDoubleClickFilter(QComboBox* combo, std::function<void()> handler) : QObject(combo), FHandler(std::move(handler))
    {
        combo->installEventFilter(this);
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        CallHandler(static_cast<QWidget*>(parent()), FHandler);
        return true;
    }

private:
    std::function<void()> FHandler;
};

// Lays out one assistant's controls from top to bottom, each taking the next caption and hint of
// its page's texts.
class TPageBuilder {
public:
    TPageBuilder(QWidget* page, int texts) : FTexts(captionsAndHints(texts))
    {
        auto* outer = new QVBoxLayout(page);
        outer->setContentsMargins(0, 0, 0, 0);
        auto* scroll = new QScrollArea(page);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        outer->addWidget(scroll);
        auto* content = new QWidget(scroll);
        scroll->setWidget(content);
        FParent = content;
        FLayout = new QVBoxLayout(content);
        FLayout->setContentsMargins(2, 2, 2, 2);
        FLayout->setSpacing(2);
    }

    QWidget* Parent() const { return FParent; }
    QVBoxLayout* Layout() const { return FLayout; }
    // Later controls go into another widget, with a layout of their own.
    void Into(QWidget* parent)
    {
        FParent = parent;
        FLayout = new QVBoxLayout(parent);
        FLayout->setContentsMargins(0, 0, 0, 0);
        FLayout->setSpacing(2);
    }
    void End() { FLayout->addStretch(1); }

    const TCaptionAndHint& Next() { return FTexts.at(FNext++); }

    template <class T>
    T* Add(T* control, const char* name, const std::string& hint, QBoxLayout* row = nullptr)
    {
        control->setObjectName(name);
        if (!hint.empty())
            SetControlHint(control, hint);
        (row ? row : FLayout)->addWidget(control);
        return control;
    }
    QLabel* Label(const char* name)
    {
        const TCaptionAndHint& text = Next();
        return Add(new QLabel(FromEditorText(text.Caption), FParent), name, text.Hint);
    }
    TStoredComboBox* Combo(const char* name)
    {
        auto* combo = new TStoredComboBox(FParent);
        combo->SetFlat(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return Add(combo, name, Next().Hint);
    }
    QComboBox* Choice(const char* name, int items)
    {
        auto* combo = new QComboBox(FParent);
        const TStringList lines = LinesOf(LoadResString(items));
        for (int i = 0; i < lines.Count(); ++i)
            combo->addItem(FromEditorText(lines[i]));
        return Add(combo, name, {});
    }
    QCheckBox* Check(const char* name)
    {
        const TCaptionAndHint& text = Next();
        return Add(new QCheckBox(FromEditorText(text.Caption), FParent), name, text.Hint);
    }
    QLineEdit* Edit(const char* name) { return Add(new QLineEdit(FParent), name, {}); }
    TChkEdit* ChkEdit(const char* name)
    {
        auto* edit = new TChkEdit(FParent);
        edit->SetCheckVisible(true);
        return Add(edit, name, {});
    }
    TToolbarButtonKt* Button(const char* name, QBoxLayout* row = nullptr) { return Button(Next(), name, row); }
    TToolbarButtonKt* Button(const TCaptionAndHint& text, const char* name, QBoxLayout* row)
    {
        auto* button = new TToolbarButtonKt(FParent);
        button->SetCaption(text.Caption);
        button->setFocusPolicy(Qt::TabFocus);
        button->setFixedHeight(kButtonHeight);
        button->Loaded();
        return Add(button, name, text.Hint, row);
    }
    // A toggle button with the edit of its value beside it.
    TToolbarButtonKt* Toggle(const char* name, const char* editName, QLineEdit*& edit)
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        FLayout->addLayout(row);
        // The edit shows the button's hint too.
        const TCaptionAndHint& text = Next();
        TToolbarButtonKt* button = Button(text, name, row);
        button->SetGroupIndex(++FGroups);
        button->SetAllowAllUp(true);
        edit = Add(new QLineEdit(FParent), editName, text.Hint, row);
        edit->setFixedWidth(kValueEditWidth);
        return button;
    }
    TVSpeedBtnMenu* Menu(const char* name, int items, int hints)
    {
        auto* button = new TVSpeedBtnMenu(FParent);
        button->SetItems(LinesOf(LoadResString(items)));
        button->SetHints(LinesOf(LoadResString(hints)));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setFixedHeight(kButtonHeight);
        return Add(button, name, Next().Hint);
    }

private:
    std::vector<TCaptionAndHint> FTexts;
    size_t FNext = 0;
    QWidget* FParent;
    QVBoxLayout* FLayout;
    // Each toggle is a group of its own that may be released.
    int FGroups = 0;
};

} // namespace

TAssistantPanels::TAssistantPanels(TWindowHost& host, TAssistantLinks links, TSidePanel& panel)
    : QObject(&panel), FHost(host), FLinks(std::move(links)), FPresses(new TToolPressFilter(this))
{
    buildImages(panel.Assistant(TSidePanel::asImagenes));
    buildApplets(panel.Assistant(TSidePanel::asApplets));
    buildForms(panel.Assistant(TSidePanel::asFormularios));
}

TAssistantPanels::~TAssistantPanels() = default;

void TAssistantPanels::buildImages(QWidget* page)
{
    TPageBuilder b(page, kImageTexts);
    sbImgMode = b.Menu("sbImgMode", kModeItems, kModeHints);
    lImgURL = b.Label("lImgURL");
    cbImgURL = b.Combo("cbImgURL");
    cbImgURL->setProperty("Tag", static_cast<int>(imImage));
    chImgAlt = b.Check("chImgAlt");
    cbImgALT = b.Combo("cbImgALT");
    sbImgWidth = b.Toggle("sbImgWidth", "eImgWidth", eImgWidth);
    sbImgHeight = b.Toggle("sbImgHeight", "eImgHeight", eImgHeight);
    sbImgBorder = b.Toggle("sbImgBorder", "eImgBorder", eImgBorder);
    sbImgHSpace = b.Toggle("sbImgHSpace", "eImgHSpace", eImgHSpace);
    sbImgVSpace = b.Toggle("sbImgVSpace", "eImgVSpace", eImgVSpace);
    sbImgAlign = b.Menu("sbImgAlign", kAlignItems, kAlignHints);
    chImgIsmap = b.Check("chImgIsmap");
    lImgURLAlt = b.Label("lImgURLAlt");
    cbImgMode = b.Combo("cbImgMode");
    FLoopLabels[0] = b.Label("lImgLoop");
    eImgLoop = b.Edit("eImgLoop");
    FLoopLabels[1] = b.Label("lImgDelay");
    eImgDelay = b.Edit("eImgDelay");
    chMouseOver = b.Check("chMouseOver");
    chControls = b.Check("chControls");
    sbImgIns = b.Button("sbImgIns");
    b.End();

    for (QComboBox* combo : {static_cast<QComboBox*>(cbImgURL), static_cast<QComboBox*>(cbImgMode)})
        new TDoubleClickFilter(combo, [this, combo] { cbImgURLDblClick(combo); });
    sbImgMode->OnSelect = [this](TVSpeedBtnMenu* sender) { sbImgModeSelect(sender); };
    sbImgAlign->OnSelect = [this](TVSpeedBtnMenu* sender) { sbImgAlignSelect(sender); };
    FPresses->Watch(sbImgIns, [this](QWidget*, Qt::MouseButton, TShiftState shift) { sbImgInsMouseDown(shift); });

    // At start no alignment and the plain image.
    sbImgAlign->SetItemIndex(0);
    sbImgAlignSelect(sbImgAlign);
    sbImgMode->SetItemIndex(imImage);
    sbImgModeSelect(sbImgMode);
}

void TAssistantPanels::buildApplets(QWidget* page)
{
    TPageBuilder b(page, kAppletTexts);
    b.Label("lAppletCode");
    cbAppletCode = b.Combo("cbAppletCode");
    chAppletCodebase = b.Check("chAppletCodebase");
    cbAppletCodebase = b.Combo("cbAppletCodebase");
    chAppletName = b.Check("chAppletName");
    cbAppletName = b.Combo("cbAppletName");
    chAppletAlt = b.Check("chAppletAlt");
    cbAppletALT = b.Combo("cbAppletALT");
    sbAppletWidth = b.Toggle("sbAppletWidth", "eAppletWidth", eAppletWidth);
    sbAppletHeight = b.Toggle("sbAppletHeight", "eAppletHeight", eAppletHeight);
    sbAppletHSpace = b.Toggle("sbAppletHSpace", "eAppletHSpace", eAppletHSpace);
    sbAppletVSpace = b.Toggle("sbAppletVSpace", "eAppletVSpace", eAppletVSpace);
    sbAppletAlign = b.Menu("sbAppletAlign", kAlignItems, kAlignHints);
    sbAppletIns = b.Button("sbAppletIns");
    b.End();

    sbAppletAlign->OnSelect = [this](TVSpeedBtnMenu* sender) { sbImgAlignSelect(sender); };
    sbAppletAlign->SetItemIndex(0);
    sbImgAlignSelect(sbAppletAlign);
    FPresses->Watch(sbAppletIns, [this](QWidget*, Qt::MouseButton, TShiftState shift) { sbAppletInsMouseDown(shift); });
}

void TAssistantPanels::buildForms(QWidget* page)
{
    TPageBuilder b(page, kFormTexts);
    // The field buttons, two to a row, one group of which one is always down.
    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    b.Layout()->addLayout(grid);
    const std::vector<TCaptionAndHint> buttons = captionsAndHints(kFormButtons);
    const char* names[kFormFieldCount] = {"SBForm",     "SBFormReset", "SBFormHidden", "SBFormText", "SBFormTextArea",
                                          "SBFormCheck", "SBFormRadio", "SBFormImage",  "SBFormList", "SBFormCombo"};
    for (int tag = 0; tag < kFormFieldCount; ++tag) {
        auto* button = SBForm[tag] = new TToolbarButtonKt(b.Parent());
        button->setObjectName(names[tag]);
        button->setProperty("Tag", tag);
        button->SetCaption(buttons.at(static_cast<size_t>(tag)).Caption);
        SetControlHint(button, buttons.at(static_cast<size_t>(tag)).Hint);
        button->SetGroupIndex(1);
        button->setFocusPolicy(Qt::TabFocus);
        button->setFixedHeight(kButtonHeight);
        button->Loaded();
        button->OnClick = [this](TToolbarButtonKt* sender) { SBFormClick(sender); };
        grid->addWidget(button, tag / 2, tag % 2);
    }
    nbForm = b.Add(new QStackedWidget(b.Parent()), "nbForm", {});
    QWidget* content = b.Parent();
    QVBoxLayout* contentLayout = b.Layout();
    std::vector<QWidget*> pages;
    const auto nextPage = [&] {
        auto* formPage = new QWidget(nbForm);
        nbForm->addWidget(formPage);
        pages.push_back(formPage);
        b.Into(formPage);
    };
    nextPage();
    b.Label("lMethod");
    cbMethod = b.Choice("cbMethod", kMethods);
    b.Label("lAction");
    eAction = b.Edit("eAction");
    b.Label("lTarget");
    eTarget = b.ChkEdit("eTarget");
    nextPage();
    b.Label("lBtn");
    cbBtn = b.Choice("cbBtn", kButtonTypes);
    b.Label("lBtnName");
    eBtnName = b.ChkEdit("eBtnName");
    b.Label("lBtnValue");
    eBtnValue = b.ChkEdit("eBtnValue");
    nextPage();
    b.Label("lHiddenName");
    eHiddenName = b.Edit("eHiddenName");
    b.Label("lHiddenValue");
    eHiddenValue = b.Edit("eHiddenValue");
    nextPage();
    b.Label("lEdit");
    cbEdit = b.Choice("cbEdit", kEditTypes);
    b.Label("lEditName");
    eEditName = b.Edit("eEditName");
    b.Label("lEditValue");
    eEditValue = b.ChkEdit("eEditValue");
    b.Label("lEditSize");
    eEditSize = b.ChkEdit("eEditSize");
    b.Label("lEditMaxLength");
    eEditMaxLength = b.ChkEdit("eEditMaxLength");
    nextPage();
    b.Label("lTextName");
    eTextName = b.Edit("eTextName");
    b.Label("lTextRows");
    eTextRows = b.ChkEdit("eTextRows");
    b.Label("lTextCols");
    eTextCols = b.ChkEdit("eTextCols");
    b.Label("lTextWrap");
    cbTextWrap = b.Choice("cbTextWrap", kWraps);
    nextPage();
    b.Label("lCheckName");
    eCheckName = b.Edit("eCheckName");
    b.Label("lCheckValue");
    eCheckValue = b.ChkEdit("eCheckValue");
    chCheckOn = b.Check("chCheckOn");
    nextPage();
    b.Label("lRadioName");
    eRadioName = b.Edit("eRadioName");
    b.Label("lRadioValue");
    eRadioValue = b.Edit("eRadioValue");
    chRadioOn = b.Check("chRadioOn");
    nextPage();
    b.Label("lImageName");
    eImageName = b.ChkEdit("eImageName");
    b.Label("lImageSRC");
    eImageSRC = b.Add(new TBtnEdit(b.Parent()), "eImageSRC", {});
    eImageSRC->setProperty("Tag", kPictureAddress);
    eImageSRC->Button()->setText("...");
    eImageSRC->OnBtnClick = [this](TBtnEdit*) { eImageSRCBtnClick(); };
    nextPage();
    b.Label("lListName");
    eListName = b.Edit("eListName");
    b.Label("lListNumLines");
    eListNumLines = b.ChkEdit("eListNumLines");
    chListMultiLine = b.Check("chListMultiLine");
    nextPage();
    b.Label("lComboName");
    eComboName = b.Edit("eComboName");
    for (QWidget* formPage : pages)
        static_cast<QVBoxLayout*>(formPage->layout())->addStretch(1);

    // Back below the notebook: the insert button.
    b.Into(new QWidget(content));
    contentLayout->addWidget(b.Parent());
    sbOkForm = b.Button("sbOkForm");
    contentLayout->addStretch(1);
    FPresses->Watch(sbOkForm, [this](QWidget*, Qt::MouseButton, TShiftState shift) { sbOkFormMouseDown(shift); });

    // The choice boxes show their first entry; the form itself is the first field.
    for (QComboBox* choice : {cbMethod, cbBtn, cbEdit, cbTextWrap})
        choice->setCurrentIndex(0);
    SBForm[ffForm]->SetDown(true);
    SBFormClick(SBForm[ffForm]);
}

THistoryCombo& TAssistantPanels::History(QComboBox* combo)
{
    for (auto& [owner, history] : FHistories)
        if (owner == combo)
            return history;
    return FHistories.emplace_back(combo, THistoryCombo{}).second;
}

void TAssistantPanels::keepHistories(std::initializer_list<TStoredComboBox*> combos)
{
    for (TStoredComboBox* combo : combos) {
        THistoryCombo& history = History(combo);
        fillCombo(history, combo);
        FLinks.GuardaHistorial(history);
        takeBackCombo(combo, history);
    }
}

void TAssistantPanels::cbImgURLDblClick(QComboBox* Sender)
{
    const int tag = Sender->property("Tag").toInt();
    const TStringList filters = LinesOf(LoadResString(kImageFilters));
    TFileDialogRequest request;
    request.Filter = tag >= 0 && tag < filters.Count() ? filters[tag] : filters[imImageMap];
    request.Picture = tag == imImage || tag == imLowSource;
    request.Options = ofHideReadOnly | ofFileMustExist;
    if (!ExecuteFileDialog(FHost.HostWindow(), request) || request.FileName.empty())
        return;
    // The field holds the page's reference to the picture, in the page's text.
    const std::string reference = FLinks.RutaRelativa(request.FileName);
    Sender->setEditText(FromEditorText(reference));
    uint16_t width = 0;
    uint16_t height = 0;
    if (GetImageSize(request.FileName, width, height)) {
        eImgWidth->setText(QString::number(width));
        eImgHeight->setText(QString::number(height));
    }
}

void TAssistantPanels::sbImgModeSelect(TVSpeedBtnMenu* Sender)
{
    const int mode = std::clamp(Sender->ItemIndex(), 0, kImageModeCount - 1);
    Sender->setText(FromEditorText(Sender->Items()[mode]));
    Sender->setProperty("Tag", mode);
    cbImgMode->setProperty("Tag", mode);
    chImgIsmap->setEnabled(mode >= imImage && mode <= imImageMap);
    const bool modeURL = mode != imImage && mode != imEmbedded;
    cbImgMode->setEnabled(modeURL);
    lImgURLAlt->setEnabled(modeURL);
    for (QWidget* option :
         std::initializer_list<QWidget*>{FLoopLabels[0], eImgLoop, FLoopLabels[1], eImgDelay, chMouseOver, chControls})
        option->setEnabled(mode == imAnimation);
    lImgURL->setText(FromEditorText(LinesOf(LoadResString(kURLLabels))[mode]));
    lImgURLAlt->setText(FromEditorText(LinesOf(LoadResString(kModeURLLabels))[mode]));
}

void TAssistantPanels::sbImgAlignSelect(TVSpeedBtnMenu* Sender)
{
    const int index = std::max(Sender->ItemIndex(), 0);
    Sender->setText(FromEditorText(Sender->Items()[index]));
    Sender->setProperty("Tag", index);
}

TImageTagValues TAssistantPanels::ImageValues() const
{
    TImageTagValues v;
    v.Mode = sbImgMode->property("Tag").toInt();
    v.URL = textOf(cbImgURL);
    v.Align = chosenHint(sbImgAlign);
    v.Alt = tickedText(chImgAlt, cbImgALT);
    v.Border = downText(sbImgBorder, eImgBorder);
    v.HSpace = downText(sbImgHSpace, eImgHSpace);
    v.VSpace = downText(sbImgVSpace, eImgVSpace);
    v.Width = downText(sbImgWidth, eImgWidth);
    v.Height = downText(sbImgHeight, eImgHeight);
    v.ModeAttribute = chosenHint(sbImgMode);
    v.ModeURL = textOf(cbImgMode);
    v.Loop = textOf(eImgLoop);
    v.Delay = textOf(eImgDelay);
    v.Controls = chControls->isChecked();
    v.MouseOver = chMouseOver->isChecked();
    v.Ismap = chImgIsmap->isChecked();
    return v;
}

void TAssistantPanels::sbImgInsMouseDown(TShiftState Shift)
{
    const TAssistantCode code = ImageTag(ImageValues());
    FHost.InsertaCodigo((Shift & ssCtrl) ? 1 : 0, (Shift & ssShift) ? 1 : 0, code.Open, code.Close);
    keepHistories({cbImgURL, cbImgALT, cbImgMode});
}

TAppletTagValues TAssistantPanels::AppletValues() const
{
    TAppletTagValues v;
    v.Code = textOf(cbAppletCode);
    v.Codebase = tickedText(chAppletCodebase, cbAppletCodebase);
    v.Name = tickedText(chAppletName, cbAppletName);
    v.Alt = tickedText(chAppletAlt, cbAppletALT);
    v.Width = downText(sbAppletWidth, eAppletWidth);
    v.Height = downText(sbAppletHeight, eAppletHeight);
    v.HSpace = downText(sbAppletHSpace, eAppletHSpace);
    v.VSpace = downText(sbAppletVSpace, eAppletVSpace);
    v.Align = chosenHint(sbAppletAlign);
    return v;
}

void TAssistantPanels::sbAppletInsMouseDown(TShiftState Shift)
{
    const TAssistantCode code = AppletTag(AppletValues());
    // The element goes on lines of its own unless Ctrl asks for it inline.
    FHost.InsertaCodigo((Shift & ssCtrl) ? 0 : 1, (Shift & ssShift) ? 1 : 0, code.Open, code.Close);
    keepHistories({cbAppletCode, cbAppletCodebase, cbAppletName, cbAppletALT});
}

void TAssistantPanels::SBFormClick(TToolbarButtonKt* Sender)
{
    const int tag = Sender->property("Tag").toInt();
    nbForm->setCurrentIndex(tag);
    sbOkForm->setProperty("Tag", tag);
}

TFormFieldValues TAssistantPanels::FormValues() const
{
    TFormFieldValues v;
    v.Method = textOf(cbMethod);
    v.Action = textOf(eAction);
    v.Target = checkedText(eTarget);
    v.BtnType = textOf(cbBtn);
    v.BtnName = checkedText(eBtnName);
    v.BtnValue = checkedText(eBtnValue);
    v.HiddenName = textOf(eHiddenName);
    v.HiddenValue = textOf(eHiddenValue);
    v.EditType = textOf(cbEdit);
    v.EditName = textOf(eEditName);
    v.EditValue = checkedText(eEditValue);
    v.EditSize = checkedText(eEditSize);
    v.EditMaxLength = checkedText(eEditMaxLength);
    v.TextName = textOf(eTextName);
    v.TextRows = checkedText(eTextRows);
    v.TextCols = checkedText(eTextCols);
    if (cbTextWrap->currentIndex() > 0)
        v.TextWrap = textOf(cbTextWrap);
    v.CheckName = textOf(eCheckName);
    v.CheckValue = checkedText(eCheckValue);
    v.CheckOn = chCheckOn->isChecked();
    v.RadioName = textOf(eRadioName);
    v.RadioValue = textOf(eRadioValue);
    v.RadioOn = chRadioOn->isChecked();
    v.ImageName = checkedText(eImageName);
    v.ImageSRC = textOf(eImageSRC);
    v.ListName = textOf(eListName);
    v.ListNumLines = checkedText(eListNumLines);
    v.ListMultiple = chListMultiLine->isChecked();
    v.ComboName = textOf(eComboName);
    return v;
}

void TAssistantPanels::sbOkFormMouseDown(TShiftState Shift)
{
    const TAssistantCode code = FormFieldTag(sbOkForm->property("Tag").toInt(), FormValues());
    FHost.InsertaCodigo((Shift & ssCtrl) ? 1 : 0, (Shift & ssShift) ? 1 : 0, code.Open, code.Close);
}

void TAssistantPanels::eImageSRCBtnClick()
{
    FLinks.OpenURL(eImageSRC);
}
