// Canvas, bitmap, message and command-line helpers: rectangles, parameters, shortened texts, transparent and embossed bitmaps, cell text, the parent's image, screen frames.
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "components/VCLUtils.h"
#include "platform/core/Exception.h"
#include "platform/Win1252Qt.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kKey = qRgb(255, 0, 255);

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The first and last columns holding a pixel other than `background`; (-1, -1) for none.
std::pair<int, int> inkColumns(const QImage& image, QRgb background)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

std::vector<std::string> parametersOf(const std::string& line)
{
    std::vector<std::string> params;
    std::string param;
    for (const char* p = GetParamStr(line.c_str(), param); !param.empty(); p = GetParamStr(p, param))
        params.push_back(param);
    return params;
}

} // namespace

TEST(VCLUtils, RectanglesIncludeEveryEdgeAndColoursTakeThePaletteFlag)
{
    const TRect r{10, 20, 30, 60};
    EXPECT_EQ(WidthOf(r), 20);
    EXPECT_EQ(HeightOf(r), 40);
    for (TPoint inside : {TPoint{10, 20}, TPoint{30, 60}, TPoint{30, 20}, TPoint{10, 60}, TPoint{15, 25}})
        EXPECT_TRUE(PointInRect(inside, r)) << inside.X << "," << inside.Y;
    for (TPoint outside : {TPoint{9, 20}, TPoint{31, 60}, TPoint{15, 19}, TPoint{15, 61}})
        EXPECT_FALSE(PointInRect(outside, r)) << outside.X << "," << outside.Y;
    EXPECT_EQ(PaletteColor(clRed), 0x020000FF);
    EXPECT_EQ(PaletteColor(static_cast<TColor>(clBtnFace)),
              static_cast<TColor>(ColorToRGB(static_cast<TColor>(clBtnFace)) | 0x02000000u));
    EXPECT_EQ(ResStr("texto"), "texto");
}

TEST(VCLUtils, CommandLineParameters)
{
    std::string program, parameters;
    SplitCommandLine("prog \"a b\" c", program, parameters);
    EXPECT_EQ(program, "prog");
    EXPECT_EQ(parameters, "\"a b\" c");
    SplitCommandLine("prog \"a\tb\" c", program, parameters);
    EXPECT_EQ(parameters, "\"a\tb\" c");
    SplitCommandLine("", program, parameters);
    EXPECT_EQ(program, "");
    EXPECT_EQ(parameters, "");

    EXPECT_EQ(parametersOf("  \"\" \"\"x \t\"\"y"), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(parametersOf("x\"y z\"w \"abc"), (std::vector<std::string>{"xy zw", "abc"}));
    EXPECT_EQ(parametersOf("\x01\x1F" "a\xE9 b"), (std::vector<std::string>{"a\xE9", "b"}));
    EXPECT_EQ(ParamCountFromCommandLine("a \"b c\" d"), 3);
    EXPECT_EQ(ParamCountFromCommandLine("   "), 0);
    EXPECT_EQ(GetParamStrFromCommandLine("a \"b c\" d", 1), "b c");
    EXPECT_EQ(GetParamStrFromCommandLine("a \"b c\" d", 5), "");
    std::string param = "old";
    EXPECT_EQ(GetParamStr(nullptr, param), nullptr);
    EXPECT_EQ(param, "");

    // Parameters joined by SplitCommandLine read back as the same parameters.
    std::mt19937 rng(4105);
    const std::string alphabet = "ab \t\x01\xE9-";
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> wanted;
        std::string line = "prog.exe";
        for (int n = static_cast<int>(rng() % 5); n > 0; --n) {
            std::string p(1, 'x');
            for (int k = static_cast<int>(rng() % 6); k > 0; --k)
                p += alphabet[rng() % alphabet.size()];
            wanted.push_back(p);
            line += " \"" + p + "\"";
        }
        SplitCommandLine(line, program, parameters);
        EXPECT_EQ(program, "prog.exe");
        EXPECT_EQ(parametersOf(parameters), wanted) << line;
    }
}

