// The medium and phase selection windows, the About window and the state right after start-up.

#include <QWidget>
#include <string>

#include "common/program_fixture.h"

namespace quorvanta::testing {
namespace {

CatalogueImage mediaCatalogue(int count) {
    CatalogueImage catalogue;
    for (int i = 1; i <= count; ++i) {
        const std::string name = "Medium " + std::to_string(i);
        catalogue.medium(name, i % 3 == 0 ? "gas" : i % 3 == 1 ? "solid" : "liquid");
        catalogue.line(name, 400.0 + i);
    }
    return catalogue;
}

class SelectionWindows : public ProgramFixture {
  protected:
    static std::vector<int> selection() {
        std::vector<int> got;
        for (int m = 1; m <= program.database.mediumCount; ++m)
            got.push_back(program.database.mediumSelected[m]);
        return got;
    }
    static std::vector<int> toggles() {
        std::vector<int> got;
        for (int m = 1; m <= program.database.mediumCount; ++m)
            got.push_back(XuiToggleState(XuiGetKid(program.mediaWindow, mediaToggleOffset + m)));
        return got;
    }
};

TEST_F(SelectionWindows, MediumWindowGrowsByAColumnPerTwentyMedia) {
    struct Row {
        int media;
        int width;
        int lastX, lastY;
    };
    const Row rows[] = {{0, 152, 0, 0},
                        {19, 152, 2, 382},
                        {20, 302, 152, 2},
                        {40, 452, 302, 2},
                        {300, 2402, 2252, 2}};
    for (const Row& row : rows) {
        start(mediaCatalogue(row.media));
        auto* window = widgetOf(program.mediaWindow)->window();
        EXPECT_EQ(window->width(), row.width) << row.media << " media";
        EXPECT_EQ(window->height(), 402) << row.media << " media";
        EXPECT_EQ(XuiKidCount(program.mediaWindow), 3 + row.media);
        if (row.media == 0) continue;
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        XuiGetGridBox(XuiGetKid(program.mediaWindow, 3 + row.media), x, y, w, h);
        EXPECT_EQ(x, row.lastX) << row.media << " media";
        EXPECT_EQ(y, row.lastY) << row.media << " media";
        EXPECT_EQ(w, 147);
        EXPECT_EQ(h, 18);
        EXPECT_EQ(XuiGetTextString(XuiGetKid(program.mediaWindow, 3 + row.media)),
                  "Medium " + std::to_string(row.media));
    }
}

TEST_F(SelectionWindows, MediumWindowAllNoneAndToggles) {
    start(mediaCatalogue(6));
    clickKid(program.mainWindow, MediaKid);
    clickKid(program.mediaWindow, 2);  // All
    EXPECT_EQ(selection(), (std::vector<int>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(toggles(), selection());
    clickKid(program.mediaWindow, mediaToggleOffset + 5);
    EXPECT_EQ(selection(), (std::vector<int>{1, 1, 1, 1, 0, 1}));
    EXPECT_EQ(toggles(), selection());
    EXPECT_DOUBLE_EQ(program.view.selectedMax, 406) << "the toggle redrew the spectrum";
    // A toggle's Selection with v3 = 0 changes nothing.
    std::int32_t g = program.mediaWindow, m = msg.Callback, v0 = 0, v1 = 0, v2 = 0, v3 = 0,
                 r0 = mediaToggleOffset + 1, r1 = msg.Selection;
    MediaCallback(g, m, v0, v1, v2, v3, r0, r1);
    EXPECT_EQ(program.database.mediumSelected[1], 1);
    clickKid(program.mediaWindow, 1);  // Close
    EXPECT_FALSE(XuiWindowVisible(program.mediaWindow));
    clickKid(program.mainWindow, MediaKid);
    EXPECT_TRUE(XuiWindowVisible(program.mediaWindow));
    EXPECT_EQ(toggles(), (std::vector<int>{1, 1, 1, 1, 0, 1})) << "reopening keeps the state";
    clickKid(program.mediaWindow, 3);  // None
    EXPECT_EQ(selection(), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(toggles(), selection());
    widgetOf(program.mediaWindow)->window()->close();
    processQueued();
    EXPECT_FALSE(XuiWindowVisible(program.mediaWindow)) << "the frame's close hides it";
}

TEST_F(SelectionWindows, AutoZoomRefitsAfterSelectionChanges) {
    start(mediaCatalogue(6));
    program.view.autoZoom = 1;
    clickKid(program.mediaWindow, 2);  // All: lines 401..406
    EXPECT_DOUBLE_EQ(program.view.viewWidth, 10) << "5 nm of lines, widened and clamped";
    setView(575, 450, Logarithmic);
    clickKid(program.mediaWindow, 3);  // None
    EXPECT_DOUBLE_EQ(program.view.viewCentre, 575);
    EXPECT_DOUBLE_EQ(program.view.viewWidth, 450);
}

TEST_F(SelectionWindows, PhaseButtonsApplyTheirFlagsToEveryMediumOfAKnownPhase) {
    CatalogueImage catalogue;
    catalogue.medium("Nd:YAG", "solid").medium("Rhodamine", "liquid").medium("HeNe", "gas");
    catalogue.medium("Plasma", "plasma").medium("Ti:Sapph", "solid");
    start(catalogue);
    clickKid(program.mainWindow, PhaseKid);
    struct Step {
        const char* name;
        std::int32_t window, kid;
        std::vector<int> selected;
    };
    const std::int32_t phase = program.phaseWindow, media = program.mediaWindow;
    const Step steps[] = {
        {"phase All", phase, 2, {1, 1, 1, 0, 1}},
        {"phase None", phase, 3, {0, 0, 0, 0, 0}},
        {"Solid", phase, 4, {1, 0, 0, 0, 1}},
        {"Solid again", phase, 4, {0, 0, 0, 0, 0}},
        {"medium All", media, 2, {1, 1, 1, 1, 1}},
        {"Solid after medium All", phase, 4, {1, 0, 0, 1, 1}},
        {"medium None", media, 3, {0, 0, 0, 0, 0}},
        {"Liquid after medium None", phase, 5, {1, 1, 0, 0, 1}},
        {"main Clear keeps the flags", program.mainWindow, ClearKid, {0, 0, 0, 0, 0}},
        {"Gas starts from the kept flags", phase, 6, {1, 1, 1, 0, 1}},
    };
    for (const Step& step : steps) {
        clickKid(step.window, step.kid);
        EXPECT_EQ(selection(), step.selected) << step.name;
        EXPECT_EQ(toggles(), step.selected) << step.name;
    }
    clickKid(phase, 1);
    EXPECT_FALSE(XuiWindowVisible(phase));
}

TEST_F(SelectionWindows, AboutLinesTellTheDatabasesSizeAndRange) {
    struct Row {
        const char* name;
        std::vector<double> lines;
        const char* verdict;
    };
    const Row rows[] = {
        {"empty", {}, "All transitions in database are within displayable range."},
        {"exactly 10 and 20000",
         {10, 20000},
         "All transitions in database are within displayable range."},
        {"9.5 nm", {9.5}, "Not all transitions in database are within displayable range."},
        {"20000.5 nm", {20000.5}, "Not all transitions in database are within displayable range."},
    };
    for (const Row& row : rows) {
        CatalogueImage catalogue;
        if (!row.lines.empty()) catalogue.medium("X", "gas");
        for (double w : row.lines)
            catalogue.line("X", w);
        start(catalogue);
        const auto lines = aboutLines();
        EXPECT_EQ(lines[4], row.verdict) << row.name;
        EXPECT_EQ(lines[2], "Database contains " + std::to_string(row.lines.size()) +
                                " discrete transitions in " + (row.lines.empty() ? "0" : "1") +
                                " media.")
            << row.name;
        EXPECT_EQ(lines[3], "Maximum displayable range from 10 nanometers to 20 microns.");
    }
    // The 61-character verdict is centred on x = 320: it starts at 76.
    EXPECT_EQ(320 - 4 * static_cast<int>(aboutLines()[4].size()), 76);
}

TEST_F(SelectionWindows, AboutShowsItsTextOverThePictureAndHidesOnOk) {
    CatalogueImage catalogue;
    start(catalogue);
    clickKid(program.mainWindow, AboutKid);
    processQueued();
    // Line 2 stands at y = 199, on a black fill, in white.
    int white = 0;
    for (int x = 0; x < 640; ++x) {
        std::int32_t r = 0, g = 0, b = 0, colour = 0;
        XgrGrabPoint(program.aboutWindow, x, 203, r, g, b, colour);
        white += XgrColourRGB(colour) == 0xFFFFFF;
    }
    EXPECT_GT(white, 50) << "text pixels on the second line";
    clickKid(program.aboutWindow, 1);
    EXPECT_FALSE(XuiWindowVisible(program.aboutWindow));
}

TEST_F(SelectionWindows, AfterStartUpOnlyTheMainWindowIsVisibleWithEveryTitleSet) {
    start(mediaCatalogue(3));
    EXPECT_TRUE(XuiWindowVisible(program.mainWindow));
    EXPECT_FALSE(XuiWindowVisible(program.aboutWindow));
    EXPECT_FALSE(XuiWindowVisible(program.mediaWindow));
    EXPECT_FALSE(XuiWindowVisible(program.phaseWindow));
    EXPECT_EQ(XuiGetWindowTitle(program.mainWindow), "Quorvanta 132 beta");
    EXPECT_EQ(XuiGetWindowTitle(program.aboutWindow), "About Quorvanta - version 132 beta");
    EXPECT_EQ(XuiGetWindowTitle(program.mediaWindow), "Select By Laser Medium");
    EXPECT_EQ(XuiGetWindowTitle(program.phaseWindow), "Select By Phase");
    EXPECT_EQ(selection(), (std::vector<int>{0, 0, 0}));
    EXPECT_DOUBLE_EQ(program.view.selectedMin, 20000);
    EXPECT_DOUBLE_EQ(program.view.selectedMax, 10);
}

}  // namespace
}  // namespace quorvanta::testing
