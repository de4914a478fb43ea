// The catalogue table with its provenance columns, the order of stored lines, and the shipped
// catalogue's own data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue_csv.h"
#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "database/builtin_catalogue.h"
#include "tool_runner.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using testing::readBytes;
using testing::readText;
using testing::runTool;
using testing::TempDir;
using testing::ToolRun;
using testing::writeFile;

const std::string kStatusHeader = "medium,phase,wavelength_nm,note,status,source\n";

std::string describe(const ToolRun& run) {
    return "exit " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

template <typename Content>
std::string placed(const TempDir& dir, const std::string& name, const Content& content) {
    writeFile(dir / name, content);
    return (dir / name).string();
}

struct OrderCase {
    std::string name;
    std::string rows;                 // the table, after the four-column header
    std::vector<std::string> media;   // as numbered in the file
    std::vector<std::string> stored;  // "medium wavelength", in file order
    std::string dump;                 // what dump writes after the header; empty: the table
};

const OrderCase kOrderCases[] = {
    {"ties keep the table's order",
     "Zeta,gas,351.1,\nAlpha,solid,351.1,tie\nZeta,gas,351.1,again\nMid,liquid,400,\n"
     "Alpha,solid,632.8,\n",
     {"Zeta", "Alpha", "Mid"},
     {"Zeta 351.1", "Alpha 351.1", "Zeta 351.1", "Mid 400", "Alpha 632.8"},
     ""},
    {"media grouped",
     "He-Ne,gas,632.816,\nHe-Ne,gas,3392.2,\nNd:YAG,solid,1064.1,\nAr,gas,488,\nAr,gas,351.1,\n",
     {"He-Ne", "Nd:YAG", "Ar"},
     {"Ar 351.1", "Ar 488", "He-Ne 632.816", "Nd:YAG 1064.1", "He-Ne 3392.2"},
     "He-Ne,gas,632.816,\nNd:YAG,solid,1064.1,\nAr,gas,351.1,\nAr,gas,488,\nHe-Ne,gas,3392.2,\n"},
    {"a later medium's line ties with an earlier medium's line",
     "A,gas,600,\nB,gas,500,b\nA,gas,500,a\n",
     {"A", "B"},
     {"B 500", "A 500", "A 600"},
     "A,gas,600,\nB,gas,500,b\nA,gas,500,a\n"},
    {"each medium below the one before",
     "A,gas,3,\nB,gas,2,\nC,gas,1,\n",
     {"A", "B", "C"},
     {"C 1", "B 2", "A 3"},
     ""},
};

// build sorts the lines and keeps the media's numbers; dump gives a table that builds the same
// file again; check has nothing to note on a file build wrote.
TEST(DbToolOrder, BuildSortsByWavelengthAndTheDumpBuildsTheSameFile) {
    for (const OrderCase& c : kOrderCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string header = "medium,phase,wavelength_nm,note\n";
        const std::string first = (dir / "first.dat").string();
        ASSERT_EQ(
            runTool(dir, {"build", placed(dir, "t.csv", header + c.rows), "-o", first}).status, 0);

        TransitionDatabase db;
        ASSERT_EQ(loadTransitionDatabaseFile(first, db).status, LoadReport::Status::Loaded);
        std::vector<std::string> media, stored;
        for (std::int32_t i = 1; i <= db.mediumCount; ++i)
            media.emplace_back(db.media[std::size_t(i)].name());
        for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
            const Transition& line = db.transitions[std::size_t(k)];
            stored.push_back(std::string(line.mediumName()) + " " +
                             dbtool::shortestNumberText(line.wavelength()));
        }
        EXPECT_EQ(media, c.media);
        EXPECT_EQ(stored, c.stored);

        const ToolRun dump = runTool(dir, {"dump", first});
        EXPECT_EQ(dump.status, 0) << describe(dump);
        EXPECT_EQ(dump.out, header + (c.dump.empty() ? c.rows : c.dump));
        const std::string second = (dir / "second.dat").string();
        ASSERT_EQ(runTool(dir, {"build", placed(dir, "dumped.csv", dump.out), "-o", second}).status,
                  0);
        EXPECT_EQ(readBytes(first), readBytes(second)) << "the dump builds another file";

        const ToolRun check = runTool(dir, {"check", first});
        EXPECT_EQ(check.status, 0) << describe(check);
        EXPECT_EQ(check.err, "") << "a file build wrote got a note";
    }
}

