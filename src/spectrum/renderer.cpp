#include "spectrum/renderer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/axis.h"
#include "spectrum/pixel.h"
#include "spectrum/spectrum_view.h"
#include "toolkit/toolkit.h"

namespace quorvanta {

namespace {

// Palette numbers: 25 * r + 5 * g + b with levels 0..4.
constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kCyan = 18;
constexpr std::int32_t kDarkGrey = 31;
constexpr std::int32_t kGrey = 62;
constexpr std::int32_t kLightGrey = 93;
constexpr std::int32_t kWhite = 124;

constexpr std::int32_t kHeaderIntensity = 0x2000;  // 16-bit, the same for all three primaries

// The picture's regions in grid coordinates, corners inclusive; rows grow downwards.
struct Box {
    std::int32_t x1, y1, x2, y2;
};
constexpr Box kHeaderBand{0, 0, 984, 85};
constexpr Box kPlotArea{0, 86, 984, 500};
constexpr Box kUpperStrip{0, 500, 1000, 524};
constexpr Box kLowerStrip{0, 576, 1000, 599};
constexpr Box kStartupPictureArea{0, 0, 984, 524};
constexpr Box kColourBand{0, 525, 999, 575};

// Nothing starting at or right of this column is visible on the main grid.
constexpr std::int32_t kGridWidth = 1000;

constexpr std::int32_t kTitleRight = 980;  // the title ends here
constexpr std::int32_t kTitleY = 2;

// The start-up picture: the program's 640 x 480 picture and a version line centred below it.
constexpr std::int32_t kPictureWidth = 640;
constexpr std::int32_t kPictureHeight = 480;
constexpr std::int32_t kPictureX = 180;
constexpr std::int32_t kVersionCentreX = 500;
constexpr std::int32_t kVersionY = 480;

constexpr std::int32_t kCaptionX = 740;
constexpr std::int32_t kCaptionY = 684;
// Both eleven characters, so each caption covers the other completely.
constexpr std::string_view kLinearCaption = "Linear     ";
constexpr std::string_view kLogarithmicCaption = "Logarithmic";

// Legend: columns of eight names in the header band, one 10-pixel row each.
constexpr std::int32_t kLegendLeft = 5;
constexpr std::int32_t kLegendTop = 1;
constexpr std::int32_t kLegendLastTop = 80;  // a name placed below this opens a new column

// Emission lines rise from the top of the colour band; crowded ones climb in steps of 10 pixels
// up to 410 pixels, from where on they carry no label.
constexpr std::int32_t kLineBottom = 524;
constexpr std::int32_t kLineTop = 500;
constexpr std::int32_t kLabelTop = 488;  // 12 pixels above the top of an unraised line
constexpr std::int32_t kStaggerStep = 10;
constexpr std::int32_t kMaxOffset = 410;
constexpr double kLogarithmicLineLimit = 985.0;
constexpr double kLinearLineLimit = 950.0;
constexpr double kLabelRightLimit = 985.0;

constexpr std::int32_t kMediumColours = 64;

// The length of a text in pixels, 8 per character.
std::int64_t textWidth(std::size_t characters) {
    return static_cast<std::int64_t>(characters) * kCharWidth;
}

void fillBox(std::int32_t grid, std::int32_t colour, const Box& box) {
    XgrFillBox(grid, colour, box.x1, box.y1, box.x2, box.y2);
}

void drawTextAt(std::int32_t grid, std::int32_t colour, std::int32_t x, std::int32_t y,
                std::string_view text) {
    XgrSetDrawpoint(grid, x, y);
    XgrDrawText(grid, colour, text);
}

// Medium colours of one redraw: at most 64 distinct ones, each converted on first use.
class MediumPalette {
  public:
    std::int32_t colour(std::int32_t medium) {
        const std::int32_t index = colourIndex(medium);
        if (!converted_[index]) {
            colours_[index] = MediumColour(medium);
            converted_[index] = true;
        }
        return colours_[index];
    }

    static std::int32_t colourIndex(std::int32_t medium) {
        return medium < 1 ? 0 : (medium - 1) % kMediumColours;
    }

