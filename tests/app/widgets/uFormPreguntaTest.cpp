// Tests of the question dialog: its parts, and InputQuestion answered by "Ok" or by closing.
#include "app/widgets/uFormPregunta.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace {

// Runs `act` on the question dialog once it is shown modally, and keeps what it showed.
struct TAnswer {
    QString caption, prompt, text;
    explicit TAnswer(std::function<void(TformPregunta&)> act)
    {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
            auto* form = qobject_cast<TformPregunta*>(QApplication::activeModalWidget());
            if (!form)
                return;
            timer->stop();
            timer->deleteLater();
            caption = form->windowTitle();
            prompt = form->ltexto->text();
            text = form->eTexto->text();
            act(*form);
        });
        timer->start();
    }
};

} // namespace

TEST(InputQuestion, OkGivesTheTextClosingGivesNothing)
{
    TAnswer typed([](TformPregunta& form) {
        EXPECT_EQ(form.btnTexto->text(), "Ok");
        // Fixed both ways, so that a window manager draws no resize handle along the bottom.
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        EXPECT_EQ(form.width(), 300);
        EXPECT_GE(form.height(), form.sizeHint().height());
        form.eTexto->setText(QString::fromLatin1("ma\xF1""ana"));
        form.btnTexto->click();
    });
    EXPECT_EQ(InputQuestion("Valor decimal:", "Color", "255"), "ma\xF1""ana");
    EXPECT_EQ(typed.caption, "Color");
    EXPECT_EQ(typed.prompt, "Valor decimal:");
    EXPECT_EQ(typed.text, "255");

    TAnswer closed([](TformPregunta& form) {
        form.eTexto->setText("no cuenta");
        form.close();
    });
    EXPECT_EQ(InputQuestion("Valor:", "Color", "1"), "");

    TAnswer untouched([](TformPregunta& form) { form.btnTexto->click(); });
    EXPECT_EQ(InputQuestion("Valor:", "Color", "FF0000"), "FF0000");
}

TEST(InputQuestion, QueryTellsAnEmptyOkFromClosing)
{
    std::string value = "{*a*}";
    TAnswer emptied([](TformPregunta& form) {
        form.eTexto->clear();
        form.btnTexto->click();
    });
    EXPECT_TRUE(InputQuery("Valor:", "Campos", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(emptied.text, "{*a*}");

    value = "queda";
    TAnswer closed([](TformPregunta& form) {
        form.eTexto->setText("no cuenta");
        form.close();
    });
    EXPECT_FALSE(InputQuery("Valor:", "Campos", value));
    EXPECT_EQ(value, "queda");
}
