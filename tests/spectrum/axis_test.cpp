#include "spectrum/axis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "view_fixtures.h"

namespace quorvanta {
namespace {

using test::scaleName;
using test::viewOf;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::string kMicro(1, kMicroSign);

// Label rows (top edge of the text) above and below the band.
constexpr std::int32_t kLevelAUpper = 500, kLevelALower = 588;
constexpr std::int32_t kLevelBUpper = 505, kLevelBLower = 583;
constexpr std::int32_t kLevelCUpper = 510, kLevelCLower = 578;

struct FormatRow {
    const char* name;
    double value;
    std::string text;
};

const FormatRow kFormatRows[] = {
    {"whole nanometres", 532, "532"},
    {"fraction", 632.8, "632.8"},
    {"largest plain value", 999, "999"},
    {"just above 999 is in micrometres", 999.5, "0.9995" + kMicro},
    {"one micrometre", 1000, "1" + kMicro},
    {"Nd:YAG line", 1064, "1.064" + kMicro},
    {"ten micrometres", 10000, "10" + kMicro},
    {"upper bound", 20000, "20" + kMicro},
    {"CO2 line", 10591.035, "10.591035" + kMicro},
    {"largest micrometre value", 999999, "999.999" + kMicro},
    {"one millimetre", 1e6, "1mm"},
    {"millimetres with a fraction", 1234567, "1.234567mm"},
    {"shortest round trip, not the rounded sum", 0.1 + 0.2, "0.30000000000000004"},
    {"small value without exponent", 0.000125, "0.000125"},
    {"zero", 0, "0"},
    {"negative zero has no sign", -0.0, "0"},
    {"negative value stays plain", -1500, "-1500"},
    {"NaN", kNaN, ""},
    {"infinity", kInf, ""},
    {"minus infinity", -kInf, ""},
};

TEST(FormatWavelength, WritesShortestDecimalsInTheRightUnit) {
    for (const FormatRow& row : kFormatRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatWavelength(row.value), row.text);
    }
}

TEST(FormatWavelength, ReadsBackToTheSameValue) {
    for (double value : {1.0 / 3, 632.8, 123.456789012345, 1e-300, DBL_MIN}) {
        const std::string text = formatWavelength(value);
        EXPECT_EQ(text.find('e'), std::string::npos) << text;
        EXPECT_EQ(std::stod(text), value) << text;
    }
    EXPECT_EQ(formatWavelength(DBL_MAX).substr(formatWavelength(DBL_MAX).size() - 2), "mm");
}

struct StepRow {
    std::int32_t scale;
    double width;
    std::int32_t step;
};

const StepRow kStepRows[] = {
    {Linear, 10, 1},          {Linear, 250, 1},          {Linear, 250.5, 10},
    {Linear, 2500, 10},       {Linear, 2501, 100},       {Linear, 10000, 100},
    {Linear, 10001, 1000},    {Linear, 19990, 1000},     {Logarithmic, 10, 1},
    {Logarithmic, 500, 1},    {Logarithmic, 500.5, 10},  {Logarithmic, 2000, 10},
    {Logarithmic, 2001, 100}, {Logarithmic, 19990, 100},
};

TEST(AxisTicks, StepGrowsWithTheWidth) {
    for (const StepRow& row : kStepRows) {
        EXPECT_EQ(tickStep(row.scale, row.width), row.step)
            << scaleName(row.scale) << " width " << row.width;
    }
}

// The ticks whose marks include one of the given shape, by mark centre.
std::vector<std::int32_t> ticksWithMark(const AxisTicks& ticks, const SpectrumView& view,
                                        AxisMark::Kind kind, double y1, double y2) {
    std::vector<std::int32_t> result;
    for (const AxisMark& mark : ticks.marks) {
        if (mark.kind != kind || mark.y1 != y1 || mark.y2 != y2) continue;
        const double x = (mark.x1 + mark.x2) / 2;
        const auto tick = static_cast<std::int32_t>(std::lround(view.wavelengthAt(x)));
        if (result.empty() || result.back() != tick) result.push_back(tick);
    }
    return result;
}

std::vector<std::int32_t> range(std::int32_t first, std::int32_t last, std::int32_t step) {
    std::vector<std::int32_t> values;
    for (std::int32_t v = first; v <= last; v += step)
        values.push_back(v);
    return values;
}

std::vector<std::string> labelTexts(const AxisTicks& ticks) {
    std::vector<std::string> texts;
    for (const AxisLabel& label : ticks.labels)
        texts.push_back(label.text);
    return texts;
}

std::vector<std::string> textsOf(const std::vector<std::int32_t>& values) {
    std::vector<std::string> texts;
    for (std::int32_t v : values)
        texts.push_back(formatWavelength(v));
    return texts;
}

using AxisMarkKind = AxisMark::Kind;

TEST(AxisTicks, LinearStartView) {
    const SpectrumView view = viewOf(Linear, 575, 450);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 10);
    EXPECT_EQ(ticks.values, range(350, 800, 10));
    // Medium marks on every tick, both sides.
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 520), range(350, 800, 10));
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 576, 580), range(350, 800, 10));
    // Their outer continuation makes the 10-pixel marks of the hundreds.
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 519, 515), range(400, 800, 100));
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 581, 585), range(400, 800, 100));
    EXPECT_TRUE(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 523).empty());
    EXPECT_TRUE(ticksWithMark(ticks, view, AxisMarkKind::Box, 524, 515).empty());

    EXPECT_EQ(labelTexts(ticks), textsOf(range(400, 800, 100)));
    for (const AxisLabel& label : ticks.labels) {
        EXPECT_EQ(label.upperY, kLevelAUpper) << label.text;
        EXPECT_EQ(label.lowerY, kLevelALower) << label.text;
    }
    // The label "400" is centred on its tick at x = 111.1.
    EXPECT_NEAR(ticks.labels.front().x, 50 * 1000 / 450.0 - 12, 1e-9);
}

