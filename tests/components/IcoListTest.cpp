// The icon list: own copies, change notices and updates, list operations, and the "Icons" stream.
#include <QImage>
#include <gtest/gtest.h>

#include "components/IcoList.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

namespace {

TIcon iconOf(QRgb color, int size = 16)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    return TIcon::FromImage(image);
}

QRgb colorOf(const TIcon& icon)
{
    return icon.Image().pixel(1, 1);
}

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

} // namespace

TEST(IcoList, KeepsItsOwnCopiesAndReportsChangesOutsideUpdates)
{
    TIconList list;
    int changes = 0;
    list.OnChange = [&](TIconList& sender) {
        EXPECT_EQ(&sender, &list);
        ++changes;
    };
    TIcon red = iconOf(kRed);
    EXPECT_EQ(list.Add(red), 0);
    EXPECT_EQ(list.Add(TIcon()), 1);
    EXPECT_EQ(changes, 2);
    EXPECT_NE(&list.Get(0), &red);
    EXPECT_TRUE(list.Get(0).SameAs(red));
    EXPECT_TRUE(list.Get(1).Empty());
    // Changing the original leaves the copy alone.
    red.Assign(iconOf(kGreen));
    EXPECT_EQ(colorOf(list.Get(0)), kRed);

    list.Put(1, iconOf(kBlue));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(colorOf(list.Get(1)), kBlue);
    // An entry changed through the list's own reference tells the list.
    const_cast<TIcon&>(list.Get(0)).Clear();
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(list.IndexOf(&list.Get(1)), 1);
    EXPECT_EQ(list.IndexOf(&red), -1);

    {
        TIconListUpdate update(list);
        list.Add(iconOf(kGreen));
        list.Insert(0, iconOf(kRed));
        list.Delete(3);
        EXPECT_EQ(changes, 4);
    }
    EXPECT_EQ(changes, 5);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(changes, 6);
    EXPECT_THROW(list.Get(0), EListError);
    EXPECT_THROW(list.Insert(1, red), EListError);
    EXPECT_THROW(list.AddResource(":/no/such/icon.ico"), EInvalidGraphic);
}

TEST(IcoList, ExchangeMoveAndInsertPlaceEntries)
{
    TIconList list;
    for (QRgb c : {kRed, kGreen, kBlue})
        list.Add(iconOf(c));
    auto order = [&] {
        std::vector<QRgb> colors;
        for (int i = 0; i < list.GetCount(); ++i)
            colors.push_back(colorOf(list.Get(i)));
        return colors;
    };
    list.Exchange(0, 2);
    EXPECT_EQ(order(), (std::vector<QRgb>{kBlue, kGreen, kRed}));
    list.Move(0, 2);
    EXPECT_EQ(order(), (std::vector<QRgb>{kGreen, kRed, kBlue}));
    list.Move(2, 0);
    EXPECT_EQ(order(), (std::vector<QRgb>{kBlue, kGreen, kRed}));
    list.Insert(1, iconOf(kRed));
    EXPECT_EQ(order(), (std::vector<QRgb>{kBlue, kRed, kGreen, kRed}));
    EXPECT_THROW(list.Exchange(0, 4), EListError);
    EXPECT_THROW(list.Move(-1, 0), EListError);
}

TEST(IcoList, IconsStreamRoundTripsWithAnEmptyEntry)
{
    TIconList list;
    list.Add(iconOf(kRed));
    list.Add(TIcon());
    list.Add(iconOf(kBlue, 32));
    TMemoryStream stream;
    list.WriteData(stream);
    const auto& bytes = stream.Bytes();
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 3);
    const uint32_t firstSize = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
    EXPECT_EQ(firstSize, list.Get(0).Bytes().size());
    EXPECT_EQ(bytes.size(), 4 + 4 + firstSize + 4 + 4 + list.Get(2).Bytes().size());

    TIconList back;
    back.Add(iconOf(kGreen));
    int changes = 0;
    back.OnChange = [&](TIconList&) { ++changes; };
    stream.SetPosition(0);
    back.ReadData(stream);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_TRUE(back.SameAs(list));
    EXPECT_TRUE(back.Get(1).Empty());
    EXPECT_EQ(back.Get(2).Width(), 32);
    // Entries read back are owned and watched like any other.
    const_cast<TIcon&>(back.Get(1)).Assign(iconOf(kRed));
    EXPECT_EQ(changes, 2);

    EXPECT_FALSE(TIconList().NeedsWriting(nullptr));
    EXPECT_TRUE(list.NeedsWriting(nullptr));
    EXPECT_FALSE(list.NeedsWriting(&list));
    EXPECT_TRUE(list.NeedsWriting(&back));
}

TEST(IcoList, DamagedIconsStreamsRaiseAndLeaveTheListAlone)
{
    TIconList list;
    list.Add(iconOf(kRed));
    list.Add(TIcon());
    TMemoryStream stream;
    list.WriteData(stream);
    const auto whole = stream.Bytes();
    for (size_t length = 0; length < whole.size(); ++length) {
        TCustomMemoryStream cut(whole.data(), static_cast<int64_t>(length));
        TIconList target;
        target.Add(iconOf(kGreen));
        EXPECT_THROW(target.ReadData(cut), Exception) << length;
        ASSERT_EQ(target.GetCount(), 1);
        EXPECT_EQ(colorOf(target.Get(0)), kGreen);
    }
    // A count no stream of this size could hold, and an entry size past the end.
    const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    TCustomMemoryStream hugeStream(huge.data(), static_cast<int64_t>(huge.size()));
    EXPECT_THROW(list.ReadData(hugeStream), EReadError);
    const std::vector<uint8_t> longEntry = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    TCustomMemoryStream longStream(longEntry.data(), static_cast<int64_t>(longEntry.size()));
    EXPECT_THROW(list.ReadData(longStream), EReadError);
    // Bytes that are no icon.
    const std::vector<uint8_t> junk = {1, 0, 0, 0, 4, 0, 0, 0, 'j', 'u', 'n', 'k'};
    TCustomMemoryStream junkStream(junk.data(), static_cast<int64_t>(junk.size()));
    EXPECT_THROW(list.ReadData(junkStream), EInvalidGraphic);
    EXPECT_EQ(list.GetCount(), 2);
}
