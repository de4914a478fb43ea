// Windows on the screens, on Qt's offscreen platform given two screens (two_screens.json): the
// primary one, 1280 x 1024 at (0, 0), and a second one of 1024 x 768 left of it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include "toolkit/grid_pattern.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace {

using namespace quorvanta;

class Placement : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test runs on two screens";
    }
    void TearDown() override { XgrResetToolkit(); }
};

TEST_F(Placement, APositionIsUsedWhileA100By50PartOfTheWindowsTopIsOnAScreen) {
    struct Row {
        const char* name;
        std::int32_t x, y, width, height;
        bool reachable;
    };
    const Row rows[] = {
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
        {"(30000, 30000)", 30000, 30000, 1000, 700, false},
        {"the int32 extremes", INT32_MAX, INT32_MIN, 1000, 700, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(XuiWindowReachable(row.x, row.y, row.width, row.height), row.reachable)
            << row.name;
}

TEST_F(Placement, AStoredPositionOutOfReachIsCentredAndKeptOnScreen) {
    // A window too wide for the screen gets a scroll bar below its grid.
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const std::int32_t tallY = 512 - (402 + bar) / 2;
    struct Row {
        const char* name;
        std::int32_t savedX, savedY, width, height, lift;
        std::int32_t x, y;
    };
    const Row rows[] = {
        {"no position", -1, -1, 1000, 700, 0, 140, 162},
        {"reachable, kept as stored", 1100, 900, 1000, 700, 0, 1100, 900},
        {"on the left screen, kept", -1024, 0, 640, 504, 50, -1024, 0},
        {"off to the right: centred", 30000, 30000, 1000, 700, 0, 140, 162},
        {"off to the left: centred", -30000, 10, 1000, 700, 0, 140, 162},
        {"the About window's lift", 5000, -5000, 640, 504, 50, 320, 210},
        {"wider than the screen: centred at the shown width", -1, -1, 4652, 402, 0, 0, tallY},
        {"out of reach, wider than the screen", 99999, 0, 4652, 402, 0, 0, tallY},
    };
    for (const Row& row : rows) {
        std::int32_t x = 0, y = 0;
        windowPosition(row.savedX, row.savedY, 1280, 1024, row.width, row.height, row.lift, x, y);
        EXPECT_EQ(x, row.x) << row.name;
        EXPECT_EQ(y, row.y) << row.name;
    }
    // Centring on a small screen may leave a window partly off it; one found out of reach is then
    // moved onto it.
    std::int32_t x = 0, y = 0;
    windowPosition(-1, -1, 1280, 1024, 640, 1000, 50, x, y);
    EXPECT_EQ(y, -38) << "centred and lifted, as stored positions never are";
    windowPosition(-9999, -9999, 1280, 1024, 640, 1000, 50, x, y);
    EXPECT_EQ(y, 0) << "kept on screen";
}

TEST_F(Placement, AWindowLargerThanItsScreenScrollsOverItsGrid) {
    struct Row {
        const char* name;
        std::int32_t x, y, width, height;
        bool sideways, upright;
    };
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const Row rows[] = {
        {"fits", 0, 0, 1280, 1024, false, false},
        {"too wide", 0, 300, 4652, 402, true, false},
        {"too high", 0, 0, 300, 2000, false, true},
        {"too wide and too high", 0, 0, 3000, 3000, true, true},
        {"too wide, then too high for its scroll bar", 0, 0, 2000, 1024, true, true},
        {"on the smaller left screen", -1024, 0, 1100, 700, true, false},
    };
    for (const Row& row : rows) {
        std::int32_t window = 0, m = msg.WindowCreate, x = row.x, y = row.y, w = row.width,
                     h = row.height, r0 = 0, r1 = 0;
        XuiWindow(window, m, x, y, w, h, r0, r1);
        std::int32_t grid = 0, gx = 0, gy = 0, gw = row.width, gh = row.height;
        XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, nullptr);
        auto* top = static_cast<QWidget*>(XuiNativeWindow(window));
        const QRect screen = QGuiApplication::screenAt(QPoint(row.x, row.y))->availableGeometry();
        const int shownWidth = std::min(row.width + (row.upright ? bar : 0), screen.width());
        const int shownHeight = std::min(row.height + (row.sideways ? bar : 0), screen.height());
        EXPECT_EQ(top->width(), shownWidth) << row.name;
        EXPECT_EQ(top->height(), shownHeight) << row.name;
        std::int32_t fitWidth = row.width, fitHeight = row.height;
        XuiFitWindowSize(row.x, row.y, fitWidth, fitHeight);
        EXPECT_EQ(QSize(fitWidth, fitHeight), top->size()) << row.name << ": what start-up centres";
        auto* gridWidget = static_cast<QWidget*>(XuiNativeWidget(grid));
        EXPECT_EQ(gridWidget->size(), QSize(row.width, row.height))
            << row.name << ": the grid's own size";
        auto* viewport = top->findChild<QScrollArea*>();
        EXPECT_EQ(viewport != nullptr, row.sideways || row.upright) << row.name;
        std::int32_t gridX = 0, gridY = 0, reportedWidth = 0, reportedHeight = 0,
                     sm = msg.GetWindowSize, k = 0, t = 0;
        XuiGetWindowSize(grid, sm, gridX, gridY, reportedWidth, reportedHeight, k, t);
        EXPECT_EQ(gridX, row.x) << row.name;
        EXPECT_EQ(reportedWidth, shownWidth) << row.name << ": the size it is shown at";
    }
}

TEST_F(Placement, TheWheelScrollsSidewaysWhenNothingScrollsUpright) {
    std::int32_t window = 0, m = msg.WindowCreate, x = 0, y = 300, w = 4652, h = 402, r0 = 0,
                 r1 = 0;
    XuiWindow(window, m, x, y, w, h, r0, r1);
    std::int32_t grid = 0, gx = 0, gy = 0, gw = w, gh = h;
    XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, nullptr);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(window));
    auto* viewport = top->findChild<QScrollArea*>();
    ASSERT_NE(viewport, nullptr);
    top->show();
    QApplication::processEvents();
    QScrollBar* sideways = viewport->horizontalScrollBar();
    EXPECT_EQ(sideways->maximum(), 4652 - 1280);
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(100, 100), top->mapToGlobal(QPointF(100, 100)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport->viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(sideways->value(), 150) << "one notch down: one column to the right";
    wheel(120);
    EXPECT_EQ(sideways->value(), 0);
    for (int i = 0; i < 40; ++i)
        wheel(-120);
    EXPECT_EQ(sideways->value(), sideways->maximum()) << "the far end can be reached";
}

