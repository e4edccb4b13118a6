#include "wide_ellipse.h"

#include <algorithm>
#include <optional>

#include "ellipse.h"
#include "span.h"
#include "wide_stroke.h"

namespace kd508::raster {
namespace {

// The edge chain is followed row by row. A pen far wider than the surface could still reach it
// from billions of rows away; the rows visited are then thinned to this many per pixel of the
// surface's perimeter (plus a few), and the chain runs straight between the rows visited. Such a
// pen covers the part of the chain it reaches many times over, so the band's edge moves by a
// pixel or so at most, and only for pens no drawing uses.
constexpr std::int64_t visited_rows_per_perimeter_pixel = 1;
constexpr std::int64_t spare_visited_rows = 64;

}  // namespace

void stroke_wide_ellipse(const Surface& surface, const Box& box, std::int64_t width, Pixel colour) {
    if (width <= 0 || box.empty()) return;
    // Once one pen end has covered the whole surface, the rest of the band paints nothing new.
    bool surface_covered = false;
    const auto segment = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
        if (surface_covered) return;
        const Point from{x0, y0}, to{x1, y1};
        if (pen_end_covers_surface(surface, from, width) || pen_end_covers_surface(surface, to, width)) {
            fill_box(surface, Box{0, 0, surface.width, surface.height}, colour);
            surface_covered = true;
            return;
        }
        stroke_wide_segment(surface, from, to, width, colour);
    };
    // A stroke paints no further than this from its path, so rows further from the surface
    // than that add nothing.
    const std::int64_t reach = width / 2 + 1;
    const std::int64_t first = std::max(box.top, -reach - 1);
    const std::int64_t end = std::min(box.bottom, std::int64_t{surface.height} + reach + 1);
    if (first >= end) return;
    const std::int64_t row_budget =
        visited_rows_per_perimeter_pixel * 2 * (std::int64_t{surface.width} + surface.height) + spare_visited_rows;
    const std::int64_t stride = (end - first + row_budget - 1) / row_budget;

    std::int64_t previous = first - 1;
    for (std::int64_t y = first; y < end;) {
        std::int64_t next = y + stride;
        if (next >= end && y != end - 1) next = end - 1;  // always visit the last row
        const std::optional<EllipseRow> row = ellipse_row(box, y);
        const std::optional<EllipseRow> above = ellipse_row(box, previous);
        const std::optional<EllipseRow> below = ellipse_row(box, next < end ? next : y + 1);
        if (row) {
            // The edge pixels of a row are those with a neighbour outside the ellipse: all of the
            // top and bottom rows, and elsewhere the run on either side that the row above or
            // below does not cover.
            if (!above || !below) {
                segment(row->first, y, row->last, y);
            } else {
                const std::int64_t right_run = std::min({row->last, above->last + 1, below->last + 1});
                const std::int64_t left_run = std::max({row->first, above->first - 1, below->first - 1});
                segment(right_run, y, row->last, y);
                segment(row->first, y, left_run, y);
            }
            // The chain steps to the next row diagonally where the edge moves sideways, and
            // straight down where it does not, as the ellipse's trace does.
            if (below && next < end) {
                segment(std::min(row->last, below->last + 1), y, std::min(below->last, row->last + 1), next);
                segment(std::max(row->first, below->first - 1), y, std::max(below->first, row->first - 1), next);
            }
        }
        if (next >= end || surface_covered) break;
        previous = y;
        y = next;
    }
}

}  // namespace kd508::raster
