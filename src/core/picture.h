// The program's picture: a 640 x 480 image of laser lines over a dark ground, drawn in code as an
// 8-bit BMP file in memory and handed to the toolkit from there, so no scratch file is written.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvanta {

inline constexpr int kPictureWidth = 640;
inline constexpr int kPictureHeight = 480;

// The whole BMP file: 14-byte file header, 40-byte information header, 256-entry colour table,
// then one byte per pixel, rows bottom-up.
std::vector<std::uint8_t> programPictureFile();

// Loads the picture into a hidden image grid, program.programImage.
void loadProgramPicture();

}  // namespace quorvanta
