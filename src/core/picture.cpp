#include "core/picture.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/program.h"
#include "toolkit/toolkit.h"

namespace quorvanta {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kColourCount = 256;
constexpr int kPixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * kColourCount;  // 1078
constexpr int kPixelBytes = kPictureWidth * kPictureHeight;                         // 307200
constexpr int kPixelsPerMetre = 2851;

// Colour table: 0..63 the ground, from near black to a deep blue; then 12 line hues with 16
// brightness steps each (64 + 16 * hue + step).
constexpr int kGroundColours = 64;
constexpr int kSteps = 16;

struct Rgb {
    double r, g, b;
};

// The lines of the picture: wavelength-like hues from violet to deep red, with their column and
// height. The middle band, where the About text stands, is left dark.
struct PictureLine {
    int x;
    int top;
    int bottom;
    Rgb colour;
};

constexpr std::array<PictureLine, 12> kLines = {{
    {52, 40, 170, {0.55, 0.0, 1.0}},
    {101, 70, 170, {0.35, 0.2, 1.0}},
    {148, 30, 170, {0.0, 0.45, 1.0}},
    {203, 90, 170, {0.0, 0.8, 0.9}},
    {251, 55, 170, {0.1, 1.0, 0.4}},
    {302, 20, 170, {0.3, 1.0, 0.0}},
    {347, 75, 170, {0.8, 1.0, 0.0}},
    {398, 45, 170, {1.0, 0.8, 0.0}},
    {447, 25, 170, {1.0, 0.45, 0.0}},
    {497, 85, 170, {1.0, 0.2, 0.0}},
    {548, 50, 170, {1.0, 0.05, 0.05}},
    {596, 65, 170, {0.75, 0.0, 0.05}},
}};

constexpr int kBandTop = 400;
constexpr int kBandBottom = 416;

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::uint8_t channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0), 0L, 255L));
}

// Palette index of a pixel: the brightest line glow there, else the ground.
std::uint8_t pixelAt(int x, int y) {
    double best = 0.0;
    int bestLine = 0;
    for (int i = 0; i < static_cast<int>(kLines.size()); ++i) {
        const PictureLine& line = kLines[i];
        double glow = 0.0;
        if (y >= line.top && y <= line.bottom) {
            // A bright core with a soft halo, fading towards the line's top.
            const double along = static_cast<double>(y - line.top) / (line.bottom - line.top);
            const double distance = std::abs(x - line.x);
            glow = std::exp(-distance / 2.5) * (0.35 + 0.65 * along);
        }
        if (y >= kBandTop && y <= kBandBottom) {
            // The spectrum band: each line's hue spreads sideways along it.
            const double distance = std::abs(x - line.x);
            glow = std::max(glow, 0.55 * std::exp(-distance * distance / 900.0));
        }
        if (glow > best) {
            best = glow;
            bestLine = i;
        }
    }
    const int step = static_cast<int>(best * (kSteps - 1) + 0.5);
    if (step >= 2) return static_cast<std::uint8_t>(kGroundColours + bestLine * kSteps + step);
    // Ground: darkest in the middle rows, where text is written over the picture.
    const double fromMiddle = std::abs(y - 240) / 240.0;
    return static_cast<std::uint8_t>(
        std::min(kGroundColours - 1, static_cast<int>(fromMiddle * 40)));
}

}  // namespace

std::vector<std::uint8_t> programPictureFile() {
    std::vector<std::uint8_t> file;
    file.reserve(kPixelOffset + kPixelBytes);
    file.push_back('B');
    file.push_back('M');
    put32(file, kPixelOffset + kPixelBytes);  // 308278
    put32(file, 0);
    put32(file, kPixelOffset);
    put32(file, kInfoHeaderSize);
    put32(file, kPictureWidth);
    put32(file, kPictureHeight);  // positive: rows bottom-up
    put16(file, 1);
    put16(file, 8);
    put32(file, 0);
    put32(file, kPixelBytes);
    put32(file, kPixelsPerMetre);
    put32(file, kPixelsPerMetre);
    put32(file, kColourCount);
    put32(file, kColourCount);
    for (int i = 0; i < kColourCount; ++i) {
        Rgb c{0, 0, 0};
        if (i < kGroundColours) {
            const double t = i / static_cast<double>(kGroundColours - 1);
            c = {0.008 + 0.03 * t, 0.012 + 0.05 * t, 0.016 + 0.16 * t};
        } else {
            const PictureLine& line =
                kLines[static_cast<std::size_t>((i - kGroundColours) / kSteps) % kLines.size()];
            const double level = ((i - kGroundColours) % kSteps) / static_cast<double>(kSteps - 1);
            // Towards full brightness the core whitens a little, as a bright line does.
            const double white = std::max(0.0, level - 0.8) * 2.0;
            c = {line.colour.r * level + white, line.colour.g * level + white,
                 line.colour.b * level + white};
        }
        file.push_back(channel(c.b));
        file.push_back(channel(c.g));
        file.push_back(channel(c.r));
        file.push_back(0);
    }
    for (int row = kPictureHeight - 1; row >= 0; --row)
        for (int x = 0; x < kPictureWidth; ++x)
            file.push_back(pixelAt(x, row));
    return file;
}

void loadProgramPicture() {
    const std::vector<std::uint8_t> file = programPictureFile();
    std::int32_t host = 0;
    XgrCreateWindow(host, 0, 50, 50, 50, 50, 0, 0);
    XgrCreateGrid(program.programImage, kImageGridType, 0, 0, kPictureWidth, kPictureHeight, host,
                  0, nullptr);
    std::int32_t image = 0;
    XgrLoadImage(file, image);
    XgrSetImage(program.programImage, image);
    XgrReleaseImage(image);
}

}  // namespace quorvanta
