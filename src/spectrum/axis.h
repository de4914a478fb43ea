// Axis ticks and labels: a pure function of the view that the renderer only draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "spectrum/spectrum_view.h"

namespace quorvanta {

// The micro sign as the program's single-byte texts hold it (code page 437).
inline constexpr char kMicroSign = '\xE6';

// Label text of a wavelength in nm: integers as digits, other values in the shortest decimal form
// that reads back to the same double (no exponent); above 999 in micrometres followed by the micro
// sign, above 999999 in millimetres followed by "mm". Non-finite values give "".
std::string formatWavelength(double wavelength);

// A mark is a line (x1 == x2) or a box given by two opposite corners, in grid coordinates before
// rounding.
struct AxisMark {
    enum class Kind { Line, Box };
    Kind kind = Kind::Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct AxisLabel {
    std::string text;
    double x = 0;  // left edge, already moved onto the axis at either end (labelLeftEdge)
    std::int32_t upperY = 0;
    std::int32_t lowerY = 0;
};

// Everything the tick pass draws for one view. A view that is not finite, or so far outside the
// displayable range that its ticks would not fit the list, gets no ticks at all (step 0).
struct AxisTicks {
    std::int32_t step = 0;             // 1, 10, 100 or 1000 nm
    std::vector<std::int32_t> values;  // the ticks that have a position, left to right
    std::vector<AxisMark> marks;       // in drawing order
    std::vector<AxisLabel> labels;     // in drawing order
};

// Tick spacing in nm for a view width in nm: the wider the view, the sparser the ticks.
std::int32_t tickStep(std::int32_t scale, double width);

// Left edge of a label of the given number of characters (8 pixels each) centred on a tick at
// tickX. A label that would stick out past either end of the axis while its tick is still on
// screen is moved in to start at x = 0 or to end at x = 1000.
double labelLeftEdge(double tickX, std::size_t characters);

AxisTicks axisTicks(const SpectrumView& view);

}  // namespace quorvanta
