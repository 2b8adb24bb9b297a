// TformPregunta, the small dialog that asks for one line of text, and InputQuestion, which shows it.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// A prompt, an edit for the answer, the "Aceptar" button, which closes the dialog with modal result 1,
// and "Cancelar", which closes it as Escape does, with another result. Shown, the window is as wide as
// its prompt needs, within the screen.
class TformPregunta : public QDialog {
    Q_OBJECT
public:
    explicit TformPregunta(QWidget* parent = nullptr);

    QLabel* ltexto;
    QLineEdit* eTexto;
    QPushButton* btnTexto;
    QPushButton* btnCancelar;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitToPrompt();
};

// Asks for a text in a TformPregunta captioned `caption`, with `prompt` above the edit and
// `defaultText` in it (all editor text). The edit's text when the user pressed "Aceptar", else "".
std::string InputQuestion(const std::string& prompt, const std::string& caption, const std::string& defaultText);
// The same question told apart from a refusal: true with `value` the edit's text when the user
// pressed "Aceptar" (which may be ""), false with `value` untouched when the dialog was cancelled or closed.
bool InputQuery(const std::string& prompt, const std::string& caption, std::string& value);
