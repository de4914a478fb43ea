#include "commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue_csv.h"
#include "catalogue_inspection.h"
#include "catalogue_query.h"
#include "catalogue_records.h"
#include "database/transition_database.h"

namespace quorvanta::dbtool {

namespace {

constexpr std::string_view kProgram = "quorvanta-db";

// Errors of one build listed before the rest are summed up.
constexpr std::size_t kListedBuildErrors = 50;

constexpr std::string_view kToolHelp = R"help(Usage: quorvanta-db COMMAND [ARGUMENTS]

Builds, shows and checks Quorvanta's catalogue of laser emission lines, the
binary file wavelength.dat, from and to its table form, a CSV file.

Commands:
  build CSV -o FILE   build the catalogue FILE from the table CSV
  dump FILE           write the catalogue FILE as a CSV table on standard output
  info FILE           counts per phase, wavelength range, lines off 10..20000 nm
  check FILE          list everything wrong with the catalogue FILE
  lines FILE ...      lines in a wavelength range, of some media or of a phase
  help [COMMAND]      this text, or the description of COMMAND

'quorvanta-db COMMAND --help' describes COMMAND too.

Exit status: 0 success; 1 bad data, or a file that cannot be read or written;
2 bad usage.
)help";

constexpr std::string_view kBuildHelp = R"help(Usage: quorvanta-db build CSV -o FILE

Builds the catalogue FILE from the table CSV, whose first line is the header
  medium,phase,wavelength_nm,note
and whose every further line is one emission line:
  medium         name of the lasing medium: 1 to 20 printable ASCII characters,
                 kept exactly as written (case and blanks count)
  phase          solid, liquid or gas; all lines of a medium give the same phase
  wavelength_nm  wavelength in nm: a finite number above 0 (632.816, 1.0642e3)
  note           free text, at most 119 printable ASCII characters; may be empty

Media are numbered in the order of their first line in the table. Lines are
stored in ascending wavelength, lines of equal wavelength in the order of the
table: the viewer staggers the labels of lines stored next to each other. A
line's note is kept in its record's reserved bytes from offset 32, padded with
NUL bytes. A field holding a comma or a double quote is written in double
quotes, each quote inside doubled ("Er,Cr:YSGG"); a field cannot span lines.
Lines may end in LF or CRLF; empty lines are skipped. A catalogue holds at most
65535 media and 65535 lines.

A table may keep every line's provenance in two more columns, under the header
  medium,phase,wavelength_nm,note,status,source
  status         confirmed (a reference gives the value), calculated (computed
                 from published constants), range (inside a range a reference
                 gives) or unconfirmed; every line needs one
  source         the reference, e.g. a key into the table's list of sources;
                 required unless the line is unconfirmed
Neither is stored in FILE, which has no room for them.

Each error is reported as CSV:LINE:FIELD: what is wrong, FIELD counting from
1 (medium) to 4 (note), or to 6 (source) under the header with status. When
any line is wrong nothing is written and an existing FILE is left untouched:
FILE is replaced as a whole once the new catalogue is complete.

Options:
  -o, --output FILE  the catalogue to write (required)
  -h, --help         this text
)help";

constexpr std::string_view kDumpHelp = R"help(Usage: quorvanta-db dump FILE

Writes the catalogue FILE on standard output as a table in the form that build
reads (see 'quorvanta-db help build'), one row per line, each wavelength in the
shortest form that reads back to the same number. Lines come in stored order,
each medium's lines held back until the media numbered before it have appeared,
so that building the dump again gives the same file: for any FILE that build
wrote, building the output gives FILE back byte for byte.

A line's note is the text in its reserved bytes from offset 32 when these hold
printable ASCII followed only by NUL bytes; anything else there is not shown
(the note is empty) and is not counted as a problem.

Every line of FILE is written. When the table cannot give FILE's media and
lines back, dump still writes it, says why on standard error and exits with
status 1. That is the case for
  - lines whose medium name matches no medium: written with an empty phase,
    which build rejects until a phase is filled in;
  - media without lines, which a table of lines cannot hold;
  - several media with one name, which a rebuild merges into one;
  - lines out of ascending wavelength order, which a rebuild sorts;
  - media numbered in an order that the lines cannot give (lines of equal
    wavelength stored against the order of their media), which a rebuild
    renumbers;
  - names, phases or wavelengths that build does not accept.
