// The quorvanta-db binary end to end: tables and catalogue files written by the tests, the tool run
// as a process, its output and exit status compared whole; and the shipped catalogue's own data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "catalogue_csv.h"
#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "database/builtin_catalogue.h"

namespace quorvanta {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::CatalogueImage;
using testing::readBytes;
using testing::readText;

const std::string kHeader = "medium,phase,wavelength_nm,note\n";

struct ToolRun {
    int status = -1;  // exit status, or -1 when the tool did not exit normally
    std::string out, err;
    bool clean() const { return status == 0 && err.empty(); }
};

// A temporary folder in which the tool runs.
class DbTool : public ::testing::Test {
  protected:
    testing::TempDir dir;

    std::string path(const std::string& name) const { return (dir / name).string(); }
    template <typename Content>
    std::string place(const std::string& name, const Content& content) const {
        testing::writeFile(dir / name, content);
        return path(name);
    }
    void clear() const {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
            fs::remove_all(entry.path());
    }
    long files() const { return std::distance(fs::directory_iterator(dir.path()), {}); }

    // The tool run through the shell with the given arguments (paths and words without blanks).
    ToolRun run(const std::string& args) const {
        const std::string out = path(".out"), err = path(".err");
        const int status =
            std::system((QUORVANTA_DB_TOOL " " + args + " >" + out + " 2>" + err).c_str());
        ToolRun result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
        fs::remove(out);
        fs::remove(err);
        return result;
    }
    static std::string describe(const ToolRun& run) {
        return "exit " + std::to_string(run.status) + "\n" + run.out + "stderr:\n" + run.err;
    }
};

// A table built, dumped and built again from its dump: the second file is the first byte for byte,
// check finds nothing to note (so the lines are stored in wavelength order) and says `check`.
struct TableCase {
    std::string name, csv;
    std::string dump = "";   // what dump writes; empty: the table itself if in canonical form
    std::string check = "";  // what check writes in "FILE: OK (...)"; empty: not compared
};

std::vector<TableCase> tableCases() {
    return {
        {"the shipped catalogue", readText(QUORVANTA_CATALOGUE_CSV), "",
         "138 media, 508 lines, 7.36 .. 570569 nm"},
        {"edge cases",
         "\xEF\xBB\xBF"  // a byte order mark
         "medium,phase,wavelength_nm,note\r\n"
         "ABCDEFGHIJKLMNOPQRST,solid,1064,\r\n"  // name filling its field, empty note
         "\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\r\n"  // comma and quotes
         "Nd:YAG ,solid,1e3,\r\n\r\n\n"                           // trailing blank lines
         "tiny,gas,5e-324,\"\"\"smallest\"\" double\"\r\n"        // quotes without a comma
         "huge,gas,1.7976931348623157e308,largest double\r\n"
         "\"Er,Cr:YSGG\",solid,2940,no line end",
         // Each line waits until its medium is next (tiny and Nd:YAG until Er,Cr:YSGG is out).
         kHeader +
             "ABCDEFGHIJKLMNOPQRST,solid,1064,\n\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\n"
             "Nd:YAG ,solid,1000,\ntiny,gas,5e-324,\"\"\"smallest\"\" double\"\n"
             "\"Er,Cr:YSGG\",solid,2940,no line end\n"
             "huge,gas,1.7976931348623157e+308,largest double\n",
         "5 media, 6 lines, 5e-324 .. 1.7976931348623157e+308 nm; 1 name fills all 20 bytes, "
         "without NUL"},
        {"ties keep the table's order",
         kHeader + "Zeta,gas,351.1,\nAlpha,solid,351.1,tie\nZeta,gas,351.1,again\nMid,liquid,400,\n"
                   "Alpha,solid,632.8,\n"},
        {"media grouped",
         kHeader + "He-Ne,gas,632.816,\nHe-Ne,gas,3392.2,\nNd:YAG,solid,1064.1,\nAr,gas,488,\n"
                   "Ar,gas,351.1,\n",
         kHeader + "He-Ne,gas,632.816,\nNd:YAG,solid,1064.1,\nAr,gas,351.1,\nAr,gas,488,\n"
                   "He-Ne,gas,3392.2,\n"},
        {"a later medium's line ties with an earlier one's",
         kHeader + "A,gas,600,\nB,gas,500,b\nA,gas,500,a\n"},
        {"each medium below the one before, the longest note",
         kHeader + "A,gas,3,\nB,gas,2,\nC,gas,1," + std::string(dbtool::kMaxNoteLength, 'n') +
             "\n"},
    };
}

TEST_F(DbTool, TablesAreStoredByWavelengthAndRebuildByteForByteFromTheirDump) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const TableCase& c : tableCases()) {
        SCOPED_TRACE(c.name);
        clear();
        const std::string first = path("first.dat"), second = path("second.dat");
        const ToolRun build = run("build " + place("table.csv", c.csv) + " --output=" + first);
        EXPECT_TRUE(build.clean()) << describe(build);
        EXPECT_EQ(fs::status(first).permissions(), fs::perms(0666 & ~mask)) << "not the umask's";
        const ToolRun dump = run("dump " + first);
        EXPECT_TRUE(dump.clean()) << describe(dump);
        EXPECT_EQ(dump.out, !c.dump.empty()              ? c.dump
                            : c.csv.starts_with(kHeader) ? c.csv
                                                         : dump.out);
        EXPECT_EQ(run("build " + place("dumped.csv", dump.out) + " -o " + second).status, 0);
        EXPECT_EQ(readBytes(first), readBytes(second)) << "the rebuild from the dump differs";
        EXPECT_EQ(readBytes(first).at(4), 3) << "not the three phases in the header";
        const ToolRun check = run("check " + first);
        EXPECT_TRUE(check.clean()) << "a file build wrote got a note: " << describe(check);
        EXPECT_EQ(check.out, c.check.empty() ? check.out : first + ": OK (" + c.check + ")\n");
        EXPECT_TRUE(c.name != "the shipped catalogue" ||
                    std::ranges::equal(builtinCatalogue(), readBytes(first)))
            << "the built-in catalogue is not data/laser-lines.csv built";
    }
}

