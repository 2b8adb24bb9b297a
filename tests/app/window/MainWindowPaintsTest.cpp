// The main window's editor on a large page: one paint per page-down and per keystroke.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <string>

#include "platform/Keys.h"
#include "support/MainWindowDocuments.h"

namespace {

std::string largePage(int rows)
{
    std::string page = "<html><head><title>Prueba</title></head><body>\r\n";
    for (int i = 0; i < rows; ++i)
        page += "<tr><td class=\"c" + std::to_string(i % 7) + "\">celda " + std::to_string(i) + "</td></tr>\r\n";
    return page + "</body></html>\r\n";
}

void press(QWidget& target, int vk)
{
    for (bool down : {true, false}) {
        auto event = MakeKeyEvent(vk, 0, down);
        ASSERT_TRUE(event);
        QApplication::sendEvent(&target, event.get());
    }
}

// The back-buffer fills of one key, with the events it posts handled.
int64_t paintsOfKey(TCodeMemo& memo, int vk)
{
    QApplication::processEvents();
    const int64_t before = memo.PaintsDone();
    press(memo, vk);
    QApplication::processEvents();
    return memo.PaintsDone() - before;
}

} // namespace

TEST(MainWindowPaints, OnePaintPerPageDownAndPerKeystrokeInAnOpenPage)
{
    TWindow w;
    const std::string path = w.folder.file("grande.htm", largePage(5000));
    w.form.AbreArchivo(path, false, ekHTML);
    w.memo.setFocus();
    QApplication::processEvents();
    ASSERT_GT(w.memo.LinesPerWindow(), 2);
    for (int page = 0; page < 30; ++page)
        EXPECT_EQ(paintsOfKey(w.memo, VK_NEXT), 1) << "page " << page;
    for (int vk : {int{'X'}, int{'Y'}, int{VK_RETURN}, int{VK_BACK}, int{VK_DOWN}, int{VK_PRIOR}})
        EXPECT_EQ(paintsOfKey(w.memo, vk), 1) << "key " << vk;
}
