// The quorvanta-db binary end to end: tables and catalogue files written by the tests, the tool run
// as a process, its output and exit status compared whole; and the shipped catalogue's own data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
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
const std::string kStatusHeader = "medium,phase,wavelength_nm,note,status,source\n";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct ToolRun {
    int status = -1;  // exit status, or -1 when the tool did not exit normally
    std::string out, err;
};

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Every occurrence of %F in text replaced by path.
std::string withPath(std::string text, const std::string& path) {
    for (std::size_t at = text.find("%F"); at != std::string::npos; at = text.find("%F", at))
        text.replace(at, 2, path);
    return text;
}

// A temporary folder in which the tool runs, its standard output and error captured in files.
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

    // The tool run through the shell, every argument quoted.
    ToolRun run(const std::vector<std::string>& args) const {
        std::string command = QUORVANTA_DB_TOOL;
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        const std::string out = path(".out"), err = path(".err");
        const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
        ToolRun result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
        fs::remove(out);
        fs::remove(err);
        return result;
    }
    static std::string describe(const ToolRun& run) {
        return "exit " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
               run.err;
    }
};

// A table built, dumped and built again from its dump: the second file is the first byte for byte,
// check finds nothing to note, and the file holds the table's lines in wavelength order.
struct TableCase {
    std::string name, csv;
    std::string stored;  // "medium wavelength[ note]; ..." in file order; empty: not compared
    std::string dump;    // what dump writes after the header; empty: not compared
    std::string check;   // what check writes in "FILE: OK (...)"
};

std::vector<TableCase> tableCases() {
    const std::string longNote(dbtool::kMaxNoteLength, 'n');
    const std::string ties =
        "Zeta,gas,351.1,\nAlpha,solid,351.1,tie\nZeta,gas,351.1,again\n"
        "Mid,liquid,400,\nAlpha,solid,632.8,\n";
    const std::string later = "A,gas,600,\nB,gas,500,b\nA,gas,500,a\n";
    const std::string below = "A,gas,3,\nB,gas,2,\nC,gas,1,\n";
    return {
        {"the shipped catalogue", readText(QUORVANTA_CATALOGUE_CSV), "", "",
         "138 media, 508 lines, 7.36 .. 570569 nm"},
        {"edge cases",
         "\xEF\xBB\xBF"  // a byte order mark
         "medium,phase,wavelength_nm,note\r\n"
         "ABCDEFGHIJKLMNOPQRST,solid,1064,\r\n"  // name filling its field, empty note
         "\"Er,Cr:YSGG\",solid,2780,\"\"\"quoted\"\", too\"\r\n"  // comma and quotes
         "Nd:YAG ,solid,1e3," +
             longNote +
             "\r\n\r\n\n"                                       // trailing blank, longest note
             "tiny,gas,5e-324,\"\"\"smallest\"\" double\"\r\n"  // quotes without a comma
             "huge,gas,1.7976931348623157e308,largest double\r\n"
             "\"Er,Cr:YSGG\",solid,2940,no line end",
         "tiny 5e-324 \"smallest\" double; Nd:YAG  1000 " + longNote +
             "; ABCDEFGHIJKLMNOPQRST 1064; Er,Cr:YSGG 2780 \"quoted\", too; "
             "Er,Cr:YSGG 2940 no line end; huge 1.7976931348623157e+308 largest double",
         "",
         "5 media, 6 lines, 5e-324 .. 1.7976931348623157e+308 nm; 1 name fills all 20 bytes, "
         "without NUL"},
        {"status and source stay in the table",
         kStatusHeader +
             "A,gas,1,,unconfirmed,\nA,gas,2,x,calculated,\"R16, R22\"\nB,solid,3,,range,R51\n",
         "A 1; A 2 x; B 3", "", "2 media, 3 lines, 1 .. 3 nm"},
        {"ties keep the table's order", kHeader + ties,
         "Zeta 351.1; Alpha 351.1 tie; Zeta 351.1 again; Mid 400; Alpha 632.8", ties,
         "3 media, 5 lines, 351.1 .. 632.8 nm"},
        {"media grouped",
         kHeader + "He-Ne,gas,632.816,\nHe-Ne,gas,3392.2,\nNd:YAG,solid,1064.1,\nAr,gas,488,\n" +
             "Ar,gas,351.1,\n",
         "Ar 351.1; Ar 488; He-Ne 632.816; Nd:YAG 1064.1; He-Ne 3392.2",
         "He-Ne,gas,632.816,\nNd:YAG,solid,1064.1,\nAr,gas,351.1,\nAr,gas,488,\n"
         "He-Ne,gas,3392.2,\n",
         "3 media, 5 lines, 351.1 .. 3392.2 nm"},
        {"a later medium's line ties with an earlier medium's line", kHeader + later,
         "B 500 b; A 500 a; A 600", later, "2 media, 3 lines, 500 .. 600 nm"},
        {"each medium below the one before", kHeader + below, "C 1; B 2; A 3", below,
         "3 media, 3 lines, 1 .. 3 nm"},
    };
}

