#include "windows/export_content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace quorvanta {

namespace {

// The most decimals a name's numbers get, whatever the width.
constexpr int kMostDecimals = 3;
// A name's numbers are rounded to this part of the width.
constexpr double kPartsOfWidth = 100.0;

std::string rounded(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out.find('.') != std::string::npos) {
        out.erase(out.find_last_not_of('0') + 1);
        if (out.back() == '.') out.pop_back();
    }
    return out == "-0" ? "0" : out;
}

}  // namespace

std::vector<CatalogueRow> linesInView(const TransitionDatabase& db, const SpectrumView& view) {
    const double low = view.leftEnd();
    const double high = view.rightEnd();
    const auto transitions = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(db.transitionCount, 0, std::int64_t(db.transitions.size()) - 1));
    std::vector<CatalogueRow> rows;
    for (std::int32_t k = 1; k <= transitions; ++k) {
        const Transition& transition = db.transitions[std::size_t(k)];
        const double wavelength = transition.wavelength();
        if (!(wavelength >= low && wavelength <= high)) continue;
        const std::int32_t m = db.shownMedium(k);
        if (m == 0) continue;
        const Medium& medium = db.media[std::size_t(m)];
        rows.push_back({.line = 0,
                        .medium = printableAscii(medium.name()),
                        .phase = printableAscii(medium.phase()),
                        .wavelength = wavelength,
                        .note = std::string(noteOf(transition).value_or("")),
                        .status = {},
                        .source = {}});
    }
    sortByWavelength(rows);
    return rows;
}

std::string exportFileStem(const SpectrumView& view) {
    const double low = view.leftEnd();
    const double high = view.rightEnd();
    const double width = high - low;
    if (!std::isfinite(low) || !std::isfinite(high) || !(width > 0)) return "quorvanta-spectrum";
    const int decimals = static_cast<int>(
        std::clamp(-std::floor(std::log10(width / kPartsOfWidth)), 0.0, double(kMostDecimals)));
    return "quorvanta-" + rounded(low, decimals) + "-" + rounded(high, decimals) + "nm";
}

}  // namespace quorvanta
