// The find and replace dialogs driven without a screen: typed texts, options, the requests they fire, a picture.
#include <gtest/gtest.h>

#include <initializer_list>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/DialogAltKeys.h"
#include "platform/FindDialog.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Exception.h"
#include "support/BoxAnswers.h"
#include "support/PumpUntil.h"

namespace {

// Types `text` into a line edit key by key, as the keyboard does.
void type(QLineEdit& edit, const QString& text)
{
    edit.setFocus();
    for (QChar c : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &down);
        QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &up);
    }
}

template <class T>
T& child(QWidget& parent, const char* name)
{
    T* widget = parent.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return *widget;
}

std::vector<std::string> texts(QWidget& dialog)
{
    std::vector<std::string> all;
    for (auto* button : dialog.findChildren<QAbstractButton*>())
        all.push_back(button->text().toStdString());
    for (auto* label : dialog.findChildren<QLabel*>())
        all.push_back(label->text().toStdString());
    std::sort(all.begin(), all.end());
    return all;
}

} // namespace

TEST(FindDialog, TypedTextAndOptionsReachOnFind)
{
    QWidget owner;
    TFindDialog dialog(&owner);
    std::vector<std::pair<std::string, TFindOptions>> requests;
    dialog.OnFind = [&](TFindDialog* sender) {
        EXPECT_EQ(sender, &dialog);
        requests.emplace_back(sender->FindText(), sender->Options());
    };
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Buscar");
    EXPECT_EQ(texts(dialog), (std::vector<std::string>{"&Buscar:", "Abajo", "Arriba", "Buscar &siguiente", "C&ancelar",
                                                        "Coincidir mayúsculas y minúsculas", "Sólo palabras completas"}));
    auto& next = child<QPushButton>(dialog, "bBuscarSiguiente");
    // Nothing to look for yet.
    EXPECT_FALSE(next.isEnabled());
    next.click();
    EXPECT_TRUE(requests.empty());

    type(child<QLineEdit>(dialog, "eBuscar"), "año");
    EXPECT_TRUE(next.isEnabled());
    next.click();
    child<QCheckBox>(dialog, "cbMayusculas").setChecked(true);
    child<QRadioButton>(dialog, "rbArriba").setChecked(true);
    child<QCheckBox>(dialog, "cbPalabras").setChecked(true);
    next.click();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].first, "a\xF1o"); // Windows-1252
    EXPECT_EQ(requests[0].second, frDown | frFindNext);
    EXPECT_EQ(requests[1].second, frMatchCase | frWholeWord | frFindNext);

    dialog.SetOptions(frDown | frMatchCase);
    EXPECT_EQ(dialog.Options(), frDown | frMatchCase);
    dialog.SetPosition({30, 40});
    EXPECT_EQ(dialog.Position(), (TPoint{30, 40}));
    child<QPushButton>(dialog, "bCancelar").click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST(FindDialog, ReplaceDialogFiresItsRequestsAndIsPictured)
{
    TReplaceDialog dialog(nullptr);
    std::vector<TFindOptions> finds, replaces;
    std::string replacement;
    dialog.OnFind = [&](TFindDialog* sender) { finds.push_back(sender->Options()); };
    dialog.OnReplace = [&](TReplaceDialog* sender) {
        replaces.push_back(sender->Options());
        replacement = sender->ReplaceText();
    };
    dialog.Execute();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Reemplazar");
    type(child<QLineEdit>(dialog, "eBuscar"), "<b>");
    type(child<QLineEdit>(dialog, "eReemplazar"), "<strong>");
    child<QPushButton>(dialog, "bBuscarSiguiente").click();
    child<QPushButton>(dialog, "bReemplazar").click();
    child<QPushButton>(dialog, "bReemplazarTodo").click();
    EXPECT_EQ(finds, std::vector<TFindOptions>{frDown | frFindNext});
    EXPECT_EQ(replaces, (std::vector<TFindOptions>{frDown | frReplace, frDown | frReplaceAll}));
    EXPECT_EQ(replacement, "<strong>");
    EXPECT_EQ(dialog.FindText(), "<b>");

    // An exception from a handler is shown, never passed into Qt.
    std::vector<std::string> shown;
    {
        TBoxAnswers boxes;
        dialog.OnReplace = [](TReplaceDialog*) { throw EFOpenError("Sin archivo"); };
        child<QPushButton>(dialog, "bReemplazarTodo").click();
        shown = boxes.texts;
    }
    EXPECT_EQ(shown, std::vector<std::string>{"Sin archivo"});

    // Both dialogs keep the size their controls ask for: a window manager then draws no resize
    // handle along the bottom.
    TFindDialog find(nullptr);
    for (QDialog* shownDialog : std::initializer_list<QDialog*>{&dialog, &find}) {
        shownDialog->show();
        QApplication::processEvents();
        EXPECT_EQ(shownDialog->minimumSize(), shownDialog->maximumSize());
        EXPECT_EQ(shownDialog->size(), shownDialog->sizeHint());
    }

    QApplication::processEvents();
    QImage shot = dialog.grab().toImage();
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    ASSERT_TRUE(shot.save(QDir(out ? out : QDir::tempPath()).filePath("replacedialog.png"), "PNG"));
    EXPECT_GT(shot.width(), 200);
    // Something is drawn: the picture is not one flat colour.
    const QRgb first = shot.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < shot.height() && !varied; y += 3)
        for (int x = 0; x < shot.width() && !varied; x += 3)
            varied = shot.pixel(x, y) != first;
    EXPECT_TRUE(varied);
}

