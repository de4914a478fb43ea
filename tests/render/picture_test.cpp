// The picture as a whole: legend, title and start-up picture, caption, medium colours, and the
// two ways of finding a line's medium.
#include <string>
#include <tuple>
#include <vector>

#include "common/synthetic_catalogue.h"
#include "render_fixture.h"

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

// The bits of 63 - k, k = (m - 1) mod 64: bit 0 and 5 red, 1 and 4 green, 2 and 3 blue.
const MediumColourRow kMediumColourRows[] = {
    {"medium 1 is white", 1, {65535, 65535, 65535}},
    {"medium 2 lacks bit 0", 2, {32767, 65535, 65535}},
    {"medium 3 lacks bit 1", 3, {65535, 32767, 65535}},
    {"medium 4 lacks bits 0 and 1", 4, {32767, 32767, 65535}},
    {"medium 9 lacks bit 3", 9, {65535, 65535, 49151}},
    {"medium 17 lacks bit 4", 17, {65535, 49151, 65535}},
    {"medium 33 lacks bit 5", 33, {49151, 65535, 65535}},
    {"medium 64 is a dark grey", 64, {16383, 16383, 16383}},
    {"medium 65 is white again", 65, {65535, 65535, 65535}},
    {"medium 200 as 8 (k = 7)", 200, {32767, 32767, 32767}},
    {"the largest catalogue's last medium, 65535, as 63", 65535, {49151, 16383, 16383}},
    {"medium 0 takes the colour of medium 1", 0, {65535, 65535, 65535}},
    {"a negative number takes the colour of medium 1", -7, {65535, 65535, 65535}},
};

TEST(MediumColour, SpreadsTheBitsOfTheMediumNumberOverThePrimaries) {
    for (const MediumColourRow& row : kMediumColourRows) {
        SCOPED_TRACE(row.name);
        const Intensities c = mediumIntensities(row.medium);
        EXPECT_EQ(std::tuple(c.red, c.green, c.blue),
                  std::tuple(row.colour.red, row.colour.green, row.colour.blue));
        EXPECT_EQ(rgbOfColour(MediumColour(row.medium)), rgbOf(row.colour));
    }
}

}  // namespace

TEST_F(RenderTest, LegendPutsEightNamesInAColumnAndStartsTheNextAfterTheLongestName) {
    const std::vector<std::string> names = {
        "Nd:YAG", "He-Ne",       "Ar-ion",           "Kr-ion", "CO2",
        "Ruby",   "Ti:sapphire", "Rhodamine 6G dye", "N2",     "Alexandrite"};
    CatalogueImage catalogue;
    for (const std::string& name : names)
        catalogue.medium(name, "gas");
    install(catalogue);
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
        EXPECT_EQ(countPixels(colour, 0, at.y, at.x - 1, at.y + 9), 0) << "left of its column";
        EXPECT_GT(countPixels(colour, at.x, at.y, at.x + 7, at.y + 9), 0) << "first character";
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

    for (std::int32_t passCount : {1, 2, 3}) {
        SCOPED_TRACE("passCount " + std::to_string(passCount));
        const bool startUp = passCount == 2;
        program.passCount = passCount;
        redraw();
        EXPECT_EQ(pixel(500, 240) == rgbOf(pictureColour), startUp) << "picture at (500, 240)";
        EXPECT_EQ(pixel(180, 0) == rgbOf(pictureColour), startUp) << "picture's corner";
        EXPECT_EQ(pixel(179, 40), startUp ? kBlack : kHeaderColour) << "left of the picture";
        EXPECT_EQ(countPixels(kVersionColour, 0, 480, kGridWidth - 1, 489) > 0, startUp)
            << "version line";
        EXPECT_EQ(countPixels(kTitleColour, titleLeft, 2, 980, 11) > 0, !startUp) << "title";
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
    // Media 41..150 take the names of media 1..40: names are shared, and the lines of the names
    // they gave up name no medium at all. Two media in three are selected.
    TransitionDatabase db = testing::syntheticCatalogue(150, 3000);
    for (std::int32_t m = 1; m <= 150; ++m) {
        db.media[std::size_t(m)] =
            makeMedium("laser medium " + std::to_string((m - 1) % 40 + 1), "gas");
        db.mediumSelected[std::size_t(m)] = m % 3 != 0;
    }
    db.resolveMediumNames();
    program.database = std::move(db);

    const std::tuple<std::int32_t, double, double> kViews[] = {{Logarithmic, 575, 450},
                                                               {Linear, 575, 450},
                                                               {Logarithmic, 10005, 19990},
                                                               {Linear, 532, 20}};
    for (const auto& [scale, centre, width] : kViews) {
        SCOPED_TRACE(::testing::Message() << "scale " << scale << ", " << centre << " / " << width);
        setView(scale, centre, width);
        // Each rendering starts from the same blank grid, so neither inherits from the other.
        XgrFillBox(grid_, 124, 0, 0, kGridWidth - 1, kGridHeight - 1);
        drawSpectrumWith(centre, width, shownMediumByFullScan);
        const std::vector<Rgb> scanned = wholePicture();
        const double scannedMin = program.view.selectedMin;
        const double scannedMax = program.view.selectedMax;
        ASSERT_LT(scannedMin, scannedMax) << "the catalogue should show lines";
        XgrFillBox(grid_, 124, 0, 0, kGridWidth - 1, kGridHeight - 1);
        redraw();
        EXPECT_EQ(program.view.selectedMin, scannedMin);
        EXPECT_EQ(program.view.selectedMax, scannedMax);
        const std::vector<Rgb> resolved = wholePicture();
        std::size_t differing = 0;
        for (std::size_t i = 0; i < resolved.size(); ++i)
            differing += resolved[i] != scanned[i];
        EXPECT_EQ(differing, 0u) << "pixels differing between the two lookups";
    }
}

}  // namespace quorvanta::test
