// The closed polygon that approximates an ellipse, for stroking it with a wide pen.
#pragma once

#include <vector>

#include "geometry.h"

namespace kd508::raster {

// The vertices, in order, of the polygon that follows the ellipse through the centres of the
// pixels on the edges of the box: its quarters are the usual cubic curves (control points
// 0.5523 of the radii out along the tangents), each cut into eight equal parameter steps and
// rounded to the nearest pixel, repeated vertices left out. The reference strokes a wide-pen
// ellipse along such a polygon, which is why its outline is ragged and slightly lopsided. Any
// box is safe: the vertices stay within it, and there are never more than 32.
std::vector<Point> ellipse_path(const Box& box);

}  // namespace kd508::raster
