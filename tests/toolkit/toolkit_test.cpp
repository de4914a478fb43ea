// The toolkit layer on Qt's offscreen platform: message numbers, the queue, kids and callbacks,
// drawing into buffers, colours and text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace {

using namespace quorvanta;

struct Seen {
    std::int32_t grid, message, v0, v1, v2, v3, r0, r1;
};
std::vector<Seen> ceoLog;
std::vector<Seen> callbackLog;

std::int32_t recordCeo(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                       std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    ceoLog.push_back({g, m, v0, v1, v2, v3, r0, r1});
    return 0;
}

std::int32_t recordCallback(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                            std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1) {
    callbackLog.push_back({g, m, v0, v1, v2, v3, r0, r1});
    return 0;
}

// A window with a plain window grid of the given size and a drawing buffer, as the windows of
// the program have; the window grid's function passes everything to the toolkit's defaults.
std::int32_t passOn(std::int32_t& g, std::int32_t& m, std::int32_t& v0, std::int32_t& v1,
                    std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    if (m == msg.Callback) return XuiCallback(g, m, v0, v1, v2, v3, r0, r1);
    if (m == msg.CloseWindow) {
        std::int32_t c = msg.CloseWindow;
        return XuiCallback(g, c, v0, v1, v2, v3, r0, r1);
    }
    std::vector<GridFunction> defaults;
    XuiGetDefaultMessageFuncArray(defaults);
    if (m > 0 && static_cast<std::size_t>(m) < defaults.size() && defaults[m])
        return defaults[m](g, m, v0, v1, v2, v3, r0, r1);
    return 0;
}

class Toolkit : public ::testing::Test {
  protected:
    void SetUp() override {
        XgrResetToolkit();
        guiNames = GuiNames{};
        RegisterGuiNames();
        ceoLog.clear();
        callbackLog.clear();
    }
    void TearDown() override { XgrResetToolkit(); }

    std::int32_t makeWindow(std::int32_t width, std::int32_t height) {
        std::int32_t window = 0, m = msg.WindowCreate, x = 30, y = 40, w = width, h = height,
                     r0 = 0, r1 = 0;
        XuiWindow(window, m, x, y, w, h, r0, r1);
        std::int32_t grid = 0, gx = 0, gy = 0, gw = width, gh = height;
        XuiCreateGrid(grid, 0, gx, gy, gw, gh, window, 0, passOn);
        std::int32_t buffer = 0;
        XgrCreateGrid(buffer, kImageGridType, 0, 0, width, height, window, grid, nullptr);
        XgrSetGridBuffer(grid, buffer, 0, 0);
        XuiSend(grid, msg.SetCallback, grid, XuiFunctionNumber(recordCallback), -1, -1, -1);
        return grid;
    }

    std::int32_t makeKid(GridFunction kind, std::int32_t grid, std::int32_t x, std::int32_t y,
                         std::int32_t w, std::int32_t h) {
        std::int32_t kid = 0, m = msg.Create, r0 = XuiGetWindow(grid), r1 = grid;
        kind(kid, m, x, y, w, h, r0, r1);
        XuiSend(kid, msg.SetCallback, grid, XuiFunctionNumber(passOn), -1, -1, XuiGetKidNumber(kid),
                grid);
        return kid;
    }

    static std::uint32_t pixel(std::int32_t grid, std::int32_t x, std::int32_t y) {
        std::int32_t r = 0, g = 0, b = 0, colour = 0;
        XgrGrabPoint(grid, x, y, r, g, b, colour);
        return XgrColourRGB(colour);
    }
};

TEST_F(Toolkit, MessagesAreNumberedFromOneInRegistrationOrder) {
    const auto& names = messageVocabulary();
    ASSERT_EQ(names.back(), "LastMessage");
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::int32_t number = -1;
        XgrMessageNameToNumber(names[i], number);
        EXPECT_EQ(number, static_cast<std::int32_t>(i) + 1) << names[i];
    }
    std::int32_t again = 0, unknown = -1;
    XgrRegisterMessage("Selection", again);
    EXPECT_EQ(again, msg.Selection) << "a name registered again keeps its number";
    XgrMessageNameToNumber("NeverRegistered", unknown);
    EXPECT_EQ(unknown, 0);
    EXPECT_EQ(msg.LastMessage, static_cast<std::int32_t>(names.size()));
}

