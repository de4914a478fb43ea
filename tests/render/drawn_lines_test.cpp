// The lines a redraw records, found again under a pointer column: exactly the lines it drew, each
// with the medium it drew it for, nearest first.
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "render_fixture.h"

namespace quorvanta::test {

namespace {

struct Found {
    std::int32_t transition;
    std::int32_t medium;
    friend bool operator==(const Found&, const Found&) = default;
};

std::string describe(const std::vector<Found>& found) {
    std::ostringstream out;
    for (const Found& f : found)
        out << " (line " << f.transition << ", medium " << f.medium << ")";
    return found.empty() ? " none" : out.str();
}

// Wavelengths 600, 601, .. in the linear view 350..850 nm, 2 pixels per nm: 1 nm apart, lines
// climb (labels of three characters need 40 pixels), and from the 42nd on they have no label.
void installCrowd(int count) {
    CatalogueImage catalogue;
    catalogue.medium("Dye", "liquid");
    for (int i = 0; i < count; ++i)
        catalogue.line("Dye", 600 + i);
    install(catalogue);
}

}  // namespace

class DrawnLinesLookup : public RenderTest {};

TEST_F(DrawnLinesLookup, FindsWhatTheRedrawDrew) {
    struct Row {
        const char* name;
        std::function<void()> setUp;  // catalogue, selection and view; the test then redraws
        double pointerWavelength;     // the pointer's column is the one this is drawn in
        std::vector<Found> expected;  // nearest first
        std::size_t count;
    };
    const Row rows[] = {
        {"lines in one column, nearest first, equal distances in stored order",
         [] {
             install(CatalogueImage()
                         .medium("Dye", "liquid")
                         .line("Dye", 600.0)    // x 555.56
                         .line("Dye", 600.2)    // x 556.00
                         .line("Dye", 600.1)    // x 555.78
                         .line("Dye", 600.2));  // the same place again
             setView(Linear, 575, 450);
         },
         600.2,
         {{2, 1}, {4, 1}, {3, 1}, {1, 1}},
         4},
        {"within three columns and no further",
         [] {
             install(CatalogueImage()
                         .medium("Dye", "liquid")
                         .line("Dye", 601.5)    // 3 columns right
                         .line("Dye", 598.0)    // 4 columns left
                         .line("Dye", 598.5));  // 3 columns left
             setView(Linear, 600, 500);
         },
         600.0,
         {{1, 1}, {3, 1}},
         2},
        {"at x = 960 a line is drawn on the logarithmic scale",
         [] {
             install(CatalogueImage().medium("Ar", "gas").line("Ar", 782.0));
             setView(Logarithmic, 575, 450);
         },
         782.0,
         {{1, 1}},
         1},
        {"the same line is beyond the linear scale's limit and not drawn",
         [] {
             install(CatalogueImage().medium("Ar", "gas").line("Ar", 782.0));
             setView(Linear, 575, 450);
         },
         782.0,
         {},
         0},
        {"climbing lines past the 41st carry no label and are found all the same",
         [] {
             installCrowd(50);
             setView(Linear, 600, 500);
         },
         644.0,
         {{45, 1}, {44, 1}, {46, 1}},
         3},
        {"two media of one name: the last selected one",
         [] {
             install(
                 CatalogueImage().medium("Dye", "liquid").medium("Dye", "liquid").line("Dye", 600));
         },
         600.0,
         {{1, 2}},
         1},
        {"two media of one name, the later one not selected",
         [] {
             install(
                 CatalogueImage().medium("Dye", "liquid").medium("Dye", "liquid").line("Dye", 600),
                 {1, 0});
         },
         600.0,
         {{1, 1}},
         1},
        {"no line near the pointer",
         [] { install(CatalogueImage().medium("Dye", "liquid").line("Dye", 700)); },
         500.0,
         {},
         0},
        {"nothing selected",
         [] { install(CatalogueImage().medium("Dye", "liquid").line("Dye", 600), {0}); },
         600.0,
         {},
         0},
        {"more lines than asked for: the nearest eight and the count",
         [] {
             CatalogueImage catalogue;
             catalogue.medium("Dye", "liquid");
             for (int i = 0; i < 12; ++i)
                 catalogue.line("Dye", 600 + 0.1 * i);  // x 500.0 .. 502.2
             install(catalogue);
             setView(Linear, 600, 500);
         },
         600.0,
         {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}},
         12},
    };
    for (const Row& row : rows) {
        program.view = SpectrumView::startValues();
        row.setUp();
        redraw();
        const LinesNear near = program.drawnLines.near(columnOf(row.pointerWavelength), 8);
        std::vector<Found> found;
        for (const DrawnLine& line : near.nearest)
            found.push_back({line.transition, line.medium});
        EXPECT_EQ(found, row.expected)
            << row.name << ": found" << describe(found) << ", expected" << describe(row.expected);
        EXPECT_EQ(near.count, row.count) << row.name;
    }
}

// The record describes the picture: a medium deselected since stays in it until the next redraw,
// which leaves it out.
TEST_F(DrawnLinesLookup, AMediumDeselectedSinceIsGoneWithTheNextRedraw) {
    install(CatalogueImage()
                .medium("Ar", "gas")
                .medium("Kr", "gas")
                .line("Ar", 600.0)
                .line("Kr", 600.1));
    setView(Linear, 575, 450);
    redraw();
    const std::int32_t column = columnOf(600.0);
    ASSERT_EQ(program.drawnLines.near(column, 8).count, 2u);
    program.database.mediumSelected[2] = 0;
    EXPECT_EQ(program.drawnLines.near(column, 8).count, 2u) << "the picture still shows Kr";
    redraw();
    const LinesNear near = program.drawnLines.near(column, 8);
    ASSERT_EQ(near.count, 1u);
    EXPECT_EQ(near.nearest[0].transition, 1);
    EXPECT_EQ(near.nearest[0].medium, 1);
}

}  // namespace quorvanta::test
