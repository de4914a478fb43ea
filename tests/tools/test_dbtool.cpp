// The quorvanta-db binary end to end: files written by the tests, the tool run as a process.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
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

const std::string kHeader = "medium,phase,wavelength_nm,note\n";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string describe(const ToolRun& run) {
    return "exit " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

// Writes a file of bytes or text into dir; its path.
template <typename Content>
std::string placed(const TempDir& dir, const std::string& name, const Content& content) {
    writeFile(dir / name, content);
    return (dir / name).string();
}

// build, dump, build again: the second file must be the first byte for byte.
void expectRoundTrip(const TempDir& dir, const std::string& csvPath) {
    const std::string first = (dir / "first.dat").string();
    const std::string second = (dir / "second.dat").string();
    const ToolRun build = runTool(dir, {"build", csvPath, "--output=" + first});
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_EQ(build.err, "");
    const ToolRun dump = runTool(dir, {"dump", first});
    ASSERT_EQ(dump.status, 0) << describe(dump);
    EXPECT_EQ(dump.err, "");
    writeFile(dir / "dumped.csv", dump.out);
    const ToolRun rebuild = runTool(dir, {"build", (dir / "dumped.csv").string(), "-o", second});
    ASSERT_EQ(rebuild.status, 0) << describe(rebuild);
    EXPECT_EQ(readBytes(first), readBytes(second)) << "rebuild from the dump differs";
}

TEST(DbToolRoundTrip, ShippedCatalogueRebuildsByteForByteAndIsTheBuiltinOne) {
    TempDir dir;
    expectRoundTrip(dir, QUORVANTA_CATALOGUE_CSV);
    const auto builtin = builtinCatalogue();
    EXPECT_EQ(std::vector<std::uint8_t>(builtin.begin(), builtin.end()),
              readBytes(dir / "first.dat"))
        << "the compiled-in catalogue is not data/laser-lines.csv built";

    // The dump holds the same lines as the table it was built from, only in canonical form (and
    // in the order of the file, which build sorts).
    auto original = dbtool::parseCatalogueCsv(readText(QUORVANTA_CATALOGUE_CSV));
    auto dumped = dbtool::parseCatalogueCsv(readText(dir / "dumped.csv"));
    const auto fields = [](const dbtool::CatalogueRow& row) {
        return std::tie(row.medium, row.phase, row.wavelength, row.note);
    };
    const auto byFields = [&](const dbtool::CatalogueRow& a, const dbtool::CatalogueRow& b) {
        return fields(a) < fields(b);
    };
    std::sort(original.rows.begin(), original.rows.end(), byFields);
    std::sort(dumped.rows.begin(), dumped.rows.end(), byFields);
    ASSERT_TRUE(original.errors.empty());
    ASSERT_EQ(dumped.rows.size(), original.rows.size());
    for (std::size_t r = 0; r < original.rows.size(); ++r)
        EXPECT_EQ(fields(dumped.rows[r]), fields(original.rows[r])) << "row " << r + 2;

    const ToolRun check = runTool(dir, {"check", (dir / "first.dat").string()});
    EXPECT_EQ(check.status, 0) << describe(check);
    EXPECT_NE(check.out.find(": OK (138 media, 508 lines, 7.36 .. 570569 nm)"), std::string::npos)
        << check.out;
}

TEST(DbToolRoundTrip, EdgeCasesRebuildByteForByte) {
    TempDir dir;
    const std::string longNote(dbtool::kMaxNoteLength, 'n');
    const std::string csv =
        "\xEF\xBB\xBF"  // a byte order mark
        "medium,phase,wavelength_nm,note\r\n"
        "ABCDEFGHIJKLMNOPQRST,solid,1064,\r\n"  // name filling its field, empty note
        "\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\r\n"  // comma and quotes
        "Nd:YAG ,solid,1e3," +
        longNote +  // trailing blank, longest note
        "\r\n\r\n\n"
        "tiny,gas,5e-324,\"\"\"smallest\"\" double\"\r\n"  // quotes without a comma
        "huge,gas,1.7976931348623157e308,largest double\r\n"
        "\"Er,Cr:YSGG\",solid,2940,no line end";
    expectRoundTrip(dir, placed(dir, "edge.csv", csv));

    // Media are numbered in the order of their first lines; the header's phase count is 3.
    TransitionDatabase db;
    EXPECT_EQ(loadTransitionDatabaseFile((dir / "first.dat").string(), db).status,
              LoadReport::Status::Loaded);
    std::vector<std::string_view> media;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        media.push_back(db.media[i].name());
    EXPECT_EQ(media, (std::vector<std::string_view>{"ABCDEFGHIJKLMNOPQRST", "Er,Cr:YSGG", "Nd:YAG ",
                                                    "tiny", "huge"}));
    EXPECT_EQ(db.media[2].phase(), "solid");
    EXPECT_EQ(db.transitionCount, 6);
    EXPECT_EQ(db.phaseCount, 3);
    const auto& third = db.transitions[2].bytes;  // stored second: lines go by wavelength
    EXPECT_EQ(std::string(third.begin() + 32, third.end() - 1), longNote)
        << "the note sits in the reserved bytes from offset 32";
    EXPECT_EQ(third.back(), 0);

    const ToolRun check = runTool(dir, {"check", (dir / "first.dat").string()});
    EXPECT_EQ(check.status, 0) << describe(check);
    EXPECT_EQ(check.out, (dir / "first.dat").string() +
                             ": OK (5 media, 6 lines, 5e-324 .. 1.7976931348623157e+308 nm; 1 name "
                             "fills all 20 bytes, without NUL)\n");
}

struct BuildErrorCase {
    std::string rows;                 // after the header
    std::vector<std::string> errors;  // the error lines, after "bad.csv:"
};

const BuildErrorCase kBuildErrors[] = {
    {"ABCDEFGHIJKLMNOPQRSTU,Solid,abc,ok\n",
     {"2:1: medium name \"ABCDEFGHIJKLMNOPQRSTU\" is 21 bytes long; at most 20 fit",
      "2:2: phase \"Solid\" is not one of solid, liquid, gas",
      "2:3: wavelength \"abc\" is not a finite positive number"}},
    {"He\tNe,gas,1,\n",
     {"2:1: medium name \"He\\x09Ne\" holds byte 0x09, which is not printable ASCII"}},
    {"Rh\xC3\xB6,gas,1,\n",
     {"2:1: medium name \"Rh\\xC3\\xB6\" holds byte 0xC3, which is not printable ASCII"}},
    {",gas,1,\n", {"2:1: medium name is empty"}},
    {"A,plasma,1,\n", {"2:2: phase \"plasma\" is not one of solid, liquid, gas"}},
    {"A,gas,0,\n", {"2:3: wavelength \"0\" is not a finite positive number"}},
    {"A,gas,nan,\n", {"2:3: wavelength \"nan\" is not a finite positive number"}},
    {"A,gas,inf,\n", {"2:3: wavelength \"inf\" is not a finite positive number"}},
    {"A,gas,1e999,\n", {"2:3: wavelength \"1e999\" is not a finite positive number"}},
    {"A,gas, 632.8,\n", {"2:3: wavelength \" 632.8\" is not a finite positive number"}},
    {"A,gas,1," + std::string(120, 'n') + "\n", {"2:4: note is 120 bytes long; at most 119 fit"}},
    {"A,gas,1,\nB,solid,2,\nA,liquid,3,\n", {"4:2: medium \"A\" is gas on line 2 but liquid here"}},
    // A misspelt first phase is one error, not an error on every later line as well.
    {"X,gass,1,\nX,gas,2,\nX,gas,3,\nX,solid,4,\n",
     {"2:2: phase \"gass\" is not one of solid, liquid, gas",
      "5:2: medium \"X\" is gas on line 3 but solid here"}},
    {"A,gas,1\n", {"2:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 3"}},
    {"A,gas,1,a,b\n",
     {"2:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 5; a field holding a "
      "comma must be quoted"}},
    {"A,gas,1,\"open\n", {"2:4: quoted field has no closing quote"}},
    {"A,gas,1,say \"hi\"\n",
     {"2:4: double quote inside an unquoted field; quote the whole field and double the quote"}},
    {"\"A\"x,gas,1,\n",
     {"2:1: text after the closing quote; a field is either quoted as a whole or not at all"}},
    {"A,gas,1,x\ry\n", {"2:4: note holds byte 0x0D, which is not printable ASCII"}},
    {"A,gas,1,\n\nA,gas,x,\n", {"4:3: wavelength \"x\" is not a finite positive number"}},
};

TEST(DbToolBuild, EveryBadRowIsNamedAndNothingIsWritten) {
    for (const BuildErrorCase& c : kBuildErrors) {
        SCOPED_TRACE(c.rows);
        TempDir dir;
        const std::string csvPath = placed(dir, "bad.csv", kHeader + c.rows);
        const std::string target = placed(dir, "old.dat", "old");
        const ToolRun run = runTool(dir, {"build", csvPath, "-o", target});
        std::string expected;
        for (const std::string& error : c.errors)
            expected += csvPath + ":" + error + "\n";
        expected += "quorvanta-db: " + target + " not written: " + std::to_string(c.errors.size()) +
                    (c.errors.size() == 1 ? " error in " : " errors in ") + csvPath + "\n";
        EXPECT_EQ(run.status, 1) << describe(run);
        EXPECT_EQ(run.err, expected);
        EXPECT_EQ(readText(target), "old") << "a failed build touched an existing file";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
            << "a failed build left a file behind";
    }
}

// A table wrong on every row lists the first 50 errors and counts the rest.
TEST(DbToolBuild, ManyBadRowsAreListedUpToFifty) {
    TempDir dir;
    std::string rows;
    for (int i = 0; i < 60; ++i)
        rows += "A,plasma,1,\n";
    const std::string csvPath = placed(dir, "bad.csv", kHeader + rows);
    const ToolRun run = runTool(dir, {"build", csvPath, "-o", (dir / "new.dat").string()});
    EXPECT_EQ(run.status, 1) << describe(run);
    const std::string listed = csvPath + ":51:2:";
    const std::string last = csvPath + ":52:2:";
    EXPECT_NE(run.err.find(listed), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(last), std::string::npos) << "the 51st error is listed";
    EXPECT_NE(run.err.find(csvPath + ": ... and 10 more errors\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not written: 60 errors in " + csvPath), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "new.dat"));
}

