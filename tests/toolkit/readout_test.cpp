// The readout box and pointer tracking on Qt's offscreen platform: hover and leaving reach the
// grid's callback, the box stays on the screen beside the pointer's column, and it is never part
// of the grid's picture.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <vector>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace {

using namespace quorvanta;

struct Seen {
    std::int32_t message, v0, v1, v2;
};
std::vector<Seen> seen;

std::int32_t recordCallback(std::int32_t&, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                            std::int32_t& v2, std::int32_t&, std::int32_t&, std::int32_t& r1) {
    seen.push_back({m == msg.Callback ? r1 : m, v0, v1, v2});
    return 0;
}

// A window grid whose function is the toolkit's default processing, as the program's grids have.
std::int32_t defaultsOnly(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                          std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    std::vector<GridFunction> defaults;
    XuiGetDefaultMessageFuncArray(defaults);
    if (m > 0 && static_cast<std::size_t>(m) < defaults.size() && defaults[m])
        return defaults[m](g, m, v0, v1, v2, v3, r0, r1);
    return 0;
}

class Readout : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        seen.clear();
    }
    void TearDown() override { XgrResetToolkit(); }

    // A shown window at (x, y) holding a grid of its size with a drawing buffer.
    static std::int32_t makeGrid(std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height) {
        std::int32_t window = 0, m = msg.WindowCreate, wx = x, wy = y, w = width, h = height,
                     r0 = 0, r1 = 0;
        XuiWindow(window, m, wx, wy, w, h, r0, r1);
        std::int32_t grid = 0, gx = 0, gy = 0, gw = width, gh = height;
        XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, defaultsOnly);
        std::int32_t buffer = 0;
        XgrCreateGrid(buffer, kImageGridType, 0, 0, width, height, window, grid, nullptr);
        XgrSetGridBuffer(grid, buffer, 0, 0);
        XuiSend(grid, msg.SetCallback, grid, XuiFunctionNumber(recordCallback), -1, -1, -1);
        auto* top = static_cast<QWidget*>(XuiNativeWindow(window));
        top->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(top));
        return grid;
    }
    static QWidget* widgetOf(std::int32_t grid) {
        return static_cast<QWidget*>(XuiNativeWidget(grid));
    }
    static void processQueued() {
        XgrFlushEvents();
        while (XgrQueuedMessageCount() > 0)
            XgrProcessMessages(1);
    }
    static QRect box() {
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        XuiGetReadoutBox(x, y, w, h);
        return {x, y, w, h};
    }
};

const std::vector<XuiReadoutRow> kRows = {
    {-1, 93, {"632.8 nm"}},
    {XgrRGBColour(65535, 32767, 65535), 124, {"632.816 nm", "He-Ne (gas)", "red line"}},
    {-1, 93, {"\x85 and 3 more"}},
};

TEST_F(Readout, HoverAndLeavingReachTheCallbackOnlyWhenTheGridTracksThePointer) {
    const std::int32_t grid = makeGrid(30, 40, 300, 200);
    std::int32_t kid = 0, create = msg.Create, x = 200, y = 150, w = 60, h = 20,
                 window = XuiGetWindow(grid), parent = grid;
    XuiPushButton(kid, create, x, y, w, h, window, parent);
    XgrDropQueuedMessages();

    QTest::mouseMove(widgetOf(grid), QPoint(50, 20));
    processQueued();
    EXPECT_TRUE(seen.empty()) << "a grid that does not track the pointer reports no hover";

    XuiTrackPointer(grid);
    QTest::mouseMove(widgetOf(grid), QPoint(60, 25));
    processQueued();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, msg.WindowMouseMove);
    EXPECT_EQ(seen[0].v0, 60);
    EXPECT_EQ(seen[0].v1, 25);
    EXPECT_EQ(seen[0].v2, 0) << "no button held";

    // Into a kid: the grid's own picture is left, with the last position.
    QTest::mouseMove(widgetOf(kid), QPoint(10, 10));
    processQueued();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().message, msg.WindowMouseExit);
    EXPECT_EQ(seen.back().v0, 60);
    EXPECT_EQ(seen.back().v1, 25);

    seen.clear();
    QTest::mousePress(widgetOf(grid), Qt::LeftButton, Qt::NoModifier, QPoint(70, 30));
    processQueued();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().message, msg.WindowMouseDown);
    QTest::mouseRelease(widgetOf(grid), Qt::LeftButton, Qt::NoModifier, QPoint(70, 30));
    processQueued();
}

