// The print preview window: tool bar with glyphs drawn in code, page layout and zoom, rulings, zoom clicks and hand panning, and the two cursors.
#include "components/PrevForm.h"

#include <QBitmap>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "components/KrCtrls.h"
#include "components/PrevPrinter.h"
#include "platform/HandlerCall.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kCaption = 65340;
constexpr int kPrintHint = 65341;
constexpr int kFirstPageHint = 65342; // then previous, next and last page
constexpr int kZoomEntries = 65346;
constexpr int kFitPageHint = 65347;
constexpr int kFitWidthHint = 65348;
constexpr int kGridHint = 65349;
constexpr int kZoomCursorHint = 65350;
constexpr int kHandCursorHint = 65351;
constexpr int kOnePageHint = 65352;
constexpr int kTwoPageHint = 65353;
constexpr int kCloseHint = 65354;
constexpr int kPageNumHint = 65355;
constexpr int kPageOfPages = 65356;
constexpr int kZoomHint = 65357;

constexpr int kCustomEntry = 2;
// Zoom of the list's fixed entries, from entry 3.
constexpr double kFixedZooms[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr int kGap = 10; // around and between the pages, twice this in all


// The zoom as a whole percentage with thousands separated, "2.000%".
QString zoomText(double zoom)
{
    const QString digits = QString::number(std::lround(zoom * 100));
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char('.');
        grouped += digits[i];
    }
    return grouped + QLatin1Char('%');
}

// ---------------------------------------------------------------- glyphs

enum class TGlyph { Print, First, Prev, Next, Last, PageNum, FitPage, FitWidth, Grid, Zoom, Hand, OnePage, TwoPages };

void drawSheet(QPainter& p, int x, int y, int w, int h)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(x, y, w - 1, h - 1);
    p.setPen(QColor(128, 128, 128));
    for (int line = y + 3; line < y + h - 2; line += 2)
        p.drawLine(x + 2, line, x + w - 3, line);
}

void drawTriangle(QPainter& p, int tipX, int direction)
{
    QPolygon shape;
    shape << QPoint(tipX, 8) << QPoint(tipX - 5 * direction, 3) << QPoint(tipX - 5 * direction, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(shape);
}

void drawMagnifier(QPainter& p, int x, int y, int size)
{
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(224, 240, 255));
    p.drawEllipse(x, y, size, size);
    p.drawLine(x + size, y + size, x + size + size / 2, y + size + size / 2);
}

void drawHand(QPainter& p, double scale)
{
    p.save();
    p.scale(scale, scale);
    QPainterPath hand;
    hand.addRoundedRect(3, 7, 10, 8, 2, 2);
    for (int finger = 0; finger < 4; ++finger)
        hand.addRoundedRect(3 + finger * 2.5, 2 + (finger % 3 == 0 ? 1 : 0), 2.5, 7, 1, 1);
    hand.addRoundedRect(0.5, 8, 3.5, 2.5, 1, 1);
    p.setPen(QPen(Qt::black, 1.0 / scale * 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    p.restore();
}

// A 16-pixel picture on fuchsia, the colour the button leaves transparent.
QImage glyph(TGlyph kind)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    switch (kind) {
    case TGlyph::Print:
        drawSheet(p, 4, 0, 8, 8);
        p.setPen(Qt::black);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(0, 7, 15, 6);
        p.fillRect(12, 9, 2, 1, Qt::green);
        break;
    case TGlyph::First:
        p.fillRect(3, 3, 2, 11, Qt::black);
        drawTriangle(p, 5, -1);
        drawTriangle(p, 10, -1);
        break;
    case TGlyph::Prev: drawTriangle(p, 6, -1); break;
    case TGlyph::Next: drawTriangle(p, 10, 1); break;
    case TGlyph::Last:
        drawTriangle(p, 6, 1);
        drawTriangle(p, 11, 1);
        p.fillRect(11, 3, 2, 11, Qt::black);
        break;
    case TGlyph::PageNum:
        drawSheet(p, 3, 1, 10, 14);
        p.setPen(Qt::black);
        p.drawText(QRect(3, 1, 10, 14), Qt::AlignCenter, QStringLiteral("#"));
        break;
    case TGlyph::FitPage: drawSheet(p, 4, 1, 9, 14); break;
    case TGlyph::FitWidth:
        drawSheet(p, 2, 1, 12, 14);
        p.setPen(Qt::blue);
        p.drawLine(2, 8, 13, 8);
        p.drawLine(2, 8, 4, 6);
        p.drawLine(2, 8, 4, 10);
        p.drawLine(13, 8, 11, 6);
        p.drawLine(13, 8, 11, 10);
        break;
    case TGlyph::Grid:
        p.fillRect(1, 1, 14, 14, Qt::white);
        p.setPen(QColor(160, 160, 160));
        for (int at = 1; at <= 15; at += 7) {
            p.drawLine(at, 1, at, 15);
            p.drawLine(1, at, 15, at);
        }
        break;
    case TGlyph::Zoom: drawMagnifier(p, 1, 1, 9); break;
    case TGlyph::Hand: drawHand(p, 1.0); break;
    case TGlyph::OnePage: drawSheet(p, 4, 1, 9, 14); break;
    case TGlyph::TwoPages:
        drawSheet(p, 0, 2, 8, 12);
        drawSheet(p, 8, 2, 8, 12);
        break;
    }
    return image;
}

// ---------------------------------------------------------------- cursors

// A 32-pixel cursor from a picture drawn in black and white on a transparent ground.
QCursor cursorFrom(const std::function<void(QPainter&)>& draw, int hotX, int hotY)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    p.end();
    return QCursor(picture, hotX, hotY);
}