TEST_F(DbTool, TablesAreStoredByWavelengthAndRebuildByteForByteFromTheirDump) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const TableCase& c : tableCases()) {
        SCOPED_TRACE(c.name);
        clear();
        const std::string first = path("first.dat"), second = path("second.dat");
        const ToolRun build = run({"build", place("table.csv", c.csv), "--output=" + first});
        ASSERT_EQ(build.status, 0) << describe(build);
        EXPECT_EQ(build.err, "");
        EXPECT_EQ(fs::status(first).permissions(), fs::perms(0666 & ~mask)) << "not the umask's";
        const ToolRun dump = run({"dump", first});
        ASSERT_EQ(dump.status, 0) << describe(dump);
        EXPECT_EQ(dump.err, "");
        EXPECT_EQ(dump.out, c.dump.empty() ? dump.out : kHeader + c.dump);
        ASSERT_EQ(run({"build", place("dumped.csv", dump.out), "-o", second}).status, 0);
        EXPECT_EQ(readBytes(first), readBytes(second)) << "the rebuild from the dump differs";
        const ToolRun check = run({"check", first});
        EXPECT_EQ(check.status, 0) << describe(check);
        EXPECT_EQ(check.err, "") << "a file build wrote got a note";
        EXPECT_EQ(check.out, first + ": OK (" + c.check + ")\n");
        if (c.name == "the shipped catalogue") {
            const auto builtin = builtinCatalogue();
            EXPECT_EQ(Bytes(builtin.begin(), builtin.end()), readBytes(first))
                << "the compiled-in catalogue is not data/laser-lines.csv built";
        }

        TransitionDatabase db;
        ASSERT_EQ(loadTransitionDatabaseFile(first, db).status, LoadReport::Status::Loaded);
        EXPECT_EQ(db.phaseCount, 3);
        std::string stored;
        for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
            const Transition& line = db.transitions[std::size_t(k)];
            const std::string note = line.note();
            stored += (k > 1 ? "; " : "") + std::string(line.mediumName()) + " " +
                      dbtool::shortestNumberText(line.wavelength()) +
                      (note.empty() ? "" : " " + note);
        }
        EXPECT_EQ(stored, c.stored.empty() ? stored : c.stored);
    }
}

// Tables with faults, a row a line: build names every fault with its line and column (the first
// 50 of them), writes nothing and leaves an existing file as it was.
struct Row {
    std::string text;
    std::string errors;  // "COLUMN: message" lines, on this row's line
};

