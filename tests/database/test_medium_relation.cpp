// Which media a transition belongs to, which medium it is shown in, and how loading scales.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "database_fixtures.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using testing::loadImage;

std::vector<std::int32_t> mediaOf(const TransitionDatabase& db, std::int32_t k) {
    const auto media = db.mediaOf(k);
    return {media.begin(), media.end()};
}

// The relation as the file format defines it: every medium scanned for every transition.
std::vector<std::int32_t> bruteForceMedia(const TransitionDatabase& db, std::int32_t k) {
    std::vector<std::int32_t> media;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        if (db.media[i].name() == db.transitions[k].mediumName()) media.push_back(i);
    return media;
}

TEST(MediumRelation, AgreesWithAFullScanOnARandomCatalogue) {
    std::mt19937 random(138);
    // Names compare byte for byte: case counts, nothing is trimmed, and a name without NUL is all
    // its 20 bytes. Few distinct names, so that names shared by many media, lines of no medium
    // and near misses all occur.
    std::vector<std::string> names = {"Ar ion", "Ar ion ", "ar ion", "Kr ion",
                                      "CO2",    "CO",      "",       "ABCDEFGHIJKLMNOPQRST"};
    const std::size_t mediumNames = names.size();
    // Lines only: a leading blank, a 19-byte prefix and a longer name cut to the 20-byte one.
    names.insert(names.end(),
                 {"Nd:YAG", " Ar ion", "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOPQRSTXY"});
    CatalogueImage image;
    for (int i = 0; i < 300; ++i)
        image.medium(names[random() % mediumNames], "gas");
    for (int k = 0; k < 2000; ++k)
        image.line(names[random() % names.size()], 100.0 + k);
    auto loaded = loadImage(image.bytes());
    TransitionDatabase& db = loaded.db;
    for (auto& selected : db.mediumSelected)
        selected = random() % 5 == 0 ? 1 : 0;
    db.mediumSelected[0] = 0;

    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const auto expected = bruteForceMedia(db, k);
        ASSERT_EQ(mediaOf(db, k), expected)
            << "transition " << k << " \"" << db.transitions[k].mediumName() << "\"";
        std::int32_t lastSelected = 0;
        for (std::int32_t i : expected)
            if (db.mediumSelected[i] == 1) lastSelected = i;
        ASSERT_EQ(db.shownMedium(k), lastSelected) << "transition " << k;
    }
    for (std::int32_t k : {-1, 0, db.transitionCount + 1, 65536}) {
        EXPECT_TRUE(db.mediaOf(k).empty()) << "k = " << k;
        EXPECT_EQ(db.shownMedium(k), 0) << "k = " << k;
    }
}

CatalogueImage largestCatalogue() {
    CatalogueImage image;
    for (int i = 0; i < kMaxRecords; ++i)
        image.medium("M" + std::to_string(i), "solid");
    for (int k = 0; k < kMaxRecords; ++k)
        image.line("M" + std::to_string((k * 7919) % kMaxRecords), 10.0 + k);
    return image;
}

TEST(MediumRelation, LargestCatalogueLoadsWithoutMediaTimesTransitionsWork) {
    const auto bytes = largestCatalogue().bytes();
    ASSERT_EQ(bytes.size(), kMaxImageSize);
    const auto start = std::chrono::steady_clock::now();
    const auto loaded = loadImage(bytes);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(loaded.db.mediumCount, kMaxRecords);
    EXPECT_EQ(loaded.db.transitionCount, kMaxRecords);
    EXPECT_EQ(loaded.db.maxWavelength, 10.0 + kMaxRecords - 1);
    for (std::int32_t k : {1, 2, 1000, kMaxRecords}) {
        const std::int32_t medium = ((k - 1) * 7919) % kMaxRecords + 1;
        EXPECT_EQ(mediaOf(loaded.db, k), std::vector<std::int32_t>{medium}) << "transition " << k;
    }
    // A scan of every medium per transition (4.3e9 name comparisons) would take seconds; a
    // linear load takes milliseconds even unoptimised.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);
}

// Regression: a zero-filled file promising the most records names every medium and line "", so
// the relation would hold 65535 x 65535 entries (17 GB). It stays bounded and says so.
TEST(MediumRelation, EveryNameSharedStaysWithinItsBound) {
    std::vector<std::uint8_t> image(kMaxImageSize, 0);
    image[0] = image[1] = image[2] = image[3] = 0xFF;
    const auto loaded = loadImage(image, "zeros.dat");
    EXPECT_EQ(loaded.db.mediumCount, kMaxRecords);
    EXPECT_EQ(loaded.db.transitionCount, kMaxRecords);
    EXPECT_LE(loaded.db.matchMedia.size(), kMaxMediumMatches);
    EXPECT_EQ(loaded.report.status, LoadReport::Status::TooManyMatches);
    EXPECT_TRUE(loaded.report.damaged);
    EXPECT_GT(loaded.db.unresolvedTransitions, 0);
    EXPECT_EQ(loaded.report.message.rfind("zeros.dat: ", 0), 0u) << loaded.report.message;
    // The lines that did resolve have every medium of the name.
    EXPECT_EQ(loaded.db.mediaOf(1).size(), std::size_t(kMaxRecords));
    EXPECT_TRUE(loaded.db.mediaOf(kMaxRecords).empty());
}

}  // namespace
}  // namespace quorvanta
