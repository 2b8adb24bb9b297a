// Speed of a template merge: a 5 MB template holding 10 000 fields filled from a data file of 1000 keys.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "app/model/TemplateMerge.h"

namespace {

void BM_MergeTemplate(benchmark::State& state)
{
    const size_t bytes = BenchBytes(5u << 20);
    const int keys = 1000;
    // As many fields as the template's size allows (10 000, or a 64th of them in the short run).
    const int fields = static_cast<int>(BenchBytes(10000 * 64) / 64);
    std::string data;
    for (int k = 0; k < keys; ++k)
        data += "{*campo" + std::to_string(k) + "*}\r\nvalor del campo " + std::to_string(k) + "\r\n";
    const std::string filler(bytes / static_cast<size_t>(fields), 'x');
    std::string templ;
    for (int f = 0; f < fields; ++f)
        templ += filler + "{*CAMPO" + std::to_string((f * 7) % (keys + 10)) + "*}";
    const TTemplateData parsed = ParseTemplateData(data);
    for (auto _ : state)
        benchmark::DoNotOptimize(MergeTemplate(templ, ParseTemplateData(data)));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(templ.size() + data.size()));
    state.counters["keys"] = parsed.Count();
}
BENCHMARK(BM_MergeTemplate)->Unit(benchmark::kMillisecond);

} // namespace
