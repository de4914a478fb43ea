// The settings file on disk: reading whole and partial records, and replacing it atomically.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <span>

#include "common/temp_dir.h"
#include "core/settings.h"

namespace quorvanta::testing {
namespace {

std::vector<std::uint8_t> records(std::initializer_list<std::int32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(
                static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> shift) & 0xFF));
    return bytes;
}

TEST(SettingsFile, ReadsStoredPositionsAndCentresWhatIsNotWhollyThere) {
    TempDir dir;
    struct Row {
        const char* name;
        std::optional<std::vector<std::uint8_t>> file;
        std::array<std::int32_t, 8> expected;
    };
    const std::vector<std::uint8_t> full =
        records({140, 162, 1000, 700, 320, 210, 640, 504, -1, 5, 152, 402, 7, -300, 200, 47});
    std::vector<std::uint8_t> shortFile(full.begin(), full.begin() + 36);  // two records and a bit
    std::vector<std::uint8_t> longer = full;
    longer.insert(longer.end(), 10, 0xAB);
    const Row rows[] = {
        {"missing", std::nullopt, {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"empty", std::vector<std::uint8_t>{}, {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"full", full, {140, 162, 320, 210, -1, 5, 7, -300}},
        {"short", shortFile, {140, 162, 320, 210, -1, -1, -1, -1}},
        {"longer than 64 bytes", longer, {140, 162, 320, 210, -1, 5, 7, -300}},
    };
    for (const Row& row : rows) {
        const auto path = dir / (std::string(row.name) + ".ini");
        if (row.file) writeFile(path, *row.file);
        const auto positions = readSettingsFile(path.string());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(positions[i].x, row.expected[2 * i]) << row.name << " record " << i;
            EXPECT_EQ(positions[i].y, row.expected[2 * i + 1]) << row.name << " record " << i;
        }
    }
    // What is not a regular file holds no settings; a named pipe with no writer must not keep
    // the program from starting.
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder.ini");
    for (const char* name : {"pipe.ini", "folder.ini"})
        for (const StoredPosition& p : readSettingsFile((dir / name).string()))
            EXPECT_TRUE(p.x == -1 && p.y == -1) << name;
}

TEST(SettingsBytes, ParseKeepsXAndYOfWholeRecordsOnly) {
    const std::vector<std::uint8_t> full =
        records({140, 162, 1000, 700, 320, 210, 640, 504, -1, 5, 152, 402, 7, -300, 200, 47});
    struct Row {
        const char* name;
        std::size_t length;
        std::array<std::int32_t, 8> expected;
    };
    const Row rows[] = {
        {"no bytes", 0, {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"one byte short of the first record", 15, {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"first record only", 16, {140, 162, -1, -1, -1, -1, -1, -1}},
        {"one byte short of the last record", 63, {140, 162, 320, 210, -1, 5, -1, -1}},
        {"all four", 64, {140, 162, 320, 210, -1, 5, 7, -300}},
    };
    for (const Row& row : rows) {
        const auto positions = parseSettings(std::span(full).first(row.length));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(positions[i].x, row.expected[2 * i]) << row.name << " record " << i;
            EXPECT_EQ(positions[i].y, row.expected[2 * i + 1]) << row.name << " record " << i;
        }
    }
}

TEST(SettingsBytes, EncodeWritesWhatParseReadsBack) {
    const std::array<WindowPlacement, 4> placements = {{{INT32_MIN, INT32_MAX, 1000, 700},
                                                        {-1, -1, 640, 504},
                                                        {-5, 70000, 152, 402},
                                                        {0, 0, 0, 0}}};
    const auto bytes = encodeSettings(placements);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
              records({INT32_MIN, INT32_MAX, 1000, 700, -1, -1, 640, 504, -5, 70000, 152, 402, 0, 0,
                       0, 0}));
    const auto positions = parseSettings(bytes);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(positions[i].x, placements[i].x) << "record " << i;
        EXPECT_EQ(positions[i].y, placements[i].y) << "record " << i;
    }
}

TEST(SettingsFile, WritesFourLittleEndianRecordsInPlaceOfTheOldFile) {
    TempDir dir;
    const auto path = dir / "Quorvanta.ini";
    writeFile(path, std::string(100, 'x'));
    std::string error;
    const std::array<WindowPlacement, 4> placements = {
        {{140, 162, 1000, 700}, {-1, -1, 640, 504}, {-5, 70000, 152, 402}, {0, 0, 200, 47}}};
    ASSERT_TRUE(writeSettingsFile(path.string(), placements, error)) << error;
    EXPECT_EQ(readBytes(path),
              records({140, 162, 1000, 700, -1, -1, 640, 504, -5, 70000, 152, 402, 0, 0, 200, 47}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary left";
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::others_read)
        << "an ordinary file, not a private temporary";
    const auto positions = readSettingsFile(path.string());
    EXPECT_EQ(positions[1].x, -1) << "a window quit at (-1, -1) is centred next time";
}

// Links standing where the settings file or a temporary might go are replaced, never written
// through: one pointing at the catalogue must not cost the user the catalogue.
TEST(SettingsFile, NeverWritesThroughALink) {
    TempDir dir;
    const std::vector<std::uint8_t> catalogue = records({9, 9, 9});
    writeFile(dir / "wavelength.dat", catalogue);
    std::filesystem::create_symlink("wavelength.dat", dir / "Quorvanta.ini");
    std::filesystem::create_symlink("wavelength.dat", dir / "Quorvanta.ini.new");
    std::string error;
    ASSERT_TRUE(writeSettingsFile((dir / "Quorvanta.ini").string(), {}, error)) << error;
    EXPECT_EQ(readBytes(dir / "wavelength.dat"), catalogue);
    EXPECT_TRUE(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(dir / "Quorvanta.ini")));
    EXPECT_EQ(readBytes(dir / "Quorvanta.ini").size(), kSettingsFileSize);
}

// Failures that stop root too: a folder where the file goes, and no folder at all.
TEST(SettingsFile, AFailedWriteSaysWhyAndLeavesNothingBehind) {
    TempDir dir;
    const auto path = dir / "Quorvanta.ini";
    std::filesystem::create_directory(path);
    writeFile(path / "keep", records({1, 2, 3, 4}));
    std::string error;
    EXPECT_FALSE(writeSettingsFile(path.string(), {}, error));
    EXPECT_NE(error.find("cannot replace " + path.string()), std::string::npos) << error;
    EXPECT_EQ(readBytes(path / "keep"), records({1, 2, 3, 4}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary left";
    EXPECT_FALSE(writeSettingsFile((dir / "no-such-folder" / "Quorvanta.ini").string(), {}, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

}  // namespace
}  // namespace quorvanta::testing
