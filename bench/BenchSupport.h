// Helpers shared by the benchmarks: the application object that the editor control needs.
#pragma once

#include <QApplication>
#include <cstdlib>

// Benchmarks run without a display, on Qt's offscreen platform unless another is asked for.
inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "kestrima_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static QApplication application(argc, argv);
    }
}
