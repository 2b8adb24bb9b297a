// The toolbar hooks' mouse-move filter: one mouse move sent to a widget while 130 flat buttons are registered.
#include <benchmark/benchmark.h>

#include <QMouseEvent>
#include <QWidget>
#include <utility>

#include "bench/BenchSupport.h"
#include "toolbars/TBarCmn.h"

namespace {

int gHeard = 0;

// What a button's callback does with a move that is not over it: returns at once.
template <int N>
void buttonProc(THookCode code, QWidget* wnd, WPARAM, LPARAM)
{
    if (code == hcMouseMove && wnd == nullptr)
        ++gHeard;
}

template <int... N>
void registerDistinct(std::integer_sequence<int, N...>, bool install)
{
    if (install)
        (InstallHookProc(buttonProc<N>, {hcActivateApp, hcMouseMove}, false), ...);
    else
        (UninstallHookProc(buttonProc<N>), ...);
}

void sendMoves(benchmark::State& state)
{
    QWidget widget;
    widget.resize(200, 100);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    for (auto _ : state)
        QCoreApplication::sendEvent(&widget, &move);
    state.SetItemsProcessed(state.iterations());
}

// All buttons share one callback, as the flat buttons do: one record, registered 130 times.
void BM_HookMouseMoveSharedProc(benchmark::State& state)
{
    ensureApplication();
    for (int i = 0; i < 130; ++i)
        InstallHookProc(buttonProc<0>, {hcActivateApp, hcMouseMove}, false);
    sendMoves(state);
    for (int i = 0; i < 130; ++i)
        UninstallHookProc(buttonProc<0>);
}
BENCHMARK(BM_HookMouseMoveSharedProc);

// The worst case: 130 distinct callbacks, each called for every move.
void BM_HookMouseMoveDistinctProcs(benchmark::State& state)
{
    ensureApplication();
    registerDistinct(std::make_integer_sequence<int, 130>{}, true);
    sendMoves(state);
    registerDistinct(std::make_integer_sequence<int, 130>{}, false);
}
BENCHMARK(BM_HookMouseMoveDistinctProcs);

// The same move with no hook installed, to compare with.
void BM_MouseMoveWithoutHooks(benchmark::State& state)
{
    ensureApplication();
    sendMoves(state);
}
BENCHMARK(BM_MouseMoveWithoutHooks);

} // namespace
