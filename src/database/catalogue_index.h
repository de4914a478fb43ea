// A prepared index of a loaded catalogue for finding things as the user types: the lines sorted by
// wavelength, and each medium's name in lower case with its line count and range. Built once; the
// catalogue never changes after loading (only the selection does, which the index does not hold).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/transition_database.h"

namespace quorvanta {

// ASCII letters in lower case; every other byte as it is.
std::string lowerCaseAscii(std::string_view text);

class CatalogueIndex {
  public:
    CatalogueIndex() = default;
    explicit CatalogueIndex(const TransitionDatabase& db);

    struct Line {
        double wavelength;
        std::int32_t transition;
    };
    struct MediumStats {
        std::int32_t lines = 0;  // lines of a displayable (finite, positive) wavelength
        double shortest = 0.0;   // their range; 0 when there are none
        double longest = 0.0;
    };
    struct RangeCount {
        std::int32_t lines = 0;
        std::int32_t media = 0;
    };
    struct NameMatches {
        std::vector<std::int32_t> media;  // the first `limit` matches, in the order shown
        std::int32_t total = 0;
    };

    // The transitions nearest to the wavelength, nearest first; equally near ones by wavelength,
    // then by transition number. At most limit of them.
    std::vector<std::int32_t> nearestLines(double wavelength, std::size_t limit) const;
    // Lines with low <= wavelength <= high, and the media those lines belong to.
    RangeCount countInRange(double low, double high) const;
    // Media whose name holds the fragment, ASCII letters matched in either case: those whose name
    // starts with it first, then the others, each group in catalogue order.
    NameMatches mediaMatching(std::string_view fragment, std::size_t limit) const;

    const MediumStats& stats(std::int32_t medium) const { return stats_[std::size_t(medium)]; }
    const std::vector<Line>& lines() const { return lines_; }
    bool empty() const { return stats_.empty(); }

  private:
    const TransitionDatabase* db_ = nullptr;
    std::vector<Line> lines_;                  // displayable lines by (wavelength, transition)
    std::vector<std::string> lowerNames_;      // by medium number, 0 unused
    std::vector<MediumStats> stats_;           // by medium number, 0 unused
    mutable std::vector<std::uint32_t> seen_;  // per medium: the range count that last saw it
    mutable std::uint32_t rangeCounts_ = 0;
};

}  // namespace quorvanta
