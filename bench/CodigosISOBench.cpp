// Speed of encoding and decoding a large page with the shipped character library; time must grow linearly with the text.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "app/model/CodigosISO.h"

namespace {

const TCodigosISO& shippedTable()
{
    static const TCodigosISO table = [] {
        TCodigosISO t;
        if (!t.LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb"))
            t.LoadDefaults();
        return t;
    }();
    return table;
}

// Up to 20 MB of the sample page; the range is the size in MB.
void BM_EncodeText(benchmark::State& state)
{
    const std::string page = RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(shippedTable().EncodeText(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.SetComplexityN(static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_EncodeText)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_DecodeText(benchmark::State& state)
{
    const std::string page =
        shippedTable().EncodeText(RepeatedSamplePage(static_cast<size_t>(state.range(0)) << 20));
    for (auto _ : state)
        benchmark::DoNotOptimize(shippedTable().DecodeText(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
    state.SetComplexityN(static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_DecodeText)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
