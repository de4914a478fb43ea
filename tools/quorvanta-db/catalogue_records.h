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

// The catalogue of checked rows: media numbered in the order of their first row, one transition
// per row in row order, no medium selected, the medium-name relation resolved.
TransitionDatabase catalogueFromRows(std::span<const CatalogueRow> rows);

// One row per transition, in order: its medium name, the phase of its first medium (empty when
// its name matches none), its wavelength and its note (empty when it holds none).
std::vector<CatalogueRow> rowsFromCatalogue(const TransitionDatabase& db);

// The first way in which rebuilt fails to give back the media and lines of original (names,
// phases, wavelengths, notes, order), as a phrase; nullopt when it gives them all back.
std::optional<std::string> firstDifference(const TransitionDatabase& original,
                                           const TransitionDatabase& rebuilt);

}  // namespace quorvanta::dbtool
