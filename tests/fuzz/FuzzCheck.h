// The fuzz targets' assertion: a broken invariant stops the run where the fuzzer can see it.
#pragma once
#include <cstdlib>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
