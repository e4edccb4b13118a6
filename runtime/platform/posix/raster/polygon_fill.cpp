#include "polygon_fill.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "exact_division.h"
#include "span.h"

namespace kd508::raster {
namespace {

// An edge oriented downwards; it covers the rows top..bottom-1.
struct Edge {
    std::int64_t top_x;
    std::int64_t top;
    std::int64_t bottom;
    std::int64_t dx;  // bottom x minus top x
    // From its first row on the surface, the edge's crossing is stepped from row to row:
    // offset = ceil((y - top) * dx / height) as a quotient and the remainder still to go.
    bool started = false;
    std::int64_t offset = 0;
    std::int64_t remainder = 0;   // offset * height - (y - top) * dx, in 0..height-1
    std::int64_t step = 0;        // floor(dx / height)
    std::int64_t step_remainder = 0;  // dx - step * height, in 0..height-1
};

// Sets the edge to its crossing on row y, exactly, in Number arithmetic, which must hold the
// product of the edge's height and width; the rows after it are stepped in 64 bits.
template <typename Number>
void start_edge(Edge& edge, std::int64_t y) {
    const std::int64_t height = edge.bottom - edge.top;
    const Number along = static_cast<Number>(y - edge.top) * edge.dx;
    const Number offset = ceil_div<Number>(along, height);
    edge.offset = static_cast<std::int64_t>(offset);
    edge.remainder = static_cast<std::int64_t>(offset * height - along);
    edge.step = floor_div<std::int64_t>(edge.dx, height);
    edge.step_remainder = edge.dx - edge.step * height;
    edge.started = true;
}

// Moves the edge's crossing down one row: (y + 1 - top) * dx = offset * height - remainder + dx.
void step_edge(Edge& edge) {
    const std::int64_t height = edge.bottom - edge.top;
    edge.offset += edge.step;
    const std::int64_t rest = edge.step_remainder - edge.remainder;  // in -(height-1)..height-1
    if (rest > 0) {
        ++edge.offset;
        edge.remainder = height - rest;
    } else {
        edge.remainder = -rest;
    }
}

// The first pixel centre at or right of the edge's crossing, clamped to just beyond the surface,
// which keeps it in 64 bits without moving it across the surface.
template <typename Number>
std::int64_t first_x_on_row(const Edge& edge, int surface_width) {
    const Number first_x = static_cast<Number>(edge.top_x) + edge.offset;
    return static_cast<std::int64_t>(std::clamp<Number>(first_x, -1, static_cast<Number>(surface_width) + 1));
}

// The edge and crossing lists are kept from call to call, so that filling allocates nothing
// once they have grown to the largest polygon drawn.
struct FillScratch {
    std::vector<Edge> edges;
    std::vector<std::int64_t> crossings;
};

FillScratch& fill_scratch() {
    thread_local FillScratch scratch;
    return scratch;
}

// A row crosses few edges (two for any convex polygon), so an insertion sort is quickest.
void sort_crossings(std::vector<std::int64_t>& crossings) {
    for (std::size_t i = 1; i < crossings.size(); ++i) {
        const std::int64_t value = crossings[i];
        std::size_t j = i;
        for (; j > 0 && crossings[j - 1] > value; --j) crossings[j] = crossings[j - 1];
        crossings[j] = value;
    }
}

// Vertices within this distance of the origin make edges whose crossings, and the products
// that decide them, fit in 64 bits: every shape near a surface.
constexpr std::int64_t narrow_coordinate_limit = narrow_factor_limit / 2;

bool narrow(std::span<const Point> vertices) {
    for (const Point& p : vertices)
        if (p.x <= -narrow_coordinate_limit || p.x >= narrow_coordinate_limit || p.y <= -narrow_coordinate_limit ||
            p.y >= narrow_coordinate_limit)
            return false;
    return true;
}

template <typename Number>
void fill_in(const Surface& surface, std::span<const Point> vertices, Pixel colour) {
    FillScratch& scratch = fill_scratch();
    std::vector<Edge>& edges = scratch.edges;
    edges.clear();
    std::int64_t top = vertices[0].y;
    std::int64_t bottom = vertices[0].y;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        Point a = vertices[i];
        Point b = vertices[(i + 1) % vertices.size()];
        top = std::min(top, a.y);
        bottom = std::max(bottom, a.y);
        // A horizontal edge crosses no row centre line; its pixels belong to the edges beside it.
        if (a.y == b.y) continue;
        if (a.y > b.y) std::swap(a, b);
        edges.push_back(Edge{a.x, a.y, b.y, b.x - a.x});
    }

    const RowRange rows = visible_rows(surface, top, bottom);
    std::vector<std::int64_t>& crossings = scratch.crossings;
    for (int y = rows.begin; y < rows.end; ++y) {
        crossings.clear();
        for (Edge& edge : edges) {
            if (y < edge.top || y >= edge.bottom) continue;
            if (!edge.started) start_edge<Number>(edge, y);
            crossings.push_back(first_x_on_row<Number>(edge, surface.width));
            step_edge(edge);
        }
        sort_crossings(crossings);
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
            fill_span_clipped(surface, y, crossings[k], crossings[k + 1], colour);
    }
}

}  // namespace

void fill_polygon_alternate(const Surface& surface, std::span<const Point> vertices, Pixel colour) {
    fill_polygon_alternate_using(PolygonArithmetic::narrowest, surface, vertices, colour);
}

void fill_polygon_alternate_using(PolygonArithmetic arithmetic, const Surface& surface, std::span<const Point> vertices,
                                  Pixel colour) {
    if (vertices.size() < 3) return;
    if (arithmetic == PolygonArithmetic::narrowest && narrow(vertices)) fill_in<std::int64_t>(surface, vertices, colour);
    else fill_in<Wide>(surface, vertices, colour);
}

}  // namespace kd508::raster
