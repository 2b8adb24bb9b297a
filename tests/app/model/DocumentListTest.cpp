// Tests of TDocumentList: the open documents in order, the current one, look-up by file name and the changed ones.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/model/DocumentList.h"

namespace {

struct TDoc {
    std::string FileName;
    bool Guardado = true;
    int Id = 0;
};

std::unique_ptr<TDoc> doc(int id, std::string fileName = "", bool saved = true)
{
    return std::make_unique<TDoc>(TDoc{std::move(fileName), saved, id});
}

std::vector<int> ids(const TDocumentList<TDoc>& list)
{
    std::vector<int> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(list.At(i)->Id);
    return result;
}

// The caption of the document numbered `id`: "t" and the number.
std::string tabCaption(int id)
{
    std::string caption = std::to_string(id);
    caption.insert(caption.begin(), 't');
    return caption;
}

} // namespace

TEST(DocumentList, OpensClosesAndKeepsTheCurrentDocument)
{
    TDocumentList<TDoc> list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Current(), -1);
    EXPECT_EQ(list.CurrentDocument(), nullptr);
    EXPECT_EQ(list.Add("Nuevo1", doc(1)), 0);
    EXPECT_EQ(list.Add("a.htm", doc(2, "/web/a.htm")), 1);
    EXPECT_EQ(list.Add("b.htm", doc(3, "/web/b.htm")), 2);
    // Adding selects nothing.
    EXPECT_EQ(list.Current(), -1);
    list.SetCurrent(2);
    EXPECT_EQ(list.CurrentDocument()->Id, 3);
    EXPECT_EQ(list.Caption(1), "a.htm");
    list.SetCaption(0, "c.htm");
    EXPECT_EQ(list.IndexOfCaption("c.htm"), 0);
    EXPECT_EQ(list.IndexOfCaption("Nuevo1"), -1);

    // Closing one before the current one keeps the current document current.
    std::unique_ptr<TDoc> closed = list.Remove(0);
    EXPECT_EQ(closed->Id, 1);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(list.CurrentDocument()->Id, 3);
    // Closing the current one leaves none current.
    EXPECT_EQ(list.Remove(1)->Id, 3);
    EXPECT_EQ(list.Current(), -1);
    EXPECT_EQ(ids(list), std::vector<int>({2}));
    EXPECT_EQ(list.Remove(5), nullptr);
    EXPECT_EQ(list.At(1), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    list.SetCurrent(7);
    EXPECT_EQ(list.Current(), -1);
}

TEST(DocumentList, FindsByTheFileANameStandsForAndListsTheChangedOnes)
{
    TDocumentList<TDoc> list;
    list.Add("Nuevo1", doc(1, "", false));
    list.Add("Index.htm", doc(2, "/web/Index.htm"));
    list.Add("estilo.css", doc(3, "/web/estilo.css", false));
    // Names of no existing file compare as absolute, normalised paths; the letter case counts, as
    // the file system counts it.
    EXPECT_EQ(list.IndexOfFile("/web/./sub/../Index.htm"), 1);
    EXPECT_EQ(list.IndexOfFile("/web//estilo.css"), 2);
    EXPECT_EQ(list.IndexOfFile("/web/index.HTM"), -1);
    EXPECT_EQ(list.IndexOfFile("/web/otro.htm"), -1);
    // An untitled document is no file.
    EXPECT_EQ(list.IndexOfFile(""), -1);
    EXPECT_EQ(list.Changed(), std::vector<int>({0, 2}));
    list.At(0)->Guardado = true;
    EXPECT_EQ(list.Changed(), std::vector<int>({2}));
    EXPECT_EQ(list.IndexOf(list.At(2)), 2);
    EXPECT_EQ(list.IndexOf(nullptr), -1);
}

TEST(DocumentList, ReorderingKeepsTheCurrentDocumentAgainstAPlainModel)
{
    std::mt19937 random(58);
    TDocumentList<TDoc> list;
    std::vector<int> model;
    int next = 1;
    for (int step = 0; step < 2000; ++step) {
        const int count = list.Count();
        switch (random() % 4) {
        case 0:
            list.Add(tabCaption(next), doc(next));
            model.push_back(next++);
            break;
        case 1:
            if (count > 0) {
                const int at = static_cast<int>(random() % count);
                const int current = list.CurrentDocument() ? list.CurrentDocument()->Id : 0;
                const int removed = model[at];
                EXPECT_EQ(list.Remove(at)->Id, removed);
                model.erase(model.begin() + at);
                // The current document stays current unless it was the one closed.
                const int expected = current == removed ? 0 : current;
                EXPECT_EQ(list.CurrentDocument() ? list.CurrentDocument()->Id : 0, expected) << step;
            }
            break;
        case 2:
            if (count > 1) {
                const int from = static_cast<int>(random() % count);
                const int to = static_cast<int>(random() % count);
                const int current = list.CurrentDocument() ? list.CurrentDocument()->Id : 0;
                list.Move(from, to);
                const int moved = model[from];
                model.erase(model.begin() + from);
                model.insert(model.begin() + to, moved);
                EXPECT_EQ(list.CurrentDocument() ? list.CurrentDocument()->Id : 0, current) << step;
            }
            break;
        default:
            list.SetCurrent(count > 0 ? static_cast<int>(random() % count) : -1);
            break;
        }
        ASSERT_EQ(ids(list), model) << step;
        for (int i = 0; i < list.Count(); ++i)
            ASSERT_EQ(list.Caption(i), tabCaption(model[i])) << step;
    }
}