// Tables with faults, a row a line and how its errors begin, one a line ("LINE:COLUMN: ..."): build
// names every fault, counts them and writes nothing.
using Row = std::pair<std::string, std::string>;
const std::vector<std::vector<Row>> kBadTables = {
    {{"medium,phase,wavelength_nm,note", ""},
     {"A,gas,1,", ""},
     {"B,solid,2,", ""},
     {"A,liquid,3,", "4:2: medium \"A\" is gas on line 2 but liquid here"},
     // A misspelt first phase is one error, not an error on every later line as well.
     {"X,gass,1,", "5:2: phase \"gass\" is not one of solid, liquid, gas"},
     {"X,gas,2,", ""},
     {"X,solid,4,", "7:2: medium \"X\" is gas on line 6 but solid here"},
     {"", ""},
     {"ABCDEFGHIJKLMNOPQRSTU,Solid,abc,ok",
      "9:1: medium name \"ABCDEFGHIJKLMNOPQRSTU\" is 21 bytes long; at most 20 fit\n"
      "9:2: phase \"Solid\" is not one of\n9:3: wavelength \"abc\" is not a finite"},
     {"He\tNe,gas,1,", "10:1: medium name \"He\\x09Ne\" holds byte 0x09, which is not printable"},
     {"Rh\xC3\xB6,gas,1,", "11:1: medium name \"Rh\\xC3\\xB6\" holds byte 0xC3, which is not"},
     {",gas,1,", "12:1: medium name is empty"},
     {"C,plasma,1,", "13:2: phase \"plasma\" is not one of solid, liquid, gas"},
     {"A,gas,0,", "14:3: wavelength \"0\" is not a finite positive number"},
     {"A,gas,inf,", "15:3: wavelength \"inf\" is not a finite positive number"},
     {"A,gas,1e999,", "16:3: wavelength \"1e999\" is not a finite positive number"},
     {"A,gas, 632.8,", "17:3: wavelength \" 632.8\" is not a finite positive number"},
     {"A,gas,1," + std::string(120, 'n'), "18:4: note is 120 bytes long; at most 119 fit"},
     {"A,gas,1", "19:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 3"},
     {"A,gas,1,a,b", "20:1: expected 4 fields (medium,phase,wavelength_nm,note) but found 5; a"},
     {"A,gas,1,\"open", "21:4: quoted field has no closing quote"},
     {"A,gas,1,say \"hi\"", "22:4: double quote inside an unquoted field; quote the whole field"},
     {"\"A\"x,gas,1,", "23:1: text after the closing quote; a field is either quoted as a whole"},
     {"A,gas,1,x\ry",
      "24:4: note holds byte 0x0D, which is not printable ASCII\n"
      "not written: 21 errors in"}},
    {{"medium,phase,wavelength,note", "1:1: the first line must be the header medium,phase,"},
     {"A,gas,1,", "not written: 1 error in"}},
    {{"medium,phase,wavelength_nm,note,status,source", ""},
     {"A,gas,1,,,", "2:5: the line has no status; give confirmed, calculated, range or"},
     {"A,gas,1,,Confirmed,R1", "3:5: status \"Confirmed\" is not one of confirmed, calculated,"},
     {"A,gas,1,,confirmed,", "4:6: a confirmed line needs its source; a line without one is"},
     {"A,gas,1,,range,", "5:6: a range line needs its source"},
     {"A,gas,1,,calculated,R\x7f", "6:6: source holds byte 0x7F, which is not printable ASCII"},
     {"A,gas,1,",
      "7:1: expected 6 fields (medium,phase,wavelength_nm,note,status,source) but\n"
      "not written: 6 errors in"}},
};

