// The toolkit layer on Qt's offscreen platform: numbers, the queue, real input turned into the
// program's messages, drawing read back pixel by pixel, the grid-function pattern and the readout.

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

TEST_F(Toolkit, MessagesTextsFunctionsAndKidsTravelAsNumbers) {
    const auto& names = messageVocabulary();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::int32_t number = -1;
        XgrMessageNameToNumber(names[i], number);
        EXPECT_EQ(number, static_cast<std::int32_t>(i) + 1) << names[i];
    }
    std::int32_t again = 0, unknown = -1;
    XgrRegisterMessage("Selection", again);
    XgrMessageNameToNumber("NeverRegistered", unknown);
    EXPECT_EQ(Msg({again, unknown, msg.LastMessage}),
              Msg({msg.Selection, 0, static_cast<std::int32_t>(names.size())}))
        << "a name registered again keeps its number, an unknown one is 0, LastMessage is last";
    const std::int32_t text = XstCreateText("Select By Phase"), f = XuiFunctionNumber(record);
    EXPECT_EQ(XstGetText(text), "Select By Phase");
    XstReleaseText(text);
    EXPECT_EQ(XstGetText(text), "");
    EXPECT_EQ(XuiFunctionNumber(record), f) << "one number per function";
    EXPECT_TRUE(XuiFunctionAt(f) == record && !XuiFunctionAt(0) && !XuiFunctionAt(999));

    // The queue hands out one message per call, in arrival order, to the CEO first.
    const std::int32_t grid = makeWindow(100, 50, 30, 40, false);
    XgrDropQueuedMessages();
    XgrSetCEO(record);
    for (std::int32_t i = 1; i <= 3; ++i)
        XgrQueueMessage(grid, msg.Redrawn, i, 0, 0, 0, 0, 0);
    for (std::int32_t call = 1; call <= 3; ++call) {
        XgrProcessMessages(1);
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(call)) << "one message per call";
        EXPECT_EQ(seen.back(), Msg({msg.Redrawn, 0, call, 0, 0, 0})) << "in arrival order";
    }

    // Regression: a kid was made through a pointer into the record table taken before the table
    // grew, so windows with many kids crashed at start-up.
    for (int i = 1; i <= 3000; ++i)
        ASSERT_EQ(XuiGetKidNumber(makeKid(XuiToggleButton, grid, i % 90, i % 40, 9, 9)), i);
    EXPECT_EQ(XuiKidCount(grid), 3000);
    for (int i = 1; i <= 3000; i += 499)
        EXPECT_EQ(widgetOf(XuiGetKid(grid, i))->parentWidget(), widgetOf(grid)) << "kid " << i;
}

