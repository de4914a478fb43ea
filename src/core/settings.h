// The settings file "Quorvanta.ini": where the four windows stood when the user last quit.
// 64 bytes, four records of x, y, width, height as little-endian int32, in the order main, About,
// medium selection, phase selection.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/program.h"

namespace quorvanta {

inline constexpr const char* kSettingsFileName = "/Quorvanta.ini";
inline constexpr int kSettingsRecordSize = 16;
inline constexpr int kSettingsFileSize = 4 * kSettingsRecordSize;

struct WindowPlacement {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// The stored x and y of each record. A record not wholly present in the file (missing file, short
// file) stores no position: (-1, -1), so that its window is centred.
std::array<StoredPosition, 4> readSettingsFile(const std::string& path);

// Writes the four records to a temporary file beside path and renames it over path, so that a
// crash or a full disk never leaves a damaged settings file. On failure returns false with a
// one-line reason in error, and path is left as it was.
bool writeSettingsFile(const std::string& path, const std::array<WindowPlacement, 4>& records,
                       std::string& error);

// Reads the settings of programDirectory into program.storedPositions.
void readSettings();

// Asks the toolkit where the four windows stand and writes the settings file; a failure is said
// on the console.
void saveSettings();

// The Quit operation: saves the settings, switches the toolkit's help back on, ends the process
// with exit status 0.
[[noreturn]] void quitProgram();

}  // namespace quorvanta
