// The lines of a catalogue that answer a question such as "what lases near 1064 nm?": a range of
// wavelengths, part of a medium's name, a phase.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue_csv.h"

namespace quorvanta::dbtool {

// Every condition that is set must hold; an empty query matches every line.
struct LineQuery {
    std::optional<double> from;         // nm, inclusive
    std::optional<double> to;           // nm, inclusive
    std::optional<std::string> medium;  // found anywhere in the medium name, ignoring ASCII case
    std::optional<std::string> phase;
};

bool matches(const LineQuery& query, const CatalogueRow& row);

// The matching rows sorted by wavelength; rows of equal wavelength keep their order, and rows
// whose wavelength is NaN come last.
std::vector<CatalogueRow> selectLines(std::span<const CatalogueRow> rows, const LineQuery& query);

}  // namespace quorvanta::dbtool