// A catalogue file of media "name=phase" and lines "name=wavelength[=note]", each list split by
// '|', cut short by `cut` bytes (or grown by -cut bytes 0xEE).
Bytes catalogue(const std::string& media, const std::string& lines, int cut = 0) {
    CatalogueImage image;
    std::istringstream mediaList(media), lineList(lines);
    for (std::string item; std::getline(mediaList, item, '=');) {
        std::string phase;
        std::getline(mediaList, phase, '|');
        image.medium(item, phase);
    }
    for (std::string item; std::getline(lineList, item, '|');) {
        const std::size_t at = item.find('='), note = item.find('=', at + 1);
        Transition line = makeTransition(item.substr(0, at), std::stod(item.substr(at + 1)));
        if (note != std::string::npos) setNote(line, item.substr(note + 1));
        image.line(line);
    }
    Bytes bytes = image.bytes();
    bytes.resize(bytes.size() - static_cast<std::size_t>(cut), 0xEE);
    return bytes;
}

// A command run on a file (none: missing) that %F stands for; %O is a file that must stay as it
// was. "%F: " and "%F:" are left out of what it writes. `out` is all of standard output or, ending
// in "...", a part of it (in lines of at most 80 columns); each line of `err` is on standard error.
struct FileCase {
    Bytes file;
    std::string args;
    int status;
    std::string out, err;
};

