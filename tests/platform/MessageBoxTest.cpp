// Message boxes: Spanish buttons, the icon of each kind, the answer of each button, exceptions shown; the alert sound.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

#include "platform/FormSpec.h"
#include "platform/MessageBox.h"
#include "platform/core/Exception.h"

namespace {

struct Seen {
    std::vector<std::string> Buttons;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    std::string Text;
    // What the box's label shows, as a user reads it.
    std::string ShownText;
    Qt::TextFormat Format = Qt::AutoText;
    bool Shown = false;
    // The box's width, and the width its caption needs beside the window's buttons.
    int Width = 0;
    int CaptionNeeds = 0;
};

// Runs `show` while a timer reads the box that opens and presses its button `press` (-1: Esc).
Seen whileShown(const std::function<void()>& show, int press)
{
    Seen seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.Shown = true;
        seen.Icon = box->icon();
        seen.Text = box->text().toStdString();
        seen.Format = box->textFormat();
        seen.Width = box->width();
        seen.CaptionNeeds = CaptionWidth(*box);
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text() == box->text())
                seen.ShownText = label->textFormat() == Qt::PlainText ? label->text().toStdString() : "(rich)";
        for (QAbstractButton* button : box->buttons())
            seen.Buttons.push_back(button->text().toStdString());
        if (press < 0)
            box->reject();
        else
            box->buttons().at(press)->click();
    });
    show();
    // A timer left over when no box opened must not fire into a later box.
    QApplication::processEvents();
    return seen;
}

} // namespace

TEST(MessageBox, ButtonsSpeakSpanishAndAnswerWithTheirIds)
{
    struct Case {
        unsigned Flags;
        std::vector<std::string> Buttons;
        std::vector<int> Answers; // per button, then Esc
        QMessageBox::Icon Icon;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONSTOP, {"Aceptar"}, {IDOK, IDOK}, QMessageBox::Critical},
        {MB_OKCANCEL | MB_ICONWARNING, {"Aceptar", "Cancelar"}, {IDOK, IDCANCEL, IDCANCEL}, QMessageBox::Warning},
        {MB_YESNOCANCEL | MB_ICONQUESTION, {"&Sí", "&No", "Cancelar"}, {IDYES, IDNO, IDCANCEL, IDCANCEL},
         QMessageBox::Question},
        {MB_YESNO | MB_ICONINFORMATION, {"&Sí", "&No"}, {IDYES, IDNO}, QMessageBox::Information},
        {MB_YESNOCANCELALL | MB_ICONQUESTION, {"&Sí", "&No", "Cancelar", "&Todos"},
         {IDYES, IDNO, IDCANCEL, IDALL, IDCANCEL}, QMessageBox::Question},
    };
    for (const Case& c : cases) {
        for (size_t press = 0; press < c.Answers.size(); ++press) {
            const bool escape = press == c.Buttons.size();
            // A box with Yes and No but no Cancel cannot be left with Esc.
            if (escape && (c.Flags & 0x0F) == MB_YESNO)
                continue;
            int answer = 0;
            Seen seen = whileShown([&] { answer = MessageBox(nullptr, "Texto", "Título", c.Flags); },
                                   escape ? -1 : int(press));
            ASSERT_TRUE(seen.Shown);
            std::vector<std::string> sorted = seen.Buttons, expected = c.Buttons;
            std::sort(sorted.begin(), sorted.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(sorted, expected);
            EXPECT_EQ(seen.Icon, c.Icon);
            if (!escape) {
                // Qt orders the buttons by role; the answer follows the button pressed.
                const std::string pressed = seen.Buttons[press];
                const auto at = std::find(c.Buttons.begin(), c.Buttons.end(), pressed) - c.Buttons.begin();
                EXPECT_EQ(answer, c.Answers[size_t(at)]) << pressed;
            } else {
                EXPECT_EQ(answer, c.Answers.back());
            }
        }
    }
}

TEST(MessageBox, LinesBreakAtCarriageReturnsAsWellAsLineFeeds)
{
    Seen seen = whileShown([] { MessageBox(nullptr, "uno\rdos\r\ntres\ncuatro\r", {}, MB_OK); }, 0);
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Text, "uno\ndos\ntres\ncuatro\n");
}