TEST(DbToolBuild, RefusesAWrongHeaderAndMoreThan65535LinesOrMedia) {
    TempDir dir;
    std::string manyLines = kHeader;
    std::string manyMedia = kHeader;
    for (int i = 0; i <= kMaxRecords; ++i) {
        manyLines += "A,gas," + std::to_string(i + 1) + ",\n";
        manyMedia += "M" + std::to_string(i) + ",gas,1,\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"medium,phase,wavelength,note\nA,gas,1,\n",
         ":1:1: the first line must be the header medium,phase,wavelength_nm,note\n"},
        {manyLines, ":65537:1: more than 65535 lines; a catalogue holds at most 65535\n"},
        {manyMedia, ":65537:1: more than 65535 media; a catalogue holds at most 65535\n"},
    };
    for (const auto& [text, error] : cases) {
        const std::string csvPath = placed(dir, "refused.csv", text);
        const ToolRun run = runTool(dir, {"build", csvPath, "-o", (dir / "x.dat").string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(csvPath + error), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "x.dat"));
    }
}

// A catalogue with a flaw of every kind that check lists, and media of every phase.
CatalogueImage flawedCatalogue() {
    Medium heNe = makeMedium("He-Ne", "gas");
    heNe.bytes[24] = 'y';  // after the NUL that ends the phase
    Medium ruby = makeMedium("Ruby", "solid");
    ruby.bytes[10] = 'x';  // after the NUL that ends the name
    Transition line = makeTransition("Ruby", 694.3);
    line.bytes[10] = 'z';
    return CatalogueImage{}
        .medium(heNe)
        .medium(ruby)
        .medium("DCM", "liquid")
        .medium("Odd", "plasma")
        .medium("Ru\x01y", "solid")
        .medium("", "gas")
        .medium("He-Ne", "gas")
        .line("He-Ne", 10.0)  // the display bounds count as inside
        .line("He-Ne", 20000.0)
        .line(line)
        .line("Ni-like Sm", 7.36)
        .line("CH3OH", 118834.0)
        .line("Odd", kNaN)
        .line("Ruby", -1.5)
        .line("Ruby", 0.0)
        .line("Ruby", kInf);
}

