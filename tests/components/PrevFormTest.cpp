// Tests of the print preview window, driven headless: page buttons, layout and zoom, zoom clicks and panning, rulings, hints and the cursors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <cmath>

#include "components/KrCtrls.h"
#include "components/PrevForm.h"
#include "components/PrevPrinter.h"
#include "editor/CodeMemo.h"
#include "editor/PrintPreviewPages.h"
#include "platform/MessageBox.h"
#include "support/MouseEvents.h"
#include "support/RecordingPrintTarget.h"
#include "ComponentTestSupport.h"
#include "PreviewTestSupport.h"

namespace {

// A preview of `pages` pages on a Letter sheet at 96 pixels per inch, shown at a fixed size.
struct PreviewWindow {
    explicit PreviewWindow(int pages)
    {
        target.Page = TDeviceMetrics{96, 96, 816, 1056, 0, 0};
        BuildPagesOf(memo, preview, pages);
        form = std::make_unique<TPreviewForm>(preview);
        form->setWindowState(Qt::WindowNoState);
        form->resize(900, 700);
        form->show();
        QApplication::processEvents();
    }
    RecordingPrintTarget target;
    TCodeMemo memo;
    TPreviewPrinter preview;
    std::unique_ptr<TPreviewForm> form;
};

QString panel(const TPreviewForm& form, int index)
{
    return form.Panels[index]->text();
}

} // namespace

TEST(PreviewForm, TheWindowShowsTheFirstPageWithItsButtons)
{
    PreviewWindow w(5);
    TPreviewForm& form = *w.form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Previsualización del documento"));
    EXPECT_EQ(panel(form, 0), QString::fromUtf8("Página 1 de 5"));
    EXPECT_TRUE(form.NextPageBut->isEnabled());
    EXPECT_TRUE(form.LastPageSpeed->isEnabled());
    EXPECT_FALSE(form.PrevPageBut->isEnabled());
    EXPECT_FALSE(form.FirstPageSpeed->isEnabled());
    EXPECT_TRUE(form.PageNumSpeed->isHidden());
    EXPECT_TRUE(form.ZoomCursorBut->Down());
    EXPECT_TRUE(form.OnePageBut->Down());
    EXPECT_TRUE(form.FitPageBut->Down());
    EXPECT_EQ(form.ZoomBox->count(), 12);
    EXPECT_EQ(form.ZoomBox->itemText(0), QString::fromUtf8("Página completa"));
    EXPECT_EQ(form.ZoomBox->itemText(2), QStringLiteral("Personal"));
    EXPECT_EQ(form.ZoomBox->itemText(11), QStringLiteral("400%"));
    EXPECT_EQ(form.ZoomCursorBut->Hint(), "Aumentar o disminuir zoom");
    EXPECT_EQ(form.HandCursorBut->Hint(), "Mover la p\xE1gina");
    EXPECT_EQ(form.GridBut->Hint(), "Reglas");
    EXPECT_EQ(form.CloseBut->Caption(), "Cerrar");

    Click(*form.NextPageBut);
    EXPECT_EQ(form.CurrentPage(), 1);
    EXPECT_EQ(panel(form, 0), QString::fromUtf8("Página 2 de 5"));
    EXPECT_TRUE(form.PrevPageBut->isEnabled());
    EXPECT_TRUE(form.FirstPageSpeed->isEnabled());
    Click(*form.LastPageSpeed);
    EXPECT_EQ(panel(form, 0), QString::fromUtf8("Página 5 de 5"));
    EXPECT_FALSE(form.NextPageBut->isEnabled());
    EXPECT_FALSE(form.LastPageSpeed->isEnabled());
    Click(*form.PrevPageBut);
    EXPECT_EQ(form.CurrentPage(), 3);
    Click(*form.FirstPageSpeed);
    EXPECT_EQ(form.CurrentPage(), 0);

    // The hint of what is under the pointer goes to the third panel.
    QStatusTipEvent tip(QString::fromUtf8(form.GridBut->statusTip().toUtf8()));
    QCoreApplication::sendEvent(form.GridBut, &tip);
    EXPECT_EQ(panel(form, 2), QStringLiteral("Reglas"));

    // The print button prints through the printer; the close button closes.
    w.target.Answer.Copies = 1;
    Click(*form.PrintBut);
    ASSERT_EQ(w.target.Jobs.size(), 1u);
    EXPECT_EQ(w.target.Jobs[0].Pages, 5);
    // A job that fails is told with its page and the printer's words, and the window stays.
    w.target.FailOnNewPage = 1;
    std::string told;
    TMessageBoxHook previous = SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
        told = text;
        return IDOK;
    });
    Click(*form.PrintBut);
    SetMessageBoxHook(previous);
    EXPECT_EQ(told, "No se pudo imprimir la p\xE1gina 2: sin papel");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form.isVisible());
    Click(*form.CloseBut);
    EXPECT_FALSE(form.isVisible());
}

