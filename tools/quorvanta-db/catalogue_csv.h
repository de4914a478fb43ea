// The catalogue's table form: one CSV line per emission line, under the header
//   medium,phase,wavelength_nm,note
// or, for a table that keeps every line's provenance, under
//   medium,phase,wavelength_nm,note,status,source
// Parsing is a pure function from text to rows or errors, so that it can be tested and fuzzed on
// its own; it checks everything a row must satisfy to become a database record.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvanta::dbtool {

inline constexpr std::string_view kCsvHeader = "medium,phase,wavelength_nm,note";
inline constexpr int kFieldCount = 4;
inline constexpr std::string_view kCsvHeaderWithStatus =
    "medium,phase,wavelength_nm,note,status,source";
inline constexpr int kFieldCountWithStatus = 6;

// How well a line's wavelength is backed, in a table with the status column: a reference gives
// the value; it is computed from published constants; it lies inside a range a reference gives;
// no reference found gives it. Only the table keeps it: a catalogue file has no room for it.
inline constexpr std::string_view kLineStatuses[] = {"confirmed", "calculated", "range",
                                                     "unconfirmed"};

// A note lives in the 120 reserved bytes of its transition record and always keeps one NUL.
inline constexpr int kNoteOffset = 32;
inline constexpr int kNoteFieldSize = 120;
inline constexpr std::size_t kMaxNoteLength = kNoteFieldSize - 1;

struct CatalogueRow {
    int line = 0;  // 1-based line of the CSV text
    std::string medium;
    std::string phase;
    double wavelength = 0.0;  // nm
    std::string note;
    std::string status;  // empty in a table without the status column
    std::string source;
};

// Where and what: column counts fields, 1 medium, 2 phase, 3 wavelength_nm, 4 note, 5 status,
// 6 source.
struct CsvError {
    int line = 0;
    int column = 0;
    std::string message;
};

struct CatalogueTable {
    std::vector<CatalogueRow> rows;  // usable only when errors is empty
    std::vector<CsvError> errors;    // in line order
};

// Parses a whole CSV text. LF and CRLF line ends are accepted, empty lines skipped, a UTF-8 byte
// order mark at the start ignored. A field may be quoted ("a,b", "say ""hi""") but may not span
// lines. Under the header with status, every row needs one of kLineStatuses, and a source unless
// it is unconfirmed.
CatalogueTable parseCatalogueCsv(std::string_view text);

// "csv:LINE:COLUMN: message"
std::string formatCsvError(std::string_view fileName, const CsvError& error);

// The CSV text of rows without their status and source (what a catalogue file holds): the short
// header, then one LF-terminated line per row. Fields are quoted only
// when they hold a comma or a double quote. Wavelengths are written in their shortest form that
// reads back to the same double.
std::string writeCatalogueCsv(std::span<const CatalogueRow> rows);

// The shortest decimal text that reads back to exactly value ("632.816", "1500", "1e+21").
std::string shortestNumberText(double value);

bool isPrintableAscii(std::string_view text);

// text between double quotes for a message, with bytes outside printable ASCII as \xNN.
std::string quotedForMessage(std::string_view text);

}  // namespace quorvanta::dbtool