// Files no table gives: their dump is in stored order, and says that a rebuild differs.
TEST(DbToolOrder, FilesNoTableGivesAreDumpedInStoredOrder) {
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {CatalogueImage{}.medium("B", "gas").medium("A", "gas").line("A", 1).line("B", 1).bytes(),
         "A,gas,1,\nB,gas,1,\n"},
        {CatalogueImage{}.medium("A", "gas").line("A", 2).line("A", 1).bytes(),
         "A,gas,2,\nA,gas,1,\n"},
    };
    for (const auto& [image, rows] : cases) {
        SCOPED_TRACE(rows);
        TempDir dir;
        const ToolRun dump = runTool(dir, {"dump", placed(dir, "x.dat", image)});
        EXPECT_EQ(dump.status, 1) << describe(dump);
        EXPECT_EQ(dump.out, "medium,phase,wavelength_nm,note\n" + rows);
        EXPECT_NE(dump.err.find("a rebuild would differ"), std::string::npos) << dump.err;
    }
}

// An older file, its lines stored out of wavelength order: valid, with a note.
TEST(DbToolOrder, CheckNotesTheFirstLineOutOfOrderAndStillPasses) {
    TempDir dir;
    const std::string path = placed(dir, "old.dat",
                                    CatalogueImage{}
                                        .medium("He-Ne", "gas")
                                        .medium("Ruby", "solid")
                                        .line("He-Ne", 632.816)
                                        .line("He-Ne", 1152.3)
                                        .line("Ruby", 694.3)
                                        .line("Ruby", 692.9)
                                        .bytes());
    const ToolRun check = runTool(dir, {"check", path});
    EXPECT_EQ(check.status, 0) << describe(check);
    EXPECT_EQ(check.out, path + ": OK (2 media, 4 lines, 632.816 .. 1152.3 nm)\n");
    EXPECT_EQ(check.err, "quorvanta-db: " + path +
                             ": note: lines not in wavelength order (transition 3, 694.3 nm, "
                             "follows 1152.3 nm)\n");
}

struct StatusCase {
    std::string rows;   // after the header with status
    std::string error;  // after "bad.csv:"; empty: the table builds
};

const StatusCase kStatusCases[] = {
    {"A,gas,1,,,\n",
     "2:5: the line has no status; give confirmed, calculated, range or unconfirmed"},
    {"A,gas,1,,Confirmed,R1\n",
     "2:5: status \"Confirmed\" is not one of confirmed, calculated, range, unconfirmed"},
    {"A,gas,1,,confirmed,\n",
     "2:6: a confirmed line needs its source; a line without one is unconfirmed"},
    {"A,gas,1,,range,\n", "2:6: a range line needs its source; a line without one is unconfirmed"},
    {"A,gas,1,,calculated,R\x7f\n", "2:6: source holds byte 0x7F, which is not printable ASCII"},
    {"A,gas,1,\n",
     "2:1: expected 6 fields (medium,phase,wavelength_nm,note,status,source) but found 4"},
    {"A,gas,1,,unconfirmed,\nA,gas,2,note,calculated,\"R16, R22\"\nB,solid,3,,range,R51\n", ""},
};

TEST(DbToolBuild, EveryLineOfATableWithStatusHasOne) {
    for (const StatusCase& c : kStatusCases) {
        SCOPED_TRACE(c.rows);
        TempDir dir;
        const std::string csv = placed(dir, "bad.csv", kStatusHeader + c.rows);
        const ToolRun run = runTool(dir, {"build", csv, "-o", (dir / "x.dat").string()});
        if (c.error.empty()) {
            EXPECT_EQ(run.status, 0) << describe(run);
            continue;
        }
        EXPECT_EQ(run.status, 1) << describe(run);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), csv + ":" + c.error);
    }
}

