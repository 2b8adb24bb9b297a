// TformBody: the BODY dialog, which builds a <BODY> tag from a background picture, colours and page margins and inserts it.
#include "app/dialogs/UFormBody.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <stdexcept>
#include <utility>

#include "app/host/Commands.h"
#include "app/host/WindowHost.h"
#include "app/widgets/SharedWidgets.h"
#include "components/explbtn.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/Buttons.h"
#include "platform/DialogHook.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"

namespace {

constexpr int kCaption = 5603;
constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kUrlHint = 5605;
constexpr int kNoBackground = 5606;
constexpr int kOpenPicture = 5607;
constexpr int kCloseBodyHint = 5615;
// The picture filter of the address combos' file picker.
constexpr int kPictureTag = 3;
constexpr int kMaxMargin = 999;

enum TKind : int { kCheck, kCombo, kSpeed, kShape, kExplorer, kToggle, kEdit, kSpin, kButton, kLabel };

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

constexpr int kMarginTop = 202;
constexpr TControlSpec kControls[] = {
    row("chBackground", kCheck, 8, 8, 200, 17, 5604),
    row("cbUrlBody", kCombo, 8, 28, 326, 21),
    row("sbAbrir", kSpeed, 338, 27, 23, 23),
    row("chBGProperties", kCheck, 8, 54, 200, 17, 5608),
    row("chBgcolor", kCheck, 8, 82, 130, 17, 5609),
    row("BGColor", kShape, 140, 79, 41, 22),
    row("lColores", kLabel, 8, 110, 200, 16, 5622),
    row("Text", kExplorer, 8, 128, 176, 24, 5610),
    row("Link", kExplorer, 185, 128, 176, 24, 5611),
    row("VLink", kExplorer, 8, 154, 176, 24, 5612),
    row("ALink", kExplorer, 185, 154, 176, 24, 5613),
    row("lMargenes", kLabel, 8, 184, 200, 16, 5623),
    row("LeftMargin", kToggle, 8, kMarginTop, 112, 22, 5616),
    row("SELeftMargin", kEdit, 122, kMarginTop, 40, 22),
    row("udLeftMargin", kSpin, 162, kMarginTop, 15, 22),
    row("TopMargin", kToggle, 184, kMarginTop, 112, 22, 5617),
    row("SETopMargin", kEdit, 298, kMarginTop, 40, 22),
    row("udTopMargin", kSpin, 338, kMarginTop, 15, 22),
    row("RightMargin", kToggle, 8, kMarginTop + 26, 112, 22, 5618),
    row("SERightMargin", kEdit, 122, kMarginTop + 26, 40, 22),
    row("udRightMargin", kSpin, 162, kMarginTop + 26, 15, 22),
    row("BottomMargin", kToggle, 184, kMarginTop + 26, 112, 22, 5619),
    row("SEBottomMargin", kEdit, 298, kMarginTop + 26, 40, 22),
    row("udBottomMargin", kSpin, 338, kMarginTop + 26, 15, 22),
    row("chCloseBody", kCheck, 8, 262, 250, 17, 5614),
    row("bAceptar", kButton, 206, 288, 75, 25, kAceptar),
    row("bCancelar", kButton, 286, 288, 75, 25, kCancelar),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kCheck: return new QCheckBox(caption, parent);
    case kCombo: return new QComboBox(parent);
    case kSpeed: return new TSpeedButton(parent);
    case kShape: return new TColorPanel(parent);
    case kExplorer: {
        // The explorer and toggle buttons take their caption as the editor's text.
        const std::string& text = LoadResString(spec.Caption);
        auto* button = new TExplorerButton(parent);
        button->SetCaption(text);
        button->SetLayout(blBitmapLeft);
        button->SetHint(text);
        button->SetShowHint(true);
        return button;
    }
    case kToggle: {
        auto* button = new TToolbarButtonKt(parent);
        button->SetCaption(LoadResString(spec.Caption));
        return button;
    }
    case kEdit: return new QLineEdit(QStringLiteral("0"), parent);
    case kSpin: return new TSpinButton(parent);
    case kButton: return new QPushButton(caption, parent);
    case kLabel: return new QLabel(caption, parent);
    default: throw std::logic_error(std::string("body dialog control of no kind: ") + spec.Name);
    }
}

// The history combo's record from the widget, and the record's texts back into it.
THistoryCombo historyOf(const QComboBox* combo)
{
    THistoryCombo history;
    fillCombo(history, combo);
    return history;
}

} // namespace

