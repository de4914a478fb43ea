// The main window's kids and commands, driven through the real widgets.

#include <QAbstractSlider>
#include <QScrollBar>
#include <cmath>

#include "common/program_fixture.h"
#include "spectrum/renderer.h"

namespace quorvanta::testing {
namespace {

constexpr double kNm = 1e-9;      // tolerance for values the arithmetic gives exactly
constexpr double kWorked = 5e-4;  // tolerance for worked values quoted to three decimals

class MainCommands : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("Ar ion", "gas").medium("Nd:YAG", "solid").medium("HeNe", "gas");
        catalogue.line("Ar ion", 400).line("Nd:YAG", 700).line("HeNe", 632.8).line("HeNe", 3391);
        start(catalogue);
    }

    static void triggerScroll(std::int32_t kid, QAbstractSlider::SliderAction action) {
        auto* bar = static_cast<QScrollBar*>(widgetOf(XuiGetKid(program.mainWindow, kid)));
        bar->triggerAction(action);
        processQueued();
    }

    static void select(std::initializer_list<int> media) {
        for (int m = 1; m <= program.database.mediumCount; ++m)
            program.database.mediumSelected[m] = 0;
        for (int m : media)
            program.database.mediumSelected[m] = 1;
        DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
    }

    static void expectView(double centre, double width, double tolerance, const char* what) {
        EXPECT_NEAR(program.view.viewCentre, centre, tolerance) << what;
        EXPECT_NEAR(program.view.viewWidth, width, tolerance) << what;
    }

    static void expectBar(std::int32_t kid, std::int32_t low, std::int32_t startValue,
                          std::int32_t end, std::int32_t high) {
        std::int32_t a = 0, b = 0, c = 0, d = 0;
        XuiGetPosition(XuiGetKid(program.mainWindow, kid), a, b, c, d);
        EXPECT_EQ(a, low) << "kid " << kid;
        EXPECT_EQ(b, startValue) << "kid " << kid;
        EXPECT_EQ(c, end) << "kid " << kid;
        EXPECT_EQ(d, high) << "kid " << kid;
    }
};

TEST_F(MainCommands, StartViewAndScrollBarsAtCreation) {
    expectView(575, 450, 0, "start view");
    EXPECT_EQ(program.view.scale, Logarithmic);
    expectBar(HBarKid, 10, 350, 800, 20000);
    expectBar(VBarKid, 10, 450, 455, 19995);
}

TEST_F(MainCommands, KidsHaveTheirNamesLabelsAndPlaces) {
    struct Row {
        std::int32_t kid;
        const char* name;
        const char* label;
        std::int32_t x, y, width, height;
    };
    const Row rows[] = {{QuitKid, "Quit", "Quit", 5, 679, 73, 20},
                        {AboutKid, "About", "About", 925, 679, 73, 20},
                        {ClearKid, "Clear", "Clear", 427, 679, 73, 20},
                        {ShowAvailKid, "ShowAvail", "Available", 577, 679, 83, 20},
                        {HBarKid, "HBar", "", 0, 601, 1000, 15},
                        {VBarKid, "VBar", "", 985, 0, 15, 500},
                        {PhaseKid, "Phase", "Select By Phase", 5, 619, 110, 20}};
    EXPECT_EQ(XuiKidCount(program.mainWindow), 15);
    for (const Row& row : rows) {
        const std::int32_t kid = XuiGetKid(program.mainWindow, row.kid);
        EXPECT_EQ(XuiGetGridName(kid), row.name);
        EXPECT_EQ(XuiGetTextString(kid), row.label) << row.name;
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        XuiGetGridBox(kid, x, y, w, h);
        EXPECT_EQ(x, row.x) << row.name;
        EXPECT_EQ(y, row.y) << row.name;
        EXPECT_EQ(w, row.width) << row.name;
        EXPECT_EQ(h, row.height) << row.name;
    }
    EXPECT_EQ(XuiGetHintString(XuiGetKid(program.mainWindow, ShowAllKid)),
              "Adjusts display to show all lines of selected media.");
}

