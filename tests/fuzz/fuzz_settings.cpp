// Fuzzes the settings reader: any bytes give four positions; a record the bytes hold whole gives
// its own x and y, any other is (-1, -1); the bytes after 64 change nothing; writing the positions
// back and reading them again gives them unchanged; and the file reader agrees with the bytes.
#include <array>
#include <cstdint>
#include <span>

#include "core/settings_file.h"
#include "fuzz_check.h"

namespace {

using namespace quorvanta;

std::int32_t littleEndianInt32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 |
                                     std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24);
}

bool samePositions(const std::array<StoredPosition, 4>& a, const std::array<StoredPosition, 4>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto positions = parseSettings(bytes);

    std::array<WindowPlacement, 4> placements{};
    for (std::size_t record = 0; record < positions.size(); ++record) {
        const std::size_t offset = record * kSettingsRecordSize;
        if (offset + kSettingsRecordSize <= size) {
            FUZZ_CHECK(positions[record].x == littleEndianInt32(data + offset));
            FUZZ_CHECK(positions[record].y == littleEndianInt32(data + offset + 4));
            placements[record] = {positions[record].x, positions[record].y,
                                  littleEndianInt32(data + offset + 8),
                                  littleEndianInt32(data + offset + 12)};
        } else {
            FUZZ_CHECK(positions[record].x == -1 && positions[record].y == -1);
            placements[record] = {-1, -1, 0, 0};
        }
    }
    const std::size_t fileSize = std::min<std::size_t>(size, kSettingsFileSize);
    FUZZ_CHECK(samePositions(positions, parseSettings(bytes.first(fileSize))));

    const auto written = encodeSettings(placements);
    FUZZ_CHECK(samePositions(positions, parseSettings(written)));
    if (size >= std::size_t(kSettingsFileSize))
        FUZZ_CHECK(std::equal(written.begin(), written.end(), data));

    static fuzz::MemoryFile file;
    FUZZ_CHECK(samePositions(positions, readSettingsFile(file.hold(bytes))));
    return 0;
}
