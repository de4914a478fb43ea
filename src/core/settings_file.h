// The settings file "Quorvanta.ini": where the four windows stood when the user last quit.
// 64 bytes, four records of x, y, width, height as little-endian int32, in the order main, About,
// medium selection, phase selection.
//
// This unit only reads and writes the bytes; it knows nothing of windows or the toolkit, so that
// the reader can be tested and fuzzed on its own.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace quorvanta {

inline constexpr const char* kSettingsFileName = "/Quorvanta.ini";
inline constexpr int kSettingsRecordSize = 16;
inline constexpr int kSettingsFileSize = 4 * kSettingsRecordSize;

// Records of the settings file, and the windows they place, in file order.
enum WindowRecordIndex : int { MainRecord = 0, AboutRecord = 1, MediaRecord = 2, PhaseRecord = 3 };

// Where a window is put at start-up; (-1, -1) stores no position: the window is centred.
struct StoredPosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct WindowPlacement {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// The stored x and y of each record of a settings file's bytes. A record not wholly present (short
// or empty file) stores no position: (-1, -1). Bytes after the fourth record are ignored.
std::array<StoredPosition, 4> parseSettings(std::span<const std::uint8_t> bytes);

// The file's bytes for four records.
std::array<std::uint8_t, kSettingsFileSize> encodeSettings(
    const std::array<WindowPlacement, 4>& records);

// parseSettings of the file's first 64 bytes; a missing or unreadable file stores no positions.
std::array<StoredPosition, 4> readSettingsFile(const std::string& path);

// Writes the four records to a temporary file beside path and renames it over path, so that a
// crash or a full disk never leaves a damaged settings file. On failure returns false with a
// one-line reason in error, and path is left as it was.
bool writeSettingsFile(const std::string& path, const std::array<WindowPlacement, 4>& records,
                       std::string& error);

}  // namespace quorvanta