TEST_F(Toolkit, RealInputReachesTheCallbackAsTheProgramsMessages) {
    const std::int32_t grid = makeWindow(400, 300);
    const std::int32_t button = makeKid(XuiPushButton, grid, 5, 5, 60, 20);
    const std::int32_t toggle = makeKid(XuiToggleButton, grid, 70, 5, 60, 20);  // kid 2
    auto* bar = static_cast<QScrollBar*>(widgetOf(makeKid(XuiScrollBarH, grid, 0, 30, 400, 15)));
    const std::int32_t field = makeKid(XuiTextLine, grid, 5, 50, 300, 24);         // kid 4
    const std::int32_t list = makeKid(XuiList, grid, 5, 80, 300, 100);             // kid 5
    const std::int32_t under = makeKid(XuiToggleButton, grid, 100, 200, 147, 18);  // kid 6
    const std::int32_t over = makeKid(XuiToggleButton, grid, 200, 200, 147, 18);   // kid 7
    QWidget *top = topOf(grid), *area = widgetOf(grid), *line = widgetOf(field),
            *results = widgetOf(list), *toggleWidget = widgetOf(toggle);  // 6, 7 stay painted
    const XstText rows("first\nsecond\n\x85 3 more"), replaced("1064");
    XuiSend(list, msg.SetTextArray, 0, 0, 0, 0, 0, rows.number());
    const int rowHeight = results->fontMetrics().height() + 2;
    auto textOf = [field] {
        std::int32_t g = field, m = msg.GetTextString, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0,
                     r1 = 0;
        XuiSendMessage(g, m, v0, v1, v2, v3, r0, r1);
        const std::string text = XstGetText(r1);
        XstReleaseText(r1);
        return text;
    };
    auto click = [area](Qt::MouseButton pressed, QPoint at, QPoint release) {
        return [=] {
            QTest::mousePress(area, pressed, Qt::NoModifier, at);
            if (release != at) QTest::mouseMove(area, release);
            QTest::mouseRelease(area, pressed, Qt::NoModifier, release);
        };
    };
    auto scroll = [grid, bar] {
        for (int action = QAbstractSlider::SliderSingleStepAdd;
             action <= QAbstractSlider::SliderPageStepSub + 1; ++action) {
            XuiSend(grid, msg.SetPosition, 10, 350, 800, 20000, 3);
            if (action > QAbstractSlider::SliderPageStepSub)
                bar->setSliderPosition(1000);  // the thumb dragged
            else
                bar->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
        }
    };
    auto press = [top] {
        const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
            {Qt::Key_V, Qt::ShiftModifier, "V"}, {Qt::Key_F, Qt::ControlModifier, "\x06"},
            {Qt::Key_Plus, Qt::NoModifier, "+"}, {Qt::Key_Left, Qt::ShiftModifier, ""},
            {Qt::Key_Home, Qt::NoModifier, ""},  {Qt::Key_Enter, Qt::KeypadModifier, "\r"}};
        for (const auto& [key, modifiers, text] : keys)
            QTest::sendKeyEvent(QTest::KeyAction::Press, top, key, text, modifiers);
    };
    auto turn = [area] {
        QWheelEvent event(QPointF(40, 30), area->mapToGlobal(QPointF(40, 30)), QPoint(),
                         QPoint(-60, 120), Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(area, &event);
    };
    auto type = [line] {
        for (const QChar c : QString::fromUtf8("3\u2013 5 \u03bcm \u00e9\u4e2d"))
            QTest::sendKeyEvent(QTest::KeyAction::Click, line, Qt::Key_unknown, c, {});
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape})
            QTest::keyClick(line, key);
    };
    const std::int32_t key = msg.WindowKeyDown, wheel = msg.WindowMouseWheel,
                       edit = msg.TextModified;
    struct Row {
        const char* name;
        std::function<void()> act;
        std::vector<Msg> expected;
        std::function<bool()> after = nullptr;  // the state it leaves
    };
    const Row table[] = {
        {"hover over a grid that does not track the pointer",
         [=] {
             QTest::mouseMove(area, {50, 250});
         },
         {}},
        {"hover once it does",
         [=] {
             XuiTrackPointer(grid);
             QTest::mouseMove(area, {60, 250});
         },
         {{msg.WindowMouseMove, 0, 60, 250, 0}}},
        {"into a kid: the grid is left, at the last position",
         [=] {
             QTest::mouseMove(widgetOf(button), {10, 10});
         },
         {{msg.WindowMouseExit, 0, 60, 250}}},
        {"a click on a toggle widget",
         [=] { QTest::mouseClick(toggleWidget, Qt::LeftButton); },
         {{msg.Selection, 2, -1, kAny, kAny, 1}},
         [=] { return XuiToggleState(toggle); }},
        {"a click on a painted toggle",
         click(Qt::LeftButton, {150, 209}, {150, 209}),
         {{msg.Selection, 6, -1, kAny, kAny, 1}},
         [=] { return XuiToggleState(under); }},
        {"a click where two overlap: the last made is on top",
         click(Qt::LeftButton, {220, 209}, {220, 209}),
         {{msg.Selection, 7, -1, kAny, kAny, 1}},
         [=] { return XuiToggleState(under) && XuiToggleState(over); }},
        {"pressed on a painted toggle, released off it",
         click(Qt::LeftButton, {150, 209}, {150, 250}),
         {},
         [=] { return XuiToggleState(under); }},
        {"the right button on a painted toggle is the grid's",
         click(Qt::RightButton, {150, 209}, {150, 209}),
         {{msg.WindowMouseDown, 0, 150, 209}}},
        {"a press off the toggles is the grid's",
         click(Qt::LeftButton, {150, 250}, {150, 250}),
         {{msg.WindowMouseDown, 0, 150, 250, kLeftButton}}},
        {"SetValue by kid number sets a toggle, silently",
         [=] { XuiSend(grid, msg.SetValue, 0, 0, 0, 0, 2); },
         {},
         [=] { return !XuiToggleState(toggle) && XuiToggleState(over); }},
        {"the bar's arrows, its trough either side of the thumb, the thumb dragged",
         scroll,
         {{msg.OneMore, 3, 10, 351, 801, 20000},
          {msg.OneLess, 3, 10, 349, 799, 20000},
          {msg.MuchMore, 3, 10, 800, 1250, 20000},
          {msg.MuchLess, 3, 10, 10, 460, 20000},
          {msg.Change, 3, 10, 1000, 1450, 20000}}},
        {"keys: letters in lower case, also with Control, signs, arrows, Home, keypad Enter",
         press,
         {{key, 0, 'v', kAny, kShiftKey},
          {key, 0, 'f', kAny, kControlKey},
          {key, 0, '+', kAny, 0},
          {key, 0, kKeyLeft, kAny, kShiftKey},
          {key, 0, kKeyHome, kAny, 0},
          {key, 0, kKeyEnter, kAny, 0}}},
        {"the wheel turned on both axes, Shift held",
         turn,
         {{wheel, 0, 40, 30, kShiftKey, 120},
          {wheel, 0, 40, 30, kShiftKey | kWheelHorizontal, -60}}},
        {"typing, folded to single bytes; the keys that move through results reach the program",
         type,
         {{edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {edit, 4},
          {msg.KeyDown, 4, kKeyDown},
          {msg.KeyDown, 4, kKeyUp},
          {msg.KeyDown, 4, kKeyEnter},
          {msg.KeyDown, 4, kKeyEscape}},
         [=] { return textOf() == "3- 5 \xE6m \xE9?"; }},
        {"the program setting the text is no edit",
         [&] { XuiSend(field, msg.SetTextString, 0, 0, 0, 0, 0, replaced.number()); },
         {},
         [=] { return textOf() == "1064"; }},
        {"a click on a result row, then one under the last",
         [=] {
             QTest::mouseClick(results, Qt::LeftButton, {}, {20, rowHeight * 5 / 2});
             QTest::mouseClick(results, Qt::LeftButton, {}, {20, rowHeight * 5});
         },
         {{msg.Selection, 5, 2, kAny, kAny, 1}}},
        {"the frame's close button asks, closing nothing",
         [top] { top->close(); },
         {{msg.CloseWindow, 0}},
         [top] { return top->isVisible(); }},
    };
    XgrDropQueuedMessages();
    for (const Row& row : table) {
        row.act();
        EXPECT_EQ(masked(deliver(), row.expected), row.expected) << row.name;
        EXPECT_TRUE(!row.after || row.after()) << row.name << ": the state it leaves";
    }

    // What kids show: a label's '&' as it is, the highlighted result row; results take no focus.
    const XstText label("B&C");
    XuiSend(button, msg.SetTextString, 0, 0, 0, 0, 0, label.number());
    EXPECT_EQ(static_cast<QPushButton*>(widgetOf(button))->text(), QString("B&&C"));
    XuiSend(list, msg.SetValue, 1);
    std::int32_t g = list, m = 0, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    XgrMessageNameToNumber("GetValue", m);
    XuiSendMessage(g, m, v0, v1, v2, v3, r0, r1);
    EXPECT_EQ(v0, 1) << "the highlighted row";
    EXPECT_EQ(results->focusPolicy(), Qt::NoFocus);
}

