#include "database/catalogue_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvanta {

std::string lowerCaseAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

CatalogueIndex::CatalogueIndex(const TransitionDatabase& db) : db_(&db) {
    const auto mediumSlots = static_cast<std::size_t>(std::max(db.mediumCount, 0)) + 1;
    lowerNames_.resize(mediumSlots);
    stats_.resize(mediumSlots);
    seen_.assign(mediumSlots, 0);
    for (std::int32_t m = 1; m <= db.mediumCount; ++m)
        lowerNames_[std::size_t(m)] = lowerCaseAscii(db.media[std::size_t(m)].name());
    lines_.reserve(static_cast<std::size_t>(std::max(db.transitionCount, 0)));
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[std::size_t(k)].wavelength();
        // Lines that can never be displayed are never found either.
        if (!(w > 0) || !std::isfinite(w)) continue;
        lines_.push_back({w, k});
        for (const std::int32_t m : db.mediaOf(k)) {
            MediumStats& s = stats_[std::size_t(m)];
            s.shortest = s.lines == 0 ? w : std::min(s.shortest, w);
            s.longest = s.lines == 0 ? w : std::max(s.longest, w);
            ++s.lines;
        }
    }
    std::sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) {
        return a.wavelength < b.wavelength ||
               (a.wavelength == b.wavelength && a.transition < b.transition);
    });
}

std::vector<std::int32_t> CatalogueIndex::nearestLines(double wavelength, std::size_t limit) const {
    std::vector<std::int32_t> found;
    if (std::isnan(wavelength)) return found;
    const auto firstAbove =
        std::lower_bound(lines_.begin(), lines_.end(), wavelength,
                         [](const Line& line, double w) { return line.wavelength < w; });
    std::size_t left =
        static_cast<std::size_t>(firstAbove - lines_.begin());  // lines below: 0..left
    std::size_t right = left;                                   // lines from right up
    constexpr double kNone = std::numeric_limits<double>::infinity();
    while (found.size() < limit) {
        const double below = left > 0 ? wavelength - lines_[left - 1].wavelength : kNone;
        const double above = right < lines_.size() ? lines_[right].wavelength - wavelength : kNone;
        if (below == kNone && above == kNone) break;
        if (below <= above) {
            // Lines of one wavelength below come in transition order: find where the run starts.
            std::size_t start = left - 1;
            while (start > 0 && lines_[start - 1].wavelength == lines_[left - 1].wavelength)
                --start;
            for (std::size_t i = start; i < left && found.size() < limit; ++i)
                found.push_back(lines_[i].transition);
            left = start;
        } else {
            found.push_back(lines_[right++].transition);
        }
    }
    return found;
}

CatalogueIndex::RangeCount CatalogueIndex::countInRange(double low, double high) const {
    RangeCount count;
    if (!db_ || !(low <= high)) return count;
    const auto byWavelength = [](const Line& line, double w) { return line.wavelength < w; };
    const auto first = std::lower_bound(lines_.begin(), lines_.end(), low, byWavelength);
    const auto last = std::upper_bound(
        first, lines_.end(), high, [](double w, const Line& line) { return w < line.wavelength; });
    count.lines = static_cast<std::int32_t>(last - first);
    // Each count marks the media it meets with a number of its own, so nothing is cleared.
    if (++rangeCounts_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        rangeCounts_ = 1;
    }
    for (auto line = first; line != last; ++line)
        for (const std::int32_t m : db_->mediaOf(line->transition))
            if (seen_[std::size_t(m)] != rangeCounts_) {
                seen_[std::size_t(m)] = rangeCounts_;
                ++count.media;
            }
    return count;
}

CatalogueIndex::NameMatches CatalogueIndex::mediaMatching(std::string_view fragment,
                                                          std::size_t limit) const {
    NameMatches matches;
    const std::string lower = lowerCaseAscii(fragment);
    std::vector<std::int32_t> elsewhere;
    for (std::size_t m = 1; m < lowerNames_.size(); ++m) {
        const std::size_t at = lowerNames_[m].find(lower);
        if (at == std::string::npos) continue;
        ++matches.total;
        if (at == 0 && matches.media.size() < limit)
            matches.media.push_back(static_cast<std::int32_t>(m));
        else if (at != 0 && elsewhere.size() < limit)
            elsewhere.push_back(static_cast<std::int32_t>(m));
    }
    for (const std::int32_t m : elsewhere) {
        if (matches.media.size() >= limit) break;
        matches.media.push_back(m);
    }
    return matches;
}

}  // namespace quorvanta
