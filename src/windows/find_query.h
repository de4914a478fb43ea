// What the Find window's text means, and what it finds: a wavelength, a range of wavelengths or a
// fragment of a medium's name. Pure functions of the text and the catalogue, so that they can be
// tested and timed without windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/catalogue_index.h"
#include "database/transition_database.h"

namespace quorvanta {

struct FindQuery {
    enum class Kind { Empty, Bad, Wavelength, Range, Name };
    Kind kind = Kind::Empty;
    double low = 0.0;   // nm: the wavelength, or the range's shorter end
    double high = 0.0;  // nm: the range's longer end
    std::string fragment;
};

// Tried in this order: a wavelength, a number with an optional unit ("1064", "1064 nm",
// "1.064 um", "1.064µm", "0.532e3"; no unit means nm); a range, two such numbers with "-", an en
// dash, ".." or "to" between them ("500-600", "3 to 5 µm"; a unit given once applies to both ends);
// otherwise a fragment of a medium's name. Text that begins like a number ('0'-'9', '.', '+',
// '-') and is neither a positive finite wavelength nor a range of them is Bad. Spaces around the
// text do not count. The micro sign may be the single byte 0xE6 or 0xB5, or UTF-8 µ or μ.
FindQuery parseFindText(std::string_view text);

// What a row of the results does when chosen.
struct FindAction {
    enum class Kind { CentreOnLine, ShowRange, ToggleMedium };
    Kind kind = Kind::CentreOnLine;
    std::int32_t item = 0;  // the transition or the medium
    double low = 0.0, high = 0.0;
};

inline constexpr std::size_t kFindRows = 20;
// Byte 0x85, which the result list shows as an ellipsis.
inline constexpr char kEllipsis = '\x85';

struct FindResults {
    std::string status;               // the line under the field: what was found, or a hint
    std::vector<std::string> rows;    // at most kFindRows, then perhaps "… N more"
    std::vector<FindAction> actions;  // one for each of the first rows; the rest do nothing
};

FindResults findResults(const FindQuery& query, const TransitionDatabase& db,
                        const CatalogueIndex& index);

// A wavelength in nm in its shortest exact decimal form ("1064.1", "10600").
std::string nanometreText(double wavelength);

}  // namespace quorvanta
