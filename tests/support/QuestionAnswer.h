// Test helpers of the one-line question: acting on the question dialog once it is shown modally, keeping what it showed, and refusing it.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>

#include "app/widgets/uFormPregunta.h"

// Runs `act` on the next question dialog shown modally (it answers or closes it), and keeps its
// caption, prompt and first text. The polling ends with the object, so a question that never came
// leaves nothing behind to act on a later one.
struct TQuestionAnswer {
    QString caption, prompt, text;
    bool shown = false;
    QTimer poll;
    explicit TQuestionAnswer(std::function<void(TformPregunta&)> act)
    {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this, act] {
            auto* form = qobject_cast<TformPregunta*>(QApplication::activeModalWidget());
            if (!form)
                return;
            poll.stop();
            shown = true;
            caption = form->windowTitle();
            prompt = form->ltexto->text();
            text = form->eTexto->text();
            act(*form);
        });
        poll.start();
    }
};

// Types `typed` into the question and refuses it: with Escape pressed in the edit, or with "Cancelar".
inline void RefuseQuestion(TformPregunta& form, const QString& typed, bool escape)
{
    form.eTexto->setText(typed);
    if (escape) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form.eTexto, &press);
    } else {
        form.btnCancelar->click();
    }
}
