// TTipForm: the tip of the day's window: a picture, a bold heading, one tip chosen at random, the start-up check box and the Next and Close buttons.
#include "app/dialogs/FormTips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <span>
#include <stdexcept>

#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kShowAtStartDesign = 5983;
constexpr int kNextDesign = 5984;
constexpr int kCloseDesign = 5981;
constexpr int kNoTips = 5982;

enum TKind : int { kPicture, kLabel, kCheck, kButton };

constexpr TControlSpec kControls[] = {
    {.Name = "Image1", .Kind = kPicture, .Left = 12, .Width = 48, .Top = 12, .Height = 48},
    {.Name = "TipHelp", .Kind = kLabel, .Left = 72, .Width = 336, .Top = 12, .Height = 24},
    {.Name = "TipText", .Kind = kLabel, .Left = 72, .Width = 336, .Top = 40, .Height = 136},
    {.Name = "ShowAtStart", .Kind = kCheck, .Left = 12, .Width = 230, .Top = 196, .Height = 20, .Caption = kShowAtStartDesign},
    {.Name = "Next", .Kind = kButton, .Left = 250, .Width = 80, .Top = 194, .Height = 25, .Caption = kNextDesign},
    {.Name = "CloseBtn", .Kind = kButton, .Left = 336, .Width = 72, .Top = 194, .Height = 25, .Caption = kCloseDesign},
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kPicture:
    case kLabel: return new QLabel(parent);
    case kCheck: return new QCheckBox(caption, parent);
    case kButton: return new QPushButton(caption, parent);
    default: throw std::logic_error(std::string("tip window control of no kind: ") + spec.Name);
    }
}

} // namespace

TTipForm::TTipForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("TipForm");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(420, 230);
    BuildControls(this, kControls, TFormRow{}, makeControl);
    Image1 = FormControl<QLabel>(this, "Image1");
    TipHelp = FormControl<QLabel>(this, "TipHelp");
    TipText = FormControl<QLabel>(this, "TipText");
    ShowAtStart = FormControl<QCheckBox>(this, "ShowAtStart");
    Next = FormControl<QPushButton>(this, "Next");
    CloseBtn = FormControl<QPushButton>(this, "CloseBtn");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    QFont bold = TipHelp->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    TipHelp->setFont(bold);
    TipText->setWordWrap(true);
    TipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CloseBtn->setDefault(true);
    connect(Next, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { NextClick(); }); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { CloseBtnClick(); }); });
}

void TTipForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TTipForm::FormShow()
{
    if (FTips.Count() == 0)
        FTips.Add(LoadResString(kNoTips));
    Next->setEnabled(FTips.Count() > 1);
    if (!FSeeded)
        Seed(std::random_device{}());
    showRandomTip();
}

void TTipForm::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    FTips.Clear();
}

void TTipForm::showRandomTip()
{
    if (FTips.Count() == 0)
        return;
    std::uniform_int_distribution<int> pick(0, FTips.Count() - 1);
    FTipIndex = pick(FRandom);
    TipText->setText(FromEditorText(FTips[FTipIndex]));
}

void TTipForm::NextClick()
{
    showRandomTip();
}

void TTipForm::CloseBtnClick()
{
    done(QDialog::Accepted);
    FTips.Clear();
}