// Drawing into a 200 x 40 buffer cleared to black: the pixels each row names have their colour,
// and no pixel is lit outside the row's box.
TEST_F(Toolkit, DrawingPaintsExactlyThePixelsAsked) {
    const std::int32_t grid = makeWindow(200, 40, 30, 40, false);
    auto text = [grid](std::int32_t x, std::string_view s) {
        XgrSetDrawpoint(grid, x, 10);
        XgrDrawText(grid, 124, s);
    };
    const std::tuple<const char*, std::function<void()>, QRect, std::vector<QPoint>> table[] = {
        {"a box takes both corners, given in either order",
         [=] { XgrFillBox(grid, 124, 12, 10, 10, 12); },
         {10, 10, 3, 3},
         {{10, 10}, {12, 12}}},
        {"a line takes both ends",
         [=] { XgrDrawLine(grid, 124, 30, 35, 30, 20); },
         {30, 20, 1, 16},
         {{30, 20}, {30, 35}}},
        {"huge coordinates, clipped without harm",
         [=] {
             XgrFillBox(grid, 124, -2147483647, -5, 2147483647, -1);
             XgrDrawLine(grid, 124, -2147483647, 2147483647, 2147483647, -2147483647);
             XgrDrawLine(grid, 124, 2000000, 5, -2000000, 5);
         },
         {0, 0, 200, 40},
         {{0, 5}, {199, 5}}},
        {"a character keeps to its 8 x 10 cell", [=] { text(20, "M"); }, {20, 10, 8, 10}, {}},
        {"the micro sign is drawn", [=] { text(20, "\xE6"); }, {20, 10, 8, 10}, {}},
        {"all characters keep to their 10 rows",
         [=] { text(0, "Ag|jy\xE6()[]"); },
         {0, 10, 200, 10},
         {}},
    };
    for (const auto& [name, draw, box, lit] : table) {
        XgrClearGrid(grid, 0);
        draw();
        int inked = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                if (pixel(grid, x, y) != 0) {
                    ++inked;
                    EXPECT_TRUE(box.contains(x, y)) << name << ": lit at " << x << "," << y;
                }
        EXPECT_GT(inked, 0) << name;
        for (const QPoint at : lit)
            EXPECT_EQ(pixel(grid, at.x(), at.y()), 0xFFFFFFu) << name << " at " << at.x();
    }
    // Each character advances 8 pixels; text on fill paints its cells in the grid's first colour.
    XgrClearGrid(grid, 0);
    text(20, "M");
    text(28, "M");
    const std::vector<std::uint8_t> twice = XgrEncodeGridPng(grid, 0, 0, 200, 40);
    XgrClearGrid(grid, 0);
    text(20, "MM");
    EXPECT_TRUE(XgrEncodeGridPng(grid, 0, 0, 200, 40) == twice) << "MM is M, then M 8 pixels on";
    XuiSend(grid, msg.SetColor, 93, 0, 0, 124);
    XgrClearGrid(grid, 0);
    XgrSetDrawpoint(grid, 8, 4);
    XgrDrawTextFill(grid, 0, "  ");
    EXPECT_EQ(std::vector({pixel(grid, 8, 4), pixel(grid, 23, 13), pixel(grid, 24, 13),
                           pixel(grid, 23, 14)}),
              std::vector<std::uint32_t>({0xBFBFBF, 0xBFBFBF, 0, 0}))
        << "two cells filled, corners (8, 4) to (23, 13)";

    // Colours: the palette's levels, converted colours to the nearest 8-bit level, and a grabbed
    // colour that draws the same pixel again.
    const std::pair<std::int32_t, std::uint32_t> palette[] = {{0, 0x000000},  {18, 0x00BFBF},
                                                              {31, 0x404040}, {62, 0x808080},
                                                              {93, 0xBFBFBF}, {124, 0xFFFFFF}};
    for (const auto& [colour, rgb] : palette)
        EXPECT_EQ(XgrColourRGB(colour), rgb) << "palette colour " << colour;
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::uint32_t> converted[] = {
        {0, 0, 0, 0x000000},   {65535, 65535, 65535, 0xFFFFFF}, {0x2000, 0x2000, 0x2000, 0x202020},
        {129, 0, 0, 0x010000}, {128, 0, 0, 0x000000},           {6102, 52428, 0, 0x18CC00}};
    for (const auto& [r, g, b, rgb] : converted) {
        std::int32_t colour = 0, r2 = 0, g2 = 0, b2 = 0, grabbed = 0;
        XgrConvertRGBToColor(r, g, b, colour);
        EXPECT_GT(colour, 124) << "never a palette number";
        XgrFillBox(grid, colour, 3, 3, 3, 3);
        XgrGrabPoint(grid, 3, 3, r2, g2, b2, grabbed);
        XgrFillBox(grid, grabbed, 4, 4, 4, 4);
        EXPECT_EQ(pixel(grid, 4, 4), rgb) << r << "," << g << "," << b;
    }
}

