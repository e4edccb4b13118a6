#include "ellipse_path.h"

#include <cmath>

namespace kd508::raster {
namespace {

// How far out along the tangent the inner control points of a cubic quarter ellipse lie, as a
// share of the radius: 4 (sqrt(2) - 1) / 3, which puts the curve's midpoint on the circle.
constexpr double quarter_control_share = 0.55228474983079339840;

// Parameter steps per quarter. Fewer or more steps both match the reference's pictures less.
constexpr int steps_per_quarter = 8;

struct RealPoint {
    double x = 0;
    double y = 0;
};

RealPoint cubic_at(const RealPoint (&control)[4], double t) {
    const double u = 1 - t;
    const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
    return RealPoint{w0 * control[0].x + w1 * control[1].x + w2 * control[2].x + w3 * control[3].x,
                     w0 * control[0].y + w1 * control[1].y + w2 * control[2].y + w3 * control[3].y};
}

// Halves round up. Coordinates stay below 2^34 in size, far inside a double's exact integers.
std::int64_t nearest_pixel(double value) { return static_cast<std::int64_t>(std::floor(value + 0.5)); }

}  // namespace

std::vector<Point> ellipse_path(const Box& box) {
    // The curve runs through the centres of the first and last columns and rows of the box.
    const double left = static_cast<double>(box.left), top = static_cast<double>(box.top);
    const double right = static_cast<double>(box.right - 1), bottom = static_cast<double>(box.bottom - 1);
    const double centre_x = (left + right) / 2, centre_y = (top + bottom) / 2;
    const double control_x = (right - left) / 2 * quarter_control_share;
    const double control_y = (bottom - top) / 2 * quarter_control_share;
    // From the right end of the horizontal axis, anticlockwise on the screen: up, left, down.
    const RealPoint quarters[4][4] = {
        {{right, centre_y}, {right, centre_y - control_y}, {centre_x + control_x, top}, {centre_x, top}},
        {{centre_x, top}, {centre_x - control_x, top}, {left, centre_y - control_y}, {left, centre_y}},
        {{left, centre_y}, {left, centre_y + control_y}, {centre_x - control_x, bottom}, {centre_x, bottom}},
        {{centre_x, bottom}, {centre_x + control_x, bottom}, {right, centre_y + control_y}, {right, centre_y}},
    };
    std::vector<Point> path;
    path.reserve(4 * steps_per_quarter);
    for (const auto& quarter : quarters) {
        for (int step = 0; step < steps_per_quarter; ++step) {
            const RealPoint real = cubic_at(quarter, static_cast<double>(step) / steps_per_quarter);
            const Point vertex{nearest_pixel(real.x), nearest_pixel(real.y)};
            if (path.empty() || path.back().x != vertex.x || path.back().y != vertex.y) path.push_back(vertex);
        }
    }
    while (path.size() > 1 && path.back().x == path.front().x && path.back().y == path.front().y) path.pop_back();
    return path;
}

}  // namespace kd508::raster