TEST_F(Toolkit, EachCallHandsOutOneMessageInArrivalOrderAndTheCeoSeesItFirst) {
    const std::int32_t grid = makeWindow(100, 50);
    XgrDropQueuedMessages();
    XgrSetCEO(recordCeo);
    for (std::int32_t i = 1; i <= 3; ++i)
        XgrQueueMessage(grid, msg.Redrawn, i, 0, 0, 0, 0, 0);
    for (std::int32_t call = 1; call <= 3; ++call) {
        XgrProcessMessages(1);
        ASSERT_EQ(ceoLog.size(), static_cast<std::size_t>(call)) << "one message per call";
        EXPECT_EQ(ceoLog.back().v0, call) << "arrival order";
        EXPECT_EQ(ceoLog.back().message, msg.Redrawn);
    }
    EXPECT_EQ(XgrQueuedMessageCount(), 0);
    XgrSetCEO(nullptr);
}

TEST_F(Toolkit, ClickingAKidReachesTheWindowsCallbackAsCallbackWithItsKidNumber) {
    const std::int32_t grid = makeWindow(300, 100);
    const std::int32_t first = makeKid(XuiPushButton, grid, 5, 5, 60, 20);
    const std::int32_t toggle = makeKid(XuiToggleButton, grid, 70, 5, 60, 20);
    EXPECT_EQ(XuiGetKidNumber(first), 1);
    EXPECT_EQ(XuiGetKidNumber(toggle), 2);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrDropQueuedMessages();

    QTest::mouseClick(static_cast<QWidget*>(XuiNativeWidget(toggle)), Qt::LeftButton);
    ASSERT_EQ(XgrQueuedMessageCount(), 1);
    XgrProcessMessages(1);
    ASSERT_EQ(callbackLog.size(), 1u);
    EXPECT_EQ(callbackLog[0].grid, grid);
    EXPECT_EQ(callbackLog[0].message, msg.Callback);
    EXPECT_EQ(callbackLog[0].r0, 2) << "kid number";
    EXPECT_EQ(callbackLog[0].r1, msg.Selection);
    EXPECT_NE(callbackLog[0].v3, 0) << "a click is a Selection with v3 non-zero";
    EXPECT_TRUE(XuiToggleState(toggle)) << "a toggle flips itself when clicked";

    XuiSend(grid, msg.SetValue, 0, 0, 0, 0, 2);
    EXPECT_FALSE(XuiToggleState(toggle)) << "SetValue 0 addressed by kid number releases it";
    XuiSend(grid, msg.SetValue, -1, 0, 0, 0, 2);
    EXPECT_TRUE(XuiToggleState(toggle));
    EXPECT_EQ(XgrQueuedMessageCount(), 0) << "setting a toggle reports nothing";

    // Toggles of one grid are independent: pressing another leaves this one pressed.
    const std::int32_t other = makeKid(XuiToggleButton, grid, 135, 5, 60, 20);
    XuiSend(grid, msg.SetValue, -1, 0, 0, 0, XuiGetKidNumber(other));
    EXPECT_TRUE(XuiToggleState(toggle) && XuiToggleState(other));
    XuiSend(grid, msg.SetValue, 0, 0, 0, 0, 2);
    EXPECT_TRUE(!XuiToggleState(toggle) && XuiToggleState(other));

    // A label's '&' is shown, not taken for a keyboard shortcut.
    const XstText label("B&C");
    XuiSend(first, msg.SetTextString, 0, 0, 0, 0, 0, label.number());
    const auto* button = static_cast<QPushButton*>(XuiNativeWidget(first));
    EXPECT_EQ(button->text(), QString("B&&C"));
    EXPECT_TRUE(button->shortcut().isEmpty());
}

// Regression: a kid was made through a pointer to its parent's record taken before the record
// table grew, so windows with many kids crashed at start-up.
TEST_F(Toolkit, ManyKidsAreNumberedInOrderAndSitOnTheirParent) {
    const std::int32_t grid = makeWindow(400, 400);
    constexpr int kKids = 3000;
    for (int i = 1; i <= kKids; ++i) {
        std::int32_t kid = 0, m = msg.Create, x = i % 300, y = i % 380, w = 20, h = 18,
                     r0 = XuiGetWindow(grid), r1 = grid;
        XuiToggleButton(kid, m, x, y, w, h, r0, r1);
        ASSERT_EQ(XuiGetKidNumber(kid), i);
    }
    EXPECT_EQ(XuiKidCount(grid), kKids);
    auto* parent = static_cast<QWidget*>(XuiNativeWidget(grid));
    for (int i = 1; i <= kKids; i += 499)
        EXPECT_EQ(static_cast<QWidget*>(XuiNativeWidget(XuiGetKid(grid, i)))->parentWidget(),
                  parent);
}

