// Test helpers: the entries of a string list as a vector, so whole lists compare in one assertion, and a list made from its entries.
#pragma once

#include <initializer_list>
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

inline TStringList Lines(std::initializer_list<const char*> lines)
{
    TStringList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}
