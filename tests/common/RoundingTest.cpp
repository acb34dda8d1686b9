#include "common/Rounding.h"
#include "common/Twips.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

using namespace kadrel;

TEST(Rounding, TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundToInt32(2.5).value(), 2);
    EXPECT_EQ(roundToInt32(3.5).value(), 4);
    EXPECT_EQ(roundToInt32(-2.5).value(), -2);
    EXPECT_EQ(roundToInt32(-3.5).value(), -4);
    EXPECT_EQ(roundToInt32(0.5).value(), 0);
    EXPECT_EQ(roundToInt32(2.4999999).value(), 2);
    EXPECT_EQ(roundToInt32(2.5000001).value(), 3);
    // Frame 37 at T = 0.04 s lies at 1.48 s, shown as second 1.
    EXPECT_EQ(roundToInt32(37 * 0.04).value(), 1);
    // 10 s at 0.04 s per frame is 250 frames.
    EXPECT_EQ(roundToInt32(10.0 / 0.04).value(), 250);
}

TEST(Rounding, HoldsEvenWhenTheCallerChangedTheRoundingMode)
{
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(roundToInt32(2.5).value(), 2);
    EXPECT_EQ(roundToInt32Clamped(2.5), 2);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);
}

TEST(Rounding, OverflowIsAnErrorNotUndefinedBehaviour)
{
    const double max = std::numeric_limits<std::int32_t>::max();
    const double min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(roundToInt32(max).value(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundToInt32(min).value(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(roundToInt32(max + 0.4).value(), std::numeric_limits<std::int32_t>::max());

    for (double bad : {max + 1.0, min - 1.0, 1e300, -1e300, std::nan(""),
                       std::numeric_limits<double>::infinity()}) {
        const Result<std::int32_t> r = roundToInt32(bad);
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_EQ(r.status().number(), kOverflowError);
        EXPECT_FALSE(r.status().description().isEmpty());
    }
    EXPECT_EQ(roundToInt32Clamped(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundToInt32Clamped(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(roundToInt32Clamped(std::nan("")), 0);
}

TEST(Rounding, TwoDecimalsHalfToEven)
{
    EXPECT_DOUBLE_EQ(roundTo2Decimals(12.125), 12.12);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(12.375), 12.38);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(59.996), 60.0);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(0.0), 0.0);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(90.5), 90.5);
}

TEST(Twips, PixelsPerAxisWithEvenTies)
{
    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(96), 15.0);
    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(120), 12.0);
    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(0), 15.0);
    // A 4935 x 3615 twips picture box is 329 x 241 pixels.
    EXPECT_EQ(px(4935, 15), 329);
    EXPECT_EQ(px(3615, 15), 241);
    EXPECT_EQ(px(28800, 15), 1920);
    EXPECT_EQ(px(37.5, 15), 2);  // 2.5 -> 2
    EXPECT_EQ(px(52.5, 15), 4);  // 3.5 -> 4
    EXPECT_EQ(pxRect(120, 120, 4935, 3615, {15, 15}), QRect(8, 8, 329, 241));
}
