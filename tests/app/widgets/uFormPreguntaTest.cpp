// Tests of the question dialog: its parts and size, and InputQuestion answered by "Aceptar", "Cancelar", Escape or closing.
#include "app/widgets/uFormPregunta.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/Win1252Qt.h"
#include "support/MouseEvents.h"
#include "support/QuestionAnswer.h"

TEST(InputQuestion, AceptarGivesTheTextClosingGivesNothing)
{
    TQuestionAnswer typed([](TformPregunta& form) {
        EXPECT_EQ(form.btnTexto->text(), "Aceptar");
        EXPECT_TRUE(form.btnTexto->isDefault());
        EXPECT_EQ(form.btnCancelar->text(), "Cancelar");
        // Fixed both ways, so that a window manager draws no resize handle along the bottom.
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        EXPECT_EQ(form.width(), 300); // a short prompt leaves the form as drawn
        EXPECT_GE(form.height(), form.sizeHint().height());
        form.eTexto->setText(QString::fromLatin1("ma\xF1""ana"));
        form.btnTexto->click();
    });
    EXPECT_EQ(InputQuestion("Valor decimal:", "Color", "255"), "ma\xF1""ana");
    EXPECT_EQ(typed.caption, "Color");
    EXPECT_EQ(typed.prompt, "Valor decimal:");
    EXPECT_EQ(typed.text, "255");

    TQuestionAnswer closed([](TformPregunta& form) {
        form.eTexto->setText("no cuenta");
        form.close();
    });
    EXPECT_EQ(InputQuestion("Valor:", "Color", "1"), "");

    TQuestionAnswer untouched([](TformPregunta& form) { form.btnTexto->click(); });
    EXPECT_EQ(InputQuestion("Valor:", "Color", "FF0000"), "FF0000");
}

TEST(InputQuestion, QueryTellsAnEmptyOkFromClosing)
{
    std::string value = "{*a*}";
    TQuestionAnswer emptied([](TformPregunta& form) {
        form.eTexto->clear();
        form.btnTexto->click();
    });
    EXPECT_TRUE(InputQuery("Valor:", "Campos", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(emptied.text, "{*a*}");

    value = "queda";
    TQuestionAnswer closed([](TformPregunta& form) {
        form.eTexto->setText("no cuenta");
        form.close();
    });
    EXPECT_FALSE(InputQuery("Valor:", "Campos", value));
    EXPECT_EQ(value, "queda");
}

TEST(InputQuestion, CancelarAndEscapeRefuseAndLeaveTheValue)
{
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape);
        std::string value = "bloque";
        TQuestionAnswer refused([escape](TformPregunta& form) { RefuseQuestion(form, "no cuenta", escape); });
        EXPECT_FALSE(InputQuery("Nombre:", "Librer\xED""a", value));
        EXPECT_TRUE(refused.shown);
        EXPECT_EQ(value, "bloque");
        TQuestionAnswer again([escape](TformPregunta& form) { (escape ? form.btnCancelar : form.btnTexto)->click(); });
        EXPECT_EQ(InputQuestion("Nombre:", "Librer\xED""a", "x"), escape ? "" : "x");
    }
}

TEST(InputQuestion, TheWindowIsAsWideAsItsPromptWithinTheScreen)
{
    std::string manyWords;
    for (int i = 0; i < 100; ++i)
        manyWords += " campo" + std::to_string(i);
    // The code library's question, and prompts from a word to more than a screen's width.
    const std::vector<std::pair<std::string, bool>> prompts = {
        {"\xBFQu\xE9 nombre quiere darle al bloque de c\xF3""digo?", false},
        {"Valor:", false},
        {"Substituir \"{*" + std::string(60, 'n') + "*}\" por...", false},
        {"Substituir \"{*" + manyWords + "*}\" por...", true}};
    for (const auto& [prompt, broken] : prompts) {
        SCOPED_TRACE(prompt.substr(0, 40));
        int formWidth = 0, screenWidth = 0, labelWidth = 0, labelHeight = 0, neededHeight = 0, widest = 0;
        bool wraps = false;
        TQuestionAnswer shown([&](TformPregunta& form) {
            const QLabel& label = *form.ltexto;
            screenWidth = form.screen()->availableGeometry().width();
            formWidth = form.frameGeometry().width();
            wraps = label.wordWrap();
            labelWidth = label.contentsRect().width();
            labelHeight = label.height();
            neededHeight = wraps ? label.heightForWidth(label.width()) : label.sizeHint().height();
            // What must fit on one line: the whole prompt, or, broken into lines, its widest word.
            for (const QString& word : wraps ? label.text().split(QLatin1Char(' ')) : QStringList{label.text()})
                widest = std::max(widest, label.fontMetrics().horizontalAdvance(word));
            EXPECT_EQ(form.minimumSize(), form.maximumSize());
            EXPECT_GE(form.width(), 300);
            form.btnTexto->click();
        });
        InputQuestion(prompt, "Reemplazar comodines", "");
        ASSERT_TRUE(shown.shown);
        EXPECT_EQ(shown.prompt, FromWin1252(prompt));
        EXPECT_LE(formWidth, screenWidth);
        EXPECT_GE(labelWidth, widest);
        EXPECT_GE(labelHeight, neededHeight);
        // Only a prompt the screen cannot hold on one line is broken into lines.
        EXPECT_EQ(wraps, broken);
    }
}

TEST(InputQuestion, EveryPointInsideAButtonAnswersAClick)
{
    // The code library's question. A click at a point goes, as the window system delivers it, to the
    // widget lying there, whichever that is.
    const std::string prompt = "\xBFQu\xE9 nombre quiere darle al bloque de c\xF3""digo?";
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "Aceptar" : "Cancelar");
        // The points of a grid over the button's frame, in the form's coordinates, once it is shown.
        std::vector<QPoint> points;
        TQuestionAnswer look([&](TformPregunta& form) {
            QPushButton* button = accept ? form.btnTexto : form.btnCancelar;
            const QRect frame = button->rect().adjusted(2, 2, -2, -2);
            for (int y = frame.top(); y <= frame.bottom(); y += std::max(1, frame.height() / 4))
                for (int x = frame.left(); x <= frame.right(); x += std::max(1, frame.width() / 8))
                    points.push_back(button->mapTo(&form, QPoint(x, y)));
            form.close();
        });
        std::string value;
        InputQuery(prompt, "Librer\xED""a de c\xF3""digos", value);
        ASSERT_FALSE(points.empty());
        for (const QPoint& point : points) {
            std::string answer = "nombre";
            QString hit;
            bool pressed = false;
            TQuestionAnswer click([&](TformPregunta& form) {
                QPushButton* button = accept ? form.btnTexto : form.btnCancelar;
                QObject::connect(button, &QPushButton::clicked, [&pressed] { pressed = true; });
                QWidget* target = form.childAt(point);
                if (!target)
                    target = &form;
                hit = target->objectName() + " " + target->metaObject()->className();
                Click(*target, target->mapFrom(&form, point));
                // A click that missed leaves the question open: it is closed, which refuses it.
                if (form.isVisible())
                    form.close();
            });
            const bool answered = InputQuery(prompt, "Librer\xED""a de c\xF3""digos", answer);
            ASSERT_TRUE(click.shown);
            EXPECT_TRUE(pressed && answered == accept)
                << point.x() << "," << point.y() << " reached " << hit.toStdString();
        }
    }
}
