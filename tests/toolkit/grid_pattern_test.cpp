// The grid-function pattern shared by the program's windows, run with a test grid type.

#include <gtest/gtest.h>

#include <QWidget>
#include <vector>

#include "toolkit/grid_pattern.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace {

using namespace quorvanta;

GridTypeState testType;
std::int32_t savedX = -1, savedY = -1;
std::vector<std::int32_t> callbackMessages;
std::vector<std::int32_t> callbackKids;
int kidsMade = 0;

void testSize(std::int32_t& w, std::int32_t& h) {
    w = 300;
    h = 120;
}
void testKids(std::int32_t grid, std::int32_t window) {
    std::int32_t kid = 0, m = msg.Create, x = 5, y = 5, w = 50, h = 20, r0 = window, r1 = grid;
    XuiPushButton(kid, m, x, y, w, h, r0, r1);
    ++kidsMade;
}
void testPlacement(std::int32_t& x, std::int32_t& y, std::int32_t& dw, std::int32_t& dh) {
    x = savedX;
    y = savedY;
    dw = 1280;
    dh = 1024;
}

constexpr GridTypeDescriptor kTest = {"Probe", testSize, 50,           {93, 0, 0, 124},
                                      false,   testKids, testPlacement};

std::int32_t Probe(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                   std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kTest, testType, Probe, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t probeCallback(std::int32_t&, std::int32_t& message, std::int32_t&, std::int32_t&,
                           std::int32_t&, std::int32_t&, std::int32_t& r0, std::int32_t& r1) {
    callbackMessages.push_back(message == msg.Callback ? r1 : message);
    callbackKids.push_back(r0);
    return 0;
}

class GridPattern : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        testType = GridTypeState{};
        savedX = savedY = -1;
        callbackMessages.clear();
        callbackKids.clear();
        kidsMade = 0;
    }
    void TearDown() override { XgrResetToolkit(); }

    static std::int32_t createWindow(std::int32_t x, std::int32_t y, std::int32_t w,
                                     std::int32_t h) {
        std::int32_t grid = 0, m = msg.CreateWindow, r0 = 0, r1 = 0;
        Probe(grid, m, x, y, w, h, r0, r1);
        return grid;
    }
};

TEST_F(GridPattern, AFirstCallWithMessageZeroOnlyRegistersTheType) {
    RegisterGuiNames();
    std::int32_t grid = 0, m = 0, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    EXPECT_EQ(Probe(grid, m, v0, v1, v2, v3, r0, r1), 0);
    ASSERT_TRUE(testType.registered);
    EXPECT_EQ(grid, 0) << "nothing was created";
    EXPECT_EQ(kidsMade, 0);
    struct Row {
        const char* property;
        std::int32_t value;
    };
    // Centred on 1280 x 1024, and 50 pixels higher for this type.
    const Row rows[] = {{"x", 490},        {"y", 402},         {"width", 300},
                        {"height", 120},   {"maxWidth", 300},  {"maxHeight", 120},
                        {"minWidth", 300}, {"minHeight", 120}, {"can", 7},
                        {"focusKid", 1}};
    for (const Row& row : rows)
        EXPECT_EQ(XuiGetGridTypeProperty(testType.gridType, row.property), row.value)
            << row.property;
}

TEST_F(GridPattern, DesignPositionIsCentredOnlyForMinusOneMinusOne) {
    struct Row {
        const char* name;
        std::int32_t savedX, savedY, expectedX, expectedY;
    };
    const Row rows[] = {{"no position", -1, -1, 140, 162},
                        {"only x is -1", -1, 40, -1, 40},
                        {"only y is -1", 7, -1, 7, -1},
                        {"negative", -300, -20, -300, -20}};
    for (const Row& row : rows) {
        std::int32_t x = 0, y = 0;
        designPosition(row.savedX, row.savedY, 1280, 1024, 1000, 700, 0, x, y);
        EXPECT_EQ(x, row.expectedX) << row.name;
        EXPECT_EQ(y, row.expectedY) << row.name;
    }
    std::int32_t x = 0, y = 0;
    designPosition(-1, -1, 1280, 1024, 640, 504, 50, x, y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 210);
}

TEST_F(GridPattern, CreateWindowAppliesTheDesignGeometryAndKeepsNegativePositions) {
    RegisterGuiNames();
    savedX = 70;
    savedY = 80;
    const std::int32_t grid = createWindow(0, 0, 0, 0);
    ASSERT_NE(grid, 0);
    EXPECT_EQ(kidsMade, 1);
    EXPECT_EQ(XuiGetGridName(grid), "Probe");
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    EXPECT_EQ(top->x(), 70);
    EXPECT_EQ(top->y(), 80);
    EXPECT_EQ(top->width(), 300);
    EXPECT_EQ(top->height(), 120);

    const std::int32_t other = createWindow(-40, -30, -5, 0);
    auto* second = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(other)));
    EXPECT_EQ(second->x(), -40) << "a negative position is not replaced";
    EXPECT_EQ(second->y(), -30);
    EXPECT_EQ(second->width(), 300) << "a size below 1 is replaced";
    EXPECT_EQ(second->height(), 120);

    // The buffer is attached once and cleared in the grid's first colour.
    std::int32_t g = grid, m = msg.GetValues, stored = 0, buffer = 0, a = 0, b = 0, k = 0, t = 0;
    XuiGetValues(g, m, stored, buffer, a, b, k, t);
    EXPECT_EQ(stored, grid);
    EXPECT_NE(buffer, 0);
    std::int32_t red = 0, green = 0, blue = 0, colour = 0;
    XgrGrabPoint(grid, 150, 60, red, green, blue, colour);
    EXPECT_EQ(XgrColourRGB(colour), 0xBFBFBFu);
    XgrFillBox(grid, 124, 0, 0, 10, 10);
    XuiSend(grid, msg.Resize, 0, 0, 300, 120);
    XuiGetValues(g, m, stored, a, a, b, k, t);
    XgrGrabPoint(grid, 5, 5, red, green, blue, colour);
    EXPECT_EQ(XgrColourRGB(colour), 0xFFFFFFu) << "a Resize keeps the buffer and its picture";
}

TEST_F(GridPattern, RedrawnAndKidsReachTheCallbackFunction) {
    RegisterGuiNames();
    const std::int32_t grid = createWindow(0, 0, 0, 0);
    XuiSend(grid, msg.SetCallback, grid, XuiFunctionNumber(probeCallback), -1, -1, -1);
    XuiSend(grid, msg.Redrawn);
    ASSERT_EQ(callbackMessages.size(), 1u);
    EXPECT_EQ(callbackMessages[0], msg.Redrawn);
    EXPECT_EQ(callbackKids[0], 0);
}

TEST_F(GridPattern, UnregisteredMessagesAreReportedOnTheConsoleAndRegistrationGoesOn) {
    // No names registered: every message the pattern uses has the number 0.
    testing::internal::CaptureStderr();
    std::int32_t grid = 0, m = 0, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    Probe(grid, m, v0, v1, v2, v3, r0, r1);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed,
              "Probe() : Initialize : error ::: (undefined message)\n"
              "Probe() : Initialize : error ::: (undefined message)\n");
    EXPECT_TRUE(testType.registered);
}

}  // namespace
