// The main window's controls, scroll bars, keys, wheel and gestures on the colour band, each
// done to the real widgets, and the view and selection they leave.

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include "common/program_fixture.h"

namespace quorvanta::testing {
namespace {

constexpr std::int32_t kBandRow = 550;
using Action = QAbstractSlider::SliderAction;

class MainWindow : public ProgramFixture {
  public:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("Ar ion", "gas").medium("Nd:YAG", "solid").medium("HeNe", "gas");
        catalogue.line("Ar ion", 400).line("Nd:YAG", 700).line("HeNe", 632.8).line("HeNe", 3391);
        start(catalogue);
    }
    static QScrollBar* bar(std::int32_t k) {
        return static_cast<QScrollBar*>(kid(program.mainWindow, k));
    }
    static void hbar(Action action) { bar(HBarKid)->triggerAction(action), processQueued(); }
    static void vbar(Action action) { bar(VBarKid)->triggerAction(action), processQueued(); }
    static void button(std::int32_t k) { click(program.mainWindow, k); }
    // The thumb dragged to low..high, as the bar reports it.
    static void thumb(std::int32_t k, std::int32_t low, std::int32_t high, std::int32_t end) {
        XgrQueueMessage(XuiGetKid(program.mainWindow, k), msg.Change, 10, low, high, end, 0, 0);
        processQueued();
    }
    // Selects the media, then presses the button.
    template <class... Media>
    static void zoomAll(std::int32_t k, Media... media) {
        program.database.mediumSelected = {0, 0, 0, 0};
        (..., (program.database.mediumSelected[media] = 1));
        DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
        button(k);
    }
    // Press at fromX, move to toX, release there; on the band's middle row unless told.
    static void band(Qt::MouseButton b, int fromX, int toX, int y = kBandRow, int releaseY = -1) {
        QTest::mousePress(grid(), b, {}, QPoint(fromX, y));
        processQueued();
        if (fromX != toX) QTest::mouseMove(grid(), QPoint(toX, y));
        processQueued();
        QTest::mouseRelease(grid(), b, {}, QPoint(toX, releaseY < 0 ? y : releaseY));
        processQueued();
    }
    static void wheel(int x, int y, int dx, int dy, int times = 1, bool shift = false) {
        for (int i = 0; i < times; ++i) {
            QWheelEvent event(QPointF(x, y), grid()->mapToGlobal(QPointF(x, y)), {}, {dx, dy},
                              Qt::NoButton, shift ? Qt::ShiftModifier : Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid(), &event);
        }
        processQueued();
    }
    // Keys and the wheel while a drag is held, which then ends off the band: none of them acts.
    static void keysMidDrag() {
        QTest::mousePress(grid(), Qt::LeftButton, {}, QPoint(250, kBandRow));
        key(Qt::Key_End), key(Qt::Key_Plus), wheel(400, 300, 0, 120);
        QTest::mouseMove(grid(), QPoint(600, kBandRow));
        QTest::mouseRelease(grid(), Qt::LeftButton, {}, QPoint(600, 605));
        processQueued();
    }
    static std::array<std::int32_t, 4> barPosition(std::int32_t k) {
        std::array<std::int32_t, 4> p{};
        XuiGetPosition(XuiGetKid(program.mainWindow, k), p[0], p[1], p[2], p[3]);
        return p;
    }
};

constexpr Action ArrowAdd = Action::SliderSingleStepAdd, ArrowSub = Action::SliderSingleStepSub,
                 PageAdd = Action::SliderPageStepAdd, PageSub = Action::SliderPageStepSub;
constexpr Qt::MouseButton Left = Qt::LeftButton, Right = Qt::RightButton;
constexpr Qt::KeyboardModifier Shift = Qt::ShiftModifier, Ctrl = Qt::ControlModifier;
constexpr std::int32_t Lin = Linear, Log = Logarithmic;

TEST_F(MainWindow, EachControlSetsTheView) {
    struct Row {
        const char* name;
        double centre, width;
        std::int32_t scale;
        void (*act)();
        double wantCentre, wantWidth;
        std::int32_t wantScale;
    };
    // clang-format off
    const Row rows[] = {
        {"arrow right", 575, 450, Log, [] { hbar(ArrowAdd); }, 584, 450, Log},
        {"trough right", 575, 450, Lin, [] { hbar(PageAdd); }, 620, 450, Lin},
        {"arrow left", 575, 450, Lin, [] { hbar(ArrowSub); }, 566, 450, Lin},
        {"trough right at 20000 nm", 19760, 450, Lin, [] { hbar(PageAdd); }, 19775, 450, Lin},
        {"thumb", 575, 450, Log, [] { thumb(HBarKid, 1000, 1450, 20000); }, 1225.06125, 450, Log},
        {"width thumb", 575, 450, Lin, [] { thumb(VBarKid, 1000, 1005, 19995); }, 575, 999.75, Lin},
        {"width arrow, linear", 575, 450, Lin, [] { vbar(ArrowSub); }, 575, 441, Lin},
        {"width arrow, log", 575, 450, Log, [] { vbar(ArrowSub); }, 573.254, 441, Log},
        {"width trough out, log", 575, 450, Log, [] { vbar(PageAdd); }, 585.235, 500, Log},
        {"width trough in, linear", 575, 450, Lin, [] { vbar(PageSub); }, 575, 405, Lin},
        {"Max Zoom", 575, 450, Log, [] { button(MaxZoomKid); }, 575, 10, Log},
        {"Min Zoom", 575, 450, Log, [] { button(MinZoomKid); }, 10005, 19990, Log},
        {"Visible", 3000, 100, Lin, [] { button(VisibleKid); }, 575, 450, Lin},
        {"Lin/Log", 575, 450, Log, [] { button(LinLogKid); }, 575, 450, Lin},
        {"Zoom All, log", 3000, 100, Log, [] { zoomAll(ShowAllKid, 1, 2); }, 575, 450, Log},
        {"Zoom All, linear", 3000, 100, Lin, [] { zoomAll(ShowAllKid, 1, 2); }, 550, 450, Lin},
        {"Zoom All, none selected", 3000, 100, Log, [] { zoomAll(ShowAllKid); }, 3000, 100, Log},
        {"AutoZoom, none selected", 3000, 100, Log, [] { zoomAll(AutoZoomKid); }, 3000, 100, Log},
        {"key -", 575, 450, Log, [] { key(Qt::Key_Minus); }, 585.235, 500, Log},
        {"key Shift+Right", 575, 450, Lin, [] { key(Qt::Key_Right, Shift); }, 620, 450, Lin},
        {"key Shift+Left", 575, 450, Log, [] { key(Qt::Key_Left, Shift); }, 530, 450, Log},
        {"wheel forward", 575, 450, Lin, [] { wheel(250, 300, 0, 120); }, 563.75, 405, Lin},
        {"3 thirds back", 563.75, 405, Lin, [] { wheel(250, 300, 0, -40, 3); }, 575, 450, Lin},
        {"wheel below the picture", 575, 450, Lin, [] { wheel(250, 650, 0, 120); }, 575, 450, Lin},
        {"Shift+wheel", 575, 450, Lin, [] { wheel(250, 300, 0, -120, 1, true); }, 620, 450, Lin},
        {"band: left click", 575, 450, Lin, [] { band(Left, 500, 500); }, 575, 405, Lin},
        {"band: top row", 575, 450, Lin, [] { band(Left, 500, 500, 525); }, 575, 405, Lin},
        {"band: bottom row", 575, 450, Lin, [] { band(Left, 500, 500, 575); }, 575, 405, Lin},
        {"band: right click at 0", 575, 450, Lin, [] { band(Right, 0, 0); }, 350, 500, Lin},
        {"band: left drag", 575, 450, Lin, [] { band(Left, 250, 750); }, 575, 225, Lin},
        {"band: right drag", 575, 450, Lin, [] { band(Right, 250, 750); }, 575, 900, Lin},
        {"band: five-column drag", 575, 450, Lin, [] { band(Left, 500, 505); }, 576.125, 10, Lin},
        {"band: left click, log", 575, 450, Log, [] { band(Left, 500, 500); }, 566.574, 405, Log},
        {"band: drag, log", 575, 450, Log, [] { band(Left, 250, 750); }, 540.491, 220.279, Log},
        {"band: leftwards", 575, 450, Log, [] { band(Left, 750, 250); }, 540.491, 220.279, Log},
        {"press off the band", 575, 450, Lin, [] { band(Left, 30, 30, 300, 550); }, 575, 450, Lin},
        {"release below it", 575, 450, Lin, [] { band(Left, 30, 30, 550, 580); }, 575, 450, Lin},
        {"keys mid-drag", 575, 450, Lin, [] { keysMidDrag(); }, 575, 450, Lin},
    };
    // clang-format on
    for (const Row& row : rows) {
        setView(row.centre, row.width, row.scale);
        updateScrollBars();
        row.act();
        EXPECT_NEAR(program.view.viewCentre, row.wantCentre, 5e-4) << row.name;
        EXPECT_NEAR(program.view.viewWidth, row.wantWidth, 5e-4) << row.name;
        EXPECT_EQ(program.view.scale, row.wantScale) << row.name;
        EXPECT_EQ(program.pointer.dragging, 0) << row.name;
        const std::array<std::int32_t, 4> thumb = {
            10, std::int32_t(std::lround(program.view.leftEnd())),
            std::int32_t(std::lround(program.view.rightEnd())), 20000};
        if (!std::string_view(row.name).ends_with("thumb")) {
            EXPECT_EQ(barPosition(HBarKid), thumb) << row.name << ": the position bar";
        }
    }
    EXPECT_EQ(barPosition(VBarKid), (std::array<std::int32_t, 4>{10, 450, 455, 19995}));
    button(MinZoomKid);
    EXPECT_EQ(barPosition(VBarKid), (std::array<std::int32_t, 4>{10, 19990, 19995, 19995}));
}

// Available, AutoAvail after every kind of zoom, and Clear, on the selection and its toggles.
TEST_F(MainWindow, AvailableSelectsTheMediaWithALineStrictlyInsideTheView) {
    struct Step {
        const char* name;
        double centre, width;
        void (*act)();
        std::vector<int> selected;
    };
    const Step steps[] = {
        {"all in view", 575, 450, [] { button(ShowAvailKid); }, {1, 1, 1}},
        {"400 at the left end", 500, 200, [] { button(ShowAvailKid); }, {0, 0, 0}},
        {"700 at the right end", 675, 50, [] { button(ShowAvailKid); }, {0, 0, 0}},
        {"700 just inside", 675.25, 50, [] { button(ShowAvailKid); }, {0, 1, 0}},
        {"only infrared", 3391, 100, [] { key(Qt::Key_A); }, {0, 0, 1}},
        {"nothing in view", 15000, 100, [] { button(ShowAvailKid); }, {0, 0, 0}},
        {"AutoAvail on", 3391, 100, [] { button(AutoAvailKid); }, {0, 0, 1}},
        {"then Visible", 3391, 100, [] { button(VisibleKid); }, {1, 1, 1}},
        {"then a drag to 462.5..485", 575, 450, [] { band(Left, 250, 300); }, {0, 0, 0}},
        {"then the wheel", 575, 450, [] { wheel(500, 300, 0, 120); }, {1, 1, 1}},
        {"then Clear", 575, 450, [] { button(ClearKid); }, {0, 0, 0}},
        {"AutoAvail off", 3391, 100, [] { button(AutoAvailKid), button(VisibleKid); }, {0, 0, 0}},
    };
    for (const Step& step : steps) {
        setView(step.centre, step.width, Linear);
        step.act();
        EXPECT_EQ(selection(), step.selected) << step.name;
        EXPECT_EQ(toggles(), step.selected) << step.name << ": the toggles";
    }
}

}  // namespace
}  // namespace quorvanta::testing
