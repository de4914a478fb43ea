// Loading catalogue images and files: records, the wavelength extremes, damaged and missing files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
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
using Status = LoadReport::Status;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(TransitionDatabaseRecords, TextsAreCutToTheirFieldsAndWavelengthsStoredLittleEndian) {
    const Medium medium = makeMedium("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "liquids");
    EXPECT_EQ(medium.name(), "ABCDEFGHIJKLMNOPQRST") << "a name filling its field has no NUL";
    EXPECT_EQ(medium.phase(), "liquid");
    EXPECT_EQ(medium.bytes[26] | medium.bytes[27], 0);
    // 1.0 is 0x3FF0000000000000, stored little-endian at offset 24; everything else is NUL.
    std::array<std::uint8_t, kTransitionRecordSize> line{'H', 'e', '-', 'N', 'e'};
    line[30] = 0xF0;
    line[31] = 0x3F;
    EXPECT_EQ(makeTransition("He-Ne", 1.0).bytes, line);
}

// The records come back byte for byte, reserved bytes included, whatever the header's phase count
// and whatever follows the last record.
TEST(TransitionDatabaseLoad, RecordsAreHeldByteForByteWhateverSurroundsThem) {
    std::mt19937 random(7);
    Medium medium = makeMedium("Ar ion", "gas");
    medium.bytes[26] = 0xAB;  // reserved
    Transition line = makeTransition("Ar ion", 488.0);
    for (std::size_t b = 32; b < line.bytes.size(); ++b)
        line.bytes[b] = static_cast<std::uint8_t>(random());
    for (int phases : {0, 1, 7, 65535}) {
        // No tail, a lone byte, and a run that would be a whole record.
        for (std::size_t extra : {0, 1, kTransitionRecordSize}) {
            SCOPED_TRACE("phase count " + std::to_string(phases) + ", " + std::to_string(extra) +
                         " trailing bytes");
            auto image = CatalogueImage{}
                             .medium(medium)
                             .line(line)
                             .line("Kr ion", 647.1)
                             .phaseCount(static_cast<std::uint16_t>(phases))
                             .bytes();
            const auto exact = image;
            image.resize(image.size() + extra, 0x5A);
            const auto loaded = loadImage(image);
            EXPECT_EQ(loaded.report.status, Status::Loaded);
            EXPECT_FALSE(loaded.report.damaged);
            EXPECT_EQ(loaded.db.phaseCount, phases);
            ASSERT_EQ(loaded.db.transitionCount, 2);
            EXPECT_EQ(loaded.db.media[1].bytes, medium.bytes);
            EXPECT_EQ(loaded.db.transitions[1].bytes, line.bytes);
            EXPECT_EQ(serializeTransitionDatabase(loaded.db), exact);
            EXPECT_EQ(loaded.db.matchMedia, std::vector<std::int32_t>{1});
            EXPECT_EQ(loaded.db.minWavelength, 488.0);
            EXPECT_EQ(loaded.db.maxWavelength, 647.1);
        }
    }
}

struct ExtremesCase {
    std::vector<double> wavelengths;
    double min;
    double max;
};

// Judged against the seeds 20000 (min) and 10 (max): the extremes only move outwards from them,
// a NaN, which has no place on the axis, counts as beyond the longest wavelength, and lines count
// whether or not a medium bears their name.
const ExtremesCase kExtremesCases[] = {
    {{}, kMinSeed, kMaxSeed},
    {{5.0}, 5.0, kMaxSeed},
    {{570569.0}, kMinSeed, 570569.0},
    {{kNaN}, kMinSeed, kInf},
    {{500.0, kNaN, 700.0}, 500.0, kInf},
    {{kNaN, 1064.0}, 1064.0, kInf},
    {{kInf, 100.0}, 100.0, kInf},
    {{-kInf}, -kInf, kMaxSeed},
};

TEST(TransitionDatabaseLoad, WavelengthExtremesMoveOnlyOutwardsFromTheirSeeds) {
    for (const ExtremesCase& c : kExtremesCases) {
        const std::string context = ::testing::PrintToString(c.wavelengths);
        CatalogueImage image;
        for (double w : c.wavelengths)
            image.line("Unmatched", w);
        const auto loaded = loadImage(image.bytes());
        EXPECT_EQ(loaded.report.status, Status::Loaded) << context;
        EXPECT_EQ(loaded.db.transitionCount, std::ssize(c.wavelengths)) << context;
        EXPECT_EQ(loaded.db.minWavelength, c.min) << context;
        EXPECT_EQ(loaded.db.maxWavelength, c.max) << context;
        testing::expectConsistent(loaded.db, context);
    }
}

// The image of 3 media and 4 transitions cut at every kind of place. `said` is the message after
// "cut.dat: ", or for a cut record its end after what the header promised.
struct TruncationCase {
    std::size_t length;
    Status status;
    std::int32_t media;
    std::int32_t transitions;
    const char* said;
};

constexpr std::size_t kMediaEnd = kHeaderSize + 3 * kMediumRecordSize;
constexpr std::size_t kFullLength = kMediaEnd + 4 * kTransitionRecordSize;

const TruncationCase kTruncationCases[] = {
    {0, Status::TooShortForHeader, 0, 0,
     "the file holds 0 bytes, fewer than the 6-byte header; loaded nothing."},
    {1, Status::TooShortForHeader, 0, 0,
     "the file holds 1 byte, fewer than the 6-byte header; loaded nothing."},
    {5, Status::TooShortForHeader, 0, 0,
     "the file holds 5 bytes, fewer than the 6-byte header; loaded nothing."},
    {kHeaderSize, Status::Truncated, 0, 0, "loaded 0 media and 0 transitions."},
    {kHeaderSize + 10, Status::Truncated, 0, 0, "loaded 0 media and 0 transitions."},
    {kHeaderSize + kMediumRecordSize, Status::Truncated, 1, 0,
     "loaded 1 medium and 0 transitions."},
    {kMediaEnd - 1, Status::Truncated, 2, 0, "loaded 2 media and 0 transitions."},
    {kMediaEnd, Status::Truncated, 3, 0, "loaded 3 media and 0 transitions."},
    {kMediaEnd + 7, Status::Truncated, 3, 0, "loaded 3 media and 0 transitions."},
    {kMediaEnd + kTransitionRecordSize, Status::Truncated, 3, 1,
     "loaded 3 media and 1 transition."},
    {kFullLength - 1, Status::Truncated, 3, 3, "loaded 3 media and 3 transitions."},
    {kFullLength, Status::Loaded, 3, 4, ""},
};

TEST(TransitionDatabaseLoad, ShortFileLoadsEveryCompleteRecord) {
    CatalogueImage image;
    image.medium("He-Ne", "gas").medium("Ruby", "solid").medium("DCM", "liquid");
    image.line("He-Ne", 632.816).line("Ruby", 694.3).line("DCM", 640.0).line("He-Ne", 5.0);
    const auto full = image.bytes();
    ASSERT_EQ(full.size(), kFullLength);

    for (const TruncationCase& c : kTruncationCases) {
        const std::string context = "cut at " + std::to_string(c.length);
        const auto loaded = loadImage(std::span(full).first(c.length), "cut.dat");
        EXPECT_EQ(loaded.report.status, c.status) << context;
        EXPECT_EQ(loaded.report.damaged, c.status != Status::Loaded) << context;
        EXPECT_EQ(loaded.db.mediumCount, c.media) << context;
        EXPECT_EQ(loaded.db.transitionCount, c.transitions) << context;
        testing::expectConsistent(loaded.db, context);
        for (std::int32_t i = 1; i <= loaded.db.mediumCount; ++i)
            EXPECT_EQ(loaded.db.media[i].bytes, image.media()[i - 1].bytes) << context;
        for (std::int32_t k = 1; k <= loaded.db.transitionCount; ++k)
            EXPECT_EQ(loaded.db.transitions[k].bytes, image.transitions()[k - 1].bytes) << context;
        // The extremes come from the loaded lines only; the 5 nm line is the last.
        const double min = c.transitions == 4 ? 5.0 : c.transitions >= 1 ? 632.816 : kMinSeed;
        EXPECT_EQ(loaded.db.minWavelength, min) << context;

        std::string expected;
        if (c.status == Status::Truncated)
            expected =
                "cut.dat: header promises 3 media and 4 transitions (692 bytes after the "
                "header) but the file holds " +
                std::to_string(c.length) + " bytes; " + c.said;
        else if (c.status == Status::TooShortForHeader)
            expected = std::string("cut.dat: ") + c.said;
        EXPECT_EQ(loaded.report.message, expected) << context;
    }
}

// One model loaded from a file again and again, as the viewer reloads it.
TEST(TransitionDatabaseFile, EachLoadReplacesTheWholeModel) {
    testing::TempDir dir;
    const auto path = (dir / "wavelength.dat").string();
    auto bytes = CatalogueImage{}
                     .medium("Ti:sapphire", "solid")
                     .line("Ti:sapphire", 800.0)
                     .line("Ti:sapphire", 650.0)
                     .bytes();
    testing::writeFile(path, bytes);
    TransitionDatabase db = testing::seededDatabase();
    const LoadReport whole = loadTransitionDatabaseFile(path, db);
    EXPECT_EQ(whole.status, Status::Loaded) << whole.message;
    EXPECT_EQ(serializeTransitionDatabase(db), bytes);
    EXPECT_EQ(db.minWavelength, 650.0);

    db.mediumSelected[1] = 1;
    bytes.resize(bytes.size() - 100);
    testing::writeFile(path, bytes);
    const LoadReport cut = loadTransitionDatabaseFile(path, db);
    EXPECT_EQ(cut.status, Status::Truncated);
    EXPECT_EQ(cut.message, path +
                               ": header promises 1 medium and 2 transitions (332 bytes after the "
                               "header) but the file holds 238 bytes; loaded 1 medium and 1 "
                               "transition.");
    EXPECT_EQ(db.transitionCount, 1);
    testing::expectConsistent(db, "cut file");

    const LoadReport folder = loadTransitionDatabaseFile(dir.path().string(), db);
    EXPECT_EQ(folder.status, Status::Unreadable);
    EXPECT_EQ(db.mediumCount + db.transitionCount, 0);
    testing::expectConsistent(db, "folder");

    // A named pipe with no writer is turned away at once instead of being waited on.
    const std::string pipe = (dir / "pipe.dat").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const LoadReport fifo = loadTransitionDatabaseFile(pipe, db);
    EXPECT_EQ(fifo.status, Status::Unreadable);
    EXPECT_EQ(fifo.message,
              pipe + ": cannot be read (not a regular file); the catalogue is empty.");

    std::filesystem::remove(path);
    const LoadReport missing = loadTransitionDatabaseFile(path, db);
    EXPECT_EQ(missing.status, Status::Missing);
    EXPECT_FALSE(missing.damaged);
    EXPECT_EQ(missing.message, path + ": no such file; the catalogue is empty.");
    EXPECT_EQ(db.mediumCount + db.transitionCount, 0);
    testing::expectConsistent(db, "missing file");
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
        testing::expectConsistent(loadImage(image).db, "round " + std::to_string(round));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace quorvanta
