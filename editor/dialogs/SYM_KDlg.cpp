// The key assignment wizard: capture boxes, the two steps, their buttons and the dialog's layout.
#include "editor/dialogs/SYM_KDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <tuple>
#include <utility>

#include "platform/FormSpec.h"
#include "platform/Keys.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

// String-table ids of the dialog's own texts.
enum : int {
    kBackText = 4380, kNextText = 4381, kFinishText = 4382, kCancelText = 4383,
    kEditPrefix = 4384, kAddPrefix = 4385, kKeyPairFor = 4386, kClearText = 4387, kStepText = 4367,
};

// Design-time places; the rest of the layout follows the info texts when the dialog is shown.
constexpr int kMargin = 8;
constexpr int kInfoTop = 32;
constexpr int kInfoWidth = 225;
constexpr int kBoxWidth = 121;
constexpr int kBoxHeight = 21;
constexpr int kClearWidth = 49;
constexpr int kClearHeight = 17;
constexpr int kButtonPanelHeight = 40;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;

int bottomOf(const QWidget* w)
{
    return w->y() + w->height();
}

} // namespace

// ---------------------------------------------------------------- capture box

TSM_HotKey::TSM_HotKey(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void TSM_HotKey::SetHotKey(TShortCut shortCut)
{
    FHotKey = shortCut;
    setText(FromEditorText(ShortCutToText(shortCut)));
}

bool TSM_HotKey::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claiming the key keeps application shortcuts and mnemonics from taking it first.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        int vk = 0;
        TShiftState shift = 0;
        KeyEventToVirtualKey(static_cast<QKeyEvent*>(event), vk, shift);
        TShortCut shortCut = ShortCut(vk, shift);
        if (FDefaultModifier && vk && !IsModifierKey(vk) && (shortCut & (scCtrl | scAlt)) == 0)
            shortCut |= FDefaultModifier;
        SetHotKey(shortCut);
        // Taken here, before QWidget's Tab handling and the dialog's Enter and Esc.
        event->accept();
        return true;
    }
    default:
        return QLineEdit::event(event);
    }
}

// ---------------------------------------------------------------- wizard

TKeyAssignDialog::TKeyAssignDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    FWizardPanel = new QWidget(this);
    FStep1Panel = createStep(1, FStep1Label, FStep1InfoLabel, FHotKey1, FClearKey1Button);
    FStep2Panel = createStep(2, FStep2Label, FStep2InfoLabel, FHotKey2, FClearKey2Button);

    FButtonPanel = new QWidget(this);
    FBackButton = new QPushButton(LoadResQString(kBackText), FButtonPanel);
    FNextButton = new QPushButton(LoadResQString(kNextText), FButtonPanel);
    FCancelButton = new QPushButton(LoadResQString(kCancelText), FButtonPanel);
    // One width for the three, wide enough for every text the next button takes in turn.
    int buttonWidth = kButtonWidth;
    for (const int text : {kBackText, kFinishText, kCancelText, kNextText}) {
        FNextButton->setText(LoadResQString(text));
        buttonWidth = std::max(buttonWidth, FNextButton->sizeHint().width());
    }
    for (QPushButton* button : {FBackButton, FNextButton, FCancelButton}) {
        button->resize(buttonWidth, kButtonHeight);
        button->move(0, (kButtonPanelHeight - kButtonHeight) / 2);
        button->setAutoDefault(false);
    }
    connect(FBackButton, &QPushButton::clicked, this, [this] { PrevStep(); });
    connect(FNextButton, &QPushButton::clicked, this, [this] { nextClick(); });
    connect(FCancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(FClearKey1Button, &QPushButton::clicked, this, [this] {
        FHotKey1->SetHotKey(0);
        FHotKey1->setFocus();
    });
    connect(FClearKey2Button, &QPushButton::clicked, this, [this] {
        FHotKey2->SetHotKey(0);
        FHotKey2->setFocus();
    });

    FStep = 1;
    showStep(1);
    UpdateButtons();
    FStep1Label->setText(LoadResQString(kStepText) + QStringLiteral(" 1"));
    FStep2Label->setText(LoadResQString(kStepText) + QStringLiteral(" 2"));
    FStep1Label->adjustSize();
    FStep2Label->adjustSize();
}

