// The picture on the main grid as start-up makes it (1000 x 700, drawing into an image buffer),
// read back pixel by pixel, and the record of the lines it drew.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/catalogue_image.h"
#include "core/program.h"
#include "spectrum/axis.h"
#include "spectrum/pixel.h"
#include "toolkit/toolkit.h"

namespace quorvanta::test {
namespace {

using testing::CatalogueImage;
using Rgb = std::uint32_t;                                   // 0xRRGGBB
using Lines = std::vector<std::pair<std::int32_t, double>>;  // (medium number, wavelength)
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kWidth = 1000, kHeight = 700, kBandTop = 525, kBandBottom = 575;
constexpr std::int32_t Log = Logarithmic;

Rgb rgbOf(const Intensities& c) {
    return XgrColourRGB(XgrRGBColour(c.red, c.green, c.blue));
}
const Rgb kWhite = XgrColourRGB(124), kMarks = XgrColourRGB(93), kTickLabels = XgrColourRGB(62),
          kBlack = XgrColourRGB(0);

// Loads a catalogue of the media (phase gas) and lines, as its file would; medium m is selected
// unless selected[m - 1] is 0.
void install(const Lines& lines, const std::vector<std::string>& media = {"M"},
             std::vector<std::int32_t> selected = {}) {
    CatalogueImage catalogue;
    for (const std::string& name : media)
        catalogue.medium(name, "gas");
    for (const auto& [medium, wavelength] : lines)
        catalogue.line(media[std::size_t(medium) - 1], wavelength);
    TransitionDatabase db;
    db.minWavelength = 20000;
    db.maxWavelength = 10;
    ASSERT_EQ(loadTransitionDatabase(catalogue.bytes(), "catalogue", db).status,
              LoadReport::Status::Loaded);
    selected.resize(media.size(), 1);
    std::copy(selected.begin(), selected.end(), db.mediumSelected.begin() + 1);
    program.database = std::move(db);
}

Lines evenly(int count, double first, double step) {
    Lines lines;
    for (int i = 0; i < count; ++i)
        lines.emplace_back(1, first + step * i);
    return lines;
}

class Render : public ::testing::Test {
  protected:
    void SetUp() override {
        program = Program{};
        XgrResetToolkit();
        std::int32_t window = 0, buffer = 0, x = 0, y = 0, width = kWidth, height = kHeight;
        XgrCreateWindow(window, 0, 0, 0, kWidth, kHeight, 0, 0);
        XuiCreateGrid(grid_, 0, x, y, width, height, window, 0, nullptr);
        XgrCreateGrid(buffer, kImageGridType, 0, 0, kWidth, kHeight, window, grid_, nullptr);
        XgrSetGridBuffer(grid_, buffer, 0, 0);
        XgrSetBackgroundColor(grid_, 93);  // as start-up sets it
        program.mainWindow = grid_;
        program.passCount = 5;  // past the start-up redraw
        show(Linear, 575, 450);
    }

    // Sets the view from the start values and redraws it as every caller does.
    static void show(std::int32_t scale, double centre, double width) {
        program.view = SpectrumView::startValues();
        program.view.scale = scale;
        program.view.viewCentre = centre;
        program.view.viewWidth = width;
        DrawSpectrum(centre, width);
    }
    static void redraw() { DrawSpectrum(program.view.viewCentre, program.view.viewWidth); }
    // The column a wavelength is drawn in, -1 when it has no place.
    static std::int32_t columnOf(double wavelength) {
        std::int32_t column = -1;
        roundToPixel(program.view.xOf(wavelength), column);
        return column;
    }
    static auto extent() { return std::pair(program.view.selectedMin, program.view.selectedMax); }
    Rgb pixel(std::int32_t x, std::int32_t y) const {
        std::int32_t red = 0, green = 0, blue = 0, colour = 0;
        XgrGrabPoint(grid_, x, y, red, green, blue, colour);
        return XgrColourRGB(colour);
    }
    // The pixels of x1..x2 x y1..y2, clipped to the grid, row by row.
    std::vector<Rgb> box(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
        std::vector<Rgb> pixels;
        for (std::int32_t y = std::max(y1, 0); y <= std::min(y2, kHeight - 1); ++y)
            for (std::int32_t x = std::max(x1, 0); x <= std::min(x2, kWidth - 1); ++x)
                pixels.push_back(pixel(x, y));
        return pixels;
    }
    std::int64_t count(Rgb colour, int x1, int y1, int x2, int y2) const {
        return std::ranges::count(box(x1, y1, x2, y2), colour);
    }
    // The top row of the white line in column x, unbroken up from the band; -1 when there is none.
    std::int32_t lineTop(std::int32_t x) const {
        std::int32_t top = kBandTop;
        while (top > 0 && pixel(x, top - 1) == kWhite)
            --top;
        return top == kBandTop ? -1 : top;
    }
    // Whether the last character of the label of a line in column x raised by offset shows pixels
    // of the colour: the whole label is there.
    bool labelShown(Rgb colour, std::int32_t x, std::int32_t offset, double wavelength) const {
        const auto end = x + static_cast<std::int32_t>(8 * formatWavelength(wavelength).size());
        return count(colour, end - 8, 488 - offset, end - 1, 497 - offset) > 0;
    }

