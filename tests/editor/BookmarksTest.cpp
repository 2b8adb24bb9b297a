// Tests of the named bookmark and text-mark lists without a window, against a plain model of offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "MarksModel.h"
#include "editor/model/Bookmarks.h"

namespace {

struct Range {
    int Start;
    int End;
    bool operator==(const Range&) const = default;
};

Range rangeOf(const TTextMark* mark)
{
    return {mark->Start(), mark->End()};
}

// Walks the chain and the array together: both in start order, linked both ways, the same marks.
void expectOrdered(const TObjectList& list)
{
    const TTextMark* prev = nullptr;
    int i = 0;
    for (const TTextMark* m = list.First(); m; prev = m, m = m->Next(), ++i) {
        ASSERT_LT(i, list.Count());
        EXPECT_EQ(m, list.Mark(i));
        EXPECT_EQ(m->Prev(), prev);
        EXPECT_LE(m->Start(), m->End());
        if (prev) {
            EXPECT_LE(prev->Start(), m->Start());
        }
    }
    EXPECT_EQ(i, list.Count());
}

} // namespace

TEST(TextMarks, AddFollowInsertionsAndDeletions)
{
    std::vector<TTextMark*> freed, changed;
    TObjectList list;
    list.OnFree = [&](TTextMark* m) { freed.push_back(m); };
    list.OnChange = [&](TTextMark* m) { changed.push_back(m); };

    TTextMark* mark = list.Add(5, 3, 77);
    EXPECT_EQ(rangeOf(mark), (Range{5, 8}));
    EXPECT_EQ(mark->Kind, 0);
    EXPECT_EQ(mark->Data, 77u);
    // A negative length still gives an ordered pair.
    TTextMark* back = list.Add(20, -4, 0);
    EXPECT_EQ(rangeOf(back), (Range{16, 20}));

    list.AdjustForInsert(0, 2);
    EXPECT_EQ(rangeOf(mark), (Range{7, 10}));
    EXPECT_EQ(rangeOf(back), (Range{18, 22}));
    EXPECT_EQ(changed, (std::vector<TTextMark*>{mark, back}));
    // Typing at the mark's end extends it; typing after a mark leaves it alone.
    changed.clear();
    list.AdjustForInsert(10, 1);
    EXPECT_EQ(rangeOf(mark), (Range{7, 11}));
    EXPECT_EQ(rangeOf(back), (Range{19, 23}));
    list.AdjustForInsert(30, 5);
    EXPECT_EQ(changed.size(), 2u);

    // A deletion inside shortens, one before moves back.
    list.AdjustForDelete(8, 2);
    EXPECT_EQ(rangeOf(mark), (Range{7, 9}));
    EXPECT_EQ(rangeOf(back), (Range{17, 21}));
    // Covered only in part, a mark keeps what was not deleted: the tail ...
    list.AdjustForDelete(8, 3);
    EXPECT_EQ(rangeOf(mark), (Range{7, 8}));
    EXPECT_EQ(rangeOf(back), (Range{14, 18}));
    // ... or the head, starting where the deletion started.
    list.AdjustForDelete(12, 4);
    EXPECT_EQ(rangeOf(back), (Range{12, 14}));
    EXPECT_TRUE(freed.empty());

    // A deletion covering a mark frees it once, announced, out of the list by then.
    list.OnFree = [&](TTextMark* m) {
        EXPECT_FALSE(list.Contains(m));
        freed.push_back(m);
    };
    list.AdjustForDelete(6, 4);
    EXPECT_EQ(freed, (std::vector<TTextMark*>{mark}));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.First(), back);
    EXPECT_EQ(rangeOf(back), (Range{8, 10}));
    expectOrdered(list);
}

