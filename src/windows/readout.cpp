// The hover readout: while the pointer rests on the main window's picture with no button held, a
// box beside it names the wavelength under the pointer and every line drawn within reach of it,
// so that lines of media sharing a colour, or whose labels were left out, can still be told apart.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"
#include "database/catalogue_table.h"
#include "spectrum/axis.h"
#include "spectrum/drawn_lines.h"
#include "toolkit/gui_names.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

// The picture: the colour band, its scales and everything above them.
constexpr std::int32_t kPictureRight = 999;
constexpr std::int32_t kPictureBottom = 599;

constexpr std::size_t kMaxLineRows = 8;
constexpr std::size_t kMaxNoteCharacters = 60;

// Palette numbers, for texts on the readout's dark grey.
constexpr std::int32_t kLightGrey = 93;
constexpr std::int32_t kWhite = 124;

// In the program's single-byte texts: the micro sign, and the byte lists show as an ellipsis.
constexpr std::string_view kMicrometres = " \xE6m";
constexpr std::string_view kHorizontalEllipsis = "\x85";

bool onPicture(std::int32_t x, std::int32_t y) {
    return x >= 0 && x <= kPictureRight && y >= 0 && y <= kPictureBottom;
}

// The wavelength at a column of the picture, in nm below 1000 nm and in µm from there on, with
// as many decimals as it takes for the neighbouring columns to read differently.
std::string pointerWavelength(const AxisMapping& mapping, std::int32_t column) {
    const double wavelength = mapping.wavelengthAt(column);
    const double step = std::min(std::abs(mapping.wavelengthAt(column + 1) - wavelength),
                                 std::abs(wavelength - mapping.wavelengthAt(column - 1)));
    const bool micrometres = wavelength >= 1000.0;
    const double unit = micrometres ? 1000.0 : 1.0;
    int decimals = 0;
    if (std::isfinite(step) && step > 0)
        decimals = static_cast<int>(std::clamp(std::ceil(-std::log10(step / unit)), 0.0, 9.0));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, wavelength / unit);
    return text + std::string(micrometres ? kMicrometres : " nm");
}

// A line's wavelength with the digits of its label, and its unit spelled out.
std::string lineWavelength(double wavelength) {
    std::string label = formatWavelength(wavelength);
    if (!label.empty() && label.back() == kMicroSign) {
        label.pop_back();
        return label + std::string(kMicrometres);
    }
    if (label.size() > 2 && label.ends_with("mm")) return label.insert(label.size() - 2, " ");
    return label + " nm";
}

XuiReadoutRow lineRow(const TransitionDatabase& db, const DrawnLine& line) {
    XuiReadoutRow row;
    row.swatch = MediumColour(line.medium);
    row.textColour = kWhite;
    const Transition& transition = db.transitions[std::size_t(line.transition)];
    const Medium& medium = db.media[std::size_t(line.medium)];
    row.cells.push_back(lineWavelength(transition.wavelength()));
    row.cells.push_back(printableAscii(medium.name()) + " (" + printableAscii(medium.phase()) +
                        ")");
    std::string note = transition.note();
    if (note.size() > kMaxNoteCharacters)
        note = note.substr(0, kMaxNoteCharacters) + std::string(kHorizontalEllipsis);
    if (!note.empty()) row.cells.push_back(std::move(note));
    return row;
}

}  // namespace

std::vector<XuiReadoutRow> readoutRows(const DrawnLines& lines, const TransitionDatabase& db,
                                       std::int32_t column) {
    std::vector<XuiReadoutRow> rows;
    rows.push_back({-1, kLightGrey, {pointerWavelength(lines.mapping(), column)}});
    const LinesNear near = lines.near(column, kMaxLineRows);
    for (const DrawnLine& line : near.nearest) {
        // The record and the catalogue belong together; a line the catalogue lacks is left out.
        if (line.transition < 1 || std::size_t(line.transition) >= db.transitions.size() ||
            line.medium < 1 || std::size_t(line.medium) >= db.media.size())
            continue;
        rows.push_back(lineRow(db, line));
    }
    if (near.count > near.nearest.size()) {
        rows.push_back({-1,
                        kLightGrey,
                        {std::string(kHorizontalEllipsis) + " and " +
                         std::to_string(near.count - near.nearest.size()) + " more"}});
    }
    return rows;
}

void hoverReadout(std::int32_t message, std::int32_t x, std::int32_t y, std::int32_t buttons) {
    if (message == msg.WindowMouseMove && buttons == 0 && onPicture(x, y)) {
        const std::vector<XuiReadoutRow> rows =
            readoutRows(program.drawnLines, program.database, x);
        XuiShowReadout(program.mainWindow, x, y, rows);
    } else {
        XuiHideReadout();
    }
}

}  // namespace quorvanta