QCursor drawZoomCursor()
{
    return cursorFrom([](QPainter& p) {
        drawMagnifier(p, 1, 1, 14);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(5, 8, 11, 8);
        p.drawLine(8, 5, 8, 11);
    }, 8, 8);
}

QCursor drawHandCursor()
{
    return cursorFrom([](QPainter& p) { drawHand(p, 1.5); }, 11, 8);
}

TKrSpeedButton* makeButton(QWidget* bar, const char* name, TGlyph kind, int hint)
{
    auto* button = new TKrSpeedButton(bar);
    button->setObjectName(name);
    button->SetFlat(true);
    button->SetGlyph(glyph(kind));
    button->SetHint(LoadResString(hint));
    button->setStatusTip(LoadResQString(hint));
    button->setFixedSize(25, 25);
    button->Loaded();
    bar->layout()->addWidget(button);
    return button;
}

} // namespace

void RegisterPreviewCursors()
{
    RegisterCursor(crZoomCursor, &drawZoomCursor);
    RegisterCursor(crHandCursor, &drawHandCursor);
}

// ---------------------------------------------------------------- page boxes

TPageBox::TPageBox(TPreviewForm& form, int offset, QWidget* parent) : QWidget(parent), FForm(form), FOffset(offset)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPageBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const TPreviewPrinter& printer = FForm.Printer();
    const int index = FForm.CurrentPage() + FOffset;
    if (index < 0 || index >= printer.PageCount())
        return;
    const TPagePicture& page = printer.GetPage(index);
    const TDeviceMetrics& metrics = page.Metrics();
    // The page's device size onto the box's size, each direction on its own.
    p.scale(static_cast<double>(width()) / metrics.PageWidth, static_cast<double>(height()) / metrics.PageHeight);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawPicture(0, 0, page);
    if (!FForm.GridBut->Down())
        return;
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen silver(QColor(0xC0, 0xC0, 0xC0));
    silver.setCosmetic(true);
    p.setPen(silver);
    for (int x = 0; x < metrics.PageWidth; x += metrics.PixelsPerInchX)
        p.drawLine(x, 0, x, metrics.PageHeight);
    for (int y = 0; y < metrics.PageHeight; y += metrics.PixelsPerInchY)
        p.drawLine(0, y, metrics.PageWidth, y);
}

void TPageBox::mousePressEvent(QMouseEvent* event)
{
    if (FOffset == 0)
        CallHandler(&FForm, [&] { FForm.boxPressed(event); });
}

void TPageBox::mouseMoveEvent(QMouseEvent* event)
{
    if (FOffset == 0)
        CallHandler(&FForm, [&] { FForm.boxMoved(event); });
}

void TPageBox::mouseReleaseEvent(QMouseEvent*)
{
    FForm.FDragging = false;
}