A damaged (cut short) FILE is dumped as far as it goes, also with status 1.
)help";

constexpr std::string_view kInfoHelp = R"help(Usage: quorvanta-db info FILE

Describes the catalogue FILE: the number of media and lines per phase (a line
counts under the phase of its medium), the range of its finite wavelengths, the
lines outside the viewer's displayable range 10..20000 nm, and whether every
line's medium exists. Exits with status 1 when FILE cannot be read or is damaged
(the description then covers what could be loaded).
)help";

constexpr std::string_view kCheckHelp = R"help(Usage: quorvanta-db check FILE

Checks the catalogue FILE and prints one line per problem: a file shorter than
its header promises, bytes after the last record, texts with stray bytes after
their NUL or with characters outside printable ASCII, empty medium names,
phases other than solid, liquid and gas, wavelengths that are not finite and
positive, lines whose medium name matches no medium, and media sharing a name.
At most 20 problems of a kind are listed, then "... and N more".

Prints "FILE: OK (...)" and exits with status 0 when there is no problem,
and exits with status 1 otherwise. A name filling all 20 bytes of its field
without a NUL is valid; the OK line mentions it. Lines not stored in ascending
wavelength order are valid as well; a note on standard error names the first
line out of order (the viewer staggers the labels of lines stored next to
each other, so a catalogue in wavelength order keeps close labels apart).
)help";

constexpr std::string_view kLinesHelp =
    R"help(Usage: quorvanta-db lines FILE [--from NM] [--to NM] [--medium TEXT]
                              [--phase solid|liquid|gas]

Writes the lines of the catalogue FILE that meet every option given on
standard output, as a table in the form that dump writes, sorted by
wavelength; lines of equal wavelength keep their order in FILE. The header
line is always written.

Options:
  --from NM      only lines at NM nanometres or longer
  --to NM        only lines at NM nanometres or shorter
  --medium TEXT  only lines whose medium name holds TEXT, in upper or lower
                 case ("nd:" finds Nd:YAG and Nd:glass)
  --phase PHASE  only lines of a medium of PHASE: solid, liquid or gas
  -h, --help     this text
Each option may also be written as --from=NM and so on.

A line whose medium name matches no medium has no phase: it is listed, with an
empty phase, only without --phase. A wavelength that is not a number matches
neither --from nor --to; without them such lines come last.

For example, what lases near 1064 nm:
  quorvanta-db lines wavelength.dat --from 1054 --to 1074

Exit status: 0 when some line matches; 1 when none does, or when FILE cannot
be read; 2 bad usage.
)help";

struct Command {
    std::string_view name;
    std::string_view help;
};

constexpr std::array<Command, 5> kCommands = {{
    {"build", kBuildHelp},
    {"dump", kDumpHelp},
    {"info", kInfoHelp},
    {"check", kCheckHelp},
    {"lines", kLinesHelp},
}};

std::optional<std::string_view> helpOf(std::string_view command) {
    for (const Command& c : kCommands)
        if (c.name == command) return c.help;
    return std::nullopt;
}

bool isHelpOption(std::string_view word) {
    return word == "-h" || word == "--help";
}

int usageError(std::ostream& err, std::string_view command, std::string_view problem) {
    err << kProgram;
    if (!command.empty()) err << ' ' << command;
    err << ": " << problem << "\nTry '" << kProgram << " help";
    if (!command.empty()) err << ' ' << command;
    err << "'.\n";
    return kExitBadUsage;
}

std::string describeFileError(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return "no such file";
    if (std::filesystem::is_directory(status)) return "is a directory";
    return "cannot be read";
}

// The whole of a text file, or nullopt after telling err why not.
std::optional<std::string> readTextFile(const std::string& path, std::ostream& err) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.is_open() && !in.bad()) return text;
    }
    err << kProgram << ": " << path << ": " << describeFileError(path) << "\n";
    return std::nullopt;
}

