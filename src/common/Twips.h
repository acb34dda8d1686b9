#pragma once
// Window geometry is kept in twips (1/1440 inch); the screen's twips-per-pixel factor of each
// axis turns it into pixels.

#include <QRect>

#include <cstdint>

namespace kadrel {

inline constexpr double kTwipsPerInch = 1440.0;

struct TwipsPerPixel {
    double x = 15.0;
    double y = 15.0;
};

// Twips per pixel for a logical dots-per-inch value (15 at 96 dpi).
double twipsPerPixelForDpi(double logicalDpi);

// Twips to pixels on one axis, rounded half to even.
std::int32_t px(double twips, double twipsPerPixel);

// A rectangle given in twips as a pixel rectangle.
QRect pxRect(double left, double top, double width, double height, const TwipsPerPixel& tpp);

}  // namespace kadrel
