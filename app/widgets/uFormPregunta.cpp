// TformPregunta, the small dialog that asks for one line of text, and InputQuestion, which shows it.
#include "app/widgets/uFormPregunta.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "platform/Win1252Qt.h"

namespace {
constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kModalResultOk = 1;
// The width the form was drawn at: a short prompt leaves the edit this wide.
constexpr int kFormWidth = 300;
// What a window manager adds around the window on each side, kept free of the screen's edge.
constexpr int kWindowFrame = 16;
} // namespace

TformPregunta::TformPregunta(QWidget* parent) : QDialog(parent)
{
    setObjectName("formPregunta");
    ltexto = new QLabel(this);
    ltexto->setObjectName("ltexto");
    eTexto = new QLineEdit(this);
    eTexto->setObjectName("eTexto");
    btnTexto = new QPushButton(LoadResQString(kAceptar), this);
    btnTexto->setObjectName("btnTexto");
    btnTexto->setDefault(true);
    connect(btnTexto, &QPushButton::clicked, this, [this] { done(kModalResultOk); });
    btnCancelar = new QPushButton(LoadResQString(kCancelar), this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setAutoDefault(false);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ltexto);
    layout->addWidget(eTexto);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnTexto);
    buttons->addWidget(btnCancelar);
    buttons->addStretch();
    layout->addLayout(buttons);
    fitToPrompt();
}

void TformPregunta::showEvent(QShowEvent* event)
{
    // The prompt is set after the form is made: it is measured when it is about to show.
    fitToPrompt();
    QDialog::showEvent(event);
}

void TformPregunta::fitToPrompt()
{
    ltexto->setWordWrap(false);
    layout()->activate();
    int width = std::max(kFormWidth, sizeHint().width());
    // A prompt wider than the screen is broken into lines, all of them shown.
    const QScreen* shownOn = screen();
    const int room = shownOn ? shownOn->availableGeometry().width() - 2 * kWindowFrame : width;
    if (width > room) {
        ltexto->setWordWrap(true);
        width = std::max(kFormWidth, room);
    }
    layout()->activate();
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    // Fixed both ways: a window manager draws a resizable dialog with a resize handle along its
    // bottom edge, which looks like a strip cut off.
    setFixedSize(width, height);
}

std::string InputQuestion(const std::string& prompt, const std::string& caption, const std::string& defaultText)
{
    std::string value = defaultText;
    return InputQuery(prompt, caption, value) ? value : std::string();
}

bool InputQuery(const std::string& prompt, const std::string& caption, std::string& value)
{
    auto form = std::make_unique<TformPregunta>(QApplication::activeWindow());
    form->setWindowTitle(FromEditorText(caption));
    form->ltexto->setText(FromEditorText(prompt));
    form->eTexto->setText(FromEditorText(value));
    if (form->exec() != kModalResultOk)
        return false;
    value = ToEditorText(form->eTexto->text());
    return true;
}
