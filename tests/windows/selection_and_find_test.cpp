// The medium, phase, About and Find windows: what they show and what their controls select.

#include <QLineEdit>
#include <sstream>

#include "common/program_fixture.h"
#include "windows/find_query.h"

namespace quorvanta::testing {
namespace {

using Kind = FindQuery::Kind;

CatalogueImage numberedMedia(int count) {
    CatalogueImage catalogue;
    for (int i = 1; i <= count; ++i) {
        const std::string name = "Medium " + std::to_string(i);
        catalogue.medium(name, i % 3 == 0 ? "gas" : i % 3 == 1 ? "solid" : "liquid");
        catalogue.line(name, 400.0 + i);
    }
    return catalogue;
}

class Windows : public ProgramFixture {};

TEST_F(Windows, TheMediumWindowGrowsByAColumnPerTwentyMedia) {
    struct Row {
        int media, width, lastX, lastY;
    };
    for (const Row& row : {Row{0, 152, 0, 0}, Row{19, 152, 2, 382}, Row{20, 302, 152, 2},
                           Row{40, 452, 302, 2}, Row{300, 2402, 2252, 2}}) {
        start(numberedMedia(row.media));
        EXPECT_EQ(widgetOf(program.mediaWindow)->window()->size(), QSize(row.width, 402))
            << row.media;
        ASSERT_EQ(XuiKidCount(program.mediaWindow), 3 + row.media);
        if (row.media == 0) continue;
        const std::int32_t last = XuiGetKid(program.mediaWindow, 3 + row.media);
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        XuiGetGridBox(last, x, y, w, h);
        EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({row.lastX, row.lastY, 147, 18}))
            << row.media << " media";
        EXPECT_EQ(XuiGetTextString(last), "Medium " + std::to_string(row.media));
    }
}

// The medium and phase windows' buttons select, and the toggles follow.
TEST_F(Windows, TheMediumAndPhaseWindowsSelect) {
    CatalogueImage catalogue;
    catalogue.medium("Nd:YAG", "solid").medium("Rhodamine", "liquid").medium("HeNe", "gas");
    catalogue.medium("Plasma", "plasma").medium("Ti:Sapph", "solid");
    catalogue.line("Rhodamine", 600).line("Ti:Sapph", 800).line("Plasma", 13.5);
    start(catalogue);
    EXPECT_EQ(program.view.selectedMin, 20000) << "nothing selected";
    EXPECT_EQ(program.view.selectedMax, 10);
    const std::int32_t phase = program.phaseWindow, media = program.mediaWindow;
    struct Step {
        const char* name;
        std::int32_t window, kid;
        std::vector<int> selected;
    };
    const Step steps[] = {
        {"medium All", media, 2, {1, 1, 1, 1, 1}},
        {"last toggle", media, mediaToggleOffset + 5, {1, 1, 1, 1, 0}},
        {"first toggle", media, mediaToggleOffset + 1, {0, 1, 1, 1, 0}},
        {"medium None", media, 3, {0, 0, 0, 0, 0}},
        {"phase All", phase, 2, {1, 1, 1, 0, 1}},
        {"phase None", phase, 3, {0, 0, 0, 0, 0}},
        {"Solid", phase, 4, {1, 0, 0, 0, 1}},
        {"Solid again", phase, 4, {0, 0, 0, 0, 0}},
        {"medium All", media, 2, {1, 1, 1, 1, 1}},
        {"Solid after medium All", phase, 4, {1, 0, 0, 1, 1}},
        {"medium None", media, 3, {0, 0, 0, 0, 0}},
        {"Liquid after medium None", phase, 5, {1, 1, 0, 0, 1}},
        {"main Clear keeps the phase flags", program.mainWindow, ClearKid, {0, 0, 0, 0, 0}},
        {"Gas starts from the kept flags", phase, 6, {1, 1, 1, 0, 1}},
    };
    for (const Step& step : steps) {
        click(step.window, step.kid);
        EXPECT_EQ(selection(), step.selected) << step.name;
        EXPECT_EQ(toggles(), step.selected) << step.name << ": the toggles";
        EXPECT_EQ(program.view.selectedMax, step.selected[4]   ? 800
                                            : step.selected[1] ? 600
                                                               : 10)
            << step.name << ": the spectrum is drawn again";
    }
    // A toggle's Selection with v3 = 0 changes nothing; with AutoZoom a toggle refits the view.
    std::int32_t g = media, m = msg.Callback, v0 = 0, v1 = 0, v2 = 0, v3 = 0,
                 r0 = mediaToggleOffset + 1, r1 = msg.Selection;
    MediaCallback(g, m, v0, v1, v2, v3, r0, r1);
    EXPECT_EQ(program.database.mediumSelected[1], 1);
    click(program.mainWindow, AutoZoomKid);
    click(media, mediaToggleOffset + 5);
    EXPECT_EQ(program.view.viewWidth, 10) << "the 600 nm line alone, widened to Max Zoom";
    EXPECT_EQ(program.view.viewCentre, 600);
    click(media, 3);
    EXPECT_EQ(program.view.viewCentre, 600) << "None leaves nothing to refit to";
}

TEST_F(Windows, AboutTellsTheCataloguesSizeAndWhetherItFitsTheRange) {
    struct Row {
        std::vector<double> lines;
        const char* verdict;
    };
    const char* fits = "All transitions in database are within displayable range.";
    const char* notAll = "Not all transitions in database are within displayable range.";
    for (const Row& row : {Row{{}, fits}, Row{{10, 20000}, fits}, Row{{9.5, 400}, notAll}}) {
        CatalogueImage catalogue;
        if (!row.lines.empty()) catalogue.medium("X", "gas");
        for (double w : row.lines)
            catalogue.line("X", w);
        start(catalogue);
        const auto lines = aboutLines();
        const std::string size = std::to_string(row.lines.size());
        EXPECT_EQ(lines[2], "Database contains " + size + " discrete transitions in " +
                                (row.lines.empty() ? "0" : "1") + " media.");
        EXPECT_EQ(lines[4], row.verdict) << size << " lines";
    }
}

// What the text means: a wavelength or a range in nm, "bad", "empty" or "name".
std::string meaning(std::string_view text) {
    const FindQuery query = parseFindText(text);
    std::ostringstream out;
    if (query.kind == Kind::Wavelength) out << query.low;
    if (query.kind == Kind::Range) out << query.low << ".." << query.high;
    return query.kind == Kind::Empty  ? "empty"
           : query.kind == Kind::Bad  ? "bad"
           : query.kind == Kind::Name ? "name"
                                      : out.str();
}

TEST(FindText, ReadsWavelengthsRangesAndNames) {
    // Each text, then what it means.
    // clang-format off
    const char* const rows[] = {
        "1064", "1064", "  1064 nm ", "1064", "1064NM", "1064", "1.064 um", "1064",
        "1.064\xE6m", "1064", "1.064\xC2\xB5m", "1064", "10.6 \xCE\xBCm", "10600",
        "10.6 microns", "10600", "0.532e3", "532", ".5", "0.5", "500-600", "500..600",
        "600 - 500", "500..600", "3 to 5 \xE6m", "3000..5000", "10..20", "10..20",
        "10.4..10.7 um", "10400..10700", "500\u2013600", "500..600", "", "empty",
        "500 nm - 1 um", "500..1000", " \t ", "empty", "-5", "bad", "+5", "bad", "0", "bad",
        "1e999", "bad", "1e308 um", "bad", "5-", "bad", "1e", "bad", "1064 nmx", "bad",
        "1,064", "bad", "1 2", "bad", "..", "bad", "abc-", "name", "He-Ne 632", "name"};
    // clang-format on
    for (std::size_t i = 0; i < std::size(rows); i += 2)
        EXPECT_EQ(meaning(rows[i]), rows[i + 1]) << '"' << rows[i] << '"';
}

// One medium with 25 lines, 501..525 nm, and 21 more media whose name starts the same way.
TEST(FindText, ListsAtMostTwentyRowsNearestOrFirstAndSaysHowManyMore) {
    CatalogueImage catalogue;
    catalogue.medium("Caf\xE9\x01\x85 laser", "gas");
    for (int i = 2; i <= 22; ++i)
        catalogue.medium("Cafe " + std::to_string(i), "solid");
    for (int k = 1; k <= 25; ++k)
        catalogue.line("Caf\xE9\x01\x85 laser", 500.0 + k);
    TransitionDatabase db;
    loadTransitionDatabase(catalogue.bytes(), "catalogue", db);
    db.mediumSelected[1] = 1;
    const CatalogueIndex index(db);
    struct Row {
        const char* text;
        std::size_t rows;  // with the last, "... N more" row
        std::string first, last;
    };
    const std::string more = std::string(1, kEllipsis) + " ";
    const Row rows[] = {
        {"CAF\xE9", 1, "[x] Caf\xE9?? laser", "  501-525 nm"},
        {"caf", 21, "[x] Caf", more + "2 more"},
        {"503 nm", 21, "503 nm", more + "5 more"},
        {"512.5", 21, "512 nm", more + "5 more"},
        {"503-503", 1, "1 line of 1 medium in 503 to 503 nm", "503 nm"},
        {"1e999", 0, "", ""},
    };
    for (const Row& row : rows) {
        const FindResults found = findResults(parseFindText(row.text), db, index);
        ASSERT_EQ(found.rows.size(), row.rows) << row.text;
        EXPECT_EQ(found.actions.size(), std::min<std::size_t>(row.rows, kFindRows)) << row.text;
        if (row.rows == 0) continue;
        EXPECT_EQ(found.rows.front().substr(0, row.first.size()), row.first) << row.text;
        EXPECT_TRUE(found.rows.back().ends_with(row.last)) << row.text << ": " << found.rows.back();
    }
}

TEST_F(Windows, FindGoesToAWavelengthOrARangeAndSelectsMedia) {
    CatalogueImage catalogue;
    catalogue.medium("Ar ion", "gas").medium("Nd:YAG", "solid").medium("HeNe", "gas");
    catalogue.line("Ar ion", 488).line("Nd:YAG", 1064.1).line("HeNe", 632.8).line("HeNe", 3391);
    start(catalogue);
    key(Qt::Key_Slash);
    ASSERT_TRUE(XuiWindowVisible(program.findWindow));
    auto* field = static_cast<QLineEdit*>(kid(program.findWindow, 1));
    auto type = [field](const char* text, std::initializer_list<Qt::Key> keys) {
        field->clear();
        QTest::keyClicks(field, text);
        processQueued();
        for (Qt::Key k : keys) {
            QTest::keyClick(field, k);
            processQueued();
        }
    };
    type("1064", {Qt::Key_Return});
    EXPECT_NEAR(program.view.viewWidth, 1064.1 * 0.02, 1e-9);
    EXPECT_NEAR(program.view.wavelengthAt(500), 1064.1, 1e-6) << "the line in the middle";
    EXPECT_EQ(selection(), (std::vector<int>{0, 1, 0})) << "the line's medium is selected";
    EXPECT_EQ(toggles(), selection());

    // Names that start with the text first; Enter toggles the marked one, Down moves on.
    click(program.mainWindow, AutoZoomKid);
    type("n", {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(program.find.results.actions[0].item, 2) << "Nd:YAG starts with n";
    EXPECT_EQ(selection(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(toggles(), selection());
    const SpectrumView refitted = program.view;
    click(program.mainWindow, ShowAllKid);
    EXPECT_EQ(refitted.viewCentre, program.view.viewCentre) << "AutoZoom refits as Zoom All";
    EXPECT_EQ(refitted.viewWidth, program.view.viewWidth);
}

}  // namespace
}  // namespace quorvanta::testing