// ---------------------------------------------------------------- the window

TPreviewForm::TPreviewForm(TPreviewPrinter& printer, QWidget* parent) : QDialog(parent), FPrinter(printer)
{
    setObjectName("PreviewForm");
    setWindowTitle(LoadResQString(kCaption));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    RegisterPreviewCursors();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QWidget(this);
    bar->setObjectName("ToolBar");
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(2, 2, 2, 2);
    barLayout->setSpacing(1);
    buildToolBar(bar);
    layout->addWidget(bar);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setBackgroundRole(QPalette::Dark);
    ContainPanel = new QWidget;
    ContainPanel->setObjectName("ContainPanel");
    PagePanel1 = new TPageBox(*this, 0, ContainPanel);
    PagePanel1->setObjectName("PagePanel1");
    PagePanel2 = new TPageBox(*this, 1, ContainPanel);
    PagePanel2->setObjectName("PagePanel2");
    PagePanel2->hide();
    ScrollBox->setWidget(ContainPanel);
    layout->addWidget(ScrollBox, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(StatusBar);
        Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        Panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2) {
            Panels[i]->setFixedWidth(120);
            Panels[i]->setAlignment(Qt::AlignCenter);
        }
        StatusBar->addWidget(Panels[i], i == 2 ? 1 : 0);
    }
    layout->addWidget(StatusBar);

    ZoomBox->setCurrentIndex(0);
    ZoomCursorBut->SetDown(true);
    setPageCursor();
    // The size it has when the user brings it back from maximised.
    resize(800, 600);
    setWindowState(Qt::WindowMaximized);
}

void TPreviewForm::buildToolBar(QWidget* bar)
{
    PrintBut = makeButton(bar, "PrintBut", TGlyph::Print, kPrintHint);
    // A failing job is told here, inside the window's own event loop.
    PrintBut->OnClick = [this](TKrSpeedButton*) { CallHandler(this, [this] { FPrinter.Print(this); }); };
    FirstPageSpeed = makeButton(bar, "FirstPageSpeed", TGlyph::First, kFirstPageHint);
    FirstPageSpeed->OnClick = [this](TKrSpeedButton*) { ShowPage(0); };
    PrevPageBut = makeButton(bar, "PrevPageBut", TGlyph::Prev, kFirstPageHint + 1);
    PrevPageBut->OnClick = [this](TKrSpeedButton*) { ShowPage(FCurrentPage - 1); };
    NextPageBut = makeButton(bar, "NextPageBut", TGlyph::Next, kFirstPageHint + 2);
    NextPageBut->OnClick = [this](TKrSpeedButton*) { ShowPage(FCurrentPage + 1); };
    LastPageSpeed = makeButton(bar, "LastPageSpeed", TGlyph::Last, kFirstPageHint + 3);
    LastPageSpeed->OnClick = [this](TKrSpeedButton*) { ShowPage(FPrinter.PageCount() - 1); };
    // Choosing a page by number is not offered; the button stays hidden.
    PageNumSpeed = makeButton(bar, "PageNumSpeed", TGlyph::PageNum, kPageNumHint);
    PageNumSpeed->hide();

    ZoomBox = new QComboBox(bar);
    ZoomBox->setObjectName("ZoomBox");
    ZoomBox->setStatusTip(LoadResQString(kZoomHint));
    ZoomBox->setToolTip(LoadResQString(kZoomHint));
    for (const QString& entry : LoadResQString(kZoomEntries).split(QLatin1Char('\n')))
        ZoomBox->addItem(entry);
    ZoomBox->setMinimumWidth(130);
    bar->layout()->addWidget(ZoomBox);
    connect(ZoomBox, &QComboBox::activated, this, [this] {
        CallHandler(this, [this] {
            // Twice: the first layout may add or take away the scroll bars the second one measures.
            LayoutPages();
            LayoutPages();
        });
    });

    FitPageBut = makeButton(bar, "FitPageBut", TGlyph::FitPage, kFitPageHint);
    FitWidthBut = makeButton(bar, "FitWidthBut", TGlyph::FitWidth, kFitWidthHint);
    for (TKrSpeedButton* button : {FitPageBut, FitWidthBut}) {
        button->SetGroupIndex(2);
        button->SetAllowAllUp(true);
    }
    FitPageBut->OnClick = [this](TKrSpeedButton*) {
        ZoomBox->setCurrentIndex(0);
        LayoutPages();
    };
    FitWidthBut->OnClick = [this](TKrSpeedButton*) {
        ZoomBox->setCurrentIndex(1);
        LayoutPages();
    };
    GridBut = makeButton(bar, "GridBut", TGlyph::Grid, kGridHint);
    GridBut->SetGroupIndex(3);
    GridBut->SetAllowAllUp(true);
    GridBut->OnClick = [this](TKrSpeedButton*) {
        PagePanel1->update();
        PagePanel2->update();
    };
    ZoomCursorBut = makeButton(bar, "ZoomCursorBut", TGlyph::Zoom, kZoomCursorHint);
    HandCursorBut = makeButton(bar, "HandCursorBut", TGlyph::Hand, kHandCursorHint);
    for (TKrSpeedButton* button : {ZoomCursorBut, HandCursorBut}) {
        button->SetGroupIndex(4);
        button->OnClick = [this](TKrSpeedButton*) { setPageCursor(); };
    }
    OnePageBut = makeButton(bar, "OnePageBut", TGlyph::OnePage, kOnePageHint);
    TwoPageBut = makeButton(bar, "TwoPageBut", TGlyph::TwoPages, kTwoPageHint);
    for (TKrSpeedButton* button : {OnePageBut, TwoPageBut}) {
        button->SetGroupIndex(5);
        button->OnClick = [this](TKrSpeedButton*) {
            ZoomBox->setCurrentIndex(0);
            LayoutPages();
        };
    }
    OnePageBut->SetDown(true);
    CloseBut = makeButton(bar, "CloseBut", TGlyph::PageNum, kCloseHint);
    CloseBut->SetGlyph(QImage());
    CloseBut->SetCaption(LoadResString(kCloseHint));
    CloseBut->setFixedSize(60, 25);
    CloseBut->Loaded();
    CloseBut->OnClick = [this](TKrSpeedButton*) { close(); };
    static_cast<QHBoxLayout*>(bar->layout())->addStretch(1);
}

