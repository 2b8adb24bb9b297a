// The key assignment wizard driven with key events: capture boxes, steps, buttons, captions and results.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "editor/dialogs/SYM_KDlg.h"
#include "platform/FormSpec.h"
#include "platform/Keys.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

void press(QWidget* w, int vk, TShiftState shift = 0)
{
    const std::unique_ptr<QKeyEvent> event = MakeKeyEvent(vk, shift);
    ASSERT_NE(event, nullptr);
    QApplication::sendEvent(w, event.get());
}

struct Outcome {
    bool finished = false;
    TShortCut key1 = 0;
    TShortCut key2 = 0;
};

// Runs Execute with `script` driving the shown dialog; a dialog still open afterwards is cancelled.
Outcome run(TKeyAssignDialog& dialog, uint8_t mode, const std::function<void()>& script, TShortCut key1 = 0,
            TShortCut key2 = 0)
{
    QTimer::singleShot(0, &dialog, [&] {
        script();
        if (dialog.isVisible())
            dialog.CancelButton()->click();
    });
    Outcome out{false, key1, key2};
    out.finished = dialog.Execute(out.key1, out.key2, LoadResString(4187), LoadResString(4333), LoadResString(4334), mode);
    return out;
}

QString caption(uint8_t mode)
{
    TKeyAssignDialog dialog;
    QString title;
    run(dialog, mode, [&] { title = dialog.windowTitle(); });
    return title;
}

std::string shotPath(const char* name)
{
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    return QDir(out ? out : QDir::tempPath()).filePath(name).toStdString();
}

} // namespace

TEST(HotKeyBox, EveryKeyBecomesTheShortcut)
{
    TSM_HotKey box;
    EXPECT_TRUE(box.isReadOnly());
    EXPECT_FALSE(box.ShowsKey());
    press(&box, 'K', ssCtrl);
    EXPECT_EQ(box.HotKey(), 0x404B);
    EXPECT_EQ(box.text(), QStringLiteral("Ctrl+K"));
    press(&box, VK_F3, ssShift | ssCtrl);
    EXPECT_EQ(box.HotKey(), 0x6072);
    EXPECT_EQ(box.text(), QStringLiteral("Shift+Ctrl+F3"));
    for (int vk : {VK_TAB, VK_RETURN, VK_ESCAPE, VK_LEFT, VK_DOWN, VK_SPACE}) {
        press(&box, vk);
        EXPECT_EQ(box.HotKey(), vk);
        EXPECT_EQ(box.text(), FromWin1252(ShortCutToText(static_cast<TShortCut>(vk))));
    }
    // A modifier alone counts as held while it goes down.
    press(&box, VK_CONTROL, ssCtrl);
    EXPECT_EQ(box.HotKey(), 0x4000 | VK_CONTROL);
    box.SetHotKey(0);
    EXPECT_TRUE(box.text().isEmpty());
    EXPECT_FALSE(box.ShowsKey());
}

