#include "wide_stroke.h"

#include <algorithm>
#include <cmath>

#include "span.h"

namespace kd508::raster {
namespace {

using Real = long double;

// A closed interval of x offsets from the segment's start, possibly empty.
struct Interval {
    Real low = 1;
    Real high = 0;
    bool empty() const { return low > high; }
};

Interval intersect(Interval a, Interval b) {
    return Interval{std::max(a.low, b.low), std::min(a.high, b.high)};
}

Interval ordered(Real a, Real b) { return a <= b ? Interval{a, b} : Interval{b, a}; }

// The disc of the given squared radius around (centre_x, 0), on the row at offset row_y.
Interval disc_on_row(Real centre_x, Real row_y, Real radius_squared) {
    const Real remaining = radius_squared - row_y * row_y;
    if (remaining < 0) return Interval{};
    const Real half = std::sqrt(remaining);
    return Interval{centre_x - half, centre_x + half};
}

// The first pixel centre at or after an x offset, clamped so that it converts safely.
std::int64_t first_centre_at_or_after(Real offset) {
    constexpr Real limit = static_cast<Real>(std::int64_t{1} << 40);
    return static_cast<std::int64_t>(std::ceil(std::clamp(offset, -limit, limit)));
}

}  // namespace

void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour) {
    if (width <= 0) return;
    // Offsets are taken from a, so that the exact integer part stays out of the floating-point
    // arithmetic and ordinary sizes are computed without rounding.
    const Real dx = static_cast<Real>(b.x - a.x);
    const Real dy = static_cast<Real>(b.y - a.y);
    const Real length_squared = dx * dx + dy * dy;
    const Real length = std::sqrt(length_squared);
    const Real radius = static_cast<Real>(width) / 2;
    const Real radius_squared = radius * radius;

    // Rows whose centres lie in [top - width/2, bottom + width/2): for an odd width the bounds
    // fall between rows, for an even one the lower bound row is in and the upper one out.
    const std::int64_t first_row = std::min(a.y, b.y) - width / 2;
    const std::int64_t end_row = std::max(a.y, b.y) + (width + 1) / 2;
    // A stroke wholly left or right of the surface needs no row of work.
    const std::int64_t reach = width / 2 + 1;
    if (std::max(a.x, b.x) + reach < 0 || std::min(a.x, b.x) - reach >= surface.width) return;
    const RowRange rows = visible_rows(surface, first_row, end_row);

    for (int y = rows.begin; y < rows.end; ++y) {
        const Real row_y = static_cast<Real>(y - a.y);
        Interval pieces[3] = {disc_on_row(0, row_y, radius_squared),
                              disc_on_row(dx, row_y - dy, radius_squared), Interval{}};

        // The bar: points whose distance from the segment's line is at most the radius and
        // whose projection falls on the segment.
        if (length_squared > 0) {
            Interval across{-HUGE_VALL, HUGE_VALL};
            if (dy != 0) {
                across = ordered((row_y * dx - radius * length) / dy, (row_y * dx + radius * length) / dy);
            } else if (std::fabs(row_y) > radius) {
                across = Interval{};
            }
            Interval along{-HUGE_VALL, HUGE_VALL};
            if (dx != 0) {
                along = ordered(-row_y * dy / dx, (length_squared - row_y * dy) / dx);
            } else if (row_y * dy < 0 || row_y * dy > length_squared) {
                along = Interval{};
            }
            pieces[2] = intersect(across, along);
        }

        Interval row_extent;
        for (const Interval& piece : pieces) {
            if (piece.empty()) continue;
            row_extent = row_extent.empty()
                             ? piece
                             : Interval{std::min(row_extent.low, piece.low), std::max(row_extent.high, piece.high)};
        }
        if (row_extent.empty()) continue;
        fill_span_clipped(surface, y, a.x + first_centre_at_or_after(row_extent.low),
                          a.x + first_centre_at_or_after(row_extent.high), colour);
    }
}

void stroke_wide_path(const Surface& surface, std::span<const Point> path, bool closed,
                      std::int64_t width, Pixel colour) {
    if (path.empty()) return;
    if (path.size() == 1) {
        stroke_wide_segment(surface, path[0], path[0], width, colour);
        return;
    }
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        stroke_wide_segment(surface, path[i], path[i + 1], width, colour);
    if (closed) stroke_wide_segment(surface, path.back(), path.front(), width, colour);
}

}  // namespace kd508::raster