    std::int32_t grid_ = 0;
};

// Per row: a band column of known colour (-1: none), then a tick's marks as ten characters a side
// of the band from its edge outwards ('#' the marks' colour), the same one pixel left and right of
// it, and its label's level: A at rows 500 and 588, B 505 / 583, C 510 / 578, or - for none.
TEST_F(Render, ColourBandAndTicksLandOnTheirPixels) {
    constexpr Intensities kUv{15073, 10486, 15073}, kIr{15073, 10486, 10486},
        kGreen{6102, 52428, 0};
    const std::tuple<std::int32_t, double, double, std::int32_t, Intensities, std::int32_t,
                     std::string>
        rows[] = {{Linear, 532, 20, 499, kGreen, 531, "##........ .......... .......... C"},
                  {Linear, 532, 20, 499, kGreen, 530, "#####..... .......... .......... B"},
                  {Linear, 575, 450, 999, {}, 400, "########## .......... .......... A"},
                  {Linear, 575, 250, -1, {}, 451, ".......... .......... .......... -"},
                  {Linear, 10005, 19990, 0, kUv, 19000, "########## ########## ########## A"},
                  {Log, 10005, 19990, 0, kUv, 1000, "########## .....##### .....##### A"},
                  {Log, 10005, 19990, 0, kUv, 6000, "########## .....##### .....##### -"},
                  {Log, 10005, 19990, 0, kUv, 10000, "########## ########## ########## A"},
                  {Log, 5000, 1000, 999, kIr, 4550, ".......... .......... .......... -"},
                  {Log, 200, 100, 999, kUv, 200, "########## .......... .......... A"},
                  {Log, 75, 130, 0, kUv, 120, "#####..... .......... .......... B"}};
    auto marks = [this](std::int32_t x) {
        std::string above, below;
        for (std::int32_t d = 1; d <= 10; ++d) {
            above += pixel(x, kBandTop - d) == kMarks ? '#' : '.';
            below += pixel(x, kBandBottom + d) == kMarks ? '#' : '.';
        }
        return above == below ? above : above + "/" + below;  // above / below when they differ
    };
    for (const auto& [scale, centre, width, column, colour, tick, expected] : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "scale " << scale << ", " << centre << " / " << width << ", tick " << tick);
        show(scale, centre, width);
        if (column >= 0) {
            EXPECT_EQ(box(column, kBandTop, column, kBandBottom),
                      std::vector<Rgb>(51, rgbOf(colour)));
        }
        const std::int32_t x = columnOf(tick);
        const auto half = static_cast<std::int32_t>(4 * formatWavelength(tick).size());
        // The top row of label pixels over the tick; glyphs start a row or more below their cell.
        auto labelTop = [&](std::int32_t y, std::int32_t bottom) {
            while (y <= bottom && count(kTickLabels, x - half, y, x + half - 1, y) == 0)
                ++y;
            return y > bottom ? 0 : y;
        };
        const std::int32_t upper = labelTop(495, 524), lower = labelTop(576, 599);
        char level = upper == 0 && lower == 0 ? '-' : '?';
        for (const auto& [name, up, low] :
             {std::tuple('A', 500, 588), std::tuple('B', 505, 583), std::tuple('C', 510, 578)}) {
            if (upper >= up && upper <= up + 4 && lower >= low && lower <= low + 4) level = name;
        }
        EXPECT_EQ(marks(x) + " " + marks(x - 1) + " " + marks(x + 1) + " " + level, expected);
    }
}

// Crowded lines, closer than their label's width and two characters, climb 10 pixels above the
// one before, up to 410 pixels, where they lose their label. Lines stop at x = 950 on the linear
// scale and at 985 on the logarithmic one; labels that would pass 985 are left out, lines without
// a place take no part. Label texts are cached across redraws but follow the catalogue: 741, then
// 377.01 for line 1. Each line stays white, unbroken, from its top down to the band.
TEST_F(Render, EmissionLinesClimbWhenCrowdedAndStopAtTheirScalesLimit) {
    std::pair<std::vector<double>, std::vector<std::int32_t>> crowd;  // 2 nm (4.4 pixels) apart
    for (std::int32_t i = 0; i < 46; ++i) {
        crowd.first.push_back(i < 45 ? 400.5 + 2 * i : 700.5);  // and then one alone
        crowd.second.push_back(i < 45 ? std::min(10 * i, 410) : 0);
    }
    // Rows: name, scale, wavelengths and their lines' offsets (-1: not drawn), and 'y' where the
    // label shows, 'n' where not, '-' unchecked.
    using Row = std::tuple<const char*, std::int32_t, decltype(crowd), std::string>;
    const Row rows[] = {
        Row("45 crowded lines, then one alone", Linear, crowd, std::string(41, 'y') + "nnnny"),
        Row("log limits", Log, {{741, 784.12, 789.88, 790.27}, {0, 0, 10, -1}}, "ynn-"),
        Row("a six-character label's room is 64 pixels: x = 60", Linear, {{377.01}, {10}}, "y"),
        Row("x = 65", Linear, {{379.25}, {0}}, "y"),
        Row("left of the picture, still counting", Linear, {{340.87, 363.64}, {10, 20}}, "yy"),
        Row("far left of the picture", Linear, {{259.87, 354.64}, {0, 0}}, "ny"),
        Row("a later lower line leaves an earlier one's top", Linear,
            {{440.0, 441.4, 442.7, 665.0, 442.7}, {0, 10, 20, 0, 0}}, "yyyyy"),
        Row("a later line as high paints over the labels between", Linear,
            {{420.0, 422.0, 442.7, 665.0, 436.9, 440.0, 442.7}, {0, 10, 20, 0, 0, 10, 20}},
            "yyyyyyy"),
        Row("linear limits", Linear, {{768.5, 777.23, 777.59, 773.1234}, {0, 10, -1, 20}}, "yn-n"),
        Row("no place on the log scale", Log,
            {{532, 0, -5, kNaN, -kInf, 1e308, 533}, {0, -1, -1, -1, -1, -1, 10}}, "y-----y"),
        Row("no place on the linear scale", Linear,
            {{532, kNaN, kInf, -1e308, 1e308, 533}, {0, -1, -1, -1, -1, 10}}, "y----y")};
    const Rgb labelColour = XgrColourRGB(MediumColour(2));  // not white
    for (const auto& [name, scale, drawn, labels] : rows) {
        SCOPED_TRACE(name);
        const auto& [wavelengths, offsets] = drawn;
        Lines lines;
        for (double wavelength : wavelengths)
            lines.emplace_back(2, wavelength);
        install(lines, {"Dye", "He-Ne"}, {0, 1});
        show(scale, 575, 450);
        std::map<std::int32_t, std::int32_t> highest;  // column -> its highest line's offset
        for (std::size_t i = 0; i < wavelengths.size(); ++i) {
            const std::int32_t column = columnOf(wavelengths[i]);
            std::int32_t& top = highest.try_emplace(column, -1).first->second;
            top = std::max(top, offsets[i]);
            if (labels[i] != '-') {
                EXPECT_EQ(labelShown(labelColour, column, offsets[i], wavelengths[i]),
                          labels[i] == 'y')
                    << "label of " << wavelengths[i] << " nm";
            }
        }
        for (const auto& [column, offset] : highest)
            if (column >= 0 && column < kWidth) {
                EXPECT_EQ(lineTop(column), offset < 0 ? -1 : 500 - offset) << "column " << column;
            }
    }
}

// A line is drawn for the last selected medium of its name, in that medium's colour. The extent of
// the selected lines counts those outside the view, but only finite ones, and starts afresh.
TEST_F(Render, LinesTakeTheLastSelectedMediumOfTheirNameAndGiveTheExtent) {
    install({{1, 514.5}, {2, 20}, {1, 15000}, {2, 700}, {1, 100}, {2, kInf}, {3, kNaN}},
            {"Ar-ion", "Kr-ion", "Ar-ion"});
    const std::int32_t column = columnOf(514.5);
    const std::tuple<std::vector<std::int32_t>, std::int32_t, double, double> rows[] = {
        {{1, 0, 1}, 3, 100, 15000},
        {{1, 0, 0}, 1, 100, 15000},
        {{0, 1, 1}, 3, 20, 15000},
        {{0, 1, 0}, 0, 20, 700},
        {{0, 0, 0}, 0, 20000, 10}};
    for (const auto& [selected, medium, low, high] : rows) {
        SCOPED_TRACE("selected " + ::testing::PrintToString(selected));
        std::copy(selected.begin(), selected.end(), program.database.mediumSelected.begin() + 1);
        redraw();
        EXPECT_EQ(lineTop(column), medium == 0 ? -1 : 500);
        for (std::int32_t m : {1, 3})
            EXPECT_EQ(labelShown(XgrColourRGB(MediumColour(m)), column, 0, 514.5), m == medium)
                << m;
        EXPECT_EQ(extent(), std::pair(low, high));
    }
    install({{1, 532}, {1, 1e308}, {1, -1e308}, {1, 5e-324}});
    for (std::int32_t scale : {Log, std::int32_t{Linear}}) {
        show(scale, 10005, 19990);
        EXPECT_EQ(extent(), std::pair(-1e308, 1e308)) << "scale " << scale;
    }
}

// The record of the lines drawn, looked up under a pointer's column: exactly the lines drawn, for
// the medium they were drawn for (both media share the name, so the second), nearest first (equal
// distances in stored order), within three columns either side, the nearest eight and the count.
TEST_F(Render, TheLinesFoundUnderAColumnAreThoseDrawn) {
    // Rows: name, lines, the wavelength in the pointer's column, the lines found and the count.
    using Found = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (line, medium)
    using Row = std::tuple<const char*, Lines, double, Found, std::size_t>;
    const Row rows[] = {
        // 350..850 nm, 2 pixels a nanometre
        Row("one column", {{1, 600.0}, {1, 600.2}, {1, 600.1}, {1, 600.2}}, 600.2,
            {{1, 2}, {3, 2}, {2, 2}, {4, 2}}, 4),
        Row("three columns", {{1, 601.5}, {1, 598.0}, {1, 598.5}}, 600, {{1, 2}, {3, 2}}, 2),
        Row("past the linear limit", {{1, 830}}, 830, {}, 0),
        Row("climbed past its label", evenly(50, 600, 1), 644, {{45, 2}, {44, 2}, {46, 2}}, 3),
        Row("the nearest eight", evenly(12, 600, 0.1), 600,
            {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}}, 12)};
    for (const auto& [name, lines, pointer, expected, total] : rows) {
        SCOPED_TRACE(name);
        install(lines, {"Dye", "Dye"});
        show(Linear, 600, 500);
        const LinesNear near = program.drawnLines.near(columnOf(pointer), 8);
        Found found;
        for (const DrawnLine& line : near.nearest)
            found.emplace_back(line.transition, line.medium);
        EXPECT_EQ(found, expected);
        EXPECT_EQ(near.count, total);
    }
    // It is the record of the picture: a medium deselected since stays until the next redraw.
    install({{1, 600.0}, {2, 600.1}}, {"Ar", "Kr"});
    redraw();
    program.database.mediumSelected[2] = 0;
    EXPECT_EQ(program.drawnLines.near(columnOf(600), 8).count, 2u);
    redraw();
    EXPECT_EQ(program.drawnLines.near(columnOf(600), 8).count, 1u);
}

