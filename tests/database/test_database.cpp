// The catalogue model: its records, loading images and files whole, cut short or damaged, the media
// a line belongs to, the Find window's index and the notes of lines.
#include <gtest/gtest.h>

#include <array>
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
// rest is reported: length, status, media and lines loaded, the message's own part.
constexpr std::size_t kMediaEnd = kHeaderSize + 3 * kMediumRecordSize;
constexpr std::size_t kFull = kMediaEnd + 4 * kTransitionRecordSize;
const std::tuple<std::size_t, Status, std::int32_t, std::int32_t, std::string> kLengths[] = {
    {1, TooShortForHeader, 0, 0, "1 byte, fewer than the 6-byte header; loaded nothing."},
    {5, TooShortForHeader, 0, 0, "5 bytes, fewer than the 6-byte header; loaded nothing."},
    {kHeaderSize, Truncated, 0, 0, "loaded 0 media and 0 transitions."},
    {kHeaderSize + kMediumRecordSize, Truncated, 1, 0, "loaded 1 medium and 0 transitions."},
    {kMediaEnd - 1, Truncated, 2, 0, "loaded 2 media and 0 transitions."},
    {kMediaEnd, Truncated, 3, 0, "loaded 3 media and 0 transitions."},
    {kMediaEnd + kTransitionRecordSize, Truncated, 3, 1, "loaded 3 media and 1 transition."},
    {kFull - 1, Truncated, 3, 3, "loaded 3 media and 3 transitions."},
    {kFull, Loaded, 3, 4, ""},
    {kFull + 1, Loaded, 3, 4, ""},
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

    for (const auto& [length, status, media, lines, part] : kLengths) {
        SCOPED_TRACE("length " + std::to_string(length));
        const LoadReport report = load(std::span(padded).first(length), "cut.dat");
        EXPECT_EQ(report.status, status);
        EXPECT_EQ(report.damaged, status != Status::Loaded);
        EXPECT_EQ(std::pair(db.mediumCount, db.transitionCount), std::pair(media, lines));
        expectConsistent();
        for (std::int32_t i = 1; i <= db.mediumCount; ++i)
            EXPECT_EQ(db.media[i].bytes, image.media()[i - 1].bytes);
        for (std::int32_t k = 1; k <= db.transitionCount; ++k)
            EXPECT_EQ(db.transitions[k].bytes, image.transitions()[k - 1].bytes);
        // The extremes come from the loaded lines only; the 5 nm line is the last.
        const double mins[] = {kMinSeed, 632.816, 632.816, 632.816, 5.0};
        const double maxes[] = {kMaxSeed, 632.816, 694.3, 694.3, 694.3};
        EXPECT_EQ(std::pair(db.minWavelength, db.maxWavelength),
                  std::pair(mins[lines], maxes[lines]));
        // The message names the file and ends with what was loaded; check of quorvanta-db shows
        // the whole of it.
        EXPECT_TRUE(part.empty()
                        ? report.message.empty()
                        : report.message.starts_with("cut.dat: ") && report.message.ends_with(part))
            << report.message;
        // A whole file is written back as it was read, the phase count in its header included.
        EXPECT_TRUE(status != Loaded || serializeTransitionDatabase(db) == full) << "written back";
    }
}

// One model loaded from a file again and again, as the viewer reloads it: each load replaces it. A
// zero-filled file names every line "" and so every medium: the 65535 x 65535 pairs (17 GB) of
// that relation stay bounded, and the report says so.
TEST_F(Database, EachLoadOfAFileReplacesTheWholeModel) {
    testing::TempDir dir;
    const std::string path = (dir / "wavelength.dat").string(), zeros = (dir / "zeros").string();
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
    std::vector<std::uint8_t> zeroFilled(kMaxImageSize, 0);
    zeroFilled[0] = zeroFilled[1] = zeroFilled[2] = zeroFilled[3] = 0xFF;
    testing::writeFile(zeros, zeroFilled);
    const std::tuple<std::string, Status, std::int32_t, std::string> loads[] = {
        {path, Status::Truncated, 1, path + ": header promises 1 medium and 2 transitions (332"},
        {path + "x", Status::Missing, 0, path + "x: no such file; the catalogue is empty."},
        {zeros, Status::TooManyMatches, kMaxRecords, zeros + ": "},
    };
    for (const auto& [file, status, media, said] : loads) {
        SCOPED_TRACE(file);
        const LoadReport report = loadTransitionDatabaseFile(file, db);
        EXPECT_EQ(report.status, status);
        EXPECT_EQ(report.damaged, status != Status::Missing);
        EXPECT_EQ(report.message.substr(0, said.size()), said);
        EXPECT_EQ(std::pair(db.mediumCount, db.transitionCount), std::pair(media, media));
        expectConsistent();
    }
    EXPECT_LE(db.matchMedia.size(), kMaxMediumMatches);
    EXPECT_EQ(db.mediaOf(1).size(), std::size_t(kMaxRecords)) << "a resolved line lost media";
    EXPECT_TRUE(db.mediaOf(kMaxRecords).empty()) << "an unresolved line has media";
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