void TPreviewForm::setPageCursor()
{
    const QCursor cursor = CursorOf(HandCursorBut->Down() ? crHandCursor : crZoomCursor);
    PagePanel1->setCursor(cursor);
    PagePanel2->setCursor(cursor);
}

void TPreviewForm::ShowPage(int page)
{
    FCurrentPage = std::clamp(page, 0, std::max(0, FPrinter.PageCount() - 1));
    Panels[0]->setText(FromEditorText(FmtLoadStr(kPageOfPages, FCurrentPage + 1, FPrinter.PageCount())));
    PagePanel1->update();
    PagePanel2->update();
    updateButtons();
}

void TPreviewForm::updateButtons()
{
    const bool follows = FCurrentPage < FPrinter.PageCount() - 1;
    NextPageBut->setEnabled(follows);
    LastPageSpeed->setEnabled(follows);
    PrevPageBut->setEnabled(FCurrentPage >= 1);
    FirstPageSpeed->setEnabled(FCurrentPage >= 1);
    PageNumSpeed->setEnabled(FPrinter.PageCount() > 1);
}

void TPreviewForm::LayoutPages()
{
    int entry = ZoomBox->currentIndex();
    if (entry < 0) {
        entry = 0;
        ZoomBox->setCurrentIndex(0);
    }
    FitPageBut->SetDown(entry == 0);
    FitWidthBut->SetDown(entry == 1);
    if (entry != 0)
        OnePageBut->SetDown(true);
    const TDeviceMetrics& metrics = FPrinter.Metrics();
    const double formPpi = logicalDpiY();
    const QSize client = ScrollBox->viewport()->size();
    switch (entry) {
    case 0: FZoom = (client.height() - 2 * kGap) / (formPpi * metrics.PageHeight / metrics.PixelsPerInchY); break;
    case 1: FZoom = (client.width() - 2 * kGap) / (formPpi * metrics.PageWidth / metrics.PixelsPerInchX); break;
    case kCustomEntry: break;
    default:
        if (entry - 3 < static_cast<int>(std::size(kFixedZooms)))
            FZoom = kFixedZooms[entry - 3];
        break;
    }
    FZoom = std::clamp(FZoom, kMinZoom, kMaxZoom);
    const int pageHeight = static_cast<int>(std::lround(formPpi * FZoom * metrics.PageHeight / metrics.PixelsPerInchY));
    const int pageWidth = static_cast<int>(std::lround(formPpi * FZoom * metrics.PageWidth / metrics.PixelsPerInchX));
    const bool two = TwoPageBut->Down();
    PagePanel2->setVisible(two);
    const int contentsWidth = (pageWidth + 2 * kGap) * (two ? 2 : 1);
    const int contentsHeight = pageHeight + 2 * kGap;
    const int containWidth = std::max(contentsWidth, client.width() - 1);
    const int containHeight = std::max(contentsHeight, client.height() - 1);
    ContainPanel->resize(containWidth, containHeight);
    const int left = std::max(kGap, (containWidth - contentsWidth) / 2 + kGap);
    const int top = std::max(kGap, (containHeight - contentsHeight) / 2 + kGap);
    PagePanel1->setGeometry(left, top, pageWidth, pageHeight);
    PagePanel2->setGeometry(left + pageWidth + 2 * kGap, top, pageWidth, pageHeight);
    Panels[1]->setText(zoomText(FZoom));
}