std::vector<FileCase> fileCases() {
    // Every flaw check lists (stray bytes after the NUL of medium 1's phase, medium 2's name and
    // line 3's name among them), media of every phase, lines at the display bounds.
    Bytes flawed =
        catalogue("He-Ne=gas|Ruby=solid|DCM=liquid|Odd=plasma|Ru\x01y=solid|=gas|He-Ne=gas",
                  "He-Ne=10|He-Ne=20000|Ruby=694.3|Ni-like Sm=7.36|CH3OH=118834|Odd=nan|"
                  "Ruby=-1.5|Ruby=0|Ruby=inf");
    flawed[kHeaderSize + 24] = 'y';
    flawed[kHeaderSize + kMediumRecordSize + 10] = 'x';
    flawed[kHeaderSize + 7 * kMediumRecordSize + 2 * kTransitionRecordSize + 10] = 'z';
    // Reserved bytes that hold no note (a byte after the NUL, no NUL, a control byte, high bytes).
    Bytes foreign = catalogue("Ruby=solid", "Ruby=694.3=nnn|Ruby=694.3|Ruby=694.3=nnn|Ruby=694.3");
    const auto note = [&](std::size_t k) {
        return foreign.begin() + kHeaderSize + kMediumRecordSize + k * kTransitionRecordSize + 32;
    };
    note(0)[10] = 'x';
    std::fill_n(note(1), kNoteFieldSize, 'n');
    note(2)[0] = 0x07;
    std::fill_n(note(3) - 12, 4, 0x80);
    std::fill_n(note(3), kNoteFieldSize, 0xC0);
    // Lines with a hostile name and note, a line of no medium, a tie at 1064 nm, in no order.
    const Bytes queried = catalogue(
        "He-Ne=gas|Nd:YAG=solid|Dye \"R6G\", 1=liquid",
        "He-Ne=1152.3|Nd:YAG=1064|Dye \"R6G\", 1=590|He-Ne=632.816=red, \"the\" line|Ghost=1064");
    const std::string red = "He-Ne,gas,632.816,\"red, \"\"the\"\" line\"\n";
    const std::string ruby = "Ruby,solid,694.3,\n";

    std::vector<FileCase> cases;
    for (const std::vector<Row>& table : kBadTables) {
        std::string text, errors;
        for (const auto& [line, said] : table)
            text += line + "\n", errors += said + "\n";
        cases.push_back({Bytes(text.begin(), text.end()), "build %F -o %O", 1, "", errors});
    }
    cases.insert(
        cases.end(),
        {
            {flawed, "info %F", 0, "lines outside 10..20000 nm: 5 (3 below, 2 above)\n...", ""},
            {flawed, "check %F", 1,
             "medium 6 has an empty name\n"
             "medium 5 \"Ru\\x01y\": name holds bytes outside printable ASCII\n"
             "medium 1 \"He-Ne\": phase field holds stray bytes after its NUL\n"
             "medium 2 \"Ruby\": name field holds stray bytes after its NUL\n"
             "transition 3 (\"Ruby\"): medium name field holds stray bytes after its NUL\n"
             "medium 4 \"Odd\": unknown phase \"plasma\" (not solid, liquid or gas)\n"
             "transition 6 (\"Odd\"): wavelength nan nm is not a finite positive number\n"
             "transition 7 (\"Ruby\"): wavelength -1.5 nm is not a finite positive number\n"
             "transition 8 (\"Ruby\"): wavelength 0 nm is not a finite positive number\n"
             "transition 9 (\"Ruby\"): wavelength inf nm is not a finite positive number\n"
             "transition 4 (\"Ni-like Sm\"): medium name \"Ni-like Sm\" matches no medium\n"
             "transition 5 (\"CH3OH\"): medium name \"CH3OH\" matches no medium\n"
             "medium 7 \"He-Ne\" has the same name as medium 1\n13 problems\n",
             "note: lines not in wavelength order (transition 3, 694.3 nm, follows 20000 nm)"},
            {catalogue("He-Ne=gas|Ruby=solid", "", 10), "check %F", 1,
             "header promises 2 media and 0 transitions (56 bytes after the header) but the file "
             "holds 52 bytes; loaded 1 medium and 0 transitions.\n1 problem\n",
             ""},
            {catalogue("He-Ne=gas|Ruby=solid", "He-Ne=632.816|Ruby=694.3", -1), "check %F", 1,
             "1 byte after the last record (from offset 366) is ignored\n1 problem\n", ""},
            // An older file, its lines stored out of wavelength order: valid, with a note.
            {catalogue("He-Ne=gas|Ruby=solid", "He-Ne=632.816|He-Ne=1152.3|Ruby=694.3|Ruby=692.9"),
             "check %F", 0, "OK (2 media, 4 lines, 632.816 .. 1152.3 nm)\n",
             "note: lines not in wavelength order (transition 3, 694.3 nm, follows 1152.3 nm)"},
            {foreign, "dump %F", 0, kHeader + ruby + ruby + ruby + ruby, ""},
            {catalogue("Ruby=solid|Unused=gas", "Ruby=694.3|Ghost=1.5"), "dump %F", 1,
             kHeader + ruby + "Ghost,,1.5,\n",
             "lines naming no medium: 1 (written with an empty phase)\n"
             "media without lines: 1 (left out)"},
            // A line is held back until its medium has appeared: a rebuild gives the file back.
            {catalogue("B=gas|A=gas", "A=1|B=2"), "dump %F", 0, kHeader + "B,gas,2,\nA,gas,1,\n",
             ""},
            // Files no table gives are dumped in stored order.
            {catalogue("B=gas|A=gas", "A=1|B=1"), "dump %F", 1, kHeader + "A,gas,1,\nB,gas,1,\n",
             "a rebuild would differ"},
            {catalogue("A=gas", "A=2|A=1"), "dump %F", 1, kHeader + "A,gas,2,\nA,gas,1,\n",
             "a rebuild would differ"},
            {catalogue("X=gas|X=solid", "X=1"), "dump %F", 1, kHeader + "X,gas,1,\n",
             "a rebuild would differ: 2 media would become 1"},
            {queried, "lines %F", 0,
             kHeader + "\"Dye \"\"R6G\"\", 1\",liquid,590,\n" + red +
                 "Nd:YAG,solid,1064,\nGhost,,1064,\nHe-Ne,gas,1152.3,\n",
             ""},
            {queried, "lines %F --from 1064", 0,
             kHeader + "Nd:YAG,solid,1064,\nGhost,,1064,\nHe-Ne,gas,1152.3,\n", ""},
            {queried, "lines %F --to=632.816 --phase gas", 0, kHeader + red, ""},
            {queried, "lines %F --medium hE-n", 0, kHeader + red + "He-Ne,gas,1152.3,\n", ""},
            {queried, "lines %F --from=600 --medium r6g", 1, kHeader, ""},
            // Missing files are bad data, not bad usage.
            {{}, "dump %F", 1, "", "quorvanta-db: no such file"},
            {{}, "build %F -o %O", 1, "", "quorvanta-db: no such file"},
            // Bad usage exits 2 and points to the help; help exits 0, whatever else is given.
            {{}, "", 2, "", "quorvanta-db: no command given\nTry 'quorvanta-db help'."},
            {{}, "build x -o", 2, "", "-o needs a file name\nTry 'quorvanta-db help build'."},
            {{}, "check --verbose x.dat", 2, "", "check: unknown option --verbose"},
            {queried, "lines %F --from 1064nm", 2, "", "lines: --from \"1064nm\" is not a number"},
            {queried, "lines %F --from 800 --to 500", 2, "", "lines: --from 800 is above --to 500"},
            {{}, "--help", 0, "Usage: quorvanta-db COMMAND [ARGUMENTS]\n...", ""},
            {queried, "lines %F --to 500 --help", 0,
             "Usage: quorvanta-db lines FILE [--from NM] [--to NM] [--medium TEXT]\n...", ""},
        });
    return cases;
}