TEST_F(Toolkit, ScrollBarActionsBecomeStepMessagesWithThePositionLayout) {
    const std::int32_t grid = makeWindow(400, 100);
    const std::int32_t bar = makeKid(XuiScrollBarH, grid, 0, 10, 400, 15);
    XuiSend(grid, msg.SetPosition, 10, 350, 800, 20000, 1);
    std::int32_t low = 0, start = 0, end = 0, high = 0;
    XuiGetPosition(bar, low, start, end, high);
    EXPECT_EQ(low, 10);
    EXPECT_EQ(start, 350);
    EXPECT_EQ(end, 800);
    EXPECT_EQ(high, 20000);
    auto* widget = static_cast<QScrollBar*>(XuiNativeWidget(bar));
    XgrDropQueuedMessages();
    struct Row {
        QAbstractSlider::SliderAction action;
        std::int32_t expected;
    };
    const Row rows[] = {{QAbstractSlider::SliderSingleStepSub, msg.OneLess},
                        {QAbstractSlider::SliderSingleStepAdd, msg.OneMore},
                        {QAbstractSlider::SliderPageStepSub, msg.MuchLess},
                        {QAbstractSlider::SliderPageStepAdd, msg.MuchMore}};
    for (const Row& row : rows) {
        callbackLog.clear();
        XuiSend(grid, msg.SetPosition, 10, 350, 800, 20000, 1);
        widget->triggerAction(row.action);
        ASSERT_EQ(XgrQueuedMessageCount(), 1);
        XgrProcessMessages(1);
        ASSERT_EQ(callbackLog.size(), 1u);
        EXPECT_EQ(callbackLog[0].r1, row.expected) << XgrMessageNumberToName(row.expected);
        EXPECT_EQ(callbackLog[0].r0, 1);
        EXPECT_EQ(callbackLog[0].v0, 10);
        EXPECT_EQ(callbackLog[0].v3, 20000) << "the highest value, thumb included";
        EXPECT_EQ(callbackLog[0].v2 - callbackLog[0].v1, 450) << "the thumb keeps its size";
    }
    callbackLog.clear();
    widget->setSliderPosition(1000);
    widget->triggerAction(QAbstractSlider::SliderMove);
    XgrProcessMessages(1);
    ASSERT_EQ(callbackLog.size(), 1u);
    EXPECT_EQ(callbackLog[0].r1, msg.Change);
    EXPECT_EQ(callbackLog[0].v1, 1000);
    EXPECT_EQ(callbackLog[0].v2, 1450);
}

TEST_F(Toolkit, ColoursDrawExactlyWhatTheyName) {
    struct Row {
        std::int32_t colour;
        std::uint32_t rgb;
    };
    const Row palette[] = {{0, 0x000000},  {18, 0x00BFBF}, {31, 0x404040},
                           {62, 0x808080}, {93, 0xBFBFBF}, {124, 0xFFFFFF}};
    for (const Row& row : palette)
        EXPECT_EQ(XgrColourRGB(row.colour), row.rgb) << row.colour;
    struct Rgb {
        std::int32_t r, g, b;
        std::uint32_t rgb;
    };
    const Rgb converted[] = {
        {0, 0, 0, 0x000000},   {65535, 65535, 65535, 0xFFFFFF}, {0x2000, 0x2000, 0x2000, 0x202020},
        {129, 0, 0, 0x010000}, {128, 0, 0, 0x000000},           {6102, 52428, 0, 0x18CC00}};
    for (const Rgb& row : converted) {
        std::int32_t colour = 0;
        XgrConvertRGBToColor(row.r, row.g, row.b, colour);
        EXPECT_GT(colour, 124) << "never a palette number";
        EXPECT_EQ(XgrColourRGB(colour), row.rgb) << row.r << "," << row.g << "," << row.b;
    }
    const std::int32_t grid = makeWindow(20, 20);
    for (const Rgb& row : converted) {
        std::int32_t colour = 0;
        XgrConvertRGBToColor(row.r, row.g, row.b, colour);
        XgrFillBox(grid, colour, 3, 3, 3, 3);
        std::int32_t r = 0, g = 0, b = 0, grabbed = 0;
        XgrGrabPoint(grid, 3, 3, r, g, b, grabbed);
        XgrFillBox(grid, grabbed, 4, 4, 4, 4);
        EXPECT_EQ(pixel(grid, 4, 4), row.rgb) << "a grabbed colour draws the same pixel again";
    }
}

