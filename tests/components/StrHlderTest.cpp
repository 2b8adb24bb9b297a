// The string holder: its "StrData" bytes, masking, truncated data, change events, duplicates and assignment.
#include <QMetaProperty>
#include <QVariant>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "components/StrHlder.h"
#include "components/core/StrData.h"

namespace {

TStringList Lines(std::initializer_list<std::string> lines)
{
    TStringList list;
    for (const std::string& line : lines)
        list.Add(line);
    return list;
}

std::string Written(const TStrHolder& holder)
{
    TMemoryStream stream;
    holder.WriteStrData(stream);
    return stream.AsString();
}

void Read(TStrHolder& holder, const std::string& bytes)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    holder.ReadStrData(stream);
}

} // namespace

TEST(StrHlder, StrDataIsTheKeyThenTheMaskedLines)
{
    TStrHolder holder;
    EXPECT_FALSE(holder.StrDataStored());
    holder.SetStrings(Lines({"ab", ""}));
    EXPECT_TRUE(holder.StrDataStored());
    EXPECT_EQ(Written(holder), std::string("\x01\x06\x00\x06\x02" "ab\x06\x00\x00", 10));

    holder.SetKeyString(" ");
    EXPECT_EQ(Written(holder), std::string("\x01\x06\x01 \x06\x02" "AB\x06\x00\x00", 11));
    holder.Clear();
    EXPECT_TRUE(holder.StrDataStored()); // a key alone is still written
    EXPECT_EQ(Written(holder), std::string("\x01\x06\x01 \x00", 5));

    // A line longer than 255 characters takes a four-byte length.
    holder.SetKeyString("");
    holder.SetStrings(Lines({std::string(300, 'z')}));
    const std::string bytes = Written(holder);
    EXPECT_EQ(bytes.substr(0, 9), std::string("\x01\x06\x00\x0C\x2C\x01\x00\x00z", 9));
    EXPECT_EQ(bytes.size(), 3u + 5u + 300u + 1u);
}

TEST(StrHlder, MaskingTwiceGivesTheLineBack)
{
    EXPECT_EQ(XorString("", "texto"), "texto");
    EXPECT_EQ(XorString("\x01", "abc"), "`cb");
    EXPECT_EQ(XorString("\x01\x02", "abc"), "``b");
    std::mt19937 rng(4109);
    for (int round = 0; round < 300; ++round) {
        std::string key(rng() % 4, '\0'), line(rng() % 40, '\0');
        for (char& c : key)
            c = static_cast<char>(rng());
        for (char& c : line)
            c = static_cast<char>(rng());
        ASSERT_EQ(XorString(key, XorString(key, line)), line);

        TStrHolder holder;
        holder.SetKeyString(key);
        holder.SetStrings(Lines({line, key + line}));
        TStrHolder back;
        Read(back, Written(holder));
        ASSERT_EQ(back.KeyString(), key);
        ASSERT_EQ(back.Strings().Text(), holder.Strings().Text());
    }
}

TEST(StrHlder, AnEmptyKeyAloneLoadsAnEmptyList)
{
    TStrHolder holder;
    holder.SetKeyString("k");
    holder.SetStrings(Lines({"vieja"}));
    Read(holder, std::string("\x01\x06\x00\x00", 4));
    EXPECT_EQ(holder.Strings().Count(), 0);
    EXPECT_EQ(holder.KeyString(), "");
    // An empty list clears the lines and keeps the key.
    holder.SetKeyString("k");
    holder.SetStrings(Lines({"vieja"}));
    Read(holder, std::string("\x01\x00", 2));
    EXPECT_EQ(holder.Strings().Count(), 0);
    EXPECT_EQ(holder.KeyString(), "k");
}

TEST(StrHlder, BadDataRaisesAndLeavesTheHolderAsItWas)
{
    TStrHolder source;
    source.SetKeyString("k");
    source.SetStrings(Lines({"uno", std::string(260, 'x'), "tres"}));
    const std::string valid = Written(source);

    TStrHolder holder;
    holder.SetKeyString("antes");
    holder.SetStrings(Lines({"a", "b"}));
    int events = 0;
    holder.OnChange = [&](TStrHolder*) { ++events; };
    for (size_t length = 0; length < valid.size(); ++length) {
        try {
            Read(holder, valid.substr(0, length));
            ADD_FAILURE() << "length " << length << " was read";
        } catch (const EReadError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Invalid StrData: ")) << e.what();
        }
        ASSERT_EQ(holder.KeyString(), "antes");
        ASSERT_EQ(holder.Strings().Text(), "a\r\nb\r\n");
    }
    // Another value type, or a length past the end, is refused the same way.
    for (const std::string& bad : {std::string("\x02\x00", 2), std::string("\x01\x02\x05\x00", 4),
                                   std::string("\x01\x0C\xFF\xFF\xFF\x7F\x00", 7)})
        EXPECT_THROW(Read(holder, bad), EReadError);
    EXPECT_EQ(holder.Strings().Text(), "a\r\nb\r\n");
    EXPECT_EQ(events, 0);
    Read(holder, valid);
    EXPECT_EQ(holder.Strings().Text(), source.Strings().Text());
}

