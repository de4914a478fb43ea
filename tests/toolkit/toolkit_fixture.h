// The toolkit on Qt's offscreen platform, started afresh for every test with the program's
// message names. Windows are made as the program makes them, and what reaches a window grid's
// callback is recorded as the program sees it.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <climits>
#include <string>
#include <vector>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace quorvanta::testing {

inline constexpr std::int32_t kAny = INT32_MIN;  // an expected value left unchecked

// A message as a callback sees it: message, kid number (a kid's Callback unwrapped; 0 for the
// window grid's own messages), v0..v3.
using Msg = std::vector<std::int32_t>;

// What arrived, read only as far as and where the expected messages read it (not kAny).
inline std::vector<Msg> masked(std::vector<Msg> got, const std::vector<Msg>& expected) {
    for (std::size_t i = 0; i < got.size() && i < expected.size(); ++i) {
        got[i].resize(expected[i].size());
        for (std::size_t f = 0; f < got[i].size(); ++f)
            if (expected[i][f] == kAny) got[i][f] = kAny;
    }
    return got;
}

inline std::vector<Msg> seen;
// A callback (or the CEO) that records what reaches it.
inline const GridFunction record = [](auto&, std::int32_t& m, auto& v0, auto& v1, auto& v2,
                                      auto& v3, auto& r0, auto& r1) -> std::int32_t {
    seen.push_back(m == msg.Callback ? Msg{r1, r0, v0, v1, v2, v3} : Msg{m, 0, v0, v1, v2, v3});
    return 0;
};
// The toolkit's default processing, the grid function of the program's window grids.
inline const GridFunction passOn = [](std::int32_t& g, std::int32_t& m,
                                      auto&... v) -> std::int32_t {
    std::vector<GridFunction> f;
    XuiGetDefaultMessageFuncArray(f);
    return m > 0 && static_cast<std::size_t>(m) < f.size() && f[m] ? f[m](g, m, v...) : 0;
};

inline QWidget* widgetOf(std::int32_t grid) {
    return static_cast<QWidget*>(XuiNativeWidget(grid));
}
inline QWidget* topOf(std::int32_t grid) {
    return static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
}
inline std::uint32_t pixel(std::int32_t grid, std::int32_t x, std::int32_t y) {
    std::int32_t r = 0, g = 0, b = 0, colour = 0;
    XgrGrabPoint(grid, x, y, r, g, b, colour);
    return XgrColourRGB(colour);
}

// A window at (x, y) holding a window grid of its size with a drawing buffer; its callback records.
inline std::int32_t makeWindow(std::int32_t width, std::int32_t height, std::int32_t x = 30,
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
inline std::int32_t makeKid(GridFunction kind, std::int32_t grid, std::int32_t x, std::int32_t y,
                            std::int32_t w, std::int32_t h) {
    std::int32_t kid = 0, m = msg.Create, r0 = XuiGetWindow(grid), r1 = grid;
    kind(kid, m, x, y, w, h, r0, r1);
    XuiSend(kid, msg.SetCallback, grid, XuiFunctionNumber(passOn), -1, -1, XuiGetKidNumber(kid));
    return kid;
}

// Lets Qt deliver its events and hands out every queued message; what reached a callback then.
inline std::vector<Msg> deliver() {
    seen.clear();
    XgrFlushEvents();
    while (XgrQueuedMessageCount() > 0)
        XgrProcessMessages(1);
    return seen;
}

class ToolkitFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        seen.clear();
    }
    void TearDown() override { XgrResetToolkit(); }
};

}  // namespace quorvanta::testing
