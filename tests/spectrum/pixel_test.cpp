#include "spectrum/pixel.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>

namespace quorvanta {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct PixelRow {
    const char* name;
    double value;
    std::optional<std::int32_t> pixel;  // nullopt: no pixel
};

const PixelRow kPixelRows[] = {
    {"zero", 0.0, 0},
    {"half rounds up", 0.5, 1},
    {"negative half rounds away from zero", -0.5, -1},
    {"two and a half rounds away from zero", 2.5, 3},
    {"just below a half rounds down", 2.4999, 2},
    {"tick at -0.5 of the full linear range", -0.50025012506253127, -1},
    {"last band column", 999.6, 1000},
    {"limit itself", 1'000'000.0, 1'000'000},
    {"just past the limit", 1'000'000.4, 1'000'000},
    {"largest double", DBL_MAX, 1'000'000},
    {"most negative double", -DBL_MAX, -1'000'000},
    {"positive infinity", kInf, 1'000'000},
    {"negative infinity", -kInf, -1'000'000},
    {"NaN", kNaN, std::nullopt},
};

TEST(RoundToPixel, RoundsToNearestAndClampsEveryInput) {
    for (const PixelRow& row : kPixelRows) {
        SCOPED_TRACE(row.name);
        constexpr std::int32_t kUntouched = 12345;
        std::int32_t out = kUntouched;
        const bool hasPixel = roundToPixel(row.value, out);
        EXPECT_EQ(hasPixel, row.pixel.has_value()) << "value " << row.value;
        EXPECT_EQ(out, row.pixel.value_or(kUntouched)) << "value " << row.value;
    }
}

}  // namespace
}  // namespace quorvanta