TEST_F(Toolkit, TheScreenShowsTheBufferAndPaintedTogglesLookLikeWidgets) {
    const std::int32_t grid = makeWindow(400, 80);
    XgrClearGrid(grid, 93);
    XgrFillBox(grid, 18, 10, 45, 50, 70);
    std::int32_t made[2] = {};
    for (int i = 0; i < 2; ++i) {  // dressed as the medium window dresses its toggles
        std::int32_t m = msg.Create, x = i ? 200 : 2, y = 20, w = 147, h = 18,
                     r0 = XuiGetWindow(grid), r1 = grid;
        XuiToggleButton(made[i], m, x, y, w, h, r0, r1);
        const XstText face("Arial"), text("Nd:YAG & co");
        XuiSend(made[i], msg.SetFont, 240, 400, 0, 0, 0, face.number());
        XuiSend(made[i], msg.SetColorExtra, 62, 124, 0, 124);
        XuiSend(made[i], msg.SetTextString, 0, 0, 0, 0, 0, text.number());
    }
    ASSERT_NE(widgetOf(made[1]), nullptr) << "asking for its widget makes one";
    QWidget* top = topOf(grid);
    top->hide();
    top->showMinimized();
    top->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    XgrSetCEO(record);
    const std::vector<Msg> shown = deliver();
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const Msg& m) {
        return m[0] == msg.Redrawn;
    })) << "showing a window queues Redrawn";
    for (const std::int32_t value : {0, -1, 0}) {
        XuiSend(made[0], msg.SetValue, value);
        XuiSend(made[1], msg.SetValue, value);
        XgrFlushEvents();
        const QImage image = widgetOf(grid)->grab().toImage();
        EXPECT_EQ(pixel(grid, 30, 60), 0x00BFBFu) << "the buffer survives hiding and showing";
        EXPECT_EQ(image.pixel(30, 60) & 0xFFFFFFu, 0x00BFBFu) << "the widget shows its buffer";
        EXPECT_EQ(image.pixel(5, 75) & 0xFFFFFFu, 0xBFBFBFu);
        EXPECT_TRUE(image.copy(2, 20, 147, 18) == image.copy(200, 20, 147, 18))
            << "painted and widget toggles differ, SetValue " << value;
    }
    // The window's place as reported puts it back where it was.
    std::int32_t g = grid, m = msg.GetWindowSize, x = 0, y = 0, w = 0, h = 0, r0 = 0, r1 = 0;
    XuiGetWindowSize(g, m, x, y, w, h, r0, r1);
    EXPECT_EQ(QSize(w, h), QSize(400, 80));
    top->move(x, y);
    std::int32_t x2 = 0, y2 = 0;
    XuiGetWindowSize(g, m, x2, y2, w, h, r0, r1);
    EXPECT_EQ(QPoint(x2, y2), QPoint(x, y)) << "no drift";
}

