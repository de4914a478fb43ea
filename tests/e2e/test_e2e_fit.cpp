// Windows that always fit the screen: a medium window wider than the display scrolls over its
// toggles, and a main window stored where no screen shows it comes back centred.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "spectrum/spectrum_view.h"
#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::CatalogueImage;

// Six hundred media, 4,652 pixels of toggles; medium i has one line at 360 + 0.7 i nm, all of
// them inside the start view and each in a column of its own.
constexpr int kHandbookMedia = 600;
double lineOf(int medium) {
    return 360.0 + 0.7 * medium;
}

std::vector<std::uint8_t> handbookCatalogue() {
    CatalogueImage catalogue;
    for (int i = 1; i <= kHandbookMedia; ++i)
        catalogue.medium("Medium " + std::to_string(i), i % 2 ? "gas" : "solid");
    for (int i = 1; i <= kHandbookMedia; ++i)
        catalogue.line("Medium " + std::to_string(i), lineOf(i));
    return catalogue.bytes();
}

// Wheel notches as X numbers the buttons.
constexpr int kWheelUp = 4, kWheelDown = 5;

TEST_F(ViewerEndToEnd, AMediumWindowWiderThanTheDisplayScrollsToItsLastToggle) {
    installCatalogue(handbookCatalogue());
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    const Rect mainAt = geometryOf(main);
    clickKid(main, kSelectByMediumButton);
    const WindowId media = waitForWindow(kMediaTitle);
    ASSERT_NE(media, 0u);

    const Rect shown = geometryOf(media);
    EXPECT_EQ(shown.x, 0) << "centred at the display's width";
    EXPECT_EQ(shown.width, VirtualDisplay::kWidth);
    EXPECT_GT(shown.height, kMediaHeight) << "the toggles' 20 rows and a scroll bar below them";
    EXPECT_GE(shown.y, 0);
    EXPECT_LE(shown.y + shown.height, VirtualDisplay::kHeight);

    // The wheel scrolls the window sideways, as far as it goes; the last toggle then stands at
    // the right end of the window.
    const Point over = onScreen(media, shown.width / 2, kMediaHeight / 2);
    const int designWidth = mediaWindowWidth(kHandbookMedia);
    const int notches = (designWidth - shown.width) / kMediaColumnWidth + 2;
    for (int i = 0; i < notches; ++i)
        windows_->click(over, kWheelDown);
    Rect last = mediumToggle(kHandbookMedia);
    last.x -= designWidth - shown.width;
    clickKid(media, last);
    // And back to Close, which uncovers the main window's plot.
    for (int i = 0; i < notches; ++i)
        windows_->click(over, kWheelUp);
    clickKid(media, kMediaCloseButton);
    EXPECT_TRUE(waitUntilHidden(kMediaTitle));

    const int expected =
        static_cast<int>(std::lround(SpectrumView::startValues().xOf(lineOf(kHandbookMedia))));
    std::vector<int> seen;
    const bool drawn = waitUntil(
        [&] {
            seen = lineColumns(display_->grab(), mainAt);
            return !seen.empty();
        },
        kWindowTimeout);
    ASSERT_TRUE(drawn) << "no line after clicking the last medium's toggle";
    EXPECT_EQ(seen, std::vector<int>{expected})
        << "the line of medium " << kHandbookMedia << " stands in column " << expected;
    quitWithZero(main);
}

TEST_F(ViewerEndToEnd, AMainWindowStoredOffEveryScreenShowsCentredAndQuits) {
    installShippedCatalogue();
    const Rect noPosition{kNoPosition, kNoPosition, 0, 0};
    quorvanta::testing::writeFile(
        settingsFile(), settingsBytes({Rect{30000, 30000, kMainWidth, kMainHeight}, noPosition,
                                       noPosition, noPosition}));
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    const Placements centre = expectedCentredPlacements();
    EXPECT_EQ(geometryOf(main), centre[0]);
    quitWithZero(main);
    const std::optional<Placements> written = writtenPlacements();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ((*written)[0], centre[0]) << "the file holds where the window really stood";
}

}  // namespace
}  // namespace quorvanta::e2e
