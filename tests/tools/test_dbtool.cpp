// The quorvanta-db binary end to end: files written by the tests, the tool run as a process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
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

std::string describe(const ToolRun& run) {
    return "exit " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> filesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// build, dump, build again: the second file must be the first byte for byte.
void expectRoundTrip(const TempDir& dir, const std::string& csvPath, const std::string& context) {
    SCOPED_TRACE(context);
    const std::string first = (dir / "first.dat").string();
    const std::string dumped = (dir / "dumped.csv").string();
    const std::string second = (dir / "second.dat").string();
    const ToolRun build = runTool(dir, {"build", csvPath, "-o", first});
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_EQ(build.err, "");
    const ToolRun dump = runTool(dir, {"dump", first});
    ASSERT_EQ(dump.status, 0) << describe(dump);
    EXPECT_EQ(dump.err, "");
    writeFile(dumped, dump.out);
    const ToolRun rebuild = runTool(dir, {"build", dumped, "-o", second});
    ASSERT_EQ(rebuild.status, 0) << describe(rebuild);
    EXPECT_EQ(readBytes(first), readBytes(second)) << "rebuild from the dump differs";
}

TEST(DbToolRoundTrip, ShippedCatalogueRebuildsByteForByte) {
    TempDir dir;
    expectRoundTrip(dir, QUORVANTA_CATALOGUE_CSV, "data/laser-lines.csv");

    // The dump holds the same lines as the table it was built from, only in canonical form.
    const auto original = dbtool::parseCatalogueCsv(readText(QUORVANTA_CATALOGUE_CSV));
    const auto dumped = dbtool::parseCatalogueCsv(readText(dir / "dumped.csv"));
    ASSERT_TRUE(original.errors.empty());
    ASSERT_EQ(dumped.rows.size(), original.rows.size());
    for (std::size_t r = 0; r < original.rows.size(); ++r) {
        const auto& a = original.rows[r];
        const auto& b = dumped.rows[r];
        EXPECT_TRUE(a.medium == b.medium && a.phase == b.phase && a.wavelength == b.wavelength &&
                    a.note == b.note)
            << "row " << r + 2 << " of the table came back as " << b.medium << "," << b.phase << ","
            << b.wavelength << "," << b.note;
    }

    const ToolRun check = runTool(dir, {"check", (dir / "first.dat").string()});
    EXPECT_EQ(check.status, 0) << describe(check);
    EXPECT_NE(check.out.find(": OK (138 media, 508 lines, 7.36 .. 570569 nm)"), std::string::npos)
        << check.out;
}

TEST(DbToolRoundTrip, BuiltinCatalogueIsTheShippedTableBuilt) {
    TempDir dir;
    const ToolRun build =
        runTool(dir, {"build", QUORVANTA_CATALOGUE_CSV, "-o", (dir / "shipped.dat").string()});
    ASSERT_EQ(build.status, 0) << describe(build);
    const auto builtin = builtinCatalogue();
    EXPECT_EQ(std::vector<std::uint8_t>(builtin.begin(), builtin.end()),
              readBytes(dir / "shipped.dat"))
        << "the compiled-in catalogue is not data/laser-lines.csv built";
}

TEST(DbToolRoundTrip, EdgeCasesRebuildByteForByte) {
    TempDir dir;
    const std::string longNote(dbtool::kMaxNoteLength, 'n');
    const std::string csv =
        "medium,phase,wavelength_nm,note\r\n"
        "ABCDEFGHIJKLMNOPQRST,solid,1064,\r\n"  // name filling its field, empty note
        "\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\r\n"  // comma and quotes
        "Nd:YAG ,solid,1e3," +
        longNote +
        "\r\n"  // trailing blank, longest note
        "tiny,gas,5e-324,smallest double\r\n"
        "huge,gas,1.7976931348623157e308,largest double\r\n";
    const std::string csvPath = (dir / "edge.csv").string();
    writeFile(csvPath, csv);
    expectRoundTrip(dir, csvPath, "edge cases");

    const auto image = readBytes(dir / "first.dat");
    ASSERT_EQ(image.size(),
              std::size_t(kHeaderSize + 5 * kMediumRecordSize + 5 * kTransitionRecordSize));
    const std::size_t thirdLine = kHeaderSize + 5 * kMediumRecordSize + 2 * kTransitionRecordSize;
    const std::string storedNote(image.begin() + thirdLine + 32, image.begin() + thirdLine + 151);
    EXPECT_EQ(storedNote, longNote) << "the note sits in the reserved bytes from offset 32";
    EXPECT_EQ(image[thirdLine + 151], 0);

    const std::string dump = readText(dir / "dumped.csv");
    EXPECT_NE(dump.find("\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\n"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Nd:YAG ,solid,1000,"), std::string::npos) << dump;
}

struct BuildErrorCase {
    const char* name;
    std::string rows;      // after the header
    std::string expected;  // the error line, after "bad.csv:"
};

std::string repeated(std::size_t n, char c) {
    return std::string(n, c);
}

const BuildErrorCase kBuildErrors[] = {
    {"name over 20 bytes", "ABCDEFGHIJKLMNOPQRSTU,gas,1,\n",
     "2:1: medium name \"ABCDEFGHIJKLMNOPQRSTU\" is 21 bytes long; at most 20 fit"},
    {"name with a tab", "He\tNe,gas,1,\n",
     "2:1: medium name \"He\\x09Ne\" holds byte 0x09, which is not printable ASCII"},
    {"name not ASCII", "Rh\xC3\xB6,gas,1,\n",
     "2:1: medium name \"Rh\\xC3\\xB6\" holds byte 0xC3, which is not printable ASCII"},
    {"empty name", ",gas,1,\n", "2:1: medium name is empty"},
    {"unknown phase", "A,plasma,1,\n", "2:2: phase \"plasma\" is not one of solid, liquid, gas"},
    {"phase in capitals", "A,Gas,1,\n", "2:2: phase \"Gas\" is not one of solid, liquid, gas"},
    {"wavelength not a number", "A,gas,abc,\n",
     "2:3: wavelength \"abc\" is not a finite positive number"},
    {"wavelength zero", "A,gas,0,\n", "2:3: wavelength \"0\" is not a finite positive number"},
    {"wavelength negative", "A,gas,-5,\n",
     "2:3: wavelength \"-5\" is not a finite positive number"},
    {"wavelength NaN", "A,gas,nan,\n", "2:3: wavelength \"nan\" is not a finite positive number"},
    {"wavelength infinite", "A,gas,inf,\n",
     "2:3: wavelength \"inf\" is not a finite positive number"},
    {"wavelength overflowing", "A,gas,1e999,\n",
     "2:3: wavelength \"1e999\" is not a finite positive number"},
    {"wavelength with blanks", "A,gas, 632.8,\n",
     "2:3: wavelength \" 632.8\" is not a finite positive number"},
    {"wavelength empty", "A,gas,,\n", "2:3: wavelength \"\" is not a finite positive number"},
    {"note of 120 bytes", "A,gas,1," + repeated(120, 'n') + "\n",
     "2:4: note is 120 bytes long; at most 119 fit"},
    {"medium with two phases", "A,gas,1,\nB,solid,2,\nA,liquid,3,\n",
     "4:2: medium \"A\" is gas on line 2 but liquid here"},
    {"three fields", "A,gas,1\n",
     "2:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 3"},
    {"unquoted comma in the note", "A,gas,1,a,b\n",
     "2:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 5; a field holding a "
     "comma must be quoted"},
    {"unterminated quote", "A,gas,1,\"open\n", "2:4: quoted field has no closing quote"},
    {"quote inside a field", "A,gas,1,say \"hi\"\n",
     "2:4: double quote inside an unquoted field; quote the whole field and double the quote"},
    {"text after a closing quote", "\"A\"x,gas,1,\n",
     "2:1: text after the closing quote; a field is either quoted as a whole or not at all"},
    {"lone carriage return", "A,gas,1,x\ry\n",
     "2:4: note holds byte 0x0D, which is not printable ASCII"},
    {"error after good lines and an empty one", "A,gas,1,\n\nA,gas,x,\n",
     "4:3: wavelength \"x\" is not a finite positive number"},
};

TEST(DbToolBuild, EveryBadRowIsNamedAndNothingIsWritten) {
    for (const BuildErrorCase& c : kBuildErrors) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string csvPath = (dir / "bad.csv").string();
        writeFile(csvPath, kHeader + c.rows);

        const ToolRun fresh = runTool(dir, {"build", csvPath, "-o", (dir / "new.dat").string()});
        EXPECT_EQ(fresh.status, 1) << describe(fresh);
        EXPECT_NE(fresh.err.find(csvPath + ":" + c.expected + "\n"), std::string::npos)
            << describe(fresh);
        EXPECT_EQ(filesIn(dir), std::vector<std::string>{"bad.csv"})
            << "a failed build left a file behind";

        const std::vector<std::uint8_t> earlier = {'o', 'l', 'd'};
        writeFile(dir / "old.dat", earlier);
        const ToolRun over = runTool(dir, {"build", csvPath, "-o", (dir / "old.dat").string()});
        EXPECT_EQ(over.status, 1);
        EXPECT_EQ(readBytes(dir / "old.dat"), earlier) << "a failed build touched an existing file";
    }
}

TEST(DbToolBuild, WrongHeaderIsLineOne) {
    TempDir dir;
    writeFile(dir / "h.csv", "medium,phase,wavelength,note\nA,gas,1,\n");
    const ToolRun run =
        runTool(dir, {"build", (dir / "h.csv").string(), "-o", (dir / "h.dat").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("h.csv:1:1: the first line must be the header"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "h.dat"));
}

TEST(DbToolBuild, MoreThan65535LinesOrMediaAreRefused) {
    TempDir dir;
    std::string manyLines = kHeader;
    std::string manyMedia = kHeader;
    for (int i = 0; i <= kMaxRecords; ++i) {
        manyLines += "A,gas," + std::to_string(i + 1) + ",\n";
        manyMedia += "M" + std::to_string(i) + ",gas,1,\n";
    }
    writeFile(dir / "lines.csv", manyLines);
    writeFile(dir / "media.csv", manyMedia);
    const ToolRun lines =
        runTool(dir, {"build", (dir / "lines.csv").string(), "-o", (dir / "x.dat").string()});
    EXPECT_EQ(lines.status, 1);
    EXPECT_NE(lines.err.find("lines.csv:65537:1: more than 65535 lines"), std::string::npos)
        << lines.err;
    const ToolRun media =
        runTool(dir, {"build", (dir / "media.csv").string(), "-o", (dir / "x.dat").string()});
    EXPECT_EQ(media.status, 1);
    EXPECT_NE(media.err.find("media.csv:65537:1: more than 65535 media"), std::string::npos)
        << media.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "x.dat"));
}

// A small catalogue with one thing wrong of each kind that check reports.
struct DamageCase {
    const char* name;
    std::vector<std::uint8_t> image;
    std::vector<std::string> expected;  // lines after "FILE: "
};

std::vector<std::uint8_t> goodImage() {
    return CatalogueImage{}
        .medium("He-Ne", "gas")
        .medium("Ruby", "solid")
        .line("He-Ne", 632.816)
        .line("Ruby", 694.3)
        .bytes();
}

std::vector<DamageCase> damageCases() {
    std::vector<DamageCase> cases;
    {
        auto image = goodImage();
        image.resize(image.size() - 10);
        cases.push_back({"cut short",
                         image,
                         {"header promises 2 media and 2 transitions (360 bytes after the header) "
                          "but the file holds 356 bytes; loaded 2 media and 1 transition.",
                          "1 problem"}});
    }
    cases.push_back(
        {"shorter than the header",
         {0x01, 0x00, 0x01},
         {"the file holds 3 bytes, fewer than the 6-byte header; loaded nothing.", "1 problem"}});
    {
        auto image = goodImage();
        image.insert(image.end(), 7, 0xEE);
        cases.push_back(
            {"trailing bytes",
             image,
             {"7 bytes after the last record (from offset 366) are ignored", "1 problem"}});
    }
    {
        // Regression: one trailing byte was reported as "1 byte ... are ignored".
        auto image = goodImage();
        image.push_back(0xEE);
        cases.push_back(
            {"one trailing byte",
             image,
             {"1 byte after the last record (from offset 366) is ignored", "1 problem"}});
    }
    {
        Medium stray = makeMedium("Ruby", "solid");
        stray.bytes[10] = 'x';  // after the NUL that ends "Ruby"
        cases.push_back(
            {"stray bytes after a NUL",
             CatalogueImage{}.medium(stray).line("Ruby", 694.3).bytes(),
             {"medium 1 \"Ruby\": name field holds stray bytes after its NUL", "1 problem"}});
    }
    cases.push_back(
        {"unprintable name",
         CatalogueImage{}.medium("Ru\x01y", "solid").line("Ru\x01y", 694.3).bytes(),
         {"medium 1 \"Ru\\x01y\": name holds bytes outside printable ASCII", "1 problem"}});
    cases.push_back({"empty name",
                     CatalogueImage{}.medium("", "solid").line("", 694.3).bytes(),
                     {"medium 1 has an empty name", "1 problem"}});
    cases.push_back(
        {"unknown phase",
         CatalogueImage{}.medium("Ruby", "Solid").line("Ruby", 694.3).bytes(),
         {"medium 1 \"Ruby\": unknown phase \"Solid\" (not solid, liquid or gas)", "1 problem"}});
    cases.push_back({"bad wavelengths",
                     CatalogueImage{}
                         .medium("Ruby", "solid")
                         .line("Ruby", std::numeric_limits<double>::quiet_NaN())
                         .line("Ruby", -1.5)
                         .line("Ruby", 0.0)
                         .line("Ruby", std::numeric_limits<double>::infinity())
                         .bytes(),
                     {"transition 1 (\"Ruby\"): wavelength nan nm is not a finite positive number",
                      "transition 2 (\"Ruby\"): wavelength -1.5 nm is not a finite positive number",
                      "transition 3 (\"Ruby\"): wavelength 0 nm is not a finite positive number",
                      "transition 4 (\"Ruby\"): wavelength inf nm is not a finite positive number",
                      "4 problems"}});
    cases.push_back(
        {"line without medium",
         CatalogueImage{}.medium("Ruby", "solid").line("Ruby", 694.3).line("ruby", 692.9).bytes(),
         {"transition 2 (\"ruby\"): medium name \"ruby\" matches no medium", "1 problem"}});
    cases.push_back({"shared name",
                     CatalogueImage{}
                         .medium("Ruby", "solid")
                         .medium("Ruby", "solid")
                         .line("Ruby", 694.3)
                         .bytes(),
                     {"medium 2 \"Ruby\" has the same name as medium 1", "1 problem"}});
    {
        CatalogueImage image;
        image.medium("Ruby", "solid");
        for (int k = 0; k < 25; ++k)
            image.line("Nothing", 100.0 + k);
        std::vector<std::string> expected;
        for (int k = 1; k <= 20; ++k)
            expected.push_back("transition " + std::to_string(k) +
                               " (\"Nothing\"): medium name \"Nothing\" matches no medium");
        expected.push_back("... and 5 more lines whose medium matches none");
        expected.push_back("25 problems");
        cases.push_back({"more than twenty of a kind", image.bytes(), expected});
    }
    return cases;
}

TEST(DbToolCheck, EachKindOfDamageIsOneClearLine) {
    for (const DamageCase& c : damageCases()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = (dir / "damaged.dat").string();
        writeFile(path, c.image);
        const ToolRun run = runTool(dir, {"check", path});
        EXPECT_EQ(run.status, 1) << describe(run);
        std::vector<std::string> expected;
        for (const std::string& line : c.expected)
            expected.push_back(path + ": " + line);
        EXPECT_EQ(linesOf(run.out), expected) << describe(run);
    }
}

TEST(DbToolCheck, SoundFileIsOk) {
    TempDir dir;
    const std::string path = (dir / "good.dat").string();
    writeFile(path, CatalogueImage{}
                        .medium("ABCDEFGHIJKLMNOPQRST", "liquid")
                        .line("ABCDEFGHIJKLMNOPQRST", 590.0)
                        .line("ABCDEFGHIJKLMNOPQRST", 25000.0)
                        .bytes());
    const ToolRun run = runTool(dir, {"check", path});
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, path +
                           ": OK (1 medium, 2 lines, 590 .. 25000 nm; 1 name fills all 20 bytes, "
                           "without NUL)\n");
}