// Regression: the main picture zooms with the wheel; in a window larger than the screen the same
// notch also scrolled the window under the pointer. A grid that follows the pointer keeps its
// wheel; any other passes it on to the window.
TEST_F(Placement, OnlyAGridThatIgnoresTheWheelLetsTheWindowScroll) {
    for (const bool tracked : {false, true}) {
        std::int32_t window = 0, m = msg.WindowCreate, x = 0, y = 0, w = 3000, h = 3000, r0 = 0,
                     r1 = 0;
        XuiWindow(window, m, x, y, w, h, r0, r1);
        std::int32_t grid = 0, gx = 0, gy = 0, gw = w, gh = h;
        XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, nullptr);
        if (tracked) XuiTrackPointer(grid);
        auto* top = static_cast<QWidget*>(XuiNativeWindow(window));
        auto* viewport = top->findChild<QScrollArea*>();
        ASSERT_NE(viewport, nullptr);
        top->show();
        QApplication::processEvents();
        auto* gridWidget = static_cast<QWidget*>(XuiNativeWidget(grid));
        XgrDropQueuedMessages();
        QWheelEvent event(QPointF(100, 100), gridWidget->mapToGlobal(QPointF(100, 100)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(gridWidget, &event);
        EXPECT_GT(XgrQueuedMessageCount(), 0) << "the grid reports the notch, tracked " << tracked;
        // Taken by the tracked grid; left for the window (its scroll area) otherwise. The
        // window's scrolling itself is checked end to end on a 600-medium window.
        EXPECT_EQ(event.isAccepted(), tracked) << "tracked " << tracked;
        EXPECT_EQ(viewport->verticalScrollBar()->value(), 0);
        XgrDropQueuedMessages();
    }
}

}  // namespace
