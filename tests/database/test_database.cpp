// The catalogue model: its records, loading images and files whole, cut short or damaged, the media
// a line belongs to, the Find window's index and the notes of lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "database/catalogue_index.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using Status = LoadReport::Status;
using enum LoadReport::Status;
using Ids = std::vector<std::int32_t>;

// The seeds program start-up gives the wavelength extremes: the display bounds, crossed.
constexpr double kMinSeed = 20000.0, kMaxSeed = 10.0;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A model seeded as program start-up seeds it, loaded from images or files.
class Database : public ::testing::Test {
  protected:
    TransitionDatabase db;

    LoadReport load(std::span<const std::uint8_t> image, std::string_view name = "test.dat") {
        db = TransitionDatabase{};
        db.minWavelength = kMinSeed;
        db.maxWavelength = kMaxSeed;
        return loadTransitionDatabase(image, name, db);
    }
    Ids mediaOf(std::int32_t k) const { return {db.mediaOf(k).begin(), db.mediaOf(k).end()}; }

    // Whatever the file held: counts agree with the arrays, nothing is selected and the extremes
    // only moved outwards from their seeds.
    void expectConsistent() const {
        ASSERT_EQ(db.media.size(), std::size_t(db.mediumCount) + 1);
        ASSERT_EQ(db.mediumSelected, std::vector<std::int32_t>(db.media.size(), 0));
        ASSERT_EQ(db.transitions.size(), std::size_t(db.transitionCount) + 1);
        ASSERT_EQ(db.matchStart.size(), std::size_t(db.transitionCount) + 2);
        EXPECT_FALSE(db.minWavelength > kMinSeed || db.maxWavelength < kMaxSeed);
    }
};

// An image of 3 media and 4 lines, reserved bytes filled, followed by a record's worth of other
// bytes, and loaded to every kind of length: every complete record comes back byte for byte, the
// rest is reported: `said` is the message's own part.
struct LengthCase {
    std::size_t length;
    Status status;
    std::int32_t media, lines;
    const char* said;
};

constexpr std::size_t kMediaEnd = kHeaderSize + 3 * kMediumRecordSize;
constexpr std::size_t kFull = kMediaEnd + 4 * kTransitionRecordSize;
const LengthCase kLengths[] = {
    {0, TooShortForHeader, 0, 0, "the file holds 0 bytes"},
    {1, TooShortForHeader, 0, 0, "the file holds 1 byte"},
    {5, TooShortForHeader, 0, 0, "the file holds 5 bytes"},
    {kHeaderSize, Truncated, 0, 0, "loaded 0 media and 0 transitions."},
    {kHeaderSize + kMediumRecordSize, Truncated, 1, 0, "loaded 1 medium and 0 transitions."},
    {kMediaEnd - 1, Truncated, 2, 0, "loaded 2 media and 0 transitions."},
    {kMediaEnd, Truncated, 3, 0, "loaded 3 media and 0 transitions."},
    {kMediaEnd + kTransitionRecordSize, Truncated, 3, 1, "loaded 3 media and 1 transition."},
    {kFull - 1, Truncated, 3, 3, "loaded 3 media and 3 transitions."},
    {kFull, Loaded, 3, 4, ""},
    {kFull + 1, Loaded, 3, 4, ""},
    {kFull + kTransitionRecordSize, Loaded, 3, 4, ""},
};

