// The catalogue table parser and writer on their own, without files.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

#include "catalogue_csv.h"
#include "catalogue_records.h"

namespace quorvanta::dbtool {
namespace {

const std::string kHeader = "medium,phase,wavelength_nm,note\n";

std::string errorsOf(const CatalogueTable& table) {
    std::string text;
    for (const CsvError& e : table.errors)
        text += formatCsvError("t.csv", e) + "\n";
    return text;
}

TEST(CatalogueCsv, LineEndsAndEmptyLinesKeepLineNumbers) {
    const auto table = parseCatalogueCsv(
        "\xEF\xBB\xBF"
        "medium,phase,wavelength_nm,note\r\n"
        "He-Ne,gas,632.816,\r\n"
        "\r\n"
        "\n"
        "He-Ne,gas,543.5,green\r\n"
        "Ruby,solid,694.3,no line end");
    EXPECT_TRUE(table.errors.empty()) << errorsOf(table);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0].note, "") << "a CR must not stay in the last field";
    EXPECT_EQ(table.rows[1].line, 5);
    EXPECT_EQ(table.rows[1].note, "green");
    EXPECT_EQ(table.rows[2].line, 6);
    EXPECT_EQ(table.rows[2].note, "no line end");
}

TEST(CatalogueCsv, EveryProblemOfALineIsReported) {
    const auto table = parseCatalogueCsv(kHeader + "ABCDEFGHIJKLMNOPQRSTU,Solid,abc,ok\n");
    EXPECT_EQ(errorsOf(table),
              "t.csv:2:1: medium name \"ABCDEFGHIJKLMNOPQRSTU\" is 21 bytes long; at most 20 fit\n"
              "t.csv:2:2: phase \"Solid\" is not one of solid, liquid, gas\n"
              "t.csv:2:3: wavelength \"abc\" is not a finite positive number\n");
}

TEST(CatalogueCsv, PhaseOfAMediumIsSetByItsFirstValidLine) {
    // A misspelt first phase is one error, not an error on every later line as well.
    const auto table = parseCatalogueCsv(kHeader +
                                         "X,gass,1,\n"
                                         "X,gas,2,\n"
                                         "X,gas,3,\n"
                                         "X,solid,4,\n");
    EXPECT_EQ(errorsOf(table),
              "t.csv:2:2: phase \"gass\" is not one of solid, liquid, gas\n"
              "t.csv:5:2: medium \"X\" is gas on line 3 but solid here\n");
}

TEST(CatalogueCsv, ShortestNumberTextReadsBackExactly) {
    std::mt19937_64 random(508);
    std::vector<double> values = {632.816, 0.1,      1e-300,  5e-324,   1.7976931348623157e308,
                                  20000.0, 570569.0, 10591.0, 1.0 / 3.0};
    for (int i = 0; i < 2000; ++i) {
        const double v = std::bit_cast<double>(random() & 0x7fefffffffffffffULL);
        if (v > 0.0) values.push_back(v);
    }
    for (double v : values) {
        const std::string text = shortestNumberText(v);
        const auto table = parseCatalogueCsv(kHeader + "A,gas," + text + ",\n");
        ASSERT_TRUE(table.errors.empty()) << text << ": " << errorsOf(table);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(table.rows[0].wavelength),
                  std::bit_cast<std::uint64_t>(v))
            << text << " did not read back to the same double";
    }
    EXPECT_EQ(shortestNumberText(1500.0), "1500");
    EXPECT_EQ(shortestNumberText(632.816), "632.816");
}

TEST(CatalogueRecords, NoteIsOnlyPrintableTextPaddedWithNul) {
    Transition t = makeTransition("A", 1.0);
    EXPECT_EQ(noteOf(t), std::optional<std::string_view>(""));
    setNote(t, std::string(kMaxNoteLength, 'n'));
    EXPECT_EQ(noteOf(t)->size(), kMaxNoteLength);
    EXPECT_EQ(t.bytes.back(), 0) << "the note field must keep its last NUL";

    struct Garbage {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
    };
    const Garbage cases[] = {
        {"byte after the NUL", kNoteOffset + 10, 'x'},
        {"no NUL at all", kTransitionRecordSize - 1, 'x'},
        {"control character", kNoteOffset, 0x07},
        {"high byte", kNoteOffset, 0xE9},
    };
    for (const Garbage& g : cases) {
        Transition damaged = makeTransition("A", 1.0);
        setNote(damaged,
                std::string(g.offset == kTransitionRecordSize - 1 ? kMaxNoteLength : 3, 'n'));
        damaged.bytes[g.offset] = g.value;
        EXPECT_FALSE(noteOf(damaged).has_value()) << g.name;
    }
}

TEST(CatalogueRecords, MediaAreNumberedByTheirFirstLine) {
    const std::vector<CatalogueRow> rows = {
        {2, "B", "gas", 2.0, ""},
        {3, "A", "solid", 1.0, "first A"},
        {4, "B", "gas", 3.0, ""},
    };
    const TransitionDatabase db = catalogueFromRows(rows);
    ASSERT_EQ(db.mediumCount, 2);
    EXPECT_EQ(db.media[1].name(), "B");
    EXPECT_EQ(db.media[2].name(), "A");
    EXPECT_EQ(db.media[2].phase(), "solid");
    ASSERT_EQ(db.transitionCount, 3);
    EXPECT_EQ(db.transitions[2].mediumName(), "A");
    EXPECT_EQ(noteOf(db.transitions[2]), std::optional<std::string_view>("first A"));
    EXPECT_EQ(db.phaseCount, 3);
}

}  // namespace
}  // namespace quorvanta::dbtool
