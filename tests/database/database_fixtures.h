// Shared by the database tests: loading an image with the viewer's seeds, and the invariants every
// loaded model keeps whatever its file held.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

#include "database/transition_database.h"

namespace quorvanta::testing {

// The seeds program start-up gives the wavelength extremes: the display bounds, crossed.
inline constexpr double kMinSeed = 20000.0;
inline constexpr double kMaxSeed = 10.0;

// An empty model with its wavelength extremes seeded as program start-up does.
inline TransitionDatabase seededDatabase() {
    TransitionDatabase db;
    db.minWavelength = kMinSeed;
    db.maxWavelength = kMaxSeed;
    return db;
}

struct Loaded {
    TransitionDatabase db;
    LoadReport report;
};

inline Loaded loadImage(std::span<const std::uint8_t> image, std::string_view name = "test.dat") {
    Loaded loaded{seededDatabase(), {}};
    loaded.report = loadTransitionDatabase(image, name, loaded.db);
    return loaded;
}

// Counts agree with the arrays, nothing is selected, and every resolved medium really bears the
// transition's name.
inline void expectConsistent(const TransitionDatabase& db, const std::string& context) {
    SCOPED_TRACE(context);
    ASSERT_GE(db.mediumCount, 0);
    ASSERT_LE(db.mediumCount, kMaxRecords);
    ASSERT_GE(db.transitionCount, 0);
    ASSERT_LE(db.transitionCount, kMaxRecords);
    ASSERT_EQ(db.media.size(), std::size_t(db.mediumCount) + 1);
    ASSERT_EQ(db.mediumSelected.size(), db.media.size());
    ASSERT_EQ(db.transitions.size(), std::size_t(db.transitionCount) + 1);
    ASSERT_EQ(db.matchStart.size(), std::size_t(db.transitionCount) + 2);
    for (std::int32_t selected : db.mediumSelected)
        ASSERT_EQ(selected, 0);
    EXPECT_FALSE(db.minWavelength > kMinSeed) << "minWavelength rose above its seed";
    EXPECT_FALSE(db.maxWavelength < kMaxSeed) << "maxWavelength fell below its seed";
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        std::int32_t previous = 0;
        for (std::int32_t i : db.mediaOf(k)) {
            ASSERT_GT(i, previous) << "media of transition " << k << " not ascending";
            ASSERT_LE(i, db.mediumCount);
            ASSERT_EQ(db.media[std::size_t(i)].name(), db.transitions[std::size_t(k)].mediumName())
                << "transition " << k << " resolved to medium " << i << " of another name";
            previous = i;
        }
    }
}

}  // namespace quorvanta::testing