TEST_F(Database, LoadsEveryCompleteRecordOfAnImageOfAnyLength) {
    Medium medium = makeMedium("He-Ne", "gas");
    medium.bytes[26] = 0xAB;
    Transition line = makeTransition("DCM", 640.0);
    for (std::size_t b = kNoteOffset; b < line.bytes.size(); ++b)
        line.bytes[b] = static_cast<std::uint8_t>(b * 7);
    CatalogueImage image;
    image.medium(medium).medium("Ruby", "solid").medium("DCM", "liquid").phaseCount(7);
    image.line("He-Ne", 632.816).line("Ruby", 694.3).line(line).line("He-Ne", 5.0);
    const auto full = image.bytes();
    auto padded = full;
    padded.resize(kFull + kTransitionRecordSize, 0x5A);

    for (const LengthCase& c : kLengths) {
        SCOPED_TRACE("length " + std::to_string(c.length));
        const LoadReport report = load(std::span(padded).first(c.length), "cut.dat");
        EXPECT_EQ(report.status, c.status);
        EXPECT_EQ(report.damaged, c.status != Status::Loaded);
        EXPECT_EQ(std::pair(db.mediumCount, db.transitionCount), std::pair(c.media, c.lines));
        expectConsistent();
        for (std::int32_t i = 1; i <= db.mediumCount; ++i)
            EXPECT_EQ(db.media[i].bytes, image.media()[i - 1].bytes);
        for (std::int32_t k = 1; k <= db.transitionCount; ++k)
            EXPECT_EQ(db.transitions[k].bytes, image.transitions()[k - 1].bytes);
        // The extremes come from the loaded lines only; the 5 nm line is the last.
        const double mins[] = {kMinSeed, 632.816, 632.816, 632.816, 5.0};
        const double maxes[] = {kMaxSeed, 632.816, 694.3, 694.3, 694.3};
        EXPECT_EQ(std::pair(db.minWavelength, db.maxWavelength),
                  std::pair(mins[c.lines], maxes[c.lines]));
        std::string said = c.said;
        if (c.status == TooShortForHeader)
            said += ", fewer than the 6-byte header; loaded nothing.";
        if (c.status == Truncated)
            said =
                "header promises 3 media and 4 transitions (692 bytes after the header) but the "
                "file holds " +
                std::to_string(c.length) + " bytes; " + said;
        EXPECT_EQ(report.message, said.empty() ? "" : "cut.dat: " + said);
        if (c.status == Status::Loaded) {
            EXPECT_EQ(db.phaseCount, 7);
            EXPECT_EQ(serializeTransitionDatabase(db), full);
        }
    }
}

// One model loaded from a file again and again, as the viewer reloads it: each load replaces it.
TEST_F(Database, EachLoadOfAFileReplacesTheWholeModel) {
    testing::TempDir dir;
    const std::string path = (dir / "wavelength.dat").string(), pipe = (dir / "pipe").string();
    auto bytes =
        CatalogueImage{}.medium("CH3OH", "gas").line("CH3OH", 25000).line("CH3OH", 570569).bytes();
    testing::writeFile(path, bytes);
    load({});
    EXPECT_EQ(loadTransitionDatabaseFile(path, db).status, Status::Loaded);
    EXPECT_EQ(db.minWavelength, kMinSeed) << "the extremes move only outwards from their seeds";
    EXPECT_EQ(db.maxWavelength, 570569);

    db.mediumSelected[1] = 1;
    bytes.resize(bytes.size() - 100);
    testing::writeFile(path, bytes);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::tuple<std::string, Status, std::int32_t, std::string> loads[] = {
        {path, Status::Truncated, 1, path + ": header promises 1 medium and 2 transitions (332"},
        {dir.path().string(), Status::Unreadable, 0, ""},
        // A named pipe with no writer is turned away at once instead of being waited on.
        {pipe, Status::Unreadable, 0,
         pipe + ": cannot be read (not a regular file); the catalogue is empty."},
        {path + "x", Status::Missing, 0, path + "x: no such file; the catalogue is empty."},
    };
    for (const auto& [file, status, media, said] : loads) {
        SCOPED_TRACE(file);
        const LoadReport report = loadTransitionDatabaseFile(file, db);
        EXPECT_EQ(report.status, status);
        EXPECT_EQ(report.damaged, status == Status::Truncated);
        EXPECT_EQ(report.message.substr(0, said.size()), said);
        EXPECT_EQ(std::pair(db.mediumCount, db.transitionCount), std::pair(media, media));
        expectConsistent();
    }
}

