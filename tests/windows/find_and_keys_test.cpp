// The Find window's text, and keys, the wheel and Find driven through the real windows.

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <cmath>
#include <limits>

#include "common/program_fixture.h"
#include "spectrum/anchored_zoom.h"
#include "windows/find_query.h"

namespace quorvanta::testing {
namespace {

using Kind = FindQuery::Kind;

TEST(FindText, EveryFormUnitSeparatorAndHostileText) {
    struct Row {
        const char* text;
        Kind kind;
        double low, high;
    };
    const Row rows[] = {
        {"1064", Kind::Wavelength, 1064, 1064},
        {"  1064 nm ", Kind::Wavelength, 1064, 1064},
        {"1064NM", Kind::Wavelength, 1064, 1064},
        {"1.064 um", Kind::Wavelength, 1064, 1064},
        {"1.064\xE6m", Kind::Wavelength, 1064, 1064},
        {"1.064\xC2\xB5m", Kind::Wavelength, 1064, 1064},
        {"10.6 \xCE\xBCm", Kind::Wavelength, 10600, 10600},
        {"10.6 microns", Kind::Wavelength, 10600, 10600},
        {"0.532e3", Kind::Wavelength, 532, 532},
        {".5", Kind::Wavelength, 0.5, 0.5},
        {"500-600", Kind::Range, 500, 600},
        {"600 - 500", Kind::Range, 500, 600},
        {"3 to 5 \xE6m", Kind::Range, 3000, 5000},
        {"10.4..10.7 um", Kind::Range, 10400, 10700},
        {"10..20", Kind::Range, 10, 20},
        {"500\xE2\x80\x93"
         "600",
         Kind::Range, 500, 600},
        {"500 nm - 1 um", Kind::Range, 500, 1000},
        {"", Kind::Empty, 0, 0},
        {" \t ", Kind::Empty, 0, 0},
        {"-5", Kind::Bad, 0, 0},
        {"+5", Kind::Bad, 0, 0},
        {"0", Kind::Bad, 0, 0},
        {"1e999", Kind::Bad, 0, 0},
        {"1e308 um", Kind::Bad, 0, 0},
        {"5-", Kind::Bad, 0, 0},
        {"1e", Kind::Bad, 0, 0},
        {"1064 nmx", Kind::Bad, 0, 0},
        {"1,064", Kind::Bad, 0, 0},
        {"1 2", Kind::Bad, 0, 0},
        {"..", Kind::Bad, 0, 0},
        {"abc-", Kind::Name, 0, 0},
        {"nd:", Kind::Name, 0, 0},
        {"He-Ne 632", Kind::Name, 0, 0},
    };
    for (const Row& row : rows) {
        const FindQuery query = parseFindText(row.text);
        EXPECT_EQ(query.kind, row.kind) << '"' << row.text << '"';
        if (row.kind == Kind::Wavelength || row.kind == Kind::Range) {
            EXPECT_DOUBLE_EQ(query.low, row.low) << '"' << row.text << '"';
            EXPECT_DOUBLE_EQ(query.high, row.high) << '"' << row.text << '"';
        }
    }
    // Any bytes at all: a name fragment or bad text, never anything else, never a crash.
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    for (std::size_t start = 0; start < bytes.size(); start += 7) {
        const FindQuery query = parseFindText(bytes.substr(start, 40));
        EXPECT_NE(query.kind, Kind::Range) << "from byte " << start;
    }
}

TEST(FindText, RowsShowNamesSafelyAndSayHowManyMore) {
    TransitionDatabase db;
    db.media = {Medium{}, makeMedium("Caf\xE9\x01\x85 laser", "gas")};
    db.mediumCount = 1;
    db.mediumSelected = {0, 1};
    db.transitions = {Transition{}};
    for (int k = 1; k <= 25; ++k)
        db.transitions.push_back(makeTransition(db.media[1].name(), 500.0 + k));
    db.transitionCount = 25;
    db.resolveMediumNames();
    const CatalogueIndex index(db);
    const FindResults name = findResults(parseFindText("CAF\xE9"), db, index);
    ASSERT_EQ(name.rows.size(), 1u) << "ASCII letters match in either case, other bytes exactly";
    EXPECT_EQ(name.rows[0].substr(0, 16), "[x] Caf\xE9?? laser") << "control bytes are shown as ?";
    const FindResults lines = findResults(parseFindText("503 nm"), db, index);
    ASSERT_EQ(lines.rows.size(), kFindRows + 1);
    EXPECT_EQ(lines.rows.front().substr(0, 6), "503 nm");
    EXPECT_EQ(lines.rows.back(), std::string(1, kEllipsis) + " 5 more");
    EXPECT_EQ(lines.actions.size(), kFindRows);
    const FindResults bad = findResults(parseFindText("1e999"), db, index);
    EXPECT_TRUE(bad.rows.empty());
    EXPECT_FALSE(bad.status.empty()) << "a hint says what the field accepts";
}

TEST(FindPlacement, BesideTheOtherWindowAndOnTheScreen) {
    struct Row {
        const char* name;
        std::array<std::int32_t, 4> other;
        std::int32_t x, y;
    };
    const Row rows[] = {
        {"room on the right", {10, 20, 600, 700}, 618, 20},
        {"room on the left only", {700, 20, 500, 700}, 172, 20},
        {"room on neither side: the wider one, kept on screen", {140, 162, 1000, 700}, 760, 162},
        {"above the screen's top", {10, -50, 600, 700}, 618, 0},
        {"below its bottom", {10, 900, 600, 700}, 618, 632},
    };
    for (const Row& row : rows) {
        std::int32_t x = 0, y = 0;
        besideWindow(row.other, 520, 392, 1280, 1024, x, y);
        EXPECT_EQ(x, row.x) << row.name;
        EXPECT_EQ(y, row.y) << row.name;
    }
}

class KeysWheelAndFind : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("Ar ion", "gas").medium("Nd:YAG", "solid").medium("HeNe", "gas");
        catalogue.line("Ar ion", 488).line("Nd:YAG", 1064.1).line("HeNe", 632.8).line("HeNe", 3391);
        start(catalogue);
    }