TEST_F(Toolkit, BoxesAndLinesIncludeBothCornersAndClipToTheBuffer) {
    const std::int32_t grid = makeWindow(50, 40);
    XgrClearGrid(grid, 0);
    XgrFillBox(grid, 124, 12, 10, 10, 12);  // corners in either order
    for (int y = 9; y <= 13; ++y)
        for (int x = 9; x <= 13; ++x)
            EXPECT_EQ(pixel(grid, x, y),
                      (x >= 10 && x <= 12 && y >= 10 && y <= 12) ? 0xFFFFFFu : 0u)
                << x << "," << y;
    XgrDrawLine(grid, 124, 30, 35, 30, 20);
    EXPECT_EQ(pixel(grid, 30, 20), 0xFFFFFFu);
    EXPECT_EQ(pixel(grid, 30, 35), 0xFFFFFFu);
    EXPECT_EQ(pixel(grid, 30, 19), 0u);
    // Far outside, huge and crossing coordinates draw only what is on the buffer, without harm.
    XgrFillBox(grid, 124, -2147483647, -5, 2147483647, -1);
    XgrDrawLine(grid, 124, -2147483647, 2147483647, 2147483647, -2147483647);
    XgrDrawLine(grid, 124, 2000000, 5, -2000000, 5);
    EXPECT_EQ(pixel(grid, 0, 5), 0xFFFFFFu);
    EXPECT_EQ(pixel(grid, 49, 5), 0xFFFFFFu);
}

TEST_F(Toolkit, TextAdvancesEightPixelsPerCharacterAndFitsItsRow) {
    const std::int32_t grid = makeWindow(200, 40);
    auto inkColumns = [&](std::string_view text, std::int32_t x) {
        XgrClearGrid(grid, 0);
        XgrSetDrawpoint(grid, x, 10);
        XgrDrawText(grid, 124, text);
        std::vector<int> columns;
        for (int cx = 0; cx < 200; ++cx)
            for (int y = 0; y < 40; ++y)
                if (pixel(grid, cx, y)) {
                    columns.push_back(cx);
                    break;
                }
        return columns;
    };
    const std::vector<int> one = inkColumns("M", 20);
    const std::vector<int> shifted = inkColumns("M", 28);
    const std::vector<int> two = inkColumns("MM", 20);
    ASSERT_FALSE(one.empty());
    std::vector<int> expected = one;
    expected.insert(expected.end(), shifted.begin(), shifted.end());
    EXPECT_EQ(two, expected) << "the second character stands 8 pixels right of the first";
    for (int c : one)
        EXPECT_TRUE(c >= 20 && c < 28) << "ink stays in its 8-pixel cell: " << c;
    // Rows: all ink of a full set of characters lies within the 10 rows below the draw point.
    XgrClearGrid(grid, 0);
    XgrSetDrawpoint(grid, 0, 10);
    XgrDrawText(grid, 124, "Ag|jy\xE6()[]");
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (pixel(grid, x, y)) {
                EXPECT_TRUE(y >= 10 && y < 20) << "ink at row " << y;
            }
    // The micro sign is drawn, not left blank.
    EXPECT_FALSE(inkColumns("\xE6", 0).empty());
    // Text on fill paints its cells in the grid's background colour first.
    XuiSend(grid, msg.SetColor, 93, 0, 0, 124);
    XgrClearGrid(grid, 0);
    XgrSetDrawpoint(grid, 8, 4);
    XgrDrawTextFill(grid, 0, "  ");
    EXPECT_EQ(pixel(grid, 8, 4), 0xBFBFBFu);
    EXPECT_EQ(pixel(grid, 23, 13), 0xBFBFBFu);
    EXPECT_EQ(pixel(grid, 24, 13), 0u);
    EXPECT_EQ(pixel(grid, 23, 14), 0u);
}