TEST(PreviewForm, PagesAreLaidOutByTheZoomEntry)
{
    PreviewWindow w(2);
    TPreviewForm& form = *w.form;
    const double ppi = form.logicalDpiY();
    const QSize client = form.ScrollBox->viewport()->size();
    // The whole page: the page's height fits the scroll box less 20 pixels.
    EXPECT_NEAR(form.Zoom(), (client.height() - 20) / (ppi * 1056 / 96), 1e-9);
    EXPECT_EQ(form.PagePanel1->height(), std::lround(ppi * form.Zoom() * 1056 / 96));
    EXPECT_EQ(form.PagePanel1->width(), std::lround(ppi * form.Zoom() * 816 / 96));
    EXPECT_EQ(form.ContainPanel->width(), client.width() - 1);
    EXPECT_EQ(form.PagePanel1->x(), (client.width() - 1 - form.PagePanel1->width() - 20) / 2 + 10);
    EXPECT_EQ(form.PagePanel1->y(), 10);
    EXPECT_EQ(panel(form, 1), QString::number(std::lround(form.Zoom() * 100)) + "%");

    // Page width.
    Click(*form.FitWidthBut);
    EXPECT_EQ(form.ZoomBox->currentIndex(), 1);
    EXPECT_TRUE(form.FitWidthBut->Down());
    EXPECT_FALSE(form.FitPageBut->Down());
    const QSize wide = form.ScrollBox->viewport()->size();
    EXPECT_NEAR(form.Zoom(), (wide.width() - 20) / (ppi * 816 / 96), 1e-9);

    // A fixed entry: 200 %, bigger than the window, so the page starts 10 pixels in.
    form.ZoomBox->setCurrentIndex(9);
    emit form.ZoomBox->activated(9);
    EXPECT_DOUBLE_EQ(form.Zoom(), 2.0);
    EXPECT_EQ(panel(form, 1), QStringLiteral("200%"));
    EXPECT_EQ(form.PagePanel1->pos(), QPoint(10, 10));
    EXPECT_EQ(form.ContainPanel->height(), form.PagePanel1->height() + 20);
    EXPECT_TRUE(form.OnePageBut->Down());

    // Two pages side by side, 20 pixels apart, back to the whole page.
    Click(*form.TwoPageBut);
    EXPECT_EQ(form.ZoomBox->currentIndex(), 0);
    EXPECT_TRUE(form.PagePanel2->isVisible());
    EXPECT_EQ(form.PagePanel2->size(), form.PagePanel1->size());
    EXPECT_EQ(form.PagePanel2->x(), form.PagePanel1->x() + form.PagePanel1->width() + 20);
    Click(*form.OnePageBut);
    EXPECT_FALSE(form.PagePanel2->isVisible());
}

TEST(PreviewForm, ZoomClicksMultiplyTheZoomWithinBounds)
{
    PreviewWindow w(1);
    TPreviewForm& form = *w.form;
    EXPECT_EQ(form.PagePanel1->cursor().shape(), Qt::BitmapCursor);
    const double start = form.Zoom();
    Click(*form.PagePanel1, QPoint(form.PagePanel1->width() / 2, form.PagePanel1->height() / 2));
    EXPECT_NEAR(form.Zoom(), start * 1.5, 1e-9);
    EXPECT_EQ(form.ZoomBox->currentText(), QStringLiteral("Personal"));
    EXPECT_FALSE(form.FitPageBut->Down());
    // The point clicked comes to the middle of the scroll box.
    const QSize view = form.ScrollBox->viewport()->size();
    EXPECT_EQ(form.ScrollBox->verticalScrollBar()->value(),
              std::min(form.ScrollBox->verticalScrollBar()->maximum(),
                       static_cast<int>(std::lround(form.PagePanel1->height() * 0.5)) - view.height() / 2));
    Click(*form.PagePanel1, QPoint(10, 10), Qt::RightButton);
    EXPECT_NEAR(form.Zoom(), start, 1e-9);
    Click(*form.PagePanel1, QPoint(10, 10), Qt::RightButton);
    EXPECT_NEAR(form.Zoom(), start * 2 / 3, 1e-9);

    // However often it is clicked, the zoom stays between 5 % and 2000 %.
    for (int i = 0; i < 30; ++i)
        Click(*form.PagePanel1, QPoint(1, 1), Qt::RightButton);
    EXPECT_DOUBLE_EQ(form.Zoom(), TPreviewForm::kMinZoom);
    EXPECT_EQ(panel(form, 1), QStringLiteral("5%"));
    for (int i = 0; i < 30; ++i)
        Click(*form.PagePanel1, QPoint(1, 1));
    EXPECT_DOUBLE_EQ(form.Zoom(), TPreviewForm::kMaxZoom);
    EXPECT_EQ(panel(form, 1), QStringLiteral("2.000%"));

    // In hand mode a drag moves the page under the pointer instead.
    Click(*form.HandCursorBut);
    EXPECT_TRUE(form.HandCursorBut->Down());
    EXPECT_FALSE(form.ZoomCursorBut->Down());
    EXPECT_EQ(form.PagePanel1->cursor().pixmap().cacheKey(), CursorOf(crHandCursor).pixmap().cacheKey());
    QScrollBar& across = *form.ScrollBox->horizontalScrollBar();
    QScrollBar& down = *form.ScrollBox->verticalScrollBar();
    across.setValue(1000);
    down.setValue(1000);
    const double zoom = form.Zoom();
    SendMouse(*form.PagePanel1, QEvent::MouseButtonPress, QPoint(400, 400));
    MoveMouse(*form.PagePanel1, QPoint(370, 350), Qt::LeftButton);
    SendMouse(*form.PagePanel1, QEvent::MouseButtonRelease, QPoint(370, 350));
    EXPECT_EQ(across.value(), 1030);
    EXPECT_EQ(down.value(), 1050);
    MoveMouse(*form.PagePanel1, QPoint(300, 300), Qt::LeftButton);
    EXPECT_EQ(across.value(), 1030); // released: no more dragging
    EXPECT_DOUBLE_EQ(form.Zoom(), zoom);
}