std::vector<std::vector<Row>> badTables() {
    std::vector<std::vector<Row>> tables = {
        {{"medium,phase,wavelength_nm,note", ""},
         {"A,gas,1,", ""},
         {"B,solid,2,", ""},
         {"A,liquid,3,", "2: medium \"A\" is gas on line 2 but liquid here"},
         // A misspelt first phase is one error, not an error on every later line as well.
         {"X,gass,1,", "2: phase \"gass\" is not one of solid, liquid, gas"},
         {"X,gas,2,", ""},
         {"X,solid,4,", "2: medium \"X\" is gas on line 6 but solid here"},
         {"", ""},
         {"ABCDEFGHIJKLMNOPQRSTU,Solid,abc,ok",
          "1: medium name \"ABCDEFGHIJKLMNOPQRSTU\" is 21 bytes long; at most 20 fit\n"
          "2: phase \"Solid\" is not one of solid, liquid, gas\n"
          "3: wavelength \"abc\" is not a finite positive number"},
         {"He\tNe,gas,1,",
          "1: medium name \"He\\x09Ne\" holds byte 0x09, which is not printable ASCII"},
         {"Rh\xC3\xB6,gas,1,",
          "1: medium name \"Rh\\xC3\\xB6\" holds byte 0xC3, which is not printable ASCII"},
         {",gas,1,", "1: medium name is empty"},
         {"C,plasma,1,", "2: phase \"plasma\" is not one of solid, liquid, gas"},
         {"A,gas,0,", "3: wavelength \"0\" is not a finite positive number"},
         {"A,gas,nan,", "3: wavelength \"nan\" is not a finite positive number"},
         {"A,gas,inf,", "3: wavelength \"inf\" is not a finite positive number"},
         {"A,gas,1e999,", "3: wavelength \"1e999\" is not a finite positive number"},
         {"A,gas, 632.8,", "3: wavelength \" 632.8\" is not a finite positive number"},
         {"A,gas,1," + std::string(120, 'n'), "4: note is 120 bytes long; at most 119 fit"},
         {"A,gas,1", "1: expected 4 fields (medium,phase,wavelength_nm,note) but found 3"},
         {"A,gas,1,a,b",
          "1: expected 4 fields (medium,phase,wavelength_nm,note) but found 5; a field holding a "
          "comma must be quoted"},
         {"A,gas,1,\"open", "4: quoted field has no closing quote"},
         {"A,gas,1,say \"hi\"",
          "4: double quote inside an unquoted field; quote the whole field and double the quote"},
         {"\"A\"x,gas,1,",
          "1: text after the closing quote; a field is either quoted as a whole or not at all"},
         {"A,gas,1,x\ry", "4: note holds byte 0x0D, which is not printable ASCII"}},
        {{"medium,phase,wavelength,note",
          "1: the first line must be the header medium,phase,wavelength_nm,note"},
         {"A,gas,1,", ""}},
        {{"medium,phase,wavelength_nm,note,status,source", ""},
         {"A,gas,1,,,",
          "5: the line has no status; give confirmed, calculated, range or unconfirmed"},
         {"A,gas,1,,Confirmed,R1",
          "5: status \"Confirmed\" is not one of confirmed, calculated, range, unconfirmed"},
         {"A,gas,1,,confirmed,",
          "6: a confirmed line needs its source; a line without one is unconfirmed"},
         {"A,gas,1,,range,", "6: a range line needs its source; a line without one is unconfirmed"},
         {"A,gas,1,,calculated,R\x7f", "6: source holds byte 0x7F, which is not printable ASCII"},
         {"A,gas,1,",
          "1: expected 6 fields (medium,phase,wavelength_nm,note,status,source) but found 4"}},
        {{"medium,phase,wavelength_nm,note", ""}},
        {{"medium,phase,wavelength_nm,note", ""}},
    };
    for (int i = 0; i < 60; ++i)
        tables[3].push_back(
            {"A,plasma,1,", "2: phase \"plasma\" is not one of solid, liquid, gas"});
    for (int i = 0; i <= kMaxRecords; ++i)
        tables[4].push_back({"M" + std::to_string(i) + ",gas," + std::to_string(i + 1) + ",", ""});
    tables[4].back().errors =
        "1: more than 65535 media; a catalogue holds at most 65535\n"
        "1: more than 65535 lines; a catalogue holds at most 65535";
    return tables;
}

TEST_F(DbTool, BuildNamesEveryFaultOfATableAndWritesNothing) {
    for (const std::vector<Row>& table : badTables()) {
        SCOPED_TRACE(table[1].text);
        clear();
        std::string text;
        for (const Row& row : table)
            text += row.text + "\n";
        const std::string csv = place("bad.csv", text), target = place("old.dat", "old");
        std::string expected;
        std::size_t total = 0;
        for (std::size_t line = 1; line <= table.size(); ++line) {
            std::istringstream errors(table[line - 1].errors);
            for (std::string error; std::getline(errors, error);)
                if (++total <= 50)
                    expected += csv + ":" + std::to_string(line) + ":" + error + "\n";
        }
        if (total > 50)
            expected += csv + ": ... and " + std::to_string(total - 50) + " more errors\n";
        expected += "quorvanta-db: " + target + " not written: " + std::to_string(total) +
                    (total == 1 ? " error in " : " errors in ") + csv + "\n";
        const ToolRun build = run({"build", csv, "-o", target});
        EXPECT_EQ(build.status, 1) << describe(build);
        EXPECT_EQ(build.err, expected);
        EXPECT_EQ(readText(target), "old") << "a failed build touched an existing file";
        EXPECT_EQ(files(), 2) << "a failed build left a file behind";
    }
}