TEST_F(DbTool, CommandsOnFilesSayWhatTheyFindAndExitWithItsStatus) {
    for (const FileCase& c : fileCases()) {
        clear();
        const std::string file = c.file.empty() ? path("missing") : place("file", c.file);
        const std::string old = place("old.dat", "old");
        std::string args = c.args;
        for (std::size_t at; (at = args.find('%')) != std::string::npos;)
            args.replace(at, 2, args[at + 1] == 'F' ? file : old);
        const ToolRun result = run(args);
        SCOPED_TRACE(c.args + "\n" + describe(result));
        const auto unnamed = [&](std::string text) {
            for (std::size_t at; (at = text.find(file + ":")) != std::string::npos;)
                text.erase(at, file.size() + (text[at + file.size() + 1] == ' ' ? 2 : 1));
            return text;
        };
        const std::string out = unnamed(result.out), err = unnamed(result.err);
        if (!c.out.ends_with("...")) {
            EXPECT_EQ(out, c.out);
        } else {
            EXPECT_NE(out.find(c.out.substr(0, c.out.size() - 3)), std::string::npos);
            std::istringstream lines(out);
            for (std::string line; std::getline(lines, line);)
                EXPECT_LE(line.size(), 80u) << line;
        }
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(err.empty(), c.err.empty());
        std::istringstream said(c.err);
        for (std::string line; std::getline(said, line);)
            EXPECT_NE(err.find(line), std::string::npos) << line;
        EXPECT_EQ(readText(old), "old") << "an existing file was touched";
        EXPECT_EQ(files(), c.file.empty() ? 1 : 2) << "the command left a file behind";
    }
}

// The shipped table: every line's status on record and corrections that stay made.
TEST_F(DbTool, ShippedCatalogueKeepsItsProvenance) {
    const std::string text = readText(QUORVANTA_CATALOGUE_CSV);
    const dbtool::CatalogueTable table = dbtool::parseCatalogueCsv(text);
    ASSERT_TRUE(table.errors.empty()) << dbtool::formatCsvError("laser-lines.csv", table.errors[0]);
    std::size_t backed = 0;
    std::set<std::pair<std::string, double>> lines;
    for (const dbtool::CatalogueRow& row : table.rows) {
        backed += row.status == "confirmed" || row.status == "calculated";
        lines.emplace(row.medium, row.wavelength);
    }
    // Not to slip back: at least 64 % of the lines confirmed or calculated.
    EXPECT_GE(backed * 100, table.rows.size() * 64) << backed << " of " << table.rows.size();
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
