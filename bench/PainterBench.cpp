// Speed of the line painter: a full screen of highlighted text, and a preview page.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "BenchSupport.h"
#include "editor/CodeMemo.h"

namespace {

// Lines of HTML with a token value for each kind of text, and the style bytes that colour them.
struct THighlightedPage {
    std::string Text;
    std::string Styles;
};

const THighlightedPage& highlightedPage()
{
    static THighlightedPage page = [] {
        THighlightedPage made;
        auto add = [&](const std::string& text, uint8_t token) {
            made.Text += text;
            made.Styles.append(text.size(), static_cast<char>(token));
        };
        for (int i = 0; i < 5000; ++i) {
            add("  <", 1);
            add("td", 1);
            add(" class", 2);
            add("=", 1);
            add("\"c" + std::to_string(i % 7) + "\"", 3);
            add(">", 1);
            add("celda " + std::to_string(i) + " con texto de prueba ", 0);
            add("&amp;", 5);
            add("\t", 0);
            add("<!-- nota -->", 4);
            add("</td>", 1);
            add("\r", 0);
        }
        return made;
    }();
    return page;
}

void colourStyles(TCustomCodeMemo& memo)
{
    TSM_Settings& settings = memo.ActiveSettings();
    const TColor colours[] = {clNavy, clMaroon, clGreen, clGray, clPurple};
    const TFontStyles fonts[] = {fsBold, 0, fsItalic, fsItalic, fsBold | fsUnderline};
    for (uint8_t token = 1; token <= 5; ++token) {
        TSM_TokenStyle style;
        style.Foreground = colours[token - 1];
        style.FontStyle = fonts[token - 1];
        style.Defined = 1;
        settings.SetStyle(token, style);
        settings.SetStyleFlag(token, token);
    }
    memo.ApplySettings(true, false);
}

void loadHighlightedPage(TCustomCodeMemo& memo)
{
    colourStyles(memo);
    const THighlightedPage& page = highlightedPage();
    // The control's text stores line breaks as CR; the page is written with CR alone already.
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.Text.c_str()));
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(page.Styles.data()));
}

void BM_PaintAFullScreenOfHighlightedText(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    memo.resize(1280, 1024);
    memo.show();
    loadHighlightedPage(memo);
    memo.Perform(SMM_TOPLINE, SMM_SET, 2000);
    memo.Paint();
    for (auto _ : state) {
        memo.RequestFullRepaint();
        memo.Paint();
    }
    state.SetItemsProcessed(state.iterations() * memo.LinesPerWindow());
}
BENCHMARK(BM_PaintAFullScreenOfHighlightedText)->Unit(benchmark::kMillisecond);

void BM_PaintAPreviewPage(benchmark::State& state)
{
    ensureApplication();
    TCodeMemo memo;
    loadHighlightedPage(memo);
    const TRect page{0, 0, 1275, 1650};
    QImage image(page.Right, page.Bottom, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        benchmark::DoNotOptimize(memo.PrintPage(&painter, &page, 3));
    }
}
BENCHMARK(BM_PaintAPreviewPage)->Unit(benchmark::kMillisecond);

} // namespace