// A catalogue with a flaw of every kind that check lists, and media of every phase.
Bytes flawedCatalogue() {
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
        .line("Ruby", kInf)
        .bytes();
}

// A command run on a catalogue file (none: the file is missing); %F stands for the file's path.
struct FileCase {
    const char* name;
    Bytes image;
    std::string args;
    int status;
    std::string out;
    std::string err;  // each of its lines is on standard error; empty: nothing is
};

std::vector<FileCase> fileCases() {
    const auto good = [](std::size_t trailingBytes) {
        auto image = CatalogueImage{}
                         .medium("He-Ne", "gas")
                         .medium("Ruby", "solid")
                         .line("He-Ne", 632.816)
                         .line("Ruby", 694.3)
                         .bytes();
        image.resize(image.size() + trailingBytes, 0xEE);
        return image;
    };
    auto cutAmongMedia = CatalogueImage{}.medium("He-Ne", "gas").medium("Ruby", "solid").bytes();
    cutAmongMedia.resize(cutAmongMedia.size() - 10);
    auto cutLine =
        CatalogueImage{}.medium("Ruby", "solid").line("Ruby", 694.3).line("Ruby", 3).bytes();
    cutLine.resize(cutLine.size() - 10);
    CatalogueImage manyUnmatched;
    manyUnmatched.medium("Ruby", "solid");
    std::string unmatched;
    for (int k = 1; k <= 25; ++k) {
        manyUnmatched.line("Nothing", 100.0 + k);
        if (k <= 20)
            unmatched += "%F: transition " + std::to_string(k) +
                         " (\"Nothing\"): medium name \"Nothing\" matches no medium\n";
    }
    // Reserved bytes that hold no note are not shown, and are no problem: a byte after the NUL, no
    // NUL at all, a control character, bytes outside ASCII.
    CatalogueImage foreign;
    foreign.medium("Ruby", "solid");
    for (int kind = 0; kind < 4; ++kind) {
        Transition line = makeTransition("Ruby", 694.3);
        std::fill_n(line.bytes.begin() + 32, kind == 1 ? 120 : 3, 'n');
        if (kind == 0) line.bytes[42] = 'x';
        if (kind == 2) line.bytes[32] = 0x07;
        for (std::size_t b = 20; kind == 3 && b < line.bytes.size(); ++b)
            if (b < 24 || b >= 32) line.bytes[b] = static_cast<std::uint8_t>(0x80 + b % 100);
        foreign.line(line);
    }
    // Lines with a hostile name and note, a line of no medium, a tie at 1064 nm, in no order.
    Transition red = makeTransition("He-Ne", 632.816);
    setNote(red, "red, \"the\" line");
    const Bytes queried = CatalogueImage{}
                              .medium("He-Ne", "gas")
                              .medium("Nd:YAG", "solid")
                              .medium("Dye \"R6G\", 1", "liquid")
                              .line("He-Ne", 1152.3)
                              .line("Nd:YAG", 1064)
                              .line("Dye \"R6G\", 1", 590)
                              .line(red)
                              .line("Ghost", 1064)
                              .bytes();
    const std::string redRow = "He-Ne,gas,632.816,\"red, \"\"the\"\" line\"\n";
    const std::string missing = "quorvanta-db: %F: no such file\n";

    return {
        {"info", flawedCatalogue(), "info %F", 0,
         "%F: 7 media, 9 lines (phase count in the header: 3)\n"
         "  solid: 2 media, 4 lines\n"
         "  liquid: 1 medium, 0 lines\n"
         "  gas: 3 media, 2 lines\n"
         "  other phases: 1 medium, 1 line\n"
         "  without a medium: 2 lines\n"
         "wavelength range: -1.5 .. 118834 nm\n"
         "lines outside 10..20000 nm: 5 (3 below, 2 above)\n"
         "lines whose wavelength is not a number: 1\n"
         "every line's medium exists: no, 2 lines name no medium\n",
         ""},
        {"check: every flaw, kind by kind", flawedCatalogue(), "check %F", 1,
         "%F: medium 6 has an empty name\n"
         "%F: medium 5 \"Ru\\x01y\": name holds bytes outside printable ASCII\n"
         "%F: medium 1 \"He-Ne\": phase field holds stray bytes after its NUL\n"
         "%F: medium 2 \"Ruby\": name field holds stray bytes after its NUL\n"
         "%F: transition 3 (\"Ruby\"): medium name field holds stray bytes after its NUL\n"
         "%F: medium 4 \"Odd\": unknown phase \"plasma\" (not solid, liquid or gas)\n"
         "%F: transition 6 (\"Odd\"): wavelength nan nm is not a finite positive number\n"
         "%F: transition 7 (\"Ruby\"): wavelength -1.5 nm is not a finite positive number\n"
         "%F: transition 8 (\"Ruby\"): wavelength 0 nm is not a finite positive number\n"
         "%F: transition 9 (\"Ruby\"): wavelength inf nm is not a finite positive number\n"
         "%F: transition 4 (\"Ni-like Sm\"): medium name \"Ni-like Sm\" matches no medium\n"
         "%F: transition 5 (\"CH3OH\"): medium name \"CH3OH\" matches no medium\n"
         "%F: medium 7 \"He-Ne\" has the same name as medium 1\n"
         "%F: 13 problems\n",
         "note: lines not in wavelength order (transition 3, 694.3 nm, follows 20000 nm)"},
        {"check: more than twenty of a kind", manyUnmatched.bytes(), "check %F", 1,
         unmatched + "%F: ... and 5 more lines whose medium matches none\n%F: 25 problems\n", ""},
        {"check: cut among the media", cutAmongMedia, "check %F", 1,
         "%F: header promises 2 media and 0 transitions (56 bytes after the header) but the file "
         "holds 52 bytes; loaded 1 medium and 0 transitions.\n%F: 1 problem\n",
         ""},
        {"check: trailing bytes", good(7), "check %F", 1,
         "%F: 7 bytes after the last record (from offset 366) are ignored\n%F: 1 problem\n", ""},
        {"check: one trailing byte", good(1), "check %F", 1,
         "%F: 1 byte after the last record (from offset 366) is ignored\n%F: 1 problem\n", ""},
        // An older file, its lines stored out of wavelength order: valid, with a note.
        {"check: lines out of order",
         CatalogueImage{}
             .medium("He-Ne", "gas")
             .medium("Ruby", "solid")
             .line("He-Ne", 632.816)
             .line("He-Ne", 1152.3)
             .line("Ruby", 694.3)
             .line("Ruby", 692.9)
             .bytes(),
         "check %F", 0, "%F: OK (2 media, 4 lines, 632.816 .. 1152.3 nm)\n",
         "quorvanta-db: %F: note: lines not in wavelength order (transition 3, 694.3 nm, follows "
         "1152.3 nm)\n"},
        {"dump: reserved bytes without a note", foreign.bytes(), "dump %F", 0,
         kHeader + "Ruby,solid,694.3,\nRuby,solid,694.3,\nRuby,solid,694.3,\nRuby,solid,694.3,\n",
         ""},
        {"dump: a line without medium, a medium without line",
         CatalogueImage{}
             .medium("Ruby", "solid")
             .medium("Unused", "gas")
             .line("Ruby", 694.3)
             .line("Ghost", 1.5)
             .bytes(),
         "dump %F", 1, kHeader + "Ruby,solid,694.3,\nGhost,,1.5,\n",
         "lines naming no medium: 1 (written with an empty phase)\n"
         "media without lines: 1 (left out)\n"},
        // A line is held back until its medium has appeared: a rebuild gives the file back.
        {"dump: media out of line order",
         CatalogueImage{}.medium("B", "gas").medium("A", "gas").line("A", 1).line("B", 2).bytes(),
         "dump %F", 0, kHeader + "B,gas,2,\nA,gas,1,\n", ""},
        // Files no table gives are dumped in stored order.
        {"dump: media out of order at one wavelength",
         CatalogueImage{}.medium("B", "gas").medium("A", "gas").line("A", 1).line("B", 1).bytes(),
         "dump %F", 1, kHeader + "A,gas,1,\nB,gas,1,\n", "a rebuild would differ"},
        {"dump: lines out of wavelength order",
         CatalogueImage{}.medium("A", "gas").line("A", 2).line("A", 1).bytes(), "dump %F", 1,
         kHeader + "A,gas,2,\nA,gas,1,\n", "a rebuild would differ"},
        {"dump: one name, two media",
         CatalogueImage{}.medium("X", "gas").medium("X", "solid").line("X", 1).bytes(), "dump %F",
         1, kHeader + "X,gas,1,\n", "a rebuild would differ: 2 media would become 1\n"},
        {"dump: cut short", cutLine, "dump %F", 1, kHeader + "Ruby,solid,694.3,\n",
         "but the file holds 328 bytes; loaded 1 medium and 1 transition.\n"},
        {"lines: all of them", queried, "lines %F", 0,
         kHeader + "\"Dye \"\"R6G\"\", 1\",liquid,590,\n" + redRow +
             "Nd:YAG,solid,1064,\nGhost,,1064,\nHe-Ne,gas,1152.3,\n",
         ""},
        {"lines: from a line's own wavelength", queried, "lines %F --from 1064", 0,
         kHeader + "Nd:YAG,solid,1064,\nGhost,,1064,\nHe-Ne,gas,1152.3,\n", ""},
        {"lines: to and phase", queried, "lines %F --to=632.816 --phase gas", 0, kHeader + redRow,
         ""},
        {"lines: medium in another case", queried, "lines %F --medium hE-n", 0,
         kHeader + redRow + "He-Ne,gas,1152.3,\n", ""},
        {"lines: none found", queried, "lines %F --from=600 --medium r6g", 1, kHeader, ""},
        {"dump: no file", {}, "dump %F", 1, "", missing},
        {"info: no file", {}, "info %F", 1, "", missing},
        {"check: no file", {}, "check %F", 1, "", missing},
        {"lines: no file", {}, "lines %F", 1, "", missing},
        {"build: no table", {}, "build %F -o %F.dat", 1, "", missing},
    };
}