TBodyDialogHook SetBodyDialogHook(TBodyDialogHook hook_)
{
    return TDialogHook<TformBody>::Set(std::move(hook_));
}

TformBody::TformBody(TWindowHost& host, TBodyHost& tools) : QDialog(host.HostWindow()), FHost(host), FTools(tools)
{
    setObjectName("formBody");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(369, 321);
    buildControls();
}

TformBody::~TformBody() = default;

void TformBody::buildControls()
{
    BuildControls(this, kControls, TFormRow{}, makeControl);
    chBackground = FormControl<QCheckBox>(this, "chBackground");
    cbUrlBody = FormControl<QComboBox>(this, "cbUrlBody");
    sbAbrir = FormControl<TSpeedButton>(this, "sbAbrir");
    chBGProperties = FormControl<QCheckBox>(this, "chBGProperties");
    chBgcolor = FormControl<QCheckBox>(this, "chBgcolor");
    BGColor = FormControl<TColorPanel>(this, "BGColor");
    Text = FormControl<TExplorerButton>(this, "Text");
    Link = FormControl<TExplorerButton>(this, "Link");
    VLink = FormControl<TExplorerButton>(this, "VLink");
    ALink = FormControl<TExplorerButton>(this, "ALink");
    LeftMargin = FormControl<TToolbarButtonKt>(this, "LeftMargin");
    TopMargin = FormControl<TToolbarButtonKt>(this, "TopMargin");
    RightMargin = FormControl<TToolbarButtonKt>(this, "RightMargin");
    BottomMargin = FormControl<TToolbarButtonKt>(this, "BottomMargin");
    SELeftMargin = FormControl<QLineEdit>(this, "SELeftMargin");
    SETopMargin = FormControl<QLineEdit>(this, "SETopMargin");
    SERightMargin = FormControl<QLineEdit>(this, "SERightMargin");
    SEBottomMargin = FormControl<QLineEdit>(this, "SEBottomMargin");
    chCloseBody = FormControl<QCheckBox>(this, "chCloseBody");
    bAceptar = FormControl<QPushButton>(this, "bAceptar");
    bCancelar = FormControl<QPushButton>(this, "bCancelar");

    // The address keeps the run's history; the box starts saying there is no picture.
    cbUrlBody->setEditable(true);
    cbUrlBody->setInsertPolicy(QComboBox::NoInsert);
    cbUrlBody->setProperty("Tag", kPictureTag);
    cbUrlBody->setToolTip(LoadResQString(kUrlHint));
    THistoryCombo history = FTools.UrlHistory();
    history.Text = LoadResString(kNoBackground);
    history.ItemIndex = -1;
    takeBackCombo(cbUrlBody, history);
    sbAbrir->SetNumGlyphs(1);
    sbAbrir->SetGlyph(style()->standardIcon(QStyle::SP_DialogOpenButton).pixmap(16, 16));
    sbAbrir->setToolTip(LoadResQString(kOpenPicture));
    connect(sbAbrir, &QToolButton::clicked, this, [this] { CallHandler(this, [this] { sbAbrirClick(); }); });
    chCloseBody->setToolTip(LoadResQString(kCloseBodyHint));

    BGColor->SetColor(clWhite);
    BGColor->installEventFilter(this);

    // The colour buttons are toggles, each a group of its own that may be all up.
    const std::pair<TExplorerButton*, TColor> colours[] = {
        {Text, clBlack}, {Link, clBlue}, {VLink, clPurple}, {ALink, clRed}};
    int group = 1;
    for (auto [button, colour] : colours) {
        button->SetGroupIndex(group++);
        button->SetAllowAllUp(true);
        button->SetFontColor(colour);
        button->SetUnselectedFontColor(static_cast<TColor>(clWindowText));
        button->OnClick = [this](TExplorerButton* sender) { TextClick(sender); };
    }
    const std::pair<TToolbarButtonKt*, const char*> margins[] = {
        {LeftMargin, "udLeftMargin"}, {TopMargin, "udTopMargin"}, {RightMargin, "udRightMargin"},
        {BottomMargin, "udBottomMargin"}};
    QLineEdit* edits[] = {SELeftMargin, SETopMargin, SERightMargin, SEBottomMargin};
    for (size_t i = 0; i < 4; ++i) {
        TToolbarButtonKt* toggle = margins[i].first;
        toggle->SetFlat(true);
        toggle->SetGroupIndex(static_cast<int>(10 + i));
        toggle->SetAllowAllUp(true);
        FMarginSteps[i] = std::make_unique<TUpDownEdit>(edits[i], FormControl<TSpinButton>(this, margins[i].second),
                                                        0, kMaxMargin);
    }

    bAceptar->setDefault(true);
    bCancelar->setAutoDefault(false);
    bAceptar->installEventFilter(this);
    // Activated from the keyboard, Aceptar builds the tag as a press without keys would.
    connect(bAceptar, &QPushButton::clicked, this,
            [this] { CallHandler(this, [this] { ValoresDeImagenMouseDownValoresDeImagenMouseDown(0); }); });
    connect(bCancelar, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bCancelarClick(); }); });
}

int TformBody::Execute()
{
    setResult(0);
    // A hook that leaves the dialog open ends it as the window's close box does.
    TDialogHook<TformBody>::Run(*this, DialogHook::TShow::Shown, [this] { exec(); }, [this] {
        if (isVisible())
            done(2);
    });
    return result();
}

TBodyTagValues TformBody::Values() const
{
    TBodyTagValues values;
    values.Background = chBackground->isChecked();
    values.UrlBody = ToEditorText(cbUrlBody->currentText());
    values.BGProperties = chBGProperties->isChecked();
    values.Bgcolor = chBgcolor->isChecked();
    values.BGColor = BGColor->Color();
    const TExplorerButton* colours[] = {Text, Link, VLink, ALink};
    for (size_t i = 0; i < 4; ++i)
        if (colours[i]->Down())
            values.Colors[i] = colours[i]->FontColor();
    const TToolbarButtonKt* toggles[] = {LeftMargin, TopMargin, RightMargin, BottomMargin};
    const QLineEdit* edits[] = {SELeftMargin, SETopMargin, SERightMargin, SEBottomMargin};
    for (size_t i = 0; i < 4; ++i)
        if (toggles[i]->Down())
            values.Margins[i] = ToEditorText(edits[i]->text());
    return values;
}

// ---------------------------------------------------------------- handlers

void TformBody::BGColorMouseDown()
{
    TColor colour = BGColor->Color();
    if (FTools.ElegirColor(colour))
        BGColor->SetColor(colour);
}

void TformBody::TextClick(TExplorerButton* Sender)
{
    if (!Sender || !Sender->Down())
        return;
    TColor colour = Sender->FontColor();
    if (FTools.ElegirColor(colour))
        Sender->SetFontColor(colour);
}

void TformBody::sbAbrirClick()
{
    FTools.OpenURL(cbUrlBody);
}

void TformBody::ValoresDeImagenMouseDownValoresDeImagenMouseDown(TShiftState Shift)
{
    const int16_t shift = (Shift & ssShift) ? 1 : 0;
    const int16_t ctrl = (Shift & ssCtrl) ? 1 : 0;
    FHost.InsertaCodigo(ctrl, shift, BodyTag(Values()), chCloseBody->isChecked() ? "</BODY>" : "");
    THistoryCombo history = historyOf(cbUrlBody);
    FTools.GuardaHistorial(history);
    takeBackCombo(cbUrlBody, history);
    FTools.UrlHistory().Items = history.Items;
    done(1);
}

void TformBody::bCancelarClick()
{
    done(2);
}

void TformBody::markOpen(bool open)
{
    for (const char* name : {"mVerFormCuerpo", "sbBody", "sbBody2"})
        FHost.Commands().Action(name)->setChecked(open);
}

void TformBody::FormShow()
{
    markOpen(true);
}

void TformBody::FormCloseQuery(bool& CanClose)
{
    markOpen(false);
    CanClose = true;
}

void TformBody::done(int result)
{
    bool canClose = true;
    CallHandler(this, [this, &canClose] { FormCloseQuery(canClose); });
    if (canClose)
        QDialog::done(result);
}

void TformBody::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CallHandler(this, [this] { FormShow(); });
}

bool TformBody::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == BGColor) {
            CallHandler(this, [this] { BGColorMouseDown(); });
            return true;
        }
        if (watched == bAceptar && bAceptar->isEnabled()) {
            const TShiftState shift = ShiftStateOf(mouse);
            CallHandler(this, [this, shift] { ValoresDeImagenMouseDownValoresDeImagenMouseDown(shift); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
