#include "wide_stroke.h"

#include <algorithm>
#include <cmath>

#include "ellipse.h"
#include "polygon_fill.h"
#include "span.h"

namespace kd508::raster {
namespace {

using Real = long double;

}  // namespace

void stroke_wide_segment(const Surface& surface, Point a, Point b, std::int64_t width, Pixel colour) {
    if (width <= 0) return;
    // The reference strokes a segment as a disc at each end, the ellipse of the width-square box
    // whose centre pixel is the end point (the box starts width / 2 pixels before it, so an even
    // width grows up and left), joined by a body whose corners are the end points moved half the
    // width along the segment's normal, each offset rounded to whole pixels.
    const std::int64_t before = width / 2;
    for (const Point& end : {a, b})
        fill_ellipse(surface, Box{end.x - before, end.y - before, end.x - before + width, end.y - before + width}, colour);
    if (a.x == b.x && a.y == b.y) return;
    // A stroke wholly left or right of the surface needs no row of work.
    const std::int64_t reach = width / 2 + 1;
    if (std::max(a.x, b.x) + reach < 0 || std::min(a.x, b.x) - reach >= surface.width) return;
    const Real dx = static_cast<Real>(b.x - a.x);
    const Real dy = static_cast<Real>(b.y - a.y);
    const Real scale = static_cast<Real>(width) / (2 * std::sqrt(dx * dx + dy * dy));
    const auto rounded = [](Real offset) {
        constexpr Real limit = static_cast<Real>(std::int64_t{1} << 40);
        return static_cast<std::int64_t>(std::floor(std::clamp(offset, -limit, limit) + Real{0.5}));
    };
    const std::int64_t left_x = rounded(dy * scale), left_y = rounded(-dx * scale);
    const std::int64_t right_x = rounded(-dy * scale), right_y = rounded(dx * scale);
    const Point body[] = {{a.x + left_x, a.y + left_y}, {b.x + left_x, b.y + left_y},
                          {b.x + right_x, b.y + right_y}, {a.x + right_x, a.y + right_y}};
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
