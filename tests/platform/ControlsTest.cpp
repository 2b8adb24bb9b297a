// A parent's broadcast reaches the children that take messages, in order, until one answers.
#include <gtest/gtest.h>

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
