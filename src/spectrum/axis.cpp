#include "spectrum/axis.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

namespace quorvanta {

namespace {

// Powers of ten from nanometres to the larger units.
constexpr std::size_t kMicrometreDigits = 3;
constexpr std::size_t kMillimetreDigits = 6;
// Values above these are written in the next larger unit; "above 999" rather than "from 1000" so
// that 999.5 nm reads 0.9995 micrometres.
constexpr double kMicrometreFrom = 999.0;
constexpr double kMillimetreFrom = 999'999.0;

// Enough for the longest fixed-notation double: 309 integer digits of DBL_MAX, or "0." and 324
// fraction digits of the smallest subnormal.
constexpr std::size_t kDecimalBufferSize = 400;

// The colour band occupies rows 525..575; marks grow away from it, upwards above and downwards
// below, and are given as pixel distances from the band's edge.
constexpr std::int32_t kBandTop = 525;
constexpr std::int32_t kBandBottom = 575;
constexpr double kThickMarkHalfWidth = 1.0;  // thick marks are three pixels wide

constexpr double kCharacterWidth = 8.0;

// Ticks per view: the densest valid view, 500 nm at 1 nm steps on the logarithmic scale, has 502;
// the list of a view outside the displayable range stays bounded by this.
constexpr double kMaxTickCount = 1000.0;
// Keeps tick values well inside 32 bits for views outside the displayable range.
constexpr double kMaxTickMagnitude = 1e9;

// A mark on one side of the band, from `nearEdge` to `farEdge` pixels away from it
// (1 is the row next to the band).
struct MarkShape {
    AxisMark::Kind kind;
    std::int32_t nearEdge;
    std::int32_t farEdge;
};

constexpr MarkShape kShortLine{AxisMark::Kind::Line, 1, 2};
constexpr MarkShape kMediumLine{AxisMark::Kind::Line, 1, 5};
constexpr MarkShape kOuterLine{AxisMark::Kind::Line, 6, 10};  // continues a medium line outwards
constexpr MarkShape kLongLine{AxisMark::Kind::Line, 1, 10};
constexpr MarkShape kOuterBox{AxisMark::Kind::Box, 6, 10};
constexpr MarkShape kLongBox{AxisMark::Kind::Box, 1, 10};

// Label rows: the top edge of the text above and below the band. Minor labels sit closer to it.
struct LabelLevel {
    std::int32_t upperY;
    std::int32_t lowerY;
};

constexpr LabelLevel kMajorLevel{500, 588};   // A: multiples of 100
constexpr LabelLevel kMiddleLevel{505, 583};  // B: multiples of 10
constexpr LabelLevel kMinorLevel{510, 578};   // C: the other whole nanometres

std::string decimalText(double value) {
    std::array<char, kDecimalBufferSize> buffer{};
    // Fixed notation without a precision gives the shortest text that reads back to the same
    // double, and whole numbers without a fraction.
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    if (error != std::errc{}) return {};
    return std::string(buffer.data(), end);
}

// The decimal text of a value divided by 10^places, made by moving the decimal point of its own
// text: 1152.3 nm reads 1.1523 micrometres, where the quotient 1152.3 / 1000 would be written
// 1.1522999999999999. The text holds digits and at most one point (no sign, no exponent).
std::string pointMovedLeft(const std::string& text, std::size_t places) {
    const std::size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    if (whole.size() <= places) whole.insert(0, places - whole.size() + 1, '0');
    fraction.insert(0, whole, whole.size() - places, places);
    whole.resize(whole.size() - places);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return fraction.empty() ? whole : whole + "." + fraction;
}

bool isMultiple(std::int32_t tick, std::int32_t of) {
    return tick % of == 0;
}

class MarkWriter {
  public:
    MarkWriter(std::vector<AxisMark>& marks, double x) : marks_(marks), x_(x) {}

    // Every shape is drawn above the band and then mirrored below it.
    template <std::size_t N>
    void add(const std::array<MarkShape, N>& shapes) {
        for (const MarkShape& shape : shapes)
            marks_.push_back(upper(shape));
        for (const MarkShape& shape : shapes)
            marks_.push_back(lower(shape));
    }
    void add(const MarkShape& shape) { add(std::array{shape}); }

  private:
    AxisMark upper(const MarkShape& shape) const {
        return mark(shape, kBandTop - shape.nearEdge, kBandTop - shape.farEdge);
    }
    AxisMark lower(const MarkShape& shape) const {
        return mark(shape, kBandBottom + shape.nearEdge, kBandBottom + shape.farEdge);
    }
    AxisMark mark(const MarkShape& shape, std::int32_t y1, std::int32_t y2) const {
        if (shape.kind == AxisMark::Kind::Line)
            return {shape.kind, x_, static_cast<double>(y1), x_, static_cast<double>(y2)};
        return {shape.kind, x_ - kThickMarkHalfWidth, static_cast<double>(y1),
                x_ + kThickMarkHalfWidth, static_cast<double>(y2)};
    }