TEST(PreviewForm, TwoPagesOnTheLastPageLeaveTheSecondBoxEmptyAndRulingsLieAtEveryInch)
{
    PreviewWindow w(3);
    TPreviewForm& form = *w.form;
    Click(*form.TwoPageBut);
    Click(*form.NextPageBut);
    auto ink = [](const QImage& image) {
        int pixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                pixels += image.pixel(x, y) != qRgb(255, 255, 255);
        return pixels;
    };
    const QImage second = Shot(*form.PagePanel2, "preview-second.png");
    EXPECT_GT(second.width(), 100);
    EXPECT_GT(ink(second), 0); // page 3 follows page 2
    Click(*form.LastPageSpeed);
    EXPECT_EQ(ink(Shot(*form.PagePanel2, "preview-second-empty.png")), 0);

    // At 100 % an inch of the page is an inch of the screen: rulings at multiples of the pixels per inch.
    Click(*form.OnePageBut);
    form.ZoomBox->setCurrentIndex(6);
    emit form.ZoomBox->activated(6);
    const int ppi = form.logicalDpiY();
    ASSERT_EQ(form.PagePanel1->width(), std::lround(ppi * 816 / 96.0));
    const QRgb silver = qRgb(0xC0, 0xC0, 0xC0);
    QImage plain = Shot(*form.PagePanel1, "preview-plain.png");
    EXPECT_NE(plain.pixel(3 * ppi, plain.height() - 20), silver);
    Click(*form.GridBut);
    EXPECT_TRUE(form.GridBut->Down());
    QImage ruled = Shot(*form.PagePanel1, "preview-rulings.png");
    const int bottom = ruled.height() - 20; // in the margin, where no text is
    for (int inch = 1; inch * ppi < ruled.width(); ++inch)
        EXPECT_EQ(ruled.pixel(inch * ppi, bottom), silver) << inch;
    for (int inch = 1; inch * ppi + ppi / 2 < ruled.width(); ++inch)
        EXPECT_EQ(ruled.pixel(inch * ppi + ppi / 2, bottom), qRgb(255, 255, 255)) << inch;
    for (int inch = 1; inch * ppi < ruled.height(); ++inch)
        EXPECT_EQ(ruled.pixel(ruled.width() - 20, inch * ppi), silver) << inch;
    Click(*form.GridBut);
    EXPECT_FALSE(form.GridBut->Down());
}

TEST(PreviewForm, PreviewShowsTheComponentsFirstStateModally)
{
    RecordingPrintTarget target;
    TCodeMemo memo;
    TPreviewPrinter preview;
    BuildPagesOf(memo, preview, 2);
    struct Seen {
        bool Shown = false, Grid = false, Two = false, Maximised = false;
        int Entry = -1;
        double Zoom = 0;
    };
    auto look = [](Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            auto* form = dynamic_cast<TPreviewForm*>(QApplication::activeModalWidget());
            if (!form)
                return;
            seen = {true, form->GridBut->Down(), form->TwoPageBut->Down(), (form->windowState() & Qt::WindowMaximized) != 0,
                    form->ZoomBox->currentIndex(), form->Zoom()};
            form->close();
        });
    };
    Seen first;
    look(first);
    preview.Preview();
    EXPECT_TRUE(first.Shown);
    EXPECT_TRUE(first.Maximised);
    EXPECT_FALSE(first.Grid);
    EXPECT_FALSE(first.Two);
    EXPECT_EQ(first.Entry, 0);

    preview.ShowGrid = true;
    preview.ZoomOption = zoTwoPages;
    Seen two;
    look(two);
    preview.Preview();
    EXPECT_TRUE(two.Grid);
    EXPECT_TRUE(two.Two);
    EXPECT_EQ(two.Entry, 0);

    preview.ZoomOption = zoCustom;
    preview.ZoomVal = 60;
    Seen custom;
    look(custom);
    preview.Preview();
    EXPECT_EQ(custom.Entry, 2);
    EXPECT_NEAR(custom.Zoom, 0.6, 1e-9);
}