TEST(DbToolInfo, FiguresOfAFlawedCatalogue) {
    TempDir dir;
    const std::string path = placed(dir, "flawed.dat", flawedCatalogue().bytes());
    const ToolRun run = runTool(dir, {"info", path});
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, path +
                           ": 7 media, 9 lines (phase count in the header: 3)\n"
                           "  solid: 2 media, 4 lines\n"
                           "  liquid: 1 medium, 0 lines\n"
                           "  gas: 3 media, 2 lines\n"
                           "  other phases: 1 medium, 1 line\n"
                           "  without a medium: 2 lines\n"
                           "wavelength range: -1.5 .. 118834 nm\n"
                           "lines outside 10..20000 nm: 5 (3 below, 2 above)\n"
                           "lines whose wavelength is not a number: 1\n"
                           "every line's medium exists: no, 2 lines name no medium\n");
}

// Catalogues with problems, which check lists and exits 1 on (a sound one is checked with the edge
// cases above).
struct CheckCase {
    const char* name;
    std::vector<std::uint8_t> image;
    std::vector<std::string> expected;  // lines after "FILE: "
};

// Two media with a line each, grown by trailing bytes.
std::vector<std::uint8_t> goodImage(std::size_t trailingBytes) {
    auto image = CatalogueImage{}
                     .medium("He-Ne", "gas")
                     .medium("Ruby", "solid")
                     .line("He-Ne", 632.816)
                     .line("Ruby", 694.3)
                     .bytes();
    image.resize(image.size() + trailingBytes, 0xEE);
    return image;
}

