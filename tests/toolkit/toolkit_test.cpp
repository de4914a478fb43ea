// The toolkit layer on Qt's offscreen platform: real input turned into the program's messages.

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <tuple>

#include "toolkit/grid_pattern.h"
#include "toolkit_fixture.h"

namespace {

using namespace quorvanta;
using namespace quorvanta::testing;
using Toolkit = ToolkitFixture;

// Regression: kids were made through a pointer into a table that moved as it grew.
TEST_F(Toolkit, ThousandsOfKidsStayInTheirParent) {
    const std::int32_t grid = makeWindow(100, 50, 30, 40, false);
    for (int i = 1; i <= 3000; ++i)
        ASSERT_EQ(XuiGetKidNumber(makeKid(XuiToggleButton, grid, i % 90, i % 40, 9, 9)), i);
    EXPECT_EQ(widgetOf(XuiGetKid(grid, 2999))->parentWidget(), widgetOf(grid));
}

// One window holding every kind of kid: real input, row by row, makes the messages that reach
// the callback and leaves the state the row names.
TEST_F(Toolkit, RealInputReachesTheCallbackAsTheProgramsMessages) {
    const std::int32_t grid = makeWindow(400, 300);
    const std::int32_t toggle = makeKid(XuiToggleButton, grid, 200, 230, 147, 18);  // kid 1
    auto* bar = static_cast<QScrollBar*>(widgetOf(makeKid(XuiScrollBarH, grid, 0, 30, 400, 15)));
    const std::int32_t field = makeKid(XuiTextLine, grid, 5, 50, 300, 24);         // kid 3
    const std::int32_t list = makeKid(XuiList, grid, 5, 80, 300, 100);             // kid 4
    const std::int32_t under = makeKid(XuiToggleButton, grid, 100, 200, 147, 18);  // kid 5
    const std::int32_t over = makeKid(XuiToggleButton, grid, 200, 200, 147, 18);   // kid 6
    const XstText rows("first\nsecond\n\x85 3 more"), face("Arial"), label("Nd:YAG & co"),
        replaced("1064");
    XuiSend(list, msg.SetTextArray, 0, 0, 0, 0, 0, rows.number());
    for (const std::int32_t kid : {toggle, over}) {  // dressed as the medium window's toggles
        XuiSend(kid, msg.SetFont, 240, 400, 0, 0, 0, face.number());
        XuiSend(kid, msg.SetColorExtra, 62, 124, 0, 124);
        XuiSend(kid, msg.SetTextString, 0, 0, 0, 0, 0, label.number());
    }
    QWidget *top = topOf(grid), *area = widgetOf(grid), *line = widgetOf(field),
            *results = widgetOf(list), *button = widgetOf(toggle);  // 5 and 6 stay painted
    XgrFillBox(grid, 18, 320, 60, 390, 170);
    auto text = [field] { return XstGetText(ask(field, "GetTextString")[5]); };
    auto on = [](std::int32_t kid) { return [kid] { return XuiToggleState(kid); }; };
    auto click = [area](int x, int y, Qt::MouseButton pressed = Qt::LeftButton) {
        return [=] { QTest::mouseClick(area, pressed, {}, QPoint(x, y)); };
    };
    auto row = [](const char* name, const std::function<void()>& input,
                  const std::vector<std::string>& expected,
                  const std::function<bool()>& after = nullptr) {
        input();
        EXPECT_EQ(deliver(), expected) << name;
        EXPECT_TRUE(!after || after()) << name << ": the state it leaves";
    };
    std::vector<std::string> typed(10, message("TextModified", 3));
    for (const std::int32_t code : {kKeyDown, kKeyUp, kKeyEnter, kKeyEscape})
        typed.push_back(message("KeyDown", 3, code));
    XgrDropQueuedMessages();
    row("hover over a grid that does not track the pointer",
        [=] { QTest::mouseMove(area, QPoint(50, 250)); }, {});
    XuiTrackPointer(grid);
    row("hover once it does", [=] { QTest::mouseMove(area, QPoint(60, 250)); },
        {message("WindowMouseMove", 0, 60, 250)});
    row("into a kid: the grid is left, at the last position",
        [=] { QTest::mouseMove(results, QPoint(10, 10)); },
        {message("WindowMouseExit", 0, 60, 250)});
    row(
        "a click on a toggle widget", [=] { QTest::mouseClick(button, Qt::LeftButton); },
        {message("Selection", 1, -1, 0, 0, 1)}, on(toggle));
    row("a click on a painted toggle", click(150, 209), {message("Selection", 5, -1, 0, 0, 1)},
        on(under));
    row("a click where two overlap: the last made is on top", click(220, 209),
        {message("Selection", 6, -1, 0, 0, 1)}, on(over));
    row(
        "pressed on a painted toggle, released off it, with and without a move on the way",
        [=] {
            QTest::mousePress(area, Qt::LeftButton, {}, QPoint(150, 209));
            QTest::mouseMove(area, QPoint(150, 250));
            QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(150, 250));
            QTest::mousePress(area, Qt::LeftButton, {}, QPoint(150, 209));
            QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(150, 250));
        },
        {}, on(under));
    row("the right button on a painted toggle is the grid's", click(150, 209, Qt::RightButton),
        {message("WindowMouseDown", 0, 150, 209, kRightButton)}, on(under));
    row("a press off the toggles is the grid's", click(150, 250),
        {message("WindowMouseDown", 0, 150, 250, kLeftButton)});
    row(
        "SetValue by kid number sets a toggle, silently",
        [=] { XuiSend(grid, msg.SetValue, 0, 0, 0, 0, 1); }, {},
        [=] { return !XuiToggleState(toggle) && XuiToggleState(under); });
    row("the bar's arrows, its trough either side of the thumb, the thumb dragged",
        [=] {
            for (int action = 1; action <= 5; ++action) {  // SingleStepAdd .. PageStepSub, drag
                XuiSend(grid, msg.SetPosition, 10, 350, 800, 20000, 2);
                if (action == 5) bar->setSliderPosition(1000);
                if (action < 5) bar->triggerAction(QAbstractSlider::SliderAction(action));
            }
        },
        {message("OneMore", 2, 10, 351, 801, 20000), message("OneLess", 2, 10, 349, 799, 20000),
         message("MuchMore", 2, 10, 800, 1250, 20000), message("MuchLess", 2, 10, 10, 460, 20000),
         message("Change", 2, 10, 1000, 1450, 20000)});
    row("keys: letters in lower case, also with Control, signs, arrows, Home, keypad Enter",
        [=] {
            const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
                {Qt::Key_V, Qt::ShiftModifier, "V"}, {Qt::Key_F, Qt::ControlModifier, "\x06"},
                {Qt::Key_Plus, Qt::NoModifier, "+"}, {Qt::Key_Left, Qt::ShiftModifier, ""},
                {Qt::Key_Home, Qt::NoModifier, ""},  {Qt::Key_Enter, Qt::KeypadModifier, "\r"}};
            for (const auto& [k, modifiers, letters] : keys)
                QTest::sendKeyEvent(QTest::KeyAction::Press, top, k, letters, modifiers);
        },
        {message("WindowKeyDown", 0, 'v', 0, kShiftKey),
         message("WindowKeyDown", 0, 'f', 0, kControlKey), message("WindowKeyDown", 0, '+'),
         message("WindowKeyDown", 0, kKeyLeft, 0, kShiftKey), message("WindowKeyDown", 0, kKeyHome),
         message("WindowKeyDown", 0, kKeyEnter)});
    row("the wheel turned on both axes, Shift held",
        [=] {
            QWheelEvent turn({40, 30}, area->mapToGlobal(QPointF(40, 30)), {}, {-60, 120},
                             Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area, &turn);
        },
        {message("WindowMouseWheel", 0, 40, 30, kShiftKey, 120),
         message("WindowMouseWheel", 0, 40, 30, kShiftKey | kWheelHorizontal, -60)});
    row(
        "typing, folded to single bytes; the keys that move through results",
        [=] {
            for (const QChar c : QString::fromUtf8("3\u2013 5 \u03bcm \u00e9\u4e2d"))
                QTest::sendKeyEvent(QTest::KeyAction::Click, line, Qt::Key_unknown, c, {});
            for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape})
                QTest::keyClick(line, k);
        },
        typed, [=] { return text() == "3- 5 \xE6m \xE9?"; });
    row(
        "the program setting the text is no edit",
        [&] { XuiSend(field, msg.SetTextString, 0, 0, 0, 0, 0, replaced.number()); }, {},
        [=] { return text() == "1064"; });
    row("a click on a result row, then one under the last",
        [=] {
            const int height = results->fontMetrics().height() + 2;
            QTest::mouseClick(results, Qt::LeftButton, {}, QPoint(20, height * 5 / 2));
            QTest::mouseClick(results, Qt::LeftButton, {}, QPoint(20, height * 5));
        },
        {message("Selection", 4, 2, 0, 0, 1)});

    // What kids show: a label's '&' as it is, the highlighted result row; results take no focus.
    EXPECT_EQ(static_cast<QPushButton*>(button)->text(), QString("Nd:YAG && co"));
    XuiSend(list, msg.SetValue, 1);
    EXPECT_EQ(ask(list, "GetValue")[0], 1) << "the highlighted row";
    EXPECT_EQ(results->focusPolicy(), Qt::NoFocus);

    // The screen shows the buffer, which outlives hiding, and toggles, painted or widgets, alike.
    top->hide();
    top->showMinimized();
    top->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrSetCEO(record);
    EXPECT_TRUE(std::ranges::any_of(deliver(), [](auto& m) { return m.starts_with("Redrawn"); }))
        << "showing a window queues Redrawn";
    XgrSetCEO(nullptr);
    for (const std::int32_t value : {0, -1}) {
        XuiSend(over, msg.SetValue, value);
        XuiSend(toggle, msg.SetValue, value);
        XgrFlushEvents();
        const QImage image = area->grab().toImage();
        EXPECT_EQ(std::vector({pixel(grid, 330, 70), image.pixel(330, 70) & 0xFFFFFFu,
                               image.pixel(395, 295) & 0xFFFFFFu}),
                  std::vector<std::uint32_t>({0x00BFBF, 0x00BFBF, 0}));
        EXPECT_TRUE(image.copy(200, 200, 147, 18) == image.copy(200, 230, 147, 18))
            << "painted and widget toggles differ, SetValue " << value;
    }
    // Its place as reported puts the window back where it was; a close asks, closing nothing.
    const auto place = ask(grid, "GetWindowSize");
    top->move(place[0], place[1]);
    EXPECT_EQ(ask(grid, "GetWindowSize"), place) << "no drift";
    row(
        "the frame's close button", [top] { top->close(); }, {message("CloseWindow", 0)},
        [top] { return top->isVisible(); });
}

// The readout flips to the pointer's other side exactly where it would pass the screen's edge.
TEST_F(Toolkit, TheReadoutFlipsWhereItWouldLeaveTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::int32_t grid = makeWindow(area.width(), area.height(), area.x(), area.y());
    const QPoint origin = widgetOf(grid)->mapToGlobal(QPoint(0, 0));
    auto boxAt = [&](int x, int y) {
        XuiShowReadout(grid, x, y, std::vector<XuiReadoutRow>{{-1, 93, {"632.816 nm"}}});
        std::int32_t bx = 0, by = 0, w = 0, h = 0;
        XuiGetReadoutBox(bx, by, w, h);
        return QRect(bx, by, w, h).translated(-origin);
    };
    const int fits = area.right() - origin.x() - 15 - boxAt(0, 0).width();  // the last column
    EXPECT_EQ(boxAt(fits, 30).topLeft(), QPoint(fits + 16, 46)) << "right of and below";
    EXPECT_EQ(boxAt(fits + 1, 30).topRight(), QPoint(fits - 16, 46)) << "flipped to the left";
    EXPECT_EQ(boxAt(40, area.bottom() - origin.y()).bottom(), area.bottom() - origin.y() - 17);
}

}  // namespace