TEST(TextMarks, MovesKeepStartOrder)
{
    std::vector<TTextMark*> changed;
    std::vector<uint32_t> freed;
    TObjectList list;
    list.OnChange = [&](TTextMark* m) { changed.push_back(m); };
    TTextMark* a = list.Add(10, 5, 1);
    TTextMark* b = list.Add(20, 5, 2);
    TTextMark* c = list.Add(30, 5, 3);
    TTextMark* d = list.Add(20, 1, 4); // after b, which starts where it starts
    EXPECT_EQ(list.Mark(1), b);
    EXPECT_EQ(list.Mark(2), d);

    // Past the end, the old end becomes the start.
    list.SetMarkStart(a, 40);
    EXPECT_EQ(rangeOf(a), (Range{15, 40}));
    list.SetMarkStart(c, 2);
    EXPECT_EQ(rangeOf(c), (Range{2, 35}));
    // Before the start, the old start becomes the end.
    list.SetMarkEnd(b, 18);
    EXPECT_EQ(rangeOf(b), (Range{18, 20}));
    list.SetMarkEnd(d, 50);
    EXPECT_EQ(rangeOf(d), (Range{20, 50}));
    EXPECT_EQ(changed, (std::vector<TTextMark*>{a, c, b, d}));
    std::vector<TTextMark*> order;
    for (TTextMark* m = list.First(); m; m = m->Next())
        order.push_back(m);
    EXPECT_EQ(order, (std::vector<TTextMark*>{c, a, b, d}));
    expectOrdered(list);

    // A freed handle is no longer the list's and operations on it do nothing.
    list.OnFree = [&](TTextMark* m) { freed.push_back(m->Data); };
    list.Delete(a);
    EXPECT_FALSE(list.Contains(a));
    list.Delete(a);
    list.SetMarkStart(a, 3);
    EXPECT_EQ(freed, (std::vector<uint32_t>{1}));
    expectOrdered(list);
    // Clearing goes from the last to the first.
    list.Clear();
    EXPECT_EQ(freed, (std::vector<uint32_t>{1, 4, 2, 3}));
    EXPECT_EQ(list.First(), nullptr);
}

TEST(TextMarks, FindingMarksByRange)
{
    TObjectList list;
    TTextMark* found = nullptr;
    EXPECT_FALSE(list.FindMark(0, 10, found));
    EXPECT_EQ(found, nullptr);
    TTextMark* wide = list.Add(0, 100, 1);
    TTextMark* a = list.Add(10, 5, 2);  // [10, 15]
    TTextMark* b = list.Add(40, 0, 3);  // [40, 40]
    TTextMark* c = list.Add(60, 10, 4); // [60, 70]

    EXPECT_TRUE(list.FindMark(12, 0, found));
    EXPECT_EQ(found, wide);
    EXPECT_EQ(list.FindMarkNode(12), wide);
    EXPECT_EQ(list.FindMarkNode(100), nullptr);
    EXPECT_EQ(list.FindMarkNode(99), wide);

    // Overlap counts a range's start inside [start, end) or a mark's start inside [start, end).
    EXPECT_EQ(list.FindOverlappingMark(12, 13, nullptr), wide);
    EXPECT_EQ(list.FindOverlappingMark(12, 13, wide), a);
    EXPECT_EQ(list.FindOverlappingMark(12, 13, a), nullptr);
    EXPECT_EQ(list.FindOverlappingMark(15, 16, wide), nullptr); // a ends where the range starts
    EXPECT_EQ(list.FindOverlappingMark(35, 41, wide), b);
    EXPECT_EQ(list.FindOverlappingMark(35, 40, wide), nullptr);
    std::vector<TTextMark*> marks;
    list.MarksInRange(5, 65, marks);
    EXPECT_EQ(marks, (std::vector<TTextMark*>{wide, a, b, c}));
    list.MarksInRange(100, 200, marks);
    EXPECT_TRUE(marks.empty());

    // Without the wide mark a range after every mark finds none, and FindMark reports the next one.
    list.Delete(wide);
    EXPECT_FALSE(list.FindMark(20, 5, found));
    EXPECT_EQ(found, b);
    EXPECT_TRUE(list.FindMark(38, 2, found));
    EXPECT_EQ(found, b);
    EXPECT_FALSE(list.FindMark(71, 5, found));
    EXPECT_EQ(found, nullptr);
}