TEST(VCLUtils, MinimizeTextKeepsWhatFitsAndCutsTheRest)
{
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const std::string text = "C:\\Documentos\\p\xE1ginas\\\xEDndice.htm";
    const int full = metrics.horizontalAdvance(FromWin1252(text));
    EXPECT_EQ(MinimizeText(text, font, full), text);

    const int narrow = full / 2;
    std::string cut = MinimizeText(text, font, narrow);
    ASSERT_GT(cut.size(), 3u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_LE(metrics.horizontalAdvance(FromWin1252(cut)), narrow);
    const size_t kept = cut.size() - 3;
    EXPECT_EQ(cut.substr(0, kept), text.substr(0, kept));
    // One more character would not fit.
    EXPECT_GT(metrics.horizontalAdvance(FromWin1252(text.substr(0, kept + 1) + "...")), narrow);

    EXPECT_EQ(MinimizeText(text, font, 1), "...");
    EXPECT_EQ(MinimizeText("ab", font, 1), "...");
}

TEST(VCLUtils, TransparentCopiesKeepTheBackgroundWhereTheKeyColourWas)
{
    // Blue with key-coloured pixels, the bottom-left one among them.
    QImage bitmap = filled(4, 4, kBlue);
    for (QPoint p : {QPoint(0, 3), QPoint(1, 1), QPoint(3, 0)})
        bitmap.setPixel(p, kKey);
    auto expectCopy = [&](const QImage& canvas, int x0, int y0, int scale, bool keyShows) {
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                int bx = (x - x0) / scale, by = (y - y0) / scale;
                bool inside = x >= x0 && y >= y0 && bx < 4 && by < 4;
                QRgb expected = kGreen;
                if (inside)
                    expected = bitmap.pixel(bx, by) == kKey && !keyShows ? kGreen : bitmap.pixel(bx, by);
                ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
            }
    };
    for (TColor transparent : {static_cast<TColor>(clDefault), static_cast<TColor>(clFuchsia)}) {
        QImage canvas = filled(10, 10, kGreen);
        {
            QPainter p(&canvas);
            DrawBitmapRectTransparent(p, 2, 3, TRect{}, bitmap, transparent);
        }
        expectCopy(canvas, 2, 3, 1, false);
    }
    {
        QImage canvas = filled(10, 10, kGreen);
        QPainter p(&canvas);
        DrawBitmapRectTransparent(p, 1, 1, TRect{}, bitmap, clNone);
        p.end();
        expectCopy(canvas, 1, 1, 1, true);
    }
    {
        // Stretched twice: every source pixel becomes a 2 by 2 block, the key's blocks see-through.
        QImage canvas = filled(10, 10, kGreen);
        QPainter p(&canvas);
        StretchBitmapRectTransparent(p, 0, 0, 8, 8, TRect{}, bitmap, clDefault);
        p.end();
        expectCopy(canvas, 0, 0, 2, false);
    }
    {
        // A part of the bitmap, with an explicit colour; StretchBltTransparent takes its size.
        QImage canvas = filled(4, 4, kGreen);
        QPainter p(&canvas);
        StretchBltTransparent(p, 0, 0, 2, 2, bitmap, 1, 0, 2, 2, clBlue);
        p.end();
        EXPECT_EQ(canvas.pixel(0, 0), kGreen);
        EXPECT_EQ(canvas.pixel(0, 1), kKey);
        EXPECT_EQ(canvas.pixel(1, 1), kGreen);
        EXPECT_EQ(canvas.pixel(2, 2), kGreen);
    }
    {
        // A monochrome bitmap shows through its white, whatever colour is asked for.
        QImage mono(3, 1, QImage::Format_Mono);
        mono.setColor(0, qRgb(255, 255, 255));
        mono.setColor(1, qRgb(0, 0, 0));
        mono.setPixel(0, 0, 0);
        mono.setPixel(1, 0, 1);
        mono.setPixel(2, 0, 0);
        QImage canvas = filled(3, 1, kGreen);
        QPainter p(&canvas);
        DrawBitmapRectTransparent(p, 0, 0, TRect{}, mono, clBlack);
        p.end();
        EXPECT_EQ(canvas.pixel(0, 0), kGreen);
        EXPECT_EQ(canvas.pixel(1, 0), qRgb(0, 0, 0));
        EXPECT_EQ(canvas.pixel(2, 0), kGreen);
    }
}

