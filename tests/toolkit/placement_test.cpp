// Windows on the screens, on Qt's offscreen platform given two screens (two_screens.json): the
// primary one, 1280 x 1024 at (0, 0), and a second one of 1024 x 768 left of it.

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <tuple>

#include "toolkit/grid_pattern.h"
#include "toolkit_fixture.h"

namespace {

using namespace quorvanta;
using namespace quorvanta::testing;

class Placement : public ToolkitFixture {
  protected:
    void SetUp() override {
        ToolkitFixture::SetUp();
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test runs on two screens";
    }
    static int scrollBar() {
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
};

TEST_F(Placement, APositionIsUsedWhileA100By50PartOfTheWindowsTopIsOnAScreen) {
    const std::tuple<const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, bool>
        table[] = {
            {"on the primary screen", 140, 162, 1000, 700, true},
            {"partly off the right edge", 1180, 100, 1000, 700, true},
            {"99 pixels left on the right", 1181, 100, 1000, 700, false},
            {"partly off the bottom", 100, 974, 1000, 700, true},
            {"49 rows left at the bottom", 100, 975, 1000, 700, false},
            {"top 50 rows above the screen", 100, -50, 1000, 700, true},
            {"top 51 rows above the screen", 100, -51, 1000, 700, false},
            {"(-1, 5)", -1, 5, 200, 47, true},
            {"a small window whole in a corner", 1230, 977, 50, 47, true},
            {"on the screen left of the first", -1000, 100, 1000, 700, true},
            {"below the left screen, beside the first", -500, 800, 400, 200, false},
            {"far right", 30000, 100, 1000, 700, false},
            {"far left", -30000, 100, 1000, 700, false},
            {"far above", 100, -30000, 1000, 700, false},
            {"far below", 100, 30000, 1000, 700, false},
            {"the int32 extremes", INT32_MAX, INT32_MIN, 1000, 700, false},
        };
    for (const auto& [name, x, y, width, height, reachable] : table)
        EXPECT_EQ(XuiWindowReachable(x, y, width, height), reachable) << name;
}

TEST_F(Placement, AStoredPositionOutOfReachIsCentredAndKeptOnScreen) {
    const std::int32_t tallY = 512 - (402 + scrollBar()) / 2;  // a scroll bar below the grid
    struct Row {
        const char* name;
        std::int32_t savedX, savedY, width, height, lift, x, y;
    };
    const Row table[] = {
        {"no position", -1, -1, 1000, 700, 0, 140, 162},
        {"reachable, kept as stored", 1100, 900, 1000, 700, 0, 1100, 900},
        {"on the left screen, kept", -1024, 0, 640, 504, 50, -1024, 0},
        {"off to the right: centred", 30000, 30000, 1000, 700, 0, 140, 162},
        {"off to the left: centred", -30000, 10, 1000, 700, 0, 140, 162},
        {"the About window's lift", 5000, -5000, 640, 504, 50, 320, 210},
        {"wider than the screen: centred at the shown width", -1, -1, 4652, 402, 0, 0, tallY},
        {"out of reach, wider than the screen", 99999, 0, 4652, 402, 0, 0, tallY},
        {"centred and lifted partly off a small screen", -1, -1, 640, 1000, 50, 320, -38},
        {"out of reach, then kept on the screen", -9999, -9999, 640, 1000, 50, 320, 0},
    };
    for (const Row& row : table) {
        std::int32_t x = 0, y = 0;
        windowPosition(row.savedX, row.savedY, 1280, 1024, row.width, row.height, row.lift, x, y);
        EXPECT_EQ(QPoint(x, y), QPoint(row.x, row.y)) << row.name;
    }
}

TEST_F(Placement, AWindowLargerThanItsScreenScrollsOverItsGrid) {
    struct Row {
        const char* name;
        std::int32_t x, y, width, height;
        bool sideways, upright;
    };
    const Row table[] = {
        {"fits", 0, 0, 1280, 1024, false, false},
        {"too wide", 0, 300, 4652, 402, true, false},
        {"too high", 0, 0, 300, 2000, false, true},
        {"too wide and too high", 0, 0, 3000, 3000, true, true},
        {"too wide, then too high for its scroll bar", 0, 0, 2000, 1024, true, true},
        {"on the smaller left screen", -1024, 0, 1100, 700, true, false},
    };
    for (const Row& row : table) {
        const std::int32_t grid = makeWindow(row.width, row.height, row.x, row.y, false);
        const QRect screen = QGuiApplication::screenAt(QPoint(row.x, row.y))->availableGeometry();
        const QSize shown(std::min(row.width + (row.upright ? scrollBar() : 0), screen.width()),
                          std::min(row.height + (row.sideways ? scrollBar() : 0), screen.height()));
        EXPECT_EQ(topOf(grid)->size(), shown) << row.name;
        std::int32_t fitWidth = row.width, fitHeight = row.height;
        XuiFitWindowSize(row.x, row.y, fitWidth, fitHeight);
        EXPECT_EQ(QSize(fitWidth, fitHeight), shown) << row.name << ": what start-up centres";
        EXPECT_EQ(widgetOf(grid)->size(), QSize(row.width, row.height)) << row.name;
        EXPECT_EQ(topOf(grid)->findChild<QScrollArea*>() != nullptr, row.sideways || row.upright)
            << row.name;
        std::int32_t g = grid, m = msg.GetWindowSize, x = 0, y = 0, w = 0, h = 0, k = 0, t = 0;
        XuiGetWindowSize(g, m, x, y, w, h, k, t);
        EXPECT_EQ(QRect(x, 0, w, h), QRect(row.x, 0, shown.width(), shown.height())) << row.name;
    }
}

// Regression: the main picture zooms with the wheel; in a window larger than the screen the same
// notch also scrolled the window. A grid that follows the pointer keeps its wheel; any other
// leaves it to its window, which scrolls sideways while it has nothing to scroll up or down.
TEST_F(Placement, TheWheelScrollsTheWindowUnlessItsGridFollowsThePointer) {
    for (const bool tracked : {false, true}) {
        const std::int32_t grid = makeWindow(4652, 402, 0, 300);
        if (tracked) XuiTrackPointer(grid);
        auto* viewport = topOf(grid)->findChild<QScrollArea*>();
        ASSERT_NE(viewport, nullptr);
        auto wheel = [](QWidget* to, int delta) {
            QWheelEvent event(QPointF(100, 100), to->mapToGlobal(QPointF(100, 100)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(to, &event);
            return event.isAccepted();
        };
        EXPECT_EQ(wheel(widgetOf(grid), -120), tracked) << "taken by the grid, tracked " << tracked;
        EXPECT_FALSE(deliver().empty()) << "the grid reports the notch, tracked " << tracked;
        if (tracked) continue;
        QScrollBar* sideways = viewport->horizontalScrollBar();
        EXPECT_EQ(sideways->maximum(), 4652 - 1280);
        wheel(viewport->viewport(), -120);
        EXPECT_EQ(sideways->value(), 150) << "one notch down: one column to the right";
        wheel(viewport->viewport(), 120);
        EXPECT_EQ(sideways->value(), 0);
        for (int i = 0; i < 40; ++i)
            wheel(viewport->viewport(), -120);
        EXPECT_EQ(sideways->value(), sideways->maximum()) << "the far end can be reached";
    }
}

}  // namespace
