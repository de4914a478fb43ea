// Clicks and drags on the colour band, with synthesized mouse events on the main window's grid.

#include "common/program_fixture.h"
#include "spectrum/renderer.h"

namespace quorvanta::testing {
namespace {

constexpr std::int32_t kBandRow = 550;
constexpr std::uint32_t kWhite = 0xFFFFFF;

class Pointer : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("HeNe", "gas").line("HeNe", 632.8);
        start(catalogue);
    }

    static QWidget* grid() { return widgetOf(program.mainWindow); }

    static void gesture(Qt::MouseButton button, int fromX, int toX, int releaseY = kBandRow) {
        QTest::mousePress(grid(), button, Qt::NoModifier, QPoint(fromX, kBandRow));
        processQueued();
        if (fromX != toX) {
            QTest::mouseMove(grid(), QPoint(toX, kBandRow));
            processQueued();
        }
        QTest::mouseRelease(grid(), button, Qt::NoModifier, QPoint(toX, releaseY));
        processQueued();
    }
};

TEST_F(Pointer, ClicksAndDragsFromTheStartView) {
    struct Row {
        const char* name;
        std::int32_t scale;
        Qt::MouseButton button;
        int fromX, toX;
        double centre, width;
    };
    const Row rows[] = {
        {"left click, linear", Linear, Qt::LeftButton, 500, 500, 575, 405},
        {"right click at 0, linear", Linear, Qt::RightButton, 0, 0, 350, 500},
        {"left drag, linear", Linear, Qt::LeftButton, 250, 750, 575, 225},
        {"left drag right to left, linear", Linear, Qt::LeftButton, 750, 250, 575, 225},
        {"right drag, linear", Linear, Qt::RightButton, 250, 750, 575, 900},
        {"five-column drag, linear", Linear, Qt::LeftButton, 500, 505, 576.125, 10},
        {"left click, log", Logarithmic, Qt::LeftButton, 500, 500, 566.574, 405},
        {"left drag, log", Logarithmic, Qt::LeftButton, 250, 750, 540.491, 220.279},
        {"left drag right to left, log", Logarithmic, Qt::LeftButton, 750, 250, 540.491, 220.279},
    };
    for (const Row& row : rows) {
        setView(575, 450, row.scale);
        gesture(row.button, row.fromX, row.toX);
        EXPECT_NEAR(program.view.viewCentre, row.centre, 5e-4) << row.name;
        EXPECT_NEAR(program.view.viewWidth, row.width, 5e-4) << row.name;
        EXPECT_EQ(program.pointer.dragging, 0) << row.name;
    }
    setView(575, 450, Logarithmic);
    gesture(Qt::LeftButton, 500, 500);
    EXPECT_NEAR(program.view.leftEnd() * program.view.rightEnd(), 280000, 1e-6)
        << "a click on the log scale keeps the clicked wavelength at the middle";
}

TEST_F(Pointer, MarkersShowWhileHeldAndAReleaseOffTheBandCancels) {
    setView(575, 450, Linear);
    DrawSpectrum(575, 450);
    const std::uint32_t under250 = mainPixel(250, kBandRow);
    const std::uint32_t under600 = mainPixel(600, kBandRow);
    QTest::mousePress(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(250, kBandRow));
    processQueued();
    EXPECT_EQ(mainPixel(250, 530), kWhite) << "anchor marker";
    QTest::mouseMove(grid(), QPoint(600, kBandRow));
    processQueued();
    QTest::mouseMove(grid(), QPoint(600, kBandRow + 1));
    processQueued();
    EXPECT_EQ(mainPixel(250, 530), kWhite) << "the anchor is drawn again";
    EXPECT_EQ(mainPixel(600, 570), kWhite) << "moving marker";
    QTest::mouseRelease(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 605));
    processQueued();
    EXPECT_DOUBLE_EQ(program.view.viewCentre, 575);
    EXPECT_DOUBLE_EQ(program.view.viewWidth, 450);
    EXPECT_EQ(mainPixel(250, kBandRow), under250) << "the band is painted again";
    EXPECT_EQ(mainPixel(600, kBandRow), under600);
    EXPECT_EQ(program.pointer.dragging, 0);
}

// Regression: a key or a wheel notch while the button was held redrew the picture under the
// markers, moved the marker to the key code's column and ended the drag in the wrong range.
TEST_F(Pointer, KeysAndTheWheelWaitForADragToBeReleased) {
    setView(575, 450, Linear);
    DrawSpectrum(575, 450);
    gesture(Qt::LeftButton, 250, 600);
    const SpectrumView dragged = program.view;
    setView(575, 450, Linear);
    DrawSpectrum(575, 450);
    const std::uint32_t under600 = mainPixel(600, kBandRow);
    QTest::mousePress(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(250, kBandRow));
    processQueued();
    XgrQueueMessage(program.mainWindow, msg.WindowKeyDown, kKeyEnd, 0, 0, 0, 0, 0);
    XgrQueueMessage(program.mainWindow, msg.WindowKeyDown, '+', 0, 0, 0, 0, 0);
    XgrQueueMessage(program.mainWindow, msg.WindowMouseWheel, 400, 300, 0, 120, 0, 0);
    processQueued();
    EXPECT_DOUBLE_EQ(program.view.viewWidth, 450) << "the view waits for the release";
    EXPECT_EQ(mainPixel(600, kBandRow), under600) << "no marker at a key's column";
    QTest::mouseMove(grid(), QPoint(600, kBandRow));
    processQueued();
    QTest::mouseRelease(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(600, kBandRow));
    processQueued();
    EXPECT_DOUBLE_EQ(program.view.viewCentre, dragged.viewCentre);
    EXPECT_DOUBLE_EQ(program.view.viewWidth, dragged.viewWidth);
}

TEST_F(Pointer, PressesOffTheBandOrWithOtherButtonsStartNothing) {
    setView(575, 450, Linear);
    QTest::mousePress(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    QTest::mouseRelease(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(300, kBandRow));
    processQueued();
    QTest::mouseClick(grid(), Qt::MiddleButton, Qt::NoModifier, QPoint(300, kBandRow));
    processQueued();
    EXPECT_DOUBLE_EQ(program.view.viewCentre, 575);
    EXPECT_DOUBLE_EQ(program.view.viewWidth, 450);
    EXPECT_EQ(program.pointer.dragging, 0);
}

TEST_F(Pointer, AutoAvailReselectsAfterAZoom) {
    program.view.autoAvail = 1;
    setView(575, 450, Linear);
    gesture(Qt::LeftButton, 250, 750);  // 462.5 .. 687.5 holds 632.8
    EXPECT_EQ(program.database.mediumSelected[1], 1);
    gesture(Qt::LeftButton, 0, 100);  // 462.5 .. 485
    EXPECT_EQ(program.database.mediumSelected[1], 0);
}

}  // namespace
}  // namespace quorvanta::testing
