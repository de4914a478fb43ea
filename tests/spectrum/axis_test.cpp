#include "spectrum/axis.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "view_fixtures.h"

namespace quorvanta {
namespace {

using test::scaleName;
using test::viewOf;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::string kMicro(1, kMicroSign);

struct FormatRow {
    const char* name;
    double value;
    std::string text;
};

const FormatRow kFormatRows[] = {
    {"largest plain value", 999, "999"},
    {"fraction", 632.8, "632.8"},
    {"just above 999 is in micrometres", 999.5, "0.9995" + kMicro},
    {"Nd:YAG line", 1064, "1.064" + kMicro},
    {"largest micrometre value", 999999, "999.999" + kMicro},
    {"one millimetre", 1e6, "1mm"},
    // The unit changes by moving the decimal point of the stored value's own digits: the
    // quotient 1152.3 / 1000 would read 1.1522999999999999.
    {"He-Ne line in micrometres", 1152.3, "1.1523" + kMicro},
    {"CO2 line in micrometres", 10741.1, "10.7411" + kMicro},
    {"millimetres likewise", 1234567.8, "1.2345678mm"},
    {"whole micrometres lose the point", 20000, "20" + kMicro},
    {"shortest round trip, not the rounded sum", 0.1 + 0.2, "0.30000000000000004"},
    {"small value without exponent", 1e-7, "0.0000001"},
    {"negative zero has no sign", -0.0, "0"},
    {"NaN", kNaN, ""},
    {"infinity", kInf, ""},
};

TEST(FormatWavelength, WritesShortestDecimalsInTheRightUnit) {
    for (const FormatRow& row : kFormatRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatWavelength(row.value), row.text);
    }
    EXPECT_EQ(formatWavelength(DBL_MAX).size(), 312u)
        << "the 309 digits of DBL_MAX with the point moved 6 places left, then \"mm\"";
}

struct StepRow {
    std::int32_t scale;
    double width;
    std::int32_t step;
};

const StepRow kStepRows[] = {
    {Linear, 250, 1},         {Linear, 250.5, 10},      {Linear, 2500, 10},
    {Linear, 2501, 100},      {Linear, 10000, 100},     {Linear, 10001, 1000},
    {Logarithmic, 500, 1},    {Logarithmic, 500.5, 10}, {Logarithmic, 2000, 10},
    {Logarithmic, 2001, 100},
};

TEST(AxisTicks, StepGrowsWithTheWidth) {
    for (const StepRow& row : kStepRows) {
        EXPECT_EQ(tickStep(row.scale, row.width), row.step)
            << scaleName(row.scale) << " width " << row.width;
    }
}

std::vector<std::int32_t> range(std::int32_t first, std::int32_t last, std::int32_t step) {
    std::vector<std::int32_t> values;
    for (std::int32_t v = first; v <= last; v += step)
        values.push_back(v);
    return values;
}

// The marks of one tick above the band in drawing order, one letter each: S short (1..2 pixels
// from the band), M medium (1..5), O outer line (6..10), L long line (1..10), b outer box (6..10),
// B long box (1..10). The marks below the band must mirror them; "?" marks anything else.
std::string marksAt(const AxisTicks& ticks, double x) {
    auto letter = [](const AxisMark& mark, std::int32_t near, std::int32_t far) {
        const bool line = mark.kind == AxisMark::Kind::Line;
        if (mark.x2 - mark.x1 != (line ? 0 : 2)) return '?';
        if (line && near == 1) return far == 2 ? 'S' : far == 5 ? 'M' : far == 10 ? 'L' : '?';
        if (near == 6 && far == 10) return line ? 'O' : 'b';
        return !line && near == 1 && far == 10 ? 'B' : '?';
    };
    std::string upper, lower;
    for (const AxisMark& mark : ticks.marks) {
        if (std::abs((mark.x1 + mark.x2) / 2 - x) > 1e-9) continue;
        const auto y1 = static_cast<std::int32_t>(mark.y1), y2 = static_cast<std::int32_t>(mark.y2);
        if (y1 < 525) upper += letter(mark, 525 - y1, 525 - y2);
        if (y1 > 575) lower += letter(mark, y1 - 575, y2 - 575);
    }
    return upper == lower ? upper : upper + " above, " + lower + " below";
}

// The level of the label of a tick: A (rows 500 and 588), B (505, 583), C (510, 578) or - (none).
char levelOf(const AxisTicks& ticks, std::int32_t tick) {
    for (const AxisLabel& label : ticks.labels) {
        if (label.text != formatWavelength(tick)) continue;
        if (label.upperY == 500 && label.lowerY == 588) return 'A';
        if (label.upperY == 505 && label.lowerY == 583) return 'B';
        if (label.upperY == 510 && label.lowerY == 578) return 'C';
        return '?';
    }
    return '-';
}

struct TickCheck {
    std::int32_t tick;
    const char* marks;
    char level;
};

struct TickViewRow {
    const char* name;
    SpectrumView view;
    std::vector<std::int32_t> values;    // every tick, left to right, one step apart
    std::vector<std::int32_t> labelled;  // every labelled tick, left to right
    std::vector<TickCheck> checks;
};

TickViewRow tickView(const char* name, SpectrumView view, std::vector<std::int32_t> values,
                     std::vector<std::int32_t> labelled, std::vector<TickCheck> checks) {
    return {name, view, std::move(values), std::move(labelled), std::move(checks)};
}

const TickViewRow kTickViewRows[] = {
    tickView("linear start view: every 10 nm, labels at the hundreds", viewOf(Linear, 575, 450),
             range(350, 800, 10), range(400, 800, 100), {{350, "M", '-'}, {400, "MO", 'A'}}),
    tickView("linear 250 nm: nanometre ticks without their marks or middle labels",
             viewOf(Linear, 575, 250), range(450, 700, 1), range(500, 700, 100),
             {{451, "", '-'}, {460, "M", '-'}, {500, "MO", 'A'}}),
    tickView("linear 249 nm: nanometre marks and middle labels", viewOf(Linear, 575, 249),
             range(450, 699, 1), range(450, 690, 10), {{451, "S", '-'}, {460, "SM", 'B'}}),
    tickView("linear 30 nm: no labels on the nanometres between the tens", viewOf(Linear, 532, 30),
             range(517, 547, 1), range(520, 540, 10), {{531, "S", '-'}, {530, "SM", 'B'}}),
    tickView("linear 20 nm labels every nanometre", viewOf(Linear, 532, 20), range(522, 542, 1),
             range(522, 542, 1), {{531, "S", 'C'}, {530, "SM", 'B'}}),
    tickView("linear whole range: thousands, 0 unlabelled", viewOf(Linear, 10005, 19990),
             range(0, 20000, 1000), range(1000, 20000, 1000),
             {{0, "MOB", '-'}, {19000, "MOB", 'A'}}),
    tickView("logarithmic whole range: no tick at 0, thick thousands",
             viewOf(Logarithmic, 10005, 19990), range(100, 20000, 100),
             {1000, 2000, 3000, 4000, 5000, 10000, 15000, 20000},
             {{100, "L", '-'},
              {2000, "LbL", 'A'},
              {4900, "L", '-'},
              {5000, "bL", 'A'},
              {6000, "bL", '-'},
              {9500, "", '-'},
              {10000, "bLB", 'A'},
              {15000, "bL", 'A'}}),
    tickView("logarithmic 500 nm: nanometre ticks without their marks",
             viewOf(Logarithmic, 575, 500), range(325, 825, 1), range(400, 800, 100),
             {{401, "", '-'}, {410, "M", '-'}, {400, "ML", 'A'}}),
    tickView("logarithmic 130 nm: every nanometre marked below 150 nm",
             viewOf(Logarithmic, 75, 130), range(10, 140, 1), range(10, 140, 10),
             {{101, "S", '-'}, {120, "SM", 'B'}, {100, "SML", 'A'}}),
    tickView("logarithmic 400 nm: nanometre marks below 100 nm only", viewOf(Logarithmic, 210, 400),
             range(10, 410, 1), range(100, 400, 100),
             {{99, "S", '-'}, {90, "SM", '-'}, {101, "", '-'}}),
};

TEST(AxisTicks, MarksAndLabelsOfWholeViews) {
    for (const TickViewRow& row : kTickViewRows) {
        SCOPED_TRACE(row.name);
        const AxisTicks ticks = axisTicks(row.view);
        EXPECT_EQ(ticks.step, row.values[1] - row.values[0]);
        EXPECT_EQ(ticks.values, row.values);
        std::vector<std::string> labels, expectedLabels;
        for (const AxisLabel& label : ticks.labels)
            labels.push_back(label.text);
        for (std::int32_t tick : row.labelled)
            expectedLabels.push_back(formatWavelength(tick));
        EXPECT_EQ(labels, expectedLabels);
        for (const TickCheck& check : row.checks) {
            EXPECT_EQ(marksAt(ticks, row.view.xOf(check.tick)), check.marks) << check.tick;
            EXPECT_EQ(levelOf(ticks, check.tick), check.level) << "tick " << check.tick;
        }
    }
}

struct PlacementRow {
    const char* name;
    double tickX;
    std::size_t characters;
    double left;
};

const PlacementRow kPlacementRows[] = {
    {"tick just left of the axis still on screen", -0.5, 3, 0},
    {"tick at x = -1 is off screen and keeps its place", -1, 3, -13},
    {"label just fitting on the left", 12, 3, 0},
    {"label just fitting on the right", 988, 3, 976},
    {"label running past the right end", 998, 3, 976},
    {"tick just right of the axis still on screen", 1000.9, 3, 976},
    {"tick at x = 1001 is off screen and keeps its place", 1001, 3, 989},
};

TEST(AxisLabels, StayOnTheAxisWhileTheirTickIsOnScreen) {
    for (const PlacementRow& row : kPlacementRows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(labelLeftEdge(row.tickX, row.characters), row.left);
    }
}

struct LabelEdgeRow {
    const char* name;
    std::int32_t scale;
    double centre, width;
    std::string text;
    double left;
};

const LabelEdgeRow kLabelEdgeRows[] = {
    {"\"400\" centred on its tick at x = 111.1", Linear, 575, 450, "400", 1000.0 / 9 - 12},
    {"\"1.01µ\" at x = 3 starts at 0, not at -17", Linear, 1059.7, 100, "1.01" + kMicro, 0},
    {"\"20µ\" at the right end ends there", Linear, 10005, 19990, "20" + kMicro, 976},
};

TEST(AxisLabels, AxisTicksPlaceLabelsByTheirLength) {
    for (const LabelEdgeRow& row : kLabelEdgeRows) {
        SCOPED_TRACE(row.name);
        const AxisTicks ticks = axisTicks(viewOf(row.scale, row.centre, row.width));
        double left = kNaN;
        for (const AxisLabel& label : ticks.labels)
            if (label.text == row.text) left = label.x;
        EXPECT_NEAR(left, row.left, 1e-9);
    }
}

TEST(AxisTicks, HostileViewsGiveNoTicks) {
    const double kViews[][2] = {{kNaN, 450},    {575, kNaN},  {575, kInf},
                                {kInf, 450},    {-kInf, 450}, {DBL_MAX, 450},
                                {575, DBL_MAX}, {0, 1e12},    {5e9, 10}};
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (const auto& [centre, width] : kViews) {
            const AxisTicks ticks = axisTicks(viewOf(scale, centre, width));
            EXPECT_TRUE(ticks.values.empty() && ticks.marks.empty() && ticks.labels.empty())
                << scaleName(scale) << " view " << centre << " / " << width << " has "
                << ticks.values.size() << " ticks";
        }
    }
}

}  // namespace
}  // namespace quorvanta