std::vector<CheckCase> checkCases() {
    auto cutAmongMedia = CatalogueImage{}.medium("He-Ne", "gas").medium("Ruby", "solid").bytes();
    cutAmongMedia.resize(cutAmongMedia.size() - 10);
    CatalogueImage manyUnmatched;
    manyUnmatched.medium("Ruby", "solid");
    std::vector<std::string> unmatched;
    for (int k = 1; k <= 25; ++k) {
        manyUnmatched.line("Nothing", 100.0 + k);
        if (k <= 20)
            unmatched.push_back("transition " + std::to_string(k) +
                                " (\"Nothing\"): medium name \"Nothing\" matches no medium");
    }
    unmatched.push_back("... and 5 more lines whose medium matches none");
    unmatched.push_back("25 problems");

    return {
        {"cut among its media",
         cutAmongMedia,
         {"header promises 2 media and 0 transitions (56 bytes after the header) but the file "
          "holds 52 bytes; loaded 1 medium and 0 transitions.",
          "1 problem"}},
        {"trailing bytes",
         goodImage(7),
         {"7 bytes after the last record (from offset 366) are ignored", "1 problem"}},
        // Regression: one trailing byte was reported as "1 byte ... are ignored".
        {"one trailing byte",
         goodImage(1),
         {"1 byte after the last record (from offset 366) is ignored", "1 problem"}},
        // Listed kind by kind.
        {"flawed",
         flawedCatalogue().bytes(),
         {"medium 6 has an empty name",
          "medium 5 \"Ru\\x01y\": name holds bytes outside printable ASCII",
          "medium 1 \"He-Ne\": phase field holds stray bytes after its NUL",
          "medium 2 \"Ruby\": name field holds stray bytes after its NUL",
          "transition 3 (\"Ruby\"): medium name field holds stray bytes after its NUL",
          "medium 4 \"Odd\": unknown phase \"plasma\" (not solid, liquid or gas)",
          "transition 6 (\"Odd\"): wavelength nan nm is not a finite positive number",
          "transition 7 (\"Ruby\"): wavelength -1.5 nm is not a finite positive number",
          "transition 8 (\"Ruby\"): wavelength 0 nm is not a finite positive number",
          "transition 9 (\"Ruby\"): wavelength inf nm is not a finite positive number",
          "transition 4 (\"Ni-like Sm\"): medium name \"Ni-like Sm\" matches no medium",
          "transition 5 (\"CH3OH\"): medium name \"CH3OH\" matches no medium",
          "medium 7 \"He-Ne\" has the same name as medium 1", "13 problems"}},
        {"more than twenty of a kind", manyUnmatched.bytes(), unmatched},
    };
}

TEST(DbToolCheck, EachProblemIsOneClearLine) {
    for (const CheckCase& c : checkCases()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = placed(dir, "checked.dat", c.image);
        const ToolRun run = runTool(dir, {"check", path});
        EXPECT_EQ(run.status, 1) << describe(run);
        std::string expected;
        for (const std::string& line : c.expected)
            expected += path + ": " + line + "\n";
        EXPECT_EQ(run.out, expected);
    }
}

// What dump writes of catalogues a table cannot give back, and what it warns of.
struct DumpCase {
    const char* name;
    std::vector<std::uint8_t> image;
    std::string rows;                   // stdout after the header
    std::vector<std::string> warnings;  // each on a line of stderr; none: exit 0
};

