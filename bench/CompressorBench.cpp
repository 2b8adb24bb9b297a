// Speed of TCompressor packing and unpacking a large generated page, for both methods.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "bench/BenchSupport.h"
#include "highlight/Compressor.h"

namespace {

// A hand-written-looking page: nested tables and links with varying text and numbers.
const std::string& generatedPage(size_t size)
{
    static std::string page;
    if (page.size() != size) {
        static const char* const words[] = {"precio", "cantidad", "env\xEDo", "Madrid", "oferta", "cliente",
                                            "descripci\xF3n", "total", "p\xE1gina", "inicio", "contacto", "ayuda"};
        std::mt19937 rng(2024);
        page = "<html>\r\n<head><title>Cat\xE1logo</title></head>\r\n<body>\r\n<table border=\"1\">\r\n";
        while (page.size() < size) {
            page += "  <tr>\r\n";
            for (int cell = 0; cell < 4; ++cell) {
                page += "    <td class=\"c" + std::to_string(cell) + "\">";
                if (rng() % 3 == 0)
                    page += "<a href=\"item" + std::to_string(rng() % 5000) + ".html\">";
                for (unsigned w = 0, n = 1 + rng() % 4; w < n; ++w) {
                    page += words[rng() % 12];
                    page += ' ';
                }
                page += std::to_string(rng() % 100000);
                page += "</td>\r\n";
            }
            page += "  </tr>\r\n";
        }
        page.resize(size);
    }
    return page;
}

// Runs Compress (or Decompress) over a string; returns the result.
std::string transform(const std::string& bytes, uint8_t method, bool compress)
{
    TCustomMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
    TMemoryStream out;
    TCompressor c;
    c.UseStreams = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.Method = method;
    if (compress)
        c.Compress();
    else
        c.Decompress();
    return out.AsString();
}

void compressPage(benchmark::State& state, uint8_t method)
{
    const std::string& page = generatedPage(static_cast<size_t>(state.range(0)));
    size_t packedSize = 0;
    for (auto _ : state)
        packedSize = transform(page, method, true).size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
    state.counters["ratio%"] = 100.0 * static_cast<double>(packedSize) / static_cast<double>(page.size());
}

void expandPage(benchmark::State& state, uint8_t method)
{
    const std::string& page = generatedPage(static_cast<size_t>(state.range(0)));
    const std::string packed = transform(page, method, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(transform(packed, method, false));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

const auto kPageSize = static_cast<int64_t>(BenchBytes(10 << 20));

void BM_CompressLZRW1KH(benchmark::State& state) { compressPage(state, TCompressor::MethodLZRW1KH); }
void BM_ExpandLZRW1KH(benchmark::State& state) { expandPage(state, TCompressor::MethodLZRW1KH); }
void BM_CompressLZHUF(benchmark::State& state) { compressPage(state, TCompressor::MethodLZHUF); }
void BM_ExpandLZHUF(benchmark::State& state) { expandPage(state, TCompressor::MethodLZHUF); }

} // namespace

BENCHMARK(BM_CompressLZRW1KH)->Arg(kPageSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandLZRW1KH)->Arg(kPageSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressLZHUF)->Arg(kPageSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandLZHUF)->Arg(kPageSize)->Unit(benchmark::kMillisecond);