TEST_F(Toolkit, ThePictureSurvivesHidingAndShowingAndIsWhatTheScreenShows) {
    const std::int32_t grid = makeWindow(120, 80);
    XgrClearGrid(grid, 0);
    XgrFillBox(grid, 18, 10, 10, 50, 30);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    top->hide();
    top->showMinimized();
    top->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrFlushEvents();
    EXPECT_EQ(pixel(grid, 30, 20), 0x00BFBFu);
    const QImage shown = static_cast<QWidget*>(XuiNativeWidget(grid))->grab().toImage();
    EXPECT_EQ(shown.pixel(30, 20) & 0xFFFFFFu, 0x00BFBFu) << "the widget shows its buffer";
    EXPECT_EQ(shown.pixel(5, 5) & 0xFFFFFFu, 0u);
    bool redrawn = false;
    while (XgrQueuedMessageCount() > 0) {
        XgrSetCEO(recordCeo);
        XgrProcessMessages(1);
    }
    for (const Seen& s : ceoLog)
        redrawn |= s.message == msg.Redrawn;
    EXPECT_TRUE(redrawn) << "showing a window queues Redrawn";
    XgrSetCEO(nullptr);
}

TEST_F(Toolkit, FrameCloseAsksTheProgramAndWindowsComeBackWhereTheyWere) {
    const std::int32_t grid = makeWindow(100, 60);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrDropQueuedMessages();
    top->close();
    EXPECT_TRUE(top->isVisible()) << "a close request alone closes nothing";
    ASSERT_EQ(XgrQueuedMessageCount(), 1);
    XgrProcessMessages(1);
    ASSERT_EQ(callbackLog.size(), 1u);
    EXPECT_EQ(callbackLog[0].r1, msg.CloseWindow);
    EXPECT_EQ(callbackLog[0].r0, 0) << "the window grid itself";

    std::int32_t g = grid, m = msg.GetWindowSize, x = 0, y = 0, w = 0, h = 0, r0 = 0, r1 = 0;
    XuiGetWindowSize(g, m, x, y, w, h, r0, r1);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 60);
    top->move(x, y);
    std::int32_t x2 = 0, y2 = 0;
    XuiGetWindowSize(g, m, x2, y2, w, h, r0, r1);
    EXPECT_EQ(x2, x) << "no drift";
    EXPECT_EQ(y2, y);
}

TEST_F(Toolkit, TextsAndFunctionsTravelAsNumbers) {
    const std::int32_t text = XstCreateText("Select By Phase");
    EXPECT_NE(text, 0);
    EXPECT_EQ(XstGetText(text), "Select By Phase");
    XstReleaseText(text);
    EXPECT_EQ(XstGetText(text), "");
    const std::int32_t f = XuiFunctionNumber(recordCallback);
    EXPECT_EQ(XuiFunctionNumber(recordCallback), f) << "one number per function";
    EXPECT_EQ(XuiFunctionAt(f), recordCallback);
    EXPECT_EQ(XuiFunctionAt(0), nullptr);
    EXPECT_EQ(XuiFunctionAt(999), nullptr);
}

TEST_F(Toolkit, KeysAndTheWheelReachTheWindowsCallbackWithTheirCodes) {
    const std::int32_t grid = makeWindow(300, 200);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrDropQueuedMessages();
    struct Row {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::int32_t code, bits;
    };
    const Row rows[] = {
        {"a letter in lower case", Qt::Key_V, Qt::ShiftModifier, "V", 'v', kShiftKey},
        {"Control: the key names the letter", Qt::Key_F, Qt::ControlModifier, "\x06", 'f',
         kControlKey},
        {"a sign", Qt::Key_Plus, Qt::NoModifier, "+", '+', 0},
        {"an arrow", Qt::Key_Left, Qt::ShiftModifier, "", kKeyLeft, kShiftKey},
        {"Home", Qt::Key_Home, Qt::NoModifier, "", kKeyHome, 0},
        {"the keypad's Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", kKeyEnter, 0},
    };
    for (const Row& row : rows) {
        callbackLog.clear();
        QTest::sendKeyEvent(QTest::KeyAction::Press, top, row.key, row.text, row.modifiers);
        ASSERT_EQ(XgrQueuedMessageCount(), 1) << row.name;
        XgrProcessMessages(1);
        ASSERT_EQ(callbackLog.size(), 1u) << row.name;
        EXPECT_EQ(callbackLog[0].r1, msg.WindowKeyDown) << row.name;
        EXPECT_EQ(callbackLog[0].v0, row.code) << row.name;
        EXPECT_EQ(callbackLog[0].v2, row.bits) << row.name;
    }

    callbackLog.clear();
    auto* gridWidget = static_cast<QWidget*>(XuiNativeWidget(grid));
    QWheelEvent forward(QPointF(40, 30), gridWidget->mapToGlobal(QPointF(40, 30)), QPoint(),
                        QPoint(-60, 120), Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase,
                        false);
    QApplication::sendEvent(gridWidget, &forward);
    ASSERT_EQ(XgrQueuedMessageCount(), 2) << "one message per axis turned";
    XgrProcessMessages(2);
    ASSERT_EQ(callbackLog.size(), 2u);
    EXPECT_EQ(callbackLog[0].r1, msg.WindowMouseWheel);
    EXPECT_EQ(std::vector<std::int32_t>(
                  {callbackLog[0].v0, callbackLog[0].v1, callbackLog[0].v2, callbackLog[0].v3}),
              std::vector<std::int32_t>({40, 30, kShiftKey, 120}));
    EXPECT_EQ(callbackLog[1].v2, kShiftKey | kWheelHorizontal);
    EXPECT_EQ(callbackLog[1].v3, -60);
}

