// The view's arithmetic, the wheel's anchored zoom, pixel rounding, wavelength colours, the colour
// band's blocks and the axis ticks: pure functions of a view, checked against worked values.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

#include "spectrum/anchored_zoom.h"
#include "spectrum/axis.h"
#include "spectrum/pixel.h"
#include "spectrum/wavelength_colour.h"

namespace quorvanta {

std::ostream& operator<<(std::ostream& out, const Intensities& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::string kMicro(1, kMicroSign);
constexpr std::int32_t Log = Logarithmic;

SpectrumView viewOf(std::int32_t scale, double centre, double width) {
    SpectrumView view = SpectrumView::startValues();
    view.scale = scale;
    view.viewCentre = centre;
    view.viewWidth = width;
    return view;
}

// The start view shows 350..800 nm on the logarithmic scale, whose middle column shows the
// geometric mean of the ends. Rows: scale, centre, width, wavelength, its x (NaN: no position).
// Columns round halves away from zero and clamp every input.
TEST(SpectrumView, MapsWavelengthsToColumnsAndBack) {
    const SpectrumView start = SpectrumView::startValues();
    EXPECT_EQ(std::tuple(start.scale, start.leftEnd(), start.rightEnd()),
              std::tuple(Log, 350., 800.));
    const double rows[][5] = {
        {Log, 575, 450, 350, 0},     {Linear, 575, 450, 800, 1000},
        {Log, 575, 450, 0, kNaN},    {Linear, 575, 450, kNaN, kNaN},
        {Linear, 575, 450, 350, 0},  {Linear, 10005, 19990, 10005, 500},
        {Log, 575, 450, 800, 1000},  {Log, 575, 450, std::sqrt(350. * 800), 500},
        {Log, 575, 450, kNaN, kNaN}, {Log, 15, 10, std::sqrt(200.), 500},
        {Log, 575, 450, -kInf, kNaN}};
    for (const auto& [scale, centre, width, wavelength, x] : rows) {
        SCOPED_TRACE(::testing::Message()
                     << wavelength << " nm in " << centre << " / " << width << ", scale " << scale);
        const SpectrumView view = viewOf(std::int32_t(scale), centre, width);
        if (std::isnan(x)) {
            EXPECT_TRUE(std::isnan(view.xOf(wavelength)));
        } else {
            EXPECT_NEAR(view.xOf(wavelength), x, 1e-9);
            EXPECT_NEAR(view.wavelengthAt(x), wavelength, 1e-9 * centre);
        }
    }
    const std::pair<double, std::optional<std::int32_t>> pixels[] = {
        {0.5, 1}, {-0.5, -1}, {2.4999, 2}, {DBL_MAX, 1'000'000}, {-kInf, -1'000'000}, {kNaN, {}}};
    for (const auto& [value, pixel] : pixels) {
        std::int32_t out = 12345;
        EXPECT_EQ(roundToPixel(value, out), pixel.has_value()) << value;
        EXPECT_EQ(out, pixel.value_or(12345)) << value;
    }
}

// centreOn(a, b) puts a in the middle of a view b nm wide, fitRange(a, b) shows a..b widened by
// half, and clampView, after them or alone on the view a / b, keeps the view within 10..20000 nm
// and at least 10 nm wide.
TEST(SpectrumView, MovesZoomsAndClampsToTheDisplayableRange) {
    enum Op { Clamp, Centre, Fit };
    const std::tuple<Op, std::int32_t, double, double, double, double> rows[] = {
        {Clamp, Log, 575, 450, 575, 450},      {Centre, Log, 1000, 100, 1001.24921972504, 100},
        {Clamp, Log, 12, 4, 15, 10},           {Fit, Log, 3000, 12000, 9031.19593409422, 13500},
        {Clamp, Log, 20000, 4, 19995, 10},     {Clamp, Log, 19900, 450, 19775, 450},
        {Clamp, Log, 100, 450, 235, 450},      {Clamp, Log, 575, 25000, 10005, 19990},
        {Clamp, Log, 575, kNaN, 10005, 19990}, {Clamp, Log, 575, 19995, 10005, 19990},
        {Clamp, Log, kNaN, 450, 10005, 450},   {Clamp, Log, 575, DBL_MAX, 10005, 19990},
        {Clamp, Log, kInf, 450, 19775, 450},   {Centre, Log, 1000, kNaN, 10005, 19990},
        {Clamp, Log, -kInf, 450, 235, 450},    {Fit, Linear, -kInf, kInf, 10005, 19990},
        {Centre, Linear, 532, 20, 532, 20},    {Fit, Log, DBL_MAX, DBL_MAX, 19995, 10},
        {Centre, Log, kNaN, 100, 10005, 100},  {Fit, Linear, 400, 900, 650, 750},
        {Fit, Log, 500, 500, 500, 10},         {Fit, Log, 400, 700, 575, 450}};
    for (const auto& [op, scale, a, b, centre, width] : rows) {
        const char* const ops[] = {"clampView on", "centreOn", "fitRange"};
        SCOPED_TRACE(::testing::Message()
                     << ops[op] << " " << a << ", " << b << ", scale " << scale);
        SpectrumView view = viewOf(scale, 575, 450);
        if (op == Clamp) view = viewOf(scale, a, b);
        if (op == Centre) view.centreOn(a, b);
        if (op == Fit) view.fitRange(a, b);
        view.clampView();
        EXPECT_NEAR(view.viewCentre, centre, 1e-9 * centre);
        EXPECT_NEAR(view.viewWidth, width, 1e-9 * centre);
    }
    // The wheel's zoom keeps the wavelength under column x there; the width is held within its
    // limits, and the ends are left for the caller to clamp. Rows: scale, centre, width, x, width
    // asked for, width given.
    const double zooms[][6] = {
        {Linear, 575, 450, 333, 405, 405},   {Log, 575, 450, 333, 405, 405},
        {Log, 5000, 9000, 3, 10000, 10000},  {Log, 1064, 21, 0, 23.3, 23.3},
        {Log, 19000, 12, 800, 10.8, 10.8},   {Log, 700, 10, 250, 9, 10},
        {Linear, 10000, 100, 999, 111, 111}, {Log, 10005, 19990, 700, 22211, 19990},
        {Linear, 700, 10, 250, 9, 10},       {Linear, 235, 450, 900, 500, 500}};
    for (const auto& [scale, centre, width, x, asked, given] : zooms) {
        SCOPED_TRACE(::testing::Message() << "scale " << scale << ", " << centre << " / " << width
                                          << " at " << x << " to " << asked);
        SpectrumView view = viewOf(std::int32_t(scale), centre, width);
        const double wavelength = view.wavelengthAt(x);
        zoomAboutColumn(view, x, asked);
        EXPECT_DOUBLE_EQ(view.viewWidth, given);
        EXPECT_NEAR(view.wavelengthAt(x), wavelength, wavelength * 1e-12);
    }
}

TEST(WavelengthColour, FollowsTheTableInsideTheSpectrumAndTilesTheBand) {
    constexpr Intensities kUltraviolet{15073, 10486, 15073}, kInfrared{15073, 10486, 10486};
    const std::pair<double, Intensities> rows[] = {
        {349.9, kUltraviolet},   {350, {0, 0, 0}},           {488, {0, 43317, 36444}},
        {532, {6102, 52428, 0}}, {632.8, {49829, 10841, 0}}, {694.3, {32583, 0, 0}},
        {800, {0, 0, 0}},        {800.1, kInfrared},         {kNaN, kUltraviolet},
        {-kInf, kUltraviolet},   {kInf, kInfrared}};
    for (const auto& [wavelength, colour] : rows)
        EXPECT_EQ(wavelengthIntensities(wavelength), colour) << wavelength << " nm";
    // Each piece of the table starts where the one below it ends.
    for (double turn : {381, 412, 444, 485, 526, 555, 586, 645, 723}) {
        const Intensities at = wavelengthIntensities(turn);
        const Intensities below = wavelengthIntensities(std::nextafter(turn, 0.0));
        EXPECT_LE(std::abs(at.red - below.red) + std::abs(at.green - below.green) +
                      std::abs(at.blue - below.blue),
                  2)
            << turn << " nm gives " << at << ", just below " << below;
    }
    // Blocks tile the band from column 0, each sampled one column right of its left edge; a
    // logarithmic view wholly outside the spectrum is first filled with one tone. Rows: scale,
    // centre, width, that tone's wavelength (0: none), block width, blocks, the last block's right
    // column.
    const double bands[][7] = {
        {Log, 575, 200, 0, 5, 200, 999},   {Linear, 575, 200, 0, 1, 1000, 999},
        {Log, 575, 200.5, 0, 4, 250, 999}, {Linear, 575, 400, 0, 4, 250, 999},
        {Log, 575, 401, 0, 3, 334, 1001},  {Linear, 575, 750, 0, 3, 334, 1001},
        {Log, 575, 751, 0, 2, 500, 999},   {Log, 950, 100, 1000, 5, 200, 999},
        {Log, 200, 200, 300, 0, 0, 0},     {Linear, 200, 200, 0, 1, 1000, 999},
        {Log, 850, 100, 0, 5, 200, 999},   {Log, 300, 100, 0, 5, 200, 999}};
    for (const auto& [scale, centre, width, tone, blockWidth, blocks, last] : bands) {
        SCOPED_TRACE(::testing::Message() << "scale " << scale << ", " << centre << " / " << width);
        const SpectrumView view = viewOf(std::int32_t(scale), centre, width);
        const ColourBandPlan plan = colourBandPlan(view);
        EXPECT_EQ(plan.wholeBandFirst ? plan.wholeBandWavelength : 0, tone);
        EXPECT_EQ(plan.blockWidth, blockWidth);
        ASSERT_EQ(plan.blocks.size(), std::size_t(blocks));
        std::int32_t next = 0;
        for (const BandBlock& block : plan.blocks) {
            ASSERT_EQ(std::tuple(block.x1, block.x2, block.wavelength),
                      std::tuple(next, next + blockWidth - 1, view.wavelengthAt(next + 1)));
            next = block.x2 + 1;
        }
        EXPECT_EQ(next - 1, blocks > 0 ? last : -1);
    }
}

// Labels read as the shortest decimals in the right unit.
TEST(AxisTicks, TextsStepsAndLabelPlacesFollowTheView) {
    const std::pair<double, std::string> rows[] = {
        {999, "999"},     {999.5, "0.9995" + kMicro},  {999999, "999.999" + kMicro},
        {632.8, "632.8"}, {1064, "1.064" + kMicro},    {0.1 + 0.2, "0.30000000000000004"},
        {1e6, "1mm"},     {1152.3, "1.1523" + kMicro}, {1e-7, "0.0000001"},
        {-0.0, "0"},      {20000, "20" + kMicro},      {kNaN, ""},
        {kInf, ""},       {1234567.8, "1.2345678mm"}};
    for (const auto& [value, text] : rows)
        EXPECT_EQ(formatWavelength(value), text) << value;
    EXPECT_EQ(formatWavelength(DBL_MAX).size(), 312u) << "309 digits, the point moved, \"mm\"";
    // The step (1, 10, 100 or 1000 nm) grows with the width; every view gets the ticks first..last
    // one step apart and the number of labels given, and a view with no sensible ticks gets none.
    // Which ticks are marked and labelled how is read from the picture in the render tests.
    const double steps[][3] = {{Linear, 250, 1},    {Linear, 250.5, 10},  {Linear, 2500, 10},
                               {Linear, 2501, 100}, {Linear, 10000, 100}, {Linear, 10001, 1000},
                               {Log, 500, 1},       {Log, 500.5, 10},     {Log, 2000, 10},
                               {Log, 2001, 100}};
    for (const auto& [scale, width, step] : steps)
        EXPECT_EQ(tickStep(std::int32_t(scale), width), step) << "scale " << scale << ", " << width;
    const double views[][6] = {{Linear, 575, 450, 350, 800, 5},
                               {Linear, 575, 250, 450, 700, 3},
                               {Linear, 575, 249, 450, 699, 25},
                               {Linear, 532, 30, 517, 547, 3},
                               {Linear, 532, 20, 522, 542, 21},
                               {Linear, 10005, 19990, 0, 20000, 20},
                               {Log, 10005, 19990, 100, 20000, 8},
                               {Log, 575, 500, 325, 825, 5},
                               {Log, 75, 130, 10, 140, 14},
                               {Log, 210, 400, 10, 410, 4},
                               {Log, kNaN, 450, 0, 0, 0},
                               {Linear, 575, kInf, 0, 0, 0},
                               {Log, -kInf, 450, 0, 0, 0},
                               {Linear, 5e9, 10, 0, 0, 0},
                               {Log, 0, 1e12, 0, 0, 0},
                               {Linear, 575, DBL_MAX, 0, 0, 0}};
    for (const auto& [scale, centre, width, first, last, labels] : views) {
        SCOPED_TRACE(::testing::Message() << "scale " << scale << ", " << centre << " / " << width);
        const AxisTicks ticks = axisTicks(viewOf(std::int32_t(scale), centre, width));
        const std::vector<std::int32_t>& v = ticks.values;
        EXPECT_EQ(
            std::tuple(v.empty() ? 0 : v.front(), v.empty() ? 0 : v.back(), v.size(),
                       ticks.marks.empty(), ticks.labels.size()),
            std::tuple(first, last, std::size_t(labels == 0 ? 0 : (last - first) / ticks.step + 1),
                       labels == 0, std::size_t(labels)));
    }
    // Three characters, 24 pixels, centred on their tick unless that crosses an end of the axis
    // while the tick is on screen.
    const std::pair<double, double> edges[] = {{-0.5, 0},  {-1, -13},     {12, 0},    {988, 976},
                                               {998, 976}, {1000.9, 976}, {1001, 989}};
    for (const auto& [tickX, left] : edges)
        EXPECT_DOUBLE_EQ(labelLeftEdge(tickX, 3), left) << "tick at " << tickX;
}

}  // namespace
}  // namespace quorvanta
