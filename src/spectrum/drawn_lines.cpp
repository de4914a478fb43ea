#include "spectrum/drawn_lines.h"

#include <algorithm>
#include <cmath>

namespace quorvanta {

void DrawnLines::start(const AxisMapping& mapping) {
    mapping_ = mapping;
    drawn_.clear();
    drawnColumns_.clear();
    ordered_ = false;
}

// A counting sort of the lines' numbers, which keeps the drawing order within each column, in
// time linear in the lines and over compact arrays: it runs in every redraw, beside the drawing.
void DrawnLines::orderByColumn() const {
    std::fill(columnStart_.begin(), columnStart_.end(), 0u);
    for (const std::int16_t column : drawnColumns_)
        ++columnStart_[std::size_t(column) + 1];
    for (std::size_t c = 1; c < columnStart_.size(); ++c)
        columnStart_[c] += columnStart_[c - 1];
    byColumn_.resize(drawn_.size());
    std::vector<std::uint32_t> next(columnStart_.begin(), columnStart_.end() - 1);
    for (std::uint32_t i = 0; i < drawnColumns_.size(); ++i)
        byColumn_[next[std::size_t(drawnColumns_[i])]++] = i;
    ordered_ = true;
}

LinesNear DrawnLines::near(std::int32_t column, std::size_t limit) const {
    if (!ordered_) orderByColumn();
    LinesNear found;
    const std::int64_t first =
        std::max<std::int64_t>(std::int64_t{column} - kHitColumns, kFirstColumn);
    const std::int64_t last =
        std::min<std::int64_t>(std::int64_t{column} + kHitColumns, kLastColumn);
    if (first > last) return found;
    std::vector<DrawnLine>& lines = found.nearest;
    for (std::uint32_t i = columnStart_[std::size_t(first - kFirstColumn)];
         i < columnStart_[std::size_t(last - kFirstColumn) + 1]; ++i)
        lines.push_back(drawn_[byColumn_[i]]);
    found.count = lines.size();
    const double at = column;
    auto nearer = [at](const DrawnLine& a, const DrawnLine& b) {
        const double da = std::abs(double{a.x} - at), db = std::abs(double{b.x} - at);
        return da != db ? da < db : a.transition < b.transition;
    };
    const std::size_t kept = std::min(limit, lines.size());
    std::partial_sort(lines.begin(), lines.begin() + std::ptrdiff_t(kept), lines.end(), nearer);
    lines.resize(kept);
    return found;
}

}  // namespace quorvanta