TEST(DbToolInfo, FiguresOfASmallCatalogue) {
    TempDir dir;
    const std::string path = (dir / "small.dat").string();
    writeFile(path, CatalogueImage{}
                        .medium("He-Ne", "gas")
                        .medium("Ruby", "solid")
                        .medium("DCM", "liquid")
                        .medium("Odd", "plasma")
                        .line("He-Ne", 632.816)
                        .line("He-Ne", 3391.3)
                        .line("Ruby", 694.3)
                        .line("Ni-like Sm", 7.36)
                        .line("CH3OH", 118834.0)
                        .line("Odd", std::numeric_limits<double>::quiet_NaN())
                        .phaseCount(3)
                        .bytes());
    const ToolRun run = runTool(dir, {"info", path});
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, path +
                           ": 4 media, 6 lines (phase count in the header: 3)\n"
                           "  solid: 1 medium, 1 line\n"
                           "  liquid: 1 medium, 0 lines\n"
                           "  gas: 1 medium, 2 lines\n"
                           "  other phases: 1 medium, 1 line\n"
                           "  without a medium: 2 lines\n"
                           "wavelength range: 7.36 .. 118834 nm\n"
                           "lines outside 10..20000 nm: 2 (1 below, 1 above)\n"
                           "lines whose wavelength is not a number: 1\n"
                           "every line's medium exists: no, 2 lines name no medium\n");
}

