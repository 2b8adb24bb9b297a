// Speed of the GIF codec: LZW decoding and encoding of a 2000 x 2000 8-bit picture, in megabytes of pixels per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "components/core/KrGIF.h"

namespace {

constexpr int kSide = 2000;

// Bands of slowly changing colour with scattered noise, as a reduced photograph has.
const std::vector<uint8_t>& pixels()
{
    static const std::vector<uint8_t> bits = [] {
        std::vector<uint8_t> b(static_cast<size_t>(kSide) * kSide);
        std::mt19937 rng(2000);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                int value = static_cast<int>(128 + 60 * std::sin(x / 90.0) + 50 * std::cos(y / 70.0));
                if (rng() % 8 == 0)
                    value += static_cast<int>(rng() % 9) - 4;
                b[static_cast<size_t>(y) * kSide + x] = static_cast<uint8_t>(value & 0xFF);
            }
        return b;
    }();
    return bits;
}

TDibRows rowsOf(std::vector<uint8_t>& bits)
{
    return TDibRows{bits.data(), kSide, kSide, kSide, 8};
}

void BM_GIFEncode(benchmark::State& state)
{
    std::vector<uint8_t> bits = pixels();
    for (auto _ : state) {
        std::vector<uint8_t> raster;
        LZWEncode(raster, rowsOf(bits), false);
        benchmark::DoNotOptimize(raster.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_GIFEncode)->Unit(benchmark::kMillisecond);

void BM_GIFDecode(benchmark::State& state)
{
    std::vector<uint8_t> bits = pixels();
    std::vector<uint8_t> raster;
    LZWEncode(raster, rowsOf(bits), false);
    std::vector<uint8_t> target(bits.size());
    for (auto _ : state) {
        LZWDecode(raster.data(), raster.size(), rowsOf(target), false, false, 8);
        benchmark::DoNotOptimize(target.data());
    }
    if (target != bits)
        state.SkipWithError("decoded pixels differ");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_GIFDecode)->Unit(benchmark::kMillisecond);

} // namespace