struct LoadedCatalogue {
    TransitionDatabase db;
    LoadReport report;
    std::uintmax_t fileSize = 0;
};

// Loads a catalogue file as the viewer does, or nullopt after telling err why it cannot be read.
std::optional<LoadedCatalogue> loadCatalogue(const std::string& path, std::ostream& err) {
    std::optional<LoadedCatalogue> loaded(std::in_place);
    loaded->db.minWavelength = kHighestShown;
    loaded->db.maxWavelength = kLowestShown;
    loaded->report = loadTransitionDatabaseFile(path, loaded->db);
    std::error_code error;
    loaded->fileSize = std::filesystem::file_size(path, error);
    const auto status = loaded->report.status;
    if (status == LoadReport::Status::Missing || status == LoadReport::Status::Unreadable ||
        error) {
        err << kProgram << ": " << path << ": " << describeFileError(path) << "\n";
        return std::nullopt;
    }
    return loaded;
}

// Writes bytes to path as a whole or not at all: into a new file beside it, renamed over path
// only once everything is on disk. Returns an error text, empty on success.
std::string writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::string scratch = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) return "cannot create a file in " + folder.string() + ": " + std::strerror(errno);

    // mkstemp makes the file private; give it the mode a plain new file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += std::size_t(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(scratch.c_str(), path.c_str()) == 0) return {};
    const std::string reason = std::strerror(ok ? errno : writeErrno);
    ::unlink(scratch.c_str());
    return "cannot write: " + reason;
}

// Splits the words after a command into positional arguments and an optional -o value.
struct CommandWords {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    bool help = false;
    std::string problem;  // non-empty: a usage error
};

CommandWords splitWords(std::span<const std::string_view> words, bool takesOutput) {
    CommandWords result;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (isHelpOption(word)) {
            result.help = true;
        } else if (takesOutput && (word == "-o" || word == "--output")) {
            if (i + 1 >= words.size()) {
                result.problem = std::string(word) + " needs a file name";
            } else if (result.output) {
                result.problem = "the output is given twice";
            } else {
                result.output = std::string(words[++i]);
            }
        } else if (takesOutput && word.starts_with("--output=")) {
            if (result.output) result.problem = "the output is given twice";
            result.output = std::string(word.substr(9));
        } else if (word.size() > 1 && word.starts_with('-')) {
            result.problem = "unknown option " + std::string(word);
        } else {
            result.positional.emplace_back(word);
        }
        if (!result.problem.empty()) break;
    }
    return result;
}

int runBuild(const CommandWords& words, std::ostream& err) {
    if (words.positional.size() != 1) return usageError(err, "build", "expects one CSV file");
    if (!words.output || words.output->empty())
        return usageError(err, "build", "expects -o FILE, the catalogue to write");
    const std::string& csvPath = words.positional.front();

    const auto text = readTextFile(csvPath, err);
    if (!text) return kExitBadData;
    const CatalogueTable table = parseCatalogueCsv(*text);
    if (!table.errors.empty()) {
        const std::size_t listed = std::min(table.errors.size(), kListedBuildErrors);
        for (std::size_t e = 0; e < listed; ++e)
            err << formatCsvError(csvPath, table.errors[e]) << "\n";
        if (table.errors.size() > listed)
            err << csvPath << ": ... and " << table.errors.size() - listed << " more errors\n";
        err << kProgram << ": " << *words.output << " not written: " << table.errors.size()
            << (table.errors.size() == 1 ? " error" : " errors") << " in " << csvPath << "\n";
        return kExitBadData;
    }

    const TransitionDatabase db = catalogueFromRows(table.rows);
    const std::string failure = writeFileAtomically(*words.output, serializeTransitionDatabase(db));
    if (!failure.empty()) {
        err << kProgram << ": " << *words.output << ": " << failure << "\n";
        return kExitBadData;
    }
    return kExitSuccess;
}