TEST(AxisTicks, NarrowLinearViewLabelsEveryNanometre) {
    const SpectrumView view = viewOf(Linear, 532, 20);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 1);
    EXPECT_EQ(ticks.values, range(522, 542, 1));
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 523), range(522, 542, 1));
    ASSERT_EQ(labelTexts(ticks), textsOf(range(522, 542, 1)));
    for (std::size_t i = 0; i < ticks.labels.size(); ++i) {
        const AxisLabel& label = ticks.labels[i];
        const bool tens = ticks.values[i] % 10 == 0;
        EXPECT_EQ(label.upperY, tens ? kLevelBUpper : kLevelCUpper) << label.text;
        EXPECT_EQ(label.lowerY, tens ? kLevelBLower : kLevelCLower) << label.text;
    }
    EXPECT_EQ(ticks.labels.front().x, 0) << "the label of the tick at x = 0 starts there";
}

TEST(AxisTicks, LogarithmicWholeRange) {
    const SpectrumView view = viewOf(Logarithmic, 10005, 19990);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 100);
    EXPECT_EQ(ticks.values, range(100, 20000, 100)) << "the tick at 0 has no position";

    std::vector<std::int32_t> longMarks = range(100, 4900, 100);
    for (std::int32_t thousand : range(5000, 20000, 1000))
        longMarks.push_back(thousand);
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 515), longMarks);
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 576, 585), longMarks);
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Box, 519, 515), range(1000, 20000, 1000));
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Box, 581, 585), range(1000, 20000, 1000));
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Box, 524, 515),
              (std::vector<std::int32_t>{10000, 20000}));
    EXPECT_TRUE(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 520).empty());

    const std::vector<std::string> expected = {"1" + kMicro,  "2" + kMicro, "3" + kMicro,
                                               "4" + kMicro,  "5" + kMicro, "10" + kMicro,
                                               "15" + kMicro, "20" + kMicro};
    EXPECT_EQ(labelTexts(ticks), expected);
}