TEST(DbToolDump, LinesWithoutMediumAreWrittenButFlagged) {
    TempDir dir;
    const std::string path = (dir / "orphans.dat").string();
    writeFile(path, CatalogueImage{}
                        .medium("Ruby", "solid")
                        .medium("Unused", "gas")
                        .line("Ruby", 694.3)
                        .line("Ghost", 1.5)
                        .bytes());
    const ToolRun run = runTool(dir, {"dump", path});
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_EQ(run.out, kHeader + "Ruby,solid,694.3,\nGhost,,1.5,\n");
    EXPECT_NE(run.err.find("lines naming no medium: 1 (written with an empty phase)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("media without lines: 1 (left out)"), std::string::npos) << run.err;
}

TEST(DbToolDump, ReservedBytesThatHoldNoNoteAreNotANote) {
    TempDir dir;
    Transition line = makeTransition("Ruby", 694.3);
    for (std::size_t b = 20; b < line.bytes.size(); ++b)
        if (b < 24 || b >= 32) line.bytes[b] = static_cast<std::uint8_t>(0x80 + b % 100);
    const std::string path = (dir / "foreign.dat").string();
    writeFile(path, CatalogueImage{}.medium("Ruby", "solid").line(line).bytes());
    const ToolRun run = runTool(dir, {"dump", path});
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, kHeader + "Ruby,solid,694.3,\n");
}

TEST(DbToolDump, MediaOutOfLineOrderAreFlagged) {
    TempDir dir;
    const std::string path = (dir / "order.dat").string();
    writeFile(path, CatalogueImage{}
                        .medium("B", "gas")
                        .medium("A", "gas")
                        .line("A", 1.0)
                        .line("B", 2.0)
                        .bytes());
    const ToolRun run = runTool(dir, {"dump", path});
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_NE(run.err.find("a rebuild would differ: medium 1 \"B\" (gas) would become \"A\" (gas)"),
              std::string::npos)
        << run.err;
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string expectedOut;  // start of stdout
};

const UsageCase kUsageCases[] = {
    {"no command", {}, 2, ""},
    {"unknown command", {"frobnicate"}, 2, ""},
    {"build without output", {"build", "x.csv"}, 2, ""},
    {"build with two tables", {"build", "a.csv", "b.csv", "-o", "x.dat"}, 2, ""},
    {"build with -o and no name", {"build", "a.csv", "-o"}, 2, ""},
    {"unknown option", {"check", "--verbose", "x.dat"}, 2, ""},
    {"dump without file", {"dump"}, 2, ""},
    {"info with two files", {"info", "a.dat", "b.dat"}, 2, ""},
    {"help for an unknown command", {"help", "frobnicate"}, 2, ""},
    {"tool help", {"--help"}, 0, "Usage: quorvanta-db COMMAND"},
    {"help word", {"help"}, 0, "Usage: quorvanta-db COMMAND"},
    {"help for build", {"help", "build"}, 0, "Usage: quorvanta-db build CSV -o FILE"},
    {"build --help", {"build", "--help"}, 0, "Usage: quorvanta-db build CSV -o FILE"},
    {"dump -h", {"dump", "-h"}, 0, "Usage: quorvanta-db dump FILE"},
    {"help for info", {"help", "info"}, 0, "Usage: quorvanta-db info FILE"},
    {"check --help with a file", {"check", "x.dat", "--help"}, 0, "Usage: quorvanta-db check FILE"},
};

TEST(DbToolUsage, BadUsageExitsTwoAndHelpExitsZero) {
    TempDir dir;
    for (const UsageCase& c : kUsageCases) {
        const ToolRun run = runTool(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << describe(run);
        EXPECT_EQ(run.out.rfind(c.expectedOut, 0), 0u) << c.name << "\n" << describe(run);
        if (c.status == 2) {
            EXPECT_NE(run.err.find("Try 'quorvanta-db help"), std::string::npos) << c.name << "\n"
                                                                                 << describe(run);
        }
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
