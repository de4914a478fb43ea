// Loading catalogue images and files: the wavelength extremes, texts, damaged and missing files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "database_fixtures.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using testing::kMaxSeed;
using testing::kMinSeed;
using testing::loadImage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ExtremesCase {
    const char* name;
    std::vector<double> wavelengths;
    double expectedMin;
    double expectedMax;
};

// Every case is judged against the seeds 20000 (min) and 10 (max): the extremes only move outwards
// from them, and a NaN never moves them.
const ExtremesCase kExtremesCases[] = {
    {"header only", {}, kMinSeed, kMaxSeed},
    {"exactly at both display bounds", {10.0, 20000.0}, 10.0, 20000.0},
    {"inside the display range", {632.8, 488.0}, 488.0, 632.8},
    {"one line at 5 nm", {5.0}, 5.0, kMaxSeed},
    {"one line above 20000 nm", {570569.0}, kMinSeed, 570569.0},
    {"negative", {-3.0}, -3.0, kMaxSeed},
    {"zero", {0.0}, 0.0, kMaxSeed},
    {"NaN alone", {kNaN}, kMinSeed, kMaxSeed},
    {"NaN between lines", {500.0, kNaN, 700.0}, 500.0, 700.0},
    {"NaN first", {kNaN, 1064.0}, 1064.0, 1064.0},
    {"plus infinity", {kInf, 100.0}, 100.0, kInf},
    {"minus infinity", {-kInf}, -kInf, kMaxSeed},
    {"largest double",
     {std::numeric_limits<double>::max()},
     kMinSeed,
     std::numeric_limits<double>::max()},
    {"smallest positive",
     {std::numeric_limits<double>::denorm_min()},
     std::numeric_limits<double>::denorm_min(),
     kMaxSeed},
};

TEST(TransitionDatabaseLoad, WavelengthExtremesMoveOnlyOutwardsFromTheirSeeds) {
    for (const ExtremesCase& c : kExtremesCases) {
        CatalogueImage image;
        image.medium("Ruby", "solid");
        for (double w : c.wavelengths)
            image.line("Ruby", w);
        const auto loaded = loadImage(image.bytes());
        EXPECT_EQ(loaded.db.transitionCount, std::ssize(c.wavelengths)) << c.name;
        EXPECT_EQ(loaded.db.minWavelength, c.expectedMin) << c.name << ": minWavelength";
        EXPECT_EQ(loaded.db.maxWavelength, c.expectedMax) << c.name << ": maxWavelength";
        EXPECT_FALSE(loaded.report.damaged) << c.name;
        testing::expectConsistent(loaded.db, c.name);
    }
}

TEST(TransitionDatabaseLoad, HeaderOnlyFileIsAnEmptyModel) {
    const auto loaded = loadImage(CatalogueImage{}.bytes());
    EXPECT_EQ(loaded.report.status, LoadReport::Status::Loaded);
    EXPECT_EQ(loaded.db.mediumCount, 0);
    EXPECT_EQ(loaded.db.transitionCount, 0);
    EXPECT_EQ(loaded.db.phaseCount, 3);
    testing::expectConsistent(loaded.db, "header only");
}

TEST(TransitionDatabaseLoad, RecordsAreHeldByteForByteWithTheirReservedBytes) {
    std::mt19937 random(7);
    CatalogueImage image;
    Medium medium = makeMedium("Nd:YAG", "solid");
    medium.bytes[26] = 0xAB;  // reserved
    Transition line = makeTransition("Nd:YAG", 1064.0);
    for (std::size_t b = 32; b < line.bytes.size(); ++b)
        line.bytes[b] = static_cast<std::uint8_t>(random());
    image.medium(medium).line(line);

    const auto loaded = loadImage(image.bytes());
    ASSERT_EQ(loaded.db.mediumCount, 1);
    ASSERT_EQ(loaded.db.transitionCount, 1);
    EXPECT_EQ(loaded.db.media[1].bytes, medium.bytes);
    EXPECT_EQ(loaded.db.transitions[1].bytes, line.bytes);
    EXPECT_EQ(loaded.db.transitions[1].wavelength(), 1064.0);
    EXPECT_EQ(serializeTransitionDatabase(loaded.db), image.bytes()) << "round trip changed bytes";
}

