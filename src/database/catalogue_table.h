// The catalogue as a table: one row per emission line under the header
//   medium,phase,wavelength_nm,note
// and the CSV text of such rows, the one form in which quorvanta-db dumps and looks up lines and
// the viewer exports the lines it shows.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "database/transition_database.h"

namespace quorvanta {

inline constexpr std::string_view kCsvHeader = "medium,phase,wavelength_nm,note";

// A note lives in the 120 reserved bytes of its transition record (kNoteOffset, kNoteFieldSize)
// and always keeps one NUL.
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

// The CSV text of rows without their status and source (what a catalogue file holds): the header,
// then one LF-terminated line per row. Fields are quoted only when they hold a comma or a double
// quote. Wavelengths are written in their shortest form that reads back to the same double.
std::string writeCatalogueCsv(std::span<const CatalogueRow> rows);

// The shortest decimal text that reads back to exactly value ("632.816", "1500", "1e+21").
std::string shortestNumberText(double value);

bool isPrintableAscii(std::string_view text);

// text with every byte that is not printable ASCII replaced by '?': a medium's name or phase as a
// file of unknown origin may hold them, made safe to show or to write as one CSV field.
std::string printableAscii(std::string_view text);

// The note kept in a transition's reserved bytes 32..151: printable ASCII followed only by NULs.
// Anything else there (another program's data, damage) is no note: nullopt.
std::optional<std::string_view> noteOf(const Transition& transition);

// Stores note (at most kMaxNoteLength bytes) NUL-padded in the reserved bytes.
void setNote(Transition& transition, std::string_view note);

// Sorts rows by wavelength; rows of equal wavelength keep their order, rows whose wavelength is
// NaN come last.
void sortByWavelength(std::vector<CatalogueRow>& rows);

}  // namespace quorvanta
