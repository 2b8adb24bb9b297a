// TformPregunta, the small dialog that asks for one line of text, and InputQuestion, which shows it.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// A prompt, an edit for the answer and the "Ok" button, which closes the dialog with modal result 1.
class TformPregunta : public QDialog {
    Q_OBJECT
public:
    explicit TformPregunta(QWidget* parent = nullptr);

    QLabel* ltexto;
    QLineEdit* eTexto;
    QPushButton* btnTexto;
};

// Asks for a text in a TformPregunta captioned `caption`, with `prompt` above the edit and
// `defaultText` in it (all editor text). The edit's text when the user pressed "Ok", else "".
std::string InputQuestion(const std::string& prompt, const std::string& caption, const std::string& defaultText);
// The same question told apart from a refusal: true with `value` the edit's text when the user
// pressed "Ok" (which may be ""), false with `value` untouched when the dialog was closed.
bool InputQuery(const std::string& prompt, const std::string& caption, std::string& value);
