// Test helper: the entries of a string list as a vector, so whole lists compare in one assertion.
#pragma once

#include <string>
#include <vector>

#include "platform/core/Classes.h"

inline std::vector<std::string> Items(const TStringList& list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}