TEST_F(DbTool, InspectsDumpsAndQueriesCatalogueFiles) {
    for (const FileCase& c : fileCases()) {
        SCOPED_TRACE(c.name);
        clear();
        const std::string file = c.image.empty() ? path("missing.dat") : place("c.dat", c.image);
        const ToolRun result = run(words(withPath(c.args, file)));
        EXPECT_EQ(result.status, c.status) << describe(result);
        EXPECT_EQ(result.out, withPath(c.out, file));
        EXPECT_EQ(result.err.empty(), c.err.empty()) << result.err;
        std::istringstream said(withPath(c.err, file));
        for (std::string line; std::getline(said, line);)
            EXPECT_NE(result.err.find(line), std::string::npos) << result.err;
        EXPECT_EQ(files(), c.image.empty() ? 0 : 1) << "the command left a file behind";
    }
}

// Command lines and the first line of what they say: help on standard output, exit 0; bad usage on
// standard error, exit 2, pointing to the help. %F is a catalogue.
const std::pair<const char*, const char*> kUsage[] = {
    {"", "quorvanta-db: no command given"},
    {"frobnicate", "quorvanta-db: no command named frobnicate"},
    {"build x.csv", "quorvanta-db build: expects -o FILE, the catalogue to write"},
    {"build a.csv b.csv -o x.dat", "quorvanta-db build: expects one CSV file"},
    {"build a.csv -o", "quorvanta-db build: -o needs a file name"},
    {"check --verbose x.dat", "quorvanta-db check: unknown option --verbose"},
    {"dump", "quorvanta-db dump: expects one catalogue file"},
    {"info a.dat b.dat", "quorvanta-db info: expects one catalogue file"},
    {"help frobnicate", "quorvanta-db: no command named frobnicate"},
    {"lines %F --from", "quorvanta-db lines: --from needs a value"},
    {"lines %F --from 1064nm", "quorvanta-db lines: --from \"1064nm\" is not a number"},
    {"lines %F --to=inf", "quorvanta-db lines: --to \"inf\" is not a number"},
    {"lines %F --from nan", "quorvanta-db lines: --from \"nan\" is not a number"},
    {"lines %F --phase plasma",
     "quorvanta-db lines: --phase \"plasma\" is not solid, liquid or gas"},
    {"lines %F --from 800 --to 500", "quorvanta-db lines: --from 800 is above --to 500"},
    {"lines %F --medium a --medium=b", "quorvanta-db lines: --medium is given twice"},
    {"lines %F --colour red", "quorvanta-db lines: unknown option --colour"},
    {"lines %F other.dat", "quorvanta-db lines: expects one catalogue file"},
    {"--help", "Usage: quorvanta-db COMMAND [ARGUMENTS]"},
    {"help", "Usage: quorvanta-db COMMAND [ARGUMENTS]"},
    {"help build", "Usage: quorvanta-db build CSV -o FILE"},
    {"build --help", "Usage: quorvanta-db build CSV -o FILE"},
    {"dump -h", "Usage: quorvanta-db dump FILE"},
    {"help info", "Usage: quorvanta-db info FILE"},
    {"check x.dat --help", "Usage: quorvanta-db check FILE"},
    {"lines %F --to 500 --help",
     "Usage: quorvanta-db lines FILE [--from NM] [--to NM] [--medium TEXT]"},
};