QWidget* TKeyAssignDialog::createStep(int tag, QLabel*& stepLabel, QLabel*& infoLabel, TSM_HotKey*& box,
                                      QPushButton*& clear)
{
    auto* panel = new QWidget(FWizardPanel);
    panel->setProperty("Tag", tag);
    stepLabel = new QLabel(panel);
    QFont bold = stepLabel->font();
    bold.setBold(true);
    stepLabel->setFont(bold);
    stepLabel->move(kMargin, kMargin);
    infoLabel = new QLabel(panel);
    infoLabel->setWordWrap(true);
    infoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    infoLabel->move(kMargin, kInfoTop);
    box = new TSM_HotKey(panel);
    box->resize(kBoxWidth, kBoxHeight);
    clear = new QPushButton(LoadResQString(kClearText), panel);
    clear->resize(kClearWidth, kClearHeight);
    clear->setAutoDefault(false);
    connect(box, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    // Entering the panel puts the focus in its box.
    panel->setFocusProxy(box);
    return panel;
}

void TKeyAssignDialog::showStep(int step)
{
    for (QWidget* panel : {FStep1Panel, FStep2Panel}) {
        const bool front = panel->property("Tag").toInt() == step;
        panel->setVisible(front);
        if (front)
            panel->raise();
    }
}

void TKeyAssignDialog::UpdateButtons()
{
    FNextButton->setText(LoadResQString(FStep == 2 ? kFinishText : kNextText));
    FNextButton->setEnabled(FHotKey1->ShowsKey());
    FBackButton->setEnabled(FStep == 2);
    FClearKey1Button->setEnabled(FNextButton->isEnabled());
    FClearKey2Button->setEnabled(FHotKey2->ShowsKey());
}

void TKeyAssignDialog::NextStep()
{
    if (FStep >= 2)
        return;
    ++FStep;
    showStep(FStep);
    FHotKey2->setFocus();
    UpdateButtons();
}

void TKeyAssignDialog::PrevStep()
{
    if (FStep <= 1)
        return;
    --FStep;
    showStep(FStep);
    FHotKey1->setFocus();
    UpdateButtons();
}

void TKeyAssignDialog::nextClick()
{
    if (FStep == 2)
        accept();
    else
        NextStep();
}

bool TKeyAssignDialog::Execute(TShortCut& key1, TShortCut& key2, const std::string& commandName,
                               const std::string& step1Info, const std::string& step2Info, uint8_t mode)
{
    FMode = mode;
    FKey1 = key1;
    FKey2 = key2;
    QString prefix;
    if (mode == kmEdit)
        prefix = LoadResQString(kEditPrefix);
    else if (mode == kmAdd)
        prefix = LoadResQString(kAddPrefix);
    setWindowTitle(prefix + LoadResQString(kKeyPairFor) + FromEditorText(commandName));
    for (auto [label, info] : {std::pair{FStep1InfoLabel, &step1Info}, std::pair{FStep2InfoLabel, &step2Info}}) {
        label->setText(FromEditorText(*info));
        label->resize(kInfoWidth, label->heightForWidth(kInfoWidth));
    }
    const bool finished = exec() == QDialog::Accepted;
    // The keys come from the boxes' values: a text read back would lose keys whose names it cannot hold.
    key1 = FHotKey1->ShowsKey() ? FHotKey1->HotKey() : 0;
    key2 = FHotKey2->ShowsKey() ? FHotKey2->HotKey() : 0;
    return finished;
}

void TKeyAssignDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        formShow();
    QDialog::showEvent(event);
}

void TKeyAssignDialog::formShow()
{
    FHotKey1->SetHotKey(FMode == kmEdit ? FKey1 : 0);
    FHotKey2->SetHotKey(FMode == kmEdit ? FKey2 : 0);

    const int infoWidth = std::max(FStep1InfoLabel->width(), FStep2InfoLabel->width());
    // Never so narrow that the window manager cuts the caption, which names the command.
    const int width = std::max(infoWidth + FStep2InfoLabel->x() + 15 + FHotKey1->width() + 25, CaptionWidth(*this));
    for (auto [info, box, clear] : {std::tuple{FStep1InfoLabel, FHotKey1, FClearKey1Button},
                                    std::tuple{FStep2InfoLabel, FHotKey2, FClearKey2Button}}) {
        box->move(info->x() + info->width() + 15, info->y());
        clear->move(box->x() + box->width() - clear->width(), bottomOf(box) + 6);
    }
    const int content =
        std::max({FStep1InfoLabel->height(), FStep2InfoLabel->height(), bottomOf(FClearKey1Button) + 4}) + 16;
    const int height = kButtonPanelHeight + 4 + bottomOf(FStep2Label) + content + 4;
    if (size() != QSize(width, height))
        setFixedSize(width, height);

    FWizardPanel->setGeometry(0, 0, width, height - kButtonPanelHeight);
    FStep1Panel->setGeometry(FWizardPanel->rect());
    FStep2Panel->setGeometry(FWizardPanel->rect());
    FButtonPanel->setGeometry(0, height - kButtonPanelHeight, width, kButtonPanelHeight);
    FCancelButton->move(width - kButtonGap - FCancelButton->width(), FCancelButton->y());
    FNextButton->move(FCancelButton->x() - kButtonGap - FNextButton->width(), FNextButton->y());
    FBackButton->move(FNextButton->x() - kButtonGap - FBackButton->width(), FBackButton->y());

    (FStep == 1 ? FHotKey1 : FHotKey2)->setFocus();
    UpdateButtons();
}