TEST(MessageBox, ABoxIsAsWideAsItsCaption)
{
    // A short text under a long caption: the window manager would cut the caption of a narrow box.
    for (const char* caption : {"Previsualizaci\xF3n", "Previsualizaci\xF3n de la hoja de estilo del documento"}) {
        Seen seen = whileShown([&] { MessageBox(nullptr, "p { }", caption, MB_OK | MB_ICONINFORMATION); }, 0);
        ASSERT_TRUE(seen.Shown);
        EXPECT_GT(seen.CaptionNeeds, 110);
        EXPECT_GE(seen.Width, seen.CaptionNeeds) << caption;
    }
}

TEST(MessageBox, MarkupInATextIsShownAsItIsWritten)
{
    // A file name or a project entry is the text of many boxes; whatever it holds is no markup.
    const std::string name = "<a href=\"http://x.es/\">p\xE1gina</a><b>.htm";
    Seen seen = whileShown([&] { MessageBox(nullptr, "No se encuentra " + name, {}, MB_OK); }, 0);
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Format, Qt::PlainText);
    EXPECT_EQ(seen.ShownText, "No se encuentra <a href=\"http://x.es/\">p\xC3\xA1gina</a><b>.htm");
}

TEST(MessageBox, APagesHeldCharacterShowsAsItselfNeverAsTheMark)
{
    // A library entry's name or a tag's text from the page: its held character is the character; a
    // reference typed as such stays as typed.
    Seen seen = whileShown([] { MessageBox(nullptr, "\xBF" "Borrar \"\x1F#945;\" y &#955;?", {}, MB_OK); }, 0);
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.ShownText, "\xC2\xBF" "Borrar \"\xCE\xB1\" y &#955;?");
    EXPECT_EQ(seen.ShownText.find('\x1F'), std::string::npos);
}

TEST(MessageBox, AnExceptionIsShownAsAnErrorAndAnAbortNotAtAll)
{
    Seen seen = whileShown(
        [] {
            try {
                throw EFOpenError("No se puede abrir el archivo /x");
            } catch (...) {
                ShowException(nullptr);
            }
        },
        0);
    EXPECT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Text, "No se puede abrir el archivo /x");
    EXPECT_EQ(seen.Buttons, std::vector<std::string>{"Aceptar"});

    seen = whileShown(
        [] {
            try {
                Abort();
            } catch (...) {
                ShowException(nullptr);
            }
        },
        0);
    EXPECT_FALSE(seen.Shown);
    try {
        Abort();
    } catch (const EAbort& e) {
        EXPECT_EQ(e.Message(), "Operaci\xF3""n cancelada"); // Windows-1252
    }
}

TEST(MessageBox, AHookAnswersInsteadOfTheBoxAndABoxGoesWhereItIsPut)
{
    std::vector<std::string> asked;
    TMessageBoxHook old = SetMessageBoxHook([&](const std::string& text, const std::string& caption, unsigned flags) {
        asked.push_back(text + "|" + caption + "|" + std::to_string(flags));
        return IDALL;
    });
    EXPECT_FALSE(old);
    EXPECT_EQ(MessageBox(nullptr, "Pregunta", "Kestrima", MB_YESNOCANCELALL, TPoint{5, 6}), IDALL);
    // The exception handler's box goes through the hook too.
    try {
        throw EFOpenError("Sin archivo");
    } catch (...) {
        ShowException(nullptr);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"Pregunta|Kestrima|8", "Sin archivo||16"}));
    EXPECT_TRUE(SetMessageBoxHook(nullptr));

    // Without the hook the box shows, at the point given.
    QPoint at;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            at = box->pos();
            box->reject();
        }
    });
    EXPECT_EQ(MessageBox(nullptr, "Texto", "", MB_OKCANCEL, TPoint{40, 30}), IDCANCEL);
    EXPECT_EQ(at, QPoint(40, 30));
}

TEST(MessageBox, ABeepGoesToTheHookWhileOneIsSet)
{
    std::vector<unsigned> heard;
    TMessageBeepHook old = SetMessageBeepHook([&](unsigned type) { heard.push_back(type); });
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBeep(MB_OK);
    TMessageBeepHook mine = SetMessageBeepHook(std::move(old));
    EXPECT_EQ(heard, (std::vector<unsigned>{MB_ICONWARNING, MB_OK}));
    EXPECT_TRUE(static_cast<bool>(mine));
    // Without a hook the system sounds; nothing is heard here any more.
    MessageBeep(MB_OK);
    EXPECT_EQ(heard.size(), 2u);
}