// Beside the pointer, right of and below it, flipped where the box would pass an edge of the
// screen; never over the pointer's column, always on the screen.
TEST_F(Readout, StaysOnTheScreenBesideThePointersColumn) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::int32_t grid = makeGrid(area.x(), area.y(), area.width(), area.height());
    const QPoint origin = widgetOf(grid)->mapToGlobal(QPoint(0, 0));
    XuiShowReadout(grid, 0, 0, kRows);
    const QSize size = box().size();
    ASSERT_GT(size.width(), 0);
    // Pointer positions on the screen; the grid may not start at the screen's corner.
    const int right = area.right() - origin.x(), bottom = area.bottom() - origin.y();
    struct Row {
        const char* name;
        QPoint pointer;  // in the grid
        bool leftOfPointer, abovePointer;
    };
    const Row rows[] = {
        {"top left: right and below", {40, 30}, false, false},
        {"at the right edge: flipped to the left", {right - 5, 30}, true, false},
        {"at the bottom: flipped above", {40, bottom - 2}, false, true},
        {"bottom right corner: both", {right, bottom}, true, true},
        {"just fitting on the right", {right - 16 - size.width(), 30}, false, false},
    };
    for (const Row& row : rows) {
        XuiShowReadout(grid, row.pointer.x(), row.pointer.y(), kRows);
        ASSERT_TRUE(XuiReadoutVisible()) << row.name;
        const QRect shown = box();
        const QPoint pointer = origin + row.pointer;
        EXPECT_TRUE(area.contains(shown)) << row.name << ": off the screen";
        EXPECT_EQ(shown.size(), size) << row.name;
        if (row.leftOfPointer)
            EXPECT_EQ(shown.right(), pointer.x() - 17) << row.name;
        else
            EXPECT_EQ(shown.left(), pointer.x() + 16) << row.name;
        if (row.abovePointer)
            EXPECT_EQ(shown.bottom(), pointer.y() - 17) << row.name;
        else
            EXPECT_EQ(shown.top(), pointer.y() + 16) << row.name;
    }
}

TEST_F(Readout, KeepsItsRowsAndLeavesThePictureAloneUntilTheGridIsDrawnOn) {
    const std::int32_t grid = makeGrid(30, 40, 200, 100);
    XgrFillBox(grid, 18, 0, 0, 199, 99);
    XgrFlushEvents();
    auto picture = [grid] {
        std::vector<std::int32_t> pixels;
        for (std::int32_t y = 0; y < 100; ++y)
            for (std::int32_t x = 0; x < 200; ++x) {
                std::int32_t r = 0, g = 0, b = 0, colour = 0;
                XgrGrabPoint(grid, x, y, r, g, b, colour);
                pixels.push_back(colour);
            }
        return pixels;
    };
    const std::vector<std::int32_t> before = picture();

    XuiShowReadout(grid, 20, 20, kRows);
    XgrFlushEvents();
    EXPECT_TRUE(XuiReadoutVisible());
    EXPECT_EQ(XuiGetReadoutRows(), kRows);
    EXPECT_TRUE(picture() == before) << "showing the readout changed the grid's picture";

    XgrDrawLine(grid, 124, 5, 5, 5, 50);
    XgrFlushEvents();
    EXPECT_FALSE(XuiReadoutVisible()) << "the rows told of the picture before this line";

    XuiShowReadout(grid, 20, 20, kRows);
    XuiHideReadout();
    EXPECT_FALSE(XuiReadoutVisible());
}

}  // namespace