// Status and source stay in the table: the file is the one the same table without them gives.
TEST(DbToolBuild, StatusAndSourceAreNotStored) {
    TempDir dir;
    const std::string with = (dir / "with.dat").string();
    const std::string without = (dir / "without.dat").string();
    ASSERT_EQ(runTool(dir, {"build",
                            placed(dir, "with.csv",
                                   kStatusHeader + "He-Ne,gas,632.816,red,confirmed,R2\n"
                                                   "Ruby,solid,694.3,,unconfirmed,\n"),
                            "-o", with})
                  .status,
              0);
    ASSERT_EQ(runTool(dir, {"build",
                            placed(dir, "without.csv",
                                   "medium,phase,wavelength_nm,note\nHe-Ne,gas,632.816,red\n"
                                   "Ruby,solid,694.3,\n"),
                            "-o", without})
                  .status,
              0);
    EXPECT_EQ(readBytes(with), readBytes(without));
}

// The shipped table: every line's status on record, and the built-in catalogue, built from it, with
// its lines in wavelength order and its media numbered as the table lists them.
TEST(ShippedCatalogue, EveryLineHasAStatusAndTheBuiltinLinesAreInWavelengthOrder) {
    const std::string text = readText(QUORVANTA_CATALOGUE_CSV);
    ASSERT_EQ(text.substr(0, kStatusHeader.size()), kStatusHeader);
    const dbtool::CatalogueTable table = dbtool::parseCatalogueCsv(text);
    for (const dbtool::CsvError& error : table.errors)
        ADD_FAILURE() << dbtool::formatCsvError("laser-lines.csv", error);
    ASSERT_TRUE(table.errors.empty());

    std::map<std::string, std::size_t> perStatus;
    std::vector<std::string> tableMedia;
    for (const dbtool::CatalogueRow& row : table.rows) {
        ++perStatus[row.status];
        if (std::find(tableMedia.begin(), tableMedia.end(), row.medium) == tableMedia.end())
            tableMedia.push_back(row.medium);
    }
    // Not to slip back: at least 63 % of the lines confirmed or calculated.
    const std::size_t backed = perStatus["confirmed"] + perStatus["calculated"];
    EXPECT_GE(backed * 100, table.rows.size() * 63)
        << "confirmed or calculated: " << backed << " of " << table.rows.size();

    const auto builtin = builtinCatalogue();
    TransitionDatabase db;
    ASSERT_FALSE(loadTransitionDatabase(builtin, "builtin", db).damaged);
    std::vector<std::string> media;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        media.emplace_back(db.media[std::size_t(i)].name());
    EXPECT_EQ(media, tableMedia) << "the media's numbers, and so their colours, changed";
    for (std::int32_t k = 2; k <= db.transitionCount; ++k)
        EXPECT_LE(db.transitions[std::size_t(k - 1)].wavelength(),
                  db.transitions[std::size_t(k)].wavelength())
            << "builtin transition " << k;
}

TEST(ShippedCatalogue, CorrectedValuesStayCorrected) {
    const dbtool::CatalogueTable table =
        dbtool::parseCatalogueCsv(readText(QUORVANTA_CATALOGUE_CSV));
    ASSERT_TRUE(table.errors.empty());
    std::set<std::pair<std::string, double>> lines;
    for (const dbtool::CatalogueRow& row : table.rows)
        lines.emplace(row.medium, row.wavelength);
    // medium, the corrected value, the value it replaced
    const std::tuple<std::string, double, double> corrections[] = {
        {"N2O", 10448.4, 10465},    // R(20): the two rotational constants were swapped
        {"N2O", 10835.6, 10852},    // P(20)
        {"CO", 5676.4, 5679},       // v=14-13 P(12): higher-order terms were left out
        {"CO", 5495.3, 5497},       // v=12-11 P(10)
        {"He-Ne", 611.8, 611.9},    // NIST, air
        {"Cs DPAL", 894.3, 894.6},  // air, like every line from 200 nm to 2 um
        {"He-Ne", 3392.2, 3391.3},  // vacuum, like every line above 2 um
    };
    for (const auto& [medium, value, replaced] : corrections) {
        EXPECT_TRUE(lines.contains({medium, value})) << medium << " " << value << " is missing";
        EXPECT_FALSE(lines.contains({medium, replaced})) << medium << " " << replaced << " is back";
    }
}

}  // namespace
}  // namespace quorvanta
