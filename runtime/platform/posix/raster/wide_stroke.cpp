#include "wide_stroke.h"

#include <algorithm>
#include <cmath>

#include "ellipse.h"
#include "exact_division.h"
#include "polygon_fill.h"

namespace kd508::raster {
namespace {

// Up to this width the corner offsets are decided in exact integers (the squares below stay
// within 128 bits); a wider pen is far wider than any surface, and long double places its
// corners to well within a pixel.
constexpr std::int64_t exact_width_limit = std::int64_t{1} << 24;

std::int64_t magnitude(std::int64_t value) { return value < 0 ? -value : value; }
std::int64_t sign(std::int64_t value) { return (value > 0) - (value < 0); }

// The largest integer not above sqrt(n), for n >= 0.
Wide floor_sqrt(Wide n) {
    Wide root = static_cast<Wide>(std::sqrt(static_cast<long double>(n)));
    while (root > 0 && root * root > n) --root;
    while ((root + 1) * (root + 1) <= n) ++root;
    return root;
}

// floor(width * |along| / length) for the segment (dx, dy): twice the exact offset of a body
// corner along the axis of `along`, rounded down.
std::int64_t doubled_offset_floor(std::int64_t width, std::int64_t along, std::int64_t dx, std::int64_t dy) {
    if (width < exact_width_limit) {
        const Wide stretched = static_cast<Wide>(width) * magnitude(along);
        const Wide length_squared = static_cast<Wide>(dx) * dx + static_cast<Wide>(dy) * dy;
        return static_cast<std::int64_t>(floor_sqrt(stretched * stretched / length_squared));
    }
    using Real = long double;
    const Real length = std::hypot(static_cast<Real>(dx), static_cast<Real>(dy));
    return static_cast<std::int64_t>(std::floor(static_cast<Real>(width) * static_cast<Real>(magnitude(along)) / length));
}

// Offsets of the body's corners from the end points, on either side of the path.
struct BodyCorners {
    Point right_side;  // the side towards +x; below the path when it is horizontal
    Point left_side;
};

// The reference moves each end point half the width along the segment's normal and rounds
// the offsets to whole pixels unevenly, which these rules reproduce:
//   - on the right side (below a horizontal path) each offset is the next whole pixel beyond
//     the exact one, as if to make up for the fill leaving out pixel centres on right and
//     bottom edges;
//   - on the left side (above a horizontal path) each offset is rounded to the nearest pixel.
// An exact offset of a slanted segment (a 3-4-5 slope with an odd width) lands beyond its
// whole or half pixel on the reference, so it is rounded outwards on both sides. Segments along
// an axis keep their exact half width: ceil(width / 2) on the right or below, floor(width / 2)
// on the left or above, which make the body exactly `width` pixels thick.
BodyCorners body_corners(std::int64_t dx, std::int64_t dy, std::int64_t width) {
    if (dx == 0) return BodyCorners{{(width + 1) / 2, 0}, {-(width / 2), 0}};
    if (dy == 0) return BodyCorners{{0, (width + 1) / 2}, {0, -(width / 2)}};
    const std::int64_t doubled_x = doubled_offset_floor(width, dy, dx, dy);
    const std::int64_t doubled_y = doubled_offset_floor(width, dx, dx, dy);
    const auto beyond = [](std::int64_t doubled) { return doubled / 2 + 1; };
    const auto nearest = [](std::int64_t doubled) { return (doubled + 1) / 2; };
    // The normal towards +x is (|dy|, -dx * sign(dy)).
    const std::int64_t y_direction = -sign(dx) * sign(dy);
    return BodyCorners{{beyond(doubled_x), y_direction * beyond(doubled_y)},
                       {-nearest(doubled_x), -y_direction * nearest(doubled_y)}};
}

}  // namespace

void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour) {
    if (width <= 0) return;
    // The reference strokes a segment as a disc at each end, the ellipse of the width-square box
    // whose centre pixel is the end point (the box starts width / 2 pixels before it, so an even
    // width grows up and left), joined by a body between the end points moved to either side.
    const std::int64_t before = width / 2;
    for (const Point& end : {a, b})
        fill_ellipse(surface, Box{end.x - before, end.y - before, end.x - before + width, end.y - before + width}, colour);
    if (a.x == b.x && a.y == b.y) return;
    // A stroke wholly left or right of the surface needs no row of work.
    const std::int64_t reach = width / 2 + 1;
    if (std::max(a.x, b.x) + reach < 0 || std::min(a.x, b.x) - reach >= surface.width) return;
    const BodyCorners corners = body_corners(b.x - a.x, b.y - a.y, width);
    const Point& right = corners.right_side;
    const Point& left = corners.left_side;
    const Point body[] = {{a.x + left.x, a.y + left.y}, {b.x + left.x, b.y + left.y},
                          {b.x + right.x, b.y + right.y}, {a.x + right.x, a.y + right.y}};
    fill_polygon_alternate(surface, body, colour);
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