    static void key(std::int32_t code, std::int32_t modifiers = 0) {
        XgrQueueMessage(program.mainWindow, msg.WindowKeyDown, code, 0, modifiers, 0, 0, 0);
        processQueued();
    }

    static QLineEdit* field() {
        return static_cast<QLineEdit*>(widgetOf(XuiGetKid(program.findWindow, 1)));
    }

    static void type(const char* text) {
        QTest::keyClicks(field(), text);
        processQueued();
    }

    static void fieldKey(Qt::Key k) {
        QTest::keyClick(field(), k);
        processQueued();
    }

    static void expectView(const SpectrumView& expected, const char* what) {
        EXPECT_NEAR(program.view.viewCentre, expected.viewCentre, 1e-9) << what;
        EXPECT_NEAR(program.view.viewWidth, expected.viewWidth, 1e-9) << what;
        EXPECT_EQ(program.view.scale, expected.scale) << what;
    }
};

TEST_F(KeysWheelAndFind, KeysDoWhatTheirControlsDo) {
    struct Row {
        const char* name;
        std::int32_t code, modifiers;
        void (*control)();
    };
    const Row rows[] = {
        {"+ = the width bar's trough above", '+', 0,
         [] {
             XgrQueueMessage(XuiGetKid(program.mainWindow, VBarKid), msg.MuchLess, 0, 0, 0, 0, 0,
                             0);
         }},
        {"- = its trough below", '-', 0,
         [] {
             XgrQueueMessage(XuiGetKid(program.mainWindow, VBarKid), msg.MuchMore, 0, 0, 0, 0, 0,
                             0);
         }},
        {"Right = the position bar's arrow", kKeyRight, 0,
         [] {
             XgrQueueMessage(XuiGetKid(program.mainWindow, HBarKid), msg.OneMore, 0, 0, 0, 0, 0, 0);
         }},
        {"Shift+Left = its trough", kKeyLeft, kShiftKey,
         [] {
             XgrQueueMessage(XuiGetKid(program.mainWindow, HBarKid), msg.MuchLess, 0, 0, 0, 0, 0,
                             0);
         }},
        {"Up = the width bar's arrow", kKeyUp, 0,
         [] {
             XgrQueueMessage(XuiGetKid(program.mainWindow, VBarKid), msg.OneLess, 0, 0, 0, 0, 0, 0);
         }},
        {"Home = Min Zoom", kKeyHome, 0, [] { clickKid(program.mainWindow, MinZoomKid); }},
        {"V = Visible", 'v', kShiftKey, [] { clickKid(program.mainWindow, VisibleKid); }},
        {"L = Lin/Log", 'l', 0, [] { clickKid(program.mainWindow, LinLogKid); }},
    };
    for (const Row& row : rows) {
        setView(800, 300, Logarithmic);
        row.control();
        processQueued();
        const SpectrumView byControl = program.view;
        setView(800, 300, Logarithmic);
        key(row.code, row.modifiers);
        expectView(byControl, row.name);
    }
    // A does Available, End Zoom All, Control+Q Quit; Control with another letter does nothing.
    setView(1000, 300, Logarithmic);
    key('a');
    EXPECT_EQ(program.database.mediumSelected[2], 1) << "Nd:YAG has its line in view";
    EXPECT_EQ(program.database.mediumSelected[1], 0);
    key(kKeyEnd);
    SpectrumView framed = program.view;
    framed.fitRange(1064.1, 1064.1);
    framed.clampView();
    expectView(framed, "End");
    key('l', kControlKey);
    expectView(framed, "Control+L");
    key('q', kControlKey);
    EXPECT_EQ(quitCount, 1);
}

