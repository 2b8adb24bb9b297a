// Repainting the 127 flat buttons of the tool pages once their state images are built.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QWidget>
#include <vector>

#include "bench/BenchSupport.h"
#include "toolbars/TBarCtls.h"

namespace {

void BM_RepaintToolbarButtons(benchmark::State& state)
{
    ensureApplication();
    QWidget page;
    page.resize(127 * 23, 22);
    std::vector<TToolbarButtonKt*> buttons;
    for (int i = 0; i < 127; ++i) {
        auto* button = new TToolbarButtonKt(&page);
        button->move(i * 23, 0);
        QImage glyph(16, 16, QImage::Format_RGB32);
        glyph.fill(QColor(255, 0, 255));
        glyph.setPixel(i % 16, i / 16, qRgb(0, 0, 0));
        button->SetGlyph(glyph);
        button->Loaded();
        buttons.push_back(button);
    }
    page.show();
    QImage target(page.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        for (TToolbarButtonKt* button : buttons)
            button->render(&target, button->pos());
        benchmark::DoNotOptimize(target.bits());
    }
    state.SetItemsProcessed(state.iterations() * 127);
}
BENCHMARK(BM_RepaintToolbarButtons);

} // namespace