TEST(VCLUtils, TwoColourPatternAndDisabledEmboss)
{
    QImage pattern = CreateTwoColorsBrushPattern(clRed, clBlue);
    ASSERT_EQ(pattern.size(), QSize(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(pattern.pixel(x, y), x % 2 == y % 2 ? kBlue : kRed) << x << "," << y;

    // A white bitmap with one dark L of three pixels.
    QImage bitmap = filled(6, 6, qRgb(255, 255, 255));
    for (QPoint p : {QPoint(2, 2), QPoint(2, 3), QPoint(3, 3)})
        bitmap.setPixel(p, qRgb(0, 0, 0));
    for (bool highlight : {true, false}) {
        QImage disabled = CreateDisabledBitmapEx(bitmap, clWhite, clLime, clRed, clBlue, highlight);
        ASSERT_EQ(disabled.size(), bitmap.size());
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                bool dark = bitmap.pixel(x, y) != qRgb(255, 255, 255);
                bool lit = highlight && x > 0 && y > 0 && bitmap.pixel(x - 1, y - 1) != qRgb(255, 255, 255);
                QRgb expected = dark ? kBlue : lit ? kRed : kGreen;
                EXPECT_EQ(disabled.pixel(x, y), expected) << x << "," << y << " highlight " << highlight;
            }
    }
    QImage face = CreateDisabledBitmap(bitmap, clWhite);
    auto rgbOf = [](uint32_t c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); };
    EXPECT_EQ(face.pixel(0, 0), rgbOf(ColorToRGB(static_cast<TColor>(clBtnFace))));
    EXPECT_EQ(face.pixel(2, 2), rgbOf(ColorToRGB(static_cast<TColor>(clBtnShadow))));
    EXPECT_EQ(face.pixel(3, 4), rgbOf(ColorToRGB(static_cast<TColor>(clBtnHighlight))));

    // An image-list image gives its shape through its mask: the pixels that are not see-through.
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(1, 1, qRgba(200, 200, 0, 255));
    QImage canvas = filled(8, 8, kGreen);
    QPainter p(&canvas);
    ImageListDrawDisabled(image, p, 3, 2, clRed, clBlue, true);
    p.end();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            QRgb expected = x == 4 && y == 3 ? kBlue : x == 5 && y == 4 ? kRed : kGreen;
            EXPECT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(VCLUtils, CellTextStandsWhereItsAlignmentPutsIt)
{
    const std::string text = "Hola";
    const TRect cell{10, 4, 110, 30};
    auto draw = [&](auto&& paint) {
        QImage canvas = filled(120, 40, kGreen);
        QPainter p(&canvas);
        p.setBrush(QColor(kRed));
        p.setPen(Qt::black);
        paint(p);
        p.end();
        return canvas;
    };
    QImage left = draw([&](QPainter& p) { DrawCellTextEx(p, cell, 5, false, taLeftJustify, text, 2); });
    // The brush fills the cell exactly; the text's ink lies inside it.
    EXPECT_EQ(left.pixel(9, 4), kGreen);
    EXPECT_EQ(left.pixel(10, 4), kRed);
    EXPECT_EQ(left.pixel(109, 29), kRed);
    EXPECT_EQ(left.pixel(110, 29), kGreen);
    auto [leftInk, leftInkEnd] = inkColumns(left.copy(10, 4, 100, 26), kRed);
    ASSERT_GE(leftInk, 0);
    // How far the ink starts right of the point the text is drawn at.
    const int bearing = leftInk - 5;
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(FromWin1252(text));

    QImage right = draw([&](QPainter& p) { DrawCellTextEx(p, cell, 5, false, taRightJustify, text, 2); });
    EXPECT_EQ(inkColumns(right.copy(10, 4, 100, 26), kRed).first + 10, cell.Right - width - 3 + bearing);

    QImage centre = draw([&](QPainter& p) { DrawCellTextEx(p, cell, 5, false, taCenter, text, 2); });
    EXPECT_EQ(inkColumns(centre.copy(10, 4, 100, 26), kRed).first + 10, cell.Left + 50 - width / 2 + bearing);

    // A grid cell's centred text is laid out in the cell from 2 pixels in to 1 pixel short of its right.
    QImage grid = draw([&](QPainter& p) { DrawCellText(p, text, cell, taCenter, vaTopJustify); });
    const int boxLeft = cell.Left + 2, boxWidth = WidthOf(cell) - 1 - 2;
    EXPECT_NEAR(inkColumns(grid.copy(10, 4, 100, 26), kRed).first + 10,
                boxLeft + (boxWidth - width) / 2 + bearing, 1);
    QImage gridRight = draw([&](QPainter& p) { DrawCellText(p, text, cell, taRightJustify, vaTopJustify); });
    EXPECT_EQ(inkColumns(gridRight.copy(10, 4, 100, 26), kRed).first + 10, cell.Right - width - 3 + bearing);

    // A carriage return breaks the line: two lines of ink, the second below the first.
    QImage twoLines = draw([&](QPainter& p) { DrawCellTextEx(p, TRect{0, 0, 120, 40}, 2, false, taLeftJustify, "a\r\nb", 0); });
    int inkRows = 0;
    bool inInk = false;
    for (int y = 0; y < 40; ++y) {
        bool ink = false;
        for (int x = 0; x < 120; ++x)
            ink = ink || twoLines.pixel(x, y) != kRed;
        if (ink && !inInk)
            ++inkRows;
        inInk = ink;
    }
    EXPECT_EQ(inkRows, 2);
}

namespace {

class Solid : public QWidget {
public:
    Solid(QWidget* parent, QRgb colour, const QRect& geometry) : QWidget(parent), FColour(colour)
    {
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(FColour)); }

private:
    QRgb FColour;
};

} // namespace

