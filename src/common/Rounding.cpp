#include "common/Rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace kadrel {

namespace {

// std::nearbyint follows the current rounding mode; the program never changes it from
// round-to-nearest-even, but a library might, so it is set for the call.
double roundHalfEven(double value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return rounded;
}

}  // namespace

Result<std::int32_t> roundToInt32(double value)
{
    if (std::isnan(value))
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min())
        || rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return Status::failure(kOverflowError, QStringLiteral("Overflow"));
    return static_cast<std::int32_t>(rounded);
}

std::int32_t roundToInt32Clamped(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = roundHalfEven(value);
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

double roundTo2Decimals(double value)
{
    if (!std::isfinite(value))
        return value;
    return roundHalfEven(value * 100.0) / 100.0;
}

}  // namespace kadrel