// Names compare byte for byte (case counts, nothing trimmed, a NUL-less name is all 20 bytes); a
// line is shown under the last selected medium of its name. The index finds the nearest lines
// (ties: shorter, then earlier first), counts a range's lines and media, finds media by a fragment
// in either ASCII case (those starting with it first) and knows each medium's displayable lines.
TEST_F(Database, MediaOfALineAndTheIndexOfWhatAUserTypes) {
    CatalogueImage image;
    image.medium("Ar ion", "gas").medium("ar ion", "gas").medium("Ar ion", "solid");
    image.medium("ABCDEFGHIJKLMNOPQRST", "gas").medium("Ar ion ", "gas").medium("Kr\xE9 ar", "gas");
    image.line("Ar ion", 500).line("ABCDEFGHIJKLMNOPQRSTXY", 700).line("Ar ion ", 600);
    image.line(" Ar ion", 700).line("ABCDEFGHIJKLMNOPQRS", -5).line("Kr\xE9 ar", kNaN);
    image.line("ar ion", 700).line("Ar ion", 650);
    load(image.bytes());
    EXPECT_EQ(db.minWavelength, -5);
    EXPECT_EQ(db.maxWavelength, kInf) << "a NaN, which has no place on the axis, counts as beyond";
    db.mediumSelected = {0, 1, 0, 1, 1, 1, 1};
    std::vector<Ids> media;
    Ids shown;
    for (std::int32_t k = -1; k <= 9; ++k)
        media.push_back(mediaOf(k)), shown.push_back(db.shownMedium(k));
    EXPECT_EQ(media, (std::vector<Ids>{{}, {}, {1, 3}, {4}, {5}, {}, {}, {6}, {2}, {1, 3}, {}}));
    EXPECT_EQ(shown, (Ids{0, 0, 3, 4, 5, 0, 0, 6, 0, 3, 0})) << "the last selected of the name";

    const CatalogueIndex index(db);
    EXPECT_EQ(index.nearestLines(650, 3), (Ids{8, 3, 2}));
    EXPECT_EQ(index.nearestLines(1e6, 10), (Ids{2, 4, 7, 8, 3, 1}));
    EXPECT_TRUE(index.nearestLines(kNaN, 5).empty());
    const std::tuple<double, double, std::int32_t, std::int32_t> ranges[] = {
        {700, 700, 3, 2}, {500, 650, 3, 3}, {600, 500, 0, 0}, {-10, 1e9, 6, 5}};
    for (const auto& [low, high, lines, count] : ranges) {
        const CatalogueIndex::RangeCount found = index.countInRange(low, high);
        EXPECT_EQ(std::pair(found.lines, found.media), std::pair(lines, count))
            << low << ".." << high;
    }
    const std::tuple<std::string, std::size_t, Ids, std::int32_t> names[] = {
        {"AR", 10, {1, 2, 3, 5, 6}, 5}, {"ar", 2, {1, 2}, 5}, {"R I", 10, {1, 2, 3, 5}, 4},
        {"kr\xE9", 5, {6}, 1},          {"\xC9", 5, {}, 0},   {"zz", 5, {}, 0}};
    for (const auto& [fragment, limit, found, total] : names) {
        const CatalogueIndex::NameMatches matches = index.mediaMatching(fragment, limit);
        EXPECT_EQ(std::pair(matches.media, matches.total), std::pair(found, total)) << fragment;
    }
    const std::tuple<std::int32_t, std::int32_t, double, double> stats[] = {
        {1, 2, 500, 650}, {4, 1, 700, 700}, {6, 0, 0, 0}};
    for (const auto& [medium, lines, shortest, longest] : stats) {
        const CatalogueIndex::MediumStats& found = index.stats(medium);
        EXPECT_EQ(std::tuple(found.lines, found.shortest, found.longest),
                  std::tuple(lines, shortest, longest))
            << "medium " << medium;
    }
}

