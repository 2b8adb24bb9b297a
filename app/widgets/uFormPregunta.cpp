// TformPregunta, the small dialog that asks for one line of text, and InputQuestion, which shows it.
#include "app/widgets/uFormPregunta.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/Win1252Qt.h"

namespace {
constexpr int kOkCaption = 4600;
constexpr int kModalResultOk = 1;
} // namespace

TformPregunta::TformPregunta(QWidget* parent) : QDialog(parent)
{
    setObjectName("formPregunta");
    ltexto = new QLabel(this);
    ltexto->setObjectName("ltexto");
    eTexto = new QLineEdit(this);
    eTexto->setObjectName("eTexto");
    btnTexto = new QPushButton(LoadResQString(kOkCaption), this);
    btnTexto->setObjectName("btnTexto");
    btnTexto->setDefault(true);
    connect(btnTexto, &QPushButton::clicked, this, [this] { done(kModalResultOk); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ltexto);
    layout->addWidget(eTexto);
    layout->addWidget(btnTexto, 0, Qt::AlignHCenter);
    // Fixed both ways: a window manager draws a resizable dialog with a resize handle along its
    // bottom edge, which looks like a strip cut off.
    setFixedSize(300, sizeHint().height());
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