TEST_F(MainCommands, ScrollStepsFromTheStartView) {
    struct Row {
        const char* name;
        QAbstractSlider::SliderAction action;
        double centre;
    };
    const Row rows[] = {{"OneMore", QAbstractSlider::SliderSingleStepAdd, 584},
                        {"MuchMore", QAbstractSlider::SliderPageStepAdd, 620},
                        {"OneLess", QAbstractSlider::SliderSingleStepSub, 566},
                        {"MuchLess", QAbstractSlider::SliderPageStepSub, 530}};
    for (std::int32_t scale : {Logarithmic, Linear}) {
        for (const Row& row : rows) {
            setView(575, 450, scale);
            triggerScroll(HBarKid, row.action);
            expectView(row.centre, 450, kNm, row.name);
            expectBar(HBarKid, 10, static_cast<std::int32_t>(std::lround(row.centre - 225)),
                      static_cast<std::int32_t>(std::lround(row.centre + 225)), 20000);
        }
    }
}

TEST_F(MainCommands, ScrollingStopsAtTheEndsOfTheRange) {
    setView(235, 450, Logarithmic);
    triggerScroll(HBarKid, QAbstractSlider::SliderSingleStepSub);
    expectView(235, 450, kNm, "left end");
    expectBar(HBarKid, 10, 10, 460, 20000);
    setView(19760, 450, Linear);
    triggerScroll(HBarKid, QAbstractSlider::SliderPageStepAdd);
    expectView(19775, 450, kNm, "right end");
}

TEST_F(MainCommands, ScrollBarChangeMovesToTheThumb) {
    scrollMessage(HBarKid, msg.Change, 10, 1000, 1450, 20000);
    expectView(1225.0 * 20000 / 19999, 450, kNm, "HBar Change");
    setView(575, 450, Logarithmic);
    scrollMessage(VBarKid, msg.Change, 10, 1000, 1005, 19995);
    EXPECT_NEAR(program.view.viewWidth, 1000.0 * 19990 / 19995, kNm);
}

TEST_F(MainCommands, WidthBarZoomsAroundThePlotsMiddle) {
    struct Row {
        const char* name;
        std::int32_t scale;
        QAbstractSlider::SliderAction action;
        double centre, width;
    };
    const Row rows[] = {
        {"OneLess linear", Linear, QAbstractSlider::SliderSingleStepSub, 575, 441},
        {"OneLess log", Logarithmic, QAbstractSlider::SliderSingleStepSub, 573.254, 441},
        {"MuchMore log", Logarithmic, QAbstractSlider::SliderPageStepAdd, 585.235, 500},
        {"MuchLess linear", Linear, QAbstractSlider::SliderPageStepSub, 575, 405},
    };
    for (const Row& row : rows) {
        setView(575, 450, row.scale);
        triggerScroll(VBarKid, row.action);
        expectView(row.centre, row.width, kWorked, row.name);
        if (row.scale == Logarithmic) {
            const double left = program.view.leftEnd(), right = program.view.rightEnd();
            EXPECT_NEAR(left * right, 280000, 1e-6) << row.name << ": the middle stays at 529.15";
        }
    }
}

TEST_F(MainCommands, ZoomButtons) {
    clickKid(program.mainWindow, MaxZoomKid);
    expectView(575, 10, kNm, "Max Zoom");
    EXPECT_DOUBLE_EQ(program.view.leftEnd(), 570);
    clickKid(program.mainWindow, MinZoomKid);
    expectView(10005, 19990, kNm, "Min Zoom");
    expectBar(HBarKid, 10, 10, 20000, 20000);
    expectBar(VBarKid, 10, 19990, 19995, 19995);
    clickKid(program.mainWindow, VisibleKid);
    expectView(575, 450, kNm, "Visible");
    clickKid(program.mainWindow, LinLogKid);
    EXPECT_EQ(program.view.scale, Linear);
    expectView(575, 450, kNm, "Lin/Log leaves the range");
    clickKid(program.mainWindow, LinLogKid);
    EXPECT_EQ(program.view.scale, Logarithmic);
}

TEST_F(MainCommands, ZoomAllFramesTheSelectedLines) {
    struct Row {
        const char* name;
        std::int32_t scale;
        std::initializer_list<int> media;
        double centre, width;
    };
    const Row rows[] = {{"400..700 log", Logarithmic, {1, 2}, 575, 450},
                        {"400..700 linear", Linear, {1, 2}, 550, 450}};
    for (const Row& row : rows) {
        setView(3000, 100, row.scale);
        select(row.media);
        clickKid(program.mainWindow, ShowAllKid);
        expectView(row.centre, row.width, 1e-6, row.name);
    }
    // A single line: the narrowest view around it. HeNe has a second line at 3391, so use a
    // view in which only its first is the extent: select a medium with one line instead.
    CatalogueImage single;
    single.medium("HeNe", "gas").line("HeNe", 632.8);
    start(single);
    select({1});
    clickKid(program.mainWindow, ShowAllKid);
    expectView(632.8, 10, 1e-9, "single line");
}

