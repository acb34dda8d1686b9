#include "common/Rounding.h"
#include "common/Twips.h"

#include <QList>

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

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

    for (double bad : {2147483648.0, -2147483649.0, 1e300, std::nan(""), double(INFINITY)})
        EXPECT_EQ(roundToInt32(bad).status().number(), kOverflowError) << bad;
    EXPECT_EQ(QList<int>({roundToInt32Clamped(1e300), roundToInt32Clamped(-1e300),
                          roundToInt32Clamped(std::nan(""))}),
              QList<int>({INT32_MAX, INT32_MIN, 0}));
}

// Lengths in twips become pixels half to even: 2.5 -> 2, 3.5 -> 4.
TEST(Rounding, TwoDecimalsAndTwips)
{
    const std::pair<double, double> twoDecimals[] = {{12.125, 12.12}, {12.375, 12.38},
                                                     {59.996, 60}};
    for (const auto& [in, out] : twoDecimals)
        EXPECT_DOUBLE_EQ(roundTo2Decimals(in), out);
    EXPECT_DOUBLE_EQ(twipsPerPixelForDpi(120), 12.0);
    EXPECT_EQ(QList<int>({px(4935, 15), px(37.5, 15), px(52.5, 15)}), QList<int>({329, 2, 4}));
}