void TPreviewForm::ZoomAt(QPoint point, double factor)
{
    const double relX = PagePanel1->width() > 0 ? static_cast<double>(point.x()) / PagePanel1->width() : 0.5;
    const double relY = PagePanel1->height() > 0 ? static_cast<double>(point.y()) / PagePanel1->height() : 0.5;
    FZoom = std::clamp(FZoom * factor, kMinZoom, kMaxZoom);
    ZoomBox->setCurrentIndex(kCustomEntry);
    LayoutPages();
    const QSize view = ScrollBox->viewport()->size();
    ScrollBox->horizontalScrollBar()->setValue(static_cast<int>(std::lround(PagePanel1->width() * relX)) - view.width() / 2);
    ScrollBox->verticalScrollBar()->setValue(static_cast<int>(std::lround(PagePanel1->height() * relY)) - view.height() / 2);
}

void TPreviewForm::boxPressed(QMouseEvent* event)
{
    if (HandCursorBut->Down()) {
        FDragFrom = event->position().toPoint();
        FDragging = true;
        return;
    }
    if (event->button() == Qt::LeftButton)
        ZoomAt(event->position().toPoint(), 1.5);
    else if (event->button() == Qt::RightButton)
        ZoomAt(event->position().toPoint(), 2.0 / 3.0);
}

void TPreviewForm::boxMoved(QMouseEvent* event)
{
    if (!FDragging || !HandCursorBut->Down())
        return;
    // The box moves with the scroll bars, so the grabbed point comes back under the pointer.
    const QPoint by = FDragFrom - event->position().toPoint();
    ScrollBox->horizontalScrollBar()->setValue(ScrollBox->horizontalScrollBar()->value() + by.x());
    ScrollBox->verticalScrollBar()->setValue(ScrollBox->verticalScrollBar()->value() + by.y());
}

bool TPreviewForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        Panels[2]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TPreviewForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    CallHandler(this, [this] { LayoutPages(); });
}

void TPreviewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CallHandler(this, [this] {
        ShowPage(0);
        LayoutPages();
    });
}

void ShowPreviewForm(TPreviewPrinter& printer, QWidget* owner)
{
    TPreviewForm form(printer, owner);
    form.GridBut->SetDown(printer.ShowGrid);
    switch (printer.ZoomOption) {
    case zoFitToPage: form.ZoomBox->setCurrentIndex(0); break;
    case zoFitToWidth: form.ZoomBox->setCurrentIndex(1); break;
    case zoTwoPages:
        form.ZoomBox->setCurrentIndex(0);
        form.TwoPageBut->SetDown(true);
        break;
    case zoCustom:
        // A custom zoom shows ZoomVal per cent as the "Personal" entry.
        form.ZoomAt(QPoint(0, 0), printer.ZoomVal / 100.0 / form.Zoom());
        break;
    }
    form.LayoutPages();
    form.exec();
}