TEST(AxisTicks, LogarithmicThousandsDrawTheirThickHalfBeforeTheLine) {
    const SpectrumView view = viewOf(Logarithmic, 10005, 19990);
    const AxisTicks ticks = axisTicks(view);
    // Tick 2000: a multiple of 100 below 5000 (long line), then of 1000 (box, long line).
    std::vector<const AxisMark*> marks;
    const double x = view.xOf(2000);
    for (const AxisMark& mark : ticks.marks) {
        if (std::abs((mark.x1 + mark.x2) / 2 - x) < 1e-9) marks.push_back(&mark);
    }
    ASSERT_EQ(marks.size(), 6u);
    const double expected[][3] = {{0, 524, 515}, {0, 576, 585}, {1, 519, 515},
                                  {0, 524, 515}, {1, 581, 585}, {0, 576, 585}};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const auto kind = expected[i][0] == 0 ? AxisMarkKind::Line : AxisMarkKind::Box;
        EXPECT_EQ(marks[i]->kind, kind) << "mark " << i;
        EXPECT_EQ(marks[i]->y1, expected[i][1]) << "mark " << i;
        EXPECT_EQ(marks[i]->y2, expected[i][2]) << "mark " << i;
        const double halfWidth = kind == AxisMarkKind::Box ? 1 : 0;
        EXPECT_EQ(marks[i]->x2 - marks[i]->x1, 2 * halfWidth) << "mark " << i;
    }
}

TEST(AxisTicks, LinearWholeRange) {
    const SpectrumView view = viewOf(Linear, 10005, 19990);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 1000);
    EXPECT_EQ(ticks.values, range(0, 20000, 1000));
    EXPECT_NEAR(view.xOf(0), -0.5, 0.001);
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Box, 524, 515), range(0, 20000, 1000));
    ASSERT_EQ(labelTexts(ticks), textsOf(range(1000, 20000, 1000))) << "0 is not labelled";

    const AxisLabel& last = ticks.labels.back();
    EXPECT_NEAR(last.x + 8.0 * static_cast<double>(last.text.size()), 1000, 1e-9)
        << "the label of 20000 is pulled in to end at the axis's right end";
    const AxisLabel& secondLast = ticks.labels[ticks.labels.size() - 2];
    EXPECT_NEAR(secondLast.x, view.xOf(19000) - 4.0 * static_cast<double>(secondLast.text.size()),
                1e-9)
        << "a label that fits is centred on its tick";
}

struct PlacementRow {
    const char* name;
    double tickX;
    std::size_t characters;
    double left;
};

const PlacementRow kPlacementRows[] = {
    {"centred on its tick", 500, 3, 488},
    {"five characters at x = 3 start at 0", 3, 5, 0},
    {"tick just left of the axis still on screen", -0.5, 3, 0},
    {"tick off screen keeps its place", -1.5, 3, -13.5},
    {"label just fitting on the left", 12, 3, 0},
    {"label just fitting on the right", 988, 3, 976},
    {"label running past the right end", 998, 3, 976},
    {"tick just right of the axis still on screen", 1000.9, 3, 976},
    {"tick off screen on the right keeps its place", 1001.5, 3, 989.5},
};

TEST(AxisLabels, StayOnTheAxisWhileTheirTickIsOnScreen) {
    for (const PlacementRow& row : kPlacementRows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(labelLeftEdge(row.tickX, row.characters), row.left);
    }
}

TEST(AxisLabels, FiveCharacterLabelNearTheLeftEndStartsAtZero) {
    // Linear 100 nm from 1009.7 nm: the tick at 1010 nm lies at x = 3 and reads "1.01µ".
    const SpectrumView view = viewOf(Linear, 1059.7, 100);
    const AxisTicks ticks = axisTicks(view);
    ASSERT_NEAR(view.xOf(1010), 3, 1e-6);
    const auto label = std::find_if(ticks.labels.begin(), ticks.labels.end(),
                                    [](const AxisLabel& l) { return l.text == "1.01" + kMicro; });
    ASSERT_NE(label, ticks.labels.end());
    EXPECT_EQ(label->x, 0) << "not at 3 - 20 = -17";
    EXPECT_EQ(label->upperY, kLevelBUpper);
}

