// The find and replace dialogs built with Qt widgets, captions from the string table.
#include "platform/FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/HandlerCall.h"
#include "platform/Help.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

// The buttons' letters (s, r, t, a) differ from each other and from the fields' labels (b, c).
enum : int {
    kCaptionFind = 65250,
    kCaptionReplace = 65251,
    kCaptionFindNext = 65252,
    kCaptionReplaceAll = 65253,
    kCaptionWholeWord = 65254,
    kCaptionMatchCase = 65255,
    kCaptionUp = 65256,
    kCaptionDown = 65257,
    kLabelFind = 65259,
    kLabelReplace = 65260,
    kCaptionDirection = 65261,
    kButtonReplace = 65262,
    kButtonCancel = 65263,
};


QPushButton* button(QWidget* parent, int id, const char* name)
{
    auto* b = new QPushButton(LoadResQString(id), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFindDialog::TFindDialog(QWidget* owner) : TFindDialog(owner, false) {}

TFindDialog::TFindDialog(QWidget* owner, bool withReplace) : QDialog(owner)
{
    setModal(false);
    setWindowTitle(LoadResQString(withReplace ? kCaptionReplace : kCaptionFind));
    setProperty("HelpContext", withReplace ? kReplaceHelpContext : kFindHelpContext);

    auto* fields = new QGridLayout;
    FFindEdit = new QLineEdit(this);
    FFindEdit->setObjectName("eBuscar");
    auto* findLabel = new QLabel(LoadResQString(kLabelFind), this);
    findLabel->setBuddy(FFindEdit);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(FFindEdit, 0, 1);
    if (withReplace) {
        FReplaceEdit = new QLineEdit(this);
        FReplaceEdit->setObjectName("eReemplazar");
        auto* replaceLabel = new QLabel(LoadResQString(kLabelReplace), this);
        replaceLabel->setBuddy(FReplaceEdit);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(FReplaceEdit, 1, 1);
    }

    FWholeWord = new QCheckBox(LoadResQString(kCaptionWholeWord), this);
    FWholeWord->setObjectName("cbPalabras");
    FMatchCase = new QCheckBox(LoadResQString(kCaptionMatchCase), this);
    FMatchCase->setObjectName("cbMayusculas");
    auto* checks = new QVBoxLayout;
    checks->addWidget(FWholeWord);
    checks->addWidget(FMatchCase);

    auto* direction = new QGroupBox(LoadResQString(kCaptionDirection), this);
    FUp = new QRadioButton(LoadResQString(kCaptionUp), direction);
    FUp->setObjectName("rbArriba");
    FDown = new QRadioButton(LoadResQString(kCaptionDown), direction);
    FDown->setObjectName("rbAbajo");
    FDown->setChecked(true);
    auto* directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(FUp);
    directionRow->addWidget(FDown);

    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    FFindNext = button(this, kCaptionFindNext, "bBuscarSiguiente");
    FFindNext->setDefault(true);
    buttons->addWidget(FFindNext);
    connect(FFindNext, &QPushButton::clicked, this, [this] { ClickFindNext(); });
    if (withReplace) {
        FReplace = button(this, kButtonReplace, "bReemplazar");
        FReplaceAll = button(this, kCaptionReplaceAll, "bReemplazarTodo");
        buttons->addWidget(FReplace);
        buttons->addWidget(FReplaceAll);
    }
    QPushButton* cancel = button(this, kButtonCancel, "bCancelar");
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, [this] { CloseDialog(); });
    connect(FFindEdit, &QLineEdit::textChanged, this, [this] { updateButtons(); });

    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(buttons);
    // Fixed at the size its controls ask for: a window manager draws a resizable dialog with a resize
    // handle along its bottom edge, which looks like a strip cut off.
    all->setSizeConstraint(QLayout::SetFixedSize);
    updateButtons();
}

std::string TFindDialog::FindText() const
{
    return ToEditorText(FFindEdit->text());
}

void TFindDialog::SetFindText(const std::string& text)
{
    FFindEdit->setText(FromEditorText(text));
}

TFindOptions TFindDialog::Options() const
{
    TFindOptions options = FRequest;
    if (FDown->isChecked())
        options |= frDown;
    if (FWholeWord->isChecked())
        options |= frWholeWord;
    if (FMatchCase->isChecked())
        options |= frMatchCase;
    return options;
}

void TFindDialog::SetOptions(TFindOptions options)
{
    (options & frDown ? FDown : FUp)->setChecked(true);
    FWholeWord->setChecked((options & frWholeWord) != 0);
    FMatchCase->setChecked((options & frMatchCase) != 0);
    FRequest = options & (frFindNext | frReplace | frReplaceAll);
}

TPoint TFindDialog::Position() const
{
    return {pos().x(), pos().y()};
}

void TFindDialog::SetPosition(TPoint topLeft)
{
    move(topLeft.X, topLeft.Y);
}

bool TFindDialog::Execute()
{
    show();
    raise();
    activateWindow();
    FFindEdit->setFocus();
    FFindEdit->selectAll();
    return true;
}

void TFindDialog::keyPressEvent(QKeyEvent* event)
{
    // A modeless dialog is a window of its own: the main window's F1 does not reach it.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        CallHandler(this, [this] { ShowControlHelp(focusWidget() ? focusWidget() : this); });
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFindDialog::setVisible(bool visible)
{
    // Closing the dialog gives the keys back to the window it serves, as the system's dialogs do;
    // an activation asked for the dialog and not yet done counts as the program being in front.
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QWidget* active = QApplication::activeWindow();
    const bool handBack = !visible && isVisible() && owner && (active == this || active == owner);
    QDialog::setVisible(visible);
    if (handBack && owner->isVisible())
        owner->activateWindow();
}

void TFindDialog::CloseDialog()
{
    hide();
}

void TFindDialog::ClickFindNext()
{
    if (!FFindEdit->text().isEmpty())
        request(frFindNext);
}

void TFindDialog::request(TFindOptions kind)
{
    FRequest = kind;
    fireRequest(kind);
}

void TFindDialog::fireRequest(TFindOptions)
{
    if (OnFind)
        CallHandler(this, [this] { OnFind(this); });
}

void TFindDialog::updateButtons()
{
    // Nothing can be looked for without a text; the buttons say so rather than report a failure.
    const bool some = !FFindEdit->text().isEmpty();
    for (QPushButton* b : {FFindNext, FReplace, FReplaceAll})
        if (b)
            b->setEnabled(some);
}

TReplaceDialog::TReplaceDialog(QWidget* owner) : TFindDialog(owner, true)
{
    connect(FReplace, &QPushButton::clicked, this, [this] { ClickReplace(); });
    connect(FReplaceAll, &QPushButton::clicked, this, [this] { ClickReplaceAll(); });
}

std::string TReplaceDialog::ReplaceText() const
{
    return ToEditorText(FReplaceEdit->text());
}

void TReplaceDialog::SetReplaceText(const std::string& text)
{
    FReplaceEdit->setText(FromEditorText(text));
}

void TReplaceDialog::ClickReplace()
{
    if (!FFindEdit->text().isEmpty())
        request(frReplace);
}

void TReplaceDialog::ClickReplaceAll()
{
    if (!FFindEdit->text().isEmpty())
        request(frReplaceAll);
}

void TReplaceDialog::fireRequest(TFindOptions kind)
{
    if (kind == frFindNext) {
        TFindDialog::fireRequest(kind);
        return;
    }
    if (OnReplace)
        CallHandler(this, [this] { OnReplace(this); });
}
