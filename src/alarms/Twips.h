#pragma once
// Window arithmetic is kept in twips and converted here, once: 15 twips per logical pixel.
#include <cmath>

namespace Twips {
inline constexpr int ProPixel = 15;
inline int ZuPixel(double twips) { return static_cast<int>(std::lround(twips / ProPixel)); }
inline double ZuTwips(double pixel) { return pixel * ProPixel; }
}  // namespace Twips