TEST(TextMarks, RangesAddedAtOnceStandAsAddedOneByOne)
{
    std::mt19937 random(3126);
    for (int round = 0; round < 200; ++round) {
        // Marks already there, then ranges in any order, some reversed or out of the text, sharing
        // starts with each other and with the marks there; none, one or many.
        TObjectList once, oneByOne;
        std::uniform_int_distribution<int> place(-3, 40), count(0, 12);
        for (int i = count(random); i > 0; --i) {
            const int start = place(random), length = place(random) % 6;
            once.Add(start, length, static_cast<uint32_t>(i), 2);
            oneByOne.Add(start, length, static_cast<uint32_t>(i), 2);
        }
        std::vector<TTextRange> ranges;
        for (int i = round == 0 ? 0 : count(random); i > 0; --i) {
            const int start = place(random);
            ranges.push_back({start, start + place(random) % 6});
        }
        if (round % 2 == 0)
            std::sort(ranges.begin(), ranges.end(), [](auto& a, auto& b) { return a.Start < b.Start; });
        once.AddRanges(ranges, 1);
        for (const TTextRange& range : ranges)
            oneByOne.Add(range.Start, range.End - range.Start, 0, 1);
        ASSERT_EQ(once.Count(), oneByOne.Count()) << round;
        for (int i = 0; i < once.Count(); ++i) {
            const TTextMark* a = once.Mark(i);
            const TTextMark* b = oneByOne.Mark(i);
            ASSERT_EQ(rangeOf(a), rangeOf(b)) << round << ' ' << i;
            ASSERT_EQ(a->Kind, b->Kind) << round << ' ' << i;
            ASSERT_EQ(a->Data, b->Data) << round << ' ' << i;
            ASSERT_TRUE(once.Contains(a));
        }
        expectOrdered(once);
        // Found by range as the others are: the longest mark is known.
        for (int start = 0; start < 46; start += 5) {
            std::vector<TTextMark*> a, b;
            once.MarksInRange(start, start + 5, a);
            oneByOne.MarksInRange(start, start + 5, b);
            ASSERT_EQ(a.size(), b.size()) << round << ' ' << start;
        }
    }
}

TEST(TextMarks, DestroyingTheListAnnouncesEveryMarkLastToFirst)
{
    std::vector<uint32_t> freed;
    {
        TObjectList list;
        list.OnFree = [&](TTextMark* m) { freed.push_back(m->Data); };
        list.Add(9, 1, 3);
        list.Add(1, 1, 1);
        list.Add(5, 1, 2);
    }
    EXPECT_EQ(freed, (std::vector<uint32_t>{3, 2, 1}));
}

TEST(NamedBookmarks, FollowTheTextAndAnnounceWhatGoes)
{
    std::vector<std::string> freed;
    auto list = std::make_unique<TCustomBookmarks>();
    list->OnFree = [&](const std::string& name) { freed.push_back(name); };
    list->Add("zeta", 30);
    list->Add("alfa", 10);
    list->Add("beta", 20);
    list->Add("cola", -5);
    // Names sorted, positions in the chain in order; the name list's objects are the nodes.
    ASSERT_EQ(list->Count(), 4);
    EXPECT_EQ(list->Names()[0], "alfa");
    EXPECT_EQ(list->Names()[3], "zeta");
    EXPECT_EQ(list->Names().Objects(1), list->Find("beta"));
    std::vector<std::string> chain;
    for (TCustBookmark* n = list->First(); n; n = n->Next())
        chain.push_back(n->Name() + "@" + std::to_string(n->Position()));
    EXPECT_EQ(chain, (std::vector<std::string>{"cola@0", "alfa@10", "beta@20", "zeta@30"}));

    // A name added again moves.
    list->Add("zeta", 5);
    EXPECT_EQ(list->Count(), 4);
    EXPECT_EQ(list->First()->Next()->Name(), "zeta");
    EXPECT_EQ(list->First()->Next()->Next()->Prev()->Name(), "zeta");

    list->AdjustForInsert(10, 3);
    EXPECT_EQ(list->Find("alfa")->Position(), 13);
    EXPECT_EQ(list->Find("beta")->Position(), 23);
    EXPECT_EQ(list->Find("zeta")->Position(), 5);
    // Deleting [5, 15) takes zeta and alfa, beta moves back.
    list->AdjustForDelete(5, 10);
    EXPECT_EQ(freed, (std::vector<std::string>{"zeta", "alfa"}));
    EXPECT_EQ(list->Find("alfa"), nullptr);
    EXPECT_EQ(list->Find("beta")->Position(), 13);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_TRUE(list->Delete("cola"));
    EXPECT_FALSE(list->Delete("cola"));
    list->Add("omega", 1);
    list->Clear();
    EXPECT_EQ(freed, (std::vector<std::string>{"zeta", "alfa", "cola", "omega", "beta"}));
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->First(), nullptr);
    list->Add("last", 4);
    list.reset();
    EXPECT_EQ(freed.back(), "last");
}