  private:
    std::array<std::int32_t, kMediumColours> colours_{};
    std::array<bool, kMediumColours> converted_{};
};

// Label texts of the transitions, kept from one redraw to the next: formatting a wavelength costs
// more than drawing its line and label, and a catalogue's wavelengths do not change once loaded.
// Each entry remembers the wavelength it was made for, so another catalogue is simply formatted
// afresh.
class WavelengthLabels {
  public:
    void prepare(std::int32_t transitions) {
        if (entries_.size() <= std::size_t(transitions))
            entries_.resize(std::size_t(transitions) + 1);
    }

    // The label of transition k (within the prepared count). It stays valid until the label of k
    // is asked for with another wavelength.
    std::string_view of(std::int32_t k, double wavelength) {
        Entry& entry = entries_[std::size_t(k)];
        const auto bits = std::bit_cast<std::uint64_t>(wavelength);
        if (!entry.formatted || entry.bits != bits) {
            entry.text = formatWavelength(wavelength);
            entry.bits = bits;
            entry.formatted = true;
        }
        return entry.text;
    }

  private:
    struct Entry {
        std::uint64_t bits = 0;  // of the wavelength the text was made for
        bool formatted = false;
        std::string text;
    };
    std::vector<Entry> entries_;
};

// One emission line of a redraw, placed by the staggering.
struct PlacedLine {
    std::string_view label;
    std::int32_t medium = 0;
    std::int32_t column = 0;
    std::int32_t offset = 0;
    bool labelled = false;
    bool paintedOver = false;  // a later line in the same column reaches at least as high
};

// What the emission lines keep between redraws only to save allocations and formatting.
struct EmissionLineScratch {
    WavelengthLabels labels;
    std::vector<PlacedLine> lines;
};

EmissionLineScratch& emissionLineScratch() {
    static EmissionLineScratch scratch;
    return scratch;
}

// The part of an array that a count says is in use, never beyond what the array holds.
template <typename Vector>
std::int32_t usedCount(std::int32_t count, const Vector& array) {
    const auto available = static_cast<std::int64_t>(array.size()) - 1;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(count, 0, std::max<std::int64_t>(available, 0)));
}

void drawBackground(std::int32_t grid) {
    fillBox(grid, kBlack, kPlotArea);
    fillBox(grid, kBlack, kUpperStrip);
    fillBox(grid, kBlack, kLowerStrip);
    std::int32_t header = 0;
    XgrConvertRGBToColor(kHeaderIntensity, kHeaderIntensity, kHeaderIntensity, header);
    fillBox(grid, header, kHeaderBand);
}

void drawTitle(std::int32_t grid, const SpectrumScene& scene) {
    const std::string title = std::string(scene.programName) + " " + std::string(scene.version);
    drawTextAt(grid, kDarkGrey, kTitleRight - static_cast<std::int32_t>(textWidth(title.size())),
               kTitleY, title);
}

void drawStartupPicture(std::int32_t grid, const SpectrumScene& scene) {
    fillBox(grid, kBlack, kStartupPictureArea);
    XgrDrawImage(grid, scene.picture, 0, 0, kPictureWidth, kPictureHeight, kPictureX, 0);
    const std::string version =
        "Version " + std::string(scene.version) + std::string(scene.makersNotice);
    drawTextAt(grid, kCyan,
               kVersionCentreX - static_cast<std::int32_t>(textWidth(version.size()) / 2),
               kVersionY, version);
}

void drawScaleCaption(std::int32_t grid, std::int32_t scale) {
    XgrSetDrawpoint(grid, kCaptionX, kCaptionY);
    XgrDrawTextFill(grid, kBlack, scale == Linear ? kLinearCaption : kLogarithmicCaption);
}

void drawLegend(std::int32_t grid, const TransitionDatabase& db, MediumPalette& palette) {
    const std::int32_t media =
        std::min(usedCount(db.mediumCount, db.media), usedCount(db.mediumCount, db.mediumSelected));
    std::int64_t x = kLegendLeft;
    std::int32_t y = kLegendTop;
    std::size_t columnWidth = 0;  // characters of the column's longest name
    for (std::int32_t m = 1; m <= media; ++m) {
        if (db.mediumSelected[std::size_t(m)] != 1) continue;
        // Columns only move right: once they have left the grid, no later name can show.
        if (x >= kGridWidth) break;
        const std::string_view name = db.media[std::size_t(m)].name();
        drawTextAt(grid, palette.colour(m), static_cast<std::int32_t>(x), y, name);
        columnWidth = std::max(columnWidth, name.size());
        y += kCharHeight;
        if (y > kLegendLastTop) {
            y = kLegendTop;
            x += textWidth(columnWidth + 1);
            columnWidth = 0;
        }
    }
}

void paintColourBand(std::int32_t grid, const SpectrumView& view) {
    const ColourBandPlan plan = colourBandPlan(view);
    if (plan.wholeBandFirst) fillBox(grid, WavelengthColour(plan.wholeBandWavelength), kColourBand);
    for (const BandBlock& block : plan.blocks) {
        XgrFillBox(grid, WavelengthColour(block.wavelength), block.x1, kColourBand.y1, block.x2,
                   kColourBand.y2);
    }
}

void drawTicks(std::int32_t grid, const SpectrumView& view) {
    const AxisTicks ticks = axisTicks(view);
    for (const AxisMark& mark : ticks.marks) {
        std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!roundToPixel(mark.x1, x1) || !roundToPixel(mark.y1, y1) ||
            !roundToPixel(mark.x2, x2) || !roundToPixel(mark.y2, y2)) {
            continue;
        }
        if (mark.kind == AxisMark::Kind::Line) {
            XgrDrawLine(grid, kLightGrey, x1, y1, x2, y2);
        } else {
            XgrFillBox(grid, kLightGrey, x1, y1, x2, y2);
        }
    }
    for (const AxisLabel& label : ticks.labels) {
        std::int32_t x = 0;
        if (!roundToPixel(label.x, x)) continue;
        drawTextAt(grid, kGrey, x, label.upperY, label.text);
        drawTextAt(grid, kGrey, x, label.lowerY, label.text);
    }
}

