#include "common/Rounding.h"
#include "common/Twips.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

using namespace kadrel;

TEST(Rounding, HalfToEvenWithOverflowAsAnError)
{
    const struct { double in; std::int32_t out; } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {2.4999999, 2}, {2.5000001, 3},
        {37 * 0.04, 1}, {10.0 / 0.04, 250}, {2147483647.4, 2147483647}, {-2147483648.0, INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(roundToInt32(c.in).value(), c.out) << c.in;

    // Even when a library left another rounding mode behind.
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(roundToInt32(2.5).value(), 2);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);

    for (double bad : {2147483648.0, -2147483649.0, 1e300, std::nan(""), double(INFINITY)}) {
        const Result<std::int32_t> r = roundToInt32(bad);
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_EQ(r.status().number(), kOverflowError);
    }
    EXPECT_EQ(roundToInt32Clamped(1e300), INT32_MAX);
    EXPECT_EQ(roundToInt32Clamped(-1e300), INT32_MIN);
    EXPECT_EQ(roundToInt32Clamped(std::nan("")), 0);
}

TEST(Rounding, TwoDecimalsAndTwips)
{
    EXPECT_DOUBLE_EQ(roundTo2Decimals(12.125), 12.12);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(12.375), 12.38);
    EXPECT_DOUBLE_EQ(roundTo2Decimals(59.996), 60.0);

    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(96), 15.0);
    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(120), 12.0);
    EXPECT_EQ(px(4935, 15), 329);
    EXPECT_EQ(px(37.5, 15), 2);  // 2.5 -> 2
    EXPECT_EQ(px(52.5, 15), 4);  // 3.5 -> 4
    EXPECT_EQ(pxRect(120, 120, 4935, 3615, {15, 15}), QRect(8, 8, 329, 241));
}
