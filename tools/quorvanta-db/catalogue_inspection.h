// What `info` and `check` say about a catalogue file, as text lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/transition_database.h"

namespace quorvanta::dbtool {

// Lines of one kind of problem listed before the rest are summed up in "... and N more".
inline constexpr std::size_t kListedPerKind = 20;

// The displayable range of the viewer, nm.
inline constexpr double kLowestShown = 10.0;
inline constexpr double kHighestShown = 20000.0;

// Counts per phase, the wavelength range, the lines outside the displayable range and whether
// every line's medium exists.
std::vector<std::string> describeCatalogue(std::string_view fileName, const TransitionDatabase& db);

struct CheckResult {
    std::vector<std::string> lines;  // one per problem (capped per kind), or the OK line
    std::size_t problemCount = 0;
    std::vector<std::string> notes;  // worth knowing, but no problem: the file stays valid
};

// Everything wrong with a catalogue file of fileSize bytes: its length against its header, bytes
// after the last record, texts with stray bytes after their NUL or characters outside printable
// ASCII, empty names, unknown phases, wavelengths that are not finite and positive, lines whose
// medium matches none, and media sharing a name. db and report are what loading the file gave.
// A name that fills its field without a NUL is valid and only mentioned in the OK line. Lines not
// in ascending wavelength order are valid too (older files store them so) and only noted.
CheckResult checkCatalogue(std::string_view fileName, std::uintmax_t fileSize,
                           const TransitionDatabase& db, const LoadReport& report);

}  // namespace quorvanta::dbtool