// The largest catalogue loads in linear time; a zero-filled one, every name "" and so shared by
// all, would relate 65535 x 65535 pairs (17 GB): the relation stays bounded and says so.
TEST_F(Database, TheLargestCataloguesLoadWithinTimeAndMemory) {
    CatalogueImage largest;
    for (int i = 0; i < kMaxRecords; ++i)
        largest.medium("M" + std::to_string(i), "solid");
    for (int k = 0; k < kMaxRecords; ++k)
        largest.line("M" + std::to_string((k * 7919) % kMaxRecords), 10.0 + k);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(load(largest.bytes()).status, Status::Loaded);
    // A scan of every medium per line (4.3e9 name comparisons) would take seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "not linear";
    EXPECT_EQ(db.maxWavelength, 10.0 + kMaxRecords - 1);
    EXPECT_EQ(mediaOf(kMaxRecords), Ids{((kMaxRecords - 1) * 7919) % kMaxRecords + 1});

    std::vector<std::uint8_t> zeros(kMaxImageSize, 0);
    zeros[0] = zeros[1] = zeros[2] = zeros[3] = 0xFF;
    const LoadReport report = load(zeros, "zeros.dat");
    EXPECT_EQ(report.status, Status::TooManyMatches);
    EXPECT_TRUE(report.damaged);
    EXPECT_EQ(report.message.rfind("zeros.dat: ", 0), 0u) << report.message;
    EXPECT_LE(db.matchMedia.size(), kMaxMediumMatches);
    EXPECT_GT(db.unresolvedTransitions, 0);
    EXPECT_EQ(db.mediaOf(1).size(), std::size_t(kMaxRecords)) << "a resolved line lost media";
    EXPECT_TRUE(db.mediaOf(kMaxRecords).empty());
}

// Texts are cut to their fields, wavelengths stored little-endian; a note is the reserved bytes'
// text up to their first NUL, shown safely whatever they hold.
TEST_F(Database, RecordsKeepTheirFields) {
    const Medium medium = makeMedium("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "liquids");
    EXPECT_EQ(medium.name(), "ABCDEFGHIJKLMNOPQRST") << "a name filling its field has no NUL";
    EXPECT_EQ(medium.phase(), "liquid");
    EXPECT_EQ(medium.bytes[26] | medium.bytes[27], 0);
    // 1.0 is 0x3FF0000000000000, stored little-endian at offset 24; everything else is NUL.
    std::array<std::uint8_t, kTransitionRecordSize> one{'H', 'e', '-', 'N', 'e'};
    one[30] = 0xF0;
    one[31] = 0x3F;
    EXPECT_EQ(makeTransition("He-Ne", 1.0).bytes, one);

    using namespace std::string_literals;
    const std::pair<std::string, std::string> notes[] = {
        {"", ""},
        {"abc\0garbage after it"s, "abc"},
        {"\x01tab\there\x7f\xe6\xff"s, "?tab?here???"},
        {std::string(kNoteFieldSize, 'x'), std::string(kNoteFieldSize, 'x')},
        {"<b>bold</b> &amp;", "<b>bold</b> &amp;"},
    };
    CatalogueImage image;
    for (const auto& [field, shown] : notes) {
        Transition line = makeTransition("Dye", 590.0);
        std::memcpy(line.bytes.data() + kNoteOffset, field.data(), field.size());
        image.line(line);
    }
    // The record after the NUL-free field begins with a medium name: none of it joins the note.
    image.line("Dye", 600.0);
    load(image.bytes());
    for (std::size_t i = 0; i < std::size(notes); ++i) {
        EXPECT_EQ(db.transitions[i + 1].note(), notes[i].second) << "note " << i + 1;
        EXPECT_EQ(db.transitions[i + 1].wavelength(), 590.0) << "the note moved the wavelength";
    }
}

}  // namespace
}  // namespace quorvanta
