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
using Placement = quorvanta::testing::ToolkitFixture;

int scrollBar() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// Where a window stands at start-up: its stored position while a 100 x 50 part of its top 100
// rows lies on a screen; otherwise centred on 1280 x 1024, lifted, at the size it is shown at,
// and kept on the screen.
TEST_F(Placement, AStoredPositionIsUsedWhileTheTopOfTheWindowIsOnAScreen) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test runs on two screens";
    const std::int32_t tallY = 512 - (402 + scrollBar()) / 2;  // a scroll bar below the grid
    struct Row {
        const char* name;
        std::int32_t savedX, savedY, width, height, lift, x, y;
    };
    const Row table[] = {
        {"no position", -1, -1, 1000, 700, 0, 140, 162},
        {"partly off the right edge", 1180, 100, 1000, 700, 0, 1180, 100},
        {"99 pixels left on the right", 1181, 100, 1000, 700, 0, 140, 162},
        {"partly off the bottom", 100, 974, 1000, 700, 0, 100, 974},
        {"49 rows left at the bottom", 100, 975, 1000, 700, 0, 140, 162},
        {"top 50 rows above the screen", 100, -50, 1000, 700, 0, 100, -50},
        {"top 51 rows above the screen", 100, -51, 1000, 700, 0, 140, 162},
        {"(-1, 5)", -1, 5, 200, 47, 0, -1, 5},
        {"a small window whole in a corner", 1230, 977, 50, 47, 0, 1230, 977},
        {"on the screen left of the first", -1000, 100, 1000, 700, 0, -1000, 100},
        {"on the left screen, lifted", -1024, 0, 640, 504, 50, -1024, 0},
        {"below the left screen, beside the first", -500, 800, 400, 200, 0, 440, 412},
        {"far right", 30000, 100, 1000, 700, 0, 140, 162},
        {"far left", -30000, 10, 1000, 700, 0, 140, 162},
        {"the int32 extremes", INT32_MAX, INT32_MIN, 1000, 700, 0, 140, 162},
        {"out of reach, lifted", 5000, -5000, 640, 504, 50, 320, 210},
        {"wider than the screen: centred at the shown width", -1, -1, 4652, 402, 0, 0, tallY},
        {"out of reach, wider than the screen", 99999, 0, 4652, 402, 0, 0, tallY},
        {"centred and lifted partly off the screen", -1, -1, 640, 1000, 50, 320, -38},
        {"out of reach, then kept on the screen", -9999, -9999, 640, 1000, 50, 320, 0},
    };
    for (const Row& row : table) {
        std::int32_t x = 0, y = 0;
        windowPosition(row.savedX, row.savedY, 1280, 1024, row.width, row.height, row.lift, x, y);
        EXPECT_EQ(QPoint(x, y), QPoint(row.x, row.y)) << row.name;
    }
    // Kept on the screen that holds most of it, moved the least.
    const std::pair<QPoint, QPoint> kept[] = {{{1000, 900}, {640, 520}},
                                              {{-1100, 100}, {-1024, 100}}};
    for (const auto& [at, expected] : kept) {
        std::int32_t x = at.x(), y = at.y();
        XuiKeepWindowOnScreen(x, y, 640, 504);
        EXPECT_EQ(QPoint(x, y), expected) << "from " << at.x() << "," << at.y();
    }
}

TEST_F(Placement, AWindowLargerThanItsScreenScrollsOverItsGrid) {
    const std::tuple<const char*, QRect, bool, bool> table[] = {
        {"fits", {0, 0, 1280, 1024}, false, false},
        {"too wide", {0, 300, 4652, 402}, true, false},
        {"too high", {0, 0, 300, 2000}, false, true},
        {"too wide and too high", {0, 0, 3000, 3000}, true, true},
        {"too wide, then too high for its scroll bar", {0, 0, 2000, 1024}, true, true},
        {"on the smaller left screen", {-1024, 0, 1100, 700}, true, false},
    };
    for (const auto& [name, design, sideways, upright] : table) {
        const std::int32_t grid =
            makeWindow(design.width(), design.height(), design.x(), design.y(), false);
        const QRect screen = QGuiApplication::screenAt(design.topLeft())->availableGeometry();
        const QSize shown(
            std::min(design.width() + (upright ? scrollBar() : 0), screen.width()),
            std::min(design.height() + (sideways ? scrollBar() : 0), screen.height()));
        std::int32_t fitWidth = design.width(), fitHeight = design.height();
        XuiFitWindowSize(design.x(), design.y(), fitWidth, fitHeight);
        const auto reported = ask(grid, "GetWindowSize");
        EXPECT_EQ(QRect(reported[0], 0, reported[2], reported[3]), QRect({design.x(), 0}, shown))
            << name << ": where and how large it is shown";
        EXPECT_EQ(QSize(fitWidth, fitHeight), shown) << name << ": what start-up centres";
        EXPECT_EQ(widgetOf(grid)->size(), design.size()) << name << ": the grid keeps its size";
        EXPECT_EQ(topOf(grid)->findChild<QScrollArea*>() != nullptr, sideways || upright) << name;
    }
}

// Regression: the main picture zooms with the wheel; in a window larger than the screen the same
// notch also scrolled the window. A grid that follows the pointer keeps its wheel; any other
// leaves it to its window (whose scrolling the medium window's end-to-end tests show).
TEST_F(Placement, OnlyAGridThatIgnoresTheWheelLetsTheWindowScroll) {
    const std::int32_t grid = makeWindow(4652, 402, 0, 300),
                       tracked = makeWindow(4652, 402, 0, 300);
    XuiTrackPointer(tracked);
    std::vector<bool> taken;
    for (const std::int32_t g : {grid, tracked}) {
        QWheelEvent event({100, 100}, widgetOf(g)->mapToGlobal(QPointF(100, 100)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widgetOf(g), &event);
        taken.push_back(event.isAccepted());
    }
    EXPECT_EQ(taken, std::vector({false, true})) << "taken by the grid that follows the pointer";
    EXPECT_EQ(deliver().size(), 2u) << "both grids report their notch";
}

}  // namespace