// The bits of 63 - k, k = (m - 1) mod 64: bits 0 and 5 red, 1 and 4 green, 2 and 3 blue.
TEST_F(Render, MediumColoursSpreadTheBitsOfTheNumberOverThePrimaries) {
    const std::pair<std::int32_t, Intensities> rows[] = {
        {1, {65535, 65535, 65535}},  {2, {32767, 65535, 65535}},   {3, {65535, 32767, 65535}},
        {9, {65535, 65535, 49151}},  {17, {65535, 49151, 65535}},  {33, {49151, 65535, 65535}},
        {64, {16383, 16383, 16383}}, {200, {32767, 32767, 32767}}, {65535, {49151, 16383, 16383}},
        {0, {65535, 65535, 65535}},  {-7, {65535, 65535, 65535}}};
    for (const auto& [medium, c] : rows)
        EXPECT_EQ(mediumIntensities(medium), c) << medium;
}

TEST_F(Render, LegendPutsEightNamesInAColumnAndStartsTheNextAfterTheLongest) {
    const std::vector<std::string> names = {
        "Nd:YAG", "He-Ne",       "Ar-ion",           "Kr-ion", "CO2",
        "Ruby",   "Ti:sapphire", "Rhodamine 6G dye", "N2",     "Alexandrite"};
    install({}, names);
    redraw();
    // The second column starts at x = 5 + (16 + 1) * 8 = 141.
    for (const auto& [m, x, y] : {std::tuple(1, 5, 1), std::tuple(8, 5, 71), std::tuple(9, 141, 1),
                                  std::tuple(10, 141, 11)}) {
        SCOPED_TRACE(names[std::size_t(m) - 1]);
        const Rgb colour = XgrColourRGB(MediumColour(m));
        const auto width = static_cast<std::int32_t>(8 * names[std::size_t(m) - 1].size());
        EXPECT_EQ(
            std::tuple(count(colour, 0, y, x - 1, y + 9), count(colour, x, y, x + 7, y + 9) > 0,
                       count(colour, x + width, y, kWidth - 1, y + 9)),
            std::tuple(0, true, 0))
            << "left of its column, its first character, past its end";
    }
}