TEST(AxisTicks, LinearWidthOf250UsesNanometreStepsWithoutTheirMarksOrMiddleLabels) {
    const SpectrumView view = viewOf(Linear, 575, 250);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 1);
    EXPECT_EQ(ticks.values, range(450, 700, 1));
    EXPECT_TRUE(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 523).empty());
    EXPECT_EQ(labelTexts(ticks), textsOf({500, 600, 700})) << "level A only";

    const AxisTicks narrower = axisTicks(viewOf(Linear, 575, 249));
    EXPECT_FALSE(ticksWithMark(narrower, view, AxisMarkKind::Line, 524, 523).empty());
    EXPECT_GT(narrower.labels.size(), 3u) << "level B appears below 250 nm";
}

TEST(AxisTicks, LogarithmicWidthOf500HasNoNanometreMarks) {
    const SpectrumView view = viewOf(Logarithmic, 575, 500);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticks.step, 1);
    EXPECT_EQ(ticks.values, range(325, 825, 1));
    EXPECT_TRUE(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 523).empty());
}

TEST(AxisTicks, LogarithmicNanometreMarksBelow100nmInMediumViews) {
    // 10..130 nm: too wide for marks on every nanometre, but below 100 nm they are drawn.
    const SpectrumView view = viewOf(Logarithmic, 75, 130);
    const AxisTicks ticks = axisTicks(view);
    EXPECT_EQ(ticksWithMark(ticks, view, AxisMarkKind::Line, 524, 523), range(10, 140, 1))
        << "below 150 nm every nanometre is marked";
    const SpectrumView wider = viewOf(Logarithmic, 210, 400);
    EXPECT_EQ(ticksWithMark(axisTicks(wider), wider, AxisMarkKind::Line, 576, 577),
              range(10, 99, 1));
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

TEST(AxisTicks, EveryValidViewHasABoundedListAndLabelsOnTheAxis) {
    const double kWidths[] = {10,  14.5, 29,   100,  169,  200,  249,  250,   251,   499,  500,
                              501, 999,  2000, 2100, 2500, 7000, 9000, 10000, 10001, 19990};
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (double width : kWidths) {
            for (double leftEnd : {10.0, 333.3, 999.5, 9995.0, 20000 - width}) {
                SpectrumView view = viewOf(scale, leftEnd + width / 2, width);
                view.clampView();
                const AxisTicks ticks = axisTicks(view);
                SCOPED_TRACE(std::string(scaleName(scale)) + " width " + std::to_string(width) +
                             " from " + std::to_string(leftEnd));
                EXPECT_GE(ticks.values.size(), 2u);
                EXPECT_LE(ticks.values.size(), 502u);
                EXPECT_TRUE(std::is_sorted(ticks.values.begin(), ticks.values.end()));
                // A label is moved onto the axis when its tick is on screen, and only then.
                for (const AxisLabel& label : ticks.labels) {
                    const auto tick = std::find_if(
                        ticks.values.begin(), ticks.values.end(),
                        [&](std::int32_t t) { return formatWavelength(t) == label.text; });
                    ASSERT_NE(tick, ticks.values.end()) << label.text;
                    const double tickX = view.xOf(*tick);
                    if (tickX <= -1 || tickX >= 1001) continue;
                    const double end = label.x + 8.0 * static_cast<double>(label.text.size());
                    EXPECT_GE(label.x, 0) << label.text << " at x " << tickX;
                    EXPECT_LE(end, 1000 + 1e-9) << label.text << " at x " << tickX;
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorvanta
