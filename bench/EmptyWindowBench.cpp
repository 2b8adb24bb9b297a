// Memory of the main window with no document open: what its making adds to the process, resident and allocated.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QApplication>
#include <fstream>
#include <memory>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"

namespace {

// A line "Name:   123 kB" of /proc/self/status in bytes, 0 when it cannot be read.
double residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024;
    return 0;
}

void BM_EmptyMainWindow(benchmark::State& state)
{
    ensureApplication();
    double resident = 0;
    double allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        const double residentBefore = residentBytes();
        const double allocatedBefore = static_cast<double>(mallinfo2().uordblks);
        state.ResumeTiming();
        auto form = std::make_unique<TformPrincipal>();
        form->show();
        QApplication::processEvents();
        state.PauseTiming();
        resident = residentBytes() - residentBefore;
        allocated = static_cast<double>(mallinfo2().uordblks) - allocatedBefore;
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["resident"] = benchmark::Counter(resident, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["allocated"] = benchmark::Counter(allocated, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}
BENCHMARK(BM_EmptyMainWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
