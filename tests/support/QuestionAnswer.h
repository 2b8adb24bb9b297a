// Test helper of the one-line question: acts on the question dialog once it is shown modally and keeps what it showed.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <functional>

#include "app/widgets/uFormPregunta.h"

// Runs `act` on the next question dialog shown modally (it answers or closes it), and keeps its
// caption, prompt and first text.
struct TQuestionAnswer {
    QString caption, prompt, text;
    bool shown = false;
    explicit TQuestionAnswer(std::function<void(TformPregunta&)> act)
    {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
            auto* form = qobject_cast<TformPregunta*>(QApplication::activeModalWidget());
            if (!form)
                return;
            timer->stop();
            timer->deleteLater();
            shown = true;
            caption = form->windowTitle();
            prompt = form->ltexto->text();
            text = form->eTexto->text();
            act(*form);
        });
        timer->start();
    }
};