TEST(StrHlder, ChangesAreAnnouncedExceptWhileLoading)
{
    TStrHolder holder;
    std::vector<std::string> seen;
    holder.OnChanging = [&](TStrHolder* sender) {
        EXPECT_EQ(sender, &holder);
        seen.push_back("changing " + std::to_string(sender->Strings().Count()));
    };
    holder.OnChange = [&](TStrHolder* sender) { seen.push_back("change " + std::to_string(sender->Strings().Count())); };
    holder.Add("uno");
    holder.SetStrings(Lines({"a", "b"}));
    holder.Clear();
    EXPECT_EQ(seen, (std::vector<std::string>{"changing 0", "change 1", "changing 1", "change 2", "changing 2",
                                              "change 0"}));

    seen.clear();
    Read(holder, std::string("\x01\x06\x00\x06\x01x\x00", 7));
    {
        TScopeGuard loading = holder.BeginLoading();
        holder.Add("y");
        EXPECT_TRUE(holder.Loading());
    }
    EXPECT_FALSE(holder.Loading());
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(holder.Strings().Text(), "x\r\ny\r\n");
}

TEST(StrHlder, SortedListsFollowDuplicatesAndAssignmentCopiesBothWays)
{
    TStrHolder holder;
    holder.SetStrings(Lines({"b", "a", "B"}));
    holder.SetSorted(true);
    EXPECT_EQ(holder.Strings()[0], "a");
    EXPECT_EQ(holder.Add("A"), -1);
    holder.SetDuplicates(TStrHolder::dupError);
    EXPECT_THROW(holder.Add("a"), EListError);
    holder.SetDuplicates(TStrHolder::dupAccept);
    EXPECT_GE(holder.Add("a"), 0);
    EXPECT_EQ(holder.Strings().Text(), "a\r\na\r\nb\r\nB\r\n");

    // Data with a duplicate the holder refuses is refused whole.
    holder.SetDuplicates(TStrHolder::dupError);
    const std::string before = holder.Strings().Text();
    EXPECT_THROW(Read(holder, std::string("\x01\x06\x00\x06\x01q\x06\x01Q\x00", 10)), EListError);
    EXPECT_EQ(holder.Strings().Text(), before);

    TStrHolder other;
    other.Assign(holder);
    EXPECT_EQ(other.Strings().Text(), before);
    TStringList out = Lines({"fuera"});
    other.AssignTo(out);
    EXPECT_EQ(out.Text(), before);
    other.Assign(other);
    EXPECT_EQ(other.Strings().Text(), before);
    EXPECT_EQ(other.Capacity(), 4);
    other.SetCapacity(100);
    EXPECT_EQ(other.Capacity(), 100);
}

TEST(StrHlder, AnInheritedHolderWritesOnlyItsDifferences)
{
    TStrHolder ancestor, holder;
    ancestor.SetStrings(Lines({"Font-Family", "color"}));
    holder.SetStrings(Lines({"font-family", "COLOR"}));
    EXPECT_FALSE(holder.StrDataStored(&ancestor));
    holder.SetKeyString("k");
    EXPECT_TRUE(holder.StrDataStored(&ancestor));
    ancestor.SetKeyString("K");
    EXPECT_TRUE(holder.StrDataStored(&ancestor)); // keys compare exactly
    ancestor.SetKeyString("k");
    EXPECT_FALSE(holder.StrDataStored(&ancestor));
    holder.Add("cursor");
    EXPECT_TRUE(holder.StrDataStored(&ancestor));
    holder.SetStrings(Lines({"font-family", "colour"}));
    EXPECT_TRUE(holder.StrDataStored(&ancestor));
}

TEST(StrHlder, PropertiesAreSeenThroughTheMetaObject)
{
    TStrHolder holder;
    holder.setProperty("Strings", QVariant::fromValue(Lines({"x"})));
    EXPECT_EQ(holder.Strings().Text(), "x\r\n");
    holder.setProperty("KeyString", QString::fromUtf8("ñ"));
    EXPECT_EQ(holder.KeyString(), "\xF1");
    holder.setProperty("Duplicates", QVariant::fromValue(TStrHolder::dupAccept));
    EXPECT_EQ(holder.Duplicates(), TStrHolder::dupAccept);
    const QMetaObject* meta = holder.metaObject();
    EXPECT_FALSE(meta->property(meta->indexOfProperty("Strings")).isStored());
    EXPECT_FALSE(meta->property(meta->indexOfProperty("KeyString")).isStored());
}