// A window type as the program's windows describe theirs: 300 x 120, lifted 50 pixels when
// centred on 1280 x 1024, with one kid.
GridTypeState probeType;
int kidsMade = 0;
constexpr GridTypeDescriptor kProbe = {"Probe",
                                       [](std::int32_t& w, std::int32_t& h) { w = 300, h = 120; },
                                       50,
                                       {93, 0, 0, 124},
                                       false,
                                       [](std::int32_t grid, std::int32_t) {
                                           makeKid(XuiPushButton, grid, 5, 5, 50, 20);
                                           ++kidsMade;
                                       },
                                       [](std::int32_t& x, std::int32_t& y, std::int32_t& w,
                                          std::int32_t& h) { x = -1, y = -1, w = 1280, h = 1024; }};
std::int32_t Probe(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                   std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return runGridFunction(kProbe, probeType, Probe, grid, message, v0, v1, v2, v3, r0, r1);
}

TEST_F(Toolkit, TheGridPatternRegistersItsTypeAndBuildsWindowsOfItsDesign) {
    probeType = GridTypeState{};
    kidsMade = 0;
    std::int32_t grid = 0, m = 0, v0 = 0, v1 = 0, v2 = 0, v3 = 0, r0 = 0, r1 = 0;
    Probe(grid, m, v0, v1, v2, v3, r0, r1);
    EXPECT_TRUE(grid == 0 && kidsMade == 0) << "a first call with message 0 only registers";
    const std::pair<const char*, std::int32_t> properties[] = {
        {"x", 490},      {"y", 402},        {"width", 300},
        {"height", 120}, {"minWidth", 300}, {"maxHeight", 120}};
    for (const auto& [name, value] : properties)
        EXPECT_EQ(XuiGetGridTypeProperty(probeType.gridType, name), value) << name;
    // Only (-1, -1) is no position: anything else, negative or half -1, is kept.
    const std::pair<std::int32_t, std::int32_t> kept[] = {{-1, 40}, {7, -1}, {-300, -20}};
    for (const auto& [sx, sy] : kept) {
        std::int32_t x = 0, y = 0;
        designPosition(sx, sy, 1280, 1024, 1000, 700, 0, x, y);
        EXPECT_EQ(QPoint(x, y), QPoint(sx, sy));
    }
    auto create = [](std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
        std::int32_t made = 0, cw = msg.CreateWindow, a = 0, b = 0;
        Probe(made, cw, x, y, w, h, a, b);
        return made;
    };
    const std::int32_t first = create(0, 0, 0, 0), second = create(-40, -30, -5, 0);
    EXPECT_EQ(kidsMade, 2);
    EXPECT_EQ(XuiGetGridName(first), "Probe");
    EXPECT_EQ(QRect(topOf(first)->pos(), topOf(first)->size()), QRect(490, 402, 300, 120));
    EXPECT_EQ(QRect(topOf(second)->pos(), topOf(second)->size()), QRect(-40, -30, 300, 120))
        << "a negative position kept, a size below 1 replaced";
    EXPECT_EQ(pixel(first, 150, 60), 0xBFBFBFu) << "the buffer cleared in the first colour";
    XgrFillBox(first, 124, 0, 0, 10, 10);
    XuiSend(first, msg.Resize, 0, 0, 300, 120);
    EXPECT_EQ(pixel(first, 5, 5), 0xFFFFFFu) << "a Resize keeps the buffer and its picture";
    XuiSend(first, msg.SetCallback, first, XuiFunctionNumber(record), -1, -1, -1);
    seen.clear();
    XuiSend(first, msg.Redrawn);
    EXPECT_EQ(seen, std::vector<Msg>({{msg.Redrawn, 0, 0, 0, 0, 0}}));

    // Without the message names every message the pattern uses is 0: said, and registered.
    XgrResetToolkit();
    guiNames = GuiNames{};
    probeType = GridTypeState{};
    ::testing::internal::CaptureStderr();
    Probe(grid, m, v0, v1, v2, v3, r0, r1);
    const std::string said = "Probe() : Initialize : error ::: (undefined message)\n";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), said + said);
    EXPECT_TRUE(probeType.registered);
}

