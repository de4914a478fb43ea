// Toggles that their grid paints: they look exactly like a toggle widget, released and pressed,
// and a click on one is that toggle's Selection.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace {

using namespace quorvanta;

std::int32_t passOn(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                    std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    std::vector<GridFunction> defaults;
    XuiGetDefaultMessageFuncArray(defaults);
    if (m > 0 && static_cast<std::size_t>(m) < defaults.size() && defaults[m])
        return defaults[m](g, m, v0, v1, v2, v3, r0, r1);
    return 0;
}

struct Seen {
    std::int32_t grid, message, v0, v3;
} seen{};

std::int32_t recordSeen(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t&,
                        std::int32_t&, std::int32_t& v3, std::int32_t&, std::int32_t&) {
    seen = {g, m, v0, v3};
    return 0;
}

class PaintedToggle : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        std::int32_t window = 0, m = msg.WindowCreate, x = 10, y = 10, w = 400, h = 60, r0 = 0,
                     r1 = 0;
        XuiWindow(window, m, x, y, w, h, r0, r1);
        std::int32_t gx = 0, gy = 0, gw = w, gh = h;
        XuiCreateGrid(grid_, 0, gx, gy, gw, gh, window, 0, passOn);
        std::int32_t buffer = 0;
        XgrCreateGrid(buffer, kImageGridType, 0, 0, w, h, window, grid_, nullptr);
        XgrSetGridBuffer(grid_, buffer, 0, 0);
        XgrClearGrid(grid_, 93);
        top_ = static_cast<QWidget*>(XuiNativeWindow(window));
        top_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(top_));
    }
    void TearDown() override { XgrResetToolkit(); }

    // A toggle dressed as the medium window dresses its toggles.
    std::int32_t makeToggle(std::int32_t x, const char* label) {
        std::int32_t kid = 0, m = msg.Create, kx = x, ky = 20, w = 147, h = 18,
                     r0 = XuiGetWindow(grid_), r1 = grid_;
        XuiToggleButton(kid, m, kx, ky, w, h, r0, r1);
        const XstText face("Arial"), text(label);
        XuiSend(kid, msg.SetFont, 240, 400, 0, 0, 0, face.number());
        XuiSend(kid, msg.SetColorExtra, 62, 124, 0, 124);
        XuiSend(kid, msg.SetTextString, 0, 0, 0, 0, 0, text.number());
        return kid;
    }

    QImage shown() {
        XgrFlushEvents();
        return static_cast<QWidget*>(XuiNativeWidget(grid_))->grab().toImage();
    }

    std::int32_t grid_ = 0;
    QWidget* top_ = nullptr;
};

TEST_F(PaintedToggle, LooksExactlyLikeAToggleWidget) {
    const std::int32_t painted = makeToggle(2, "Nd:YAG & co");
    const std::int32_t widget = makeToggle(200, "Nd:YAG & co");
    ASSERT_NE(XuiNativeWidget(widget), nullptr) << "asking for its widget makes one";
    for (const std::int32_t value : {0, -1, 0}) {
        XuiSend(painted, msg.SetValue, value);
        XuiSend(widget, msg.SetValue, value);
        const QImage image = shown();
        const QImage left = image.copy(2, 20, 147, 18), right = image.copy(200, 20, 147, 18);
        int differing = 0;
        for (int y = 0; y < left.height(); ++y)
            for (int x = 0; x < left.width(); ++x)
                differing += left.pixel(x, y) != right.pixel(x, y);
        EXPECT_EQ(differing, 0) << "pixels that differ, SetValue " << value;
        if (differing) image.save("painted-toggle-" + QString::number(value) + ".png");
    }
}

TEST_F(PaintedToggle, AClickIsItsSelectionAndAReleaseOffItCancels) {
    makeToggle(2, "Alpha");
    const std::int32_t toggle = makeToggle(200, "Beta");
    auto* gridWidget = static_cast<QWidget*>(XuiNativeWidget(grid_));
    XgrDropQueuedMessages();
    QTest::mouseClick(gridWidget, Qt::LeftButton, Qt::NoModifier, QPoint(270, 29));
    ASSERT_EQ(XgrQueuedMessageCount(), 1) << "one message for a click";
    EXPECT_TRUE(XuiToggleState(toggle));
    XgrSetCEO(recordSeen);
    XgrProcessMessages(1);
    XgrSetCEO(nullptr);
    EXPECT_EQ(seen.grid, toggle);
    const std::int32_t m = seen.message, v0 = seen.v0, v3 = seen.v3;
    EXPECT_EQ(m, msg.Selection);
    EXPECT_EQ(v0, -1) << "pressed";
    EXPECT_NE(v3, 0) << "a click";

    // Pressed on the toggle, released off it: nothing happens, as with a button.
    QTest::mousePress(gridWidget, Qt::LeftButton, Qt::NoModifier, QPoint(270, 29));
    QTest::mouseMove(gridWidget, QPoint(270, 50));
    QTest::mouseRelease(gridWidget, Qt::LeftButton, Qt::NoModifier, QPoint(270, 50));
    EXPECT_EQ(XgrQueuedMessageCount(), 0);
    EXPECT_TRUE(XuiToggleState(toggle));

    // Off every toggle the grid reports the pointer as before.
    QTest::mouseClick(gridWidget, Qt::LeftButton, Qt::NoModifier, QPoint(170, 50));
    ASSERT_EQ(XgrQueuedMessageCount(), 2) << "WindowMouseDown and WindowMouseUp";
    XgrDropQueuedMessages();
}

}  // namespace
