// Integer helpers: exchanging two integers, the larger and the smaller of two.
#pragma once

#include <utility>

inline void SwapInt(int& a, int& b)
{
    std::swap(a, b);
}

inline int Max(int a, int b) { return a > b ? a : b; }
inline int Min(int a, int b) { return a < b ? a : b; }