std::vector<DumpCase> dumpCases() {
    // Reserved bytes that hold no note are not shown, and are no problem: a byte after the NUL, no
    // NUL at all, a control character, bytes outside ASCII.
    CatalogueImage foreign;
    foreign.medium("Ruby", "solid");
    std::string foreignRows;
    for (int kind = 0; kind < 4; ++kind) {
        Transition line = makeTransition("Ruby", 694.3);
        std::fill_n(line.bytes.begin() + 32, kind == 1 ? 120 : 3, 'n');
        if (kind == 0) line.bytes[42] = 'x';
        if (kind == 2) line.bytes[32] = 0x07;
        for (std::size_t b = 20; kind == 3 && b < line.bytes.size(); ++b)
            if (b < 24 || b >= 32) line.bytes[b] = static_cast<std::uint8_t>(0x80 + b % 100);
        foreign.line(line);
        foreignRows += "Ruby,solid,694.3,\n";
    }
    auto cut = CatalogueImage{}.medium("Ruby", "solid").line("Ruby", 694.3).line("Ruby", 3).bytes();
    cut.resize(cut.size() - 10);
    return {
        {"reserved bytes without a note", foreign.bytes(), foreignRows, {}},
        {"line without medium, medium without line",
         CatalogueImage{}
             .medium("Ruby", "solid")
             .medium("Unused", "gas")
             .line("Ruby", 694.3)
             .line("Ghost", 1.5)
             .bytes(),
         "Ruby,solid,694.3,\nGhost,,1.5,\n",
         {"lines naming no medium: 1 (written with an empty phase)",
          "media without lines: 1 (left out)"}},
        {"media out of line order",
         CatalogueImage{}.medium("B", "gas").medium("A", "gas").line("A", 1).line("B", 2).bytes(),
         "B,gas,2,\nA,gas,1,\n",  // held back until B has appeared: a rebuild gives it back
         {}},
        {"one name, two media",
         CatalogueImage{}.medium("X", "gas").medium("X", "solid").line("X", 1).bytes(),
         "X,gas,1,\n",
         {"a rebuild would differ: 2 media would become 1"}},
        {"cut short",
         cut,
         "Ruby,solid,694.3,\n",
         {"but the file holds 328 bytes; loaded 1 medium and 1 transition."}},
    };
}

TEST(DbToolDump, WritesEveryLineAndWarnsOfWhatATableLoses) {
    for (const DumpCase& c : dumpCases()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ToolRun run = runTool(dir, {"dump", placed(dir, "dumped.dat", c.image)});
        EXPECT_EQ(run.status, c.warnings.empty() ? 0 : 1) << describe(run);
        EXPECT_EQ(run.out, kHeader + c.rows);
        EXPECT_EQ(run.err.empty(), c.warnings.empty()) << run.err;
        for (const std::string& warning : c.warnings)
            EXPECT_NE(run.err.find(warning + "\n"), std::string::npos) << run.err;
    }
}

// Command lines and the first line of what they print: none for bad usage, which exits 2 and
// points to the help on standard error; help exits 0.
const std::pair<std::vector<std::string>, std::string> kUsageCases[] = {
    {{}, ""},
    {{"frobnicate"}, ""},
    {{"build", "x.csv"}, ""},
    {{"build", "a.csv", "b.csv", "-o", "x.dat"}, ""},
    {{"build", "a.csv", "-o"}, ""},
    {{"check", "--verbose", "x.dat"}, ""},
    {{"dump"}, ""},
    {{"info", "a.dat", "b.dat"}, ""},
    {{"help", "frobnicate"}, ""},
    {{"--help"}, "Usage: quorvanta-db COMMAND [ARGUMENTS]"},
    {{"help"}, "Usage: quorvanta-db COMMAND [ARGUMENTS]"},
    {{"help", "build"}, "Usage: quorvanta-db build CSV -o FILE"},
    {{"build", "--help"}, "Usage: quorvanta-db build CSV -o FILE"},
    {{"dump", "-h"}, "Usage: quorvanta-db dump FILE"},
    {{"help", "info"}, "Usage: quorvanta-db info FILE"},
    {{"check", "x.dat", "--help"}, "Usage: quorvanta-db check FILE"},
};

TEST(DbToolUsage, BadUsageExitsTwoAndHelpExitsZero) {
    TempDir dir;
    for (const auto& [args, firstLine] : kUsageCases) {
        const ToolRun run = runTool(dir, args);
        SCOPED_TRACE(::testing::PrintToString(args) + "\n" + describe(run));
        EXPECT_EQ(run.status, firstLine.empty() ? 2 : 0);
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), firstLine);
        EXPECT_EQ(run.err.find("Try 'quorvanta-db help") != std::string::npos, firstLine.empty());
        // Help is read in a terminal: no line wider than 80 columns.
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST(DbToolUsage, MissingFilesAreBadDataNotBadUsage) {
    TempDir dir;
    const std::string missing = (dir / "missing.dat").string();
    for (const std::string command : {"dump", "info", "check"}) {
        const ToolRun run = runTool(dir, {command, missing});
        EXPECT_EQ(run.status, 1) << command << "\n" << describe(run);
        EXPECT_EQ(run.err, "quorvanta-db: " + missing + ": no such file\n") << command;
    }
    const ToolRun build = runTool(dir, {"build", (dir / "missing.csv").string(), "-o", missing});
    EXPECT_EQ(build.status, 1) << describe(build);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace quorvanta
