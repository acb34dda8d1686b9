#pragma once
// Every conversion of a double to a whole number in the program rounds to the nearest
// integer with ties to the even one (2.5 -> 2, 3.5 -> 4).

#include "common/Status.h"

#include <cstdint>

namespace kadrel {

// Error number reported when a value does not fit a signed 32-bit integer.
inline constexpr int kOverflowError = kFirstProgramError + 6;

// Round half to even into the signed 32-bit range; NaN and out-of-range values fail.
Result<std::int32_t> roundToInt32(double value);

// Round half to even, clamped to the signed 32-bit range (NaN gives 0). For values that are
// known to be small, such as pixel sizes, where an error would have nobody to go to.
std::int32_t roundToInt32Clamped(double value);

// Round to two decimals, ties to even: 12.125 -> 12.12, 12.375 -> 12.38.
double roundTo2Decimals(double value);

}  // namespace kadrel
