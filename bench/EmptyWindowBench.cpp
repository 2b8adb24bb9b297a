// Making and showing the main window with no document open, beside a minimal window of a menu bar, a
// status bar and a plain text editor made and shown the same way: the time and what the making adds
// to the process, resident and allocated.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <memory>

#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "bench/BenchSupport.h"
#include "highlight/SynParse.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

// The caption of the main window's first menu.
constexpr int kMenuArchivo = 4470;

// The window `make` returns, made, shown and its events handled, timed; between iterations it goes
// away with the events its going posts. The counters are the resident and allocated bytes the last
// window added.
template <typename TMake>
void measureWindow(benchmark::State& state, TMake make)
{
    ensureApplication();
    double resident = 0;
    double allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        const double residentBefore = statusBytes("VmRSS");
        const double allocatedBefore = static_cast<double>(mallinfo2().uordblks);
        state.ResumeTiming();
        auto window = make();
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        resident = statusBytes("VmRSS") - residentBefore;
        allocated = static_cast<double>(mallinfo2().uordblks) - allocatedBefore;
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["resident"] = benchmark::Counter(resident, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["allocated"] = benchmark::Counter(allocated, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

// The first window of the process pays for what Qt sets up once (fonts, style, the display): run
// each one alone (--benchmark_filter) for the figures of a start, or the repeated variants for a
// window made again in a running program. The start is a returning user's: the settings an earlier
// run saved at its close are in place (the very first start writes them, which no later start does).
void BM_EmptyMainWindow(benchmark::State& state)
{
    ensureApplication();
    {
        TKestrimaConfig earlier;
        earlier.Load();
        earlier.Save();
        RegistryStore::Flush();
    }
    measureWindow(state, [] { return std::make_unique<TformPrincipal>(); });
}
BENCHMARK(BM_EmptyMainWindow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EmptyMainWindow)->Name("BM_EmptyMainWindow/again")->Unit(benchmark::kMillisecond)->Iterations(10);

// What the main window is held against: a menu bar, a status bar and a plain text editor.
void BM_MinimalWindowBaseline(benchmark::State& state)
{
    measureWindow(state, [] {
        auto window = std::make_unique<QMainWindow>();
        window->menuBar()->addMenu(FromWin1252(LoadResString(kMenuArchivo)));
        window->setStatusBar(new QStatusBar(window.get()));
        window->setCentralWidget(new QPlainTextEdit(window.get()));
        window->resize(800, 600);
        return window;
    });
}
BENCHMARK(BM_MinimalWindowBaseline)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MinimalWindowBaseline)->Name("BM_MinimalWindowBaseline/again")->Unit(benchmark::kMillisecond)->Iterations(10);

// The page language's shipped tables read into a parser, as the window does at start.
void BM_LoadShippedHtmlTables(benchmark::State& state)
{
    ensureApplication();
    QFile file(":/parsers/html.tbl");
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no shipped tables");
        return;
    }
    const QByteArray bytes = file.readAll();
    TCodeMemoParser parser;
    for (auto _ : state) {
        TCustomMemoryStream stream(bytes.constData(), bytes.size());
        parser.LoadParserData(stream);
    }
}
BENCHMARK(BM_LoadShippedHtmlTables)->Unit(benchmark::kMillisecond);

} // namespace