// Why a table of db's lines would not give db back, one phrase each.
std::vector<std::string> dumpShortcomings(const TransitionDatabase& db, std::string_view csvText) {
    std::vector<std::string> out;
    std::size_t unmatched = 0;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k)
        unmatched += db.mediaOf(k).empty();
    if (unmatched > 0)
        out.push_back("lines naming no medium: " + std::to_string(unmatched) +
                      " (written with an empty phase)");

    std::vector<bool> hasLines(db.media.size(), false);
    for (std::int32_t k = 1; k <= db.transitionCount; ++k)
        for (std::int32_t i : db.mediaOf(k))
            hasLines[std::size_t(i)] = true;
    const auto withoutLines = std::count(hasLines.begin() + 1, hasLines.end(), false);
    if (withoutLines > 0)
        out.push_back("media without lines: " + std::to_string(withoutLines) + " (left out)");

    const CatalogueTable reread = parseCatalogueCsv(csvText);
    const std::size_t listed = std::min(reread.errors.size(), kListedPerKind);
    for (std::size_t e = 0; e < listed; ++e)
        out.push_back("build would reject " + formatCsvError("the output", reread.errors[e]));
    if (reread.errors.size() > listed)
        out.push_back("... and " + std::to_string(reread.errors.size() - listed) +
                      " more rows that build would reject");
    if (reread.errors.empty()) {
        if (const auto difference = firstDifference(db, catalogueFromRows(reread.rows)))
            out.push_back("a rebuild would differ: " + *difference);
    }
    return out;
}

int runDump(const CommandWords& words, std::ostream& out, std::ostream& err) {
    if (words.positional.size() != 1) return usageError(err, "dump", "expects one catalogue file");
    const std::string& path = words.positional.front();
    const auto loaded = loadCatalogue(path, err);
    if (!loaded) return kExitBadData;
    if (loaded->report.status == LoadReport::Status::TooShortForHeader) {
        err << kProgram << ": " << loaded->report.message << "\n";
        return kExitBadData;
    }

    const std::string csv = writeCatalogueCsv(rowsFromCatalogue(loaded->db));
    out << csv;
    out.flush();

    int status = kExitSuccess;
    if (loaded->report.damaged) {
        err << kProgram << ": warning: " << loaded->report.message << "\n";
        status = kExitBadData;
    }
    for (const std::string& shortcoming : dumpShortcomings(loaded->db, csv)) {
        err << kProgram << ": warning: " << path << ": " << shortcoming << "\n";
        status = kExitBadData;
    }
    return status;
}

int runInfo(const CommandWords& words, std::ostream& out, std::ostream& err) {
    if (words.positional.size() != 1) return usageError(err, "info", "expects one catalogue file");
    const std::string& path = words.positional.front();
    const auto loaded = loadCatalogue(path, err);
    if (!loaded) return kExitBadData;
    if (loaded->report.damaged) err << kProgram << ": warning: " << loaded->report.message << "\n";
    for (const std::string& line : describeCatalogue(path, loaded->db))
        out << line << "\n";
    return loaded->report.damaged ? kExitBadData : kExitSuccess;
}

int runCheck(const CommandWords& words, std::ostream& out, std::ostream& err) {
    if (words.positional.size() != 1) return usageError(err, "check", "expects one catalogue file");
    const std::string& path = words.positional.front();
    const auto loaded = loadCatalogue(path, err);
    if (!loaded) return kExitBadData;
    const CheckResult result = checkCatalogue(path, loaded->fileSize, loaded->db, loaded->report);
    for (const std::string& line : result.lines)
        out << line << "\n";
    for (const std::string& note : result.notes)
        err << kProgram << ": " << note << "\n";
    return result.problemCount == 0 ? kExitSuccess : kExitBadData;
}

// The words after `lines`: the catalogue file and the query, or a usage problem.
struct LinesWords {
    std::vector<std::string> positional;
    LineQuery query;
    bool help = false;
    std::string problem;  // non-empty: a usage error
};

