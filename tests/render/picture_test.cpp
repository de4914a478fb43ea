// The picture as a whole: legend, title and start-up picture, caption, medium colours, and the
// two ways of finding a line's medium.
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/program.h"
#include "render_fixture.h"
#include "spectrum/renderer.h"
#include "toolkit/toolkit.h"

namespace quorvanta::test {

namespace {

const Rgb kBlack = rgbOfColour(0);
const Rgb kTitleColour = rgbOfColour(31);
const Rgb kVersionColour = rgbOfColour(18);
const Rgb kHeaderColour = rgbOf({0x2000, 0x2000, 0x2000});

struct MediumColourRow {
    const char* name;
    std::int32_t medium;
    Intensities colour;
};

const MediumColourRow kMediumColourRows[] = {
    {"medium 1 is white", 1, {65535, 65535, 65535}},
    {"medium 2", 2, {32767, 65535, 65535}},
    {"medium 3", 3, {65535, 32767, 65535}},
    {"medium 4", 4, {32767, 32767, 65535}},
    {"medium 9", 9, {65535, 65535, 49151}},
    {"medium 64 is a dark grey", 64, {16383, 16383, 16383}},
    {"medium 65 is white again", 65, {65535, 65535, 65535}},
    {"medium 128 as 64", 128, {16383, 16383, 16383}},
    {"medium 129 wraps to white", 129, {65535, 65535, 65535}},
    {"medium 200 as 8 (k = 7)", 200, {32767, 32767, 32767}},
    {"the largest catalogue's last medium, 65535, as 63", 65535, {49151, 16383, 16383}},
    {"medium 0 takes the colour of medium 1", 0, {65535, 65535, 65535}},
    {"a negative number takes the colour of medium 1", -7, {65535, 65535, 65535}},
};

TEST(MediumColour, SpreadsTheBitsOfTheMediumNumberOverThePrimaries) {
    for (const MediumColourRow& row : kMediumColourRows) {
        SCOPED_TRACE(row.name);
        const Intensities colour = mediumIntensities(row.medium);
        EXPECT_EQ(colour.red, row.colour.red);
        EXPECT_EQ(colour.green, row.colour.green);
        EXPECT_EQ(colour.blue, row.colour.blue);
        EXPECT_EQ(rgbOfColour(MediumColour(row.medium)), rgbOf(row.colour));
    }
}

}  // namespace

TEST_F(RenderTest, LegendPutsEightNamesInAColumnAndStartsTheNextAfterTheLongestName) {
    const std::vector<std::string> names = {
        "Nd:YAG", "He-Ne",       "Ar-ion",           "Kr-ion", "CO2",
        "Ruby",   "Ti:sapphire", "Rhodamine 6G dye", "N2",     "Alexandrite"};
    CatalogueBuilder catalogue;
    for (const std::string& name : names)
        catalogue.medium(name);
    catalogue.install();
    redraw();
    // The longest of the first eight names has 16 characters: the second column starts at
    // x = 5 + 17 * 8 = 141 with the ninth name at y = 1, then the tenth at y = 11.
    struct Placement {
        std::int32_t medium, x, y;
    };
    for (const Placement& at :
         {Placement{1, 5, 1}, Placement{8, 5, 71}, Placement{9, 141, 1}, Placement{10, 141, 11}}) {
        SCOPED_TRACE(names[std::size_t(at.medium) - 1]);
        const Rgb colour = rgbOfColour(MediumColour(at.medium));
        const auto width = static_cast<std::int32_t>(8 * names[std::size_t(at.medium) - 1].size());
        const std::int32_t left = leftmostColumn(colour, 0, at.y, kGridWidth - 1, at.y + 9);
        EXPECT_GE(left, at.x) << "name starts left of its column";
        EXPECT_LT(left, at.x + 8) << "name missing or not at its column";
        EXPECT_EQ(countPixels(colour, at.x + width, at.y, kGridWidth - 1, at.y + 9), 0)
            << "name runs past its " << width << " pixels";
    }
}

TEST_F(RenderTest, StartUpRedrawShowsThePictureAndVersionInsteadOfTheTitle) {
    const Intensities pictureColour{0x9000, 0x3000, 0x1000};
    std::int32_t picture = 0;
    XgrCreateGrid(picture, kImageGridType, 0, 0, 640, 480, 0, 0, nullptr);
    XgrFillBox(picture, XgrRGBColour(pictureColour.red, pictureColour.green, pictureColour.blue), 0,
               0, 639, 479);
    program.programImage = picture;
    const std::string title = std::string(kProgramName) + " " + kVersion;
    const auto titleLeft = static_cast<std::int32_t>(980 - 8 * title.size());

    struct Pass {
        std::int32_t passCount;
        bool startUp;
    };
    for (const Pass& pass : {Pass{1, false}, Pass{2, true}, Pass{3, false}}) {
        SCOPED_TRACE("passCount " + std::to_string(pass.passCount));
        program.passCount = pass.passCount;
        redraw();
        EXPECT_EQ(pixel(500, 240) == rgbOf(pictureColour), pass.startUp) << "picture at (500, 240)";
        EXPECT_EQ(pixel(180, 0) == rgbOf(pictureColour), pass.startUp) << "picture's corner";
        EXPECT_EQ(pixel(179, 40), pass.startUp ? kBlack : kHeaderColour) << "left of the picture";
        EXPECT_EQ(countPixels(kVersionColour, 0, 480, kGridWidth - 1, 489) > 0, pass.startUp)
            << "version line";
        EXPECT_EQ(countPixels(kTitleColour, titleLeft, 2, 980, 11) > 0, !pass.startUp) << "title";
        EXPECT_EQ(countPixels(kTitleColour, 981, 0, kGridWidth - 1, 11), 0) << "title past 980";
    }
}

TEST_F(RenderTest, EachScaleCaptionCoversTheOtherCompletely) {
    // The caption's box: eleven characters from (740, 684).
    constexpr std::int32_t kLeft = 740, kTop = 684, kRight = 740 + 88 - 1, kBottom = 684 + 9;
    auto caption = [this] {
        std::vector<Rgb> box;
        for (std::int32_t y = kTop; y <= kBottom; ++y)
            for (std::int32_t x = kLeft; x <= kRight; ++x)
                box.push_back(pixel(x, y));
        return box;
    };
    for (std::int32_t scale : {Linear, Logarithmic}) {
        SCOPED_TRACE(scale == Linear ? "Linear after Logarithmic" : "Logarithmic after Linear");
        // Alone on a box of white...
        XgrFillBox(grid_, 124, kLeft, kTop, kRight, kBottom);
        program.view.scale = scale;
        redraw();
        const std::vector<Rgb> alone = caption();
        // ...and after the other caption.
        program.view.scale = 1 - scale;
        redraw();
        program.view.scale = scale;
        redraw();
        EXPECT_EQ(caption(), alone) << "leftovers of the other caption";
        EXPECT_GT(countPixels(rgbOfColour(93), kLeft, kTop, kRight, kBottom), 0)
            << "drawn on the grid's background";
        EXPECT_GT(countPixels(kBlack, kLeft, kTop, kRight, kBottom), 0) << "black text";
    }
}

TEST_F(RenderTest, ResolvedRelationAndFullScanGiveTheSamePicture) {
    // Media sharing names, some selected, and transitions naming media that do not exist.
    std::mt19937 random(20240611);
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("medium " + std::to_string(i));
    CatalogueBuilder catalogue;
    std::uniform_int_distribution<std::size_t> anyName(0, names.size() - 1);
    std::bernoulli_distribution selected(0.5);
    for (int m = 0; m < 150; ++m)
        catalogue.medium(names[anyName(random)], selected(random));
    std::uniform_real_distribution<double> decade(1.0, std::log10(20000.0));
    std::uniform_int_distribution<int> unknown(0, 9);
    for (int k = 0; k < 3000; ++k) {
        const double wavelength = std::round(std::pow(10.0, decade(random)) * 10) / 10;
        catalogue.line(unknown(random) == 0 ? "no such medium" : names[anyName(random)],
                       wavelength);
    }
    catalogue.install();

    struct View {
        const char* name;
        std::int32_t scale;
        double centre, width;
    };
    for (const View& view :
         {View{"logarithmic start", Logarithmic, 575, 450}, View{"linear start", Linear, 575, 450},
          View{"logarithmic full range", Logarithmic, 10005, 19990},
          View{"linear 20 nm", Linear, 532, 20}}) {
        SCOPED_TRACE(view.name);
        setView(view.scale, view.centre, view.width);
        // Each rendering starts from the same blank grid, so neither inherits from the other.
        XgrFillBox(grid_, 124, 0, 0, kGridWidth - 1, kGridHeight - 1);
        drawSpectrumWith(view.centre, view.width, shownMediumByFullScan);
        const std::vector<Rgb> scanned = wholePicture();
        const double scannedMin = program.view.selectedMin;
        const double scannedMax = program.view.selectedMax;
        ASSERT_LT(scannedMin, scannedMax) << "the catalogue should show lines";
        XgrFillBox(grid_, 124, 0, 0, kGridWidth - 1, kGridHeight - 1);
        DrawSpectrum(view.centre, view.width);
        EXPECT_EQ(program.view.selectedMin, scannedMin);
        EXPECT_EQ(program.view.selectedMax, scannedMax);
        const std::vector<Rgb> resolved = wholePicture();
        std::size_t differing = 0;
        for (std::size_t i = 0; i < resolved.size(); ++i)
            differing += resolved[i] != scanned[i];
        EXPECT_EQ(differing, 0u) << "pixels differing between the two lookups";
    }
}

// Saves the start view with a few lasers for a look by eye, when QUORVANTA_SAVE_RENDER is set.
TEST_F(RenderTest, SavesAPictureForInspection) {
    const char* wanted = std::getenv("QUORVANTA_SAVE_RENDER");
    if (wanted == nullptr || *wanted == '\0') GTEST_SKIP() << "QUORVANTA_SAVE_RENDER not set";
    CatalogueBuilder catalogue;
    catalogue.medium("He-Ne").medium("Ar-ion").medium("Nd:YAG").medium("Kr-ion").medium("CO2",
                                                                                        false);
    for (double w : {632.8, 543.5, 594.1, 611.9, 3391.3, 1152.3})
        catalogue.line("He-Ne", w);
    for (double w : {488.0, 514.5, 457.9, 476.5, 496.5, 501.7, 465.8, 472.7, 351.1, 363.8})
        catalogue.line("Ar-ion", w);
    for (double w : {1064.0, 532.0, 355.0, 946.0, 1319.0})
        catalogue.line("Nd:YAG", w);
    for (double w : {647.1, 568.2, 530.9, 676.4, 752.5, 413.1})
        catalogue.line("Kr-ion", w);
    catalogue.line("CO2", 10600.0);
    catalogue.install();
    for (std::int32_t scale : {Logarithmic, Linear}) {
        setView(scale, 575, 450);
        redraw();
        const std::string path =
            scale == Logarithmic ? "/tmp/quorvanta-render.png" : "/tmp/quorvanta-render-linear.png";
        EXPECT_TRUE(XgrSaveGridImage(grid_, path)) << path;
    }
}

}  // namespace quorvanta::test
