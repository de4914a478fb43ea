// The emission lines of the last picture as the renderer drew them, found again by column: what
// the hover readout names. Lines are kept only where a pointer on the picture can reach them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "spectrum/spectrum_view.h"

namespace quorvanta {

// A line is under the pointer when its column lies within this many columns of the pointer's.
inline constexpr std::int32_t kHitColumns = 3;

struct DrawnLine {
    float x = 0.0f;               // position on the axis, in pixels
    std::int32_t column = 0;      // the column it was drawn in: x rounded
    std::int32_t transition = 0;  // its number in the database, which is also its drawing order
    std::int32_t medium = 0;      // the medium it was drawn for, in that medium's colour
};

struct LinesNear {
    std::vector<DrawnLine> nearest;  // nearest first, at most the limit asked for
    std::size_t count = 0;           // every line within reach, the nearest included
};

class DrawnLines {
  public:
    // Begins the record of a picture drawn with the given mapping; forgets the last one.
    void start(const AxisMapping& mapping);
    // A line as drawn, in drawing order. Lines out of every pointer's reach are not kept.
    void add(double x, std::int32_t column, std::int32_t transition, std::int32_t medium) {
        if (column < kFirstColumn || column > kLastColumn) return;
        drawn_.push_back({static_cast<float>(x), column, transition, medium});
        drawnColumns_.push_back(static_cast<std::int16_t>(column - kFirstColumn));
        ordered_ = false;
    }

    // Ends the picture: orders its lines by column for the lookups (else the first lookup does).
    void finish() const { orderByColumn(); }

    const AxisMapping& mapping() const { return mapping_; }
    // Lines kept from the last picture.
    std::size_t size() const { return drawn_.size(); }

    // The lines drawn within kHitColumns of column, nearest first: by the distance of their x
    // from the column, then in drawing order. At most limit of them; count says how many in all.
    LinesNear near(std::int32_t column, std::size_t limit) const;

  private:
    // The pointer's columns are those of the picture, 0 to 999.
    static constexpr std::int32_t kFirstColumn = -kHitColumns;
    static constexpr std::int32_t kLastColumn = 999 + kHitColumns;
    static constexpr std::size_t kColumns = kLastColumn - kFirstColumn + 1;

    void orderByColumn() const;

    AxisMapping mapping_;
    std::vector<DrawnLine> drawn_;            // drawing order
    std::vector<std::int16_t> drawnColumns_;  // their columns from kFirstColumn, kept compact
    // The lines by column, as indices into drawn_: those of column c are
    // byColumn_[columnStart_[c - kFirstColumn] .. columnStart_[c - kFirstColumn + 1]).
    mutable bool ordered_ = true;
    mutable std::vector<std::uint32_t> byColumn_;
    mutable std::vector<std::uint32_t> columnStart_ = std::vector<std::uint32_t>(kColumns + 1, 0);
};

}  // namespace quorvanta
