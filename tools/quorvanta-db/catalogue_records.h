// Between the catalogue's table rows and its database records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_csv.h"
#include "database/transition_database.h"

namespace quorvanta::dbtool {

// The header's phase count of every catalogue built here: solid, liquid and gas.
inline constexpr std::int32_t kCataloguePhaseCount = 3;

using quorvanta::noteOf;
using quorvanta::setNote;

// The catalogue of checked rows (finite wavelengths): media numbered in the order of their first
// row, one transition per row in ascending wavelength (rows of equal wavelength in row order), no
// medium selected, the medium-name relation resolved. The viewer staggers the labels of lines
// stored next to each other, so lines close in wavelength must be neighbours.
TransitionDatabase catalogueFromRows(std::span<const CatalogueRow> rows);

// The order in which a table must list db's transitions (1-based) so that catalogueFromRows gives
// db back: stored order, each line held back until the media numbered before its own have
// appeared and until the held lines of its wavelength stored before it have gone; after each line,
// the held lines that may go, in stored order. This is stored order itself when stored order
// already introduces the media by number. For a file catalogueFromRows wrote it never gets stuck
// (the table it came from is one such order, and the first held line in that table's order can
// always go); where it would (media without lines, say) it is plain stored order.
std::vector<std::int32_t> dumpOrder(const TransitionDatabase& db);

// One row per transition, in dumpOrder: its medium name, the phase of its first medium (empty
// when its name matches none), its wavelength and its note (empty when it holds none).
std::vector<CatalogueRow> rowsFromCatalogue(const TransitionDatabase& db);

// The first way in which rebuilt fails to give back the media and lines of original (names,
// phases, wavelengths, notes, order), as a phrase; nullopt when it gives them all back.
std::optional<std::string> firstDifference(const TransitionDatabase& original,
                                           const TransitionDatabase& rebuilt);

}  // namespace quorvanta::dbtool
