#include "spectrum/drawn_lines.h"

#include <algorithm>
#include <cmath>

namespace quorvanta {

void DrawnLines::start(const AxisMapping& mapping) {
    mapping_ = mapping;
    pending_.clear();
}

void DrawnLines::finish() {
    // A counting sort by column keeps the drawing order within each column, in time linear in
    // the lines: a redraw of 65,535 lines must not pay for a comparison sort.
    std::fill(columnStart_.begin(), columnStart_.end(), 0u);
    for (const DrawnLine& line : pending_)
        ++columnStart_[std::size_t(line.column - kFirstColumn) + 1];
    for (std::size_t c = 1; c < columnStart_.size(); ++c)
        columnStart_[c] += columnStart_[c - 1];
    byColumn_.resize(pending_.size());
    std::vector<std::uint32_t> next(columnStart_.begin(), columnStart_.end() - 1);
    for (const DrawnLine& line : pending_)
        byColumn_[next[std::size_t(line.column - kFirstColumn)]++] = line;
}

LinesNear DrawnLines::near(std::int32_t column, std::size_t limit) const {
    LinesNear found;
    const std::int64_t first =
        std::max<std::int64_t>(std::int64_t{column} - kHitColumns, kFirstColumn);
    const std::int64_t last =
        std::min<std::int64_t>(std::int64_t{column} + kHitColumns, kLastColumn);
    if (first > last || byColumn_.empty()) return found;
    const auto begin = byColumn_.begin() + columnStart_[std::size_t(first - kFirstColumn)];
    const auto end = byColumn_.begin() + columnStart_[std::size_t(last - kFirstColumn) + 1];
    std::vector<DrawnLine>& lines = found.nearest;
    lines.assign(begin, end);
    found.count = lines.size();
    const double at = column;
    auto nearer = [at](const DrawnLine& a, const DrawnLine& b) {
        const double da = std::abs(a.x - at), db = std::abs(b.x - at);
        return da != db ? da < db : a.transition < b.transition;
    };
    const std::size_t kept = std::min(limit, lines.size());
    std::partial_sort(lines.begin(), lines.begin() + std::ptrdiff_t(kept), lines.end(), nearer);
    lines.resize(kept);
    return found;
}

}  // namespace quorvanta
