#include "wide_stroke.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "span.h"

#include "ellipse.h"
#include "exact_division.h"
#include "polygon_fill.h"
#include "segment_shape_cache.h"

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

// Pen ends and segments are measured against the surface in long double: the answers below only
// skip work, and each keeps a margin of whole pixels that such rounding cannot eat into.
using Real = long double;
constexpr Real safety_margin = 2;

Real squared(Real value) { return value * value; }

// The squared distance from p to the rectangle of pixel centres of the surface.
Real squared_distance_to_surface(const Surface& surface, Real x, Real y) {
    const Real dx = x < 0 ? -x : (x > surface.width - 1 ? x - (surface.width - 1) : 0);
    const Real dy = y < 0 ? -y : (y > surface.height - 1 ? y - (surface.height - 1) : 0);
    return dx * dx + dy * dy;
}

// The squared distance from p to the segment a..b.
Real squared_distance_to_segment(Real px, Real py, Point a, Point b) {
    const Real dx = static_cast<Real>(b.x - a.x), dy = static_cast<Real>(b.y - a.y);
    const Real length_squared = dx * dx + dy * dy;
    Real t = length_squared == 0 ? 0 : ((px - a.x) * dx + (py - a.y) * dy) / length_squared;
    t = std::clamp<Real>(t, 0, 1);
    return squared(px - (a.x + t * dx)) + squared(py - (a.y + t * dy));
}

// Whether no pixel centre of the surface lies within `reach` of the segment. The two are convex,
// so unless they cross, their nearest points include an end of the segment or a corner of the
// surface.
bool beyond_reach_of_surface(const Surface& surface, Point a, Point b, Real reach) {
    const Real limit = squared(reach + safety_margin);
    if (squared_distance_to_surface(surface, a.x, a.y) <= limit) return false;
    if (squared_distance_to_surface(surface, b.x, b.y) <= limit) return false;
    const Real right = surface.width - 1, bottom = surface.height - 1;
    for (const auto& [x, y] : {std::pair<Real, Real>{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
        if (squared_distance_to_segment(x, y, a, b) <= limit) return false;
    // Both ends lie outside: the segment crosses the surface only if it crosses one of its
    // sides, and then it comes within reach of a corner or passes between two, which the
    // corners' distances do not see; a crossing of the surface's bounding lines decides it.
    const auto side = [&](Real x, Real y) {
        return (static_cast<Real>(b.x - a.x)) * (y - a.y) - (static_cast<Real>(b.y - a.y)) * (x - a.x);
    };
    const Real s0 = side(0, 0), s1 = side(right, 0), s2 = side(0, bottom), s3 = side(right, bottom);
    const bool corners_on_both_sides = std::min({s0, s1, s2, s3}) <= 0 && std::max({s0, s1, s2, s3}) >= 0;
    const bool overlaps_x = std::min(a.x, b.x) <= right && std::max(a.x, b.x) >= 0;
    const bool overlaps_y = std::min(a.y, b.y) <= bottom && std::max(a.y, b.y) >= 0;
    return !(corners_on_both_sides && overlaps_x && overlaps_y);
}

}  // namespace

bool pen_end_covers_surface(const Surface& surface, Point end, std::int64_t width) {
    if (width <= 0 || surface.width <= 0 || surface.height <= 0) return false;
    // The pen's end is the ellipse of the width-square box whose centre pixel is the end point;
    // every pixel centre well inside its circle is one of its pixels.
    const std::int64_t before = width / 2;
    const Real centre_x = static_cast<Real>(end.x - before) + static_cast<Real>(width - 1) / 2;
    const Real centre_y = static_cast<Real>(end.y - before) + static_cast<Real>(width - 1) / 2;
    const Real radius = static_cast<Real>(width - 1) / 2 - safety_margin;
    if (radius <= 0) return false;
    const Real right = surface.width - 1, bottom = surface.height - 1;
    for (const auto& [x, y] : {std::pair<Real, Real>{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
        if (squared(x - centre_x) + squared(y - centre_y) > squared(radius)) return false;
    return true;
}

namespace {

// The round ends and the body, with nothing skipped but what lies off the surface.
void draw_segment_directly(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour) {
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

}  // namespace

void stroke_wide_segment_using(StrokeMethod method, const Surface& surface, Point a, Point b, std::int64_t width,
                               Pixel colour) {
    if (width <= 0) return;
    // A pen far wider than the surface costs a pass over the surface's rows for each end and for
    // the body; where nothing or everything is painted the answer needs no such pass. A segment
    // that starts on the surface is within its reach, and a pen no wider than the surface cannot
    // cover all its corners from one end (they lie further apart than the pen is wide), so the
    // usual segment needs neither measure.
    const bool starts_on_surface = a.x >= 0 && a.y >= 0 && a.x < surface.width && a.y < surface.height;
    if (!starts_on_surface || width > std::max(surface.width, surface.height)) {
        if (beyond_reach_of_surface(surface, a, b, static_cast<Real>(width / 2 + 1))) return;
        if (pen_end_covers_surface(surface, a, width) || pen_end_covers_surface(surface, b, width)) {
            fill_box(surface, Box{0, 0, surface.width, surface.height}, colour);
            return;
        }
    }
    // Every limb of every figure is the same few shapes: a shape drawn before is written from its
    // recorded runs.
    if (method == StrokeMethod::recorded && paint_recorded_segment(surface, a, b, width, colour, draw_segment_directly))
        return;
    draw_segment_directly(surface, a, b, width, colour);
}

void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour) {
    stroke_wide_segment_using(StrokeMethod::recorded, surface, a, b, width, colour);
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
