// Filling polygons by the alternate (even-odd) rule.
#pragma once

#include <span>

#include "geometry.h"
#include "surface.h"

namespace kd508::raster {

// Fills the closed polygon through the vertices, a pixel being inside when its centre is
// crossed an odd number of times on its row. A centre exactly on a left or top edge is in, one
// on a right or bottom edge is out, so polygons that share an edge never paint it twice. Any
// coordinates are safe; the work is the polygon's rows on the surface times its edge count.
void fill_polygon_alternate(const Surface& surface, std::span<const Point> vertices, Pixel colour);

// The arithmetic an edge's crossings are decided in: 64-bit integers where every vertex lies
// within 2^30 of the origin (the narrowest, which fill_polygon_alternate takes when it can), else
// 128-bit ones. Both are exact and must agree; the wide one is given here so that the two can be
// checked against each other.
enum class PolygonArithmetic { narrowest, wide };
void fill_polygon_alternate_using(PolygonArithmetic arithmetic, const Surface& surface, std::span<const Point> vertices,
                                  Pixel colour);

}  // namespace kd508::raster
