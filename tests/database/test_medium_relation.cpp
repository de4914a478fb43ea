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

struct NameCase {
    const char* name;
    std::string mediumName;
    std::string lineName;
    bool belongs;
};

// Names compare byte for byte: case counts, nothing is trimmed, and a name without NUL is all
// its 20 bytes.
const NameCase kNameCases[] = {
    {"same text", "Nd:YAG", "Nd:YAG", true},
    {"other case", "Nd:YAG", "nd:yag", false},
    {"trailing blank on the line", "Nd:YAG", "Nd:YAG ", false},
    {"trailing blank on the medium", "Nd:YAG ", "Nd:YAG", false},
    {"leading blank", " Nd:YAG", "Nd:YAG", false},
    {"20 bytes without NUL", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", true},
    {"19-byte prefix of a 20-byte name", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRS", false},
    {"cut to 20 bytes on both sides", "ABCDEFGHIJKLMNOPQRSTUV", "ABCDEFGHIJKLMNOPQRSTXY", true},
    {"empty names", "", "", true},
};

TEST(MediumRelation, NamesMatchByteForByte) {
    for (const NameCase& c : kNameCases) {
        const auto loaded = loadImage(
            CatalogueImage{}.medium(c.mediumName, "solid").line(c.lineName, 1064.0).bytes());
        EXPECT_EQ(mediaOf(loaded.db, 1),
                  c.belongs ? std::vector<std::int32_t>{1} : std::vector<std::int32_t>{})
            << c.name << ": medium \"" << c.mediumName << "\", line \"" << c.lineName << "\"";
    }
}

TEST(MediumRelation, LineOfASharedNameBelongsToEveryMediumWithIt) {
    auto loaded = loadImage(CatalogueImage{}
                                .medium("He-Ne", "gas")
                                .medium("Ruby", "solid")
                                .medium("He-Ne", "gas")
                                .line("He-Ne", 632.816)
                                .bytes());
    TransitionDatabase& db = loaded.db;
    ASSERT_EQ(mediaOf(db, 1), (std::vector<std::int32_t>{1, 3}));

    struct Selection {
        const char* name;
        std::int32_t first, ruby, second;
        std::int32_t shown;
    };
    const Selection selections[] = {
        {"nothing selected", 0, 0, 0, 0},   {"only the other medium", 0, 1, 0, 0},
        {"first of the name", 1, 0, 0, 1},  {"second of the name", 0, 0, 1, 3},
        {"both: the last one", 1, 0, 1, 3}, {"everything", 1, 1, 1, 3},
    };
    for (const Selection& s : selections) {
        db.mediumSelected = {0, s.first, s.ruby, s.second};
        EXPECT_EQ(db.shownMedium(1), s.shown) << s.name;
    }
}

TEST(MediumRelation, LineWithoutMediumCountsButIsNeverShown) {
    auto loaded = loadImage(CatalogueImage{}
                                .medium("Ruby", "solid")
                                .line("Ruby", 694.3)
                                .line("Unobtainium", 3.0)
                                .line("Unobtainium", 90000.0)
                                .bytes());
    TransitionDatabase& db = loaded.db;
    EXPECT_EQ(db.transitionCount, 3);
    EXPECT_EQ(db.minWavelength, 3.0);
    EXPECT_EQ(db.maxWavelength, 90000.0);
    db.mediumSelected[1] = 1;
    EXPECT_TRUE(db.mediaOf(2).empty());
    EXPECT_EQ(db.shownMedium(2), 0);
    EXPECT_EQ(db.shownMedium(3), 0);
    EXPECT_EQ(db.shownMedium(1), 1);
}

TEST(MediumRelation, NumbersOutsideTheTransitionsHaveNoMedia) {
    const auto loaded = loadImage(CatalogueImage{}.medium("A", "gas").line("A", 1.0).bytes());
    for (std::int32_t k : {-1, 0, 2, 65536}) {
        EXPECT_TRUE(loaded.db.mediaOf(k).empty()) << "k = " << k;
        EXPECT_EQ(loaded.db.shownMedium(k), 0) << "k = " << k;
    }
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
    // Few distinct names, so that shared names, unmatched lines and near-misses all occur.
    const std::vector<std::string> names = {
        "Ar ion", "Ar ion ", "ar ion", "Kr ion", "CO2", "CO", "", "Nd:YAG", "ABCDEFGHIJKLMNOPQRST"};
    CatalogueImage image;
    for (int i = 0; i < 300; ++i)
        image.medium(names[random() % (names.size() - 2)], "gas");
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