TEST_F(DbTool, BadUsageExitsTwoAndHelpExitsZero) {
    const std::string file =
        place("c.dat", CatalogueImage{}.medium("A", "gas").line("A", 1).bytes());
    for (const auto& [args, said] : kUsage) {
        const ToolRun result = run(words(withPath(args, file)));
        SCOPED_TRACE(std::string(args) + "\n" + describe(result));
        const bool help = std::string_view(said).starts_with("Usage: ");
        EXPECT_EQ(result.status, help ? 0 : 2);
        const std::string& text = help ? result.out : result.err;
        EXPECT_EQ(text.substr(0, text.find('\n')), said);
        EXPECT_EQ((help ? result.err : result.out), "");
        EXPECT_TRUE(help || result.err.find("\nTry 'quorvanta-db help") != std::string::npos);
        // Help is read in a terminal: no line wider than 80 columns.
        std::istringstream lines(result.out);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 80u) << line;
    }
}

// The shipped table: every line's status on record, corrections that stay made, and the built-in
// catalogue, built from it, with its lines in wavelength order and its media numbered as the table
// lists them (their colours follow the numbers).
TEST_F(DbTool, ShippedCatalogueKeepsItsProvenanceAndOrder) {
    const std::string text = readText(QUORVANTA_CATALOGUE_CSV);
    ASSERT_EQ(text.substr(0, kStatusHeader.size()), kStatusHeader);
    const dbtool::CatalogueTable table = dbtool::parseCatalogueCsv(text);
    for (const dbtool::CsvError& error : table.errors)
        ADD_FAILURE() << dbtool::formatCsvError("laser-lines.csv", error);

    std::map<std::string, std::size_t> perStatus;
    std::vector<std::string> tableMedia;
    std::set<std::pair<std::string, double>> lines;
    for (const dbtool::CatalogueRow& row : table.rows) {
        ++perStatus[row.status];
        lines.emplace(row.medium, row.wavelength);
        if (std::find(tableMedia.begin(), tableMedia.end(), row.medium) == tableMedia.end())
            tableMedia.push_back(row.medium);
    }
    // Not to slip back: at least 64 % of the lines confirmed or calculated.
    const std::size_t backed = perStatus["confirmed"] + perStatus["calculated"];
    EXPECT_GE(backed * 100, table.rows.size() * 64)
        << "confirmed or calculated: " << backed << " of " << table.rows.size();

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

    TransitionDatabase db;
    ASSERT_FALSE(loadTransitionDatabase(builtinCatalogue(), "builtin", db).damaged);
    std::vector<std::string> media;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        media.emplace_back(db.media[std::size_t(i)].name());
    EXPECT_EQ(media, tableMedia) << "the media's numbers, and so their colours, changed";
    for (std::int32_t k = 2; k <= db.transitionCount; ++k)
        EXPECT_LE(db.transitions[std::size_t(k - 1)].wavelength(),
                  db.transitions[std::size_t(k)].wavelength())
            << "builtin transition " << k;
}

}  // namespace
}  // namespace quorvanta
