// A plain model of text marks and named bookmarks as ranges and offsets, for the property tests of both lists.
#pragma once

#include <map>
#include <set>
#include <string>

// What insertions and deletions must do to marks and named bookmarks, written as directly as possible:
// every offset mapped on its own, a mark freed when the deletion covers it whole.
struct TMarksModel {
    struct Range {
        int Start = 0;
        int End = 0;
        bool operator==(const Range&) const = default;
    };
    std::map<uint32_t, Range> Marks;
    std::map<std::string, int> Names;
    // Everything freed so far, each as often as it went.
    std::multiset<uint32_t> FreedMarks;
    std::multiset<std::string> FreedNames;

    void Insert(int pos, int count)
    {
        for (auto& [id, r] : Marks) {
            if (r.Start >= pos) {
                r.Start += count;
                r.End += count;
            } else if (pos <= r.End) {
                r.End += count;
            }
        }
        for (auto& [name, p] : Names)
            if (p >= pos)
                p += count;
    }

    // `wholeText`: the deletion left the text empty, which takes every named bookmark.
    void Delete(int s, int count, bool wholeText = false)
    {
        const int e = s + count;
        auto map = [&](int p) { return p <= s ? p : (p < e ? s : p - count); };
        for (auto it = Marks.begin(); it != Marks.end();) {
            Range& r = it->second;
            if (r.Start >= s && r.End <= e && r.Start < e) {
                FreedMarks.insert(it->first);
                it = Marks.erase(it);
                continue;
            }
            r = {map(r.Start), map(r.End)};
            ++it;
        }
        for (auto it = Names.begin(); it != Names.end();) {
            if ((it->second >= s && it->second < e) || wholeText) {
                FreedNames.insert(it->first);
                it = Names.erase(it);
                continue;
            }
            if (it->second >= e)
                it->second -= count;
            ++it;
        }
    }
};
