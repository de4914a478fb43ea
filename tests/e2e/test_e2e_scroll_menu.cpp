// A right click on a scroll bar, with the real binary: Qt's context menu of a scroll bar moved the
// thumb behind the program's back ("Scroll here", "Left edge", ...). The bars offer no menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

// The pixels of a main-window rectangle on the screen.
std::vector<Rgb> pixelsOf(const Screenshot& screen, const Rect& main, const Rect& part) {
    std::vector<Rgb> pixels;
    for (int y = part.y; y < part.y + part.height; ++y)
        for (int x = part.x; x < part.x + part.width; ++x)
            pixels.push_back(screen.at(main.x + x, main.y + y));
    return pixels;
}

TEST_F(ViewerEndToEnd, RightClickOnAScrollBarLeavesTheBarAndTheSpectrumAsTheyWere) {
    installShippedCatalogue();
    const WindowId main = startViewer();
    ASSERT_NE(main, 0u);
    const Rect at = geometryOf(main);
    const Rect spectrum{0, 0, kMainWidth, 600};
    // The screen shows the pointer: it stands off the window whenever the screen is read.
    const Point away{2, 2};
    for (const auto& [bar, name] : {std::pair{kHorizontalBar, "HBar"}, {kVerticalBar, "VBar"}}) {
        SCOPED_TRACE(name);
        windows_->moveTo(away);
        const Screenshot before = display_->grab();
        // Right of the thumb (HBar) and below it (VBar): where "Scroll here" would move it to.
        windows_->click(onScreen(main, bar.x + bar.width * 4 / 5, bar.y + bar.height * 4 / 5),
                        DisplayWindows::kRight);
        windows_->moveTo(away);
        // A menu or a moved thumb would show within this time.
        const bool changed = waitUntil(
            [&] {
                const Screenshot now = display_->grab();
                return pixelsOf(before, at, bar) != pixelsOf(now, at, bar) ||
                       pixelsOf(before, at, spectrum) != pixelsOf(now, at, spectrum);
            },
            500ms);
        EXPECT_FALSE(changed) << "the bar or the spectrum changed";
    }
    quitWithZero(main);
}

}  // namespace
}  // namespace quorvanta::e2e
