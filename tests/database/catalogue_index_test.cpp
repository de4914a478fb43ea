// The Find window's index against a full scan of random catalogues: the nearest lines, the counts
// of a range and the media a name fragment finds must be exactly what looking at every line and
// every medium gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "database/catalogue_index.h"

namespace quorvanta {
namespace {

// Names from a small alphabet in both cases, some bytes beyond ASCII, so that fragments find
// several media; wavelengths from a small set, so that many lines share one; a few lines that can
// never be shown; some media sharing a name.
TransitionDatabase randomCatalogue(std::mt19937& random, int media, int lines) {
    static const std::string kLetters = "aAbBnN:- \xE9\xC9";
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    std::uniform_int_distribution<int> length(1, 6);
    std::uniform_int_distribution<int> anyMedium(1, media);
    std::uniform_int_distribution<int> wavelengthStep(1, 40);
    std::uniform_int_distribution<int> oneIn(1, 20);
    TransitionDatabase db;
    db.media.assign(1, Medium{});
    for (int m = 1; m <= media; ++m) {
        std::string name;
        for (int i = length(random); i > 0; --i)
            name += kLetters[letter(random)];
        if (m > 1 && oneIn(random) == 1) name = std::string(db.media[std::size_t(m - 1)].name());
        db.media.push_back(makeMedium(name, "gas"));
    }
    db.mediumCount = media;
    db.mediumSelected.assign(std::size_t(media) + 1, 0);
    db.transitions.assign(1, Transition{});
    for (int k = 1; k <= lines; ++k) {
        double wavelength = 25.0 * wavelengthStep(random);
        if (oneIn(random) == 1) wavelength = -wavelength;
        if (oneIn(random) == 1) wavelength = std::nan("");
        db.transitions.push_back(
            makeTransition(db.media[std::size_t(anyMedium(random))].name(), wavelength));
    }
    db.transitionCount = lines;
    db.resolveMediumNames();
    return db;
}

bool displayable(double w) {
    return w > 0 && std::isfinite(w);
}

std::vector<std::int32_t> nearestByScan(const TransitionDatabase& db, double q, std::size_t limit) {
    std::vector<std::tuple<double, double, std::int32_t>> all;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[std::size_t(k)].wavelength();
        if (displayable(w)) all.emplace_back(std::fabs(w - q), w, k);
    }
    std::sort(all.begin(), all.end());
    std::vector<std::int32_t> found;
    for (std::size_t i = 0; i < std::min(limit, all.size()); ++i)
        found.push_back(std::get<2>(all[i]));
    return found;
}

CatalogueIndex::RangeCount rangeByScan(const TransitionDatabase& db, double low, double high) {
    CatalogueIndex::RangeCount count;
    std::set<std::int32_t> media;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[std::size_t(k)].wavelength();
        if (!displayable(w) || w < low || w > high) continue;
        ++count.lines;
        for (std::int32_t m = 1; m <= db.mediumCount; ++m)
            if (db.media[std::size_t(m)].name() == db.transitions[std::size_t(k)].mediumName())
                media.insert(m);
    }
    count.media = static_cast<std::int32_t>(media.size());
    return count;
}

std::string lowerByScan(std::string_view text) {
    std::string lower;
    for (const char c : text)
        lower += (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
    return lower;
}

TEST(CatalogueIndex, FindsWhatAFullScanFinds) {
    std::mt19937 random(14);
    const std::vector<std::string> fragments = {"a",    "N",  "b:", "-",  " ", "\xE9",
                                                "\xC9", "aa", "zz", "Nn", ""};
    for (int round = 0; round < 40; ++round) {
        const TransitionDatabase db = randomCatalogue(random, 1 + round * 3, round * 17);
        const CatalogueIndex index(db);
        SCOPED_TRACE("round " + std::to_string(round) + ": " + std::to_string(db.mediumCount) +
                     " media, " + std::to_string(db.transitionCount) + " lines");
        for (const double q : {1.0, 25.0, 37.5, 500.0, 512.5, 1000.0, 5000.0}) {
            for (const std::size_t limit : {std::size_t{1}, std::size_t{20}, std::size_t{1000}})
                EXPECT_EQ(index.nearestLines(q, limit), nearestByScan(db, q, limit))
                    << "nearest " << limit << " to " << q;
        }
        for (const auto& [low, high] : std::vector<std::pair<double, double>>{
                 {25, 25}, {100, 300}, {0.5, 2000}, {600, 500}, {26, 49}}) {
            const CatalogueIndex::RangeCount count = index.countInRange(low, high);
            const CatalogueIndex::RangeCount scanned = rangeByScan(db, low, high);
            EXPECT_EQ(count.lines, scanned.lines) << low << ".." << high;
            EXPECT_EQ(count.media, scanned.media) << low << ".." << high;
        }
        for (const std::string& fragment : fragments) {
            std::vector<std::int32_t> starting, elsewhere;
            for (std::int32_t m = 1; m <= db.mediumCount; ++m) {
                const std::size_t at =
                    lowerByScan(db.media[std::size_t(m)].name()).find(lowerByScan(fragment));
                if (at == 0) starting.push_back(m);
                if (at != 0 && at != std::string::npos) elsewhere.push_back(m);
            }
            std::vector<std::int32_t> all = starting;
            all.insert(all.end(), elsewhere.begin(), elsewhere.end());
            const CatalogueIndex::NameMatches matches = index.mediaMatching(fragment, 20);
            EXPECT_EQ(matches.total, static_cast<std::int32_t>(all.size()))
                << '"' << fragment << '"';
            all.resize(std::min<std::size_t>(all.size(), 20));
            EXPECT_EQ(matches.media, all) << '"' << fragment << '"';
        }
    }
}

TEST(CatalogueIndex, EachMediumKnowsItsDisplayableLinesAndTheirRange) {
    TransitionDatabase db;
    db.media = {Medium{}, makeMedium("He-Ne", "gas"), makeMedium("Ruby", "solid")};
    db.mediumCount = 2;
    db.mediumSelected.assign(3, 0);
    db.transitions = {Transition{}, makeTransition("He-Ne", 3391.3), makeTransition("He-Ne", -1),
                      makeTransition("He-Ne", 632.816), makeTransition("He-Ne", 1152.3)};
    db.transitionCount = 4;
    db.resolveMediumNames();
    const CatalogueIndex index(db);
    EXPECT_EQ(index.stats(1).lines, 3) << "the negative wavelength is no line to show";
    EXPECT_EQ(index.stats(1).shortest, 632.816);
    EXPECT_EQ(index.stats(1).longest, 3391.3);
    EXPECT_EQ(index.stats(2).lines, 0);
    EXPECT_TRUE(index.nearestLines(std::nan(""), 5).empty());
}

}  // namespace
}  // namespace quorvanta