// Only the start-up redraw, pass 2, shows the picture from x = 180 and the version line; the
// others show the title, ending at x = 980, on the grid's dark grey.
TEST_F(Render, StartUpRedrawShowsThePictureAndVersionInsteadOfTheTitle) {
    const std::int32_t shade = XgrRGBColour(0x9000, 0x3000, 0x1000);
    XgrCreateGrid(program.programImage, kImageGridType, 0, 0, 640, 480, 0, 0, nullptr);
    XgrFillBox(program.programImage, shade, 0, 0, 639, 479);
    const auto titleLeft = static_cast<std::int32_t>(
        980 - 8 * (std::string(kProgramName).size() + 1 + std::string(kVersion).size()));
    for (std::int32_t pass : {1, 2, 3}) {
        program.passCount = pass;
        redraw();
        EXPECT_EQ(
            std::tuple(pixel(500, 240) == XgrColourRGB(shade), pixel(180, 0) == XgrColourRGB(shade),
                       pixel(179, 40), count(XgrColourRGB(18), 0, 480, kWidth - 1, 489) > 0,
                       count(XgrColourRGB(31), titleLeft, 2, 980, 11) > 0,
                       count(XgrColourRGB(31), 981, 0, kWidth - 1, 11)),
            std::tuple(pass == 2, pass == 2, pass == 2 ? kBlack : rgbOf({0x2000, 0x2000, 0x2000}),
                       pass == 2, pass != 2, 0))
            << "pass " << pass << ": picture, its corner, beside it, version line, title, past 980";
    }
}

}  // namespace
}  // namespace quorvanta::test
