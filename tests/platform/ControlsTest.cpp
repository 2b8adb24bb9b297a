// A parent's broadcast reaches the children that take messages, in order, until one answers; the edit messages reach Qt's own edits.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QWidget>
#include <vector>

#include "platform/Controls.h"

namespace {

struct TListener : QWidget, TMessageTarget {
    TListener(QWidget* parent, std::vector<int>& log, int id, LRESULT answer)
        : QWidget(parent), FLog(log), FId(id), FAnswer(answer)
    {
    }
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM) override
    {
        EXPECT_EQ(msg, 0xB051u);
        EXPECT_EQ(wParam, 7);
        FLog.push_back(FId);
        return FAnswer;
    }
    std::vector<int>& FLog;
    int FId;
    LRESULT FAnswer;
};

} // namespace

TEST(Controls, BroadcastStopsAtTheFirstAnswer)
{
    QWidget parent;
    std::vector<int> log;
    new TListener(&parent, log, 1, 0);
    new QWidget(&parent); // takes no messages
    new TListener(&parent, log, 2, 5);
    new TListener(&parent, log, 3, 0);
    new TListener(new QWidget(&parent), log, 4, 0); // a grandchild hears nothing
    TMessage message{0xB051, 7, 0, 0};
    Broadcast(&parent, message);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    EXPECT_EQ(message.Result, 5);
    Broadcast(nullptr, message);
    EXPECT_EQ(log.size(), 2u);
}

TEST(Controls, EditMessagesMapToTheCommandsOfQtEdits)
{
    QLineEdit line("uno");
    EXPECT_EQ(PerformEditMessage(&line, EM_SETSEL, 0, -1), 1);
    EXPECT_EQ(line.selectedText(), "uno");
    EXPECT_EQ(PerformEditMessage(&line, WM_COPY, 0, 0), 1);
    EXPECT_EQ(PerformEditMessage(&line, WM_CUT, 0, 0), 1);
    EXPECT_EQ(line.text(), "");
    EXPECT_EQ(PerformEditMessage(&line, EM_UNDO, 0, 0), 1);
    EXPECT_EQ(line.text(), "uno");
    // Only "select all" of EM_SETSEL, and only the five commands, are mapped.
    EXPECT_EQ(PerformEditMessage(&line, EM_SETSEL, 1, 2), 0);
    EXPECT_EQ(PerformEditMessage(&line, WM_CLEAR, 0, 0), 0);

    QPlainTextEdit plain;
    plain.setPlainText("dos");
    PerformEditMessage(&plain, EM_SETSEL, 0, -1);
    PerformEditMessage(&plain, WM_COPY, 0, 0);
    plain.clear();
    PerformEditMessage(&plain, WM_PASTE, 0, 0);
    PerformEditMessage(&plain, WM_PASTE, 0, 0);
    EXPECT_EQ(plain.toPlainText(), "dosdos");
    QTextEdit rich;
    rich.setPlainText("tres");
    PerformEditMessage(&rich, EM_SETSEL, 0, -1);
    PerformEditMessage(&rich, WM_CUT, 0, 0);
    EXPECT_EQ(rich.toPlainText(), "");

    QComboBox combo;
    combo.setEditable(true);
    combo.setEditText("cuatro");
    PerformEditMessage(&combo, EM_SETSEL, 0, -1);
    EXPECT_EQ(combo.lineEdit()->selectedText(), "cuatro");
    QSpinBox spin;
    spin.setValue(42);
    EXPECT_EQ(PerformEditMessage(&spin, EM_SETSEL, 0, -1), 1);

    // A control that takes messages gets the message itself; no control, or another kind: nothing.
    std::vector<int> log;
    QWidget parent;
    TListener listener(&parent, log, 3, 9);
    EXPECT_EQ(PerformEditMessage(&listener, 0xB051u, 7, 0), 9);
    EXPECT_EQ(log, std::vector<int>{3});
    EXPECT_EQ(PerformEditMessage(nullptr, WM_COPY, 0, 0), 0);
    EXPECT_EQ(PerformEditMessage(&parent, WM_COPY, 0, 0), 0);
}
