// The 256-bit state set: bit layout, membership and the byte-wise combinations.
#include <gtest/gtest.h>

#include "platform/core/StateSet.h"

TEST(StateSet, ValueNIsBitNMod8OfByteNDiv8)
{
    TStateSet s{0, 9, 255};
    EXPECT_EQ(s.Bytes[0], 0x01);
    EXPECT_EQ(s.Bytes[1], 0x02);
    EXPECT_EQ(s.Bytes[31], 0x80);
    for (int i = 2; i < 31; ++i)
        EXPECT_EQ(s.Bytes[static_cast<size_t>(i)], 0) << i;
    EXPECT_TRUE(s.Contains(9));
    EXPECT_FALSE(s.Contains(8));
    s.Exclude(9);
    EXPECT_FALSE(s.Contains(9));
    EXPECT_EQ(s.Bytes[1], 0);
    s.Include(100);
    EXPECT_EQ(s.Bytes[12], 0x10);
}

TEST(StateSet, CombinesByteWise)
{
    TStateSet a{1, 2, 3, 200};
    TStateSet b{3, 4, 200};
    EXPECT_EQ(a & b, (TStateSet{3, 200}));
    EXPECT_EQ(a | b, (TStateSet{1, 2, 3, 4, 200}));
    EXPECT_EQ(a - b, (TStateSet{1, 2}));
    EXPECT_TRUE(a.Intersects(b));
    EXPECT_FALSE((TStateSet{5}).Intersects(TStateSet{6}));
    EXPECT_TRUE(TStateSet().IsEmpty());
    EXPECT_FALSE(a.IsEmpty());
    EXPECT_TRUE((a - a).IsEmpty());
    EXPECT_NE(a, b);
    TStateSet full = TStateSet::Full();
    for (int v = 0; v < 256; ++v)
        ASSERT_TRUE(full.Contains(static_cast<uint8_t>(v)));
    full.Clear();
    EXPECT_TRUE(full.IsEmpty());
}
