// An exception that leaves an editing or printing operation leaves the control usable: redraw on,
// updates balanced, the undo log consistent, change notifications firing.
#include <QPainter>
#include <QPrinter>
#include <gtest/gtest.h>
#include <functional>
#include <string>

#include "CodeMemoTestSupport.h"
#include "support/TempDir.h"
#include "editor/Painter.h"
#include "editor/model/Undo.h"
#include "platform/core/ScopeGuard.h"

namespace {

struct FailingOperation {
    const char* Name;
    std::string Text;
    int SelStart, SelEnd;
    // Change notifications to let through before the handler throws.
    int Allowed;
    std::function<void(TCodeMemo&)> Run;
};

} // namespace

TEST(EditGuards, AFailingChangeHandlerLeavesTheControlUsable)
{
    const std::string big(20000, 'x');
    const FailingOperation operations[] = {
        {"indent", "a\rb\rc", 0, 5, 1, [](TCodeMemo& m) { m.Perform(SMM_INDENT, 2, 0); }},
        {"unindent", "  a\r  b\r  c", 0, 11, 1, [](TCodeMemo& m) { m.Perform(SMM_UNINDENT, 2, 0); }},
        {"clear", "one\rtwo", 0, 0, 0, [](TCodeMemo& m) { m.Clear(); }},
        // A long paste goes in chunk by chunk, one notification each.
        {"paste", "ab", 1, 1, 1, [&big](TCodeMemo& m) { Insert(m, big.c_str()); }},
    };
    for (const FailingOperation& op : operations) {
        SCOPED_TRACE(op.Name);
        TCodeMemo memo;
        SetText(memo, op.Text);
        Select(memo, op.SelStart, op.SelEnd);
        int calls = 0;
        memo.OnTextChange = [&](TCodeMemoCore*, int, int) {
            if (calls++ == op.Allowed)
                throw Exception("handler failed");
        };
        EXPECT_THROW(op.Run(memo), Exception);
        EXPECT_TRUE(memo.RedrawOn());
        memo.OnTextChange = nullptr;

        // Later edits notify, and undo walks back without a fault.
        int changes = 0;
        memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
        Select(memo, 0, 0);
        Insert(memo, "z");
        EXPECT_GE(changes, 1);
        EXPECT_EQ(memo.StoredText().substr(0, 1), "z");
        try {
            Ask(memo, EM_UNDO);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "first undo failed: " << e.what();
        }
        EXPECT_NE(memo.StoredText().substr(0, 1), "z");
        try {
            while (Ask(memo, EM_CANUNDO))
                Ask(memo, EM_UNDO);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "undo failed: " << e.what();
        }
        EXPECT_TRUE(memo.RedrawOn());
    }
}

TEST(EditGuards, APainterThatThrowsWhilePrintingLeavesTheScreenPainting)
{
    TempDir dir("kestrima-guards");
    QPrinter& printer = Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir.path / "out.pdf").string()));

    TCodeMemo memo;
    memo.resize(300, 100);
    SetText(memo, "one\rtwo\rthree");
    const int charWidth = memo.CharWidth();
    memo.OnDrawLine = [](TCustomCodeMemo*, TLineDrawData*) -> int { throw Exception("painter failed"); };
    EXPECT_THROW(memo.Print(), Exception);
    QImage page(400, 400, QImage::Format_RGB32);
    QPainter painter(&page);
    const TRect area{0, 0, 400, 400};
    EXPECT_THROW(memo.PrintPage(&painter, &area, 1), Exception);
    memo.OnDrawLine = nullptr;

    EXPECT_FALSE(memo.Printing());
    EXPECT_EQ(memo.ActiveSettings().PrintFonts, 0);
    EXPECT_EQ(memo.CharWidth(), charWidth);
    EXPECT_TRUE(memo.RedrawOn());
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    Insert(memo, "x");
    EXPECT_GE(changes, 1);
}

TEST(ScopeGuard, EndsOnceAndKeepsTheFirstException)
{
    int ended = 0;
    {
        TScopeGuard guard([&] { ++ended; });
        guard.End();
        guard.End();
    }
    EXPECT_EQ(ended, 1);

    // Moved and late-assigned guards end once, with the scope that holds them.
    {
        TScopeGuard later;
        EXPECT_FALSE(later.Active());
        later = TScopeGuard([&] { ++ended; });
        TScopeGuard moved(std::move(later));
        EXPECT_FALSE(later.Active());
    }
    EXPECT_EQ(ended, 2);

    // An end that throws while another exception leaves is dropped; on a normal exit it propagates.
    try {
        TScopeGuard guard([] { throw std::runtime_error("end"); });
        throw std::logic_error("first");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "first");
    }
    EXPECT_THROW(({ TScopeGuard guard([] { throw std::runtime_error("end"); }); }), std::runtime_error);
}