TEST_F(KeysWheelAndFind, TheWheelZoomsAboutThePointerAndScrollsWithShift) {
    const std::int32_t main = program.mainWindow;
    SpectrumView expected = program.view;
    const double under = expected.wavelengthAt(250);
    zoomAboutColumn(expected, 250, expected.viewWidth * 0.9);
    expected.clampView();
    XgrQueueMessage(main, msg.WindowMouseWheel, 250, 300, 0, 120, 0, 0);
    processQueued();
    expectView(expected, "a notch forward");
    EXPECT_NEAR(program.view.wavelengthAt(250), under, 1e-9);

    // Smooth scrolling: fractions add up to a notch; a notch back undoes it.
    for (int i = 0; i < 3; ++i)
        XgrQueueMessage(main, msg.WindowMouseWheel, 250, 300, 0, -40, 0, 0);
    processQueued();
    EXPECT_NEAR(program.view.viewWidth, 450, 1e-9);
    EXPECT_NEAR(program.view.wavelengthAt(250), under, 1e-9);

    // Below the picture the wheel does nothing; with Shift, or sideways, it scrolls a tenth.
    XgrQueueMessage(main, msg.WindowMouseWheel, 250, 650, 0, 120, 0, 0);
    processQueued();
    EXPECT_NEAR(program.view.viewWidth, 450, 1e-9);
    const double centre = program.view.viewCentre;
    XgrQueueMessage(main, msg.WindowMouseWheel, 250, 300, kShiftKey, -120, 0, 0);
    XgrQueueMessage(main, msg.WindowMouseWheel, 250, 300, kWheelHorizontal, -240, 0, 0);
    processQueued();
    EXPECT_NEAR(program.view.viewCentre, centre + 3 * 45, 1e-9);
}

TEST_F(KeysWheelAndFind, FindGoesToWavelengthsRangesAndMedia) {
    key('/');
    ASSERT_TRUE(XuiWindowVisible(program.findWindow));
    EXPECT_EQ(XuiGetWindowTitle(program.findWindow), "Find");

    type("1064");
    fieldKey(Qt::Key_Return);
    EXPECT_NEAR(program.view.viewWidth, 1064.1 * 0.02, 1e-9);
    EXPECT_NEAR(program.view.wavelengthAt(500), 1064.1, 1e-6);
    EXPECT_EQ(program.database.mediumSelected[2], 1) << "the line's medium is selected";
    EXPECT_TRUE(XuiToggleState(XuiGetKid(program.mediaWindow, mediaToggleOffset + 2)));

    field()->clear();
    type("600 - 500 nm");
    fieldKey(Qt::Key_Return);
    EXPECT_NEAR(program.view.leftEnd(), 500, 1e-9);
    EXPECT_NEAR(program.view.rightEnd(), 600, 1e-9);

    // A name: media whose name starts with it first; Enter toggles the highlighted one as its
    // toggle would, Down moves on.
    clickKid(program.mainWindow, AutoZoomKid);
    field()->clear();
    type("n");
    ASSERT_EQ(program.find.results.actions.size(), 3u);
    EXPECT_EQ(program.find.results.actions[0].item, 2) << "Nd:YAG starts with n";
    fieldKey(Qt::Key_Return);
    EXPECT_EQ(program.database.mediumSelected[2], 0) << "Nd:YAG, selected before, is cleared";
    fieldKey(Qt::Key_Down);
    fieldKey(Qt::Key_Down);
    fieldKey(Qt::Key_Return);
    EXPECT_EQ(program.database.mediumSelected[3], 1);
    EXPECT_TRUE(XuiToggleState(XuiGetKid(program.mediaWindow, mediaToggleOffset + 3)));
    SpectrumView framed = program.view;
    framed.fitRange(632.8, 3391);
    framed.clampView();
    expectView(framed, "AutoZoom refits after the selection changed");
    EXPECT_EQ(program.find.results.rows[0].substr(0, 4), "[ ] ");
    EXPECT_EQ(program.find.results.rows[2].substr(0, 4), "[x] ");

    field()->clear();
    type("abc-");
    EXPECT_TRUE(program.find.results.rows.empty());
    fieldKey(Qt::Key_Return);
    fieldKey(Qt::Key_Escape);
    EXPECT_FALSE(XuiWindowVisible(program.findWindow));
}

}  // namespace
}  // namespace quorvanta::testing