TEST(KeyAssignDialog, AddModeFinishesWithOneKey)
{
    TKeyAssignDialog dialog;
    bool ran = false;
    const Outcome out = run(dialog, TKeyAssignDialog::kmAdd, [&] {
        ran = true;
        EXPECT_EQ(dialog.Step(), 1);
        EXPECT_TRUE(dialog.HotKey1()->text().isEmpty());
        EXPECT_TRUE(dialog.HotKey2()->text().isEmpty());
        EXPECT_FALSE(dialog.NextButton()->isEnabled());
        EXPECT_FALSE(dialog.BackButton()->isEnabled());
        EXPECT_FALSE(dialog.ClearKey1Button()->isEnabled());
        EXPECT_FALSE(dialog.ClearKey2Button()->isEnabled());
        EXPECT_EQ(dialog.NextButton()->text(), QStringLiteral("Siguiente >"));
        EXPECT_EQ(dialog.BackButton()->text(), QString::fromUtf8("< Atrás"));
        EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Cancelar"));
        EXPECT_TRUE(dialog.Step1Panel()->isVisible());
        EXPECT_FALSE(dialog.Step2Panel()->isVisible());

        press(dialog.HotKey1(), 'K', ssCtrl);
        EXPECT_EQ(dialog.HotKey1()->text(), QStringLiteral("Ctrl+K"));
        EXPECT_TRUE(dialog.NextButton()->isEnabled());
        EXPECT_TRUE(dialog.ClearKey1Button()->isEnabled());

        dialog.NextButton()->click();
        EXPECT_EQ(dialog.Step(), 2);
        EXPECT_TRUE(dialog.Step2Panel()->isVisible());
        EXPECT_FALSE(dialog.Step1Panel()->isVisible());
        EXPECT_EQ(dialog.NextButton()->text(), QStringLiteral("Finalizar"));
        EXPECT_TRUE(dialog.NextButton()->isEnabled());
        EXPECT_TRUE(dialog.BackButton()->isEnabled());
        if (QApplication::focusWidget()) {
            EXPECT_EQ(QApplication::focusWidget(), dialog.HotKey2());
        }
        dialog.NextButton()->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(out.key1, 0x404B);
    EXPECT_EQ(out.key2, 0);
}

TEST(KeyAssignDialog, TabAndEnterAreRecordedNotObeyed)
{
    TKeyAssignDialog dialog;
    const Outcome out = run(dialog, TKeyAssignDialog::kmAdd, [&] {
        QWidget* focus = QApplication::focusWidget();
        press(dialog.HotKey1(), VK_TAB);
        EXPECT_EQ(dialog.HotKey1()->HotKey(), 0x0009);
        EXPECT_EQ(QApplication::focusWidget(), focus);
        press(dialog.HotKey1(), VK_RETURN);
        EXPECT_EQ(dialog.HotKey1()->HotKey(), 0x000D);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Step(), 1);
        press(dialog.HotKey1(), VK_ESCAPE);
        EXPECT_EQ(dialog.HotKey1()->HotKey(), 0x001B);
        EXPECT_TRUE(dialog.isVisible());

        dialog.NextButton()->click();
        press(dialog.HotKey2(), VK_RETURN);
        EXPECT_EQ(dialog.HotKey2()->HotKey(), 0x000D);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Step(), 2);
        EXPECT_TRUE(dialog.ClearKey2Button()->isEnabled());
        press(dialog.HotKey2(), VK_TAB, ssShift);
        EXPECT_EQ(dialog.HotKey2()->HotKey(), 0x2009);
        dialog.NextButton()->click();
    });
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(out.key1, 0x001B);
    EXPECT_EQ(out.key2, 0x2009);
}

TEST(KeyAssignDialog, ShortcutsOfTheWindowDoNotTakeTheKey)
{
    TKeyAssignDialog dialog;
    int triggered = 0;
    auto* action = new QAction(&dialog);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    dialog.addAction(action);
    run(dialog, TKeyAssignDialog::kmAdd, [&] {
        press(dialog.HotKey1(), 'K', ssCtrl);
        EXPECT_EQ(dialog.HotKey1()->HotKey(), 0x404B);
    });
    EXPECT_EQ(triggered, 0);
}

TEST(KeyAssignDialog, ClearingTheFirstKeyDisablesFinish)
{
    TKeyAssignDialog dialog;
    const Outcome out = run(dialog, TKeyAssignDialog::kmAdd, [&] {
        press(dialog.HotKey1(), 'K', ssCtrl);
        dialog.NextButton()->click();
        press(dialog.HotKey2(), 'B');
        dialog.HotKey1()->SetHotKey(0);
        EXPECT_FALSE(dialog.NextButton()->isEnabled());
        EXPECT_EQ(dialog.NextButton()->text(), QStringLiteral("Finalizar"));
        dialog.BackButton()->click();
        EXPECT_EQ(dialog.Step(), 1);
        EXPECT_FALSE(dialog.NextButton()->isEnabled());
        EXPECT_FALSE(dialog.BackButton()->isEnabled());
        EXPECT_EQ(dialog.NextButton()->text(), QStringLiteral("Siguiente >"));
        press(dialog.HotKey1(), VK_F5);
        EXPECT_TRUE(dialog.NextButton()->isEnabled());
        dialog.NextButton()->click();
        // The Clear button of step 2 empties the second box.
        dialog.ClearKey2Button()->click();
        EXPECT_TRUE(dialog.HotKey2()->text().isEmpty());
        EXPECT_FALSE(dialog.ClearKey2Button()->isEnabled());
        dialog.NextButton()->click();
    });
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(out.key1, VK_F5);
    EXPECT_EQ(out.key2, 0);
}

