// The hover readout of the real binary: resting the pointer on a line brings up a box beside it
// that names the line; leaving the picture or pressing on the band takes it away, and the
// band's gestures work as ever.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "spectrum/renderer.h"
#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::CatalogueImage;

// The readout's frame and its inside, and how far its corner stands from the pointer.
constexpr Rgb kFrame{0x80, 0x80, 0x80};
constexpr Rgb kInside{0x20, 0x20, 0x20};
constexpr int kPointerGap = 16;

constexpr int kBandRow = 550;

// In the start view, 350..800 nm on the logarithmic scale, 632.816 nm stands in column 716.
constexpr int kLineColumn = 716;
constexpr int kPlotRow = 450;

int eightBit(std::int32_t intensity) {
    return (2 * intensity + 257) / 514;
}

// The readout box whose corner stands right of and below the pointer, when it is shown.
std::optional<Rect> readoutBeside(const Screenshot& screen, Point pointer) {
    const int left = pointer.x + kPointerGap, top = pointer.y + kPointerGap;
    if (screen.at(left, top) != kFrame || screen.at(left + 2, top + 2) != kInside)
        return std::nullopt;
    Rect box{left, top, 0, 0};
    while (left + box.width < screen.width() && screen.at(left + box.width, top) == kFrame)
        ++box.width;
    while (top + box.height < screen.height() && screen.at(left, top + box.height) == kFrame)
        ++box.height;
    return box;
}

bool holds(const Screenshot& screen, const Rect& box, const Rgb& colour) {
    for (int y = box.y; y < box.y + box.height; ++y)
        for (int x = box.x; x < box.x + box.width; ++x)
            if (screen.at(x, y) == colour) return true;
    return false;
}

class ReadoutEndToEnd : public ViewerEndToEnd {
  protected:
    Point mainPoint(int x, int y) const { return onScreen(main_, x, y); }

    // Waits until the screen shows a readout beside the pointer, or none; the box when shown.
    std::optional<Rect> waitForReadout(Point pointer, bool shown) {
        std::optional<Rect> box;
        const bool arrived = waitUntil(
            [&] {
                box = readoutBeside(display_->grab(), pointer);
                return box.has_value() == shown;
            },
            kWindowTimeout);
        EXPECT_TRUE(arrived) << (shown ? "no readout beside the pointer"
                                       : "the readout is still there");
        return box;
    }

    WindowId main_ = 0;
};

TEST_F(ReadoutEndToEnd, RestingOnALineNamesItAndLeavingOrPressingTakesItAway) {
    CatalogueImage catalogue;
    catalogue.medium("Dye", "liquid").medium("He-Ne", "gas").line("He-Ne", 632.816);
    installCatalogue(catalogue.bytes());
    main_ = startViewer();
    ASSERT_NE(main_, 0u);
    ASSERT_TRUE(selectEveryMedium(main_));
    const Rect main = geometryOf(main_);
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::vector<int> lines = lineColumns(display_->grab(), main);
            return lines == std::vector<int>{kLineColumn};
        },
        kWindowTimeout))
        << "the He-Ne line is not in column " << kLineColumn;

    const Point onLine = mainPoint(kLineColumn, kPlotRow);
    windows_->moveTo(onLine);
    const std::optional<Rect> box = waitForReadout(onLine, true);
    ASSERT_TRUE(box.has_value());
    EXPECT_GT(box->width, 100) << *box;
    EXPECT_GT(box->height, 20) << *box;
    const Intensities heNe = mediumIntensities(2);
    EXPECT_TRUE(holds(display_->grab(), *box,
                      {eightBit(heNe.red), eightBit(heNe.green), eightBit(heNe.blue)}))
        << "no swatch in He-Ne's colour in the readout " << *box;

    windows_->moveTo(mainPoint(kLineColumn, 650));
    waitForReadout(onLine, false);
    windows_->moveTo(onLine);
    waitForReadout(onLine, true);
    windows_->moveTo({main.x - 40, main.y + kPlotRow});
    waitForReadout(onLine, false);

    // A press on the band takes the readout away; the drag then zooms as ever: 632.816 nm moves
    // to the column the dragged interval gives it.
    const Point bandStart = mainPoint(250, kBandRow);
    windows_->moveTo(bandStart);
    waitForReadout(bandStart, true);
    windows_->press(bandStart);
    waitForReadout(bandStart, false);
    windows_->moveTo(mainPoint(500, kBandRow));
    windows_->release(mainPoint(750, kBandRow));
    const double a = 350 * std::pow(800.0 / 350, 0.25), b = 350 * std::pow(800.0 / 350, 0.75);
    const int zoomed =
        static_cast<int>(std::lround(std::log10(632.816 / a) / std::log10(b / a) * 1000));
    EXPECT_TRUE(
        waitUntil([&] { return lineColumns(display_->grab(), main) == std::vector<int>{zoomed}; },
                  kWindowTimeout))
        << "after the drag the line is not in column " << zoomed;
    EXPECT_FALSE(readoutBeside(display_->grab(), mainPoint(750, kBandRow)).has_value())
        << "a readout came back after the drag with no move";
    quitWithZero(main_);
}

}  // namespace
}  // namespace quorvanta::e2e
