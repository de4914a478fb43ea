// quorvanta-db lines: the built binary on random catalogues with hostile names and notes, against
// a brute-force filter; and its usage errors and help.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_records.h"
#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "tool_runner.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using testing::runTool;
using testing::TempDir;
using testing::ToolRun;
using testing::writeFile;

std::string describe(const ToolRun& run) {
    return "exit " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

// One line of a generated catalogue as the test knows it, independently of the tool.
struct ModelLine {
    std::string medium;
    std::string phase;  // empty when the name matches no medium of the file
    double wavelength = 0.0;
};

// Text built from characters that CSV, shells and case folding trip over.
std::string hostileText(std::mt19937& random, std::size_t maxLength) {
    static const std::string kAlphabet = "aBcDeFxyzXYZ:-+ ,\",\"'()/;=0123456789";
    const std::size_t length = std::uniform_int_distribution<std::size_t>(1, maxLength)(random);
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text +=
            kAlphabet[std::uniform_int_distribution<std::size_t>(0, kAlphabet.size() - 1)(random)];
    return text;
}

// A catalogue file of random media and lines: wavelengths from a few values so that ties occur,
// some lines naming no medium. Returns its lines in file order. The media are stored in the order
// of their first lines, so that dump writes the lines in file order.
std::vector<ModelLine> writeRandomCatalogue(std::mt19937& random, const std::string& path) {
    static const char* const kPhases[] = {"solid", "liquid", "gas"};
    const int media = std::uniform_int_distribution<int>(1, 12)(random);
    CatalogueImage catalogue;
    std::map<std::string, std::string> phaseOf;
    std::vector<std::string> names;
    while (int(names.size()) < media) {
        const std::string name = hostileText(random, 20);
        if (phaseOf.count(name)) continue;
        phaseOf[name] = kPhases[std::uniform_int_distribution<int>(0, 2)(random)];
        names.push_back(name);
    }
    static const double kWavelengths[] = {193.3, 488, 488.0001, 632.816, 1064, 1064.1, 10591};
    std::vector<ModelLine> lines(std::uniform_int_distribution<std::size_t>(0, 40)(random));
    for (ModelLine& line : lines) {
        const bool orphan = std::uniform_int_distribution<int>(0, 9)(random) == 0;
        line.medium =
            orphan ? "no such medium"
                   : names[std::uniform_int_distribution<std::size_t>(0, names.size() - 1)(random)];
        line.phase = orphan ? "" : phaseOf[line.medium];
        line.wavelength = kWavelengths[std::uniform_int_distribution<int>(0, 6)(random)];
        Transition record = makeTransition(line.medium, line.wavelength);
        dbtool::setNote(record, hostileText(random, 119));
        catalogue.line(record);
    }
    std::vector<std::string> mediaOrder;
    for (const ModelLine& line : lines)
        if (!line.phase.empty() &&
            std::find(mediaOrder.begin(), mediaOrder.end(), line.medium) == mediaOrder.end())
            mediaOrder.push_back(line.medium);
    for (const std::string& name : names)
        if (std::find(mediaOrder.begin(), mediaOrder.end(), name) == mediaOrder.end())
            mediaOrder.push_back(name);
    for (const std::string& name : mediaOrder)
        catalogue.medium(name, phaseOf[name]);
    writeFile(path, catalogue.bytes());
    return lines;
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct Query {
    std::optional<double> from, to;
    std::optional<std::string> medium, phase;
};

// Indices of the matching lines, by checking every line, in wavelength order (ties in file order).
std::vector<std::size_t> bruteForce(const std::vector<ModelLine>& lines, const Query& q) {
    std::vector<std::size_t> picked;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ModelLine& line = lines[i];
        if (q.from && line.wavelength < *q.from) continue;
        if (q.to && line.wavelength > *q.to) continue;
        if (q.phase && line.phase != *q.phase) continue;
        if (q.medium && lowered(line.medium).find(lowered(*q.medium)) == std::string::npos)
            continue;
        picked.push_back(i);
    }
    std::stable_sort(picked.begin(), picked.end(), [&](std::size_t a, std::size_t b) {
        return lines[a].wavelength < lines[b].wavelength;
    });
    return picked;
}

// Random conditions, each present or not; media by a piece of a name in flipped case.
Query randomQuery(std::mt19937& random, const std::vector<ModelLine>& lines) {
    static const double kBounds[] = {0, 193.3, 488, 500, 1064, 1064.1, 20000};
    static const char* const kPhases[] = {"solid", "liquid", "gas"};
    auto coin = [&random] { return std::uniform_int_distribution<int>(0, 1)(random) == 1; };
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    Query q;
    if (coin()) q.from = kBounds[pick(4)];
    if (coin()) q.to = kBounds[3 + pick(4)];
    if (coin()) q.phase = kPhases[pick(3)];
    if (coin() && !lines.empty()) {
        std::string name = lines[pick(lines.size())].medium;
        const std::size_t start = pick(name.size());
        name = name.substr(start, 1 + pick(name.size() - start));
        for (char& c : name)
            if (coin()) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        q.medium = name;
    }
    return q;
}

std::vector<std::string> argumentsOf(const Query& q, const std::string& path, bool joined) {
    std::vector<std::string> args = {"lines", path};
    auto add = [&](const std::string& name, const std::string& value) {
        if (joined) {
            args.push_back(name + "=" + value);
        } else {
            args.push_back(name);
            args.push_back(value);
        }
    };
    std::ostringstream number;
    number.precision(17);
    if (q.from) add("--from", (number.str(""), number << *q.from, number.str()));
    if (q.to) add("--to", (number.str(""), number << *q.to, number.str()));
    if (q.medium) add("--medium", *q.medium);
    if (q.phase) add("--phase", *q.phase);
    return args;
}

TEST(DbToolLines, MatchesABruteForceFilterOnRandomCataloguesWithHostileNames) {
    TempDir dir;
    std::mt19937 random(15);
    int withMatches = 0, without = 0;
    for (int catalogue = 0; catalogue < 10; ++catalogue) {
        const std::string path = (dir / "random.dat").string();
        const std::vector<ModelLine> lines = writeRandomCatalogue(random, path);
        // dump writes line k of the file as row k + 1; lines must quote its rows the same way.
        const ToolRun dump = runTool(dir, {"dump", path});
        std::vector<std::string> dumped;
        std::istringstream rows(dump.out);
        for (std::string row; std::getline(rows, row);)
            dumped.push_back(row + "\n");
        ASSERT_EQ(dumped.size(), lines.size() + 1) << describe(dump);

        for (int q = 0; q < 10; ++q) {
            const Query query = randomQuery(random, lines);
            const std::vector<std::string> args = argumentsOf(query, path, q % 2 == 1);
            std::string expected = dumped.front();
            const std::vector<std::size_t> picked = bruteForce(lines, query);
            for (std::size_t i : picked)
                expected += dumped[i + 1];
            const ToolRun run = runTool(dir, args);
            SCOPED_TRACE("catalogue " + std::to_string(catalogue) + ", " +
                         ::testing::PrintToString(args));
            EXPECT_EQ(run.out, expected);
            EXPECT_EQ(run.status, picked.empty() ? 1 : 0) << describe(run);
            EXPECT_EQ(run.err, "");
            ++(picked.empty() ? without : withMatches);
        }
    }
    EXPECT_GT(withMatches, 20) << "too few queries found lines to test the filter";
    EXPECT_GT(without, 5) << "too few queries found none to test the exit status";
}

struct LinesUsageCase {
    const char* name;
    std::vector<std::string> options;  // after "lines FILE"
    std::string error;                 // the first line on standard error; empty: help, exit 0
};

const LinesUsageCase kLinesUsage[] = {
    {"no value", {"--from"}, "quorvanta-db lines: --from needs a value"},
    {"not a number", {"--from", "1064nm"}, "quorvanta-db lines: --from \"1064nm\" is not a number"},
    {"infinity", {"--to=inf"}, "quorvanta-db lines: --to \"inf\" is not a number"},
    {"NaN", {"--from", "nan"}, "quorvanta-db lines: --from \"nan\" is not a number"},
    {"unknown phase",
     {"--phase", "plasma"},
     "quorvanta-db lines: --phase \"plasma\" is not solid, liquid or gas"},
    {"empty range",
     {"--from", "800", "--to", "500"},
     "quorvanta-db lines: --from 800 is above --to 500"},
    {"twice", {"--medium", "a", "--medium=b"}, "quorvanta-db lines: --medium is given twice"},
    {"unknown option", {"--colour", "red"}, "quorvanta-db lines: unknown option --colour"},
    {"two files", {"other.dat"}, "quorvanta-db lines: expects one catalogue file"},
    {"help", {"--to", "500", "--help"}, ""},
};

TEST(DbToolLines, BadUsageExitsTwoWithTheReasonAndHelpExitsZero) {
    TempDir dir;
    const std::string path = (dir / "c.dat").string();
    writeFile(path, CatalogueImage().medium("He-Ne", "gas").line("He-Ne", 632.816).bytes());
    for (const LinesUsageCase& c : kLinesUsage) {
        std::vector<std::string> args = {"lines", path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = runTool(dir, args);
        SCOPED_TRACE(std::string(c.name) + "\n" + describe(run));
        if (c.error.empty()) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
                      "Usage: quorvanta-db lines FILE [--from NM] [--to NM] [--medium TEXT]");
            std::istringstream lines(run.out);
            for (std::string line; std::getline(lines, line);)
                EXPECT_LE(line.size(), 80u) << line;
        } else {
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, c.error + "\nTry 'quorvanta-db help lines'.\n");
        }
    }
    const ToolRun missing = runTool(dir, {"lines", (dir / "missing.dat").string()});
    EXPECT_EQ(missing.status, 1) << describe(missing);
    EXPECT_EQ(missing.err, "quorvanta-db: " + (dir / "missing.dat").string() + ": no such file\n");
}

}  // namespace
}  // namespace quorvanta
