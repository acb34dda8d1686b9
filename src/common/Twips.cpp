#include "common/Twips.h"

#include "common/Rounding.h"

namespace kadrel {

double twipsPerPixelForDpi(double logicalDpi)
{
    return logicalDpi > 0 ? kTwipsPerInch / logicalDpi : 15.0;
}

std::int32_t px(double twips, double twipsPerPixel)
{
    return roundToInt32Clamped(twips / twipsPerPixel);
}

QRect pxRect(double left, double top, double width, double height, const TwipsPerPixel& tpp)
{
    return QRect(px(left, tpp.x), px(top, tpp.y), px(width, tpp.x), px(height, tpp.y));
}

}  // namespace kadrel
