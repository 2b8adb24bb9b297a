// ListSort: the in-place list sort of the toolbar components, by a three-way compare.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// Sorts `list` in place by Compare (negative, zero, positive); not stable.
template <class T, class TCompare>
void ListSortEx(std::vector<T*>& list, TCompare Compare, void* ExtraData)
{
    if (list.size() < 2)
        return;
    auto sort = [&](auto& self, int l, int r) -> void {
        int i;
        do {
            i = l;
            int j = r;
            T* pivot = list[static_cast<size_t>((l + r) >> 1)];
            do {
                while (Compare(list[static_cast<size_t>(i)], pivot, ExtraData) < 0)
                    ++i;
                while (Compare(list[static_cast<size_t>(j)], pivot, ExtraData) > 0)
                    --j;
                if (i <= j) {
                    std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (l < j)
                self(self, l, j);
            l = i;
        } while (i < r);
    };
    sort(sort, 0, static_cast<int>(list.size()) - 1);
}
