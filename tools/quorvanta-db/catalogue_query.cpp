#include "catalogue_query.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace quorvanta::dbtool {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    const auto equal = [](char a, char b) { return lowerAscii(a) == lowerAscii(b); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), equal) != text.end();
}

}  // namespace

bool matches(const LineQuery& query, const CatalogueRow& row) {
    // Written so that a NaN wavelength fails either bound.
    if (query.from && !(row.wavelength >= *query.from)) return false;
    if (query.to && !(row.wavelength <= *query.to)) return false;
    if (query.phase && row.phase != *query.phase) return false;
    return !query.medium || containsIgnoringCase(row.medium, *query.medium);
}

std::vector<CatalogueRow> selectLines(std::span<const CatalogueRow> rows, const LineQuery& query) {
    std::vector<CatalogueRow> selected;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(selected),
                 [&query](const CatalogueRow& row) { return matches(query, row); });
    sortByWavelength(selected);
    return selected;
}

}  // namespace quorvanta::dbtool
