// The toolkit on Qt's offscreen platform, started afresh for every test with the program's
// message names. Windows are made as the program makes them, and what reaches a window grid's
// callback is recorded as the program sees it.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace quorvanta::testing {

class ToolkitFixture : public ::testing::Test {
  public:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        seen.clear();
    }
    void TearDown() override { XgrResetToolkit(); }

    // A message as a callback sees it: its name, the kid number (a kid's Callback unwrapped; 0
    // for the window grid's own messages) and v0..v3.
    static std::string message(std::string_view name, std::int32_t kid, std::int32_t v0 = 0,
                               std::int32_t v1 = 0, std::int32_t v2 = 0, std::int32_t v3 = 0) {
        std::string text(name);
        for (std::int32_t v : {kid, v0, v1, v2, v3})
            text += " " + std::to_string(v);
        return text;
    }
    // What reached a callback given this function.
    static inline std::vector<std::string> seen;
    static inline const GridFunction record = [](auto&, std::int32_t& m, auto& v0, auto& v1,
                                                 auto& v2, auto& v3, auto& r0,
                                                 auto& r1) -> std::int32_t {
        const bool kid = m == msg.Callback;
        seen.push_back(message(XgrMessageNumberToName(kid ? r1 : m), kid ? r0 : 0, v0, v1, v2, v3));
        return 0;
    };
    // Lets Qt deliver its events and hands out every queued message; what reached a callback.
    static std::vector<std::string> deliver() {
        seen.clear();
        XgrFlushEvents();
        while (XgrQueuedMessageCount() > 0)
            XgrProcessMessages(1);
        return seen;
    }
    // The toolkit's default processing, the grid function of the program's window grids.
    static inline const GridFunction passOn = [](std::int32_t& g, std::int32_t& m,
                                                 auto&... v) -> std::int32_t {
        std::vector<GridFunction> f;
        XuiGetDefaultMessageFuncArray(f);
        return m > 0 && static_cast<std::size_t>(m) < f.size() && f[m] ? f[m](g, m, v...) : 0;
    };

    // A window at (x, y) holding a window grid of its size with a drawing buffer; the grid's
    // callback records.
    static std::int32_t makeWindow(std::int32_t width, std::int32_t height, std::int32_t x = 30,
                                   std::int32_t y = 40, bool show = true) {
        std::int32_t window = 0, m = msg.WindowCreate, w = width, h = height, r0 = 0, r1 = 0;
        XuiWindow(window, m, x, y, w, h, r0, r1);
        std::int32_t grid = 0, gx = 0, gy = 0, gw = width, gh = height, buffer = 0;
        XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, passOn);
        XgrCreateGrid(buffer, kImageGridType, 0, 0, width, height, window, grid, nullptr);
        XgrSetGridBuffer(grid, buffer, 0, 0);
        XuiSend(grid, msg.SetCallback, grid, XuiFunctionNumber(record), -1, -1, 0);
        if (show) topOf(grid)->show();
        EXPECT_TRUE(!show || QTest::qWaitForWindowExposed(topOf(grid)));
        return grid;
    }
    // A kid of the given kind whose messages reach its window grid's callback.
    static std::int32_t makeKid(GridFunction kind, std::int32_t grid, std::int32_t x,
                                std::int32_t y, std::int32_t w, std::int32_t h) {
        std::int32_t kid = 0, m = msg.Create, r0 = XuiGetWindow(grid), r1 = grid;
        kind(kid, m, x, y, w, h, r0, r1);
        XuiSend(kid, msg.SetCallback, grid, XuiFunctionNumber(passOn), -1, -1,
                XuiGetKidNumber(kid));
        return kid;
    }
    // v0..v3, r0 and r1 as a message sent to grid leaves them, for the messages that answer.
    static std::array<std::int32_t, 6> ask(std::int32_t grid, std::string_view name) {
        std::int32_t m = 0, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
        XgrMessageNameToNumber(name, m);
        XuiSendMessage(grid, m, v0, v1, v2, v3, r0, r1);
        return {v0, v1, v2, v3, r0, r1};
    }
    static QWidget* widgetOf(std::int32_t g) { return static_cast<QWidget*>(XuiNativeWidget(g)); }
    static QWidget* topOf(std::int32_t grid) { return widgetOf(grid)->window(); }
    static std::uint32_t pixel(std::int32_t grid, std::int32_t x, std::int32_t y) {
        std::int32_t r = 0, g = 0, b = 0, colour = 0;
        XgrGrabPoint(grid, x, y, r, g, b, colour);
        return XgrColourRGB(colour);
    }
};

}  // namespace quorvanta::testing
