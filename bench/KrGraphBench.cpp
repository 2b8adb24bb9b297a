// Speed of the colour reductions by frequency census and by median cut on a photograph-sized picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "components/core/KrGraph.h"

namespace {

// Smooth light over a sky, a hill and a sun, with sensor noise: many nearby colours, as a photograph has.
const TRgbImage& photograph()
{
    static const TRgbImage image = [] {
        TRgbImage picture(1024, 768);
        std::mt19937 rng(1998);
        std::normal_distribution<double> noise(0.0, 4.0);
        auto clampByte = [](double v) { return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x) {
                const double hill = 500 + 80 * std::sin(x / 150.0);
                const double sun = std::exp(-((x - 760.0) * (x - 760.0) + (y - 180.0) * (y - 180.0)) / 4000.0);
                double r, g, b;
                if (y < hill) {
                    r = 90 + 0.1 * y + 160 * sun;
                    g = 140 + 0.12 * y + 140 * sun;
                    b = 230 - 0.05 * y + 20 * sun;
                } else {
                    const double shade = 0.6 + 0.4 * std::sin(x / 37.0) * std::cos(y / 23.0);
                    r = 60 * shade + 0.05 * x;
                    g = 120 * shade + 0.03 * y;
                    b = 40 * shade;
                }
                picture.Set(x, y, {clampByte(r + noise(rng)), clampByte(g + noise(rng)), clampByte(b + noise(rng))});
            }
        return picture;
    }();
    return image;
}

void reduce(benchmark::State& state, TReductionMethod method)
{
    const TRgbImage& picture = photograph();
    for (auto _ : state) {
        TIndexedImage reduced = ReduceColors(picture, method);
        benchmark::DoNotOptimize(reduced.Indices.data());
    }
    state.SetItemsProcessed(state.iterations() * picture.Width * picture.Height);
}

void BM_ReduceFrequent(benchmark::State& state)
{
    reduce(state, rmFrequent);
}

void BM_ReduceMedianCut(benchmark::State& state)
{
    reduce(state, rmMedianCut);
}

} // namespace

BENCHMARK(BM_ReduceFrequent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceMedianCut)->Unit(benchmark::kMillisecond);