TEST(TransitionDatabaseRecords, WavelengthIsStoredLittleEndianAtOffset24) {
    const Transition t = makeTransition("He-Ne", 1.0);  // 0x3FF0000000000000
    const std::uint8_t expected[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(std::memcmp(t.bytes.data() + kWavelengthOffset, expected, 8), 0);
    for (std::size_t b = 0; b < t.bytes.size(); ++b) {
        const bool inNameOrWavelength = b < 5 || (b >= 24 && b < 32);
        if (!inNameOrWavelength) {
            EXPECT_EQ(t.bytes[b], 0) << "byte " << b << " not NUL";
        }
    }
}

TEST(TransitionDatabaseRecords, TextsAreCutToTheirFields) {
    const Medium m = makeMedium("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "liquids");
    EXPECT_EQ(m.name(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(m.phase(), "liquid") << "a 6-letter phase fills its field without NUL";
    EXPECT_EQ(m.bytes[26], 0);
    EXPECT_EQ(m.bytes[27], 0);
}

TEST(TransitionDatabaseLoad, PhaseCountIsKeptButChangesNothingElse) {
    const auto imageWith = [](std::uint16_t phases) {
        return CatalogueImage{}
            .medium("Ar ion", "gas")
            .line("Ar ion", 488.0)
            .line("Kr ion", 647.1)
            .phaseCount(phases)
            .bytes();
    };
    const auto reference = loadImage(imageWith(3));
    for (std::uint16_t phases :
         {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{7}, std::uint16_t{65535}}) {
        const auto loaded = loadImage(imageWith(phases));
        EXPECT_EQ(loaded.db.phaseCount, phases);
        EXPECT_EQ(loaded.db.mediumCount, reference.db.mediumCount) << "phase count " << phases;
        EXPECT_EQ(loaded.db.transitionCount, reference.db.transitionCount);
        EXPECT_EQ(loaded.db.matchMedia, reference.db.matchMedia) << "phase count " << phases;
        EXPECT_EQ(loaded.db.minWavelength, reference.db.minWavelength);
        EXPECT_EQ(loaded.db.maxWavelength, reference.db.maxWavelength);
    }
}

TEST(TransitionDatabaseLoad, BytesAfterTheLastRecordAreIgnored) {
    CatalogueImage image;
    image.medium("CO2", "gas").line("CO2", 10591.0);
    auto bytes = image.bytes();
    const auto exact = loadImage(bytes);
    // A trailing run that would be a whole record, and a lone byte.
    for (std::size_t extra : {std::size_t{1}, std::size_t{kTransitionRecordSize}}) {
        auto longer = bytes;
        longer.resize(bytes.size() + extra, 0x5A);
        const auto loaded = loadImage(longer);
        EXPECT_EQ(loaded.report.status, LoadReport::Status::Loaded) << extra << " trailing bytes";
        EXPECT_FALSE(loaded.report.damaged) << extra << " trailing bytes";
        EXPECT_EQ(loaded.db.transitionCount, 1) << extra << " trailing bytes";
        EXPECT_EQ(serializeTransitionDatabase(loaded.db), bytes) << extra << " trailing bytes";
    }
}

// The image of 3 media and 4 transitions, cut at every kind of place.
struct TruncationCase {
    const char* name;
    std::size_t length;
    LoadReport::Status status;
    std::int32_t media;
    std::int32_t transitions;
};

constexpr std::size_t kMediaEnd = kHeaderSize + 3 * kMediumRecordSize;
constexpr std::size_t kFullLength = kMediaEnd + 4 * kTransitionRecordSize;

const TruncationCase kTruncationCases[] = {
    {"empty file", 0, LoadReport::Status::TooShortForHeader, 0, 0},
    {"1 byte", 1, LoadReport::Status::TooShortForHeader, 0, 0},
    {"2 bytes", 2, LoadReport::Status::TooShortForHeader, 0, 0},
    {"3 bytes", 3, LoadReport::Status::TooShortForHeader, 0, 0},
    {"4 bytes", 4, LoadReport::Status::TooShortForHeader, 0, 0},
    {"5 bytes", 5, LoadReport::Status::TooShortForHeader, 0, 0},
    {"header only", kHeaderSize, LoadReport::Status::Truncated, 0, 0},
    {"mid first medium", kHeaderSize + 10, LoadReport::Status::Truncated, 0, 0},
    {"after first medium", kHeaderSize + kMediumRecordSize, LoadReport::Status::Truncated, 1, 0},
    {"mid last medium", kMediaEnd - 1, LoadReport::Status::Truncated, 2, 0},
    {"after the media", kMediaEnd, LoadReport::Status::Truncated, 3, 0},
    {"mid first transition", kMediaEnd + 7, LoadReport::Status::Truncated, 3, 0},
    {"after two transitions", kMediaEnd + 2 * kTransitionRecordSize, LoadReport::Status::Truncated,
     3, 2},
    {"one byte short", kFullLength - 1, LoadReport::Status::Truncated, 3, 3},
    {"complete", kFullLength, LoadReport::Status::Loaded, 3, 4},
};

TEST(TransitionDatabaseLoad, ShortFileLoadsEveryCompleteRecord) {
    CatalogueImage image;
    image.medium("He-Ne", "gas").medium("Ruby", "solid").medium("DCM", "liquid");
    image.line("He-Ne", 632.816).line("Ruby", 694.3).line("DCM", 640.0).line("He-Ne", 5.0);
    const auto full = image.bytes();
    ASSERT_EQ(full.size(), kFullLength);

    for (const TruncationCase& c : kTruncationCases) {
        const auto loaded = loadImage(std::span(full).first(c.length), "cut.dat");
        EXPECT_EQ(loaded.report.status, c.status) << c.name;
        EXPECT_EQ(loaded.report.damaged, c.status != LoadReport::Status::Loaded) << c.name;
        EXPECT_EQ(loaded.db.mediumCount, c.media) << c.name;
        EXPECT_EQ(loaded.db.transitionCount, c.transitions) << c.name;
        testing::expectConsistent(loaded.db, c.name);
        for (std::int32_t i = 1; i <= loaded.db.mediumCount; ++i)
            EXPECT_EQ(loaded.db.media[i].bytes, image.media()[i - 1].bytes) << c.name;
        for (std::int32_t k = 1; k <= loaded.db.transitionCount; ++k)
            EXPECT_EQ(loaded.db.transitions[k].bytes, image.transitions()[k - 1].bytes) << c.name;
        // The extremes come from the loaded lines only; the 5 nm line is the last.
        const double expectedMin = c.transitions == 4   ? 5.0
                                   : c.transitions >= 1 ? 632.816
                                                        : kMinSeed;
        EXPECT_EQ(loaded.db.minWavelength, expectedMin) << c.name;

        const std::string& message = loaded.report.message;
        if (c.status == LoadReport::Status::Loaded) {
            EXPECT_TRUE(message.empty()) << c.name << ": " << message;
        } else {
            EXPECT_EQ(message.find('\n'), std::string::npos) << c.name << ": " << message;
            EXPECT_EQ(message.rfind("cut.dat: ", 0), 0u) << c.name << ": " << message;
        }
        if (c.status == LoadReport::Status::Truncated) {
            const std::string expected =
                "cut.dat: header promises 3 media and 4 transitions (692 "
                "bytes after the header) but the file holds " +
                std::to_string(c.length) + " bytes; loaded " + std::to_string(c.media) +
                " media and " + std::to_string(c.transitions) + " transitions.";
            const bool plural = c.media != 1 && c.transitions != 1;  // singular: its own test
            if (plural) {
                EXPECT_EQ(message, expected) << c.name;
            }
        }
    }
}

TEST(TransitionDatabaseLoad, MessageSaysOneMediumAndOneTransitionInTheSingular) {
    const auto full =
        CatalogueImage{}.medium("Ruby", "solid").line("Ruby", 694.3).line("Ruby", 692.9).bytes();
    const auto loaded = loadImage(std::span(full).first(full.size() - 1), "r.dat");
    EXPECT_EQ(loaded.report.message,
              "r.dat: header promises 1 medium and 2 transitions (332 bytes after the header) but "
              "the file holds 337 bytes; loaded 1 medium and 1 transition.");
}

TEST(TransitionDatabaseLoad, ReloadingReplacesTheWholeModel) {
    auto loaded =
        loadImage(CatalogueImage{}.medium("A", "gas").medium("B", "gas").line("B", 1.0).bytes());
    loaded.db.mediumSelected[2] = 1;
    loadTransitionDatabase(CatalogueImage{}.medium("C", "solid").bytes(), "second", loaded.db);
    EXPECT_EQ(loaded.db.mediumCount, 1);
    EXPECT_EQ(loaded.db.transitionCount, 0);
    testing::expectConsistent(loaded.db, "after reloading");
}

TEST(TransitionDatabaseFile, MissingFileGivesAnEmptyModel) {
    testing::TempDir dir;
    TransitionDatabase db = testing::seededDatabase();
    const auto path = (dir / "wavelength.dat").string();
    const LoadReport report = loadTransitionDatabaseFile(path, db);
    EXPECT_EQ(report.status, LoadReport::Status::Missing);
    EXPECT_FALSE(report.damaged);
    EXPECT_NE(report.message.find(path), std::string::npos) << report.message;
    EXPECT_EQ(report.message.find('\n'), std::string::npos) << report.message;
    EXPECT_EQ(db.mediumCount, 0);
    EXPECT_EQ(db.transitionCount, 0);
    testing::expectConsistent(db, "missing file");
}

TEST(TransitionDatabaseFile, FolderInsteadOfFileIsUnreadable) {
    testing::TempDir dir;
    TransitionDatabase db = testing::seededDatabase();
    const LoadReport report = loadTransitionDatabaseFile(dir.path().string(), db);
    EXPECT_EQ(report.status, LoadReport::Status::Unreadable);
    testing::expectConsistent(db, "folder");
}

TEST(TransitionDatabaseFile, FileLoadsLikeItsImage) {
    testing::TempDir dir;
    CatalogueImage image;
    image.medium("Ti:sapphire", "solid").line("Ti:sapphire", 800.0).line("Ti:sapphire", 650.0);
    auto bytes = image.bytes();
    const auto path = dir / "wavelength.dat";
    testing::writeFile(path, bytes);

    TransitionDatabase db = testing::seededDatabase();
    const LoadReport report = loadTransitionDatabaseFile(path.string(), db);
    EXPECT_EQ(report.status, LoadReport::Status::Loaded) << report.message;
    EXPECT_EQ(serializeTransitionDatabase(db), bytes);
    EXPECT_EQ(db.minWavelength, 650.0);

    bytes.resize(bytes.size() - 100);
    testing::writeFile(path, bytes);
    const LoadReport cut = loadTransitionDatabaseFile(path.string(), db);
    EXPECT_EQ(cut.status, LoadReport::Status::Truncated);
    EXPECT_EQ(cut.message.rfind(path.string() + ": header promises 1 medium and 2 transitions", 0),
              0u)
        << cut.message;
    EXPECT_EQ(db.transitionCount, 1);
}

TEST(TransitionDatabaseLoad, RandomBytesNeverBreakTheModel) {
    std::mt19937 random(2026);
    for (int round = 0; round < 400; ++round) {
        // Small promised counts so that many images are complete or nearly so.
        std::vector<std::uint8_t> image(random() % 4000);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0);
        if (image.size() >= 4) {
            image[0] = static_cast<std::uint8_t>(random() % 30);
            image[1] = 0;
            image[2] = static_cast<std::uint8_t>(random() % 30);
            image[3] = 0;
        }
        const auto loaded = loadImage(image);
        testing::expectConsistent(loaded.db, "round " + std::to_string(round));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace quorvanta
