// Synthetic catalogues of any size, for the benchmark and the memory soak. They look like real
// ones: wavelengths log-uniform over the displayable 10..20000 nm rounded to five significant
// digits, lines in random stored order, each of a random medium. The seed is fixed, so a size
// always gives the same catalogue.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "database/transition_database.h"

namespace quorvanta::testing {

inline constexpr std::uint32_t kSyntheticSeed = 1321;

inline double roundToSignificantDigits(double value, int digits) {
    const double scale =
        std::pow(10.0, digits - 1 - static_cast<int>(std::floor(std::log10(value))));
    return std::round(value * scale) / scale;
}

// media media named "laser medium 1", ..., phases solid, liquid and gas in turn, and lines lines;
// nothing selected, the medium-name relation resolved.
inline TransitionDatabase syntheticCatalogue(std::int32_t media, std::int32_t lines) {
    static const char* const kPhases[] = {"solid", "liquid", "gas"};
    constexpr double kShortestWavelength = 10.0;  // nm, the displayable range
    constexpr double kLongestWavelength = 20000.0;
    constexpr int kSignificantDigits = 5;
    TransitionDatabase db;
    std::mt19937 random(kSyntheticSeed);
    db.media.assign(1, Medium{});
    for (std::int32_t m = 1; m <= media; ++m)
        db.media.push_back(makeMedium("laser medium " + std::to_string(m), kPhases[m % 3]));
    db.mediumSelected.assign(std::size_t(media) + 1, 0);
    db.mediumCount = media;
    std::uniform_int_distribution<std::int32_t> anyMedium(1, media);
    std::uniform_real_distribution<double> exponent(std::log10(kShortestWavelength),
                                                    std::log10(kLongestWavelength));
    db.transitions.assign(1, Transition{});
    for (std::int32_t k = 1; k <= lines; ++k) {
        const double wavelength =
            roundToSignificantDigits(std::pow(10.0, exponent(random)), kSignificantDigits);
        db.transitions.push_back(
            makeTransition(db.media[std::size_t(anyMedium(random))].name(), wavelength));
    }
    db.transitionCount = lines;
    db.resolveMediumNames();
    return db;
}

}  // namespace quorvanta::testing
