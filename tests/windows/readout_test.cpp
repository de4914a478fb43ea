// The hover readout of the main window: its rows for the lines under the pointer, and when it
// shows and hides, with synthesized pointer events on the real windows.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/program_fixture.h"
#include "spectrum/renderer.h"

namespace quorvanta::testing {
namespace {

constexpr std::int32_t kBandRow = 550;

Transition noted(std::string_view medium, double wavelength, std::string_view note) {
    Transition line = makeTransition(medium, wavelength);
    std::memcpy(line.bytes.data() + kNoteOffset, note.data(), note.size());
    return line;
}

class HoverReadout : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("Dye", "liquid").medium("He-Ne", "gas").medium("Nd:YAG", "solid");
        catalogue.line(noted("He-Ne", 632.816, "red line")).line("Nd:YAG", 1064.1);
        for (int i = 0; i < 12; ++i)
            catalogue.line("Dye", (450101 + i) / 1000.0);  // 450.101 .. 450.112
        start(catalogue);
        for (std::int32_t& selected : program.database.mediumSelected)
            selected = 1;
        show(575, 450, Logarithmic);
    }

    static void show(double centre, double width, std::int32_t scale) {
        setView(centre, width, scale);
        DrawSpectrum(centre, width);
        processQueued();
    }
    static std::int32_t columnOf(double wavelength) {
        return static_cast<std::int32_t>(std::lround(program.view.xOf(wavelength)));
    }
    static std::vector<XuiReadoutRow> rowsAt(std::int32_t column) {
        return readoutRows(program.drawnLines, program.database, column);
    }
    static QWidget* grid() { return widgetOf(program.mainWindow); }
    static void moveTo(QWidget* widget, QPoint at) {
        QTest::mouseMove(widget, at);
        processQueued();
    }
};

using Cells = std::vector<std::string>;

TEST_F(HoverReadout, RowsNameEachLineUnderThePointerNearestFirst) {
    struct Row {
        const char* name;
        double centre, width;
        std::int32_t scale;
        double pointer;  // the wavelength whose column the pointer is in
        std::vector<Cells> lineRows;
        const char* more;  // the last row, or "" for none
    };
    const Row rows[] = {
        {"a line with a note",
         575,
         450,
         Logarithmic,
         632.816,
         {{"632.816 nm", "He-Ne (gas)", "red line"}},
         ""},
        {"micrometres with the digits of the label, no note",
         1064,
         20,
         Linear,
         1064.1,
         {{"1.0641 \xE6m", "Nd:YAG (solid)"}},
         ""},
        {"twelve lines in reach: eight rows and the rest counted", 575, 450, Linear, 450.0,
         std::vector<Cells>(8, Cells{"450.1xx nm", "Dye (liquid)"}), "\x85 and 4 more"},
        {"no line near: the wavelength alone", 575, 450, Linear, 700.0, {}, ""},
    };
    for (const Row& row : rows) {
        show(row.centre, row.width, row.scale);
        const std::vector<XuiReadoutRow> shown = rowsAt(columnOf(row.pointer));
        const std::size_t expected = 1 + row.lineRows.size() + (*row.more ? 1 : 0);
        ASSERT_EQ(shown.size(), expected) << row.name;
        for (std::size_t i = 0; i < row.lineRows.size(); ++i) {
            const XuiReadoutRow& line = shown[i + 1];
            ASSERT_EQ(line.cells.size(), row.lineRows[i].size()) << row.name << ", row " << i + 1;
            for (std::size_t c = 0; c < line.cells.size(); ++c) {
                // An x stands for any digit: the Dye lines differ in their last one.
                const std::string& want = row.lineRows[i][c];
                const std::string& got = line.cells[c];
                bool same = want.size() == got.size();
                for (std::size_t k = 0; same && k < want.size(); ++k)
                    same = want[k] == 'x' ? std::isdigit(static_cast<unsigned char>(got[k]))
                                          : want[k] == got[k];
                EXPECT_TRUE(same) << row.name << ", row " << i + 1 << ": \"" << got
                                  << "\", expected \"" << want << "\"";
            }
            const std::int32_t medium = line.cells[1].starts_with("He-Ne")    ? 2
                                        : line.cells[1].starts_with("Nd:YAG") ? 3
                                                                              : 1;
            EXPECT_EQ(line.swatch, MediumColour(medium)) << row.name << ": the medium's colour";
        }
        if (*row.more) {
            EXPECT_EQ(shown.back().cells, Cells{row.more}) << row.name;
        }
    }
}