TEST(KeyAssignDialog, EditModeShowsThePairAndCancelGivesFalse)
{
    TKeyAssignDialog dialog;
    Outcome out = run(
        dialog, TKeyAssignDialog::kmEdit,
        [&] {
            EXPECT_EQ(dialog.HotKey1()->text(), QStringLiteral("Ctrl+K"));
            EXPECT_EQ(dialog.HotKey2()->text(), QStringLiteral("B"));
            EXPECT_TRUE(dialog.NextButton()->isEnabled());
            EXPECT_TRUE(dialog.ClearKey2Button()->isEnabled());
            dialog.CancelButton()->click();
        },
        0x404B, 0x0042);
    EXPECT_FALSE(out.finished);
    EXPECT_EQ(out.key1, 0x404B);
    EXPECT_EQ(out.key2, 0x0042);

    // From step 2 too, after the keys changed: the result is false and the boxes' keys come back.
    TKeyAssignDialog second;
    out = run(
        second, TKeyAssignDialog::kmEdit,
        [&] {
            second.NextButton()->click();
            EXPECT_EQ(second.Step(), 2);
            press(second.HotKey2(), 'C');
            second.CancelButton()->click();
        },
        0x404B, 0x0042);
    EXPECT_FALSE(out.finished);
    EXPECT_EQ(out.key2, 0x0043);

    // An add-mode dialog ignores the pair handed in.
    TKeyAssignDialog add;
    out = run(add, TKeyAssignDialog::kmAdd, [&] { EXPECT_TRUE(add.HotKey1()->text().isEmpty()); }, 0x404B, 0x0042);
    EXPECT_FALSE(out.finished);
    EXPECT_EQ(out.key1, 0);
    EXPECT_EQ(out.key2, 0);
}

TEST(KeyAssignDialog, CaptionsByMode)
{
    EXPECT_EQ(caption(TKeyAssignDialog::kmAdd), QString::fromUtf8("Nueva combinación de teclas para: Deshacer"));
    EXPECT_EQ(caption(TKeyAssignDialog::kmEdit), QString::fromUtf8("Editar combinación de teclas para: Deshacer"));
    EXPECT_EQ(caption(5), QString::fromUtf8("combinación de teclas para: Deshacer"));
}

TEST(KeyAssignDialog, LayoutFollowsTheInfoTexts)
{
    TKeyAssignDialog dialog;
    run(dialog, TKeyAssignDialog::kmAdd, [&] {
        QLabel* info1 = dialog.Step1InfoLabel();
        QLabel* info2 = dialog.Step2InfoLabel();
        EXPECT_EQ(info1->width(), 225);
        EXPECT_EQ(info2->width(), 225);
        EXPECT_GT(info1->height(), info1->fontMetrics().height()); // the text wraps
        // As wide as the texts need, or the caption when that is wider.
        EXPECT_EQ(dialog.width(), std::max(225 + info2->x() + 15 + dialog.HotKey1()->width() + 25, CaptionWidth(dialog)));
        EXPECT_EQ(dialog.HotKey1()->pos(), QPoint(info1->x() + 225 + 15, info1->y()));
        const QRect box = dialog.HotKey1()->geometry(), clear = dialog.ClearKey1Button()->geometry();
        EXPECT_EQ(clear.size(), QSize(49, 17));
        EXPECT_EQ(clear.top(), box.bottom() + 1 + 6);
        EXPECT_EQ(clear.right(), box.right());
        // The buttons are right-aligned 8 pixels apart.
        const QRect cancel = dialog.CancelButton()->geometry(), next = dialog.NextButton()->geometry(),
                    back = dialog.BackButton()->geometry();
        EXPECT_EQ(cancel.right(), dialog.width() - 8 - 1);
        EXPECT_EQ(next.right(), cancel.left() - 8 - 1);
        EXPECT_EQ(back.right(), next.left() - 8 - 1);
        EXPECT_EQ(dialog.CancelButton()->mapTo(&dialog, QPoint(0, 0)).y(), dialog.height() - 40 + (40 - 25) / 2);
        EXPECT_GE(dialog.height() - 40, info1->y() + info1->height());
        EXPECT_GE(dialog.height() - 40, clear.bottom());
    });
}

TEST(KeyAssignDialog, ScreenshotOfStepTwo)
{
    TKeyAssignDialog dialog;
    QImage shot;
    run(dialog, TKeyAssignDialog::kmAdd, [&] {
        press(dialog.HotKey1(), 'K', ssCtrl);
        dialog.NextButton()->click();
        press(dialog.HotKey2(), 'B');
        QApplication::processEvents();
        shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    });
    ASSERT_FALSE(shot.isNull());
    shot.save(QString::fromStdString(shotPath("keydialog-step2.png")), "PNG");
    // The second box shows its key: dark ink inside it on a light ground.
    const QRect box = dialog.HotKey2()->geometry().translated(dialog.HotKey2()->parentWidget()->mapTo(&dialog, QPoint(0, 0)));
    int ink = 0;
    for (int y = box.top() + 3; y < box.bottom() - 2; ++y)
        for (int x = box.left() + 3; x < box.left() + 30; ++x)
            ink += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(ink, 5);
}