// A wavelength option's value: a finite number in any form from_chars reads, and nothing else.
std::optional<double> parseWavelength(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Applies one option to the query; a usage problem, empty when the value is good.
std::string applyLinesOption(std::string_view name, std::string_view value, LineQuery& query) {
    const std::string twice = std::string(name) + " is given twice";
    if (name == "--from" || name == "--to") {
        std::optional<double>& bound = name == "--from" ? query.from : query.to;
        if (bound) return twice;
        bound = parseWavelength(value);
        if (!bound) return std::string(name) + " " + quotedForMessage(value) + " is not a number";
    } else if (name == "--medium") {
        if (query.medium) return twice;
        query.medium = value;
    } else {
        if (query.phase) return twice;
        if (value != "solid" && value != "liquid" && value != "gas")
            return "--phase " + quotedForMessage(value) + " is not solid, liquid or gas";
        query.phase = std::string(value);
    }
    return {};
}

LinesWords splitLinesWords(std::span<const std::string_view> words) {
    constexpr std::array<std::string_view, 4> kOptions = {"--from", "--to", "--medium", "--phase"};
    LinesWords result;
    for (std::size_t i = 0; i < words.size() && result.problem.empty(); ++i) {
        const std::string_view word = words[i];
        const std::size_t equals = word.starts_with("--") ? word.find('=') : std::string_view::npos;
        const std::string_view name = word.substr(0, equals);
        if (isHelpOption(word)) {
            result.help = true;
        } else if (std::find(kOptions.begin(), kOptions.end(), name) != kOptions.end()) {
            if (equals != std::string_view::npos) {
                result.problem = applyLinesOption(name, word.substr(equals + 1), result.query);
            } else if (i + 1 < words.size()) {
                result.problem = applyLinesOption(name, words[++i], result.query);
            } else {
                result.problem = std::string(name) + " needs a value";
            }
        } else if (word.size() > 1 && word.starts_with('-')) {
            result.problem = "unknown option " + std::string(word);
        } else {
            result.positional.emplace_back(word);
        }
    }
    return result;
}

int runLines(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    const LinesWords words = splitLinesWords(args);
    if (words.help) {
        out << kLinesHelp;
        return kExitSuccess;
    }
    if (!words.problem.empty()) return usageError(err, "lines", words.problem);
    if (words.positional.size() != 1) return usageError(err, "lines", "expects one catalogue file");
    const LineQuery& query = words.query;
    if (query.from && query.to && *query.from > *query.to) {
        return usageError(err, "lines",
                          "--from " + shortestNumberText(*query.from) + " is above --to " +
                              shortestNumberText(*query.to));
    }

    const std::string& path = words.positional.front();
    const auto loaded = loadCatalogue(path, err);
    if (!loaded) return kExitBadData;
    if (loaded->report.status == LoadReport::Status::TooShortForHeader) {
        err << kProgram << ": " << loaded->report.message << "\n";
        return kExitBadData;
    }
    // A damaged file is searched as far as it goes, as the viewer shows it.
    if (loaded->report.damaged) err << kProgram << ": warning: " << loaded->report.message << "\n";

    const std::vector<CatalogueRow> lines = selectLines(rowsFromCatalogue(loaded->db), query);
    out << writeCatalogueCsv(lines);
    return lines.empty() ? kExitBadData : kExitSuccess;
}

int runHelp(std::span<const std::string_view> words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        out << kToolHelp;
        return kExitSuccess;
    }
    if (words.size() > 1) return usageError(err, "", "help takes at most one command");
    if (const auto help = helpOf(words.front())) {
        out << *help;
        return kExitSuccess;
    }
    return usageError(err, "", "no command named " + std::string(words.front()));
}

}  // namespace

int runCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "", "no command given");
    const std::string_view command = args.front();
    const auto rest = args.subspan(1);
    if (command == "help") return runHelp(rest, out, err);
    if (isHelpOption(command)) return runHelp({}, out, err);

    const auto help = helpOf(command);
    if (!help) return usageError(err, "", "no command named " + std::string(command));
    if (command == "lines") return runLines(rest, out, err);
    const CommandWords words = splitWords(rest, command == "build");
    if (words.help) {
        out << *help;
        return kExitSuccess;
    }
    if (!words.problem.empty()) return usageError(err, command, words.problem);
    if (command == "build") return runBuild(words, err);
    if (command == "dump") return runDump(words, out, err);
    if (command == "info") return runInfo(words, out, err);
    return runCheck(words, out, err);
}

}  // namespace quorvanta::dbtool