// The first row reads the wavelength under the pointer, in nm below 1000 nm and in µm from there
// on, with enough digits for every column to read differently from its neighbours.
TEST_F(HoverReadout, TheFirstRowTellsNeighbouringColumnsApart) {
    struct View {
        const char* name;
        double centre, width;
        std::int32_t scale;
    };
    const View views[] = {
        {"linear, 10 nm wide", 500, 10, Linear},
        {"linear, the whole range", 10005, 19990, Linear},
        {"logarithmic, the whole range", 10005, 19990, Logarithmic},
        {"logarithmic, 10 nm wide at the top", 19995, 10, Logarithmic},
        {"linear, across 1000 nm", 1000, 100, Linear},
    };
    for (const View& view : views) {
        show(view.centre, view.width, view.scale);
        std::string previous;
        for (std::int32_t column = 0; column <= 999; ++column) {
            const std::string text = rowsAt(column).front().cells.front();
            const double wavelength = program.view.mapping().wavelengthAt(column);
            const bool micrometres = text.ends_with(" \xE6m");
            EXPECT_EQ(micrometres, wavelength >= 1000)
                << view.name << ", column " << column << ": \"" << text << "\"";
            ASSERT_TRUE(micrometres || text.ends_with(" nm")) << text;
            const double read = std::strtod(text.c_str(), nullptr) * (micrometres ? 1000 : 1);
            const double step =
                std::abs(program.view.mapping().wavelengthAt(column + 1) - wavelength);
            EXPECT_LE(std::abs(read - wavelength), step) << view.name << ": \"" << text << "\"";
            EXPECT_NE(text, previous)
                << view.name << ", columns " << column - 1 << " and " << column;
            previous = text;
        }
    }
}

TEST_F(HoverReadout, ShowsWhileThePointerRestsOnThePictureAndNeverPaintsIt) {
    show(575, 450, Linear);
    std::vector<std::uint32_t> before;
    for (std::int32_t y = 0; y < 700; ++y)
        for (std::int32_t x = 0; x < 1000; ++x)
            before.push_back(mainPixel(x, y));

    const QPoint onLine(columnOf(632.816), 400);
    moveTo(grid(), onLine);
    ASSERT_TRUE(XuiReadoutVisible());
    EXPECT_EQ(XuiGetReadoutRows(), rowsAt(onLine.x()));
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    XuiGetReadoutBox(x, y, width, height);
    const QPoint pointer = grid()->mapToGlobal(onLine);
    EXPECT_TRUE(x > pointer.x() || x + width <= pointer.x()) << "it covers the pointer's column";
    std::size_t changed = 0;
    for (std::int32_t row = 0, i = 0; row < 700; ++row)
        for (std::int32_t column = 0; column < 1000; ++column, ++i)
            changed += mainPixel(column, row) != before[std::size_t(i)];
    EXPECT_EQ(changed, 0u) << "pixels of the picture changed under the readout";

    struct Step {
        const char* name;
        std::function<void()> action;
    };
    const Step hiding[] = {
        {"a move below the picture", [] { moveTo(grid(), QPoint(900, 650)); }},
        {"a move into a kid",
         [] { moveTo(widgetOf(XuiGetKid(program.mainWindow, VBarKid)), QPoint(7, 200)); }},
        {"a redraw", [] { clickKid(program.mainWindow, LinLogKid); }},
        {"a press on the band",
         [] {
             QTest::mousePress(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(500, kBandRow));
             processQueued();
         }},
    };
    int row = 0;
    for (const Step& step : hiding) {
        // A move to where the pointer already is would be no move at all.
        moveTo(grid(), onLine + QPoint(0, ++row));
        ASSERT_TRUE(XuiReadoutVisible()) << "before " << step.name;
        step.action();
        EXPECT_FALSE(XuiReadoutVisible()) << step.name;
    }
    // The press started a click that zooms as ever.
    const double widthBefore = program.view.viewWidth;
    QTest::mouseRelease(grid(), Qt::LeftButton, Qt::NoModifier, QPoint(500, kBandRow));
    processQueued();
    EXPECT_DOUBLE_EQ(program.view.viewWidth, widthBefore * 0.9);
    EXPECT_FALSE(XuiReadoutVisible());
}

}  // namespace
}  // namespace quorvanta::testing