    std::vector<AxisMark>& marks_;
    double x_;
};

// Widths and tick values below are in nm. On the linear scale every multiple of 10 has a medium
// mark, a multiple of 100 a long one, and a multiple of 1000 a long thick one.
void addLinearMarks(MarkWriter& marks, double width, std::int32_t t) {
    if (width < 250) marks.add(kShortLine);
    if (isMultiple(t, 10)) marks.add(kMediumLine);
    if (isMultiple(t, 100)) marks.add(kOuterLine);
    if (isMultiple(t, 1000)) marks.add(kLongBox);
}

// On the logarithmic scale the ticks crowd together towards the high end, so their marks are left
// out there; a multiple of 1000 is thick on its outer half, one of 10000 all along.
void addLogarithmicMarks(MarkWriter& marks, double width, std::int32_t t) {
    if (width < 150 || (width < 500 && t < 100)) marks.add(kShortLine);
    if (isMultiple(t, 10) && (width < 1000 || (width < 2000 && t < 1000))) marks.add(kMediumLine);
    if (isMultiple(t, 100) && (width < 7000 || t < 5000)) marks.add(kLongLine);
    if (isMultiple(t, 1000)) marks.add(std::array{kOuterBox, kLongLine});
    if (isMultiple(t, 10000)) marks.add(kLongBox);
}

// Ticks that are not multiples of 10 are labelled only in very narrow views, on both scales.
bool hasMinorLabel(double width, std::int32_t t) {
    return !isMultiple(t, 10) &&
           ((width < 30 && t < 1000) || (width < 18 && t >= 1000 && t < 10000) ||
            (width < 15 && t >= 10000));
}

const LabelLevel* linearLabelLevel(double width, std::int32_t t) {
    if (isMultiple(t, 1000) || (width <= 2100 && isMultiple(t, 100))) return &kMajorLevel;
    if (isMultiple(t, 10) && !isMultiple(t, 100) &&
        ((width < 250 && t < 1000) || (width < 210 && t >= 1000 && t < 10000) ||
         (width < 170 && t >= 10000))) {
        return &kMiddleLevel;
    }
    if (hasMinorLabel(width, t)) return &kMinorLevel;
    return nullptr;
}

const LabelLevel* logarithmicLabelLevel(double width, std::int32_t t) {
    if (isMultiple(t, 10000) || (isMultiple(t, 1000) && t <= 5000) ||
        (isMultiple(t, 5000) && t > 10000) || (width <= 9000 && isMultiple(t, 1000)) ||
        (width <= 1000 && isMultiple(t, 100))) {
        return &kMajorLevel;
    }
    if (isMultiple(t, 10) && !isMultiple(t, 100) &&
        ((width < 220 && t < 10000) || (width < 190 && t >= 10000))) {
        return &kMiddleLevel;
    }
    if (hasMinorLabel(width, t)) return &kMinorLevel;
    return nullptr;
}

}  // namespace

std::string formatWavelength(double wavelength) {
    if (!std::isfinite(wavelength)) return {};
    // -0 is no different from 0 and should not show a sign.
    if (wavelength == 0) return decimalText(0.0);
    if (wavelength > kMillimetreFrom)
        return pointMovedLeft(decimalText(wavelength), kMillimetreDigits) + "mm";
    if (wavelength > kMicrometreFrom)
        return pointMovedLeft(decimalText(wavelength), kMicrometreDigits) + kMicroSign;
    return decimalText(wavelength);
}

std::int32_t tickStep(std::int32_t scale, double width) {
    if (scale == Linear) {
        if (width <= 250) return 1;
        if (width <= 2500) return 10;
        if (width <= 10000) return 100;
        return 1000;
    }
    if (width <= 500) return 1;
    if (width <= 2000) return 10;
    return 100;
}

double labelLeftEdge(double tickX, std::size_t characters) {
    const double halfWidth = kCharacterWidth / 2 * static_cast<double>(characters);
    double left = tickX - halfWidth;
    // The tick lies at x > -1, still on screen: start the label at the axis's left end.
    if (left < 0 && left > -halfWidth - 1) left = 0;
    // The same at the right end, for a tick at x < 1001: end the label at x = 1000 instead of
    // letting the drawing area cut it off.
    const double right = left + 2 * halfWidth;
    if (right > kPlotWidth && right < kPlotWidth + halfWidth + 1) left = kPlotWidth - 2 * halfWidth;
    return left;
}

AxisTicks axisTicks(const SpectrumView& view) {
    const AxisMapping mapping = view.mapping();
    const double width = view.viewWidth;
    if (!std::isfinite(mapping.leftEnd) || !std::isfinite(mapping.rightEnd) ||
        !std::isfinite(width)) {
        return {};
    }
    const std::int32_t step = tickStep(mapping.scale, width);
    const double first = std::floor(mapping.leftEnd / step) * step;
    const double last = std::floor(mapping.rightEnd / step) * step;
    if (std::abs(first) > kMaxTickMagnitude || std::abs(last) > kMaxTickMagnitude ||
        (last - first) / step >= kMaxTickCount) {
        return {};
    }

    AxisTicks ticks;
    ticks.step = step;
    const bool linear = mapping.scale == Linear;
    for (auto value = static_cast<std::int32_t>(first); value <= last; value += step) {
        const double x = mapping.xOf(value);
        if (std::isnan(x)) continue;  // 0 nm on the logarithmic scale
        ticks.values.push_back(value);

        MarkWriter marks(ticks.marks, x);
        if (linear) {
            addLinearMarks(marks, width, value);
        } else {
            addLogarithmicMarks(marks, width, value);
        }

        const LabelLevel* level =
            linear ? linearLabelLevel(width, value) : logarithmicLabelLevel(width, value);
        if (level == nullptr || value <= 0) continue;
        std::string text = formatWavelength(value);
        const double left = labelLeftEdge(x, text.size());
        ticks.labels.push_back({std::move(text), left, level->upperY, level->lowerY});
    }
    return ticks;
}

}  // namespace quorvanta
