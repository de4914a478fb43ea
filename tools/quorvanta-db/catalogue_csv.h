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

#include "database/catalogue_table.h"

namespace quorvanta::dbtool {

// The table's rows, its CSV writing and the note field are shared with the viewer's export.
using quorvanta::CatalogueRow;
using quorvanta::isPrintableAscii;
using quorvanta::kCsvHeader;
using quorvanta::kMaxNoteLength;
using quorvanta::kNoteFieldSize;
using quorvanta::kNoteOffset;
using quorvanta::shortestNumberText;
using quorvanta::writeCatalogueCsv;

inline constexpr int kFieldCount = 4;
inline constexpr std::string_view kCsvHeaderWithStatus =
    "medium,phase,wavelength_nm,note,status,source";
inline constexpr int kFieldCountWithStatus = 6;

// How well a line's wavelength is backed, in a table with the status column: a reference gives
// the value; it is computed from published constants; it lies inside a range a reference gives;
// no reference found gives it. Only the table keeps it: a catalogue file has no room for it.
inline constexpr std::string_view kLineStatuses[] = {"confirmed", "calculated", "range",
                                                     "unconfirmed"};

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

// text between double quotes for a message, with bytes outside printable ASCII as \xNN.
std::string quotedForMessage(std::string_view text);

}  // namespace quorvanta::dbtool