TEST_F(Toolkit, TextFieldAndResultListTalkThroughMessages) {
    const std::int32_t grid = makeWindow(400, 300);
    const std::int32_t field = makeKid(XuiTextLine, grid, 5, 5, 300, 24);
    const std::int32_t list = makeKid(XuiList, grid, 5, 40, 300, 200);
    auto* top = static_cast<QWidget*>(XuiNativeWindow(XuiGetWindow(grid)));
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrDropQueuedMessages();
    auto* line = static_cast<QWidget*>(XuiNativeWidget(field));
    auto textOf = [&] {
        std::int32_t g = field, m = msg.GetTextString, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0,
                     r1 = 0;
        XuiSendMessage(g, m, v0, v1, v2, v3, r0, r1);
        std::string text = XstGetText(r1);
        XstReleaseText(r1);
        return text;
    };

    // Typed characters beyond one byte are folded into the program's single-byte texts.
    for (const QChar c : QString::fromUtf8("3\u2013 5 \u03bcm \u00e9\u4e2d"))
        QTest::sendKeyEvent(QTest::KeyAction::Click, line, Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    EXPECT_GT(XgrQueuedMessageCount(), 0);
    XgrProcessMessages(XgrQueuedMessageCount());
    ASSERT_FALSE(callbackLog.empty());
    EXPECT_EQ(callbackLog.back().r1, msg.TextModified);
    EXPECT_EQ(callbackLog.back().r0, 1) << "the field's kid number";
    EXPECT_EQ(textOf(), "3- 5 \xE6m \xE9?");

    // The keys that move through results reach the program instead of the cursor.
    callbackLog.clear();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(line, key);
    XgrProcessMessages(XgrQueuedMessageCount());
    std::vector<std::int32_t> keys;
    for (const Seen& seen : callbackLog) {
        EXPECT_EQ(seen.r1, msg.KeyDown);
        keys.push_back(seen.v0);
    }
    EXPECT_EQ(keys, std::vector<std::int32_t>({kKeyDown, kKeyUp, kKeyEnter, kKeyEscape}));

    const XstText replaced("1064");
    XuiSend(field, msg.SetTextString, 0, 0, 0, 0, 0, replaced.number());
    EXPECT_EQ(textOf(), "1064");
    EXPECT_EQ(XgrQueuedMessageCount(), 0) << "setting the text is no edit";

    const XstText rows("first\nsecond\n\x85 3 more");
    XuiSend(list, msg.SetTextArray, 0, 0, 0, 0, 0, rows.number());
    XuiSend(list, msg.SetValue, 1);
    std::int32_t getValue = 0;
    XgrMessageNameToNumber("GetValue", getValue);
    std::int32_t g = list, m = getValue, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    XuiSendMessage(g, m, v0, v1, v2, v3, r0, r1);
    EXPECT_EQ(v0, 1) << "the highlighted row";
    auto* listWidget = static_cast<QWidget*>(XuiNativeWidget(list));
    EXPECT_EQ(listWidget->focusPolicy(), Qt::NoFocus);
    callbackLog.clear();
    const int rowHeight = listWidget->fontMetrics().height() + 2;
    QTest::mouseClick(listWidget, Qt::LeftButton, {}, QPoint(20, rowHeight * 2 + rowHeight / 2));
    QTest::mouseClick(listWidget, Qt::LeftButton, {}, QPoint(20, rowHeight * 5));
    XgrProcessMessages(XgrQueuedMessageCount());
    ASSERT_EQ(callbackLog.size(), 1u) << "a click under the last row is nothing";
    EXPECT_EQ(callbackLog[0].r1, msg.Selection);
    EXPECT_EQ(callbackLog[0].v0, 2) << "the row clicked";
    EXPECT_EQ(callbackLog[0].r0, 2) << "the list's kid number";
}

}  // namespace