TEST_F(Toolkit, TheReadoutStandsBesideThePointerOnTheScreenAndOffThePicture) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::int32_t grid = makeWindow(area.width(), area.height(), area.x(), area.y());
    const QPoint origin = widgetOf(grid)->mapToGlobal(QPoint(0, 0));
    XgrFillBox(grid, 18, 0, 0, 199, 99);
    XgrFlushEvents();
    const std::vector<std::uint8_t> before = XgrEncodeGridPng(grid, 0, 0, 200, 100);
    const std::vector<XuiReadoutRow> rows = {
        {-1, 93, {"632.8 nm"}},
        {XgrRGBColour(65535, 32767, 65535), 124, {"632.816 nm", "He-Ne (gas)", "red line"}},
        {-1, 93, {"\x85 and 3 more"}}};
    auto box = [] {
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        XuiGetReadoutBox(x, y, w, h);
        return QRect(x, y, w, h);
    };
    XuiShowReadout(grid, 0, 0, rows);
    const QSize size = box().size();
    ASSERT_GT(size.width(), 0);
    // Right of and below the pointer, flipped where it would pass an edge of the screen.
    const int right = area.right() - origin.x(), bottom = area.bottom() - origin.y();
    const std::tuple<const char*, QPoint, bool, bool> table[] = {
        {"top left: right and below", {40, 30}, false, false},
        {"at the right edge: flipped to the left", {right - 5, 30}, true, false},
        {"at the bottom: flipped above", {40, bottom - 2}, false, true},
        {"bottom right corner: both", {right, bottom}, true, true},
        {"just fitting on the right", {right - 15 - size.width(), 30}, false, false},
        {"a pixel too wide for the right", {right - 14 - size.width(), 30}, true, false},
        {"just fitting below", {40, bottom - 15 - size.height()}, false, false},
    };
    for (const auto& [name, at, leftOf, above] : table) {
        XuiShowReadout(grid, at.x(), at.y(), rows);
        const QRect shown = box();
        const QPoint pointer = origin + at;
        EXPECT_TRUE(XuiReadoutVisible() && area.contains(shown)) << name << ": off the screen";
        EXPECT_EQ(shown.size(), size) << name;
        EXPECT_EQ(leftOf ? shown.right() : shown.left(), pointer.x() + (leftOf ? -17 : 16)) << name;
        EXPECT_EQ(above ? shown.bottom() : shown.top(), pointer.y() + (above ? -17 : 16)) << name;
    }
    XgrFlushEvents();
    EXPECT_EQ(XuiGetReadoutRows(), rows);
    EXPECT_TRUE(XgrEncodeGridPng(grid, 0, 0, 200, 100) == before) << "the picture changed";
    XgrDrawLine(grid, 124, 5, 5, 5, 50);
    XgrFlushEvents();
    EXPECT_FALSE(XuiReadoutVisible()) << "its rows told of the picture before this line";
    XuiShowReadout(grid, 20, 20, rows);
    XuiHideReadout();
    EXPECT_FALSE(XuiReadoutVisible());
}

}  // namespace