TEST_F(MainCommands, ZoomAllWithNothingSelectedChangesNothing) {
    setView(3000, 100, Logarithmic);
    select({});
    clickKid(program.mainWindow, ShowAllKid);
    expectView(3000, 100, 0, "nothing selected");
    expectBar(HBarKid, 10, 2950, 3050, 20000);  // still sent
    clickKid(program.mainWindow, AutoZoomKid);
    EXPECT_EQ(program.view.autoZoom, 1);
    EXPECT_TRUE(XuiToggleState(XuiGetKid(program.mainWindow, AutoZoomKid)));
    expectView(3000, 100, 0, "AutoZoom on with nothing selected");
    clickKid(program.mainWindow, AutoZoomKid);
    EXPECT_EQ(program.view.autoZoom, 0);
}

TEST_F(MainCommands, AvailableSelectsMediaWithLinesStrictlyInsideTheRange) {
    struct Row {
        const char* name;
        double centre, width;
        std::vector<int> selected;  // per medium 1..3
    };
    const Row rows[] = {{"all visible", 575, 450, {1, 1, 1}},
                        {"400 exactly at the left end", 500, 200, {0, 0, 0}},
                        {"700 exactly at the right end", 675, 50, {0, 0, 0}},
                        {"700 just inside", 675.25, 50, {0, 1, 0}},
                        {"only infrared", 3391, 100, {0, 0, 1}},
                        {"nothing", 15000, 100, {0, 0, 0}}};
    for (const Row& row : rows) {
        setView(row.centre, row.width, Logarithmic);
        clickKid(program.mainWindow, ShowAvailKid);
        std::vector<int> got;
        for (int m = 1; m <= 3; ++m)
            got.push_back(program.database.mediumSelected[m]);
        EXPECT_EQ(got, row.selected) << row.name;
        for (int m = 1; m <= 3; ++m)
            EXPECT_EQ(XuiToggleState(XuiGetKid(program.mediaWindow, mediaToggleOffset + m)),
                      row.selected[m - 1] == 1)
                << row.name << ": toggle of medium " << m;
    }
}

TEST_F(MainCommands, AutoAvailReselectsOnEveryZoomAndClearDeselects) {
    setView(3391, 100, Logarithmic);
    clickKid(program.mainWindow, AutoAvailKid);
    EXPECT_EQ(program.view.autoAvail, 1);
    EXPECT_EQ(program.database.mediumSelected[3], 1);
    clickKid(program.mainWindow, VisibleKid);
    EXPECT_EQ(program.database.mediumSelected[1], 1) << "Visible runs the avail step";
    EXPECT_EQ(program.database.mediumSelected[2], 1);
    clickKid(program.mainWindow, ClearKid);
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(program.database.mediumSelected[m], 0);
    clickKid(program.mainWindow, AutoAvailKid);
    EXPECT_EQ(program.view.autoAvail, 0);
    clickKid(program.mainWindow, MaxZoomKid);
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(program.database.mediumSelected[m], 0);
}

TEST_F(MainCommands, QuitAndTheFramesCloseEndTheProgram) {
    clickKid(program.mainWindow, QuitKid);
    EXPECT_EQ(quitCount, 1);
    widgetOf(program.mainWindow)->window()->close();
    processQueued();
    EXPECT_EQ(quitCount, 2) << "closing the main window quits instead of hiding it for good";
}

TEST_F(MainCommands, WindowButtonsShowTheirWindows) {
    struct Row {
        std::int32_t kid;
        std::int32_t* window;
    };
    const Row rows[] = {{AboutKid, &program.aboutWindow},
                        {MediaKid, &program.mediaWindow},
                        {PhaseKid, &program.phaseWindow}};
    for (const Row& row : rows) {
        EXPECT_FALSE(XuiWindowVisible(*row.window)) << "hidden after start-up";
        clickKid(program.mainWindow, row.kid);
        EXPECT_TRUE(XuiWindowVisible(*row.window)) << "kid " << row.kid;
    }
}

}  // namespace
}  // namespace quorvanta::testing