// Random insertions and deletions over random marks and bookmarks: both lists stay equal to a plain
// model of offsets, and every mark or bookmark that goes is announced exactly once.
TEST(MarksProperty, FollowRandomEditsLikeAModelOfOffsets)
{
    std::mt19937 rng(20261207);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TMarksModel model;
    std::multiset<uint32_t> freedMarks;
    std::multiset<std::string> freedNames;
    std::map<uint32_t, TTextMark*> handles;
    TObjectList marks;
    TCustomBookmarks names;
    marks.OnFree = [&](TTextMark* m) {
        freedMarks.insert(m->Data);
        handles.erase(m->Data);
    };
    names.OnFree = [&](const std::string& name) { freedNames.insert(name); };
    int length = 500;
    uint32_t nextId = 1;

    for (int step = 0; step < 4000; ++step) {
        int what = pick(0, 9);
        if (what <= 1 || model.Marks.size() < 3) {
            int start = pick(0, length), len = pick(0, 30);
            handles[nextId] = marks.Add(start, len, nextId);
            model.Marks[nextId++] = {start, start + len};
        } else if (what == 2) {
            std::string name = "bm" + std::to_string(pick(0, 40));
            int pos = pick(0, length);
            names.Add(name, pos);
            model.Names[name] = pos;
        } else if (what <= 5) {
            int pos = pick(0, length), count = pick(1, 20);
            marks.AdjustForInsert(pos, count);
            names.AdjustForInsert(pos, count);
            model.Insert(pos, count);
            length += count;
        } else if (length > 0) {
            int s = pick(0, length - 1), count = pick(1, std::min(40, length - s));
            marks.AdjustForDelete(s, count);
            names.AdjustForDelete(s, count);
            model.Delete(s, count);
            length -= count;
        }

        ASSERT_EQ(marks.Count(), static_cast<int>(model.Marks.size())) << "step " << step;
        for (const auto& [id, r] : model.Marks) {
            ASSERT_TRUE(marks.Contains(handles[id]));
            ASSERT_EQ(rangeOf(handles[id]), (Range{r.Start, r.End})) << "step " << step << " mark " << id;
        }
        ASSERT_NO_FATAL_FAILURE(expectOrdered(marks));
        ASSERT_EQ(names.Count(), static_cast<int>(model.Names.size())) << "step " << step;
        for (const auto& [name, p] : model.Names)
            ASSERT_EQ(names.Find(name)->Position(), p) << "step " << step << " " << name;
        int last = -1;
        for (TCustBookmark* n = names.First(); n; n = n->Next()) {
            ASSERT_LE(last, n->Position());
            last = n->Position();
        }
        ASSERT_EQ(freedMarks, model.FreedMarks) << "step " << step;
        ASSERT_EQ(freedNames, model.FreedNames) << "step " << step;
        // Overlap queries agree with a walk over the model.
        int qs = pick(0, length), qe = qs + pick(0, 25);
        std::vector<TTextMark*> found;
        marks.MarksInRange(qs, qe, found);
        std::set<uint32_t> foundIds, wanted;
        for (TTextMark* m : found)
            foundIds.insert(m->Data);
        for (const auto& [id, r] : model.Marks)
            if ((qs >= r.Start && qs < r.End) || (r.Start >= qs && r.Start < qe))
                wanted.insert(id);
        ASSERT_EQ(foundIds, wanted) << "step " << step;
    }
    EXPECT_GT(freedMarks.size(), 50u);
    EXPECT_GT(freedNames.size(), 5u);
    // The handler must not outlive what it writes to: the lists go first.
    marks.OnFree = nullptr;
    names.OnFree = nullptr;
}
