// Conversion of computed positions (doubles, in pixels of the drawing grid) to the integers that
// the drawing operations take.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorvanta {

// Far outside any window, yet small enough that std::lround and the toolkit's integer arithmetic
// on the result cannot overflow.
inline constexpr double kPixelLimit = 1'000'000.0;

// Rounds to the nearest pixel, halves away from zero. Finite values beyond ±kPixelLimit and
// infinities are clamped to it; NaN has no pixel and leaves out untouched.
inline bool roundToPixel(double value, std::int32_t& out) {
    if (std::isnan(value)) return false;
    const double clamped = std::clamp(value, -kPixelLimit, kPixelLimit);
    out = static_cast<std::int32_t>(std::lround(clamped));
    return true;
}

}  // namespace quorvanta