// Lines of the selected media in stored order, each labelled with its wavelength in its medium's
// colour. A line closer to the previous drawn one than its label's width plus two characters
// climbs 10 pixels above it, so that crowded labels stay readable.
void drawEmissionLines(const SpectrumScene& scene, const AxisMapping& mapping,
                       ShownMediumLookup lookup, MediumPalette& palette) {
    const std::int32_t grid = scene.grid;
    const TransitionDatabase& db = scene.database;
    SpectrumView& view = scene.view;
    const double lineLimit = mapping.scale == Linear ? kLinearLineLimit : kLogarithmicLineLimit;
    const std::int32_t transitions = usedCount(db.transitionCount, db.transitions);
    EmissionLineScratch& scratch = emissionLineScratch();
    scratch.labels.prepare(transitions);
    std::vector<PlacedLine>& lines = scratch.lines;
    lines.clear();

    DrawnLines* const record = scene.drawnLines;
    if (record) record->start(mapping);

    double previousX = 0.0;
    std::int32_t offset = 0;
    for (std::int32_t k = 1; k <= transitions; ++k) {
        const std::int32_t medium = lookup(db, k);
        if (medium == 0) continue;
        const double wavelength = db.transitions[std::size_t(k)].wavelength();
        // The extent counts lines outside the displayed range too, but only finite wavelengths:
        // "Zoom All" fits its view to the extent, and NaN or infinity is no place to go.
        if (std::isfinite(wavelength)) {
            if (wavelength > view.selectedMax) view.selectedMax = wavelength;
            if (wavelength < view.selectedMin) view.selectedMin = wavelength;
        }

        const double x = mapping.xOf(wavelength);
        // No position (0 nm or below on the logarithmic scale, NaN, infinities): the line takes no
        // part in the picture, not even in the staggering.
        if (!std::isfinite(x) || !(x < lineLimit)) continue;

        const std::string_view label = scratch.labels.of(k, wavelength);
        const std::int64_t labelWidth = textWidth(label.size());
        const double gap = static_cast<double>(labelWidth + 2 * kCharWidth);
        offset = std::abs(x - previousX) < gap ? std::min(offset + kStaggerStep, kMaxOffset) : 0;
        previousX = x;

        PlacedLine line;
        line.label = label;
        line.medium = medium;
        roundToPixel(x, line.column);  // x is finite here
        line.offset = offset;
        // Labels wholly left of the picture are not painted; their staggering counts.
        line.labelled = offset < kMaxOffset &&
                        x < kLabelRightLimit - static_cast<double>(labelWidth) &&
                        line.column + labelWidth > 0;
        lines.push_back(line);
        if (record) record->add(x, line.column, k, medium);
    }
    if (record) record->finish();

    // All lines are white and rise from the band, so a line is painted over entirely by any later
    // one in its column that reaches at least as high, whatever is drawn in between; such lines,
    // and lines left of the picture, are not painted. In crowded views that is most of them.
    std::array<std::int32_t, kGridWidth> laterTop;
    laterTop.fill(std::numeric_limits<std::int32_t>::max());
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->column < 0 || line->column >= kGridWidth) {
            line->paintedOver = line->column < 0;
            continue;
        }
        std::int32_t& top = laterTop[std::size_t(line->column)];
        const std::int32_t lineTop = kLineTop - line->offset;
        if (top <= lineTop) {
            line->paintedOver = true;
        } else {
            top = lineTop;
        }
    }

    for (const PlacedLine& line : lines) {
        if (!line.paintedOver) {
            XgrDrawLine(grid, kWhite, line.column, kLineBottom, line.column,
                        kLineTop - line.offset);
        }
        if (line.labelled) {
            drawTextAt(grid, palette.colour(line.medium), line.column, kLabelTop - line.offset,
                       line.label);
        }
    }
}

}  // namespace