TEST(VCLUtils, CopyParentImagePaintsWhatLiesBehindTheControl)
{
    Solid parent(nullptr, kRed, QRect(0, 0, 100, 100));
    Solid before(&parent, kBlue, QRect(0, 0, 30, 30));
    Solid hidden(&parent, kKey, QRect(0, 0, 100, 100));
    hidden.hide();
    Solid control(&parent, qRgb(0, 0, 0), QRect(20, 20, 40, 40));
    Solid after(&parent, kGreen, QRect(0, 0, 100, 100));

    QImage canvas = filled(40, 40, qRgb(255, 255, 255));
    {
        QPainter p(&canvas);
        CopyParentImage(&control, p);
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(canvas.pixel(x, y), x < 10 && y < 10 ? kBlue : kRed) << x << "," << y;

    QImage untouched = filled(4, 4, kGreen);
    QPainter p(&untouched);
    CopyParentImage(&parent, p);
    CopyParentImage(nullptr, p);
    p.end();
    EXPECT_EQ(untouched, filled(4, 4, kGreen));
}

TEST(VCLUtils, InvertFramesComeAndGoLikeInvertedPixels)
{
    auto framesAt = [](const QRect& where) {
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->geometry() == where)
                ++count;
        return count;
    };
    const TRect screen{100, 120, 300, 220};
    const QRect where(100, 120, 200, 100);
    DrawInvertFrame(screen, 0);
    EXPECT_EQ(framesAt(where), 0);
    DrawInvertFrame(screen, 3);
    EXPECT_EQ(framesAt(where), 1);
    DrawInvertFrame(screen, 3);
    EXPECT_EQ(framesAt(where), 0);
}

TEST(VCLUtils, NotImplementedTellsTheUserAndAbortsQuietly)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(10);
    EXPECT_THROW(NotImplemented(), EAbort);
    EXPECT_EQ(shown, FromWin1252("Funci\xF3n a\xFAn no implementada"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(VCLUtils, TheProgramIsInTheForegroundWhileOneOfItsWindowsIsActive)
{
    QWidget window;
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(IsForegroundTask(), QApplication::activeWindow() == &window);
    EXPECT_TRUE(IsForegroundTask());
    window.close();
    QApplication::processEvents();
    EXPECT_FALSE(IsForegroundTask());
}