TEST(FindDialog, AnyCharacterIsSearchedForAndReplacedWithAsItsReference)
{
    QWidget owner;
    TReplaceDialog dialog(&owner);
    child<QLineEdit>(dialog, "eBuscar").setText(QString::fromUtf8("a\xE2\x86\x92\xC3\xA1"));
    child<QLineEdit>(dialog, "eReemplazar").setText(QString::fromUtf8("\xE2\x9C\x93\xF0\x9F\x98\x80"));
    // Held, so that they are written as the characters; a reference typed stays as typed.
    EXPECT_EQ(dialog.FindText(), "a\x1F#8594;\xE1");
    EXPECT_EQ(dialog.ReplaceText(), "\x1F#10003;\x1F#128512;");
    child<QLineEdit>(dialog, "eReemplazar").setText(QStringLiteral("&#10003;"));
    EXPECT_EQ(dialog.ReplaceText(), "&#10003;");
    // Set from the editor's text, a held character shows as itself and comes back held.
    dialog.SetReplaceText("\x1F#8594; &#8594;");
    EXPECT_EQ(child<QLineEdit>(dialog, "eReemplazar").text(), QString::fromUtf8("\xE2\x86\x92 &#8594;"));
    EXPECT_EQ(dialog.ReplaceText(), "\x1F#8594; &#8594;");
}

TEST(FindDialog, AltWithALetterIsAButtonsLetterOrTypesNothing)
{
    TDialogAltKeys altKeys;
    TReplaceDialog replace(nullptr);
    TFindDialog find(nullptr);
    for (TFindDialog* dialog : std::initializer_list<TFindDialog*>{&find, &replace}) {
        // Every push button has a letter, and no letter is taken twice within the dialog.
        QStringList captions;
        for (auto* button : dialog->findChildren<QAbstractButton*>()) {
            captions << button->text();
            if (qobject_cast<QPushButton*>(button)) {
                EXPECT_FALSE(QKeySequence::mnemonic(button->text()).isEmpty()) << button->text().toStdString();
            }
        }
        for (auto* label : dialog->findChildren<QLabel*>())
            captions << label->text();
        QSet<QKeySequence> letters;
        qsizetype lettered = 0;
        for (const QString& caption : captions)
            if (const QKeySequence letter = QKeySequence::mnemonic(caption); !letter.isEmpty()) {
                letters.insert(letter);
                ++lettered;
            }
        EXPECT_EQ(letters.size(), lettered);
    }

    std::vector<TFindOptions> requests;
    replace.OnFind = [&](TFindDialog* sender) { requests.push_back(sender->Options()); };
    replace.OnReplace = [&](TReplaceDialog* sender) { requests.push_back(sender->Options()); };
    replace.Execute();
    ASSERT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == &replace; }));
    auto& field = child<QLineEdit>(replace, "eBuscar");
    type(field, "zzqq");
    // The keys reach whatever has the focus, as the keyboard's do.
    const auto altKey = [](Qt::Key key, const char* text) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::AltModifier, QString::fromLatin1(text));
            QApplication::sendEvent(QApplication::focusWidget(), &event);
        }
    };
    altKey(Qt::Key_Q, "q");
    altKey(Qt::Key_W, "w");
    altKey(Qt::Key_X, "x");
    EXPECT_EQ(field.text().toStdString(), "zzqq");
    EXPECT_TRUE(requests.empty());
    // Ctrl+Alt is AltGr on some layouts, and types.
    QKeyEvent altGr(QEvent::KeyPress, Qt::Key_Q, Qt::AltModifier | Qt::ControlModifier, QStringLiteral("@"));
    QApplication::sendEvent(&field, &altGr);
    EXPECT_EQ(field.text().toStdString(), "zzqq@");

    // A button's letter clicks it, as the button shows a click: a moment later.
    for (const auto& [key, text] : {std::pair{Qt::Key_S, "s"}, std::pair{Qt::Key_R, "r"}, std::pair{Qt::Key_T, "t"}}) {
        const size_t before = requests.size();
        altKey(key, text);
        EXPECT_TRUE(pumpUntil([&] { return requests.size() > before; })) << text;
    }
    EXPECT_EQ(field.text().toStdString(), "zzqq@");
    EXPECT_EQ(requests, (std::vector<TFindOptions>{frDown | frFindNext, frDown | frReplace, frDown | frReplaceAll}));
    // Alt+C goes to the replacement field, where Alt+Q types nothing either.
    altKey(Qt::Key_C, "c");
    EXPECT_EQ(QApplication::focusWidget(), &child<QLineEdit>(replace, "eReemplazar"));
    altKey(Qt::Key_Q, "q");
    EXPECT_EQ(child<QLineEdit>(replace, "eReemplazar").text().toStdString(), "");
    altKey(Qt::Key_A, "a");
    EXPECT_TRUE(pumpUntil([&] { return !replace.isVisible(); }));
}