std::int32_t shownMediumResolved(const TransitionDatabase& db, std::int32_t k) {
    return db.shownMedium(k);
}

std::int32_t shownMediumByFullScan(const TransitionDatabase& db, std::int32_t k) {
    if (k < 1 || k > usedCount(db.transitionCount, db.transitions)) return 0;
    const std::string_view name = db.transitions[std::size_t(k)].mediumName();
    const std::int32_t media =
        std::min(usedCount(db.mediumCount, db.media), usedCount(db.mediumCount, db.mediumSelected));
    std::int32_t shown = 0;
    // No early exit: the last matching medium is the line's medium.
    for (std::int32_t j = 1; j <= media; ++j) {
        if (db.mediumSelected[std::size_t(j)] == 1 && db.media[std::size_t(j)].name() == name) {
            shown = j;
        }
    }
    return shown;
}

void drawSpectrum(const SpectrumScene& scene, double centre, double width,
                  ShownMediumLookup lookup) {
    const std::int32_t grid = scene.grid;
    SpectrumView& view = scene.view;
    SpectrumView drawn = view;
    drawn.viewCentre = centre;
    drawn.viewWidth = width;
    const AxisMapping mapping = drawn.mapping();

    view.selectedMin = view.upperBound;
    view.selectedMax = view.lowerBound;

    MediumPalette palette;
    drawBackground(grid);
    drawTitle(grid, scene);
    if (scene.passCount == 2) drawStartupPicture(grid, scene);
    drawScaleCaption(grid, view.scale);
    drawLegend(grid, scene.database, palette);
    paintColourBand(grid, drawn);
    drawTicks(grid, drawn);
    drawEmissionLines(scene, mapping, lookup, palette);
}

Intensities mediumIntensities(std::int32_t m) {
    const std::int32_t v = kMediumColours - 1 - MediumPalette::colourIndex(m);
    auto bit = [v](int i) { return (v >> i) & 1; };
    // A quarter intensity for every primary, plus a half and a quarter from two bits each.
    constexpr std::int32_t kBase = 16383, kHalf = 32768, kQuarter = 16384;
    return {kBase + kHalf * bit(0) + kQuarter * bit(5), kBase + kHalf * bit(1) + kQuarter * bit(4),
            kBase + kHalf * bit(2) + kQuarter * bit(3)};
}

std::int32_t MediumColour(std::int32_t m) {
    const Intensities c = mediumIntensities(m);
    std::int32_t colour = 0;
    XgrConvertRGBToColor(c.red, c.green, c.blue, colour);
    return colour;
}

std::int32_t WavelengthColour(double wavelength) {
    const Intensities c = wavelengthIntensities(wavelength);
    std::int32_t colour = 0;
    XgrConvertRGBToColor(c.red, c.green, c.blue, colour);
    return colour;
}

void drawColourBand(std::int32_t grid, const SpectrumView& view) {
    paintColourBand(grid, view);
}

}  // namespace quorvanta
